// Opening connections: the strings built, the login dialog, the
// administrator check and the failures.
#include "dbfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace dbtest;

namespace {

struct StringCase {
    const char* servidor;
    const char* extended;
    const char* expected;
};

void PrintTo(const StringCase& c, std::ostream* os)
{
    *os << "server \"" << c.servidor << "\", extended \"" << c.extended << '"';
}

class ConnectionStrings : public DbTest, public ::testing::WithParamInterface<StringCase> {};

TEST_P(ConnectionStrings, BuiltFromTheObjectsFields)
{
    const StringCase c = GetParam();
    ui::ScriptedSession dlg;
    DB_Dll db;
    db.gServidor = QString::fromUtf8(c.servidor);
    db.gDBName = kDb;
    db.gUsuario = QStringLiteral("usr");
    db.gUserPassWord = QStringLiteral("pwd");
    db.gExtended = QString::fromUtf8(c.extended);
    db.OpenServerADODB(false, 3);
    EXPECT_EQ(db.gConnString, QString::fromUtf8(c.expected));
    EXPECT_EQ(db.gProveedor, QStringLiteral("SQLOLEDB"));
}

INSTANTIATE_TEST_SUITE_P(
    Opening, ConnectionStrings,
    ::testing::Values(
        StringCase{"(sqlite)", "", "PROVIDER=SQLOLEDB;Server=(sqlite);Database =PRUEBA;UId=usr;Pwd=pwd;Connect Timeout=5;"},
        StringCase{"(sqlite)", "App=Vordane;",
                   "PROVIDER=SQLOLEDB;Server=(sqlite);Database =PRUEBA;UId=usr;Pwd=pwd;Connect Timeout=5;App=Vordane;"},
        // A time-out in the extension does not replace the built one.
        StringCase{"(sqlite)", "Connect Timeout=30;",
                   "PROVIDER=SQLOLEDB;Server=(sqlite);Database =PRUEBA;UId=usr;Pwd=pwd;Connect Timeout=5;Connect Timeout=30;"},
        // "#" anywhere selects Oracle: the data source is the database, no
        // time-out, no extension.
        StringCase{"#ORA", "App=X;", "Provider=OraOLEDB.Oracle.1;Data Source=PRUEBA;User Id=usr;Password=pwd;"},
        StringCase{"ORA#", "", "Provider=OraOLEDB.Oracle.1;Data Source=PRUEBA;User Id=usr;Password=pwd;"}));

TEST(ConnectionStringCases, PrintTheirTexts)
{
    EXPECT_EQ(::testing::PrintToString(StringCase{"S", "App=X;", "-"}), "server \"S\", extended \"App=X;\"");
}

TEST_F(DbTest, GivenStringIsUsedUnchangedAndOpens)
{
    ui::ScriptedSession dlg;
    DB_Dll db;
    db.gServidor = QStringLiteral("otro");
    db.gExtended = QStringLiteral("App=X;");
    const QString given = EmbeddedConnString();
    db.OpenServerADODB(false, 3, given);
    EXPECT_EQ(db.gConnString, given);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
    EXPECT_TRUE(db.gEsAdmin) << "without ValidaAdmin every user is an administrator";
}

TEST_F(DbTest, LoginDialogValuesReplaceTheGivenString)
{
    ui::ScriptedSession dlg;
    ModGlobal::gUsuarioLogeado = QStringLiteral("ANA");
    ModGlobal::gPassword = QStringLiteral("clave");
    DB_Dll db;
    db.gDBName = QStringLiteral("VIEJA");
    dlg.onModal(QStringLiteral("frmAcceso"), [](QWidget* w) {
        auto* f = static_cast<frmAcceso*>(w);
        EXPECT_EQ(f->TxtDbName->text(), QStringLiteral("VIEJA"));
        EXPECT_EQ(f->TxtUserId->text(), QStringLiteral("ANA"));
        EXPECT_EQ(f->TxtUserPassword->text(), QStringLiteral("clave"));
        f->TxtDbName->setText(kDb);
        f->TxtServidor->setText(QStringLiteral("(sqlite)"));
        f->TxtUserId->setText(QStringLiteral("LUIS"));
        f->bcAceptar->click();
    });
    db.OpenServerADODB(true, 3, QStringLiteral("PROVIDER=SQLOLEDB;Server=nada;"));
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
    // Login and password follow the database name, whatever was typed.
    EXPECT_EQ(db.gUsuario, kDb);
    EXPECT_EQ(db.gUserPassWord, kDb);
    EXPECT_EQ(db.gConnString, EmbeddedConnString() + QStringLiteral("Connect Timeout=5;"));
    EXPECT_EQ(ModGlobal::gUsuarioLogeado, QStringLiteral("LUIS"));
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(DbTest, LoginDialogOracleChoiceAndCancel)
{
    ui::ScriptedSession dlg;
    DB_Dll db;
    // The Oracle choice typed in the dialog, closed with the given button.
    auto eligeOracle = [](QPushButton* frmAcceso::*boton) {
        return [boton](QWidget* w) {
            auto* f = static_cast<frmAcceso*>(w);
            f->TxtDbName->setText(QStringLiteral("ORADB"));
            f->TxtServidor->setText(QStringLiteral("srv"));
            f->CboPlataformaDB->setCurrentIndex(1);
            (f->*boton)->click();
        };
    };
    dlg.onModal(QStringLiteral("frmAcceso"), eligeOracle(&frmAcceso::bcCancelar));
    db.OpenServerADODB(true, 3);
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn->State(), ado::adStateClosed);
    EXPECT_TRUE(db.gDBName.isEmpty()) << "a cancelled dialog changes nothing";

    // The same choice accepted selects Oracle; the data source has no DSN
    // here, so the opening fails silently without MuestraError.
    dlg.onModal(QStringLiteral("frmAcceso"), eligeOracle(&frmAcceso::bcAceptar));
    db.OpenServerADODB(true, 3);
    EXPECT_EQ(db.gProveedor, QStringLiteral("OraOLEDB.Oracle.1"));
    EXPECT_EQ(db.gServidor, QStringLiteral("#srv"));
    EXPECT_TRUE(db.gConnString.startsWith(QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORADB;")));
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(DbTest, AdministratorCheck)
{
    ui::ScriptedSession dlg;
    DB_Dll& main = OpenMain();
    main.gCnn->Execute(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, Administrador) VALUES ('ANA', 1)"));
    main.gCnn->Execute(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, Administrador) VALUES ('LUIS', 0)"));

    struct Case {
        const char* usuario;
        bool valida;
        bool muestra;
        bool antes;
        bool esperado;
    } cases[] = {
        {"ANA", true, true, false, true},    // Administrador = 1
        {"  ANA ", true, true, false, true}, // the name is trimmed
        {"LUIS", true, true, true, false},   // Administrador = 0
        {"NADIE", true, true, true, false},  // no row
        {"LUIS", true, false, false, true},  // without MuestraError the row is not read
        {"LUIS", false, true, false, true},  // without ValidaAdmin everyone is
    };
    for (const Case& c : cases) {
        ModGlobal::gUsuarioLogeado = QString::fromUtf8(c.usuario);
        DB_Dll db;
        db.gServidor = QStringLiteral("(sqlite)");
        db.gDBName = kDb;
        db.gEsAdmin = c.antes;
        db.OpenServerADODB(false, 3, QString(), c.valida, c.muestra);
        EXPECT_EQ(db.gEsAdmin, c.esperado) << c.usuario << " valida " << c.valida << " muestra " << c.muestra;
    }

    // Without the user table the flag keeps its value.
    main.gCnn->Execute(QStringLiteral("DROP TABLE TA_USUARIOS"));
    for (bool antes : {false, true}) {
        DB_Dll db;
        db.gServidor = QStringLiteral("(sqlite)");
        db.gDBName = kDb;
        db.gEsAdmin = antes;
        db.OpenServerADODB(false, 3, QString(), true, true);
        EXPECT_EQ(db.gEsAdmin, antes);
    }
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(DbTest, FailedOpeningWithProviderErrorsAsksToRetry)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = ModGlobal::gDB();
    db.gServidor = QStringLiteral("(sqlite)");
    db.gDBName = QStringLiteral("NOEXISTE");
    db.gUsuario = QStringLiteral("usr");

    dlg.expectMsgBox(QStringLiteral("Desea Intentarlo Nuevamente"), ui::vbNo)
        .title(QStringLiteral(" Error de Conexion a Base de Datos"))
        .style(ui::vbYesNo + ui::vbCritical);
    db.OpenServerADODB(false, 3, QString(), false, true);
    EXPECT_FALSE(db.gOpenFlag);
    const QString texto = dlg.shown().at(0).prompt;
    EXPECT_TRUE(texto.startsWith(QStringLiteral(" Estado de Sql: ")));
    EXPECT_TRUE(texto.contains(QStringLiteral("Nombre de Proceso: vordane\r\r\n")));
    EXPECT_TRUE(texto.contains(QStringLiteral("por ejemplo : (sqlite)\\KAPORES\r\n")));
    EXPECT_TRUE(texto.contains(QStringLiteral("el usuario usr existe")));

    // Yes: the login dialog corrects the database and the opening succeeds.
    dlg.expectMsgBox(QStringLiteral("Desea Intentarlo Nuevamente"), ui::vbYes);
    dlg.onModal(QStringLiteral("frmAcceso"), [](QWidget* w) {
        auto* f = static_cast<frmAcceso*>(w);
        EXPECT_EQ(f->TxtDbName->text(), QStringLiteral("NOEXISTE"));
        f->TxtDbName->setText(kDb);
        f->bcAceptar->click();
    });
    db.OpenServerADODB(false, 3, QString(), false, true);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
    EXPECT_EQ(db.gCnn->Errors().Count(), 0);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(DbTest, FailureShownByDescriptionClearsTheOpenFlag)
{
    ui::ScriptedSession dlg;
    DB_Dll db;
    db.gServidor = QStringLiteral("(sqlite)");
    db.gDBName = kDb;
    // Cursor location 0 is refused by the connection itself, with no
    // provider error: only the description is shown.
    dlg.expectMsgBox(QString(), ui::vbOK).style(ui::vbOKOnly);
    db.OpenServerADODB(false, 0, QString(), false, true);
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_TRUE(dlg.remaining().isEmpty());

    // Without MuestraError: silent, and also False.
    DB_Dll callado;
    callado.gServidor = QStringLiteral("(sqlite)");
    callado.gDBName = QStringLiteral("NOEXISTE");
    callado.OpenServerADODB(false, 3);
    EXPECT_FALSE(callado.gOpenFlag);
}

TEST_F(DbTest, OpeningAnOpenConnectionClosesAndReopensOnce)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = OpenMain();
    db.OpenServerADODB(false, 3);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
}

TEST_F(DbTest, OpenLocalStopsWhenNothingIsChosen)
{
    ui::ScriptedSession dlg;
    DB_Dll db;
    db.gProveedor = db.pJETOLEDB40();
    dlg.expectOpenFile(QString(), QStringLiteral("Buscar Base de Datos"));
    db.OpenLocalADODB();
    EXPECT_EQ(db.gCnn->State(), ado::adStateClosed);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(DbTest, OpenLocalAsksAgainForAMissingFile)
{
    ui::ScriptedSession dlg;
    DB_Dll db;
    db.gProveedor = db.pJETOLEDB40();
    db.gDBName = tmp_.file(QStringLiteral("falta.mdb"));
    dlg.expectOpenFile(dbPath_, QStringLiteral("Buscar Base de Datos"));
    db.OpenLocalADODB(QString(), QStringLiteral("User ID"), QStringLiteral("Password"));
    EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
    EXPECT_EQ(db.gDBName, dbPath_);
    EXPECT_EQ(db.gConnString, QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =") + dbPath_ +
                                  QStringLiteral(";User ID=;Password=;"));
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

}  // namespace
