// The ODBC engine: SQL Server through the FreeTDS driver, or any data source
// the machine has. Text goes through the wide-character calls, so accented
// letters arrive as they are.
#include "platform/ado/engine.h"
#include "platform/ado/sql_lexer.h"

#include <sql.h>
#include <sqlext.h>

#include <QDate>
#include <QTime>

#include <cstring>

namespace ado {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC wide characters are UTF-16");

const QString kSource = QStringLiteral("ODBC");

std::u16string wide(const QString& s) { return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size())); }
SQLWCHAR* wptr(std::u16string& s) { return reinterpret_cast<SQLWCHAR*>(s.data()); }
QString fromWide(const SQLWCHAR* p, qsizetype chars) { return QString::fromUtf16(reinterpret_cast<const char16_t*>(p), chars); }

SQLHENV environment() {
    static SQLHENV env = [] {
        SQLHENV e = SQL_NULL_HENV;
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &e);
        SQLSetEnvAttr(e, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return e;
    }();
    return env;
}

// The diagnostic records of a handle as entries of the error list; warnings
// and informational records (class 01: PRINT output, "changed database
// context", ...) are left out.
int collectDiag(SQLSMALLINT type, SQLHANDLE h, ErrorCollection& errors, bool connecting, bool serverNatives) {
    int added = 0;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR msg[2048];
        SQLSMALLINT len = 0;
        const SQLRETURN rc = SQLGetDiagRecW(type, h, i, state, &native, msg, SQLSMALLINT(std::size(msg)), &len);
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc)) break;
        const QString st = fromWide(state, 5);
        if (st.startsWith(u"01")) continue;
        const QString text = fromWide(msg, qMin<qsizetype>(len, qsizetype(std::size(msg)) - 1));
        Failure f = classifyOdbc(st, int(native), text);
        if (f == Failure::Generic && connecting) f = Failure::LinkLost;
        QString description = text;
        if (st == u"IM002")
            description = QStringLiteral("No existe el origen de datos ODBC indicado o no tiene controlador configurado. ") + text;
        // Other sources number their errors their own way: the list carries
        // the server's numbers for the same failures.
        Error e = makeError(f, description, kSource, serverNatives ? int(native) : 0, st);
        if (f == Failure::LinkLost) e.NativeError = kNativeNetwork;
        if (f == Failure::Generic && connecting) e.Number = kErrProvider;
        if (st.startsWith(u"IM")) e.Number = kErrProvider;
        errors.add(e);
        ++added;
    }
    return added;
}

int adoTypeOf(SQLSMALLINT sqlType, const QString& typeName) {
    const QString tn = typeName.toLower();
    // Drivers that keep the declared type name (files) are read by it.
    if (tn.startsWith(u"money") || tn.startsWith(u"smallmoney")) return adCurrency;
    if (tn.startsWith(u"decimal") || tn.startsWith(u"numeric")) return adNumeric;
    switch (sqlType) {
    case SQL_CHAR: return adChar;
    case SQL_VARCHAR: return adVarChar;
    case SQL_LONGVARCHAR: return adLongVarChar;
    case SQL_WCHAR: return adWChar;
    case SQL_WVARCHAR: return adVarWChar;
    case SQL_WLONGVARCHAR: return adLongVarWChar;
    case SQL_SMALLINT: return adSmallInt;
    case SQL_INTEGER: return adInteger;
    case SQL_TINYINT: return adUnsignedTinyInt;
    case SQL_BIGINT: return adBigInt;
    case SQL_BIT: return adBoolean;
    case SQL_REAL: return adSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE: return adDouble;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return tn.contains(u"money") ? adCurrency : adNumeric;
    case SQL_TYPE_DATE:
    case SQL_DATE: return adDBDate;
    case SQL_TYPE_TIME:
    case SQL_TIME: return adDBTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return adDBTimeStamp;
    case SQL_GUID: return adGUID;
    case SQL_BINARY: return adBinary;
    case SQL_VARBINARY: return adVarBinary;
    case SQL_LONGVARBINARY: return adLongVarBinary;
    default: break;
    }
    if (tn.contains(u"date") || tn.contains(u"time")) return adDBTimeStamp;
    return adVarChar;
}

