// The voucher picker's statements: mode words, shape choice, search
// condition and the thirteen statement texts.
#include "voucher/lookup/sentencias.h"

#include "core/configuracion.h"
#include "core/fechaservidor.h"
#include "core/sqlbuilder.h"
#include "db/db_texto.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"

#include <QRegularExpression>

namespace vlookup {

namespace {

QString Rellena(const QString& tc) { return kapores2::Funciones::RellenaCodigo(legacy::Trim(tc), 4); }

// " AND " and the caller's condition, only when there is a condition.
QString YFiltro(const QString& filtro) { return NoEnBlanco(filtro) ? QStringLiteral(" AND ") + filtro : QString(); }

using db_texto::EsSi;

QString Cfg(const char* clave) { return ModGlobal::Cfg(QString::fromLatin1(clave)); }

// The observations, or the comments when there are none, under both names.
QString ObservacionesYComentarios()
{
    const QString caso = QStringLiteral("CASE WHEN OBSERVACIONES IS NULL THEN  COMENTARIOS ELSE OBSERVACIONES END AS ");
    return caso + QStringLiteral("OBSERVACIONES ,") + caso + QStringLiteral("COMENTARIOS");
}

}  // namespace

const QStringList& GrupoVentas()
{
    static const QStringList g{"OT", "NP", "FC", "RM", "ND", "NC", "NCFP", "OP", "FP", "GF"};
    return g;
}
const QStringList& GrupoCompras()
{
    static const QStringList g{"FCC", "NCC", "LNCC", "NCPE", "NDPR", "NCCP", "NDC", "LNDC", "RMC"};
    return g;
}
const QStringList& GrupoComprasConsulta()
{
    static const QStringList g{"FCC", "NCC", "LNCC", "NCCP", "NDC", "LNDC", "RMC"};
    return g;
}
const QStringList& GrupoAsientos()
{
    static const QStringList g{"NCPE", "NDPR"};
    return g;
}

bool EnGrupo(const QString& tc, const QStringList& grupo)
{
    for (const QString& t : grupo)
        if (Iguales(tc, t)) return true;
    return false;
}

Modo NormalizaModo(const QString& tc)
{
    struct Fila {
        const char* palabra;
        const char* tipo;
        bool pendientes;
        bool transporte;
    };
    static const Fila tabla[] = {
        {"RM/PENDIENTES", "RM", true, false},         {"NP/PENDIENTES", "NP", true, false},
        {"OT/PENDIENTES", "OT", true, false},         {"RM/PENDIENTES_COMPRAS", "RMC", true, false},
        {"PR/PENDIENTES", "PR", true, false},         {"FC/ANTICIPOS", "FC", false, false},
        {"RM/TRANSPORTE", "RM-T", false, true},       {"FP/PENDIENTES", "FP", false, false},
    };
    for (const Fila& f : tabla)
        if (Iguales(tc, QString::fromLatin1(f.palabra))) return {QString::fromLatin1(f.tipo), f.pendientes, f.transporte};
    return {tc, false, false};
}

Forma EligeForma(const QString& tc, bool pendientes, bool transporte)
{
    auto es = [&](const char* t) { return Iguales(tc, QString::fromLatin1(t)); };
    if (es("RMC") && pendientes) return Forma::RemitosCompraPendientes;
    if (es("RM") && pendientes) return Forma::RemitosPendientes;
    if (es("T3")) return Forma::Terceros;
    if (EnGrupo(tc, GrupoAsientos())) return Forma::Asientos;
    if (EnGrupo(tc, GrupoComprasConsulta())) return Forma::Compras;
    if (es("OT")) return pendientes ? Forma::OTPendientes : Forma::OT;
    if (es("NP") && pendientes) return Forma::NPPendientes;
    if (es("PR") && pendientes) return Forma::PRPendientes;
    if (es("OC")) return Forma::OrdenesCompra;
    if (es("FP")) return Forma::FP;
    if (es("RM") && transporte) return Forma::Transporte;
    return Forma::OtrosTipos;
}

bool QuitaWhereEnForma(Forma forma)
{
    return forma == Forma::OrdenesCompra || forma == Forma::FP || forma == Forma::Transporte;
}

QString MarcaNombre() { return QStringLiteral("Buscar por nombre..."); }
QString MarcaNumero() { return QStringLiteral("Buscar por Numero..."); }

QString FiltroBusqueda(const QString& nombre, const QString& numero)
{
    QString filtro;
    auto lleno = [](const QString& caja, const QString& marca) { return !caja.isEmpty() && !Iguales(caja, marca); };
    auto valor = [](const QString& caja) { return ModGlobal::DuplicaApostrofes(legacy::Trim(caja)); };
    if (lleno(nombre, MarcaNombre())) filtro = QStringLiteral("AND NOMBRE LIKE '%") + valor(nombre) + QStringLiteral("%' ");
    if (lleno(numero, MarcaNumero()))
        filtro = QStringLiteral("AND IDCOMPROBANTE LIKE '%") + valor(numero) + QStringLiteral("%' ");
    return filtro;
}

QString QuitaWhere(const QString& filtro)
{
    static const QRegularExpression palabra(QStringLiteral("(?<![\\w])where(?![\\w])"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::UseUnicodePropertiesOption);
    // Quoted values keep the word: only the plain text loses it.
    QString resultado;
    for (const db_texto::Pieza& p : db_texto::Piezas(filtro)) {
        QString pieza = filtro.mid(p.desde, p.largo);
        resultado += p.clase == db_texto::Pieza::Libre ? pieza.remove(palabra) : pieza;
    }
    return resultado;
}

bool NoEnBlanco(const QString& filtro) { return !legacy::Trim(filtro).isEmpty(); }

QString LimiteVigencia(const QString& vigencia, const legacy::Date& hoy)
{
    const int dias = kapores2::Funciones::TextoAEntero(legacy::Variant(vigencia));
    if (dias <= 0) return {};
    const QString texto = legacy::Format(legacy::Variant(hoy), QStringLiteral("dd/mm/yyyy"));
    const legacy::Date desde = legacy::DateAdd(QStringLiteral("D"), -dias, legacy::Variant(texto).toDate());
    return QStringLiteral(" and fecha >= '") + legacy::Variant(desde).toString() + QStringLiteral("' ");
}

// An article on several lines of the order is compared as a whole with
// what was applied of it (the applications are summed per article): a line
// compared alone with the article's whole applied total would hide what is
// still to invoice.
QString PrefijoPreparacion()
{
    return QStringLiteral(
        " SELECT * FROM ( SELECT *  ,"
        " (Select top 1 v_mv_cpteinsumos.cantidadafacturar from mv_preparacion_detalles  inner join mv_preparacion "
        "on mv_preparacion_detalles.idpreparacion = mv_preparacion.idpreparacion and not "
        "mv_preparacion.fecha_finalizacion is null inner join v_mv_cpteinsumos on "
        "mv_preparacion_detalles.tc=v_mv_cpteinsumos.tc  and "
        "mv_preparacion_detalles.idcomprobante=v_mv_cpteinsumos.idcomprobante and "
        "mv_preparacion_detalles.IdArticulo = v_mv_cpteinsumos.IdArticulo"
        " LEFT JOIN VT_V_MV_INSUMOS_APLICACION on mv_preparacion_detalles.TC=VT_V_MV_INSUMOS_APLICACION.TCO_ORIGEN "
        "and mv_preparacion_detalles.IDCOMPROBANTE = VT_V_MV_INSUMOS_APLICACION.IdComprobanteOrigen and "
        "ltrim(mv_preparacion_detalles.IDARTICULO)=ltrim(VT_V_MV_INSUMOS_APLICACION.IDARTICULO) WHERE  "
        "v_mv_cpteinsumos.cantidadafacturar > 0"
        " and ((select sum(lineas.cantidadafacturar) from v_mv_cpteinsumos lineas where "
        "lineas.tc=v_mv_cpteinsumos.tc and lineas.idcomprobante=v_mv_cpteinsumos.idcomprobante and "
        "ltrim(lineas.IdArticulo)=ltrim(v_mv_cpteinsumos.IdArticulo)) - "
        "isnull(VT_V_MV_INSUMOS_APLICACION.CantidadAplicada,0)) > 0 and "
        "v_mv_cpteinsumos.TC=V_MV_CPTE.tc and  v_mv_cpteinsumos.idcomprobante= V_MV_CPTE.idcomprobante) as preparado");
}

// Shape 1. The caller's condition follows " AND " only when there is one: an
// empty one would leave " AND " before ORDER BY and the statement would fail.
QString SqlRemitosCompraPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro)
{
    return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, TC,IDCOMPROBANTE, ID,FECHA, Importe FROM "
                          "C_RemitosPendientes with(nolock) WHERE TC = '") +
           tcRelleno + QStringLiteral("' ") + busqueda + YFiltro(filtro) +
           QStringLiteral(" ORDER BY IDCOMPROBANTE DESC");
}

