#pragma once
// Keys as the runtime's key events give them: KeyDown/KeyUp receive a key
// code (vbKey...) and a shift state (1 Shift, 2 Ctrl, 4 Alt); KeyPress
// receives the typed character's code (KeyAscii, Windows-1252).
#include <Qt>

class QKeyEvent;

namespace ui {

enum VbKeyCode : int {
    vbKeyBack = 8,
    vbKeyTab = 9,
    vbKeyReturn = 13,
    vbKeyShift = 16,
    vbKeyControl = 17,
    vbKeyMenu = 18,
    vbKeyPause = 19,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKeyInsert = 45,
    vbKeyDelete = 46,
    vbKey0 = 48,     // to vbKey9 = 57
    vbKeyA = 65,     // to vbKeyZ = 90
    vbKeyNumpad0 = 96,  // to vbKeyNumpad9 = 105
    vbKeyMultiply = 106,
    vbKeyAdd = 107,
    vbKeySubtract = 109,
    vbKeyDecimal = 110,
    vbKeyDivide = 111,
    vbKeyF1 = 112,   // to vbKeyF12 = 123
};

enum VbShiftMask : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// The runtime's key code of a Qt key (0 when it has none). With the keypad
// modifier, digits and operators give their keypad codes.
int vbKeyCode(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
int vbKeyCode(const QKeyEvent& event);
// The shift state: 1 Shift, 2 Ctrl, 4 Alt, added up.
int vbShiftState(Qt::KeyboardModifiers modifiers);
// The KeyPress code of an event: the typed character in Windows-1252 (Enter
// 13, Escape 27, Backspace 8, Tab 9); 0 when the key types nothing.
int keyAscii(const QKeyEvent& event);

}  // namespace ui
