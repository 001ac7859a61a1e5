// The IF shapes of the dialect: IF [NOT] EXISTS (subquery) statement and
// IF <a> <op> <b> statement. The engine has no IF: the condition goes
// through the token rewrite on its own and is folded into the statement
// (CREATE/DROP ... IF [NOT] EXISTS, the WHERE of UPDATE and DELETE, an
// INSERT ... SELECT) or handed to the engine as the statement's guard, a
// SELECT to run first; "IF ... BEGIN" opens a block the engine runs or
// skips. The statement itself goes through rewriteForSqlite again.
#include "platform/ado/sql_passes.h"

namespace ado::sql {

namespace {

QString trimmedJoin(const Toks& t, size_t from, size_t to) {
    QString r;
    for (size_t k = from; k < to && k < t.size(); ++k) r += t[k].text;
    return r.trimmed();
}

}  // namespace

// IF [NOT] EXISTS (subquery) statement
std::optional<Rewritten> rewriteIf(const Toks& t, size_t ifAt, SchemaInfo* schema) {
    size_t k = nextSig(t, ifAt + 1);
    bool negated = false;
    if (k < t.size() && t[k].isWord("NOT")) { negated = true; k = nextSig(t, k + 1); }
    if (!(k < t.size() && t[k].isWord("EXISTS"))) {
        // IF <a> <op> <b> statement: a plain comparison such as
        // IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION, checked before the statement runs
        const size_t op = nextSig(t, k + 1);
        const size_t rhs = op < t.size() ? nextSig(t, op + 1) : t.size();
        if (negated || rhs >= t.size() || !isComparison(t[op])) return std::nullopt;
        Toks cond(t.begin() + long(k), t.begin() + long(rhs) + 1);
        rewriteTokens(cond, schema);
        Rewritten body = rewriteForSqlite(trimmedJoin(t, rhs + 1, t.size()), schema);
        if (body.kind == StmtKind::Empty) return body;
        const QString c = join(cond).trimmed();
        body.guard = body.guard.isEmpty()
                         ? QStringLiteral("SELECT ") + c
                         : QStringLiteral("SELECT (") + c + QStringLiteral(") AND (") + body.guard.mid(7) + u')';
        return body;
    }
    const size_t open = nextSig(t, k + 1);
    if (!(open < t.size() && t[open].isPunct('('))) return std::nullopt;
    const size_t close = matchParen(t, open);
    if (close >= t.size()) return std::nullopt;
    Toks sub(t.begin() + long(open), t.begin() + long(close) + 1);
    rewriteTokens(sub, schema);
    const QString cond = (negated ? QStringLiteral("NOT EXISTS ") : QStringLiteral("EXISTS ")) + join(sub).trimmed();
    const QString bodyText = trimmedJoin(t, close + 1, t.size());
    if (bodyText.compare(u"BEGIN", Qt::CaseInsensitive) == 0) {
        // the head of a block: its statements run when the condition holds
        Rewritten r;
        r.kind = StmtKind::BlockBegin;
        r.guard = QStringLiteral("SELECT ") + cond;
        return r;
    }
    Rewritten body = rewriteForSqlite(bodyText, schema);
    if (body.kind == StmtKind::Empty) return body;
    Toks b = tokenize(body.sql);
    const size_t first = nextSig(b, 0);
    if (first >= b.size()) return std::nullopt;
    // CREATE TABLE / DROP TABLE guarded by the table's own existence
    if ((b[first].isWord("CREATE") || b[first].isWord("DROP")) ) {
        const size_t obj = nextSig(b, first + 1);
        if (obj < b.size() && (b[obj].isWord("TABLE") || b[obj].isWord("INDEX") || b[obj].isWord("VIEW"))) {
            const bool create = b[first].isWord("CREATE");
            if (create == negated) {
                Rewritten r;
                r.kind = StmtKind::Other;
                r.sql = trimmedJoin(b, 0, obj + 1) + (create ? QStringLiteral(" IF NOT EXISTS ") : QStringLiteral(" IF EXISTS ")) +
                        trimmedJoin(b, obj + 1, b.size());
                return r;
            }
        }
    }
    if (b[first].isWord("UPDATE") || b[first].isWord("DELETE")) {
        // fold the condition into the WHERE clause
        int d = 0;
        size_t where = b.size();
        for (size_t j = first; j < b.size(); ++j) {
            if (b[j].isPunct('(')) ++d;
            else if (b[j].isPunct(')')) --d;
            else if (d == 0 && b[j].isWord("WHERE")) { where = j; break; }
        }
        Rewritten r = body;
        if (where < b.size()) {
            r.sql = trimmedJoin(b, 0, where + 1) + QStringLiteral(" (") + trimmedJoin(b, where + 1, b.size()) +
                    QStringLiteral(") AND ") + cond;
        } else {
            r.sql = join(b).trimmed() + QStringLiteral(" WHERE ") + cond;
        }
        return r;
    }
    if (b[first].isWord("INSERT")) {
        int d = 0;
        for (size_t j = first; j < b.size(); ++j) {
            if (b[j].isPunct('(')) ++d;
            else if (b[j].isPunct(')')) --d;
            else if (d == 0 && b[j].isWord("VALUES")) {
                const size_t vo = nextSig(b, j + 1);
                if (vo < b.size() && b[vo].isPunct('(')) {
                    const size_t vc = matchParen(b, vo);
                    if (nextSig(b, vc + 1) >= b.size()) {
                        Rewritten r = body;
                        r.sql = trimmedJoin(b, 0, j) + QStringLiteral(" SELECT ") + trimmedJoin(b, vo + 1, vc) +
                                QStringLiteral(" WHERE ") + cond;
                        return r;
                    }
                }
                break;
            } else if (d == 0 && b[j].isWord("SELECT")) {
                Rewritten r = body;
                r.sql = trimmedJoin(b, 0, j) + QStringLiteral(" SELECT * FROM (") + trimmedJoin(b, j, b.size()) +
                        QStringLiteral(") WHERE ") + cond;
                return r;
            }
        }
    }
    // anything else runs after its condition is checked
    Rewritten r = body;
    r.guard = QStringLiteral("SELECT ") + cond;
    return r;
}

}  // namespace ado::sql
