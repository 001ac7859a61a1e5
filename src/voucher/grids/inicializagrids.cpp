// ClsCmnCptes::InicializaGrids: the voucher facts from the database and the
// configuration, the layouts of diseno.cpp written into the window's grids.
#include "voucher/clscmncptes.h"

#include "core/cargaconfiguracion.h"
#include "core/configuracion.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/program.h"
#include "platform/ui/fitting.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/textwidth.h"
#include "voucher/grids/comun.h"
#include "voucher/grids/diseno.h"

#include <QLineEdit>
#include <QWidget>

using legacy::Trim;

namespace {

using db_texto::EsSi;

QString Cfg(const char* clave)
{
    return ModGlobal::Cfg(QString::fromLatin1(clave));
}

// The system of the voucher type: its V_TA_CPTE row, else sales ("STOCK"
// in the stock program).
QString SistemaDelTipo(const QString& TC)
{
    const QString sql = QStringLiteral("SELECT Sistema FROM V_TA_CPTE with(nolock) WHERE CODIGO = '") +
                        ModGlobal::DuplicaApostrofes(kapores2::Funciones::RellenaCodigo(Trim(TC), 4)) +
                        QStringLiteral("'");
    std::shared_ptr<ado::Recordset> rs;
    ModGlobal::gDB().AbrirRecordset(sql, rs, nullptr, 0, 1, -1, true);
    if (grillas::Objeto(rs.get()).Bof()) {
        if (legacy::App().exeName.compare(QLatin1String("V_MV_STOCK"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("STOCK");
        return QStringLiteral("Ventas");
    }
    return Trim(kapores2::Funciones::ValorNoNulo(rs->Fields("Sistema")).toString());
}

// Writes a layout into a grid: size, row-0 texts, widths, alignments.
void Aplica(ui::MSFlexGrid& g, const grillas::DisenoGrilla& d)
{
    g.Clear();
    if (d.alineaSeleccion) {
        g.setFillStyle(ui::flexFillRepeat);
        g.setCellAlignment(ui::flexAlignLeftTop);
        g.setFillStyle(ui::flexFillSingle);
    }
    if (d.tamanoFuente)
        g.setFontSize(*d.tamanoFuente);
    g.setRows(d.filas);
    g.setCols(d.cols());
    for (int c = 0; c < d.cols(); ++c) {
        const grillas::ColumnaDiseno& col = d.columnas[std::size_t(c)];
        if (col.texto)
            g.setTextArray(c, *col.texto);
        if (col.ancho)
            g.setColWidth(c, long(*col.ancho));
        if (col.izquierda)
            g.setColAlignment(c, ui::flexAlignLeftCenter);
    }
    if (d.refresca)
        g.Refresh();
}

}  // namespace

void ClsCmnCptes::InicializaGrids(ui::MSFlexGrid* MSFlexGrid1, ui::MSFlexGrid* MSFlexGrid2,
                                  ui::MSFlexGrid* MSFlexGrid3, QLineEdit* TxtEdit, QLineEdit* txtEdit2,
                                  QLineEdit* txtEdit3, QWidget* /*obj*/, const QString& TC, ui::MSFlexGrid* MSFlexGrid4)
{
    grillas::HechosComprobante h;
    h.tc = TC;
    h.sistema = SistemaDelTipo(TC);
    grillas::SwitchesDeTipo(h, Cfg("PideDepositoEnCptes"), [] { return Cfg("NoMostrarImportesEnOT"); });
    // Each grid is measured in the font it draws its cells in (the article
    // grid at its own size), not in the form's: the form passed measures
    // nothing.
    const auto medidaEn = [](const QFont& fuente) {
        return grillas::Medida{[fuente](const QString& texto) { return double(ui::TextWidth(texto, fuente)); },
                               double(ui::CellWidth(QString(), fuente))};
    };

    if (MSFlexGrid1) {
        Aplica(*MSFlexGrid1, grillas::DisenoTareas(h, medidaEn(MSFlexGrid1->font())));
        grillas::Objeto(TxtEdit).setVisible(false);
    }

    h.tituloCodigo = grillas::TituloCodigo(Cfg("NombreArticulos"));

    if (MSFlexGrid2) {
        grillas::SwitchesArticulos s;
        s.listaPorItem = EsSi(Cfg("V_ListaPreciosPorItemArticulos"));
        s.confirmaUD = EsSi(Cfg("ConfirmaUDEquiv"));
        s.dtoVentas = EsSi(Cfg("V_DescuentoPorArticulos"));
        s.dtoCompras = EsSi(Trim(Cfg("ComprasDescuentoPorArticulo")));
        s.combustibles = EsSi(Cfg("TransporteCombustibles"));
        s.maderera = ModGlobal::EsMaderera;
        s.entregadoMostrador = EntregadoMostrador;
        QFont fuente = MSFlexGrid2->font();
        fuente.setPointSizeF(grillas::kFuenteArticulos);
        Aplica(*MSFlexGrid2, grillas::DisenoArticulos(h, s, medidaEn(fuente), double(MSFlexGrid2->Width())));
        if (txtEdit2)
            txtEdit2->setVisible(false);
    }

    if (MSFlexGrid3) {
        grillas::Objeto(txtEdit3).setText(QString());
        Aplica(*MSFlexGrid3, grillas::DisenoOtrosConceptos(h, medidaEn(MSFlexGrid3->font())));
    }

    if (MSFlexGrid4)
        Aplica(*MSFlexGrid4, grillas::DisenoTotales(medidaEn(MSFlexGrid4->font())));
}
