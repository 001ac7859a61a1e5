// Seats worked by hand: the motive's side follows the direction the rows
// move, the movement kind of a remit is the voucher's in both modes, and
// seat numbers run on without gaps after refused saves and seats that book
// nothing.
#include "voucher/stock/entorno_stock.h"

#include "platform/ado/connection.h"

using namespace stocktest;

namespace {

class AsientosCasos : public StockTest {
protected:
    void SetUp() override
    {
        StockTest::SetUp();
        ConAsientos();
        cls_ = std::make_unique<ClsCmnCptes>();
    }

    // One voucher through `cls`'s writer; in the collecting mode its text is
    // appended to `sql`. False when the writer reports a failure.
    bool Graba(ClsCmnCptes& cls, const QString& tc, const QString& id, bool colecta, QString& sql, int signo = 0,
               const QString& fechaVoucher = "05/11/2026")
    {
        QString fecha = fechaVoucher, dep = "1", dest, motivo, tcOrigen, origen, cta, tecnico = "NULL", loteFijo,
                aduana, loteOrigen, vendedor, moneda = "1";
        bool hayError = false;
        cls.ActualizaStock(*grilla_, tc, id, "0", fecha, dep, dest, motivo, tcOrigen, origen, false, cta, colecta, sql,
                           hayError, tecnico, loteFijo, aduana, loteOrigen, signo, false, vendedor, 0, moneda,
                           legacy::Currency(1));
        return !hayError;
    }

    QStringList Asiento(const QString& id)
    {
        return Filas(QStringLiteral("SELECT Cuenta, [DEBE-HABER], Importe, CABImporte FROM MV_ASIENTOS WHERE NUMERO = "
                                    "'%1' ORDER BY [DEBE-HABER], Cuenta")
                         .arg(id.mid(4, 8)));
    }
};

// P1 2 x 10 on 1.3.01 under motive 1 (5.1.01), or a remit's motive 2
// (5.2.01): rows that enter put the motive on the credit side, rows that
// leave on the debit side, whatever names the type and whatever sign is
// imposed.
TEST_F(AsientosCasos, TheMotiveSideFollowsTheRowsInBothModes)
{
    Tipo("IR", "S", "STOCK");
    Tipo("VS", "E", "STOCK");
    const QStringList entra{"1.3.01|D|20|20", "5.1.01|H|20|20"}, sale{"5.1.01|D|20|20", "1.3.01|H|20|20"};
    struct Caso {
        const char* tc;
        int signo;
        const char* cantidad;
        QStringList asiento;
    };
    const Caso casos[] = {
        {"RMX", 1, "2", entra},   // an exit type with the entry sign imposed
        {"RMX", 0, "-2", sale},
        {"IRX", -1, "-2", sale},  // an entry type with the exit sign imposed
        {"IR", 0, "-2", sale},    // stored as an exit
        {"VS", 0, "2", entra},    // stored as an entry
        {"RM", 1, "2", {"1.3.01|D|20|20", "5.2.01|H|20|20"}},
        {"RM", 0, "-2", {"5.2.01|D|20|20", "1.3.01|H|20|20"}},
    };
    Lineas({{{0, "P1"}, {8, "2"}, {41, "10"}}});
    int numero = 100;
    for (const Caso& c : casos)
        for (const bool colecta : {false, true}) {
            SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(c.tc).arg(c.signo).arg(colecta).toStdString());
            const QString id = QStringLiteral("0001%1X").arg(++numero, 8, 10, QChar(u'0'));
            QString sql;
            ASSERT_TRUE(Graba(*cls_, c.tc, id, colecta, sql, c.signo));
            if (colecta)
                ModGlobal::gDB().EjecutaConsultaSQL(sql);
            EXPECT_EQ(Filas(QStringLiteral("SELECT SUM(Cantidad) FROM V_MV_STOCK WHERE IdComprobante = '%1'").arg(id)),
                      QStringList{c.cantidad});
            EXPECT_EQ(Asiento(id), c.asiento);
        }
}

// A remit of P2 1 x 3.333 (1.3.02), P1 4 x 10 and then P3 2 x 3.333 (1.3.01)
// lent (column 91 1): a loan remit, 49.999 on the loan motive 3 (5.2.02),
// 46.666 on 1.3.01 and 3.333 on 1.3.02, also for the rows before the loan
// row when each row is booked as it is stored (amounts read back with the
// decimal comma).
TEST_F(AsientosCasos, ARemitWithALoanRowIsALoanRemitInBothModes)
{
    const QStringList comodato{"5.2.02|D|49,999|49,999", "1.3.01|H|46,666|49,999", "1.3.02|H|3,333|49,999"};
    const QList<QList<Celdas>> grillas = {
        {{{0, "P2"}, {8, "1"}, {41, "3.333"}}, {{0, "P1"}, {8, "4"}, {41, "10"}},
         {{0, "P3"}, {8, "2"}, {41, "3.333"}, {91, "1"}}},
        {{{0, "P3"}, {8, "2"}, {41, "3.333"}, {91, "1"}}, {{0, "P2"}, {8, "1"}, {41, "3.333"}},
         {{0, "P1"}, {8, "4"}, {41, "10"}}},
    };
    int numero = 200;
    for (const auto& lineas : grillas)
        for (const bool colecta : {false, true}) {
            SCOPED_TRACE(colecta ? "collecting" : "executing");
            Lineas(lineas);
            const QString id = QStringLiteral("0001%1X").arg(++numero, 8, 10, QChar(u'0'));
            QString sql;
            ASSERT_TRUE(Graba(*cls_, "RM", id, colecta, sql));
            if (colecta)
                ModGlobal::gDB().EjecutaConsultaSQL(sql);
            EXPECT_EQ(Asiento(id), comodato);
        }
}

