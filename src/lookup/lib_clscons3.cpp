#include "lookup/lib_clscons3.h"

#include "core/configuracion.h"
#include "core/lanzador.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/lib_frmcons3tree.h"
#include "lookup/textos.h"
#include "platform/ado/recordset.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/textfile.h"
#include "platform/ui/companions.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/listview.h"

#include <QPushButton>

using legacy::ErrorTrap;
using legacy::Trim;
using legacy::Variant;

namespace lookup {

namespace {

constexpr Qt::CaseSensitivity sinCaso = Qt::CaseInsensitive;

Variant Nivel(const char* clave)
{
    const QString v = ModGlobal::Cfg(QString::fromLatin1(clave));
    return v.isEmpty() ? Variant(0) : Variant(v);
}

}  // namespace

Lib_ClsCons3::Lib_ClsCons3()
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("Class_Initialize"));
    CmpsDevueltos = std::make_shared<legacy::Collection>();
    Valores = std::make_shared<legacy::Collection>();
    trap([&] { MuestraStock = ModGlobal::Cfg(QStringLiteral("MostrarStockenConsultas")); });
    trap([&] { StkNivel1 = Nivel("Stk_Nivel1"); });
    trap([&] { StkNivel2 = Nivel("Stk_Nivel2"); });
    trap([&] { StkNivel3 = Nivel("Stk_Nivel3"); });
    trap([&] { StkNivel4 = Nivel("Stk_Nivel4"); });
    trap([&] { usaLike_ = db_texto::EsSi(ModGlobal::Cfg(QStringLiteral("UsaConsultaLike"))); });
}

Lib_ClsCons3::~Lib_ClsCons3()
{
    CmpsDevueltos.reset();
    Valores.reset();
}

