// Row, account and lot lookups on the demo company.
#include "core/busquedas.h"
#include "support/entorno_core.h"

#include "platform/ui/scripted.h"

namespace {

class BusquedasTest : public coretest::EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        CreaBases(true, false);
        Conecta();
        Ejecuta(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, CodigoOpcional, Titulo) "
                               "VALUES ('2.1.02', 'Proveedores del exterior', 'PEXT', 0)"));
        Ejecuta(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION, CodigoOpcional, Titulo) "
                               "VALUES ('O''B.1', 'Cuenta con apostrofe', 'O''B', 0)"));
        Ejecuta(QStringLiteral("INSERT INTO STK_DESPACHOS (NroLote, Descripcion, ControladoPor, IdOrigen) "
                               "VALUES ('L''77', '  ', 'SENASA', '   9')"));
    }
};

TEST_F(BusquedasTest, ExisteRegistro)
{
    ui::ScriptedSession dlg;
    const legacy::Variant texto(8), numero(3);
    EXPECT_TRUE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), QStringLiteral("Caja"),
                                          QStringLiteral("DESCRIPCION"), nullptr, texto));
    EXPECT_TRUE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), QStringLiteral("O'B"),
                                          QStringLiteral("CodigoOpcional"), nullptr, texto));
    EXPECT_FALSE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), QStringLiteral("x' OR '1'='1"),
                                           QStringLiteral("CodigoOpcional"), nullptr, texto));
    EXPECT_TRUE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), QStringLiteral("1abc"),
                                          QStringLiteral("Titulo"), nullptr, numero));
    // A number with decimals goes into the SQL with ".", whatever the regional
    // comma; a date between apostrophes.
    Ejecuta(QStringLiteral("CREATE TABLE T_NUMEROS (V DECIMAL(10,2), F DATETIME)"));
    Ejecuta(QStringLiteral("INSERT INTO T_NUMEROS (V, F) VALUES (1.5, '02/11/2026')"));
    EXPECT_TRUE(ModGlobal::ExisteRegistro(QStringLiteral("T_NUMEROS"), QStringLiteral("1.5"), QStringLiteral("V"),
                                          nullptr, legacy::Variant(5)));
    EXPECT_TRUE(ModGlobal::ExisteRegistro(QStringLiteral("T_NUMEROS"), QStringLiteral(" 02/11/2026"),
                                          QStringLiteral("F"), nullptr, legacy::Variant(7)));
    // A condition, with or without its own WHERE.
    EXPECT_TRUE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), {}, {}, nullptr, {},
                                          QStringLiteral("CodigoOpcional = 'PEXT'")));
    EXPECT_TRUE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), {}, {}, nullptr, {},
                                          QStringLiteral(" WHERE CodigoOpcional = 'PEXT'")));
    // A WHERE inside a quoted value is not the statement's.
    Ejecuta(QStringLiteral("UPDATE MA_CUENTAS SET DESCRIPCION = 'Casa Where SA' WHERE CodigoOpcional = 'PEXT'"));
    EXPECT_TRUE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), {}, {}, nullptr, {},
                                          QStringLiteral("DESCRIPCION = 'Casa Where SA'")));

    // With a recordset: it stays open on the row.
    std::shared_ptr<ado::Recordset> rs;
    EXPECT_TRUE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), QStringLiteral("PEXT"),
                                          QStringLiteral("CodigoOpcional"), &rs, texto, {}, true));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Fields("CODIGO").Value().toString(), QStringLiteral("2.1.02"));
    EXPECT_FALSE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), QStringLiteral("NADA"),
                                           QStringLiteral("CodigoOpcional"), &rs, texto, {}, true));
    EXPECT_TRUE(dlg.shown().isEmpty());

    // A condition that begins with WHERE without a blank gets a second one:
    // the error box, Abort leaves with false.
    dlg.expectMsgBox(QString(), ui::vbAbort).title(QStringLiteral("Aviso al Operador"));
    EXPECT_FALSE(ModGlobal::ExisteRegistro(QStringLiteral("MA_CUENTAS"), {}, {}, nullptr, {},
                                           QStringLiteral("WHERE CodigoOpcional = 'PEXT'")));
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(BusquedasTest, ExisteCuenta)
{
    ui::ScriptedSession dlg;
    struct Caso {
        const char* codigo;
        bool porOpcional;
        bool esperado;
        const char* codigoFinal;
        bool porOpcionalFinal;
    } casos[] = {
        {"2.1.02", false, true, "2.1.02", false},
        {"PEXT", false, true, "2.1.02", true},   // only by the optional code
        {"PEXT", true, true, "2.1.02", true},
        {"2.1.02", true, true, "2.1.02", true},  // by code after the optional one failed
        {"O'B", false, true, "O'B.1", true},
        {"NADA", false, false, "NADA", false},
        {"NADA", true, false, "NADA", true},
    };
    for (const Caso& c : casos) {
        QString codigo = QString::fromUtf8(c.codigo);
        bool porOpcional = c.porOpcional;
        std::shared_ptr<ado::Recordset> rs;
        EXPECT_EQ(ModGlobal::ExisteCuenta(codigo, rs, true, porOpcional), c.esperado) << c.codigo;
        EXPECT_EQ(codigo, QString::fromUtf8(c.codigoFinal)) << c.codigo;
        EXPECT_EQ(porOpcional, c.porOpcionalFinal) << c.codigo;
        ASSERT_TRUE(rs);
        EXPECT_EQ(rs->State(), ado::adStateOpen);
    }
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(BusquedasTest, DatosDespacho)
{
    ui::ScriptedSession dlg;
    QString controlado = QStringLiteral("antes");
    QString origen = QStringLiteral("antes");
    ModGlobal::DatosDespacho(QStringLiteral(" L2026-001 "), controlado, origen);
    EXPECT_EQ(controlado, QStringLiteral("ADUANA BS AS"));
    EXPECT_EQ(origen, QStringLiteral("1"));

    // A lot with an apostrophe and a blank description: the origin stays.
    controlado = origen = QStringLiteral("antes");
    ModGlobal::DatosDespacho(QStringLiteral("L'77"), controlado, origen);
    EXPECT_EQ(controlado, QStringLiteral("SENASA"));
    EXPECT_EQ(origen, QStringLiteral("antes"));

    controlado = origen = QStringLiteral("antes");
    ModGlobal::DatosDespacho(QStringLiteral("NO-HAY"), controlado, origen);
    EXPECT_EQ(controlado, QStringLiteral("antes"));
    EXPECT_EQ(origen, QStringLiteral("antes"));
    EXPECT_TRUE(dlg.shown().isEmpty());
}

}  // namespace
