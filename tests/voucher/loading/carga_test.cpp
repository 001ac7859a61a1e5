// End-to-end loads of stored vouchers into a voucher window's grids, each
// checked cell by cell.
#include "voucher/loading/entorno_carga.h"

#include "platform/ado/recordset.h"

using namespace cargatest;

namespace {

class Carga : public EntornoCarga {};

TEST_F(Carga, OrderIntoInvoiceWithPendingQuantities)
{
    const QString id = QStringLiteral("0001000000051");
    // The order gets letter "A"; the limit is the one of the letter passed
    // (none), so the one-line limit of "A" stops nothing.
    Limite("FC", "A", 1);
    Inserta("MA_CUENTAS", {{"CODIGO", "4.1.99"}, {"DESCRIPCION", "Fletes"}, {"Titulo", "=0"}});
    Inserta("MA_CUENTAS", {{"CODIGO", "1.0"}, {"DESCRIPCION", "Activo"}, {"Titulo", "=1"}});
    Cabecera("NP", id, {{"IdReparto", "=-1"}, {"CondicionIva", "1"}, {"Cotizacion", "=1"}});
    Tarea("NP", id, {{"IDTAREA", "   1"}, {"Descripcion", "Instalacion"}, {"Horas", "=90"}, {"ValorHora", "=100"},
                     {"valorHora_S_Iva", "=82.64"}, {"Total", "=150"}, {"Prioridad", "=2"}, {"Usuario", "abc"}});
    Observacion("NP", id, {{"Observacion", "4.1.99 Flete"}, {"Importe", "=121"}, {"Importe_S_IVA", "=100"}});
    Observacion("NP", id, {{"Observacion", "1.0 Titulo"}, {"Importe", "=1"}, {"Importe_S_IVA", "=1"}});
    Linea("NP", id, {{"Secuencia", "=1"}, {"IdArticulo", Art("1001")}, {"Descripcion", "Tornillo"}, {"Cantidad", "=10"},
                     {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"}, {"CantidadUD", "=10"}, {"Importe", "=121"},
                     {"Importe_S_IVA", "=100"}, {"Total", "=1210"}, {"AlicIVA", "=21"}, {"PorcDto", "=0"}});
    Linea("NP", id, {{"Secuencia", "=2"}, {"IdArticulo", Art("1002")}, {"Descripcion", "Taco"}, {"Cantidad", "=5"},
                     {"IdUnidad", "CJ"}, {"IdUnidadBase", "UN"}, {"CantidadUD", "=2.5"}, {"Equiv_UDBase", "=0.5"},
                     {"Importe", "=60"}, {"Importe_S_IVA", "=60"}, {"Total", "=300"}, {"Costo", "=30"}});
    // In boxes of an article kept in kilograms: it comes over in kilograms.
    Linea("NP", id, {{"Secuencia", "=3"}, {"IdArticulo", Art("PINT-LATEX-20")}, {"Cantidad", "=2"}, {"IdUnidad", "CJ"},
                     {"IdUnidadBase", "KG"}, {"CANT_KG", "=12"}, {"Equiv_UDBase", "=6"}, {"Importe", "=1"}});
    Movimiento("NP", id, "1001", 4);

    ClsCmnCptes cls;
    auto cabecera = std::make_shared<ado::Recordset>();
    legacy::Variant lrcs(cabecera);
    Inicializa(cls, QStringLiteral("FC"));
    cls.AsignarDatosComprobante("NP", id, QString(), tareas(), articulos(), otros(), false, &lrcs, false, {}, &reparto,
                                false, {}, "FC", &letra);

    EXPECT_EQ(letra, "A");
    EXPECT_EQ(reparto, -1);
    ASSERT_TRUE(lrcs.IsObject());
    EXPECT_EQ(lrcs.as<ado::Recordset>()->Fields("IDCOMPROBANTE").Value().toString(), id);
    EXPECT_EQ(tareas()->Rows(), 3);
    Verifica(tareas(), {{1, 0, "1"}, {1, 11, "1"}, {1, 1, "Instalacion"}, {1, 2, "01:30"}, {1, 3, "100,00"},
                        {1, 6, "82,64"}, {1, 4, "150,00"}, {1, 15, "2"}, {1, 16, "0"}, {2, 0, ""}});
    EXPECT_EQ(otros()->Rows(), 4);
    Verifica(otros(), {{1, 0, "4.1.99 Flete"}, {1, 2, "121,00"}, {1, 1, "100,00"}, {1, 3, "4.1.99"},
                       {2, 0, "1.0 Titulo"}, {2, 3, ""}});
    EXPECT_EQ(articulos()->Rows(), 5);
    // Pending 6 of 10 (4 moved), with 6/10 of the total; the second line is
    // in boxes (2.5 base units in all) and has no VAT rate (the general one
    // applies).
    Verifica(articulos(), {{1, 0, "1001"}, {1, 1, "Tornillo"}, {1, 5, "UN"}, {1, 8, "6"}, {1, 10, "1"},
                           {1, 11, "UN"}, {1, 12, "6"}, {1, 17, "100"}, {1, 18, "726"}, {1, 21, "726"},
                           {1, 26, "6"}, {1, 36, "21"}, {1, 41, "120"}, {1, 72, id}, {1, 80, "7790001001001"},
                           {1, 98, "1"}, {2, 0, "1002"}, {2, 5, "CJ"}, {2, 8, "5"}, {2, 10, "2,5"}, {2, 12, "2,5"},
                           {2, 17, "60"}, {2, 26, "5"}, {2, 36, "21"}, {2, 41, "30"}, {3, 5, "KG"}, {3, 70, "CJ"}, {3, 10, "1"},
                           {3, 8, "12"}, {3, 12, "12"}, {4, 0, ""}});
}

TEST_F(Carga, DemoOrderIntoInvoice)
{
    ClsCmnCptes cls;
    Cargar(cls, "NP", "000300000950A", "FC");
    EXPECT_EQ(articulos()->Rows(), 4);
    Verifica(articulos(), {{1, 0, "1001"}, {1, 8, "10"}, {2, 0, "1002"}, {2, 8, "5"}});
    Verifica(tareas(), {{1, 1, "Instalacion"}, {1, 3, "2500,00"}});
    Verifica(otros(), {{1, 0, "4.1.01 Flete a obra"}, {1, 3, "4.1.01"}});
}

TEST_F(Carga, DeliveryNoteIntoCreditNoteIsNegated)
{
    const QString id = QStringLiteral("0001000000061");
    Cabecera("RM", id, {{"IdReparto", "=0"}});
    Linea("RM", id, {{"IdArticulo", Art("1001")}, {"Cantidad", "=10"}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"}});
    Linea("RM", id, {{"IdArticulo", Art("1002")}, {"Cantidad", "=5"}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"}});
    // Four units of the first line were applied; the second has no application row.
    Inserta("MV_APLICACION", {{"TCO_ORIGEN", "RM"}, {"IDComprobante_Origen", id}, {"IDARTICULO", Art("1001")},
                              {"CANTIDAD", "=4"}});
    ClsCmnCptes cls;
    Cargar(cls, "RM", id, "NC");
    EXPECT_EQ(articulos()->Rows(), 4);
    // What is still to apply carries the row's sign.
    Verifica(articulos(), {{1, 8, "-6"}, {1, 26, "-6"}, {2, 8, "-5"}, {2, 26, "-5"}});
}

// A row taking q of a stored line of Q units carries the line's totals and
// equivalent quantity in proportion q / Q; a negated row, their negation.
TEST_F(Carga, RowsCarryTheirShareOfTheLine)
{
    // Letter A (no final-price cell): 10 at 1210 with 2 + 1 of taxes per
    // unit, 4 moved; boxes of 12: 6 (72 units) with 2 moved, 0,5 (6 units)
    // with 0,125 moved.
    Config(QStringLiteral("CONDIVA"), "1");
    const QString a = QStringLiteral("0001000000721"), finales = QStringLiteral("0001000000702"),
                  lista = QStringLiteral("0001000000703"), oc = QStringLiteral("0001000000731");
    Cabecera("RM", a, {{"IdReparto", "=-1"}, {"CondicionIva", "1"}, {"Cotizacion", "=2"}});
    Linea("RM", a, {{"IdArticulo", Art("1001")}, {"Cantidad", "=10"}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"},
                    {"CantidadUD", "=10"}, {"Importe", "=121"}, {"Importe_S_IVA", "=100"}, {"Total", "=1210"},
                    {"Impuestos", "=2"}, {"ITC", "=1"}});
    Linea("RM", a, {{"IdArticulo", Art("1002")}, {"Cantidad", "=6"}, {"IdUnidad", "CJ"}, {"IdUnidadBase", "UN"},
                    {"CantidadUD", "=72"}});
    Linea("RM", a, {{"IdArticulo", Art("PINT-LATEX-20")}, {"Cantidad", "=0.5"}, {"IdUnidad", "CJ"},
                    {"IdUnidadBase", "UN"}, {"CantidadUD", "=6"}});
    Movimiento("RM", a, "1001", 4);
    Movimiento("RM", a, "1002", 2);
    Movimiento("RM", a, "PINT-LATEX-20", 0.125);
    // Final prices: the stored final total 1210, without and with a price list.
    Cabecera("RM", finales, {{"IdReparto", "=-1"}});
    Linea("RM", finales,
          {{"IdArticulo", Art("1001")}, {"Cantidad", "=10"}, {"Importe", "=121"}, {"TotalFinal", "=1210"}});
    Movimiento("RM", finales, "1001", 4);
    Cabecera("RM", lista, {{"IdReparto", "=-1"}});
    Linea("RM", lista, {{"IdArticulo", Art("1001")}, {"Cantidad", "=10"}, {"Importe", "=121"},
                        {"Importe_S_IVA", "=121"}, {"Total", "=1000"}, {"TotalFinal", "=1210"}, {"idLista", "   1"}});
    Movimiento("RM", lista, "1001", 4);
    // 13 + 0,3333 x 1,3 = 13,43329, kept as the Currency 13,4333; its text
    // plus 0,1111 x 1,3 = 0,14443 is the Double 13,57773.
    Cabecera("OC", oc, {}, "C_");
    Linea("OC", oc, {{"IdArticulo", Art("1001")}, {"Cantidad", "=1.3"}, {"Total", "=13"}, {"Impuestos", "=0.3333"},
                     {"ITC", "=0.1111"}}, "C_");

    const struct {
        QString id;
        const char* destino;
        const char* finales;  // the PreciosFinales setting
        bool convertir;
        std::vector<CeldaEsperada> celdas;
    } casos[] = {
        {a, "FC", "NO", false, {{1, 8, "6"}, {1, 12, "6"}, {1, 18, "726"}, {1, 21, "744"}, {2, 8, "4"},
                                 {2, 12, "48"}, {3, 8, "0,375"}, {3, 12, "4,5"}}},
        {a, "NC", "NO", false, {{1, 8, "-6"}, {1, 12, "-6"}, {1, 18, "-726"}, {1, 21, "-744"}, {2, 12, "-48"},
                                 {3, 12, "-4,5"}}},
        {a, "FC", "NO", true, {{1, 18, "1452"}, {1, 21, "1488"}}},
        {a, "NC", "NO", true, {{1, 18, "-1452"}, {1, 21, "-1488"}}},
        {finales, "FC", "SI", false, {{1, 8, "6"}, {1, 18, "726"}, {1, 21, "726"}}},
        {finales, "NC", "SI", false, {{1, 8, "-6"}, {1, 18, "-726"}, {1, 21, "-726"}}},
        {lista, "FC", "SI", false, {{1, 18, "726"}, {1, 21, "726"}}},
        {oc, "", "NO", false, {{1, 8, "1,3"}, {1, 21, "13,57773"}}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.id.toStdString() + " " + c.destino + (c.convertir ? " convertida" : ""));
        Config(QStringLiteral("PreciosFinales"), c.finales);
        const bool compras = c.id == oc;
        ClsCmnCptes cls;
        Cargar(cls, compras ? "OC" : "RM", c.id, c.destino, [&](ClsCmnCptes& k, QString& l) {
            k.AsignarDatosComprobante(compras ? "OC" : "RM", c.id, "0", tareas(), articulos(), otros(), false, nullptr,
                                      compras, "C0001", &reparto, c.convertir, {}, c.destino, &l);
        });
        Verifica(articulos(), c.celdas);
    }
}

// A row's bundles and kilograms follow the quantity it takes, as its
// amounts do: Cant_BL x column 8 / Cantidad; an order line in boxes of an
// article kept in kilograms offers the kilograms of what it has pending.
TEST_F(Carga, BundlesAndKilogramsFollowTheQuantityARowTakes)
{
    Config(QStringLiteral("CONDIVA"), "1");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET PIDEEQUIVALENCIA = 1 WHERE IDARTICULO = '%1'").arg(Art("1002")));
    const auto rm = [&](const char* id, const char* art, const char* bultos, double movido) {
        Cabecera("RM", id, {{"IdReparto", "=-1"}, {"CondicionIva", "1"}});
        Linea("RM", id, {{"IdArticulo", Art(art)}, {"Cantidad", "=10"}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"},
                         {"Cant_BL", bultos}});
        if (movido != 0)
            Movimiento("RM", id, art, movido);
    };
    rm("0001000000901", "1001", "=5", 4);
    rm("0001000000902", "1001", "=5", 0);
    rm("0001000000903", "1002", "=4", 5);  // asks its equivalence: column 66 is not recomputed
    // 10 boxes of 12 kg, 4 of them applied, moved or prepared.
    const auto np = [&](const char* id, const char* reparto, Campos extra, const char* art = "1001",
                        const char* cantidad = "=10") {
        Cabecera("NP", id, {{"IdReparto", reparto}, {"CondicionIva", "1"}});
        Linea("NP", id, {{"IdArticulo", Art(art)}, {"Cantidad", cantidad}, {"IdUnidad", "CJ"}, {"IdUnidadBase", "KG"},
                         {"CANT_KG", "=120"}, {"Total", "=1200"}, {"Equiv_UDBase", "=12"}});
        for (const auto& [campo, valor] : extra)
            Ejecuta(QStringLiteral("UPDATE V_MV_CPTEINSUMOS SET %1 = %2 WHERE IDCOMPROBANTE = '%3'")
                        .arg(QString::fromLatin1(campo), valor, QString::fromLatin1(id)));
    };
    np("0001000000904", "=0", {});
    Inserta("MV_APLICACION", {{"TCO_ORIGEN", "NP"}, {"IDComprobante_Origen", "0001000000904"},
                              {"IDARTICULO", Art("1001")}, {"CANTIDAD", "=4"}});
    np("0001000000905", "=-1", {});
    Movimiento("NP", "0001000000905", "1001", 4);
    np("0001000000908", "=0", {{"CANTIDADAFACTURAR", "4"}, {"Cantidadpreparada", "4"}});
    // The kilograms per box an order in kilograms shows as its bundles stay
    // whole; a line without a quantity takes its kilograms whole.
    np("0001000000909", "=0", {}, "1002");
    Inserta("MV_APLICACION", {{"TCO_ORIGEN", "NP"}, {"IDComprobante_Origen", "0001000000909"},
                              {"IDARTICULO", Art("1002")}, {"CANTIDAD", "=4"}});
    np("0001000000910", "=0", {}, "1001", "=0");
    const struct {
        const char *tc, *id, *destino, *bultosApp, *preparadas;
        std::vector<CeldaEsperada> celdas;
    } casos[] = {
        {"RM", "0001000000901", "FC", "SI", "NO", {{1, 8, "6"}, {1, 66, "3"}}},
        {"RM", "0001000000901", "NC", "SI", "NO", {{1, 8, "-6"}, {1, 66, "-3"}}},
        {"RM", "0001000000902", "", "SI", "NO", {{1, 8, "10"}, {1, 66, "5"}}},
        {"RM", "0001000000903", "FC", "NO", "NO", {{1, 8, "5"}, {1, 97, "-1"}, {1, 66, "2"}}},
        // 120 x 6 / 10 kg, 1200 x 72 / 120; prepared: 120 x 4 / 10.
        {"NP", "0001000000904", "FC", "NO", "NO", {{1, 8, "72"}, {1, 12, "72"}, {1, 18, "720"}, {1, 26, "6"}}},
        {"NP", "0001000000905", "FC", "NO", "NO", {{1, 8, "72"}, {1, 12, "72"}, {1, 18, "720"}, {1, 26, "6"}}},
        {"NP", "0001000000908", "FC", "NO", "SI", {{1, 8, "48"}, {1, 12, "48"}, {1, 18, "480"}}},
        {"NP", "0001000000909", "FC", "NO", "NO", {{1, 8, "72"}, {1, 66, "12"}}},
        {"NP", "0001000000910", "FC", "NO", "NO", {{1, 8, "120"}, {1, 18, "1200"}}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.id) + " " + c.destino);
        Config(QStringLiteral("PideBultosAPP"), c.bultosApp);
        Config(QStringLiteral("FacturaNPPreparadas"), c.preparadas);
        ClsCmnCptes cls;
        Cargar(cls, c.tc, c.id, c.destino);
        ASSERT_EQ(articulos()->Rows(), 3);
        Verifica(articulos(), c.celdas);
    }
}

// Two vouchers loaded into one grid keep their timber rows apart; within
// one voucher the same piece merges (TimberLinesMerge).
TEST_F(Carga, TimberRowsOfTwoVouchersAreNotMerged)
{
    ModGlobal::EsMaderera = true;
    ModGlobal::UnidadMaderaTiras = QStringLiteral("TI");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET PIDEMEDIDAS = 1"));
    const QString ids[] = {QStringLiteral("0001000000942"), QStringLiteral("0001000000943")};
    for (const QString& id : ids) {
        Cabecera("RM", id, {{"IdReparto", "=0"}});
        Linea("RM", id, {{"IdArticulo", Art("1001")}, {"Cantidad", "=2"}, {"IdUnidad", "TI"}, {"IdUnidadBase", "TI"},
                         {"Espesor", "=2"}, {"Ancho", "=4"}, {"Importe_Ud", "=10"}, {"Importe", "=10"},
                         {"Total", "=20"}});
    }
    ClsCmnCptes cls;
    Cargar(cls, "RM", ids[0], "FC");
    cls.AsignarDatosComprobante("RM", ids[1], QString(), tareas(), articulos(), otros(), false, nullptr, false, {},
                                &reparto, false, {}, "FC", &letra);
    ASSERT_EQ(articulos()->Rows(), 4);
    Verifica(articulos(), {{1, 8, "2"}, {1, 18, "20"}, {1, 72, ids[0]}, {2, 8, "2"}, {2, 18, "20"}, {2, 72, ids[1]}});
}

TEST_F(Carga, PurchaseVoucher)
{
    const QString id = QStringLiteral("0001000000071");
    const QString C = QStringLiteral("C_");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET Perecedero = 1 WHERE IDARTICULO = '%1'").arg(Art("1001")));
    Inserta("V_MV_STOCK", {{"TC", "FCC"}, {"IdComprobante", id}, {"IdArticulo", Art("1001")}, {"NroLote", "L-77"},
                           {"Cantidad", "=4"}, {"Secuencia", "=1"}});
    Cabecera("FCC", id, {{"Cotizacion", "=1"}}, C);
    Tarea("FCC", id, {{"IDTAREA", "   2"}, {"Descripcion", "Mant"}, {"Horas", "=60"}, {"ValorHora", "=50"},
                      {"valorHora_S_Iva", "=40"}, {"Total", "=50"}}, C);
    Linea("FCC", id, {{"IdArticulo", Art("1001")}, {"Cantidad", "=4"}, {"IdUnidad", "CJ"}, {"IdUnidadBase", "UN"},
                      {"Equiv_UDBase", "=0.5"}, {"CantidadUD", "=2"}, {"Importe", "=100"}, {"Importe_S_IVA", "=100"},
                      {"Total", "=400"}, {"Impuestos", "=2"}, {"ITC", "=1"}, {"PorcDto", "=5"},
                      {"Precio_Lista", "=110"}, {"Costo", "=99"}, {"CodigoArtProveedor", "PROV-1"}, {"AlicIVA", "=21"}},
          C);
    ClsCmnCptes cls;
    Cargar(cls, "FCC", id, {}, [&](ClsCmnCptes& c, QString& l) {
        c.AsignarDatosComprobante("FCC", id, "7", tareas(), articulos(), otros(), false, nullptr, true, "C0001",
                                  &reparto, false, {}, {}, &l);
    });
    EXPECT_EQ(reparto, 0);  // a purchase hands no delivery run back
    Verifica(tareas(), {{1, 0, "2"}, {1, 1, "Mant"}, {1, 2, "01:00"}, {1, 3, "50,00"}, {1, 6, "40,00"},
                        {1, 4, "50,00"}, {1, 7, ""}, {1, 15, ""}});
    // The cost is the article's current one; the lot comes from the voucher's
    // own stock rows (perishable article); the total is the stored one.
    Verifica(articulos(), {{1, 8, "4"}, {1, 10, "0,5"}, {1, 12, "2"}, {1, 14, "5"}, {1, 17, "100"}, {1, 18, "400"},
                           {1, 21, "400"}, {1, 24, "L-77"}, {1, 26, "4"}, {1, 41, "120"}, {1, 43, "2"}, {1, 49, "-1"},
                           {1, 78, "PROV-1"}, {1, 82, "110"}, {1, 117, "8"}, {1, 118, "392"}, {2, 0, ""}});

    // Converted at 3: the stored total with taxes as every other amount.
    const QString dolares = QStringLiteral("0001000000072");
    Cabecera("FCC", dolares, {{"Cotizacion", "=3"}}, C);
    Linea("FCC", dolares, {{"IdArticulo", Art("1002")}, {"Cantidad", "=1"}, {"Total", "=40"}, {"Impuestos", "=2"}}, C);
    ClsCmnCptes convertida;
    Cargar(convertida, "FCC", dolares, {}, [&](ClsCmnCptes& c, QString& l) {
        c.AsignarDatosComprobante("FCC", dolares, "", tareas(), articulos(), otros(), false, nullptr, true, "C0001",
                                  &reparto, true, {}, {}, &l);
    });
    Verifica(articulos(), {{1, 18, "120"}, {1, 21, "120"}, {1, 43, "6"}, {1, 117, "6"}, {1, 118, "114"}});
}

TEST_F(Carga, TimberLinesMerge)
{
    const QString id = QStringLiteral("0001000000081");
    ModGlobal::EsMaderera = true;
    ModGlobal::UnidadMaderaTiras = QStringLiteral("TI");
    Config(QStringLiteral("PideBultosAPP"), "SI");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET PIDEMEDIDAS = 1"));
    Cabecera("RM", id, {{"IdReparto", "=0"}});
    const auto tabla = [&](const char* art, const char* cant, const char* largo, const char* importe,
                           const char* total, const char* bultos) {
        Linea("RM", id, {{"IdArticulo", Art(art)}, {"Cantidad", cant}, {"IdUnidad", "TI"}, {"IdUnidadBase", "TI"},
                         {"Espesor", "=2"}, {"Ancho", "=4"}, {"Equiv_UDBase", largo}, {"Ud_Pr", "P2"},
                         {"Importe_Ud", "=10"}, {"Importe", importe}, {"Total", total}, {"Cant_BL", bultos}});
    };
    tabla("1001", "=1", "=2", "=20", "=20", "=2");
    tabla("1002", "=2", "=3", "=30", "=60", "=8");
    tabla("1001", "=3", "=4", "=40", "=120", "=5");   // merges into the first row
    tabla("1002", "=-2", "=3", "=30", "=-60", "=1");  // cancels the second: kept apart
    ClsCmnCptes cls;
    Cargar(cls, "RM", id);
    EXPECT_EQ(articulos()->Rows(), 5);
    Verifica(articulos(), {{1, 0, "1001"}, {1, 8, "4"}, {1, 10, "3,5"}, {1, 87, "3,5"}, {1, 12, "4"}, {1, 17, "35"},
                           {1, 20, "35"}, {1, 18, "140"}, {1, 21, "140"}, {1, 26, "4"}, {1, 66, "7"}, {1, 86, "1"},
                           {2, 0, "1002"}, {2, 8, "2"}, {2, 66, "8"}, {3, 0, "1002"}, {3, 8, "-2"}, {3, 26, "-2"},
                           {4, 0, ""}});
}

TEST_F(Carga, OtherCurrency)
{
    const QString id = QStringLiteral("0001000000091");
    Cabecera("FC", id, {{"Cotizacion", "=350"}});
    Tarea("FC", id, {{"IDTAREA", "   1"}, {"ValorHora", "=10"}, {"valorHora_S_Iva", "=8"}, {"Total", "=10"}});
    Observacion("FC", id, {{"Observacion", "Envio"}, {"Importe", "=2"}, {"Importe_S_IVA", "=1"}});
    Linea("FC", id, {{"IdArticulo", Art("1001")}, {"Cantidad", "=2"}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"},
                     {"Importe", "=10"}, {"Importe_S_IVA", "=8"}, {"Total", "=20"}, {"Costo", "=5"},
                     {"Impuestos", "=1"}, {"ITC", "=0.5"}});
    ClsCmnCptes cls;
    Cargar(cls, "FC", id, {}, [&](ClsCmnCptes& c, QString& l) {
        c.AsignarDatosComprobante("FC", id, "0", tareas(), articulos(), otros(), false, nullptr, false, {}, &reparto,
                                  true, {}, {}, &l);
    });
    Verifica(tareas(), {{1, 3, "3500,00"}, {1, 6, "2800,00"}, {1, 4, "3500,00"}});
    Verifica(otros(), {{1, 2, "700,00"}, {1, 1, "350,00"}});
    Verifica(articulos(), {{1, 8, "2"}, {1, 17, "3500"}, {1, 41, "1750"}, {1, 20, "2800"}, {1, 43, "350"},
                           {1, 96, "175"}, {1, 18, "7000"}, {1, 21, "8050"}});
}

TEST_F(Carga, LineLimitStopsOrderWithSheetsMessage)
{
    const QString id = QStringLiteral("0001000000101");
    Limite("FC", "A", 2);
    Cabecera("NP", id, {{"IdReparto", "=0"}});
    Linea("NP", id, {{"IdArticulo", Art("1001")}, {"Cantidad", "=1"}, {"Recepcion", "=-999"}});
    for (const char* art : {"1002", "PINT-LATEX-20", "1001", "7777"})
        Linea("NP", id, {{"IdArticulo", Art(art)}, {"Cantidad", "=1"}});
    dlg.expectMsgBox("Recuerde que para facturar este pedido completo necesita 3 Hojas (El sistema tiene "
                     "configurado 2 por hoja)")
        .title("Aviso al operador");
    ClsCmnCptes cls;
    letraInicial = QStringLiteral("A");
    Cargar(cls, "NP", id, "FC");
    dlg.verifyDone();
    EXPECT_EQ(cls.NPP_Cliente, "C0001");
    EXPECT_EQ(cls.NPP_IDCpte, id);
    // The received line is skipped; the third line is refused and its row
    // stays as the one entry row.
    EXPECT_EQ(articulos()->Rows(), 4);
    Verifica(articulos(), {{1, 0, "1002"}, {2, 0, "PINT-LATEX-20"}, {3, 0, ""}});
}

// The limit is read with the letter as the caller passes it; an order
// without a letter becomes "A" only afterwards (a blank letter is one).
TEST_F(Carga, LineLimitOfTheLetterPassed)
{
    const QString id = QStringLiteral("0001000000111");
    Limite("FC", "A", 2);
    Cabecera("NP", id, {{"IdReparto", "=0"}});
    for (const char* art : {"1001", "1002", "PINT-LATEX-20", "7777"})
        Linea("NP", id, {{"IdArticulo", Art(art)}, {"Cantidad", "=1"}});
    const struct {
        const char* pasada;
        const char* devuelta;
        bool aviso;
        long filas;
        const char* ultima;  // the last line loaded
    } casos[] = {{"", "A", false, 6, "7777"}, {"A", "A", true, 4, "1002"}, {" ", " ", false, 6, "7777"}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.pasada);
        if (c.aviso)
            dlg.expectMsgBox("necesita 2 Hojas (El sistema tiene configurado 2 por hoja)");
        ClsCmnCptes cls;
        letraInicial = QString::fromLatin1(c.pasada);
        Cargar(cls, "NP", id, "FC");
        dlg.verifyDone();
        EXPECT_EQ(letra, c.devuelta);
        EXPECT_EQ(articulos()->Rows(), c.filas);
        EXPECT_EQ(articulos()->TextMatrix(c.filas - 2, 0), c.ultima);
    }
}

}  // namespace
