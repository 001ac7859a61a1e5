// The stock movement writer: the V_MV_STOCK rows of a voucher's articles grid,
// one per grid row and lot, serial or size item, with their seats, and the
// discharge of the inputs of composite articles as a "PE" consumption
// voucher. One routine: the row builder and the discharge share its running
// state (Corrida).
#include "voucher/clscmncptes.h"
#include "voucher/unallamada.h"
#include "voucher/stock/comun.h"
#include "voucher/stock/despachos.h"

#include "core/busquedas.h"
#include "core/codigoarticulo.h"
#include "core/configuracion.h"
#include "core/dll_display.h"
#include "core/formato.h"
#include "core/modglobal.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/ast.h"
#include "numbering/stock.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/numeric.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/modalform.h"
#include "platform/ui/msflexgrid.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <optional>

using kapores2::Funciones;
using legacy::Currency;
using legacy::Trim;
using ModGlobal::TextoSQL;
using namespace Qt::Literals::StringLiterals;
using stockcomun::Doble;
using stockcomun::Es;
using stockcomun::Moneda;
using stockcomun::Num;

namespace {

const QChar kSeparador(0xFF);  // lot and serial inside one item

// The routine is left (Abort on a run-time error, or a failed row).
struct Sale {};

bool EsSi(const QString& valor)
{
    return Es(valor, "SI");
}

bool Blanco(const QString& t)
{
    return stockcomun::Recortado(t).isEmpty();
}

QString Cod(const QString& t, int ancho)
{
    return Funciones::RellenaCodigo(t, ancho);
}

// A deposit already made a statement literal (between apostrophes) is pasted
// as it is; any other code is made one, its own apostrophes doubled.
QString LiteralDeDeposito(const QString& deposito)
{
    return ModGlobal::EsLiteralSQL(deposito) ? deposito : TextoSQL(deposito);
}

// The number of items of a lot or serial list, blank and repeated ones
// included ("|L1||L3|" has three).
long ItemsDe(const QString& lista)
{
    QStringView v(lista);
    if (v.startsWith(u'|'))
        v = v.mid(1);
    if (v.endsWith(u'|'))
        v.chop(1);
    return v.isEmpty() ? 0 : long(v.count(u'|')) + 1;
}

bool Bandera(const QString& t)
{
    return ModGlobal::TextoABooleano(t, true);
}

QString SinComillas(const QString& t)
{
    return Funciones::QuitaCaracteres(t, QStringLiteral("'"));
}

// A sequence as its number's text: whole numbers without exponent.
QString TextoDeSecuencia(float secuencia)
{
    const double v = secuencia;
    return v == std::floor(v) ? QString::number(qint64(v)) : QString::number(v, 'f', 2);
}

// A voucher id a number book gave: branch of 4 digits, number of 8 and the
// letter, neither number 0.
bool EsIdDeTalonario(const QString& id)
{
    if (id.size() != 13)
        return false;
    bool sucursal = false, numero = false;
    return id.left(4).toInt(&sucursal) > 0 && sucursal && id.mid(4, 8).toLongLong(&numero) > 0 && numero;
}

QString PrimerosDe(const QString& t, int n)
{
    return Trim(t).size() > n ? t.left(n) : t;
}

QString Campo(const QString& tabla, const QString& valor, const char* devuelto, const char* clave, bool trim)
{
    return Funciones::ValorNoNulo(ModGlobal::gDB().DatosTabla(tabla, valor,
                                                              QString::fromLatin1(devuelto), QString::fromLatin1(clave),
                                                              legacy::Variant(8), QString(), trim, false))
        .toString();
}

// The last result of a text function of one text, given again while that
// text stays the same: what a movement row takes from the voucher's own
// values, and from its grid row for every item of it.
class Memo {
public:
    template <class F>
    const QString& operator()(const QString& entrada, F&& f)
    {
        if (!listo_ || entrada != entrada_) {
            salida_ = f(entrada);
            entrada_ = entrada;
            listo_ = true;
        }
        return salida_;
    }

private:
    bool listo_ = false;
    QString entrada_, salida_;
};

// The seat statements of the object, asked for by its writer's call.
using Asiento = std::function<QString(ui::MSFlexGrid&, QString&, QString&, QString&, QString&, QString&,
                                      const QString&, bool, int, long, int*, const QSet<long>*, int)>;

// The routine's arguments and what it reads of its object.
struct Argumentos {
    ClsCmnCptes& cls;
    ui::MSFlexGrid& g;
    DB_Dll& db;
    legacy::ErrorTrap& trap;
    QString* claveAsiento;  // the voucher's per-row seat key, cleared at every pass
    const Asiento& pideAsiento;
    double tasaIVAGeneral;
    int lenDesc;

    QString TC, SucNroLetra, IdComplemento;
    QString& fecha;
    QString& IdDeposito;
    QString& IdDepositoDestino;
    QString& IdMotivoStock;
    QString& TcOrigen;
    QString& ComprobanteOrigen;
    bool EsTransferencia;
    QString& Cuenta;
    bool GeneraSentenciaSQL;
    QString& SqlTemp;
    bool& HayError;
    QString& IdTecnico;
    QString& LoteFijo;
    QString& Aduana;
    QString& LoteOrigen;
    int SignoRemota;
    bool MuestraCartel;
    QString& IdVendedor;
    float SecuenciaFija;
    QString& ArtMoneda;
    Currency ArtCotizacion;
};

struct Corrida : Argumentos {
    explicit Corrida(const Argumentos& a) : Argumentos(a)
    {
        // An imposed sign is a direction: any positive value enters, any
        // negative one leaves, one line's quantity each (never a multiple).
        SignoRemota = SignoRemota > 0 ? 1 : SignoRemota < 0 ? -1 : 0;
    }

    // Running state.
    int Pasada = 1, CantPasadas = 1, Signo = 0, TipoMov = 0;
    long Fila = 0, UltimaFila = 0, Item = 0, CantItems = 0;
    float Secuencia = 0;
    double CantidadItem = 0, CantidadFila = 0;
    QString NroLote, NroSerie, ItemTexto, CuentaLocal;
    bool PideTalle = false, PideSerie = false, PideLote = false, HayComodato = false;
    bool EsOP = false, TieneSPNL = false, EsCompras = false;
    bool TcOrigenDelGrid = false, CpteOrigenDelGrid = false, MotivoDelGrid = false;
    bool LoteAutoING = false, LoteAutoOP = false, ConfirmaEquiv = false, CargaInsumosProd = false,
         IrObligatorio = false;
    // The columns and values of the movement row ArmaFila builds, in order
    // (kept between rows for their room).
    QString columnas, valores;
    stockcomun::DespachosDeLotes despachos;  // the dispatch data of the voucher's lots
    QSet<long> filasEscritas;  // grid rows written, in any pass: each row's seat is asked for once
    std::optional<QString> cuentaCtroDist;  // configuration CuentaCtroDist, read once
    // The account and origin type the voucher's own last row left, for the
    // movement kind of its seats (the discharge's rows are another voucher's).
    QString cuentaDelAsiento, tcOrigenDelAsiento;
    double repartido = 0;      // share of the row quantity given to earlier items (exits, see Cantidad)
    // What the line's earlier rows moved of its quantity, and gave of each of
    // its totals moved once: bundles, kilograms, cubic metres, weight (see
    // Reparto).
    double movidoDeLinea = 0;
    double dadoDeLinea[5] = {};
    struct {
        Memo tc, complemento, fecha, caja, posicion, articulo, descripcion, unidad, udPr, unegocio, moneda, tecnico,
            vendedor;
    } memo;

    // One step of the routine's error trap; leaving the trap leaves the routine.
    void S(const std::function<void()>& paso)
    {
        if (!trap(paso))
            throw Sale{};
    }

