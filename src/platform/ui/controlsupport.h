#pragma once
// What the list, tree and image-list controls share: the run-time errors
// with the old controls' numbers, position and size in twips, and the
// KeyDown / KeyPress events.
#include "platform/legacy/vberror.h"

#include <QString>
#include <QWidget>

#include <functional>

class QKeyEvent;

namespace ui {

enum ControlError : int {
    errControlArrayElement = 340,
    errAlreadyLoaded = 360,
    errDesignTimeControl = 362,
    errInvalidPropertyValue = 380,
    errSubscriptOutOfRange = 381,
    errIndexOutOfBounds = 35600,
    errElementNotFound = 35601,
    errKeyNotUnique = 35602,
};

[[noreturn]] void raiseControlError(int number);

// A control placed in twips, with the old Name and SetFocus.
class ControlWidget : public QWidget {
public:
    explicit ControlWidget(QWidget* parent = nullptr) : QWidget(parent) {}

    double Left() const;
    void setLeft(double twips);
    double Top() const;
    void setTop(double twips);
    double Width() const;
    void setWidth(double twips);
    double Height() const;
    void setHeight(double twips);
    QString Name() const { return objectName(); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
};

// HideSelection: with `hide` the selection of `view` is not shown while it
// has no focus; without, it stays marked in the colours of a button face.
void applyHideSelection(QWidget* view, const QPalette& base, bool hide);

// Runs KeyDown (key code and shift state) and then KeyPress (the typed
// character) for a key press; true when a handler set the code to 0, so the
// control's own handling of the key is skipped.
bool runKeyHandlers(const QKeyEvent& event, const std::function<void(int&, int)>& keyDown,
                    const std::function<void(int&)>& keyPress);

}  // namespace ui
