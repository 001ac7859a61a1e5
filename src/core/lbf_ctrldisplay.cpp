#include "core/lbf_ctrldisplay.h"

#include "platform/ui/fitting.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// The window was designed in twips; 15 twips make a pixel.
constexpr int Px(int twips) { return twips / 15; }

constexpr int kCuadros = 12;

// Pixels a grown button keeps from the window's sides and bottom: the 120
// twips of the first line's top.
constexpr int kMargen = Px(120);

}  // namespace

Lbf_CtrlDisplay::Lbf_CtrlDisplay(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool)
{
    setObjectName(QStringLiteral("Lbf_CtrlDisplay"));
    setWindowTitle(QStringLiteral("Procesando Datos"));
    setFixedSize(Px(7845), Px(2790));
    setAutoFillBackground(true);
    QPalette fondo = palette();
    fondo.setColor(QPalette::Window, Qt::white);
    setPalette(fondo);

    QFont letra(QStringLiteral("MS Sans Serif"), 12);
    letra.setBold(true);
    const int tops[3] = {120, 480, 840};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("LblCtrol_%1").arg(i));
        l->setGeometry(Px(0), Px(tops[i]), Px(7815), Px(290));
        l->setAlignment(Qt::AlignCenter);
        l->setFont(letra);
        l->setAutoFillBackground(true);
        l->setPalette(fondo);
        LblCtrol[i] = l;
    }

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Px(3480), Px(1320), Px(1095), Px(975));
    Image1->setAlignment(Qt::AlignCenter);

    CmdDisplayCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    CmdDisplayCancelar->setObjectName(QStringLiteral("CmdDisplayCancelar"));
    CmdDisplayCancelar->setGeometry(Px(3120), Px(2400), Px(1695), Px(375));
    CmdDisplayCancelar->setVisible(false);
    connect(CmdDisplayCancelar, &QPushButton::clicked, this, [this] { CmdDisplayCancelar_Click(); });

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    ImageList1 = CuadrosAnimacion();

    AjustaAFuente();
    Form_Load();
}

// The sign keeps its twips where the program's font fits its button (the
// lines keep their own font). Where it does not, the button grows to the
// wider of its two captions ("&Cancelar", "Abortado"), staying in the
// middle, and downwards to their lines with the room the design gives them
// (its 375 twips hold 9-point lines of 14 pixels and 11 to spare); the
// window then grows to keep the button as far from its bottom edge as the
// first line is from its top, shown or not. Done before the window is
// centred on the screen.
void Lbf_CtrlDisplay::AjustaAFuente()
{
    QPushButton& b = *CmdDisplayCancelar;
    const QString caption = b.text();
    for (const QString& texto : {QStringLiteral("Abortado"), caption}) {
        b.setText(texto);
        ui::GrowButtonRow({&b}, ui::RowAnchor::Centre, kMargen);
    }
    constexpr int kHolguraBoton = 25 - 14;
    const int alto = std::max(ui::CaptionSize(b).height(), QFontMetrics(b.font()).height() + kHolguraBoton);
    if (alto > b.height()) {
        b.resize(b.width(), alto);
        setFixedSize(width(), b.geometry().bottom() + 1 + kMargen);
    }
}

Lbf_CtrlDisplay::~Lbf_CtrlDisplay() = default;

void Lbf_CtrlDisplay::Form_Load()
{
    // Centred on the screen.
    if (QScreen* pantalla = QGuiApplication::primaryScreen()) {
        const QRect r = pantalla->availableGeometry();
        move(r.left() + (r.width() - width()) / 2, r.top() + (r.height() - height()) / 2);
    }
    CmdDisplayCancelar->setText(QStringLiteral("&Cancelar"));
    contador_ = 0;
    MuestraCuadro(1);
    // Drawn at 200 of 255 opacity so the work behind it stays visible.
    setWindowOpacity(200.0 / 255.0);
}

void Lbf_CtrlDisplay::MuestraCuadro(int indice)
{
    // A frame the list does not hold leaves the picture as it was.
    if (indice >= 1 && indice <= ImageList1.size())
        Image1->setPixmap(ImageList1.at(indice - 1));
}

void Lbf_CtrlDisplay::Timer1_Timer()
{
    ++contador_;
    MuestraCuadro(contador_);
    if (contador_ == kCuadros)
        contador_ = 0;
}

void Lbf_CtrlDisplay::CmdDisplayCancelar_Click()
{
    CmdDisplayCancelar->setText(QStringLiteral("Abortado"));
}

QList<QPixmap> Lbf_CtrlDisplay::CuadrosAnimacion()
{
    // Twelve dots on a circle; in frame n the n-th dot is dark and the ones
    // before it fade, so the frames in order make a turning wheel.
    QList<QPixmap> cuadros;
    const int ancho = Px(1095);
    const int alto = Px(975);
    const double cx = ancho / 2.0;
    const double cy = alto / 2.0;
    const double radio = std::min(ancho, alto) / 2.0 - 8;
    for (int n = 1; n <= kCuadros; ++n) {
        QPixmap pm(ancho, alto);
        pm.fill(Qt::white);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < kCuadros; ++i) {
            const int distancia = (n - 1 - i + kCuadros) % kCuadros;  // 0: the current dot
            const int gris = std::min(220, 40 + distancia * 18);
            p.setBrush(QColor(gris, gris, gris));
            const double angulo = (i * 30.0 - 90.0) * M_PI / 180.0;
            const QPointF centro(cx + radio * std::cos(angulo), cy + radio * std::sin(angulo));
            p.drawEllipse(centro, 4.5, 4.5);
        }
        p.end();
        cuadros.append(pm);
    }
    return cuadros;
}
