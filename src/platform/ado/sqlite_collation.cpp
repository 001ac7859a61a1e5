// The text collation of the embedded engine (SRVTEXT, see sqlite_support.h):
// the server's Spanish dictionary order, the order every text column of the
// schema and every text comparison the rewrite collates (sql_collation.cpp)
// follows; and the indexes of a file kept built in its current version.
#include "platform/ado/sqlite_functions_private.h"

#include "platform/ado/sqlite_support.h"
#include "platform/ado/text_order.h"

#include <QChar>

namespace ado::functions {

namespace {

// ---------------------------------------------------------------------------
// Collation: the server's Spanish dictionary order (word sort). Letter case
// ignored, trailing blanks ignored; an accented letter sorts with its plain
// letter and its accent counts only between texts otherwise the same ("Ábaco"
// before "Abeja", "a" <> "á"); "ñ" is a letter of its own between "n" and
// "o". A hyphen and an apostrophe weigh less than every letter and digit:
// they count only between texts otherwise the same, accents included
// ("PINTA" < "PINT-LATEX-20" < "PINTURA", "coop" < "co-op").
// Plain ASCII is compared character by character (the common case, and the
// one the indexes meet); from the first other character, or the first
// difference at a hyphen or an apostrophe, the rest is compared by the
// weights below.

bool isWordMark(char32_t c) { return c == U'-' || c == U'\''; }

// A character's place in the order: `letter` first (the plain letter, four
// apart so that "ñ" fits after "n"; characters outside ASCII that are no
// accented letter come after all of ASCII), then `accent` (0 for none, else
// the folded character, which keeps every character distinct).
struct Weight {
    quint32 letter;
    quint32 accent;
};
Weight weightOf(char32_t c) {
    if (c < 128) return {quint32(lowerAscii(static_cast<unsigned char>(c))) << 2, 0};
    const char32_t f = QChar::toCaseFolded(c);
    if (f == U'\u00F1') return {(quint32('n') << 2) | 2, 0};
    if (QChar::decompositionTag(f) == QChar::Canonical) {
        const QString d = QChar::decomposition(f);
        if (!d.isEmpty() && d[0].unicode() < 128 && d[0].isLetter())
            return {quint32(lowerAscii(static_cast<unsigned char>(d[0].unicode()))) << 2, quint32(f)};
    }
    return {(0x80u + quint32(f)) << 2, 0};
}

// Two texts (trailing blanks off) by the weights: letters, then accents, then
// the hyphens and apostrophes by their places (a text without them first).
int compareWeighted(const std::u32string& a, const std::u32string& b) {
    int accents = 0;
    size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && isWordMark(a[i])) ++i;
        while (j < b.size() && isWordMark(b[j])) ++j;
        if (i == a.size() || j == b.size()) break;
        if (a[i] != b[j]) {
            const Weight x = weightOf(a[i]), y = weightOf(b[j]);
            if (x.letter != y.letter) return x.letter < y.letter ? -1 : 1;
            if (accents == 0 && x.accent != y.accent) accents = x.accent < y.accent ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i != a.size()) return 1;
    if (j != b.size()) return -1;
    if (accents != 0) return accents;
    for (i = 0, j = 0;; ++i, ++j) {
        while (i < a.size() && !isWordMark(a[i])) ++i;
        while (j < b.size() && !isWordMark(b[j])) ++j;
        if (i == a.size() || j == b.size()) return int(i != a.size()) - int(j != b.size());
        if (i != j) return i < j ? -1 : 1;
        if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
    }
}

void decodeTail(const unsigned char* p, int n, std::u32string& out) { decodeUtf8(p, n, out); }
void decodeTail(const char16_t* p, int n, std::u32string& out) {
    out.clear();
    for (const char32_t c : QStringView(p, n).toUcs4()) out.push_back(c);
}

// The order of two texts, UTF-8 as the library hands them or UTF-16.
template <class Unit>
int compareTexts(const Unit* a, int n1, const Unit* b, int n2) {
    while (n1 > 0 && a[n1 - 1] == ' ') --n1;
    while (n2 > 0 && b[n2 - 1] == ' ') --n2;
    const int n = n1 < n2 ? n1 : n2;
    for (int i = 0; i < n; ++i) {
        const auto x = a[i], y = b[i];
        if (x >= 0x80 || y >= 0x80 || (x != y && (isWordMark(x) || isWordMark(y)))) {
            thread_local std::u32string ua, ub;
            decodeTail(a + i, n1 - i, ua);
            decodeTail(b + i, n2 - i, ub);
            return compareWeighted(ua, ub);
        }
        const int lx = lowerAscii(static_cast<unsigned char>(x)), ly = lowerAscii(static_cast<unsigned char>(y));
        if (lx != ly) return lx < ly ? -1 : 1;
    }
    // One is the other's start: the longer one follows (more letters, or
    // the same letters with hyphens more).
    return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
}

int srvTextCompare(void*, int n1, const void* p1, int n2, const void* p2) {
    return compareTexts(static_cast<const unsigned char*>(p1), n1, static_cast<const unsigned char*>(p2), n2);
}

}  // namespace

}  // namespace ado::functions

namespace ado {

int compareTexts(QStringView a, QStringView b) {
    return functions::compareTexts(reinterpret_cast<const char16_t*>(a.utf16()), int(a.size()),
                                   reinterpret_cast<const char16_t*>(b.utf16()), int(b.size()));
}

}  // namespace ado

namespace ado::functions {

void registerTextCollation(sqlite3* db) {
    sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, srvTextCompare, nullptr);
}

namespace {

int userVersion(sqlite3* db) {
    sqlite3_stmt* st = nullptr;
    int v = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return v;
}

}  // namespace

// The file's header keeps the version of the text order its indexes were
// built with (the user version). A file made before the order last changed
// has its indexes on text columns built again, once, by the first program
// that opens it with the new order, inside a write transaction so that
// stations opening it at the same time do it only once; a file it cannot
// write (busy past the wait, read-only) is tried again at its next opening.
// A new file (no tables yet) is only marked; one marked with a later order
// is left as it is. A commit refused (another station still reading) is
// undone at once, so that the file is left locked by nobody. Every station
// of a file runs the same program: one still running the older order would
// write its indexes in that order after the rebuild.
void keepTextIndexesInOrder(sqlite3* db) {
    const int seen = userVersion(db);
    if (seen < 0 || seen >= kTextCollationVersion) return;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return;
    bool ok = true;
    if (userVersion(db) < kTextCollationVersion) {
        const QByteArray script = QByteArray("REINDEX ") + kTextCollation + "; PRAGMA user_version = " +
                                  QByteArray::number(kTextCollationVersion);
        ok = sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    if (!ok || sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace ado::functions
