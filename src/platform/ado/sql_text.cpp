// The rewrite of the server's dialect for the embedded engine: one handler
// per construct of a statement (literals, "+", TOP, table hints, function
// calls ...), the IF shapes, day-first dates and the row id form of a
// one-table SELECT. Everything works on the tokens of sql_lexer.h, so quotes,
// brackets and comments are never mistaken for keywords.
#include "platform/ado/sql_text.h"

#include "platform/ado/sqlite_support.h"

#include <QDate>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>
#include <optional>

namespace ado::sql {

namespace {
const char* const kTextCollationName = kTextCollation;
}  // namespace

// ---------------------------------------------------------------------------
// Day-first dates

namespace {

struct DayFirst { int y, m, d, hh = 0, mi = 0, ss = 0; };

// d/m/yy[yy][ h:mm[:ss]] with one or two digits for day, month, hour.
std::optional<DayFirst> readDayFirst(QStringView text) {
    const QStringView s = text.trimmed();
    qsizetype pos = 0;
    auto number = [&](int minDigits, int maxDigits, int& value) {
        int digits = 0;
        value = 0;
        while (pos < s.size() && s[pos].isDigit() && digits < maxDigits) {
            value = value * 10 + s[pos].digitValue();
            ++pos;
            ++digits;
        }
        return digits >= minDigits && !(pos < s.size() && s[pos].isDigit());
    };
    auto expect = [&](QChar c) {
        if (pos < s.size() && s[pos] == c) { ++pos; return true; }
        return false;
    };
    DayFirst r{};
    if (!number(1, 2, r.d) || !expect(u'/') || !number(1, 2, r.m) || !expect(u'/')) return std::nullopt;
    const qsizetype yStart = pos;
    if (!number(2, 4, r.y)) return std::nullopt;
    const qsizetype yDigits = pos - yStart;
    if (yDigits == 3) return std::nullopt;
    if (yDigits == 2) r.y += r.y < 30 ? 2000 : 1900;
    if (pos < s.size()) {
        if (!expect(u' ')) return std::nullopt;
        while (pos < s.size() && s[pos] == u' ') ++pos;
        if (!number(1, 2, r.hh) || !expect(u':') || !number(2, 2, r.mi)) return std::nullopt;
        if (expect(u':') && !number(2, 2, r.ss)) return std::nullopt;
        if (pos != s.size()) return std::nullopt;
        if (r.hh > 23 || r.mi > 59 || r.ss > 59) return std::nullopt;
    }
    if (!QDate::isValid(r.y, r.m, r.d)) return std::nullopt;
    return r;
}

// The server's other date literals: 'yyyy-mm-dd' and 'yyyymmdd', each
// optionally with ' hh:mm[:ss[.fff]]' ('T' instead of the blank after the
// dashed form). Years from 1753, as the server's datetime holds them.
std::optional<DayFirst> readOtherDate(QStringView s, int* msOut = nullptr) {
    if (s.size() < 8 || s.size() > 23) return std::nullopt;
    for (int k = 0; k < 4; ++k)
        if (!s[k].isDigit()) return std::nullopt;
    const auto digits = [&](qsizetype at, int n, int& value) {
        if (at + n > s.size()) return false;
        value = 0;
        for (qsizetype k = at; k < at + n; ++k) {
            if (!s[k].isDigit()) return false;
            value = value * 10 + s[k].digitValue();
        }
        return true;
    };
    DayFirst r{};
    qsizetype pos = 0;
    const bool dashed = s[4] == u'-';
    if (dashed) {
        if (!digits(0, 4, r.y) || !digits(5, 2, r.m) || s.size() < 10 || s[7] != u'-' || !digits(8, 2, r.d)) return std::nullopt;
        pos = 10;
    } else {
        if (!digits(0, 4, r.y) || !digits(4, 2, r.m) || !digits(6, 2, r.d)) return std::nullopt;
        pos = 8;
    }
    int ms = 0;
    if (pos < s.size()) {
        if (!(s[pos] == u' ' || (dashed && s[pos] == u'T'))) return std::nullopt;
        ++pos;
        if (!digits(pos, 2, r.hh) || pos + 2 >= s.size() || s[pos + 2] != u':' || !digits(pos + 3, 2, r.mi)) return std::nullopt;
        pos += 5;
        if (pos < s.size()) {
            if (s[pos] != u':' || !digits(pos + 1, 2, r.ss)) return std::nullopt;
            pos += 3;
        }
        if (pos < s.size()) {
            if (s[pos] != u'.' || pos + 1 >= s.size() || s.size() - pos - 1 > 3 || !digits(pos + 1, int(s.size() - pos - 1), ms))
                return std::nullopt;
            for (qsizetype k = s.size() - pos - 1; k < 3; ++k) ms *= 10;
        }
        if (r.hh > 23 || r.mi > 59 || r.ss > 59) return std::nullopt;
    }
    if (r.y < 1753 || !QDate::isValid(r.y, r.m, r.d)) return std::nullopt;
    if (msOut) *msOut = ms;
    return r;
}

QString isoText(const DayFirst& r, int ms = 0) {
    QString out = QStringLiteral("%1-%2-%3 %4:%5:%6")
                      .arg(r.y, 4, 10, QLatin1Char('0'))
                      .arg(r.m, 2, 10, QLatin1Char('0'))
                      .arg(r.d, 2, 10, QLatin1Char('0'))
                      .arg(r.hh, 2, 10, QLatin1Char('0'))
                      .arg(r.mi, 2, 10, QLatin1Char('0'))
                      .arg(r.ss, 2, 10, QLatin1Char('0'));
    if (ms) out += QStringLiteral(".%1").arg(ms, 3, 10, QLatin1Char('0'));
    return out;
}

// Whether the rewrite may write the text otherwise where it meets a date
// (not already 'yyyy-mm-dd hh:mm:ss').
bool otherDateChanges(QStringView inner) {
    if (inner.size() == 19 && inner[4] == u'-' && inner[10] == u' ') return false;
    return readOtherDate(inner).has_value();
}

}  // namespace

QString otherDateToIso(const QString& text) {
    int ms = 0;
    const std::optional<DayFirst> r = readOtherDate(QStringView(text).trimmed(), &ms);
    return r ? isoText(*r, ms) : QString();
}

QString dayFirstToIso(const QString& text) {
    const std::optional<DayFirst> r = readDayFirst(text);
    return r ? isoText(*r) : QString();
}

// ---------------------------------------------------------------------------
// The dialect rewrite

namespace {

using Toks = std::vector<Token>;


Token word(const QString& s) { return {TokKind::Word, s}; }
Token punct(const QString& s) { return {TokKind::Punct, s}; }
Token space() { return {TokKind::Space, QStringLiteral(" ")}; }
Token str(const QString& s) { return {TokKind::String, QLatin1Char('\'') + s + QLatin1Char('\'')}; }

const QSet<QString>& tableHints() {
    static const QSet<QString> s = {
        QStringLiteral("NOLOCK"),   QStringLiteral("ROWLOCK"),  QStringLiteral("UPDLOCK"),
        QStringLiteral("HOLDLOCK"), QStringLiteral("READUNCOMMITTED"), QStringLiteral("READCOMMITTED"),
        QStringLiteral("TABLOCK"),  QStringLiteral("TABLOCKX"), QStringLiteral("PAGLOCK"),
        QStringLiteral("READPAST"), QStringLiteral("XLOCK"),    QStringLiteral("NOWAIT"),
        QStringLiteral("SERIALIZABLE"), QStringLiteral("REPEATABLEREAD"), QStringLiteral("INDEX"),
        QStringLiteral("FASTFIRSTROW"),
    };
    return s;
}

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

const QSet<QString>& datePartNames() {
    static const QSet<QString> s = {
        QStringLiteral("YEAR"),   QStringLiteral("YY"),   QStringLiteral("YYYY"), QStringLiteral("QUARTER"),
        QStringLiteral("QQ"),     QStringLiteral("Q"),    QStringLiteral("MONTH"), QStringLiteral("MM"),
        QStringLiteral("M"),      QStringLiteral("DAYOFYEAR"), QStringLiteral("DY"), QStringLiteral("Y"),
        QStringLiteral("DAY"),    QStringLiteral("DD"),   QStringLiteral("D"),    QStringLiteral("WEEK"),
        QStringLiteral("WK"),     QStringLiteral("WW"),   QStringLiteral("WEEKDAY"), QStringLiteral("DW"),
        QStringLiteral("HOUR"),   QStringLiteral("HH"),   QStringLiteral("MINUTE"), QStringLiteral("MI"),
        QStringLiteral("N"),      QStringLiteral("SECOND"), QStringLiteral("SS"), QStringLiteral("S"),
        QStringLiteral("MILLISECOND"), QStringLiteral("MS"),
    };
    return s;
}

bool isDateTypeName(const QString& upper) {
    return upper == u"DATETIME" || upper == u"SMALLDATETIME" || upper == u"DATE" || upper == u"DATETIME2";
}

bool isTextTypeName(const QString& upper) {
    return upper == u"VARCHAR" || upper == u"NVARCHAR" || upper == u"CHAR" || upper == u"NCHAR" || upper == u"TEXT" ||
           upper == u"NTEXT";
}

bool isDecimalTypeName(const QString& upper) {
    return upper == u"DECIMAL" || upper == u"NUMERIC" || upper == u"DEC" || upper == u"MONEY" || upper == u"SMALLMONEY";
}

constexpr size_t npos = size_t(-1);

// The texts the rewrite reads as day-first dates where they meet no text column.
bool mayBeDate(QStringView inner) { return inner.size() >= 6 && inner.size() <= 20 && inner.contains(u'/'); }
// The same for the other forms, told from a few characters ('yyyy-' or
// 'yyyymmdd' alone or before a blank; no year begins with 0).
bool mayBeOtherDate(QStringView inner) {
    if (inner.size() < 8 || inner.size() > 23 || inner[0].unicode() < '1' || inner[0].unicode() > '9') return false;
    return inner[4] == u'-' || inner.size() == 8 || inner[8] == u' ';
}

bool isComparisonText(QStringView t) {
    return t == u"=" || t == u"<>" || t == u"!=" || t == u"<" || t == u">" || t == u"<=" || t == u">=";
}
bool isComparison(const Token& t) { return t.kind == TokKind::Punct && isComparisonText(t.text); }
bool isName(const Token& t) { return t.kind == TokKind::Word || t.kind == TokKind::Quoted; }
QString bareName(const Token& t) { return t.kind == TokKind::Quoted ? t.text.mid(1, t.text.size() - 2) : t.text; }

// ---------------------------------------------------------------------------
// The column a date text meets. The server keeps '31/12/2026' as written in
// a text column and reads it as a date only for a date column; the engine
// has no date type, so the rewrite has to know which of the two it is.

struct ColumnRef {
    QString qualifier;  // table or alias; empty when the column stands alone
    QString name;
};

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

struct TableRef {
    QString name;
    QString alias;
};

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

// Finds, for a literal of one statement, the declared kind of the column it
// meets, in the shapes the program writes.
class ColumnFinder {
public:
    ColumnFinder(const Toks& t, SchemaInfo* schema) : t_(t), schema_(schema) {}

