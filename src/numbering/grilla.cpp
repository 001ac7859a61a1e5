// The unit quantities of a line of a voucher's article grid.
#include "numbering/stock.h"

#include "core/cargaconfiguracion.h"
#include "numbering/comunes.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"
#include "platform/ui/msflexgrid.h"

using kapores2::Funciones;
using legacy::Trim;

namespace {

// Columns of the article grid.
constexpr long kArticulo = 0;
constexpr long kUnidad = 5;          // "UD"
constexpr long kCantidad = 8;        // "Cant."
constexpr long kUnidadEquiv = 11;    // "UDEquiv"
constexpr long kCantidadEquiv = 12;  // "Cant. Equiv"
constexpr long kCantidadM3 = 65;
constexpr long kCantidadBL = 66;
constexpr long kCantidadKG = 67;
constexpr long kPideEquivalencia = 97;  // AuxPideEquivalencia

}  // namespace

void Stock::CalculaCantidadesEquivalentes(ui::MSFlexGrid& Grilla)
{
    const long r = Grilla.Row();
    const auto celda = [&](long c) { return Grilla.TextMatrix(r, c); };
    const double q = Funciones::TextoANumero(legacy::Variant(celda(kCantidad))).toDouble();
    const auto conv = [&](const QString& unidad) {
        return legacy::CStr(legacy::Variant(
            ConvierteCantidadUnidad(celda(kArticulo), Trim(celda(kUnidad)), q, unidad)));
    };
    const QString equiv = celda(kUnidadEquiv);

    if (celda(kPideEquivalencia) != u"-1")
        Grilla.setTextMatrix(r, kCantidadBL,
                             MismaUnidad(equiv, ModGlobal::UnidadMedidaBL) ? celda(kCantidadEquiv) : conv(ModGlobal::UnidadMedidaBL));
    const auto propia = [&](long columna, const QString& unidad) {
        if (MismaUnidad(equiv, unidad))
            Grilla.setTextMatrix(r, columna, MismaUnidad(equiv, celda(kUnidad)) ? celda(kCantidad) : celda(kCantidadEquiv));
        else
            Grilla.setTextMatrix(r, columna, conv(unidad));
    };
    propia(kCantidadM3, ModGlobal::UnidadMedidaM3);
    propia(kCantidadKG, ModGlobal::UnidadMedidaKG);
}
