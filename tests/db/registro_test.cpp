// Registering a typed connection from the access window, the helper program
// "ODBC.exe" and the desktop shortcut.
#include "db/arranque.h"
#include "db/bases.h"
#include "dbfixture.h"
#include "platform/legacy/textfile.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace dbtest;

namespace {

struct Inicio {
    QString programa;
    QStringList argumentos;
    bool minimizado = false;
};

class RegistroTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        QFile::remove(tmp_.file(QStringLiteral("BASES.TXT")));
        anterior_ = Arranque::setIniciador([this](const QString& p, const QStringList& a, bool m) -> qint64 {
            inicios_.push_back({p, a, m});
            return 99;
        });
    }
    void TearDown() override
    {
        Arranque::setIniciador(anterior_);
        DbTest::TearDown();
    }
    frmAcceso& Ventana(const QString& servidor, const QString& base, const QString& usuario = {},
                       const QString& clave = {})
    {
        frmAcceso& w = frmAcceso::Default();
        w.TxtServidor->setText(servidor);
        w.TxtDbName->setText(base);
        w.TxtUserId->setText(usuario);
        w.TxtUserPassword->setText(clave);
        return w;
    }
    QString Bases() const { return tmp_.file(QStringLiteral("BASES.TXT")); }
    QStringList Lista(frmAcceso& w)
    {
        QStringList nombres;
        for (int i = 0; i < w.lstBases->count(); ++i)
            nombres << w.lstBases->item(i)->text();
        return nombres;
    }
    void CreaPrograma(const QString& nombre)
    {
        QFile f(tmp_.file(nombre));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    QList<Inicio> inicios_;
    Arranque::Iniciador anterior_;
};