// Shape 2.
QString SqlRemitosPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro,
                             bool usaRemitoContado, bool entregaParcialRemito)
{
    if (NoEnBlanco(filtro) && usaRemitoContado)
        return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, '' AS "
                              "OBSERVACIONES FROM V_RemitosPendientes with(nolock) WHERE TC = '") +
               tcRelleno + QStringLiteral("' ") + busqueda + QStringLiteral(" AND ") + filtro +
               QStringLiteral(" ORDER BY IDCOMPROBANTE DESC");
    if (NoEnBlanco(filtro))
        return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, ") +
               ObservacionesYComentarios() +
               QStringLiteral(" ,FechaHora_Grabacion FROM V_MV_CPTE with(nolock) WHERE COMPLEMENTARIO = 0 AND TC = '") +
               tcRelleno + QStringLiteral("'") + busqueda + QStringLiteral(" AND ") + filtro +
               QStringLiteral("  AND FINALIZADA = 0 AND BLOQUEADA = 0 ORDER BY IDCOMPROBANTE DESC");
    if (usaRemitoContado && !entregaParcialRemito)
        return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe FROM "
                              "V_RemitosPendientes with(nolock) WHERE TC = '") +
               tcRelleno + QStringLiteral("'") + busqueda + QStringLiteral(" ORDER BY IDCOMPROBANTE DESC");
    return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, "
                          "Importe,Fechahora_grabacion,fechahora_modificacion FROM V_MV_CPTE with(nolock) WHERE "
                          "COMPLEMENTARIO = 0 AND TC = '") +
           tcRelleno + QStringLiteral("'") + busqueda +
           QStringLiteral(" AND FINALIZADA = 0 AND BLOQUEADA = 0 ORDER BY IDCOMPROBANTE DESC");
}

