// The article lines into the articles grid: the line loop with the
// destination's line limit, and the first steps of one row (pending and
// applied quantities, the article's identity, quantities and prices).
#include "voucher/loading/carga.h"

#include "core/modglobal.h"
#include "db/db_dll.h"
#include "numbering/stock.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"
#include "platform/ui/dialogs.h"

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;
using namespace carga;

namespace {

bool EsFactura(const QString& tc) { return Iguales(tc, QStringLiteral("FC")) || Iguales(tc, QStringLiteral("FP")); }

bool EsProforma(const QString& tc) { return Iguales(tc, QStringLiteral("FP")) || Iguales(tc, QStringLiteral("NCFP")); }

}  // namespace

void CargaComprobante::CargaInsumos()
{
    if (trap.left())
        return;
    contador = 0;
    bool vacio = true;
    if (!paso([&] { vacio = rsInsumos->Bof(); }) || vacio)
        return;
    primeraFila = true;
    paso([&] {
        const int lineas = rsInsumos->RecordCount();
        if (lineas > LineasLimite && EsFactura(CpteDestino) && Iguales(TC, QStringLiteral("NP")) &&
            LineasLimite != 9999 && LineasLimite != 0) {
            cls.NPP_Cliente = Crudo(rsCpte, "Cuenta").toString();
            cls.NPP_IDCpte = Crudo(rsCpte, "IdComprobante").toString();
            int hojas = lineas / LineasLimite;
            if (lineas % LineasLimite > 0)
                ++hojas;
            ui::MsgBox(QStringLiteral("Recuerde que para facturar este pedido completo necesita ") +
                           QString::number(hojas) + QStringLiteral(" Hojas (El sistema tiene configurado ") +
                           QString::number(LineasLimite) + QStringLiteral(" por hoja)"),
                       ui::vbInformation + ui::vbOKOnly, QStringLiteral("Aviso al operador"));
        } else {
            cls.NPP_Cliente.clear();
            cls.NPP_IDCpte.clear();
        }
    });

    bool limite = false;
    for (;;) {
        bool fin = false;
        if (!paso([&] { fin = rsInsumos->Eof(); }))
            return;
        if (fin)
            break;
        bool salta = false;
        paso([&] {
            salta = IgualNum(Crudo(rsInsumos, "Recepcion"), Variant(-999)) && !cls.NPP_Cliente.isEmpty();
        });
        if (!salta) {
            paso([&] {
                if (estadoUNegocio == 2)
                    primeraFila = true;
            });
            paso([&] {
                if (primeraFila) {
                    primeraFila = false;
                    return;
                }
                if (Programa("Solvarineta") &&
                    cls.ExisteEnGrid(grilla2, Funciones::ValorNoNulo(Crudo(rsInsumos, "IdArticulo")).toString())) {
                    salta = true;
                    return;
                }
                G2().setRows(G2().Rows() + 1);
            });
        }
        if (!salta) {
            paso([&] {
                if (contador == 32767)
                    throw legacy::VbError(6);
                ++contador;
            });
            // The line over the limit leaves its empty row as the entry row.
            if (contador > LineasLimite && LineasLimite > 0) {
                limite = true;
                break;
            }
            CargaFilaInsumo();
            if (trap.left())
                return;
        }
        if (!paso([&] { rsInsumos->MoveNext(); }))
            return;
    }
    if (!limite)
        paso([&] { G2().setRows(G2().Rows() + 1); });
}

bool CargaComprobante::CargaFilaInsumo()
{
    filaFusion = -1;
    pendiente = 0;
    aplicado = 0;
    articuloHallado = false;
    bool sigue = true;
    PendientesEIdentidad(sigue);
    if (!sigue || trap.left())
        return false;
    CantidadesYPrecios();
    DatosArticulo();
    Importes();
    LotesEImpuestos();
    Completa();
    paso([&] { ModGlobal::gDB().CierraRecordset(rsArticulo); });
    return !trap.left();
}

