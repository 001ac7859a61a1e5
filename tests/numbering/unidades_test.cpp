// Unit conversions of an article: worked figures, and a seeded generator of
// articles and equivalences whose conversions must agree with one another.
#include "numbering/entorno_numeracion.h"

#include "core/cargaconfiguracion.h"

#include <cmath>
#include <map>
#include <random>

using numtest::EntornoNumeracion;

namespace {

class Unidades : public EntornoNumeracion {
protected:
    void Articulo(const QString& articulo, const QString& unidad)
    {
        Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, IDUNIDAD) VALUES ('%1', '%2')")
                    .arg(kapores2::Funciones::RellenaCodigo(articulo, 25), kapores2::Funciones::RellenaCodigo(unidad, 4)));
    }
    void Equiv(const QString& articulo, const QString& de, const QString& a, double c)
    {
        Ejecuta(QStringLiteral("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES "
                               "('%1', '%2', '%3', %4)")
                    .arg(kapores2::Funciones::RellenaCodigo(articulo, 25), kapores2::Funciones::RellenaCodigo(de, 4),
                         kapores2::Funciones::RellenaCodigo(a, 4))
                    .arg(c, 0, 'g', 17));
    }
};

// 1 CJ = 12 UN and 1 UN = 4 KG (the row KG > UN of 0.25): a box is 48 kg.
TEST_F(Unidades, KilogramsThroughTheBaseUnitAndPaddedUnits)
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
TEST_F(Unidades, GeneratedConversionsAgreeBackAndThroughTheBaseUnit)
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
