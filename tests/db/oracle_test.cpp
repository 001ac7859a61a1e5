// The Oracle dialect rewrite and the statement-by-statement script runner.
#include "db/db_oracle.h"
#include "dbfixture.h"

using namespace dbtest;

namespace {

struct DiccCase {
    const char* in;
    const char* out;
};

void PrintTo(const DiccCase& c, std::ostream* os)
{
    *os << '"' << c.in << "\" -> \"" << c.out << '"';
}

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
        // Row limits.
        DiccCase{"SELECT TOP 10 CODIGO FROM T ORDER BY CODIGO", "SELECT  CODIGO FROM T    WHERE ROWNUM <= 10  ORDER BY CODIGO"},
        DiccCase{"SELECT TOP 1 * FROM T WHERE A = 1", "SELECT  * FROM T WHERE A = 1  AND ROWNUM <= 1  "},
        DiccCase{"SELECT TOP 3 A, COUNT(*) FROM T GROUP BY A ORDER BY A",
                 "SELECT  A, COUNT(*) FROM T    WHERE ROWNUM <= 3  GROUP BY A ORDER BY A "},
        DiccCase{"select top 2 A FROM T", "select  A FROM T  WHERE ROWNUM <= 2  "},
        DiccCase{"SELECT DISTINCT TOP 5 A FROM T", "SELECT DISTINCT  A FROM T  WHERE ROWNUM <= 5  "},
        DiccCase{"SELECT TOP 1 A FROM T WHERE B IN (SELECT B FROM U WHERE C = 1)",
                 "SELECT  A FROM T WHERE B IN (SELECT B FROM U WHERE C = 1)  AND ROWNUM <= 1  "},
        // TOP inside a longer name, or not right after SELECT / DISTINCT, is
        // no row limit.
        DiccCase{"SELECT DESKTOP FROM T", "SELECT DESKTOP FROM T"},
        DiccCase{"SELECT A AS LAPTOP FROM T ORDER BY A", "SELECT A AS LAPTOP FROM T ORDER BY A"},
        DiccCase{"SELECT TOPE, B FROM T", "SELECT TOPE, B FROM T"},
        DiccCase{"UPDATE T SET A = 'top secret' WHERE B = 1", "UPDATE T SET A = 'top secret' WHERE B = 1"},
        // Empty-text comparisons only after WHERE.
        DiccCase{"UPDATE T SET A = '' WHERE B = '' AND C=''", "UPDATE T SET A = '' WHERE B  IS NULL  AND C IS NULL "},
        // LEN needs a blank before it.
        DiccCase{"SELECT (LEN(X)) FROM T", "SELECT (LEN(X)) FROM T"},
        DiccCase{"SELECT x FROM T WHERE x = len (y)", "SELECT x FROM T WHERE x = LENGTH(y)"},
        DiccCase{"SELECT [Mi Col], ISNULL(A,0), SUBSTRING(B,1,2), CHARINDEX('a',B) FROM T",
                 "SELECT \"Mi Col\", NVL(A,0), SUBSTR(B,1,2), InStr('a',B) FROM T"},
        DiccCase{"SELECT CONVERT(NVARCHAR, F, 103), CONVERT(INT, G), ROUND(H, 103) FROM T",
                 "SELECT TO_CHAR( F, 'DD/MM/YYYY'), TO_NUMBER( G), ROUND(H, 103) FROM T"},
        // Quoted dates: whole calendar dates in the program's own forms only,
        // each place wrapped once; a time is kept.
        DiccCase{"SELECT * FROM T WHERE F >= '15/03/2024' AND G < '15/03/2024'",
                 "SELECT * FROM T WHERE F >= TO_DATE('15/03/2024','DD/MM/YYYY') AND G < "
                 "TO_DATE('15/03/2024','DD/MM/YYYY')"},
        DiccCase{"SELECT * FROM T WHERE F = '5/3/24'", "SELECT * FROM T WHERE F = TO_DATE('05/03/2024','DD/MM/YYYY')"},
        DiccCase{"SELECT * FROM T WHERE F = '15/03/2024 10:30'",
                 "SELECT * FROM T WHERE F = TO_DATE('15/03/2024 10:30:00','DD/MM/YYYY HH24:MI:SS')"},
        DiccCase{"SELECT * FROM T WHERE F = ' 5/3/2024 10:30:05'",
                 "SELECT * FROM T WHERE F = TO_DATE('05/03/2024 10:30:05','DD/MM/YYYY HH24:MI:SS')"},
        // Account codes, dashed codes and numbers are no dates.
        DiccCase{"SELECT * FROM MA_CUENTAS  with(nolock)  WHERE Codigo =  '5.1.01'",
                 "SELECT * FROM MA_CUENTAS  with(nolock)  WHERE Codigo =  '5.1.01'"},
        DiccCase{"SELECT * FROM T WHERE Codigo = '1.1.10' OR F = '2024-03-05' OR G = '5-3-24'",
                 "SELECT * FROM T WHERE Codigo = '1.1.10' OR F = '2024-03-05' OR G = '5-3-24'"},
        DiccCase{"SELECT * FROM T WHERE A = '1.5' AND B = '12/3'", "SELECT * FROM T WHERE A = '1.5' AND B = '12/3'"},
        DiccCase{"SELECT * FROM T WHERE H = '10:30' AND C = 'MARZO'",
                 "SELECT * FROM T WHERE H = '10:30' AND C = 'MARZO'"},
        DiccCase{"SELECT * FROM T WHERE F = '31/02/2024'", "SELECT * FROM T WHERE F = '31/02/2024'"},
        DiccCase{"SELECT * FROM T WHERE F = '15/03-2024'", "SELECT * FROM T WHERE F = '15/03-2024'"},
        // Quoted values are data: brackets, function names and a WHERE in them stay.
        DiccCase{"SELECT * FROM VT_CLIENTES WHERE RAZON_SOCIAL = '[x]'",
                 "SELECT * FROM VT_CLIENTES WHERE RAZON_SOCIAL = '[x]'"},
        DiccCase{"SELECT ISNULL(A,0) FROM T WHERE B = 'ISNULL(x) LEN (y)'",
                 "SELECT NVL(A,0) FROM T WHERE B = 'ISNULL(x) LEN (y)'"},
        DiccCase{"UPDATE T SET B = 'Somewhere ', A = '' WHERE C = 1", "UPDATE T SET B = 'Somewhere ', A = '' WHERE C = 1"},
        DiccCase{"CALENDARIO", "CALENDARIO"}));

