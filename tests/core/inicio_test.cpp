// The start-up end to end on the embedded engine: parameter string,
// connection, time-out, lookup entry, configuration, login with up to three
// attempts in the access window, access record and failed-login rows.
#include "core/support/entorno_core.h"

#include "platform/kapores2/funciones.h"
#include "platform/legacy/textfile.h"
#include "platform/ui/scripted.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include <random>

using namespace ModGlobal;
using coretest::EntornoCore;

namespace {

const QString kLinea = QStringLiteral(
    " ; @server=(sqlite); @dbname=DEMO; @usuario=OPERADOR; @Password=%1; @ParametroAdicional=EXTRA; gurm@ ; "
    "@UsuarioLogeado = %2; @Caja=2;");

QString Linea(const QString& clave, const QString& usuario = QStringLiteral("OPERADOR"))
{
    return kLinea.arg(clave, usuario);
}

// Types a user and password into the access window and presses Conectar
// (empty base/servidor keep what the start-up put there).
ui::ScriptedDialogs::ModalDriver Teclea(const QString& usuario, const QString& clave, const QString& base = {})
{
    return [=](QWidget* w) {
        auto* f = qobject_cast<frmAcceso*>(w);
        ASSERT_NE(f, nullptr);
        f->TxtUserId->setText(usuario);
        f->TxtUserPassword->setText(clave);
        if (!base.isEmpty())
            f->TxtDbName->setText(base);
        f->bcAceptar_Click();
    };
}

ui::ScriptedDialogs::ModalDriver Cancela()
{
    return [](QWidget* w) { qobject_cast<frmAcceso*>(w)->bcCancelar_Click(); };
}

class Inicio : public EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        CreaBases();
    }

    // Runs the start-up; true when it ended the program.
    bool Inicia(const QString& linea, bool usaIni = false)
    {
        try {
            QString cadena;
            IniciaAplicacion(usaIni, linea, cadena, 3);
            return false;
        } catch (const legacy::ProgramEnd&) {
            return true;
        }
    }

    QStringList AccionesFallidas(DB_Dll& db = gDB())
    {
        return Filas(QStringLiteral("SELECT TC, IdComprobante, IdComplemento, Tipo_accion, Usuario, SYSTEMUSER, Cuenta "
                                    "FROM V_MV_CPTEACCIONES"),
                     db);
    }

    QStringList Accesos()
    {
        return Filas(QStringLiteral("SELECT Maquina, Usuario, Formulario, NombreUsuario FROM Control_Acceso"));
    }

    void EsperaClaveIncorrecta(ui::ScriptedDialogs& dlg)
    {
        dlg.expectMsgBox(QStringLiteral("El usuario o clave en la base de datos es incorrecto!"))
            .title(QStringLiteral("Atencion!"))
            .style(ui::vbCritical);
    }
    void EsperaIntentoFallido(ui::ScriptedDialogs& dlg)
    {
        dlg.expectMsgBox(QStringLiteral("Usuario o Clave incorrecta")).title(QStringLiteral("Atencion")).style(ui::vbInformation);
    }
};

