#pragma once
// Opens the program's main database object on an embedded database of the
// program folder, as the start-up leaves it (header only: for the test
// programs that link the database class).
#include "db/db_dll.h"
#include "db/modglobal_db.h"

#include <gtest/gtest.h>

namespace testdb {

inline DB_Dll& openMain(const QString& name)
{
    DB_Dll& db = ModGlobal::gDB();
    db.gServidor = QStringLiteral("(sqlite)");
    db.gDBName = name;
    db.gUsuario = name;
    db.gUserPassWord = name;
    db.OpenServerADODB(false, 3, QString(), false, false);
    EXPECT_TRUE(db.gOpenFlag);
    return db;
}

}  // namespace testdb
