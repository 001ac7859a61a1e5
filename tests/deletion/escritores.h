#pragma once
// Vouchers written by the system's own writers on the window's database, to
// be annulled and deleted through the window: the stock writer (executing or
// collecting), the cost-of-goods seat and the number book with its control
// row. Articles: A1 (cost 10, account 1.1.01) and the composite K, 2 I1
// (kept by lot where lots are stored) and 1 I2 per unit; K2, 1 I2 per unit.
#include "entorno_anulacion.h"

#include "core/modglobal.h"
#include "numbering/ast.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"
#include "platform/ui/msflexgrid.h"
#include "voucher/clscmncptes.h"
#include "voucher/grids/frmmvventas.h"

#include <map>

namespace anulaciontest {

using Celdas = std::map<int, QString>;  // grid column -> text

inline QString Art(const QString& codigo)
{
    return kapores2::Funciones::RellenaCodigo(codigo, 25);
}

class EntornoEscritores : public EntornoAnulacion {
public:  // the cases' steps are functions of their own
    void TearDown() override
    {
        cls_.reset();
        for (auto& caja : cajas_)
            caja.reset();  // before their window
        ventana2_.reset();
        EntornoAnulacion::TearDown();
    }

    // The window loaded, then the writers' types, articles and settings.
    void Escritores(bool asientos)
    {
        Carga();
        ModGlobal::gUNegocio = QStringLiteral("   1");
        ModGlobal::gCaja = QStringLiteral("1");
        ModGlobal::Periodo = 2026;
        Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'PE  '");
        Ejecuta("INSERT INTO V_TA_CPTE (CODIGO, Talonario, Letras, Sistema, Signo, DebeHaber, ES, X_SUC_DEFAULT, "
                "X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO) VALUES ('PE  ', 1, 'X', 'STOCK', NULL, 'D', 'S', 1, 1, "
                "99999999, 7)");
        for (const auto& [codigo, cuenta, costo] : {std::tuple{"A1", "'1.1.01'", "10"}, std::tuple{"K", "NULL", "0"},
                                                    std::tuple{"K2", "NULL", "0"}, std::tuple{"I1", "'1.1.03'", "2"},
                                                    std::tuple{"I2", "NULL", "3"}})
            Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, cuentacontableC, "
                                   "Costo) VALUES ('%1', 'Art %2', 'UN  ', %3, %4)")
                        .arg(Art(codigo), codigo, cuenta, costo));
        Ejecuta(QStringLiteral("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
                               "VALUES ('%1', '%2', 'UN  ', 2), ('%1', '%3', 'UN  ', 1), ('%4', '%3', 'UN  ', 1)")
                    .arg(Art("K"), Art("I1"), Art("I2"), Art("K2")));
        Cfg("DescargaInsumosProduccion", "NO");
        Cfg("ConfirmaUDEquiv", "NO");
        Cfg("MotivoStockDefault", "   1");
        Cfg("AsientosXStock", asientos ? "SI" : "NO");
        Ejecuta("INSERT INTO V_TA_MotivoVta (IdMotivoVta, Descripcion) VALUES ('   1', 'Mostrador')");
        Ejecuta("INSERT INTO V_TA_Input_Ventas (IdMotivoVta, COSTO_MERCADERIA) VALUES ('   1', '5.9.01')");
        cls_ = std::make_unique<ClsCmnCptes>();
        ventana2_ = std::make_unique<FrmMvVentas>();
        for (auto& caja : cajas_)
            caja = std::make_unique<QLineEdit>(ventana2_.get());
        cls_->InicializaGrids(ventana2_->MSFlexGrid1, ventana2_->MSFlexGrid2, ventana2_->MSFlexGrid3, cajas_[0].get(),
                              cajas_[1].get(), cajas_[2].get(), ventana2_.get(), QStringLiteral("FC"));
        grilla_ = ventana2_->MSFlexGrid2;
    }

    void Cfg(const char* clave, const QString& valor)
    {
        Ejecuta(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = '%1'").arg(clave));
        Ejecuta(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('%1', 'DATOS', '%2')")
                    .arg(clave, valor));
    }

    // Lots of an article at a deposit, as the lot windows store them.
    void Existencia(const char* articulo, const char* deposito, const char* lote, int cantidad)
    {
        Ejecuta(QStringLiteral("INSERT INTO STK_SERIES_Y_LOTES (IdArticulo, IdDeposito, NroLote, Cantidad) VALUES "
                               "('%1', '%2', '%3', %4)")
                    .arg(Art(articulo), kapores2::Funciones::RellenaCodigo(deposito, 4), lote)
                    .arg(cantidad));
    }

    // The lines of the articles grid (article, unit UN, quantity, cost and
    // any further cells), and the empty entry row after them.
    void Lineas(const QList<Celdas>& lineas)
    {
        grilla_->setRows(1);
        grilla_->setRows(long(lineas.size()) + 2);
        for (int f = 0; f < lineas.size(); ++f) {
            grilla_->setTextMatrix(f + 1, 5, QStringLiteral("UN"));
            for (const auto& [col, texto] : lineas[f])
                grilla_->setTextMatrix(f + 1, col, texto);
        }
    }

    // The voucher as its sales window leaves it: the header (live) and one
    // line row per grid line, then the stock writer on the grid, whose
    // statements (all of them collected, or the number book's left over)
    // run as the window runs them.
    void Escribe(const QString& tc, const QString& id, int complemento, bool colecta,
                 const QString& deposito = QStringLiteral("1"))
    {
        const QString clave = QStringLiteral("'%1', '%2', %3").arg(Codigo(tc), id).arg(complemento);
        Ejecuta(QStringLiteral("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, ANULADA) VALUES (%1, 0)")
                    .arg(clave));
        for (long f = 1; f + 1 < grilla_->Rows(); ++f)
            Ejecuta(QStringLiteral("INSERT INTO V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, Cantidad) VALUES "
                                   "(%1, %2)")
                        .arg(clave, grilla_->TextMatrix(f, 8)));
        QString sql, fecha = QStringLiteral("05/11/2026"), dep = deposito, dest, motivo, tcOrigen, origen, cta,
                     tecnico = QStringLiteral("NULL"), loteFijo, aduana, loteOrigen, vendedor,
                     moneda = QStringLiteral("1");
        bool hayError = false;
        cls_->ActualizaStock(*grilla_, tc, id, QString::number(complemento), fecha, dep, dest, motivo, tcOrigen,
                             origen, false, cta, colecta, sql, hayError, tecnico, loteFijo, aduana, loteOrigen, 0,
                             false, vendedor, 0, moneda, legacy::Currency(1));
        ASSERT_FALSE(hayError) << tc.toStdString() << " " << id.toStdString();
        if (!legacy::Trim(sql).isEmpty())
            ModGlobal::gDB().EjecutaConsultaSQL(sql);
    }

    // The cost-of-goods seat of a sales voucher's grid, run as written.
    void AsientoCosto(const QString& tc, const QString& id)
    {
        QString motivo = QStringLiteral("1"), t = tc, suc = id.left(4), nro = id.mid(4, 8), letra = id.mid(12);
        int secuencia = 1;
        const QString sql = cls_->GeneraAsientoStock(*grilla_, motivo, t, suc, nro, letra,
                                                     QStringLiteral("05/11/2026"), true, 99, 0, &secuencia);
        if (!sql.isEmpty())
            ModGlobal::gDB().EjecutaConsultaSQL(sql);
    }

    // The number of a voucher recorded in its book (the number that follows
    // its own, with the writer's leading blank) with the control row.
    void Numera(const QString& tc, const QString& id)
    {
        QString letra = id.mid(12), sql;
        ast::ActualizaNumeracionComprobante(tc, QStringLiteral("VENTAS"), id.left(4),
                                            QStringLiteral(" %1").arg(id.mid(4, 8).toLongLong() + 1), letra, true,
                                            sql, true);
        if (!legacy::Trim(sql).isEmpty())
            ModGlobal::gDB().EjecutaConsultaSQL(sql);
    }

    void Anula(const QString& tc, const QString& id)
    {
        Ejecuta(QStringLiteral("UPDATE V_MV_CPTE SET ANULADA = 1 WHERE TC = '%1' AND IDCOMPROBANTE = '%2'")
                    .arg(Codigo(tc), id));
    }

    static QString Codigo(const QString& tc) { return kapores2::Funciones::RellenaCodigo(tc, 4); }

    // Stock and lot balances of the writers' articles: article, deposit, lot
    // and quantity.
    QStringList Saldos()
    {
        return Filas("SELECT RTRIM(LTRIM(IdArticulo)), RTRIM(LTRIM(IdDeposito)), RTRIM(NroLote), SUM(Cantidad) FROM "
                     "V_MV_STOCK WHERE LTRIM(IdArticulo) IN ('A1', 'K', 'K2', 'I1', 'I2') GROUP BY IdArticulo, "
                     "IdDeposito, NroLote HAVING SUM(Cantidad) <> 0 ORDER BY 1, 2, 3");
    }

    std::unique_ptr<FrmMvVentas> ventana2_;
    std::unique_ptr<QLineEdit> cajas_[3];
    ui::MSFlexGrid* grilla_ = nullptr;
    std::unique_ptr<ClsCmnCptes> cls_;
};

}  // namespace anulaciontest
