// The embedded engine: a SQLite database file, the server's dialect
// rewritten statement by statement.
#include "platform/ado/engine.h"
#include "platform/ado/sql_text.h"
#include "platform/ado/sqlite_support.h"
#include "platform/legacy/vberror.h"

#include <sqlite3.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <optional>
#include <utility>

namespace ado {

namespace {

const QString kSource = QStringLiteral("SQLite");
const QString kRowidAlias = QStringLiteral("__ado_rowid");

// Column type from the declared type of a table column.
ColumnInfo columnFromDecl(const QString& name, const char* decl) {
    ColumnInfo c;
    c.name = name;
    if (!decl) {
        c.type = adEmpty;  // an expression: decided from its values (ExpressionColumns)
        return c;
    }
    QString d = QString::fromLatin1(decl).trimmed().toUpper();
    int a = -1, b = -1;
    if (const qsizetype p = d.indexOf(u'('); p >= 0) {
        const QString inside = d.mid(p + 1, d.indexOf(u')', p) - p - 1);
        d = d.left(p).trimmed();
        if (inside.trimmed() == u"MAX") a = 2147483647;
        else a = inside.section(u',', 0, 0).trimmed().toInt();
        if (inside.contains(u',')) b = inside.section(u',', 1, 1).trimmed().toInt();
    }
    d = d.section(u' ', 0, 0);
    auto set = [&](int type, int size) { c.type = type; c.definedSize = size; };
    if (d == u"INT" || d == u"INTEGER") set(adInteger, 4);
    else if (d == u"SMALLINT") set(adSmallInt, 2);
    else if (d == u"TINYINT") set(adUnsignedTinyInt, 1);
    else if (d == u"BIGINT") set(adBigInt, 8);
    else if (d == u"BIT" || d == u"BOOLEAN") set(adBoolean, 2);
    else if (d == u"MONEY" || d == u"SMALLMONEY") { set(adCurrency, 8); c.precision = 19; c.scale = 4; }
    else if (d == u"DECIMAL" || d == u"NUMERIC" || d == u"DEC") {
        set(adNumeric, 19);
        c.precision = a > 0 ? a : 18;
        c.scale = b > 0 ? b : 0;
    } else if (d == u"FLOAT" || d == u"DOUBLE") set(adDouble, 8);
    else if (d == u"REAL") set(adSingle, 4);
    else if (d == u"DATETIME" || d == u"SMALLDATETIME" || d == u"DATETIME2" || d == u"TIMESTAMP") set(adDBTimeStamp, 16);
    else if (d == u"DATE") set(adDBDate, 6);
    else if (d == u"CHAR" || d == u"CHARACTER") set(adChar, a > 0 ? a : 1);
    else if (d == u"NCHAR") set(adWChar, a > 0 ? a : 1);
    else if (d == u"VARCHAR") set(a == 2147483647 ? adLongVarChar : adVarChar, a > 0 ? a : 1);
    else if (d == u"NVARCHAR") set(a == 2147483647 ? adLongVarWChar : adVarWChar, a > 0 ? a : 1);
    else if (d == u"TEXT") set(adLongVarChar, 2147483647);
    else if (d == u"NTEXT") set(adLongVarWChar, 1073741823);
    else if (d == u"UNIQUEIDENTIFIER") set(adGUID, 16);
    else if (d == u"BLOB" || d == u"IMAGE" || d == u"VARBINARY") set(adLongVarBinary, 2147483647);
    else if (d == u"BINARY") set(adBinary, a > 0 ? a : 1);
    else set(adVarChar, 255);
    return c;
}

// Waiting for a file that another station holds. The library's own wait
// looks again at growing intervals, up to 100 ms apart; between the commits
// of stations that write without pause the file is free to others only for
// moments, which such a wait keeps missing (a station could not even open
// while two others wrote). This one looks again every millisecond, until its
// limit.
struct BusyWait {
    qint64 limitMs = 30000;  // negative: without a limit
    QElapsedTimer since;

    static int handler(void* self, int count) {
        auto* w = static_cast<BusyWait*>(self);
        if (count == 0) w->since.start();
        if (w->limitMs >= 0 && w->since.elapsed() >= w->limitMs) return 0;
        sqlite3_sleep(1);
        return 1;
    }
    void install(sqlite3* db) { sqlite3_busy_handler(db, &BusyWait::handler, this); }
};

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

QString textOf(sqlite3_stmt* st, int i) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(st, i)) : QString();
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
    default:
        if (storage == SQLITE_INTEGER && (c.type == adVarChar || c.type == adChar))
            return QString::number(sqlite3_column_int64(st, i));
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

// The declared column types of the database, for the dialect rewrite (a
// day-first date text stays text where it meets a text column). Read table by
// table when first needed and forgotten whenever the schema changes.
class SchemaCache final : public sql::SchemaInfo {
public:
    explicit SchemaCache(sqlite3* db) : db_(db) {}
    ~SchemaCache() override {
        sqlite3_finalize(info_);
        sqlite3_finalize(version_);
    }

