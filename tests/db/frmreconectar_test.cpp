// The reconnection window in the fonts the desktop may give it: every
// control whole, the message's lines above the bar, the buttons clear of
// each other and of the window's sides.
#include "db/frmreconectar.h"
#include "support/layout_check.h"
#include "support/testutil.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {

// Writes <build>/frmreconectar_<points>[_<font>].png.
TEST(Reconectar, PictureOfTheWindowInEveryFont)
{
    testutil::testApp();
    // alto: the message's two lines as the wait shows it (the routine,
    // then "Intentando reconectar con el servidor..." wrapped at 368
    // pixels); boton: the buttons' height.
    const struct {
        int alto;
        int boton;
    } figuras[] = {{60, 28}, {60, 28}, {60, 28}, {60, 28}, {60, 28}, {60, 28}, {60, 28}, {69, 28}, {75, 28}};
    // and the wider "Calibri" at 14 and 16 points, where the message wraps
    // to three lines (of 23 pixels at 14 points, 22 high and 1 of leading;
    // 25 at 16)
    std::vector<testutil::layout::PictureFont> fuentes(std::begin(testutil::layout::kPictureFonts),
                                                       std::end(testutil::layout::kPictureFonts));
    fuentes.push_back({"Calibri", 14, 22});
    fuentes.push_back({"Calibri", 16, 25});
    std::size_t i = 0;
    for (const testutil::layout::PictureFont& fuente : fuentes) {
        const auto& figura = figuras[i++];
        SCOPED_TRACE(std::string(fuente.fuente) + ' ' + std::to_string(fuente.puntos));
        testutil::layout::ProgramFont programa(fuente);
        frmReconectar::Unload();
        frmReconectar& f = frmReconectar::Default();
        f.lblMensaje->setText(QStringLiteral("AbrirRecordset\nIntentando reconectar con el servidor..."));
        f.show();
        testutil::layout::Picture(f, testutil::layout::PicturePath(QStringLiteral("frmreconectar"), fuente));
        ASSERT_EQ(QFontMetrics(f.cmdCancelar->font()).height(), fuente.alto) << "the font as installed";
        testutil::layout::ExpectWholeLines(*f.lblMensaje);
        EXPECT_EQ(f.lblMensaje->height(), figura.alto);
        EXPECT_EQ(f.cmdCancelar->height(), figura.boton);
        // the bar 8 pixels below the message, the buttons 16 below the bar,
        // both of one width around the middle, the window 16 below them
        EXPECT_EQ(f.prgIntentos->y(), f.lblMensaje->geometry().bottom() + 1 + 8);
        EXPECT_EQ(f.cmdCancelar->y(), f.prgIntentos->geometry().bottom() + 1 + 16);
        EXPECT_EQ(f.CmdReintentar->y(), f.cmdCancelar->y());
        EXPECT_EQ(f.CmdReintentar->width(), f.cmdCancelar->width());
        EXPECT_EQ(f.CmdReintentar->x() + f.cmdCancelar->geometry().right(), f.width() - 1);
        EXPECT_EQ(f.height(), f.cmdCancelar->geometry().bottom() + 1 + 16);
        // centred on the screen at its new size
        const QRect pantalla = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(f.pos(), QPoint((pantalla.width() - f.width()) / 2, (pantalla.height() - f.height()) / 2));
        f.hide();
    }
    frmReconectar::Unload();
}

}  // namespace
