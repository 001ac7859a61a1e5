// Voucher action rows in V_MV_CPTEACCIONES on the embedded engine.
#include "core/acciones.h"
#include "servicios_fixture.h"

#include "platform/legacy/format.h"

#include <gtest/gtest.h>

namespace {

using serviciostest::ServiciosTest;

class AccionesTest : public ServiciosTest {
protected:
    void SetUp() override
    {
        ServiciosTest::SetUp();
        AbreDemo(false);
    }
    QList<QStringList> Acciones()
    {
        return Filas(QStringLiteral("SELECT TC, IdComprobante, IdComplemento, Tipo_accion, Usuario, PC, SYSTEMUSER, "
                                    "Proceso, ProcesoLote, Cuenta FROM V_MV_CPTEACCIONES ORDER BY ID"));
    }
};

TEST_F(AccionesTest, FailedLoginRow)
{
    ModGlobal::gUsuarioLogeado = QStringLiteral("OPERADOR");
    ModGlobal::gParametroAdicional = QStringLiteral("extra");
    ModGlobal::RegistraAccionComprobante(QString(), QString(), QStringLiteral("0"), true, false, false,
                                         QStringLiteral("Intento de inicio de sesion fallido"), QString(), false);
    const auto filas = Acciones();
    ASSERT_EQ(filas.size(), 1);
    EXPECT_EQ(filas[0][0].trimmed(), QString());
    EXPECT_EQ(filas[0].mid(1), (QStringList{QString(13, u' '), "0", "A", "OPERADOR", "caja-01",
                                            "Intento de inicio de sesion fallido", "vordane extra", "", ""}));

    const auto fecha = Filas(QStringLiteral("SELECT FECHAHORA FROM V_MV_CPTEACCIONES"));
    const legacy::Date leida = legacy::CDate(legacy::Variant(fecha[0][0]));
    EXPECT_EQ(leida.date(), legacy::Now().date()) << fecha[0][0].toStdString();
}

TEST_F(AccionesTest, ActionByFlags)
{
    struct Caso {
        bool alta, modificacion, error;
        const char* accion;
    };
    const Caso casos[] = {
        {false, false, false, "B"}, {true, false, false, "A"}, {false, true, false, "M"},
        {true, true, false, "A"},   {true, true, true, "ER"},  {false, false, true, "ER"},
    };
    for (const Caso& c : casos)
        ModGlobal::RegistraAccionComprobante(QStringLiteral("fp"), QStringLiteral("000100000012A"), QStringLiteral("3"),
                                             c.alta, c.modificacion, true, QStringLiteral("x"), QString(), c.error);
    const auto filas = Acciones();
    ASSERT_EQ(filas.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(filas[i][3], QString::fromUtf8(casos[i].accion)) << i;
        EXPECT_EQ(filas[i][0], QStringLiteral("fp  "));
        EXPECT_EQ(filas[i][1], QStringLiteral("000100000012A"));
        EXPECT_EQ(filas[i][2], QStringLiteral("3"));
    }
}

TEST_F(AccionesTest, CutsAndApostrophes)
{
    ModGlobal::gUsuarioLogeado = QStringLiteral("D'Angelo");
    QString complemento;  // empty: becomes "0" for the caller too
    const QString larga = QStringLiteral("  ") + QString(300, u'd');
    ModGlobal::RegistraAccionComprobante(QStringLiteral("NC"), QStringLiteral("0002'00000001"), complemento, false,
                                         false, false, larga, QStringLiteral(" 1234567890'234567890 "), false);
    EXPECT_EQ(complemento, QStringLiteral("0"));
    const auto filas = Acciones();
    ASSERT_EQ(filas.size(), 1);
    EXPECT_EQ(filas[0][1], QStringLiteral("0002'00000001"));
    EXPECT_EQ(filas[0][2], QStringLiteral("0"));
    EXPECT_EQ(filas[0][4], QStringLiteral("D'Angelo"));
    // Cut to 255 before trimming: the two leading blanks take their room.
    EXPECT_EQ(filas[0][6], QString(253, u'd'));
    EXPECT_EQ(filas[0][9], QStringLiteral("1234567890'2345"));
}

}  // namespace
