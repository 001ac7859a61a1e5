#pragma once
// A program folder with fresh embedded databases for the common-services
// tests: DEMO (the demo company) and KD_REGISTROSVAR (the statistics
// database), the program information pointed at the folder and every shared
// object of ModGlobal dropped before and after.
#include "core/modglobal.h"
#include "db/db_dll.h"
#include "db/frmacceso.h"
#include "platform/legacy/program.h"
#include "platform/ui/qt_app.h"
#include "support/conexion_principal.h"
#include "support/testdb.h"

#include <gtest/gtest.h>

namespace coretest {

inline void ReseteaModulo()
{
    ModGlobal::gCartel().CartelCerrar();
    frmAcceso::Unload();
    ModGlobal::ResetDatabaseObjects();
    ModGlobal::ResetConfiguracion();
    ModGlobal::ResetConsulta();
    ModGlobal::gListaCampos.clear();
    ModGlobal::gClavesTotalizador.clear();
    ModGlobal::gCaja.clear();
    ModGlobal::gParametroAdicional.clear();
    ModGlobal::gMenu.clear();
    ModGlobal::gFlatToolbars = 0;
    ModGlobal::gTimeOut = 45;
}

class EntornoCore : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        guardado_ = legacy::App();
        legacy::ProgramInfo info = guardado_;
        info.path = carpeta_.path();
        info.exeName = QStringLiteral("vordane");
        info.machineName = QStringLiteral("PC1");
        info.userName = QStringLiteral("ana");
        info.commandLine.clear();
        legacy::setApp(info);
        ReseteaModulo();
    }

    void TearDown() override
    {
        ReseteaModulo();
        legacy::setApp(guardado_);
    }

    void CreaBases(bool conDatos = true, bool conEstadisticas = true)
    {
        testdb::createDatabase(carpeta_.path(), QStringLiteral("DEMO"), conDatos);
        if (conEstadisticas)
            testdb::createDatabase(carpeta_.path(), QStringLiteral("KD_REGISTROSVAR"), true);
    }

    // Opens gDB on the embedded DEMO database without asking anything.
    void Conecta() { testdb::openMain(QStringLiteral("DEMO")); }

    // The demo company alone (no statistics database), connected; with a
    // user, logged in as that user.
    void ConectaDemo(const QString& usuario = {})
    {
        CreaBases(true, false);
        Conecta();
        if (!usuario.isEmpty())
            ModGlobal::gUsuarioLogeado = usuario;
    }

    // The rows of a query, each row's fields joined by "|".
    QStringList Filas(const QString& sql, DB_Dll& db = ModGlobal::gDB())
    {
        QStringList filas;
        auto rs = db.gCnn->Execute(sql);
        while (!rs->Eof()) {
            QStringList campos;
            for (int i = 0; i < rs->Fields().Count(); ++i) {
                const legacy::Variant v = rs->Fields(i).Value();
                campos << (v.IsNull() ? QStringLiteral("<null>") : v.toString());
            }
            filas << campos.join(u'|');
            rs->MoveNext();
        }
        return filas;
    }

    void Ejecuta(const QString& sql, DB_Dll& db = ModGlobal::gDB()) { db.gCnn->Execute(sql); }

    testdb::TempFolder carpeta_;
    legacy::ProgramInfo guardado_;
};

}  // namespace coretest
