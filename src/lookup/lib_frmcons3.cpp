#include "lookup/lib_frmcons3.h"

#include "core/configuracion.h"
#include "core/lanzador.h"
#include "core/tratamientoerrores.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "lookup/anchos.h"
#include "lookup/geometria.h"
#include "lookup/textos.h"
#include "lookup/twips.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text_order.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/ui/colors.h"
#include "platform/ui/companions.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fitting.h"
#include "platform/ui/keys.h"
#include "platform/ui/listview.h"
#include "platform/ui/textwidth.h"

#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>

using kapores2::Funciones;
using legacy::ErrorTrap;
using legacy::Trim;
using legacy::Variant;

using lookup::PonTwips;

namespace {

constexpr Qt::CaseSensitivity sinCaso = Qt::CaseInsensitive;

// The old window's frame: Width and Height count it, the client area not.
constexpr double kBordeAncho = 120;
constexpr double kBordeAlto = 400;

// Designed sizes (twips); the heights grow to the font in use (Alturas).
constexpr double kAltoFila = 360;       // the title row, above the panel
constexpr double kAltoTitulo = 300;     // Label1, 30 below the window's top
constexpr double kAltoBotonFila = 345;  // CmdTodos, CmdNuevo
constexpr double kAltoCaja = 315;
constexpr double kTopLista = 360;       // in the panel, under the search boxes
constexpr double kAltoFrame = 615;
constexpr double kAltoBoton = 375;
constexpr double kAnchoAceptar = 1740;
constexpr double kAnchoCancelar = 1740;
constexpr double kAnchoNueva = 1740;  // the three buttons alike: "Nueva" is placed by the Cancelar width
constexpr double kAnchoNuevo = 1000;
constexpr double kAnchoTodos = 1000;
constexpr double kAltoVentana = 6600;
constexpr double kAnchoInicial = 6000;

const QString kColumnaCantidad = QStringLiteral("**") + QStringLiteral("Cantidad") + QStringLiteral("**");

// The height (twips) a control needs for its font, or its designed one
// where that is enough.
double AltoPara(const QWidget& w, double disenio)
{
    return std::max(disenio, double(ui::pixelsToTwips(ui::FontHeight(w))));
}

DB_Dll& BaseDeLectura(bool usarUDBC) { return usarUDBC ? ModGlobal::gDB3() : ModGlobal::gDB(); }

// Trim(t) and RellenaCodigo(t) without a width are t itself when it has no
// blank at either end, as most fields have not.
bool SinBlancosAlBorde(const QString& t)
{
    return t.isEmpty() || (t.front() != u' ' && t.back() != u' ');
}

}  // namespace

Lib_FrmCons3::Lib_FrmCons3(QWidget* parent) : ui::ModalForm(parent)
{
    CreaControles();
}

Lib_FrmCons3::~Lib_FrmCons3() = default;

double Lib_FrmCons3::AnchoPantalla()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? double(ui::pixelsToTwips(s->availableGeometry().width())) : 15360.0;
}

double Lib_FrmCons3::AnchoBoton(QPushButton* b, double disenio) const
{
    return std::max(disenio, double(ui::pixelsToTwips(ui::CaptionSize(*b).width())));
}

double Lib_FrmCons3::AnchoBotones() const
{
    return std::max({AnchoBoton(CmdAceptar, kAnchoAceptar), AnchoBoton(CmdCancelar, kAnchoCancelar),
                     AnchoBoton(CmdNueva, kAnchoNueva)});
}

double Lib_FrmCons3::AnchoMinimo() const
{
    // The bar: "&Aceptar" from 100, "&Cancelar" in the middle and "&Nueva
    // Busqueda" 150 from the right edge, 60 apart; without "&Nueva
    // Busqueda", the two buttons side by side at their own widths (the
    // halving of a narrow bar never comes into play).
    constexpr double separacion = 60;
    const double b = AnchoBotones();
    const double barra = CmdNueva->isHidden() ? 2 * b + 400 : 3 * b + 300 + 2 * separacion;
    // The title row: the title from 60, then "&Marcar" and "N&uevo" ending
    // at the list's right edge (the window's width less 140).
    const double titulo = double(ui::TextWidth(Label1->text(), Label1->font())) + 2 * separacion;
    const double fila = titulo + AnchoBoton(CmdNuevo, kAnchoNuevo) + AnchoBoton(CmdTodos, kAnchoTodos) + 320;
    // The option texts: a check box and the cell's margins beside them,
    // inside the list's border.
    const double textos = anchoTextos_ > 0 ? anchoTextos_ + 600 + 140 : 0;
    return std::max({barra, fila, textos});
}

void Lib_FrmCons3::FijaAnchoMinimo(const QStringList& textos)
{
    for (const QString& t : textos)
        anchoTextos_ = std::max(anchoTextos_, double(ui::TextWidth(t, ListView1->font())));
    setMinimumWidth(ui::twipsToPixels(std::llround(AnchoMinimo() - kBordeAncho)));
}

