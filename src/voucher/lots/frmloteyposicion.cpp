// The positions and lots window: the stock per position and lot, the
// deposit's stock without position, the earlier lists or a proposal, the
// editing of the quantities and the lists it hands back.
#include "voucher/lots/frmloteyposicion.h"

#include "core/estilos.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "numbering/stock.h"
#include "platform/ado/recordset.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/ui/companions.h"
#include "platform/ui/msflexgrid.h"
#include "voucher/clscmncptes.h"

#include <QLabel>
#include <QPushButton>

using legacy::Trim;
using kapores2::Funciones;

namespace lots {

namespace {
using db_texto::Iguales;
}  // namespace

ui::DefaultInstance<FrmLoteyPosicion>& frmLoteyPosicion()
{
    static ui::DefaultInstance<FrmLoteyPosicion> instancia;
    return instancia;
}

FrmLoteyPosicion::FrmLoteyPosicion()
{
    setObjectName(QStringLiteral("FrmLoteyPosicion"));
    setWindowTitle(QStringLiteral("Posiciones"));
    Dispone(
        640, QStringLiteral("&Aceptar"), [this] { CmdAceptar_Click(); }, [this] { cmdCancelar_Click(); },
        [this](long indice) { Toolbar1_ButtonClick(indice); });
    Toolbar1->Buttons().Add(QStringLiteral("Proponer"), QStringLiteral("Proponer"),
                            QStringLiteral("Proponer Automaticamente"));
}

void FrmLoteyPosicion::Form_Load()
{
    Funciones::PreparaFormulario(this, false);
    ModGlobal::AsignaIconoFormulario(this);
    AjustaAFuente();
}

void FrmLoteyPosicion::CargaDatos()
{
    Load();
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("CargaDatos"));
    trap([&] { EsPosicionYLote = EsPosicion && EsLote; });
    trap([&] {
        const QString dep = Deposito + QStringLiteral(")");
        if (EsPosicionYLote)
            setWindowTitle(QStringLiteral("Posiciones y Lotes (Deposito: ") + dep);
        else if (EsPosicion)
            setWindowTitle(QStringLiteral("Posiciones (Deposito: ") + dep);
        else if (EsLote)
            setWindowTitle(QStringLiteral("Números de Lote (Deposito: ") + dep);
    });
    trap([&] { lblArticulo->setText(MayusculaInicial(ArticuloDescripcion)); });
    trap([&] { InicializaGrid(); });
    trap([&] { VerificaAnteriores(); });
    trap([&] {
        MSFlexGrid1->setRow(MSFlexGrid1->Rows() - 1);
        MSFlexGrid1->setCol(4);
    });
    trap([&] { AjustaAnchoColumnas(); });
}

void FrmLoteyPosicion::InicializaGrid()
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    g.Clear();
    g.setCols(5);
    if (!EsPosicion) return;
    g.setTextMatrix(0, 0, QStringLiteral("POSICION"));
    if (EsLote) g.setTextMatrix(0, 1, QStringLiteral("LOTE"));
    g.setTextMatrix(0, 2, QStringLiteral("UNIDAD"));
    g.setTextMatrix(0, 3, QStringLiteral("DISPONIBLE"));
    g.setTextMatrix(0, 4, QStringLiteral("CANT."));
    g.setRows(1);
    g.setColAlignment(0, ui::flexAlignCenterTop);
    g.setColAlignment(1, ui::flexAlignCenterTop);
    if (!EsLote) g.setColWidth(1, 0);
}

