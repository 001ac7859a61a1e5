// The voucher picker's frame: controls, load and unload, accept and cancel,
// the search boxes, the list's events, the column sets, the icons and the
// touch layout. The query itself is in consulta.cpp.
#include "voucher/lookup/frmconscomprobantes.h"

#include "core/configuracion.h"
#include "core/modglobal.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/ui/colors.h"
#include "platform/ui/fitting.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/keys.h"
#include "platform/ui/listview.h"
#include "platform/ui/textwidth.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <vector>

using ui::twipsToPixels;
using vlookup::EnGrupo;
using vlookup::Iguales;

namespace {

void Coloca(QWidget* w, int izquierda, int arriba, int ancho, int alto)
{
    w->setGeometry(twipsToPixels(izquierda), twipsToPixels(arriba), twipsToPixels(ancho), twipsToPixels(alto));
}

// A small picture for an image of the list: a coloured sheet with a short
// text on it (the pictures are this program's own).
QPixmap Dibujo(int lado, const QColor& color, const QString& texto)
{
    QPixmap p(lado, lado);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(color.darker(160));
    g.setBrush(color);
    g.drawRoundedRect(QRectF(0.5, 0.5, lado - 1, lado - 1), lado / 6.0, lado / 6.0);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(texto.size() > 2 ? lado * 5 / 16 : lado * 7 / 16);
    f.setBold(true);
    g.setFont(f);
    g.setPen(Qt::white);
    g.drawText(QRect(0, 0, lado, lado), Qt::AlignCenter, texto);
    return p;
}

struct Columna {
    const char* titulo;  // UTF-8
    int letras;          // width: this many capital letters X
};
struct Juego {
    std::vector<Columna> columnas;
};

}  // namespace

ui::DefaultInstance<FrmConsComprobantes>& frmConsComprobantes()
{
    static ui::DefaultInstance<FrmConsComprobantes> instancia;
    return instancia;
}

FrmConsComprobantes::FrmConsComprobantes(QWidget* parent) : ui::ModalForm(parent)
{
    setObjectName(QStringLiteral("FrmConsComprobantes"));
    setWindowTitle(QStringLiteral("Consulta de Comprobantes"));
    // A plain window with a title bar and its close box, opening at its
    // client size (11640 by 5220 twips) where the desktop places it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(twipsToPixels(11640), twipsToPixels(5220));
    CreaControles();
}

FrmConsComprobantes::~FrmConsComprobantes() = default;

void FrmConsComprobantes::CreaControles()
{
    ImageList1 = new ui::ImageList(this);
    ImageList1->setObjectName(QStringLiteral("ImageList1"));
    struct Imagen {
        const char* etiqueta;
        QColor color;
        const char* texto;
    };
    const Imagen imagenes[] = {
        {"PR", QColor(0, 120, 200), "PR"},      {"Anulado", QColor(200, 30, 30), "X"},
        {"Aprobado", QColor(30, 150, 60), "OK"}, {"FC", QColor(40, 90, 170), "FC"},
        {"NC", QColor(150, 60, 150), "NC"},     {"ND", QColor(200, 110, 20), "ND"},
        {"OT", QColor(90, 90, 90), "OT"},       {"Generico", QColor(120, 130, 140), "C"},
        {"T3", QColor(0, 140, 140), "T3"},      {"OC", QColor(120, 80, 40), "OC"},
        {"OCG", QColor(200, 160, 0), "G"},
    };
    for (const Imagen& i : imagenes)
        ImageList1->ListImages().Add(0, {}, Dibujo(16, i.color, QString::fromLatin1(i.texto)))
            .setTag(QString::fromLatin1(i.etiqueta));
    imgTouch = new ui::ImageList(this);
    imgTouch->setObjectName(QStringLiteral("imgTouch"));
    imgTouch->setImageWidth(32);
    imgTouch->setImageHeight(32);
    imgTouch->ListImages().Add(0, {}, Dibujo(32, QColor(40, 90, 170), QStringLiteral("C")));

    ListView1 = new ui::ListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setView(ui::lvwReport);
    ListView1->setSmallIcons(ImageList1);
    Coloca(ListView1, 0, 480, 11535, 4095);

    auto boton = [this](const char* nombre, const char* texto) {
        auto* b = new QPushButton(QString::fromLatin1(texto), this);
        b->setObjectName(QString::fromLatin1(nombre));
        b->setAutoDefault(true);  // Enter on a focused button presses it
        return b;
    };
    CmdAceptar = boton("CmdAceptar", "&Aceptar");
    Coloca(CmdAceptar, 3473, 4650, 2055, 495);
    CmdCancelar = boton("CmdCancelar", "&Cancelar");
    Coloca(CmdCancelar, 6113, 4650, 2055, 495);

    auto caja = [this](const char* nombre, const QString& texto, const char* ayuda) {
        auto* t = new QLineEdit(texto, this);
        t->setObjectName(QString::fromLatin1(nombre));
        t->setToolTip(QString::fromLatin1(ayuda));
        t->installEventFilter(this);
        return t;
    };
    TxtNombre = caja("TxtNombre", vlookup::MarcaNombre(), "Ingrese parte del nombre buscado");
    Coloca(TxtNombre, 120, 120, 3615, 285);
    TxtNumero = caja("TxtNumero", vlookup::MarcaNumero(), "Ingrese parte del numero buscado");
    Coloca(TxtNumero, 3840, 120, 3495, 285);
    CmdBuscar = boton("CmdBuscar", "&Buscar");
    Coloca(CmdBuscar, 7440, 120, 1575, 255);

    // Tab order: the list, the two buttons, the boxes, the search button.
    setTabOrder(ListView1, CmdAceptar);
    setTabOrder(CmdAceptar, CmdCancelar);
    setTabOrder(CmdCancelar, TxtNombre);
    setTabOrder(TxtNombre, TxtNumero);
    setTabOrder(TxtNumero, CmdBuscar);

    connect(CmdAceptar, &QPushButton::clicked, this, [this] { CmdAceptar_Click(); });
    connect(CmdCancelar, &QPushButton::clicked, this, [this] { cmdCancelar_Click(); });
    connect(CmdBuscar, &QPushButton::clicked, this, [this] { CmdBuscar_Click(); });
    ListView1->onDblClick = [this] { ListView1_DblClick(); };
    ListView1->onKeyDown = [this](int& KeyCode, int Shift) { ListView1_KeyDown(KeyCode, Shift); };
    ListView1->onColumnClick = [this](ui::ColumnHeader& h) { ListView1_ColumnClick(h); };
}

