#include "core/acciones.h"

#include "core/fechaservidor.h"
#include "core/modglobal.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"

using kapores2::Funciones;
using legacy::Trim;

namespace ModGlobal {

QString gProcesoLote;


QString TipoAccionPorMarcas(bool lEsAlta, bool lEsModificacion)
{
    return lEsAlta ? QStringLiteral("A") : lEsModificacion ? QStringLiteral("M") : QStringLiteral("B");
}

void RegistraAccionComprobante(const QString& TC, const QString& IdComprobante, QString& IdComplemento,
                               bool lEsAlta, bool lEsModificacion, bool sinUso, const QString& Descripcion,
                               const QString& Cuenta, bool bError)
{
    Q_UNUSED(sinUso);
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("RegistraAccionComprobante"));

    trap([&] {
        if (IdComplemento.isEmpty())
            IdComplemento = QStringLiteral("0");
    });

    // The eleven columns in the order of the statement; a value that fails
    // to compute stays empty and the row is still attempted.
    QList<CampoValor> campos(11);
    const char* columnas[] = {"TC",         "IdComprobante", "IdComplemento", "Tipo_accion",
                              "FECHAHORA",  "Usuario",       "PC",            "SYSTEMUSER",
                              "Proceso",    "ProcesoLote",   "Cuenta"};
    for (int i = 0; i < 11; ++i)
        campos[i].Campo = QString::fromLatin1(columnas[i]);

    trap([&] { campos[0].Valor = TextoSQL(Funciones::RellenaCodigo(Trim(TC), 4)); });
    trap([&] { campos[1].Valor = TextoSQL(IdComprobante); });
    trap([&] { campos[2].Valor = IdComplemento; });
    trap([&] {
        campos[3].Valor = u'\'' + (bError ? QStringLiteral("ER") : TipoAccionPorMarcas(lEsAlta, lEsModificacion)) + u'\'';
    });
    trap([&] { campos[4].Valor = TextoSQL(legacy::CStr(legacy::Variant(FechaServidor()))); });
    trap([&] { campos[5].Valor = TextoSQL(gUsuarioLogeado); });
    trap([&] { campos[6].Valor = TextoSQL(kapores2::Equipo::NombrePC()); });
    trap([&] { campos[7].Valor = TextoSQL(Trim(Funciones::CortaTexto(Descripcion, 255))); });
    trap([&] {
        campos[8].Valor =
            TextoSQL(Funciones::CortaTexto(Trim(legacy::App().exeName) + QStringLiteral(" ") + gParametroAdicional, 255));
    });
    trap([&] { campos[9].Valor = TextoSQL(Trim(Funciones::CortaTexto(Trim(gProcesoLote), 25))); });
    trap([&] { campos[10].Valor = TextoSQL(Trim(Funciones::CortaTexto(Trim(Cuenta), 15))); });
    gListaCampos = campos;

    QString sentencia = QStringLiteral(" INSERT INTO V_MV_CPTEACCIONES ");
    trap([&] { ArmaInsertValores(sentencia, campos, true); });
    trap([&] { gDB().EjecutaConsultaSQL(sentencia); });
}

void RegistraAccionComprobante(const QString& TC, const QString& IdComprobante, const QString& IdComplemento,
                               bool lEsAlta, bool lEsModificacion, bool sinUso, const QString& Descripcion,
                               const QString& Cuenta, bool bError)
{
    QString complemento = IdComplemento;
    RegistraAccionComprobante(TC, IdComprobante, complemento, lEsAlta, lEsModificacion, sinUso, Descripcion,
                              Cuenta, bError);
}

}  // namespace ModGlobal
