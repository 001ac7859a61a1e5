#pragma once
// What the database class's tests share: a fresh embedded database in a
// scratch program folder, the shared objects dropped after every test, and
// scripted dialogs that can also act while the code waits (a connection that
// comes back, a button clicked in the reconnect window).
#include "db/db_dll.h"
#include "db/frmacceso.h"
#include "db/frmreconectar.h"
#include "db/modglobal_db.h"
#include "support/fault_injection.h"
#include "platform/legacy/program.h"
#include "platform/ui/scripted.h"
#include "support/conexion_principal.h"
#include "support/testdb.h"
#include "support/testutil.h"

#include <QApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>


namespace dbtest {

inline void EnsureApplication() { testutil::testApp(); }

// Scripted dialogs with hooks: onMsgBox runs after a message box was
// answered (with its prompt), onWait on every pause, onDoEvents on every
// yield to the event loop.
class DrivenDialogs : public ui::ScriptedSession {
public:
    std::function<void(const QString&)> onMsgBox;
    std::function<void()> onWait;
    std::function<void()> onDoEvents;
    int waits = 0;

    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        const int answer = ScriptedDialogs::msgBox(prompt, style, title);
        if (onMsgBox)
            onMsgBox(prompt);
        return answer;
    }
    void wait(int ms) override
    {
        ScriptedDialogs::wait(ms);
        ++waits;
        if (onWait)
            onWait();
    }
    void doEvents() override
    {
        ScriptedDialogs::doEvents();
        if (onDoEvents)
            onDoEvents();
    }
};

inline const QString kDb = QStringLiteral("PRUEBA");

inline QString EmbeddedConnString(const QString& db = kDb)
{
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database =") + db + QStringLiteral(";UId=") + db +
           QStringLiteral(";Pwd=") + db + QStringLiteral(";");
}

class DbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        savedApp_ = legacy::App();
        legacy::App().path = tmp_.path();
        legacy::App().exeName = QStringLiteral("vordane");
        dbPath_ = testdb::createDatabase(tmp_.path(), kDb, false);
        // A machine whose registry of connections exists already, so that
        // Conectar in the access window registers nothing by itself.
        QFile registro(tmp_.file(QStringLiteral("BASES.TXT")));
        registro.open(QIODevice::WriteOnly);
    }
    void TearDown() override
    {
        ado::testing::ClearInjectedFailures();
        ModGlobal::ResetDatabaseObjects();
        frmAcceso::Unload();
        frmReconectar::Unload();
        legacy::setApp(savedApp_);
    }

    // Opens the main object on the embedded database, as the start-up does.
    DB_Dll& OpenMain()
    {
        return testdb::openMain(kDb);
    }

    void Run(DB_Dll& db, const QString& sql)
    {
        db.gCnn->Execute(sql);
    }

    // The database file goes away (reopening fails) and comes back.
    void HideDatabase() { ASSERT_TRUE(QFile::rename(dbPath_, dbPath_ + QStringLiteral(".fuera"))); }
    void RestoreDatabase() { QFile::rename(dbPath_ + QStringLiteral(".fuera"), dbPath_); }

    testdb::TempFolder tmp_;
    QString dbPath_;
    legacy::ProgramInfo savedApp_;
};

}  // namespace dbtest
