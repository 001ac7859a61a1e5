// The server functions and the text collation, registered on every embedded
// database the program opens (and by the tools that create database files).
#include "platform/ado/engine.h"
#include "platform/ado/sqlite_support.h"
#include "platform/ado/sql_text.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QString>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace ado {

namespace {

// ---------------------------------------------------------------------------
// Collation: the server's Spanish dictionary order. Letter case ignored,
// trailing blanks ignored; an accented letter sorts with its plain letter and
// its accent counts only between texts otherwise the same ("Ábaco" before
// "Abeja", "a" <> "á"); "ñ" is a letter of its own between "n" and "o".
// Plain ASCII is compared byte by byte (the common case, and the one the
// indexes meet); from the first other character on the rest is compared by
// the weights below.

int lowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// UTF-8 (as the library hands it over, well formed) into code points.
void decodeUtf8(const unsigned char* p, int n, std::u32string& out) {
    out.clear();
    for (int i = 0; i < n;) {
        const unsigned char c = p[i];
        char32_t cp;
        int len;
        if (c < 0x80) { cp = c; len = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        else { cp = c & 0x07; len = 4; }
        for (int k = 1; k < len && i + k < n; ++k) cp = (cp << 6) | (p[i + k] & 0x3F);
        out.push_back(cp);
        i += len;
    }
}

// A character's place in the order: `letter` first (the plain letter, four
// apart so that "ñ" fits after "n"; characters outside ASCII that are no
// accented letter come after all of ASCII), then `accent` (0 for none, else
// the folded character, which keeps every character distinct).
struct Weight {
    quint32 letter;
    quint32 accent;
};
Weight weightOf(char32_t c) {
    if (c < 128) return {quint32(lowerAscii(static_cast<unsigned char>(c))) << 2, 0};
    const char32_t f = QChar::toCaseFolded(c);
    if (f == U'\u00F1') return {(quint32('n') << 2) | 2, 0};
    if (QChar::decompositionTag(f) == QChar::Canonical) {
        const QString d = QChar::decomposition(f);
        if (!d.isEmpty() && d[0].unicode() < 128 && d[0].isLetter())
            return {quint32(lowerAscii(static_cast<unsigned char>(d[0].unicode()))) << 2, quint32(f)};
    }
    return {(0x80u + quint32(f)) << 2, 0};
}

int compareWeighted(const unsigned char* a, int na, const unsigned char* b, int nb) {
    thread_local std::u32string ua, ub;
    decodeUtf8(a, na, ua);
    decodeUtf8(b, nb, ub);
    int accents = 0;
    const size_t n = ua.size() < ub.size() ? ua.size() : ub.size();
    for (size_t k = 0; k < n; ++k) {
        if (ua[k] == ub[k]) continue;
        const Weight x = weightOf(ua[k]), y = weightOf(ub[k]);
        if (x.letter != y.letter) return x.letter < y.letter ? -1 : 1;
        if (accents == 0 && x.accent != y.accent) accents = x.accent < y.accent ? -1 : 1;
    }
    if (ua.size() != ub.size()) return ua.size() < ub.size() ? -1 : 1;
    return accents;
}

int srvTextCompare(void*, int n1, const void* p1, int n2, const void* p2) {
    auto a = static_cast<const unsigned char*>(p1);
    auto b = static_cast<const unsigned char*>(p2);
    while (n1 > 0 && a[n1 - 1] == ' ') --n1;
    while (n2 > 0 && b[n2 - 1] == ' ') --n2;
    const int n = n1 < n2 ? n1 : n2;
    for (int i = 0; i < n; ++i) {
        const unsigned char x = a[i], y = b[i];
        if ((x | y) & 0x80) return compareWeighted(a + i, n1 - i, b + i, n2 - i);
        const int lx = lowerAscii(x), ly = lowerAscii(y);
        if (lx != ly) return lx < ly ? -1 : 1;
    }
    return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
}

// ---------------------------------------------------------------------------
// Helpers

QString argText(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

bool anyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
    return false;
}

QString rtrimBlanks(QString s) {
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == u' ') --n;
    s.truncate(n);
    return s;
}

// A date argument: ISO text, a day-first text, or a number of days since
// 1 January 1900 (the server's reading of numbers as dates).
bool argDate(sqlite3_value* v, QDateTime& out) {
    if (sqlite3_value_type(v) == SQLITE_INTEGER || sqlite3_value_type(v) == SQLITE_FLOAT) {
        const double d = sqlite3_value_double(v);
        const qint64 days = qint64(std::floor(d));
        const qint64 ms = qint64(std::llround((d - double(days)) * 86400000.0));
        out = QDateTime(QDate(1900, 1, 1).addDays(days), QTime(0, 0)).addMSecs(ms);
        return true;
    }
    QString s = argText(v).trimmed();
    if (s.contains(u'/')) {
        const QString iso = sql::dayFirstToIso(s);
        if (iso.isEmpty()) return false;
        s = iso;
    }
    if (s.size() == 8 && s.toInt() > 0) s = s.left(4) + u'-' + s.mid(4, 2) + u'-' + s.mid(6, 2);
    static const char* formats[] = {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm",
                                    "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd"};
    for (const char* f : formats) {
        const QDateTime dt = QDateTime::fromString(s, QLatin1String(f));
        if (dt.isValid()) {
            out = dt;
            return true;
        }
    }
    if (s.size() > 23) {
        const QDateTime dt = QDateTime::fromString(s.left(23), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        if (dt.isValid()) { out = dt; return true; }
    }
    return false;
}

QString isoOf(const QDateTime& dt) {
    return dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz") : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

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

void fail(sqlite3_context* ctx, const char* fn, const char* what) {
    const QByteArray m = QByteArray(fn) + ": " + what;
    sqlite3_result_error(ctx, m.constData(), -1);
}

// ---------------------------------------------------------------------------
// Functions

void fnGetDate(sqlite3_context* ctx, int, sqlite3_value**) {
    resultText(ctx, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void fnLen(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, int(rtrimBlanks(argText(argv[0])).size()));
}

void fnLeft(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const int n = sqlite3_value_int(argv[1]);
    if (n < 0) return fail(ctx, "LEFT", "invalid length");
    resultText(ctx, argText(argv[0]).left(n));
}

void fnRight(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const int n = sqlite3_value_int(argv[1]);
    if (n < 0) return fail(ctx, "RIGHT", "invalid length");
    resultText(ctx, argText(argv[0]).right(n));
}

void fnCharIndex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const QString needle = argText(argv[0]);
    const QString hay = argText(argv[1]);
    int start = argc > 2 ? sqlite3_value_int(argv[2]) : 1;
    if (start < 1) start = 1;
    if (needle.isEmpty()) return sqlite3_result_int(ctx, 0);
    const qsizetype at = hay.indexOf(needle, start - 1, Qt::CaseInsensitive);
    sqlite3_result_int(ctx, at < 0 ? 0 : int(at + 1));
}

void fnSpace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const int n = sqlite3_value_int(argv[0]);
    if (n < 0) return sqlite3_result_null(ctx);
    resultText(ctx, QString(qMin(n, 8000), u' '));
}

void fnReplicate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const int n = sqlite3_value_int(argv[1]);
    if (n < 0) return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).repeated(qMin(n, 8000)));
}

