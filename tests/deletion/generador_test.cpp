// Vouchers made up by a seeded generator and written by the system's own
// writers (the stock writer executing or collecting, on one deposit or per
// line, with composites whose input is kept by lot or not; the cost-of-goods
// seat on or off; the number book with or without a numbering alias; one or
// two complements), then annulled and deleted through the window in a random
// order. Rules:
// 1. after the last deletion every table is as before the writes, but the
//    action rows and the number books' counters;
// 2. each deletion removes exactly the rows the writers wrote for that
//    complement (and, with the number's last complement, the seat and the
//    control row shared by its complements), nothing of another voucher;
// 3. the count told is the rows removed plus the 'E' row;
// 4. every stock and lot balance is as before the writes;
// 5. a purchase voucher or a live sales voucher written the same way is
//    refused and nothing changes;
// 6. a key that names nothing is told so, and nothing is written but the
//    first log line.
#include "escritores.h"

#include <QSet>

#include <algorithm>
#include <random>

using anulaciontest::Celdas;
using anulaciontest::EntornoEscritores;
using anulaciontest::Foto;

namespace {

const QString kNada = QStringLiteral("No se encontro ningun comprobante con esos datos, no se ha eliminado ningun "
                                     "registro");

// The tables whose changes a deletion keeps on purpose.
const QSet<QString> kGuardadas = {QStringLiteral("V_MV_CPTEACCIONES"), QStringLiteral("V_TA_CPTE")};
// The rows shared by every complement of a number.
const QSet<QString> kCompartidas = {QStringLiteral("MV_ASIENTOS"), QStringLiteral("V_MV_CTROL_CPTE")};

// The rows of `a` that `b` lacks, table by table (both sorted).
Foto Resta(const Foto& a, const Foto& b)
{
    Foto r;
    for (auto it = a.begin(); it != a.end(); ++it) {
        if (kGuardadas.contains(it.key()))
            continue;
        QStringList quedan;
        const QStringList otra = b.value(it.key());
        std::set_difference(it.value().begin(), it.value().end(), otra.begin(), otra.end(), std::back_inserter(quedan));
        if (!quedan.isEmpty())
            r[it.key()] = quedan;
    }
    return r;
}

void Suma(Foto& a, const Foto& b)
{
    for (auto it = b.begin(); it != b.end(); ++it) {
        a[it.key()] += it.value();
        std::sort(a[it.key()].begin(), a[it.key()].end());
    }
}

int Cuenta(const Foto& f)
{
    int n = 0;
    for (const QStringList& filas : f)
        n += int(filas.size());
    return n;
}

QString Describe(const Foto& f)
{
    QString t;
    for (auto it = f.begin(); it != f.end(); ++it)
        t += it.key() + u':' + it.value().join(QStringLiteral("; ")) + u'\n';
    return t;
}

class Generador : public EntornoEscritores {
protected:
    std::mt19937 azar_{50};
    int Entre(int desde, int hasta) { return std::uniform_int_distribution<int>(desde, hasta)(azar_); }
    bool Moneda(int porCiento) { return Entre(1, 100) <= porCiento; }
    template <class T>
    T De(const QList<T>& valores) { return valores[Entre(0, int(valores.size()) - 1)]; }

    // One to three lines of A1 (valued), K or K2, whole or fractional; per
    // line deposits when asked.
    void LineasAlAzar(bool porLinea)
    {
        QList<Celdas> lineas;
        for (int i = Entre(1, 3); i > 0; --i) {
            Celdas c{{0, De<QString>({"A1", "K", "K2"})}, {8, De<QString>({"1", "2", "3", "0.5", "1.25"})},
                     {41, QStringLiteral("10")}};
            if (porLinea)
                c[6] = De<QString>({"1", "2"});
            lineas.append(c);
        }
        Lineas(lineas);
    }

