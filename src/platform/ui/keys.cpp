#include "platform/ui/keys.h"

#include "platform/legacy/textfile.h"

#include <QKeyEvent>

namespace ui {

int vbKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return (keypad ? vbKeyNumpad0 : vbKey0) + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return vbKeyA + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return vbKeyF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return vbKeyBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vbKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Shift: return vbKeyShift;
    case Qt::Key_Control: return vbKeyControl;
    case Qt::Key_Alt: return vbKeyMenu;
    case Qt::Key_Pause: return vbKeyPause;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Space: return vbKeySpace;
    case Qt::Key_PageUp: return vbKeyPageUp;
    case Qt::Key_PageDown: return vbKeyPageDown;
    case Qt::Key_End: return vbKeyEnd;
    case Qt::Key_Home: return vbKeyHome;
    case Qt::Key_Left: return vbKeyLeft;
    case Qt::Key_Up: return vbKeyUp;
    case Qt::Key_Right: return vbKeyRight;
    case Qt::Key_Down: return vbKeyDown;
    case Qt::Key_Insert: return vbKeyInsert;
    case Qt::Key_Delete: return vbKeyDelete;
    case Qt::Key_Asterisk: return keypad ? vbKeyMultiply : 0;
    case Qt::Key_Plus: return keypad ? vbKeyAdd : 0;
    case Qt::Key_Minus: return keypad ? vbKeySubtract : 0;
    case Qt::Key_Period:
    case Qt::Key_Comma: return keypad ? vbKeyDecimal : 0;
    case Qt::Key_Slash: return keypad ? vbKeyDivide : 0;
    }
    return 0;
}

int vbKeyCode(const QKeyEvent& event)
{
    return vbKeyCode(event.key(), event.modifiers());
}

int vbShiftState(Qt::KeyboardModifiers modifiers)
{
    int s = 0;
    if (modifiers & Qt::ShiftModifier) s |= vbShiftMask;
    if (modifiers & Qt::ControlModifier) s |= vbCtrlMask;
    if (modifiers & Qt::AltModifier) s |= vbAltMask;
    return s;
}

int keyAscii(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    }
    const QString text = event.text();
    if (text.isEmpty()) return 0;
    const QByteArray b = legacy::toWin1252(text.left(1));
    return b.isEmpty() ? 0 : int(quint8(b[0]));
}

}  // namespace ui
