#pragma once
// Small helpers shared by the grid members of the voucher class.
#include "platform/legacy/strings.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/msflexgrid.h"

namespace grillas {

// The object behind a pointer the member uses; error 91 (object variable
// not set) when the caller passed none.
template <class T>
T& Objeto(T* p)
{
    if (!p)
        throw legacy::VbError(91);
    return *p;
}

// A grid line is filled when its code cell (column 0), trimmed, is not empty.
inline bool LineaLlena(const ui::MSFlexGrid& g, long fila)
{
    return !legacy::Trim(g.TextMatrix(fila, 0)).isEmpty();
}

// The filled lines among rows 1 to Rows - 1.
inline long LineasLlenas(const ui::MSFlexGrid& g)
{
    long n = 0;
    for (long r = 1; r < g.Rows(); ++r)
        if (LineaLlena(g, r))
            ++n;
    return n;
}

}  // namespace grillas