legacy::Variant convertText(const QString& t, ColumnInfo& c) {
    switch (c.type) {
    case adBoolean: {
        const QString s = t.trimmed();
        return s == u"1" || s.compare(u"true", Qt::CaseInsensitive) == 0 || (s.toLongLong() != 0);
    }
    case adSmallInt:
    case adInteger:
    case adUnsignedTinyInt:
    case adBigInt: {
        bool ok = false;
        const long long v = t.trimmed().toLongLong(&ok);
        if (ok) return legacy::Variant(v);
        return t;
    }
    case adCurrency:
        if (auto v = legacy::Currency::parse(t.trimmed())) return *v;
        if (auto d = legacy::Decimal::parse(t.trimmed())) return legacy::Currency::fromDecimal(*d);
        return t;
    case adNumeric:
        if (auto d = legacy::Decimal::parse(t.trimmed())) return *d;
        return t;
    case adSingle:
    case adDouble: {
        bool ok = false;
        const double d = t.trimmed().toDouble(&ok);
        if (ok) return d;
        return t;
    }
    case adDBDate:
    case adDBTimeStamp: {
        legacy::Date d;
        if (isoToDate(t.trimmed(), d)) return d;
        return t;
    }
    default:
        return t;
    }
}

class OdbcEngine final : public Engine {
public:
    OdbcEngine(SQLHDBC dbc, bool sqlServer) : dbc_(dbc), sqlServer_(sqlServer) {}
    ~OdbcEngine() override {
        if (inTransaction_) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    }

    bool embedded() const override { return false; }
    bool serverDialect() const override { return sqlServer_; }

    bool execute(const QString& text, Result& result, ErrorCollection& errors) override {
        if (sqlServer_) return executeOnServer(text, result, errors);
        // Other sources get the statements one by one, with the batch rules
        // of the embedded engine.
        const QStringList parts = sql::splitBatch(text);
        bool openedHere = false;
        for (const QString& statement : parts) {
            const sql::StmtKind k = sql::statementKind(statement);
            if (!runDirect(statement, result, errors)) {
                if (openedHere) {
                    ErrorCollection ignored;
                    Result r;
                    runDirect(QStringLiteral("ROLLBACK"), r, ignored);
                }
                return false;
            }
            if (k == sql::StmtKind::Begin) openedHere = true;
            else if (k == sql::StmtKind::Commit || k == sql::StmtKind::Rollback) openedHere = false;
        }
        return true;
    }

    bool query(const QString& text, bool updatable, Result& result, ErrorCollection& errors) override {
        if (!runDirect(text, result, errors)) return false;
        if (!result.rows) result.rows = std::make_unique<RecordsetData>();
        if (updatable) result.rows->table = sql::singleTableOf(text);
        return true;
    }

