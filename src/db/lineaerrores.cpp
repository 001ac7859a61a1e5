#include "db/lineaerrores.h"

#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"

namespace errlog {

QString PalabraRespuesta(int respuesta)
{
    switch (respuesta) {
    case 4: return QStringLiteral("Reintentar");
    case 5: return QStringLiteral("Ignorar");
    case 3: return QStringLiteral("Abortar");
    case 2: return QStringLiteral("Cancelar");
    case 6: return QStringLiteral("Sí");
    case 7: return QStringLiteral("No");
    default: return QString();
    }
}

QString MensajeError(const legacy::VbError& error)
{
    return QStringLiteral("Ha ocurrido el Siguiente Error (") + QString::number(error.Number) + QStringLiteral(") ") +
           legacy::Trim(error.Description);
}

QString TituloError(const legacy::VbError& error, const std::optional<QString>& rutina, const QString& sufijo)
{
    QString titulo = error.Source;
    if (rutina)
        titulo += QStringLiteral(" - ") + *rutina;
    return titulo + sufijo;
}

namespace {

// The log keeps one entry a line: a line break inside a text (CR LF, CR or
// LF) is written as one blank. The box shows the text as it is.
QString EnUnaLinea(QString texto)
{
    texto.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    texto.replace(u'\r', u' ');
    texto.replace(u'\n', u' ');
    return texto;
}

}  // namespace

QString LineaLogErrores(const legacy::Date& momento, const std::optional<QString>& rutina,
                        const legacy::VbError& error, int respuesta)
{
    const QString textoRutina = rutina ? legacy::Trim(QStringLiteral(" - ") + EnUnaLinea(*rutina)) : QString();
    legacy::VbError enUnaLinea = error;
    enUnaLinea.Description = EnUnaLinea(error.Description);
    return legacy::Format(momento, QStringLiteral("mm-dd-yyyy")) + QStringLiteral(" ") +
           legacy::Format(momento, QStringLiteral("hh:mm:ss")) + QStringLiteral(" Rutina: ") + textoRutina +
           QStringLiteral(" Mensaje ") + legacy::Trim(MensajeError(enUnaLinea)) + QStringLiteral(" Respondió : ") +
           PalabraRespuesta(respuesta);
}

}  // namespace errlog
