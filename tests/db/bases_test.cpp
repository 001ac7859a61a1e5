// "BASES.TXT": lines appended byte for byte in Windows-1252, and read back as
// comma-separated input.
#include "db/bases.h"

#include "platform/kapores2/funciones.h"
#include "platform/legacy/program.h"
#include "platform/legacy/vberror.h"
#include "support/testdb.h"
#include "support/testutil.h"

#include <QFile>

#include <random>

#include <gtest/gtest.h>

namespace {

using kapores2::Funciones;

class BasesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        guardada_ = legacy::App();
        legacy::App().path = carpeta_.path();
        LBM_Common::OlvidaRutaBases();
        ruta_ = carpeta_.file(QStringLiteral("BASES.TXT"));
    }
    void TearDown() override
    {
        LBM_Common::OlvidaRutaBases();
        legacy::setApp(guardada_);
    }
    QByteArray Bytes()
    {
        QFile f(ruta_);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    void Escribe(const QByteArray& bytes)
    {
        QFile f(ruta_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    testdb::TempFolder carpeta_;
    legacy::ProgramInfo guardada_;
    QString ruta_;
};

TEST_F(BasesTest, FirstLineCreatesTheFile)
{
    EXPECT_EQ(LBM_Common::RutaBases(), ruta_);
    LBM_Common::RegistraBaseEnArchivo(QStringLiteral(" VENTAS / SRV1 "), QStringLiteral(" VENTAS"),
                                      QStringLiteral("VENTAS "), QStringLiteral("secreta"),
                                      QStringLiteral(" srv1:1500 "), false);
    const QByteArray clave = Funciones::CodificaClave(QStringLiteral("secreta")).toLatin1();
    EXPECT_EQ(Bytes(), "VENTAS / SRV1,VENTAS,VENTAS," + clave + ",srv1:1500\r\n");

    LBM_Common::RegistraBaseEnArchivo(QStringLiteral("ORA / X"), QStringLiteral("ORA"), QStringLiteral("ORA"),
                                      QString(), QStringLiteral("orasrv"), true);
    EXPECT_EQ(Bytes(), "VENTAS / SRV1,VENTAS,VENTAS," + clave + ",srv1:1500\r\nORA / X,ORA,ORA,,#orasrv\r\n");

    const QList<RegistroBase> leidos = LBM_Common::LeeBases(ruta_);
    ASSERT_EQ(leidos.size(), 2);
    EXPECT_EQ(leidos[0].nombre, QStringLiteral("VENTAS / SRV1"));
    EXPECT_EQ(leidos[0].servidor, QStringLiteral("srv1:1500"));
    EXPECT_EQ(Funciones::DecodificaClave(leidos[0].clave), QStringLiteral("secreta"));
    EXPECT_EQ(leidos[1].servidor, QStringLiteral("#orasrv"));
    EXPECT_EQ(leidos[1].clave, QString());
}

TEST_F(BasesTest, LastLineWithoutBreakGetsALoneCR)
{
    Escribe("A / S,A,A,K1,s");
    LBM_Common::RegistraBaseEnArchivo(QStringLiteral("B / S"), QStringLiteral("B"), QStringLiteral("B"),
                                      QString(), QStringLiteral("s"), false);
    EXPECT_EQ(Bytes(), QByteArray("A / S,A,A,K1,s\rB / S,B,B,,s\r\n"));
    const QList<RegistroBase> leidos = LBM_Common::LeeBases(ruta_);
    ASSERT_EQ(leidos.size(), 2);
    EXPECT_EQ(leidos[0].servidor, QStringLiteral("s"));
    EXPECT_EQ(leidos[1].nombre, QStringLiteral("B / S"));

    // A line that ends as it should: the next one is written plainly.
    LBM_Common::RegistraBaseEnArchivo(QStringLiteral("C / S"), QStringLiteral("C"), QStringLiteral("C"),
                                      QString(), QStringLiteral("s"), false);
    EXPECT_TRUE(Bytes().endsWith("B / S,B,B,,s\r\nC / S,C,C,,s\r\n"));
    // Blanks alone after the last break count as an empty last line.
    Escribe("A / S,A,A,K1,s\r\n  ");
    LBM_Common::RegistraBaseEnArchivo(QStringLiteral("D"), QStringLiteral("D"), QStringLiteral("D"), QString(),
                                      QStringLiteral("s"), false);
    EXPECT_EQ(Bytes(), QByteArray("A / S,A,A,K1,s\r\n  D,D,D,,s\r\n"));
}

TEST_F(BasesTest, Windows1252BothWays)
{
    LBM_Common::RegistraBaseEnArchivo(QStringLiteral("AÑO / SRV"), QStringLiteral("AÑO"), QStringLiteral("AÑO"),
                                      QString(), QStringLiteral("srv"), false);
    EXPECT_EQ(Bytes(), QByteArray("A\xD1O / SRV,A\xD1O,A\xD1O,,srv\r\n"));
    Escribe("Caf\xE9 / S,Caf\xE9,u,,s\r\n");
    const QList<RegistroBase> leidos = LBM_Common::LeeBases(ruta_);
    ASSERT_EQ(leidos.size(), 1);
    EXPECT_EQ(leidos[0].nombre, QStringLiteral("Café / S"));
}

TEST_F(BasesTest, CommaSeparatedInput)
{
    // Quoted fields, blanks around fields, empty lines, a record over two
    // lines and empty fields.
    Escribe("\r\n \"X, Y\" , db ,u,k, srv \r\n\r\nZ,db2\r\n,u2,srv2\r\n");
    const QList<RegistroBase> leidos = LBM_Common::LeeBases(ruta_);
    ASSERT_EQ(leidos.size(), 2);
    EXPECT_EQ(leidos[0].nombre, QStringLiteral("X, Y"));
    EXPECT_EQ(leidos[0].base, QStringLiteral("db"));
    EXPECT_EQ(leidos[0].servidor, QStringLiteral("srv"));
    EXPECT_EQ(leidos[1].nombre, QStringLiteral("Z"));
    EXPECT_EQ(leidos[1].base, QStringLiteral("db2"));
    EXPECT_EQ(leidos[1].usuario, QString());
    EXPECT_EQ(leidos[1].clave, QStringLiteral("u2"));
    EXPECT_EQ(leidos[1].servidor, QStringLiteral("srv2"));
}

// A field the file cannot hold is refused (error 5 with the reason) and
// nothing is appended: the plain records before and after stay readable.
TEST_F(BasesTest, FieldsTheFileCannotHoldAreRefused)
{
    struct Caso {
        const char* nombre;
        const char* base;
        const char* usuario;
        const char* servidor;
        bool aceptado;
    } casos[] = {
        {"DEMO / SRV01", "DEMO", "DEMO", "SRV01", true},
        {"VENTAS / SRV01", "VENTAS", "VENTAS", "SRV01,1433", false},  // the server's own way of giving a port
        {"\"VENTAS / SRV01", "\"VENTAS", "\"VENTAS", "SRV01", false},
        {"A / B", "A", "us\"er", "B", false},
        {"A / B", "A\r\nB", "A", "B", false},
        {"A / B", "A", "A", "B\tC", false},
        {"A,B / C", "A", "A", "C", false},
        {"ĀB / C", "ĀB", "ĀB", "C", false},  // not in the file's code page
        {"COMPRAS / SRV02", "COMPRAS", "COMPRAS", "SRV02:1500", true},
        {" AÑO€ / S ", " AÑO€ ", "x y", "#S", true},
    };
    int aceptados = 0;
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        const auto u = [](const char* t) { return QString::fromUtf8(t); };
        const QByteArray antes = QFile::exists(ruta_) ? Bytes() : QByteArray();
        try {
            LBM_Common::RegistraBaseEnArchivo(u(c.nombre), u(c.base), u(c.usuario), QStringLiteral("cla,ve\""),
                                              u(c.servidor), false);
            EXPECT_TRUE(c.aceptado);
            ++aceptados;
        } catch (const legacy::VbError& e) {
            EXPECT_FALSE(c.aceptado);
            EXPECT_EQ(e.Number, 5);
            EXPECT_TRUE(e.Description.startsWith(QStringLiteral("La conexion no puede registrarse: "))) << e.Description.toStdString();
            EXPECT_EQ(Bytes(), antes);
        }
        bool incompleto = true;
        const QList<RegistroBase> leidos = LBM_Common::LeeBases(ruta_, &incompleto);
        EXPECT_FALSE(incompleto);
        ASSERT_EQ(leidos.size(), aceptados);
        if (c.aceptado) {
            EXPECT_EQ(leidos.last().nombre, u(c.nombre).trimmed());
            EXPECT_EQ(leidos.last().base, u(c.base).trimmed());
            EXPECT_EQ(leidos.last().usuario, u(c.usuario).trimmed());
            EXPECT_EQ(leidos.last().servidor, u(c.servidor).trimmed());
            EXPECT_EQ(Funciones::DecodificaClave(leidos.last().clave), QStringLiteral("cla,ve\""));
        }
    }
    EXPECT_EQ(aceptados, 3);
}

// Seeded: registrations of awkward fields either read back whole (trimmed),
// with every record before them, or are refused and leave the file's bytes
// as they were.
TEST_F(BasesTest, GeneratedRegistrationsReadBackOrAreRefused)
{
    std::mt19937 gen(53);
    const QString letras = QStringLiteral("AZaz09 ñÑ€'#:/\\;=@|.-_,\"\r\n\tĀ");
    const auto texto = [&](int maximo) { return testutil::textoConRaros(gen, letras, maximo, 6); };
    QList<RegistroBase> esperados;
    int rechazados = 0;
    for (int k = 0; k < 200; ++k) {
        const QString base = texto(12), servidor = texto(10), usuario = texto(8), clave = texto(10);
        const QString nombre = base.trimmed().toUpper() + QStringLiteral(" / ") + servidor.trimmed().toUpper();
        const bool oracle = k % 7 == 0;
        SCOPED_TRACE(nombre.toStdString());
        const QByteArray antes = QFile::exists(ruta_) ? Bytes() : QByteArray();
        try {
            LBM_Common::RegistraBaseEnArchivo(nombre, base, usuario, clave, servidor, oracle);
            esperados.append({nombre.trimmed(), base.trimmed(), usuario.trimmed(), clave,
                              (oracle ? QStringLiteral("#") : QString()) + servidor.trimmed()});
        } catch (const legacy::VbError& e) {
            ++rechazados;
            EXPECT_EQ(e.Number, 5);
            EXPECT_EQ(QFile::exists(ruta_) ? Bytes() : QByteArray(), antes);
        }
        bool incompleto = true;
        const QList<RegistroBase> leidos = LBM_Common::LeeBases(ruta_, &incompleto);
        EXPECT_FALSE(incompleto);
        ASSERT_EQ(leidos.size(), esperados.size());
        for (qsizetype i = 0; i < leidos.size(); ++i) {
            EXPECT_EQ(leidos[i].nombre, esperados[i].nombre);
            EXPECT_EQ(leidos[i].base, esperados[i].base);
            EXPECT_EQ(leidos[i].usuario, esperados[i].usuario);
            EXPECT_EQ(Funciones::DecodificaClave(leidos[i].clave), esperados[i].clave);
            EXPECT_EQ(leidos[i].servidor, esperados[i].servidor);
        }
    }
    EXPECT_GT(rechazados, 20);
    EXPECT_GT(esperados.size(), 60);
}

TEST_F(BasesTest, IncompleteLastRecordAndLookups)
{
    EXPECT_TRUE(LBM_Common::LeeBases(ruta_).isEmpty()) << "a missing file holds nothing";

    Escribe("A / S,A,A,,s1\r\nA / S,A2,A2,,s2\r\n B / S ,B,B,,s3\r\nC,D\r\n");
    try {
        LBM_Common::LeeBases(ruta_);
        ADD_FAILURE() << "input past the end of the file";
    } catch (const legacy::VbError& e) {
        EXPECT_EQ(e.Number, 62);
    }
    bool incompleto = false;
    EXPECT_EQ(LBM_Common::LeeBases(ruta_, &incompleto).size(), 3);
    EXPECT_TRUE(incompleto);

    // The first record with the name wins; names compare trimmed and exactly.
    EXPECT_EQ(LBM_Common::BuscaBase(ruta_, QStringLiteral("A / S"))->servidor, QStringLiteral("s1"));
    EXPECT_EQ(LBM_Common::BuscaBase(ruta_, QStringLiteral("B / S  "))->servidor, QStringLiteral("s3"));
    EXPECT_THROW(LBM_Common::BuscaBase(ruta_, QStringLiteral("a / s")), legacy::VbError)
        << "not found before the cut record";
}

}  // namespace
