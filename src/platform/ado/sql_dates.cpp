// The date literals of the server's dialect. Every connection of the
// program reads dates under SET DATEFORMAT dmy (the one date format the
// engine reads too: it refuses any other), so the server reads a text as a
// date where it meets a date: '31/12/2026', '31-12-2026', '31.12.2026' day
// first; 'yyyy-mm-dd' and 'yyyy-mm-dd hh:mm:ss' year, day, month
// ('2012-02-01' is 2 January); 'yyyymmdd' and 'yyyy-mm-ddThh:mm:ss' year,
// month, day whatever the format. The engine has no date type and keeps
// dates as its own text 'yyyy-mm-dd hh:mm:ss', year, month, day. This is the
// one reader of those literals: the token rewrite (sql_tokens.cpp) writes a
// literal that meets a date as the engine's text given here, and the
// parameterised statements (sql_parameters.cpp) keep such literals out of
// their slots.
#include "platform/ado/sql_passes.h"

#include <QDateTime>

namespace ado::sql {

// d/m/yy[yy][ h:mm[:ss[.fff]]] with one or two digits for day, month, hour;
// '-' or '.' may stand for both '/'.
std::optional<DayFirst> readDayFirst(QStringView text, int cutoff, bool* outOfRange) {
    const QStringView s = text.trimmed();
    qsizetype pos = 0;
    auto number = [&](int minDigits, int maxDigits, int& value) {
        int digits = 0;
        value = 0;
        while (pos < s.size() && s[pos].isDigit() && digits < maxDigits) {
            value = value * 10 + s[pos].digitValue();
            ++pos;
            ++digits;
        }
        return digits >= minDigits && !(pos < s.size() && s[pos].isDigit());
    };
    auto expect = [&](QChar c) {
        if (pos < s.size() && s[pos] == c) { ++pos; return true; }
        return false;
    };
    DayFirst r{};
    if (!number(1, 2, r.d) || pos >= s.size()) return std::nullopt;
    const QChar sep = s[pos];
    if ((sep != u'/' && sep != u'-' && sep != u'.') || !expect(sep) || !number(1, 2, r.m) || !expect(sep))
        return std::nullopt;
    const qsizetype yStart = pos;
    if (!number(2, 4, r.y)) return std::nullopt;
    const qsizetype yDigits = pos - yStart;
    if (yDigits == 3) return std::nullopt;
    if (yDigits == 2) {
        // the century that puts the year at or before the cutoff (2049: 00-49
        // are 2000-2049, 50-99 1950-1999)
        r.y += cutoff - cutoff % 100;
        if (r.y > cutoff) r.y -= 100;
    }
    if (pos < s.size()) {
        if (!expect(u' ')) return std::nullopt;
        while (pos < s.size() && s[pos] == u' ') ++pos;
        if (!number(1, 2, r.hh) || !expect(u':') || !number(2, 2, r.mi)) return std::nullopt;
        const bool seconds = expect(u':');
        if (seconds && !number(2, 2, r.ss)) return std::nullopt;
        if (seconds && expect(u'.')) {
            const qsizetype f = pos;
            if (!number(1, 3, r.ms)) return std::nullopt;
            for (qsizetype k = pos - f; k < 3; ++k) r.ms *= 10;
        }
        if (pos != s.size()) return std::nullopt;
        if (r.hh > 23 || r.mi > 59 || r.ss > 59) return std::nullopt;
    }
    if (!QDate::isValid(r.y, r.m, r.d)) {
        if (outOfRange) *outOfRange = true;
        return std::nullopt;
    }
    return r;
}

// The server's other date literals: 'yyyy-mm-dd' and 'yyyymmdd', each
// optionally with ' hh:mm[:ss[.fff]]' ('T' instead of the blank after the
// dashed form). Years from 1753, as the server's datetime holds them. The
// dashed form with a blank or without a time is year, day, month under dmy
// (`dmy`; the engine's own text is always year, month, day).
static std::optional<DayFirst> readYearFirst(QStringView s, bool* outOfRange, bool dmy) {
    if (s.size() < 8 || s.size() > 23) return std::nullopt;
    for (int k = 0; k < 4; ++k)
        if (!s[k].isDigit()) return std::nullopt;
    const auto digits = [&](qsizetype at, int n, int& value) {
        if (at + n > s.size()) return false;
        value = 0;
        for (qsizetype k = at; k < at + n; ++k) {
            if (!s[k].isDigit()) return false;
            value = value * 10 + s[k].digitValue();
        }
        return true;
    };
    DayFirst r{};
    qsizetype pos = 0;
    const bool dashed = s[4] == u'-';
    if (dashed) {
        if (!digits(0, 4, r.y) || !digits(5, 2, r.m) || s.size() < 10 || s[7] != u'-' || !digits(8, 2, r.d)) return std::nullopt;
        if (dmy && (s.size() == 10 || s[10] != u'T')) std::swap(r.m, r.d);
        pos = 10;
    } else {
        if (!digits(0, 4, r.y) || !digits(4, 2, r.m) || !digits(6, 2, r.d)) return std::nullopt;
        pos = 8;
    }
    int ms = 0;
    if (pos < s.size()) {
        if (!(s[pos] == u' ' || (dashed && s[pos] == u'T'))) return std::nullopt;
        ++pos;
        if (!digits(pos, 2, r.hh) || pos + 2 >= s.size() || s[pos + 2] != u':' || !digits(pos + 3, 2, r.mi)) return std::nullopt;
        pos += 5;
        if (pos < s.size()) {
            if (s[pos] != u':' || !digits(pos + 1, 2, r.ss)) return std::nullopt;
            pos += 3;
        }
        if (pos < s.size()) {
            if (s[pos] != u'.' || pos + 1 >= s.size() || s.size() - pos - 1 > 3 || !digits(pos + 1, int(s.size() - pos - 1), ms))
                return std::nullopt;
            for (qsizetype k = s.size() - pos - 1; k < 3; ++k) ms *= 10;
        }
        if (r.hh > 23 || r.mi > 59 || r.ss > 59) return std::nullopt;
    }
    if (r.y < 1753 || !QDate::isValid(r.y, r.m, r.d)) {
        if (outOfRange) *outOfRange = true;
        return std::nullopt;
    }
    r.ms = ms;
    return r;
}

// The server keeps a time in ticks of 1/300 second: the milliseconds
// written are rounded to the nearest tick, shown as .000, .003 or .007
// ('.002' is .003, '.005' .007, '23:59:59.999' the next day's 00:00:00).
namespace {

QDateTime dateTimeOf(const DayFirst& r) {
    const int ticks = (r.ms * 3 + 5) / 10;
    return QDateTime(QDate(r.y, r.m, r.d), QTime(r.hh, r.mi, r.ss)).addMSecs((ticks * 10 + 1) / 3);
}

}  // namespace

QString isoOf(const QDateTime& dt) {
    return dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz") : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::optional<DayFirst> readOtherDate(QStringView s, bool* outOfRange) { return readYearFirst(s, outOfRange, true); }

std::optional<QDateTime> readDateTime(QStringView text) {
    const QStringView s = text.trimmed();
    std::optional<DayFirst> r = readDayFirst(s);
    if (!r) r = readOtherDate(s);
    if (!r) return std::nullopt;
    return dateTimeOf(*r);
}

// The engine's own text of a date ('yyyy-mm-dd hh:mm:ss[.zzz]', as isoOf
// writes it), year, month, day.
std::optional<QDateTime> readKept(QStringView text) {
    const QStringView s = text.trimmed();
    if (!(s.size() == 19 || s.size() == 23) || s[4] != u'-' || s[7] != u'-' || s[10] != u' ') return std::nullopt;
    const std::optional<DayFirst> r = readYearFirst(s, nullptr, false);
    if (!r) return std::nullopt;
    return dateTimeOf(*r);
}

namespace {

QString isoText(const std::optional<DayFirst>& r) { return r ? isoOf(dateTimeOf(*r)) : QString(); }

}  // namespace

// Whether the rewrite writes the text otherwise where it meets a date: one
// of the other forms whose reading is not the same text, or which is out of
// the calendar.
bool otherDateChanges(QStringView inner) {
    bool outOfRange = false;
    const std::optional<DayFirst> r = readOtherDate(inner, &outOfRange);
    return outOfRange || (r && isoText(r) != inner);
}

QString otherDateToIso(const QString& text, bool* outOfRange) {
    return isoText(readOtherDate(QStringView(text).trimmed(), outOfRange));
}

QString dayFirstToIso(const QString& text, int cutoff, bool* outOfRange) {
    return isoText(readDayFirst(text, cutoff, outOfRange));
}

}  // namespace ado::sql
