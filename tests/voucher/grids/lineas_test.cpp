// Line limits of the printed form and the item counter.
#include "entorno_grillas.h"

#include "platform/ui/scripted.h"

namespace {

class Lineas : public grillastest::EntornoGrillas {
protected:
    // Filled lines in the three grids: n tasks, m articles, k other concepts,
    // plus in each a line whose code is blank but other cells are not.
    void LlenaGrillas(int n, int m, int k)
    {
        int i = 0;
        for (auto [g, cuantas] : {std::pair{tareas(), n}, {articulos(), m}, {otros(), k}}) {
            g->setCols(10);
            std::vector<std::vector<std::pair<int, QString>>> lineas;
            for (int j = 0; j < cuantas; ++j)
                lineas.push_back({{0, QStringLiteral("C%1").arg(++i)}, {8, QStringLiteral("1")}});
            lineas.push_back({{0, QStringLiteral("   ")}, {1, QStringLiteral("blank code")}, {8, QStringLiteral("5")}});
            Llena(*g, lineas);
        }
    }
};

TEST_F(Lineas, LimitOfThePrintedForm)
{
    ui::ScriptedSession dlg;  // no error box is expected
    LlenaGrillas(5, 10, 3);   // 18 filled lines
    struct Caso {
        const char* tc;
        const char* letra;
        long agregar;
        bool valida;
        std::int16_t limite, usadas;
    } casos[] = {
        {"FC", "A", 2, true, 20, 18},    {"FC", "A", 3, false, 20, 18},  {"fc", "a", 0, true, 20, 18},
        {"FC", "B", 0, false, 12, 18},   // the row with the lowest ID
        {"FP", "A", 500, true, 0, -7},   // CANTLINEAS 0: no limit, the used count untouched
        {"FC", "X", 500, true, 0, -7},   // no row
        {"F'C", "A'", 0, true, 0, -7},   // quotes stay inside the literals
    };
    ClsCmnCptes cls;
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.tc) + c.letra + " +" + std::to_string(c.agregar));
        std::int16_t limite = 99, usadas = -7;
        EXPECT_EQ(cls.ValidaCantidadLineasCpte(QString::fromLatin1(c.tc), QString::fromLatin1(c.letra), tareas(),
                                               articulos(), otros(), &limite, &usadas, c.agregar),
                  c.valida);
        EXPECT_EQ(limite, c.limite);
        EXPECT_EQ(usadas, c.usadas);
    }

    // A limit read before: no read; without grids only the lines to add count.
    std::int16_t limite = 18, usadas = 0;
    EXPECT_TRUE(cls.ValidaCantidadLineasCpte("FP", "A", tareas(), articulos(), otros(), &limite, &usadas, 0, -1));
    EXPECT_FALSE(cls.ValidaCantidadLineasCpte("FP", "A", tareas(), articulos(), otros(), &limite, &usadas, 1, -1));
    EXPECT_TRUE(cls.ValidaCantidadLineasCpte("FC", "A", nullptr, nullptr, nullptr, nullptr, nullptr, 20));
    EXPECT_FALSE(cls.ValidaCantidadLineasCpte("FC", "A", nullptr, nullptr, nullptr, nullptr, nullptr, 21));

    // An electronic voucher has no limit.
    cls.esElectronica = true;
    limite = 5;
    EXPECT_TRUE(cls.ValidaCantidadLineasCpte("FC", "A", tareas(), articulos(), otros(), &limite, nullptr, 100));
    EXPECT_EQ(limite, 0);
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(Lineas, CountBeyondAnIntegerIsAnError)
{
    ui::ScriptedSession dlg;
    articulos()->setRows(32770);
    for (long r = 1; r < 32770; ++r)
        articulos()->setTextMatrix(r, 0, QStringLiteral("A"));
    dlg.expectMsgBox(QString(), ui::vbAbort);
    ClsCmnCptes cls;
    std::int16_t limite = 40, usadas = 0;
    EXPECT_FALSE(cls.ValidaCantidadLineasCpte("FC", "A", nullptr, articulos(), nullptr, &limite, &usadas, 0, -1));
    EXPECT_TRUE(dlg.remaining().isEmpty());
    ASSERT_EQ(dlg.shown().size(), 1);
    EXPECT_TRUE(dlg.shown()[0].title.contains(QStringLiteral("ValidaCantidadLineasCpte")))
        << dlg.shown()[0].title.toStdString();
}

TEST_F(Lineas, ItemCounter)
{
    LlenaGrillas(2, 0, 1);
    Llena(*articulos(), {{{0, "A1"}, {8, "1,5"}}, {{0, " "}, {8, "9"}}, {{0, "A2"}, {8, " 2.25 "}}});
    ClsCmnCptes cls;
    long t = -1, a = -1, o = -1;
    double unidades = -1;
    EXPECT_EQ(cls.CuentaItems(tareas(), articulos(), otros(), &t, &a, &o, &unidades), 5);
    EXPECT_EQ(t, 2);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(o, 1);
    EXPECT_DOUBLE_EQ(unidades, 3.75);

    // Four decimals at each addition.
    Llena(*articulos(), {{{0, "A1"}, {8, "0.33333"}}, {{0, "A2"}, {8, "0.33333"}}, {{0, "A3"}, {8, "0.33333"}}});
    EXPECT_EQ(cls.CuentaItems(nullptr, articulos(), nullptr, nullptr, nullptr, nullptr, &unidades), 3);
    EXPECT_DOUBLE_EQ(unidades, 0.9999);

    EXPECT_EQ(cls.CuentaItems(nullptr, nullptr, nullptr, &t, &a, &o, &unidades), 0);
    EXPECT_EQ(t + a + o, 0);
    EXPECT_EQ(unidades, 0);
}

}  // namespace