TEST_F(RegistroTest, RegistersTheTypedConnectionWithoutTouchingTheMainOne)
{
    ui::ScriptedSession dlg;
    DB_Dll& principal = OpenMain();
    principal.gDBName = QStringLiteral("PRUEBA");
    frmAcceso& w = Ventana(QStringLiteral("  (sqlite)  "), QStringLiteral(" PRUEBA "), QStringLiteral("ana"));
    w.TxtPuerto->setText(QString());
    w.CmdRegistrar->click();

    const QList<RegistroBase> registros = LBM_Common::LeeBases(Bases());
    ASSERT_EQ(registros.size(), 1);
    EXPECT_EQ(registros[0].nombre, QStringLiteral("PRUEBA / (SQLITE)"));
    EXPECT_EQ(registros[0].base, QStringLiteral("PRUEBA"));
    EXPECT_EQ(registros[0].usuario, QStringLiteral("PRUEBA"));
    EXPECT_EQ(registros[0].servidor, QStringLiteral("(sqlite)"));
    EXPECT_EQ(w.TxtServidor->text(), QStringLiteral("(sqlite)"));
    EXPECT_EQ(Lista(w), QStringList{QStringLiteral("PRUEBA / (SQLITE)")});
    EXPECT_EQ(w.puerto().toLong(), 1433);
    EXPECT_TRUE(inicios_.isEmpty()) << "no ODBC.exe in the program folder";

    // The main connection stays open on its database, as its user.
    EXPECT_EQ(principal.gCnn->State(), ado::adStateOpen);
    EXPECT_EQ(principal.gUsuario, kDb);
    EXPECT_NO_THROW(principal.gCnn->Execute(QStringLiteral("SELECT COUNT(*) FROM TA_USUARIOS")));

    // The same connection again: refused, nothing written.
    dlg.expectMsgBox(QStringLiteral("La conexion que intenta registrar ya existe "))
        .style(ui::vbInformation)
        .title(QStringLiteral("Atencion"));
    w.TxtServidor->setText(QStringLiteral("(SQLite):1500"));
    w.TxtPuerto->setText(QStringLiteral("1500"));
    w.CmdRegistrar->click();
    EXPECT_EQ(LBM_Common::LeeBases(Bases()).size(), 1);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(RegistroTest, AServerTheFileCannotHoldIsRefusedBeforeAnything)
{
    ui::ScriptedSession dlg;
    CreaPrograma(QStringLiteral("ODBC"));
    OpenMain();
    dlg.expectMsgBox(QStringLiteral("La conexion no puede registrarse: el servidor \"SRV01,1433\" contiene una coma"))
        .style(ui::vbExclamation)
        .title(QStringLiteral("Atencion"));
    frmAcceso& w = Ventana(QStringLiteral(" SRV01,1433 "), QStringLiteral("VENTAS"));
    w.CmdRegistrar->click();
    dlg.verifyDone();
    EXPECT_FALSE(QFile::exists(Bases()));
    EXPECT_TRUE(inicios_.isEmpty());
}

TEST_F(RegistroTest, ConectarRegistersTheFirstConnectionOnly)
{
    ui::ScriptedSession dlg;
    frmAcceso& w = Ventana(QStringLiteral("(sqlite)"), kDb, QStringLiteral("ana"), QStringLiteral("x"));
    w.bcAceptar->click();
    EXPECT_TRUE(w.Aceptar);
    const QList<RegistroBase> registros = LBM_Common::LeeBases(Bases());
    ASSERT_EQ(registros.size(), 1) << "no registry yet: Conectar registers";
    EXPECT_EQ(registros[0].nombre, kDb + QStringLiteral(" / (SQLITE)"));

    // With a registry in place another connection is only used, not added.
    w.TxtDbName->setText(QStringLiteral("OTRA"));
    w.bcAceptar->click();
    EXPECT_EQ(LBM_Common::LeeBases(Bases()).size(), 1);
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(RegistroTest, StartsOdbcHelperWithoutExtensionAndPortDefaults)
{
    ui::ScriptedSession dlg;
    CreaPrograma(QStringLiteral("ODBC"));
    frmAcceso& w = Ventana(QStringLiteral("(sqlite)"), QStringLiteral("PRUEBA"));
    w.TxtPuerto->setText(QStringLiteral("0"));
    w.CmdRegistrar->click();
    ASSERT_EQ(inicios_.size(), 1);
    EXPECT_EQ(QFileInfo(inicios_[0].programa).fileName(), QStringLiteral("ODBC"));
    EXPECT_EQ(inicios_[0].argumentos, QStringList{QStringLiteral("Server=(sqlite);DB=PRUEBA;")});
    EXPECT_TRUE(inicios_[0].minimizado);
    EXPECT_EQ(w.puerto().toLong(), 1433);
    EXPECT_TRUE(dlg.shown().isEmpty());
}

// A registry whose last record is cut: the duplicate lookup reports its own
// error and finds nothing, so the connection is still registered.
TEST_F(RegistroTest, ACutRegistryStillTakesANewConnection)
{
    frmAcceso& w = Ventana(QStringLiteral("(sqlite)"), QStringLiteral("PRUEBA"));
    {
        QFile f(Bases());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("VIEJA / SRV,VIEJA,VIEJA,K00,SRV\r\nCORTADA / SRV,CORT");
    }
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QStringLiteral("Ha ocurrido el Siguiente Error (62)"), ui::vbAbort).title(QStringLiteral("DatosBase"));
    dlg.expectMsgBox(QStringLiteral("Ha ocurrido el Siguiente Error (62)"), ui::vbAbort).title(QStringLiteral("FormLoad"));
    w.CmdRegistrar->click();
    EXPECT_TRUE(dlg.remaining().isEmpty());
    for (const QString& p : dlg.shownPrompts())
        EXPECT_FALSE(p.contains(QStringLiteral("SQL Server start failed"))) << p.toStdString();
    const QString texto = legacy::ReadAllText(Bases());
    EXPECT_TRUE(texto.startsWith(QStringLiteral("VIEJA / SRV,VIEJA,VIEJA,K00,SRV\r\nCORTADA / SRV,CORT\rPRUEBA / (SQLITE),"
                                                "PRUEBA,PRUEBA,")))
        << texto.toStdString();
    EXPECT_TRUE(texto.endsWith(QStringLiteral(",(sqlite)\r\n"))) << texto.toStdString();
}

TEST_F(RegistroTest, UnreachableConnectionIsReportedAndNotRegistered)
{
    ui::ScriptedSession dlg;
    DB_Dll& principal = OpenMain();
    CreaPrograma(QStringLiteral("ODBC.exe"));
    frmAcceso& w = Ventana(QStringLiteral("(sqlite)"), QStringLiteral("NOHAY"), QStringLiteral("ana"),
                           QStringLiteral("x"));
    dlg.expectMsgBox(QString(), ui::vbNo).title(QStringLiteral("Error de Conexion"));
    dlg.expectMsgBox(QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR (sqlite) VERIFIQUE EL NOMBRE DE USUARIO Y "
                                    "PASSWORD INGRESADO"))
        .title(QStringLiteral("AVISO AL OPERADOR"));
    w.CmdRegistrar->click();
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_FALSE(legacy::FileExists(Bases()));
    EXPECT_TRUE(inicios_.isEmpty());
    EXPECT_EQ(principal.gCnn->State(), ado::adStateOpen);
    EXPECT_EQ(principal.gDBName, kDb);
    EXPECT_TRUE(principal.gOpenFlag);
}

