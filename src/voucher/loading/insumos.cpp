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

#include <algorithm>

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
    // The form's lines are those of the three grids: the lines they hold
    // already (this voucher's tasks, another voucher's lines) take their
    // share of the limit before the first article line.
    paso([&] {
        const long llenas = LineasEnGrillas();
        if (llenas > 32767)
            throw legacy::VbError(6);
        contador = std::int16_t(llenas);
    });
    primeraFila = true;
    paso([&] {
        QHash<QString, int> ultima;
        for (rsInsumos->MoveFirst(); !rsInsumos->Eof(); rsInsumos->MoveNext())
            ultima.insert(Texto(rsInsumos, "IdArticulo").toUpper(), rsInsumos->AbsolutePosition());
        ultimasLineas = QSet<int>(ultima.cbegin(), ultima.cend());
        rsInsumos->MoveFirst();
    });
    // The sheets the invoice needs are counted on the lines the grids hold
    // and the voucher's lines. An order is told so whenever they do not fit;
    // any other voucher only when the window held lines before its load
    // began, so the operator learns why lines of it stay out. Only an order
    // is recorded as the one to invoice over several sheets.
    paso([&] {
        const int lineas = contador + rsInsumos->RecordCount();
        const bool pedido = Iguales(TC, QStringLiteral("NP"));
        if (lineas > LineasLimite && EsFactura(CpteDestino) && (pedido || lineasPrevias > 0) &&
            LineasLimite != 9999 && LineasLimite != 0) {
            cls.NPP_Cliente = pedido ? Crudo(rsCpte, "Cuenta").toString() : QString();
            cls.NPP_IDCpte = pedido ? Crudo(rsCpte, "IdComprobante").toString() : QString();
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
    sobrante = 0;
    parteTomada = Variant(1);
    parteLinea = Variant(1);
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

    // An article standing on several lines of a delivery order is loaded on
    // each of them: the lines share what the article has pending (below),
    // so nothing pending is lost and nothing is offered twice.
    paso([&] {
        if (!Trim(G2().TextMatrix(G2().Rows() - 1, 0)).isEmpty())
            G2().setRows(G2().Rows() + 1);
    });

    // The article's applied (or moved) quantity is the article's, whichever
    // line reads it: its lines take it once, in order, each up to its own
    // quantity, and keep the rest pending.
    bool porAplicaciones = false;
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
        // Of a delivery run: what the voucher's stock rows moved of the
        // article. A line of no or negative quantity keeps it whole pending.
        const auto delReparto = [&] {
            double movido = 0;
            cls.CantRepartoPend(TC, SucNroLetra, codigo, &movido);
            aplicado = AplicadoEnOrden(QStringLiteral("M"), movido, cantidad);
            pendiente = cantidad - aplicado;
        };
        if ((Iguales(tc, QStringLiteral("RM")) || Iguales(tc, QStringLiteral("NP"))) && EntregaParcialRemito && !Compras &&
            !DescargaStockRemitos) {
            if (repartoMenosUno && Programa("Solvarineta")) {
                double movido = 0;
                pendiente = cls.CantRepartoPend(TC, SucNroLetra, codigo, &movido);
                if (Iguales(TC, QStringLiteral("RM")) && cantidad < 0 && pendiente == 0) {
                    aplicado = 0;
                    pendiente = cantidad;
                } else {
                    aplicado = movido;
                }
            } else if (repartoMenosUno) {
                delReparto();
            } else {
                aplicado = AplicadoEnOrden(QStringLiteral("A"), AplicacionesDeLinea(*this), cantidad);
                porAplicaciones = true;
            }
        } else if ((Iguales(tc, QStringLiteral("FP")) || Iguales(tc, QStringLiteral("FC"))) && !Compras) {
            pendiente = cantidad;
            if (repartoMenosUno)
                delReparto();
        } else if (!Compras) {
            // Other types of a delivery run take their pending quantity as
            // the invoices do: capped at the line, shared over the lines.
            if (repartoMenosUno && !DescargaStockRemitos) {
                delReparto();
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
            Iguales(CpteDestino, QStringLiteral("FC")) && !porAplicaciones)
            aplicado = AplicadoEnOrden(QStringLiteral("A"), AplicacionesDeLinea(*this),
                                       Leido(rsInsumos, "Cantidad").toDouble());
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

double CargaComprobante::AplicadoEnOrden(const QString& fuente, double total, double cantidad)
{
    const QString clave = fuente + u'|' + Texto(rsInsumos, "IdArticulo").toUpper();
    auto resto = aplicadoRestante.find(clave);
    if (resto == aplicadoRestante.end())
        resto = aplicadoRestante.insert(clave, total);
    double tomado = 0;
    if (cantidad > 0 && *resto > 0) {
        tomado = std::min(cantidad, *resto);
        *resto -= tomado;
        if (*resto < 1e-9)  // no Double residue of the subtraction stays to be taken
            *resto = 0;
    }
    // More applied than the article's lines hold: the last line carries the
    // surplus in its rest to apply, so the rows' rests add up to the
    // article's quantity less its applied total. What the line takes keeps
    // to its own quantity (a return keeps its sign).
    if (*resto > 0 && ultimasLineas.contains(rsInsumos->AbsolutePosition())) {
        sobrante = *resto;
        *resto = 0;
    }
    return tomado;
}

QString CargaComprobante::Parte(const Variant& valor)
{
    // (an amount that is no number, as a Null one read as a blank, stays as it is)
    if (!valor.IsNumeric() || (parteTomada.toDouble() == 1 && parteLinea.toDouble() == 1))
        return T(valor);
    if (parteLinea.toDouble() == 1)
        return T(valor * parteTomada);
    return T(valor * parteTomada / parteLinea);
}

void CargaComprobante::CantidadesYPrecios()
{
    // The quantity the row takes and the whole of the line it is a part of.
    // A negated load takes, row by row, the negation of what the same load
    // not negated takes: whichever rule gave the quantity, and with no zero
    // rule.
    paso([&] {
        Variant tomada;
        QString texto;  // the quantity as stored, when the row takes it whole
        parteLinea = Leido(rsInsumos, "Cantidad");
        if (Negativos) {
            aplicado = -aplicado;
            sobrante = -sobrante;
        }
        const Variant signo(Negativos ? -1 : 1);
        const Variant yaAplicado(Negativos ? -aplicado : aplicado);
        const auto entera = [&](const char* campo) {
            tomada = Leido(rsInsumos, campo);
            texto = Texto(rsInsumos, campo);
        };
        if (Programa("Solvarineta")) {
            tomada = Variant(pendiente);
        } else if (PedidoEnKilos()) {
            // The kilograms of the part of the line the row takes in its own
            // unit: what is prepared to invoice, or the quantity less what
            // was applied. A line without a quantity takes them whole.
            const Variant cantidad = Leido(rsInsumos, "Cantidad");
            const Variant propia = FacturaNPPreparadas ? Leido(rsInsumos, "CANTIDADAFACTURAR") : cantidad - yaAplicado;
            entera("CANT_KG");
            parteLinea = tomada;
            if (!cantidad.IsEmpty() && cantidad.toDouble() != 0 && propia.toDouble() != cantidad.toDouble()) {
                tomada = tomada * propia / cantidad;
                texto.clear();
            }
        } else if (Funciones::EstaEnLista(Variant(TC), QStringList{QStringLiteral("FC"), QStringLiteral("FP"),
                                                                     QStringLiteral("TK"), QStringLiteral("TKFC")})) {
            entera("Cantidad");
        } else if (Iguales(Texto(rsInsumos, "TC"), QStringLiteral("NP")) && FacturaNPPreparadas && !esModificacion) {
            entera("CANTIDADAFACTURAR");
        } else {
            tomada = Leido(rsInsumos, "Cantidad") - yaAplicado;
        }
        // A negative quantity left after taking off the applied one is 0,
        // but a returned quantity of a delivery note with nothing applied
        // keeps its sign.
        if (!Negativos && N(T(tomada)) < legacy::Currency(0) &&
            !(Iguales(TC, QStringLiteral("RM")) && Menor(Crudo(rsInsumos, "Cantidad"), Variant(0)) && aplicado == 0)) {
            tomada = Variant(0);
            texto.clear();
        }
        if (Negativos || texto.isEmpty())
            texto = T(tomada * signo);
        Pon(8, texto);
        // A line without a quantity, or taken whole, keeps its amounts whole.
        const double linea = parteLinea.IsEmpty() ? 0 : parteLinea.toDouble();
        if (linea == 0 || linea == tomada.toDouble()) {
            parteTomada = signo;
            parteLinea = Variant(1);
        } else {
            parteTomada = tomada * signo;
        }
        if (PedidoEnKilos())
            Pon(12, texto);
    });
    paso([&] { Pon(11, Texto(rsInsumos, "IdUnidadBase")); });
    // The equivalent quantity of the part the row takes.
    paso([&] {
        if (Programa("Solvarineta"))
            Pon(12, T(Variant(pendiente)));
        else if (Programa("QUELMONTARI_DASPEROLICA"))
            Pon(12, Celda(8));
        else if (N(Celda(12)) == legacy::Currency(0))
            Pon(12, Parte(Iguales(Trim(Celda(5)), Trim(Celda(11))) ? Leido(rsInsumos, "Cantidad")
                                                                     : Leido(rsInsumos, "CantidadUD")));
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
