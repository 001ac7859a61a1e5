#include "lookup/lib_frmcons3tree.h"

#include "core/tratamientoerrores.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "lookup/textos.h"
#include "lookup/twips.h"
#include "platform/ado/recordset.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/ui/colors.h"
#include "platform/ui/companions.h"
#include "platform/ui/controlsupport.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fitting.h"
#include "platform/ui/keys.h"
#include "platform/ui/treeview.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QStringBuilder>

using kapores2::Funciones;
using legacy::ErrorTrap;
using legacy::Trim;
using legacy::Variant;

using lookup::PonTwips;

namespace {

constexpr Qt::CaseSensitivity sinCaso = Qt::CaseInsensitive;

// texto.startsWith(inicio, Qt::CaseInsensitive), without the general
// comparison while both are plain ASCII (codes are).
bool EmpiezaCon(const QString& texto, const QString& inicio)
{
    if (inicio.size() > texto.size()) return false;
    const QChar* a = texto.constData();
    const QChar* b = inicio.constData();
    for (qsizetype i = 0; i < inicio.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x == y) continue;
        if (x >= 0x80 || y >= 0x80) return texto.startsWith(inicio, sinCaso);
        if (x >= u'A' && x <= u'Z') x += u'a' - u'A';
        if (y >= u'A' && y <= u'Z') y += u'a' - u'A';
        if (x != y) return false;
    }
    return true;
}

using lookup::TextoNoNulo;

// clave.toUpper(), without the general mapping for plain ASCII.
QString Mayusculas(const QString& clave)
{
    for (QChar c : clave)
        if (c.unicode() >= 0x80 || (c >= u'a' && c <= u'z')) return clave.toUpper();
    return clave;
}

}  // namespace

Lib_FrmCons3Tree::Lib_FrmCons3Tree(QWidget* parent) : ui::ModalForm(parent)
{
    CreaControles();
}

Lib_FrmCons3Tree::~Lib_FrmCons3Tree() = default;

void Lib_FrmCons3Tree::CreaControles()
{
    setObjectName(QStringLiteral("Lib_FrmCons3Tree"));
    setWindowTitle(QStringLiteral("Consulta..."));
    picFields = new QWidget(this);
    CmbSearch = std::make_unique<ui::ComboBoxArray>(picFields);
    (*CmbSearch)(0).setToolTipText(QStringLiteral("F5 realiza nueva busqueda"));
    lblFieldName = new QLabel(picFields);
    lblFieldName->hide();
    TreeV = new ui::TreeView(picFields);
    TreeV->setObjectName(QStringLiteral("TreeV"));
    TreeV->setHideSelection(false);

    Frame1 = new QFrame(this);
    Frame1->setFrameShape(QFrame::StyledPanel);
    CmdAceptar = new QPushButton(QStringLiteral("&Aceptar"), Frame1);
    CmdCancelar = new QPushButton(QStringLiteral("&Cancelar"), Frame1);
    CmdNueva = new QPushButton(QStringLiteral("&Nueva Busqueda"), Frame1);
    move(0, 0);
    Disponer();

    MNU_Emergente = new QMenu(this);
    MNU_Llena = MNU_Emergente->addAction(QStringLiteral("Llenar Con Posibles Valores"));
    MNU_Separador = MNU_Emergente->addSeparator();
    MNU_Cancelar = MNU_Emergente->addAction(QStringLiteral("Cancelar"));

    connect(CmdAceptar, &QPushButton::clicked, this, [this] { CmdAceptar_Click(); });
    connect(CmdCancelar, &QPushButton::clicked, this, [this] { cmdCancelar_Click(); });
    connect(CmdNueva, &QPushButton::clicked, this, [this] { CmdNueva_Click(); });
    TreeV->onNodeCheck = [this](ui::Node& n) { TreeV_NodeCheck(n); };
    TreeV->onDblClick = [this] { TreeV_DblClick(); };
    CmbSearch->onChange = [this](int i) { CmbSearch_Change(i); };
    CmbSearch->onClick = [this](int i) { CmbSearch_Click(i); };
    CmbSearch->onKeyDown = [this](int i, int& k, int s) { CmbSearch_KeyDown(i, k, s); };
}

