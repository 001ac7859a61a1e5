#include "core/cargaconfiguracion.h"

#include "core/configuracion.h"
#include "core/empresa.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"

#include <cstdlib>
#include <ctime>

using namespace legacy;
using kapores2::Funciones;

namespace ModGlobal {

bool MostrarStockEnConsultas = false;
QString TituloClientes;
QString TituloProveedores;
QString RutaDocTareas;
bool ExigeClaveConsultaLike = false;
bool UsaConsultaLike = false;
QString CantidadDecimales;
bool UsaMultilesMonedas = false;
bool UsaFacturaProforma = false;
bool UsaCCosto = false;
bool UsaStockUDKG = false;
QString UnidadMedidaM3;
QString UnidadMedidaBL;
QString UnidadMedidaKG;
std::int16_t Periodo = 0;
bool RazonSocialPorUneg = false;
bool ValidaCodigoBarra = false;
std::int32_t CFondo = 0;
std::int32_t CLetra = 0;
bool ModuloOrdenDeTrabajo = false;
bool VModificaCPrecio = false;
bool CModificaCPrecio = false;
bool EsMaderera = false;
QString UnidadMaderaTiras;
QString UnidadMaderaP2;
QString UnidadMaderaML;
QString UnidadMaderaM2;
QString UnidadMaderaHojas;
QString UnidadMaderaMLP2;
QString UnidadMaderaM2P2;
QString UnidadMaderaMLM2;
QString CuentaCtroDist;
Currency MaxDto;
Currency MaxDtoProforma;
bool PideClaveStockNeg = false;
bool PideClaveMarkUpBase = false;
bool PideClaveLimiteCredito = false;
bool SSBloqueoActivo = false;
bool UtilizarFechaDia = false;
bool AsignacionAutomaticaDeLoteING = false;
bool AsignacionAutomaticaDeLoteINGOP = false;
std::int16_t CondIvaEmpresa = 0;
QString CondIvaEmpresaTexto;
QString TopDefault;
QString gUNegocio;
QString gClasePusa;

namespace {

constexpr std::int32_t RGB(int r, int g, int b) { return r + g * 256 + b * 65536; }

// The reading rules of the settings.
bool ReglaSI(const QString& v) { return db_texto::EsSi(v); }
bool ReglaTrimSI(const QString& v) { return ReglaSI(Trim(v)); }
bool ReglaNoNO(const QString& v) { return StrComp(Trim(v), QStringLiteral("NO"), vbTextCompare) != 0; }
bool ReglaPuestoNoNO(const QString& v)
{
    if (Trim(v).isEmpty())
        return false;
    return StrComp(v, QStringLiteral("NO"), vbTextCompare) != 0;
}
std::int16_t ReglaNumero(const QString& v) { return CInt(Variant(Val(v))); }
Currency ReglaImporte(const QString& v) { return Funciones::TextoANumero(Variant(Trim(v))); }
std::int32_t ReglaColor(const QString& v) { return CLng(Variant(Funciones::TextoANumero(Variant(v)))); }

// The programs of the suite that keep their own count of decimals.
const QStringList& ProgramasConDecimalesDeVenta()
{
    static const QStringList lista = {
        QStringLiteral("QUELMONTARI"),     QStringLiteral("PELDAR_TRUMOSA"), QStringLiteral("PELDAR_TRUMOSAH"),
        QStringLiteral("PELDAR_SIVOTERN"), QStringLiteral("PELDAR_SIVOTERNH"), QStringLiteral("QUELMONTARIZOB"),
        QStringLiteral("BIRLOTE"),         QStringLiteral("CASMURO"),        QStringLiteral("VOLTIMARENA"),
        QStringLiteral("pelusagro_Drimentaculos")};
    return lista;
}

}  // namespace

void CargaConfiguracion(const QString& Ruta)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("CargaConfiguracion"));
    auto cfg = [](const char* clave) { return Cfg(QString::fromLatin1(clave)); };

    trap([&] { std::srand(unsigned(std::time(nullptr))); });
    trap([&] { TablaConfiguracion = QStringLiteral("ta_configuracion"); });

    // Rows 1-8.
    trap([&] {
        MostrarStockEnConsultas =
            ReglaSI(Funciones::ValorNoNulo(Variant(cfg("MostrarStockenConsultas"))).toString());
    });
    trap([&] { TituloClientes = Trim(cfg("TituloClientes")); });
    trap([&] { TituloProveedores = Trim(cfg("TituloProveedores")); });
    trap([&] { RutaDocTareas = Ruta + QStringLiteral("JQDOCTareas.vrk"); });
    trap([&] { ExigeClaveConsultaLike = ReglaSI(cfg("EXIGECLAVECONSULTALIKEARTICULOS")); });
    trap([&] { UsaConsultaLike = ReglaSI(cfg("UsaConsultaLike")); });
    trap([&] { CantidadDecimales = cfg("CantidadDecimales"); });
    trap([&] { SSConfidencialidad = ReglaSI(cfg("SS_CONFIDENCIALIDAD")); });

    trap([&] {
        bool esVentas = false;
        for (const QString& p : ProgramasConDecimalesDeVenta())
            esVentas = esVentas || StrComp(App().exeName, p, vbTextCompare) == 0;
        if (esVentas) {
            const QString decimalesVentas = cfg("CantidadDecimalesVentas");
            if (Val(decimalesVentas) > 0)
                CantidadDecimales = decimalesVentas;
        }
    });

    // Rows 9-12.
    trap([&] { UsaMultilesMonedas = ReglaSI(cfg("UsaMultilesMonedas")); });
    trap([&] { UsaFacturaProforma = ReglaSI(cfg("UsaFacturaProforma")); });
    trap([&] { UsaCCosto = ReglaSI(cfg("USACCOSTO")); });
    trap([&] { UsaStockUDKG = ReglaSI(cfg("USA_STK_STOCK_UDKG")); });

    // The logged-in user's row.
    std::shared_ptr<ado::Recordset> rs;
    trap([&] {
        const QString sql = QStringLiteral("Select * from ta_usuarios  with(nolock)  where Nombre = '") +
                            DuplicaApostrofes(gUsuarioLogeado) + QStringLiteral("'");
        gDB().AbrirRecordset(sql, rs, nullptr, 0, 1, -1, true);
    });
    if (rs && rs->State() == ado::adStateOpen && !rs->Eof()) {
        trap([&] { gUNegocio = Funciones::ValorNoNulo(rs->Fields("UNegocio").Value()).toString(); });
        trap([&] {
            if (UsaFacturaProforma)
                UsaFacturaProforma = CBool(rs->Fields("verproforma").Value());
        });
        trap([&] {
            gClasePusa = Funciones::QuitaCaracteres(
                Trim(Funciones::ValorNoNulo(rs->Fields("clasepusa").Value()).toString()), QStringLiteral(","));
        });
    }
    trap([&] { gDB().CierraRecordset(rs); });
    trap([&] {
        if (gUNegocio.isEmpty())
            gUNegocio = QStringLiteral("   1");
    });

    // Rows 13-18.
    trap([&] { UnidadMedidaM3 = Trim(cfg("UNIDADDEMEDIDA_M3")); });
    trap([&] { UnidadMedidaBL = Trim(cfg("UNIDADDEMEDIDA_BL")); });
    trap([&] { UnidadMedidaKG = Trim(cfg("UNIDADDEMEDIDA_KG")); });
    trap([&] { Periodo = ReglaNumero(cfg("PERIODO")); });
    trap([&] { RazonSocialPorUneg = ReglaTrimSI(cfg("RazonSocialPorUneg")); });
    trap([&] { ValidaCodigoBarra = ReglaTrimSI(cfg("VALIDACODIGOBARRA")); });

    // Focus colours: equal colours would hide the text, so both go back to
    // the suite's defaults, in the table too.
    trap([&] { CFondo = ReglaColor(cfg("CFondo")); });
    trap([&] { CLetra = ReglaColor(cfg("CLetra")); });
    trap([&] {
        if (CFondo == CLetra) {
            GrabaCfg(QStringLiteral("CFondo"), Variant(RGB(230, 243, 255)), QString(), false, QStringLiteral("DATOS"),
                     1, 0);
            GrabaCfg(QStringLiteral("CLetra"), Variant(0), QString(), false, QStringLiteral("DATOS"), 1, 0);
            CFondo = RGB(230, 243, 255);
            CLetra = 0;
        }
    });
    trap([&] {
        if (CFondo == 0xFFFF00)
            CFondo = RGB(230, 243, 255);
    });
    trap([&] {
        if (CFondo == 0)
            CFondo = RGB(255, 252, 229);
    });

    // Rows 21-39.
    trap([&] { ModuloOrdenDeTrabajo = ReglaNoNO(cfg("ModuloOrdenDeTrabajo")); });
    trap([&] { VModificaCPrecio = ReglaPuestoNoNO(cfg("V_ModificaCPrecio")); });
    trap([&] { CModificaCPrecio = ReglaPuestoNoNO(cfg("C_ModificaCPrecio")); });
    trap([&] { EsMaderera = ReglaPuestoNoNO(cfg("MADERERA")); });
    trap([&] { UnidadMaderaTiras = Trim(cfg("MAD_TIRAS")); });
    trap([&] { UnidadMaderaP2 = Trim(cfg("MAD_P2")); });
    trap([&] { UnidadMaderaML = Trim(cfg("MAD_ML")); });
    trap([&] { UnidadMaderaM2 = Trim(cfg("MAD_M2")); });
    trap([&] { UnidadMaderaHojas = Trim(cfg("MAD_HOJAS")); });
    trap([&] { UnidadMaderaMLP2 = Trim(cfg("MAD_ML_P2")); });
    trap([&] { UnidadMaderaM2P2 = Trim(cfg("MAD_M2_P2")); });
    trap([&] { UnidadMaderaMLM2 = Trim(cfg("MAD_ML_M2")); });
    trap([&] { CuentaCtroDist = Trim(cfg("CuentaCtroDist")); });
    trap([&] { MaxDto = ReglaImporte(cfg("MaxDto")); });
    trap([&] { MaxDtoProforma = ReglaImporte(cfg("MaxDtoProforma")); });
    trap([&] { PideClaveStockNeg = ReglaPuestoNoNO(cfg("PideClave_StockNeg")); });
    trap([&] { PideClaveMarkUpBase = ReglaPuestoNoNO(cfg("PideClave_MarkUpBase")); });
    trap([&] { PideClaveLimiteCredito = ReglaPuestoNoNO(cfg("PideClave_LimiteCredito")); });
    trap([&] { SSBloqueoActivo = ReglaSI(cfg("SS_BloqueoActivo")); });
    trap([&] { UtilizarFechaDia = ReglaSI(cfg("UTILIZARFECHADIA")); });
    trap([&] { AsignacionAutomaticaDeLoteING = ReglaSI(cfg("AsignacionAutomaticaDeLoteING")); });
    trap([&] { AsignacionAutomaticaDeLoteINGOP = ReglaSI(cfg("AsignacionAutomaticaDeLoteINGOP")); });

    // VAT condition: the key, then the business unit's company data.
    trap([&] { CondIvaEmpresa = ReglaNumero(cfg("CONDIVAEMPRESA")); });
    trap([&] {
        QString razon, cuit, inicio, ingresos, condicion, puntoVenta, domicilio;
        ObtieneDatosEmpresa(gUNegocio, razon, cuit, inicio, ingresos, condicion, puntoVenta, domicilio);
    });
    trap([&] {
        if (IsNumeric(Variant(CondIvaEmpresaTexto)))
            CondIvaEmpresa = CInt(Variant(CondIvaEmpresaTexto));
    });
    trap([&] {
        if (CondIvaEmpresa == 0)
            CondIvaEmpresa = 1;
    });

    trap([&] {
        TopDefault = cfg("Top_Default");
        if (Trim(TopDefault).isEmpty())
            TopDefault = QStringLiteral("1000");
    });
}

