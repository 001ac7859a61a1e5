// The seat rules over a seeded set of generated stock vouchers, each written
// in both modes of the stock writer with seats from stock on.
#include "voucher/stock/entorno_stock.h"

#include "platform/legacy/numeric.h"

#include <random>

using namespace stocktest;

namespace {

class ReglasDeAsientos : public StockTest {
protected:
    void SetUp() override
    {
        StockTest::SetUp();
        Cfg("AsientosXStock", "SI");
        // Motive 9 has a blank account; two types under two sub-journals.
        for (const char* tabla : {"V_TA_MOTIVOSTOCK", "MA_SUBDIARIOSCOMPROBANTES"})
            Ejecuta(QStringLiteral("DELETE FROM %1").arg(tabla));
        Ejecuta("INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES ('   1', 'Ventas', "
                "'5.1.01'), ('   4', 'Roturas', '5.2.04'), ('   9', 'Sin cuenta', ' ')");
        Ejecuta("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('AJN ', 'ST  '), ('RMX ', 'VT  ')");
        reglas::ArticulosConCuentas([this](const QString& sql) { Ejecuta(sql); });
        cls_ = std::make_unique<ClsCmnCptes>();  // reads the settings when made
    }
};

TEST_F(ReglasDeAsientos, HoldOverGeneratedVouchersInBothModes)
{
    const char* const tipos[] = {"AJN", "RMX", "IRX", "TRX"};
    const char* const articulos[] = {"P1", "P2", "P3", "P4", "P5", "P6"};
    const char* const cantidades[] = {"1", "2", "3", "-1", "0.5", "0"};
    const char* const costos[] = {"10", "5", "3.333", "0", "0.25"};
    const char* const motivos[] = {"1", "4", "9"};
    const QSet<QString> conCuenta{"P1", "P2", "P3", "P6"};
    std::mt19937 azar(41);
    const auto uno = [&](int n) { return int(azar() % unsigned(n)); };
    const reglas::Consulta filas = [this](const QString& sql) { return Filas(sql); };
    QMap<QString, double> totales;
    for (int v = 0; v < 36; ++v) {
        const QString tc = QString::fromLatin1(tipos[uno(4)]);
        const bool porLinea = uno(3) == 0;
        QString fecha = uno(2) ? QStringLiteral("05/11/2026") : QStringLiteral("05/12/2026");
        const int lineas = 1 + uno(4);
        grilla_->setRows(1);
        grilla_->setRows(lineas + 2);
        legacy::Currency total;
        for (int f = 1; f <= lineas; ++f) {
            const QString articulo = QString::fromLatin1(articulos[uno(6)]), cantidad = cantidades[uno(6)],
                          costo = costos[uno(5)], motivo = porLinea ? motivos[uno(3)] : "1";
            grilla_->setTextMatrix(f, 0, articulo);
            grilla_->setTextMatrix(f, 8, cantidad);
            grilla_->setTextMatrix(f, 41, costo);
            grilla_->setTextMatrix(f, 89, motivo);
            if (conCuenta.contains(articulo) && motivo != QLatin1String("9"))
                total += *legacy::Currency::parse(cantidad) * *legacy::Currency::parse(costo);
        }
        QStringList asientos;
        for (const bool colecta : {false, true}) {
            const QString id = QStringLiteral("0001%1X").arg(2 * v + (colecta ? 2 : 1), 8, 10, QChar(u'0'));
            QString sql, dep = "1", dest = tc == QLatin1String("TRX") ? "9" : "", motivo = porLinea ? "ELDELGRID" : "",
                         tcOrigen, origen, cuenta, tecnico = "NULL", loteFijo, aduana, loteOrigen, vendedor,
                         moneda = "1";
            bool hayError = false;
            cls_->ActualizaStock(*grilla_, tc, id, "0", fecha, dep, dest, motivo, tcOrigen, origen,
                                 tc == QLatin1String("TRX"), cuenta, colecta, sql, hayError, tecnico, loteFijo, aduana,
                                 loteOrigen, 0, false, vendedor, 0, moneda, legacy::Currency(1));
            ASSERT_FALSE(hayError) << v;
            if (colecta)
                ModGlobal::gDB().EjecutaConsultaSQL(sql);
            totales.insert(tc + u'|' + id.mid(0, 4) + u'|' + id.mid(4, 8) + u'|' + id.mid(12), total.toDouble());
            asientos << reglas::Asiento(filas, tc, id).join(u';');
        }
        EXPECT_EQ(asientos[0], asientos[1]) << "voucher " << v << " " << tc.toStdString() << (porLinea ? " per line" : "");
    }
    EXPECT_EQ(reglas::Incumplidas(filas, totales), QStringList{});
    EXPECT_GT(Filas("SELECT COUNT(DISTINCT NUMERO) FROM MV_ASIENTOS")[0].toInt(), 30) << "most vouchers book a seat";
}

}  // namespace
