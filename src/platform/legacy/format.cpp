#include "platform/legacy/format.h"

#include "platform/legacy/regional.h"
#include "platform/legacy/textconv.h"
#include "platform/legacy/vberror.h"

#include <cmath>

namespace legacy {

namespace {

const QDate kEpoch(1899, 12, 30);

// ------------------------------------------------------------ numbers

// The value's digits rounded half away from zero (as Format rounds) to
// `decimals` places: integer digits ("" for zero) and exactly `decimals`
// fraction digits.
struct Digits {
    QString integer;
    QString fraction;
    bool negative = false;
    bool zero = true;
};

Digits digitsOf(const Decimal& value, int decimals)
{
    Digits d;
    d.negative = value.isNegative();
    UInt128 m = value.mantissa();
    int scale = value.scale();
    if (scale > decimals) {
        UInt128 p = 1;
        for (int i = 0; i < scale - decimals; ++i)
            p *= 10;
        const UInt128 r = m % p;
        m /= p;
        if (2 * r >= p)
            ++m;
        scale = decimals;
    }
    QString all;
    {
        char buf[64];
        int n = 0;
        UInt128 t = m;
        do {
            buf[n++] = char('0' + int(t % 10));
            t /= 10;
        } while (t);
        for (int i = n - 1; i >= 0; --i)
            all.append(QLatin1Char(buf[i]));
    }
    // Pad to the wanted number of decimals.
    while (scale < decimals) {
        all.append(u'0');
        ++scale;
    }
    while (all.size() <= decimals)
        all.prepend(u'0');
    d.integer = all.left(all.size() - decimals);
    d.fraction = all.right(decimals);
    while (d.integer.startsWith(u'0'))
        d.integer.remove(0, 1);
    d.zero = m == 0;
    return d;
}

Decimal decimalOf(const Variant& v)
{
    if (const double* d = v.get<double>()) {
        if (std::fabs(*d) >= 7.9e28)
            throw VbError(6);
    }
    return v.toDecimal();
}

QString groupDigits(const QString& integer, QChar sep)
{
    QString out;
    const qsizetype n = integer.size();
    for (qsizetype i = 0; i < n; ++i) {
        out.append(integer[i]);
        const qsizetype left = n - 1 - i;
        if (left > 0 && left % 3 == 0)
            out.append(sep);
    }
    return out;
}

struct Piece {
    enum Kind { Zero, Hash, Point, Comma, Literal, Percent, Exponent } kind;
    QString text;          // literals; "E+" etc. for exponents
    int exponentDigits = 0;
};

// Splits a pattern into sections at ";" outside quotes.
QStringList sections(const QString& pattern)
{
    QStringList out;
    QString cur;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'"')
            quoted = !quoted;
        if (c == u'\\' && !quoted && i + 1 < pattern.size()) {
            cur.append(c);
            cur.append(pattern[++i]);
            continue;
        }
        if (c == u';' && !quoted) {
            out.append(cur);
            cur.clear();
            continue;
        }
        cur.append(c);
    }
    out.append(cur);
    return out;
}

QList<Piece> parseNumeric(const QString& section)
{
    QList<Piece> pieces;
    auto literal = [&](const QString& t) {
        if (!pieces.isEmpty() && pieces.back().kind == Piece::Literal)
            pieces.back().text += t;
        else
            pieces.append(Piece{Piece::Literal, t});
    };
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == u'0') {
            pieces.append(Piece{Piece::Zero, {}});
        } else if (c == u'#') {
            pieces.append(Piece{Piece::Hash, {}});
        } else if (c == u'.') {
            pieces.append(Piece{Piece::Point, {}});
        } else if (c == u',') {
            pieces.append(Piece{Piece::Comma, {}});
        } else if (c == u'%') {
            pieces.append(Piece{Piece::Percent, QStringLiteral("%")});
        } else if ((c == u'E' || c == u'e') && i + 1 < section.size()
                   && (section[i + 1] == u'+' || section[i + 1] == u'-')) {
            Piece p{Piece::Exponent, QString(c) + section[i + 1]};
            i += 2;
            while (i < section.size() && (section[i] == u'0' || section[i] == u'#')) {
                ++p.exponentDigits;
                ++i;
            }
            --i;
            pieces.append(p);
        } else if (c == u'"') {
            const qsizetype end = section.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? section.size() : end;
            literal(section.mid(i + 1, stop - i - 1));
            i = stop;
        } else if (c == u'\\' && i + 1 < section.size()) {
            literal(QString(section[++i]));
        } else {
            literal(QString(c));
        }
    }
    return pieces;
}

