#include "platform/ui/fitting.h"
#include "platform/ui/keys.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/textwidth.h"
#include "support/layout_check.h"
#include "qt_app.h"

#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

using testutil::errorOf;
using ui::MSFlexGrid;

namespace {

void key(QWidget& w, int qtKey, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent e(QEvent::KeyPress, qtKey, mods, text);
    QApplication::sendEvent(&w, &e);
}

void click(MSFlexGrid& g, QPoint inGrid)
{
    // Mouse events go to the cell area, whose origin is inside the frame.
    const QPoint p = g.viewport()->mapFrom(&g, inGrid);
    QMouseEvent press(QEvent::MouseButtonPress, p, g.viewport()->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(g.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, g.viewport()->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(g.viewport(), &release);
}

struct Fixture : ::testing::Test {
    Fixture() { testutil::testApp(); }
};
using FlexGrid = Fixture;

TEST_F(FlexGrid, AddressingIncludesFixedCellsAndTextArray)
{
    MSFlexGrid g;
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Cols(), 2);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.Row(), 1);
    g.setCols(24);
    g.setRows(3);
    g.setTextArray(5, "Importe");  // row 0, column 5
    g.setTextMatrix(0, 0, "Código");
    g.setTextMatrix(2, 23, "21");
    EXPECT_EQ(g.TextMatrix(0, 5), "Importe");
    EXPECT_EQ(g.TextArray(0), "Código");
    EXPECT_EQ(g.TextArray(2 * 24 + 23), "21");
    g.setRow(0);
    g.setCol(0);
    EXPECT_EQ(g.Text(), "Código");
    g.setText("Cod");
    EXPECT_EQ(g.TextMatrix(0, 0), "Cod");

    // Shrinking drops cells; growing again brings them back empty.
    g.setRow(2);
    g.setRows(2);
    EXPECT_EQ(g.Row(), 1);
    g.setRows(3);
    g.setCols(2);
    g.setCols(24);
    EXPECT_EQ(g.TextMatrix(2, 23), "");
    EXPECT_EQ(g.TextMatrix(0, 5), "");
    EXPECT_EQ(g.TextMatrix(0, 0), "Cod");

    // Clear empties cells and formats, and keeps the layout.
    g.setColWidth(3, 0);
    g.setRow(1);
    g.setCol(1);
    g.setCellBackColor(ui::vbRed);
    g.Clear();
    EXPECT_EQ(g.TextMatrix(0, 0), "");
    EXPECT_NE(g.CellBackColor(), ui::vbRed);
    EXPECT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.Cols(), 24);
    EXPECT_EQ(g.ColWidth(3), 0);
}