// Shape 3: every voucher of other parties, whatever the conditions.
QString SqlTerceros()
{
    return QStringLiteral("SELECT * FROM V_MV_CPTETERCEROS  with(nolock)  ORDER BY ID,IDCOMPROBANTE, IDCOMPLEMENTO");
}

// Shape 4: the seats, the first line of each unless the caller narrows them.
QString SqlAsientos(const QString& tcRelleno, const QString& filtro)
{
    const QString inicio = QStringLiteral("SELECT * FROM MV_ASIENTOS  with(nolock)  WHERE TC = '") + tcRelleno;
    if (NoEnBlanco(filtro))
        return inicio + QStringLiteral("' AND ") + filtro + QStringLiteral(" ORDER BY SUCURSAL, NUMERO, LETRA DESC ");
    return inicio + QStringLiteral("' AND SECUENCIA = 1 ORDER BY SUCURSAL, NUMERO, LETRA DESC");
}

// Shape 5.
QString SqlCompras(const QString& tcRelleno, const QString& busqueda, const QString& filtro)
{
    const QString inicio = QStringLiteral("SELECT * FROM C_MV_CPTE  with(nolock)  WHERE TC = '") + tcRelleno +
                           QStringLiteral("'") + busqueda;
    if (NoEnBlanco(filtro))
        return inicio + QStringLiteral(" AND ") + filtro + QStringLiteral(" ORDER BY IDCOMPROBANTE DESC ");
    return inicio + QStringLiteral(" ORDER BY IDCOMPROBANTE DESC");
}

// Shape 6, with the caller's condition only when there is one (as shape 1).
QString SqlOTPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro)
{
    return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento,ID,FECHA, "
                          "Importe,FechaHora_Grabacion,FechaHOra_Modificacion FROM V_OT_Pendientes with(nolock) WHERE "
                          "TC = '") +
           tcRelleno + QStringLiteral("'") + busqueda + YFiltro(filtro) +
           QStringLiteral(" ORDER BY IDCOMPROBANTE DESC");
}

