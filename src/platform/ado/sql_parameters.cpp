// Statements with their literals as parameters: statements that differ
// only in their literals share one prepared statement of the engine. The
// last step of the rewrite: parameterise finds the literals that may be
// slots, and rewriteParameterised runs the whole rewrite (rewriteForSqlite)
// on the statement with probes in their places, keeping the shape only when
// it gives the statement's own rewrite literal for literal. The engine
// (sqlite_engine.cpp) binds the literals to the shape it keeps.
#include "platform/ado/sql_passes.h"

#include <algorithm>

namespace ado::sql {

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
            bool outOfRange = false;
            if (q.size() < 2 || !q.endsWith(u'\'') ||
                (mayBeDate(inner) && (readDayFirst(inner, kServerYearCutoff, &outOfRange) || outOfRange)) ||
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
