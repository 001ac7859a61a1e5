#pragma once
// Text helpers of the database class: it compares and searches without
// regard to letter case.
#include "platform/legacy/strings.h"

#include <QString>

namespace db_texto {

inline bool Contiene(const QString& texto, const QString& buscado)
{
    return legacy::InStr(texto, buscado, legacy::vbTextCompare) > 0;
}

inline QString ReemplazaTodo(const QString& texto, const QString& buscado, const QString& nuevo)
{
    return legacy::Replace(texto, buscado, nuevo, 1, -1, legacy::vbTextCompare);
}

inline bool Iguales(const QString& a, const QString& b)
{
    return legacy::StrComp(a, b, legacy::vbTextCompare) == 0;
}

// A configuration value that says yes ("SI", letter case ignored, nothing trimmed).
inline bool EsSi(const QString& valor)
{
    return Iguales(valor, QStringLiteral("SI"));
}

inline const QString CRLF = QStringLiteral("\r\n");
inline const QString CR = QStringLiteral("\r");

}  // namespace db_texto