TEST(OracleCases, PrintTheirTexts)
{
    EXPECT_EQ(::testing::PrintToString(DiccCase{"len", "LENGTH"}), "\"len\" -> \"LENGTH\"");
}

TEST(OracleDicc, OtherConnectionsAreLeftAlone)
{
    DB_Dll db;
    db.gConnString = EmbeddedConnString();
    EXPECT_EQ(db.ORACLE_Dicc(QStringLiteral("SELECT TOP 1 * FROM T")), QStringLiteral("SELECT TOP 1 * FROM T"));
    db.gConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;");
    EXPECT_THROW(db.ORACLE_Dicc(QStringLiteral("SELECT * FROM T WHERE A = 'x")), legacy::VbError);
}

// Generated quoted values: a date in one of the program's forms becomes its
// TO_DATE, anything else comes through as written, and a statement already
// rewritten comes back the same.
TEST(OracleDicc, GeneratedQuotedValues)
{
    DB_Dll db;
    db.gConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=X;");
    std::mt19937 gen(61);
    const auto n = [&](int desde, int hasta) { return std::uniform_int_distribution<int>(desde, hasta)(gen); };
    const auto dos = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    for (int k = 0; k < 400; ++k) {
        const int dia = n(1, 28), mes = n(1, 12), anio = n(1990, 2040), hora = n(0, 23), minuto = n(0, 59);
        const QString marca = n(0, 1) ? QStringLiteral(".") : QStringLiteral("-");
        QString valor;
        QString esperado;
        switch (n(0, 4)) {
        case 0:  // the program's date, with or without its time
        case 1: {
            const bool conHora = n(0, 1) == 1;
            const int anioLeido = n(0, 1) ? anio : (anio % 100 < 30 ? 2000 : 1900) + anio % 100;
            const QString hhmm = conHora ? u' ' + dos(hora) + u':' + dos(minuto) : QString();
            valor = dos(dia) + u'/' + dos(mes) + u'/' + (anioLeido == anio ? QString::number(anio) : dos(anio % 100)) + hhmm;
            esperado = QStringLiteral("TO_DATE('%1/%2/%3%4',%5)")
                           .arg(dos(dia), dos(mes), QString::number(anioLeido), conHora ? hhmm + QStringLiteral(":00") : QString(),
                                conHora ? QStringLiteral("'DD/MM/YYYY HH24:MI:SS'") : QStringLiteral("'DD/MM/YYYY'"));
            break;
        }
        case 2:  // account and article codes
            valor = QString::number(n(1, 9)) + marca + QString::number(n(1, 9)) + marca + dos(n(1, 31));
            break;
        case 3:  // dates with other separators, year first
            valor = n(0, 1) ? QString::number(anio) + u'-' + dos(mes) + u'-' + dos(dia)
                            : dos(dia) + marca + dos(mes) + marca + QString::number(anio);
            break;
        default:  // numbers and words
            valor = n(0, 1) ? QString::number(n(0, 999)) + u'.' + QString::number(n(0, 99))
                            : u'z' + testutil::textoConRaros(gen, QStringLiteral("/.-: "), 8, 3);
            break;
        }
        if (esperado.isEmpty())
            esperado = u'\'' + valor + u'\'';
        const QString sql = QStringLiteral("SELECT * FROM MA_CUENTAS WHERE Codigo = '%1' AND Otro <> 'x'").arg(valor);
        const QString una = db.ORACLE_Dicc(sql);
        EXPECT_EQ(una, QStringLiteral("SELECT * FROM MA_CUENTAS WHERE Codigo = %1 AND Otro <> 'x'").arg(esperado)) << sql.toStdString();
        EXPECT_EQ(db.ORACLE_Dicc(una), una) << sql.toStdString();
    }
}

