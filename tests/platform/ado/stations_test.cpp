// Several stations on one database file of the embedded engine: each station
// a connection of its own, on a thread of its own where two must run at once.
#include "ado_test_util.h"

#include "platform/legacy/errortrap.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace adotest;

namespace {

const QString kNul(QChar(0));

class Stations : public ::testing::Test {
protected:
    void SetUp() override {
        createDatabase(folder.file(QStringLiteral("PRUEBA.sqlite")),
                       QStringLiteral("CREATE TABLE Numeros (Id INTEGER PRIMARY KEY, Estacion VARCHAR(10) COLLATE %1);")
                           .arg(QString::fromLatin1(ado::kTextCollation)),
                       true);
    }

    ado::ConnectionPtr station(int connectTimeout = 5) {
        auto cnn = std::make_shared<ado::Connection>();
        cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=PRUEBA;UId=a;Pwd=a;Connect Timeout=%1;")
                      .arg(connectTimeout));
        return cnn;
    }

    int count(const ado::ConnectionPtr& cnn) {
        return firstValue(cnn, QStringLiteral("SELECT COUNT(*) FROM Numeros")).toLong();
    }

    // The file opened straight through the library, as another program would.
    sqlite3* raw() {
        sqlite3* db = nullptr;
        sqlite3_open(folder.file(QStringLiteral("PRUEBA.sqlite")).toUtf8().constData(), &db);
        return db;
    }

    ProgramFolder folder;
};

// Another program writes with the whole file locked for `holdMs`; the
// station opens meanwhile with its connection time-out, or, opened before,
// sends a statement with its command time-out: one wait of the time-out for
// the whole statement, however many looks at the file it takes.
TEST_F(Stations, ABusyFileIsWaitedForOnceUpToTheTimeout) {
    struct Case {
        int holdMs;
        int timeout;
        bool opens;
        const char* statement = nullptr;  // sent by a station opened before
    };
    for (const Case c : {Case{500, 5, true}, Case{3000, 1, false},
                         Case{2500, 1, false, "SELECT TOP 1 * FROM Numeros WHERE Estacion = 'X'"},
                         Case{2500, 1, false, "INSERT INTO Numeros (Estacion) VALUES ('Y')"}}) {
        SCOPED_TRACE(std::to_string(c.holdMs) + (c.statement ? c.statement : ""));
        ado::ConnectionPtr cnn = std::make_shared<ado::Connection>();
        if (c.statement) {
            cnn = station();
            cnn->setCommandTimeout(c.timeout);
        }
        sqlite3* other = raw();
        ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO Numeros (Estacion) VALUES ('X')", nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(c.holdMs));
            sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        });
        QElapsedTimer t;
        t.start();
        const auto e = errorOf([&] {
            const QString statement = QString::fromLatin1(c.statement);
            if (statement.startsWith(u"SELECT")) {
                firstValue(cnn, statement);  // a recordset, as the program reads
            } else if (c.statement) {
                cnn->Execute(statement);
            } else {
                cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database=PRUEBA;Connect Timeout=%1;")
                              .arg(c.timeout));
            }
        });
        const qint64 waited = t.elapsed();
        release.join();
        sqlite3_close(other);
        if (c.opens) {
            EXPECT_EQ(e.Number, 0) << e.Description.toStdString();
            EXPECT_GE(waited, 400);
            if (e.Number == 0) {
                EXPECT_EQ(count(cnn), 1);
            }
        } else {
            // a time-out, never a missing or damaged database
            EXPECT_EQ(e.Number, ado::kErrTimeout) << e.Description.toStdString();
            EXPECT_GE(waited, c.timeout * 900);
            EXPECT_LT(waited, c.timeout * 1500) << "gave up at its time-out, before the other station let go";
            ASSERT_EQ(cnn->Errors().Count(), 1);
            EXPECT_NE(cnn->Errors()(0).NativeError, ado::kNativeCannotOpenDatabase);
            EXPECT_EQ(cnn->State(), c.statement ? ado::adStateOpen : ado::adStateClosed);
        }
    }
}

