#pragma once
// Building INSERT and UPDATE texts from a list of (column, quoted value)
// pairs, and small list and SQL-text helpers used by the voucher code. They
// hold no connection: they only build text.
#include "platform/legacy/variant.h"

#include <QList>
#include <QString>
#include <QStringList>

struct CampoValor {
    QString Campo;  // column name, as written
    QString Valor;  // the value already in SQL literal form ('text', 12.5, Null)
};

namespace ModGlobal {

// The shared field list (lower bound 0). Writers start it with one element
// or size it at once and fill elements directly or through AgregaCampo.
extern QList<CampoValor> gListaCampos;
// Keys of the totals grid, searched by IndiceEnLista.
extern QList<CampoValor> gClavesTotalizador;

// Appends one pair to gListaCampos (Nuevo: the list starts afresh with this
// one pair). Apostrophes are removed from Valor (the caller's variable gets
// the cleaned text); "null" in any case is stored as the bare Null; otherwise
// the value is quoted by gDB().SQLValue(Valor, Tipo).
void AgregaCampo(const QString& Campo, QString& Valor, const QString& Tipo, bool Nuevo);
void AgregaCampo(const QString& Campo, const QString& Valor, const QString& Tipo = {}, bool Nuevo = false);

// Builds an INSERT (or, with EsUpdate, an UPDATE ... WHERE Condicion) from
// Campos and appends it to Sentencias. Condicion comes back with " WHERE "
// in front when it had none. Unless Conservar, gListaCampos starts afresh
// with one empty element.
void ArmaSentenciaSQL(const QList<CampoValor>& Campos, QStringList& Sentencias, const QString& Tabla,
                      bool EsUpdate, QString& Condicion, bool Conservar = false);
void ArmaSentenciaSQL(const QList<CampoValor>& Campos, QStringList& Sentencias, const QString& Tabla,
                      bool EsUpdate = false, const QString& Condicion = {}, bool Conservar = false);

// Appends "(c1,c2,...) VALUES (v1,v2,...)" to SQL; Limpiar empties gListaCampos.
void ArmaInsertValores(QString& SQL, const QList<CampoValor>& Campos, bool Limpiar = false);

// Campo Operador 'v0' [Conector Campo Operador 'vi' ...] [Conector Campo is null].
// Any failure gives "1=1" (and is written to the error log).
QString ArmaCondicion(const QString& Campo, const QString& Operador, const QStringList& Valores,
                      const QString& Conector, const QString& Comilla = {},
                      const legacy::Variant& ConNull = false, bool SaltaVacios = false);

// The statement for an Oracle connection (TOP n -> WHERE ROWNUM <= n, LEN ->
// LENGTH); unchanged on any other connection.
QString AdaptaSQLOracle(const QString& SQL);

// First index from Desde whose element equals Texto (letter case ignored); -1 when none.
int BuscaEnArray(const QStringList& Lista, const QString& Texto, int Desde = 0);
// Index in gClavesTotalizador of the key Texto; -1 when none.
long IndiceEnLista(const QString& Texto);
// A key of the totals grid as it is compared and looked up: without Chr(255)
// and Chr(0), trimmed.
QString ClaveLimpia(const QString& Texto);
// The text ready to stand between apostrophes in a statement: every
// apostrophe doubled ("D'Angelo" -> "D''Angelo").
QString DuplicaApostrofes(const QString& Texto);
// The text as a literal of a statement: between apostrophes, its own
// apostrophes doubled, so no value can end the literal early.
QString TextoSQL(const QString& Texto);
// Whether the text already is a literal of a statement (between apostrophes).
bool EsLiteralSQL(const QString& Texto);
// The value a literal stands for (the apostrophes around it taken off, its
// doubled ones made single); any other text is a bare value, unchanged.
QString ValorDeLiteral(const QString& Texto);

// The value as text without Chr(0), Chr(255) and line feeds, trimmed.
QString LimpiaTexto(const legacy::Variant& Valor);

}  // namespace ModGlobal
