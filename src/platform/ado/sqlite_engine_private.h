#pragma once
// The embedded engine's connection (SqliteEngine) and what its files share.
// Private to the engine: the program opens it through openSqliteEngine
// (engine.h).
//   sqlite_engine.cpp        opening a file; running statements and batches,
//                            reading their rows; statements differing only
//                            in their literals run as one prepared statement
//   sqlite_transactions.cpp  transactions, savepoints, and the refused commit
//                            parked and stored again
//   sqlite_schema.cpp        the schema as the engine reads it: column types,
//                            the rewrite's schema, the checks of a write
//                            (text lengths, exact numbers)
#include "platform/ado/engine.h"
#include "platform/ado/sql_text.h"
#include "platform/legacy/vberror.h"

#include <sqlite3.h>

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <optional>
#include <string>
#include <utility>

namespace ado::embedded {

inline const QString kSource = QStringLiteral("SQLite");
inline const QString kRowidAlias = QStringLiteral("__ado_rowid");

inline QString textOf(sqlite3_stmt* st, int i) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(st, i)) : QString();
}

// A statement's text as the library is handed it, with its length: a NUL
// inside a text literal goes in as char(0) (sqlite_engine.cpp).
QByteArray engineText(const QString& statement);

// Column type from the declared type of a table column (sqlite_schema.cpp).
ColumnInfo columnFromDecl(const QString& name, const char* decl);

// Waiting for a file that another station holds. The library's own wait
// looks again at growing intervals, up to 100 ms apart; between the commits
// of stations that write without pause the file is free to others only for
// moments, which such a wait keeps missing (a station could not even open
// while two others wrote). This one looks again every millisecond, until its
// limit.
//
// A statement of the caller looks at the file several times (the schema's
// version, preparing, running, committing), and each look may find it busy.
// As the server's command time-out, the limit is counted once for the whole
// statement, from when it is sent: its looks share that one deadline instead
// of each waiting the whole limit anew (a read that waited for the schema and
// again for its rows kept the operator twice the time-out). Outside a
// statement (opening the file) each wait counts from its own start.
struct BusyWait {
    qint64 limitMs = 30000;  // negative: without a limit
    QElapsedTimer since;
    int statements = 0;  // open Statement scopes

    static int handler(void* self, int count) {
        auto* w = static_cast<BusyWait*>(self);
        if (count == 0 && w->statements == 0) w->since.start();
        if (w->limitMs >= 0 && w->since.elapsed() >= w->limitMs) return 0;
        sqlite3_sleep(1);
        return 1;
    }
    void install(sqlite3* db) { sqlite3_busy_handler(db, &BusyWait::handler, this); }

    // One statement of the caller, from its sending to its end; the steps it
    // takes inside (a parked transaction stored again first) belong to it.
    class Statement {
    public:
        explicit Statement(BusyWait& w) : w_(w) {
            if (w_.statements++ == 0) w_.since.start();
        }
        ~Statement() { --w_.statements; }
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;

    private:
        BusyWait& w_;
    };
};

// The declared column types of the database, for the dialect rewrite (a
// day-first date text stays text where it meets a text column). Read table by
// table when first needed and forgotten whenever the schema changes
// (sqlite_schema.cpp).
class SchemaCache final : public sql::SchemaInfo {
public:
    explicit SchemaCache(sqlite3* db) : db_(db) {}
    ~SchemaCache() override;

    const std::vector<Column>* columnsOf(const QString& table) override;

    // The schema's version number (changes with every change of the schema,
    // also by other connections), or -1 when it cannot be read.
    int version();

    void clear() { tables_.clear(); }

private:
    std::optional<std::vector<Column>> read(const QString& table);

    sqlite3* db_;
    sqlite3_stmt* info_ = nullptr;
    sqlite3_stmt* version_ = nullptr;
    QHash<QString, std::optional<std::vector<Column>>> tables_;
};

// The checks of the lengths of a table's text columns and the precision of
// its exact ones, and the rounding to their scale (sqlite_schema.cpp).
void guardWrites(sqlite3* db, const QString& table);
// The table an INSERT or UPDATE writes to (its last name part); empty for
// other statements.
QString writtenTable(const QString& statement);

class SqliteEngine final : public Engine {
public:
    SqliteEngine(sqlite3* db, std::unique_ptr<BusyWait> busy, QString path, QString name)
        : db_(db), busy_(std::move(busy)), path_(std::move(path)), name_(std::move(name)),
          schema_(std::make_unique<SchemaCache>(db)) {
        sqlite3_progress_handler(db_, 1000, &SqliteEngine::progress, this);
        sqlite3_create_function_v2(db_, "SRV_TRANCOUNT", 0, SQLITE_UTF8, this, &SqliteEngine::tranCount, nullptr, nullptr, nullptr);
    }
    ~SqliteEngine() override;

    bool embedded() const override { return true; }
    bool serverDialect() const override { return false; }
    bool hasRowids() const override { return true; }
    // Rows read with their row id are found by it.
    QString rowCondition(const RecordsetData& d, size_t row, Params& params) const override;

    bool execute(const QString& text, Result& result, ErrorCollection& errors) override;
    bool query(const QString& text, bool updatable, Result& result, ErrorCollection& errors) override;
    bool run(const QString& text, const Params& params, int& affected, qint64* lastRowid,
             ErrorCollection& errors) override;

    bool begin(ErrorCollection& errors) override;
    bool commit(ErrorCollection& errors) override;
    bool rollback(ErrorCollection& errors) override;
    bool inTransaction() const override { return parked_ || !sqlite3_get_autocommit(db_); }

private:
    // False, with a lost link, when the file is no longer at its path.
    bool atItsPath(ErrorCollection& errors);