// The desktop shortcut, in a scratch home folder.
class AccesoDirectoTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        for (const char* v : {"HOME", "XDG_CONFIG_HOME"})
            guardadas_.push_back({v, qgetenv(v), qEnvironmentVariableIsSet(v)});
        qputenv("HOME", home_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.file(QStringLiteral(".config")).toUtf8());
    }
    void TearDown() override
    {
        for (const auto& [nombre, valor, habia] : guardadas_) {
            if (habia)
                qputenv(nombre, valor);
            else
                qunsetenv(nombre);
        }
        DbTest::TearDown();
    }
    static QString Leer(const QString& ruta)
    {
        QFile f(ruta);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    testdb::TempFolder home_;
    std::vector<std::tuple<const char*, QByteArray, bool>> guardadas_;
};

TEST_F(AccesoDirectoTest, WritesAnExecutableLauncherOnceOnTheXdgDesktop)
{
    QDir().mkpath(home_.file(QStringLiteral(".config")));
    QFile dirs(home_.file(QStringLiteral(".config/user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n");
    dirs.close();
    legacy::App().title = QStringLiteral(" Anulacion ");

    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QStringLiteral("Acceso directo creado correctamente en el escritorio."))
        .style(ui::vbInformation)
        .title(QStringLiteral("Acceso Directo"));
    frmAcceso& w = frmAcceso::Default();
    w.TxtServidor->setText(QStringLiteral("SRV\\INST"));
    w.TxtDbName->setText(QStringLiteral("EMPRESA"));
    w.TxtUserId->setText(QStringLiteral("ANA"));
    w.CmdLineaComando->click();
    EXPECT_TRUE(dlg.remaining().isEmpty());

    const QString archivo = home_.file(QStringLiteral("Escritorio/Anulacion.desktop"));
    const QString esperado =
        QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\nName=Anulacion\nExec=\"") + tmp_.path() +
        QStringLiteral("/vordane\" \" ; @server=SRV\\\\\\\\INST; @dbname=EMPRESA; @usuario=ANA; @Password=; "
                       "@ParametroAdicional=; gurm@ ; @UsuarioLogeado = ; @Caja=;\"\nPath=") +
        tmp_.path() + QStringLiteral("\nTerminal=false\n");
    EXPECT_EQ(Leer(archivo), esperado);
    EXPECT_TRUE(QFileInfo(archivo).isExecutable());

    // Already there: nothing is overwritten.
    dlg.expectMsgBox(QStringLiteral("El acceso directo ya existe.")).title(QStringLiteral("Acceso Directo"));
    w.TxtDbName->setText(QStringLiteral("OTRA"));
    w.CmdLineaComando->click();
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_EQ(Leer(archivo), esperado);
}

