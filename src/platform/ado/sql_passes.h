#pragma once
// The passes of the dialect rewrite, which rewriteForSqlite (sql_text.cpp)
// runs in order, and what they share: the tokens' helpers, the date reader,
// the column a literal meets, the types of expressions. Private to the
// embedded engine: the rest of the program sees sql_text.h only.
//
//   sql_dates.cpp       the server's date literals, read as ISO text
//   sql_columns.cpp     the tables a statement names and the column a literal meets
//   sql_types.cpp       the types of expressions (the server's type map)
//   sql_tokens.cpp      the token rewrite: one handler per construct
//   sql_collation.cpp   the text collation of expressions and new columns
//   sql_if.cpp          the IF shapes
//   sql_parameters.cpp  statements with their literals as parameters
#include "platform/ado/sql_text.h"

#include "platform/ado/sqlite_support.h"

#include <QSet>
#include <QString>

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace ado::sql {

inline constexpr const char* kTextCollationName = kTextCollation;

// ---------------------------------------------------------------------------
// Tokens

using Toks = std::vector<Token>;

inline Token word(const QString& s) { return {TokKind::Word, s}; }
inline Token punct(const QString& s) { return {TokKind::Punct, s}; }
inline Token space() { return {TokKind::Space, QStringLiteral(" ")}; }
inline Token str(const QString& s) { return {TokKind::String, QLatin1Char('\'') + s + QLatin1Char('\'')}; }

inline const QSet<QString>& tableHints() {
    static const QSet<QString> s = {
        QStringLiteral("NOLOCK"),   QStringLiteral("ROWLOCK"),  QStringLiteral("UPDLOCK"),
        QStringLiteral("HOLDLOCK"), QStringLiteral("READUNCOMMITTED"), QStringLiteral("READCOMMITTED"),
        QStringLiteral("TABLOCK"),  QStringLiteral("TABLOCKX"), QStringLiteral("PAGLOCK"),
        QStringLiteral("READPAST"), QStringLiteral("XLOCK"),    QStringLiteral("NOWAIT"),
        QStringLiteral("SERIALIZABLE"), QStringLiteral("REPEATABLEREAD"), QStringLiteral("INDEX"),
        QStringLiteral("FASTFIRSTROW"),
    };
    return s;
}

// "( NOLOCK [, ROWLOCK ...] )" starting at the '(' at i: index of its ')' or npos.
size_t hintList(const Toks& t, size_t i);

inline bool isDateTypeName(const QString& upper) {
    return upper == u"DATETIME" || upper == u"SMALLDATETIME" || upper == u"DATE" || upper == u"DATETIME2";
}

inline bool isTextTypeName(const QString& upper) {
    return upper == u"VARCHAR" || upper == u"NVARCHAR" || upper == u"CHAR" || upper == u"NCHAR" || upper == u"TEXT" ||
           upper == u"NTEXT";
}

inline bool isDecimalTypeName(const QString& upper) {
    return upper == u"DECIMAL" || upper == u"NUMERIC" || upper == u"DEC" || upper == u"MONEY" || upper == u"SMALLMONEY";
}

inline constexpr size_t npos = size_t(-1);

inline bool isComparisonText(QStringView t) {
    return t == u"=" || t == u"<>" || t == u"!=" || t == u"<" || t == u">" || t == u"<=" || t == u">=";
}
inline bool isComparison(const Token& t) { return t.kind == TokKind::Punct && isComparisonText(t.text); }
inline bool isName(const Token& t) { return t.kind == TokKind::Word || t.kind == TokKind::Quoted; }
inline QString bareName(const Token& t) { return t.kind == TokKind::Quoted ? t.text.mid(1, t.text.size() - 2) : t.text; }

// ---------------------------------------------------------------------------
// Date literals (sql_dates.cpp)

struct DayFirst { int y, m, d, hh = 0, mi = 0, ss = 0, ms = 0; };

// d/m/yy[yy][ h:mm[:ss[.fff]]] with one or two digits for day, month, hour;
// '-' or '.' may stand for both '/'. A two-digit year is the one in the
// hundred years ending at `cutoff` (the server's: 2049). `outOfRange` is set
// for a text of the form whose day, month and year make no date ('31/02/2024').
std::optional<DayFirst> readDayFirst(QStringView text, int cutoff = kServerYearCutoff, bool* outOfRange = nullptr);
// The server's other date literals: 'yyyy-mm-dd' and 'yyyymmdd', each
// optionally with ' hh:mm[:ss[.fff]]' ('T' instead of the blank after the
// dashed form), as the server reads them under SET DATEFORMAT dmy: the
// dashed form without its 'T' is year, day, month ('2012-02-01' is 2
// January), the others year, month, day. Years from 1753, as the server's
// datetime holds them; `outOfRange` as above ('2026-11-20').
std::optional<DayFirst> readOtherDate(QStringView s, bool* outOfRange = nullptr);
// Whether the rewrite writes the text otherwise where it meets a date: one
// of the other forms whose reading is not the same text, or out of range.
bool otherDateChanges(QStringView inner);

// The texts the rewrite reads as day-first dates where they meet no text column.
inline bool mayBeDate(QStringView inner) {
    if (inner.size() < 6 || inner.size() > 24) return false;
    const auto mark = [&](int k) { return inner[k] == u'-' || inner[k] == u'.'; };
    return inner.contains(u'/') || (inner[0].isDigit() && (mark(1) || mark(2)));
}
// The same for the other forms, told from a few characters ('yyyy-' or
// 'yyyymmdd' alone or before a blank; no year begins with 0).
inline bool mayBeOtherDate(QStringView inner) {
    if (inner.size() < 8 || inner.size() > 23 || inner[0].unicode() < '1' || inner[0].unicode() > '9') return false;
    return inner[4] == u'-' || inner.size() == 8 || inner[8] == u' ';
}

// ---------------------------------------------------------------------------
// The column a literal meets (sql_columns.cpp)

struct ColumnRef {
    QString qualifier;  // table or alias; empty when the column stands alone
    QString name;
};

// "col", "t.col", "[t].[col]" ending at the token at i.
std::optional<ColumnRef> columnEndingAt(const Toks& t, size_t i);
// The same starting at i; a function call ("name(") is no column.
std::optional<ColumnRef> columnStartingAt(const Toks& t, size_t i);

struct TableRef {
    QString name;
    QString alias;
};

// The tables a statement names (after FROM, JOIN, UPDATE, INTO, DELETE),
// with their aliases; owner prefixes and table hints are passed over.
std::vector<TableRef> tablesOf(const Toks& t);

// Finds, for a literal of one statement, the declared kind of the column it
// meets, in the shapes the program writes.
class ColumnFinder {
public:
    ColumnFinder(const Toks& t, SchemaInfo* schema) : t_(t), schema_(schema) {}

    // The kind of the column the text literal at i meets (Unknown when none
    // can be told: function arguments, expressions, select lists).
    ColumnKind kindAt(size_t i);

private:
    // The column before the keyword at k ("col [NOT] BETWEEN", "col [NOT] IN").
    ColumnKind kindBefore(size_t k);

    std::optional<ColumnKind> kindIn(const QString& table, const QString& column);

    ColumnKind kindOf(const ColumnRef& r);

    const std::vector<TableRef>& tables();

public:
    // The declared column a reference names (a column standing alone: the
    // tables of the statement that have it must agree on its type); nullptr
    // when it cannot be told.
    const SchemaInfo::Column* columnOf(const ColumnRef& r);

private:
    // INSERT INTO t [(c1, c2, ...)] VALUES (...)[, (...)]: every value that is
    // a single literal, by its token, with the column it goes into.
    const std::map<size_t, ColumnRef>& insertTargets();

    const Toks& t_;
    SchemaInfo* schema_;
    std::optional<std::vector<TableRef>> tables_;
    std::optional<std::map<size_t, ColumnRef>> targets_;
};

// ---------------------------------------------------------------------------
// The types of expressions (sql_types.cpp)

// CONVERT(type[(p[,s])], ...) at the word i: the type as written, upper case
// and without blanks ("DECIMAL(18,2)"), and the last token of the type.
QString convertTypeAt(const Toks& t, size_t i, size_t* typeLast);
// CAST(x AS type[(p[,s])]) at the word i: the type as CONVERT writes it, and
// the index of its AS (t.size() when there is none).
QString castTypeAt(const Toks& t, size_t i, size_t* asAt);

inline QString baseType(const QString& type) {
    const qsizetype p = type.indexOf(u'(');
    return p < 0 ? type : type.left(p);
}

// Whether the value of the call from `first` to `last` is compared or sorted:
// there the exact decimal must be a number for the engine ("x > 10" with a
// text on the left would compare text with number), elsewhere it stays exact
// text.
bool comparedOrSorted(const Toks& t, size_t first, size_t last);

// The types of expressions, as the server gives them, from the literals, the
// declared column types and the functions; they decide what '+', '-' and '/'
// do: '+' joins texts and adds numbers, a text meeting a number becomes a
// number, a date moves by days, a division of exact numbers keeps its
// fraction.

enum class VType : char { Unknown, Null, Text, Date, Int, Exact, Float };
struct ExprType {
    VType kind = VType::Unknown;
    QString declared;  // "VARCHAR(20)", "NUMERIC(18,4)", "MONEY" when known
    // a text that holds a character no number has (a literal's, or one
    // joined to it): '+' with it joins texts or fails on the server
    bool letters = false;
};

// The type a declared column type names ("NUMERIC(18,4)", "VARCHAR(20)"):
// the rewrite's map of the server's types to its own kinds.
ExprType typeOfDeclared(const QString& declared);
// The precision and scale of a whole or exact type (INT is 10 digits, MONEY
// 19 with 4 decimals); false when not known.
bool exactDigits(const ExprType& x, int& precision, int& scale);
// The exact type of `a op b` ('*', '/', '+', '-'; ',' for the column of a
// UNION) by the server's rules of precision and scale: a quotient has at
// least 6 decimals (1 / 3.0 is 0.333333).
ExprType exactResult(const ExprType& a, const ExprType& b, QChar op);

// The length of a text type ("VARCHAR(20)": 20); -1 when none is written or MAX.
int textLength(const QString& declared);

// Words after which an operand begins (a '+' or '-' there is a sign), and
// which begin no operand themselves.
inline const QSet<QString>& operandlessWords() {
    static const QSet<QString> s = {
        QStringLiteral("SELECT"), QStringLiteral("WHERE"), QStringLiteral("AND"),     QStringLiteral("OR"),
        QStringLiteral("NOT"),    QStringLiteral("ON"),    QStringLiteral("WHEN"),    QStringLiteral("THEN"),
        QStringLiteral("ELSE"),   QStringLiteral("SET"),   QStringLiteral("BY"),      QStringLiteral("IN"),
        QStringLiteral("IS"),     QStringLiteral("LIKE"),  QStringLiteral("BETWEEN"), QStringLiteral("CASE"),
        QStringLiteral("TOP"),    QStringLiteral("DISTINCT"), QStringLiteral("ALL"),  QStringLiteral("VALUES"),
        QStringLiteral("HAVING"), QStringLiteral("EXISTS"), QStringLiteral("ESCAPE"), QStringLiteral("RETURN"),
        QStringLiteral("AS"),     QStringLiteral("FROM"),  QStringLiteral("JOIN"),    QStringLiteral("UNION"),
        QStringLiteral("PERCENT"), QStringLiteral("INTO"), QStringLiteral("ORDER"),   QStringLiteral("GROUP"),
        QStringLiteral("COLLATE"), QStringLiteral("WITH"), QStringLiteral("TIES"),    QStringLiteral("ASC"),
        QStringLiteral("DESC"),   QStringLiteral("UPDATE"), QStringLiteral("DELETE"), QStringLiteral("INSERT"),
        QStringLiteral("EXCEPT"), QStringLiteral("INTERSECT"), QStringLiteral("INNER"), QStringLiteral("OUTER"),
        QStringLiteral("CROSS"),  QStringLiteral("IF"),
    };
    return s;
}

size_t matchParenBack(const Toks& t, size_t close);

inline bool isArithmetic(const Token& t) {
    return t.kind == TokKind::Punct && t.text.size() == 1 &&
           (t.text[0] == u'+' || t.text[0] == u'-' || t.text[0] == u'*' || t.text[0] == u'/' || t.text[0] == u'%');
}

// What '+' or '-' becomes for two operand types.
struct Decision {
    enum Form { Keep, Concat, Dates, NumberLeft, NumberRight, Runtime } form = Keep;
    ExprType result;
};

inline int precedence(VType k) {
    switch (k) {
    case VType::Date: return 5;
    case VType::Float: return 4;
    case VType::Exact: return 3;
    case VType::Int: return 2;
    case VType::Text: return 1;
    default: return 0;
    }
}

Decision decide(bool minus, const ExprType& l, const ExprType& r);

// The extent and the type of an expression on the tokens of one statement.
class Typer {
public:
    Typer(const Toks& t, ColumnFinder& finder) : t_(t), finder_(finder) {}

    // The token at k ends an operand.
    bool operandEnds(size_t k) const {
        if (k == npos || k >= t_.size()) return false;
        const Token& x = t_[k];
        if (x.kind == TokKind::String || x.kind == TokKind::Number || x.kind == TokKind::Quoted || x.isPunct(')')) return true;
        return x.kind == TokKind::Word && !operandlessWords().contains(x.text.toUpper());
    }
    // An arithmetic operator between two operands (not a sign).
    bool binaryAt(size_t i) const { return i < t_.size() && isArithmetic(t_[i]) && operandEnds(prevSig(t_, i)); }
    bool additiveAt(size_t i) const { return i != npos && i < t_.size() && (t_[i].isPunct('+') || t_[i].isPunct('-')) && binaryAt(i); }
    bool multiplicativeAt(size_t i) const {
        return i != npos && i < t_.size() && (t_[i].isPunct('*') || t_[i].isPunct('/') || t_[i].isPunct('%')) && binaryAt(i);
    }

    // The last token of the operand (literal, column, call, parenthesis,
    // CASE ... END) that begins at k; npos when none begins there.
    size_t primaryEnd(size_t k) const;
    // The first token of the operand that ends at e.
    size_t primaryStart(size_t e) const;

    // A term: operands joined by '*', '/', '%', each with its signs.
    size_t termEnd(size_t k) const;
    size_t termStart(size_t e) const;
    // An expression: terms joined by '+' and '-'.
    size_t exprEnd(size_t k) const;
    size_t exprStart(size_t e) const;

    ExprType exprType(size_t s, size_t e);

    ExprType termType(size_t s, size_t e);

    ExprType primaryType(size_t s, size_t e);

    // The arguments of the call whose name is at s: (first, last) token of each.
    std::vector<std::pair<size_t, size_t>> arguments(size_t s) const;

private:
    size_t nameStart(size_t e) const;

    ExprType callType(size_t s, size_t e);

    // CASE ... END: the type of its results of highest precedence.
    ExprType caseType(size_t s, size_t e);

    const Toks& t_;
    ColumnFinder& finder_;
};

// The select-list items of a SELECT whose type the statement decides, by
// position (see Rewritten::columnTypes): a conversion to an exact number or
// a text, and an expression of a declared exact type (ISNULL(saldo, 0) is
// the column's NUMERIC(18,4) for every row, whole values too).
std::vector<std::pair<int, QString>> statedColumnTypes(const Toks& t, SchemaInfo* schema);

// ---------------------------------------------------------------------------
// The later passes, each in its own file

// The token rewrite of one statement (sql_tokens.cpp): each construct of the
// server's dialect by its handler; the IF shapes are not its business.
Toks rewriteConstructs(const Toks& t, SchemaInfo* schema, QString* refused);

// The text collation given to expressions that the token rewrite left
// comparing byte by byte (sql_collation.cpp).
void collateExpressions(Toks& t);
// The text columns that CREATE TABLE and ALTER TABLE make get the
// server-like collation (sql_collation.cpp).
void collateTextColumns(Toks& t);

// The token rewrite and then the collation of expressions (sql_text.cpp).
void rewriteTokens(Toks& t, SchemaInfo* schema, QString* refused = nullptr);

// IF [NOT] EXISTS (subquery) statement and IF <a> <op> <b> statement
// (sql_if.cpp); nullopt for an IF of another shape.
std::optional<Rewritten> rewriteIf(const Toks& t, size_t ifAt, SchemaInfo* schema);

}  // namespace ado::sql
