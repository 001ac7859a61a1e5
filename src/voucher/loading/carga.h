#pragma once
// One load of a stored voucher into the voucher grids
// (ClsCmnCptes::AsignarDatosComprobante): its settings, statements and
// recordsets, and the loading routines that share them: the tasks, the
// article lines row by row, and the other concepts.
//
// The load is one operation with one error trap: every statement of every
// routine runs as a step of `trap`, so Retry repeats that statement and
// Ignore goes on with the next one inside whichever routine failed; any
// other answer leaves the whole load.
#include "db/db_texto.h"
#include "platform/ado/recordset.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/variant.h"
#include "platform/ui/msflexgrid.h"
#include "voucher/clscmncptes.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

using RecordsetPtr = std::shared_ptr<ado::Recordset>;

struct CargaComprobante {
    CargaComprobante(ClsCmnCptes& clase, const QString& tc, const QString& sucNroLetra,
                     const QString& idComplemento);

    // The whole load (the body of AsignarDatosComprobante).
    void Ejecuta();

    // --- the caller's arguments ---------------------------------------------
    ClsCmnCptes& cls;
    QString TC;
    QString SucNroLetra;
    QString IdComplemento;
    ui::MSFlexGrid* grilla1 = nullptr;  // tasks
    ui::MSFlexGrid* grilla2 = nullptr;  // articles
    ui::MSFlexGrid* grilla3 = nullptr;  // other concepts
    legacy::Variant* LrcsCpte = nullptr;
    bool Compras = false;
    QString Proveedor;
    std::int16_t* IdRepartoRM = nullptr;
    bool ConvertirMoneda = false;
    QString WhrTareas;
    QString CpteDestino;
    QString* LetraDestino = nullptr;
    bool esModificacion = false;
    QString WhrInsumos;

    // --- settings of the load -------------------------------------------------
    bool PideBultosAPP = false;
    bool NoConvertirBLaKG = false;
    bool FacturaNPPreparadas = false;
    bool PreciosFinales = false;
    bool DescargaStockRemitos = false;
    bool Negativos = false;  // the article lines come over with negated quantities
    bool EntregaParcialRemito = true;
    bool EsCompras = false;  // the voucher type's system is purchases
    bool pideDeposito = false;  // the lines ask for their warehouse
    QString CondIva;            // the configured VAT condition (key CONDIVA)
    // The voucher's letter for a receiver's VAT condition, worked out once
    // per load and condition (it may ask the server's date).
    QString LetraPara(const QString& condicionIva);
    std::optional<std::pair<QString, QString>> letraHallada;  // condition, letter
    std::int16_t LineasLimite = 9999;
    QString Prefijo;    // "V_" or "C_"
    QString Condicion;  // " WHERE ..." of the voucher's rows
    QString Letra;      // the destination letter

    RecordsetPtr rsCpte, rsTareas, rsInsumos, rsObserv, rsArticulo, rsCuenta, rsLista;

    legacy::ErrorTrap trap;

    // --- article-line loop --------------------------------------------------
    // The filled lines of the grids when the load began (another voucher's,
    // loaded into the same window before).
    long lineasPrevias = 0;
    // Lines the grids hold, against the line limit: those they held when the
    // article lines began (this voucher's tasks included), then each line
    // loaded.
    std::int16_t contador = 0;
    bool primeraFila = false;       // the grid's last row takes the next line
    std::int16_t estadoUNegocio = 0;  // 2: the last line's article is of another business unit
    // What each article (its code trimmed, in capitals) has applied or moved
    // and its lines have not yet taken: taken once, line by line in order.
    QHash<QString, double> aplicadoRestante;
    // The position in the lines recordset of each article's last line: it
    // carries what the article's earlier lines could not take.
    QSet<int> ultimasLineas;
    // --- the article line being loaded ----------------------------------------
    double pendiente = 0;
    double aplicado = 0;
    // What was applied beyond the article's lines, carried by its last line
    // into its rest to apply only (negated in a negated load).
    double sobrante = 0;
    // The part of the stored line the row takes, as a quotient (negative in
    // a negated load): its amounts and equivalent quantity go in proportion.
    legacy::Variant parteTomada = legacy::Variant(1);
    legacy::Variant parteLinea = legacy::Variant(1);
    bool articuloHallado = false;
    long filaFusion = -1;  // the row the line was merged into, -1 while none
    QHash<long, QString> fusionPrevia;  // columns of that row as they stood before the merge

