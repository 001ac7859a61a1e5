#pragma once
// ClsCmnCptes: the suite's voucher class. One object bundles the voucher
// operations of the voucher windows (grids, lookup, loading, lots, stock and
// seats); each holder keeps its own private object, created at its first use.
// Its construction and ActualizaBuchon are defined in voucher/; each later
// member group in its own folder (grids, lookup, loading, lots, stock).
#include "platform/legacy/numeric.h"

#include <QMap>
#include <QSet>
#include <QString>

#include <cstdint>

namespace ui {
class MSFlexGrid;
class SSTab;      // grids
class StatusBar;  // grids
}
namespace legacy {
class Variant;
}
class QLineEdit;  // grids: the edit boxes
class QWidget;    // grids: the form whose font measures column widths

class ClsCmnCptes {
public:
    // Reads the class's configuration values (PIVA, PIVARec, AsientosXStock,
    // entregado_mostrador, LenDescripcion) once; a change of the table later
    // does not reach an existing object. There is no error trap: a failing
    // read, or a LenDescripcion outside the Integer range (error 6), raises
    // legacy::VbError to the statement that first used the object.
    ClsCmnCptes();

    // --- public variables ---------------------------------------------------
    bool DebitoProveedor = false;     // read by the voucher sign
    std::int16_t gLenDesc = 0;        // longest description of stock rows (100 by default)
    QString NPP_Cliente;              // written and read by the voucher loading
    QString NPP_IDCpte;
    bool esElectronica = false;       // read by the line-limit check
    bool esCreditoElectronica = false;

    // --- public members -----------------------------------------------------
    // One row of V_MV_CPTEACCIONES for a voucher: with GeneraSentencia the
    // INSERT text goes to *SentenciaSQL and nothing runs (for callers that put
    // it into a batch of their own); otherwise it runs at once through
    // ModGlobal::gDB().EjecutaConsultaSQL.
    //
    // The action is 'A' when lEsAlta, else 'M' when lEsModificacion, else 'B';
    // a non-empty TipoAccion asks for that action instead ("E" for a physical
    // deletion). Text values have their apostrophes doubled, so no value can
    // change the statement; IdComplemento goes in as it is, unquoted (callers
    // pass a number). NroAsiento is accepted and not recorded: the row has no
    // column for it. Every step goes on after an error; nothing reaches the
    // caller, and a value whose step failed stays empty.
    void ActualizaBuchon(const QString& TC, const QString& SucNroLetra, const QString& IdComplemento, bool lEsAlta,
                         bool lEsModificacion, bool GeneraSentencia = false, QString* SentenciaSQL = nullptr,
                         const QString& NroAsiento = {}, const QString& Cuenta = {}, const QString& ProcesoLote = {},
                         const QString& TipoAccion = {});

    // --- grids (voucher/grids) ---------------------------------------------
    // The voucher grids are the window's own ui::MSFlexGrid controls, passed
    // by pointer (nullptr stands for a grid the window does not have):
    //   MSFlexGrid1  tasks grid          (GrillaTareas, 24 columns)
    //   MSFlexGrid2  articles grid       (GrillaArticulos, 120 columns)
    //   MSFlexGrid3  other-concepts grid (GrillaOtrosConceptos, 7 columns)
    //   MSFlexGrid4  totals grid         (GrillaTotales, 3 columns, 5 rows)
    // Their columns are addressed by the numbers InicializaGrids lays out;
    // row 0 holds titles (shown columns) or keys (hidden, width 0). The edit
    // boxes are the window's QLineEdit boxes floated over a cell; `obj` is the
    // voucher form, whose font measures the widths ("n X" = ui::TextWidth of
    // n letters X). A pointer that a member uses unconditionally and finds
    // null raises error 91.

