// Stock movements and seats: the voucher-type sign, automatic lots, the seat
// statements, the stock queries and the movement writer in both modes, on
// the embedded engine with a real articles grid.
#include "voucher/stock/entorno_stock.h"

#include "support/testutil.h"

#include <QTimer>

#include <functional>

namespace {

using namespace stocktest;

TEST_F(StockTest, SignOfAVoucherTypeForStockAndForTheVatBook)
{
    struct Caso {
        const char* tc;
        const char* es;
        const char* signo;
        const char* sistema;
        const char* lado;
        bool libro;
        bool debito;
        int esperado;
    };
    const Caso casos[] = {
        {"ZZ", "S", "NULL", "Ventas", "D", false, false, -1}, {"ZZ", "E", "NULL", "Ventas", "D", false, false, 1},
        {"IR", "S", "NULL", "STOCK", "D", false, false, -1},  {"IR", "", "NULL", "STOCK", "D", false, false, 1},
        {"TR", "", "NULL", "STOCK", "D", false, false, -1},   {"OP", "", "NULL", "STOCK", "D", false, false, 1},
        {"ND", "", "NULL", "Ventas", "D", true, true, -1},    {"ND", "", "1", "Ventas", "D", true, false, 1},
        {"NCC", "", "NULL", "Compras", "D", true, false, -1}, {"NCC", "", "1", "Compras", "D", true, false, 1},
        {"ZZ", "", "NULL", "Ventas", "H", true, false, -1},   {"ZZ", "", "NULL", "Compras", "D", true, false, -1},
        {"ZZ", "", "NULL", "Compras", "H", true, false, 1},   {"ZZ", "", "0", "Ventas", "H", true, false, 1},
        {"TKFC", "", "-1", "Ventas", "H", true, false, 1},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(QStringLiteral("%1 ES=%2 Signo=%3 libro=%4").arg(c.tc, c.es, c.signo).arg(c.libro).toStdString());
        Ejecuta(QStringLiteral("DELETE FROM V_TA_CPTE WHERE CODIGO = '%1'").arg(Codigo(c.tc)));
        Tipo(c.tc, c.es, c.sistema, c.signo, c.lado);
        cls_->DebitoProveedor = c.debito;
        EXPECT_EQ(cls_->ObtieneSignoComprobante(QString::fromLatin1(c.tc), c.libro), c.esperado);
    }

    ui::ScriptedSession dialogos;
    dialogos.expectMsgBox("no existe en la tabla de comprobantes").title("Aviso al operador!!!").style(ui::vbCritical);
    EXPECT_EQ(cls_->ObtieneSignoComprobante("QQ"), 0);
    Ejecuta("DROP TABLE V_TA_CPTE");
    EXPECT_EQ(cls_->ObtieneSignoComprobante(" nc ", true), -1) << "no read for NC in the VAT book";
    dialogos.verifyDone();
}

TEST_F(StockTest, AutomaticLotAndOpenProductionOutput)
{
    EXPECT_EQ(cls_->ObtieneLoteAutomatico(), "1");
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IdComprobante, Secuencia, NroLote) VALUES ('IR  ', 'A', 1, 'Z9999')");
    EXPECT_EQ(cls_->ObtieneLoteAutomatico(), "1") << "a lot not led by a blank never counts";
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IdComprobante, Secuencia, NroLote) VALUES ('IR  ', 'A', 2, '  999')");
    EXPECT_EQ(cls_->ObtieneLoteAutomatico(), "1000");

    EXPECT_FALSE(cls_->TieneSPNL("OP", "000100000001X"));
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IdComprobante, Secuencia, Tc_Origen, IdComprobante_Origen) "
            "VALUES ('spnl', 'B', 1, 'OP', '000100000001X')");
    EXPECT_TRUE(cls_->TieneSPNL("OP", "000100000001X"));
}

TEST_F(StockTest, LotBalancesByTheFiltersGiven)
{
    Ejecuta(QStringLiteral("INSERT INTO STK_SERIES_Y_LOTES (IdArticulo, IdDeposito, NroLote, NroSerie, Cantidad) VALUES "
                           "('%1', '   1', '%2', NULL, 4), ('%1', '   2', '%2', NULL, 3), ('%1', '   1', NULL, NULL, 2), "
                           "('%1', '   1', '', NULL, 1)")
                .arg(Art("A1"), Art("L7")));
    QString deposito = "Ignorar", unidad = "Ignorar";
    EXPECT_EQ(cls_->ObtieneStock("A1", deposito, "L7", "Ignorar", "Ignorar", unidad), 7.0) << "every deposit";
    deposito = "   ";
    EXPECT_EQ(cls_->ObtieneStock("A1", deposito, "", "Ignorar", "Ignorar", unidad), 10.0) << "blank deposit, no lot";
    EXPECT_EQ(cls_->ObtieneStockLOTE("A1", "1", "L7"), 4.0);
    EXPECT_EQ(cls_->ObtieneStockLOTE("A1", "1", ""), 3.0) << "empty or null lot";
    EXPECT_EQ(cls_->ObtieneStockLOTE("A1", "9", "L7"), 0.0);
    Cfg("DepositoDefault", "1");
    Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, IDUNIDAD) VALUES ('%1', 'UN  ')")
                .arg(ModGlobal::DuplicaApostrofes(Art("A'3"))));
    Ejecuta(QStringLiteral("INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES "
                           "('%1', 'UN  ', '   1', 8)")
                .arg(ModGlobal::DuplicaApostrofes(Art("A'3"))));
    ui::ScriptedSession sinAvisos;
    EXPECT_EQ(cls_->ObtieneStock("A'3"), 8.0) << "the default deposit in the article's unit";
    EXPECT_TRUE(sinAvisos.shown().isEmpty()) << sinAvisos.failures().join("; ").toStdString();
    EXPECT_EQ(ClsCmnCptes::SentenciaStockDetalle("A1", "1", "L'7", "Ignorar", "Ignorar", true, false),
              QStringLiteral(" SELECT SUM(CANTIDAD) AS SaldoStock FROM STK_SERIES_Y_LOTES  WHERE IDARTICULO = '%1' AND "
                             "IdDeposito = '   1'  AND NroLote = '%2'  AND NroLote is NULL ")
                  .arg(Art("A1"), ModGlobal::DuplicaApostrofes(Art("L'7"))));
}

// Seats: statements built for the movement, executed here as the writer
// would, and the stored seat checked for balance.
class AsientoTest : public StockTest {
protected:
    void SetUp() override
    {
        StockTest::SetUp();
        Cfg("AsientosXStock", "SI");
        Cfg("MotivoStockRemito", "2");
        Ejecuta("DELETE FROM V_TA_MOTIVOSTOCK");
        Ejecuta("INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES ('   1', 'Ventas', "
                "'5.1.01'), ('   2', 'Remitos', '5.1.09'), ('   4', 'Roturas', '5.2.04')");
        Ejecuta("DELETE FROM MA_SUBDIARIOSCOMPROBANTES");
        reglas::ArticulosConCuentas([this](const QString& sql) { Ejecuta(sql); });
        asientos_ = std::make_unique<ClsCmnCptes>();
        cls_ = std::make_unique<ClsCmnCptes>();
        Lineas({{{0, "A1"}, {8, "2"}, {41, "10"}}, {{0, "A2"}, {8, "4"}, {41, "-10"}}, {{0, "A1"}, {8, "1"}, {41, "10"}}});
    }

    QString Asiento(const char* tc, int tipoMov, long soloRegistro = 0, const char* nombre = "MSFlexGrid2")
    {
        grilla_->setName(nombre);
        QString motivo = "1", t = tc, suc = "0001", nro = "00000010", letra = "X";
        int secuencia = 1;
        return asientos_->GeneraAsientoStock(*grilla_, motivo, t, suc, nro, letra, "05/11/2026", true, tipoMov, soloRegistro,
                                        &secuencia);
    }

    std::unique_ptr<ClsCmnCptes> asientos_;
};