// Shape 7.
QString SqlOT(const QString& tcRelleno, const QString& busqueda, const QString& filtro)
{
    if (NoEnBlanco(filtro))
        return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento , ID,FECHA, "
                              "Importe,FechaHora_Grabacion,FechaHOra_Modificacion FROM V_OT_Pendientes with(nolock) "
                              "WHERE TC = '") +
               tcRelleno + QStringLiteral("'") + busqueda + QStringLiteral(" AND ") + filtro +
               QStringLiteral(" ORDER BY IDCOMPROBANTE DESC");
    return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, IDCOMPlemento , ID,FECHA, "
                          "Importe FROM V_OT_Pendientes with(nolock) WHERE TC = '") +
           tcRelleno + QStringLiteral("'") + busqueda + QStringLiteral(" ") +
           QStringLiteral(" ORDER BY IDCOMPROBANTE DESC");
}

// Shape 8.
QString SqlNPPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro,
                        bool facturaNPPreparadas)
{
    const bool conFiltro = NoEnBlanco(filtro);
    if (!facturaNPPreparadas && conFiltro)
        return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE,IDCOMPLEMENTO, ID,FECHA, "
                              "Importe, FechaPreparacion, fechahora_grabacion,IdPalm,") +
               ObservacionesYComentarios() +
               QStringLiteral(" ,Fechahora_grabacion,fechahora_modificacion FROM V_MV_CPTE  with(nolock)  WHERE TC = '") +
               tcRelleno + QStringLiteral("'") + busqueda + QStringLiteral(" AND ") + filtro +
               QStringLiteral(" AND FINALIZADA = 0 and anulada = 0 ORDER BY IDCOMPROBANTE DESC");
    if (!facturaNPPreparadas)
        return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE,IDCOMPLEMENTO, ID,FECHA, "
                              "Importe,FechaPreparacion,fechahora_grabacion,IdPalm,Observaciones,Fechahora_grabacion,"
                              "fechahora_modificacion,") +
               ObservacionesYComentarios() + QStringLiteral("  FROM V_MV_CPTE with(nolock) WHERE TC = '") +
               tcRelleno + QStringLiteral("'") + busqueda +
               QStringLiteral(" AND FINALIZADA = 0 and anulada = 0 ORDER BY IDCOMPROBANTE DESC");
    if (conFiltro)
        return PrefijoPreparacion() + QStringLiteral(" FROM V_MV_CPTE  with(nolock) WHERE TC = '") + tcRelleno +
               QStringLiteral("'") + busqueda + QStringLiteral(" AND ") + filtro +
               QStringLiteral(" AND FINALIZADA = 0 and anulada = 0 ") +
               QStringLiteral(") as a WHERE preparado>0 ORDER BY IDCOMPROBANTE DESC");
    return PrefijoPreparacion() + QStringLiteral(" FROM V_MV_CPTE  with(nolock)  WHERE TC = '") + tcRelleno +
           QStringLiteral("'") + busqueda + QStringLiteral(" AND FINALIZADA = 0 and anulada = 0") +
           QStringLiteral(") as a WHERE preparado>0 ORDER BY IDCOMPROBANTE DESC");
}

// Shape 9.
QString SqlPRPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro,
                        const QString& limiteVigencia, bool soloAprobados)
{
    if (NoEnBlanco(filtro))
        return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, "
                              "comentarios,Fechahora_grabacion,fechahora_modificacion FROM V_MV_CPTE with(nolock) "
                              "WHERE TC = '") +
               tcRelleno + QStringLiteral("'") + busqueda +
               (soloAprobados ? QStringLiteral(" AND APROBADO = 1 AND ") : QStringLiteral(" AND   ")) + filtro +
               limiteVigencia + QStringLiteral(" AND FINALIZADA = 0 ORDER BY IDCOMPROBANTE DESC");
    return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, Importe, "
                          "comentarios FROM V_PR_PENDIENTES with(nolock)  WHERE TC = '") +
           tcRelleno + QStringLiteral("'") + busqueda + limiteVigencia +
           (soloAprobados ? QStringLiteral(" AND APROBADO = 1 ORDER BY IDCOMPROBANTE DESC")
                          : QStringLiteral(" ORDER BY IDCOMPROBANTE DESC"));
}

