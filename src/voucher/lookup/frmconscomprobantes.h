#pragma once
// FrmConsComprobantes, "Consulta de Comprobantes": the voucher class's modal
// voucher picker. The opening member (ClsCmnCptes::ConsultaComprobante) sets
// TC (a voucher type or a mode word such as "RM/PENDIENTES") and Filtro,
// shows the window, and reads NroComprobante, IdComplemento and Proveedor
// back once it is unloaded. The load lists the matching vouchers; the user
// picks one (or, for purchase orders, checks several) and accepts.
#include "platform/ado/recordset.h"
#include "platform/ui/modalform.h"
#include "voucher/lookup/sentencias.h"

#include <QString>

#include <memory>

class QLineEdit;
class QPushButton;

namespace ui {
class ImageList;
class ListView;
class ListItem;
class ColumnHeader;
}  // namespace ui

class FrmConsComprobantes : public ui::ModalForm {
    Q_OBJECT
public:
    explicit FrmConsComprobantes(QWidget* parent = nullptr);
    ~FrmConsComprobantes() override;

    // --- public variables, in the window's order ---------------------------
    QString Filtro;          // the caller's SQL condition ("" for none)
    QString TC;              // type or mode word; the query leaves the plain type here
    QString NroComprobante;  // the answer; several numbers joined by "," for purchase orders
    QString IdComplemento;
    QString Proveedor;

    // --- controls ---------------------------------------------------------------
    ui::ListView* ListView1 = nullptr;
    QPushButton* CmdAceptar = nullptr;
    QPushButton* CmdCancelar = nullptr;
    QLineEdit* TxtNombre = nullptr;
    QLineEdit* TxtNumero = nullptr;
    QPushButton* CmdBuscar = nullptr;
    ui::ImageList* ImageList1 = nullptr;  // 11 images of 16 by 16, by tag
    ui::ImageList* imgTouch = nullptr;    // 1 image of 32 by 32

    // --- members --------------------------------------------------------------
    // Clears and refills the list for the current mode, Filtro and search
    // boxes. Yields after every row; when the window is closed meanwhile it
    // stops at once and touches nothing more.
    void ConsultaCptes();
    // Replaces the columns by the set of the current TC.
    void Encolumnar();
    // The 1-based index in ImageList1 of the image whose tag is `tc`
    // (trimmed, letter case ignored); the "Generico" image otherwise.
    int ObtieneIndiceImagen(const QString& tc) const;
    bool ModoTouch() const { return modoTouch_; }

    // --- events -----------------------------------------------------------------
    void CmdAceptar_Click();
    void cmdCancelar_Click();
    void CmdBuscar_Click();
    void ListView1_DblClick();
    void ListView1_KeyDown(int& KeyCode, int Shift);
    void ListView1_ColumnClick(ui::ColumnHeader& header);
    void TxtNombre_GotFocus();
    void TxtNumero_GotFocus();
    void TxtNombre_KeyPress(int& KeyAscii);
    void TxtNumero_KeyPress(int& KeyAscii);

protected:
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreaControles();
    void AjustaAFuente();
    void ConfiguraModoTouch();
    // Widens the FECHA column to its dates and the row's picture.
    void AnchoFecha();
    // The small icon a row shows for an ImageList1 index: in the touch
    // layout the one touch image stands for every index.
    int IconoPequeno(int indice) const;
    struct Llenado;  // the state of one filling (consulta.cpp)
    void LlenaFila(Llenado& llenado);

    bool modoTouch_ = false;
    bool fechaConHora_ = false;  // the column set's rows show the recording time in FECHA
    bool ModoPendientes = false;
    bool ModoTransporte = false;
    std::shared_ptr<ado::Recordset> RsConsulta;
    ui::ListItem* ItemActual = nullptr;
};

// The window's default instance: created by the first use, released by the
// opening member once it has read the answer.
ui::DefaultInstance<FrmConsComprobantes>& frmConsComprobantes();
