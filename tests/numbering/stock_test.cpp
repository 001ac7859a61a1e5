// Article lots and components, unit equivalences, stock balances and the
// unit quantities of an article grid line; a seeded generator of articles
// and equivalences whose conversions must agree with one another.
#include "numbering/entorno_numeracion.h"

#include "core/cargaconfiguracion.h"
#include "platform/legacy/variant.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/msflexgrid.h"

#include <cmath>
#include <map>
#include <random>

using numtest::EntornoNumeracion;

namespace {

// "code|unit|quantity" with the texts trimmed; an unset element is "-".
QStringList Elementos(const Stock::ListaLoteCantidad& lista)
{
    QStringList r;
    for (const auto& e : lista)
        r << (e == Stock::LoteCantidad() ? QStringLiteral("-")
                                         : e.Codigo.texto().trimmed() + u'|' + e.Unidad.texto().trimmed() + u'|' +
                                               QString::number(e.Cantidad));
    return r;
}

class StockNum : public EntornoNumeracion {
protected:
    void Lote(const char* articulo, const char* deposito, const char* lote, double cantidad)
    {
        Ejecuta(QStringLiteral("INSERT INTO STK_SERIES_Y_LOTES (IdArticulo, IdDeposito, NroLote, Cantidad) VALUES "
                               "('%1', '%2', %3, %4)")
                    .arg(kapores2::Funciones::RellenaCodigo(articulo, 25), deposito,
                         lote ? QStringLiteral("'%1'").arg(lote) : QStringLiteral("NULL"))
                    .arg(cantidad));
    }
    void Equiv(const QString& articulo, const QString& de, const QString& a, double c)
    {
        Ejecuta(QStringLiteral("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES "
                               "('%1', '%2', '%3', %4)")
                    .arg(kapores2::Funciones::RellenaCodigo(articulo, 25), kapores2::Funciones::RellenaCodigo(de, 4),
                         kapores2::Funciones::RellenaCodigo(a, 4))
                    .arg(c, 0, 'g', 17));
    }
    void Articulo(const QString& articulo, const QString& unidad)
    {
        Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, IDUNIDAD) VALUES ('%1', '%2')")
                    .arg(kapores2::Funciones::RellenaCodigo(articulo, 25), kapores2::Funciones::RellenaCodigo(unidad, 4)));
    }
};

TEST_F(StockNum, LotsShareTheQuantityInLotOrder)
{
    // A deposit code that is no number, apostrophe included, is compared as text.
    Lote("ZL", "A''B ", "L2", 2);
    Lote("ZL", "A''B ", "L1", 3);
    Lote("ZL", "A''B ", "L0", 0);
    Lote("ZL", "A''B ", nullptr, 9);
    Lote("ZL", "   1", "L1", 50);
    const std::tuple<double, bool, QStringList> casos[] = {
        {4, true, {"L1||3", "L2||1"}},
        {5, true, {"L1||3", "L2||2", "-"}},
        {7, true, {"L1||3", "L2||2", "-", "||2"}},
    };
    // The deposit as a bare code and as the literal the movement writer makes of it.
    for (const char* deposito : {"A'B", "'A''B'"})
        for (const auto& [cantidad, tiene, esperado] : casos) {
            Stock::ListaLoteCantidad lotes;
            EXPECT_EQ(Stock::ArticuloTieneLotes("ZL", deposito, lotes, cantidad), tiene) << deposito << cantidad;
            EXPECT_EQ(Elementos(lotes), esperado) << deposito << cantidad;
        }
    Lote("ZL", "A''B ", "L3", 4);
    Stock::ListaLoteCantidad lotes;
    EXPECT_TRUE(Stock::ArticuloTieneLotes("ZL", "A'B", lotes, 5));
    EXPECT_EQ(Elementos(lotes), QStringList({"L1||3", "L2||2", "L3||0"}));
    EXPECT_FALSE(Stock::ArticuloTieneLotes("ZSIN", "   1", lotes, 6));
    EXPECT_EQ(Elementos(lotes), QStringList({"||6", "||6"}));
    EXPECT_FALSE(Stock::ArticuloTieneLotes("ZL", "eldelGrid", lotes, 1));
    EXPECT_EQ(Elementos(lotes), QStringList({"||6", "||6"})) << "untouched";

    // Components, always followed by one unset element.
    for (const char* fila : {"'                     1001', 'UN  ', 4", "'PINT-LATEX-20            ', 'KG  ', 0.5"})
        Ejecuta(QStringLiteral("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) "
                               "VALUES ('ZC                       ', %1)")
                    .arg(fila));
    EXPECT_TRUE(Stock::IdArticuloTieneInsumos(" ZC ", Stock::ListaInsumos, false));
    EXPECT_EQ(Elementos(Stock::ListaInsumos), QStringList({"1001|UN|4", "PINT-LATEX-20|KG|0.5", "-"}));
    EXPECT_TRUE(Stock::IdArticuloTieneInsumos("ZC", Stock::ListaInsumos, true));
    EXPECT_EQ(Elementos(Stock::ListaInsumos), QStringList({"-"}));
    EXPECT_FALSE(Stock::IdArticuloTieneInsumos("ZSIN", Stock::ListaInsumos, false));
    EXPECT_EQ(Elementos(Stock::ListaInsumos), QStringList({"-"}));
}