// The window keeps its designed layout: a size change moves nothing. Where
// the font in use needs more room than the design gives, each row grows to
// the font's height (the search box to its text and frame, a button to its
// caption), the tree and the bar of buttons move down by as much, and a
// button grows to its caption's width, the buttons right of it moving right
// so that none covers another; the panel, its search box and tree widen
// with the bar, and the window grows by what its contents took.
void Lib_FrmCons3Tree::Disponer()
{
    PonTwips(picFields, 60, 60, 5880, 6120);
    PonTwips(&(*CmbSearch)(0), 0, 0, 5880, 315);
    PonTwips(TreeV, 0, 375, 5880, 5745);
    PonTwips(Frame1, 60, 6240, 5880, 855);
    PonTwips(CmdAceptar, 120, 240, 1335, 375);
    PonTwips(CmdCancelar, 2272, 240, 1335, 375);
    PonTwips(CmdNueva, 3945, 240, 1815, 375);
    const int alto = ui::GrowRowsToFont(*this);
    const int ancho = ui::GrowColumnsToCaptions(*this);
    for (QWidget* w : {picFields, static_cast<QWidget*>(&(*CmbSearch)(0)), static_cast<QWidget*>(TreeV)})
        w->resize(w->width() + ancho, w->height());
    resize(ui::twipsToPixels(6000) + ancho, ui::twipsToPixels(7200) + alto);
}

void Lib_FrmCons3Tree::changeEvent(QEvent* event)
{
    ui::ModalForm::changeEvent(event);
    if (event->type() == QEvent::FontChange && CmdNueva) Disponer();
}

bool Lib_FrmCons3Tree::EsFamilias() const
{
    return sql.contains(QStringLiteral("v_ta_familias"), sinCaso);
}

void Lib_FrmCons3Tree::Form_Load()
{
    ErrorTrap trap(QStringLiteral("FORM_LOAD"), &ModGlobal::ManejadorErrores);
    if (!trap([&] { Valores = std::make_shared<legacy::Collection>(); })) return;
    if (!trap([&] { TreeV->Nodes().Clear(); })) return;
    if (!trap([&] { TreeV->setCheckboxes(CheckBoxes); })) return;
    trap([&] {
        if (EsFamilias()) ArmarTreeVFamilias();
        else ArmarTreeVAutomatico();
    });
}

void Lib_FrmCons3Tree::Form_Unload(int&)
{
    try {
        TreeV->Nodes().Clear();
        claves_.clear();
        largos_ = 0;
    } catch (const legacy::VbError& e) {
        ui::MsgBox(e.Description, ui::vbCritical, QStringLiteral("Aviso al Operador"));
    }
}

void Lib_FrmCons3Tree::ComienzoComun()
{
    TreeV->Nodes().Clear();
    claves_.clear();
    TreeV->setLineStyle(ui::tvwRootLines);
    TreeV->setStyle(ui::tvwTreelinesPlusMinusPictureText);
    ui::Node& raiz = TreeV->Nodes().Add(nullptr, ui::tvwLast, QStringLiteral("A"), QStringLiteral("Consulta..."));
    raiz.setExpanded(true);
    largos_ = quint64(1) << 1;
    ultimo_ = &raiz;
}

bool Lib_FrmCons3Tree::RecorreFilas(ErrorTrap& trap, int campos, void (Lib_FrmCons3Tree::*porFila)(ado::Recordset&))
{
    DB_Dll& db = ModGlobal::gDB();
    std::shared_ptr<ado::Recordset> rs;
    const auto cierra = qScopeGuard([&] {
        try {
            db.CierraRecordset(rs);
        } catch (const legacy::VbError&) {
        }
    });
    if (!trap([&] { db.AbrirRecordset(sql, rs, db.gCnn, 0, 1, -1, true); })) return false;
    bool hay = false;
    if (!trap([&] { hay = rs && !rs->Eof() && rs->Fields().Count() >= campos; })) return false;
    if (!hay) return true;
    // One step per row, holding only what fits in the step without an
    // allocation.
    struct Paso {
        Lib_FrmCons3Tree* ventana;
        ado::Recordset* rs;
        void (Lib_FrmCons3Tree::*porFila)(ado::Recordset&);
    } paso{this, rs.get(), porFila};
    for (; !rs->Eof(); rs->MoveNext())
        if (!trap([p = &paso] { (p->ventana->*p->porFila)(*p->rs); })) return false;
    return true;
}

ui::Node* Lib_FrmCons3Tree::Busca(const QString& mayusculas) const
{
    // A key written in capitals is its own; the tree finds it.
    if (ui::Node* nodo = TreeV->Nodes().find(mayusculas)) return nodo;
    return claves_.value(mayusculas);
}