void fnStr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const double x = sqlite3_value_double(argv[0]);
    const int len = argc > 1 ? sqlite3_value_int(argv[1]) : 10;
    int dec = argc > 2 ? sqlite3_value_int(argv[2]) : 0;
    if (len <= 0) return sqlite3_result_null(ctx);
    dec = qBound(0, dec, 16);
    QString s = QString::number(x, 'f', dec);
    if (s.size() > len) {
        // fewer decimals first, then stars, as the server does
        QString t = QString::number(x, 'f', 0);
        if (t.size() > len) { resultText(ctx, QString(len, u'*')); return; }
        const int room = len - int(t.size()) - 1;
        s = room > 0 ? QString::number(x, 'f', qMin(room, dec)) : t;
    }
    resultText(ctx, s.rightJustified(len, u' '));
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
// Exact numbers: DECIMAL(p,s), NUMERIC, MONEY. The digits are worked on as
// text, so a value never passes through double on its way: the server reads
// '2.675' as DECIMAL(4,3) and rounds it to 2.68 where a double would give
// 2.67.

bool isExactType(const QString& base) {
    return base == u"DECIMAL" || base == u"NUMERIC" || base == u"DEC" || base == u"MONEY" || base == u"SMALLMONEY";
}

enum class Exact { Ok, NotNumber, Overflow };