TEST_F(StockNum, UnitConversions)
{
    Articulo("ZEQ", "UN");
    Equiv("ZEQ", "UN", "CJ", 0.5);
    Equiv("ZEQ", "TR", "UN", 3);
    Equiv("ZEQ", "UN", "T3", 0.3);
    Equiv("ZEQ", "UN", "BX", 0);
    struct Caso {
        const char *de, *a;
        double cantidad, directa, inversa;
    };
    const Caso casos[] = {
        {"UN", "CJ", 10, 5, 20},       {"CJ", "UN", 10, 20, 5},        {"un", "UN", 7, 7, 7},
        {"UN", "CJ", 0, 0, 0},         {"UN", "KG", 10, 0, 10},        {"UN", "TR", 1, 0.3333, 3},
        {"UN", "T3", 1, 0.3, 1 / 0.3},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.de) + ">" + c.a);
        EXPECT_DOUBLE_EQ(Stock::ConvierteCantidadUnidad("ZEQ", QString(c.de), c.cantidad, c.a), c.directa);
        EXPECT_DOUBLE_EQ(Stock::ConvierteCantidadUnidadInversa("ZEQ", QString(c.de), c.cantidad, c.a), c.inversa);
    }
    // A coefficient of 0 multiplies to 0, and dividing by it is error 11:
    // a direct row UN > BX, a reverse row BZ > UN (-1: the error).
    Equiv("ZEQ", "BZ", "UN", 0);
    const std::tuple<const char*, bool, double> ceros[] = {
        {"BX", false, 0}, {"BX", true, -1}, {"BZ", false, -1}, {"BZ", true, 0}};
    for (const auto& [a, inversa, esperado] : ceros) {
        SCOPED_TRACE(std::string(a) + (inversa ? " inverse" : " direct"));
        double r = -2;
        long error = 0;
        try {
            r = inversa ? Stock::ConvierteCantidadUnidadInversa("ZEQ", QStringLiteral("UN"), 10, a)
                        : Stock::ConvierteCantidadUnidad("ZEQ", QStringLiteral("UN"), 10, a);
        } catch (const legacy::VbError& e) {
            error = e.Number;
        }
        EXPECT_EQ(esperado < 0 ? error : r, esperado < 0 ? 11 : esperado);
    }
    QString op, ud;
    double coef = -1;
    bool sin = true;
    EXPECT_TRUE(Stock::IdArticuloTieneEquivalencias("ZEQ", "CJ", op, ud, coef, sin));
    EXPECT_EQ(QStringList({op, ud}), QStringList({"/", "UN"}));
    EXPECT_FALSE(sin);
    // An empty base unit comes back as the article's.
    ud.clear();
    EXPECT_EQ(Stock::ConvierteCantidadUnidad("ZEQ", ud, 10, "CJ"), 5);
    EXPECT_EQ(ud, "UN");

    // An article not stored has no unit.
    EXPECT_EQ(Stock::ObtieneUnidadArticulo("NOEXISTE"), "");
    ud.clear();
    op = "antes";
    EXPECT_FALSE(Stock::IdArticuloTieneEquivalencias("NOEXISTE", "CJ", op, ud, coef, sin));
    EXPECT_TRUE(sin);
    EXPECT_EQ(QStringList({op, ud}), QStringList({"antes", ""}));

    // To kilograms through the base unit: a box is 12 units of 4 kg each.
    Articulo("ZKG", "UN");
    Equiv("ZKG", "CJ", "UN", 12);
    Equiv("ZKG", "KG", "UN", 0.25);
    ud = "CJ";
    EXPECT_TRUE(Stock::IdArticuloTieneEquivalencias("ZKG", "KG", op, ud, coef, sin));
    EXPECT_EQ(op, "/");
    EXPECT_DOUBLE_EQ(coef, 48);
}

