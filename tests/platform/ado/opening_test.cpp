// Which engine a connection string reaches, and how opening fails.
#include "ado_test_util.h"

#include <unistd.h>

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

namespace {

// A database file that leaves its path while the connection holds it open:
// every later call is a lost link (08S01, native 11), reads too, so that the
// caller reconnects; the file put back at the path serves again.
TEST_F(Opening, FileGoneFromItsPathIsALostLink) {
    const QString file = folder.file(QStringLiteral("DEMO.sqlite"));
    const QString away = file + QStringLiteral(".fuera");
    const QString open = QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=DEMO;");
    struct Row {
        const char* name;
        std::function<void()> leave;  // the file goes away
        std::function<void()> back;   // and comes back at its path
        bool sameConnection;          // the open connection serves again
        const char* call;             // what runs while it is away
    };
    const auto rename = [&](const QString& a, const QString& b) { ASSERT_TRUE(QFile::rename(a, b)); };
    const Row rows[] = {
        {"moved, a read", [&] { rename(file, away); }, [&] { rename(away, file); }, true, "SELECT a FROM x"},
        {"moved, a write", [&] { rename(file, away); }, [&] { rename(away, file); }, true, "INSERT INTO x VALUES (1)"},
        // deleted: a copy of it put back is another file, which only a new connection opens
        {"deleted, a read", [&] { QFile::copy(file, away); QFile::remove(file); }, [&] { rename(away, file); }, false,
         "SELECT a FROM x"},
        {"deleted, a batch", [&] { QFile::copy(file, away); QFile::remove(file); }, [&] { rename(away, file); }, false,
         "BEGIN TRANSACTION\r\nDELETE FROM x\r\nCOMMIT TRANSACTION"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        cnn->Open(open);
        firstValue(cnn, QStringLiteral("SELECT COUNT(*) FROM x"));
        r.leave();
        const auto e = errorOf([&] { cnn->Execute(QString::fromLatin1(r.call)); });
        EXPECT_EQ(e.Number, ado::kErrProvider);
        ASSERT_EQ(cnn->Errors().Count(), 1);
        EXPECT_EQ(cnn->Errors()(0).NativeError, ado::kNativeNetwork);
        EXPECT_EQ(cnn->Errors()(0).SQLState, QStringLiteral("08S01"));
        EXPECT_EQ(errorOf([&] { firstValue(cnn, QStringLiteral("SELECT COUNT(*) FROM x")); }).Number, ado::kErrProvider);
        r.back();
        if (!r.sameConnection) {
            EXPECT_EQ(errorOf([&] { firstValue(cnn, QStringLiteral("SELECT COUNT(*) FROM x")); }).Number,
                      ado::kErrProvider);
            cnn->Close();
            cnn->Open(open);
        }
        EXPECT_EQ(firstValue(cnn, QStringLiteral("SELECT COUNT(*) FROM x")).toLong(), 0) << "nothing written";
        cnn->Close();
    }
}

}  // namespace

namespace {

// A database the user cannot write (the file, or the folder where its
// journal goes, without the right to write) refuses writes with the
// server's error of a read-only database, never a lost link; reads go on.
// Run as the super user, the connection is opened and used as another user,
// whom the rights bind.
TEST_F(Opening, DatabaseWithoutTheRightToWriteIsReadOnly) {
    const QString file = folder.file(QStringLiteral("DEMO.sqlite"));
    const auto mode = [](const QString& path, QFile::Permissions p) { ASSERT_TRUE(QFile::setPermissions(path, p)); };
    const QFile::Permissions all = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner |
                                   QFile::ExeGroup | QFile::ExeOther;
    const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    struct Row {
        const char* name;
        QFile::Permissions folderMode, fileMode;
    };
    const Row rows[] = {
        {"the file", all | write, all},
        {"the folder", all, all | write},
    };
    const bool root = ::geteuid() == 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        mode(folder.path(), r.folderMode);
        mode(file, r.fileMode);
        if (root && ::seteuid(65534) != 0) GTEST_SKIP() << "cannot act as another user";
        cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=DEMO;"));
        const auto e = errorOf([&] { cnn->Execute(QStringLiteral("INSERT INTO x VALUES (1)")); });
        const ado::Error first = cnn->Errors().Count() == 1 ? cnn->Errors()(0) : ado::Error{};
        const auto read = errorOf([&] { firstValue(cnn, QStringLiteral("SELECT COUNT(*) FROM x")); });
        cnn->Close();
        if (root) ASSERT_EQ(::seteuid(0), 0);
        mode(folder.path(), all | QFile::WriteOwner);
        mode(file, all | QFile::WriteOwner);
        EXPECT_EQ(e.Number, ado::kErrSyntax);
        EXPECT_EQ(first.NativeError, 3906);
        EXPECT_EQ(first.SQLState, QStringLiteral("42000"));
        EXPECT_EQ(e.Description,
                  QStringLiteral("No se pudo actualizar la base de datos \"DEMO\" porque la base de datos es de solo lectura."));
        EXPECT_EQ(read.Number, 0);
    }
}

}  // namespace
