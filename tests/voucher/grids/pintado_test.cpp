// Row and column colours, repeated codes and fractional quantities.
#include "entorno_grillas.h"

#include "platform/legacy/variant.h"

namespace {

class Pintado : public grillastest::EntornoGrillas {
protected:
    // The painted cells of a grid as "r,c" (colour `color`).
    QStringList Pintadas(ui::MSFlexGrid& g, std::int32_t color)
    {
        QStringList celdas;
        const long fila = g.Row(), col = g.Col();
        for (long r = 0; r < g.Rows(); ++r)
            for (long c = 0; c < g.Cols(); ++c) {
                g.setRow(r);
                g.setCol(c);
                if (g.CellBackColor() == color)
                    celdas << QStringLiteral("%1,%2").arg(r).arg(c);
            }
        g.setRow(fila);
        g.setCol(col);
        return celdas;
    }
};

TEST_F(Pintado, RowsAndColumns)
{
    ui::MSFlexGrid& g = *otros();
    g.setRows(6);
    g.setCols(5);
    g.setRow(1);
    g.setCol(2);
    ClsCmnCptes cls;
    cls.PintarFila(3, &g, 0x00C0FF);
    EXPECT_EQ(Pintadas(g, 0x00C0FF), QStringList({"3,0", "3,1", "3,2", "3,3", "3,4"}));
    EXPECT_EQ(g.Row(), 3);
    EXPECT_EQ(g.Col(), 2);

    // Rows beyond the grid are skipped and never paint the current cell
    // (row 3) in their place.
    struct Caso {
        long filas, columna, desde, hasta;
        QStringList celdas;
    } casos[] = {{6, 4, -1, -1, {"0,4", "1,4", "2,4", "3,4", "4,4", "5,4"}}, {6, 4, 2, 4, {"2,4", "3,4", "4,4"}},
                 {6, 4, 4, 9, {"4,4", "5,4"}},
                 {5, 2, 6, 8, {}},
                 {5, 1, -3, 1, {"0,1", "1,1"}}};
    for (const Caso& c : casos) {
        g.setRows(c.filas);
        g.Clear();
        g.setRow(3);
        cls.PintarColuma(c.columna, &g, c.desde, c.hasta, 0x123456);
        EXPECT_EQ(Pintadas(g, 0x123456), c.celdas) << c.desde << ".." << c.hasta;
        EXPECT_EQ(g.Row(), 3);
        EXPECT_EQ(g.Col(), c.columna);
    }
    g.setRows(6);
    // Omitted colour: black. A row outside the grid raises from PintarFila.
    g.Clear();
    cls.PintarFila(2, &g);
    EXPECT_EQ(Pintadas(g, 0).size(), 5);
    EXPECT_EQ(testutil::errorOf([&] { cls.PintarFila(6, &g); }), 381);
    EXPECT_EQ(testutil::errorOf([&] { cls.PintarColuma(9, &g); }), 0);
}

TEST_F(Pintado, RepeatedCodes)
{
    ui::MSFlexGrid& g = *tareas();
    g.setCols(3);
    g.setTextMatrix(0, 0, QStringLiteral("Código"));
    Llena(g, {{{0, "T9"}}, {{0, " t1 "}}, {{0, "X"}}, {{0, "  "}}, {{0, "T1"}}});
    ClsCmnCptes cls;
    using Miembro = bool (ClsCmnCptes::*)(ui::MSFlexGrid*, const QString&, long, long*);
    struct Caso {
        const char* codigo;
        long ignorar;
        bool repetido;
        long fila;  // -1: left as passed
    } casos[] = {
        {"T1", 0, true, 2}, {"T1", 2, true, 5}, {"t1  ", 5, true, 2}, {"T9", 1, false, -1}, {"", 0, true, 4},
        {"Código", 0, false, -1}, {"ZZ", 0, false, -1},
    };
    for (Miembro m : {&ClsCmnCptes::TareaRepetida, &ClsCmnCptes::ArticuloRepetido,
                      &ClsCmnCptes::OtrosConceptosRepetidos}) {
        for (const Caso& c : casos) {
            SCOPED_TRACE(std::string(c.codigo) + " skipping " + std::to_string(c.ignorar));
            long fila = -1;
            EXPECT_EQ((cls.*m)(&g, QString::fromUtf8(c.codigo), c.ignorar, &fila), c.repetido);
            EXPECT_EQ(fila, c.fila);
        }
    }
    // ExisteEnGrid reads the title row too.
    EXPECT_TRUE(cls.ExisteEnGrid(&g, QStringLiteral(" código")));
    EXPECT_TRUE(cls.ExisteEnGrid(&g, QStringLiteral("x")));
    EXPECT_FALSE(cls.ExisteEnGrid(&g, QStringLiteral("ZZ")));
    EXPECT_EQ(testutil::errorOf([&] { cls.ExisteEnGrid(nullptr, QStringLiteral("x")); }), 91);
}

TEST_F(Pintado, FractionalNumbers)
{
    ClsCmnCptes cls;
    const std::pair<legacy::Variant, bool> casos[] = {
        {legacy::Variant(3), false},        {legacy::Variant(3.0), false},
        {legacy::Variant(2.5), true},       {legacy::Variant(-0.25), true},
        {legacy::Variant(QStringLiteral("3,5")), true},
        {legacy::Variant(QStringLiteral("")), false},
        // Beyond the 16-bit range.
        {legacy::Variant(40000), false},    {legacy::Variant(40000.5), true},
        {legacy::Variant(-1e12), false},    {legacy::Variant(123456789.125), true},
    };
    for (const auto& [numero, fraccion] : casos) {
        SCOPED_TRACE(legacy::CStr(numero).toStdString());
        EXPECT_EQ(cls.NumeroEsFraccion(numero), fraccion);
    }
}

}  // namespace
