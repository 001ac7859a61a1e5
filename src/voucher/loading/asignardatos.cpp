// The loading operation: its settings, the destination's line limit, the
// voucher's statements, the repair of orders stored under branch 9999, the
// three loading routines in their order and the hand-back of the header.
#include "voucher/loading/carga.h"

#include "core/modglobal.h"
#include "db/db_dll.h"
#include "numbering/stock.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/ui/dialogs.h"
#include "voucher/grids/comun.h"

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;

namespace carga {

Variant Crudo(const RecordsetPtr& rs, const char* campo)
{
    if (!rs)
        throw legacy::VbError(91);
    return rs->Fields(campo).Value();
}

Variant Leido(const RecordsetPtr& rs, const char* campo)
{
    Variant v = Crudo(rs, campo);
    return v.IsNull() ? Variant() : v;
}

QString T(const Variant& valor) { return Trim(valor.toString()); }

QString Texto(const RecordsetPtr& rs, const char* campo) { return T(Leido(rs, campo)); }

bool Programa(const char* nombre) { return Iguales(legacy::App().exeName, QString::fromLatin1(nombre)); }

QString Q(const QString& valor) { return ModGlobal::DuplicaApostrofes(valor); }

QString Cfg(const QString& clave) { return ModGlobal::Cfg(clave); }

bool CfgSi(const QString& clave) { return db_texto::EsSi(Trim(Cfg(clave))); }

QString Moneda(const Variant& valor) { return ModGlobal::FmtMoneda(T(valor), -1, false, 0); }

bool Mayor(const Variant& a, const Variant& b)
{
    return !a.IsNull() && !b.IsNull() && legacy::Compare(a, b) > 0;
}

bool Menor(const Variant& a, const Variant& b)
{
    return !a.IsNull() && !b.IsNull() && legacy::Compare(a, b) < 0;
}

bool IgualNum(const Variant& a, const Variant& b)
{
    return !a.IsNull() && !b.IsNull() && legacy::Compare(a, b) == 0;
}

void Abre(const QString& sql, RecordsetPtr& rs) { ModGlobal::gDB().AbrirRecordset(sql, rs, nullptr, 0, 1, -1, true); }

legacy::Currency N(const Variant& v) { return Funciones::TextoANumero(v); }

}  // namespace carga

using namespace carga;

CargaComprobante::CargaComprobante(ClsCmnCptes& clase, const QString& tc, const QString& sucNroLetra,
                                   const QString& idComplemento)
    : cls(clase), TC(tc), SucNroLetra(sucNroLetra), IdComplemento(idComplemento),
      trap(QStringLiteral("AsignarDatosPresupuesto"), ModGlobal::ManejadorErrores)
{
}

ui::MSFlexGrid& CargaComprobante::G1() { return grillas::Objeto(grilla1); }
ui::MSFlexGrid& CargaComprobante::G2() { return grillas::Objeto(grilla2); }
ui::MSFlexGrid& CargaComprobante::G3() { return grillas::Objeto(grilla3); }

long CargaComprobante::LineasEnGrillas() const
{
    long n = 0;
    for (const ui::MSFlexGrid* g : {grilla1, grilla2, grilla3})
        if (g)
            n += grillas::LineasLlenas(*g);
    return n;
}

long CargaComprobante::Fila() { return filaFusion >= 0 ? filaFusion : G2().Rows() - 1; }

QString CargaComprobante::Celda(long col) { return G2().TextMatrix(Fila(), col); }

void CargaComprobante::Pon(long col, const QString& texto) { G2().setTextMatrix(Fila(), col, texto); }

void CargaComprobante::Pon(long col, const Variant& valor) { Pon(col, valor.toString()); }

QString CargaComprobante::LetraPara(const QString& condicionIva)
{
    if (!letraHallada || letraHallada->first != condicionIva)
        letraHallada.emplace(condicionIva, Stock::ObtieneLetraComprobante(CondIva, condicionIva));
    return letraHallada->second;
}

namespace {

bool EsFacturaDestino(const QString& destino)
{
    return Iguales(destino, QStringLiteral("FC")) || Iguales(destino, QStringLiteral("FP"));
}

}  // namespace

