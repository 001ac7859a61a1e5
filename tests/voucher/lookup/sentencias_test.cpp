// The picker's statements: the mode words and the shape choice, the search
// condition, and every shape's text byte for byte and run on the embedded
// engine against the demo vouchers.
#include "voucher/lookup/entorno_consulta.h"
#include "voucher/lookup/sentencias.h"

#include "platform/legacy/format.h"

#include <functional>

namespace {

using namespace vlookup;

TEST(ModoConsulta, ModeWordsGiveTheTypeTheFlagsAndTheShape)
{
    struct Caso {
        const char* entrada;
        const char* tipo;
        bool pendientes, transporte;
        Forma forma;
    };
    const Caso casos[] = {
        {"RM/PENDIENTES", "RM", true, false, Forma::RemitosPendientes},
        {"rm/pendientes", "RM", true, false, Forma::RemitosPendientes},
        {"NP/PENDIENTES", "NP", true, false, Forma::NPPendientes},
        {"OT/PENDIENTES", "OT", true, false, Forma::OTPendientes},
        {"RM/PENDIENTES_COMPRAS", "RMC", true, false, Forma::RemitosCompraPendientes},
        {"PR/PENDIENTES", "PR", true, false, Forma::PRPendientes},
        {"FC/ANTICIPOS", "FC", false, false, Forma::OtrosTipos},
        {"RM/TRANSPORTE", "RM-T", false, true, Forma::Transporte},
        {"FP/PENDIENTES", "FP", false, false, Forma::FP},
        {"T3", "T3", false, false, Forma::Terceros},
        {"NCPE", "NCPE", false, false, Forma::Asientos},
        {"ndpr", "ndpr", false, false, Forma::Asientos},
        {"FCC", "FCC", false, false, Forma::Compras},
        {"RMC", "RMC", false, false, Forma::Compras},
        {"OT", "OT", false, false, Forma::OT},
        {"OC", "OC", false, false, Forma::OrdenesCompra},
        {"FP", "FP", false, false, Forma::FP},
        {"RM", "RM", false, false, Forma::OtrosTipos},
        {"NP", "NP", false, false, Forma::OtrosTipos},
        {"PR", "PR", false, false, Forma::OtrosTipos},
        {"FC ", "FC ", false, false, Forma::OtrosTipos},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.entrada);
        const Modo m = NormalizaModo(QString::fromLatin1(c.entrada));
        EXPECT_EQ(m.TC, QString::fromLatin1(c.tipo));
        EXPECT_EQ(m.Pendientes, c.pendientes);
        EXPECT_EQ(m.Transporte, c.transporte);
        // The statement is chosen once the transport mode has become "RM".
        EXPECT_EQ(EligeForma(m.Transporte ? QStringLiteral("RM") : m.TC, m.Pendientes, m.Transporte), c.forma);
    }
}

TEST(ModoConsulta, SearchBoxesAndTheWordWhere)
{
    const std::tuple<const char*, const char*, const char*> busquedas[] = {
        {"", "", ""},
        {"Buscar por nombre...", "Buscar por Numero...", ""},
        {"BUSCAR POR NOMBRE...", "buscar por numero...", ""},
        {" Sur ", "", "AND NOMBRE LIKE '%Sur%' "},
        {"Sur", " 12 ", "AND IDCOMPROBANTE LIKE '%12%' "},  // the number box wins
        {"D'Angelo", "", "AND NOMBRE LIKE '%D''Angelo%' "},
        {"a%b_c", "", "AND NOMBRE LIKE '%a%b_c%' "},
    };
    for (const auto& [nombre, numero, esperado] : busquedas)
        EXPECT_EQ(FiltroBusqueda(QString::fromLatin1(nombre), QString::fromLatin1(numero)), QString::fromLatin1(esperado))
            << nombre << " / " << numero;

    const std::pair<const char*, const char*> filtros[] = {
        {"where CUENTA = 'P0001'", " CUENTA = 'P0001'"},
        {"WHERE a = 1 Where b = 2", " a = 1  b = 2"},
        {"CUENTA = 'elsewhere' AND NOWHERE_X = 1", "CUENTA = 'elsewhere' AND NOWHERE_X = 1"},
        {"(where)x", "()x"},
        // Quoted values keep the word, a doubled apostrophe included.
        {"where NOMBRE = 'Where House SA'", " NOMBRE = 'Where House SA'"},
        {"NOMBRE = 'O''where' where x = 1", "NOMBRE = 'O''where'  x = 1"},
    };
    for (const auto& [filtro, esperado] : filtros)
        EXPECT_EQ(QuitaWhere(QString::fromLatin1(filtro)), QString::fromLatin1(esperado)) << filtro;
    EXPECT_TRUE(QuitaWhereEnForma(Forma::OrdenesCompra) && QuitaWhereEnForma(Forma::FP) &&
                QuitaWhereEnForma(Forma::Transporte) && !QuitaWhereEnForma(Forma::OtrosTipos));
}

