// The two lot windows in the fonts the desktop may give them, to
// <build>/frmcargalotesyseries_<points>[_<font>].png and
// frmloteyposicion_<points>[_<font>].png: the article's label as tall as its
// lines (22 pixels where they suffice), the tool bar as tall as its buttons
// (28 where they suffice), the grid and the buttons below them moved down by
// as much and the window grown with them; the buttons wide enough for their
// captions, 8 pixels apart and 8 from the window's right edge.
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
    static void Revisa(lots::VentanaLotes& f, const testutil::layout::PictureFont& fuente, const QString& base)
    {
        f.show();
        testutil::layout::Picture(f, testutil::layout::PicturePath(base, fuente));
        ASSERT_EQ(QFontMetrics(f.lblArticulo->font()).height(), fuente.alto) << "the font as installed";
        testutil::layout::ExpectWholeToolBar(*f.Toolbar1);
        const int rotulo = std::max(22, fuente.alto) - 22;
        const int barra = std::max(28, f.Toolbar1->sizeHint().height()) - 28;
        if (fuente.puntos == 8)
            EXPECT_EQ(barra, 0) << "8-point buttons fit the designed bar";
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

TEST_F(VentanasEnFuentes, SerialsAndLotsWindowWholeInEveryFont)
{
    Stock("ART-L", "L1", "", 3);
    Stock("ART-L", "L2", "", 5);
    for (const testutil::layout::PictureFont& fuente : testutil::layout::kPictureFonts) {
        SCOPED_TRACE(std::string(fuente.fuente) + ' ' + std::to_string(fuente.puntos));
        testutil::layout::ProgramFont programa(fuente);
        Articulos grilla({});
        dlg.onModal("FrmCargaLotesySeries", [&](QWidget* w) {
            auto& f = *static_cast<lots::FrmCargaLotesySeries*>(w);
            Revisa(f, fuente, QStringLiteral("frmcargalotesyseries"));
            f.CmdCancelar->click();
        });
        QString lotes, cantidades, deposito = QStringLiteral("1");
        double cantidad = 4;
        bool aceptado = true;
        ClsCmnCptes().PideSerieLote_Salidas(&grilla.grilla, "ART-L", "pintura latex", cantidad, {}, {}, lotes,
                                            cantidades, true, false, false, &deposito, true, &aceptado);
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
