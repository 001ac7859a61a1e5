#pragma once
// What the stock and seat members share: words and voucher types compared
// trimmed and without regard to letter case, and numbers as statement text.
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/legacy/numeric.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"

#include <QString>

#include <initializer_list>

namespace stockcomun {

inline bool Es(const QString& valor, const char* palabra)
{
    return legacy::Trim(valor).compare(QLatin1String(palabra), Qt::CaseInsensitive) == 0;
}

inline bool EsUno(const QString& valor, std::initializer_list<const char*> palabras)
{
    for (const char* p : palabras)
        if (Es(valor, p))
            return true;
    return false;
}

// A number as the statement writes it: at most four decimals, "." as point.
inline QString Num(const legacy::Variant& v)
{
    return ModGlobal::gDB().SQLValue(v, QStringLiteral("@")).toString();
}

inline QString Num(const legacy::Currency& v)
{
    return Num(legacy::Variant(v.toString()));
}

inline QString Num(double v)
{
    return Num(legacy::Variant(QString::number(v, 'f', 6)));
}

}  // namespace stockcomun