Lib_FrmCons3::Alturas Lib_FrmCons3::AlturasDeFuente() const
{
    // Where the font needs more than the design, a row grows to it: the
    // title row to its buttons (15 below them) and to the title (30 above
    // and below it), the search boxes to their text and frame, the bar to
    // its buttons (120 above and below them). The list takes what is left.
    // The window lays itself out anew from its size at every size change,
    // so its rows are not grown once in place as a fixed window's are: each
    // layout takes their heights from the fitting routine's measure.
    Alturas a;
    a.botonFila = std::max(AltoPara(*CmdTodos, kAltoBotonFila), AltoPara(*CmdNuevo, kAltoBotonFila));
    a.titulo = AltoPara(*Label1, kAltoTitulo);
    a.fila = std::max({kAltoFila, a.botonFila + kAltoFila - kAltoBotonFila, a.titulo + 2 * 30});
    a.caja = AltoPara((*CmbSearch)(0), kAltoCaja);
    a.boton = std::max({AltoPara(*CmdAceptar, kAltoBoton), AltoPara(*CmdCancelar, kAltoBoton),
                        AltoPara(*CmdNueva, kAltoBoton)});
    a.frame = kAltoFrame + a.boton - kAltoBoton;
    return a;
}

double Lib_FrmCons3::Alturas::crece() const
{
    // the frame's growth counts twice: the list's height leaves the frame's
    // height out twice
    return fila - kAltoFila + caja - kAltoCaja + 2 * (frame - kAltoFrame);
}

void Lib_FrmCons3::CreceAlto()
{
    // The window grows by what the rows took since it last grew, so that
    // the list keeps the height it had.
    const double crece = AlturasDeFuente().crece();
    if (crece != crecido_)
        resize(width(), std::max(1, height() + ui::twipsToPixels(std::llround(crece - crecido_))));
    crecido_ = crece;
}

void Lib_FrmCons3::changeEvent(QEvent* event)
{
    ui::ModalForm::changeEvent(event);
    if (event->type() == QEvent::FontChange && Frame1) {
        FijaAnchoMinimo();
        CreceAlto();
        Form_Resize();
    }
}

void Lib_FrmCons3::CreaControles()
{
    setObjectName(QStringLiteral("Lib_FrmCons3"));
    setWindowTitle(QStringLiteral("Consulta..."));

    picFields = new QWidget(this);
    picFields->setObjectName(QStringLiteral("picFields"));
    CmbSearch = std::make_unique<ui::ComboBoxArray>(picFields);
    ui::ComboBox& caja0 = (*CmbSearch)(0);
    caja0.setToolTipText(QStringLiteral("F5 realiza nueva busqueda"));
    PonTwips(&caja0, 0, 0, 1200, kAltoCaja);
    ListView1 = new ui::ListView(picFields);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setView(ui::lvwReport);
    ListView1->setFullRowSelect(true);
    ListView1->setGridLines(true);
    ListView1->setHideSelection(false);
    // A header click sorts the texts as the server's ORDER BY does.
    ListView1->setTextOrder(ado::compareTexts);
    ListView1->setTop(kTopLista);
    // HScroll1 is the list's one horizontal scroll bar: the rows' own stays
    // hidden, and the search boxes follow the rows however they scroll.
    filas_ = ListView1->findChild<QTreeView*>();
    if (filas_) {
        filas_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        connect(filas_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { PonCajas(); });
        // The bar reaches the end of the rows: its range is the rows' width
        // less the view's, however the columns, the window or the font
        // change (the rule of the old window, 0.6 x (panel + 480) twips at
        // most 32700, stopped short of the last columns of a wide list).
        connect(filas_->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
                [this](int, int maximo) {
                    if (HScroll1) HScroll1->setMax(ui::pixelsToTwips(maximo));
                });
    }
    lblFieldName = new QLabel(picFields);
    lblFieldName->hide();

    Label1 = new QLabel(QStringLiteral("CONSULTA"), this);
    QFont titulo = Label1->font();
    titulo.setBold(true);
    Label1->setFont(titulo);
    CmdTodos = new QPushButton(QStringLiteral("&Marcar"), this);
    CmdNuevo = new QPushButton(QStringLiteral("N&uevo"), this);

    HScroll1 = new ui::HScrollBar(this);
    HScroll1->setHeight(255);

    Frame1 = new QFrame(this);
    Frame1->setFrameShape(QFrame::StyledPanel);
    CmdAceptar = new QPushButton(QStringLiteral("&Aceptar"), Frame1);
    CmdCancelar = new QPushButton(QStringLiteral("&Cancelar"), Frame1);
    CmdNueva = new QPushButton(QStringLiteral("&Nueva Busqueda"), Frame1);
    CmdAceptar->setAutoDefault(false);

    MNU_Emergente = new QMenu(this);
    MNU_Llena = MNU_Emergente->addAction(QStringLiteral("Llenar Con Posibles Valores"));
    MNU_Separador = MNU_Emergente->addSeparator();
    MNU_Cancelar = MNU_Emergente->addAction(QStringLiteral("Cancelar"));

    connect(CmdAceptar, &QPushButton::clicked, this, [this] { CmdAceptar_Click(); });
    connect(CmdCancelar, &QPushButton::clicked, this, [this] { cmdCancelar_Click(); });
    connect(CmdNueva, &QPushButton::clicked, this, [this] { CmdNueva_Click(); });
    connect(CmdNuevo, &QPushButton::clicked, this, [this] { CmdNuevo_Click(); });
    connect(CmdTodos, &QPushButton::clicked, this, [this] { CmdTodos_Click(); });
    ListView1->onColumnClick = [this](ui::ColumnHeader& h) { ListView1_ColumnClick(h); };
    ListView1->onKeyDown = [this](int& k, int s) { ListView1_KeyDown(k, s); };
    ListView1->onDblClick = [this] { ListView1_DblClick(); };
    // A border dragged by the user: the box follows its column.
    ListView1->onColumnResize = [this](ui::ColumnHeader&) {
        ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("ListView1_ColumnResize"));
        trap([&] { CalcularAncho(); });
    };
    HScroll1->onChange = [this] { HScroll1_Change(); };
    CmbSearch->onChange = [this](int i) { CmbSearch_Change(i); };
    CmbSearch->onClick = [this](int i) { CmbSearch_Click(i); };
    CmbSearch->onGotFocus = [this](int i) { CmbSearch_GotFocus(i); };
    CmbSearch->onLostFocus = [this](int i) { CmbSearch_LostFocus(i); };
    CmbSearch->onKeyDown = [this](int i, int& k, int s) { CmbSearch_KeyDown(i, k, s); };

    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

    PonTwips(Frame1, 0, 0, kAnchoInicial, kAltoFrame);
    PonTwips(CmdAceptar, 100, 120, kAnchoAceptar, kAltoBoton);
    PonTwips(CmdCancelar, 0, 120, kAnchoCancelar, kAltoBoton);
    PonTwips(CmdNueva, 0, 120, kAnchoNueva, kAltoBoton);
    PonTwips(this, 0, 0, kAnchoInicial - kBordeAncho, kAltoVentana - kBordeAlto);
    FijaAnchoMinimo();
    CreceAlto();
    Form_Resize();
}