void FrmLoteyPosicion::LlenaFilas(bool conLotes)
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    const QString articulo = Funciones::RellenaCodigo(Articulo, 25);
    const QString sql =
        QStringLiteral("SELECT AC_SALDOSLAYOUT.idposicion,") +
        (conLotes ? QStringLiteral("AC_SALDOSLAYOUT.nrolote,") : QString()) +
        QStringLiteral("AC_SALDOSLAYOUT.idunidadbase, isnull(AC_SALDOSLAYOUT.saldo,0) as disponible FROM "
                       "AC_SALDOSLAYOUT, ma_posiciones WHERE  ac_saldoslayout.iddeposito=ma_posiciones.iddeposito and "
                       "ac_saldoslayout.idposicion=ma_posiciones.idposicion and  ac_saldoslayout.IDDEPOSITO='") +
        ModGlobal::DuplicaApostrofes(Funciones::RellenaCodigo(Deposito, 4)) +
        QStringLiteral("' and ac_saldoslayout.idarticulo='") + ModGlobal::DuplicaApostrofes(articulo) +
        QStringLiteral("' and ac_saldoslayout.saldo > 0 order by "
                       "ac_saldoslayout.nrolote,ma_posiciones.ordeningreso,ac_saldoslayout.idposicion  ");
    std::shared_ptr<ado::Recordset> rs;
    ModGlobal::gDB().AbrirRecordset(sql, rs, nullptr, 0, 1, -1, true);
    while (!rs->Eof()) {
        const long r = g.Rows();
        g.setRows(r + 1);
        g.setTextMatrix(r, 0, Trim(Funciones::ValorNoNulo(rs->Fields("idposicion").Value()).toString()));
        if (conLotes) g.setTextMatrix(r, 1, Trim(Funciones::ValorNoNulo(rs->Fields("nrolote").Value()).toString()));
        g.setTextMatrix(r, 2, IUNIDAD);
        g.setTextMatrix(r, 3, TextoCantidad(EnUnidadDeLinea(articulo, rs->Fields("idunidadbase").Value(),
                                                            rs->Fields("disponible").Value())));
        if (conLotes) g.setTextMatrix(r, 4, QStringLiteral("0"));
        rs->MoveNext();
    }
    ModGlobal::gDB().CierraRecordset(rs);
}

double FrmLoteyPosicion::EnUnidadDeLinea(const QString& articulo, const legacy::Variant& unidadBase,
                                         const legacy::Variant& saldo) const
{
    const QString base = Funciones::RellenaCodigo(Funciones::ValorNoNulo(unidadBase).toString(), 4);
    // The balance is a quantity of the base unit and is shown in the line's
    // unit: it is that quantity given in the base unit and taken back into
    // IUNIDAD (36 UN are 3 boxes of 12), and stays as it is when the two
    // units have no equivalence.
    return Stock::ConvierteCantidadUnidadInversa(articulo, IUNIDAD, Funciones::TextoADoble(Funciones::ValorNoNulo(saldo)),
                                                 base);
}

void FrmLoteyPosicion::AgregaFilaDeposito()
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    const QString articulo = Funciones::RellenaCodigo(Articulo, 25);
    std::shared_ptr<ado::Recordset> rs;
    ModGlobal::gDB().AbrirRecordset(
        QStringLiteral("SELECT (ISNULL(SALDO,0)) AS SALDO, IDUNIDADBASE FROM AC_SALDOSLAYOUT WHERE IDDEPOSITO='") +
            ModGlobal::DuplicaApostrofes(Funciones::RellenaCodigo(Deposito, 4)) + QStringLiteral("' AND IDARTICULO='") +
            ModGlobal::DuplicaApostrofes(articulo) + QStringLiteral("' and idposicion is null"),
        rs, nullptr, 0, 1, -1, true);
    if (rs->Eof()) {
        ModGlobal::gDB().CierraRecordset(rs);
        return;
    }
    // Every balance row without position counts (one per lot and unit),
    // each converted to the line's unit like the rows above it.
    double saldo = 0;
    while (!rs->Eof()) {
        saldo += EnUnidadDeLinea(articulo, rs->Fields("IDUNIDADBASE").Value(), rs->Fields("SALDO").Value());
        rs->MoveNext();
    }
    ModGlobal::gDB().CierraRecordset(rs);
    const long r = g.Rows();
    g.setRows(r + 1);
    g.setTextMatrix(r, 0, QStringLiteral("DEPOSITO ") + Deposito);
    g.setTextMatrix(r, 1, QString());
    g.setTextMatrix(r, 2, IUNIDAD);
    g.setTextMatrix(r, 3, TextoCantidad(saldo));
    // "0", as the proposal starts from; a window opened again with its
    // earlier lists shows, with positions only, a figure only from an item
    // of the row's own, as the position rows above it.
    g.setTextMatrix(r, 4, EsPosicionYLote || !EsConsultaDePosicionLote ? QStringLiteral("0") : QString());
    filaDeposito_ = r;
}

void FrmLoteyPosicion::DescomponeAnteriores(const QString& Posicion_Lote, const QString& PIPELotes,
                                            QStringList& ArrPosiciones, QStringList& ArrCantidades,
                                            QStringList& ArrLote)
{
    ClsCmnCptes::DescomponePosicionCantidadLote(Posicion_Lote, PIPELotes, ArrPosiciones, ArrCantidades, ArrLote);
}

