#pragma once
// The Connection: one database connection, opened from a connection string
// that decides the engine:
//   PROVIDER=SQLOLEDB;Server=(sqlite);Database=D;...   the embedded engine on
//       the file "<program folder>/D.sqlite" (legacy::App().path); a missing
//       file fails like a missing database (nothing is created)
//   PROVIDER=SQLOLEDB;Server=host[\inst|,port];Database=D;UId=U;Pwd=P;Connect Timeout=n
//       ODBC with the FreeTDS driver (TDS 7.4), then SET DATEFORMAT dmy
//   Provider=OraOLEDB.Oracle.1;Data Source=X;User Id=U;Password=P;
//       the ODBC data source X
//   Provider=Microsoft.Jet.OLEDB.4.0 (or .3.51);Data Source=path
//       the embedded engine on that file (SQLState "3024" when missing)
//   Driver=...; or DSN=...;   ODBC, the string unchanged
// Keys are read without regard to letter case and blanks around keys and
// values are ignored.
//
// Held by std::shared_ptr (a legacy::Variant can hold it; TypeName
// "Connection"): auto cnn = std::make_shared<ado::Connection>();
//
// Every Open, Execute and recordset Open clears Errors() first; a failure
// fills it (errors only, no warnings or informational messages) and raises a
// legacy::VbError with the first entry's Number and Description. Errors of
// this layer itself (3704, 3705, 3709, 3001, ...) raise without an entry.
#include "platform/ado/constants.h"
#include "platform/ado/error.h"
#include "platform/ado/recordset.h"
#include "platform/legacy/variant.h"

#include <QString>

#include <functional>
#include <memory>

namespace ado {

class Engine;

class Connection : public legacy::Object {
public:
    Connection();
    ~Connection() override;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    QString TypeName() const override { return QStringLiteral("Connection"); }

    // Opens with `connectionString`, or with ConnectionString() when empty.
    // userId / password, when not empty, take the place of the string's own.
    // Error 3705 when already open.
    void Open(const QString& connectionString = {}, const QString& userId = {},
              const QString& password = {}, int options = adOptionUnspecified);
    // Closes; an open transaction is rolled back. Error 3704 when closed.
    void Close();
    int State() const;  // adStateClosed or adStateOpen

    // One statement or a batch (statements separated by CR, LF or CR LF, with
    // or without ";"). recordsAffected receives the rows changed by all
    // statements of the call; the result is the last recordset that produced
    // rows (a closed recordset when none did).
    // On the embedded engine a batch stops at its first error and a
    // transaction the batch opened and left open is rolled back, so a batch
    // between BEGIN TRANSACTION and COMMIT TRANSACTION is all or nothing.
    RecordsetPtr Execute(const QString& commandText, int* recordsAffected = nullptr,
                         int options = adOptionUnspecified);
    RecordsetPtr Execute(const QString& commandText, int& recordsAffected,
                         int options = adOptionUnspecified) {
        return Execute(commandText, &recordsAffected, options);
    }

    // Transactions; BeginTrans returns the nesting level (1 for the first).
    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // adSchemaTables (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE) or
    // adSchemaColumns (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME,
    // ORDINAL_POSITION, DATA_TYPE, ...). Restrictions as in the old component
    // library: catalog, schema, table name, then column or table type; Empty
    // or Null entries restrict nothing. Table names compare without regard
    // to letter case.
    RecordsetPtr OpenSchema(int schema, const legacy::VariantList& restrictions = {});

    ErrorCollection& Errors() { return errors_; }
    const ErrorCollection& Errors() const { return errors_; }

    // Reads back exactly what was given. Error 3705 on setting while open.
    QString ConnectionString() const { return connectionString_; }
    void setConnectionString(const QString& s);
    int ConnectionTimeout() const { return connectionTimeout_; }  // seconds; default 15
    void setConnectionTimeout(int seconds);
    int CommandTimeout() const { return commandTimeout_; }        // seconds; default 30; 0 = none
    void setCommandTimeout(int seconds);
    int CursorLocation() const { return cursorLocation_; }        // default adUseServer (2)
    void setCursorLocation(int v);
    int IsolationLevel() const { return isolationLevel_; }        // default adXactReadCommitted
    void setIsolationLevel(int v);
    // The current database. Setting it on a server changes the database; on
    // the embedded engine it must name the open file (its name without
    // ".sqlite", or its path) or it fails like a missing database.
    QString DefaultDatabase() const;
    void setDefaultDatabase(const QString& name);
    // "SQLOLEDB", "OraOLEDB.Oracle.1", "Microsoft.Jet.OLEDB.4.0", "MSDASQL".
    QString Provider() const;

    // --- for this layer and its tests ---------------------------------
    // True when the embedded engine is in use.
    bool isEmbedded() const;
    // The engine of the open connection (nullptr when closed).
    Engine* engine() const { return engine_.get(); }
    // Fails with the first error of Errors() (called after filling it).
    [[noreturn]] void raiseFirstError();
    // Wraps the engine of every opening from now on (the open one at once):
    // the decorator receives the engine and returns what the connection uses.
    using EngineDecorator = std::function<std::unique_ptr<Engine>(std::unique_ptr<Engine>)>;
    void setEngineDecorator(EngineDecorator decorator);
    bool hasEngineDecorator() const { return bool(decorator_); }

private:
    // CommitTrans and RollbackTrans: the same checks, then the engine's call.
    void endTransaction(bool commit);

    std::unique_ptr<Engine> engine_;
    EngineDecorator decorator_;
    ErrorCollection errors_;
    QString connectionString_;
    int connectionTimeout_ = 15;
    int commandTimeout_ = 30;
    int cursorLocation_ = adUseServer;
    int isolationLevel_ = adXactReadCommitted;
    int transactionLevel_ = 0;
};

using ConnectionPtr = std::shared_ptr<Connection>;

}  // namespace ado