bool hasPlaceholders(const QList<Piece>& pieces)
{
    for (const Piece& p : pieces)
        if (p.kind == Piece::Zero || p.kind == Piece::Hash)
            return true;
    return false;
}

// One section of a numeric pattern applied to a value (the sign already
// dealt with by the caller when `absolute`).
QString formatSection(const QList<Piece>& pieces, Decimal value, bool showMinus)
{
    const RegionalProfile& r = Regional();
    qsizetype pointAt = -1;
    int intPlaces = 0, intZeros = 0, fracPlaces = 0;
    bool firstZeroSeen = false;
    bool group = false;
    bool percent = false;
    int scaling = 0;  // commas right before the point divide by 1000
    qsizetype exponentAt = -1;
    for (qsizetype k = 0; k < pieces.size(); ++k) {
        const Piece& p = pieces[k];
        if (p.kind == Piece::Point && pointAt < 0 && exponentAt < 0)
            pointAt = k;
        else if (p.kind == Piece::Exponent && exponentAt < 0)
            exponentAt = k;
        else if (p.kind == Piece::Percent)
            percent = true;
    }
    const qsizetype intEnd = pointAt >= 0 ? pointAt : (exponentAt >= 0 ? exponentAt : pieces.size());
    for (qsizetype k = 0; k < intEnd; ++k) {
        const Piece& p = pieces[k];
        if (p.kind == Piece::Zero || p.kind == Piece::Hash) {
            ++intPlaces;
            if (p.kind == Piece::Zero)
                firstZeroSeen = true;
            if (firstZeroSeen)
                ++intZeros;
        } else if (p.kind == Piece::Comma) {
            // A comma between placeholders groups thousands; commas after
            // the last placeholder scale by a thousand each.
            bool placeholderAfter = false;
            for (qsizetype j = k + 1; j < intEnd; ++j)
                if (pieces[j].kind == Piece::Zero || pieces[j].kind == Piece::Hash)
                    placeholderAfter = true;
            if (placeholderAfter && intPlaces > 0)
                group = true;
            else if (!placeholderAfter && intPlaces > 0)
                ++scaling;
        }
    }
    const qsizetype fracEnd = exponentAt >= 0 ? exponentAt : pieces.size();
    if (pointAt >= 0)
        for (qsizetype k = pointAt + 1; k < fracEnd; ++k)
            if (pieces[k].kind == Piece::Zero || pieces[k].kind == Piece::Hash)
                ++fracPlaces;

    if (percent)
        value = value * Decimal(100);
    for (int i = 0; i < scaling; ++i)
        value = value / Decimal(1000);

    int exponent = 0;
    if (exponentAt >= 0 && !value.isZero()) {
        // Scientific: as many integer digits as integer placeholders (one at least).
        const int wanted = std::max(1, intPlaces);
        const int magnitude = int(std::floor(std::log10(std::fabs(value.toDouble()))));
        exponent = magnitude - (wanted - 1);
        Decimal factor = Decimal(1);
        for (int i = 0; i < std::abs(exponent); ++i)
            factor = factor * Decimal(10);
        value = exponent >= 0 ? value / factor : value * factor;
        // Rounding may carry into another digit (9.99 -> 10.0).
        const Digits check = digitsOf(value, fracPlaces);
        if (check.integer.size() > wanted) {
            value = value / Decimal(10);
            ++exponent;
        }
    }

    Digits d = digitsOf(value, fracPlaces);
    QString integer = d.integer;
    while (integer.size() < intZeros)
        integer.prepend(u'0');
    if (group)
        integer = groupDigits(integer, r.thousandsSeparator);

    // Fraction: trailing "#" places drop their zeros.
    QString fraction = d.fraction;
    {
        int keepAtLeast = 0;
        int place = 0;
        if (pointAt >= 0)
            for (qsizetype k = pointAt + 1; k < fracEnd; ++k) {
                if (pieces[k].kind == Piece::Zero) {
                    ++place;
                    keepAtLeast = place;
                } else if (pieces[k].kind == Piece::Hash) {
                    ++place;
                }
            }
        while (fraction.size() > keepAtLeast && fraction.endsWith(u'0'))
            fraction.chop(1);
    }

    QString out;
    if (showMinus && !d.zero)
        out.append(u'-');
    // Integer part: the digits go where the placeholders are; extra digits
    // with the first placeholder; literals between placeholders stay.
    int placeholder = 0;
    QList<QString> cells(intPlaces);
    {
        // From the right, one digit per placeholder (with the separator in
        // front of it); the first placeholder takes whatever is left.
        qsizetype k = integer.size();
        for (int c = intPlaces - 1; c >= 0 && k > 0; --c) {
            qsizetype start = k - 1;
            if (start > 0 && integer[start - 1] == r.thousandsSeparator && group)
                --start;
            if (c == 0)
                start = 0;
            cells[c] = integer.mid(start, k - start);
            k = start;
        }
    }
    for (qsizetype k = 0; k < intEnd; ++k) {
        const Piece& p = pieces[k];
        if (p.kind == Piece::Zero || p.kind == Piece::Hash) {
            out += cells[placeholder++];
        } else if (p.kind == Piece::Literal || p.kind == Piece::Percent) {
            out += p.text;
        }
    }
    if (intPlaces == 0)
        out += integer;  // no integer placeholder: the digits still show
    if (pointAt >= 0) {
        out.append(r.decimalSeparator);
        int f = 0;
        for (qsizetype k = pointAt + 1; k < fracEnd; ++k) {
            const Piece& p = pieces[k];
            if (p.kind == Piece::Zero || p.kind == Piece::Hash) {
                if (f < fraction.size())
                    out.append(fraction[f]);
                ++f;
            } else if (p.kind == Piece::Literal || p.kind == Piece::Percent) {
                out += p.text;
            }
        }
    }
    if (exponentAt >= 0) {
        const Piece& e = pieces[exponentAt];
        out.append(e.text[0]);
        if (exponent < 0)
            out.append(u'-');
        else if (e.text[1] == u'+')
            out.append(u'+');
        QString digits = QString::number(std::abs(exponent));
        while (digits.size() < e.exponentDigits)
            digits.prepend(u'0');
        out += digits;
        for (qsizetype k = exponentAt + 1; k < pieces.size(); ++k)
            if (pieces[k].kind == Piece::Literal || pieces[k].kind == Piece::Percent)
                out += pieces[k].text;
    }
    return out;
}

