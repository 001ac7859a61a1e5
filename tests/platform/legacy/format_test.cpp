#include "platform/legacy/format.h"
#include "platform/legacy/regional.h"

#include <gtest/gtest.h>

using namespace legacy;

namespace {

class FormatTest : public ::testing::Test {
protected:
    void SetUp() override { setRegional(RegionalProfile::spanish()); }
};

}  // namespace

TEST_F(FormatTest, NumericPatterns)
{
    struct Case { Variant value; const char* pattern; const char16_t* expected; };
    const Case cases[] = {
        {Variant(7), "0000", u"0007"},
        {Variant(123456), "00000000", u"00123456"},
        {Variant(123456789), "0000", u"123456789"},
        {Variant(1234.567), "#,##0.00", u"1.234,57"},
        {Variant(-1234.567), "#,##0.00", u"-1.234,57"},
        {Variant(1234567.5), "###,###,##0.00", u"1.234.567,50"},
        {Variant(0), "#,##0.00", u"0,00"},
        {Variant(0.5), "0.00", u"0,50"},
        {Variant(2.5), "0", u"3"},            // Format rounds halves away from zero
        {Variant(0.125), "0.00", u"0,13"},
        {Variant(-0.001), "0.00", u"0,00"},
        {Variant(1.5), "#0.0000", u"1,5000"},
        {Variant(1.5), "0.##", u"1,5"},
        {Variant(5), "#.##", u"5,"},
        {Variant(0), "#", u""},
        {Variant(0.5), "#.00", u",50"},
        {Variant(Currency::fromRaw(123456789)), "#,##0.0000", u"12.345,6789"},
        {Variant(*Decimal::parse(u"12345678901234567890.125")), "#,##0.00", u"12.345.678.901.234.567.890,13"},
        {Variant("1.234,5"), "0.0", u"1234,5"},
        {Variant("abc"), "0.00", u"abc"},
        {Variant(), "0.00", u"0,00"},
        {Variant(0.256), "0.0%", u"25,6%"},
        {Variant(1234), "0.00E+00", u"1,23E+03"},
        {Variant(0.00012), "0.0E-00", u"1,2E-04"},
        {Variant(5), "\"Nro. \"000", u"Nro. 005"},
        {Variant(1234), "00-00", u"12-34"},
        {Variant(12), "$ #,##0.00", u"$ 12,00"},
        {Variant(5), "0;(0);\"cero\"", u"5"},
        {Variant(-5), "0;(0);\"cero\"", u"(5)"},
        {Variant(0), "0;(0);\"cero\"", u"cero"},
        {Variant(1500000), "#,##0,", u"1.500"},
        {Variant(12.5), "USD #,##0.00", u"USD 12,50"},
        {Variant(3), "0 \"días\"", u"3 días"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf16(c.expected))
            << c.pattern << " " << c.value.toString().toStdString();
}

TEST_F(FormatTest, DatePatterns)
{
    const Variant d(Date::fromParts(2024, 3, 5, 14, 7, 9));
    struct Case { const char* pattern; const char16_t* expected; };
    const Case cases[] = {
        {"dd/mm/yy", u"05/03/24"},
        {"dd/mm/yyyy", u"05/03/2024"},
        {"hh:mm", u"14:07"},
        {"hh:mm:ss", u"14:07:09"},
        {"dd/mm/yy hh:mm", u"05/03/24 14:07"},
        {"dd/mm/yyyy hh:mm:ss", u"05/03/2024 14:07:09"},
        {"mm-dd-yyyy", u"03-05-2024"},
        {"yyyymmdd", u"20240305"},
        {"d", u"5"},
        {"m", u"3"},
        {"yyyy", u"2024"},
        {"mmmm", u"marzo"},
        {"mmm", u"mar"},
        {"dddd", u"martes"},
        {"Hh:Nn:Ss", u"14:07:09"},
        {"DD/MM/YYYY", u"05/03/2024"},
        {"h:nn AM/PM", u"2:07 PM"},
        {"q", u"1"},
        {"y", u"65"},
        {"w", u"3"},
        {"\"Fecha: \"dd/mm/yyyy", u"Fecha: 05/03/2024"},
        {"Short Date", u"05/03/2024"},
        {"Long Date", u"martes, 5 de marzo de 2024"},
        {"Short Time", u"14:07"},
        {"Long Time", u"14:07:09"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(d, QString::fromLatin1(c.pattern)), QString::fromUtf16(c.expected)) << c.pattern;
    // Texts and serial numbers format as dates too.
    EXPECT_EQ(Format(Variant("05/03/2024"), QStringLiteral("yyyy-mm-dd")), u"2024-03-05");
    EXPECT_EQ(Format(Variant(45356), QStringLiteral("dd/mm/yyyy")), u"05/03/2024");
    EXPECT_EQ(Format(Variant("hola"), QStringLiteral("dd/mm/yyyy")), u"hola");
}

TEST_F(FormatTest, NamedFormatsTextsAndNull)
{
    struct Case { Variant value; const char* pattern; const char16_t* expected; };
    const Case cases[] = {
        {Variant(1234.5), "Standard", u"1.234,50"},
        {Variant(1234.5), "Fixed", u"1234,50"},
        {Variant(-1234.5), "Currency", u"-$ 1.234,50"},
        {Variant(0.125), "Percent", u"12,50%"},
        {Variant(1234.5), "General Number", u"1234,5"},
        {Variant(0), "Yes/No", u"No"},
        {Variant(3), "True/False", u"True"},
        {Variant(-1), "On/Off", u"On"},
        {Variant("abc"), ">", u"ABC"},
        {Variant("ABC"), "<", u"abc"},
        {Variant("12"), "@@@@", u"  12"},
        {Variant("12"), "!@@@@", u"12  "},
        {Variant(1.5), "", u"1,5"},
        {Variant::Null(), "0.00", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf16(c.expected)) << c.pattern;
    EXPECT_EQ(FormatNumber(Variant(1234.567)), u"1.234,57");
    EXPECT_EQ(FormatNumber(Variant(1234.567), 0, false), u"1235");
    EXPECT_EQ(FormatNumber(Variant(-0.5), 1), u"-0,5");
}
