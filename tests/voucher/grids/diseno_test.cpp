// The layouts InicializaGrids writes into real grids: every column's row-0
// text, width and visibility per voucher layout, against tables written here.
#include "entorno_grillas.h"

#include "core/cargaconfiguracion.h"
#include "voucher/grids/diseno.h"

#include "platform/ui/fitting.h"

#include <QRegularExpression>

#include <random>

namespace {

using grillastest::EntornoGrillas;

struct Col {
    int col;
    const char* texto;
    const char* ancho;  // "15X", "29X-3X", "39X+11X-480", "W:Nro. de Lote"; "" is 0
};

// The articles grid of a sales voucher without switches; columns not listed
// have an empty row-0 cell and width 0.
const Col kVentas[] = {
    {0, "Código", "15X"},          {1, "Descripción", "29X"},     {2, "Lista", ""},
    {5, "UD", "4X"},               {6, "Dep.", ""},               {7, "Imp. Lista", ""},
    {8, "Cant.", "6X"},            {9, "Entregado", ""},          {10, "AuxCoeficiente", ""},
    {13, "% Dto.", ""},            {14, "% Dto.", ""},            {17, "Importe", "11X"},
    {18, "Total", ""},             {19, "AuxEsExento", ""},       {20, "AuxPrecioSinIVA", ""},
    {21, "TOTAL", "10X"},          {22, "AuxPideSerie", ""},      {23, "AuxPidelote", ""},
    {24, "AuxNroLote", ""},        {25, "AuxNroSerie", ""},       {26, "AuxRestoPorAplicar", ""},
    {27, "AuxTipoArticulo", ""},   {28, "AuxRubroArticulo", ""},  {29, "AuxListaConIVA", ""},
    {30, "AuxPrecioConIVA", ""},   {31, "AuxCantidadInsumo", ""}, {32, "AuxImporteDescuentoArticulo", ""},
    {33, "AuxTipoCoeficiente", ""}, {34, "AuxStockDisponible", ""}, {35, "AuxStockMinimo", ""},
    {36, "IVA", "10X"},            {37, "AuxCpteOrigen", ""},     {38, "AuxIdCpteOrigen", ""},
    {39, "Lote_Origen", ""},       {40, "Lote_Aduana", ""},       {43, "Impuestos", "10X"},
    {66, "Bl/Pq", "5X"},           {86, "PideMedidas", ""},       {87, "LargoAnt", ""},
    {91, "EnComodato", ""},        {92, "MKBaseFamilia", ""},     {93, "CodError", ""},
    {94, "Moneda", ""},            {95, "Cotizacion", ""},        {96, "ITC", ""},
    {98, "AuxSecuenciaOrigen", ""}, {99, "AuxRedondeoLinea", ""}, {100, "Cod.Proveedor", "11X"},
    {101, "ColorDefault", ""},     {102, "SexoDefault", ""},      {107, "Descuentos", ""},
    {108, "Recargos", ""},         {109, "Precio Proveedor", ""}, {117, "Tot.Imp.Int", ""},
    {118, "Tot.Sin Imp.Int", ""},  {119, "AuxCodigoPercepcion", ""},
};

const Col kStock[] = {{1, "Descripción", "39X+11X-480"}, {5, "UD", "4X+4X"}, {8, "Cant.", "6X+7X"},
                      {14, "", ""},  {17, "Importe", ""}, {21, "", ""}, {36, "", ""}, {43, "", ""}, {96, "", ""}};

// A text shown whole in a column of grid 1 (articles) or 2 (other concepts)
// at 9 points, and the column's width in twips (pixels x 15).
struct Cifra {
    int grilla, col;
    const char* texto;
    long ancho;
};

struct Disposicion {
    const char* nombre;
    const char* tc;
    std::vector<std::pair<const char*, const char*>> config;  // switched on for the case
    bool maderera;
    long anchoGrilla;
    std::vector<std::vector<Col>> cambios;  // over the sales table, in order
    std::vector<Cifra> cifras = {};
};

const std::vector<Col> kCompras = {{107, "Descuentos", "10X"}, {108, "Recargos", "10X"},
                                   {109, "Precio Proveedor", "10X"}, {117, "Tot.Imp.Int", "10X"},
                                   {118, "Tot.Sin Imp.Int", "10X"}};

const Disposicion kDisposiciones[] = {
    // Arial's advances (X 1366/2048 em, digits 1139, point 569), 3 px of margin
    // a side: "Cant." 6 X at 10 points 52 px + 6 = 870 twips for "1250.50"
    // (47 px); "UD" 4 X 35 + 6 = 615 for "UNID" (32); at 9 points "Importe"
    // 8 X 64 + 6 = 1050 for "1234567.89" (63); "Importe S/Iva" its own 71 + 6.
    {"sales", "FC", {}, false, 12000, {},
     {{1, 8, "1250.50", 870}, {1, 5, "UNID", 615}, {2, 2, "1234567.89", 1050}, {2, 1, "Importe S/Iva", 1155}}},
    {"sales price list and discount have no effect in purchases", "FCC",
     {{"V_DescuentoPorArticulos", "SI"}, {"V_ListaPreciosPorItemArticulos", "SI"}}, false, 12000, {kCompras}},
    {"purchases with discount per article", "FCC", {{"ComprasDescuentoPorArticulo", " si "}}, false, 12000,
     {kCompras, {{0, "Código", "15X-1X"}, {1, "Descripción", "29X-3X"}, {14, "% Dto.", "5X"}, {17, "Importe", "11X-1X"}}}},
    {"stock", "AJP", {}, false, 12000, {{kStock, kStock + std::size(kStock)}}},
    {"stock, amounts hidden", "OP", {}, false, 12000, {{kStock, kStock + std::size(kStock)}}},
    {"price list with discounts", "FC", {{"V_ListaPreciosPorItemArticulos", "SI"}, {"V_DescuentoPorArticulos", "si"}},
     false, 12000,
     {{{0, "Código", "15X-1X-1X"}, {1, "Descripción", "29X-3X-3X"}, {2, "Lista", "4X"}, {14, "% Dto.", "5X"},
       {17, "Importe", "11X-1X"}}}},
    {"timber", "FC", {}, true, 12000,
     {{{3, "Espesor", "7X"}, {4, "Ancho", "7X"}, {10, "Largo", "7X"}, {15, "UDP", "4X"}, {16, "Importe", "9X"},
       {17, "Importe", ""}, {90, "ML/M2", "10X"}}}},
    {"timber has no effect in stock", "AJP", {}, true, 12000, {{kStock, kStock + std::size(kStock)}}},
    {"counter delivery", "rm", {{"entregado_mostrador", "SI"}}, false, 12000, {{{9, "Entregado", "8X"}}}},
    {"counter delivery only for FC, FP and RM", "NP", {{"entregado_mostrador", "SI"}}, false, 12000, {}},
    {"deposit, units and fuel tax", "FC",
     {{"PideDepositoEnCptes", "SI"}, {"ConfirmaUDEquiv", "SI"}, {"TransporteCombustibles", "SI"}}, false, 12000,
     {{{6, "Dep.", "4X"}, {11, "UDEquiv", "7X"}, {12, "Cant. Equiv", "9X"}, {96, "ITC", "10X"}}}},
    {"no deposit in quotes", "PR", {{"PideDepositoEnCptes", "SI"}}, false, 12000, {}},
    {"lots and serials", "DVPE", {}, false, 12000,
     {{kStock, kStock + std::size(kStock)},
      {{24, "Nro. Lote", "W:Nro. de Lote"}, {25, "Nro. Serie", "W:Nro. de Serie"}}}},
    // 1995 twips (133 pixels): columns 1 to 119 at most 1595, column 0 as it is.
    {"width cap", "FC", {}, false, 1995,
     {{{1, "Descripción", "min:29X:1595"}, {17, "Importe", "min:11X:1595"}, {100, "Cod.Proveedor", "min:11X:1595"},
       {21, "TOTAL", "min:10X:1595"}, {36, "IVA", "min:10X:1595"}, {43, "Impuestos", "min:10X:1595"}}}},
    // Narrower than 400 twips: every column but the code column hidden.
    {"width cap of a narrow grid", "FC", {}, false, 300,
     {{{1, "Descripción", ""}, {5, "UD", ""}, {8, "Cant.", ""}, {17, "Importe", ""}, {21, "TOTAL", ""},
       {36, "IVA", ""}, {43, "Impuestos", ""}, {66, "Bl/Pq", ""}, {100, "Cod.Proveedor", ""}}}},
};

class Disenos : public EntornoGrillas {
protected:
    // The text room an expression of the tables stands for, in `fuente`, and
    // how many X it counts.
    static long Ancho(const QString& expr, const QFont& fuente, long* equis = nullptr)
    {
        if (expr.isEmpty())
            return 0;
        if (expr.startsWith(QLatin1String("W:")))
            return ui::TextWidth(expr.mid(2), fuente);
        long total = 0;
        static const QRegularExpression termino(QStringLiteral("([+-]?)(\\d+)(X?)"));
        for (auto it = termino.globalMatch(expr); it.hasNext();) {
            const auto m = it.next();
            const int signo = m.captured(1) == u"-" ? -1 : 1;
            if (m.captured(3).isEmpty()) {
                total += signo * m.captured(2).toLong();
                continue;
            }
            total += signo * ui::TextWidthX(m.captured(2).toInt(), fuente);
            if (equis)
                *equis += signo * m.captured(2).toLong();
        }
        return total;
    }

