#pragma once
// One column of a recordset, seen through the recordset's current row.
// A Field is a small handle: it stays valid while its recordset lives.
#include "platform/ado/constants.h"
#include "platform/legacy/variant.h"

#include <QString>

namespace ado {

class Recordset;

class Field {
public:
    Field(Recordset* owner, int index) : owner_(owner), index_(index) {}
    Field(const Field&) = default;
    // Assigning one field to another would only rebind the handle; write
    // `a = b.Value()` to copy the value.
    Field& operator=(const Field&) = delete;

    QString Name() const;
    int Type() const;          // DataTypeEnum code (adInteger, adVarChar, adNumeric, ...)
    int DefinedSize() const;   // characters for text, bytes for the rest
    int Precision() const;     // digits of numeric and decimal columns
    int NumericScale() const;  // decimals of numeric and decimal columns
    // The value at the current row (during AddNew or an edit: the edited
    // value). Error 3021 when there is no current row. Null for SQL NULL;
    // Boolean for bit columns; Currency for money, Decimal for numeric and
    // decimal columns (read from the text, never through double); Date for
    // date and date-time columns; Long for integers that fit, else Decimal.
    legacy::Variant Value() const;
    // Assigning Value: only on a recordset opened with lock type 2, 3 or 4
    // (error 3251 otherwise). Starts an edit of the current row when no
    // AddNew or edit is in progress; Update writes it back.
    void setValue(const legacy::Variant& v) const;
    // The value as read from the database, before any assignment.
    legacy::Variant OriginalValue() const;

    // rs->Fields("x") reads as its value where a Variant is expected.
    operator legacy::Variant() const { return Value(); }
    const Field& operator=(const legacy::Variant& v) const { setValue(v); return *this; }

    int index() const { return index_; }

private:
    Recordset* owner_;
    int index_;
};

// Recordset.Fields: Count, and Item by position (0-based) or by name without
// regard to letter case (the first of duplicate names wins; 3265 when none).
class FieldCollection {
public:
    explicit FieldCollection(Recordset* owner) : owner_(owner) {}
    int Count() const;
    Field Item(int index) const;
    Field Item(const QString& name) const;
    Field Item(const char* name) const { return Item(QString::fromUtf8(name)); }
    // A Variant key: a number is a position, anything else a name.
    Field Item(const legacy::Variant& key) const;
    template <class K>
    Field operator()(K&& key) const { return Item(std::forward<K>(key)); }

private:
    Recordset* owner_;
};

}  // namespace ado
