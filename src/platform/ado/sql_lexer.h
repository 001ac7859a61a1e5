#pragma once
// Reading SQL text the way the server reads it: the tokens, the batch
// splitter and the statement kinds, the same for every engine.
#include <QString>
#include <QStringList>

#include <functional>
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

// A token by its place in the text: the lexer's own output, which the
// splitter and the engine's statement shapes read without copying texts.
struct Lexeme {
    TokKind kind;
    qsizetype pos;
    qsizetype len;
};
class Lexer {
public:
    explicit Lexer(QStringView text) : text_(text) {}
    bool next(Lexeme& out);  // false at the end
private:
    QStringView text_;
    qsizetype at_ = 0;
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
// The same, giving the statements one by one with their significant tokens
// (placed within the statement's text) to `take`; its false stops the
// split. False when it was stopped.
struct Statement {
    QString text;
    std::vector<Lexeme> tokens;
};
bool splitBatch(const QString& batch, const std::function<bool(Statement&)>& take);
// Whether splitBatch gives the text back as one statement, told without
// splitting: a SELECT, INSERT, UPDATE or DELETE on one line, without ";".
bool isSingleStatement(QStringView text);

enum class StmtKind {
    Empty,     // nothing to run (SET NOCOUNT, PRINT, ...): accepted and ignored
    Select,
    Insert,
    Update,
    Delete,
    Begin,
    Commit,
    Rollback,
    Save,      // SAVE TRAN[SACTION] name
    Other,     // DDL and the rest
    BlockBegin,  // IF [NOT] EXISTS (...) BEGIN: `guard` decides whether the block runs
    BlockEnd,    // the END of that block
};

// The kind of a statement from its first keyword (server dialect).
StmtKind statementKind(QStringView statement);

// Index of the next significant token at or after i (size() when none), of
// the previous one before i (size_t(-1) when none), and of the ')' matching
// the '(' at i (size() when unbalanced).
size_t nextSig(const std::vector<Token>& t, size_t i);
size_t prevSig(const std::vector<Token>& t, size_t i);
size_t matchParen(const std::vector<Token>& t, size_t i);

// For an updatable recordset: the table of "SELECT ... FROM table [WHERE ...]
// [ORDER BY ...]" when the statement reads one table only (no join, no
// grouping, no DISTINCT, no UNION); empty otherwise.
QString singleTableOf(const QString& select);

}  // namespace ado::sql
