#include "platform/legacy/variant.h"

#include "platform/legacy/regional.h"
#include "platform/legacy/textconv.h"
#include "platform/legacy/vberror.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace legacy {

Object::~Object() = default;

namespace {

// Index of each alternative of Variant's storage.
enum Slot {
    sEmpty, sNull, sBool, sInt, sLong, sDouble, sCurrency, sDecimal, sDate, sString, sObject, sArray
};

// The runtime keeps dates between 1 January 100 and 31 December 9999.
constexpr double kMinDateSerial = -657434.0;
constexpr double kMaxDateSerial = 2958465.999988426;

template <class T>
T roundToIntegral(double d)
{
    if (!std::isfinite(d))
        throw VbError(6);
    const double r = std::nearbyint(d);  // the default rounding mode: halves to even
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
        throw VbError(6);
    return T(r);
}

template <class T>
T fromWide(long long v)
{
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
        throw VbError(6);
    return T(v);
}

long long currencyRounded(Currency c)
{
    const std::int64_t raw = c.raw();
    long long q = raw / Currency::Scale;
    const long long r = raw % Currency::Scale;
    const long long ar = r < 0 ? -r : r;
    if (ar * 2 > Currency::Scale || (ar * 2 == Currency::Scale && (q & 1)))
        q += raw < 0 ? -1 : 1;
    return q;
}

// Integral value of any Variant, rounded half to even; error 6 outside T.
template <class T>
T toIntegral(const Variant& v)
{
    if (v.IsEmpty())
        return 0;
    if (v.IsNull())
        throw VbError(94);
    if (const bool* b = v.get<bool>())
        return *b ? T(-1) : T(0);
    if (const auto* i = v.get<std::int16_t>())
        return fromWide<T>(*i);
    if (const auto* l = v.get<std::int32_t>())
        return fromWide<T>(*l);
    if (const auto* d = v.get<double>())
        return roundToIntegral<T>(*d);
    if (const auto* c = v.get<Currency>())
        return fromWide<T>(currencyRounded(*c));
    if (const auto* m = v.get<Decimal>())
        return fromWide<T>(m->toLongLong());
    if (const auto* dt = v.get<Date>())
        return roundToIntegral<T>(dt->serial());
    if (const auto* s = v.get<QString>()) {
        const auto n = ParseNumberText(*s);
        if (!n)
            throw VbError(13);
        return roundToIntegral<T>(*n);
    }
    throw VbError(13);
}

Decimal decimalFromText(const QString& s)
{
    const auto normalized = NormalizeNumberText(s);
    if (!normalized)
        throw VbError(13);
    const auto d = Decimal::parse(QString::fromLatin1(*normalized));
    if (!d)
        throw VbError(6);  // a number, but too large
    return *d;
}

QString dateToText(Date d)
{
    const RegionalProfile& r = Regional();
    const QDate date = d.date();
    const QTime time = d.time();
    const bool onlyTime = date == QDate(1899, 12, 30);
    if (onlyTime && d.hasTime())
        return time.toString(r.longTimeFormat);
    QString s = date.toString(r.shortDateFormat);
    if (d.hasTime())
        s += u' ' + time.toString(r.longTimeFormat);
    return s;
}

bool boolFromText(const QString& s)
{
    const QString t = s.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0 || t.compare(u"Verdadero", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"False", Qt::CaseInsensitive) == 0 || t.compare(u"Falso", Qt::CaseInsensitive) == 0)
        return false;
    const auto n = ParseNumberText(t);
    if (!n)
        throw VbError(13);
    return *n != 0;
}

}  // namespace

Variant::Variant(long long i)
{
    if (i >= std::numeric_limits<std::int32_t>::min() && i <= std::numeric_limits<std::int32_t>::max())
        data_ = std::int32_t(i);
    else
        data_ = Decimal(i);
}

Variant Variant::fromArray(VariantList items, int lowerBound)
{
    Variant v;
    auto a = std::make_shared<Array>();
    a->items = std::move(items);
    a->lowerBound = lowerBound;
    v.data_ = std::move(a);
    return v;
}