TEST_F(Inicio, LoginCorrectoPorLaLineaDeParametros)
{
    ui::ScriptedSession dlg;
    ASSERT_FALSE(Inicia(Linea(QStringLiteral("clave1"))));
    dlg.verifyDone();
    EXPECT_TRUE(dlg.shown().isEmpty());

    DB_Dll& db = gDB();
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gDBName, QStringLiteral("DEMO"));
    EXPECT_EQ(db.gUsuario, QStringLiteral("DEMO"));
    EXPECT_EQ(db.gServidor, QStringLiteral("(sqlite)"));
    EXPECT_EQ(db.gCnn->CommandTimeout(), 30);  // from KD_REGISTROSVAR
    EXPECT_EQ(db.gCnn->IsolationLevel(), 256);
    EXPECT_EQ(gTimeOut, 30);
    EXPECT_EQ(gUsuarioLogeado, QStringLiteral("OPERADOR"));
    EXPECT_EQ(gPassword, QStringLiteral("clave1"));
    EXPECT_EQ(gCaja, QStringLiteral("2"));
    EXPECT_EQ(gParametroAdicional, QStringLiteral("EXTRA"));
    EXPECT_EQ(gFlatToolbars, 1);

    // Lookup entry and its definitions file.
    const QString vrk = carpeta_.file(QStringLiteral("consultas.vrk"));
    EXPECT_EQ(gConsulta().gConnString, db.gConnString);
    EXPECT_TRUE(gConsulta().gUsarMascarasConsultas);
    EXPECT_EQ(QFileInfo(gConsulta().gRutaMascaraConsultas).canonicalFilePath(), QFileInfo(vrk).canonicalFilePath());
    EXPECT_EQ(QFileInfo(vrk).size(), 11 * 1202);

    // Configuration loaded, access recorded, no failed-login rows, sign closed.
    EXPECT_EQ(TituloClientes, QStringLiteral("Clientes"));
    EXPECT_EQ(TablaConfiguracion, QStringLiteral("ta_configuracion"));
    EXPECT_EQ(Accesos(), QStringList{QStringLiteral("PC1|OPERADOR|VORDANE|OPERADOR")});
    EXPECT_TRUE(AccionesFallidas().isEmpty());
    EXPECT_EQ(gCartel().ventana(), nullptr);
}

TEST_F(Inicio, ArchivoDeConsultasExistenteNoSeReescribe)
{
    legacy::WriteAllText(carpeta_.file(QStringLiteral("consultas.vrk")), QString());
    ui::ScriptedSession dlg;
    ASSERT_FALSE(Inicia(Linea(QStringLiteral("CLAVE1"))));
    EXPECT_EQ(QFileInfo(carpeta_.file(QStringLiteral("consultas.vrk"))).size(), 0);
}

TEST_F(Inicio, PasswordIgualALaBaseSeBuscaEnLaTabla)
{
    {
        ui::ScriptedSession dlg;
        ASSERT_FALSE(Inicia(Linea(QStringLiteral("demo"))));
        EXPECT_TRUE(dlg.shown().isEmpty());
        EXPECT_EQ(gPassword, QStringLiteral("CLAVE1"));  // decoded from OPERADOR's row
    }
    // A user without a row keeps "* *", fails the check and gets the window.
    coretest::ReseteaModulo();
    ui::ScriptedSession dlg;
    EsperaClaveIncorrecta(dlg);
    dlg.onModal(QStringLiteral("frmAcceso"), [](QWidget* w) {
        auto* f = qobject_cast<frmAcceso*>(w);
        EXPECT_EQ(f->TxtUserId->text(), QStringLiteral("NADIE"));
        EXPECT_EQ(f->TxtUserPassword->text(), QStringLiteral("* *"));
        EXPECT_EQ(f->TxtDbName->text(), QStringLiteral("DEMO"));
        EXPECT_EQ(f->TxtServidor->text(), QStringLiteral("(sqlite)"));
        f->bcCancelar_Click();
    });
    EXPECT_TRUE(Inicia(Linea(QStringLiteral("DEMO"), QStringLiteral("NADIE"))));
    dlg.verifyDone();
}

TEST_F(Inicio, UsuarioIgualALaBasePasaConCualquierClave)
{
    ui::ScriptedSession dlg;
    ASSERT_FALSE(Inicia(Linea(QStringLiteral("lo que sea"), QStringLiteral("demo"))));
    EXPECT_EQ(gUsuarioLogeado, QStringLiteral("demo"));
}

TEST_F(Inicio, TresIntentosFallidosTerminanElPrograma)
{
    ui::ScriptedSession dlg;
    EsperaClaveIncorrecta(dlg);
    for (int i = 0; i < 3; ++i) {
        dlg.onModal(QStringLiteral("frmAcceso"), Teclea(QStringLiteral("OPERADOR"), QStringLiteral("mal")));
        EsperaIntentoFallido(dlg);
    }
    dlg.expectMsgBox(QStringLiteral("Demasiados intentos para iniciar sesión!"))
        .title(QStringLiteral("Atencion!"))
        .style(ui::vbCritical);
    EXPECT_TRUE(Inicia(Linea(QStringLiteral("mal"))));
    dlg.verifyDone();

    // One 'A' row per failed attempt in the window, none for the first check
    // (the fixed-length voucher columns filled with blanks).
    const QString fila = QStringLiteral("    |             |0|A|OPERADOR|Intento de inicio de sesion fallido|");
    EXPECT_EQ(AccionesFallidas(), (QStringList{fila, fila, fila}));
    EXPECT_TRUE(Accesos().isEmpty());
    EXPECT_FALSE(gDB().gEsAdmin && gUsuarioLogeado == QStringLiteral("SUPERVISOR"));
}

