#include "platform/ado/connection.h"

#include "platform/ado/engine.h"
#include "platform/legacy/program.h"
#include "platform/legacy/vberror.h"

#include <QDir>
#include <QFileInfo>

namespace ado {

namespace {

const QString kConnectionSource = QStringLiteral("ADODB.Connection");

[[noreturn]] void raise(int number, const QString& description = {}) {
    throw legacy::VbError(number, description.isEmpty() ? legacy::VbError::defaultDescription(number) : description,
                          kConnectionSource);
}

// A value for an ODBC connection string, braced when it holds separators.
QString odbcValue(const QString& v) {
    if (v.contains(u';') || v.contains(u'{') || v.contains(u'}') || v.startsWith(u' ') || v.endsWith(u' '))
        return u'{' + QString(v).replace(QStringLiteral("}"), QStringLiteral("}}")) + u'}';
    return v;
}

QString firstOf(const ConnectionParts& p, std::initializer_list<const char*> keys) {
    for (const char* k : keys)
        if (p.has(k)) return p.value(k);
    return {};
}

}  // namespace

Connection::Connection() = default;

Connection::~Connection() {
    if (engine_ && transactionLevel_ > 0) {
        ErrorCollection ignored;
        engine_->rollback(ignored);
    }
}

int Connection::State() const { return engine_ ? adStateOpen : adStateClosed; }

bool Connection::isEmbedded() const { return engine_ && engine_->embedded(); }

void Connection::raiseFirstError() {
    if (errors_.empty()) raise(kErrProvider, QStringLiteral("Error no especificado"));
    const Error& e = errors_.Item(0);
    throw legacy::VbError(e.Number, e.Description, e.Source);
}

void Connection::setConnectionString(const QString& s) {
    if (engine_) raise(adErrObjectOpen);
    connectionString_ = s;
}

void Connection::setConnectionTimeout(int seconds) {
    if (engine_) raise(adErrObjectOpen);
    if (seconds < 0) raise(adErrInvalidArgument);
    connectionTimeout_ = seconds;
}

void Connection::setCommandTimeout(int seconds) {
    if (seconds < 0) raise(adErrInvalidArgument);
    commandTimeout_ = seconds;
    if (engine_) engine_->setCommandTimeout(seconds);
}

void Connection::setCursorLocation(int v) {
    if (v != adUseNone && v != adUseServer && v != adUseClient) raise(adErrInvalidArgument);
    cursorLocation_ = v;
}

void Connection::setIsolationLevel(int v) {
    isolationLevel_ = v;
    if (engine_) {
        errors_.Clear();
        if (!engine_->setIsolationLevel(v, errors_)) raiseFirstError();
    }
}

QString Connection::DefaultDatabase() const {
    if (!engine_) return {};
    return engine_->defaultDatabase();
}

void Connection::setDefaultDatabase(const QString& name) {
    if (!engine_) raise(adErrInvalidConnection);
    errors_.Clear();
    if (!engine_->setDefaultDatabase(name, errors_)) raiseFirstError();
}

QString Connection::Provider() const {
    const ConnectionParts p = parseConnectionString(connectionString_);
    const QString provider = p.value("PROVIDER");
    if (!provider.isEmpty()) return provider;
    return QStringLiteral("MSDASQL");
}

void Connection::Open(const QString& connectionString, const QString& userId, const QString& password, int) {
    if (engine_) raise(adErrObjectOpen);
    errors_.Clear();
    if (!connectionString.isEmpty()) connectionString_ = connectionString;
    const QString cs = connectionString_;
    const ConnectionParts parts = parseConnectionString(cs);
    const QString provider = parts.value("PROVIDER").trimmed().toUpper();
    const QString head = cs.trimmed().toUpper();
    int timeout = connectionTimeout_;
    if (parts.has("CONNECT TIMEOUT") || parts.has("CONNECTION TIMEOUT")) {
        bool ok = false;
        const int t = firstOf(parts, {"CONNECT TIMEOUT", "CONNECTION TIMEOUT"}).toInt(&ok);
        if (ok && t >= 0) timeout = t;
    }

    if (head.startsWith(u"DRIVER") || head.startsWith(u"DSN")) {
        // an ODBC string: used as given (apart from explicit credentials)
        QString odbc = cs;
        if (!userId.isEmpty()) odbc += QStringLiteral(";UID=") + odbcValue(userId);
        if (!password.isEmpty()) odbc += QStringLiteral(";PWD=") + odbcValue(password);
        engine_ = openOdbcEngine(odbc, timeout, false, errors_);
    } else if (provider.startsWith(u"MICROSOFT.JET.OLEDB") || provider.startsWith(u"MICROSOFT.ACE.OLEDB")) {
        // the local database file of this platform
        const QString path = firstOf(parts, {"DATA SOURCE", "DBQ"});
        engine_ = openSqliteEngine(path, true, QFileInfo(path).completeBaseName(), timeout, errors_);
    } else if (provider.startsWith(u"ORAOLEDB") || provider.startsWith(u"MSDAORA")) {
        const QString dsn = firstOf(parts, {"DATA SOURCE"});
        if (dsn.trimmed().isEmpty()) {
            errors_.add(makeError(Failure::LinkLost, QStringLiteral("Falta el origen de datos (Data Source) de la conexión Oracle."),
                                  QStringLiteral("ODBC"), 0, QStringLiteral("IM002")));
        } else {
            const QString user = userId.isEmpty() ? firstOf(parts, {"USER ID", "UID"}) : userId;
            const QString pass = password.isEmpty() ? firstOf(parts, {"PASSWORD", "PWD"}) : password;
            const QString odbc = QStringLiteral("DSN=%1;UID=%2;PWD=%3").arg(odbcValue(dsn), odbcValue(user), odbcValue(pass));
            engine_ = openOdbcEngine(odbc, timeout, false, errors_);
        }
    } else {
        // SQL Server (the SQLOLEDB strings of the program)
        const QString server = firstOf(parts, {"SERVER", "DATA SOURCE", "ADDRESS", "ADDR"}).trimmed();
        const QString database = firstOf(parts, {"DATABASE", "INITIAL CATALOG"}).trimmed();
        const QString user = userId.isEmpty() ? firstOf(parts, {"UID", "USER ID"}) : userId;
        const QString pass = password.isEmpty() ? firstOf(parts, {"PWD", "PASSWORD"}) : password;
        if (server.compare(u"(sqlite)", Qt::CaseInsensitive) == 0) {
            const QString path = QDir(legacy::App().path).filePath(database + QStringLiteral(".sqlite"));
            engine_ = openSqliteEngine(path, false, database, timeout, errors_);
        } else {
            QString host = server;
            QString port;
            if (const qsizetype comma = host.indexOf(u','); comma >= 0) {
                port = host.mid(comma + 1).trimmed();
                host = host.left(comma).trimmed();
            }
            QString odbc = QStringLiteral("Driver=%1;Server=%2;").arg(odbcValue(freeTdsDriver()), odbcValue(host));
            if (!port.isEmpty()) odbc += QStringLiteral("Port=%1;").arg(port);
            if (!database.isEmpty()) odbc += QStringLiteral("Database=%1;").arg(odbcValue(database));
            odbc += QStringLiteral("UID=%1;PWD=%2;TDS_Version=7.4;ClientCharset=UTF-8").arg(odbcValue(user), odbcValue(pass));
            engine_ = openOdbcEngine(odbc, timeout, true, errors_);
        }
    }
    if (!engine_) raiseFirstError();
    if (decorator_) engine_ = decorator_(std::move(engine_));
    engine_->setCommandTimeout(commandTimeout_);
    if (isolationLevel_ != adXactReadCommitted && !engine_->setIsolationLevel(isolationLevel_, errors_)) {
        engine_.reset();
        raiseFirstError();
    }
    transactionLevel_ = 0;
}

void Connection::setEngineDecorator(EngineDecorator decorator) {
    decorator_ = std::move(decorator);
    if (engine_ && decorator_) engine_ = decorator_(std::move(engine_));
}

void Connection::Close() {
    if (!engine_) raise(adErrObjectClosed);
    if (transactionLevel_ > 0) {
        ErrorCollection ignored;
        engine_->rollback(ignored);
        transactionLevel_ = 0;
    }
    engine_.reset();
}

RecordsetPtr Connection::Execute(const QString& commandText, int* recordsAffected, int) {
    errors_.Clear();
    if (!engine_) raise(adErrInvalidConnection);
    Engine::Result r;
    const bool ok = engine_->execute(commandText, r, errors_);
    if (recordsAffected) *recordsAffected = r.affected;
    if (!ok) raiseFirstError();
    auto self = std::static_pointer_cast<Connection>(weak_from_this().lock());
    return Recordset::fromData(std::move(r.rows), self);
}

int Connection::BeginTrans() {
    errors_.Clear();
    if (!engine_) raise(adErrInvalidConnection);
    if (transactionLevel_ > 0)
        raise(kErrProvider, QStringLiteral("No se admiten transacciones anidadas."));
    if (!engine_->begin(errors_)) raiseFirstError();
    transactionLevel_ = 1;
    return transactionLevel_;
}

void Connection::endTransaction(bool commit) {
    errors_.Clear();
    if (!engine_) raise(adErrInvalidConnection);
    if (transactionLevel_ == 0) raise(kErrProvider, QStringLiteral("No hay ninguna transacción activa."));
    const bool ended = commit ? engine_->commit(errors_) : engine_->rollback(errors_);
    // A commit the engine refused (on the embedded engine: another station
    // still reading the file after the whole wait) leaves the transaction
    // open and counted: the caller commits it again or rolls it back.
    if (ended || !engine_->inTransaction()) transactionLevel_ = 0;
    if (!ended) raiseFirstError();
}

void Connection::CommitTrans() { endTransaction(true); }

void Connection::RollbackTrans() { endTransaction(false); }

RecordsetPtr Connection::OpenSchema(int schema, const legacy::VariantList& restrictions) {
    errors_.Clear();
    if (!engine_) raise(adErrInvalidConnection);
    auto restriction = [&](int i) -> QString {
        if (i >= restrictions.size()) return {};
        const legacy::Variant& v = restrictions[i];
        if (v.IsNull() || v.IsEmpty()) return {};
        return v.toString();
    };
    const QString catalog = engine_->defaultDatabase();
    auto data = std::make_unique<RecordsetData>();
    auto col = [&](const char* name, int type, int size) {
        ColumnInfo c;
        c.name = QString::fromLatin1(name);
        c.type = type;
        c.definedSize = size;
        data->columns.push_back(c);
    };
    const QString tableFilter = restriction(2);
    if (schema == adSchemaTables) {
        col("TABLE_CATALOG", adVarWChar, 128);
        col("TABLE_SCHEMA", adVarWChar, 128);
        col("TABLE_NAME", adVarWChar, 128);
        col("TABLE_TYPE", adVarWChar, 32);
        col("DESCRIPTION", adVarWChar, 255);
        const QString typeFilter = restriction(3);
        std::vector<Engine::TableRow> rows;
        if (!engine_->tables(rows, errors_)) raiseFirstError();
        for (const auto& t : rows) {
            if (!tableFilter.isEmpty() && t.name.compare(tableFilter, Qt::CaseInsensitive) != 0) continue;
            if (!typeFilter.isEmpty() && t.type.compare(typeFilter, Qt::CaseInsensitive) != 0) continue;
            data->rows.push_back({legacy::Variant(catalog), legacy::Variant::Null(), legacy::Variant(t.name),
                                  legacy::Variant(t.type), legacy::Variant::Null()});
        }
    } else if (schema == adSchemaColumns) {
        col("TABLE_CATALOG", adVarWChar, 128);
        col("TABLE_SCHEMA", adVarWChar, 128);
        col("TABLE_NAME", adVarWChar, 128);
        col("COLUMN_NAME", adVarWChar, 128);
        col("ORDINAL_POSITION", adInteger, 4);
        col("IS_NULLABLE", adBoolean, 2);
        col("DATA_TYPE", adSmallInt, 2);
        col("CHARACTER_MAXIMUM_LENGTH", adInteger, 4);
        const QString columnFilter = restriction(3);
        std::vector<QString> tables;
        if (!tableFilter.isEmpty()) {
            tables.push_back(tableFilter);
        } else {
            std::vector<Engine::TableRow> rows;
            if (!engine_->tables(rows, errors_)) raiseFirstError();
            for (const auto& t : rows) tables.push_back(t.name);
        }
        for (const QString& t : tables) {
            std::vector<Engine::ColumnRow> cols;
            if (!engine_->columns(t, cols, errors_)) raiseFirstError();
            for (const auto& c : cols) {
                if (!columnFilter.isEmpty() && c.name.compare(columnFilter, Qt::CaseInsensitive) != 0) continue;
                const bool text = c.type == adChar || c.type == adVarChar || c.type == adWChar || c.type == adVarWChar ||
                                  c.type == adLongVarChar || c.type == adLongVarWChar;
                data->rows.push_back({legacy::Variant(catalog), legacy::Variant::Null(), legacy::Variant(c.table),
                                      legacy::Variant(c.name), legacy::Variant(c.ordinal), legacy::Variant(c.nullable),
                                      legacy::Variant(std::int16_t(c.type)),
                                      text ? legacy::Variant(c.size) : legacy::Variant::Null()});
            }
        }
    } else {
        raise(adErrFeatureNotAvailable);
    }
    auto self = std::static_pointer_cast<Connection>(weak_from_this().lock());
    return Recordset::fromData(std::move(data), self);
}

}  // namespace ado