VbVarType Variant::VarType() const
{
    switch (data_.index()) {
    case sEmpty: return vbEmpty;
    case sNull: return vbNull;
    case sBool: return vbBoolean;
    case sInt: return vbInteger;
    case sLong: return vbLong;
    case sDouble: return vbDouble;
    case sCurrency: return vbCurrency;
    case sDecimal: return vbDecimal;
    case sDate: return vbDate;
    case sString: return vbString;
    case sObject: return vbObject;
    default: return VbVarType(vbArray | vbVariant);
    }
}

QString Variant::TypeName() const
{
    switch (data_.index()) {
    case sEmpty: return QStringLiteral("Empty");
    case sNull: return QStringLiteral("Null");
    case sBool: return QStringLiteral("Boolean");
    case sInt: return QStringLiteral("Integer");
    case sLong: return QStringLiteral("Long");
    case sDouble: return QStringLiteral("Double");
    case sCurrency: return QStringLiteral("Currency");
    case sDecimal: return QStringLiteral("Decimal");
    case sDate: return QStringLiteral("Date");
    case sString: return QStringLiteral("String");
    case sObject: {
        const ObjectRef& o = std::get<ObjectRef>(data_);
        return o ? o->TypeName() : QStringLiteral("Nothing");
    }
    default: return QStringLiteral("Variant()");
    }
}

bool Variant::IsNumeric() const
{
    switch (data_.index()) {
    case sEmpty:
    case sBool:
    case sInt:
    case sLong:
    case sDouble:
    case sCurrency:
    case sDecimal:
        return true;
    case sString:
        return NormalizeNumberText(std::get<QString>(data_)).has_value();
    default:
        return false;
    }
}

bool Variant::toBool() const
{
    switch (data_.index()) {
    case sEmpty: return false;
    case sNull: throw VbError(94);
    case sBool: return std::get<bool>(data_);
    case sInt: return std::get<std::int16_t>(data_) != 0;
    case sLong: return std::get<std::int32_t>(data_) != 0;
    case sDouble: return std::get<double>(data_) != 0;
    case sCurrency: return std::get<Currency>(data_).raw() != 0;
    case sDecimal: return !std::get<Decimal>(data_).isZero();
    case sDate: return std::get<Date>(data_).serial() != 0;
    case sString: return boolFromText(std::get<QString>(data_));
    default: throw VbError(13);
    }
}

std::int16_t Variant::toInteger() const
{
    return toIntegral<std::int16_t>(*this);
}

std::int32_t Variant::toLong() const
{
    return toIntegral<std::int32_t>(*this);
}

double Variant::toDouble() const
{
    switch (data_.index()) {
    case sEmpty: return 0;
    case sNull: throw VbError(94);
    case sBool: return std::get<bool>(data_) ? -1 : 0;
    case sInt: return std::get<std::int16_t>(data_);
    case sLong: return std::get<std::int32_t>(data_);
    case sDouble: return std::get<double>(data_);
    case sCurrency: return std::get<Currency>(data_).toDouble();
    case sDecimal: return std::get<Decimal>(data_).toDouble();
    case sDate: return std::get<Date>(data_).serial();
    case sString: {
        const auto n = ParseNumberText(std::get<QString>(data_));
        if (!n)
            throw VbError(13);
        if (!std::isfinite(*n))
            throw VbError(6);
        return *n;
    }
    default: throw VbError(13);
    }
}

Currency Variant::toCurrency() const
{
    switch (data_.index()) {
    case sEmpty: return Currency();
    case sNull: throw VbError(94);
    case sBool: return Currency(std::get<bool>(data_) ? -1 : 0);
    case sInt: return Currency(int(std::get<std::int16_t>(data_)));
    case sLong: return Currency(int(std::get<std::int32_t>(data_)));
    case sDouble: return Currency::fromDouble(std::get<double>(data_));
    case sCurrency: return std::get<Currency>(data_);
    case sDecimal: return Currency::fromDecimal(std::get<Decimal>(data_));
    case sDate: return Currency::fromDouble(std::get<Date>(data_).serial());
    case sString: return Currency::fromDecimal(decimalFromText(std::get<QString>(data_)));
    default: throw VbError(13);
    }
}

