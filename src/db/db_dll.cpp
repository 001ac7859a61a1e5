// DB_Dll: the object, and opening a connection to a server (SQL Server or
// Oracle) or to a local database file.
#include "db/db_dll.h"

#include "db/db_texto.h"
#include "db/frmacceso.h"
#include "db/modglobal_db.h"
#include "platform/legacy/program.h"
#include "platform/ui/dialogs.h"

#include <QComboBox>
#include <QLineEdit>

using namespace db_texto;
using legacy::VbError;

DB_Dll::DB_Dll() : gCnn(std::make_shared<ado::Connection>()) {}

DB_Dll::~DB_Dll() = default;

void DB_Dll::ArmaCadenaConexion()
{
    if (Contiene(gServidor, QStringLiteral("#"))) {
        gConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + gDBName + QStringLiteral(";User Id=") +
                      gUsuario + QStringLiteral(";Password=") + gUserPassWord + QStringLiteral(";");
        return;
    }
    gConnString = QStringLiteral("PROVIDER=") + pSQLOLEDB() + QStringLiteral(";") + QStringLiteral("Server=") +
                  gServidor + QStringLiteral(";") + QStringLiteral("Database =") + gDBName + QStringLiteral(";") +
                  QStringLiteral("UId=") + gUsuario + QStringLiteral(";") + QStringLiteral("Pwd=") + gUserPassWord +
                  QStringLiteral(";");
    if (!Contiene(gConnString, QStringLiteral("Connect Timeout=")))
        gConnString += QStringLiteral("Connect Timeout=5;");
    gConnString += gExtended;
}

// The access window as login dialog. By the suite's convention the database
// login and password both equal the database name typed.
bool DB_Dll::PideDatosConexion()
{
    frmAcceso& ventana = frmAcceso::Default();
    ventana.Aceptar = false;
    ventana.TxtDbName->setText(gDBName);
    ventana.TxtServidor->setText(gServidor);
    ventana.TxtUserId->setText(ModGlobal::gUsuarioLogeado);
    ventana.TxtUserPassword->setText(ModGlobal::gPassword);
    ventana.CboPlataformaDB->setCurrentIndex(0);
    ui::ShowModal(&ventana);

    if (ventana.Aceptar) {
        gOpenFlag = true;
        gDBName = ventana.TxtDbName->text();
        gUsuario = gDBName;
        gUserPassWord = gDBName;
        gServidor = ventana.TxtServidor->text();
        if (ventana.CboPlataformaDB->currentIndex() > 0) {
            gProveedor = QStringLiteral("OraOLEDB.Oracle.1");
            if (!Contiene(gServidor, QStringLiteral("#")))
                gServidor = QStringLiteral("#") + gServidor;
        } else {
            gProveedor = ModGlobal::gDB().pSQLOLEDB();
        }
    } else {
        gOpenFlag = false;
    }
    ventana.hide();
    return gOpenFlag;
}

