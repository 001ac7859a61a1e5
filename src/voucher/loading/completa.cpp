// The last steps of one article row: quantity still to apply, the voucher's
// identifier, timber measures with the merge of a repeated timber line,
// bundles, kilograms and cubic metres, exemption marks and order costs.
#include "voucher/loading/carga.h"

#include "core/modglobal.h"
#include "db/db_dll.h"
#include "numbering/stock.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;
using namespace carga;

void CargaComprobante::Completa()
{
    DB_Dll& db = ModGlobal::gDB();
    const auto costoArticulo = [&](const QString& campo) {
        return db.DatosTabla(QStringLiteral("V_MA_ARTICULOS"), Crudo(rsInsumos, "IdArticulo").toString(), campo,
                             QStringLiteral("IdArticulo"), Variant(8), QString(), true, false);
    };
    paso([&] {
        if (Programa("Solvarineta"))
            Pon(26, T(Variant(pendiente)));
        else
            Pon(26, T(CantidadLinea() - Variant(aplicado + sobrante)));
    });
    paso([&] { Pon(72, Trim(SucNroLetra)); });

    if (!EsCompras && ModGlobal::EsMaderera) {
        bool medidas = false;
        paso([&] {
            QString pide = Trim(costoArticulo(QStringLiteral("PIDEMEDIDAS")).toString());
            if (pide.isEmpty())
                pide = QStringLiteral("FALSO");
            medidas = ModGlobal::TextoABooleano(pide, true);
        });
        paso([&] { Pon(86, medidas ? QStringLiteral("1") : QStringLiteral("0")); });
        const auto blanco = [&](long col) {
            paso([&] {
                G2().setCol(col);
                G2().setRow(G2().Rows() - 1);
                G2().setCellForeColor(0xFFFFFF);
            });
        };
        if (medidas) {
            paso([&] { Pon(3, Texto(rsInsumos, "Espesor")); });
            paso([&] { Pon(4, Texto(rsInsumos, "Ancho")); });
            paso([&] { Pon(70, Texto(rsInsumos, "IdUnidad")); });
            paso([&] {
                if (Iguales(Celda(5), ModGlobal::UnidadMaderaTiras))
                    Pon(10, Texto(rsInsumos, "Equiv_UDBase"));
            });
            blanco(10);
        } else {
            blanco(3);
            blanco(4);
            blanco(10);
        }
        paso([&] { Pon(15, Texto(rsInsumos, "Ud_Pr")); });
        paso([&] {
            Pon(16, ConvertirMoneda ? T(Leido(rsInsumos, "Importe_Ud") * Leido(rsCpte, "Cotizacion"))
                                    : Texto(rsInsumos, "Importe_Ud"));
        });
        AcumulaFilaRepetida();
    }

    // From here on the row is the merged one when the line was merged: it
    // carries the bundles, kilograms and cubic metres of both lines. The
    // line's stored bundles, kilograms and cubic metres are those of its
    // whole quantity: the row takes them in proportion to the part of the
    // line it takes, with its sign, as it takes its amounts (the stock
    // writer moves column 66 as the row's bundles). The base-unit
    // equivalence an order in kilograms shows there is per unit: it stays.
    const auto cantidad = [&](long col, const char* campo, bool porUnidad = false) {
        const Variant leido = Leido(rsInsumos, campo);
        const QString valor = porUnidad ? leido.toString() : Parte(leido);
        if (filaFusion < 0)
            Pon(col, valor);
        else
            Pon(col, Variant(N(fusionPrevia.value(col)) + N(Variant(valor))).toString());
    };
    paso([&] {
        if (PedidoEnKilos())
            cantidad(66, "Equiv_UDBase", true);
        else
            cantidad(66, "Cant_BL");
    });
    paso([&] {
        cantidad(67, "CANT_KG");
        cantidad(65, "CANT_M3");
    });
    // The article's row is read only when the article was found.
    paso([&] {
        if (!articuloHallado ||
            !(Iguales(CpteDestino, QStringLiteral("FP")) || Iguales(CpteDestino, QStringLiteral("NCFP"))))
            return;
        const QString abrev = Texto(rsArticulo, "Descripabrev");
        if (Iguales(abrev, QStringLiteral("PROFORMA")))
            Pon(19, QStringLiteral("1"));
        else if (abrev.size() > 8 && Iguales(abrev.left(8), QStringLiteral("PROFORMA")))
            Pon(36, abrev.mid(8));
    });
    paso([&] {
        if (articuloHallado && Texto(rsCpte, "CondicionIva") == QLatin1String("3") &&
            Iguales(Texto(rsArticulo, "procedencia"), QStringLiteral("EXENTO LEY")))
            Pon(19, QStringLiteral("1"));
    });
    // Stored types are four characters wide: the order test trims them.
    paso([&] {
        if (Iguales(Texto(rsInsumos, "TC"), QStringLiteral("NP")) && N(Celda(41)) == legacy::Currency(0))
            Pon(41, costoArticulo(QStringLiteral("Costo")));
    });
    paso([&] {
        G2().setRow(Fila());
        Stock::CalculaCantidadesEquivalentes(G2());
    });
    paso([&] {
        if (PideBultosAPP)
            cantidad(66, "Cant_BL");
    });
}

