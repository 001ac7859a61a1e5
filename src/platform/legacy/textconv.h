#pragma once
// Reading numbers and dates out of text as the runtime's conversions do,
// through the regional profile. Shared by the Variant conversions, IsNumeric,
// IsDate and DateValue.
#include "platform/legacy/date.h"

#include <QByteArray>
#include <QStringView>

#include <optional>

namespace legacy {

// A number as the workstation writes it: optional blanks, a sign (leading,
// or parentheses), the currency symbol, digits with thousands separators in
// the integer part, the decimal separator, an exponent (E or D); or "&H" /
// "&O" followed by hexadecimal / octal digits. Returns the same number in
// plain ASCII ("-1234.5e3", "." as point), nullopt when the text is not a
// number.
std::optional<QByteArray> NormalizeNumberText(QStringView text);
std::optional<double> ParseNumberText(QStringView text);

// A date and / or time as the workstation writes it: day first (or as the
// profile says; when that order makes no date, the other one), "/", "-",
// "." or blanks between the parts, two- or
// four-digit years (two-digit years below 30 are 20xx), a year-first form
// "yyyy-mm-dd", month names, a time "h:mm[:ss]" with optional a.m./p.m.
// nullopt when the text is not a date.
std::optional<Date> ParseDateText(QStringView text);

// The runtime's text of a Double: up to 15 significant digits, exponent form
// ("1E+20", "1.5E-05") for very large and very small numbers, the given
// decimal point.
QString DoubleToText(double value, QChar decimalPoint);

// The C library's number reading and writing always in the "C" locale (a
// desktop locale with a decimal comma must not change them): strtod of a
// text with "." as the decimal point, and printf's %.<precision>e / %.<precision>G.
double StrToDoubleC(const char* text);
QByteArray DoubleToScientificC(double value, int precision);
QByteArray DoubleToGeneralC(double value, int precision);

}  // namespace legacy
