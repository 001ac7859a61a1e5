#include "platform/legacy/numeric.h"

#include "platform/legacy/textconv.h"
#include "platform/legacy/vberror.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace legacy {

namespace {

__extension__ typedef __int128 Int128;

constexpr int kMaxScale = 28;
constexpr UInt128 kLimit96 = UInt128(1) << 96;  // mantissas stay below it

constexpr UInt128 pow10u(int n)
{
    UInt128 r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}

// Unsigned 384-bit scratch number for exact intermediate results: a 96-bit
// mantissa times 10^57 or times another 96-bit mantissa still fits.
struct Big {
    static constexpr int N = 6;
    std::uint64_t w[N] = {};

    static Big from(UInt128 v)
    {
        Big b;
        b.w[0] = std::uint64_t(v);
        b.w[1] = std::uint64_t(v >> 64);
        return b;
    }
    bool isZero() const
    {
        for (auto x : w)
            if (x)
                return false;
        return true;
    }
    bool fits96() const { return w[5] == 0 && w[4] == 0 && w[3] == 0 && w[2] == 0 && (w[1] >> 32) == 0; }
    UInt128 low128() const { return (UInt128(w[1]) << 64) | w[0]; }
    void mulSmall(std::uint64_t m)
    {
        UInt128 carry = 0;
        for (auto& x : w) {
            const UInt128 t = UInt128(x) * m + carry;
            x = std::uint64_t(t);
            carry = t >> 64;
        }
    }
    void mulPow10(int n)
    {
        while (n >= 19) {
            mulSmall(10000000000000000000ULL);
            n -= 19;
        }
        if (n > 0)
            mulSmall(std::uint64_t(pow10u(n)));
    }
    std::uint64_t divSmall(std::uint64_t d)
    {
        UInt128 r = 0;
        for (int i = N - 1; i >= 0; --i) {
            const UInt128 cur = (r << 64) | w[i];
            w[i] = std::uint64_t(cur / d);
            r = cur % d;
        }
        return std::uint64_t(r);
    }
    void addSmall(std::uint64_t a)
    {
        for (auto& x : w) {
            x += a;
            if (x >= a)
                return;
            a = 1;
        }
    }
    void add(const Big& o)
    {
        std::uint64_t carry = 0;
        for (int i = 0; i < N; ++i) {
            const UInt128 t = UInt128(w[i]) + o.w[i] + carry;
            w[i] = std::uint64_t(t);
            carry = std::uint64_t(t >> 64);
        }
    }
    void sub(const Big& o)  // requires *this >= o
    {
        std::uint64_t borrow = 0;
        for (int i = 0; i < N; ++i) {
            const std::uint64_t a = w[i];
            const std::uint64_t b = o.w[i];
            w[i] = a - b - borrow;
            borrow = (a < b || (a == b && borrow)) ? 1 : 0;
        }
    }
    int cmp(const Big& o) const
    {
        for (int i = N - 1; i >= 0; --i)
            if (w[i] != o.w[i])
                return w[i] < o.w[i] ? -1 : 1;
        return 0;
    }
    // Quotient by a divisor below 2^96, bit by bit; returns the remainder.
    UInt128 divWide(UInt128 d)
    {
        UInt128 r = 0;
        Big q;
        for (int i = N * 64 - 1; i >= 0; --i) {
            r = (r << 1) | ((w[i / 64] >> (i % 64)) & 1);
            if (r >= d) {
                r -= d;
                q.w[i / 64] |= std::uint64_t(1) << (i % 64);
            }
        }
        *this = q;
        return r;
    }
};

Big mulWide(UInt128 a, UInt128 b)
{
    const std::uint64_t a0 = std::uint64_t(a), a1 = std::uint64_t(a >> 64);
    const std::uint64_t b0 = std::uint64_t(b), b1 = std::uint64_t(b >> 64);
    Big r;
    const UInt128 p00 = UInt128(a0) * b0;
    const UInt128 p01 = UInt128(a0) * b1;
    const UInt128 p10 = UInt128(a1) * b0;
    const UInt128 p11 = UInt128(a1) * b1;
    r.w[0] = std::uint64_t(p00);
    UInt128 mid = (p00 >> 64) + std::uint64_t(p01) + std::uint64_t(p10);
    r.w[1] = std::uint64_t(mid);
    UInt128 high = (mid >> 64) + (p01 >> 64) + (p10 >> 64) + std::uint64_t(p11);
    r.w[2] = std::uint64_t(high);
    r.w[3] = std::uint64_t((high >> 64) + (p11 >> 64));
    return r;
}

// Brings v * 10^-scale to a mantissa below 2^96 with a scale of at most 28,
// rounding half to even. lastDropped is a digit already cut off (-1 when
// none) and sticky says whether anything below it was nonzero. False when
// the value does not fit even with scale 0.
bool normalize(Big v, int scale, int lastDropped, bool sticky, UInt128& mantissa, int& outScale)
{
    for (;;) {
        while (scale > kMaxScale || (!v.fits96() && scale > 0)) {
            if (lastDropped > 0)
                sticky = true;
            lastDropped = int(v.divSmall(10));
            --scale;
        }
        if (lastDropped >= 0) {
            const bool up = lastDropped > 5 || (lastDropped == 5 && (sticky || (v.w[0] & 1)));
            if (up)
                v.addSmall(1);
            lastDropped = -1;
            sticky = false;
        }
        if (v.fits96())
            break;
        if (scale == 0)
            return false;
    }
    mantissa = v.low128();
    outScale = scale;
    return true;
}

// Digits of a mantissa, most significant first, into buf (at least 40 chars);
// returns the count.
int mantissaDigits(UInt128 m, char* buf)
{
    char tmp[48];
    int n = 0;
    do {
        tmp[n++] = char('0' + int(m % 10));
        m /= 10;
    } while (m);
    for (int i = 0; i < n; ++i)
        buf[i] = tmp[n - 1 - i];
    return n;
}

// Plain text of mantissa * 10^-scale, trailing fraction zeros removed.
int formatPlain(UInt128 m, int scale, bool negative, char point, char* out)
{
    char digits[48];
    int nd = mantissaDigits(m, digits);
    // Trailing zeros of the fraction go.
    while (scale > 0 && nd > 1 && digits[nd - 1] == '0') {
        --nd;
        --scale;
    }
    if (m == 0) {
        out[0] = '0';
        return 1;
    }
    int n = 0;
    if (negative)
        out[n++] = '-';
    if (scale >= nd) {
        out[n++] = '0';
        out[n++] = point;
        for (int i = 0; i < scale - nd; ++i)
            out[n++] = '0';
        for (int i = 0; i < nd; ++i)
            out[n++] = digits[i];
    } else {
        for (int i = 0; i < nd - scale; ++i)
            out[n++] = digits[i];
        if (scale > 0) {
            out[n++] = point;
            for (int i = nd - scale; i < nd; ++i)
                out[n++] = digits[i];
        }
    }
    return n;
}

Int128 roundDivHalfEven(Int128 n, Int128 d)
{
    Int128 q = n / d;
    Int128 r = n % d;
    if (r == 0)
        return q;
    const Int128 ar = r < 0 ? -r : r;
    const Int128 ad = d < 0 ? -d : d;
    const bool negative = (n < 0) != (d < 0);
    if (2 * ar > ad || (2 * ar == ad && (q & 1)))
        q += negative ? -1 : 1;
    return q;
}

std::int64_t checkedRaw(Int128 v)
{
    if (v > std::numeric_limits<std::int64_t>::max() || v < std::numeric_limits<std::int64_t>::min())
        throw VbError(6);
    return std::int64_t(v);
}

UInt128 magnitude(long long v)
{
    return v < 0 ? UInt128(-(Int128(v))) : UInt128(v);
}

}  // namespace