TEST_F(FlexGrid, ErrorNumbers)
{
    MSFlexGrid g;
    g.setRows(3);
    g.setCols(4);
    const struct {
        const char* what;
        std::function<void()> f;
        long number;
    } cases[] = {
        {"row past the end", [&] { g.TextMatrix(3, 0); }, 381},
        {"negative row", [&] { g.setTextMatrix(-1, 0, "x"); }, 381},
        {"column past the end", [&] { g.TextMatrix(0, 4); }, 381},
        {"TextArray past the end", [&] { g.TextArray(12); }, 381},
        {"Row = Rows", [&] { g.setRow(3); }, 381},
        {"Col = -1", [&] { g.setCol(-1); }, 381},
        {"ColWidth of a missing column", [&] { g.ColWidth(4); }, 381},
        {"TopRow past the end", [&] { g.setTopRow(3); }, 381},
        {"RowSel past the end", [&] { g.setRowSel(3); }, 381},
        {"negative width", [&] { g.setColWidth(0, -1); }, 380},
        {"more fixed rows than rows", [&] { g.setFixedRows(4); }, 380},
        {"alignment 10", [&] { g.setCellAlignment(10); }, 380},
        {"column alignment -1", [&] { g.setColAlignment(1, -1); }, 380},
        {"negative Rows", [&] { g.setRows(-1); }, 380},
        {"last row", [&] { g.TextMatrix(2, 3); }, 0},
        {"fixed cell", [&] { g.setRow(0); g.setCol(0); g.setCellBackColor(ui::vbBlue); }, 0},
        {"TopRow past the scroll end is kept inside", [&] { g.setTopRow(2); }, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf(c.f), c.number) << c.what;
}

TEST_F(FlexGrid, CodeSetCellFiresNoHandlerUserMovesDo)
{
    MSFlexGrid g;
    g.setRows(5);
    g.setCols(4);
    g.setColWidth(2, 0);  // hidden: the user steps over it
    std::vector<std::string> seen;
    g.onLeaveCell = [&] { seen.push_back("leave " + std::to_string(g.Row()) + "," + std::to_string(g.Col())); };
    g.onEnterCell = [&] { seen.push_back("enter " + std::to_string(g.Row()) + "," + std::to_string(g.Col())); };
    g.onRowColChange = [&] { seen.push_back("change"); };
    g.onKeyPress = [&](int& k) { seen.push_back("press " + std::to_string(k)); };

    g.setRow(3);
    g.setCol(2);
    g.setRows(8);
    g.setTopRow(2);
    g.setCol(1);
    EXPECT_TRUE(seen.empty());

    key(g, Qt::Key_Right);
    key(g, Qt::Key_Up);
    key(g, Qt::Key_Return, "\r");
    const std::vector<std::string> expected = {"leave 3,1", "enter 3,3", "change",  "leave 3,3",
                                               "enter 2,3", "change",    "press 13"};
    EXPECT_EQ(seen, expected);

    // The user never enters a fixed row; a key the handler drops does nothing.
    g.setRow(1);
    seen.clear();
    key(g, Qt::Key_Up);
    EXPECT_EQ(g.Row(), 1);
    g.onKeyDown = [](int& code, int) {
        if (code == ui::vbKeyDown)
            code = 0;
    };
    key(g, Qt::Key_Down);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_TRUE(seen.empty());
}

TEST_F(FlexGrid, FormattingAppliesToCellOrSelection)
{
    MSFlexGrid g;
    g.setRows(6);
    g.setCols(5);
    auto backAt = [&](long r, long c) {
        g.setRow(r);
        g.setCol(c);
        return g.CellBackColor();
    };
    const ui::VbColor plain = backAt(1, 1);

    // Single: only the current cell.
    g.setRow(2);
    g.setCol(3);
    g.setCellForeColor(ui::vbWhite);
    g.setCellBackColor(0xC0FFFF);
    EXPECT_EQ(g.CellForeColor(), ui::vbWhite);
    EXPECT_EQ(backAt(2, 3), 0xC0FFFF);
    EXPECT_EQ(backAt(2, 2), plain);

    // Repeat: the selection, in either order of its corners.
    g.setRow(4);
    g.setCol(3);
    g.setRowSel(3);
    g.setColSel(1);
    g.setFillStyle(ui::flexFillRepeat);
    g.setCellBackColor(ui::vbRed);
    g.setCellAlignment(ui::flexAlignRightCenter);
    g.setText("x");
    g.setFillStyle(ui::flexFillSingle);
    for (long r = 0; r < 6; ++r)
        for (long c = 0; c < 5; ++c) {
            const bool in = r >= 3 && r <= 4 && c >= 1 && c <= 3;
            EXPECT_EQ(g.TextMatrix(r, c), in ? "x" : "") << r << "," << c;
            EXPECT_EQ(backAt(r, c) == ui::vbRed, in) << r << "," << c;
            EXPECT_EQ(g.CellAlignment() == ui::flexAlignRightCenter, in) << r << "," << c;
        }
    // Setting Row or Col collapses the selection.
    EXPECT_EQ(g.RowSel(), g.Row());
    EXPECT_EQ(g.ColSel(), g.Col());
    // Unformatted cells report the column's alignment.
    g.setColAlignment(4, ui::flexAlignLeftCenter);
    g.setRow(1);
    g.setCol(4);
    EXPECT_EQ(g.CellAlignment(), ui::flexAlignLeftCenter);
}

TEST_F(FlexGrid, CellGeometryMatchesWhereTheCellIs)
{
    QWidget form;
    form.resize(700, 400);
    MSFlexGrid g(&form);
    g.setLeft(600);
    g.setTop(300);
    g.setWidth(6000);
    g.setHeight(2400);
    g.setRows(40);
    g.setCols(6);
    const long x10 = ui::TextWidth(QString(10, 'X'), form.font());
    g.setColWidth(0, x10);
    g.setColWidth(1, 0);
    g.setColWidth(2, 1000);
    form.show();

    // A hidden column takes no room: column 2 starts where column 1 does.
    g.setRow(5);
    g.setCol(1);
    const long left1 = g.CellLeft();
    EXPECT_EQ(g.CellWidth(), 0);
    g.setCol(2);
    EXPECT_EQ(g.CellLeft(), left1);
    EXPECT_EQ(g.ColWidth(0), x10);  // widths read back as set
    EXPECT_EQ(g.CellWidth(), 1005);  // 1000 twips shown as 67 pixels

    // The cell's first pixel (CellLeft, CellTop) belongs to the cell, the
    // pixel before it to its neighbour, scrolled or not.
    for (long top : {1L, 4L}) {
        g.setTopRow(top);
        g.setRow(6);
        g.setCol(3);
        const int x = int(g.CellLeft() / 15), y = int(g.CellTop() / 15);
        const struct {
            QPoint at;
            long row, col;
        } hits[] = {{{x, y}, 6, 3}, {{x - 1, y}, 6, 2}, {{x, y - 1}, 5, 3},
                    {{x + int(g.CellWidth() / 15) - 1, y + int(g.CellHeight() / 15) - 1}, 6, 3}};
        for (const auto& h : hits) {
            g.setRow(1);
            g.setCol(4);
            click(g, h.at);
            EXPECT_EQ(g.Row(), h.row) << "TopRow " << top << " at " << h.at.x() << "," << h.at.y();
            EXPECT_EQ(g.Col(), h.col) << "TopRow " << top << " at " << h.at.x() << "," << h.at.y();
        }
    }
    // Reading the geometry does not scroll: a row below the view lies
    // beyond the grid's height.
    g.setTopRow(1);
    g.setRow(39);
    EXPECT_GT(g.CellTop() + g.CellHeight(), g.Height());
    EXPECT_EQ(g.TopRow(), 1);
}

TEST_F(FlexGrid, PaintsHeadersColoursAndHiddenColumns)
{
    MSFlexGrid g;
    g.resize(400, 200);
    g.setRows(4);
    g.setCols(4);
    g.setColWidth(1, 0);
    for (long c = 0; c < 4; ++c)
        g.setTextMatrix(0, c, QString("T%1").arg(c));
    g.setRow(2);
    g.setCol(2);
    g.setCellBackColor(0xC0E0FF);  // pale orange
    g.setRow(1);
    g.setCol(3);
    g.show();
    const QImage img = g.grab().toImage();
    img.save(QDir(QStringLiteral(VORDANE_BINARY_DIR)).filePath(QStringLiteral("msflexgrid.png")));
    testutil::ExpectWholeLabels(g);

    auto pixelAt = [&](long r, long c) {
        g.setRow(r);
        g.setCol(c);
        return img.pixelColor(int((g.CellLeft() + 30) / 15), int((g.CellTop() + g.CellHeight() - 45) / 15));
    };
    EXPECT_EQ(pixelAt(2, 2), ui::toQColor(0xC0E0FF));
    EXPECT_EQ(pixelAt(3, 3), g.palette().color(QPalette::Base));
    EXPECT_NE(pixelAt(0, 2), g.palette().color(QPalette::Base));  // header look
    EXPECT_NE(pixelAt(2, 0), g.palette().color(QPalette::Base));

    // A text wider than its cell is cut where its alignment hides it, the mark
    // in the place of what is missing; one that fits shows whole.
    const QFontMetrics fm(g.font());
    for (const auto& [texto, alineacion, queda] : {std::tuple{"1234567.89", Qt::AlignRight, "7.89"},
                                                   {"PROV-OMEGA-0451", Qt::AlignHCenter, "0451"},
                                                   {"Deudores por ventas", Qt::AlignLeft, "Deud"}}) {
        const int ancho = fm.horizontalAdvance(QString::fromUtf8(texto));
        EXPECT_EQ(ui::CellText(QString::fromUtf8(texto), fm, ancho, alineacion), QString::fromUtf8(texto));
        const QString corto = ui::CellText(QString::fromUtf8(texto), fm, ancho - 1, alineacion);
        EXPECT_TRUE(corto.contains(u'…') && corto.contains(QString::fromUtf8(queda)) &&
                    fm.horizontalAdvance(corto) < ancho) << corto.toStdString();
    }
}

}  // namespace
