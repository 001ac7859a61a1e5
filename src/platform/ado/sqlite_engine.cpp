// The embedded engine: a SQLite database file, the server's dialect
// rewritten statement by statement (sql_text.cpp). Here: opening a file, and
// running statements and batches and reading the rows they give; the
// connection's transactions, its schema and its shared prepared statements
// have their own files (see sqlite_engine_private.h).
#include "platform/ado/sqlite_engine_private.h"

#include "platform/ado/sqlite_support.h"

#include <QFileInfo>

namespace ado {

namespace embedded {

// A statement's text as the library is handed it, with its length. The
// library's reader ends a statement at a NUL character whatever length it is
// given, so a NUL inside a text literal (a typed text may hold one) goes in
// as char(0) joined to the rest of the literal.
QByteArray engineText(const QString& statement) {
    const QChar nul(0);
    if (!statement.contains(nul)) return statement.toUtf8();
    QString out;
    out.reserve(statement.size() + 32);
    qsizetype copied = 0;
    sql::Lexer lexer(statement);
    sql::Lexeme l;
    while (lexer.next(l)) {
        if (l.kind != sql::TokKind::String) continue;
        QStringView literal = QStringView(statement).mid(l.pos, l.len);
        if (!literal.contains(nul)) continue;
        out += QStringView(statement).mid(copied, l.pos - copied);
        if (literal.startsWith(u'N') || literal.startsWith(u'n')) literal = literal.mid(1);
        out += u'(';
        for (const QChar c : literal) {
            if (c == nul) out += QLatin1String("'||char(0)||'");
            else out += c;
        }
        out += u')';
        copied = l.pos + l.len;
    }
    out += QStringView(statement).mid(copied);
    return out.toUtf8();
}
namespace {

// A fixed-length text as the server gives it, filled with blanks to its
// length: a text of plain ASCII (codes, the common case) made in one go,
// without growing it afterwards.
QString paddedText(sqlite3_stmt* st, int i, int length) {
    const auto* p = static_cast<const unsigned char*>(sqlite3_column_text(st, i));
    const int n = sqlite3_column_bytes(st, i);
    bool ascii = p && n < length;
    for (int k = 0; k < n && ascii; ++k) ascii = p[k] < 0x80;
    if (!ascii) {
        QString t = textOf(st, i);
        if (t.size() < length) t.resize(length, u' ');
        return t;
    }
    QString t(length, Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(t.data());
    for (int k = 0; k < n; ++k) d[k] = p[k];
    for (int k = n; k < length; ++k) d[k] = u' ';
    return t;
}

// One value of the current row, as the column's type asks.
legacy::Variant readValue(sqlite3_stmt* st, int i, ColumnInfo& c) {
    const int storage = sqlite3_column_type(st, i);
    if (storage == SQLITE_NULL) return legacy::Variant::Null();
    switch (c.type) {
    case adBoolean:
        if (storage == SQLITE_TEXT) {
            const QString t = textOf(st, i).trimmed();
            return t.compare(u"true", Qt::CaseInsensitive) == 0 || (t.toLongLong() != 0);
        }
        return sqlite3_column_int64(st, i) != 0;
    case adInteger:
    case adSmallInt:
    case adUnsignedTinyInt:
    case adBigInt:
        if (storage == SQLITE_INTEGER) return legacy::Variant((long long)sqlite3_column_int64(st, i));
        if (storage == SQLITE_FLOAT) return legacy::Variant((long long)sqlite3_column_double(st, i));
        return textOf(st, i);
    case adCurrency:
    case adNumeric: {
        // read from the text, never through double
        if (storage == SQLITE_INTEGER && c.type == adNumeric && c.scale == 0)
            return legacy::Variant(legacy::Decimal((long long)sqlite3_column_int64(st, i)));
        const QString t = textOf(st, i).trimmed();
        if (c.type == adCurrency) {
            if (auto v = legacy::Currency::parse(t)) return *v;
            if (auto d = legacy::Decimal::parse(t)) return legacy::Currency::fromDecimal(*d);
        } else if (auto d = legacy::Decimal::parse(t)) {
            return *d;
        }
        return t;
    }
    case adDouble:
    case adSingle:
        if (storage == SQLITE_TEXT) return textOf(st, i);
        return sqlite3_column_double(st, i);
    case adDBTimeStamp:
    case adDBDate:
    case adDate: {
        if (storage != SQLITE_TEXT) return sqlite3_column_double(st, i);
        const QString t = textOf(st, i);
        legacy::Date d;
        if (isoToDate(t, d)) return d;
        return t;
    }
    case adEmpty:
        return legacy::Variant::Null();  // an expression: see ExpressionColumns
    case adChar:
    case adWChar: {
        // a fixed-length text comes back filled with blanks to its length
        if (storage == SQLITE_TEXT) return paddedText(st, i, c.definedSize);
        QString t = storage == SQLITE_INTEGER ? QString::number(sqlite3_column_int64(st, i)) : textOf(st, i);
        if (t.size() < c.definedSize) t.resize(c.definedSize, u' ');
        return t;
    }
    default:
        if (storage == SQLITE_INTEGER && c.type == adVarChar) return QString::number(sqlite3_column_int64(st, i));
        return textOf(st, i);
    }
}

// The result columns without a declared type (ISNULL(...), SUM(...), CASE,
// a sub-query) take one type for all their rows, as on the server, decided
// from all of them once they are read: never from the first row alone, so
// that a whole first value does not cut the fractions of the rows after it.
class ExpressionColumns {
public:
    // The expression columns among `columns`.
    explicit ExpressionColumns(const std::vector<ColumnInfo>& columns) {
        for (size_t i = 0; i < columns.size(); ++i)
            if (columns[i].type == adEmpty) seen_.push_back({int(i), 0});
    }
    bool any() const { return !seen_.empty(); }

    // Reads the values of the expression columns of the current row as the
    // library holds them: whole numbers, other numbers (exact from the
    // library's 15-digit text: 0.1 + 0.2 reads 0.3) and texts.
    void read(sqlite3_stmt* st, Row& row) {
        for (auto& [i, kinds] : seen_) {
            legacy::Variant& v = row[size_t(i)];
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER:
                kinds |= kWhole;
                v = legacy::Variant((long long)sqlite3_column_int64(st, i));
                break;
            case SQLITE_FLOAT:
                kinds |= kFraction;
                if (auto d = legacy::Decimal::parse(textOf(st, i))) v = *d;
                else v = sqlite3_column_double(st, i);
                break;
            case SQLITE_NULL:
                break;
            default:
                kinds |= kText;
                v = textOf(st, i);
                break;
            }
        }
    }

    // Gives each expression column its type and its values that type.
    void decide(RecordsetData& d) const {
        for (const auto& [i, kinds] : seen_) decide(d, size_t(i), kinds);
    }

private:
    enum : unsigned char { kWhole = 1, kFraction = 2, kText = 4 };

    static void decide(RecordsetData& d, size_t i, unsigned char kinds) {
        ColumnInfo& c = d.columns[i];
        const auto each = [&](auto&& f) {
            for (Row& r : d.rows)
                if (!r[i].IsNull()) f(r[i]);
        };
        if (kinds & kText) {
            // texts, or dates when every value is a date's text
            bool dates = kinds == kText;
            int longest = 0;
            each([&](legacy::Variant& v) {
                legacy::Date date;
                if (auto x = v.get<legacy::Decimal>()) v = x->toString();  // the number as written, never regional
                else if (!v.IsString()) v = v.toString();
                const QString& t = *v.get<QString>();
                longest = qMax(longest, int(t.size()));
                if (dates && !isoToDate(t, date)) dates = false;
            });
            if (dates) {
                c.type = adDBTimeStamp;
                c.definedSize = 16;
                each([](legacy::Variant& v) {
                    legacy::Date date;
                    isoToDate(*v.get<QString>(), date);
                    v = date;
                });
            } else {
                c.type = adVarChar;
                c.definedSize = qMax(255, longest);
            }
        } else if (kinds & kFraction) {
            // numbers with fractions: exact numbers, the whole ones too
            c.type = adNumeric;
            c.definedSize = 19;
            c.precision = 28;
            each([&](legacy::Variant& v) {
                if (!v.get<legacy::Decimal>() && !v.get<double>()) v = v.toDecimal();
                if (auto x = v.get<legacy::Decimal>()) c.scale = qMax(c.scale, x->scale());
            });
        } else if (kinds & kWhole) {
            c.type = adInteger;
            c.definedSize = 4;
        } else {
            c.type = adVarChar;  // no value but NULL
            c.definedSize = 255;
        }
    }

    std::vector<std::pair<int, unsigned char>> seen_;  // column, the kinds of value it had
};

}  // namespace

SqliteEngine::~SqliteEngine() {
    for (auto* st : stmts_) sqlite3_finalize(st);
    clearShapes();
    sqlite3_finalize(begin_);
    sqlite3_finalize(commit_);
    schema_.reset();
    sqlite3_close_v2(db_);
}

QString SqliteEngine::rowCondition(const RecordsetData& d, size_t row, Params& params) const {
    if (row < d.rowids.size() && d.rowids[row] >= 0) {
        params.push_back(legacy::Variant((long long)d.rowids[row]));
        return QStringLiteral(" WHERE rowid = ?");
    }
    return Engine::rowCondition(d, row, params);
}

// A file moved away or deleted while the connection holds it open still
// answers reads from what the connection holds, and refuses every write: the
// database is gone from where it was opened, as a server whose link broke.
// Every call looks first (one look at the path), so the caller reconnects,
// and a file put back at the path is opened again by the next connection.
bool SqliteEngine::atItsPath(ErrorCollection& errors) {
    int moved = 0;
    if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || !moved) return true;
    errors.add(makeError(Failure::LinkLost,
                         QStringLiteral("Se perdió el archivo de la base de datos: '%1' ya no está en su lugar.").arg(path_),
                         kSource));
    return false;
}

bool SqliteEngine::execute(const QString& text, Result& result, ErrorCollection& errors) {
    const BusyWait::Statement statement(*busy_);
    if (!atItsPath(errors)) return false;
    if (parked_ && endsParked(text)) {
        dropParked();
        return true;
    }
    const ParkedRead read(*this, text, true);
    if (parked_ && !resume(errors)) return false;
    return journaled({Step::Execute, text}, [&] { return executeNow(text, result, errors); }, &result);
}

bool SqliteEngine::query(const QString& text, bool updatable, Result& result, ErrorCollection& errors) {
    const BusyWait::Statement statement(*busy_);
    if (!atItsPath(errors)) return false;
    const ParkedRead read(*this, text, false);
    if (parked_ && !resume(errors)) return false;
    Step s{Step::Query, text};
    s.updatable = updatable;
    return journaled(std::move(s), [&] { return queryNow(text, updatable, result, errors); }, &result);
}

bool SqliteEngine::run(const QString& text, const Params& params, int& affected, qint64* lastRowid, ErrorCollection& errors) {
    const BusyWait::Statement statement(*busy_);
    if (!atItsPath(errors)) return false;
    if (parked_ && !resume(errors)) return false;
    Step s{Step::Run, text};
    s.params = params;
    qint64 rowid = 0;
    const bool ok = journaled(std::move(s), [&] { return runNow(text, params, affected, &rowid, errors); }, nullptr,
                              &affected, sql::statementKind(text) == sql::StmtKind::Insert ? &rowid : nullptr);
    if (lastRowid) *lastRowid = rowid;
    return ok;
}

bool SqliteEngine::executeNow(const QString& text, Result& result, ErrorCollection& errors) {
    const bool wasAutocommit = sqlite3_get_autocommit(db_) != 0;
    startClock();
    checkSchema();
    int skipped = 0;  // depth of IF blocks whose condition did not hold
    // One statement of the batch (its tokens when the splitter has them);
    // false when it failed.
    const auto run = [&](const QString& statement, const std::vector<sql::Lexeme>* tokens) {
        bool ran = true;
        if (skipped == 0) {
            const std::optional<sql::Parameterised> p = sql::parameterise(statement, tokens);
            if (p && shaped(statement, *p, result, errors, ran)) return ran;
        }
        const sql::Rewritten rw = rewrite(statement);
        if (rw.kind == sql::StmtKind::BlockEnd) {
            if (skipped > 0) --skipped;
            return true;
        }
        if (skipped > 0) {
            if (rw.kind == sql::StmtKind::BlockBegin) ++skipped;
            return true;
        }
        if (rw.kind != sql::StmtKind::BlockBegin) return runRewritten(rw, result, errors);
        bool holds = true;
        if (!guardHolds(rw.guard, holds, errors)) return false;
        if (!holds) skipped = 1;
        return true;
    };
    // A transaction the batch opened is not left half done, whether a
    // statement failed or a value could not be read.
    const auto unwind = [&] {
        if (wasAutocommit && parked_) dropParked();
        if (wasAutocommit && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        if (sqlite3_get_autocommit(db_) && !parked_) {
            level_ = 0;
            guarded_.clear();
        }
    };
    bool ok = false;
    try {
        ok = sql::isSingleStatement(text)
                 ? run(text.trimmed(), nullptr)
                 : sql::splitBatch(text, [&](sql::Statement& s) { return run(s.text, &s.tokens); });
    } catch (...) {
        unwind();
        throw;
    }
    if (!ok) unwind();
    return ok;
}

bool SqliteEngine::queryNow(const QString& text, bool updatable, Result& result, ErrorCollection& errors) {
    startClock();
    if (!updatable) {
        const bool select = sql::statementKind(text) == sql::StmtKind::Select;
        const std::optional<sql::Parameterised> p = sql::parameterise(text);
        if (select && sqlite3_get_autocommit(db_)) {
            // A SELECT whose shape is prepared runs at once, in the one
            // read of the file it needs. Had the schema changed since,
            // the library prepared it again by itself: then the schema
            // is looked at and the query made again the long way.
            ErrorCollection attempt;
            Result r;
            bool ran = true;
            reprepared_ = false;
            if (p && shaped(text, *p, r, attempt, ran, true) && !reprepared_) {
                for (const Error& e : attempt) errors.add(e);
                result = std::move(r);
                if (ran && !result.rows) result.rows = std::make_unique<RecordsetData>();
                return ran;
            }
        }
        // Outside a transaction the look at the schema and the rows would
        // each lock and free the file: a SELECT does both in one read.
        const bool oneRead = select && sqlite3_get_autocommit(db_) && step(begin_, "BEGIN");
        // the read ends however the rows were read (a value that cannot
        // be read raises on the way)
        const auto endRead = [&] {
            if (!oneRead) return;
            step(commit_, "COMMIT");
            versionReadInTransaction_ = false;
        };
        bool ran = true;
        bool wasShaped = false;
        try {
            checkSchema();
            wasShaped = p && shaped(text, *p, result, errors, ran);
        } catch (...) {
            endRead();
            throw;
        }
        endRead();
        if (wasShaped) {
            if (ran && !result.rows) result.rows = std::make_unique<RecordsetData>();
            return ran;
        }
    } else {
        checkSchema();
    }
    const sql::Rewritten rw = rewrite(text);
    if (updatable && rw.kind == sql::StmtKind::Select && rw.guard.isEmpty()) {
        const auto [table, withIdSql] = rowidForm(rw.sql);
        if (!table.isEmpty()) {
            sql::Rewritten withId = rw;
            withId.sql = withIdSql;
            for (auto& c : withId.columnTypes) ++c.first;  // the row id comes first
            ErrorCollection probe;
            if (prepare(withId.sql, probe)) {
                if (!runRewritten(withId, result, errors)) return false;
                if (result.rows) takeRowids(*result.rows);
                if (result.rows) result.rows->table = table;
                return true;
            }
        }
    }
    if (!runRewritten(rw, result, errors)) return false;
    if (!result.rows) result.rows = std::make_unique<RecordsetData>();
    return true;
}

bool SqliteEngine::runNow(const QString& text, const Params& params, int& affected, qint64* lastRowid, ErrorCollection& errors) {
    startClock();
    checkSchema();
    guardLengths(text);
    sqlite3_stmt* st = prepare(text, errors);
    if (!st) return false;
    for (size_t i = 0; i < params.size(); ++i) bind(st, int(i) + 1, params[i]);
    const int rc = sqlite3_step(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        addError(errors, rc);
        sqlite3_reset(st);
        return false;
    }
    sqlite3_reset(st);
    affected = sqlite3_changes(db_);
    if (lastRowid) *lastRowid = sqlite3_last_insert_rowid(db_);
    return true;
}

bool SqliteEngine::setDefaultDatabase(const QString& name, ErrorCollection& errors) {
    const QString n = name.trimmed();
    if (n.compare(name_, Qt::CaseInsensitive) == 0 || QFileInfo(n).absoluteFilePath() == QFileInfo(path_).absoluteFilePath())
        return true;
    errors.add(makeError(Failure::MissingDatabase,
                         QStringLiteral("No se puede abrir la base de datos \"%1\": la conexión usa el archivo \"%2\".")
                             .arg(n, path_),
                         kSource));
    return false;
}

void SqliteEngine::setCommandTimeout(int seconds) {
    timeoutMs_ = qint64(seconds) * 1000;
    busy_->limitMs = seconds > 0 ? qint64(seconds) * 1000 : 60000;
}

bool SqliteEngine::setIsolationLevel(int level, ErrorCollection&) {
    sqlite3_exec(db_, level == adXactReadUncommitted ? "PRAGMA read_uncommitted = 1" : "PRAGMA read_uncommitted = 0",
                 nullptr, nullptr, nullptr);
    return true;
}

int SqliteEngine::progress(void* self) {
    auto* e = static_cast<SqliteEngine*>(self);
    return e->timeoutMs_ > 0 && e->clock_.isValid() && e->clock_.elapsed() > e->timeoutMs_ ? 1 : 0;
}

sql::Rewritten SqliteEngine::rewrite(const QString& statement) {
    auto it = rewrites_.constFind(statement);
    if (it != rewrites_.constEnd()) return *it;
    if (rewrites_.size() > 2048) rewrites_.clear();
    return *rewrites_.insert(statement, sql::rewriteForSqlite(statement, schema_.get()));
}

std::pair<QString, QString> SqliteEngine::rowidForm(const QString& select) {
    auto it = rowidForms_.constFind(select);
    if (it != rowidForms_.constEnd()) return *it;
    if (rowidForms_.size() > 2048) rowidForms_.clear();
    const QString table = sql::singleTableOf(select);
    return *rowidForms_.insert(select, {table, table.isEmpty() ? QString() : sql::withRowid(select, kRowidAlias)});
}

sqlite3_stmt* SqliteEngine::prepare(const QString& text, ErrorCollection& errors) {
    auto it = stmts_.constFind(text);
    if (it != stmts_.constEnd()) return *it;
    const QByteArray u = engineText(text);
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(db_, u.constData(), int(u.size()), SQLITE_PREPARE_PERSISTENT, &st, &tail);
    if (rc != SQLITE_OK) {
        addError(errors, rc);
        return nullptr;
    }
    if (!st) return nullptr;  // only blanks or comments
    if (stmts_.size() > 256) {
        for (auto* s : stmts_) sqlite3_finalize(s);
        stmts_.clear();
    }
    stmts_.insert(text, st);
    return st;
}

bool SqliteEngine::guardHolds(const QString& guard, bool& holds, ErrorCollection& errors) {
    sqlite3_stmt* g = prepare(guard, errors);
    if (!g) return false;
    const int rc = sqlite3_step(g);
    if (rc != SQLITE_ROW) {
        addError(errors, rc);
        sqlite3_reset(g);
        return false;
    }
    holds = sqlite3_column_int(g, 0) != 0;
    sqlite3_reset(g);
    return true;
}

bool SqliteEngine::runRewritten(const sql::Rewritten& rw, Result& result, ErrorCollection& errors) {
    if (!rw.refused.isEmpty()) {
        errors.add(makeError(Failure::Generic,
                             QStringLiteral("La base de datos local no puede dar el resultado del servidor para: %1.")
                                 .arg(rw.refused),
                             kSource));
        return false;
    }
    if (rw.kind == sql::StmtKind::Empty || rw.sql.isEmpty()) return true;
    if (!rw.guard.isEmpty()) {
        bool go = false;
        if (!guardHolds(rw.guard, go, errors)) return false;
        if (!go) return true;
    }
    if (rw.kind == sql::StmtKind::Begin || rw.kind == sql::StmtKind::Commit || rw.kind == sql::StmtKind::Rollback ||
        rw.kind == sql::StmtKind::Save)
        return transaction(rw.kind, errors, rw.transactionName);
    if (rw.kind == sql::StmtKind::Insert || rw.kind == sql::StmtKind::Update) guardLengths(rw.sql);
    sqlite3_stmt* st = prepare(rw.sql, errors);
    if (!st) return false;
    if (!runPrepared(st, rw, result, errors)) return false;
    if (rw.followUp.isEmpty()) return true;
    sql::Rewritten after;
    after.sql = rw.followUp;
    after.kind = sql::StmtKind::Update;
    sqlite3_stmt* f = prepare(after.sql, errors);
    Result ignored;
    return f && runPrepared(f, after, ignored, errors);
}

std::vector<ColumnInfo> SqliteEngine::resultColumns(sqlite3_stmt* st, const sql::Rewritten& rw) {
    const int nCols = sqlite3_column_count(st);
    std::vector<ColumnInfo> columns;
    columns.reserve(size_t(nCols));
    for (int i = 0; i < nCols; ++i)
        columns.push_back(columnFromDecl(QString::fromUtf8(sqlite3_column_name(st, i)), sqlite3_column_decltype(st, i)));
    // a conversion the statement states (CONVERT(DECIMAL(18,2), x)) gives its column's type
    for (const auto& [index, type] : rw.columnTypes) {
        if (index < 0 || index >= nCols) continue;
        const QByteArray decl = type.toLatin1();
        auto& c = columns[size_t(index)];
        c = columnFromDecl(c.name, decl.constData());
    }
    return columns;
}

bool SqliteEngine::runPrepared(sqlite3_stmt* st, const sql::Rewritten& rw, Result& result, ErrorCollection& errors, const std::vector<ColumnInfo>* columns) {
    const int nCols = sqlite3_column_count(st);
    std::unique_ptr<RecordsetData> data;
    if (nCols > 0) {
        data = std::make_unique<RecordsetData>();
        data->columns = columns && columns->size() == size_t(nCols) ? *columns : resultColumns(st, rw);
    }
    std::optional<ExpressionColumns> expressions;
    if (data) expressions.emplace(data->columns);
    int rc;
    try {
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (!data) continue;
            Row row;
            row.reserve(size_t(nCols));
            for (int i = 0; i < nCols; ++i) row.push_back(readValue(st, i, data->columns[size_t(i)]));
            if (expressions->any()) expressions->read(st, row);
            data->rows.push_back(std::move(row));
        }
    } catch (...) {
        // a value that cannot be read (a currency beyond its range)
        // leaves the statement reset: it holds no read of the file
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        throw;
    }
    if (rc != SQLITE_DONE) {
        addError(errors, rc);
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        return false;
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rw.kind == sql::StmtKind::Insert || rw.kind == sql::StmtKind::Update || rw.kind == sql::StmtKind::Delete)
        result.affected += sqlite3_changes(db_);
    // CREATE, ALTER, DROP (also of temporary tables, which the main
    // schema's version does not count) change what later rewrites see
    if (rw.kind == sql::StmtKind::Other) checkSchema(true);
    if (data) {
        expressions->decide(*data);
        result.rows = std::move(data);
    }
    return true;
}

bool SqliteEngine::step(sqlite3_stmt*& st, const char* sqlText) {
    if (!st && sqlite3_prepare_v3(db_, sqlText, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) return false;
    const bool ok = sqlite3_step(st) == SQLITE_DONE;
    sqlite3_reset(st);
    return ok;
}

void SqliteEngine::takeRowids(RecordsetData& d) {
    if (d.columns.empty() || d.columns.front().name != kRowidAlias) return;
    d.columns.erase(d.columns.begin());
    d.rowids.reserve(d.rows.size());
    for (auto& r : d.rows) {
        d.rowids.push_back(r.front().IsNull() ? -1 : qint64(r.front().toDecimal().toLongLong()));
        r.erase(r.begin());
    }
}

void SqliteEngine::bind(sqlite3_stmt* st, int i, const legacy::Variant& v) {
    using namespace legacy;
    if (v.IsNull() || v.IsEmpty()) { sqlite3_bind_null(st, i); return; }
    if (auto b = v.get<bool>()) { sqlite3_bind_int(st, i, *b ? 1 : 0); return; }
    if (auto x = v.get<std::int16_t>()) { sqlite3_bind_int(st, i, *x); return; }
    if (auto x = v.get<std::int32_t>()) { sqlite3_bind_int(st, i, *x); return; }
    if (auto x = v.get<double>()) { sqlite3_bind_double(st, i, *x); return; }
    if (auto x = v.get<Currency>()) { bindText(st, i, x->toString()); return; }
    if (auto x = v.get<Decimal>()) {
        if (x->scale() == 0) {
            try { sqlite3_bind_int64(st, i, x->toLongLong()); return; } catch (...) {}
        }
        bindText(st, i, x->toString());
        return;
    }
    if (auto x = v.get<Date>()) { bindText(st, i, dateToIso(*x)); return; }
    if (auto x = v.get<QString>()) { bindText(st, i, *x); return; }
    bindText(st, i, v.toString());
}

void SqliteEngine::bindText(sqlite3_stmt* st, int i, const QString& s) {
    const QByteArray u = s.toUtf8();
    sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

void SqliteEngine::addError(ErrorCollection& errors, int rc) {
    const int ext = sqlite3_extended_errcode(db_);
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
    const int primary = rc & 0xff;
    Failure f = Failure::Generic;
    int native = 0;
    QString state;
    QString text = msg;
    if (primary == SQLITE_INTERRUPT || primary == SQLITE_BUSY || primary == SQLITE_LOCKED) f = Failure::Timeout;
    else if (msg.contains(u"would be truncated")) f = Failure::Truncation;
    // the server's errors of arithmetic, by their own numbers (also raised by the checks of a write)
    else if (msg.contains(u"Divide by zero")) native = 8134, state = QStringLiteral("22012");
    else if (msg.contains(u"arithmetic overflow", Qt::CaseInsensitive)) native = 8115, state = QStringLiteral("22003");
    else if (msg.contains(u"out-of-range value")) f = Failure::TypeMismatch, native = 242, state = QStringLiteral("22007");
    else if (primary == SQLITE_CONSTRAINT || (ext & 0xff) == SQLITE_CONSTRAINT) {
        if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY) f = Failure::DuplicateKey;
        else if (ext == SQLITE_CONSTRAINT_NOTNULL) f = Failure::NotNull;
        else f = Failure::Reference;
    } else if (primary == SQLITE_TOOBIG) f = Failure::Truncation;
    else if (primary == SQLITE_IOERR || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_CANTOPEN ||
             ext == SQLITE_READONLY_DBMOVED)
        f = Failure::LinkLost;
    // a file or a folder without the right to write: the server's error of
    // a read-only database, never a lost link (reconnecting changes nothing)
    else if (primary == SQLITE_READONLY) {
        f = Failure::ReadOnly;
        text = QStringLiteral("No se pudo actualizar la base de datos \"%1\" porque la base de datos es de solo lectura.")
                   .arg(name_);
    }
    else if (msg.startsWith(u"no such table") || msg.startsWith(u"no such view")) f = Failure::MissingTable;
    else if (msg.startsWith(u"no such column") || msg.contains(u"has no column named")) f = Failure::MissingColumn;
    else if (msg.contains(u"syntax error") || msg.startsWith(u"incomplete input") || msg.startsWith(u"unrecognized token"))
        f = Failure::Syntax;
    else if (msg.contains(u"conversion failed") || msg.contains(u"converting")) f = Failure::TypeMismatch;
    if (f == Failure::Timeout && primary == SQLITE_INTERRUPT) text = QStringLiteral("Tiempo de espera agotado (") + msg + u')';
    errors.add(makeError(f, text, kSource, native, state));
}

// ---------------------------------------------------------------------------
// Statements that differ only in their literals (the rows of a voucher, a
// lookup by code) run as one prepared statement of the library, the
// literals bound as its parameters: the shape of a statement is made from
// the rewrite with its literals as parameters (sql_parameters.cpp), kept by
// the hash of its skeleton, and its literals bound straight from the
// statement's text.
// (Kept with the statements they run: they are on every statement's way.)

bool SqliteEngine::shaped(const QString& statement, const sql::Parameterised& p, Result& result, ErrorCollection& errors, bool& ran, bool preparedOnly) {
    auto it = shapes_.find(p.hash);
    if (it == shapes_.end()) {
        if (preparedOnly) return false;
        if (shapes_.size() > 512) clearShapes();
        Shape seen;
        seen.skeleton = sql::skeletonOf(statement, p);
        shapes_.insert(p.hash, seen);
        return false;
    }
    Shape& shape = *it;
    // another skeleton of the same hash runs as written
    if (!sql::hasSkeleton(statement, p, shape.skeleton)) return false;
    if (preparedOnly && !shape.st) return false;
    if (!shape.made) shape = makeShape(statement, p, shape.skeleton);
    if (!shape.usable) return false;
    if (!shape.written.isEmpty() && !guarded_.contains(shape.written)) guardLengths(shape.rw.sql);
    if (!shape.st) {
        const QByteArray u = engineText(shape.rw.sql);
        const int rc = sqlite3_prepare_v3(db_, u.constData(), int(u.size()), SQLITE_PREPARE_PERSISTENT, &shape.st, nullptr);
        if (rc != SQLITE_OK || !shape.st) {
            addError(errors, rc);
            ran = false;
            return true;
        }
    }
    sqlite3_stmt* st = shape.st;
    if (!shape.columns) shape.columns = resultColumns(st, shape.rw);
    // every value's UTF-8 fits (three bytes at most for each character of
    // the statement): nothing moves while the statement runs with them
    bindBuffer_.clear();
    bindBuffer_.reserve(size_t(statement.size()) * 3);
    for (size_t k = 0; k < p.literals.size(); ++k) {
        const sql::LiteralSlot& l = p.literals[k];
        const QStringView literal = QStringView(statement).mid(l.pos, l.len);
        if (l.kind == sql::LiteralSlot::Integer) sqlite3_bind_int64(st, int(k) + 1, literal.toLongLong());
        else bindLiteral(st, int(k) + 1, literal, l.kind == sql::LiteralSlot::Text);
    }
    const int prepared = sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0);
    ran = runPrepared(st, shape.rw, result, errors, &*shape.columns);
    reprepared_ = sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0) != prepared;
    return true;
}

