#pragma once
// The runtime's Format with the patterns the program uses, through the
// regional profile: numeric patterns ("0000", "00000000", "#,##0.00", "0.00",
// "#0.0000", "###,###,##0.00", ...), named formats ("General Number",
// "Currency", "Fixed", "Standard", "Percent", "Short Date", "Long Date",
// "Short Time", "Long Time", "Yes/No", "True/False", "On/Off") and date
// patterns ("dd/mm/yy", "dd/mm/yyyy", "hh:mm", "hh:mm:ss", "dd/mm/yy hh:mm",
// "dd/mm/yyyy hh:mm:ss", "mm-dd-yyyy", "yyyymmdd", "d", "m", "yyyy", "mmmm",
// "dddd", "Hh:Nn:Ss", ...). In numeric patterns "." and "," stand for the
// regional decimal and thousands separators; in date patterns "/" and ":"
// print as themselves.
#include "platform/legacy/variant.h"

namespace legacy {

QString Format(const Variant& value, const QString& pattern = {});
// FormatNumber(value, digits, leading zero, parentheses, group): regional.
QString FormatNumber(const Variant& value, int digitsAfterDecimal = -1, bool groupDigits = true);

// Date parts.
int Year(const Date& d);
int Month(const Date& d);
int Day(const Date& d);
int Hour(const Date& d);
int Minute(const Date& d);
int Second(const Date& d);
int Weekday(const Date& d);  // 1 = Sunday
Date DateSerial(int year, int month, int day);  // months and days roll over as the runtime does
Date TimeSerial(int hour, int minute, int second);
Date DateAdd(const QString& interval, double number, const Date& d);  // "yyyy","q","m","d","y","w","ww","h","n","s"
long long DateDiff(const QString& interval, const Date& a, const Date& b);
Date Now();
Date Today();  // the runtime's "Date"
Date Time();
Date DateValue(const QString& text);  // regional; error 13 when not a date
Date TimeValue(const QString& text);

}  // namespace legacy
