#pragma once
// What the two lot windows share: their controls (article label, grid,
// floating edit box, tool bar, accept and cancel buttons) and the editing of
// the grid through the edit box, with its checks and sums. Each window says
// which columns open the box, which one holds the quantities and where Enter
// moves; the rest is written once here.
#include "platform/ui/modalform.h"

#include <QLineEdit>
#include <QList>
#include <QString>

#include <cmath>
#include <functional>

class QLabel;
class QPushButton;

namespace ui {
class MSFlexGrid;
class Toolbar;
class Button;
}  // namespace ui

namespace lots {

// The floating edit box: a text box with the stored properties the editing
// reads (DataField: the kind of value, "Cantidad" for a quantity; MaxLength,
// 0 for no limit; Tag) and the old key events, KeyDown before KeyPress.
class CajaEdicion : public QLineEdit {
    Q_OBJECT
public:
    explicit CajaEdicion(QWidget* parent = nullptr);

    QString DataField;
    QString Tag;
    long MaxLength() const { return maxLength_; }
    void setMaxLength(long largo);
    QString Text() const { return text(); }
    void setText(const QString& texto) { QLineEdit::setText(texto); }
    void setSelStart(long posicion);
    bool Visible() const { return !isHidden(); }

    std::function<void(int& KeyCode, int Shift)> onKeyDown;
    std::function<void(int& KeyAscii)> onKeyPress;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    long maxLength_ = 0;
};

class VentanaLotes : public ui::ModalForm {
    Q_OBJECT
public:
    explicit VentanaLotes(QWidget* parent = nullptr);
    ~VentanaLotes() override;

    // --- controls ------------------------------------------------------------
    QLabel* lblArticulo = nullptr;
    ui::MSFlexGrid* MSFlexGrid1 = nullptr;
    CajaEdicion* TxtEdit = nullptr;
    ui::Toolbar* Toolbar1 = nullptr;
    QPushButton* CmdAceptar = nullptr;
    QPushButton* CmdCancelar = nullptr;

    // True once the accept has written the result lists (a cancel, or an
    // accept refused by its checks, leaves it false).
    bool Aceptado = false;

    // --- the floating edit box -------------------------------------------------
    // Opens the box over the current cell: a printable key starts it with
    // that character, a control key (0 to 32) with the cell's text.
    void MsflexGridEdt(ui::MSFlexGrid& MsFlexGrid, CajaEdicion& Edt, int KeyAscii);
    // DataField, MaxLength and Tag of the box for a column.
    void Text_Propiedades(CajaEdicion& Texto, long Col);
    // Moves the current cell after a confirming key of the box (13, 27, 38, 40).
    void EditKeyCode(ui::MSFlexGrid& MsFlexGrid, CajaEdicion& Edt, int KeyCode, int Shift);
    // Checks the box's value; HayErrorValidacion tells the outcome.
    void CampoValida(CajaEdicion& Texto);
    // Sum of the quantity column over the data rows, row MenosCual left out
    // (-1 leaves none out).
    double SumaFilas(long MenosCual);
    // The quantities add up to the requested quantity (both to 4 decimals).
    bool ValidaCantidadCantidadPedida();
    // Every data row whose column (ColumnaTodoIgual; none when below 0) is
    // blank gets row 1's text.
    void CompletaTodoIgual();

    // The one number reader of both windows, for typed text and for cells:
    // "2,5" and "2.5" are two and a half; "" and junk read 0.
    static double LeeCantidad(const QString& texto);
    // A quantity rounded to 4 decimals, as quantities are compared: 0.1 + 0.2
    // is 0.3. Never raises, whatever the size.
    static double Redondea4(double valor) { return std::nearbyint(valor * 10000) / 10000; }
    // A quantity as the cells show it.
    static QString TextoCantidad(double valor);
    // Proper case: the first letter of every word upper case, the rest lower.
    static QString MayusculaInicial(const QString& texto);

protected:
    // The window's design: `ancho` pixels wide, the label, the tool bar with
    // its two fill buttons, the grid and the two buttons, wired to the
    // window's handlers.
    void Dispone(int ancho, const QString& textoAceptar, const std::function<void()>& acepta,
                 const std::function<void()>& cancela, const std::function<void(long indice)>& boton);
    // The window grows to its font when it loads, and to its label's lines
    // when it shows (see the .cpp).
    void AjustaAFuente();
    void showEvent(QShowEvent* event) override;
    // Width, twips, of a column that shows n "X" in the grid's font: their
    // width with the cell's margins.
    long AnchoX(long n) const;
    // Each column as wide as n "X" (AnchoX), n the length of its longest text
    // (title row included), or as its widest text with the margins, whichever
    // is wider; a column without text keeps its width.
    void AjustaAnchoColumnas();
    // The sum against the requested quantity at accept: true when the lists
    // may be written (equal, or the user agreed to take the sum as the new
    // requested quantity). A sum below the request is refused with
    // `avisoMenor` unless `ofrecerAjuste`.
    bool ControlaSuma(bool ofrecerAjuste, const QString& avisoMenor);
    // The proposal: the requested quantity taken from the data rows in grid
    // order, each row up to the stock of column colStock; a grid of one data
    // row takes it whole, whatever its stock.
    void ProponeDesdeStock(long colStock);
    // Earlier items back into the rows they came from: the n-th item of a key
    // fills the n-th row of that key (rows `desde` to `hasta` - 1), so rows
    // that share a key each get their own item back. For each item, its row,
    // or 0 when its key has no row left.
    static QList<long> FilasDeItems(long desde, long hasta, qsizetype items,
                                    const std::function<bool(long fila, qsizetype item)>& iguales);
    // The box's text written into the current cell, and the box hidden; a
    // value that the checks refuse never reaches the cell.
    void CierraCaja();

    // --- what each window says --------------------------------------------------
    // The column the user types into (the box opens on no other, unless the
    // window says so).
    virtual long ColumnaEntrada() const = 0;
    virtual bool AbreEnColumna(long col) const { return col == ColumnaEntrada(); }
    virtual bool EsColumnaCantidad(long col) const = 0;
    virtual long ColumnaCantidad() const = 0;
    virtual long ColumnaTodoIgual() const = 0;
    virtual double& CantidadPedida() = 0;
    // Enter on the cell: where the current cell goes once the value is in.
    virtual void MueveTrasEnter(ui::MSFlexGrid& g) = 0;
    // The window's own checks of a quantity Q (after the sign check): the
    // refusal message, or "" to accept.
    virtual QString ControlaCantidad(double Q) = 0;
    // A value of another kind than a quantity has been confirmed.
    virtual void ValidaOtroCampo(CajaEdicion& Texto) { (void)Texto; }
    // The quantity checks apply (stock-pick mode of the serials window).
    virtual bool ControlaCantidades() const { return true; }

    bool HayErrorValidacion = false;
};

}  // namespace lots