    bool run(const QString& text, const Params& params, int& affected, qint64* lastRowid,
             ErrorCollection& errors) override {
        if (lastRowid) *lastRowid = -1;
        Stmt st(dbc_, timeout_);
        std::u16string sqlText = wide(text);
        if (!check(SQLPrepareW(st.h, wptr(sqlText), SQLINTEGER(sqlText.size())), SQL_HANDLE_STMT, st.h, errors)) return false;
        // Buffers stay alive until the statement ran.
        std::vector<std::u16string> texts(params.size());
        std::vector<long long> ints(params.size());
        std::vector<double> doubles(params.size());
        std::vector<SQL_TIMESTAMP_STRUCT> stamps(params.size());
        std::vector<unsigned char> bits(params.size());
        std::vector<SQLLEN> ind(params.size());
        for (size_t i = 0; i < params.size(); ++i) {
            const legacy::Variant& v = params[i];
            const SQLUSMALLINT n = SQLUSMALLINT(i + 1);
            SQLRETURN rc;
            if (v.IsNull() || v.IsEmpty()) {
                ind[i] = SQL_NULL_DATA;
                rc = SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 1, 0, nullptr, 0, &ind[i]);
            } else if (auto b = v.get<bool>()) {
                bits[i] = *b ? 1 : 0;
                ind[i] = 0;
                rc = SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_BIT, SQL_BIT, 1, 0, &bits[i], 0, &ind[i]);
            } else if (v.get<std::int16_t>() || v.get<std::int32_t>()) {
                ints[i] = v.toLong();
                ind[i] = 0;
                rc = SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_INTEGER, 10, 0, &ints[i], 0, &ind[i]);
            } else if (auto d = v.get<double>()) {
                doubles[i] = *d;
                ind[i] = 0;
                rc = SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &doubles[i], 0, &ind[i]);
            } else if (v.get<legacy::Currency>() || v.get<legacy::Decimal>()) {
                const legacy::Decimal dec = v.toDecimal();
                texts[i] = wide(dec.toString());
                ind[i] = SQLLEN(texts[i].size() * sizeof(char16_t));
                rc = SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_DECIMAL, 38, SQLSMALLINT(dec.scale()),
                                      wptr(texts[i]), ind[i], &ind[i]);
            } else if (auto dt = v.get<legacy::Date>()) {
                const QDateTime x = dt->toDateTime();
                stamps[i] = SQL_TIMESTAMP_STRUCT{SQLSMALLINT(x.date().year()), SQLUSMALLINT(x.date().month()),
                                                 SQLUSMALLINT(x.date().day()), SQLUSMALLINT(x.time().hour()),
                                                 SQLUSMALLINT(x.time().minute()), SQLUSMALLINT(x.time().second()), 0};
                ind[i] = sizeof(SQL_TIMESTAMP_STRUCT);
                rc = SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 0, &stamps[i],
                                      0, &ind[i]);
            } else {
                texts[i] = wide(v.toString());
                ind[i] = SQLLEN(texts[i].size() * sizeof(char16_t));
                rc = SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                      SQLULEN(qMax<size_t>(1, texts[i].size())), 0, wptr(texts[i]), ind[i], &ind[i]);
            }
            if (!check(rc, SQL_HANDLE_STMT, st.h, errors)) return false;
        }
        const SQLRETURN rc = SQLExecute(st.h);
        if (rc != SQL_NO_DATA && !check(rc, SQL_HANDLE_STMT, st.h, errors)) return false;
        SQLLEN count = 0;
        SQLRowCount(st.h, &count);
        affected = count < 0 ? 0 : int(count);
        return true;
    }

    bool begin(ErrorCollection& errors) override {
        if (!check(SQLSetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                   SQL_HANDLE_DBC, dbc_, errors))
            return false;
        inTransaction_ = true;
        return true;
    }
    bool commit(ErrorCollection& errors) override { return endTran(SQL_COMMIT, errors); }
    bool rollback(ErrorCollection& errors) override { return endTran(SQL_ROLLBACK, errors); }
    bool inTransaction() const override { return inTransaction_; }

    QString defaultDatabase() override {
        SQLWCHAR buf[512] = {};
        SQLINTEGER len = 0;
        if (!SQL_SUCCEEDED(SQLGetConnectAttrW(dbc_, SQL_ATTR_CURRENT_CATALOG, buf, sizeof(buf) - sizeof(SQLWCHAR), &len)))
            return {};
        return fromWide(buf, qMin<qsizetype>(len / qsizetype(sizeof(SQLWCHAR)), 511));
    }
    bool setDefaultDatabase(const QString& name, ErrorCollection& errors) override {
        std::u16string w = wide(name);
        return check(SQLSetConnectAttrW(dbc_, SQL_ATTR_CURRENT_CATALOG, wptr(w), SQLINTEGER(w.size() * sizeof(SQLWCHAR))),
                     SQL_HANDLE_DBC, dbc_, errors);
    }
    void setCommandTimeout(int seconds) override { timeout_ = seconds; }
    bool setIsolationLevel(int level, ErrorCollection& errors) override {
        SQLULEN v = SQL_TXN_READ_COMMITTED;
        if (level == adXactReadUncommitted) v = SQL_TXN_READ_UNCOMMITTED;
        else if (level == adXactRepeatableRead) v = SQL_TXN_REPEATABLE_READ;
        else if (level == adXactSerializable) v = SQL_TXN_SERIALIZABLE;
        ErrorCollection local;
        const bool ok = check(SQLSetConnectAttrW(dbc_, SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(v), 0),
                              SQL_HANDLE_DBC, dbc_, local);
        // Sources without isolation levels (files) keep theirs.
        if (!ok && sqlServer_) {
            for (const auto& e : local) errors.add(e);
            return false;
        }
        return true;
    }

    bool tables(std::vector<TableRow>& out, ErrorCollection& errors) override {
        Stmt st(dbc_, timeout_);
        std::u16string types = wide(QStringLiteral("TABLE,VIEW"));
        if (!check(SQLTablesW(st.h, nullptr, 0, nullptr, 0, nullptr, 0, wptr(types), SQL_NTS), SQL_HANDLE_STMT, st.h, errors))
            return false;
        while (SQL_SUCCEEDED(SQLFetch(st.h))) out.push_back({getText(st.h, 3), getText(st.h, 4)});
        return true;
    }
    QStringList primaryKey(const QString& table) override {
        Stmt st(dbc_, timeout_);
        std::u16string t = wide(table);
        QStringList keys;
        if (!SQL_SUCCEEDED(SQLPrimaryKeysW(st.h, nullptr, 0, nullptr, 0, wptr(t), SQLSMALLINT(t.size())))) return keys;
        while (SQL_SUCCEEDED(SQLFetch(st.h))) keys << getText(st.h, 4);
        return keys;
    }

    bool columns(const QString& table, std::vector<ColumnRow>& out, ErrorCollection& errors) override {
        Stmt st(dbc_, timeout_);
        std::u16string t = wide(table);
        if (!check(SQLColumnsW(st.h, nullptr, 0, nullptr, 0, wptr(t), SQLSMALLINT(t.size()), nullptr, 0), SQL_HANDLE_STMT,
                   st.h, errors))
            return false;
        int ordinal = 0;
        while (SQL_SUCCEEDED(SQLFetch(st.h))) {
            ++ordinal;
            const int sqlType = getText(st.h, 5).toInt();
            const QString typeName = getText(st.h, 6);
            const int pos = getText(st.h, 17).toInt();
            out.push_back({getText(st.h, 3), getText(st.h, 4), pos > 0 ? pos : ordinal, adoTypeOf(SQLSMALLINT(sqlType), typeName),
                           getText(st.h, 7).toInt(), getText(st.h, 11).toInt() != 0});
        }
        return true;
    }