    QString Cel(long c) const { return g.TextMatrix(Fila, c); }
    void PoneCel(long c, const QString& t) { g.setTextMatrix(Fila, c, t); }
    QString ItemDe(long c) const { return ClsCmnCptes::ExtraeSerieLote(Cel(c), Item); }
    bool TomaCantidadDelItem();
    QString DepositoDeLinea() const;
    QString DepositoPrimeraPasada() const;
    QString MotivoDeLinea() const;
    bool OtraUnidad() const;
    bool PorPorcentaje() const;
    double BaseDeLinea(double cantidad) const;
    void SinLoteAlFijo();

    void Ejecuta();
    void Prepara();
    void Renglon();
    bool Entrada();  // false: the item is skipped
    bool Salida();
    void EscribeItem();
    void ArmaFila();
    void Inserta(QString& sql);
    void InsertaFila(QString& sql);
    void EjecutaOAgrega(const QString& sql, const QString& asiento);
    void FallaFila();
    void Descarga();
    // An input's base unit and how many of it one unit of its record makes.
    struct BaseDeInsumo {
        QString unidad;
        double factor = 1;
        double coeficiente = 1;  // the coefficient of the lookup that gave factor
    };
    BaseDeInsumo BaseDe(const QString& codigoInsumo, const QString& unidadInsumo, const QString& unidadFila);
    void FilaDescarga(bool compuesto, const Stock::LoteCantidad* insumo, const Stock::LoteCantidad* lote,
                      const QString& idArticulo, const QString& codigoInsumo, const QString& codigoGuardado,
                      const QString& textoInsumo, double cantidad, double enBase, const BaseDeInsumo& base,
                      bool porPorcentaje, const QString& sucNroLetraConsumo);
    int TipoMovCierre();
    // The direction the voucher's rows move in, for its seat: the sign of
    // phase 8 (an imposed one included); 0 for transfers and production
    // orders, whose passes move both ways (the seat takes the type's sign).
    int SignoDelAsiento() const { return EsTransferencia || EsOP ? 0 : Signo; }
    void CierreAsiento();
    double Reparto(int cual, double fraccion, double deLinea, bool entero);
};

// "INSERT INTO V_MV_STOCK" and the field list, which is emptied. No value
// carries a NUL character (fixed-length fields of lot records have them).
void Corrida::Inserta(QString& sql)
{
    qsizetype largo = 40;
    for (CampoValor& c : ModGlobal::gListaCampos) {
        c.Valor.remove(QChar(0));
        largo += c.Campo.size() + c.Valor.size() + 2;
    }
    sql.clear();
    sql.reserve(largo);
    sql += QLatin1String("INSERT INTO V_MV_STOCK");
    ModGlobal::ArmaInsertValores(sql, ModGlobal::gListaCampos, true);
}

// The statement of the movement row ArmaFila built, as Inserta makes it
// from the field list; the shared list is left empty as Inserta leaves it.
void Corrida::InsertaFila(QString& sql)
{
    valores.remove(QChar(0));
    sql.clear();
    sql.reserve(columnas.size() + valores.size() + 40);
    sql += QLatin1String("INSERT INTO V_MV_STOCK(");
    sql += columnas;
    sql += QLatin1String(") VALUES (");
    sql += valores;
    sql += u')';
    ModGlobal::gListaCampos.clear();
}

void Corrida::FallaFila()
{
    ui::MsgBox(db.gCnn->Errors().Item(0).Description, ui::vbCritical, QStringLiteral("Aviso al operador"));
    HayError = true;
    throw Sale{};
}

void Corrida::EjecutaOAgrega(const QString& sql, const QString& asiento)
{
    if (GeneraSentenciaSQL) {
        SqlTemp += u'\r';
        SqlTemp += sql;
        return;
    }
    S([&] { db.EjecutaConsultaSQL(asiento.isEmpty() ? sql : sql + QStringLiteral("\r\n ") + asiento); });
    ui::DoEvents();
    if (db.gCnn->Errors().Count() > 0)
        FallaFila();
}

void Corrida::Prepara()
{
    S([&] {
        CargaInsumosProd = EsSi(ModGlobal::Cfg(QStringLiteral("CargaInsumosProduccion")));
        LoteAutoING = EsSi(ModGlobal::Cfg(QStringLiteral("AsignacionAutomaticaDeLoteING")));
        LoteAutoOP = EsSi(ModGlobal::Cfg(QStringLiteral("AsignacionAutomaticaDeLoteINGOP")));
        ConfirmaEquiv = EsSi(ModGlobal::Cfg(QStringLiteral("ConfirmaUDEquiv")));
    });
    TipoMov = 0;
    if (MuestraCartel)
        S([&] { ModGlobal::gCartel().CartelInicio(QStringLiteral("Grabando Stock...."), 0); });
    CuentaLocal = Cuenta;
    S([&] { TcOrigen = Cod(Trim(TcOrigen), 4); });
    EsOP = Es(TC, "OP");
    if (EsOP)
        S([&] { TieneSPNL = cls.TieneSPNL(TC, SucNroLetra); });

    const auto origen = [](QString& valor, bool& delGrid) {
        if (Es(valor, "ELDELGRID"))
            delGrid = true;
        else
            valor = Blanco(valor) ? QStringLiteral("NULL") : TextoSQL(valor);
    };
    origen(TcOrigen, TcOrigenDelGrid);
    origen(ComprobanteOrigen, CpteOrigenDelGrid);
    cuentaDelAsiento = CuentaLocal;
    tcOrigenDelAsiento = TcOrigen;

    // The purchase order's reception date. Collected with the rest when the
    // caller runs one batch, so it is all or nothing with the voucher's rows.
    S([&] {
        const QString ir = ModGlobal::Cfg(QStringLiteral("IR_Oblig"));
        IrObligatorio = !(Blanco(ir) || Es(ir, "NO"));
        if ((Es(TC, "FCC") || Es(TC, "RMC")) && Es(Funciones::ObtieneTextoTc(TcOrigen), "OC") && !IrObligatorio) {
            const QString sql = QStringLiteral("if exists(select * from c_mv_cpte  with(nolock)  where TC=") +
                                TcOrigen + QStringLiteral(" and IDCOMPROBANTE=") + ComprobanteOrigen +
                                QStringLiteral(" and fecharecepcion is null) ") +
                                QStringLiteral(" UPDATE c_mv_cpte set FechaRecepcion=") + TextoSQL(fecha) +
                                QStringLiteral(" where TC=") + TcOrigen + QStringLiteral(" and IDCOMPROBANTE=") +
                                ComprobanteOrigen;
            if (GeneraSentenciaSQL)
                SqlTemp += QStringLiteral("\r") + sql;
            else
                db.EjecutaConsultaSQL(sql);
        }
    });

    S([&] { Signo = SignoRemota != 0 ? SignoRemota : cls.ObtieneSignoComprobante(TC, false); });
    if (Signo == 0) {
        // A voucher type missing from V_TA_CPTE (its message was shown):
        // nothing is written and the caller is told.
        HayError = true;
        throw Sale{};
    }
    if (((EsOP && LoteAutoOP) || LoteAutoING) && Signo == 1)
        S([&] { LoteFijo = cls.ObtieneLoteAutomatico(); });

    ui::DoEvents();
    S([&] { EsCompras = Es(Campo(QStringLiteral("V_TA_CPTE"), TC, "Sistema", "Codigo", true), "COMPRAS"); });

    S([&] {
        if (Es(IdDeposito, "ELDELGRID"))
            return;
        IdDeposito = Blanco(IdDeposito)
                         ? TextoSQL(Cod(Trim(ModGlobal::Cfg(QStringLiteral("DepositoDefault"))), 4))
                         : TextoSQL(Cod(Trim(IdDeposito), 4));
    });
    S([&] {
        if (Es(IdMotivoStock, "ELDELGRID")) {
            MotivoDelGrid = true;
            return;
        }
        IdMotivoStock.remove(u'\'');
        IdMotivoStock = Blanco(IdMotivoStock)
                            ? TextoSQL(Cod(Trim(ModGlobal::Cfg(QStringLiteral("MotivoStockDefault"))), 4))
                            : TextoSQL(Cod(Trim(IdMotivoStock), 4));
    });
    S([&] { IdDepositoDestino = Blanco(IdDepositoDestino) ? QStringLiteral("NULL") : TextoSQL(Cod(Trim(IdDepositoDestino), 4)); });

    Pasada = 1;
    CantPasadas = (EsTransferencia || EsOP) ? 2 : 1;
    if (EsOP && TieneSPNL)
        CantPasadas = 1;

    Secuencia = SecuenciaFija > 0 ? SecuenciaFija : 0;
    if (EsOP) {
        IdDepositoDestino = IdDeposito;
        S([&] {
            std::shared_ptr<ado::Recordset> rs;
            db.AbrirRecordset(QStringLiteral("SELECT MAX(SECUENCIA) AS MAX_SECUENCIA FROM V_MV_STOCK WHERE TC = '") +
                                  ModGlobal::DuplicaApostrofes(Cod(Trim(TC), 4)) +
                                  QStringLiteral("' AND IDCOMPROBANTE = '") +
                                  ModGlobal::DuplicaApostrofes(SucNroLetra) + QStringLiteral("'"),
                              rs, nullptr, 0, 1, -1, true);
            Secuencia = float(Funciones::TextoADoble(Funciones::ValorNoNulo(rs->Fields(0))));
            if (Secuencia != 0)
                Secuencia += 1;
        });
    }
}

void Corrida::Ejecuta()
{
    if (Blanco(ModGlobal::gUNegocio)) {
        ui::MsgBox(QStringLiteral("ERROR EN ASIGNACION DE UNIDAD DE NEGOCIO") + QStringLiteral("\r\n") +
                       QStringLiteral("Verifique si el usuario tiene asignado una unidad de negocio"),
                   ui::vbCritical, QStringLiteral("Atencion!"));
        HayError = true;
        return;
    }
    Prepara();

    claveAsiento->clear();
    for (Pasada = 1; Pasada <= CantPasadas; ++Pasada) {
        if (EsTransferencia)
            Signo = Pasada == 1 ? -1 : 1;
        if (EsOP)
            Signo = Pasada == 1 ? 1 : -1;
        UltimaFila = g.Rows() - 1;
        for (Fila = 1; Fila <= UltimaFila; ++Fila)
            Renglon();
    }

    ui::DoEvents();
    Descarga();
    if (MuestraCartel)
        ModGlobal::gCartel().CartelCerrar();
    if (!GeneraSentenciaSQL)
        return;
    CierreAsiento();
}

void Corrida::Renglon()
{
    bool toma = false;
    S([&] {
        toma = !Cel(0).isEmpty() && (Moneda(Cel(8)) != Currency(0) || Moneda(Cel(66)) != Currency(0));
        if (toma && EsOP)
            toma = (Cel(31) == QLatin1String("-1")) == (Pasada == 1);
    });
    if (!toma)
        return;
    NroLote.clear();
    NroSerie.clear();
    S([&] {
        PideTalle = Bandera(Trim(Cel(64)));
        PideSerie = Bandera(Trim(Cel(22)));
        PideLote = Bandera(Trim(Cel(23)));
        if (Signo == 1) {
            if (PideTalle || (PideSerie && EsTransferencia))
                CantItems = ClsCmnCptes::Cuenta_Series_Lotes(Cel(24), QString(), false);
            else if (PideSerie)
                CantItems = ClsCmnCptes::Cuenta_Series_Lotes(Cel(25), Cel(24), true);
            else
                // The items of any other article are the lots of its list,
                // each entering its own quantity (a transfer's as they
                // left): counting distinct texts would stop before a lot
                // whose quantity or name an earlier item has, or that
                // follows a blank one. Without a list, one row.
                CantItems = ItemsDe(Cel(24));
        } else if (Signo == -1) {
            CantItems = ClsCmnCptes::Cuenta_Series_Lotes(Cel(24), QString(), false);
            // An exit walks every item of its list, each leaving with its own
            // quantity: counting only the distinct lots would stop before the
            // items that follow a blank or repeated one.
            if (CantItems > 0)
                CantItems = ItemsDe(Cel(24));
        }
    });
    Item = 0;
    repartido = 0;
    movidoDeLinea = 0;
    std::fill(std::begin(dadoDeLinea), std::end(dadoDeLinea), 0.0);
    bool sigue = true;
    while (sigue) {
        Secuencia += 1;
        Item += 1;
        S([&] { CantidadItem = Doble(Cel(8)); });
        ui::DoEvents();
        bool escribe = true;
        S([&] {
            if (Signo == 1)
                escribe = Entrada();
            else if (Signo == -1)
                escribe = Salida();
        });
        if (!escribe) {
            Secuencia -= 1;
        } else {
            ui::DoEvents();
            if (CantidadItem < 0 && EsOP && TieneSPNL)
                return;
            EscribeItem();
        }
        S([&] {
            // Every item of the row's list is walked: each moves its own
            // quantity, so the number of items is no bound on the quantity
            // (an item of 0, or of a fraction, stops nothing).
            sigue = (Signo == 1 || Signo == -1) && Item < CantItems;
        });
    }
}

// Splits an item at its first separator into lot and serial; without one
// both keep what they hold.
void Parte(const QString& item, QString& lote, QString& serie)
{
    const int i = item.indexOf(kSeparador);
    if (i < 0)
        return;
    lote = item.left(i);
    serie = item.mid(i + 1);
}

// The current item of a lot, serial or size list moves the quantity beside
// it (column 25), never the whole row again; an item beside 0 moves nothing
// (false: the item is skipped).
bool Corrida::TomaCantidadDelItem()
{
    CantidadItem = Doble(ItemDe(25));
    return CantidadItem != 0;
}

// The deposit of the current line as a literal: its own (column 6), else the
// voucher's. A line without one when the lines name their deposits takes the
// configured default deposit, as a voucher without deposit does: the word
// that asks for per-line deposits is never written as a deposit.
QString Corrida::DepositoDeLinea() const
{
    QString deposito = Trim(Cel(6));
    if (Blanco(deposito))
        deposito = Es(IdDeposito, "ELDELGRID") ? Trim(ModGlobal::Cfg(QStringLiteral("DepositoDefault"))) : IdDeposito;
    return LiteralDeDeposito(Cod(deposito, 4));
}

// The deposit the first pass writes for the current line: the voucher's when
// the caller imposed the entry sign, else the line's own.
QString Corrida::DepositoPrimeraPasada() const
{
    return SignoRemota == 1 && !Es(IdDeposito, "ELDELGRID") ? IdDeposito : DepositoDeLinea();
}

// The stock motive of the current line without apostrophes: the line's own
// (column 89) when each line names its own, else the voucher's.
QString Corrida::MotivoDeLinea() const
{
    QString motivo = MotivoDelGrid ? TextoSQL(Cod(Cel(89), 4)) : IdMotivoStock;
    motivo.remove(u'\'');
    return motivo;
}

// The current line is in another unit than its base one, by a coefficient
// (an empty one means no conversion: the cell is set to "1" when the row is
// written; any other text is read as a number).
bool Corrida::OtraUnidad() const
{
    const double coeficiente = Cel(10).isEmpty() ? 1.0 : Doble(Cel(10));
    return Trim(Cel(5)).compare(Trim(Cel(44)), Qt::CaseInsensitive) != 0 && coeficiente != 1;
}

// The current line's inputs are percentages of its quantity (column 71).
bool Corrida::PorPorcentaje() const
{
    return Bandera(Trim(Cel(71)));
}

// A quantity of the current line in its base unit: its base quantity
// (column 77) when the line gives one, else the quantity by the line's
// coefficient when the line is in another unit; a blank cell is no base
// quantity of 0.
double Corrida::BaseDeLinea(double cantidad) const
{
    const Currency base = Moneda(Cel(77));
    if (base != Currency(0))
        return base.toDouble();
    return OtraUnidad() ? cantidad * Doble(Cel(10)) : cantidad;
}

// An item without lot enters under the voucher's fixed (or automatic) lot;
// not in a transfer, whose items arrive under the lot they left with.
void Corrida::SinLoteAlFijo()
{
    if (Blanco(NroLote) && !Blanco(LoteFijo) && !EsTransferencia)
        NroLote = Cod(Trim(LoteFijo), 25);
}

bool Corrida::Entrada()
{
    NroLote = Cod(Trim(ItemDe(24)), 25);
    // The separator the stock pick puts after a lot is dropped with whatever
    // follows it (a perishable lot's too): the item is already padded, so it
    // is not its last character. A size item is split below.
    if (NroLote.contains(kSeparador))
        NroLote = Cod(Trim(NroLote.left(NroLote.indexOf(kSeparador))), 25);
    // Column 25 holds the serials of a serial article (outside a transfer,
    // whose serials travel with their lots in column 24); beside the lots of
    // any other article it holds their quantities, never a serial.
    NroSerie = PideSerie && !EsTransferencia ? Cod(Trim(ItemDe(25)), 25) : QString();
    const QString perecedero = Blanco(Cel(49)) ? QStringLiteral("0") : Cel(49);
    if (Bandera(perecedero)) {
        // Under the lot of its own item, the fixed lot when it has none.
        SinLoteAlFijo();
        return CantItems > 1 ? TomaCantidadDelItem() : true;
    }
    if (PideTalle) {
        ItemTexto = ItemDe(24);
        if (!Blanco(ItemTexto)) {
            QString sinUso;
            Parte(ItemTexto, NroLote, sinUso);
            NroLote = Cod(Trim(NroLote), 25);
            NroSerie.clear();
            if (!TomaCantidadDelItem())
                return false;
        }
    } else {
        SinLoteAlFijo();
    }
    if (PideSerie) {
        ItemTexto = ItemDe(EsTransferencia ? 24 : 25);
        if (!Blanco(ItemTexto)) {
            Parte(ItemTexto, NroLote, NroSerie);
            NroLote = Cod(Trim(NroLote), 25);
            NroSerie = Cod(Trim(NroSerie), 25);
            CantidadItem = EsTransferencia ? Doble(ItemDe(25)) : 1;
            if (CantidadItem == 0)
                return false;
        }
        return true;
    }
    // Each item of a list enters its own quantity, with the fixed or automatic
    // lot as without it: a line's rows never enter more than the line.
    if (CantItems > 1 || (EsTransferencia && PideLote))
        return TomaCantidadDelItem();
    if (LoteFijo.isEmpty() && CantidadItem == 0) {
        if (PideTalle || PideSerie || PideLote)
            return false;
        // The quantity of this row (not of the row written last).
        CantidadItem = Moneda(Cel(8)).toDouble();
    }
    return true;
}

bool Corrida::Salida()
{
    if (Trim(Cel(64)).isEmpty())
        PoneCel(64, QStringLiteral("0"));
    if (Bandera(Trim(Cel(64)))) {
        // A sized item leaves under the lot it entered with: the part before
        // the separator, in its code form.
        QString lote = ItemDe(24), sinUso;
        Parte(lote, lote, sinUso);
        NroLote = Cod(Trim(lote), 25);
        NroSerie.clear();
        return TomaCantidadDelItem();
    }
    ItemTexto = ItemDe(24);
    if (Blanco(ItemTexto)) {
        // No lot and no serial. A row without a list moves its own quantity;
        // a blank item of a list moves the quantity beside it, and none when
        // that is 0, never another item's lot or the whole row again.
        NroLote.clear();
        NroSerie.clear();
        if (CantItems == 0)
            return true;
        return TomaCantidadDelItem();
    }
    QString lote = ItemTexto, serie;
    Parte(ItemTexto, lote, serie);
    NroLote = Cod(Trim(lote), 25);
    NroSerie = Cod(Trim(serie), 25);
    return TomaCantidadDelItem();
}

void Corrida::EscribeItem()
{
    QString sql;
    S([&] { ArmaFila(); });
    S([&] { InsertaFila(sql); });
    ui::DoEvents();
    if (MuestraCartel)
        S([&] {
            bool cancelado = false;
            ModGlobal::gCartel().CartelMostrar(cancelado, legacy::Variant(QStringLiteral("Grabando Stock...")),
                                               legacy::Variant(Trim(Cel(0)) + QStringLiteral("  ") + Cel(1)),
                                               legacy::Variant(QString::number(Fila) + QStringLiteral(" de ") +
                                                               QString::number(g.Rows() - 1)));
        });
    const bool primerItem = !filasEscritas.contains(Fila);
    filasEscritas.insert(Fila);
    if (GeneraSentenciaSQL) {
        EjecutaOAgrega(sql, QString());
        return;
    }
    // The row's seat is asked for once, with the row's first written item: it
    // books the whole row, whatever the number of its lot items, and a
    // transfer's entry pass does not book it again. It is the seat the
    // collecting mode books at the end, of the same movement kind; the seat
    // gets a copy of the motive, so that the motive it settles for itself
    // (a closing or reception motive) does not become the next rows'.
    QString asiento;
    if (primerItem) {
        S([&] {
            QString tc = TC, suc = SucNroLetra.mid(0, 4), nro = SucNroLetra.mid(4, 8), letra = SucNroLetra.mid(12, 1);
            QString motivo = IdMotivoStock;
            int secuencia = 1;
            asiento = pideAsiento(g, motivo, tc, suc, nro, letra, fecha, true, TipoMovCierre(), Fila, &secuencia,
                                  nullptr, SignoDelAsiento());
        });
    }
    EjecutaOAgrega(sql, asiento);
}

void Corrida::ArmaFila()
{
    // Emptied keeping their room: a row is built without growing them again.
    columnas.resize(0);
    valores.resize(0);
    const auto par = [&](const QString& campo, const QString& valor) {
        if (!columnas.isEmpty()) {
            columnas += u',';
            valores += u',';
        }
        columnas += campo;
        valores += valor;
    };

    const auto literal = [](const QString& t) { return TextoSQL(t); };
    const auto codigo4 = [](const QString& t) { return TextoSQL(Cod(t, 4)); };
    const auto codigo4Recortado = [](const QString& t) { return TextoSQL(Cod(Trim(t), 4)); };

    par(u"TC"_s, memo.tc(TC, codigo4));
    par(u"IdComprobante"_s, TextoSQL(SucNroLetra));
    // The complement goes in as a number, 0 when blank: pasted as typed, a
    // blank one or a text would break the statement.
    if (!EsCompras)
        par(u"IdComplemento"_s, memo.complemento(IdComplemento, [](const QString& t) {
                return Num(Blanco(t) ? QStringLiteral("0") : Trim(t));
            }));
    par(u"Secuencia"_s, TextoDeSecuencia(Secuencia));
    par(u"Fecha"_s, memo.fecha(fecha, literal));
    if (!Blanco(ModGlobal::gCaja)) {
        ModGlobal::gCaja.remove(u'\'');
        par(u"IdCaja"_s, memo.caja(ModGlobal::gCaja, codigo4));
    }
    // The second pass writes the destination (a production order's own
    // deposit), or the line's own deposit when the order's lines name theirs.
    if (Pasada == 1)
        par(u"IdDeposito"_s, DepositoPrimeraPasada());
    else
        par(u"IdDeposito"_s, Es(IdDepositoDestino, "ELDELGRID") ? DepositoDeLinea() : IdDepositoDestino);
    if (EsTransferencia) {
        // An exit names its destination; an entry the deposit its own line
        // left from.
        const QString otro = Pasada == 1 ? IdDepositoDestino : DepositoPrimeraPasada();
        par(u"IDDEPOSITO_DESTINO"_s, Blanco(otro) ? QStringLiteral("null") : Cod(otro, 4));
    }
    par(u"IdPosicion"_s, memo.posicion(Cel(4), [](const QString& t) { return TextoSQL(SinComillas(Trim(t))); }));
    par(u"IdArticulo"_s, memo.articulo(Cel(0), [](const QString& t) { return TextoSQL(Cod(Trim(t), 25)); }));
    par(u"Descripcion"_s, memo.descripcion(Cel(1), [&](const QString& t) {
            QString descripcion = Trim(t);
            if (descripcion.size() > lenDesc)
                descripcion = descripcion.left(lenDesc);
            return TextoSQL(SinComillas(descripcion));
        }));
    ui::DoEvents();

    par(u"NroLote"_s, Blanco(NroLote) ? QStringLiteral("NULL") : TextoSQL(PrimerosDe(NroLote, 25)));
    QString controladoPorLote, idOrigenLote;
    if (!Blanco(NroLote))
        despachos.Datos(g, LoteFijo, NroLote, controladoPorLote, idOrigenLote);
    if (!Blanco(Cel(90)))
        par(u"ControladoPor"_s, TextoSQL(Trim(Cel(90))));
    else if (Blanco(Cel(40)))
        par(u"ControladoPor"_s, Blanco(Aduana) ? TextoSQL(controladoPorLote) : TextoSQL(SinComillas(Trim(Aduana))));
    else
        par(u"ControladoPor"_s, TextoSQL(SinComillas(Trim(Cel(40)))));
    if (!Blanco(Cel(39)))
        par(u"IdOrigen"_s, TextoSQL(Cod(Trim(Cel(39)), 4)));
    else if (!Blanco(LoteOrigen))
        par(u"IdOrigen"_s, TextoSQL(Cod(Trim(LoteOrigen), 4)));
    else if (!Blanco(idOrigenLote))
        par(u"IdOrigen"_s, TextoSQL(Cod(Trim(idOrigenLote), 4)));
    else
        par(u"IdOrigen"_s, QStringLiteral("NULL"));
    if (EsTransferencia && !PideSerie && Signo == 1)
        par(u"NroSerie"_s, QStringLiteral("NULL"));
    else
        par(u"NroSerie"_s, Blanco(NroSerie) ? QStringLiteral("NULL") : TextoSQL(PrimerosDe(NroSerie, 25)));
    par(u"IdUnidad"_s, memo.unidad(Cel(5), [&](const QString& t) {
            return Blanco(t) ? QStringLiteral("NULL") : codigo4Recortado(t);
        }));

    // Quantity.
    ui::DoEvents();
    CantidadFila = Moneda(Cel(8)).toDouble();
    double movimiento = CantidadFila;
    const bool conLoteOSerie = !Blanco(NroLote) || !Blanco(NroSerie);
    const bool otraUnidad = OtraUnidad();
    // The items of a list of a line in another unit than the base one give
    // base units: the line's quantity is shared among them in their
    // proportion, the last one with a quantity taking the rest, so that the
    // items together move exactly the line's quantity in each unit; a lone
    // item moves the whole line.
    bool unidadesDelItem = false;
    double enBase = 0;
    const auto reparte = [&](double base) {
        unidadesDelItem = true;
        enBase = base;
        movimiento = CantidadFila;
        if (CantItems < 2)
            return;
        double total = 0;
        long ultimo = 0;
        for (long i = 1; i <= CantItems; ++i) {
            const double q = Doble(ClsCmnCptes::ExtraeSerieLote(Cel(25), i));
            total += q;
            if (q != 0)
                ultimo = i;
        }
        if (Item >= ultimo || total == 0) {
            movimiento = CantidadFila - repartido;
        } else {
            movimiento = std::round(CantidadFila * base / total * 10000.0) / 10000.0;
            repartido += movimiento;
        }
    };
    if (Signo == 1) {
        const double delItem = CantItems > 0 ? Doble(ItemDe(25)) : 0;
        if (otraUnidad && delItem != 0 && !Bandera(Trim(Cel(64))) && !PideSerie)
            reparte(delItem);
        else if (Bandera(Trim(Cel(64))) || (Blanco(NroLote) && !Blanco(NroSerie)) || !(PideSerie && conLoteOSerie))
            movimiento = CantidadItem;
        else
            movimiento = CantItems > 1 ? 1 : CantidadFila;
    } else if (Signo == -1) {
        if ((CantidadItem > 0 || conLoteOSerie) && !otraUnidad) {
            movimiento = CantidadItem;
            // The weight of a weighable line is its own, not its pieces: it
            // stays for the line's other rows and passes. So does the base
            // quantity of a line of percentage inputs: the discharge shares
            // out the whole line, whatever its lots moved.
            if (!Bandera(Trim(Cel(79))) && !PorPorcentaje())
                PoneCel(77, QString::number(CantidadItem, 'g', 15));
        } else if (otraUnidad && CantItems > 0) {
            reparte(CantidadItem);
        }
    }
    ui::DoEvents();
    // The share of the line's quantity its rows have moved up to this one.
    movidoDeLinea += movimiento;
    const double fraccion =
        CantidadFila == 0 ? 1.0 : std::min(1.0, std::round(movidoDeLinea / CantidadFila * 1e9) / 1e9);
    movimiento *= Signo;
    par(u"Cantidad"_s, Num(movimiento));
    CantidadItem = 0;

    // Secondary quantity and base unit.
    PoneCel(11, Cod(Trim(Cel(11)), 4));
    if (Cel(79).isEmpty())
        PoneCel(79, QStringLiteral("0"));
    const bool pesable = Bandera(Trim(Cel(79)));
    const QString base = Trim(Cel(44));
    const auto ud = [&](const QString& cantidad, const QString& unidad) {
        par(u"CantidadUD"_s, cantidad);
        par(u"IdUnidadBase"_s, TextoSQL(Cod(unidad, 4)));
    };
    const Currency signo(Signo);
    if (pesable && Blanco(base)) {
    } else if (pesable) {
        ud(Num(Signo * Reparto(3, fraccion, Moneda(Cel(77)).toDouble(), false)), base);
    } else if (ConfirmaEquiv) {
        // The line's equivalent quantity is shared among its rows as its
        // quantity is, never given whole to each.
        ud(Num(Signo * Reparto(4, fraccion, Moneda(Cel(12)).toDouble(), false)), Trim(Cel(11)));
    } else if (unidadesDelItem) {
        ud(Num(enBase * Signo), Blanco(base) ? Trim(Cel(5)) : base);
    } else if (CantItems > 0) {
        // An item of a list, with a lot or blank: its own quantity. A line
        // without list under the voucher's fixed lot moves the whole line,
        // in base units as without lot.
        ud(Num(Signo == -1 ? movimiento : movimiento * Signo), Blanco(base) ? Trim(Cel(5)) : base);
    } else if (!Blanco(base)) {
        // Either way, in base units: a line in another unit whose base
        // quantity was left blank moves its quantity by its coefficient.
        ud(Num(Signo * BaseDeLinea(movimiento * Signo)), base);
    } else {
        ud(Num(signo * Moneda(Cel(8))), Trim(Cel(5)));
    }

    // Provider account.
    CuentaLocal = Trim(Cuenta);
    if (Es(CuentaLocal, "PorDefault")) {
        CuentaLocal = Trim(Campo(QStringLiteral("V_MA_ARTICULOS"), Cod(Trim(Cel(0)), 25), "CUENTAPROVEEDOR",
                                 "IDARTICULO", true));
        if (CuentaLocal.isEmpty())
            CuentaLocal = QStringLiteral("NULL");
    }
    if (!Es(CuentaLocal, "NULL"))
        par(u"CuentaProveedor"_s, TextoSQL(CuentaLocal));

    IdMotivoStock = MotivoDeLinea();
    par(u"IdMotivoStock"_s, TextoSQL(Cod(Trim(IdMotivoStock), 4)));
    par(u"PrecioVenta"_s, Num(Moneda(Cel(17))));
    par(u"Importe_S_Iva"_s, Num(Moneda(Cel(20))));
    if (Moneda(Cel(41)) == Currency(0))
        par(u"Costo"_s, Num(Moneda(Campo(QStringLiteral("V_MA_ARTICULOS"), Cod(Trim(Cel(0)), 25), "Costo",
                                         "idarticulo", false))));
    else
        par(u"Costo"_s, Num(Moneda(Cel(41))));
    par(u"Impuestos"_s, Num(Moneda(Cel(43)) + Moneda(Cel(96))));
    par(u"DtoItem"_s, Num(Moneda(Cel(14))));
    if (TcOrigenDelGrid)
        TcOrigen = Trim(Cel(37).left(4));
    TcOrigen.remove(u'\'');
    par(u"Tc_Origen"_s, TextoSQL(TcOrigen));
    cuentaDelAsiento = CuentaLocal;
    tcOrigenDelAsiento = TcOrigen;
    if (CpteOrigenDelGrid)
        ComprobanteOrigen = TextoSQL(Trim(Cel(37).mid(4, 13)));
    par(u"IdComprobante_Origen"_s, ComprobanteOrigen);
    par(u"Id_Origen"_s, Num(Moneda(Cel(38))));
    const bool exento = std::lround(Moneda(Cel(19)).toDouble()) == -1;
    par(u"IVARI"_s, Moneda(Cel(36)) == Currency(0) && !exento ? Num(tasaIVAGeneral) : Num(Moneda(Cel(36))));
    par(u"IVARNI"_s, Num(Moneda(Cel(48))));
    if (!Es(IdTecnico, "NULL"))
        par(u"IdTecnico"_s, memo.tecnico(IdTecnico, codigo4));
    if (Cel(10).isEmpty())
        PoneCel(10, QStringLiteral("1"));
    par(u"EQUIV_UDBASE"_s, Num(legacy::Variant(Cel(10))));
    par(u"IDINSERT"_s, Num(legacy::Variant(Cel(83))));
    par(u"IDCOMPULSA"_s, Num(legacy::Variant(Cel(84))));
    par(u"Oferta"_s, Num(legacy::Variant(Cel(88))));
    par(u"IdVendedor"_s, memo.vendedor(IdVendedor, literal));
    par(u"Importe_Ud"_s, Num(legacy::Variant(Cel(16))));
    par(u"Ud_Pr"_s, memo.udPr(Cel(15), codigo4));
    par(u"UNEGOCIO"_s, memo.unegocio(ModGlobal::gUNegocio, codigo4Recortado));
    par(u"ARTMONEDA"_s, memo.moneda(ArtMoneda, codigo4));
    par(u"ARTCOTIZACION"_s, Num(ArtCotizacion));
    par(u"EnComodato"_s, Num(legacy::Variant(Cel(91))));
    if (!HayComodato)
        HayComodato = legacy::Val(Cel(91)) == 1;
    for (const auto& [i, campo, col] : {std::tuple{0, u"CANT_BL"_s, 66}, std::tuple{1, u"CANT_KG"_s, 67},
                                        std::tuple{2, u"CANT_M3"_s, 65}}) {
        const auto entero = qint64(Reparto(i, fraccion, Doble(Cel(col)), true));
        par(campo, Num(legacy::Variant(QString::number(entero * Signo))));
    }
}

// What the current row moves of a total its line moves once (its bundles,
// kilograms or cubic metres, in whole units, or the weight of a weighable
// line, or its quantity in its equivalent unit, to four decimals): the
// line's total shared among its rows as its
// quantity is. The running share up to this row (fraccion of the line's
// quantity) is rounded and the earlier rows' part taken off, so the rows
// together move exactly the line's total, as one row moves it whole.
double Corrida::Reparto(int cual, double fraccion, double deLinea, bool entero)
{
    const double hasta = entero ? double(legacy::CLng(legacy::Variant(deLinea * fraccion)))
                                : std::round(deLinea * fraccion * 10000.0) / 10000.0;
    const double parte = std::round((hasta - dadoDeLinea[cual]) * 10000.0) / 10000.0;
    dadoDeLinea[cual] = hasta;
    return parte;
}

void Corrida::Descarga()
{
    // A transfer moves its composites whole, from one deposit to the other:
    // nothing is made or consumed, so no consumption voucher is booked.
    if (EsTransferencia)
        return;
    if (EsOP && TieneSPNL)
        return;
    if (Es(TC, "SPL") || Es(TC, "AJP") || Es(TC, "AJN"))
        return;
    if (!EsOP && CargaInsumosProd && Es(legacy::App().exeName, "V_MV_OP"))
        return;
    bool sale = false;
    S([&] { sale = EsSi(ModGlobal::Cfg(QStringLiteral("DescargaInsumosProduccion"))) || EsOP; });
    if (sale)
        return;

    QString consumo;
    // What the run's lines took of each input in each deposit.
    std::map<QString, double> tomado;
    NroLote.clear();
    Secuencia = 0;
    for (Fila = 1; Fila <= g.Rows() - 1; ++Fila) {
        bool toma = false;
        QString idArticulo, unidadFila;
        bool porPorcentaje = false;
        Stock::ListaLoteCantidad insumos;
        S([&] {
            toma = Moneda(Cel(8)) != Currency(0) && !Cel(0).isEmpty();
            if (!toma)
                return;
            idArticulo = Trim(Cel(0));
            CantidadFila = Moneda(Cel(8)).toDouble();
            unidadFila = Trim(Cel(5));
            porPorcentaje = PorPorcentaje();
            // The inputs are given per unit of the article: a line in another
            // unit than its base one discharges its base quantity, as a
            // percentage line does.
            if (porPorcentaje || OtraUnidad())
                CantidadFila = BaseDeLinea(CantidadFila);
            // Looked up by the article's stored key, as its inputs are: a
            // numeric code is stored right-aligned.
            if (Es(Campo(QStringLiteral("V_MA_ARTICULOS"), Cod(idArticulo, 25), "PROCEDENCIA", "IDARTICULO", false),
                   "PRODUCCION")) {
                toma = false;
                return;
            }
            toma = Stock::IdArticuloTieneInsumos(idArticulo, insumos, false);
        });
        if (!toma)
            continue;
        if (consumo.isEmpty()) {
            S([&] {
                QString sucursal = QStringLiteral("0001"), letra = QStringLiteral("X");
                consumo = Stock::AsignarNumeroComprobante(QStringLiteral("PE"), sucursal, letra).toString();
            });
            // No number (a used-up book, told to the operator where it was
            // asked for): the consumption voucher is not written under an id
            // that no book gave, and the caller learns the voucher is not
            // complete.
            if (!EsIdDeTalonario(consumo)) {
                HayError = true;
                throw Sale{};
            }
        }
        if (porPorcentaje)
            FilaDescarga(true, nullptr, nullptr, idArticulo, QString(), QString(), QString(), 0, 0, {}, true, consumo);
        for (const Stock::LoteCantidad& insumo : insumos) {
            const QString guardado = ModGlobal::LimpiaTexto(legacy::Variant(insumo.Codigo.texto()));
            QString codigo = guardado;
            if (codigo.isEmpty())
                continue;
            QString texto;
            if (codigo.startsWith(u'*')) {
                // A free-text input: its text is the description ("*" alone
                // has none).
                texto = codigo.mid(1);
                codigo = QStringLiteral("*");
            }
            double cantidad = CantidadFila * insumo.Cantidad;
            if (porPorcentaje)
                cantidad /= 100;
            bool existe = true;
            if (codigo != QLatin1String("*"))
                S([&] { existe = ModGlobal::BuscaArticulo(codigo); });
            if (!existe)
                continue;
            // The lots are searched where the row leaves (the line's own
            // deposit when the lines name theirs), and what the voucher's
            // earlier lines took of this input there is taken first: the
            // lots are shared out for both together and the earlier part is
            // passed over, so no lot gives twice.
            // Lots hold the input's stock in its base unit: the need given
            // in the record's unit is split over them in base units (what
            // earlier lines took counted the same way), and each lot row
            // leaves its base quantity with its share of the need in the
            // record's unit.
            BaseDeInsumo base;
            S([&] {
                base = BaseDe(codigo, Trim(ModGlobal::LimpiaTexto(legacy::Variant(insumo.Unidad.texto()))),
                              unidadFila);
            });
            const double enBase = cantidad * base.factor;
            Stock::ListaLoteCantidad lotes;
            bool conLotes = false;
            const QString deposito = DepositoDeLinea();
            double tomadoAntes = 0;
            if (enBase > 0) {
                double& llevado = tomado[Cod(codigo, 25) + u'|' + deposito];
                tomadoAntes = llevado;
                llevado += enBase;
            }
            S([&] { conLotes = Stock::ArticuloTieneLotes(codigo, deposito, lotes, tomadoAntes + enBase); });
            if (!conLotes) {
                FilaDescarga(false, &insumo, nullptr, idArticulo, codigo, guardado, texto, cantidad, enBase, base,
                             porPorcentaje, consumo);
                continue;
            }
            double acumulado = 0, dado = 0;
            for (Stock::LoteCantidad lote : lotes) {
                const double antes = std::max(0.0, std::min(lote.Cantidad, tomadoAntes));
                tomadoAntes -= antes;
                lote.Cantidad -= antes;
                // Nothing to move (an unset record, a lot nothing is taken
                // from), to the four decimals quantities are written with.
                if (std::abs(lote.Cantidad) < 0.00005)
                    continue;
                // The share in the record's unit runs on rounded, so the rows
                // together leave exactly the need.
                acumulado += lote.Cantidad;
                double parte = lote.Cantidad;
                if (base.factor != 1) {
                    const double fraccion =
                        enBase == 0 ? 1.0 : std::min(1.0, std::round(acumulado / enBase * 1e9) / 1e9);
                    const double hasta = std::round(cantidad * fraccion * 10000.0) / 10000.0;
                    parte = std::round((hasta - dado) * 10000.0) / 10000.0;
                    dado = hasta;
                }
                FilaDescarga(false, &insumo, &lote, idArticulo, codigo, guardado, texto, parte, lote.Cantidad, base,
                             porPorcentaje, consumo);
            }
        }
    }
    if (Secuencia > 0 && !Blanco(consumo)) {
        S([&] {
            QString letra = consumo.mid(12, 1), salida;
            const QString numero = QStringLiteral(" ") + QString::number(consumo.mid(4, 8).toLongLong() + 1);
            ast::ActualizaNumeracionComprobante(QStringLiteral("PE"), QStringLiteral("STOCK"), consumo.mid(0, 4),
                                                numero, letra, true, salida, false, false);
            SqlTemp += QStringLiteral("\r") + salida;
        });
    }
}

// The base unit of an input and its factor from the record's unit: the
// article's own unit through its equivalence. A record in the base unit (or
// without unit), a free-text input and an article without unit need none;
// a record unit with no equivalence to the base one keeps its own unit, so
// that the row never calls a quantity base units that are not (its
// coefficient is then the 0 the lookup leaves). With neither unit known the
// line's unit stands, as before.
Corrida::BaseDeInsumo Corrida::BaseDe(const QString& codigoInsumo, const QString& unidadInsumo,
                                      const QString& unidadFila)
{
    BaseDeInsumo b;
    const QString propia = codigoInsumo == QLatin1String("*") ? QString() : Stock::ObtieneUnidadArticulo(codigoInsumo);
    b.unidad = !Blanco(propia) ? propia : !Blanco(unidadInsumo) ? unidadInsumo : unidadFila;
    if (Blanco(propia) || Blanco(unidadInsumo) || Stock::MismaUnidad(unidadInsumo, propia))
        return b;
    QString operador, desde = unidadInsumo;
    bool sinUnidad = false;
    const bool hay = Stock::IdArticuloTieneEquivalencias(Cod(codigoInsumo, 25), propia, operador, desde,
                                                         b.coeficiente, sinUnidad);
    if (hay && operador == QLatin1String("/")) {
        b.factor = b.coeficiente;
    } else if (hay && operador == QLatin1String("*") && b.coeficiente != 0) {
        b.factor = 1 / b.coeficiente;
    } else {
        b.unidad = unidadInsumo;
    }
    return b;
}

void Corrida::FilaDescarga(bool compuesto, const Stock::LoteCantidad* insumo, const Stock::LoteCantidad* lote,
                           const QString& idArticulo, const QString& codigoInsumo, const QString& codigoGuardado,
                           const QString& textoInsumo, double cantidad, double enBase, const BaseDeInsumo& base,
                           bool porPorcentaje, const QString& sucNroLetraConsumo)
{
    Secuencia += 1;
    QString sql;
    S([&] {
        QList<CampoValor>& L = ModGlobal::gListaCampos;
        L.clear();
        const auto par = [&](const char* campo, const QString& valor) { L.append({QString::fromLatin1(campo), valor}); };
        const QString unidadInsumo = insumo ? Trim(ModGlobal::LimpiaTexto(legacy::Variant(insumo->Unidad.texto()))) : QString();
        // Every quantity in its own unit and all with the movement's sign:
        // the composite row its line's quantity (column 8, in the line's
        // unit) and its base quantity; an input row its quantity in the
        // record's unit and in the input's base unit.
        const double cantidadMovida = (compuesto ? Moneda(Cel(8)).toDouble() : cantidad) * Signo;
        const double unidades = enBase * Signo;
        // The coefficient written is that of the row's own equivalence
        // lookup; a row that needs none writes 1.
        const double coeficiente = compuesto ? 1 : base.coeficiente;
        par("TC", TextoSQL(Cod(QStringLiteral("PE"), 4)));
        par("IdComprobante", TextoSQL(sucNroLetraConsumo));
        if (!EsCompras)
            par("IdComplemento", Num(legacy::Variant(Blanco(IdComplemento) ? QStringLiteral("0") : Trim(IdComplemento))));
        par("Secuencia", TextoDeSecuencia(Secuencia));
        par("Fecha", TextoSQL(fecha));
        par("IdDeposito", DepositoDeLinea());
        par("IdArticulo", TextoSQL(Cod(compuesto ? Trim(Cel(0)) : Trim(codigoInsumo), 25)));
        QString descripcion;
        if (compuesto)
            descripcion = Trim(Cel(1));
        else if (codigoInsumo == QLatin1String("*"))
            descripcion = textoInsumo;
        else
            descripcion = SinComillas(Trim(Campo(QStringLiteral("V_MA_ARTICULOS"), codigoGuardado, "DESCRIPCION",
                                                 "IDARTICULO", true)));
        par("Descripcion", TextoSQL(descripcion));
        if (lote) {
            // The rest no lot covers leaves without a lot.
            NroLote = Cod(Funciones::TextoDeCampoFijo(lote->Codigo.texto()), 25);
            par("NroLote", Blanco(NroLote) ? QStringLiteral("NULL") : TextoSQL(NroLote));
        }
        if (compuesto)
            par("IdUnidad", TextoSQL(Cod(Cel(5), 4)));
        else
            par("IdUnidad", unidadInsumo.isEmpty() ? QStringLiteral("NULL") : TextoSQL(Cod(unidadInsumo, 4)));
        if (compuesto) {
            const Currency signo(Signo);
            if (Bandera(Trim(Cel(79)))) {
                par("CantidadUD", Num(signo * Moneda(Cel(77))));
                par("IdUnidadBase", TextoSQL(Cod(Trim(Cel(44)), 4)));
            } else if (ConfirmaEquiv) {  // the switch read at entry
                par("CantidadUD", Num(signo * Moneda(Cel(12))));
                par("IdUnidadBase", TextoSQL(Cod(Trim(Cel(11)), 4)));
            } else {
                par("CantidadUd", Num(BaseDeLinea(Moneda(Cel(8)).toDouble()) * Signo));
                par("IdUnidadBase", TextoSQL(Cod(Blanco(Cel(44)) ? Trim(Cel(5)) : Trim(Cel(44)), 4)));
            }
        } else {
            par("CantidadUd", Num(unidades));
            par("IdUnidadBase", TextoSQL(Cod(base.unidad, 4)));
        }
        par("equiv_udbase", Num(coeficiente));
        par("Cantidad", Num(cantidadMovida));
        if (!Blanco(ModGlobal::gCaja)) {
            ModGlobal::gCaja.remove(u'\'');
            par("IdCaja", TextoSQL(Cod(ModGlobal::gCaja, 4)));
        }
        CuentaLocal = Trim(Cuenta);
        if (Es(CuentaLocal, "PorDefault")) {
            const QString articuloCuenta = (compuesto || porPorcentaje) ? Trim(Cel(0)) : Trim(codigoGuardado);
            CuentaLocal = Trim(Campo(QStringLiteral("V_MA_ARTICULOS"), Cod(articuloCuenta, 25), "CUENTAPROVEEDOR",
                                     "IDARTICULO", true));
            if (CuentaLocal.isEmpty())
                CuentaLocal = QStringLiteral("NULL");
        }
        if (!Es(CuentaLocal, "NULL"))
            par("CuentaProveedor", TextoSQL(CuentaLocal));
        // Each input leaves under the motive of its own line.
        const QString motivo = MotivoDeLinea();
        if (!MotivoDelGrid)
            IdMotivoStock = motivo;
        par("IdMotivoStock", TextoSQL(Cod(Trim(motivo), 4)));
        par("PrecioVenta", Num(legacy::Variant(QStringLiteral("0"))));
        par("Importe_S_iva", Num(legacy::Variant(QStringLiteral("0"))));
        if (compuesto)
            par("Costo", Num(Moneda(Cel(41))));
        else if (codigoInsumo == QLatin1String("*"))
            par("Costo", Num(Currency(0)));
        else
            par("Costo", Num(Moneda(Campo(QStringLiteral("V_MA_ARTICULOS"), Trim(codigoGuardado), "Costo",
                                          "idarticulo", true))));
        if (TcOrigenDelGrid)
            TcOrigen = TextoSQL(Trim(Cel(37).left(4)));
        par("Tc_Origen", TextoSQL(TC));
        par("IdComprobante_Origen", TextoSQL(SucNroLetra));
        par("ControladoPor", TextoSQL(idArticulo));
        par("Unegocio", Es(ModGlobal::gUNegocio, "Null") ? ModGlobal::gUNegocio : TextoSQL(ModGlobal::gUNegocio));
        par("ARTMONEDA", TextoSQL(Cod(ArtMoneda, 4)));
        par("ARTCOTIZACION", Num(ArtCotizacion));
        Inserta(sql);
    });
    EjecutaOAgrega(sql, QString());
}

// The movement kind of the voucher's seat, from what its own rows written so
// far left (HayComodato, the account and origin of the last one), the same
// for the per-row seats and the closing one: the consumption rows of its
// composites' inputs, written after them on their own accounts, are not the
// voucher's and do not change its kind.
int Corrida::TipoMovCierre()
{
    const QString origen = Funciones::ObtieneTextoTc(tcOrigenDelAsiento);
    if (Es(TC, "IR") && Es(origen, "OC"))
        return 5;
    if (Es(TC, "RMC"))
        return 5;
    if (Es(TC, "IR") && Es(origen, "RM"))
        return 4;
    if (!Es(TC, "RM"))
        return 0;
    if (HayComodato)
        return 2;
    if (!cuentaCtroDist)
        cuentaCtroDist = Trim(ModGlobal::Cfg(QStringLiteral("CuentaCtroDist")));
    return *cuentaCtroDist == Trim(cuentaDelAsiento) ? 3 : 1;
}

void Corrida::CierreAsiento()
{
    S([&] {
        TipoMov = TipoMovCierre();
        QString tc = TC, suc = SucNroLetra.mid(0, 4), nro = SucNroLetra.mid(4, 8), letra = SucNroLetra.mid(12, 1);
        int secuencia = 1;
        // Motives per line: the rows left IdMotivoStock at the last line's;
        // the seat takes each line's own.
        QString motivoPorLinea = QStringLiteral("ELDELGRID");
        // Only the rows written are booked.
        SqlTemp += QStringLiteral("\r") + pideAsiento(g, MotivoDelGrid ? motivoPorLinea : IdMotivoStock, tc, suc, nro,
                                                       letra, fecha, true, TipoMov, 0, &secuencia, &filasEscritas,
                                                       SignoDelAsiento());
    });
    ui::DoEvents();
}

}  // namespace

