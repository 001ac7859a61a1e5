#include "platform/kapores2/funciones.h"

#include "platform/legacy/regional.h"
#include "platform/legacy/strings.h"
#include "platform/ui/dialogs.h"

#include <QLocale>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <limits>

namespace kapores2 {

namespace {

bool soloDigitos(const QString& s)
{
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

bool esLiteralSql(const QString& s)
{
    if (s.size() >= 2 && s.front() == u'\'' && s.back() == u'\'') return true;
    return s.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0;
}

QString rellena(const QString& texto, int ancho, bool derecha)
{
    const qsizetype faltan = ancho - texto.size();
    if (faltan <= 0) return texto;
    return derecha ? QString(faltan, u' ') + texto : texto + QString(faltan, u' ');
}

// A number text reduced to "[-]digits[.digits][e[-]digits]" with "." as the
// decimal point.
struct NumeroLeido {
    bool negativo = false;
    QString entero;
    QString fraccion;
    QString exponente;

    QString texto() const
    {
        QString s = negativo ? QStringLiteral("-") : QString();
        s += entero.isEmpty() ? QStringLiteral("0") : entero;
        if (!fraccion.isEmpty()) s += u'.' + fraccion;
        if (!exponente.isEmpty()) s += u'e' + exponente;
        return s;
    }
};

bool digito(QChar c)
{
    return c >= u'0' && c <= u'9';
}

NumeroLeido leeNumero(const QString& s)
{
    NumeroLeido n;
    const qsizetype len = s.size();
    qsizetype i = 0;
    auto saltaEspacios = [&] {
        while (i < len && s[i].isSpace()) ++i;
    };
    saltaEspacios();
    // A sign and the currency symbol, in either order.
    const QString simbolo = legacy::Regional().currencySymbol;
    bool signo = false, moneda = false;
    for (int vuelta = 0; vuelta < 2; ++vuelta) {
        if (!signo && i < len && (s[i] == u'-' || s[i] == u'+')) {
            n.negativo = s[i] == u'-';
            signo = true;
            ++i;
            saltaEspacios();
        } else if (!moneda && !simbolo.isEmpty() && QStringView(s).mid(i).startsWith(simbolo)) {
            moneda = true;
            i += simbolo.size();
            saltaEspacios();
        }
    }

    QString cuerpo;
    while (i < len && (digito(s[i]) || s[i] == u'.' || s[i] == u',')) cuerpo += s[i++];

    // Exponent: only when digits follow.
    if (i < len && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype j = i + 1;
        QString exp;
        if (j < len && (s[j] == u'-' || s[j] == u'+')) {
            if (s[j] == u'-') exp += u'-';
            ++j;
        }
        const qsizetype inicio = j;
        while (j < len && digito(s[j])) exp += s[j++];
        if (j > inicio) n.exponente = exp;
    }

    // Which separator is the decimal sign.
    QChar decimal;
    for (;;) {
        const qsizetype puntos = cuerpo.count(u'.');
        const qsizetype comas = cuerpo.count(u',');
        if (puntos == 0 && comas == 0) break;
        if (puntos > 0 && comas > 0) {
            const qsizetype ultimo = std::max(cuerpo.lastIndexOf(u'.'), cuerpo.lastIndexOf(u','));
            const QChar d = cuerpo[ultimo];
            if (cuerpo.count(d) == 1) {
                decimal = d;
                break;
            }
            // "1,234.5.6": the number ends before the second decimal sign.
            cuerpo.truncate(cuerpo.indexOf(d, cuerpo.indexOf(d) + 1));
            continue;
        }
        const QChar sep = puntos > 0 ? u'.' : u',';
        if ((puntos > 0 ? puntos : comas) == 1) decimal = sep;
        break;
    }
    bool enFraccion = false;
    for (QChar c : cuerpo) {
        if (digito(c))
            (enFraccion ? n.fraccion : n.entero) += c;
        else if (c == decimal)
            enFraccion = true;
    }
    if (n.entero.isEmpty() && n.fraccion.isEmpty()) return NumeroLeido{};
    return n;
}

[[noreturn]] void desborde()
{
    throw legacy::VbError(6, legacy::VbError::defaultDescription(6), QStringLiteral("Kapores2"));
}

legacy::Decimal decimalDe(const QString& texto)
{
    const std::optional<legacy::Decimal> d = legacy::Decimal::parse(leeNumero(texto).texto());
    if (!d) desborde();
    return *d;
}

bool esNumerico(const legacy::Variant& v)
{
    return v.VarType() == legacy::vbBoolean || legacy::IsNumberType(v.VarType());
}

bool mismoValor(const legacy::Variant& a, const legacy::Variant& b)
{
    if (a.IsNull() || b.IsNull() || a.IsObject() || b.IsObject() || a.IsArray() || b.IsArray()) return false;
    if (esNumerico(a) && esNumerico(b)) return legacy::Compare(a, b) == 0;
    return legacy::StrComp(legacy::Trim(legacy::CStr(a)), legacy::Trim(legacy::CStr(b)), legacy::vbTextCompare) == 0;
}

// Password encoding: each byte of the UTF-8 text is mixed with a key and
// chained to the previous output byte, written as two hexadecimal digits,
// behind the marker "K" and followed by a 16-bit check of the plain bytes.
// The check lets DecodificaClave tell a stored form from a plain password.
constexpr std::array<quint8, 11> kMezcla = {0x5B, 0xC3, 0x17, 0x8E, 0x2D, 0xF1, 0x64, 0xA9, 0x3A, 0xD2, 0x71};
constexpr quint8 kInicio = 0x5A;

quint16 comprobacion(const QByteArray& bytes)
{
    quint32 a = quint32(bytes.size()) % 255, b = 0x71;
    for (char c : bytes) {
        a = (a + quint8(c)) % 255;
        b = (b + a) % 255;
    }
    return quint16((b << 8) | a);
}

int valorHex(QChar c)
{
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
    return -1;
}

}  // namespace

QString Funciones::RellenaCodigo(const QString& codigo, int ancho)
{
    const QString t = legacy::Trim(codigo);
    if (esLiteralSql(t)) return codigo;
    if (ancho <= 0 || t.size() >= ancho) return t;
    return rellena(t, ancho, soloDigitos(t));
}

QString Funciones::RellenaTexto(const QString& texto, int ancho)
{
    const QString t = legacy::Trim(texto);
    if (ancho <= 0 || t.size() >= ancho) return t;
    return rellena(t, ancho, soloDigitos(t));
}

QString Funciones::CortaTexto(const QString& texto, long maximo)
{
    return legacy::Left(texto, maximo);
}

legacy::Currency Funciones::TextoANumero(const legacy::Variant& texto)
{
    if (texto.IsNull() || texto.IsEmpty()) return legacy::Currency(0);
    if (const QString* s = texto.get<QString>()) return legacy::Currency::fromDecimal(decimalDe(*s));
    if (const bool* b = texto.get<bool>()) return legacy::Currency(*b ? -1 : 0);
    return texto.toCurrency();
}

double Funciones::TextoADoble(const legacy::Variant& texto)
{
    if (texto.IsNull() || texto.IsEmpty()) return 0;
    if (const QString* s = texto.get<QString>()) {
        bool ok = false;
        const double d = QLocale::c().toDouble(leeNumero(*s).texto(), &ok);
        if (!ok || !std::isfinite(d)) desborde();
        return d;
    }
    if (const bool* b = texto.get<bool>()) return *b ? -1 : 0;
    return texto.toDouble();
}

std::int32_t Funciones::TextoAEntero(const legacy::Variant& texto)
{
    if (texto.IsNull() || texto.IsEmpty()) return 0;
    if (const QString* s = texto.get<QString>()) {
        const long long v = decimalDe(*s).toLongLong();
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
            desborde();
        return std::int32_t(v);
    }
    if (const bool* b = texto.get<bool>()) return *b ? -1 : 0;
    return texto.toLong();
}

legacy::Variant Funciones::ValorNoNulo(const legacy::Variant& valor)
{
    if (valor.IsNull()) return legacy::Variant(QString());
    return valor;
}

legacy::Variant Funciones::ValorNoNulo(const legacy::Variant& valor, int tipoCampo)
{
    if (!valor.IsNull()) return valor;
    switch (tipoCampo) {
    case 2:    // adSmallInt
    case 16:   // adTinyInt
    case 17:   // adUnsignedTinyInt
        return legacy::Variant(std::int16_t(0));
    case 3:    // adInteger
    case 18:   // adUnsignedSmallInt
    case 19:   // adUnsignedInt
    case 20:   // adBigInt
    case 21:   // adUnsignedBigInt
        return legacy::Variant(0);
    case 4:    // adSingle
    case 5:    // adDouble
        return legacy::Variant(0.0);
    case 6:    // adCurrency
        return legacy::Variant(legacy::Currency(0));
    case 14:   // adDecimal
    case 131:  // adNumeric
    case 139:  // adVarNumeric
        return legacy::Variant(legacy::Decimal(0));
    case 11:   // adBoolean
        return legacy::Variant(false);
    default:
        return legacy::Variant(QString());
    }
}

long Funciones::CuentaPalabras(const QString& texto)
{
    long palabras = 0;
    bool dentro = false;
    for (QChar c : texto) {
        const bool separador = c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
        if (!separador && !dentro) ++palabras;
        dentro = !separador;
    }
    return palabras;
}

QString Funciones::QuitaCaracteres(const QString& texto, const QString& c1, const QString& c2, const QString& c3)
{
    QString s = texto;
    for (const QString* c : {&c1, &c2, &c3})
        if (!c->isEmpty()) s.remove(*c, Qt::CaseSensitive);
    return s;
}

QString Funciones::Reemplaza(const QString& texto, const QString& buscar, const QString& reemplazo)
{
    if (buscar.isEmpty()) return texto;
    QString s = texto;
    return s.replace(buscar, reemplazo, Qt::CaseSensitive);
}

QString Funciones::ReemplazaTexto(const QString& texto, const QString& viejo, const QString& nuevo)
{
    if (viejo.isEmpty()) return texto;
    // Letters, digits and "_" make up a name; "$" and "#" do too in SQL names.
    const QRegularExpression re(QStringLiteral("(?<![\\w$#])") + QRegularExpression::escape(viejo) +
                                    QStringLiteral("(?![\\w$#])"),
                                QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QString s = texto;
    QString reemplazo = nuevo;
    reemplazo.replace(u'\\', QLatin1String("\\\\"));
    return s.replace(re, reemplazo);
}

bool Funciones::EstaEnLista(const legacy::Variant& valor, const QStringList& lista)
{
    for (const QString& e : lista)
        if (mismoValor(valor, legacy::Variant(e))) return true;
    return false;
}

bool Funciones::EstaEnLista(const legacy::Variant& valor, const legacy::Variant& lista)
{
    if (lista.IsArray()) {
        for (const legacy::Variant& e : lista.array().items)
            if (mismoValor(valor, e)) return true;
        return false;
    }
    return mismoValor(valor, lista);
}

QString Funciones::TextoDeCampoFijo(const QString& campo)
{
    const qsizetype fin = campo.indexOf(QChar(0));
    return legacy::Trim(fin < 0 ? campo : campo.left(fin));
}

QString Funciones::ObtieneTextoTc(const QString& literal)
{
    QString s = legacy::Trim(literal);
    if (s.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) return {};
    if (s.size() >= 2 && s.front() == u'\'' && s.back() == u'\'') s = s.mid(1, s.size() - 2);
    return legacy::Trim(s.replace(QLatin1String("''"), QLatin1String("'")));
}

QString Funciones::CompletaRuta(const QString& carpeta)
{
    if (carpeta.isEmpty()) return QStringLiteral("./");
    if (carpeta.endsWith(u'/')) return carpeta;
    if (carpeta.endsWith(u'\\')) return carpeta.left(carpeta.size() - 1) + u'/';
    return carpeta + u'/';
}

QString Funciones::CodificaClave(const QString& clave)
{
    if (clave.isEmpty()) return {};
    const QByteArray bytes = clave.toUtf8();
    QString out = QStringLiteral("K");
    quint8 anterior = kInicio;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const quint8 c = quint8((quint8(bytes[i]) ^ kMezcla[size_t(i) % kMezcla.size()]) + anterior);
        anterior = c;
        out += QStringLiteral("%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
    }
    out += QStringLiteral("%1").arg(comprobacion(bytes), 4, 16, QLatin1Char('0')).toUpper();
    return out;
}

QString Funciones::DecodificaClave(const QString& guardada)
{
    const QString s = legacy::Trim(guardada);
    // "K", at least one byte, the four digits of the check.
    if (s.size() < 7 || (s.size() - 5) % 2 != 0 || (s[0] != u'K' && s[0] != u'k')) return guardada;
    QList<int> digitos;
    for (qsizetype i = 1; i < s.size(); ++i) {
        const int v = valorHex(s[i]);
        if (v < 0) return guardada;
        digitos << v;
    }
    const qsizetype n = (digitos.size() - 4) / 2;
    QByteArray bytes;
    quint8 anterior = kInicio;
    for (qsizetype i = 0; i < n; ++i) {
        const quint8 c = quint8(digitos[2 * i] * 16 + digitos[2 * i + 1]);
        bytes += char(quint8(quint8(c - anterior) ^ kMezcla[size_t(i) % kMezcla.size()]));
        anterior = c;
    }
    quint16 guardado = 0;
    for (qsizetype i = 2 * n; i < digitos.size(); ++i) guardado = quint16(guardado * 16 + digitos[i]);
    if (guardado != comprobacion(bytes)) return guardada;
    const QString clave = QString::fromUtf8(bytes);
    if (clave.toUtf8() != bytes) return guardada;  // not text: not one of ours
    return clave;
}

int Funciones::MuestraError(const legacy::VbError& error, std::optional<int> botones, const QString& rutina)
{
    if (error.Number == 0) return 0;
    QString descripcion = legacy::Trim(error.Description);
    if (descripcion.isEmpty()) descripcion = legacy::VbError::defaultDescription(error.Number);
    const QString mensaje = QStringLiteral("Ha ocurrido el Siguiente Error (%1) %2").arg(error.Number).arg(descripcion);
    QString titulo = error.Source;
    if (!rutina.isEmpty()) titulo += QStringLiteral(" - ") + rutina;
    titulo += QStringLiteral(" Aviso al operador!!! - 5 ");
    return ui::MsgBox(mensaje, botones.value_or(ui::vbAbortRetryIgnore | ui::vbCritical), titulo);
}

int Funciones::MuestraError(const legacy::ErrObject& error, std::optional<int> botones, const QString& rutina)
{
    return MuestraError(legacy::VbError(error.Number, error.Description, error.Source), botones, rutina);
}

void Funciones::PreparaFormulario(QWidget* ventana, bool opcion)
{
    Q_UNUSED(ventana);
    Q_UNUSED(opcion);
}

}  // namespace kapores2
