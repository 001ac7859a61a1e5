// The serials and lots window: its loading, the proposal of quantities from
// stock, its editing rules and the lists it hands back.
#include "voucher/lots/frmcargalotesyseries.h"

#include "core/configuracion.h"
#include "core/estilos.h"
#include "core/sqlbuilder.h"
#include "db/db_texto.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/ado/recordset.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/ui/companions.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/msflexgrid.h"
#include "voucher/clscmncptes.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>
#include <cmath>

using legacy::Trim;
using kapores2::Funciones;

namespace lots {

namespace {
const QString kChr255 = QString(QChar(0x00FF));
}

ui::DefaultInstance<FrmCargaLotesySeries>& frmCargaLotesySeries()
{
    static ui::DefaultInstance<FrmCargaLotesySeries> instancia;
    return instancia;
}

FrmCargaLotesySeries::FrmCargaLotesySeries()
{
    setObjectName(QStringLiteral("FrmCargaLotesySeries"));
    setWindowTitle(QStringLiteral("Numeros de Serie"));
    Dispone(
        600, QStringLiteral("F2 &Aceptar"), [this] { CmdAceptar_Click(); }, [this] { cmdCancelar_Click(); },
        [this](long indice) { Toolbar1_ButtonClick(indice); });
    // Form_KeyDown: F2 accepts from anywhere in the window.
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(f2, &QShortcut::activated, this, [this] { CmdAceptar_Click(); });
}

void FrmCargaLotesySeries::Form_Load()
{
    Funciones::PreparaFormulario(this, false);
    ModGlobal::AsignaIconoFormulario(this);
    AjustaAFuente();
    FormatoSerieAsterisco = db_texto::EsSi(ModGlobal::Cfg(QStringLiteral("ART_FormatoSerieAsterisco")));
}

void FrmCargaLotesySeries::CargaDatos()
{
    Load();
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("CargaDatos"));
    trap([&] { EsSerieYLote = EsSerie && EsLote; });
    trap([&] {
        const QString dep = Deposito + QStringLiteral(")");
        if (EsTalle) {
            setWindowTitle(QStringLiteral("Talles, Colores, Sexo (Deposito: ") + dep);
            // Sizes with lots are handled as serials only.
            if (EsSerieYLote) EsSerieYLote = EsLote = false;
        } else if (EsSerieYLote) {
            setWindowTitle(QStringLiteral("Números de Lote y Serie (Deposito: ") + dep);
        } else if (EsSerie) {
            setWindowTitle(QStringLiteral("Números de Serie (Deposito: ") + dep);
        } else if (EsLote) {
            setWindowTitle(QStringLiteral("Números de Lote (Deposito: ") + dep);
        }
    });
    trap([&] { lblArticulo->setText(MayusculaInicial(ArticuloDescripcion)); });
    trap([&] { InicializaGrid(); });
    trap([&] { VerificaAnteriores(); });
    trap([&] { VerificaExistenciasEnGrilla(); });
    trap([&] { AjustaAnchoColumnas(); });
}