QString formatNumeric(const Variant& value, const QString& pattern)
{
    const QStringList parts = sections(pattern);
    Decimal v = decimalOf(value);
    const bool negative = v.isNegative();
    QString section = parts[0];
    bool showMinus = negative;
    if (negative && parts.size() >= 2 && !parts[1].isEmpty()) {
        section = parts[1];
        showMinus = false;
        v = -v;
    }
    if (v.isZero() && parts.size() >= 3 && !parts[2].isEmpty())
        section = parts[2];
    const QList<Piece> pieces = parseNumeric(section);
    if (!hasPlaceholders(pieces)) {
        QString out;
        if (showMinus)
            out.append(u'-');
        for (const Piece& p : pieces)
            out += p.kind == Piece::Point ? QString(Regional().decimalSeparator)
                   : p.kind == Piece::Comma ? QString(Regional().thousandsSeparator)
                                            : p.text;
        return out;
    }
    if (showMinus)
        v = -v;
    return formatSection(pieces, v, showMinus);
}

// ------------------------------------------------------------ dates

QString pad2(int v)
{
    return QString::number(v).rightJustified(2, u'0');
}

QString monthName(int m)
{
    const RegionalProfile& r = Regional();
    return m >= 1 && m <= r.monthNames.size() ? r.monthNames[m - 1] : QString::number(m);
}

