// What the dialect rewrite decides from the types involved: a day-first date
// text stays text where it meets a text column, conversions to exact numbers
// stay exact, IN lists and LIKE compare texts as the server does, and so do
// expressions, which also come back with the server's types.
#include "ado_test_util.h"
#include "platform/ado/sql_text.h"
#include "platform/ado/text_order.h"

#include <gtest/gtest.h>

#include <QHash>

#include <algorithm>
#include <array>
#include <random>

using namespace adotest;
using legacy::Variant;
using ado::sql::ColumnKind;

namespace {

// A schema for the rewrite alone, without a database.
class FakeSchema : public ado::sql::SchemaInfo {
public:
    FakeSchema() {
        add("TA_CONFIGURACION", {{"Clave", ColumnKind::Text}, {"Grupo", ColumnKind::Text}, {"Valor", ColumnKind::Text}});
        add("t", {{"a", ColumnKind::Other}, {"Nombre", ColumnKind::Text}, {"Fecha", ColumnKind::Date}});
    }
    const std::vector<Column>* columnsOf(const QString& table) override {
        auto it = tables_.constFind(table.toUpper());
        return it == tables_.constEnd() ? nullptr : &*it;
    }

private:
    void add(const char* name, std::vector<Column> cols) { tables_.insert(QString::fromLatin1(name).toUpper(), std::move(cols)); }
    QHash<QString, std::vector<Column>> tables_;
};

struct RewriteCase {
    const char* input;
    const char* expected;
};

const RewriteCase kTypedRewrites[] = {
    // text columns keep the date text as written, by position too
    {"INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('FECHA', 'DATOS', '31/12/2026')",
     "INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('FECHA', 'DATOS', '31/12/2026')"},
    {"INSERT INTO dbo.TA_CONFIGURACION VALUES ('FECHA', 'DATOS', '31/12/26 10:30')",
     "INSERT INTO TA_CONFIGURACION VALUES ('FECHA', 'DATOS', '31/12/26 10:30')"},
    {"INSERT INTO t (a, Nombre, Fecha) VALUES (1, '31/12/26 10:30', '31/12/26 10:30'), (2, '01/01/2027', '01/01/2027')",
     "INSERT INTO t (a, Nombre, Fecha) VALUES (1, '31/12/26 10:30', '2026-12-31 10:30:00'), (2, '01/01/2027', "
     "'2027-01-01 00:00:00')"},
    {"SELECT Clave FROM TA_CONFIGURACION WHERE Valor = '31/12/2026'",
     "SELECT Clave FROM TA_CONFIGURACION WHERE Valor = '31/12/2026' COLLATE SRVTEXT"},
    {"SELECT Clave FROM TA_CONFIGURACION c WITH (NOLOCK) WHERE '31/12/2026' = c.[Valor]",
     "SELECT Clave FROM TA_CONFIGURACION c WHERE '31/12/2026' = c.[Valor]"},
    {"UPDATE TA_CONFIGURACION SET Valor = '31/12/2026' WHERE Clave = 'FECHA'",
     "UPDATE TA_CONFIGURACION SET Valor = '31/12/2026' COLLATE SRVTEXT WHERE Clave = 'FECHA' COLLATE SRVTEXT"},
    {"SELECT a FROM t WHERE Nombre BETWEEN '01/01/2026' AND '31/12/2026' AND Fecha NOT BETWEEN '01/01/2026' AND '31/12/2026'",
     "SELECT a FROM t WHERE Nombre BETWEEN '01/01/2026' AND '31/12/2026' AND Fecha NOT BETWEEN '2026-01-01 00:00:00' AND "
     "'2026-12-31 00:00:00'"},
    {"SELECT a FROM t WHERE Nombre IN ('31/12/2026', '01/01/2027') OR Fecha NOT IN ('31/12/2026')",
     "SELECT a FROM t WHERE Nombre IN ('31/12/2026', '01/01/2027') OR Fecha NOT IN ('2026-12-31 00:00:00')"},
    {"SELECT x.a FROM t x INNER JOIN TA_CONFIGURACION c ON c.Clave = x.Nombre WHERE x.Fecha > '31/12/2026' AND c.Valor <> "
     "'31/12/2026'",
     "SELECT x.a FROM t x INNER JOIN TA_CONFIGURACION c ON c.Clave = x.Nombre WHERE x.Fecha > '2026-12-31 00:00:00' AND "
     "c.Valor <> '31/12/2026' COLLATE SRVTEXT"},
    // where no column can be told the text is a date, as before
    {"SELECT DATEDIFF(day, '01/12/2026', Valor) FROM TA_CONFIGURACION",
     "SELECT DATEDIFF('day', '2026-12-01 00:00:00', Valor) FROM TA_CONFIGURACION"},
    {"SELECT a FROM Otra WHERE Valor = '31/12/2026'", "SELECT a FROM Otra WHERE Valor = '2026-12-31 00:00:00'"},
    {"IF NOT EXISTS (SELECT 1 FROM TA_CONFIGURACION WHERE Valor = '31/12/2026') INSERT INTO TA_CONFIGURACION (Clave, Valor) "
     "VALUES ('F', '31/12/2026')",
     "INSERT INTO TA_CONFIGURACION (Clave, Valor) SELECT 'F', '31/12/2026' WHERE NOT EXISTS (SELECT 1 FROM "
     "TA_CONFIGURACION WHERE Valor = '31/12/2026' COLLATE SRVTEXT)"},
    // exact numbers: text where kept, numbers where compared or sorted
    {"SELECT CONVERT(DECIMAL(18, 2), a), CAST(a AS MONEY) AS m FROM t WHERE CONVERT(decimal(18,2), a) > 10 "
     "ORDER BY Nombre, CAST(a AS NUMERIC(10,1))",
     "SELECT SRV_CONVERT('DECIMAL(18,2)', a), SRV_CONVERT('MONEY', a) AS m FROM t WHERE SRV_CONVERT_NUM('DECIMAL(18,2)', a) "
     "> 10 ORDER BY Nombre, SRV_CONVERT_NUM('NUMERIC(10,1)', a)"},
    // IN with an expression on the left compares as the server does; a
    // column keeps its own collation (and its index)
    {"SELECT a FROM t WHERE UPPER(Nombre) IN ('A', 'B') AND LTRIM(Nombre) NOT IN ('c') AND Nombre IN ('d')",
     "SELECT a FROM t WHERE UPPER(Nombre) COLLATE SRVTEXT IN ('A', 'B') AND LTRIM(Nombre) COLLATE SRVTEXT NOT IN ('c') "
     "AND Nombre IN ('d')"},
    {"SELECT a FROM t WHERE CASE WHEN a = 1 THEN Nombre END IN ('x')",
     "SELECT a FROM t WHERE CASE WHEN a = 1 THEN Nombre END COLLATE SRVTEXT IN ('x')"},
    // '+' and '-' by the operands' types
    {"SELECT 'A' + LTRIM(Nombre) + Nombre, Fecha + 1, Fecha - a * 2, Nombre + '1', a + 1 FROM t WHERE Fecha > GETDATE() - 30",
     "SELECT 'A' || LTRIM(Nombre) || Nombre, SRV_DATE_ADD(Fecha, 1, 1), SRV_DATE_ADD(Fecha, a * 2, -1), Nombre || '1', "
     "SRV_ADD(a, 1, 1) FROM t WHERE Fecha > SRV_DATE_ADD(GETDATE(), 30, -1)"},
    // the server's other date literals become dates where they meet one
    {"SELECT a FROM t WHERE Fecha >= '20261130' AND Nombre = '20261130' AND Fecha < '2026-12-01T08:30'",
     "SELECT a FROM t WHERE Fecha >= '2026-11-30 00:00:00' AND Nombre = '20261130' COLLATE SRVTEXT AND Fecha < "
     "'2026-12-01 08:30:00'"},
};

TEST(DialectTypes, RewriteWithTheSchema) {
    FakeSchema schema;
    for (const RewriteCase& c : kTypedRewrites) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(ado::sql::rewriteForSqlite(QString::fromUtf8(c.input), &schema).sql, QString::fromUtf8(c.expected));
    }
}