void CargaComprobante::AcumulaFilaRepetida()
{
    paso([&] {
        ui::MSFlexGrid& g = G2();
        const long r = g.Rows() - 1;
        const long ultima = r - 1;
        const auto igual = [&](long i, long col) { return Iguales(Trim(g.TextMatrix(i, col)), Trim(g.TextMatrix(r, col))); };
        if (Trim(g.TextMatrix(r, 0)) == QLatin1String("*"))
            return;
        // Only rows of the same loaded voucher (column 72) fold together: a
        // row keeps the voucher it names.
        long i = 1;
        for (; i <= ultima; ++i)
            if (igual(i, 0) && igual(i, 5) && igual(i, 3) && igual(i, 4) && igual(i, 16) && igual(i, 72))
                break;
        if (i > ultima)
            return;
        const auto D = [&](long fila, long col) { return Funciones::TextoADoble(Variant(g.TextMatrix(fila, col))); };
        const auto Nc = [&](long fila, long col) { return Funciones::TextoANumero(Variant(g.TextMatrix(fila, col))); };
        // Lines whose quantities cancel out are kept apart.
        const double pesos = D(i, 8) + D(r, 8);
        const legacy::Currency cantidad = Nc(r, 8) + Nc(i, 8);
        if (pesos == 0 || cantidad == legacy::Currency(0))
            return;
        const double largo = (D(i, 10) * D(i, 8) + D(r, 10) * D(r, 8)) / pesos;
        g.setTextMatrix(i, 10, Variant(largo).toString());
        g.setTextMatrix(i, 87, Variant(Nc(i, 10)).toString());
        g.setTextMatrix(i, 12, Variant(Nc(r, 12) + Nc(i, 12)).toString());
        const legacy::Currency importes = Nc(i, 17) * Nc(i, 8) + Nc(r, 17) * Nc(r, 8);
        const QString precio = Variant(legacy::Currency::fromDouble(importes.toDouble() / cantidad.toDouble())).toString();
        const legacy::Currency total = Nc(r, 18) + Nc(i, 18);
        // The total with taxes adds up like the total; cost, taxes and ITC
        // are per unit of the same article and stay the earlier row's.
        const legacy::Currency totalConImpuestos = Nc(r, 21) + Nc(i, 21);
        // What is still to apply adds up like the quantity; the line's
        // bundles, kilograms and cubic metres, written further on, are added
        // to the ones the kept row carries now.
        const legacy::Currency resto = Nc(r, 26) + Nc(i, 26);
        for (long col : {65L, 66L, 67L})
            fusionPrevia.insert(col, g.TextMatrix(i, col));
        g.setTextMatrix(i, 8, Variant(cantidad).toString());
        g.setTextMatrix(i, 17, precio);
        g.setTextMatrix(i, 18, Variant(total).toString());
        g.setTextMatrix(i, 20, precio);
        g.setTextMatrix(i, 21, Variant(totalConImpuestos).toString());
        g.setTextMatrix(i, 26, Variant(resto).toString());
        g.setRows(g.Rows() - 1);
        filaFusion = i;
    });
}
