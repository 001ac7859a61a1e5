#pragma once
// Lib_FrmCons3 "Consulta...": the list lookup window. The caller sets the
// public variables (its contract with Lib_ClsCons3) and shows it modally;
// the load runs `sql`, builds one column and one search box per field and
// one row per result row, applies the saved column widths and sizes itself
// to the columns. The user searches (typing in a box or in the list), sorts
// by a header, checks rows and enters quantities; accept and cancel hide the
// window, leaving the results in ValorDevuelto, Valores and Cantidades.
//
// Sizes are twips. The window's Width and Height in the layout rules are
// its outer size as the old runtime measured it: the client area plus a
// border of 120 twips across and a title bar and border of 400 twips down.
#include "platform/legacy/collection.h"
#include "platform/legacy/variant.h"
#include "platform/ui/modalform.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTreeView;

namespace ui {
class ColumnHeader;
class ComboBoxArray;
class HScrollBar;
class ListItem;
class ListView;
}  // namespace ui

namespace ado {
class Recordset;
}

class Lib_FrmCons3 : public ui::ModalForm {
    Q_OBJECT
public:
    explicit Lib_FrmCons3(QWidget* parent = nullptr);
    ~Lib_FrmCons3() override;

    // --- public variables (the contract), in their order ---------------------
    legacy::Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4;  // stock level colours
    QString MuestraStock;            // "SI": article rows are coloured by stock
    QString sql;                     // the statement; empty: the caller fills the list
    QString CampoDevuelto;           // header of the returned column
    std::shared_ptr<legacy::Collection> CmpsDevueltos;  // headers collected on accept
    bool CheckBoxes = false;
    QString gConnString;             // handed in, not used by the load
    legacy::Variant ValorDevuelto;
    QString FiltroInicial;           // first text of search box 0
    QString CampoBusqueda;           // kept, not read
    bool OrdenarPorLwv = false;      // the list keeps itself sorted
    std::shared_ptr<legacy::Collection> Valores;
    std::shared_ptr<legacy::Collection> Cantidades;
    bool UsaCantidades = false;      // Insert, Delete, Shift+Insert edit "**Cantidad**"
    QString ValoresDefault;          // values whose rows start checked; "@10" widens
    bool CfgUsaConsultaLIKE = false; // F5 searches anywhere in the column
    bool GrabarCfg = false;          // save the column widths on unload
    bool UsarUDBC = false;           // read on ModGlobal::gDB3

    // --- controls ---------------------------------------------------------------
    QLabel* Label1 = nullptr;
    QPushButton* CmdTodos = nullptr;    // "&Marcar"
    QPushButton* CmdNuevo = nullptr;    // "N&uevo"
    QFrame* Frame1 = nullptr;
    QPushButton* CmdAceptar = nullptr;  // "&Aceptar"
    QPushButton* CmdCancelar = nullptr; // "&Cancelar"
    QPushButton* CmdNueva = nullptr;    // "&Nueva Busqueda"
    QWidget* picFields = nullptr;
    std::unique_ptr<ui::ComboBoxArray> CmbSearch;  // element i over column i + 1
    ui::HScrollBar* HScroll1 = nullptr;
    ui::ListView* ListView1 = nullptr;
    QLabel* lblFieldName = nullptr;
    QMenu* MNU_Emergente = nullptr;     // no operation opens it
    QAction* MNU_Llena = nullptr;
    QAction* MNU_Separador = nullptr;
    QAction* MNU_Cancelar = nullptr;

    // --- loading and layout -------------------------------------------------------
    // The load again on the same window (F5, "&Nueva Busqueda", the date sort).
    void Recarga() { Form_Load(); }
    void Encolumnar();
    void Leer(long Cdesde, int Cuantas);
    void CalcularAncho();
    void Form_Resize();
    // With CheckBoxes, ticks every row whose CampoDevuelto value occurs in
    // ValoresDefault, as the load does (other ticks are left as they are).
    void MarcaPorDefecto();

