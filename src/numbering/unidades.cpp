// Units of an article, equivalences between them and stock balances.
#include "numbering/stock.h"

#include "core/cargaconfiguracion.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/comunes.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"

#include <optional>

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;
using namespace numeracion;

QString Stock::ObtieneUnidadArticulo(const QString& IdArticulo)
{
    RS rs;
    // An article that is not stored has no unit: "" (callers take an empty
    // unit as no unit).
    if (!Abre(QStringLiteral("SELECT IDUNIDAD FROM V_MA_ARTICULOS WHERE IDARTICULO = '") + Codigo(IdArticulo, 25) +
                  QStringLiteral("'"),
              rs))
        return {};
    return Trim(Funciones::ValorNoNulo(rs->Fields("IdUnidad").Value()).toString());
}

namespace {

QString SentenciaEquivalencia(const QString& articulo, const QString& desde, const QString& hacia)
{
    return QStringLiteral("SELECT * FROM  S_TA_EQUIV  with(nolock)  WHERE IdArticulo = '") + Codigo(Trim(articulo), 25) +
           QStringLiteral("' AND IDUNIDAD = '") + Codigo(Trim(desde), 4) + QStringLiteral("' AND IDUNIDAD_EQUIV = '") +
           Codigo(Trim(hacia), 4) + QStringLiteral("'");
}

double CoeficienteDeFila(const RS& rs)
{
    return Funciones::TextoADoble(Funciones::ValorNoNulo(rs->Fields("Coeficiente").Value()));
}

}  // namespace

bool Stock::IdArticuloTieneEquivalencias(const QString& IdArticulo, const QString& UdEquivBuscada,
                                         QString& Operador, QString& UdBase, double& Coeficiente, bool& SinUnidad)
{
    legacy::ErrorTrap trap(QStringLiteral("IdArticuloTieneEquivalencias"), ModGlobal::gDB().errorHandler());
    Coeficiente = 0;
    SinUnidad = false;
    QString u;
    if (!trap([&] { u = UdBase.isEmpty() ? ObtieneUnidadArticulo(IdArticulo) : UdBase; }))
        return false;
    SinUnidad = Trim(u).isEmpty();
    if (SinUnidad)
        return false;
    UdBase = u;
    RS rs;
    bool encontrado = false;
    const auto ruta = [&](const QString& desde, const QString& hacia, const char* operador) {
        return trap([&] {
            if (encontrado || !Abre(SentenciaEquivalencia(IdArticulo, desde, hacia), rs))
                return;
            Coeficiente = CoeficienteDeFila(rs);
            Operador = QString::fromLatin1(operador);
            encontrado = true;
        });
    };
    if (!ruta(UdBase, UdEquivBuscada, "/") || encontrado)
        return encontrado;
    if (!ruta(UdEquivBuscada, UdBase, "*") || encontrado)
        return encontrado;
    if (!Iguales(UdEquivBuscada, ModGlobal::UnidadMedidaKG))
        return false;
    // The kilogram route: from UdBase to the article's base unit, then from
    // the kilogram unit to that base unit; the coefficient is the product.
    QString base;
    double c1 = 0;
    bool sigue = false;
    trap([&] {
        if (!Abre(QStringLiteral("SELECT IDUNIDAD FROM V_MA_ARTICULOS  with(nolock)  WHERE IdArticulo = '") +
                      Codigo(Trim(IdArticulo), 25) + QStringLiteral("'"),
                  rs))
            return;
        base = Funciones::ValorNoNulo(rs->Fields("IdUnidad").Value()).toString();
        sigue = !Iguales(UdBase, base);
    });
    if (!sigue)
        return false;
    sigue = false;
    trap([&] {
        if (!Abre(SentenciaEquivalencia(IdArticulo, UdBase, base), rs))
            return;
        c1 = CoeficienteDeFila(rs);
        sigue = true;
    });
    if (!sigue)
        return false;
    trap([&] {
        if (!Abre(SentenciaEquivalencia(IdArticulo, UdEquivBuscada, base), rs))
            return;
        Coeficiente = c1 * CoeficienteDeFila(rs);
        Operador = QStringLiteral("/");
        encontrado = true;
    });
    return encontrado;
}

