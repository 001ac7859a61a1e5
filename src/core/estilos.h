#pragma once
// The user's look on every window: font and size from the configuration
// file (sections per Windows user and database), the skin style number and
// the theme of the suite's toolbars, the window icon.
//
// There is no skin control on this platform. The style number is still read
// and kept, and a window may carry a QObject named "SkinFramework1" whose
// dynamic properties receive what the skin control would get ("SkinFile",
// "SkinIni", "ApplyOptions", "AppliedWindow"). The fonts are real: the
// user's font and size go to the window's own controls.
#include <QString>

#include <cstdint>

class QWidget;

namespace ModGlobal {

// Font, size and skin of the user for one window; with bAjustaControles the
// text boxes, combo boxes and buttons get flat borders. Nothing is reported.
void AplicaEstiloFormulario(QWidget* frm, bool bAjustaControles);
// The toolbar theme of a skin style: 0->1, 1->2, 2->3, 3->4, 4->5, other->2.
std::int16_t ObtieneTemaEstilo(std::int16_t estilo);
// The suite icon and the flat-toolbar setting (gFlatToolbars) of a window.
void AsignaIconoFormulario(QWidget* frm);

// What AplicaEstiloFormulario read last (for the windows that need it).
struct EstiloUsuario {
    QString fuente;          // "Segoe UI" by default
    QString tamanio;         // "9" by default
    std::int16_t estilo = 0; // skin style number
    QString archivoSkin;     // relative to the program folder: "Styles/iTunes", ...
    QString iniSkin;         // "Normalitunes.ini" for style 4, else ""
};
EstiloUsuario LeeEstiloUsuario();
// The skin file and its ini name for a style number.
void ArchivoDeSkin(std::int16_t estilo, QString& archivo, QString& ini);

}  // namespace ModGlobal

namespace ModGlobal {
// Gives the access window (which lives in the database layer) this module's
// styling and error box. Runs by itself when the program starts; calling it
// again does no harm.
void EnlazaVentanaAcceso();
}  // namespace ModGlobal
