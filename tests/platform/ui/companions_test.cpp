#include "platform/ui/companions.h"
#include "platform/ui/keys.h"
#include "platform/ui/textwidth.h"
#include "qt_app.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using testutil::errorOf;

namespace {

struct Companions : ::testing::Test {
    Companions() { testutil::testApp(); }
};

TEST_F(Companions, StatusBarPanelsAreOneBased)
{
    ui::StatusBar bar;
    bar.Panels().Add("Detalle");
    bar.Panels().Add("Stock", "Stock: 0");
    bar.Panels()(1).setText("A - Art");
    EXPECT_EQ(bar.Panels().Count(), 2);
    EXPECT_EQ(bar.Panels().Item(1).Text(), "A - Art");
    EXPECT_EQ(bar.Panels()(2).Key(), "Stock");
    EXPECT_EQ(bar.Panels()(2).Index(), 2);
    EXPECT_EQ(errorOf([&] { bar.Panels()(0); }), 35600);
    EXPECT_EQ(errorOf([&] { bar.Panels()(3).setText("x"); }), 35600);
}

TEST_F(Companions, TabControl)
{
    ui::SSTab tab;
    tab.setTabs(3);
    tab.setTabCaption(1, "Artículos");
    tab.setTabVisible(0, false);
    EXPECT_FALSE(tab.TabVisible(0));
    EXPECT_TRUE(tab.TabVisible(2));
    EXPECT_EQ(tab.TabCaption(1), "Artículos");
    int clicks = 0;
    tab.onClick = [&](int) { ++clicks; };
    tab.setTab(2);
    EXPECT_EQ(tab.Tab(), 2);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(errorOf([&] { tab.TabVisible(3); }), 381);
    EXPECT_EQ(errorOf([&] { tab.setTabCaption(-1, "x"); }), 381);
}

TEST_F(Companions, ToolbarButtonsByIndex)
{
    ui::Toolbar bar;
    bar.Buttons().Add("", "", "Llenar las demas celdas con el valor de las seleccionadas");
    bar.Buttons().Add("B", "Blanquear");
    std::vector<long> clicked;
    bar.onButtonClick = [&](ui::Button& b) { clicked.push_back(b.Index()); };
    bar.Buttons()(2).action()->trigger();
    bar.Buttons()(1).setEnabled(false);
    bar.Buttons()(1).action()->trigger();  // disabled: no click
    bar.Buttons()(1).setEnabled(true);
    bar.Buttons()(1).action()->trigger();
    EXPECT_EQ(clicked, (std::vector<long>{2, 1}));
    EXPECT_EQ(bar.Buttons()(1).ToolTipText(), "Llenar las demas celdas con el valor de las seleccionadas");
    EXPECT_EQ(bar.Buttons()(2).Key(), "B");
    EXPECT_EQ(errorOf([&] { bar.Buttons()(3); }), 35600);
}

TEST_F(Companions, ScrollBarRangeAndChange)
{
    ui::HScrollBar bar;
    int changes = 0;
    bar.onChange = [&] { ++changes; };
    bar.setMax(3204);
    bar.setValue(3000);
    EXPECT_EQ(changes, 1);
    bar.setMax(100);  // the value follows the range
    EXPECT_EQ(bar.Value(), 100);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(errorOf([&] { bar.setValue(101); }), 380);
    EXPECT_EQ(errorOf([&] { bar.setValue(-1); }), 380);
    bar.setWidth(4500);
    EXPECT_EQ(bar.Width(), 4500);
}

TEST_F(Companions, ComboBoxArrayLoadsCopiesAndRoutesEvents)
{
    QWidget panel;
    ui::ComboBoxArray boxes(&panel);
    boxes(0).setToolTipText("F5 realiza nueva busqueda");
    boxes(0).setTag("IdArticulo");
    boxes(0).setWidth(1500);
    boxes.Load(1);
    EXPECT_EQ(errorOf([&] { boxes.Load(1); }), 360);
    EXPECT_EQ(errorOf([&] { boxes(2); }), 340);
    EXPECT_EQ(errorOf([&] { boxes.Unload(0); }), 362);
    EXPECT_EQ(boxes(1).ToolTipText(), "F5 realiza nueva busqueda");
    EXPECT_EQ(boxes(1).Width(), 1500);
    EXPECT_FALSE(boxes(1).Visible());
    EXPECT_EQ(boxes.UBound(), 1);

    std::vector<int> changed;
    boxes.onChange = [&](int i) { changed.push_back(i); };
    boxes(1).setText("abc");
    EXPECT_EQ(changed, std::vector<int>{1});

    // KeyDown may drop a key, KeyPress may change the typed character.
    std::vector<int> downs;
    boxes.onKeyDown = [&](int i, int& code, int) {
        downs.push_back(i);
        if (code == ui::vbKeyF1 + 4)
            code = 0;
    };
    boxes.onKeyPress = [](int, int& ascii) {
        if (ascii == 'a')
            ascii = 'B';
    };
    boxes(1).setText("");
    for (auto [k, t] : {std::pair{int(Qt::Key_F5), QString()}, std::pair{int(Qt::Key_A), QString("a")}}) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, t);
        QApplication::sendEvent(&boxes(1), &e);
    }
    EXPECT_EQ(boxes(1).Text(), "B");
    EXPECT_EQ(downs, (std::vector<int>{1, 1}));

    boxes.Unload(1);
    EXPECT_FALSE(boxes.IsLoaded(1));
    boxes.Load(1);  // loadable again once unloaded
}

TEST_F(Companions, SerialPortStoresAndNeverRaises)
{
    ui::MSComm comm;
    bool raised = false;
    comm.onComm = [&] { raised = true; };
    comm.setCommPort(3);
    comm.setPortOpen(true);
    EXPECT_EQ(comm.CommPort(), 3);
    EXPECT_TRUE(comm.PortOpen());
    EXPECT_FALSE(raised);
}

TEST_F(Companions, TextWidthInTwips)
{
    QFont small = QApplication::font();
    small.setPointSize(8);
    QFont big = small;
    big.setPointSize(16);
    EXPECT_EQ(ui::TextWidth("", small), 0);
    const long w = ui::TextWidth(QString(10, 'X'), small);
    EXPECT_GT(w, 0);
    EXPECT_EQ(w % 15, 0);  // whole pixels
    EXPECT_GT(ui::TextWidth(QString(10, 'X'), big), w);
    EXPECT_GT(ui::TextWidth(QString(11, 'X'), small), w);
}

}  // namespace