namespace {

struct Equivalencia {
    QString operador;
    double coeficiente = 0;  // 0: no equivalence
};

// What both conversions look up: nothing when the quantity stays as it is
// (0, or the same unit on both sides). A coefficient of 0 links nothing: it
// is taken as no equivalence rather than divided by.
std::optional<Equivalencia> Busca(const QString& articulo, QString& udBase, double cantidad, const QString& buscada)
{
    if (cantidad == 0 || Iguales(udBase, buscada))
        return std::nullopt;
    Equivalencia e;
    bool sinUnidad = false;
    if (!Stock::IdArticuloTieneEquivalencias(articulo, buscada, e.operador, udBase, e.coeficiente, sinUnidad))
        e.coeficiente = 0;
    return e;
}

}  // namespace

double Stock::ConvierteCantidadUnidad(const QString& IdArticulo, QString& UdBase, double Cantidad,
                                      const QString& UdEquivBuscada)
{
    const auto e = Busca(IdArticulo, UdBase, Cantidad, UdEquivBuscada);
    if (!e)
        return Cantidad;
    if (e->coeficiente == 0)
        return 0;
    const double r = e->operador == u"*" ? Cantidad / e->coeficiente : e->coeficiente * Cantidad;
    return legacy::Currency::fromDouble(r).toDouble();
}

double Stock::ConvierteCantidadUnidad(const QString& IdArticulo, const QString& UdBase, double Cantidad,
                                      const QString& UdEquivBuscada)
{
    QString base = UdBase;
    return ConvierteCantidadUnidad(IdArticulo, base, Cantidad, UdEquivBuscada);
}

double Stock::ConvierteCantidadUnidadInversa(const QString& IdArticulo, QString& UdBase, double Cantidad,
                                             const QString& UdEquivBuscada)
{
    const auto e = Busca(IdArticulo, UdBase, Cantidad, UdEquivBuscada);
    if (!e || e->coeficiente == 0)
        return Cantidad;
    return e->operador == u"*" ? e->coeficiente * Cantidad : Cantidad / e->coeficiente;
}

double Stock::ConvierteCantidadUnidadInversa(const QString& IdArticulo, const QString& UdBase, double Cantidad,
                                             const QString& UdEquivBuscada)
{
    QString base = UdBase;
    return ConvierteCantidadUnidadInversa(IdArticulo, base, Cantidad, UdEquivBuscada);
}

void Stock::ControlStock(const QString& IdDeposito, const QString& IdArticulo, const QString& Equivalencia,
                         double& Saldo)
{
    if (Trim(IdArticulo).isEmpty())
        return;
    legacy::ErrorTrap trap(QStringLiteral("ControlStock"), ModGlobal::gDB().errorHandler());
    const QString articulo = Codigo(IdArticulo, 25);
    const bool todos = Trim(IdDeposito).isEmpty();
    QString sql;
    if (ModGlobal::UsaStockUDKG)
        // Without a deposit the kilogram balances are summed over all
        // deposits, as the balances by unit are.
        sql = todos ? QStringLiteral("SELECT SUM(CantidadUd) AS STOCK FROM STK_STOCK_UDKG with(nolock) WHERE IDARTICULO = '") +
                          articulo + QStringLiteral("'")
                    : QStringLiteral("SELECT CantidadUd AS STOCK FROM STK_STOCK_UDKG with(nolock) WHERE IDARTICULO = '") +
                          articulo + QStringLiteral("' AND IDDEPOSITO = '") + Codigo(IdDeposito, 4) +
                          QStringLiteral("'");
    else if (todos)
        sql = QStringLiteral("SELECT SUM(STOCK) AS STOCK  FROM STK_SALDOS_UNIDADES with(nolock) WHERE IDARTICULO = '") +
              articulo + QStringLiteral("' AND EQUIVALENCIA = '") + Codigo(Equivalencia, 4) + QStringLiteral("' ");
    else
        sql = QStringLiteral("SELECT STOCK AS STOCK FROM STK_SALDOS_UNIDADES with(nolock) WHERE IDARTICULO = '") +
              articulo + QStringLiteral("' AND EQUIVALENCIA = '") + Codigo(Equivalencia, 4) +
              QStringLiteral("' AND IDDEPOSITO = '") + Codigo(IdDeposito, 4) + QStringLiteral("'");
    RS rs;
    bool hay = false;
    trap([&] { hay = Abre(sql, rs); });
    trap([&] {
        Saldo = hay ? Funciones::TextoADoble(Funciones::ValorNoNulo(rs->Fields("Stock").Value())) : 0;
    });
}
