// The serials and lots window, driven through its requests as a voucher
// window uses it: stock pick with the user's quantities, entry of lots and
// serials, the checks and messages, accept and cancel.
#include "voucher/lots/frmcargalotesyseries.h"

#include "entorno_lotes.h"


#include <QLabel>
#include <QPushButton>

namespace {

using lots::FrmCargaLotesySeries;
using namespace lotstest;

class SeriesYLotes : public EntornoLotes {
protected:
    void SetUp() override
    {
        EntornoLotes::SetUp();
        Stock("ART-L", "L1", "", 3);
        Stock("ART-L", "L2", "", 5);
        Stock("ART-L", "L3", "", 2);
        Stock("ART-L", "L9", "", 4, "   2");  // another deposit
    }

    // The outgoing request with the window driven by `mano`.
    struct Salida {
        QString lotes, cantidades, deposito = QStringLiteral("1");
        double cantidad = 0;
        bool aceptado = false;
    };
    Salida Pide(double cantidad, const QList<QStringList>& otras, const std::function<void(FrmCargaLotesySeries&)>& mano,
                const QString& lotesAnt = {}, const QString& cantAnt = {}, bool mostrar = true,
                const QString& articulo = QStringLiteral("ART-L"))
    {
        Articulos grilla(otras);
        Salida s;
        s.cantidad = cantidad;
        if (mano)
            dlg.onModal("FrmCargaLotesySeries", [&](QWidget* w) { mano(*static_cast<FrmCargaLotesySeries*>(w)); });
        ClsCmnCptes().PideSerieLote_Salidas(&grilla.grilla, articulo, "pintura latex", s.cantidad, lotesAnt, cantAnt,
                                            s.lotes, s.cantidades, true, false, false, &s.deposito, mostrar,
                                            &s.aceptado);
        EXPECT_TRUE(dlg.remaining().isEmpty()) << dlg.remaining().join("; ").toStdString();
        EXPECT_FALSE(lots::frmCargaLotesySeries().exists()) << "the request unloads its window";
        return s;
    }

    void Aviso(const QString& texto, int estilo, const QString& titulo, int respuesta = ui::vbOK)
    {
        dlg.expectMsgBox(texto, respuesta).style(estilo).title(titulo);
    }

