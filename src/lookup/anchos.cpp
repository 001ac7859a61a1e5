#include "lookup/anchos.h"

#include "platform/kapores2/funciones.h"
#include "platform/legacy/textfile.h"
#include "platform/legacy/vberror.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

namespace lookup {

namespace {

std::function<bool(const QString&, const QString&)>& renombrado()
{
    static std::function<bool(const QString&, const QString&)> f;
    return f;
}

bool Renombra(const QString& de, const QString& a)
{
    if (renombrado()) return renombrado()(de, a);
    // rename() replaces the target in one step (the old file stays whole
    // until the new one takes its name).
    return std::rename(QFile::encodeName(de).constData(), QFile::encodeName(a).constData()) == 0;
}

QString Entrecomillado(const QString& s) { return u'"' + s + u'"'; }

[[noreturn]] void FallaArchivo(const QString& ruta)
{
    throw legacy::VbError(75, QStringLiteral("Error de acceso a la ruta o el archivo: ") + ruta);
}

// The table and widths of each line of the widths file; nothing when it
// cannot be read.
std::optional<std::vector<std::pair<QString, QString>>> LineasAnchos(const QString& ruta)
{
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly)) return std::nullopt;
    std::vector<std::pair<QString, QString>> lineas;
    for (const QString& linea : legacy::fromWin1252(archivo.readAll()).split(QStringLiteral("\r\n")))
        if (!linea.isEmpty()) lineas.push_back(CamposDeLinea(linea));
    return lineas;
}

}  // namespace

QString ArchivoAnchos(const QString& carpeta)
{
    return kapores2::Funciones::CompletaRuta(carpeta) + QStringLiteral("CONSULTASLEN.VRK");
}

QString ArchivoAnchosAux(const QString& carpeta)
{
    return kapores2::Funciones::CompletaRuta(carpeta) + QStringLiteral("CONSULTASLEN.AUX");
}

std::pair<QString, QString> CamposDeLinea(const QString& linea)
{
    bool dentro = false;
    int coma = -1;
    for (int i = 0; i < linea.size(); ++i) {
        if (linea[i] == u'"') dentro = !dentro;
        else if (linea[i] == u',' && !dentro) { coma = i; break; }
    }
    auto limpia = [](QString s) {
        s = s.trimmed();
        if (s.startsWith(u'"')) s.remove(0, 1);
        if (s.endsWith(u'"')) s.chop(1);
        return s;
    };
    if (coma < 0) return {limpia(linea), QString()};
    return {limpia(linea.left(coma)), limpia(linea.mid(coma + 1))};
}

void LeeAnchos(const QString& carpeta, const QString& tabla, int columnas,
               const std::function<void(int, double)>& aplica)
{
    const QString ruta = ArchivoAnchos(carpeta);
    if (!QFileInfo(ruta).isFile()) return;
    const auto lineas = LineasAnchos(ruta);
    if (!lineas) return;
    for (auto [nombre, texto] : *lineas) {
        if (nombre.compare(tabla, Qt::CaseInsensitive) != 0) continue;
        for (int c = 1; c <= columnas; ++c) {
            const int barra = int(texto.indexOf(u'|'));
            if (barra < 0) return;  // the widths ran out: the reading ends here
            double ancho = 0;
            try {
                ancho = kapores2::Funciones::TextoANumero(legacy::Variant(texto.left(barra))).toDouble();
            } catch (const legacy::VbError&) {
                return;
            }
            aplica(c, ancho);
            texto = texto.mid(barra + 1);
        }
    }
}

void GrabaAnchos(const QString& carpeta, const QString& tabla, const std::vector<double>& anchos)
{
    const QString ruta = ArchivoAnchos(carpeta);
    const QString aux = ArchivoAnchosAux(carpeta);
    QString texto;
    if (QFileInfo(ruta).isFile()) {
        const auto lineas = LineasAnchos(ruta);
        if (!lineas) FallaArchivo(ruta);
        for (const auto& [nombre, anchosLinea] : *lineas)
            if (nombre.compare(tabla, Qt::CaseInsensitive) != 0)
                texto += Entrecomillado(nombre) + u',' + Entrecomillado(anchosLinea) + QStringLiteral("\r\n");
    }
    QString lista;
    for (double a : anchos) lista += QString::number(a, 'g', 15) + u'|';
    texto += Entrecomillado(tabla) + u',' + Entrecomillado(lista) + QStringLiteral("\r\n");

    QFile nuevo(aux);
    if (!nuevo.open(QIODevice::WriteOnly | QIODevice::Truncate)) FallaArchivo(aux);
    const QByteArray bytes = legacy::toWin1252(texto);
    const bool escrito = nuevo.write(bytes) == bytes.size() && nuevo.flush();
    nuevo.close();
    if (!escrito) {
        QFile::remove(aux);
        FallaArchivo(aux);
    }
    if (!Renombra(aux, ruta)) {
        QFile::remove(aux);
        FallaArchivo(ruta);
    }
}

void setRenombradoAnchos(std::function<bool(const QString&, const QString&)> renombra)
{
    renombrado() = std::move(renombra);
}

}  // namespace lookup