void ClsCmnCptes::ActualizaStock(ui::MSFlexGrid& MSFlexGrid2, QString TC, QString SucNroLetra, QString IdComplemento,
                                 QString& fecha, QString& IdDeposito, QString& IdDepositoDestino,
                                 QString& IdMotivoStock, QString& TcOrigen, QString& ComprobanteOrigen,
                                 bool EsTransferencia, QString& Cuenta, bool GeneraSentenciaSQL, QString& SqlTemp,
                                 bool& HayError, QString& IdTecnico, QString& LoteFijo, QString& Aduana,
                                 QString& LoteOrigen, int SignoRemota, bool MuestraCartel, QString& IdVendedor,
                                 float SecuenciaFija, QString& ArtMoneda, legacy::Currency ArtCotizacion)
{
    HayError = false;
    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("ActualizaStock"), [&db](const legacy::VbError& e, const QString& rutina) {
        ModGlobal::gCartel().CartelCerrar();
        return db.TratamientoErrores(e, std::nullopt, rutina);
    });
    // No click may reach the window being written from while the writer
    // yields: it reads the grid live.
    const UnaLlamada turno(*this, &MSFlexGrid2);
    if (!turno.concedida()) {
        HayError = true;
        return;
    }
    // The seat numbers remembered serve the seats of the caller's batch not
    // stored yet; a batch that holds no seat, or a voucher stored at once,
    // begins anew (the earlier batch was stored, where the next number read
    // sees it, or refused and rolled back).
    if (!GeneraSentenciaSQL || !SqlTemp.contains(QLatin1String("INSERT INTO MV_ASIENTOS"), Qt::CaseInsensitive))
        UltimoAsiento.clear();
    const Asiento asiento = [this](ui::MSFlexGrid& g, QString& motivo, QString& tc, QString& suc, QString& nro,
                                   QString& letra, const QString& f, bool debito, int tipoMov, long soloRegistro,
                                   int* secuencia, const QSet<long>* filas, int signo) {
        return AsientoStock(g, motivo, tc, suc, nro, letra, f, debito, tipoMov, soloRegistro, secuencia, filas, signo);
    };
    Corrida c(Argumentos{*this, MSFlexGrid2, db, trap, &AsientoPorFilaClave, asiento, PIVA, gLenDesc,
              TC, SucNroLetra, IdComplemento, fecha, IdDeposito, IdDepositoDestino, IdMotivoStock, TcOrigen,
              ComprobanteOrigen, EsTransferencia, Cuenta, GeneraSentenciaSQL, SqlTemp, HayError, IdTecnico,
              LoteFijo, Aduana, LoteOrigen, SignoRemota, MuestraCartel, IdVendedor, SecuenciaFija, ArtMoneda,
              ArtCotizacion});
    try {
        c.Ejecuta();
    } catch (const Sale&) {
        // Left after a failure: whatever the caller may still hold of this
        // voucher, it was not written as asked.
        if (trap.left())
            HayError = true;
        ModGlobal::gCartel().CartelCerrar();
    }
}
