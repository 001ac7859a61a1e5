// The detail panels of the status bar and the totals grid.
#include "entorno_grillas.h"

#include "platform/legacy/numeric.h"
#include "platform/legacy/variant.h"
#include "platform/ui/scripted.h"

#include <algorithm>
#include <random>

namespace {

class Totales : public grillastest::EntornoGrillas {
protected:
    void SetUp() override
    {
        EntornoGrillas::SetUp();
        ClsCmnCptes cls;
        cls.InicializaGrids(tareas(), articulos(), otros(), cajas[0], cajas[1], cajas[2], forma.get(),
                            QStringLiteral("FC"), totales());
    }

    // The totals grid below its titles: "c0 | c1 | c2 | colour" per row.
    QStringList Filas()
    {
        ui::MSFlexGrid& g = *totales();
        QStringList filas;
        for (long r = 1; r < g.Rows(); ++r) {
            g.setRow(r);
            g.setCol(2);
            const auto color = g.CellBackColor();
            g.setCol(0);
            EXPECT_EQ(g.CellBackColor(), color) << "row " << r << " painted whole";
            filas << QStringLiteral("%1 | %2 | %3 | %4")
                         .arg(g.TextMatrix(r, 0), g.TextMatrix(r, 1), g.TextMatrix(r, 2))
                         .arg(QString::number(color, 16).toUpper().rightJustified(6, u'0'));
        }
        return filas;
    }

    void Solapas(bool t, bool a, bool o)
    {
        solapas->setTabVisible(0, t);
        solapas->setTabVisible(1, a);
        solapas->setTabVisible(2, o);
    }
};

TEST_F(Totales, BlocksPerVisibleTab)
{
    ui::ScriptedSession dlg;  // no error box is expected
    Llena(*tareas(), {{{0, "T1"}, {2, "1:30"}}, {{0, "  "}, {2, "5:00"}}, {{0, "T2"}, {2, "2"}}});
    Llena(*articulos(), {{{0, "A1"}, {1, "Tornillo"}, {8, "1"}, {28, "FERR"}, {27, "MP"}},
                         {{0, "A2"}, {1, "Latex"}, {8, "2"}, {28, "PINT"}, {27, "PT"}},
                         {{0, "  "}, {1, "no code"}, {8, "7"}, {28, "FERR"}},
                         {{0, "a1"}, {1, "Tornillo largo"}, {8, "3"}, {28, " ferr "}, {27, "O'B"}}});
    Llena(*otros(), {{{0, "Flete"}, {2, "10"}}, {{0, "Seguro"}}});
    ClsCmnCptes cls;
    struct Caso {
        const char* nombre;
        bool t, a, o, porRubro, porTipo;
        QStringList filas;
    } casos[] = {
        {"no tab", false, false, false, false, false, {" |  |  | FF0000"}},
        {"by rubro", true, true, true, true, false,
         {"Tareas | 2 | 3:30 | C0FFFF", "Articulos | 3 | 6 | C0FFFF", "- |  |  | C0E0FF",
          "FERR-Ferreteria |  | 4 | C0E0FF", "PINT-Pinturas |  | 2 | C0E0FF", "Otros Conceptos | 2 |  | C0FFFF",
          " |  |  | FF0000"}},
        {"by type", false, true, false, true, true, {}},  // rubro first
        {"by article type", false, true, false, false, true,
         {"Articulos | 3 | 6 | C0FFFF", "- |  |  | C0E0FF", "MP-Materia Prima |  | 1 | C0E0FF",
          "PT-Producto Terminado |  | 2 | C0E0FF", "O'B- |  | 3 | C0E0FF", " |  |  | FF0000"}},
        {"by code", false, true, false, false, false,
         {"Articulos | 3 | 6 | C0FFFF", "- |  |  | C0E0FF", "A1-Tornillo |  | 4 | C0E0FF", "A2-Latex |  | 2 | C0E0FF",
          " |  |  | FF0000"}},
        {"no tab after a former total", false, false, false, false, false, {" |  |  | FF0000"}},
    };
    casos[2].filas = casos[1].filas.mid(1, 4) << QStringLiteral(" |  |  | FF0000");
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Solapas(c.t, c.a, c.o);
        cls.TotalizadorControl(tareas(), articulos(), otros(), totales(), solapas, c.porRubro, c.porTipo);
        EXPECT_EQ(Filas(), c.filas);
    }