TEST_F(AsientoTest, VoucherTypesThatBookNoStockSeat)
{
    for (const char* tc : {"FC", "TK", "FKFC", "FP", "NC", "NCP", "ND", "NCC", "FCC", "NDC"}) {
        SCOPED_TRACE(tc);
        EXPECT_EQ(Asiento(tc, 0), "");
    }
    Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'TKFC'");
    Tipo("TKFC", "S", "Ventas");
    EXPECT_TRUE(Asiento("TKFC", 0).contains("INSERT INTO MV_ASIENTOS")) << "only its cost-of-goods list names TKFC";
    EXPECT_EQ(Asiento("RM", 99), "") << "not a sales type of the cost of goods";
    Cfg("AsientosXStock", "NO");
    asientos_ = std::make_unique<ClsCmnCptes>();
    EXPECT_EQ(Asiento("AJN", 0), "");
}

TEST_F(AsientoTest, ANegativeAccountAndANegativeTotalStillBalance)
{
    // A1: 3 x 10 = 30 on 1.1.01, A2: 4 x -10 = -40 on 1.1.02; total -10.
    const QString sql = Asiento("AJN", 0);
    ASSERT_TRUE(sql.startsWith("\r\nINSERT INTO MV_ASIENTOS (Cuenta,Secuencia,Mes_Operativo,[Numero Asiento],"));
    Ejecuta(sql);
    EXPECT_EQ(Filas("SELECT Cuenta, [DEBE-HABER], Importe, Secuencia FROM MV_ASIENTOS ORDER BY Secuencia"),
              (QStringList{"5.1.01|H|10|1", "1.1.01|H|30|2", "1.1.02|D|40|3"}));
    EXPECT_EQ(Filas("SELECT SUM(CASE WHEN [DEBE-HABER] = 'D' THEN Importe ELSE -Importe END) FROM MV_ASIENTOS"),
              QStringList{"0"});
    ui::ScriptedSession sinAvisos;
    EXPECT_EQ(Asiento("AJN", 0), "") << "the voucher already has its seat";
    EXPECT_TRUE(sinAvisos.shown().isEmpty()) << "refused without a box";
}

TEST_F(AsientoTest, PerRowSeatsAddToTheRowsOfTheFirstAndShareItsNumber)
{
    Ejecuta("INSERT INTO MV_ASIENTOS (Cuenta, [Numero Asiento], Mes_Operativo, PERIODO, Tipo_Reg) VALUES ('x', 41, 11, "
            "2026, '')");
    Ejecuta(Asiento("AJN", 0, 1));
    Ejecuta(Asiento("AJN", 0, 3));
    EXPECT_EQ(Filas("SELECT Cuenta, [DEBE-HABER], Importe, [Numero Asiento], CABImporte FROM MV_ASIENTOS WHERE TC = "
                    "'AJN ' ORDER BY Cuenta"),
              (QStringList{"1.1.01|H|30|42|30", "5.1.01|D|30|42|30"}))
        << "row 3 added to row 1's rows, and the seat's total with them";
    EXPECT_EQ(Filas("SELECT DISTINCT [Numero Asiento] FROM MV_ASIENTOS WHERE TC = 'AJN '"), QStringList{"42"});
}

TEST_F(AsientoTest, ClosingSeatOfADifferencesGridKeepsItsMotiveOnTheCreditSide)
{
    Lineas({{{0, "A1"}, {8, "2"}, {41, "10"}}});
    const QString propio = Asiento("RM", 1);
    EXPECT_TRUE(propio.contains("'5.1.09'")) << propio.toStdString();
    Ejecuta(Asiento("RM", 1, 0, "MSFlexGridDif"));
    EXPECT_EQ(Filas("SELECT Cuenta, [DEBE-HABER] FROM MV_ASIENTOS WHERE Cuenta = '5.1.01'"), QStringList{"5.1.01|H"});
}

// The seat of each case, worked by hand, is the same in both modes of the
// writer (row by row when executing, once for the voucher when collecting):
// each valued line with an account booked once, one total on every row.
TEST_F(AsientoTest, BothModesBookEachLineWithAnAccountOnceUnderOneTotal)
{
    Opciones transferencia;
    transferencia.transferencia = true;
    transferencia.destino = "9";
    Opciones porLinea;
    porLinea.motivo = "ELDELGRID";
    struct Caso {
        const char* nombre;
        const char* tc;
        QList<Celdas> lineas;
        QStringList asiento;  // account|side|amount|total
        Opciones opciones = {};
        std::function<void(const QString& id)> datos = {};
        QStringList motivos = {};  // of the stock rows, when given
    };
    Opciones deOrden;
    deOrden.tcOrigen = "OC";
    deOrden.origen = "000200000009A";
    Opciones deRemito;
    deRemito.tcOrigen = "RM";
    deRemito.origen = "000100000009X";
    Tipo("IR", "E", "STOCK");
    Tipo("RMC", "E", "Compras");
    Cfg("MotivoStockRecepcionOC", "4");
    Cfg("MotivoStockTransferencias", "3");
    Cfg("CuentaCtroDist", "9.9.99");
    Ejecuta("INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES ('   3', 'Traslados', "
            "'5.2.03')");
    // A production order whose output is already stored: only its output row
    // is written.
    const auto ordenConSalida = [this](const QString& id) {
        Ejecuta("DELETE FROM V_MV_STOCK");
        Ejecuta(QStringLiteral("INSERT INTO V_MV_STOCK (TC, IdComprobante, Secuencia, Tc_Origen, IdComprobante_Origen) "
                               "VALUES ('spnl', 'B', 1, 'OP', '%1')")
                    .arg(id));
    };
    const QStringList veinte{"5.1.01|D|20|20", "1.3.01|H|20|20"};
    const Caso casos[] = {
        // 2 x 10 leaves deposit 1 and enters deposit 9: one movement of 20.
        {"transfer", "TRX", {{{0, "P1"}, {8, "2"}, {41, "10"}}}, veinte, transferencia},
        // 2 x 10 + 1 x 5 = 25, one account once its leading blank is cut.
        {"account led by a blank", "AJN", {{{0, "P1"}, {8, "2"}, {41, "10"}}, {{0, "P6"}, {8, "1"}, {41, "5"}}},
         {"5.1.01|D|25|25", "1.3.01|H|25|25"}},
        // P5 (blank) and P4 (NULL) have no account: P1's 2 x 10 alone.
        {"blank and NULL accounts", "AJN",
         {{{0, "P1"}, {8, "2"}, {41, "10"}}, {{0, "P5"}, {8, "1"}, {41, "4"}}, {{0, "P4"}, {8, "1"}, {41, "6"}}}, veinte},
        {"blank account", "AJN", {{{0, "P1"}, {8, "2"}, {41, "10"}}, {{0, "P5"}, {8, "1"}, {41, "4"}}}, veinte},
        // 2 x 10 - 1 x 10 = 10.
        {"negative second row", "AJN", {{{0, "P1"}, {8, "2"}, {41, "10"}}, {{0, "P1"}, {8, "-1"}, {41, "10"}}},
         {"5.1.01|D|10|10", "1.3.01|H|10|10"}},
        // Motive 1: 2 x 10 = 20; motive 4: 1 x 5 = 5; the seat's total 25.
        {"motives per line", "AJN",
         {{{0, "P1"}, {8, "2"}, {41, "10"}, {89, "1"}}, {{0, "P2"}, {8, "1"}, {41, "5"}, {89, "4"}}},
         {"5.1.01|D|20|25", "5.2.04|D|5|25", "1.3.01|H|20|25", "1.3.02|H|5|25"}, porLinea},
        // Motive 1: 4 x 10 = 40; motive 4: 2 x 3 = 6; the seat's total 46.
        {"motives per line of an exit", "RMX",
         {{{0, "P1"}, {8, "4"}, {41, "10"}, {89, "1"}}, {{0, "P2"}, {8, "2"}, {41, "3"}, {89, "4"}}},
         {"5.1.01|D|40|46", "5.2.04|D|6|46", "1.3.01|H|40|46", "1.3.02|H|6|46"}, porLinea},
        // The closing motives, both modes: a remit on MotivoStockRemito (2,
        // 5.1.09), receptions from an order on MotivoStockRecepcionOC (4,
        // 5.2.04) and from a remit on MotivoStockTransferencias (3, 5.2.03).
        {"remit", "RM", {{{0, "P1"}, {8, "2"}, {41, "10"}}}, {"5.1.09|D|20|20", "1.3.01|H|20|20"}},
        {"reception from an order", "IR", {{{0, "P1"}, {8, "2"}, {41, "10"}}}, {"1.3.01|D|20|20", "5.2.04|H|20|20"},
         deOrden},
        {"reception from a remit", "IR", {{{0, "P1"}, {8, "2"}, {41, "10"}}}, {"1.3.01|D|20|20", "5.2.03|H|20|20"},
         deRemito},
        // Valued at the price: (2 + 3) x 6 = 30 (at the cost 50); the rows
        // keep motive 1.
        {"reception of an order's goods", "RMC",
         {{{0, "P1"}, {8, "2"}, {20, "6"}, {41, "10"}}, {{0, "P1"}, {8, "3"}, {20, "6"}, {41, "10"}}},
         {"1.3.01|D|30|30", "5.2.04|H|30|30"}, deOrden, {}, {"   1", "   1"}},
        // Only F1 (1 x 0) is written: no seat for the inputs never written.
        {"production order with its output stored", "OP",
         {{{0, "F1"}, {8, "1"}, {41, "0"}, {31, "-1"}}, {{0, "P1"}, {8, "3"}, {41, "3.333"}},
          {{0, "P2"}, {8, "1"}, {41, "1.5"}}},
         {}, {}, ordenConSalida},
    };
    int numero = 40;
    for (const Caso& c : casos)
        for (const bool colecta : {false, true}) {
            SCOPED_TRACE(QStringLiteral("%1, %2").arg(c.nombre, colecta ? "collecting" : "executing").toStdString());
            Ejecuta("DELETE FROM MV_ASIENTOS");
            Lineas(c.lineas);
            const QString id = QStringLiteral("0001%1X").arg(++numero, 8, 10, QChar(u'0'));
            if (c.datos)
                c.datos(id);
            const Resultado r = Escribe(c.tc, id, colecta, c.opciones);
            ASSERT_FALSE(r.hayError);
            if (colecta)
                ModGlobal::gDB().EjecutaConsultaSQL(r.sql);
            EXPECT_EQ(Filas("SELECT Cuenta, [DEBE-HABER], Importe, CABImporte FROM MV_ASIENTOS ORDER BY [DEBE-HABER], "
                            "Cuenta"),
                      c.asiento);
            if (!c.motivos.isEmpty()) {
                EXPECT_EQ(Filas(QStringLiteral("SELECT IdMotivoStock FROM V_MV_STOCK WHERE IdComprobante = '%1' ORDER "
                                               "BY Secuencia")
                                    .arg(id)),
                          c.motivos);
            }
        }
}