    // The kind of the column the text literal at i meets (Unknown when none
    // can be told: function arguments, expressions, select lists).
    ColumnKind kindAt(size_t i) {
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

private:
    // The column before the keyword at k ("col [NOT] BETWEEN", "col [NOT] IN").
    ColumnKind kindBefore(size_t k) {
        size_t q = prevSig(t_, k);
        if (q != npos && t_[q].isWord("NOT")) q = prevSig(t_, q);
        if (auto c = columnEndingAt(t_, q)) return kindOf(*c);
        return ColumnKind::Unknown;
    }

    std::optional<ColumnKind> kindIn(const QString& table, const QString& column) {
        const auto* cols = schema_->columnsOf(table);
        if (!cols) return std::nullopt;
        for (const auto& c : *cols)
            if (c.name.compare(column, Qt::CaseInsensitive) == 0) return c.kind;
        return std::nullopt;
    }

    ColumnKind kindOf(const ColumnRef& r) {
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

    const std::vector<TableRef>& tables() {
        if (!tables_) tables_ = tablesOf(t_);
        return *tables_;
    }

public:
    // The declared column a reference names (a column standing alone: the
    // tables of the statement that have it must agree on its type); nullptr
    // when it cannot be told.
    const SchemaInfo::Column* columnOf(const ColumnRef& r) {
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

private:
    // INSERT INTO t [(c1, c2, ...)] VALUES (...)[, (...)]: every value that is
    // a single literal, by its token, with the column it goes into.
    const std::map<size_t, ColumnRef>& insertTargets() {
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

    const Toks& t_;
    SchemaInfo* schema_;
    std::optional<std::vector<TableRef>> tables_;
    std::optional<std::map<size_t, ColumnRef>> targets_;
};

// ---------------------------------------------------------------------------
// Conversions to exact numbers

// CONVERT(type[(p[,s])], ...) at the word i: the type as written, upper case
// and without blanks ("DECIMAL(18,2)"), and the last token of the type.
QString convertTypeAt(const Toks& t, size_t i, size_t* typeLast) {
    const size_t open = nextSig(t, i + 1);
    const size_t a = nextSig(t, open + 1);
    if (a >= t.size() || t[a].kind != TokKind::Word) return {};
    QString type = t[a].text.toUpper();
    size_t last = a;
    const size_t b = nextSig(t, a + 1);
    if (b < t.size() && t[b].isPunct('(')) {
        const size_t close = matchParen(t, b);
        for (size_t j = b; j <= close && j < t.size(); ++j)
            if (t[j].significant()) type += t[j].text.toUpper();
        last = close;
    }
    if (typeLast) *typeLast = last;
    return type;
}

// CAST(x AS type[(p[,s])]) at the word i: the type as CONVERT writes it, and
// the index of its AS (t.size() when there is none).
QString castTypeAt(const Toks& t, size_t i, size_t* asAt) {
    const size_t open = nextSig(t, i + 1);
    const size_t close = matchParen(t, open);
    int d = 0;
    size_t as = t.size();
    for (size_t j = open; j < close; ++j) {
        if (t[j].isPunct('(')) ++d;
        else if (t[j].isPunct(')')) --d;
        else if (d == 1 && t[j].isWord("AS")) as = j;
    }
    if (asAt) *asAt = as;
    if (as >= close) return {};
    QString type;
    for (size_t j = nextSig(t, as + 1); j < close; ++j)
        if (t[j].significant()) type += t[j].text.toUpper();
    return type;
}

QString baseType(const QString& type) {
    const qsizetype p = type.indexOf(u'(');
    return p < 0 ? type : type.left(p);
}

// Whether the value of the call from `first` to `last` is compared or sorted:
// there the exact decimal must be a number for the engine ("x > 10" with a
// text on the left would compare text with number), elsewhere it stays exact
// text.
bool comparedOrSorted(const Toks& t, size_t first, size_t last) {
    const size_t p = prevSig(t, first);
    if (p != npos) {
        if (isComparison(t[p]) || t[p].isWord("BETWEEN") || t[p].isWord("AND") || t[p].isWord("BY")) return true;
        if (t[p].isPunct('(')) {
            const size_t f = prevSig(t, p);
            if (f != npos && (t[f].isWord("MIN") || t[f].isWord("MAX"))) return true;
        }
        if (t[p].isPunct(',')) {
            // a later item of ORDER BY
            int d = 0;
            for (size_t k = p; k != npos; k = prevSig(t, k)) {
                if (t[k].isPunct(')')) ++d;
                else if (t[k].isPunct('(')) { if (d-- == 0) break; }
                else if (d == 0 && t[k].kind == TokKind::Word) {
                    if (t[k].isWord("BY")) {
                        const size_t o = prevSig(t, k);
                        return o != npos && t[o].isWord("ORDER");
                    }
                    if (t[k].isWord("SELECT") || t[k].isWord("WHERE") || t[k].isWord("SET") || t[k].isWord("VALUES") ||
                        t[k].isWord("FROM"))
                        break;
                }
            }
        }
    }
    const size_t n = nextSig(t, last + 1);
    return n < t.size() && (isComparison(t[n]) || t[n].isWord("BETWEEN") || t[n].isWord("IN") || t[n].isWord("NOT"));
}

// ---------------------------------------------------------------------------
// The types of expressions, as the server gives them, from the literals, the
// declared column types and the functions; they decide what '+', '-' and '/'
// do: '+' joins texts and adds numbers, a text meeting a number becomes a
// number, a date moves by days, a division of exact numbers keeps its
// fraction.

enum class VType : char { Unknown, Null, Text, Date, Int, Exact, Float };
struct ExprType {
    VType kind = VType::Unknown;
    QString declared;  // "VARCHAR(20)", "NUMERIC(18,4)", "MONEY" when known
    // a text that holds a character no number has (a literal's, or one
    // joined to it): '+' with it joins texts or fails on the server
    bool letters = false;
};

ExprType typeOfDeclared(const QString& declared) {
    QString d = declared.trimmed().toUpper();
    if (const qsizetype close = d.indexOf(u')'); close >= 0) d.truncate(close + 1);
    else d = d.section(u' ', 0, 0);
    d.remove(u' ');
    const QString base = baseType(d);
    ExprType r;
    r.declared = d;
    if (base == u"CHAR" || base == u"VARCHAR" || base == u"NCHAR" || base == u"NVARCHAR" || base == u"TEXT" ||
        base == u"NTEXT" || base == u"SYSNAME" || base == u"CHARACTER")
        r.kind = VType::Text;
    else if (isDateTypeName(base)) r.kind = VType::Date;
    else if (base == u"INT" || base == u"INTEGER" || base == u"SMALLINT" || base == u"TINYINT" || base == u"BIGINT" ||
             base == u"BIT")
        r.kind = VType::Int;
    else if (isDecimalTypeName(base)) r.kind = VType::Exact;
    else if (base == u"FLOAT" || base == u"REAL" || base == u"DOUBLE") r.kind = VType::Float;
    else r.declared.clear();
    return r;
}

// The length of a text type ("VARCHAR(20)": 20); -1 when none is written or MAX.
int textLength(const QString& declared) {
    const qsizetype open = declared.indexOf(u'(');
    if (open < 0) return -1;
    bool ok = false;
    const int n = declared.mid(open + 1, declared.size() - open - 2).toInt(&ok);
    return ok ? n : -1;
}

// Words after which an operand begins (a '+' or '-' there is a sign), and
// which begin no operand themselves.
const QSet<QString>& operandlessWords() {
    static const QSet<QString> s = {
        QStringLiteral("SELECT"), QStringLiteral("WHERE"), QStringLiteral("AND"),     QStringLiteral("OR"),
        QStringLiteral("NOT"),    QStringLiteral("ON"),    QStringLiteral("WHEN"),    QStringLiteral("THEN"),
        QStringLiteral("ELSE"),   QStringLiteral("SET"),   QStringLiteral("BY"),      QStringLiteral("IN"),
        QStringLiteral("IS"),     QStringLiteral("LIKE"),  QStringLiteral("BETWEEN"), QStringLiteral("CASE"),
        QStringLiteral("TOP"),    QStringLiteral("DISTINCT"), QStringLiteral("ALL"),  QStringLiteral("VALUES"),
        QStringLiteral("HAVING"), QStringLiteral("EXISTS"), QStringLiteral("ESCAPE"), QStringLiteral("RETURN"),
        QStringLiteral("AS"),     QStringLiteral("FROM"),  QStringLiteral("JOIN"),    QStringLiteral("UNION"),
        QStringLiteral("PERCENT"), QStringLiteral("INTO"), QStringLiteral("ORDER"),   QStringLiteral("GROUP"),
        QStringLiteral("COLLATE"), QStringLiteral("WITH"), QStringLiteral("TIES"),    QStringLiteral("ASC"),
        QStringLiteral("DESC"),   QStringLiteral("UPDATE"), QStringLiteral("DELETE"), QStringLiteral("INSERT"),
        QStringLiteral("EXCEPT"), QStringLiteral("INTERSECT"), QStringLiteral("INNER"), QStringLiteral("OUTER"),
        QStringLiteral("CROSS"),  QStringLiteral("IF"),
    };
    return s;
}

size_t matchParenBack(const Toks& t, size_t close) {
    int depth = 0;
    for (size_t k = close + 1; k-- > 0;) {
        if (t[k].isPunct(')')) ++depth;
        else if (t[k].isPunct('(') && --depth == 0) return k;
    }
    return npos;
}

bool isArithmetic(const Token& t) {
    return t.kind == TokKind::Punct && t.text.size() == 1 &&
           (t.text[0] == u'+' || t.text[0] == u'-' || t.text[0] == u'*' || t.text[0] == u'/' || t.text[0] == u'%');
}

// What '+' or '-' becomes for two operand types.
struct Decision {
    enum Form { Keep, Concat, Dates, NumberLeft, NumberRight, Runtime } form = Keep;
    ExprType result;
};

int precedence(VType k) {
    switch (k) {
    case VType::Date: return 5;
    case VType::Float: return 4;
    case VType::Exact: return 3;
    case VType::Int: return 2;
    case VType::Text: return 1;
    default: return 0;
    }
}

Decision decide(bool minus, const ExprType& l, const ExprType& r) {
    Decision d;
    if (l.kind == VType::Null || r.kind == VType::Null) {
        d.result = l.kind == VType::Null ? r : l;  // Null either way
        return d;
    }
    if (!minus && ((l.letters && r.kind == VType::Unknown) || (r.letters && l.kind == VType::Unknown))) {
        d.form = Decision::Concat;
        d.result = {VType::Text, {}, true};
        return d;
    }
    if (l.kind == VType::Date || r.kind == VType::Date) {  // whatever the other operand is
        d.form = Decision::Dates;
        d.result.kind = VType::Date;
        return d;
    }
    if (l.kind == VType::Unknown || r.kind == VType::Unknown) {
        d.form = Decision::Runtime;
        return d;
    }
    if (l.kind == VType::Text && r.kind == VType::Text) {
        d.form = minus ? Decision::Runtime : Decision::Concat;  // '-' of texts fails as on the server
        d.result.kind = VType::Text;
        d.result.letters = l.letters || r.letters;
        return d;
    }
    if (l.kind == VType::Text) {
        d.form = Decision::NumberLeft;
        d.result = r;
        return d;
    }
    if (r.kind == VType::Text) {
        d.form = Decision::NumberRight;
        d.result = l;
        return d;
    }
    d.result.kind = precedence(l.kind) >= precedence(r.kind) ? l.kind : r.kind;
    return d;
}

class Typer {
public:
    Typer(const Toks& t, ColumnFinder& finder) : t_(t), finder_(finder) {}

    // The token at k ends an operand.
    bool operandEnds(size_t k) const {
        if (k == npos || k >= t_.size()) return false;
        const Token& x = t_[k];
        if (x.kind == TokKind::String || x.kind == TokKind::Number || x.kind == TokKind::Quoted || x.isPunct(')')) return true;
        return x.kind == TokKind::Word && !operandlessWords().contains(x.text.toUpper());
    }
    // An arithmetic operator between two operands (not a sign).
    bool binaryAt(size_t i) const { return i < t_.size() && isArithmetic(t_[i]) && operandEnds(prevSig(t_, i)); }
    bool additiveAt(size_t i) const { return i != npos && i < t_.size() && (t_[i].isPunct('+') || t_[i].isPunct('-')) && binaryAt(i); }
    bool multiplicativeAt(size_t i) const {
        return i != npos && i < t_.size() && (t_[i].isPunct('*') || t_[i].isPunct('/') || t_[i].isPunct('%')) && binaryAt(i);
    }

    // The last token of the operand (literal, column, call, parenthesis,
    // CASE ... END) that begins at k; npos when none begins there.
    size_t primaryEnd(size_t k) const {
        if (k >= t_.size()) return npos;
        const Token& x = t_[k];
        if (x.kind == TokKind::String || x.kind == TokKind::Number) return k;
        if (x.isPunct('(')) {
            const size_t c = matchParen(t_, k);
            return c < t_.size() ? c : npos;
        }
        if (x.isWord("CASE")) {
            int depth = 0;
            for (size_t j = k; j < t_.size(); ++j) {
                if (t_[j].isWord("CASE")) ++depth;
                else if (t_[j].isWord("END") && --depth == 0) return j;
            }
            return npos;
        }
        if (!isName(x) || (x.kind == TokKind::Word && operandlessWords().contains(x.text.toUpper()))) return npos;
        size_t j = k;
        for (size_t dot = nextSig(t_, j + 1); dot < t_.size() && t_[dot].isPunct('.');) {
            const size_t n = nextSig(t_, dot + 1);
            if (n >= t_.size() || !isName(t_[n])) return npos;
            j = n;
            dot = nextSig(t_, j + 1);
        }
        const size_t open = nextSig(t_, j + 1);
        if (open < t_.size() && t_[open].isPunct('(')) {
            const size_t c = matchParen(t_, open);
            return c < t_.size() ? c : npos;
        }
        return j;
    }
    // The first token of the operand that ends at e.
    size_t primaryStart(size_t e) const {
        if (e == npos || e >= t_.size()) return npos;
        const Token& x = t_[e];
        if (x.kind == TokKind::String || x.kind == TokKind::Number) return e;
        if (x.isPunct(')')) {
            const size_t open = matchParenBack(t_, e);
            if (open == npos) return npos;
            const size_t f = prevSig(t_, open);
            if (f != npos && isName(t_[f]) && !(t_[f].kind == TokKind::Word && operandlessWords().contains(t_[f].text.toUpper())))
                return nameStart(f);
            return open;
        }
        if (x.isWord("END")) {
            int depth = 0;
            for (size_t j = e + 1; j-- > 0;) {
                if (t_[j].isWord("END")) ++depth;
                else if (t_[j].isWord("CASE") && --depth == 0) return j;
            }
            return npos;
        }
        if (!operandEnds(e)) return npos;
        return nameStart(e);
    }

    // A term: operands joined by '*', '/', '%', each with its signs.
    size_t termEnd(size_t k) const {
        while (k < t_.size() && (t_[k].isPunct('+') || t_[k].isPunct('-'))) k = nextSig(t_, k + 1);
        size_t e = primaryEnd(k);
        while (e != npos) {
            const size_t n = nextSig(t_, e + 1);
            if (n < t_.size() && t_[n].isWord("COLLATE")) {
                e = nextSig(t_, n + 1);
                if (e >= t_.size()) return npos;
                continue;
            }
            if (!multiplicativeAt(n)) break;
            size_t f = nextSig(t_, n + 1);
            while (f < t_.size() && (t_[f].isPunct('+') || t_[f].isPunct('-'))) f = nextSig(t_, f + 1);
            const size_t fe = primaryEnd(f);
            if (fe == npos) break;
            e = fe;
        }
        return e;
    }
    size_t termStart(size_t e) const {
        for (;;) {
            if (e == npos) return npos;
            const size_t c = prevSig(t_, e);
            if (c != npos && t_[c].isWord("COLLATE")) e = prevSig(t_, c);
            size_t s = primaryStart(e);
            if (s == npos) return npos;
            for (size_t p = prevSig(t_, s); p != npos && (t_[p].isPunct('+') || t_[p].isPunct('-')) && !binaryAt(p);
                 p = prevSig(t_, s))
                s = p;
            const size_t op = prevSig(t_, s);
            if (!multiplicativeAt(op)) return s;
            e = prevSig(t_, op);
        }
    }
    // An expression: terms joined by '+' and '-'.
    size_t exprEnd(size_t k) const {
        size_t e = termEnd(k);
        for (size_t n = e == npos ? npos : nextSig(t_, e + 1); e != npos && additiveAt(n); n = nextSig(t_, e + 1))
            e = termEnd(nextSig(t_, n + 1));
        return e;
    }
    size_t exprStart(size_t e) const {
        size_t s = termStart(e);
        for (size_t p = s == npos ? npos : prevSig(t_, s); s != npos && additiveAt(p); p = prevSig(t_, s))
            s = termStart(prevSig(t_, p));
        return s;
    }

    ExprType exprType(size_t s, size_t e) {
        size_t te = termEnd(s);
        if (te == npos || te > e) return {};
        ExprType l = termType(s, te);
        while (te < e) {
            const size_t op = nextSig(t_, te + 1);
            if (!additiveAt(op)) return {};
            const size_t rs = nextSig(t_, op + 1);
            const size_t re = termEnd(rs);
            if (re == npos || re > e) return {};
            l = decide(t_[op].isPunct('-'), l, termType(rs, re)).result;
            te = re;
        }
        return l;
    }

    ExprType termType(size_t s, size_t e) {
        size_t k = s;
        while (k < t_.size() && (t_[k].isPunct('+') || t_[k].isPunct('-'))) k = nextSig(t_, k + 1);
        size_t pe = primaryEnd(k);
        if (pe == npos) return {};
        ExprType r = primaryType(k, pe);
        for (size_t n = nextSig(t_, pe + 1); pe < e; n = nextSig(t_, pe + 1)) {
            if (n < t_.size() && t_[n].isWord("COLLATE")) {
                pe = nextSig(t_, n + 1);
                continue;
            }
            if (!multiplicativeAt(n)) return {};
            size_t f = nextSig(t_, n + 1);
            while (f < t_.size() && (t_[f].isPunct('+') || t_[f].isPunct('-'))) f = nextSig(t_, f + 1);
            pe = primaryEnd(f);
            if (pe == npos) return {};
            const ExprType o = primaryType(f, pe);
            if (r.kind == VType::Unknown || o.kind == VType::Unknown) return {};
            if (o.kind == VType::Null) r = o;
            else if (r.kind != VType::Null) {
                // money times or by a whole number (or money) stays money
                const auto money = [](const ExprType& x) {
                    return x.kind == VType::Exact && baseType(x.declared).endsWith(QLatin1String("MONEY"));
                };
                const bool keepsMoney = (money(r) && (money(o) || o.kind == VType::Int)) || (money(o) && r.kind == VType::Int);
                r = keepsMoney ? ExprType{VType::Exact, QStringLiteral("MONEY")}
                               : ExprType{precedence(o.kind) > precedence(r.kind) ? o.kind : r.kind, {}};
            }
            if (r.kind == VType::Text) r.kind = VType::Int;
        }
        return r;
    }

    ExprType primaryType(size_t s, size_t e) {
        const Token& x = t_[s];
        if (x.kind == TokKind::String) {
            const QStringView q = x.text.startsWith(u'N') || x.text.startsWith(u'n') ? QStringView(x.text).mid(1) : QStringView(x.text);
            const qsizetype quotes = q.count(QLatin1String("''"));
            const QStringView inner = q.mid(1, q.size() - 2);
            // (a literal after a comparison may be a parameter of a shared
            // statement, whose rewrite must not depend on its text)
            const size_t p = prevSig(t_, s);
            const bool letters = !(p != npos && isComparison(t_[p])) && std::any_of(inner.begin(), inner.end(), [](QChar c) {
                return !(c.isDigit() || c == u' ' || c == u'+' || c == u'-' || c == u'.' || c == u',' || c == u'$' ||
                         c == u':' || c == u'/');
            });
            return {VType::Text, QStringLiteral("VARCHAR(%1)").arg(qMax<qsizetype>(1, q.size() - 2 - quotes)), letters};
        }
        if (x.kind == TokKind::Number) {
            if (x.text.contains(u'e') || x.text.contains(u'E')) return {VType::Float, {}};
            const qsizetype dot = x.text.indexOf(u'.');
            if (dot < 0) return {VType::Int, {}};
            const qsizetype scale = x.text.size() - dot - 1;
            return {VType::Exact, QStringLiteral("NUMERIC(%1,%2)").arg(qMax<qsizetype>(x.text.size() - 1, 1)).arg(scale)};
        }
        if (x.isWord("NULL")) return {VType::Null, {}};
        if (x.isPunct('(')) {
            const size_t in = nextSig(t_, s + 1);
            if (in >= e || t_[in].isWord("SELECT")) return {};
            return exprType(in, prevSig(t_, e));
        }
        if (x.isWord("CASE")) return caseType(s, e);
        if (!isName(x)) return {};
        if (t_[e].isPunct(')')) return callType(s, e);
        if (x.text.startsWith(u'@')) return {};
        const auto ref = columnEndingAt(t_, e);
        const SchemaInfo::Column* c = ref ? finder_.columnOf(*ref) : nullptr;
        if (!c) return {};
        if (!c->type.isEmpty()) return typeOfDeclared(c->type);
        return {c->kind == ColumnKind::Text ? VType::Text : c->kind == ColumnKind::Date ? VType::Date : VType::Unknown, {}};
    }

    // The arguments of the call whose name is at s: (first, last) token of each.
    std::vector<std::pair<size_t, size_t>> arguments(size_t s) const {
        std::vector<std::pair<size_t, size_t>> out;
        const size_t open = nextSig(t_, s + 1);
        const size_t close = matchParen(t_, open);
        if (close >= t_.size()) return out;
        int depth = 0;
        size_t from = nextSig(t_, open + 1);
        for (size_t j = open + 1; j <= close; ++j) {
            if (t_[j].isPunct('(')) ++depth;
            else if (t_[j].isPunct(')') && depth > 0) --depth;
            else if ((t_[j].isPunct(',') && depth == 0) || j == close) {
                const size_t last = prevSig(t_, j);
                if (from < j && last != npos && last >= from) out.emplace_back(from, last);
                from = nextSig(t_, j + 1);
            }
        }
        return out;
    }

private:
    size_t nameStart(size_t e) const {
        size_t s = e;
        for (size_t dot = prevSig(t_, s); dot != npos && t_[dot].isPunct('.');) {
            const size_t q = prevSig(t_, dot);
            if (q == npos || !isName(t_[q])) break;
            s = q;
            dot = prevSig(t_, s);
        }
        return s;
    }

    ExprType callType(size_t s, size_t e) {
        (void)e;
        size_t nameAt = s;
        for (size_t n = nextSig(t_, s + 1); n < t_.size() && t_[n].isPunct('.'); n = nextSig(t_, nameAt + 1))
            nameAt = nextSig(t_, n + 1);
        const QString f = bareName(t_[nameAt]).toUpper();
        static const QSet<QString> texts = {
            QStringLiteral("LTRIM"), QStringLiteral("RTRIM"), QStringLiteral("TRIM"), QStringLiteral("UPPER"),
            QStringLiteral("LOWER"), QStringLiteral("SUBSTRING"), QStringLiteral("LEFT"), QStringLiteral("RIGHT"),
            QStringLiteral("REPLACE"), QStringLiteral("REPLICATE"), QStringLiteral("SPACE"), QStringLiteral("STR"),
            QStringLiteral("CHAR"), QStringLiteral("NCHAR"), QStringLiteral("REVERSE"), QStringLiteral("STUFF"),
            QStringLiteral("QUOTENAME"), QStringLiteral("DATENAME"),
        };
        static const QSet<QString> ints = {
            QStringLiteral("LEN"), QStringLiteral("DATALENGTH"), QStringLiteral("CHARINDEX"), QStringLiteral("PATINDEX"),
            QStringLiteral("DATEDIFF"), QStringLiteral("DATEPART"), QStringLiteral("YEAR"), QStringLiteral("MONTH"),
            QStringLiteral("DAY"), QStringLiteral("COUNT"), QStringLiteral("ASCII"), QStringLiteral("UNICODE"),
            QStringLiteral("ISNUMERIC"), QStringLiteral("ISDATE"),
        };
        static const QSet<QString> dates = {QStringLiteral("GETDATE"), QStringLiteral("GETUTCDATE"), QStringLiteral("DATEADD"),
                                            QStringLiteral("SYSDATETIME")};
        static const QSet<QString> asArgument = {
            QStringLiteral("ISNULL"), QStringLiteral("COALESCE"), QStringLiteral("NULLIF"), QStringLiteral("ABS"),
            QStringLiteral("ROUND"), QStringLiteral("FLOOR"), QStringLiteral("CEILING"), QStringLiteral("SUM"),
            QStringLiteral("MIN"), QStringLiteral("MAX"), QStringLiteral("AVG"),
        };
        if (f == u"CONVERT") return typeOfDeclared(convertTypeAt(t_, nameAt, nullptr));
        if (f == u"CAST") return typeOfDeclared(castTypeAt(t_, nameAt, nullptr));
        if (texts.contains(f)) return {VType::Text, {}};
        if (ints.contains(f)) return {VType::Int, {}};
        if (dates.contains(f)) return {VType::Date, {}};
        if (!asArgument.contains(f)) return {};
        const auto args = arguments(nameAt);
        for (const auto& [a, b] : args) {
            size_t first = a;
            if (t_[a].isWord("DISTINCT") || t_[a].isWord("ALL")) first = nextSig(t_, a + 1);
            ExprType r = exprType(first, b);
            // these change the scale of an exact number other than money
            if ((f == u"AVG" || f == u"FLOOR" || f == u"CEILING") && r.kind == VType::Exact && !r.declared.isEmpty() &&
                !baseType(r.declared).endsWith(QLatin1String("MONEY"))) {
                const qsizetype comma = r.declared.indexOf(u',');
                const int scale = comma < 0 ? 0 : r.declared.mid(comma + 1).chopped(1).toInt();
                r.declared = QStringLiteral("NUMERIC(38,%1)").arg(f == u"AVG" ? qMax(scale, 6) : 0);
            }
            if (r.kind != VType::Null || !(f == u"ISNULL" || f == u"COALESCE")) return r;
        }
        return {};
    }

    // CASE ... END: the type of its results of highest precedence.
    ExprType caseType(size_t s, size_t e) {
        ExprType r{VType::Null, {}};
        int depth = 0;
        for (size_t j = s; j < e; ++j) {
            if (t_[j].isWord("CASE")) ++depth;
            else if (t_[j].isWord("END")) --depth;
            else if (depth == 1 && (t_[j].isWord("THEN") || t_[j].isWord("ELSE"))) {
                const size_t b = nextSig(t_, j + 1);
                const size_t be = exprEnd(b);
                if (be == npos || be >= e) return {};
                const ExprType x = exprType(b, be);
                if (x.kind == VType::Unknown) return {};
                if (x.kind == VType::Null) continue;
                if (r.kind == VType::Null) r = x;
                else if (precedence(x.kind) != precedence(r.kind) || x.declared != r.declared)
                    r = ExprType{precedence(x.kind) > precedence(r.kind) ? x.kind : r.kind, {}};
            }
        }
        return r;
    }

    const Toks& t_;
    ColumnFinder& finder_;
};

void rewriteTokens(Toks& t, SchemaInfo* schema, QString* refused = nullptr);

// The select-list items of a SELECT whose type the statement decides, by
// position (see Rewritten::columnTypes): a conversion to an exact number or
// a text, and an expression of a declared exact type (ISNULL(saldo, 0) is
// the column's NUMERIC(18,4) for every row, whole values too).
std::vector<std::pair<int, QString>> statedColumnTypes(const Toks& t, SchemaInfo* schema) {
    std::vector<std::pair<int, QString>> out;
    ColumnFinder finder(t, schema);
    Typer typer(t, finder);
    size_t k = nextSig(t, 0);
    if (k >= t.size() || !t[k].isWord("SELECT")) return out;
    k = nextSig(t, k + 1);
    if (k < t.size() && (t[k].isWord("DISTINCT") || t[k].isWord("ALL"))) k = nextSig(t, k + 1);
    if (k < t.size() && t[k].isWord("TOP")) {
        k = nextSig(t, k + 1);
        if (k < t.size() && t[k].isPunct('(')) k = matchParen(t, k);
        k = nextSig(t, k + 1);
        if (k < t.size() && t[k].isWord("PERCENT")) k = nextSig(t, k + 1);
        if (k < t.size() && t[k].isWord("WITH")) k = nextSig(t, nextSig(t, k + 1) + 1);
    }
    int item = 0;
    size_t start = k;
    auto endItem = [&](size_t end) -> bool {  // false: stop (an item of unknown width)
        const size_t a = nextSig(t, start);
        if (a >= end) return false;
        if (t[a].isPunct('*')) return false;
        for (size_t j = a; j < end; ++j)
            if (t[j].isPunct('*') && j + 1 >= end) return false;  // t.*
        if ((t[a].isWord("CONVERT") || t[a].isWord("CAST"))) {
            const size_t open = nextSig(t, a + 1);
            if (open < end && t[open].isPunct('(')) {
                const size_t close = matchParen(t, open);
                size_t after = nextSig(t, close + 1);
                if (after < end && t[after].isWord("AS")) after = nextSig(t, after + 1);
                if (after < end && (isName(t[after]) || t[after].kind == TokKind::String)) after = nextSig(t, after + 1);
                if (close < end && after >= end) {
                    const QString type = t[a].isWord("CAST") ? castTypeAt(t, a, nullptr) : convertTypeAt(t, a, nullptr);
                    if (isDecimalTypeName(baseType(type)) || isTextTypeName(baseType(type))) out.emplace_back(item, type);
                }
            }
        } else if (schema) {
            // the expression without its name ("x AS n", "f(x) n")
            size_t last = prevSig(t, end);
            if (last != npos && last > a && isName(t[last])) {
                const size_t p = prevSig(t, last);
                if (t[p].isWord("AS")) last = prevSig(t, p);
                else if (t[p].isPunct(')') || t[p].isWord("END")) last = p;
            }
            if (last != npos && last >= a) {
                const ExprType x = typer.exprType(a, last);
                if (x.kind == VType::Exact && !x.declared.isEmpty()) out.emplace_back(item, x.declared);
            }
        }
        ++item;
        return true;
    };
    int d = 0;
    for (size_t j = k; j < t.size(); ++j) {
        if (t[j].isPunct('(')) ++d;
        else if (t[j].isPunct(')')) --d;
        else if (d == 0 && t[j].isPunct(',')) {
            if (!endItem(j)) return out;
            start = j + 1;
        } else if (d == 0 && t[j].kind == TokKind::Word &&
                   (t[j].isWord("FROM") || t[j].isWord("INTO") || t[j].isWord("WHERE") || t[j].isWord("UNION") ||
                    t[j].isWord("ORDER") || t[j].isWord("GROUP") || t[j].isWord("HAVING"))) {
            endItem(j);
            return out;
        }
    }
    endItem(t.size());
    return out;
}

// The token-level rewrite of one statement (no IF handling): the tokens go
// through in order; each construct of the server's dialect has its handler,
// which writes its rewrite to `out_`, moves `i` to its last token and
// answers true; a token no handler takes goes through unchanged.
class Rewriter {
public:
    Rewriter(const Toks& t, SchemaInfo* schema, QString* refused)
        : t_(t), schema_(schema), finder_(t, schema), typer_(t_, finder_), refused_(refused) {}

    Toks run() {
        plan();
        out_.reserve(t_.size() + 8);
        // the planned texts go out as tokens, so that the collation pass
        // after this one sees the calls and lists they make
        const auto put = [&](const QString& text) {
            for (Token& tok : sql::tokenize(text)) out_.push_back(std::move(tok));
        };
        for (size_t i = 0; i < t_.size(); ++i) {
            if (!castEnds_.empty()) {
                // "CAST(x AS type)": after x, straight to its ")"
                if (const auto it = castEnds_.find(i); it != castEnds_.end()) {
                    while (!out_.empty() && out_.back().kind == TokKind::Space) out_.pop_back();
                    i = it->second - 1;
                    continue;
                }
            }
            const size_t from = i;
            if (!pre_.empty() && !pre_[i].isEmpty()) put(pre_[i]);
            if (!replaced_.empty() && !replaced_[i].isEmpty()) {
                if (replaced_[i] == u",")
                    while (!out_.empty() && out_.back().kind == TokKind::Space) out_.pop_back();
                out_.push_back({t_[i].kind, replaced_[i]});
            }
            else if (!(literal(i) || parenthesis(i) || ownerPrefix(i) || word(i))) out_.push_back(t_[i]);
            if (!post_.empty())
                for (size_t k = from; k <= i; ++k)
                    if (!post_[k].isEmpty()) put(post_[k]);
        }
        while (!tops_.empty()) {
            // after a trailing "-- comment" the limit would be commented out
            if (!tops_.back().limit.isEmpty())
                while (!out_.empty() && !out_.back().significant()) out_.pop_back();
            closeTop();
        }
        return std::move(out_);
    }

private:
    struct PendingTop {
        int depth;
        QString limit;
        size_t selectAt = 0;     // the SELECT's place in out_
        bool percent = false;    // TOP n PERCENT
        bool ties = false;       // TOP n WITH TIES
        bool distinct = false;
        bool compound = false;   // one SELECT of a UNION, EXCEPT or INTERSECT
    };

    // What the operators and some calls become, decided before the tokens
    // go through (see Typer): text put before and after a token, or in its
    // place. Left empty for a statement without any of them.
    void plan() {
        // (the words told by their length first: most statements have neither)
        const auto isNullAt = [&](size_t i) { return t_[i].text.size() == 6 && t_[i].isWord("ISNULL"); };
        const auto convertAt = [&](size_t i) { return t_[i].text.size() == 7 && t_[i].isWord("CONVERT"); };
        const auto castAt = [&](size_t i) { return t_[i].text.size() == 4 && t_[i].isWord("CAST"); };
        bool any = false;
        for (size_t i = 0; i < t_.size() && !any; ++i)
            any = (isArithmetic(t_[i]) && typer_.binaryAt(i)) || isNullAt(i) || convertAt(i) || castAt(i);
        if (!any) return;
        pre_.assign(t_.size(), QString());
        post_.assign(t_.size(), QString());
        replaced_.assign(t_.size(), QString());
        std::map<size_t, Chain> chains;  // by the operator
        for (size_t i = 0; i < t_.size(); ++i) {
            if (!isArithmetic(t_[i]) || !typer_.binaryAt(i)) continue;
            if (t_[i].isPunct('/')) planDivision(i);
            else if (t_[i].isPunct('+') || t_[i].isPunct('-')) planSum(i, chains);
        }
        // a date compared with a number compares with the date that many
        // days after 1 January 1900 ("GETDATE() - Fecha > 30")
        for (size_t i = 0; i < t_.size() && !chains.empty(); ++i) {
            if (!isComparison(t_[i])) continue;
            const size_t l = prevSig(t_, i), r = nextSig(t_, i + 1);
            // a number standing alone on one side
            const auto alone = [&](size_t k) {
                return k < t_.size() && t_[k].kind == TokKind::Number && !typer_.binaryAt(nextSig(t_, k + 1)) &&
                       !(prevSig(t_, k) != npos && typer_.binaryAt(prevSig(t_, k)));
            };
            const bool right = alone(r);
            if (!right && !(l != npos && alone(l))) continue;
            const size_t first = right ? typer_.exprStart(l) : r;
            const size_t last = right ? l : typer_.exprEnd(r);
            if (first == npos || last == npos || typer_.exprType(first, last).kind != VType::Date) continue;
            const size_t n = right ? r : l;
            wrap(n, n, QStringLiteral("SRV_DATE_ADD("), QStringLiteral(", 0, 1)"));
        }
        // calls after the operators: their wrapping goes around what the
        // operators of their arguments made
        for (size_t i = 0; i < t_.size(); ++i) {
            const bool isNull = isNullAt(i), cast = castAt(i);
            if (!isNull && !cast && !convertAt(i)) continue;
            const size_t open = nextSig(t_, i + 1);
            if (open >= t_.size() || !t_[open].isPunct('(')) continue;
            if (isNull) planIsNull(i);
            else if (cast) planCast(i, open);
            else planConvert(i);
        }
    }

    // The operands before an operator, as far as they are joined by '+' and
    // '-': where they begin, their type, and whether they end in the
    // engine's own '+' or '-' (which binds more loosely than '||').
    struct Chain {
        size_t start;
        ExprType result;
        bool infix = false;
    };
    void wrap(size_t first, size_t last, const QString& before, const QString& after) {
        pre_[first].prepend(before);
        post_[last].append(after);
    }
    void planSum(size_t i, std::map<size_t, Chain>& chains) {
        const size_t e = prevSig(t_, i);
        const size_t s = typer_.termStart(e);
        const size_t rs = nextSig(t_, i + 1);
        const size_t re = typer_.termEnd(rs);
        if (s == npos || re == npos) return;
        Chain left{s, {}, false};
        if (auto it = chains.find(prevSig(t_, s)); it != chains.end()) left = it->second;
        else left.result = typer_.termType(s, e);
        const bool minus = t_[i].isPunct('-');
        const ExprType right = typer_.termType(rs, re);
        const Decision d = decide(minus, left.result, right);
        Chain mine{left.start, d.result, false};
        const auto numberKind = [](const ExprType& other) {
            return other.kind == VType::Int ? QStringLiteral(", 'INT')") : QStringLiteral(", 'NUMERIC')");
        };
        const QString sign = minus ? QStringLiteral(", -1)") : QStringLiteral(", 1)");
        switch (d.form) {
        case Decision::Keep: mine.infix = true; break;
        case Decision::Concat:
            replaced_[i] = QStringLiteral("||");
            if (left.infix) wrap(left.start, e, QStringLiteral("("), QStringLiteral(")"));
            break;
        case Decision::NumberLeft:
            wrap(left.start, e, QStringLiteral("SRV_NUM("), numberKind(right));
            mine.infix = true;
            break;
        case Decision::NumberRight:
            wrap(rs, re, QStringLiteral("SRV_NUM("), numberKind(left.result));
            mine.infix = true;
            break;
        case Decision::Dates:
            wrap(left.start, e, QStringLiteral("SRV_DATE_ADD("), QString());
            replaced_[i] = QStringLiteral(",");
            post_[re].append(sign);
            break;
        case Decision::Runtime:
            wrap(left.start, e, QStringLiteral("SRV_ADD("), QString());
            replaced_[i] = QStringLiteral(",");
            post_[re].append(sign);
            break;
        }
        chains[i] = mine;
    }
    // An exact number divided, or divided by one, keeps its fraction (the
    // engine divides two whole numbers as integers, and stores whole exact
    // values as such).
    void planDivision(size_t i) {
        const size_t e = prevSig(t_, i);
        const size_t s = typer_.termStart(e);
        size_t rs = nextSig(t_, i + 1);
        while (rs < t_.size() && (t_[rs].isPunct('+') || t_[rs].isPunct('-'))) rs = nextSig(t_, rs + 1);
        const size_t re = typer_.primaryEnd(rs);
        if (s == npos || re == npos) return;
        const QString exact = QStringLiteral("1.0 * ");
        if (pre_[s].endsWith(exact)) return;
        if (typer_.termType(s, e).kind == VType::Exact || typer_.primaryType(rs, re).kind == VType::Exact)
            pre_[s].append(exact);
    }
    // ISNULL(a, b) has the type of a (and its length): b is converted to it.
    void planIsNull(size_t i) {
        const auto args = typer_.arguments(i);
        if (args.size() != 2) return;
        const ExprType a = typer_.exprType(args[0].first, args[0].second);
        const ExprType b = typer_.exprType(args[1].first, args[1].second);
        if (b.kind == VType::Null || (b.kind == a.kind && b.declared == a.declared)) return;
        QString conversion;
        switch (a.kind) {
        case VType::Text: {
            const int n = textLength(a.declared);
            const int m = b.kind == VType::Text ? textLength(b.declared) : -1;
            if (n > 0 && !(m > 0 && m <= n)) conversion = QStringLiteral("SRV_CONVERT('VARCHAR(%1)', ").arg(n);
            break;
        }
        case VType::Int:
            if (b.kind != VType::Int)
                conversion = QStringLiteral("SRV_CONVERT('%1', ").arg(a.declared.isEmpty() ? QStringLiteral("INT") : a.declared);
            break;
        case VType::Exact: {
            if (a.declared.isEmpty() || b.kind == VType::Int) break;
            const auto scale = [](const QString& d) {
                if (baseType(d) == u"MONEY" || baseType(d) == u"SMALLMONEY") return 4;
                const qsizetype comma = d.indexOf(u',');
                return comma < 0 ? 0 : d.mid(comma + 1).chopped(1).toInt();
            };
            if (b.kind == VType::Exact && !b.declared.isEmpty() && scale(b.declared) <= scale(a.declared)) break;
            conversion = QStringLiteral("SRV_CONVERT_NUM('%1', ").arg(a.declared);
            break;
        }
        default: break;
        }
        if (!conversion.isEmpty()) wrap(args[1].first, args[1].second, conversion, QStringLiteral(")"));
    }
    // CONVERT(text type, x[, style]): an exact x keeps the scale of its type
    // ('12.50' for money); a style formats dates only.
    void planConvert(size_t i) {
        const QString type = convertTypeAt(t_, i, nullptr);
        if (!isTextTypeName(baseType(type))) return;
        const auto args = typer_.arguments(i);
        if (args.size() < 2) return;
        const ExprType x = typer_.exprType(args[1].first, args[1].second);
        const bool style = args.size() == 3 && args[2].first == args[2].second;
        if (x.kind == VType::Exact && !x.declared.isEmpty()) {
            // money's styles: 1 with thousands separated, 2 with four decimals
            const bool moneyStyle = style && baseType(x.declared).endsWith(QLatin1String("MONEY"));
            exactText(args[1].first, args[1].second, x.declared, moneyStyle ? t_[args[2].first].text : QString(), type);
        }
        if (style && x.kind != VType::Date && x.kind != VType::Unknown) replaced_[args[2].first] = QStringLiteral("NULL");
    }
    // CAST(x AS text type): the same for an exact x.
    void planCast(size_t i, size_t open) {
        size_t as = t_.size();
        const QString type = castTypeAt(t_, i, &as);
        if (as >= matchParen(t_, open) || !isTextTypeName(baseType(type))) return;
        const size_t first = nextSig(t_, open + 1), last = prevSig(t_, as);
        if (first > last || last == npos) return;
        const ExprType x = typer_.exprType(first, last);
        if (x.kind == VType::Exact && !x.declared.isEmpty()) exactText(first, last, x.declared, QString(), type);
    }
    // The exact number x (first to last) as the text of `type`, with the
    // scale of its declared type (and money's style): one that does not fit
    // is an overflow.
    void exactText(size_t first, size_t last, const QString& declared, const QString& style, const QString& type) {
        wrap(first, last, QStringLiteral("SRV_EXACT_TEXT('%1', ").arg(declared),
             QStringLiteral(", %1, '%2')").arg(style.isEmpty() ? QStringLiteral("NULL") : style, type));
    }

    // The kind of what a text literal meets where no column tells it: the
    // other side of a comparison, the other operand of '+' or '-', the first
    // argument of ISNULL.
    ColumnKind partnerKind(size_t i) {
        const size_t p = prevSig(t_, i);
        const size_t n = nextSig(t_, i + 1);
        const auto before = [&](size_t e) {
            const size_t s = typer_.exprStart(e);
            return s == npos ? ExprType{} : typer_.exprType(s, e);
        };
        ExprType other;
        if (p != npos && (isComparison(t_[p]) || typer_.additiveAt(p))) {
            other = before(prevSig(t_, p));
        } else if (n < t_.size() && isComparison(t_[n])) {
            const size_t s = nextSig(t_, n + 1);
            const size_t e = typer_.exprEnd(s);
            if (e != npos) other = typer_.exprType(s, e);
        } else if (typer_.additiveAt(n)) {
            const size_t s = nextSig(t_, n + 1);
            const size_t e = typer_.termEnd(s);
            if (e != npos) other = typer_.termType(s, e);
        } else if (p != npos && t_[p].isPunct(',')) {
            const size_t s = typer_.exprStart(prevSig(t_, p));
            const size_t open = s == npos ? npos : prevSig(t_, s);
            const size_t f = open == npos ? npos : prevSig(t_, open);
            if (f != npos && t_[open].isPunct('(') && t_[f].isWord("ISNULL")) other = before(prevSig(t_, p));
        }
        return other.kind == VType::Text ? ColumnKind::Text : other.kind == VType::Date ? ColumnKind::Date : ColumnKind::Unknown;
    }

    // N'...' is '...'; a day-first date text becomes ISO text unless it
    // meets a text column; a text compared with an expression compares as
    // the server compares texts.
    bool literal(size_t i) {
        if (t_[i].kind != TokKind::String) return false;
        Token tok = t_[i];
        if (tok.text.startsWith(u'N') || tok.text.startsWith(u'n')) tok.text.remove(0, 1);
        const QString inner = tok.text.mid(1, tok.text.size() - 2);
        bool isDate = false;
        const auto kind = [&] {
            const ColumnKind k = finder_.kindAt(i);
            return k == ColumnKind::Unknown ? partnerKind(i) : k;
        };
        if (mayBeDate(inner)) {
            const QString iso = dayFirstToIso(inner);
            if (!iso.isEmpty() && kind() != ColumnKind::Text) {
                tok.text = QLatin1Char('\'') + iso + QLatin1Char('\'');
                isDate = true;
            }
        } else if (mayBeOtherDate(inner)) {
            // the server's other date forms are dates only where they meet one
            const QString iso = otherDateToIso(inner);
            if (!iso.isEmpty() && iso != inner && kind() == ColumnKind::Date) {
                tok.text = QLatin1Char('\'') + iso + QLatin1Char('\'');
                isDate = true;
            }
        }
        out_.push_back(tok);
        // ("LTRIM(RTRIM(Codigo)) = 'fp'"); a column keeps its own collation,
        // which is the same one
        const size_t p = prevSig(t_, i);
        if (!isDate && p != npos && isComparison(t_[p])) {
            out_.push_back(space());
            out_.push_back(collate());
            // "'RMC 'AND ...": the server needs no blank after a literal, the
            // collation name does.
            if (i + 1 < t_.size() && t_[i + 1].kind == TokKind::Word) out_.push_back(space());
        }
        return true;
    }

    // A bare table hint "(NOLOCK)" after a table name goes; a ')' ends the
    // TOPs opened at its depth.
    bool parenthesis(size_t& i) {
        if (t_[i].isPunct('(')) {
            const size_t p = prevSig(t_, i);
            if (p != npos && isName(t_[p])) {
                const size_t close = hintList(t_, i);
                const size_t inner = nextSig(t_, i + 1);
                if (close != npos && inner < t_.size() && t_[inner].isWord("NOLOCK") && !t_[p].isWord("WITH")) {
                    i = close;
                    return true;
                }
            }
            ++depth_;
            out_.push_back(t_[i]);
            return true;
        }
        if (t_[i].isPunct(')')) {
            while (!tops_.empty() && tops_.back().depth == depth_) closeTop();
            --depth_;
            out_.push_back(t_[i]);
            return true;
        }
        return false;
    }

    // "dbo." and "[dbo]." before a name go.
    bool ownerPrefix(size_t& i) {
        const bool dbo = (t_[i].kind == TokKind::Quoted && t_[i].text.compare(QLatin1String("[dbo]"), Qt::CaseInsensitive) == 0) ||
                         t_[i].isWord("DBO");
        const size_t n = nextSig(t_, i + 1);
        if (!dbo || !(n < t_.size() && t_[n].isPunct('.'))) return false;
        i = n;
        return true;
    }

    bool word(size_t& i) {
        if (t_[i].kind != TokKind::Word) return false;
        const QString w = t_[i].text.toUpper();
        const size_t n = nextSig(t_, i + 1);
        const bool callFollows = n < t_.size() && t_[n].isPunct('(');
        if (callFollows && w == u"IN") return inList(i);
        if (callFollows && w == u"WITH" && tableHint(i, n)) return true;
        if (w == u"SELECT") return top(i, n);
        if (w == u"UNION" || w == u"EXCEPT" || w == u"INTERSECT") {
            // a TOP limits its own SELECT only
            while (!tops_.empty() && tops_.back().depth == depth_) {
                tops_.back().compound = true;
                closeTop();
            }
            return false;
        }
        if (w == u"DELETE") return deleteFrom(i, n);
        if (callFollows && functionCall(i, n, w)) return true;
        return globalVariable(w);
    }

    // "expr IN (...)" compares with the collation of its left side: a column
    // has the server-like one, an expression or a literal gets it here (a
    // column keeps its own so its index still serves).
    bool inList(size_t i) {
        size_t left = prevSig(t_, i);
        if (left != npos && t_[left].isWord("NOT")) left = prevSig(t_, left);
        if (left != npos && (t_[left].isPunct(')') || t_[left].kind == TokKind::String || t_[left].isWord("END"))) {
            size_t at = out_.size();
            while (at > 0 && !out_[at - 1].significant()) --at;
            if (at > 0 && out_[at - 1].isWord("NOT")) {
                --at;
                while (at > 0 && !out_[at - 1].significant()) --at;
            }
            if (at > 0 && !out_[at - 1].text.startsWith(QLatin1String("COLLATE"), Qt::CaseInsensitive))
                out_.insert(out_.begin() + long(at), {space(), collate()});
        }
        out_.push_back(t_[i]);
        return true;
    }

    // "WITH (NOLOCK, ...)" goes, with the blank written before it.
    bool tableHint(size_t& i, size_t open) {
        const size_t close = hintList(t_, open);
        if (close == npos) return false;
        while (!out_.empty() && out_.back().kind == TokKind::Space) out_.pop_back();
        i = close;
        if (i + 1 < t_.size() && t_[i + 1].kind != TokKind::Space) out_.push_back(space());
        return true;
    }

    // SELECT [ALL | DISTINCT] TOP n [PERCENT] [WITH TIES]: the limit goes to
    // the end of the SELECT (closeTop).
    bool top(size_t& i, size_t n) {
        PendingTop pending{depth_, QString()};
        pending.selectAt = out_.size();
        if (const size_t p = prevSig(t_, i); p != npos) {
            const size_t q = t_[p].isWord("ALL") ? prevSig(t_, p) : p;
            pending.compound = q != npos && (t_[q].isWord("UNION") || t_[q].isWord("EXCEPT") || t_[q].isWord("INTERSECT"));
        }
        out_.push_back(t_[i]);
        size_t k = n;
        if (k < t_.size() && (t_[k].isWord("DISTINCT") || t_[k].isWord("ALL"))) {
            pending.distinct = t_[k].isWord("DISTINCT");
            for (size_t j = i + 1; j <= k; ++j) out_.push_back(t_[j]);
            i = k;
            k = nextSig(t_, k + 1);
        }
        if (!(k < t_.size() && t_[k].isWord("TOP"))) return true;
        const size_t v = nextSig(t_, k + 1);
        QString limit;
        size_t last = v;
        if (v < t_.size() && t_[v].isPunct('(')) {
            const size_t close = matchParen(t_, v);
            for (size_t j = v + 1; j < close && j < t_.size(); ++j) limit += t_[j].text;
            limit = limit.trimmed();
            last = close;
        } else if (v < t_.size()) {
            limit = t_[v].text;
        }
        size_t after = nextSig(t_, last + 1);
        if (after < t_.size() && t_[after].isWord("PERCENT")) {
            pending.percent = true;
            if (limit == u"100") limit.clear();  // TOP 100 PERCENT: every row
            last = after;
            after = nextSig(t_, after + 1);
        }
        if (after < t_.size() && t_[after].isWord("WITH")) {
            const size_t ties = nextSig(t_, after + 1);
            if (ties < t_.size() && t_[ties].isWord("TIES")) {
                last = ties;
                pending.ties = true;
            }
        }
        pending.limit = limit;
        tops_.push_back(pending);
        i = last;
        // keep one blank between SELECT and the select list
        if (i + 1 < t_.size() && t_[i + 1].kind == TokKind::Space && !out_.empty() && out_.back().kind == TokKind::Space)
            ++i;
        return true;
    }
    // The limit of the SELECT that began at `selectAt` in out_: a number of
    // rows as written; for PERCENT that share of its rows, rounded up; WITH
    // TIES also the rows that tie with the last one in its ORDER BY. One
    // SELECT of a UNION goes into a sub-query of its own.
    void closeTop() {
        const PendingTop top = tops_.back();
        tops_.pop_back();
        if (top.limit.isEmpty()) return;
        // where the FROM and the ORDER BY of this SELECT are in out_
        size_t from = npos, order = npos;
        int d = 0;
        for (size_t k = top.selectAt + 1; k < out_.size(); ++k) {
            if (out_[k].isPunct('(')) ++d;
            else if (out_[k].isPunct(')')) --d;
            else if (d == 0 && from == npos && out_[k].isWord("FROM")) from = k;
            else if (d == 0 && out_[k].isWord("ORDER")) order = k;
        }
        const auto text = [&](size_t a, size_t b) {
            QString r;
            for (size_t k = a; k < b && k < out_.size(); ++k) r += out_[k].text;
            return r.trimmed();
        };
        QString limit = top.limit;
        if (top.compound && order != npos) {
            refuse(QStringLiteral("TOP en una de las consultas de una UNION con ORDER BY"));
            return;
        }
        if (top.percent && top.ties) {
            refuse(QStringLiteral("TOP ... PERCENT WITH TIES"));
            return;
        }
        if (top.percent) {
            limit = QStringLiteral("(SELECT CAST(CEILING(COUNT(*) * (%1) / 100.0) AS INTEGER) FROM (%2))")
                        .arg(top.limit, text(top.selectAt, order == npos ? out_.size() : order));
        } else if (top.ties) {
            if (order == npos || from == npos || top.distinct) {
                refuse(QStringLiteral("TOP ... WITH TIES sin ORDER BY o con DISTINCT"));
                return;
            }
            const size_t by = nextSig(out_, order + 1);
            const QString items = text(by + 1, out_.size());
            for (const QString& item : items.split(u','))
                if (item.trimmed().section(u' ', 0, 0).toInt() > 0) {
                    refuse(QStringLiteral("TOP ... WITH TIES con ORDER BY por posición"));
                    return;
                }
            limit = QStringLiteral("(SELECT COUNT(*) FROM (SELECT RANK() OVER (ORDER BY %1) AS srv_rank %2) WHERE srv_rank <= (%3))")
                        .arg(items, text(from, order), top.limit);
        }
        if (top.compound) {
            while (!out_.empty() && !out_.back().significant()) out_.pop_back();
            out_.insert(out_.begin() + long(top.selectAt), sql::word(QStringLiteral("SELECT * FROM (")));
        }
        out_.push_back(space());
        out_.push_back(sql::word(QStringLiteral("LIMIT")));
        out_.push_back(space());
        for (Token& tok : sql::tokenize(limit)) out_.push_back(std::move(tok));
        if (top.compound) {
            out_.push_back(punct(QStringLiteral(")")));
            out_.push_back(space());
        }
    }

    // "DELETE table" is "DELETE FROM table".
    bool deleteFrom(size_t i, size_t n) {
        out_.push_back(t_[i]);
        if (n < t_.size() && !t_[n].isWord("FROM") && isName(t_[n])) {
            out_.push_back(space());
            out_.push_back(sql::word(QStringLiteral("FROM")));
        }
        return true;
    }

    // The server's functions the engine knows by another name or form.
    bool functionCall(size_t& i, size_t n, const QString& w) {
        static const QHash<QString, QString> renamed = {
            {QStringLiteral("ISNULL"), QStringLiteral("IFNULL")},
            {QStringLiteral("LEFT"), QStringLiteral("SRV_LEFT")},
            {QStringLiteral("RIGHT"), QStringLiteral("SRV_RIGHT")},
            {QStringLiteral("SCOPE_IDENTITY"), QStringLiteral("last_insert_rowid")},
        };
        if (auto it = renamed.constFind(w); it != renamed.constEnd()) {
            Token tok = t_[i];
            tok.text = *it;
            out_.push_back(tok);
            return true;
        }
        if (w == u"DATEADD" || w == u"DATEDIFF" || w == u"DATEPART" || w == u"DATENAME") return datePartCall(i, n);
        if (w == u"SUBSTRING") {
            // the engine's own counts a start below 1 from the end; a whole
            // positive start written as a number it takes as the server does
            const auto args = typer_.arguments(i);
            const auto positive = [&](size_t k) {
                bool whole = false;
                return t_[k].kind == TokKind::Number && t_[k].text.toLongLong(&whole) >= 1 && whole;
            };
            if (args.size() == 3 && args[1].first == args[1].second && positive(args[1].first) &&
                args[2].first == args[2].second && t_[args[2].first].kind == TokKind::Number)
                return false;
            Token tok = t_[i];
            tok.text = QStringLiteral("SRV_SUBSTRING");
            out_.push_back(tok);
            return true;
        }
        if (w == u"CONVERT") return convertCall(i, n);
        if (w == u"CAST") return castCall(i, n);
        return false;
    }

    // The first argument is a date part name: it goes as text.
    bool datePartCall(size_t& i, size_t n) {
        out_.push_back(t_[i]);
        const size_t a = nextSig(t_, n + 1);
        for (size_t j = i + 1; j < a; ++j) out_.push_back(t_[j]);
        ++depth_;
        if (a < t_.size() && t_[a].kind == TokKind::Word && datePartNames().contains(t_[a].text.toUpper()))
            out_.push_back(str(t_[a].text.toLower()));
        else if (a < t_.size())
            out_.push_back(t_[a]);
        i = a;
        return true;
    }

    // CONVERT(type[(n[,m])], expr[, style]) -> SRV_CONVERT('type', expr[, style]);
    // exact numbers that are compared or sorted -> SRV_CONVERT_NUM.
    bool convertCall(size_t& i, size_t n) {
        size_t last = npos;
        const QString type = convertTypeAt(t_, i, &last);
        if (type.isEmpty()) return false;
        const bool number = isDecimalTypeName(baseType(type)) && comparedOrSorted(t_, i, matchParen(t_, n));
        out_.push_back(sql::word(number ? QStringLiteral("SRV_CONVERT_NUM") : QStringLiteral("SRV_CONVERT")));
        out_.push_back(punct(QStringLiteral("(")));
        out_.push_back(str(type));
        ++depth_;
        i = last;
        return true;
    }

    // CAST(x AS DATETIME) -> SRV_CONVERT('DATETIME', x): the engine has no
    // date type; CAST(x AS DECIMAL(p,s)) the same, to stay exact, and
    // CAST(x AS VARCHAR(n)), which the engine would not cut to its length.
    bool castCall(size_t& i, size_t n) {
        const size_t close = matchParen(t_, n);
        size_t as = t_.size();
        const QString type = castTypeAt(t_, i, &as);
        if (as >= close) return false;
        const QString base = baseType(type);
        const bool date = isDateTypeName(base);
        const bool text = isTextTypeName(base);
        if (!date && !text && !isDecimalTypeName(base)) return false;
        // the argument goes on through the rewrite as any other tokens (an
        // exact one is planned as text of its scale, see planCast); from its
        // AS the rewrite jumps to the closing parenthesis
        const bool number = !date && !text && comparedOrSorted(t_, i, close);
        out_.push_back(sql::word(number ? QStringLiteral("SRV_CONVERT_NUM") : QStringLiteral("SRV_CONVERT")));
        out_.push_back(punct(QStringLiteral("(")));
        out_.push_back(str(date ? base : type));
        out_.push_back(punct(QStringLiteral(",")));
        out_.push_back(space());
        ++depth_;
        castEnds_[as] = close;
        i = n;
        return true;
    }

    bool globalVariable(const QString& w) {
        if (w == u"@@TRANCOUNT") out_.push_back(sql::word(QStringLiteral("SRV_TRANCOUNT()")));
        else if (w == u"@@IDENTITY") out_.push_back(sql::word(QStringLiteral("last_insert_rowid()")));
        else return false;
        return true;
    }

    static Token collate() { return sql::word(QStringLiteral("COLLATE ") + QString::fromLatin1(kTextCollationName)); }

    void refuse(const QString& why) {
        if (refused_ && refused_->isEmpty()) *refused_ = why;
    }

    const Toks& t_;
    SchemaInfo* schema_;
    ColumnFinder finder_;
    Typer typer_;
    QString* refused_;
    std::vector<PendingTop> tops_;
    int depth_ = 0;
    std::map<size_t, size_t> castEnds_;  // the AS of a CAST -> its ")"
    std::vector<QString> pre_, post_, replaced_;
    Toks out_;
};

// ---------------------------------------------------------------------------
// Texts compared, grouped and sorted as the server's text columns are. A
// column of the schema has the server-like collation and a literal compared
// gets it (Rewriter::literal); anything else that meets a comparison, a
// GROUP BY, an ORDER BY, a DISTINCT or a UNION (a function's value, a CASE,
// a concatenation, a sub-query) would compare byte by byte, so it gets the
// collation here, on the rewritten tokens. A plain column keeps its own,
// so that its index still serves (a collation named on a number column would
// keep its index out); on numbers a collation changes nothing.
class ExpressionCollation {
public:
    explicit ExpressionCollation(Toks& t) : t_(t) {}

    void run() {
        for (size_t i = 0; i < t_.size(); ++i) {
            const Token& tok = t_[i];
            if (tok.kind == TokKind::Punct) {
                const char16_t c = tok.text[0].unicode();
                if ((c == u'=' || c == u'<' || c == u'>' || c == u'!') && isComparison(tok)) comparison(i);
            } else if (tok.kind == TokKind::String) {
                if (isWordAt(prevSig(t_, i), "WHEN")) mark(i);  // CASE x WHEN 'a'
            } else if (tok.kind == TokKind::Word) {
                const char16_t c = tok.text[0].unicode() | 0x20;
                if (c == u'b' || c == u'i' || c == u's' || c == u'o' || c == u'g' || c == u'm' || c == u'c' || c == u'n')
                    keyword(i, c);
            }
        }
        if (marks_.empty()) return;
        // in the order of the tokens; of two at one token the one with a name
        std::sort(marks_.begin(), marks_.end(), [](const Mark& a, const Mark& b) {
            return a.after != b.after ? a.after < b.after : !a.alias.isEmpty() && b.alias.isEmpty();
        });
        Toks out;
        out.reserve(t_.size() + 3 * marks_.size());
        size_t m = 0;
        for (size_t i = 0; i < t_.size(); ++i) {
            const TokKind next = i + 1 < t_.size() ? t_[i + 1].kind : TokKind::Space;
            out.push_back(std::move(t_[i]));
            for (; m < marks_.size() && marks_[m].after == i; ++m) {
                if (m > 0 && marks_[m - 1].after == i) continue;  // one collation is enough
                out.push_back(space());
                out.push_back(word(QStringLiteral("COLLATE ") + QString::fromLatin1(kTextCollationName)));
                if (!marks_[m].alias.isEmpty()) {
                    QString name = marks_[m].alias;
                    name.replace(u'"', QStringLiteral("\"\""));
                    out.push_back(space());
                    out.push_back(word(QStringLiteral("AS")));
                    out.push_back(space());
                    out.push_back({TokKind::Quoted, QLatin1Char('"') + name + QLatin1Char('"')});
                }
                // "x COLLATE SRVTEXT AND ...": the name needs a blank after it
                if (next == TokKind::Word || next == TokKind::Quoted || next == TokKind::String || next == TokKind::Number)
                    out.push_back(space());
            }
        }
        t_ = std::move(out);
    }

private:
    struct Mark {
        size_t after;   // the collation goes after this token
        QString alias;  // and this name, for a result column that had none
    };

    // The words that start what is looked at (`first`: the word's first
    // letter, lower case, which tells most names apart before their text).
    void keyword(size_t i, char16_t first) {
        const Token& tok = t_[i];
        switch (first) {
        case 'b':
            if (kw(tok, "BETWEEN")) comparison(i);
            break;
        case 'i':
            if (kw(tok, "IS")) comparison(i);
            break;
        case 's':
            if (kw(tok, "SELECT")) selectList(i);
            break;
        case 'o':
        case 'g':
            if ((kw(tok, "ORDER") || kw(tok, "GROUP")) && isWordAt(nextSig(t_, i + 1), "BY")) orderOrGroup(nextSig(t_, i + 1));
            break;
        case 'm':
        case 'c':
        case 'n':
            if (kw(tok, "MIN") || kw(tok, "MAX") || kw(tok, "COUNT") || kw(tok, "NULLIF")) argument(i);
            break;
        default:
            break;
        }
    }

    bool isWordAt(size_t i, const char* w) const { return i < t_.size() && kw(t_[i], w); }
    // A keyword (letters only), letter case ignored; told without QString's
    // comparison, which the pass would otherwise call for most tokens.
    static bool kw(const Token& tok, const char* w) {
        if (tok.kind != TokKind::Word) return false;
        const qsizetype n = tok.text.size();
        qsizetype k = 0;
        for (; k < n && w[k]; ++k)
            if ((tok.text[k].unicode() | 0x20) != (char16_t(w[k]) | 0x20)) return false;
        return k == n && !w[k];
    }
    static bool isConcat(const Token& tok) { return tok.kind == TokKind::Punct && tok.text == u"||"; }

    // The first token of the name ("t.col", "[t].[col]") ending at i; npos
    // when no name ends there.
    size_t nameStart(size_t i) const {
        if (i >= t_.size() || !isName(t_[i])) return npos;
        for (;;) {
            const size_t dot = prevSig(t_, i);
            const size_t before = dot == npos ? npos : prevSig(t_, dot);
            if (dot == npos || !t_[dot].isPunct('.') || before == npos || !isName(t_[before])) return i;
            i = before;
        }
    }
    // The same, starting at i: its last token.
    size_t nameEnd(size_t i) const {
        for (;;) {
            const size_t dot = nextSig(t_, i + 1);
            const size_t after = dot < t_.size() ? nextSig(t_, dot + 1) : t_.size();
            if (dot >= t_.size() || !t_[dot].isPunct('.') || after >= t_.size() || !isName(t_[after])) return i;
            i = after;
        }
    }

    // Whether the value ending at `last` is a text expression that compares
    // byte by byte: a call, a parenthesis or sub-query, a CASE, or a
    // concatenation (also one ending in a column).
    bool expressionEndingAt(size_t last) const {
        if (last >= t_.size()) return false;
        if (t_[last].isPunct(')')) return !numberCall(last);
        if (kw(t_[last], "END")) return true;
        const size_t first = nameStart(last);
        if (first == npos) return false;
        const size_t p = prevSig(t_, first);
        return p != npos && isConcat(t_[p]);
    }
    // Whether the ')' at `close` ends a call that gives a number.
    bool numberCall(size_t close) const {
        static const QSet<QString> numbers = {
            QStringLiteral("SRV_CONVERT_NUM"), QStringLiteral("COUNT"),     QStringLiteral("SUM"),
            QStringLiteral("AVG"),             QStringLiteral("LEN"),       QStringLiteral("CHARINDEX"),
            QStringLiteral("DATEDIFF"),        QStringLiteral("DATEPART"),  QStringLiteral("YEAR"),
            QStringLiteral("MONTH"),           QStringLiteral("DAY"),       QStringLiteral("ABS"),
            QStringLiteral("ROUND"),           QStringLiteral("CEILING"),   QStringLiteral("FLOOR"),
            QStringLiteral("SRV_TRANCOUNT"),   QStringLiteral("ISNUMERIC"), QStringLiteral("LAST_INSERT_ROWID"),
            QStringLiteral("SRV_NUM"),         QStringLiteral("SRV_DATE_ADD")};
        const size_t open = matchParenBack(t_, close);
        const size_t name = open < t_.size() ? prevSig(t_, open) : npos;
        return name != npos && t_[name].kind == TokKind::Word && numbers.contains(t_[name].text.toUpper());
    }

    // Whether the value starting at `first` is a plain column (or a literal,
    // which the rewrite collates itself, or a number).
    bool plainStartingAt(size_t first) const {
        if (first >= t_.size()) return true;
        if (t_[first].kind == TokKind::String || t_[first].kind == TokKind::Number) {
            const size_t n = nextSig(t_, first + 1);
            return !(n < t_.size() && isConcat(t_[n]));
        }
        if (!isName(t_[first]) || kw(t_[first], "CASE") || kw(t_[first], "NOT") || kw(t_[first], "EXISTS"))
            return false;
        const size_t n = nextSig(t_, nameEnd(first) + 1);
        return !(n < t_.size() && (t_[n].isPunct('(') || isConcat(t_[n])));
    }
    bool collatedAfter(size_t i) const {
        const size_t n = nextSig(t_, i + 1);
        return n < t_.size() && t_[n].kind == TokKind::Word && t_[n].text.startsWith(QLatin1String("COLLATE"), Qt::CaseInsensitive);
    }
    void mark(size_t after, const QString& alias = {}) {
        if (!collatedAfter(after)) marks_.push_back({after, alias});
    }

    // "a = b", "a IS b", "a BETWEEN b AND c": the left side gets the collation when
    // it is an expression (or a literal) and the right side no plain column
    // or literal (which decide themselves); BETWEEN compares by its left side.
    void comparison(size_t op) {
        size_t left = prevSig(t_, op);
        size_t right = nextSig(t_, op + 1);
        if (kw(t_[op], "IS")) {
            if (isWordAt(right, "NOT")) right = nextSig(t_, right + 1);
            if (isWordAt(right, "NULL")) return;
        }
        if (kw(t_[op], "BETWEEN") && isWordAt(left, "NOT")) left = prevSig(t_, left);
        if (left == npos) return;
        const bool literal = t_[left].kind == TokKind::String;
        if (!literal && !expressionEndingAt(left)) return;
        if (kw(t_[op], "BETWEEN")) {
            if (!literal) mark(left);
            return;
        }
        if (!plainStartingAt(right)) mark(left);
    }

    // The items of the list starting at `from` up to a word of `ends` (or a
    // ')' closing it), split at its commas: (first, last) significant tokens.
    template <class Ends>
    std::vector<std::pair<size_t, size_t>> items(size_t from, const Ends& ends, size_t* end = nullptr) const {
        std::vector<std::pair<size_t, size_t>> out;
        int depth = 0;
        size_t first = npos, last = npos, i = from;
        for (; i < t_.size(); ++i) {
            const Token& tok = t_[i];
            if (!tok.significant()) continue;
            if (depth == 0 && (tok.isPunct(')') || tok.isPunct(';') || tok.isPunct(',') ||
                               (tok.kind == TokKind::Word && ends(tok)))) {
                if (first != npos) out.push_back({first, last});
                first = last = npos;
                if (!tok.isPunct(',')) break;
                continue;
            }
            if (tok.isPunct('(')) ++depth;
            if (tok.isPunct(')')) --depth;
            if (first == npos) first = i;
            last = i;
        }
        if (first != npos) out.push_back({first, last});
        if (end) *end = i;
        return out;
    }

    // GROUP BY and ORDER BY items; a name there is a result column's alias
    // when the statement gives one that name.
    void orderOrGroup(size_t by) {
        static const char* const ends[] = {"HAVING", "ORDER",  "LIMIT",  "UNION", "EXCEPT",
                                           "INTERSECT", "OFFSET", "WINDOW", "FOR", "OPTION"};
        const auto ending = [](const Token& tok) {
            for (const char* e : ends)
                if (kw(tok, e)) return true;
            return false;
        };
        for (auto [first, last] : items(by + 1, ending)) {
            if (kw(t_[last], "ASC") || kw(t_[last], "DESC")) last = prevSig(t_, last);
            if (last == npos || last < first) continue;
            if (expressionEndingAt(last) || (first == last && isName(t_[first]) && aliased(bareName(t_[first]))))
                mark(last);
        }
    }

    // MIN(expr), MAX(expr), COUNT(DISTINCT expr) and NULLIF(expr, ...)
    // compare the values of their (first) argument.
    void argument(size_t name) {
        const size_t open = nextSig(t_, name + 1);
        if (open >= t_.size() || !t_[open].isPunct('(')) return;
        if (kw(t_[name], "COUNT") && !isWordAt(nextSig(t_, open + 1), "DISTINCT")) return;
        const auto args = items(open + 1, [](const Token&) { return false; });
        if (args.empty()) return;
        const size_t last = kw(t_[name], "NULLIF") ? args.front().second : args.back().second;
        if (expressionEndingAt(last)) mark(last);
    }

    // Whether a select-list item of the statement is named so (as an
    // expression's alias: "LTRIM(a) AS codigo").
    bool aliased(const QString& name) const {
        for (size_t i = 0; i + 1 < t_.size(); ++i) {
            if (!kw(t_[i], "AS")) continue;
            const size_t n = nextSig(t_, i + 1);
            if (n < t_.size() && isName(t_[n]) && bareName(t_[n]).compare(name, Qt::CaseInsensitive) == 0 &&
                expressionEndingAt(prevSig(t_, i)))
                return true;
        }
        return false;
    }

    // The select list of a SELECT DISTINCT or of a SELECT of a UNION (EXCEPT,
    // INTERSECT): its expressions get the collation, and those without a
    // name the one the library would give them (their text).
    void selectList(size_t select) {
        size_t from = nextSig(t_, select + 1);
        const bool distinct = isWordAt(from, "DISTINCT");
        if (compound_ < 0) {
            compound_ = 0;
            for (const Token& tok : t_) {
                if (tok.kind != TokKind::Word || tok.text.size() < 5) continue;
                const char16_t c = tok.text[0].unicode() | 0x20;
                if ((c == u'u' && kw(tok, "UNION")) || (c == u'e' && kw(tok, "EXCEPT")) || (c == u'i' && kw(tok, "INTERSECT")))
                    compound_ = 1;
            }
        }
        // A literal of a nested or compound SELECT becomes a column that the
        // statement around it may compare, sort or take the extreme of.
        const size_t before = prevSig(t_, select);
        const bool nested = before != npos && t_[before].isPunct('(');
        if (!distinct && compound_ == 0 && !nested) return;
        if (distinct || isWordAt(from, "ALL")) from = nextSig(t_, from + 1);
        size_t end = t_.size();
        const auto list = items(from, [](const Token& tok) { return kw(tok, "FROM") || kw(tok, "UNION") ||
                                                                     kw(tok, "EXCEPT") || kw(tok, "INTERSECT"); },
                                &end);
        const bool expressions = distinct || inCompound(select, end);
        for (auto [first, last] : list) {
            size_t value = last;
            bool named = false;
            if (isName(t_[last]) && nameStart(last) == last) {
                const size_t p = prevSig(t_, last);
                if (p != npos && p >= first && kw(t_[p], "AS")) {
                    value = prevSig(t_, p);
                    named = true;
                } else if (p != npos && p >= first && (t_[p].isPunct(')') || kw(t_[p], "END") ||
                                                       t_[p].kind == TokKind::String)) {
                    value = p;
                    named = true;
                }
            }
            if (value == npos || value < first) continue;
            const bool literal = value == first && t_[value].kind == TokKind::String;
            if (!literal && !(expressions && expressionEndingAt(value))) continue;
            QString text;
            if (!named)
                for (size_t k = first; k <= value; ++k) text += t_[k].text;
            mark(value, named ? QString() : text.trimmed());
        }
    }

    // Whether the SELECT at `select`, whose list ends at `end`, belongs to a
    // compound SELECT that removes duplicates: a UNION (not UNION ALL),
    // EXCEPT or INTERSECT at its own depth, before or after it.
    bool inCompound(size_t select, size_t end) const {
        const auto removesDuplicates = [&](size_t k) {
            if (kw(t_[k], "EXCEPT") || kw(t_[k], "INTERSECT")) return true;
            return kw(t_[k], "UNION") && !isWordAt(nextSig(t_, k + 1), "ALL");
        };
        int depth = 0;
        for (size_t k = end; k < t_.size() && depth >= 0; ++k) {
            if (t_[k].isPunct('(')) ++depth;
            else if (t_[k].isPunct(')')) --depth;
            else if (depth == 0 && removesDuplicates(k)) return true;
        }
        depth = 0;
        for (size_t k = select; k-- > 0 && depth >= 0;) {
            if (t_[k].isPunct(')')) ++depth;
            else if (t_[k].isPunct('(')) --depth;
            else if (depth == 0 && removesDuplicates(k)) return true;
        }
        return false;
    }

    Toks& t_;
    int compound_ = -1;  // the statement has a UNION, EXCEPT or INTERSECT (-1: not looked at yet)
    std::vector<Mark> marks_;
};

void rewriteTokens(Toks& t, SchemaInfo* schema, QString* refused) {
    t = Rewriter(t, schema, refused).run();
    ExpressionCollation(t).run();
}

QString trimmedJoin(const Toks& t, size_t from, size_t to) {
    QString r;
    for (size_t k = from; k < to && k < t.size(); ++k) r += t[k].text;
    return r.trimmed();
}

const QSet<QString>& ignoredSetOptions() {
    static const QSet<QString> s = {
        QStringLiteral("NOCOUNT"),      QStringLiteral("XACT_ABORT"),   QStringLiteral("DATEFORMAT"),
        QStringLiteral("ANSI_WARNINGS"), QStringLiteral("ANSI_NULLS"),  QStringLiteral("ANSI_PADDING"),
        QStringLiteral("QUOTED_IDENTIFIER"), QStringLiteral("ARITHABORT"), QStringLiteral("TRANSACTION"),
        QStringLiteral("LANGUAGE"),     QStringLiteral("LOCK_TIMEOUT"), QStringLiteral("DEADLOCK_PRIORITY"),
        QStringLiteral("CONCAT_NULL_YIELDS_NULL"), QStringLiteral("IMPLICIT_TRANSACTIONS"),
        QStringLiteral("DATEFIRST"),    QStringLiteral("ROWCOUNT"),
    };
    return s;
}

// Text columns made by the program (ALTER TABLE ... ADD, CREATE TABLE)
// compare like those of the schema: their collation becomes the server-like
// one, whatever collation the statement names.
void collateTextColumns(Toks& t) {
    static const QSet<QString> textTypes = {QStringLiteral("CHAR"), QStringLiteral("VARCHAR"), QStringLiteral("NCHAR"),
                                            QStringLiteral("NVARCHAR"), QStringLiteral("TEXT"), QStringLiteral("NTEXT")};
    Toks out;
    out.reserve(t.size() + 8);
    for (size_t i = 0; i < t.size(); ++i) {
        out.push_back(t[i]);
        if (t[i].kind != TokKind::Word || !textTypes.contains(t[i].text.toUpper())) continue;
        const size_t p = prevSig(t, i);
        if (p == size_t(-1) || !(t[p].kind == TokKind::Word || t[p].kind == TokKind::Quoted)) continue;  // a type follows a name
        size_t last = i;
        size_t n = nextSig(t, i + 1);
        if (n < t.size() && t[n].isPunct('(')) {
            const size_t close = matchParen(t, n);
            if (close >= t.size()) continue;
            for (size_t k = i + 1; k <= close; ++k) out.push_back(t[k]);
            last = close;
            n = nextSig(t, close + 1);
        }
        if (n < t.size() && t[n].isWord("COLLATE")) {
            const size_t name = nextSig(t, n + 1);
            for (size_t k = last + 1; k < n; ++k) out.push_back(t[k]);
            out.push_back(word(QStringLiteral("COLLATE")));
            out.push_back(space());
            out.push_back(word(QString::fromLatin1(kTextCollationName)));
            i = name < t.size() ? name : n;
            continue;
        }
        out.push_back(space());
        out.push_back(word(QStringLiteral("COLLATE")));
        out.push_back(space());
        out.push_back(word(QString::fromLatin1(kTextCollationName)));
        i = last;
    }
    t = std::move(out);
}

// ALTER TABLE t ADD c type ... DEFAULT (v): the server gives the default to
// rows made afterwards and leaves the rows already there Null, unless the
// column is NOT NULL or the statement says WITH VALUES; the engine fills
// them. The statement that empties them again, or "" when none is needed.
QString nullsForNewColumn(Toks& t) {
    size_t add = npos;
    bool hasDefault = false, notNull = false, withValues = false;
    int depth = 0;
    for (size_t k = 0; k < t.size(); ++k) {
        if (t[k].isPunct('(')) ++depth;
        else if (t[k].isPunct(')')) --depth;
        if (depth != 0 || t[k].kind != TokKind::Word) continue;
        if (add == npos && t[k].isWord("ADD")) add = k;
        else if (add != npos && t[k].isWord("DEFAULT")) hasDefault = true;
        else if (add != npos && t[k].isWord("NULL")) {
            const size_t p = prevSig(t, k);
            notNull = notNull || (p != npos && t[p].isWord("NOT"));
        } else if (t[k].isWord("VALUES")) {
            const size_t p = prevSig(t, k);
            if (p != npos && t[p].isWord("WITH")) {
                withValues = true;
                // the engine fills them by itself: the clause goes
                for (size_t j = p; j <= k; ++j) t[j].text.clear();
            }
        }
    }
    if (add == npos || !hasDefault || notNull || withValues) return {};
    size_t column = nextSig(t, add + 1);
    if (column < t.size() && t[column].isWord("COLUMN")) column = nextSig(t, column + 1);
    size_t table = nextSig(t, nextSig(t, 0) + 1);  // after TABLE
    table = nextSig(t, table + 1);
    if (column >= t.size() || table >= add || !isName(t[column])) return {};
    QString name;
    for (size_t k = table; k < add; ++k) name += t[k].text;
    return QStringLiteral("UPDATE ") + name.trimmed() + QStringLiteral(" SET ") + t[column].text + QStringLiteral(" = NULL");
}

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

}  // namespace

Rewritten rewriteForSqlite(const QString& statement) { return rewriteForSqlite(statement, nullptr); }

Rewritten rewriteForSqlite(const QString& statement, SchemaInfo* schema) {
    Toks t = tokenize(statement);
    Rewritten r;
    const size_t first = nextSig(t, 0);
    if (first >= t.size()) {
        r.kind = StmtKind::Empty;
        return r;
    }
    const QString w = t[first].kind == TokKind::Word ? t[first].text.toUpper() : QString();
    const size_t second = nextSig(t, first + 1);
    const QString w2 = second < t.size() && t[second].kind == TokKind::Word ? t[second].text.toUpper() : QString();
    if (w == u"SET" && ignoredSetOptions().contains(w2)) {
        r.kind = StmtKind::Empty;
        return r;
    }
    if (w == u"PRINT") {
        r.kind = StmtKind::Empty;
        return r;
    }
    // the name of a transaction or savepoint after TRAN[SACTION]
    const auto nameAfter = [&](size_t k) {
        const size_t n = nextSig(t, k + 1);
        return n < t.size() && (t[n].kind == TokKind::Word || t[n].kind == TokKind::Quoted) ? bareName(t[n]) : QString();
    };
    if (w == u"BEGIN" && (w2 == u"TRAN" || w2 == u"TRANSACTION" || second >= t.size())) {
        r.kind = StmtKind::Begin;
        r.sql = QStringLiteral("BEGIN");
        if (second < t.size()) r.transactionName = nameAfter(second);
        return r;
    }
    if (w == u"COMMIT" && (w2.isEmpty() || w2 == u"TRAN" || w2 == u"TRANSACTION" || w2 == u"WORK")) {
        r.kind = StmtKind::Commit;
        r.sql = QStringLiteral("COMMIT");
        return r;
    }
    // A savepoint inside a transaction: SAVE TRAN[SACTION] name. The engine
    // decides when it runs whether ROLLBACK TRAN[SACTION] name goes back to a
    // savepoint (the transaction stays open) or names the outermost
    // transaction (everything is undone).
    if (w == u"SAVE" && (w2 == u"TRAN" || w2 == u"TRANSACTION")) {
        r.kind = StmtKind::Save;
        r.transactionName = nameAfter(second);
        r.sql = QStringLiteral("SAVEPOINT ") + r.transactionName;
        return r;
    }
    if (w == u"ROLLBACK" && (w2.isEmpty() || w2 == u"TRAN" || w2 == u"TRANSACTION" || w2 == u"WORK")) {
        r.kind = StmtKind::Rollback;
        r.sql = QStringLiteral("ROLLBACK");
        if (w2 == u"TRAN" || w2 == u"TRANSACTION") r.transactionName = nameAfter(second);
        return r;
    }
    if (w == u"END" && second >= t.size()) {
        r.kind = StmtKind::BlockEnd;
        return r;
    }
    if (w == u"IF") {
        if (auto f = rewriteIf(t, first, schema)) return *f;
    }
    if ((w == u"CREATE" || w == u"ALTER") && w2 == u"TABLE") collateTextColumns(t);
    if (w == u"SELECT") r.columnTypes = statedColumnTypes(t, schema);
    rewriteTokens(t, schema, &r.refused);
    if (w == u"ALTER" && w2 == u"TABLE") r.followUp = nullsForNewColumn(t);
    r.sql = join(t).trimmed();
    if (w == u"SELECT") r.kind = StmtKind::Select;
    else if (w == u"INSERT") r.kind = StmtKind::Insert;
    else if (w == u"UPDATE") r.kind = StmtKind::Update;
    else if (w == u"DELETE") r.kind = StmtKind::Delete;
    else r.kind = StmtKind::Other;
    return r;
}

ColumnKind columnKindOfType(const QString& declaredType) {
    QString d = declaredType.trimmed().toUpper();
    if (const qsizetype p = d.indexOf(u'('); p >= 0) d.truncate(p);
    d = d.section(u' ', 0, 0);
    if (d.isEmpty()) return ColumnKind::Unknown;
    if (d == u"CHAR" || d == u"VARCHAR" || d == u"NCHAR" || d == u"NVARCHAR" || d == u"TEXT" || d == u"NTEXT" ||
        d == u"CHARACTER" || d == u"VARYING" || d == u"NATIONAL" || d == u"CLOB" || d == u"SYSNAME")
        return ColumnKind::Text;
    if (isDateTypeName(d) || d == u"TIMESTAMP" || d == u"SMALLDATETIME") return ColumnKind::Date;
    return ColumnKind::Other;
}

QString withRowid(const QString& select, const QString& alias) {
    Toks t = tokenize(select);
    const size_t first = nextSig(t, 0);
    if (first >= t.size()) return select;
    Toks out(t.begin(), t.begin() + long(first) + 1);
    out.push_back(space());
    out.push_back(word(QStringLiteral("rowid AS ") + alias + QStringLiteral(",")));
    out.insert(out.end(), t.begin() + long(first) + 1, t.end());
    return join(out);
}

// ---------------------------------------------------------------------------
// Statements with their literals as parameters

namespace {

// How the engine reads a number literal: whole (no point, no exponent, at
// most 18 digits, so it fits), another number, or none it reads as written.
enum class NumberForm { None, Whole, Other };
NumberForm numberForm(QStringView n) {
    qsizetype i = 0, digits = 0;
    bool point = false, exponent = false;
    while (i < n.size() && n[i].isDigit()) ++i, ++digits;
    if (i < n.size() && n[i] == u'.') {
        point = true;
        for (++i; i < n.size() && n[i].isDigit(); ++i) ++digits;
    }
    if (digits == 0) return NumberForm::None;
    if (i < n.size() && (n[i] == u'e' || n[i] == u'E')) {
        exponent = true;
        ++i;
        if (i < n.size() && (n[i] == u'+' || n[i] == u'-')) ++i;
        const qsizetype from = i;
        while (i < n.size() && n[i].isDigit()) ++i;
        if (i == from) return NumberForm::None;
    }
    if (i != n.size()) return NumberForm::None;
    return !point && !exponent && digits <= 18 ? NumberForm::Whole : NumberForm::Other;
}

// The quoted part of a text literal (N'...' loses its N).
QStringView unprefixed(QStringView literal) {
    return literal.startsWith(u'N') || literal.startsWith(u'n') ? literal.mid(1) : literal;
}

// Number probes stand in for number slots while the rewrite runs: nineteen
// digits beginning with these, which no statement given a slot holds.
const QLatin1String kProbeDigits("9123456789012345");
constexpr int kMaxSlots = 999;

}  // namespace

std::optional<Parameterised> parameterise(const QString& s, const std::vector<Lexeme>* tokens) {
    if (s.contains(u'\x01')) return std::nullopt;  // the skeleton's mark
    // the significant tokens (a buffer kept for the next statement)
    static thread_local std::vector<Lexeme> own;
    if (!tokens) {
        own.clear();
        own.reserve(size_t(s.size() / 2) + 8);
        Lexer lexer(s);
        for (Lexeme l; lexer.next(l);)
            if (l.kind != TokKind::Space && l.kind != TokKind::Comment) own.push_back(l);
    }
    const std::vector<Lexeme>& sig = tokens ? *tokens : own;
    if (sig.empty()) return std::nullopt;
    const auto at = [&](size_t k) -> const Lexeme& { return sig[k]; };
    const char16_t* const data = QStringView(s).utf16();
    const auto text = [&](size_t k) { return QStringView(data + at(k).pos, at(k).len); };
    const auto isWord = [&](size_t k, QLatin1String w) {
        return k < sig.size() && at(k).kind == TokKind::Word && at(k).len == w.size() &&
               text(k).compare(w, Qt::CaseInsensitive) == 0;
    };
    const auto isPunct = [&](size_t k, char16_t c) {
        return k < sig.size() && at(k).kind == TokKind::Punct && at(k).len == 1 && data[at(k).pos] == c;
    };
    const bool insert = isWord(0, QLatin1String("INSERT")), select = isWord(0, QLatin1String("SELECT"));
    if (!insert && !select && !isWord(0, QLatin1String("UPDATE")) && !isWord(0, QLatin1String("DELETE"))) return std::nullopt;
    int selects = 0;
    for (size_t k = 0; k < sig.size(); ++k) selects += isWord(k, QLatin1String("SELECT")) ? 1 : 0;

    Parameterised p;
    // The slot of a literal at k (and of "-" before a number there); false
    // when the literal is none.
    const auto slotAt = [&](size_t k, bool numbers, int column) -> bool {
        qsizetype from = at(k).pos;
        size_t number = k;
        if (isPunct(k, u'-') && k + 1 < sig.size() && at(k + 1).kind == TokKind::Number && at(k + 1).pos == at(k).pos + 1)
            number = k + 1;
        if (number == k && at(k).kind == TokKind::String) {
            const QStringView q = unprefixed(text(k));
            const QStringView inner = q.mid(1, q.size() - 2);
            if (q.size() < 2 || !q.endsWith(u'\'') || (mayBeDate(inner) && readDayFirst(inner)) ||
                (mayBeOtherDate(inner) && otherDateChanges(inner)))
                return false;
            p.literals.push_back({LiteralSlot::Text, from, at(k).len, column});
            return true;
        }
        if (at(number).kind != TokKind::Number) return false;
        const NumberForm f = numberForm(text(number));
        if (f == NumberForm::None || (f == NumberForm::Other && !numbers)) return false;
        p.literals.push_back({f == NumberForm::Whole ? LiteralSlot::Integer : LiteralSlot::Number, from,
                           at(number).pos + at(number).len - from, column});
        return true;
    };

    if (insert) {
        // INSERT [INTO] name[.name] [(c1, c2 ...)] VALUES (v1, v2 ...) and nothing after
        if (selects > 0) return std::nullopt;
        size_t k = isWord(1, QLatin1String("INTO")) ? 2 : 1;
        for (;;) {
            if (k >= sig.size() || (at(k).kind != TokKind::Word && at(k).kind != TokKind::Quoted)) return std::nullopt;
            p.table = at(k).kind == TokKind::Quoted ? Parameterised::Span{at(k).pos + 1, at(k).len - 2}
                                                    : Parameterised::Span{at(k).pos, at(k).len};
            if (!isPunct(++k, u'.')) break;
            ++k;
        }
        if (isPunct(k, u'(')) {
            for (++k; k < sig.size() && !isPunct(k, u')'); ++k) {
                if (at(k).kind == TokKind::Word) p.columns.push_back({at(k).pos, at(k).len});
                else if (at(k).kind == TokKind::Quoted) p.columns.push_back({at(k).pos + 1, at(k).len - 2});
                else return std::nullopt;
                if (isPunct(k + 1, u',')) ++k;
            }
            ++k;
        }
        if (!isWord(k, QLatin1String("VALUES")) || !isPunct(k + 1, u'(')) return std::nullopt;
        k += 2;
        int column = 0, depth = 0;
        size_t itemFrom = k;
        for (; k < sig.size(); ++k) {
            const bool close = isPunct(k, u')');
            if (isPunct(k, u'(')) ++depth;
            else if (close && depth > 0) --depth;
            else if ((close || isPunct(k, u',')) && depth == 0) {
                const size_t len = k - itemFrom;
                if (len == 1 || (len == 2 && isPunct(itemFrom, u'-'))) slotAt(itemFrom, true, column);
                ++column;
                itemFrom = k + 1;
                if (close) break;
            }
        }
        if (k + 1 != sig.size()) return std::nullopt;  // unclosed, or more rows after
    } else {
        if (select && selects != 1) return std::nullopt;
        size_t from = 0;
        if (select) {
            int depth = 0;
            for (from = 1; from < sig.size(); ++from) {
                if (isPunct(from, u'(')) ++depth;
                else if (isPunct(from, u')')) --depth;
                else if (depth == 0 && isWord(from, QLatin1String("FROM"))) break;
            }
        }
        for (size_t k = from + 1; k < sig.size(); ++k)
            if (at(k - 1).kind == TokKind::Punct && isComparisonText(text(k - 1))) slotAt(k, false, -1);
    }
    if (p.literals.empty() || p.literals.size() > size_t(kMaxSlots)) return std::nullopt;

    size_t h = 0;
    qsizetype done = 0;
    for (const LiteralSlot& l : p.literals) {
        h = qHash(QStringView(data + done, l.pos - done), h) * 31 + size_t(l.kind);
        done = l.pos + l.len;
    }
    p.hash = qHash(QStringView(data + done, s.size() - done), h);
    return p;
}

QString skeletonOf(const QString& s, const Parameterised& p) {
    QString skeleton;
    skeleton.reserve(s.size());
    qsizetype done = 0;
    for (const LiteralSlot& l : p.literals) {
        skeleton += QStringView(s).mid(done, l.pos - done);
        skeleton += u'\x01';
        skeleton += QLatin1Char(char(l.kind));
        done = l.pos + l.len;
    }
    skeleton += QStringView(s).mid(done);
    return skeleton;
}

bool hasSkeleton(const QString& s, const Parameterised& p, const QString& skeleton) {
    const QStringView k(skeleton);
    qsizetype done = 0, at = 0;
    for (const LiteralSlot& l : p.literals) {
        const qsizetype n = l.pos - done;
        if (at + n + 2 > k.size() || k.mid(at, n) != QStringView(s).mid(done, n) || k[at + n] != u'\x01' ||
            k[at + n + 1] != QLatin1Char(char(l.kind)))
            return false;
        at += n + 2;
        done = l.pos + l.len;
    }
    return k.mid(at) == QStringView(s).mid(done);
}

std::optional<Rewritten> rewriteParameterised(const QString& statement, const Parameterised& p, const Rewritten& plain,
                                              SchemaInfo* schema) {
    // (a statement holding a probe's digits could not tell it from its own)
    if (!plain.guard.isEmpty() || statement.contains(kProbeDigits)) return std::nullopt;
    const auto probe = [](const LiteralSlot& l, size_t k) {
        return l.kind == LiteralSlot::Text ? QStringLiteral("'\x02%1\x03'").arg(k)
                                           : kProbeDigits + QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
    };
    QString probed;
    qsizetype done = 0;
    for (size_t k = 0; k < p.literals.size(); ++k) {
        probed += QStringView(statement).mid(done, p.literals[k].pos - done);
        probed += probe(p.literals[k], k);
        done = p.literals[k].pos + p.literals[k].len;
    }
    probed += QStringView(statement).mid(done);
    Rewritten r = rewriteForSqlite(probed, schema);
    if (r.kind != plain.kind || !r.guard.isEmpty()) return std::nullopt;

    // each probe once in the rewrite, where its literal goes
    struct Place { qsizetype pos, len; size_t slot; };
    std::vector<Place> places;
    for (size_t k = 0; k < p.literals.size(); ++k) {
        const QString pr = probe(p.literals[k], k);
        const qsizetype pos = r.sql.indexOf(pr);
        if (pos < 0 || r.sql.indexOf(pr, pos + 1) >= 0) return std::nullopt;
        places.push_back({pos, pr.size(), k});
    }
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) { return a.pos < b.pos; });
    QString shaped, expected;
    done = 0;
    for (const Place& pl : places) {
        if (pl.pos < done) return std::nullopt;
        const QStringView between = QStringView(r.sql).mid(done, pl.pos - done);
        shaped += between;
        expected += between;
        const LiteralSlot& l = p.literals[pl.slot];
        const QStringView literal = QStringView(statement).mid(l.pos, l.len);
        shaped += u'?' + QString::number(pl.slot + 1);
        expected += l.kind == LiteralSlot::Text ? unprefixed(literal) : literal;
        done = pl.pos + pl.len;
    }
    shaped += QStringView(r.sql).mid(done);
    expected += QStringView(r.sql).mid(done);
    // the rewrite treats these literals by their place alone: with the
    // statement's own literals it gives the statement's own rewrite
    if (expected != plain.sql) return std::nullopt;
    r.sql = shaped;
    return r;
}

}  // namespace ado::sql
