#include "platform/ui/keys.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

TEST(Keys, QtKeysToRuntimeCodes)
{
    const struct {
        int qt;
        Qt::KeyboardModifiers mods;
        int vb;
    } casos[] = {
        {Qt::Key_Return, Qt::NoModifier, 13},  {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Escape, Qt::NoModifier, 27},  {Qt::Key_Up, Qt::NoModifier, 38},
        {Qt::Key_Down, Qt::NoModifier, 40},    {Qt::Key_F12, Qt::NoModifier, 123},
        {Qt::Key_A, Qt::NoModifier, 65},       {Qt::Key_5, Qt::NoModifier, 53},
        {Qt::Key_5, Qt::KeypadModifier, 101},  {Qt::Key_Plus, Qt::KeypadModifier, 107},
        {Qt::Key_Plus, Qt::NoModifier, 0},     {Qt::Key_Space, Qt::NoModifier, 32},
        {Qt::Key_Backspace, Qt::NoModifier, 8}, {Qt::Key_Delete, Qt::NoModifier, 46},
    };
    for (const auto& c : casos) EXPECT_EQ(ui::vbKeyCode(c.qt, c.mods), c.vb) << std::hex << c.qt;
    EXPECT_EQ(ui::vbShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(ui::vbShiftState(Qt::ControlModifier), 2);
}

TEST(Keys, TypedCharacters)
{
    EXPECT_EQ(ui::keyAscii(QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A")), 65);
    EXPECT_EQ(ui::keyAscii(QKeyEvent(QEvent::KeyPress, Qt::Key_Comma, Qt::NoModifier, ",")), 44);
    EXPECT_EQ(ui::keyAscii(QKeyEvent(QEvent::KeyPress, Qt::Key_Ntilde, Qt::NoModifier, QString::fromUtf8("ñ"))), 241);
    EXPECT_EQ(ui::keyAscii(QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r")), 13);
    EXPECT_EQ(ui::keyAscii(QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier)), 27);
    EXPECT_EQ(ui::keyAscii(QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier)), 0);
}

}  // namespace