// `in` rounded half away from zero to `scale` decimals, written with exactly
// `scale` decimals ("12.50"); Overflow when the whole part has more digits
// than precision - scale.
Exact roundExact(QString in, int precision, int scale, QString& out) {
    in = in.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < in.size() && (in[i] == u'+' || in[i] == u'-')) negative = in[i++] == u'-';
    QString digits;
    qsizetype intDigits = 0;
    bool point = false;
    for (; i < in.size(); ++i) {
        const QChar c = in[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            if (!point) ++intDigits;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits.isEmpty()) return Exact::NotNumber;
    if (i < in.size() && (in[i] == u'e' || in[i] == u'E')) {
        bool ok = false;
        const int e = in.mid(i + 1).toInt(&ok);
        if (!ok) return Exact::NotNumber;
        const bool zero = digits.count(u'0') == digits.size();
        if (e > 100 && !zero) return Exact::Overflow;
        if (!zero) intDigits += qMax(-200, e);
        i = in.size();
    }
    if (i != in.size()) return Exact::NotNumber;
    // the decimal point sits after `intDigits` digits (maybe outside them)
    if (intDigits < 0) {
        digits.prepend(QString(-intDigits, u'0'));
        intDigits = 0;
    }
    if (intDigits > digits.size()) digits += QString(intDigits - digits.size(), u'0');
    QString whole = digits.left(intDigits);
    QString frac = digits.mid(intDigits);
    bool up = false;
    if (frac.size() > scale) {
        up = frac[scale] >= u'5';
        frac.truncate(scale);
    } else {
        frac += QString(scale - frac.size(), u'0');
    }
    QString all = whole + frac;
    if (up) {
        qsizetype k = all.size() - 1;
        while (k >= 0 && all[k] == u'9') all[k--] = u'0';
        if (k >= 0) all[k] = QChar(all[k].unicode() + 1);
        else all.prepend(u'1');
    }
    whole = all.left(all.size() - scale);
    frac = all.right(scale);
    qsizetype lead = 0;
    while (lead < whole.size() && whole[lead] == u'0') ++lead;
    whole.remove(0, lead);
    if (whole.size() > precision - scale) return Exact::Overflow;
    const bool zero = whole.isEmpty() && frac.count(u'0') == frac.size();
    out = (negative && !zero ? QStringLiteral("-") : QString()) + (whole.isEmpty() ? QStringLiteral("0") : whole) +
          (scale > 0 ? u'.' + frac : QString());
    return Exact::Ok;
}

// CONVERT to an exact type. The result is the exact decimal text; where the
// rewrite found it compared or sorted (`asNumber`) it is the number itself,
// since the engine would compare a text with a number as text.
void convertExact(sqlite3_context* ctx, const QString& typeText, sqlite3_value* v, bool asNumber) {
    QString type = typeText.toUpper().remove(u' ');
    int precision = 18, scale = 0;
    if (const qsizetype p = type.indexOf(u'('); p > 0) {
        const QString inside = type.mid(p + 1, type.size() - p - 2);
        type.truncate(p);
        precision = inside.section(u',', 0, 0).toInt();
        scale = inside.contains(u',') ? inside.section(u',', 1, 1).toInt() : 0;
    }
    if (type == u"MONEY") { precision = 19; scale = 4; }
    if (type == u"SMALLMONEY") { precision = 10; scale = 4; }
    if (precision < 1 || precision > 38 || scale < 0 || scale > precision)
        return fail(ctx, "CONVERT", "invalid precision or scale for numeric");
    QString in;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: in = QString::number(sqlite3_value_int64(v)); break;
    case SQLITE_FLOAT: in = argText(v); break;  // the library's 15 significant digits
    default:
        in = argText(v);
        // the server reads an empty text as 0 for money only
        if (in.trimmed().isEmpty() && (type == u"MONEY" || type == u"SMALLMONEY")) in = QStringLiteral("0");
        break;
    }
    QString out;
    switch (roundExact(in, precision, scale, out)) {
    case Exact::NotNumber: return fail(ctx, "CONVERT", "error converting data type varchar to numeric");
    case Exact::Overflow: return fail(ctx, "CONVERT", "arithmetic overflow error converting to data type numeric");
    case Exact::Ok: break;
    }
    if (!asNumber) return resultText(ctx, out);
    bool ok = false;
    const qsizetype dot = out.indexOf(u'.');
    if (dot < 0 || out.mid(dot + 1).count(u'0') == out.size() - dot - 1) {
        const qint64 n = out.left(dot < 0 ? out.size() : dot).toLongLong(&ok);
        if (ok) return sqlite3_result_int64(ctx, n);
    }
    sqlite3_result_double(ctx, out.toDouble());
}

void fnConvertNumber(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc < 2) return fail(ctx, "CONVERT", "missing arguments");
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    convertExact(ctx, argText(argv[0]), argv[1], true);
}

