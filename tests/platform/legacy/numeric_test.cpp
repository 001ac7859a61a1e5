#include "platform/legacy/numeric.h"
#include "platform/legacy/vberror.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace legacy;
using testutil::errorOf;

namespace legacy {
// Failures show the values.
void PrintTo(const Decimal& d, std::ostream* os) { *os << d.toString().toStdString(); }
}  // namespace legacy

namespace {

Decimal dec(const char* text)
{
    const auto d = Decimal::parse(QString::fromLatin1(text));
    EXPECT_TRUE(d.has_value()) << text;
    return d.value_or(Decimal());
}

}  // namespace

TEST(Currency, FromDoubleRoundsHalfToEvenOnTheShownDigits)
{
    struct Case { double in; std::int64_t raw; };
    const Case cases[] = {
        {1.5, 15000},       {0.00005, 0},        {0.00015, 2},       {-0.00015, -2},
        {2.00005, 20000},   {1234.56789, 12345679}, {0.1 + 0.2, 3000}, {-7.12345, -71234},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Currency::fromDouble(c.in).raw(), c.raw) << c.in;
}

TEST(Currency, OverflowAndDivisionByZero)
{
    EXPECT_EQ(errorOf([] { Currency::fromDouble(1e15); }), 6);
    EXPECT_EQ(errorOf([] { Currency::fromDouble(std::nan("")); }), 6);
    EXPECT_EQ(errorOf([] { (void)(Currency::fromRaw(INT64_MAX) + Currency::fromRaw(1)); }), 6);
    EXPECT_EQ(errorOf([] { (void)(Currency(1000000000) * Currency(1000000000)); }), 6);
    EXPECT_EQ(errorOf([] { (void)(Currency(1) / Currency()); }), 11);
    EXPECT_EQ(errorOf([] { (void)-Currency::fromRaw(INT64_MIN); }), 6);
    EXPECT_EQ(errorOf([] { Currency::fromLongLong(922337203685478LL); }), 6);
    EXPECT_EQ(Currency::fromLongLong(922337203685477LL).raw(), 9223372036854770000LL);
}

TEST(Currency, ExactArithmetic)
{
    // 0.1 added ten times is exactly 1, unlike in binary floating point.
    Currency sum;
    for (int i = 0; i < 10; ++i)
        sum += *Currency::parse(u"0.1");
    EXPECT_EQ(sum, Currency(1));
    EXPECT_EQ((*Currency::parse(u"1.2345") * *Currency::parse(u"0.5")).raw(), 6172);   // 0.61725 -> even
    EXPECT_EQ((*Currency::parse(u"1.2347") * *Currency::parse(u"0.5")).raw(), 6174);   // 0.61735 -> even
    EXPECT_EQ((Currency(10) / Currency(3)).raw(), 33333);
    EXPECT_EQ((Currency(-20) / Currency(3)).raw(), -66667);
    EXPECT_EQ((*Currency::parse(u"0.0001") / Currency(2)).raw(), 0);  // 0.00005 -> 0
}

TEST(Currency, ParseAndText)
{
    struct Case { const char16_t* text; QChar point; QChar thousands; std::optional<std::int64_t> raw; };
    const Case cases[] = {
        {u"123", u'.', QChar(), 1230000},
        {u"-12.5", u'.', QChar(), -125000},
        {u"1.234,5678", u',', u'.', 12345678},
        {u"1234.56785", u'.', QChar(), 12345678},  // fifth decimal rounds to even
        {u" 7 ", u'.', QChar(), 70000},
        {u"1,5", u'.', QChar(), std::nullopt},
        {u"", u'.', QChar(), std::nullopt},
        {u"abc", u'.', QChar(), std::nullopt},
        {u"1,234.5", u'.', u',', 12345000},
        {u"1.5,3", u',', u'.', 153000},
        {u"1,5.3", u',', u'.', std::nullopt},       // thousands separator after the point
        {u"99999999999999999", u'.', QChar(), std::nullopt},
    };
    for (const auto& c : cases) {
        const auto v = Currency::parse(QStringView(c.text), c.point, c.thousands);
        ASSERT_EQ(v.has_value(), c.raw.has_value()) << QString::fromUtf16(c.text).toStdString();
        if (v) {
            EXPECT_EQ(v->raw(), *c.raw) << QString::fromUtf16(c.text).toStdString();
        }
    }
    EXPECT_EQ(Currency::fromRaw(125000).toString(), u"12.5");
    EXPECT_EQ(Currency::fromRaw(-1).toString(u','), u"-0,0001");
    EXPECT_EQ(Currency(12).toString(), u"12");
    EXPECT_EQ(Currency::fromRaw(INT64_MIN).toString(), u"-922337203685477.5808");
}