TEST_F(Inicio, SegundoIntentoCorrecto)
{
    ui::ScriptedSession dlg;
    EsperaClaveIncorrecta(dlg);
    dlg.onModal(QStringLiteral("frmAcceso"), Teclea(QStringLiteral("OPERADOR"), QStringLiteral("mal")));
    EsperaIntentoFallido(dlg);
    dlg.onModal(QStringLiteral("frmAcceso"), Teclea(QStringLiteral("SUPERVISOR"), QStringLiteral("super")));
    ASSERT_FALSE(Inicia(Linea(QStringLiteral("mal"))));
    dlg.verifyDone();
    EXPECT_EQ(gUsuarioLogeado, QStringLiteral("SUPERVISOR"));
    EXPECT_TRUE(gDB().gEsAdmin);
    EXPECT_EQ(AccionesFallidas().size(), 1);
    EXPECT_EQ(Accesos(), QStringList{QStringLiteral("PC1|SUPERVISOR|VORDANE|SUPERVISOR")});
}

TEST_F(Inicio, CancelarEnLaVentanaTerminaEnSeguida)
{
    ui::ScriptedSession dlg;
    EsperaClaveIncorrecta(dlg);
    dlg.onModal(QStringLiteral("frmAcceso"), Cancela());
    EXPECT_TRUE(Inicia(Linea(QStringLiteral("mal"))));
    dlg.verifyDone();
    EXPECT_TRUE(AccionesFallidas().isEmpty());
    EXPECT_TRUE(Accesos().isEmpty());
}

TEST_F(Inicio, CambiarDeBaseNoReiniciaLaCuentaDeIntentos)
{
    // OTRA has the demo users except OPERADOR.
    testdb::createDatabase(carpeta_.path(), QStringLiteral("OTRA"), true);
    {
        DB_Dll otra;
        otra.gServidor = QStringLiteral("(sqlite)");
        otra.gDBName = otra.gUsuario = otra.gUserPassWord = QStringLiteral("OTRA");
        otra.OpenServerADODB(false, 3, QString(), false, false);
        ASSERT_TRUE(otra.gOpenFlag);
        Ejecuta(QStringLiteral("DELETE FROM TA_USUARIOS WHERE NOMBRE = 'OPERADOR'"), otra);
        otra.gCnn->Close();
    }

    ui::ScriptedSession dlg;
    EsperaClaveIncorrecta(dlg);
    // 1: wrong password.
    dlg.onModal(QStringLiteral("frmAcceso"), Teclea(QStringLiteral("OPERADOR"), QStringLiteral("mal")));
    EsperaIntentoFallido(dlg);
    // 2: right password for DEMO, but another database where the user is unknown.
    dlg.onModal(QStringLiteral("frmAcceso"), Teclea(QStringLiteral("OPERADOR"), QStringLiteral("CLAVE1"), QStringLiteral("OTRA")));
    EsperaClaveIncorrecta(dlg);
    // 3: wrong again; that is the third attempt and the end.
    dlg.onModal(QStringLiteral("frmAcceso"), [](QWidget* w) {
        auto* f = qobject_cast<frmAcceso*>(w);
        EXPECT_EQ(f->TxtDbName->text(), QStringLiteral("OTRA"));
        f->TxtUserPassword->setText(QStringLiteral("mal"));
        f->bcAceptar_Click();
    });
    EsperaIntentoFallido(dlg);
    dlg.expectMsgBox(QStringLiteral("Demasiados intentos"));
    EXPECT_TRUE(Inicia(Linea(QStringLiteral("mal"))));
    dlg.verifyDone();
    EXPECT_EQ(gDB().gDBName, QStringLiteral("OTRA"));
    EXPECT_EQ(AccionesFallidas().size(), 1);  // the third attempt's row, in OTRA
}