    // --- searching, sorting, returning ---------------------------------------------
    long Busqueda(long Clave, const QString& QueValor);
    int IndiceColumna(const QString& Columna);
    void OrdenarPorFecha(const QString& Cual);
    void CmbSearch_Change(int Index);
    void CmbSearch_Click(int Index) { CmbSearch_Change(Index); }
    void ListView1_ColumnClick(ui::ColumnHeader& ColumnHeader);
    void ListView1_KeyDown(int& KeyCode, int Shift);
    void ListView1_DblClick() { CmdAceptar_Click(); }
    void HScroll1_Change();
    void CmdAceptar_Click();

    // --- keys and commands ------------------------------------------------------------
    void CmbSearch_GotFocus(int Index);
    void CmbSearch_LostFocus(int Index);
    void CmbSearch_KeyDown(int Index, int& KeyCode, int Shift);
    void cmdCancelar_Click();
    void CmdNueva_Click();
    void CmdNuevo_Click();
    void CmdTodos_Click();
    void Form_KeyDown(int& KeyCode, int Shift);

    // --- private state, readable for the lookup class and for tests ------------------
    bool EsConsultaArticulos() const { return esConsultaArticulos_; }
    const QString& TablaConsulta() const { return tablaConsulta_; }
    const QString& SentenciaOriginal() const { return sentenciaOriginal_; }
    int IndiceBusqueda() const { return indiceBusqueda_; }

    // The screen width in twips that the window sizes itself against.
    static double AnchoPantalla();

    // The narrowest outer width (twips) at which the title, the buttons and
    // the option texts show whole in the fonts in use.
    double AnchoMinimo() const;
    // Makes AnchoMinimo the window's minimum width: it is never made
    // narrower (a wider size stays). `textos` (the option texts, in the
    // list's font with a check box's room) join those given before.
    void FijaAnchoMinimo(const QStringList& textos = {});

protected:
    void changeEvent(QEvent* event) override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreaControles();
    void LeerAnchos();
    void GrabarAnchos();
    QString Celda(ui::ListItem& item, int posicion) const;
    int ColumnaCantidad();
    void ConectaBuscador(int index);
    // Each search box above its column, as far as the panel shows it: the
    // columns scrolled by the list's own offset, a box cut at the panel's
    // edge and hidden when its column is out of view.
    void PonCajas();
    void PonCaja(int index, double left, double width);

    bool esConsultaArticulos_ = false;
    QString sentenciaOriginal_;
    QString sentenciaBase_;
    QString sentenciaOrden_;
    QString tablaConsulta_;
    int indiceBusqueda_ = 0;
    std::vector<bool> recortada_;  // per search box: its field is a char or varchar text, compared trimmed by F5
    std::shared_ptr<ado::Recordset> rsConsulta_;
    QString textoTecla_;      // the text of the key being handled in the list
    std::map<int, std::pair<double, double>> cajas_;  // box -> its left and width over the columns (twips)
    QTreeView* filas_ = nullptr;  // the list's rows, scrolled sideways by HScroll1
    bool disponiendo_ = false;
    // The heights (twips) of the rows in the font in use: the title row, its
    // buttons and title, the search boxes, the bar's buttons and the bar.
    struct Alturas {
        double fila = 0, botonFila = 0, titulo = 0, caja = 0, boton = 0, frame = 0;
        // what they took beyond the design, in the window's height
        double crece() const;
    };
    Alturas AlturasDeFuente() const;
    // The window grows by what the rows took beyond those it grew for.
    void CreceAlto();
    double crecido_ = 0;
    double anchoTextos_ = 0;  // the widest option text, twips
    // The buttons of the bar are alike: as wide as designed, or as the
    // widest of their captions needs; those of the title row likewise.
    double AnchoBotones() const;
    double AnchoBoton(QPushButton* b, double disenio) const;
};

namespace lookup {

// The window's default instance.
ui::DefaultInstance<Lib_FrmCons3>& frmCons3();

}  // namespace lookup