void Lib_FrmCons3Tree::Agrega(ui::Node* padre, const QString& clave, const QString& mayusculas, const QString& texto)
{
    // A code that is already in the tree, in any capitals (two rows with one
    // code), fails as a key that is not unique; the builder's error box
    // decides whether the rest is built. A key written in capitals is looked
    // for by the tree itself as it adds the node.
    const bool enMayusculas = clave == mayusculas;
    if (claves_.contains(mayusculas) || (!enMayusculas && TreeV->Nodes().find(mayusculas)))
        throw legacy::VbError(ui::errKeyNotUnique, QStringLiteral("La clave no es única en la colección"));
    if (!padre) padre = TreeV->Nodes().find(QStringLiteral("A"));
    ui::Node* nodo = &TreeV->Nodes().Add(padre, ui::tvwChild, clave, texto);
    if (!enMayusculas) claves_.insert(mayusculas, nodo);
    ultimo_ = nodo;
    largos_ |= mayusculas.size() < 64 ? quint64(1) << mayusculas.size() : 0;
}

void Lib_FrmCons3Tree::FilaAutomatica(ado::Recordset& rs)
{
    const QString codigo = TextoNoNulo(rs.Fields(0).Value());
    const QString clave = QString(u'A' % codigo);
    const QString mayusculas = Mayusculas(clave);
    // The parent is the longest key already in the tree that begins this
    // key (the root "A" begins every key; of equal keys the first). Rows in
    // code order find it on the chain of the node added last; only longer
    // keys than that one are then looked up.
    ui::Node* padre = ultimo_;
    while (padre && !EmpiezaCon(clave, padre->Key())) padre = padre->Parent();
    const int desde = padre ? int(padre->Key().size()) : 0;
    for (int largo = int(clave.size()) - 1; largo > desde; --largo) {
        if (largo < 64 && !(largos_ & (quint64(1) << largo))) continue;  // no key that long
        if (ui::Node* otro = Busca(QString::fromRawData(mayusculas.constData(), largo))) {
            padre = otro;
            break;
        }
    }
    Agrega(padre, clave, mayusculas,
           QString(codigo % QStringLiteral(" - ") % TextoNoNulo(rs.Fields(1).Value())));
}

void Lib_FrmCons3Tree::ArmarTreeVFamilias()
{
    ErrorTrap trap(QStringLiteral("ArmarTreeVAutomatico"), &ModGlobal::ManejadorErrores);
    if (!trap([&] { ComienzoComun(); })) return;
    // The family statement is written once; F5 narrows it from then on (a
    // rebuild that wrote it again would drop the condition just added).
    if (!trap([&] {
            if (!sql.contains(QStringLiteral("[relative]"), sinCaso)) sql = lookup::SentenciaFamilias();
        }))
        return;
    RecorreFilas(trap, 3, &Lib_FrmCons3Tree::FilaFamilia);
}

void Lib_FrmCons3Tree::FilaFamilia(ado::Recordset& rs)
{
    const QString codigo = rs.Fields(0).Value().toString();
    const Variant relativo = rs.Fields(2).Value();
    // A parent left out of a narrowed statement: under the root.
    ui::Node* padre = relativo.IsNull() ? nullptr : TreeV->Nodes().find(QStringLiteral("A") + relativo.toString());
    const QString clave = QStringLiteral("A") + codigo;
    Agrega(padre, clave, Mayusculas(clave),
           codigo + QStringLiteral(" - ") + Funciones::ValorNoNulo(rs.Fields(1).Value()).toString());
}

void Lib_FrmCons3Tree::ArmarTreeVAutomatico()
{
    ErrorTrap trap(QStringLiteral("ArmarTreeVAutomatico"), &ModGlobal::ManejadorErrores);
    if (!trap([&] { ComienzoComun(); })) return;
    RecorreFilas(trap, 2, &Lib_FrmCons3Tree::FilaAutomatica);
}

void Lib_FrmCons3Tree::CmdNueva_Click()
{
    // A new search of the families starts from their whole tree again: the
    // conditions F5 added to the family statement go.
    if (EsFamilias()) {
        sql = lookup::SentenciaFamilias();
        ArmarTreeVFamilias();
    } else {
        ArmarTreeVAutomatico();
    }
}

