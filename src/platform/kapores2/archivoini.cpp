#include "platform/kapores2/archivoini.h"

#include "platform/legacy/program.h"
#include "platform/legacy/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace kapores2 {

namespace {

QStringView recorta(QStringView s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && (s[a] == u' ' || s[a] == u'\t')) ++a;
    while (b > a && (s[b - 1] == u' ' || s[b - 1] == u'\t')) --b;
    return s.mid(a, b - a);
}

bool igual(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

std::optional<QString> ArchivoIni::buscaValor(const QString& texto, const QString& seccion,
                                              const QString& clave)
{
    const QStringView buscada = recorta(seccion);
    const QStringView claveBuscada = recorta(clave);
    bool dentro = false;
    bool vista = false;  // the section was found once: later ones do not count
    QStringView todo(texto);
    qsizetype inicio = 0;
    while (inicio <= todo.size()) {
        qsizetype fin = inicio;
        while (fin < todo.size() && todo[fin] != u'\n' && todo[fin] != u'\r') ++fin;
        const QStringView linea = recorta(todo.mid(inicio, fin - inicio));
        // Past the line end: CR LF, LF or CR alone.
        if (fin < todo.size() && todo[fin] == u'\r' && fin + 1 < todo.size() && todo[fin + 1] == u'\n') ++fin;
        inicio = fin + 1;

        if (linea.isEmpty() || linea.front() == u';' || linea.front() == u'#') continue;
        if (linea.front() == u'[') {
            if (dentro) return std::nullopt;  // the key was not in its section
            if (vista) continue;
            const qsizetype cierre = linea.indexOf(u']');
            const QStringView nombre = recorta(cierre < 0 ? linea.mid(1) : linea.mid(1, cierre - 1));
            dentro = igual(nombre, buscada);
            vista = dentro;
            continue;
        }
        if (!dentro) continue;
        const qsizetype igualdad = linea.indexOf(u'=');
        if (igualdad < 0) continue;
        if (!igual(recorta(linea.left(igualdad)), claveBuscada)) continue;
        QStringView valor = recorta(linea.mid(igualdad + 1));
        if (valor.size() >= 2 && (valor.front() == u'"' || valor.front() == u'\'') && valor.back() == valor.front())
            valor = valor.mid(1, valor.size() - 2);
        return valor.toString();
    }
    return std::nullopt;
}

std::optional<QString> ArchivoIni::leeTexto(const QString& ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder d(QStringDecoder::Utf16LE);
        return QString(d(bytes.mid(2)));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder d(QStringDecoder::Utf16BE);
        return QString(d(bytes.mid(2)));
    }
    return legacy::fromWin1252(bytes);
}

QString ArchivoIni::ubicaArchivo(const QString& archivo)
{
    QString ruta = archivo.trimmed();
    ruta.replace(u'\\', u'/');
    if (QDir::isRelativePath(ruta)) ruta = QDir(legacy::App().path).filePath(ruta);
    if (QFileInfo::exists(ruta)) return ruta;
    const QFileInfo info(ruta);
    if (const std::optional<QString> hallado = legacy::FindFileNoCase(info.path(), info.fileName()))
        return *hallado;
    return ruta;
}

QString ArchivoIni::LeeIni(const QString& archivo, const QString& seccion, const QString& clave,
                           const QString& defecto)
{
    if (archivo.trimmed().isEmpty()) return defecto;
    const std::optional<QString> texto = leeTexto(ubicaArchivo(archivo));
    if (!texto) return defecto;
    return buscaValor(*texto, seccion, clave).value_or(defecto);
}

}  // namespace kapores2
