#pragma once
// Starting other programs: the registration helper "ODBC.exe" from the access
// window and the suite's programs from the menu. Every start goes through
// IniciaPrograma, so tests can put their own starter in and see the program
// and its arguments without anything being started.
#include <QString>
#include <QStringList>

#include <functional>

namespace Arranque {

// Starts `programa` with `argumentos` (each one argument, passed as it is:
// blanks in a folder or in the parameter string need no quoting) and does not
// wait for it. `minimizado` asks for a minimised window without focus; the
// desktop decides how the window is shown. Returns the new process's id, 0
// when it could not be started.
qint64 IniciaPrograma(const QString& programa, const QStringList& argumentos, bool minimizado = false);

// What actually starts a process (a detached process by default); tests put
// their own in. Returns the previous one; an empty function restores the
// default.
using Iniciador = std::function<qint64(const QString& programa, const QStringList& argumentos, bool minimizado)>;
Iniciador setIniciador(Iniciador iniciador);

// The file of a program of the suite named as on its home platform
// ("ODBC.exe") inside `carpeta` (with or without its closing separator): the
// name as it is, else the name without its ".exe" extension (letter case
// ignored). "" when neither is a file.
QString UbicaPrograma(const QString& carpeta, const QString& nombre);

}  // namespace Arranque
