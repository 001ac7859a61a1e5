// The old runtime's conversions must not change with the desktop's locale:
// a workstation with a decimal-comma locale reads and writes numbers as the
// regional profile says, not as the C library's locale would.
#include "platform/legacy/format.h"
#include "platform/legacy/numeric.h"
#include "platform/legacy/variant.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

using namespace legacy;

namespace {

// Builds a Spanish locale in a scratch folder and makes it the C library's
// numeric locale for the test's lifetime.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        const int rc = QProcess::execute(QStringLiteral("localedef"),
                                         {QStringLiteral("-i"), QStringLiteral("es_ES"), QStringLiteral("-f"),
                                          QStringLiteral("UTF-8"), dir_.filePath(QStringLiteral("es_ES.UTF-8"))});
        if (rc != 0)
            GTEST_SKIP() << "localedef cannot build es_ES here";
        setenv("LOCPATH", dir_.path().toLocal8Bit().constData(), 1);
        if (!std::setlocale(LC_NUMERIC, "es_ES.UTF-8"))
            GTEST_SKIP() << "the Spanish locale did not load";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override
    {
        std::setlocale(LC_NUMERIC, "C");
        unsetenv("LOCPATH");
    }
    QTemporaryDir dir_;
};

TEST_F(CommaLocale, ConversionsAndFormatKeepTheirRules)
{
    EXPECT_EQ(Val(QStringLiteral("1.5")), 1.5);
    EXPECT_EQ(Val(QStringLiteral(".25x")), 0.25);
    EXPECT_EQ(CDbl(Variant(QStringLiteral("1,5"))), 1.5);  // the regional profile: "," is decimal
    EXPECT_EQ(CStr(Variant(2.5)), QStringLiteral("2,5"));
    EXPECT_EQ(Format(Variant(1234.5), QStringLiteral("#,##0.00")), QStringLiteral("1.234,50"));
    EXPECT_EQ(CCur(Variant(0.00015)).raw(), 2);  // rounded half to even to four decimals
    EXPECT_EQ(Decimal::fromDouble(0.1).toString(), QStringLiteral("0.1"));
}

}  // namespace