    // --- routines (each in its own file) -------------------------------------
    void NormalizaPedidoApp();
    void CargaTareas();
    void CargaFilaTarea();
    void CargaObservaciones();
    void CargaFilaObservacion();
    void CargaInsumos();
    // false: the line ended early (a refused duplicate, another business unit).
    bool CargaFilaInsumo();
    void PendientesEIdentidad(bool& sigue);  // first steps of the row
    void CantidadesYPrecios();
    void DatosArticulo();
    void Importes();
    void LotesEImpuestos();
    void Completa();
    void AcumulaFilaRepetida();

    // --- helpers ----------------------------------------------------------------
    // The line is of an order, taken in another unit of an article kept in
    // kilograms, and comes over in kilograms.
    bool PedidoEnKilos();
    // The line's quantity, negated in a negated load.
    legacy::Variant CantidadLinea();
    // The share of the article's applied quantity `total` (of the kind
    // `fuente`: moved or applied) that the line of `cantidad` units takes;
    // a line of no quantity or a negative one takes none.
    double AplicadoEnOrden(const QString& fuente, double total, double cantidad);
    // A stored amount of the line for the part of it the row takes.
    QString Parte(const legacy::Variant& valor);
    // One statement of the load; false once the load has been left.
    bool paso(const std::function<void()>& sentencia) { return trap(sentencia); }
    ui::MSFlexGrid& G1();
    ui::MSFlexGrid& G2();
    ui::MSFlexGrid& G3();
    // The filled lines of the three grids together, as the printed form
    // counts them (ClsCmnCptes::ValidaCantidadLineasCpte); a missing grid
    // holds none.
    long LineasEnGrillas() const;
    // The article row being written: the grid's last row, or after a merge
    // the row the line went into.
    long Fila();
    QString Celda(long col);
    void Pon(long col, const QString& texto);
    void Pon(long col, const legacy::Variant& valor);
};

namespace carga {

// A Null field reads as Empty: an empty text in a cell, zero in arithmetic.
legacy::Variant Leido(const RecordsetPtr& rs, const char* campo);
// The field as stored (Null stays Null).
legacy::Variant Crudo(const RecordsetPtr& rs, const char* campo);
// Trim of a field read null-safe, as text.
QString Texto(const RecordsetPtr& rs, const char* campo);
using db_texto::Iguales;  // text comparison without regard to letter case
// The running program is the sibling program `nombre`.
bool Programa(const char* nombre);
// A value with its apostrophes doubled, for a quoted SQL literal.
QString Q(const QString& valor);
// A configuration value; a flag is on when it reads "SI".
QString Cfg(const QString& clave);
bool CfgSi(const QString& clave);
// The amount text of the cells: configured decimals, no thousands separator.
QString Moneda(const legacy::Variant& valor);
// The text of a value as the old runtime writes it (CStr), trimmed.
QString T(const legacy::Variant& valor);
// A comparison "a op b" of the runtime where a Null makes it false.
bool Mayor(const legacy::Variant& a, const legacy::Variant& b);
bool Menor(const legacy::Variant& a, const legacy::Variant& b);
bool IgualNum(const legacy::Variant& a, const legacy::Variant& b);
// Opens a statement read-only on the main connection.
void Abre(const QString& sql, RecordsetPtr& rs);
// Currency value of a text (Kapores2 TextoANumero).
legacy::Currency N(const legacy::Variant& v);

}  // namespace carga
