// The server's dialect on the embedded engine: the rewrite as a table of
// input and output, every rewritten statement run, and the functions, dates
// and the text collation the program relies on.
#include "ado_test_util.h"
#include "platform/ado/sql_text.h"

#include <gtest/gtest.h>

using namespace adotest;
using legacy::Variant;

namespace {

struct RewriteCase {
    const char* input;
    const char* expected;
};

const RewriteCase kRewrites[] = {
    {"SELECT * FROM V_MV_CPTE with(nolock) WHERE TC = 'FC'", "SELECT * FROM V_MV_CPTE WHERE TC = 'FC' COLLATE SRVTEXT"},
    {"SELECT TOP 1 * FROM V_MV_CPTE WITH (NOLOCK, ROWLOCK) WHERE TC = 'FC' ORDER BY Fecha DESC",
     "SELECT * FROM V_MV_CPTE WHERE TC = 'FC' COLLATE SRVTEXT ORDER BY Fecha DESC LIMIT 1"},
    {"SELECT     TOP 100 PERCENT IdFamilia, Descripcion FROM Familias ORDER BY Descripcion",
     "SELECT IdFamilia, Descripcion FROM Familias ORDER BY Descripcion"},
    {"SELECT a FROM t WHERE a IN (SELECT TOP 5 y FROM u ORDER BY y) AND a = 1",
     "SELECT a FROM t WHERE a IN (SELECT y FROM u ORDER BY y LIMIT 5) AND a = 1"},
    {"SELECT DISTINCT TOP (2) a FROM t -- the first two", "SELECT DISTINCT a FROM t LIMIT 2"},
    {"DELETE V_MV_STOCK WHERE TC = 'FC' AND IDCOMPROBANTE = '000100000123A' AND IdComplemento = 0",
     "DELETE FROM V_MV_STOCK WHERE TC = 'FC' COLLATE SRVTEXT AND IDCOMPROBANTE = '000100000123A' COLLATE SRVTEXT AND IdComplemento = 0"},
    {"DELETE FROM t WHERE a = 1", "DELETE FROM t WHERE a = 1"},
    {"SELECT ISNULL(a, 0) FROM dbo.t (NOLOCK)", "SELECT IFNULL(a, 0) FROM t"},
    {"SELECT [a], N'año' FROM [dbo].[t]", "SELECT [a], 'año' FROM [t]"},
    {"SELECT LEFT(Nombre, 3), RIGHT(Nombre, 2) FROM t LEFT JOIN u ON t.a = u.a",
     "SELECT SRV_LEFT(Nombre, 3), SRV_RIGHT(Nombre, 2) FROM t LEFT JOIN u ON t.a = u.a"},
    {"INSERT INTO t (a, Fecha) VALUES (7, '31/01/2024 10:30')", "INSERT INTO t (a, Fecha) VALUES (7, '2024-01-31 10:30:00')"},
    {"UPDATE t SET Fecha = '05/03/24' WHERE Fecha > '01/01/2024'",
     "UPDATE t SET Fecha = '2024-03-05 00:00:00' WHERE Fecha > '2024-01-01 00:00:00'"},
    {"SELECT a FROM t WHERE Nombre = 'it''s 01/02/2024'", "SELECT a FROM t WHERE Nombre = 'it''s 01/02/2024' COLLATE SRVTEXT"},
    {"SELECT a FROM t WHERE Nombre = 'RMC 'AND a = 1", "SELECT a FROM t WHERE Nombre = 'RMC ' COLLATE SRVTEXT AND a = 1"},
    {"SELECT CONVERT(NVARCHAR, Fecha, 103), CONVERT(INT, '12'), CONVERT(VARCHAR(10), Nombre) FROM t",
     "SELECT SRV_CONVERT('NVARCHAR', Fecha, 103), SRV_CONVERT('INT', '12'), SRV_CONVERT('VARCHAR(10)', Nombre) FROM t"},
    {"SELECT DATEADD(dd, 1, Fecha), DATEDIFF(day, Fecha, GETDATE()) FROM t",
     "SELECT DATEADD('dd', 1, Fecha), DATEDIFF('day', Fecha, GETDATE()) FROM t"},
    {"SELECT CAST('31/01/2024' AS DATETIME), CAST(a AS VARCHAR(5)) FROM t",
     "SELECT SRV_CONVERT('DATETIME', '2024-01-31 00:00:00'), SRV_CONVERT('VARCHAR(5)', a) FROM t"},
    {"if exists(select * from t  with(nolock)  where a=1 and Fecha is null)  UPDATE t set Fecha='01/02/2024' where a=1",
     "UPDATE t set Fecha='2024-02-01 00:00:00' where (a=1) AND EXISTS (select * from t  where a=1 and Fecha is null)"},
    {"IF EXISTS (SELECT 1 FROM u WHERE a = 1) DELETE t", "DELETE FROM t WHERE EXISTS (SELECT 1 FROM u WHERE a = 1)"},
    {"IF NOT EXISTS (SELECT 1 FROM t WHERE a = 1) INSERT INTO t (a) VALUES (1)",
     "INSERT INTO t (a) SELECT 1 WHERE NOT EXISTS (SELECT 1 FROM t WHERE a = 1)"},
    {"ALTER TABLE dbo.u ADD Nota VARCHAR(20) COLLATE Modern_Spanish_CI_AS Null  CONSTRAINT DF_u_Nota DEFAULT ('x')",
     "ALTER TABLE u ADD Nota VARCHAR(20) COLLATE SRVTEXT Null  CONSTRAINT DF_u_Nota DEFAULT ('x')"},
    {"ALTER TABLE u ADD Codigo CHAR(4) Null ", "ALTER TABLE u ADD Codigo CHAR(4) COLLATE SRVTEXT Null"},
    {"IF NOT EXISTS (SELECT * FROM sysobjects WHERE name = 'Nueva') CREATE TABLE Nueva (a INT)",
     "CREATE TABLE IF NOT EXISTS Nueva (a INT)"},
    {"SET NOCOUNT ON", ""},
    {"set xact_abort on", ""},
    {"SET DATEFORMAT dmy", ""},
    {"BEGIN TRANSACTION", "BEGIN"},
    {"COMMIT TRANSACTION", "COMMIT"},
    {"BEGIN TRAN", "BEGIN"},
    {"ROLLBACK TRAN", "ROLLBACK"},
    {"SELECT @@TRANCOUNT", "SELECT SRV_TRANCOUNT()"},
    {"SELECT 'a' + Nombre + Nombre + 'b', a + 1 FROM t", "SELECT 'a' || Nombre || Nombre || 'b', SRV_ADD(a, 1, 1) FROM t"},
    {"select  getDate() as fecha", "select  getDate() as fecha"},
    {"SELECT LEN(Nombre), CHARINDEX('a', Nombre) FROM t -- TOP 5 in a comment",
     "SELECT LEN(Nombre), CHARINDEX('a', Nombre) FROM t -- TOP 5 in a comment"},
};

const char* kSchema =
    "CREATE TABLE t (a INT, Nombre VARCHAR(20) COLLATE SRVTEXT, Fecha DATETIME);"
    "CREATE TABLE u (a INT, y INT);"
    "CREATE TABLE Familias (IdFamilia VARCHAR(4) COLLATE SRVTEXT, Descripcion VARCHAR(30) COLLATE SRVTEXT);"
    "CREATE TABLE V_MV_CPTE (TC VARCHAR(4) COLLATE SRVTEXT, IDCOMPROBANTE VARCHAR(13) COLLATE SRVTEXT, "
    "  IdComplemento INT, Fecha DATETIME, anulada BIT);"
    "CREATE TABLE V_MV_STOCK (TC VARCHAR(4) COLLATE SRVTEXT, IDCOMPROBANTE VARCHAR(13) COLLATE SRVTEXT, IdComplemento INT);"
    "INSERT INTO t VALUES (1, 'Abc', '2024-01-31 00:00:00');"
    "INSERT INTO t VALUES (2, 'bcd  ', '2023-12-25 08:00:00');"
    "INSERT INTO u VALUES (1, 5);"
    "INSERT INTO V_MV_CPTE VALUES ('FC', '000100000123A', 0, '20240131 00:00:00', 1);";

class Dialect : public ::testing::Test {
protected:
    void SetUp() override {
        createDatabase(folder.file(QStringLiteral("DIALECTO.sqlite")), QString::fromUtf8(kSchema), true);
        cnn = std::make_shared<ado::Connection>();
        cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=DIALECTO;UId=x;Pwd=x;"));
    }
    Variant value(const QString& sql) { return firstValue(cnn, sql); }
    ProgramFolder folder;
    ado::ConnectionPtr cnn;
};

TEST_F(Dialect, RewriteTableAndEveryStatementRuns) {
    for (const RewriteCase& c : kRewrites) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(ado::sql::rewriteForSqlite(QString::fromUtf8(c.input)).sql, QString::fromUtf8(c.expected));
        const auto e = errorOf([&] { cnn->Execute(QString::fromUtf8(c.input)); });
        EXPECT_EQ(e.Number, 0) << e.Description.toStdString();
    }
}

