#include "core/empresa.h"

#include "core/cargaconfiguracion.h"
#include "core/configuracion.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"

using namespace legacy;
using kapores2::Funciones;

namespace ModGlobal {

void ObtieneDatosEmpresa(const QString& UnidadNegocio, QString& RazonSocial, QString& Cuit,
                         QString& InicioActividades, QString& IngresosBrutos, QString& CondicionIVA,
                         QString& PuntoVenta, QString& Domicilio)
{
    if (!UnidadNegocio.isEmpty()) {
        std::shared_ptr<ado::Recordset> rs;
        const bool existe =
            gDB().ExisteEnTabla(QStringLiteral("v_ta_unidadNegocio"), Funciones::RellenaCodigo(UnidadNegocio, 4),
                                QStringLiteral("codigo"), &rs, Variant(8), QString(), true);
        if (existe && rs) {
            RazonSocial = Funciones::ValorNoNulo(rs->Fields("razon_social").Value()).toString();
            Cuit = Funciones::ValorNoNulo(rs->Fields("Cuit").Value()).toString();
            if (!Cuit.isEmpty()) {
                // Per-unit keys carry the code without its padding blanks.
                const QString u = Trim(UnidadNegocio);
                InicioActividades = Trim(Cfg(QStringLiteral("INICIO_ACTIVIDADES_UN_") + u));
                IngresosBrutos = Trim(Cfg(QStringLiteral("INGRESOS_BRUTOS_UN_") + u));
                CondicionIVA = Trim(Cfg(QStringLiteral("CONDICIONIVA_UN_") + u));
                Domicilio = Trim(Cfg(QStringLiteral("DOMICILIO_UN_") + u));
            } else {
                RazonSocial.clear();
                InicioActividades.clear();
                IngresosBrutos.clear();
                CondicionIVA.clear();
                Domicilio.clear();
            }
            PuntoVenta = Trim(Funciones::ValorNoNulo(rs->Fields("PDV").Value()).toString());
        }
    }

    if (RazonSocial.isEmpty())
        RazonSocial = Cfg(QStringLiteral("NOMBRE"));
    if (Cuit.isEmpty())
        Cuit = Cfg(QStringLiteral("cuit"));
    if (CondicionIVA.isEmpty())
        CondicionIVA = Cfg(QStringLiteral("CONDIVAEMPRESA"));
    if (InicioActividades.isEmpty())
        InicioActividades = Trim(Cfg(QStringLiteral("INICIOACTIVIDADES")));
    if (IngresosBrutos.isEmpty())
        IngresosBrutos = Trim(Cfg(QStringLiteral("NROINGRESOSBRUTOS")));
    if (Domicilio.isEmpty())
        Domicilio = Cfg(QStringLiteral("CALLE")) + QStringLiteral(" ") + Cfg(QStringLiteral("NUMERO")) +
                    QStringLiteral("  ") + Cfg(QStringLiteral("PISO")) + QStringLiteral(" ") +
                    Cfg(QStringLiteral("Departamento"));

    CondIvaEmpresaTexto = CondicionIVA;
    CondIvaEmpresa = CInt(Variant(CondicionIVA));
}

}  // namespace ModGlobal
