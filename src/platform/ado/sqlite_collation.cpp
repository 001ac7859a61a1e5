// The text collation of the embedded engine (SRVTEXT, see sqlite_support.h):
// the server's Spanish dictionary order, the order every text column of the
// schema and every text comparison the rewrite collates (sql_collation.cpp)
// follows; and the indexes of a file kept built in its current version.
#include "platform/ado/sqlite_functions_private.h"

#include "platform/ado/sqlite_support.h"

#include <QChar>

namespace ado::functions {

namespace {

// ---------------------------------------------------------------------------
// Collation: the server's Spanish dictionary order. Letter case ignored,
// trailing blanks ignored; an accented letter sorts with its plain letter and
// its accent counts only between texts otherwise the same ("Ábaco" before
// "Abeja", "a" <> "á"); "ñ" is a letter of its own between "n" and "o".
// Plain ASCII is compared byte by byte (the common case, and the one the
// indexes meet); from the first other character on the rest is compared by
// the weights below.

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

int compareWeighted(const unsigned char* a, int na, const unsigned char* b, int nb) {
    thread_local std::u32string ua, ub;
    decodeUtf8(a, na, ua);
    decodeUtf8(b, nb, ub);
    int accents = 0;
    const size_t n = ua.size() < ub.size() ? ua.size() : ub.size();
    for (size_t k = 0; k < n; ++k) {
        if (ua[k] == ub[k]) continue;
        const Weight x = weightOf(ua[k]), y = weightOf(ub[k]);
        if (x.letter != y.letter) return x.letter < y.letter ? -1 : 1;
        if (accents == 0 && x.accent != y.accent) accents = x.accent < y.accent ? -1 : 1;
    }
    if (ua.size() != ub.size()) return ua.size() < ub.size() ? -1 : 1;
    return accents;
}

int srvTextCompare(void*, int n1, const void* p1, int n2, const void* p2) {
    auto a = static_cast<const unsigned char*>(p1);
    auto b = static_cast<const unsigned char*>(p2);
    while (n1 > 0 && a[n1 - 1] == ' ') --n1;
    while (n2 > 0 && b[n2 - 1] == ' ') --n2;
    const int n = n1 < n2 ? n1 : n2;
    for (int i = 0; i < n; ++i) {
        const unsigned char x = a[i], y = b[i];
        if ((x | y) & 0x80) return compareWeighted(a + i, n1 - i, b + i, n2 - i);
        const int lx = lowerAscii(x), ly = lowerAscii(y);
        if (lx != ly) return lx < ly ? -1 : 1;
    }
    return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
}

}  // namespace

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