TEST_F(Dialect, SplitterKnowsWhereStatementsBegin) {
    const QString batch = QStringLiteral(
        "BEGIN TRANSACTION\rDELETE V_MV_STOCK WHERE TC = 'FC'\rINSERT INTO t (a)\r\nSELECT y FROM u\n"
        "UPDATE t\n SET a = 1\nif exists(select * from u)\n UPDATE u SET y=1\rSELECT 1 UNION\nSELECT 2; "
        "SELECT 'a;\rSELECT' AS [x\ry]\r-- DELETE t\r/* UPDATE\r */COMMIT TRANSACTION");
    const QStringList expected = {
        QStringLiteral("BEGIN TRANSACTION"),
        QStringLiteral("DELETE V_MV_STOCK WHERE TC = 'FC'"),
        QStringLiteral("INSERT INTO t (a)\r\nSELECT y FROM u"),
        QStringLiteral("UPDATE t\n SET a = 1"),
        QStringLiteral("if exists(select * from u)\n UPDATE u SET y=1"),
        QStringLiteral("SELECT 1 UNION\nSELECT 2"),
        QStringLiteral("SELECT 'a;\rSELECT' AS [x\ry]\r-- DELETE t\r/* UPDATE\r */"),
        QStringLiteral("COMMIT TRANSACTION"),
    };
    // the comments stay with the statement before the next keyword; the
    // quoted and bracketed parts are never split
    EXPECT_EQ(ado::sql::splitBatch(batch), expected);
}

