#pragma once
// The runtime's Variant: Empty, Null, Boolean (-1 / 0), Integer (16-bit),
// Long (32-bit), Double, Currency, Decimal, Date, String, object references
// and one-dimensional arrays. Conversions follow the old runtime: integer
// conversions round halves to even and raise error 6 on overflow, Null in a
// conversion raises error 94, text is read through the regional profile.
#include "platform/legacy/date.h"
#include "platform/legacy/numeric.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <variant>

namespace legacy {

enum VbVarType : int {
    vbEmpty = 0,
    vbNull = 1,
    vbInteger = 2,
    vbLong = 3,
    vbSingle = 4,
    vbDouble = 5,
    vbCurrency = 6,
    vbDate = 7,
    vbString = 8,
    vbObject = 9,
    vbError = 10,
    vbBoolean = 11,
    vbVariant = 12,
    vbDecimal = 14,
    vbByte = 17,
    vbArray = 8192,
};

// Anything a Variant can refer to as an object: containers (a dictionary,
// a collection), recordsets, fields, windows. TypeName() is what the
// runtime's TypeName reports ("Dictionary", "Collection", "Recordset", ...).
class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object();
    virtual QString TypeName() const = 0;
};
using ObjectRef = std::shared_ptr<Object>;

class Variant;
using VariantList = QList<Variant>;

class Variant {
public:
    struct EmptyTag {};
    struct NullTag {};
    struct Array {
        VariantList items;
        int lowerBound = 0;
    };

    Variant() = default;  // Empty
    static Variant Null() { Variant v; v.data_ = NullTag{}; return v; }

    Variant(bool b) : data_(b) {}
    Variant(std::int16_t i) : data_(i) {}
    Variant(int i) : data_(std::int32_t(i)) {}           // Long
    Variant(long long i);                                  // Long when it fits, else Decimal
    Variant(long i) : Variant((long long)i) {}             // qsizetype and the like
    Variant(unsigned int i) : Variant((long long)i) {}
    Variant(unsigned long i) : Variant((long long)i) {}    // size_t
    Variant(double d) : data_(d) {}
    Variant(Currency c) : data_(c) {}
    Variant(const Decimal& d) : data_(d) {}
    Variant(Date d) : data_(d) {}
    Variant(const QString& s) : data_(s) {}
    Variant(QString&& s) : data_(std::move(s)) {}
    Variant(const char* utf8) : data_(QString::fromUtf8(utf8)) {}
    Variant(QLatin1StringView s) : data_(QString(s)) {}
    Variant(ObjectRef o) : data_(std::move(o)) {}
    template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
    Variant(std::shared_ptr<T> o) : data_(ObjectRef(std::move(o))) {}
    static Variant fromArray(VariantList items, int lowerBound = 0);

    VbVarType VarType() const;  // vbArray | vbVariant for arrays
    QString TypeName() const;   // "Empty", "Null", "Integer", ..., the object's own name
    bool IsEmpty() const { return std::holds_alternative<EmptyTag>(data_); }
    bool IsNull() const { return std::holds_alternative<NullTag>(data_); }
    bool IsObject() const { return std::holds_alternative<ObjectRef>(data_); }
    bool IsArray() const { return std::holds_alternative<std::shared_ptr<Array>>(data_); }
    bool IsString() const { return std::holds_alternative<QString>(data_); }
    // Numeric types, Empty, and text that reads as a number.
    bool IsNumeric() const;

    // CBool, CInt, CLng, CDbl, CCur, CDec, CDate, CStr.
    bool toBool() const;
    std::int16_t toInteger() const;
    std::int32_t toLong() const;
    double toDouble() const;
    Currency toCurrency() const;
    Decimal toDecimal() const;
    Date toDate() const;
    QString toString() const;
    ObjectRef toObject() const;  // error 424 when not an object (Nothing gives null)
    template <class T>
    std::shared_ptr<T> as() const { return std::dynamic_pointer_cast<T>(toObject()); }

    // Arrays: error 13 when not an array.
    const Array& array() const;
    Array& array();

    // Direct access without conversion (nullptr when of another type).
    template <class T>
    const T* get() const { return std::get_if<T>(&data_); }

private:
    using Data = std::variant<EmptyTag, NullTag, bool, std::int16_t, std::int32_t, double, Currency,
                              Decimal, Date, QString, ObjectRef, std::shared_ptr<Array>>;
    Data data_;
};

// The runtime's conversion and test functions.
bool CBool(const Variant& v);
std::int16_t CInt(const Variant& v);
std::int32_t CLng(const Variant& v);
double CDbl(const Variant& v);
Currency CCur(const Variant& v);
Decimal CDec(const Variant& v);
Date CDate(const Variant& v);
QString CStr(const Variant& v);
// Leading number of a text, "." as decimal point, the rest ignored; 0 when none.
// Also reads "&H" and "&O" prefixes.
double Val(const QString& text);
bool IsNull(const Variant& v);
bool IsEmpty(const Variant& v);
bool IsNumeric(const Variant& v);
bool IsDate(const Variant& v);
bool IsObject(const Variant& v);
VbVarType VarType(const Variant& v);
// A number type: Integer, Long, Single, Double, Currency, Decimal or Byte
// (not Boolean, Date or text that reads as a number).
bool IsNumberType(VbVarType type);
QString TypeName(const Variant& v);
// Fix and Int of a number; Round with banker's rounding.
double Fix(double d);
double Int(double d);
double Round(double d, int digits = 0);

// Operators with the runtime's rules: Null propagates through arithmetic,
// Empty counts as 0 or "", the result takes the wider type (Integer, Long,
// Currency, Decimal, Double; overflow widens Integer and Long as the runtime
// does), "+" of two texts concatenates.
Variant operator+(const Variant& a, const Variant& b);
Variant operator-(const Variant& a, const Variant& b);
Variant operator*(const Variant& a, const Variant& b);
Variant operator/(const Variant& a, const Variant& b);
// "&": both sides as text, Null as "".
Variant Concat(const Variant& a, const Variant& b);

// Comparison as the "=" and "<" of the runtime: numbers numerically, texts
// binary or (textCompare) without regard to letter case, a number against a
// text that reads as a number numerically. Returns -1, 0, 1; error 94 never
// (callers test Null first): Null compares as unequal to everything (2).
int Compare(const Variant& a, const Variant& b, bool textCompare = false);
bool operator==(const Variant& a, const Variant& b);

}  // namespace legacy