    // Lays out the grids given for voucher type TC (the voucher system from
    // V_TA_CPTE, switches from the configuration), in the order tasks,
    // articles, other concepts, totals. Clears them; errors reach the caller.
    void InicializaGrids(ui::MSFlexGrid* MSFlexGrid1, ui::MSFlexGrid* MSFlexGrid2, ui::MSFlexGrid* MSFlexGrid3,
                         QLineEdit* TxtEdit, QLineEdit* txtEdit2, QLineEdit* txtEdit3, QWidget* obj,
                         const QString& TC = {}, ui::MSFlexGrid* MSFlexGrid4 = nullptr);
    // Prepares an edit box for a grid column: the dynamic properties
    // "DataField" and "Tag" of the box and its maxLength (0, no limit, is the
    // box's own maximum). The box's objectName says which grid it serves.
    void TextPropiedades(QLineEdit* Texto, long Columna);
    // Hides (width 0) or shows a column; never raises.
    void SetColVisible(ui::MSFlexGrid* grd, std::int16_t ColIndex, bool Visible, std::int16_t anchoChars = 0,
                       QWidget* obj = nullptr);
    // True when the filled lines of the three grids plus Agragarle fit the
    // printed form's lines (TA_CONFIG_IMP_CPTE) of the type and letter.
    bool ValidaCantidadLineasCpte(const QString& TC, const QString& Letra, ui::MSFlexGrid* MSFlexGrid1,
                                  ui::MSFlexGrid* MSFlexGrid2, ui::MSFlexGrid* MSFlexGrid3,
                                  std::int16_t* CantLineas = nullptr, std::int16_t* CantLineasUsadas = nullptr,
                                  long Agragarle = 0, std::int16_t LineasAnteriores = 0);
    // Filled lines of the three grids together; the article quantities summed.
    long CuentaItems(ui::MSFlexGrid* MSFlexGrid1, ui::MSFlexGrid* MSFlexGrid2, ui::MSFlexGrid* MSFlexGrid3,
                     long* CantTareas = nullptr, long* CantArticulos = nullptr, long* CantOtrosConceptos = nullptr,
                     double* TotUnidades = nullptr);
    // The current line of a grid in panel 4 (articles: panel Columna, and the
    // stock in the panel keyed "Stock").
    void MuestraDetalle(const QString& Detalle, ui::StatusBar* StatB, long Columna = 0);
    void MuestraDetalleTareas(ui::MSFlexGrid* MSFlexGrid1, ui::StatusBar* StatB);
    void MuestraDetalleArticulos(ui::MSFlexGrid* MSFlexGrid2, ui::StatusBar* StatB, long Columna = 0);
    void MuestraDetalleOtrosConceptos(ui::MSFlexGrid* MSFlexGrid3, ui::StatusBar* StatB);
    // Rebuilds the totals grid with one block per visible tab of SSTab1.
    void TotalizadorControl(ui::MSFlexGrid* MSFlexGrid1, ui::MSFlexGrid* MSFlexGrid2, ui::MSFlexGrid* MSFlexGrid3,
                            ui::MSFlexGrid* MSFlexGrid4, ui::SSTab* SSTab1, bool AbiertoPorRubro = false,
                            bool AbiertoPorTipo = false);
    // Cell colours (BGR) of one row / one column (-1: first / last row).
    void PintarFila(long Fila, ui::MSFlexGrid* MsFlexGrid, std::int32_t Color = 0);
    void PintarColuma(long Columna, ui::MSFlexGrid* MsFlexGrid, long FilaDesde = -1, long FilaHasta = -1,
                      std::int32_t Color = 0);
    // A row (the title row included) whose column 0 equals idArt.
    bool ExisteEnGrid(ui::MSFlexGrid* MsFlexGrid, const QString& idArt);
    // A line (row 0 and FilaIgnorar skipped) whose code is the one sought;
    // *FilaEncontrada is its row.
    bool TareaRepetida(ui::MSFlexGrid* MSFlexGrid1, const QString& Tarea, long FilaIgnorar = 0,
                       long* FilaEncontrada = nullptr);
    bool ArticuloRepetido(ui::MSFlexGrid* MSFlexGrid2, const QString& Articulo, long FilaIgnorar = 0,
                          long* FilaEncontrada = nullptr);
    bool OtrosConceptosRepetidos(ui::MSFlexGrid* MSFlexGrid3, const QString& OtroConcepto, long FilaIgnorar = 0,
                                 long* FilaEncontrada = nullptr);
    // The number has a fractional part.
    bool NumeroEsFraccion(const legacy::Variant& Numero);

    // --- voucher lookup (voucher/lookup) -----------------------------------
    // Opens the voucher picker for a type or a mode word ("RM/PENDIENTES",
    // "OC", ...) with an optional SQL condition and waits until it is closed:
    // Respuesta gets the chosen number ("" when nothing was chosen; numbers
    // joined by "," for checked purchase orders), and the two optional
    // outputs the complement and the supplier account ("" when the window
    // left them empty). Each step is trapped (routine "ConsultaComprobante");
    // an output whose step did not run keeps the caller's value.
    void ConsultaComprobante(const QString& TC, QString& Respuesta, const QString& Filtro = QString(),
                             QString* IdComplemento = nullptr, QString* Proveedor = nullptr);