// November 2026 holds seat 4 without sub-journal, 6 and 7 of ST and 2 of
// VT: the vouchers of a type stored under ST take 8, 9, 10 and 11.
TEST_F(AsientoTest, SeatsAreNumberedWithinTheSubJournalTheyAreStoredUnder)
{
    Ejecuta("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('AJN ', 'ST  ')");
    Ejecuta("INSERT INTO MV_ASIENTOS (Cuenta, [Numero Asiento], Mes_Operativo, PERIODO, Tipo_Reg) VALUES "
            "('x', 4, 11, 2026, ''), ('x', 6, 11, 2026, 'ST  '), ('x', 7, 11, 2026, 'ST  '), ('x', 2, 11, 2026, 'VT  ')");
    Lineas({{{0, "P1"}, {8, "2"}, {41, "10"}}});
    int numero = 60;
    for (const bool colecta : {false, false, true, true}) {
        const Resultado r = Escribe("AJN", QStringLiteral("0001%1X").arg(++numero, 8, 10, QChar(u'0')), colecta);
        if (colecta)
            ModGlobal::gDB().EjecutaConsultaSQL(r.sql);
    }
    EXPECT_EQ(Filas("SELECT DISTINCT NUMERO, [Numero Asiento], Tipo_Reg FROM MV_ASIENTOS WHERE TC = 'AJN' ORDER BY "
                    "NUMERO"),
              (QStringList{"00000061|8|ST  ", "00000062|9|ST  ", "00000063|10|ST  ", "00000064|11|ST  "}));

    // December holds seats without sub-journal up to 4 and of ST up to 5: the
    // same object numbers an IR of ST 6 and then an RM without one 5.
    Tipo("IR", "E", "STOCK");
    Cfg("CuentaCtroDist", "9.9.99");
    Ejecuta("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('IR  ', 'ST  ')");
    Ejecuta("INSERT INTO MV_ASIENTOS (Cuenta, [Numero Asiento], Mes_Operativo, PERIODO, Tipo_Reg) VALUES "
            "('x', 4, 12, 2026, ''), ('x', 5, 12, 2026, 'ST  ')");
    Opciones diciembre;
    diciembre.fecha = "05/12/2026";
    for (const char* tc : {"IR", "RM"})
        ModGlobal::gDB().EjecutaConsultaSQL(Escribe(tc, "000100000070X", true, diciembre).sql);
    EXPECT_EQ(Filas("SELECT DISTINCT TC, [Numero Asiento], Tipo_Reg FROM MV_ASIENTOS WHERE NUMERO = '00000070' "
                    "ORDER BY TC"),
              (QStringList{"IR  |6|ST  ", "RM  |5|    "}));  // TC is CHAR(4)
}

// Every cost-of-goods book used up: after the box, no seat under a blank
// key; a new book gives the next invoice its seat, 2 x 10, under the number
// the book holds next.
TEST_F(AsientoTest, ACostOfGoodsSeatWithoutANumberIsNotWritten)
{
    Ejecuta("INSERT INTO V_TA_MotivoVta (IdMotivoVta, Descripcion) VALUES ('   1', 'Mostrador')");
    Ejecuta("INSERT INTO V_TA_Input_Ventas (IdMotivoVta, COSTO_MERCADERIA) VALUES ('   1', '5.9.01')");
    Ejecuta("UPDATE V_TA_CPTE SET X_NRO_HASTA = 99, X_ULTIMO_NRO = 100 WHERE CODIGO = 'CMV '");
    Lineas({{{0, "P1"}, {8, "2"}, {41, "10"}}});
    const auto asiento = [&](const char* factura) {
        QString motivo = "1", tc = "FC", suc = "0001", nro = factura, letra = "X";
        int secuencia = 1;
        return asientos_->GeneraAsientoStock(*grilla_, motivo, tc, suc, nro, letra, "05/11/2026", true, 99, 0,
                                             &secuencia);
    };
    ui::ScriptedSession dialogos;
    dialogos.expectMsgBox("Todos los talonarios del comprobante CMV");
    EXPECT_EQ(asiento("00000070"), "");
    dialogos.verifyDone();
    Ejecuta("UPDATE V_TA_CPTE SET X_NRO_HASTA = 999 WHERE CODIGO = 'CMV '");
    Ejecuta(asiento("00000071"));
    EXPECT_EQ(Filas("SELECT Cuenta, [DEBE-HABER], Importe, SUCURSAL, NUMERO, CPTE_ORIGEN FROM MV_ASIENTOS ORDER BY "
                    "[DEBE-HABER]"),
              (QStringList{"5.9.01|D|20|0001|00000100|000100000071X", "1.3.01|H|20|0001|00000100|000100000071X"}));
}

// A second click while the writer or the seat waits for the database runs
// nothing inside the first call: the window takes no input meanwhile, and a
// call that still arrives is refused (the writer reports it was not written,
// the seat raises, never an empty seat), while the first goes on whole.
TEST_F(AsientoTest, ACallArrivingDuringAnotherOfTheWindowIsRefused)
{
    struct Caso {
        const char* nombre;
        std::function<long()> llama;  // 0 done; else how it was refused
        long rechazo;
    };
    const Caso casos[] = {
        {"writer", [&] { return Escribe("RMX", "000100000010X", false).hayError ? 1L : 0L; }, 1},
        {"seat", [&] { return testutil::errorOf([&] { EXPECT_NE(Asiento("AJN", 0), ""); }); }, 5},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Ejecuta("DELETE FROM V_MV_STOCK");
        ui::ScriptedSession dlg;
        long segunda = -1;
        bool bloqueada = false;
        QTimer::singleShot(0, [&] {
            bloqueada = ui::InputBlocker::isBlocked(grilla_);
            segunda = c.llama();
        });
        EXPECT_EQ(c.llama(), 0);
        EXPECT_TRUE(bloqueada) << "the window takes no input while the call works";
        EXPECT_EQ(segunda, c.rechazo);
        EXPECT_EQ(Filas("SELECT COUNT(*) FROM V_MV_STOCK"), QStringList{c.rechazo == 1 ? "3" : "0"})
            << "the first voucher's rows, once";
        EXPECT_TRUE(dlg.shown().isEmpty());
    }
}

