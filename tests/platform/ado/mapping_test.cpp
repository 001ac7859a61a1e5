// The tables this layer is built on: connection-string reading, the error
// mapping shared by both engines, and date texts.
#include "ado_test_util.h"
#include "platform/ado/engine.h"

#include <gtest/gtest.h>

using namespace adotest;

namespace {

TEST(ConnectionString, KeysIgnoreCaseAndBlanksValuesKeepTheirText) {
    const auto p = ado::parseConnectionString(
        QStringLiteral("PROVIDER=SQLOLEDB;Server=srv\\KAPORES;Database =Base Uno;UId=u;Pwd= p w ;Connect Timeout=5;"
                       "Extended={a;b};;junk;Data Source = C:\\x.mdb"));
    EXPECT_EQ(p.value("provider"), QStringLiteral("SQLOLEDB"));
    EXPECT_EQ(p.value("SERVER"), QStringLiteral("srv\\KAPORES"));
    EXPECT_EQ(p.value("Database"), QStringLiteral("Base Uno"));
    EXPECT_EQ(p.value("PWD"), QStringLiteral("p w"));
    EXPECT_EQ(p.value("CONNECT TIMEOUT"), QStringLiteral("5"));
    EXPECT_EQ(p.value("EXTENDED"), QStringLiteral("a;b"));
    EXPECT_EQ(p.value("DATA SOURCE"), QStringLiteral("C:\\x.mdb"));
    EXPECT_FALSE(p.has("JUNK"));
    EXPECT_EQ(p.value("MISSING"), QString());
}

TEST(ErrorMapping, OneTableForBothEngines) {
    struct C { const char* state; int native; const char* message; int number; int expectedNative; };
    const C cases[] = {
        {"08S01", 10054, "Communication link failure", ado::kErrProvider, ado::kNativeNetwork},
        {"08001", 20009, "Unable to connect", ado::kErrProvider, ado::kNativeNetwork},
        {"HYT00", 0, "Timeout expired", ado::kErrTimeout, 0},
        {"42S02", 208, "Invalid object name 'X'.", ado::kErrNoSuchObject, 208},
        {"42S22", 207, "Invalid column name 'X'.", ado::kErrNoSuchObject, 207},
        {"42000", 102, "Incorrect syntax near 'X'.", ado::kErrSyntax, 102},
        {"23000", 2627, "Violation of PRIMARY KEY constraint", ado::kErrIntegrity, 2627},
        {"23000", 547, "The DELETE statement conflicted with the REFERENCE constraint", ado::kErrIntegrity, 547},
        {"23000", 0, "UNIQUE constraint failed: t.a", ado::kErrIntegrity, ado::kNativeDuplicateKey},
        {"HY000", 0, "FOREIGN KEY constraint failed", ado::kErrIntegrity, ado::kNativeReference},
        {"22001", 8152, "String or binary data would be truncated.", ado::kErrTruncation, 8152},
        {"28000", 18456, "Login failed for user 'x'.", ado::kErrLoginFailed, 18456},
        {"42000", 4060, "Cannot open database \"X\" requested by the login.", ado::kErrProvider, 4060},
        {"HY000", 0, "no such table: X", ado::kErrNoSuchObject, 208},
        {"42000", 3906, "Failed to update database \"X\" because the database is read-only.", ado::kErrSyntax, 3906},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.message);
        const auto f = ado::classifyOdbc(QString::fromLatin1(c.state), c.native, QString::fromLatin1(c.message));
        const ado::Error e = ado::makeError(f, QString::fromLatin1(c.message), QStringLiteral("t"), c.native,
                                            QString::fromLatin1(c.state));
        EXPECT_EQ(e.Number, c.number);
        EXPECT_EQ(e.NativeError, c.expectedNative);
        EXPECT_EQ(e.SQLState, QString::fromLatin1(c.state));
    }
    // a time-out never reads as a lost link
    EXPECT_NE(ado::makeError(ado::Failure::Timeout, {}, {}).NativeError, ado::kNativeNetwork);
}

TEST(DateText, IsoTextsBecomeDatesAndBack) {
    struct C { const char* text; bool ok; QDateTime expected; };
    const C cases[] = {
        {"2024-01-31 10:30:15", true, QDateTime(QDate(2024, 1, 31), QTime(10, 30, 15))},
        {"2024-01-31", true, QDateTime(QDate(2024, 1, 31), QTime(0, 0))},
        {"2024-01-31T08:00:00.500", true, QDateTime(QDate(2024, 1, 31), QTime(8, 0, 0, 500))},
        {"1899-12-29 06:00:00", true, QDateTime(QDate(1899, 12, 29), QTime(6, 0))},
        {"2024-02-30 00:00:00", false, {}},
        {"2024/01/31", false, {}},
        {"31/01/2024", false, {}},
        {"2024-01-31 10", false, {}},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.text);
        legacy::Date d;
        ASSERT_EQ(ado::isoToDate(QString::fromLatin1(c.text), d), c.ok);
        if (c.ok) {
            EXPECT_EQ(d.toDateTime(), c.expected);
        }
    }
    legacy::Date d;
    ASSERT_TRUE(ado::isoToDate(QStringLiteral("2026-12-09 04:50:00"), d));
    EXPECT_EQ(ado::dateToIso(d), QStringLiteral("2026-12-09 04:50:00"));
}

}  // namespace
