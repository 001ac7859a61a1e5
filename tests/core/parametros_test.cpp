// The parameter string as the suite's launchers write it, read key by key.
#include "core/inicio.h"
#include "core/parametros.h"
#include "platform/legacy/vberror.h"

#include <gtest/gtest.h>

using ModGlobal::LeeParametrosConexion;
using ModGlobal::ParametrosConexion;
using ModGlobal::ValorParametro;

namespace {

struct CasoParametros {
    const char* nombre;
    const char* linea;
    // Expected values; previous values are "PREV-U" (logged-in user),
    // "PREV-P" (password) and "PREV-C" (cash desk).
    const char* servidor;
    const char* base;
    const char* usuario;
    const char* usuarioLogeado;
    const char* password;
    const char* caja;
    const char* adicional;
    int erroresSinCierre;
};

const CasoParametros kCasos[] = {
    {"AccesoDirecto",
     " ; @server=SRV01; @dbname=DEMO; @usuario=ANA; @Password=; @ParametroAdicional=; gurm@ ; @UsuarioLogeado = ; "
     "@Caja=;",
     "SRV01", "DEMO", "ANA", "ANA", "", "", "", 0},
    {"Lanzador",
     " ; @server=SRV01; @dbname=DEMO; @usuario=ANA; @Password=secreto; @ParametroAdicional=EXTRA; gurm@ ; "
     "@UsuarioLogeado = JUAN; @Caja=3;",
     "SRV01", "DEMO", "ANA", "JUAN", "secreto", "3", "EXTRA", 0},
    {"ArchivoDeConfiguracion",
     "@server=SRV01; @dbname= DEMO; @usuario= Brindel; @Password= trovesa; @ParametroAdicional=; @Caja=1;gurm@",
     "SRV01", "DEMO", "Brindel", "Brindel", "trovesa", "1", "", 0},
    {"PasswordIgualALaBaseVaALaTabla", "@server=S; @dbname=Demo; @usuario=ANA; @Password=DEMO;", "S", "Demo", "ANA",
     "ANA", "* *", "1", "", 0},
    {"LogeadoAntesQueUsuario", "@server=S; @dbname=D; @UsuarioLogeado = JUAN; @usuario=ANA;", "S", "D",
     "Logeado  JUAN", "JUAN", "PREV-P", "1", "", 0},
    {"CajaAlFinalSinPuntoYComa", "@server=S; @dbname=D; @usuario=ANA; @Caja=7", "S", "D", "ANA", "ANA", "PREV-P",
     "PREV-C", "", 1},
    {"AdicionalAlFinalSinPuntoYComa", "@server=S; @dbname=D; @usuario=ANA; @ParametroAdicional=123456789012345678",
     "S", "D", "ANA", "ANA", "PREV-P", "1", "123456789012345678", 0},
    {"AdicionalLargoSeCorta", "@server=S; @dbname=D; @usuario=ANA; @ParametroAdicional=1234567890123456789XYZ", "S",
     "D", "ANA", "ANA", "PREV-P", "1", "123456789012345678", 0},
    {"ClavesEnMayusculas", "@SERVER=S; @DBNAME=D; @USUARIO=ANA; @PASSWORD=x; @CAJA=2;", "S", "D", "ANA", "ANA", "x",
     "2", "", 0},
    {"ServidorOracle", "@server = #ORA1 ; @dbname=D; @usuario=ANA;", "#ORA1", "D", "ANA", "ANA", "PREV-P", "1", "",
     0},
    {"SinClaves", "", "", "", "", "", "PREV-P", "1", "", 0},
    {"IgualesDentroDelValorSeQuitan", "@server=A=B; @dbname=D; @usuario=U;", "AB", "D", "U", "U", "PREV-P", "1", "",
     0},
    {"DbNameSinCierreDejaLaBaseVacia", "@server=S; @usuario=U; @dbname=D", "S", "", "U", "U", "PREV-P", "1", "", 1},
};

// A failing case names itself and its line.
void PrintTo(const CasoParametros& c, std::ostream* os)
{
    *os << c.nombre << " \"" << c.linea << '"';
}

class ParametrosTabla : public ::testing::TestWithParam<CasoParametros> {};

TEST_P(ParametrosTabla, LeeLasOchoClaves)
{
    const CasoParametros& c = GetParam();
    ParametrosConexion previos;
    previos.UsuarioLogeado = QStringLiteral("PREV-U");
    previos.Password = QStringLiteral("PREV-P");
    previos.Caja = QStringLiteral("PREV-C");
    previos.Servidor = QStringLiteral("no se conserva");

    const ParametrosConexion p = LeeParametrosConexion(QString::fromUtf8(c.linea), previos);
    EXPECT_EQ(p.Servidor, QString::fromUtf8(c.servidor));
    EXPECT_EQ(p.DbName, QString::fromUtf8(c.base));
    EXPECT_EQ(p.Usuario, QString::fromUtf8(c.usuario));
    EXPECT_EQ(p.UsuarioLogeado, QString::fromUtf8(c.usuarioLogeado));
    EXPECT_EQ(p.Password, QString::fromUtf8(c.password));
    EXPECT_EQ(p.Caja, QString::fromUtf8(c.caja));
    EXPECT_EQ(p.ParametroAdicional, QString::fromUtf8(c.adicional));
    EXPECT_EQ(p.erroresSinCierre, c.erroresSinCierre);
}

INSTANTIATE_TEST_SUITE_P(Ejemplos, ParametrosTabla, ::testing::ValuesIn(kCasos),
                         [](const ::testing::TestParamInfo<CasoParametros>& i) { return std::string(i.param.nombre); });

TEST(ParametrosTabla, UnCasoQueFallaSeNombraConSuLinea)
{
    EXPECT_EQ(::testing::PrintToString(kCasos[10]), "SinClaves \"\"");
}

TEST(ValorParametro, ClaveSinCierreEsError5SalvoElAdicional)
{
    try {
        ValorParametro(QStringLiteral("@Caja=1"), QStringLiteral("@Caja"));
        FAIL() << "sin error";
    } catch (const legacy::VbError& e) {
        EXPECT_EQ(e.Number, 5);
    }
    EXPECT_EQ(ValorParametro(QStringLiteral("x; @ParametroAdicional = ab"), QStringLiteral("@ParametroAdicional")),
              QStringLiteral("ab"));
    EXPECT_EQ(ValorParametro(QStringLiteral("@Menu=M1;"), QStringLiteral("@Caja"), QStringLiteral("1")),
              QStringLiteral("1"));
}

TEST(ValorParametro, PasswordVaciaQuedaVaciaAunSinBase)
{
    const ParametrosConexion p = LeeParametrosConexion(QStringLiteral("@Password=;"));
    EXPECT_EQ(p.Password, QString());
    EXPECT_EQ(p.PasswordTexto, QString());
}

TEST(ExtraeServidor, HostInstanciaYPuerto)
{
    struct {
        const char* entrada;
        const char* salida;
    } casos[] = {
        {"srv01", "srv01"},
        {"srv01:1433", "srv01"},
        {"host/INST:1433", "INST"},
        {"host/INST", "INST"},
        {"a/b/c", "b/c"},
        {"", ""},
    };
    for (const auto& c : casos)
        EXPECT_EQ(ModGlobal::ExtraeServidor(QString::fromUtf8(c.entrada)), QString::fromUtf8(c.salida)) << c.entrada;
}

}  // namespace
