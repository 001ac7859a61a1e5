#include "db/frmacceso.h"

#include "db/bases.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/textfile.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/colors.h"
#include "platform/ui/fitting.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <memory>

using legacy::Trim;
using legacy::UCase;
using ui::twipsToPixels;

namespace {

std::unique_ptr<frmAcceso>& instancia()
{
    static std::unique_ptr<frmAcceso> w;
    return w;
}

std::function<void(QWidget*, bool)>& aplicaEstilo()
{
    static std::function<void(QWidget*, bool)> f;
    return f;
}

legacy::ErrorHandler& manejadorErrores()
{
    static legacy::ErrorHandler h;
    return h;
}

// Places a control by its position and size in twips.
void Ubica(QWidget* w, int izquierda, int arriba, int ancho, int alto)
{
    w->setGeometry(twipsToPixels(izquierda), twipsToPixels(arriba), twipsToPixels(ancho), twipsToPixels(alto));
}

}  // namespace

frmAcceso::frmAcceso(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAcceso"));
    setWindowTitle(QStringLiteral("Control de Acceso"));
    setModal(true);
    // 8400 x 5520 twips.
    setFixedSize(twipsToPixels(8400), twipsToPixels(5520));

    auto etiqueta = [](QWidget* padre, const char* nombre, const QString& texto) {
        auto* l = new QLabel(texto, padre);
        l->setObjectName(QString::fromLatin1(nombre));
        return l;
    };
    auto caja = [](QWidget* padre, const char* nombre, const QString& ayuda) {
        auto* t = new QLineEdit(padre);
        t->setObjectName(QString::fromLatin1(nombre));
        t->setToolTip(ayuda);
        return t;
    };
    auto boton = [](QWidget* padre, const char* nombre, const QString& texto) {
        auto* b = new QPushButton(texto, padre);
        b->setObjectName(QString::fromLatin1(nombre));
        // Enter moves between the boxes and presses only the focused button.
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };

    Label7 = etiqueta(this, "Label7", QStringLiteral("KAPORES"));
    QFont grande = Label7->font();
    grande.setBold(true);
    grande.setPointSize(16);
    Label7->setFont(grande);
    Ubica(Label7, 120, 120, 3240, 480);

    Label1[0] = etiqueta(this, "Label1", QStringLiteral("AUTENTICACION"));
    Ubica(Label1[0], 3600, 120, 4560, 300);
    Label1[1] = etiqueta(this, "Label1", QStringLiteral("Control de Acceso"));
    Ubica(Label1[1], 3600, 420, 4560, 300);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Ubica(Line1, 120, 780, 8160, 60);

    Label1[2] = etiqueta(this, "Label1", QStringLiteral("Conexiones registradas"));
    Ubica(Label1[2], 120, 960, 3240, 255);
    for (int i = 0; i < 3; ++i)
        Label1[i]->setProperty("Index", i);

    lstBases = new QListWidget(this);
    lstBases->setObjectName(QStringLiteral("lstBases"));
    Ubica(lstBases, 120, 1230, 3240, 3345);

    framAcceso = new QGroupBox(this);
    framAcceso->setObjectName(QStringLiteral("framAcceso"));
    Ubica(framAcceso, 3480, 900, 4800, 3675);

    // One row of the frame: the label at the left, the box at the right.
    auto fila = [&](int n, QLabel* l, QWidget* control, int ancho = 2940) {
        Ubica(l, 120, 240 + n * 540, 1500, 315);
        Ubica(control, 1680, 240 + n * 540, ancho, 315);
    };

    Label6 = etiqueta(framAcceso, "Label6", QStringLiteral("Plataforma"));
    CboPlataformaDB = new QComboBox(framAcceso);
    CboPlataformaDB->setObjectName(QStringLiteral("CboPlataformaDB"));
    CboPlataformaDB->addItem(QStringLiteral("SQL Server"));
    CboPlataformaDB->addItem(QStringLiteral("ORACLE"));
    fila(0, Label6, CboPlataformaDB);

    Label5 = etiqueta(framAcceso, "Label5", QStringLiteral("Servidor"));
    TxtServidor = caja(framAcceso, "TxtServidor", QStringLiteral("ingrese el nombre del servidor e instancia"));
    fila(1, Label5, TxtServidor, 2040);
    TxtPuerto = caja(framAcceso, "TxtPuerto", QStringLiteral("Ingrese el Puerto "));
    TxtPuerto->setText(QStringLiteral("1433"));
    Ubica(TxtPuerto, 3780, 240 + 540, 840, 315);

    Label4 = etiqueta(framAcceso, "Label4", QStringLiteral("Base de datos"));
    TxtDbName = caja(framAcceso, "TxtDbName", QStringLiteral("ingrese el nombre de la base de datos"));
    fila(2, Label4, TxtDbName);

    Label2 = etiqueta(framAcceso, "Label2", QStringLiteral("Usuario"));
    TxtUserId = caja(framAcceso, "TxtUserId", QStringLiteral("Ingrese el nombre de usuario"));
    fila(3, Label2, TxtUserId);

    Label3 = etiqueta(framAcceso, "Label3", QStringLiteral("Contraseña"));
    TxtUserPassword = caja(framAcceso, "TxtUserPassword", QStringLiteral("Ingrese la contraseña"));
    ui::setPasswordChar(*TxtUserPassword, u'*');
    fila(4, Label3, TxtUserPassword);

    CmdRegistrar = boton(framAcceso, "CmdRegistrar", QStringLiteral("Registrar"));
    Ubica(CmdRegistrar, 120, 3060, 2160, 420);
    CmdLineaComando = boton(framAcceso, "CmdLineaComando", QStringLiteral("Crear Acceso Directo"));
    Ubica(CmdLineaComando, 2400, 3060, 2280, 420);

    Label8 = etiqueta(this, "Label8", DireccionWeb());
    Label8->setCursor(Qt::PointingHandCursor);
    QPalette azul = Label8->palette();
    azul.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label8->setPalette(azul);
    QFont subrayada = Label8->font();
    subrayada.setUnderline(true);
    Label8->setFont(subrayada);
    Ubica(Label8, 120, 4860, 4560, 255);
    Label8->installEventFilter(this);

    bcAceptar = boton(this, "bcAceptar", QStringLiteral("Conectar"));
    Ubica(bcAceptar, 5040, 4740, 1500, 450);
    bcCancelar = boton(this, "bcCancelar", QStringLiteral("Cancelar"));
    Ubica(bcCancelar, 6660, 4740, 1500, 450);

    SkinFramework1 = new QObject(this);
    SkinFramework1->setObjectName(QStringLiteral("SkinFramework1"));


    setTabOrder(lstBases, CboPlataformaDB);
    setTabOrder(CboPlataformaDB, TxtServidor);
    setTabOrder(TxtServidor, TxtPuerto);
    setTabOrder(TxtPuerto, TxtDbName);
    setTabOrder(TxtDbName, TxtUserId);
    setTabOrder(TxtUserId, TxtUserPassword);
    setTabOrder(TxtUserPassword, bcAceptar);
    setTabOrder(bcAceptar, bcCancelar);

    connect(bcAceptar, &QPushButton::clicked, this, [this] { bcAceptar_Click(); });
    connect(bcCancelar, &QPushButton::clicked, this, [this] { bcCancelar_Click(); });
    connect(CmdRegistrar, &QPushButton::clicked, this, [this] { CmdRegistrar_Click(); });
    connect(CmdLineaComando, &QPushButton::clicked, this, [this] { CmdLineaComando_Click(); });
    connect(lstBases, &QListWidget::itemClicked, this, [this] { AsignarDatosBase(); });
    connect(lstBases, &QListWidget::currentRowChanged, this, [this](int actual) {
        if (actual >= 0)
            AsignarDatosBase();
    });
    connect(lstBases, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* elegido) {
        lstBases->setCurrentItem(elegido);
        AsignarDatosBase();
        bcAceptar_Click();
    });
    connect(TxtDbName, &QLineEdit::textChanged, this, [this] { MensajeInicial(TxtDbName); });
    connect(TxtServidor, &QLineEdit::textChanged, this, [this] { MensajeInicial(TxtServidor); });
    connect(TxtUserPassword, &QLineEdit::textChanged, this, [this] { MensajeInicial(TxtUserPassword); });
    TxtUserId->installEventFilter(this);
}

