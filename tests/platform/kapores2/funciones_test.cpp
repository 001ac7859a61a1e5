#include "platform/kapores2/funciones.h"

#include "platform/legacy/regional.h"

#include <gtest/gtest.h>

using kapores2::Funciones;
using legacy::Currency;
using legacy::Variant;

namespace {

struct Relleno {
    const char* codigo;
    int ancho;
    const char* esperado;
};

TEST(RellenaCodigo, FillRule)
{
    const Relleno casos[] = {
        {"1", 4, "   1"},          // digits: right-aligned
        {"123", 4, " 123"},
        {"0001", 4, "0001"},       // already at the width
        {"FP", 4, "FP  "},         // anything else: left-aligned
        {"A1", 4, "A1  "},
        {"-1", 4, "-1  "},         // a sign makes it a non-digit code
        {" 1 ", 4, "   1"},        // blanks around do not count
        {"1   ", 4, "   1"},       // so a key padded on the wrong side still matches
        {"FP  ", 4, "FP  "},
        {"", 4, "    "},
        {"ELDELGRID", 4, "ELDELGRID"},  // over the width: unchanged
        {"'FC  '", 4, "'FC  '"},   // SQL literals pass through
        {"'A'", 4, "'A'"},
        {"NULL", 25, "NULL"},
        {"null", 25, "null"},
        {"ART-7", 25, "ART-7                    "},
        {"42", 25, "                       42"},
        {"  AB  ", 0, "AB"},       // without a width: trimmed
        {"  12  ", -1, "12"},
    };
    for (const Relleno& c : casos) {
        EXPECT_EQ(Funciones::RellenaCodigo(QString::fromUtf8(c.codigo), c.ancho), QString::fromUtf8(c.esperado))
            << "code \"" << c.codigo << "\" width " << c.ancho;
    }
}

TEST(RellenaCodigo, EqualKeysGiveEqualTexts)
{
    for (const char* a : {"7", " 7", "7 ", "  7  "})
        EXPECT_EQ(Funciones::RellenaCodigo(QString::fromUtf8(a), 4), Funciones::RellenaCodigo("7", 4)) << a;
}

TEST(RellenaTexto, DigitsGoRightTheRestLeft)
{
    const Relleno casos[] = {
        {"12", 6, "    12"},
        {"1234,56", 10, "1234,56   "},  // the code rule: only plain digits go right
        {"-12", 5, "-12  "},
        {"abc", 5, "abc  "},
        {"1,2 kg", 8, "1,2 kg  "},
        {" x ", 3, "x  "},
        {"123456", 4, "123456"},     // longer than the width: not cut
        {"", 3, "   "},
    };
    for (const Relleno& c : casos)
        EXPECT_EQ(Funciones::RellenaTexto(QString::fromUtf8(c.codigo), c.ancho), QString::fromUtf8(c.esperado))
            << "text \"" << c.codigo << "\"";
}

struct Numero {
    const char* texto;
    long long raw;  // ten-thousandths
};

TEST(TextoANumero, ReadsNumberTexts)
{
    const Numero casos[] = {
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"-", 0},
        {"12", 120000},
        {"  12  ", 120000},
        {"-12", -120000},
        {"+7", 70000},
        {"12,5", 125000},       // comma alone: decimal sign
        {"12.5", 125000},       // point alone: decimal sign
        {"1.234", 12340},       // one point: decimal, whatever the grouping looks like
        {"1.234.567", 12345670000},  // repeated: thousands
        {"1,234,567", 12345670000},
        {"1.234,56", 12345600},  // both: the last is the decimal sign
        {"1,234.56", 12345600},
        {"1.234.567,8", 12345678000},
        {",5", 5000},
        {"5,", 50000},
        {"0,00005", 0},          // half to even at the fourth decimal
        {"0,00015", 2},
        {"0,00025", 2},
        {"12abc", 120000},       // the leading number, the rest ignored
        {"10 %", 100000},
        {"$ 1.500,25", 15002500},  // the currency symbol
        {"- $ 3", -30000},
        {"1e3", 10000000},
        {"2E-2", 200},
        {"3e", 30000},           // no exponent digits: not an exponent
        {"922337203685477,5807", 9223372036854775807LL},
    };
    for (const Numero& c : casos)
        EXPECT_EQ(Funciones::TextoANumero(QString::fromUtf8(c.texto)).raw(), c.raw) << "text \"" << c.texto << "\"";
}

