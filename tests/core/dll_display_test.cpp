// The progress sign: a modeless window that never blocks the work it shows.
#include "core/dll_display.h"
#include "core/lbf_ctrldisplay.h"
#include "platform/ui/qt_app.h"
#include "support/layout_check.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using legacy::Variant;

namespace {

class Cartel : public ::testing::Test {
protected:
    void SetUp() override { testApp(); }
    Dll_Display cartel;
};

TEST_F(Cartel, InicioMuestraLaVentanaSinBloquear)
{
    cartel.CartelInicio(QStringLiteral("Conectando Base de Datos"), 0);
    Lbf_CtrlDisplay* v = cartel.ventana();
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->isVisible());
    EXPECT_FALSE(v->isModal());
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Conectando Base de Datos"));
    EXPECT_FALSE(v->CmdDisplayCancelar->isVisibleTo(v));
    EXPECT_TRUE(v->Timer1->isActive());
    EXPECT_EQ(v->Timer1->interval(), 100);
    // Laid out from the designed twips.
    EXPECT_EQ(v->size(), QSize(523, 186));
    EXPECT_EQ(v->LblCtrol[1]->geometry(), QRect(0, 32, 521, 19));
    EXPECT_EQ(v->Image1->geometry(), QRect(232, 88, 73, 65));
    EXPECT_EQ(v->CmdDisplayCancelar->geometry(), QRect(208, 160, 113, 25));
    EXPECT_EQ(v->CmdDisplayCancelar->text(), QStringLiteral("&Cancelar"));
    cartel.CartelCerrar();
    EXPECT_EQ(cartel.ventana(), nullptr);
}

TEST_F(Cartel, MostrarCambiaSoloLasLineasDadas)
{
    cartel.CartelInicio(QStringLiteral("t"), 0);
    bool cancelado = true;
    cartel.CartelMostrar(cancelado, Variant(QStringLiteral("uno")), Variant(12), Variant(QStringLiteral("tres")));
    EXPECT_FALSE(cancelado);
    cartel.CartelMostrar(cancelado, std::nullopt, Variant::Null());
    Lbf_CtrlDisplay* v = cartel.ventana();
    EXPECT_EQ(v->LblCtrol[0]->text(), QStringLiteral("uno"));
    EXPECT_EQ(v->LblCtrol[1]->text(), QString());
    EXPECT_EQ(v->LblCtrol[2]->text(), QStringLiteral("tres"));
    cancelado = true;
    cartel.CartelMostrar(cancelado);
    EXPECT_FALSE(cancelado);
    EXPECT_EQ(v->LblCtrol[0]->text(), QStringLiteral("uno"));
    cartel.CartelCerrar();
}

TEST_F(Cartel, CancelarQuedaMarcadoHastaCerrar)
{
    cartel.CartelInicio(QStringLiteral("t"), 1);
    Lbf_CtrlDisplay* v = cartel.ventana();
    EXPECT_TRUE(v->CmdDisplayCancelar->isVisibleTo(v));
    bool cancelado = true;
    cartel.CartelMostrar(cancelado);
    EXPECT_FALSE(cancelado);
    v->CmdDisplayCancelar->click();
    EXPECT_TRUE(v->isVisible());  // the sign stays: the caller decides
    for (int i = 0; i < 2; ++i) {
        cancelado = false;
        cartel.CartelMostrar(cancelado, Variant(i));
        EXPECT_TRUE(cancelado);
    }
    // A second start on the open window keeps the mark.
    cartel.CartelInicio(QStringLiteral("otra"), 1);
    cartel.CartelMostrar(cancelado);
    EXPECT_TRUE(cancelado);

    cartel.CartelCerrar();
    cartel.CartelInicio(QStringLiteral("nueva"), 1);
    EXPECT_EQ(cartel.ventana()->CmdDisplayCancelar->text(), QStringLiteral("&Cancelar"));
    cartel.CartelMostrar(cancelado);
    EXPECT_FALSE(cancelado);
    cartel.CartelCerrar();
}