Decimal Variant::toDecimal() const
{
    switch (data_.index()) {
    case sEmpty: return Decimal();
    case sNull: throw VbError(94);
    case sBool: return Decimal(std::get<bool>(data_) ? -1 : 0);
    case sInt: return Decimal(int(std::get<std::int16_t>(data_)));
    case sLong: return Decimal(int(std::get<std::int32_t>(data_)));
    case sDouble: return Decimal::fromDouble(std::get<double>(data_));
    case sCurrency: return Decimal::fromCurrency(std::get<Currency>(data_));
    case sDecimal: return std::get<Decimal>(data_);
    case sDate: return Decimal::fromDouble(std::get<Date>(data_).serial());
    case sString: return decimalFromText(std::get<QString>(data_));
    default: throw VbError(13);
    }
}

Date Variant::toDate() const
{
    switch (data_.index()) {
    case sNull: throw VbError(94);
    case sDate: return std::get<Date>(data_);
    case sString: {
        const auto d = ParseDateText(std::get<QString>(data_));
        if (!d)
            throw VbError(13);
        return *d;
    }
    case sObject:
    case sArray:
        throw VbError(13);
    default: {
        const double serial = toDouble();
        if (serial < kMinDateSerial || serial > kMaxDateSerial)
            throw VbError(6);
        return Date(serial);
    }
    }
}

QString Variant::toString() const
{
    const RegionalProfile& r = Regional();
    switch (data_.index()) {
    case sEmpty: return QString();
    case sNull: throw VbError(94);
    case sBool: return std::get<bool>(data_) ? QStringLiteral("True") : QStringLiteral("False");
    case sInt: return QString::number(std::get<std::int16_t>(data_));
    case sLong: return QString::number(std::get<std::int32_t>(data_));
    case sDouble: return DoubleToText(std::get<double>(data_), r.decimalSeparator);
    case sCurrency: return std::get<Currency>(data_).toString(r.decimalSeparator);
    case sDecimal: return std::get<Decimal>(data_).toString(r.decimalSeparator);
    case sDate: return dateToText(std::get<Date>(data_));
    case sString: return std::get<QString>(data_);
    default: throw VbError(13);
    }
}

ObjectRef Variant::toObject() const
{
    if (const ObjectRef* o = std::get_if<ObjectRef>(&data_))
        return *o;
    throw VbError(424);
}

const Variant::Array& Variant::array() const
{
    if (const auto* a = std::get_if<std::shared_ptr<Array>>(&data_))
        return **a;
    throw VbError(13);
}

Variant::Array& Variant::array()
{
    if (auto* a = std::get_if<std::shared_ptr<Array>>(&data_))
        return **a;
    throw VbError(13);
}

bool CBool(const Variant& v) { return v.toBool(); }
std::int16_t CInt(const Variant& v) { return v.toInteger(); }
std::int32_t CLng(const Variant& v) { return v.toLong(); }
double CDbl(const Variant& v) { return v.toDouble(); }
Currency CCur(const Variant& v) { return v.toCurrency(); }
Decimal CDec(const Variant& v) { return v.toDecimal(); }
Date CDate(const Variant& v) { return v.toDate(); }
QString CStr(const Variant& v) { return v.toString(); }
bool IsNull(const Variant& v) { return v.IsNull(); }
bool IsEmpty(const Variant& v) { return v.IsEmpty(); }
bool IsNumeric(const Variant& v) { return v.IsNumeric(); }
bool IsObject(const Variant& v) { return v.IsObject(); }
VbVarType VarType(const Variant& v) { return v.VarType(); }

bool IsNumberType(VbVarType type)
{
    switch (type) {
    case vbInteger:
    case vbLong:
    case vbSingle:
    case vbDouble:
    case vbCurrency:
    case vbDecimal:
    case vbByte:
        return true;
    default:
        return false;
    }
}

QString TypeName(const Variant& v) { return v.TypeName(); }

bool IsDate(const Variant& v)
{
    if (v.get<Date>())
        return true;
    if (const QString* s = v.get<QString>())
        return ParseDateText(*s).has_value();
    return false;
}

