// Which engine a connection string reaches, and how opening fails.
#include "ado_test_util.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace adotest;

namespace {

class Opening : public ::testing::Test {
protected:
    void SetUp() override {
        createDatabase(folder.file(QStringLiteral("DEMO.sqlite")), QStringLiteral("CREATE TABLE x (a INT);"), true);
    }
    ProgramFolder folder;
    ado::ConnectionPtr cnn = std::make_shared<ado::Connection>();
};

TEST_F(Opening, SqliteServerOpensTheFileInTheProgramFolder) {
    // keys without regard to case, blanks around keys and values
    cnn->Open(QStringLiteral("provider=SQLOLEDB; SERVER = (SQLite) ;Database =DEMO;UId=DEMO;Pwd=DEMO;Connect Timeout=5;"));
    EXPECT_TRUE(cnn->isEmbedded());
    EXPECT_EQ(cnn->DefaultDatabase(), QStringLiteral("DEMO"));
    cnn->setDefaultDatabase(QStringLiteral("demo"));  // naming the open file is fine
    const auto e = errorOf([&] { cnn->setDefaultDatabase(QStringLiteral("OTRA")); });
    EXPECT_EQ(e.Number, ado::kErrProvider);
    ASSERT_EQ(cnn->Errors().Count(), 1);
    EXPECT_EQ(cnn->Errors()(0).NativeError, ado::kNativeCannotOpenDatabase);
}

TEST_F(Opening, MissingDatabaseFailsAndCreatesNothing) {
    const auto e = errorOf([&] {
        cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database =NOHAY;UId=a;Pwd=a;Connect Timeout=5;"));
    });
    EXPECT_EQ(e.Number, ado::kErrProvider);
    EXPECT_EQ(cnn->State(), ado::adStateClosed);
    ASSERT_EQ(cnn->Errors().Count(), 1);
    EXPECT_EQ(cnn->Errors()(0).NativeError, ado::kNativeCannotOpenDatabase);
    EXPECT_EQ(cnn->Errors()(0).Description, e.Description);
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("NOHAY.sqlite"))));
    // a later good Open clears the list
    cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=DEMO;UId=a;Pwd=a;"));
    EXPECT_EQ(cnn->Errors().Count(), 0);
}

TEST_F(Opening, LocalFileProviderOpensThePathAndReports3024WhenMissing) {
    cnn->Open(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =%1;User ID=a;Password=b;")
                  .arg(folder.file(QStringLiteral("DEMO.sqlite"))));
    EXPECT_TRUE(cnn->isEmbedded());
    cnn->Close();
    EXPECT_NE(errorOf([&] {
                  cnn->Open(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=%1;")
                                .arg(folder.file(QStringLiteral("falta.mdb"))));
              }).Number,
              0);
    ASSERT_EQ(cnn->Errors().Count(), 1);
    EXPECT_EQ(cnn->Errors()(0).SQLState, QStringLiteral("3024"));
}

TEST_F(Opening, ServerOnAClosedPortFailsQuicklyWithTheDriversError) {
    QElapsedTimer t;
    t.start();
    const auto e = errorOf([&] {
        cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1,1;Database =DEMO;UId=DEMO;Pwd=DEMO;Connect Timeout=5;"));
    });
    EXPECT_LT(t.elapsed(), 15000);
    EXPECT_EQ(e.Number, ado::kErrProvider);
    EXPECT_EQ(cnn->State(), ado::adStateClosed);
    ASSERT_GE(cnn->Errors().Count(), 1);
    EXPECT_EQ(cnn->Errors()(0).NativeError, ado::kNativeNetwork);
    EXPECT_TRUE(cnn->Errors()(0).SQLState.startsWith(QStringLiteral("08"))) << cnn->Errors()(0).SQLState.toStdString();
    EXPECT_TRUE(cnn->Errors()(0).Description.contains(QStringLiteral("connect"), Qt::CaseInsensitive))
        << cnn->Errors()(0).Description.toStdString();
}

TEST_F(Opening, OracleWithoutADataSourceGivesAClearError) {
    const auto e = errorOf([&] {
        cnn->Open(QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=NOEXISTE_ORA;User Id=u;Password=p;"));
    });
    EXPECT_EQ(e.Number, ado::kErrProvider);
    ASSERT_GE(cnn->Errors().Count(), 1);
    EXPECT_EQ(cnn->Errors()(0).SQLState, QStringLiteral("IM002"));
    EXPECT_TRUE(cnn->Errors()(0).Description.contains(QStringLiteral("origen de datos")));
}

TEST_F(Opening, ConnectionPropertiesKeepTheirValues) {
    EXPECT_EQ(cnn->ConnectionTimeout(), 15);
    EXPECT_EQ(cnn->CommandTimeout(), 30);
    cnn->setCursorLocation(ado::adUseClient);
    cnn->setConnectionString(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=DEMO;"));
    cnn->Open();
    cnn->setCommandTimeout(10);
    cnn->setIsolationLevel(ado::adXactReadUncommitted);
    EXPECT_EQ(cnn->CursorLocation(), ado::adUseClient);
    EXPECT_EQ(cnn->CommandTimeout(), 10);
    EXPECT_EQ(cnn->IsolationLevel(), ado::adXactReadUncommitted);
    EXPECT_EQ(errorOf([&] { cnn->setConnectionString(QStringLiteral("x")); }).Number, ado::adErrObjectOpen);
    const legacy::Variant held = cnn;  // a Variant can hold it
    EXPECT_EQ(held.TypeName(), QStringLiteral("Connection"));
}

}  // namespace

namespace {

TEST_F(Opening, CommandTimeoutStopsALongStatementWithItsOwnNumber) {
    cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=DEMO;"));
    cnn->setCommandTimeout(1);
    const auto e = errorOf([&] {
        cnn->Execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT COUNT(*) FROM n"));
    });
    EXPECT_EQ(e.Number, ado::kErrTimeout);  // never taken for a lost link
    ASSERT_EQ(cnn->Errors().Count(), 1);
    EXPECT_EQ(cnn->Errors()(0).SQLState, QStringLiteral("HYT00"));
    EXPECT_NE(cnn->Errors()(0).NativeError, ado::kNativeNetwork);
}

}  // namespace