// Station B holds a write transaction for a while; station A reads, then
// writes, inside a transaction of its own: A waits for B instead of failing
// at its first write, whether it began through the member or in batch text.
TEST_F(Stations, WriteTransactionsWaitForEachOther) {
    const std::vector<std::function<void(ado::Connection&)>> ways = {
        [](ado::Connection& a) {
            a.BeginTrans();
            a.Execute(QStringLiteral("SELECT COUNT(*) FROM Numeros"));
            a.Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('A')"));
            a.CommitTrans();
        },
        [](ado::Connection& a) {
            a.Execute(QStringLiteral("BEGIN TRANSACTION\rSELECT COUNT(*) FROM Numeros\r"
                                     "INSERT INTO Numeros (Estacion) VALUES ('A')\rCOMMIT TRANSACTION"));
        },
    };
    for (size_t w = 0; w < ways.size(); ++w) {
        SCOPED_TRACE(w);
        ado::ConnectionPtr a = station(), b = station();
        a->Execute(QStringLiteral("DELETE FROM Numeros"));
        std::promise<void> written;
        std::future<void> bWrote = written.get_future();
        auto bDone = std::async(std::launch::async, [&] {
            b->BeginTrans();
            b->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('B')"));
            written.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            return errorOf([&] { b->CommitTrans(); });
        });
        bWrote.wait();
        QElapsedTimer t;
        t.start();
        const auto e = errorOf([&] { ways[w](*a); });
        if (e.Number != 0) errorOf([&] { a->RollbackTrans(); });  // frees B
        EXPECT_EQ(e.Number, 0) << e.Description.toStdString();
        EXPECT_EQ(bDone.get().Number, 0);
        EXPECT_GE(t.elapsed(), 300) << "A waited for B";
        EXPECT_EQ(count(a), 2);
    }
}

// Two stations write without pause; a third opens and writes meanwhile,
// again and again, each time within its time-outs.
TEST_F(Stations, AStationGetsItsTurnWhileOthersWriteWithoutPause) {
    std::atomic<bool> stop = false;
    std::atomic<int> written = 0;
    const auto writer = [&] {
        ado::ConnectionPtr w = station();
        while (!stop) {
            w->BeginTrans();
            w->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('W')"));
            w->CommitTrans();
            ++written;
        }
    };
    auto w1 = std::async(std::launch::async, writer), w2 = std::async(std::launch::async, writer);
    QElapsedTimer started;
    started.start();
    while (written < 20 && started.elapsed() < 10000) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int failures = 0;
    for (int i = 0; i < 5; ++i) {
        const auto e = errorOf([&] {
            ado::ConnectionPtr a = station(5);
            a->setCommandTimeout(5);
            a->BeginTrans();
            a->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('A')"));
            a->CommitTrans();
        });
        if (e.Number != 0) ++failures;
    }
    stop = true;
    EXPECT_EQ(errorOf([&] { w1.get(); }).Number, 0);
    EXPECT_EQ(errorOf([&] { w2.get(); }).Number, 0);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(firstValue(station(), QStringLiteral("SELECT COUNT(*) FROM Numeros WHERE Estacion = 'A'")).toLong(),
              5 - failures);
}

// Reads outside a transaction never wait for a station's open write
// transaction (they see the rows as they were), and the file keeps its
// rollback journal.
TEST_F(Stations, ReadsGoOnWhileAnotherStationWrites) {
    ado::ConnectionPtr a = station(), b = station();
    a->setCommandTimeout(2);
    b->BeginTrans();
    b->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('B')"));
    // B never lets go before these reads end: a read that waited would fail
    EXPECT_EQ(count(a), 0);
    EXPECT_EQ(firstValue(a, QStringLiteral("SELECT COUNT(*) FROM Numeros WHERE Estacion = 'B'")).toLong(), 0);
    b->CommitTrans();
    EXPECT_EQ(count(a), 1);

    sqlite3* db = raw();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "delete");
    sqlite3_finalize(st);
    sqlite3_close(db);
}

// Another program reads the file inside a transaction of its own (holding
// its read lock) until it is told to let go.
class Reader {
public:
    explicit Reader(const QString& path) {
        std::promise<void> holding;
        auto held = holding.get_future();
        thread_ = std::thread([this, path, &holding] {
            sqlite3* db = nullptr;
            sqlite3_open(path.toUtf8().constData(), &db);
            sqlite3_exec(db, "BEGIN; SELECT COUNT(*) FROM Numeros", nullptr, nullptr, nullptr);
            holding.set_value();
            released_.get_future().wait();
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        });
        held.wait();
    }
    ~Reader() { release(); }
    void release() {
        if (!thread_.joinable()) return;
        released_.set_value();
        thread_.join();
    }

private:
    std::promise<void> released_;
    std::thread thread_;
};