void Lib_ClsCons3::ConsultaSearch(const QString& sql, ColeccionPtr* CmpsDevueltosArg, const QString& Clave,
                                  QString* CampoBusqueda, QString* Where, const QString& SentenciaOpcional,
                                  bool TreeView, const QString& ValoresDefault)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("ConsultaSearch"));
    QString where = Where ? *Where : QString();
    QString campo = CampoBusqueda ? *CampoBusqueda : QString();
    QString consulta = sql;
    int n = 1000;

    trap([&] { where = EntreParentesis(where); });
    trap([&] { n = LimiteFilas(ModGlobal::Cfg(QStringLiteral("TopConsArt"))); });

    bool porColumnas = false;
    if (sql.contains(QStringLiteral("SELECT"), sinCaso)) {
        trap([&] { consulta = ConsultaSelect(sql, where); });
    } else if (gUsarMascarasConsultas) {
        // A definitions file that is gone is read as one that does not list
        // the table: the query is built from the table's columns.
        std::optional<Definicion> d;
        trap([&] { d = BuscaDefinicion(gRutaMascaraConsultas, sql); });
        if (d) {
            QString armada;
            trap([&] { armada = ConsultaDefinicion(*d, n, campo, where); });
            if (armada.isEmpty()) {
                ui::MsgBox(QStringLiteral("Debe configurar la consulta para esta tabla"), ui::vbInformation,
                           QStringLiteral("Aviso al operador"));
                if (Where) *Where = where;
                return;
            }
            consulta = armada;
        } else {
            porColumnas = true;
        }
    } else {
        porColumnas = true;
    }

    if (porColumnas) {
        if (!SentenciaOpcional.isEmpty()) {
            consulta = SentenciaOpcional;
        } else {
            QString campos;
            campo.clear();
            if (!ListaFija(sql, campos, campo)) {
                trap([&] {
                    DB_Dll& db = ModGlobal::gDB();
                    std::shared_ptr<ado::Recordset> rs;
                    db.AbrirRecordset(QStringLiteral("select top 1 * from ") + sql, rs, nullptr, 0, 1, -1, true);
                    QStringList columnas;
                    for (int i = 0; i < rs->Fields().Count(); ++i) columnas << rs->Fields(i).Name();
                    db.CierraRecordset(rs);
                    campos = ListaDeColumnas(sql, columnas, campo);
                });
            }
            trap([&] { consulta = ConsultaColumnas(sql, campos, n, campo, where); });
        }
    }
    if (Where) *Where = where;
    if (CampoBusqueda) *CampoBusqueda = campo;

    ColeccionPtr cmps = CmpsDevueltosArg ? *CmpsDevueltosArg : nullptr;
    if (TreeView) {
        Lib_FrmCons3Tree& arbol = *frmCons3Tree();
        trap([&] { arbol.sql = consulta; });
        trap([&] { arbol.CampoDevuelto = CampoDevuelto; });
        trap([&] { arbol.CheckBoxes = Checks; });
        trap([&] { Valores.reset(); });
        trap([&] { arbol.ShowModal(); });
        trap([&] { ValorDevuelto = arbol.ValorDevuelto; });
        trap([&] { Valores = arbol.Valores; });
        Checks = false;
    } else {
        Lib_FrmCons3& lista = *frmCons3();
        trap([&] {
            lista.StkNivel1 = StkNivel1;
            lista.StkNivel2 = StkNivel2;
            lista.StkNivel3 = StkNivel3;
            lista.StkNivel4 = StkNivel4;
            lista.MuestraStock = MuestraStock;
            lista.CfgUsaConsultaLIKE = usaLike_;
            lista.OrdenarPorLwv = !consulta.contains(QStringLiteral("ORDER BY"), sinCaso);
            lista.FiltroInicial = Clave;
            lista.CampoBusqueda = campo;
        });
        trap([&] {
            if (gConnString.isEmpty()) gConnString = ModGlobal::gDB().gConnString;
        });
        trap([&] {
            lista.sql = consulta;
            lista.gConnString = gConnString;
            lista.CampoDevuelto = CampoDevuelto;
            lista.CheckBoxes = Checks;
            lista.UsaCantidades = UsaCantidades;
            lista.ValoresDefault = ValoresDefault;
        });
        trap([&] {
            Valores.reset();
            Cantidades.reset();
            lista.CmpsDevueltos = cmps;
            lista.Valores = Valores;
            lista.Cantidades = Cantidades;
        });
        // The earlier ticks are cleared and the rows of ValoresDefault ticked
        // again: clearing alone would drop the defaults the load ticked.
        trap([&] {
            if (!Checks) return;
            lista.Load();
            ui::ListItems& items = lista.ListView1->ListItems();
            for (int i = 1; i <= items.Count(); ++i) items.Item(i).setChecked(false);
            lista.MarcaPorDefecto();
        });
        trap([&] { lista.ShowModal(); });
        Checks = false;
        trap([&] {
            Valores = lista.Valores;
            Cantidades = lista.Cantidades;
            ValorDevuelto = lista.ValorDevuelto;
            lista.CampoDevuelto.clear();
        });
    }

    CampoDevuelto.clear();
    trap([&] {
        if (cmps)
            while (cmps->Count() > 0) cmps->Remove(1);
    });
    if (CmpsDevueltosArg) CmpsDevueltosArg->reset();
    if (frmCons3().exists()) {
        frmCons3()->Valores.reset();
        frmCons3()->Cantidades.reset();
    }
    frmCons3().release();
    frmCons3Tree().release();
}

// --- option choosers --------------------------------------------------------------------

namespace {

QStringList TextosDeOpciones(const legacy::VariantList& Opc)
{
    legacy::VariantList lista = Opc;
    if (!Opc.isEmpty() && Opc.first().IsArray()) {
        lista.clear();
        lista = Opc.first().array().items;
    }
    QStringList textos;
    for (const Variant& v : lista) {
        QString t;
        try {
            t = v.toString();
        } catch (const legacy::VbError&) {
        }
        textos << t;
    }
    return textos;
}

}  // namespace

