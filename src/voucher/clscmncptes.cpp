#include "voucher/clscmncptes.h"
#include "voucher/unallamada.h"

#include "core/configuracion.h"
#include "core/formato.h"
#include "core/modglobal.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/format.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"

#include <QApplication>

using legacy::Trim;

namespace {

using db_texto::EsSi;

// The input of the window a call works for, of the active one and of every
// window shown, held while the blockers last.
std::vector<std::unique_ptr<ui::InputBlocker>> RetieneVentanas(const QWidget* control)
{
    QList<QWidget*> ventanas;
    const auto agrega = [&](QWidget* w) {
        if (w && !ventanas.contains(w))
            ventanas << w;
    };
    agrega(control ? control->window() : nullptr);
    agrega(QApplication::activeWindow());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            agrega(w);
    std::vector<std::unique_ptr<ui::InputBlocker>> bloqueos;
    for (QWidget* w : ventanas)
        bloqueos.push_back(std::make_unique<ui::InputBlocker>(w));
    return bloqueos;
}


}  // namespace

ClsCmnCptes::UnaLlamada::UnaLlamada(ClsCmnCptes& cls, const QWidget* control)
    : cls_(cls), concedida_(!cls.llamadaEnCurso_)
{
    if (!concedida_)
        return;
    cls_.llamadaEnCurso_ = true;
    bloqueos_ = RetieneVentanas(control);
}

ClsCmnCptes::UnaLlamada::~UnaLlamada()
{
    if (concedida_)
        cls_.llamadaEnCurso_ = false;
}

ClsCmnCptes::ClsCmnCptes()
{
    // Its reads yield: a click meanwhile would start another call before
    // this object is ready.
    const auto retenidas = RetieneVentanas(nullptr);
    PIVA = ModGlobal::gUtilidades().TextoANumero(legacy::Variant(ModGlobal::Cfg(QStringLiteral("PIVA")))).toDouble();
    PIVARec = ModGlobal::gUtilidades().TextoANumero(legacy::Variant(ModGlobal::Cfg(QStringLiteral("PIVARec")))).toDouble();
    AsientosXStock = EsSi(ModGlobal::Cfg(QStringLiteral("AsientosXStock")));
    EntregadoMostrador = EsSi(ModGlobal::Cfg(QStringLiteral("entregado_mostrador")));
    // The leading number of the text, rounded half to even; error 6 when it
    // does not fit an Integer.
    gLenDesc = legacy::CInt(legacy::Variant(legacy::Val(ModGlobal::Cfg(QStringLiteral("LenDescripcion")))));
    if (gLenDesc == 0)
        gLenDesc = 100;
}

void ClsCmnCptes::ActualizaBuchon(const QString& TC, const QString& SucNroLetra, const QString& IdComplemento,
                                  bool lEsAlta, bool lEsModificacion, bool GeneraSentencia, QString* SentenciaSQL,
                                  const QString& NroAsiento, const QString& Cuenta, const QString& ProcesoLote,
                                  const QString& TipoAccion)
{
    Q_UNUSED(NroAsiento);
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("ActualizaBuchon"));
    QList<CampoValor>& campos = ModGlobal::gListaCampos;

    static const char* const kColumnas[] = {"TC",        "IdComprobante", "IdComplemento", "Tipo_accion",
                                            "FECHAHORA", "Usuario",       "PC",            "SYSTEMUSER",
                                            "Proceso",   "ProcesoLote",   "Cuenta"};
    campos = QList<CampoValor>(11);
    for (int i = 0; i < 11; ++i)
        campos[i].Campo = QString::fromLatin1(kColumnas[i]);
    QString sql = QStringLiteral(" INSERT INTO V_MV_CPTEACCIONES ");

    trap([&] { campos[0].Valor = ModGlobal::TextoSQL(ModGlobal::gUtilidades().RellenaCodigo(Trim(TC), 4)); });
    trap([&] { campos[1].Valor = ModGlobal::TextoSQL(SucNroLetra); });
    trap([&] { campos[2].Valor = IdComplemento; });
    trap([&] {
        campos[3].Valor =
            ModGlobal::TextoSQL(TipoAccion.isEmpty() ? ModGlobal::TipoAccionPorMarcas(lEsAlta, lEsModificacion) : TipoAccion);
    });
    trap([&] { campos[4].Valor = ModGlobal::TextoSQL(legacy::Format(legacy::Variant(legacy::Now()), ModGlobal::FormatoFechaHora())); });
    trap([&] { campos[5].Valor = ModGlobal::TextoSQL(ModGlobal::gUsuarioLogeado); });
    trap([&] { campos[6].Valor = ModGlobal::TextoSQL(ModGlobal::gEntorno().NombrePC()); });
    trap([&] { campos[7].Valor = ModGlobal::TextoSQL(legacy::App().exeName); });
    trap([&] {
        campos[8].Valor = ModGlobal::TextoSQL(
            ModGlobal::gUtilidades().CortaTexto(Trim(legacy::App().exeName) + QStringLiteral(" ") + ModGlobal::gParametroAdicional, 255));
    });
    trap([&] { campos[9].Valor = ModGlobal::TextoSQL(Trim(ModGlobal::gUtilidades().CortaTexto(Trim(ProcesoLote), 25))); });
    trap([&] { campos[10].Valor = ModGlobal::TextoSQL(Trim(ModGlobal::gUtilidades().CortaTexto(Trim(Cuenta), 15))); });

    trap([&] { ModGlobal::ArmaInsertValores(sql, campos, true); });
    trap([&] {
        if (GeneraSentencia) {
            if (SentenciaSQL)
                *SentenciaSQL = sql;
        } else {
            int registros = 0;
            ModGlobal::gDB().EjecutaConsultaSQL(sql, &registros);
        }
    });
}
