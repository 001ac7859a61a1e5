#pragma once
// The Recordset: client-side and fully read when opened (the program always
// opens with cursor location 3). Held by std::shared_ptr so that a
// legacy::Variant can hold it (TypeName "Recordset").
//
//   auto rs = std::make_shared<ado::Recordset>();
//   rs->Open("SELECT ...", cnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
//   while (!rs->Eof()) { QString n = rs->Fields("Nombre").Value().toString(); rs->MoveNext(); }
//   rs->Close();
//
// EOF is a macro of the C library, so the end and start tests are spelled
// Eof() and Bof().
#include "platform/ado/constants.h"
#include "platform/ado/field.h"
#include "platform/legacy/variant.h"

#include <QList>
#include <QString>

#include <memory>

namespace ado {

class Connection;
struct RecordsetData;

class Recordset : public legacy::Object {
public:
    Recordset();
    ~Recordset() override;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;
    QString TypeName() const override { return QStringLiteral("Recordset"); }

    // Runs `source` (SQL text, or a table name with adCmdTable) on the
    // connection and reads every row. Clears the connection's error list
    // first; a failure fills it and raises its first error. Error 3705 when
    // already open, 3709 when the connection is closed. Arguments left at -1
    // keep the recordset's CursorType and LockType properties.
    // With a lock type other than read-only (1) and a single-table SELECT the
    // rows can be changed with AddNew / Value / Update / Delete.
    void Open(const QString& source, const std::shared_ptr<Connection>& connection,
              int cursorType = adOpenUnspecified, int lockType = adLockUnspecified,
              int options = adCmdUnspecified);
    // Error 3704 when not open; 3219 while an AddNew or edit is pending
    // (CancelUpdate or Update first).
    void Close();
    int State() const;

    // After opening the first row is current; an empty result is both BOF
    // and EOF. Moving past either end raises 3021.
    bool Bof() const;
    bool Eof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void Move(int numRecords);
    int RecordCount() const;       // error 3704 when closed
    int AbsolutePosition() const;  // 1-based; -1 at BOF, -3 at EOF, -2 when empty

    // Up to `rows` rows (all when -1) from the current one, as
    // result[field][row] like the runtime's array(field, row); the current
    // row moves past the rows read. Error 3021 at EOF.
    QList<legacy::VariantList> GetRows(int rows = -1);

    FieldCollection Fields() { return FieldCollection(this); }
    Field Fields(int index) { return Fields().Item(index); }
    Field Fields(const QString& name) { return Fields().Item(name); }
    Field Fields(const char* name) { return Fields().Item(name); }
    Field Fields(const legacy::Variant& key) { return Fields().Item(key); }

    // Changing rows (lock type 2, 3 or 4 and a single-table SELECT; error
    // 3251 otherwise). Update writes the row back at once: an INSERT after
    // AddNew, an UPDATE of the assigned columns after an edit; Delete
    // deletes the current row at once (its fields then raise 3021; MoveNext
    // goes to the row after it). Moving to another row writes a pending edit.
    // Rows are found again by the table's row id on the embedded engine, by
    // the primary key (or, without one, all original values) on ODBC. A row
    // that is no longer there raises kErrRowNotFound.
    void AddNew();
    void Update();
    void CancelUpdate();
    void Delete(int affect = adAffectCurrent);
    int EditMode() const;  // EditModeEnum

    int CursorType() const;
    void setCursorType(int v);  // error 3705 while open
    int LockType() const;
    void setLockType(int v);    // error 3705 while open
    int CursorLocation() const;
    void setCursorLocation(int v);
    QString Source() const;
    std::shared_ptr<Connection> ActiveConnection() const;

    // An open, read-only recordset over rows already read (Connection::Execute
    // and OpenSchema); a closed one when `data` is null.
    static std::shared_ptr<Recordset> fromData(std::unique_ptr<RecordsetData> data,
                                               const std::shared_ptr<Connection>& connection);
    RecordsetData* data() const { return d_.get(); }

private:
    friend class Field;
    friend class FieldCollection;
    std::unique_ptr<RecordsetData> d_;
    int cursorType_ = adOpenForwardOnly;
    int lockType_ = adLockReadOnly;
    int cursorLocation_ = adUseClient;
};

using RecordsetPtr = std::shared_ptr<Recordset>;

}  // namespace ado