double Val(const QString& text)
{
    // Blanks, tabs and line feeds are skipped anywhere, as the runtime does.
    QByteArray buf;
    buf.reserve(text.size());
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skip = [&]() {
        while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'))
            ++i;
    };
    skip();
    if (i + 1 < n && text[i] == u'&') {
        const QChar kind = text[i + 1].toUpper();
        if (kind == u'H' || kind == u'O') {
            const int base = kind == u'H' ? 16 : 8;
            i += 2;
            unsigned long long v = 0;
            int count = 0;
            for (; i < n; ++i) {
                const QChar c = text[i].toUpper();
                int d = -1;
                if (c >= u'0' && c <= u'9')
                    d = c.unicode() - u'0';
                else if (c >= u'A' && c <= u'F')
                    d = c.unicode() - u'A' + 10;
                if (d < 0 || d >= base)
                    break;
                v = v * base + d;
                if (v > 0xFFFFFFFFULL)
                    throw VbError(6);
                ++count;
            }
            if (count == 0)
                return 0;
            return v <= 0xFFFF ? double(std::int16_t(std::uint16_t(v))) : double(std::int32_t(std::uint32_t(v)));
        }
    }
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        buf.append(char(text[i].unicode()));
        ++i;
        skip();
    }
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            buf.append(char(c.unicode()));
            digits = true;
        } else if (c == u'.' && !point) {
            buf.append('.');
            point = true;
        } else if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
            continue;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    if (i < n && (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
        qsizetype j = i + 1;
        QByteArray exp("e");
        if (j < n && (text[j] == u'-' || text[j] == u'+'))
            exp.append(char(text[j++].unicode()));
        bool expDigits = false;
        for (; j < n && text[j] >= u'0' && text[j] <= u'9'; ++j) {
            exp.append(char(text[j].unicode()));
            expDigits = true;
        }
        if (expDigits)
            buf.append(exp);
    }
    const double d = StrToDoubleC(buf.constData());
    if (!std::isfinite(d))
        throw VbError(6);
    return d;
}

double Fix(double d) { return std::trunc(d); }
double Int(double d) { return std::floor(d); }

double Round(double d, int digits)
{
    if (digits < 0)
        throw VbError(5);
    if (!std::isfinite(d) || std::fabs(d) >= 1e28)
        return d;
    // Rounded on the digits the number shows, not on its binary expansion.
    return Decimal::fromDouble(d).rounded(digits).toDouble();
}

// ---------------------------------------------------------------- operators