    ui::ScriptedSession dlg;
};

TEST_F(SeriesYLotes, StockPickProposesFromStockLessOtherLinesAndHandsBackParallelLists)
{
    const Salida s = Pide(6, {{"ART-L", "|L1" + Y + "|", "|1|"}, {"OTRO", "|L2" + Y + "|", "|5|"}},
                          [&](FrmCargaLotesySeries& f) {
                              EXPECT_EQ(f.windowTitle(), "Números de Lote (Deposito:    1)");
                              EXPECT_EQ(f.lblArticulo->text(), "ART-L - pintura latex");
                              EXPECT_EQ(Columna(f, 0), (QStringList{"L1", "L2", "L3", ""}));
                              EXPECT_EQ(Columna(f, 2), (QStringList{"2", "5", "2", ""}));
                              EXPECT_EQ(Columna(f, 3), (QStringList{"2", "4", "0", "0"}));
                              EXPECT_EQ(f.MSFlexGrid1->TextMatrix(0, 3), "CANT. ");
                              Foto(f, "frmcargalotesyseries.png");
                              f.CmdAceptar->click();
                          });
    EXPECT_TRUE(s.aceptado);
    EXPECT_EQ(s.lotes, "|L1" + Y + "|L2" + Y + "|L3" + Y + "|" + Y + "|");
    EXPECT_EQ(s.cantidades, "|2|4|0|0|");
    EXPECT_EQ(s.cantidad, 6);
    EXPECT_EQ(s.deposito, "1");
    EXPECT_TRUE(dlg.shownPrompts().isEmpty());
}

TEST_F(SeriesYLotes, TypedQuantitiesAreCheckedAndARefusedOneNeverReachesTheCell)
{
    const Salida s = Pide(6, {}, [&](FrmCargaLotesySeries& f) {
        ASSERT_EQ(Columna(f, 3), (QStringList{"3", "3", "0", "0"}));
        // text, message; each refused value is dropped by Escape or a click
        const std::pair<const char*, const char*> refusals[] = {
            {"-1", "La Cantidad no puede ser Menor a Cero"},
            {"2,5", "No Puede Informase Cantidades que no Sean Enteras"},
            {"9", "La Cantidad supera a la cantidad disponible en Stock"},
            {"4x", "La Cantidad informada no es un Número"},
        };
        for (const auto& [texto, aviso] : refusals) {
            SCOPED_TRACE(texto);
            Aviso(aviso, ui::vbCritical, "Aviso al Operador");
            Escribe(f, 2, 3, texto);
            EXPECT_TRUE(f.TxtEdit->Visible()) << "the box stays open with the refused value";
            EXPECT_EQ(f.TxtEdit->Text(), texto);
            // Clicking another cell checks it again and drops it.
            Aviso(aviso, ui::vbCritical, "Aviso al Operador");
            Clic(f, 1, 3);
            EXPECT_FALSE(f.TxtEdit->Visible());
            EXPECT_EQ(f.MSFlexGrid1->TextMatrix(2, 3), "3");
        }
        // Lot, serial and stock open nothing; Escape leaves the cell as it
        // was; Down keeps to the quantity column.
        for (long c = 0; c < 3; ++c) {
            f.MSFlexGrid1->setCol(c);
            Tecla(f.MSFlexGrid1, Qt::Key_7, "7");
            EXPECT_FALSE(f.TxtEdit->Visible());
        }
        Escribe(f, 1, 3, "1", Qt::Key_Escape);
        EXPECT_EQ(f.MSFlexGrid1->TextMatrix(1, 3), "3");
        Escribe(f, 1, 3, "3", Qt::Key_Down);
        EXPECT_EQ(f.MSFlexGrid1->Row(), 2);
        EXPECT_EQ(f.MSFlexGrid1->Col(), 3);
        // Enter writes the value and moves one row down in the same column.
        Escribe(f, 2, 3, "5");
        EXPECT_EQ(f.MSFlexGrid1->TextMatrix(2, 3), "5");
        EXPECT_EQ(f.MSFlexGrid1->Row(), 3);
        EXPECT_EQ(f.MSFlexGrid1->Col(), 3);
        Escribe(f, 1, 3, "0");
        // 0 + 5 is below the 6 asked for: the user takes 5.
        Aviso("Es Menor a la solicitada en el Formulario de Carga de Datos\r\n¿Desea Ajustar", ui::vbYesNo + ui::vbQuestion,
              "Aviso al Operador!!!", ui::vbYes);
        f.CmdAceptar->click();
    });
    EXPECT_TRUE(s.aceptado);
    EXPECT_EQ(s.cantidad, 5);
    EXPECT_EQ(s.cantidades, "|0|5|0|0|");
}

TEST_F(SeriesYLotes, EditingTheLineAgainCountsItsOwnPickAsFreeStock)
{
    // This line took 2 of L1 and 1 of L2; another line took 1 of L1.
    const QString propios = "|L1" + Y + "|L2" + Y + "|";
    const Salida s = Pide(
        3, {{"ART-L", propios, "|2|1|"}, {"art-l", "|L1" + Y + "|", "|1|"}},
        [&](FrmCargaLotesySeries& f) {
            EXPECT_EQ(Columna(f, 2), (QStringList{"2", "5", "2", ""}));
            EXPECT_EQ(Columna(f, 3), (QStringList{"2", "1", "0", "0"}));
            Escribe(f, 1, 3, "2");  // its own 2 of L1 are still there for it
            Escribe(f, 2, 3, "4");
            Aviso("supera a la solicitada en el Formulario de Carga de Datos\r\n¿Desea Ajustar",
                  ui::vbYesNo + ui::vbQuestion, "Aviso al Operador!!!", ui::vbNo);
            Aviso("Debe Ajustar la suma de las cantidades a :3", ui::vbCritical, "Aviso al Operador");
            f.CmdAceptar->click();
            EXPECT_TRUE(f.isVisible()) << "refused: the window stays open";
            f.CmdCancelar->click();
        },
        propios, "|2|1|");
    EXPECT_FALSE(s.aceptado);
    EXPECT_EQ(s.lotes, propios) << "a cancel gives the earlier lists back";
    EXPECT_EQ(s.cantidades, "|2|1|");
    EXPECT_EQ(s.cantidad, 3);
}

// What the voucher's other lines take is off the stock shown and proposed;
// a line's own earlier pick is free stock for it only when it is one of the
// lines gathered from the articles grid (so it was taken off there).
TEST_F(SeriesYLotes, WhatOtherLinesTakeIsOffTheStockShownAndProposed)
{
    Stock("ART-N", "L1", "", 2);
    Stock("ART-N", "L2", "", 10);
    Stock("ART-S9", "L1", "S9", 1);
    Stock("ART-S9", "L2", "", 4);
    const QString pick = "|L1" + Y + "|" + Y + "|";
    struct Caso {
        QString articulo;
        QList<QStringList> otras;
        QString pick, cantPick;
        double cantidad;
        QStringList stock, propuesta;
    };
    const Caso casos[] = {
        {"ART-L", {{"ART-L", "|L1" + Y + "|", "|2|"}, {"ART-L", pick, "|1|0|"}}, pick, "|1|0|", 1,
         {"1", "5", "2", "0"}, {"1", "0", "0", "0"}},
        {"ART-L", {{"ART-L", "|L1" + Y + "|", "|3|"}}, pick, "|1|0|", 1, {"0", "5", "2", ""}, {"1", "0", "0", "0"}},
        // More of L1 taken than is left: nothing of it is free.
        {"ART-N", {{"ART-N", "|L1" + Y + "|", "|3|"}}, "", "", 4, {"-1", "10", ""}, {"0", "4", "0"}},
        // The unit S9 is taken: its row is empty and cannot be taken again.
        {"ART-S9", {{"ART-S9", "|L1" + Y + "S9|", "|1|"}}, "", "", 1, {"0", "4", ""}, {"0", "1", "0"}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.articulo.toStdString() + " " + std::to_string(c.otras.size()));
        const Salida s = Pide(
            c.cantidad, c.otras,
            [&](FrmCargaLotesySeries& f) {
                EXPECT_EQ(Columna(f, 2), c.stock);
                EXPECT_EQ(Columna(f, 3), c.propuesta);
                const bool libre = lots::VentanaLotes::LeeCantidad(c.stock.first()) >= 1;
                if (!libre) Aviso("La Cantidad supera", ui::vbCritical, "Aviso al Operador");
                Escribe(f, 1, 3, "1");
                EXPECT_EQ(f.TxtEdit->Visible(), !libre);
                f.CmdCancelar->click();
            },
            c.pick, c.cantPick, true, c.articulo);
        EXPECT_EQ(s.lotes, c.pick);
    }
}

// Opened and accepted unchanged, however often, a pick comes back as it was:
// every earlier item finds its stock row by lot and serial.
TEST_F(SeriesYLotes, AnUnchangedPickComesBackUnchanged)
{
    Stock("ART-S", "", "S1", 1);
    Stock("ART-S", "", "S2", 1);
    Stock("ART-LS", "L1", "S9", 2);
    Stock("ART-LS", "L2", "", 3);
    Stock("ART-U", "", "", 5);
    Stock("ART-U", "L1", "", 3);
    struct Caso {
        QString articulo;
        bool lote, serie;
        QString lotes, cantidades;
        double cantidad;
    };
    const Caso casos[] = {
        {"ART-S", false, true, "|" + Y + "S1|" + Y + "S2|" + Y + "|", "|1|0|0|", 1},
        {"ART-LS", true, false, "|L1" + Y + "S9|L2" + Y + "|" + Y + "|", "|1|2|0|", 3},
        // The stock without lot and the empty last row share their key.
        {"ART-U", true, false, "|" + Y + "|L1" + Y + "|" + Y + "|", "|2|0|0|", 2},
    };
    for (const Caso& c : casos) {
        QString lotes = c.lotes, cantidades = c.cantidades;
        for (int vez = 1; vez <= 3; ++vez) {
            SCOPED_TRACE(c.articulo.toStdString() + " " + std::to_string(vez));
            Articulos grilla({{c.articulo, lotes, cantidades}});
            dlg.onModal("FrmCargaLotesySeries", [&](QWidget* w) {
                auto& f = *static_cast<FrmCargaLotesySeries*>(w);
                EXPECT_EQ(f.MSFlexGrid1->Rows(), 4) << "two stock rows and the empty one";
                EXPECT_EQ(Columna(f, 3), c.cantidades.mid(1).chopped(1).split(u'|'));
                f.CmdAceptar->click();
            });
            double cantidad = c.cantidad;
            QString deposito = "1", nuevos, nuevas;
            ClsCmnCptes().PideSerieLote_Salidas(&grilla.grilla, c.articulo, "", cantidad, lotes, cantidades, nuevos,
                                                nuevas, c.lote, c.serie, false, &deposito, true);
            EXPECT_EQ(nuevos, c.lotes);
            EXPECT_EQ(nuevas, c.cantidades);
            EXPECT_TRUE(dlg.remaining().isEmpty());
            lotes = nuevos;
            cantidades = nuevas;
        }
    }
}

// Each column as wide as n X of the grid's font (n the length of its longest
// text, title included) or as that text, whichever is wider, with 3 px of
// margin a side. Courier New 12 (Liberation Mono): 9.6 px a letter, 15 letters
// 144 + 6 = 150 px = 2250 twips, 4 letters 38 + 6 = 660, 5 48 + 6 = 810;
// Segoe UI 9 (Arial's advances, 12 px to the em): 20 W (1933/2048 em) 226 px
// + 6 = 3480 twips, where 20 X are 160.
TEST_F(SeriesYLotes, ColumnsShowTheirLongestTextWhole)
{
    struct Caso {
        const char* fuente;
        int puntos;
        const char* articulo;
        std::vector<const char*> lotes;
        long lote, serie;
    } casos[] = {{"Courier New", 12, "ART-P", {"PROV-OMEGA-0451", "PROV-OMEGA-0452"}, 2250, 810},
                 {"Courier New", 12, "ART-C", {"L1"}, 660, 810},
                 {"Segoe UI", 9, "ART-W", {"WWWWWWWWWWWWWWWWWWWW"}, 3480, 0}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.articulo);
        const testutil::layout::ProgramFont programa({c.fuente, c.puntos, 0});
        for (const char* lote : c.lotes)
            Stock(c.articulo, lote, "", 1);
        FrmCargaLotesySeries f;
        f.EsConsultaDeSerieLote = f.EsLote = true;
        f.Articulo = c.articulo;
        f.Deposito = "   1";
        f.Cantidad = 1;
        f.CargaDatos();
        EXPECT_EQ(f.MSFlexGrid1->ColWidth(0), c.lote);
        if (c.serie) {
            EXPECT_EQ(f.MSFlexGrid1->ColWidth(1), c.serie);
        }
    }
}

