#include "platform/legacy/strings.h"

#include "platform/legacy/textfile.h"
#include "platform/legacy/vberror.h"

#include <algorithm>

namespace legacy {

namespace {

Qt::CaseSensitivity sensitivity(VbCompareMethod compare)
{
    return compare == vbTextCompare ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

}  // namespace

QString Trim(const QString& s)
{
    return RTrim(LTrim(s));
}

QString LTrim(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    return s.mid(i);
}

QString RTrim(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == u' ')
        --n;
    return s.left(n);
}

QString Left(const QString& s, long length)
{
    if (length < 0)
        throw VbError(5);
    return s.left(length);
}

QString Right(const QString& s, long length)
{
    if (length < 0)
        throw VbError(5);
    return length >= s.size() ? s : s.right(length);
}

QString Mid(const QString& s, long start)
{
    if (start < 1)
        throw VbError(5);
    return start > s.size() ? QString() : s.mid(start - 1);
}

QString Mid(const QString& s, long start, long length)
{
    if (start < 1 || length < 0)
        throw VbError(5);
    return start > s.size() ? QString() : s.mid(start - 1, length);
}

long InStr(const QString& haystack, const QString& needle, VbCompareMethod compare)
{
    return InStr(1, haystack, needle, compare);
}

long InStr(long start, const QString& haystack, const QString& needle, VbCompareMethod compare)
{
    if (start < 1)
        throw VbError(5);
    if (haystack.isEmpty())
        return 0;
    if (needle.isEmpty())
        return start;
    if (start > haystack.size())
        return 0;
    return long(haystack.indexOf(needle, start - 1, sensitivity(compare)) + 1);
}

long InStrRev(const QString& haystack, const QString& needle, long start, VbCompareMethod compare)
{
    if (start == 0 || start < -1)
        throw VbError(5);
    if (haystack.isEmpty())
        return 0;
    if (start == -1)
        start = long(haystack.size());
    if (needle.isEmpty())
        return start;
    if (start > haystack.size())
        return 0;
    const qsizetype from = start - needle.size();
    if (from < 0)
        return 0;
    return long(haystack.lastIndexOf(needle, from, sensitivity(compare)) + 1);
}

QString Replace(const QString& expression, const QString& find, const QString& replacement, long start,
                long count, VbCompareMethod compare)
{
    if (start < 1 || count < -1)
        throw VbError(5);
    if (start > expression.size())
        return QString();
    QString source = expression.mid(start - 1);
    if (find.isEmpty() || count == 0)
        return source;
    QString out;
    out.reserve(source.size());
    qsizetype pos = 0;
    long done = 0;
    const Qt::CaseSensitivity cs = sensitivity(compare);
    while (count == -1 || done < count) {
        const qsizetype hit = source.indexOf(find, pos, cs);
        if (hit < 0)
            break;
        out += QStringView(source).mid(pos, hit - pos);
        out += replacement;
        pos = hit + find.size();
        ++done;
    }
    out += QStringView(source).mid(pos);
    return out;
}

int StrComp(const QString& a, const QString& b, VbCompareMethod compare)
{
    const int c = QString::compare(a, b, sensitivity(compare));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

QString UCase(const QString& s)
{
    return s.toUpper();
}

QString LCase(const QString& s)
{
    return s.toLower();
}

QString Space(long count)
{
    if (count < 0)
        throw VbError(5);
    return QString(count, u' ');
}

QString String(long count, QChar c)
{
    if (count < 0)
        throw VbError(5);
    return QString(count, c);
}

QString String(long count, const QString& firstCharOf)
{
    if (count < 0 || firstCharOf.isEmpty())
        throw VbError(5);
    return QString(count, firstCharOf[0]);
}

QString Chr(int code)
{
    if (code < 0 || code > 255)
        throw VbError(5);
    return fromWin1252(QByteArray(1, char(code)));
}

int Asc(const QString& s)
{
    if (s.isEmpty())
        throw VbError(5);
    const QByteArray b = toWin1252(s.left(s[0].isHighSurrogate() ? 2 : 1));
    return static_cast<unsigned char>(b.isEmpty() ? '?' : b[0]);
}

long Len(const QString& s)
{
    return long(s.size());
}

QStringList Split(const QString& expression, const QString& delimiter, long limit, VbCompareMethod compare)
{
    if (limit < -1)
        throw VbError(5);
    QStringList parts;
    if (expression.isEmpty() || limit == 0)
        return parts;
    if (delimiter.isEmpty() || limit == 1) {
        parts.append(expression);
        return parts;
    }
    const Qt::CaseSensitivity cs = sensitivity(compare);
    qsizetype pos = 0;
    for (;;) {
        if (limit != -1 && parts.size() == limit - 1)
            break;
        const qsizetype hit = expression.indexOf(delimiter, pos, cs);
        if (hit < 0)
            break;
        parts.append(expression.mid(pos, hit - pos));
        pos = hit + delimiter.size();
    }
    parts.append(expression.mid(pos));
    return parts;
}

QString Join(const QStringList& list, const QString& delimiter)
{
    return list.join(delimiter);
}

QString StrReverse(const QString& s)
{
    QString r = s;
    std::reverse(r.begin(), r.end());
    return r;
}

namespace {

// One [charlist] at pattern[p] (just after "["); sets end past the "]".
bool matchList(QStringView pattern, qsizetype p, QChar c, qsizetype& end, bool& ok)
{
    bool negate = false;
    if (p < pattern.size() && pattern[p] == u'!') {
        negate = true;
        ++p;
    }
    bool found = false;
    bool first = true;
    while (p < pattern.size() && (pattern[p] != u']' || first)) {
        first = false;
        const QChar lo = pattern[p];
        if (p + 2 < pattern.size() && pattern[p + 1] == u'-' && pattern[p + 2] != u']') {
            const QChar hi = pattern[p + 2];
            if (c >= lo && c <= hi)
                found = true;
            p += 3;
        } else {
            if (c == lo)
                found = true;
            ++p;
        }
    }
    if (p >= pattern.size()) {
        ok = false;  // "[" without "]"
        return false;
    }
    end = p + 1;
    return found != negate;
}

bool likeAt(QStringView s, qsizetype i, QStringView pattern, qsizetype p)
{
    while (p < pattern.size()) {
        const QChar pc = pattern[p];
        if (pc == u'*') {
            while (p < pattern.size() && pattern[p] == u'*')
                ++p;
            if (p == pattern.size())
                return true;
            for (qsizetype k = i; k <= s.size(); ++k)
                if (likeAt(s, k, pattern, p))
                    return true;
            return false;
        }
        if (i >= s.size())
            return false;
        const QChar c = s[i];
        if (pc == u'?') {
            ++p;
        } else if (pc == u'#') {
            if (!c.isDigit())
                return false;
            ++p;
        } else if (pc == u'[') {
            qsizetype end = 0;
            bool ok = true;
            const bool m = matchList(pattern, p + 1, c, end, ok);
            if (!ok)
                throw VbError(93, QStringLiteral("Modelo de cadena no válido"));
            if (!m)
                return false;
            p = end;
        } else {
            if (c != pc)
                return false;
            ++p;
        }
        ++i;
    }
    return i == s.size();
}

}  // namespace

bool Like(const QString& s, const QString& pattern)
{
    return likeAt(s, 0, pattern, 0);
}

}  // namespace legacy
