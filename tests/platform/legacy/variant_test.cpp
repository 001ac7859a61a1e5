#include "platform/legacy/regional.h"
#include "platform/legacy/variant.h"
#include "platform/legacy/vberror.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <functional>

using namespace legacy;
using testutil::errorOf;

namespace {

class FakeObject : public Object {
public:
    QString TypeName() const override { return QStringLiteral("Diccionario"); }
};

// Every test starts from the Spanish profile and leaves it so.
class VariantTest : public ::testing::Test {
protected:
    void SetUp() override { setRegional(RegionalProfile::spanish()); }
    void TearDown() override { setRegional(RegionalProfile::spanish()); }
};

}  // namespace

TEST_F(VariantTest, IntegerConversionsRoundHalfToEvenAndOverflow)
{
    struct Case { Variant in; long cint; long clng; };  // 0 error in the error columns
    const Case cases[] = {
        {Variant(2.5), 2, 2},       {Variant(3.5), 4, 4},        {Variant(-2.5), -2, -2},
        {Variant(0.5), 0, 0},       {Variant(1.5), 2, 2},        {Variant(2.4999), 2, 2},
        {Variant("2,5"), 2, 2},     {Variant("3,5"), 4, 4},      {Variant(true), -1, -1},
        {Variant(), 0, 0},          {Variant(Currency::fromRaw(25000)), 2, 2},
        {Variant(Currency::fromRaw(35000)), 4, 4},
        {Variant(*Decimal::parse(u"-4.5")), -4, -4},
        {Variant(32767.4), 32767, 32767},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CInt(c.in), c.cint) << c.in.TypeName().toStdString();
        EXPECT_EQ(CLng(c.in), c.clng) << c.in.TypeName().toStdString();
    }
    struct Overflow { Variant in; bool intOverflows; bool longOverflows; };
    const Overflow overflows[] = {
        {Variant(32767.5), true, false},
        {Variant(-32768.5), false, false},  // -32768 after rounding to even
        {Variant(-32769), true, false},
        {Variant(2147483647.5), true, true},
        {Variant("99999999999"), true, true},
        {Variant(1e300), true, true},
        {Variant(Currency(40000)), true, false},
    };
    for (const auto& o : overflows) {
        EXPECT_EQ(errorOf([&] { CInt(o.in); }), o.intOverflows ? 6 : 0) << o.in.toString().toStdString();
        EXPECT_EQ(errorOf([&] { CLng(o.in); }), o.longOverflows ? 6 : 0) << o.in.toString().toStdString();
    }
}

TEST_F(VariantTest, NullInAConversionRaises94AndJunkRaises13)
{
    const Variant null = Variant::Null();
    const std::function<void()> conversions[] = {
        [&] { CBool(null); }, [&] { CInt(null); }, [&] { CLng(null); }, [&] { CDbl(null); },
        [&] { CCur(null); },  [&] { CDec(null); }, [&] { CDate(null); }, [&] { CStr(null); },
    };
    for (const auto& f : conversions)
        EXPECT_EQ(errorOf(f), 94);
    const Variant junk("abc");
    const std::function<void()> junkConversions[] = {
        [&] { CBool(junk); }, [&] { CInt(junk); }, [&] { CLng(junk); }, [&] { CDbl(junk); },
        [&] { CCur(junk); },  [&] { CDec(junk); }, [&] { CDate(junk); }, [&] { CDbl(Variant("")); },
    };
    for (const auto& f : junkConversions)
        EXPECT_EQ(errorOf(f), 13);
}

TEST_F(VariantTest, TextToNumberThroughTheRegionalProfile)
{
    struct Case { const char* text; double value; };
    const Case cases[] = {
        {"1,5", 1.5},  {"1.234,56", 1234.56}, {"-12", -12},   {" 7 ", 7},      {"1.5", 15},
        {"$ 10,25", 10.25}, {"(3)", -3},      {"1,5E2", 150}, {"&HFF", 255},   {"&HFFFF", -1},
        {"&O17", 15},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(CDbl(Variant(c.text)), c.value) << c.text;
        EXPECT_TRUE(IsNumeric(Variant(c.text))) << c.text;
    }
    const char* notNumbers[] = {"", " ", "1,2,3", "12abc", ",", "--1", "1e"};
    for (const char* t : notNumbers)
        EXPECT_FALSE(IsNumeric(Variant(t))) << t;
    EXPECT_EQ(CCur(Variant("1.234,56785")).raw(), 12345678);
    EXPECT_EQ(CDec(Variant("0,1")).toString(), u"0.1");

    RegionalProfile english = RegionalProfile::spanish();
    english.decimalSeparator = u'.';
    english.thousandsSeparator = u',';
    setRegional(english);
    EXPECT_DOUBLE_EQ(CDbl(Variant("1,234.5")), 1234.5);
    EXPECT_EQ(CStr(Variant(1.5)), u"1.5");
}