namespace {

enum Rank { rInteger = 1, rLong = 2, rDouble = 3, rCurrency = 4, rDecimal = 5 };

Rank rankOf(const Variant& v)
{
    switch (v.VarType()) {
    case vbEmpty:
    case vbBoolean:
    case vbInteger: return rInteger;
    case vbLong: return rLong;
    case vbDouble:
    case vbString:
    case vbDate: return rDouble;
    case vbCurrency: return rCurrency;
    case vbDecimal: return rDecimal;
    default: throw VbError(13);
    }
}

enum class Op { Add, Sub, Mul, Div };

Variant fromDouble(double d)
{
    if (!std::isfinite(d))
        throw VbError(6);
    return Variant(d);
}

Variant arithmetic(Op op, const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    if (a.IsObject() || b.IsObject() || a.IsArray() || b.IsArray())
        throw VbError(13);

    // Dates: a date plus or minus a number is a date, the difference of two
    // dates a number of days.
    const bool aDate = a.get<Date>() != nullptr;
    const bool bDate = b.get<Date>() != nullptr;
    if ((aDate || bDate) && (op == Op::Add || op == Op::Sub)) {
        const double r = op == Op::Add ? a.toDouble() + b.toDouble() : a.toDouble() - b.toDouble();
        if (op == Op::Sub && aDate && bDate)
            return fromDouble(r);
        return Variant(Date(r));
    }

    Rank rank = std::max(rankOf(a), rankOf(b));
    // A product ranks Currency below Double (a number text counts as a
    // Double): Currency x Double is a Double. Sums and differences keep
    // Currency above Double.
    if (op == Op::Mul && rank == rCurrency && std::min(rankOf(a), rankOf(b)) == rDouble)
        rank = rDouble;
    if (op == Op::Div) {
        if (rank >= rCurrency)
            return Variant(a.toDecimal() / b.toDecimal());
        const double den = b.toDouble();
        const double num = a.toDouble();
        if (den == 0)
            throw VbError(num == 0 ? 6 : 11);
        return fromDouble(num / den);
    }
    switch (rank) {
    case rInteger:
    case rLong: {
        const long long x = a.toLong();
        const long long y = b.toLong();
        const long long r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
        if (rank == rInteger && r >= std::numeric_limits<std::int16_t>::min()
            && r <= std::numeric_limits<std::int16_t>::max())
            return Variant(std::int16_t(r));
        if (r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max())
            return Variant(int(r));
        return Variant(double(r));  // a Long that overflows goes on as a Double
    }
    case rDouble: {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return fromDouble(op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y);
    }
    case rCurrency: {
        if (op == Op::Mul && a.get<Currency>() && b.get<Currency>())
            return Variant(*a.get<Currency>() * *b.get<Currency>());
        // Exact through Decimal, then rounded to four decimals.
        const Decimal x = a.toDecimal();
        const Decimal y = b.toDecimal();
        return Variant(Currency::fromDecimal(op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y));
    }
    default: {
        const Decimal x = a.toDecimal();
        const Decimal y = b.toDecimal();
        return Variant(op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y);
    }
    }
}

int sign(int c) { return c < 0 ? -1 : c > 0 ? 1 : 0; }

bool isNumberLike(const Variant& v)
{
    switch (v.VarType()) {
    case vbBoolean:
    case vbInteger:
    case vbLong:
    case vbDouble:
    case vbCurrency:
    case vbDecimal:
    case vbDate:
        return true;
    default:
        return false;
    }
}

int compareNumbers(const Variant& a, const Variant& b)
{
    const bool exact = (a.get<Currency>() || a.get<Decimal>() || b.get<Currency>() || b.get<Decimal>())
                       && !a.get<Date>() && !b.get<Date>();
    if (exact) {
        const auto c = a.toDecimal() <=> b.toDecimal();
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    const double x = a.toDouble();
    const double y = b.toDouble();
    return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace

Variant operator+(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    if ((a.IsString() || a.IsEmpty()) && (b.IsString() || b.IsEmpty()) && (a.IsString() || b.IsString()))
        return Variant(a.toString() + b.toString());
    return arithmetic(Op::Add, a, b);
}

Variant operator-(const Variant& a, const Variant& b) { return arithmetic(Op::Sub, a, b); }
Variant operator*(const Variant& a, const Variant& b) { return arithmetic(Op::Mul, a, b); }
Variant operator/(const Variant& a, const Variant& b) { return arithmetic(Op::Div, a, b); }

Variant Concat(const Variant& a, const Variant& b)
{
    if (a.IsNull() && b.IsNull())
        return Variant::Null();
    const QString x = a.IsNull() ? QString() : a.toString();
    const QString y = b.IsNull() ? QString() : b.toString();
    return Variant(x + y);
}

int Compare(const Variant& a, const Variant& b, bool textCompare)
{
    if (a.IsNull() || b.IsNull())
        return 2;
    if (a.IsObject() || b.IsObject() || a.IsArray() || b.IsArray())
        throw VbError(13);
    const bool aText = a.IsString();
    const bool bText = b.IsString();
    if ((aText || a.IsEmpty()) && (bText || b.IsEmpty()) && (aText || bText)) {
        const QString x = a.toString();
        const QString y = b.toString();
        return sign(QString::compare(x, y, textCompare ? Qt::CaseInsensitive : Qt::CaseSensitive));
    }
    if (aText != bText) {
        // A number against a text: numerically when the text reads as a
        // number, otherwise every number sorts before every text.
        const Variant& text = aText ? a : b;
        if (!text.IsNumeric())
            return aText ? 1 : -1;
        const Variant number(text.toDouble());
        return aText ? compareNumbers(number, b) : compareNumbers(a, number);
    }
    if ((isNumberLike(a) || a.IsEmpty()) && (isNumberLike(b) || b.IsEmpty()))
        return compareNumbers(a, b);
    throw VbError(13);
}

bool operator==(const Variant& a, const Variant& b)
{
    return Compare(a, b) == 0;
}

}  // namespace legacy