namespace {

// The applications of the line's article made from this voucher; none is 0.
double AplicacionesDeLinea(CargaComprobante& c)
{
    RecordsetPtr rs;
    Abre(QStringLiteral("SELECT CantidadAplicada FROM VT_V_MV_INSUMOS_APLICACION WHERE (TCO_ORIGEN = 'RM' or "
                        "TCO_ORIGEN = 'NP') AND IDCOMPROBANTEORIGEN = '") +
             Q(Trim(c.SucNroLetra)) + QStringLiteral("' AND IDARTICULO = '") +
             Q(Funciones::RellenaCodigo(Texto(c.rsInsumos, "IdArticulo"), 25)) + QStringLiteral("'"),
         rs);
    double total = 0;
    if (!rs->Eof())
        total = N(Funciones::ValorNoNulo(rs->Fields("CantidadAplicada").Value())).toDouble();
    ModGlobal::gDB().CierraRecordset(rs);
    return total;
}

}  // namespace

void CargaComprobante::PendientesEIdentidad(bool& sigue)
{
    const auto fin = [&] {
        sigue = false;
        if (contador != 0)
            --contador;
    };

    // A delivery order never takes the same article twice.
    bool duplicado = false;
    paso([&] {
        // The stored type is four characters wide: it is compared trimmed.
        if (Programa("QUELMONTARI_DASPEROLICA") || !IgualNum(Leido(rsCpte, "IdReparto"), Variant(-1)) ||
            Iguales(Texto(rsCpte, "TC"), QStringLiteral("PR")))
            return;
        const QString codigo = Texto(rsInsumos, "IdArticulo");
        for (const QString& item : articulosCargados) {
            if (Iguales(item, codigo)) {
                duplicado = true;
                return;
            }
        }
        // (a code holding a comma counts as its pieces, as in a list written ",code,code")
        for (const QString& pieza : codigo.split(u',')) {
            const QString item = Trim(pieza);
            if (!item.isEmpty()) articulosCargados << item;
        }
    });
    // The refused line gives its row back but keeps its count.
    if (duplicado) {
        paso([&] { G2().setRows(G2().Rows() - 1); });
        sigue = false;
        return;
    }
    paso([&] {
        if (!Trim(G2().TextMatrix(G2().Rows() - 1, 0)).isEmpty())
            G2().setRows(G2().Rows() + 1);
    });

    paso([&] {
        const QString tc = Trim(TC);
        const double cantidad = Leido(rsInsumos, "Cantidad").toDouble();
        // A voucher without a delivery run (Null) takes none of the rules
        // that ask for one, not even the one of run 0.
        const Variant reparto = Crudo(rsCpte, "IdReparto");
        const bool repartoMenosUno = IgualNum(reparto, Variant(-1));
        const QString codigo = Leido(rsInsumos, "IdArticulo").toString();
        const Variant preparada = Crudo(rsInsumos, "Cantidadpreparada");
        const auto tope = [&] {
            if (pendiente > cantidad)
                pendiente = cantidad;
        };
        if ((Iguales(tc, QStringLiteral("RM")) || Iguales(tc, QStringLiteral("NP"))) && EntregaParcialRemito && !Compras &&
            !DescargaStockRemitos) {
            if (repartoMenosUno) {
                double movido = 0;
                pendiente = cls.CantRepartoPend(TC, SucNroLetra, codigo, &movido);
                if (Iguales(TC, QStringLiteral("RM")) && cantidad < 0 && pendiente == 0) {
                    aplicado = 0;
                    pendiente = cantidad;
                } else if (Programa("Solvarineta")) {
                    aplicado = movido;
                } else {
                    tope();
                    aplicado = cantidad - pendiente;
                }
            } else {
                aplicado = AplicacionesDeLinea(*this);
            }
        } else if ((Iguales(tc, QStringLiteral("FP")) || Iguales(tc, QStringLiteral("FC"))) && !Compras) {
            pendiente = cantidad;
            if (repartoMenosUno) {
                pendiente = cls.CantRepartoPend(TC, SucNroLetra, codigo);
                tope();
                aplicado = cantidad - pendiente;
            }
        } else if (!Compras) {
            // Other types take the pending quantity as it comes (never
            // below 0), not capped at the line's quantity.
            if (repartoMenosUno && !DescargaStockRemitos) {
                pendiente = cls.CantRepartoPend(TC, SucNroLetra, codigo);
                aplicado = cantidad - pendiente;
            } else if (repartoMenosUno && Iguales(TC, QStringLiteral("PR"))) {
                if (!preparada.IsNull()) {
                    pendiente = cantidad - preparada.toDouble();
                    tope();
                    aplicado = preparada.toDouble();
                } else {
                    pendiente = cantidad;
                }
            } else if (IgualNum(reparto, Variant(0))) {
                if (!preparada.IsNull()) {
                    if (N(Leido(rsInsumos, "CANTIDADAFACTURAR")) > legacy::Currency(0)) {
                        aplicado = cantidad - Leido(rsInsumos, "CANTIDADAFACTURAR").toDouble();
                        pendiente = cantidad - preparada.toDouble();
                    } else {
                        pendiente = cantidad - preparada.toDouble();
                        tope();
                        aplicado = preparada.toDouble();
                    }
                } else {
                    pendiente = cantidad;
                    aplicado = 0;
                }
            }
        }
    });
    paso([&] {
        if (Programa("QUELMONTARI_DASPEROLICA") && Iguales(TC, QStringLiteral("RM")) &&
            Iguales(CpteDestino, QStringLiteral("FC")))
            aplicado = AplicacionesDeLinea(*this);
    });

    // Another business unit's article is left out: its row takes the next line.
    bool otraUnidad = false;
    paso([&] {
        estadoUNegocio = 1;
        QString codigo = Funciones::RellenaCodigo(Texto(rsInsumos, "IdArticulo"), 25);
        bool primeroPorCodigo = false;
        QString descripcion, unidad, lote;
        double cantidad = 0;
        legacy::Currency precio;
        const bool hallado = ModGlobal::BuscaArticulo(codigo, &rsArticulo, true, primeroPorCodigo, descripcion,
                                                      QString(), unidad, QString(), cantidad, precio, lote,
                                                      QString(), estadoUNegocio);
        otraUnidad = hallado && !EsProforma(CpteDestino) && estadoUNegocio == 2;
    });
    if (otraUnidad) {
        fin();
        return;
    }

    paso([&] { Pon(0, Texto(rsInsumos, "IdArticulo")); });
    paso([&] { Pon(1, Texto(rsInsumos, "Descripcion")); });
    paso([&] { Pon(5, Texto(rsInsumos, PedidoEnKilos() ? "IdUnidadBase" : "IdUnidad")); });
    paso([&] { Pon(70, Texto(rsInsumos, "IdUnidad")); });
    paso([&] { Pon(98, Texto(rsInsumos, "Secuencia")); });
    paso([&] {
        if (cls.EntregadoMostrador && !EsCompras)
            Pon(9, Texto(rsInsumos, "EntregadoMOstrador"));
    });
    paso([&] {
        if (Iguales(TC, QStringLiteral("RM")) &&
            (Iguales(CpteDestino, QStringLiteral("NC")) || Iguales(CpteDestino, QStringLiteral("NCFP"))))
            Negativos = true;
    });
}

