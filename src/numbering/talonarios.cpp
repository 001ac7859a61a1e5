// Number books: the numbering alias, the choice of the book and of its
// proposal, and the recording of a used number.
#include "numbering/ast.h"

#include "core/configuracion.h"
#include "core/busquedas.h"
#include "core/formato.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/comunes.h"
#include "numbering/stock.h"
#include "platform/ado/connection.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"
#include "platform/ui/dialogs.h"

#include <algorithm>

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;
using namespace numeracion;

std::int16_t ast::gTalonario = 0;

QString ast::ObtieneTCNumeracion(const QString& TC)
{
    QString aux;
    const QString alias = Trim(ModGlobal::Cfg(QStringLiteral("NUM_") + Trim(TC), aux, QStringLiteral("DATOS")));
    return alias.isEmpty() ? TC : alias;
}

namespace {

double Valor(const Variant& v)
{
    return legacy::Val(Funciones::ValorNoNulo(v).toString());
}

// The book still has a number to hand out: the one it proposes (its next
// number, 1 for a stored 0) is within its range, its last number included
// (a book of 1 to 3 hands out 1, 2 and 3). The columns are numbers, so they
// compare as numbers (57 is below 100); a Null in either gives no number.
bool TieneNumero(const Variant& ultimo, const Variant& hasta)
{
    if (ultimo.IsNull() || hasta.IsNull() || ultimo.IsEmpty() || hasta.IsEmpty())
        return false;
    return std::max(Funciones::TextoADoble(ultimo), 1.0) <= Funciones::TextoADoble(hasta);
}

// An expiry and the voucher's date are compared as texts. Dates are brought
// to the form yyyymmdd first, so that the text order is the date order; a
// date text that is not a date is compared as it is.
QString FormaOrdenable(const Variant& fecha)
{
    const QString texto = Trim(fecha.toString());
    if (texto.isEmpty() || !legacy::IsDate(fecha))
        return texto;
    return legacy::Format(Variant(legacy::CDate(fecha)), QStringLiteral("yyyymmdd"));
}

}  // namespace