QString dayName(const QDate& d)
{
    const RegionalProfile& r = Regional();
    const int i = d.dayOfWeek() % 7;  // 0 = Sunday
    return i < r.dayNames.size() ? r.dayNames[i] : QString::number(i + 1);
}

QString longDate(const QDate& d)
{
    return dayName(d) + QStringLiteral(", ") + QString::number(d.day()) + QStringLiteral(" de ")
           + monthName(d.month()) + QStringLiteral(" de ") + QString::number(d.year());
}

int weekdayOf(const QDate& d)
{
    return d.dayOfWeek() % 7 + 1;
}

// A pattern is a date pattern when it has date letters and no digit or
// text placeholders outside quotes ("USD #,##0.00" is numeric).
bool isDatePattern(const QString& pattern)
{
    bool quoted = false;
    bool dateLetters = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (c == u'\\') {
            ++i;
            continue;
        }
        if (c == u'0' || c == u'#' || c == u'@' || c == u'&')
            return false;
        switch (c.toLower().unicode()) {
        case u'd': case u'm': case u'y': case u'h': case u'n': case u's': case u'w': case u'q': case u'c':
            dateLetters = true;
            break;
        default:
            break;
        }
    }
    return dateLetters;
}

QString formatDate(Date value, const QString& pattern)
{
    const RegionalProfile& r = Regional();
    const QDate d = value.date();
    const QTime t = value.time();
    // 12-hour clock when the pattern carries AM/PM or A/P.
    const QString lower = pattern.toLower();
    const bool twelve = lower.contains(u"am/pm") || lower.contains(u"a/p") || lower.contains(u"ampm");
    QString out;
    bool lastWasHour = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        const QChar lc = c.toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == lc)
            ++run;
        if (c == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (c == u'\\' && i + 1 < pattern.size()) {
            out += pattern[i + 1];
            i += 2;
            continue;
        }
        if (lower.mid(i, 5) == u"am/pm") {
            const bool pm = t.hour() >= 12;
            const QString word = pattern.mid(i, 5).split(u'/')[pm ? 1 : 0];
            out += word;
            i += 5;
            continue;
        }
        if (lower.mid(i, 3) == u"a/p") {
            const bool pm = t.hour() >= 12;
            out += pattern[i + (pm ? 2 : 0)];
            i += 3;
            continue;
        }
        if (lower.mid(i, 4) == u"ampm") {
            out += t.hour() >= 12 ? r.pmDesignator : r.amDesignator;
            i += 4;
            continue;
        }
        const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
        const int hour = twelve ? hour12 : t.hour();
        bool isHour = false;
        switch (lc.unicode()) {
        case u'd':
            if (run == 1) out += QString::number(d.day());
            else if (run == 2) out += pad2(d.day());
            else if (run == 3) out += dayName(d).left(3);
            else if (run == 4) out += dayName(d);
            else if (run == 5) out += d.toString(r.shortDateFormat);
            else out += longDate(d);
            break;
        case u'm':
            if (lastWasHour && run <= 2) {
                out += run == 1 ? QString::number(t.minute()) : pad2(t.minute());
            } else if (run == 1) out += QString::number(d.month());
            else if (run == 2) out += pad2(d.month());
            else if (run == 3) out += monthName(d.month()).left(3);
            else out += monthName(d.month());
            break;
        case u'y':
            if (run == 1) out += QString::number(d.dayOfYear());
            else if (run <= 3) out += pad2(d.year() % 100);
            else out += QString::number(d.year()).rightJustified(4, u'0');
            break;
        case u'h':
            out += run == 1 ? QString::number(hour) : pad2(hour);
            isHour = true;
            break;
        case u'n':
            out += run == 1 ? QString::number(t.minute()) : pad2(t.minute());
            break;
        case u's':
            out += run == 1 ? QString::number(t.second()) : pad2(t.second());
            break;
        case u'w':
            if (run == 1) {
                out += QString::number(weekdayOf(d));
            } else {
                // Week of the year, weeks starting on Sunday, 1 January in week 1.
                const QDate jan1(d.year(), 1, 1);
                const int offset = weekdayOf(jan1) - 1;
                out += QString::number((d.dayOfYear() - 1 + offset) / 7 + 1);
            }
            break;
        case u'q':
            out += QString::number((d.month() - 1) / 3 + 1);
            break;
        case u'c':
            out += Variant(value).toString();
            break;
        case u't':
            if (run == 5) {
                out += t.toString(r.longTimeFormat);
                break;
            }
            out += QString(run, c);
            break;
        default:
            out += pattern.mid(i, run);
            break;
        }
        // "m" right after an hour (separators between) reads as minutes.
        if (isHour)
            lastWasHour = true;
        else if (lc.isLetter())
            lastWasHour = false;
        i += run;
    }
    return out;
}

