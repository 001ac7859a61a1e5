#pragma once
// Helpers shared by the numbering and stock modules (not part of their
// interface).
#include "db/db_texto.h"
#include "platform/ado/recordset.h"
#include "platform/legacy/variant.h"

#include <QString>

#include <memory>

class DB_Dll;

namespace numeracion {

using RS = std::shared_ptr<ado::Recordset>;

// A code in its stored width, ready to stand between apostrophes.
QString Codigo(const QString& valor, int ancho);

using db_texto::Iguales;  // texts equal without regard to letter case (untrimmed)
// Trim(valor) is one of the words (letter case ignored).
bool EsUno(const QString& valor, std::initializer_list<const char*> palabras);

// The letter trimmed and upper-cased when it is one of the voucher letters;
// an empty or blank letter is "X". Empty for anything else.
QString LetraValida(const QString& letra);
// The column of a letter's group (A_ULTIMO_NRO, VenceA, ...). A letter that
// is not one of the voucher letters raises error 5: it never becomes part of
// a column name or a statement.
QString Columna(const QString& letra, const QString& sufijo);
QString ColumnaVence(const QString& letra);

// A number in the form of the key: "0000" for branches, "00000000" for
// numbers.
QString Sucursal4(const legacy::Variant& valor);
QString Numero8(const legacy::Variant& valor);
// The number that follows m in the form "00000000". A number past 99999999
// would not fit the 8 digits of the voucher id: error 6 (overflow) instead.
QString Siguiente(const legacy::Variant& m);

// Opens a read-only, forward-only query through the database class (on
// gCnn when enGCnn) and says whether it has a row.
bool Abre(const QString& sql, RS& rs, bool enGCnn = false);
// A field of the current row, Null when the row set is empty.
legacy::Variant Campo(const RS& rs, const QString& nombre);

}  // namespace numeracion