void FrmCargaLotesySeries::InicializaGrid()
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    if (EsConsultaDeSerieLote) {
        g.Clear();
        g.setCols(4);
        g.setFixedCols(2);
        g.setTextMatrix(0, 0, EsTalle ? QStringLiteral("TALLE-COLOR-SEXO") : QStringLiteral("LOTE"));
        g.setTextMatrix(0, 1, QStringLiteral("SERIE"));
        g.setTextMatrix(0, 2, QStringLiteral("CANT. STOCK"));
        g.setTextMatrix(0, 3, QStringLiteral("CANT. "));
        g.setColWidth(1, AnchoX(25));
        g.setColWidth(0, AnchoX(18));
        g.setColWidth(2, AnchoX(12));
        g.setColWidth(3, AnchoX(25));
        g.setRows(1);
        if (!EsSerie) g.setColWidth(1, 0);
        if (!EsLote) g.setColWidth(0, 0);
        g.setColAlignment(1, ui::flexAlignCenterTop);
        g.setColAlignment(0, ui::flexAlignCenterTop);
        return;
    }
    // One row per unit: a negative quantity, or one too large to enter unit
    // by unit, gets no rows and a message, and the accept leaves the line's
    // earlier lists as they were.
    SinFilas = !(Cantidad >= 0 && Cantidad <= MaximoUnidades);
    if (SinFilas) {
        g.setRows(1);
        ui::MsgBox(QStringLiteral("La Cantidad debe estar entre 0 y %1 para informar Números de Serie o de Lote")
                       .arg(MaximoUnidades, 0, 'f', 0),
                   ui::vbCritical, QStringLiteral("Aviso al Operador"));
        return;
    }
    g.setRows(long(std::nearbyint(Cantidad + 1)));
    // Lots and serials together are entered side by side, each unit's lot in
    // column 1 and its serial in column 2, and come back as the line's two
    // parallel lists; a lot typed on row 1 goes to every unit, as in lots
    // alone, while each unit gets its own serial.
    if (EntradaDoble()) {
        g.setCols(3);
        g.setTextMatrix(0, 1, QStringLiteral("Número de Lote"));
        g.setColWidth(1, AnchoX(25));
    }
    if (EsSerie) {
        g.setTextMatrix(0, ColumnaSerie(), QStringLiteral("Número de Serie"));
        g.setColWidth(ColumnaSerie(), AnchoX(25));
    }
    g.setColWidth(0, 0);
}

void FrmCargaLotesySeries::CargaListaEnColumna(const QString& lista, long col)
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    if (Trim(Funciones::QuitaCaracteres(lista, QStringLiteral("|"))).isEmpty()) return;
    QString resto = Trim(lista);
    for (int i = 0; i < 2 && resto.startsWith(u'|'); ++i) resto.remove(0, 1);
    long fila = 1;
    qsizetype desde = 0;
    qsizetype p = resto.indexOf(u'|');
    while (p >= 0 && fila < g.Rows()) {
        g.setTextMatrix(fila++, col, resto.mid(desde, p - desde));
        desde = p + 1;
        if (Trim(resto.mid(desde)).isEmpty()) break;
        p = resto.indexOf(u'|', desde);
    }
}