void Lib_FrmCons3::ConectaBuscador(int index)
{
    ui::ComboBox& caja = (*CmbSearch)(index);
    caja.installEventFilter(this);
    for (QWidget* w : caja.findChildren<QWidget*>()) w->installEventFilter(this);
}

// --- loading ------------------------------------------------------------------------

void Lib_FrmCons3::Form_Load()
{
    ErrorTrap trap(QStringLiteral("FORM_LOAD"), &ModGlobal::ManejadorErrores);
    bool vacia = false;
    if (!trap([&] { esConsultaArticulos_ = sql.contains(QStringLiteral("articulos"), sinCaso); })) return;
    if (!trap([&] {
            Valores = std::make_shared<legacy::Collection>();
            Cantidades = std::make_shared<legacy::Collection>();
        }))
        return;
    if (!trap([&] {
            ListView1->setSorted(false);
            ListView1->ListItems().Clear();
            QFont f = ListView1->font();
            f.setBold(true);
            f.setPointSize(10);
            ListView1->setFont(f);
        }))
        return;
    if (!trap([&] { vacia = Trim(sql).isEmpty(); })) return;
    if (vacia) {
        trap([&] { Funciones::PreparaFormulario(this, false); });
        return;
    }
    const auto pasos = {
        std::function<void()>([&] { sql += u' '; }),
        std::function<void()>([&] { tablaConsulta_ = lookup::TablaDeConsulta(sql); }),
        std::function<void()>([&] {
            if (sentenciaOriginal_.isEmpty()) sentenciaOriginal_ = sql;
            sentenciaBase_ = sql;
        }),
        std::function<void()>([&] {
            // gDB3 is connected by nobody but its caller: while it is closed
            // the load reports "No hay conexión" through its error box
            // instead of trying to connect it.
            DB_Dll& db = BaseDeLectura(UsarUDBC);
            if (UsarUDBC && (!db.gCnn || db.gCnn->State() != ado::adStateOpen))
                throw legacy::VbError(3704, QStringLiteral("No hay conexión con la base de datos."));
            db.AbrirRecordset(sql, rsConsulta_, nullptr, 0, 1, -1, true);
        }),
        std::function<void()>([&] { ListView1->setCheckboxes(CheckBoxes); }),
        std::function<void()>([&] { Encolumnar(); }),
        std::function<void()>([&] { Leer(1, 0); }),
        std::function<void()>([&] { ListView1->setSorted(OrdenarPorLwv); }),
        std::function<void()>([&] {
            if (!Trim(FiltroInicial).isEmpty()) (*CmbSearch)(0).setText(FiltroInicial);
        }),
        std::function<void()>([&] {
            BaseDeLectura(UsarUDBC).CierraRecordset(rsConsulta_);
            rsConsulta_.reset();
        }),
        std::function<void()>([&] { LeerAnchos(); }),
        std::function<void()>([&] { CalcularAncho(); }),
        std::function<void()>([&] { Funciones::PreparaFormulario(this, false); }),
    };
    for (const auto& paso : pasos)
        if (!trap(paso)) break;
    rsConsulta_.reset();
}

