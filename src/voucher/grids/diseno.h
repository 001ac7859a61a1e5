#pragma once
// The column layouts of the voucher grids as plain data: for each column its
// row-0 text (a visible title or the key of a hidden column), its width in
// twips and whether it is aligned left-centre. ClsCmnCptes::InicializaGrids
// computes them from the voucher facts and writes them into the grids; the
// tables can be checked without any widget.
//
// Widths "n X" are the room for n capital letters X in the font the grid
// draws its cells in, given by the measuring the caller passes; every shown
// column gets the margins its cells keep around their text on top, and is
// never narrower than its own title. A hidden column has width 0.
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace grillas {

// The width of a text in twips, in the grid's font.
using MideTexto = std::function<double(const QString&)>;

// How a grid's widths are measured: its texts in its font, and the room (twips,
// both sides together) its cells keep around their text.
struct Medida {
    MideTexto texto;
    double margenes = 0;
};

// The point size the article grid draws in.
inline constexpr double kFuenteArticulos = 10;

struct ColumnaDiseno {
    std::optional<QString> texto;  // not set: the row-0 cell is left as Clear leaves it (empty)
    std::optional<double> ancho;   // not set: the column keeps the width it has
    bool izquierda = false;        // left-centre alignment (1)
};

struct DisenoGrilla {
    int filas = 2;
    std::vector<ColumnaDiseno> columnas;
    std::optional<double> tamanoFuente;  // the article grid sets its font size
    bool alineaSeleccion = false;        // the article grid aligns its current selection left-top
    bool refresca = false;

    explicit DisenoGrilla(int cols = 0, int rows = 2) : filas(rows), columnas(std::size_t(cols)) {}
    int cols() const { return int(columnas.size()); }
    // Width as the grid gives it back: 0 for a column never set.
    double ancho(int col) const { return columnas.at(std::size_t(col)).ancho.value_or(0); }
    void pon(int col, const QString& texto, double ancho);
    void ponAncho(int col, double ancho);
    void ponTexto(int col, const QString& texto) { columnas.at(std::size_t(col)).texto = texto; }
    void izquierda(int col) { columnas.at(std::size_t(col)).izquierda = true; }
    // w = the widths of the columns in `de` added up, each set to 0, and added to `a`.
    void pasaAnchos(std::initializer_list<int> de, int a);
    // The text room of every shown column made a cell's width: at least its
    // title's width, and the cell's margins added.
    void aCeldas(const Medida& m);
};

// The facts of the voucher that decide the layouts.
struct HechosComprobante {
    QString sistema;          // "Ventas", "Compras", "STOCK" ... (compared without regard to case)
    QString tc;               // the voucher type as passed (not trimmed)
    bool deposito = false;    // PideDepositoEnCptes, forced off for OT and PR
    bool ocultaImportes = false;
    QString tituloCodigo;     // the article-code title (proper case)
};

// The configuration switches of the article grid, as read (before the
// conditions on the voucher system are applied).
struct SwitchesArticulos {
    bool listaPorItem = false;     // V_ListaPreciosPorItemArticulos
    bool confirmaUD = false;       // ConfirmaUDEquiv
    bool dtoVentas = false;        // V_DescuentoPorArticulos
    bool dtoCompras = false;       // ComprasDescuentoPorArticulo
    bool combustibles = false;     // TransporteCombustibles
    bool maderera = false;         // ModGlobal::EsMaderera
    bool entregadoMostrador = false;
};

// Voucher switches from the type code and two configuration values
// (PideDepositoEnCptes, NoMostrarImportesEnOT). The code is compared as
// passed, without trimming; NoMostrarImportesEnOT is read only for OT.
void SwitchesDeTipo(HechosComprobante& h, const QString& pideDeposito,
                    const std::function<QString()>& noMostrarImportesEnOT);

// "Código" for a blank title; otherwise the first letter of each word in
// capitals and the rest in small letters.
QString TituloCodigo(const QString& nombreArticulos);

DisenoGrilla DisenoTareas(const HechosComprobante& h, const Medida& m);
DisenoGrilla DisenoOtrosConceptos(const HechosComprobante& h, const Medida& m);
DisenoGrilla DisenoTotales(const Medida& m);
// Measured at kFuenteArticulos points; anchoGrilla: the grid's Width in
// twips, for the width cap.
DisenoGrilla DisenoArticulos(const HechosComprobante& h, const SwitchesArticulos& s, const Medida& m,
                             double anchoGrilla);

// Whole twips as the grid keeps a width (halves to even).
double Twips(double ancho);

}  // namespace grillas