TEST(ModoConsulta, BudgetLimitCountsBackFromTheServerDate)
{
    const legacy::Date hoy = legacy::DateSerial(2026, 12, 9);
    EXPECT_EQ(LimiteVigencia(QStringLiteral("30"), hoy), QStringLiteral(" and fecha >= '09/11/2026' "));
    EXPECT_EQ(LimiteVigencia(QStringLiteral("9.6"), hoy), QStringLiteral(" and fecha >= '29/11/2026' "));
    for (const char* nada : {"", " ", "0", "-3", "abc"})
        EXPECT_EQ(LimiteVigencia(QString::fromLatin1(nada), hoy), QString()) << nada;
}

// The texts as given, with {T} the padded type, {B} the search condition,
// {F} the caller's condition, {A} " AND " when there is a condition, {L} the
// budget limit, {S} and {O} the approved-budget variants and {P} the
// preparation sub-query.
const char* const kPrefijo =
    R"( SELECT * FROM ( SELECT *  , (Select top 1 v_mv_cpteinsumos.cantidadafacturar from mv_preparacion_detalles  inner join mv_preparacion on mv_preparacion_detalles.idpreparacion = mv_preparacion.idpreparacion and not mv_preparacion.fecha_finalizacion is null inner join v_mv_cpteinsumos on mv_preparacion_detalles.tc=v_mv_cpteinsumos.tc  and mv_preparacion_detalles.idcomprobante=v_mv_cpteinsumos.idcomprobante and mv_preparacion_detalles.IdArticulo = v_mv_cpteinsumos.IdArticulo LEFT JOIN VT_V_MV_INSUMOS_APLICACION on mv_preparacion_detalles.TC=VT_V_MV_INSUMOS_APLICACION.TCO_ORIGEN and mv_preparacion_detalles.IDCOMPROBANTE = VT_V_MV_INSUMOS_APLICACION.IdComprobanteOrigen and ltrim(mv_preparacion_detalles.IDARTICULO)=ltrim(VT_V_MV_INSUMOS_APLICACION.IDARTICULO) WHERE  v_mv_cpteinsumos.cantidadafacturar > 0 and ((select sum(lineas.cantidadafacturar) from v_mv_cpteinsumos lineas where lineas.tc=v_mv_cpteinsumos.tc and lineas.idcomprobante=v_mv_cpteinsumos.idcomprobante and ltrim(lineas.IdArticulo)=ltrim(v_mv_cpteinsumos.IdArticulo)) - isnull(VT_V_MV_INSUMOS_APLICACION.CantidadAplicada,0)) > 0 and v_mv_cpteinsumos.TC=V_MV_CPTE.tc and  v_mv_cpteinsumos.idcomprobante= V_MV_CPTE.idcomprobante) as preparado)";

const char* const k9_2 =
    R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, comentarios,Fechahora_grabacion,fechahora_modificacion FROM V_MV_CPTE with(nolock) WHERE TC = '{T}'{B}{S}{F}{L} AND FINALIZADA = 0 ORDER BY IDCOMPROBANTE DESC)";
const char* const k9_3 =
    R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, comentarios FROM V_PR_PENDIENTES with(nolock)  WHERE TC = '{T}'{B}{L}{O})";
const char* const k10 =
    R"( SELECT FECHA, CUENTA , NOMBRE, ANULADA, APROBADO, TC,IDCOMPROBANTE, ID,Importe, comentarios, Garantia FROM C_MV_CPTE  with(nolock) WHERE TC = '{T}'{B} AND (APROBADO = 1) AND (FINALIZADO = 0) AND (ANULADA = 0){A}{F} ORDER BY IDCOMPROBANTE DESC)";
