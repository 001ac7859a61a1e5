#include "core/sqlbuilder.h"

#include "core/tratamientoerrores.h"
#include "db/db_dll.h"
#include "db/db_oracle.h"
#include "db/db_texto.h"
#include "db/lineaerrores.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/date.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/textfile.h"

using namespace legacy;

namespace ModGlobal {

QList<CampoValor> gListaCampos;
QList<CampoValor> gClavesTotalizador;

void AgregaCampo(const QString& Campo, QString& Valor, const QString& Tipo, bool Nuevo)
{
    if (Nuevo)
        gListaCampos = QList<CampoValor>(1);
    else
        gListaCampos.append(CampoValor{});

    // The values come from screens and files; an apostrophe would end the
    // literal early, so the suite drops them here.
    Valor = Replace(Valor, QStringLiteral("'"), QString(), 1, -1, vbTextCompare);

    CampoValor& ultimo = gListaCampos.last();
    ultimo.Campo = Campo;
    if (UCase(Valor) == QLatin1String("NULL"))
        ultimo.Valor = QStringLiteral("Null");
    else
        ultimo.Valor = gDB().SQLValue(Variant(Valor), Tipo).toString();
}

void AgregaCampo(const QString& Campo, const QString& Valor, const QString& Tipo, bool Nuevo)
{
    QString copia = Valor;
    AgregaCampo(Campo, copia, Tipo, Nuevo);
}

void ArmaSentenciaSQL(const QList<CampoValor>& Campos, QStringList& Sentencias, const QString& Tabla,
                      bool EsUpdate, QString& Condicion, bool Conservar)
{
    if (Campos.isEmpty())
        throw VbError(9);  // an erased list has no bounds

    QString sentencia;
    if (!EsUpdate) {
        QString columnas = QStringLiteral("(");
        QString valores = QStringLiteral(" VALUES (");
        for (qsizetype i = 0; i < Campos.size(); ++i) {
            const bool ultimo = i == Campos.size() - 1;
            columnas += Campos[i].Campo + (ultimo ? QStringLiteral(")") : QStringLiteral(","));
            valores += Campos[i].Valor + (ultimo ? QStringLiteral(")") : QStringLiteral(","));
        }
        sentencia = QStringLiteral("INSERT INTO ") + Tabla + QStringLiteral(" ") + columnas + valores;
    } else {
        QStringList asignaciones;
        for (const CampoValor& c : Campos)
            asignaciones << c.Campo + QStringLiteral(" = ") + c.Valor;
        // A WHERE inside a value ('Casa Where SA') is no WHERE of the statement.
        if (!db_texto::ContieneFuera(Condicion, QStringLiteral("WHERE")))
            Condicion = QStringLiteral(" WHERE ") + Condicion;
        sentencia = QStringLiteral("UPDATE ") + Tabla + QStringLiteral(" SET ") + asignaciones.join(u',') +
                    QStringLiteral(" ") + Condicion;
    }

    Sentencias.append(sentencia);

    if (!Conservar)
        gListaCampos = QList<CampoValor>(1);
}

void ArmaSentenciaSQL(const QList<CampoValor>& Campos, QStringList& Sentencias, const QString& Tabla,
                      bool EsUpdate, const QString& Condicion, bool Conservar)
{
    QString copia = Condicion;
    ArmaSentenciaSQL(Campos, Sentencias, Tabla, EsUpdate, copia, Conservar);
}

void ArmaInsertValores(QString& SQL, const QList<CampoValor>& Campos, bool Limpiar)
{
    // Appended piece by piece: no list or joined copy per statement.
    SQL += u'(';
    for (qsizetype i = 0; i < Campos.size(); ++i) {
        if (i > 0)
            SQL += u',';
        SQL += Campos[i].Campo;
    }
    SQL += QLatin1String(") VALUES (");
    for (qsizetype i = 0; i < Campos.size(); ++i) {
        if (i > 0)
            SQL += u',';
        SQL += Campos[i].Valor;
    }
    SQL += u')';
    if (Limpiar)
        gListaCampos.clear();
}

QString ArmaCondicion(const QString& Campo, const QString& Operador, const QStringList& Valores,
                      const QString& Conector, const QString& Comilla, const Variant& ConNull, bool SaltaVacios)
{
    try {
        if (Valores.isEmpty())
            throw VbError(9);
        QString r = Campo + Operador + Comilla + Valores[0] + Comilla;
        for (qsizetype i = 1; i < Valores.size(); ++i) {
            if (SaltaVacios && Trim(Valores[i]).isEmpty())
                continue;
            r += Conector + Campo + Operador + Comilla + Valores[i] + Comilla;
        }
        if (CBool(ConNull))
            r += Conector + Campo + QStringLiteral(" is null ");
        return r;
    } catch (const VbError& e) {
        // The condition falls back to "all rows"; the log keeps a trace so a
        // query that returns too much can be explained afterwards.
        try {
            AppendLine(RutaLogErrores(),
                       errlog::LineaLogErrores(Date::now(), QStringLiteral("ArmaCondicion"), e, 0));
        } catch (...) {
        }
        return QStringLiteral("1=1");
    }
}

QString AdaptaSQLOracle(const QString& SQL)
{
    if (InStr(gDB().gConnString, QStringLiteral("oracle"), vbTextCompare) == 0)
        return SQL;

    if (kapores2::Funciones::CuentaPalabras(SQL) < 2)
        return db_oracle::UnaPalabra(SQL);

    // The row limit is the database class's own Oracle rule.
    return db_oracle::LimiteDeFilas(SQL);
}

int BuscaEnArray(const QStringList& Lista, const QString& Texto, int Desde)
{
    for (qsizetype i = qMax(Desde, 0); i < Lista.size(); ++i) {
        if (StrComp(Lista[i], Texto, vbTextCompare) == 0)
            return int(i);
    }
    return -1;
}

QString ClaveLimpia(const QString& Texto)
{
    return Trim(kapores2::Funciones::QuitaCaracteres(Texto, Chr(255), Chr(0)));
}

long IndiceEnLista(const QString& Texto)
{
    // The sought key is cleaned as the stored ones are: a key that keeps its
    // Chr(255) still finds the group it started.
    const QString buscado = ClaveLimpia(Texto);
    for (qsizetype i = 0; i < gClavesTotalizador.size(); ++i) {
        if (StrComp(ClaveLimpia(gClavesTotalizador[i].Campo), buscado, vbTextCompare) == 0)
            return long(i);
    }
    return -1;
}

QString DuplicaApostrofes(const QString& Texto)
{
    return db_texto::DuplicaApostrofes(Texto);
}

QString TextoSQL(const QString& Texto)
{
    const QString cuerpo = DuplicaApostrofes(Texto);
    QString r;
    r.reserve(cuerpo.size() + 2);
    r += u'\'';
    r += cuerpo;
    r += u'\'';
    return r;
}

bool EsLiteralSQL(const QString& Texto)
{
    return Texto.size() >= 2 && Texto.startsWith(u'\'') && Texto.endsWith(u'\'');
}

QString ValorDeLiteral(const QString& Texto)
{
    if (!EsLiteralSQL(Texto))
        return Texto;
    return Texto.mid(1, Texto.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
}

QString LimpiaTexto(const Variant& Valor)
{
    return Trim(kapores2::Funciones::QuitaCaracteres(CStr(Valor), Chr(0), Chr(255), Chr(10)));
}

}  // namespace ModGlobal
