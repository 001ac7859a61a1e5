#pragma once
// "BASES.TXT" in the program folder: the connections the operator registered
// in the access window, one per line (CR LF), five comma-separated fields
// without quotes: name, database, user, stored password, server ("#" in
// front for Oracle, ":port" may follow the server name). Windows-1252.
#include <QList>
#include <QString>

#include <optional>

// One record of the file as read.
struct RegistroBase {
    QString nombre;
    QString base;
    QString usuario;
    QString clave;     // stored form (kapores2::Funciones::CodificaClave)
    QString servidor;
};

namespace LBM_Common {

// The file's path: the program folder and "BASES.TXT", computed on first use
// and kept. The writer and the access window both read it from here.
QString RutaBases();
// For tests: forget the kept path (the program folder may have changed).
void OlvidaRutaBases();

// Why a connection cannot be registered as given: a name, database, user or
// server holding "," or a quote (the field would be cut or run into the
// next), a line break or another control character, or a character the
// file's code page cannot hold. Empty when every field reads back as it is
// written (trimmed).
QString MotivoRechazoBase(const QString& Nombre, const QString& Base, const QString& Usuario,
                          const QString& Servidor);

// Appends one line; creates the file when missing. When the file's last line
// has no line break the new one starts with a lone CR. Errors raise to the
// caller; fields MotivoRechazoBase refuses raise error 5 with its text and
// append nothing, so the records already there stay readable.
void RegistraBaseEnArchivo(const QString& Nombre, const QString& Base, const QString& Usuario,
                           const QString& Clave, const QString& Servidor, bool Oracle);

// Every record of the file, in file order, read as comma-separated input
// (five fields a record; a field may be quoted, blanks around fields are
// dropped). A missing file gives an empty list; a failing read raises.
// With `incompleto` given, a last record cut short is reported there
// instead of raising error 62 (input past the end of the file).
QList<RegistroBase> LeeBases(const QString& ruta, bool* incompleto = nullptr);
// The first record whose trimmed name equals the trimmed `nombre` exactly.
std::optional<RegistroBase> BuscaBase(const QString& ruta, const QString& nombre);

}  // namespace LBM_Common
