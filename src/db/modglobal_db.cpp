#include "db/modglobal_db.h"

#include "db/db_dll.h"

#include <memory>

namespace ModGlobal {

QString gUsuarioLogeado;
QString gPassword;
bool SSConfidencialidad = false;

namespace {

std::unique_ptr<DB_Dll>& slot(int n)
{
    static std::unique_ptr<DB_Dll> objects[4];
    return objects[n];
}

DB_Dll& object(int n)
{
    auto& p = slot(n);
    if (!p)
        p = std::make_unique<DB_Dll>();
    return *p;
}

}  // namespace

DB_Dll& gDB() { return object(0); }
DB_Dll& gDB2() { return object(1); }
DB_Dll& gDB3() { return object(2); }
DB_Dll& gDB4() { return object(3); }

void ResetDatabaseObjects()
{
    for (int i = 0; i < 4; ++i)
        slot(i).reset();
    gUsuarioLogeado.clear();
    gPassword.clear();
    SSConfidencialidad = false;
}

}  // namespace ModGlobal
