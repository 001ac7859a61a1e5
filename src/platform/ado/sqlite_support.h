#pragma once
// What the embedded engine adds to a SQLite database so that the SQL Server
// statements of the program run on it. Tools that create database files
// (schema, demo data) call RegisterSqliteExtensions on their own handle so
// that tables declared with the text collation can be created and filled.
struct sqlite3;

namespace ado {

// The collation of every text column of the embedded schema: compares texts
// as the suite's server does, without regard to letter case and ignoring
// trailing blanks ("abc" = "ABC  "). Declare it as
//   Codigo TEXT COLLATE SRVTEXT
inline constexpr const char* kTextCollation = "SRVTEXT";
// The version of that order, kept in each file's header (its user version):
// 1 compared texts outside ASCII by code point, 2 is the Spanish dictionary
// order (accented letters with their plain one, "ñ" after "n"), 3 weighs
// hyphens and apostrophes only between texts otherwise the same.
inline constexpr int kTextCollationVersion = 3;

// Registers the collation above and the server functions (GETDATE, LEN,
// LEFT, RIGHT, CHARINDEX, SPACE, REPLICATE, STR, DATEADD, DATEDIFF, YEAR,
// MONTH, DAY, the CONVERT forms, ...) on `db`, and builds the file's indexes
// on text columns again when they were built in an older text order.
void RegisterSqliteExtensions(sqlite3* db);

}  // namespace ado
