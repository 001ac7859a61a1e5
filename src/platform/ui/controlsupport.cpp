#include "platform/ui/controlsupport.h"

#include "platform/ui/colors.h"
#include "platform/ui/keys.h"
#include "platform/ui/textwidth.h"

#include <QKeyEvent>

#include <algorithm>

namespace ui {

void raiseControlError(int number)
{
    QString text;
    switch (number) {
    case errControlArrayElement: text = QStringLiteral("El elemento de la matriz de controles no existe"); break;
    case errAlreadyLoaded: text = QStringLiteral("El objeto ya está cargado"); break;
    case errDesignTimeControl: text = QStringLiteral("No se pueden descargar controles creados en tiempo de diseño"); break;
    case errSubscriptOutOfRange: text = QStringLiteral("Subíndice fuera del intervalo"); break;
    case errInvalidPropertyValue: text = QStringLiteral("El valor de la propiedad no es válido"); break;
    case errIndexOutOfBounds: text = QStringLiteral("Índice fuera de los límites"); break;
    case errElementNotFound: text = QStringLiteral("No se encontró el elemento"); break;
    case errKeyNotUnique: text = QStringLiteral("La clave no es única en la colección"); break;
    }
    throw legacy::VbError(number, text);
}

namespace {
// Twips as a whole number, rounded half away from zero.
long whole(double twips) { return long(twips >= 0 ? twips + 0.5 : twips - 0.5); }
}  // namespace

double ControlWidget::Left() const { return double(twipsLeft(*this)); }
void ControlWidget::setLeft(double twips) { setTwipsLeft(*this, whole(twips)); }
double ControlWidget::Top() const { return double(twipsTop(*this)); }
void ControlWidget::setTop(double twips) { setTwipsTop(*this, whole(twips)); }
double ControlWidget::Width() const { return double(twipsWidth(*this)); }
void ControlWidget::setWidth(double twips) { setTwipsWidth(*this, whole(twips)); }
double ControlWidget::Height() const { return double(twipsHeight(*this)); }
void ControlWidget::setHeight(double twips) { setTwipsHeight(*this, whole(twips)); }

void applyHideSelection(QWidget* view, const QPalette& base, bool hide)
{
    QPalette p = view->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               base.color(QPalette::Inactive, hide ? QPalette::Base : QPalette::Button));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               base.color(QPalette::Inactive, hide ? QPalette::Text : QPalette::ButtonText));
    view->setPalette(p);
}

bool runKeyHandlers(const QKeyEvent& event, const std::function<void(int&, int)>& keyDown,
                    const std::function<void(int&)>& keyPress)
{
    if (keyDown) {
        int code = vbKeyCode(event);
        if (code != 0) {
            keyDown(code, vbShiftState(event.modifiers()));
            if (code == 0) return true;
        }
    }
    if (keyPress) {
        int ascii = keyAscii(event);
        if (ascii != 0) {
            keyPress(ascii);
            if (ascii == 0) return true;
        }
    }
    return false;
}

}  // namespace ui
