#pragma once
// Reading SQL text the way the server reads it: a tokenizer, the batch
// splitter and the rewrite of the server's dialect for the embedded engine.
// Everything here works on tokens, so quotes, brackets and comments are never
// mistaken for keywords.
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace ado::sql {

enum class TokKind {
    Space,    // blanks, tabs, line ends
    Comment,  // -- to the end of the line, /* ... */
    Word,     // identifiers, keywords, @variables, @@globals, #temp names
    Quoted,   // [bracketed] or "double-quoted" names
    String,   // '...' (with '' inside); N'...' too
    Number,
    Punct,    // one character, or <= >= <> != ||
};

struct Token {
    TokKind kind;
    QString text;
    bool isWord(const char* upperWord) const;  // a Word equal to it, letter case ignored
    bool isPunct(char c) const { return kind == TokKind::Punct && text.size() == 1 && text[0] == QLatin1Char(c); }
    bool significant() const { return kind != TokKind::Space && kind != TokKind::Comment; }
};

std::vector<Token> tokenize(const QString& text);
QString join(const std::vector<Token>& tokens);

// Splits a batch into its statements: at ";" and where a new statement
// begins on a new line (SELECT, INSERT, UPDATE, DELETE, BEGIN, COMMIT,
// ROLLBACK, SET, IF, CREATE, DROP, ALTER, ...), never inside quotes,
// brackets, parentheses or comments, and not where the keyword continues the
// statement (the SELECT of INSERT ... SELECT, the SET of UPDATE, the body of
// IF EXISTS (...), a SELECT after UNION). "IF [NOT] EXISTS (...) BEGIN"
// comes back as one statement, the statements of its block one by one and
// its END alone. Statements come back trimmed; empty ones are dropped.
QStringList splitBatch(const QString& batch);

enum class StmtKind {
    Empty,     // nothing to run (SET NOCOUNT, PRINT, ...): accepted and ignored
    Select,
    Insert,
    Update,
    Delete,
    Begin,
    Commit,
    Rollback,
    Other,     // DDL and the rest
    BlockBegin,  // IF [NOT] EXISTS (...) BEGIN: `guard` decides whether the block runs
    BlockEnd,    // the END of that block
};

struct Rewritten {
    QString sql;     // the statement for the embedded engine
    StmtKind kind = StmtKind::Other;
    // IF shapes that cannot be folded into the statement: run `guard` (a
    // SELECT giving 0 or 1) first and the statement only when it gives 1.
    QString guard;
    // Result columns whose type the statement itself states (a select-list
    // item that is CONVERT(DECIMAL(18,2), x) or CAST(x AS MONEY)): the
    // column's index and the type as written ("DECIMAL(18,2)"). The engine
    // has no such types, so the reader takes them from here.
    std::vector<std::pair<int, QString>> columnTypes;
};

// What the rewrite may know of the database: the declared type of each
// column, so that a day-first date text stays text where it meets a text
// column, as on the server.
enum class ColumnKind { Unknown, Text, Date, Other };

// The kind of a declared column type ("VARCHAR(20)", "DATETIME", "INT" ...).
ColumnKind columnKindOfType(const QString& declaredType);

class SchemaInfo {
public:
    struct Column {
        QString name;
        ColumnKind kind = ColumnKind::Unknown;
    };
    virtual ~SchemaInfo() = default;
    // The columns of a table or view in their order; nullptr when the
    // database has no table of that name (letter case ignored).
    virtual const std::vector<Column>* columnsOf(const QString& table) = 0;
};

// The kind of a statement from its first keyword (server dialect).
StmtKind statementKind(const QString& statement);

// Rewrites one statement of the server's dialect for the embedded engine.
// Without a schema every day-first date text becomes ISO text; with one, a
// date text that meets a known text column (compared with it, stored into
// it) is left as written.
Rewritten rewriteForSqlite(const QString& statement);
Rewritten rewriteForSqlite(const QString& statement, SchemaInfo* schema);

// 'dd/mm/yy', 'dd/mm/yyyy', optionally with ' hh:mm' or ' hh:mm:ss', as
// 'yyyy-mm-dd hh:mm:ss' (two-digit years: 00-29 are 2000-2029, 30-99 are
// 1930-1999, as the server reads them). Empty when the text is not such a date.
QString dayFirstToIso(const QString& text);

// For an updatable recordset: the table of "SELECT ... FROM table [WHERE ...]
// [ORDER BY ...]" when the statement reads one table only (no join, no
// grouping, no DISTINCT, no UNION); empty otherwise.
QString singleTableOf(const QString& select);
// The same SELECT with "rowid AS <alias>, " put first in its select list.
QString withRowid(const QString& select, const QString& alias);

}  // namespace ado::sql