void ast::Obtener_Nro_Comprobante_Contable(const QString& TC, QString& Sucursal, QString& Numero, QString& Letra,
                                           bool& ModificaNumeracion, const QString& Fecha, const QString& UNegocio,
                                           QString& Tope)
{
    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("Obtener_Nro_Comprobante_Contable"), db.errorHandler());
    const QString tc = Trim(TC);
    const QString rc = Codigo(tc, 4);
    bool todosUtilizados = false;
    QString condicion, sucursalCandidata, numeroCandidato;
    QStringList agotados;  // the used-up books met, for the operator
    RS usuario, rs;

    trap([&] {
        if (EsUno(tc, {"OT", "FC", "NC", "ND"}) && Trim(Sucursal).isEmpty() &&
            ModGlobal::ExisteRegistro(QStringLiteral("TA_Usuarios"), ModGlobal::gUsuarioLogeado,
                                      QStringLiteral("Nombre"), &usuario, Variant(8), QString(), true)) {
            const QString sucot = Funciones::ValorNoNulo(usuario->Fields("sucot").Value()).toString();
            if (!sucot.isEmpty() && sucot != u"0000") {
                Sucursal = QStringLiteral("*") + sucot;
                const QString letot = Funciones::ValorNoNulo(usuario->Fields("letot").Value()).toString();
                if (!Trim(letot).isEmpty())
                    Letra = letot;
            }
        }
    });
    if (trap.left())
        return;
    if (Trim(Letra).isEmpty())
        Letra = QStringLiteral("X");
    if (Trim(Letra).size() > 1 && Letra.startsWith(u'*')) {
        Letra = Letra.mid(1);
        condicion = QStringLiteral(" AND (LETRAs LIKE('%") + ModGlobal::DuplicaApostrofes(Letra) + QStringLiteral("%')) ");
    }
    trap([&] {
        if (Trim(Sucursal).size() > 1 && Sucursal.startsWith(u'*')) {
            Sucursal = Sucursal.mid(1);
            condicion = QStringLiteral(" AND A_SUC_DEFAULT = '") + ModGlobal::DuplicaApostrofes(Sucursal) + QStringLiteral("'");
            db.AbrirRecordset(QStringLiteral("SELECT * FROM V_TA_CPTE  WHERE CODIGO = '") + rc +
                                  QStringLiteral("' ") + condicion,
                              rs, db.gCnn, 0, 1, -1, true);
            if (rs->Eof())
                condicion.clear();
        }
    });
    bool hay = false;
    trap([&] {
        const QString sql =
            Trim(UNegocio).isEmpty()
                ? QStringLiteral("SELECT * FROM V_TA_CPTE   WHERE CODIGO = '") + rc + QStringLiteral("'") + condicion +
                      QStringLiteral(" ORDER BY TALONARIO")
                : QStringLiteral("SELECT * FROM V_TA_CPTE WHERE  CODIGO = '") + rc +
                      QStringLiteral("' AND (UNEGOCIO = '") + Codigo(UNegocio, 4) +
                      QStringLiteral("' OR (UNEGOCIO = '' OR UNEGOCIO is null) ) ") + condicion +
                      QStringLiteral("  ORDER BY UNEGOCIO DESC, TALONARIO");
        db.AbrirRecordset(sql, rs, db.gCnn, 0, 1, -1, true);
        hay = !rs->Bof();
    });
    trap([&] {
        if (!hay && !Trim(UNegocio).isEmpty()) {
            db.AbrirRecordset(QStringLiteral("SELECT * FROM V_TA_CPTE  WHERE CODIGO = '") + rc +
                                  QStringLiteral("' ORDER BY TALONARIO"),
                              rs, db.gCnn, 0, 1, -1, true);
            hay = !rs->Bof();
        }
    });
    if (trap.left())
        return;
    if (!hay) {
        Sucursal = QStringLiteral("1");
        Numero = QStringLiteral("1");
        Letra = QStringLiteral("X");
        trap([&] { db.CierraRecordset(rs); });
        return;
    }

    for (;;) {
        bool fin = false, elegido = false;
        if (!trap([&] { fin = rs->Eof(); }))
            return;
        if (fin)
            break;
        trap([&] {
            const Variant letras = rs->Fields("Letras").Value();
            if (!letras.IsNull() && legacy::InStr(1, letras.toString(), Letra, legacy::vbTextCompare) == 0 &&
                !Iguales(tc, QStringLiteral("OT")))
                Letra = legacy::Left(letras.toString(), 1);
            if (Trim(Letra).isEmpty())
                Letra = QStringLiteral("X");
        });
        trap([&] {
            const QString l = Trim(Letra);
            const Variant ultimo = rs->Fields(Columna(l, QStringLiteral("_ULTIMO_NRO"))).Value();
            const Variant hasta = rs->Fields(Columna(l, QStringLiteral("_NRO_HASTA"))).Value();
            if (!TieneNumero(ultimo, hasta)) {
                todosUtilizados = true;
                agotados << QString::number(
                    Funciones::TextoAEntero(Funciones::ValorNoNulo(rs->Fields("Talonario").Value())));
                return;
            }
            const QString vence = FormaOrdenable(Funciones::ValorNoNulo(rs->Fields(ColumnaVence(l)).Value()));
            if (!(Fecha.isEmpty() || vence.isEmpty() || FormaOrdenable(Variant(Fecha)) <= vence))
                return;  // expired
            const Variant sucDefault = rs->Fields(Columna(l, QStringLiteral("_SUC_DEFAULT"))).Value();
            const double n = Valor(ultimo);
            sucursalCandidata = legacy::Format(Variant(Valor(sucDefault)), QStringLiteral("0000"));
            numeroCandidato =
                n == 0 ? QStringLiteral("00000001") : legacy::Format(Variant(n), QStringLiteral("00000000"));
            if (EsUno(tc, {"FP", "FC", "NC", "ND", "OT", "PR"}) && !sucDefault.IsNull() &&
                Funciones::TextoADoble(sucDefault) != legacy::Val(Sucursal) && !Trim(Sucursal).isEmpty())
                return;  // a book of another branch
            Sucursal = sucursalCandidata;
            Numero = numeroCandidato;
            Tope = legacy::Format(Variant(Valor(hasta)), QStringLiteral("00000000"));
            gTalonario = std::int16_t(Funciones::TextoAEntero(Funciones::ValorNoNulo(rs->Fields("Talonario").Value())));
            ModificaNumeracion = ModGlobal::TextoABooleano(
                Funciones::ValorNoNulo(rs->Fields("Modificanumeracion").Value()).toString(), true);
            todosUtilizados = false;
            elegido = true;
        });
        if (trap.left())
            return;
        if (elegido)
            break;
        if (!trap([&] { rs->MoveNext(); }))
            return;
    }

    Letra = Trim(Letra);
    if (Numero.isEmpty()) {
        Sucursal = sucursalCandidata;
        Numero = numeroCandidato;
    }
    // Used-up books hand out no number, not even the one the caller brought
    // (a number of no book, that would be written as if it were one), and
    // the operator is told in every program which books they are.
    if (todosUtilizados) {
        if (numeroCandidato.isEmpty()) {
            Sucursal.clear();
            Numero.clear();
        }
        ui::MsgBox(QStringLiteral("Todos los talonarios del comprobante ") + TC +
                       QStringLiteral(" se encuentran utilizados (Nro de Control: ") + agotados.join(QStringLiteral(", ")) +
                       QStringLiteral(", letra ") + Letra +
                       QStringLiteral("), debe dar de alta un nuevo talonario para el comprobante ") + TC,
                   ui::vbOKOnly + ui::vbExclamation, QStringLiteral("Aviso al Operador"));
    }
    trap([&] { db.CierraRecordset(rs); });
}

