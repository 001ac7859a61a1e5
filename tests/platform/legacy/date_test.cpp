#include "platform/legacy/date.h"
#include "platform/legacy/format.h"
#include "platform/legacy/regional.h"
#include "platform/legacy/textconv.h"
#include "platform/legacy/vberror.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <functional>

using namespace legacy;
using testutil::errorOf;

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

}  // namespace

TEST(Date, SerialsAndQDateTimeRoundTrip)
{
    struct Case { QDateTime dt; double serial; };
    const Case cases[] = {
        {at(1899, 12, 30), 0},
        {at(1899, 12, 31), 1},
        {at(1900, 1, 1), 2},
        {at(1899, 12, 29), -1},
        {at(1899, 12, 29, 6), -1.25},          // back one day, then six hours forwards
        {at(1899, 12, 30, 12), 0.5},
        {at(1800, 1, 1, 18), -36522.75},
        {at(2024, 2, 29, 18), 45351.75},
        {at(100, 1, 1), -657434},
        {at(9999, 12, 31), 2958465},
    };
    for (const auto& c : cases) {
        const Date d = Date::fromDateTime(c.dt);
        EXPECT_DOUBLE_EQ(d.serial(), c.serial) << c.dt.toString().toStdString();
        EXPECT_EQ(Date(c.serial).toDateTime(), c.dt) << c.serial;
        EXPECT_EQ(Date(c.serial).date(), c.dt.date());
        EXPECT_EQ(Date(c.serial).time(), c.dt.time());
    }
    // Milliseconds survive the round trip; time() rounds to the second.
    const QDateTime ms(QDate(2020, 5, 17), QTime(10, 20, 30, 600));
    EXPECT_EQ(Date::fromDateTime(ms).toDateTime(), ms);
    EXPECT_EQ(Date::fromDateTime(ms).time(), QTime(10, 20, 31));
    // A time that rounds up to midnight belongs to the next day.
    EXPECT_EQ(Date(1.99999).date(), QDate(1899, 12, 31));
    EXPECT_EQ(Date(1.9999999999).date(), QDate(1900, 1, 1));
    EXPECT_FALSE(Date(1.9999999999).hasTime());
    EXPECT_TRUE(Date(0.25).hasTime());
    EXPECT_EQ(errorOf([] { Date::fromParts(2023, 2, 29); }), 5);
    EXPECT_EQ(errorOf([] { Date::fromParts(2023, 1, 1, 24); }), 5);
    EXPECT_EQ(Date::fromParts(2023, 1, 2, 3, 4, 5).toDateTime(), at(2023, 1, 2, 3, 4, 5));
}

TEST(Date, TextThroughTheRegionalProfile)
{
    setRegional(RegionalProfile::spanish());
    struct Case { const char* text; QDateTime expected; };
    const Case cases[] = {
        {"05/03/2024", at(2024, 3, 5)},
        {"5/3/24", at(2024, 3, 5)},
        {"5-3-1999", at(1999, 3, 5)},
        {"05.03.2024", at(2024, 3, 5)},
        {"1/1/29", at(2029, 1, 1)},
        {"1/1/30", at(1930, 1, 1)},
        {"2024-03-05", at(2024, 3, 5)},
        {"05/03/2024 14:07", at(2024, 3, 5, 14, 7)},
        {"05/03/2024 2:07:09 p.m.", at(2024, 3, 5, 14, 7, 9)},
        {"05/03/2024 12:00 am", at(2024, 3, 5, 0, 0)},
        {"5 de marzo de 2024", at(2024, 3, 5)},
        {"martes, 5 de marzo de 2024", at(2024, 3, 5)},
        {"5-mar-2024", at(2024, 3, 5)},
        // No date day first: read month first.
        {"12/13/2024", at(2024, 12, 13)},
        {"12/31/23", at(2023, 12, 31)},
        {"12-31-2024 10:15", at(2024, 12, 31, 10, 15)},
    };
    for (const auto& c : cases) {
        const auto d = ParseDateText(QString::fromUtf8(c.text));
        ASSERT_TRUE(d.has_value()) << c.text;
        EXPECT_EQ(d->toDateTime(), c.expected) << c.text;
    }
    const auto timeOnly = ParseDateText(u"10:30");
    ASSERT_TRUE(timeOnly.has_value());
    EXPECT_DOUBLE_EQ(timeOnly->serial(), 10.5 / 24);
    const char* bad[] = {"", "hola", "31/02/2024", "13/13/2024", "5", "25:00", "10:61", "1/2/3/4", "05/03/2024 x",
                         "1.5", "1,5", "31/31/2024", "2024-31-12"};
    EXPECT_EQ(ParseDateText(u"1/5")->date(), QDate(QDate::currentDate().year(), 5, 1));
    EXPECT_EQ(ParseDateText(u"12/13")->date(), QDate(QDate::currentDate().year(), 12, 13));
    for (const char* b : bad)
        EXPECT_FALSE(ParseDateText(QString::fromLatin1(b)).has_value()) << b;

    RegionalProfile us = RegionalProfile::spanish();
    us.dayFirst = false;
    setRegional(us);
    EXPECT_EQ(ParseDateText(u"03/05/2024")->date(), QDate(2024, 3, 5));
    EXPECT_EQ(ParseDateText(u"13/05/2024")->date(), QDate(2024, 5, 13));
    setRegional(RegionalProfile::spanish());
}

