// The column a literal meets. The server keeps '31/12/2026' as written in
// a text column and reads it as a date only for a date column; the engine
// has no date type, so the rewrite has to know which of the two it is. From
// the tables a statement names (with their aliases, past owner prefixes and
// table hints) and the schema's declared types, ColumnFinder tells the kind
// of the column a literal is compared with or stored into, and the declared
// column a reference names; the expression types (sql_types.cpp) and the
// token rewrite (sql_tokens.cpp) ask it.
#include "platform/ado/sql_passes.h"

namespace ado::sql {

// "( NOLOCK [, ROWLOCK ...] )" starting at the '(' at i: index of its ')' or npos.
size_t hintList(const Toks& t, size_t i) {
    const size_t close = matchParen(t, i);
    if (close >= t.size()) return size_t(-1);
    bool any = false;
    for (size_t k = i + 1; k < close; ++k) {
        if (!t[k].significant()) continue;
        if (t[k].kind == TokKind::Word) {
            if (!tableHints().contains(t[k].text.toUpper())) {
                // INDEX(name) carries a name inside its own parentheses
                const size_t p = prevSig(t, k);
                if (p == size_t(-1) || !(t[p].isPunct('(') && p != i)) return size_t(-1);
            }
            any = true;
        } else if (!(t[k].isPunct(',') || t[k].isPunct('(') || t[k].isPunct(')') || t[k].kind == TokKind::Number ||
                     t[k].kind == TokKind::Quoted)) {
            return size_t(-1);
        }
    }
    return any ? close : size_t(-1);
}

// "col", "t.col", "[t].[col]" ending at the token at i.
std::optional<ColumnRef> columnEndingAt(const Toks& t, size_t i) {
    if (i == npos || i >= t.size() || !isName(t[i])) return std::nullopt;
    ColumnRef r{QString(), bareName(t[i])};
    const size_t dot = prevSig(t, i);
    if (dot != npos && t[dot].isPunct('.')) {
        const size_t q = prevSig(t, dot);
        if (q == npos || !isName(t[q])) return std::nullopt;
        r.qualifier = bareName(t[q]);
    }
    return r;
}

// The same starting at i; a function call ("name(") is no column.
std::optional<ColumnRef> columnStartingAt(const Toks& t, size_t i) {
    if (i >= t.size() || !isName(t[i])) return std::nullopt;
    ColumnRef r{QString(), bareName(t[i])};
    size_t k = nextSig(t, i + 1);
    if (k < t.size() && t[k].isPunct('.')) {
        const size_t n = nextSig(t, k + 1);
        if (n >= t.size() || !isName(t[n])) return std::nullopt;
        r.qualifier = r.name;
        r.name = bareName(t[n]);
        k = nextSig(t, n + 1);
    }
    if (k < t.size() && t[k].isPunct('(')) return std::nullopt;
    return r;
}

namespace {

const QSet<QString>& notAliases() {
    static const QSet<QString> s = {
        QStringLiteral("WHERE"), QStringLiteral("SET"),    QStringLiteral("ON"),     QStringLiteral("JOIN"),
        QStringLiteral("INNER"), QStringLiteral("LEFT"),   QStringLiteral("RIGHT"),  QStringLiteral("FULL"),
        QStringLiteral("OUTER"), QStringLiteral("CROSS"),  QStringLiteral("ORDER"),  QStringLiteral("GROUP"),
        QStringLiteral("HAVING"), QStringLiteral("UNION"), QStringLiteral("VALUES"), QStringLiteral("SELECT"),
        QStringLiteral("WITH"),  QStringLiteral("AS"),     QStringLiteral("DEFAULT"), QStringLiteral("OUTPUT"),
        QStringLiteral("EXCEPT"), QStringLiteral("INTERSECT"), QStringLiteral("FROM"), QStringLiteral("INTO"),
    };
    return s;
}

}  // namespace

// The tables a statement names (after FROM, JOIN, UPDATE, INTO, DELETE),
// with their aliases; owner prefixes and table hints are passed over.
std::vector<TableRef> tablesOf(const Toks& t) {
    std::vector<TableRef> out;
    for (size_t j = 0; j < t.size(); ++j) {
        if (t[j].kind != TokKind::Word) continue;
        const QString w = t[j].text.toUpper();
        const bool list = w == u"FROM";
        if (!(list || w == u"JOIN" || w == u"UPDATE" || w == u"INTO" || w == u"DELETE")) continue;
        size_t k = nextSig(t, j + 1);
        while (k < t.size() && isName(t[k]) && !(t[k].kind == TokKind::Word && notAliases().contains(t[k].text.toUpper()))) {
            QString name = bareName(t[k]);
            size_t n = nextSig(t, k + 1);
            while (n < t.size() && t[n].isPunct('.')) {  // db.owner.table
                const size_t m = nextSig(t, n + 1);
                if (m >= t.size() || !isName(t[m])) break;
                name = bareName(t[m]);
                n = nextSig(t, m + 1);
            }
            if (n < t.size() && t[n].isWord("WITH")) {
                const size_t o = nextSig(t, n + 1);
                if (o < t.size() && t[o].isPunct('(') && hintList(t, o) != npos) n = nextSig(t, hintList(t, o) + 1);
            } else if (n < t.size() && t[n].isPunct('(') && hintList(t, n) != npos) {
                n = nextSig(t, hintList(t, n) + 1);
            }
            QString alias;
            if (n < t.size() && t[n].isWord("AS")) n = nextSig(t, n + 1);
            if (n < t.size() && isName(t[n]) && !(t[n].kind == TokKind::Word && notAliases().contains(t[n].text.toUpper()))) {
                const size_t after = nextSig(t, n + 1);
                if (!(after < t.size() && (t[after].isPunct('(') || t[after].isPunct('.')))) {
                    alias = bareName(t[n]);
                    n = after;
                }
            }
            out.push_back({name, alias});
            if (!list || n >= t.size() || !t[n].isPunct(',')) break;
            k = nextSig(t, n + 1);
        }
    }
    return out;
}

ColumnKind ColumnFinder::kindAt(size_t i) {
    if (!schema_) return ColumnKind::Unknown;
    const size_t p = prevSig(t_, i);
    if (p != npos && isComparison(t_[p])) {
        if (auto c = columnEndingAt(t_, prevSig(t_, p))) return kindOf(*c);
        return ColumnKind::Unknown;
    }
    const size_t n = nextSig(t_, i + 1);
    if (n < t_.size() && isComparison(t_[n])) {
        if (auto c = columnStartingAt(t_, nextSig(t_, n + 1))) return kindOf(*c);
        return ColumnKind::Unknown;
    }
    if (p != npos && t_[p].isWord("BETWEEN")) return kindBefore(p);
    if (p != npos && t_[p].isWord("AND")) {
        const size_t low = prevSig(t_, p);
        if (low != npos && (t_[low].kind == TokKind::String || t_[low].kind == TokKind::Number)) {
            const size_t b = prevSig(t_, low);
            if (b != npos && t_[b].isWord("BETWEEN")) return kindBefore(b);
        }
    }
    {
        // col [NOT] IN ('a', 'b', ...)
        size_t k = p;
        while (k != npos && (t_[k].kind == TokKind::String || t_[k].kind == TokKind::Number || t_[k].isPunct(',')))
            k = prevSig(t_, k);
        if (k != npos && t_[k].isPunct('(')) {
            const size_t in = prevSig(t_, k);
            if (in != npos && t_[in].isWord("IN")) return kindBefore(in);
        }
    }
    const auto& targets = insertTargets();
    if (auto it = targets.find(i); it != targets.end()) return kindOf(it->second);
    return ColumnKind::Unknown;
}

ColumnKind ColumnFinder::kindBefore(size_t k) {
    size_t q = prevSig(t_, k);
    if (q != npos && t_[q].isWord("NOT")) q = prevSig(t_, q);
    if (auto c = columnEndingAt(t_, q)) return kindOf(*c);
    return ColumnKind::Unknown;
}

std::optional<ColumnKind> ColumnFinder::kindIn(const QString& table, const QString& column) {
    const auto* cols = schema_->columnsOf(table);
    if (!cols) return std::nullopt;
    for (const auto& c : *cols)
        if (c.name.compare(column, Qt::CaseInsensitive) == 0) return c.kind;
    return std::nullopt;
}

ColumnKind ColumnFinder::kindOf(const ColumnRef& r) {
    if (!r.qualifier.isEmpty()) {
        for (const auto& tr : tables())
            if (tr.alias.compare(r.qualifier, Qt::CaseInsensitive) == 0) return kindIn(tr.name, r.name).value_or(ColumnKind::Unknown);
        return kindIn(r.qualifier, r.name).value_or(ColumnKind::Unknown);
    }
    // a column standing alone: the tables of the statement that have it
    // must agree on its kind
    std::optional<ColumnKind> found;
    for (const auto& tr : tables()) {
        const auto k = kindIn(tr.name, r.name);
        if (!k) continue;
        if (found && *found != *k) return ColumnKind::Unknown;
        found = k;
    }
    return found.value_or(ColumnKind::Unknown);
}

const std::vector<TableRef>& ColumnFinder::tables() {
    if (!tables_) tables_ = tablesOf(t_);
    return *tables_;
}

const SchemaInfo::Column* ColumnFinder::columnOf(const ColumnRef& r) {
    if (!schema_) return nullptr;
    const auto in = [&](const QString& table) -> const SchemaInfo::Column* {
        const auto* cols = schema_->columnsOf(table);
        if (!cols) return nullptr;
        for (const auto& c : *cols)
            if (c.name.compare(r.name, Qt::CaseInsensitive) == 0) return &c;
        return nullptr;
    };
    if (!r.qualifier.isEmpty()) {
        for (const auto& tr : tables())
            if (tr.alias.compare(r.qualifier, Qt::CaseInsensitive) == 0) return in(tr.name);
        return in(r.qualifier);
    }
    const SchemaInfo::Column* found = nullptr;
    for (const auto& tr : tables()) {
        const auto* c = in(tr.name);
        if (!c) continue;
        if (found && (found->kind != c->kind || found->type.compare(c->type, Qt::CaseInsensitive) != 0)) return nullptr;
        found = c;
    }
    return found;
}

const std::map<size_t, ColumnRef>& ColumnFinder::insertTargets() {
    if (targets_) return *targets_;
    targets_.emplace();
    size_t k = nextSig(t_, 0);
    if (k >= t_.size() || !t_[k].isWord("INSERT")) return *targets_;
    k = nextSig(t_, k + 1);
    if (k < t_.size() && t_[k].isWord("INTO")) k = nextSig(t_, k + 1);
    if (k >= t_.size() || !isName(t_[k])) return *targets_;
    QString table = bareName(t_[k]);
    k = nextSig(t_, k + 1);
    while (k < t_.size() && t_[k].isPunct('.')) {
        const size_t m = nextSig(t_, k + 1);
        if (m >= t_.size() || !isName(t_[m])) return *targets_;
        table = bareName(t_[m]);
        k = nextSig(t_, m + 1);
    }
    QStringList columns;
    if (k < t_.size() && t_[k].isPunct('(')) {
        const size_t close = matchParen(t_, k);
        for (size_t j = k + 1; j < close && j < t_.size(); ++j)
            if (isName(t_[j])) columns << bareName(t_[j]);
        k = nextSig(t_, close + 1);
    } else if (const auto* cols = schema_->columnsOf(table)) {
        for (const auto& c : *cols) columns << c.name;
    }
    if (k < t_.size() && t_[k].isWord("SELECT")) {
        // INSERT ... SELECT 'a', x, ...: the select list's literals by place
        int item = 0, depth = 0, sigs = 0;
        size_t literal = npos;
        for (size_t j = nextSig(t_, k + 1); j <= t_.size(); j = nextSig(t_, j + 1)) {
            const bool end = j >= t_.size() ||
                             (depth == 0 && (t_[j].isWord("FROM") || t_[j].isWord("WHERE") || t_[j].isWord("UNION")));
            if (end || (depth == 0 && t_[j].isPunct(','))) {
                if (sigs == 1 && literal != npos && item < columns.size())
                    targets_->emplace(literal, ColumnRef{table, columns[item]});
                ++item;
                sigs = 0;
                literal = npos;
                if (end) break;
                continue;
            }
            if (t_[j].isPunct('(')) ++depth;
            else if (t_[j].isPunct(')')) --depth;
            ++sigs;
            if (t_[j].kind == TokKind::String) literal = j;
        }
        return *targets_;
    }
    if (k >= t_.size() || !t_[k].isWord("VALUES")) return *targets_;
    size_t open = nextSig(t_, k + 1);
    while (open < t_.size() && t_[open].isPunct('(')) {
        const size_t close = matchParen(t_, open);
        if (close >= t_.size()) break;
        int item = 0, depth = 0, sigs = 0;
        size_t literal = npos;
        auto endItem = [&] {
            if (sigs == 1 && literal != npos && item < columns.size())
                targets_->emplace(literal, ColumnRef{table, columns[item]});
            ++item;
            sigs = 0;
            literal = npos;
        };
        for (size_t j = open + 1; j < close; ++j) {
            if (!t_[j].significant()) continue;
            if (t_[j].isPunct('(')) ++depth;
            else if (t_[j].isPunct(')')) --depth;
            if (depth == 0 && t_[j].isPunct(',')) { endItem(); continue; }
            ++sigs;
            if (t_[j].kind == TokKind::String) literal = j;
        }
        endItem();
        const size_t comma = nextSig(t_, close + 1);
        if (comma >= t_.size() || !t_[comma].isPunct(',')) break;
        open = nextSig(t_, comma + 1);
    }
    return *targets_;
}

}  // namespace ado::sql
