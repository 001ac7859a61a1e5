// The list window's numbers: its layout rules and the column widths file.
#include "lookup/anchos.h"
#include "lookup/geometria.h"

#include "platform/legacy/textfile.h"
#include "support/testdb.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace lookup;

TEST(Layout, WidthsFollowTheColumns)
{
    const AnchoCalculado r = CalcularAncho({{0, 1000}, {1000, 1500}, {2500, 2000}}, 20000);
    EXPECT_EQ(r.anchoLista, 4860);
    EXPECT_EQ(r.anchoPanel, 4860);
    EXPECT_EQ(r.anchoBarra, 4500);
    EXPECT_EQ(r.maximoBarra, 3204);
    EXPECT_EQ(r.anchoVentana, 5140);
    ASSERT_EQ(r.cajas.size(), 3u);
    EXPECT_EQ(r.cajas[1].left, 1000);
    EXPECT_EQ(r.cajas[1].width, 1450);
    EXPECT_EQ(CalcularAncho({{0, 30}}, 20000).cajas[0].width, 0) << "never negative";
    EXPECT_EQ(CalcularAncho({{0, 19500}}, 20000).anchoVentana, 19520) << "screen wide";
    EXPECT_EQ(CalcularAncho({{0, 40000}}, 20000).maximoBarra, 32700);

    Disenio d{615, 255, 1335, 1335, 1000, true};
    const Disposicion p = Disponer(5140, 6600, d);
    EXPECT_EQ(p.panel.width, 5020);
    EXPECT_EQ(p.lista.width, 5000);
    EXPECT_EQ(p.panel.height, 6600 - 615 - 480);
    EXPECT_EQ(p.lista.height, p.panel.height - 615 - 600);
    EXPECT_EQ(p.frame.top, 6600 - 615 - 520);
    EXPECT_EQ(p.leftCancelar, (5140 - 1335) / 2.0);
    EXPECT_EQ(p.leftNueva, 5140 - (1335 + 150));
    EXPECT_EQ(p.anchoLabel, 4000);
}

TEST(Layout, NarrowBarWithoutNuevaHalvesTheButtonsOnce)
{
    Disenio d{615, 255, 1335, 1335, 1000, false};
    for (int vez = 0; vez < 3; ++vez) {  // every resize starts from the designed widths
        const Disposicion p = Disponer(2500, 6600, d);
        EXPECT_EQ(p.anchoAceptar, 667.5);
        EXPECT_EQ(p.anchoCancelar, 667.5);
        EXPECT_EQ(p.leftCancelar, 2500 - (667.5 + 150));
        EXPECT_EQ(p.leftNueva, p.leftCancelar);
    }
    const Disposicion ancha = Disponer(5140, 6600, d);
    EXPECT_EQ(ancha.anchoAceptar, 1335);
    EXPECT_EQ(ancha.leftCancelar, ancha.leftNueva);
}

class Anchos : public ::testing::Test {
protected:
    void TearDown() override { setRenombradoAnchos({}); }
    QString Texto() { return legacy::fromWin1252([&] {
        QFile f(ArchivoAnchos(dir_.path()));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }()); }
    void Escribe(const QString& texto)
    {
        QFile f(ArchivoAnchos(dir_.path()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(legacy::toWin1252(texto));
    }
    std::vector<double> Lee(const QString& tabla, int columnas)
    {
        std::vector<double> r(columnas, -1);
        LeeAnchos(dir_.path(), tabla, columnas, [&](int c, double w) { r[c - 1] = w; });
        return r;
    }
    testdb::TempFolder dir_;
};

TEST_F(Anchos, RoundTripKeepsOtherTablesInOrder)
{
    EXPECT_EQ(Lee("T", 2), (std::vector<double>{-1, -1})) << "no file: nothing";
    GrabaAnchos(dir_.path(), "V_MA_ARTICULOS", {1200, 3000, 900});
    EXPECT_EQ(Texto(), "\"V_MA_ARTICULOS\",\"1200|3000|900|\"\r\n");
    Escribe("\"A\",\"1|2|\"\r\n\"B\",\"3|4|\"\r\n\"C\",\"5|6|\"\r\n");
    GrabaAnchos(dir_.path(), "b", {7, 8});
    EXPECT_EQ(Texto(), "\"A\",\"1|2|\"\r\n\"C\",\"5|6|\"\r\n\"b\",\"7|8|\"\r\n");
    EXPECT_EQ(Lee("B", 2), (std::vector<double>{7, 8})) << "letter case ignored";
    EXPECT_FALSE(QFile::exists(ArchivoAnchosAux(dir_.path())));
}

TEST_F(Anchos, ShortLongAndRepeatedLines)
{
    Escribe("\"T\",\"100|200|\"\r\n\"U\",\"1|2|3|4|5|6|\"\r\n\"V\",\"9|9|\"\r\n\"V\",\"8|\"\r\n\"W\",\"1|x|3\"\r\n");
    EXPECT_EQ(Lee("T", 4), (std::vector<double>{100, 200, -1, -1})) << "the others keep their widths";
    EXPECT_EQ(Lee("U", 4), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(Lee("V", 2), (std::vector<double>{8, 9})) << "a later line wins, a short one stops the reading";
    EXPECT_EQ(Lee("W", 3), (std::vector<double>{1, 0, -1}));
}

TEST_F(Anchos, FailedRenameKeepsTheOldFile)
{
    Escribe("\"A\",\"1|2|\"\r\n");
    setRenombradoAnchos([](const QString&, const QString&) { return false; });
    EXPECT_EQ(testutil::errorOf([&] { GrabaAnchos(dir_.path(), "B", {3}); }), 75);
    EXPECT_EQ(Texto(), "\"A\",\"1|2|\"\r\n");
    EXPECT_FALSE(QFile::exists(ArchivoAnchosAux(dir_.path())));
}
