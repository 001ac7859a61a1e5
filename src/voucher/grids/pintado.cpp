// Row and column colours, repeated codes and fractional quantities.
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/variant.h"
#include "voucher/clscmncptes.h"
#include "voucher/grids/comun.h"

#include <algorithm>
#include <cmath>

namespace {

// The first row from `desde` (not `saltar`) whose code cell is the code sought,
// both trimmed, letter case ignored; -1 when none.
long FilaDelCodigo(const ui::MSFlexGrid& g, const QString& codigo, long desde, long saltar)
{
    const QString buscado = legacy::Trim(codigo);
    for (long r = desde; r < g.Rows(); ++r) {
        if (r == saltar)
            continue;
        if (legacy::Trim(g.TextMatrix(r, 0)).compare(buscado, Qt::CaseInsensitive) == 0)
            return r;
    }
    return -1;
}

bool Repetido(ui::MSFlexGrid* grilla, const QString& codigo, long FilaIgnorar, long* FilaEncontrada)
{
    const long fila = FilaDelCodigo(grillas::Objeto(grilla), codigo, 1, FilaIgnorar);
    if (fila < 0)
        return false;
    if (FilaEncontrada)
        *FilaEncontrada = fila;
    return true;
}

}  // namespace

void ClsCmnCptes::PintarFila(long Fila, ui::MSFlexGrid* MsFlexGrid, std::int32_t Color)
{
    ui::MSFlexGrid& g = grillas::Objeto(MsFlexGrid);
    const long col = g.Col();
    for (long c = 0; c < g.Cols(); ++c) {
        g.setCol(c);
        g.setRow(Fila);
        g.setCellBackColor(Color);
    }
    g.setCol(col);
}

void ClsCmnCptes::PintarColuma(long Columna, ui::MSFlexGrid* MsFlexGrid, long FilaDesde, long FilaHasta,
                               std::int32_t Color)
{
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("PintarColuma"));
    long fila = 0;
    trap([&] { fila = grillas::Objeto(MsFlexGrid).Row(); });
    trap([&] {
        if (FilaDesde == -1)
            FilaDesde = 0;
    });
    long filas = 0;
    trap([&] { filas = grillas::Objeto(MsFlexGrid).Rows(); });
    trap([&] {
        if (FilaHasta == -1)
            FilaHasta = filas - 1;
    });
    // The column is set once; only the rows the grid has are painted: a row
    // that cannot be reached is skipped, and so is every cell of a column
    // that cannot be, never the cell the grid stands on in their place.
    bool enColumna = false;
    if (FilaDesde <= FilaHasta && MsFlexGrid)
        trap([&] { MsFlexGrid->setCol(Columna), enColumna = true; });
    for (long r = std::max(FilaDesde, 0L); enColumna && r <= std::min(FilaHasta, filas - 1); ++r) {
        trap([&] { MsFlexGrid->setRow(r); });
        trap([&] { MsFlexGrid->setCellBackColor(Color); });
    }
    trap([&] { grillas::Objeto(MsFlexGrid).setRow(fila); });
}

bool ClsCmnCptes::ExisteEnGrid(ui::MSFlexGrid* MsFlexGrid, const QString& idArt)
{
    return FilaDelCodigo(grillas::Objeto(MsFlexGrid), idArt, 0, -1) >= 0;
}

bool ClsCmnCptes::TareaRepetida(ui::MSFlexGrid* MSFlexGrid1, const QString& Tarea, long FilaIgnorar,
                                long* FilaEncontrada)
{
    return Repetido(MSFlexGrid1, Tarea, FilaIgnorar, FilaEncontrada);
}

bool ClsCmnCptes::ArticuloRepetido(ui::MSFlexGrid* MSFlexGrid2, const QString& Articulo, long FilaIgnorar,
                                   long* FilaEncontrada)
{
    return Repetido(MSFlexGrid2, Articulo, FilaIgnorar, FilaEncontrada);
}

bool ClsCmnCptes::OtrosConceptosRepetidos(ui::MSFlexGrid* MSFlexGrid3, const QString& OtroConcepto,
                                          long FilaIgnorar, long* FilaEncontrada)
{
    return Repetido(MSFlexGrid3, OtroConcepto, FilaIgnorar, FilaEncontrada);
}

bool ClsCmnCptes::NumeroEsFraccion(const legacy::Variant& Numero)
{
    // Judged on the number itself rather than on its 16-bit rounding, so a
    // quantity beyond 32767 gets an answer instead of an overflow.
    const double x = kapores2::Funciones::TextoADoble(legacy::Variant(legacy::CStr(Numero)));
    return x != std::nearbyint(x);
}