void CargaComprobante::Ejecuta()
{
    DB_Dll& db = ModGlobal::gDB();
    Letra = LetraDestino ? *LetraDestino : QString();
    const bool pedidoAFactura = Iguales(TC, QStringLiteral("NP")) && EsFacturaDestino(CpteDestino);

    paso([&] { PideBultosAPP = CfgSi(QStringLiteral("PideBultosAPP")); });
    paso([&] { NoConvertirBLaKG = CfgSi(QStringLiteral("NoConvertirBLaKG")); });
    paso([&] { FacturaNPPreparadas = CfgSi(QStringLiteral("FacturaNPPreparadas")); });
    paso([&] { PreciosFinales = CfgSi(QStringLiteral("PreciosFinales")); });
    paso([&] { DescargaStockRemitos = CfgSi(QStringLiteral("DescargaStockRemitos")); });
    paso([&] { pideDeposito = CfgSi(QStringLiteral("PideDepositoEnCptes")); });
    paso([&] { CondIva = Cfg(QStringLiteral("CONDIVA")); });
    paso([&] { Negativos = IdRepartoRM && *IdRepartoRM == -98; });

    // The line limit is the one of the destination letter as the caller
    // passes it (an order without a letter gets "A" only further on).
    paso([&] {
        RecordsetPtr rs;
        Abre(QStringLiteral("SELECT CANTLINEAS FROM TA_CONFIG_IMP_CPTE WHERE TC='") + Q(CpteDestino) +
                 QStringLiteral("' AND LETRA='") + Q(Letra) + QStringLiteral("' ORDER BY ID"),
             rs);
        if (rs->Bof())
            LineasLimite = 9999;
        else
            LineasLimite = Variant(N(Funciones::ValorNoNulo(rs->Fields("CantLineas").Value()))).toInteger();
        db.CierraRecordset(rs);
    });
    paso([&] {
        EntregaParcialRemito = ModGlobal::TextoABooleano(Cfg(QStringLiteral("EntregaParcialRemito")), true);
    });
    paso([&] { Prefijo = Compras ? QStringLiteral("C_") : QStringLiteral("V_"); });
    // The complement goes in as a number: an empty one is 0, and no text can
    // be slipped into the statement through it.
    paso([&] {
        Condicion = QStringLiteral(" WHERE TC = '") + Q(Funciones::RellenaCodigo(Trim(TC), 4)) +
                    QStringLiteral("' AND IDCOMPROBANTE = '") + Q(Trim(SucNroLetra)) + QStringLiteral("'");
        if (Compras)
            Condicion += QStringLiteral(" AND CUENTA = '") + Q(Proveedor) + QStringLiteral("'");
        else
            Condicion += QStringLiteral(" AND IdComplemento = ") + Variant(legacy::Val(IdComplemento)).toString();
    });
    // The repair writes the sales lines: it is for sales orders only.
    if (Iguales(TC, QStringLiteral("NP")) && legacy::Left(SucNroLetra, 4) == QLatin1String("9999") &&
        Prefijo == QLatin1String("V_"))
        NormalizaPedidoApp();
    paso([&] {
        EsCompras = Iguales(db.DatosTabla(QStringLiteral("V_TA_CPTE"), TC, QStringLiteral("SISTEMA"),
                                        QStringLiteral("Codigo"), Variant(8), QString(), true, false)
                              .toString(),
                          QStringLiteral("COMPRAS"));
    });
    const QString cabeza = QStringLiteral("SELECT * FROM ") + Prefijo;
    paso([&] { Abre(cabeza + QStringLiteral("MV_CPTE  ") + Condicion + QStringLiteral(" ORDER BY ID "), rsCpte); });
    paso([&] {
        Abre(cabeza + QStringLiteral("MV_CPTETAREAS  ") + Condicion + WhrTareas + QStringLiteral(" ORDER BY ID "),
             rsTareas);
    });
    paso([&] {
        const QString base = cabeza + QStringLiteral("MV_CPTEINSUMOS  ") + Condicion;
        if (FacturaNPPreparadas && Iguales(TC, QStringLiteral("NP")) && !EsCompras)
            Abre(base + QStringLiteral(" ORDER BY  ID"), rsInsumos);
        else if (CfgSi(QStringLiteral("OrdenaPorCodigo")))
            Abre(base + WhrInsumos + QStringLiteral(" ORDER BY IDARTICULO "), rsInsumos);
        else
            Abre(base + WhrInsumos + QStringLiteral(" ORDER BY ID "), rsInsumos);
    });
    // An order becoming an invoice takes the letter "A" when it has none (a
    // blank letter is one), and its lines are read again with a statement
    // of their own.
    paso([&] {
        if (pedidoAFactura && Letra.isEmpty()) {
            Letra = QStringLiteral("A");
            if (LetraDestino)
                *LetraDestino = Letra;
        }
    });
    paso([&] {
        if (!pedidoAFactura)
            return;
        const QString base = cabeza + QStringLiteral("MV_CPTEINSUMOS  ") + Condicion;
        if (FacturaNPPreparadas)
            Abre(base + QStringLiteral(" AND ((Cantidad >= 0 AND CANTIDADAFACTURAR  > 0 )) ORDER BY ID "), rsInsumos);
        else if (CfgSi(QStringLiteral("OrdenaPorCodigo")))
            Abre(base + QStringLiteral(" ORDER BY IDARTICULO"), rsInsumos);
        else
            Abre(base + QStringLiteral(" ORDER BY ID"), rsInsumos);
    });
    paso([&] {
        Abre(cabeza + QStringLiteral("MV_CPTE_Observ  ") + Condicion + QStringLiteral(" AND TIPO_OBS ='OC' ") +
                 QStringLiteral(" ORDER BY ID "),
             rsObserv);
    });
    // A sales voucher without its header row fails here (no current row).
    paso([&] {
        if (EsCompras)
            return;
        const std::int16_t reparto =
            Variant(legacy::Val(Funciones::ValorNoNulo(Crudo(rsCpte, "IdReparto")).toString())).toInteger();
        if (IdRepartoRM)
            *IdRepartoRM = reparto;
    });

    paso([&] { lineasPrevias = LineasEnGrillas(); });
    CargaTareas();
    CargaInsumos();
    CargaObservaciones();
    if (trap.left())
        return;

    paso([&] {
        if (LrcsCpte && LrcsCpte->IsObject() && LrcsCpte->toObject())
            *LrcsCpte = Variant(rsCpte);
    });
    paso([&] { db.CierraRecordset(rsTareas); });
    paso([&] { db.CierraRecordset(rsInsumos); });
    paso([&] { db.CierraRecordset(rsObserv); });
}

