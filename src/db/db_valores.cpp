// DB_Dll: a value as it goes into SQL text, and the classes of field types.
#include "db/db_dll.h"

#include "platform/kapores2/funciones.h"

using legacy::Variant;

legacy::Variant DB_Dll::SQLValue(Variant Valor, const QString& Tipo) const
{
    QString abre;
    QString cierra;
    if (Tipo == u"@") {
        if (Valor.IsNull())
            Valor = Variant(0);
        const legacy::Currency importe = kapores2::Funciones::TextoANumero(Variant(Valor.toString()));
        Valor = kapores2::Funciones::Reemplaza(Variant(importe).toString(), QStringLiteral(","), QStringLiteral("."));
    } else if (Tipo == u"'") {
        abre = cierra = QStringLiteral("'");
    }
    QString cuerpo;
    if (!Valor.IsNull()) {
        cuerpo = Valor.toString();
    } else {
        cuerpo = QStringLiteral("NULL");
        abre.clear();
        cierra.clear();
    }
    return Variant(abre + cuerpo + cierra);
}

legacy::Variant DB_Dll::SQLValue2(Variant Valor, const QString& Tipo) const
{
    return SQLValue(std::move(Valor), Tipo);
}

namespace {

bool EsUnoDe(const Variant& tipo, std::initializer_list<int> codigos)
{
    for (int c : codigos)
        if (legacy::Compare(tipo, Variant(c)) == 0)
            return true;
    return false;
}

// The class tests of currency and Boolean cannot answer for Null.
void RechazaNulo(const Variant& tipo)
{
    if (tipo.IsNull())
        throw legacy::VbError(94, legacy::VbError::defaultDescription(94));
}

}  // namespace

bool DB_Dll::adodate(const Variant& Qtype) const
{
    return EsUnoDe(Qtype, {ado::adDate, 64, ado::adDBDate, ado::adDBTime, ado::adDBTimeStamp, 137});
}

bool DB_Dll::ADOText(const Variant& Qtype) const
{
    return EsUnoDe(Qtype, {ado::adBSTR, ado::adChar, ado::adWChar, ado::adVarChar, ado::adLongVarChar,
                           ado::adVarWChar, ado::adLongVarWChar});
}

bool DB_Dll::ADONumeric(const Variant& Qtype) const
{
    return EsUnoDe(Qtype, {ado::adSmallInt, ado::adInteger, ado::adSingle, ado::adDouble, ado::adDecimal,
                           ado::adTinyInt, ado::adUnsignedTinyInt, ado::adUnsignedSmallInt, ado::adUnsignedInt,
                           ado::adBigInt, ado::adUnsignedBigInt, ado::adNumeric});
}

bool DB_Dll::ADOCurrency(const Variant& Qtype) const
{
    RechazaNulo(Qtype);
    return EsUnoDe(Qtype, {ado::adCurrency});
}

bool DB_Dll::ADOBoolean(const Variant& Qtype) const
{
    RechazaNulo(Qtype);
    return EsUnoDe(Qtype, {ado::adBoolean});
}

QString DB_Dll::ADOComilla(const Variant& Qtype) const
{
    return (adodate(Qtype) || ADOText(Qtype)) ? QStringLiteral("'") : QString();
}
