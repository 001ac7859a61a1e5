// Launching programs, documents and addresses.
#include "core/lanzador.h"

#include "core/modglobal.h"
#include "core/tratamientoerrores.h"
#include "db/arranque.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/ui/dialogs.h"

#include <QFile>
#include <QFileInfo>

using db_texto::Contiene;
using legacy::InStr;
using legacy::Mid;
using legacy::VbError;

namespace {

// The menu entry's program from the program folder; an entry written with
// "SHELL:" in front loses that prefix (only there: a name that merely holds
// "SHELL" later is a name).
QString SinPrefijoShell(const QString& programa)
{
    if (programa.startsWith(QStringLiteral("SHELL:"), Qt::CaseInsensitive))
        return Mid(programa, 7);
    return programa;
}

// Starts a program of the suite with the parameter string as its one
// argument. A program that is not there, or does not start, is the
// runtime's "File not found".
std::int32_t Inicia(const QString& programa, const QString& parametros)
{
    const QFileInfo info(programa);
    const QString ruta = Arranque::UbicaPrograma(info.path(), info.fileName());
    if (ruta.isEmpty())
        throw VbError(53, QStringLiteral("File not found: ") + programa, QStringLiteral("MenuExes"));
    const qint64 pid = Arranque::IniciaPrograma(ruta, QStringList{parametros}, false);
    if (pid == 0)
        throw VbError(53, QStringLiteral("File not found: ") + programa, QStringLiteral("MenuExes"));
    return std::int32_t(pid);
}

// The key of the first session value that the parameter string cannot
// carry to the started program as it is here, by the reader's rules: a ";"
// ends a value, every "=" is dropped, a key's name after "@" anywhere is
// found as that key ("VER@Caja" gives the cash desk ""), and outer blanks are
// dropped, which only the password cannot afford. Empty when all arrive.
QString ValorQueNoViaja(const QString& adicional)
{
    using namespace ModGlobal;
    static const QStringList claves = {QStringLiteral("@ParametroAdicional"), QStringLiteral("@Menu"),
                                       QStringLiteral("@Server"),             QStringLiteral("@DbName"),
                                       QStringLiteral("@Usuario"),            QStringLiteral("@Password"),
                                       QStringLiteral("@Caja")};
    const auto viaja = [&](const QString& valor) {
        if (valor.contains(u';') || valor.contains(u'='))
            return false;
        for (const QString& clave : claves)
            if (valor.contains(clave, Qt::CaseInsensitive))
                return false;
        return true;
    };
    DB_Dll& db = gDB();
    const std::pair<QString, QString> valores[] = {
        {QStringLiteral("@server"), db.gServidor},          {QStringLiteral("@dbname"), db.gDBName},
        {QStringLiteral("@usuario"), gUsuarioLogeado},       {QStringLiteral("@Password"), gPassword},
        {QStringLiteral("@ParametroAdicional"), adicional}, {QStringLiteral("@Caja"), gCaja},
    };
    for (const auto& [clave, valor] : valores)
        if (!viaja(valor))
            return clave;
    if (gPassword != legacy::Trim(gPassword))
        return QStringLiteral("@Password");
    return {};
}

// Starts a program only when the parameter string carries every value of
// the session; otherwise says which one it cannot carry and starts nothing
// (the program would work with other values: another password, another
// cash desk).
bool ParametrosViajan(const QString& programa, const QString& adicional)
{
    const QString clave = ValorQueNoViaja(adicional);
    if (clave.isEmpty())
        return true;
    ui::MsgBox(QStringLiteral("No se puede iniciar ") + legacy::Trim(programa) + QStringLiteral(": el valor de ") + clave +
                   QStringLiteral(" no puede pasarse al programa.\r(No admite \";\", \"=\" ni \"@\" seguido del nombre de "
                                  "un parametro; la clave, tampoco blancos al principio o al final.)"),
               ui::vbExclamation + ui::vbOKOnly, QStringLiteral("Atención"));
    return false;
}

}  // namespace

QString ModGlobal::ParametrosLanzamiento(const QString& Parametros)
{
    DB_Dll& db = gDB();
    return QStringLiteral(" ; @server=") + db.gServidor + QStringLiteral("; @dbname=") + db.gDBName +
           QStringLiteral("; @usuario=") + gUsuarioLogeado + QStringLiteral("; @Password=") + gPassword +
           QStringLiteral("; @ParametroAdicional=") + Parametros + QStringLiteral("; gurm@ ; @UsuarioLogeado = ") +
           gUsuarioLogeado + QStringLiteral("; @Caja=") + gCaja + QStringLiteral(";");
}

