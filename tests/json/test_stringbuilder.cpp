#include "json/cstringbuilder.h"

#include "platform/legacy/vberror.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using legacy::VbError;

namespace {

using testutil::errorOf;

QString chars(int n, QChar c = u'a')
{
    return QString(n, c);
}

}  // namespace

TEST(StringBuilder, NewInstanceIsEmpty)
{
    cStringBuilder sb;
    EXPECT_EQ(sb.Length(), 0);
    EXPECT_EQ(sb.Capacity(), 0);
    EXPECT_EQ(sb.ChunkSize(), 8192);
    EXPECT_EQ(sb.toString(), QString());
    sb.Append(u"");
    EXPECT_EQ(sb.Capacity(), 0);
}

TEST(StringBuilder, GrowsByWholeChunks)
{
    struct Case {
        int appended;
        int capacity;
    } cases[] = {{1, 8192}, {8192, 8192}, {8193, 16384}, {10000, 16384}, {3 * 8192 + 1, 4 * 8192}};
    for (const Case& c : cases) {
        cStringBuilder sb;
        sb.Append(chars(c.appended));
        EXPECT_EQ(sb.Capacity(), c.capacity) << c.appended;
        EXPECT_EQ(sb.Length(), c.appended);
    }
    // Growth keeps the content and steps by the chunk in use.
    cStringBuilder sb;
    sb.setChunkSize(4);
    sb.Append(u"abc");
    sb.Append(u"defgh");
    EXPECT_EQ(sb.Capacity(), 8);
    EXPECT_EQ(sb.toString(), QStringLiteral("abcdefgh"));
    sb.Append(QChar(u'i'));
    EXPECT_EQ(sb.Capacity(), 12);
    EXPECT_EQ(sb.toString(), QStringLiteral("abcdefghi"));
}

TEST(StringBuilder, AppendNLAndTheString)
{
    cStringBuilder sb;
    sb.AppendNL(u"x");
    EXPECT_EQ(sb.Length(), 3);
    EXPECT_EQ(sb.toString(), QStringLiteral("x\r\n"));

    sb.setChunkSize(2);
    sb.setTheString(u"hello");  // capacity 8192 already covers it
    EXPECT_EQ(sb.toString(), QStringLiteral("hello"));
    EXPECT_EQ(sb.Capacity(), 8192);
    sb.setTheString(u"");
    EXPECT_EQ(sb.Capacity(), 0);
    EXPECT_EQ(sb.ChunkSize(), 2);
    sb.setTheString(u"hello");
    EXPECT_EQ(sb.Capacity(), 6);  // three chunks of two
    sb.Clear();
    EXPECT_EQ(sb.Length(), 0);
    EXPECT_EQ(sb.Capacity(), 0);
    EXPECT_EQ(sb.ChunkSize(), 2);
}

TEST(StringBuilder, InsertAndRemove)
{
    cStringBuilder sb;
    sb.Append(u"abcdef");
    sb.Insert(3, u"XY");
    EXPECT_EQ(sb.toString(), QStringLiteral("abcXYdef"));
    sb.Insert(0, u"<");
    sb.Insert(sb.Length(), u">");  // at the end, as Append
    EXPECT_EQ(sb.toString(), QStringLiteral("<abcXYdef>"));
    EXPECT_EQ(errorOf([&] { sb.Insert(sb.Length() + 1, u"z"); }), 9);
    EXPECT_EQ(errorOf([&] { sb.Insert(-1, u"z"); }), 9);
    EXPECT_EQ(sb.toString(), QStringLiteral("<abcXYdef>"));

    sb.Remove(4, 2);
    EXPECT_EQ(sb.toString(), QStringLiteral("<abcdef>"));
    int capacity = sb.Capacity();
    sb.Remove(0, sb.Length());
    EXPECT_EQ(sb.Length(), 0);
    EXPECT_EQ(sb.Capacity(), capacity);
    EXPECT_EQ(sb.toString(), QString());

    cStringBuilder six;
    six.Append(u"abcdef");
    EXPECT_EQ(errorOf([&] { six.Remove(2, 5); }), 9);
    EXPECT_EQ(errorOf([&] { six.Remove(7, 0); }), 9);
    EXPECT_EQ(errorOf([&] { six.Remove(-1, 1); }), 9);
    EXPECT_EQ(errorOf([&] { six.Remove(1, -1); }), 9);
    EXPECT_EQ(six.toString(), QStringLiteral("abcdef"));
    six.Remove(2, 4);
    EXPECT_EQ(six.toString(), QStringLiteral("ab"));  // the old characters stay unseen
}