void DB_Dll::OpenServerADODB(bool PideParametrosSQL, int lCursor, const QString& ConnString, bool ValidaAdmin,
                             bool MuestraError)
{
    int reintentos = 0;
    gOpenFlag = true;
    if (gProveedor.isEmpty())
        gProveedor = pSQLOLEDB();

    if (legacy::Trim(ConnString).isEmpty())
        ArmaCadenaConexion();
    else
        gConnString = ConnString;

    if (PideParametrosSQL) {
        if (!PideDatosConexion())
            return;
        ArmaCadenaConexion();
    }

    auto manejador = [&](const VbError& e, const QString&) -> int {
        ado::ErrorCollection& errores = gCnn->Errors();
        if (MuestraError && errores.Count() > 0) {
            const ado::Error& a = errores.Item(0);
            // The server and login of the connection being opened (this
            // object's): the main one at start-up, the typed one when a
            // registration opens its own.
            const QString texto =
                QStringLiteral(" Estado de Sql: ") + a.SQLState + CR + QStringLiteral("Numero de Error: ") +
                QString::number(a.Number) + CR + QStringLiteral("Descripcion: ") + a.Description + CR +
                QStringLiteral("Codigo Nativo: ") + QString::number(a.NativeError) + CR + CRLF +
                QStringLiteral("Nombre de Proceso: ") + legacy::App().exeName + CR + CRLF + CRLF +
                QStringLiteral("1. Verifique el Usuario, contraseña y base de datos") + CRLF +
                QStringLiteral("2. Verifique el nombre del servidor, quizas necesite agregarle el nombre de la "
                               "instancia, por ejemplo : ") +
                gServidor + QStringLiteral("\\KAPORES") + CRLF +
                QStringLiteral("3. Verifique si el inicio de sesion para el usuario ") + gUsuario +
                QStringLiteral(" existe") + CRLF + CRLF + CRLF + QStringLiteral(" - Desea Intentarlo Nuevamente??? ");
            if (ui::MsgBox(texto, ui::vbYesNo + ui::vbCritical, QStringLiteral(" Error de Conexion a Base de Datos")) ==
                ui::vbYes) {
                errores.Clear();
                frmAcceso::Default().hide();
                if (!PideDatosConexion())
                    return 0;
                ArmaCadenaConexion();
                return 4;
            }
            gOpenFlag = false;
            return 0;
        }
        if (e.Number == ado::adErrObjectOpen && reintentos == 0) {
            reintentos = 1;
            try {
                gCnn->Close();
            } catch (const VbError&) {
            }
            return 4;
        }
        if (MuestraError)
            ui::MsgBox(e.Description, ui::vbOKOnly, QString());
        // A failed opening is a failed opening, also when only its
        // description was shown: the start-up must not go on as if connected.
        gOpenFlag = false;
        return 0;
    };

    legacy::ErrorTrap trap(QStringLiteral("OpenServerADODB"), manejador);
    trap([&] { gCnn->setConnectionTimeout(3); });
    trap([&] { gCnn->setCursorLocation(lCursor); });
    trap([&] { gCnn->Open(gConnString, QString(), QString(), -1); });
    if (trap.left())
        return;

    if (!ValidaAdmin) {
        gEsAdmin = true;
        return;
    }
    if (legacy::Trim(gDBName).isEmpty())
        return;
    trap([&] { gCnn->setDefaultDatabase(gDBName); });
    bool hayUsuarios = false;
    trap([&] { hayUsuarios = ModGlobal::gDB().ExisteTablaDB(QStringLiteral("TA_USUARIOS")); });
    if (trap.left() || !hayUsuarios)
        return;
    trap([&] {
        if (!MuestraError) {
            gEsAdmin = true;
            return;
        }
        legacy::Variant tipo(8);
        const legacy::Variant valor =
            ModGlobal::gDB().DatosTabla(QStringLiteral("ta_usuarios"), ModGlobal::gUsuarioLogeado,
                                        QStringLiteral("Administrador"), QStringLiteral("nombre"), tipo, QString(),
                                        true, false);
        // The flag column is a number on some databases and a bit on others;
        // a bit reads as the text of True.
        const QString texto = valor.toString();
        gEsAdmin = legacy::Val(texto) == 1 || Iguales(legacy::Trim(texto), legacy::Variant(true).toString());
    });
}

void DB_Dll::OpenLocalADODB(const QString& ConnString, const QString& CadenaID, const QString& CadenaPWD)
{
    auto pideArchivo = [&]() -> bool {
        if (!CmdDlg)
            CmdDlg = std::make_shared<kapores2::Dialogo>();
        CmdDlg->DialogoTitulo(QStringLiteral("Buscar Base de Datos"));
        CmdDlg->DialogoFiltro(QStringLiteral("Base de Datos de Microsoft Access |*.MDB"));
        CmdDlg->DialogoAbrir();
        gDBName = CmdDlg->DialogoArchivo();
        return CmdDlg->DialogoResultado();
    };

    QString clausulaClave;
    int intentosClaveGuardada = 0;
    for (;;) {
        // Nothing chosen in the file dialog: there is nothing to open.
        if (legacy::Trim(gDBName).isEmpty() && !pideArchivo())
            return;
        QString cadena = ConnString;
        if (cadena.isEmpty())
            cadena = QStringLiteral("PROVIDER=") + gProveedor + QStringLiteral(";") + QStringLiteral("Data Source =") +
                     gDBName + QStringLiteral(";") + CadenaID + QStringLiteral("=") + gUsuario + QStringLiteral(";") +
                     CadenaPWD + QStringLiteral("=") + gUserPassWord + QStringLiteral(";") + gExtended;
        cadena += clausulaClave;
        try {
            gCnn->Open(cadena, QString(), QString(), -1);
            gConnString = cadena;
            return;
        } catch (const VbError& e) {
            const ado::ErrorCollection& errores = gCnn->Errors();
            const QString estado = errores.Count() > 0 ? errores.Item(0).SQLState : QString();
            if (estado == u"3024" || estado == u"3051" || estado == u"3044") {
                if (!pideArchivo())
                    return;
                continue;
            }
            if (estado == u"3031") {
                bool usarGuardada = false;
                try {
                    usarGuardada = gIgnoraPassWord.toBool();
                } catch (const VbError&) {
                }
                // A wrong stored password is tried a few times, then the
                // operator is asked instead of retrying for ever.
                if (usarGuardada && intentosClaveGuardada < 3) {
                    ++intentosClaveGuardada;
                    clausulaClave = QStringLiteral("Jet OLEDB:Database Password=") + gUserPassWord + QStringLiteral(";");
                } else {
                    const QString clave =
                        ui::InputBox(QStringLiteral("ingrese el password:"), QStringLiteral("Password Access"));
                    if (clave.isEmpty())
                        return;  // cancelled
                    clausulaClave = QStringLiteral(" Jet OLEDB:Database Password=") + clave + QStringLiteral(";");
                }
                continue;
            }
            ui::MsgBox(QString::number(e.Number) + QStringLiteral("  ") + e.Description, ui::vbCritical);
            return;
        }
    }
}
