// The Oracle dialect rewrite and the statement-by-statement script runner.
#include "dbfixture.h"

using namespace dbtest;

namespace {

struct DiccCase {
    const char* in;
    const char* out;
};

class OracleDicc : public ::testing::TestWithParam<DiccCase> {};

TEST_P(OracleDicc, Rewrite)
{
    DB_Dll db;
    db.gConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=X;");
    EXPECT_EQ(db.ORACLE_Dicc(QString::fromUtf8(GetParam().in)), QString::fromUtf8(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(
    Oracle, OracleDicc,
    ::testing::Values(
        DiccCase{"len", "LENGTH"},
        DiccCase{"CODIGO", "CODIGO"},
        DiccCase{"SELECT TOP 10 CODIGO FROM T ORDER BY CODIGO", "SELECT  CODIGO FROM T    WHERE ROWNUM <= 10  ORDER BY CODIGO"},
        DiccCase{"SELECT TOP 1 * FROM T WHERE A = 1", "SELECT  * FROM T WHERE A = 1  AND ROWNUM <= 1  "},
        DiccCase{"SELECT TOP 3 A, COUNT(*) FROM T GROUP BY A ORDER BY A",
                 "SELECT  A, COUNT(*) FROM T    WHERE ROWNUM <= 3  GROUP BY A ORDER BY A "},
        DiccCase{"UPDATE T SET A = '' WHERE B = '' AND C=''", "UPDATE T SET A = '' WHERE B  IS NULL  AND C IS NULL "},
        DiccCase{"SELECT (LEN(X)) FROM T", "SELECT (LEN(X)) FROM T"},
        DiccCase{"SELECT x FROM T WHERE x = len (y)", "SELECT x FROM T WHERE x = LENGTH(y)"},
        DiccCase{"SELECT [Mi Col], ISNULL(A,0), SUBSTRING(B,1,2), CHARINDEX('a',B) FROM T",
                 "SELECT \"Mi Col\", NVL(A,0), SUBSTR(B,1,2), InStr('a',B) FROM T"},
        DiccCase{"SELECT CONVERT(NVARCHAR, F, 103), CONVERT(INT, G), ROUND(H, 103) FROM T",
                 "SELECT TO_CHAR( F, 'DD/MM/YYYY'), TO_NUMBER( G), ROUND(H, 103) FROM T"},
        DiccCase{"SELECT * FROM T WHERE F >= '15/03/2024' AND G < '15/03/2024'",
                 "SELECT * FROM T WHERE F >= TO_DATE('15/03/2024','DD/MM/YYYY') AND G < "
                 "TO_DATE('15/03/2024','DD/MM/YYYY')"}));

TEST(OracleDicc, OtherConnectionsAreLeftAlone)
{
    DB_Dll db;
    db.gConnString = EmbeddedConnString();
    EXPECT_EQ(db.ORACLE_Dicc(QStringLiteral("SELECT TOP 1 * FROM T")), QStringLiteral("SELECT TOP 1 * FROM T"));
    db.gConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;");
    EXPECT_THROW(db.ORACLE_Dicc(QStringLiteral("SELECT * FROM T WHERE A = 'x")), legacy::VbError);
}

// The script runner on a connection whose string names Oracle (the embedded
// engine ignores the extra key): transaction words become calls, GO and
// guards that have no Oracle counterpart are dropped.
TEST_F(DbTest, OracleScriptRunsStatementByStatement)
{
    ui::ScriptedSession dlg;
    DB_Dll db;
    db.OpenServerADODB(false, 3, EmbeddedConnString() + QStringLiteral("App=ORACLE;"));
    ASSERT_TRUE(db.gOpenFlag);
    int filas = 0;
    QString script = QStringLiteral("SET NOCOUNT ON\r\nBEGIN TRANSACTION\r\nINSERT INTO TA_USUARIOS (NOMBRE) VALUES ('A')\r\n"
                                    "GO\r\nINSERT INTO TA_USUARIOS (NOMBRE) VALUES ('B')\r\nCOMMIT TRANSACTION");
    db.EjecutaConsultaSQL(script, &filas);
    EXPECT_EQ(filas, 2);
    EXPECT_TRUE(script.isEmpty());
    auto rs = db.gCnn->Execute(QStringLiteral("SELECT COUNT(*) AS N FROM TA_USUARIOS"));
    EXPECT_EQ(rs->Fields("N").Value().toLong(), 2);

    // A script without any statement keyword runs nothing.
    QString sola = QStringLiteral("SELECT 1\r\nGO");
    db.EjecutaConsultaSQL(sola, &filas);
    EXPECT_EQ(sola, QStringLiteral("SELECT 1 GO"));
    EXPECT_TRUE(dlg.shown().isEmpty());
}

}  // namespace
