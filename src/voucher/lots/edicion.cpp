// The editing both lot windows share: the floating edit box over the grid,
// its checks, the sums of the quantity column and the sum check at accept.
#include "voucher/lots/edicion.h"

#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/kapores2/teclado.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"
#include "platform/ui/companions.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fitting.h"
#include "platform/ui/keys.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/textwidth.h"
#include "voucher/clscmncptes.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include <cmath>

using legacy::Trim;

namespace lots {

CajaEdicion::CajaEdicion(QWidget* parent) : QLineEdit(parent)
{
    setFrame(true);
}

void CajaEdicion::setMaxLength(long largo)
{
    maxLength_ = largo;
    QLineEdit::setMaxLength(largo > 0 ? int(largo) : 32767);
}

void CajaEdicion::setSelStart(long posicion)
{
    setCursorPosition(int(std::min<long>(posicion, text().size())));
}

void CajaEdicion::keyPressEvent(QKeyEvent* event)
{
    int codigo = ui::vbKeyCode(*event);
    if (codigo != 0 && onKeyDown) {
        onKeyDown(codigo, ui::vbShiftState(event->modifiers()));
        // Dropped, or the box was closed by the key: nothing more to type.
        if (codigo == 0 || isHidden()) {
            event->accept();
            return;
        }
    }
    const int tecla = ui::keyAscii(*event);
    if (tecla != 0 && onKeyPress) {
        int cambiada = tecla;
        onKeyPress(cambiada);
        if (cambiada == 0) {
            event->accept();
            return;
        }
        if (cambiada != tecla) {
            insert(legacy::Chr(cambiada));
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

VentanaLotes::VentanaLotes(QWidget* parent) : ui::ModalForm(parent)
{
    lblArticulo = new QLabel(QStringLiteral("Artículo-Descripción"), this);
    lblArticulo->setObjectName(QStringLiteral("lblArticulo"));
    // A long description wraps onto more lines rather than running past the
    // window's edge; the label grows to them when the window shows.
    lblArticulo->setWordWrap(true);
    Toolbar1 = new ui::Toolbar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    MSFlexGrid1 = new ui::MSFlexGrid(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setName(QStringLiteral("MSFlexGrid1"));
    TxtEdit = new CajaEdicion(this);
    TxtEdit->setObjectName(QStringLiteral("TxtEdit"));
    TxtEdit->hide();
    CmdAceptar = new QPushButton(this);
    CmdAceptar->setObjectName(QStringLiteral("CmdAceptar"));
    CmdCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    CmdCancelar->setObjectName(QStringLiteral("CmdCancelar"));

    MSFlexGrid1->onKeyPress = [this](int& KeyAscii) { MsflexGridEdt(*MSFlexGrid1, *TxtEdit, KeyAscii); };
    MSFlexGrid1->onLeaveCell = [this] { CierraCaja(); };
    MSFlexGrid1->onGotFocus = [this] { CierraCaja(); };
    TxtEdit->onKeyPress = [this](int& KeyAscii) { kapores2::Teclado::FiltraTecla(TxtEdit, KeyAscii); };
    TxtEdit->onKeyDown = [this](int& KeyCode, int Shift) {
        if (!kapores2::Teclado::EsTeclaConfirma(KeyCode)) return;
        // Escape drops the value unchecked: a refused value can always be
        // abandoned without its message coming back.
        HayErrorValidacion = false;
        if (KeyCode != 27) CampoValida(*TxtEdit);
        if (!HayErrorValidacion) EditKeyCode(*MSFlexGrid1, *TxtEdit, KeyCode, Shift);
    };
}

VentanaLotes::~VentanaLotes() = default;

void VentanaLotes::Dispone(int ancho, const QString& textoAceptar, const std::function<void()>& acepta,
                           const std::function<void()>& cancela, const std::function<void(long indice)>& boton)
{
    resize(ancho, 430);
    lblArticulo->setGeometry(8, 6, ancho - 16, 22);
    Toolbar1->setGeometry(8, 30, ancho - 16, 28);
    Toolbar1->Buttons().Add(QStringLiteral("Llenar"), QStringLiteral("Llenar"),
                            QStringLiteral("Llenar las demas celdas con el valor de las seleccionadas"));
    Toolbar1->Buttons().Add(QStringLiteral("Blanquear"), QStringLiteral("Blanquear"),
                            QStringLiteral("Blanquear las Celdas a partir de la celda seleccionada"));
    Toolbar1->onButtonClick = [boton](ui::Button& b) { boton(b.Index()); };
    MSFlexGrid1->setGeometry(8, 62, ancho - 16, 320);
    CmdAceptar->setText(textoAceptar);
    CmdAceptar->setGeometry(ancho - 208, 392, 96, 30);
    CmdCancelar->setGeometry(ancho - 104, 392, 96, 30);
    connect(CmdAceptar, &QPushButton::clicked, this, acepta);
    connect(CmdCancelar, &QPushButton::clicked, this, cancela);
}

// The window keeps its design where its font fits it. Where it does not,
// the article's label grows to its lines and the tool bar to its buttons,
// the grid and the two buttons below move down by as much and the window
// grows with them; the two buttons grow to their captions, the row keeping
// its place at the window's right. Growing only, so a second load changes
// nothing.
void VentanaLotes::AjustaAFuente()
{
    constexpr int kMargen = 8;  // pixels the controls keep from the window's sides
    if (const int ensancha = ui::GrowButtonRow({CmdAceptar, CmdCancelar}, ui::RowAnchor::Right, kMargen);
        ensancha > 0) {
        resize(width() + ensancha, height());
        for (QWidget* w : {static_cast<QWidget*>(lblArticulo), static_cast<QWidget*>(Toolbar1),
                           static_cast<QWidget*>(MSFlexGrid1)})
            w->resize(w->width() + ensancha, w->height());
    }
    if (const int crece = ui::GrowRowsToContents(*this); crece > 0)
        resize(width(), height() + crece);
}

// The label's caption is set after the load (by CargaDatos and then by the
// launcher): the window fits its rows again when it shows.
void VentanaLotes::showEvent(QShowEvent* event)
{
    AjustaAFuente();
    ui::ModalForm::showEvent(event);
}

double VentanaLotes::LeeCantidad(const QString& texto)
{
    return kapores2::Funciones::TextoADoble(legacy::Variant(texto));
}

QString VentanaLotes::TextoCantidad(double valor)
{
    return legacy::Variant(valor).toString();
}

QString VentanaLotes::MayusculaInicial(const QString& texto)
{
    QString r = texto.toLower();
    bool inicio = true;
    for (QChar& c : r) {
        if (inicio && c.isLetter()) c = c.toUpper();
        inicio = c.isSpace();
    }
    return r;
}

long VentanaLotes::AnchoX(long n) const
{
    return ui::CellWidth(QString(qsizetype(std::max(0L, n)), u'X'), MSFlexGrid1->font());
}

// A column exactly n X wide left no room for the cell's margins (the last
// letter of the longest lot code and the titles were cut), and a code of
// wide capitals needs more than n X: each column takes n X of text or its
// widest text as measured, whichever is wider, with the margins.
void VentanaLotes::AjustaAnchoColumnas()
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    for (long c = 0; c < g.Cols(); ++c) {
        long largo = 0;
        long ancho = 0;
        for (long r = 0; r < g.Rows(); ++r) {
            const QString texto = g.TextMatrix(r, c);
            largo = std::max<long>(largo, texto.size());
            if (!texto.isEmpty()) ancho = std::max(ancho, ui::CellWidth(texto, g.font()));
        }
        if (largo > 0) g.setColWidth(c, std::max(AnchoX(largo), ancho));
    }
}

void VentanaLotes::Text_Propiedades(CajaEdicion& Texto, long Col)
{
    Texto.DataField.clear();
    Texto.setMaxLength(25);
    Texto.Tag.clear();
    if (EsColumnaCantidad(Col)) {
        Texto.DataField = QStringLiteral("Cantidad");
        Texto.setMaxLength(0);
    }
}

void VentanaLotes::MsflexGridEdt(ui::MSFlexGrid& MsFlexGrid, CajaEdicion& Edt, int KeyAscii)
{
    Text_Propiedades(Edt, MsFlexGrid.Col());
    if (!AbreEnColumna(MsFlexGrid.Col())) return;
    if (KeyAscii < 0 || KeyAscii > 32) {
        Edt.setText(legacy::Chr(KeyAscii));
        Edt.setSelStart(1);
    } else {
        Edt.setText(MsFlexGrid.Text());
        Edt.setSelStart(1000);
    }
    ui::setTwipsLeft(Edt, MsFlexGrid.Left() + MsFlexGrid.CellLeft());
    ui::setTwipsTop(Edt, MsFlexGrid.Top() + MsFlexGrid.CellTop());
    ui::setTwipsWidth(Edt, MsFlexGrid.CellWidth());
    ui::setTwipsHeight(Edt, MsFlexGrid.CellHeight());
    Edt.show();
    Edt.raise();
    if (MsFlexGrid.Height() < MsFlexGrid.CellTop() + MsFlexGrid.CellHeight())
        MsFlexGrid.setTopRow(MsFlexGrid.TopRow() + 1);
    Edt.setFocus();
}

void VentanaLotes::CierraCaja()
{
    if (!TxtEdit->Visible()) return;
    // The leave-cell and focus events bring the box's value into the cell;
    // it is checked first, so a refused value is dropped instead. The box
    // is hidden before the check, so the focus coming back after its
    // message cannot check it twice.
    TxtEdit->hide();
    CampoValida(*TxtEdit);
    if (!HayErrorValidacion) MSFlexGrid1->setText(TxtEdit->Text());
}

void VentanaLotes::EditKeyCode(ui::MSFlexGrid& MsFlexGrid, CajaEdicion& Edt, int KeyCode, int Shift)
{
    (void)Shift;
    // A row or column the grid refuses to make current is passed over.
    legacy::ErrorTrap trap(QStringLiteral("EditKeyCode"), [](const legacy::VbError& e, const QString& rutina) {
        if (e.Number == 5 || e.Number == 381 || e.Number == 30010) return 5;
        return ModGlobal::gDB().TratamientoErrores(e, std::nullopt, rutina);
    });
    auto alGrid = [&] {
        MsFlexGrid.SetFocus();
        ui::DoEvents();
        CierraCaja();
    };
    switch (KeyCode) {
    case 13:
        trap(alGrid);
        if (!trap.left()) trap([&] { MueveTrasEnter(MsFlexGrid); });
        break;
    case 27:
        trap([&] { Edt.hide(); });
        trap([&] { MsFlexGrid.SetFocus(); });
        break;
    case 38:
        trap(alGrid);
        trap([&] {
            if (MsFlexGrid.Row() > MsFlexGrid.FixedRows()) MsFlexGrid.setRow(MsFlexGrid.Row() - 1);
        });
        break;
    case 40:
        trap(alGrid);
        trap([&] {
            // Down goes to the next row, in the column being typed into: the
            // fixed column 0 would take typed keys nowhere.
            if (MsFlexGrid.Row() < MsFlexGrid.Rows() - 1) {
                MsFlexGrid.setRow(MsFlexGrid.Row() + 1);
                if (!AbreEnColumna(MsFlexGrid.Col())) MsFlexGrid.setCol(ColumnaEntrada());
            }
        });
        break;
    default:
        break;
    }
    if (trap.left()) return;
    trap([&] {
        if (MsFlexGrid.Height() < MsFlexGrid.CellTop() + MsFlexGrid.CellHeight())
            MsFlexGrid.setTopRow(MsFlexGrid.TopRow() + 1);
    });
}

void VentanaLotes::CampoValida(CajaEdicion& Texto)
{
    HayErrorValidacion = false;
    legacy::ErrorTrap trap(QStringLiteral("CampoValida"), ModGlobal::gDB().errorHandler());
    trap([&] {
        const QString texto = Trim(Texto.Text());
        if (legacy::StrComp(Trim(Texto.DataField), QStringLiteral("Cantidad"), legacy::vbTextCompare) != 0) {
            ValidaOtroCampo(Texto);
            return;
        }
        if (!ControlaCantidades()) return;
        // A quantity is a number (sign, digits, one decimal mark): any other
        // text would reach the result lists as it was typed.
        static const QRegularExpression numero(QStringLiteral("^[-+]?(\\d+([.,]\\d*)?|[.,]\\d+)$"));
        QString aviso;
        const double Q = LeeCantidad(texto);
        if (!texto.isEmpty() && !numero.match(texto).hasMatch())
            aviso = QStringLiteral("La Cantidad informada no es un Número");
        else if (Q < 0)
            aviso = QStringLiteral("La Cantidad no puede ser Menor a Cero");
        else
            aviso = ControlaCantidad(Q);
        if (aviso.isEmpty()) return;
        HayErrorValidacion = true;
        ui::MsgBox(aviso, ui::vbCritical, QStringLiteral("Aviso al Operador"));
    });
    // A value whose check failed is not accepted either.
    if (trap.failed()) HayErrorValidacion = true;
}

double VentanaLotes::SumaFilas(long MenosCual)
{
    double suma = 0;
    legacy::ErrorTrap trap(QStringLiteral("SumaFilas#"), ModGlobal::gDB().errorHandler());
    const long col = ColumnaCantidad();
    for (long r = 1; r < MSFlexGrid1->Rows(); ++r) {
        if (r == MenosCual) continue;
        trap([&] { suma += LeeCantidad(MSFlexGrid1->TextMatrix(r, col)); });
        if (trap.left()) return 0;
    }
    return suma;
}

bool VentanaLotes::ValidaCantidadCantidadPedida()
{
    bool iguales = false;
    legacy::ErrorTrap trap(QString(), ModGlobal::gDB().errorHandler());
    trap([&] { iguales = Redondea4(SumaFilas(-1)) == Redondea4(CantidadPedida()); });
    return iguales && !trap.left();
}

void VentanaLotes::CompletaTodoIgual()
{
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("CompletaTodoIgual"));
    const long col = ColumnaTodoIgual();
    if (col < 0) return;
    QString valor;
    if (!trap([&] { valor = Trim(MSFlexGrid1->TextMatrix(1, col)); })) return;
    for (long r = 1; r < MSFlexGrid1->Rows(); ++r)
        trap([&] {
            if (Trim(MSFlexGrid1->TextMatrix(r, col)).isEmpty()) MSFlexGrid1->setTextMatrix(r, col, valor);
        });
}

void VentanaLotes::ProponeDesdeStock(long colStock)
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    const long col = ColumnaCantidad();
    const double pedida = CantidadPedida();
    double resto = pedida;
    // A negative request (a return) is proposed as any other: the first row
    // takes it, it being at most what the row holds.
    if (Redondea4(resto) == 0) return;
    for (long r = 1; r < g.Rows(); ++r) {
        const double q = LeeCantidad(g.TextMatrix(r, col));
        // A row of which the voucher's other lines take more than is there
        // has nothing free: it gives nothing. A lone row too gives no more
        // than it holds; what it cannot give is left for the sum check.
        const double d = std::max(0.0, LeeCantidad(g.TextMatrix(r, colStock)));
        if (Redondea4(q + resto) <= Redondea4(d)) {
            g.setTextMatrix(r, col, TextoCantidad(resto + q));
            resto = 0;
        } else {
            g.setTextMatrix(r, col, TextoCantidad(d));
            // To the four places quantities are compared in: no binary
            // residue of the subtraction reaches the next row.
            resto = Redondea4(pedida - SumaFilas(-1));
        }
        if (pedida > 0 ? resto <= 0 : resto >= 0) break;
    }
}

QList<long> VentanaLotes::FilasDeItems(long desde, long hasta, qsizetype items,
                                       const std::function<bool(long fila, qsizetype item)>& iguales)
{
    QList<long> filas(items, 0);
    QList<bool> ocupada(std::max(0L, hasta - desde), false);
    for (qsizetype i = 0; i < items; ++i) {
        for (long r = desde; r < hasta; ++r) {
            if (ocupada[r - desde] || !iguales(r, i)) continue;
            ocupada[r - desde] = true;
            filas[i] = r;
            break;
        }
    }
    return filas;
}

bool VentanaLotes::ControlaSuma(bool ofrecerAjuste, const QString& avisoMenor)
{
    if (ValidaCantidadCantidadPedida()) return true;
    const QString titulo = QStringLiteral("Aviso al Operador!!!");
    // A negative line with no row to go back into (nothing of the article
    // in the deposit): the sum of no rows never stands for it, and adjusting
    // it to that sum would change the line. It is refused as a short stock
    // is. With rows, it is checked as any request.
    if (Redondea4(CantidadPedida()) < 0 && MSFlexGrid1->Rows() <= 1) {
        ui::MsgBox(avisoMenor, ui::vbInformation, titulo);
        return false;
    }
    auto ofrece = [&](const QString& primera) {
        const int r = ui::MsgBox(primera + QStringLiteral("\r\n¿Desea Ajustar la Cantidad Solicitada en el Formulario?"),
                                 ui::vbYesNo + ui::vbQuestion, titulo);
        if (r == ui::vbYes) {
            CantidadPedida() = SumaFilas(-1);
            return true;
        }
        ui::MsgBox(QStringLiteral("Debe Ajustar la suma de las cantidades a :") + TextoCantidad(CantidadPedida()),
                   ui::vbCritical, QStringLiteral("Aviso al Operador"));
        return false;
    };
    if (Redondea4(SumaFilas(-1)) > Redondea4(CantidadPedida()))
        return ofrece(QStringLiteral("La suma de las cantidades Informadas, supera a la solicitada en el "
                                     "Formulario de Carga de Datos"));
    if (!ofrecerAjuste) {
        ui::MsgBox(avisoMenor, ui::vbInformation, titulo);
        return false;
    }
    return ofrece(QStringLiteral("La suma de las cantidades Informadas, Es Menor a la solicitada en el "
                                 "Formulario de Carga de Datos"));
}

}  // namespace lots
