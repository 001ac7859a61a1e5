// The server's dates on the embedded engine, which keeps them as ISO text:
// the reader of a date argument (ISO text, a day-first text, a number of
// days since 1900), GETDATE, DATEADD, DATEDIFF, DATEPART, YEAR, MONTH, DAY,
// and a date plus or minus days. The rewrite reads the date literals of a
// statement (sql_dates.cpp); these read the values the engine hands them.
#include "platform/ado/sqlite_functions_private.h"

#include "platform/ado/sql_text.h"

#include <cmath>

namespace ado::functions {

// A date argument: the engine's own text of a date (a date column, the
// result of a date function, a literal the rewrite has read), a text of the
// server's date forms (day first, 'yyyy-mm-dd' and 'yyyymmdd', each with an
// optional time, in ticks of 1/300 second), or a number of days since
// 1 January 1900 (the server's reading of numbers as dates).
bool argDate(sqlite3_value* v, QDateTime& out) {
    if (sqlite3_value_type(v) == SQLITE_INTEGER || sqlite3_value_type(v) == SQLITE_FLOAT) {
        const double d = sqlite3_value_double(v);
        const qint64 days = qint64(std::floor(d));
        const qint64 ms = qint64(std::llround((d - double(days)) * 86400000.0));
        out = QDateTime(QDate(1900, 1, 1).addDays(days), QTime(0, 0)).addMSecs(ms);
        return true;
    }
    const QString s = argText(v).trimmed();
    // (ISO text with more than three decimals read to the millisecond)
    const QString text = s.size() > 23 && s[4] == u'-' ? s.left(23) : s;
    std::optional<QDateTime> dt = sql::readKept(text);
    if (!dt) dt = sql::readDateTime(text);
    if (!dt) return false;
    out = *dt;
    return true;
}

namespace {

enum class Part { Year, Quarter, Month, DayOfYear, Day, Week, Weekday, Hour, Minute, Second, Millisecond, Bad };

Part partOf(const QString& name) {
    const QString p = name.trimmed().toLower();
    if (p == u"year" || p == u"yy" || p == u"yyyy") return Part::Year;
    if (p == u"quarter" || p == u"qq" || p == u"q") return Part::Quarter;
    if (p == u"month" || p == u"mm" || p == u"m") return Part::Month;
    if (p == u"dayofyear" || p == u"dy" || p == u"y") return Part::DayOfYear;
    if (p == u"day" || p == u"dd" || p == u"d") return Part::Day;
    if (p == u"week" || p == u"wk" || p == u"ww") return Part::Week;
    if (p == u"weekday" || p == u"dw") return Part::Weekday;
    if (p == u"hour" || p == u"hh") return Part::Hour;
    if (p == u"minute" || p == u"mi" || p == u"n") return Part::Minute;
    if (p == u"second" || p == u"ss" || p == u"s") return Part::Second;
    if (p == u"millisecond" || p == u"ms") return Part::Millisecond;
    return Part::Bad;
}

void fnGetDate(sqlite3_context* ctx, int, sqlite3_value**) {
    resultText(ctx, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void fnDateAdd(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const Part p = partOf(argText(argv[0]));
    const qint64 n = qint64(sqlite3_value_double(argv[1]));
    QDateTime d;
    if (!argDate(argv[2], d)) return fail(ctx, "DATEADD", "conversion failed");
    switch (p) {
    case Part::Year: d = d.addYears(int(n)); break;
    case Part::Quarter: d = d.addMonths(int(n * 3)); break;
    case Part::Month: d = d.addMonths(int(n)); break;
    case Part::DayOfYear:
    case Part::Day:
    case Part::Weekday: d = d.addDays(n); break;
    case Part::Week: d = d.addDays(n * 7); break;
    case Part::Hour: d = d.addSecs(n * 3600); break;
    case Part::Minute: d = d.addSecs(n * 60); break;
    case Part::Second: d = d.addSecs(n); break;
    case Part::Millisecond: d = d.addMSecs(n); break;
    case Part::Bad: return fail(ctx, "DATEADD", "invalid date part");
    }
    resultText(ctx, isoOf(d));
}

// Boundaries crossed between two dates, as the server counts them.
void fnDateDiff(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const Part p = partOf(argText(argv[0]));
    QDateTime a, b;
    if (!argDate(argv[1], a) || !argDate(argv[2], b)) return fail(ctx, "DATEDIFF", "conversion failed");
    const qint64 days = a.date().daysTo(b.date());
    auto secsOfDay = [](const QDateTime& x) { return qint64(x.time().msecsSinceStartOfDay()); };
    qint64 r = 0;
    switch (p) {
    case Part::Year: r = b.date().year() - a.date().year(); break;
    case Part::Quarter:
        r = (b.date().year() * 4 + (b.date().month() - 1) / 3) - (a.date().year() * 4 + (a.date().month() - 1) / 3);
        break;
    case Part::Month: r = (b.date().year() * 12 + b.date().month()) - (a.date().year() * 12 + a.date().month()); break;
    case Part::DayOfYear:
    case Part::Day:
    case Part::Weekday: r = days; break;
    case Part::Week: {
        // weeks start on Sunday
        const qint64 sa = a.date().toJulianDay() - (a.date().dayOfWeek() % 7);
        const qint64 sb = b.date().toJulianDay() - (b.date().dayOfWeek() % 7);
        r = (sb - sa) / 7;
        break;
    }
    case Part::Hour: r = days * 24 + b.time().hour() - a.time().hour(); break;
    case Part::Minute: r = days * 1440 + (b.time().hour() * 60 + b.time().minute()) - (a.time().hour() * 60 + a.time().minute()); break;
    case Part::Second: r = days * 86400 + secsOfDay(b) / 1000 - secsOfDay(a) / 1000; break;
    case Part::Millisecond: r = days * 86400000 + secsOfDay(b) - secsOfDay(a); break;
    case Part::Bad: return fail(ctx, "DATEDIFF", "invalid date part");
    }
    sqlite3_result_int64(ctx, r);
}

int datePartValue(Part p, const QDateTime& d) {
    switch (p) {
    case Part::Year: return d.date().year();
    case Part::Quarter: return (d.date().month() - 1) / 3 + 1;
    case Part::Month: return d.date().month();
    case Part::DayOfYear: return d.date().dayOfYear();
    case Part::Day: return d.date().day();
    case Part::Week: return d.date().weekNumber();
    case Part::Weekday: return d.date().dayOfWeek() % 7 + 1;  // Sunday = 1
    case Part::Hour: return d.time().hour();
    case Part::Minute: return d.time().minute();
    case Part::Second: return d.time().second();
    case Part::Millisecond: return d.time().msec();
    case Part::Bad: break;
    }
    return 0;
}

void fnDatePart(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const Part p = partOf(argText(argv[0]));
    QDateTime d;
    if (p == Part::Bad) return fail(ctx, "DATEPART", "invalid date part");
    if (!argDate(argv[1], d)) return fail(ctx, "DATEPART", "conversion failed");
    sqlite3_result_int(ctx, datePartValue(p, d));
}

template <Part P>
void fnPartOf(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    QDateTime d;
    if (!argDate(argv[0], d)) return fail(ctx, "DATEPART", "conversion failed");
    sqlite3_result_int(ctx, datePartValue(P, d));
}

// ---------------------------------------------------------------------------
// Dates in days

// Days since 1 January 1900 with the time as a fraction: the server's
// arithmetic on dates.
const QDate kDayZero(1900, 1, 1);
bool daysOf(sqlite3_value* v, double& out) {
    const int t = sqlite3_value_type(v);
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) {
        out = sqlite3_value_double(v);
        return true;
    }
    QDateTime d;
    if (!argDate(v, d)) return false;
    out = double(kDayZero.daysTo(d.date())) + double(d.time().msecsSinceStartOfDay()) / 86400000.0;
    return true;
}
void resultDays(sqlite3_context* ctx, double days) {
    const qint64 whole = qint64(std::floor(days));
    const qint64 ms = qint64(std::llround((days - double(whole)) * 86400000.0));
    resultText(ctx, isoOf(QDateTime(kDayZero.addDays(whole), QTime(0, 0)).addMSecs(ms)));
}

}  // namespace

// SRV_DATE_ADD(a, b, sign): a date plus or minus a number of days (or a
// date, as days since 1900).
void fnDateArith(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(2, argv)) return sqlite3_result_null(ctx);
    double a = 0, b = 0;
    if (!daysOf(argv[0], a) || !daysOf(argv[1], b))
        return fail(ctx, "+", "conversion failed when converting date and/or time from character string");
    resultDays(ctx, argc > 2 && sqlite3_value_int(argv[2]) < 0 ? a - b : a + b);
}
namespace {

// SRV_DATE_OUT_OF_RANGE(text): a date literal of the server's forms that
// names no day where it meets a date ('2026-11-20' under dmy, '31/02/2024'):
// the server's error 242.
void fnDateOutOfRange(sqlite3_context* ctx, int, sqlite3_value**) {
    fail(ctx, "CONVERT", "The conversion of a varchar data type to a datetime data type resulted in an out-of-range value.");
}

}  // namespace

void registerDateFunctions(sqlite3* db) {
    reg(db, "SRV_DATE_OUT_OF_RANGE", 1, fnDateOutOfRange);
    reg(db, "GETDATE", 0, fnGetDate, false);
    reg(db, "DATEADD", 3, fnDateAdd);
    reg(db, "DATEDIFF", 3, fnDateDiff);
    reg(db, "DATEPART", 2, fnDatePart);
    reg(db, "YEAR", 1, fnPartOf<Part::Year>);
    reg(db, "MONTH", 1, fnPartOf<Part::Month>);
    reg(db, "DAY", 1, fnPartOf<Part::Day>);
    reg(db, "SRV_DATE_ADD", 3, fnDateArith);
}

}  // namespace ado::functions