TEST_F(Cartel, AnimacionDeDoceCuadros)
{
    cartel.CartelInicio(QStringLiteral("t"), 0);
    Lbf_CtrlDisplay* v = cartel.ventana();
    ASSERT_EQ(v->ImageList1.size(), 12);
    EXPECT_EQ(v->contador(), 0);
    QList<int> vistos;
    for (int i = 0; i < 14; ++i) {
        v->Timer1_Timer();
        vistos << v->contador();
    }
    EXPECT_EQ(vistos, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 1, 2}));
    EXPECT_EQ(v->Image1->pixmap().toImage(), v->ImageList1.at(1).toImage());

    // The real timer steps it while events flow.
    const int antes = v->contador();
    QElapsedTimer reloj;
    reloj.start();
    while (v->contador() == antes && reloj.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_NE(v->contador(), antes);

    // Without frames the picture stays as it was and nothing fails.
    const QImage imagen = v->Image1->pixmap().toImage();
    v->ImageList1.clear();
    v->Timer1_Timer();
    EXPECT_EQ(v->Image1->pixmap().toImage(), imagen);
    cartel.CartelCerrar();
}

TEST_F(Cartel, CerrarSinAbrirODosVeces)
{
    cartel.CartelCerrar();
    EXPECT_EQ(cartel.ventana(), nullptr);
    cartel.CartelInicio(QStringLiteral("t"), 0);
    cartel.CartelCerrar();
    cartel.CartelCerrar();
    EXPECT_EQ(cartel.ventana(), nullptr);

    // Showing lines alone fills a hidden window.
    bool cancelado = true;
    cartel.CartelMostrar(cancelado, Variant(QStringLiteral("x")));
    ASSERT_NE(cartel.ventana(), nullptr);
    EXPECT_FALSE(cartel.ventana()->isVisible());
    cartel.CartelCerrar();
}

TEST_F(Cartel, SiempreVisibleMantieneLaVentanaAbierta)
{
    cartel.CartelInicio(QStringLiteral("t"), 0);
    cartel.setSiempre_Visible(true);
    EXPECT_TRUE(cartel.ventana()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(cartel.ventana()->isVisible());
    cartel.setSiempre_Visible(false);
    EXPECT_FALSE(cartel.ventana()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    cartel.CartelCerrar();
}

}  // namespace

// The sign with its cancel button in the fonts the desktop may give it, to
// <build>/cartel_<points>[_<font>].png: the lines keep their own font; the
// button grows to its caption's lines with the 11 pixels the design gives
// them at 9 points (14 + 11 = 25), around the middle, and the window keeps
// it 8 pixels from its bottom edge once it grew (1 as designed).
TEST(CartelFuentes, PictureOfTheSignInEveryFont)
{
    testApp();
    const int botones[] = {25, 25, 17 + 11, 21 + 11, 23 + 11, 19 + 11, 18 + 11};
    int i = 0;
    for (const testutil::layout::PictureFont& fuente : testutil::layout::kPictureFonts) {
        const int boton = botones[i++];
        SCOPED_TRACE(std::string(fuente.fuente) + ' ' + std::to_string(fuente.puntos));
        testutil::layout::ProgramFont programa(fuente);
        Dll_Display cartel;
        cartel.CartelInicio(QStringLiteral("Conectando Base de Datos"), 1);
        bool cancelado = false;
        cartel.CartelMostrar(cancelado, Variant(QStringLiteral("Iniciando Aplicacion")), Variant(QStringLiteral("vordane")),
                             Variant(QStringLiteral("Espere por favor")));
        Lbf_CtrlDisplay& v = *cartel.ventana();
        testutil::layout::Picture(v, testutil::layout::PicturePath(QStringLiteral("cartel"), fuente));
        ASSERT_EQ(QFontMetrics(v.CmdDisplayCancelar->font()).height(), fuente.alto) << "the font as installed";
        const QRect b = v.CmdDisplayCancelar->geometry();
        EXPECT_EQ(b.height(), boton);
        EXPECT_EQ(b.top(), 160);
        EXPECT_EQ(v.height(), boton == 25 ? 186 : 160 + boton + 8);
        EXPECT_LE(std::abs(b.left() + b.right() - 522), 6) << "around the middle (208 + 320 as designed)";
        // "Abortado" fits the button too
        v.CmdDisplayCancelar->click();
        testutil::layout::ExpectWholeCaption(*v.CmdDisplayCancelar);
        cartel.CartelCerrar();
    }
}