void SqliteEngine::clearShapes() {
    for (Shape& s : shapes_) sqlite3_finalize(s.st);
    shapes_.clear();
}

SqliteEngine::Shape SqliteEngine::makeShape(const QString& statement, const sql::Parameterised& p, const QString& skeleton) {
    Shape shape;
    shape.skeleton = skeleton;
    shape.made = true;
    const sql::Rewritten plain = rewrite(statement);
    if (!plain.refused.isEmpty()) return shape;
    if (plain.kind != sql::StmtKind::Select && plain.kind != sql::StmtKind::Insert &&
        plain.kind != sql::StmtKind::Update && plain.kind != sql::StmtKind::Delete)
        return shape;
    // A number other than a whole one goes in as its text, which only a
    // numeric column reads the way the engine reads the literal.
    for (const sql::LiteralSlot& l : p.literals)
        if (l.kind == sql::LiteralSlot::Number &&
            (l.column < 0 || size_t(l.column) >= p.columns.size() ||
             !numericColumn(statement.mid(p.table.pos, p.table.len),
                            statement.mid(p.columns[size_t(l.column)].pos, p.columns[size_t(l.column)].len))))
            return shape;
    std::optional<sql::Rewritten> rw = sql::rewriteParameterised(statement, p, plain, schema_.get());
    if (!rw) return shape;
    shape.rw = std::move(*rw);
    if (shape.rw.kind == sql::StmtKind::Insert || shape.rw.kind == sql::StmtKind::Update)
        shape.written = writtenTable(shape.rw.sql).toLower();
    shape.usable = true;
    return shape;
}