TEST(TextoANumero, ValuesThatAreNotText)
{
    EXPECT_EQ(Funciones::TextoANumero(Variant::Null()).raw(), 0);
    EXPECT_EQ(Funciones::TextoANumero(Variant()).raw(), 0);
    EXPECT_EQ(Funciones::TextoANumero(Variant(Currency::fromRaw(12345))).raw(), 12345);
    EXPECT_EQ(Funciones::TextoANumero(Variant(7)).raw(), 70000);
    EXPECT_EQ(Funciones::TextoANumero(Variant(true)).raw(), -10000);
}

TEST(TextoANumero, OverflowRaisesError6)
{
    try {
        Funciones::TextoANumero(QStringLiteral("99999999999999999999"));
        FAIL() << "no error";
    } catch (const legacy::VbError& e) {
        EXPECT_EQ(e.Number, 6);
    }
}

TEST(TextoADoble, SameReadingAsDouble)
{
    EXPECT_DOUBLE_EQ(Funciones::TextoADoble(QStringLiteral("")), 0);
    EXPECT_DOUBLE_EQ(Funciones::TextoADoble(QStringLiteral("2,5")), 2.5);
    EXPECT_DOUBLE_EQ(Funciones::TextoADoble(QStringLiteral("2.5")), 2.5);
    EXPECT_DOUBLE_EQ(Funciones::TextoADoble(QStringLiteral("-1.234,5")), -1234.5);
    EXPECT_DOUBLE_EQ(Funciones::TextoADoble(QStringLiteral("0,123456789")), 0.123456789);
    EXPECT_DOUBLE_EQ(Funciones::TextoADoble(QStringLiteral("x")), 0);
    EXPECT_DOUBLE_EQ(Funciones::TextoADoble(Variant(1.25)), 1.25);
    EXPECT_DOUBLE_EQ(Funciones::TextoADoble(Variant::Null()), 0);
}

TEST(TextoAEntero, WholeNumbers)
{
    const std::pair<const char*, int> casos[] = {
        {"", 0}, {"7", 7}, {"-7", -7}, {"2,5", 2}, {"3,5", 4}, {"2,51", 3}, {"1.000.000", 1000000}, {"x", 0},
    };
    for (const auto& [texto, esperado] : casos)
        EXPECT_EQ(Funciones::TextoAEntero(QString::fromUtf8(texto)), esperado) << texto;
    EXPECT_THROW(Funciones::TextoAEntero(QStringLiteral("3000000000")), legacy::VbError);
}

struct CampoFalso {
    Variant v;
    int tipo;
    Variant Value() const { return v; }
    int Type() const { return tipo; }
};

TEST(ValorNoNulo, NullMadeUsable)
{
    EXPECT_EQ(Funciones::ValorNoNulo(Variant::Null()).VarType(), legacy::vbString);
    EXPECT_EQ(Funciones::ValorNoNulo(Variant::Null()).toString(), QString());
    EXPECT_EQ(Funciones::ValorNoNulo(Variant(5)).toLong(), 5);
    EXPECT_EQ(Funciones::ValorNoNulo(Variant("x")).toString(), "x");
    EXPECT_TRUE(Funciones::ValorNoNulo(Variant()).IsEmpty());

    // By the field's type: numbers give a zero of their kind.
    const std::pair<int, legacy::VbVarType> tipos[] = {
        {3, legacy::vbLong},        {2, legacy::vbInteger}, {5, legacy::vbDouble}, {6, legacy::vbCurrency},
        {131, legacy::vbDecimal},   {11, legacy::vbBoolean}, {200, legacy::vbString}, {202, legacy::vbString},
        {135, legacy::vbString},    // a date: no zero date, the empty text
    };
    for (const auto& [tipo, esperado] : tipos) {
        const Variant r = Funciones::ValorNoNulo(Variant::Null(), tipo);
        EXPECT_EQ(r.VarType(), esperado) << "type " << tipo;
        if (esperado != legacy::vbString) {
            EXPECT_EQ(r.toDouble(), 0) << "type " << tipo;
        }
    }
    // A field object is read by its type; a value that is not Null is kept.
    EXPECT_EQ(Funciones::ValorNoNulo(CampoFalso{Variant::Null(), 6}).VarType(), legacy::vbCurrency);
    EXPECT_EQ(Funciones::ValorNoNulo(CampoFalso{Variant(9), 6}).toLong(), 9);
}

