// ClsCmnCptes::ConsultaComprobante: the voucher class opens the picker and
// hands its answer back.
#include "core/modglobal.h"
#include "db/db_dll.h"
#include "platform/legacy/errortrap.h"
#include "voucher/clscmncptes.h"
#include "voucher/lookup/frmconscomprobantes.h"

void ClsCmnCptes::ConsultaComprobante(const QString& TC, QString& Respuesta, const QString& Filtro,
                                      QString* IdComplemento, QString* Proveedor)
{
    auto& ventana = frmConsComprobantes();
    legacy::ErrorTrap trap(QStringLiteral("ConsultaComprobante"), ModGlobal::gDB().errorHandler());
    // Setting the variables creates the window without loading it, so the
    // first query sees them.
    trap([&] { ventana->TC = TC; });
    trap([&] { ventana->Filtro = Filtro; });
    trap([&] { ventana->NroComprobante.clear(); });
    trap([&] { ventana->ShowModal(); });
    trap([&] { Respuesta = ventana->NroComprobante; });
    trap([&] {
        if (IdComplemento) *IdComplemento = ventana->IdComplemento;
    });
    trap([&] {
        if (Proveedor) *Proveedor = ventana->Proveedor;
    });
    trap([&] { ventana.release(); });
    // A lookup left half-way does not hand its window, with its answer, to
    // the next one.
    if (trap.left()) ventana.release();
}
