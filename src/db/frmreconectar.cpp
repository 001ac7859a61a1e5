#include "db/frmreconectar.h"

#include "platform/ui/fitting.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <memory>

namespace {

std::unique_ptr<frmReconectar>& instancia()
{
    static std::unique_ptr<frmReconectar> w;
    return w;
}

// The window was drawn in twips; 15 twips make one pixel.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// The message and the bar keep 240 twips from the window's sides; so do the
// buttons when they widen.
constexpr int kMargen = 240 / 15;

void Centra(QWidget& w)
{
    if (const QScreen* pantalla = QGuiApplication::primaryScreen()) {
        const QRect r = pantalla->geometry();
        w.move((r.width() - w.width()) / 2, (r.height() - w.height()) / 2);
    }
}

}  // namespace

frmReconectar::frmReconectar(QWidget* parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("frmReconectar"));
    const QString titulo = QStringLiteral("Intentando reconectar con el servidor") + QChar(0x2026);
    setWindowTitle(titulo);
    setFixedSize(twips(0, 0, 6000, 2400).size());

    lblMensaje = new QLabel(titulo, this);
    lblMensaje->setObjectName(QStringLiteral("lblMensaje"));
    lblMensaje->setGeometry(twips(240, 180, 5520, 900));
    lblMensaje->setWordWrap(true);
    lblMensaje->setAlignment(Qt::AlignCenter);

    prgIntentos = new QProgressBar(this);
    prgIntentos->setObjectName(QStringLiteral("prgIntentos"));
    prgIntentos->setGeometry(twips(240, 1200, 5520, 300));
    prgIntentos->setRange(0, 100);
    prgIntentos->setTextVisible(false);

    // Two buttons of one width, side by side around the window's middle,
    // wide enough for "Cerrar Sistema" with room to spare.
    CmdReintentar = new QPushButton(QStringLiteral("Reintentar"), this);
    CmdReintentar->setObjectName(QStringLiteral("CmdReintentar"));
    CmdReintentar->setGeometry(twips(1110, 1740, 1785, 420));

    cmdCancelar = new QPushButton(QStringLiteral("Cerrar Sistema"), this);
    cmdCancelar->setObjectName(QStringLiteral("cmdCancelar"));
    cmdCancelar->setGeometry(twips(3105, 1740, 1785, 420));

    connect(CmdReintentar, &QPushButton::clicked, this, [this] { CmdReintentar_Click(); });
    connect(cmdCancelar, &QPushButton::clicked, this, [this] { cmdCancelar_Click(); });

    Form_Load();
}

void frmReconectar::Form_Load()
{
    Centra(*this);
    Cancelar = false;
    prgIntentos->setValue(0);
}

void frmReconectar::showEvent(QShowEvent* event)
{
    AjustaAFuente();
    QWidget::showEvent(event);
}

// The window keeps its twips where its font and its message fit them. Where
// they do not, the message grows to its wrapped lines, the two buttons (of
// one width, around the window's middle) to their captions, what lies below
// moves down, and the window grows by as much and stays centred on the
// screen. The message is set before the window is shown, so it is fitted
// then.
void frmReconectar::AjustaAFuente()
{
    const int ensancha = ui::GrowButtonRow({CmdReintentar, cmdCancelar}, ui::RowAnchor::Centre, kMargen);
    if (ensancha > 0) {
        setFixedSize(width() + ensancha, height());
        for (QWidget* w : {static_cast<QWidget*>(lblMensaje), static_cast<QWidget*>(prgIntentos)})
            w->resize(w->width() + ensancha, w->height());
    }
    const int crece = ui::GrowRowsToContents(*this);
    if (crece > 0)
        setFixedSize(width(), height() + crece);
    if (ensancha > 0 || crece > 0)
        Centra(*this);
}

frmReconectar& frmReconectar::Default()
{
    auto& w = instancia();
    if (!w)
        w = std::make_unique<frmReconectar>();
    return *w;
}

bool frmReconectar::Loaded()
{
    return instancia() != nullptr;
}

void frmReconectar::Unload()
{
    instancia().reset();
}
