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

#include <QHash>

#include <algorithm>
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

struct Sale {};  // a step left through the error box: no seat

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
                                  int* Secuencia, const QSet<long>* Filas, int SignoFilas)
{
    QString resultado;
    if (!AsientosXStock)
        return resultado;

    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("GenerarAsientoStock"), db.errorHandler());

    eMotivoStock.remove(u'\'');
    const QString motivoRecibido = eMotivoStock;
    if (TipoMov != 99 && EnLista(TC, "FC,TK,FKFC,FP,NC,NCP,ND"))
        return resultado;
    if (EnLista(TC, "FCC,FPC,NCC,LNCC,NCCP,NDC,LNDC"))
        return resultado;

    const bool grillaPropia = Grid.Name().compare(QLatin1String("MSFlexGridDif"), Qt::CaseInsensitive) != 0;
    // A reception of a purchase order is valued at its price whatever the
    // movement kind, so that its closing seat books what its rows do.
    const int colCosto = stockcomun::Es(TC, "RMC") ? 20 : 41;
    bool sigue = true;
    // The motive was set by the movement kind (a closing or reception
    // motive): every line of the seat is booked under it.
    bool motivoDelTipo = false;
    // The side of the motive row follows the direction the rows move: the
    // sign the writer moved them with (an imposed one included), else the
    // type's stock sign. Exits put the motive on the debit side, entries on
    // the credit side; a differences grid reverses a closing seat.
    const auto sentido = [&](int natural) {
        const int s = SignoFilas != 0 ? SignoFilas : natural;
        return s > 0 ? 1 : -1;
    };
    trap([&] {
        const auto motivoConfigurado = [&](const char* clave) {
            if (grillaPropia) {
                eMotivoStock = ModGlobal::Cfg(QString::fromLatin1(clave));
                motivoDelTipo = true;
            }
        };
        if (TipoMov >= 1 && TipoMov <= 5) {
            static const char* const kClaves[] = {"MotivoStockRemito", "MotivoStockComodato",
                                                  "MotivoStockTransferencias", "MotivoStockTransferencias",
                                                  "MotivoStockRecepcionOC"};
            motivoConfigurado(kClaves[TipoMov - 1]);
            EsDebito = (sentido(TipoMov <= 3 ? -1 : 1) == -1) == grillaPropia;
        } else if (TipoMov == 99) {
            // step 6 below
        } else if (stockcomun::Es(TC, "RMC")) {
            motivoConfigurado("MotivoStockRecepcionOC");
            EsDebito = (sentido(1) == -1) == grillaPropia;
        } else {
            // The type's stock sign, read as the stock rows read it (its ES
            // before the names); the names decide only for a type missing
            // from the table.
            int signo = SignoFilas;
            if (signo == 0) {
                signo = ObtieneSignoComprobante(TC);
                if (signo == 0 && EnLista(TC, "IR,AJP,SI"))
                    signo = 1;
            }
            EsDebito = sentido(signo) != 1;
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
        // Every cost-of-goods book used up (the operator has been told): no
        // number, so no seat, never one under a blank key.
        if (trap.left() || Trim(Suc).isEmpty() || Trim(Nro).isEmpty())
            return resultado;
    }

    // The motive of a line: the voucher's, or with "ELDELGRID" the one of
    // the line's own row (column 89, in its code form as the stock row
    // writes it).
    const bool motivoDelGrid = stockcomun::Es(eMotivoStock, "ELDELGRID");
    const auto motivoDeFila = [&](long f) {
        return motivoDelGrid ? Funciones::RellenaCodigo(Grid.TextMatrix(int(f), 89), 4).remove(u'\'') : eMotivoStock;
    };

    // The account and text of each motive, read once; a motive without a row
    // or with a blank account books nothing.
    struct Motivo {
        QString cuenta, descripcion;
    };
    QHash<QString, Motivo> motivos;
    const auto cuentaDeMotivo = [&](const QString& codigo) -> Motivo {
        const QString clave = Funciones::RellenaCodigo(codigo, 4);
        if (const auto it = motivos.constFind(clave.toUpper()); it != motivos.constEnd())
            return *it;
        Motivo m;
        trap([&] {
            const QString motivo =
                db.SQLValue(legacy::Variant(ModGlobal::DuplicaApostrofes(clave)), QStringLiteral("'")).toString();
            std::shared_ptr<ado::Recordset> rs;
            if (TipoMov == 99) {
                db.AbrirRecordset(QStringLiteral("SELECT V_TA_MotivoVta.IdMotivoVta, V_TA_MotivoVta.Descripcion, ") +
                                      QStringLiteral("V_TA_Input_Ventas.COSTO_MERCADERIA ") +
                                      QStringLiteral("FROM V_TA_Input_Ventas INNER JOIN ") +
                                      QStringLiteral("V_TA_MotivoVta ON V_TA_Input_Ventas.IdMotivoVta = "
                                                     "V_TA_MotivoVta.IdMotivoVta ") +
                                      QStringLiteral("WHERE V_TA_MotivoVta.IdMotivoVta = ") + motivo,
                                  rs, nullptr, 0, 1, -1, true);
                if (rs->Eof())
                    return;
                m.cuenta = Trim(Funciones::ValorNoNulo(rs->Fields("COSTO_MERCADERIA")).toString());
                m.descripcion = Funciones::ValorNoNulo(rs->Fields("Descripcion")).toString();
                if (m.cuenta.isEmpty())
                    ui::MsgBox(QStringLiteral("No se puede generar el asiento de Costo de mercaderia!.. no esta "
                                              "configurada la cuenta"),
                               ui::vbInformation, QStringLiteral("Aviso al Operador"));
                return;
            }
            db.AbrirRecordset(QStringLiteral("SELECT CUENTACONTABLE, Descripcion FROM V_TA_MOTIVOSTOCK WHERE "
                                             "IDMOTIVOSTOCK = ") +
                                  motivo,
                              rs, nullptr, 0, 1, -1, true);
            if (rs->Eof())
                return;
            m.cuenta = Trim(Funciones::ValorNoNulo(rs->Fields("CuentaContable")).toString());
            m.descripcion = Funciones::ValorNoNulo(rs->Fields("Descripcion")).toString();
        });
        if (trap.left())
            throw Sale{};
        motivos.insert(clave.toUpper(), m);
        return m;
    };
    try {
        if (!motivoDelGrid && cuentaDeMotivo(eMotivoStock).cuenta.isEmpty())
            return resultado;
    } catch (const Sale&) {
        return resultado;
    }

    const QString periodo = QString::number(ModGlobal::Periodo);
    int mes = 0;
    trap([&] { mes = MesDe(fecha); });
    if (trap.left())
        return resultado;

    // The sub-journal comes first: the seat is numbered within the
    // sub-journal it is stored under. An empty one ("No se ha informado El
    // Tipo de Registro ...") gives no seat and no box: the writer runs
    // unattended.
    QString tipoReg;
    trap([&] { tipoReg = ast::ObtieneTipoRegCont(TC); });
    if (trap.left() || tipoReg.isEmpty())
        return resultado;

    // The seat number: the next free one of the month, period and
    // sub-journal, and never at or below a number this object drew there for
    // a seat the caller may not have stored yet. A per-row seat draws it at
    // the first row of its voucher and its later rows share it. A voucher
    // that already has a seat ("El comprobante ya ha Sido Cargado. Asiento
    // ...") gets no other, without a box, as a voucher booked once must.
    const QString claveNumero = QString::number(mes) + u'|' + periodo + u'|' + Trim(tipoReg).toUpper();
    const QString claveFila = Trim(TC) + u'|' + Suc + u'|' + Nro + u'|' + Letra + u'|' + QString::number(mes) + u'|' +
                              periodo;
    const bool filaDelMismoAsiento = SoloRegistro > 0 && claveFila == AsientoPorFilaClave;
    double numero = AsientoPorFilaNumero;
    trap([&] {
        if (filaDelMismoAsiento)
            return;
        QString descripcion;
        if (Stock::ExisteAsientoComprobante(TC, Suc, Nro, Letra, descripcion, QString(), true)) {
            sigue = false;
            return;
        }
        numero = double(ast::ValidaTCRegistraciones(QString::number(mes), periodo, tipoReg));
        if (UltimoAsiento.contains(claveNumero))
            numero = std::max(numero, UltimoAsiento.value(claveNumero) + 1);
    });
    if (trap.left() || !sigue)
        return resultado;
    const bool reescribe = filaDelMismoAsiento && !AsientoPorFilaLineas.isEmpty();
    if (SoloRegistro > 0 && !filaDelMismoAsiento) {
        AsientoPorFilaClave = claveFila;
        AsientoPorFilaNumero = numero;
        AsientoPorFilaLineas.clear();
    }

    // The lines of the movement (quantity x cost): every row of the grid, or
    // the rows of the per-row seat so far, each row once however often it is
    // asked for.
    QList<LineaAsiento> lineas;
    trap([&] {
        const auto linea = [&](long f) {
            Grid.setRow(int(f));
            return LineaAsiento{Funciones::RellenaCodigo(Grid.TextMatrix(int(f), 0), 25), motivoDeFila(f),
                                Funciones::TextoANumero(legacy::Variant(Grid.TextMatrix(int(f), 8))) *
                                    Funciones::TextoANumero(legacy::Variant(Grid.TextMatrix(int(f), colCosto)))};
        };
        if (SoloRegistro == 0) {
            for (long f = 1; f <= Grid.Rows() - 1; ++f)
                if (!Filas || Filas->contains(f))
                    lineas << linea(f);
        } else {
            LineaAsiento nueva = linea(SoloRegistro);
            nueva.propio = stockcomun::Es(motivoRecibido, "ELDELGRID")
                               ? Funciones::RellenaCodigo(Grid.TextMatrix(int(SoloRegistro), 89), 4).remove(u'\'')
                               : motivoRecibido;
            AsientoPorFilaLineas.insert(SoloRegistro, nueva);
            // The movement kind known at this row is the voucher's so far:
            // the rows booked before it are booked again under its motive, or
            // each under its own when the kind sets none, so that the seat
            // ends as the one of the whole voucher.
            for (LineaAsiento& l : AsientoPorFilaLineas)
                l.motivo = motivoDelTipo ? eMotivoStock : l.propio;
            lineas = AsientoPorFilaLineas.values();
        }
    });
    if (trap.left())
        return resultado;

    // Each article's account, read once and compared trimmed: a NULL or blank
    // account is no account, and its lines are in no row and not in the
    // total. The lines are grouped by the motive's account on one side and by
    // the article's on the other; the seat's total is the sum of the lines
    // booked.
    QHash<QString, QString> cuentaDe;
    struct Grupo {
        QString cuenta;
        Currency importe;
    };
    QList<Grupo> deMotivo, deArticulo;
    // The seat's heading (Detalle, CABCuenta, CABNombre) is that of the
    // motive of its first line booked, in grid order, in both modes.
    Motivo cabecera;
    QString nombreCabecera;
    Currency total;
    const auto suma = [](QList<Grupo>& grupos, const QString& cuenta, Currency importe) {
        for (Grupo& g : grupos)
            if (g.cuenta.compare(cuenta, Qt::CaseInsensitive) == 0) {
                g.importe += importe;
                return;
            }
        grupos.append({cuenta, importe});
    };
    try {
        for (const LineaAsiento& l : lineas) {
            const QString clave = l.articulo.toUpper();
            if (!cuentaDe.contains(clave)) {
                QString cuenta;
                trap([&] {
                    std::shared_ptr<ado::Recordset> art;
                    db.AbrirRecordset(
                        QStringLiteral("select cuentacontableC, costo from v_ma_articulos where idarticulo=") +
                            db.SQLValue(legacy::Variant(ModGlobal::DuplicaApostrofes(l.articulo)), QStringLiteral("'"))
                                .toString(),
                        art, nullptr, 0, 1, -1, true);
                    if (!art->Eof())
                        cuenta = Trim(Funciones::ValorNoNulo(art->Fields("cuentacontableC")).toString());
                });
                if (trap.left())
                    return resultado;
                cuentaDe.insert(clave, cuenta);
            }
            const QString cuenta = cuentaDe.value(clave);
            if (cuenta.isEmpty())
                continue;
            const Motivo m = cuentaDeMotivo(l.motivo);
            if (m.cuenta.isEmpty())
                continue;
            if (deMotivo.isEmpty()) {
                cabecera = m;
                nombreCabecera = l.motivo;
            }
            suma(deMotivo, m.cuenta, l.importe);
            suma(deArticulo, cuenta, l.importe);
            total += l.importe;
        }
    } catch (const Sale&) {
        return resultado;
    }
    if (deArticulo.isEmpty() && !reescribe)
        return resultado;
    // The account rows in the order of their accounts, as a grouped read of
    // them gives it.
    std::sort(deArticulo.begin(), deArticulo.end(),
              [](const Grupo& a, const Grupo& b) { return a.cuenta.compare(b.cuenta, Qt::CaseInsensitive) < 0; });

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
    QStringList sentencias;
    int secuencia = Secuencia ? *Secuencia : 0;
    // The seat's total, the same on every row.
    const Currency totalAsiento = total < Currency(0) ? -total : total;
    // A row of the seat. An amount below 0 goes, as its absolute amount, to
    // the other side, so that the seat balances whatever the signs of its
    // lines; a zero row is left out (its sequence number is still used).
    const auto fila = [&](const QString& cuenta, Currency importe, bool debe, int sec) {
        if (importe < Currency(0)) {
            importe = -importe;
            debe = !debe;
        }
        if (importe == Currency(0))
            return;
        QList<CampoValor>& campos = ModGlobal::gListaCampos;
        campos.clear();
        const auto par = [&](const char* campo, const QString& valor) { campos.append({QString::fromLatin1(campo), valor}); };
        par("Cuenta", ModGlobal::TextoSQL(cuenta));
        par("Secuencia", ModGlobal::TextoSQL(QString::number(sec)));
        par("Mes_Operativo", ModGlobal::TextoSQL(QString::number(mes)));
        par("[Numero Asiento]", ModGlobal::TextoSQL(QString::number(qint64(numero))));
        par("Fecha", ModGlobal::TextoSQL(fecha));
        par("FechaSubDiario", ModGlobal::TextoSQL(fecha));
        par("Detalle", ModGlobal::TextoSQL(cabecera.descripcion));
        par("TC", ModGlobal::TextoSQL(TC));
        par("SUCURSAL", ModGlobal::TextoSQL(Suc));
        par("NUMERO", ModGlobal::TextoSQL(Nro));
        par("LETRA", ModGlobal::TextoSQL(Letra));
        par("PERIODO", ModGlobal::TextoSQL(periodo));
        par("Tipo_Reg", ModGlobal::TextoSQL(tipoReg));
        par("[DEBE-HABER]", debe ? QStringLiteral("'D'") : QStringLiteral("'H'"));
        par("FechaHora_Grabacion", ahora);
        par("USUARIO_LOGEADO", ModGlobal::TextoSQL(ModGlobal::gUsuarioLogeado));
        par("Importe", stockcomun::Num(importe));
        par("Moneda", QStringLiteral("'   1'"));
        par("Cotizacion", QStringLiteral("1"));
        par("CABImporte", stockcomun::Num(totalAsiento));
        par("CABCuenta", ModGlobal::TextoSQL(Trim(cabecera.cuenta)));
        par("CABNombre", ModGlobal::TextoSQL(nombreCabecera));
        par("Unegocio", unegocio);
        par("IdCajas", caja);
        if (TipoMov == 99) {
            par("TC_ORIGEN", ModGlobal::TextoSQL(tcOrigen));
            par("CPTE_ORIGEN", ModGlobal::TextoSQL(cpteOrigen));
        }
        QString sql = QStringLiteral("INSERT INTO MV_ASIENTOS ");
        ModGlobal::ArmaInsertValores(sql, campos, true);
        sentencias << sql;
    };
    trap([&] {
        // A later row of a per-row seat rewrites the seat stored so far
        // whole: each account netted over the rows, one total on every row.
        if (reescribe)
            sentencias << QStringLiteral("DELETE FROM MV_ASIENTOS WHERE TC = '") +
                              ModGlobal::DuplicaApostrofes(Funciones::RellenaCodigo(TC, 4)) +
                              QStringLiteral("' AND SUCURSAL = '") + ModGlobal::DuplicaApostrofes(Suc) +
                              QStringLiteral("' AND NUMERO = '") + ModGlobal::DuplicaApostrofes(Nro) +
                              QStringLiteral("' AND LETRA = '") + ModGlobal::DuplicaApostrofes(Letra) +
                              QStringLiteral("'");
        for (int i = 0; i < deMotivo.size(); ++i)
            fila(deMotivo[i].cuenta, deMotivo[i].importe, EsDebito, secuencia + i);
        secuencia += std::max(int(deMotivo.size()) - 1, 0);
        for (const Grupo& g : deArticulo)
            fila(g.cuenta, g.importe, !EsDebito, ++secuencia);
    });
    // A number is taken only by a seat written with rows. A seat of the
    // whole voucher is remembered, for the next seats of the caller's batch
    // while it is not stored yet (ActualizaStock forgets it when a new batch
    // begins); a per-row seat is stored with its row, where the next number
    // read sees it, or not at all.
    const bool conFilas = std::any_of(sentencias.cbegin(), sentencias.cend(),
                                      [](const QString& s) { return s.startsWith(QLatin1String("INSERT")); });
    if (conFilas && SoloRegistro == 0)
        UltimoAsiento.insert(claveNumero, numero);
    for (const QString& s : sentencias)
        resultado += QStringLiteral("\r\n") + s;
    if (Secuencia)
        *Secuencia = secuencia + 1;
    return resultado;
}
