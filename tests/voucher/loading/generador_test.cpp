// Stored vouchers drawn from a fixed seed (orders, delivery notes and
// invoices; repeated articles, boxes of 12, fractional and returned
// quantities, internal taxes, letters A and B, final prices on and off, a
// currency with a rate, partial deliveries and applications, bundles and
// cubic metres, order lines in boxes of an article kept in kilograms), each
// loaded as itself and into an invoice or a credit note, plain and negated,
// and into a window holding the voucher before it, and every load held to
// the rules of a load.
#include "voucher/loading/entorno_carga.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>

using namespace cargatest;

namespace {

struct LineaGen {
    QString art;
    bool cajas = false;  // in boxes of 12 of a base unit
    double cant = 0, importe = 0, total = 0, impuestos = 0, itc = 0;
    bool totalFinal = false;  // stored final total (the total itself)
    double bultos = 0, m3 = 0;  // Cant_BL and CANT_M3 of the whole line
    bool kilos = false;         // an order line in boxes of 12 kg of an article kept in kilograms
};

struct CpteGen {
    QString tc, id;
    int reparto = 0;
    int tareas = 0;
    bool letraB = false, finales = false, bultosApp = false;
    double cotizacion = 1;
    std::vector<LineaGen> lineas;
    std::map<QString, double> aplicado;  // per article: moved (run -1) or applied (run 0)
};

struct FilaLeida {
    QString art;
    double c8, c12, c18, c21, c26, c65, c66, c67;
};

double Num(const QString& celda) { return QString(celda).trimmed().replace(u',', u'.').toDouble(); }
QString Sql(double v) { return QStringLiteral("=") + QString::number(v, 'g', 15); }
bool Cerca(double a, double b) { return std::fabs(a - b) < 0.001; }

class Generador : public EntornoCarga {
protected:
    std::mt19937 rng{20261210};
    int Dado(int caras) { return int(rng() % unsigned(caras)); }

    CpteGen Genera(const QString& tc, int n)
    {
        CpteGen c;
        c.tc = tc;
        c.id = QStringLiteral("0001%1A").arg(n, 8, 10, QLatin1Char('0'));
        c.reparto = Dado(2) ? -1 : 0;
        c.tareas = (n / 3) % 3;
        c.letraB = Dado(2);
        c.finales = Dado(3) == 0;
        c.cotizacion = Dado(3) == 0 ? 2.5 : 1;
        c.bultosApp = Dado(2);
        static const char* articulos[] = {"1001", "1002", "PINT-LATEX-20"};
        const int lineas = 1 + Dado(4);
        for (int i = 0; i < lineas; ++i) {
            LineaGen l;
            l.art = QString::fromLatin1(articulos[Dado(3)]);
            l.cajas = Dado(3) == 0;
            l.cant = (1 + Dado(40)) * 0.25;
            if (tc == "RM" && Dado(6) == 0)
                l.cant = -l.cant;  // a returned quantity
            l.importe = (100 + Dado(9900)) / 100.0;
            l.total = std::round(l.importe * l.cant * 10000) / 10000;
            l.impuestos = Dado(2) * 0.5;
            l.itc = Dado(2) * 0.25;
            l.totalFinal = c.finales && Dado(2);
            l.bultos = Dado(3) ? (1 + Dado(16)) * 0.5 : 0;
            l.m3 = Dado(2) * 0.125 * (1 + Dado(8));
            // Kilogram lines carry their prices per box: only letter A
            // without taxes or final prices reads the same in kilograms.
            l.kilos = tc == "NP" && !c.letraB && !c.finales && Dado(2) == 0;
            if (l.kilos) {
                l.cajas = false;
                l.impuestos = l.itc = 0;
            }
            c.lineas.push_back(l);
        }
        // What is moved or applied of each article: up to a little more
        // than its lines hold (in quarters), often nothing.
        const bool aplica = c.reparto == -1 || tc != "FC";
        std::map<QString, double> suma;
        for (const LineaGen& l : c.lineas)
            suma[l.art] += std::max(l.cant, 0.0);
        for (const auto& [art, s] : suma)
            c.aplicado[art] = aplica && Dado(3) ? Dado(int(s * 4) + 3) * 0.25 : 0;
        return c;
    }

