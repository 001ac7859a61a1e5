#pragma once
// One line of the error log "JQERR.LOG", shared by the two error dialogs
// (the database class's and the common services'):
//   mm-dd-yyyy hh:mm:ss Rutina: - name Mensaje Ha ocurrido el Siguiente
//   Error (n) description Respondió : word
#include "platform/legacy/date.h"
#include "platform/legacy/vberror.h"

#include <QString>

#include <optional>

namespace errlog {

// The word written for a message-box answer: 4 "Reintentar", 5 "Ignorar",
// 3 "Abortar", 2 "Cancelar", 6 "Sí", 7 "No", "" for any other.
QString PalabraRespuesta(int respuesta);
// "Ha ocurrido el Siguiente Error (n) " & the trimmed description.
QString MensajeError(const legacy::VbError& error);
// The box's title: source [" - " routine] suffix.
QString TituloError(const legacy::VbError& error, const std::optional<QString>& rutina, const QString& sufijo);
// The whole line, without its line end.
QString LineaLogErrores(const legacy::Date& momento, const std::optional<QString>& rutina,
                        const legacy::VbError& error, int respuesta);

}  // namespace errlog
