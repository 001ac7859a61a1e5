// Next voucher number: the number book's proposal, moved past the vouchers
// already stored, and the id of a new stock voucher.
//
// Two stations asking at the same moment may be handed the same number:
// nothing is reserved here. What keeps the numbering sound is elsewhere: the
// recording of a used number never moves a book backwards
// (ast::ActualizaNumeracionComprobante), and a stock voucher's id is checked
// against the stored ones right before it is given out.
#include "numbering/stock.h"

#include "core/cargaconfiguracion.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/ast.h"
#include "numbering/comunes.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"

using kapores2::Funciones;
using legacy::Variant;
using namespace numeracion;

namespace {

// The 8 digits of the number inside a stored id.
Variant NumeroDelId(const Variant& id)
{
    return Variant(legacy::Mid(id.toString(), 5, 8));
}

// Where the vouchers of a type live, for the check by id: the proposal is
// moved one past the highest stored id of the branch and letter when the
// proposed id is already there.
void PasaElUltimoId(const QString& tabla, const QString& TC, const QString& Sucursal, QString& Numero,
                    const QString& Letra)
{
    RS rs;
    const QString tc = ModGlobal::DuplicaApostrofes(TC), suc = ModGlobal::DuplicaApostrofes(Sucursal), letra = ModGlobal::DuplicaApostrofes(Letra);
    if (Abre(QStringLiteral("SELECT * From ") + tabla + QStringLiteral("  with(nolock)  WHERE TC = '") + tc +
                 QStringLiteral("' AND IDCOMPROBANTE = '") + suc + ModGlobal::DuplicaApostrofes(Numero) + letra + QStringLiteral("'"),
             rs) &&
        Abre(QStringLiteral("SELECT MAX(idcomprobante) AS ULTIMO From ") + tabla + QStringLiteral(" WHERE TC = '") +
                 tc + QStringLiteral("' AND SUBSTRING(IDCOMPROBANTE,1,4)= '") + suc +
                 QStringLiteral("' AND SUBSTRING(IDCOMPROBANTE,13,1) = '") + letra + QStringLiteral("'"),
             rs)) {
        const Variant ultimo = rs->Fields("Ultimo").Value();
        if (!ultimo.IsNull()) {
            const Variant m = NumeroDelId(ultimo);
            if (Funciones::TextoANumero(Variant(Numero)) <= Funciones::TextoANumero(m))
                Numero = Siguiente(m);
        }
    }
    ModGlobal::gDB().CierraRecordset(rs);
}

}  // namespace