void Lib_FrmCons3::Encolumnar()
{
    ListView1->ColumnHeaders().Clear();
    recortada_.clear();
    if (!rsConsulta_) return;
    const bool tablasArticulos = lookup::TablasArticulos(sql);
    const int n = rsConsulta_->Fields().Count();
    for (int i = 0; i < n; ++i) {
        try {
            const ado::Field campo = rsConsulta_->Fields(i);
            if (i != 0) {
                try {
                    CmbSearch->Load(i);
                    ConectaBuscador(i);
                } catch (const legacy::VbError& e) {
                    if (e.Number != 360) throw;  // loaded by an earlier load
                }
            }
            ui::ComboBox& caja = (*CmbSearch)(i);
            // Each box follows the one before it in the Tab order; what
            // followed box 0 follows the last box.
            if (i != 0) QWidget::setTabOrder(&(*CmbSearch)(i - 1), &caja);
            caja.setTag(campo.Name());
            caja.setVisible(true);
            const int tipo = campo.Type();
            recortada_.resize(std::size_t(i) + 1);
            recortada_[std::size_t(i)] =
                tipo == ado::adChar || tipo == ado::adWChar || tipo == ado::adVarChar || tipo == ado::adVarWChar;
            QString titulo = campo.Name();
            if (tablasArticulos) {
                const QString nombre = campo.Name().toUpper();
                if (nombre.size() == 7 && nombre.startsWith(QStringLiteral("PRECIO")) && nombre[6] >= u'1' &&
                    nombre[6] <= u'8')
                    titulo = ModGlobal::Cfg(QStringLiteral("NOM_PCLASE") + nombre[6]);
            }
            const int w = lookup::LetrasDeColumna(campo.DefinedSize(), campo.Type(), tablasArticulos, ValoresDefault);
            ListView1->ColumnHeaders().Add(0, QString(), titulo, double(ui::TextWidthX(w, font())));
        } catch (const legacy::VbError& e) {
            ui::MsgBox(e.Description);
            return;
        }
    }
}

void Lib_FrmCons3::Leer(long, int)
{
    if (!rsConsulta_ || rsConsulta_->State() != ado::adStateOpen) return;
    ado::Recordset& rs = *rsConsulta_;
    if (rs.Bof() && rs.Eof()) return;
    const int n = rs.Fields().Count();
    int iPunto = -1, iStock = -1, iDevuelto = -1;
    for (int i = 0; i < n; ++i) {
        const QString nombre = rs.Fields(i).Name();
        if (iPunto < 0 && nombre.compare(QStringLiteral("PUNTOPEDIDO"), sinCaso) == 0) iPunto = i;
        if (iStock < 0 && nombre.compare(QStringLiteral("Stock"), sinCaso) == 0) iStock = i;
        if (iDevuelto < 0 && nombre.compare(CampoDevuelto, sinCaso) == 0) iDevuelto = i;
    }
    const Variant niveles[4] = {StkNivel1, StkNivel2, StkNivel3, StkNivel4};
    const bool colorea = db_texto::EsSi(MuestraStock) && esConsultaArticulos_;
    auto texto = [&](int i) { return lookup::TextoNoNulo(rs.Fields(i).Value()); };
    ui::ListItems& items = ListView1->ListItems();
    while (!rs.Eof()) {
        // A statement without the reorder point or the stock colours nothing.
        QString color;
        if (esConsultaArticulos_ && iPunto >= 0 && iStock >= 0) {
            const double pp = Funciones::ValorNoNulo(rs.Fields(iPunto).Value()).toCurrency().toDouble();
            const double s = Funciones::ValorNoNulo(rs.Fields(iStock).Value()).toCurrency().toDouble();
            color = niveles[lookup::NivelStock(pp, s) - 1].toString();
        }
        ui::ListItem& item = items.Add();
        const QString primero = texto(0);
        item.setText(SinBlancosAlBorde(primero) ? primero : Trim(primero));
        // With CampoDevuelto naming no column of the statement no row starts
        // checked (there is no value to compare).
        if (CheckBoxes && iDevuelto >= 0 && lookup::MarcadoPorDefecto(Trim(texto(iDevuelto)), ValoresDefault))
            item.setChecked(true);
        const bool conColor = colorea && !Trim(color).isEmpty();
        const ui::VbColor vb = conColor ? ui::VbColor(Variant(color).toLong()) : 0;
        // a row of one column stays plain
        if (conColor && n > 1) {
            item.setBold(true);
            item.setForeColor(vb);
        }
        // The last cell first: the row's cells are made in one go.
        for (int i = n - 1; i >= 1; --i) {
            const QString celda = texto(i);
            item.setSubItems(i, SinBlancosAlBorde(celda) ? celda : Funciones::RellenaCodigo(celda));
            if (conColor) {
                try {
                    item.ListSubItems(i).setBold(true);
                    item.ListSubItems(i).setForeColor(vb);
                } catch (const legacy::VbError&) {
                }
            }
        }
        rs.MoveNext();
    }
}

void Lib_FrmCons3::MarcaPorDefecto()
{
    if (!CheckBoxes) return;
    // The returned column is found by its field name, which its search box
    // keeps, as the load found it among the fields.
    int columna = 0;
    for (int i = 0; i < ListView1->ColumnHeaders().Count() && columna == 0; ++i)
        if (CmbSearch->IsLoaded(i) && (*CmbSearch)(i).Tag().compare(CampoDevuelto, sinCaso) == 0) columna = i + 1;
    if (columna == 0) return;
    ui::ListItems& items = ListView1->ListItems();
    for (int i = 1; i <= items.Count(); ++i)
        if (lookup::MarcadoPorDefecto(Trim(Celda(items.Item(i), columna)), ValoresDefault)) items.Item(i).setChecked(true);
}