TEST_F(StockNum, Balances)
{
    // Demo balances of 1001 in UN: 120 in deposit 1, 30 in deposit 2.
    const std::tuple<const char*, const char*, double> porUnidad[] = {
        {"1", "UN", 120}, {"", "UN", 150}, {"3", "UN", 0}, {"1", "CJ", 60}, {"O'B", "UN", 0}};
    for (const auto& [deposito, unidad, saldo] : porUnidad) {
        double s = -1;
        Stock::ControlStock(deposito, "1001", unidad, s);
        EXPECT_EQ(s, saldo) << deposito << unidad;
    }
    double s = -1;
    Stock::ControlStock("1", " ", "UN", s);
    EXPECT_EQ(s, -1) << "no article: untouched";
    // The unit-and-kilogram balances: one deposit, or all of them.
    ModGlobal::UsaStockUDKG = true;
    Stock::ControlStock("1", "PINT-LATEX-20", "KG", s);
    EXPECT_EQ(s, 17);
    Stock::ControlStock("", "PINT-LATEX-20", "KG", s);
    EXPECT_EQ(s, 20);
}

TEST_F(StockNum, GridLineUnitQuantities)
{
    ui::MSFlexGrid grilla;
    grilla.setCols(120);
    grilla.setRows(3);
    grilla.setRow(1);
    const auto linea = [&](const char* ud, const char* cant, const char* udEquiv, const char* cantEquiv,
                           const char* pide) {
        for (long c : {65, 66, 67})
            grilla.setTextMatrix(1, c, "previo");
        grilla.setTextMatrix(1, 0, "PINT-LATEX-20");
        grilla.setTextMatrix(1, 5, ud);
        grilla.setTextMatrix(1, 8, cant);
        grilla.setTextMatrix(1, 11, udEquiv);
        grilla.setTextMatrix(1, 12, cantEquiv);
        grilla.setTextMatrix(1, 97, pide);
        Stock::CalculaCantidadesEquivalentes(grilla);
        return QStringList({grilla.TextMatrix(1, 65), grilla.TextMatrix(1, 66), grilla.TextMatrix(1, 67)});
    };
    const QString m3 = legacy::CStr(legacy::Variant(0.04));
    // Demo equivalences of the pail: 25 kg, 0.02 m3; no bundles.
    EXPECT_EQ(linea("UN ", "2", "", "", ""), QStringList({m3, "0", "50"}));
    EXPECT_EQ(linea("UN", "2", "BL", "7", "-1"), QStringList({m3, "previo", "50"}));
    EXPECT_EQ(linea("UN", "2", "BL", "7", "0"), QStringList({m3, "7", "50"}));
    EXPECT_EQ(linea("M3", "3", "m3", "9", "-1"), QStringList({"3", "previo", "0"}));
    EXPECT_EQ(linea("UN", "2", "KG", "51", "-1"), QStringList({m3, "previo", "51"}));
    // The equivalent unit as the stock writer leaves it, in its code form.
    EXPECT_EQ(linea("UN", "2", "KG  ", "51", "-1"), QStringList({m3, "previo", "51"}));
    EXPECT_EQ(linea("M3  ", "3", "m3", "9", "-1"), QStringList({"3", "previo", "0"}));
    EXPECT_EQ(grilla.TextMatrix(2, 65), "") << "only the current row";
}

// 1 CJ = 12 UN and 1 UN = 4 KG (the row KG > UN of 0.25): a box is 48 kg.
TEST_F(StockNum, KilogramsThroughTheBaseUnitAndPaddedUnits)
{
    Articulo("W1", "UN");
    Equiv("W1", "CJ", "UN", 12);
    Equiv("W1", "KG", "UN", 0.25);
    // A kilogram row of 0 gives no route.
    Articulo("W2", "UN");
    Equiv("W2", "CJ", "UN", 12);
    Equiv("W2", "KG", "UN", 0);
    struct Caso {
        const char *articulo, *de, *a;
        double cantidad, directa, inversa;
    };
    const Caso casos[] = {
        {"W1", "CJ", "KG", 1, 48, 1.0 / 48},  // one step: 12 UN / 0.25
        {"W1", "CJ", "KG", 0.5, 24, 0.5 / 48},
        {"W1", "CJ", "KG", 96, 4608, 2},       // 96 kg are 2 boxes
        {"W1", "CJ  ", "KG  ", 1, 48, 1.0 / 48},  // padded as the code columns hold them
        {"W1", "cj", "kg", 2, 96, 2.0 / 48},
        {"W1", "UN  ", "UN", 5, 5, 5},
        {"W1", "un", "UN  ", 5, 5, 5},
        {"W1", "UN", "KG", 2, 8, 0.5},
        {"W1", "CJ", "UN  ", 2, 24, 2.0 / 12},
        {"W2", "CJ", "KG", 1, 0, 1},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(QStringLiteral("%1 %2 '%3' > '%4'").arg(c.articulo).arg(c.cantidad).arg(c.de, c.a).toStdString());
        EXPECT_NEAR(Stock::ConvierteCantidadUnidad(c.articulo, QString(c.de), c.cantidad, c.a), c.directa, 1e-9);
        EXPECT_NEAR(Stock::ConvierteCantidadUnidadInversa(c.articulo, QString(c.de), c.cantidad, c.a), c.inversa,
                    1e-9);
    }
}

