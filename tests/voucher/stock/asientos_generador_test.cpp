// Seeded generated vouchers of types stored with either direction, with and
// without an imposed sign, remits with loan rows: in both modes of the stock
// writer the seat is the same, its motive row is on the debit side exactly
// when the valued rows leave, and a voucher books all its lines under the
// motive of its kind: a remit's the loan motive when any written line is
// lent, else the transfer motive when its own last written row is on the
// distribution centre's account (composites on "PorDefault" whose inputs'
// rows are on other accounts among them); an IR whose lines name their
// origin the reception motive when its last line comes from an OC, the
// transfer motive when from an RM, its own motive when it names none.
#include "voucher/stock/entorno_stock.h"

#include "platform/legacy/numeric.h"

#include <random>

using namespace stocktest;

namespace {

class GeneradorAsientos : public StockTest {
protected:
    void SetUp() override
    {
        StockTest::SetUp();
        ConAsientos();
        Cfg("MotivoStockTransferencias", "4");
        Cfg("MotivoStockRecepcionOC", "5");
        Tipo("IR", "S", "STOCK");
        Tipo("VS", "E", "STOCK");
        Tipo("SI", " ", "STOCK");
        reglas::CompuestosConCuentas([this](const QString& sql) { Ejecuta(sql); });
        cls_ = std::make_unique<ClsCmnCptes>();
    }
};

TEST_F(GeneradorAsientos, TheMotiveSideFollowsTheRowsAndBothModesBookTheSameSeat)
{
    // The types and the direction their rows take without an imposed sign.
    const std::pair<const char*, int> tipos[] = {{"RMX", -1}, {"IRX", 1}, {"IR", -1}, {"VS", 1},
                                                 {"SI", 1},   {"AJN", -1}, {"AJP", 1}, {"RM", -1}};
    const char* const articulos[] = {"P1", "P2", "P3", "P4", "P6", "K9", "KA"};
    const char* const cuentas[] = {"", "PorDefault", "PorDefault", "9.9.99"};
    const char* const origenes[] = {"", "OC  000100000001X", "RM  000100000002X"};
    const char* const cantidades[] = {"1", "2", "3", "-1", "0.5", "0"};
    const char* const costos[] = {"10", "5", "3.333", "0.25"};
    const QSet<QString> conCuenta{"P1", "P2", "P3", "P6", "K9", "KA"};
    std::mt19937 azar(3);
    const auto uno = [&](int n) { return int(azar() % unsigned(n)); };
    const reglas::Consulta filas = [this](const QString& sql) { return Filas(sql); };
    int conAsiento = 0, remitosPrestados = 0, transferencias = 0, recepciones = 0;
    for (int v = 0; v < 100; ++v) {
        const int cual = uno(12);
        const auto [tipo, natural] = tipos[cual < 7 ? cual : cual < 10 ? 7 : 2];  // remits and IR the more often
        const QString tc = QString::fromLatin1(tipo);
        const int signo = uno(3) - 1;  // -1, 0 (the type's) or 1
        const int sentido = signo != 0 ? signo : natural;
        const int lineas = 1 + uno(4);
        const QString cuenta = cuentas[uno(4)];
        const bool origenPorLinea = tc == QLatin1String("IR") && uno(3) != 0;
        // The account and origin of the last line written.
        QString cuentaUltima, origenUltimo;
        grilla_->setRows(1);
        grilla_->setRows(lineas + 2);
        legacy::Currency valor;
        bool prestado = false;
        for (int f = 1; f <= lineas; ++f) {
            const QString articulo = QString::fromLatin1(articulos[uno(7)]), cantidad = cantidades[uno(6)],
                          costo = costos[uno(4)];
            grilla_->setTextMatrix(f, 0, articulo);
            grilla_->setTextMatrix(f, 8, cantidad);
            grilla_->setTextMatrix(f, 41, costo);
            if (uno(4) == 0) {
                grilla_->setTextMatrix(f, 91, "1");
                prestado = prestado || cantidad != QLatin1String("0");
            }
            if (origenPorLinea)
                grilla_->setTextMatrix(f, 37, origenes[uno(3)]);
            if (cantidad != QLatin1String("0")) {
                cuentaUltima = cuenta != QLatin1String("PorDefault") ? cuenta
                               : articulo == QLatin1String("K9")    ? "9.9.99"
                                                                    : "";
                origenUltimo = grilla_->TextMatrix(f, 37).left(2);
            }
            if (conCuenta.contains(articulo))
                valor += *legacy::Currency::parse(cantidad) * *legacy::Currency::parse(costo);
        }
        QStringList asientos;
        for (const bool colecta : {false, true}) {
            SCOPED_TRACE(QStringLiteral("voucher %1 %2 sign %3 %4").arg(v).arg(tc).arg(signo).arg(colecta).toStdString());
            const QString id = QStringLiteral("0001%1X").arg(2 * v + (colecta ? 2 : 1), 8, 10, QChar(u'0'));
            QString sql, fecha = "05/11/2026", dep = "1", dest, motivo,
                         tcOrigen = origenPorLinea ? "ELDELGRID" : "", origen, cta = cuenta, tecnico = "NULL",
                         loteFijo, aduana, loteOrigen, vendedor, moneda = "1";
            bool hayError = false;
            cls_->ActualizaStock(*grilla_, tc, id, "0", fecha, dep, dest, motivo, tcOrigen, origen, false, cta,
                                 colecta, sql, hayError, tecnico, loteFijo, aduana, loteOrigen, signo, false, vendedor,
                                 0, moneda, legacy::Currency(1));
            ASSERT_FALSE(hayError);
            if (colecta)
                ModGlobal::gDB().EjecutaConsultaSQL(sql);
            const QStringList motivo_ =
                Filas(QStringLiteral("SELECT DISTINCT Cuenta, [DEBE-HABER] FROM MV_ASIENTOS WHERE NUMERO = '%1' AND "
                                     "Cuenta IN (SELECT CUENTACONTABLE FROM V_TA_MOTIVOSTOCK)")
                          .arg(id.mid(4, 8)));
            const double neto = sentido * valor.toDouble();
            if (std::abs(neto) < 0.00005) {
                EXPECT_TRUE(motivo_.isEmpty());
            } else {
                // The rows' value leaving the stock: the motive is debited.
                const bool aCentro = cuentaUltima == QLatin1String("9.9.99");
                const QString cuentaMotivo = tc == QLatin1String("RM")
                                                 ? (prestado ? "5.2.02" : aCentro ? "5.2.03" : "5.2.01")
                                             : !origenPorLinea || origenUltimo.isEmpty() ? "5.1.01"
                                             : origenUltimo == QLatin1String("OC") ? "5.2.05"
                                                                                   : "5.2.03";
                EXPECT_EQ(motivo_, QStringList{cuentaMotivo + (neto < 0 ? "|D" : "|H")});
                conAsiento += colecta;
                remitosPrestados += colecta && prestado && tc == QLatin1String("RM");
                transferencias += colecta && cuentaMotivo == QLatin1String("5.2.03");
                recepciones += colecta && cuentaMotivo == QLatin1String("5.2.05");
            }
            asientos << reglas::Asiento(filas, tc, id).join(u';');
        }
        EXPECT_EQ(asientos[0], asientos[1]) << "voucher " << v << " " << tc.toStdString() << " sign " << signo;
    }
    EXPECT_EQ(reglas::Incumplidas(filas), QStringList{});
    EXPECT_GT(conAsiento, 50);
    EXPECT_GT(remitosPrestados, 2);
    EXPECT_GT(transferencias, 3);
    EXPECT_GT(recepciones, 2);
}

}  // namespace