private:
    struct Stmt {
        SQLHSTMT h = SQL_NULL_HSTMT;
        Stmt(SQLHDBC dbc, int timeout) {
            SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h);
            if (timeout > 0) SQLSetStmtAttrW(h, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(timeout)), 0);
        }
        ~Stmt() { SQLFreeHandle(SQL_HANDLE_STMT, h); }
    };

    bool check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, ErrorCollection& errors) const {
        if (SQL_SUCCEEDED(rc)) return true;
        if (collectDiag(type, h, errors, false, sqlServer_) == 0 && rc == SQL_ERROR)
            errors.add(makeError(Failure::Generic, QStringLiteral("Error del controlador ODBC sin diagnóstico."), kSource));
        return false;
    }

    bool endTran(SQLSMALLINT how, ErrorCollection& errors) {
        const bool ok = check(SQLEndTran(SQL_HANDLE_DBC, dbc_, how), SQL_HANDLE_DBC, dbc_, errors);
        SQLSetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        inTransaction_ = false;
        return ok;
    }

    static QString getText(SQLHSTMT h, SQLUSMALLINT col) {
        SQLWCHAR buf[1024];
        SQLLEN ind = 0;
        QString out;
        for (;;) {
            const SQLRETURN rc = SQLGetData(h, col, SQL_C_WCHAR, buf, sizeof(buf), &ind);
            if (rc == SQL_NO_DATA) break;
            if (!SQL_SUCCEEDED(rc) || ind == SQL_NULL_DATA) return out;
            const qsizetype maxChars = qsizetype(sizeof(buf) / sizeof(SQLWCHAR)) - 1;
            qsizetype chars = (ind == SQL_NO_TOTAL || ind / qsizetype(sizeof(SQLWCHAR)) > maxChars)
                                  ? maxChars
                                  : ind / qsizetype(sizeof(SQLWCHAR));
            out += fromWide(buf, chars);
            if (rc == SQL_SUCCESS) break;
        }
        return out;
    }

    // Reads every row of the current result of `h`.
    bool fetchAll(SQLHSTMT h, SQLSMALLINT nCols, RecordsetData& data, ErrorCollection& errors) {
        data.columns.resize(size_t(nCols));
        for (SQLSMALLINT i = 1; i <= nCols; ++i) {
            SQLWCHAR name[256];
            SQLSMALLINT nameLen = 0, type = 0, decimals = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeColW(h, SQLUSMALLINT(i), name, 255, &nameLen, &type, &size, &decimals, &nullable);
            SQLWCHAR tn[128] = {};
            SQLSMALLINT tnLen = 0;
            SQLColAttributeW(h, SQLUSMALLINT(i), SQL_DESC_TYPE_NAME, tn, sizeof(tn) - sizeof(SQLWCHAR), &tnLen, nullptr);
            ColumnInfo& c = data.columns[size_t(i - 1)];
            c.name = fromWide(name, qMin<qsizetype>(nameLen, 255));
            c.type = adoTypeOf(type, fromWide(tn, qMin<qsizetype>(tnLen / qsizetype(sizeof(SQLWCHAR)), 127)));
            c.definedSize = size > 2147483647 ? 2147483647 : int(size);
            c.precision = (c.type == adNumeric || c.type == adCurrency) ? int(size) : 0;
            c.scale = decimals;
            if (c.type == adInteger) c.definedSize = 4;
            else if (c.type == adSmallInt) c.definedSize = 2;
            else if (c.type == adBigInt || c.type == adDouble || c.type == adCurrency) c.definedSize = 8;
            else if (c.type == adBoolean) c.definedSize = 2;
        }
        for (;;) {
            const SQLRETURN rc = SQLFetch(h);
            if (rc == SQL_NO_DATA) break;
            if (!SQL_SUCCEEDED(rc)) {
                check(rc, SQL_HANDLE_STMT, h, errors);
                return false;
            }
            Row row;
            row.reserve(size_t(nCols));
            for (SQLSMALLINT i = 1; i <= nCols; ++i) {
                SQLWCHAR buf[512];
                SQLLEN ind = 0;
                QString text;
                bool isNull = false;
                for (;;) {
                    const SQLRETURN g = SQLGetData(h, SQLUSMALLINT(i), SQL_C_WCHAR, buf, sizeof(buf), &ind);
                    if (g == SQL_NO_DATA) break;
                    if (!SQL_SUCCEEDED(g)) {
                        check(g, SQL_HANDLE_STMT, h, errors);
                        return false;
                    }
                    if (ind == SQL_NULL_DATA) { isNull = true; break; }
                    const qsizetype maxChars = qsizetype(sizeof(buf) / sizeof(SQLWCHAR)) - 1;
                    const qsizetype chars = (ind == SQL_NO_TOTAL || ind / qsizetype(sizeof(SQLWCHAR)) > maxChars)
                                                ? maxChars
                                                : ind / qsizetype(sizeof(SQLWCHAR));
                    text += fromWide(buf, chars);
                    if (g == SQL_SUCCESS) break;
                }
                row.push_back(isNull ? legacy::Variant::Null() : convertText(text, data.columns[size_t(i - 1)]));
            }
            data.rows.push_back(std::move(row));
        }
        return true;
    }

    // Runs text on a fresh statement and walks all of its results.
    bool runDirect(const QString& text, Result& result, ErrorCollection& errors) {
        Stmt st(dbc_, timeout_);
        std::u16string w = wide(text);
        SQLRETURN rc = SQLExecDirectW(st.h, wptr(w), SQLINTEGER(w.size()));
        bool ok = true;
        for (;;) {
            if (rc == SQL_ERROR) {
                ok = false;
                check(rc, SQL_HANDLE_STMT, st.h, errors);
                // the server may go on with the rest of the batch
                if (!sqlServer_) break;
            } else if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
                SQLSMALLINT nCols = 0;
                SQLNumResultCols(st.h, &nCols);
                if (nCols > 0) {
                    auto data = std::make_unique<RecordsetData>();
                    if (!fetchAll(st.h, nCols, *data, errors)) {
                        ok = false;
                        if (!sqlServer_) break;
                    } else {
                        result.rows = std::move(data);
                    }
                } else {
                    SQLLEN count = -1;
                    if (SQL_SUCCEEDED(SQLRowCount(st.h, &count)) && count > 0) result.affected += int(count);
                }
            } else if (rc != SQL_NO_DATA) {
                ok = false;
                check(rc, SQL_HANDLE_STMT, st.h, errors);
                break;
            }
            rc = SQLMoreResults(st.h);
            if (rc == SQL_NO_DATA) break;
        }
        return ok;
    }

    bool executeOnServer(const QString& text, Result& result, ErrorCollection& errors) {
        // A batch with its own transaction must not commit half of its work
        // when one statement fails: the server aborts the batch and rolls the
        // transaction back with XACT_ABORT, and whatever it left open is
        // rolled back here.
        bool ownTransaction = false;
        for (const QString& s : sql::splitBatch(text))
            if (sql::statementKind(s) == sql::StmtKind::Begin) { ownTransaction = true; break; }
        if (!ownTransaction) return runDirect(text, result, errors);
        const bool ok = runDirect(QStringLiteral("SET XACT_ABORT ON\r\n") + text, result, errors);
        ErrorCollection ignored;
        Result r;
        if (!ok) runDirect(QStringLiteral("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION"), r, ignored);
        runDirect(QStringLiteral("SET XACT_ABORT OFF"), r, ignored);
        return ok;
    }

    SQLHDBC dbc_;
    bool sqlServer_;
    bool inTransaction_ = false;
    int timeout_ = 30;
};

}  // namespace

