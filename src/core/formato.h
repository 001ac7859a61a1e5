#pragma once
// Small conversions shared by the whole program: flags written as words,
// the date and time masks of stored rows, amounts as text and the hours and
// minutes of task durations. None of them traps errors: a failure reaches the
// caller as a run-time error.
#include <QString>

#include <cstdint>

namespace ModGlobal {

// A flag written as a word. Upper-cased, not trimmed; "" counts as "0".
// Without PorDefectoVerdadero only "TRUE", "VERDADERO", "-1", "1", "SI", "S"
// are true; with it everything is true except "FALSE", "FALSO", "0", "NO", "N".
bool TextoABooleano(const QString& Texto, bool PorDefectoVerdadero = false);

// Masks for legacy::Format.
QString FormatoFechaHora();  // "dd/mm/yy hh:mm"
QString FormatoFecha();      // "dd/mm/yy"
QString FormatoHora();       // "hh:mm"

// An amount as text. Decimales: -3 gives Valor back untouched, -1 the
// configured decimals (CantidadDecimales), 0 the currency digits of the
// regional profile (2 when it gives none), -2 no decimals, any other that
// many. SeparaMiles groups the whole part by thousands. Ancho above 0 pads
// the text to that width (at most 25; a larger value is lowered to 25 in the
// caller's variable too).
QString FmtMoneda(const QString& Valor, int Decimales, bool SeparaMiles, std::int16_t& Ancho);
QString FmtMoneda(const QString& Valor, int Decimales = -1, bool SeparaMiles = false, int Ancho = 0);

// Minutes of a time text: "h:mm", decimal hours ("1.5"), or with EsHora
// false a time of day; an empty text takes Horas * 60 + Minutos.
double HoraAMinutos(const QString& Texto, const QString& Horas = {}, const QString& Minutos = {},
                    bool EsHora = false);

// A number of minutes as a time text with the configured separator
// ("SeparadorHora", ":" when blank or UsaDosPuntos). With "." the result is
// decimal hours and Horas / Mins are left as they were.
// A negative number gives negative parts and the sign once in front of the
// text: -90 is "-01:30" with Horas -1 and Mins -30.
QString MinutosAHora(double Minutos, std::int32_t& Horas, std::int32_t& Mins, bool UsaDosPuntos = false);

// Whole minutes as hours, the separator and the minutes below 60, each part
// at least Digitos digits and the sign once in front ("-01:30" for -90 with
// two digits, "-0:30" for -30 with one). Every signed duration shown as
// hours and minutes is written by it.
QString MinutosATexto(long long Minutos, const QString& Separador, int Digitos);

}  // namespace ModGlobal