TEST(DialectTypes, DeclaredTypeKinds) {
    const std::pair<const char*, ColumnKind> cases[] = {
        {"VARCHAR(20)", ColumnKind::Text}, {"nvarchar(max)", ColumnKind::Text}, {"CHAR(4) COLLATE SRVTEXT", ColumnKind::Text},
        {"TEXT", ColumnKind::Text},        {"DATETIME", ColumnKind::Date},     {"smalldatetime", ColumnKind::Date},
        {"DATE", ColumnKind::Date},        {"DECIMAL(18,4)", ColumnKind::Other}, {"INT", ColumnKind::Other},
        {"", ColumnKind::Unknown},
    };
    for (const auto& [decl, kind] : cases) EXPECT_EQ(ado::sql::columnKindOfType(QString::fromLatin1(decl)), kind) << decl;
}

const char* kSchema =
    "CREATE TABLE TA_CONFIGURACION (Clave VARCHAR(30) COLLATE SRVTEXT, Grupo VARCHAR(30) COLLATE SRVTEXT, "
    "  Valor VARCHAR(255) COLLATE SRVTEXT);"
    "CREATE TABLE t (a INT, Nombre VARCHAR(20) COLLATE SRVTEXT, Fecha DATETIME, Importe DECIMAL(18,4));"
    "CREATE INDEX IX_t_Nombre ON t (Nombre);"
    "INSERT INTO t VALUES (1, 'Ñandú', '2026-12-31 00:00:00', 9.5);"
    "INSERT INTO t VALUES (2, 'ábaco  ', '2027-01-01 00:00:00', 10.25);"
    "INSERT INTO t VALUES (3, 'Abc', NULL, -5);"
    "CREATE TABLE X (V DATETIME);"
    "CREATE TABLE m (id INT, Precio MONEY, Cant NUMERIC(18,4), Codigo VARCHAR(3) COLLATE SRVTEXT, Alta DATETIME,"
    "  Nota VARCHAR(20) COLLATE SRVTEXT);"
    "INSERT INTO m VALUES (1, 3, 5, 'ab', '2026-11-10 00:00:00', 'x');"
    "INSERT INTO m VALUES (2, 12.5, 2.5, NULL, NULL, NULL);"
    "INSERT INTO m VALUES (3, 0, 7, 'xyz', '2026-11-30 10:00:00', '31/12/2026');"
    "INSERT INTO m VALUES (4, 3, 5, 'ab', '2026-11-10 00:00:00', 'y');"
    "CREATE TABLE n (id INT, N INT, D NUMERIC(5,2), Q NUMERIC(18,4), M MONEY, C CHAR(4) COLLATE SRVTEXT,"
    "  V VARCHAR(10) COLLATE SRVTEXT);"
    "INSERT INTO n VALUES (1, 0, 3.5, 2, 0, NULL, NULL);"
    "INSERT INTO n VALUES (2, 4, 1, 8, 0, NULL, NULL);";

class DialectTypesRun : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.file(QStringLiteral("TIPOS.sqlite"));
        createDatabase(path, QString::fromUtf8(kSchema), true);
        cnn = std::make_shared<ado::Connection>();
        cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=TIPOS;UId=x;Pwd=x;"));
    }
    Variant value(const QString& sql) { return firstValue(cnn, sql); }
    long count(const char* where) {
        return value(QStringLiteral("SELECT COUNT(*) FROM t WHERE ") + QString::fromUtf8(where)).toLong();
    }
    ProgramFolder folder;
    QString path;
    ado::ConnectionPtr cnn;
};