// IF [NOT] EXISTS (...) BEGIN ... END: the head, each statement of the
// block, its END; a CASE ... END inside the block is no block end.
TEST_F(Dialect, IfBlocksRunOrSkipAsAWhole) {
    const QString batch = QStringLiteral(
        "BEGIN TRANSACTION\rDELETE t WHERE a = 1\rIF NOT EXISTS (SELECT * FROM t WHERE a = %1)\rBEGIN\r"
        "UPDATE t SET Nombre = CASE WHEN a = 2 THEN 'x' END\rINSERT INTO t (a) VALUES (9)\rEND\rCOMMIT TRANSACTION");
    EXPECT_EQ(ado::sql::splitBatch(batch.arg(5)),
              QStringList({"BEGIN TRANSACTION", "DELETE t WHERE a = 1", "IF NOT EXISTS (SELECT * FROM t WHERE a = 5)\rBEGIN",
                           "UPDATE t SET Nombre = CASE WHEN a = 2 THEN 'x' END", "INSERT INTO t (a) VALUES (9)", "END",
                           "COMMIT TRANSACTION"}));
    const struct { int a; int affected; long nines; } cases[] = {{5, 1 + 2 + 1, 1}, {2, 1, 0}};
    for (const auto& c : cases) {
        cnn->Execute(QStringLiteral("DELETE t"));
        cnn->Execute(QStringLiteral("INSERT INTO t (a) VALUES (1)\rINSERT INTO t (a) VALUES (2)\rINSERT INTO t (a) VALUES (3)"));
        int affected = -1;
        cnn->Execute(batch.arg(c.a), &affected);
        EXPECT_EQ(affected, c.affected) << c.a;
        EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM t WHERE a = 9")).toLong(), c.nines) << c.a;
        EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM t WHERE a = 1")).toLong(), 0) << c.a;
    }
}

