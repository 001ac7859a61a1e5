// The access window's registration of a typed connection in "BASES.TXT"
// (with the optional helper "ODBC.exe") and its desktop shortcut.
#include "db/frmacceso.h"

#include "db/arranque.h"
#include "db/bases.h"
#include "db/db_dll.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

using kapores2::Funciones;
using legacy::Trim;
using legacy::UCase;
using legacy::VbError;

namespace {

// The connection the registration tests with. It is a database object of
// its own: registering a connection must neither close nor re-point the
// program's main connection, whose login it does not know.
DB_Dll& ConexionDePrueba()
{
    static std::unique_ptr<DB_Dll> db;
    if (!db)
        db = std::make_unique<DB_Dll>();
    return *db;
}

void CierraSiAbierta(DB_Dll& db)
{
    if (db.gCnn->State() != ado::adStateClosed)
        db.gCnn->Close();
}

QString CarpetaPrograma()
{
    return Funciones::CompletaRuta(legacy::App().path);
}

// A text value of the launcher file on one line: backslashes doubled and
// line breaks and tabs written as the file's escapes, so that no value can
// start a line or a key of its own.
QString ValorLanzador(const QString& valor)
{
    QString escapado;
    for (const QChar c : valor) {
        switch (c.unicode()) {
        case u'\\': escapado += QStringLiteral("\\\\"); break;
        case u'\r': escapado += QStringLiteral("\\r"); break;
        case u'\n': escapado += QStringLiteral("\\n"); break;
        case u'\t': escapado += QStringLiteral("\\t"); break;
        default: escapado += c;
        }
    }
    return escapado;
}

// One argument of a launcher's command line: between double quotes, with the
// characters that are special there escaped, then written as the file's
// text value with "%" doubled, which the launcher would otherwise take for a
// field code.
QString ArgumentoLanzador(const QString& argumento)
{
    QString escapado;
    for (const QChar c : argumento) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            escapado += u'\\';
        escapado += c;
    }
    QString valor = ValorLanzador(QStringLiteral("\"") + escapado + QStringLiteral("\""));
    valor.replace(QStringLiteral("%"), QStringLiteral("%%"));
    return valor;
}

// Control characters the launcher file has no escape for.
bool SinEscape(const QString& valor)
{
    for (const QChar c : valor)
        if (c.category() == QChar::Other_Control && c != u'\r' && c != u'\n' && c != u'\t')
            return true;
    return false;
}

}  // namespace

QString frmAcceso::CarpetaEscritorio()
{
    QString carpeta = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (carpeta.isEmpty())
        carpeta = QDir::homePath() + QStringLiteral("/Desktop");
    return QDir::cleanPath(carpeta);
}

QString frmAcceso::ContenidoAccesoDirecto(const QString& nombre, const QString& programa, const QString& argumentos)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Version=1.0\n"
                          "Name=") +
           ValorLanzador(nombre) + QStringLiteral("\nExec=") + ArgumentoLanzador(programa) + QStringLiteral(" ") +
           ArgumentoLanzador(argumentos) + QStringLiteral("\nPath=") + ValorLanzador(QFileInfo(programa).path()) +
           QStringLiteral("\nTerminal=false\n");
}

bool frmAcceso::ExisteBaseDeDatos(const QString& Servidor, const QString& Dbname, const QString& Usuario,
                                  const QString& PassWord, const QString& Proveedor)
{
    DB_Dll& db = ConexionDePrueba();
    bool resultado = true;
    auto paso = [&](const std::function<void()>& f) {
        try {
            f();
        } catch (const VbError&) {
            resultado = false;
        }
    };
    paso([&] { CierraSiAbierta(db); });
    const QString cadena = QStringLiteral("PROVIDER=") + Proveedor + QStringLiteral(";") + QStringLiteral("Server=") +
                           Servidor + QStringLiteral(";") + QStringLiteral("Database =") + Dbname +
                           QStringLiteral(";") + QStringLiteral("UId=") + Usuario + QStringLiteral(";") +
                           QStringLiteral("Pwd=") + PassWord + QStringLiteral(";");
    paso([&] { db.gCnn->Open(cadena); });
    if (resultado)
        paso([&] { db.gCnn->Close(); });
    return resultado;
}

