// The middle steps of one article row: the article's master data, the
// amounts with the final-price rebuild, the lots and the tax columns.
#include "voucher/loading/carga.h"

#include "core/modglobal.h"
#include "db/db_dll.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;
using namespace carga;

namespace {

// A flag column: "-1" for a field that is true, "0" for false, empty or Null.
QString Bandera(const Variant& v)
{
    return (!v.IsNull() && !v.IsEmpty() && v.toBool()) ? QStringLiteral("-1") : QStringLiteral("0");
}

// A cell's number, 0 for a text that does not read as one.
double Numero(const QString& texto)
{
    const Variant v(texto);
    return v.IsNumeric() ? v.toDouble() : 0;
}

legacy::Currency Abs(legacy::Currency c) { return c < legacy::Currency(0) ? -c : c; }

}  // namespace

void CargaComprobante::DatosArticulo()
{
    DB_Dll& db = ModGlobal::gDB();
    paso([&] {
        QString codigo = Funciones::RellenaCodigo(Texto(rsInsumos, "IdArticulo"), 25);
        bool primeroPorCodigo = false;
        QString descripcion, unidad, lote;
        double cantidad = 0;
        legacy::Currency precio;
        std::int16_t aviso = 1;
        articuloHallado = ModGlobal::BuscaArticulo(codigo, &rsArticulo, true, primeroPorCodigo, descripcion,
                                                   QString(), unidad, QString(), cantidad, precio, lote, QString(),
                                                   aviso);
    });
    if (articuloHallado) {
        paso([&] {
            Pon(62, db.DatosTabla(QStringLiteral("V_TA_TipoArticulo"), Leido(rsArticulo, "idTipo").toString(),
                                  QStringLiteral("Descripcion"), QStringLiteral("IdTipo"), Variant(8), QString(),
                                  false, false));
        });
        paso([&] { Pon(63, Texto(rsArticulo, "Presentacion")); });
        paso([&] { Pon(19, Bandera(Crudo(rsArticulo, "Exento"))); });
        paso([&] { Pon(22, Bandera(Leido(rsArticulo, "UsaSerie"))); });
        paso([&] { Pon(23, Bandera(Leido(rsArticulo, "UsaLote"))); });
        paso([&] {
            if (ModGlobal::AsignacionAutomaticaDeLoteING || ModGlobal::AsignacionAutomaticaDeLoteINGOP)
                Pon(23, QStringLiteral("-1"));
        });
        paso([&] { Pon(49, Bandera(Leido(rsArticulo, "Perecedero"))); });
        paso([&] {
            Pon(10, QStringLiteral("1"));
            Pon(33, QStringLiteral("*"));
        });
        paso([&] { Pon(64, Bandera(Crudo(rsArticulo, "UsaTalle"))); });
        paso([&] { Pon(97, Bandera(Crudo(rsArticulo, "PIDEEQUIVALENCIA"))); });
        paso([&] { Pon(79, Bandera(Crudo(rsArticulo, "pesable"))); });
        paso([&] { Pon(80, Texto(rsArticulo, "codigobarra")); });
        paso([&] { Pon(42, Texto(rsArticulo, "CuentaContable")); });
        paso([&] { Pon(100, Texto(rsArticulo, "CodigoArtProveedor")); });
        // A rate that does not read as a number counts as none: the general
        // rate (or the article's own) takes its place.
        paso([&] {
            Pon(36, Leido(rsInsumos, "AlicIVA").toString());
            if (Numero(Celda(36)) != 0)
                return;
            if (Iguales(TC, QStringLiteral("NP")) && Programa("XU_QUELMONTARI_TEKO"))
                Pon(36, Leido(rsArticulo, "TasaIVA").toString());
            else
                Pon(36, Variant(cls.PIVA).toString());
        });
        paso([&] {
            if (Iguales(TC, QStringLiteral("FP")) && Iguales(CpteDestino, QStringLiteral("NCFP")))
                Pon(36, Leido(rsInsumos, "AlicIVA").toString());
        });
        paso([&] { Pon(81, Texto(rsInsumos, "Importe_S_IVA")); });
    }
    // The coefficient of a line in another unit than its base unit: the
    // equivalence for purchases, the quantity in base units for sales.
    paso([&] {
        if (EsCompras && !Crudo(rsInsumos, "PorcDto").IsNull())
            Pon(14, Texto(rsInsumos, "PorcDto"));
    });
    paso([&] {
        const char* campo = EsCompras ? "Equiv_UDBase" : "CantidadUD";
        if (Crudo(rsInsumos, campo).IsNull()) {
            Pon(10, QStringLiteral("1"));
            return;
        }
        const Variant base = Crudo(rsInsumos, "IdUnidadBase");
        const Variant unidad = Crudo(rsInsumos, "IdUnidad");
        if (!base.IsNull() && !unidad.IsNull() && !Iguales(base.toString(), unidad.toString()))
            Pon(10, Texto(rsInsumos, campo));
    });
}

