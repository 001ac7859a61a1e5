// Texts compared, grouped and sorted as the server's text columns are: the
// rewrite's collation. The token rewrite (sql_tokens.cpp) gives the text
// collation to a literal compared (Rewriter::literal) and to the left side
// of IN (Rewriter::inList); this pass, which runs on what it hands over,
// gives it to every other expression that would compare byte by byte, and
// collateTextColumns to the text columns a statement creates. The collation
// itself (the order of texts) is the engine's SRVTEXT (sqlite_collation.cpp).
#include "platform/ado/sql_passes.h"

#include <algorithm>

namespace ado::sql {

namespace {

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

}  // namespace

void collateExpressions(Toks& t) { ExpressionCollation(t).run(); }

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

}  // namespace ado::sql
