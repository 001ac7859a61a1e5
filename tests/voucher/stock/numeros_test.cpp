// The stock statements' own number readers and literals give what the
// suite's general readers give, for every kind of text and regional profile.
#include "voucher/stock/comun.h"

#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/regional.h"
#include "platform/legacy/vberror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>

namespace {

using kapores2::Funciones;
using legacy::Currency;
using legacy::Variant;

// The result as text (a double by its bits, so that -0 counts), or the
// error it raised.
std::string R(const std::function<QString()>& f)
{
    try {
        return f().toStdString();
    } catch (const legacy::VbError& e) {
        return "error " + std::to_string(e.Number);
    }
}

QString Bits(double d)
{
    quint64 b;
    std::memcpy(&b, &d, sizeof b);
    return QString::number(b, 16);
}

QString Lento(const Variant& v)
{
    return ModGlobal::gDB().SQLValue(v, QStringLiteral("@")).toString();
}

TEST(NumerosTest, SameAsTheGeneralReadersForEveryTextAndProfile)
{
    const char* textos[] = {
        "", "0", "6", "-1", "12.5", "-2.5", "0.00005", "0.00015", "0.000150", "-0.00015", "0.00025", "1.23456",
        "1.99995", "-1.99995", "0.000050001", "5.", ".5", "-.5", "-", ".", "-0", "-0.0", "007", "007.50",
        "12345678901234", "123456789012345", "99999999999999.99995", "922337203685477.5807", "922337203685477.5808",
        "-922337203685477.5808", "1234567890123456789", "0.12345678901234", "0.123456789012345", "2,5", "1.234,5",
        "1,234.5", " 6", "6 ", "$5", "-$5", "15$", "1e3", "1E-2", "2e", "abc", "12abc", "--5", "+5", "1.2.3",
        "10000000000000000000000000000000"};
    const double dobles[] = {0, -0.0, 1, -2, 12.5, 0.00005, 0.00015, -0.00015, 0.0078125, 1.0 / 3, -2.0 / 3,
                             123456789.12345, 1e14, 1e15, -1e20, 1e300, std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(), 5e-7, 99999999999999.99};
    const Currency montos[] = {Currency(0), Currency(-3), Currency::fromRaw(5), Currency::fromRaw(-15),
                               Currency::fromRaw(125000), Currency::fromRaw(std::numeric_limits<std::int64_t>::max()),
                               Currency::fromRaw(std::numeric_limits<std::int64_t>::min())};
    struct Restablece {
        ~Restablece() { legacy::setRegional(legacy::RegionalProfile{}); }
    } restablece;
    // The usual profiles, and ones whose decimal sign or currency symbol
    // the plain form cannot be read under.
    for (const auto& [sep, simbolo] : {std::pair{u',', "$"}, std::pair{u'.', "$"}, std::pair{u',', ""},
                                       std::pair{u';', "$"}, std::pair{u',', "1"}, std::pair{u'.', "-"}}) {
        legacy::RegionalProfile p;
        p.decimalSeparator = QChar(sep);
        p.currencySymbol = QString::fromLatin1(simbolo);
        legacy::setRegional(p);
        SCOPED_TRACE(QStringLiteral("sep %1 symbol '%2'").arg(p.decimalSeparator).arg(p.currencySymbol).toStdString());
        for (const char* c : textos) {
            const QString t = QString::fromLatin1(c);
            SCOPED_TRACE(c);
            EXPECT_EQ(R([&] { return stockcomun::Num(t); }), R([&] { return Lento(Variant(t)); }));
            EXPECT_EQ(R([&] { return stockcomun::Moneda(t).toString(); }),
                      R([&] { return Funciones::TextoANumero(Variant(t)).toString(); }));
            EXPECT_EQ(R([&] { return Bits(stockcomun::Doble(t)); }),
                      R([&] { return Bits(Funciones::TextoADoble(Variant(t))); }));
        }
        for (double d : dobles)
            EXPECT_EQ(R([&] { return stockcomun::Num(d); }),
                      R([&] { return Lento(Variant(QString::number(d, 'f', 6))); }))
                << d;
        for (Currency c : montos)
            EXPECT_EQ(R([&] { return stockcomun::Num(c); }), R([&] { return Lento(Variant(c.toString())); }))
                << c.toString().toStdString();
        EXPECT_EQ(stockcomun::Num(Variant(Currency(7))), Lento(Variant(Currency(7)))) << "not a text";
        EXPECT_EQ(stockcomun::Num(Variant::Null()), Lento(Variant::Null()));
    }
}

}  // namespace