void ModGlobal::MenuExes(QString& Programa, QString& Parametros, std::int32_t& Resultado)
{
    legacy::ErrorTrap trap(QStringLiteral("MenuExes"), ManejadorErrores);
    QString parametros;
    QString carpeta;

    trap([&] {
        if (const long blanco = InStr(Parametros, QStringLiteral(" ")); blanco > 0)
            Parametros = Mid(Parametros, blanco + 1);
    });
    trap([&] { parametros = ParametrosLanzamiento(Parametros); });
    if (trap.left())
        return;

    // A program named by its full path ("\\" as written for the suite's home
    // platform, or "/"): started from there, not from the program folder.
    auto esRuta = [&] {
        return Programa.contains(u'\\') || (!Contiene(Programa, kMarcaWebLocal) && Programa.contains(u'/'));
    };
    bool viajan = true;
    if (esRuta()) {
        trap([&] { viajan = ParametrosViajan(Programa, Parametros); });
        if (!viajan)
            return;
        trap([&] {
            QString ruta = SinPrefijoShell(Programa);
            ruta.replace(u'\\', u'/');
            Resultado = Inicia(ruta, parametros);
        });
    } else {
        trap([&] { carpeta = kapores2::Funciones::CompletaRuta(legacy::App().path); });
        if (Contiene(Programa, kMarcaWebLocal)) {
            trap([&] {
                Programa = legacy::Replace(Programa, QStringLiteral("shell:"), QString(), 1, -1, legacy::vbTextCompare);
            });
            QString servidor;
            trap([&] {
                // A server written with an instance name gives the machine
                // name alone.
                servidor = gDB().gServidor;
                if (const long barra = InStr(servidor, QStringLiteral("/")); barra > 0)
                    servidor = legacy::Left(servidor, barra - 1);
                if (const long barra = InStr(servidor, QStringLiteral("\\")); barra > 0)
                    servidor = legacy::Left(servidor, barra - 1);
            });
            trap([&] { Programa = legacy::Replace(Programa, kHostLocal, servidor, 1, -1, legacy::vbTextCompare); });
            trap([&] { AbrirURL(Programa); });
            trap([&] { Resultado = 1; });
        } else {
            trap([&] { viajan = ParametrosViajan(Programa, Parametros); });
            if (!viajan)
                return;
            trap([&] { Resultado = Inicia(carpeta + SinPrefijoShell(Programa), parametros); });
        }
    }
    if (trap.left())
        return;
    if (Resultado == 0)
        ui::MsgBox(QStringLiteral("Opcion no Implementada!\rComuniquese con su proveedor de sistemas"),
                   ui::vbCritical + ui::vbOKOnly, QStringLiteral("Atención"));
}

void ModGlobal::AbrirURL(QString URL)
{
    URL = legacy::Trim(URL);
    if (URL.isEmpty()) {
        ui::MsgBox(QStringLiteral("URL vacía"), ui::vbExclamation + ui::vbOKOnly);
        return;
    }
    const long resultado = kapores2::Equipo::EjecutaArchivo(nullptr, QStringLiteral("open"), URL, QString(), QString(), 1);
    if (resultado <= 32)
        ui::MsgBox(QStringLiteral("No se pudo abrir la URL: ") + URL + QStringLiteral("\r\nCódigo: ") +
                       QString::number(resultado),
                   ui::vbCritical + ui::vbOKOnly);
}

void ModGlobal::AbreDocumento(QString Ruta, const legacy::Variant& Modo)
{
    if (!Ruta.contains(u'"') && Ruta.contains(u' '))
        Ruta = QStringLiteral("\"") + Ruta + QStringLiteral("\"");
    const int muestra = Modo.toBool() ? 6 : 1;
    kapores2::Equipo::EjecutaArchivo(nullptr, QString(), Ruta, QString(), QString(), muestra);
}

bool ModGlobal::ExisteArchivo(const QString& Ruta)
{
    const QString ruta = QString(Ruta).remove(u'"');
    if (ruta.isEmpty() || QFileInfo(ruta).isDir())
        return false;
    QFile archivo(ruta);
    const bool abierto = archivo.open(QIODevice::ReadOnly);
    archivo.close();
    return abierto;
}
