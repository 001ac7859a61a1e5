#pragma once
// The server functions of the embedded engine, one file per kind, and what
// they share. Private to the engine (the program sees sqlite_support.h):
//   sqlite_functions.cpp  their registration, CONVERT and @@TRANCOUNT
//   sqlite_collation.cpp  the text collation and the indexes built in it
//   sqlite_texts.cpp      texts: LEN, LEFT, RIGHT, CHARINDEX, SUBSTRING, LIKE ...
//   sqlite_numbers.cpp    exact numbers, STR, '+' and '-' of texts and numbers
//   sqlite_dates.cpp      the date reader, DATEADD, DATEDIFF, DATEPART, days
#include "platform/ado/sql_text.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QString>

#include <string>

namespace ado::functions {

// ---------------------------------------------------------------------------
// Helpers

inline QString argText(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

inline void resultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

inline bool anyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
    return false;
}

inline QString rtrimBlanks(QString s) {
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == u' ') --n;
    s.truncate(n);
    return s;
}

inline void fail(sqlite3_context* ctx, const char* fn, const char* what) {
    const QByteArray m = QByteArray(fn) + ": " + what;
    sqlite3_result_error(ctx, m.constData(), -1);
}

inline void reg(sqlite3* db, const char* name, int nArg, void (*fn)(sqlite3_context*, int, sqlite3_value**), bool deterministic = true) {
    const int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
    sqlite3_create_function_v2(db, name, nArg, flags, nullptr, fn, nullptr, nullptr, nullptr);
}

inline int lowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// UTF-8 (as the library hands it over, well formed) into code points.
inline void decodeUtf8(const unsigned char* p, int n, std::u32string& out) {
    out.clear();
    for (int i = 0; i < n;) {
        const unsigned char c = p[i];
        char32_t cp;
        int len;
        if (c < 0x80) { cp = c; len = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        else { cp = c & 0x07; len = 4; }
        for (int k = 1; k < len && i + k < n; ++k) cp = (cp << 6) | (p[i + k] & 0x3F);
        out.push_back(cp);
        i += len;
    }
}

// ---------------------------------------------------------------------------
// Dates (sqlite_dates.cpp)

// A date argument: a text of the server's date forms, or a number of days
// since 1 January 1900 (the server's reading of numbers as dates).
bool argDate(sqlite3_value* v, QDateTime& out);
// A date as the engine keeps it: ISO text, with milliseconds when it has any.
using sql::isoOf;
// SRV_DATE_ADD(a, b, sign): a date plus or minus a number of days (or a
// date, as days since 1900).
void fnDateArith(sqlite3_context* ctx, int argc, sqlite3_value** argv);

// ---------------------------------------------------------------------------
// Exact numbers (sqlite_numbers.cpp)

// DECIMAL, NUMERIC, DEC, MONEY, SMALLMONEY.
bool isExactType(const QString& base);
// CONVERT to an exact type. The result is the exact decimal text; where the
// rewrite found it compared or sorted (`asNumber`) it is the number itself,
// since the engine would compare a text with a number as text.
void convertExact(sqlite3_context* ctx, const QString& typeText, sqlite3_value* v, bool asNumber);

// ---------------------------------------------------------------------------
// Each kind registers its own functions on a database

void registerTextCollation(sqlite3* db);   // sqlite_collation.cpp
void keepTextIndexesInOrder(sqlite3* db);  // sqlite_collation.cpp (see there)
void registerTextFunctions(sqlite3* db);   // sqlite_texts.cpp
void registerNumberFunctions(sqlite3* db); // sqlite_numbers.cpp
void registerDateFunctions(sqlite3* db);   // sqlite_dates.cpp

}  // namespace ado::functions
