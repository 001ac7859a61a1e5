// The sibling-program switches, the guarded cases of the load, and the
// related-voucher, charge and pending-quantity members.
#include "voucher/loading/entorno_carga.h"

#include "platform/ado/recordset.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/modalform.h"

#include <sqlite3.h>

#include <algorithm>
#include <tuple>

using namespace cargatest;

namespace {

class Casos : public EntornoCarga {};

// Each switch against the ordinary program on the same voucher.
TEST_F(Casos, ProgramSwitches)
{
    const QString rm = QStringLiteral("0001000000201");
    Cabecera("RM", rm, {{"IdReparto", "=-1"}});
    Linea("RM", rm, {{"IdArticulo", Art("1001")}, {"Cantidad", "=10"}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"}});
    Linea("RM", rm, {{"IdArticulo", Art("1001")}, {"Cantidad", "=10"}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"}});
    Movimiento("RM", rm, "1001", 4);
    const QString rm2 = QStringLiteral("0001000000202");
    Cabecera("RM", rm2, {{"IdReparto", "=0"}});
    Linea("RM", rm2, {{"IdArticulo", Art("1002")}, {"Cantidad", "=10"}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"}});
    Observacion("RM", rm2, {{"Observacion", "Flete"}, {"NroViaje", "1"}});
    Observacion("RM", rm2, {{"Observacion", "Hacienda"}, {"NroViaje", "TROPA"}});
    Inserta("MV_APLICACION", {{"TCO_ORIGEN", "RM"}, {"IDComprobante_Origen", rm2}, {"IDARTICULO", Art("1002")},
                              {"CANTIDAD", "=3"}});
    const QString np = QStringLiteral("0001000000203");
    Cabecera("NP", np, {{"IdReparto", "=0"}});
    Linea("NP", np, {{"IdArticulo", Art("1001")}, {"Cantidad", "=1"}, {"AlicIVA", "=0"}});
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET TasaIVA = 10.5"));
    // An estimate of 10 with 4 prepared, of delivery run 0 and of none (Null).
    const QString pr0 = QStringLiteral("0001000000204"), prNulo = QStringLiteral("0001000000205");
    for (const QString& pr : {pr0, prNulo}) {
        Cabecera("PR", pr, {{"IdReparto", pr == pr0 ? "=0" : "=NULL"}});
        Linea("PR", pr, {{"IdArticulo", Art("1001")}, {"Cantidad", "=10"}, {"Cantidadpreparada", "=4"}});
    }

    struct Caso {
        const char* programa;
        QString tc, id, destino;
        int grilla;  // 1 articles, 2 other concepts
        long filas;
        std::vector<CeldaEsperada> celdas;
    };
    const std::vector<Caso> casos = {
        // The pending quantity (20 on the lines, 4 moved) uncapped; a repeated
        // article is skipped (in the other programs its lines share it).
        {"Solvarineta", "RM", rm, "", 1, 3, {{1, 8, "16"}, {1, 12, "16"}, {1, 26, "16"}}},
        {"vordane", "RM", rm, "", 1, 4, {{1, 8, "6"}, {1, 12, "6"}, {1, 26, "6"}, {2, 8, "10"}, {2, 26, "10"}}},
        // A trip "TROPA" leaves its row empty; equivalent = quantity.
        {"QUELMONTARI_DASPEROLICA", "RM", rm2, "FC", 2, 4, {{1, 0, "Flete"}, {2, 0, ""}}},
        {"vordane", "RM", rm2, "FC", 2, 4, {{1, 0, "Flete"}, {2, 0, "Hacienda"}}},
        {"QUELMONTARI_DASPEROLICA", "RM", rm2, "FC", 1, 3, {{1, 8, "7"}, {1, 12, "7"}}},
        // An order line without VAT takes the article's rate.
        {"XU_QUELMONTARI_TEKO", "NP", np, "", 1, 3, {{1, 36, "10,5"}}},
        {"vordane", "NP", np, "", 1, 3, {{1, 36, "21"}}},
        // Run 0 takes the prepared quantity off; no run takes no rule.
        {"vordane", "PR", pr0, "", 1, 3, {{1, 8, "6"}, {1, 26, "6"}}},
        {"vordane", "PR", prNulo, "", 1, 3, {{1, 8, "10"}, {1, 26, "10"}}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.programa) + " " + c.id.toStdString());
        Programa(c.programa);
        ClsCmnCptes cls;
        Cargar(cls, c.tc, c.id, c.destino);
        EXPECT_EQ(grillas[c.grilla]->Rows(), c.filas);
        Verifica(grillas[c.grilla], c.celdas);
    }
}

TEST_F(Casos, UnstoredOrUnsafeKeysLoadNothing)
{
    Cabecera("FC", "0001000000301");
    Linea("FC", "0001000000301", {{"IdArticulo", Art("1001")}, {"Cantidad", "=1"}});
    // Not stored, an apostrophe in every quoted value (sales and purchases),
    // a complement that is not a number. A voucher of a sales type without
    // its header is an error of the load (here abandoned), also when read
    // from the purchase tables; a purchase type's loads nothing.
    const struct {
        const char *tc, *id, *complemento;
        bool compras, error;
    } casos[] = {{"FC", "0001000000999", "", false, true},
                 {"F'C", "0001'00000301", "0", false, true},
                 {"F'C", "0001'00000301", "0", true, true},
                 {"FCC", "0001'00000301", "0", true, false},
                 {"FC", "0001000000301", "1 OR 1=1", false, true}};
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.tc) + " " + c.id + " " + c.complemento);
        if (c.error)
            dlg.expectMsgBox("", ui::vbAbort).title("AsignarDatosPresupuesto");
        ClsCmnCptes cls;
        Inicializa(cls, "FC");
        QString l = QStringLiteral("'");
        reparto = 7;
        legacy::Variant cabecera(std::make_shared<ado::Recordset>());
        cls.AsignarDatosComprobante(c.tc, c.id, c.complemento, tareas(), articulos(), otros(), false, &cabecera,
                                    c.compras, "C'1", &reparto, false, {}, "N'C", &l);
        dlg.verifyDone();
        EXPECT_EQ(articulos()->Rows(), 2);
        EXPECT_EQ(reparto, 7);
        // An abandoned load hands no header back; a finished one hands its
        // (empty) header recordset.
        EXPECT_EQ(cabecera.as<ado::Recordset>()->State() != 0, !c.error);
    }
}

TEST_F(Casos, OrderRepairUnderBranch9999)
{
    const QString id = QStringLiteral("9999000000011");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET Impuestos = 5"));
    Cabecera("NP", id, {{"CondicionIva", "1"}});
    Linea("NP", id, {{"IdArticulo", Art("1001")}, {"Cantidad", "=1"}, {"Impuestos", "=0"}});
    Linea("NP", id, {{"IdArticulo", Art("1002")}, {"Cantidad", "=1"}, {"Impuestos", "=0"}});
    // Final prices grossed up from a net price (letter A), and the quantity
    // to invoice lowered to the prepared one.
    Config(QStringLiteral("PreciosFinales"), "SI");
    Config(QStringLiteral("FacturaNPPreparadas"), "SI");
    Config(QStringLiteral("CONDIVA"), "1");
    Linea("NP", id, {{"IdArticulo", Art("PINT-LATEX-20")}, {"Cantidad", "=2"}, {"Impuestos", "=5"}, {"Importe", "=100"},
                     {"Importe_S_IVA", "=100"}, {"AlicIVA", "=21"}, {"CANTIDADAFACTURAR", "=2"}});
    Inserta("MV_PREPARACION_DETALLES", {{"TC", "NP"}, {"IDCOMPROBANTE", id}, {"IDARTICULO", Art("PINT-LATEX-20")},
                                        {"Cantidadpreparada", "=1"}});
    // A line without a rate cannot be grossed up: it keeps its price.
    for (const char* alicuota : {"=NULL", "=0"})
        Linea("NP", id, {{"IdArticulo", Art("1002")}, {"Cantidad", "=3"}, {"Impuestos", "=5"}, {"Importe", "=100"},
                         {"Importe_S_IVA", "=100"}, {"Total", "=300"}, {"AlicIVA", alicuota}});
    // The first line's update is refused by the database.
    sqlite3* directo = nullptr;
    ASSERT_EQ(sqlite3_open(carpeta_.file("DEMO.sqlite").toUtf8().constData(), &directo), SQLITE_OK);
    const QByteArray disparador = QStringLiteral("CREATE TRIGGER bloqueo BEFORE UPDATE ON V_MV_CPTEINSUMOS WHEN "
                                                 "OLD.IdArticulo = '%1' BEGIN SELECT RAISE(ABORT, 'linea bloqueada'); END")
                                      .arg(Art("1001"))
                                      .toUtf8();
    EXPECT_EQ(sqlite3_exec(directo, disparador.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(directo);
    // A purchase order under the same key repairs nothing.
    Cabecera("NP", id, {}, "C_");
    ClsCmnCptes compras;
    Cargar(compras, "NP", id, {}, [&](ClsCmnCptes& c, QString&) {
        c.AsignarDatosComprobante("NP", id, "0", tareas(), articulos(), otros(), false, nullptr, true, "C0001");
    });
    const QString lineas = "SELECT Impuestos, Importe, Total, CANTIDADAFACTURAR FROM V_MV_CPTEINSUMOS WHERE "
                           "IDCOMPROBANTE = '" + id + "' ORDER BY ID";
    EXPECT_EQ(Filas(lineas), QStringList({"0|<null>|<null>|<null>", "0|<null>|<null>|<null>", "5|100|<null>|2",
                                          "5|100|300|<null>", "5|100|300|<null>"}));
    // The refused update shows its own error once; the next one goes through.
    dlg.expectMsgBox("linea bloqueada");
    ClsCmnCptes ventas;
    Cargar(ventas, "NP", id);
    dlg.verifyDone();
    EXPECT_EQ(Filas(lineas), QStringList({"0|<null>|<null>|<null>", "5|<null>|<null>|<null>", "5|121|242|1",
                                          "5|100|300|<null>", "5|100|300|<null>"}));
    Verifica(articulos(), {{1, 43, "0"}, {2, 43, "5"}});
}

TEST_F(Casos, DeliveryOrderLoadsRepeatedArticles)
{
    // Every line of a repeated article is loaded, against the limit. The
    // limit is the form's: the lines the grids hold (the voucher's tasks,
    // a voucher loaded before into the same window) take their share first.
    const struct {
        const char *tc, *id;
        int tareas;
        const char* antes;  // loaded into the window first
        int limite;
        std::vector<const char*> lineas;  // article codes ("" a text line)
        std::vector<const char*> cargadas;  // the article grid after the load
        const char* hojas;  // the sheets message
    } casos[] = {{"RM", "0001000000401", 0, "", 2, {"1001", "1001", "1002", "PINT-LATEX-20"}, {"1001", "1001"}, ""},
                 {"RM", "0001000000402", 0, "", 4, {"", "1001", " 1001", "1002", "PINT-LATEX-20"},
                  {"", "1001", "1001", "1002"}, ""},
                 // 2 tasks + 3 lines on a form of 3: 1 line, 5 lines need 2 sheets.
                 {"NP", "0001000000931", 2, "", 3, {"1001", "1002", "PINT-LATEX-20"}, {"1001"}, "necesita 2 Hojas"},
                 {"RM", "0001000000932", 0, "", 3, {"1001", "1002"}, {"1001", "1002"}, ""},
                 // 2 lines held + 2 on a form of 3: 1 line, 4 lines need 2 sheets.
                 {"RM", "0001000000933", 0, "0001000000932", 3, {"PINT-LATEX-20", "1001"},
                  {"1001", "1002", "PINT-LATEX-20"}, "necesita 2 Hojas"}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.id);
        Limite("FC", "B", c.limite);
        Cabecera(c.tc, c.id, {{"IdReparto", "=-1"}});
        for (int t = 1; t <= c.tareas; ++t)
            Tarea(c.tc, c.id, {{"IDTAREA", "   " + QString::number(t)}, {"Horas", "=60"}});
        for (const char* art : c.lineas)
            Linea(c.tc, c.id, {{"IdArticulo", *art ? Art(art) : QStringLiteral("=NULL")}, {"Descripcion", "Linea"},
                               {"Cantidad", "=1"}});
        ClsCmnCptes cls;
        letraInicial = QStringLiteral("B");
        if (*c.hojas)
            dlg.expectMsgBox(QStringLiteral("%1 (El sistema tiene configurado %2 por hoja)").arg(c.hojas).arg(c.limite));
        Cargar(cls, *c.antes ? "RM" : c.tc, *c.antes ? c.antes : c.id, "FC");
        if (*c.antes)
            cls.AsignarDatosComprobante(c.tc, c.id, QString(), tareas(), articulos(), otros(), false, nullptr, false,
                                        {}, &reparto, false, {}, "FC", &letra);
        dlg.verifyDone();
        EXPECT_EQ(letra, "B");
        // Only an order is recorded as the one to invoice over several sheets.
        EXPECT_EQ(cls.NPP_Cliente, QString::fromLatin1(*c.hojas && c.tc == std::string("NP") ? "C0001" : ""));
        // The line that reaches the limit leaves the one entry row.
        const long filas = long(c.cargadas.size()) + 2;
        ASSERT_EQ(articulos()->Rows(), filas);
        for (long i = 0; i < long(c.cargadas.size()); ++i) {
            EXPECT_EQ(articulos()->TextMatrix(i + 1, 0), c.cargadas[i]);
            EXPECT_EQ(articulos()->TextMatrix(i + 1, 1), "Linea");
        }
        EXPECT_EQ(articulos()->TextMatrix(filas - 1, 1), "");
        // The form takes what the grids hold, tasks included.
        std::int16_t usadas = 0;
        EXPECT_TRUE(cls.ValidaCantidadLineasCpte("FC", "B", tareas(), articulos(), otros(), nullptr, &usadas));
        EXPECT_EQ(usadas, c.tareas + std::count_if(c.cargadas.begin(), c.cargadas.end(), [](const char* a) { return *a; }));
    }
}

// What an article has applied or moved is taken once, from its first line
// on: its lines offer together what it has pending, and their rests to apply
// add up to its quantity less its applied total, a surplus included.
TEST_F(Casos, AnArticlesLinesShareWhatIsPending)
{
    const QString corrida = QStringLiteral("0001000000700"), aplicada = QStringLiteral("0001000000701"),
                  pedido = QStringLiteral("0001000000407"), remito = QStringLiteral("0001000000615"),
                  devolucion = QStringLiteral("0001000000616");
    Cabecera("RM", corrida, {{"IdReparto", "=-1"}});
    Cabecera("RM", aplicada, {{"IdReparto", "=0"}});
    Cabecera("NP", pedido, {{"IdReparto", "=0"}});
    Cabecera("RM", remito, {{"IdReparto", "=0"}});
    Cabecera("RM", devolucion, {{"IdReparto", "=0"}});
    for (const auto& [tc, id, art, cant] :
         {std::tuple{"RM", corrida, "1001", "=10"}, std::tuple{"RM", corrida, "1001", "=5"},
          std::tuple{"RM", aplicada, "1002", "=5"}, std::tuple{"RM", aplicada, "1002", "=5"},
          std::tuple{"NP", pedido, "1002", "=10"}, std::tuple{"RM", remito, "PINT-LATEX-20", "=4"},
          std::tuple{"RM", devolucion, "1002", "=5"}, std::tuple{"RM", devolucion, "1002", "=-3"}})
        Linea(tc, id, {{"IdArticulo", Art(art)}, {"Cantidad", cant}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"}});
    for (const auto& [tc, id, art, cant] : {std::tuple{"RM", aplicada, "1002", "=2"}, std::tuple{"NP", pedido, "1002", "=12"},
                                            std::tuple{"RM", remito, "PINT-LATEX-20", "=6"},
                                            std::tuple{"RM", devolucion, "1002", "=7"}})
        Inserta("MV_APLICACION", {{"TCO_ORIGEN", tc}, {"IDComprobante_Origen", id}, {"IDARTICULO", Art(art)},
                                  {"CANTIDAD", cant}});
    const struct {
        const char* tc;
        QString id;
        const char* destino;
        std::vector<std::pair<const char*, const char*>> filas;  // columns 8 and 26 of each row
    } casos[] = {{"RM", corrida, "", {{"10", "10"}, {"5", "5"}}},
                 {"RM", corrida, "FC", {{"10", "10"}, {"5", "5"}}},
                 {"RM", aplicada, "FC", {{"3", "3"}, {"5", "5"}}},
                 // 12 applied of 10, 6 of 4: 10 - 12 and 4 - 6 left to apply.
                 {"NP", pedido, "", {{"0", "-2"}}},
                 {"RM", remito, "", {{"0", "-2"}}},
                 // 7 applied of 5 and a return of 3: the return, last, keeps its -3
                 // and carries the 2 more, 2 - 7 left to apply in all.
                 {"RM", devolucion, "", {{"0", "0"}, {"-3", "-5"}}}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.id.toStdString() + " " + c.destino);
        ClsCmnCptes cls;
        Cargar(cls, c.tc, c.id, c.destino);
        ASSERT_EQ(articulos()->Rows(), long(c.filas.size()) + 2);
        for (long i = 0; i < long(c.filas.size()); ++i)
            Verifica(articulos(), {{i + 1, 8, c.filas[i].first}, {i + 1, 26, c.filas[i].second}});
    }
}

// The unit coefficient of a line in another unit: its equivalence for
// purchases, its quantity in base units otherwise.
TEST_F(Casos, CoefficientOfASalesLine)
{
    const QString id = QStringLiteral("0001000000421");
    Cabecera("FC", id);
    Linea("FC", id, {{"IdArticulo", Art("1001")}, {"Cantidad", "=3"}, {"IdUnidad", "CJ"}, {"IdUnidadBase", "UN"},
                     {"Equiv_UDBase", "=12"}, {"CantidadUD", "=36"}});
    Linea("FC", id, {{"IdArticulo", Art("1002")}, {"Cantidad", "=3"}, {"IdUnidad", "UN"}, {"IdUnidadBase", "UN"},
                     {"Equiv_UDBase", "=12"}, {"CantidadUD", "=36"}});
    Linea("FC", id, {{"IdArticulo", Art("1001")}, {"Cantidad", "=3"}, {"IdUnidad", "CJ"}, {"IdUnidadBase", "UN"},
                     {"Equiv_UDBase", "=12"}});
    ClsCmnCptes cls;
    Cargar(cls, "FC", id);
    Verifica(articulos(), {{1, 10, "36"}, {2, 10, "1"}, {3, 10, "1"}});
}

// An order turned into an invoice runs its first statement of lines too
// (with the caller's condition) before the invoice's own replaces it.
TEST_F(Casos, OrderIntoInvoiceOpensBothLineStatements)
{
    const QString id = QStringLiteral("0001000000431");
    Cabecera("NP", id, {{"IdReparto", "=0"}});
    for (const char* art : {"1001", "1002"})
        Linea("NP", id, {{"IdArticulo", Art(art)}, {"Cantidad", "=1"}});
    dlg.expectMsgBox("NO_EXISTE", ui::vbIgnore).title("AbrirRecordset");
    ClsCmnCptes cls;
    Cargar(cls, "NP", id, "FC", [&](ClsCmnCptes& c, QString& l) {
        c.AsignarDatosComprobante("NP", id, "0", tareas(), articulos(), otros(), false, nullptr, false, {}, &reparto,
                                  false, {}, "FC", &l, false, " AND NO_EXISTE = 1");
    });
    dlg.verifyDone();
    Verifica(articulos(), {{1, 0, "1001"}, {2, 0, "1002"}, {3, 0, ""}});
}

TEST_F(Casos, ArticlesOfAnotherBusinessUnitAreLeftOut)
{
    const QString id = QStringLiteral("0001000000451");
    Programa("QUELMONTARI");
    ModGlobal::RazonSocialPorUneg = true;
    ModGlobal::gUNegocio = QStringLiteral("   1");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET idTipo = '   1'"));
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET idTipo = '   2' WHERE IDARTICULO = '%1'").arg(Art("1002")));
    Cabecera("FC", id);
    for (const char* art : {"1001", "1002", "PINT-LATEX-20"})
        Linea("FC", id, {{"IdArticulo", Art(art)}, {"Cantidad", "=1"}});
    // The next line takes the left-out line's row; pro-forma vouchers keep it.
    const struct {
        const char* destino;
        long filas;
        const char* segunda;
    } casos[] = {{"NC", 4, "PINT-LATEX-20"}, {"FP", 5, "1002"}};
    for (const auto& c : casos) {
        ClsCmnCptes cls;
        Cargar(cls, "FC", id, c.destino);
        EXPECT_EQ(articulos()->Rows(), c.filas) << c.destino;
        EXPECT_EQ(articulos()->TextMatrix(2, 0), c.segunda) << c.destino;
    }
}

TEST_F(Casos, FinalPricesAndNegatedLoads)
{
    const QString id = QStringLiteral("0001000000501");
    Config(QStringLiteral("PreciosFinales"), "SI");
    Cabecera("FC", id);
    // Without a quantity the price stays as it was.
    Linea("FC", id, {{"IdArticulo", Art("1001")}, {"Cantidad", "=0"}, {"Importe", "=7"}, {"Total", "=10"},
                     {"TotalFinal", "=50"}, {"PorcDto", "=0"}});
    Linea("FC", id, {{"IdArticulo", Art("1002")}, {"Cantidad", "=4"}, {"Importe", "=7"}, {"Total", "=10"},
                     {"TotalFinal", "=50"}, {"PorcDto", "=0"}});
    ClsCmnCptes cls;
    reparto = -98;  // loads the quantities negated
    Cargar(cls, "FC", id, "NC", [&](ClsCmnCptes& c, QString& l) {
        c.AsignarDatosComprobante("FC", id, "", tareas(), articulos(), otros(), false, nullptr, false, {}, &reparto,
                                  false, {}, "NC", &l);
    });
    Verifica(articulos(), {{1, 8, "0"}, {1, 17, "7"}, {1, 18, "-50"}, {1, 21, "-50"}, {2, 8, "-4"}, {2, 17, "2,50"},
                           {2, 18, "-50"}});
}

TEST_F(Casos, ProformaAndExemptMarks)
{
    const QString id = QStringLiteral("0001000000551");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET Descripabrev = 'PROFORMA' WHERE IDARTICULO = '%1'").arg(Art("1001")));
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET Descripabrev = 'PROFORMA 21', Exento = NULL WHERE IDARTICULO = '%1'")
                .arg(Art("1002")));
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET procedencia = 'EXENTO LEY' WHERE IDARTICULO = '%1'")
                .arg(Art("PINT-LATEX-20")));
    Cabecera("FC", id, {{"CondicionIva", "3"}, {"Cotizacion", "=NULL"}});
    // The last article is not stored: its row is loaded without its data.
    for (const char* art : {"1001", "1002", "PINT-LATEX-20", "7777"})
        Linea("FC", id, {{"IdArticulo", Art(art)}, {"Cantidad", "=1"}, {"Importe", "=10"}});
    Config(QStringLiteral("PreciosFinales"), "SI");
    ClsCmnCptes cls;
    Cargar(cls, "FC", id, "FP", [&](ClsCmnCptes& c, QString& l) {
        c.AsignarDatosComprobante("FC", id, "0", tareas(), articulos(), otros(), false, nullptr, false, {}, &reparto,
                                  true, {}, "FP", &l);
    });
    // A Null exemption of the article is no exemption; without an exchange
    // rate the converted final price stays empty.
    Verifica(articulos(), {{1, 19, "1"}, {2, 19, "0"}, {2, 36, " 21"}, {3, 19, "1"}, {4, 0, "7777"}, {4, 19, "0"},
                           {1, 30, ""}, {5, 0, ""}});
}

TEST_F(Casos, RelatedVouchersAndCharges)
{
    const QString origen = QStringLiteral("0001000000601");
    const auto hijo = [&](const char* id, const char* complemento, const char* anulada, const char* importe) {
        Inserta("V_MV_CPTE", {{"TC", "FC"}, {"IDCOMPROBANTE", id}, {"TCORIGEN", "NP"}, {"COMPROBANTEORIGEN", origen},
                              {"COMPLEMENTOORIGEN", complemento}, {"ANULADA", anulada}, {"Importe", importe}});
    };
    hijo("0001000000602", "=0", "=0", "=100");
    hijo("0001000000603", "=1", "=0", "=NULL");
    hijo("0001000000604", "=0", "=1", "=999");
    hijo("0001000000605", "=2", "=1", "=5");
    Inserta("V_MV_CargosAplicados", {{"CUENTA", "C0099"}, {"SALDO", "=30.5"}});
    Inserta("V_MV_CargosAplicados", {{"CUENTA", "C0099"}, {"SALDO", "=-10"}});
    ClsCmnCptes cls;
    const struct {
        QString complemento;
        bool anulados, relacionado;
    } relaciones[] = {{"0", false, true}, {"1", false, true}, {"2", false, false}, {"2", true, true}, {"3", true, false}};
    for (const auto& r : relaciones)
        EXPECT_EQ(cls.EstaRelacionadoAOtroComprobante(" NP", " " + origen + " ", r.complemento, r.anulados),
                  r.relacionado)
            << r.complemento.toStdString() << r.anulados;
    EXPECT_TRUE(cls.EstaRelacionadoAOtroComprobante("NP", origen));  // complement 0, annulled ones left out
    EXPECT_EQ(cls.ObtieneImporteCptesAsociados("NP", origen), legacy::Currency(100));
    EXPECT_EQ(cls.ObtieneImporteCptesAsociados("FC", origen), legacy::Currency(0));
    EXPECT_EQ(cls.ImporteCargosReales(" C0099 "), legacy::Currency::fromDouble(20.5));
    EXPECT_EQ(cls.ImporteCargosReales("C'9"), legacy::Currency(0));

    ui::ModalForm ventana;
    ventana.setObjectName(QStringLiteral("FrmCtrlCargosReales"));
    ventana.setProperty("Cliente", QString());
    ventana.setProperty("Matricula", QString());
    QString visto;
    dlg.onModal("FrmCtrlCargosReales", [&](QWidget* w) {
        visto = w->property("Cliente").toString() + "/" + w->property("Matricula").toString();
    });
    cls.ControlDeCargosReales(&ventana, "C0001", "AB123");
    EXPECT_EQ(visto, "C0001/AB123");
    QWidget sinPropiedades;
    try {
        cls.ControlDeCargosReales(&sinPropiedades, "C0001");
        ADD_FAILURE() << "a window without the properties must raise";
    } catch (const legacy::VbError& e) {
        EXPECT_EQ(e.Number, 438);
    }
}

TEST_F(Casos, PendingDeliveryQuantity)
{
    const struct {
        const char* id;
        const char* cantidad;  // the line's quantity ("" no line)
        double movido;         // 0: no movement
        double pendiente, aplicado;
    } casos[] = {{"0001000000701", "", 0, 0, 0},
                 {"0001000000702", "=10", 4, 6, 4},
                 {"0001000000703", "=10", 12, 0, 12},
                 {"0001000000704", "=NULL", 3, 0, 3}};
    ClsCmnCptes cls;
    for (const auto& c : casos) {
        if (*c.cantidad)
            Linea("RM", c.id, {{"IdArticulo", Art("1001")}, {"Cantidad", c.cantidad}});
        if (c.movido != 0)
            Movimiento("RM", c.id, "1001", -c.movido);  // exits count by their size
        double aplicado = -1;
        EXPECT_EQ(cls.CantRepartoPend("RM", QString(" ") + c.id, "  1001 ", &aplicado), c.pendiente) << c.id;
        EXPECT_EQ(aplicado, c.aplicado) << c.id;
    }
}

}  // namespace