bool SqliteEngine::numericColumn(const QString& table, const QString& column) {
    const char* decl = nullptr;
    if (sqlite3_table_column_metadata(db_, "main", table.toUtf8().constData(), column.toUtf8().constData(), &decl,
                                      nullptr, nullptr, nullptr, nullptr) != SQLITE_OK ||
        !decl)
        return false;
    const QByteArray d = QByteArray(decl).toUpper();
    if (d.contains("INT")) return true;
    if (d.isEmpty() || d.contains("CHAR") || d.contains("CLOB") || d.contains("TEXT") || d.contains("BLOB")) return false;
    return true;
}

void SqliteEngine::bindLiteral(sqlite3_stmt* st, int i, QStringView literal, bool text) {
    if (text) {
        if (literal.startsWith(u'N') || literal.startsWith(u'n')) literal = literal.mid(1);
        literal = literal.mid(1, literal.size() - 2);
    }
    std::string& b = bindBuffer_;
    const size_t from = b.size();
    for (qsizetype k = 0; k < literal.size(); ++k) {
        const char16_t c = literal[k].unicode();
        if (c < 0x80) {
            b += char(c);
            if (text && c == u'\'' && k + 1 < literal.size() && literal[k + 1] == u'\'') ++k;
        } else if (c < 0x800) {
            b += char(0xC0 | (c >> 6));
            b += char(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            b.resize(from);
            QString whole = literal.toString();
            if (text) whole.replace(QLatin1String("''"), QLatin1String("'"));
            bindText(st, i, whole);
            return;
        } else {
            b += char(0xE0 | (c >> 12));
            b += char(0x80 | ((c >> 6) & 0x3F));
            b += char(0x80 | (c & 0x3F));
        }
    }
    sqlite3_bind_text(st, i, b.data() + from, int(b.size() - from), SQLITE_STATIC);
}

}  // namespace embedded