// ---------------------------------------------------------------- Currency

Currency Currency::fromDouble(double value)
{
    if (!std::isfinite(value))
        throw VbError(6);
    // Most amounts carry four decimals at most: their scaled value sits next
    // to a whole number and needs no decimal detour.
    const double scaled = value * double(Scale);
    if (std::fabs(scaled) < 1e15) {
        const double whole = std::nearbyint(scaled);
        if (std::fabs(scaled - whole) < 1e-6)
            return fromRaw(std::int64_t(whole));
    }
    return fromDecimal(Decimal::fromDouble(value));
}

Currency Currency::fromDecimal(const Decimal& value)
{
    const UInt128 m = value.mantissa();
    const int scale = value.scale();
    UInt128 units;
    if (scale <= 4) {
        units = m * pow10u(4 - scale);
    } else {
        const UInt128 p = pow10u(scale - 4);
        units = m / p;
        const UInt128 r = m % p;
        if (2 * r > p || (2 * r == p && (units & 1)))
            ++units;
    }
    const UInt128 limit = UInt128(std::numeric_limits<std::int64_t>::max()) + (value.isNegative() ? 1 : 0);
    if (units > limit)
        throw VbError(6);
    return fromRaw(checkedRaw(value.isNegative() ? -Int128(units) : Int128(units)));
}

