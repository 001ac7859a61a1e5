#include "platform/legacy/program.h"
#include "platform/legacy/textfile.h"
#include "platform/legacy/vberror.h"

#include <QFile>
#include <QTemporaryDir>

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <functional>

using namespace legacy;
using testutil::errorOf;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(TextFile, Windows1252RoundTripOfEveryByte)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = fromWin1252(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(toWin1252(text), all);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));
    EXPECT_EQ(text.at(0x9F), QChar(0x0178));
    EXPECT_EQ(text.at(0xF1), QChar(u'ñ'));
    EXPECT_EQ(toWin1252(QStringLiteral("añoΩ€😀")), QByteArray("a\xF1o?\x80?"));
}

TEST(TextFile, AppendLineWritesCrLfAndReadLinesSplitsAnyEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LOG.TXT"));
    AppendLine(path, QStringLiteral("Anulación 1"));
    AppendLine(path, QStringLiteral("línea 2"));
    EXPECT_EQ(bytesOf(path), QByteArray("Anulaci\xF3n 1\r\nl\xEDnea 2\r\n"));
    EXPECT_EQ(ReadLines(path), (QStringList{QStringLiteral("Anulación 1"), QStringLiteral("línea 2")}));

    WriteAllText(path, QStringLiteral("a\r\nb\nc\rd\r\n\r\ne"));
    EXPECT_EQ(ReadLines(path), (QStringList{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(ReadAllText(path), u"a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(errorOf([&] { ReadLines(dir.filePath(QStringLiteral("NADA.TXT"))); }), 53);
    EXPECT_EQ(errorOf([&] { AppendLine(dir.filePath(QStringLiteral("no/existe/x.txt")), QStringLiteral("x")); }), 76);
    EXPECT_TRUE(FileExists(path));
    EXPECT_FALSE(FileExists(dir.path()));
}

TEST(TextFile, FixedLengthRecords)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DATOS.VRK"));
    WriteRecord(path, 3, QByteArray("CCCC"));
    WriteRecord(path, 1, QByteArray("AAAA"));
    EXPECT_EQ(bytesOf(path), QByteArray("AAAA\0\0\0\0CCCC", 12));
    EXPECT_EQ(ReadRecord(path, 1, 4), QByteArray("AAAA"));
    EXPECT_EQ(ReadRecord(path, 2, 4), QByteArray(4, '\0'));
    EXPECT_EQ(ReadRecord(path, 9, 4), QByteArray(4, '\0'));
    EXPECT_EQ(errorOf([&] { ReadRecord(path, 0, 4); }), 63);
    EXPECT_EQ(errorOf([&] { ReadRecord(dir.filePath(QStringLiteral("X")), 1, 4); }), 53);
}

TEST(TextFile, FindFileNoCaseAndJoinPath)
{
    QTemporaryDir dir;
    AppendLine(dir.filePath(QStringLiteral("Bases.txt")), QStringLiteral("x"));
    const auto found = FindFileNoCase(dir.path(), QStringLiteral("BASES.TXT"));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, dir.path() + QStringLiteral("/Bases.txt"));
    EXPECT_FALSE(FindFileNoCase(dir.path(), QStringLiteral("OTRO.TXT")).has_value());
    EXPECT_FALSE(FindFileNoCase(dir.filePath(QStringLiteral("nada")), QStringLiteral("BASES.TXT")).has_value());

    struct Case { const char* folder; const char* name; const char* joined; };
    const Case cases[] = {
        {"/a/b", "c.txt", "/a/b/c.txt"}, {"/a/b/", "c.txt", "/a/b/c.txt"}, {"C:\\dir\\", "x\\y.ini", "C:/dir/x/y.ini"},
        {"", "c.txt", "c.txt"},          {"/", "c.txt", "/c.txt"},          {"/a", "/c.txt", "/a/c.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinPath(QString::fromLatin1(c.folder), QString::fromLatin1(c.name)), QString::fromLatin1(c.joined));
}

TEST(Program, FromProcessAndInjection)
{
    const ProgramInfo info = ProgramInfo::fromProcess({QStringLiteral("/opt/suite/QM410TX.exe"), QStringLiteral("SERVIDOR"),
                                                       QStringLiteral("BASE"), QStringLiteral("1")});
    EXPECT_EQ(info.exeName, u"QM410TX");
    EXPECT_EQ(info.commandLine, u"SERVIDOR BASE 1");
    EXPECT_EQ(info.title, u"QM410TX");
    EXPECT_FALSE(info.machineName.isEmpty());
    EXPECT_FALSE(info.userName.isEmpty());
    EXPECT_FALSE(info.path.endsWith(u'/'));

    ProgramInfo injected;
    injected.exeName = QStringLiteral("ANULA");
    injected.commandLine = QStringLiteral("a b");
    setApp(injected);
    EXPECT_EQ(App().exeName, u"ANULA");
    EXPECT_EQ(App().title, u"ANULA");
    EXPECT_EQ(Command(), u"a b");
    EXPECT_EQ(ProgramEnd(3).code, 3);
}
