// The types of expressions, as the server gives them, from the literals, the
// declared column types and the functions: the rewrite's type map. They
// decide what '+', '-' and '/' do ('+' joins texts and adds numbers, a text
// meeting a number becomes a number, a date moves by days, a division of
// exact numbers keeps its fraction), what ISNULL, CONVERT and CAST convert
// to, and the result columns whose type a SELECT states
// (statedColumnTypes). Typer reads an expression's extent and type off the
// tokens; the token rewrite (sql_tokens.cpp) plans its operators and calls
// with it.
#include "platform/ado/sql_passes.h"

namespace ado::sql {

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
// Declared types

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

bool exactDigits(const ExprType& x, int& precision, int& scale) {
    const QString d = x.declared.toUpper();
    const QString base = baseType(d);
    scale = 0;
    if (x.kind == VType::Int) {
        precision = base == u"BIGINT" ? 19 : base == u"SMALLINT" ? 5 : base == u"TINYINT" ? 3 : base == u"BIT" ? 1 : 10;
        return true;
    }
    if (x.kind != VType::Exact || d.isEmpty()) return false;
    if (base.endsWith(QLatin1String("MONEY"))) {
        precision = base == u"MONEY" ? 19 : 10;
        scale = 4;
        return true;
    }
    const qsizetype open = d.indexOf(u'('), comma = d.indexOf(u',');
    precision = open < 0 ? 18 : d.mid(open + 1, (comma < 0 ? d.size() - 1 : comma) - open - 1).trimmed().toInt();
    if (comma >= 0) scale = d.mid(comma + 1).chopped(1).trimmed().toInt();
    return precision > 0;
}

ExprType exactResult(const ExprType& a, const ExprType& b, QChar op) {
    int p1 = 0, s1 = 0, p2 = 0, s2 = 0;
    if (!exactDigits(a, p1, s1) || !exactDigits(b, p2, s2)) return {VType::Exact, {}};
    int p = 0, s = 0;
    if (op == u'*') {
        p = p1 + p2 + 1;
        s = s1 + s2;
    } else if (op == u'/') {
        s = std::max(6, s1 + p2 + 1);
        p = p1 - s1 + s2 + s;
    } else {
        s = std::max(s1, s2);
        p = s + std::max(p1 - s1, p2 - s2) + (op == u'+' || op == u'-' ? 1 : 0);
    }
    if (p > 38) {
        // the whole digits are kept; the scale gives way, down to 6
        s = std::max(std::min(s, 6), s - (p - 38));
        p = 38;
    }
    return {VType::Exact, QStringLiteral("NUMERIC(%1,%2)").arg(p).arg(s)};
}

// The length of a text type ("VARCHAR(20)": 20); -1 when none is written or MAX.
int textLength(const QString& declared) {
    const qsizetype open = declared.indexOf(u'(');
    if (open < 0) return -1;
    bool ok = false;
    const int n = declared.mid(open + 1, declared.size() - open - 2).toInt(&ok);
    return ok ? n : -1;
}
size_t matchParenBack(const Toks& t, size_t close) {
    int depth = 0;
    for (size_t k = close + 1; k-- > 0;) {
        if (t[k].isPunct(')')) ++depth;
        else if (t[k].isPunct('(') && --depth == 0) return k;
    }
    return npos;
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
    if (d.result.kind == VType::Exact) {
        // money with money or a whole number stays money; else the server's
        // precision and scale (money as DECIMAL(19,4): M + 0.001 is
        // DECIMAL(20,4))
        const auto money = [](const ExprType& x) {
            return x.kind == VType::Exact && baseType(x.declared).endsWith(QLatin1String("MONEY"));
        };
        if ((money(l) && (money(r) || r.kind == VType::Int)) || (money(r) && l.kind == VType::Int))
            d.result.declared = QStringLiteral("MONEY");
        else
            d.result = exactResult(l, r, minus ? u'-' : u'+');
    }
    return d;
}

size_t Typer::primaryEnd(size_t k) const {
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

size_t Typer::primaryStart(size_t e) const {
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

size_t Typer::termEnd(size_t k) const {
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

size_t Typer::termStart(size_t e) const {
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

size_t Typer::exprEnd(size_t k) const {
    size_t e = termEnd(k);
    for (size_t n = e == npos ? npos : nextSig(t_, e + 1); e != npos && additiveAt(n); n = nextSig(t_, e + 1))
        e = termEnd(nextSig(t_, n + 1));
    return e;
}

size_t Typer::exprStart(size_t e) const {
    size_t s = termStart(e);
    for (size_t p = s == npos ? npos : prevSig(t_, s); s != npos && additiveAt(p); p = prevSig(t_, s))
        s = termStart(prevSig(t_, p));
    return s;
}

ExprType Typer::exprType(size_t s, size_t e) {
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

ExprType Typer::termType(size_t s, size_t e) {
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
            const VType kind = precedence(o.kind) > precedence(r.kind) ? o.kind : r.kind;
            // an exact product or quotient has the server's precision and scale
            r = keepsMoney              ? ExprType{VType::Exact, QStringLiteral("MONEY")}
                : kind == VType::Exact ? exactResult(r, o, t_[n].text.at(0))
                                        : ExprType{kind, {}};
        }
        if (r.kind == VType::Text) r.kind = VType::Int;
    }
    return r;
}

ExprType Typer::primaryType(size_t s, size_t e) {
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
        if (dot < 0) {
            // a whole number past the int's range is a numeric of its digits
            bool ok = false;
            const qint64 n = x.text.size() <= 18 ? x.text.toLongLong(&ok) : 0;
            if (ok && n <= 2147483647LL) return {VType::Int, {}};
            return {VType::Exact, QStringLiteral("NUMERIC(%1,0)").arg(qMin<qsizetype>(x.text.size(), 38))};
        }
        // the server counts the digits without the leading zeros of the
        // whole part: 0.001 is NUMERIC(3,3), 5.10 NUMERIC(3,2)
        const qsizetype scale = x.text.size() - dot - 1;
        qsizetype whole = dot;
        for (qsizetype k = 0; k < dot && x.text[k] == u'0'; ++k) --whole;
        return {VType::Exact, QStringLiteral("NUMERIC(%1,%2)").arg(qMin<qsizetype>(qMax<qsizetype>(whole + scale, 1), 38)).arg(scale)};
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

std::vector<std::pair<size_t, size_t>> Typer::arguments(size_t s) const {
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

size_t Typer::nameStart(size_t e) const {
    size_t s = e;
    for (size_t dot = prevSig(t_, s); dot != npos && t_[dot].isPunct('.');) {
        const size_t q = prevSig(t_, dot);
        if (q == npos || !isName(t_[q])) break;
        s = q;
        dot = prevSig(t_, s);
    }
    return s;
}

ExprType Typer::callType(size_t s, size_t e) {
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

ExprType Typer::caseType(size_t s, size_t e) {
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

namespace {

using Stated = std::vector<std::pair<int, QString>>;

// The select list's stated types of the SELECT at `k`.
Stated statedOfSelect(const Toks& t, size_t k, Typer& typer, SchemaInfo* schema) {
    Stated out;
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

// The column of two exact types: money of two moneys, else a decimal wide
// enough for both (money as the decimal of 19 digits, 4 of them decimals).
QString widerExact(const QString& a, const QString& b) {
    const ExprType x = typeOfDeclared(a), y = typeOfDeclared(b);
    const auto money = [](const ExprType& e) { return baseType(e.declared).endsWith(QLatin1String("MONEY")); };
    return money(x) && money(y) ? a : exactResult(x, y, u',').declared;
}

}  // namespace

// A UNION's (EXCEPT's, INTERSECT's) column takes the type of highest
// precedence among its SELECTs: an exact type stated in any of them wins over
// the whole numbers and texts of the others (INT UNION ALL MONEY is money).
std::vector<std::pair<int, QString>> statedColumnTypes(const Toks& t, SchemaInfo* schema) {
    size_t k = nextSig(t, 0);
    if (k >= t.size() || !t[k].isWord("SELECT")) return {};
    ColumnFinder finder(t, schema);
    Typer typer(t, finder);
    Stated out = statedOfSelect(t, k, typer, schema);
    int d = 0;
    for (size_t j = k; j < t.size(); ++j) {
        if (t[j].isPunct('(')) ++d;
        else if (t[j].isPunct(')')) --d;
        else if (d == 0 && (t[j].isWord("UNION") || t[j].isWord("EXCEPT") || t[j].isWord("INTERSECT"))) {
            size_t sel = nextSig(t, j + 1);
            if (sel < t.size() && t[sel].isWord("ALL")) sel = nextSig(t, sel + 1);
            if (sel >= t.size() || !t[sel].isWord("SELECT")) continue;
            for (const auto& column : statedOfSelect(t, sel, typer, schema)) {
                const auto& [item, type] = column;
                if (!isDecimalTypeName(baseType(type).toUpper())) continue;
                auto mine = std::find_if(out.begin(), out.end(), [&](const auto& x) { return x.first == column.first; });
                if (mine == out.end()) out.emplace_back(item, type);
                else if (!isDecimalTypeName(baseType(mine->second).toUpper())) mine->second = type;
                else mine->second = widerExact(mine->second, type);
            }
        }
    }
    return out;
}

// The kind of a declared column type, for the column a literal meets.
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

}  // namespace ado::sql
