// DB_Dll: the suite writes its SQL for SQL Server; on an Oracle connection
// statements are rewritten into the Oracle dialect by a fixed chain of text
// rules, and scripts are run statement by statement.
#include "db/db_dll.h"

#include "db/db_texto.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"

#include <algorithm>

using namespace db_texto;
using legacy::InStr;
using legacy::Variant;

namespace {

const QString kFormatoFecha = QStringLiteral("'DD/MM/YYYY'");

// "SELECT TOP n ..." becomes a ROWNUM condition placed before the grouping
// and ordering clauses.
QString LimiteDeFilas(const QString& valor)
{
    const long k = InStr(valor, QStringLiteral("top"), legacy::vbTextCompare);
    const QString cabeza = legacy::Left(valor, k - 1);
    const QString resto = legacy::Trim(legacy::Mid(valor, k + 3));
    const long blanco = InStr(resto, QStringLiteral(" "));
    const QString n = legacy::Left(resto, blanco - 1);
    QString cuerpo = legacy::Mid(resto, blanco + 1);

    QString colaGrupo;
    QString colaOrden;
    if (const long g = InStr(valor, QStringLiteral(" GROUP BY "), legacy::vbTextCompare); g > 0)
        colaGrupo = legacy::Mid(valor, g);
    else if (const long o = InStr(valor, QStringLiteral("ORDER BY "), legacy::vbTextCompare); o > 0)
        colaOrden = legacy::Mid(valor, o);
    const QString limite = Contiene(valor, QStringLiteral(" WHERE ")) ? QStringLiteral(" AND ROWNUM <= ") + n
                                                                     : QStringLiteral(" WHERE ROWNUM <= ") + n;
    if (!legacy::Trim(colaGrupo).isEmpty())
        cuerpo = ReemplazaTodo(cuerpo, legacy::Trim(colaGrupo), QStringLiteral(" "));
    if (!legacy::Trim(colaOrden).isEmpty())
        cuerpo = ReemplazaTodo(cuerpo, legacy::Trim(colaOrden), QStringLiteral(" "));
    return cabeza + QStringLiteral(" ") + cuerpo + QStringLiteral(" ") + limite + QStringLiteral(" ") + colaGrupo +
           QStringLiteral(" ") + colaOrden;
}

// Quoted texts that are dates become TO_DATE calls. The texts are taken in
// pairs of apostrophes from the statement as it was before this rule.
QString FechasEntreComillas(const QString& texto)
{
    QString copia = texto;
    long desde = 1;
    for (;;) {
        const long abre = InStr(desde, texto, QStringLiteral("'"));
        if (abre == 0)
            break;
        const long cierra = InStr(abre + 1, texto, QStringLiteral("'"));
        const QString citado = legacy::Mid(texto, abre + 1, cierra - abre - 1);
        if (!citado.isEmpty() && legacy::IsDate(Variant(citado))) {
            const QString fecha = legacy::Format(Variant(legacy::CDate(Variant(citado))), QStringLiteral("dd/mm/yyyy"));
            copia = ReemplazaTodo(copia, QStringLiteral("'") + citado + QStringLiteral("'"),
                                  QStringLiteral("TO_DATE('") + fecha + QStringLiteral("',") + kFormatoFecha +
                                      QStringLiteral(")"));
        }
        desde = cierra + 1;
    }
    while (Contiene(copia, QStringLiteral("TO_DATE(TO_DATE("))) {
        copia = ReemplazaTodo(copia, QStringLiteral("TO_DATE(TO_DATE("), QStringLiteral("TO_DATE("));
        copia = ReemplazaTodo(copia, kFormatoFecha + QStringLiteral("),") + kFormatoFecha + QStringLiteral(")"),
                              kFormatoFecha + QStringLiteral(")"));
    }
    return copia;
}

// Style 103 of a conversion to text is the day-first date format.
QString Estilo103(QString texto)
{
    long desde = 1;
    for (;;) {
        const long k = InStr(desde, texto, QStringLiteral("103"));
        if (k == 0)
            break;
        const long parentesis = legacy::InStrRev(texto, QStringLiteral("("), k);
        if (parentesis >= 8 && Iguales(legacy::Mid(texto, parentesis - 7, 8), QStringLiteral("TO_CHAR(")))
            texto = legacy::Left(texto, k - 1) + kFormatoFecha + legacy::Mid(texto, k + 3);
        desde = k + 3;
    }
    return texto;
}

}  // namespace

