// The accounting seat of a stock movement: the statements that insert, or add
// to, the rows of MV_ASIENTOS. Nothing is executed here.
#include "voucher/clscmncptes.h"
#include "voucher/unallamada.h"
#include "voucher/stock/comun.h"

#include "core/cargaconfiguracion.h"
#include "core/configuracion.h"
#include "core/formato.h"
#include "core/modglobal.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/ast.h"
#include "numbering/stock.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/date.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/format.h"
#include "platform/legacy/numeric.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/msflexgrid.h"

#include <memory>

using kapores2::Funciones;
using legacy::Currency;
using legacy::Trim;

namespace {

bool EnLista(const QString& tc, const char* lista)
{
    return Funciones::EstaEnLista(legacy::Variant(Trim(tc)), QString::fromLatin1(lista).split(u','));
}

int MesDe(const QString& fecha)
{
    return legacy::CDate(legacy::Variant(fecha)).date().month();
}

}  // namespace

QString ClsCmnCptes::GeneraAsientoStock(ui::MSFlexGrid& Grid, QString& eMotivoStock, QString& TC, QString& Suc,
                                        QString& Nro, QString& Letra, const QString& fecha, bool EsDebito,
                                        int TipoMov, long SoloRegistro, int* Secuencia)
{
    // An empty result would read as "no seat due": a refused call raises,
    // so that no voucher is stored without its seat.
    const UnaLlamada turno(*this, &Grid);
    if (!turno.concedida())
        throw legacy::VbError(5, QStringLiteral("El asiento del comprobante ya se está generando; no se generó otro."));
    return AsientoStock(Grid, eMotivoStock, TC, Suc, Nro, Letra, fecha, EsDebito, TipoMov, SoloRegistro, Secuencia);
}

