// Starting other programs without waiting for them.
#include "db/arranque.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

qint64 IniciaDesprendido(const QString& programa, const QStringList& argumentos, bool)
{
    qint64 pid = 0;
    QProcess proceso;
    proceso.setProgram(programa);
    proceso.setArguments(argumentos);
    if (!proceso.startDetached(&pid))
        return 0;
    return pid;
}

Arranque::Iniciador& iniciador()
{
    static Arranque::Iniciador f = IniciaDesprendido;
    return f;
}

}  // namespace

qint64 Arranque::IniciaPrograma(const QString& programa, const QStringList& argumentos, bool minimizado)
{
    return iniciador()(programa, argumentos, minimizado);
}

Arranque::Iniciador Arranque::setIniciador(Iniciador nuevo)
{
    Iniciador anterior = std::move(iniciador());
    iniciador() = nuevo ? std::move(nuevo) : Iniciador(IniciaDesprendido);
    return anterior;
}

QString Arranque::UbicaPrograma(const QString& carpeta, const QString& nombre)
{
    if (nombre.isEmpty())
        return QString();
    const QDir dir(carpeta.isEmpty() ? QStringLiteral(".") : carpeta);
    const QFileInfo tal(dir.filePath(nombre));
    if (tal.isFile())
        return tal.filePath();
    if (nombre.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) {
        const QFileInfo sinExtension(dir.filePath(nombre.left(nombre.size() - 4)));
        if (sinExtension.isFile())
            return sinExtension.filePath();
    }
    return QString();
}