    // By rubro, on lines of their own.
    const QString pint = QStringLiteral("PINT") + QChar(0xFF);
    const struct Lineas {
        const char* nombre;
        std::vector<std::vector<std::pair<int, QString>>> lineas;
        QStringList filas;
    } otras[] = {
        {"no counted line: the total row alone", {{{0, " "}, {8, "3"}}},
         {"Articulos | 0 | 0 | C0FFFF", " |  |  | FF0000"}},
        {"a key keeping its Chr(255) finds its group", {{{0, "A1"}, {8, "2"}, {28, pint}}, {{0, "A2"}, {8, "3"}, {28, pint}}},
         {"Articulos | 2 | 5 | C0FFFF", "- |  |  | C0E0FF", pint + "-Pinturas |  | 5 | C0E0FF", " |  |  | FF0000"}},
    };
    Solapas(false, true, false);
    for (const Lineas& c : otras) {
        SCOPED_TRACE(c.nombre);
        Llena(*articulos(), c.lineas);
        cls.TotalizadorControl(tareas(), articulos(), otros(), totales(), solapas, true);
        EXPECT_EQ(Filas(), c.filas);
    }
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(Totales, TaskTimeTotal)
{
    ClsCmnCptes cls;
    Solapas(true, false, false);
    const auto total = [&] {
        cls.TotalizadorControl(tareas(), nullptr, nullptr, totales(), solapas);
        return totales()->TextMatrix(1, 2);
    };
    // Hours typed with the decimal comma keep their fraction.
    Llena(*tareas(), {{{0, "T1"}, {2, "1,5"}}});
    EXPECT_EQ(total(), QStringLiteral("1:30"));
    // A negative time is taken off the whole sum of minutes: 120 - 30 = 90
    // is 1:30; 30 - 120 = -90 is -1:30, the sign once in front.
    Llena(*tareas(), {{{0, "T1"}, {2, "-0,5"}}, {{0, "T2"}, {2, "2"}}});
    total();
    EXPECT_EQ(Filas().value(0), QStringLiteral("Tareas | 2 | 1:30 | C0FFFF"));
    Llena(*tareas(), {{{0, "T1"}, {2, "0:30"}}, {{0, "T2"}, {2, "-2"}}});
    EXPECT_EQ(total(), QStringLiteral("-1:30"));
    // Minutes past 59 go into the hours.
    Llena(*tareas(), {{{0, "T1"}, {2, "1:45"}}, {{0, "T2"}, {2, "1:45"}}, {{0, "T3"}, {2, "0:05"}}});
    EXPECT_EQ(total(), QStringLiteral("3:35"));

    // Decimal hours configured: the total in decimal hours.
    Config(QStringLiteral("SeparadorHora"), ".");
    EXPECT_EQ(total(), QStringLiteral("3.58"));
}

// Quantities add up to the four decimals they hold, in any order of the
// lines: 0,1 + 1000 - 1000 is 0,1 (not 0,100000000000023).
TEST_F(Totales, ArticleSumsWhateverTheOrder)
{
    ClsCmnCptes cls;
    Solapas(false, true, false);
    // The rows of one line of A1 per quantity, in the order given.
    const auto filas = [&](const std::vector<QString>& cantidades) {
        std::vector<std::vector<std::pair<int, QString>>> lineas;
        for (const QString& c : cantidades)
            lineas.push_back({{0, QStringLiteral("A1")}, {8, c}});
        Llena(*articulos(), lineas);
        cls.TotalizadorControl(tareas(), articulos(), otros(), totales(), solapas);
        return Filas();
    };
    const auto esperado = [](long lineas, const QString& suma) {
        return QStringList({QStringLiteral("Articulos | %1 | %2 | C0FFFF").arg(lineas).arg(suma), "- |  |  | C0E0FF",
                            QStringLiteral("A1- |  | %1 | C0E0FF").arg(suma), " |  |  | FF0000"});
    };
    std::vector<QString> tres = {QStringLiteral("-1000"), QStringLiteral("0,1"), QStringLiteral("1000")};  // sorted
    do
        EXPECT_EQ(filas(tres), esperado(3, QStringLiteral("0,1"))) << tres[0].toStdString() << tres[1].toStdString();
    while (std::next_permutation(tres.begin(), tres.end()));

    // Six quantities of four decimals, shuffled: the exact sum.
    std::mt19937 azar(47);
    const auto texto = [](long long n) { return legacy::CStr(legacy::Variant(legacy::Currency::fromRaw(n))); };
    for (int vuelta = 0; vuelta < 40; ++vuelta) {
        std::vector<QString> cantidades;
        long long suma = 0;  // in ten-thousandths
        for (int i = 0; i < 6; ++i) {
            const long long n = std::uniform_int_distribution<long long>(-99999999, 99999999)(azar);
            suma += n;
            cantidades.push_back(texto(n));
        }
        std::shuffle(cantidades.begin(), cantidades.end(), azar);
        EXPECT_EQ(filas(cantidades), esperado(6, texto(suma)));
    }
}

TEST_F(Totales, VisibleTabWithoutItsGridGoesToTheErrorBox)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QString(), ui::vbAbort);
    Solapas(true, true, true);
    ClsCmnCptes cls;
    cls.TotalizadorControl(tareas(), nullptr, otros(), totales(), solapas);
    ASSERT_EQ(dlg.shown().size(), 1);
    EXPECT_TRUE(dlg.shown()[0].title.contains(QStringLiteral("TotalizadorControl")));
    // The tasks block stands; the articles block stopped before its total row.
    EXPECT_EQ(totales()->TextMatrix(1, 0) + totales()->TextMatrix(1, 1) + totales()->TextMatrix(1, 2),
              QStringLiteral("Tareas00:0"));
    EXPECT_EQ(totales()->Rows(), 3);

    // Ignore to a time past the hours' range and to a quantity past a
    // Double's: each line still counts, its key is grouped, adding 0.
    Llena(*tareas(), {{{0, "T1"}, {2, "1:00"}}, {{0, "T2"}, {2, "99999999999:00"}}});
    Llena(*articulos(), {{{0, "A1"}, {8, "2"}}, {{0, "A2"}, {8, "1e400"}}});
    Solapas(true, true, false);
    dlg.expectMsgBox(QString(), ui::vbIgnore);
    dlg.expectMsgBox(QString(), ui::vbIgnore);
    cls.TotalizadorControl(tareas(), articulos(), otros(), totales(), solapas);
    EXPECT_EQ(dlg.shown().size(), 3);
    EXPECT_EQ(Filas(), QStringList({"Tareas | 2 | 1:0 | C0FFFF", "Articulos | 2 | 2 | C0FFFF", "- |  |  | C0E0FF",
                                    "A1- |  | 2 | C0E0FF", "A2- |  | 0 | C0E0FF", " |  |  | FF0000"}));
}

