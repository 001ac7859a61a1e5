#pragma once
// The texts of the lookup: the query builder's pieces, the statement
// rewrites of the windows (F5, the date sort), the search-box and row rules
// and the statement of a stock-shortage row. Plain functions, no widgets and
// no database: the class and the windows are thin over them. Every text
// comparison ignores letter case.
#include "platform/legacy/variant.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace lookup {

// A field's text with Null as "" (ValorNoNulo(valor).toString() without
// copying the value).
inline QString TextoNoNulo(const legacy::Variant& valor)
{
    return valor.IsNull() ? QString() : valor.toString();
}

// --- query builder ------------------------------------------------------------

// A condition of more than one character goes between parentheses:
// " (" & where & ") ", unless it is one group already, its first
// parenthesis closing at its end ("(a) OR (b)" is two groups).
QString EntreParentesis(const QString& where);

// The row limit from the stored text of "TopConsArt": its value rounded half
// to even; 1000 when that is 0 or the text is not a number.
int LimiteFilas(const QString& valorConfigurado);

// Position (0-based) of a keyword outside parentheses and quotes, the last
// such occurrence; -1 when none. Words inside longer words do not count.
int PalabraExterior(const QString& sql, const QString& palabra);

// The statement (without its trailing ORDER BY or GROUP BY) with the
// condition of its outer WHERE in parentheses, so that a condition joined
// after it with AND binds to the whole of it, not to its last OR branch. A
// statement without an outer WHERE, or whose condition is one group in
// parentheses already, is returned as it is.
QString CondicionAgrupada(const QString& cabeza);

// A caller's condition added to a complete SELECT text. A condition that
// holds "where" itself (outside its quoted values) is appended as it is. Otherwise it is joined with
// " AND " to the statement's own outer WHERE (its condition put in
// parentheses first), or with " WHERE " when there is none, and it goes
// before a trailing ORDER BY or GROUP BY. `where` receives the piece added
// (" WHERE (x) ", " AND (x) ").
QString AgregaCondicion(const QString& sql, QString& where);

// The SELECT path: the article table replaced by its view, then the
// condition added (an empty condition adds nothing).
QString ConsultaSelect(const QString& sql, QString& where);

// One record of the definitions file, as read.
struct Definicion {
    QString Tabla;      // cleaned of Chr(0) and Chr(255), trimmed
    QString Campos;     // "|F1|F2|"
    QString Condicion;  // cleaned, trimmed
};

// The definition of a table in the file (records of 1202 bytes, scanned
// from the start). Nothing when the table is not listed; `existe` tells
// whether the file could be read at all.
std::optional<Definicion> BuscaDefinicion(const QString& ruta, const QString& tabla, bool* existe = nullptr);

// The query of a definition; empty when the field list has no "," and no
// search column was given (the lookup must be configured first).
// campoBusqueda receives the first field when it was empty.
QString ConsultaDefinicion(const Definicion& d, int limite, QString& campoBusqueda, const QString& where);

// The fixed field lists of three tables ("Descripcion,IdUnidad," ...);
// false for any other table.
bool ListaFija(const QString& tabla, QString& campos, QString& campoBusqueda);

// The field list built from a table's columns in their order, each kept
// column put in front ("PRECIO,DESCRIPCION,CODIGO,"); campoBusqueda becomes
// the last column that set it.
QString ListaDeColumnas(const QString& tabla, const QStringList& columnas, QString& campoBusqueda);

// The query of the table-columns path from the field list (trailing comma
// included, or empty).
QString ConsultaColumnas(const QString& tabla, const QString& campos, int limite, const QString& campoBusqueda,
                         const QString& where);

// --- list window ------------------------------------------------------------------

// The word after the first "from" of a statement (trimmed, as written);
// empty when there is none.
QString TablaDeConsulta(const QString& sql);

// Whether a statement reads the article tables, by any of their names: the
// article view, the view the lookup entry puts in its place and the stock
// article table. The article rules of the columns (price titles, no
// widening) follow it.
bool TablasArticulos(const QString& sql);

// The width in letters of a column from its field's defined size and type:
// currency and numeric give 12, at most 60; "@10" widens by 10 except on
// the article tables.
int LetrasDeColumna(int tamanioDefinido, int tipoAdo, bool tablasArticulos, const QString& valoresDefault);

// Whether a row's returned value starts checked: the trimmed value equals
// one of the values listed in the defaults (separated by "," or "|"),
// whatever their quotes ("'12','3'" ticks 12 and 3, not 1).
bool MarcadoPorDefecto(const QString& valor, const QString& valoresDefault);

// The stock level (1 to 4) of an article row from its reorder point and stock.
int NivelStock(double puntoPedido, double stock);

// F5 in a search box: the statement narrowed by the box's column. The
// window's base and tail texts are updated; `textoCaja` is what the box
// shows before it is emptied (its "*" turned into "%" without the LIKE
// search). Apostrophes in the typed text are doubled. A text column
// (`recortada`: char or varchar) is compared as the list shows it, without
// its blanks at either end (LTRIM(RTRIM(..))); the statement's own
// condition is put in parentheses before " and " joins the new one. The
// base becomes `sql` without its own ORDER BY / GROUP BY tail (keywords
// inside values or sub-queries do not count).
QString FiltroF5(const QString& sql, QString& sentenciaBase, QString& sentenciaOrden, const QString& campo,
                 QString& textoCaja, bool usaLike, bool recortada = true);

// The date sort's statement: " order by " & column (" desc " for
// fechahorafinromaneo) unless the statement already holds "order" outside
// its quoted values.
// std::nullopt when it is left alone.
std::optional<QString> ConsultaOrdenadaPorFecha(const QString& sql, const QString& columna);

// What a key pressed in the list does.
struct TeclaLista {
    enum Accion { Nada, Aceptar, CantidadTecleada, SumaUno, RestaUno, AlBuscador, BorraEnBuscador } accion = Nada;
    QString agregado;  // the text added to the search box (AlBuscador)
};
// keyCode and shift as the key event gives them, `texto` the typed text.
TeclaLista TeclaEnLista(int keyCode, int shift, const QString& texto, bool checkBoxes, bool usaCantidades);

// The leading number of a quantity cell, "." as the only decimal point.
double ValorCantidad(const QString& celda);
// A quantity as the cell shows it: "." and the given decimals.
QString TextoCantidad(double valor, int decimales);

// The maintenance program of a table: program text and parameter.
struct Programa {
    QString programa;
    QString parametro;
};
Programa ProgramaMantenimiento(const QString& tablaConsulta);

// The INSERT of a stock-shortage row (apostrophes doubled).
QString SentenciaFaltante(const QString& fechaHora, const QString& codigo25, const QString& descripcion,
                          const QString& usuario);

// The date and time as the connection reads them (day first).
QString FechaHoraConexion();

// --- tree window ----------------------------------------------------------------------

// F5 in the tree: " and "/" where " Descripcion like '%text%' before the
// statement's outer ORDER BY, the statement's own condition in parentheses
// before " and ".
QString FiltroArbol(const QString& sql, const QString& texto);

// Whether a node of the tree matches what is typed in its search box: its
// code (its key without the leading "A") or its description (its text after
// the code and the " - " the window writes between them; the whole text of
// the root) begins with it.
bool NodoCoincide(const QString& clave, const QString& texto, const QString& buscado);

// The statement of the family tree.
QString SentenciaFamilias();

}  // namespace lookup