void CargaComprobante::Importes()
{
    DB_Dll& db = ModGlobal::gDB();
    paso([&] {
        if (!Crudo(rsInsumos, "IdUnidadBase").IsNull())
            Pon(44, Texto(rsInsumos, "IdUnidadBase"));
        else
            Pon(44, Celda(5));
    });
    paso([&] {
        if (!Crudo(rsInsumos, "Presentacion").IsNull())
            Pon(63, Texto(rsInsumos, "Presentacion"));
    });
    // The line total of the part of the line the row takes: its final
    // price times its quantity, or the stored total in proportion.
    const auto total = [&](const Variant& sinPrecioFinal) {
        if (!Trim(Celda(30)).isEmpty())
            Pon(18, T(Variant(Celda(30)) * Variant(Celda(8))));
        else
            Pon(18, Parte(sinPrecioFinal));
    };
    if (ConvertirMoneda) {
        Variant cotizacion;
        paso([&] { cotizacion = Leido(rsCpte, "Cotizacion"); });
        paso([&] { Pon(41, T(Leido(rsInsumos, "Costo") * cotizacion)); });
        paso([&] { Pon(20, T(Leido(rsInsumos, "Importe_S_IVA") * cotizacion)); });
        paso([&] { Pon(43, T(Leido(rsInsumos, "Impuestos") * cotizacion)); });
        paso([&] { Pon(96, T(Variant(N(Leido(rsInsumos, "iTc").toString())) * cotizacion)); });
        paso([&] { total(Leido(rsInsumos, "Total") * cotizacion); });
        return;
    }
    paso([&] {
        if (EsCompras)
            Pon(41, db.DatosTabla(QStringLiteral("V_MA_ARTICULOS"), Crudo(rsInsumos, "IdArticulo").toString(),
                                  QStringLiteral("Costo"), QStringLiteral("IdArticulo"), Variant(8), QString(), true,
                                  false));
        else
            Pon(41, Texto(rsInsumos, "Costo"));
    });
    paso([&] { Pon(20, Texto(rsInsumos, "Importe_S_IVA")); });
    paso([&] { Pon(43, Texto(rsInsumos, "Impuestos")); });
    paso([&] { Pon(96, Texto(rsInsumos, "iTc")); });
    paso([&] { total(Leido(rsInsumos, "Total")); });
    if (EsCompras)
        return;

    // A quotient by a quantity of 0 leaves the price as it was.
    const auto precioPor = [&](const char* campo) {
        const Variant cantidad = Crudo(rsInsumos, "Cantidad");
        if (!cantidad.IsNull() && cantidad.toDouble() == 0)
            return;
        Pon(17, Moneda(Funciones::ValorNoNulo(Crudo(rsInsumos, campo) / cantidad)));
    };
    bool conLista = false;
    paso([&] { conLista = !Crudo(rsInsumos, "idLista").IsNull(); });
    if (conLista) {
        paso([&] {
            Abre(QStringLiteral("SELECT CONIVA FROM  VT_MA_PRECIOS_ARTICULOS WHERE IDARTICULO = '") +
                     Q(Crudo(rsInsumos, "IdArticulo").toString()) + QStringLiteral("' AND IDLISTA = '") +
                     Q(Funciones::RellenaCodigo(Crudo(rsInsumos, "idLista").toString(), 4)) +
                     QStringLiteral("' AND TIPOLISTA = 'V'"),
                 rsLista);
            if (rsLista->Bof())
                Pon(29, QStringLiteral("0"));
            else
                Pon(29, Bandera(Crudo(rsLista, "ConIva")));
        });
        paso([&] {
            if (Iguales(Trim(CpteDestino), QStringLiteral("NC")) && Iguales(Trim(TC), QStringLiteral("FC")))
                return;
            const Variant totalFinal = Crudo(rsInsumos, "TotalFinal");
            const Variant totalLinea = Crudo(rsInsumos, "Total");
            if (!PreciosFinales || !IgualNum(Crudo(rsInsumos, "Importe_S_IVA"), Crudo(rsInsumos, "Importe")) ||
                totalFinal.IsNull() || totalLinea.IsNull() ||
                !(Abs(N(totalFinal)) > Abs(N(totalLinea))))
                return;
            Pon(18, Parte(Leido(rsInsumos, "TotalFinal")));
            precioPor("TotalFinal");
        });
        return;
    }
    if (!PreciosFinales)
        return;
    paso([&] {
        if (!Texto(rsInsumos, "TotalFinal").isEmpty()) {
            Pon(18, Parte(Leido(rsInsumos, "TotalFinal")));
            if (Mayor(Crudo(rsInsumos, "Total"), Variant(0))) {
                if (!Mayor(Leido(rsInsumos, "PorcDto"), Variant(0)))
                    precioPor("Total");
            } else if (Mayor(Crudo(rsInsumos, "Cantidad"), Variant(0))) {
                precioPor("TotalFinal");
            } else {
                Pon(17, Moneda(Variant(Texto(rsInsumos, "TotalFinal"))));
            }
        } else if (Texto(rsInsumos, "Total").isEmpty() && Iguales(TC, QStringLiteral("NP"))) {
            const Variant importe = Funciones::ValorNoNulo(Crudo(rsInsumos, "Importe") * Crudo(rsInsumos, "Cantidad"));
            Pon(18, Moneda(Variant(Parte(importe))));
        }
    });
}

