#include "platform/legacy/textconv.h"

#include "platform/legacy/regional.h"

#include <QList>
#include <QString>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace legacy {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0xA0);
}

QStringView trimmed(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

int digitValue(QChar c, int base)
{
    int v = -1;
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        v = u - u'0';
    else if (u >= u'a' && u <= u'f')
        v = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        v = u - u'A' + 10;
    return v < base ? v : -1;
}

// "&H" / "&O" numbers: up to 16 bits read as an Integer, up to 32 as a Long,
// so "&HFFFF" is -1 as in the runtime.
std::optional<QByteArray> radixNumber(QStringView s)
{
    const int base = (s[1] == u'H' || s[1] == u'h') ? 16 : 8;
    if (s.size() < 3)
        return std::nullopt;
    unsigned long long v = 0;
    for (qsizetype i = 2; i < s.size(); ++i) {
        const int d = digitValue(s[i], base);
        if (d < 0)
            return std::nullopt;
        v = v * base + d;
        if (v > 0xFFFFFFFFULL)
            return std::nullopt;
    }
    long long value;
    if (v <= 0xFFFF)
        value = std::int16_t(std::uint16_t(v));
    else
        value = std::int32_t(std::uint32_t(v));
    return QByteArray::number(value);
}

}  // namespace

std::optional<QByteArray> NormalizeNumberText(QStringView text)
{
    const RegionalProfile& r = Regional();
    QStringView s = trimmed(text);
    if (s.isEmpty())
        return std::nullopt;
    if (s.size() >= 2 && s[0] == u'&' && (s[1] == u'H' || s[1] == u'h' || s[1] == u'O' || s[1] == u'o'))
        return radixNumber(s);

    bool negative = false;
    if (s.size() >= 2 && s.front() == u'(' && s.back() == u')') {
        negative = true;
        s = trimmed(s.mid(1, s.size() - 2));
    }
    const QStringView symbol = r.currencySymbol;
    bool sawSymbol = false;
    auto takeSymbol = [&]() {
        if (!sawSymbol && !symbol.isEmpty() && s.startsWith(symbol)) {
            s = trimmed(s.mid(symbol.size()));
            sawSymbol = true;
        }
    };
    takeSymbol();
    if (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+')) {
        if (s[0] == u'-') {
            if (negative)
                return std::nullopt;
            negative = true;
        }
        s = trimmed(s.mid(1));
    }
    takeSymbol();
    if (!sawSymbol && !symbol.isEmpty() && s.endsWith(symbol)) {
        s = trimmed(s.left(s.size() - symbol.size()));
        sawSymbol = true;
    }

    QByteArray out;
    out.reserve(s.size() + 2);
    if (negative)
        out.append('-');
    bool digits = false;
    bool point = false;
    qsizetype i = 0;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c >= u'0' && c <= u'9') {
            out.append(char(c.unicode()));
            digits = true;
        } else if (c == r.decimalSeparator && !point) {
            out.append('.');
            point = true;
        } else if (c == r.thousandsSeparator && !point && digits) {
            continue;
        } else {
            break;
        }
    }
    if (!digits)
        return std::nullopt;
    if (i < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
        out.append('e');
        ++i;
        if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
            out.append(char(s[i++].unicode()));
        const qsizetype start = i;
        for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i)
            out.append(char(s[i].unicode()));
        if (i == start)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    return out;
}

std::optional<double> ParseNumberText(QStringView text)
{
    const auto n = NormalizeNumberText(text);
    if (!n)
        return std::nullopt;
    return StrToDoubleC(n->constData());
}

namespace {

struct Token {
    enum Kind { Number, Word, Separator } kind = Number;
    int value = 0;       // numbers
    int length = 0;      // digits of a number
    QString word;        // words, lower case
    QChar separator;     // separators
};

QList<Token> tokenize(QStringView s, bool& ok)
{
    QList<Token> tokens;
    ok = true;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c.isDigit()) {
            Token t;
            t.kind = Token::Number;
            while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
                if (t.length < 9)
                    t.value = t.value * 10 + (s[i].unicode() - u'0');
                ++t.length;
                ++i;
            }
            tokens.append(t);
        } else if (c.isLetter()) {
            Token t;
            t.kind = Token::Word;
            // Letters, and dots inside a word ("a.m.").
            while (i < s.size() && (s[i].isLetter() || (s[i] == u'.' && !t.word.isEmpty()))) {
                t.word.append(s[i].toLower());
                ++i;
            }
            tokens.append(t);
        } else if (c == u'/' || c == u'-' || c == u'.' || c == u':' || c == u',' || isBlank(c)) {
            if (!isBlank(c))
                {
                Token t;
                t.kind = Token::Separator;
                t.separator = c;
                tokens.append(t);
            }
            ++i;
        } else {
            ok = false;
            return tokens;
        }
    }
    return tokens;
}

int monthFromWord(const QString& word)
{
    const RegionalProfile& r = Regional();
    for (int m = 0; m < r.monthNames.size(); ++m) {
        const QString& name = r.monthNames[m];
        if (word == name || (word.size() >= 3 && name.startsWith(word)))
            return m + 1;
    }
    return 0;
}

bool isDayName(const QString& word)
{
    const RegionalProfile& r = Regional();
    for (const QString& name : r.dayNames)
        if (word == name || (word.size() >= 3 && name.startsWith(word)))
            return true;
    return false;
}

int expandYear(const Token& t)
{
    if (t.length <= 2)
        return t.value < 30 ? 2000 + t.value : 1900 + t.value;
    return t.value;
}

}  // namespace

