// Statements and recordsets: the marker and synonym rewrite, which failures
// stay in the error list, and opening and closing recordsets.
#include "dbfixture.h"

using namespace dbtest;

namespace {

struct RewriteCase {
    bool admin;
    const char* in;
    const char* out;
};

void PrintTo(const RewriteCase& c, std::ostream* os)
{
    *os << (c.admin ? "administrator" : "user") << ": \"" << c.in << "\" -> \"" << c.out << '"';
}

// Both execution members return the statement as they sent it.
class MarkerRewrite : public DbTest, public ::testing::WithParamInterface<RewriteCase> {};

TEST_P(MarkerRewrite, BothExecutionMembers)
{
    const RewriteCase c = GetParam();
    ui::ScriptedSession dlg;
    DB_Dll& db = OpenMain();
    db.gEsAdmin = c.admin;
    QString a = QString::fromUtf8(c.in);
    db.EjecutaConsultaSQL(a);
    EXPECT_EQ(a, QString::fromUtf8(c.out));
    QString b = QString::fromUtf8(c.in);
    db.EjecutaConsultaRSQL(b);
    EXPECT_EQ(b, QString::fromUtf8(c.out));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, MarkerRewrite,
    ::testing::Values(
        // No CREATE and DROP together: markers go, no synonyms.
        RewriteCase{false, "SELECT * FROM @admin_MV_ASIENTOS WHERE A = 1", "SELECT * FROM MV_ASIENTOS WHERE A = 1"},
        RewriteCase{false, "UPDATE MV_ASIENTOS SET A = 1", "UPDATE MV_ASIENTOS SET A = 1"},
        // CREATE and DROP without DELETE or marker: synonyms.
        RewriteCase{false, "DROP VIEW V1 CREATE VIEW V1 AS SELECT * FROM MV_ASIENTOS WHERE 1=0",
                    "DROP VIEW V1 CREATE VIEW V1 AS SELECT * FROM SS_MV_ASIENTOS WHERE 1=0"},
        RewriteCase{true, "DROP VIEW V1 CREATE VIEW V1 AS SELECT * FROM MV_ASIENTOS WHERE 1=0",
                    "DROP VIEW V1 CREATE VIEW V1 AS SELECT * FROM MV_ASIENTOS WHERE 1=0"},
        // ... with the marker: only the marker goes.
        RewriteCase{false, "DROP VIEW V1 CREATE VIEW V1 AS SELECT * FROM @ADMIN_MV_ASIENTOS ",
                    "DROP VIEW V1 CREATE VIEW V1 AS SELECT * FROM MV_ASIENTOS "},
        // ... with DELETE: no synonyms, the marker goes when present.
        RewriteCase{false, "DROP TABLE X CREATE TABLE X (A INT) DELETE FROM MV_ASIENTOS ",
                    "DROP TABLE X CREATE TABLE X (A INT) DELETE FROM MV_ASIENTOS "},
        RewriteCase{false, "drop table X create table X (A INT) delete from @Admin_X ",
                    "drop table X create table X (A INT) delete from X "}));

struct SynonymCase {
    const char* in;
    const char* out;
};

void PrintTo(const SynonymCase& c, std::ostream* os)
{
    *os << '"' << c.in << "\" -> \"" << c.out << '"';
}

class Synonyms : public DbTest, public ::testing::WithParamInterface<SynonymCase> {};

TEST_P(Synonyms, NonAdministrator)
{
    DB_Dll db;
    EXPECT_EQ(db.SS_TSinonimos(QString::fromUtf8(GetParam().in)), QString::fromUtf8(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, Synonyms,
    ::testing::Values(
        SynonymCase{"SELECT * FROM MA_CUENTAS WHERE A=1", "SELECT * FROM SS_MA_CUENTAS WHERE A=1"},
        SynonymCase{"select * from ma_cuentas where a=1", "select * from SS_MA_CUENTAS where a=1"},
        SynonymCase{"SELECT MA_CUENTAS.X FROM {MA_CUENTAS.Y,MA_CUENTAS.Z (MA_CUENTAS ",
                    "SELECT SS_MA_CUENTAS.X FROM {SS_MA_CUENTAS.Y,SS_MA_CUENTAS.Z (SS_MA_CUENTAS "},
        // The name at the very end, or before a line break, tab or ")".
        SynonymCase{"SELECT * FROM MV_ASIENTOS", "SELECT * FROM SS_MV_ASIENTOS"},
        SynonymCase{"SELECT * FROM V_TA_CAJAS\r\nWHERE 1=1", "SELECT * FROM SS_V_TA_CAJAS\r\nWHERE 1=1"},
        SynonymCase{"SELECT * FROM V_TA_FAMILIAS\tF", "SELECT * FROM SS_V_TA_FAMILIAS\tF"},
        SynonymCase{"SELECT * FROM (SELECT * FROM V_TA_DEPOSITO)", "SELECT * FROM (SELECT * FROM SS_V_TA_DEPOSITO)"},
        SynonymCase{"SELECT * FROM\nAC_CUENTASDIARIO", "SELECT * FROM\nSS_AC_CUENTASDIARIO"},
        // The cost-centre table's synonym is spelled differently.
        SynonymCase{"SELECT * FROM AC_CUENTASDIARIO_CCOSTO ", "SELECT * FROM SS_AC_CUENTAS_DIARIO_CCOSTO "},
        // Longer names and synonyms stay.
        SynonymCase{"SELECT * FROM MV_ASIENTOSX ", "SELECT * FROM MV_ASIENTOSX "},
        SynonymCase{"SELECT * FROM SS_MV_ASIENTOS ", "SELECT * FROM SS_MV_ASIENTOS "},
        // An owner or brackets do not hide the table.
        SynonymCase{"SELECT * FROM dbo.MV_ASIENTOS ", "SELECT * FROM dbo.SS_MV_ASIENTOS "},
        SynonymCase{"SELECT * FROM [MV_ASIENTOS] A", "SELECT * FROM [SS_MV_ASIENTOS] A"},
        SynonymCase{"SELECT * FROM dbo.[V_TA_CAJAS]", "SELECT * FROM dbo.[SS_V_TA_CAJAS]"},
        // A statement on the seats keeps the accounts table.
        SynonymCase{"SELECT * FROM MV_ASIENTOS A, MA_CUENTAS C ", "SELECT * FROM SS_MV_ASIENTOS A, MA_CUENTAS C "},
        // The marker opts a name out.
        SynonymCase{"SELECT * FROM @Admin_MV_ASIENTOS WHERE 1=1", "SELECT * FROM MV_ASIENTOS WHERE 1=1"},
        SynonymCase{"SELECT * FROM @admin_MA_CUENTAS , MA_CUENTAS X", "SELECT * FROM MA_CUENTAS , MA_CUENTAS X"}));

TEST_F(DbTest, SynonymsForAdministratorsConfidentialityAndExemptPrograms)
{
    DB_Dll db;
    db.gEsAdmin = true;
    EXPECT_EQ(db.SS_TSinonimos(QStringLiteral("SELECT * FROM @ADMIN_MA_CUENTAS , MV_ASIENTOS ")),
              QStringLiteral("SELECT * FROM MA_CUENTAS , MV_ASIENTOS "));
    db.gEsAdmin = false;
    ModGlobal::SSConfidencialidad = true;
    EXPECT_EQ(db.SS_TSinonimos(QStringLiteral("SELECT * FROM MV_ASIENTOS A, MA_CUENTAS C ")),
              QStringLiteral("SELECT * FROM SS_MV_ASIENTOS A, SS_MA_CUENTAS C "));
    legacy::App().exeName = QStringLiteral("ganzubel");
    EXPECT_EQ(db.SS_TSinonimos(QStringLiteral("SELECT * FROM V_TA_DEPOSITO ")),
              QStringLiteral("SELECT * FROM V_TA_DEPOSITO "));
    legacy::App().exeName = QStringLiteral("ZEQ");
    EXPECT_EQ(db.SS_TSinonimos(QStringLiteral("SELECT * FROM V_TA_FAMILIAS ")),
              QStringLiteral("SELECT * FROM V_TA_FAMILIAS "));
}

TEST_F(DbTest, FailedStatementsLeaveTheirErrorsForTheCaller)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = OpenMain();
    int filas = -1;
    db.EjecutaConsultaSQL(QStringLiteral("INSERT INTO NO_EXISTE (A) VALUES (1)"), &filas);
    ASSERT_GE(db.gCnn->Errors().Count(), 1);
    EXPECT_EQ(db.gCnn->Errors().Item(0).NativeError, ado::kNativeMissingObject);

    // A transaction batch is never retried and its errors stay too.
    db.EjecutaConsultaSQL(QStringLiteral("BEGIN TRANSACTION\r\nINSERT INTO NO_EXISTE (A) VALUES (1)\r\nCOMMIT TRANSACTION"));
    EXPECT_GE(db.gCnn->Errors().Count(), 1);

    // A good statement clears the list and counts its rows.
    db.EjecutaConsultaSQL(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('X')"), &filas);
    EXPECT_EQ(db.gCnn->Errors().Count(), 0);
    EXPECT_EQ(filas, 1);

    std::shared_ptr<ado::Recordset> rs;
    db.EjecutaConsultaSQL(QStringLiteral("SELECT NOMBRE FROM TA_USUARIOS"), nullptr, &rs);
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Fields("NOMBRE").Value().toString(), QStringLiteral("X"));
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(DbTest, StatementsOnAnotherObjectReadThatObjectsErrors)
{
    ui::ScriptedSession dlg;
    OpenMain();
    DB_Dll otro;
    otro.gServidor = QStringLiteral("(sqlite)");
    otro.gDBName = kDb;
    otro.OpenServerADODB(false, 3);
    otro.EjecutaConsultaRSQL(QStringLiteral("INSERT INTO NO_EXISTE (A) VALUES (1)"));
    EXPECT_GE(otro.gCnn->Errors().Count(), 1) << "no box, the error stays for the caller";
    EXPECT_EQ(ModGlobal::gDB().gCnn->Errors().Count(), 0);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

// The list after a statement: a truncation warning alone (one or two
// entries) is cleared unless the statement is a transaction; more stay.
TEST_F(DbTest, TruncationWarningRules)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = OpenMain();
    ado::Error trunc{ado::kErrTruncation, ado::kNativeTruncation, QStringLiteral("22001"),
                     QStringLiteral("String or binary data would be truncated."), {}};
    ado::Error otro{ado::kErrSyntax, 3621, QStringLiteral("01000"), QStringLiteral("The statement has been terminated."), {}};
    ado::testing::FailNextExecute(*db.gCnn, {trunc, otro}, 1, false);
    db.EjecutaConsultaSQL(QStringLiteral("UPDATE TA_USUARIOS SET NOMBRE = 'A'"));
    ASSERT_EQ(ado::testing::PendingFailures(*db.gCnn), 0) << "the statement did not reach the injected failure";
    EXPECT_EQ(db.gCnn->Errors().Count(), 0);

    struct Case {
        QList<ado::Error> errores;
        bool raise;
        const char* sql;
        int quedan;
    } cases[] = {
        {{trunc, otro, otro}, false, "UPDATE TA_USUARIOS SET NOMBRE = 'A'", 3},
        {{trunc}, false, "BEGIN TRANSACTION\r\nUPDATE TA_USUARIOS SET NOMBRE = 'A'\r\nCOMMIT TRANSACTION", 1},
        {{otro, trunc}, false, "UPDATE TA_USUARIOS SET NOMBRE = 'A'", 2},
        // In the error path the first entry decides, whatever the count.
        {{trunc, otro, otro}, true, "UPDATE TA_USUARIOS SET NOMBRE = 'A'", 0},
        {{trunc}, true, "BEGIN TRANSACTION\r\nUPDATE TA_USUARIOS SET NOMBRE = 'A'\r\nCOMMIT TRANSACTION", 1},
    };
    for (const Case& c : cases) {
        ado::testing::FailNextExecute(*db.gCnn, c.errores, 1, c.raise);
        db.EjecutaConsultaSQL(QString::fromUtf8(c.sql));
        EXPECT_EQ(db.gCnn->Errors().Count(), c.quedan) << c.sql << " raise " << c.raise;
    }
}

TEST_F(DbTest, RecordsetsOpenAndClose)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = OpenMain();
    db.gCnn->Execute(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('ANA')"));

    // A recordset that was never created is created, and counts as closed.
    std::shared_ptr<ado::Recordset> rs;
    db.CierraRecordset(rs);
    EXPECT_FALSE(rs);
    QString sql = QStringLiteral("SELECT NOMBRE FROM TA_USUARIOS");
    db.AbrirRecordset(sql, rs);
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->State(), ado::adStateOpen);
    EXPECT_EQ(rs->Fields("NOMBRE").Value().toString(), QStringLiteral("ANA"));
    EXPECT_GE(dlg.doEventsCount(), 1) << "the opening yields to the event loop";

    // Opening again closes first; closing twice does nothing.
    db.AbrirRecordset(sql, rs);
    EXPECT_EQ(rs->State(), ado::adStateOpen);
    db.CierraRecordset(rs);
    EXPECT_EQ(rs->State(), ado::adStateClosed);
    db.CierraRecordset(rs);

    // Synonyms are applied to every query and returned.
    db.gEsAdmin = false;
    QString conSinonimo = QStringLiteral("SELECT * FROM MV_ASIENTOS WHERE 1=0");
    db.AbrirRecordset(conSinonimo, rs);
    EXPECT_EQ(conSinonimo, QStringLiteral("SELECT * FROM SS_MV_ASIENTOS WHERE 1=0"));
    EXPECT_EQ(rs->State(), ado::adStateOpen) << "the database offers the synonym";
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(DbTest, RecordsetOnAnotherConnectionAndRetryAnswer)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = OpenMain();
    db.gEsAdmin = true;
    DB_Dll otro;
    otro.gServidor = QStringLiteral("(sqlite)");
    otro.gDBName = kDb;
    otro.OpenServerADODB(false, 3);
    otro.gCnn->Execute(QStringLiteral("CREATE TABLE SOLO_OTRO (A INT)"));

    std::shared_ptr<ado::Recordset> rs;
    db.AbrirRecordset(QStringLiteral("SELECT * FROM SOLO_OTRO"), rs, otro.gCnn);
    EXPECT_EQ(rs->State(), ado::adStateOpen);

    // The library's error box: Retry runs the failed opening again, Abort
    // leaves with the recordset closed.
    dlg.expectMsgBox(QStringLiteral("NO_AUN"), ui::vbRetry).title(QStringLiteral("AbrirRecordset"));
    dlg.expectMsgBox(QStringLiteral("NO_AUN"), ui::vbRetry);
    dlg.expectMsgBox(QStringLiteral("NO_AUN"), ui::vbAbort);
    QString sql = QStringLiteral("SELECT * FROM NO_AUN");
    db.AbrirRecordset(sql, rs);
    EXPECT_EQ(rs->State(), ado::adStateClosed);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

// A failing case names its statements.
TEST(StatementCases, PrintTheirTexts)
{
    EXPECT_EQ(::testing::PrintToString(RewriteCase{true, "A", "B"}), "administrator: \"A\" -> \"B\"");
    EXPECT_EQ(::testing::PrintToString(SynonymCase{"A", "B"}), "\"A\" -> \"B\"");
}

}  // namespace
