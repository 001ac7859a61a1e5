#pragma once
// The voucher action rows of V_MV_CPTEACCIONES (new, changed, annulled,
// error), written by the deletion after a deletion and by the start-up after
// a failed login.
#include <QString>

namespace ModGlobal {

// Never assigned by this program; written into ProcesoLote.
extern QString gProcesoLote;

// The action of a voucher row by its two flags: "A" new, "M" changed, "B"
// otherwise (annulled).
QString TipoAccionPorMarcas(bool lEsAlta, bool lEsModificacion);

// Writes one row. Every step goes on after an error and nothing reaches the
// caller. An empty IdComplemento becomes "0" (in the caller's variable too).
// Tipo_accion: 'ER' when bError, else 'A' when lEsAlta, else 'M' when
// lEsModificacion, else 'B'. The sixth flag has no effect.
void RegistraAccionComprobante(const QString& TC, const QString& IdComprobante, QString& IdComplemento,
                               bool lEsAlta, bool lEsModificacion, bool sinUso, const QString& Descripcion,
                               const QString& Cuenta, bool bError);
void RegistraAccionComprobante(const QString& TC, const QString& IdComprobante, const QString& IdComplemento,
                               bool lEsAlta, bool lEsModificacion, bool sinUso, const QString& Descripcion,
                               const QString& Cuenta, bool bError);

}  // namespace ModGlobal