// A station reads, then writes, and its commit meets a reader that holds the
// file past the station's command time-out: the commit fails as a time-out,
// whether begun through the members or in batch text, and while the operator
// looks at the error box every other station reads. The transaction stays
// open for the caller: Retry stores the work, Abort has the caller roll back
// and nothing is written; when another station changed what it read
// meanwhile, Retry fails again and stores nothing. Either way the file is
// then free for the next station.
TEST_F(Stations, ACommitRefusedByAReaderLocksNoOneOut) {
    struct Way {
        const char* name;
        std::function<void(ado::Connection&)> begin, commit, rollback;
    };
    const std::vector<Way> ways = {
        {"members", [](ado::Connection& a) { a.BeginTrans(); }, [](ado::Connection& a) { a.CommitTrans(); },
         [](ado::Connection& a) { a.RollbackTrans(); }},
        {"batch text", [](ado::Connection& a) { a.Execute(QStringLiteral("BEGIN TRANSACTION")); },
         [](ado::Connection& a) { a.Execute(QStringLiteral("COMMIT TRANSACTION")); },
         [](ado::Connection& a) { a.Execute(QStringLiteral("ROLLBACK TRANSACTION")); }},
    };
    struct Case {
        int answer;
        bool otherWrites;  // station B writes while A's box is open
        int asked;
        int rows;          // rows in the file at the end (A's, B's)
        bool clock = false;  // A's work read the server's clock, alone and beside the rows it reads
    };
    for (const Way& way : ways) {
        for (const Case c : {Case{4, false, 1, 1}, Case{3, false, 1, 0}, Case{4, true, 2, 1}, Case{4, false, 1, 1, true},
                             Case{4, true, 2, 1, true}}) {
            SCOPED_TRACE(std::string(way.name) + " answer " + std::to_string(c.answer) + (c.otherWrites ? " B" : ""));
            ado::ConnectionPtr a = station();
            a->Execute(QStringLiteral("DELETE FROM Numeros"));
            a->setCommandTimeout(1);
            ado::ConnectionPtr b = station();
            b->setCommandTimeout(1);
            Reader reader(folder.file(QStringLiteral("PRUEBA.sqlite")));
            way.begin(*a);
            if (c.clock)
                EXPECT_EQ(firstValue(a, QStringLiteral("SELECT COUNT(*) AS n, GETDATE() AS hoy FROM Numeros")).toLong(), 0);
            else
                EXPECT_EQ(count(a), 0);
            a->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('A')"));
            if (c.clock) {
                firstValue(a, QStringLiteral("SELECT GETDATE() AS fecha"));
                a->Execute(QStringLiteral("UPDATE Numeros SET Estacion = 'A' WHERE GETDATE() IS NULL"));
            }
            int asked = 0;
            legacy::ErrorTrap trap(QStringLiteral("Graba"), [&](const legacy::VbError& e, const QString&) {
                ++asked;
                if (asked == 1) {
                    EXPECT_EQ(e.Number, ado::kErrTimeout);
                    EXPECT_TRUE(e.Description.contains(QStringLiteral("No se grabó ninguna de sus 1 filas")))
                        << e.Description.toStdString();
                    const auto read = errorOf([&] { EXPECT_EQ(count(b), 0); });
                    EXPECT_EQ(read.Number, 0) << "B reads while A's box is open: " << read.Description.toStdString();
                    reader.release();
                    if (c.otherWrites) b->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('B')"));
                } else {
                    EXPECT_EQ(a->Errors().Count() > 0 ? a->Errors()(0).NativeError : 0, 3930) << e.Description.toStdString();
                }
                return asked == 1 ? c.answer : 3;
            });
            trap([&] { way.commit(*a); });
            EXPECT_EQ(asked, c.asked);
            if (trap.left()) {
                const auto e = errorOf([&] { way.rollback(*a); });
                EXPECT_EQ(e.Number, 0) << e.Description.toStdString();
            }
            EXPECT_EQ(firstValue(a, QStringLiteral("SELECT @@TRANCOUNT")).toLong(), 0);
            EXPECT_EQ(count(b), c.rows);
            EXPECT_EQ(firstValue(b, QStringLiteral("SELECT COUNT(*) FROM Numeros WHERE Estacion = 'A'")).toLong(),
                      c.otherWrites ? 0 : c.rows);
            const auto eb = errorOf([&] {
                b->BeginTrans();
                b->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('B')"));
                b->CommitTrans();
            });
            EXPECT_EQ(eb.Number, 0) << eb.Description.toStdString();
        }
    }
}