    bool executeNow(const QString& text, Result& result, ErrorCollection& errors);

    bool queryNow(const QString& text, bool updatable, Result& result, ErrorCollection& errors);

    bool runNow(const QString& text, const Params& params, int& affected, qint64* lastRowid, ErrorCollection& errors);

public:
    QString defaultDatabase() override { return name_; }
    bool setDefaultDatabase(const QString& name, ErrorCollection& errors) override;
    void setCommandTimeout(int seconds) override;
    bool setIsolationLevel(int level, ErrorCollection&) override;

    bool tables(std::vector<TableRow>& out, ErrorCollection& errors) override;

    bool columns(const QString& table, std::vector<ColumnRow>& out, ErrorCollection& errors) override;

private:
    static int progress(void* self);
    void startClock() { clock_.start(); }

    // Rewrites depend on the schema (the declared column types): the cache
    // holds those made under the schema version seen last.
    sql::Rewritten rewrite(const QString& statement);

    // The table of a one-table SELECT and the SELECT with the row id first,
    // kept per statement text like the rewrites (no table: not one table).
    std::pair<QString, QString> rowidForm(const QString& select);

    // The checks of a write (text lengths, exact numbers) of the table a
    // statement writes to, made at its first write on this connection since
    // the last schema change or rollback (which takes temporary triggers
    // made inside it away).
    void guardLengths(const QString& statement);

    // Forgets the column types and the rewrites made with them when the
    // schema changed since the last look (this connection or another one).
    // Inside a transaction the version read first holds until it ends (no
    // other connection changes the schema under it; changes of this one
    // force a look), so it is read once per transaction there.
    void checkSchema(bool force = false);

    // A prepared statement for the text, kept for the next time.
    sqlite3_stmt* prepare(const QString& text, ErrorCollection& errors);

    // Transactions nest as on the server (see sqlite_transactions.cpp).
    bool transaction(sql::StmtKind kind, ErrorCollection& errors, const QString& name = {});

    // A commit refused: the work parked and stored again (see sqlite_transactions.cpp).
    void park(ErrorCollection& errors);
    void dropParked();
    // A rollback of the whole transaction (also IF @@TRANCOUNT > 0 ...).
    bool endsParked(const QString& text);
    // A plain read while the work is parked reads it stored again and then
    // parks it again at once (see sqlite_transactions.cpp): the read keeps
    // no write lock and stores nothing.
    class ParkedRead {
    public:
        ParkedRead(SqliteEngine& e, const QString& text, bool batch);
        ~ParkedRead();
    private:
        SqliteEngine& e_;
        bool read_;
    };
    // Stores the parked work again (see park); false, with the error, when
    // it could not: still parked after a time-out; otherwise the work is
    // gone and, as on the server for a transaction that can no longer
    // commit, every statement fails until the caller rolls back.
    bool resume(ErrorCollection& errors);

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
    static size_t hashOf(const legacy::Variant& v);
    static size_t digest(const RecordsetData* d, const std::vector<bool>& clockColumns = {});
    // The rows a statement read, as a step compares them when its work is
    // stored again: the columns of the clock change by themselves and say
    // nothing of what other stations changed, so the rows are compared
    // without them (see sqlite_transactions.cpp).
    static size_t rowsDigest(const QString& text, const RecordsetData* d);
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
    Outcome perform(const Step& s, ErrorCollection& errors);

    static void tranCount(sqlite3_context* ctx, int, sqlite3_value**);

    bool plain(const char* sqlText, ErrorCollection& errors);

    // Runs the SELECT of an IF; false (with the error) when it fails.
    bool guardHolds(const QString& guard, bool& holds, ErrorCollection& errors);

    bool runRewritten(const sql::Rewritten& rw, Result& result, ErrorCollection& errors);

    // The result columns of a prepared statement as its rows are read.
    static std::vector<ColumnInfo> resultColumns(sqlite3_stmt* st, const sql::Rewritten& rw);

    // Steps a prepared statement (its parameters bound) to its end, the rows
    // it gives into the result; `columns`: its result columns when known.
    bool runPrepared(sqlite3_stmt* st, const sql::Rewritten& rw, Result& result, ErrorCollection& errors,
                     const std::vector<ColumnInfo>* columns = nullptr);

    // Runs a statement without parameters or rows, prepared once.
    bool step(sqlite3_stmt*& st, const char* sqlText);

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
                bool& ran, bool preparedOnly = false);

    struct Shape {
        QString skeleton;           // what its statements have in common
        bool made = false;          // false: its statements came once so far
        bool usable = false;
        sql::Rewritten rw;          // its sql with the parameters
        QString written;            // the table it writes to (lower case), for the length checks
        sqlite3_stmt* st = nullptr; // prepared at the first use, finalized with the shape
        std::optional<std::vector<ColumnInfo>> columns;  // its result columns, read with the first rows
    };
    void clearShapes();
    Shape makeShape(const QString& statement, const sql::Parameterised& p, const QString& skeleton);

    // Whether the engine gives the column numeric affinity (its declared
    // type names no text, blob or nothing), so that a number's text stored
    // there becomes the number the literal is.
    bool numericColumn(const QString& table, const QString& column);

    void takeRowids(RecordsetData& d);

    void bind(sqlite3_stmt* st, int i, const legacy::Variant& v);
    // A literal's value as text: a text's content ('' read as ') or a number
    // as written, appended as UTF-8 to the statement's buffer, which stays as
    // it is until the statement has run (a text with surrogates goes the
    // long way).
    void bindLiteral(sqlite3_stmt* st, int i, QStringView literal, bool text);
    static void bindText(sqlite3_stmt* st, int i, const QString& s);

    void addError(ErrorCollection& errors, int rc);

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

}  // namespace ado::embedded