TEST_F(Inicio, CambiarDeBaseConLoginCorrectoConectaAlli)
{
    testdb::createDatabase(carpeta_.path(), QStringLiteral("OTRA"), true);
    ui::ScriptedSession dlg;
    EsperaClaveIncorrecta(dlg);
    dlg.onModal(QStringLiteral("frmAcceso"),
                Teclea(QStringLiteral("OPERADOR"), QStringLiteral("CLAVE1"), QStringLiteral("OTRA")));
    ASSERT_FALSE(Inicia(Linea(QStringLiteral("mal"))));
    dlg.verifyDone();
    EXPECT_EQ(gDB().gDBName, QStringLiteral("OTRA"));
    EXPECT_EQ(Accesos(), QStringList{QStringLiteral("PC1|OPERADOR|VORDANE|OPERADOR")});
}

TEST_F(Inicio, UsuarioConApostrofeNoRompeLasConsultas)
{
    Conecta();
    Ejecuta(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, PassWord, Administrador, UNegocio) "
                           "VALUES ('D''Angelo', 'KAPO', '%1', 0, '   7')")
                .arg(kapores2::Funciones::CodificaClave(QStringLiteral("pw"))));
    // The connection is open already (as after the access window), so the
    // password lookup, the login check and the configuration run with the name.
    gUsuarioLogeado = QStringLiteral("D'Angelo");
    gPassword = kPasswordDeTabla;
    ui::ScriptedSession dlg;
    ASSERT_FALSE(Inicia(QString()));
    dlg.verifyDone();
    EXPECT_EQ(gPassword, QStringLiteral("pw"));
    EXPECT_EQ(gUNegocio, QStringLiteral("   7"));
    // The access record's field list drops the apostrophe, from the login value too.
    EXPECT_EQ(gUsuarioLogeado, QStringLiteral("DAngelo"));
}

TEST_F(Inicio, ClaveSinPuntoYComaFinalSigueAdelante)
{
    gCaja = QStringLiteral("previa");
    ui::ScriptedSession dlg;
    ASSERT_FALSE(Inicia(QStringLiteral("@server=(sqlite); @dbname=DEMO; @usuario=OPERADOR; @Password=CLAVE1; @Caja=9")));
    EXPECT_EQ(gCaja, QStringLiteral("previa"));
    EXPECT_EQ(gUsuarioLogeado, QStringLiteral("OPERADOR"));
    EXPECT_EQ(gCartel().ventana(), nullptr);
}

TEST_F(Inicio, BaseInexistenteTerminaElPrograma)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QString(), ui::vbNo).style(ui::vbYesNo + ui::vbCritical);
    EXPECT_TRUE(Inicia(QStringLiteral("@server=(sqlite); @dbname=NOEXISTE; @usuario=OPERADOR; @Password=x;")));
    dlg.verifyDone();
    EXPECT_FALSE(gDB().gOpenFlag);
}

TEST_F(Inicio, ConexionYaAbiertaSoloValidaElUsuario)
{
    Conecta();
    gUsuarioLogeado = QStringLiteral("OPERADOR");
    gPassword = QStringLiteral("CLAVE1");
    ui::ScriptedSession dlg;
    ASSERT_FALSE(Inicia(QStringLiteral("@server=otro; @dbname=OTRA; @usuario=X; @Password=y;")));
    EXPECT_EQ(gDB().gDBName, QStringLiteral("DEMO"));
    EXPECT_EQ(gUsuarioLogeado, QStringLiteral("OPERADOR"));
    EXPECT_EQ(gTimeOut, 45);  // the time-out is read only when the start-up opens the connection
    EXPECT_EQ(Accesos().size(), 1);
}