frmAcceso& frmAcceso::Default()
{
    auto& w = instancia();
    if (!w) {
        w = std::make_unique<frmAcceso>();
        w->Form_Load();
    }
    return *w;
}

void frmAcceso::Unload()
{
    instancia().reset();
    LBM_Common::OlvidaRutaBases();
}

void frmAcceso::setAplicaEstilo(std::function<void(QWidget*, bool)> aplica)
{
    aplicaEstilo() = std::move(aplica);
}

void frmAcceso::setManejadorErrores(legacy::ErrorHandler manejador)
{
    manejadorErrores() = std::move(manejador);
}

legacy::ErrorHandler frmAcceso::manejador() const
{
    if (manejadorErrores())
        return manejadorErrores();
    return ModGlobal::gDB().errorHandler();
}

QString frmAcceso::DireccionWeb()
{
    // The maker has no address of its own on record; a reserved name keeps
    // the link from leading anywhere unexpected until one is set.
    return QStringLiteral("https://vordane.example/");
}

void frmAcceso::Form_Load()
{
    Centra();
    llenarlist();
    MensajeInicial(TxtUserId);
    MensajeInicial(TxtUserPassword);
    MensajeInicial(TxtDbName);
    MensajeInicial(TxtDbName);
    MensajeInicial(TxtServidor);
    if (aplicaEstilo())
        aplicaEstilo()(this, true);
    AjustaAFuente();
}

