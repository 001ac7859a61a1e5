#pragma once
// The stock writer's tests: a DEMO database with the voucher types, articles
// and settings they use, a real articles grid laid out by a voucher window,
// and the writer called with the arguments a test sets.
#include "core/cargaconfiguracion.h"
#include "core/modglobal.h"
#include "core/support/entorno_core.h"
#include "platform/kapores2/funciones.h"
#include "platform/ui/modalform.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/scripted.h"
#include "support/testutil.h"
#include "voucher/clscmncptes.h"
#include "voucher/grids/frmmvventas.h"
#include "voucher/stock/reglas_asientos.h"

#include <QLineEdit>
#include <QTimer>

#include <functional>
#include <map>

namespace stocktest {

using Celdas = std::map<int, QString>;
inline const QString kSep = QString(QChar(0xFF));

inline QString Art(const char* codigo)
{
    return kapores2::Funciones::RellenaCodigo(QString::fromLatin1(codigo), 25);
}

// The writer's arguments a test sets; the rest are left empty.
struct Opciones {
    QString deposito = "1";
    bool transferencia = false;
    QString destino;
    QString cuenta;
    QString tcOrigen;
    QString origen;
    QString motivo;
    QString loteFijo;
    QString fecha = "05/11/2026";
};

class StockTest : public coretest::EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        ConectaDemo(QStringLiteral("DEMO"));
        ModGlobal::gUNegocio = QStringLiteral("   1");
        ModGlobal::gCaja = QStringLiteral("1");
        ModGlobal::Periodo = 2026;
        for (const char* tc : {"RMX", "IRX", "TRX", "PE", "ZZ"})
            Ejecuta(QStringLiteral("DELETE FROM V_TA_CPTE WHERE CODIGO = '%1'").arg(Codigo(tc)));
        Tipo("RMX", "S", "Ventas");
        Tipo("IRX", "E", "Compras");
        Tipo("TRX", "S", "STOCK");
        Tipo("PE", "S", "STOCK");
        Ejecuta("DELETE FROM V_MV_STOCK");
        Ejecuta("DELETE FROM MV_ASIENTOS");
        Ejecuta("DELETE FROM STK_SERIES_Y_LOTES");
        for (const auto& [codigo, cuenta, costo, procedencia] :
             {std::tuple{"A1", "1.1.01", "10", ""}, std::tuple{"A2", "1.1.02", "5", ""},
              std::tuple{"K1", "1.1.01", "0", ""}, std::tuple{"I1", "1.1.03", "2", ""},
              std::tuple{"I2", "", "3", ""}, std::tuple{"77", "", "0", "PRODUCCION"}}) {
            Ejecuta(QStringLiteral("DELETE FROM V_MA_ARTICULOS WHERE IDARTICULO = '%1'").arg(Art(codigo)));
            Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, cuentacontableC, "
                                   "Costo, CUENTAPROVEEDOR, procedencia) VALUES ('%1', 'Art %2', 'UN  ', %3, %4, "
                                   "'P-%2', '%5')")
                        .arg(Art(codigo), codigo, *cuenta ? QStringLiteral("'%1'").arg(cuenta) : QStringLiteral("NULL"),
                             costo, procedencia));
        }
        Cfg("DescargaInsumosProduccion", "NO");
        Cfg("ConfirmaUDEquiv", "NO");
        Cfg("MotivoStockDefault", "   1");
        cls_ = std::make_unique<ClsCmnCptes>();
        // The articles grid of a voucher window, laid out as the window does.
        ventana_ = std::make_unique<FrmMvVentas>();
        for (auto& caja : cajas_)
            caja = std::make_unique<QLineEdit>(ventana_.get());
        cls_->InicializaGrids(ventana_->MSFlexGrid1, ventana_->MSFlexGrid2, ventana_->MSFlexGrid3, cajas_[0].get(),
                              cajas_[1].get(), cajas_[2].get(), ventana_.get(), QStringLiteral("RMX"));
        grilla_ = ventana_->MSFlexGrid2;
        ASSERT_EQ(grilla_->Cols(), 120);
    }

    static QString Codigo(const char* tc) { return kapores2::Funciones::RellenaCodigo(QString::fromLatin1(tc), 4); }

    void Tipo(const char* tc, const char* es, const char* sistema, const char* signo = "NULL", const char* lado = "D")
    {
        Ejecuta(QStringLiteral("INSERT INTO V_TA_CPTE (CODIGO, Talonario, Letras, Sistema, Signo, DebeHaber, ES, "
                               "X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO) VALUES ('%1', 1, 'X', '%2', %3, "
                               "'%4', '%5', 1, 1, 99999999, 7)")
                    .arg(Codigo(tc), sistema, signo, lado, es));
    }

    void Cfg(const char* clave, const char* valor)
    {
        Ejecuta(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = '%1'").arg(clave));
        Ejecuta(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('%1', 'DATOS', '%2')")
                    .arg(clave, valor));
    }

    // The seats' set-up of the seat tests: seats on, the remit, loan and
    // distribution-centre settings, the motives 1 to 3 on their accounts,
    // no sub-journals, and the articles on their accounts.
    void ConAsientos()
    {
        Cfg("AsientosXStock", "SI");
        Cfg("MotivoStockRemito", "2");
        Cfg("MotivoStockComodato", "3");
        Cfg("CuentaCtroDist", "9.9.99");
        Ejecuta("DELETE FROM V_TA_MOTIVOSTOCK");
        Ejecuta("INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES ('   1', 'Ventas', "
                "'5.1.01'), ('   2', 'Remitos', '5.2.01'), ('   3', 'Comodatos', '5.2.02')");
        Ejecuta("DELETE FROM MA_SUBDIARIOSCOMPROBANTES");
        reglas::ArticulosConCuentas([this](const QString& sql) { Ejecuta(sql); });
    }

    // A component of an article, and the stock of a lot of an article.
    void Insumo(const QString& articulo, const QString& insumo, const QString& cantidad,
                const QString& unidad = QStringLiteral("UN  "))
    {
        Ejecuta(QStringLiteral("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
                               "VALUES ('%1', '%2', '%3', %4)")
                    .arg(Art(articulo.toLatin1()), Art(insumo.toLatin1()), unidad, cantidad));
    }

    void Existencia(const QString& articulo, const QString& deposito, const QString& lote, const QString& cantidad)
    {
        Ejecuta(QStringLiteral("INSERT INTO STK_SERIES_Y_LOTES (IdArticulo, IdDeposito, NroLote, Cantidad) VALUES "
                               "('%1', '%2', '%3', %4)")
                    .arg(Art(articulo.toLatin1()), kapores2::Funciones::RellenaCodigo(deposito, 4), lote, cantidad));
    }

    // The lines of the articles grid, and the empty entry row after them.
    void Lineas(const QList<Celdas>& lineas)
    {
        grilla_->setRows(1);
        grilla_->setRows(long(lineas.size()) + 2);
        for (int f = 0; f < lineas.size(); ++f)
            for (const auto& [col, texto] : lineas[f])
                grilla_->setTextMatrix(f + 1, col, texto);
    }

    struct Resultado {
        QString sql;
        bool hayError = false;
    };

    Resultado Escribe(const QString& tc, const QString& id, bool colecta, const Opciones& o = {})
    {
        Resultado r;
        QString fecha = o.fecha, dep = o.deposito, dest = o.destino, motivo = o.motivo,
                tcOrigen = o.tcOrigen, origen = o.origen, cta = o.cuenta, tecnico = QStringLiteral("NULL"),
                loteFijo = o.loteFijo, aduana, loteOrigen, vendedor, moneda = QStringLiteral("1");
        cls_->ActualizaStock(*grilla_, tc, id, QStringLiteral("0"), fecha, dep, dest, motivo, tcOrigen, origen,
                             o.transferencia, cta, colecta, r.sql, r.hayError, tecnico, loteFijo, aduana, loteOrigen, 0,
                             false, vendedor, 0, moneda, legacy::Currency(1));
        return r;
    }

    QStringList Movimientos(const QString& columnas = "TC, IdComprobante, Secuencia, IdArticulo, NroLote, NroSerie, "
                                                      "IdDeposito, IDDEPOSITO_DESTINO, Cantidad")
    {
        return Filas(QStringLiteral("SELECT %1 FROM V_MV_STOCK ORDER BY IdComprobante, Secuencia").arg(columnas));
    }

    std::unique_ptr<FrmMvVentas> ventana_;
    std::unique_ptr<QLineEdit> cajas_[3];
    ui::MSFlexGrid* grilla_ = nullptr;
    std::unique_ptr<ClsCmnCptes> cls_;
};

}  // namespace stocktest