TEST_F(SeriesYLotes, WithoutTheWindowTheAcceptDecidesAlone)
{
    Salida s = Pide(6, {}, nullptr, {}, {}, false);
    EXPECT_TRUE(s.aceptado);
    EXPECT_EQ(s.cantidades, "|3|3|0|0|");
    Aviso("El Stock es Menor a la cantidad solicitada ", ui::vbInformation, "Aviso al Operador!!!");
    s = Pide(20, {}, nullptr, {}, {}, false);
    EXPECT_FALSE(s.aceptado);
    EXPECT_EQ(s.lotes, "");
    EXPECT_EQ(s.cantidad, 20);
}

// A pick takes from each stock row no more than it has free after the
// voucher's other lines of the same deposit, serial rows included, and
// proposes to four decimals; a line asking less than nothing is refused
// only when no row stands to take it.
TEST_F(SeriesYLotes, APickTakesOnlyWhatItsDepositHasFree)
{
    Stock("A5D", "L1", "", 2);
    Stock("A5D", "L1", "", 3);
    Stock("A5D", "L2", "", 4);
    Stock("A6D", "L1", "", 4);
    Stock("A6D", "L1", "", 3, "   2");
    for (const char* s : {"S1", "S2", "S3"}) Stock("A7S", "", s, 1);
    Stock("A8LS", "L1", "S1", 1);
    Stock("A8LS", "L2", "S2", 1);
    Stock("A9R", "L1", "", 0.14);
    Stock("A9R", "L2", "", 1);
    Stock("A5N", "L1", "", 5);
    Stock("A5N", "L2", "", 1);
    struct Caso {
        const char* articulo;
        bool lote, serie;
        QString deposito;
        QList<QStringList> otras;
        double cantidad;
        QString lotes, cantidades, aviso;
        std::function<void(FrmCargaLotesySeries&)> mano = {};
    };
    const QString sinLote = Y + "|";
    const Caso casos[] = {
        {"A5D", true, false, "1", {{"A5D", "|L1" + Y + "|L1" + Y + "|L2" + Y + "|" + Y + "|", "|2|2|0|0|"}}, 3,
         "|L1" + Y + "|L1" + Y + "|L2" + Y + "|" + sinLote, "|0|1|2|0|", ""},
        {"A6D", true, false, "2", {{"A6D", "|L1" + Y + "|", "|4|", "1"}}, 2, "|L1" + Y + "|" + sinLote, "|2|0|", ""},
        {"A7S", false, true, "1", {}, 1, "|" + Y + "S1|" + Y + "S2|" + Y + "S3|" + sinLote, "|1|0|0|0|", ""},
        {"A8LS", true, true, "1", {}, 1, "|L1" + Y + "S1|L2" + Y + "S2|" + sinLote, "|1|0|0|", ""},
        {"A9R", true, false, "1", {}, 0.15, "|L1" + Y + "|L2" + Y + "|" + sinLote, "|0,14|0,01|0|", ""},
        {"A0N", true, false, "2", {}, -1, "", "", "El Stock es Menor a la cantidad solicitada "},
        // A return goes back into the first row, as any request the rows can take.
        {"A5N", true, false, "1", {}, -2, "|L1" + Y + "|L2" + Y + "|" + sinLote, "|-2|0|0|", ""},
        {"A7S", false, true, "1", {{"A7S", "|" + Y + "S1|" + Y + "S2|" + Y + "S3|" + sinLote, "|0|1|0|0|"}}, 1, "", "", "",
         [&](FrmCargaLotesySeries& f) {
             EXPECT_EQ(Columna(f, 2), (QStringList{"1", "0", "1", "0"}));
             Aviso("La Cantidad supera a la cantidad disponible en Stock", ui::vbCritical, "Aviso al Operador");
             Escribe(f, 2, 3, "1");
             EXPECT_TRUE(f.TxtEdit->Visible());
             Tecla(f.TxtEdit, Qt::Key_Escape);
             f.CmdCancelar->click();
         }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.articulo).arg(c.cantidad).toStdString());
        if (!c.aviso.isEmpty()) Aviso(c.aviso, ui::vbInformation, "Aviso al Operador!!!");
        if (c.mano)
            dlg.onModal("FrmCargaLotesySeries", [&](QWidget* w) { c.mano(*static_cast<FrmCargaLotesySeries*>(w)); });
        Articulos grilla(c.otras);
        double cantidad = c.cantidad;
        QString deposito = c.deposito, lotes, cantidades;
        ClsCmnCptes().PideSerieLote_Salidas(&grilla.grilla, c.articulo, "", cantidad, "", "", lotes, cantidades, c.lote,
                                            c.serie, false, &deposito, bool(c.mano));
        EXPECT_EQ(lotes, c.lotes);
        EXPECT_EQ(cantidades, c.cantidades);
        EXPECT_EQ(cantidad, c.cantidad);
        EXPECT_TRUE(dlg.remaining().isEmpty()) << dlg.remaining().join("; ").toStdString();
    }
}