    // --- loading (voucher/loading) -----------------------------------------
    // Loads a stored voucher (header, tasks, article lines, other concepts)
    // into the grids laid out beforehand by InicializaGrids: MSFlexGrid1 the
    // tasks, MSFlexGrid2 the articles, MSFlexGrid3 the other concepts. With a
    // CpteDestino it is converted into that type (an order into an invoice, a
    // delivery note into a credit note ...). Compras reads the "C_" tables by
    // the supplier account Proveedor. *IdRepartoRM -98 loads the quantities
    // negated; it comes back as the header's IdReparto (sales). *LetraDestino
    // may come back as "A". A *LrcsCpte holding a recordset object receives
    // the open header recordset. WhrTareas and WhrInsumos are SQL conditions
    // of the caller, appended as they are. Inicializar is accepted and unused.
    // Errors go to the error box under "AsignarDatosPresupuesto".
    void AsignarDatosComprobante(const QString& TC, const QString& SucNroLetra, const QString& IdComplemento,
                                 ui::MSFlexGrid* MSFlexGrid1, ui::MSFlexGrid* MSFlexGrid2,
                                 ui::MSFlexGrid* MSFlexGrid3, bool Inicializar = false,
                                 legacy::Variant* LrcsCpte = nullptr, bool Compras = false,
                                 const QString& Proveedor = {}, std::int16_t* IdRepartoRM = nullptr,
                                 bool ConvertirMoneda = false, const QString& WhrTareas = {},
                                 const QString& CpteDestino = {}, QString* LetraDestino = nullptr,
                                 bool esModificacion = false, const QString& WhrInsumos = {});
    // Some voucher not annulled (any, with TenerEnCuentaAnulados) names this
    // one, with this complement, as its origin. Errors reach the caller.
    bool EstaRelacionadoAOtroComprobante(const QString& TC, const QString& SucNroLetra,
                                         const QString& Complemento = QStringLiteral("0"),
                                         bool TenerEnCuentaAnulados = false);
    // The summed Importe of the vouchers not annulled made from this one (any
    // complement). Errors reach the caller.
    legacy::Currency ObtieneImporteCptesAsociados(const QString& TC, const QString& SucNroLetra);
    // The balance of the charges applied to the account (0 without any).
    // Errors go to the database error box under "ImporteCargosReales@".
    legacy::Currency ImporteCargosReales(const QString& Cuenta);
    // Shows the charges window modally for a customer: its properties
    // "Cliente" and "Matricula" are set first (error 438 when it lacks one).
    void ControlDeCargosReales(QWidget* FrmCtrlCargosReales, const QString& Cliente,
                               const QString& Matricula = {});
    // The quantity of the article on the voucher's line still to move (never
    // below 0); *Aplicado gets the quantity its stock rows already moved.
    double CantRepartoPend(const QString& TC, const QString& SucNroLetra, const QString& IdArticulo,
                           double* Aplicado = nullptr);

    // --- lots, serials and positions (voucher/lots) ------------------------
    // The lists a voucher line carries in its cells: ListaPipe ("|A|B|"),
    // lot items ItemLoteSerie (lot, Chr(255), serial) and position items
    // ItemPosicionCantidad ("A-01*12"). Pure text routines; a reader accepts
    // a list without its leading bar and with blanks around it, and drops
    // exactly one leading bar. No length or count limit applies.
    // The distinct items, each after one blank (" a B"); the first spelling wins.
    static QString StrSerieLote(const QString& Serie_Lote);
    // The trimmed items, then one empty element: n items give n + 1 elements.
    static void DescomponeSerieLote(const QString& Serie_Lote, QStringList& arreglo);
    // Positions split at their first "*" into position and quantity, and the
    // parallel lots; each array ends with one empty element. An item without
    // "*" goes to the error box (error 5) under "Cuenta_Series_Y_Lotes%".
    static void DescomponePosicionCantidadLote(const QString& Posicion_Lote, const QString& PIPELotes,
                                               QStringList& ArrPosiciones, QStringList& ArrCantidades,
                                               QStringList& ArrLote);
    // Units the two lists describe: distinct serials, or distinct lots when
    // there are no serials; SinConsolidar counts every item.
    static long Cuenta_Series_Lotes(const QString& PipeSeries, const QString& PIPELotes, bool SinConsolidar = false);
    // The lot of the first quantity above zero ("" when none); both lists come
    // back without their Chr(255). Error 9 when the lots list ends before it.
    static QString ExtraeSerieLoteConValor(QString& Serie, QString& Lote);
    // The item at a 1-based position, untrimmed; "" when there is none.
    static QString ExtraeSerieLote(const QString& Serie_Lote, long QuePosicion);
    // The number of items, blank and repeated ones included.
    static long Cantidad_Series_Lotes(const QString& Pipes);
    // Every item followed by Chr(255) (a lot with an empty serial); the first
    // character, the leading bar, is dropped whatever it is.
    static QString InsertaCHR255(const QString& iPipe);
    // 1-based position of the first item equal to QueSerieLote (trimmed, case
    // ignored); items + 1 when absent; 0 when the text holds no bar.
    static long Busca_Lotes_Series(const QString& PipeSeriesLotes, const QString& QueSerieLote);