    const std::vector<Column>* columnsOf(const QString& table) override {
        const QString key = table.toUpper();
        auto it = tables_.constFind(key);
        if (it == tables_.constEnd()) it = tables_.insert(key, read(table));
        return it->has_value() ? &**it : nullptr;
    }

    // The schema's version number (changes with every change of the schema,
    // also by other connections), or -1 when it cannot be read.
    int version() {
        if (!version_ && sqlite3_prepare_v3(db_, "PRAGMA schema_version", -1, SQLITE_PREPARE_PERSISTENT, &version_, nullptr) != SQLITE_OK)
            return -1;
        const int v = sqlite3_step(version_) == SQLITE_ROW ? sqlite3_column_int(version_, 0) : -1;
        sqlite3_reset(version_);
        return v;
    }

    void clear() { tables_.clear(); }

private:
    std::optional<std::vector<Column>> read(const QString& table) {
        if (!info_ && sqlite3_prepare_v3(db_, "SELECT name, type FROM pragma_table_info(?1)", -1, SQLITE_PREPARE_PERSISTENT,
                                         &info_, nullptr) != SQLITE_OK)
            return std::nullopt;
        const QByteArray u = table.toUtf8();
        sqlite3_bind_text(info_, 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        std::vector<Column> cols;
        while (sqlite3_step(info_) == SQLITE_ROW) {
            const QString type = textOf(info_, 1);
            cols.push_back({textOf(info_, 0), sql::columnKindOfType(type), type});
        }
        sqlite3_reset(info_);
        sqlite3_clear_bindings(info_);
        if (cols.empty()) return std::nullopt;
        return cols;
    }

    sqlite3* db_;
    sqlite3_stmt* info_ = nullptr;
    sqlite3_stmt* version_ = nullptr;
    QHash<QString, std::optional<std::vector<Column>>> tables_;
};

void guardTextLengths(sqlite3* db, const QString& table);
QString writtenTable(const QString& statement);

class SqliteEngine final : public Engine {
public:
    SqliteEngine(sqlite3* db, std::unique_ptr<BusyWait> busy, QString path, QString name)
        : db_(db), busy_(std::move(busy)), path_(std::move(path)), name_(std::move(name)),
          schema_(std::make_unique<SchemaCache>(db)) {
        sqlite3_progress_handler(db_, 1000, &SqliteEngine::progress, this);
        sqlite3_create_function_v2(db_, "SRV_TRANCOUNT", 0, SQLITE_UTF8, this, &SqliteEngine::tranCount, nullptr, nullptr, nullptr);
    }
    ~SqliteEngine() override {
        for (auto* st : stmts_) sqlite3_finalize(st);
        clearShapes();
        sqlite3_finalize(begin_);
        sqlite3_finalize(commit_);
        schema_.reset();
        sqlite3_close_v2(db_);
    }

    bool embedded() const override { return true; }
    bool serverDialect() const override { return false; }
    bool hasRowids() const override { return true; }
    // Rows read with their row id are found by it.
    QString rowCondition(const RecordsetData& d, size_t row, Params& params) const override {
        if (row < d.rowids.size() && d.rowids[row] >= 0) {
            params.push_back(legacy::Variant((long long)d.rowids[row]));
            return QStringLiteral(" WHERE rowid = ?");
        }
        return Engine::rowCondition(d, row, params);
    }

    bool execute(const QString& text, Result& result, ErrorCollection& errors) override {
        if (parked_ && endsParked(text)) {
            dropParked();
            return true;
        }
        if (parked_ && !resume(errors)) return false;
        return journaled({Step::Execute, text}, [&] { return executeNow(text, result, errors); }, &result);
    }
    bool query(const QString& text, bool updatable, Result& result, ErrorCollection& errors) override {
        if (parked_ && !resume(errors)) return false;
        Step s{Step::Query, text};
        s.updatable = updatable;
        return journaled(std::move(s), [&] { return queryNow(text, updatable, result, errors); }, &result);
    }
    bool run(const QString& text, const Params& params, int& affected, qint64* lastRowid,
             ErrorCollection& errors) override {
        if (parked_ && !resume(errors)) return false;
        Step s{Step::Run, text};
        s.params = params;
        qint64 rowid = 0;
        const bool ok = journaled(std::move(s), [&] { return runNow(text, params, affected, &rowid, errors); }, nullptr,
                                  &affected, sql::statementKind(text) == sql::StmtKind::Insert ? &rowid : nullptr);
        if (lastRowid) *lastRowid = rowid;
        return ok;
    }

