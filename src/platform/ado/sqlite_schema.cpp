// The schema as the embedded engine reads it: the ADO type of a declared
// column type (the engine's type map), the tables and columns a connection
// lists, the declared types the dialect rewrite asks for (SchemaCache) and
// the look at the schema's version that forgets them, and the checks of text
// lengths and exact numbers the engine adds to the tables a connection
// writes to.
#include "platform/ado/sqlite_engine_private.h"

#include <QStringList>

namespace ado::embedded {

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

SchemaCache::~SchemaCache() {
    sqlite3_finalize(info_);
    sqlite3_finalize(version_);
}

const std::vector<SchemaCache::Column>* SchemaCache::columnsOf(const QString& table) {
    const QString key = table.toUpper();
    auto it = tables_.constFind(key);
    if (it == tables_.constEnd()) it = tables_.insert(key, read(table));
    return it->has_value() ? &**it : nullptr;
}

int SchemaCache::version() {
    if (!version_ && sqlite3_prepare_v3(db_, "PRAGMA schema_version", -1, SQLITE_PREPARE_PERSISTENT, &version_, nullptr) != SQLITE_OK)
        return -1;
    const int v = sqlite3_step(version_) == SQLITE_ROW ? sqlite3_column_int(version_, 0) : -1;
    sqlite3_reset(version_);
    return v;
}

std::optional<std::vector<SchemaCache::Column>> SchemaCache::read(const QString& table) {
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

bool SqliteEngine::tables(std::vector<TableRow>& out, ErrorCollection& errors) {
    const BusyWait::Statement statement(*busy_);
    sqlite3_stmt* st = prepare(QStringLiteral("SELECT name, type FROM sqlite_master WHERE type IN ('table','view') "
                                              "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"),
                               errors);
    if (!st) return false;
    while (sqlite3_step(st) == SQLITE_ROW)
        out.push_back({textOf(st, 0), textOf(st, 1) == u"view" ? QStringLiteral("VIEW") : QStringLiteral("TABLE")});
    sqlite3_reset(st);
    return true;
}

bool SqliteEngine::columns(const QString& table, std::vector<ColumnRow>& out, ErrorCollection& errors) {
    const BusyWait::Statement statement(*busy_);
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

void SqliteEngine::guardLengths(const QString& statement) {
    auto it = writtenTables_.constFind(statement);
    if (it == writtenTables_.constEnd()) {
        if (writtenTables_.size() > 2048) writtenTables_.clear();
        it = writtenTables_.insert(statement, writtenTable(statement).toLower());
    }
    const QString& table = *it;
    if (table.isEmpty() || guarded_.contains(table)) return;
    guardWrites(db_, table);
    guarded_.insert(table);
}

void SqliteEngine::checkSchema(bool force) {
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

// What the server refuses or changes as it stores a value, which the library
// would keep as given: temporary triggers of this connection check the
// declared lengths of the text columns of a table (error 8152), ignoring
// trailing blanks as the server does, and cut a text longer than its column
// by trailing blanks only to its length; they check the precision of its
// exact columns (error 8115: a value whose whole part, once rounded to the
// scale, has more digits than precision - scale) and round a value with more
// decimals than an exact column's scale to it (NUMERIC(18,4) keeps 1.2346 of
// 1.234567, MONEY four decimals). They are made for a table just before the
// first statement of the connection that writes to it (see
// SqliteEngine::guardLengths), so opening a connection costs nothing. Each
// row written pays only the trigger's condition, which calls no function for
// an exact column (its value times 10^scale not whole, or past the limit);
// the checks and the rounding run for the rows it lets through.
void guardWrites(sqlite3* db, const QString& table) {
    QString quotedTable = table;
    quotedTable.replace(u'"', QStringLiteral("\"\""));
    sqlite3_stmt* st = nullptr;
    const QByteArray q = ("PRAGMA main.table_info(\"" + quotedTable + "\")").toUtf8();
    if (sqlite3_prepare_v2(db, q.constData(), -1, &st, nullptr) != SQLITE_OK) return;
    // each check of one column, by the value it writes (NEW."c") and the
    // column itself ("c")
    struct Check {
        QString value, column, when, refused, changed, set;
    };
    std::vector<Check> textChecks, exactChecks;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QByteArray decl = textOf(st, 2).toLatin1();
        const ColumnInfo c = columnFromDecl(textOf(st, 1), decl.constData());
        QString col = c.name;
        col.replace(u'"', QStringLiteral("\"\""));
        const QString v = QStringLiteral("NEW.\"%1\"").arg(col);
        if (c.type == adNumeric || c.type == adCurrency) {
            const int p = c.precision, s = c.scale;
            // the least value that rounds past the precision: 999.995 for NUMERIC(5,2)
            QString limit = (p > s ? QString(p - s, u'9') : QStringLiteral("0")) + u'.' + QString(s, u'9') + u'5';
            if (c.type == adCurrency) limit = decl.toUpper().startsWith("SMALLMONEY") ? QStringLiteral("214748.36475")
                                                                                       : QStringLiteral("922337203685477.58075");
            exactChecks.push_back(
                {v, col, QStringLiteral("%1 * 1e%2 <> CAST(%1 * 1e%2 AS INTEGER) OR %1 >= %3 OR %1 <= -%3").arg(v).arg(s).arg(limit),
                 QStringLiteral("typeof(%1) IN ('integer', 'real') AND abs(%1) >= %2").arg(v, limit),
                 QStringLiteral("typeof(%1) = 'real' AND %1 <> round(%1, %2)").arg(v).arg(s),
                 QStringLiteral("CASE WHEN typeof(\"%1\") = 'real' THEN SRV_CONVERT_NUM('NUMERIC(38,%2)', \"%1\") ELSE \"%1\" END")
                     .arg(col)
                     .arg(s)});
            continue;
        }
        const bool text = c.type == adChar || c.type == adVarChar || c.type == adWChar || c.type == adVarWChar;
        if (!text || c.definedSize <= 0 || c.definedSize >= 8000) continue;
        textChecks.push_back({v, col, QStringLiteral("length(%1) > %2").arg(v).arg(c.definedSize),
                              QStringLiteral("length(rtrim(%1, ' ')) > %2").arg(v).arg(c.definedSize), QString(),
                              QStringLiteral("substr(\"%1\", 1, %2)").arg(col).arg(c.definedSize)});
    }
    sqlite3_finalize(st);
    // The server checks only the values a statement writes: an UPDATE looks
    // at the columns whose value it changes, so a value another program
    // stored beyond a column's range does not block every update of its row.
    struct Guard {
        QStringList when, refused, changed, set;
    };
    const auto guardOf = [](const std::vector<Check>& checks, bool update) {
        Guard g;
        for (const Check& c : checks) {
            const QString written = update ? QStringLiteral("%1 IS NOT OLD.\"%2\" AND ").arg(c.value, c.column) : QString();
            g.when << QStringLiteral("(%1(%2))").arg(written, c.when);
            g.refused << QStringLiteral("(%1%2)").arg(written, c.refused);
            if (!c.changed.isEmpty()) g.changed << QStringLiteral("(%1%2)").arg(written, c.changed);
            g.set << (update ? QStringLiteral("\"%1\" = CASE WHEN %2 IS NOT OLD.\"%1\" THEN %3 ELSE \"%1\" END")
                                   .arg(c.column, c.value, c.set)
                             : QStringLiteral("\"%1\" = %2").arg(c.column, c.set));
        }
        return g;
    };
    const auto trigger = [&](const QString& name, const QString& op, const Guard& g, const char* message) {
        if (g.when.isEmpty()) return QString();
        const QString changed = g.changed.isEmpty() ? QString() : QStringLiteral(" AND (%1)").arg(g.changed.join(u" OR "));
        return QStringLiteral("CREATE TEMP TRIGGER \"%1\" AFTER %2 ON main.\"%3\" WHEN %4 BEGIN "
                              "SELECT RAISE(ABORT, '%5') WHERE %6; UPDATE \"%3\" SET %7 WHERE rowid = NEW.rowid%8; END;")
            .arg(name, op, quotedTable, g.when.join(u" OR "), QString::fromLatin1(message), g.refused.join(u" OR "),
                 g.set.join(u", "), changed);
    };
    QString script;
    for (const char* op : {"INSERT", "UPDATE"}) {
        const QString names = quotedTable + u'_' + QString::fromLatin1(op);
        // made again after a schema change: the columns may have changed
        script += QStringLiteral("DROP TRIGGER IF EXISTS temp.\"__len_%1\";DROP TRIGGER IF EXISTS temp.\"__num_%1\";").arg(names);
        const bool update = QLatin1String(op) == QLatin1String("UPDATE");
        script += trigger(QStringLiteral("__len_") + names, QString::fromLatin1(op), guardOf(textChecks, update),
                          "String or binary data would be truncated.");
        script += trigger(QStringLiteral("__num_") + names, QString::fromLatin1(op), guardOf(exactChecks, update),
                          "Arithmetic overflow error converting numeric to data type numeric.");
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

}  // namespace ado::embedded