std::unique_ptr<Engine> openSqliteEngine(const QString& path, bool fileDatabase, const QString& databaseName,
                                         int connectTimeout, ErrorCollection& errors) {
    using namespace embedded;
    const QFileInfo fi(path);
    if (!fi.isFile()) {
        // never create a database by opening it
        if (fileDatabase)
            errors.add(makeError(Failure::MissingFile, QStringLiteral("No se encuentra el archivo '%1'.").arg(path), kSource));
        else
            errors.add(makeError(Failure::MissingDatabase,
                                 QStringLiteral("No se puede abrir la base de datos \"%1\" solicitada por el inicio de sesión. "
                                                "No existe el archivo '%2'.")
                                     .arg(databaseName, path),
                                 kSource));
        return nullptr;
    }
    sqlite3* db = nullptr;
    const QByteArray p = fi.absoluteFilePath().toUtf8();
    const int rc = sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString m = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        errors.add(makeError(fileDatabase ? Failure::MissingFile : Failure::MissingDatabase, m, kSource));
        return nullptr;
    }
    // Another station may hold the file while it writes: the first look at
    // it waits for the file up to the connection's time-out (0: without a
    // limit), and a file still busy then is a time-out, never a missing
    // database. A file that is not a database fails here rather than at the
    // first statement.
    auto busy = std::make_unique<BusyWait>();
    busy->limitMs = connectTimeout > 0 ? qint64(connectTimeout) * 1000 : -1;
    busy->install(db);
    if (const int first = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        first != SQLITE_OK) {
        const QString m = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close_v2(db);
        if ((first & 0xff) == SQLITE_BUSY || (first & 0xff) == SQLITE_LOCKED)
            errors.add(makeError(Failure::Timeout,
                                 QStringLiteral("Tiempo de espera agotado: la base de datos '%1' sigue ocupada por otra "
                                                "estación después de %2 segundos (%3).")
                                     .arg(databaseName)
                                     .arg(connectTimeout)
                                     .arg(m),
                                 kSource));
        else
            errors.add(makeError(fileDatabase ? Failure::MissingFile : Failure::MissingDatabase, m, kSource));
        return nullptr;
    }
    // the command time-out's default until the connection sets its own,
    // also for the rebuilding of older indexes (see RegisterSqliteExtensions)
    busy->limitMs = 30000;
    RegisterSqliteExtensions(db);
    sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    return std::make_unique<SqliteEngine>(db, std::move(busy), fi.absoluteFilePath(), databaseName);
}

}  // namespace ado