TEST_F(Dialect, DayFirstDatesBecomeIsoText) {
    struct C { const char* in; const char* out; };
    const C cases[] = {
        {"31/01/2024", "2024-01-31 00:00:00"}, {"5/3/24", "2024-03-05 00:00:00"},
        {"01/12/99", "1999-12-01 00:00:00"},   {"31/01/2024 7:05", "2024-01-31 07:05:00"},
        // two-digit years by the server's cutoff: 00-49 are 2000-2049, 50-99 1950-1999
        {"01/01/35", "2035-01-01 00:00:00"},   {"30/06/31 10:15", "2031-06-30 10:15:00"},
        {"31/12/49", "2049-12-31 00:00:00"},   {"01/01/50", "1950-01-01 00:00:00"}, {"1/1/00", "2000-01-01 00:00:00"},
        {"31/01/2024 23:59:58", "2024-01-31 23:59:58"},
        // '-' or '.' for '/', a fraction of a second in ticks of 1/300 s
        {"28/02/2026 23:59:59.997", "2026-02-28 23:59:59.997"}, {"01-02-2026", "2026-02-01 00:00:00"},
        {"01.02.2026", "2026-02-01 00:00:00"}, {"1.2.26 7:05", "2026-02-01 07:05:00"},
        {"31/01/2024 10:00:00.002", "2024-01-31 10:00:00.003"}, {"31/01/2024 10:00:00.5", "2024-01-31 10:00:00.500"},
        {"29/02/2024 23:59:59.999", "2024-03-01 00:00:00"}, {"01-02/2026", ""}, {"01.02-2026", ""},
        {"31/01/2024 10:00.5", ""}, {"31/01/2024 10:00:00.1234", ""},
        {"31/02/2024", ""}, {"12/2024", ""}, {"31/01/2024 25:00", ""}, {"a/b/c", ""}, {"1/1/202", ""},
    };
    for (const C& c : cases) EXPECT_EQ(ado::sql::dayFirstToIso(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    // the client runtime's own conversions keep 2029
    EXPECT_EQ(ado::sql::dayFirstToIso(QStringLiteral("01/01/35"), 2029), QStringLiteral("1935-01-01 00:00:00"));
    EXPECT_EQ(ado::sql::dayFirstToIso(QStringLiteral("31/12/29"), 2029), QStringLiteral("2029-12-31 00:00:00"));
    // the server's other forms under SET DATEFORMAT dmy: the dashed one
    // without its 'T' is year, day, month
    const C others[] = {
        {"2012-02-01", "2012-01-02 00:00:00"},      {"2012-02-01 00:00:00", "2012-01-02 00:00:00"},
        {"2026-11-20", ""},                         {"2026-11-20 07:00:00", ""},
        {"20260211", "2026-02-11 00:00:00"},        {"2026-02-11T10:00:00", "2026-02-11 10:00:00"},
        {"2026-11-10", "2026-10-11 00:00:00"},      {"20261109", "2026-11-09 00:00:00"},
        {"20261109 7:05", ""},                      {"20261109 07:05", "2026-11-09 07:05:00"},
        {"2026-11-10T10:30:15", "2026-11-10 10:30:15"}, {"2026-11-10 10:30:15.5", "2026-10-11 10:30:15.500"},
        {"20261110 10:30:15.005", "2026-11-10 10:30:15.007"}, {"2026-11-10 10:30:15.998", "2026-10-11 10:30:15.997"},
        {"20261110 10:30:15.001", "2026-11-10 10:30:15"},
        {"2026-11-31", ""}, {"20261301", ""}, {"17521231", ""}, {"00000123", ""}, {"2026/11/10", ""},
        {"20261109T10:00", ""}, {"2026-11-10 24:00", ""}, {"000100000123A", ""},
    };
    for (const C& c : others) EXPECT_EQ(ado::sql::otherDateToIso(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST_F(Dialect, DatesCompareSortAndReadBackAsDates) {
    cnn->Execute(QStringLiteral("INSERT INTO t (a, Fecha) VALUES (3, '01/02/2024 09:00')"));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM t WHERE Fecha >= '31/01/2024' AND Fecha < '02/02/2024'")).toLong(), 2);
    EXPECT_EQ(value(QStringLiteral("SELECT TOP 1 a FROM t ORDER BY Fecha DESC")).toLong(), 3);
    const Variant f = value(QStringLiteral("SELECT Fecha FROM t WHERE a = 3"));
    ASSERT_EQ(f.VarType(), legacy::vbDate);
    EXPECT_EQ(f.toDate().toDateTime(), QDateTime(QDate(2024, 2, 1), QTime(9, 0)));
    // expressions that give a date come back as dates too
    EXPECT_EQ(value(QStringLiteral("select  getDate() as fecha")).VarType(), legacy::vbDate);
    EXPECT_EQ(value(QStringLiteral("SELECT MAX(Fecha) FROM t")).VarType(), legacy::vbDate);
    // the server's other day-first forms and ticks of 1/300 s: a February
    // range up to its last instant leaves 01/03 out, up to .999 takes it
    cnn->Execute(QStringLiteral("INSERT INTO t (a, Fecha) VALUES (4, '01.03.2024')\rINSERT INTO t (a, Fecha) VALUES (5, "
                                "'29-02-2024 23:59:59.997')"));
    struct C { const char* where; long rows; };
    const C cases[] = {
        {"Fecha >= '01/02/2024' AND Fecha <= '29/02/2024 23:59:59.997'", 2},
        {"Fecha >= '01-02-2024' AND Fecha <= '29.02.2024 23:59:59.998'", 2},
        {"Fecha BETWEEN '01.02.2024' AND '29-02-2024'", 1},
        {"Fecha <= '20240229 23:59:59.999' AND Fecha >= '20240201'", 3},
        {"Fecha = '1-3-2024'", 1},
        {"Fecha = '20240229 23:59:59.996'", 1},
        {"Fecha = '2024-29-02 23:59:59.996'", 1},
    };
    for (const C& c : cases)
        EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM t WHERE ") + QString::fromUtf8(c.where)).toLong(), c.rows) << c.where;
    EXPECT_EQ(value(QStringLiteral("SELECT a FROM t WHERE Fecha = '29/02/2024 23:59:59.996'")).toLong(), 5);
}

TEST_F(Dialect, DecimalExpressionsComeBackExact) {
    const Variant sum = value(QStringLiteral("SELECT 0.1 + 0.2"));
    EXPECT_EQ(sum.VarType(), legacy::vbDecimal);
    EXPECT_EQ(sum.toDecimal().toString(), QStringLiteral("0.3"));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM t")).VarType(), legacy::vbLong);
}

TEST_F(Dialect, ServerFunctions) {
    struct C { const char* expr; Variant expected; };
    const C cases[] = {
        {"LEN('ab  ')", 2},
        {"LEN(NULL)", Variant::Null()},
        {"LEFT('abcdef', 2)", "ab"},
        {"RIGHT('abcdef', 2)", "ef"},
        {"CHARINDEX('C', 'abcabc')", 3},
        {"CHARINDEX('c', 'abcabc', 4)", 6},
        {"CHARINDEX('z', 'abc')", 0},
        {"SPACE(3) + 'x'", "   x"},
        {"REPLICATE('0', 4) + '7'", "00007"},
        {"STR(12.345, 8, 2)", "   12.35"},
        {"STR(7)", "         7"},
        {"CONVERT(NVARCHAR, DATEADD(dd, 1, '31/01/2024'), 103)", "01/02/2024"},
        {"CONVERT(VARCHAR(10), DATEADD(month, 1, '20240131 00:00:00'), 103)", "29/02/2024"},
        {"CONVERT(VARCHAR(10), DATEADD(day, 1, '2012-02-01'), 103)", "03/01/2012"},
        {"CONVERT(VARCHAR(10), CONVERT(DATETIME, '2012-02-01 00:00:00'), 103)", "02/01/2012"},
        {"DATEDIFF(day, '2012-02-01', '20120201')", 30},
        {"DAY('2026-02-11T10:00:00') + MONTH(CAST('20260211' AS DATETIME))", 13},
        {"DATEDIFF(day, '31/12/2023', '02/01/2024')", 2},
        {"DATEDIFF(month, '31/12/2023', '01/01/2024')", 1},
        {"DATEDIFF(year, '31/12/2023 23:59', '01/01/2024')", 1},
        {"YEAR('05/03/2024')", 2024},
        {"MONTH('05/03/2024')", 3},
        {"DAY('05/03/2024')", 5},
        {"DAY('05-03-2024')", 5},
        {"MONTH('05.03.2024 10:00:00.5')", 3},
        {"DATEDIFF(day, '20240228 23:59', '20240301 00:00')", 2},
        {"DATEDIFF(minute, CONVERT(DATETIME, '20240131 23:59'), '01/02/2024')", 1},
        {"DATEPART(ms, CONVERT(DATETIME, '20240131 10:00:00.002'))", 3},
        {"DATEPART(ms, '31/01/2024 10:00:00.005')", 7},
        {"DAY(CONVERT(DATETIME, '20240229 23:59:59.999'))", 1},
        {"CONVERT(INT, ' 12 ')", 12},
        {"ISNULL(NULL, 'x')", "x"},
        {"UPPER('año')", "AÑO"},
        {"CEILING(2.1)", 3.0},
        {"ROUND(123.456, -1)", 120.0},
        {"ROUND(-155, -1)", -160},
        {"ROUND(7.125, 2, 1)", 7.12},
        {"ROUND(-7.129, 2, 1)", -7.12},
        {"ROUND(7.125, 2)", 7.13},
        {"ROUND(2.675, 2)", 2.68},
        {"ROUND(1234, 2)", 1234},
        {"REPLACE('aAa', 'a', 'b')", "bbb"},
        {"REPLACE('Año', 'AÑO', 'x') + REPLACE('á', 'a', 'b')", "xá"},
        {"CAST(AVG(a) AS VARCHAR(5)) FROM t", "1"},
        {"AVG(0 - a) FROM t", -1},
        {"SUBSTRING('000100000123A', 13, 1)", "A"},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.expr);
        const Variant v = value(QStringLiteral("SELECT ") + QString::fromUtf8(c.expr));
        if (c.expected.IsNull()) EXPECT_TRUE(v.IsNull());
        else if (c.expected.IsString()) EXPECT_EQ(v.toString(), c.expected.toString());
        else EXPECT_EQ(v.toDouble(), c.expected.toDouble());
    }
}

TEST_F(Dialect, TextCollationIgnoresCaseAndTrailingBlanks) {
    EXPECT_EQ(value(QStringLiteral("SELECT a FROM t WHERE Nombre = 'ABC   '")).toLong(), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT a FROM t WHERE Nombre = 'BCD'")).toLong(), 2);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM t WHERE Nombre IN ('abc', 'Bcd')")).toLong(), 2);
    EXPECT_EQ(value(QStringLiteral("SELECT TOP 1 Nombre FROM t ORDER BY Nombre DESC")).toString(), QStringLiteral("bcd  "));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM V_MV_CPTE WHERE TC = 'fc' AND IDCOMPROBANTE = '000100000123a'")).toLong(), 1);
    // an expression compared with a text compares the same way
    EXPECT_EQ(value(QStringLiteral("SELECT a FROM t WHERE LTRIM(RTRIM(Nombre)) = 'BCD'")).toLong(), 2);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM t WHERE UPPER(Nombre) <> 'abc'")).toLong(), 1);
}

TEST_F(Dialect, TextLongerThanItsColumnFailsAsOnTheServer) {
    // trailing blanks beyond the length are dropped silently, other text is refused
    cnn->Execute(QStringLiteral("INSERT INTO Familias (IdFamilia, Descripcion) VALUES ('F1  ' + '   ', 'x')"));
    for (const char* sql : {"INSERT INTO Familias (IdFamilia) VALUES ('F12345')",
                            "UPDATE Familias SET IdFamilia = 'F12345' WHERE IdFamilia = 'F1'"}) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(errorOf([&] { cnn->Execute(QString::fromUtf8(sql)); }).Number, ado::kErrTruncation);
        ASSERT_EQ(cnn->Errors().Count(), 1);
        EXPECT_EQ(cnn->Errors()(0).NativeError, ado::kNativeTruncation);
    }
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Familias WHERE IdFamilia = 'F1'")).toLong(), 1);
    // also after a rollback that undid the table's first write, and on a
    // table made after the connection opened
    cnn->Execute(QStringLiteral("BEGIN TRANSACTION\rUPDATE t SET Nombre = 'x'\rROLLBACK TRANSACTION"));
    cnn->Execute(QStringLiteral("CREATE TABLE Nueva (c VARCHAR(2) COLLATE SRVTEXT)"));
    for (const char* sql : {"INSERT INTO t (a, Nombre) VALUES (9, '123456789012345678901')",
                            "INSERT INTO Nueva (c) VALUES ('abc')", "INSERT INTO dbo.Nueva (c) VALUES ('abc')"})
        EXPECT_EQ(errorOf([&] { cnn->Execute(QString::fromUtf8(sql)); }).Number, ado::kErrTruncation) << sql;
    // and on a row written back by an updatable recordset
    cnn->Execute(QStringLiteral("CREATE TABLE Otra (c VARCHAR(2) COLLATE SRVTEXT)"));
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT * FROM Otra"), cnn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs->AddNew();
    rs->Fields("c").setValue(Variant(QStringLiteral("abc")));
    EXPECT_EQ(errorOf([&] { rs->Update(); }).Number, ado::kErrTruncation);
}

TEST_F(Dialect, IfExistsRunsTheStatementOnlyWhenTheConditionHolds) {
    int n = -1;
    cnn->Execute(QStringLiteral("IF EXISTS (SELECT 1 FROM u WHERE a = 99) UPDATE t SET a = 50"), n, -1);
    EXPECT_EQ(n, 0);
    cnn->Execute(QStringLiteral("IF EXISTS (SELECT 1 FROM u WHERE a = 1) UPDATE t SET a = a + 10 WHERE a = 1 OR a = 2"), n, -1);
    EXPECT_EQ(n, 2);
    cnn->Execute(QStringLiteral("IF NOT EXISTS (SELECT 1 FROM u WHERE a = 1) INSERT INTO u (a, y) VALUES (1, 1)"), n, -1);
    EXPECT_EQ(n, 0);
    cnn->Execute(QStringLiteral("IF NOT EXISTS (SELECT 1 FROM u WHERE a = 2) INSERT INTO u (a, y) VALUES (2, 1)"), n, -1);
    EXPECT_EQ(n, 1);
}

TEST_F(Dialect, TranCountAndIgnoredOptionsInsideABatch) {
    auto rs = cnn->Execute(QStringLiteral("SET NOCOUNT ON\rSET XACT_ABORT ON\rBEGIN TRANSACTION\r"
                                          "SELECT @@TRANCOUNT AS n\rCOMMIT TRANSACTION"));
    ASSERT_EQ(rs->State(), ado::adStateOpen);
    EXPECT_EQ(rs->Fields("n").Value().toLong(), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT @@TRANCOUNT")).toLong(), 0);
}

TEST_F(Dialect, RollbackOnlyWhenATransactionIsOpen) {
    // What a failed deletion sends afterwards: harmless with nothing open.
    const QString rollback = QStringLiteral("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION");
    EXPECT_NO_THROW(cnn->Execute(rollback));
    EXPECT_EQ(cnn->Errors().Count(), 0);
    cnn->BeginTrans();
    cnn->Execute(QStringLiteral("DELETE FROM u"));
    cnn->Execute(rollback);
    EXPECT_EQ(value(QStringLiteral("SELECT @@TRANCOUNT")).toLong(), 0);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM u")).toLong(), 1) << "the delete was undone";
    int n = -1;
    cnn->Execute(QStringLiteral("IF @@TRANCOUNT = 0 UPDATE u SET y = 7"), n, -1);
    EXPECT_EQ(n, 1);
}

TEST_F(Dialect, TransactionsNestAsOnTheServer) {
    cnn->BeginTrans();
    auto rs = cnn->Execute(QStringLiteral("BEGIN TRANSACTION\rDELETE FROM u\rSELECT @@TRANCOUNT AS n\rCOMMIT TRANSACTION"));
    EXPECT_EQ(rs->Fields("n").Value().toLong(), 2);
    EXPECT_EQ(value(QStringLiteral("SELECT @@TRANCOUNT")).toLong(), 1);
    cnn->RollbackTrans();  // undoes the inner, committed work too
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM u")).toLong(), 1);
    EXPECT_NE(errorOf([&] { cnn->Execute(QStringLiteral("COMMIT TRANSACTION")); }).Number, 0);
    EXPECT_EQ(cnn->Errors()(0).NativeError, 3902);
}

TEST_F(Dialect, SavepointsUndoOnlyTheirOwnWork) {
    EXPECT_EQ(ado::sql::rewriteForSqlite(QStringLiteral("SAVE TRANSACTION Marca")).sql, QStringLiteral("SAVEPOINT Marca"));
    EXPECT_EQ(ado::sql::rewriteForSqlite(QStringLiteral("rollback tran Marca")).transactionName, QStringLiteral("Marca"));
    cnn->BeginTrans();
    cnn->Execute(QStringLiteral("DELETE FROM u"));
    cnn->Execute(QStringLiteral("SAVE TRANSACTION Marca"));
    cnn->Execute(QStringLiteral("INSERT INTO u (a, y) VALUES (8, 8)"));
    cnn->Execute(QStringLiteral("ROLLBACK TRANSACTION Marca"));
    EXPECT_EQ(value(QStringLiteral("SELECT @@TRANCOUNT")).toLong(), 1);
    cnn->Execute(QStringLiteral("INSERT INTO u (a, y) VALUES (9, 9)"));
    cnn->CommitTrans();
    EXPECT_EQ(value(QStringLiteral("SELECT SUM(a) FROM u")).toLong(), 9) << "the delete and the later insert kept";
    // the outermost transaction's name undoes everything; an unknown name fails
    cnn->Execute(QStringLiteral("BEGIN TRANSACTION Externa\rBEGIN TRANSACTION Interna\rDELETE FROM u\r"
                                "SAVE TRANSACTION Marca\rINSERT INTO u (a, y) VALUES (7, 7)"));
    EXPECT_NE(errorOf([&] { cnn->Execute(QStringLiteral("ROLLBACK TRANSACTION Interna")); }).Number, 0);
    EXPECT_EQ(cnn->Errors()(0).NativeError, 6401);
    cnn->Execute(QStringLiteral("ROLLBACK TRAN Externa"));
    EXPECT_EQ(value(QStringLiteral("SELECT @@TRANCOUNT")).toLong(), 0);
    EXPECT_EQ(value(QStringLiteral("SELECT SUM(a) FROM u")).toLong(), 9);
    // a savepoint needs a transaction, and opens none
    EXPECT_NE(errorOf([&] { cnn->Execute(QStringLiteral("SAVE TRANSACTION Marca")); }).Number, 0);
    EXPECT_EQ(cnn->Errors()(0).NativeError, 628);
    cnn->Execute(QStringLiteral("DELETE FROM u"));
    EXPECT_NO_THROW(cnn->BeginTrans());
    cnn->RollbackTrans();
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM u")).toLong(), 0) << "the delete was not held in a transaction";
}

}  // namespace

namespace {

TEST(BatchSplitter, StatementsPerBatch) {
    struct C { const char* batch; int statements; };
    const C cases[] = {
        {"SELECT 1\nSELECT 2", 2},
        {"SELECT 1;SELECT 2;", 2},
        {"UPDATE t SET a = 1\nWHERE b = 2", 1},
        {"INSERT INTO t VALUES (1)\r\nINSERT INTO t VALUES (2)", 2},
        {"INSERT INTO t (a)\nVALUES (1)\nSELECT 1", 2},
        {"DELETE FROM t WHERE a IN (\nSELECT b FROM u)", 1},
        {"BEGIN TRAN\rCOMMIT TRAN", 2},
        {"SET NOCOUNT ON\rUPDATE t SET a=1", 2},
        {"UPDATE t SET a = 1\nSET NOCOUNT OFF", 2},
        {"SELECT a\nFROM t\nWHERE x = '\nUPDATE'", 1},
        {"create view v as\nselect * from t", 1},
        {"CREATE TABLE x (a INT)\rINSERT INTO x VALUES (1)\rSELECT a FROM x", 3},
        {"ALTER TABLE x ADD b INT\nUPDATE x SET b = 1", 2},
        {"if not exists (select 1 from t)\ninsert into t (a)\nselect 1\rSELECT 2", 2},
        {"  \r\n ; ;\r", 0},
    };
    for (const C& c : cases)
        EXPECT_EQ(ado::sql::splitBatch(QString::fromUtf8(c.batch)).size(), c.statements) << c.batch;
}

// What the engine takes as one statement without splitting is what the
// splitter gives back whole.
TEST(BatchSplitter, SingleStatementsToldWithoutSplitting) {
    struct C { const char* text; bool single; };
    const C cases[] = {
        {"  INSERT INTO t (a) VALUES ('x;y')  ", false},  // a ";" anywhere: split
        {"INSERT INTO t (a) VALUES (1) /* c */", true},
        {"update t set a = 1 -- note", true},
        {"SELECT 1 SELECT 2", true},
        {"DELETE FROM t WHERE a IN (SELECT b FROM u) BEGIN TRAN", true},
        {"IF EXISTS (SELECT 1 FROM t) BEGIN UPDATE t SET a = 1 END", false},
        {"BEGIN TRAN", false},
        {"SELECT 1\nSELECT 2", false},
        {"", false},
        {" -- only a comment", false},
    };
    for (const C& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(ado::sql::isSingleStatement(text), c.single) << c.text;
        if (c.single) {
            EXPECT_EQ(ado::sql::splitBatch(text), QStringList{text.trimmed()}) << c.text;
        }
    }
}

}  // namespace
