// ClsCmnCptes::ValidaCantidadLineasCpte and CuentaItems: filled lines of the
// voucher grids against the printed form's lines, and the item counter.
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/numeric.h"
#include "voucher/clscmncptes.h"
#include "voucher/grids/comun.h"

#include <limits>

bool ClsCmnCptes::ValidaCantidadLineasCpte(const QString& TC, const QString& Letra, ui::MSFlexGrid* MSFlexGrid1,
                                           ui::MSFlexGrid* MSFlexGrid2, ui::MSFlexGrid* MSFlexGrid3,
                                           std::int16_t* CantLineas, std::int16_t* CantLineasUsadas, long Agragarle,
                                           std::int16_t LineasAnteriores)
{
    std::int16_t limiteLocal = 0;
    std::int16_t usadasLocal = 0;
    std::int16_t& limite = CantLineas ? *CantLineas : limiteLocal;
    std::int16_t& usadas = CantLineasUsadas ? *CantLineasUsadas : usadasLocal;

    if (esElectronica) {
        limite = 0;
        return true;
    }

    legacy::ErrorTrap trap(QStringLiteral("ValidaCantidadLineasCpte"), ModGlobal::gDB().errorHandler());
    bool valida = false;
    if (LineasAnteriores != -1) {
        std::shared_ptr<ado::Recordset> rs;
        // The type and the letter go into the statement as literals.
        trap([&] {
            ModGlobal::gDB().AbrirRecordset(QStringLiteral("SELECT CANTLINEAS FROM TA_CONFIG_IMP_CPTE WHERE TC='") +
                                                ModGlobal::DuplicaApostrofes(TC) + QStringLiteral("' AND LETRA='") +
                                                ModGlobal::DuplicaApostrofes(Letra) + QStringLiteral("' ORDER BY ID"),
                                            rs, nullptr, 0, 1, -1, true);
        });
        trap([&] {
            ado::Recordset& r = grillas::Objeto(rs.get());
            if (r.Eof())
                limite = 0;
            else
                limite = legacy::CInt(legacy::Variant(kapores2::Funciones::TextoANumero(
                    kapores2::Funciones::ValorNoNulo(r.Fields("CantLineas")))));
        });
        trap([&] { ModGlobal::gDB().CierraRecordset(rs); });
    }
    trap([&] {
        if (limite == 0)
            valida = true;
    });
    if (trap.left() || valida)
        return valida;

    trap([&] { usadas = 0; });
    for (ui::MSFlexGrid* g : {MSFlexGrid1, MSFlexGrid2, MSFlexGrid3}) {
        if (!g)
            continue;
        // An Integer count: beyond 32767 lines it overflows (error 6).
        trap([&] {
            const long total = long(usadas) + grillas::LineasLlenas(*g);
            if (total > std::numeric_limits<std::int16_t>::max())
                throw legacy::VbError(6);
            usadas = std::int16_t(total);
        });
    }
    trap([&] { valida = long(usadas) + Agragarle <= long(limite); });
    return !trap.left() && valida;
}

long ClsCmnCptes::CuentaItems(ui::MSFlexGrid* MSFlexGrid1, ui::MSFlexGrid* MSFlexGrid2, ui::MSFlexGrid* MSFlexGrid3,
                              long* CantTareas, long* CantArticulos, long* CantOtrosConceptos, double* TotUnidades)
{
    long tareas = 0, articulos = 0, otros = 0;
    double unidadesLocal = 0;
    long& cTareas = CantTareas ? *CantTareas : tareas;
    long& cArticulos = CantArticulos ? *CantArticulos : articulos;
    long& cOtros = CantOtrosConceptos ? *CantOtrosConceptos : otros;
    double& unidades = TotUnidades ? *TotUnidades : unidadesLocal;

    cTareas = cArticulos = cOtros = 0;
    unidades = 0;
    legacy::ErrorTrap trap(QStringLiteral("CuentaItems&"), ModGlobal::gDB().errorHandler());
    if (MSFlexGrid1)
        trap([&] { cTareas = grillas::LineasLlenas(*MSFlexGrid1); });
    if (MSFlexGrid2) {
        // The quantities add up in fixed point with four decimals.
        legacy::Currency suma;
        for (long r = 1; r < MSFlexGrid2->Rows() && !trap.left(); ++r) {
            if (!grillas::LineaLlena(*MSFlexGrid2, r))
                continue;
            ++cArticulos;
            trap([&] {
                suma += kapores2::Funciones::TextoANumero(legacy::Variant(legacy::Trim(MSFlexGrid2->TextMatrix(r, 8))));
                unidades = suma.toDouble();
            });
        }
    }
    if (MSFlexGrid3)
        trap([&] { cOtros = grillas::LineasLlenas(*MSFlexGrid3); });
    if (trap.left())
        return 0;
    return cTareas + cArticulos + cOtros;
}
