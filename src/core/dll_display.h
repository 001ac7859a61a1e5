#pragma once
// The progress sign: a small borderless, semi-transparent window centred on
// the screen with up to three lines of text above a looping picture, shown
// modeless while long work runs on the program's one thread.
//   sign.CartelInicio("Conectando Base de Datos", 0);
//   sign.CartelMostrar(cancelado, "Iniciando Aplicacion", exe, "Espere por favor");
//   sign.CartelCerrar();
#include "platform/legacy/variant.h"

#include <QString>

#include <optional>

class Lbf_CtrlDisplay;

class Dll_Display {
public:
    Dll_Display();
    ~Dll_Display();
    Dll_Display(const Dll_Display&) = delete;
    Dll_Display& operator=(const Dll_Display&) = delete;

    // Opens the sign: starts the animation, sets the title, shows the cancel
    // button when PermiteCancelar is not 0, shows the window modeless.
    void CartelInicio(const QString& Titulo, int PermiteCancelar = 0);
    // Replaces each line given (Null shows empty), repaints, reports whether
    // the operator clicked the cancel button, and lets pending events run once.
    void CartelMostrar(bool& Cancelado, const std::optional<legacy::Variant>& L1 = std::nullopt,
                       const std::optional<legacy::Variant>& l2 = std::nullopt,
                       const std::optional<legacy::Variant>& l3 = std::nullopt);
    // Stops the animation and closes the window.
    void CartelCerrar();
    // Keeps the sign above every other window (or not).
    void setSiempre_Visible(bool vNewValue);

    // For tests and callers that look: the window while there is one.
    Lbf_CtrlDisplay* ventana() const { return frm_; }

private:
    Lbf_CtrlDisplay& Frm();  // the window, created and loaded on first use
    static QString NuloAVacio(const legacy::Variant& Valor);

    Lbf_CtrlDisplay* frm_ = nullptr;  // owned; dropped by CartelCerrar
};

namespace ModGlobal {
// The program's shared sign, created on first use.
Dll_Display& gCartel();
}  // namespace ModGlobal
