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

// The text without its leading and trailing blanks, as legacy::Trim cuts it.
inline QStringView Recortado(const QString& t)
{
    qsizetype i = 0, n = t.size();
    while (i < n && t[i] == u' ')
        ++i;
    while (n > i && t[n - 1] == u' ')
        --n;
    return QStringView(t).mid(i, n - i);
}

inline bool Es(const QString& valor, const char* palabra)
{
    return Recortado(valor).compare(QLatin1String(palabra), Qt::CaseInsensitive) == 0;
}

inline bool EsUno(const QString& valor, std::initializer_list<const char*> palabras)
{
    for (const char* p : palabras)
        if (Es(valor, p))
            return true;
    return false;
}

// A number as the statement writes it: at most four decimals, "." as point
// (the number literal of the database class: the value read as an amount).
QString Num(const QString& texto);
QString Num(const legacy::Variant& v);
QString Num(const legacy::Currency& v);
QString Num(double v);  // through its text with six decimals

// A grid text read as an amount and as a double, as the general readers of
// the suite read it.
legacy::Currency Moneda(const QString& t);
double Doble(const QString& t);

}  // namespace stockcomun
