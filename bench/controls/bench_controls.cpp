// Filling the legacy controls as the voucher and lookup windows do: a
// 120 x 10,000 grid through setTextMatrix and a 100,000-item list with 6
// sub-items through ListItems().Add / setSubItems, each shown and painted
// once at the end, against filling a std::vector<QString> with the same
// texts. The list is also filled with a yield (DoEvents) after every row, as
// the lookups do, against the same fill without. Several rounds; prints the
// best times and the ratios (targets: grid and list at most 3x; with the
// yields a few times the fill without). Also prints the time to build a tree
// of 20,000 nodes.
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/listview.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/treeview.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kGridRows = 10000;
constexpr int kGridCols = 120;
constexpr int kListRows = 100000;
constexpr int kSubItems = 6;
constexpr int kRounds = 3;

QString cellText(int row, int col)
{
    return QString::number(row * 131 + col);
}

double best(const std::function<void()>& run)
{
    double t = 1e300;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        t = std::min(t, double(timer.nsecsElapsed()) / 1e6);
    }
    return t;
}

void vectorFill(int rows, int cols)
{
    std::vector<QString> cells(size_t(rows) * size_t(cols));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) cells[size_t(r) * size_t(cols) + size_t(c)] = cellText(r, c);
}

void gridFill()
{
    ui::MSFlexGrid grid;
    grid.resize(800, 600);
    grid.show();
    grid.setCols(kGridCols);
    grid.setRows(kGridRows);
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < kGridCols; ++c) grid.setTextMatrix(r, c, cellText(r, c));
    QCoreApplication::processEvents();
}

void listFill(bool yield)
{
    ui::ListView list;
    list.resize(800, 600);
    list.show();
    for (int c = 0; c <= kSubItems; ++c) list.ColumnHeaders().Add(0, {}, QStringLiteral("C%1").arg(c), 1200);
    QCoreApplication::processEvents();
    for (int r = 0; r < kListRows; ++r) {
        ui::ListItem& item = list.ListItems().Add();
        item.setText(cellText(r, 0));
        for (int s = 1; s <= kSubItems; ++s) item.setSubItems(s, cellText(r, s));
        if (yield) ui::DoEvents();
    }
    QCoreApplication::processEvents();
}

// 20,000 nodes in four levels under an open root, as the tree lookup builds
// them (key "A" + code, added as a child of its parent's key).
constexpr int kTreeNodes = 20000;

void treeFill()
{
    ui::TreeView tree;
    tree.resize(400, 600);
    tree.show();
    tree.Nodes().Add(nullptr, ui::tvwLast, "A", "Consulta...").setExpanded(true);
    int added = 0;
    for (int a = 0; added < kTreeNodes; ++a) {
        const QString ka = QStringLiteral("A%1").arg(a, 2, 10, QLatin1Char('0'));
        tree.Nodes().Add("A", ui::tvwChild, ka, ka);
        ++added;
        for (int b = 0; b < 10 && added < kTreeNodes; ++b) {
            const QString kb = ka + QString::number(b);
            tree.Nodes().Add(ka, ui::tvwChild, kb, kb);
            ++added;
            for (int c = 0; c < 20 && added < kTreeNodes; ++c) {
                const QString kc = kb + QStringLiteral("%1").arg(c, 2, 10, QLatin1Char('0'));
                tree.Nodes().Add(kb, ui::tvwChild, kc, kc);
                ++added;
            }
        }
    }
    QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::PrepareApplication();

    const double gridBase = best([] { vectorFill(kGridRows, kGridCols); });
    const double grid = best(gridFill);
    const double listBase = best([] { vectorFill(kListRows, kSubItems + 1); });
    const double list = best([] { listFill(false); });
    const double listYield = best([] { listFill(true); });
    const double tree = best(treeFill);

    std::printf("grid %d x %d: vector %.1f ms, MSFlexGrid %.1f ms, ratio %.2f (target <= 3)\n", kGridCols,
                kGridRows, gridBase, grid, grid / gridBase);
    std::printf("list %d x (1 + %d): vector %.1f ms, ListView %.1f ms, ratio %.2f (target <= 3)\n", kListRows,
                kSubItems, listBase, list, list / listBase);
    std::printf("list with a yield per row: %.1f ms, ratio %.2f against the fill without\n", listYield,
                listYield / list);
    std::printf("tree of %d nodes in four levels: %.1f ms\n", kTreeNodes, tree);
    return 0;
}