    // The requests of a voucher window for a line's lists: each fills the
    // entry window, shows it modally, reads its lists back and always ends
    // with the window unloaded. A cancel gives back the earlier lists;
    // *Aceptado, when given, tells an accept (true) from a cancel. Errors go
    // to the error box under "PideSerieLote". Left out, Serie and Posicion
    // are asked and Lote and Talle not; Deposito is the configured
    // DepositoDefault; MostrarForm shows the window.
    // Serials or lots of an incoming line (entry mode); a zero quantity
    // clears both outputs without a window.
    void PideSerieLote(const QString& Articulo, double Cantidad, const QString& SerieAnt, const QString& LoteAnt,
                       QString& SerieNvo, QString& LoteNvo, bool Serie = true, bool Lote = false, bool Talle = false,
                       bool* Aceptado = nullptr);
    // Lots and per-lot quantities of an outgoing line, taken from the stock
    // of Deposito (filled with the default when empty, also for a zero
    // quantity, which opens nothing and leaves the outputs alone).
    void PideSerieLote_Salidas(ui::MSFlexGrid* Grilla, const QString& Articulo, const QString& Descripcion,
                               double& Cantidad, const QString& SeriesLoteAnt, const QString& CantidadANT,
                               QString& SeriesLoteNvo, QString& CantidadesNvo, bool Lote, bool Serie, bool Talle,
                               QString* Deposito = nullptr, bool MostrarForm = true, bool* Aceptado = nullptr);
    // The lots (column 24) and quantities (column 25) lists of every row of
    // the article, joined into one list each; no grid raises error 91.
    static void CuentaLotesEnGrilla(ui::MSFlexGrid* Grilla, const QString& Articulo, QString& LotesEnGrid,
                                    QString& CantidadesEnGrid);
    // Positions (position*quantity items) and their lots of a line.
    void PidePosicionLote(const QString& Articulo, const QString& IdUnidad, double Cantidad, const QString& Deposito,
                          const QString& PosicionAnt, const QString& LoteAnt, QString& PosicionNVO, QString& LoteNvo,
                          bool Posicion = true, bool Lote = false, bool* Aceptado = nullptr);


