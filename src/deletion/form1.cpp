#include "deletion/form1.h"

#include "core/cargaconfiguracion.h"
#include "core/estilos.h"
#include "core/inicio.h"
#include "voucher/clscmncptes.h"
#include "core/modglobal.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/colors.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fitting.h"
#include "platform/ui/keys.h"

#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QValidator>

#include <algorithm>
#include <exception>
#include <type_traits>

using ui::twipsToPixels;

namespace {

// Places a control by its position and size in twips.
void Coloca(QWidget* w, int izquierda, int arriba, int ancho, int alto)
{
    w->setGeometry(twipsToPixels(izquierda), twipsToPixels(arriba), twipsToPixels(ancho), twipsToPixels(alto));
}

constexpr int kHolgura = 4;  // pixels between a caption and its box

// The window's own icon: a red sheet crossed out, drawn here so the program
// needs no image file.
QIcon IconoVentana()
{
    QPixmap p(32, 32);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(60, 60, 60), 2));
    g.setBrush(Qt::white);
    g.drawRect(7, 3, 18, 26);
    g.setPen(QPen(QColor(200, 30, 30), 4));
    g.drawLine(6, 6, 26, 26);
    g.drawLine(26, 6, 6, 26);
    return QIcon(p);
}

// The letter box holds one character; a blank typed before the letter is
// dropped as it comes, so typing " X" gives "X" (the field is trimmed when
// read anyway).
class LetraValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& texto, int& posicion) const override
    {
        qsizetype blancos = 0;
        while (blancos < texto.size() && texto.at(blancos) == u' ')
            ++blancos;
        texto.remove(0, blancos);
        posicion = int(std::max<qsizetype>(0, posicion - blancos));
        return Acceptable;
    }
};

std::function<void(int)>& finPrograma()
{
    static std::function<void(int)> fin;
    return fin;
}

}  // namespace

QString Form1::ClaveAcceso()
{
    return QStringLiteral("gurm@");
}

Form1::Form1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ANULACION FISICA DE COMPROBANTES"));
    setWindowIcon(IconoVentana());
    setFixedSize(twipsToPixels(6480), twipsToPixels(3000));
    CreaControles();
}

Form1::~Form1() = default;

