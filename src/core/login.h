#pragma once
// The login check against the suite's user table and the access record that
// notes each start of the program in Control_Acceso.
#include <QString>

namespace ModGlobal {

// True when the user may use the program: the user named like the database
// passes with any password; any other needs a row of TA_USUARIOS for one of
// the program's system codes whose decoded password matches (letter case
// ignored). Only a matching password sets gUsuarioLogeado and the
// administrator flag (gDB().gEsAdmin). A failing query raises to the caller.
bool ValidaUsuario(const QString& Usuario, const QString& PassWord);

// Records the start of the program for the logged-in user (form name: the
// executable's name when sFormulario is empty). Never raises.
void RegistraControlAcceso(const QString& sFormulario = {});

}  // namespace ModGlobal
