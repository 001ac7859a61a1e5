#include "platform/legacy/strings.h"
#include "platform/legacy/vberror.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <functional>

using namespace legacy;
using testutil::errorOf;

namespace {

}  // namespace

TEST(Strings, TrimOnlyBlanks)
{
    EXPECT_EQ(Trim(QStringLiteral("  a b  ")), u"a b");
    EXPECT_EQ(Trim(QStringLiteral("\ta\t")), u"\ta\t");
    EXPECT_EQ(LTrim(QStringLiteral("  a ")), u"a ");
    EXPECT_EQ(RTrim(QStringLiteral("  a ")), u"  a");
    EXPECT_EQ(Trim(QStringLiteral("   ")), u"");
}

TEST(Strings, LeftRightMidAndTheirErrors)
{
    const QString s = QStringLiteral("ABCDE");
    struct Case { QString got; const char16_t* expected; };
    const Case cases[] = {
        {Left(s, 2), u"AB"},   {Left(s, 0), u""},     {Left(s, 9), u"ABCDE"},
        {Right(s, 2), u"DE"},  {Right(s, 9), u"ABCDE"}, {Mid(s, 2), u"BCDE"},
        {Mid(s, 2, 2), u"BC"}, {Mid(s, 5, 9), u"E"},  {Mid(s, 6), u""},
        {Mid(s, 9, 1), u""},   {Mid(s, 1, 0), u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, QString::fromUtf16(c.expected));
    const std::function<void()> bad[] = {
        [&] { Left(s, -1); },   [&] { Right(s, -1); },  [&] { Mid(s, 0); },        [&] { Mid(s, 0, 1); },
        [&] { Mid(s, 1, -1); }, [&] { InStr(0, s, QStringLiteral("A")); },         [&] { Space(-1); },
        [&] { InStrRev(s, QStringLiteral("A"), 0); }, [&] { Chr(256); },           [&] { Chr(-1); },
        [&] { Asc(QString()); }, [&] { Replace(s, QStringLiteral("A"), QString(), 0); },
        [&] { String(3, QString()); }, [&] { Split(s, QStringLiteral(","), -2); },
    };
    for (const auto& f : bad)
        EXPECT_EQ(errorOf(f), 5);
}

TEST(Strings, InStrAndInStrRev)
{
    struct Case { long got; long expected; };
    const Case cases[] = {
        {InStr(QStringLiteral("abcabc"), QStringLiteral("c")), 3},
        {InStr(4, QStringLiteral("abcabc"), QStringLiteral("c")), 6},
        {InStr(QStringLiteral("abc"), QStringLiteral("C")), 0},
        {InStr(QStringLiteral("abc"), QStringLiteral("C"), vbTextCompare), 3},
        {InStr(2, QStringLiteral("abc"), QString()), 2},
        {InStr(QString(), QStringLiteral("a")), 0},
        {InStr(9, QStringLiteral("abc"), QStringLiteral("a")), 0},
        {InStrRev(QStringLiteral("abcabc"), QStringLiteral("b")), 5},
        {InStrRev(QStringLiteral("abcabc"), QStringLiteral("b"), 4), 2},
        {InStrRev(QStringLiteral("abcabc"), QStringLiteral("bc"), 5), 2},
        {InStrRev(QStringLiteral("abcabc"), QStringLiteral("BC"), -1, vbTextCompare), 5},
        {InStrRev(QStringLiteral("abc"), QStringLiteral("x")), 0},
        {InStrRev(QStringLiteral("abc"), QStringLiteral("a"), 9), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(Strings, ReplaceStartsTheResultAtStart)
{
    struct Case { QString got; const char16_t* expected; };
    const Case cases[] = {
        {Replace(QStringLiteral("a,b,c"), QStringLiteral(","), QStringLiteral(";")), u"a;b;c"},
        {Replace(QStringLiteral("a,b,c"), QStringLiteral(","), QString(), 1, 1), u"ab,c"},
        {Replace(QStringLiteral("a,b,c"), QStringLiteral(","), QStringLiteral("-"), 3), u"b-c"},
        {Replace(QStringLiteral("aXbx"), QStringLiteral("x"), QStringLiteral("_"), 1, -1, vbTextCompare), u"a_b_"},
        {Replace(QStringLiteral("abc"), QString(), QStringLiteral("z")), u"abc"},
        {Replace(QStringLiteral("abc"), QStringLiteral("b"), QStringLiteral("z"), 9), u""},
        {Replace(QStringLiteral("aaa"), QStringLiteral("a"), QStringLiteral("aa")), u"aaaaaa"},
        {Replace(QStringLiteral("O'Brien"), QStringLiteral("'"), QStringLiteral("''")), u"O''Brien"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, QString::fromUtf16(c.expected));
}

TEST(Strings, CompareCaseAndBuilders)
{
    EXPECT_EQ(StrComp(QStringLiteral("a"), QStringLiteral("B")), 1);  // binary: lower case after upper
    EXPECT_EQ(StrComp(QStringLiteral("a"), QStringLiteral("B"), vbTextCompare), -1);
    EXPECT_EQ(StrComp(QStringLiteral("Ñu"), QStringLiteral("ñU"), vbTextCompare), 0);
    EXPECT_EQ(StrComp(QStringLiteral("x"), QStringLiteral("x")), 0);
    EXPECT_EQ(UCase(QStringLiteral("año")), u"AÑO");
    EXPECT_EQ(LCase(QStringLiteral("ÁRBOL")), u"árbol");
    EXPECT_EQ(Space(3), u"   ");
    EXPECT_EQ(String(3, QChar(u'*')), u"***");
    EXPECT_EQ(String(2, QStringLiteral("xy")), u"xx");
    EXPECT_EQ(Len(QStringLiteral("año")), 3);
    EXPECT_EQ(StrReverse(QStringLiteral("abc")), u"cba");
}

TEST(Strings, ChrAndAscOnWindows1252)
{
    struct Case { int code; char16_t ch; };
    const Case cases[] = {{65, u'A'}, {128, u'€'}, {241, u'ñ'}, {209, u'Ñ'}, {150, u'–'}, {255, u'ÿ'}, {9, u'\t'}};
    for (const auto& c : cases) {
        EXPECT_EQ(Chr(c.code), QString(QChar(c.ch))) << c.code;
        EXPECT_EQ(Asc(QString(QChar(c.ch))), c.code) << c.code;
    }
    EXPECT_EQ(Asc(QStringLiteral("Abc")), 65);
    EXPECT_EQ(Asc(QStringLiteral("Ω")), 63);  // not in the code page
}

TEST(Strings, SplitAndJoin)
{
    struct Case { QStringList got; QStringList expected; };
    const Case cases[] = {
        {Split(QStringLiteral("a,b,,c"), QStringLiteral(",")), {"a", "b", "", "c"}},
        {Split(QStringLiteral("a b")), {"a", "b"}},
        {Split(QString(), QStringLiteral(",")), {}},
        {Split(QStringLiteral("a,b,c"), QStringLiteral(","), 2), {"a", "b,c"}},
        {Split(QStringLiteral("a,b"), QStringLiteral(","), 0), {}},
        {Split(QStringLiteral("a,b"), QString()), {"a,b"}},
        {Split(QStringLiteral("aXbxc"), QStringLiteral("x"), -1, vbTextCompare), {"a", "b", "c"}},
        {Split(QStringLiteral("a||b"), QStringLiteral("||")), {"a", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected);
    EXPECT_EQ(Join({"a", "b"}, QStringLiteral(", ")), u"a, b");
    EXPECT_EQ(Join({"a", "b"}), u"a b");
}

TEST(Strings, Like)
{
    struct Case { const char16_t* s; const char16_t* pattern; bool match; };
    const Case cases[] = {
        {u"abc", u"a*", true},      {u"abc", u"*c", true},     {u"abc", u"a?c", true},   {u"abc", u"a?", false},
        {u"a1c", u"a#c", true},     {u"abc", u"a#c", false},   {u"abc", u"[a-c]bc", true},
        {u"dbc", u"[!a-c]bc", true}, {u"abc", u"[!a-c]bc", false}, {u"", u"*", true},
        {u"ABC", u"abc", false},    {u"a*c", u"a[*]c", true},  {u"FAC-0001", u"FAC-####", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Like(QString::fromUtf16(c.s), QString::fromUtf16(c.pattern)), c.match)
            << QString::fromUtf16(c.s).toStdString() << " " << QString::fromUtf16(c.pattern).toStdString();
    EXPECT_EQ(errorOf([] { Like(QStringLiteral("a"), QStringLiteral("[a")); }), 93);
}
