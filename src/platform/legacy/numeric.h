#pragma once
// Exact numeric types of the old runtime: Currency and Decimal.
#include <QString>
#include <QStringView>

#include <compare>
#include <cstdint>
#include <optional>

namespace legacy {

// The compiler's 128-bit integer, named once so -Wpedantic stays quiet.
__extension__ typedef unsigned __int128 UInt128;

class Decimal;

// A 64-bit integer scaled by 10,000: four exact decimals. Money never goes
// through double.
class Currency {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;
    constexpr Currency(int units) : raw_(std::int64_t(units) * Scale) {}
    static constexpr Currency fromRaw(std::int64_t raw) { Currency c; c.raw_ = raw; return c; }
    // Rounded half to even to four decimals; error 6 on overflow.
    static Currency fromDouble(double value);
    // Error 6 on overflow; rounded half to even to four decimals.
    static Currency fromDecimal(const Decimal& value);
    static Currency fromLongLong(long long units);
    // Parses "123", "-12.5", "1234.5678" with the given decimal point and
    // optional thousands separator; nullopt when the text is not a number.
    static std::optional<Currency> parse(QStringView text, QChar decimalPoint = u'.',
                                         QChar thousands = QChar());

    constexpr std::int64_t raw() const { return raw_; }
    double toDouble() const;
    Decimal toDecimal() const;
    // Integer part towards zero and the fraction.
    long long truncated() const { return raw_ / Scale; }

    // Shortest text: "12", "12.5", "-0.0001"; decimal point as given.
    QString toString(QChar decimalPoint = u'.') const;

    Currency operator-() const;
    Currency& operator+=(Currency o);
    Currency& operator-=(Currency o);
    friend Currency operator+(Currency a, Currency b) { return a += b; }
    friend Currency operator-(Currency a, Currency b) { return a -= b; }
    // Products and quotients are rounded half to even to four decimals;
    // error 6 on overflow, 11 on division by zero.
    friend Currency operator*(Currency a, Currency b);
    friend Currency operator/(Currency a, Currency b);
    friend constexpr auto operator<=>(Currency a, Currency b) = default;
    friend constexpr bool operator==(Currency a, Currency b) = default;

private:
    std::int64_t raw_ = 0;
};

// 28 significant digits with a scale (0 to 28) and a sign, like the runtime's
// Decimal: a 96-bit unsigned mantissa.
class Decimal {
public:
    Decimal() = default;
    Decimal(int value);
    Decimal(long long value);
    Decimal(long value) : Decimal((long long)value) {}
    static Decimal fromCurrency(Currency c);
    // Error 6 when the value does not fit.
    static Decimal fromDouble(double value);
    // Reads an optional sign, digits, an optional fraction after decimalPoint
    // and an optional exponent (e/E). Digits beyond 28 significant ones are
    // rounded half to even; nullopt when the text is not a number, or when
    // the value overflows 96 bits.
    static std::optional<Decimal> parse(QStringView text, QChar decimalPoint = u'.');

    bool isNegative() const { return negative_ && !isZero(); }
    bool isZero() const { return mantissa_ == 0; }
    int scale() const { return scale_; }

    double toDouble() const;
    // Error 6 when out of range.
    long long toLongLong() const;  // rounded half to even
    // Rounded half to even to at most `digits` decimals (0 to 28).
    Decimal rounded(int digits) const;
    // Plain notation, no exponent, trailing zeros of the fraction removed.
    QString toString(QChar decimalPoint = u'.') const;

    Decimal operator-() const;
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    friend Decimal operator/(const Decimal& a, const Decimal& b);  // error 11 on zero
    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
    friend bool operator==(const Decimal& a, const Decimal& b);

    // Raw access for exact conversions.
    UInt128 mantissa() const { return mantissa_; }
    static Decimal fromParts(UInt128 mantissa, int scale, bool negative);

private:
    UInt128 mantissa_ = 0;  // < 2^96
    std::uint8_t scale_ = 0;
    bool negative_ = false;
};

}  // namespace legacy