    void Guarda(const CpteGen& c)
    {
        Cabecera(c.tc, c.id, {{"IdReparto", Sql(c.reparto)}, {"CondicionIva", c.letraB ? "4" : "1"},
                              {"Cotizacion", Sql(c.cotizacion)}});
        for (int t = 1; t <= c.tareas; ++t)
            Tarea(c.tc, c.id, {{"IDTAREA", "   " + QString::number(t)}, {"Horas", "=30"}, {"Total", "=10"}});
        for (const LineaGen& l : c.lineas)
            Linea(c.tc, c.id,
                  {{"IdArticulo", Art(l.art)}, {"Cantidad", Sql(l.cant)}, {"IdUnidad", l.cajas || l.kilos ? "CJ" : "UN"},
                   {"IdUnidadBase", l.kilos ? "KG" : "UN"},
                   {"CantidadUD", Sql(l.cajas || l.kilos ? l.cant * 12 : l.cant)},
                   {"CANT_KG", l.kilos ? Sql(l.cant * 12) : "=NULL"}, {"Cant_BL", Sql(l.bultos)}, {"CANT_M3", Sql(l.m3)},
                   {"Importe", Sql(l.importe)}, {"Importe_S_IVA", Sql(l.importe)}, {"Total", Sql(l.total)},
                   {"TotalFinal", l.totalFinal ? Sql(l.total) : "=NULL"}, {"Impuestos", Sql(l.impuestos)},
                   {"ITC", Sql(l.itc)}, {"AlicIVA", "=21"}, {"Exento", "=0"}});
        for (const auto& [art, a] : c.aplicado) {
            if (a == 0)
                continue;
            if (c.reparto == -1)
                Movimiento(c.tc, c.id, art, -a);
            else
                Inserta("MV_APLICACION", {{"TCO_ORIGEN", c.tc}, {"IDComprobante_Origen", c.id},
                                          {"IDARTICULO", Art(art)}, {"CANTIDAD", Sql(a)}});
        }
    }

    std::vector<FilaLeida> Carga(const CpteGen& c, const QString& destino, bool negada, bool convertir)
    {
        Config(QStringLiteral("PreciosFinales"), c.finales ? "SI" : "NO");
        Config(QStringLiteral("PideBultosAPP"), c.bultosApp ? "SI" : "NO");
        ClsCmnCptes cls;
        reparto = negada ? -98 : 0;
        Cargar(cls, c.tc, c.id, destino, [&](ClsCmnCptes& k, QString& l) {
            k.AsignarDatosComprobante(c.tc, c.id, "0", tareas(), articulos(), otros(), false, nullptr, false, {},
                                      &reparto, convertir, {}, destino, &l);
        });
        std::vector<FilaLeida> filas;
        ui::MSFlexGrid* g = articulos();
        for (long r = 1; r < g->Rows() - 1; ++r)
            filas.push_back({g->TextMatrix(r, 0), Num(g->TextMatrix(r, 8)), Num(g->TextMatrix(r, 12)),
                             Num(g->TextMatrix(r, 18)), Num(g->TextMatrix(r, 21)), Num(g->TextMatrix(r, 26)),
                             Num(g->TextMatrix(r, 65)), Num(g->TextMatrix(r, 66)), Num(g->TextMatrix(r, 67))});
        return filas;
    }