// CONVERT(type, value[, style]) and CAST(value AS DATETIME).
void fnConvert(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc < 2) return fail(ctx, "CONVERT", "missing arguments");
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    QString type = argText(argv[0]).toUpper().remove(u' ');
    int length = 30;  // a text type written without a length holds 30 characters
    if (const qsizetype p = type.indexOf(u'('); p > 0) {
        const QString inside = type.mid(p + 1, type.size() - p - 2);
        type.truncate(p);
        length = inside.section(u',', 0, 0).toInt();
        if (inside.section(u',', 0, 0) == u"MAX") length = -1;
    }
    const int style = argc > 2 && sqlite3_value_type(argv[2]) != SQLITE_NULL ? sqlite3_value_int(argv[2]) : -1;
    sqlite3_value* v = argv[1];
    if (type == u"DATETIME" || type == u"SMALLDATETIME" || type == u"DATE" || type == u"DATETIME2") {
        QDateTime d;
        if (!argDate(v, d)) return fail(ctx, "CONVERT", "conversion failed when converting date and/or time from character string");
        if (type == u"DATE") d.setTime(QTime(0, 0));
        if (type == u"SMALLDATETIME") d = d.addSecs(d.time().second() >= 30 ? 60 - d.time().second() : -d.time().second()).addMSecs(-d.time().msec());
        return resultText(ctx, isoOf(d));
    }
    if (type == u"VARCHAR" || type == u"NVARCHAR" || type == u"CHAR" || type == u"NCHAR" || type == u"TEXT") {
        if (type == u"TEXT") length = -1;
        QString out;
        QDateTime d;
        const bool isText = sqlite3_value_type(v) == SQLITE_TEXT;
        if (isText && style >= 0 && argDate(v, d)) {
            switch (style) {
            case 1: out = d.toString(QStringLiteral("MM/dd/yy")); break;
            case 101: out = d.toString(QStringLiteral("MM/dd/yyyy")); break;
            case 2: out = d.toString(QStringLiteral("yy.MM.dd")); break;
            case 102: out = d.toString(QStringLiteral("yyyy.MM.dd")); break;
            case 3: out = d.toString(QStringLiteral("dd/MM/yy")); break;
            case 103: out = d.toString(QStringLiteral("dd/MM/yyyy")); break;
            case 4: out = d.toString(QStringLiteral("dd.MM.yy")); break;
            case 104: out = d.toString(QStringLiteral("dd.MM.yyyy")); break;
            case 5: out = d.toString(QStringLiteral("dd-MM-yy")); break;
            case 105: out = d.toString(QStringLiteral("dd-MM-yyyy")); break;
            case 108: case 8: out = d.toString(QStringLiteral("HH:mm:ss")); break;
            case 11: out = d.toString(QStringLiteral("yy/MM/dd")); break;
            case 111: out = d.toString(QStringLiteral("yyyy/MM/dd")); break;
            case 12: out = d.toString(QStringLiteral("yyMMdd")); break;
            case 112: out = d.toString(QStringLiteral("yyyyMMdd")); break;
            case 120: case 20: out = d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); break;
            case 121: case 21: out = d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")); break;
            default: out = argText(v); break;
            }
        } else {
            out = argText(v);
        }
        if (length > 0 && out.size() > length) out.truncate(length);
        // a fixed-length text is filled with blanks to its length
        if ((type == u"CHAR" || type == u"NCHAR") && length > 0 && out.size() < length)
            out += QString(length - out.size(), u' ');
        return resultText(ctx, out);
    }
    if (type == u"INT" || type == u"INTEGER" || type == u"BIGINT" || type == u"SMALLINT" || type == u"TINYINT" ||
        type == u"BIT") {
        const int t = sqlite3_value_type(v);
        qint64 n;
        if (t == SQLITE_INTEGER) n = sqlite3_value_int64(v);
        else if (t == SQLITE_FLOAT) n = qint64(sqlite3_value_double(v));  // the server truncates
        else {
            bool ok = false;
            const QString s = argText(v).trimmed();
            n = s.toLongLong(&ok);
            if (!ok) return fail(ctx, "CONVERT", "conversion failed when converting a value to int");
        }
        if (type == u"BIT") n = n != 0;
        return sqlite3_result_int64(ctx, n);
    }
    if (isExactType(type)) return convertExact(ctx, argText(argv[0]), v, false);
    if (type == u"FLOAT" || type == u"REAL") {
        const int t = sqlite3_value_type(v);
        if (t == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(v));
        if (t == SQLITE_FLOAT) return sqlite3_result_double(ctx, sqlite3_value_double(v));
        bool ok = false;
        const double x = argText(v).trimmed().toDouble(&ok);
        if (!ok) return fail(ctx, "CONVERT", "error converting data type varchar to float");
        return sqlite3_result_double(ctx, x);
    }
    sqlite3_result_value(ctx, v);
}