void FrmCargaLotesySeries::VerificaAnteriores()
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    if (!EsConsultaDeSerieLote) {
        if (EntradaDoble()) {
            CargaListaEnColumna(LotesAnteriores, 1);
            CargaListaEnColumna(SeriesAnteriores, ColumnaSerie());
        } else {
            CargaListaEnColumna(SeriesAnteriores + LotesAnteriores, 1);
        }
        return;
    }
    const QString codigo = Funciones::RellenaCodigo(Articulo, 25);
    std::shared_ptr<ado::Recordset> rs;
    ModGlobal::gDB().AbrirRecordset(
        QStringLiteral("SELECT * FROM STK_SERIES_Y_LOTES WHERE IdArticulo = '") + ModGlobal::DuplicaApostrofes(codigo) +
            QStringLiteral("' AND CANTIDAD > 0  AND IDDEPOSITO = '") + ModGlobal::DuplicaApostrofes(Deposito) +
            QStringLiteral("' ORDER BY NROLOTE, NROSERIE "),
        rs, nullptr, 0, 1, -1, true);
    bool hayStock = false;
    while (!rs->Eof()) {
        hayStock = true;
        const long r = g.Rows();
        g.setRows(r + 1);
        // Every row names its stock row by lot and serial and shows what it
        // holds, serials too: the pick is proposed and checked against it,
        // and the exit leaves from that very row.
        g.setTextMatrix(r, 0, Trim(Funciones::ValorNoNulo(rs->Fields("NroLote").Value()).toString()));
        g.setTextMatrix(r, 1, Trim(Funciones::ValorNoNulo(rs->Fields("NroSerie").Value()).toString()));
        g.setTextMatrix(r, 2, Funciones::ValorNoNulo(rs->Fields("Cantidad").Value()).toString());
        g.setTextMatrix(r, 3, QString());
        rs->MoveNext();
    }
    ModGlobal::gDB().CierraRecordset(rs);

    // Items of the earlier pick that the stock no longer holds. An item names
    // its row by lot and serial, as the accept writes it, so a pick shown and
    // accepted again comes back as it was; a missing one gets a row of its
    // own with its lot and its serial in their columns.
    QStringList items;
    ClsCmnCptes::DescomponeSerieLote(Lotes, items);
    items.removeLast();
    const auto iguales = [&](long r, qsizetype i) { return db_texto::Iguales(ClaveFila(r), items[i]); };
    const QList<long> enStock = FilasDeItems(1, g.Rows(), items.size(), iguales);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i] == kChr255 || enStock[i] > 0) continue;
        const qsizetype corte = items[i].indexOf(kChr255);
        const long r = g.Rows();
        g.setRows(r + 1);
        g.setTextMatrix(r, 0, corte < 0 ? items[i] : Trim(items[i].left(corte)));
        g.setTextMatrix(r, 1, corte < 0 ? QString() : Trim(items[i].mid(corte + 1)));
        g.setTextMatrix(r, 2, QStringLiteral("0"));
        g.setTextMatrix(r, 3, QStringLiteral("0"));
    }
    if (!hayStock) return;
    g.setRows(g.Rows() + 1);
    if (Lotes.isEmpty()) {
        CompletaCantidades();
        return;
    }
    // A list without a bar names no row.
    if (!Lotes.contains(u'|')) return;
    // Each row gets the quantity of its own item: the stock without lot and
    // the empty last row share one key, and each takes the item it wrote.
    for (long r = 1; r < g.Rows(); ++r) g.setTextMatrix(r, 3, QStringLiteral("0"));
    const QList<long> filas = FilasDeItems(1, g.Rows(), items.size(), iguales);
    for (qsizetype i = 0; i < items.size(); ++i)
        if (filas[i] > 0)
            g.setTextMatrix(filas[i], 3, TextoCantidad(LeeCantidad(ClsCmnCptes::ExtraeSerieLote(Series, long(i) + 1))));
}

QString FrmCargaLotesySeries::ClaveFila(long fila) const
{
    const ui::MSFlexGrid& g = *MSFlexGrid1;
    return Trim(g.TextMatrix(fila, 0)) + kChr255 + Trim(g.TextMatrix(fila, 1));
}

void FrmCargaLotesySeries::VerificaExistenciasEnGrilla()
{
    if (!EsConsultaDeSerieLote) return;
    ui::MSFlexGrid& g = *MSFlexGrid1;
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("VerificaExistenciasEnGrilla"));
    if (!LotesExistentes.isEmpty()) {
        trap([&] {
            QStringList items, cantidades;
            ClsCmnCptes::DescomponeSerieLote(LotesExistentes, items);
            ClsCmnCptes::DescomponeSerieLote(SeriesExistentes, cantidades);
            // What the voucher's lines take, by item: an item names its rows
            // by lot and serial together.
            QList<std::pair<QString, double>> tomado;
            const auto suma = [&](qsizetype i, double signo) {
                auto it = std::find_if(tomado.begin(), tomado.end(),
                                       [&](const auto& t) { return db_texto::Iguales(t.first, items[i]); });
                if (it == tomado.end()) it = tomado.insert(tomado.end(), {items[i], 0.0});
                it->second += signo * LeeCantidad(cantidades.value(i));
            };
            for (qsizetype i = 0; i + 1 < items.size(); ++i) suma(i, 1);
            // A line edited again is among those lines: its row of the
            // articles grid holds its earlier pick, a run of items and
            // quantities equal to it. What was taken for that run is still
            // free for this line; a pick that no row holds was never taken.
            QStringList propios, propiasCant;
            ClsCmnCptes::DescomponeSerieLote(Lotes, propios);
            ClsCmnCptes::DescomponeSerieLote(Series, propiasCant);
            const qsizetype desde = TramoPropio(items, cantidades, propios, propiasCant);
            for (qsizetype t = 0; desde >= 0 && t + 1 < propios.size(); ++t) suma(desde + t, -1);
            // Each item's take comes off the rows of its lot and serial in
            // grid order (one lot may stand on several stock rows), each row
            // giving what it holds, the last one the rest.
            for (auto& [item, resto] : tomado) {
                QList<long> filas;
                for (long r = 1; r < g.Rows(); ++r)
                    if (db_texto::Iguales(ClaveFila(r), item)) filas << r;
                for (qsizetype k = 0; k < filas.size(); ++k) {
                    const double stock = LeeCantidad(g.TextMatrix(filas[k], 2));
                    const double t = k + 1 == filas.size() ? resto : std::min(resto, std::max(0.0, stock));
                    g.setTextMatrix(filas[k], 2, TextoCantidad(Redondea4(stock - t)));
                    resto = Redondea4(resto - t);
                }
            }
        });
    }
    if (!Lotes.isEmpty()) return;
    trap([&] {
        for (long r = 1; r < g.Rows(); ++r) g.setTextMatrix(r, 3, QStringLiteral("0"));
    });
    trap([&] { ProponeCantidades(); });
}