// --- load and unload ------------------------------------------------------------

void FrmConsComprobantes::Form_Load()
{
    AjustaAFuente();
    ConsultaCptes();
    if (!Alive()) return;  // closed while the list was filling
    modoTouch_ = db_texto::EsSi(ModGlobal::Cfg(QStringLiteral("ZUNT_USATOUCH_") + ModGlobal::gEntorno().NombrePC()));
    if (modoTouch_) ConfiguraModoTouch();
}

// The window keeps its twips where its font fits them. Where it does not,
// the search boxes grow to the right until their hints show whole and the
// search button to its caption, each moving what follows it on the line;
// the boxes and the button grow down to their lines, the list and the two
// buttons below move down by as much and the window grows with them; the
// two buttons widen to their captions around the window's middle. The
// boxes are measured by their hints, not by what was typed in them.
void FrmConsComprobantes::AjustaAFuente()
{
    constexpr int kMargen = 8;  // pixels kept from the window's sides
    ui::GrowAlongLine({{TxtNombre, ui::TextBoxWidth(*TxtNombre, vlookup::MarcaNombre())},
                       {TxtNumero, ui::TextBoxWidth(*TxtNumero, vlookup::MarcaNumero())},
                       {CmdBuscar, ui::CaptionSize(*CmdBuscar).width()}});
    auto ensancha = [this](int px) {
        if (px <= 0) return;
        resize(width() + px, height());
        ListView1->resize(ListView1->width() + px, ListView1->height());
    };
    ensancha(CmdBuscar->geometry().right() + 1 + kMargen - width());
    ensancha(ui::GrowButtonRow({CmdAceptar, CmdCancelar}, ui::RowAnchor::Centre, kMargen));
    if (const int crece = ui::GrowRowsToFont(*this); crece > 0)
        resize(width(), height() + crece);
}

void FrmConsComprobantes::Form_Unload(int& Cancel)
{
    (void)Cancel;
    ListView1->ListItems().Clear();
    ItemActual = nullptr;
    hide();
}

// --- accept and cancel ----------------------------------------------------------

void FrmConsComprobantes::CmdAceptar_Click()
{
    ui::ListItem* elegido = ListView1->SelectedItem();
    if (!elegido) {
        // Nothing selected: nothing chosen, in every mode.
        NroComprobante.clear();
    } else if (EnGrupo(TC, vlookup::GrupoVentas())) {
        NroComprobante = elegido->SubItems(1);
        IdComplemento = elegido->SubItems(2);
    } else if (EnGrupo(TC, vlookup::GrupoCompras())) {
        NroComprobante = elegido->SubItems(1);
        Proveedor = elegido->SubItems(2);
    } else if (Iguales(TC, QStringLiteral("PR"))) {
        NroComprobante = elegido->SubItems(1);
        IdComplemento = QStringLiteral("0");
    } else if (Iguales(TC, QStringLiteral("T3"))) {
        NroComprobante = elegido->Text();
        IdComplemento = QStringLiteral("0");
    } else if (Iguales(TC, QStringLiteral("OC"))) {
        // Purchase orders: the checked rows in list order, or the selected
        // row when none is checked.
        NroComprobante.clear();
        const int n = ListView1->ListItems().Count();
        for (int i = 1; i <= n; ++i) {
            ui::ListItem& it = ListView1->ListItems().Item(i);
            if (!it.Checked()) continue;
            if (!NroComprobante.isEmpty()) NroComprobante += u',';
            NroComprobante += it.SubItems(2);
        }
        if (NroComprobante.isEmpty()) NroComprobante = elegido->SubItems(2);
        IdComplemento = QStringLiteral("0");
    } else {
        NroComprobante = elegido->SubItems(1);
    }
    Unload();
}

