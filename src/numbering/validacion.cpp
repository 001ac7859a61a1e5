// Number validation against the number books, the voucher letter and the
// existence of a voucher's seat.
#include "numbering/stock.h"

#include "core/fechaservidor.h"
#include "core/formato.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/ast.h"
#include "numbering/comunes.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;
using namespace numeracion;

namespace {

// A book column used as a number; Null stays Null (no comparison holds).
std::optional<double> Numerico(const Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        return std::nullopt;
    return Funciones::TextoADoble(v);
}

bool Cero(const Variant& v)
{
    const auto n = Numerico(v);
    return n && *n == 0;
}

// Modificanumeracion as a logical value; Null is false.
bool Logico(const Variant& v)
{
    return !v.IsNull() && !v.IsEmpty() && legacy::CBool(v);
}

// The flag Externo: Null is false, any word but the false ones is true.
bool Externo(const Variant& v)
{
    return !v.IsNull() && ModGlobal::TextoABooleano(v.toString(), true);
}

// Dates are day first, as the program writes them.
QDate FechaDe(const Variant& v)
{
    return legacy::CDate(v).date();
}

}  // namespace

bool Stock::ValidaNumeracionComprobante(const QString& TC, const QString& Sucursal, const QString& Numero,
                                        QString& Letra, QString& Mensaje, const QString& Fecha)
{
    DB_Dll& db = ModGlobal::gDB();
    const double numero = Funciones::TextoADoble(Variant(Numero));
    const bool valido = numero > 0;

    // The letter, trimmed and upper-cased, must be exactly one of the seven
    // (an empty one stands for X): it becomes part of column names below.
    const QString letra = LetraValida(Letra);
    if (letra.isEmpty()) {
        Mensaje = QStringLiteral(" La letra Informada no es Valida, la misma debe ser ") + LetrasComprobante;
        return false;
    }
    Letra = letra;

    const Variant externo = db.DatosTabla(QStringLiteral("V_TA_CPTE"), Trim(TC), QStringLiteral("EXTERNO"),
                                          QStringLiteral("CODIGO"), Variant(8), QString(), true, false);
    if (!Funciones::ValorNoNulo(externo).toString().isEmpty() &&
        ModGlobal::TextoABooleano(externo.toString(), true)) {
        if (EsUno(TC, {"FCC", "NDC", "NCC"}) && EsUno(Letra, {"R", "X"}))
            return false;
        Mensaje.clear();
        return true;
    }

    const QString tc4 = Codigo(Trim(TC), 4);
    const legacy::Currency sucursal = Funciones::TextoANumero(Variant(Sucursal));
    const QString desde = Columna(Letra, QStringLiteral("_NRO_DESDE"));
    const QString hasta = Columna(Letra, QStringLiteral("_NRO_HASTA"));

    RS rs;
    bool ext = false;
    Abre(QStringLiteral("Select * from v_ta_cpte  with(nolock)  where codigo = '") + tc4 + QStringLiteral("' and ") +
             Columna(Letra, QStringLiteral("_SUC_DEFAULT = ")) + sucursal.toString(),
         rs);
    while (!rs->Eof()) {
        ext = Externo(rs->Fields("Externo").Value());
        const Variant d = rs->Fields(desde).Value(), h = rs->Fields(hasta).Value();
        if ((Cero(d) && Cero(h) && Logico(rs->Fields("Modificanumeracion").Value())) || ext)
            break;
        const auto nd = Numerico(d), nh = Numerico(h);
        if (nd && nh && numero >= *nd && numero <= *nh)
            ast::gTalonario = legacy::CInt(Funciones::TextoAEntero(rs->Fields("Talonario").Value()));
        rs->MoveNext();
    }
    db.CierraRecordset(rs);

    if (!Abre(QStringLiteral("SELECT * FROM V_TA_CPTE  with(nolock)  WHERE CODIGO = '") + tc4 +
                  QStringLiteral("' and Talonario = ") + QString::number(ast::gTalonario),
              rs)) {
        Mensaje = QStringLiteral("Debe configurar la numeracioN de Comprobantes");
        return false;
    }
    const Variant d = rs->Fields(desde).Value(), h = rs->Fields(hasta).Value();
    if ((Cero(d) && Cero(h) && Logico(rs->Fields("Modificanumeracion").Value())) || ext) {
        Mensaje.clear();
        return true;
    }

    bool ok = valido;
    const QString control = QString::number(ast::gTalonario);
    const Variant vence = Funciones::ValorNoNulo(rs->Fields(ColumnaVence(Letra)).Value());
    if (!Fecha.isEmpty() && !vence.toString().isEmpty() && FechaDe(vence) < FechaDe(Variant(Fecha))) {
        ok = false;
        Mensaje = QStringLiteral("El rango de numeracion del comprobante ") + TC + QStringLiteral(" Control nro: ") +
                  control +
                  QStringLiteral(" se encuenta vencida...! Debe dar de alta un nuevo talonario para el comprobante ") +
                  TC;
    }
    const QString texto = legacy::CStr(Variant(Funciones::TextoANumero(Variant(Numero))));
    const auto limite = [&](const Variant& valor, const char* nombre, bool fuera) {
        if (ok && fuera) {
            ok = false;
            Mensaje += QStringLiteral("\rEl Nomero de comprobante (") + texto +
                       QStringLiteral(") no respeta el parametro %1 del comprobante (").arg(QLatin1String(nombre)) +
                       legacy::CStr(valor) + QStringLiteral(") , Nro de Control: ") + control;
        }
    };
    limite(d, "NRO DESDE", Numerico(d) && numero < *Numerico(d));
    limite(h, "NRO HASTA", Numerico(h) && numero > *Numerico(h));
    Mensaje += QStringLiteral("\r\rVerifique los datos desde la TABLA DE COMPROBANTES y vuelta a Intentarlo");
    db.CierraRecordset(rs);
    if (ok)
        Mensaje.clear();
    return ok;
}

