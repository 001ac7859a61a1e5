// Stock picks made up by a seeded generator and decided without the window,
// as a voucher window asks them: the rules every pick holds, checked on the
// lists it hands back. A new rule is one more check in the loop.
#include "entorno_lotes.h"

#include "voucher/lots/frmloteyposicion.h"

#include <cmath>
#include <map>
#include <optional>
#include <random>

namespace {

using namespace lotstest;

// Every box answered OK and kept.
class Anota : public ui::ScriptedDialogs {
public:
    int msgBox(const QString& prompt, int, const QString&) override
    {
        vistos << prompt;
        return ui::vbOK;
    }
    QStringList vistos;
};

double Lee(const QString& t)
{
    return QString(t).replace(u',', u'.').toDouble();
}

double R4(double v)
{
    return std::nearbyint(v * 10000) / 10000;
}

class GeneradorPicks : public EntornoLotes {};

TEST_F(GeneradorPicks, APickAddsUpTakesOnlyWhatIsFreeAndComesBackTheSame)
{
    std::mt19937 g(20261210);
    const auto entre = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(g); };
    const double cantidades[] = {0.14, 0.5, 1, 2, 3, 4};
    const double pedidos[] = {0.15, 1, 2, 3, 5, 7, 12};
    QStringList fallas;
    for (int n = 0; n < 200; ++n) {
        const QString articulo = QStringLiteral("GP%1").arg(n);
        const bool lote = entre(0, 3) > 0, serie = !lote || entre(0, 3) == 0;
        // Stock rows: key (lot, serial) and quantity; a serial is one unit.
        std::map<QString, double> libre;  // by item lot Chr(255) serial, in deposit 1
        for (int i = 1, filas = entre(1, 4); i <= filas; ++i) {
            const QString l = lote ? QStringLiteral("L%1").arg(entre(1, 3)) : QString();
            const QString s = serie ? QStringLiteral("S%1").arg(i) : QString();
            const double q = serie ? 1 : cantidades[entre(0, 5)];
            const bool otro = entre(0, 4) == 0;
            Stock(articulo, l.isEmpty() ? QString() : l, s.isEmpty() ? QString() : s, q,
                  otro ? QStringLiteral("   2") : QStringLiteral("   1"));
            if (!otro)
                libre[l + Y + s] += q;
        }
        // Other lines of the article, some of another deposit.
        QList<QStringList> otras;
        for (int k = entre(0, 2); k > 0; --k) {
            if (libre.empty())
                break;
            auto it = std::next(libre.begin(), entre(0, int(libre.size()) - 1));
            const double q = std::min(it->second, double(entre(1, 2)));
            const bool otro = entre(0, 3) == 0;
            otras << QStringList{articulo, "|" + it->first + "|" + Y + "|", "|" + QString::number(q) + "|0|",
                                 otro ? "2" : ""};
            if (!otro)
                it->second -= q;
        }
        double total = 0;
        for (const auto& [clave, q] : libre)
            total += std::max(0.0, q);
        // A return (a negative line) of a lot article goes back into the
        // rows: refused only when the deposit has no row of the article.
        const bool devuelve = lote && !serie && entre(0, 4) == 0;
        const double pedido = (devuelve ? -1 : 1) * pedidos[entre(0, 6)];
        const QString caso = QStringLiteral("%1 lot %2 serial %3 asks %4, free %5").arg(articulo).arg(lote).arg(serie)
                                 .arg(pedido).arg(total);

        Articulos grilla(otras);
        Anota anota;
        const ui::DialogsGuard guarda(&anota);
        double cantidad = pedido;
        QString deposito = "1", lotes, cants;
        ClsCmnCptes().PideSerieLote_Salidas(&grilla.grilla, articulo, "", cantidad, "", "", lotes, cants, lote, serie,
                                            false, &deposito, false);
        const bool corto = devuelve ? libre.empty() : R4(total) < R4(pedido);
        if (corto != !anota.vistos.isEmpty() || (corto && !lotes.isEmpty())) {
            fallas << caso + ": refused " + anota.vistos.join(";") + " lists " + lotes + " " + cants;
            continue;
        }
        if (corto)
            continue;
        QStringList items, qs;
        ClsCmnCptes::DescomponeSerieLote(lotes, items);
        ClsCmnCptes::DescomponeSerieLote(cants, qs);
        double suma = 0;
        std::map<QString, double> tomado;
        for (qsizetype i = 0; i + 1 < items.size(); ++i) {
            const double q = Lee(qs.value(i));
            suma += q;
            tomado[items[i]] += q;
            if (q != R4(q) || qs.value(i).size() > 12)
                fallas << caso + ": a quantity of more than four decimals " + qs.value(i);
            if (items[i].section(Y, 1).size() > 0 && q > 1)
                fallas << caso + ": a serial for " + qs.value(i);
        }
        if (R4(suma) != R4(pedido))
            fallas << caso + ": adds up to " + QString::number(suma) + " " + cants;
        for (const auto& [item, q] : tomado)
            if (item != Y && R4(q) > R4(std::max(0.0, libre[item])))
                fallas << caso + ": " + QString(item).replace(Y, "~") + " takes " + QString::number(q);
        // Asked again with its own lists, as the line's row of the grid holds
        // them, it comes back the same.
        otras << QStringList{articulo, lotes, cants};
        Articulos otra(otras);
        QString otrosLotes, otrasCants;
        ClsCmnCptes().PideSerieLote_Salidas(&otra.grilla, articulo, "", cantidad, lotes, cants, otrosLotes, otrasCants,
                                            lote, serie, false, &deposito, false);
        if (otrosLotes != lotes || otrasCants != cants)
            fallas << caso + ": again " + otrosLotes + " " + otrasCants + " for " + lotes + " " + cants;
    }
    EXPECT_TRUE(fallas.isEmpty()) << fallas.size() << " picks, first:\n"
                                  << fallas.mid(0, 5).join("\n").replace(Y, "~").toStdString();
}

