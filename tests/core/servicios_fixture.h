#pragma once
// What the tests of the login, action rows and formatting share: a scratch
// program folder holding the demo database "DEMO" of the embedded engine,
// the main database object opened on it, and everything shared put back
// after each test.
#include "core/modglobal.h"
#include "db/db_dll.h"
#include "db/frmacceso.h"
#include "db/modglobal_db.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/legacy/program.h"
#include "platform/legacy/regional.h"
#include "platform/ui/scripted.h"
#include "support/conexion_principal.h"
#include "support/entorno_core.h"
#include "support/testdb.h"
#include "support/testutil.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace serviciostest {

inline void AseguraAplicacion() { testutil::testApp(); }

class ServiciosTest : public ::testing::Test {
protected:
    static inline const QString kDb = QStringLiteral("DEMO");

    void SetUp() override
    {
        AseguraAplicacion();
        appGuardada_ = legacy::App();
        regionalGuardado_ = legacy::Regional();
        legacy::App().path = carpeta_.path();
        legacy::App().exeName = QStringLiteral("vordane");
        legacy::App().machineName = QStringLiteral("caja-01");
        legacy::App().userName = QStringLiteral("ana");
        ModGlobal::gUsuarioLogeado.clear();
        ModGlobal::gPassword.clear();
        ModGlobal::gParametroAdicional.clear();
    }

    void TearDown() override
    {
        coretest::ReseteaModulo();
        ModGlobal::gUsuarioLogeado.clear();
        ModGlobal::gPassword.clear();
        legacy::setRegional(regionalGuardado_);
        legacy::setApp(appGuardada_);
    }

    // The demo database in the program folder, and the main object open on
    // it as the start-up leaves it.
    DB_Dll& AbreDemo(bool conDatos = true)
    {
        testdb::createDatabase(carpeta_.path(), kDb, conDatos);
        return testdb::openMain(kDb);
    }

    void Ejecuta(const QString& sql) { ModGlobal::gDB().gCnn->Execute(sql); }

    // Every row of a query, each as its columns' texts (Null as "<null>").
    QList<QStringList> Filas(const QString& sql)
    {
        QList<QStringList> filas;
        auto rs = std::make_shared<ado::Recordset>();
        rs->Open(sql, ModGlobal::gDB().gCnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
        while (!rs->Eof()) {
            QStringList fila;
            for (int i = 0; i < rs->Fields().Count(); ++i) {
                const legacy::Variant v = rs->Fields(i).Value();
                fila << (v.IsNull() ? QStringLiteral("<null>") : v.toString());
            }
            filas << fila;
            rs->MoveNext();
        }
        rs->Close();
        return filas;
    }

    testdb::TempFolder carpeta_;
    legacy::ProgramInfo appGuardada_;
    legacy::RegionalProfile regionalGuardado_;
};

}  // namespace serviciostest
