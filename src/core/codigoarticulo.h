#pragma once
// The article-code lookup: what an operator types or scans into the article
// cell of a voucher (a quantity prefix "3*", a lot "12A345", a scale label,
// an internal code, one of the article's bar codes or its logistics code, a
// supplier's code) turned into one article of V_MA_ARTICULOS.
#include "platform/ado/recordset.h"
#include "platform/legacy/numeric.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace ModGlobal {

// The scale-label mask (one of the mask names BuscaArticulo knows, e.g.
// "0CCCCCPPPPPP", or empty for none) and the number of decimals of the
// quantities on a label ("0" to "4", empty for none). Nothing in the program
// fills them: they stay empty unless a caller sets them, and then the label
// digits are taken as they are.
extern QString MascaraBalanza;
extern QString DecimalesBalanza;

// Finds the article of the typed text. Returns true when a row was found;
// then Codigo is the row's IdArticulo, rsArticulo (when given) the open
// recordset on it, Unidad the base unit (or the supplier price list's unit)
// and Descripcion its description. Nothing found: Codigo keeps the text left
// after the quantity, lot and sign were taken off. Cantidad, Precio and
// NroLote receive what the text carried. BuscaPrimeroPorCodigo tries the
// whole text as code and bar code before any scale-label parse (cleared for
// codes of 3 characters or fewer). CuentaProveedor (and IdLista) enable the
// supplier-code lookups; TC and AvisoUNegocio drive the business-unit check
// of the sales programs. Errors go to TratamientoErrores ("ExisteArticulo").
bool BuscaArticulo(QString& Codigo, std::shared_ptr<ado::Recordset>* rsArticulo, bool SoloLectura,
                   bool& BuscaPrimeroPorCodigo, QString& Descripcion, const QString& CuentaProveedor,
                   QString& Unidad, const QString& IdLista, double& Cantidad, legacy::Currency& Precio,
                   QString& NroLote, const QString& TC, std::int16_t& AvisoUNegocio);

// The same with the defaults the voucher code passes (read-only, no
// supplier, no voucher type): for an existence test and the article's row.
bool BuscaArticulo(QString& Codigo, std::shared_ptr<ado::Recordset>* rsArticulo = nullptr);

}  // namespace ModGlobal
