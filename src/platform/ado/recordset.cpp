#include "platform/ado/recordset.h"

#include "platform/ado/connection.h"
#include "platform/ado/engine.h"
#include "platform/ado/sql_text.h"
#include "platform/legacy/vberror.h"

namespace ado {

namespace {

const QString kRecordsetSource = QStringLiteral("ADODB.Recordset");
const QString kFieldSource = QStringLiteral("ADODB.Field");

[[noreturn]] void raise(int number, const QString& source = kRecordsetSource) {
    throw legacy::VbError(number, legacy::VbError::defaultDescription(number), source);
}

constexpr int kRuntimeYearCutoff = 2029;

bool isDateType(int t) { return t == adDate || t == adDBDate || t == adDBTimeStamp; }

// A value assigned to a column, in the form the column keeps: texts given to
// date columns are read day first, as the program writes them. The client
// converts a field's value itself, so a two-digit year keeps the runtime's
// cutoff (00-29 are 2000-2029), not the server's.
legacy::Variant forColumn(const legacy::Variant& v, const ColumnInfo& c) {
    if (isDateType(c.type) && v.IsString()) {
        const QString t = v.toString().trimmed();
        if (t.isEmpty()) return legacy::Variant::Null();
        legacy::Date d;
        const QString iso = sql::dayFirstToIso(t, kRuntimeYearCutoff);
        if (!iso.isEmpty() && isoToDate(iso, d)) return d;
        if (isoToDate(t, d)) return d;
        return legacy::CDate(v);
    }
    if (c.type == adBoolean && !v.IsNull() && !v.IsEmpty()) return legacy::CBool(v);
    return v;
}

}  // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

std::shared_ptr<Recordset> Recordset::fromData(std::unique_ptr<RecordsetData> data,
                                               const std::shared_ptr<Connection>& connection) {
    auto rs = std::make_shared<Recordset>();
    if (data) {
        data->open = true;
        data->pos = 0;
        data->connection = connection;
        rs->d_ = std::move(data);
        rs->cursorType_ = adOpenStatic;
    }
    return rs;
}

void Recordset::Open(const QString& source, const std::shared_ptr<Connection>& connection, int cursorType, int lockType,
                     int options) {
    if (d_ && d_->open) raise(adErrObjectOpen);
    if (!connection) raise(adErrInvalidConnection);
    connection->Errors().Clear();
    if (connection->State() != adStateOpen || !connection->engine()) raise(adErrInvalidConnection);
    if (cursorType != adOpenUnspecified) cursorType_ = cursorType;
    if (lockType != adLockUnspecified) lockType_ = lockType;
    QString text = source;
    if (options == adCmdTable || options == adCmdTableDirect) text = QStringLiteral("SELECT * FROM ") + source;
    const bool wantsUpdates = lockType_ != adLockReadOnly;
    Engine::Result r;
    if (!connection->engine()->query(text, wantsUpdates, r, connection->Errors())) connection->raiseFirstError();
    d_ = std::move(r.rows);
    if (!d_) d_ = std::make_unique<RecordsetData>();
    d_->open = true;
    d_->pos = 0;
    d_->updatable = wantsUpdates && !d_->table.isEmpty();
    d_->source = source;
    d_->connection = connection;
    if (d_->updatable && d_->rowids.empty()) {
        // rows are found again by their primary key when the recordset holds it
        const QStringList keys = connection->engine()->primaryKey(d_->table);
        for (const QString& k : keys) {
            int found = -1;
            for (size_t c = 0; c < d_->columns.size(); ++c)
                if (d_->columns[c].name.compare(k, Qt::CaseInsensitive) == 0) { found = int(c); break; }
            if (found < 0) { d_->keyColumns.clear(); break; }
            d_->keyColumns.push_back(found);
        }
    }
}

void Recordset::Close() {
    if (!d_ || !d_->open) raise(adErrObjectClosed);
    if (d_->editMode != adEditNone) raise(adErrIllegalOperation);
    d_.reset();
}

int Recordset::State() const { return d_ && d_->open ? adStateOpen : adStateClosed; }

static RecordsetData& openData(const std::unique_ptr<RecordsetData>& d) {
    if (!d || !d->open) raise(adErrObjectClosed);
    return *d;
}

bool Recordset::Bof() const {
    const RecordsetData& d = openData(d_);
    return d.rows.empty() || d.pos < 0;
}

bool Recordset::Eof() const {
    const RecordsetData& d = openData(d_);
    return d.rows.empty() || d.pos >= (long long)d.rows.size();
}

void Recordset::MoveFirst() {
    RecordsetData& d = openData(d_);
    if (d.editMode != adEditNone) Update();
    d.pos = 0;
    d.justDeleted = false;
}

void Recordset::MoveLast() {
    RecordsetData& d = openData(d_);
    if (d.editMode != adEditNone) Update();
    d.pos = d.rows.empty() ? 0 : (long long)d.rows.size() - 1;
    d.justDeleted = false;
}

void Recordset::MoveNext() {
    RecordsetData& d = openData(d_);
    if (d.editMode != adEditNone) Update();
    if (d.justDeleted) {
        // the row after the deleted one is already in place
        d.justDeleted = false;
        return;
    }
    if (Eof()) raise(adErrNoCurrentRecord);
    ++d.pos;
}

void Recordset::MovePrevious() {
    RecordsetData& d = openData(d_);
    if (d.editMode != adEditNone) Update();
    d.justDeleted = false;
    if (Bof()) raise(adErrNoCurrentRecord);
    --d.pos;
}

void Recordset::Move(int n) {
    RecordsetData& d = openData(d_);
    if (d.editMode != adEditNone) Update();
    d.justDeleted = false;
    if (n == 0) return;
    if ((n > 0 && Eof()) || (n < 0 && Bof())) raise(adErrNoCurrentRecord);
    d.pos = qBound<long long>(-1, d.pos + n, (long long)d.rows.size());
}

int Recordset::RecordCount() const { return int(openData(d_).rows.size()); }

int Recordset::AbsolutePosition() const {
    const RecordsetData& d = openData(d_);
    if (d.rows.empty()) return -2;
    if (d.pos < 0) return -1;
    if (d.pos >= (long long)d.rows.size()) return -3;
    return int(d.pos + 1);
}

QList<legacy::VariantList> Recordset::GetRows(int rows) {
    RecordsetData& d = openData(d_);
    if (d.editMode != adEditNone) Update();
    if (Eof() || Bof()) raise(adErrNoCurrentRecord);
    d.justDeleted = false;
    QList<legacy::VariantList> out(qsizetype(d.columns.size()));
    const long long end = rows < 0 ? (long long)d.rows.size() : qMin<long long>(d.rows.size(), d.pos + rows);
    for (; d.pos < end; ++d.pos)
        for (size_t c = 0; c < d.columns.size(); ++c) out[qsizetype(c)].append(d.rows[size_t(d.pos)][c]);
    return out;
}

int Recordset::EditMode() const { return openData(d_).editMode; }

int Recordset::CursorType() const { return cursorType_; }
void Recordset::setCursorType(int v) {
    if (d_ && d_->open) raise(adErrObjectOpen);
    cursorType_ = v;
}
int Recordset::LockType() const { return lockType_; }
void Recordset::setLockType(int v) {
    if (d_ && d_->open) raise(adErrObjectOpen);
    lockType_ = v;
}
int Recordset::CursorLocation() const { return cursorLocation_; }
void Recordset::setCursorLocation(int v) {
    if (d_ && d_->open) raise(adErrObjectOpen);
    cursorLocation_ = v;
}
QString Recordset::Source() const { return d_ ? d_->source : QString(); }
std::shared_ptr<Connection> Recordset::ActiveConnection() const { return d_ ? d_->connection : nullptr; }

// ---------------------------------------------------------------------------
// Changing rows

static void requireUpdatable(RecordsetData& d) {
    if (!d.updatable) raise(adErrFeatureNotAvailable);
    if (!d.connection || !d.connection->engine()) raise(adErrInvalidConnection);
}

void Recordset::AddNew() {
    RecordsetData& d = openData(d_);
    requireUpdatable(d);
    if (d.editMode != adEditNone) Update();
    d.posBeforeAdd = d.pos;
    d.editMode = adEditAdd;
    d.edit.assign(d.columns.size(), legacy::Variant::Null());
    d.changed.assign(d.columns.size(), false);
}

void Recordset::CancelUpdate() {
    RecordsetData& d = openData(d_);
    if (d.editMode == adEditAdd) d.pos = d.posBeforeAdd;
    d.editMode = adEditNone;
    d.edit.clear();
    d.changed.clear();
}

// The WHERE clause that finds the current row again, and its parameters:
// the engine's own.
static QString rowCondition(const RecordsetData& d, Engine& engine, Params& params) {
    return engine.rowCondition(d, size_t(d.pos), params);
}

void Recordset::Update() {
    RecordsetData& d = openData(d_);
    if (d.editMode == adEditNone) return;
    requireUpdatable(d);
    Connection& cnn = *d.connection;
    Engine& engine = *cnn.engine();
    cnn.Errors().Clear();
    Params params;
    QString sqlText;
    const bool adding = d.editMode == adEditAdd;
    if (adding) {
        QStringList names, marks;
        for (size_t c = 0; c < d.columns.size(); ++c) {
            if (!d.changed[c]) continue;
            names << quoteName(d.columns[c].name);
            marks << QStringLiteral("?");
            params.push_back(d.edit[c]);
        }
        sqlText = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(d.table))
                                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                        .arg(quoteName(d.table), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    } else {
        QStringList sets;
        for (size_t c = 0; c < d.columns.size(); ++c) {
            if (!d.changed[c]) continue;
            sets << quoteName(d.columns[c].name) + QStringLiteral(" = ?");
            params.push_back(d.edit[c]);
        }
        if (sets.isEmpty()) {
            CancelUpdate();
            return;
        }
        sqlText = QStringLiteral("UPDATE %1 SET %2").arg(quoteName(d.table), sets.join(QStringLiteral(", ")));
        sqlText += rowCondition(d, engine, params);
    }
    int affected = 0;
    qint64 rowid = -1;
    if (!engine.run(sqlText, params, affected, &rowid, cnn.Errors())) cnn.raiseFirstError();
    if (affected == 0) {
        Error e = makeError(Failure::Generic,
                            QStringLiteral("No se encuentra la fila para actualizar: algunos valores cambiaron desde la última lectura."),
                            kRecordsetSource);
        e.Number = kErrRowNotFound;
        cnn.Errors().add(e);
        cnn.raiseFirstError();
    }
    if (adding) {
        d.rows.push_back(d.edit);
        if (engine.hasRowids() && d.rowids.size() == d.rows.size() - 1) d.rowids.push_back(rowid);
        d.pos = (long long)d.rows.size() - 1;
    } else {
        d.rows[size_t(d.pos)] = d.edit;
    }
    d.editMode = adEditNone;
    d.edit.clear();
    d.changed.clear();
    d.justDeleted = false;
}

void Recordset::Delete(int affect) {
    RecordsetData& d = openData(d_);
    requireUpdatable(d);
    if (affect != adAffectCurrent) raise(adErrFeatureNotAvailable);
    if (d.editMode == adEditAdd) {
        CancelUpdate();
        return;
    }
    if (d.justDeleted || Eof() || Bof()) raise(adErrNoCurrentRecord);
    d.editMode = adEditNone;
    Connection& cnn = *d.connection;
    Engine& engine = *cnn.engine();
    cnn.Errors().Clear();
    Params params;
    const QString sqlText = QStringLiteral("DELETE FROM ") + quoteName(d.table) + rowCondition(d, engine, params);
    int affected = 0;
    if (!engine.run(sqlText, params, affected, nullptr, cnn.Errors())) cnn.raiseFirstError();
    if (affected == 0) {
        Error e = makeError(Failure::Generic, QStringLiteral("No se encuentra la fila para eliminar."), kRecordsetSource);
        e.Number = kErrRowNotFound;
        cnn.Errors().add(e);
        cnn.raiseFirstError();
    }
    d.rows.erase(d.rows.begin() + d.pos);
    if (size_t(d.pos) < d.rowids.size()) d.rowids.erase(d.rowids.begin() + d.pos);
    d.justDeleted = true;
}

// ---------------------------------------------------------------------------
// Fields

static const ColumnInfo& columnOf(Recordset* rs, int index) {
    RecordsetData* d = rs->data();
    if (!d || !d->open) raise(adErrObjectClosed, kFieldSource);
    if (index < 0 || size_t(index) >= d->columns.size()) raise(adErrItemNotFound, kFieldSource);
    return d->columns[size_t(index)];
}

QString Field::Name() const { return columnOf(owner_, index_).name; }
int Field::Type() const { return columnOf(owner_, index_).type; }
int Field::DefinedSize() const { return columnOf(owner_, index_).definedSize; }
int Field::Precision() const { return columnOf(owner_, index_).precision; }
int Field::NumericScale() const { return columnOf(owner_, index_).scale; }

legacy::Variant Field::Value() const {
    columnOf(owner_, index_);
    RecordsetData& d = *owner_->data();
    const size_t c = size_t(index_);
    if (d.editMode == adEditAdd || (d.editMode == adEditInProgress && d.changed[c])) return d.edit[c];
    if (d.justDeleted || d.rows.empty() || d.pos < 0 || d.pos >= (long long)d.rows.size())
        raise(adErrNoCurrentRecord, kFieldSource);
    return d.rows[size_t(d.pos)][c];
}

legacy::Variant Field::OriginalValue() const {
    columnOf(owner_, index_);
    RecordsetData& d = *owner_->data();
    if (d.editMode == adEditAdd) return legacy::Variant::Null();
    if (d.justDeleted || d.rows.empty() || d.pos < 0 || d.pos >= (long long)d.rows.size())
        raise(adErrNoCurrentRecord, kFieldSource);
    return d.rows[size_t(d.pos)][size_t(index_)];
}

void Field::setValue(const legacy::Variant& v) const {
    const ColumnInfo& col = columnOf(owner_, index_);
    RecordsetData& d = *owner_->data();
    if (!d.updatable) raise(adErrFeatureNotAvailable, kFieldSource);
    if (d.editMode == adEditNone) {
        if (d.justDeleted || d.rows.empty() || d.pos < 0 || d.pos >= (long long)d.rows.size())
            raise(adErrNoCurrentRecord, kFieldSource);
        d.edit = d.rows[size_t(d.pos)];
        d.changed.assign(d.columns.size(), false);
        d.editMode = adEditInProgress;
    }
    d.edit[size_t(index_)] = forColumn(v, col);
    d.changed[size_t(index_)] = true;
}

int FieldCollection::Count() const {
    RecordsetData* d = owner_->data();
    return d && d->open ? int(d->columns.size()) : 0;
}

Field FieldCollection::Item(int index) const {
    columnOf(owner_, index);
    return Field(owner_, index);
}

Field FieldCollection::Item(const QString& name) const {
    RecordsetData* d = owner_->data();
    if (!d || !d->open) raise(adErrObjectClosed, kFieldSource);
    const QString n = name.trimmed();
    for (size_t i = 0; i < d->columns.size(); ++i)
        if (d->columns[i].name.compare(n, Qt::CaseInsensitive) == 0) return Field(owner_, int(i));
    raise(adErrItemNotFound, kFieldSource);
}

Field FieldCollection::Item(const legacy::Variant& key) const {
    if (key.IsString()) return Item(key.toString());
    if (key.IsNull() || key.IsEmpty() || key.IsObject()) raise(adErrItemNotFound, kFieldSource);
    return Item(int(key.toLong()));
}

}  // namespace ado