    bool begin(ErrorCollection& errors) override {
        if (parked_ && !resume(errors)) return false;
        return journaled({Step::Begin, {}}, [&] { return transaction(sql::StmtKind::Begin, errors); }, nullptr);
    }
    bool commit(ErrorCollection& errors) override {
        if (parked_ && !resume(errors)) return false;
        const bool ok = transaction(sql::StmtKind::Commit, errors);
        if (sqlite3_get_autocommit(db_) && !parked_) journal_.clear();
        return ok;
    }
    bool rollback(ErrorCollection& errors) override {
        if (parked_) {
            dropParked();
            return true;
        }
        const bool ok = transaction(sql::StmtKind::Rollback, errors);
        journal_.clear();
        return ok;
    }
    bool inTransaction() const override { return parked_ || !sqlite3_get_autocommit(db_); }

private:
    bool executeNow(const QString& text, Result& result, ErrorCollection& errors) {
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

    bool queryNow(const QString& text, bool updatable, Result& result, ErrorCollection& errors) {
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

    bool runNow(const QString& text, const Params& params, int& affected, qint64* lastRowid, ErrorCollection& errors) {
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

public:
    QString defaultDatabase() override { return name_; }
    bool setDefaultDatabase(const QString& name, ErrorCollection& errors) override {
        const QString n = name.trimmed();
        if (n.compare(name_, Qt::CaseInsensitive) == 0 || QFileInfo(n).absoluteFilePath() == QFileInfo(path_).absoluteFilePath())
            return true;
        errors.add(makeError(Failure::MissingDatabase,
                             QStringLiteral("No se puede abrir la base de datos \"%1\": la conexión usa el archivo \"%2\".")
                                 .arg(n, path_),
                             kSource));
        return false;
    }
    void setCommandTimeout(int seconds) override {
        timeoutMs_ = qint64(seconds) * 1000;
        busy_->limitMs = seconds > 0 ? qint64(seconds) * 1000 : 60000;
    }
    bool setIsolationLevel(int level, ErrorCollection&) override {
        sqlite3_exec(db_, level == adXactReadUncommitted ? "PRAGMA read_uncommitted = 1" : "PRAGMA read_uncommitted = 0",
                     nullptr, nullptr, nullptr);
        return true;
    }

    bool tables(std::vector<TableRow>& out, ErrorCollection& errors) override {
        sqlite3_stmt* st = prepare(QStringLiteral("SELECT name, type FROM sqlite_master WHERE type IN ('table','view') "
                                                  "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"),
                                   errors);
        if (!st) return false;
        while (sqlite3_step(st) == SQLITE_ROW)
            out.push_back({textOf(st, 0), textOf(st, 1) == u"view" ? QStringLiteral("VIEW") : QStringLiteral("TABLE")});
        sqlite3_reset(st);
        return true;
    }

    bool columns(const QString& table, std::vector<ColumnRow>& out, ErrorCollection& errors) override {
        QString t = table;
        t.replace(u'"', QStringLiteral("\"\""));
        sqlite3_stmt* st = nullptr;
        const QByteArray q = ("PRAGMA table_info(\"" + t + "\")").toUtf8();
        if (sqlite3_prepare_v2(db_, q.constData(), -1, &st, nullptr) != SQLITE_OK) {
            addError(errors, sqlite3_errcode(db_));
            return false;
        }
        QString realName = table;
        {
            // the table's own spelling
            sqlite3_stmt* n = nullptr;
            if (sqlite3_prepare_v2(db_, "SELECT name FROM sqlite_master WHERE name = ?1 COLLATE NOCASE", -1, &n, nullptr) == SQLITE_OK) {
                const QByteArray u = table.toUtf8();
                sqlite3_bind_text(n, 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
                if (sqlite3_step(n) == SQLITE_ROW) realName = textOf(n, 0);
                sqlite3_finalize(n);
            }
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QByteArray decl = textOf(st, 2).toLatin1();
            const ColumnInfo c = columnFromDecl(textOf(st, 1), decl.constData());
            out.push_back({realName, c.name, sqlite3_column_int(st, 0) + 1, c.type == adEmpty ? adVarChar : c.type,
                           c.definedSize, sqlite3_column_int(st, 3) == 0});
        }
        sqlite3_finalize(st);
        return true;
    }

private:
    static int progress(void* self) {
        auto* e = static_cast<SqliteEngine*>(self);
        return e->timeoutMs_ > 0 && e->clock_.isValid() && e->clock_.elapsed() > e->timeoutMs_ ? 1 : 0;
    }
    void startClock() { clock_.start(); }

    // Rewrites depend on the schema (the declared column types): the cache
    // holds those made under the schema version seen last.
    sql::Rewritten rewrite(const QString& statement) {
        auto it = rewrites_.constFind(statement);
        if (it != rewrites_.constEnd()) return *it;
        if (rewrites_.size() > 2048) rewrites_.clear();
        return *rewrites_.insert(statement, sql::rewriteForSqlite(statement, schema_.get()));
    }

    // The table of a one-table SELECT and the SELECT with the row id first,
    // kept per statement text like the rewrites (no table: not one table).
    std::pair<QString, QString> rowidForm(const QString& select) {
        auto it = rowidForms_.constFind(select);
        if (it != rowidForms_.constEnd()) return *it;
        if (rowidForms_.size() > 2048) rowidForms_.clear();
        const QString table = sql::singleTableOf(select);
        return *rowidForms_.insert(select, {table, table.isEmpty() ? QString() : sql::withRowid(select, kRowidAlias)});
    }

    // The length checks of the table a statement writes to, made at its
    // first write on this connection since the last schema change or
    // rollback (which takes temporary triggers made inside it away).
    void guardLengths(const QString& statement) {
        auto it = writtenTables_.constFind(statement);
        if (it == writtenTables_.constEnd()) {
            if (writtenTables_.size() > 2048) writtenTables_.clear();
            it = writtenTables_.insert(statement, writtenTable(statement).toLower());
        }
        const QString& table = *it;
        if (table.isEmpty() || guarded_.contains(table)) return;
        guardTextLengths(db_, table);
        guarded_.insert(table);
    }

    // Forgets the column types and the rewrites made with them when the
    // schema changed since the last look (this connection or another one).
    // Inside a transaction the version read first holds until it ends (no
    // other connection changes the schema under it; changes of this one
    // force a look), so it is read once per transaction there.
    void checkSchema(bool force = false) {
        if (!force && versionReadInTransaction_ && !sqlite3_get_autocommit(db_)) return;
        const int v = schema_->version();
        versionReadInTransaction_ = !sqlite3_get_autocommit(db_);
        if (!force && v == schemaVersion_ && v != -1) return;
        // the length checks stay while the main schema is the same (a
        // forced look after a temporary table or a trigger changes nothing)
        if (v != schemaVersion_ || v == -1) guarded_.clear();
        schemaVersion_ = v;
        schema_->clear();
        rewrites_.clear();
        clearShapes();
        // the library prepares its statements again by itself, but only at
        // their next step: the column types read before it would be old ones
        for (auto* st : stmts_) sqlite3_finalize(st);
        stmts_.clear();
    }

    // A prepared statement for the text, kept for the next time.
    sqlite3_stmt* prepare(const QString& text, ErrorCollection& errors) {
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

    // Transactions nest as on the server: an inner BEGIN and COMMIT only count,
    // the outermost COMMIT commits, any ROLLBACK undoes everything.
    //
    // Several stations write to one file. A transaction takes the file's
    // write lock when it begins (waiting for another station's transaction
    // up to the command time-out): one that only took it at its first write,
    // after reading, would be refused at once whenever another station
    // writes, since the library cannot wait there without risking that both
    // wait for each other. Reads outside a transaction take no write lock and
    // go on while another station writes. The file keeps its rollback
    // journal: a write-ahead log would let readers run during a commit too,
    // but it needs memory shared by every connection of the file, which the
    // stations that open it from a shared program folder do not have.
    //
    // Names as the server keeps them: BEGIN TRAN name names the outermost
    // transaction only (a name given to an inner one is ignored); ROLLBACK
    // TRAN with that name undoes everything, with a savepoint's name only
    // the work after the savepoint, and with any other name fails (6401).
    // SAVE TRAN needs an open transaction (628).
    bool transaction(sql::StmtKind kind, ErrorCollection& errors, const QString& name = {}) {
        if (sqlite3_get_autocommit(db_)) {
            level_ = 0;
            savepoints_.clear();
        }
        versionReadInTransaction_ = false;
        switch (kind) {
        case sql::StmtKind::Begin:
            if (level_ == 0 && !plain("BEGIN IMMEDIATE", errors)) return false;
            if (level_ == 0) outerName_ = name;
            ++level_;
            return true;
        case sql::StmtKind::Save: {
            if (level_ == 0) {
                errors.add(makeError(Failure::Generic,
                                     QStringLiteral("No se puede emitir SAVE TRANSACTION si no hay ninguna transacción activa."),
                                     kSource, 628, QStringLiteral("25000")));
                return false;
            }
            if (!plain(("SAVEPOINT " + quoteName(name)).toUtf8().constData(), errors)) return false;
            savepoints_.append(name);
            return true;
        }
        case sql::StmtKind::Commit:
            if (level_ == 0) {
                errors.add(makeError(Failure::Generic,
                                     QStringLiteral("La solicitud COMMIT TRANSACTION no tiene la correspondiente BEGIN TRANSACTION."),
                                     kSource, 3902, QStringLiteral("25000")));
                return false;
            }
            if (level_ == 1 && !plain("COMMIT", errors)) {
                if (!sqlite3_get_autocommit(db_) && errors.Count() > 0 && errors(errors.Count() - 1).Number == kErrTimeout)
                    park(errors);
                return false;
            }
            --level_;
            return true;
        default:
            if (level_ == 0) {
                errors.add(makeError(Failure::Generic,
                                     QStringLiteral("La solicitud ROLLBACK TRANSACTION no tiene la correspondiente BEGIN TRANSACTION."),
                                     kSource, 3903, QStringLiteral("25000")));
                return false;
            }
            if (!name.isEmpty() && name != outerName_) {
                if (!savepoints_.contains(name, Qt::CaseInsensitive)) {
                    errors.add(makeError(Failure::Generic,
                                         QStringLiteral("No se puede revertir %1. No se encontró ninguna transacción ni "
                                                        "punto de almacenamiento con ese nombre.")
                                             .arg(name),
                                         kSource, 6401, QStringLiteral("25000")));
                    return false;
                }
                // back to the savepoint: the savepoints made after it go
                while (savepoints_.last().compare(name, Qt::CaseInsensitive) != 0) savepoints_.removeLast();
                guarded_.clear();
                if (!plain(("ROLLBACK TO SAVEPOINT " + quoteName(name)).toUtf8().constData(), errors)) return false;
                checkSchema(true);
                return true;
            }
            level_ = 0;
            savepoints_.clear();
            guarded_.clear();
            if (!plain("ROLLBACK", errors)) return false;
            checkSchema();  // a CREATE or ALTER undone
            return true;
        }
    }

    // A commit refused because other stations still read the file after the
    // whole wait. The library would keep the lock it took to commit, which
    // lets no station begin a read, for as long as the caller takes to
    // decide (an operator looking at the error box): so the attempt ends at
    // once, undone, and the lock goes. The transaction stays open for the
    // caller, parked: its work is kept as the statements that did it and
    // their results. The caller's next statement, a commit again among
    // them, first stores the same work again in a new transaction and goes
    // on only when every statement gives the results it gave the first time
    // (the rows read, the rows changed, the new row ids): work that another
    // station made stale meanwhile is not stored at all, and the transaction
    // then takes nothing but its rollback. A rollback just forgets the work.
    // The file keeps its rollback journal (see transaction()).
    void park(ErrorCollection& errors) {
        const Error refused = errors(errors.Count() - 1);
        plain("ROLLBACK", errors);
        guarded_.clear();
        checkSchema();
        parked_ = true;
        long long rows = 0;
        for (const Step& s : journal_) rows += s.outcome.affected;
        errors.Clear();
        errors.add(makeError(Failure::Timeout,
                             QStringLiteral("Tiempo de espera agotado: otra estación sigue leyendo la base de datos y la "
                                            "transacción no se confirmó. No se grabó ninguna de sus %1 filas; la "
                                            "transacción sigue abierta, para grabarla de nuevo o deshacerla (%2).")
                                 .arg(rows)
                                 .arg(refused.Description),
                             kSource));
    }
    void dropParked() {
        parked_ = stale_ = false;
        journal_.clear();
        level_ = 0;
    }
    // A rollback of the whole transaction (also IF @@TRANCOUNT > 0 ...).
    bool endsParked(const QString& text) {
        if (sql::statementKind(text) != sql::StmtKind::Rollback && !text.contains(u"TRANCOUNT", Qt::CaseInsensitive))
            return false;
        const QString one = text.trimmed();
        if (one.contains(u'\r') || one.contains(u'\n') || one.contains(u';')) return false;
        const sql::Rewritten rw = rewrite(one);
        return rw.kind == sql::StmtKind::Rollback &&
               (rw.guard.isEmpty() || rw.guard.contains(u"TRANCOUNT", Qt::CaseInsensitive));
    }
    // Stores the parked work again (see park); false, with the error, when
    // it could not: still parked after a time-out; otherwise the work is
    // gone and, as on the server for a transaction that can no longer
    // commit, every statement fails until the caller rolls back.
    bool resume(ErrorCollection& errors) {
        const Error stale = makeError(Failure::Generic,
                                      QStringLiteral("La transacción no se grabó: otra estación cambió los datos que "
                                                     "leyó mientras esperaba confirmarse. No se grabó ninguna de sus "
                                                     "filas; debe deshacerse."),
                                      kSource, 3930, QStringLiteral("25000"));
        if (stale_) {
            errors.add(stale);
            return false;
        }
        std::vector<Step> steps = std::move(journal_);
        const int level = level_;
        journal_.clear();
        parked_ = false;
        level_ = 0;
        replaying_ = true;
        ErrorCollection replay;
        bool same = true;
        for (const Step& s : steps) {
            if (perform(s, replay) != s.outcome) {
                same = false;
                break;
            }
        }
        replaying_ = false;
        if (same && !sqlite3_get_autocommit(db_) && level_ == level) {
            journal_ = std::move(steps);
            return true;
        }
        const bool busy = replay.Count() > 0 && replay(replay.Count() - 1).Number == kErrTimeout;
        if (!sqlite3_get_autocommit(db_)) plain("ROLLBACK", replay);
        guarded_.clear();
        checkSchema();
        if (busy) {
            journal_ = std::move(steps);
            parked_ = true;
            level_ = level;
            errors.add(replay(replay.Count() - 1));
            return false;
        }
        parked_ = stale_ = true;
        level_ = level;
        errors.add(stale);
        return false;
    }

    // What a statement of a transaction gave: whether it ran, the rows it
    // changed, the new row id and a digest of the rows it read.
    struct Outcome {
        bool ok = false;
        long long affected = 0;
        qint64 rowid = 0;
        size_t rows = 0;
        bool operator==(const Outcome&) const = default;
    };
    struct Step {
        enum Kind { Execute, Query, Run, Begin } kind;
        Step(Kind k, QString t) : kind(k), text(std::move(t)) {}
        QString text;
        bool updatable = false;
        Params params;
        Outcome outcome;
    };
    // A value's hash without writing it as text (every row read inside a
    // transaction is hashed).
    static size_t hashOf(const legacy::Variant& v) {
        if (const QString* t = v.get<QString>()) return qHash(*t);
        if (const double* x = v.get<double>()) return qHash(*x);
        if (v.IsNull() || v.IsEmpty() || v.IsObject() || v.IsArray()) return size_t(v.VarType());
        return qHashMulti(size_t(v.VarType()), v.toDouble());  // whole numbers, money, exact numbers, dates
    }
    static size_t digest(const RecordsetData* d) {
        if (!d) return 0;
        size_t h = qHashMulti(0, d->columns.size(), d->rows.size());
        for (const Row& r : d->rows)
            for (const legacy::Variant& v : r) h = qHashMulti(h, hashOf(v));
        for (const qint64 id : d->rowids) h = qHashMulti(h, id);
        return h;
    }
    // The rows a statement read, as a step compares them when its work is
    // stored again: the rows of a read of the clock change by themselves and
    // say nothing of what other stations changed, so they are not compared.
    static size_t rowsDigest(const QString& text, const RecordsetData* d) {
        for (const char* clock : {"GETDATE", "GETUTCDATE", "SYSDATETIME"})
            if (text.contains(QLatin1String(clock), Qt::CaseInsensitive)) return 0;
        return digest(d);
    }
    // Runs a call of the connection; inside a transaction it is kept in the
    // transaction's work (a call that raised counts as failed).
    template <class Call>
    bool journaled(Step s, Call&& call, const Result* result, const int* affected = nullptr,
                   const qint64* rowid = nullptr) {
        const auto note = [&](bool ok) {
            if (replaying_) return;
            if (sqlite3_get_autocommit(db_)) {
                if (!parked_) journal_.clear();
                return;
            }
            s.outcome.ok = ok;
            if (result) {
                s.outcome.affected = result->affected;
                s.outcome.rows = rowsDigest(s.text, result->rows.get());
            }
            if (affected) s.outcome.affected = *affected;
            if (rowid) s.outcome.rowid = *rowid;
            journal_.push_back(std::move(s));
        };
        bool ok = false;
        try {
            ok = call();
        } catch (...) {
            note(false);
            throw;
        }
        note(ok);
        return ok;
    }
    Outcome perform(const Step& s, ErrorCollection& errors) {
        Outcome o;
        Result r;
        int affected = 0;
        try {
            switch (s.kind) {
            case Step::Execute: o.ok = executeNow(s.text, r, errors); break;
            case Step::Query: o.ok = queryNow(s.text, s.updatable, r, errors); break;
            case Step::Run: o.ok = runNow(s.text, s.params, affected, &o.rowid, errors); break;
            case Step::Begin: o.ok = transaction(sql::StmtKind::Begin, errors); break;
            }
        } catch (const legacy::VbError&) {
            o.ok = false;
        }
        // the connection's last new row id means something after an INSERT only
        if (s.kind == Step::Run && sql::statementKind(s.text) != sql::StmtKind::Insert) o.rowid = 0;
        o.affected = s.kind == Step::Run ? affected : r.affected;
        o.rows = rowsDigest(s.text, r.rows.get());
        return o;
    }

    static void tranCount(sqlite3_context* ctx, int, sqlite3_value**) {
        auto* self = static_cast<SqliteEngine*>(sqlite3_user_data(ctx));
        sqlite3_result_int(ctx, sqlite3_get_autocommit(self->db_) ? 0 : self->level_);
    }

    bool plain(const char* sqlText, ErrorCollection& errors) {
        char* msg = nullptr;
        if (const int rc = sqlite3_exec(db_, sqlText, nullptr, nullptr, &msg); rc != SQLITE_OK) {
            const QString m = QString::fromUtf8(msg ? msg : "");
            sqlite3_free(msg);
            // a file still held by another station after the wait is a time-out
            if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) addError(errors, rc);
            else errors.add(makeError(Failure::Generic, m, kSource, sqlite3_extended_errcode(db_)));
            return false;
        }
        return true;
    }

    // Runs the SELECT of an IF; false (with the error) when it fails.
    bool guardHolds(const QString& guard, bool& holds, ErrorCollection& errors) {
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

    bool runRewritten(const sql::Rewritten& rw, Result& result, ErrorCollection& errors) {
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

    // The result columns of a prepared statement as its rows are read.
    static std::vector<ColumnInfo> resultColumns(sqlite3_stmt* st, const sql::Rewritten& rw) {
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

    // Steps a prepared statement (its parameters bound) to its end, the rows
    // it gives into the result; `columns`: its result columns when known.
    bool runPrepared(sqlite3_stmt* st, const sql::Rewritten& rw, Result& result, ErrorCollection& errors,
                     const std::vector<ColumnInfo>* columns = nullptr) {
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

    // Runs a statement without parameters or rows, prepared once.
    bool step(sqlite3_stmt*& st, const char* sqlText) {
        if (!st && sqlite3_prepare_v3(db_, sqlText, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) return false;
        const bool ok = sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
        return ok;
    }

    // Statements that differ only in their literals (the rows of a voucher,
    // a lookup by code) share one prepared statement, the literals bound as
    // its parameters: the first of them runs as written, the shape is made
    // from the second (a statement that comes once costs nothing more) and
    // serves it and those after. False when the statement has no usable
    // shape and runs as written; otherwise `ran` tells whether it ran
    // without error.
    // `preparedOnly`: only a shape whose statement is prepared runs
    // (reprepared_ then tells whether the library prepared it again).
    bool shaped(const QString& statement, const sql::Parameterised& p, Result& result, ErrorCollection& errors,
                bool& ran, bool preparedOnly = false) {
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

    struct Shape {
        QString skeleton;           // what its statements have in common
        bool made = false;          // false: its statements came once so far
        bool usable = false;
        sql::Rewritten rw;          // its sql with the parameters
        QString written;            // the table it writes to (lower case), for the length checks
        sqlite3_stmt* st = nullptr; // prepared at the first use, finalized with the shape
        std::optional<std::vector<ColumnInfo>> columns;  // its result columns, read with the first rows
    };
    void clearShapes() {
        for (Shape& s : shapes_) sqlite3_finalize(s.st);
        shapes_.clear();
    }
    Shape makeShape(const QString& statement, const sql::Parameterised& p, const QString& skeleton) {
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

    // Whether the engine gives the column numeric affinity (its declared
    // type names no text, blob or nothing), so that a number's text stored
    // there becomes the number the literal is.
    bool numericColumn(const QString& table, const QString& column) {
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

    void takeRowids(RecordsetData& d) {
        if (d.columns.empty() || d.columns.front().name != kRowidAlias) return;
        d.columns.erase(d.columns.begin());
        d.rowids.reserve(d.rows.size());
        for (auto& r : d.rows) {
            d.rowids.push_back(r.front().IsNull() ? -1 : qint64(r.front().toDecimal().toLongLong()));
            r.erase(r.begin());
        }
    }

    void bind(sqlite3_stmt* st, int i, const legacy::Variant& v) {
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
    // A literal's value as text: a text's content ('' read as ') or a number
    // as written, appended as UTF-8 to the statement's buffer, which stays as
    // it is until the statement has run (a text with surrogates goes the
    // long way).
    void bindLiteral(sqlite3_stmt* st, int i, QStringView literal, bool text) {
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
    static void bindText(sqlite3_stmt* st, int i, const QString& s) {
        const QByteArray u = s.toUtf8();
        sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }

    void addError(ErrorCollection& errors, int rc) {
        const int ext = sqlite3_extended_errcode(db_);
        const QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
        const int primary = rc & 0xff;
        Failure f = Failure::Generic;
        if (primary == SQLITE_INTERRUPT || primary == SQLITE_BUSY || primary == SQLITE_LOCKED) f = Failure::Timeout;
        else if (msg.contains(u"would be truncated")) f = Failure::Truncation;
        else if (primary == SQLITE_CONSTRAINT || (ext & 0xff) == SQLITE_CONSTRAINT) {
            if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY) f = Failure::DuplicateKey;
            else if (ext == SQLITE_CONSTRAINT_NOTNULL) f = Failure::NotNull;
            else f = Failure::Reference;
        } else if (primary == SQLITE_TOOBIG) f = Failure::Truncation;
        else if (primary == SQLITE_IOERR || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_CANTOPEN)
            f = Failure::LinkLost;
        else if (msg.startsWith(u"no such table") || msg.startsWith(u"no such view")) f = Failure::MissingTable;
        else if (msg.startsWith(u"no such column") || msg.contains(u"has no column named")) f = Failure::MissingColumn;
        else if (msg.contains(u"syntax error") || msg.startsWith(u"incomplete input") || msg.startsWith(u"unrecognized token"))
            f = Failure::Syntax;
        else if (msg.contains(u"conversion failed") || msg.contains(u"converting")) f = Failure::TypeMismatch;
        QString text = msg;
        if (f == Failure::Timeout && primary == SQLITE_INTERRUPT) text = QStringLiteral("Tiempo de espera agotado (") + msg + u')';
        errors.add(makeError(f, text, kSource));
    }

    sqlite3* db_;
    std::unique_ptr<BusyWait> busy_;  // the connection's wait for a busy file
    std::vector<Step> journal_;  // the work of the open transaction
    bool parked_ = false;        // its commit was refused and undone: see park()
    bool replaying_ = false;     // resume() stores it again
    bool stale_ = false;         // parked work that could not be stored again
    QString path_;
    QString name_;
    qint64 timeoutMs_ = 30000;
    int level_ = 0;  // transaction nesting (@@TRANCOUNT)
    QString outerName_;  // the name the outermost transaction was begun with
    QStringList savepoints_;  // of the open transaction, oldest first
    QElapsedTimer clock_;
    QHash<QString, sql::Rewritten> rewrites_;
    QHash<size_t, Shape> shapes_;  // by the hash of their skeleton
    std::string bindBuffer_;  // the values bound to the shape that runs
    bool reprepared_ = false;  // the library prepared the last shape run again (the schema had changed)
    sqlite3_stmt* begin_ = nullptr;
    sqlite3_stmt* commit_ = nullptr;
    QHash<QString, std::pair<QString, QString>> rowidForms_;
    std::unique_ptr<SchemaCache> schema_;
    int schemaVersion_ = -2;  // never a real version: the first look reads it
    bool versionReadInTransaction_ = false;  // schemaVersion_ read inside the open transaction
    QHash<QString, sqlite3_stmt*> stmts_;
    QSet<QString> guarded_;  // tables (lower case) whose length checks exist
    QHash<QString, QString> writtenTables_;  // statement -> the table it writes to
};

// The server refuses a text longer than its column (error 8152) where the
// library would keep it whole: temporary triggers of this connection check
// the declared lengths of the text columns of a table, ignoring trailing
// blanks as the server does. They are made for a table just before the
// first statement of the connection that writes to it (see
// SqliteEngine::guardLengths), so opening a connection costs nothing.
void guardTextLengths(sqlite3* db, const QString& table) {
    QString quotedTable = table;
    quotedTable.replace(u'"', QStringLiteral("\"\""));
    sqlite3_stmt* st = nullptr;
    const QByteArray q = ("PRAGMA main.table_info(\"" + quotedTable + "\")").toUtf8();
    if (sqlite3_prepare_v2(db, q.constData(), -1, &st, nullptr) != SQLITE_OK) return;
    QStringList checks;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QByteArray decl = textOf(st, 2).toLatin1();
        const ColumnInfo c = columnFromDecl(textOf(st, 1), decl.constData());
        const bool text = c.type == adChar || c.type == adVarChar || c.type == adWChar || c.type == adVarWChar;
        if (!text || c.definedSize <= 0 || c.definedSize >= 8000) continue;
        QString col = c.name;
        col.replace(u'"', QStringLiteral("\"\""));
        checks << QStringLiteral("length(NEW.\"%1\") > %2 AND length(rtrim(NEW.\"%1\", ' ')) > %2").arg(col).arg(c.definedSize);
    }
    sqlite3_finalize(st);
    QString script;
    for (const char* op : {"INSERT", "UPDATE"}) {
        // made again after a schema change: the columns may have changed
        script += QStringLiteral("DROP TRIGGER IF EXISTS temp.\"__len_%1_%2\";").arg(quotedTable, QString::fromLatin1(op));
        if (!checks.isEmpty())
            script += QStringLiteral("CREATE TEMP TRIGGER \"__len_%1_%2\" BEFORE %2 ON main.\"%1\" WHEN %3 "
                                     "BEGIN SELECT RAISE(ABORT, 'String or binary data would be truncated.'); END;")
                          .arg(quotedTable, QString::fromLatin1(op), checks.join(QStringLiteral(" OR ")));
    }
    sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, nullptr);
}

// The table an INSERT or UPDATE writes to (its last name part); empty for
// other statements.
QString writtenTable(const QString& statement) {
    const auto toks = sql::tokenize(statement);
    std::vector<const sql::Token*> sig;
    for (const auto& t : toks)
        if (t.significant()) sig.push_back(&t);
    size_t i = 0;
    if (sig.empty() || !(sig[0]->isWord("INSERT") || sig[0]->isWord("UPDATE") || sig[0]->isWord("REPLACE"))) return {};
    ++i;
    if (i + 1 < sig.size() && sig[i]->isWord("OR")) i += 2;
    if (i < sig.size() && sig[i]->isWord("INTO")) ++i;
    QString name;
    while (i < sig.size() && (sig[i]->kind == sql::TokKind::Word || sig[i]->kind == sql::TokKind::Quoted)) {
        const QString& t = sig[i]->text;
        name = sig[i]->kind == sql::TokKind::Quoted ? t.mid(1, t.size() - 2) : t;
        if (!(i + 1 < sig.size() && sig[i + 1]->isPunct('.'))) break;
        i += 2;
    }
    return name;
}

}  // namespace

std::unique_ptr<Engine> openSqliteEngine(const QString& path, bool fileDatabase, const QString& databaseName,
                                         int connectTimeout, ErrorCollection& errors) {
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
