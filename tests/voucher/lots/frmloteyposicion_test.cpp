// The positions and lots window, driven through its request: stock per
// position in the line's unit, the DEPOSITO row, earlier lists, the
// proposal, the checks of typed quantities, accept and cancel.
#include "voucher/lots/frmloteyposicion.h"

#include "entorno_lotes.h"
#include "numbering/stock.h"

#include <QLabel>
#include <QPushButton>

namespace {

using lots::FrmLoteyPosicion;
using namespace lotstest;

class Posiciones : public EntornoLotes {
protected:
    struct Resultado {
        QString posiciones = "x", lotes = "y";
        bool aceptado = false;
    };
    Resultado Pide(const QString& articulo, double cantidad, bool conLote, const QString& posAnt,
                   const QString& lotAnt, const std::function<void(FrmLoteyPosicion&)>& mano,
                   const QString& unidad = QStringLiteral("UN  "))
    {
        Resultado r;
        dlg.onModal("FrmLoteyPosicion", [&](QWidget* w) { mano(*static_cast<FrmLoteyPosicion*>(w)); });
        ClsCmnCptes().PidePosicionLote(articulo, unidad, cantidad, "   1", posAnt, lotAnt, r.posiciones, r.lotes,
                                       true, conLote, &r.aceptado);
        EXPECT_TRUE(dlg.remaining().isEmpty()) << dlg.remaining().join("; ").toStdString();
        EXPECT_FALSE(lots::frmLoteyPosicion().exists());
        return r;
    }
    void Aviso(const QString& texto, int estilo, const QString& titulo)
    {
        dlg.expectMsgBox(texto).style(estilo).title(titulo);
    }
    ui::ScriptedSession dlg;
};

TEST_F(Posiciones, ProposesFromPositionsThenTheDepositAndHandsBackParallelLists)
{
    const Resultado r = Pide("PINT-LATEX-20", 8, true, "", "", [&](FrmLoteyPosicion& f) {
        EXPECT_EQ(f.windowTitle(), "Posiciones y Lotes (Deposito:    1)");
        EXPECT_EQ(f.lblArticulo->text(), "PINT-LATEX-20");
        EXPECT_EQ(Columna(f, 0), (QStringList{"A-01-01", "A-01-02", "DEPOSITO    1"}));
        EXPECT_EQ(Columna(f, 1), (QStringList{"L2026-001", "L2026-001", ""}));
        EXPECT_EQ(Columna(f, 3), (QStringList{"7", "3", "2"}));
        EXPECT_EQ(Columna(f, 4), (QStringList{"7", "1", "0"}));
        EXPECT_EQ(f.MSFlexGrid1->Row(), 3);
        EXPECT_EQ(f.MSFlexGrid1->Col(), 4);
        Foto(f, "frmloteyposicion.png");
        f.CmdAceptar->click();
    });
    EXPECT_TRUE(r.aceptado);
    EXPECT_EQ(r.posiciones, "|A-01-01*7|A-01-02*1|");
    EXPECT_EQ(r.lotes, "|L2026-001|L2026-001|");
}

TEST_F(Posiciones, EarlierListsAreShownAgainAndACancelGivesThemBack)
{
    const Resultado r = Pide("PINT-LATEX-20", 5, true, " |a-01-02*3|*2|X-9*1| ", "|L2026-001|||",
                             [&](FrmLoteyPosicion& f) {
                                 // the item without position goes to the DEPOSITO row
                                 EXPECT_EQ(Columna(f, 4), (QStringList{"0", "3", "2"}));
                                 Escribe(f, 1, 4, "1");
                                 f.CmdCancelar->click();
                             });
    EXPECT_FALSE(r.aceptado);
    EXPECT_EQ(r.posiciones, "|a-01-02*3|*2|X-9*1|");
    EXPECT_EQ(r.lotes, "|L2026-001|||");
}

TEST_F(Posiciones, TypedQuantitiesAreCheckedAndTheToolBarFillsBelow)
{
    const Resultado r = Pide("PINT-LATEX-20", 8, true, "|A-01-01*1|", "|L2026-001|", [&](FrmLoteyPosicion& f) {
        const std::pair<const char*, const char*> refusals[] = {
            {"-1", "La Cantidad no puede ser Menor a Cero"},
            {"8", "No hay disponible para esa posicion"},
            {"7,5", "No hay disponible para esa posicion"},
        };
        for (const auto& [texto, aviso] : refusals) {
            Aviso(aviso, ui::vbCritical, "Aviso al Operador");
            Escribe(f, 1, 4, texto);
            EXPECT_TRUE(f.TxtEdit->Visible());
            Tecla(f.TxtEdit, Qt::Key_Escape);
            EXPECT_EQ(f.MSFlexGrid1->TextMatrix(1, 4), "1");
        }
        // A refused value left in the box does not reach the cell on a click.
        Aviso("No hay disponible para esa posicion", ui::vbCritical, "Aviso al Operador");
        Escribe(f, 2, 4, "4");
        Aviso("No hay disponible para esa posicion", ui::vbCritical, "Aviso al Operador");
        Clic(f, 1, 4);
        EXPECT_EQ(f.MSFlexGrid1->TextMatrix(2, 4), "0");
        // Columns 0 to 3 open nothing.
        for (long c = 0; c < 4; ++c) {
            f.MSFlexGrid1->setCol(c);
            Tecla(f.MSFlexGrid1, Qt::Key_5, "5");
            EXPECT_FALSE(f.TxtEdit->Visible());
        }
        Escribe(f, 1, 4, "7");  // equal to what is available
        EXPECT_EQ(f.MSFlexGrid1->Row(), 2);
        Boton(f, 1);            // only on the quantity column: nothing here
        f.MSFlexGrid1->setRow(1);
        f.MSFlexGrid1->setCol(4);
        Boton(f, 1);
        EXPECT_EQ(Columna(f, 4), (QStringList{"7", "7", "7"}));
        Boton(f, 2);
        EXPECT_EQ(Columna(f, 4), (QStringList{"7", "0", "0"}));
        Boton(f, 3);
        EXPECT_EQ(Columna(f, 4), (QStringList{"7", "1", "0"}));
        Escribe(f, 3, 4, "2,0");
        Escribe(f, 2, 4, "0");
        Aviso("La suma de cantidades informadas es Menor a la cantidad solicitada ", ui::vbInformation,
              "Aviso al Operador!!!");
        f.MSFlexGrid1->setRow(1);
        Escribe(f, 1, 4, "5");
        f.CmdAceptar->click();
        EXPECT_TRUE(f.isVisible());
        Escribe(f, 1, 4, "6");
        f.CmdAceptar->click();
    });
    EXPECT_TRUE(r.aceptado);
    EXPECT_EQ(r.posiciones, "|A-01-01*6|*2,0|") << "quantities as the cells show them";
}

// Without stock outside the positions there is no DEPOSITO row: the last row
// is a position like the others.
TEST_F(Posiciones, WithoutDepositRowTheLastPositionKeepsItsName)
{
    Saldo("ART-P", "A-01-01", "L1", 4);
    Saldo("ART-P", "B-02-01", "L2", 3);
    Saldo("ART-P", "B-02-01", "L3", 1);
    Resultado r = Pide("ART-P", 10, false, "", "", [&](FrmLoteyPosicion& f) {
        EXPECT_EQ(f.FilaDeposito(), 0);
        EXPECT_EQ(f.MSFlexGrid1->TextMatrix(0, 1), "");
        EXPECT_EQ(f.MSFlexGrid1->ColWidth(1), 0);
        EXPECT_EQ(Columna(f, 0), (QStringList{"A-01-01", "B-02-01", "B-02-01"}));
        EXPECT_EQ(Columna(f, 4), (QStringList{"4", "3", "1"})) << "2 units stay unplaced";
        Escribe(f, 3, 4, "3", Qt::Key_Escape);
        Aviso("La suma de cantidades informadas es Menor a la cantidad solicitada ", ui::vbInformation,
              "Aviso al Operador!!!");
        f.CmdAceptar->click();
        f.CmdCancelar->click();
    });
    EXPECT_FALSE(r.aceptado);
    // An earlier item without position has no DEPOSITO row to go to.
    r = Pide("ART-P", 4, false, "|*2|B-02-01*4|", "", [&](FrmLoteyPosicion& f) {
        EXPECT_EQ(Columna(f, 4), (QStringList{"", "4", ""})) << "only the first row of the position";
        f.CmdAceptar->click();
    });
    EXPECT_EQ(r.posiciones, "|B-02-01*4|");
    EXPECT_EQ(r.lotes, "");
    // Shown again and accepted, each item of the position has its own row.
    r = Pide("ART-P", 4, false, "|B-02-01*3|B-02-01*1|", "", [&](FrmLoteyPosicion& f) {
        EXPECT_EQ(Columna(f, 4), (QStringList{"", "3", "1"}));
        f.CmdAceptar->click();
    });
    EXPECT_EQ(r.posiciones, "|B-02-01*3|B-02-01*1|");
}

// No row is proposed more than it holds, a negative line without a row to
// take it is refused without a question, and a row shown again gets a figure
// only from an item of its own.
TEST_F(Posiciones, ARowIsProposedWhatItHoldsAndShownOnlyItsOwnItem)
{
    Saldo("PX1", "A-01-01", "L1", 3);
    Saldo("PX2", "A-01-01", "L1", 5);
    Saldo("PX2", "A-01-02", "L1", 5);
    Saldo("PX2", "A-01-01", "L2", 5);
    Saldo("PX2", QString(), "L1", 4);
    const QString menor = "La suma de cantidades informadas es Menor a la cantidad solicitada ";
    struct Caso {
        const char* articulo;
        double cantidad;
        bool lote;
        QString anteriores, cuarta, posiciones;
    };
    const Caso casos[] = {
        {"PX1", 5, true, "", "3", "x"},
        {"PX0", -1, true, "", "", "x"},
        // A return goes back into the lone row; a fresh window's DEPOSITO row reads "0".
        {"PX1", -2, true, "", "-2", "|A-01-01*-2|"},
        {"PX2", 4, false, "", "4|||0", "|A-01-01*4|"},
        {"PX2", 4, false, "|A-01-01*2|A-01-01*2|", "2||2|", "|A-01-01*2|A-01-01*2|"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.articulo);
        const Resultado r = Pide(c.articulo, c.cantidad, c.lote, c.anteriores, "", [&](FrmLoteyPosicion& f) {
            EXPECT_EQ(Columna(f, 4).join(u'|'), c.cuarta);
            if (c.posiciones == "x") {
                Aviso(menor, ui::vbInformation, "Aviso al Operador!!!");
                f.CmdAceptar->click();
                EXPECT_TRUE(f.isVisible());
                f.CmdCancelar->click();
            } else {
                f.CmdAceptar->click();
            }
        });
        EXPECT_EQ(r.posiciones, c.posiciones == "x" ? c.anteriores : c.posiciones);
    }
}

// Every balance is shown in the line's unit, the stock without position
// (all its balance rows) too, and a typed quantity is checked against it.
TEST_F(Posiciones, BalancesAreShownAndCheckedInTheLineUnit)
{
    Saldo("1001", "B-02-01", "LA", 8);
    Saldo("1001", QString(), "LA", 4);
    Saldo("1001", QString(), "LB", 6);
    Ejecuta("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES ('" +
            kapores2::Funciones::RellenaCodigo("ART-CJ", 25) + "', 'CJ  ', 'UN  ', 12)");
    Saldo("ART-CJ", "A-01-01", "L1", 36);
    Saldo("ART-CJ", QString(), "L1", 24);
    const std::tuple<QString, QStringList, QString> casos[] = {
        {"1001", {"4", "5"}, "4,5"},    // 1 UN = 0.5 CJ: 8 UN, and 4 + 6 UN
        {"ART-CJ", {"3", "2"}, "3,5"},  // 1 CJ = 12 UN: 36 UN, and 24 UN
    };
    for (const auto& [articulo, disponible, demas] : casos) {
        SCOPED_TRACE(articulo.toStdString());
        Pide(
            articulo, 1, true, "", "",
            [&](FrmLoteyPosicion& f) {
                EXPECT_EQ(Columna(f, 0).last(), "DEPOSITO    1");
                EXPECT_EQ(Columna(f, 2), (QStringList{"CJ  ", "CJ  "}));
                EXPECT_EQ(Columna(f, 3), disponible);
                EXPECT_EQ(f.FilaDeposito(), 2);
                Aviso("No hay disponible para esa posicion", ui::vbCritical, "Aviso al Operador");
                Escribe(f, 1, 4, demas);
                Tecla(f.TxtEdit, Qt::Key_Escape);
                f.CmdCancelar->click();
            },
            "CJ  ");
    }
}

TEST_F(Posiciones, OnlyLotsWritesNoListAndNoQuantityGivesALoneBar)
{
    const Resultado r = Pide("PINT-LATEX-20", 2, false, "", "", [&](FrmLoteyPosicion& f) { f.CmdAceptar->click(); });
    EXPECT_EQ(r.posiciones, "|A-01-01*2|");
    dlg.onModal("FrmLoteyPosicion", [](QWidget* w) {
        auto& f = *static_cast<FrmLoteyPosicion*>(w);
        EXPECT_EQ(f.windowTitle(), "Números de Lote (Deposito:    1)");
        EXPECT_EQ(f.MSFlexGrid1->TextMatrix(0, 4), "");
        f.CmdCancelar->click();
    });
    QString pos = "p", lot = "l";
    ClsCmnCptes().PidePosicionLote("PINT-LATEX-20", "UN  ", 2, "   1", "", "", pos, lot, false, true);
    EXPECT_EQ(pos, "");
    EXPECT_EQ(lot, "");

    FrmLoteyPosicion f;
    f.EsPosicion = true;
    f.Deposito = "1";
    f.Articulo = "PINT-LATEX-20";
    f.CargaDatos();
    for (long fila = 1; fila < f.MSFlexGrid1->Rows(); ++fila) f.MSFlexGrid1->setTextMatrix(fila, 4, fila == 1 ? "" : "0");
    f.CmdAceptar_Click();
    EXPECT_EQ(f.Posiciones, "|");
}

}  // namespace