void FrmConsComprobantes::cmdCancelar_Click() { Unload(); }

void FrmConsComprobantes::CmdBuscar_Click() { ConsultaCptes(); }

// --- the list's events ----------------------------------------------------------

void FrmConsComprobantes::ListView1_DblClick() { CmdAceptar_Click(); }

void FrmConsComprobantes::ListView1_KeyDown(int& KeyCode, int Shift)
{
    (void)Shift;
    if (KeyCode == ui::vbKeyReturn) CmdAceptar_Click();
}

void FrmConsComprobantes::ListView1_ColumnClick(ui::ColumnHeader& header)
{
    const int p = header.Index();
    if (p == 1) return;
    // The order is switched before the key is set, so the first click on a
    // new column also reverses the order.
    ListView1->setSortOrder(ListView1->SortOrder() == ui::lvwAscending ? ui::lvwDescending : ui::lvwAscending);
    ListView1->setSortKey(p - 1);
    ListView1->setSorted(true);
}

// --- the search boxes -------------------------------------------------------------

void FrmConsComprobantes::TxtNombre_GotFocus()
{
    TxtNombre->setSelection(0, int(legacy::Trim(TxtNombre->text()).size()));
}

void FrmConsComprobantes::TxtNumero_GotFocus()
{
    TxtNumero->setSelection(0, int(legacy::Trim(TxtNumero->text()).size()));
}

void FrmConsComprobantes::TxtNombre_KeyPress(int& KeyAscii)
{
    if (KeyAscii == ui::vbKeyReturn) TxtNumero->setFocus();
}

void FrmConsComprobantes::TxtNumero_KeyPress(int& KeyAscii)
{
    if (KeyAscii == ui::vbKeyReturn) CmdBuscar->setFocus();
}

bool FrmConsComprobantes::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TxtNombre || watched == TxtNumero) {
        const bool nombre = watched == TxtNombre;
        if (event->type() == QEvent::FocusIn) {
            // The box's own focus handling (which selects everything on Tab)
            // runs first, so the selection set here is the one that stays.
            static_cast<QObject*>(watched)->event(event);
            nombre ? TxtNombre_GotFocus() : TxtNumero_GotFocus();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            int tecla = ui::keyAscii(*static_cast<QKeyEvent*>(event));
            if (tecla == ui::vbKeyReturn) {
                nombre ? TxtNombre_KeyPress(tecla) : TxtNumero_KeyPress(tecla);
                return true;
            }
        }
    }
    return ui::ModalForm::eventFilter(watched, event);
}

// --- columns, icons and the touch layout ----------------------------------------

