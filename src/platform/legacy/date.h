#pragma once
// The runtime's Date: days since 30 December 1899, the fraction as the time
// of day (negative serials count days back, the fraction still forwards).
#include <QDate>
#include <QDateTime>
#include <QTime>

#include <compare>

namespace legacy {

class Date {
public:
    constexpr Date() = default;
    constexpr explicit Date(double serial) : serial_(serial) {}
    static Date fromDateTime(const QDateTime& dt);
    static Date fromDate(const QDate& d);
    // Error 5 when the parts do not make a date.
    static Date fromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    static Date now();

    constexpr double serial() const { return serial_; }
    QDateTime toDateTime() const;
    QDate date() const;
    QTime time() const;  // rounded to the second
    bool hasTime() const;

    friend constexpr auto operator<=>(Date a, Date b) = default;
    friend constexpr bool operator==(Date a, Date b) = default;

private:
    double serial_ = 0;
};

}  // namespace legacy