TEST_F(AccesoDirectoTest, FallsBackToHomeDesktopAndReportsFailures)
{
    legacy::App().title.clear();
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QStringLiteral("Acceso directo creado correctamente"));
    frmAcceso& w = frmAcceso::Default();
    w.TxtDbName->setText(QStringLiteral("EMPRESA"));
    w.CmdLineaComando->click();
    EXPECT_TRUE(QFileInfo(home_.file(QStringLiteral("Desktop/vordane.desktop"))).isFile());
    EXPECT_TRUE(dlg.remaining().isEmpty());

    // A desktop that cannot be written: the error, never the success box.
    QFile::remove(home_.file(QStringLiteral("Desktop/vordane.desktop")));
    QDir(home_.file(QStringLiteral("Desktop"))).removeRecursively();
    QFile bloqueo(home_.file(QStringLiteral("Desktop")));
    ASSERT_TRUE(bloqueo.open(QIODevice::WriteOnly));
    bloqueo.close();
    dlg.expectMsgBox(QStringLiteral("Se ha producido un error: ")).style(ui::vbCritical).title(QStringLiteral("Error"));
    w.CmdLineaComando->click();
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_EQ(dlg.shownPrompts().size(), 2);
}

// Whatever is typed, the shortcut keeps one line per key: line breaks and
// tabs are written as the file's escapes, other control characters refused.
TEST_F(AccesoDirectoTest, TypedControlCharactersNeverAddALineOrAKey)
{
    legacy::App().title = QStringLiteral("Anulacion");
    const QString archivo = home_.file(QStringLiteral("Desktop/Anulacion.desktop"));
    const struct {
        const char* nombre;
        QString servidor, base, usuario;
        const char* enExec;  // in the Exec line as written; null: refused
    } casos[] = {
        {"line feed in the server", QStringLiteral("srv\nExec=/bin/evil"), "DB", "ANA",
         "@server=srv\\nExec=/bin/evil;"},
        {"CR LF in the database", "SRV", QStringLiteral("DB\r\nName=x"), "ANA", "@dbname=DB\\r\\nName=x;"},
        {"tab in the user", "SRV", "DB", QStringLiteral("A\tNA"), "@usuario=A\\tNA;"},
        {"vertical tab in the user", "SRV", "DB", QStringLiteral("A\vNA"), nullptr},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        QFile::remove(archivo);
        ui::ScriptedSession dlg;
        if (c.enExec)
            dlg.expectMsgBox(QStringLiteral("Acceso directo creado correctamente"));
        else
            dlg.expectMsgBox(QStringLiteral("Se ha producido un error: ")).title(QStringLiteral("Error"));
        frmAcceso& w = frmAcceso::Default();
        w.TxtServidor->setText(c.servidor);
        w.TxtDbName->setText(c.base);
        w.TxtUserId->setText(c.usuario);
        w.CmdLineaComando->click();
        EXPECT_TRUE(dlg.remaining().isEmpty());
        if (!c.enExec) {
            EXPECT_FALSE(QFileInfo::exists(archivo));
            continue;
        }
        const QStringList lineas = Leer(archivo).split(u'\n', Qt::SkipEmptyParts);
        QStringList claves;
        for (const QString& l : lineas.mid(1))
            claves << l.section(u'=', 0, 0);
        EXPECT_EQ(lineas.value(0), QStringLiteral("[Desktop Entry]"));
        EXPECT_EQ(claves, QStringList({"Type", "Version", "Name", "Exec", "Path", "Terminal"}));
        EXPECT_TRUE(lineas.value(4).contains(QString::fromUtf8(c.enExec))) << lineas.value(4).toStdString();
    }
}

}  // namespace