TEST_F(StockTest, ExitRowsOnePerLotItemNumberedWithoutGaps)
{
    Lineas({{{0, "A1"}, {1, "Articulo uno"}, {5, "UN"}, {8, "3"}},
            {{0, "A2"}, {5, "UN"}, {8, "6"}, {24, "|L1|L2|L3|"}, {25, "|1|0|5|"}},
            {{0, "A1"}, {8, "0"}, {66, "2"}}});
    const Resultado r = Escribe("RMX", "000100000010X", false);
    EXPECT_FALSE(r.hayError);
    EXPECT_EQ(Movimientos("Secuencia, IdArticulo, NroLote, Cantidad"),
              (QStringList{QStringLiteral("1|%1|<null>|-3").arg(Art("A1")),
                           QStringLiteral("2|%1|%2|-1").arg(Art("A2"), Art("L1")),
                           QStringLiteral("3|%1|%2|-5").arg(Art("A2"), Art("L3")),
                           QStringLiteral("4|%1|<null>|0").arg(Art("A1"))}))
        << "the zero-quantity lot gives its number back; bundles alone take a row";
    EXPECT_EQ(grilla_->TextMatrix(2, 77), "5") << "exit rows record the item quantity";
}

TEST_F(StockTest, TransferWritesEveryItemTwice)
{
    Lineas({{{0, "A1"}, {5, "UN"}, {8, "2"}, {24, "|L1|"}, {25, "|2|"}}});
    Opciones o;
    o.transferencia = true;
    o.destino = "2";
    Escribe("TRX", "000100000011X", false, o);
    EXPECT_EQ(Movimientos("Secuencia, IdDeposito, IDDEPOSITO_DESTINO, NroLote, Cantidad"),
              (QStringList{QStringLiteral("1|   1|   2|%1|-2").arg(Art("L1")),
                           QStringLiteral("2|   2|   1|%1|2").arg(Art("L1"))}));
}

TEST_F(StockTest, EntryOfSerialsAndSizes)
{
    Lineas({{{0, "A1"}, {5, "UN"}, {8, "3"}, {22, "-1"}, {25, "|S1|S2|S3|"}},
            {{0, "A2"}, {5, "UN"}, {8, "4"}, {64, "1"}, {24, "|T40" + kSep + "x|T42|"}, {25, "|3|1|"}}});
    Escribe("IRX", "000200000012X", false);
    EXPECT_EQ(Movimientos("Secuencia, NroLote, NroSerie, Cantidad"),
              (QStringList{QStringLiteral("1|<null>|%1|1").arg(Art("S1")),
                           QStringLiteral("2|<null>|%1|1").arg(Art("S2")),
                           QStringLiteral("3|<null>|%1|1").arg(Art("S3")),
                           QStringLiteral("4|%1|<null>|3").arg(Art("T40")),
                           QStringLiteral("5|%1|<null>|1").arg(Art("T42"))}));

    // The sized article leaves under the lot it entered with.
    Ejecuta("DELETE FROM V_MV_STOCK");
    Escribe("RMX", "000100000013X", false);
    EXPECT_TRUE(Movimientos("NroLote").contains(Art("T40")));
}

TEST_F(StockTest, ExitInAnotherUnitMovesExactlyTheRowQuantityOverItsLots)
{
    Lineas({{{0, "A1"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}, {24, "|L1|L2|"}, {25, "|18|6|"}}});
    Escribe("RMX", "000100000014X", false);
    EXPECT_EQ(Movimientos("Cantidad * 10"), (QStringList{"-15", "-5"}));

    // An empty coefficient is no conversion: the items move their own quantities.
    Ejecuta("DELETE FROM V_MV_STOCK");
    grilla_->setTextMatrix(1, 10, "");
    Escribe("RMX", "000100000024X", false);
    EXPECT_EQ(Movimientos("Cantidad"), (QStringList{"-18", "-6"}));
}

TEST_F(StockTest, RowBuilderWritesTheStockRowColumnsInOrder)
{
    Lineas({{{0, "A1"}, {1, "Art"}, {5, "UN"}, {8, "2"}, {17, "200"}, {20, "165.29"}, {36, "21"}, {41, "10"}}});
    const Resultado r = Escribe("RMX", "000100000020X", true);
    EXPECT_EQ(r.sql.section(u'\r', 1, 1),
              QStringLiteral("INSERT INTO V_MV_STOCK(TC,IdComprobante,IdComplemento,Secuencia,Fecha,IdCaja,IdDeposito,"
                             "IdPosicion,IdArticulo,Descripcion,NroLote,ControladoPor,IdOrigen,NroSerie,IdUnidad,Cantidad,"
                             "CantidadUD,IdUnidadBase,CuentaProveedor,IdMotivoStock,PrecioVenta,Importe_S_Iva,Costo,"
                             "Impuestos,DtoItem,Tc_Origen,IdComprobante_Origen,Id_Origen,IVARI,IVARNI,EQUIV_UDBASE,"
                             "IDINSERT,IDCOMPULSA,Oferta,IdVendedor,Importe_Ud,Ud_Pr,UNEGOCIO,ARTMONEDA,ARTCOTIZACION,"
                             "EnComodato,CANT_BL,CANT_KG,CANT_M3) VALUES ('RMX ','000100000020X',0,1,'05/11/2026','   1',"
                             "'   1','','%1','Art',NULL,'',NULL,NULL,'UN  ',-2,-2,'UN  ','','   1',200,165.29,10,0,0,"
                             "'NULL',NULL,0,21,0,1,0,0,0,'',0,'    ','   1','   1',1,0,0,0,0)")
                  .arg(Art("A1")));
    EXPECT_EQ(grilla_->TextMatrix(1, 10), "1") << "an empty coefficient is written back as 1";
}

TEST_F(StockTest, ProductionOrderEntersItsOutputsThenTakesItsInputs)
{
    Tipo("OP", "", "STOCK");
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IdComprobante, Secuencia) VALUES ('OP  ', '000100000021X', 4)");
    Lineas({{{0, "A1"}, {8, "5"}, {31, "-1"}}, {{0, "A2"}, {8, "3"}}});
    EXPECT_FALSE(Escribe("OP", "000100000021X", false).hayError);
    EXPECT_EQ(Filas("SELECT Secuencia, Cantidad FROM V_MV_STOCK WHERE TC = 'OP  ' ORDER BY Secuencia"),
              (QStringList{"4|<null>", "6|5", "7|-3"}))
        << "numbered on from the stored rows; no consumption voucher for an order";
}

TEST_F(StockTest, ARowOfThreeLotsIsBookedOnce)
{
    Cfg("AsientosXStock", "SI");
    Ejecuta("DELETE FROM MA_SUBDIARIOSCOMPROBANTES");
    Ejecuta("DELETE FROM V_TA_MOTIVOSTOCK");
    Ejecuta("INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES ('   1', 'Ventas', "
            "'5.1.01')");
    cls_ = std::make_unique<ClsCmnCptes>();
    Lineas({{{0, "A1"}, {8, "6"}, {41, "10"}, {24, "|L1|L2|L3|"}, {25, "|1|2|3|"}}});
    EXPECT_FALSE(Escribe("RMX", "000100000022X", false).hayError);
    EXPECT_EQ(Movimientos("Secuencia").size(), 3);
    EXPECT_EQ(Filas("SELECT Cuenta, [DEBE-HABER], Importe FROM MV_ASIENTOS ORDER BY Cuenta"),
              (QStringList{"1.1.01|H|60", "5.1.01|D|60"}));
}

TEST_F(StockTest, CollectedReceptionDateOfThePurchaseOrderGoesWithTheRest)
{
    Lineas({{{0, "A1"}, {8, "1"}}});
    Opciones o;
    o.tcOrigen = "OC";
    o.origen = "000200000009A";
    const Resultado r = Escribe("FCC", "000200000023A", true, o);
    EXPECT_TRUE(r.sql.startsWith("\rif exists(select * from c_mv_cpte  with(nolock)  where TC='OC  ' and "
                                 "IDCOMPROBANTE='000200000009A' and fecharecepcion is null)  UPDATE c_mv_cpte set "
                                 "FechaRecepcion='05/11/2026' where TC='OC  ' and IDCOMPROBANTE='000200000009A'\r"))
        << r.sql.left(300).toStdString();
    EXPECT_FALSE(r.sql.contains("IdComplemento")) << "a purchases type writes no complement";
}

