// The vouchers made from a voucher, an account's applied charges and the
// quantity of a line still to be delivered.
#include "voucher/clscmncptes.h"

#include "core/modglobal.h"
#include "db/db_dll.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/modalform.h"
#include "voucher/grids/comun.h"
#include "voucher/loading/carga.h"

#include <QWidget>

using kapores2::Funciones;
using legacy::Trim;

namespace {

using carga::Q;

std::shared_ptr<ado::Recordset> Abre(const QString& sql)
{
    std::shared_ptr<ado::Recordset> rs;
    carga::Abre(sql, rs);
    return rs;
}

QString CondicionOrigen(const QString& TC, const QString& SucNroLetra)
{
    return QStringLiteral("SELECT * FROM V_MV_CPTE  with(nolock)  WHERE TCORIGEN = '") +
           Q(Funciones::RellenaCodigo(Trim(TC), 4)) + QStringLiteral("' AND COMPROBANTEORIGEN = '") +
           Q(Trim(SucNroLetra)) + QStringLiteral("'");
}

// The first row's "Cantidad" of a statement as a number; 0 without one.
double Cantidad(const QString& sql)
{
    auto rs = Abre(sql);
    if (rs->Bof())
        return 0;
    const legacy::Variant v = rs->Fields("Cantidad").Value();
    return v.IsNull() ? 0 : v.toDouble();
}

}  // namespace

bool ClsCmnCptes::EstaRelacionadoAOtroComprobante(const QString& TC, const QString& SucNroLetra,
                                                  const QString& Complemento, bool TenerEnCuentaAnulados)
{
    QString sql = CondicionOrigen(TC, SucNroLetra) + QStringLiteral(" AND COMPLEMENTOORIGEN = '") + Q(Complemento) +
                  QStringLiteral("' ");
    if (!TenerEnCuentaAnulados)
        sql += QStringLiteral(" AND ANULADA = 0");
    return !Abre(sql)->Bof();
}

legacy::Currency ClsCmnCptes::ObtieneImporteCptesAsociados(const QString& TC, const QString& SucNroLetra)
{
    auto rs = Abre(CondicionOrigen(TC, SucNroLetra) + QStringLiteral(" AND ANULADA = 0"));
    legacy::Currency total;
    if (rs->Bof())
        return total;
    for (; !rs->Eof(); rs->MoveNext())
        total += Funciones::TextoANumero(Funciones::ValorNoNulo(rs->Fields("Importe").Value()));
    return total;
}

legacy::Currency ClsCmnCptes::ImporteCargosReales(const QString& Cuenta)
{
    legacy::ErrorTrap trap(QStringLiteral("ImporteCargosReales@"), ModGlobal::gDB().errorHandler());
    std::shared_ptr<ado::Recordset> rs;
    legacy::Currency importe;
    trap([&] {
        rs = Abre(QStringLiteral("SELECT SUM (SALDO) AS IMPORTE FROM V_MV_CargosAplicados WHERE CUENTA = '") +
                  Q(Trim(Cuenta)) + QStringLiteral("'"));
    });
    trap([&] { importe = Funciones::TextoANumero(Funciones::ValorNoNulo(rs->Fields("Importe").Value())); });
    return importe;
}

void ClsCmnCptes::ControlDeCargosReales(QWidget* FrmCtrlCargosReales, const QString& Cliente, const QString& Matricula)
{
    QWidget& ventana = grillas::Objeto(FrmCtrlCargosReales);
    // The window is known only by its properties (declared or dynamic): one
    // it lacks is error 438.
    const auto pon = [&](const char* nombre, const QString& valor) {
        if (!ventana.property(nombre).isValid())
            throw legacy::VbError(438);
        ventana.setProperty(nombre, valor);
    };
    pon("Cliente", Cliente);
    pon("Matricula", Matricula);
    if (auto* forma = qobject_cast<ui::ModalForm*>(&ventana))
        forma->ShowModal();
    else
        ui::ShowModal(&ventana);
}

double ClsCmnCptes::CantRepartoPend(const QString& TC, const QString& SucNroLetra, const QString& IdArticulo,
                                    double* Aplicado)
{
    const QString clave = QStringLiteral("(TC = '") + Q(TC) + QStringLiteral("') AND IDCOMPROBANTE = '") +
                          Q(Trim(SucNroLetra)) + QStringLiteral("' AND IDARTICULO = '") +
                          Q(Funciones::RellenaCodigo(Trim(IdArticulo), 25)) + QStringLiteral("'");
    double linea = Cantidad(QStringLiteral("SELECT * FROM VT_V_MV_CPTEINSUMOS_CONS2  with(nolock)  WHERE ") + clave);
    const double movido =
        Cantidad(QStringLiteral("SELECT SUM(CANTIDAD) AS CANTIDAD FROM VT_V_MV_Stock_Cons WHERE ") + clave);
    if (linea < movido)
        linea = movido;
    if (Aplicado)
        *Aplicado = movido;
    return linea - movido;
}
