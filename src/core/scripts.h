#pragma once
// Running a list of statements as one server-side transaction on the main
// connection, and the error table AUX_ERR that records a failed batch.
#include <QString>
#include <QStringList>

namespace ModGlobal {

// Joins the non-blank lines into "BEGIN TRANSACTION ..." and runs it on
// gDB(). On provider errors: rolls back, writes an AUX_ERR row and, when
// bMuestraMensaje, shows the errors; otherwise commits. The outcome is in
// bHayError / NroError / sError; it never raises. All lines blank: nothing
// runs and NroError is left unchanged.
void GActualizarDatoScript(const QStringList& Lineas, bool& bHayError, long& NroError, bool bIgnora2627,
                           bool bIgnora547, QString& sSentencia, QString& sError, bool bMuestraMensaje);
// One row of AUX_ERR (a blank Proceso becomes the executable name). Ignores
// every failure.
void GrabaErrorAux(const QString& Sentencia, QString& Proceso, long NroError, const QString& Descripcion);
void GrabaErrorAux(const QString& Sentencia, const QString& Proceso, long NroError, const QString& Descripcion);

}  // namespace ModGlobal