void frmAcceso::Centra()
{
    if (const QScreen* pantalla = QGuiApplication::primaryScreen()) {
        const QRect r = pantalla->geometry();
        move(r.left() + (r.width() - width()) / 2, r.top() + (r.height() - height()) / 2);
    }
}

// The window keeps its positions in twips where the font in use fits them.
// Where it does not, each row grows to the font's height (a box or the combo
// box to its text and frame, a caption to its lines, a button to its
// caption), the rows below move down, and the frame, the list of connections
// beside it and the window grow by as much. The controls of the frame move
// right past the widest caption of its rows; a box with a hint grows to the
// right until its hint shows whole (the port box moves along with the server
// box); the frame and the window widen by what the boxes took, the line and
// the two buttons under the frame moving with the window's right edge. A
// button whose caption does not fit grows to it.
void frmAcceso::AjustaAFuente()
{
    const QSize antes = size();
    if (const int crece = ui::GrowRowsToFont(*this); crece > 0)
        setFixedSize(width(), height() + crece);
    // the list ends where the frame beside it ends
    lstBases->resize(lstBases->width(), framAcceso->geometry().bottom() + 1 - lstBases->y());

    // The boxes of the frame share one right edge; the server box ends where
    // the port box, which keeps its width, begins.
    const int margen = framAcceso->width() - (TxtDbName->x() + TxtDbName->width());
    constexpr int kHolgura = 4;  // pixels between a caption and its box
    int corre = 0;
    for (QLabel* l : {Label2, Label3, Label4, Label5, Label6})
        corre = std::max(corre, l->x() + ui::CaptionWidth(*l) + kHolgura - TxtDbName->x());
    for (QWidget* w : {static_cast<QWidget*>(CboPlataformaDB), static_cast<QWidget*>(TxtServidor),
                       static_cast<QWidget*>(TxtPuerto), static_cast<QWidget*>(TxtDbName),
                       static_cast<QWidget*>(TxtUserId), static_cast<QWidget*>(TxtUserPassword)})
        w->move(w->x() + corre, w->y());
    const int puerto = TxtPuerto->x() - (TxtServidor->x() + TxtServidor->width()) + TxtPuerto->width();
    auto necesita = [](QLineEdit* t) { return ui::TextBoxWidth(*t, Sugerencia(t->objectName())); };
    const int ancho =
        std::max({TxtDbName->width(), necesita(TxtDbName), necesita(TxtUserId), necesita(TxtServidor) + puerto});
    for (QWidget* w : {static_cast<QWidget*>(CboPlataformaDB), static_cast<QWidget*>(TxtDbName),
                       static_cast<QWidget*>(TxtUserId), static_cast<QWidget*>(TxtUserPassword)})
        w->resize(ancho, w->height());
    TxtServidor->resize(ancho - puerto, TxtServidor->height());
    const int derecha = TxtDbName->x() + ancho;
    TxtPuerto->move(derecha - TxtPuerto->width(), TxtPuerto->y());
    const int crece = std::max(0, derecha + margen - framAcceso->width());
    if (crece > 0) {
        framAcceso->resize(framAcceso->width() + crece, framAcceso->height());
        Line1->resize(Line1->width() + crece, Line1->height());
        for (QWidget* w : {static_cast<QWidget*>(bcAceptar), static_cast<QWidget*>(bcCancelar)})
            w->move(w->x() + crece, w->y());
        setFixedSize(width() + crece, height());
    }
    if (size() != antes)
        Centra();

    // The frame has widened for the hints, so a button grows to the right.
    for (QPushButton* b : {bcAceptar, bcCancelar, CmdRegistrar, CmdLineaComando})
        ui::GrowToCaption(*b);
}

void frmAcceso::llenarlist()
{
    legacy::ErrorTrap trap(QStringLiteral("FormLoad"), manejador());
    bool existe = false;
    trap([&] { rutaBases_ = LBM_Common::RutaBases(); });
    trap([&] { existe = legacy::FileExists(rutaBases_); });
    if (trap.left())
        return;
    if (!existe) {
        trap([&] { lstBases->clear(); });
        return;
    }
    trap([&] {
        // Cleared in the same step, so that a Retry does not list names twice.
        lstBases->clear();
        bool incompleto = false;
        const QList<RegistroBase> registros = LBM_Common::LeeBases(rutaBases_, &incompleto);
        for (const RegistroBase& r : registros)
            if (!Trim(r.nombre).isEmpty())
                lstBases->addItem(r.nombre);
        if (incompleto)
            throw legacy::VbError(62, {}, rutaBases_);
    });
    trap([&] {
        if (lstBases->count() > 0)
            lstBases->setCurrentRow(0);
    });
}