// Statements and the rows the server gives for them (values by "|", rows by
// ";"), each run after its set-up batch. m holds (id, Precio MONEY, Cant
// NUMERIC(18,4), Codigo VARCHAR(3), Alta DATETIME, Nota VARCHAR(20)):
// (1, 3, 5, 'ab', 10/11/2026, 'x'), (2, 12.5, 2.5, NULL, NULL, NULL),
// (3, 0, 7, 'xyz', 30/11/2026 10:00, '31/12/2026'), (4, 3, 5, 'ab', 10/11/2026, 'y').
struct ServerRows {
    const char* setup;
    const char* statement;
    const char* rows;
};
const ServerRows kServerRows[] = {
    // '+' joins texts wherever they stand, adds numbers, makes a text a number beside one
    {"", "SELECT 'A' + LTRIM(Codigo) + Nota, Nota + Codigo + 'z' FROM m ORDER BY id",
     "Aabx|xabz;NULL|NULL;Axyz31/12/2026|31/12/2026xyzz;Aaby|yabz"},
    {"", "SELECT '5' + 3, 2 + ' 5', 'a' + 'b', 1 + 2 + '3', '1' + '2', NULL + 'a'", "8|7|ab|6|12|NULL"},
    {"", "SELECT 2 * 3 + '4', '1' + '2' + 3, 10 - 2 + 1, Nota + 'z' + Nota, -id + 10, NULL + Nota + 'z' FROM m WHERE id = 1",
     "10|15|9|xzx|9|NULL"},
    // operands whose types the statement does not tell: their values decide
    {"", "SELECT q.c + q.n, q.i + 1, CONVERT(VARCHAR(10), q.f + 1, 103), q.i + q.c2, CONVERT(VARCHAR(19), q.f - q.f, 120) FROM (SELECT Codigo AS c, "
         "Nota AS n, id AS i, Alta AS f, '5' AS c2 FROM m WHERE id = 1) q",
     "abx|2|11/11/2026|6|1900-01-01 00:00:00"},
    // exact numbers divide with their fraction, integers as integers
    {"", "SELECT Cant / 2, Precio / 2, id / 2, SUM(Cant) / COUNT(*) FROM m GROUP BY id, Cant, Precio ORDER BY id",
     "2.5|1.5|0|5;1.25|6.25|1|2.5;3.5|0|1|7;2.5|1.5|2|5"},
    {"", "SELECT id / Cant, Precio / Cant, Cant * 2 / 4, (Cant + 1) / 2, (id + 4) / 2 FROM m WHERE id = 1", "0.2|0.6|2.5|3|2"},
    // a date and a number: days
    {"", "SELECT CONVERT(VARCHAR(19), Alta + 1, 120), CONVERT(VARCHAR(19), Alta - 0.5, 120) FROM m WHERE id < 4 ORDER BY id",
     "2026-11-11 00:00:00|2026-11-09 12:00:00;NULL|NULL;2026-12-01 10:00:00|2026-11-29 22:00:00"},
    {"", "SELECT id FROM m WHERE Alta >= CONVERT(DATETIME, '01/12/2026') - 5 OR Alta + 20 < '01/12/2026'", "1;3;4"},
    {"", "SELECT id FROM m WHERE CONVERT(DATETIME, '01/12/2026') - Alta > 20 AND id < 10", "1;4"},
    {"", "SELECT CONVERT(VARCHAR(10), Alta + id, 103), CONVERT(VARCHAR(10), 1 + Alta, 103) FROM m WHERE id = 3",
     "03/12/2026|01/12/2026"},
    // day-first texts meeting no date column stay texts
    {"INSERT INTO TA_CONFIGURACION (Clave, Valor) SELECT 'F2', '31/12/2026'",
     "SELECT Nota + '01/02/2026', (SELECT Valor FROM TA_CONFIGURACION WHERE Clave = 'F2') FROM m WHERE LTRIM(Nota) = '31/12/2026'",
     "31/12/202601/02/2026|31/12/2026"},
    // the server's other date literals into and against a date column, the
    // dashed one without its 'T' year, day, month under SET DATEFORMAT dmy
    {"INSERT INTO m (id, Alta) VALUES (10, '20261130')\rINSERT INTO m (id, Alta) VALUES (11, '2026-30-11')\r"
     "INSERT INTO m (id, Alta) VALUES (12, '2026-11-29T23:59:59')",
     "SELECT id, CONVERT(VARCHAR(19), Alta, 120) FROM m WHERE id >= 10 AND Alta >= '30/11/2026' AND Alta < '2026-01-12' "
     "ORDER BY Alta, id",
     "10|2026-11-30 00:00:00;11|2026-11-30 00:00:00"},
    // ISNULL takes the type and length of its first argument
    {"", "SELECT ISNULL(Codigo, 'abcdef'), ISNULL(CASE WHEN id = 2 THEN NULL ELSE id END, 2.7), ISNULL(Nota, 5) FROM m "
         "WHERE id < 4 ORDER BY id",
     "ab|1|x;abc|2|5;xyz|3|31/12/2026"},
    {"", "SELECT ISNULL(CASE WHEN id = 2 THEN NULL ELSE Precio END, 1.23456), ISNULL(Codigo, 'x' + 'yzw') FROM m "
         "WHERE id IN (2, 3) ORDER BY id",
     "1.2346|xyz;0|xyz"},
    // TOP n PERCENT rounds up, WITH TIES adds the rows tied with the last
    {"", "SELECT TOP 50 PERCENT id FROM m WHERE id < 5 ORDER BY id", "1;2"},
    {"", "SELECT TOP 26 PERCENT id FROM m WHERE id < 5 ORDER BY id DESC", "4;3"},
    {"", "SELECT TOP 2 WITH TIES Cant FROM m WHERE id < 5 ORDER BY Cant DESC", "7;5;5"},
    {"", "SELECT TOP 1 WITH TIES Codigo FROM m WHERE id <> 2 AND id < 5 ORDER BY Codigo", "ab;ab"},
    // TOP on one SELECT of a UNION limits that SELECT only
    {"", "SELECT TOP 1 id FROM m UNION ALL SELECT a FROM t", "1;1;2;3"},
    {"", "SELECT a FROM t WHERE a = 3 UNION ALL SELECT TOP 2 id FROM m", "3;1;2"},
    // a UNION's column has the type of highest precedence of its SELECTs
    {"", "SELECT id FROM m WHERE id = 2 UNION ALL SELECT Precio FROM m WHERE id = 2", "2;12.5"},
    {"", "SELECT id FROM m WHERE id = 2 UNION SELECT Cant FROM m WHERE id = 2 ORDER BY 1", "2;2.5"},
    {"", "SELECT CONVERT(VARCHAR(5), id) FROM m WHERE id = 2 UNION ALL SELECT CAST(1.25 AS DECIMAL(5,2)) FROM m WHERE id = 2",
     "2;1.25"},
    // conversions to text: 30 characters without a length, exact numbers with their scale
    {"", "SELECT LEN(CONVERT(VARCHAR, REPLICATE('x', 40))), LEN(CAST(REPLICATE('x', 40) AS VARCHAR)), CONVERT(VARCHAR(3), "
         "'abcdef'), CAST('abcdef' AS CHAR(2))",
     "30|30|abc|ab"},
    {"", "SELECT CONVERT(CHAR(5), 'ab') + '|', CAST(Codigo AS CHAR(4)) + '|' FROM m WHERE id = 1", "ab   ||ab  |"},
    // a CAST's argument is rewritten as any other expression
    {"", "SELECT CAST(Cant / 2 AS VARCHAR(20)), CAST(Cant / 2 AS DECIMAL(10,2)), CAST(ISNULL(Codigo, 'abcdefgh') AS VARCHAR(10)) "
         "FROM m WHERE id = 1",
     "2.500000000000000|2.5|ab"},
    // an exact product or quotient has the server's scale, a quotient cut to it
    {"", "SELECT 1 / 3.0, (1 / 3.0) * 3, 2 / 3.0, 7 / 2, CONVERT(VARCHAR, 10 / 4.00 / 2)",
     "0.333333|0.999999|0.666666|3|1.25000000000000000"},
    // past fifteen digits: (Q + 5) / 3 is NUMERIC(30,15), M + 0.001 DECIMAL(20,4), -Q / 7 * 2 NUMERIC(38,13)
    {"UPDATE n SET Q = 5, M = 12.5 WHERE id = 2",
     "SELECT CONVERT(VARCHAR(40), (Q + 5) / 3), CONVERT(VARCHAR(40), M + 0.001), (Q + 5) / 3, M + 0.001, "
     "CONVERT(VARCHAR(40), (Q - 3) / 7), CONVERT(VARCHAR(40), -Q / 7 * 2), CONVERT(VARCHAR, M + 1), CONVERT(VARCHAR, M - Q) "
     "FROM n WHERE id = 2",
     "3.333333333333333|12.5010|3.333333333333333|12.501|0.285714285714285|-1.4285714285714|13.50|7.5000"},
    {"", "SELECT id FROM n WHERE (Q + 5) / 3 > 3.3333333 AND Q / 3 < 1.7 ORDER BY Q / 7 DESC", "2"},
    {"", "SELECT CONVERT(VARCHAR, Cant * 2), CAST(Precio * 1.5 AS VARCHAR(20)) FROM m WHERE id IN (1, 2) ORDER BY id",
     "10.0000|4.50000;5.0000|18.75000"},
    {"", "SELECT CONVERT(VARCHAR, Precio), CONVERT(VARCHAR(20), Cant), CAST(Cant AS VARCHAR(10)), CONVERT(VARCHAR, 5.10), "
         "CONVERT(VARCHAR, Precio, 2), CONVERT(VARCHAR(20), CONVERT(MONEY, -1234567.5), 1) FROM m WHERE id < 4 ORDER BY id",
     "3.00|5.0000|5.0000|5.10|3.0000|-1,234,567.50;12.50|2.5000|2.5000|5.10|12.5000|-1,234,567.50;"
     "0.00|7.0000|7.0000|5.10|0.0000|-1,234,567.50"},
    {"", "SELECT CONVERT(VARCHAR, FLOOR(Cant)), CONVERT(VARCHAR, CEILING(Cant)), CONVERT(VARCHAR, SUM(Cant)), "
         "CONVERT(VARCHAR, AVG(Cant)), CONVERT(VARCHAR, MAX(Precio)) FROM m WHERE id = 2 GROUP BY Cant",
     "2|3|2.5000|2.500000|12.50"},
    // an exact number in LIKE is matched as its text, with the scale of its type
    {"", "SELECT id FROM m WHERE Precio LIKE '%.50%'", "2"},
    {"", "SELECT id FROM m WHERE Precio NOT LIKE '%.00' AND Cant LIKE '2.5000'", "2"},
    {"", "SELECT id FROM m WHERE id = 2 AND CONVERT(MONEY, 1234.5) LIKE '%.50%'", "2"},
    // a date in a text without a style is style 0
    {"", "SELECT CAST(Alta AS VARCHAR(20)), CONVERT(VARCHAR, DATEADD(hh, 10, Alta)) + '|' FROM m WHERE id = 1",
     "Nov 10 2026 12:00AM|Nov 10 2026 10:00AM|"},
    {"", "SELECT CAST(Alta AS VARCHAR(20)) FROM m WHERE id = 3", "Nov 30 2026 10:00AM"},
    {"", "SELECT CONVERT(VARCHAR(20), CONVERT(DATETIME, '01/03/2024 13:05'))", "Mar  1 2024  1:05PM"},
    {"", "SELECT CAST(CONVERT(DATETIME, '29/02/2024 10:30') AS VARCHAR(20)), CAST(CAST('20240301' AS DATETIME) AS VARCHAR(20))",
     "Feb 29 2024 10:30AM|Mar  1 2024 12:00AM"},
    // SUBSTRING counts the positions before the first character
    {"", "SELECT SUBSTRING('abcdef', 0, 3), SUBSTRING('abcdef', -1, 3), SUBSTRING('abcdef', 2, 3), SUBSTRING('abc', -5, 3)",
     "ab|a|bcd|"},
    // a style formats dates only
    {"", "SELECT CONVERT(VARCHAR(10), '2026-11-10', 103), CONVERT(VARCHAR(10), Alta, 103), CONVERT(VARCHAR(10), '20261110', 103) "
         "FROM m WHERE id = 3",
     "2026-11-10|30/11/2026|20261110"},
    // exact columns keep what they were given: rounded to their scale on writing
    {"INSERT INTO n (id, Q, M) VALUES (3, 1.234567, 3.33333333333333)\rINSERT INTO n (id, Q, M) VALUES (4, 2.00005, "
     "3.33333333333333)\rINSERT INTO n (id, M) VALUES (5, 3.33333333333333)",
     "SELECT SUM(M), COUNT(*), MIN(Q), MAX(Q) FROM n WHERE M = 3.3333", "9.9999|3|1.2346|2.0001"},
    // a fixed-length text comes with its blanks; trailing blanks past a text's length are cut
    {"UPDATE n SET C = 'UN', V = '1234567890   ' WHERE id = 1",
     "SELECT C + '|', LEN(C + 'x'), C, 'x' + C + V + '|', V + '|' FROM n WHERE C = 'UN'", "UN  ||5|UN  |xUN  1234567890||1234567890|"},
    // a nullable column added with a default leaves the rows there Null; a NOT NULL one fills them
    {"ALTER TABLE m ADD Extra INT NULL CONSTRAINT DF_m_Extra DEFAULT (7)\rALTER TABLE m ADD Otro INT NOT NULL DEFAULT (4)\r"
     "INSERT INTO m (id) VALUES (20)",
     "SELECT id, Extra, Otro FROM m WHERE id IN (1, 20) ORDER BY id", "1|NULL|4;20|7|4"},
    // a two-digit year in a statement's text by the server's cutoff (2049): 30-49 are 2030-2049
    {"INSERT INTO t (a, Fecha) VALUES (4, '10/02/2026')\rINSERT INTO t (a, Fecha) VALUES (5, '30/06/31 08:30')",
     "SELECT a, CONVERT(VARCHAR(16), Fecha, 120) FROM t WHERE a > 3 AND Fecha < '01/01/35' ORDER BY a",
     "4|2026-02-10 00:00;5|2031-06-30 08:30"},
    {"", "SELECT a FROM t WHERE a > 3 AND Fecha >= '01/01/30'", "5"},
    {"", "SELECT COUNT(*), SUM(CASE WHEN Fecha >= DATEADD(yy, 1, '01/01/49') THEN 1 ELSE 0 END) FROM t WHERE a > 3 AND Fecha < '01/01/50'",
     "0|NULL"},
};

