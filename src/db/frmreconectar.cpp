#include "db/frmreconectar.h"

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
    if (const QScreen* pantalla = QGuiApplication::primaryScreen()) {
        const QRect r = pantalla->geometry();
        move((r.width() - width()) / 2, (r.height() - height()) / 2);
    }
    Cancelar = false;
    prgIntentos->setValue(0);
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
