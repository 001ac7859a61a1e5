// One window with a grid, a list and a tree as the voucher and lookup
// windows fill them, written to <build>/controls.png to judge their look.
#include "platform/ui/imagelist.h"
#include "support/layout_check.h"
#include "platform/ui/listview.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/treeview.h"
#include "qt_app.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(ControlsPicture, GridListAndTree)
{
    testApp();
    QWidget window;
    window.setWindowTitle("Controles");
    auto* layout = new QHBoxLayout(&window);

    auto* grid = new ui::MSFlexGrid(&window);
    grid->setCols(4);
    grid->setRows(8);
    const char* heads[] = {"Articulo", "Descripcion", "Cantidad", "Precio"};
    const long widths[] = {1200, 2400, 1000, 1000};
    for (int c = 0; c < 4; ++c) {
        grid->setTextMatrix(0, c, heads[c]);
        grid->setColWidth(c, widths[c]);
    }
    for (int r = 1; r < 8; ++r) {
        grid->setTextMatrix(r, 0, QStringLiteral("ART%1").arg(r, 3, 10, QLatin1Char('0')));
        grid->setTextMatrix(r, 1, QStringLiteral("Articulo de prueba %1").arg(r));
        grid->setTextMatrix(r, 2, QString::number(r * 2));
        grid->setTextMatrix(r, 3, QStringLiteral("%1.50").arg(r * 10));
    }
    grid->setRow(3);
    grid->setCol(2);
    grid->setCellForeColor(ui::vbRed);
    layout->addWidget(grid, 3);

    ui::ImageList images;
    QPixmap icon(16, 16);
    icon.fill(Qt::transparent);
    {
        QPainter p(&icon);
        p.setBrush(QColor(0, 120, 215));
        p.drawRect(2, 2, 11, 11);
    }
    images.ListImages().Add(0, "FC", icon).setTag("FC");
    auto* list = new ui::ListView(&window);
    list->setSmallIcons(&images);
    list->setCheckboxes(true);
    list->setGridLines(true);
    list->setFullRowSelect(true);
    list->setHideSelection(false);
    for (const auto& [text, width] : {std::pair{"Fecha", 1650.0}, {"Numero", 1900.0}, {"Nombre", 1700.0}})
        list->ColumnHeaders().Add(0, {}, text, width);
    for (int r = 1; r <= 30; ++r) {
        ui::ListItem& it = list->ListItems().Add(0, {}, QStringLiteral("%1/12/26").arg(r % 28 + 1, 2, 10, QLatin1Char('0')), 1, 1);
        it.setSubItems(1, QStringLiteral("0001%1A").arg(r, 8, 10, QLatin1Char('0')));
        it.setSubItems(2, QStringLiteral("Cliente %1").arg(r));
        if (r % 4 == 0) {
            it.ListSubItems(2).setBold(true);
            it.ListSubItems(2).setForeColor(33023);
        }
        it.setChecked(r % 3 == 0);
    }
    list->setSortKey(1);
    list->setSortOrder(ui::lvwDescending);
    list->setSorted(true);
    list->setSelectedItem(&list->ListItems().Item(2));
    layout->addWidget(list, 4);

    auto* tree = new ui::TreeView(&window);
    tree->setLineStyle(ui::tvwRootLines);
    tree->setCheckboxes(true);
    tree->Nodes().Add(nullptr, ui::tvwLast, "A", "Consulta...").setExpanded(true);
    const char* rows[][3] = {{"A", "A01", "01 - Bebidas"},   {"A01", "A0101", "0101 - Aguas"},
                             {"A01", "A0102", "0102 - Jugos"}, {"A", "A02", "02 - Limpieza"},
                             {"A02", "A0201", "0201 - Detergentes"}};
    for (auto& r : rows) tree->Nodes().Add(QString::fromLatin1(r[0]), ui::tvwChild, r[1], r[2]);
    tree->Nodes().Item(QStringLiteral("A0102")).EnsureVisible();
    tree->Nodes().Item(QStringLiteral("A0101")).setChecked(true);
    tree->setSelectedItem(&tree->Nodes().Item(QStringLiteral("A0102")));
    layout->addWidget(tree, 2);

    window.resize(1200, 420);
    window.show();
    QCoreApplication::processEvents();
    const QString file = QDir(QStringLiteral(VORDANE_BINARY_DIR)).filePath(QStringLiteral("controls.png"));
    EXPECT_TRUE(window.grab().save(file)) << file.toStdString();
    testutil::ExpectWholeLabels(window);
}

}  // namespace