QString rowsOf(const std::shared_ptr<ado::Recordset>& rs) {
    QStringList rows;
    for (; !rs->Eof(); rs->MoveNext()) {
        QStringList values;
        for (int i = 0; i < rs->Fields().Count(); ++i) {
            const Variant v = rs->Fields(i).Value();
            values << (v.IsNull() ? QStringLiteral("NULL") : v.VarType() == legacy::vbString ? v.toString() : v.toDecimal().toString());
        }
        rows << values.join(u'|');
    }
    return rows.join(u';');
}

TEST_F(DialectTypesRun, RowsAsTheServerGivesThem) {
    for (const ServerRows& c : kServerRows) {
        SCOPED_TRACE(c.statement);
        if (*c.setup) cnn->Execute(QString::fromUtf8(c.setup));
        auto rs = std::make_shared<ado::Recordset>();
        const auto e = errorOf([&] {
            rs->Open(QString::fromUtf8(c.statement), cnn, ado::adOpenStatic, ado::adLockReadOnly);
            EXPECT_EQ(rowsOf(rs), QString::fromUtf8(c.rows));
        });
        EXPECT_EQ(e.Number, 0) << e.Description.toStdString();
    }
    // what the server refuses, and what the engine cannot give as the server does
    for (const char* refused : {"SELECT '5.5' + 3", "SELECT 'a' - 'b'", "SELECT Codigo - 1 FROM m",
                                "SELECT SUBSTRING('abc', 1, -1)", "SELECT CONVERT(VARCHAR(4), Precio) FROM m WHERE id = 2", "SELECT CAST(Precio AS VARCHAR(4)) FROM m WHERE id = 2", "SELECT TOP 1 WITH TIES id FROM m",
                                "SELECT a FROM t UNION SELECT TOP 1 id FROM m ORDER BY 1",
                                "SELECT TOP 10 PERCENT WITH TIES id FROM m ORDER BY id", "SELECT TOP 1 WITH TIES id FROM m ORDER BY 1"}) {
        SCOPED_TRACE(refused);
        EXPECT_NE(errorOf([&] { value(QString::fromUtf8(refused)); }).Number, 0);
    }
    // constructs the program never sends, refused by name and leaving the data as it was
    for (const char* never : {"SELECT @@ROWCOUNT",
                              "IF EXISTS (SELECT 1 FROM m) UPDATE m SET id = 9 WHERE id = 3 ELSE UPDATE m SET id = 8 WHERE id = 3",
                              "UPDATE m SET id = 9 FROM m INNER JOIN t ON t.a = m.id WHERE m.id = 3",
                              "DELETE m FROM m INNER JOIN t ON t.a = m.id", "DELETE FROM m FROM m, t WHERE t.a = m.id",
                              "SELECT id INTO #m FROM m", "SET DATEFORMAT mdy"}) {
        SCOPED_TRACE(never);
        EXPECT_TRUE(errorOf([&] { cnn->Execute(QString::fromUtf8(never)); }).Description.startsWith(
            QStringLiteral("La base de datos local no puede dar el resultado del servidor para:")));
    }
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM m WHERE id = 3")).toLong(), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM m WHERE CASE WHEN id = 3 THEN 1 ELSE 0 END = 1")).toLong(), 1);
}