// ------------------------------------------------------------ texts

QString formatText(const QString& text, const QString& pattern)
{
    QString t = text;
    QString p = pattern;
    if (p.contains(u'>'))
        t = t.toUpper();
    else if (p.contains(u'<'))
        t = t.toLower();
    p.remove(u'<').remove(u'>');
    const bool leftToRight = p.startsWith(u'!');
    if (leftToRight)
        p.remove(0, 1);
    int places = 0;
    for (const QChar c : p)
        if (c == u'@' || c == u'&')
            ++places;
    if (places == 0)
        return t;
    // Fill the placeholders right to left (left to right with "!").
    QString out;
    QList<QChar> chars(t.begin(), t.end());
    if (!leftToRight) {
        qsizetype k = chars.size() - 1;
        QString rev;
        for (qsizetype i = p.size() - 1; i >= 0; --i) {
            const QChar c = p[i];
            if (c == u'@' || c == u'&') {
                if (k >= 0)
                    rev.prepend(chars[k--]);
                else if (c == u'@')
                    rev.prepend(u' ');
            } else {
                rev.prepend(c);
            }
        }
        if (k >= 0)
            rev.prepend(t.left(k + 1));
        return rev;
    }
    qsizetype k = 0;
    for (const QChar c : p) {
        if (c == u'@' || c == u'&') {
            if (k < chars.size())
                out += chars[k++];
            else if (c == u'@')
                out += u' ';
        } else {
            out += c;
        }
    }
    if (k < chars.size())
        out += t.mid(k);
    return out;
}

QString namedFormat(const Variant& value, const QString& name, bool& handled)
{
    const RegionalProfile& r = Regional();
    const QString n = name.toLower();
    handled = true;
    if (n == u"general number")
        return DoubleToText(value.toDouble(), r.decimalSeparator);
    if (n == u"currency") {
        const int digits = r.currencyDigits < 0 ? 2 : r.currencyDigits;
        QString body = QStringLiteral("#,##0");
        if (digits > 0)
            body += u'.' + QString(digits, u'0');
        const QString pattern = u'"' + r.currencySymbol + QStringLiteral(" \"") + body;
        return formatNumeric(value, pattern + u';' + u'-' + pattern);
    }
    if (n == u"fixed")
        return formatNumeric(value, QStringLiteral("0.00"));
    if (n == u"standard")
        return formatNumeric(value, QStringLiteral("#,##0.00"));
    if (n == u"percent")
        return formatNumeric(value, QStringLiteral("0.00%"));
    if (n == u"scientific")
        return formatNumeric(value, QStringLiteral("0.00E+00"));
    if (n == u"yes/no")
        return value.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
    if (n == u"true/false")
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (n == u"on/off")
        return value.toBool() ? QStringLiteral("On") : QStringLiteral("Off");
    if (n == u"general date")
        return value.toDate().hasTime() || value.toDate().date() != kEpoch ? Variant(value.toDate()).toString()
                                                                           : QString();
    if (n == u"short date")
        return value.toDate().date().toString(r.shortDateFormat);
    if (n == u"long date")
        return longDate(value.toDate().date());
    if (n == u"medium date")
        return formatDate(value.toDate(), QStringLiteral("dd-mmm-yy"));
    if (n == u"short time")
        return formatDate(value.toDate(), QStringLiteral("hh:nn"));
    if (n == u"medium time")
        return formatDate(value.toDate(), QStringLiteral("hh:nn AMPM"));
    if (n == u"long time")
        return value.toDate().time().toString(r.longTimeFormat);
    handled = false;
    return {};
}