    // --- stock movements and seats (voucher/stock) -------------------------
    // The direction in which a voucher type moves a quantity: for stock +1
    // entry, -1 exit; for the VAT book (LibroIVA) +1 positive, -1 negative.
    // 0 only when the type is missing from V_TA_CPTE (after a message) or the
    // error box was answered with Abort.
    int ObtieneSignoComprobante(const QString& TC, bool LibroIVA = false);
    // The next automatic lot number (lots stored behind a leading blank), at
    // least "1"; nothing is reserved. Database errors reach the caller.
    QString ObtieneLoteAutomatico();
    // A production order already has an "spnl" output row.
    bool TieneSPNL(const QString& Tcp, const QString& IdCptep);
    // The statements of the seat that books the movement of the articles grid
    // `Grid` (each preceded by CR LF; empty when no seat is due). Nothing is
    // executed. eMotivoStock, TC, Nro, EsDebito and *Secuencia change as the
    // seat rules say; TipoMov 99 books the cost of goods sold as "CMV".
    QString GeneraAsientoStock(ui::MSFlexGrid& Grid, QString& eMotivoStock, QString& TC, QString& Suc, QString& Nro,
                               QString& Letra, const QString& fecha, bool EsDebito, int TipoMov,
                               long SoloRegistro = 0, int* Secuencia = nullptr);
    // The stock movement rows of a voucher's articles grid: one V_MV_STOCK row
    // per grid row and lot, serial or size item. GeneraSentenciaSQL collects
    // every statement in SqlTemp (one CR before each, the closing seat last)
    // for the caller's batch; otherwise each row runs at once with its seat.
    // The deposit, motive and origin arguments come back as SQL literals.
    // HayError tells that the voucher was not written as asked (blank business
    // unit, unknown voucher type, a failed row, or the error box left).
    // Empty texts, False and 0 stand for arguments the caller has no value for.
    void ActualizaStock(ui::MSFlexGrid& MSFlexGrid2, QString TC, QString SucNroLetra, QString IdComplemento,
                        QString& fecha, QString& IdDeposito, QString& IdDepositoDestino, QString& IdMotivoStock,
                        QString& TcOrigen, QString& ComprobanteOrigen, bool EsTransferencia, QString& Cuenta,
                        bool GeneraSentenciaSQL, QString& SqlTemp, bool& HayError, QString& IdTecnico,
                        QString& LoteFijo, QString& Aduana, QString& LoteOrigen, int SignoRemota,
                        bool MuestraCartel, QString& IdVendedor, float SecuenciaFija, QString& ArtMoneda,
                        legacy::Currency ArtCotizacion);
    // Stock balances. "Ignorar" leaves a filter out; without lot and serial the
    // balance is that of the unit (IdDeposito and IdUnidad are then filled in
    // when "Ignorar"), otherwise the sum of STK_SERIES_Y_LOTES.
    double ObtieneStock(const QString& IdArticulo, QString& IdDeposito, const QString& NroLote,
                        const QString& NroSerie, const QString& IdPosicion, QString& IdUnidad);
    double ObtieneStock(const QString& IdArticulo);
    double ObtieneStockLOTE(const QString& IdArticulo, const QString& IdDeposito, const QString& NroLote);
    void ObtieneStockxEquiv(const QString& IdDeposito, const QString& IdArticulo, const QString& UdBase,
                            const QString& udEquivBuscada, double& StockUdBase, double& StockEquiv);
    // The sum statements of the two lot balances.
    static QString SentenciaStockDetalle(const QString& IdArticulo, const QString& IdDeposito,
                                         const QString& NroLote, const QString& NroSerie,
                                         const QString& IdPosicion, bool UsaSerie, bool UsaLote);
    static QString SentenciaStockLote(const QString& IdArticulo, const QString& IdDeposito, const QString& NroLote);

private:
    friend struct ClsCmnCptesPrueba;  // tests read the configuration fields

    double PIVA = 0;
    double PIVARec = 0;
    bool AsientosXStock = false;
    bool EntregadoMostrador = false;

    // --- loading: private state --------------------------------------------
    friend struct CargaComprobante;  // one load: its state and loading routines

    // --- one call at a time (voucher/unallamada.h) ------------------------
    class UnaLlamada;
    bool llamadaEnCurso_ = false;
    // The seat statements, for the stock writer, whose call holds the turn.
    // Filas, when given, limits a seat of the whole voucher to those grid rows
    // (the rows the writer wrote). SignoFilas, when not 0, is the direction
    // the writer moved the rows in (an imposed sign included).
    QString AsientoStock(ui::MSFlexGrid& Grid, QString& eMotivoStock, QString& TC, QString& Suc, QString& Nro,
                         QString& Letra, const QString& fecha, bool EsDebito, int TipoMov, long SoloRegistro,
                         int* Secuencia, const QSet<long>* Filas = nullptr, int SignoFilas = 0);

    // --- stock: private state ----------------------------------------------
    // The seat number last drawn or used by this object, per operating
    // month, period and sub-journal.
    QMap<QString, double> UltimoAsiento;
    // The per-row seat under way: its voucher and month (the writer clears it
    // for every voucher), its number and the grid rows it books so far.
    struct LineaAsiento {
        QString articulo, motivo;
        legacy::Currency importe;
        QString propio;  // the line's own motive, before any movement kind's
    };
    QString AsientoPorFilaClave;
    double AsientoPorFilaNumero = 0;
    QMap<long, LineaAsiento> AsientoPorFilaLineas;
};