void Lib_FrmCons3Tree::CmbSearch_KeyDown(int Index, int& KeyCode, int)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("CmbSearch_KeyDown"));
    if (KeyCode == ui::vbKeyF1 + 4) {
        trap([&] { (*CmbSearch)(Index).setTag(QStringLiteral("Descripcion")); });
        trap([&] { sql = lookup::FiltroArbol(sql, (*CmbSearch)(Index).Text()); });
        trap([&] { (*CmbSearch)(Index).setText(QString()); });
        trap([&] { Form_Load(); });
        return;
    }
    if (KeyCode == ui::vbKeyDown || KeyCode == ui::vbKeyUp || KeyCode == ui::vbKeyPageDown || KeyCode == ui::vbKeyPageUp)
        trap([&] { TreeV->SetFocus(); });
}

void Lib_FrmCons3Tree::CmbSearch_Change(int Index)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("CmbSearch_Change"));
    QString buscado;
    trap([&] { buscado = (*CmbSearch)(Index).Text(); });
    trap([&] {
        ui::Nodes& nodos = TreeV->Nodes();
        for (int i = 1; i <= nodos.Count(); ++i) {
            ui::Node& nodo = nodos.Item(i);
            if (lookup::NodoCoincide(nodo.Key(), nodo.Text(), buscado)) {
                TreeV->setSelectedItem(&nodo);
                nodo.EnsureVisible();
                return;
            }
        }
    });
}

void Lib_FrmCons3Tree::TreeV_NodeCheck(ui::Node& Node)
{
    // Every level below follows the clicked node.
    std::vector<ui::Node*> pendientes{&Node};
    while (!pendientes.empty()) {
        ui::Node* n = pendientes.back();
        pendientes.pop_back();
        for (ui::Node* hijo = n->Child(); hijo; hijo = hijo->Next()) {
            hijo->setChecked(n->Checked());
            pendientes.push_back(hijo);
        }
    }
}

void Lib_FrmCons3Tree::CmdAceptar_Click()
{
    ErrorTrap trap(QStringLiteral("HScroll1_Change"), &ModGlobal::ManejadorErrores);
    DB_Dll& db = ModGlobal::gDB();
    const QString pedido = CampoDevuelto.toUpper();
    // The stored field of the row of `tabla` whose `campo` is the code.
    auto busca = [&](const char* tabla, const char* campo, const QString& codigo, Variant& valor) {
        std::shared_ptr<ado::Recordset> rs;
        if (!db.ExisteEnTabla(QString::fromLatin1(tabla), codigo, QString::fromLatin1(campo), &rs, 8, QString(), true))
            return false;
        valor = Funciones::ValorNoNulo(rs->Fields(CampoDevuelto).Value());
        db.CierraRecordset(rs);
        return true;
    };
    if (CheckBoxes) {
        trap([&] {
            ui::Nodes& nodos = TreeV->Nodes();
            for (int i = 1; i <= nodos.Count(); ++i) {
                ui::Node& nodo = nodos.Item(i);
                if (!nodo.Checked()) continue;
                const QString codigo = nodo.Key().mid(1);
                Variant valor;
                if (pedido == u"IDFAMILIA" || pedido == u"CODIGO") Valores->Add(Trim(codigo));
                else if (pedido == u"IDPOSICION" && busca("MA_POSICIONES", "IDPOSICION", codigo, valor))
                    Valores->Add(valor);
            }
        });
    } else {
        // Nothing selected fails like any other accept: the error box
        // decides (Ignore goes on with an empty code, Abort leaves the
        // window open).
        QString codigo;
        if (!trap([&] {
                ui::Node* nodo = TreeV->SelectedItem();
                if (!nodo) throw legacy::VbError(91);
                codigo = nodo->Key().mid(1);
            }))
            return;
        trap([&] {
            Variant valor = QString();
            if (pedido == u"IDFAMILIA") {
                busca("@admin_V_TA_FAMILIAS", "IDFAMILIA", codigo, valor);
            } else if (pedido == u"IDPOSICION") {
                busca("MA_POSICIONES", "IDPOSICION", codigo, valor);
            } else if (pedido == u"CODIGO") {
                if (!busca("TA_CCOSTO", "CODIGO", codigo, valor)) busca("MA_CUENTAS", "CODIGO", codigo, valor);
            } else {
                return;
            }
            ValorDevuelto = valor;
        });
    }
    hide();
}

void Lib_FrmCons3Tree::cmdCancelar_Click()
{
    ValorDevuelto = QString();
    CmpsDevueltos.reset();
    Valores.reset();
    hide();
}

namespace lookup {

ui::DefaultInstance<Lib_FrmCons3Tree>& frmCons3Tree()
{
    // Never destroyed: the window may outlive the application object.
    static auto* instancia = new ui::DefaultInstance<Lib_FrmCons3Tree>();
    return *instancia;
}

}  // namespace lookup