void Lib_FrmCons3::CalcularAncho()
{
    std::vector<lookup::Columna> columnas;
    ui::ColumnHeaders& cabeceras = ListView1->ColumnHeaders();
    for (int c = 1; c <= cabeceras.Count(); ++c)
        columnas.push_back({cabeceras.Item(c).Left(), cabeceras.Item(c).Width()});
    const lookup::AnchoCalculado r = lookup::CalcularAncho(columnas, AnchoPantalla());
    cajas_.clear();
    for (int c = 0; c < int(r.cajas.size()); ++c) PonCaja(c, r.cajas[c].left, r.cajas[c].width);
    ListView1->setWidth(r.anchoLista);
    ui::setTwipsWidth(*picFields, std::lround(r.anchoPanel));
    HScroll1->setWidth(std::lround(r.anchoBarra));
    FijaAnchoMinimo();
    resize(std::max(1, ui::twipsToPixels(std::llround(r.anchoVentana - kBordeAncho))), height());
    Form_Resize();
}

void Lib_FrmCons3::resizeEvent(QResizeEvent* event)
{
    ui::ModalForm::resizeEvent(event);
    Form_Resize();
}

void Lib_FrmCons3::Form_Resize()
{
    if (disponiendo_ || !Frame1) return;
    disponiendo_ = true;
    const Alturas a = AlturasDeFuente();
    lookup::Disenio d;
    d.altoFrame = a.frame;
    d.altoBarra = double(HScroll1->Height());
    const double botones = AnchoBotones();
    d.anchoAceptar = botones;
    d.anchoCancelar = botones;
    d.anchoNuevo = AnchoBoton(CmdNuevo, kAnchoNuevo);
    d.nuevaVisible = !CmdNueva->isHidden();
    const double W = double(ui::pixelsToTwips(width())) + kBordeAncho;
    const double H = double(ui::pixelsToTwips(height())) + kBordeAlto;
    const lookup::Disposicion r = lookup::Disponer(W, H, d);
    const double cliente = W - kBordeAncho;
    // The panel sits under the title row and ends above the scroll bar, so
    // that it covers neither; the list under the search boxes gives up what
    // the title row and the boxes grew.
    PonTwips(picFields, 0, a.fila, r.panel.width, std::max(0.0, r.barra.top - a.fila));
    ListView1->setTop(a.caja + kTopLista - kAltoCaja);
    ListView1->setHeight(std::max(0.0, r.lista.height - (a.fila - kAltoFila) - (a.caja - kAltoCaja)));
    ListView1->setWidth(std::max(0.0, r.lista.width));
    // The bar is as wide as the window's inside, not its outer width: the
    // frame's right edge would be cut off.
    PonTwips(Frame1, r.frame.left, r.frame.top, std::min(r.frame.width, cliente), r.frame.height);
    PonTwips(HScroll1, 0, r.barra.top, r.barra.width, r.barra.height);
    PonTwips(CmdAceptar, r.leftAceptar, 120, r.anchoAceptar, a.boton);
    PonTwips(CmdCancelar, r.leftCancelar, 120, r.anchoCancelar, a.boton);
    PonTwips(CmdNueva, r.leftNueva, 120, botones, a.boton);
    // "N&uevo" ends at the list's right edge and "&Marcar" stands before it;
    // the title takes the room left of them (the list's width less the
    // buttons), so that neither button is cut by the window's edge nor
    // covers the title.
    const double anchoTodos = AnchoBoton(CmdTodos, kAnchoTodos);
    const double leftNuevo = r.lista.width - d.anchoNuevo;
    const double leftTodos = leftNuevo - anchoTodos - 60;
    PonTwips(CmdNuevo, leftNuevo, 0, d.anchoNuevo, a.botonFila);
    PonTwips(CmdTodos, leftTodos, 0, anchoTodos, a.botonFila);
    PonTwips(Label1, 60, 30, std::min(r.anchoLabel, leftTodos - 120), a.titulo);
    PonCajas();
    disponiendo_ = false;
}

void Lib_FrmCons3::PonCaja(int index, double left, double width)
{
    cajas_[index] = {left, width};
    PonCajas();
}

void Lib_FrmCons3::PonCajas()
{
    if (!CmbSearch || !picFields) return;
    const double desplazado = filas_ ? double(ui::pixelsToTwips(filas_->horizontalScrollBar()->value())) : 0;
    const double panel = double(ui::pixelsToTwips(picFields->width()));
    // the boxes share element 0's font and height
    const double alto = AltoPara((*CmbSearch)(0), kAltoCaja);
    for (const auto& [index, caja] : cajas_) {
        if (!CmbSearch->IsLoaded(index)) continue;
        ui::ComboBox& c = (*CmbSearch)(index);
        const double desde = std::max(0.0, caja.first - desplazado);
        const double hasta = std::min(panel, caja.first - desplazado + caja.second);
        PonTwips(&c, desde, 0, std::max(0.0, hasta - desde), alto);
        c.setVisible(hasta > desde);
    }
    // A box placed by its caller (the option choosers' one box) is only
    // kept inside the panel, as tall as the others.
    if (!cajas_.count(0)) {
        ui::ComboBox& c = (*CmbSearch)(0);
        c.resize(std::clamp(c.width(), 0, std::max(0, picFields->width() - c.x())),
                 ui::twipsToPixels(std::llround(alto)));
    }
}