void ResetConfiguracion()
{
    MostrarStockEnConsultas = false;
    TituloClientes.clear();
    TituloProveedores.clear();
    RutaDocTareas.clear();
    ExigeClaveConsultaLike = false;
    UsaConsultaLike = false;
    CantidadDecimales.clear();
    SSConfidencialidad = false;
    UsaMultilesMonedas = false;
    UsaFacturaProforma = false;
    UsaCCosto = false;
    UsaStockUDKG = false;
    UnidadMedidaM3.clear();
    UnidadMedidaBL.clear();
    UnidadMedidaKG.clear();
    Periodo = 0;
    RazonSocialPorUneg = false;
    ValidaCodigoBarra = false;
    CFondo = 0;
    CLetra = 0;
    ModuloOrdenDeTrabajo = false;
    VModificaCPrecio = false;
    CModificaCPrecio = false;
    EsMaderera = false;
    UnidadMaderaTiras.clear();
    UnidadMaderaP2.clear();
    UnidadMaderaML.clear();
    UnidadMaderaM2.clear();
    UnidadMaderaHojas.clear();
    UnidadMaderaMLP2.clear();
    UnidadMaderaM2P2.clear();
    UnidadMaderaMLM2.clear();
    CuentaCtroDist.clear();
    MaxDto = Currency();
    MaxDtoProforma = Currency();
    PideClaveStockNeg = false;
    PideClaveMarkUpBase = false;
    PideClaveLimiteCredito = false;
    SSBloqueoActivo = false;
    UtilizarFechaDia = false;
    AsignacionAutomaticaDeLoteING = false;
    AsignacionAutomaticaDeLoteINGOP = false;
    CondIvaEmpresa = 0;
    CondIvaEmpresaTexto.clear();
    TopDefault.clear();
    gUNegocio.clear();
    gClasePusa.clear();
    TablaConfiguracion.clear();
}

}  // namespace ModGlobal
