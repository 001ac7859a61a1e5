// Row, account and lot lookups of the common services.
#include "core/busquedas.h"

#include "platform/legacy/textconv.h"

#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/ado/connection.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/textconv.h"
#include "platform/ui/dialogs.h"

using legacy::Trim;
using legacy::Variant;

namespace {

bool EsTipo(const Variant& tipo, int n)
{
    return !tipo.IsEmpty() && !tipo.IsNull() && legacy::Compare(tipo, Variant(n)) == 0;
}

}  // namespace

bool ModGlobal::ExisteRegistro(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                               std::shared_ptr<ado::Recordset>* LRCS, const Variant& Tipodato,
                               const QString& Condicion, bool SoloLectura)
{
    DB_Dll& db = gDB();
    const QString cabeza = QStringLiteral("SELECT * FROM ") + Tabla + QStringLiteral("  with(nolock)  WHERE ");
    QString sentencia;
    if (Condicion.isEmpty()) {
        if (EsTipo(Tipodato, 8))
            // The value goes between apostrophes: one typed inside it is doubled.
            sentencia = cabeza + QStringLiteral("LTRIM(RTRIM(") + Campo + QStringLiteral(")) ='") +
                        DuplicaApostrofes(ValorBuscado) + QStringLiteral("'");
        else if (EsTipo(Tipodato, 7))
            sentencia = cabeza + Campo + QStringLiteral(" = ") + db.ComparacionFecha(ValorBuscado, false) +
                        QStringLiteral(" ");
        else if (EsTipo(Tipodato, 3) || EsTipo(Tipodato, 5) || EsTipo(Tipodato, 4))
            sentencia = cabeza + Campo + QStringLiteral(" = ") + DB_Dll::ComparacionNumero(ValorBuscado);
        else
            sentencia = cabeza + Campo + QStringLiteral(" = ") + ValorBuscado;
    } else {
        sentencia = QStringLiteral("SELECT * FROM ") + Tabla + QStringLiteral(" with(nolock)  ") +
                    (db_texto::ContieneFuera(Condicion, QStringLiteral(" WHERE "))
                         ? QStringLiteral(" ")
                         : QStringLiteral(" WHERE ")) +
                    Condicion;
    }

    legacy::ErrorTrap trap(QStringLiteral("ExisteRegistro"), [](const legacy::VbError& e, const QString&) {
        return ui::MsgBox(e.Description, ui::vbAbortRetryIgnore + ui::vbCritical, QStringLiteral("Aviso al Operador"));
    });
    trap([&] { sentencia = db.SS_TSinonimos(sentencia); });
    return db.HayFilas(trap, sentencia, db.gCnn, LRCS, SoloLectura);
}

bool ModGlobal::ExisteCuenta(QString& Codigo, std::shared_ptr<ado::Recordset>& LRCS, bool SoloLectura,
                             bool& PorCodigoOpcional)
{
    DB_Dll& db = gDB();
    const int cursor = SoloLectura ? ado::adOpenForwardOnly : ado::adOpenDynamic;
    const int bloqueo = SoloLectura ? ado::adLockReadOnly : ado::adLockOptimistic;
    auto consulta = [&](bool porOpcional) {
        const QString campo = porOpcional ? QStringLiteral("CodigoOpcional") : QStringLiteral("Codigo");
        db.AbrirRecordset(QStringLiteral("SELECT * FROM MA_CUENTAS  with(nolock)  WHERE ") + campo +
                              QStringLiteral(" =  '") + DuplicaApostrofes(Codigo) + QStringLiteral("'"),
                          LRCS, nullptr, cursor, bloqueo, -1, true);
        return !LRCS->Bof();
    };
    auto tomaCodigo = [&] { Codigo = LRCS->Fields("Codigo").Value().toString(); };

    if (consulta(PorCodigoOpcional)) {
        tomaCodigo();
        return true;
    }
    if (PorCodigoOpcional)
        return consulta(false);
    if (consulta(true)) {
        PorCodigoOpcional = true;
        tomaCodigo();
        return true;
    }
    return false;
}

void ModGlobal::DatosDespacho(const QString& NroLote, QString& ControladoPor, QString& IdOrigen)
{
    DB_Dll& db = gDB();
    std::shared_ptr<ado::Recordset> rs;
    db.AbrirRecordset(QStringLiteral(" select * from stk_despachos where ltrim(rtrim(NroLote)) = '") +
                          DuplicaApostrofes(Trim(NroLote)) + QStringLiteral(" '"),
                      rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    if (!rs->Bof()) {
        const QString controlado = Trim(kapores2::Funciones::ValorNoNulo(rs->Fields("ControladoPor").Value()).toString());
        if (!controlado.isEmpty())
            ControladoPor = controlado;
        if (!Trim(kapores2::Funciones::ValorNoNulo(rs->Fields("Descripcion").Value()).toString()).isEmpty())
            IdOrigen = Trim(kapores2::Funciones::ValorNoNulo(rs->Fields("IdOrigen").Value()).toString());
    }
    db.CierraRecordset(rs);
}