TEST_F(StockTest, CollectedVoucherRunsAsOneBatchAllOrNothing)
{
    Lineas({{{0, "A1"}, {8, "1"}}, {{0, "A2"}, {8, "2"}}, {{0, "A1"}, {8, "3"}}});
    const Resultado r = Escribe("RMX", "000100000015X", true);
    ASSERT_FALSE(r.hayError);
    ASSERT_TRUE(r.sql.startsWith("\rINSERT INTO V_MV_STOCK(TC,IdComprobante,IdComplemento,Secuencia,Fecha,IdCaja,"));
    EXPECT_EQ(r.sql.count("\rINSERT INTO V_MV_STOCK"), 3);
    EXPECT_TRUE(Movimientos().isEmpty()) << "nothing runs in collecting mode";

    // The middle row's sequence is already taken: the whole batch fails.
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IdComprobante, Secuencia) VALUES ('RMX ', '000100000015X', 2)");
    ModGlobal::gDB().gCnn->Errors().Clear();
    ModGlobal::gDB().EjecutaConsultaSQL("BEGIN TRANSACTION" + r.sql + "\rCOMMIT TRANSACTION");
    EXPECT_GT(ModGlobal::gDB().gCnn->Errors().Count(), 0);
    EXPECT_EQ(Movimientos("Secuencia, IdArticulo"), QStringList{"2|<null>"});
}

TEST_F(StockTest, FailuresAreReportedAndAFailingRowStopsTheVoucher)
{
    Lineas({{{0, "A1"}, {8, "1"}}, {{0, "A2"}, {8, "2"}}});
    ui::ScriptedSession dialogos;
    dialogos.expectMsgBox("no existe en la tabla").style(ui::vbCritical);
    EXPECT_TRUE(Escribe("QQ", "000100000016X", false).hayError);
    ModGlobal::gUNegocio = "  ";
    dialogos.expectMsgBox("ERROR EN ASIGNACION DE UNIDAD DE NEGOCIO").title("Atencion!");
    EXPECT_TRUE(Escribe("RMX", "000100000016X", false).hayError);
    ModGlobal::gUNegocio = "   1";

    // A row that fails stops the voucher: the first stays, nothing after it.
    Ejecuta("INSERT INTO V_MV_STOCK (TC, IdComprobante, Secuencia) VALUES ('RMX ', '000100000016X', 2)");
    dialogos.expectMsgBox("").title("Aviso al operador").style(ui::vbCritical);
    EXPECT_TRUE(Escribe("RMX", "000100000016X", false).hayError);
    EXPECT_EQ(Movimientos("Secuencia, IdArticulo").size(), 2);
    dialogos.verifyDone();
}

TEST_F(StockTest, QuotesInTheGridNeverBreakTheStatement)
{
    Lineas({{{0, "A1"}, {1, "Caja 1/2' pulgada"}, {6, "DEP'"}, {8, "1"}, {24, "|L'1|"}, {25, "|1|"},
             {90, "Aduana O'Neil"}}});
    grilla_->setTextMatrix(1, 4, QStringLiteral("P") + QChar(0) + "1");
    Opciones o;
    o.cuenta = "O'Brien";
    ui::ScriptedSession sinAvisos;
    EXPECT_FALSE(Escribe("RMX", "000100000017X", false, o).hayError);
    EXPECT_TRUE(sinAvisos.shown().isEmpty()) << sinAvisos.failures().join("; ").toStdString();
    EXPECT_EQ(Movimientos("NroLote, ControladoPor, CuentaProveedor, Descripcion, IdPosicion, IdDeposito"),
              QStringList{QStringLiteral("%1|Aduana O'Neil|O'Brien|Caja 1/2 pulgada|P1|%2")
                              .arg(Art("L'1"), kapores2::Funciones::RellenaCodigo("DEP'", 4))});
}

TEST_F(StockTest, CompositeArticlesDischargeTheirInputsAsAConsumptionVoucher)
{
    Ejecuta("DELETE FROM V_MA_INSUMOS");
    Ejecuta(QStringLiteral("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) VALUES "
                           "('%1', '%2', 'UN  ', 30), ('%1', '%3', 'UN  ', 70), ('%1', '*Mano de obra', 'UN  ', 1)")
                .arg(Art("K1"), Art("I1"), Art("I2")));
    Cfg("LenDescripcion", "2");
    cls_ = std::make_unique<ClsCmnCptes>();
    Lineas({{{0, "K1"}, {1, "Kit"}, {5, "UN"}, {8, "10"}, {71, "-1"}}});
    const Resultado r = Escribe("RMX", "000100000018X", false);
    EXPECT_FALSE(r.hayError);
    EXPECT_EQ(Filas("SELECT Descripcion FROM V_MV_STOCK WHERE TC = 'RMX '"), QStringList{"Ki"});
    const QStringList pe = Filas("SELECT Secuencia, IdArticulo, Cantidad * 10, CantidadUD * 10, ControladoPor, Descripcion "
                                 "FROM V_MV_STOCK WHERE TC = 'PE  ' ORDER BY Secuencia");
    EXPECT_EQ(pe, (QStringList{QStringLiteral("1|%1|-100|-100|K1|Kit").arg(Art("K1")),
                               QStringLiteral("2|%1|-30|-30|K1|Art I1").arg(Art("I1")),
                               QStringLiteral("3|%1|-70|-70|K1|Art I2").arg(Art("I2")),
                               QStringLiteral("4|%1|-1|-1|K1|Mano de obra").arg(Art("*"))}));
    EXPECT_TRUE(r.sql.contains("UPDATE V_TA_CPTE SET X_ULTIMO_NRO")) << "the number book statement is left";
}

TEST_F(StockTest, DischargeInputRowsConvertFromTheLineUnitAndReadTheStoredCode)
{
    Ejecuta("DELETE FROM V_MA_INSUMOS");
    Ejecuta("DELETE FROM S_TA_EQUIV");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET codigobarra = 'BARRA-I2' WHERE IDARTICULO = '%1'").arg(Art("I2")));
    // I1 in boxes of 12 units; I2 stored by its bar code; A1 in a unit
    // without equivalence.
    Ejecuta(QStringLiteral("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) VALUES "
                           "('%1', '%2', 'CAJ ', 1), ('%1', 'BARRA-I2', 'UN  ', 3), ('%1', '%3', 'LT  ', 1)")
                .arg(Art("K1"), Art("I1"), Art("A1")));
    Ejecuta(QStringLiteral("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES "
                           "('%1', 'CAJ ', 'UN  ', 12)")
                .arg(Art("I1")));
    Lineas({{{0, "K1"}, {1, "Kit"}, {5, "UN"}, {8, "2"}}});
    Opciones o;
    o.cuenta = "PorDefault";
    EXPECT_FALSE(Escribe("RMX", "000100000019X", false, o).hayError);
    EXPECT_EQ(Filas("SELECT IdArticulo, IdUnidad, Cantidad, CantidadUd, IdUnidadBase, equiv_udbase, Descripcion, "
                    "Costo, CuentaProveedor FROM V_MV_STOCK WHERE TC = 'PE  ' ORDER BY Secuencia"),
              (QStringList{QStringLiteral("%1|CAJ |-2|-24|UN  |12|Art I1|2|P-I1").arg(Art("I1")),
                           QStringLiteral("%1|UN  |-6|-6|UN  |1||0|<null>").arg(Art("I2")),
                           QStringLiteral("%1|LT  |-2|-2|LT  |0|Art A1|10|P-A1").arg(Art("A1"))}))
        << "the article found moves; description, cost and account are read by the code as stored";
}

