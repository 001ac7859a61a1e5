#pragma once
// The machine the program runs on (the `Equipo` object): its name, the
// user's name, a folder the program may write to, and opening documents and
// addresses with the desktop's handler.
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace kapores2 {

class Equipo {
public:
    // The host name (the one the program information carries, so tests can
    // set it).
    static QString NombrePC();
    // The operating-system user.
    static QString UsuarioWindows();
    // A folder the program may write to (created when missing), without a
    // closing separator: the user's data folder for this program, or the
    // temporary folder when that cannot be written.
    static QString CarpetaPorDefecto();

    // Results of EjecutaArchivo, as the shell reports them: above 32 opened.
    static constexpr long Abierto = 42;
    static constexpr long NoEncontrado = 2;   // the file does not exist
    static constexpr long SinAplicacion = 31; // nothing on the desktop opens it

    // Opens a document, folder or web address with the desktop's handler.
    // The file may come between double quotes; a relative path is taken from
    // `carpeta`, else from the program folder; backslashes count as "/".
    // The window, operation, parameters and show mode are accepted and not
    // needed: the desktop chooses how the document is shown.
    static long EjecutaArchivo(QWidget* ventana, const QString& operacion, const QString& archivo,
                               const QString& parametros = {}, const QString& carpeta = {}, int modo = 1);

    // What actually opens an address (the desktop services by default); tests
    // put their own in. Returns the previous one.
    using Abridor = std::function<bool(const QUrl&)>;
    static Abridor setAbridor(Abridor abridor);
};

}  // namespace kapores2
