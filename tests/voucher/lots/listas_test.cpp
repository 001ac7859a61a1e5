// The lot, serial and position lists: every reader on the same inputs, the
// faults mended in them and a round trip of each list shape.
#include "core/support/entorno_core.h"
#include "platform/ui/scripted.h"
#include "voucher/clscmncptes.h"

namespace {

const QString Y = QString(QChar(0x00FF));  // Chr(255)

QString Unidos(const QStringList& l) { return l.join(u','); }

TEST(ListaPipe, DecomposeAndCountItems)
{
    // text, elements of the decomposition (the closing empty one included),
    // Cantidad_Series_Lotes
    const std::tuple<QString, QString, long> casos[] = {
        {"", "", 0},           {"|", "", 0},
        {"A", "A,", 1},        {" |A|B ", "A,B,", 2},
        {"|A||A|", "A,,A,", 3}, {"|A|A|", "A,A,", 2},
        {"|A||B|", "A,,B,", 3}, {"||A|", ",A,", 2},
        {"A|B", "A,B,", 2},    {"| x |-|", "x,-,", 2},
    };
    for (const auto& [texto, elementos, cantidad] : casos) {
        SCOPED_TRACE(texto.toStdString());
        QStringList a{"basura", "previa"};
        ClsCmnCptes::DescomponeSerieLote(texto, a);
        EXPECT_EQ(Unidos(a), elementos);
        EXPECT_EQ(ClsCmnCptes::Cantidad_Series_Lotes(texto), cantidad);
    }
}

TEST(ListaPipe, ExtractSearchAndDisplay)
{
    const std::tuple<QString, long, QString> extrae[] = {
        {"|A|B|C|", 2, "B"}, {"|A|B|C|", 4, ""}, {"|A|B|C|", 0, ""},  {"|A|B|C|", -3, ""},
        {"A", 1, "A"},       {"|A|B", 2, ""},    {"| A |B|", 1, " A "}, {"", 1, ""},
        {"||A|", 1, ""},     {"||A|", 2, "A"},
    };
    for (const auto& [lista, pos, item] : extrae)
        EXPECT_EQ(ClsCmnCptes::ExtraeSerieLote(lista, pos), item) << lista.toStdString() << " @" << pos;

    const std::tuple<QString, QString, long> busca[] = {
        {"|A|B|", "b", 2}, {"|A|B|", "C", 3}, {"|A|B", "B", 2}, {"A", "A", 0},
        {"", "A", 0},      {"| a |B|", " A", 1}, {"|Ñu|", "ñU", 1},
    };
    for (const auto& [lista, que, pos] : busca)
        EXPECT_EQ(ClsCmnCptes::Busca_Lotes_Series(lista, que), pos) << lista.toStdString();

    const std::pair<QString, QString> muestra[] = {
        {"|A|B|A|", " A B"}, {"A|B", " A"}, {"A", ""}, {"|a|B|A||b|", " a B"}, {"", ""}};
    for (const auto& [lista, texto] : muestra) EXPECT_EQ(ClsCmnCptes::StrSerieLote(lista), texto);
}

TEST(ListaPipe, CountUnits)
{
    const std::tuple<QString, QString, bool, long> casos[] = {
        {"|S1|S2|S1|", "|L1|L2|L3|", false, 2}, {"|S1|S2|S1|", "|L1|L2|L3|", true, 3},
        {"", "|L1|L1|L2|", false, 2},           {"", "|L1|l1|L2|", true, 3},
        {"", "", false, 0},                     {"|S1|", "|L1|L2|", false, 1},
        {"|-|-|", "", false, 1},                {"||S1|", "", false, 1},
        {"", "|L1" + Y + "|L1" + Y + "S|", false, 2},
    };
    for (const auto& [series, lotes, sin, n] : casos)
        EXPECT_EQ(ClsCmnCptes::Cuenta_Series_Lotes(series, lotes, sin), n) << series.toStdString() << lotes.toStdString();
}

TEST(ListaPipe, LotWithQuantity)
{
    const std::tuple<QString, QString, QString, QString> casos[] = {
        {"|0|0|3|", "|L1|L2|L3|", "L3", "|L1|L2|L3|"},
        {"|0|0|", "|L1|L2|", "", "|L1|L2|"},
        {"|5|", "|L1" + Y + "S|", "L1S", "|L1S|"},
        {"|0|2.5|", "|A" + Y + "|B" + Y + "|", "B", "|A|B|"},
    };
    for (const auto& [cant, lotesIn, lote, lotesOut] : casos) {
        QString q = cant;
        QString l = lotesIn;
        EXPECT_EQ(ClsCmnCptes::ExtraeSerieLoteConValor(q, l), lote);
        EXPECT_EQ(l, lotesOut);
    }
    // A quantity past the last lot is an out-of-range subscript for the
    // caller's error handling, not a lot without a name.
    QString q = "|0|4|";
    QString l = "|L1|";
    EXPECT_EQ(testutil::errorOf([&] { ClsCmnCptes::ExtraeSerieLoteConValor(q, l); }), 9);
}

TEST(ListaPipe, InsertSeparatorDropsTheFirstCharacter)
{
    const std::pair<QString, QString> casos[] = {
        {"|A|B|", "|A" + Y + "|B" + Y + "|"}, {"A|B|", "|" + Y + "|B" + Y + "|"}, {"", "|"}, {"|", "|"}};
    for (const auto& [lista, res] : casos) EXPECT_EQ(ClsCmnCptes::InsertaCHR255(lista), res);
}

TEST(ListaPipe, NoSixteenBitLimits)
{
    QString larga(QStringLiteral("|"));
    for (int i = 0; i < 40000; ++i) larga += QStringLiteral("S%1|").arg(i);
    ASSERT_GT(larga.size(), 32767);
    EXPECT_EQ(ClsCmnCptes::Cantidad_Series_Lotes(larga), 40000);
    EXPECT_EQ(ClsCmnCptes::Cuenta_Series_Lotes(larga, ""), 40000);
    EXPECT_EQ(ClsCmnCptes::ExtraeSerieLote(larga, 39999), "S39998");
    EXPECT_EQ(ClsCmnCptes::Busca_Lotes_Series(larga, "s39999"), 40000);
}

// Each list shape written by the windows and read back by the members.
TEST(ListaPipe, RoundTripOfEveryShape)
{
    // ItemLoteSerie: lot, Chr(255), serial; an empty serial keeps its separator.
    const QString lotes = "|L01" + Y + "S9|L02" + Y + "|" + Y + "|";
    QStringList items;
    ClsCmnCptes::DescomponeSerieLote(lotes, items);
    EXPECT_EQ(items, (QStringList{"L01" + Y + "S9", "L02" + Y, Y, ""}));
    EXPECT_EQ(ClsCmnCptes::Busca_Lotes_Series(lotes, "L02" + Y), 2);
    EXPECT_EQ(ClsCmnCptes::ExtraeSerieLote("|1|3|0|", ClsCmnCptes::Busca_Lotes_Series(lotes, "L02" + Y)), "3");
    EXPECT_EQ(ClsCmnCptes::ExtraeSerieLote("|1|3|0|", ClsCmnCptes::Busca_Lotes_Series(lotes, "X" + Y)), "");
    EXPECT_EQ(ClsCmnCptes::InsertaCHR255("|L01|L02|"), "|L01" + Y + "|L02" + Y + "|");

    // ItemPosicionCantidad with its parallel lots; the DEPOSITO row's item
    // has an empty position and an empty lot.
    const std::tuple<QString, QString, QString, QString, QString> pos[] = {
        {"|P1*2|*3|", "|L1||", "P1,,", "2,3,", "L1,,"},
        {"|P1*2*X|", "", "P1,", "2*X,", ""},
        {"|P1*2|P2*5", "", "P1,P2,", "2,5,", ""},
        {"|", "|", "", "", ""},
    };
    for (const auto& [posiciones, lotesPos, p, c, l] : pos) {
        QStringList ap{"x"}, ac{"y"}, al{"z"};
        ClsCmnCptes::DescomponePosicionCantidadLote(posiciones, lotesPos, ap, ac, al);
        EXPECT_EQ(Unidos(ap), p);
        EXPECT_EQ(Unidos(ac), c);
        EXPECT_EQ(Unidos(al), l);
    }
}

class ListaPipeErrores : public coretest::EntornoCore {};

TEST_F(ListaPipeErrores, PositionWithoutStarGoesToTheErrorBox)
{
    const std::tuple<int, QString, QString> casos[] = {
        {ui::vbIgnore, "P1,P2,", "2,,"},  // the item stays whole, its quantity empty
        {ui::vbAbort, "P1,P2,", "2,"},    // left with what it had
    };
    for (const auto& [respuesta, p, c] : casos) {
        ui::ScriptedSession dlg;
        dlg.expectMsgBox("", respuesta).title("Cuenta_Series_Y_Lotes%");
        QStringList ap, ac, al;
        ClsCmnCptes::DescomponePosicionCantidadLote("|P1*2|P2|", "|A|B|", ap, ac, al);
        EXPECT_EQ(Unidos(ap), p);
        EXPECT_EQ(Unidos(ac), c);
        EXPECT_TRUE(dlg.remaining().isEmpty());
    }
}

}  // namespace
