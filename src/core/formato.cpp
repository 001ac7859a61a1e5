#include "core/formato.h"

#include "core/configuracion.h"
#include "core/modglobal.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/format.h"
#include "platform/legacy/numeric.h"
#include "platform/legacy/regional.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"
#include "platform/legacy/vberror.h"

#include <cmath>

using kapores2::Funciones;
using legacy::Decimal;
using legacy::Trim;
using legacy::UCase;
using legacy::Val;

namespace ModGlobal {

bool TextoABooleano(const QString& Texto, bool PorDefectoVerdadero)
{
    const QString t = Texto.isEmpty() ? QStringLiteral("0") : UCase(Texto);
    auto esUna = [&t](std::initializer_list<const char*> palabras) {
        for (const char* p : palabras)
            if (t == QLatin1String(p))
                return true;
        return false;
    };
    if (PorDefectoVerdadero)
        return !esUna({"FALSE", "FALSO", "0", "NO", "N"});
    return esUna({"TRUE", "VERDADERO", "-1", "1", "SI", "S"});
}

QString FormatoFechaHora()
{
    return QStringLiteral("dd/mm/yy hh:mm");
}

QString FormatoFecha()
{
    return QStringLiteral("dd/mm/yy");
}

QString FormatoHora()
{
    return QStringLiteral("hh:mm");
}

namespace {

// The whole digits of a non-negative decimal text in groups of three.
QString AgrupaMiles(const QString& enteros, QChar separador)
{
    QString r;
    const int n = int(enteros.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            r += separador;
        r += enteros[i];
    }
    return r;
}

// The mask "###...0." followed by `decimales` zeros applied to a value
// already rounded: at least one whole digit, exactly `decimales` decimals,
// the regional separators.
QString AplicaMascara(const Decimal& valor, int decimales, bool separaMiles)
{
    const legacy::RegionalProfile& reg = legacy::Regional();
    QString texto = (valor.isNegative() ? -valor : valor).toString(u'.');
    QString enteros = texto.section(u'.', 0, 0);
    QString fraccion = texto.contains(u'.') ? texto.section(u'.', 1) : QString();
    if (enteros.isEmpty())
        enteros = QStringLiteral("0");
    fraccion = fraccion.leftJustified(decimales, u'0', true);
    QString r = separaMiles ? AgrupaMiles(enteros, reg.thousandsSeparator) : enteros;
    // The mask always carries its decimal point; FmtMoneda drops it again
    // when there are no decimals.
    r += reg.decimalSeparator + fraccion;
    if (valor.isNegative())
        r.prepend(u'-');
    return r;
}

}  // namespace

QString FmtMoneda(const QString& Valor, int Decimales, bool SeparaMiles, std::int16_t& Ancho)
{
    if (Decimales == -3)
        return Valor;

    long d = Decimales;
    if (Decimales == -1)
        d = long(Val(CantidadDecimales));
    if (d == 0) {
        // The regional profile's currency digits; a profile without them
        // gives none.
        const int digitos = legacy::Regional().currencyDigits;
        d = digitos < 0 ? 0 : digitos;
    }
    if (d == -2)
        d = 0;
    if (d < 0 || d > 28)
        throw legacy::VbError(5);

    const legacy::Currency numero = Funciones::TextoANumero(legacy::Variant(Valor));
    const Decimal redondeado = numero.toDecimal().rounded(int(d));
    QString texto = AplicaMascara(redondeado, int(d), SeparaMiles);

    if (d == 0 && (texto.endsWith(u'.') || texto.endsWith(u',')))
        texto.chop(1);

    if (Ancho > 0) {
        if (Ancho > 25)
            Ancho = 25;
        texto = Funciones::RellenaTexto(texto, Ancho);
    }
    return texto;
}

QString FmtMoneda(const QString& Valor, int Decimales, bool SeparaMiles, int Ancho)
{
    std::int16_t ancho = std::int16_t(qBound(-32768, Ancho, 32767));
    return FmtMoneda(Valor, Decimales, SeparaMiles, ancho);
}

namespace {

// A number of the time text, with either decimal sign ("1,5" hours are 90
// minutes).
double NumeroDeHora(const QString& texto)
{
    return kapores2::Funciones::TextoADoble(texto);
}

// Hours before the first ":" and minutes after it (no ":": decimal hours).
// A minus in front of the hours is the sign of the whole duration, as
// MinutosAHora writes it: "-01:30" and "-00:30" are -90 and -30 minutes.
double PartesDeHora(const QString& texto)
{
    const long p = legacy::InStr(texto, QStringLiteral(":"));
    if (p == 0)
        return NumeroDeHora(texto) * 60;
    const QString horas = legacy::Left(texto, p - 1);
    const double minutos = NumeroDeHora(legacy::Mid(texto, p + 1));
    const bool negativa = Trim(horas).startsWith(u'-');
    return NumeroDeHora(horas) * 60 + (negativa ? -std::fabs(minutos) : minutos);
}

}  // namespace

double HoraAMinutos(const QString& Texto, const QString& Horas, const QString& Minutos, bool EsHora)
{
    if (EsHora)
        return PartesDeHora(Texto);
    if (legacy::IsDate(legacy::Variant(Texto))) {
        const legacy::Date momento = legacy::CDate(legacy::Variant(Texto));
        return legacy::Hour(momento) * 60 + legacy::Minute(momento);
    }
    if (Trim(Texto).isEmpty()) {
        if (Val(Horas) > 0 || Val(Minutos) > 0)
            return Val(Horas) * 60 + Val(Minutos);
        return 0;
    }
    return PartesDeHora(Texto);
}

namespace {

// "#####.00" with "." as the point: no digit before the point for values
// under one.
QString HorasDecimales(double horas)
{
    // The mask rounds halves away from zero: add half a hundredth to the
    // magnitude and cut.
    const bool negativo = horas < 0;
    const Decimal magnitud = Decimal::fromDouble(std::fabs(horas)) + Decimal::fromParts(5, 3, false);
    const QString texto = magnitud.toString(u'.');
    QString enteros = texto.section(u'.', 0, 0);
    const QString fraccion =
        (texto.contains(u'.') ? texto.section(u'.', 1) : QString()).leftJustified(2, u'0', true);
    if (enteros == QLatin1String("0"))
        enteros.clear();
    const bool cero = enteros.isEmpty() && fraccion == QLatin1String("00");
    return (negativo && !cero ? QStringLiteral("-") : QString()) + enteros + u'.' + fraccion;
}

}  // namespace

QString MinutosAHora(double Minutos, std::int32_t& Horas, std::int32_t& Mins, bool UsaDosPuntos)
{
    QString separador = Cfg(QStringLiteral("SeparadorHora"));
    if (UsaDosPuntos)
        separador = QStringLiteral(":");
    if (Trim(separador).isEmpty())
        separador = QStringLiteral(":");

    if (separador == QLatin1String("."))
        return HorasDecimales(Minutos / 60);

    // Integer division and remainder round their operand to a whole number
    // first (halves to even), as the runtime's "\" and Mod do.
    const std::int32_t total = legacy::CLng(legacy::Variant(Minutos));
    Horas = total / 60;
    Mins = total % 60;
    return MinutosATexto(total, separador, 2);
}

QString MinutosATexto(long long Minutos, const QString& Separador, int Digitos)
{
    const long long magnitud = Minutos < 0 ? -Minutos : Minutos;
    const auto parte = [Digitos](long long n) { return QString::number(n).rightJustified(Digitos, u'0'); };
    return (Minutos < 0 ? QStringLiteral("-") : QString()) + parte(magnitud / 60) + Separador + parte(magnitud % 60);
}

}  // namespace ModGlobal
