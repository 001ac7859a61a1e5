// The deletion of one voucher: Form1.CmdAceptar_Click.
//
// From the five fields it builds the voucher key, refuses purchase vouchers
// and sales vouchers that are not annulled, writes the first line of the
// deletion log JQELI.LOG, sends one batch that deletes the voucher and every
// row hanging on it inside one transaction (with its 'E' action row), shows
// the count of affected rows, writes the second log line and records a 'B'
// action row after the batch. A key whose batch has no row to take writes
// nothing and is told so.
#include "deletion/form1.h"

#include "core/acciones.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "voucher/clscmncptes.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/kapores2/equipo.h"
#include "core/modglobal.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/format.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/textfile.h"
#include "platform/legacy/variant.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/modalform.h"

#include <QCursor>
#include <QLineEdit>
#include <QPointer>

#include <optional>


using legacy::Trim;
using legacy::VbError;

namespace {

const QString CR = QStringLiteral("\r");

// The consumption voucher of a composite article's inputs (the stock
// writer's discharge) and the cost-of-goods seat of a sales voucher: both
// are booked under a type of their own and name the voucher that caused them
// in their origin columns.
const QString kConsumo = QStringLiteral("PE  ");
const QString kCostoMercaderia = QStringLiteral("CMV ");

// Told when the batch took no row of the voucher but its own 'E' row.
const QString kNoEncontrado = QStringLiteral("No se encontro ningun comprobante con esos datos, no se ha eliminado "
                                             "ningun registro");

// Sales types must be annulled before they can be deleted; purchase types
// are annulled (and deleted) from the purchases menu only.
const QStringList kVentas = {QStringLiteral("FP"),   QStringLiteral("NCFP"), QStringLiteral("FC"),
                             QStringLiteral("NC"),   QStringLiteral("ND"),   QStringLiteral("NP"),
                             QStringLiteral("RM"),   QStringLiteral("OT"),   QStringLiteral("PR"),
                             QStringLiteral("CB"),   QStringLiteral("CBFP"), QStringLiteral("CBCT"),
                             QStringLiteral("PG"),   QStringLiteral("OPG")};
const QStringList kCompras = {QStringLiteral("FPC"), QStringLiteral("NCCP"), QStringLiteral("FCC"),
                              QStringLiteral("NCC"), QStringLiteral("NDC"),  QStringLiteral("OC"),
                              QStringLiteral("RMC")};

// The type code comes back from the code fill padded to four characters
// ("FP  "); the list compare trims it and ignores letter case.
bool EnLista(const QString& tc, const QStringList& lista)
{
    return kapores2::Funciones::EstaEnLista(legacy::Variant(tc), lista);
}

// A value typed into a field, ready to stand between apostrophes.
QString Sql(const QString& valor)
{
    return ModGlobal::DuplicaApostrofes(valor);
}

// A field as typed, without control characters (NUL included): "FP" and a
// NUL would not be a sales type here, while a server whose collation ignores
// the NUL would still find the voucher "FP".
QString Campo(const QLineEdit* caja)
{
    QString texto = caja->text();
    texto.removeIf([](QChar c) { return c.unicode() < 32; });
    return Trim(texto);
}

// The complement: the number the text begins with (0 when none), written
// back as text with "." as the decimal point so it reads as a number in SQL.
QString NumeroComplemento(const QString& texto)
{
    const double v = legacy::Val(Trim(texto)) + 0.0;  // + 0.0 turns -0 into 0
    return QString::number(v == 0 ? 0.0 : v, 'g', 15);
}

// True when every row of the type and id is annulled (or there is none). A
// failing read raises to the caller, which then treats the voucher as not
// annulled.
bool TodasAnuladas(const QString& tc, const QString& id)
{
    DB_Dll& db = ModGlobal::gDB();
    std::shared_ptr<ado::Recordset> rs;
    db.AbrirRecordset(QStringLiteral("SELECT * FROM V_MV_CPTE WHERE TC = '") + Sql(tc) +
                          QStringLiteral("' AND IDCOMPROBANTE = '") + Sql(id) + QStringLiteral("'"),
                      rs, nullptr, 0, 1, -1, true);
    if (!rs)
        throw VbError(91);
    bool anuladas = true;
    try {
        // A read that failed inside AbrirRecordset leaves the recordset
        // closed: its BOF test raises here.
        if (!rs->Bof()) {
            while (!rs->Eof()) {
                const legacy::Variant anulada = rs->Fields("anulada").Value();
                if (anulada.IsNull() || !legacy::CBool(anulada))
                    anuladas = false;
                rs->MoveNext();
            }
        }
    } catch (...) {
        db.CierraRecordset(rs);
        throw;
    }
    db.CierraRecordset(rs);
    return anuladas;
}

// The window while a deletion runs: it takes no input (the database calls
// yield to the event loop, and a second click must not start a deletion
// inside this one) and shows the wait cursor, its controls too. Boxes shown
// meanwhile are windows of their own and take input as usual.
class VentanaOcupada {
public:
    explicit VentanaOcupada(QWidget* ventana) : bloqueo_(ventana)
    {
        QList<QWidget*> controles = ventana->findChildren<QWidget*>();
        controles.prepend(ventana);
        for (QWidget* w : controles) {
            if (w != ventana && w->isWindow())
                continue;
            if (w != ventana && !w->testAttribute(Qt::WA_SetCursor))
                continue;  // shows its parent's cursor
            cursores_.append({w, w->testAttribute(Qt::WA_SetCursor) ? std::optional(w->cursor()) : std::nullopt});
            w->setCursor(Qt::WaitCursor);
        }
    }
    ~VentanaOcupada()
    {
        for (const auto& [w, cursor] : cursores_) {
            if (!w)
                continue;
            if (cursor)
                w->setCursor(*cursor);
            else
                w->unsetCursor();
        }
    }
    VentanaOcupada(const VentanaOcupada&) = delete;
    VentanaOcupada& operator=(const VentanaOcupada&) = delete;

private:
    ui::InputBlocker bloqueo_;
    QList<std::pair<QPointer<QWidget>, std::optional<QCursor>>> cursores_;
};

}  // namespace

