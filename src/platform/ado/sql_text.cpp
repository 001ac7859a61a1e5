#include "platform/ado/sql_text.h"

#include "platform/ado/sqlite_support.h"

#include <QDate>
#include <QSet>

#include <map>
#include <optional>

namespace ado::sql {

namespace {
const char* const kTextCollationName = kTextCollation;
}

bool Token::isWord(const char* upperWord) const {
    return kind == TokKind::Word && text.compare(QLatin1String(upperWord), Qt::CaseInsensitive) == 0;
}

namespace {

bool isWordStart(QChar c) { return c.isLetter() || c == u'_' || c == u'@' || c == u'#'; }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$'; }

}  // namespace

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    auto push = [&](TokKind k, qsizetype from, qsizetype to) { out.push_back({k, s.mid(from, to - from)}); };
    while (i < n) {
        const QChar c = s[i];
        const qsizetype start = i;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace()) ++i;
            push(TokKind::Space, start, i);
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n' && s[i] != u'\r') ++i;
            push(TokKind::Comment, start, i);
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            i += 2;
            while (i < n && !(s[i] == u'*' && i + 1 < n && s[i + 1] == u'/')) ++i;
            i = qMin(n, i + 2);
            push(TokKind::Comment, start, i);
        } else if (c == u'\'' || ((c == u'N' || c == u'n') && i + 1 < n && s[i + 1] == u'\'')) {
            if (c != u'\'') ++i;
            ++i;
            while (i < n) {
                if (s[i] == u'\'') {
                    if (i + 1 < n && s[i + 1] == u'\'') { i += 2; continue; }
                    ++i;
                    break;
                }
                ++i;
            }
            push(TokKind::String, start, i);
        } else if (c == u'[') {
            while (i < n && s[i] != u']') ++i;
            i = qMin(n, i + 1);
            push(TokKind::Quoted, start, i);
        } else if (c == u'"') {
            ++i;
            while (i < n && s[i] != u'"') ++i;
            i = qMin(n, i + 1);
            push(TokKind::Quoted, start, i);
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n && (s[i].isDigit() || s[i] == u'.')) ++i;
            if (i < n && (s[i] == u'e' || s[i] == u'E') && i + 1 < n &&
                (s[i + 1].isDigit() || ((s[i + 1] == u'+' || s[i + 1] == u'-') && i + 2 < n && s[i + 2].isDigit()))) {
                i += 2;
                while (i < n && s[i].isDigit()) ++i;
            }
            push(TokKind::Number, start, i);
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(s[i])) ++i;
            push(TokKind::Word, start, i);
        } else {
            if (i + 1 < n) {
                const QChar d = s[i + 1];
                if ((c == u'<' && (d == u'=' || d == u'>')) || (c == u'>' && d == u'=') || (c == u'!' && d == u'=') ||
                    (c == u'|' && d == u'|')) {
                    i += 2;
                    push(TokKind::Punct, start, i);
                    continue;
                }
            }
            ++i;
            push(TokKind::Punct, start, i);
        }
    }
    return out;
}

QString join(const std::vector<Token>& tokens) {
    QString r;
    for (const auto& t : tokens) r += t.text;
    return r;
}

// ---------------------------------------------------------------------------
// Statement kinds and the batch splitter

namespace {

const QSet<QString>& statementStarters() {
    static const QSet<QString> s = {
        QStringLiteral("SELECT"), QStringLiteral("INSERT"), QStringLiteral("UPDATE"), QStringLiteral("DELETE"),
        QStringLiteral("BEGIN"),  QStringLiteral("COMMIT"), QStringLiteral("ROLLBACK"), QStringLiteral("SET"),
        QStringLiteral("IF"),     QStringLiteral("CREATE"), QStringLiteral("DROP"),   QStringLiteral("ALTER"),
        QStringLiteral("DECLARE"), QStringLiteral("EXEC"),  QStringLiteral("EXECUTE"), QStringLiteral("PRINT"),
        QStringLiteral("TRUNCATE"), QStringLiteral("USE"),  QStringLiteral("SAVE"),   QStringLiteral("GRANT"),
    };
    return s;
}

QString upperWord(const Token& t) { return t.kind == TokKind::Word ? t.text.toUpper() : QString(); }

}  // namespace