std::optional<Date> asDate(const Variant& value)
{
    if (const Date* d = value.get<Date>())
        return *d;
    if (const QString* s = value.get<QString>())
        return ParseDateText(*s);
    if (value.IsNumeric() && !value.IsEmpty())
        return Date(value.toDouble());
    return std::nullopt;
}

}  // namespace

QString Format(const Variant& value, const QString& pattern)
{
    if (value.IsNull())
        return QString();
    if (pattern.isEmpty())
        return value.toString();
    bool handled = false;
    const QString named = namedFormat(value, pattern, handled);
    if (handled)
        return named;
    if (pattern.contains(u'@') || pattern.contains(u'&') || pattern == u"<" || pattern == u">")
        return formatText(value.toString(), pattern);
    if (isDatePattern(pattern)) {
        if (const auto d = asDate(value))
            return formatDate(*d, pattern);
        return value.toString();
    }
    if (value.IsEmpty())
        return formatNumeric(Variant(0), pattern);
    if (value.get<Date>())
        return formatNumeric(Variant(value.get<Date>()->serial()), pattern);
    if (!value.IsNumeric())
        return value.toString();  // a text that is no number comes back as it is
    return formatNumeric(value, pattern);
}

QString FormatNumber(const Variant& value, int digitsAfterDecimal, bool groupDigits)
{
    if (value.IsNull())
        return QString();
    const RegionalProfile& r = Regional();
    const int digits = digitsAfterDecimal < 0 ? (r.currencyDigits < 0 ? 2 : r.currencyDigits) : digitsAfterDecimal;
    QString pattern = groupDigits ? QStringLiteral("#,##0") : QStringLiteral("0");
    if (digits > 0)
        pattern += u'.' + QString(digits, u'0');
    return formatNumeric(Variant(value.toDecimal()), pattern);
}

// ------------------------------------------------------------ date parts

int Year(const Date& d) { return d.date().year(); }
int Month(const Date& d) { return d.date().month(); }
int Day(const Date& d) { return d.date().day(); }
int Hour(const Date& d) { return d.time().hour(); }
int Minute(const Date& d) { return d.time().minute(); }
int Second(const Date& d) { return d.time().second(); }
int Weekday(const Date& d) { return weekdayOf(d.date()); }

namespace {

long long floorDiv(long long a, long long b)
{
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

Date checkedDate(const QDateTime& dt)
{
    if (!dt.isValid() || dt.date().year() < 100 || dt.date().year() > 9999)
        throw VbError(5);
    return Date::fromDateTime(dt);
}

}  // namespace

Date DateSerial(int year, int month, int day)
{
    if (year >= 0 && year < 30)
        year += 2000;
    else if (year >= 30 && year < 100)
        year += 1900;
    const long long months = (long long)year * 12 + (month - 1);
    const int y = int(floorDiv(months, 12));
    const int m = int(months - (long long)y * 12) + 1;
    const QDate first(y, m, 1);
    if (!first.isValid())
        throw VbError(5);
    return checkedDate(QDateTime(first.addDays(day - 1), QTime(0, 0)));
}

Date TimeSerial(int hour, int minute, int second)
{
    const long long total = (long long)hour * 3600 + (long long)minute * 60 + second;
    const long long days = floorDiv(total, 86400);
    const long long rest = total - days * 86400;
    if (days == 0)
        return Date(double(rest) / 86400.0);
    return checkedDate(QDateTime(kEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(rest * 1000))));
}

