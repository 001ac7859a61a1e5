// SQL values and the classes of field types.
#include "db/db_dll.h"
#include "platform/legacy/regional.h"

#include <gtest/gtest.h>

using legacy::Variant;

namespace {

TEST(SqlValue, QuotingAndNull)
{
    DB_Dll db;
    struct Case {
        Variant valor;
        const char* tipo;
        const char* texto;
    } cases[] = {
        {Variant("O'Brien"), "'", "'O'Brien'"},  // apostrophes are the caller's business
        {Variant("abc"), "", "abc"},
        {Variant("abc"), "#", "abc"},
        {Variant::Null(), "'", "NULL"},
        {Variant::Null(), "", "NULL"},
        {Variant::Null(), "@", "0"},
        {Variant(42), "'", "'42'"},
        {Variant(42), "@", "42"},
        {Variant("1.5"), "@", "1.5"},
        {Variant(QString()), "'", "''"},
    };
    for (const Case& c : cases) {
        const QString tipo = QString::fromUtf8(c.tipo);
        EXPECT_EQ(db.SQLValue(c.valor, tipo).toString(), QString::fromUtf8(c.texto)) << c.texto;
        EXPECT_EQ(db.SQLValue2(c.valor, tipo).toString(), QString::fromUtf8(c.texto)) << c.texto;
    }
}

TEST(SqlValue, NumbersAlwaysGetADecimalPoint)
{
    DB_Dll db;
    // Whatever the regional decimal separator, the SQL text has a point.
    EXPECT_EQ(db.SQLValue(Variant(QStringLiteral("1234,5")), QStringLiteral("@")).toString(), QStringLiteral("1234.5"));
    EXPECT_EQ(db.SQLValue(Variant(2.25), QStringLiteral("@")).toString(), QStringLiteral("2.25"));
    EXPECT_EQ(db.SQLValue(Variant(QStringLiteral("  -7 ")), QStringLiteral("@")).toString(), QStringLiteral("-7"));
}

TEST(FieldTypeClasses, Codes)
{
    DB_Dll db;
    const QList<int> fechas = {7, 64, 133, 134, 135, 137};
    const QList<int> textos = {8, 129, 130, 200, 201, 202, 203};
    const QList<int> numeros = {2, 3, 4, 5, 14, 16, 17, 18, 19, 20, 21, 131};
    for (int code = 0; code <= 210; ++code) {
        EXPECT_EQ(db.adodate(code), fechas.contains(code)) << code;
        EXPECT_EQ(db.ADOText(code), textos.contains(code)) << code;
        EXPECT_EQ(db.ADONumeric(code), numeros.contains(code)) << code;
        EXPECT_EQ(db.ADOCurrency(code), code == 6) << code;
        EXPECT_EQ(db.ADOBoolean(code), code == 11) << code;
        EXPECT_EQ(db.ADOComilla(code), (fechas.contains(code) || textos.contains(code)) ? QStringLiteral("'") : QString())
            << code;
    }
    // A text that reads as the number matches too.
    EXPECT_TRUE(db.adodate(Variant(QStringLiteral("135"))));
    // Null belongs to no class; currency and Boolean cannot answer for it.
    EXPECT_FALSE(db.adodate(Variant::Null()));
    EXPECT_FALSE(db.ADOText(Variant::Null()));
    EXPECT_FALSE(db.ADONumeric(Variant::Null()));
    EXPECT_EQ(db.ADOComilla(Variant::Null()), QString());
    EXPECT_THROW(db.ADOCurrency(Variant::Null()), legacy::VbError);
    EXPECT_THROW(db.ADOBoolean(Variant::Null()), legacy::VbError);
}

}  // namespace