void Form1::DeshaceTransaccionAbierta()
{
    DB_Dll& db = ModGlobal::gDB();
    if (!db.gCnn || db.gCnn->State() != ado::adStateOpen)
        return;
    try {
        db.gCnn->Execute(QStringLiteral("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION"));
    } catch (const VbError&) {
        // A connection that cannot take the rollback has lost the
        // transaction with it.
    }
}

void Form1::CmdAceptar_Click()
{
    const VentanaOcupada ocupada(this);
    QString usuarioWindows, nombrePC, fecha;
    QString tc, sucursal, numero, letra, complemento, idComprobante;
    bool continua = false;
    bool enLote = false;  // between sending the batch and its clean return
    QString lote;
    int registros = 0;

    auto manejador = [&](const VbError& e, const QString& rutina) -> int {
        if (enLote) {
            // Whatever the batch did is undone before the operator is told.
            DeshaceTransaccionAbierta();
            ui::MsgBox(QStringLiteral("Ha ocurrido un Error en la ejecución de la consulta, No se podrá continuar "),
                       ui::vbCritical, QStringLiteral("Aviso al Operador"));
            return 0;
        }
        return ModGlobal::gUtilidades().MuestraError(e, std::nullopt, rutina);
    };
    legacy::ErrorTrap trap(QStringLiteral("CmdAceptar"), manejador);

    // 1. Who, where, when, and the voucher key from the fields.
    if (!trap([&] { usuarioWindows = ModGlobal::gEntorno().UsuarioWindows(); })) return;
    if (!trap([&] { nombrePC = ModGlobal::gEntorno().NombrePC(); })) return;
    if (!trap([&] { fecha = legacy::CStr(legacy::Variant(legacy::Now())); })) return;
    if (!trap([&] { tc = ModGlobal::gUtilidades().RellenaCodigo(Campo(txtTC), 4); })) return;
    if (!trap([&] { sucursal = legacy::Format(legacy::Variant(Campo(txtSUC)), QStringLiteral("0000")); })) return;
    if (!trap([&] { numero = legacy::Format(legacy::Variant(Campo(txtNRO)), QStringLiteral("00000000")); })) return;
    if (!trap([&] { letra = Campo(txtLetra); })) return;
    if (!trap([&] { complemento = NumeroComplemento(Campo(txtComplemento)); })) return;
    idComprobante = sucursal + numero + letra;

    // 2-4. The type check.
    continua = true;
    lote.clear();
    if (EnLista(tc, kVentas)) {
        // Only a read that succeeds (at once or on Retry) lets the deletion
        // go on. After a failed read the operator has seen the error box:
        // whatever the answer, the voucher stays and nothing more is said
        // (the voucher may well be annulled).
        bool anulado = false;
        bool leido = false;
        trap([&] {
            anulado = TodasAnuladas(tc, idComprobante);
            leido = true;
        });
        if (!leido)
            return;
        if (!anulado) {
            continua = false;
            if (!trap([&] {
                    ui::MsgBox(QStringLiteral("Para eliminar fisicamente este comprobante, primero debe darlo de "
                                              "baja desde Ventas, Anulaciones"),
                               ui::vbInformation, QStringLiteral("Aviso al operador"));
                }))
                return;
        }
    } else if (EnLista(tc, kCompras)) {
        if (!trap([&] {
                ui::MsgBox(QStringLiteral("Este comprobante y todos los de compras deben ser anulados desde el menu "
                                          "compras, anulaciones\r\nFPC,NCCP, FCC, NCC,NDC, OC,RMC"),
                           ui::vbInformation, QStringLiteral("Aviso al operador"));
            }))
            return;
        continua = false;
    }
    if (!continua)
        return;

    // 5. First log line. Each line is appended and the file closed at once,
    // so the log is closed on every way out of the handler. No deletion is
    // sent without its first line: at the error box only Retry (a line
    // written then) goes on; Ignore leaves as Abort does, nothing sent and
    // nothing recorded.
    QString archivoLog;
    bool anotada = false;
    trap([&] {
        archivoLog = ModGlobal::gUtilidades().CompletaRuta(legacy::App().path) + QStringLiteral("JQELI.LOG");
        legacy::AppendLine(archivoLog, QStringLiteral("PC: ") + nombrePC + QStringLiteral(" Usuario: ") +
                                           usuarioWindows + QStringLiteral("  Fecha : ") + fecha +
                                           QStringLiteral(" TC: ") + tc + QStringLiteral(" Sucursal:") + sucursal +
                                           QStringLiteral(" Numero: ") + numero + QStringLiteral(" Letra: ") + letra +
                                           QStringLiteral(" Complemento: ") + complemento);
        anotada = true;
    });
    if (!anotada)
        return;

    // 6. The batch. Every typed value has its apostrophes doubled; the
    // complement is a number. XACT_ABORT makes the server abort the whole
    // batch at a failing statement instead of committing the others.
    // Rows that name the complement in a column of their own (its
    // applications, as destination or as origin, and its reservations) go
    // with it. The rows found by branch, number and letter or by id alone
    // (seats, number control) are shared by every complement of the
    // voucher: they go only when no row of another complement is left in
    // any table that keeps the voucher's complement rows.
    const QString porTipoId = QStringLiteral(" WHERE TC = '") + Sql(tc) + QStringLiteral("' AND IDCOMPROBANTE = '") +
                              Sql(idComprobante) + QStringLiteral("' AND IdComplemento");
    const QString porId = porTipoId + QStringLiteral(" = ") + complemento;
    const auto porNumeroDe = [&](const QString& tipo) {
        return QStringLiteral(" WHERE TC = ") + tipo + QStringLiteral(" AND SUCURSAL = '") + Sql(sucursal) +
               QStringLiteral("' AND NUMERO = '") + Sql(numero) + QStringLiteral("' AND LETRA = '") + Sql(letra) +
               QStringLiteral("'");
    };
    const QString porNumero = porNumeroDe(QStringLiteral("'") + Sql(tc) + QStringLiteral("'"));
    // The number-control row is stored under the type the voucher was
    // numbered with: its numbering alias (the configuration key "NUM_" and
    // the type, as ast::ObtieneTCNumeracion reads it) when it shares another
    // type's books. The server reads the key inside the batch, so the click
    // makes no round trip of its own for it and reads it under the batch's
    // transaction.
    const QString porNumeracion =
        porNumeroDe(QStringLiteral("ISNULL((SELECT TOP 1 NULLIF(LTRIM(RTRIM(Valor)), '') FROM TA_CONFIGURACION WHERE "
                                   "CLAVE = 'NUM_") +
                    Sql(Trim(tc)) + QStringLiteral("'), '") + Sql(tc) + QStringLiteral("')"));
    const QString porOrigen = QStringLiteral(" WHERE TCO_ORIGEN = '") + Sql(tc) +
                              QStringLiteral("' AND SUCURSAL_ORIGEN = '") + Sql(sucursal) +
                              QStringLiteral("' AND NUMERO_ORIGEN = '") + Sql(numero) +
                              QStringLiteral("' AND LETRA_ORIGEN = '") + Sql(letra) + QStringLiteral("'");
    const QString reservas = QStringLiteral(" WHERE TC = '") + Sql(tc) + QStringLiteral("' AND IDCOMPROBANTE='") +
                             Sql(idComprobante) + QStringLiteral("'");
    const QString otro = QStringLiteral(" <> ") + complemento;
    // The rows a statement takes: a DELETE, or an UPDATE with `cambio` as its
    // SET. The same list gives the statements and the test of whether any
    // of them has a row to take.
    struct Filas {
        QString tabla, donde, cambio = {};
    };
    // The complement's own rows, the consumption of its composites' inputs
    // (booked under "PE" with the voucher as origin) included.
    const QList<Filas> propias = {
        {QStringLiteral("V_MV_STOCK"), porId},
        {QStringLiteral("V_MV_STOCK"), QStringLiteral(" WHERE TC = '") + kConsumo + QStringLiteral("' AND Tc_Origen = '") +
                                           Sql(tc) + QStringLiteral("' AND IdComprobante_Origen = '") +
                                           Sql(idComprobante) + QStringLiteral("' AND IdComplemento = ") + complemento},
        {QStringLiteral("V_MV_CPTEINSUMOS"), porId},
        {QStringLiteral("V_MV_CPTETAREAS"), porId},
        {QStringLiteral("V_MV_CPTE_OBSERV"), porId + QStringLiteral(" AND TIPO_OBS = 'OC'")},
        {QStringLiteral("V_MV_CPTE"), porId},
        {QStringLiteral("MV_APLICACION"), porOrigen + QStringLiteral(" AND IdComplemento_Origen = ") + complemento},
        {QStringLiteral("MV_APLICACION"), porNumero + QStringLiteral(" AND IdComplemento = ") + complemento},
        {QStringLiteral("V_MV_RESERVAS"), reservas + QStringLiteral(" AND IDCOMPLEMENTO = ") + complemento},
    };
    // The rows every complement shares: its seats with their cost-centre
    // rows and its cost-of-goods seat (booked under "CMV" with the voucher as
    // origin), the number-control row, the released bonus and mutual-aid
    // rows.
    QList<Filas> compartidas = {
        {QStringLiteral("MV_APLICACION"), porOrigen},
        {QStringLiteral("MV_APLICACION"), porNumero},
        {QStringLiteral("MV_ASIENTOS"), porNumero},
        {QStringLiteral("MV_ASIENTOS"), QStringLiteral(" WHERE TC = '") + kCostoMercaderia +
                                            QStringLiteral("' AND TC_ORIGEN = '") + Sql(tc) +
                                            QStringLiteral("' AND CPTE_ORIGEN = '") + Sql(idComprobante) +
                                            QStringLiteral("'")},
        {QStringLiteral("MV_ASIENTOSCCOSTO"), porNumero},
        {QStringLiteral("V_MV_CTROL_CPTE"), porNumeracion},
        {QStringLiteral("V_MV_RESERVAS"), reservas},
    };
    if (Trim(tc).compare(QLatin1String("NC"), Qt::CaseInsensitive) == 0)
        compartidas.append({QStringLiteral("V_MV_BONOS_DETALLE"),
                            QStringLiteral(" WHERE IDNC = '") + Sql(idComprobante) + QStringLiteral("'"),
                            QStringLiteral("IDNC=NULL")});
    if (Trim(tc).compare(QLatin1String("FC"), Qt::CaseInsensitive) == 0)
        compartidas.append({QStringLiteral("V_MV_MUTUALES"),
                            QStringLiteral(" WHERE FACTURA= '") + Sql(idComprobante) + QStringLiteral("'"),
                            QStringLiteral("FACTURA=NULL")});
    const auto sentencias = [&](const QList<Filas>& filas) {
        QString t;
        for (const Filas& f : filas)
            t += (f.cambio.isEmpty() ? QStringLiteral("DELETE ") + f.tabla
                                     : QStringLiteral("UPDATE ") + f.tabla + QStringLiteral(" SET ") + f.cambio) +
                 f.donde + CR;
        return t;
    };
    const auto existen = [&](const QList<Filas>& filas) {
        QStringList t;
        for (const Filas& f : filas)
            t << QStringLiteral("SELECT 1 FROM ") + f.tabla + f.donde;
        return QStringLiteral("EXISTS (") + t.join(QStringLiteral(" UNION ALL ")) + QStringLiteral(")");
    };
    // Another complement still has rows: the same tables the own rows are
    // taken from ('OB' notes stay with every complement and say nothing).
    const QString otros =
        QStringLiteral("EXISTS (SELECT IdComplemento FROM V_MV_CPTE") + porTipoId + otro +
        QStringLiteral(" UNION ALL SELECT IdComplemento FROM V_MV_STOCK") + porTipoId + otro +
        QStringLiteral(" UNION ALL SELECT IdComplemento FROM V_MV_CPTEINSUMOS") + porTipoId + otro +
        QStringLiteral(" UNION ALL SELECT IdComplemento FROM V_MV_CPTETAREAS") + porTipoId + otro +
        QStringLiteral(" UNION ALL SELECT IdComplemento FROM V_MV_CPTE_OBSERV") + porTipoId + otro +
        QStringLiteral(" AND TIPO_OBS = 'OC'") +
        QStringLiteral(" UNION ALL SELECT IdComplemento_Origen FROM MV_APLICACION") + porOrigen +
        QStringLiteral(" AND IdComplemento_Origen") + otro +
        QStringLiteral(" UNION ALL SELECT IdComplemento FROM MV_APLICACION") + porNumero +
        QStringLiteral(" AND IdComplemento") + otro + QStringLiteral(" UNION ALL SELECT IDCOMPLEMENTO FROM V_MV_RESERVAS") +
        reservas + QStringLiteral(" AND IDCOMPLEMENTO") + otro + QStringLiteral(")");
    // The whole deletion, its 'E' row included, runs only when it has a row
    // to take: a key that names nothing writes nothing and counts 0.
    if (!trap([&] {
            lote = QStringLiteral("SET XACT_ABORT ON") + CR;
            lote += QStringLiteral("BEGIN TRANSACTION") + CR;
            lote += QStringLiteral("IF EXISTS (SELECT 1 WHERE ") + existen(propias) + QStringLiteral(" OR (NOT ") +
                    otros + QStringLiteral(" AND ") + existen(compartidas) + QStringLiteral("))") + CR;
            lote += QStringLiteral("BEGIN") + CR;
            lote += sentencias(propias);
            lote += QStringLiteral("IF NOT ") + otros + CR;
            lote += QStringLiteral("BEGIN") + CR;
            lote += sentencias(compartidas);
            lote += QStringLiteral("END") + CR;
        }))
        return;
    QString accion;
    if (!trap([&] {
            if (!comprobante_)
                comprobante_ = std::make_unique<ClsCmnCptes>();
        }))
        return;
    if (!trap([&] {
            if (!comprobante_)
                throw VbError(91);
            // The action row asks for 'E' itself; the values go in raw and the
            // builder doubles their apostrophes.
            comprobante_->ActualizaBuchon(tc, idComprobante, complemento, true, false, true, &accion, QString(),
                                          QString(), QString(), QStringLiteral("E"));
        }))
        return;
    if (!trap([&] { lote += accion + CR + QStringLiteral("END") + CR + QStringLiteral("COMMIT TRANSACTION"); })) return;

    // 7-8. Sending; the connection's error list then holds the errors of this
    // batch only.
    enLote = true;
    QString errorNumero, errorDescripcion;
    int errores = 0;
    if (!trap([&] {
            DB_Dll& db = ModGlobal::gDB();
            if (!db.gCnn)
                throw VbError(91);
            registros = 0;
            db.gCnn->Execute(lote, &registros, -1);
            errores = db.gCnn->Errors().Count();
            if (errores > 0) {
                errorNumero = QString::number(db.gCnn->Errors().Item(0).Number);
                errorDescripcion = db.gCnn->Errors().Item(0).Description;
            }
        }))
        return;
    if (errores > 0) {
        enLote = false;
        DeshaceTransaccionAbierta();
        trap([&] {
            ui::MsgBox(QStringLiteral("Se detectó un error ") + errorNumero + QStringLiteral(" ") + errorDescripcion,
                       ui::vbOKOnly, QString());
        });
        return;
    }
    enLote = false;
    if (registros == 0) {
        // Not a deletion: no count, no second log line, no 'B' row.
        trap([&] { ui::MsgBox(kNoEncontrado, ui::vbInformation, QStringLiteral("Aviso al operador")); });
        return;
    }

    // 9-11. Done: the count, the second log line and the 'B' action row.
    if (!trap([&] {
            ui::MsgBox(QStringLiteral("Anulado sin Errores, se actualizaron ") + QString::number(registros) +
                           QStringLiteral(" registros "),
                       ui::vbInformation, QStringLiteral("Aviso al Operador"));
        }))
        return;
    if (!trap([&] {
            legacy::AppendLine(archivoLog, QStringLiteral("Registros Anulados ") + QString::number(registros) +
                                               QStringLiteral(" Usuario Sistema: ") + ModGlobal::gUsuarioLogeado);
        }))
        return;
    trap([&] {
        // The row names the deleted voucher, its complement included.
        ModGlobal::RegistraAccionComprobante(tc, idComprobante, complemento, false, false, true,
                                             QStringLiteral("Eliminado"), QString(), false);
    });
}
