// Flags from words, amounts as text and the hours-and-minutes conversions.
#include "core/formato.h"
#include "servicios_fixture.h"

#include "core/cargaconfiguracion.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/regional.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using serviciostest::ServiciosTest;

TEST(TextoABooleano, WordsInBothModes)
{
    struct Caso {
        const char* texto;
        bool falsoPorDefecto;
        bool verdaderoPorDefecto;
    };
    const Caso casos[] = {
        {"", false, false},       {"si", true, true},     {"Si", true, true},       {"S", true, true},
        {"TRUE", true, true},     {"verdadero", true, true}, {"-1", true, true},    {"1", true, true},
        {" SI", false, true},     {"X", false, true},     {"NO", false, false},     {"n", false, false},
        {"falso", false, false},  {"FALSE", false, false}, {"0", false, false},     {"2", false, true},
        {"SI ", false, true},
    };
    for (const Caso& c : casos) {
        const QString t = QString::fromUtf8(c.texto);
        EXPECT_EQ(ModGlobal::TextoABooleano(t, false), c.falsoPorDefecto) << c.texto;
        EXPECT_EQ(ModGlobal::TextoABooleano(t, true), c.verdaderoPorDefecto) << c.texto;
    }
}

class FmtMonedaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        guardado_ = legacy::Regional();
        guardadas_ = ModGlobal::CantidadDecimales;
        legacy::RegionalProfile p = legacy::RegionalProfile::spanish();
        p.decimalSeparator = u',';
        p.thousandsSeparator = u'.';
        p.currencyDigits = 2;
        legacy::setRegional(p);
    }
    void TearDown() override
    {
        legacy::setRegional(guardado_);
        ModGlobal::CantidadDecimales = guardadas_;
    }
    legacy::RegionalProfile guardado_;
    QString guardadas_;
};

