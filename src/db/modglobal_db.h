#pragma once
// The part of the module ModGlobal that the database layer needs: the shared
// database objects and the login values. The rest of ModGlobal lives in
// src/core under the same namespace.
#include <QString>

class DB_Dll;

namespace ModGlobal {

// The shared database objects, each created the first time it is used and
// kept for the whole run: gDB the main database, gDB2 the statistics
// database, gDB3 and gDB4 never opened by this program.
DB_Dll& gDB();
DB_Dll& gDB2();
DB_Dll& gDB3();
DB_Dll& gDB4();

// Login values (set by the start-up and by the access window).
extern QString gUsuarioLogeado;
extern QString gPassword;
// Configuration switch SS_CONFIDENCIALIDAD (loaded at start-up): when on, the
// accounts table is read through its synonym even in statements that name
// the seats table.
extern bool SSConfidencialidad;

// For tests: drops the four shared objects (the next use creates them anew)
// and clears the values above.
void ResetDatabaseObjects();

}  // namespace ModGlobal
