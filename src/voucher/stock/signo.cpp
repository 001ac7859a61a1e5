// The voucher-type sign, the automatic lot and the open-production test.
#include "voucher/clscmncptes.h"
#include "voucher/stock/comun.h"

#include "core/modglobal.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"
#include "platform/ui/dialogs.h"

#include <initializer_list>
#include <memory>

using legacy::Trim;

namespace {

using stockcomun::EsUno;

QString Texto(ado::Recordset& rs, const char* campo)
{
    return Trim(kapores2::Funciones::ValorNoNulo(rs.Fields(campo)).toString());
}

}  // namespace

int ClsCmnCptes::ObtieneSignoComprobante(const QString& TC, bool LibroIVA)
{
    int signo = 0;
    if (LibroIVA && EsUno(TC, {"NC", "ENC"}))
        return -1;

    DB_Dll& db = ModGlobal::gDB();
    std::shared_ptr<ado::Recordset> rs;
    legacy::ErrorTrap trap(QStringLiteral("ObtieneSignoComprobante%"), db.errorHandler());
    bool sinFila = false;
    trap([&] {
        db.AbrirRecordset(QStringLiteral("SELECT * FROM V_TA_CPTE  with(nolock)  WHERE CODIGO='") +
                              kapores2::Funciones::RellenaCodigo(Trim(TC), 4) + QStringLiteral("'"),
                          rs, nullptr, 0, 1, -1, true);
    });
    trap([&] { sinFila = rs->Eof(); });
    if (trap.left())
        return signo;
    if (sinFila) {
        ui::MsgBox(QStringLiteral("El Tipo de Comprobante informado no existe en la tabla de comprobantes"),
                   ui::vbCritical, QStringLiteral("Aviso al operador!!!"));
        db.CierraRecordset(rs);
        return 0;
    }
    trap([&] {
        if (!LibroIVA) {
            const QString es = Texto(*rs, "ES");
            if (es.compare(QLatin1String("E"), Qt::CaseInsensitive) == 0)
                signo = 1;
            else if (es.compare(QLatin1String("S"), Qt::CaseInsensitive) == 0)
                signo = -1;
            else if (EsUno(TC, {"IR", "AJP", "FCC", "NDC", "LNDC", "FPC", "NC", "RMC"}))
                signo = 1;
            else if (EsUno(TC, {"VS", "AJN", "FC", "ND", "FP", "NCC", "LNCC", "RM", "TR"}))
                signo = -1;
            return;
        }
        const legacy::Variant guardado = rs->Fields("Signo").Value();
        if (EsUno(TC, {"ND"}))
            signo = DebitoProveedor ? -1 : 1;
        else if (EsUno(TC, {"FCC", "NDC", "LNDC", "FC", "TK", "TKFC", "FP", "FPC"}))
            signo = 1;
        else if (guardado.IsNull()) {
            if (EsUno(TC, {"NC", "NCC", "LNCC", "NCP", "NCCP"})) {
                signo = -1;
            } else {
                const QString sistema = Texto(*rs, "Sistema");
                const QString lado = Texto(*rs, "DebeHaber");
                const bool ventasH = sistema.compare(QLatin1String("Ventas"), Qt::CaseInsensitive) == 0 &&
                                     lado.compare(QLatin1String("H"), Qt::CaseInsensitive) == 0;
                const bool comprasD = sistema.compare(QLatin1String("Compras"), Qt::CaseInsensitive) == 0 &&
                                      lado.compare(QLatin1String("D"), Qt::CaseInsensitive) == 0;
                signo = (ventasH || comprasD) ? -1 : 1;
            }
        } else if (EsUno(TC, {"NC"})) {
            signo = -1;
        } else {
            signo = legacy::CInt(guardado);
        }
    });
    if (trap.left())
        return signo;
    trap([&] { db.CierraRecordset(rs); });
    if (signo == 0)
        signo = 1;
    return signo;
}

QString ClsCmnCptes::ObtieneLoteAutomatico()
{
    DB_Dll& db = ModGlobal::gDB();
    std::shared_ptr<ado::Recordset> rs;
    db.AbrirRecordset(
        QStringLiteral("SELECT MAX(NroLote) AS Maximo From v_mv_stock WHERE (SUBSTRING(NroLote, 1, 1) = ' ') "), rs,
        nullptr, 0, 1, -1, true);
    if (rs->Eof())
        return QStringLiteral("1");
    const legacy::Variant maximo = rs->Fields("Maximo").Value();
    if (maximo.IsNull())
        return QStringLiteral("1");
    const legacy::Currency siguiente = kapores2::Funciones::TextoANumero(maximo) + legacy::Currency(1);
    return Trim(legacy::Variant(siguiente).toString());
}

bool ClsCmnCptes::TieneSPNL(const QString& Tcp, const QString& IdCptep)
{
    DB_Dll& db = ModGlobal::gDB();
    std::shared_ptr<ado::Recordset> rs;
    // Both values go in as the caller holds them: the origin type is our own
    // literal ("OP") and the id a stored 13-character key.
    db.AbrirRecordset(QStringLiteral("Select * from v_mv_stock where tc = 'spnl' and tc_origen = '") + Tcp +
                          QStringLiteral("' and idcomprobante_origen = '") + IdCptep + QStringLiteral("'"),
                      rs, nullptr, 0, 1, -1, true);
    const bool hay = !rs->Eof();
    db.CierraRecordset(rs);
    return hay;
}
