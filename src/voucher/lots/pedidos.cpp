// The requests of a voucher window for the serials, lots and positions of a
// line: they fill an entry window, show it and read its lists back.
#include "voucher/clscmncptes.h"
#include "voucher/unallamada.h"

#include "core/configuracion.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/ui/msflexgrid.h"
#include "voucher/lots/frmcargalotesyseries.h"
#include "voucher/lots/frmloteyposicion.h"

#include <QLabel>

#include <functional>

using legacy::Trim;

namespace {

// The request's window is unloaded and released however the request ends.
template <class Form>
struct LiberaAlSalir {
    ui::DefaultInstance<Form>& instancia;
    ~LiberaAlSalir() { instancia.release(); }
};

legacy::ErrorTrap TrampaPedido()
{
    return legacy::ErrorTrap(QStringLiteral("PideSerieLote"), ModGlobal::gDB().errorHandler());
}

// The window filled by `llena`, loaded, labelled and shown by `muestra`;
// false when the error box left the request on the way.
template <class Form>
bool Muestra(Form& frm, legacy::ErrorTrap& trap, const std::function<void()>& llena, const QString& rotulo,
             const std::function<void()>& muestra)
{
    trap(llena);
    trap([&] { frm.CargaDatos(); });
    trap([&] { frm.lblArticulo->setText(rotulo); });
    trap(muestra);
    return !trap.left();
}

// The two lists an entry window hands back, trimmed: the accepted ones, or
// after a cancel the line's earlier ones.
void Devuelve(legacy::ErrorTrap& trap, bool aceptado, const QString& uno, const QString& unoAnt, QString& unoNvo,
              const QString& otro, const QString& otroAnt, QString& otroNvo, bool* Aceptado)
{
    trap([&] {
        unoNvo = Trim(aceptado ? uno : unoAnt);
        otroNvo = Trim(aceptado ? otro : otroAnt);
        if (Aceptado) *Aceptado = aceptado;
    });
}

// A request of one entry window for a line's two lists: none for a zero
// quantity; else the window filled by `llena`, shown modal, and its lists
// `uno` and `otro` handed back.
template <class Form>
void PideDosListas(ui::DefaultInstance<Form>& frm, double Cantidad, const QString& rotulo,
                   const std::function<void()>& llena, QString Form::*uno, const QString& unoAnt, QString& unoNvo,
                   QString Form::*otro, const QString& otroAnt, QString& otroNvo, bool* Aceptado)
{
    if (Aceptado) *Aceptado = false;
    if (Cantidad == 0) {
        unoNvo.clear();
        otroNvo.clear();
        return;
    }
    LiberaAlSalir<Form> libera{frm};
    legacy::ErrorTrap trap = TrampaPedido();
    if (Muestra(*frm, trap, llena, rotulo, [&] { frm->ShowModal(); }))
        Devuelve(trap, frm->Aceptado, (*frm).*uno, unoAnt, unoNvo, (*frm).*otro, otroAnt, otroNvo, Aceptado);
}

// A request refused because another is under way answers as a cancel: the
// line's earlier lists.
void ComoCancelada(const QString& unoAnt, QString& unoNvo, const QString& otroAnt, QString& otroNvo, bool* Aceptado)
{
    unoNvo = Trim(unoAnt);
    otroNvo = Trim(otroAnt);
    if (Aceptado) *Aceptado = false;
}

// The lots and quantities lists of the grid's lines of the article, joined;
// with a deposit, only those of lines that leave from it (a line that names
// no deposit of its own counts against any).
void JuntaLotesEnGrilla(ui::MSFlexGrid* Grilla, const QString& Articulo, const QString* Deposito, QString& LotesEnGrid,
                        QString& CantidadesEnGrid)
{
    LotesEnGrid.clear();
    CantidadesEnGrid.clear();
    if (!Grilla) throw legacy::VbError(91);
    auto junta = [](QString& juntos, const QString& celda) { juntos += juntos.isEmpty() ? celda : celda.mid(1); };
    for (long r = 1; r < Grilla->Rows(); ++r) {
        if (legacy::StrComp(Grilla->TextMatrix(r, 0), Articulo, legacy::vbTextCompare) != 0) continue;
        const QString deposito = Trim(Grilla->TextMatrix(r, 6));
        if (Deposito && !deposito.isEmpty() &&
            legacy::StrComp(kapores2::Funciones::RellenaCodigo(deposito, 4), *Deposito, legacy::vbTextCompare) != 0)
            continue;
        junta(LotesEnGrid, Grilla->TextMatrix(r, 24));
        junta(CantidadesEnGrid, Grilla->TextMatrix(r, 25));
    }
}

}  // namespace