TEST_F(Totales, DetailPanels)
{
    for (const char* clave : {"", "", "", "", "stock"})
        barra->Panels().Add(QString::fromLatin1(clave));
    Llena(*tareas(), {{{0, "T1 "}, {1, " Armado "}}});
    Llena(*articulos(), {{{0, "A1"}, {1, "Tornillo"}, {34, " 12.5 "}}});
    Llena(*otros(), {{{0, " Flete "}}});
    for (auto* g : {tareas(), articulos(), otros()})
        g->setRow(1);
    ClsCmnCptes cls;
    cls.MuestraDetalleTareas(tareas(), barra);
    EXPECT_EQ(barra->Panels()(4).Text(), QStringLiteral("T1 - Armado"));
    cls.MuestraDetalleOtrosConceptos(otros(), barra);
    EXPECT_EQ(barra->Panels()(4).Text(), QStringLiteral("Flete"));
    cls.MuestraDetalleArticulos(articulos(), barra, 2);
    EXPECT_EQ(barra->Panels()(2).Text(), QStringLiteral("A1 - Tornillo"));
    EXPECT_EQ(barra->Panels()(5).Text(), QStringLiteral("Stock: ") + legacy::CStr(legacy::Variant(12.5)));

    // Without a panel for the line the stock is still shown; the other
    // members raise the panel's error.
    articulos()->setTextMatrix(1, 34, QStringLiteral("3"));
    cls.MuestraDetalleArticulos(articulos(), barra);
    EXPECT_EQ(barra->Panels()(5).Text(), QStringLiteral("Stock: 3"));
    barra->Panels().Clear();
    EXPECT_EQ(testutil::errorOf([&] { cls.MuestraDetalleTareas(tareas(), barra); }), 35600);
    EXPECT_EQ(testutil::errorOf([&] { cls.MuestraDetalle(QStringLiteral("x"), nullptr, 1); }), 91);
}

}  // namespace
