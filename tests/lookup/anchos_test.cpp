// The list window's numbers: its layout rules and the column widths file.
#include "lookup/anchos.h"
#include "lookup/geometria.h"

#include "platform/legacy/textfile.h"
#include "support/testdb.h"
#include "support/testutil.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

using namespace lookup;

TEST(Layout, WidthsFollowTheColumns)
{
    const AnchoCalculado r = CalcularAncho({{0, 1000}, {1000, 1500}, {2500, 2000}}, 20000);
    EXPECT_EQ(r.anchoLista, 4860);
    EXPECT_EQ(r.anchoPanel, 4860);
    EXPECT_EQ(r.anchoBarra, 4500);
    EXPECT_EQ(r.anchoVentana, 5140);
    ASSERT_EQ(r.cajas.size(), 3u);
    EXPECT_EQ(r.cajas[1].left, 1000);
    EXPECT_EQ(r.cajas[1].width, 1450);
    EXPECT_EQ(CalcularAncho({{0, 30}}, 20000).cajas[0].width, 0) << "never negative";
    EXPECT_EQ(CalcularAncho({{0, 19500}}, 20000).anchoVentana, 19520) << "screen wide";

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
        QFile f(ArchivoAnchos(carpeta_));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }()); }
    void Escribe(const QString& texto)
    {
        QFile f(ArchivoAnchos(carpeta_));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(legacy::toWin1252(texto));
    }
    std::vector<double> Lee(const QString& tabla, int columnas)
    {
        std::vector<double> r(columnas, -1);
        LeeAnchos(carpeta_, tabla, columnas, [&](int c, double w) { r[c - 1] = w; });
        return r;
    }
    // The files of the folder but the widths file and its lock: a writer
    // leaves no temporary file behind.
    QStringList Restos()
    {
        QStringList r = QDir(carpeta_).entryList(QDir::Files);
        r.removeAll(QStringLiteral("CONSULTASLEN.VRK"));
        r.removeAll(QStringLiteral("CONSULTASLEN.LCK"));
        return r;
    }
    testdb::TempFolder dir_;
    QString carpeta_ = dir_.path();
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
    EXPECT_EQ(Restos(), QStringList());
}

TEST_F(Anchos, ShortLongAndRepeatedLines)
{
    Escribe("\"T\",\"100|200|\"\r\n\"U\",\"1|2|3|4|5|6|\"\r\n\"V\",\"9|9|\"\r\n\"V\",\"8|\"\r\n\"W\",\"1|x|3\"\r\n"
            "\"X\",\"1|-5|3|\"\r\n\"X\",\"7|\"\r\n\"Y\",\"2,5||4|\"\r\n");
    EXPECT_EQ(Lee("T", 4), (std::vector<double>{100, 200, -1, -1})) << "the others keep their widths";
    EXPECT_EQ(Lee("U", 4), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(Lee("V", 2), (std::vector<double>{8, 9})) << "a later line wins, a short one stops the reading";
    // A width that is no number, a negative or an empty one ends the reading:
    // later lines are not read either.
    EXPECT_EQ(Lee("W", 3), (std::vector<double>{1, -1, -1}));
    EXPECT_EQ(Lee("X", 3), (std::vector<double>{1, -1, -1}));
    EXPECT_EQ(Lee("Y", 3), (std::vector<double>{2.5, -1, -1}));
}

TEST_F(Anchos, FailedRenameKeepsTheOldFile)
{
    Escribe("\"A\",\"1|2|\"\r\n");
    setRenombradoAnchos([](const QString&, const QString&) { return false; });
    EXPECT_EQ(testutil::errorOf([&] { GrabaAnchos(dir_.path(), "B", {3}); }), 75);
    EXPECT_EQ(Texto(), "\"A\",\"1|2|\"\r\n");
    EXPECT_EQ(Restos(), QStringList());
}

TEST_F(Anchos, TemporaryFilesOfDeadWritersAreRemoved)
{
    // Left by writers that died: of a process that no longer exists (none has
    // the largest number) or of this live one, now or more than a day ago.
    const QString vivo = QString::number(QCoreApplication::applicationPid());
    const std::tuple<QString, int, bool> restos[] = {{"CONSULTASLEN.2147483647-a.AUX", 0, false},
                                                     {"CONSULTASLEN." + vivo + "-b.AUX", 0, true},
                                                     {"CONSULTASLEN." + vivo + "-c.AUX", 25, false},
                                                     {"OTRO.2147483647-d.AUX", 0, true}};
    QStringList quedan;
    for (const auto& [nombre, horas, queda] : restos) {
        QFile f(QDir(carpeta_).filePath(nombre));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * horas), QFileDevice::FileModificationTime);
        if (queda) quedan << nombre;
    }
    GrabaAnchos(carpeta_, "A", {1});
    quedan.sort();
    EXPECT_EQ(Restos(), quedan);
}

TEST_F(Anchos, LfLinesAndWidthsBeyondAnyScreen)
{
    // Lines ended by LF alone read as CR LF lines do; a width no screen can
    // show counts as no stored width (the column keeps its own).
    Escribe("\"A\",\"1|2|\"\n\"T\",\"3000000000|2147483647|150001|400|\"\n\"B\",\"5|\"\n");
    EXPECT_EQ(Lee("T", 4), (std::vector<double>{-1, -1, -1, 400}));
    EXPECT_EQ(Lee("B", 1), (std::vector<double>{5}));
    GrabaAnchos(dir_.path(), "A", {7});
    EXPECT_EQ(Texto(), "\"T\",\"3000000000|2147483647|150001|400|\"\r\n\"B\",\"5|\"\r\n\"A\",\"7|\"\r\n");
}

TEST_F(Anchos, ConcurrentWritersKeepEveryTableAndTheFileWhole)
{
    // Two writers rewrite the widths of their own table over and over while
    // the file is read: every read finds the whole file, and at the end each
    // table holds its last widths and the unrelated line is still there.
    // On a memory file system where there is one, so that the flush to disk
    // of every rewrite does not make thousands of them take minutes.
    QTemporaryDir memoria(QStringLiteral("/dev/shm/vordane-anchos-XXXXXX"));
    if (memoria.isValid()) carpeta_ = memoria.path();
    Escribe("\"OTRA\",\"1|2|\"\r\n");
    constexpr int veces = 2000;
    std::atomic<int> fallas{0};
    std::atomic<int> listos{0};
    auto escritor = [&](QString tabla) {
        for (int i = 1; i <= veces; ++i) {
            try {
                GrabaAnchos(carpeta_, tabla, {double(i), double(i + 1)});
            } catch (const legacy::VbError&) {
                ++fallas;
            }
        }
        ++listos;
    };
    std::thread uno(escritor, QStringLiteral("UNO")), dos(escritor, QStringLiteral("DOS"));
    int lecturas = 0, rotas = 0;
    while (listos < 2) {
        const QString t = Texto();
        ++lecturas;
        if (!t.startsWith("\"") || !t.endsWith("\r\n") || !t.contains("\"OTRA\",\"1|2|\"\r\n")) ++rotas;
    }
    uno.join();
    dos.join();
    EXPECT_EQ(fallas, 0);
    EXPECT_EQ(rotas, 0) << "of " << lecturas << " reads";
    EXPECT_EQ(Lee("UNO", 2), (std::vector<double>{veces, veces + 1}));
    EXPECT_EQ(Lee("DOS", 2), (std::vector<double>{veces, veces + 1}));
    EXPECT_EQ(Lee("OTRA", 2), (std::vector<double>{1, 2}));
    EXPECT_EQ(Restos(), QStringList());
}