// --- column widths file ------------------------------------------------------------------

void Lib_FrmCons3::LeerAnchos()
{
    const QString carpeta = legacy::App().path;
    if (!QFileInfo(lookup::ArchivoAnchos(carpeta)).isFile()) return;
    if (tablaConsulta_.compare(QStringLiteral("Stk_ma_articulos"), sinCaso) == 0)
        tablaConsulta_ = QStringLiteral("VT_MA_ARTICULOS");
    ui::ColumnHeaders& cabeceras = ListView1->ColumnHeaders();
    lookup::LeeAnchos(carpeta, tablaConsulta_, cabeceras.Count(), [&](int c, double ancho) {
        cabeceras.Item(c).setWidth(ancho);
        PonCaja(c - 1, cabeceras.Item(c).Left(), ancho);
    });
}

void Lib_FrmCons3::GrabarAnchos()
{
    if (!GrabarCfg) return;
    std::vector<double> anchos;
    ui::ColumnHeaders& cabeceras = ListView1->ColumnHeaders();
    for (int c = 1; c <= cabeceras.Count(); ++c) anchos.push_back(cabeceras.Item(c).Width());
    lookup::GrabaAnchos(legacy::App().path, tablaConsulta_, anchos);
}

void Lib_FrmCons3::Form_Unload(int&)
{
    UsarUDBC = false;
    try {
        GrabarAnchos();
    } catch (const legacy::VbError& e) {
        ui::MsgBox(e.Description, ui::vbCritical, QStringLiteral("Aviso al Operador"));
        return;
    }
    ListView1->ListItems().Clear();
}

// --- searching, sorting, returning -----------------------------------------------------------

QString Lib_FrmCons3::Celda(ui::ListItem& item, int posicion) const
{
    return posicion == 1 ? item.Text() : item.SubItems(posicion - 1);
}

long Lib_FrmCons3::Busqueda(long Clave, const QString& QueValor)
{
    const QString buscado = Trim(QueValor);
    ui::ListItems& items = ListView1->ListItems();
    const int n = items.Count();
    for (int i = 1; i <= n; ++i) {
        try {
            ui::ListItem& item = items.Item(i);
            const QString celda = Trim(Clave <= 0 ? item.Text() : item.SubItems(int(Clave)));
            if (QStringView(celda).left(buscado.size()).compare(buscado, sinCaso) == 0) return i;
        } catch (const legacy::VbError&) {
        }
    }
    return 0;
}

int Lib_FrmCons3::IndiceColumna(const QString& Columna)
{
    try {
        ui::ColumnHeaders& cabeceras = ListView1->ColumnHeaders();
        const QString buscada = Trim(Columna);
        for (int c = 1; c <= cabeceras.Count(); ++c)
            if (Trim(cabeceras.Item(c).Text()).compare(buscada, sinCaso) == 0) return c;
    } catch (const legacy::VbError&) {
    }
    return 0;
}

void Lib_FrmCons3::CmbSearch_Change(int Index)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("CmbSearch_Change"));
    long r = 0;
    trap([&] { r = Busqueda(Funciones::TextoAEntero(Variant(QString::number(Index))), Trim((*CmbSearch)(Index).Text())); });
    if (r == 0) return;
    trap([&] {
        ui::ListItem& item = ListView1->ListItems().Item(int(r));
        ListView1->setSelectedItem(&item);
        item.EnsureVisible();
    });
}

void Lib_FrmCons3::ListView1_ColumnClick(ui::ColumnHeader& ColumnHeader)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("ListView1_ColumnClick"));
    const QString texto = ColumnHeader.Text();
    const int posicion = ColumnHeader.Index();
    trap([&] { ListView1->setSorted(true); });
    trap([&] { ListView1->setSortKey(posicion - 1); });
    trap([&] {
        ListView1->setSortOrder(ListView1->SortOrder() == ui::lvwAscending ? ui::lvwDescending : ui::lvwAscending);
    });
    trap([&] {
        if (texto.contains(QStringLiteral("fecha"), sinCaso) || texto.contains(QStringLiteral("VENCIMIENTO"), sinCaso))
            OrdenarPorFecha(texto);
    });
}

void Lib_FrmCons3::OrdenarPorFecha(const QString& Cual)
{
    const QString copia = sql;
    if (const auto nueva = lookup::ConsultaOrdenadaPorFecha(sql, Cual)) {
        ListView1->setSorted(false);
        ListView1->setSortKey(0);
        OrdenarPorLwv = false;
        sql = *nueva;
    }
    Recarga();
    sql = copia;
}

int Lib_FrmCons3::ColumnaCantidad()
{
    return IndiceColumna(kColumnaCantidad) - 1;
}

