#include "core/scripts.h"

#include "core/formato.h"
#include "core/tratamientoerrores.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/format.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/ui/dialogs.h"

using namespace legacy;
using kapores2::Funciones;

namespace ModGlobal {

namespace {

// Runs a statement on the main connection, ignoring whatever goes wrong.
void EjecutaSinError(const QString& sentencia)
{
    try {
        QString s = sentencia;
        gDB().EjecutaConsultaSQL(s);
    } catch (const VbError&) {
    }
}

QString LineaError(const ado::Error& e)
{
    return QString::number(e.NativeError) + QStringLiteral(" : ") + e.Description + QStringLiteral("\r\n");
}

}  // namespace

void GActualizarDatoScript(const QStringList& Lineas, bool& bHayError, long& NroError, bool bIgnora2627,
                           bool bIgnora547, QString& sSentencia, QString& sError, bool bMuestraMensaje)
{
    ErrorTrap trap(QStringLiteral("GActualizarDatoScript"), ManejadorErrores);
    QString batch;
    QString copia;
    long nativo = 0;
    QString texto;

    trap([&] {
        bHayError = false;
        batch.clear();
    });
    trap([&] {
        for (const QString& linea : Lineas) {
            if (!Trim(linea).isEmpty())
                batch += QStringLiteral("\r") + linea;
        }
    });
    if (trap.left() || batch.isEmpty())
        return;
    trap([&] { batch = QStringLiteral("BEGIN TRANSACTION \r\r") + batch + QStringLiteral("\r"); });
    if (trap.left())
        return;

    // The batch itself: its failures are read from the connection's errors.
    sSentencia = batch;
    try {
        copia = batch;
        gDB().EjecutaConsultaSQL(copia);
    } catch (const VbError&) {
    }

    // The provider's errors of the statement just run, which the execution
    // member leaves on the connection.
    const auto leeErrores = [&] {
        ado::ErrorCollection& errores = gDB().gCnn->Errors();
        if (errores.Count() < 1)
            return;
        nativo = errores(0).NativeError;
        // A failure without a native number (a time-out) is known by its own
        // number: a zero would read as no error.
        if (nativo == 0)
            nativo = errores(0).Number;
        bHayError = true;
        texto.clear();
        if (errores.Count() == 1) {
            texto += LineaError(errores(0));
            sError = texto;
        } else {
            // The provider's last entry repeats the batch's end; it is left out.
            for (int i = 0; i <= errores.Count() - 2; ++i) {
                texto += LineaError(errores(i));
                sError = texto;
            }
        }
        if (bIgnora2627 && nativo == 2627) {
            sError = errores(0).Description;
            texto.clear();
        }
        if (bIgnora547 && nativo == 547) {
            sError = errores(0).Description;
            texto.clear();
        }
        errores.Clear();
    };
    trap(leeErrores);
    if (trap.left())
        return;

    // A commit the database refuses (another station still reading the file
    // after the whole wait) passes the execution member silently: its error
    // is read from the connection like the batch's, and the script fails as
    // a failed batch does, rolled back so that nothing of it stays open.
    if (!bHayError) {
        trap([&] { gDB().EjecutaConsultaSQL(QStringLiteral("COMMIT TRANSACTION")); });
        trap(leeErrores);
        if (trap.left())
            return;
    }
    if (bHayError) {
        EjecutaSinError(QStringLiteral("ROLLBACK TRANSACTION"));
        trap([&] {
            bHayError = true;
            GrabaErrorAux(copia, App().exeName, nativo, texto);
        });
        trap([&] {
            if (!Trim(texto).isEmpty() && bMuestraMensaje)
                ui::MsgBox(texto, ui::vbCritical + ui::vbOKOnly, QStringLiteral("Aviso al Operador!"));
        });
    }
    if (trap.left())
        return;
    NroError = nativo;
}

void GrabaErrorAux(const QString& Sentencia, QString& Proceso, long NroError, const QString& Descripcion)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("GrabaErrorAux"));
    std::shared_ptr<ado::Recordset> rs;
    trap([&] {
        if (Trim(Proceso).isEmpty())
            Proceso = App().exeName;
    });
    trap([&] {
        gDB().AbrirRecordset(QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) "), rs, nullptr, 2, 3, -1,
                             true);
    });
    trap([&] { rs->AddNew(); });
    trap([&] { rs->Fields("Proceso") = Variant(Proceso); });
    trap([&] { rs->Fields("fecha") = Variant(Format(Variant(Now()), FormatoFechaHora())); });
    trap([&] { rs->Fields("Error") = Variant(std::int32_t(NroError)); });
    trap([&] { rs->Fields("Descripcion") = Variant(Funciones::CortaTexto(Descripcion, 250)); });
    trap([&] { rs->Fields("sql") = Variant(Sentencia); });
    trap([&] { rs->Fields("PC") = Variant(kapores2::Equipo::NombrePC()); });
    trap([&] { rs->Fields("Usuario") = Variant(gUsuarioLogeado); });
    trap([&] { rs->Update(); });
    trap([&] {
        if (rs && rs->EditMode() != ado::adEditNone)
            rs->CancelUpdate();
    });
    trap([&] { gDB().CierraRecordset(rs); });
}

void GrabaErrorAux(const QString& Sentencia, const QString& Proceso, long NroError, const QString& Descripcion)
{
    QString copia = Proceso;
    GrabaErrorAux(Sentencia, copia, NroError, Descripcion);
}

}  // namespace ModGlobal