// Composites (reglas::CompuestosConCuentas) on account "PorDefault", each
// row on its article's provider account. The input rows belong to the
// consumption voucher: the remit's kind comes from its own last row. RM K9
// 2 x 10: transfer, 5.2.03 D 20; RM KA 2 x 10: remit, 5.2.01 D 20. An IR
// whose lines name their origin, K9 2 x 10 from an OC and then P1 1 x 5
// from an RM: the kind of its last row, from a remit (5.2.03 H 25), not the
// reception of the OC. P1 2 x 10 from an OC and then P2 1 x 5 of no origin:
// no kind, every line under the voucher's motive 1 (5.1.01 H 25), also the
// line booked under the reception motive when it was stored; with a motive
// per line (1, then 2 on 5.2.01), each line under its own.
TEST_F(AsientosCasos, TheVoucherKindComesFromItsOwnLastRowInBothModes)
{
    Tipo("IR", "E", "STOCK");
    Cfg("MotivoStockTransferencias", "4");
    Cfg("MotivoStockRecepcionOC", "5");
    reglas::CompuestosConCuentas([this](const QString& sql) { Ejecuta(sql); });
    struct Caso {
        const char* tc;
        QList<Celdas> lineas;
        QStringList asiento;
        const char* motivo = "";
    };
    const Caso casos[] = {
        {"RM", {{{0, "K9"}, {5, "UN"}, {8, "2"}, {41, "10"}}}, {"5.2.03|D|20|20", "1.3.01|H|20|20"}},
        {"RM", {{{0, "KA"}, {5, "UN"}, {8, "2"}, {41, "10"}}}, {"5.2.01|D|20|20", "1.3.01|H|20|20"}},
        {"IR",
         {{{0, "K9"}, {5, "UN"}, {8, "2"}, {41, "10"}, {37, "OC  000100000001X"}},
          {{0, "P1"}, {5, "UN"}, {8, "1"}, {41, "5"}, {37, "RM  000100000002X"}}},
         {"1.3.01|D|25|25", "5.2.03|H|25|25"}},
        {"IR",
         {{{0, "P1"}, {5, "UN"}, {8, "2"}, {41, "10"}, {37, "OC  000100000001X"}},
          {{0, "P2"}, {5, "UN"}, {8, "1"}, {41, "5"}}},
         {"1.3.01|D|20|25", "1.3.02|D|5|25", "5.1.01|H|25|25"}},
        {"IR",
         {{{0, "P1"}, {5, "UN"}, {8, "2"}, {41, "10"}, {37, "OC  000100000001X"}, {89, "1"}},
          {{0, "P2"}, {5, "UN"}, {8, "1"}, {41, "5"}, {89, "2"}}},
         {"1.3.01|D|20|25", "1.3.02|D|5|25", "5.1.01|H|20|25", "5.2.01|H|5|25"},
         "ELDELGRID"},
    };
    Opciones o;
    o.cuenta = "PorDefault";
    int numero = 300;
    for (const Caso& c : casos)
        for (const bool colecta : {false, true}) {
            SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(c.tc).arg(numero).arg(colecta).toStdString());
            o.tcOrigen = std::string(c.tc) == "IR" ? "ELDELGRID" : "";
            o.motivo = c.motivo;
            Lineas(c.lineas);
            const QString id = QStringLiteral("0001%1X").arg(++numero, 8, 10, QChar(u'0'));
            const Resultado r = Escribe(c.tc, id, colecta, o);
            ASSERT_FALSE(r.hayError);
            if (colecta)
                ModGlobal::gDB().EjecutaConsultaSQL(r.sql);
            ASSERT_EQ(Filas(QStringLiteral("SELECT COUNT(*) FROM V_MV_STOCK WHERE TC = 'PE' AND "
                                           "IdComprobante_Origen = '%1'").arg(id)),
                      QStringList{c.lineas.front().at(0).startsWith(u'K') ? "1" : "0"})
                << "the composite's input row";
            EXPECT_EQ(Asiento(id), c.asiento);
        }
}