TEST(StringBuilder, InsertGrowsByAsManyChunksAsNeeded)
{
    cStringBuilder sb;
    sb.Append(chars(8190));
    sb.Insert(5, chars(20000, u'b'));
    EXPECT_EQ(sb.Length(), 28190);
    EXPECT_EQ(sb.Capacity(), 4 * 8192);
    EXPECT_EQ(sb.toString().mid(5, 20000), chars(20000, u'b'));
    EXPECT_EQ(sb.toString().right(8185), chars(8185));
}

TEST(StringBuilder, AppendAndInsertOfItsOwnContent)
{
    cStringBuilder sb;
    sb.setChunkSize(2);
    sb.Append(u"abc");
    sb.Append(sb.view());  // the storage moves while growing
    EXPECT_EQ(sb.toString(), QStringLiteral("abcabc"));
    sb.Insert(1, sb.view());
    EXPECT_EQ(sb.toString(), QStringLiteral("aabcabcbcabc"));
}

TEST(StringBuilder, FindOnlyInsideTheContent)
{
    cStringBuilder sb;
    sb.Append(u"Hello world");
    EXPECT_EQ(sb.Find(u"o"), 5);
    EXPECT_EQ(sb.Find(u"o", 6), 8);
    EXPECT_EQ(sb.Find(u"o", 0), 5);
    EXPECT_EQ(sb.Find(u"WORLD", 1, 0), 0);
    EXPECT_EQ(sb.Find(u"WORLD", 1, 1), 7);
    EXPECT_EQ(sb.Find(u"d"), 11);  // a match at the last character counts
    EXPECT_EQ(sb.Find(u"zz"), 0);
    EXPECT_EQ(sb.Find(u"o", 50), 0);

    // Text removed from the end is still in the spare room: never found.
    sb.Remove(5, 6);
    EXPECT_EQ(sb.toString(), QStringLiteral("Hello"));
    EXPECT_EQ(sb.Find(u"world"), 0);
    EXPECT_EQ(sb.Find(u"lo w"), 0);  // begins inside, runs on beyond the content
    EXPECT_EQ(sb.Find(u"llo"), 3);
    // The blanks that fill new room are not content either.
    EXPECT_EQ(sb.Find(u" "), 0);
}

TEST(StringBuilder, ChunkSizeLimits)
{
    cStringBuilder sb;
    EXPECT_EQ(errorOf([&] { sb.setChunkSize(1 << 30); }), 6);
    EXPECT_EQ(sb.ChunkSize(), 8192);
    EXPECT_EQ(errorOf([&] { sb.setChunkSize(0); }), 5);
    EXPECT_EQ(errorOf([&] { sb.setChunkSize(-3); }), 5);
    EXPECT_EQ(sb.ChunkSize(), 8192);
    sb.setChunkSize((1 << 30) - 1);
    EXPECT_EQ(sb.ChunkSize(), (1 << 30) - 1);
}

TEST(StringBuilder, HeapMinimizeKeepsOneChunkAtMost)
{
    cStringBuilder sb;
    sb.Append(chars(3 * 8192));
    sb.Remove(100, sb.Length() - 100);
    EXPECT_EQ(sb.Capacity(), 3 * 8192);
    sb.HeapMinimize();
    EXPECT_EQ(sb.Capacity(), 8192);
    EXPECT_EQ(sb.toString(), chars(100));
    sb.Append(u"b");  // still usable
    EXPECT_EQ(sb.toString(), chars(100) + u'b');

    cStringBuilder empty;
    empty.Append(chars(2 * 8192));
    empty.Remove(0, empty.Length());
    empty.HeapMinimize();
    EXPECT_EQ(empty.Capacity(), 8192);

    cStringBuilder tight;
    tight.Append(chars(8000));
    tight.HeapMinimize();  // less than a chunk free: nothing to give back
    EXPECT_EQ(tight.Capacity(), 8192);
}

TEST(StringBuilder, PositionOverflowIsError6)
{
    cStringBuilder sb;
    sb.Append(u"abc");
    EXPECT_EQ(errorOf([&] { sb.Insert(1 << 30, u"x"); }), 6);
    EXPECT_EQ(errorOf([&] { sb.Remove(1, (1 << 30) + 5); }), 6);
    EXPECT_EQ(sb.toString(), QStringLiteral("abc"));
}