const char* const k11 =
    R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe,Fechahora_grabacion,fechahora_modificacion FROM V_MV_CPTE with(nolock) WHERE TC = '{T}' {A}{F} {B}  AND FINALIZADA = 0 ORDER BY IDCOMPROBANTE DESC)";
const char* const k12 =
    R"(SELECT dbo.V_MV_Stock.TC, dbo.V_MV_Stock.IDCOMPROBANTE, dbo.V_MV_Stock.IDCOMPLEMENTO, dbo.V_MV_Stock.FECHA,dbo.V_MV_Stock.CUENTAPROVEEDOR  FROM         dbo.V_MV_Stock LEFT OUTER JOIN dbo.MV_APLICACION ON dbo.V_MV_Stock.IDCOMPROBANTE = dbo.MV_APLICACION.IDComprobante_Origen AND dbo.V_MV_Stock.TC = dbo.MV_APLICACION.Tco_Origen WHERE     (dbo.V_MV_Stock.TC = N'RM') AND (dbo.V_MV_Stock.IDVIAJE = N'TTE') AND (dbo.V_MV_Stock.Revisado = 0) AND (dbo.MV_APLICACION.TC = N'FC' OR dbo.MV_APLICACION.TC = N'TKFC' OR dbo.MV_APLICACION.TC = N'TK') {A}{F} GROUP BY dbo.V_MV_Stock.TC,dbo.V_MV_Stock.IDCOMPROBANTE,dbo.V_MV_Stock.IDCOMPLEMENTO,dbo.V_MV_Stock.FECHA,dbo.V_MV_Stock.CUENTAPROVEEDOR ORDER BY dbo.V_MV_Stock.FECHA DESC,dbo.V_MV_Stock.IDCOMPROBANTE,dbo.V_MV_Stock.IDCOMPLEMENTO)";
const char* const k13_3 =
    R"(SELECT * FROM V_MV_CPTE  with(nolock)  WHERE  COMPLEMENTARIO = 0 AND TC = '{T}'{B} AND {F} AND FINALIZADA = 0 AND BLOQUEADA = 0  ORDER BY  fecha DESC, idcomprobante desc  )";

struct Forma_ {
    const char* nombre;
    std::function<QString()> arma;
    const char* plantilla;
    QString t, b, f;  // the values of {T}, {B}, {F}
    QString l = {};   // {L}
    bool aprobados = false;
    QString campo = QStringLiteral("IDCOMPROBANTE");
    QStringList filas = {};
};

QString Rellena(QString plantilla, const Forma_& c)
{
    plantilla.replace(QStringLiteral("{P}"), QString::fromLatin1(kPrefijo));
    plantilla.replace(QStringLiteral("{A}"), NoEnBlanco(c.f) ? QStringLiteral(" AND ") : QString());
    plantilla.replace(QStringLiteral("{S}"), c.aprobados ? QStringLiteral(" AND APROBADO = 1 AND ") : QStringLiteral(" AND   "));
    plantilla.replace(QStringLiteral("{O}"), c.aprobados ? QStringLiteral(" AND APROBADO = 1 ORDER BY IDCOMPROBANTE DESC")
                                                         : QStringLiteral(" ORDER BY IDCOMPROBANTE DESC"));
    plantilla.replace(QStringLiteral("{T}"), c.t).replace(QStringLiteral("{B}"), c.b).replace(QStringLiteral("{L}"), c.l);
    return plantilla.replace(QStringLiteral("{F}"), c.f);
}

class Sentencias : public vlookuptest::EntornoConsulta {};

