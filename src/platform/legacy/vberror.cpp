#include "platform/legacy/vberror.h"

namespace legacy {

VbError::VbError(long number, QString description, QString source)
    : Number(number), Description(std::move(description)), Source(std::move(source))
{
    if (Description.isEmpty())
        Description = defaultDescription(number);
}

QString VbError::defaultDescription(long number)
{
    switch (number) {
    case 3: return QStringLiteral("Return sin GoSub");
    case 5: return QStringLiteral("Llamada a procedimiento o argumento no válido");
    case 6: return QStringLiteral("Desbordamiento");
    case 7: return QStringLiteral("Memoria insuficiente");
    case 9: return QStringLiteral("El subíndice está fuera del intervalo");
    case 11: return QStringLiteral("División por cero");
    case 13: return QStringLiteral("No coinciden los tipos");
    case 28: return QStringLiteral("Espacio de pila insuficiente");
    case 52: return QStringLiteral("Nombre o número de archivo incorrecto");
    case 53: return QStringLiteral("No se ha encontrado el archivo");
    case 54: return QStringLiteral("Modo de archivo incorrecto");
    case 55: return QStringLiteral("El archivo ya está abierto");
    case 57: return QStringLiteral("Error de E/S en el dispositivo");
    case 58: return QStringLiteral("El archivo ya existe");
    case 61: return QStringLiteral("Disco lleno");
    case 62: return QStringLiteral("La entrada sobrepasa el final del archivo");
    case 63: return QStringLiteral("Número de registro incorrecto");
    case 68: return QStringLiteral("Dispositivo no disponible");
    case 70: return QStringLiteral("Permiso denegado");
    case 75: return QStringLiteral("Error de acceso a la ruta o al archivo");
    case 76: return QStringLiteral("No se ha encontrado la ruta de acceso");
    case 91: return QStringLiteral("Variable de tipo Object o la variable de bloque With no está establecida");
    case 92: return QStringLiteral("Bucle For no inicializado");
    case 94: return QStringLiteral("Uso no válido de Null");
    case 424: return QStringLiteral("Se requiere un objeto");
    case 429: return QStringLiteral("El componente ActiveX no puede crear el objeto");
    case 438: return QStringLiteral("El objeto no admite esta propiedad o método");
    case 440: return QStringLiteral("Error de automatización");
    case 457: return QStringLiteral("Esta clave ya está asociada a un elemento de esta colección");
    case 3021: return QStringLiteral("No hay ningún registro activo");
    case 3265: return QStringLiteral("No se encontró el elemento en la colección que corresponde con el nombre o el ordinal solicitado");
    case 3704: return QStringLiteral("No se permite realizar la operación si el objeto está cerrado");
    default: return QStringLiteral("Error definido por la aplicación o por el objeto");
    }
}

void ErrObject::Clear()
{
    Number = 0;
    Description.clear();
    Source.clear();
}

void ErrObject::set(const VbError& e)
{
    Number = e.Number;
    Description = e.Description;
    Source = e.Source;
}

void ErrObject::Raise(long number, const QString& source, const QString& description)
{
    VbError e(number, description, source);
    set(e);
    throw e;
}

ErrObject& Err()
{
    // One per thread, as the runtime keeps one per running program.
    thread_local ErrObject err;
    return err;
}

}  // namespace legacy
