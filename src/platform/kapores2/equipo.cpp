#include "platform/kapores2/equipo.h"

#include "platform/legacy/program.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryFile>

namespace kapores2 {

namespace {

bool abreConEscritorio(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

Equipo::Abridor& abridor()
{
    static Equipo::Abridor a = abreConEscritorio;
    return a;
}

bool seEscribe(const QString& carpeta)
{
    if (carpeta.isEmpty() || !QDir().mkpath(carpeta)) return false;
    QTemporaryFile prueba(carpeta + QStringLiteral("/.escritura-XXXXXX"));
    return prueba.open();
}

bool esDireccion(const QString& s)
{
    static const QStringList prefijos = {QStringLiteral("www."), QStringLiteral("mailto:"),
                                         QStringLiteral("ftp.")};
    if (s.contains(QLatin1String("://"))) return true;
    for (const QString& p : prefijos)
        if (s.startsWith(p, Qt::CaseInsensitive)) return true;
    return false;
}

}  // namespace

QString Equipo::NombrePC()
{
    const QString n = legacy::App().machineName;
    return n.isEmpty() ? QSysInfo::machineHostName() : n;
}

QString Equipo::UsuarioWindows()
{
    const QString u = legacy::App().userName;
    if (!u.isEmpty()) return u;
    for (const char* var : {"USER", "LOGNAME", "USERNAME"}) {
        const QString v = qEnvironmentVariable(var);
        if (!v.isEmpty()) return v;
    }
    return {};
}

QString Equipo::CarpetaPorDefecto()
{
    QString datos = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!datos.isEmpty()) {
        const QString exe = legacy::App().exeName;
        datos += u'/' + (exe.isEmpty() ? QStringLiteral("vordane") : exe);
        if (seEscribe(datos)) return QDir::cleanPath(datos);
    }
    return QDir::cleanPath(QDir::tempPath());
}

long Equipo::EjecutaArchivo(QWidget* ventana, const QString& operacion, const QString& archivo,
                            const QString& parametros, const QString& carpeta, int modo)
{
    Q_UNUSED(ventana);
    Q_UNUSED(operacion);
    Q_UNUSED(parametros);
    Q_UNUSED(modo);
    QString f = archivo.trimmed();
    if (f.size() >= 2 && f.startsWith(u'"') && f.endsWith(u'"')) f = f.mid(1, f.size() - 2).trimmed();
    if (f.isEmpty()) return NoEncontrado;

    QUrl url;
    if (esDireccion(f)) {
        url = QUrl::fromUserInput(f);
    } else {
        f.replace(u'\\', u'/');
        if (QDir::isRelativePath(f)) {
            QString base = carpeta.trimmed();
            base.replace(u'\\', u'/');
            if (base.isEmpty()) base = legacy::App().path;
            f = QDir(base).filePath(f);
        }
        if (!QFileInfo::exists(f)) return NoEncontrado;
        url = QUrl::fromLocalFile(QFileInfo(f).absoluteFilePath());
    }
    if (!url.isValid()) return NoEncontrado;
    return abridor()(url) ? Abierto : SinAplicacion;
}

Equipo::Abridor Equipo::setAbridor(Abridor nuevo)
{
    Abridor anterior = abridor();
    abridor() = nuevo ? std::move(nuevo) : Abridor(abreConEscritorio);
    return anterior;
}

}  // namespace kapores2