// Every row of a line moves the line's own items: each lot item its own
// quantity (never the whole line again, in no branch), every column in its
// unit, and the deposit and motive of its own line.
TEST_F(StockTest, EachRowOfALineMovesItsOwnItemFromItsOwnLine)
{
    const auto insumos = [this](const char* articulo, std::initializer_list<std::pair<const char*, const char*>> filas,
                                const char* unidad = "UN  ") {
        for (const auto& [insumo, cantidad] : filas)
            Insumo(articulo, insumo, cantidad, unidad);
    };
    Opciones transferencia;
    transferencia.deposito = "ELDELGRID";
    transferencia.destino = "5";
    transferencia.transferencia = true;
    Opciones porLinea;
    porLinea.deposito = "ELDELGRID";
    Opciones motivoPorLinea;
    motivoPorLinea.motivo = "ELDELGRID";
    Opciones loteFijo;
    loteFijo.loteFijo = "F1";
    Opciones deUnoANueve;
    deUnoANueve.transferencia = true;
    deUnoANueve.destino = "9";
    Opciones deUnoADos = deUnoANueve;
    deUnoADos.destino = "2";
    Opciones deposito2;
    deposito2.deposito = "2";
    Opciones transferenciaLoteFijo = deUnoANueve;
    transferenciaLoteFijo.loteFijo = "F1";
    Opciones desdeOC;
    desdeOC.tcOrigen = "OC";
    desdeOC.origen = "000100000001X";
    const auto tipoOP = [this] {
        Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'OP  '");
        Tipo("OP", "", "STOCK");
    };
    Tipo("RMC", "E", "Compras");
    const char* lotes = "RTRIM(NroLote), NroSerie, Cantidad";
    const auto existencias = [this](const char* articulo, const char* deposito,
                                    std::initializer_list<std::pair<const char*, const char*>> filas) {
        for (const auto& [lote, cantidad] : filas)
            Existencia(articulo, deposito, lote, cantidad);
    };
    const char* consumo = "TC, RTRIM(NroLote), IdDeposito, Cantidad, ControladoPor";

    struct Caso {
        const char* nombre;
        const char* tc;
        QList<Celdas> lineas;
        const char* columnas;
        QStringList filas;
        Opciones opciones = {};
        std::function<void()> datos = {};
    };
    const Caso casos[] = {
        {"exit, blank item", "RMX", {{{0, "A2"}, {5, "UN"}, {8, "6"}, {24, "|L1||L3|"}, {25, "|1|0|5|"}}},
         "Secuencia, RTRIM(NroLote), Cantidad", {"1|L1|-1", "2|L3|-5"}},
        {"exit, blank last item", "RMX", {{{0, "A2"}, {5, "UN"}, {8, "6"}, {24, "|L1||"}, {25, "|1|5|"}}},
         "Secuencia, RTRIM(NroLote), Cantidad", {"1|L1|-1", "2|<null>|-5"}},
        {"exit, repeated lot", "RMX", {{{0, "A2"}, {5, "UN"}, {8, "6"}, {24, "|L1|L1|"}, {25, "|2|4|"}}},
         "Secuencia, RTRIM(NroLote), Cantidad", {"1|L1|-2", "2|L1|-4"}},
        // Base quantities of the lots, 24 units in all for 2 boxes of 12.
        {"exit in another unit", "RMX",
         {{{0, "A1"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}, {77, "24"}, {24, "|LC|LD|"}, {25, "|9|15|"}}},
         "RTRIM(NroLote), Cantidad * 100, CantidadUD, IdUnidadBase", {"LC|-75|-9|UN  ", "LD|-125|-15|UN  "}},
        {"exit in another unit, one lot", "RMX",
         {{{0, "A1"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}, {77, "24"}, {24, "|LC|"}, {25, "|24|"}}},
         "RTRIM(NroLote), Cantidad, CantidadUD", {"LC|-2|-24"}},
        {"reception of two lots", "IRX", {{{0, "A2"}, {5, "UN"}, {8, "10"}, {23, "-1"}, {24, "|R1|R2|"}, {25, "|3|7|"}}},
         lotes, {"R1|<null>|3", "R2|<null>|7"}},
        {"reception, lots of one quantity", "IRX", {{{0, "A2"}, {5, "UN"}, {8, "6"}, {24, "|R1|R2|"}, {25, "|3|3|"}}},
         lotes, {"R1|<null>|3", "R2|<null>|3"}},
        {"reception with a fixed lot", "IRX", {{{0, "A2"}, {5, "UN"}, {8, "5"}, {24, "|L1|L2|"}, {25, "|2|3|"}}},
         lotes, {"L1|<null>|2", "L2|<null>|3"}, loteFijo},
        {"perishable reception", "IRX", {{{0, "A2"}, {5, "UN"}, {8, "5"}, {49, "-1"}, {24, "|V2027|"}, {25, "|5|"}}},
         lotes, {"V2027|<null>|5"}},
        {"perishable reception of two lots", "IRX",
         {{{0, "A2"}, {5, "UN"}, {8, "5"}, {49, "-1"}, {24, "|V1|V2|"}, {25, "|2|3|"}}}, lotes,
         {"V1|<null>|2", "V2|<null>|3"}},
        {"transfer of a repeated lot and a blank item", "TRX",
         {{{0, "A2"}, {5, "UN"}, {8, "6"}, {24, "|L1|L1||"}, {25, "|1|2|3|"}}}, "Secuencia, RTRIM(NroLote), Cantidad",
         {"1|L1|-1", "2|L1|-2", "3|<null>|-3", "4|L1|1", "5|L1|2", "6|<null>|3"}, transferencia},
        // A line without deposit takes the default one.
        {"transfer from per-line deposits", "TRX",
         {{{0, "A1"}, {6, "2"}, {8, "1"}}, {{0, "A2"}, {6, "3"}, {8, "2"}}, {{0, "A1"}, {8, "4"}}},
         "Secuencia, IdDeposito, IDDEPOSITO_DESTINO, Cantidad",
         {"1|   2|   5|-1", "2|   3|   5|-2", "3|   4|   5|-4", "4|   5|   2|1", "5|   5|   3|2", "6|   5|   4|4"},
         transferencia, [this] { Cfg("DepositoDefault", "4"); }},
        {"production order from per-line deposits", "OP",
         {{{0, "A1"}, {6, "2"}, {8, "5"}, {31, "-1"}}, {{0, "A2"}, {6, "3"}, {8, "3"}}},
         "LTRIM(RTRIM(IdArticulo)), IdDeposito, Cantidad", {"A1|   2|5", "A2|   3|-3"}, porLinea,
         [this] {
             Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'OP  '");
             Tipo("OP", "", "STOCK");
         }},
        {"inputs under their own line's motive", "RMX",
         {{{0, "K1"}, {5, "UN"}, {8, "1"}, {89, "3"}}, {{0, "A1"}, {5, "UN"}, {8, "1"}, {89, "5"}}},
         "TC, LTRIM(RTRIM(IdArticulo)), Cantidad, IdMotivoStock",
         {"PE  |I1|-2|   3", "PE  |I2|-1|   3", "RMX |K1|-1|   3", "RMX |A1|-1|   5"}, motivoPorLinea,
         [&] { insumos("K1", {{"I1", "2"}, {"I2", "1"}}); }},
        {"produced article with a numeric code", "RMX", {{{0, "77"}, {5, "UN"}, {8, "2"}}},
         "TC, LTRIM(RTRIM(IdArticulo)), Cantidad", {"RMX |77|-2"}, {}, [&] { insumos("77", {{"I1", "1"}}); }},
        // One box of I1 (12 units) per unit of K1; I1 in lots M1 (24 units)
        // and M2 (60): 36 units, 2 boxes from M1 and 1 from M2.
        {"inputs taken from their lots", "RMX", {{{0, "K1"}, {5, "UN"}, {8, "3"}}},
         "TC, LTRIM(RTRIM(IdArticulo)), RTRIM(NroLote), Cantidad, CantidadUD",
         {"PE  |I1|M1|-2|-24", "PE  |I1|M2|-1|-12", "RMX |K1|<null>|-3|-3"}, {},
         [&] {
             insumos("K1", {{"I1", "1"}}, "CAJ ");
             Ejecuta(QStringLiteral("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES "
                                    "('%1', 'CAJ ', 'UN  ', 12)")
                         .arg(Art("I1")));
             Ejecuta(QStringLiteral("INSERT INTO STK_SERIES_Y_LOTES (IdArticulo, IdDeposito, NroLote, Cantidad) VALUES "
                                    "('%1', '   1', 'M1', 24), ('%1', '   1', 'M2', 60)")
                         .arg(Art("I1")));
         }},
        // The pick's lists name each lot followed by the separator.
        {"transfer of lots picked from stock", "TRX",
         {{{0, "A2"}, {5, "UN"}, {8, "4"}, {23, "-1"}, {24, "|L1" + kSep + "|" + kSep + "|"}, {25, "|3|1|"}}},
         "IdDeposito, RTRIM(NroLote), Cantidad", {"   1|L1|-3", "   1|<null>|-1", "   9|L1|3", "   9|<null>|1"},
         deUnoANueve},
        {"reception whose first lot is 0, after another line", "IRX",
         {{{0, "A1"}, {5, "UN"}, {8, "1"}},
          {{0, "A2"}, {5, "UN"}, {8, "5"}, {23, "-1"}, {24, "|R0|R1|R2|"}, {25, "|0|2|3|"}}},
         lotes, {"<null>|<null>|1", "R1|<null>|2", "R2|<null>|3"}},
        {"transfer whose first lot is 0", "TRX",
         {{{0, "A2"}, {5, "UN"}, {8, "5"}, {23, "-1"}, {24, "|R0|R1|R2|"}, {25, "|0|2|3|"}},
          {{0, "A1"}, {5, "UN"}, {8, "1"}}},
         "IdDeposito, RTRIM(NroLote), Cantidad",
         {"   1|R1|-2", "   1|R2|-3", "   1|<null>|-1", "   9|R1|2", "   9|R2|3", "   9|<null>|1"}, deUnoANueve},
        {"reception with a blank lot item", "IRX",
         {{{0, "A2"}, {5, "UN"}, {44, "UN"}, {8, "2"}, {77, "2"}, {23, "-1"}, {24, "||L2|"}, {25, "|1.5|0.5|"}}},
         "RTRIM(NroLote), Cantidad * 10, CantidadUD * 10", {"<null>|15|15", "L2|5|5"}},
        {"reception of fractional lots", "IRX",
         {{{0, "A2"}, {5, "UN"}, {8, "1"}, {23, "-1"}, {24, "|R1|R2|"}, {25, "|0.4|0.6|"}},
          {{0, "A2"}, {5, "UN"}, {8, "1.5"}, {23, "-1"}, {24, "|R3|R4|R5|"}, {25, "|0.5|0.5|0.5|"}}},
         "RTRIM(NroLote), Cantidad * 10", {"R1|4", "R2|6", "R3|5", "R4|5", "R5|5"}},
        // 2 boxes of 12: 24 units, 10 and 14 of them by lot.
        {"reception by lot in another unit", "IRX",
         {{{0, "A2"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}, {77, "24"}, {23, "-1"}, {24, "|R1|R2|"},
           {25, "|10|14|"}},
          {{0, "A2"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}, {77, "24"}, {23, "-1"}, {24, "|R3|"}, {25, "|24|"}}},
         "RTRIM(NroLote), Cantidad * 10000, CantidadUD", {"R1|8333|10", "R2|11667|14", "R3|20000|24"}},
        {"transfer by lot in another unit", "TRX",
         {{{0, "A2"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}, {77, "24"}, {23, "-1"}, {24, "|R1|R2|"},
           {25, "|10|14|"}}},
         "RTRIM(NroLote), Cantidad * 10000, CantidadUD",
         {"R1|-8333|-10", "R2|-11667|-14", "R1|8333|10", "R2|11667|14"}, transferencia},
        // K1 is 1 UN of an input kept by lot.
        {"input lots nothing is taken from", "RMX", {{{0, "K1"}, {5, "UN"}, {8, "5"}}}, consumo,
         {"PE  |N1|   2|-3|K1", "PE  |N2|   2|-2|K1", "RMX |<null>|   2|-5|"}, deposito2,
         [&] {
             insumos("K1", {{"I2", "1"}});
             existencias("I2", "2", {{"N1", "3"}, {"N2", "2"}, {"N3", "4"}});
         }},
        {"input rest no lot covers", "RMX", {{{0, "K1"}, {5, "UN"}, {8, "9"}}}, consumo,
         {"PE  |M1|   2|-3|K1", "PE  |M2|   2|-4|K1", "PE  |<null>|   2|-2|K1", "RMX |<null>|   2|-9|"}, deposito2,
         [&] {
             insumos("K1", {{"I1", "1"}});
             existencias("I1", "2", {{"M1", "3"}, {"M2", "4"}});
         }},
        {"two lines needing one input", "RMX", {{{0, "K1"}, {5, "UN"}, {8, "3"}}, {{0, "K2"}, {5, "UN"}, {8, "3"}}},
         consumo, {"PE  |M1|   1|-3|K1", "PE  |M2|   1|-3|K2", "RMX |<null>|   1|-3|", "RMX |<null>|   1|-3|"}, {},
         [&] {
             insumos("K1", {{"I1", "1"}});
             insumos("K2", {{"I1", "1"}});
             existencias("I1", "1", {{"M1", "3"}, {"M2", "4"}});
         }},
        {"inputs from the lots of the line's deposit", "RMX", {{{0, "K1"}, {5, "UN"}, {6, "2"}, {8, "5"}}}, consumo,
         {"PE  |M1|   2|-3|K1", "PE  |M2|   2|-2|K1", "RMX |<null>|   2|-5|"}, porLinea,
         [&] {
             insumos("K1", {{"I1", "1"}});
             existencias("I1", "2", {{"M1", "3"}, {"M2", "4"}});
         }},
        // A line's bundles and kilograms are moved once, shared as its
        // quantity is: 2 bundles and 3 kg over halves (1.5 rounds to 2);
        // 2.5 bundles (2) over 4 and 1: 2, then what is left of 2.
        {"bundles of a reception by lot", "RMC",
         {{{0, "A2"}, {5, "UN"}, {8, "2"}, {23, "-1"}, {24, "|R1|R2|"}, {25, "|1|1|"}, {66, "2"}, {67, "3"}}},
         "RTRIM(NroLote), Cantidad, CANT_BL, CANT_KG", {"R1|1|1|2", "R2|1|1|1"}, desdeOC},
        {"bundles of an exit by sizes", "RMX",
         {{{0, "A2"}, {5, "UN"}, {8, "5"}, {64, "1"}, {24, "|S|M|"}, {25, "|4|1|"}, {66, "2.5"}}},
         "RTRIM(NroLote), Cantidad, CANT_BL", {"S|-4|-2", "M|-1|0"}},
        // A weighable line books its weight (column 77), not its pieces.
        {"weighable exit", "RMX", {{{0, "A1"}, {5, "UN"}, {44, "UN"}, {8, "3"}, {77, "3.75"}, {79, "-1"}}},
         "Cantidad, CantidadUD * 100", {"-3|-375"}},
        {"weighable transfer", "TRX", {{{0, "A1"}, {5, "UN"}, {44, "UN"}, {8, "3"}, {77, "3.75"}, {79, "-1"}}},
         "IdDeposito, Cantidad, CantidadUD * 100", {"   1|-3|-375", "   9|3|375"}, deUnoANueve},
        {"weighable input of a production order", "OP",
         {{{0, "A1"}, {5, "UN"}, {44, "UN"}, {8, "3"}, {77, "3.75"}, {79, "-1"}}}, "Cantidad, CantidadUD * 100",
         {"-3|-375"}, {}, tipoOP},
        {"weighable reception by lot", "RMC",
         {{{0, "A1"}, {5, "UN"}, {44, "UN"}, {8, "2"}, {77, "1.6"}, {79, "-1"}, {23, "-1"}, {24, "|R1|R2|"},
           {25, "|1|1|"}}},
         "RTRIM(NroLote), Cantidad, CantidadUD * 10", {"R1|1|8", "R2|1|8"}, desdeOC},
        // The fixed lot is the whole line's, in base units as without lot; a
        // transfer's entry arrives under the lot it left with.
        {"reception in boxes under the fixed lot", "IRX",
         {{{0, "A2"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}, {77, "24"}}},
         "RTRIM(NroLote), Cantidad, CantidadUD", {"F1|2|24"}, loteFijo},
        {"perishable transfer of a picked lot", "TRX",
         {{{0, "A2"}, {5, "UN"}, {8, "2"}, {23, "-1"}, {49, "-1"}, {24, "|L1" + kSep + "|"}, {25, "|2|"}}},
         "IdDeposito, RTRIM(NroLote), Cantidad", {"   1|L1|-2", "   9|L1|2"}, deUnoANueve},
        {"transfer under a fixed lot", "TRX", {{{0, "A2"}, {5, "UN"}, {8, "2"}}}, "IdDeposito, RTRIM(NroLote), Cantidad",
         {"   1|<null>|-2", "   9|<null>|2"}, transferenciaLoteFijo},
        // K1 is 1 CJ of I1 and 2 PK of I2 per unit (UN): 2.5 boxes of 12.
        {"composite line in boxes", "IRX", {{{0, "K1"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2.5"}, {77, "30"}}},
         "TC, LTRIM(RTRIM(IdArticulo)), IdUnidad, Cantidad", {"PE  |I1|CJ  |30", "PE  |I2|PK  |60", "IRX |K1|CJ  |2,5"},
         {},
         [&] {
             insumos("K1", {{"I1", "1"}}, "CJ  ");
             insumos("K1", {{"I2", "2"}}, "PK  ");
         }},
        // 30 % and 70 % of the whole line (10), whatever its lots moved.
        {"percentage composite by lot", "RMX",
         {{{0, "K1"}, {5, "UN"}, {44, "UN"}, {8, "10"}, {77, "10"}, {71, "-1"}, {24, "|L1" + kSep + "|L2" + kSep + "|"},
           {25, "|4|6|"}}},
         "TC, LTRIM(RTRIM(IdArticulo)), RTRIM(NroLote), Cantidad, CantidadUD",
         {"PE  |K1|<null>|-10|-10", "PE  |I1|<null>|-3|-3", "PE  |I2|<null>|-7|-7", "RMX |K1|L1|-4|-4",
          "RMX |K1|L2|-6|-6"},
         {}, [&] { insumos("K1", {{"I1", "30"}, {"I2", "70"}}); }},
        // K1 is 2 of I1, kept by lot where it arrives: the composite moves whole.
        {"composite in a transfer", "TRX", {{{0, "K1"}, {5, "UN"}, {8, "1"}}},
         "TC, IdDeposito, LTRIM(RTRIM(IdArticulo)), Cantidad", {"TRX |   1|K1|-1", "TRX |   2|K1|1"}, deUnoADos,
         [&] {
             insumos("K1", {{"I1", "2"}});
             existencias("I1", "2", {{"M1", "3"}});
         }},
        {"transfer of boxes without base quantity", "TRX",
         {{{0, "A1"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}}}, "IdDeposito, Cantidad, CantidadUD, IdUnidadBase",
         {"   1|-2|-24|UN  ", "   2|2|24|UN  "}, deUnoADos},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        for (const char* tabla : {"V_MV_STOCK", "V_MA_INSUMOS", "S_TA_EQUIV", "STK_SERIES_Y_LOTES"})
            Ejecuta(QStringLiteral("DELETE FROM %1").arg(tabla));
        if (c.datos)
            c.datos();
        Lineas(c.lineas);
        ui::ScriptedSession sinAvisos;
        EXPECT_FALSE(Escribe(c.tc, "000100000026X", false, c.opciones).hayError);
        EXPECT_TRUE(sinAvisos.shown().isEmpty()) << sinAvisos.failures().join("; ").toStdString();
        EXPECT_EQ(Movimientos(c.columnas), c.filas);
        // Collected, the same rows.
        Ejecuta("DELETE FROM V_MV_STOCK");
        const Resultado colectado = Escribe(c.tc, "000100000026X", true, c.opciones);
        EXPECT_FALSE(colectado.sql.contains("ELDELGRID", Qt::CaseInsensitive)) << colectado.sql.toStdString();
        Ejecuta(colectado.sql);
        EXPECT_EQ(Movimientos(c.columnas), c.filas) << "collected";
    }
}

TEST_F(StockTest, AUsedUpConsumptionBookWritesNoConsumptionRowsAndIsReported)
{
    Ejecuta("DELETE FROM V_MA_INSUMOS");
    Ejecuta(QStringLiteral("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) VALUES "
                           "('%1', '%2', 'UN  ', 1)")
                .arg(Art("K1"), Art("I1")));
    Ejecuta("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 61, X_NRO_HASTA = 60 WHERE CODIGO = 'PE  '");
    Lineas({{{0, "K1"}, {5, "UN"}, {8, "2"}}});
    ui::ScriptedSession dialogos;
    // The numbering names the used-up book to the operator, once per request.
    dialogos.expectMsgBox("");
    dialogos.expectMsgBox("");
    for (const bool colecta : {false, true}) {
        SCOPED_TRACE(colecta ? "collecting" : "executing");
        const Resultado r = Escribe("RMX", "000100000027X", colecta);
        EXPECT_TRUE(r.hayError);
        EXPECT_FALSE(r.sql.contains("'PE  '")) << r.sql.toStdString();
    }
    EXPECT_EQ(Filas("SELECT COUNT(*) FROM V_MV_STOCK WHERE TC = 'PE  '"), QStringList{"0"});
}

// The dispatch data of every lot item: as the one-lot lookup gives it, with
// the lot stored with blanks or in another case, several rows per lot (the
// one with the lowest id wins), a blank description (no origin), a quote, a
// lot of the line without dispatch data and a lot found only as the fixed
// lot of the voucher.
TEST_F(StockTest, EveryLotItemCarriesItsDispatchDataAsTheOneLotLookupGivesIt)
{
    Ejecuta("DELETE FROM STK_DESPACHOS");
    Ejecuta(QStringLiteral("INSERT INTO STK_DESPACHOS (ID, NroLote, Descripcion, ControladoPor, IdOrigen) VALUES "
                           "(20, 'd1 ', 'Segundo', 'ADUANA TARDE', '   9'), (10, '  D1', 'Primero', 'ADUANA BS AS', "
                           "'   1'), (30, 'D2', '  ', 'SENASA', '   2'), (40, 'D''3', 'Con comilla', 'ANMAT', '   3'), "
                           "(50, '%1', 'Numerico', 'ADUANA 77', '   7')")
                .arg(Art("77")));
    Lineas({{{0, "A1"}, {5, "UN"}, {8, "6"}, {24, "|D1|d2|D'3|SIN|77|"}, {25, "|1|1|1|1|2|"}},
            {{0, "A2"}, {5, "UN"}, {8, "1"}, {24, "| d1 |"}, {25, "|1|"}},
            {{0, "A2"}, {5, "UN"}, {8, "1"}, {39, "5"}, {24, "|D1|"}, {25, "|1|"}}});
    ui::ScriptedSession sinAvisos;
    EXPECT_FALSE(Escribe("RMX", "000100000028X", false).hayError);
    EXPECT_TRUE(sinAvisos.shown().isEmpty()) << sinAvisos.failures().join("; ").toStdString();
    const QStringList escritas = Movimientos("RTRIM(NroLote), ControladoPor, IdOrigen");
    EXPECT_EQ(escritas, (QStringList{"D1|ADUANA BS AS|   1", "d2|SENASA|<null>", "D'3|ANMAT|   3", "SIN||<null>",
                                     Art("77") + "|ADUANA 77|   7", "d1|ADUANA BS AS|   1",
                                     "D1|ADUANA BS AS|   5"}));
    // Row by row the same as the lookup of that one lot.
    const QStringList lotes = Movimientos("NroLote");
    ASSERT_EQ(lotes.size(), escritas.size());
    for (qsizetype i = 0; i + 1 < lotes.size(); ++i) {
        QString controlado, origen;
        ModGlobal::DatosDespacho(lotes[i], controlado, origen);
        EXPECT_EQ(escritas[i].section(u'|', 1),
                  controlado + u'|' + (origen.isEmpty() ? "<null>" : kapores2::Funciones::RellenaCodigo(origen, 4)))
            << i;
    }

    // Collected, the same values go into the statements.
    const Resultado r = Escribe("RMX", "000100000029X", true);
    EXPECT_EQ(r.sql.count("'ADUANA BS AS','   1'"), 2);
    EXPECT_EQ(r.sql.count("'ADUANA BS AS','   5'"), 1);
    EXPECT_EQ(r.sql.count("'SENASA',NULL"), 1);
}

}  // namespace