TEST_F(FmtMonedaTest, DecimalsGroupsAndRounding)
{
    struct Caso {
        const char* valor;
        int decimales;
        bool miles;
        const char* esperado;
    };
    const Caso casos[] = {
        {"1234567.891", -2, true, "1.234.568"},
        {"1234567.891", 2, true, "1.234.567,89"},
        {"1234567.891", 2, false, "1234567,89"},
        {"1234567.891", 0, false, "1234567,89"},  // the profile's two digits
        {"1234567.891", 4, false, "1234567,8910"},
        {"  1,5 x", -3, true, "  1,5 x"},
        {"abc", -3, false, "abc"},
        {"2.345", 2, false, "2,34"},  // halves to the even neighbour
        {"2.355", 2, false, "2,36"},
        {"2.5", -2, false, "2"},
        {"3.5", -2, false, "4"},
        {"0.4", -2, false, "0"},
        {"-1234.5", 2, true, "-1.234,50"},
        {"1.00005", 4, false, "1,0000"},  // read with four decimals first
        {"", 2, false, "0,00"},
        {"999", 1, true, "999,0"},
        {"1000", -2, true, "1.000"},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(ModGlobal::FmtMoneda(QString::fromUtf8(c.valor), c.decimales, c.miles, 0),
                  QString::fromUtf8(c.esperado))
            << c.valor << " / " << c.decimales;
}

TEST_F(FmtMonedaTest, ConfiguredAndRegionalDecimals)
{
    ModGlobal::CantidadDecimales = QStringLiteral("3");
    EXPECT_EQ(ModGlobal::FmtMoneda(QStringLiteral("10.12345"), -1, false, 0), QStringLiteral("10,123"));
    // A missing setting reads as one blank: no number, so the profile decides.
    ModGlobal::CantidadDecimales = QStringLiteral(" ");
    EXPECT_EQ(ModGlobal::FmtMoneda(QStringLiteral("10.5"), -1, false, 0), QStringLiteral("10,50"));

    legacy::RegionalProfile p = legacy::Regional();
    p.currencyDigits = 3;
    legacy::setRegional(p);
    EXPECT_EQ(ModGlobal::FmtMoneda(QStringLiteral("10.5"), 0, false, 0), QStringLiteral("10,500"));
    // A profile without currency digits gives a whole number (a half goes to
    // the even neighbour).
    p.currencyDigits = -1;
    legacy::setRegional(p);
    EXPECT_EQ(ModGlobal::FmtMoneda(QStringLiteral("10.5"), 0, false, 0), QStringLiteral("10"));
    EXPECT_EQ(ModGlobal::FmtMoneda(QStringLiteral("11.5"), 0, true, 0), QStringLiteral("12"));
    // With no decimals the separator that would end the text is dropped,
    // whichever the profile uses.
    p.decimalSeparator = u'.';
    p.thousandsSeparator = u',';
    legacy::setRegional(p);
    EXPECT_EQ(ModGlobal::FmtMoneda(QStringLiteral("1234.5"), -2, true, 0), QStringLiteral("1,234"));
    EXPECT_EQ(ModGlobal::FmtMoneda(QStringLiteral("1234.5"), 2, true, 0), QStringLiteral("1,234.50"));
}

TEST_F(FmtMonedaTest, WidthIsCappedAtTwentyFive)
{
    std::int16_t ancho = 40;
    const QString t = ModGlobal::FmtMoneda(QStringLiteral("1234.5"), 2, true, ancho);
    EXPECT_EQ(ancho, 25);
    // The padding itself is the utility library's (RellenaTexto).
    EXPECT_EQ(t, kapores2::Funciones::RellenaTexto(QStringLiteral("1.234,50"), 25));
    EXPECT_EQ(t.size(), 25);

    ancho = 10;
    EXPECT_EQ(ModGlobal::FmtMoneda(QStringLiteral("7"), 2, false, ancho).trimmed(), QStringLiteral("7,00"));
    EXPECT_EQ(ancho, 10);
    // A negative number of decimals other than the named ones is refused.
    EXPECT_THROW(ModGlobal::FmtMoneda(QStringLiteral("7"), -5, false, 0), legacy::VbError);
}

TEST(HoraAMinutos, DurationsAndTimesOfDay)
{
    struct Caso {
        const char* texto;
        const char* horas;
        const char* minutos;
        bool esHora;
        double esperado;
    };
    const Caso casos[] = {
        {"2:30", "", "", true, 150},      {"2:30", "", "", false, 150},   {"1.5", "", "", true, 90},
        {"25:30", "", "", false, 1530},   {"25:30", "", "", true, 1530},  {"3", "", "", true, 180},
        {"", "1", "15", false, 75},       {"  ", "", "20", false, 20},    {"", "0", "0", false, 0},
        {"", "1", "15", true, 0},         {"14:05:30", "", "", false, 845}, {"1.25", "", "", true, 75},
        {"0:45", "", "", true, 45},       {"1,5", "", "", true, 90},      {"0:7,5", "", "", true, 7.5},
        // The sign in front of the hours is the whole duration's.
        {"-01:30", "", "", true, -90},    {"-00:30", "", "", true, -30},  {"-0,5", "", "", true, -30},
    };
    for (const Caso& c : casos)
        EXPECT_DOUBLE_EQ(ModGlobal::HoraAMinutos(QString::fromUtf8(c.texto), QString::fromUtf8(c.horas),
                                                 QString::fromUtf8(c.minutos), c.esHora),
                         c.esperado)
            << c.texto << " / " << c.esHora;
}

TEST(MinutosAHora, ColonSeparatorWithoutConfiguration)
{
    struct Caso {
        double minutos;
        const char* texto;
        int horas;
        int mins;
    };
    const Caso casos[] = {
        {125, "02:05", 2, 5}, {6000, "100:00", 100, 0}, {0, "00:00", 0, 0}, {59, "00:59", 0, 59}, {60.4, "01:00", 1, 0},
        {-90, "-01:30", -1, -30}, {-30, "-00:30", 0, -30}, {-6000, "-100:00", -100, 0}, {-60.4, "-01:00", -1, 0},
    };
    // No connection: the separator setting reads blank, so ":" is used.
    for (const Caso& c : casos) {
        std::int32_t h = -1, m = -1;
        EXPECT_EQ(ModGlobal::MinutosAHora(c.minutos, h, m, false), QString::fromUtf8(c.texto)) << c.minutos;
        EXPECT_EQ(h, c.horas);
        EXPECT_EQ(m, c.mins);
    }
    // Any whole number of minutes: the sign once, in front; the parts add
    // back up; the text reads back as the same minutes.
    std::mt19937 azar(47);
    for (int i = 0; i < 2000; ++i) {
        const int minutos = std::uniform_int_distribution<int>(-20000, 20000)(azar);
        std::int32_t h = 0, m = 0;
        const QString texto = ModGlobal::MinutosAHora(minutos, h, m, false);
        EXPECT_EQ(texto.count(u'-'), minutos < 0 ? 1 : 0) << minutos;
        EXPECT_EQ(texto.startsWith(u'-'), minutos < 0) << minutos;
        EXPECT_EQ(h * 60 + m, minutos);
        EXPECT_DOUBLE_EQ(ModGlobal::HoraAMinutos(texto, {}, {}, true), minutos) << texto.toStdString();
    }
    ModGlobal::ResetDatabaseObjects();
}

TEST_F(ServiciosTest, MinutosAHoraWithDecimalHoursSetting)
{
    AbreDemo(false);
    Ejecuta(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('SEPARADORHORA', 'DATOS', '.')"));
    std::int32_t h = 7, m = 8;
    EXPECT_EQ(ModGlobal::MinutosAHora(90, h, m, false), QStringLiteral("1.50"));
    EXPECT_EQ(ModGlobal::MinutosAHora(30, h, m, false), QStringLiteral(".50"));
    EXPECT_EQ(ModGlobal::MinutosAHora(1, h, m, false), QStringLiteral(".02"));
    EXPECT_EQ(ModGlobal::MinutosAHora(6000, h, m, false), QStringLiteral("100.00"));
    EXPECT_EQ(h, 7) << "decimal hours leave the parts alone";
    EXPECT_EQ(m, 8);
    // Asking for the colon overrides the setting.
    EXPECT_EQ(ModGlobal::MinutosAHora(90, h, m, true), QStringLiteral("01:30"));
    EXPECT_EQ(h, 1);
    EXPECT_EQ(m, 30);

    Ejecuta(QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = 'h' WHERE Clave = 'SEPARADORHORA'"));
    EXPECT_EQ(ModGlobal::MinutosAHora(125, h, m, false), QStringLiteral("02h05"));
}

}  // namespace
