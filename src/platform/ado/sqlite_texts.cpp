// The server's text functions on the embedded engine: LEN, LEFT, RIGHT,
// CHARINDEX, SPACE, REPLICATE, SUBSTRING, UPPER, LOWER and LIKE, each as the
// server gives it (trailing blanks, a start below 1, letter case of every
// letter, the server's wildcards).
#include "platform/ado/sqlite_functions_private.h"

#include <vector>

namespace ado::functions {

namespace {

void fnLen(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, int(rtrimBlanks(argText(argv[0])).size()));
}

void fnLeft(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const int n = sqlite3_value_int(argv[1]);
    if (n < 0) return fail(ctx, "LEFT", "invalid length");
    resultText(ctx, argText(argv[0]).left(n));
}

void fnRight(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const int n = sqlite3_value_int(argv[1]);
    if (n < 0) return fail(ctx, "RIGHT", "invalid length");
    resultText(ctx, argText(argv[0]).right(n));
}

void fnCharIndex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const QString needle = argText(argv[0]);
    const QString hay = argText(argv[1]);
    int start = argc > 2 ? sqlite3_value_int(argv[2]) : 1;
    if (start < 1) start = 1;
    if (needle.isEmpty()) return sqlite3_result_int(ctx, 0);
    const qsizetype at = hay.indexOf(needle, start - 1, Qt::CaseInsensitive);
    sqlite3_result_int(ctx, at < 0 ? 0 : int(at + 1));
}

void fnSpace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const int n = sqlite3_value_int(argv[0]);
    if (n < 0) return sqlite3_result_null(ctx);
    resultText(ctx, QString(qMin(n, 8000), u' '));
}

void fnReplicate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const int n = sqlite3_value_int(argv[1]);
    if (n < 0) return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).repeated(qMin(n, 8000)));
}

// SUBSTRING(x, start, length) with a start that may be below 1: the
// positions before the first character count towards the length, as on the
// server (SUBSTRING('abc', 0, 2) is 'a'); a negative length is an error.
void fnSubstring(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const qint64 start = sqlite3_value_int64(argv[1]);
    const qint64 length = sqlite3_value_int64(argv[2]);
    if (length < 0) return fail(ctx, "SUBSTRING", "Invalid length parameter passed to the substring function.");
    const QString s = argText(argv[0]);
    const qint64 from = qMax<qint64>(start, 1);
    const qint64 to = qMin<qint64>(start + length, qint64(s.size()) + 1);  // one past the last
    resultText(ctx, to > from ? s.mid(from - 1, to - from) : QString());
}

void fnUpper(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toUpper());
}

void fnLower(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toLower());
}

// ---------------------------------------------------------------------------
// LIKE as the server matches: letter case ignored for every letter (the
// library's own LIKE folds ASCII only, so "ÑANDÚ" missed "%ñandú%"), the
// matched text's trailing blanks matched, those left over ignored, and the
// server's wildcards: % _ [set] [a-z] [^set], with an optional ESCAPE.

char32_t fold(char32_t c) {
    if (c < 128) return char32_t(lowerAscii(static_cast<unsigned char>(c)));
    return QChar::toCaseFolded(c);
}

// Where a letter falls in a range "[a-f]": the server orders letters by its
// collation, an accented letter right after its plain one ("á" between "a"
// and "b", "ñ" between "n" and "o"), not by code point.
quint64 rangeKey(char32_t folded) {
    if (folded >= 128) {
        const QString d = QChar::decomposition(folded);
        if (!d.isEmpty() && d[0].unicode() < 128 && d[0].isLetter())
            return (quint64(fold(d[0].unicode())) << 2) | 1;
    }
    return quint64(folded) << 2;
}

struct LikeItem {
    enum Kind { Any, One, Char, Set };
    static LikeItem make(Kind k, char32_t ch = 0) {
        LikeItem it;
        it.kind = k;
        it.c = ch;
        return it;
    }
    Kind kind = Any;
    char32_t c = 0;  // Char: folded
    bool negated = false;
    std::vector<std::pair<quint64, quint64>> ranges;  // Set: bounds as rangeKey gives them
};

struct LikePattern {
    std::u32string source;  // the pattern as given, and its escape character
    char32_t escape = 0;
    std::vector<LikeItem> items;
};