void CargaComprobante::NormalizaPedidoApp()
{
    DB_Dll& db = ModGlobal::gDB();
    RecordsetPtr rsLineas;
    // After each update only the errors of that statement are shown.
    const auto actualiza = [&](const std::function<QString()>& sql) {
        paso([&] {
            const QString sentencia = sql();
            db.gCnn->Errors().Clear();
            RecordsetPtr nada;
            db.EjecutaConsultaSQL(sentencia, nullptr, &nada);
        });
        paso([&] {
            if (db.gCnn->Errors().Count() >= 1)
                ui::MsgBox(db.gCnn->Errors().Item(0).Description, ui::vbOKOnly);
        });
    };
    const auto sqlValor = [&](const Variant& v) { return db.SQLValue(v, QStringLiteral("@")).toString(); };

    paso([&] {
        Abre(QStringLiteral("SELECT * FROM ") + Prefijo + QStringLiteral("MV_CPTE  ") + Condicion +
                 QStringLiteral(" ORDER BY ID "),
             rsCpte);
        if (!rsCpte->Bof())
            rsCpte->MoveFirst();
    });
    paso([&] { Abre(QStringLiteral("SELECT * FROM ") + Prefijo + QStringLiteral("MV_CPTEINSUMOS  ") + Condicion, rsLineas); });
    if (trap.left() || !rsLineas || rsLineas->Bof())
        return;
    while (!trap.left() && !rsLineas->Eof()) {
        QString id;
        paso([&] { id = Crudo(rsLineas, "id").toString(); });
        bool hallado = false;
        paso([&] {
            QString codigo =
                Funciones::RellenaCodigo(T(Funciones::ValorNoNulo(rsLineas->Fields("IdArticulo").Value())), 25);
            hallado = ModGlobal::BuscaArticulo(codigo, &rsArticulo);
        });
        bool impuestos = false;
        paso([&] {
            impuestos = hallado && IgualNum(Crudo(rsLineas, "Impuestos"), Variant(0)) &&
                        Mayor(Crudo(rsArticulo, "Impuestos"), Variant(0));
        });
        if (impuestos)
            actualiza([&] {
                return QStringLiteral("update v_mv_cpteinsumos set impuestos = ") +
                       sqlValor(Crudo(rsArticulo, "Impuestos")) + QStringLiteral(" where id = ") + id;
            });

        bool finales = false;
        paso([&] {
            const Variant exento = Crudo(rsLineas, "Exento");
            if (!PreciosFinales || exento.IsNull() || exento.toBool())
                return;
            const QString letra = LetraPara(Funciones::ValorNoNulo(rsCpte->Fields("CondicionIva").Value()).toString());
            finales = Iguales(letra, QStringLiteral("A")) &&
                      IgualNum(Crudo(rsLineas, "Importe_S_IVA"), Crudo(rsLineas, "Importe"));
        });
        // A price or total that cannot be computed (a Null rate, price or
        // quantity) is not written: it would be stored as 0 over the line's.
        Variant precio, total;
        paso([&] {
            if (!finales)
                return;
            precio = Crudo(rsLineas, "Importe_S_IVA") * (Crudo(rsLineas, "AlicIVA") / Variant(100) + Variant(1));
            total = Crudo(rsLineas, "Cantidad") * precio;
        });
        if (finales && !precio.IsNull() && !total.IsNull()) {
            actualiza([&] {
                return QStringLiteral("update v_mv_cpteinsumos set IMPORTE = ") + sqlValor(precio) +
                       QStringLiteral(", TOTAL = ") + sqlValor(total) +
                       QStringLiteral(" where id = ") + id;
            });
        }

        Variant preparada;
        paso([&] {
            if (!FacturaNPPreparadas || esModificacion ||
                !Iguales(T(Funciones::ValorNoNulo(rsLineas->Fields("TC").Value())), QStringLiteral("NP")))
                return;
            RecordsetPtr rs;
            Abre(QStringLiteral("select * from MV_PREPARACION_DETALLES ") + QStringLiteral(" where tc = '") +
                     Q(Crudo(rsLineas, "TC").toString()) + QStringLiteral("' and idcomprobante = '") +
                     Q(Crudo(rsLineas, "IdComprobante").toString()) + QStringLiteral("' and idarticulo = '") +
                     Q(Crudo(rsLineas, "IdArticulo").toString()) + QStringLiteral("'"),
                 rs);
            if (!rs->Eof() && Menor(Crudo(rs, "Cantidadpreparada"), Crudo(rsLineas, "CANTIDADAFACTURAR")))
                preparada = Crudo(rs, "Cantidadpreparada");
        });
        if (!preparada.IsEmpty())
            actualiza([&] {
                return QStringLiteral("update v_mv_cpteinsumos set cantidadafacturar = ") + sqlValor(preparada) +
                       QStringLiteral(" where id = ") + id;
            });
        if (!paso([&] { rsLineas->MoveNext(); }))
            return;
    }
}

