// The administrator check of the opening with a user name that holds an
// apostrophe.
#include "dbfixture.h"

using namespace dbtest;

namespace {

TEST_F(DbTest, AdministratorCheckWithApostropheInUserName)
{
    ui::ScriptedSession dlg;
    DB_Dll& main = OpenMain();
    main.gCnn->Execute(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, Administrador) VALUES ('D''ANGELO', 1)"));
    main.gCnn->Execute(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, Administrador) VALUES ('O''NEIL', 0)"));

    for (const auto& [usuario, esperado] :
         {std::pair{"D'Angelo", true}, std::pair{"O'Neil", false}, std::pair{"x' OR '1'='1", false}}) {
        ModGlobal::gUsuarioLogeado = QString::fromUtf8(usuario);
        DB_Dll db;
        db.gServidor = QStringLiteral("(sqlite)");
        db.gDBName = kDb;
        db.gEsAdmin = !esperado;
        db.OpenServerADODB(false, 3, QString(), true, true);
        EXPECT_TRUE(db.gOpenFlag) << usuario;
        EXPECT_EQ(db.gEsAdmin, esperado) << usuario;
    }
    // The name keeps its apostrophe for the rest of the program.
    EXPECT_EQ(ModGlobal::gUsuarioLogeado, QStringLiteral("x' OR '1'='1"));
    EXPECT_TRUE(dlg.shown().isEmpty());
}

}  // namespace