    // The width of a column titled `titulo` whose room is the expression:
    // as wide as its title at least, with the cell's margins; "min:e:twips"
    // capped.
    static long Celda(const QString& expr, const QString& titulo, const QFont& fuente)
    {
        if (expr.startsWith(QLatin1String("min:"))) {
            const QStringList p = expr.split(u':');
            return std::min(Celda(p[1], titulo, fuente), p[2].toLong());
        }
        const long room = Ancho(expr, fuente);
        if (room <= 0)
            return 0;
        return std::max(room + ui::CellWidth(QString(), fuente), ui::CellWidth(titulo, fuente));
    }

    // Grid and tables as text, one line per column: number, row-0 text,
    // width (with the table's expression) and visibility, widths measured
    // in the grid's font. Columns not in the tables: empty and 0;
    // `sinTocar`: left at the control's default width. A shown column shows
    // its title and generated figures of as many characters as its X whole.
    void Compara(const ui::MSFlexGrid& g, int cols, const std::vector<std::vector<Col>>& tablas,
                 std::initializer_list<int> sinTocar = {}, long porDefecto = 0)
    {
        std::vector<Col> por(static_cast<std::size_t>(cols), Col{0, "", ""});
        for (const auto& tabla : tablas)
            for (const Col& c : tabla)
                por[std::size_t(c.col)] = c;
        Completas(g, por);
        const auto linea = [](long c, const QString& texto, long ancho, const QString& expr) {
            return QStringLiteral("%1 | %2 | %3 (%4) | %5\n").arg(c, 3).arg(texto, -28).arg(ancho).arg(expr,
                ancho > 0 ? QStringLiteral("shown") : QStringLiteral("hidden"));
        };
        QString real, esperado;
        for (int c = 0; c < cols; ++c) {
            const QString expr = QString::fromUtf8(por[std::size_t(c)].ancho);
            const bool defecto = std::find(sinTocar.begin(), sinTocar.end(), c) != sinTocar.end();
            const QString titulo = QString::fromUtf8(por[std::size_t(c)].texto);
            esperado += linea(c, titulo, defecto ? porDefecto : Celda(expr, titulo, g.font()), expr);
            real += linea(c, g.TextArray(c), g.ColWidth(c), expr);
        }
        EXPECT_EQ(g.Cols(), cols);
        EXPECT_EQ(real.toStdString(), esperado.toStdString());
    }