void ClsCmnCptes::AsignarDatosComprobante(const QString& TC, const QString& SucNroLetra, const QString& IdComplemento,
                                          ui::MSFlexGrid* MSFlexGrid1, ui::MSFlexGrid* MSFlexGrid2,
                                          ui::MSFlexGrid* MSFlexGrid3, bool Inicializar, legacy::Variant* LrcsCpte,
                                          bool Compras, const QString& Proveedor, std::int16_t* IdRepartoRM,
                                          bool ConvertirMoneda, const QString& WhrTareas,
                                          const QString& CpteDestino, QString* LetraDestino, bool esModificacion,
                                          const QString& WhrInsumos)
{
    Q_UNUSED(Inicializar);
    CargaComprobante c(*this, TC, SucNroLetra, IdComplemento);
    c.grilla1 = MSFlexGrid1;
    c.grilla2 = MSFlexGrid2;
    c.grilla3 = MSFlexGrid3;
    c.LrcsCpte = LrcsCpte;
    c.Compras = Compras;
    c.Proveedor = Proveedor;
    c.IdRepartoRM = IdRepartoRM;
    c.ConvertirMoneda = ConvertirMoneda;
    c.WhrTareas = WhrTareas;
    c.CpteDestino = CpteDestino;
    c.LetraDestino = LetraDestino;
    c.esModificacion = esModificacion;
    c.WhrInsumos = WhrInsumos;
    c.Ejecuta();
}
