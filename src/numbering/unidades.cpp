// Units of an article, equivalences between them and stock balances.
#include "numbering/stock.h"

#include "core/cargaconfiguracion.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/comunes.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/vberror.h"

#include <optional>

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;
using namespace numeracion;

bool Stock::MismaUnidad(const QString& a, const QString& b)
{
    return Iguales(Trim(a), Trim(b));
}

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
    if (!MismaUnidad(UdEquivBuscada, ModGlobal::UnidadMedidaKG))
        return false;
    // The kilogram route: from UdBase to the article's base unit (c1 base
    // units each), then to kilograms through the row kilogram > base unit
    // (c2 base units per kilogram): one UdBase is c1 / c2 kilograms, the
    // figure the one-step conversion of its c1 base units gives. A
    // kilogram row of 0 converts nothing: no route.
    QString base;
    double c1 = 0;
    bool sigue = false;
    trap([&] {
        if (!Abre(QStringLiteral("SELECT IDUNIDAD FROM V_MA_ARTICULOS  with(nolock)  WHERE IdArticulo = '") +
                      Codigo(Trim(IdArticulo), 25) + QStringLiteral("'"),
                  rs))
            return;
        base = Funciones::ValorNoNulo(rs->Fields("IdUnidad").Value()).toString();
        sigue = !MismaUnidad(UdBase, base);
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
        const double c2 = CoeficienteDeFila(rs);
        if (c2 == 0)
            return;
        Coeficiente = c1 / c2;
        Operador = QStringLiteral("/");
        encontrado = true;
    });
    return encontrado;
}

namespace {

struct Equivalencia {
    bool hay = false;
    QString operador;
    double coeficiente = 0;
};

// What both conversions look up: nothing when the quantity stays as it is
// (0, or the same unit on both sides; units are fixed-length codes, so 'UN  '
// and 'UN' are one unit).
std::optional<Equivalencia> Busca(const QString& articulo, QString& udBase, double cantidad, const QString& buscada)
{
    if (cantidad == 0 || Stock::MismaUnidad(udBase, buscada))
        return std::nullopt;
    Equivalencia e;
    bool sinUnidad = false;
    e.hay = Stock::IdArticuloTieneEquivalencias(articulo, buscada, e.operador, udBase, e.coeficiente, sinUnidad);
    return e;
}

// A quantity divided by a coefficient; a coefficient of 0 is error 11
// (division by zero), which reaches the caller.
double Divide(double cantidad, double coeficiente)
{
    if (coeficiente == 0)
        throw legacy::VbError(11);
    return cantidad / coeficiente;
}

}  // namespace

double Stock::ConvierteCantidadUnidad(const QString& IdArticulo, QString& UdBase, double Cantidad,
                                      const QString& UdEquivBuscada)
{
    const auto e = Busca(IdArticulo, UdBase, Cantidad, UdEquivBuscada);
    if (!e)
        return Cantidad;
    if (!e->hay)
        return 0;
    double r = 0;
    if (e->operador == u"*")
        r = Divide(Cantidad, e->coeficiente);
    else if (e->operador == u"/")
        r = e->coeficiente * Cantidad;
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
    if (!e || !e->hay)
        return Cantidad;
    if (e->operador == u"*")
        return e->coeficiente * Cantidad;
    if (e->operador == u"/")
        return Divide(Cantidad, e->coeficiente);
    return 0;
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