void FrmLoteyPosicion::VerificaAnteriores()
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    filaDeposito_ = 0;
    if (EsConsultaDePosicionLote) {
        QStringList posiciones, cantidades, lotes;
        DescomponeAnteriores(PosicionesAnteriores, LotesAnteriores, posiciones, cantidades, lotes);
        LlenaFilas(EsPosicionYLote);
        AgregaFilaDeposito();
        // A position holding two lots gives two rows of one position (and a
        // lot with two balance rows at one position two rows of one position
        // and lot): each earlier item goes back to its own row. An item without position is the stock
        // without position: it goes to the DEPOSITO row, and is dropped when
        // the deposit has none; so is an item whose row is gone.
        const QList<long> filas =
            FilasDeItems(1, g.Rows(), posiciones.size() - 1, [&](long r, qsizetype i) {
                return r != filaDeposito_ && !posiciones[i].isEmpty() && Iguales(g.TextMatrix(r, 0), posiciones[i]) &&
                       (!EsPosicionYLote || Iguales(g.TextMatrix(r, 1), lotes.value(i)));
            });
        for (qsizetype i = 0; i < filas.size(); ++i) {
            const long r = posiciones[i].isEmpty() ? filaDeposito_ : filas[i];
            if (r > 0) g.setTextMatrix(r, 4, cantidades.value(i));
        }
        return;
    }
    if (!EsPosicion) return;
    LlenaFilas(EsPosicionYLote);
    AgregaFilaDeposito();
    ProponeCantidades();
}

void FrmLoteyPosicion::ProponeCantidades()
{
    ProponeDesdeStock(3);
}

void FrmLoteyPosicion::MueveTrasEnter(ui::MSFlexGrid& g)
{
    const long ultima = Iguales(g.Name(), QStringLiteral("msflexgrid1")) ? 4 : 0;
    if (g.Col() == ultima) {
        if (g.Row() < g.Rows() - 1)
            g.setRow(g.Row() + 1);
        else
            CmdAceptar->setFocus();
        if (EsPosicionYLote) g.setCol(4);
    } else if (EsPosicionYLote) {
        g.setCol(g.Col() + 1);
    }
}

QString FrmLoteyPosicion::ControlaCantidad(double Q)
{
    const double disponible = LeeCantidad(MSFlexGrid1->TextMatrix(MSFlexGrid1->Row(), 3));
    if (Redondea4(Q) > Redondea4(disponible))
        return QStringLiteral("No hay disponible para esa posicion");
    return {};
}

void FrmLoteyPosicion::Toolbar1_ButtonClick(long indice)
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    switch (indice) {
    case 1:
    case 2: {
        if (g.Col() != 4) return;
        const QString valor = indice == 1 ? Trim(g.Text()) : QStringLiteral("0");
        for (long r = g.Row() + 1; r < g.Rows(); ++r) g.setTextMatrix(r, 4, valor);
        break;
    }
    case 3:
        g.setRow(0);
        for (long r = 1; r < g.Rows(); ++r) g.setTextMatrix(r, 4, QStringLiteral("0"));
        ProponeCantidades();
        g.setRow(g.Rows() - 1);
        g.setCol(4);
        break;
    default:
        break;
    }
}

QString FrmLoteyPosicion::ArmaListaGrilla(bool posiciones) const
{
    const ui::MSFlexGrid& g = *MSFlexGrid1;
    QString lista(u'|');
    for (long r = 1; r < g.Rows(); ++r) {
        const QString cantidad = Trim(g.TextMatrix(r, 4));
        if (cantidad.isEmpty() || cantidad == QStringLiteral("0")) continue;
        // Only the DEPOSITO row stands for the stock without position; a real
        // position in the last row keeps its position and lot.
        const QString clave = r == filaDeposito_ ? QString() : Trim(g.TextMatrix(r, posiciones ? 0 : 1));
        lista += posiciones ? clave + u'*' + cantidad + u'|' : clave + u'|';
    }
    return lista;
}

void FrmLoteyPosicion::CmdAceptar_Click()
{
    if (!ControlaSuma(MostrarForm,
                      QStringLiteral("La suma de cantidades informadas es Menor a la cantidad solicitada ")))
        return;
    if (EsPosicionYLote) {
        Posiciones = ArmaListaGrilla(true);
        Lotes = ArmaListaGrilla(false);
    } else if (EsPosicion) {
        Posiciones = ArmaListaGrilla(true);
    }
    Aceptado = true;
    hide();
}

void FrmLoteyPosicion::cmdCancelar_Click()
{
    hide();
}

}  // namespace lots
