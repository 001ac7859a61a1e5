// DB_Dll: names of database objects, and tests and changes of the schema.
#include "db/db_dll.h"

#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/legacy/strings.h"

using namespace db_texto;
using legacy::Variant;

QString DB_Dll::stSTF(QString& rsName, int rnPart)
{
    const long primero = legacy::InStr(rsName, QStringLiteral("."));
    if (primero == 0)
        return rsName;
    if (legacy::InStr(primero + 1, rsName, QStringLiteral(".")) > 0)
        return StripOwner(rsName);
    return rnPart != 0 ? legacy::Mid(rsName, primero + 1) : legacy::Left(rsName, primero - 1);
}

QString DB_Dll::AddBrackets(const QString& rObjName) const
{
    if (legacy::InStr(rObjName, QStringLiteral(" ")) > 0 && !rObjName.startsWith(u'['))
        return QStringLiteral("[") + rObjName + QStringLiteral("]");
    return rObjName;
}

QString DB_Dll::StripConnect(const QString& rsTblName) const
{
    const long p = legacy::InStr(rsTblName, QStringLiteral("->"));
    if (p == 0)
        return rsTblName;
    return legacy::Left(rsTblName, p - 2);
}

QString DB_Dll::StripBrackets(const QString& rsObjName) const
{
    if (!rsObjName.startsWith(u'['))
        return rsObjName;
    return legacy::Mid(rsObjName, 2, legacy::Len(rsObjName) - 2);
}

QString DB_Dll::StripOwner(QString& rsTblName) const
{
    const long p = legacy::InStr(rsTblName, QStringLiteral("."));
    if (p > 0)
        rsTblName = legacy::Mid(rsTblName, p + 1);
    return rsTblName;
}

// The folder part of a path ("" for a bare file name). Both separators count:
// the suite's paths carry backslashes, this system's slashes.
QString DB_Dll::StripFileName(const QString& rsFileName) const
{
    try {
        const long p = std::max(legacy::InStrRev(rsFileName, QStringLiteral("\\")),
                                legacy::InStrRev(rsFileName, QStringLiteral("/")));
        if (p == 0)
            return QString();
        return legacy::Left(rsFileName, p - 1);
    } catch (const legacy::VbError&) {
        return QString();
    }
}

void DB_Dll::AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos,
                      const std::optional<Variant>& ValorDefault)
{
    legacy::ErrorTrap trap(QStringLiteral("errAddField"), ModGlobal::gDB().errorHandler());
    QString nulos;
    QString porDefecto;
    QString sentencia;
    trap([&] { nulos = PermiteNulos ? QStringLiteral(" Null ") : QStringLiteral(" Not Null "); });
    trap([&] {
        if (ValorDefault)
            porDefecto = QStringLiteral(" CONSTRAINT DF_") + legacy::Trim(Tabla) + QStringLiteral("_") +
                         legacy::Trim(Campo) + QStringLiteral(" DEFAULT (") + ValorDefault->toString() +
                         QStringLiteral(")");
    });
    trap([&] {
        sentencia = QStringLiteral("ALTER TABLE dbo.") + Tabla + QStringLiteral(" ADD ") + Campo + QStringLiteral(" ") +
                    Tipo + nulos + porDefecto;
    });
    trap([&] { EjecutaConsultaSQL(sentencia); });
}

bool DB_Dll::ExisteTablaDB(const QString& Tabla)
{
    bool existe = false;
    legacy::ErrorTrap trap(QStringLiteral("VerificaCampos"), ModGlobal::gDB().errorHandler());
    std::shared_ptr<ado::Recordset> tablas;
    trap([&] {
        if (!gCnn)
            gCnn = std::make_shared<ado::Connection>();
    });
    trap([&] { tablas = gCnn->OpenSchema(ado::adSchemaTables); });
    trap([&] {
        if (!tablas || (tablas->Bof() && tablas->Eof()))
            return;
        const QString buscada = legacy::Trim(Tabla);
        while (!tablas->Eof()) {
            if (Iguales(legacy::Trim(tablas->Fields("TABLE_NAME").Value().toString()), buscada)) {
                existe = true;
                return;
            }
            tablas->MoveNext();
        }
    });
    return existe;
}

bool DB_Dll::ExisteCampoDB(const QString& Tabla, const QString& Campo)
{
    if (Contiene(ModGlobal::gDB().gProveedor, QStringLiteral("ORACLE")))
        return true;
    bool existe = false;
    legacy::ErrorTrap trap(QStringLiteral("VerificaCampos"), ModGlobal::gDB().errorHandler());
    std::shared_ptr<ado::Recordset> columnas;
    trap([&] {
        columnas = gCnn->OpenSchema(ado::adSchemaColumns,
                                    legacy::VariantList{Variant(gDBName), Variant(), Variant(Tabla), Variant()});
    });
    trap([&] {
        const QString buscado = legacy::Trim(Campo);
        while (columnas && !columnas->Eof()) {
            if (Iguales(legacy::Trim(columnas->Fields("COLUMN_NAME").Value().toString()), buscado)) {
                existe = true;
                return;
            }
            columnas->MoveNext();
        }
    });
    return existe;
}

bool DB_Dll::VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar, const QString& Tipo,
                        bool PermiteNulos, const std::optional<Variant>& ValorDefault)
{
    if (ExisteTablaDB(Tabla) && !ExisteCampoDB(Tabla, Campo) && Agregar)
        AddField(Tabla, Campo, Tipo, PermiteNulos, ValorDefault);
    return true;
}