TEST(EstaEnLista, Membership)
{
    const QStringList tipos = {"FC", "FP", "TK", "TKFC"};
    EXPECT_TRUE(Funciones::EstaEnLista(Variant("FC"), tipos));
    EXPECT_TRUE(Funciones::EstaEnLista(Variant("fc"), tipos));
    EXPECT_TRUE(Funciones::EstaEnLista(Variant("FC  "), tipos));  // a key at its stored width
    EXPECT_FALSE(Funciones::EstaEnLista(Variant("TKF"), tipos));
    EXPECT_FALSE(Funciones::EstaEnLista(Variant(""), tipos));
    EXPECT_FALSE(Funciones::EstaEnLista(Variant::Null(), tipos));
    EXPECT_FALSE(Funciones::EstaEnLista(Variant("FC"), QStringList()));

    const Variant arreglo = Variant::fromArray({Variant(1), Variant("A"), Variant(2.5)});
    EXPECT_TRUE(Funciones::EstaEnLista(Variant(1), arreglo));
    EXPECT_TRUE(Funciones::EstaEnLista(Variant(Currency::fromRaw(25000)), arreglo));
    EXPECT_TRUE(Funciones::EstaEnLista(Variant("a"), arreglo));
    EXPECT_FALSE(Funciones::EstaEnLista(Variant(3), arreglo));
}

TEST(Textos, SmallTextServices)
{
    EXPECT_EQ(Funciones::CortaTexto("abcdef", 3), "abc");
    EXPECT_EQ(Funciones::CortaTexto("ab", 255), "ab");
    EXPECT_EQ(Funciones::CortaTexto("ab", 0), "");
    EXPECT_THROW(Funciones::CortaTexto("ab", -1), legacy::VbError);

    EXPECT_EQ(Funciones::CuentaPalabras("V_MA_ARTICULOS"), 1);
    EXPECT_EQ(Funciones::CuentaPalabras("  V_MA_ARTICULOS  "), 1);
    EXPECT_EQ(Funciones::CuentaPalabras("select top 10 *\r\nfrom\tx"), 6);
    EXPECT_EQ(Funciones::CuentaPalabras(""), 0);

    EXPECT_EQ(Funciones::QuitaCaracteres("a|b|c", "|"), "abc");
    EXPECT_EQ(Funciones::QuitaCaracteres("o'brien|x", "'", "|"), "obrienx");
    EXPECT_EQ(Funciones::QuitaCaracteres(QString("ab") + QChar(0) + "c" + QChar(0xFF), QString(QChar(0)),
                                         QString(QChar(0xFF))),
              "abc");

    EXPECT_EQ(Funciones::Reemplaza("1,5", ",", "."), "1.5");
    EXPECT_EQ(Funciones::Reemplaza("a*b*", "*", "%"), "a%b%");
    EXPECT_EQ(Funciones::Reemplaza("aXa", "x", "-"), "aXa");  // letter case counts
    EXPECT_EQ(Funciones::Reemplaza("abc", "", "-"), "abc");

    EXPECT_EQ(Funciones::ReemplazaTexto("SELECT * FROM V_MA_ARTICULOS WHERE x=1", "V_MA_ARTICULOS", "VT_MA_ARTICULOS"),
              "SELECT * FROM VT_MA_ARTICULOS WHERE x=1");
    EXPECT_EQ(Funciones::ReemplazaTexto("select * from v_ma_articulos a, dbo.V_MA_ARTICULOS", "V_MA_ARTICULOS",
                                        "VT_MA_ARTICULOS"),
              "select * from VT_MA_ARTICULOS a, dbo.VT_MA_ARTICULOS");
    // Not inside a longer name.
    EXPECT_EQ(Funciones::ReemplazaTexto("from V_MA_ARTICULOS_EXT, SV_MA_ARTICULOS", "V_MA_ARTICULOS", "VT"),
              "from V_MA_ARTICULOS_EXT, SV_MA_ARTICULOS");

    EXPECT_EQ(Funciones::TextoDeCampoFijo("L001" + QString(21, ' ')), "L001");
    EXPECT_EQ(Funciones::TextoDeCampoFijo(QString(25, QChar(0))), "");
    EXPECT_EQ(Funciones::TextoDeCampoFijo("AB" + QString(3, QChar(0))), "AB");

    EXPECT_EQ(Funciones::ObtieneTextoTc("'OC'"), "OC");
    EXPECT_EQ(Funciones::ObtieneTextoTc("'OC  '"), "OC");
    EXPECT_EQ(Funciones::ObtieneTextoTc("OC"), "OC");
    EXPECT_EQ(Funciones::ObtieneTextoTc("NULL"), "");

    EXPECT_EQ(Funciones::CompletaRuta("/opt/vordane"), "/opt/vordane/");
    EXPECT_EQ(Funciones::CompletaRuta("/opt/vordane/"), "/opt/vordane/");
    EXPECT_EQ(Funciones::CompletaRuta("C:\\kapo\\"), "C:\\kapo/");
    EXPECT_EQ(Funciones::CompletaRuta(""), "./");
}

}  // namespace