    // One complement written as a sales window would, and what it added.
    Foto EscribeComplemento(const QString& tc, const QString& id, int complemento, bool asiento, bool numera)
    {
        const Foto antes = Fotografia();
        const bool porLinea = Moneda(30);
        LineasAlAzar(porLinea);
        Escribe(tc, id, complemento, Moneda(50), porLinea ? QStringLiteral("ELDELGRID") : QStringLiteral("1"));
        if (asiento) {
            AsientoCosto(tc, id);
            // The seat's number recorded in its book (no control row), so
            // that the next seat takes the next one.
            const QString ultimo = Filas("SELECT MAX(NUMERO) FROM MV_ASIENTOS WHERE TC = 'CMV '").value(0);
            if (ultimo != QLatin1String("<null>")) {
                QString letra = QStringLiteral("X"), sql;
                ast::ActualizaNumeracionComprobante(QStringLiteral("CMV"), QStringLiteral("CONTABLE"),
                                                    QStringLiteral("0001"), QString::number(ultimo.toInt() + 1),
                                                    letra, false, sql);
            }
        }
        if (numera)
            Numera(tc, id);
        return Resta(Fotografia(), antes);
    }

    // Aceptar on a key with the one box expected.
    void Click(const QString& tc, const QString& id, int complemento, const QString& caja)
    {
        Prepara(tc, id.left(4), id.mid(4, 8), id.mid(12), QString::number(complemento));
        ui::ScriptedSession dlg;
        dlg.expectMsgBox(caja);
        Acepta(dlg);
    }
};

TEST_F(Generador, WrittenVouchersGoWithEverythingTheirWritersBookedAndNothingElse)
{
    const QString venta = QStringLiteral("Para eliminar fisicamente este comprobante, primero debe darlo de baja");
    const QString compra = QStringLiteral("Este comprobante y todos los de compras deben ser anulados");
    int borrados = 0, rechazados = 0, vacios = 0;
    // What the rounds came to: seats, control rows under the alias, inputs
    // taken from lots, numbers of two complements.
    int asientosCmv = 0, controlesAlias = 0, conLote = 0, dosComplementos = 0;
    for (int ronda = 0; ronda < 8; ++ronda) {
        SCOPED_TRACE(ronda);
        Reinicia();
        const bool asientos = Moneda(60), alias = Moneda(50), lotes = Moneda(60);
        Escritores(asientos);
        if (alias)
            Cfg("NUM_ND", QStringLiteral("FC"));
        if (lotes) {
            Existencia("I1", "1", "M1", 3);
            Existencia("I1", "1", "M2", 40);
            Existencia("I1", "2", "M1", 5);
        }
        // 5. Refused vouchers first: they stay.
        struct Rechazado {
            QString tc, id, caja;
        };
        QList<Rechazado> rechazos = {{"FCC", "000200004001A", compra}};
        rechazos.append({De<QString>({"FC", "NC", "ND", "RM", "FP"}), QStringLiteral("000100004002A"), venta});
        for (const Rechazado& r : rechazos)
            EscribeComplemento(r.tc, r.id, 0, false, false);
        const Foto inicial = Fotografia();
        const QStringList saldos = Saldos();

        // The vouchers to delete: their complements' rows and the rows their
        // complements share.
        struct Comprobante {
            QString tc, id;
            QList<int> complementos;
            QMap<int, Foto> propias;
            Foto compartidas;
        };
        QList<Comprobante> comprobantes;
        QSet<QString> usados;
        for (int i = Entre(3, 5); i > 0; --i) {
            Comprobante c;
            c.tc = De<QString>({"FC", "FC", "NC", "ND", "ND", "FP", "RM", "AJP"});
            const bool stock = c.tc == QLatin1String("AJP");
            do
                c.id = QStringLiteral("0001%1%2")
                           .arg(Entre(3000, 3999), 8, 10, QLatin1Char('0'))
                           .arg(stock ? QStringLiteral("X") : De<QString>({"A", "B"}));
            while (usados.contains(c.id.left(12)));
            usados.insert(c.id.left(12));
            c.complementos = Moneda(35) ? QList<int>{0, 1} : QList<int>{0};
            const bool numera = !stock && c.tc != QLatin1String("FP") && c.tc != QLatin1String("RM") && Moneda(70);
            for (int k : c.complementos) {
                Foto nuevas = EscribeComplemento(c.tc, c.id, k, asientos && k == 0, numera && k == 0);
                for (const QString& t : kCompartidas)
                    if (nuevas.contains(t))
                        Suma(c.compartidas, {{t, nuevas.take(t)}});
                c.propias[k] = nuevas;
            }
            asientosCmv += int(c.compartidas.value(QStringLiteral("MV_ASIENTOS")).size());
            controlesAlias += int(c.tc == QLatin1String("ND") &&
                                  c.compartidas.value(QStringLiteral("V_MV_CTROL_CPTE")).value(0).contains(
                                      QStringLiteral("|FC  |")));
            dosComplementos += int(c.complementos.size() == 2);
            for (const Foto& f : c.propias)
                conLote += int(f.value(QStringLiteral("V_MV_STOCK")).join(u'\n').contains(QStringLiteral("|M1   ")));
            Anula(c.tc, c.id);
            for (int k : c.complementos)  // the headers as annulled
                c.propias[k][QStringLiteral("V_MV_CPTE")] =
                    Ordenadas(QStringLiteral("SELECT * FROM V_MV_CPTE WHERE TC = '%1' AND IDCOMPROBANTE = '%2' AND "
                                             "IDCOMPLEMENTO = %3")
                                  .arg(Codigo(c.tc), c.id)
                                  .arg(k));
            comprobantes.append(c);
        }

        // 5. The refused ones, now among the others.
        for (const Rechazado& r : rechazos) {
            SCOPED_TRACE(r.tc.toStdString());
            const Foto antes = Fotografia();
            const QStringList log = LineasLog();
            Click(r.tc, r.id, 0, r.caja);
            EXPECT_EQ(Fotografia(), antes);
            EXPECT_EQ(LineasLog(), log);
            ++rechazados;
        }

        // 6. Keys that name nothing: types of every list but the purchases,
        // numbers nobody wrote, or a written number with another letter or
        // complement.
        for (int i = 0; i < 5; ++i) {
            const Comprobante& c = De(comprobantes);
            QString tc = c.tc, id = c.id;
            int complemento = 0;
            switch (Entre(0, 2)) {
            case 0:
                tc = De<QString>({"FC", "NC", "ND", "AJP", "PE", "CMV", "TR", "OT"});
                id = QStringLiteral("0001%1A").arg(Entre(5000, 5999), 8, 10, QLatin1Char('0'));
                break;
            case 1:
                id = id.left(12) + (id.endsWith(u'C') ? u'E' : u'C');
                break;
            default:
                complemento = 7;
                break;
            }
            SCOPED_TRACE((tc + u' ' + id + u' ' + QString::number(complemento)).toStdString());
            const Foto antes = Fotografia();
            const QStringList log = LineasLog();
            Click(tc, id, complemento, kNada);
            EXPECT_EQ(Fotografia(), antes);
            EXPECT_EQ(LineasLog().size(), log.size() + 1) << "the first line only";
            ++vacios;
        }

        // 2, 3. The complements in a random order.
        QList<std::pair<int, int>> orden;
        for (int i = 0; i < comprobantes.size(); ++i)
            for (int k : comprobantes[i].complementos)
                orden.append({i, k});
        std::shuffle(orden.begin(), orden.end(), azar_);
        for (const auto& [i, k] : orden) {
            Comprobante& c = comprobantes[i];
            SCOPED_TRACE((c.tc + u' ' + c.id + u' ' + QString::number(k)).toStdString());
            c.complementos.removeOne(k);
            Foto esperadas = c.propias[k];
            if (c.complementos.isEmpty())
                Suma(esperadas, c.compartidas);
            const Foto antes = Fotografia();
            Click(c.tc, c.id, k, QStringLiteral("Anulado sin Errores, se actualizaron %1 registros ")
                                     .arg(Cuenta(esperadas) + 1));
            const Foto despues = Fotografia();
            EXPECT_EQ(Resta(antes, despues), esperadas) << Describe(Resta(antes, despues)).toStdString();
            EXPECT_EQ(Resta(despues, antes), Foto()) << "nothing added";
            ++borrados;
        }

        // 1, 4.
        EXPECT_EQ(Resta(Fotografia(), inicial), Foto());
        EXPECT_EQ(Resta(inicial, Fotografia()), Foto());
        EXPECT_EQ(Saldos(), saldos);
        if (HasFailure())
            break;
    }
    EXPECT_GE(borrados, 25);
    EXPECT_GT(asientosCmv, 0);
    EXPECT_GT(controlesAlias, 0);
    EXPECT_GT(conLote, 0);
    EXPECT_GT(dosComplementos, 0);
    EXPECT_EQ(rechazados, 16);
    EXPECT_EQ(vacios, 40);
}

}  // namespace