// What the server refuses while a statement runs, by its own number, leaving
// every row as it was (a batch with its own transaction undone whole). n
// holds (id, N INT, D NUMERIC(5,2), Q NUMERIC(18,4), M MONEY): (1, 0, 3.5,
// 2, 0), (2, 4, 1, 8, 0).
TEST_F(DialectTypesRun, RunTimeErrorsAreTheServersAndWriteNothing) {
    struct C { const char* sql; int native; };
    const C cases[] = {
        {"SELECT id / 0 FROM m", 8134},
        {"SELECT Q / N FROM n", 8134},
        {"SELECT 7 % (N * 2) FROM n", 8134},
        {"UPDATE n SET Q = 1.0 / N", 8134},
        {"BEGIN TRANSACTION\rUPDATE n SET N = 800 WHERE id = 2\rUPDATE n SET D = Q / N\rCOMMIT TRANSACTION", 8134},
        {"SELECT 2147483647 + 1", 8115},
        {"SELECT N * 2147483647 FROM n", 8115},
        {"SELECT -2147483647 - id - 1 FROM m", 8115},
        {"UPDATE n SET N = N + 2147483645", 8115},
        {"SELECT CAST('x' AS INT)", 245},
        {"SELECT CONVERT(INT, '5.5')", 245},
        {"SELECT 'abc' + 1", 245},
        {"INSERT INTO n (id, D) VALUES (9, 1234.5)", 8115},
        {"INSERT INTO n (id, D) VALUES (9, 999.995)", 8115},
        {"UPDATE n SET D = D * 1000", 8115},
        {"UPDATE n SET D = -999.995 WHERE id = 2", 8115},
        // a date out of range: '2026-11-20' is day 11 of month 20 under dmy
        {"UPDATE m SET Alta = '2026-11-20' WHERE id = 1", 242},
        {"SELECT id FROM m WHERE Alta < '2026-11-20 07:00:00'", 242},
        {"SELECT DATEADD(day, 1, '2026-11-20')", 242},
        {"INSERT INTO m (id, Alta) VALUES (9, '31/02/2026')", 242},
    };
    const auto rows = [&] {
        auto rs = std::make_shared<ado::Recordset>();
        rs->Open(QStringLiteral("SELECT id, N, D, Q, M FROM n ORDER BY id"), cnn, ado::adOpenStatic, ado::adLockReadOnly);
        return rowsOf(rs);
    };
    const QString before = rows();
    EXPECT_EQ(before, QStringLiteral("1|0|3.5|2|0;2|4|1|8|0"));
    for (const C& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_NE(errorOf([&] { cnn->Execute(QString::fromUtf8(c.sql)); }).Number, 0);
        EXPECT_EQ(cnn->Errors().Count() ? cnn->Errors()(0).NativeError : 0, c.native);
        EXPECT_EQ(rows(), before);
    }
    // what fits is stored, rounded to the column's scale, by a statement and by a recordset alike
    cnn->Execute(QStringLiteral("UPDATE n SET D = 999.994, N = 2147483647 - 1 + 1 WHERE id = 1"));
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT id, Q, M FROM n WHERE id = 2"), cnn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs->Fields(QStringLiteral("Q")).setValue(Variant(0.00005));
    rs->Fields(QStringLiteral("M")).setValue(Variant(12.34567));
    rs->Update();
    EXPECT_EQ(rows(), QStringLiteral("1|2147483647|999.99|2|0;2|4|1|0.0001|12.3457"));
    // seeded: thousandths into NUMERIC(5,2), rounded half away from zero to
    // hundredths, refused from 1000.00 on either side
    std::mt19937 gen(46);
    std::uniform_int_distribution<int> thousandths(-1000500, 1000500);
    for (int k = 0; k < 150; ++k) {
        const int x = k < 4 ? std::array{999995, -999995, 999994, 5}[size_t(k)] : thousandths(gen);
        const QString literal = QStringLiteral("%1%2.%3").arg(x < 0 ? "-" : "").arg(std::abs(x) / 1000).arg(std::abs(x) % 1000, 3, 10, QChar(u'0'));
        const int hundredths = (std::abs(x) + 5) / 10 * (x < 0 ? -1 : 1);
        SCOPED_TRACE(literal.toStdString());
        const auto e = errorOf([&] { cnn->Execute(QStringLiteral("UPDATE n SET D = %1 WHERE id = 2").arg(literal)); });
        EXPECT_EQ(e.Number != 0, std::abs(hundredths) >= 100000);
        if (e.Number == 0)
            EXPECT_EQ(value(QStringLiteral("SELECT D FROM n WHERE id = 2")).toDecimal().toString(),
                      legacy::Decimal::parse(QString::number(hundredths / 100.0, 'f', 2))->toString());
    }
}

// The server checks the values a statement writes, not the whole row: values
// beyond their columns, stored by another program, block no update of other
// columns, and are refused once a statement writes them. n holds (id, N, D
// NUMERIC(5,2), Q NUMERIC(18,4), M MONEY, C CHAR(4), V VARCHAR(10)).
TEST_F(DialectTypesRun, AWriteChecksOnlyTheColumnsItSets) {
    cnn->Execute(QStringLiteral("UPDATE n SET Q = 1 WHERE id = 1"));  // the checks are made for n
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE n SET M = 1000000000000000000, V = 'demasiado largo', D = 1234.567 WHERE id = 1",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    struct C { const char* sql; int native; const char* row; };
    const C cases[] = {
        {"UPDATE n SET C = 'propia' WHERE id = 1", 8152, "0|1234.57|1|1000000000000000000.00|NULL|demasiado largo"},
        {"UPDATE n SET C = 'prop', Q = 2.00005 WHERE id = 1", 0, "0|1234.57|2.0001|1000000000000000000.00|prop|demasiado largo"},
        {"UPDATE n SET M = M WHERE id = 1", 0, "0|1234.57|2.0001|1000000000000000000.00|prop|demasiado largo"},
        {"UPDATE n SET M = M + 1 WHERE id = 1", 8115, "0|1234.57|2.0001|1000000000000000000.00|prop|demasiado largo"},
        {"UPDATE n SET D = D + 0.001 WHERE id = 1", 8115, "0|1234.57|2.0001|1000000000000000000.00|prop|demasiado largo"},
        {"UPDATE n SET V = V + 'x' WHERE id = 1", 8152, "0|1234.57|2.0001|1000000000000000000.00|prop|demasiado largo"},
        {"UPDATE n SET V = 'corto   ' + '     ', M = 12.34567 WHERE id = 1", 0, "0|1234.57|2.0001|12.35|prop|corto"},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.sql);
        const auto e = errorOf([&] { cnn->Execute(QString::fromUtf8(c.sql)); });
        EXPECT_EQ(e.Number != 0 && cnn->Errors().Count() ? cnn->Errors()(0).NativeError : 0, c.native);
        auto rs = std::make_shared<ado::Recordset>();
        rs->Open(QStringLiteral("SELECT N, CONVERT(VARCHAR(30), D), Q, CONVERT(VARCHAR(30), M), RTRIM(C), RTRIM(V) FROM n WHERE id = 1"), cnn, ado::adOpenStatic, ado::adLockReadOnly);
        EXPECT_EQ(rowsOf(rs), QString::fromUtf8(c.row));
    }
    // a new row is checked whole
    EXPECT_NE(errorOf([&] { cnn->Execute(QStringLiteral("INSERT INTO n (id, M) VALUES (9, 1000000000000000000)")); }).Number, 0);
}

