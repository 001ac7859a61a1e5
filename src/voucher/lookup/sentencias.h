#pragma once
// The voucher picker's statements, free of any widget: the mode words, the
// choice among the thirteen statement shapes, the search-box condition and
// one builder per shape. Each builder takes every value it needs as an
// argument (configuration switches included), so its text can be checked and
// run on its own.
//
// In every builder `tcRelleno` is the type code brought to the TC columns'
// width, `busqueda` the search-box condition (FiltroBusqueda) and `filtro`
// the caller's condition as stored; "not blank" means the trimmed filtro is
// not empty.
#include "db/db_texto.h"
#include "platform/legacy/date.h"

#include <QString>
#include <QStringList>

namespace vlookup {

// The type groups of the window (accept and column sets).
const QStringList& GrupoVentas();
const QStringList& GrupoCompras();
// The query's own groups.
const QStringList& GrupoComprasConsulta();  // FCC NCC LNCC NCCP NDC LNDC RMC
const QStringList& GrupoAsientos();         // NCPE NDPR
// `tc` is one of `grupo`, letter case ignored, nothing trimmed.
bool EnGrupo(const QString& tc, const QStringList& grupo);
using db_texto::Iguales;  // the window's text comparison: letter case ignored, nothing trimmed

// A mode word brought to its plain type code with the two mode flags.
struct Modo {
    QString TC;
    bool Pendientes = false;
    bool Transporte = false;
};
// "RM/PENDIENTES" -> RM pending, "RM/TRANSPORTE" -> "RM-T" transport, ...;
// any other text comes back unchanged without flags.
Modo NormalizaModo(const QString& tc);

// The thirteen statement shapes, numbered as the query's choice table.
enum class Forma : int {
    RemitosCompraPendientes = 1,
    RemitosPendientes = 2,
    Terceros = 3,
    Asientos = 4,
    Compras = 5,
    OTPendientes = 6,
    OT = 7,
    NPPendientes = 8,
    PRPendientes = 9,
    OrdenesCompra = 10,
    FP = 11,
    Transporte = 12,
    OtrosTipos = 13,
};
// The first row of the choice table that `tc` (the plain type, "RM" in
// transport mode) and the flags meet.
Forma EligeForma(const QString& tc, bool pendientes, bool transporte);
// Shapes whose caller's condition loses the word "where" first.
bool QuitaWhereEnForma(Forma forma);

// The search boxes' placeholders.
QString MarcaNombre();  // "Buscar por nombre..."
QString MarcaNumero();  // "Buscar por Numero..."
// The search-box condition: the number box's replaces the name box's; a box
// that is empty or still shows its placeholder counts for nothing. The typed
// text goes in trimmed with its apostrophes doubled, so it cannot end the
// literal; LIKE's own wildcards (% and _) keep working.
QString FiltroBusqueda(const QString& nombre, const QString& numero);
// The caller's condition without the word "where" where it stands as a whole
// word (any letter case); "where" inside a longer word or inside a quoted
// value stays.
QString QuitaWhere(const QString& filtro);
bool NoEnBlanco(const QString& filtro);

// The budgets' date limit: " and fecha >= '<date>' " with the date n days
// before `hoy` (n the rounded number of `vigencia`); "" when n is 0 or less.
QString LimiteVigencia(const QString& vigencia, const legacy::Date& hoy);

// The preparation sub-query that opens the prepared-order statements.
QString PrefijoPreparacion();

// --- one builder per shape --------------------------------------------------
QString SqlRemitosCompraPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro);  // 1
QString SqlRemitosPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro,
                             bool usaRemitoContado, bool entregaParcialRemito);                              // 2
QString SqlTerceros();                                                                                       // 3
QString SqlAsientos(const QString& tcRelleno, const QString& filtro);                                        // 4
QString SqlCompras(const QString& tcRelleno, const QString& busqueda, const QString& filtro);                // 5
QString SqlOTPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro);           // 6
QString SqlOT(const QString& tcRelleno, const QString& busqueda, const QString& filtro);                     // 7
QString SqlNPPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro,
                        bool facturaNPPreparadas);                                                           // 8
QString SqlPRPendientes(const QString& tcRelleno, const QString& busqueda, const QString& filtro,
                        const QString& limiteVigencia, bool soloAprobados);                                  // 9
QString SqlOrdenesCompra(const QString& tcRelleno, const QString& busqueda, const QString& filtro);          // 10
QString SqlFP(const QString& tcRelleno, const QString& busqueda, const QString& filtro);                     // 11
QString SqlTransporte(const QString& filtro);                                                                // 12
QString SqlOtrosTipos(const QString& tc, const QString& tcRelleno, const QString& busqueda, const QString& filtro,
                      bool facturaNPPreparadas);                                                             // 13

// The configuration switches the statements read.
struct Opciones {
    bool UsaRemitoContado = false;
    bool EntregaParcialRemito = false;
    bool FacturaNPPreparadas = false;
    bool SoloAprobados = false;  // NPSinAprobar "NO"
    QString LimiteVigencia;
};
// The statement of a shape. `tc` is the plain type; `filtro` must already
// have lost its "where" for the shapes that ask for it.
QString Sentencia(Forma forma, const QString& tc, const QString& busqueda, const QString& filtro,
                  const Opciones& opciones);
// The switches one shape reads, from the configuration (ModGlobal::Cfg, and
// the server's date for the budgets' limit); the others stay off.
Opciones LeeOpciones(Forma forma);

}  // namespace vlookup