TEST_F(Inicio, SinParametrosUsaElArchivoDeConfiguracion)
{
    using kapores2::Funciones;
    // Users whose passwords a parameter text could not carry: the values of
    // the file reach the login as read, so it passes at once.
    {
        DB_Dll demo;
        demo.gServidor = QStringLiteral("(sqlite)");
        demo.gDBName = demo.gUsuario = demo.gUserPassWord = QStringLiteral("DEMO");
        demo.OpenServerADODB(false, 3, QString(), false, false);
        ASSERT_TRUE(demo.gOpenFlag);
        for (const char* u : {"PEDRO|cla;ve", "LUIS|a=b", "EVA| x "}) {
            const QStringList partes = QString::fromUtf8(u).split(u'|');
            Ejecuta(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, PassWord, Administrador) VALUES ('%1', "
                                   "'qm410tx', '%2', 0)")
                        .arg(partes[0], Funciones::CodificaClave(partes[1])),
                    demo);
        }
        demo.gCnn->Close();
    }
    struct Caso {
        const char* usuario;
        const char* clave;
    } casos[] = {{"OPERADOR", "CLAVE1"}, {"PEDRO", "cla;ve"}, {"LUIS", "a=b"}, {"EVA", " x "}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.usuario);
        const QString ini = QStringLiteral("[PC1|ANABaseDeDatos]\r\nServidor=(sqlite)\r\nDbName=DEMO\r\nUsuario=%1\r\n"
                                           "UserPassWord=%2\r\n[PC1|ANA]\r\nFlatToolbars=0\r\n")
                                .arg(Funciones::CodificaClave(QString::fromUtf8(c.usuario)),
                                     Funciones::CodificaClave(QString::fromUtf8(c.clave)));
        legacy::WriteAllText(carpeta_.file(QStringLiteral("QM410TX.INI")), ini);
        if (gDB().gOpenFlag)
            gDB().gCnn->Close();
        gDB().gOpenFlag = false;
        ui::ScriptedSession dlg;
        ASSERT_FALSE(Inicia(QString(), true));
        dlg.verifyDone();
        EXPECT_EQ(gUsuarioLogeado, QString::fromUtf8(c.usuario));
        EXPECT_EQ(gPassword, QString::fromUtf8(c.clave));
        EXPECT_EQ(gCaja, QStringLiteral("1"));
        EXPECT_EQ(gParametroAdicional, QString());
        EXPECT_EQ(gFlatToolbars, 0);
    }
}

// Seeded: passwords with every awkward character kept in the configuration
// file reach the start-up as written (only "|" is dropped, as the file's
// reader always does). The user is the database's name, which logs in
// without a password check, so the password the start-up keeps is seen.
TEST_F(Inicio, GeneratedPasswordsOfTheConfigurationFileArriveWhole)
{
    using kapores2::Funciones;
    std::mt19937 gen(53);
    const QString raros = QStringLiteral(";=@ '\"|[]ñ€º,*#\\");
    for (int k = 0; k < 30; ++k) {
        QString clave = QStringLiteral("x");
        for (int n = std::uniform_int_distribution<int>(0, 8)(gen); n > 0; --n)
            clave += raros[std::uniform_int_distribution<qsizetype>(0, raros.size() - 1)(gen)];
        if (k % 3 == 0)
            clave = u' ' + clave + u' ';
        SCOPED_TRACE(clave.toStdString());
        legacy::WriteAllText(carpeta_.file(QStringLiteral("QM410TX.INI")),
                             QStringLiteral("[PC1|ANABaseDeDatos]\r\nServidor=(sqlite)\r\nDbName=DEMO\r\nUsuario=%1\r\n"
                                            "UserPassWord=%2\r\n")
                                 .arg(Funciones::CodificaClave(QStringLiteral("DEMO")), Funciones::CodificaClave(clave)));
        if (gDB().gOpenFlag)
            gDB().gCnn->Close();
        gDB().gOpenFlag = false;
        ui::ScriptedSession dlg;
        ASSERT_FALSE(Inicia(QString(), true));
        EXPECT_NO_THROW(dlg.verifyDone());
        EXPECT_EQ(gUsuarioLogeado, QStringLiteral("DEMO"));
        EXPECT_EQ(gPassword, QString(clave).remove(u'|'));
    }
}

}  // namespace