void Form1::CreaControles()
{
    SkinFramework1 = new QObject(this);
    SkinFramework1->setObjectName(QStringLiteral("SkinFramework1"));

    auto caja = [](QWidget* padre, const char* nombre, int maximo) {
        auto* t = new QLineEdit(padre);
        t->setObjectName(QString::fromLatin1(nombre));
        if (maximo > 0)
            t->setMaxLength(maximo);
        return t;
    };
    auto etiqueta = [](QWidget* padre, const char* texto) {
        auto* l = new QLabel(QString::fromLatin1(texto), padre);
        l->setObjectName(QStringLiteral("Label1"));
        l->lower();  // labels lie beneath the boxes they overlap ("COMPLEMENTO")
        return l;
    };

    txtPassWord = caja(this, "txtPassWord", 0);
    ui::setPasswordChar(*txtPassWord, u'*');
    Coloca(txtPassWord, 1200, 120, 2295, 285);

    FrmDetalle = new QGroupBox(this);
    FrmDetalle->setObjectName(QStringLiteral("FrmDetalle"));
    Coloca(FrmDetalle, 120, 480, 6255, 2415);

    txtTC = caja(FrmDetalle, "txtTC", 4);
    Coloca(txtTC, 1560, 240, 495, 285);
    txtSUC = caja(FrmDetalle, "txtSUC", 4);
    Coloca(txtSUC, 1560, 600, 495, 285);
    txtNRO = caja(FrmDetalle, "txtNRO", 8);
    Coloca(txtNRO, 1560, 960, 1335, 285);
    txtLetra = caja(FrmDetalle, "txtLetra", 1);
    txtLetra->setValidator(new LetraValidator(txtLetra));
    Coloca(txtLetra, 1560, 1320, 255, 285);
    txtComplemento = caja(FrmDetalle, "txtComplemento", 2);
    txtComplemento->setText(QStringLiteral("0"));
    Coloca(txtComplemento, 1560, 1680, 375, 285);

    // Every label sits at the left of its box, on the same line.
    const struct {
        QWidget* padre;
        const char* texto;
        int arriba;
        int ancho;
    } etiquetas[std::extent_v<decltype(Label1)>] = {
        {this, "PassWord", 120, 735},     {FrmDetalle, "TC", 240, 735},  {FrmDetalle, "SUC", 600, 735},
        {FrmDetalle, "NRO", 960, 735},    {FrmDetalle, "LETRA", 1320, 735},
        {FrmDetalle, "COMPLEMENTO", 1680, 1455}};
    for (std::size_t i = 0; i < std::size(etiquetas); ++i) {
        Label1[i] = etiqueta(etiquetas[i].padre, etiquetas[i].texto);
        Coloca(Label1[i], 240, etiquetas[i].arriba, etiquetas[i].ancho, 255);
    }

    CmdAceptar = new QPushButton(QStringLiteral("&Aceptar"), FrmDetalle);
    CmdAceptar->setObjectName(QStringLiteral("CmdAceptar"));
    Coloca(CmdAceptar, 1080, 2040, 1335, 255);
    CmdCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    CmdCancelar->setObjectName(QStringLiteral("CmdCancelar"));
    Coloca(CmdCancelar, 3720, 2520, 1335, 255);
    // Neither button is the window's default; Enter on a focused button
    // presses it, as Space does.
    for (QPushButton* b : {CmdAceptar, CmdCancelar}) {
        b->setAutoDefault(true);
        b->setDefault(false);
    }

    FrmDetalle->setEnabled(false);

    // Tab order: the password box, the five voucher fields, the two buttons.
    QWidget* orden[] = {txtPassWord, txtTC, txtSUC, txtNRO, txtLetra, txtComplemento, CmdAceptar, CmdCancelar};
    for (std::size_t i = 1; i < std::size(orden); ++i)
        QWidget::setTabOrder(orden[i - 1], orden[i]);

    for (QLineEdit* t : {txtPassWord, txtTC, txtSUC, txtNRO, txtLetra, txtComplemento})
        t->installEventFilter(this);

    connect(txtPassWord, &QLineEdit::textChanged, this, [this] { txtPassWord_Change(); });
    connect(CmdAceptar, &QPushButton::clicked, this, [this] { Despacha([this] { CmdAceptar_Click(); }); });
    connect(CmdCancelar, &QPushButton::clicked, this, [this] { Despacha([this] { cmdCancelar_Click(); }); });
}

void Form1::Form_Load()
{
    QString cadena;
    ModGlobal::IniciaAplicacion(false, QString(), cadena, 3);
    // The start-up handles its own errors; a failure of the styling or of
    // the window set-up is shown and the window works unstyled.
    try {
        ModGlobal::AplicaEstiloFormulario(this, true);
        ModGlobal::gUtilidades().PreparaFormulario(this, false);
    } catch (const legacy::VbError& e) {
        ModGlobal::gUtilidades().MuestraError(e, ui::vbOKOnly + ui::vbCritical, QStringLiteral("Form_Load"));
    }
    AjustaAFuente();
}