TEST(Decimal, ParseKeepsTwentyEightDigitsAndRoundsHalfToEven)
{
    struct Case { const char* in; const char* out; int scale; };
    const Case cases[] = {
        {"0", "0", 0},
        {"-0.00", "0", 2},
        {"123.4500", "123.45", 4},
        {"1e3", "1000", 0},
        {"1.5E-3", "0.0015", 4},
        {"0.1234567890123456789012345678", "0.1234567890123456789012345678", 28},
        {"0.12345678901234567890123456785", "0.1234567890123456789012345678", 28},  // half, even stays
        {"0.12345678901234567890123456775", "0.1234567890123456789012345678", 28},  // half, odd goes up
        {"0.123456789012345678901234567750001", "0.1234567890123456789012345678", 28},
        {"1.23456789012345678901234567891", "1.234567890123456789012345679", 27},
        {"79228162514264337593543950335", "79228162514264337593543950335", 0},  // the largest
        {"7922816251426433759354395033.56", "7922816251426433759354395034", 0},
        {"1e-40", "0", 28},
        {"123456789012345678901234567890123456789e-20", "1234567890123456789.012345679", 9},
    };
    for (const auto& c : cases) {
        const Decimal d = dec(c.in);
        EXPECT_EQ(d.toString(), QString::fromLatin1(c.out)) << c.in;
        EXPECT_EQ(d.scale(), c.scale) << c.in;
    }
}

TEST(Decimal, ParseRejects)
{
    const char* bad[] = {"", "-", ".", "1e", "1e+", "12a", "1.2.3", "--1", "79228162514264337593543950336",
                         "1e29", "1,5"};
    for (const char* b : bad)
        EXPECT_FALSE(Decimal::parse(QString::fromLatin1(b)).has_value()) << b;
    EXPECT_EQ(Decimal::parse(u"1,5", u',')->toString(u','), u"1,5");
}

TEST(Decimal, Arithmetic)
{
    EXPECT_EQ((dec("0.1") + dec("0.2")).toString(), u"0.3");
    EXPECT_EQ((dec("1") - dec("1.0001")).toString(), u"-0.0001");
    EXPECT_EQ((dec("-1.5") * dec("2")).toString(), u"-3");
    EXPECT_EQ((dec("1") / dec("3")).toString(), u"0.3333333333333333333333333333");
    EXPECT_EQ((dec("2") / dec("3")).toString(), u"0.6666666666666666666666666667");
    EXPECT_EQ((dec("1") / dec("4")).toString(), u"0.25");
    EXPECT_EQ((dec("1") / dec("4")).scale(), 2);
    EXPECT_EQ((dec("-10") / dec("4")).toString(), u"-2.5");
    EXPECT_EQ((dec("1e28") / dec("0.5")).toString(), u"20000000000000000000000000000");
    // A product wider than 28 digits is rounded, not truncated.
    EXPECT_EQ((dec("1.000000000000000000000000001") * dec("1.000000000000000000000000001")).toString(),
              u"1.000000000000000000000000002");
    EXPECT_EQ(errorOf([] { (void)(dec("79228162514264337593543950335") + dec("1")); }), 6);
    EXPECT_EQ(errorOf([] { (void)(dec("1e20") * dec("1e20")); }), 6);
    EXPECT_EQ(errorOf([] { (void)(dec("1") / dec("0.000")); }), 11);
}

TEST(Decimal, ComparisonIgnoresScaleAndSignOfZero)
{
    EXPECT_EQ(dec("1.50"), dec("1.5"));
    EXPECT_EQ(dec("-0"), dec("0.000"));
    EXPECT_NE(dec("1.5"), dec("1.51"));
    EXPECT_LT(dec("-2"), dec("-1.99"));
    EXPECT_GT(dec("10"), dec("9.9999999999999999999999999"));
}

TEST(Decimal, ConversionsToOtherTypes)
{
    EXPECT_EQ(dec("2.5").toLongLong(), 2);
    EXPECT_EQ(dec("3.5").toLongLong(), 4);
    EXPECT_EQ(dec("-2.5").toLongLong(), -2);
    EXPECT_EQ(dec("-9223372036854775808").toLongLong(), INT64_MIN);
    EXPECT_EQ(errorOf([] { dec("9223372036854775808").toLongLong(); }), 6);
    EXPECT_DOUBLE_EQ(dec("0.1").toDouble(), 0.1);
    EXPECT_DOUBLE_EQ(dec("12345678901234567890.5").toDouble(), 12345678901234567890.5);
    EXPECT_EQ(Decimal::fromDouble(0.1).toString(), u"0.1");
    EXPECT_EQ(Decimal::fromDouble(1.0 / 3).toString(), u"0.333333333333333");
    EXPECT_EQ(errorOf([] { Decimal::fromDouble(1e30); }), 6);
    EXPECT_EQ(Currency::fromDecimal(dec("-1.23455")).raw(), -12346);
    EXPECT_EQ(Decimal::fromCurrency(Currency::fromRaw(-5)).toString(), u"-0.0005");
    EXPECT_EQ(dec("2.345").rounded(2).toString(), u"2.34");
    EXPECT_EQ(dec("2.355").rounded(2).toString(), u"2.36");
}
