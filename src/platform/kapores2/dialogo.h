#pragma once
// The open-file dialog object (`Dialogo`): title and filter are set, the
// dialog is shown, then the chosen path and the result flag are read.
#include <QString>

namespace kapores2 {

class Dialogo {
public:
    void DialogoTitulo(const QString& titulo) { titulo_ = titulo; }
    // The runtime's filter text: "Descripción|*.ext|Todos|*.*".
    void DialogoFiltro(const QString& filtro) { filtro_ = filtro; }
    void DialogoCarpeta(const QString& carpeta) { carpeta_ = carpeta; }
    // Shows the dialog modally (through ui::dialogs()).
    void DialogoAbrir();
    // The chosen path; "" when nothing was chosen.
    QString DialogoArchivo() const { return archivo_; }
    // True when a file was chosen, false when the dialog was cancelled (or
    // never shown).
    bool DialogoResultado() const { return !archivo_.isEmpty(); }

private:
    QString titulo_;
    QString filtro_;
    QString carpeta_;
    QString archivo_;
};

}  // namespace kapores2
