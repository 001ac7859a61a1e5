// The server's SQL as tokens, and where its statements begin and end: used
// by both engines (the ODBC engine sends statements of a batch one by one to
// sources other than SQL Server) and by the rewrite of the embedded engine.
#include "platform/ado/sql_lexer.h"

#include <QSet>

namespace ado::sql {

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


size_t nextSig(const std::vector<Token>& t, size_t i) {
    while (i < t.size() && !t[i].significant()) ++i;
    return i;
}

size_t prevSig(const std::vector<Token>& t, size_t i) {
    while (i > 0) {
        --i;
        if (t[i].significant()) return i;
    }
    return size_t(-1);
}

size_t matchParen(const std::vector<Token>& t, size_t i) {
    int depth = 0;
    for (size_t k = i; k < t.size(); ++k) {
        if (t[k].isPunct('(')) ++depth;
        else if (t[k].isPunct(')') && --depth == 0) return k;
    }
    return t.size();
}

// ---------------------------------------------------------------------------
// Single-table SELECTs

namespace {
using Toks = std::vector<Token>;
}  // namespace

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

}  // namespace ado::sql