void frmAcceso::CmdRegistrar_Click()
{
    DB_Dll& prueba = ConexionDePrueba();
    QString servidor;
    QString nombre;

    // Steps 1-8 stop the registration by returning false. Errors that only
    // say the connection was already closed or the service already running
    // go on with the next step; any other is shown and the registration
    // goes on with the helper program.
    const std::function<bool()> pasos[] = {
        [&] {
            QString parteServidor = UCase(Trim(TxtServidor->text()));
            if (const long dosPuntos = legacy::InStr(parteServidor, QStringLiteral(":")); dosPuntos > 0)
                parteServidor = legacy::Left(parteServidor, dosPuntos - 1);
            nombre = UCase(Trim(TxtDbName->text())) + QStringLiteral(" / ") + parteServidor;
            return true;
        },
        [&] {
            // A field the registry file cannot hold is refused before anything
            // is tested or written ("SRV01,1433" would make the whole file
            // unreadable).
            const QString motivo =
                LBM_Common::MotivoRechazoBase(nombre, TxtDbName->text(), TxtDbName->text(), TxtServidor->text());
            if (motivo.isEmpty())
                return true;
            ui::MsgBox(motivo, ui::vbExclamation, QStringLiteral("Atencion"));
            return false;
        },
        [&] {
            // DatosBase reports a registry it cannot read itself; the name
            // then counts as not registered.
            servidor_.clear();
            DatosBase(nombre);
            if (!servidor_.isEmpty()) {
                ui::MsgBox(QStringLiteral("La conexion que intenta registrar ya existe "), ui::vbInformation,
                           QStringLiteral("Atencion"));
                return false;
            }
            return true;
        },
        [&] {
            const legacy::Currency puerto = Funciones::TextoANumero(legacy::Variant(TxtPuerto->text()));
            puerto_ = puerto.raw() == 0 ? legacy::Variant(1433) : legacy::Variant(puerto);
            return true;
        },
        [&] {
            for (QLineEdit* caja : {TxtServidor, TxtUserId, TxtUserPassword, TxtDbName})
                caja->setText(Trim(caja->text()));
            servidor = TxtServidor->text();
            return true;
        },
        [&] {
            const QString base = UCase(TxtDbName->text());
            prueba.gServidor = servidor;
            prueba.gDBName = TxtDbName->text();
            if (ExisteBaseDeDatos(servidor, base, base, base, QStringLiteral("SQLOLEDB"))) {
                LBM_Common::RegistraBaseEnArchivo(nombre, TxtDbName->text(), TxtDbName->text(), TxtDbName->text(),
                                                  servidor, false);
                return true;
            }
            // The typed login, on the test connection.
            CierraSiAbierta(prueba);
            prueba.gServidor = servidor;
            prueba.gUsuario = TxtUserId->text();
            prueba.gUserPassWord = TxtUserPassword->text();
            prueba.gDBName = TxtDbName->text();
            prueba.OpenServerADODB(false, 3, QString(), false, true);
            if (!prueba.gOpenFlag) {
                ui::MsgBox(QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR ") + servidor +
                               QStringLiteral(" VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO"),
                           ui::vbInformation, QStringLiteral("AVISO AL OPERADOR"));
                return false;
            }
            LBM_Common::RegistraBaseEnArchivo(nombre, TxtDbName->text(), TxtDbName->text(), TxtDbName->text(), servidor,
                                              false);
            return true;
        },
    };
    constexpr std::int32_t kServicioYaIniciado = std::int32_t(0x80070420);
    for (const auto& paso : pasos) {
        try {
            if (!paso())
                return;
        } catch (const VbError& e) {
            if (e.Number == ado::adErrObjectClosed || e.Number == kServicioYaIniciado || e.Number == 1056 ||
                e.Number == 440 || e.Number == 20480)
                continue;
            ui::MsgBox(QStringLiteral("SQL Server start failed.  \rSQL-DMO error:  ") +
                           (e.Number >= 0 ? QStringLiteral(" ") : QString()) + QString::number(e.Number) +
                           QStringLiteral(" ") + e.Description,
                       ui::vbOKOnly, QString());
            break;
        }
    }

    // The helper program, when there is one; nothing waits for it.
    try {
        const QString odbc = Arranque::UbicaPrograma(CarpetaPrograma(), QStringLiteral("ODBC.exe"));
        if (!odbc.isEmpty())
            Arranque::IniciaPrograma(
                odbc, {QStringLiteral("Server=") + servidor + QStringLiteral(";DB=") + prueba.gDBName + QStringLiteral(";")},
                true);
    } catch (const VbError&) {
    }
    try {
        CierraSiAbierta(prueba);
    } catch (const VbError&) {
    }
    llenarlist();
}

