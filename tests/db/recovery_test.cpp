// Recovery of a lost connection: silent reopening, the question, the
// reconnect window's batches and buttons, and network failures of
// statements and lookups.
#include "dbfixture.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace dbtest;

namespace {

const QString kPregunta = QStringLiteral("SE PERDIÓ LA CONEXION CON EL SERVIDOR. ((sqlite)) ");
const QString kPerdida = QStringLiteral("Se perdio la conexion con la base de datos PRUEBA");

class Recovery : public DbTest {
protected:
    static ado::Error Red()
    {
        return ado::Error{ado::kErrProvider, ado::kNativeNetwork, QStringLiteral("08S01"),
                          QStringLiteral("General network error."), {}};
    }
    int Usuarios(DB_Dll& db)
    {
        auto rs = db.gCnn->Execute(QStringLiteral("SELECT COUNT(*) AS N FROM TA_USUARIOS"));
        return rs->Fields("N").Value().toLong();
    }
};

TEST_F(Recovery, OtherErrorsAreLeftToTheCaller)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();
    int intentos = 0;
    EXPECT_EQ(db.ManejaErrorConexion(ado::kErrSyntax, intentos, QStringLiteral("X")), 0);
    EXPECT_EQ(db.ManejaErrorConexion(5, intentos, QStringLiteral("X")), 0);
    EXPECT_EQ(intentos, 0);
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(Recovery, DroppedConnectionIsReopenedSilently)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();
    for (long numero : {long(ado::adErrObjectClosed), long(ado::adErrInvalidConnection), long(ado::kErrProvider)}) {
        db.gCnn->Close();
        int intentos = 0;
        EXPECT_EQ(db.ManejaErrorConexion(numero, intentos, QStringLiteral("X")), 1);
        EXPECT_EQ(intentos, 0);
        EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
    }
    // Two silent tries in a row failed before: the question comes at once.
    dlg.expectMsgBox(kPregunta, ui::vbNo).title(QStringLiteral("Conexión a la base de datos"))
        .style(ui::vbYesNo + ui::vbCritical);
    int intentos = 2;
    db.gCnn->Close();
    EXPECT_EQ(db.ManejaErrorConexion(3709, intentos, QStringLiteral("X")), 2);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(Recovery, ReopenedConnectionKeepsItsIsolationWithTenSecondCommands)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();
    db.gCnn->setCommandTimeout(120);
    db.gCnn->setIsolationLevel(ado::adXactReadUncommitted);
    const QString antes = db.gConnString;
    db.gCnn->Close();
    EXPECT_TRUE(db.ReintentaConectar());
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn->CommandTimeout(), 10);
    EXPECT_EQ(db.gCnn->IsolationLevel(), int(ado::adXactReadUncommitted));
    EXPECT_EQ(db.gConnString, antes);
    EXPECT_EQ(db.gCnn->ConnectionTimeout(), 5);

    HideDatabase();
    EXPECT_FALSE(db.ReintentaConectar());
    EXPECT_FALSE(db.gOpenFlag);
    RestoreDatabase();
    EXPECT_TRUE(db.AsegurarConexion());
}

