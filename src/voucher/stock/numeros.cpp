// Numbers of the stock statements. The writer reads and writes a few dozen
// numbers per movement row, nearly all of them in the plain form that the
// grid and the number formatting produce ("12", "-2.5", "0.000050"); those
// are read here directly, with the same rounding as the general readers,
// and every other text goes through the general readers themselves.
#include "voucher/stock/comun.h"

#include "platform/kapores2/funciones.h"
#include "platform/legacy/regional.h"

#include <QLocale>

#include <cmath>
#include <optional>

namespace stockcomun {

namespace {

bool Digito(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The currency symbol is skipped where a number starts; one that starts
// like a number would eat its first digits, so such a profile takes the
// general readers.
bool SimboloNeutro()
{
    const QString& simbolo = legacy::Regional().currencySymbol;
    return simbolo.isEmpty() || !(Digito(simbolo[0]) || simbolo[0] == u'.' || simbolo[0] == u',');
}

// "[-]digits[.digits]": at least one digit, at most 14 on either side of the
// point (so that no digit is rounded on reading and the value fits). Rounded
// half to even to four decimals, as a Currency is.
std::optional<legacy::Currency> MonedaSimple(QStringView t)
{
    const qsizetype n = t.size();
    qsizetype i = 0;
    const bool negativo = i < n && t[i] == u'-';
    if (negativo)
        ++i;
    std::int64_t unidades = 0;
    int enteros = 0;
    for (; i < n && Digito(t[i]); ++i) {
        if (++enteros > 14)
            return std::nullopt;
        unidades = unidades * 10 + (t[i].unicode() - u'0');
    }
    int decimales = 0, quinto = 0;
    bool restoNoCero = false;
    std::int64_t fraccion = 0;
    if (i < n && t[i] == u'.') {
        for (++i; i < n && Digito(t[i]); ++i) {
            const int d = t[i].unicode() - u'0';
            if (++decimales > 14)
                return std::nullopt;
            if (decimales <= 4)
                fraccion = fraccion * 10 + d;
            else if (decimales == 5)
                quinto = d;
            else if (d != 0)
                restoNoCero = true;
        }
    }
    if (i != n || enteros + decimales == 0 || !SimboloNeutro())
        return std::nullopt;
    for (int k = decimales; k < 4; ++k)
        fraccion *= 10;
    std::int64_t raw = unidades * legacy::Currency::Scale + fraccion;
    if (quinto > 5 || (quinto == 5 && (restoNoCero || (raw & 1))))
        ++raw;
    return legacy::Currency::fromRaw(negativo ? -raw : raw);
}

// The number written back as the statement writes it: the regional decimal
// sign turned into ".".
QString TextoDe(legacy::Currency c)
{
    const QChar sep = legacy::Regional().decimalSeparator;
    return c.toString(sep == u',' ? QChar(u'.') : sep);
}

QString NumLento(const legacy::Variant& v)
{
    return ModGlobal::gDB().SQLValue(v, QStringLiteral("@")).toString();
}

}  // namespace

QString Num(const QString& texto)
{
    if (texto.isEmpty())
        return QStringLiteral("0");
    if (const auto c = MonedaSimple(texto))
        return TextoDe(*c);
    return NumLento(legacy::Variant(texto));
}

QString Num(const legacy::Variant& v)
{
    if (const QString* s = v.get<QString>())
        return Num(*s);
    return NumLento(v);
}

QString Num(const legacy::Currency& v)
{
    // Its own text reads back as the same amount.
    if (SimboloNeutro())
        return TextoDe(v);
    return NumLento(legacy::Variant(v.toString()));
}

QString Num(double v)
{
    // A whole number is written with six zero decimals, which read back as
    // the number itself.
    if (v == std::trunc(v) && std::fabs(v) < 1e14 && SimboloNeutro())
        return QString::number(v == 0 ? 0 : qint64(v));
    return Num(QString::number(v, 'f', 6));
}

legacy::Currency Moneda(const QString& t)
{
    if (t.isEmpty())
        return legacy::Currency(0);
    if (const auto c = MonedaSimple(t))
        return *c;
    return kapores2::Funciones::TextoANumero(legacy::Variant(t));
}

double Doble(const QString& t)
{
    if (t.isEmpty())
        return 0;
    // "[-]digits[.digits]" is already the form the general reader hands to
    // the conversion; whole numbers of up to 15 digits convert exactly.
    if (SimboloNeutro()) {
        const qsizetype n = t.size();
        qsizetype i = t.startsWith(u'-') ? 1 : 0;
        const qsizetype inicio = i;
        while (i < n && Digito(t[i]))
            ++i;
        const qsizetype enteros = i - inicio;
        qsizetype decimales = -1;  // no point
        if (i < n && t[i] == u'.') {
            const qsizetype primero = ++i;
            while (i < n && Digito(t[i]))
                ++i;
            decimales = i - primero;
        }
        if (i == n && enteros > 0 && decimales != 0) {
            if (decimales < 0 && inicio == 0 && enteros <= 15) {
                std::int64_t v = 0;
                for (QChar c : t)
                    v = v * 10 + (c.unicode() - u'0');
                return double(v);
            }
            bool ok = false;
            const double d = QLocale::c().toDouble(t, &ok);
            if (ok && std::isfinite(d))
                return d;
        }
    }
    return kapores2::Funciones::TextoADoble(legacy::Variant(t));
}

}  // namespace stockcomun