    void Completas(const ui::MSFlexGrid& g, const std::vector<Col>& por)
    {
        for (int col = 0; col < int(por.size()); ++col) {
            const QString expr = QString::fromUtf8(por[std::size_t(col)].ancho);
            long n = 0;
            if (g.ColWidth(col) == 0 || expr.startsWith(QLatin1String("min:")) || (Ancho(expr, g.font(), &n), n <= 3))
                continue;
            QString cifra = QString::number(azar() % 900000000 + 100000000).repeated(int(n) / 9 + 1).left(int(n));
            cifra[int(n - 3)] = u'.';
            for (const QString& t : {g.TextArray(col), cifra, u'-' + cifra.mid(1)})
                EXPECT_LE(ui::CellWidth(t, g.font()), g.ColWidth(col)) << t.toStdString() << " in column " << col;
        }
    }

    std::mt19937 azar{20261211};

    long AnchoPorDefecto() const
    {
        ui::MSFlexGrid nueva;
        nueva.setCols(24);
        return nueva.ColWidth(22);
    }
};

// Every layout in the desktop's fonts: 9 and 12 points and Courier New 12.
TEST_F(Disenos, ArticleGridPerLayout)
{
    const std::pair<const char*, int> fuentes[] = {{"Segoe UI", 9}, {"Segoe UI", 12}, {"Courier New", 12}};
    for (const auto& [familia, puntos] : fuentes)
    for (const Disposicion& d : kDisposiciones) {
        SCOPED_TRACE(std::string(d.nombre) + " in " + familia + ' ' + std::to_string(puntos));
        forma->setFont(QFont(QString::fromLatin1(familia), puntos));
        for (const auto& [clave, valor] : d.config)
            Config(QString::fromLatin1(clave), valor);
        ModGlobal::EsMaderera = d.maderera;
        articulos()->setWidth(d.anchoGrilla);
        ClsCmnCptes cls;
        Inicializa(cls, QString::fromLatin1(d.tc));

        std::vector<std::vector<Col>> tablas{{std::begin(kVentas), std::end(kVentas)}};
        tablas.insert(tablas.end(), d.cambios.begin(), d.cambios.end());
        Compara(*articulos(), 120, tablas);
        for (const Cifra& c : d.cifras)
            if (puntos == 9) {
                EXPECT_EQ(grillas[c.grilla]->ColWidth(c.col), c.ancho) << c.texto;
                EXPECT_LE(ui::CellWidth(QString::fromUtf8(c.texto), grillas[c.grilla]->font()), c.ancho) << c.texto;
            }
        EXPECT_EQ(articulos()->Rows(), 2);
        EXPECT_EQ(articulos()->FontSize(), 10);
        EXPECT_EQ(articulos()->ColAlignment(0), ui::flexAlignLeftCenter);
        EXPECT_EQ(articulos()->ColAlignment(1), ui::flexAlignLeftCenter);
        EXPECT_FALSE(cajas[1]->isVisibleTo(forma.get()));

        for (const auto& [clave, valor] : d.config)
            Config(QString::fromLatin1(clave), "NO");
    }
}

TEST_F(Disenos, TaskOtherConceptAndTotalsGrids)
{
    const std::vector<Col> colTareas = {
        {0, "Código", "7X"},            {1, "Descripción", "37X"},        {2, "Cantidad", "7X"},
        {3, "Importe", "11X"},          {4, "Total", "11X"},              {5, "AuxEsExento", ""},
        {6, "ImporteSinIVA", ""},       {7, "AuxObservAdic", ""},         {8, "AuxFechaInicio", ""},
        {9, "AuxFechaFin", ""},         {10, "AuxIdTecnico", ""},         {11, "CodigoOriginal", ""},
        {12, "AuxFechaREALInicio", ""}, {13, "AuxFechaREALFin", ""},      {14, "AuxCuentaContable", ""},
        {15, "Prioridad", ""},          {16, "Usuario", ""},              {17, "AuxFhPresentacion", ""},
        {18, "AuxFhEmision", ""},       {19, "AuxNroExp", ""},            {20, "AuxFhEntrega", ""},
        {23, "AuxTasaIVA", ""}};
    const std::vector<Col> otrosConceptos = {{0, "Detalle", "52X"}, {1, "Importe S/Iva", "8X"}, {2, "Importe", "8X"},
                                             {3, "Cuenta", ""}};
    const std::vector<Col> sinImportesTareas = {{1, "Descripción", "37X+11X+11X"}, {3, "Importe", ""}, {4, "Total", ""}};
    const std::vector<Col> sinImportesOT = {{1, "Descripción", "37X+11X+11X+7X"}, {2, "Cantidad", ""},
                                            {3, "Importe", ""}, {4, "Total", ""}};
    const std::vector<Col> sinImportesOtros = {{0, "Detalle", "52X+8X+8X"}, {1, "Importe S/Iva", ""}, {2, "Importe", ""}};
    struct Caso {
        const char* tc;
        const char* noMostrarEnOT;
        std::vector<std::vector<Col>> tareas, otros;
    } casos[] = {
        {"FC", "SI", {colTareas}, {otrosConceptos}},
        {"OP", "NO", {colTareas, sinImportesTareas}, {otrosConceptos, sinImportesOtros}},
        {"ot", "SI", {colTareas, sinImportesOT}, {otrosConceptos, sinImportesOtros}},
        {"OT", "NO", {colTareas}, {otrosConceptos}},
        {" OP", "SI", {colTareas}, {otrosConceptos}},  // the code is not trimmed
    };
    const long porDefecto = AnchoPorDefecto();
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.tc);
        Config(QStringLiteral("NoMostrarImportesEnOT"), c.noMostrarEnOT);
        // A former layout and typed lines go.
        tareas()->setRows(6);
        tareas()->setTextMatrix(3, 0, QStringLiteral("T1"));
        cajas[2]->setText(QStringLiteral("typed"));
        ClsCmnCptes cls;
        Inicializa(cls, QString::fromLatin1(c.tc));
        Compara(*tareas(), 24, c.tareas, {21, 22}, porDefecto);
        EXPECT_EQ(tareas()->Rows(), 2);
        Compara(*otros(), 7, c.otros, {6}, porDefecto);
        EXPECT_EQ(cajas[2]->text(), QString());
        EXPECT_FALSE(cajas[0]->isVisibleTo(forma.get()));
    }
    const std::vector<Col> columnasTotales = {{0, "Descripcion", "50X"}, {1, "Cantidad ITEM'S", "15X"},
                                              {2, "Cantidad", "10X"}};
    Compara(*totales(), 3, {columnasTotales});
    EXPECT_EQ(totales()->ColAlignment(0), ui::flexAlignLeftCenter);
    EXPECT_EQ(totales()->Rows(), 5);
}