TEST_F(Recovery, ReconnectWindowRetriesInBatchesUntilTheServerReturns)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();
    db.gCnn->Close();
    HideDatabase();

    struct Paso {
        int progreso;
        bool boton;
    };
    QList<Paso> pasos;
    dlg.expectMsgBox(kPregunta, ui::vbYes);
    dlg.onWait = [&] {
        frmReconectar& f = frmReconectar::Default();
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(f.lblMensaje->text().startsWith(QStringLiteral("AbrirRecordset\nIntentando reconectar")));
        pasos.push_back({f.prgIntentos->value(), f.CmdReintentar->isEnabled()});
        if (pasos.size() == 13)
            RestoreDatabase();
    };
    int intentos = 0;
    EXPECT_EQ(db.ManejaErrorConexion(3709, intentos, QStringLiteral("AbrirRecordset")), 1);
    EXPECT_EQ(intentos, 0);
    EXPECT_EQ(db.gCnn->State(), ado::adStateOpen);
    EXPECT_FALSE(frmReconectar::Loaded());

    // One failed silent try, then 10 tries with the button usable on the
    // last one only, then a new batch; the 14th try finds the server.
    ASSERT_EQ(pasos.size(), 13);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(pasos[i].progreso, (i + 1) * 10);
        EXPECT_EQ(pasos[i].boton, i == 9) << i;
    }
    EXPECT_EQ(pasos[10].progreso, 10);
    EXPECT_EQ(dlg.waitedMilliseconds(), 13 * 500);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(Recovery, ReconnectWindowButtons)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();
    HideDatabase();

    // "Reintentar" serves only on the last try of a batch and starts the
    // next one (of 10 tries); "Cerrar Sistema" gives up at once.
    QList<int> progreso;
    dlg.onWait = [&] {
        frmReconectar& f = frmReconectar::Default();
        progreso.push_back(f.prgIntentos->value());
        if (progreso.size() == 2 || progreso.size() == 4)
            f.CmdReintentar->click();
        if (progreso.size() == 6)
            f.cmdCancelar->click();
    };
    EXPECT_FALSE(db.EsperaReconexion(4, QStringLiteral("Rutina")));
    EXPECT_EQ(progreso, (QList<int>{25, 50, 75, 100, 10, 20}));
    EXPECT_FALSE(frmReconectar::Loaded());

    // Through the question: "Cerrar Sistema" means the program ends.
    dlg.expectMsgBox(kPregunta, ui::vbYes);
    progreso.clear();
    int intentos = 0;
    EXPECT_EQ(db.ManejaErrorConexion(3709, intentos, QStringLiteral("X")), 2);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(Recovery, OneQuestionAtATime)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();
    db.gCnn->Close();
    HideDatabase();
    long anidado = -1;
    dlg.expectMsgBox(kPregunta, ui::vbNo);
    dlg.onMsgBox = [&](const QString&) {
        int otro = 2;
        anidado = db.ManejaErrorConexion(3709, otro, QStringLiteral("Y"));
    };
    int intentos = 0;
    EXPECT_EQ(db.ManejaErrorConexion(3709, intentos, QStringLiteral("X")), 2);
    EXPECT_EQ(anidado, 0);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(Recovery, RecordsetOnALostConnection)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();
    std::shared_ptr<ado::Recordset> rs;
    db.gCnn->Close();
    db.AbrirRecordset(QStringLiteral("SELECT * FROM TA_USUARIOS"), rs);
    EXPECT_EQ(rs->State(), ado::adStateOpen) << "reopened silently";
    EXPECT_TRUE(dlg.shown().isEmpty());

    db.gCnn->Close();
    HideDatabase();
    dlg.expectMsgBox(kPregunta, ui::vbNo);
    EXPECT_THROW(db.AbrirRecordset(QStringLiteral("SELECT * FROM TA_USUARIOS"), rs), legacy::ProgramEnd);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

