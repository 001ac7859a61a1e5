#pragma once
// The column widths file "CONSULTASLEN.VRK" of the application folder: one
// line per table, two quoted fields ("TABLA","1200|3000|900|"), CR LF,
// Windows-1252. Several windows and stations write it: each rewrite takes
// the lock file "CONSULTASLEN.LCK" beside it and goes through a temporary
// file of its own ("CONSULTASLEN.<pid>-<n>.AUX").
#include <QString>

#include <functional>
#include <vector>

namespace lookup {

QString ArchivoAnchos(const QString& carpeta);  // folder & "CONSULTASLEN.VRK"

// The two fields of a line: split at the comma outside the quotes, quotes
// removed.
std::pair<QString, QString> CamposDeLinea(const QString& linea);

// Reads the file and hands every width of the table's lines (letter case
// ignored, file order, so a later line wins) to `aplica` with its 1-based
// column; at most `columnas` per line. Any fault (unreadable file, a widths
// text short of "|", a width that is no number or is negative) ends the
// reading quietly; what was applied stays and later lines are not read. A missing file does nothing. A width
// wider than any screen is not handed on (the column keeps its own).
void LeeAnchos(const QString& carpeta, const QString& tabla, int columnas,
               const std::function<void(int columna, double ancho)>& aplica);

// Rewrites the file: the lines of other tables unchanged and in order, then
// the table's line. Under the lock, the file is read and the new text is
// written to a temporary file, flushed to disk and renamed over the old file
// in one step, so a concurrent writer's lines are kept and a failure leaves
// the old file as it was. Raises legacy::VbError 75 when a file cannot be
// locked, written or renamed.
void GrabaAnchos(const QString& carpeta, const QString& tabla, const std::vector<double>& anchos);

// For tests: the rename step (from, to) -> success; an empty function
// restores the real one.
void setRenombradoAnchos(std::function<bool(const QString&, const QString&)> renombra);

}  // namespace lookup