QString Stock::ObtieneLetraComprobante(const QString& CondIvaEmisor, const QString& CondIvaReceptor)
{
    // Errors are ignored: a condition that cannot be read counts as 0.
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("ObtieneLetraComprobante"));
    double emisor = 0, receptor = 0;
    trap([&] { emisor = Funciones::TextoADoble(Variant(CondIvaEmisor)); });
    trap([&] { receptor = Funciones::TextoADoble(Variant(CondIvaReceptor)); });
    if (emisor != 1)
        return QStringLiteral("C");
    if (receptor == 1)
        return QStringLiteral("A");
    if (receptor == 5)
        return ModGlobal::FechaServidor() >= legacy::Date::fromParts(2021, 7, 1) ? QStringLiteral("A")
                                                                               : QStringLiteral("B");
    return QStringLiteral("B");
}

bool Stock::ExisteAsientoComprobante(const QString& TC, const QString& Sucursal, const QString& Numero,
                                     const QString& Letra, QString& Descripcion, const QString& Cuenta,
                                     std::optional<bool> ConNolock)
{
    if (EsUno(TC, {"OC"}))
        return false;
    const QString cuenta =
        Cuenta.isEmpty() ? QString() : QStringLiteral(" AND CUENTA = '") + ModGlobal::DuplicaApostrofes(Cuenta) + QStringLiteral("'");
    // Without the option the seats are read without waiting for writers, as
    // every caller asks and as the program reads everywhere else.
    const bool nolock = ConNolock.value_or(true);
    const QString sql = (nolock ? QStringLiteral("SELECT * FROM MV_ASIENTOS  with(nolock)  WHERE TC = '")
                                : QStringLiteral("SELECT * FROM MV_ASIENTOS WHERE TC = '")) +
                        Codigo(TC, 4) + QStringLiteral("' AND SUCURSAL = '") + ModGlobal::DuplicaApostrofes(Sucursal) +
                        QStringLiteral("' AND NUMERO = '") + ModGlobal::DuplicaApostrofes(Numero) + QStringLiteral("' AND LETRA = '") +
                        ModGlobal::DuplicaApostrofes(Letra) + QStringLiteral("'") + cuenta;
    RS rs;
    if (!Abre(sql, rs))
        return false;
    Descripcion = legacy::Format(Funciones::ValorNoNulo(rs->Fields("Mes_Operativo").Value()), QStringLiteral("00")) +
                  QStringLiteral(" - ") +
                  legacy::Format(Funciones::ValorNoNulo(rs->Fields("numero asiento").Value()), QStringLiteral("000000"));
    ModGlobal::gDB().CierraRecordset(rs);
    return true;
}
