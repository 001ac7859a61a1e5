// Statements that differ only in their literals (the rows of a voucher, a
// lookup by code) run as one prepared statement of the library, the
// literals bound as its parameters: the shape of a statement is made from
// the rewrite with its literals as parameters (sql_parameters.cpp), kept by
// the hash of its skeleton, and its literals bound straight from the
// statement's text.
#include "platform/ado/sqlite_engine_private.h"

namespace ado::embedded {

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

}  // namespace ado::embedded