void Lib_FrmCons3::ListView1_KeyDown(int& KeyCode, int Shift)
{
    const lookup::TeclaLista t = lookup::TeclaEnLista(KeyCode, Shift, textoTecla_, CheckBoxes, UsaCantidades);
    textoTecla_.clear();
    // A key handled here goes no further (the list's own typing search
    // would move the selection the search box just made).
    if (t.accion != lookup::TeclaLista::Nada) KeyCode = 0;
    ErrorTrap trap(QStringLiteral("ListView1_KeyDown"), &ModGlobal::ManejadorErrores);
    auto seleccionada = [&]() -> ui::ListItem& {
        ui::ListItem* item = ListView1->SelectedItem();
        if (!item) throw legacy::VbError(91);
        return *item;
    };
    switch (t.accion) {
    case lookup::TeclaLista::Nada:
        break;
    case lookup::TeclaLista::Aceptar:
        trap([&] { CmdAceptar_Click(); });
        break;
    case lookup::TeclaLista::CantidadTecleada: {
        QString respuesta;
        trap([&] {
            respuesta = ui::InputBox(QStringLiteral("Ingrese la Cantidad del Articulo..."), QStringLiteral("Carga de Datos"),
                                     seleccionada().SubItems(ColumnaCantidad()));
        });
        // The row is checked whatever the answer; an answer worth nothing
        // (empty, cancelled, not a number) shows "0.00".
        trap([&] {
            ui::ListItem& item = seleccionada();
            const double v = Funciones::TextoANumero(Variant(respuesta)).toDouble();
            item.setSubItems(ColumnaCantidad(), lookup::TextoCantidad(v, 2));
            item.setChecked(true);
        });
        break;
    }
    case lookup::TeclaLista::SumaUno:
        trap([&] {
            ui::ListItem& item = seleccionada();
            const int c = ColumnaCantidad();
            item.setSubItems(c, lookup::TextoCantidad(lookup::ValorCantidad(item.SubItems(c)) + 1, 1));
            item.setChecked(true);
        });
        break;
    case lookup::TeclaLista::RestaUno:
        trap([&] {
            ui::ListItem& item = seleccionada();
            const int c = ColumnaCantidad();
            item.setSubItems(c, lookup::TextoCantidad(lookup::ValorCantidad(item.SubItems(c)) - 1, 1));
            if (lookup::ValorCantidad(item.SubItems(c)) <= 0) {
                item.setChecked(false);
                item.setSubItems(c, QStringLiteral("0.00"));
            }
        });
        break;
    case lookup::TeclaLista::AlBuscador:
    case lookup::TeclaLista::BorraEnBuscador:
        trap([&] {
            ui::ComboBox& caja = (*CmbSearch)(indiceBusqueda_);
            QString texto = caja.Text();
            if (t.accion == lookup::TeclaLista::AlBuscador) texto += t.agregado;
            else texto.chop(1);
            caja.setText(texto);
            caja.SetFocus();
        });
        break;
    }
}

void Lib_FrmCons3::HScroll1_Change()
{
    // The rows slide sideways by the bar's value (twips) inside the panel,
    // which stays in the window, and the search boxes slide with them (the
    // panel itself is no wider than the window: sliding it would show
    // nothing new).
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("HScroll1_Change"));
    trap([&] {
        if (filas_) filas_->horizontalScrollBar()->setValue(ui::twipsToPixels(HScroll1->Value()));
    });
}

void Lib_FrmCons3::CmdAceptar_Click()
{
    ErrorTrap trap(QStringLiteral("HScroll1_Change"), &ModGlobal::ManejadorErrores);
    if (CheckBoxes) {
        trap([&] {
            if (CampoDevuelto.isEmpty() && ListView1->ColumnHeaders().Count() > 0)
                CampoDevuelto = ListView1->ColumnHeaders().Item(1).Text();
        });
        int p = 0, q = 0;
        trap([&] {
            p = IndiceColumna(CampoDevuelto);
            q = UsaCantidades ? IndiceColumna(kColumnaCantidad) : 0;
        });
        trap([&] {
            ui::ListItems& items = ListView1->ListItems();
            for (int i = 1; i <= items.Count(); ++i) {
                ui::ListItem& item = items.Item(i);
                if (!item.Checked()) continue;
                // A row of a column that is not there gives an empty value.
                Valores->Add(p >= 1 ? Celda(item, p) : QString());
                if (q >= 1) Cantidades->Add(Celda(item, q));
            }
        });
    } else {
        ui::ListItem* item = ListView1->SelectedItem();
        if (item) {
            QString valor;
            trap([&] {
                if (!CmpsDevueltos) return;
                for (int i = 1; i <= CmpsDevueltos->Count(); ++i) {
                    const int p = IndiceColumna(CmpsDevueltos->Item(i).toString());
                    if (p >= 1) valor = Celda(*item, p);
                    Valores->Add(valor);
                }
            });
            trap([&] {
                if (Trim(CampoDevuelto).isEmpty()) return;
                const int p = IndiceColumna(CampoDevuelto);
                if (p >= 1) valor = Celda(*item, p);
            });
            trap([&] { ValorDevuelto = valor; });
        }
    }
    hide();
}

