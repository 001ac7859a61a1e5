#pragma once
// The start-up sequence: progress sign, parameter string, main connection,
// time-out, lookup entry, configuration, login (up to three attempts in the
// access window) and the access record. When IniciaAplicacion returns the
// user is logged in; in every other outcome it throws legacy::ProgramEnd.
#include <QString>

namespace ModGlobal {

// bUsaIni allows the configuration-file fallback for an empty parameter
// string; sLineaComando replaces the process's command line when not empty;
// sConnString is handed to the connection opening (the Oracle rule may fill
// it); lCursor is the cursor location.
void IniciaAplicacion(bool bUsaIni, const QString& sLineaComando, QString& sConnString, long lCursor);
void IniciaAplicacion(bool bUsaIni = false, const QString& sLineaComando = {}, long lCursor = 3);

// The server part a connection needs: after the first "/" when there is
// one, cut before the first ":" ("host:1433" -> "host").
QString ExtraeServidor(const QString& sServidor);

// The program folder with its trailing separator, as the start-up keeps it.
QString CarpetaPrograma();
// The program's help file, set by the start-up.
QString ArchivoAyuda();

}  // namespace ModGlobal