TEST_F(DialectTypesRun, DateTextInATextColumnStaysTextAndIsFoundAgain) {
    cnn->Execute(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('FECHA', 'DATOS', '31/12/2026')"));
    EXPECT_EQ(value(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = 'FECHA'")).toString(),
              QStringLiteral("31/12/2026"));
    EXPECT_EQ(value(QStringLiteral("SELECT Clave FROM TA_CONFIGURACION WHERE Valor = '31/12/2026'")).toString(),
              QStringLiteral("FECHA"));
    // a date column still reads the same text as a date
    EXPECT_EQ(count("Fecha = '31/12/2026'"), 1);
    EXPECT_EQ(count("Fecha BETWEEN '31/12/26' AND '01/01/2027 00:00'"), 2);
}

TEST_F(DialectTypesRun, CachedRewritesFollowSchemaChanges) {
    const QString insert = QStringLiteral("INSERT INTO X (V) VALUES ('31/12/2026')");
    const QString select = QStringLiteral("SELECT V FROM X");
    cnn->Execute(insert);
    EXPECT_EQ(value(select).VarType(), legacy::vbDate);
    // the same statement text after the column became text, by this connection
    const auto e = errorOf([&] { cnn->Execute(QStringLiteral("DROP TABLE X\rCREATE TABLE X (V VARCHAR(20) COLLATE SRVTEXT)\r") + insert); });
    ASSERT_EQ(e.Number, 0) << e.Description.toStdString();
    EXPECT_EQ(value(select).toString(), QStringLiteral("31/12/2026"));
    // ... and back to a date column, by another connection
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DROP TABLE X; CREATE TABLE X (V DATETIME)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    cnn->Execute(insert);
    EXPECT_EQ(value(select).VarType(), legacy::vbDate);
    // ... and a change undone within the batch leaves the date column
    cnn->Execute(QStringLiteral("DELETE FROM X\rBEGIN TRANSACTION\rDROP TABLE X\rCREATE TABLE X (V VARCHAR(20))\r") + insert +
                 QStringLiteral("\rROLLBACK TRANSACTION\r") + insert);
    EXPECT_EQ(value(select).VarType(), legacy::vbDate);
}

// The length checks stay while the main schema stays (a temporary table, a
// transaction) and are made anew for a column another connection widened.
TEST_F(DialectTypesRun, LengthChecksFollowTheMainSchema) {
    const auto refused = [&](int length) {
        const QString update = QStringLiteral("UPDATE t SET Nombre = '%1' WHERE a = 3").arg(QString(length, u'x'));
        return errorOf([&] { cnn->Execute(update); }).Number == ado::kErrTruncation;
    };
    EXPECT_TRUE(refused(21));
    cnn->Execute(QStringLiteral("CREATE TEMP TABLE Y (c INT)"));
    EXPECT_TRUE(refused(21));
    cnn->Execute(QStringLiteral("BEGIN TRANSACTION"));
    EXPECT_EQ(count("a = 3"), 1);
    EXPECT_TRUE(refused(21));
    cnn->Execute(QStringLiteral("COMMIT TRANSACTION"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DROP TABLE t; CREATE TABLE t (a INT, Nombre VARCHAR(30)); INSERT INTO t (a) VALUES (3)",
                           nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_FALSE(refused(21));
    EXPECT_TRUE(refused(31));
}

TEST_F(DialectTypesRun, ConversionsToExactNumbersAreExact) {
    struct C { const char* expr; const char* expected; int type; };
    const C cases[] = {
        {"CONVERT(DECIMAL(18,2), '2.675')", "2.68", ado::adNumeric},  // through double: 2.67
        {"CONVERT(DECIMAL(18,2), '-2.675')", "-2.68", ado::adNumeric},
        {"CAST('1.005' AS DECIMAL(10,2))", "1.01", ado::adNumeric},
        {"CONVERT(NUMERIC(28,4), '123456789012345.6789')", "123456789012345.6789", ado::adNumeric},
        {"CONVERT(DECIMAL, '12.5')", "13", ado::adNumeric},
        {"CONVERT(DECIMAL(18,2), 0.125)", "0.13", ado::adNumeric},
        {"CONVERT(DECIMAL(18,2), 7)", "7", ado::adNumeric},
        {"CONVERT(DECIMAL(18,2), '-0.004')", "0", ado::adNumeric},
        {"CONVERT(DECIMAL(18,3), '1.5e2')", "150", ado::adNumeric},
        {"CAST('  1234.56785 ' AS MONEY)", "1234.5679", ado::adCurrency},
        {"CONVERT(MONEY, '')", "0", ado::adCurrency},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.expr);
        auto rs = std::make_shared<ado::Recordset>();
        rs->Open(QStringLiteral("SELECT ") + QString::fromUtf8(c.expr) + QStringLiteral(" AS v"), cnn, ado::adOpenStatic,
                 ado::adLockReadOnly);
        EXPECT_EQ(rs->Fields(0).Type(), c.type);
        EXPECT_EQ(rs->Fields(0).Value().toDecimal().toString(), QString::fromUtf8(c.expected));
    }
    for (const char* bad : {"CONVERT(DECIMAL(5,2), '1234.5')", "CONVERT(DECIMAL(18,2), 'abc')", "CAST('1,5' AS MONEY)"}) {
        SCOPED_TRACE(bad);
        EXPECT_NE(errorOf([&] { value(QStringLiteral("SELECT ") + QString::fromUtf8(bad)); }).Number, 0);
    }
    // compared and sorted as numbers, not as texts
    EXPECT_EQ(count("CONVERT(DECIMAL(18,2), Importe) > 0"), 2);
    EXPECT_EQ(count("CAST(Importe AS DECIMAL(18,1)) BETWEEN 9 AND 10"), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT TOP 1 a FROM t ORDER BY CONVERT(DECIMAL(18,2), Importe) DESC")).toLong(), 2);
    // and added up as numbers
    EXPECT_EQ(value(QStringLiteral("SELECT SUM(CONVERT(DECIMAL(18,2), Importe)) * 2 FROM t")).toDecimal().toString(),
              QStringLiteral("29.5"));
    // and kept exact when stored into a text column
    cnn->Execute(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Valor) SELECT 'TOTAL', CONVERT(DECIMAL(18,2), '12.5')"));
    EXPECT_EQ(value(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = 'TOTAL'")).toString(),
              QStringLiteral("12.50"));
}

TEST_F(DialectTypesRun, InListsAndLikeCompareAsTheServer) {
    struct C { const char* where; long expected; };
    const C cases[] = {
        {"UPPER(Nombre) IN ('abc', 'x')", 1},
        {"LTRIM(Nombre) IN ('ÁBACO')", 1},
        {"LTRIM(Nombre) NOT IN ('ÑANDÚ', 'abc')", 1},
        {"Nombre IN ('ñandú', 'ABC  ')", 2},
        {"Nombre LIKE '%ÑAN%'", 1},
        {"LTRIM(Nombre) LIKE 'ÁBACO'", 1},    // the text's trailing blanks do not count
        {"Nombre LIKE 'abc '", 0},            // the pattern's do
        {"Nombre LIKE 'ábaco '", 1},          // and match the text's own
        {"Nombre LIKE '% '", 1},
        {"Nombre LIKE '%o  %'", 1},
        {"Nombre LIKE '%o   %'", 0},
        {"'A1 ' LIKE 'a1 '", 3},
        {"'A1 ' LIKE '%1 %'", 3},
        {"'A1' LIKE '%1 %'", 0},
        {"Nombre LIKE '[a-b]%'", 2},          // "á" falls between "a" and "b"
        {"Nombre LIKE '[abc]%'", 1},
        {"Nombre LIKE '[^a]%'", 2},           // "á" is not "a"
        {"Nombre LIKE '_b_'", 1},
        {"Nombre + '%' LIKE 'abc!%' ESCAPE '!'", 1},
        {"Nombre NOT LIKE '%Ú'", 2},
        {"NULL LIKE '%'", 0},
        // an expression compared with an expression, a literal before an expression
        {"LTRIM(Nombre) = UPPER(Nombre)", 3},
        {"'ABC' = LTRIM(Nombre)", 1},
        {"LTRIM(Nombre) BETWEEN 'a' AND 'b'", 2},
        {"Nombre BETWEEN 'A' AND 'Z'", 3},
        {"(SELECT MIN(Nombre) FROM t) = 'ÁBACO'", 3},
        {"LTRIM(Nombre) IS UPPER(Nombre)", 3},
        {"CASE LTRIM(Nombre) WHEN 'abc' THEN 1 ELSE 0 END = 1", 1},
        {"NULLIF(LTRIM(Nombre), 'ÁBACO') IS NULL", 1},
    };
    for (const C& c : cases) EXPECT_EQ(count(c.where), c.expected) << c.where;
}

// Statements and the rows the server gives for them: "|" between values,
// ";" between rows. An expression's column has one type for all its rows,
// whatever its first row holds; texts compare, group and sort by the text
// collation also where they are expressions; accented letters sort with
// their plain letter and "ñ" after "n".
TEST_F(DialectTypesRun, ExpressionsTypeCompareAndSortAsTheServer) {
    cnn->Execute(QStringLiteral(
        "CREATE TABLE S (Orden INT, saldo DECIMAL(18,4), Codigo VARCHAR(10) COLLATE SRVTEXT)\r"
        "INSERT INTO S VALUES (1, 5, 'x')\rINSERT INTO S VALUES (2, 2.5, 'X  ')\r"
        "INSERT INTO S VALUES (3, NULL, ' x')\rINSERT INTO S VALUES (4, 7, 'y')\r"
        "CREATE TABLE W (p VARCHAR(20) COLLATE SRVTEXT)\rCREATE INDEX IX_W_p ON W (p)\r"
        "INSERT INTO W VALUES ('Zapato')\rINSERT INTO W VALUES ('oso')\rINSERT INTO W VALUES ('Ñandú')\r"
        "INSERT INTO W VALUES ('nube')\rINSERT INTO W VALUES ('Abeja')\rINSERT INTO W VALUES ('Ábaco')\r"
        "CREATE TABLE V (p VARCHAR(20) COLLATE SRVTEXT)\rCREATE INDEX IX_V_p ON V (p)\r"
        "INSERT INTO V VALUES ('PINTURA')\rINSERT INTO V VALUES ('PINT-LATEX-20')\rINSERT INTO V VALUES ('PINTA')"));
    struct C { const char* sql; const char* rows; };
    const C cases[] = {
        {"SELECT isnull(S.saldo,0) as disponible FROM S ORDER BY Orden", "5;2.5;0;7"},
        // the same shape again and again: its statement prepared once, its rows typed each time
        {"SELECT isnull(saldo,0) FROM S WHERE Codigo <> 'y' ORDER BY Orden", "5;2.5;0"},
        {"SELECT isnull(saldo,0) FROM S WHERE Codigo <> 'x' ORDER BY Orden", "0;7"},
        {"SELECT isnull(saldo,0) FROM S WHERE Codigo <> 'z' ORDER BY Orden", "5;2.5;0;7"},
        {"SELECT SUM(saldo) FROM S GROUP BY Orden ORDER BY Orden", "5;2.5;NULL;7"},
        {"SELECT CASE WHEN Orden = 1 THEN 5 ELSE saldo END FROM S ORDER BY Orden", "5;2.5;NULL;7"},
        {"SELECT (SELECT s2.saldo FROM S s2 WHERE s2.Orden = S.Orden) FROM S ORDER BY Orden", "5;2.5;NULL;7"},
        {"SELECT COUNT(*) FROM S a, S b WHERE LTRIM(a.Codigo) = LTRIM(b.Codigo) AND a.Orden = 1", "3"},
        {"SELECT COUNT(*) FROM S GROUP BY LTRIM(Codigo) ORDER BY 1", "1;3"},
        {"SELECT DISTINCT UPPER(LTRIM(Codigo)) FROM S ORDER BY 1", "X;Y"},
        {"SELECT COUNT(*) FROM (SELECT DISTINCT LTRIM(Codigo) AS c FROM S) d", "2"},
        {"SELECT COUNT(DISTINCT LTRIM(Codigo)) FROM S", "2"},
        {"SELECT COUNT(*) FROM (SELECT LTRIM(Codigo) FROM S WHERE Orden = 3 UNION SELECT UPPER(Codigo) FROM S) u", "3"},
        {"SELECT p FROM W ORDER BY p", "Ábaco;Abeja;nube;Ñandú;oso;Zapato"},
        {"SELECT LTRIM(p) AS q FROM W ORDER BY q DESC", "Zapato;oso;Ñandú;nube;Abeja;Ábaco"},
        {"SELECT MIN(p), MAX(LTRIM(p)) FROM W", "Ábaco|Zapato"},
        {"SELECT p FROM W WHERE p >= 'N' AND p < 'O' ORDER BY p", "nube;Ñandú"},
        {"SELECT p FROM W WHERE p LIKE '[n-o]%' ORDER BY p", "nube;Ñandú;oso"},
        {"SELECT COUNT(*) FROM W WHERE p < 'B'", "2"},
        {"SELECT COUNT(*) FROM W WHERE p = 'abaco' OR p = 'ÑANDU'", "0"},
        {"SELECT COUNT(*) FROM W WHERE p = 'ÁBACO  ' OR RTRIM(p) + ' ' = 'ñandú'", "2"},
        // a hyphen and an apostrophe count only between texts otherwise the same
        {"SELECT p FROM V ORDER BY p", "PINTA;PINT-LATEX-20;PINTURA"},
        {"SELECT MAX(p) FROM V WHERE p <> 'PINTURA'", "PINT-LATEX-20"},
        {"SELECT p FROM V WHERE p > 'PINTB' ORDER BY p", "PINT-LATEX-20;PINTURA"},
        {"SELECT x FROM (SELECT 'Pint-Latex' x UNION ALL SELECT 'Pinta' UNION ALL SELECT 'D''Angelo' UNION ALL SELECT 'Peña' "
         "UNION ALL SELECT 'Pena' UNION ALL SELECT 'Dalton' UNION ALL SELECT '-5' UNION ALL SELECT '5' UNION ALL SELECT '6' "
         "UNION ALL SELECT 'co-op' UNION ALL SELECT 'coop') d ORDER BY x",
         "5;-5;6;coop;co-op;Dalton;D'Angelo;Pena;Peña;Pinta;Pint-Latex"},
        // literals of a derived table compare and sort as texts of the server
        {"SELECT MAX(x), MIN(x) FROM (SELECT 'Ábaco' AS x UNION ALL SELECT 'Zapato' UNION ALL SELECT 'Ñandú') d", "Zapato|Ábaco"},
        {"SELECT x FROM (SELECT 'b' x UNION ALL SELECT 'A') d ORDER BY x", "A;b"},
        // '+' of operands the rewrite cannot type, and the limit of TOP WITH TIES
        {"SELECT MAX(d.c + d.n) FROM (SELECT 'a' AS c, 'b' AS n UNION ALL SELECT 'B', 'a') d", "Ba"},
        {"SELECT COUNT(*) FROM (SELECT TOP 1 WITH TIES LTRIM(Codigo) AS c FROM S ORDER BY LTRIM(Codigo)) d", "3"},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.sql);
        auto rs = std::make_shared<ado::Recordset>();
        rs->Open(QString::fromUtf8(c.sql), cnn, ado::adOpenStatic, ado::adLockReadOnly);
        QStringList rows;
        std::vector<int> kinds(size_t(rs->Fields().Count()), -1);
        for (; !rs->Eof(); rs->MoveNext()) {
            QStringList values;
            for (int i = 0; i < rs->Fields().Count(); ++i) {
                const Variant v = rs->Fields(i).Value();
                values << (v.IsNull() ? QStringLiteral("NULL") : v.IsString() ? v.toString() : v.toDecimal().toString());
                if (v.IsNull()) continue;
                if (kinds[size_t(i)] < 0) kinds[size_t(i)] = v.VarType();
                EXPECT_EQ(v.VarType(), kinds[size_t(i)]) << "column " << i << " changes its type";
            }
            rows << values.join(u'|');
        }
        EXPECT_EQ(rows.join(u';'), QString::fromUtf8(c.rows));
    }
    // an expression of a declared exact type has that type in every row, a
    // whole first value too
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT isnull(S.saldo,0) as disponible FROM S WHERE Orden IN (1, 3)"), cnn, ado::adOpenStatic,
             ado::adLockReadOnly);
    EXPECT_EQ(rs->Fields(0).Type(), ado::adNumeric);
    EXPECT_EQ(rs->Fields(0).NumericScale(), 4);
    rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT Precio * 2, Precio / 2 FROM m WHERE id = 2"), cnn, ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(rs->Fields(0).Type(), ado::adCurrency);
    EXPECT_EQ(rs->Fields(0).Value().toString(), QStringLiteral("25"));
    EXPECT_EQ(rs->Fields(1).Value().toString(), QStringLiteral("6,25"));
    // a result column without a name of its own keeps its text as its name
    rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT DISTINCT UPPER(Codigo) FROM S"), cnn, ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(rs->Fields(0).Name(), QStringLiteral("UPPER(Codigo)"));
}

// Seeded texts of letters with and without accents, "ñ", digits, hyphens,
// apostrophes and blanks: the order is a total one (antisymmetric,
// transitive, trailing blanks and case aside) and the engine's ORDER BY gives
// the order the program's own comparison gives.
TEST_F(DialectTypesRun, TextOrderIsOneOrderForTheEngineAndTheProgram) {
    std::mt19937 gen(46);
    const QString alphabet = QStringLiteral("aAbáÁnñÑo5-' ");
    std::uniform_int_distribution<int> length(0, 6), pick(0, int(alphabet.size()) - 1);
    QStringList texts;
    for (int i = 0; i < 300; ++i) {
        QString x;
        for (int n = length(gen); n > 0; --n) x += alphabet[pick(gen)];
        texts << x;
    }
    const auto sign = [](int c) { return (c > 0) - (c < 0); };
    for (int i = 0; i + 2 < texts.size(); ++i) {
        const QString &a = texts[i], &b = texts[i + 1], &c = texts[i + 2];
        ASSERT_EQ(sign(ado::compareTexts(a, b)), -sign(ado::compareTexts(b, a))) << a.toStdString() << "|" << b.toStdString();
        ASSERT_EQ(ado::compareTexts(a + QStringLiteral("  "), a.toUpper()), 0) << a.toStdString();
        if (ado::compareTexts(a, b) <= 0 && ado::compareTexts(b, c) <= 0)
            ASSERT_LE(ado::compareTexts(a, c), 0) << a.toStdString() << "|" << b.toStdString() << "|" << c.toStdString();
    }
    cnn->Execute(QStringLiteral("CREATE TABLE G (n INT, p VARCHAR(10) COLLATE SRVTEXT)"));
    for (int i = 0; i < texts.size(); ++i)
        cnn->Execute(QStringLiteral("INSERT INTO G VALUES (%1, '%2')").arg(i).arg(QString(texts[i]).replace(u'\'', QStringLiteral("''"))));
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT p FROM G ORDER BY p, n"), cnn, ado::adOpenStatic, ado::adLockReadOnly);
    QStringList engine;
    for (; !rs->Eof(); rs->MoveNext()) engine << rs->Fields(0).Value().toString();
    QStringList program = texts;
    std::stable_sort(program.begin(), program.end(), [](const QString& a, const QString& b) { return ado::compareTexts(a, b) < 0; });
    ASSERT_EQ(engine.size(), program.size());
    for (int i = 0; i < program.size(); ++i)
        EXPECT_EQ(ado::compareTexts(engine[i], program[i]), 0) << i << ": " << engine[i].toStdString() << "|" << program[i].toStdString();
}

// A file whose indexes on text columns were built in an older text order
// has them built again when the program opens it.
TEST_F(DialectTypesRun, IndexesOfAnOlderTextOrderAreBuiltAgain) {
    cnn.reset();
    const QString old = folder.file(QStringLiteral("ANTIGUO.sqlite"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(old.toUtf8().constData(), &db), SQLITE_OK);
    // the order of before, by code point outside ASCII
    const auto byCodePoint = [](void*, int n1, const void* a, int n2, const void* b) {
        const int c = memcmp(a, b, size_t(qMin(n1, n2)));
        return c != 0 ? c : n1 - n2;
    };
    sqlite3_create_collation(db, "SRVTEXT", SQLITE_UTF8, nullptr, byCodePoint);
    // (marked as built in the order that weighed a hyphen as a character)
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE W (p VARCHAR(20) COLLATE SRVTEXT); CREATE INDEX IX_W_p ON W (p);"
                               "INSERT INTO W VALUES ('oso'), ('Ñandú'), ('nube'), ('abeja'), ('ábaco'), ('zapato'),"
                               "('pint-latex'), ('pinta'); PRAGMA user_version = 2",
                           nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    cnn = std::make_shared<ado::Connection>();
    cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=ANTIGUO;UId=x;Pwd=x;"));
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT p FROM W WHERE p > 'a' ORDER BY p"), cnn, ado::adOpenStatic, ado::adLockReadOnly);
    QStringList rows;
    for (; !rs->Eof(); rs->MoveNext()) rows << rs->Fields(0).Value().toString();
    EXPECT_EQ(rows.join(u';'), QStringLiteral("ábaco;abeja;nube;Ñandú;oso;pinta;pint-latex;zapato"));
}

TEST_F(DialectTypesRun, PlainColumnComparisonsStillUseTheirIndex) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ado::RegisterSqliteExtensions(db);
    // the plan of the rewritten statement, as the library reads it, also
    // beside expressions compared with each other and sorted
    for (const char* statement : {"SELECT a FROM t WHERE Nombre = 'abc' OR Nombre IN ('x', 'y')",
                                  "SELECT a FROM t WHERE Nombre = 'abc' AND LTRIM(Nombre) = UPPER(Nombre) ORDER BY LTRIM(Nombre)",
                                  "SELECT a FROM t WHERE Nombre = (SELECT MAX(LTRIM(Nombre)) FROM t)"}) {
        const QString sql = ado::sql::rewriteForSqlite(QString::fromUtf8(statement)).sql;
        sqlite3_stmt* st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).toUtf8().constData(), -1, &st, nullptr), SQLITE_OK);
        QString plan;
        while (sqlite3_step(st) == SQLITE_ROW) plan += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))) + u'\n';
        sqlite3_finalize(st);
        EXPECT_TRUE(plan.contains(QStringLiteral("USING INDEX IX_t_Nombre (Nombre="))) << statement << "\n" << plan.toStdString();
    }
    sqlite3_close(db);
}

}  // namespace

