#include "platform/legacy/textfile.h"

#include "platform/legacy/vberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace legacy {

namespace {

// Characters of bytes 0x80..0x9F. The five bytes the code page leaves
// undefined map to the C1 control of the same number, so they round-trip.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return char(0x80 + i);
    return '?';
}

// The runtime's Open: a missing folder is error 76, anything else 75.
[[noreturn]] void raiseOpenError(const QString& path)
{
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        throw VbError(76, {}, path);
    throw VbError(75, {}, path);
}

}  // namespace

QByteArray toWin1252(const QString& text)
{
    QByteArray out;
    out.resize(text.size());
    char* p = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            // One character outside the code page: one "?".
            *p++ = '?';
            ++i;
            continue;
        }
        *p++ = encodeChar(c.unicode());
    }
    out.truncate(p - out.data());
    return out;
}

QString fromWin1252(const QByteArray& bytes)
{
    QString out;
    out.resize(bytes.size());
    QChar* p = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *p++ = QChar((b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b));
    }
    return out;
}

void AppendLine(const QString& path, const QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        raiseOpenError(path);
    QByteArray data = toWin1252(text);
    data.append("\r\n", 2);
    if (f.write(data) != data.size())
        throw VbError(57, {}, path);
}

QString ReadAllText(const QString& path)
{
    QFile f(path);
    if (!f.exists())
        throw VbError(53, {}, path);
    if (!f.open(QIODevice::ReadOnly))
        raiseOpenError(path);
    return fromWin1252(f.readAll());
}

QStringList ReadLines(const QString& path)
{
    const QString text = ReadAllText(path);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

void WriteAllText(const QString& path, const QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        raiseOpenError(path);
    const QByteArray data = toWin1252(text);
    if (f.write(data) != data.size())
        throw VbError(57, {}, path);
}

QByteArray ReadRecord(const QString& path, long recordNumber, int recordLength)
{
    if (recordNumber < 1 || recordLength < 1)
        throw VbError(63, {}, path);
    QFile f(path);
    if (!f.exists())
        throw VbError(53, {}, path);
    if (!f.open(QIODevice::ReadOnly))
        raiseOpenError(path);
    QByteArray record;
    const qint64 pos = qint64(recordNumber - 1) * recordLength;
    if (pos < f.size() && f.seek(pos))
        record = f.read(recordLength);
    // A record past the end of the file reads as zeros, as the runtime's Get.
    if (record.size() < recordLength)
        record.append(QByteArray(recordLength - record.size(), '\0'));
    return record;
}

void WriteRecord(const QString& path, long recordNumber, const QByteArray& record)
{
    if (recordNumber < 1 || record.isEmpty())
        throw VbError(63, {}, path);
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        raiseOpenError(path);
    const qint64 pos = qint64(recordNumber - 1) * record.size();
    if (f.size() < pos && !f.resize(pos))
        throw VbError(57, {}, path);
    if (!f.seek(pos) || f.write(record) != record.size())
        throw VbError(57, {}, path);
}

bool FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

std::optional<QString> FindFileNoCase(const QString& folder, const QString& fileName)
{
    const QString dirPath = folder.isEmpty() ? QStringLiteral(".") : QString(folder).replace(u'\\', u'/');
    if (FileExists(JoinPath(dirPath, fileName)))
        return JoinPath(folder.isEmpty() ? dirPath : folder, fileName);
    const QDir dir(dirPath);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return JoinPath(folder.isEmpty() ? dirPath : folder, entry);
    return std::nullopt;
}

QString JoinPath(const QString& folder, const QString& name)
{
    QString f = folder;
    QString n = name;
    f.replace(u'\\', u'/');
    n.replace(u'\\', u'/');
    if (f.isEmpty())
        return n;
    while (f.size() > 1 && f.endsWith(u'/'))
        f.chop(1);
    while (n.startsWith(u'/'))
        n.remove(0, 1);
    if (n.isEmpty())
        return f;
    if (f == u"/")
        return f + n;
    return f + u'/' + n;
}

}  // namespace legacy