void CargaComprobante::LotesEImpuestos()
{
    DB_Dll& db = ModGlobal::gDB();
    if (!Iguales(Trim(TC), QStringLiteral("NP"))) {
        paso([&] { Pon(24, Texto(rsInsumos, "Nro_Lote")); });
        paso([&] {
            if (Celda(49) == QLatin1String("-1") && EsCompras && Trim(Celda(24)).isEmpty())
                Pon(24, db.DatosTabla(QStringLiteral("V_MV_STOCK"), Funciones::RellenaCodigo(Trim(Celda(0)), 25),
                                      QStringLiteral("NROLOTE"), QStringLiteral("idarticulo"), Variant(8),
                                      QStringLiteral(" TC = '") + Q(TC) + QStringLiteral("' AND IDCOMPROBANTE = '") +
                                          Q(SucNroLetra) + QStringLiteral("'"),
                                      false, false));
        });
        paso([&] { Pon(25, Texto(rsInsumos, "Nro_Serie")); });
        paso([&] { Pon(40, Texto(rsInsumos, "ControladoPor")); });
        paso([&] { Pon(39, Texto(rsInsumos, "IdOrigen")); });
    }
    paso([&] { Pon(19, Bandera(Crudo(rsInsumos, "Exento"))); });
    // The line total with taxes: total + taxes x quantity, written as text
    // and read back as a number, + ITC x quantity. The quantity is the
    // cell's text: its products are Doubles, not rounded to four places.
    const auto conImpuestos = [&] {
        const Variant q(Celda(8));
        const Variant parcial = Variant(N(Celda(18))) + Variant(N(Celda(43))) * q;
        return (Variant(parcial.toString()) + Variant(N(Celda(96))) * q).toString();
    };
    if (!EsCompras) {
        paso([&] {
            if (cls.EntregadoMostrador)
                Pon(9, Leido(rsInsumos, "EntregadoMOstrador").toString());
        });
        paso([&] {
            if (N(Texto(rsInsumos, "AlicIVA")) > legacy::Currency(0))
                Pon(36, Texto(rsInsumos, "AlicIVA"));
        });
        paso([&] { Pon(21, PreciosFinales ? Variant(N(Celda(18))).toString() : conImpuestos()); });
        return;
    }
    paso([&] {
        const Variant lista = Crudo(rsInsumos, "Precio_Lista");
        if (lista.IsNull())
            return;
        Pon(82, ConvertirMoneda ? (lista * Leido(rsCpte, "Cotizacion")).toString() : lista.toString());
    });
    // A purchase invoice's stored total is in its own currency, converted
    // like every other amount of the row.
    paso([&] {
        if (!Iguales(TC, QStringLiteral("FCC")))
            Pon(21, conImpuestos());
        else if (ConvertirMoneda)
            Pon(21, Parte(Leido(rsInsumos, "Total") * Leido(rsCpte, "Cotizacion")));
        else
            Pon(21, Parte(Leido(rsInsumos, "Total")));
    });
    paso([&] { Pon(78, Leido(rsInsumos, "CodigoArtProveedor").toString()); });
    paso([&] { Pon(117, Variant(N(Celda(8)) * N(Celda(43))).toString()); });
    paso([&] { Pon(118, Variant(N(Celda(21)) - N(Celda(117))).toString()); });
}
