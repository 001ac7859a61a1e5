#pragma once
// Lib_FrmCons3Tree "Consulta...": the tree lookup window for hierarchical
// code tables (families, positions, cost centres, accounts). The family
// builder composes its own statement and takes each family's parent from
// it; the general builder runs `sql` and puts each row under the longest
// code already in the tree that begins its own code. Typing finds a node,
// F5 narrows the statement, a check marks the whole branch below; accept
// and cancel hide the window with the results in ValorDevuelto / Valores.
#include "platform/legacy/collection.h"
#include "platform/legacy/variant.h"
#include "platform/ui/modalform.h"

#include <QHash>
#include <QString>

#include <memory>

class QFrame;
class QLabel;
class QMenu;
class QAction;
class QPushButton;

namespace ado {
class Recordset;
}
namespace legacy {
class ErrorTrap;
}
namespace ui {
class ComboBoxArray;
class Node;
class TreeView;
}  // namespace ui

class Lib_FrmCons3Tree : public ui::ModalForm {
    Q_OBJECT
public:
    explicit Lib_FrmCons3Tree(QWidget* parent = nullptr);
    ~Lib_FrmCons3Tree() override;

    // --- public variables (the contract), in their order ---------------------
    QString sql;
    QString CampoDevuelto;  // "IDFAMILIA", "IDPOSICION" or "CODIGO"
    std::shared_ptr<legacy::Collection> CmpsDevueltos;
    bool CheckBoxes = false;
    QString gConnString;
    legacy::Variant ValorDevuelto;
    QString FiltroInicial;
    QString CampoBusqueda;
    bool OrdenarPorLwv = false;
    std::shared_ptr<legacy::Collection> Valores;
    std::shared_ptr<legacy::Collection> Cantidades;
    bool UsaCantidades = false;

    // --- controls ---------------------------------------------------------------
    ui::TreeView* TreeV = nullptr;
    std::unique_ptr<ui::ComboBoxArray> CmbSearch;
    QLabel* lblFieldName = nullptr;
    QWidget* picFields = nullptr;
    QFrame* Frame1 = nullptr;
    QPushButton* CmdNueva = nullptr;
    QPushButton* CmdCancelar = nullptr;
    QPushButton* CmdAceptar = nullptr;
    QMenu* MNU_Emergente = nullptr;
    QAction* MNU_Llena = nullptr;
    QAction* MNU_Separador = nullptr;
    QAction* MNU_Cancelar = nullptr;

    void Recarga() { Form_Load(); }
    void ArmarTreeVFamilias();
    void ArmarTreeVAutomatico();
    void CmdNueva_Click();
    void CmbSearch_KeyDown(int Index, int& KeyCode, int Shift);
    void CmbSearch_Change(int Index);
    void CmbSearch_Click(int Index) { CmbSearch_Change(Index); }
    void TreeV_NodeCheck(ui::Node& Node);
    void TreeV_DblClick() { CmdAceptar_Click(); }
    void CmdAceptar_Click();
    void cmdCancelar_Click();

protected:
    void changeEvent(QEvent* event) override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

private:
    void CreaControles();
    // Every control at its designed place, grown to the font in use.
    void Disponer();
    void ComienzoComun();
    bool EsFamilias() const;
    // Opens `sql` and runs `porFila` on each row, one step of `trap` per row,
    // reading the recordset in place; nothing when it has no rows or fewer
    // than `campos` fields. False once the routine has been left.
    bool RecorreFilas(legacy::ErrorTrap& trap, int campos, void (Lib_FrmCons3Tree::*porFila)(ado::Recordset&));
    // One row of each builder, under its parent.
    void FilaFamilia(ado::Recordset& rs);
    void FilaAutomatica(ado::Recordset& rs);
    // Adds the node under `padre` (the root when it is not in the tree);
    // raises 35602 when its key (`mayusculas` in capitals) is already there.
    void Agrega(ui::Node* padre, const QString& clave, const QString& mayusculas, const QString& texto);

    // The node of a key in capitals (of equal keys the first): the tree's
    // own for a key written in capitals, else claves_.
    ui::Node* Busca(const QString& mayusculas) const;

    QHash<QString, ui::Node*> claves_;  // keys with small letters: in capitals -> their node
    ui::Node* ultimo_ = nullptr;        // the node added last
    quint64 largos_ = 0;                // bit n: some node's key is n long (n < 64)
};

namespace lookup {

ui::DefaultInstance<Lib_FrmCons3Tree>& frmCons3Tree();

}  // namespace lookup
