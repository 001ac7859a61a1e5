// Helpers shared by the numbering and stock modules.
#include "numbering/comunes.h"

#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/stock.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/vberror.h"

using kapores2::Funciones;
using legacy::Variant;

namespace numeracion {

QString Codigo(const QString& valor, int ancho)
{
    return ModGlobal::DuplicaApostrofes(Funciones::RellenaCodigo(valor, ancho));
}

bool EsUno(const QString& valor, std::initializer_list<const char*> palabras)
{
    const QString v = legacy::Trim(valor);
    for (const char* p : palabras)
        if (Iguales(v, QString::fromLatin1(p)))
            return true;
    return false;
}

QString LetraValida(const QString& letra)
{
    const QString l = legacy::UCase(legacy::Trim(letra));
    if (l.isEmpty())
        return QStringLiteral("X");
    if (l.size() == 1 && Stock::LetrasComprobante.split(u',').contains(l))
        return l;
    return {};
}

QString Columna(const QString& letra, const QString& sufijo)
{
    const QString l = legacy::UCase(legacy::Trim(letra));
    if (l.size() != 1 || !Stock::LetrasComprobante.split(u',').contains(l))
        throw legacy::VbError(5, QStringLiteral("La letra Informada no es Valida: ") + letra);
    return l + sufijo;
}

QString ColumnaVence(const QString& letra)
{
    return QStringLiteral("Vence") + Columna(letra, {});
}

QString Sucursal4(const Variant& valor)
{
    return legacy::Format(Variant(Funciones::TextoANumero(valor)), QStringLiteral("0000"));
}

QString Numero8(const Variant& valor)
{
    return legacy::Format(Variant(Funciones::TextoANumero(valor)), QStringLiteral("00000000"));
}

QString Siguiente(const Variant& m)
{
    const legacy::Currency n = Funciones::TextoANumero(m) + legacy::Currency(1);
    if (n > legacy::Currency(99999999))
        throw legacy::VbError(6, QStringLiteral("Overflow: el número siguiente a 99999999 no cabe en el comprobante"));
    return legacy::Format(Variant(n), QStringLiteral("00000000"));
}

bool Abre(const QString& sql, RS& rs, bool enGCnn)
{
    DB_Dll& db = ModGlobal::gDB();
    db.AbrirRecordset(sql, rs, enGCnn ? db.gCnn : nullptr, 0, 1, -1, true);
    return !rs->Bof();
}

Variant Campo(const RS& rs, const QString& nombre)
{
    if (rs->Bof() || rs->Eof())
        return Variant::Null();
    return rs->Fields(nombre).Value();
}

}  // namespace numeracion
