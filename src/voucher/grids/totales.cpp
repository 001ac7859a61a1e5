// The detail panels of the status bar and the totals grid of a voucher window.
#include "core/formato.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/variant.h"
#include "platform/ui/companions.h"
#include "voucher/clscmncptes.h"
#include "voucher/grids/comun.h"

#include <limits>

using kapores2::Funciones;
using legacy::Trim;

namespace {

QString Celda(const ui::MSFlexGrid& g, long col)
{
    return Trim(g.TextMatrix(g.Row(), col));
}

QString Numero(const legacy::Variant& valor)
{
    return legacy::CStr(valor);
}

constexpr std::int32_t kFilaTotal = 0xC0FFFF;   // pale yellow
constexpr std::int32_t kFilaClave = 0xC0E0FF;   // pale orange
constexpr std::int32_t kFilaFinal = 0xFF0000;   // blue

}  // namespace

void ClsCmnCptes::MuestraDetalle(const QString& Detalle, ui::StatusBar* StatB, long Columna)
{
    grillas::Objeto(StatB).Panels()(Columna).setText(Detalle);
}

void ClsCmnCptes::MuestraDetalleTareas(ui::MSFlexGrid* MSFlexGrid1, ui::StatusBar* StatB)
{
    const ui::MSFlexGrid& g = grillas::Objeto(MSFlexGrid1);
    MuestraDetalle(Celda(g, 0) + QStringLiteral(" - ") + Celda(g, 1), StatB, 4);
}

void ClsCmnCptes::MuestraDetalleOtrosConceptos(ui::MSFlexGrid* MSFlexGrid3, ui::StatusBar* StatB)
{
    MuestraDetalle(Celda(grillas::Objeto(MSFlexGrid3), 0), StatB, 4);
}

void ClsCmnCptes::MuestraDetalleArticulos(ui::MSFlexGrid* MSFlexGrid2, ui::StatusBar* StatB, long Columna)
{
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("MuestraDetalleArticulos"));
    trap([&] {
        const ui::MSFlexGrid& g = grillas::Objeto(MSFlexGrid2);
        MuestraDetalle(Celda(g, 0) + QStringLiteral(" - ") + Celda(g, 1), StatB, Columna);
    });
    long paneles = 0;
    trap([&] { paneles = grillas::Objeto(StatB).Panels().Count(); });
    for (long i = 1; i <= paneles; ++i) {
        bool esStock = false;
        trap([&] { esStock = StatB->Panels()(i).Key().compare(QLatin1String("Stock"), Qt::CaseInsensitive) == 0; });
        if (!esStock)
            continue;
        trap([&] {
            StatB->Panels()(i).setText(
                QStringLiteral("Stock: ") +
                Numero(Funciones::TextoADoble(legacy::Variant(Celda(grillas::Objeto(MSFlexGrid2), 34)))));
        });
        break;
    }
}