// Where the splitter sees the next statement of a cleaned-up script.
TEST(OracleScript, SplitterFindsStatementKeywordsOnly)
{
    struct Case {
        const char* script;
        long desde;
        long esperado;
    } casos[] = {
        {"SELECT 1", 1, 0},
        {"  INSERT INTO T VALUES (1)", 1, 3},
        {"insert into T values (1) delete from T", 2, 26},
        {"UPDATE T SET A = 'DELETE ME' WHERE B = 1", 2, 0},         // inside a quoted text
        {"UPDATE T SET A = 'it''s DROP ' WHERE B = 1", 2, 0},       // doubled apostrophe stays inside
        {"UPDATE T SET A = 'x' DELETE FROM U", 2, 22},
        {"UPDATE T SET [DROP ] = 1", 2, 0},                         // bracketed name
        {"UPDATE T SET \"ALTER \" = 1", 2, 0},                      // double-quoted name
        {"UPDATE T SET LASTUPDATE = 1, X_DELETE = 2", 2, 0},        // inside longer names
        {"SELECT COMMITTED, ROLLBACKS FROM T", 1, 0},
        {"SET TRANSACTION INSERT INTO T VALUES (1) COMMIT", 2, 17},
        {"INSERT INTO T VALUES (1) COMMIT", 2, 26},
        {"IF NOT EXISTS (SELECT 1 FROM T) CREATE TABLE T (A INT)", 1, 1},
        {"IF NOT EXISTS (SELECT 1 FROM T) CREATE TABLE T (A INT)", 2, 33},
        {"IF EXISTS (SELECT 1) DROP TABLE T", 1, 1},
        {"GRANT SELECT ON T TO U", 1, 1},
        {"UPDATE T SET A = 'sin cerrar DROP TABLE T", 2, 0},       // an open quote runs to the end
    };
    for (const Case& c : casos)
        EXPECT_EQ(db_oracle::ProximaClave(QString::fromUtf8(c.script), c.desde), c.esperado) << c.script;
}

TEST(OracleScript, CommentsAreDroppedBeforeTheLinesAreJoined)
{
    struct Case {
        const char* script;
        const char* esperado;
    } casos[] = {
        // An apostrophe in a comment would otherwise open a text that hides the DELETE.
        {"INSERT INTO T VALUES (1) -- it's the first\r\nDELETE FROM U", "INSERT INTO T VALUES (1) \r\nDELETE FROM U"},
        {"UPDATE T SET A = '--no' -- yes\nX", "UPDATE T SET A = '--no' \nX"},
        {"SELECT [a--b], \"c--d\" FROM T --", "SELECT [a--b], \"c--d\" FROM T "},
        {"SELECT 5 - -3", "SELECT 5 - -3"},
    };
    for (const Case& c : casos)
        EXPECT_EQ(db_oracle::QuitaComentarios(QString::fromUtf8(c.script)), QString::fromUtf8(c.esperado)) << c.script;
}