// ---------------------------------------------------------------------------
// '+' and '-' as the server reads them. The rewrite writes '||' or the
// engine's own operator where the types of both operands are known; these
// serve the rest.

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

// SRV_DATE_ADD(a, b, sign): a date plus or minus a number of days (or a
// date, as days since 1900).
void fnDateArith(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(2, argv)) return sqlite3_result_null(ctx);
    double a = 0, b = 0;
    if (!daysOf(argv[0], a) || !daysOf(argv[1], b))
        return fail(ctx, "+", "conversion failed when converting date and/or time from character string");
    resultDays(ctx, argc > 2 && sqlite3_value_int(argv[2]) < 0 ? a - b : a + b);
}

// A text as the number the server converts it to for arithmetic: a whole
// number where the other operand is an int ("5.5" and "abc" fail), else any
// number. SQLITE_NULL when it is none.
int numberOfText(const QString& text, bool whole, qint64& i, double& d) {
    const QString s = text.trimmed();
    bool ok = false;
    i = s.toLongLong(&ok);
    if (ok) return SQLITE_INTEGER;
    if (whole || s.isEmpty()) return SQLITE_NULL;
    d = s.toDouble(&ok);
    return ok ? SQLITE_FLOAT : SQLITE_NULL;
}

void failConversion(sqlite3_context* ctx, const QString& text, bool whole) {
    const QByteArray m = (QStringLiteral("Conversion failed when converting the varchar value '%1' to data type %2.")
                              .arg(text, whole ? QStringLiteral("int") : QStringLiteral("numeric")))
                             .toUtf8();
    sqlite3_result_error(ctx, m.constData(), -1);
}

// SRV_NUM(text, kind): a text operand of arithmetic with a number of that
// kind ('INT' or another), converted as the server converts it.
void fnNum(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return sqlite3_result_value(ctx, argv[0]);
    const QString text = argText(argv[0]);
    const bool whole = argText(argv[1]) == u"INT";
    qint64 i = 0;
    double d = 0;
    switch (numberOfText(text, whole, i, d)) {
    case SQLITE_INTEGER: return sqlite3_result_int64(ctx, i);
    case SQLITE_FLOAT: return sqlite3_result_double(ctx, d);
    default: return failConversion(ctx, text, whole);
    }
}

// SRV_ADD(a, b, sign) where the rewrite could not tell the operands' types:
// two texts join ('+') , a date text with a number moves by days, a text
// with a number becomes a number, numbers add up or subtract.
void fnAdd(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (anyNull(2, argv)) return sqlite3_result_null(ctx);
    const bool minus = sqlite3_value_int(argv[2]) < 0;
    const int ta = sqlite3_value_type(argv[0]), tb = sqlite3_value_type(argv[1]);
    const bool textA = ta == SQLITE_TEXT || ta == SQLITE_BLOB, textB = tb == SQLITE_TEXT || tb == SQLITE_BLOB;
    legacy::Date probe;
    const auto isDate = [&](sqlite3_value* v) { return isoToDate(argText(v).trimmed(), probe); };
    if (textA && textB) {
        if (!minus) {
            QByteArray joined(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])), sqlite3_value_bytes(argv[0]));
            joined.append(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])), sqlite3_value_bytes(argv[1]));
            return sqlite3_result_text(ctx, joined.constData(), int(joined.size()), SQLITE_TRANSIENT);
        }
        if (isDate(argv[0]) && isDate(argv[1])) return fnDateArith(ctx, 3, argv);
        return fail(ctx, "-", "operand data type varchar is invalid for subtract operator");
    }
    if ((textA && isDate(argv[0])) || (textB && isDate(argv[1]))) return fnDateArith(ctx, 3, argv);
    qint64 ia = 0, ib = 0;
    double da = 0, db = 0;
    int ka = ta, kb = tb;
    const bool wholeOther = (textA ? tb : ta) == SQLITE_INTEGER;
    if (textA && (ka = numberOfText(argText(argv[0]), wholeOther, ia, da)) == SQLITE_NULL)
        return failConversion(ctx, argText(argv[0]), wholeOther);
    if (textB && (kb = numberOfText(argText(argv[1]), wholeOther, ib, db)) == SQLITE_NULL)
        return failConversion(ctx, argText(argv[1]), wholeOther);
    if (!textA) { ia = sqlite3_value_int64(argv[0]); da = sqlite3_value_double(argv[0]); }
    if (!textB) { ib = sqlite3_value_int64(argv[1]); db = sqlite3_value_double(argv[1]); }
    if (ka == SQLITE_INTEGER && kb == SQLITE_INTEGER) return sqlite3_result_int64(ctx, minus ? ia - ib : ia + ib);
    if (ka == SQLITE_INTEGER) da = double(ia);
    if (kb == SQLITE_INTEGER) db = double(ib);
    sqlite3_result_double(ctx, minus ? da - db : da + db);
}