    // Rules 2 and 4 on one load (amounts, equivalent quantity and bundles in
    // proportion to the part a row takes, kilogram rows by the part of the
    // boxes they stand for); rule 1 on the loads of a partial delivery; the
    // rows' rests to apply add up to each article's quantity less what it
    // had applied or moved, a surplus included.
    void Reglas(const CpteGen& c, const std::vector<FilaLeida>& filas, bool propio, bool convertir, double signo)
    {
        // No line is lost: each stored line is one row, in order.
        ASSERT_EQ(filas.size(), c.lineas.size());
        const double r = convertir ? c.cotizacion : 1;
        std::map<QString, double> ofrecido, resto, cantidades;
        for (size_t i = 0; i < filas.size(); ++i) {
            SCOPED_TRACE("row " + std::to_string(i + 1));
            const LineaGen& l = c.lineas[i];
            const FilaLeida& f = filas[i];
            EXPECT_EQ(f.art, l.art);
            const double q = f.c8;
            // The part of the line the row takes, in the line's own unit.
            const double unidades = l.kilos ? q / 12 : q;
            // The final price: the price converted, net of taxes under final
            // prices, or the price itself under letter B.
            double total = l.total * r * unidades / l.cant;
            if (c.letraB || c.finales)
                total = (convertir ? l.importe * r : c.finales ? l.importe - l.impuestos : l.importe) * q;
            if (!convertir && c.finales && l.totalFinal)
                total = l.total * unidades / l.cant;
            EXPECT_TRUE(Cerca(f.c18, total)) << f.c18 << " vs " << total;
            const double conImpuestos = c.finales ? f.c18 : f.c18 + (l.impuestos + l.itc) * r * q;
            EXPECT_TRUE(Cerca(f.c21, conImpuestos)) << f.c21 << " vs " << conImpuestos;
            const double equiv = l.kilos ? q : (l.cajas ? l.cant * 12 : l.cant) * q / l.cant;
            EXPECT_TRUE(Cerca(f.c12, equiv)) << f.c12 << " vs " << equiv;
            // The stored bundles where they stay (article 1002 asks its
            // equivalence, so they are not worked out from its unit).
            if (c.bultosApp || (l.art == "1002" && !l.kilos)) {
                EXPECT_TRUE(Cerca(f.c66, l.bultos * unidades / l.cant)) << f.c66 << " bundles of " << l.bultos;
            }
            if (l.kilos) {
                EXPECT_TRUE(Cerca(f.c67, q)) << f.c67 << " kg for " << q;
            }
            ofrecido[l.art] += unidades;
            resto[l.art] += f.c26;
            cantidades[l.art] += l.cant;
            // A voucher loaded as itself offers what has nothing applied whole.
            if (propio && (c.tc == "FC" || c.aplicado.at(l.art) == 0)) {
                EXPECT_TRUE(Cerca(unidades, l.cant)) << unidades << " vs " << l.cant;
            }
        }
        for (const auto& [art, a] : c.aplicado)
            EXPECT_TRUE(Cerca(resto[art], signo * (cantidades[art] - a)))
                << art.toStdString() << " left to apply " << resto[art] << " of " << cantidades[art] << " less " << a;
        if (c.tc == "FC")
            return;
        // What is pending is offered once: per article, its quantity less
        // what was moved or applied, returned quantities whole.
        std::map<QString, double> positivo, devuelto;
        for (const LineaGen& l : c.lineas)
            (l.cant > 0 ? positivo : devuelto)[l.art] += l.cant;
        for (const auto& [art, a] : c.aplicado) {
            const double esperado = signo * (positivo[art] - std::min(positivo[art], a) + devuelto[art]);
            EXPECT_TRUE(Cerca(ofrecido[art], esperado))
                << art.toStdString() << ": " << ofrecido[art] << " vs " << esperado;
        }
    }

    // Rule 6: loads into a window that holds lines already (the voucher
    // before, then this one, into an invoice of letter B on a form of a few
    // lines): the article lines take what the lines the grids hold leave of
    // the form, this voucher's tasks included; none that fits is lost, none
    // takes the grids past the limit, and the operator is told the sheets
    // it takes (an order always, another voucher when the window held lines).
    void Encima(const CpteGen& antes, const CpteGen& c, int limite)
    {
        Limite("FC", "B", limite);
        ClsCmnCptes cls;
        Inicializa(cls, "FC");
        for (const CpteGen* v : {&antes, &c}) {
            SCOPED_TRACE("on top, limit " + std::to_string(limite) + ": " + v->id.toStdString());
            long t0 = 0, a0 = 0, t1 = 0, a1 = 0;
            const long previas = cls.CuentaItems(tareas(), articulos(), otros(), &t0, &a0);
            const long lineas = long(v->lineas.size());
            const long total = previas + v->tareas + lineas;
            if (total > limite && (v->tc == "NP" || previas > 0))
                dlg.expectMsgBox(QStringLiteral(" %1 Hojas (El sistema tiene configurado %2 por hoja)")
                                     .arg((total + limite - 1) / limite)
                                     .arg(limite));
            QString l = QStringLiteral("B");
            reparto = 0;
            cls.AsignarDatosComprobante(v->tc, v->id, "0", tareas(), articulos(), otros(), false, nullptr, false, {},
                                        &reparto, false, {}, "FC", &l);
            dlg.verifyDone();
            const long despues = cls.CuentaItems(tareas(), articulos(), otros(), &t1, &a1);
            EXPECT_EQ(t1 - t0, v->tareas);
            EXPECT_EQ(a1 - a0, std::min(lineas, std::max(0L, limite - previas - v->tareas)));
            EXPECT_LE(despues, std::max(long(limite), previas + v->tareas));
        }
    }

