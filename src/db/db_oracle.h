#pragma once
// The row limit of the Oracle rewrite, shared with the statement builder, and
// the script splitter of the Oracle script runner (DB_Dll::EjecutaScriptOracle),
// open to the tests of the database class.
#include <QString>

namespace db_oracle {

// The row limit of a statement for Oracle: the first TOP right after SELECT
// or DISTINCT ("SELECT TOP n body") becomes "SELECT  body  WHERE ROWNUM <= n"
// (" AND ROWNUM <= n" when the statement has a WHERE), put before the
// statement's GROUP BY or, without one, its ORDER BY tail. A statement
// without such a TOP comes back unchanged; a limit not followed by a blank
// raises the invalid-argument error.
QString LimiteDeFilas(const QString& valor);

// Position (1-based, `desde` or later) of the first statement keyword of a
// cleaned-up script (INSERT, DELETE, UPDATE, CREATE, DROP, ALTER, SET
// TRANSACTION, COMMIT, ROLLBACK, IF NOT EXIST, IF EXIST, GRANT), 0 when none.
// Keywords inside quoted texts ('...', "..." and [...]) and inside longer
// names do not count.
long ProximaClave(const QString& script, long desde);

// The script without its "--" comments (each up to its line end; a "--"
// inside a quoted text is text). The runner joins the lines of a script
// into one, so a comment left in would hide every statement after it.
QString QuitaComentarios(const QString& script);

// A one-word text for Oracle: "LEN" (any case) becomes "LENGTH", any other
// word comes back unchanged ("CALENDARIO" keeps its LEN).
QString UnaPalabra(const QString& valor);

}  // namespace db_oracle