// SUBSTRING(x, start, length) with a start that may be below 1: the
// positions before the first character count towards the length, as on the
// server (SUBSTRING('abc', 0, 2) is 'a'); a negative length is an error.
void fnSubstring(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const qint64 start = sqlite3_value_int64(argv[1]);
    const qint64 length = sqlite3_value_int64(argv[2]);
    if (length < 0) return fail(ctx, "SUBSTRING", "Invalid length parameter passed to the substring function.");
    const QString s = argText(argv[0]);
    const qint64 from = qMax<qint64>(start, 1);
    const qint64 to = qMin<qint64>(start + length, qint64(s.size()) + 1);  // one past the last
    resultText(ctx, to > from ? s.mid(from - 1, to - from) : QString());
}

// SRV_EXACT_TEXT(type, x[, style]): an exact number as the server writes it
// in a text: with the scale of its type ('5.0000' for NUMERIC(18,4)), money
// with two decimals ('12.50'), with style 1 also its thousands separated
// ('1,234.50'), with style 2 four decimals.
void fnExactText(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    QString type = argText(argv[0]).toUpper().remove(u' ');
    const int style = argc > 2 ? sqlite3_value_int(argv[2]) : 0;
    int scale = style == 2 ? 4 : 2;
    if (const qsizetype p = type.indexOf(u'('); p > 0)
        scale = type.contains(u',') ? type.mid(type.indexOf(u',') + 1).chopped(1).toInt() : 0;
    else if (type != u"MONEY" && type != u"SMALLMONEY")
        scale = 0;
    const QString in = sqlite3_value_type(argv[1]) == SQLITE_INTEGER ? QString::number(sqlite3_value_int64(argv[1]))
                                                                     : argText(argv[1]);
    QString out;
    if (roundExact(in, 38, scale, out) != Exact::Ok) return sqlite3_result_value(ctx, argv[1]);
    if (style == 1)
        for (qsizetype k = out.indexOf(u'.') - 3, sign = out.startsWith(u'-') ? 1 : 0; k > sign; k -= 3) out.insert(k, u',');
    // the text it goes into (fourth argument): an exact number that does not
    // fit is an overflow, never a cut number
    if (argc > 3) {
        const QString target = argText(argv[3]).toUpper().remove(u' ');
        const qsizetype p = target.indexOf(u'(');
        const int length = p < 0 ? 30 : target.mid(p + 1, target.size() - p - 2).toInt();
        if (length > 0 && out.size() > length)
            return fail(ctx, "CONVERT", "arithmetic overflow error converting numeric to data type varchar");
    }
    resultText(ctx, out);
}

void fnTranCount(sqlite3_context* ctx, int, sqlite3_value**) {
    sqlite3* db = sqlite3_context_db_handle(ctx);
    sqlite3_result_int(ctx, sqlite3_get_autocommit(db) ? 0 : 1);
}

void fnUpper(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toUpper());
}

void fnLower(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toLower());
}

void fnCeiling(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    sqlite3_result_double(ctx, std::ceil(sqlite3_value_double(argv[0])));
}

void fnFloor(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    sqlite3_result_double(ctx, std::floor(sqlite3_value_double(argv[0])));
}

void fnIsNumeric(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_int(ctx, 0);
    const int t = sqlite3_value_type(argv[0]);
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) return sqlite3_result_int(ctx, 1);
    bool ok = false;
    argText(argv[0]).trimmed().toDouble(&ok);
    sqlite3_result_int(ctx, ok ? 1 : 0);
}

// ---------------------------------------------------------------------------
// LIKE as the server matches: letter case ignored for every letter (the
// library's own LIKE folds ASCII only, so "ÑANDÚ" missed "%ñandú%"), trailing
// blanks of the matched text ignored (those of the pattern count), and the
// server's wildcards: % _ [set] [a-z] [^set], with an optional ESCAPE.

char32_t fold(char32_t c) {
    if (c < 128) return char32_t(lowerAscii(static_cast<unsigned char>(c)));
    return QChar::toCaseFolded(c);
}

