#pragma once
// Creating a database file of the embedded engine from the SQL files under
// data/: the schema (data/schema/*.sql) and, for a database that has them,
// its data files (data/demo/<NAME>/*.sql). Used by the vordane-mkdb tool,
// by the build (the demo databases next to the executable) and by the tests
// (fresh databases).
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace mkdb {

// The engines a statement of the schema files is written for. Most
// statements serve both; one that only one engine takes (an index on an
// expression for the embedded engine, a computed column for the server) is
// led by a comment line naming its engine, among the comments right before
// it:
//   -- engine: embedded
//   -- engine: server
// Letter case and blanks inside the line do not matter. createDatabase runs
// the statements for the embedded engine and skips those for the server;
// the tests that build a database on a server do the opposite.
enum class Engine { Both, Embedded, Server };

// The engine of the statement at the start of `text` (its leading comments
// and white space included), from those leading comments.
Engine statementEngine(QByteArrayView text);

// The files that make the database `name`, in the order they must run:
// the schema files, then the data files when `withData` is set.
//
// The data folder is <dataDir>/demo/<name>, or <dataDir>/demo/DEMO when no
// folder of that name exists (so a test database of any name can carry the
// demo data). A folder may hold "schema.txt", the list of the schema files
// it takes (one file name a line, "#" starts a comment); without it the
// database takes every schema file. Files run in name order.
//
// Missing folders or listed files that do not exist are reported in
// `error` and give an empty list.
QStringList databaseFiles(const QString& dataDir, const QString& name, bool withData,
                          QString* error = nullptr);

// Creates the database file `output` by running the SQL files in order on a
// new SQLite database with the server collation and functions registered.
// An existing file is an error unless `overwrite` is set. The file is built
// under a temporary name and only renamed into place once every statement
// ran, so a failure leaves any old file untouched and no half-made one.
// Errors name the file and line of the failing statement.
bool createDatabase(const QString& output, const QStringList& sqlFiles, bool overwrite,
                    QString* error = nullptr);

// Runs the statements of `sql` on the existing database file `path` with the
// server collation and functions registered, as the program sees the file.
// The rows of each statement that returns columns are appended to `out`, one
// line each, the column names first, the values separated by "|" (NULL as an
// empty value). Statements that change rows are committed. Errors name the
// failing statement.
bool runQuery(const QString& path, const QString& sql, QString* out, QString* error = nullptr);

}  // namespace mkdb