StmtKind statementKind(const QString& statement) {
    const auto toks = tokenize(statement);
    for (const auto& t : toks) {
        if (!t.significant()) continue;
        const QString w = upperWord(t);
        if (w == u"SELECT") return StmtKind::Select;
        if (w == u"INSERT") return StmtKind::Insert;
        if (w == u"UPDATE") return StmtKind::Update;
        if (w == u"DELETE") return StmtKind::Delete;
        if (w == u"BEGIN") return StmtKind::Begin;
        if (w == u"COMMIT") return StmtKind::Commit;
        if (w == u"ROLLBACK") return StmtKind::Rollback;
        return StmtKind::Other;
    }
    return StmtKind::Empty;
}

QStringList splitBatch(const QString& batch) {
    const auto toks = tokenize(batch);
    QStringList out;
    QString cur;
    int depth = 0;
    QString kind;            // first keyword of the current statement (of the IF body once it began)
    bool sawSet = false;     // UPDATE: its SET came
    bool sawValues = false;  // INSERT: VALUES or its SELECT came
    bool ifPending = false;  // IF: waiting for the body
    bool ifCondDone = false; // IF: the condition's parentheses closed
    bool newlineSinceLast = true;
    QString prevWord;        // previous significant word (upper case)
    QString object;          // CREATE / ALTER: what is made (TABLE, VIEW, TRIGGER ...)
    int blocks = 0;          // IF ... BEGIN blocks open
    int cases = 0;           // CASE expressions open in the statement
    auto flush = [&] {
        const QString t = cur.trimmed();
        if (!t.isEmpty()) out << t;
        cur.clear();
        kind.clear();
        sawSet = sawValues = ifPending = ifCondDone = false;
        prevWord.clear();
        object.clear();
        cases = 0;
    };
    // The BEGIN at `i` opens a block (it is not BEGIN TRAN[SACTION]).
    auto opensBlock = [&](size_t i) {
        size_t j = i + 1;
        while (j < toks.size() && !toks[j].significant()) ++j;
        return !(j < toks.size() && (toks[j].isWord("TRAN") || toks[j].isWord("TRANSACTION")));
    };
    for (size_t i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (t.kind == TokKind::Space) {
            if (t.text.contains(u'\n') || t.text.contains(u'\r')) newlineSinceLast = true;
            cur += t.text;
            continue;
        }
        if (t.kind == TokKind::Comment) {
            if (t.text.startsWith(u"--")) newlineSinceLast = true;
            cur += t.text;
            continue;
        }
        if (t.isPunct(';') && depth == 0) {
            flush();
            newlineSinceLast = true;
            continue;
        }
        if (t.isPunct('(')) ++depth;
        if (t.isPunct(')')) {
            depth = qMax(0, depth - 1);
            if (ifPending && depth == 0) ifCondDone = true;
        }
        const QString w = upperWord(t);
        if (depth == 0 && w == u"CASE") ++cases;
        if (depth == 0 && w == u"END") {
            if (cases > 0) {
                --cases;
            } else if (blocks > 0) {
                // the END of an IF block stands alone
                flush();
                out << t.text;
                --blocks;
                newlineSinceLast = true;
                continue;
            }
        }
        if (depth == 0 && w == u"BEGIN" && ifPending && ifCondDone && opensBlock(i)) {
            // IF [NOT] EXISTS (...) BEGIN: the head of a block, whose
            // statements follow one by one up to its END
            cur += t.text;
            flush();
            ++blocks;
            newlineSinceLast = true;
            continue;
        }
        if (depth == 0 && t.kind == TokKind::Word && statementStarters().contains(w)) {
            bool starts = kind.isEmpty();
            if (!starts && newlineSinceLast) {
                starts = true;
                if (ifPending) {
                    if (ifCondDone && w != u"SET") {
                        // the body of IF [NOT] EXISTS (...)
                        ifPending = false;
                        kind = w;
                        sawSet = sawValues = false;
                        starts = false;
                        cur += t.text;
                        prevWord = w;
                        newlineSinceLast = false;
                        continue;
                    }
                    starts = false;
                } else if (w == u"SELECT" && (kind == u"INSERT" && !sawValues)) {
                    starts = false;
                } else if (w == u"SELECT" && (prevWord == u"UNION" || prevWord == u"ALL" || prevWord == u"EXCEPT" ||
                                              prevWord == u"INTERSECT")) {
                    starts = false;
                } else if (w == u"SET" && kind == u"UPDATE" && !sawSet) {
                    starts = false;
                } else if ((kind == u"BEGIN" || kind == u"COMMIT" || kind == u"ROLLBACK") &&
                           (prevWord == u"BEGIN" || prevWord == u"COMMIT" || prevWord == u"ROLLBACK")) {
                    starts = true;
                } else if ((kind == u"CREATE" || kind == u"ALTER") &&
                           (object == u"VIEW" || object == u"TRIGGER" || object == u"PROCEDURE" || object == u"PROC" ||
                            object == u"FUNCTION")) {
                    // a view's SELECT, a trigger's body
                    starts = w != u"SELECT" && w != u"INSERT" && w != u"UPDATE" && w != u"DELETE" &&
                             w != u"BEGIN" && w != u"SET" && w != u"IF";
                }
            } else if (!starts && ifPending && ifCondDone && w != u"SET") {
                // IF EXISTS (...) UPDATE ... on one line
                ifPending = false;
                kind = w;
                sawSet = sawValues = false;
                cur += t.text;
                prevWord = w;
                newlineSinceLast = false;
                continue;
            }
            if (starts && !kind.isEmpty()) flush();
            if (kind.isEmpty()) {
                kind = w;
                if (w == u"IF") ifPending = true;
            }
        }
        if (depth == 0 && t.kind == TokKind::Word) {
            if (w == u"SET" && kind == u"UPDATE") sawSet = true;
            if ((w == u"VALUES" || w == u"SELECT" || w == u"DEFAULT") && kind == u"INSERT" && prevWord != u"INSERT" &&
                prevWord != u"INTO")
                sawValues = true;
        }
        if (t.kind == TokKind::Word && object.isEmpty() && (prevWord == u"CREATE" || prevWord == u"ALTER" || prevWord == u"OR" ||
                                                            prevWord == u"UNIQUE" || prevWord == u"CLUSTERED" ||
                                                            prevWord == u"NONCLUSTERED" || prevWord == u"TEMP" ||
                                                            prevWord == u"TEMPORARY") &&
            (kind == u"CREATE" || kind == u"ALTER") && w != u"OR" && w != u"ALTER" && w != u"UNIQUE" && w != u"CLUSTERED" &&
            w != u"NONCLUSTERED" && w != u"TEMP" && w != u"TEMPORARY")
            object = w;
        if (t.kind == TokKind::Word) prevWord = w;
        else if (t.significant()) prevWord = QStringLiteral("?");
        cur += t.text;
        newlineSinceLast = false;
    }
    flush();
    return out;
}

