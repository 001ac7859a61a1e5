#pragma once
// Text helpers of the database class: it compares and searches without
// regard to letter case.
#include "platform/legacy/strings.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace db_texto {

inline bool Contiene(const QString& texto, const QString& buscado)
{
    return legacy::InStr(texto, buscado, legacy::vbTextCompare) > 0;
}

inline QString ReemplazaTodo(const QString& texto, const QString& buscado, const QString& nuevo)
{
    return legacy::Replace(texto, buscado, nuevo, 1, -1, legacy::vbTextCompare);
}

inline bool Iguales(const QString& a, const QString& b)
{
    return legacy::StrComp(a, b, legacy::vbTextCompare) == 0;
}

// A configuration value that says yes ("SI", letter case ignored, nothing trimmed).
inline bool EsSi(const QString& valor)
{
    return Iguales(valor, QStringLiteral("SI"));
}

// An apostrophe inside a text value is doubled, so the value can go between
// apostrophes in a statement.
inline QString DuplicaApostrofes(const QString& texto)
{
    QString r = texto;
    return r.replace(u'\'', QStringLiteral("''"));
}

// --- quoted pieces of a SQL text ------------------------------------------------
// A statement is read as runs of plain text and quoted pieces: a text value
// between apostrophes (a doubled apostrophe inside it closes and opens again,
// so it stays inside), a name between double quotes or brackets, and a "--"
// comment up to its line end. An unclosed quote runs to the end. A keyword,
// a parenthesis or a word to replace counts only in the plain runs.
struct Pieza {
    enum Clase { Libre, Texto, Nombre, Comentario };
    qsizetype desde;
    qsizetype largo;
    Clase clase;
};

// The pieces of `sql`, in order, covering the whole of it. With `nombres`
// false only text values and comments are pieces of their own (double
// quotes and brackets are plain text).
QList<Pieza> Piezas(QStringView sql, bool nombres = true);

// `sql` with every quoted piece and comment, its quotes included, turned into
// Chr(1): the same length, so a position found in it is the position in
// `sql`.
QString TextoExterior(const QString& sql);

// Position (0-based) of `buscado` in the plain text of `sql`, letter case
// ignored, from `desde` on; -1 when none. Also inside a longer word.
qsizetype BuscaFuera(const QString& sql, const QString& buscado, qsizetype desde = 0);
inline bool ContieneFuera(const QString& sql, const QString& buscado) { return BuscaFuera(sql, buscado) >= 0; }

// Every `buscado` in the plain text of `sql` replaced by `nuevo`, letter
// case ignored; quoted pieces and comments are left as they are (with
// `nombres` false names in double quotes or brackets are plain text).
QString ReemplazaFuera(const QString& sql, const QString& buscado, const QString& nuevo, bool nombres = true);

inline const QString CRLF = QStringLiteral("\r\n");
inline const QString CR = QStringLiteral("\r");

}  // namespace db_texto
