#pragma once
// The module Stock: next voucher numbers and their validation, the voucher
// letter, seat existence, article lots and components, units, equivalences
// and stock balances. Shares ast::gTalonario with the module ast
// (numbering/ast.h).
#include "platform/legacy/variant.h"

#include <QList>
#include <QString>

#include <optional>

namespace ui {
class MSFlexGrid;
}

namespace Stock {

// The voucher letters.
inline const QString LetrasComprobante = QStringLiteral("A,B,C,E,R,X,M");

// --- numbers -----------------------------------------------------------------

// The proposal of the number books of TC (its numbering alias unless
// SinAlias) for UNegocio in Sucursal, Numero, Letra and ModificaNumeracion;
// with Verificar the number is moved past the vouchers already stored for
// the type (trips, stock vouchers, seats, purchase orders) and the control
// row of the proposed number is dropped for the other types. An empty TC
// changes nothing; used-up books give Numero "" and nothing is verified or
// written. The unnamed text is not read. Failing steps go to the database
// error box ("Obtener_Nro_Comprobante").
void Obtener_Nro_Comprobante(const QString& TC, QString& Sucursal, QString& Numero, QString& Letra,
                             bool& ModificaNumeracion, bool Verificar, const QString& = {},
                             const QString& UNegocio = {}, bool SinAlias = false);

// The 13-character id of a new stock voucher of TC for the user's business
// unit: branch "0000", number "00000000" one above the highest stored when
// the proposed id is taken in V_MV_STOCK, letter. Sucursal and Letra come
// back as used. Empty when every book is used up or when left after an
// error.
legacy::Variant AsignarNumeroComprobante(const QString& TC, QString& Sucursal, QString& Letra);

// Whether Numero may be used for TC in Sucursal and Letra on Fecha ("" skips
// the expiry): the letter must be one of LetrasComprobante (it comes back
// trimmed and upper-cased, "" as "X"); externally numbered types are only
// refused for FCC, NDC and NCC with R or X; otherwise the book covering the
// number (left in ast::gTalonario) must exist, be in date and hold the
// number. Mensaje receives the reason ("" when true). Errors reach the caller.
bool ValidaNumeracionComprobante(const QString& TC, const QString& Sucursal, const QString& Numero,
                                 QString& Letra, QString& Mensaje, const QString& Fecha);

// The letter of a voucher from the VAT conditions of its issuer and receiver.
QString ObtieneLetraComprobante(const QString& CondIvaEmisor, const QString& CondIvaReceptor);

// Whether the voucher has a seat in MV_ASIENTOS (never for OC); Descripcion
// receives "mm - nnnnnn" (month and seat number) of the seat found. An empty
// Cuenta puts no account condition. Errors reach the caller.
bool ExisteAsientoComprobante(const QString& TC, const QString& Sucursal, const QString& Numero,
                              const QString& Letra, QString& Descripcion, const QString& Cuenta = {},
                              std::optional<bool> ConNolock = std::nullopt);

// --- lots and components ----------------------------------------------------

// A text of fixed width: an assigned text keeps its first N characters and
// is padded with blanks; a new one holds Chr(0) in every position (unset).
template <int N>
class TextoFijo {
public:
    TextoFijo() : texto_(N, QChar(0)) {}
    TextoFijo(const QString& texto) { *this = texto; }
    TextoFijo& operator=(const QString& texto)
    {
        texto_ = texto.left(N).leftJustified(N, u' ');
        return *this;
    }
    const QString& texto() const { return texto_; }
    bool operator==(const TextoFijo&) const = default;

private:
    QString texto_;
};

// One lot share or one component.
struct LoteCantidad {
    TextoFijo<25> Codigo;  // lot number, or component article code
    TextoFijo<4> Unidad;   // unit of the component; blanks for a lot
    double Cantidad = 0;   // quantity from the lot, or per unit of the article
    bool operator==(const LoteCantidad&) const = default;
};
using ListaLoteCantidad = QList<LoteCantidad>;

// The program-wide components list that the stock-movement writer passes to
// IdArticuloTieneInsumos and reads right afterwards.
extern ListaLoteCantidad ListaInsumos;

// Splits Cantidad over the lots with stock of the article in the deposit,
// in lot order; the rest that no lot covers goes last with a blank code.
// True when some lot has stock. "ELDELGRID" as deposit: false, Lotes
// untouched. Failing steps go to the database error box.
bool ArticuloTieneLotes(const QString& IdArticulo, const QString& IdDeposito, ListaLoteCantidad& Lotes,
                        double Cantidad);

// The components of the article (code, unit, quantity), followed by one
// unset element; with SoloConsulta only the answer. True when it has any.
bool IdArticuloTieneInsumos(const QString& IdArticulo, ListaLoteCantidad& Insumos, bool SoloConsulta);

// --- units, equivalences and balances ----------------------------------------

// Two unit codes name one unit: compared trimmed (a unit's column is
// fixed-length, 'UN  ') and without regard to letter case.
bool MismaUnidad(const QString& a, const QString& b);

// The article's base unit, trimmed; "" for an article not stored.
QString ObtieneUnidadArticulo(const QString& IdArticulo);

// The coefficient linking UdBase (empty: the article's base unit, written
// back) to UdEquivBuscada: Operador "/" when quantity in the sought unit =
// quantity in UdBase x Coeficiente, "*" when it is the quotient. Tries the
// direct row, the reverse row, then for the kilogram unit the route through
// the base unit (one UdBase is as many kilograms as its base units make).
// SinUnidad: no base unit was found.
bool IdArticuloTieneEquivalencias(const QString& IdArticulo, const QString& UdEquivBuscada, QString& Operador,
                                  QString& UdBase, double& Coeficiente, bool& SinUnidad);

// Cantidad of UdBase in UdEquivBuscada, rounded to four decimals; 0 without
// an equivalence. An empty UdBase comes back holding the base unit. Both
// conversions raise error 11 where they would divide by a coefficient of 0.
double ConvierteCantidadUnidad(const QString& IdArticulo, QString& UdBase, double Cantidad,
                               const QString& UdEquivBuscada);
double ConvierteCantidadUnidad(const QString& IdArticulo, const QString& UdBase, double Cantidad,
                               const QString& UdEquivBuscada);
// Cantidad given in UdEquivBuscada back in UdBase, unrounded; unchanged
// without an equivalence.
double ConvierteCantidadUnidadInversa(const QString& IdArticulo, QString& UdBase, double Cantidad,
                                      const QString& UdEquivBuscada);
double ConvierteCantidadUnidadInversa(const QString& IdArticulo, const QString& UdBase, double Cantidad,
                                      const QString& UdEquivBuscada);

// The balance of the article in the unit Equivalencia, in IdDeposito or,
// when it is blank, over all deposits (from STK_STOCK_UDKG when
// ModGlobal::UsaStockUDKG is on). A blank article leaves Saldo alone.
void ControlStock(const QString& IdDeposito, const QString& IdArticulo, const QString& Equivalencia,
                  double& Saldo);

// The cubic-metre, bundle and kilogram quantities (columns 65, 66, 67) of
// the current row of a voucher's article grid.
void CalculaCantidadesEquivalentes(ui::MSFlexGrid& Grilla);

}  // namespace Stock