void frmAcceso::DatosBase(const QString& nombre)
{
    try {
        rutaBases_ = LBM_Common::RutaBases();
        if (!legacy::FileExists(rutaBases_))
            return;
        if (const std::optional<RegistroBase> r = LBM_Common::BuscaBase(rutaBases_, nombre)) {
            servidor_ = r->servidor;
            base_ = r->base;
            usuario_ = r->usuario;
            clave_ = kapores2::Funciones::DecodificaClave(r->clave);
        }
    } catch (const legacy::VbError& e) {
        // Whatever the answer, the lookup is over.
        manejador()(e, QStringLiteral("DatosBase"));
    }
}

void frmAcceso::AsignarDatosBase()
{
    const QListWidgetItem* elegido = lstBases->currentItem();
    DatosBase(Trim(elegido ? elegido->text() : QString()));
    const long dosPuntos = legacy::InStr(servidor_, QStringLiteral(":"));
    if (dosPuntos > 0) {
        puerto_ = legacy::Mid(servidor_, dosPuntos + 1);
        servidor_ = UCase(Trim(legacy::Left(servidor_, dosPuntos - 1)));
    }
    TxtServidor->setText(servidor_);
    TxtUserId->setText(QString());
    TxtUserPassword->setText(QString());
    TxtDbName->setText(base_);
    TxtPuerto->setText(puerto_.toString());
}

QString frmAcceso::Sugerencia(const QString& nombreControl)
{
    if (nombreControl == QLatin1String("TxtUserId"))
        return QStringLiteral("Ingrese el usuario");
    if (nombreControl == QLatin1String("TxtDbName"))
        return QStringLiteral("ingrese el nombre de la base de datos");
    if (nombreControl == QLatin1String("TxtServidor"))
        return QStringLiteral("ingrese el nombre del servidor e instancia");
    return QString();
}

void frmAcceso::MensajeInicial(QLineEdit* ObjTxt)
{
    if (!ObjTxt)
        return;
    const QString sugerencia = Sugerencia(ObjTxt->objectName());
    const QString recortado = Trim(ObjTxt->text());
    if (!recortado.isEmpty() && recortado != sugerencia)
        return;
    // An empty box shows its hint as its text, selected, so that typing
    // replaces it.
    ObjTxt->setText(sugerencia);
    QPalette p = ObjTxt->palette();
    p.setColor(QPalette::Text, ui::toQColor(ui::RGB(2, 0, 0)));
    ObjTxt->setPalette(p);
    ObjTxt->setSelection(0, int(Trim(ObjTxt->text()).size()));
    ObjTxt->update();
}

void frmAcceso::RegistrarBases()
{
    // The first connection used on a machine becomes its first registered one.
    if (!legacy::FileExists(LBM_Common::RutaBases())) CmdRegistrar_Click();
}

void frmAcceso::bcAceptar_Click()
{
    ModGlobal::gUsuarioLogeado = TxtUserId->text();
    ModGlobal::gPassword = TxtUserPassword->text();
    Aceptar = true;
    RegistrarBases();
    hide();
}

void frmAcceso::bcCancelar_Click()
{
    Aceptar = false;
    hide();
}

void frmAcceso::Label8_Click()
{
    kapores2::Equipo::EjecutaArchivo(this, QStringLiteral("open"), DireccionWeb());
}

void frmAcceso::reject()
{
    bcCancelar_Click();
}

void frmAcceso::keyPressEvent(QKeyEvent* e)
{
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) {
        QDialog::keyPressEvent(e);
        return;
    }
    QWidget* foco = focusWidget();
    if (foco == TxtUserId)
        TxtUserPassword->setFocus();
    else if (foco == TxtUserPassword)
        TxtDbName->setFocus();
    else if (foco == TxtDbName)
        TxtServidor->setFocus();
    else if (foco == TxtServidor)
        bcAceptar->setFocus();
    else if (auto* b = qobject_cast<QPushButton*>(foco))
        b->click();
    e->accept();
}

bool frmAcceso::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == TxtUserId && e->type() == QEvent::FocusIn)
        MensajeInicial(TxtUserId);
    else if (watched == Label8 && e->type() == QEvent::MouseButtonRelease)
        Label8_Click();
    return QDialog::eventFilter(watched, e);
}
