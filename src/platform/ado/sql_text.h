#pragma once
// The rewrite of the server's dialect for the embedded engine, on the tokens
// of sql_lexer.h, so quotes, brackets and comments are never mistaken for
// keywords.
#include "platform/ado/sql_lexer.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace ado::sql {

struct Rewritten {
    QString sql;     // the statement for the embedded engine
    StmtKind kind = StmtKind::Other;
    // IF shapes that cannot be folded into the statement: run `guard` (a
    // SELECT giving 0 or 1) first and the statement only when it gives 1.
    QString guard;
    // Result columns whose type the statement itself states (a select-list
    // item that is CONVERT(DECIMAL(18,2), x), CAST(x AS MONEY) or a
    // conversion to a text type): the column's index and the type as written
    // ("DECIMAL(18,2)"). The engine has no such types, so the reader takes
    // them from here.
    std::vector<std::pair<int, QString>> columnTypes;
    // BEGIN TRAN name, ROLLBACK TRAN name, SAVE TRAN name: the name of the
    // transaction or savepoint.
    QString transactionName;
    // A statement to run right after this one (ALTER TABLE ... ADD of a
    // nullable column with a default: its rows already there go back to Null).
    QString followUp;
    // Not empty: the engine cannot give the server's result for a construct
    // of the statement, named here, and refuses it.
    QString refused;
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
        QString type;  // as declared ("DECIMAL(18,4)"); may be empty
    };
    virtual ~SchemaInfo() = default;
    // The columns of a table or view in their order; nullptr when the
    // database has no table of that name (letter case ignored).
    virtual const std::vector<Column>* columnsOf(const QString& table) = 0;
};


// Rewrites one statement of the server's dialect for the embedded engine.
// Without a schema every day-first date text becomes ISO text; with one, a
// date text that meets a known text column (compared with it, stored into
// it) is left as written.
Rewritten rewriteForSqlite(const QString& statement);
Rewritten rewriteForSqlite(const QString& statement, SchemaInfo* schema);

// The last year a two-digit year stands for in the server's reading of a
// statement's text (its default two-digit year cutoff: 00-49 are 2000-2049,
// 50-99 1950-1999). The client runtime's own conversions keep theirs (2029).
inline constexpr int kServerYearCutoff = 2049;

// 'dd/mm/yy', 'dd/mm/yyyy' ('-' or '.' for '/'), optionally with ' hh:mm',
// ' hh:mm:ss' or ' hh:mm:ss.fff', as
// 'yyyy-mm-dd hh:mm:ss', a two-digit year read with `cutoff` (the server's
// unless the caller converts as the client does). Empty when the text is not
// such a date; `outOfRange` is then set when it has the form but no such
// day exists (the server's error 242).
QString dayFirstToIso(const QString& text, int cutoff = kServerYearCutoff, bool* outOfRange = nullptr);
// The server's other date literals ('yyyy-mm-dd', 'yyyymmdd', each with an
// optional ' hh:mm[:ss[.fff]]', 'T' also after the dashed form) the same
// way, as the server reads them under SET DATEFORMAT dmy: '2012-02-01' and
// '2012-02-01 00:00:00' are 2 January, '20120201' and '2012-02-01T00:00:00'
// 1 February; empty when the text is none.
QString otherDateToIso(const QString& text, bool* outOfRange = nullptr);
// A text of any of those forms as the date and time the server keeps, in
// ticks of 1/300 second ('.002' is .003, '23:59:59.999' the next day);
// nothing when the text is none of them.
std::optional<QDateTime> readDateTime(QStringView text);
// The engine's own text of a date as isoOf writes it ('yyyy-mm-dd
// hh:mm:ss[.zzz]'), year, month, day; nothing for any other text.
std::optional<QDateTime> readKept(QStringView text);
// A date and time as the engine keeps it: 'yyyy-mm-dd hh:mm:ss[.zzz]'.
QString isoOf(const QDateTime& dt);

// A statement's literals that the engine can pass as parameters, so that
// statements differing only in them share one prepared statement: texts
// (not day-first dates, which the rewrite reads by their column) and whole
// numbers compared with something (col = 'x', col <> 5; in a SELECT only
// after its FROM, and only in a SELECT without sub-queries, so no result
// column's name changes), and the single-literal values of an
// INSERT ... VALUES of one row (there also other numbers, which the engine
// passes only into numeric columns, where the value is the same).
struct LiteralSlot {
    enum Kind : char { Text = 'T', Integer = 'I', Number = 'N' };
    Kind kind;
    qsizetype pos;  // in the statement; a leading minus sign belongs to the number
    qsizetype len;
    int column = -1;  // INSERT values: the place in the column list
};
struct Parameterised {
    std::vector<LiteralSlot> literals;
    // a hash of the statement's skeleton (see skeletonOf), the key of its
    // prepared statement
    size_t hash = 0;
    // INSERT: the places of the table's name and of the columns as written
    // (none: all, in order)
    struct Span { qsizetype pos, len; };
    Span table{0, 0};
    std::vector<Span> columns;
};
// `tokens`: the statement's significant tokens when the splitter has them.
std::optional<Parameterised> parameterise(const QString& statement, const std::vector<Lexeme>* tokens = nullptr);
// The statement with each slot cut out and a mark of its kind left; whether
// a statement has a given one, compared piece by piece.
QString skeletonOf(const QString& statement, const Parameterised& p);
bool hasSkeleton(const QString& statement, const Parameterised& p, const QString& skeleton);

// The rewrite of a parameterised statement with ?1, ?2 ... for its literals,
// checked against `plain` (the rewrite of the statement itself): nullopt
// when the two do not agree literal for literal.
std::optional<Rewritten> rewriteParameterised(const QString& statement, const Parameterised& p, const Rewritten& plain,
                                              SchemaInfo* schema);

// The same SELECT with "rowid AS <alias>, " put first in its select list.
QString withRowid(const QString& select, const QString& alias);

}  // namespace ado::sql