QString ClsCmnCptes::AsientoStock(ui::MSFlexGrid& Grid, QString& eMotivoStock, QString& TC, QString& Suc, QString& Nro,
                                  QString& Letra, const QString& fecha, bool EsDebito, int TipoMov, long SoloRegistro,
                                  int* Secuencia)
{
    QString resultado;
    if (!AsientosXStock)
        return resultado;

    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("GenerarAsientoStock"), db.errorHandler());

    eMotivoStock.remove(u'\'');
    if (TipoMov != 99 && EnLista(TC, "FC,TK,FKFC,FP,NC,NCP,ND"))
        return resultado;
    if (EnLista(TC, "FCC,FPC,NCC,LNCC,NCCP,NDC,LNDC"))
        return resultado;

    const bool grillaPropia = Grid.Name().compare(QLatin1String("MSFlexGridDif"), Qt::CaseInsensitive) != 0;
    int colCosto = 41;
    bool sigue = true;
    trap([&] {
        const auto motivoConfigurado = [&](const char* clave) {
            if (grillaPropia)
                eMotivoStock = ModGlobal::Cfg(QString::fromLatin1(clave));
        };
        if (TipoMov >= 1 && TipoMov <= 5) {
            static const char* const kClaves[] = {"MotivoStockRemito", "MotivoStockComodato",
                                                  "MotivoStockTransferencias", "MotivoStockTransferencias",
                                                  "MotivoStockRecepcionOC"};
            motivoConfigurado(kClaves[TipoMov - 1]);
            EsDebito = (TipoMov <= 3) == grillaPropia;
        } else if (TipoMov == 99) {
            // step 6 below
        } else if (stockcomun::Es(TC, "RMC")) {
            colCosto = 20;
            motivoConfigurado("MotivoStockRecepcionOC");
            EsDebito = !grillaPropia;
        } else if (EnLista(TC, "IR,AJP,SI")) {
            EsDebito = false;
        } else if (EnLista(TC, "VS,AJN")) {
            EsDebito = true;
        } else {
            EsDebito = ObtieneSignoComprobante(TC) != 1;
        }
    });

    QString tcOrigen, cpteOrigen;
    if (TipoMov == 99) {
        tcOrigen = Funciones::RellenaCodigo(Trim(TC), 4);
        cpteOrigen = Suc + Nro + Letra;
        if (EnLista(TC, "FC,TK,TKFC,FP,ND"))
            EsDebito = true;
        else if (EnLista(TC, "NC,NCFP"))
            EsDebito = false;
        else
            return resultado;
        TC = QStringLiteral("CMV");
        trap([&] {
            bool modifica = false;
            Stock::Obtener_Nro_Comprobante(TC, Suc, Nro, Letra, modifica, true, QString(), QString(), false);
        });
    }

    QString cuentaMotivo, descripcionMotivo;
    trap([&] {
        const QString motivo = db.SQLValue(legacy::Variant(ModGlobal::DuplicaApostrofes(
                                               Funciones::RellenaCodigo(eMotivoStock, 4))),
                                           QStringLiteral("'"))
                                   .toString();
        std::shared_ptr<ado::Recordset> rs;
        if (TipoMov == 99) {
            db.AbrirRecordset(QStringLiteral("SELECT V_TA_MotivoVta.IdMotivoVta, V_TA_MotivoVta.Descripcion, ") +
                                  QStringLiteral("V_TA_Input_Ventas.COSTO_MERCADERIA ") +
                                  QStringLiteral("FROM V_TA_Input_Ventas INNER JOIN ") +
                                  QStringLiteral("V_TA_MotivoVta ON V_TA_Input_Ventas.IdMotivoVta = "
                                                 "V_TA_MotivoVta.IdMotivoVta ") +
                                  QStringLiteral("WHERE V_TA_MotivoVta.IdMotivoVta = ") + motivo,
                              rs, nullptr, 0, 1, -1, true);
            if (rs->Eof()) {
                sigue = false;
                return;
            }
            cuentaMotivo = Trim(Funciones::ValorNoNulo(rs->Fields("COSTO_MERCADERIA")).toString());
            descripcionMotivo = Funciones::ValorNoNulo(rs->Fields("Descripcion")).toString();
            if (cuentaMotivo.isEmpty()) {
                ui::MsgBox(QStringLiteral("No se puede generar el asiento de Costo de mercaderia!.. no esta "
                                          "configurada la cuenta"),
                           ui::vbInformation, QStringLiteral("Aviso al Operador"));
                sigue = false;
            }
            return;
        }
        db.AbrirRecordset(QStringLiteral("SELECT CUENTACONTABLE, Descripcion FROM V_TA_MOTIVOSTOCK WHERE "
                                         "IDMOTIVOSTOCK = ") +
                              motivo,
                          rs, nullptr, 0, 1, -1, true);
        if (rs->Eof()) {
            sigue = false;
            return;
        }
        cuentaMotivo = Trim(Funciones::ValorNoNulo(rs->Fields("CuentaContable")).toString());
        descripcionMotivo = Funciones::ValorNoNulo(rs->Fields("Descripcion")).toString();
    });
    if (trap.left() || !sigue || cuentaMotivo.isEmpty())
        return resultado;

    const QString periodo = QString::number(ModGlobal::Periodo);
    int mes = 0;
    trap([&] { mes = MesDe(fecha); });
    if (trap.left())
        return resultado;

    // The seat number. A number kept from an earlier seat of this object is
    // only carried on within the same operating month and period, and never
    // below the next free number the seat table gives; a per-row seat draws
    // its number at the first per-row call of a voucher and pass (the writer
    // clears the key at every pass) and its later rows share it.
    trap([&] {
        const auto libre = [&] { return double(ast::ValidaTCRegistraciones(QString::number(mes), periodo, QString())); };
        const QString claveMes = QString::number(mes) + QStringLiteral("|") + periodo;
        if (SoloRegistro == 0) {
            QString descripcion;
            if (Stock::ExisteAsientoComprobante(TC, Suc, Nro, Letra, descripcion, QString(), true)) {
                // "El comprobante ya ha Sido Cargado. Asiento " & descripcion: the
                // writer runs unattended, so the refusal gives an empty seat and
                // no box, as a voucher that is booked once must be.
                sigue = false;
                return;
            }
            const double desdeBase = libre();
            UltimoAsiento = (UltimoAsiento != 0 && UltimoAsientoMes == claveMes)
                                ? std::max(UltimoAsiento + 1, desdeBase)
                                : desdeBase;
        } else {
            const QString claveFila = Trim(TC) + u'|' + Suc + u'|' + Nro + u'|' + Letra + u'|' + claveMes;
            if (claveFila != AsientoPorFilaClave) {
                UltimoAsiento = libre();
                AsientoPorFilaClave = claveFila;
            }
        }
        UltimoAsientoMes = claveMes;
    });
    if (trap.left() || !sigue)
        return resultado;

    QString tipoReg;
    trap([&] { tipoReg = ast::ObtieneTipoRegCont(TC); });
    // An empty sub-journal ("No se ha informado El Tipo de Registro ...") gives
    // no seat and no box, for the same reason as above.
    if (trap.left() || tipoReg.isEmpty())
        return resultado;

    // The articles of the movement and their amounts (quantity x cost).
    QStringList articulos;
    QList<Currency> importes;
    trap([&] {
        const auto agrega = [&](long fila) {
            Grid.setRow(int(fila));
            const QString codigo = Funciones::RellenaCodigo(Grid.TextMatrix(int(fila), 0), 25);
            const Currency importe = Funciones::TextoANumero(legacy::Variant(Grid.TextMatrix(int(fila), 8))) *
                                     Funciones::TextoANumero(legacy::Variant(Grid.TextMatrix(int(fila), colCosto)));
            for (int i = 0; i < articulos.size(); ++i)
                if (articulos[i].compare(codigo, Qt::CaseInsensitive) == 0) {
                    importes[i] += importe;
                    return;
                }
            articulos << codigo;
            importes << importe;
        };
        if (SoloRegistro == 0) {
            for (long fila = 1; fila <= Grid.Rows() - 1; ++fila)
                agrega(fila);
        } else {
            agrega(SoloRegistro);
        }
    });
    if (trap.left() || articulos.isEmpty())
        return resultado;

    // The amounts grouped by the articles' accounting accounts.
    QStringList cuentas;
    QList<Currency> montos;
    trap([&] {
        QStringList literales;
        for (const QString& a : articulos)
            literales << ModGlobal::DuplicaApostrofes(a);
        const QString condicion = ModGlobal::ArmaCondicion(QStringLiteral(" idarticulo "), QStringLiteral("="),
                                                           literales, QStringLiteral(" OR "), QStringLiteral("'"),
                                                           false, false);
        std::shared_ptr<ado::Recordset> rs;
        db.AbrirRecordset(QStringLiteral("select cuentacontableC from v_ma_articulos ") + QStringLiteral("where (") +
                              condicion +
                              QStringLiteral(") and not cuentacontableC is null group by cuentacontableC"),
                          rs, nullptr, 0, 1, -1, true);
        for (; !rs->Eof(); rs->MoveNext())
            cuentas << Funciones::ValorNoNulo(rs->Fields("cuentacontableC")).toString();
        if (cuentas.isEmpty())
            return;
        // Each article's account, read once (not once per account).
        QStringList cuentaDe;
        QList<bool> existe;
        for (const QString& literal : literales) {
            std::shared_ptr<ado::Recordset> art;
            db.AbrirRecordset(QStringLiteral("select cuentacontableC, costo from v_ma_articulos where idarticulo=") +
                                  db.SQLValue(legacy::Variant(literal), QStringLiteral("'")).toString(),
                              art, nullptr, 0, 1, -1, true);
            existe << !art->Eof();
            cuentaDe << (art->Eof() ? QString() : Trim(Funciones::ValorNoNulo(art->Fields("cuentacontableC")).toString()));
        }
        for (const QString& cuenta : cuentas) {
            Currency suma;
            for (int i = 0; i < articulos.size(); ++i)
                if (existe[i] && cuentaDe[i].compare(Trim(cuenta), Qt::CaseInsensitive) == 0)
                    suma += importes[i];
            montos << suma;
        }
    });
    if (trap.left())
        return resultado;

    // One statement per row of the seat.
    const QString unegocio = ModGlobal::gUNegocio.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0
                                 ? ModGlobal::gUNegocio
                                 : ModGlobal::TextoSQL(ModGlobal::gUNegocio);
    const QString caja = Trim(ModGlobal::gCaja).isEmpty()
                             ? QStringLiteral("NULL")
                             : ModGlobal::TextoSQL(Funciones::RellenaCodigo(Trim(ModGlobal::gCaja), 4));
    const QString ahora = db.SQLValue(legacy::Variant(legacy::Format(legacy::Variant(legacy::Date::now()),
                                                                     ModGlobal::FormatoFechaHora())),
                                      QStringLiteral("'"))
                              .toString();
    Currency total;
    for (const Currency& m : montos)
        total += m;
    QStringList sentencias;
    int secuencia = Secuencia ? *Secuencia : 0;
    // The seat's total, on every row. When a per-row seat adds to the motive
    // row already stored, the total grows with it and every row of the seat
    // is brought to the new one.
    Currency totalAsiento = total < Currency(0) ? -total : total;
    bool sumaAlGuardado = false;
    QString dondeComprobante;
    const auto fila = [&](const QString& cuenta, Currency importe, bool debe, int sec, bool motivo) {
        if (importe <= Currency(0))
            return;
        const QString lado = debe ? QStringLiteral("D") : QStringLiteral("H");
        const QString q = QStringLiteral("'");
        QList<CampoValor>& campos = ModGlobal::gListaCampos;
        campos.clear();
        const auto par = [&](const char* campo, const QString& valor) { campos.append({QString::fromLatin1(campo), valor}); };
        par("Cuenta", ModGlobal::TextoSQL(cuenta));
        par("Secuencia", ModGlobal::TextoSQL(QString::number(sec)));
        par("Mes_Operativo", ModGlobal::TextoSQL(QString::number(mes)));
        par("[Numero Asiento]", ModGlobal::TextoSQL(QString::number(qint64(UltimoAsiento))));
        par("Fecha", ModGlobal::TextoSQL(fecha));
        par("FechaSubDiario", ModGlobal::TextoSQL(fecha));
        par("Detalle", ModGlobal::TextoSQL(descripcionMotivo));
        par("TC", ModGlobal::TextoSQL(TC));
        par("SUCURSAL", ModGlobal::TextoSQL(Suc));
        par("NUMERO", ModGlobal::TextoSQL(Nro));
        par("LETRA", ModGlobal::TextoSQL(Letra));
        par("PERIODO", ModGlobal::TextoSQL(periodo));
        par("Tipo_Reg", ModGlobal::TextoSQL(tipoReg));
        par("[DEBE-HABER]", q + lado + q);
        par("FechaHora_Grabacion", ahora);
        par("USUARIO_LOGEADO", ModGlobal::TextoSQL(ModGlobal::gUsuarioLogeado));
        par("Importe", stockcomun::Num(importe));
        par("Moneda", QStringLiteral("'   1'"));
        par("Cotizacion", QStringLiteral("1"));
        par("CABImporte", stockcomun::Num(totalAsiento));
        par("CABCuenta", ModGlobal::TextoSQL(Trim(cuentaMotivo)));
        par("CABNombre", ModGlobal::TextoSQL(eMotivoStock));
        par("Unegocio", unegocio);
        par("IdCajas", caja);
        if (TipoMov == 99) {
            par("TC_ORIGEN", ModGlobal::TextoSQL(tcOrigen));
            par("CPTE_ORIGEN", ModGlobal::TextoSQL(cpteOrigen));
        }
        QString sql = QStringLiteral("INSERT INTO MV_ASIENTOS ");
        if (SoloRegistro > 0) {
            dondeComprobante = QStringLiteral(" WHERE TC = '") +
                               ModGlobal::DuplicaApostrofes(Funciones::RellenaCodigo(TC, 4)) +
                               QStringLiteral("' AND SUCURSAL = '") + ModGlobal::DuplicaApostrofes(Suc) +
                               QStringLiteral("' AND NUMERO = '") + ModGlobal::DuplicaApostrofes(Nro) +
                               QStringLiteral("' AND LETRA = '") + ModGlobal::DuplicaApostrofes(Letra) +
                               QStringLiteral("'");
            const QString donde = dondeComprobante + QStringLiteral(" AND CUENTA = '") +
                                  ModGlobal::DuplicaApostrofes(cuenta) + QStringLiteral("' AND [DEBE-HABER] = '") +
                                  lado + QStringLiteral("'");
            std::shared_ptr<ado::Recordset> rs;
            db.AbrirRecordset(QStringLiteral("SELECT * FROM MV_ASIENTOS  with(nolock) ") + donde, rs, nullptr, 0, 1,
                              -1, true);
            if (!rs->Eof()) {
                if (motivo) {
                    totalAsiento = Funciones::TextoANumero(Funciones::ValorNoNulo(rs->Fields("IMPORTE"))) + importe;
                    sumaAlGuardado = true;
                }
                sentencias << QStringLiteral("UPDATE MV_ASIENTOS SET IMPORTE = IMPORTE + ") + stockcomun::Num(importe) + donde;
                return;
            }
        }
        ModGlobal::ArmaInsertValores(sql, campos, true);
        sentencias << sql;
    };
    trap([&] {
        // A negative total goes, as its absolute amount, to the other side, so
        // that the seat balances whatever the signs of its account rows.
        const bool motivoDebe = total < Currency(0) ? !EsDebito : EsDebito;
        fila(cuentaMotivo, total < Currency(0) ? -total : total, motivoDebe, secuencia, true);
        for (int i = 0; i < cuentas.size(); ++i) {
            ++secuencia;
            const bool negativo = montos[i] < Currency(0);
            fila(cuentas[i], negativo ? -montos[i] : montos[i], negativo ? EsDebito : !EsDebito, secuencia, false);
        }
        if (sumaAlGuardado)
            sentencias << QStringLiteral("UPDATE MV_ASIENTOS SET CABImporte = ") + stockcomun::Num(totalAsiento) +
                              dondeComprobante;
    });
    for (const QString& s : sentencias)
        resultado += QStringLiteral("\r\n") + s;
    if (Secuencia)
        *Secuencia = secuencia + 1;
    return resultado;
}