namespace {

// A fixed-length column reads back filled with blanks to its length, as on
// the server, whatever the text holds and however the row is read (the
// first statement of a shape as written, the next ones through its shared
// statement): plain letters, letters beyond ASCII, a text of the whole
// length, an empty text, a number stored in the column, and Null.
TEST_F(DialectTypesRun, FixedLengthTextsReadFilledToTheirLength) {
    cnn->Execute(QStringLiteral("INSERT INTO n (id, C) VALUES (11, 'ab')"));
    cnn->Execute(QStringLiteral("INSERT INTO n (id, C) VALUES (12, N'Ñu')"));
    cnn->Execute(QStringLiteral("INSERT INTO n (id, C) VALUES (13, 'abcd')"));
    cnn->Execute(QStringLiteral("INSERT INTO n (id, C) VALUES (14, '')"));
    cnn->Execute(QStringLiteral("INSERT INTO n (id, C) VALUES (15, NULL)"));
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "INSERT INTO n (id, C) VALUES (16, 12)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const std::pair<int, const char*> rows[] = {{11, "ab  "}, {12, "Ñu  "}, {13, "abcd"}, {14, "    "}, {16, "12  "}};
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& [id, text] : rows) {
            const Variant v = value(QStringLiteral("SELECT C FROM n WHERE id = %1").arg(id));
            EXPECT_EQ(v.toString(), QString::fromUtf8(text)) << id << " pass " << pass;
        }
    EXPECT_TRUE(value(QStringLiteral("SELECT C FROM n WHERE id = 15")).IsNull());
}

}  // namespace