TEST_F(Disenos, VoucherSystemAndCodeTitle)
{
    ClsCmnCptes cls;
    // A type without a number book lays out a sales voucher; in the stock
    // program a stock voucher.
    Inicializa(cls, QStringLiteral("ZZ"));
    EXPECT_EQ(articulos()->TextArray(21), QStringLiteral("TOTAL"));
    legacy::App().exeName = QStringLiteral("v_mv_stock");
    Inicializa(cls, QStringLiteral("ZZ"));
    EXPECT_EQ(articulos()->TextArray(21), QString());
    const QFont diez = articulos()->font();
    EXPECT_EQ(articulos()->ColWidth(1), Ancho(QStringLiteral("39X+11X-480"), diez) + ui::CellWidth(QString(), diez));

    const std::pair<const char*, const char*> titulos[] = {
        {"CÓDIGO DE ARTÍCULO", "Código De Artículo"}, {"  ", "Código"}, {nullptr, "Código"}, {"sku", "Sku"}};
    for (const auto& [valor, titulo] : titulos) {
        Config(QStringLiteral("NombreArticulos"), valor);
        Inicializa(cls, QStringLiteral("FC"));
        EXPECT_EQ(articulos()->TextArray(0), QString::fromUtf8(titulo));
    }

    // Without grids only the reads run; a tasks grid without its edit box
    // stops at the box (error 91), the grids after it untouched.
    EXPECT_EQ(testutil::errorOf([&] {
                  cls.InicializaGrids(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, forma.get(), QStringLiteral("FC"));
              }),
              0);
    otros()->setCols(2);
    EXPECT_EQ(testutil::errorOf([&] {
                  cls.InicializaGrids(tareas(), nullptr, otros(), nullptr, nullptr, cajas[2], forma.get(), QStringLiteral("FC"));
              }),
              91);
    EXPECT_EQ(otros()->Cols(), 2);
}

}  // namespace