// Where a letter falls in a range "[a-f]": the server orders letters by its
// collation, an accented letter right after its plain one ("á" between "a"
// and "b", "ñ" between "n" and "o"), not by code point.
quint64 rangeKey(char32_t folded) {
    if (folded >= 128) {
        const QString d = QChar::decomposition(folded);
        if (!d.isEmpty() && d[0].unicode() < 128 && d[0].isLetter())
            return (quint64(fold(d[0].unicode())) << 2) | 1;
    }
    return quint64(folded) << 2;
}

struct LikeItem {
    enum Kind { Any, One, Char, Set };
    static LikeItem make(Kind k, char32_t ch = 0) {
        LikeItem it;
        it.kind = k;
        it.c = ch;
        return it;
    }
    Kind kind = Any;
    char32_t c = 0;  // Char: folded
    bool negated = false;
    std::vector<std::pair<quint64, quint64>> ranges;  // Set: bounds as rangeKey gives them
};

struct LikePattern {
    std::u32string source;  // the pattern as given, and its escape character
    char32_t escape = 0;
    std::vector<LikeItem> items;
};

void compileLike(LikePattern& pat) {
    const std::u32string& p = pat.source;
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (pat.escape && c == pat.escape && i + 1 < p.size()) {
            pat.items.push_back(LikeItem::make(LikeItem::Char, fold(p[++i])));
        } else if (c == U'%') {
            if (pat.items.empty() || pat.items.back().kind != LikeItem::Any) pat.items.push_back(LikeItem::make(LikeItem::Any));
        } else if (c == U'_') {
            pat.items.push_back(LikeItem::make(LikeItem::One));
        } else if (c == U'[' && p.find(U']', i + 2) != std::u32string::npos) {
            // a set: the first character after "[" (or "[^") belongs to it even when it is "]"
            LikeItem set = LikeItem::make(LikeItem::Set);
            size_t k = i + 1;
            if (p[k] == U'^' && p.find(U']', k + 2) != std::u32string::npos) { set.negated = true; ++k; }
            const size_t end = p.find(U']', k + 1);
            for (; k < end; ++k) {
                if (k + 2 < end && p[k + 1] == U'-') {
                    set.ranges.emplace_back(rangeKey(fold(p[k])), rangeKey(fold(p[k + 2])));
                    k += 2;
                } else {
                    set.ranges.emplace_back(rangeKey(fold(p[k])), rangeKey(fold(p[k])));
                }
            }
            pat.items.push_back(std::move(set));
            i = end;
        } else {
            pat.items.push_back(LikeItem::make(LikeItem::Char, fold(c)));
        }
    }
}

bool likeOne(const LikeItem& it, char32_t c) {
    switch (it.kind) {
    case LikeItem::One: return true;
    case LikeItem::Char: return it.c == c;
    case LikeItem::Set: {
        bool in = false;
        const quint64 key = rangeKey(c);
        for (const auto& [lo, hi] : it.ranges)
            if (key >= lo && key <= hi) { in = true; break; }
        return in != it.negated;
    }
    case LikeItem::Any: break;
    }
    return false;
}

// Folded text against a compiled pattern; a "%" backs up to the last one seen.
bool likeMatch(const std::vector<LikeItem>& pat, const std::u32string& text) {
    size_t s = 0, p = 0, starP = std::u32string::npos, starS = 0;
    while (s < text.size()) {
        if (p < pat.size() && pat[p].kind == LikeItem::Any) {
            starP = p++;
            starS = s;
        } else if (p < pat.size() && likeOne(pat[p], text[s])) {
            ++s;
            ++p;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            s = ++starS;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p].kind == LikeItem::Any) ++p;
    return p == pat.size();
}

void freeLikePattern(void* p) { delete static_cast<LikePattern*>(p); }

// like(pattern, text[, escape]): the library calls it for "text LIKE pattern".
void fnLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    char32_t escape = 0;
    if (argc > 2) {
        std::u32string e;
        decodeUtf8(sqlite3_value_text(argv[2]), sqlite3_value_bytes(argv[2]), e);
        if (e.size() != 1) return fail(ctx, "LIKE", "the escape character must be a single character");
        escape = e[0];
    }
    thread_local std::u32string patternText, text;
    decodeUtf8(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), patternText);
    // the compiled pattern is kept while the pattern stays the same (a literal)
    auto* pat = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
    if (!pat || pat->source != patternText || pat->escape != escape) {
        auto* fresh = new LikePattern{patternText, escape, {}};
        compileLike(*fresh);
        sqlite3_set_auxdata(ctx, 0, fresh, freeLikePattern);
        pat = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
        if (!pat) {
            // not kept (the pattern is not constant): use it this once
            LikePattern once{patternText, escape, {}};
            compileLike(once);
            decodeUtf8(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), text);
            while (!text.empty() && text.back() == U' ') text.pop_back();
            for (auto& c : text) c = fold(c);
            return sqlite3_result_int(ctx, likeMatch(once.items, text) ? 1 : 0);
        }
    }
    decodeUtf8(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), text);
    while (!text.empty() && text.back() == U' ') text.pop_back();
    for (auto& c : text) c = fold(c);
    sqlite3_result_int(ctx, likeMatch(pat->items, text) ? 1 : 0);
}

