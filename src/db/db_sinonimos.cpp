// DB_Dll: users who are not administrators read seven confidential tables
// through synonyms (the table's name with "SS_" in front), never directly.
#include "db/db_dll.h"

#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/legacy/program.h"

using namespace db_texto;

namespace {

// An owner ("dbo.") or a bracket before the name does not hide the table
// either: "dbo.MV_ASIENTOS" and "[MV_ASIENTOS]" are the same table.
bool EsSeparadorAntes(QChar c, bool conLlave)
{
    return c == u' ' || c == u'(' || c == u',' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'.' ||
           c == u'[' || (conLlave && c == u'{');
}

bool EsSeparadorDespues(QChar c)
{
    return c == u' ' || c == u'.' || c == u')' || c == u',' || c == u'\t' || c == u'\r' || c == u'\n' ||
           c == u']';
}

// Every whole occurrence of `nombre` (any letter case) that stands after a
// blank, "(", ",", ".", "[" or a line break and before a blank, ".", ")",
// ",", "]", a line break or the end of the statement becomes `sinonimo`. A
// name at the very start of the text, or glued to a longer name (SS_...,
// @Admin_...) is not a table name in one of those positions and stays.
QString ReemplazaNombre(const QString& texto, const QString& nombre, const QString& sinonimo, bool conLlave = false)
{
    QString resultado;
    resultado.reserve(texto.size() + 16);
    qsizetype desde = 0;
    for (;;) {
        const qsizetype k = texto.indexOf(nombre, desde, Qt::CaseInsensitive);
        if (k < 0)
            break;
        const qsizetype fin = k + nombre.size();
        const bool antes = k > 0 && EsSeparadorAntes(texto.at(k - 1), conLlave);
        const bool despues = fin == texto.size() || EsSeparadorDespues(texto.at(fin));
        resultado += QStringView(texto).mid(desde, k - desde);
        resultado += (antes && despues) ? sinonimo : texto.mid(k, nombre.size());
        desde = fin;
    }
    resultado += QStringView(texto).mid(desde);
    return resultado;
}

}  // namespace

QString DB_Dll::SS_TSinonimos(const QString& sql) const
{
    const QString marca = QStringLiteral("@Admin_");
    QString s = sql;
    if (gEsAdmin)
        return ReemplazaTodo(s, marca, QString());

    const QString programa = legacy::App().exeName;

    if (!Contiene(s, QStringLiteral("MV_ASIENTOS")) || ModGlobal::SSConfidencialidad) {
        s = ReemplazaNombre(s, QStringLiteral("MA_CUENTAS"), QStringLiteral("SS_MA_CUENTAS"), true);
        if (Contiene(s, marca)) {
            s = ReemplazaTodo(s, QStringLiteral("@Admin_MA_CUENTAS"), QStringLiteral("MA_CUENTAS"));
            s = ReemplazaTodo(s, QStringLiteral("SS_MA_CUENTAS"), QStringLiteral("MA_CUENTAS"));
        }
    }
    if (!Iguales(programa, QStringLiteral("MELQUIADO_TRUSPAVE")) && !Iguales(programa, QStringLiteral("GANZUBEL")))
        s = ReemplazaNombre(s, QStringLiteral("V_TA_DEPOSITO"), QStringLiteral("SS_V_TA_DEPOSITO"));
    s = ReemplazaNombre(s, QStringLiteral("MV_ASIENTOS"), QStringLiteral("SS_MV_ASIENTOS"));
    if (!Iguales(programa, QStringLiteral("FIRPOLE")) && !Iguales(programa, QStringLiteral("ZEQ")))
        s = ReemplazaNombre(s, QStringLiteral("V_TA_FAMILIAS"), QStringLiteral("SS_V_TA_FAMILIAS"));
    s = ReemplazaNombre(s, QStringLiteral("V_TA_CAJAS"), QStringLiteral("SS_V_TA_CAJAS"));
    s = ReemplazaNombre(s, QStringLiteral("AC_CUENTASDIARIO"), QStringLiteral("SS_AC_CUENTASDIARIO"));
    s = ReemplazaNombre(s, QStringLiteral("AC_CUENTASDIARIO_CCOSTO"), QStringLiteral("SS_AC_CUENTAS_DIARIO_CCOSTO"));
    return ReemplazaTodo(s, marca, QString());
}
