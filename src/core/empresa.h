#pragma once
// Company identity per business unit: from the unit's row of
// v_ta_unidadNegocio and its per-unit keys, falling back to the company-wide
// keys of TA_CONFIGURACION.
#include <QString>

namespace ModGlobal {

// Fills the seven outputs; PuntoVenta keeps what was passed when the unit is
// blank or unknown. Sets CondIvaEmpresaTexto and CondIvaEmpresa. Raises to
// the caller on failure (outputs already set keep their values).
void ObtieneDatosEmpresa(const QString& UnidadNegocio, QString& RazonSocial, QString& Cuit,
                         QString& InicioActividades, QString& IngresosBrutos, QString& CondicionIVA,
                         QString& PuntoVenta, QString& Domicilio);

}  // namespace ModGlobal
