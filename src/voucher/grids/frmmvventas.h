#pragma once
// FrmMvVentas: the sales-entry window's placeholder. It carries the controls
// and public members of a sales-entry window; every member accepts its
// arguments and does nothing, and nothing in the program creates or shows it.
#include "platform/legacy/variant.h"

#include <QWidget>

#include <memory>

namespace ui {
class MSComm;
class MSFlexGrid;
class Toolbar;
}  // namespace ui

class FrmMvVentas : public QWidget {
    Q_OBJECT
public:
    explicit FrmMvVentas(QWidget* parent = nullptr);
    ~FrmMvVentas() override;

    // --- controls ----------------------------------------------------------
    ui::MSFlexGrid* MSFlexGrid1 = nullptr;  // font "MS Sans Serif"
    ui::MSFlexGrid* MSFlexGrid2 = nullptr;
    ui::MSFlexGrid* MSFlexGrid3 = nullptr;
    ui::Toolbar* tbarimp = nullptr;
    std::unique_ptr<ui::MSComm> MSComm1;    // its onComm is MSComm1_OnComm

    // --- public members (they do nothing) ------------------------------------
    void AgregoRegargo(const legacy::Variant& cualquierimporte);
    void AnulacionCompleta(const legacy::Variant& TC, const legacy::Variant& Sucursal, const legacy::Variant& Numero,
                           const legacy::Variant& Letra);
    void ObtieneBorrador();

private:
    void MSComm1_OnComm();
};
