// Article lots with stock and article components.
#include "numbering/stock.h"

#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/comunes.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;
using namespace numeracion;

// The components list is a module-level list of Stock: the stock-movement
// writer passes it and reads what the last call wrote.
Stock::ListaLoteCantidad Stock::ListaInsumos;

namespace {

Stock::LoteCantidad EnBlanco(double cantidad)
{
    Stock::LoteCantidad e;
    e.Codigo = QString();
    e.Unidad = QString();
    e.Cantidad = cantidad;
    return e;
}

double CantidadDeFila(const RS& rs)
{
    return Funciones::TextoADoble(Funciones::ValorNoNulo(rs->Fields("Cantidad").Value()));
}

}  // namespace

bool Stock::ArticuloTieneLotes(const QString& IdArticulo, const QString& IdDeposito, ListaLoteCantidad& Lotes,
                               double Cantidad)
{
    if (Iguales(IdDeposito, QStringLiteral("ELDELGRID")))
        return false;
    legacy::ErrorTrap trap(QStringLiteral("ArticuloTieneLotes"), ModGlobal::gDB().errorHandler());
    // The deposit comes as a bare code or as the literal the movement writer
    // made of it; either way it is compared quoted once, as in every other
    // deposit comparison (unquoted, the server would take it for a number).
    const QString deposito = ModGlobal::ValorDeLiteral(Trim(IdDeposito));
    const QString sql = QStringLiteral("SELECT * FROM STK_SERIES_Y_LOTES WHERE IdArticulo = '") +
                        Codigo(IdArticulo, 25) + QStringLiteral("' AND CANTIDAD > 0  AND IDDEPOSITO = '") +
                        Codigo(Trim(deposito), 4) + QStringLiteral("' and not nrolote is null ORDER BY NROLOTE");
    RS rs;
    bool resultado = false;
    double total = 0;
    if (!trap([&] { Abre(sql, rs); }))
        return false;
    if (!trap([&] {
            Lotes = {LoteCantidad()};
            resultado = !rs->Bof();
        }))
        return false;
    if (resultado) {
        bool fin = false;
        while (!fin) {
            if (!trap([&] {
                    if (rs->Eof()) {
                        fin = true;
                        return;
                    }
                    LoteCantidad& ultimo = Lotes.last();
                    ultimo.Codigo = Funciones::ValorNoNulo(rs->Fields("NroLote").Value()).toString();
                    ultimo.Unidad = QString();
                    double q = CantidadDeFila(rs);
                    if (total + q > Cantidad) {
                        q = Cantidad - total;
                        total += q;
                        ultimo.Cantidad = q;
                        fin = true;
                        return;
                    }
                    total += q;
                    ultimo.Cantidad = q;
                    Lotes.append(LoteCantidad());
                    rs->MoveNext();
                }))
                return resultado;
        }
    } else {
        Lotes[0] = EnBlanco(Cantidad);
    }
    if (Cantidad > total)
        Lotes.append(EnBlanco(Cantidad - total));
    return resultado;
}

bool Stock::IdArticuloTieneInsumos(const QString& IdArticulo, ListaLoteCantidad& Insumos, bool SoloConsulta)
{
    legacy::ErrorTrap trap(QStringLiteral("IdArticuloTieneInsumos"), ModGlobal::gDB().errorHandler());
    RS rs;
    bool resultado = false;
    if (!trap([&] {
            Abre(QStringLiteral("SELECT * FROM V_MA_INSUMOS  with(nolock)  WHERE IDARTICULO = '") +
                     Codigo(Trim(IdArticulo), 25) + QStringLiteral("'"),
                 rs);
        }))
        return false;
    if (!trap([&] {
            Insumos = {LoteCantidad()};
            resultado = !rs->Bof();
        }))
        return false;
    if (!resultado || SoloConsulta)
        return resultado;
    bool fin = false;
    while (!fin && trap([&] {
        if (rs->Eof()) {
            fin = true;
            return;
        }
        LoteCantidad& ultimo = Insumos.last();
        ultimo.Codigo = Funciones::ValorNoNulo(rs->Fields("IdArticuloInsumo").Value()).toString();
        ultimo.Unidad = Funciones::ValorNoNulo(rs->Fields("IdUnidadInsumo").Value()).toString();
        ultimo.Cantidad = CantidadDeFila(rs);
        Insumos.append(LoteCantidad());
        rs->MoveNext();
    }))
        ;
    return resultado;
}
