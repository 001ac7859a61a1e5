#include "voucher/grids/diseno.h"

#include "db/db_texto.h"
#include "platform/legacy/strings.h"

#include <algorithm>
#include <cmath>

namespace grillas {

namespace {

using db_texto::EsSi;
using db_texto::Iguales;

// The width of n letters X.
double X(const MideTexto& mide, int n)
{
    return Twips(mide(QString(n, u'X')));
}

}  // namespace

double Twips(double ancho)
{
    return std::nearbyint(ancho);
}

void DisenoGrilla::pon(int col, const QString& texto, double ancho)
{
    ponTexto(col, texto);
    ponAncho(col, ancho);
}

void DisenoGrilla::ponAncho(int col, double ancho)
{
    columnas.at(std::size_t(col)).ancho = Twips(ancho);
}

void DisenoGrilla::pasaAnchos(std::initializer_list<int> de, int a)
{
    double w = 0;
    for (int c : de) {
        w += ancho(c);
        ponAncho(c, 0);
    }
    ponAncho(a, ancho(a) + w);
}

// n X measured in the form's font, without the cell's margins, cut the
// leading digits of right-aligned figures (and titles such as "Importe S/Iva")
// wherever the grid draws in another size: a column is measured in the grid's
// own font, with room for its title and the cell's margins. n X stays the
// unit: where digits are as wide as X (Courier New) a column of n X holds
// figures of n characters, and a longer one shows the grid's mark where it is
// cut.
void DisenoGrilla::aCeldas(const Medida& m)
{
    for (ColumnaDiseno& c : columnas) {
        if (!c.ancho || *c.ancho <= 0)
            continue;
        double w = *c.ancho;
        if (c.texto && !c.texto->isEmpty())
            w = std::max(w, Twips(m.texto(*c.texto)));
        c.ancho = Twips(w + m.margenes);
    }
}

void SwitchesDeTipo(HechosComprobante& h, const QString& pideDeposito,
                    const std::function<QString()>& noMostrarImportesEnOT)
{
    h.deposito = EsSi(pideDeposito);
    h.ocultaImportes = false;
    if (Iguales(h.tc, QStringLiteral("OP"))) {
        h.ocultaImportes = true;
    } else if (Iguales(h.tc, QStringLiteral("OT"))) {
        h.ocultaImportes = EsSi(noMostrarImportesEnOT());
        h.deposito = false;
    } else if (Iguales(h.tc, QStringLiteral("PR"))) {
        h.deposito = false;
    }
}

QString TituloCodigo(const QString& nombreArticulos)
{
    if (legacy::Trim(nombreArticulos).isEmpty())
        return QStringLiteral("Código");
    QString t = nombreArticulos.toLower();
    bool inicio = true;
    for (QChar& c : t) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v' || c == QChar(0)) {
            inicio = true;
        } else if (inicio) {
            c = c.toUpper();
            inicio = false;
        }
    }
    return t;
}

DisenoGrilla DisenoTareas(const HechosComprobante& h, const Medida& m)
{
    const MideTexto& mide = m.texto;
    DisenoGrilla d(24, 2);
    d.pon(0, QStringLiteral("Código"), X(mide, 7));
    d.pon(1, QStringLiteral("Descripción"), X(mide, 37));
    d.izquierda(1);
    d.pon(2, QStringLiteral("Cantidad"), X(mide, 7));
    d.pon(3, QStringLiteral("Importe"), X(mide, 11));
    d.pon(4, QStringLiteral("Total"), X(mide, 11));
    if (h.ocultaImportes) {
        d.pasaAnchos({3, 4}, 1);
        if (Iguales(legacy::Trim(h.tc), QStringLiteral("OT")))
            d.pasaAnchos({2}, 1);
    }
    static const char* const kClaves[] = {
        "AuxEsExento",     "ImporteSinIVA",     "AuxObservAdic", "AuxFechaInicio", "AuxFechaFin",
        "AuxIdTecnico",    "CodigoOriginal",    "AuxFechaREALInicio", "AuxFechaREALFin", "AuxCuentaContable",
        "Prioridad",       "Usuario",           "AuxFhPresentacion", "AuxFhEmision", "AuxNroExp",
        "AuxFhEntrega"};
    for (int c = 5; c <= 20; ++c)
        d.pon(c, QString::fromLatin1(kClaves[c - 5]), 0);
    d.pon(23, QStringLiteral("AuxTasaIVA"), 0);  // columns 21 and 22 are left as they are
    d.aCeldas(m);
    d.refresca = true;
    return d;
}

DisenoGrilla DisenoOtrosConceptos(const HechosComprobante& h, const Medida& m)
{
    const MideTexto& mide = m.texto;
    DisenoGrilla d(7, 2);
    d.pon(0, QStringLiteral("Detalle"), X(mide, 52));
    d.pon(1, QStringLiteral("Importe S/Iva"), X(mide, 8));
    d.pon(2, QStringLiteral("Importe"), X(mide, 8));
    d.pon(3, QStringLiteral("Cuenta"), 0);
    d.izquierda(0);
    if (h.ocultaImportes)
        d.pasaAnchos({1, 2}, 0);
    d.pon(5, QString(), 0);
    d.pon(4, QString(), 0);  // column 6 is left as it is
    d.aCeldas(m);
    return d;
}