void ClsCmnCptes::TotalizadorControl(ui::MSFlexGrid* MSFlexGrid1, ui::MSFlexGrid* MSFlexGrid2,
                                     ui::MSFlexGrid* MSFlexGrid3, ui::MSFlexGrid* MSFlexGrid4, ui::SSTab* SSTab1,
                                     bool AbiertoPorRubro, bool AbiertoPorTipo)
{
    legacy::ErrorTrap trap(QStringLiteral("TotalizadorControl"), ModGlobal::gDB().errorHandler());
    const auto totales = [&]() -> ui::MSFlexGrid& { return grillas::Objeto(MSFlexGrid4); };
    // One row of the totals grid: written into its last row, painted, and a
    // new last row added below it.
    const auto fila = [&](const QString& c0, const QString& c1, const QString& c2, std::int32_t color) {
        long r = 0;
        trap([&] { r = totales().Rows() - 1; });
        trap([&] { totales().setTextMatrix(r, 0, c0); });
        trap([&] { totales().setTextMatrix(r, 1, c1); });
        trap([&] { totales().setTextMatrix(r, 2, c2); });
        trap([&] { PintarFila(r, MSFlexGrid4, color); });
        trap([&] { totales().setRows(totales().Rows() + 1); });
    };
    const auto visible = [&](int tab) {
        bool v = false;
        trap([&] { v = grillas::Objeto(SSTab1).TabVisible(tab); });
        return v && !trap.left();
    };
    const auto titulo = [&](int tab) {
        QString t;
        trap([&] { t = SSTab1->TabCaption(tab); });
        return t;
    };
    // The counted lines of rows 1 to Rows - 1 of a voucher grid. A line runs
    // as steps of its own: after an Ignore the line goes on with its next
    // step, the figure that failed counting as 0.
    const auto recorre = [&](ui::MSFlexGrid* g, const std::function<void(const ui::MSFlexGrid&, long)>& linea) {
        long filas = 0;
        trap([&] { filas = grillas::Objeto(g).Rows(); });
        for (long r = 1; r < filas && !trap.left(); ++r) {
            bool llena = false;
            trap([&] { llena = grillas::LineaLlena(*g, r); });
            if (llena && !trap.left())
                linea(*g, r);
        }
    };

    // Titles and one empty row: the cells a former call wrote in row 1 go too.
    trap([&] { totales().setRows(2); });
    for (long c = 0; c < 3; ++c)
        trap([&] { totales().setTextMatrix(1, c, QString()); });

    if (visible(0)) {
        long cuenta = 0;
        long long minutos = 0;  // the lines' hours and minutes, as one signed sum
        double totalMinutos = 0;
        bool sinPartes = false;
        recorre(MSFlexGrid1, [&](const ui::MSFlexGrid& g, long r) {
            double m = 0;
            trap([&] {
                m = ModGlobal::HoraAMinutos(g.TextMatrix(r, 2), QStringLiteral("HHHH"), QStringLiteral("MM"), true);
            });
            trap([&] {
                std::int32_t h = std::numeric_limits<std::int32_t>::min(), mi = 0;
                ModGlobal::MinutosAHora(m, h, mi, false);
                if (h == std::numeric_limits<std::int32_t>::min())
                    sinPartes = true;  // decimal hours: no parts
                else
                    minutos += h * 60LL + mi;
                totalMinutos += m;
            });
            if (!trap.left())
                ++cuenta;
        });
        // The parts are summed as minutes and split once, so minutes past 59
        // go into the hours ("3:90" is 4:30) and a negative line time is
        // taken off the whole ("-0,5" and "2" are 1:30), the sign in front.
        // With decimal hours configured (separator ".") the line times have
        // no parts; the total is then shown in decimal hours too.
        QString tiempo;
        if (sinPartes) {
            std::int32_t h = 0, mi = 0;
            tiempo = ModGlobal::MinutosAHora(totalMinutos, h, mi, false);
        } else {
            tiempo = ModGlobal::MinutosATexto(minutos, QStringLiteral(":"), 1);
        }
        if (!trap.left())
            fila(titulo(0), QString::number(cuenta), tiempo, kFilaTotal);
    }

    if (!trap.left() && visible(1)) {
        QList<CampoValor>& claves = ModGlobal::gClavesTotalizador;
        claves = QList<CampoValor>(1);
        int columnaClave = 0;
        QString tabla, campo;
        if (AbiertoPorRubro)
            columnaClave = 28, tabla = QStringLiteral("V_ta_Rubros"), campo = QStringLiteral("IdRubro");
        else if (AbiertoPorTipo)
            columnaClave = 27, tabla = QStringLiteral("V_ta_TipoArticulo"), campo = QStringLiteral("Tipo");
        // Grouped by article code there is no table to read a description
        // from: each code shows the description of its first line.
        QStringList descripciones(1);
        long cuenta = 0;
        // The quantities add up in fixed point with the four decimals they
        // hold, as the item counter's: no binary residue, and the same sums
        // in any order of the lines.
        legacy::Currency total;
        recorre(MSFlexGrid2, [&](const ui::MSFlexGrid& g, long r) {
            QString clave;
            legacy::Currency cantidad;
            trap([&] { clave = Trim(g.TextMatrix(r, columnaClave)); });
            trap([&] { cantidad = Funciones::TextoANumero(legacy::Variant(Trim(g.TextMatrix(r, 8)))); });
            trap([&] {
                const long i = ModGlobal::IndiceEnLista(clave);
                if (i < 0) {
                    claves.append(CampoValor{clave, Numero(cantidad)});
                    descripciones.append(Trim(g.TextMatrix(r, 1)));
                } else {
                    claves[i].Valor = Numero(cantidad + Funciones::TextoANumero(legacy::Variant(claves[i].Valor)));
                }
            });
            if (!trap.left())
                total += cantidad, ++cuenta;
        });
        if (!trap.left())
            fila(titulo(1), QString::number(cuenta), Numero(total), kFilaTotal);
        for (qsizetype i = 0; cuenta > 0 && i < claves.size() && !trap.left(); ++i) {
            QString descripcion = descripciones.value(i);
            if (!tabla.isEmpty())
                trap([&] {
                    descripcion = ModGlobal::gDB()
                                      .DatosTabla(tabla, ModGlobal::ClaveLimpia(claves[i].Campo),
                                                  QStringLiteral("Descripcion"), campo, legacy::Variant(8), {}, true,
                                                  false)
                                      .toString();
                });
            fila(claves[i].Campo + u'-' + descripcion, QString(), claves[i].Valor, kFilaClave);
        }
    }

    if (!trap.left() && visible(2)) {
        long cuenta = 0;
        recorre(MSFlexGrid3, [&](const ui::MSFlexGrid&, long) { ++cuenta; });
        if (!trap.left())
            fila(titulo(2), QString::number(cuenta), QString(), kFilaTotal);
    }

    if (!trap.left())
        trap([&] { PintarFila(totales().Rows() - 1, MSFlexGrid4, kFilaFinal); });
}