Currency Currency::fromLongLong(long long units)
{
    std::int64_t raw;
    if (__builtin_mul_overflow(std::int64_t(units), Scale, &raw))
        throw VbError(6);
    return fromRaw(raw);
}

std::optional<Currency> Currency::parse(QStringView text, QChar decimalPoint, QChar thousands)
{
    QStringView view = text;
    QString cleaned;
    if (!thousands.isNull() && text.contains(thousands)) {
        // Thousands separators may only stand in the integer part.
        const qsizetype point = text.indexOf(decimalPoint);
        const qsizetype lastSep = text.lastIndexOf(thousands);
        if (point >= 0 && lastSep > point)
            return std::nullopt;
        cleaned.reserve(text.size());
        for (const QChar c : text)
            if (c != thousands)
                cleaned.append(c);
        view = cleaned;
    }
    const auto d = Decimal::parse(view, decimalPoint);
    if (!d)
        return std::nullopt;
    try {
        return fromDecimal(*d);
    } catch (const VbError&) {
        return std::nullopt;
    }
}

double Currency::toDouble() const
{
    return double(raw_) / double(Scale);
}

Decimal Currency::toDecimal() const
{
    return Decimal::fromCurrency(*this);
}

QString Currency::toString(QChar decimalPoint) const
{
    char buf[64];
    const int n = formatPlain(magnitude(raw_), 4, raw_ < 0, '.', buf);
    QString s = QString::fromLatin1(buf, n);
    if (decimalPoint != u'.')
        s.replace(u'.', decimalPoint);
    return s;
}

Currency Currency::operator-() const
{
    if (raw_ == std::numeric_limits<std::int64_t>::min())
        throw VbError(6);
    return fromRaw(-raw_);
}

Currency& Currency::operator+=(Currency o)
{
    if (__builtin_add_overflow(raw_, o.raw_, &raw_))
        throw VbError(6);
    return *this;
}

Currency& Currency::operator-=(Currency o)
{
    if (__builtin_sub_overflow(raw_, o.raw_, &raw_))
        throw VbError(6);
    return *this;
}

Currency operator*(Currency a, Currency b)
{
    const Int128 p = Int128(a.raw()) * b.raw();
    return Currency::fromRaw(checkedRaw(roundDivHalfEven(p, Currency::Scale)));
}

Currency operator/(Currency a, Currency b)
{
    if (b.raw() == 0)
        throw VbError(11);
    const Int128 n = Int128(a.raw()) * Currency::Scale;
    return Currency::fromRaw(checkedRaw(roundDivHalfEven(n, b.raw())));
}

// ---------------------------------------------------------------- Decimal

Decimal::Decimal(int value) : mantissa_(magnitude(value)), negative_(value < 0) {}

Decimal::Decimal(long long value) : mantissa_(magnitude(value)), negative_(value < 0) {}

Decimal Decimal::fromCurrency(Currency c)
{
    return fromParts(magnitude(c.raw()), 4, c.raw() < 0);
}

Decimal Decimal::fromParts(UInt128 mantissa, int scale, bool negative)
{
    Decimal d;
    if (scale < 0) {
        Big v = Big::from(mantissa);
        v.mulPow10(-scale);
        if (!v.fits96())
            throw VbError(6);
        mantissa = v.low128();
        scale = 0;
    }
    if (mantissa >= kLimit96 || scale > kMaxScale) {
        int s = 0;
        UInt128 m = 0;
        if (!normalize(Big::from(mantissa), scale, -1, false, m, s))
            throw VbError(6);
        mantissa = m;
        scale = s;
    }
    d.mantissa_ = mantissa;
    d.scale_ = std::uint8_t(scale);
    d.negative_ = negative && mantissa != 0;
    return d;
}

Decimal Decimal::fromDouble(double value)
{
    if (!std::isfinite(value))
        throw VbError(6);
    if (value == 0)
        return Decimal();
    // Fifteen significant digits, as the runtime converts a Double.
    const QString text = QString::fromLatin1(DoubleToScientificC(value, 14));
    const auto d = parse(text);
    if (!d)
        throw VbError(6);
    Decimal r = *d;
    while (r.scale_ > 0 && r.mantissa_ % 10 == 0) {
        r.mantissa_ /= 10;
        --r.scale_;
    }
    return r;
}