// Shape 10.
QString SqlOrdenesCompra(const QString& tcRelleno, const QString& busqueda, const QString& filtro)
{
    return QStringLiteral(" SELECT FECHA, CUENTA , NOMBRE, ANULADA, APROBADO, TC,IDCOMPROBANTE, ID,Importe, "
                          "comentarios, Garantia FROM C_MV_CPTE  with(nolock) WHERE TC = '") +
           tcRelleno + QStringLiteral("'") + busqueda +
           QStringLiteral(" AND (APROBADO = 1) AND (FINALIZADO = 0) AND (ANULADA = 0)") +
           (NoEnBlanco(filtro) ? QStringLiteral(" AND ") : QString()) + filtro +
           QStringLiteral(" ORDER BY IDCOMPROBANTE DESC");
}

// Shape 11.
QString SqlFP(const QString& tcRelleno, const QString& busqueda, const QString& filtro)
{
    return QStringLiteral(" SELECT CUENTA , ANULADA, Nombre, APROBADO, TC,IDCOMPROBANTE, ID,FECHA, "
                          "Importe,Fechahora_grabacion,fechahora_modificacion FROM V_MV_CPTE with(nolock) WHERE TC = '") +
           tcRelleno + QStringLiteral("' ") + (NoEnBlanco(filtro) ? QStringLiteral(" AND ") : QString()) + filtro +
           QStringLiteral(" ") + busqueda + QStringLiteral("  AND FINALIZADA = 0 ORDER BY IDCOMPROBANTE DESC");
}

// Shape 12: one row per reviewed-pending transport remittance already
// invoiced; no type code and no search-box condition.
QString SqlTransporte(const QString& filtro)
{
    return QStringLiteral("SELECT dbo.V_MV_Stock.TC, dbo.V_MV_Stock.IDCOMPROBANTE, dbo.V_MV_Stock.IDCOMPLEMENTO, "
                          "dbo.V_MV_Stock.FECHA,dbo.V_MV_Stock.CUENTAPROVEEDOR ") +
           QStringLiteral(" FROM         dbo.V_MV_Stock LEFT OUTER JOIN") +
           QStringLiteral(" dbo.MV_APLICACION ON dbo.V_MV_Stock.IDCOMPROBANTE = dbo.MV_APLICACION.IDComprobante_Origen "
                          "AND") +
           QStringLiteral(" dbo.V_MV_Stock.TC = dbo.MV_APLICACION.Tco_Origen") +
           QStringLiteral(" WHERE     (dbo.V_MV_Stock.TC = N'RM') AND (dbo.V_MV_Stock.IDVIAJE = N'TTE') AND "
                          "(dbo.V_MV_Stock.Revisado = 0) AND (dbo.MV_APLICACION.TC = N'FC' OR dbo.MV_APLICACION.TC = "
                          "N'TKFC' OR dbo.MV_APLICACION.TC = N'TK') ") +
           (NoEnBlanco(filtro) ? QStringLiteral(" AND ") : QString()) + filtro +
           QStringLiteral(" GROUP BY dbo.V_MV_Stock.TC,dbo.V_MV_Stock.IDCOMPROBANTE,dbo.V_MV_Stock.IDCOMPLEMENTO,"
                          "dbo.V_MV_Stock.FECHA,dbo.V_MV_Stock.CUENTAPROVEEDOR ORDER BY dbo.V_MV_Stock.FECHA DESC,"
                          "dbo.V_MV_Stock.IDCOMPROBANTE,dbo.V_MV_Stock.IDCOMPLEMENTO");
}