std::unique_ptr<Engine> openOdbcEngine(const QString& odbcString, int loginTimeout, bool sqlServer, ErrorCollection& errors) {
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment(), &dbc))) {
        errors.add(makeError(Failure::LinkLost, QStringLiteral("No se pudo iniciar el administrador ODBC."), kSource));
        return nullptr;
    }
    if (loginTimeout > 0)
        SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeout)), 0);
    std::u16string w = wide(odbcString);
    SQLWCHAR out[1024];
    SQLSMALLINT outLen = 0;
    const SQLRETURN rc = SQLDriverConnectW(dbc, nullptr, wptr(w), SQLSMALLINT(w.size()), out, 1023, &outLen, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        if (collectDiag(SQL_HANDLE_DBC, dbc, errors, true, sqlServer) == 0)
            errors.add(makeError(Failure::LinkLost, QStringLiteral("No se pudo conectar con el origen de datos."), kSource));
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        return nullptr;
    }
    if (!sqlServer) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT len = 0;
        if (SQL_SUCCEEDED(SQLGetInfoW(dbc, SQL_DBMS_NAME, name, sizeof(name) - sizeof(SQLWCHAR), &len)))
            sqlServer = fromWide(name, len / qsizetype(sizeof(SQLWCHAR))).contains(u"SQL Server", Qt::CaseInsensitive);
    }
    auto engine = std::make_unique<OdbcEngine>(dbc, sqlServer);
    if (sqlServer) {
        // The day-first date texts of the program are read as the program
        // means them, whatever the login's language.
        Engine::Result r;
        if (!engine->execute(QStringLiteral("SET DATEFORMAT dmy"), r, errors)) return nullptr;
    }
    return engine;
}

// The driver for SQL Server: the one registered as "FreeTDS", else the
// library where the distribution puts it, so that nothing has to be
// registered on the machine.
QString freeTdsDriver() {
    SQLWCHAR desc[256], attrs[1024];
    SQLSMALLINT descLen = 0, attrLen = 0;
    SQLUSMALLINT dir = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDriversW(environment(), dir, desc, 255, &descLen, attrs, 1023, &attrLen))) {
        dir = SQL_FETCH_NEXT;
        if (fromWide(desc, descLen).compare(u"FreeTDS", Qt::CaseInsensitive) == 0) return QStringLiteral("FreeTDS");
    }
    return QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so");
}

}  // namespace ado
