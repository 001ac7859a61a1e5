#pragma once
// Lookups of the common services used by the voucher code: whether a row
// exists, an account of MA_CUENTAS by its code or its optional code, and the
// control data of a lot in STK_DESPACHOS.
#include "platform/ado/recordset.h"
#include "platform/legacy/variant.h"

#include <QString>

#include <memory>

namespace ModGlobal {

// True when the table has a row where Campo matches ValorBuscado (Tipodato 8:
// trimmed text, 7: a date written as the caller gives it, 3/4/5: a number,
// other: the value as it is), or, with a Condicion, a row meeting it. With
// LRCS the recordset stays open on the first row (read-only with
// SoloLectura, else with the recordset's own cursor and lock). Errors show a
// box (Abort, Retry, Ignore).
bool ExisteRegistro(const QString& Tabla, const QString& ValorBuscado, const QString& Campo = {},
                    std::shared_ptr<ado::Recordset>* LRCS = nullptr, const legacy::Variant& Tipodato = {},
                    const QString& Condicion = {}, bool SoloLectura = false);

// Looks the account up by Codigo, or by CodigoOpcional when PorCodigoOpcional,
// then by the other one. Found: true, Codigo becomes the account's code, and
// PorCodigoOpcional is set when only the optional code matched. LRCS receives
// the open recordset. Errors go to the caller.
bool ExisteCuenta(QString& Codigo, std::shared_ptr<ado::Recordset>& LRCS, bool SoloLectura,
                  bool& PorCodigoOpcional);

// The lot's "controlled by" and origin from STK_DESPACHOS; values not found
// (or blank) leave the caller's. Errors go to the caller.
void DatosDespacho(const QString& NroLote, QString& ControladoPor, QString& IdOrigen);

}  // namespace ModGlobal
