#include "platform/ui/colors.h"

#include "qt_app.h"

#include <QPalette>

#include <gtest/gtest.h>

namespace {

TEST(Colors, LongValuesAndQColor)
{
    static_assert(ui::RGB(230, 243, 255) == 0xFFF3E6);
    static_assert(ui::RGB(255, 0, 0) == ui::vbRed);
    static_assert(ui::RGB(0, 0, 255) == ui::vbBlue);
    static_assert(ui::vbButtonFace == -2147483633);  // &H8000000F as the runtime's Long

    const struct {
        long long value;
        QColor color;
    } casos[] = {
        {0xC0FFFF, QColor(255, 255, 192)},  // pale yellow total rows
        {0xC0E0FF, QColor(255, 224, 192)},  // pale orange
        {0xFF0000, QColor(0, 0, 255)},
        {0x80FF, QColor(255, 128, 0)},      // orange
        {0xFFFF00, QColor(0, 255, 255)},    // cyan search box
        {0, QColor(0, 0, 0)},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(ui::toQColor(c.value), c.color) << std::hex << c.value;
        EXPECT_EQ(ui::fromQColor(c.color), c.value) << std::hex << c.value;
    }
}

TEST(Colors, SystemColoursFollowThePalette)
{
    testApp();
    EXPECT_TRUE(ui::isSystemColor(ui::vbWindowBackground));
    EXPECT_TRUE(ui::isSystemColor(0x80000005LL));  // read back from text as an unsigned number
    EXPECT_FALSE(ui::isSystemColor(ui::vbWhite));
    const QPalette pal = QApplication::palette();
    EXPECT_EQ(ui::toQColor(ui::vbWindowBackground), pal.color(QPalette::Base));
    EXPECT_EQ(ui::toQColor(ui::vbButtonFace), pal.color(QPalette::Button));
    EXPECT_EQ(ui::toQColor(ui::vbHighlight), pal.color(QPalette::Highlight));
}

TEST(Colors, Twips)
{
    static_assert(ui::twipsToPixels(15) == 1);
    static_assert(ui::twipsToPixels(1200) == 80);
    static_assert(ui::twipsToPixels(22) == 1);
    static_assert(ui::twipsToPixels(23) == 2);
    static_assert(ui::twipsToPixels(-30) == -2);
    static_assert(ui::pixelsToTwips(80) == 1200);
}

}  // namespace