std::optional<Decimal> Decimal::parse(QStringView text, QChar decimalPoint)
{
    const char16_t* p = text.utf16();
    qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && (p[i] == u' ' || p[i] == u'\t'))
        ++i;
    while (n > i && (p[n - 1] == u' ' || p[n - 1] == u'\t'))
        --n;
    bool negative = false;
    if (i < n && (p[i] == u'-' || p[i] == u'+')) {
        negative = p[i] == u'-';
        ++i;
    }
    const char16_t point = decimalPoint.unicode();
    constexpr int kBuf = 40;
    unsigned char digits[kBuf];
    int nd = 0;
    int exp10 = 0;
    bool sticky = false;
    bool any = false;
    bool seenPoint = false;
    for (; i < n; ++i) {
        const char16_t c = p[i];
        if (c >= u'0' && c <= u'9') {
            any = true;
            if (nd == 0 && c == u'0') {
                if (seenPoint)
                    --exp10;
            } else if (nd < kBuf) {
                digits[nd++] = (unsigned char)(c - u'0');
                if (seenPoint)
                    --exp10;
            } else {
                if (c != u'0')
                    sticky = true;
                if (!seenPoint)
                    ++exp10;
            }
        } else if (c == point && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!any)
        return std::nullopt;
    if (i < n && (p[i] == u'e' || p[i] == u'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (p[i] == u'-' || p[i] == u'+')) {
            expNegative = p[i] == u'-';
            ++i;
        }
        if (i >= n || p[i] < u'0' || p[i] > u'9')
            return std::nullopt;
        int e = 0;
        for (; i < n && p[i] >= u'0' && p[i] <= u'9'; ++i)
            if (e < 100000)
                e = e * 10 + (p[i] - u'0');
        exp10 += expNegative ? -e : e;
    }
    if (i != n)
        return std::nullopt;

    Decimal d;
    int scale = -exp10;
    if (nd == 0) {
        d.scale_ = std::uint8_t(std::clamp(scale, 0, kMaxScale));
        return d;
    }
    // The common case: few digits and a small scale, no rounding needed.
    if (nd <= 19 && scale >= 0 && scale <= kMaxScale) {
        std::uint64_t m = 0;
        for (int k = 0; k < nd; ++k)
            m = m * 10 + digits[k];
        d.mantissa_ = m;
        d.scale_ = std::uint8_t(scale);
        d.negative_ = negative;
        return d;
    }
    if (scale < 0) {
        if (nd - scale > 30)
            return std::nullopt;
        Big v;
        for (int k = 0; k < nd; ++k) {
            v.mulSmall(10);
            v.addSmall(digits[k]);
        }
        v.mulPow10(-scale);
        if (!v.fits96())
            return std::nullopt;
        d.mantissa_ = v.low128();
        d.negative_ = negative;
        return d;
    }
    // Keep at most 28 significant digits and a scale of at most 28.
    int drop = std::max(0, scale - kMaxScale);
    if (nd - drop > kMaxScale && scale - drop > 0)
        drop += std::min(nd - drop - kMaxScale, scale - drop);
    const int kept = nd - drop;
    Big v;
    int lastDropped = -1;
    if (drop > 0) {
        if (kept >= 0) {
            for (int k = 0; k < kept; ++k) {
                v.mulSmall(10);
                v.addSmall(digits[k]);
            }
            lastDropped = kept < nd ? digits[kept] : 0;
            for (int k = kept + 1; k < nd; ++k)
                if (digits[k])
                    sticky = true;
        } else {
            lastDropped = 0;
            sticky = true;
        }
    } else {
        for (int k = 0; k < nd; ++k) {
            v.mulSmall(10);
            v.addSmall(digits[k]);
        }
    }
    UInt128 m = 0;
    int s = 0;
    if (!normalize(v, scale - drop, lastDropped, sticky, m, s))
        return std::nullopt;
    d.mantissa_ = m;
    d.scale_ = std::uint8_t(s);
    d.negative_ = negative && m != 0;
    return d;
}

double Decimal::toDouble() const
{
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double r;
    if (mantissa_ < (UInt128(1) << 53) && scale_ <= 22) {
        r = double(std::uint64_t(mantissa_)) / kPow10[scale_];
    } else {
        char buf[64];
        const int n = formatPlain(mantissa_, scale_, false, '.', buf);
        buf[n] = 0;
        r = StrToDoubleC(buf);
    }
    return isNegative() ? -r : r;
}

