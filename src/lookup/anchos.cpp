#include "lookup/anchos.h"

#include "platform/kapores2/funciones.h"
#include "platform/legacy/program.h"
#include "platform/legacy/textfile.h"
#include "platform/legacy/vberror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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

// A width wider than this is no width a screen can show (10,000 pixels at
// 15 twips a pixel, past the widest screens): a stored one counts as no
// stored width, so a damaged line cannot make a column, its search box and
// the window millions of twips wide.
constexpr double kAnchoMaximo = 150000;

// A stored width as the writer writes it: digits, with a decimal point or
// comma for a fractional one.
const QRegularExpression kNumero(QStringLiteral("^\\+?(\\d+([.,]\\d*)?|[.,]\\d+)$"));

// The table and widths of each line of the widths file; nothing when it
// cannot be read. Lines end in CR LF or in LF alone (a file edited on
// Linux).
std::optional<std::vector<std::pair<QString, QString>>> LineasAnchos(const QString& ruta)
{
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly)) return std::nullopt;
    std::vector<std::pair<QString, QString>> lineas;
    for (QString linea : legacy::fromWin1252(archivo.readAll()).split(u'\n')) {
        if (linea.endsWith(u'\r')) linea.chop(1);
        if (!linea.isEmpty()) lineas.push_back(CamposDeLinea(linea));
    }
    return lineas;
}

// The lock of the widths file, taken for the whole read-change-replace of
// a writer (other writers wait for it): "CONSULTASLEN.LCK" beside the file.
// The lock is on a file of its own because the widths file itself is
// replaced by every writer.
class Candado {
public:
    explicit Candado(const QString& carpeta)
    {
        const QString ruta = kapores2::Funciones::CompletaRuta(carpeta) + QStringLiteral("CONSULTASLEN.LCK");
        fd_ = ::open(QFile::encodeName(ruta).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0) FallaArchivo(ruta);
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            ::close(fd_);
            FallaArchivo(ruta);
        }
    }
    ~Candado() { ::close(fd_); }  // closing releases the lock
    Candado(const Candado&) = delete;
    Candado& operator=(const Candado&) = delete;

private:
    int fd_ = -1;
};

// Writes `bytes` to a new temporary file of this writer in the folder,
// flushed to disk; its path. Nothing is left behind on a failure.
QString EscribeTemporal(const QString& carpeta, const QByteArray& bytes)
{
    const QString base = kapores2::Funciones::CompletaRuta(carpeta) + QStringLiteral("CONSULTASLEN.");
    for (int intento = 0; intento < 100; ++intento) {
        const QString ruta = base + QString::number(::getpid()) + u'-' +
                             QString::number(QRandomGenerator::global()->generate(), 16) + QStringLiteral(".AUX");
        const QByteArray nombre = QFile::encodeName(ruta);
        const int fd = ::open(nombre.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            FallaArchivo(ruta);
        }
        qsizetype hecho = 0;
        while (hecho < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + hecho, size_t(bytes.size() - hecho));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            hecho += n;
        }
        const bool escrito = hecho == bytes.size() && ::fsync(fd) == 0;
        if (::close(fd) != 0 || !escrito) {
            ::unlink(nombre.constData());
            FallaArchivo(ruta);
        }
        return ruta;
    }
    FallaArchivo(base + QStringLiteral("AUX"));
}

// Removes the temporary files that writers which died on the way left in
// the folder: those of a process that no longer exists on this machine, and
// any older than a day (the folder is shared, and a process number of
// another machine says nothing here). Run under the lock, while no other
// writer has a temporary file of its own.
void QuitaTemporalesHuerfanos(const QString& carpeta)
{
    const QDir dir(carpeta);
    const QDateTime ayer = QDateTime::currentDateTimeUtc().addDays(-1);
    const QString prefijo = QStringLiteral("CONSULTASLEN.");
    for (const QFileInfo& f : dir.entryInfoList({prefijo + QStringLiteral("*.AUX")}, QDir::Files)) {
        bool esNumero = false;
        const qint64 pid = f.fileName().mid(prefijo.size()).section(u'-', 0, 0).toLongLong(&esNumero);
        if ((esNumero && legacy::ProcessGone(pid)) || f.lastModified().toUTC() < ayer) QFile::remove(f.filePath());
    }
}

}  // namespace

QString ArchivoAnchos(const QString& carpeta)
{
    return kapores2::Funciones::CompletaRuta(carpeta) + QStringLiteral("CONSULTASLEN.VRK");
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
            // A width that is no number (the library reads "abc" as 0) or a
            // negative one is damage: the reading ends, so that no column
            // is hidden or squeezed by it.
            const QString valor = texto.left(barra).trimmed();
            if (!kNumero.match(valor).hasMatch()) return;
            double ancho = 0;
            try {
                ancho = kapores2::Funciones::TextoANumero(legacy::Variant(valor)).toDouble();
            } catch (const legacy::VbError&) {
                return;
            }
            if (ancho <= kAnchoMaximo) aplica(c, ancho);
            texto = texto.mid(barra + 1);
        }
    }
}

void GrabaAnchos(const QString& carpeta, const QString& tabla, const std::vector<double>& anchos)
{
    const QString ruta = ArchivoAnchos(carpeta);
    // Read, change and replace under the lock, so that the lines another
    // window writes meanwhile are read before this rewrite and kept.
    const Candado candado(carpeta);
    QuitaTemporalesHuerfanos(carpeta);
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

    // The new text goes to a temporary file of this writer, on disk before
    // it takes the file's name in one step: the file is never seen empty
    // or partial.
    const QString aux = EscribeTemporal(carpeta, legacy::toWin1252(texto));
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