// Shape 13.
QString SqlOtrosTipos(const QString& tc, const QString& tcRelleno, const QString& busqueda, const QString& filtro,
                      bool facturaNPPreparadas)
{
    const bool rm = Iguales(tc, QStringLiteral("RM"));
    const bool np = Iguales(tc, QStringLiteral("NP"));
    const QString tipo = tcRelleno + QStringLiteral("'") + busqueda;
    if (NoEnBlanco(filtro)) {
        if (!rm && !np)
            return QStringLiteral("SELECT * FROM V_MV_CPTE  with(nolock)  WHERE TC = '") + tipo +
                   QStringLiteral(" AND ") + filtro + QStringLiteral(" ORDER BY  fecha DESC, idcomprobante desc  ");
        if (np && facturaNPPreparadas)
            return PrefijoPreparacion() +
                   QStringLiteral(" FROM V_MV_CPTE  with(nolock) WHERE COMPLEMENTARIO = 0 AND TC = '") + tipo +
                   QStringLiteral(" AND ") + filtro + QStringLiteral(" AND FINALIZADA = 0 AND BLOQUEADA = 0 ") +
                   QStringLiteral(") as a WHERE preparado>0 ORDER BY  fecha DESC, idcomprobante desc ");
        return QStringLiteral("SELECT * FROM V_MV_CPTE  with(nolock)  WHERE  COMPLEMENTARIO = 0 AND TC = '") + tipo +
               QStringLiteral(" AND ") + filtro +
               QStringLiteral(" AND FINALIZADA = 0 AND BLOQUEADA = 0  ORDER BY  fecha DESC, idcomprobante desc  ");
    }
    if (np && facturaNPPreparadas)
        return PrefijoPreparacion() + QStringLiteral(" FROM V_MV_CPTE  with(nolock) WHERE   TC = '") + tipo +
               QStringLiteral(" ") + QStringLiteral(") as a WHERE preparado>0 ORDER BY  fecha DESC, idcomprobante desc  ");
    if (rm)
        return QStringLiteral("SELECT * FROM V_MV_CPTE  with(nolock)  WHERE COMPLEMENTARIO = 0 AND BLOQUEADA = 0 AND "
                              "TC = '") +
               tipo + QStringLiteral(" ORDER BY  fecha DESC, idcomprobante desc  ");
    return QStringLiteral("SELECT * FROM V_MV_CPTE  with(nolock)  WHERE   TC = '") + tipo +
           QStringLiteral(" ORDER BY  fecha DESC, idcomprobante desc  ");
}

QString Sentencia(Forma forma, const QString& tc, const QString& busqueda, const QString& filtro,
                  const Opciones& o)
{
    switch (forma) {
    case Forma::RemitosCompraPendientes: return SqlRemitosCompraPendientes(Rellena(tc), busqueda, filtro);
    case Forma::RemitosPendientes:
        return SqlRemitosPendientes(Rellena(tc), busqueda, filtro, o.UsaRemitoContado, o.EntregaParcialRemito);
    case Forma::Terceros: return SqlTerceros();
    case Forma::Asientos: return SqlAsientos(Rellena(tc), filtro);
    case Forma::Compras: return SqlCompras(Rellena(tc), busqueda, filtro);
    case Forma::OTPendientes: return SqlOTPendientes(Rellena(tc), busqueda, filtro);
    case Forma::OT: return SqlOT(Rellena(tc), busqueda, filtro);
    case Forma::NPPendientes: return SqlNPPendientes(Rellena(tc), busqueda, filtro, o.FacturaNPPreparadas);
    case Forma::PRPendientes:
        return SqlPRPendientes(Rellena(tc), busqueda, filtro, o.LimiteVigencia, o.SoloAprobados);
    case Forma::OrdenesCompra: return SqlOrdenesCompra(Rellena(tc), busqueda, filtro);
    case Forma::FP: return SqlFP(Rellena(tc), busqueda, filtro);
    case Forma::Transporte: return SqlTransporte(filtro);
    case Forma::OtrosTipos: return SqlOtrosTipos(tc, Rellena(tc), busqueda, filtro, o.FacturaNPPreparadas);
    }
    return {};
}

Opciones LeeOpciones(Forma forma)
{
    Opciones o;
    switch (forma) {
    case Forma::RemitosPendientes:
        o.UsaRemitoContado = EsSi(Cfg("UsaRemitoContado"));
        o.EntregaParcialRemito = EsSi(Cfg("EntregaParcialRemito"));
        break;
    case Forma::NPPendientes:
    case Forma::OtrosTipos: o.FacturaNPPreparadas = EsSi(legacy::Trim(Cfg("FacturaNPPreparadas"))); break;
    case Forma::PRPendientes:
        o.LimiteVigencia = LimiteVigencia(Cfg("VigenciaPresupuestos"), ModGlobal::FechaServidor());
        o.SoloAprobados = Iguales(Cfg("NPSinAprobar"), QStringLiteral("NO"));
        break;
    default: break;
    }
    return o;
}

}  // namespace vlookup
