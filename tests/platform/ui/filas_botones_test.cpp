// A row of buttons widening to its captions, and a line of controls growing
// to the right: where each ends up.
#include "platform/ui/fitting.h"
#include "qt_app.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FilaDeBotones, WidensKeepingGapsAnchorAndMargin)
{
    testutil::testApp();
    QWidget medida;
    QPushButton ref(QStringLiteral("Cerrar Sistema"), &medida);
    ref.resize(10, 30);
    const int n = ui::CaptionSize(ref).width();  // what "Cerrar Sistema" needs
    ASSERT_GT(n, 40);
    ASSERT_LT(n, 110);
    // Two buttons of `ancho1`/`ancho2` 10 pixels apart from 150, in a
    // window 500 wide; "Ok" fits any of them, "Cerrar Sistema" needs n.
    struct Caso {
        const char* nombre;
        ui::RowAnchor anclaje;
        int ancho1, ancho2;
        const char* texto1;
        int x1, w1, x2, w2, falta;
    };
    const int centro = (500 - (2 * n + 10)) / 2;
    const Caso casos[] = {
        {"fits: nothing moves", ui::RowAnchor::Centre, 50, 50, "Ok", 150, 50, 210, 50, 0},
        // one width: both take the widest caption, the gap stays 10
        {"left", ui::RowAnchor::Left, 50, 50, "Cerrar Sistema", 150, n, 150 + n + 10, n, 0},
        {"centre", ui::RowAnchor::Centre, 50, 50, "Cerrar Sistema", centro, n, centro + n + 10, n, 0},
        {"right", ui::RowAnchor::Right, 50, 50, "Cerrar Sistema", 260 - (2 * n + 10), n, 260 - n, n, 0},
        // of two widths: only the one that needs it grows
        {"two widths", ui::RowAnchor::Left, 50, 40, "Cerrar Sistema", 150, n, 150 + n + 10, 40, 0},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        QWidget ventana;
        ventana.resize(500, 100);
        QPushButton a(QString::fromLatin1(c.texto1), &ventana), b(QStringLiteral("Ok"), &ventana);
        a.setFont(ref.font());
        a.setGeometry(150, 50, c.ancho1, 30);
        b.setGeometry(150 + c.ancho1 + 10, 50, c.ancho2, 30);
        EXPECT_EQ(ui::GrowButtonRow({&a, &b}, c.anclaje, 8), c.falta);
        EXPECT_EQ(a.geometry(), QRect(c.x1, 50, c.w1, 30));
        EXPECT_EQ(b.geometry(), QRect(c.x2, 50, c.w2, 30));
    }
    // Three buttons of one width in 16 points, which need 3 n16 + 20 of the
    // 284 pixels between the margins: laid out from the left margin, what
    // they lack asked of the window.
    QFont grande = ref.font();
    grande.setPointSize(16);
    ref.setFont(grande);
    const int n16 = ui::CaptionSize(ref).width();
    ASSERT_GT(3 * n16 + 20, 284);
    QWidget ventana;
    ventana.resize(300, 100);
    std::vector<QPushButton*> fila;
    for (int i = 0; i < 3; ++i) {
        fila.push_back(new QPushButton(QStringLiteral("Cerrar Sistema"), &ventana));
        fila.back()->setFont(grande);
        fila.back()->setGeometry(40 + 60 * i, 50, 50, 30);
    }
    EXPECT_EQ(ui::GrowButtonRow(fila, ui::RowAnchor::Right, 8), 3 * n16 + 20 - 284);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(fila[i]->geometry(), QRect(8 + (n16 + 10) * i, 50, n16, 30)) << i;
}

TEST(LineaDeControles, EachGrowsToItsNeedAndMovesWhatFollows)
{
    testutil::testApp();
    QWidget ventana;
    ventana.resize(600, 100);
    QLineEdit uno(&ventana), dos(&ventana);
    QPushButton tres(&ventana);
    uno.setGeometry(8, 8, 100, 20);
    dos.setGeometry(115, 8, 100, 20);
    tres.setGeometry(222, 8, 50, 20);
    // the first needs 30 more, the second fits, the third needs 5 more
    EXPECT_EQ(ui::GrowAlongLine({{&uno, 130}, {&dos, 90}, {&tres, 55}}), 35);
    EXPECT_EQ(uno.geometry(), QRect(8, 8, 130, 20));
    EXPECT_EQ(dos.geometry(), QRect(145, 8, 100, 20));
    EXPECT_EQ(tres.geometry(), QRect(252, 8, 55, 20));
    EXPECT_EQ(ui::GrowAlongLine({{&uno, 130}, {&dos, 90}, {&tres, 55}}), 0) << "a second time nothing moves";
    EXPECT_EQ(tres.geometry(), QRect(252, 8, 55, 20));
}

}  // namespace