// --- keys and commands ----------------------------------------------------------------------

void Lib_FrmCons3::CmbSearch_GotFocus(int Index)
{
    indiceBusqueda_ = Index;
    (*CmbSearch)(Index).setBackColor(ui::vbCyan);
}

void Lib_FrmCons3::CmbSearch_LostFocus(int Index)
{
    (*CmbSearch)(Index).setBackColor(ui::vbWhite);
}

void Lib_FrmCons3::CmbSearch_KeyDown(int Index, int& KeyCode, int)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("CmbSearch_KeyDown"));
    if (KeyCode == ui::vbKeyF1 + 4) {
        QString texto;
        QString nueva;
        trap([&] { texto = (*CmbSearch)(Index).Text(); });
        trap([&] {
            const bool recortada =
                Index < 0 || std::size_t(Index) >= recortada_.size() || recortada_[std::size_t(Index)];
            nueva = lookup::FiltroF5(sql, sentenciaBase_, sentenciaOrden_, (*CmbSearch)(Index).Tag(), texto,
                                     CfgUsaConsultaLIKE, recortada);
        });
        trap([&] { (*CmbSearch)(Index).setText(texto); });
        trap([&] { sql = nueva; });
        trap([&] { (*CmbSearch)(Index).setText(QString()); });
        trap([&] { Recarga(); });
        return;
    }
    if (KeyCode == ui::vbKeyDown || KeyCode == ui::vbKeyUp || KeyCode == ui::vbKeyPageDown || KeyCode == ui::vbKeyPageUp) {
        int k = KeyCode;
        trap([&] { ListView1_KeyDown(k, 0); });
        trap([&] { ListView1->SetFocus(); });
    }
}

void Lib_FrmCons3::cmdCancelar_Click()
{
    ValorDevuelto = QString();
    CmpsDevueltos.reset();
    Valores.reset();
    hide();
}

void Lib_FrmCons3::CmdNueva_Click()
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("CmdNueva_Click"));
    trap([&] { sql = sentenciaOriginal_; });
    trap([&] { Recarga(); });
    trap([&] { (*CmbSearch)(0).SetFocus(); });
}

void Lib_FrmCons3::CmdNuevo_Click()
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("CmdNuevo_Click"));
    trap([&] {
        lookup::Programa p = lookup::ProgramaMantenimiento(tablaConsulta_);
        std::int32_t resultado = 0;
        ModGlobal::MenuExes(p.programa, p.parametro, resultado);
    });
}

void Lib_FrmCons3::CmdTodos_Click()
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("CmdTodos_Click"));
    trap([&] {
        ui::ListItems& items = ListView1->ListItems();
        for (int i = 1; i <= items.Count(); ++i) items.Item(i).setChecked(!items.Item(i).Checked());
    });
}

void Lib_FrmCons3::Form_KeyDown(int& KeyCode, int)
{
    if (KeyCode != ui::vbKeyF1 + 11 || !esConsultaArticulos_) return;
    KeyCode = 0;
    // Without a selected row there is no article to report.
    ui::ListItem* item = ListView1->SelectedItem();
    if (!item) return;
    auto valor = [&](const QString& columna) {
        const int n = IndiceColumna(columna);
        return n == 1 ? item->Text() : n > 1 ? item->SubItems(n - 1) : QString();
    };
    const QString codigo = valor(QStringLiteral("idarticulo"));
    const QString descripcion = valor(QStringLiteral("Descripcion"));
    const int respuesta = ui::MsgBox(QStringLiteral("Desea informar el articulo ") + Trim(codigo) + u' ' +
                                         Trim(descripcion) + QStringLiteral("\r\ncomo un faltante de stock?"),
                                     ui::vbYesNo + ui::vbQuestion, QStringLiteral("Atención!"));
    if (respuesta != ui::vbYes) return;
    DB_Dll& db = ModGlobal::gDB();
    const QString usuario = ModGlobal::gUsuarioLogeado.isEmpty() ? db.gUsuario : ModGlobal::gUsuarioLogeado;
    QString sentencia = lookup::SentenciaFaltante(lookup::FechaHoraConexion(), Funciones::RellenaCodigo(codigo, 25),
                                                  Trim(descripcion), usuario);
    db.EjecutaConsultaSQL(sentencia, nullptr, nullptr);
}

bool Lib_FrmCons3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(event);
        int codigo = ui::vbKeyCode(*tecla);
        if (codigo == ui::vbKeyF1 + 11) {
            Form_KeyDown(codigo, ui::vbShiftState(tecla->modifiers()));
            if (codigo == 0) return true;
        }
        // The list's key handler reads the typed text of this key.
        QWidget* w = qobject_cast<QWidget*>(watched);
        if (w && (w == ListView1 || ListView1->isAncestorOf(w))) textoTecla_ = tecla->text();
    }
    return ui::ModalForm::eventFilter(watched, event);
}

namespace lookup {

ui::DefaultInstance<Lib_FrmCons3>& frmCons3()
{
    // Never destroyed: the window may outlive the application object.
    static auto* instancia = new ui::DefaultInstance<Lib_FrmCons3>();
    return *instancia;
}

}  // namespace lookup