void compileLike(LikePattern& pat) {
    const std::u32string& p = pat.source;
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (pat.escape && c == pat.escape && i + 1 < p.size()) {
            pat.items.push_back(LikeItem::make(LikeItem::Char, fold(p[++i])));
        } else if (c == U'%') {
            if (pat.items.empty() || pat.items.back().kind != LikeItem::Any) pat.items.push_back(LikeItem::make(LikeItem::Any));
        } else if (c == U'_') {
            pat.items.push_back(LikeItem::make(LikeItem::One));
        } else if (c == U'[' && p.find(U']', i + 2) != std::u32string::npos) {
            // a set: the first character after "[" (or "[^") belongs to it even when it is "]"
            LikeItem set = LikeItem::make(LikeItem::Set);
            size_t k = i + 1;
            if (p[k] == U'^' && p.find(U']', k + 2) != std::u32string::npos) { set.negated = true; ++k; }
            const size_t end = p.find(U']', k + 1);
            for (; k < end; ++k) {
                if (k + 2 < end && p[k + 1] == U'-') {
                    set.ranges.emplace_back(rangeKey(fold(p[k])), rangeKey(fold(p[k + 2])));
                    k += 2;
                } else {
                    set.ranges.emplace_back(rangeKey(fold(p[k])), rangeKey(fold(p[k])));
                }
            }
            pat.items.push_back(std::move(set));
            i = end;
        } else {
            pat.items.push_back(LikeItem::make(LikeItem::Char, fold(c)));
        }
    }
}

bool likeOne(const LikeItem& it, char32_t c) {
    switch (it.kind) {
    case LikeItem::One: return true;
    case LikeItem::Char: return it.c == c;
    case LikeItem::Set: {
        bool in = false;
        const quint64 key = rangeKey(c);
        for (const auto& [lo, hi] : it.ranges)
            if (key >= lo && key <= hi) { in = true; break; }
        return in != it.negated;
    }
    case LikeItem::Any: break;
    }
    return false;
}

// Folded text against a compiled pattern; a "%" backs up to the last one
// seen. The text's trailing blanks match as any character does, and those
// the pattern leaves over are ignored ('A1 ' LIKE '%1 %', 'A1 ' LIKE 'a1').
bool likeMatch(const std::vector<LikeItem>& pat, const std::u32string& text) {
    size_t end = text.size();
    while (end > 0 && text[end - 1] == U' ') --end;
    size_t s = 0, p = 0, starP = std::u32string::npos, starS = 0;
    while (s < text.size()) {
        if (p == pat.size() && s >= end) return true;
        if (p < pat.size() && pat[p].kind == LikeItem::Any) {
            starP = p++;
            starS = s;
        } else if (p < pat.size() && likeOne(pat[p], text[s])) {
            ++s;
            ++p;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            s = ++starS;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p].kind == LikeItem::Any) ++p;
    return p == pat.size();
}

void freeLikePattern(void* p) { delete static_cast<LikePattern*>(p); }

// like(pattern, text[, escape]): the library calls it for "text LIKE pattern".
void fnLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    char32_t escape = 0;
    if (argc > 2) {
        std::u32string e;
        decodeUtf8(sqlite3_value_text(argv[2]), sqlite3_value_bytes(argv[2]), e);
        if (e.size() != 1) return fail(ctx, "LIKE", "the escape character must be a single character");
        escape = e[0];
    }
    thread_local std::u32string patternText, text;
    decodeUtf8(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), patternText);
    // the compiled pattern is kept while the pattern stays the same (a literal)
    auto* pat = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
    if (!pat || pat->source != patternText || pat->escape != escape) {
        auto* fresh = new LikePattern{patternText, escape, {}};
        compileLike(*fresh);
        sqlite3_set_auxdata(ctx, 0, fresh, freeLikePattern);
        pat = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
        if (!pat) {
            // not kept (the pattern is not constant): use it this once
            LikePattern once{patternText, escape, {}};
            compileLike(once);
            decodeUtf8(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), text);
            for (auto& c : text) c = fold(c);
            return sqlite3_result_int(ctx, likeMatch(once.items, text) ? 1 : 0);
        }
    }
    decodeUtf8(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), text);
    for (auto& c : text) c = fold(c);
    sqlite3_result_int(ctx, likeMatch(pat->items, text) ? 1 : 0);
}
// REPLACE(text, found, by): `found` is looked for as the collation compares,
// without regard to letter case ('aAa', 'a', 'b' is 'bbb').
void fnReplace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    QString text = argText(argv[0]);
    const QString found = argText(argv[1]);
    if (!found.isEmpty()) text.replace(found, argText(argv[2]), Qt::CaseInsensitive);
    resultText(ctx, text);
}

}  // namespace

void registerTextFunctions(sqlite3* db) {
    reg(db, "REPLACE", 3, fnReplace);
    reg(db, "LEN", 1, fnLen);
    reg(db, "SRV_LEFT", 2, fnLeft);
    reg(db, "SRV_RIGHT", 2, fnRight);
    reg(db, "CHARINDEX", 2, fnCharIndex);
    reg(db, "CHARINDEX", 3, fnCharIndex);
    reg(db, "SPACE", 1, fnSpace);
    reg(db, "REPLICATE", 2, fnReplicate);
    reg(db, "like", 2, fnLike);
    reg(db, "like", 3, fnLike);
    reg(db, "SRV_SUBSTRING", 3, fnSubstring);
    reg(db, "UPPER", 1, fnUpper);
    reg(db, "LOWER", 1, fnLower);
}

}  // namespace ado::functions