long long Decimal::toLongLong() const
{
    const UInt128 p = pow10u(scale_);
    UInt128 q = mantissa_ / p;
    const UInt128 r = mantissa_ % p;
    if (scale_ > 0 && (2 * r > p || (2 * r == p && (q & 1))))
        ++q;
    const UInt128 limit = UInt128(std::numeric_limits<long long>::max()) + (isNegative() ? 1 : 0);
    if (q > limit)
        throw VbError(6);
    return isNegative() ? (long long)(-Int128(q)) : (long long)q;
}

Decimal Decimal::rounded(int digits) const
{
    if (digits < 0)
        throw VbError(5);
    if (scale_ <= digits)
        return *this;
    const UInt128 p = pow10u(scale_ - digits);
    UInt128 q = mantissa_ / p;
    const UInt128 r = mantissa_ % p;
    if (2 * r > p || (2 * r == p && (q & 1)))
        ++q;
    return fromParts(q, digits, isNegative());
}

QString Decimal::toString(QChar decimalPoint) const
{
    char buf[64];
    const int n = formatPlain(mantissa_, scale_, isNegative(), '.', buf);
    QString s = QString::fromLatin1(buf, n);
    if (decimalPoint != u'.')
        s.replace(u'.', decimalPoint);
    return s;
}

Decimal Decimal::operator-() const
{
    Decimal d = *this;
    d.negative_ = !negative_ && mantissa_ != 0;
    return d;
}

namespace {

// Both mantissas at the larger of the two scales.
void align(const Decimal& a, const Decimal& b, Big& A, Big& B, int& scale)
{
    scale = std::max(a.scale(), b.scale());
    A = Big::from(a.mantissa());
    B = Big::from(b.mantissa());
    A.mulPow10(scale - a.scale());
    B.mulPow10(scale - b.scale());
}

Decimal makeDecimal(const Big& v, int scale, bool negative, bool sticky = false)
{
    UInt128 m = 0;
    int s = 0;
    if (!normalize(v, scale, -1, sticky, m, s))
        throw VbError(6);
    return Decimal::fromParts(m, s, negative);
}

}  // namespace

Decimal operator+(const Decimal& a, const Decimal& b)
{
    Big A, B;
    int scale = 0;
    align(a, b, A, B, scale);
    if (a.isNegative() == b.isNegative()) {
        A.add(B);
        return makeDecimal(A, scale, a.isNegative());
    }
    if (A.cmp(B) >= 0) {
        A.sub(B);
        return makeDecimal(A, scale, a.isNegative());
    }
    B.sub(A);
    return makeDecimal(B, scale, b.isNegative());
}

Decimal operator-(const Decimal& a, const Decimal& b)
{
    return a + (-b);
}

Decimal operator*(const Decimal& a, const Decimal& b)
{
    return makeDecimal(mulWide(a.mantissa(), b.mantissa()), a.scale() + b.scale(),
                       a.isNegative() != b.isNegative());
}

Decimal operator/(const Decimal& a, const Decimal& b)
{
    if (b.isZero())
        throw VbError(11);
    if (a.isZero())
        return Decimal();
    // One digit beyond the widest scale, so the rounding sees it.
    const int scale = a.scale() - b.scale();
    const int k = kMaxScale + 1 - scale;
    Big v = Big::from(a.mantissa());
    v.mulPow10(k);
    const UInt128 rest = v.divWide(b.mantissa());
    Decimal d = makeDecimal(v, kMaxScale + 1, a.isNegative() != b.isNegative(), rest != 0);
    UInt128 m = d.mantissa();
    int s = d.scale();
    while (s > 0 && m % 10 == 0) {
        m /= 10;
        --s;
    }
    return Decimal::fromParts(m, s, d.isNegative());
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b)
{
    const bool an = a.isNegative();
    const bool bn = b.isNegative();
    if (a.isZero() && b.isZero())
        return std::strong_ordering::equal;
    if (an != bn)
        return an ? std::strong_ordering::less : std::strong_ordering::greater;
    Big A, B;
    int scale = 0;
    align(a, b, A, B, scale);
    int c = A.cmp(B);
    if (an)
        c = -c;
    return c < 0 ? std::strong_ordering::less : c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal;
}

bool operator==(const Decimal& a, const Decimal& b)
{
    return (a <=> b) == 0;
}

}  // namespace legacy