void reg(sqlite3* db, const char* name, int nArg, void (*fn)(sqlite3_context*, int, sqlite3_value**), bool deterministic = true) {
    const int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
    sqlite3_create_function_v2(db, name, nArg, flags, nullptr, fn, nullptr, nullptr, nullptr);
}

int userVersion(sqlite3* db) {
    sqlite3_stmt* st = nullptr;
    int v = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return v;
}

// The file's header keeps the version of the text order its indexes were
// built with (the user version). A file made before the order last changed
// has its indexes on text columns built again, once, by the first program
// that opens it with the new order, inside a write transaction so that
// stations opening it at the same time do it only once; a file it cannot
// write (busy past the wait, read-only) is tried again at its next opening.
// A new file (no tables yet) is only marked; one marked with a later order
// is left as it is. A commit refused (another station still reading) is
// undone at once, so that the file is left locked by nobody. Every station
// of a file runs the same program: one still running the older order would
// write its indexes in that order after the rebuild.
void keepTextIndexesInOrder(sqlite3* db) {
    const int seen = userVersion(db);
    if (seen < 0 || seen >= kTextCollationVersion) return;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return;
    bool ok = true;
    if (userVersion(db) < kTextCollationVersion) {
        const QByteArray script = QByteArray("REINDEX ") + kTextCollation + "; PRAGMA user_version = " +
                                  QByteArray::number(kTextCollationVersion);
        ok = sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    if (!ok || sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace

void RegisterSqliteExtensions(sqlite3* db) {
    sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, srvTextCompare, nullptr);
    reg(db, "GETDATE", 0, fnGetDate, false);
    reg(db, "LEN", 1, fnLen);
    reg(db, "SRV_LEFT", 2, fnLeft);
    reg(db, "SRV_RIGHT", 2, fnRight);
    reg(db, "CHARINDEX", 2, fnCharIndex);
    reg(db, "CHARINDEX", 3, fnCharIndex);
    reg(db, "SPACE", 1, fnSpace);
    reg(db, "REPLICATE", 2, fnReplicate);
    reg(db, "STR", 1, fnStr);
    reg(db, "STR", 2, fnStr);
    reg(db, "STR", 3, fnStr);
    reg(db, "DATEADD", 3, fnDateAdd);
    reg(db, "DATEDIFF", 3, fnDateDiff);
    reg(db, "DATEPART", 2, fnDatePart);
    reg(db, "YEAR", 1, fnPartOf<Part::Year>);
    reg(db, "MONTH", 1, fnPartOf<Part::Month>);
    reg(db, "DAY", 1, fnPartOf<Part::Day>);
    reg(db, "SRV_CONVERT", 2, fnConvert);
    reg(db, "SRV_CONVERT", 3, fnConvert);
    reg(db, "SRV_CONVERT_NUM", 2, fnConvertNumber);
    reg(db, "like", 2, fnLike);
    reg(db, "like", 3, fnLike);
    reg(db, "SRV_TRANCOUNT", 0, fnTranCount, false);
    reg(db, "SRV_ADD", 3, fnAdd);
    reg(db, "SRV_NUM", 2, fnNum);
    reg(db, "SRV_DATE_ADD", 3, fnDateArith);
    reg(db, "SRV_SUBSTRING", 3, fnSubstring);
    reg(db, "SRV_EXACT_TEXT", 2, fnExactText);
    reg(db, "SRV_EXACT_TEXT", 3, fnExactText);
    reg(db, "SRV_EXACT_TEXT", 4, fnExactText);
    reg(db, "UPPER", 1, fnUpper);
    reg(db, "LOWER", 1, fnLower);
    reg(db, "CEILING", 1, fnCeiling);
    reg(db, "FLOOR", 1, fnFloor);
    reg(db, "ISNUMERIC", 1, fnIsNumeric);
    keepTextIndexesInOrder(db);
}

}  // namespace ado