void FrmConsComprobantes::Encolumnar()
{
    static const Juego transporte{{{"ID", 5}, {"COMPROBANTE", 15}, {"COMPLEMENTO", 6}, {"FECHA", 20}, {"CUENTA", 13}}};
    static const Juego ventas{{{"FECHA", 20},
                               {"COMPROBANTE", 15},
                               {"ID", 5},
                               {"NOMBRE", 21},
                               {"Referencia", 15},
                               {"IMPORTE", 10}}};
    static const Juego compras{{{"FECHA", 13},
                                {"COMPROBANTE", 15},
                                {"PROVEEDOR", 15},
                                {"NOMBRE", 21},
                                {"CONCEPTO", 21},
                                {"IMPORTE", 10}}};
    static const Juego presupuestos{{{"FECHA", 13},
                                     {"COMPROBANTE", 15},
                                     {"NOMBRE", 21},
                                     {"ID", 5},
                                     {"Referencia", 21},
                                     {"IMPORTE", 10}}};
    static const Juego terceros{{{"Nº Int.", 7},
                                 {"FECHA", 13},
                                 {"COMPROBANTE", 15},
                                 {"ID", 4},
                                 {"FH Envio", 10},
                                 {"FH Recep", 10}}};
    static const Juego ordenes{{{"FECHA", 13},
                                {"PROVEEDOR", 13},
                                {"COMPROBANTE", 17},
                                {"IMPORTE", 9},
                                {"COMENTARIOS", 15},
                                {"Inf. Recepción", 15}}};
    static const Juego otros{{{"FECHA", 13},
                              {"COMPROBANTE", 15},
                              {"CUENTA", 15},
                              {"NOMBRE", 21},
                              {"CONCEPTO", 21},
                              {"IMPORTE", 10}}};

    legacy::ErrorTrap trap(QStringLiteral("Encolumnar"), ModGlobal::gDB().errorHandler());
    trap([&] { ListView1->ColumnHeaders().Clear(); });
    const Juego* juego = &otros;
    trap([&] {
        if (Iguales(TC, QStringLiteral("RM-T")))
            juego = &transporte;
        else if (EnGrupo(TC, vlookup::GrupoVentas()))
            juego = &ventas;
        else if (EnGrupo(TC, vlookup::GrupoCompras()))
            juego = &compras;
        else if (Iguales(TC, QStringLiteral("PR")))
            juego = &presupuestos;
        else if (Iguales(TC, QStringLiteral("T3")))
            juego = &terceros;
        else if (Iguales(TC, QStringLiteral("OC")))
            juego = &ordenes;
        else
            juego = &otros;
    });
    for (const Columna& c : juego->columnas)
        trap([&] {
            ListView1->ColumnHeaders().Add(0, QString(), QString::fromUtf8(c.titulo),
                                           double(ui::TextWidthX(c.letras, font())));
        });
    fechaConHora_ = juego == &ventas || juego == &otros;
    trap([&] { AnchoFecha(); });
}

// The set's n X of the window's font, and the touch layout's 2200 twips,
// suppose a date and a picture as small as the old list's: in a larger
// font, or beside the touch layout's 32-pixel picture, the date lost its
// time or its year. The FECHA column is at least as wide as its widest
// date (with the recording time where the set's rows show it) and, as the
// first column, the row's picture, in the list's font with the cell's
// margins; wider widths stay.
void FrmConsComprobantes::AnchoFecha()
{
    QString muestra = fechaConHora_ ? QStringLiteral("dd/mm/yyyy hh:mm:ss") : ModGlobal::FormatoFecha();
    for (QChar& ch : muestra)
        if (ch.isLetter()) ch = u'0';
    ui::ColumnHeaders& columnas = ListView1->ColumnHeaders();
    for (int c = 1; c <= columnas.Count(); ++c) {
        ui::ColumnHeader& columna = columnas.Item(c);
        if (columna.Text() != u"FECHA") continue;
        const double ancho = ListView1->CellWidth(c, muestra);
        if (columna.Width() < ancho) columna.setWidth(ancho);
    }
}

int FrmConsComprobantes::ObtieneIndiceImagen(const QString& tc) const
{
    auto busca = [this](const QString& etiqueta) {
        const QString buscada = legacy::Trim(etiqueta);
        const int n = ImageList1->ListImages().Count();
        for (int i = 1; i <= n; ++i)
            if (Iguales(buscada, legacy::Trim(ImageList1->ListImages().Item(i).Tag()))) return i;
        return -1;
    };
    const int indice = busca(tc);
    return indice != -1 ? indice : busca(QStringLiteral("Generico"));
}

int FrmConsComprobantes::IconoPequeno(int indice) const
{
    // The touch layout's image list holds one picture while the rows carry
    // indexes into ImageList1: every row with an icon shows that one
    // picture there, a row without one (0) stays without.
    if (ListView1->SmallIcons() == imgTouch && indice > imgTouch->ListImages().Count()) return 1;
    return indice;
}

void FrmConsComprobantes::ConfiguraModoTouch()
{
    ListView1->setView(ui::lvwReport);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(14);
    f.setBold(true);
    ListView1->setFont(f);
    ListView1->setFullRowSelect(true);
    ListView1->setGridLines(true);
    ListView1->setHideSelection(false);
    ListView1->setSmallIcons(imgTouch);
    const int n = ListView1->ListItems().Count();
    for (int i = 1; i <= n; ++i) {
        ui::ListItem& it = ListView1->ListItems().Item(i);
        it.setSmallIcon(IconoPequeno(it.SmallIcon()));
    }
    // Six widths for the six columns of most sets; a set with fewer columns
    // (the transport set has five) takes the widths of the columns it has
    // and the rest are left out.
    static const int anchos[] = {2200, 2500, 1000, 3500, 2500, 1800};
    const int columnas = std::min<int>(ListView1->ColumnHeaders().Count(), 6);
    for (int c = 1; c <= columnas; ++c)
        ListView1->ColumnHeaders().Item(c).setWidth(anchos[c - 1]);
    AnchoFecha();
    resize(twipsToPixels(13730), height());
    ListView1->setWidth(double(ui::pixelsToTwips(width())) - 100);
}