std::optional<Date> ParseDateText(QStringView text)
{
    const RegionalProfile& r = Regional();
    const QStringView s = trimmed(text);
    if (s.isEmpty())
        return std::nullopt;
    bool ok = false;
    const QList<Token> tokens = tokenize(s, ok);
    if (!ok)
        return std::nullopt;

    // The time: number ':' number [':' number] [am/pm].
    qsizetype timeAt = -1;
    for (qsizetype k = 0; k + 2 < tokens.size(); ++k)
        if (tokens[k].kind == Token::Number && tokens[k + 1].kind == Token::Separator
            && tokens[k + 1].separator == u':' && tokens[k + 2].kind == Token::Number) {
            timeAt = k;
            break;
        }
    int hour = 0, minute = 0, second = 0;
    bool hasTime = false;
    qsizetype dateEnd = tokens.size();
    if (timeAt >= 0) {
        hasTime = true;
        dateEnd = timeAt;
        hour = tokens[timeAt].value;
        minute = tokens[timeAt + 2].value;
        qsizetype k = timeAt + 3;
        if (k + 1 < tokens.size() && tokens[k].kind == Token::Separator && tokens[k].separator == u':'
            && tokens[k + 1].kind == Token::Number) {
            second = tokens[k + 1].value;
            k += 2;
        }
        if (k < tokens.size() && tokens[k].kind == Token::Word) {
            const QString w = QString(tokens[k].word).remove(u'.');
            const bool am = w == u"am" || w == u"a" || w == QString(r.amDesignator).remove(u'.').toLower();
            const bool pm = w == u"pm" || w == u"p" || w == QString(r.pmDesignator).remove(u'.').toLower();
            if (!am && !pm)
                return std::nullopt;
            if (hour < 1 || hour > 12)
                return std::nullopt;
            if (am && hour == 12)
                hour = 0;
            if (pm && hour != 12)
                hour += 12;
            ++k;
        }
        if (k != tokens.size())
            return std::nullopt;
        if (hour > 23 || minute > 59 || second > 59)
            return std::nullopt;
    }

    QList<Token> numbers;
    int monthByName = 0;
    bool decimalLikeSeparator = false;
    for (qsizetype k = 0; k < dateEnd; ++k) {
        const Token& t = tokens[k];
        if (t.kind == Token::Separator && (t.separator == u'.' || t.separator == u','))
            decimalLikeSeparator = true;
        if (t.kind == Token::Number) {
            numbers.append(t);
        } else if (t.kind == Token::Word) {
            const QString w = QString(t.word).remove(u'.');
            if (const int m = monthFromWord(w)) {
                if (monthByName)
                    return std::nullopt;
                monthByName = m;
            } else if (w == u"de" || w == u"del" || w == u"t" || isDayName(w)) {
                continue;
            } else {
                return std::nullopt;
            }
        }
    }

    QDate date;
    const bool hasDate = !numbers.isEmpty() || monthByName;
    if (hasDate) {
        int year = 0, month = 0, day = 0;
        bool swapWhenNoDate = false;
        const int currentYear = QDate::currentDate().year();
        if (monthByName) {
            month = monthByName;
            if (numbers.size() == 1) {
                day = numbers[0].value;
                year = currentYear;
            } else if (numbers.size() == 2) {
                const bool firstIsYear = numbers[0].length > 2 || numbers[0].value > 31;
                day = firstIsYear ? numbers[1].value : numbers[0].value;
                year = expandYear(firstIsYear ? numbers[0] : numbers[1]);
            } else {
                return std::nullopt;
            }
        } else if (numbers.size() == 3) {
            if (numbers[0].length > 2) {
                year = expandYear(numbers[0]);
                month = numbers[1].value;
                day = numbers[2].value;
            } else {
                day = r.dayFirst ? numbers[0].value : numbers[1].value;
                month = r.dayFirst ? numbers[1].value : numbers[0].value;
                year = expandYear(numbers[2]);
                swapWhenNoDate = true;
            }
        } else if (numbers.size() == 2) {
            // "1.5" and "1,5" are numbers, not the first of May.
            if (numbers[0].length > 2 || numbers[1].length > 2 || decimalLikeSeparator)
                return std::nullopt;
            day = r.dayFirst ? numbers[0].value : numbers[1].value;
            month = r.dayFirst ? numbers[1].value : numbers[0].value;
            year = currentYear;
            swapWhenNoDate = true;
        } else {
            return std::nullopt;
        }
        // Day and month that make no date in the profile's order are read
        // the other way round, as the runtime does: "12/13/2024" under a
        // day-first profile is 13 December 2024.
        if (swapWhenNoDate && !QDate::isValid(year, month, day) && QDate::isValid(year, day, month))
            std::swap(day, month);
        date = QDate(year, month, day);
        if (!date.isValid() || year < 100 || year > 9999)
            return std::nullopt;
    }
    if (!hasDate && !hasTime)
        return std::nullopt;
    const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    if (!hasDate)
        return Date(fraction);
    return Date::fromDateTime(QDateTime(date, QTime(hour, minute, second)));
}

QString DoubleToText(double value, QChar decimalPoint)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    QString s = QString::fromLatin1(DoubleToGeneralC(value, 15));
    if (decimalPoint != u'.')
        s.replace(u'.', decimalPoint);
    return s;
}

double StrToDoubleC(const char* text)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return strtod_l(text, nullptr, c);
}

namespace {

QByteArray ToCharsC(double value, std::chars_format format, int precision)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, format, precision);
    return QByteArray(buf, int(r.ptr - buf));
}

}  // namespace

QByteArray DoubleToScientificC(double value, int precision)
{
    return ToCharsC(value, std::chars_format::scientific, precision);
}

QByteArray DoubleToGeneralC(double value, int precision)
{
    return ToCharsC(value, std::chars_format::general, precision).toUpper();
}

}  // namespace legacy