TEST_F(VariantTest, ValReadsTheLeadingNumberWithAPoint)
{
    struct Case { const char* text; double value; };
    const Case cases[] = {
        {"", 0},          {"abc", 0},          {"12abc", 12},      {"  12.5xyz", 12.5}, {"1,5", 1},
        {"-3.25", -3.25}, {"1 2 3", 123},      {"1.2.3", 1.2},     {"&H1F", 31},        {"&HFFFF", -1},
        {"&o10", 8},      {"2e3", 2000},       {"2e", 2},          {".5", 0.5},         {"- 4", -4},
        {"0001234", 1234}, {"\t7", 7},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Val(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST_F(VariantTest, CStrOfEachType)
{
    struct Case { Variant in; const char16_t* text; };
    const Case cases[] = {
        {Variant(), u""},
        {Variant(true), u"True"},
        {Variant(false), u"False"},
        {Variant(std::int16_t(-5)), u"-5"},
        {Variant(123456), u"123456"},
        {Variant(1.5), u"1,5"},
        {Variant(0.1 + 0.2), u"0,3"},
        {Variant(1.0 / 3), u"0,333333333333333"},
        {Variant(123456789012345.0), u"123456789012345"},
        {Variant(1e15), u"1E+15"},
        {Variant(0.00001), u"1E-05"},
        {Variant(-0.0), u"0"},
        {Variant(Currency::fromRaw(12345)), u"1,2345"},
        {Variant(*Decimal::parse(u"-0.50")), u"-0,5"},
        {Variant(Date::fromParts(2024, 3, 5)), u"05/03/2024"},
        {Variant(Date::fromParts(2024, 3, 5, 14, 7, 9)), u"05/03/2024 14:07:09"},
        {Variant(Date(0.5)), u"12:00:00"},
        {Variant("texto"), u"texto"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CStr(c.in), QString::fromUtf16(c.text));
    EXPECT_EQ(errorOf([] { CStr(Variant(std::make_shared<FakeObject>())); }), 13);
}

TEST_F(VariantTest, TypesAndTypeNames)
{
    struct Case { Variant v; VbVarType type; const char* name; };
    const Case cases[] = {
        {Variant(), vbEmpty, "Empty"},
        {Variant::Null(), vbNull, "Null"},
        {Variant(true), vbBoolean, "Boolean"},
        {Variant(std::int16_t(1)), vbInteger, "Integer"},
        {Variant(1), vbLong, "Long"},
        {Variant(5000000000LL), vbDecimal, "Decimal"},
        {Variant(1.0), vbDouble, "Double"},
        {Variant(Currency(1)), vbCurrency, "Currency"},
        {Variant(Date(1)), vbDate, "Date"},
        {Variant("x"), vbString, "String"},
        {Variant(std::make_shared<FakeObject>()), vbObject, "Diccionario"},
        {Variant(ObjectRef()), vbObject, "Nothing"},
        {Variant::fromArray({Variant(1)}), VbVarType(vbArray | vbVariant), "Variant()"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VarType(c.v), c.type) << c.name;
        EXPECT_EQ(TypeName(c.v), QString::fromLatin1(c.name));
    }
    EXPECT_EQ(errorOf([] { Variant(1).toObject(); }), 424);
    EXPECT_EQ(Variant(ObjectRef()).toObject(), nullptr);
    EXPECT_EQ(errorOf([] { Variant(1).array(); }), 13);
    EXPECT_NE(Variant(std::make_shared<FakeObject>()).as<FakeObject>(), nullptr);
}

TEST_F(VariantTest, ArithmeticTypesNullAndOverflow)
{
    struct Case { Variant result; VbVarType type; const char16_t* text; };
    const Case cases[] = {
        {Variant(std::int16_t(2)) + Variant(std::int16_t(3)), vbInteger, u"5"},
        {Variant(std::int16_t(32767)) + Variant(std::int16_t(1)), vbLong, u"32768"},
        {Variant(2147483647) + Variant(1), vbDouble, u"2147483648"},
        {Variant(2) * Variant(1.5), vbDouble, u"3"},
        {Variant(1) / Variant(4), vbDouble, u"0,25"},
        {Variant(Currency(1)) / Variant(Currency(3)), vbDecimal, u"0,3333333333333333333333333333"},
        // A product ranks Currency below Double and a number text; a sum or
        // a difference keeps Currency above them.
        {Variant(Currency::fromRaw(100100)) * Variant(1.105), vbDouble, u"11,06105"},
        {Variant("2,5") * Variant(Currency::fromRaw(12345)), vbDouble, u"3,08625"},
        {Variant(Currency::fromRaw(1)) * Variant(Currency::fromRaw(5000)), vbCurrency, u"0"},
        {Variant(Currency(3)) * Variant(std::int16_t(2)), vbCurrency, u"6"},
        {Variant(Currency(10)) - Variant("0,12345"), vbCurrency, u"9,8766"},
        {Variant(Currency(10)) + Variant(0.12345), vbCurrency, u"10,1234"},
        {Variant(Currency(10)) - Variant(2), vbCurrency, u"8"},
        {Variant(*Decimal::parse(u"0.1")) + Variant(0.2), vbDecimal, u"0,3"},
        {Variant("1,5") + Variant(1), vbDouble, u"2,5"},
        {Variant("ab") + Variant("cd"), vbString, u"abcd"},
        {Variant() + Variant("x"), vbString, u"x"},
        {Variant() + Variant(), vbInteger, u"0"},
        {Variant(Date::fromParts(2024, 2, 28)) + Variant(1), vbDate, u"29/02/2024"},
        {Variant(Date::fromParts(2024, 3, 1)) - Variant(Date::fromParts(2024, 2, 28)), vbDouble, u"2"},
        {Concat(Variant(1.5), Variant::Null()), vbString, u"1,5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VarType(c.result), c.type) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(CStr(c.result), QString::fromUtf16(c.text));
    }
    EXPECT_TRUE(IsNull(Variant::Null() + Variant(1)));
    EXPECT_TRUE(IsNull(Variant(1) * Variant::Null()));
    EXPECT_TRUE(IsNull(Variant("a") + Variant::Null()));
    EXPECT_TRUE(IsNull(Concat(Variant::Null(), Variant::Null())));
    EXPECT_EQ(errorOf([] { Variant(1) / Variant(0); }), 11);
    EXPECT_EQ(errorOf([] { Variant(0) / Variant(0); }), 6);
    EXPECT_EQ(errorOf([] { Variant(1e308) * Variant(10.0); }), 6);
    EXPECT_EQ(errorOf([] { Variant("x") - Variant(1); }), 13);
}

TEST_F(VariantTest, Comparison)
{
    struct Case { Variant a; Variant b; bool text; int result; };
    const Case cases[] = {
        {Variant(1), Variant(1.0), false, 0},
        {Variant(2), Variant("10"), false, -1},      // numerically
        {Variant("2"), Variant("10"), false, 1},     // as texts
        {Variant("abc"), Variant("ABC"), false, 1},
        {Variant("abc"), Variant("ABC"), true, 0},
        {Variant(5), Variant("x"), false, -1},       // numbers sort before texts
        {Variant(), Variant(0), false, 0},
        {Variant(), Variant(""), false, 0},
        {Variant(Currency::fromRaw(1000)), Variant(0.1), false, 0},
        {Variant(*Decimal::parse(u"0.3")), Variant(0.1 + 0.2), false, 0},
        {Variant::Null(), Variant::Null(), false, 2},
        {Variant(1), Variant::Null(), false, 2},
        {Variant(true), Variant(-1), false, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Compare(c.a, c.b, c.text), c.result) << c.a.TypeName().toStdString() << " "
                                                       << c.b.TypeName().toStdString();
    EXPECT_FALSE(Variant::Null() == Variant::Null());
}

TEST_F(VariantTest, BooleanAndDateConversions)
{
    EXPECT_TRUE(CBool(Variant("True")));
    EXPECT_FALSE(CBool(Variant("falso")));
    EXPECT_TRUE(CBool(Variant("0,5")));
    EXPECT_FALSE(CBool(Variant()));
    EXPECT_TRUE(CBool(Variant(Currency::fromRaw(1))));
    EXPECT_EQ(CDate(Variant("05/03/2024")), Date::fromParts(2024, 3, 5));
    EXPECT_EQ(CDate(Variant(45000)).serial(), 45000);
    EXPECT_EQ(errorOf([] { CDate(Variant(1e10)); }), 6);
    EXPECT_TRUE(IsDate(Variant("31/12/1999 23:59")));
    EXPECT_FALSE(IsDate(Variant("31/02/1999")));
    EXPECT_TRUE(IsDate(Variant("12/13/2024")));  // no date day first: month first
    EXPECT_EQ(CDate(Variant("12/13/2024")), Date::fromParts(2024, 12, 13));
    EXPECT_FALSE(IsDate(Variant(45000)));
}

TEST_F(VariantTest, RoundFixInt)
{
    struct Case { double in; int digits; double out; };
    const Case cases[] = {
        {2.5, 0, 2}, {3.5, 0, 4}, {-2.5, 0, -2}, {0.125, 2, 0.12}, {0.135, 2, 0.14},
        {2.675, 2, 2.68}, {1.005, 2, 1}, {1234.5678, 2, 1234.57}, {-0.5, 0, 0}, {7, 2, 7},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Round(c.in, c.digits), c.out) << c.in;
    EXPECT_EQ(errorOf([] { Round(1, -1); }), 5);
    EXPECT_EQ(Fix(-2.7), -2);
    EXPECT_EQ(Int(-2.7), -3);
    EXPECT_EQ(Int(2.7), 2);
}