// ---------------------------------------------------------------------------
// Day-first dates

QString dayFirstToIso(const QString& text) {
    // d/m/yy[yy][ h:mm[:ss]] with one or two digits for day, month, hour.
    const QString s = text.trimmed();
    int pos = 0;
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
    int d, m, y, hh = 0, mi = 0, ss = 0;
    if (!number(1, 2, d) || !expect(u'/') || !number(1, 2, m) || !expect(u'/')) return {};
    const int yStart = pos;
    if (!number(2, 4, y)) return {};
    const int yDigits = pos - yStart;
    if (yDigits == 3) return {};
    if (yDigits == 2) y += y < 30 ? 2000 : 1900;
    if (pos < s.size()) {
        if (!expect(u' ')) return {};
        while (pos < s.size() && s[pos] == u' ') ++pos;
        if (!number(1, 2, hh) || !expect(u':') || !number(2, 2, mi)) return {};
        if (expect(u':') && !number(2, 2, ss)) return {};
        if (pos != s.size()) return {};
        if (hh > 23 || mi > 59 || ss > 59) return {};
    }
    if (!QDate::isValid(y, m, d)) return {};
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(y, 4, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(d, 2, 10, QLatin1Char('0'))
        .arg(hh, 2, 10, QLatin1Char('0'))
        .arg(mi, 2, 10, QLatin1Char('0'))
        .arg(ss, 2, 10, QLatin1Char('0'));
}

// ---------------------------------------------------------------------------
// The dialect rewrite

namespace {

using Toks = std::vector<Token>;

// Index of the next significant token at or after i (size() when none).
size_t nextSig(const Toks& t, size_t i) {
    while (i < t.size() && !t[i].significant()) ++i;
    return i;
}
// Index of the previous significant token before i (npos when none).
size_t prevSig(const Toks& t, size_t i) {
    while (i > 0) {
        --i;
        if (t[i].significant()) return i;
    }
    return size_t(-1);
}
// Index of the ')' matching the '(' at i (size() when unbalanced).
size_t matchParen(const Toks& t, size_t i) {
    int depth = 0;
    for (size_t k = i; k < t.size(); ++k) {
        if (t[k].isPunct('(')) ++depth;
        else if (t[k].isPunct(')') && --depth == 0) return k;
    }
    return t.size();
}

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

const QSet<QString>& chainBreakers() {
    static const QSet<QString> s = {
        QStringLiteral("FROM"), QStringLiteral("WHERE"), QStringLiteral("AND"), QStringLiteral("OR"),
        QStringLiteral("AS"),   QStringLiteral("THEN"),  QStringLiteral("ELSE"), QStringLiteral("WHEN"),
        QStringLiteral("END"),  QStringLiteral("ON"),    QStringLiteral("SET"), QStringLiteral("VALUES"),
        QStringLiteral("SELECT"), QStringLiteral("ORDER"), QStringLiteral("GROUP"), QStringLiteral("LIKE"),
    };
    return s;
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

bool isDecimalTypeName(const QString& upper) {
    return upper == u"DECIMAL" || upper == u"NUMERIC" || upper == u"DEC" || upper == u"MONEY" || upper == u"SMALLMONEY";
}

constexpr size_t npos = size_t(-1);

bool isComparison(const Token& t) {
    return t.kind == TokKind::Punct && (t.text == u"=" || t.text == u"<>" || t.text == u"!=" || t.text == u"<" ||
                                        t.text == u">" || t.text == u"<=" || t.text == u">=");
}
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

// The select-list items of a SELECT that are a conversion to an exact
// number, by position (see Rewritten::columnTypes).
std::vector<std::pair<int, QString>> statedColumnTypes(const Toks& t) {
    std::vector<std::pair<int, QString>> out;
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
                    if (isDecimalTypeName(baseType(type))) out.emplace_back(item, type);
                }
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

// The token-level rewrite of one statement (no IF handling).
void rewriteTokens(Toks& t, SchemaInfo* schema) {
    struct PendingTop { int depth; QString limit; };
    ColumnFinder finder(t, schema);
    std::vector<PendingTop> tops;
    int depth = 0;
    bool concatChain = false;
    Toks out;
    out.reserve(t.size() + 8);
    for (size_t i = 0; i < t.size(); ++i) {
        Token tok = t[i];
        if (tok.kind == TokKind::String) {
            if (tok.text.startsWith(u'N') || tok.text.startsWith(u'n')) tok.text.remove(0, 1);
            const QString inner = tok.text.mid(1, tok.text.size() - 2);
            bool isDate = false;
            if (inner.size() >= 6 && inner.size() <= 20 && inner.contains(u'/')) {
                const QString iso = dayFirstToIso(inner);
                // a date text stored into or compared with a text column stays as written
                if (!iso.isEmpty() && finder.kindAt(i) != ColumnKind::Text) {
                    tok.text = QLatin1Char('\'') + iso + QLatin1Char('\'');
                    isDate = true;
                }
            }
            out.push_back(tok);
            // A text compared with an expression ("LTRIM(RTRIM(Codigo)) = 'fp'")
            // compares as the server compares texts; a column keeps its own
            // collation, which is the same one.
            const size_t p = prevSig(t, i);
            if (!isDate && p != size_t(-1) && t[p].kind == TokKind::Punct &&
                (t[p].text == u"=" || t[p].text == u"<>" || t[p].text == u"!=" || t[p].text == u"<" ||
                 t[p].text == u">" || t[p].text == u"<=" || t[p].text == u">=")) {
                out.push_back(space());
                out.push_back(word(QStringLiteral("COLLATE ") + QString::fromLatin1(kTextCollationName)));
            }
            continue;
        }
        if (tok.isPunct('+')) {
            // "'a' + x + y" concatenates texts on the server: once one operand
            // of a chain is a text literal, the whole chain is a concatenation
            const size_t p = prevSig(t, i);
            const size_t n = nextSig(t, i + 1);
            if (concatChain || (p != size_t(-1) && t[p].kind == TokKind::String) ||
                (n < t.size() && t[n].kind == TokKind::String)) {
                tok.text = QStringLiteral("||");
                concatChain = true;
            }
            out.push_back(tok);
            continue;
        }
        if (tok.kind == TokKind::Punct && !tok.isPunct('.')) concatChain = false;
        if (tok.kind == TokKind::Word && chainBreakers().contains(tok.text.toUpper())) concatChain = false;
        if (tok.isPunct('(')) {
            // a bare table hint "(NOLOCK)" right after a table name
            const size_t p = prevSig(t, i);
            if (p != size_t(-1) && (t[p].kind == TokKind::Word || t[p].kind == TokKind::Quoted)) {
                const QString pw = t[p].text.toUpper();
                const size_t close = hintList(t, i);
                const size_t inner = nextSig(t, i + 1);
                if (close != size_t(-1) && inner < t.size() && t[inner].isWord("NOLOCK") && pw != u"WITH") {
                    i = close;
                    continue;
                }
            }
            ++depth;
            out.push_back(tok);
            continue;
        }
        if (tok.isPunct(')')) {
            while (!tops.empty() && tops.back().depth == depth) {
                if (!tops.back().limit.isEmpty()) {
                    out.push_back(space());
                    out.push_back(word(QStringLiteral("LIMIT")));
                    out.push_back(space());
                    out.push_back({TokKind::Number, tops.back().limit});
                }
                tops.pop_back();
            }
            --depth;
            out.push_back(tok);
            continue;
        }
        if (tok.kind == TokKind::Quoted && tok.text.compare(QLatin1String("[dbo]"), Qt::CaseInsensitive) == 0) {
            const size_t n = nextSig(t, i + 1);
            if (n < t.size() && t[n].isPunct('.')) { i = n; continue; }
        }
        if (tok.kind != TokKind::Word) {
            out.push_back(tok);
            continue;
        }
        const QString w = tok.text.toUpper();
        const size_t n = nextSig(t, i + 1);
        const bool callFollows = n < t.size() && t[n].isPunct('(');
        if (w == u"DBO" && n < t.size() && t[n].isPunct('.')) {
            i = n;
            continue;
        }
        if (w == u"IN" && callFollows) {
            // "expr IN (...)" compares with the collation of its left side:
            // a column has the server-like one, an expression or a literal
            // gets it here (a column keeps its own so its index still serves)
            size_t left = prevSig(t, i);
            if (left != npos && t[left].isWord("NOT")) left = prevSig(t, left);
            if (left != npos && (t[left].isPunct(')') || t[left].kind == TokKind::String || t[left].isWord("END"))) {
                size_t at = out.size();
                while (at > 0 && !out[at - 1].significant()) --at;
                if (at > 0 && out[at - 1].isWord("NOT")) {
                    --at;
                    while (at > 0 && !out[at - 1].significant()) --at;
                }
                if (at > 0 && !out[at - 1].text.startsWith(QLatin1String("COLLATE"), Qt::CaseInsensitive)) {
                    const Token collate = word(QStringLiteral("COLLATE ") + QString::fromLatin1(kTextCollationName));
                    out.insert(out.begin() + long(at), {space(), collate});
                }
            }
            out.push_back(tok);
            continue;
        }
        if (w == u"WITH" && callFollows) {
            const size_t close = hintList(t, n);
            if (close != size_t(-1)) {
                // drop the blank written before the hint as well
                while (!out.empty() && out.back().kind == TokKind::Space) out.pop_back();
                i = close;
                const size_t after = i + 1;
                if (after < t.size() && t[after].kind != TokKind::Space) out.push_back(space());
                continue;
            }
        }
        if (w == u"SELECT") {
            out.push_back(tok);
            // SELECT [ALL | DISTINCT] TOP n [PERCENT] [WITH TIES]
            size_t k = n;
            if (k < t.size() && (t[k].isWord("DISTINCT") || t[k].isWord("ALL"))) {
                for (size_t j = i + 1; j <= k; ++j) out.push_back(t[j]);
                i = k;
                k = nextSig(t, k + 1);
            }
            if (k < t.size() && t[k].isWord("TOP")) {
                size_t v = nextSig(t, k + 1);
                QString limit;
                size_t last = v;
                if (v < t.size() && t[v].isPunct('(')) {
                    const size_t close = matchParen(t, v);
                    for (size_t j = v + 1; j < close && j < t.size(); ++j) limit += t[j].text;
                    limit = limit.trimmed();
                    last = close;
                } else if (v < t.size()) {
                    limit = t[v].text;
                }
                size_t after = nextSig(t, last + 1);
                if (after < t.size() && t[after].isWord("PERCENT")) {
                    limit.clear();  // TOP 100 PERCENT: every row
                    last = after;
                    after = nextSig(t, after + 1);
                }
                if (after < t.size() && t[after].isWord("WITH")) {
                    const size_t ties = nextSig(t, after + 1);
                    if (ties < t.size() && t[ties].isWord("TIES")) last = ties;
                }
                tops.push_back({depth, limit});
                i = last;
                // keep one blank between SELECT and the select list
                if (i + 1 < t.size() && t[i + 1].kind == TokKind::Space && !out.empty() &&
                    out.back().kind == TokKind::Space)
                    ++i;
            }
            continue;
        }
        if (w == u"DELETE") {
            out.push_back(tok);
            if (n < t.size() && !t[n].isWord("FROM") && (t[n].kind == TokKind::Word || t[n].kind == TokKind::Quoted)) {
                out.push_back(space());
                out.push_back(word(QStringLiteral("FROM")));
            }
            continue;
        }
        if (callFollows) {
            if (w == u"ISNULL") { tok.text = QStringLiteral("IFNULL"); out.push_back(tok); continue; }
            if (w == u"LEFT") { tok.text = QStringLiteral("SRV_LEFT"); out.push_back(tok); continue; }
            if (w == u"RIGHT") { tok.text = QStringLiteral("SRV_RIGHT"); out.push_back(tok); continue; }
            if (w == u"SCOPE_IDENTITY") { tok.text = QStringLiteral("last_insert_rowid"); out.push_back(tok); continue; }
            if (w == u"DATEADD" || w == u"DATEDIFF" || w == u"DATEPART" || w == u"DATENAME") {
                // the first argument is a date part name: pass it as text
                out.push_back(tok);
                size_t a = nextSig(t, n + 1);
                for (size_t j = i + 1; j < a; ++j) out.push_back(t[j]);
                ++depth;
                if (a < t.size() && t[a].kind == TokKind::Word && datePartNames().contains(t[a].text.toUpper()))
                    out.push_back(str(t[a].text.toLower()));
                else if (a < t.size())
                    out.push_back(t[a]);
                i = a;
                continue;
            }
            if (w == u"CONVERT") {
                // CONVERT(type[(n[,m])], expr[, style]) -> SRV_CONVERT('type', expr[, style]);
                // exact numbers that are compared or sorted -> SRV_CONVERT_NUM
                size_t last = npos;
                const QString type = convertTypeAt(t, i, &last);
                if (!type.isEmpty()) {
                    const bool number = isDecimalTypeName(baseType(type)) && comparedOrSorted(t, i, matchParen(t, n));
                    out.push_back(word(number ? QStringLiteral("SRV_CONVERT_NUM") : QStringLiteral("SRV_CONVERT")));
                    out.push_back(punct(QStringLiteral("(")));
                    out.push_back(str(type));
                    ++depth;
                    i = last;
                    continue;
                }
            }
            if (w == u"CAST") {
                // CAST(x AS DATETIME) -> SRV_CONVERT('DATETIME', x): the engine has no date
                // type; CAST(x AS DECIMAL(p,s)) the same, to stay exact
                const size_t close = matchParen(t, n);
                size_t as = t.size();
                const QString type = castTypeAt(t, i, &as);
                if (as < close) {
                    const QString base = baseType(type);
                    const bool date = isDateTypeName(base);
                    if (date || isDecimalTypeName(base)) {
                        Toks inner(t.begin() + long(n) + 1, t.begin() + long(as));
                        rewriteTokens(inner, schema);
                        const bool number = !date && comparedOrSorted(t, i, close);
                        out.push_back(word(number ? QStringLiteral("SRV_CONVERT_NUM") : QStringLiteral("SRV_CONVERT")));
                        out.push_back(punct(QStringLiteral("(")));
                        out.push_back(str(date ? base : type));
                        out.push_back(punct(QStringLiteral(",")));
                        out.push_back(space());
                        for (auto& x : inner) out.push_back(x);
                        while (!out.empty() && out.back().kind == TokKind::Space) out.pop_back();
                        out.push_back(punct(QStringLiteral(")")));
                        i = close;
                        continue;
                    }
                }
            }
        }
        if (w == u"@@TRANCOUNT") {
            out.push_back(word(QStringLiteral("SRV_TRANCOUNT()")));
            continue;
        }
        if (w == u"@@IDENTITY") {
            out.push_back(word(QStringLiteral("last_insert_rowid()")));
            continue;
        }
        out.push_back(tok);
    }
    while (!tops.empty()) {
        if (!tops.back().limit.isEmpty()) {
            // after a trailing "-- comment" the limit would be commented out
            while (!out.empty() && !out.back().significant()) out.pop_back();
            out.push_back(space());
            out.push_back(word(QStringLiteral("LIMIT")));
            out.push_back(space());
            out.push_back({TokKind::Number, tops.back().limit});
        }
        tops.pop_back();
    }
    t = std::move(out);
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
    if (w == u"BEGIN" && (w2 == u"TRAN" || w2 == u"TRANSACTION" || second >= t.size())) {
        r.kind = StmtKind::Begin;
        r.sql = QStringLiteral("BEGIN");
        return r;
    }
    if (w == u"COMMIT" && (w2.isEmpty() || w2 == u"TRAN" || w2 == u"TRANSACTION" || w2 == u"WORK")) {
        r.kind = StmtKind::Commit;
        r.sql = QStringLiteral("COMMIT");
        return r;
    }
    if (w == u"ROLLBACK" && (w2.isEmpty() || w2 == u"TRAN" || w2 == u"TRANSACTION" || w2 == u"WORK")) {
        r.kind = StmtKind::Rollback;
        r.sql = QStringLiteral("ROLLBACK");
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
    if (w == u"SELECT") r.columnTypes = statedColumnTypes(t);
    rewriteTokens(t, schema);
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

// ---------------------------------------------------------------------------
// Single-table SELECTs

QString singleTableOf(const QString& select) {
    const Toks t = tokenize(select);
    const size_t first = nextSig(t, 0);
    if (first >= t.size() || !t[first].isWord("SELECT")) return {};
    int d = 0;
    size_t from = t.size();
    for (size_t j = first + 1; j < t.size(); ++j) {
        if (t[j].isPunct('(')) ++d;
        else if (t[j].isPunct(')')) --d;
        else if (d == 0 && (t[j].isWord("DISTINCT") || t[j].isWord("UNION") || t[j].isWord("GROUP"))) return {};
        else if (d == 0 && t[j].isWord("FROM")) { from = j; break; }
    }
    if (from >= t.size()) return {};
    size_t name = nextSig(t, from + 1);
    if (name >= t.size() || !(t[name].kind == TokKind::Word || t[name].kind == TokKind::Quoted)) return {};
    QString table = t[name].text;
    size_t k = nextSig(t, name + 1);
    while (k < t.size() && t[k].isPunct('.')) {  // owner.table
        const size_t nn = nextSig(t, k + 1);
        if (nn >= t.size()) return {};
        table = t[nn].text;
        k = nextSig(t, nn + 1);
    }
    if (table.startsWith(u'[') || table.startsWith(u'"')) table = table.mid(1, table.size() - 2);
    // the rest may hold hints, an alias, WHERE and ORDER BY, but no second table
    d = 0;
    for (size_t j = k; j < t.size(); ++j) {
        if (t[j].isPunct('(')) ++d;
        else if (t[j].isPunct(')')) --d;
        else if (d == 0 && (t[j].isPunct(',') || t[j].isWord("JOIN") || t[j].isWord("UNION") ||
                            t[j].isWord("GROUP") || t[j].isWord("HAVING")))
            return {};
    }
    return table;
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

}  // namespace ado::sql