Variant CargaComprobante::CantidadLinea()
{
    const Variant cantidad = Leido(rsInsumos, "Cantidad");
    return Negativos ? cantidad * Variant(-1) : cantidad;
}

bool CargaComprobante::PedidoEnKilos()
{
    const QString kg = Trim(ModGlobal::UnidadMedidaKG);
    return Iguales(Texto(rsInsumos, "TC"), QStringLiteral("NP")) && Iguales(Texto(rsInsumos, "IdUnidadBase"), kg) &&
           !Iguales(Texto(rsInsumos, "IdUnidad"), kg) && !esModificacion && !NoConvertirBLaKG;
}

void CargaComprobante::CantidadesYPrecios()
{
    paso([&] {
        if (Negativos) {
            aplicado = -aplicado;
            Pon(8, T(CantidadLinea() - Variant(aplicado)));
            return;
        }
        if (Programa("Solvarineta"))
            Pon(8, T(Variant(pendiente)));
        else if (PedidoEnKilos()) {
            Pon(8, Texto(rsInsumos, "CANT_KG"));
            Pon(12, Texto(rsInsumos, "CANT_KG"));
        } else if (Funciones::EstaEnLista(Variant(TC), QStringList{QStringLiteral("FC"), QStringLiteral("FP"),
                                                                   QStringLiteral("TK"), QStringLiteral("TKFC")}))
            Pon(8, Texto(rsInsumos, "Cantidad"));
        else if (Iguales(Texto(rsInsumos, "TC"), QStringLiteral("NP")) && FacturaNPPreparadas && !esModificacion)
            Pon(8, Texto(rsInsumos, "CANTIDADAFACTURAR"));
        else
            Pon(8, T(Leido(rsInsumos, "Cantidad") - Variant(aplicado)));
        // A returned quantity of a delivery note with nothing applied keeps its sign.
        if (N(Celda(8)) < legacy::Currency(0) &&
            !(Iguales(TC, QStringLiteral("RM")) && Menor(Crudo(rsInsumos, "Cantidad"), Variant(0)) && aplicado == 0))
            Pon(8, QStringLiteral("0"));
    });
    paso([&] { Pon(11, Texto(rsInsumos, "IdUnidadBase")); });
    paso([&] {
        if (Programa("Solvarineta"))
            Pon(12, T(Variant(pendiente)));
        else if (Programa("QUELMONTARI_DASPEROLICA"))
            Pon(12, Celda(8));
        else if (N(Celda(12)) == legacy::Currency(0))
            Pon(12, Iguales(Trim(Celda(5)), Trim(Celda(11))) ? Texto(rsInsumos, "Cantidad") : Texto(rsInsumos, "CantidadUD"));
    });
    paso([&] {
        if (ConvertirMoneda)
            Pon(17, T(Leido(rsInsumos, "Importe") * Leido(rsCpte, "Cotizacion")));
        else if (Iguales(Texto(rsCpte, "CondicionIva"), QStringLiteral("1")) &&
                 Mayor(Crudo(rsInsumos, "Importe"), Crudo(rsInsumos, "Importe_S_IVA")) && !PreciosFinales)
            Pon(17, Texto(rsInsumos, "Importe_S_IVA"));
        else
            Pon(17, Texto(rsInsumos, "Importe"));
    });
    paso([&] {
        const Variant exento = Crudo(rsInsumos, "Exento");
        if (exento.IsNull() || exento.toBool())
            return;
        const QString letra = LetraPara(Leido(rsCpte, "CondicionIva").toString());
        if (!Iguales(letra, QStringLiteral("B")) && !PreciosFinales)
            return;
        if (ConvertirMoneda) {
            // A voucher without an exchange rate shows no converted price.
            const Variant precio = Leido(rsInsumos, "Importe") * Crudo(rsCpte, "Cotizacion");
            Pon(30, precio.IsNull() ? QString() : T(precio));
        } else if (PreciosFinales) {
            const Variant neto = Crudo(rsInsumos, "Importe") - Crudo(rsInsumos, "Impuestos");
            Pon(30, neto.IsNull() ? QString() : T(neto));
        } else {
            Pon(30, Texto(rsInsumos, "Importe"));
        }
    });
    if (EsCompras)
        return;
    paso([&] { Pon(14, Texto(rsInsumos, "PorcDto")); });
    paso([&] { Pon(2, Texto(rsInsumos, "idLista")); });
    paso([&] {
        const QString comodato = T(Leido(rsCpte, "EnComodato"));
        Pon(91, comodato == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0"));
    });
    paso([&] {
        if (pideDeposito)
            Pon(6, Texto(rsInsumos, "IdDeposito"));
    });
}
