#pragma once
// Fresh database files for the data-access tests, and the connection strings
// that reach them through either engine.
#include "platform/ado/ado.h"
#include "platform/ado/sqlite_support.h"
#include "platform/legacy/program.h"
#include "platform/legacy/vberror.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "support/testutil.h"

namespace adotest {

// SqlServer: the server of VORDANE_TEST_MSSQL (support/servidor.h), skipped
// when it is not set.
enum class EngineKind { Embedded, Odbc, SqlServer };

inline const char* engineName(EngineKind k) {
    return k == EngineKind::Embedded ? "Embedded" : k == EngineKind::Odbc ? "Odbc" : "SqlServer";
}
inline void PrintTo(EngineKind k, std::ostream* os) { *os << engineName(k); }

// Creates `path` and runs `ddl` on it. With `collation` the server functions
// and the text collation are registered first (the embedded schema declares it
// on text columns; the ODBC driver does not know it).
inline void createDatabase(const QString& path, const QString& ddl, bool collation) {
    QFile::remove(path);
    sqlite3* db = nullptr;
    const QByteArray p = path.toUtf8();
    if (sqlite3_open(p.constData(), &db) != SQLITE_OK) throw std::runtime_error("cannot create test database");
    if (collation) ado::RegisterSqliteExtensions(db);
    char* msg = nullptr;
    const QByteArray sql = ("BEGIN;" + ddl + ";COMMIT;").toUtf8();
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string m = msg ? msg : "?";
        sqlite3_free(msg);
        sqlite3_close(db);
        throw std::runtime_error("test schema: " + m);
    }
    sqlite3_close(db);
}

// The ODBC driver for SQLite files: by its registered name when registered.
inline QString sqliteOdbcDriver() {
    QFile ini(QStringLiteral("/etc/odbcinst.ini"));
    if (ini.open(QIODevice::ReadOnly) && QString::fromUtf8(ini.readAll()).contains(QStringLiteral("[SQLite3]")))
        return QStringLiteral("SQLite3");
    return QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");
}

// A temporary folder that is the program folder while it lives.
class ProgramFolder {
public:
    ProgramFolder() {
        saved_ = legacy::App();
        legacy::ProgramInfo info = saved_;
        info.path = dir_.path();
        legacy::setApp(info);
    }
    ~ProgramFolder() { legacy::setApp(saved_); }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return QDir(dir_.path()).filePath(name); }

private:
    QTemporaryDir dir_;
    legacy::ProgramInfo saved_;
};

// The first field of the first row `sql` gives (Empty when no row).
inline legacy::Variant firstValue(const ado::ConnectionPtr& cnn, const QString& sql) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(sql, cnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
    return rs->Eof() ? legacy::Variant() : rs->Fields(0).Value();
}

// Runs f and gives back the error it raised (Number 0 when none).
inline legacy::VbError errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const legacy::VbError& e) {
        return e;
    }
    return legacy::VbError();
}

}  // namespace adotest