TEST_F(Sentencias, EveryShapeIsItsTextAndListsItsRows)
{
    const QString sur = QStringLiteral("AND NOMBRE LIKE '%Sur%' ");
    const QString c1 = QStringLiteral("CUENTA = 'C0001'");
    const QString limite = QStringLiteral(" and fecha >= '01/11/2026' ");
    auto ids = [](std::initializer_list<const char*> n) {
        QStringList l;
        for (const char* i : n) l << QStringLiteral("00570000%1").arg(QString::fromLatin1(i));
        return l;
    };
    const Forma_ casos[] = {
        {"1", [&] { return SqlRemitosCompraPendientes("RMC ", "AND IDCOMPROBANTE LIKE '%18%' ", "CUENTA = 'P0001'"); },
         R"( SELECT CUENTA , ANULADA, Nombre, TC,IDCOMPROBANTE, ID,FECHA, Importe FROM C_RemitosPendientes with(nolock) WHERE TC = '{T}' {B} AND {F} ORDER BY IDCOMPROBANTE DESC)",
         "RMC ", "AND IDCOMPROBANTE LIKE '%18%' ", "CUENTA = 'P0001'", {}, false, "IDCOMPROBANTE", ids({"0018R"})},
        {"2.1", [&] { return SqlRemitosPendientes("RM  ", sur, c1, true, false); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, '' AS OBSERVACIONES FROM V_RemitosPendientes with(nolock) WHERE TC = '{T}' {B} AND {F} ORDER BY IDCOMPROBANTE DESC)",
         "RM  ", sur, c1, {}, false, "IDCOMPROBANTE", ids({"0003R", "0001R"})},
        {"2.2", [&] { return SqlRemitosPendientes("RM  ", "", c1, false, true); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, CASE WHEN OBSERVACIONES IS NULL THEN  COMENTARIOS ELSE OBSERVACIONES END AS OBSERVACIONES ,CASE WHEN OBSERVACIONES IS NULL THEN  COMENTARIOS ELSE OBSERVACIONES END AS COMENTARIOS ,FechaHora_Grabacion FROM V_MV_CPTE with(nolock) WHERE COMPLEMENTARIO = 0 AND TC = '{T}'{B} AND {F}  AND FINALIZADA = 0 AND BLOQUEADA = 0 ORDER BY IDCOMPROBANTE DESC)",
         "RM  ", "", c1, {}, false, "IDCOMPROBANTE", ids({"0001R"})},
        {"2.3", [&] { return SqlRemitosPendientes("RM  ", "", " ", true, false); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe FROM V_RemitosPendientes with(nolock) WHERE TC = '{T}'{B} ORDER BY IDCOMPROBANTE DESC)",
         "RM  ", "", " ", {}, false, "IDCOMPROBANTE", ids({"0003R", "0001R"})},
        {"2.4", [&] { return SqlRemitosPendientes("RM  ", "", "", true, true); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe,Fechahora_grabacion,fechahora_modificacion FROM V_MV_CPTE with(nolock) WHERE COMPLEMENTARIO = 0 AND TC = '{T}'{B} AND FINALIZADA = 0 AND BLOQUEADA = 0 ORDER BY IDCOMPROBANTE DESC)",
         "RM  ", "", "", {}, false, "IDCOMPROBANTE", ids({"0001R"})},
        {"3", [&] { return SqlTerceros(); },
         R"(SELECT * FROM V_MV_CPTETERCEROS  with(nolock)  ORDER BY ID,IDCOMPROBANTE, IDCOMPLEMENTO)", "", "", "", {},
         false, "ID", {"5701", "5702"}},
        {"4.1", [&] { return SqlAsientos("NCPE", "Cuenta = 'P0001'"); },
         R"(SELECT * FROM MV_ASIENTOS  with(nolock)  WHERE TC = '{T}' AND {F} ORDER BY SUCURSAL, NUMERO, LETRA DESC )",
         "NCPE", "", "Cuenta = 'P0001'", {}, false, "Secuencia", {"1"}},
        {"4.2", [&] { return SqlAsientos("NCPE", ""); },
         R"(SELECT * FROM MV_ASIENTOS  with(nolock)  WHERE TC = '{T}' AND SECUENCIA = 1 ORDER BY SUCURSAL, NUMERO, LETRA DESC)",
         "NCPE", "", "", {}, false, "Detalle", {"Nota de credito por devolucion"}},
        {"5.1", [&] { return SqlCompras("FCC ", "", "ANULADA = 1"); },
         R"(SELECT * FROM C_MV_CPTE  with(nolock)  WHERE TC = '{T}'{B} AND {F} ORDER BY IDCOMPROBANTE DESC )", "FCC ",
         "", "ANULADA = 1", {}, false, "IDCOMPROBANTE", ids({"0020A"})},
        {"5.2", [&] { return SqlCompras("RMC ", "", ""); },
         R"(SELECT * FROM C_MV_CPTE  with(nolock)  WHERE TC = '{T}'{B} ORDER BY IDCOMPROBANTE DESC)", "RMC ",
         "", "", {}, false, "IDCOMPROBANTE", ids({"0019R", "0018R"})},
        {"5.2 searched", [&] { return SqlCompras("RMC ", "AND IDCOMPROBANTE LIKE '%18%' ", ""); },
         R"(SELECT * FROM C_MV_CPTE  with(nolock)  WHERE TC = '{T}'{B} ORDER BY IDCOMPROBANTE DESC)", "RMC ",
         "AND IDCOMPROBANTE LIKE '%18%' ", "", {}, false, "IDCOMPROBANTE", ids({"0018R"})},
        {"6", [&] { return SqlOTPendientes("OT  ", "", c1); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento,ID,FECHA, Importe,FechaHora_Grabacion,FechaHOra_Modificacion FROM V_OT_Pendientes with(nolock) WHERE TC = '{T}'{B} AND {F} ORDER BY IDCOMPROBANTE DESC)",
         "OT  ", "", c1, {}, false, "IDCOMPROBANTE", ids({"0004X"})},
        {"7.1", [&] { return SqlOT("OT  ", "", c1); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento , ID,FECHA, Importe,FechaHora_Grabacion,FechaHOra_Modificacion FROM V_OT_Pendientes with(nolock) WHERE TC = '{T}'{B} AND {F} ORDER BY IDCOMPROBANTE DESC)",
         "OT  ", "", c1, {}, false, "IDCOMPROBANTE", ids({"0004X"})},
        {"7.2", [&] { return SqlOT("OT  ", "", ""); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento , ID,FECHA, Importe FROM V_OT_Pendientes with(nolock) WHERE TC = '{T}'{B}  ORDER BY IDCOMPROBANTE DESC)",
         "OT  ", "", "", {}, false, "IDCOMPROBANTE", ids({"0004X"})},
        {"8.1", [&] { return SqlNPPendientes("NP  ", "", "CUENTA = 'C0002'", false); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE,IDCOMPLEMENTO, ID,FECHA, Importe, FechaPreparacion, fechahora_grabacion,IdPalm,CASE WHEN OBSERVACIONES IS NULL THEN  COMENTARIOS ELSE OBSERVACIONES END AS OBSERVACIONES ,CASE WHEN OBSERVACIONES IS NULL THEN  COMENTARIOS ELSE OBSERVACIONES END AS COMENTARIOS ,Fechahora_grabacion,fechahora_modificacion FROM V_MV_CPTE  with(nolock)  WHERE TC = '{T}'{B} AND {F} AND FINALIZADA = 0 and anulada = 0 ORDER BY IDCOMPROBANTE DESC)",
         "NP  ", "", "CUENTA = 'C0002'", {}, false, "IDCOMPROBANTE", ids({"0007X"})},
        {"8.2", [&] { return SqlNPPendientes("NP  ", "", "", false); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE,IDCOMPLEMENTO, ID,FECHA, Importe,FechaPreparacion,fechahora_grabacion,IdPalm,Observaciones,Fechahora_grabacion,fechahora_modificacion,CASE WHEN OBSERVACIONES IS NULL THEN  COMENTARIOS ELSE OBSERVACIONES END AS OBSERVACIONES ,CASE WHEN OBSERVACIONES IS NULL THEN  COMENTARIOS ELSE OBSERVACIONES END AS COMENTARIOS  FROM V_MV_CPTE with(nolock) WHERE TC = '{T}'{B} AND FINALIZADA = 0 and anulada = 0 ORDER BY IDCOMPROBANTE DESC)",
         "NP  ", "", "", {}, false, "IDCOMPROBANTE", ids({"0007X", "0006X"})},
        {"8.3", [&] { return SqlNPPendientes("NP  ", "", c1, true); },
         R"({P} FROM V_MV_CPTE  with(nolock) WHERE TC = '{T}'{B} AND {F} AND FINALIZADA = 0 and anulada = 0 ) as a WHERE preparado>0 ORDER BY IDCOMPROBANTE DESC)",
         "NP  ", "", c1, {}, false, "IDCOMPROBANTE", ids({"0006X"})},
        {"8.4", [&] { return SqlNPPendientes("NP  ", "", "", true); },
         R"({P} FROM V_MV_CPTE  with(nolock)  WHERE TC = '{T}'{B} AND FINALIZADA = 0 and anulada = 0) as a WHERE preparado>0 ORDER BY IDCOMPROBANTE DESC)",
         "NP  ", "", "", {}, false, "IDCOMPROBANTE", ids({"0006X"})},
        {"9.2", [&] { return SqlPRPendientes("PR  ", "", "IMPORTE > 0", "", false); },
         k9_2,
         "PR  ", "", "IMPORTE > 0", "", false, "IDCOMPROBANTE", ids({"0010X", "0009X"})},
        {"9.2 approved", [&] { return SqlPRPendientes("PR  ", "", "IMPORTE > 0", "", true); },
         k9_2,
         "PR  ", "", "IMPORTE > 0", "", true, "IDCOMPROBANTE", ids({"0009X"})},
        {"9.2 in force", [&] { return SqlPRPendientes("PR  ", "", "IMPORTE > 0", limite, false); },
         k9_2,
         "PR  ", "", "IMPORTE > 0", limite, false, "IDCOMPROBANTE", ids({"0009X"})},
        {"9.3", [&] { return SqlPRPendientes("PR  ", "", "", "", false); },
         k9_3,
         "PR  ", "", "", "", false, "IDCOMPROBANTE", ids({"0010X", "0009X"})},
        {"9.3 approved in force", [&] { return SqlPRPendientes("PR  ", "", "", limite, true); },
         k9_3,
         "PR  ", "", "", limite, true, "IDCOMPROBANTE", ids({"0009X"})},
        {"10", [&] { return SqlOrdenesCompra("OC  ", "", ""); },
         k10,
         "OC  ", "", "", {}, false, "IDCOMPROBANTE", ids({"0022X", "0021X"})},
        {"10 filtered", [&] { return SqlOrdenesCompra("OC  ", "", "CUENTA = 'P0001'"); },
         k10,
         "OC  ", "", "CUENTA = 'P0001'", {}, false, "IDCOMPROBANTE", ids({"0021X"})},
        {"11", [&] { return SqlFP("FP  ", sur, ""); },
         k11,
         "FP  ", sur, "", {}, false, "IDCOMPROBANTE", {}},
        {"11 filtered", [&] { return SqlFP("FP  ", "", "CUENTA = 'C0002'"); },
         k11,
         "FP  ", "", "CUENTA = 'C0002'", {}, false, "IDCOMPROBANTE", ids({"0013A"})},
        {"12", [&] { return SqlTransporte(""); },
         k12,
         "", "", "", {}, false, "IDCOMPROBANTE", ids({"0015R"})},
        {"12 filtered", [&] { return SqlTransporte("dbo.V_MV_Stock.CuentaProveedor = 'T0002'"); },
         k12,
         "", "", "dbo.V_MV_Stock.CuentaProveedor = 'T0002'", {}, false, "IDCOMPROBANTE", {}},
        {"13.1", [&] { return SqlOtrosTipos("FC", "FC  ", "", c1, false); },
         R"(SELECT * FROM V_MV_CPTE  with(nolock)  WHERE TC = '{T}'{B} AND {F} ORDER BY  fecha DESC, idcomprobante desc  )",
         "FC  ", "", c1, {}, false, "IDCOMPROBANTE", ids({"0012A"})},
        {"13.2", [&] { return SqlOtrosTipos("np", "np  ", "", c1, true); },
         R"({P} FROM V_MV_CPTE  with(nolock) WHERE COMPLEMENTARIO = 0 AND TC = '{T}'{B} AND {F} AND FINALIZADA = 0 AND BLOQUEADA = 0 ) as a WHERE preparado>0 ORDER BY  fecha DESC, idcomprobante desc )",
         "np  ", "", c1, {}, false, "IDCOMPROBANTE", ids({"0006X"})},
        {"13.3", [&] { return SqlOtrosTipos("RM", "RM  ", "", c1, true); },
         k13_3,
         "RM  ", "", c1, {}, false, "IDCOMPROBANTE", ids({"0001R"})},
        {"13.3 NP", [&] { return SqlOtrosTipos("NP", "NP  ", "", c1, false); },
         k13_3,
         "NP  ", "", c1, {}, false, "IDCOMPROBANTE", ids({"0006X"})},
        {"13.4", [&] { return SqlOtrosTipos("NP", "NP  ", "", "", true); },
         R"({P} FROM V_MV_CPTE  with(nolock) WHERE   TC = '{T}'{B} ) as a WHERE preparado>0 ORDER BY  fecha DESC, idcomprobante desc  )",
         "NP  ", "", "", {}, false, "IDCOMPROBANTE", ids({"0006X"})},
        {"13.5", [&] { return SqlOtrosTipos("RM", "RM  ", "", "", false); },
         R"(SELECT * FROM V_MV_CPTE  with(nolock)  WHERE COMPLEMENTARIO = 0 AND BLOQUEADA = 0 AND TC = '{T}'{B} ORDER BY  fecha DESC, idcomprobante desc  )",
         "RM  ", "", "", {}, false, "IDCOMPROBANTE", ids({"0002R", "0001R"})},
        {"13.6", [&] { return SqlOtrosTipos("PR", "PR  ", "", "", true); },
         R"(SELECT * FROM V_MV_CPTE  with(nolock)  WHERE   TC = '{T}'{B} ORDER BY  fecha DESC, idcomprobante desc  )",
         "PR  ", "", "", {}, false, "IDCOMPROBANTE", ids({"0011X", "0009X", "0010X"})},
    };
    const auto comprueba = [&](const Forma_& c) {
        SCOPED_TRACE(c.nombre);
        const QString sql = c.arma();
        EXPECT_EQ(sql, Rellena(QString::fromUtf8(c.plantilla), c));
        EXPECT_EQ(Columna(sql, c.campo), c.filas);
    };
    for (const Forma_& c : casos)
        comprueba(c);

    // The two shapes that always joined the caller's condition leave it out
    // when there is none: " AND " right before ORDER BY made them fail.
    const Forma_ sinFiltro[] = {
        {"1 without condition", [&] { return SqlRemitosCompraPendientes("RMC ", "", "  "); },
         R"( SELECT CUENTA , ANULADA, Nombre, TC,IDCOMPROBANTE, ID,FECHA, Importe FROM C_RemitosPendientes with(nolock) WHERE TC = '{T}' {B} ORDER BY IDCOMPROBANTE DESC)",
         "RMC ", "", "", {}, false, "IDCOMPROBANTE", ids({"0018R"})},
        {"6 without condition", [&] { return SqlOTPendientes("OT  ", "", ""); },
         R"( SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento,ID,FECHA, Importe,FechaHora_Grabacion,FechaHOra_Modificacion FROM V_OT_Pendientes with(nolock) WHERE TC = '{T}'{B} ORDER BY IDCOMPROBANTE DESC)",
         "OT  ", "", "", {}, false, "IDCOMPROBANTE", ids({"0004X"})},
    };
    for (const Forma_& c : sinFiltro)
        comprueba(c);

    // Prepared orders of one article on several lines: 0021X has 5 + 6 of
    // 1001 with 7 invoiced (4 left), 0022X 3 of 1002 with nothing invoiced,
    // 0023X 5 + 5 with 4 + 6 invoiced (none left), 0024X 5 with 3 invoiced
    // under the padded code and 2 under the plain one (none left).
    const QString p1001 = QStringLiteral("                     1001");
    const struct {
        const char* orden;
        QList<std::pair<QString, double>> lineas, aplicadas;
    } pedidos[] = {{"0021X", {{p1001, 5}, {p1001, 6}}, {{p1001, 7}}},
                   {"0022X", {{QStringLiteral("                     1002"), 3}}, {}},
                   {"0023X", {{p1001, 5}, {p1001, 5}}, {{p1001, 4}, {p1001, 6}}},
                   {"0024X", {{p1001, 5}}, {{p1001, 3}, {QStringLiteral("1001"), 2}}}};
    Ejecuta(QStringLiteral("INSERT INTO MV_PREPARACION (IDPREPARACION, FECHA, FECHA_FINALIZACION) VALUES (5702, "
                           "'20261120 07:00:00', '20261120 08:00:00')"));
    for (const auto& p : pedidos) {
        const QString id = QStringLiteral("00570000") + QString::fromLatin1(p.orden);
        Ejecuta(QStringLiteral("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, ANULADA, FINALIZADA, BLOQUEADA, "
                               "COMPLEMENTARIO, FechaPreparacion) VALUES ('NP  ', '%1', 0, 0, 0, 0, 0, "
                               "'20261120 08:00:00')").arg(id));
        for (const auto& [articulo, cantidad] : p.lineas)
            Ejecuta(QStringLiteral("INSERT INTO V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, IdArticulo, Cantidad, "
                                   "CANTIDADAFACTURAR) VALUES ('NP  ', '%1', 0, '%2', %3, %3)").arg(id, articulo).arg(cantidad));
        Ejecuta(QStringLiteral("INSERT INTO MV_PREPARACION_DETALLES (IDPREPARACION, TC, IDCOMPROBANTE, IDARTICULO, "
                               "Cantidadpreparada) VALUES (5702, 'NP  ', '%1', '%2', 1)").arg(id, p.lineas[0].first));
        for (const auto& [articulo, cantidad] : p.aplicadas)
            Ejecuta(QStringLiteral("INSERT INTO MV_APLICACION (TC, IDComprobante, IdComplemento, TCO_ORIGEN, "
                                   "IDComprobante_Origen, IdComplemento_Origen, IDARTICULO, CANTIDAD) VALUES ('FC  ', "
                                   "'005700000030A', 0, 'NP  ', '%1', 0, '%2', %3)").arg(id, articulo).arg(cantidad));
    }
    EXPECT_EQ(Columna(SqlNPPendientes("NP  ", "", "", true), QStringLiteral("IDCOMPROBANTE")),
              ids({"0022X", "0021X", "0006X"}));
}