// The positions window's proposal: no row above what it holds, the request
// placed as far as the rows hold it (a return whole), four decimals at most;
// in the desktop's font, at 12 points or in Courier New 12, lots of
// supplier-style codes (up to 15 letters, wide capitals among them) and
// every title shown whole in their columns, the controls inside the window.
TEST_F(GeneradorPicks, APositionProposalPlacesTheRequestWithinWhatEachRowHolds)
{
    std::mt19937 g(20261211);
    const auto entre = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(g); };
    const double saldos[] = {0.14, 1, 2.5, 3, 7};
    const double pedidos[] = {0.15, 1, 3, 6, 20};
    const char* posiciones[] = {"A-01-01", "A-01-02", "B-02-01"};
    const char* proveedores[] = {"PROV-OMEGA-", "WMN-", "MOWN-NORTE-", "L"};
    const testutil::layout::PictureFont fuentes[] = {{"", 0, 0}, {"Segoe UI", 12, 0}, {"Courier New", 12, 0}};
    QStringList fallas;
    ui::ScriptedSession dlg;
    for (int n = 0; n < 60; ++n) {
        const QString articulo = QStringLiteral("GQ%1").arg(n);
        std::optional<testutil::layout::ProgramFont> programa;
        if (n % 3 > 0)
            programa.emplace(fuentes[n % 3]);
        double total = 0;
        for (int i = entre(1, 4); i > 0; --i) {
            const double q = saldos[entre(0, 4)];
            const QString lote = proveedores[entre(0, 3)] + QString::number(entre(0, 99999)).rightJustified(4, u'0');
            Saldo(articulo, entre(0, 3) == 0 ? QString() : posiciones[entre(0, 2)], lote, q);
            total += q;
        }
        // A return is placed whole, as every row can take it.
        const double pedido = (entre(0, 4) == 0 ? -1 : 1) * pedidos[entre(0, 4)];
        const bool conLote = entre(0, 1) == 1;
        dlg.onModal("FrmLoteyPosicion", [&](QWidget* w) {
            auto& f = *static_cast<lots::FrmLoteyPosicion*>(w);
            double suma = 0;
            for (long r = 1; r < f.MSFlexGrid1->Rows(); ++r) {
                const double q = Lee(f.MSFlexGrid1->TextMatrix(r, 4)), d = Lee(f.MSFlexGrid1->TextMatrix(r, 3));
                suma += q;
                if (R4(q) > R4(d) || q != R4(q))
                    fallas << QStringLiteral("%1 asks %2: row %3 gets %4 of %5").arg(articulo).arg(pedido).arg(r)
                                  .arg(f.MSFlexGrid1->TextMatrix(r, 4), f.MSFlexGrid1->TextMatrix(r, 3));
            }
            if (R4(suma) != R4(pedido < 0 ? pedido : std::min(pedido, total)))
                fallas << QStringLiteral("%1 asks %2 of %3: placed %4").arg(articulo).arg(pedido).arg(total).arg(suma);
            const ui::MSFlexGrid& m = *f.MSFlexGrid1;
            for (long r = 0; r < m.Rows(); ++r)
                for (long c = 0; c < m.Cols(); ++c)
                    if (m.ColWidth(c) > 0 && ui::CellWidth(m.TextMatrix(r, c), m.font()) > m.ColWidth(c))
                        fallas << QStringLiteral("%1 in %2: \"%3\" is cut").arg(articulo, m.font().family(),
                                                                               m.TextMatrix(r, c));
            f.show();
            testutil::ExpectWholeLabels(f);
            f.CmdCancelar->click();
        });
        QString pos, lot;
        ClsCmnCptes().PidePosicionLote(articulo, "UN  ", pedido, "   1", "", "", pos, lot, true, conLote);
    }
    EXPECT_TRUE(fallas.isEmpty()) << fallas.size() << " proposals, first:\n" << fallas.mid(0, 5).join("\n").toStdString();
}

}  // namespace
