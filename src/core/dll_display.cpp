#include "core/dll_display.h"

#include "core/lbf_ctrldisplay.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <memory>

Dll_Display::Dll_Display() = default;

Dll_Display::~Dll_Display()
{
    delete frm_;
}

Lbf_CtrlDisplay& Dll_Display::Frm()
{
    if (!frm_) {
        // A sign needs a windowing application; without one (a tool run
        // from a script) there is nothing to show.
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            throw legacy::VbError(91, QStringLiteral("No hay ventanas disponibles para el cartel"));
        frm_ = new Lbf_CtrlDisplay();
    }
    return *frm_;
}

QString Dll_Display::NuloAVacio(const legacy::Variant& Valor)
{
    if (Valor.IsNull())
        return QString();
    try {
        return Valor.toString();
    } catch (...) {
        return QString();
    }
}

void Dll_Display::CartelInicio(const QString& Titulo, int PermiteCancelar)
{
    // Opening the sign must never stop the work it accompanies.
    try {
        Lbf_CtrlDisplay& f = Frm();
        f.Timer1->setInterval(100);
        f.Timer1->start();
        f.setWindowTitle(Titulo);
        f.CmdDisplayCancelar->setVisible(PermiteCancelar != 0);
        f.show();
    } catch (...) {
    }
}

void Dll_Display::CartelMostrar(bool& Cancelado, const std::optional<legacy::Variant>& L1,
                                const std::optional<legacy::Variant>& l2, const std::optional<legacy::Variant>& l3)
{
    Lbf_CtrlDisplay& f = Frm();
    const std::optional<legacy::Variant>* lineas[3] = {&L1, &l2, &l3};
    for (int i = 0; i < 3; ++i) {
        if (lineas[i]->has_value())
            f.LblCtrol[i]->setText(NuloAVacio(**lineas[i]));
    }
    f.repaint();
    // Read before yielding: a click handled during this yield is reported by
    // the next call.
    Cancelado = f.CmdDisplayCancelar->text() == QLatin1String("Abortado");
    ui::DoEvents();
}

void Dll_Display::CartelCerrar()
{
    try {
        Lbf_CtrlDisplay& f = Frm();
        f.Timer1->setInterval(0);
        f.Timer1->stop();
        f.hide();
    } catch (...) {
    }
    delete frm_;
    frm_ = nullptr;
}

void Dll_Display::setSiempre_Visible(bool vNewValue)
{
    Lbf_CtrlDisplay& f = Frm();
    const bool visible = f.isVisible();
    f.setWindowFlag(Qt::WindowStaysOnTopHint, vNewValue);
    // Changing the window's flags hides it; an open sign stays shown.
    if (visible)
        f.show();
}

namespace ModGlobal {

Dll_Display& gCartel()
{
    static Dll_Display* cartel = new Dll_Display();
    return *cartel;
}

}  // namespace ModGlobal