    // Rule 3: the negated load, row by row, is the negation of the plain one.
    static void Espejo(const std::vector<FilaLeida>& llana, const std::vector<FilaLeida>& negada)
    {
        ASSERT_EQ(llana.size(), negada.size());
        for (size_t i = 0; i < llana.size(); ++i) {
            const FilaLeida &a = llana[i], &b = negada[i];
            EXPECT_TRUE(Cerca(a.c8, -b.c8) && Cerca(a.c12, -b.c12) && Cerca(a.c18, -b.c18) && Cerca(a.c21, -b.c21) &&
                        Cerca(a.c26, -b.c26) && Cerca(a.c65, -b.c65) && Cerca(a.c66, -b.c66) && Cerca(a.c67, -b.c67))
                << "row " << i + 1 << ": " << a.c8 << " " << a.c12 << " " << a.c18 << " " << a.c21 << " " << a.c26
                << " " << a.c65 << " " << a.c66 << " " << a.c67 << " / " << b.c8 << " " << b.c12 << " " << b.c18
                << " " << b.c21 << " " << b.c26 << " " << b.c65 << " " << b.c66 << " " << b.c67;
        }
    }
};

TEST_F(Generador, LoadsKeepQuantitiesAndAmounts)
{
    Config(QStringLiteral("CONDIVA"), "1");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET PIDEEQUIVALENCIA = 1 WHERE IDARTICULO = '%1'").arg(Art("1002")));
    CpteGen previo;
    for (int n = 0; n < 60; ++n) {
        const QString tc = QString::fromLatin1(std::array{"RM", "NP", "FC"}[n % 3]);
        const CpteGen c = Genera(tc, 800 + n);
        Guarda(c);
        const bool convertir = c.cotizacion != 1 && Dado(2);
        SCOPED_TRACE(c.tc.toStdString() + " " + c.id.toStdString() + " run " + std::to_string(c.reparto) +
                     (c.letraB ? " B" : " A") + (c.finales ? " final prices" : "") +
                     (convertir ? " converted" : ""));
        // Into an invoice (a credit note for an invoice), plain and negated;
        // a delivery note into a credit note is negated by itself.
        const QString destino = tc == "FC" ? QStringLiteral("NC") : QStringLiteral("FC");
        const auto llana = Carga(c, destino, false, convertir);
        Reglas(c, llana, false, convertir, 1);
        const auto negada = Carga(c, destino, true, convertir);
        Reglas(c, negada, false, convertir, -1);
        Espejo(llana, negada);
        if (tc == "RM") {
            const auto credito = Carga(c, QStringLiteral("NC"), false, convertir);
            Reglas(c, credito, false, convertir, -1);
            Espejo(llana, credito);
        }
        Reglas(c, Carga(c, QString(), false, convertir), true, convertir, 1);
        if (n > 0)
            Encima(previo, c, 2 + n % 5);
        previo = c;
        if (HasFatalFailure() || HasNonfatalFailure())
            return;  // the first voucher that breaks a rule is enough to read
    }
}

// Timber rows: pairs of delivery notes with pieces in common, the second
// loaded into the grids of the first. A row names its voucher; the pieces of
// one voucher fold into one row each, those of two never.
TEST_F(Generador, TimberRowsAreMergedOnlyWithinTheirVoucher)
{
    ModGlobal::EsMaderera = true;
    ModGlobal::UnidadMaderaTiras = QStringLiteral("TI");
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET PIDEMEDIDAS = 1"));
    for (int n = 0; n < 20; ++n) {
        std::map<std::pair<QString, QString>, double> piezas;  // (voucher, piece): stored quantity
        QString ids[2];
        for (int v = 0; v < 2; ++v) {
            ids[v] = QStringLiteral("0001%1A").arg(900 + 2 * n + v, 8, 10, QLatin1Char('0'));
            Cabecera("RM", ids[v], {{"IdReparto", "=0"}});
            for (int i = 1 + Dado(3); i > 0; --i) {
                const QString art = Dado(2) ? QStringLiteral("1001") : QStringLiteral("1002");
                const int ancho = 4 + 2 * Dado(2);
                const double cant = 1 + Dado(4), importe = 10 + Dado(2);
                Linea("RM", ids[v], {{"IdArticulo", Art(art)}, {"Cantidad", Sql(cant)}, {"IdUnidad", "TI"},
                                     {"IdUnidadBase", "TI"}, {"Espesor", "=2"}, {"Ancho", Sql(ancho)},
                                     {"Importe_Ud", Sql(importe)}, {"Importe", Sql(importe)},
                                     {"Total", Sql(importe * cant)}});
                piezas[{ids[v], art + "|" + QString::number(ancho) + "|" + QString::number(importe)}] += cant;
            }
        }
        ClsCmnCptes cls;
        Cargar(cls, "RM", ids[0], "FC");
        cls.AsignarDatosComprobante("RM", ids[1], QString(), tareas(), articulos(), otros(), false, nullptr, false, {},
                                    &reparto, false, {}, "FC", &letra);
        ui::MSFlexGrid* g = articulos();
        std::map<std::pair<QString, QString>, double> filas;
        int voucher = 0;
        for (long r = 1; r < g->Rows() - 1; ++r) {
            const QString id = g->TextMatrix(r, 72);
            if (id == ids[1])
                voucher = 1;
            EXPECT_EQ(id, ids[voucher]) << "row " << r << " of pair " << n;
            const auto clave = std::pair{id, g->TextMatrix(r, 0) + "|" + g->TextMatrix(r, 4) + "|" + g->TextMatrix(r, 16)};
            EXPECT_EQ(filas.count(clave), 0u) << "a piece on two rows of " << id.toStdString();
            filas[clave] += Num(g->TextMatrix(r, 8));
        }
        EXPECT_EQ(filas, piezas) << "pair " << n;
        if (HasFailure())
            return;
    }
}

// Rule 5: opening an order of branch 9999 grosses its net prices up where
// it can, and writes nothing over a line whose price it cannot compute.
TEST_F(Generador, OrderRepairWritesNoZeroOverAStoredPrice)
{
    Config(QStringLiteral("CONDIVA"), "1");
    Config(QStringLiteral("PreciosFinales"), "SI");
    for (int n = 0; n < 20; ++n) {
        const QString id = QStringLiteral("9999%1A").arg(n, 8, 10, QLatin1Char('0'));
        Cabecera("NP", id, {{"IdReparto", "=0"}, {"CondicionIva", "1"}});
        struct Esperada {
            double importe, total;
        };
        std::vector<Esperada> esperadas;
        const int lineas = 1 + Dado(3);
        for (int i = 0; i < lineas; ++i) {
            const double cant = (1 + Dado(20)) * 0.5, precio = (100 + Dado(9900)) / 100.0;
            const int tasa = std::array{-1, 0, 21}[Dado(3)];  // -1: no rate stored
            Linea("NP", id, {{"IdArticulo", Art("1001")}, {"Cantidad", Sql(cant)}, {"Importe", Sql(precio)},
                             {"Importe_S_IVA", Sql(precio)}, {"Total", Sql(precio * cant)},
                             {"AlicIVA", tasa < 0 ? "=NULL" : Sql(tasa)}, {"Impuestos", "=1"}, {"Exento", "=0"}});
            const double bruto = tasa < 0 ? precio : precio * (1 + tasa / 100.0);
            esperadas.push_back({bruto, tasa < 0 ? precio * cant : bruto * cant});
        }
        ClsCmnCptes cls;
        Cargar(cls, "NP", id);
        const QStringList guardadas =
            Filas("SELECT Importe, Total FROM V_MV_CPTEINSUMOS WHERE IDCOMPROBANTE = '" + id + "' ORDER BY ID");
        ASSERT_EQ(guardadas.size(), lineas);
        for (int i = 0; i < lineas; ++i) {
            const QStringList v = guardadas[i].split(u'|');
            EXPECT_TRUE(Cerca(Num(v[0]), esperadas[size_t(i)].importe) &&
                        Cerca(Num(v[1]), esperadas[size_t(i)].total))
                << id.toStdString() << " line " << i + 1 << ": " << guardadas[i].toStdString();
        }
    }
}

}  // namespace