TEST_F(Sentencias, ConfigurationSwitchesChooseTheVariant)
{
    // Shape 2: UsaRemitoContado on and EntregaParcialRemito off read the
    // pending-remittance view, anything else the voucher table.
    const std::tuple<const char*, const char*, const char*> remitos[] = {
        {"SI", "NO", "V_RemitosPendientes"}, {"si", "SI", "V_MV_CPTE"}, {nullptr, nullptr, "V_MV_CPTE"}};
    for (const auto& [contado, parcial, tabla] : remitos) {
        Config(QStringLiteral("UsaRemitoContado"), contado);
        Config(QStringLiteral("EntregaParcialRemito"), parcial);
        EXPECT_TRUE(Sentencia(Forma::RemitosPendientes, QStringLiteral("RM"), {}, {}, LeeOpciones(Forma::RemitosPendientes))
                        .contains(QStringLiteral("FROM %1 ").arg(QString::fromLatin1(tabla))))
            << tabla;
    }
    // Shape 9: no limit for a blank or zero validity; NPSinAprobar "no"
    // keeps only approved budgets, a missing key keeps them all.
    Config(QStringLiteral("VigenciaPresupuestos"), "0");
    Config(QStringLiteral("NPSinAprobar"), nullptr);
    Opciones o = LeeOpciones(Forma::PRPendientes);
    EXPECT_EQ(o.LimiteVigencia, QString());
    EXPECT_FALSE(o.SoloAprobados);
    Config(QStringLiteral("VigenciaPresupuestos"), "10");
    Config(QStringLiteral("NPSinAprobar"), "no");
    o = LeeOpciones(Forma::PRPendientes);
    EXPECT_TRUE(o.LimiteVigencia.startsWith(QStringLiteral(" and fecha >= '"))) << o.LimiteVigencia.toStdString();
    EXPECT_TRUE(o.SoloAprobados);
    // FacturaNPPreparadas is compared trimmed.
    Config(QStringLiteral("FacturaNPPreparadas"), " Si ");
    EXPECT_TRUE(LeeOpciones(Forma::NPPendientes).FacturaNPPreparadas);
    EXPECT_TRUE(LeeOpciones(Forma::OtrosTipos).FacturaNPPreparadas);
}

}  // namespace
