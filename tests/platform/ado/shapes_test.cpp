// Statements that differ only in their literals share one prepared statement
// on the embedded engine, their literals bound as parameters: what is stored
// and found must be what the literals themselves store and find.
#include "ado_test_util.h"

#include "platform/ado/sql_text.h"

#include <gtest/gtest.h>

namespace {

using namespace adotest;

TEST(StatementShapes, LiteralsTakenAsParameters) {
    struct C { const char* statement; const char* skeleton; };  // "" : none
    const C cases[] = {
        {"INSERT INTO t (a, b, c) VALUES ('x', -5, 1.5)", "INSERT INTO t (a, b, c) VALUES (#T, #I, #N)"},
        {"insert into dbo.[t] ([a], b) values (N'O''Brien', NULL)", "insert into dbo.[t] ([a], b) values (#T, NULL)"},
        // a day-first date is read by its column: it stays in the statement
        {"INSERT INTO t (a, b) VALUES ('31/12/2026', 7)", "INSERT INTO t (a, b) VALUES ('31/12/2026', #I)"},
        {"INSERT INTO t (a) VALUES ('31/12/2026')", ""},
        {"INSERT INTO t (a) VALUES (1), (2)", ""},
        {"INSERT INTO t (a) SELECT 1 FROM u WHERE b = 'x'", ""},
        {"INSERT INTO t (a) VALUES (1 + 2)", ""},
        // in a SELECT only comparisons after its FROM, whole numbers only
        {"SELECT 'x' AS k, a = 'y' FROM t WHERE c = 'z' AND n >= 3 AND d < 2.5",
         "SELECT 'x' AS k, a = 'y' FROM t WHERE c = #T AND n >= #I AND d < 2.5"},
        {"SELECT * FROM t WHERE c IN (SELECT c FROM u WHERE d = 'z')", ""},
        {"SELECT * FROM t WHERE c LIKE 'a%' ORDER BY 1", ""},
        {"UPDATE t SET c = 'a' WHERE n = -5 AND m = - 6", "UPDATE t SET c = #T WHERE n = #I AND m = - 6"},
        {"DELETE FROM t WHERE n <> 12345678901234567890", ""},
        {"SELECT * FROM t WHERE c = '\x01T'", ""},
        {"EXEC p 'x'", ""},
    };
    for (const C& c : cases) {
        const QString statement = QString::fromUtf8(c.statement);
        const auto p = ado::sql::parameterise(statement);
        QString skeleton = p ? ado::sql::skeletonOf(statement, *p) : QString();
        if (p) {
            EXPECT_TRUE(ado::sql::hasSkeleton(statement, *p, ado::sql::skeletonOf(statement, *p)));
        }
        skeleton.replace(u'\x01', u'#');
        EXPECT_EQ(skeleton, QString::fromUtf8(c.skeleton)) << c.statement;
    }
    // a skeleton is told from another piece by piece, whatever their hashes
    const QString a = QStringLiteral("UPDATE t SET c = 'a' WHERE n = 5"), b = QStringLiteral("UPDATE t SET c = 'a' WHERE m = 5");
    const auto pa = ado::sql::parameterise(a), pb = ado::sql::parameterise(b);
    ASSERT_TRUE(pa && pb);
    EXPECT_FALSE(ado::sql::hasSkeleton(b, *pb, ado::sql::skeletonOf(a, *pa)));
    EXPECT_TRUE(ado::sql::hasSkeleton(QStringLiteral("UPDATE t SET c = 'bb' WHERE n = -17"), *ado::sql::parameterise(
        QStringLiteral("UPDATE t SET c = 'bb' WHERE n = -17")), ado::sql::skeletonOf(a, *pa)));
}

const char* kTabla =
    "CREATE TABLE v (id INT, i INT, d DECIMAL(18,2), f FLOAT, c VARCHAR(12) COLLATE SRVTEXT, b, x TEXT, "
    "  t DATETIME);"
    "CREATE UNIQUE INDEX UX_v ON v (id)";

// Every value into every column, each statement on one connection (so the
// shapes serve from the second value of a kind on) and, for the reference,
// on a connection of its own to another file (where each runs as written).
TEST(StatementShapes, BoundValuesAreStoredAndFoundAsTheLiterals) {
    ProgramFolder folder;
    createDatabase(folder.file(QStringLiteral("A.sqlite")), QString::fromUtf8(kTabla), true);
    createDatabase(folder.file(QStringLiteral("B.sqlite")), QString::fromUtf8(kTabla), true);
    const auto connect = [](const char* base) {
        auto cnn = std::make_shared<ado::Connection>();
        cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=%1;UId=x;Pwd=x;").arg(QLatin1String(base)));
        return cnn;
    };
    const auto shared = connect("A");
    // the same error (a number too long for the text column) or none on both
    const auto both = [&](const QString& sql) {
        const legacy::VbError a = errorOf([&] { shared->Execute(sql); });
        const legacy::VbError b = errorOf([&] { connect("B")->Execute(sql); });
        EXPECT_EQ(a.Number, b.Number) << sql.toStdString() << ": " << b.Description.toStdString();
    };
    const char* values[] = {"0",     "-7",     "007",       "123456789012345678", "1234567890123456789",
                            "99999999999999999999", "12.5", "-0.10", "1.",        ".5",
                            "1e3",   "2.50E-1", "'x'",      "'O''Brien'",         "N'ñandú'",
                            "'12.5'", "' 5 '",  "''",       "'NULL'",             "NULL",
                            "'€ ''x'''", "N'😀'''",     "'20261130'",         "'2026-30-11 10:00'",
                            "'31/12/2026'"};
    int id = 0;
    for (const char* column : {"i", "d", "f", "c", "b", "x", "t"})
        for (const char* value : values)
            both(QStringLiteral("INSERT INTO v (id, %1) VALUES (%2, %3)").arg(QLatin1String(column)).arg(++id).arg(
                QString::fromUtf8(value)));

    const auto dump = [&](const ado::ConnectionPtr& cnn, const QString& sql) {
        auto rs = std::make_shared<ado::Recordset>();
        rs->Open(sql, cnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
        QStringList rows;
        for (; !rs->Eof(); rs->MoveNext()) {
            QStringList r;
            for (int k = 0; k < rs->Fields().Count(); ++k) r << rs->Fields(k).Value().toString();
            rows << r.join(u'|');
        }
        return rows.join(u'\n');
    };
    const QString stored = QStringLiteral(
        "SELECT id, typeof(i) + ':' + quote(i), typeof(d) + ':' + quote(d), typeof(f) + ':' + quote(f), "
        "typeof(c) + ':' + quote(c), typeof(b) + ':' + quote(b), typeof(x) + ':' + quote(x), typeof(t) + ':' + quote(t) "
        "FROM v ORDER BY id");
    EXPECT_EQ(dump(shared, stored), dump(connect("B"), stored));

    // lookups through one connection against each on its own
    const char* conditions[] = {"c = 'x'",  "c = ' 5'",    "c = 'o''brien  '", "i = 7",   "i = -7",
                                "c = 5",    "i = '7'",     "d = 12",           "x > 'a'", "LTRIM(RTRIM(c)) = '5'",
                                "c <> 'x'", "f >= 1000",   "b = 12",           "b = '12.5'",
                                "t >= '20261130'", "t = '2026-30-11 10:00'", "c = '20261130'", "c + 'x' = '20261130x'",
                                "i + '1' = 8"};
    for (const char* where : conditions) {
        const QString sql = QStringLiteral("SELECT id FROM v WHERE %1 ORDER BY id").arg(QString::fromUtf8(where));
        EXPECT_EQ(dump(shared, sql), dump(connect("B"), sql)) << where;
    }
}

// A bound value is refused as its literal is: too long for its column, or a
// key that exists.
TEST(StatementShapes, BoundValuesAreRefusedAsTheLiterals) {
    ProgramFolder folder;
    createDatabase(folder.file(QStringLiteral("A.sqlite")), QString::fromUtf8(kTabla), true);
    auto cnn = std::make_shared<ado::Connection>();
    cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=A;UId=x;Pwd=x;"));
    cnn->Execute(QStringLiteral("INSERT INTO v (id, c) VALUES (1, 'corto')"));
    cnn->Execute(QStringLiteral("INSERT INTO v (id, c) VALUES (2, 'corto')"));
    EXPECT_EQ(errorOf([&] { cnn->Execute(QStringLiteral("INSERT INTO v (id, c) VALUES (3, 'demasiado largo')")); }).Number,
              ado::kErrTruncation);
    const legacy::VbError dup = errorOf([&] { cnn->Execute(QStringLiteral("INSERT INTO v (id, c) VALUES (2, 'otro')")); });
    EXPECT_EQ(dup.Number, ado::kErrIntegrity);
    ASSERT_GT(cnn->Errors().Count(), 0);
    EXPECT_EQ(cnn->Errors().Item(0).NativeError, ado::kNativeDuplicateKey);
    EXPECT_EQ(firstValue(cnn, QStringLiteral("SELECT COUNT(*) FROM v")).toLong(), 2);
}

// A lookup whose shape is prepared follows a change another connection made
// to its table.
TEST(StatementShapes, PreparedLookupsFollowTheSchema) {
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("A.sqlite"));
    createDatabase(path, QStringLiteral("CREATE TABLE w (id INT, c VARCHAR(10) COLLATE SRVTEXT);"
                                        "INSERT INTO w VALUES (1, 'a'); INSERT INTO w VALUES (2, 'b')"),
                   true);
    auto cnn = std::make_shared<ado::Connection>();
    cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=A;UId=x;Pwd=x;"));
    const auto fields = [&](const char* code) {
        auto rs = std::make_shared<ado::Recordset>();
        rs->Open(QStringLiteral("SELECT * FROM w WHERE c = '%1'").arg(QLatin1String(code)), cnn, ado::adOpenForwardOnly,
                 ado::adLockReadOnly);
        QStringList r;
        for (int k = 0; k < rs->Fields().Count(); ++k) r << rs->Fields(k).Name() + u'=' + rs->Fields(k).Value().toString();
        return r.join(u' ');
    };
    for (const char* code : {"a", "b", "a"}) fields(code);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "ALTER TABLE w ADD COLUMN d INT; UPDATE w SET d = id * 7", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    EXPECT_EQ(fields("b"), QStringLiteral("id=2 c=b d=14"));
    EXPECT_EQ(fields("a"), QStringLiteral("id=1 c=a d=7"));
}

}  // namespace