// The file taken away while the program runs (the connection still open on
// it): the next read is a lost link, the question and then the reconnect
// window come, and the file put back is taken up at the next try.
TEST_F(Recovery, DatabaseFileTakenAwayOffersTheReconnection)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();
    Run(db, QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('ANA')"));
    HideDatabase();
    dlg.expectMsgBox(kPregunta, ui::vbYes);
    int tries = 0;
    dlg.onWait = [&] {
        EXPECT_TRUE(frmReconectar::Default().isVisible());
        if (++tries == 3)
            RestoreDatabase();
    };
    std::shared_ptr<ado::Recordset> rs;
    db.AbrirRecordset(QStringLiteral("SELECT NOMBRE FROM TA_USUARIOS"), rs);
    ASSERT_EQ(rs->State(), ado::adStateOpen);
    EXPECT_EQ(rs->Fields("NOMBRE").Value().toString(), QStringLiteral("ANA"));
    EXPECT_EQ(tries, 3) << "the fourth try found the file";
    EXPECT_FALSE(frmReconectar::Loaded());
    EXPECT_TRUE(dlg.remaining().isEmpty());

    // A statement on the file taken away: the network failure's Yes/No.
    HideDatabase();
    dlg.expectMsgBox(kPerdida, ui::vbYes);
    dlg.onWait = nullptr;
    dlg.onMsgBox = [&](const QString&) { RestoreDatabase(); };
    db.EjecutaConsultaSQL(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('EVA')"));
    EXPECT_EQ(Usuarios(db), 2);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(Recovery, NetworkFailureOfAStatementIsRetriedAfterReopening)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();

    ado::testing::FailNextExecute(*db.gCnn, Red(), 1);
    db.EjecutaConsultaSQL(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('A')"));
    EXPECT_EQ(Usuarios(db), 1);

    // Three reopenings at most, then the statement is given up.
    ado::testing::FailNextExecute(*db.gCnn, Red(), 5);
    db.EjecutaConsultaSQL(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('B')"));
    EXPECT_EQ(ado::testing::PendingFailures(*db.gCnn), 2);
    ado::testing::ClearInjectedFailures();
    EXPECT_EQ(Usuarios(db), 1);

    // A transaction is never retried.
    ado::testing::FailNextExecute(*db.gCnn, Red(), 2);
    db.EjecutaConsultaSQL(QStringLiteral("BEGIN TRANSACTION\r\nINSERT INTO TA_USUARIOS (NOMBRE) VALUES ('C')\r\nCOMMIT TRANSACTION"));
    EXPECT_EQ(ado::testing::PendingFailures(*db.gCnn), 1);
    ado::testing::ClearInjectedFailures();
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(Recovery, NetworkFailureWithTheServerGoneAsksYesOrNo)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();

    // Yes brings it back once the server is there again.
    HideDatabase();
    ado::testing::FailNextExecute(*db.gCnn, Red(), 1);
    dlg.expectMsgBox(kPerdida, ui::vbYes).title(QStringLiteral("AVISO AL OPERADOR")).style(ui::vbYesNo + ui::vbCritical);
    dlg.expectMsgBox(kPerdida, ui::vbYes);
    int preguntas = 0;
    dlg.onMsgBox = [&](const QString&) {
        if (++preguntas == 2)
            RestoreDatabase();
    };
    db.EjecutaConsultaSQL(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('A')"));
    EXPECT_EQ(Usuarios(db), 1);

    // No ends the program.
    HideDatabase();
    ado::testing::FailNextExecute(*db.gCnn, Red(), 1);
    dlg.expectMsgBox(kPerdida, ui::vbNo);
    EXPECT_THROW(db.EjecutaConsultaSQL(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('B')")),
                 legacy::ProgramEnd);
    RestoreDatabase();
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(Recovery, NetworkFailureOfALookupRetriesTwiceThenShowsTheError)
{
    DrivenDialogs dlg;
    DB_Dll& db = OpenMain();
    db.gCnn->Execute(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('ANA')"));

    ado::testing::FailNextExecute(*db.gCnn, Red(), 2);
    EXPECT_TRUE(db.ExisteEnTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("ANA"), QStringLiteral("NOMBRE"),
                                 nullptr, 8));
    EXPECT_TRUE(dlg.shown().isEmpty());

    ado::testing::FailNextExecute(*db.gCnn, Red(), 3);
    dlg.expectMsgBox(QStringLiteral("General network error."), ui::vbAbort).title(QStringLiteral("Aviso al Operador"));
    EXPECT_FALSE(db.ExisteEnTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("ANA"), QStringLiteral("NOMBRE"),
                                  nullptr, 8));
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

}  // namespace
