#include "voucher/grids/frmmvventas.h"

#include "platform/ui/companions.h"
#include "platform/ui/msflexgrid.h"

#include <QFont>
#include <QVBoxLayout>

FrmMvVentas::FrmMvVentas(QWidget* parent) : QWidget(parent), MSComm1(std::make_unique<ui::MSComm>())
{
    setWindowTitle(QStringLiteral("Form1"));
    auto* columna = new QVBoxLayout(this);
    tbarimp = new ui::Toolbar(this);
    tbarimp->setObjectName(QStringLiteral("tbarimp"));
    columna->addWidget(tbarimp);
    ui::MSFlexGrid** grillas[] = {&MSFlexGrid1, &MSFlexGrid2, &MSFlexGrid3};
    for (int i = 0; i < 3; ++i) {
        auto* g = new ui::MSFlexGrid(this);
        const QString nombre = QStringLiteral("MSFlexGrid%1").arg(i + 1);
        g->setObjectName(nombre);
        g->setName(nombre);
        g->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
        columna->addWidget(g, i == 1 ? 2 : 1);
        *grillas[i] = g;
    }
    MSComm1->onComm = [this] { MSComm1_OnComm(); };
    resize(900, 600);
}

FrmMvVentas::~FrmMvVentas() = default;

void FrmMvVentas::AgregoRegargo(const legacy::Variant&) {}

void FrmMvVentas::AnulacionCompleta(const legacy::Variant&, const legacy::Variant&, const legacy::Variant&,
                                    const legacy::Variant&)
{
}

void FrmMvVentas::ObtieneBorrador() {}

void FrmMvVentas::MSComm1_OnComm() {}
