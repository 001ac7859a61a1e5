// The login check against TA_USUARIOS and the access record in
// Control_Acceso, on the demo database of the embedded engine.
#include "core/login.h"
#include "servicios_fixture.h"

#include "platform/kapores2/funciones.h"

#include <gtest/gtest.h>

namespace {

using serviciostest::ServiciosTest;

class LoginTest : public ServiciosTest {
protected:
    void SetUp() override
    {
        ServiciosTest::SetUp();
        AbreDemo();
        Ejecuta(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, PassWord, Administrador) VALUES "
                               "('D''ANGELO', 'qm410tx', '") +
                kapores2::Funciones::CodificaClave(QStringLiteral("pw")) + QStringLiteral("', 0)"));
    }
};

TEST_F(LoginTest, PasswordCheck)
{
    struct Caso {
        const char* usuario;
        const char* clave;
        bool valido;
        bool admin;  // the flag after a successful check
    };
    const Caso casos[] = {
        {"demo", "", true, false},            // named like the database: any password
        {"DEMO", "cualquiera", true, false},
        {"OPERADOR", "CLAVE1", true, false},
        {"operador", "clave1", true, false},  // letter case ignored on both
        {" OPERADOR ", "CLAVE1", true, false},
        {"SUPERVISOR", "SUPER", true, true},  // system KAPO counts too
        {"CONTADOR", "CONTA", false, false},  // only for another system
        {"NADIE", "", false, false},
        {"D'Angelo", "pw", true, false},
        {"x' OR '1'='1", "", false, false},   // the name stays a name
        {"x' OR NOMBRE='OPERADOR' --", "CLAVE1", false, false},
    };
    for (const Caso& c : casos) {
        ModGlobal::gUsuarioLogeado = QStringLiteral("ANTES");
        ModGlobal::gDB().gEsAdmin = false;
        const QString usuario = QString::fromUtf8(c.usuario);
        EXPECT_EQ(ModGlobal::ValidaUsuario(usuario, QString::fromUtf8(c.clave)), c.valido) << c.usuario;
        EXPECT_EQ(ModGlobal::gUsuarioLogeado, c.valido ? usuario : QStringLiteral("ANTES")) << c.usuario;
        EXPECT_EQ(ModGlobal::gDB().gEsAdmin, c.admin) << c.usuario;
    }
}

TEST_F(LoginTest, FailedAdministratorAttemptGrantsNothing)
{
    ASSERT_TRUE(ModGlobal::ValidaUsuario(QStringLiteral("OPERADOR"), QStringLiteral("CLAVE1")));
    ASSERT_FALSE(ModGlobal::gDB().gEsAdmin);
    EXPECT_FALSE(ModGlobal::ValidaUsuario(QStringLiteral("SUPERVISOR"), QStringLiteral("mala")));
    EXPECT_FALSE(ModGlobal::gDB().gEsAdmin);
    EXPECT_EQ(ModGlobal::gUsuarioLogeado, QStringLiteral("OPERADOR"));

    // A wrong password after an administrator's login leaves that login as it was.
    ASSERT_TRUE(ModGlobal::ValidaUsuario(QStringLiteral("SUPERVISOR"), QStringLiteral("super")));
    EXPECT_TRUE(ModGlobal::gDB().gEsAdmin);
    EXPECT_FALSE(ModGlobal::ValidaUsuario(QStringLiteral("OPERADOR"), QStringLiteral("mala")));
    EXPECT_TRUE(ModGlobal::gDB().gEsAdmin);
    EXPECT_EQ(ModGlobal::gUsuarioLogeado, QStringLiteral("SUPERVISOR"));
}

TEST_F(LoginTest, OtherSystemProgram)
{
    legacy::App().exeName = QStringLiteral("torlex");
    EXPECT_TRUE(ModGlobal::ValidaUsuario(QStringLiteral("CONTADOR"), QStringLiteral("CONTA")));
    EXPECT_FALSE(ModGlobal::ValidaUsuario(QStringLiteral("OPERADOR"), QStringLiteral("CLAVE1")));
}

TEST_F(LoginTest, AccessRecordWithTask)
{
    ModGlobal::gUsuarioLogeado = QStringLiteral("Operador");
    ModGlobal::RegistraControlAcceso();
    const auto filas = Filas(QStringLiteral(
        "SELECT Maquina, Usuario, Formulario, Tarea, NombreUsuario, Ingreso FROM Control_Acceso"));
    ASSERT_EQ(filas.size(), 1);
    EXPECT_EQ(filas[0].mid(0, 5), (QStringList{"CAJA-01", "OPERADOR", "VORDANE", "ANULACION FISICA DE COMPROBANTES",
                                               "Operador"}));
    EXPECT_NE(filas[0][5], QStringLiteral("<null>"));
}

TEST_F(LoginTest, AccessRecordFoldsProgramNames)
{
    struct Caso {
        const char* programa;
        const char* usuario;
        int filas;
        const char* formulario;
        const char* tarea;
    };
    const Caso casos[] = {
        {"PELDAR_TRUMOSAh", "OPERADOR", 1, "QUELMONTARI", "VENTAS"},
        {"QUIRSO", "OPERADOR", 1, "QUIRSO", ""},          // no task lookup
        {"Piruleman", "OPERADOR", 0, "", ""},             // nothing recorded
        {"QM410TX", "OPERADOR", 0, "", ""},               // the main program keeps its own
        {"otroprog", "SUPERVISOR", 1, "OTROPROG", "OTROPROG"},  // no task, login named like the database
    };
    for (const Caso& c : casos) {
        Ejecuta(QStringLiteral("DELETE FROM Control_Acceso"));
        legacy::App().exeName = QString::fromUtf8(c.programa);
        ModGlobal::gUsuarioLogeado = QString::fromUtf8(c.usuario);
        ModGlobal::RegistraControlAcceso();
        const auto filas = Filas(QStringLiteral("SELECT Formulario, Tarea FROM Control_Acceso"));
        ASSERT_EQ(filas.size(), c.filas) << c.programa;
        if (c.filas == 1) {
            EXPECT_EQ(filas[0], (QStringList{QString::fromUtf8(c.formulario), QString::fromUtf8(c.tarea)}))
                << c.programa;
        }
    }
}

TEST_F(LoginTest, AccessRecordDropsApostrophesAndFillsTheUser)
{
    ModGlobal::gUsuarioLogeado = QStringLiteral("D'Angelo");
    ModGlobal::RegistraControlAcceso(QStringLiteral("Form1"));
    auto filas = Filas(QStringLiteral("SELECT Usuario, Formulario, NombreUsuario FROM Control_Acceso"));
    ASSERT_EQ(filas.size(), 1);
    EXPECT_EQ(filas[0], (QStringList{"DANGELO", "FORM1", "DAngelo"}));
    EXPECT_EQ(ModGlobal::gUsuarioLogeado, QStringLiteral("DAngelo"));

    // No logged-in user: the database login stands in.
    Ejecuta(QStringLiteral("DELETE FROM Control_Acceso"));
    ModGlobal::gUsuarioLogeado.clear();
    ModGlobal::RegistraControlAcceso();
    filas = Filas(QStringLiteral("SELECT Usuario, Tarea FROM Control_Acceso"));
    ASSERT_EQ(filas.size(), 1);
    EXPECT_EQ(filas[0], (QStringList{"DEMO", "ANULACION FISICA DE COMPROBANTES"}));
    EXPECT_EQ(ModGlobal::gUsuarioLogeado, QStringLiteral("DEMO"));
}

}  // namespace