Date DateAdd(const QString& interval, double number, const Date& d)
{
    const QString i = interval.toLower();
    const long long n = (long long)std::nearbyint(number);
    const QDateTime dt = d.toDateTime();
    QDateTime r;
    if (i == u"yyyy")
        r = QDateTime(dt.date().addYears(int(n)), dt.time());
    else if (i == u"q")
        r = QDateTime(dt.date().addMonths(int(n * 3)), dt.time());
    else if (i == u"m")
        r = QDateTime(dt.date().addMonths(int(n)), dt.time());
    else if (i == u"y" || i == u"d" || i == u"w")
        r = QDateTime(dt.date().addDays(n), dt.time());
    else if (i == u"ww")
        r = QDateTime(dt.date().addDays(n * 7), dt.time());
    else if (i == u"h" || i == u"n" || i == u"s") {
        const long long seconds = i == u"h" ? n * 3600 : i == u"n" ? n * 60 : n;
        const long long total = dt.time().msecsSinceStartOfDay() / 1000 + seconds;
        const long long days = floorDiv(total, 86400);
        r = QDateTime(dt.date().addDays(days),
                      QTime::fromMSecsSinceStartOfDay(int((total - days * 86400) * 1000)));
    } else {
        throw VbError(5);
    }
    return checkedDate(r);
}

long long DateDiff(const QString& interval, const Date& a, const Date& b)
{
    const QString i = interval.toLower();
    const QDate da = a.date(), db = b.date();
    const QTime ta = a.time(), tb = b.time();
    const long long dayA = kEpoch.daysTo(da), dayB = kEpoch.daysTo(db);
    const long long secA = dayA * 86400 + ta.msecsSinceStartOfDay() / 1000;
    const long long secB = dayB * 86400 + tb.msecsSinceStartOfDay() / 1000;
    if (i == u"yyyy")
        return db.year() - da.year();
    if (i == u"q")
        return (db.year() * 4 + (db.month() - 1) / 3) - (da.year() * 4 + (da.month() - 1) / 3);
    if (i == u"m")
        return (db.year() * 12LL + db.month()) - (da.year() * 12LL + da.month());
    if (i == u"y" || i == u"d")
        return dayB - dayA;
    if (i == u"w")
        return (dayB - dayA) / 7;
    if (i == u"ww")  // Sundays crossed; the epoch fell on a Saturday
        return floorDiv(dayB + 6, 7) - floorDiv(dayA + 6, 7);
    if (i == u"h")
        return floorDiv(secB, 3600) - floorDiv(secA, 3600);
    if (i == u"n")
        return floorDiv(secB, 60) - floorDiv(secA, 60);
    if (i == u"s")
        return secB - secA;
    throw VbError(5);
}

Date Now()
{
    return Date::now();
}

Date Today()
{
    return Date::fromDate(QDate::currentDate());
}

Date Time()
{
    const QTime t = QTime::currentTime();
    return Date((t.hour() * 3600 + t.minute() * 60 + t.second()) / 86400.0);
}

Date DateValue(const QString& text)
{
    const auto d = ParseDateText(text);
    if (!d)
        throw VbError(13);
    return Date::fromDate(d->date());
}

Date TimeValue(const QString& text)
{
    const auto d = ParseDateText(text);
    if (!d)
        throw VbError(13);
    const QTime t = d->time();
    return Date((t.hour() * 3600 + t.minute() * 60 + t.second()) / 86400.0);
}

}  // namespace legacy