TEST(Date, PartsSerialAddAndDiff)
{
    const Date d = Date::fromParts(2024, 1, 31, 13, 45, 10);
    EXPECT_EQ(Year(d), 2024);
    EXPECT_EQ(Month(d), 1);
    EXPECT_EQ(Day(d), 31);
    EXPECT_EQ(Hour(d), 13);
    EXPECT_EQ(Minute(d), 45);
    EXPECT_EQ(Second(d), 10);
    EXPECT_EQ(Weekday(d), 4);  // a Wednesday; Sunday is 1
    EXPECT_EQ(Weekday(Date::fromParts(2024, 2, 4)), 1);

    struct Serial { int y, m, d; QDate expected; };
    const Serial serials[] = {
        {2024, 13, 1, QDate(2025, 1, 1)}, {2024, 0, 1, QDate(2023, 12, 1)}, {2024, 3, 0, QDate(2024, 2, 29)},
        {2024, 1, 32, QDate(2024, 2, 1)}, {24, 1, 1, QDate(2024, 1, 1)},    {99, 1, 1, QDate(1999, 1, 1)},
        {2024, -1, 1, QDate(2023, 11, 1)},
    };
    for (const auto& s : serials)
        EXPECT_EQ(DateSerial(s.y, s.m, s.d).date(), s.expected) << s.y << "/" << s.m << "/" << s.d;
    EXPECT_DOUBLE_EQ(TimeSerial(12, 0, 0).serial(), 0.5);
    EXPECT_EQ(TimeSerial(25, 0, 0).toDateTime(), at(1899, 12, 31, 1));

    struct Add { const char* interval; double n; QDateTime expected; };
    const Add adds[] = {
        {"m", 1, at(2024, 2, 29, 13, 45, 10)}, {"yyyy", -1, at(2023, 1, 31, 13, 45, 10)},
        {"d", 1, at(2024, 2, 1, 13, 45, 10)},  {"ww", 1, at(2024, 2, 7, 13, 45, 10)},
        {"h", 11, at(2024, 2, 1, 0, 45, 10)},  {"n", -46, at(2024, 1, 31, 12, 59, 10)},
        {"s", 50, at(2024, 1, 31, 13, 46, 0)}, {"q", 1, at(2024, 4, 30, 13, 45, 10)},
    };
    for (const auto& a : adds)
        EXPECT_EQ(DateAdd(QString::fromLatin1(a.interval), a.n, d).toDateTime(), a.expected) << a.interval;
    EXPECT_EQ(errorOf([] { DateAdd(QStringLiteral("x"), 1, Date(0)); }), 5);
    EXPECT_EQ(errorOf([] { DateAdd(QStringLiteral("yyyy"), 9000, Date(0)); }), 5);

    const Date a = Date::fromParts(2023, 12, 31, 23, 59, 0);
    const Date b = Date::fromParts(2024, 1, 1, 0, 1, 0);
    struct Diff { const char* interval; long long n; };
    const Diff diffs[] = {{"yyyy", 1}, {"m", 1}, {"q", 1}, {"d", 1}, {"h", 1}, {"n", 2}, {"s", 120}, {"w", 0}, {"ww", 0}};
    for (const auto& df : diffs)
        EXPECT_EQ(DateDiff(QString::fromLatin1(df.interval), a, b), df.n) << df.interval;
    EXPECT_EQ(DateDiff(QStringLiteral("d"), b, a), -1);
    EXPECT_EQ(DateDiff(QStringLiteral("ww"), Date::fromParts(2024, 2, 3), Date::fromParts(2024, 2, 4)), 1);
    EXPECT_EQ(DateValue(QStringLiteral("05/03/2024 10:00")), Date::fromParts(2024, 3, 5));
    EXPECT_EQ(DateValue(QStringLiteral("12/31/23 10:00")), Date::fromParts(2023, 12, 31));
    EXPECT_DOUBLE_EQ(TimeValue(QStringLiteral("05/03/2024 18:00")).serial(), 0.75);
    EXPECT_EQ(errorOf([] { DateValue(QStringLiteral("no")); }), 13);
}
