// DB_Dll: the error box of the database class and its log file.
#include "db/db_dll.h"

#include "db/lineaerrores.h"
#include "platform/legacy/format.h"
#include "platform/legacy/program.h"
#include "platform/legacy/textfile.h"
#include "platform/ui/dialogs.h"

int DB_Dll::TratamientoErrores(const legacy::ErrObject& CodErr, std::optional<int> Botones,
                               const std::optional<QString>& Rutina)
{
    return TratamientoErrores(legacy::VbError(CodErr.Number, CodErr.Description, CodErr.Source), Botones, Rutina);
}

// Never raises: whatever fails here (an unwritable log) is skipped, and the
// operator's answer still reaches the caller.
int DB_Dll::TratamientoErrores(const legacy::VbError& CodErr, std::optional<int> Botones,
                               const std::optional<QString>& Rutina)
{
    QString ruta;
    QString mensaje;
    QString titulo;
    try {
        ruta = gLogErr.isEmpty() ? legacy::JoinPath(legacy::App().path, QStringLiteral("JQERR.LOG")) : gLogErr;
    } catch (...) {
    }
    try {
        mensaje = errlog::MensajeError(CodErr);
    } catch (...) {
    }
    try {
        titulo = errlog::TituloError(CodErr, Rutina, QStringLiteral(" Aviso al operador!!! - 5 "));
    } catch (...) {
    }
    const int botones = Botones.value_or(ui::vbAbortRetryIgnore + ui::vbCritical);
    if (CodErr.Number == 0)
        return 0;

    int respuesta = 0;
    try {
        respuesta = ui::MsgBox(mensaje, botones, titulo);
    } catch (const legacy::VbError&) {
    }
    try {
        legacy::AppendLine(ruta, errlog::LineaLogErrores(legacy::Now(), Rutina, CodErr, respuesta));
    } catch (const legacy::VbError&) {
    }
    return respuesta;
}

legacy::ErrorHandler DB_Dll::errorHandler()
{
    return [this](const legacy::VbError& e, const QString& rutina) {
        return TratamientoErrores(e, std::nullopt, rutina);
    };
}
