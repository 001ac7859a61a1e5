// DB_Dll: the suite writes its SQL for SQL Server; on an Oracle connection
// statements are rewritten into the Oracle dialect by a fixed chain of text
// rules, and scripts are run statement by statement.
#include "db/db_dll.h"
#include "db/db_oracle.h"

#include "db/db_texto.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"

#include <QRegularExpression>

#include <algorithm>

using namespace db_texto;
using legacy::InStr;
using legacy::Variant;

namespace {

const QString kFormatoFecha = QStringLiteral("'DD/MM/YYYY'");

// Position (1-based) of the first TOP that limits rows: the whole word right
// after SELECT or DISTINCT and followed by a blank. 0 when there is none, so
// names such as DESKTOP or TOP_VENTAS are never taken for it.
long PosicionTop(const QString& valor)
{
    static const QRegularExpression top(QStringLiteral(R"(\b(?:SELECT|DISTINCT)\s+(TOP) )"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = top.match(valor);
    return m.hasMatch() ? long(m.capturedStart(1)) + 1 : 0;
}

}  // namespace

// "SELECT TOP n ..." becomes a ROWNUM condition placed before the grouping
// and ordering clauses.
QString db_oracle::LimiteDeFilas(const QString& valor)
{
    const long k = PosicionTop(valor);
    if (k == 0)
        return valor;
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

namespace {

// A quoted text is taken for a date only in the forms this program writes
// dates in: day, month and year separated by "/" ("15/03/2024", "15/03/24"),
// alone or with a time ("15/03/2024 10:30", "15/03/2024 10:30:00"). Dotted
// and hyphenated texts are codes of the chart of accounts and the like
// ('5.1.01', '1.1.10', '2024-03-15'), numbers such as '1.5', day-month pairs
// and times stay as written; blanks around the text are allowed.
bool EsFechaDelPrograma(const QString& citado, bool& conHora)
{
    static const QRegularExpression forma(
        QStringLiteral(R"(^ *\d{1,2}/\d{1,2}/(?:\d{2}|\d{4})( +\d{1,2}:\d{2}(?::\d{2})?)? *$)"));
    const QRegularExpressionMatch m = forma.match(citado);
    if (!m.hasMatch())
        return false;
    conHora = m.hasCaptured(1);
    return legacy::IsDate(Variant(citado));
}

// A date with a time keeps its time: it is written with the format that
// holds it (the date alone would move the value to midnight).
const QString kFormatoFechaHora = QStringLiteral("'DD/MM/YYYY HH24:MI:SS'");

// Quoted texts that are dates become TO_DATE calls. The texts are taken in
// pairs of apostrophes from the statement as it was before this rule. A
// date written more than once is wrapped once in each place, and a
// statement already rewritten comes back the same.
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
        bool conHora = false;
        if (EsFechaDelPrograma(citado, conHora)) {
            const Variant fecha(legacy::CDate(Variant(citado)));
            const QString escrita =
                legacy::Format(fecha, conHora ? QStringLiteral("dd/mm/yyyy hh:mm:ss") : QStringLiteral("dd/mm/yyyy"));
            copia = ReemplazaTodo(copia, QStringLiteral("'") + citado + QStringLiteral("'"),
                                  QStringLiteral("TO_DATE('") + escrita + QStringLiteral("',") +
                                      (conHora ? kFormatoFechaHora : kFormatoFecha) + QStringLiteral(")"));
        }
        desde = cierra + 1;
    }
    while (Contiene(copia, QStringLiteral("TO_DATE(TO_DATE("))) {
        copia = ReemplazaTodo(copia, QStringLiteral("TO_DATE(TO_DATE("), QStringLiteral("TO_DATE("));
        for (const QString& formato : {kFormatoFecha, kFormatoFechaHora})
            copia = ReemplazaTodo(copia, formato + QStringLiteral("),") + formato + QStringLiteral(")"),
                                  formato + QStringLiteral(")"));
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

// The statement keywords that start a part of a script, in their order.
// Six end with a blank.
const char* const kClaves[] = {"INSERT ", "DELETE ", "UPDATE ", "CREATE ", "DROP ", "ALTER ", "SET TRANSACTION",
                               "COMMIT", "ROLLBACK", "IF NOT EXIST", "IF EXIST", "GRANT "};

bool EsDeNombre(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$' || c == u'.';
}

}  // namespace

QString db_oracle::QuitaComentarios(const QString& script)
{
    QString resultado;
    resultado.reserve(script.size());
    for (const db_texto::Pieza& p : db_texto::Piezas(script))
        if (p.clase != db_texto::Pieza::Comentario) resultado += QStringView(script).mid(p.desde, p.largo);
    return resultado;
}

// A keyword counts only where a statement can start: outside quoted texts
// and not inside a longer name (LASTUPDATE, COMMITTED); IF EXIST may be
// followed by its S.
long db_oracle::ProximaClave(const QString& script, long desde)
{
    const QString exterior = db_texto::TextoExterior(script);
    const qsizetype largo = exterior.size();
    for (qsizetype i = qMax<qsizetype>(desde - 1, 0); i < largo; ++i) {
        if (i > 0 && EsDeNombre(exterior.at(i - 1)))
            continue;
        for (const char* clave : kClaves) {
            const QLatin1StringView k(clave);
            if (QStringView(exterior).mid(i, k.size()).compare(k, Qt::CaseInsensitive) != 0)
                continue;
            if (!k.endsWith(u' ')) {
                qsizetype despues = i + k.size();
                if (k.endsWith(QLatin1StringView("EXIST")) && despues < largo &&
                    exterior.at(despues).toUpper() == u'S')
                    ++despues;
                if (despues < largo && EsDeNombre(exterior.at(despues)))
                    continue;
            }
            return long(i) + 1;
        }
    }
    return 0;
}

QString db_oracle::UnaPalabra(const QString& valor)
{
    return valor.toUpper() == u"LEN" ? QStringLiteral("LENGTH") : valor;
}

QString DB_Dll::ORACLE_Dicc(const QString& Valor)
{
    QString t = Valor;
    if (!Contiene(gConnString, QStringLiteral("ORACLE")))
        return t;
    if (kapores2::Funciones::CuentaPalabras(Valor) < 2)
        return db_oracle::UnaPalabra(Valor);

    // The replacements leave the text values alone: a value such as '[x]'
    // or 'ISNULL(' is data, not dialect.
    using db_texto::ReemplazaFuera;
    t = db_oracle::LimiteDeFilas(Valor);
    for (const char* len : {" LEN(", " LEN (", " LEN  (", " LEN   (", " LEN    ("})
        t = ReemplazaFuera(t, QString::fromLatin1(len), QStringLiteral(" LENGTH("));
    t = ReemplazaFuera(t, QStringLiteral("["), QStringLiteral("\""), false);
    t = ReemplazaFuera(t, QStringLiteral("]"), QStringLiteral("\""), false);
    t = FechasEntreComillas(t);
    t = ReemplazaFuera(t, QStringLiteral("Charindex"), QStringLiteral("InStr"));
    t = ReemplazaFuera(t, QStringLiteral("CONVERT(NVARCHAR,"), QStringLiteral("TO_CHAR("));
    t = ReemplazaFuera(t, QStringLiteral("CONVERT(INT,"), QStringLiteral("TO_NUMBER("));
    if (const long w = long(db_texto::BuscaFuera(t, QStringLiteral("WHERE "))) + 1; w > 0) {
        QString resto = legacy::Mid(t, w);
        resto = ReemplazaTodo(resto, QStringLiteral("= ''"), QStringLiteral(" IS NULL "));
        resto = ReemplazaTodo(resto, QStringLiteral("=''"), QStringLiteral(" IS NULL "));
        t = legacy::Left(t, w - 1) + resto;
    }
    t = Estilo103(t);
    t = ReemplazaFuera(t, QStringLiteral("SUBSTRING("), QStringLiteral("SUBSTR("));
    t = ReemplazaFuera(t, QStringLiteral("ISNULL("), QStringLiteral("NVL("));
    return t;
}

QString DB_Dll::DepuraSentenciaOracle(QString& sentencia)
{
    // Words inside a text value ('B SET NOCOUNT ON') do not drop the statement.
    if (db_texto::ContieneFuera(sentencia, QStringLiteral("SET NOCOUNT")) ||
        db_texto::ContieneFuera(sentencia, QStringLiteral("IF NOT EXIST"))) {
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
    // Quoted texts keep what they hold: 'LET IT GO', a line break inside a
    // value.
    script = db_oracle::QuitaComentarios(script);
    for (const auto& [buscado, nuevo] : limpieza)
        script = db_texto::ReemplazaFuera(script, QString::fromLatin1(buscado), QString::fromLatin1(nuevo));

    constexpr long kNinguna = 1999999;
    // A failure leaves the rest of the script unrun; a transaction the script
    // itself began is rolled back first, so nothing of it stays half-done
    // and the connection is not left inside it. The provider's errors of the
    // failure stay for the caller.
    int transaccionesAbiertas = 0;
    try {
        for (;;) {
            if (script.isEmpty())
                break;
            const long inicio = db_oracle::ProximaClave(script, 1);
            if (inicio == 0)
                break;
            const long siguiente = inicio < legacy::Len(script) ? db_oracle::ProximaClave(script, inicio + 1) : 0;
            const long fin = siguiente == 0 ? kNinguna : siguiente;
            QString parte = legacy::Trim(legacy::Mid(script, inicio, fin - inicio));
            script = siguiente == 0 ? QString() : legacy::Mid(script, siguiente);

            if (Iguales(parte, QStringLiteral("SET TRANSACTION"))) {
                gCnn->BeginTrans();
                ++transaccionesAbiertas;
            } else if (Iguales(parte, QStringLiteral("COMMIT"))) {
                gCnn->CommitTrans();
                transaccionesAbiertas = std::max(0, transaccionesAbiertas - 1);
            } else if (Iguales(parte, QStringLiteral("ROLLBACK"))) {
                gCnn->RollbackTrans();
                transaccionesAbiertas = std::max(0, transaccionesAbiertas - 1);
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
    } catch (...) {
        if (transaccionesAbiertas > 0) {
            const ado::ErrorCollection errores = gCnn->Errors();
            for (; transaccionesAbiertas > 0; --transaccionesAbiertas) {
                try {
                    gCnn->RollbackTrans();
                } catch (const legacy::VbError&) {
                    break;  // the connection has nothing left to undo
                }
            }
            gCnn->Errors() = errores;
        }
        throw;
    }
    ado::ErrorCollection& errores = gCnn->Errors();
    if (errores.Count() == 1 && errores.Item(0).Number == 265929)
        errores.Clear();
    return QString();
}
