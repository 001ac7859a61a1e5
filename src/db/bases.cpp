#include "db/bases.h"

#include "platform/kapores2/funciones.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/textfile.h"
#include "platform/legacy/vberror.h"

#include <QFile>

#include <algorithm>

using kapores2::Funciones;
using legacy::Trim;

namespace LBM_Common {

namespace {

QString& rutaGuardada()
{
    static QString ruta;
    return ruta;
}

// Comma-separated input as the runtime reads it: fields end at a comma or a
// line end (CR, LF or CR LF); blanks around a field are dropped; a field may
// be quoted (its quotes removed, what follows the closing quote up to the
// next delimiter ignored). Line ends before a field that starts a line are
// skipped, so empty lines hold no field.
class LectorCampos {
public:
    explicit LectorCampos(QString texto) : t_(std::move(texto)) {}

    // False at the end of the text (no more fields).
    bool siguiente(QString& campo)
    {
        const int n = int(t_.size());
        if (inicioDeLinea_) {
            while (p_ < n && (t_[p_] == u'\r' || t_[p_] == u'\n' || t_[p_] == u' ' || t_[p_] == u'\t'))
                ++p_;
        } else {
            while (p_ < n && (t_[p_] == u' ' || t_[p_] == u'\t'))
                ++p_;
        }
        if (p_ >= n) {
            if (inicioDeLinea_)
                return false;
            // A comma at the very end still promises one (empty) field.
            campo.clear();
            inicioDeLinea_ = true;
            return true;
        }

        campo.clear();
        if (p_ < n && t_[p_] == u'"') {
            ++p_;
            while (p_ < n && t_[p_] != u'"')
                campo += t_[p_++];
            ++p_;  // the closing quote
            while (p_ < n && t_[p_] != u',' && t_[p_] != u'\r' && t_[p_] != u'\n')
                ++p_;
        } else {
            while (p_ < n && t_[p_] != u',' && t_[p_] != u'\r' && t_[p_] != u'\n')
                campo += t_[p_++];
            campo = Trim(campo);
            while (campo.endsWith(u'\t'))
                campo.chop(1);
        }

        if (p_ >= n) {
            inicioDeLinea_ = true;
            p_ = n;
        } else if (t_[p_] == u',') {
            inicioDeLinea_ = false;
            ++p_;
        } else {
            if (t_[p_] == u'\r' && p_ + 1 < n && t_[p_ + 1] == u'\n')
                ++p_;
            ++p_;
            inicioDeLinea_ = true;
        }
        return true;
    }

private:
    QString t_;
    int p_ = 0;
    bool inicioDeLinea_ = true;
};

}  // namespace

QString RutaBases()
{
    QString& ruta = rutaGuardada();
    if (ruta.isEmpty())
        ruta = Funciones::CompletaRuta(legacy::App().path) + QStringLiteral("BASES.TXT");
    return ruta;
}

void OlvidaRutaBases()
{
    rutaGuardada().clear();
}

QString MotivoRechazoBase(const QString& Nombre, const QString& Base, const QString& Usuario,
                          const QString& Servidor)
{
    const std::pair<const char*, QString> campos[] = {
        // the name last: it is made of the database and the server
        {"la base de datos", Base}, {"el usuario", Usuario}, {"el servidor", Servidor}, {"el nombre", Nombre}};
    for (const auto& [campo, valor] : campos) {
        const QString t = Trim(valor);
        const bool separa = t.contains(u',') || t.contains(u'"') ||
                            std::any_of(t.begin(), t.end(), [](QChar c) { return c.unicode() < 32; });
        if (separa || legacy::fromWin1252(legacy::toWin1252(t)) != t)
            return QStringLiteral("La conexion no puede registrarse: ") + QString::fromLatin1(campo) +
                   QStringLiteral(" \"") + t +
                   QStringLiteral("\" contiene una coma, comillas, un salto de linea u otro caracter que el archivo "
                                  "de conexiones no puede guardar.");
    }
    return {};
}

void RegistraBaseEnArchivo(const QString& Nombre, const QString& Base, const QString& Usuario,
                           const QString& Clave, const QString& Servidor, bool Oracle)
{
    if (const QString motivo = MotivoRechazoBase(Nombre, Base, Usuario, Servidor); !motivo.isEmpty())
        throw legacy::VbError(5, motivo, QStringLiteral("RegistraBaseEnArchivo"));

    QString servidor = Trim(Servidor);
    if (Oracle)
        servidor = QStringLiteral("#") + servidor;

    const QString ruta = RutaBases();

    // A file whose last line has no line break gets a lone CR first, so the
    // new record does not run into the last one.
    QString ultimo;
    if (legacy::FileExists(ruta)) {
        const QStringList trozos = legacy::ReadAllText(ruta).split(QStringLiteral("\r\n"));
        if (!trozos.isEmpty())
            ultimo = trozos.last();
    }

    const QString clave = Funciones::CodificaClave(Clave);
    const QString linea = (Trim(ultimo).isEmpty() ? QString() : QStringLiteral("\r")) + Trim(Nombre) +
                          QStringLiteral(",") + Trim(Base) + QStringLiteral(",") + Trim(Usuario) +
                          QStringLiteral(",") + Trim(clave) + QStringLiteral(",") + servidor;
    legacy::AppendLine(ruta, linea);
}

QList<RegistroBase> LeeBases(const QString& ruta, bool* incompleto)
{
    QList<RegistroBase> registros;
    if (incompleto)
        *incompleto = false;
    if (!legacy::FileExists(ruta))
        return registros;

    LectorCampos lector(legacy::ReadAllText(ruta));
    for (;;) {
        QString campos[5];
        int leidos = 0;
        while (leidos < 5 && lector.siguiente(campos[leidos]))
            ++leidos;
        if (leidos == 0)
            break;
        if (leidos < 5) {
            // Input past the end of the file.
            if (incompleto) {
                *incompleto = true;
                break;
            }
            throw legacy::VbError(62, {}, ruta);
        }
        registros.append(RegistroBase{campos[0], campos[1], campos[2], campos[3], campos[4]});
    }
    return registros;
}

std::optional<RegistroBase> BuscaBase(const QString& ruta, const QString& nombre)
{
    const QString buscado = Trim(nombre);
    bool incompleto = false;
    for (const RegistroBase& r : LeeBases(ruta, &incompleto))
        if (Trim(r.nombre) == buscado)
            return r;
    if (incompleto)
        throw legacy::VbError(62, {}, ruta);
    return std::nullopt;
}

}  // namespace LBM_Common