namespace {

// The book row found for a used number: which table it came from and how
// its UPDATE text names the book.
struct Libro {
    QString tabla;         // V_TA_CPTE, or TA_Comprobantes for the fallback
    QString condicion;     // the row's key, for the guarded write
    bool principal;        // found in V_TA_CPTE
};

// Recordset mode: the new number goes into the row through the recordset,
// and only while the row still holds the number read. Two stations that
// record numbers of one book at the same time would otherwise both pass the
// never-backwards test on what they read and the later write could move the
// book back: a no-op update of the number column, conditioned on the value
// read, takes the row's write lock inside a transaction first. When it finds
// no such row another station changed the book since it was read, and the
// write fails with an error that the routine reports (nothing is written).
// Inside a transaction the caller has begun, the write is part of it: a
// savepoint marks where a failed write goes back to, and the caller's
// transaction goes on; alone, the write has a transaction of its own.
void GrabaConControl(DB_Dll& db, const RS& rs, const Libro& libro, const QString& columna, const QString& Numero)
{
    const Variant leido = rs->Fields(columna).OriginalValue();
    const QString comparacion =
        leido.IsNull() ? columna + QStringLiteral(" IS NULL")
                       : columna + QStringLiteral(" = ") + Funciones::TextoANumero(leido).toString();
    const QString marca = QStringLiteral("ActualizaNumeracion");
    const bool delLlamador =
        legacy::CLng(db.gCnn->Execute(QStringLiteral("SELECT @@TRANCOUNT AS N"))->Fields("N").Value()) > 0;
    if (delLlamador)
        db.gCnn->Execute(QStringLiteral("SAVE TRANSACTION ") + marca);
    else
        db.gCnn->BeginTrans();
    try {
        int filas = 0;
        db.gCnn->Execute(QStringLiteral("UPDATE ") + libro.tabla + QStringLiteral(" SET ") + columna +
                             QStringLiteral(" = ") + columna + libro.condicion + QStringLiteral(" AND ") + comparacion,
                         &filas);
        if (filas == 0)
            throw legacy::VbError(ado::kErrRowNotFound,
                                  QStringLiteral("El talonario fue modificado por otra estacion desde su lectura; "
                                                 "el numero no se grabo."));
        rs->Fields(columna) = Variant(Funciones::TextoANumero(Variant(Numero)));
        rs->Fields("fechahora_modificacion") =
            Variant(legacy::Format(Variant(legacy::Now()), ModGlobal::FormatoFechaHora()));
        rs->Update();
        if (!delLlamador)
            db.gCnn->CommitTrans();
    } catch (...) {
        if (rs->EditMode() != ado::adEditNone)
            rs->CancelUpdate();
        if (delLlamador)
            db.gCnn->Execute(QStringLiteral("ROLLBACK TRANSACTION ") + marca);
        else
            db.gCnn->RollbackTrans();
        throw;
    }
}

}  // namespace