DisenoGrilla DisenoTotales(const Medida& m)
{
    const MideTexto& mide = m.texto;
    DisenoGrilla d(3, 5);
    d.pon(0, QStringLiteral("Descripcion"), X(mide, 50));
    d.pon(1, QStringLiteral("Cantidad ITEM'S"), X(mide, 15));
    d.pon(2, QStringLiteral("Cantidad"), X(mide, 10));
    d.izquierda(0);
    d.aCeldas(m);
    return d;
}

DisenoGrilla DisenoArticulos(const HechosComprobante& h, const SwitchesArticulos& s, const Medida& m,
                             double anchoGrilla)
{
    const MideTexto& mide = m.texto;
    const bool stock = Iguales(h.sistema, QStringLiteral("STOCK"));
    const bool ventas = Iguales(h.sistema, QStringLiteral("VENTAS"));
    const bool compras = Iguales(h.sistema, QStringLiteral("Compras"));
    const bool listaPorItem = s.listaPorItem && ventas;
    const bool maderera = s.maderera && ventas;
    const auto x = [&](int n) { return X(mide, n); };
    const auto vacias = [](DisenoGrilla& g, std::initializer_list<int> cols) {
        for (int c : cols)
            g.pon(c, QString(), 0);
    };
    const auto anchos0 = [](DisenoGrilla& g, std::initializer_list<int> cols) {
        for (int c : cols)
            g.ponAncho(c, 0);
    };

    DisenoGrilla d(120, 2);
    d.alineaSeleccion = true;
    d.tamanoFuente = kFuenteArticulos;
    d.refresca = true;

    d.pon(0, h.tituloCodigo, x(15));
    d.izquierda(0);
    d.pon(1, QStringLiteral("Descripción"), stock ? x(39) : x(29));
    d.izquierda(1);
    d.pon(2, QStringLiteral("Lista"), 0);

    if (listaPorItem) {
        d.ponAncho(0, d.ancho(0) - x(1));
        d.ponAncho(1, d.ancho(1) - x(3));
        d.ponAncho(2, x(4));
    }

    d.pon(5, QStringLiteral("UD"), x(4));
    d.pon(7, QStringLiteral("Imp. Lista"), 0);
    d.pon(13, QStringLiteral("% Dto."), 0);
    d.pon(8, QStringLiteral("Cant."), x(6));
    anchos0(d, {11, 12});
    if (s.confirmaUD) {
        d.pon(11, QStringLiteral("UDEquiv"), x(7));
        d.pon(12, QStringLiteral("Cant. Equiv"), x(9));
    }

    d.pon(6, QStringLiteral("Dep."), h.deposito ? x(4) : 0);

    const bool entrega = s.entregadoMostrador && (Iguales(h.tc, QStringLiteral("FC")) || Iguales(h.tc, QStringLiteral("FP")) ||
                                                  Iguales(h.tc, QStringLiteral("RM")));
    d.pon(9, QStringLiteral("Entregado"), entrega ? x(8) : 0);

    d.pon(17, QStringLiteral("Importe"), x(11));

    if (!stock) {
        d.pon(14, QStringLiteral("% Dto."), 0);
        for (bool dto : {s.dtoVentas && ventas, s.dtoCompras && compras}) {
            if (!dto)
                continue;
            d.ponAncho(17, d.ancho(17) - x(1));
            d.ponAncho(0, d.ancho(0) - x(1));
            d.ponAncho(1, d.ancho(1) - x(3));
            d.ponAncho(14, x(5));
        }
    } else {
        d.pon(14, QString(), 0);
    }

    d.pon(18, QStringLiteral("Total"), 0);

    if (!stock)
        d.pon(21, QStringLiteral("TOTAL"), x(10));
    else
        d.pon(21, QString(), 0);

    if (h.ocultaImportes)
        d.pasaAnchos({17, 18, 21}, 1);

    d.pon(19, QStringLiteral("AuxEsExento"), 0);
    d.pon(20, QStringLiteral("AuxPrecioSinIVA"), 0);

    if (!stock) {
        d.pon(43, QStringLiteral("Impuestos"), x(10));
        d.pon(96, QStringLiteral("ITC"), s.combustibles ? x(10) : 0);
    } else {
        d.pon(96, QString(), 0);
        d.pon(43, QString(), 0);
    }

    d.pon(22, QStringLiteral("AuxPideSerie"), 0);
    d.pon(23, QStringLiteral("AuxPidelote"), 0);

    if (!Iguales(h.tc, QStringLiteral("DVPE"))) {
        d.pon(25, QStringLiteral("AuxNroSerie"), 0);
        d.pon(24, QStringLiteral("AuxNroLote"), 0);
    } else {
        d.pon(25, QStringLiteral("Nro. Serie"), Twips(mide(QStringLiteral("Nro. de Serie"))));
        d.pon(24, QStringLiteral("Nro. Lote"), Twips(mide(QStringLiteral("Nro. de Lote"))));
    }

    d.pon(26, QStringLiteral("AuxRestoPorAplicar"), 0);

    if (stock) {
        d.ponAncho(1, d.ancho(1) + (d.ancho(17) - 480));
        d.ponAncho(17, 0);
        d.ponAncho(5, d.ancho(5) + x(4));
        d.ponAncho(8, d.ancho(8) + x(7));
    }

    d.pon(28, QStringLiteral("AuxRubroArticulo"), 0);
    d.pon(27, QStringLiteral("AuxTipoArticulo"), 0);
    d.pon(29, QStringLiteral("AuxListaConIVA"), 0);
    d.pon(30, QStringLiteral("AuxPrecioConIVA"), 0);
    d.pon(31, QStringLiteral("AuxCantidadInsumo"), 0);
    d.pon(32, QStringLiteral("AuxImporteDescuentoArticulo"), 0);
    d.pon(33, QStringLiteral("AuxTipoCoeficiente"), 0);
    d.pon(10, QStringLiteral("AuxCoeficiente"), 0);
    d.pon(34, QStringLiteral("AuxStockDisponible"), 0);
    d.pon(35, QStringLiteral("AuxStockMinimo"), 0);

    d.pon(36, QStringLiteral("IVA"), x(10));
    if (stock)
        d.pon(36, QString(), 0);

    d.pon(37, QStringLiteral("AuxCpteOrigen"), 0);
    d.pon(38, QStringLiteral("AuxIdCpteOrigen"), 0);
    d.pon(119, QStringLiteral("AuxCodigoPercepcion"), 0);
    d.pon(39, QStringLiteral("Lote_Origen"), 0);
    d.pon(40, QStringLiteral("Lote_Aduana"), 0);
    vacias(d, {41, 42, 44, 45, 46, 47, 48, 49});
    for (int c = 50; c <= 63; ++c)
        d.pon(c, QString(), 0);
    vacias(d, {64, 97, 71, 89, 90});

    d.pon(66, QStringLiteral("Bl/Pq"), x(5));
    d.pon(100, QStringLiteral("Cod.Proveedor"), x(11));
    vacias(d, {65, 67, 68, 69, 70});
    for (int c = 72; c <= 85; ++c)
        d.pon(c, QString(), 0);

    if (maderera) {
        d.pon(3, QStringLiteral("Espesor"), x(7));
        d.pon(4, QStringLiteral("Ancho"), x(7));
        d.pon(10, QStringLiteral("Largo"), x(7));
        d.pon(15, QStringLiteral("UDP"), x(4));
        d.pon(16, QStringLiteral("Importe"), x(9));
        d.ponAncho(17, 0);
        d.pon(90, QStringLiteral("ML/M2"), x(10));
    } else {
        anchos0(d, {3, 4, 15, 16});
    }

    d.pon(86, QStringLiteral("PideMedidas"), 0);
    d.pon(87, QStringLiteral("LargoAnt"), 0);
    d.pon(91, QStringLiteral("EnComodato"), 0);
    d.pon(92, QStringLiteral("MKBaseFamilia"), 0);
    d.pon(93, QStringLiteral("CodError"), 0);
    d.pon(94, QStringLiteral("Moneda"), 0);
    d.pon(95, QStringLiteral("Cotizacion"), 0);
    d.pon(98, QStringLiteral("AuxSecuenciaOrigen"), 0);
    d.pon(99, QStringLiteral("AuxRedondeoLinea"), 0);
    d.pon(101, QStringLiteral("ColorDefault"), 0);
    d.pon(102, QStringLiteral("SexoDefault"), 0);
    vacias(d, {88, 103, 104, 105, 106});

    const double compra = compras ? x(10) : 0;
    d.pon(109, QStringLiteral("Precio Proveedor"), compra);
    d.pon(107, QStringLiteral("Descuentos"), compra);
    d.pon(108, QStringLiteral("Recargos"), compra);
    d.pon(117, QStringLiteral("Tot.Imp.Int"), compra);
    d.pon(118, QStringLiteral("Tot.Sin Imp.Int"), compra);

    vacias(d, {116, 110, 111, 112, 113, 114, 115});

    d.aCeldas(m);

    // Width cap: no column but the code column is wider than the grid less
    // 400 twips. A grid narrower than 400 twips caps at 0 (a negative cap
    // would give every column a negative width).
    const double tope = std::max(0.0, Twips(anchoGrilla - 400));
    for (int c = 1; c < d.cols(); ++c)
        if (d.ancho(c) > tope)
            d.ponAncho(c, tope);
    return d;
}

}  // namespace grillas