QString Lib_ClsCons3::Elige(const QString& Titulo, const QStringList& opciones, Chooser tipo)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("Elige"));
    const bool conChecks = tipo == Chooser::Checks;
    Lib_FrmCons3& f = *frmCons3();
    QString resultado;
    trap([&] { f.Load(); });
    trap([&] { f.setWindowTitle(Titulo); });
    trap([&] { f.CmdNueva->hide(); });
    trap([&] {
        f.OrdenarPorLwv = true;
        f.sql.clear();
        f.gConnString.clear();
        f.CampoDevuelto = Titulo;
        f.CheckBoxes = conChecks;
        // A blank title names no column the accept returns; the one column
        // is then named as a collected one, whose cell the accept returns
        // when CampoDevuelto is blank, so the pick is not lost.
        if (!conChecks && Trim(Titulo).isEmpty()) {
            f.CmpsDevueltos = std::make_shared<legacy::Collection>();
            f.CmpsDevueltos->Add(Titulo);
        }
    });
    trap([&] { f.ListView1->setCheckboxes(conChecks); });
    trap([&] { (*f.CmbSearch)(0).setWidth(long(f.ListView1->Width())); });
    trap([&] {
        f.ListView1->ColumnHeaders().Clear();
        f.ListView1->ColumnHeaders().Add(0, QString(), Titulo, f.ListView1->Width());
    });
    long largo = long(Titulo.size());
    // Every option is listed, a single one too.
    for (const QString& opcion : opciones) {
        trap([&] {
            ui::ListItem& item = f.ListView1->ListItems().Add();
            item.setText(conChecks ? opcion.mid(1) : opcion);
            if (conChecks && opcion.startsWith(u'1')) item.setChecked(true);
            largo = std::max(largo, long(opcion.size()));
        });
    }
    // Never narrower than the buttons, the title and the options need.
    trap([&] { f.FijaAnchoMinimo(QStringList(opciones) << Titulo); });
    trap([&] {
        const double ancho = double(largo) * 120;
        const double pantalla = Lib_FrmCons3::AnchoPantalla();
        f.resize(std::max(1, ui::twipsToPixels(std::llround(std::min(ancho, pantalla) - 120))), f.height());
        f.Form_Resize();
    });
    trap([&] { f.ShowModal(); });
    trap([&] {
        if (conChecks) Valores = f.Valores;
        else resultado = f.ValorDevuelto.toString();
    });
    frmCons3().release();
    return resultado;
}

QString Lib_ClsCons3::CheckOpciones(const QString& Titulo, const ColeccionPtr&, const legacy::VariantList& Opc)
{
    Elige(Titulo, TextosDeOpciones(Opc), Chooser::Checks);
    return {};
}

QString Lib_ClsCons3::MenuOpciones(const QString& Titulo, const legacy::VariantList& Opc)
{
    return Elige(Titulo, TextosDeOpciones(Opc), Chooser::Menu);
}

QString Lib_ClsCons3::ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo, const QString&)
{
    if (!ModGlobal::ExisteArchivo(QueArchivo)) {
        ui::MsgBox(QStringLiteral("No existe el archivo ") + QueArchivo + QStringLiteral(" que desea consultar consulta "),
                   ui::vbOKOnly);
        return {};
    }
    // A file that cannot be read after the test gives an empty list.
    QStringList lineas;
    try {
        lineas = legacy::ReadLines(QueArchivo);
    } catch (const legacy::VbError&) {
    }
    return Elige(Titulo, lineas, Chooser::Archivo);
}

void InstalaConsulta()
{
    ModGlobal::setConsultaFactory([] { return std::make_shared<Lib_ClsCons3>(); });
}

Lib_ClsCons3& Consulta()
{
    InstalaConsulta();
    if (auto* completa = dynamic_cast<Lib_ClsCons3*>(&ModGlobal::gConsulta())) return *completa;
    // A plain object made before the factory: its settings go to the new one.
    const ::Lib_ClsCons3 viejo = ModGlobal::gConsulta();
    ModGlobal::ResetConsulta();
    auto& nueva = dynamic_cast<Lib_ClsCons3&>(ModGlobal::gConsulta());
    nueva.gConnString = viejo.gConnString;
    nueva.gUsarMascarasConsultas = viejo.gUsarMascarasConsultas;
    nueva.gRutaMascaraConsultas = viejo.gRutaMascaraConsultas;
    return nueva;
}

}  // namespace lookup