void frmAcceso::CmdLineaComando_Click()
{
    const legacy::ProgramInfo& app = legacy::App();
    QString nombre = Trim(app.title);
    if (nombre.isEmpty())
        nombre = app.exeName;
    const QString escritorio = CarpetaEscritorio();
    const QString archivo = escritorio + QStringLiteral("/") + nombre + QStringLiteral(".desktop");
    const QString programa = CarpetaPrograma() + app.exeName;

    if (QFileInfo::exists(archivo)) {
        ui::MsgBox(QStringLiteral("El acceso directo ya existe."), ui::vbInformation, QStringLiteral("Acceso Directo"));
        return;
    }
    const QString argumentos = QStringLiteral(" ; @server=") + TxtServidor->text() + QStringLiteral("; @dbname=") +
                               TxtDbName->text() + QStringLiteral("; @usuario=") + TxtUserId->text() +
                               QStringLiteral("; @Password=; @ParametroAdicional=; gurm@ ; @UsuarioLogeado = ; @Caja=;");

    // A shortcut that could not be written is reported as such, never as
    // created. A value with a control character the file cannot escape is
    // refused whole.
    QString error;
    for (const QString& valor : {nombre, programa, argumentos})
        if (SinEscape(valor))
            error = QStringLiteral("El texto contiene un caracter de control");
    if (error.isEmpty()) {
        QDir().mkpath(escritorio);
        QFile f(archivo);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            error = f.errorString();
        } else {
            const QByteArray contenido = ContenidoAccesoDirecto(nombre, programa, argumentos).toUtf8();
            if (f.write(contenido) != contenido.size() || !f.flush())
                error = f.errorString();
            f.close();
            if (error.isEmpty() &&
                !f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                  QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                  QFileDevice::ExeOther))
                error = f.errorString();
            if (!error.isEmpty())
                f.remove();
        }
    }
    if (!error.isEmpty()) {
        ui::MsgBox(QStringLiteral("Se ha producido un error: ") + error, ui::vbCritical, QStringLiteral("Error"));
        return;
    }
    ui::MsgBox(QStringLiteral("Acceso directo creado correctamente en el escritorio."), ui::vbInformation,
               QStringLiteral("Acceso Directo"));
}

bool frmAcceso::EjecutarCmdRegDB(const QString& Archivo, QString* ErrDevuelto)
{
    QStringList partes = QProcess::splitCommand(Archivo);
    if (!partes.isEmpty()) {
        QProcess proceso;
        proceso.start(partes.takeFirst(), partes);
        if (proceso.waitForStarted()) {
            while (!proceso.waitForFinished(100))
                ui::DoEvents();
            return true;
        }
    }
    if (ErrDevuelto)
        *ErrDevuelto = QStringLiteral("Error al ejecutar el comando");
    return false;
}