qsizetype FrmCargaLotesySeries::TramoPropio(const QStringList& items, const QStringList& cantidades,
                                            const QStringList& propios, const QStringList& propiasCant)
{
    // Both pairs come from DescomponeSerieLote: trimmed items, and one empty
    // element after the last.
    const qsizetype n = propios.size() - 1;
    if (n <= 0) return -1;
    for (qsizetype k = 0; k + n < items.size(); ++k) {
        qsizetype t = 0;
        while (t < n && db_texto::Iguales(items[k + t], propios[t]) &&
               Redondea4(LeeCantidad(cantidades.value(k + t))) == Redondea4(LeeCantidad(propiasCant.value(t))))
            ++t;
        if (t == n) return k;
    }
    return -1;
}

void FrmCargaLotesySeries::ProponeCantidades()
{
    ProponeDesdeStock(2);
}

void FrmCargaLotesySeries::CompletaCantidades()
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    double resto = Cantidad;
    for (long r = 1; r < g.Rows(); ++r) {
        double x = Funciones::TextoADoble(legacy::Variant(g.TextMatrix(r, 2)));
        if (x > resto) x = resto;
        if (x == 0 && resto > 0) x = resto;  // a row whose stock reads 0 takes the whole rest
        resto -= x;
        g.setTextMatrix(r, 3, TextoCantidad(x));
        if (resto <= 0) break;
    }
}

bool FrmCargaLotesySeries::EsColumnaCantidad(long col) const
{
    return EsConsultaDeSerieLote && (col == 2 || col == 3);
}

void FrmCargaLotesySeries::MueveTrasEnter(ui::MSFlexGrid& g)
{
    long objetivo = 2;
    if (EsSerieYLote) objetivo = 3;
    if (EsConsultaDeSerieLote) objetivo = 3;
    if (EsSerie) objetivo = 2;
    if (g.Cols() == 2) objetivo = 1;
    if (g.Col() == objetivo) {
        if (g.Row() < g.Rows() - 1)
            g.setRow(g.Row() + 1);
        else
            g.setCol(1);
        if (EsSerieYLote) g.setCol(2);
        if (EsConsultaDeSerieLote) g.setCol(3);
    } else {
        if (EsSerieYLote && g.Col() < g.Cols() - 1) g.setCol(g.Col() + 1);
        if (EsConsultaDeSerieLote) g.setCol(3);
    }
}