// Entry mode: one row per unit, typed lots or serials.
TEST_F(SeriesYLotes, EntryModeFillsRowsTypedAndHandsBackOneList)
{
    struct Caso {
        double cantidad;
        bool serie, lote;
        QString serieAnt, loteAnt;
        std::function<void(FrmCargaLotesySeries&)> mano;
        QString serie_, lote_;
        bool aceptado;
    };
    const Caso casos[] = {
        {3, false, true, "", "", [](FrmCargaLotesySeries& f) { f.CmdAceptar->click(); }, "", "|-|-|-|", true},
        {5, false, true, "", "",
         [](FrmCargaLotesySeries& f) {
             Escribe(f, 1, 1, "L7");
             EXPECT_EQ(Columna(f, 1), QStringList(5, "L7"));
             f.CmdAceptar->click();
         },
         "", "|L7|L7|L7|L7|L7|", true},
        {3, true, false, "", "",
         [](FrmCargaLotesySeries& f) {
             EXPECT_EQ(f.MSFlexGrid1->TextMatrix(0, 1), "Número de Serie");
             Escribe(f, 3, 1, "S3");
             Escribe(f, 1, 1, "S1");  // a serial is not copied to the empty rows
             EXPECT_EQ(Columna(f, 1), (QStringList{"S1", "", "S3"}));
             f.MSFlexGrid1->setRow(1);
             Boton(f, 2);
             EXPECT_EQ(Columna(f, 1), (QStringList{"S1", "", ""}));
             Escribe(f, 2, 1, "S2");
             f.MSFlexGrid1->setRow(2);
             Boton(f, 1);
             f.CmdAceptar->click();
         },
         "|S1|S2|S2|", "", true},
        // A line grown by a unit: the new unit gets no copy of a serial.
        {3, true, false, "|S1|S2|", "", [](FrmCargaLotesySeries& f) { f.CmdAceptar->click(); }, "|S1|S2|-|", "", true},
        // The earlier list is shown again; a cancel gives it back as it was.
        {2, true, false, " |A|B| ", "",
         [](FrmCargaLotesySeries& f) {
             EXPECT_EQ(Columna(f, 1), (QStringList{"A", "B"}));
             f.CmdCancelar->click();
         },
         "|A|B|", "", false},
        {0.5, false, true, "", "",
         [](FrmCargaLotesySeries& f) {
             EXPECT_EQ(f.MSFlexGrid1->Rows(), 2);
             f.CmdAceptar->click();
         },
         "", "|-|", true},
        // Lots and serials: each unit's lot beside its serial, shown again
        // and handed back as they came.
        {2, true, true, "|S1|S2|", "|L1|L1|",
         [](FrmCargaLotesySeries& f) {
             EXPECT_EQ(f.windowTitle(), "Números de Lote y Serie (Deposito: )");
             EXPECT_EQ(Columna(f, 1), (QStringList{"L1", "L1"}));
             EXPECT_EQ(Columna(f, 2), (QStringList{"S1", "S2"}));
             Foto(f, "frmcargalotesyseries_entrada.png");
             f.CmdAceptar->click();
         },
         "|S1|S2|", "|L1|L1|", true},
        // The lot of row 1 goes to every unit; Enter goes on to the serials.
        {2, true, true, "", "",
         [](FrmCargaLotesySeries& f) {
             Escribe(f, 1, 1, "L5");
             EXPECT_EQ(f.MSFlexGrid1->Col(), 2);
             Escribe(f, 1, 2, "S1");
             Escribe(f, 2, 2, "S2");
             f.CmdAceptar->click();
         },
         "|S1|S2|", "|L5|L5|", true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.cantidad);
        dlg.onModal("FrmCargaLotesySeries", [&](QWidget* w) { c.mano(*static_cast<FrmCargaLotesySeries*>(w)); });
        QString serie = "x", lote = "y";
        bool aceptado = !c.aceptado;
        ClsCmnCptes().PideSerieLote("ART-L", c.cantidad, c.serieAnt, c.loteAnt, serie, lote, c.serie, c.lote, false,
                                    &aceptado);
        EXPECT_EQ(serie, c.serie_);
        EXPECT_EQ(lote, c.lote_);
        EXPECT_EQ(aceptado, c.aceptado);
        EXPECT_TRUE(dlg.remaining().isEmpty());
        EXPECT_FALSE(lots::frmCargaLotesySeries().exists());
    }
}

