// Stock queries: the balance of an article by deposit, lot, serial, position
// and unit; of one lot; in the base unit and a second unit.
#include "voucher/clscmncptes.h"

#include "core/configuracion.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/comunes.h"
#include "numbering/stock.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"

#include <memory>

using kapores2::Funciones;
using legacy::Trim;

namespace {

bool Ignora(const QString& valor)
{
    return valor.compare(QLatin1String("Ignorar"), Qt::CaseInsensitive) == 0;
}

// A filter applies when the value is neither blank nor "Ignorar".
bool Filtra(const QString& valor)
{
    return !Trim(valor).isEmpty() && !Ignora(valor);
}

using numeracion::Codigo;  // a code in its stored width, ready to sit between apostrophes

QString Suma(const QString& sentencia)
{
    std::shared_ptr<ado::Recordset> rs;
    ModGlobal::gDB().AbrirRecordset(sentencia, rs, nullptr, 0, 1, -1, true);
    return Funciones::ValorNoNulo(rs->Fields("SaldoStock")).toString();
}

QString SumaLotes(const QString& articulo)
{
    return QStringLiteral(" SELECT SUM(CANTIDAD) AS SaldoStock FROM STK_SERIES_Y_LOTES ") +
           QStringLiteral(" WHERE IDARTICULO = '") + Codigo(Trim(articulo), 25) + QStringLiteral("'");
}

}  // namespace

QString ClsCmnCptes::SentenciaStockDetalle(const QString& IdArticulo, const QString& IdDeposito,
                                          const QString& NroLote, const QString& NroSerie,
                                          const QString& IdPosicion, bool UsaSerie, bool UsaLote)
{
    QString sql = SumaLotes(IdArticulo);
    if (Filtra(IdDeposito))
        sql += QStringLiteral(" AND IdDeposito = '") + Codigo(IdDeposito, 4) + QStringLiteral("' ");
    if (Filtra(NroLote))
        sql += QStringLiteral(" AND NroLote = '") + Codigo(Trim(NroLote), 25) + QStringLiteral("' ");
    if (Filtra(NroSerie))
        sql += QStringLiteral(" AND NroSerie = '") + Codigo(Trim(NroSerie), 25) + QStringLiteral("' ");
    if (Filtra(IdPosicion))
        sql += QStringLiteral(" AND IdPosicion = '") + Codigo(Trim(IdPosicion), 15) + QStringLiteral("' ");
    if (UsaSerie && !UsaLote)
        sql += QStringLiteral(" AND NroLote is NULL ");
    if (UsaLote && !UsaSerie)
        sql += QStringLiteral(" AND NroSerie is NULL ");
    return sql;
}

QString ClsCmnCptes::SentenciaStockLote(const QString& IdArticulo, const QString& IdDeposito, const QString& NroLote)
{
    QString sql = SumaLotes(IdArticulo) + QStringLiteral(" AND IdDeposito = '") + Codigo(IdDeposito, 4) +
                  QStringLiteral("' ");
    if (!NroLote.isEmpty())
        sql += QStringLiteral(" AND NroLote = '") + Codigo(Trim(NroLote), 25) + QStringLiteral("' ");
    else
        sql += QStringLiteral(" AND (NroLote = '' OR NROLOTE IS NULL)");
    return sql;
}

double ClsCmnCptes::ObtieneStock(const QString& IdArticulo, QString& IdDeposito, const QString& NroLote,
                                 const QString& NroSerie, const QString& IdPosicion, QString& IdUnidad)
{
    double saldo = 0;
    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("ObtieneStock"), db.errorHandler());

    if (Ignora(NroLote) && Ignora(NroSerie)) {
        trap([&] {
            if (Ignora(IdDeposito))
                IdDeposito = Funciones::RellenaCodigo(Trim(ModGlobal::Cfg(QStringLiteral("DepositoDefault"))), 4);
        });
        trap([&] {
            if (Ignora(IdUnidad)) {
                const legacy::Variant unidad =
                    db.DatosTabla(QStringLiteral("v_ma_articulos"), IdArticulo,
                                  QStringLiteral("IdUnidad"),
                                  QStringLiteral("IdArticulo"), legacy::Variant(8), QString(), true, false);
                IdUnidad = Funciones::RellenaCodigo(Trim(Funciones::ValorNoNulo(unidad).toString()), 4);
            }
        });
        trap([&] { Stock::ControlStock(IdDeposito, IdArticulo, IdUnidad, saldo); });
        return saldo;
    }

    const QString articulo = Codigo(Trim(IdArticulo), 25);
    bool usaSerie = false, usaLote = false;
    trap([&] {
        std::shared_ptr<ado::Recordset> rs;
        db.AbrirRecordset(QStringLiteral("SELECT USASERIE, USALOTE FROM V_MA_ARTICULOS WHERE IDARTICULO = '") +
                              articulo + QStringLiteral("' "),
                          rs, nullptr, 0, 1, -1, true);
        if (!rs->Eof()) {
            // A Null flag counts as false.
            usaSerie = legacy::CBool(Funciones::ValorNoNulo(rs->Fields("USASERIE")));
            usaLote = legacy::CBool(Funciones::ValorNoNulo(rs->Fields("USALOTE")));
        }
    });
    QString sql;
    trap([&] { sql = SentenciaStockDetalle(IdArticulo, IdDeposito, NroLote, NroSerie, IdPosicion, usaSerie, usaLote); });
    trap([&] { saldo = Funciones::TextoADoble(legacy::Variant(Suma(sql))); });
    return saldo;
}

double ClsCmnCptes::ObtieneStock(const QString& IdArticulo)
{
    QString deposito = QStringLiteral("Ignorar"), unidad = QStringLiteral("Ignorar");
    return ObtieneStock(IdArticulo, deposito, QStringLiteral("Ignorar"), QStringLiteral("Ignorar"),
                        QStringLiteral("Ignorar"), unidad);
}

double ClsCmnCptes::ObtieneStockLOTE(const QString& IdArticulo, const QString& IdDeposito, const QString& NroLote)
{
    double saldo = 0;
    legacy::ErrorTrap trap(QStringLiteral("ObtieneStock"), ModGlobal::gDB().errorHandler());
    QString sql;
    trap([&] { sql = SentenciaStockLote(IdArticulo, IdDeposito, NroLote); });
    trap([&] { saldo = Funciones::TextoADoble(legacy::Variant(Suma(sql))); });
    return saldo;
}

void ClsCmnCptes::ObtieneStockxEquiv(const QString& IdDeposito, const QString& IdArticulo, const QString& UdBase,
                                     const QString& udEquivBuscada, double& StockUdBase, double& StockEquiv)
{
    Stock::ControlStock(IdDeposito, IdArticulo, UdBase, StockUdBase);
    StockEquiv = udEquivBuscada.isEmpty()
                     ? 0
                     : Stock::ConvierteCantidadUnidad(IdArticulo, UdBase, StockUdBase, udEquivBuscada);
}
