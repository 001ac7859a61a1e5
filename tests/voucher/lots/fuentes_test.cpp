// The two lot windows in the fonts the desktop may give them, to
// <build>/frmcargalotesyseries_<points>[_<font>].png and
// frmloteyposicion_<points>[_<font>].png: the article's label as tall as its
// lines (22 pixels where they suffice), the tool bar as tall as its buttons
// (28 where they suffice), the grid and the buttons below them moved down by
// as much and the window grown with them; the buttons wide enough for their
// captions, 8 pixels apart and 8 from the window's right edge. A description
// wider than the label wraps onto a second line; every cell of the grid shows
// its text whole.
#include "voucher/lots/frmcargalotesyseries.h"
#include "voucher/lots/frmloteyposicion.h"

#include "entorno_lotes.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <string>

namespace {

using namespace lotstest;

class VentanasEnFuentes : public EntornoLotes {
protected:
    static void Revisa(lots::VentanaLotes& f, const testutil::layout::PictureFont& fuente, const QString& base,
                       int lineas = 1)
    {
        f.show();
        testutil::layout::Picture(f, testutil::layout::PicturePath(base, fuente));
        ASSERT_EQ(QFontMetrics(f.lblArticulo->font()).height(), fuente.alto) << "the font as installed";
        testutil::layout::ExpectWholeToolBar(*f.Toolbar1);
        testutil::layout::ExpectWholeLines(*f.lblArticulo);
        const int alto = f.lblArticulo->heightForWidth(f.lblArticulo->width());
        EXPECT_TRUE(alto >= lineas * fuente.alto && alto < (lineas + 1) * fuente.alto)
            << alto << " pixels of lines for " << lineas;
        const ui::MSFlexGrid& g = *f.MSFlexGrid1;
        for (long r = 0; r < g.Rows(); ++r)
            for (long c = 0; c < g.Cols(); ++c)
                EXPECT_LE(ui::CellWidth(g.TextMatrix(r, c), g.font()), g.ColWidth(c))
                    << '"' << g.TextMatrix(r, c).toStdString() << "\" is cut";
        const int rotulo = std::max(22, alto) - 22;
        const int barra = std::max(28, f.Toolbar1->sizeHint().height()) - 28;
        if (fuente.puntos == 8) {
            EXPECT_EQ(barra, 0) << "8-point buttons fit the designed bar";
        }
        EXPECT_EQ(f.lblArticulo->height(), 22 + rotulo);
        EXPECT_EQ(f.Toolbar1->geometry(), QRect(8, 30 + rotulo, f.width() - 16, 28 + barra));
        EXPECT_EQ(f.MSFlexGrid1->y(), 62 + rotulo + barra);
        EXPECT_EQ(f.CmdAceptar->y(), 392 + rotulo + barra);
        EXPECT_EQ(f.CmdCancelar->y(), f.CmdAceptar->y());
        EXPECT_EQ(f.height(), 430 + rotulo + barra);
        EXPECT_EQ(f.CmdCancelar->geometry().right(), f.width() - 1 - 8);
        EXPECT_EQ(f.CmdCancelar->x(), f.CmdAceptar->geometry().right() + 1 + 8);
        EXPECT_EQ(f.CmdAceptar->width(), f.CmdCancelar->width()) << "of one width";
    }
    ui::ScriptedSession dlg;
};

// The article's code and description, "ART-L - PINTURA LATEX INTERIOR BLANCO
// MATE ANTIHONGO 20 LITROS", in a label of 584 pixels: one line up to 12
// points of Segoe UI (Liberation Sans: 565 px) and in Calibri 12 (DejaVu
// Sans: 577), two in Segoe UI 14 and 16 (671 and 742) and in Courier New
// 12 and 16 (62 letters of 9.6 and 12.6 px: 595 and 781).
TEST_F(VentanasEnFuentes, SerialsAndLotsWindowWholeInEveryFont)
{
    Stock("ART-L", "PROV-OMEGA-0451", "", 3);
    Stock("ART-L", "PROV-OMEGA-0452", "", 5);
    std::vector<std::pair<testutil::layout::PictureFont, int>> fuentes;
    for (const testutil::layout::PictureFont& fuente : testutil::layout::kPictureFonts)
        fuentes.emplace_back(fuente, fuente.puntos >= 14 || QLatin1String(fuente.fuente) == "Courier New" ? 2 : 1);
    fuentes.push_back({{"Courier New", 16, 23}, 2});
    for (const auto& [fuente, lineas] : fuentes) {
        SCOPED_TRACE(std::string(fuente.fuente) + ' ' + std::to_string(fuente.puntos));
        testutil::layout::ProgramFont programa(fuente);
        Articulos grilla({});
        dlg.onModal("FrmCargaLotesySeries", [&, lineas = lineas, fuente = fuente](QWidget* w) {
            auto& f = *static_cast<lots::FrmCargaLotesySeries*>(w);
            Revisa(f, fuente, QStringLiteral("frmcargalotesyseries"), lineas);
            EXPECT_EQ(f.lblArticulo->text(), "ART-L - PINTURA LATEX INTERIOR BLANCO MATE ANTIHONGO 20 LITROS");
            f.CmdCancelar->click();
        });
        QString lotes, cantidades, deposito = QStringLiteral("1");
        double cantidad = 4;
        bool aceptado = true;
        ClsCmnCptes().PideSerieLote_Salidas(&grilla.grilla, "ART-L", "PINTURA LATEX INTERIOR BLANCO MATE ANTIHONGO 20 LITROS",
                                            cantidad, {}, {}, lotes, cantidades, true, false, false, &deposito, true,
                                            &aceptado);
        EXPECT_FALSE(aceptado);
        EXPECT_TRUE(dlg.remaining().isEmpty());
    }
}

TEST_F(VentanasEnFuentes, PositionsWindowWholeInEveryFont)
{
    for (const testutil::layout::PictureFont& fuente : testutil::layout::kPictureFonts) {
        SCOPED_TRACE(std::string(fuente.fuente) + ' ' + std::to_string(fuente.puntos));
        testutil::layout::ProgramFont programa(fuente);
        dlg.onModal("FrmLoteyPosicion", [&](QWidget* w) {
            auto& f = *static_cast<lots::FrmLoteyPosicion*>(w);
            Revisa(f, fuente, QStringLiteral("frmloteyposicion"));
            f.CmdCancelar->click();
        });
        QString posiciones, lotes;
        bool aceptado = true;
        ClsCmnCptes().PidePosicionLote("PINT-LATEX-20", "UN  ", 8, "   1", "", "", posiciones, lotes, true, true,
                                       &aceptado);
        EXPECT_FALSE(aceptado);
        EXPECT_TRUE(dlg.remaining().isEmpty());
    }
}

}  // namespace
