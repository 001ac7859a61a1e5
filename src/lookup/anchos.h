#pragma once
// The column widths file "CONSULTASLEN.VRK" of the application folder: one
// line per table, two quoted fields ("TABLA","1200|3000|900|"), CR LF,
// Windows-1252. Rewritten through "CONSULTASLEN.AUX" in the same folder.
#include <QString>

#include <functional>
#include <vector>

namespace lookup {

QString ArchivoAnchos(const QString& carpeta);     // folder & "CONSULTASLEN.VRK"
QString ArchivoAnchosAux(const QString& carpeta);  // folder & "CONSULTASLEN.AUX"

// The two fields of a line: split at the comma outside the quotes, quotes
// removed.
std::pair<QString, QString> CamposDeLinea(const QString& linea);

// Reads the file and hands every width of the table's lines (letter case
// ignored, file order, so a later line wins) to `aplica` with its 1-based
// column; at most `columnas` per line. Any fault (unreadable file, a widths
// text short of "|", a width that does not convert) ends the reading
// quietly; what was applied stays. A missing file does nothing.
void LeeAnchos(const QString& carpeta, const QString& tabla, int columnas,
               const std::function<void(int columna, double ancho)>& aplica);

// Rewrites the file: the lines of other tables unchanged and in order, then
// the table's line. The new text is written to the temporary file first and
// then renamed over the old file in one step, so a failure leaves the old
// file as it was. Raises legacy::VbError 75 when a file cannot be written
// or renamed.
void GrabaAnchos(const QString& carpeta, const QString& tabla, const std::vector<double>& anchos);

// For tests: the rename step (from, to) -> success; an empty function
// restores the real one.
void setRenombradoAnchos(std::function<bool(const QString&, const QString&)> renombra);

}  // namespace lookup