// December holds no seat yet. Window A's voucher is refused with its seat
// and rolled back; stored again it takes seat 1, window B's next voucher 2.
// A collected batch of two vouchers refused and collected anew: 3 and 4.
TEST_F(AsientosCasos, ARefusedSaveLeavesNoGapInTheSeatNumbers)
{
    const QString diciembre = "05/12/2026";
    Lineas({{{0, "P1"}, {8, "2"}, {41, "10"}}});
    DB_Dll& db = ModGlobal::gDB();
    // The stock row's sequence already taken: the row and its seat are refused.
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IdComprobante, Secuencia) VALUES ('AJP ', '000100000081X', 1)");
    {
        ui::ScriptedSession dialogos;
        dialogos.expectMsgBox("").title("Aviso al operador");
        db.gCnn->BeginTrans();
        QString sql;
        EXPECT_FALSE(Graba(*cls_, "AJP", "000100000081X", false, sql, 0, diciembre));
        db.gCnn->RollbackTrans();
        dialogos.verifyDone();
    }
    Ejecuta("DELETE FROM V_MV_STOCK");
    ClsCmnCptes ventanaB;
    QString sql;
    ASSERT_TRUE(Graba(*cls_, "AJP", "000100000081X", false, sql, 0, diciembre));
    ASSERT_TRUE(Graba(ventanaB, "AJP", "000100000082X", false, sql, 0, diciembre));

    // The batch's second voucher finds its sequence taken: nothing of the
    // batch is stored.
    QString lote;
    ASSERT_TRUE(Graba(*cls_, "AJN", "000100000083X", true, lote, 0, diciembre));
    ASSERT_TRUE(Graba(*cls_, "AJN", "000100000084X", true, lote, 0, diciembre));
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IdComprobante, Secuencia) VALUES ('AJN ', '000100000084X', 1)");
    db.gCnn->Errors().Clear();
    db.EjecutaConsultaSQL("BEGIN TRANSACTION" + lote + "\rCOMMIT TRANSACTION");
    EXPECT_GT(db.gCnn->Errors().Count(), 0);
    Ejecuta("DELETE FROM V_MV_STOCK WHERE TC = 'AJN'");
    lote.clear();
    ASSERT_TRUE(Graba(*cls_, "AJN", "000100000083X", true, lote, 0, diciembre));
    ASSERT_TRUE(Graba(*cls_, "AJN", "000100000084X", true, lote, 0, diciembre));
    db.EjecutaConsultaSQL(lote);
    EXPECT_EQ(Filas("SELECT DISTINCT NUMERO, [Numero Asiento] FROM MV_ASIENTOS ORDER BY NUMERO"),
              (QStringList{"00000081|1", "00000082|2", "00000083|3", "00000084|4"}));
}

// A collected voucher refused (its batch never stored), then the window's
// next voucher stored at once: seat 1 of December.
TEST_F(AsientosCasos, AVoucherStoredAtOnceAfterARefusedBatchTakesTheNextFreeSeat)
{
    Lineas({{{0, "P1"}, {8, "2"}, {41, "10"}}});
    QString lote, sql;
    ASSERT_TRUE(Graba(*cls_, "AJN", "000100000091X", true, lote, 0, "05/12/2026"));
    ASSERT_TRUE(lote.contains("INSERT INTO MV_ASIENTOS"));
    ASSERT_TRUE(Graba(*cls_, "AJN", "000100000092X", false, sql, 0, "05/12/2026"));
    EXPECT_EQ(Filas("SELECT DISTINCT NUMERO, [Numero Asiento] FROM MV_ASIENTOS"), QStringList{"00000092|1"});
}

// December holds seat 1 of ST. An AJP whose line has no account books
// nothing and takes no number: the next seat of ST, an AJN, takes 2.
TEST_F(AsientosCasos, ASeatThatBooksNothingTakesNoNumber)
{
    Ejecuta("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('AJP ', 'ST  '), ('AJN ', 'ST  ')");
    Ejecuta("INSERT INTO MV_ASIENTOS (Cuenta, [Numero Asiento], Mes_Operativo, PERIODO, Tipo_Reg) VALUES ('x', 1, 12, "
            "2026, 'ST  ')");
    const auto asiento = [&](const char* tc, const char* nro) {
        QString motivo = "1", t = tc, suc = "0001", n = nro, letra = "X";
        int secuencia = 1;
        return cls_->GeneraAsientoStock(*grilla_, motivo, t, suc, n, letra, "05/12/2026", true, 0, 0, &secuencia);
    };
    Lineas({{{0, "P4"}, {8, "2"}, {41, "10"}}});
    EXPECT_EQ(asiento("AJP", "00000510"), "");
    Lineas({{{0, "P1"}, {8, "2"}, {41, "10"}}});
    Ejecuta(asiento("AJN", "00000511"));
    EXPECT_EQ(Filas("SELECT DISTINCT NUMERO, [Numero Asiento] FROM MV_ASIENTOS WHERE TC = 'AJN' ORDER BY NUMERO"),
              QStringList{"00000511|2"});
}

}  // namespace