void ClsCmnCptes::PideSerieLote(const QString& Articulo, double Cantidad, const QString& SerieAnt,
                                const QString& LoteAnt, QString& SerieNvo, QString& LoteNvo, bool Serie, bool Lote,
                                bool Talle, bool* Aceptado)
{
    const UnaLlamada turno(*this, nullptr);
    if (!turno.concedida())
        return ComoCancelada(SerieAnt, SerieNvo, LoteAnt, LoteNvo, Aceptado);
    auto& frm = lots::frmCargaLotesySeries();
    PideDosListas(
        frm, Cantidad, Articulo,
        [&] {
            frm->Cantidad = Cantidad;
            frm->EsSerie = Serie;
            frm->EsLote = Lote;
            frm->EsTalle = Talle;
            frm->Articulo = Articulo;
            frm->SeriesAnteriores = SerieAnt;
            frm->LotesAnteriores = LoteAnt;
        },
        &lots::FrmCargaLotesySeries::Series, SerieAnt, SerieNvo, &lots::FrmCargaLotesySeries::Lotes, LoteAnt, LoteNvo,
        Aceptado);
}

void ClsCmnCptes::PideSerieLote_Salidas(ui::MSFlexGrid* Grilla, const QString& Articulo, const QString& Descripcion,
                                        double& Cantidad, const QString& SeriesLoteAnt, const QString& CantidadANT,
                                        QString& SeriesLoteNvo, QString& CantidadesNvo, bool Lote, bool Serie,
                                        bool Talle, QString* Deposito, bool MostrarForm, bool* Aceptado)
{
    const UnaLlamada turno(*this, Grilla);
    if (!turno.concedida())
        return ComoCancelada(SeriesLoteAnt, SeriesLoteNvo, CantidadANT, CantidadesNvo, Aceptado);
    if (Aceptado) *Aceptado = false;
    QString sinDeposito;
    QString& deposito = Deposito ? *Deposito : sinDeposito;
    legacy::ErrorTrap trap = TrampaPedido();
    trap([&] {
        QString aux;
        if (deposito.isEmpty()) deposito = ModGlobal::Cfg(QStringLiteral("DepositoDefault"), aux, QStringLiteral("DATOS"));
    });
    if (trap.left() || Cantidad == 0) return;
    auto& frm = lots::frmCargaLotesySeries();
    LiberaAlSalir<lots::FrmCargaLotesySeries> libera{frm};
    trap([&] {
        frm->Cantidad = Cantidad;
        frm->Articulo = Articulo;
        frm->EsConsultaDeSerieLote = true;
        frm->EsLote = Lote;
        frm->EsSerie = Serie;
        frm->EsTalle = Talle;
        frm->Deposito = kapores2::Funciones::RellenaCodigo(Trim(deposito), 4);
        frm->Lotes = SeriesLoteAnt;
        frm->Series = CantidadANT;
    });
    trap([&] { JuntaLotesEnGrilla(Grilla, Articulo, &frm->Deposito, frm->LotesExistentes, frm->SeriesExistentes); });
    const bool mostrada = Muestra(
        *frm, trap, [&] {}, Articulo + QStringLiteral(" - ") + Descripcion, [&] {
            frm->MostrarForm = MostrarForm;
            if (MostrarForm)
                frm->ShowModal();
            else
                frm->CmdAceptar_Click();
        });
    if (!mostrada) return;
    // The window's lists: the accepted ones, or after a cancel the earlier
    // ones it was given.
    trap([&] {
        SeriesLoteNvo = frm->Lotes;
        CantidadesNvo = frm->Series;
        Cantidad = frm->Cantidad;
        if (Aceptado) *Aceptado = frm->Aceptado;
    });
}

void ClsCmnCptes::CuentaLotesEnGrilla(ui::MSFlexGrid* Grilla, const QString& Articulo, QString& LotesEnGrid,
                                      QString& CantidadesEnGrid)
{
    JuntaLotesEnGrilla(Grilla, Articulo, nullptr, LotesEnGrid, CantidadesEnGrid);
}

void ClsCmnCptes::PidePosicionLote(const QString& Articulo, const QString& IdUnidad, double Cantidad,
                                   const QString& Deposito, const QString& PosicionAnt, const QString& LoteAnt,
                                   QString& PosicionNVO, QString& LoteNvo, bool Posicion, bool Lote, bool* Aceptado)
{
    const UnaLlamada turno(*this, nullptr);
    if (!turno.concedida())
        return ComoCancelada(PosicionAnt, PosicionNVO, LoteAnt, LoteNvo, Aceptado);
    auto& frm = lots::frmLoteyPosicion();
    PideDosListas(
        frm, Cantidad, Articulo,
        [&] {
            frm->Cantidad1 = Cantidad;
            frm->EsConsultaDePosicionLote = !PosicionAnt.isEmpty() || !LoteAnt.isEmpty();
            frm->EsPosicion = Posicion;
            frm->EsLote = Lote;
            frm->IUNIDAD = IdUnidad;
            frm->Articulo = Articulo;
            frm->Deposito = Deposito;
            frm->PosicionesAnteriores = PosicionAnt;
            frm->LotesAnteriores = LoteAnt;
        },
        &lots::FrmLoteyPosicion::Posiciones, PosicionAnt, PosicionNVO, &lots::FrmLoteyPosicion::Lotes, LoteAnt, LoteNvo,
        Aceptado);
}
