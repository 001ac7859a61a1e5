// The token rewrite of one statement, the heart of the dialect rewrite: the
// tokens go through in order and each construct of the server's dialect has
// its handler (literals: day-first dates by the column they meet and a
// compared text with the text collation; "+", "-" and "/" by the types of
// their operands; ISNULL, CONVERT and CAST; TOP; table hints; owner
// prefixes; DELETE without FROM; the functions the engine knows by another
// name). It hands the rewritten tokens to the collation of expressions
// (sql_collation.cpp), which rewriteTokens (sql_text.cpp) runs next.
#include "platform/ado/sql_passes.h"

#include <QHash>

#include <map>

namespace ado::sql {

namespace {

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
        const auto likeAt = [&](size_t i) { return t_[i].text.size() == 4 && t_[i].isWord("LIKE"); };
        const auto avgAt = [&](size_t i) { return t_[i].text.size() == 3 && t_[i].isWord("AVG"); };
        bool any = false;
        for (size_t i = 0; i < t_.size() && !any; ++i)
            any = (isArithmetic(t_[i]) && typer_.binaryAt(i)) || isNullAt(i) || convertAt(i) || castAt(i) || likeAt(i) ||
                  avgAt(i);
        if (!any) return;
        pre_.assign(t_.size(), QString());
        post_.assign(t_.size(), QString());
        replaced_.assign(t_.size(), QString());
        std::map<size_t, Chain> chains;  // by the operator
        for (size_t i = 0; i < t_.size(); ++i) {
            if (!isArithmetic(t_[i]) || !typer_.binaryAt(i)) continue;
            if (t_[i].isPunct('/') || t_[i].isPunct('%')) planDivision(i);
            else if (t_[i].isPunct('*')) planProduct(i);
            else planSum(i, chains);
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
            if (likeAt(i)) planLike(i);
            const bool isNull = isNullAt(i), cast = castAt(i), avg = avgAt(i);
            if (!isNull && !cast && !avg && !convertAt(i)) continue;
            const size_t open = nextSig(t_, i + 1);
            if (open >= t_.size() || !t_[open].isPunct('(')) continue;
            if (avg) planAvg(i, open);
            else if (isNull) planIsNull(i);
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
        const auto chained = chains.find(prevSig(t_, s));
        if (chained != chains.end()) left = chained->second;
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
        case Decision::Keep:
            mine.infix = true;
            if (wholeInts(left.result, right)) wrap(left.start, re, QStringLiteral("SRV_INT("), QStringLiteral(")"));
            break;
        case Decision::Concat:
            replaced_[i] = QStringLiteral("||");
            if (left.infix) wrap(left.start, e, QStringLiteral("("), QStringLiteral(")"));
            // a fixed-length text joins with its blanks ('UN' of a CHAR(4): 'UN  ')
            if (chained == chains.end()) padFixed(left.start, e, left.result);
            padFixed(rs, re, right);
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
    // Two ints whose '+', '-' or '*' is an int, which the server refuses
    // past the int's range (with a bigint it is a bigint: the engine's range).
    static bool wholeInts(const ExprType& a, const ExprType& b) {
        const auto big = [](const ExprType& x) { return x.declared.startsWith(QLatin1String("BIGINT")); };
        return a.kind == VType::Int && b.kind == VType::Int && !big(a) && !big(b);
    }
    // A wrapping closest to the tokens it wraps: inside the wrappings of
    // the operators planned before it (a term is inside its sum).
    void wrapInner(size_t first, size_t last, const QString& before, const QString& after) {
        pre_[first].append(before);
        post_[last].prepend(after);
    }
    // A fixed-length text (the engine keeps it without its trailing blanks)
    // as the server gives it: filled with blanks to its length.
    void padFixed(size_t first, size_t last, const ExprType& x) {
        const QString base = baseType(x.declared);
        if (x.kind == VType::Text && (base == u"CHAR" || base == u"NCHAR") && textLength(x.declared) > 0)
            wrapInner(first, last, QStringLiteral("SRV_CONVERT('%1', ").arg(x.declared), QStringLiteral(")"));
    }
    // A product of two ints stays in the int's range.
    void planProduct(size_t i) {
        const size_t e = prevSig(t_, i);
        const size_t s = typer_.termStart(e);
        size_t rs = nextSig(t_, i + 1);
        while (rs < t_.size() && (t_[rs].isPunct('+') || t_[rs].isPunct('-'))) rs = nextSig(t_, rs + 1);
        const size_t re = typer_.primaryEnd(rs);
        if (s == npos || re == npos) return;
        if (wholeInts(typer_.termType(s, e), typer_.primaryType(rs, re)))
            wrapInner(s, re, QStringLiteral("SRV_INT("), QStringLiteral(")"));
    }
    // A division or a modulo by zero is an error, not Null; an exact number
    // divided, or divided by one, keeps its fraction (the engine divides two
    // whole numbers as integers, and stores whole exact values as such).
    void planDivision(size_t i) {
        const size_t e = prevSig(t_, i);
        const size_t s = typer_.termStart(e);
        const size_t divisor = nextSig(t_, i + 1);
        size_t rs = divisor;
        while (rs < t_.size() && (t_[rs].isPunct('+') || t_[rs].isPunct('-'))) rs = nextSig(t_, rs + 1);
        const size_t re = typer_.primaryEnd(rs);
        if (s == npos || re == npos) return;
        wrapInner(divisor, re, QStringLiteral("SRV_DIVISOR("), QStringLiteral(")"));
        const QString exact = QStringLiteral("1.0 * ");
        if (!t_[i].isPunct('/')) return;
        // an exact quotient is worked out on its digits and cut to its scale,
        // as the server gives it
        int precision = 0, scale = 0;
        const ExprType q = typer_.termType(s, re);
        if (q.kind == VType::Exact && !baseType(q.declared).endsWith(QLatin1String("MONEY")) && exactDigits(q, precision, scale)) {
            replaced_[i] = QStringLiteral(",");
            wrap(s, re, QStringLiteral("SRV_EXACT_DIV("),
                 QStringLiteral(", %1, %2)").arg(scale).arg(comparedOrSorted(t_, s, re) ? 1 : 0));
            return;
        }
        if (!pre_[s].endsWith(exact) &&
            (typer_.termType(s, e).kind == VType::Exact || typer_.primaryType(rs, re).kind == VType::Exact))
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
        // a date without a style is written in style 0 ('Feb 29 2024 10:30AM')
        if (args.size() == 2 && x.kind == VType::Date) post_[args[1].second].append(QStringLiteral(", 0"));
    }
    // x [NOT] LIKE pattern: an exact x is matched as its text, with the
    // scale of its type ('1234.50' for money), as CONVERT(VARCHAR, x) gives it.
    void planLike(size_t i) {
        size_t e = prevSig(t_, i);
        if (e != npos && t_[e].isWord("NOT")) e = prevSig(t_, e);
        const size_t s = e == npos ? npos : typer_.exprStart(e);
        if (s == npos) return;
        const ExprType x = typer_.exprType(s, e);
        if (x.kind == VType::Exact && !x.declared.isEmpty()) exactText(s, e, x.declared, QString(), QStringLiteral("VARCHAR"));
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
        if (x.kind == VType::Date) post_[last].append(QStringLiteral(", 0"));
    }
    // AVG of whole numbers is whole (cut toward zero, as the server divides).
    void planAvg(size_t i, size_t open) {
        const size_t close = matchParen(t_, open);
        const size_t first = nextSig(t_, open + 1), last = prevSig(t_, close);
        if (close >= t_.size() || first > last || last == npos) return;
        if (typer_.exprType(first, last).kind == VType::Int) wrap(i, close, QStringLiteral("CAST("), QStringLiteral(" AS INTEGER)"));
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

    // A literal that is by itself the date argument of a date function
    // (DATEADD, DATEDIFF, DATEPART, DATENAME, YEAR, MONTH, DAY) or of a
    // conversion to a date (CONVERT(DATETIME, x), CAST(x AS DATETIME)).
    bool dateArgument(size_t i) {
        const size_t p = prevSig(t_, i);
        const size_t n = nextSig(t_, i + 1);
        if (p == npos || n >= t_.size() || !(t_[p].isPunct('(') || t_[p].isPunct(','))) return false;
        if (!(t_[n].isPunct(')') || t_[n].isPunct(',') || t_[n].isWord("AS"))) return false;
        int depth = 0, place = 0;
        size_t open = npos;
        for (size_t k = i; k-- > 0 && open == npos;) {
            if (t_[k].isPunct(')')) ++depth;
            else if (t_[k].isPunct('(') && depth-- == 0) open = k;
            else if (t_[k].isPunct(',') && depth == 0) ++place;
        }
        const size_t f = open == npos ? npos : prevSig(t_, open);
        if (f == npos || t_[f].kind != TokKind::Word) return false;
        const QString w = t_[f].text.toUpper();
        if (w == u"DATEADD") return place == 2;
        if (w == u"DATEDIFF") return place == 1 || place == 2;
        if (w == u"DATEPART" || w == u"DATENAME") return place == 1;
        if (w == u"YEAR" || w == u"MONTH" || w == u"DAY") return place == 0;
        const auto dateType = [&](size_t k) { return k < t_.size() && isDateTypeName(t_[k].text.toUpper()); };
        if (w == u"CONVERT") return place == 1 && dateType(nextSig(t_, open + 1));
        if (w == u"CAST") return place == 0 && t_[n].isWord("AS") && dateType(nextSig(t_, n + 1));
        return false;
    }

    // N'...' is '...'; a date text of the server's forms becomes the
    // engine's text of the date the server reads (sql_dates.cpp): a
    // day-first one unless it meets a text column, the others only where
    // they meet a date. Where it meets a date and names no day, the
    // statement fails as on the server (error 242). A text compared with an
    // expression compares as the server compares texts.
    bool literal(size_t i) {
        if (t_[i].kind != TokKind::String) return false;
        Token tok = t_[i];
        if (tok.text.startsWith(u'N') || tok.text.startsWith(u'n')) tok.text.remove(0, 1);
        const QString inner = tok.text.mid(1, tok.text.size() - 2);
        bool isDate = false;
        const auto kind = [&] {
            if (dateArgument(i)) return ColumnKind::Date;
            const ColumnKind k = finder_.kindAt(i);
            return k == ColumnKind::Unknown ? partnerKind(i) : k;
        };
        bool outOfRange = false;
        QString iso;
        ColumnKind meets = ColumnKind::Unknown;
        if (mayBeDate(inner)) {
            iso = dayFirstToIso(inner, kServerYearCutoff, &outOfRange);
            if (!iso.isEmpty() || outOfRange) meets = kind();
            isDate = !iso.isEmpty() && meets != ColumnKind::Text;
        } else if (mayBeOtherDate(inner)) {
            iso = otherDateToIso(inner, &outOfRange);
            if (!iso.isEmpty() || outOfRange) meets = kind();
            isDate = !iso.isEmpty() && meets == ColumnKind::Date;
        }
        if (isDate) {
            tok.text = QLatin1Char('\'') + iso + QLatin1Char('\'');
        } else if (outOfRange && meets == ColumnKind::Date) {
            out_.push_back(sql::word(QStringLiteral("SRV_DATE_OUT_OF_RANGE(") + tok.text + QLatin1Char(')')));
            return true;
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
    // date type; CAST(x AS DECIMAL(p,s)) the same, to stay exact,
    // CAST(x AS VARCHAR(n)), which the engine would not cut to its length,
    // and CAST(x AS INT), which the engine makes 0 of a text that is no
    // whole number where the server refuses it.
    bool castCall(size_t& i, size_t n) {
        const size_t close = matchParen(t_, n);
        size_t as = t_.size();
        const QString type = castTypeAt(t_, i, &as);
        if (as >= close) return false;
        const QString base = baseType(type);
        const bool date = isDateTypeName(base);
        const bool text = isTextTypeName(base);
        if (!date && !text && !isDecimalTypeName(base) && typeOfDeclared(base).kind != VType::Int) return false;
        // the argument goes on through the rewrite as any other tokens (an
        // exact one is planned as text of its scale, see planCast); from its
        // AS the rewrite jumps to the closing parenthesis
        const bool number = !date && !text && isDecimalTypeName(base) && comparedOrSorted(t_, i, close);
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

}  // namespace

Toks rewriteConstructs(const Toks& t, SchemaInfo* schema, QString* refused) {
    return Rewriter(t, schema, refused).run();
}

}  // namespace ado::sql
