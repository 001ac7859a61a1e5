#pragma once
// Starting things outside the program: the suite's other programs (with the
// parameter string, so they work on the same server and database as the
// same user), pages of the suite's web service on the database server, web
// addresses and documents (through the desktop's handler).
#include "platform/legacy/variant.h"

#include <QString>

#include <cstdint>

namespace ModGlobal {

// The local web marker: the suite's web service as this machine addresses
// itself. A menu entry holding it names a page of the service on the
// database server; kHostLocal is the part replaced by the server's host.
inline const QString kHostLocal = QStringLiteral("localhost");
inline const QString kMarcaWebLocal = QStringLiteral("http://localhost:5055/");

// The parameter string handed to a started program (values as they are).
QString ParametrosLanzamiento(const QString& Parametros);

// Starts a menu entry: a program of the suite by name (with or without
// "SHELL:" in front) from the program folder, a program by its full path
// ("SHELL:" and a path with "\" or "/"), or a page of the web service.
// Parametros loses everything up to its first blank; Resultado receives the
// process id (1 for a page). Nothing started: "Opcion no Implementada!".
// Failures go to TratamientoErrores with the routine name "MenuExes".
void MenuExes(QString& Programa, QString& Parametros, std::int32_t& Resultado);

// Opens a web address with the desktop's handler; an empty one shows
// "URL vacía", a failure of the handler shows its code.
void AbrirURL(QString URL);

// Opens a document, program or address with the desktop's handler; Modo
// true asks for a minimised window. A path with a blank and no double quote
// is passed between double quotes. Failures go to the caller.
void AbreDocumento(QString Ruta, const legacy::Variant& Modo);

// True when the file (double quotes in the path ignored) exists and can be
// opened for reading; never raises.
bool ExisteArchivo(const QString& Ruta);

}  // namespace ModGlobal