// The window keeps its positions in twips where the user's font fits them.
// Where it does not, each row grows to the font's height (a box to its text
// and frame, a caption to its lines, a button to its caption), the rows
// below move down, and the frame and the window grow by as much; "&Cancelar",
// which lies on the frame beside "&Aceptar", moves with the frame's rows.
// The five voucher boxes move right together, past the widest of their
// captions, and each box grows to the right until the longest text it takes
// shows whole; the captions end before their boxes. The password box moves
// past its caption in the same way, and a button whose caption does not fit
// grows to it.
void Form1::AjustaAFuente()
{
    if (const int crece = ui::GrowRowsToFont(*this); crece > 0)
        setFixedSize(width(), height() + crece);

    QLineEdit* cajas[] = {txtTC, txtSUC, txtNRO, txtLetra, txtComplemento};
    int columna = txtTC->x();
    for (std::size_t i = 1; i < std::size(Label1); ++i)
        columna = std::max(columna, Label1[i]->x() + ui::CaptionWidth(*Label1[i]) + kHolgura);
    const int derecha = FrmDetalle->contentsRect().right() - kHolgura;
    for (QLineEdit* t : cajas) {
        const int ancho = ui::TextBoxWidth(*t, ui::WidestText(*t, t->maxLength()));
        t->setGeometry(columna, t->y(), std::max(1, std::min(std::max(t->width(), ancho), derecha - columna)),
                       t->height());
    }
    for (std::size_t i = 1; i < std::size(Label1); ++i)
        Label1[i]->resize(std::min(Label1[i]->width(), columna - kHolgura - Label1[i]->x()), Label1[i]->height());

    const int clave = std::max(txtPassWord->x(), Label1[0]->x() + ui::CaptionWidth(*Label1[0]) + kHolgura);
    txtPassWord->setGeometry(clave, txtPassWord->y(), txtPassWord->width() - (clave - txtPassWord->x()),
                             txtPassWord->height());
    Label1[0]->resize(std::min(Label1[0]->width(), clave - kHolgura - Label1[0]->x()), Label1[0]->height());

    for (QPushButton* b : {CmdAceptar, CmdCancelar})
        ui::GrowToCaption(*b);
}

void Form1::txtPassWord_Change()
{
    FrmDetalle->setEnabled(txtPassWord->text().compare(ClaveAcceso(), Qt::CaseInsensitive) == 0);
}

void Form1::cmdCancelar_Click()
{
    close();
    throw legacy::ProgramEnd(0);
}

void Form1::Inicializa()
{
    for (QLineEdit* t : {txtTC, txtSUC, txtNRO, txtLetra, txtComplemento})
        t->clear();
}

void Form1::Campo_GotFocus(QLineEdit* campo)
{
    QPalette p = campo->palette();
    p.setColor(QPalette::Base, ui::toQColor(ModGlobal::CFondo));
    p.setColor(QPalette::Text, ui::toQColor(ModGlobal::CLetra));
    campo->setPalette(p);
}

void Form1::Campo_LostFocus(QLineEdit* campo)
{
    QPalette p = campo->palette();
    p.setColor(QPalette::Base, ui::toQColor(ui::vbWhite));
    p.setColor(QPalette::Text, ui::toQColor(ui::vbBlack));
    campo->setPalette(p);
}

void Form1::Campo_KeyPress(QLineEdit* campo, int& KeyAscii)
{
    if (KeyAscii == ui::vbKeyReturn)
        ui::SendTab(campo);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    auto* campo = qobject_cast<QLineEdit*>(watched);
    if (campo) {
        switch (event->type()) {
        case QEvent::FocusIn:
            Campo_GotFocus(campo);
            break;
        case QEvent::FocusOut:
            Campo_LostFocus(campo);
            break;
        case QEvent::KeyPress: {
            int tecla = ui::keyAscii(*static_cast<QKeyEvent*>(event));
            Campo_KeyPress(campo, tecla);
            break;  // the key itself goes on to the box unchanged
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::setFinPrograma(std::function<void(int)> fin)
{
    finPrograma() = std::move(fin);
}

void Form1::Despacha(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const legacy::ProgramEnd& fin) {
        if (finPrograma()) {
            finPrograma()(fin.code);
            return;
        }
        close();
        QCoreApplication::exit(fin.code);
    } catch (const std::exception& e) {
        // Nothing may cross the event loop; the handlers trap their own
        // run-time errors, so this is a fault of the program itself.
        qWarning("Form1: %s", e.what());
    } catch (const legacy::VbError& e) {
        qWarning("Form1: error %ld %s", e.Number, qPrintable(e.Description));
    }
}
