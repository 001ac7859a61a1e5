#include "lookup/textos.h"

#include "core/consultasvrk.h"
#include "core/sqlbuilder.h"
#include "db/db_texto.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"

#include <QDateTime>
#include <QFile>

namespace lookup {

namespace {

using kapores2::Funciones;
using legacy::InStr;
using legacy::Trim;
using legacy::vbTextCompare;

constexpr Qt::CaseSensitivity sinCaso = Qt::CaseInsensitive;

bool Contiene(const QString& texto, const QString& parte) { return texto.contains(parte, sinCaso); }
using db_texto::ContieneFuera;
using db_texto::Iguales;

bool EsLetraDePalabra(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#'; }

QString Limpio(const QString& campo)
{
    return Trim(Funciones::QuitaCaracteres(campo, QString(QChar(0)), QString(QChar(255))));
}

}  // namespace

// --- query builder ------------------------------------------------------------

namespace {

// Whether the text is one group in parentheses from its first character to
// its last ("(a OR b)", not "(a) OR (b)"). Quoted texts and bracketed names
// do not count.
bool UnSoloParentesis(const QString& t)
{
    if (!t.startsWith(u'(')) return false;
    const QString exterior = db_texto::TextoExterior(t);
    int nivel = 0;
    for (int i = 0; i < int(exterior.size()); ++i) {
        if (exterior[i] == u'(') ++nivel;
        else if (exterior[i] == u')' && --nivel == 0) return i == int(exterior.size()) - 1;
    }
    return false;
}

}  // namespace

QString EntreParentesis(const QString& where)
{
    // Groups joined by OR ("(a) OR (b)") begin with "(" too: only one group
    // whose first parenthesis closes at its end stays bare.
    if (Trim(where).size() > 1 && !(where.startsWith(u'(') && UnSoloParentesis(Trim(where))))
        return QStringLiteral(" (") + where + QStringLiteral(") ");
    return where;
}

int LimiteFilas(const QString& valorConfigurado)
{
    int n = 0;
    try {
        n = Funciones::TextoAEntero(legacy::Variant(valorConfigurado));
    } catch (const legacy::VbError&) {
        n = 0;
    }
    return n == 0 ? 1000 : n;
}

int PalabraExterior(const QString& sql, const QString& palabra)
{
    // The words of a keyword ("ORDER BY") may stand apart by any blanks.
    const QStringList partes = palabra.split(u' ', Qt::SkipEmptyParts);
    const QString exterior = db_texto::TextoExterior(sql);
    int nivel = 0;
    int hallado = -1;
    const int n = int(sql.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = exterior[i];
        if (c == u'(') { ++nivel; continue; }
        if (c == u')') { --nivel; continue; }
        if (nivel != 0 || (i > 0 && EsLetraDePalabra(exterior[i - 1]))) continue;
        int j = i;
        bool coincide = true;
        for (int k = 0; k < partes.size() && coincide; ++k) {
            if (k > 0) {
                const int antes = j;
                while (j < n && exterior[j].isSpace()) ++j;
                if (j == antes) coincide = false;
            }
            if (coincide && QStringView(exterior).mid(j).startsWith(partes[k], sinCaso)) j += int(partes[k].size());
            else coincide = false;
        }
        if (coincide && (j >= n || !EsLetraDePalabra(exterior[j]))) hallado = i;
    }
    return hallado;
}

QString CondicionAgrupada(const QString& cabeza)
{
    const int p = PalabraExterior(cabeza, QStringLiteral("WHERE"));
    if (p < 0) return cabeza;
    const int desde = p + 5;
    const QString condicion = cabeza.mid(desde);
    const QString t = condicion.trimmed();
    if (t.isEmpty() || UnSoloParentesis(t)) return cabeza;
    const int antes = int(condicion.indexOf(t));
    return cabeza.left(desde) + condicion.left(antes) + u'(' + t + u')' + condicion.mid(antes + t.size());
}

namespace {

// The joiner of an F5 condition: " and " when the statement holds "where"
// outside its quoted values, its own condition then put in parentheses in
// `cabeza`; else " where ".
QString UnionF5(const QString& sql, QString& cabeza)
{
    if (!ContieneFuera(sql, QStringLiteral("where"))) return QStringLiteral(" where ");
    cabeza = CondicionAgrupada(cabeza);
    return QStringLiteral(" and ");
}

}  // namespace

QString AgregaCondicion(const QString& sql, QString& where)
{
    if (Trim(where).isEmpty()) return sql;
    if (ContieneFuera(where, QStringLiteral("WHERE"))) return sql + where;
    // The condition goes in front of the first trailing clause.
    int cola = -1;
    for (const QString& clausula : {QStringLiteral("GROUP BY"), QStringLiteral("ORDER BY")}) {
        const int p = PalabraExterior(sql, clausula);
        if (p >= 0 && (cola < 0 || p < cola)) cola = p;
    }
    const int dondeWhere = PalabraExterior(sql, QStringLiteral("WHERE"));
    const bool tieneWhere = dondeWhere >= 0 && (cola < 0 || dondeWhere < cola);
    where = (tieneWhere ? QStringLiteral(" AND ") : QStringLiteral(" WHERE ")) + where;
    const QString cabeza = cola < 0 ? sql : sql.left(cola);
    const QString propia = tieneWhere ? CondicionAgrupada(cabeza) : cabeza;
    if (cola < 0) return propia + where;
    return propia + where + QStringLiteral(" ") + sql.mid(cola);
}

QString ConsultaSelect(const QString& sql, QString& where)
{
    QString texto = sql;
    if (Contiene(texto, QStringLiteral("V_MA_ARTICULOS")))
        texto = Funciones::ReemplazaTexto(texto, QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("VT_MA_ARTICULOS"));
    return AgregaCondicion(texto, where);
}

std::optional<Definicion> BuscaDefinicion(const QString& ruta, const QString& tabla, bool* existe)
{
    QFile archivo(ruta);
    const bool abierto = archivo.open(QIODevice::ReadOnly);
    if (existe) *existe = abierto;
    if (!abierto) return std::nullopt;
    const QString buscada = Trim(tabla);
    const int largo = ModGlobal::RegistroConsulta::Largo;
    // A short last record is read as far as it goes (the scan ends at the
    // end of the file, whatever its length).
    while (true) {
        const QByteArray bytes = archivo.read(largo);
        if (bytes.isEmpty()) break;
        const ModGlobal::RegistroConsulta r =
            ModGlobal::RegistroConsulta::desdeBytes(bytes.leftJustified(largo, ' '));
        if (Iguales(Limpio(r.Tabla), buscada))
            return Definicion{Limpio(r.Tabla), r.Campos, Limpio(r.Condicion)};
    }
    return std::nullopt;
}

QString ConsultaDefinicion(const Definicion& d, int limite, QString& campoBusqueda, const QString& where)
{
    QString tabla = d.Tabla;
    QString campos = Trim(Funciones::Reemplaza(d.Campos, QStringLiteral("|"), QStringLiteral(",")));
    if (campos.startsWith(u',')) campos.remove(0, 1);
    if (campos.endsWith(u',')) campos.chop(1);
    if (campos.isEmpty()) campos = QStringLiteral("*");
    if (campoBusqueda.isEmpty()) {
        const int coma = int(campos.indexOf(u','));
        if (coma < 0) return {};
        campoBusqueda = campos.left(coma);
    }
    // A condition of the definition takes precedence over the caller's.
    QString condicion = d.Condicion;
    if (condicion.isEmpty() && !Trim(where).isEmpty()) condicion = where;
    if (Iguales(tabla, QStringLiteral("VT_PROVEEDORES")) || Iguales(tabla, QStringLiteral("VT_CLIENTES"))) {
        if (condicion.isEmpty()) condicion = QStringLiteral("Dada_De_Baja = 0");
    } else if (Iguales(tabla, QStringLiteral("V_MA_ARTICULOS"))) {
        tabla = QStringLiteral("VT_MA_ARTICULOS");
        if (condicion.isEmpty()) condicion = QStringLiteral("SUSPENDIDO = 0");
    }
    const QString filtro = Trim(condicion).isEmpty() ? QString() : QStringLiteral(" WHERE ") + condicion;
    const QString cabeza = QStringLiteral("SELECT TOP ") + QString::number(limite) + u' ' + campos +
                           QStringLiteral(" FROM ") + tabla;
    if (campoBusqueda.isEmpty()) return cabeza + QStringLiteral(" with(nolock) ") + filtro;
    return cabeza + QStringLiteral("  with(nolock) ") + filtro + QStringLiteral(" ORDER BY ") + campoBusqueda;
}

bool ListaFija(const QString& tabla, QString& campos, QString& campoBusqueda)
{
    struct Fija {
        const char* tabla;
        const char* campos;
        const char* busqueda;
    };
    // A second list for a deposit table ("...,UnidadNegocio,") stood behind
    // the same name and could never be chosen; it is left out.
    static const Fija fijas[] = {{"V_TA_Unidad", "Descripcion,IdUnidad,", "IdUnidad"},
                                 {"V_TA_DEPOSITO", "Descripcion,Unidad,IdDeposito,", "IdDeposito"},
                                 {"V_TA_STATUS", "Descripcion,Tipo,CodigoEstado,", "CodigoEstado"}};
    for (const Fija& f : fijas) {
        if (Iguales(Trim(tabla), QString::fromLatin1(f.tabla))) {
            campos = QString::fromLatin1(f.campos);
            campoBusqueda = QString::fromLatin1(f.busqueda);
            return true;
        }
    }
    return false;
}

QString ListaDeColumnas(const QString& tabla, const QStringList& columnas, QString& campoBusqueda)
{
    const bool conMarcas = Iguales(Trim(tabla), QStringLiteral("v_mv_mutuales")) ||
                           Iguales(Trim(tabla), QStringLiteral("V_MV_TROPA_STOCK"));
    QString lista;
    for (const QString& n : columnas) {
        const QString N = n.toUpper();
        if (N == u"ID" || N == u"FECHAHORA_MODIFICACION" || N == u"FECHAHORA_GRABACION") {
            if (!conMarcas) continue;
            lista = n + u',' + lista;
            campoBusqueda = n;
        } else if (N == u"DESCRIPCION" || N == u"NOMBRE" || N == u"DETALLE") {
            lista = n + u',' + lista;
            campoBusqueda = n;
        } else if (lista.isEmpty()) {
            lista = n + u',';
            campoBusqueda = n;
        } else {
            lista = n + u',' + lista;
        }
    }
    return lista;
}

QString ConsultaColumnas(const QString& tabla, const QString& campos, int limite, const QString& campoBusqueda,
                         const QString& where)
{
    QString lista = campos.isEmpty() ? QStringLiteral(" * ") : campos.left(campos.size() - 1);
    const QString condicion = u' ' + where;
    QString texto = QStringLiteral("SELECT TOP ") + QString::number(limite) + u' ' + lista +
                    QStringLiteral(" FROM ") + tabla;
    if (!Trim(condicion).isEmpty()) texto += QStringLiteral(" WHERE ");
    return texto + condicion + QStringLiteral(" ORDER BY ") + campoBusqueda;
}

// --- list window ------------------------------------------------------------------

QString TablaDeConsulta(const QString& sql)
{
    const long p = InStr(sql, QStringLiteral("from"), vbTextCompare);
    if (p == 0) return {};
    // The first word after FROM, however many blanks stand before it.
    long inicio = p + 4;
    while (inicio <= long(sql.size()) && sql.at(inicio - 1) == u' ') ++inicio;
    long blanco = InStr(inicio, sql, QStringLiteral(" "));
    if (blanco == 0) blanco = long(sql.size()) + 1;
    return Trim(sql.mid(inicio - 1, blanco - inicio));
}

bool TablasArticulos(const QString& sql)
{
    // The lookup entry reads the article view through VT_MA_ARTICULOS: the
    // statement it hands on is as much an article statement as the one
    // written by the caller.
    return Contiene(sql, QStringLiteral("V_MA_ARTICULOS")) || Contiene(sql, QStringLiteral("VT_MA_ARTICULOS")) ||
           Contiene(sql, QStringLiteral("STK_MA_ARTICULOS"));
}

int LetrasDeColumna(int tamanioDefinido, int tipoAdo, bool tablasArticulos, const QString& valoresDefault)
{
    int w = tamanioDefinido;
    if (tipoAdo == 6 || tipoAdo == 131) w = 12;  // currency, numeric
    if (w >= 60) w = 60;
    if (!tablasArticulos && Iguales(valoresDefault, QStringLiteral("@10"))) w += 10;
    return w;
}

bool MarcadoPorDefecto(const QString& valor, const QString& valoresDefault)
{
    // The listed values are separated by "," or "|" outside their quotes
    // ("'C0001','C0002'", "C0001|C0002"); each is compared whole, trimmed
    // and without its quotes, so 1 is not ticked by '12'.
    const QString buscado = Trim(valor);
    const QString exterior = db_texto::TextoExterior(valoresDefault);
    qsizetype desde = 0;
    for (qsizetype i = 0; i <= exterior.size(); ++i) {
        if (i < exterior.size() && exterior[i] != u',' && exterior[i] != u'|') continue;
        QString item = Trim(valoresDefault.mid(desde, i - desde));
        desde = i + 1;
        if (item.isEmpty()) continue;  // "a,,b": no value between
        if (item.size() >= 2 && item.startsWith(u'"') && item.endsWith(u'"')) item = item.mid(1, item.size() - 2);
        if (Iguales(Trim(ModGlobal::ValorDeLiteral(item)), buscado)) return true;
    }
    return false;
}

int NivelStock(double pp, double s)
{
    if (pp == 0 && s > 0) return 1;
    if (pp > 0 && s > pp) return 2;
    if (pp > 0 && s < pp) return 3;
    return 4;
}

QString FiltroF5(const QString& sql, QString& sentenciaBase, QString& sentenciaOrden, const QString& campo,
                 QString& textoCaja, bool usaLike, bool recortada)
{
    sentenciaOrden.clear();
    QString prefijo;
    // The base is the statement without its own tail, always: after a date
    // sort it still held the sort's " order by " (the list is loaded with
    // it), and a condition joined after that is refused. Only the clauses
    // of the statement itself count, not a word inside a value or a
    // sub-query.
    sentenciaBase = sql;
    const int p = PalabraExterior(sql, QStringLiteral("order by"));
    if (p >= 0) {
        sentenciaOrden = sql.mid(p);
        sentenciaBase = sql.left(p);
    }
    const int g = PalabraExterior(sql, QStringLiteral("group by"));
    if (g >= 0) {
        const QString t = sql.mid(g);
        if (!Trim(t).isEmpty()) sentenciaOrden = t;
        sentenciaBase = sql.left(g);
    }
    if (Contiene(sentenciaBase, QStringLiteral("stk_ma_articulos."))) prefijo = QStringLiteral("stk_ma_articulos.");
    if (Contiene(sentenciaBase, QStringLiteral("v_ma_articulos."))) prefijo = QStringLiteral("v_ma_articulos.");
    // The lookup entry names the article view VT_MA_ARTICULOS, its columns too.
    if (Contiene(sentenciaBase, QStringLiteral("vt_ma_articulos."))) prefijo = QStringLiteral("vt_ma_articulos.");
    const QString union_ = UnionF5(sql, sentenciaBase);
    // The operator types what the list shows: codes of digits are stored
    // right-aligned ("                     1001") and CHAR columns padded,
    // while the list shows them trimmed; so a text column is compared
    // trimmed, with the server's own functions. Numbers and dates have no
    // blanks to trim and keep the server's own reading of them as text
    // (an amount with its two decimals); a long text takes no LTRIM.
    const QString columna =
        recortada ? QStringLiteral("LTRIM(RTRIM(") + prefijo + campo + QStringLiteral("))") : prefijo + campo;
    // Only apostrophes are doubled: "%", "_" and "[..]" typed stay the
    // server's wildcards, which operators use ("[bp]" for B or P).
    QString nueva;
    if (usaLike) {
        const QString patron = ModGlobal::DuplicaApostrofes(textoCaja).replace(u' ', u'%');
        nueva = sentenciaBase + union_ + columna + QStringLiteral(" like '%") + patron + QStringLiteral("%' ") +
                sentenciaOrden;
    } else {
        textoCaja = Funciones::Reemplaza(textoCaja, QStringLiteral("*"), QStringLiteral("%"));
        nueva = sentenciaBase + union_ + columna + QStringLiteral(" like '") + ModGlobal::DuplicaApostrofes(textoCaja) +
                QStringLiteral("%' ") + sentenciaOrden;
    }
    sentenciaBase = nueva;
    return nueva;
}

std::optional<QString> ConsultaOrdenadaPorFecha(const QString& sql, const QString& columna)
{
    // A word inside a value ('Border SA') does not stop the sort; one inside
    // a longer name of the statement does.
    if (ContieneFuera(sql, QStringLiteral("order"))) return std::nullopt;
    QString texto = sql + QStringLiteral(" order by ") + columna;
    if (Iguales(columna, QStringLiteral("fechahorafinromaneo"))) texto += QStringLiteral(" desc ");
    return texto;
}

TeclaLista TeclaEnLista(int keyCode, int shift, const QString& texto, bool checkBoxes, bool usaCantidades)
{
    TeclaLista t;
    if (keyCode == 32 && checkBoxes) return t;  // the list toggles the check itself
    if (keyCode == 13) { t.accion = TeclaLista::Aceptar; return t; }
    if (keyCode == 45 && shift == 1 && usaCantidades) { t.accion = TeclaLista::CantidadTecleada; return t; }
    if (keyCode == 45 && shift == 0 && usaCantidades) { t.accion = TeclaLista::SumaUno; return t; }
    if (keyCode == 46 && shift == 0 && usaCantidades) { t.accion = TeclaLista::RestaUno; return t; }
    // Backspace takes the last character of the search box away.
    if (keyCode == 8) { t.accion = TeclaLista::BorraEnBuscador; return t; }
    const bool escribe = keyCode == 32 || (keyCode >= 47 && keyCode <= 93) || (keyCode >= 97 && keyCode <= 125);
    if (!escribe) return t;
    // The codes from 112 on are the function keys: they type nothing. The
    // numeric keypad's keys (97 to 111) type their own character, a digit
    // or a sign, not the letter their code stands for; every other key its
    // code's character.
    if (keyCode >= 112) return t;
    QString c;
    if (keyCode >= 97) {
        static const char signos[] = "*+,-./";
        c = texto.size() == 1 && texto[0].isPrint() ? texto
            : keyCode <= 105                         ? QString(QChar(u'0' + (keyCode - 96)))
                                                     : QString(QChar::fromLatin1(signos[keyCode - 106]));
    } else {
        c = QString(QChar(keyCode));
    }
    t.accion = TeclaLista::AlBuscador;
    t.agregado = c;
    return t;
}

double ValorCantidad(const QString& celda)
{
    int i = 0;
    const int n = int(celda.size());
    while (i < n && celda[i] == u' ') ++i;
    const int inicio = i;
    if (i < n && (celda[i] == u'-' || celda[i] == u'+')) ++i;
    while (i < n && celda[i].isDigit()) ++i;
    if (i < n && celda[i] == u'.') {
        ++i;
        while (i < n && celda[i].isDigit()) ++i;
    }
    bool ok = false;
    const double v = celda.mid(inicio, i - inicio).toDouble(&ok);
    return ok ? v : 0.0;
}

QString TextoCantidad(double valor, int decimales) { return QString::number(valor, 'f', decimales); }

Programa ProgramaMantenimiento(const QString& tablaConsulta)
{
    const QString t = Trim(tablaConsulta);
    auto es = [&](const char* nombre) { return Iguales(t, QString::fromLatin1(nombre)); };
    if (es("V_TA_RUBROS") || es("V_TA_UNIDAD")) return {QStringLiteral("SHELL:PARSIMOLENO"), t};
    if (es("VT_CLIENTES")) return {QStringLiteral("SHELL:BROMELIANTURO"), QStringLiteral("1")};
    if (es("VT_PROVEEDORES")) return {QStringLiteral("SHELL:BROMELIANTURO"), QStringLiteral("0")};
    if (es("V_TA_Tecnicos")) return {QStringLiteral("SHELL:V_TA_Tecnicos"), QString()};
    if (es("V_TA_VENDEDORES")) return {QStringLiteral("SHELL:V_TA_VENDEDORES"), QString()};
    if (es("V_MA_ARTICULOS") || es("VT_MA_ARTICULOS")) return {QStringLiteral("SHELL:V_MA_ARTICULOS"), QString()};
    return {QStringLiteral("SHELL:PARSIMOLENO"), t};
}

QString SentenciaFaltante(const QString& fechaHora, const QString& codigo25, const QString& descripcion,
                          const QString& usuario)
{
    using ModGlobal::DuplicaApostrofes;
    return QStringLiteral("INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values('") +
           fechaHora + QStringLiteral("','") + DuplicaApostrofes(codigo25) + QStringLiteral("','") +
           DuplicaApostrofes(descripcion) + QStringLiteral("','") + DuplicaApostrofes(usuario) +
           QStringLiteral("')");
}

QString FechaHoraConexion()
{
    // Every connection is opened reading dates day first (SET DATEFORMAT
    // dmy on the server, the same rule on the embedded engine), whatever the
    // desktop's regional settings say.
    return QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

// --- tree window ----------------------------------------------------------------------

QString FiltroArbol(const QString& sql, const QString& texto)
{
    // The cut is made at the statement's own ORDER BY, not at one inside a
    // sub-query (the family statement has one in its parent column).
    QString cabeza = sql;
    QString cola;
    const int p = PalabraExterior(sql, QStringLiteral("order by"));
    if (p >= 0) {
        cabeza = sql.left(p);
        cola = sql.mid(p);
    }
    const QString union_ = UnionF5(sql, cabeza);
    // An apostrophe typed in the box is doubled, so it is searched for and
    // cannot end the text early.
    return cabeza + union_ + QStringLiteral("Descripcion like '%") + ModGlobal::DuplicaApostrofes(texto) +
           QStringLiteral("%' ") + cola;
}

bool NodoCoincide(const QString& clave, const QString& texto, const QString& buscado)
{
    // The code is cut at the " - " the window wrote after it, not at the
    // first "-": codes of positions and accounts hold hyphens themselves
    // ("A-01-02 - Pasillo A, estante 1, nivel 2").
    const QString codigo = clave.mid(1);
    const QString separado = codigo + QStringLiteral(" - ");
    const QString descripcion = texto.startsWith(separado) ? texto.mid(separado.size()) : texto;
    return Trim(codigo).startsWith(buscado, sinCaso) || Trim(descripcion).startsWith(buscado, sinCaso);
}

QString SentenciaFamilias()
{
    return QStringLiteral("SELECT     TOP 100 PERCENT IdFamilia, Descripcion, "
                          "(SELECT     TOP 1 idfamilia FROM @Admin_v_ta_familias a  "
                          " Where a.IdFamilia < b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < "
                          "Len(LTrim(RTrim(b.IdFamilia)))) "
                          " ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b Where IdFamilia<>'' "
                          "ORDER BY IdFamilia");
}

}  // namespace lookup
