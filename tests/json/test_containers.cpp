#include "platform/legacy/collection.h"
#include "platform/legacy/dictionary.h"
#include "platform/legacy/vberror.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace legacy;

namespace {

using testutil::errorOf;

}  // namespace

TEST(Dictionary, KeepsInsertionOrderAndLetterCase)
{
    Dictionary d;
    EXPECT_EQ(d.TypeName(), QStringLiteral("Dictionary"));
    EXPECT_EQ(Variant(std::make_shared<Dictionary>()).TypeName(), QStringLiteral("Dictionary"));
    d.Add(QStringLiteral("b"), 1);
    d.Add(QStringLiteral("a"), 2);
    d.Add(QStringLiteral("B"), 3);
    EXPECT_EQ(d.Keys(), (QStringList{"b", "a", "B"}));
    EXPECT_EQ(d.Count(), 3);
    EXPECT_TRUE(d.Exists(QStringLiteral("B")));
    EXPECT_FALSE(d.Exists(QStringLiteral("A")));
    EXPECT_EQ(d.Item(QStringLiteral("B")).toLong(), 3);
    EXPECT_EQ(d.Items().size(), 3);
}

TEST(Dictionary, AddRemoveAndItem)
{
    Dictionary d;
    d.Add(QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(errorOf([&] { d.Add(QStringLiteral("k"), 1); }), 457);
    EXPECT_EQ(d.Item(QStringLiteral("k")).toString(), QStringLiteral("v"));
    // Reading a key not held adds it with Empty, as the runtime does;
    // find() reads without adding.
    EXPECT_EQ(d.find(QStringLiteral("x")), nullptr);
    EXPECT_EQ(d.Count(), 1);
    EXPECT_TRUE(d.Item(QStringLiteral("x")).IsEmpty());
    EXPECT_EQ(d.Count(), 2);
    d.setItem(QStringLiteral("x"), 5);
    d.setItem(QStringLiteral("y"), 6);
    EXPECT_EQ(d.Keys(), (QStringList{"k", "x", "y"}));
    EXPECT_EQ(d.itemAt(1).toLong(), 5);
    d.Remove(QStringLiteral("k"));
    EXPECT_EQ(errorOf([&] { d.Remove(QStringLiteral("k")); }), 32811);
    EXPECT_EQ(d.keyAt(0), QStringLiteral("x"));
    d.RemoveAll();
    EXPECT_EQ(d.Count(), 0);
}

TEST(Dictionary, ManyKeysStayFoundThroughAddsAndRemoves)
{
    Dictionary d;
    for (int i = 0; i < 2000; ++i)
        d.Add(QStringLiteral("key%1").arg(i), i);
    EXPECT_EQ(errorOf([&] { d.Add(QStringLiteral("key1999"), 0); }), 457);
    for (int i = 0; i < 2000; i += 2)
        d.Remove(QStringLiteral("key%1").arg(i));
    EXPECT_EQ(d.Count(), 1000);
    for (int i = 0; i < 2000; ++i) {
        const Variant* v = d.find(QStringLiteral("key%1").arg(i));
        if (i % 2) {
            ASSERT_NE(v, nullptr) << i;
            EXPECT_EQ(v->toLong(), i);
        } else {
            EXPECT_EQ(v, nullptr) << i;
        }
    }
    EXPECT_EQ(d.keyAt(0), QStringLiteral("key1"));
    d.setItem(QStringLiteral("key0"), -1);
    EXPECT_EQ(d.keyAt(d.Count() - 1), QStringLiteral("key0"));
}

TEST(Collection, OneBasedWithRuntimeErrors)
{
    Collection c;
    EXPECT_EQ(c.TypeName(), QStringLiteral("Collection"));
    c.Add(QStringLiteral("a"));
    c.Add(2);
    c.Add(Variant::Null());
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Item(1).toString(), QStringLiteral("a"));
    EXPECT_TRUE(c.Item(3).IsNull());
    EXPECT_EQ(errorOf([&] { c.Item(0); }), 9);
    EXPECT_EQ(errorOf([&] { c.Item(4); }), 9);
    EXPECT_EQ(errorOf([&] { c.Remove(4); }), 9);
    c.Remove(1);
    EXPECT_EQ(c.Item(1).toLong(), 2);
    EXPECT_EQ(c.Count(), 2);
}
