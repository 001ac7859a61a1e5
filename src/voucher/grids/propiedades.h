#pragma once
// What an edit box holds for a grid column: the voucher field behind the
// column, the table its codes come from and the longest text to type.
#include <QString>

namespace grillas {

struct PropiedadesColumna {
    const char* dataField;
    const char* tag;
    int maxLength;  // 0: no limit
};

// The entry of a column for the box named `nombreCaja` (trimmed, letter case
// ignored); nullptr when the box or the column has none.
const PropiedadesColumna* PropiedadesDe(const QString& nombreCaja, long columna);

}  // namespace grillas