QString DB_Dll::ORACLE_Dicc(const QString& Valor)
{
    QString t = Valor;
    if (!Contiene(gConnString, QStringLiteral("ORACLE")))
        return t;
    if (kapores2::Funciones::CuentaPalabras(Valor) < 2)
        return Valor.toUpper() == u"LEN" ? QStringLiteral("LENGTH") : Valor;

    if (Contiene(Valor, QStringLiteral("top ")))
        t = LimiteDeFilas(Valor);
    for (const char* len : {" LEN(", " LEN (", " LEN  (", " LEN   (", " LEN    ("})
        t = ReemplazaTodo(t, QString::fromLatin1(len), QStringLiteral(" LENGTH("));
    t = ReemplazaTodo(t, QStringLiteral("["), QStringLiteral("\""));
    t = ReemplazaTodo(t, QStringLiteral("]"), QStringLiteral("\""));
    t = FechasEntreComillas(t);
    t = ReemplazaTodo(t, QStringLiteral("Charindex"), QStringLiteral("InStr"));
    t = ReemplazaTodo(t, QStringLiteral("CONVERT(NVARCHAR,"), QStringLiteral("TO_CHAR("));
    t = ReemplazaTodo(t, QStringLiteral("CONVERT(INT,"), QStringLiteral("TO_NUMBER("));
    if (const long w = InStr(t, QStringLiteral("WHERE "), legacy::vbTextCompare); w > 0) {
        QString resto = legacy::Mid(t, w);
        resto = ReemplazaTodo(resto, QStringLiteral("= ''"), QStringLiteral(" IS NULL "));
        resto = ReemplazaTodo(resto, QStringLiteral("=''"), QStringLiteral(" IS NULL "));
        t = legacy::Left(t, w - 1) + resto;
    }
    t = Estilo103(t);
    t = ReemplazaTodo(t, QStringLiteral("SUBSTRING("), QStringLiteral("SUBSTR("));
    t = ReemplazaTodo(t, QStringLiteral("ISNULL("), QStringLiteral("NVL("));
    return t;
}

QString DB_Dll::DepuraSentenciaOracle(QString& sentencia)
{
    if (Contiene(sentencia, QStringLiteral("SET NOCOUNT")) || Contiene(sentencia, QStringLiteral("IF NOT EXIST"))) {
        sentencia.clear();
        return QString();
    }
    return sentencia;
}

QString DB_Dll::EjecutaScriptOracle(QString& script, int& recordsAffected)
{
    static const std::pair<const char*, const char*> limpieza[] = {
        {"SET NOCOUNT ON", ""},
        {"SET NOCOUNT OFF", ""},
        {" GO ", " "},
        {"\r\nGO ", " "},
        {"\r\nGO\r\n", " "},
        {"\r\n", " "},
        {"\r", " "},
        {"BEGIN TRANSACTION", "SET TRANSACTION"},
        {"BEGIN TRANS", "SET TRANSACTION"},
        {"COMMIT TRANSACTION", "COMMIT"},
        {"COMMIT TRANS", "COMMIT"},
        {"ROLLBACK TRANSACTION", "ROLLBACK"},
        {"ROLLBACK TRANS", "ROLLBACK"},
    };
    for (const auto& [buscado, nuevo] : limpieza)
        script = ReemplazaTodo(script, QString::fromLatin1(buscado), QString::fromLatin1(nuevo));

    static const char* const claves[] = {"INSERT ", "DELETE ", "UPDATE ", "CREATE ", "DROP ", "ALTER ",
                                         "SET TRANSACTION", "COMMIT", "ROLLBACK", "IF NOT EXIST", "IF EXIST", "GRANT "};
    constexpr long kNinguna = 1999999;
    auto primeraClave = [&](long desde) {
        long menor = kNinguna;
        for (const char* clave : claves) {
            const long p = InStr(desde, script, QString::fromLatin1(clave), legacy::vbTextCompare);
            if (p > 0)
                menor = std::min(menor, p);
        }
        return menor;
    };

    for (;;) {
        if (script.isEmpty())
            break;
        const long inicio = primeraClave(1);
        if (inicio == kNinguna)
            break;
        const long siguiente = inicio < legacy::Len(script) ? primeraClave(inicio + 1) : kNinguna;
        QString parte = legacy::Trim(legacy::Mid(script, inicio, siguiente - inicio));
        script = siguiente == kNinguna ? QString() : legacy::Mid(script, siguiente);

        if (Iguales(parte, QStringLiteral("SET TRANSACTION"))) {
            gCnn->BeginTrans();
        } else if (Iguales(parte, QStringLiteral("COMMIT"))) {
            gCnn->CommitTrans();
        } else if (Iguales(parte, QStringLiteral("ROLLBACK"))) {
            gCnn->RollbackTrans();
        } else {
            parte = ORACLE_Dicc(parte);
            parte = DepuraSentenciaOracle(parte);
            if (!legacy::Trim(parte).isEmpty()) {
                int filas = 0;
                gCnn->Execute(parte, &filas, -1);
                recordsAffected += filas;
            }
        }
    }
    ado::ErrorCollection& errores = gCnn->Errors();
    if (errores.Count() == 1 && errores.Item(0).Number == 265929)
        errores.Clear();
    return QString();
}