void ast::ActualizaNumeracionComprobante(const QString& TC, const QString& NombreSistema, const QString& Sucursal,
                                         const QString& Numero, QString& Letra, bool GeneraSentencia,
                                         QString& SentenciaSQL, bool EsContable, bool SinActualizarNumero)
{
    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("ConsultaComprobante"), db.errorHandler());
    // The caller's TC is never changed: the alias lives in a variable of its
    // own, so no way out (an error either) leaves the alias in it.
    QString alias;
    if (!trap([&] { alias = ObtieneTCNumeracion(TC); }))
        return;
    // The book that moves is the one covering the voucher's own number (the
    // caller passes the number that follows it): the voucher of a book's last
    // number moves that book past its range, not the next book on.
    double propio = 0;
    trap([&] {
        QString mensaje;
        propio = Funciones::TextoADoble(Variant(Numero)) - 1;
        Stock::ValidaNumeracionComprobante(alias, Sucursal, legacy::Format(Variant(propio), QStringLiteral("00000000")),
                                           Letra, mensaje, QString());
    });
    if (trap.left())
        return;

    const QString rc = Codigo(Trim(alias), 4);
    RS rs;
    Libro libro;
    bool hay = false;
    trap([&] {
        db.AbrirRecordset(QStringLiteral("SELECT * FROM V_TA_CPTE  with(nolock)  WHERE CODIGO = '") + rc +
                              QStringLiteral("' AND TALONARIO =") + QString::number(gTalonario),
                          rs, db.gCnn, 2, 3, -1, true);
        hay = !rs->Bof();
        libro = {QStringLiteral("V_TA_CPTE"),
                 QStringLiteral(" WHERE CODIGO = '") + rc + QStringLiteral("' AND TALONARIO = ") +
                     QString::number(gTalonario),
                 true};
    });
    trap([&] {
        if (hay)
            return;
        db.AbrirRecordset(QStringLiteral("SELECT * FROM TA_Comprobantes WHERE CODIGO = '") + rc +
                              QStringLiteral("' AND SISTEMA = '") + ModGlobal::DuplicaApostrofes(Trim(NombreSistema)) +
                              QStringLiteral("' AND TALONARIO = ") + QString::number(gTalonario),
                          rs, db.gCnn, 2, 3, -1, true);
        hay = !rs->Bof();
        libro = {QStringLiteral("TA_Comprobantes"),
                 QStringLiteral(" WHERE CODIGO = '") + rc + QStringLiteral("' AND SISTEMA = '") +
                     ModGlobal::DuplicaApostrofes(Trim(NombreSistema)) + QStringLiteral("' AND TALONARIO = ") + QString::number(gTalonario),
                 false};
    });
    if (trap.left())
        return;

    if (!hay) {
        // No book at all: an externally numbered type records nothing.
        bool tipo = false;
        trap([&] {
            db.AbrirRecordset(QStringLiteral("SELECT * FROM V_TA_CPTE  with(nolock)  WHERE CODIGO = '") + rc +
                                  QStringLiteral("'"),
                              rs, db.gCnn, 2, 3, -1, true);
            tipo = !rs->Bof();
        });
        trap([&] {
            if (!tipo) {
                ui::MsgBox(QStringLiteral("Error en grabacion del Comprobante, no se ha encontrado el comprobante configurado"),
                           ui::vbCritical + ui::vbOKOnly, QStringLiteral("ATENCION"));
                return;
            }
            rs->MoveFirst();
            const Variant externo = rs->Fields("Externo").Value();
            if (!externo.IsNull() && ModGlobal::TextoABooleano(externo.toString(), true))
                SentenciaSQL.clear();
        });
        if (trap.left())
            return;
        trap([&] { db.CierraRecordset(rs); });
        return;
    }

    bool otraSucursal = false, graba = true;
    QString columna;
    trap([&] {
        rs->MoveFirst();
        if (Letra.isEmpty())
            Letra = QStringLiteral("X");
    });
    trap([&] {
        otraSucursal = Funciones::TextoADoble(Funciones::ValorNoNulo(
                           rs->Fields(Columna(Letra, QStringLiteral("_SUC_DEFAULT"))).Value())) !=
                       Funciones::TextoADoble(Variant(Sucursal));
    });
    if (trap.left())
        return;
    if (!otraSucursal) {
        // The book never moves backwards and is never rewritten with its own
        // number: a number is written only when it is at least the stored one
        // plus 1. The same test holds for a book of TA_Comprobantes.
        trap([&] {
            columna = Columna(Letra, QStringLiteral("_ULTIMO_NRO"));
            const Variant ultimo = rs->Fields(columna).Value();
            if (!ultimo.IsNull() &&
                Funciones::TextoANumero(ultimo) + legacy::Currency(1) > Funciones::TextoANumero(Variant(Numero)))
                graba = false;
            // A number no book covers (typed by the user) moves no book: the
            // book chosen for the proposal keeps its next number. A book open
            // to any number (both bounds 0, numbering modifiable) or numbered
            // outside covers every number.
            if (libro.principal && graba) {
                const Variant desde = rs->Fields(Columna(Letra, QStringLiteral("_NRO_DESDE"))).Value();
                const Variant hasta = rs->Fields(Columna(Letra, QStringLiteral("_NRO_HASTA"))).Value();
                const Variant modifica = rs->Fields("Modificanumeracion").Value();
                const Variant externo = rs->Fields("Externo").Value();
                const double d = Funciones::TextoADoble(Funciones::ValorNoNulo(desde));
                const double h = Funciones::TextoADoble(Funciones::ValorNoNulo(hasta));
                const bool libre = (d == 0 && h == 0 && !modifica.IsNull() && !modifica.IsEmpty() &&
                                    legacy::CBool(modifica)) ||
                                   (!externo.IsNull() && ModGlobal::TextoABooleano(externo.toString(), true));
                if (!libre && (desde.IsNull() || hasta.IsNull() || propio < d || propio > h))
                    graba = false;
            }
        });
        if (GeneraSentencia) {
            trap([&] {
                if (!graba || (libro.principal && SinActualizarNumero))
                    return;
                // The statement runs later in the caller's batch, after other
                // stations may have moved the book: its own WHERE repeats the
                // never-backwards test, so it can only move the book forward.
                SentenciaSQL = QStringLiteral(" UPDATE V_TA_CPTE SET ") + columna + QStringLiteral(" = ") + Numero +
                               QStringLiteral(" WHERE CODIGO = '") + Codigo(alias, 4) +
                               (libro.principal ? QStringLiteral("' AND TALONARIO=") : QStringLiteral("' AND TALONARIO =")) +
                               QString::number(gTalonario) + QStringLiteral(" AND (") + columna +
                               QStringLiteral(" IS NULL OR ") + columna + QStringLiteral(" + 1 <= ") + Numero +
                               QStringLiteral(")");
            });
            trap([&] {
                const bool contable =
                    Iguales(Funciones::ValorNoNulo(rs->Fields("Sistema").Value()).toString(), QStringLiteral("Contable"));
                if (contable || EsContable || Iguales(alias, QStringLiteral("OC")))
                    SentenciaSQL += QStringLiteral("\r\n INSERT INTO V_MV_CTROL_CPTE (TC,SUCURSAL,NUMERO,LETRA) VALUES ('") +
                                    Codigo(alias, 4) + QStringLiteral("','") +
                                    legacy::Format(Variant(Funciones::TextoANumero(Variant(Sucursal))),
                                                   QStringLiteral("0000")) +
                                    QStringLiteral("','") +
                                    legacy::Format(Variant(Funciones::TextoANumero(Variant(Numero)) - legacy::Currency(1)),
                                                   QStringLiteral("00000000")) +
                                    QStringLiteral("','") + ModGlobal::DuplicaApostrofes(Letra) + QStringLiteral("')\r\n");
            });
        } else {
            trap([&] {
                if (graba)
                    GrabaConControl(db, rs, libro, columna, Numero);
            });
        }
        if (trap.left())
            return;
    }
    trap([&] { db.CierraRecordset(rs); });
}