// No rows to enter into: the line keeps the lists it had.
TEST_F(SeriesYLotes, EntryModeRefusesAQuantityItCannotGiveRowsTo)
{
    const std::tuple<double, bool, QString, QString> casos[] = {
        {-2.0, true, "|S1|S2|", ""}, {1e9, true, "", ""}, {-1.0, false, "", "|L1|L2|"}};
    for (const auto& [cantidad, serial, serieAnt, loteAnt] : casos) {
        SCOPED_TRACE(cantidad);
        Aviso("La Cantidad debe estar entre 0 y 100000", ui::vbCritical, "Aviso al Operador");
        dlg.onModal("FrmCargaLotesySeries", [](QWidget* w) {
            auto& f = *static_cast<FrmCargaLotesySeries*>(w);
            EXPECT_EQ(f.MSFlexGrid1->Rows(), 1);
            f.CmdAceptar->click();
        });
        QString serie = "x", lote = "y";
        ClsCmnCptes().PideSerieLote("ART-L", cantidad, serieAnt, loteAnt, serie, lote, serial, !serial);
        EXPECT_EQ(serie, serieAnt);
        EXPECT_EQ(lote, loteAnt);
        EXPECT_TRUE(dlg.remaining().isEmpty());
    }
}

TEST_F(SeriesYLotes, SerialFormatWithQuantityWhenConfigured)
{
    Ejecuta("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('ART_FormatoSerieAsterisco', 'DATOS', 'si')");
    dlg.onModal("FrmCargaLotesySeries", [&](QWidget* w) {
        auto& f = *static_cast<FrmCargaLotesySeries*>(w);
        dlg.expectMsgBox("Segun configuracion del sistema, debe informar NRODESERIE * CANTIDAD \r\nVerifique la "
                         "configuracion del sistema - Stock / Otros")
            .style(ui::vbOKOnly)
            .title("");
        Escribe(f, 1, 1, "A123");
        f.CmdAceptar->click();
        EXPECT_TRUE(f.isVisible());
        Escribe(f, 1, 1, "A123*2");
        f.CmdAceptar->click();
    });
    QString serie, lote;
    ClsCmnCptes().PideSerieLote("ART-L", 1, "", "", serie, lote, true);
    EXPECT_EQ(serie, "|A123*2|");
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

}  // namespace
