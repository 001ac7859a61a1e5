#pragma once
// What a Connection needs from a database engine: the embedded one
// (sqlite_engine.cpp) and ODBC (odbc_engine.cpp). Internal to this layer.
#include "platform/ado/constants.h"
#include "platform/ado/error.h"
#include "platform/legacy/variant.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace ado {

class Connection;

struct ColumnInfo {
    QString name;
    int type = adVarChar;  // DataTypeEnum
    int definedSize = 0;
    int precision = 0;
    int scale = 0;
};

using Row = std::vector<legacy::Variant>;

// The rows of a recordset and everything needed to write changes back.
struct RecordsetData {
    std::vector<ColumnInfo> columns;
    std::vector<Row> rows;
    // Updatable recordsets: the table, and on the embedded engine the row id
    // of every row (empty when rows are found by their original values).
    QString table;
    std::vector<qint64> rowids;
    // Otherwise the columns that find a row: the primary key when the
    // recordset holds all of it, else every column.
    std::vector<int> keyColumns;

    // The cursor and the row being edited (kept by Recordset).
    bool open = false;
    bool updatable = false;
    long long pos = 0;           // -1 is BOF, rows.size() is EOF
    bool justDeleted = false;    // pos already shows the row after a deleted one
    int editMode = adEditNone;
    long long posBeforeAdd = 0;
    Row edit;
    std::vector<bool> changed;
    QString source;
    std::shared_ptr<Connection> connection;
};

// Parameters for the statements that write a row back.
using Params = std::vector<legacy::Variant>;

class Engine {
public:
    virtual ~Engine() = default;

    struct Result {
        int affected = 0;
        std::unique_ptr<RecordsetData> rows;  // the last result with columns
    };
    // Runs a statement or batch. On failure fills `errors` and returns false
    // (after the batch rules: stop at the first error, roll back a
    // transaction the batch opened).
    virtual bool execute(const QString& text, Result& result, ErrorCollection& errors) = 0;
    // Runs one SELECT for a recordset. With `updatable` the engine may add
    // what it needs to find the rows again (row ids).
    virtual bool query(const QString& text, bool updatable, Result& result, ErrorCollection& errors) = 0;
    // One statement with ? parameters (writing rows back). `lastRowid`
    // receives the new row's id on the embedded engine.
    virtual bool run(const QString& text, const Params& params, int& affected, qint64* lastRowid,
                     ErrorCollection& errors) = 0;

    virtual bool begin(ErrorCollection& errors) = 0;
    // A commit that fails may leave the transaction open (the embedded
    // engine's, while another station still reads the file, holding no lock
    // of the file meanwhile): it can then be committed again or rolled back.
    virtual bool commit(ErrorCollection& errors) = 0;
    virtual bool rollback(ErrorCollection& errors) = 0;
    // A transaction is open on the connection.
    virtual bool inTransaction() const = 0;

    virtual QString defaultDatabase() = 0;
    virtual bool setDefaultDatabase(const QString& name, ErrorCollection& errors) = 0;
    virtual void setCommandTimeout(int seconds) = 0;
    virtual bool setIsolationLevel(int level, ErrorCollection& errors) = 0;

    // Schema: (TABLE_NAME, TABLE_TYPE) pairs, and the columns of one table
    // (COLUMN_NAME, ordinal, DATA_TYPE code, size).
    struct TableRow { QString name; QString type; };
    struct ColumnRow { QString table; QString name; int ordinal; int type; int size; bool nullable; };
    virtual bool tables(std::vector<TableRow>& out, ErrorCollection& errors) = 0;
    virtual bool columns(const QString& table, std::vector<ColumnRow>& out, ErrorCollection& errors) = 0;

    virtual bool embedded() const = 0;
    // The engine understands the server's dialect itself (SQL Server).
    virtual bool serverDialect() const = 0;
    // Row ids identify rows for updates.
    virtual bool hasRowids() const { return false; }
    // The primary key columns of a table (empty when unknown).
    virtual QStringList primaryKey(const QString& table) { (void)table; return {}; }
    // The WHERE clause (with its leading blank) that finds row `row` of an
    // updatable recordset again, its values appended to `params`: by default
    // the key columns (or every column but the long ones) and their values.
    virtual QString rowCondition(const RecordsetData& d, size_t row, Params& params) const;
};

// A name as it goes into SQL text: plain when it is a plain identifier,
// else in brackets.
QString quoteName(const QString& name);

// ---------------------------------------------------------------------------
// The error mapping, one table for both engines.

enum class Failure {
    Generic,          // any other statement failure
    Syntax,
    MissingTable,
    MissingColumn,
    DuplicateKey,
    Reference,        // foreign key, check constraint
    NotNull,
    Truncation,
    Timeout,
    LinkLost,         // 08S01, 08001 and the like
    LoginFailed,
    MissingDatabase,
    MissingFile,      // local file database not found
    TypeMismatch,
    ReadOnly,         // the database cannot be written (a file or folder without the right to write)
};

// Builds an entry of the error list. `native` 0 takes the standard native
// number of the failure; `sqlState` empty takes the standard state.
Error makeError(Failure f, const QString& description, const QString& source, int native = 0,
                const QString& sqlState = {});

// Classifies an ODBC diagnostic record; nullopt-like Generic for the rest.
Failure classifyOdbc(const QString& sqlState, int native, const QString& message);

// Parses a connection string into (key upper-cased and trimmed, value trimmed).
struct ConnectionParts {
    QList<QPair<QString, QString>> pairs;
    QString value(const char* key) const;  // first match, "" when absent
    bool has(const char* key) const;
};
ConnectionParts parseConnectionString(const QString& s);

// ISO text 'yyyy-mm-dd[ hh:mm[:ss[.fff]]]' (also with 'T') as a Date; false when not such a text.
bool isoToDate(const QString& text, legacy::Date& out);
// The Date as 'yyyy-mm-dd hh:mm:ss'.
QString dateToIso(legacy::Date d);

// Engines. `connectTimeout` (seconds, 0 without a limit): how long opening
// waits for a file that another connection holds.
std::unique_ptr<Engine> openSqliteEngine(const QString& path, bool fileDatabase, const QString& databaseName,
                                         int connectTimeout, ErrorCollection& errors);
// The ODBC driver for SQL Server: "FreeTDS" when registered, else its library.
QString freeTdsDriver();
std::unique_ptr<Engine> openOdbcEngine(const QString& odbcString, int loginTimeout, bool sqlServer,
                                       ErrorCollection& errors);

}  // namespace ado
