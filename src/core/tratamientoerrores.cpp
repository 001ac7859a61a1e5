#include "core/tratamientoerrores.h"

#include "db/lineaerrores.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/textfile.h"
#include "platform/ui/dialogs.h"

#include <QFile>

namespace ModGlobal {

// The folder named by TMP, taken only when TEMP is set; otherwise the
// program's own default folder.
QString RutaLogErrores()
{
    QString carpeta;
    if (!qEnvironmentVariable("TEMP").isEmpty())
        carpeta = legacy::Trim(qEnvironmentVariable("TMP"));
    if (carpeta.isEmpty())
        carpeta = kapores2::Equipo::CarpetaPorDefecto();
    carpeta = kapores2::Funciones::CompletaRuta(carpeta);
    if (!carpeta.endsWith(u'/') && !carpeta.endsWith(u'\\'))
        carpeta += u'/';
    return carpeta + QStringLiteral("JQERR.LOG");
}

int TratamientoErrores(const legacy::ErrObject& ErrObj, std::optional<int> Botones,
                       const std::optional<QString>& Rutina)
{
    return TratamientoErrores(legacy::VbError(ErrObj.Number, ErrObj.Description, ErrObj.Source), Botones, Rutina);
}

// Never raises: a failure here (an unwritable log) is skipped, and the
// answer still reaches the caller. The log file is opened before the error
// number is looked at, so even a call for error 0 leaves the file in place.
int TratamientoErrores(const legacy::VbError& ErrObj, std::optional<int> Botones,
                       const std::optional<QString>& Rutina)
{
    QFile log;
    try {
        log.setFileName(RutaLogErrores());
        log.open(QIODevice::WriteOnly | QIODevice::Append);
    } catch (...) {
    }
    QString mensaje;
    QString titulo;
    try {
        mensaje = errlog::MensajeError(ErrObj);
        titulo = errlog::TituloError(ErrObj, Rutina, QStringLiteral(" Aviso al operador!!! - 2 "));
    } catch (...) {
    }
    if (ErrObj.Number == 0)
        return 0;

    int respuesta = 0;
    try {
        respuesta = ui::MsgBox(mensaje, Botones.value_or(ui::vbAbortRetryIgnore + ui::vbCritical), titulo);
    } catch (const legacy::VbError&) {
    }
    try {
        if (log.isOpen())
            log.write(legacy::toWin1252(errlog::LineaLogErrores(legacy::Now(), Rutina, ErrObj, respuesta)) +
                      QByteArrayLiteral("\r\n"));
    } catch (...) {
    }
    return respuesta;
}

int ManejadorErrores(const legacy::VbError& error, const QString& rutina)
{
    return TratamientoErrores(error, std::nullopt, rutina);
}

}  // namespace ModGlobal