QString FrmCargaLotesySeries::ControlaCantidad(double Q)
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    if (Q != std::nearbyint(Q)) return QStringLiteral("No Puede Informase Cantidades que no Sean Enteras");
    // Any row of a stock row (a lot or a serial) gives no more than it has
    // free; only the row without either, the stock without lot, is open.
    const bool deStock = !Trim(g.TextMatrix(g.Row(), 0)).isEmpty() || !Trim(g.TextMatrix(g.Row(), 1)).isEmpty();
    const double stock = LeeCantidad(g.TextMatrix(g.Row(), 2));
    if (Redondea4(Q) > Redondea4(stock) && deStock)
        return QStringLiteral("La Cantidad supera a la cantidad disponible en Stock");
    return {};
}

void FrmCargaLotesySeries::ValidaOtroCampo(CajaEdicion& Texto)
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    if (g.Row() != 1) return;
    g.setTextMatrix(1, g.Col(), Trim(Texto.Text()));
    CompletaTodoIgual();
}

void FrmCargaLotesySeries::Toolbar1_ButtonClick(long indice)
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    if (indice != 1 && indice != 2) return;
    const QString valor = indice == 1 ? Trim(g.Text()) : QString();
    for (long r = g.Row() + 1; r < g.Rows(); ++r) g.setTextMatrix(r, g.Col(), valor);
}

QString FrmCargaLotesySeries::ArmaListaGrilla(const std::function<QString(long fila)>& item) const
{
    QString lista(u'|');
    for (long r = 1; r < MSFlexGrid1->Rows(); ++r) {
        const QString t = Trim(item(r));
        lista += (t.isEmpty() ? QStringLiteral("-") : t) + u'|';
    }
    if (Trim(Funciones::QuitaCaracteres(lista, QStringLiteral("|"))).isEmpty()) lista.clear();
    return lista;
}

void FrmCargaLotesySeries::CmdAceptar_Click()
{
    ui::MSFlexGrid& g = *MSFlexGrid1;
    legacy::ErrorTrap trap(QString(), ModGlobal::gDB().errorHandler());
    bool sigue = true;
    auto celda = [&g](long c) { return [&g, c](long r) { return Trim(g.TextMatrix(r, c)); }; };
    if (EsConsultaDeSerieLote) {
        trap([&] { sigue = ControlaSuma(MostrarForm, QStringLiteral("El Stock es Menor a la cantidad solicitada ")); });
        if (!sigue || trap.left()) return;
        trap([&] {
            Lotes = ArmaListaGrilla(
                [&g](long r) { return Trim(g.TextMatrix(r, 0)) + kChr255 + Trim(g.TextMatrix(r, 1)); });
        });
        trap([&] { Series = ArmaListaGrilla(celda(3)); });
    } else if (SinFilas) {
        Series = SeriesAnteriores;
        Lotes = LotesAnteriores;
    } else {
        trap([&] { CompletaTodoIgual(); });
        if (EsSerie && FormatoSerieAsterisco) {
            trap([&] {
                for (long r = 1; r < g.Rows() && sigue; ++r) {
                    const QString s = Trim(g.TextMatrix(r, ColumnaSerie()));
                    if (!s.isEmpty() && !s.contains(u'*')) {
                        ui::MsgBox(QStringLiteral("Segun configuracion del sistema, debe informar NRODESERIE * CANTIDAD "
                                                  "\r\nVerifique la configuracion del sistema - Stock / Otros"));
                        sigue = false;
                    }
                }
            });
            if (!sigue) return;
        }
        trap([&] {
            if (EntradaDoble()) {
                Lotes = ArmaListaGrilla(celda(1));
                Series = ArmaListaGrilla(celda(ColumnaSerie()));
            } else if (EsLote) {
                Lotes = ArmaListaGrilla(celda(1));
                Series.clear();
            } else {
                Series = ArmaListaGrilla(celda(1));
                Lotes.clear();
            }
        });
    }
    if (trap.left()) return;
    Aceptado = true;
    hide();
}

void FrmCargaLotesySeries::cmdCancelar_Click()
{
    hide();
}

}  // namespace lots