// After a refused commit the caller leaves without rolling back: its next
// read sees its own work but stores nothing and keeps no lock; its COMMIT
// again stores the work.
TEST_F(Stations, AReadWhileTheCommitIsRefusedStoresNothing) {
    ado::ConnectionPtr a = station();
    a->setCommandTimeout(1);
    ado::ConnectionPtr b = station();
    b->setCommandTimeout(1);
    {
        Reader reader(folder.file(QStringLiteral("PRUEBA.sqlite")));
        a->BeginTrans();
        a->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('A')"));
        EXPECT_EQ(errorOf([&] { a->CommitTrans(); }).Number, ado::kErrTimeout);
    }
    EXPECT_EQ(count(a), 1);
    EXPECT_EQ(count(b), 0);
    EXPECT_EQ(errorOf([&] {
                  b->BeginTrans();
                  b->RollbackTrans();
              }).Number,
              0);
    EXPECT_EQ(errorOf([&] { a->CommitTrans(); }).Number, 0);
    EXPECT_EQ(count(b), 1);
}

// A batch that begins and commits its own transaction is all or nothing when
// its commit is refused: nothing is written and nothing stays locked.
TEST_F(Stations, ABatchWhoseCommitIsRefusedLeavesNothing) {
    ado::ConnectionPtr a = station();
    a->setCommandTimeout(1);
    {
        Reader reader(folder.file(QStringLiteral("PRUEBA.sqlite")));
        EXPECT_EQ(errorOf([&] {
                      a->Execute(QStringLiteral("BEGIN TRANSACTION\rINSERT INTO Numeros (Estacion) VALUES ('A')\r"
                                                "COMMIT TRANSACTION"));
                  }).Number,
                  ado::kErrTimeout);
        EXPECT_EQ(firstValue(a, QStringLiteral("SELECT @@TRANCOUNT")).toLong(), 0);
    }
    ado::ConnectionPtr b = station();
    b->setCommandTimeout(1);
    EXPECT_EQ(count(b), 0);
    EXPECT_EQ(errorOf([&] { b->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('B')")); }).Number, 0);
}

// A typed text holding a NUL character, written and searched for: as
// written the first time, through the prepared shape of its statement after.
TEST_F(Stations, TextWithANulCharacterIsAnOrdinaryValue) {
    ado::ConnectionPtr cnn = station();
    const auto e = errorOf([&] {
    const QString value = QStringLiteral("a") + kNul + QStringLiteral("b'c");
    const QString quoted = QString(value).replace(u'\'', QStringLiteral("''"));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        cnn->Execute(QStringLiteral("INSERT INTO Numeros (Estacion) VALUES ('%1')").arg(quoted));
        EXPECT_EQ(firstValue(cnn, QStringLiteral("SELECT COUNT(*) FROM Numeros WHERE Estacion = '%1'").arg(quoted)).toLong(),
                  round + 1);
        EXPECT_EQ(firstValue(cnn, QStringLiteral("SELECT COUNT(*) FROM Numeros WHERE Estacion LIKE N'%%1%' AND Id > %2")
                                       .arg(kNul)
                                       .arg(round))
                      .toLong(),
                  1);
    }
    EXPECT_EQ(firstValue(cnn, QStringLiteral("SELECT MAX(Estacion) FROM Numeros")).toString(), value);
    // a batch with the text in an IF guard and its block
    cnn->Execute(QStringLiteral("IF EXISTS (SELECT * FROM Numeros WHERE Estacion = '%1') BEGIN\r"
                                "DELETE FROM Numeros WHERE Estacion = '%1'\rEND")
                     .arg(quoted));
    EXPECT_EQ(count(cnn), 0);
    });
    EXPECT_EQ(e.Number, 0) << e.Description.toStdString();
}

}  // namespace
