#include "platform/legacy/date.h"

#include "platform/legacy/vberror.h"

#include <cmath>

namespace legacy {

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;

// Whole days and the time of day (forwards) in units of `unit` ms, rounded.
void split(double serial, qint64 unitMs, qint64& days, qint64& units)
{
    const double whole = std::trunc(serial);
    const double fraction = std::fabs(serial - whole);
    days = qint64(whole);
    const qint64 perDay = qint64(kMsPerDay) / unitMs;
    units = qint64(std::llround(fraction * double(perDay)));
    if (units >= perDay) {
        // The time rounded up to midnight: the next day, forwards in time.
        units -= perDay;
        days += 1;
    }
}

}  // namespace

Date Date::fromDateTime(const QDateTime& dt)
{
    const qint64 days = kEpoch.daysTo(dt.date());
    const double fraction = double(dt.time().msecsSinceStartOfDay()) / kMsPerDay;
    // Before the epoch the whole part counts back but the time still forwards.
    return Date(days >= 0 ? double(days) + fraction : double(days) - fraction);
}

Date Date::fromDate(const QDate& d)
{
    return Date(double(kEpoch.daysTo(d)));
}

Date Date::fromParts(int year, int month, int day, int hour, int minute, int second)
{
    const QDate d(year, month, day);
    if (year < 100 || year > 9999 || !d.isValid() || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || second < 0 || second > 59)
        throw VbError(5);
    return fromDateTime(QDateTime(d, QTime(hour, minute, second)));
}

Date Date::now()
{
    const QDateTime dt = QDateTime::currentDateTime();
    // The runtime's clock has whole seconds.
    const QTime t = dt.time();
    return fromDateTime(QDateTime(dt.date(), QTime(t.hour(), t.minute(), t.second())));
}

QDateTime Date::toDateTime() const
{
    qint64 days = 0, ms = 0;
    split(serial_, 1, days, ms);
    return QDateTime(kEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

QDate Date::date() const
{
    qint64 days = 0, seconds = 0;
    split(serial_, 1000, days, seconds);
    return kEpoch.addDays(days);
}

QTime Date::time() const
{
    qint64 days = 0, seconds = 0;
    split(serial_, 1000, days, seconds);
    return QTime::fromMSecsSinceStartOfDay(int(seconds * 1000));
}

bool Date::hasTime() const
{
    qint64 days = 0, seconds = 0;
    split(serial_, 1000, days, seconds);
    return seconds != 0;
}

}  // namespace legacy