// The script runner on a connection whose string names Oracle (the embedded
// engine ignores the extra key): transaction words become calls, GO and
// guards that have no Oracle counterpart are dropped.
class OracleScriptTest : public DbTest {
protected:
    DB_Dll& AbreOracle()
    {
        db_.OpenServerADODB(false, 3, EmbeddedConnString() + QStringLiteral("App=ORACLE;"));
        EXPECT_TRUE(db_.gOpenFlag);
        return db_;
    }
    QStringList Nombres()
    {
        QStringList nombres;
        auto rs = db_.gCnn->Execute(QStringLiteral("SELECT NOMBRE FROM TA_USUARIOS ORDER BY NOMBRE"));
        while (!rs->Eof()) {
            nombres << rs->Fields("NOMBRE").Value().toString();
            rs->MoveNext();
        }
        return nombres;
    }
    DB_Dll db_;
};

TEST_F(OracleScriptTest, RunsStatementByStatement)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = AbreOracle();
    int filas = 0;
    QString script = QStringLiteral("SET NOCOUNT ON\r\nBEGIN TRANSACTION\r\nINSERT INTO TA_USUARIOS (NOMBRE) VALUES ('A')\r\n"
                                    "GO\r\nINSERT INTO TA_USUARIOS (NOMBRE) VALUES ('B')\r\nCOMMIT TRANSACTION");
    db.EjecutaConsultaSQL(script, &filas);
    EXPECT_EQ(filas, 2);
    EXPECT_TRUE(script.isEmpty());
    EXPECT_EQ(Nombres(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));

    // A script without any statement keyword runs nothing.
    QString sola = QStringLiteral("SELECT 1\r\nGO");
    db.EjecutaConsultaSQL(sola, &filas);
    EXPECT_EQ(sola, QStringLiteral("SELECT 1 GO"));
    EXPECT_EQ(filas, 2);
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(OracleScriptTest, KeywordsInsideTextsAndNamesDoNotSplit)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = AbreOracle();
    int filas = 0;
    QString script = QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('DELETE ME; DROP TABLE X')\r\n"
                                    "INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('COMMIT')");
    db.EjecutaConsultaSQL(script, &filas);
    EXPECT_EQ(filas, 2);
    EXPECT_EQ(db.gCnn->Errors().Count(), 0);
    EXPECT_EQ(Nombres(), (QStringList{QStringLiteral("COMMIT"), QStringLiteral("DELETE ME; DROP TABLE X")}));

    // The clean-up and the rewrite leave quoted texts as written.
    db.gCnn->Execute(QStringLiteral("DELETE FROM TA_USUARIOS"));
    QString textos = QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('A LET IT GO NOW')\r\nGO\r\n"
                                    "INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('B SET NOCOUNT ON')\r\n"
                                    "INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('C BEGIN TRANS')\r\n"
                                    "INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('D\r\nE [x]')");
    filas = 0;
    db.EjecutaConsultaSQL(textos, &filas);
    EXPECT_EQ(filas, 4);
    EXPECT_EQ(Nombres(), (QStringList{QStringLiteral("A LET IT GO NOW"), QStringLiteral("B SET NOCOUNT ON"),
                                      QStringLiteral("C BEGIN TRANS"), QStringLiteral("D\r\nE [x]")}));
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(OracleScriptTest, FailingScriptRollsBackTheTransactionItBegan)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = AbreOracle();
    int filas = 0;
    QString script = QStringLiteral("BEGIN TRANSACTION\r\nINSERT INTO TA_USUARIOS (NOMBRE) VALUES ('A')\r\n"
                                    "INSERT INTO NO_EXISTE (X) VALUES (1)\r\n"
                                    "INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('B')\r\nCOMMIT TRANSACTION");
    db.EjecutaConsultaSQL(script, &filas);
    // Nothing of the script stays, the provider's error is kept for the
    // caller, and the connection is usable outside any transaction.
    ASSERT_GE(db.gCnn->Errors().Count(), 1);
    EXPECT_EQ(db.gCnn->Errors().Item(0).NativeError, ado::kNativeMissingObject);
    EXPECT_TRUE(Nombres().isEmpty());
    EXPECT_NO_THROW(db.gCnn->BeginTrans());
    db.gCnn->RollbackTrans();

    // Without a transaction of its own, what ran before the failure stays.
    QString sinTransaccion = QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('C')\r\n"
                                            "INSERT INTO NO_EXISTE (X) VALUES (1)");
    db.EjecutaConsultaSQL(sinTransaccion, &filas);
    EXPECT_EQ(Nombres(), QStringList{QStringLiteral("C")});
    EXPECT_TRUE(dlg.shown().isEmpty());
}

}  // namespace