void Stock::Obtener_Nro_Comprobante(const QString& TC, QString& Sucursal, QString& Numero, QString& Letra,
                                    bool& ModificaNumeracion, bool Verificar, const QString&,
                                    const QString& UNegocio, bool SinAlias)
{
    if (TC.isEmpty())
        return;
    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("Obtener_Nro_Comprobante"), db.errorHandler());
    // The books of the alias; every check below uses the caller's own type,
    // which is never changed.
    QString alias = TC;
    trap([&] {
        if (!SinAlias)
            alias = ast::ObtieneTCNumeracion(TC);
    });
    trap([&] {
        QString tope = QStringLiteral("99999999");
        ast::Obtener_Nro_Comprobante_Contable(alias, Sucursal, Numero, Letra, ModificaNumeracion, QString(), UNegocio,
                                              tope);
    });
    // No number from the books (every one used up, the operator told):
    // nothing to verify and nothing to write.
    if (trap.left() || !Verificar || Numero.isEmpty())
        return;

    const QString tope = QStringLiteral("99999999");
    const QString tc = ModGlobal::DuplicaApostrofes(TC), suc = ModGlobal::DuplicaApostrofes(Sucursal), letra = ModGlobal::DuplicaApostrofes(Letra);
    if (EsUno(TC, {"VJ"})) {
        trap([&] { PasaElUltimoId(QStringLiteral("MV_VIAJES"), TC, Sucursal, Numero, Letra); });
        return;
    }
    if (EsUno(TC, {"AJP", "AJN", "VS", "IR", "TR"})) {
        trap([&] { PasaElUltimoId(QStringLiteral("V_MV_STOCK"), TC, Sucursal, Numero, Letra); });
        return;
    }
    bool conAsiento = false;
    trap([&] {
        QString descripcion;
        conAsiento = ExisteAsientoComprobante(TC, Sucursal, Numero, Letra, descripcion, QString(), true);
    });
    if (trap.left())
        return;
    RS rs;
    if (conAsiento) {
        // The seats decide, whether the book proposed a higher number or a
        // lower one.
        trap([&] {
            Abre(QStringLiteral("SELECT MAX(NUMERO) AS ULTIMO From MV_ASIENTOS with(nolock) WHERE TC = '") + tc +
                     QStringLiteral("' AND SUCURSAL= '") + suc + QStringLiteral("' AND LETRA = '") + letra +
                     QStringLiteral("'"),
                 rs);
            const Variant ultimo = Campo(rs, QStringLiteral("Ultimo"));
            Numero = ultimo.IsNull() ? QStringLiteral("00000001") : Siguiente(ultimo);
        });
        trap([&] {
            if (!EsUno(TC, {"CBFP"}))
                return;
            Abre(QStringLiteral("SELECT MAX(idcomprobante) AS ULTIMO From V_MV_CPTE WHERE TC = '") + tc +
                     QStringLiteral("' AND SUBSTRING(IDCOMPROBANTE,1,4)= '") + suc +
                     QStringLiteral("' AND SUBSTRING(IDCOMPROBANTE,13,1) = '") + letra + QStringLiteral("'"),
                 rs);
            const Variant ultimo = Campo(rs, QStringLiteral("Ultimo"));
            if (!ultimo.IsNull() && Funciones::TextoANumero(NumeroDelId(ultimo)) > Funciones::TextoANumero(Variant(Numero)))
                Numero = Siguiente(NumeroDelId(ultimo));
        });
        trap([&] { db.CierraRecordset(rs); });
        return;
    }
    if (EsUno(TC, {"OPG", "PG", "FC", "NC", "ND", "NP", "GF", "PR", "RM", "TK", "TKFC", "FP", "EEFC", "EEND", "EENC",
                   "SI", "TRP"}))
        return;
    if (EsUno(TC, {"OC"})) {
        trap([&] {
            if (!Abre(QStringLiteral("SELECT * From C_MV_CPTE  with(nolock)  WHERE TC = '") + tc +
                          QStringLiteral("' AND IDCOMPROBANTE = '") + suc + ModGlobal::DuplicaApostrofes(Numero) + letra + QStringLiteral("'"),
                      rs))
                return;
            Abre(QStringLiteral("SELECT MAX(NUMERO) AS ULTIMO From C_MV_CPTE  with(nolock) WHERE TC = '") + tc +
                     QStringLiteral("' AND SUCURSAL = '") + suc + QStringLiteral("' AND NUMERO < '") + tope +
                     QStringLiteral("' AND LETRA = '") + letra + QStringLiteral("' "),
                 rs);
            const Variant ultimo = Campo(rs, QStringLiteral("Ultimo"));
            Numero = ultimo.IsNull() ? QStringLiteral("00000001") : Siguiente(ultimo);
        });
        trap([&] { db.CierraRecordset(rs); });
        return;
    }
    // Any other type: a control row that still names the proposed number goes.
    trap([&] {
        int filas = 0;
        db.EjecutaConsultaSQL(QStringLiteral("DELETE V_MV_CTROL_CPTE WHERE TC = '") + tc +
                                  QStringLiteral("' AND SUCURSAL = '") + suc + QStringLiteral("' AND NUMERO = '") +
                                  ModGlobal::DuplicaApostrofes(Numero) + QStringLiteral("' AND LETRA = '") + letra + QStringLiteral("'"),
                              &filas);
    });
}

Variant Stock::AsignarNumeroComprobante(const QString& TC, QString& Sucursal, QString& Letra)
{
    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("AsignarNumeroComprobante"), db.errorHandler());
    QString numero;
    bool modifica = false;
    if (!trap([&] {
            Obtener_Nro_Comprobante(TC, Sucursal, numero, Letra, modifica, true, QString(), ModGlobal::gUNegocio,
                                    false);
            if (numero.isEmpty())
                return;
            // The id has a fixed form whatever the book gave (a type without
            // books proposes "1", "1", "X"): branch of 4 digits, number of 8.
            Sucursal = Sucursal4(Variant(Sucursal));
            numero = Numero8(Variant(numero));
        }))
        return {};
    // Every book used up: no id (the operator has been told).
    if (numero.isEmpty())
        return {};
    RS rs;
    const QString tc = ModGlobal::DuplicaApostrofes(TC), suc = ModGlobal::DuplicaApostrofes(Sucursal), letra = ModGlobal::DuplicaApostrofes(Letra);
    if (!trap([&] {
            if (!Abre(QStringLiteral("SELECT TC,IDCOMPROBANTE From V_MV_STOCK  with(nolock) WHERE TC = '") + tc +
                          QStringLiteral("' AND IDCOMPROBANTE = '") + suc + numero + letra + QStringLiteral("'"),
                      rs))
                return;
            Abre(QStringLiteral("SELECT MAX(IDCOMPROBANTE) AS ULTIMO From V_MV_STOCK  with(nolock) WHERE TC = '") +
                     tc + QStringLiteral("' AND SUBSTRING(IDCOMPROBANTE, 1, 4)= '") + suc +
                     QStringLiteral("' AND SUBSTRING(IDCOMPROBANTE, 13, 1)= '") + letra + QStringLiteral("'"),
                 rs);
            const Variant ultimo = Campo(rs, QStringLiteral("Ultimo"));
            numero = ultimo.IsNull() ? QStringLiteral("00000001") : Siguiente(NumeroDelId(ultimo));
        }))
        return {};
    if (!trap([&] { db.CierraRecordset(rs); }))
        return {};
    return Variant(Sucursal + numero + Letra);
}