// A seeded model of articles: each unit is so many base units; its row to
// the base unit stored either way, some units also linked directly, and
// the kilogram unit linked to the base unit only (KG > base), so that the
// other units reach it through the base unit.
TEST_F(StockNum, GeneratedConversionsAgreeBackAndThroughTheBaseUnit)
{
    ModGlobal::UnidadMedidaKG = QStringLiteral("KG");
    std::mt19937 g(5108);
    const auto entre = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(g); };
    const QStringList unidades = {"UN", "CJ", "PK", "DOC", "LT", "KG", "M3", "BL"};
    // exact in the six decimals of the coefficient column, and so are their
    // inverses and quotients
    const double factores[] = {0.25, 0.5, 2, 4, 5, 8, 10, 16, 20, 0.1, 0.125, 1.25, 2.5};
    const auto escrito = [&](const QString& u) {
        // padded, trimmed, with a leading blank, in any letter case
        QString t = entre(0, 1) ? u.toLower() : u;
        if (entre(0, 2) == 0)
            t[0] = t[0].toUpper();
        switch (entre(0, 3)) {
        case 0: return t.leftJustified(4, u' ');
        case 1: return u' ' + t;
        default: return t;
        }
    };
    int rutas = 0, sinRuta = 0, porKilo = 0;
    for (int n = 0; n < 60; ++n) {
        const QString art = QStringLiteral("GU%1").arg(n);
        QStringList propias = unidades;
        std::shuffle(propias.begin(), propias.end(), g);
        propias = propias.mid(0, entre(2, 6));
        const QString base = propias[0];
        Articulo(art, base);
        // base units per unit; a unit without row has none
        std::map<QString, double> enBase{{base, 1}};
        std::map<std::pair<QString, QString>, bool> fila;  // rows stored, by (from, to)
        for (const QString& u : propias.mid(1)) {
            const double f = factores[entre(0, int(std::size(factores)) - 1)];
            enBase[u] = f;
            // u > base of f, or base > u of 1/f (kilograms only as KG > base)
            if (u == u"KG" || entre(0, 1)) {
                Equiv(art, u, base, f);
                fila[{u, base}] = true;
            } else {
                Equiv(art, base, u, 1 / f);
                fila[{base, u}] = true;
            }
        }
        // A direct row between two units that are not the base one (never to
        // kilograms, which then go through the base unit).
        if (propias.size() > 3 && propias[1] != u"KG" && propias[2] != u"KG" &&
            std::fmod(enBase[propias[1]] / enBase[propias[2]] * 1e6, 1) == 0) {
            Equiv(art, propias[1], propias[2], enBase[propias[1]] / enBase[propias[2]]);
            fila[{propias[1], propias[2]}] = true;
        }
        for (const QString& de : propias)
            for (const QString& a : propias) {
                const bool kilo = a == u"KG" && de != base && fila.count({de, base}) && fila.count({QStringLiteral("KG"), base});
                const bool ruta = de == a || fila.count({de, a}) || fila.count({a, de}) || kilo;
                const double f = enBase[de] / enBase[a];  // units of a per unit of de
                const double q = entre(1, 4000) / 100.0;
                SCOPED_TRACE(QStringLiteral("%1 base %2: %3 %4 > %5").arg(art, base).arg(q).arg(de, a).toStdString());
                const double directa = Stock::ConvierteCantidadUnidad(art, escrito(de), q, escrito(a));
                const double vuelta = Stock::ConvierteCantidadUnidadInversa(art, escrito(de), directa, escrito(a));
                if (!ruta) {
                    ++sinRuta;
                    EXPECT_EQ(directa, 0);
                    continue;
                }
                ++rutas;
                porKilo += kilo && de != a;
                // rounded to four decimals on the way there
                EXPECT_NEAR(directa, q * f, 0.00005 + 1e-9);
                EXPECT_NEAR(vuelta, q, 0.00005 / f + 1e-9);
                if (de != base && a != base && enBase.count(de)) {
                    const double porBase = Stock::ConvierteCantidadUnidad(
                        art, escrito(base), Stock::ConvierteCantidadUnidad(art, escrito(de), q, escrito(base)),
                        escrito(a));
                    EXPECT_NEAR(directa, porBase, 0.00015 * std::max(1.0, 1 / enBase[a]) + 1e-9);
                }
            }
    }
    EXPECT_GT(porKilo, 10);
    EXPECT_GT(sinRuta, 10);
    EXPECT_GT(rutas, 300);
}

}  // namespace
