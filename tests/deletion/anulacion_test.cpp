// The deletion through Form1 on the demo database: every path of the type
// check and every injection attempt with all tables compared before and
// after, a failed voucher read, and a batch that fails half way.
#include "entorno_anulacion.h"

#include "support/fault_injection.h"
#include "platform/ado/sqlite_support.h"

#include "platform/ui/modalform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>

#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <utility>

#include <sqlite3.h>

using anulaciontest::EntornoAnulacion;
using anulaciontest::Foto;

namespace {

const QString kVenta = QStringLiteral("Para eliminar fisicamente este comprobante, primero debe darlo de baja desde "
                                      "Ventas, Anulaciones");
const QString kCompra = QStringLiteral("Este comprobante y todos los de compras deben ser anulados desde el menu "
                                       "compras, anulaciones\r\nFPC,NCCP, FCC, NCC,NDC, OC,RMC");

const QString kNada = QStringLiteral("No se encontro ningun comprobante con esos datos, no se ha eliminado ningun "
                                     "registro");

QString Exito(int n)
{
    return QStringLiteral("Anulado sin Errores, se actualizaron %1 registros ").arg(n);
}

struct Voucher {
    const char* tc;  // stored form
    const char* suc;
    const char* nro;
    const char* letra;
    QString id() const { return QString::fromLatin1(suc) + nro + letra; }
    // Its rows, table by table, as the deletion must remove them.
    QMap<QString, QString> Condiciones() const
    {
        const QString id_ = QStringLiteral("TC = '%1' AND IDCOMPROBANTE = '%2'").arg(tc, id());
        const QString nro_ = QStringLiteral("TC = '%1' AND SUCURSAL = '%2' AND NUMERO = '%3' AND LETRA = '%4'")
                                 .arg(tc, suc, nro, letra);
        const QString origen = QStringLiteral("TCO_ORIGEN = '%1' AND SUCURSAL_ORIGEN = '%2' AND NUMERO_ORIGEN = '%3' "
                                              "AND LETRA_ORIGEN = '%4'")
                                   .arg(tc, suc, nro, letra);
        return {{"V_MV_STOCK", id_},      {"V_MV_CPTEINSUMOS", id_}, {"V_MV_CPTETAREAS", id_},
                {"V_MV_CPTE_OBSERV", id_ + " AND TIPO_OBS = 'OC'"}, {"V_MV_CPTE", id_},
                {"MV_APLICACION", QStringLiteral("(%1) OR (%2)").arg(nro_, origen)},
                {"MV_ASIENTOS", nro_},   {"V_MV_CTROL_CPTE", nro_}, {"V_MV_RESERVAS", id_}};
    }
};
const Voucher kFP100{"FP  ", "0001", "00000100", "A"};
const Voucher kAJP{"AJP ", "0001", "00000050", "X"};
const Voucher kNC{"NC  ", "0001", "00000200", "B"};
const Voucher kFC{"FC  ", "0001", "00000300", "B"};

class Anulacion : public EntornoAnulacion {};

TEST_F(Anulacion, EveryPathLeavesExactlyTheRowsItShould)
{
    const struct Caso {
        const char* nombre;
        const char* tc, *suc, *nro, *letra, *complemento;
        const char* antes;        // SQL run before the click
        int registros;            // 0: refused with `rechazo`
        const QString* rechazo;
        const Voucher* voucher;   // whose rows go; none: no demo row may go
    } casos[] = {
        {"annulled sales voucher", "FP", "1", "100", "A", "0", nullptr, 14, nullptr, &kFP100},
        {"lower case, blanks, empty complement", "fp", " 01", "100 ", "A", "", nullptr, 14, nullptr, &kFP100},
        {"stock voucher, no check", "AJP", "1", "50", "X", "0", nullptr, 14, nullptr, &kAJP},
        {"header missing: its rows still go and count", "AJP", "1", "50", "X", "0",
         "DELETE FROM V_MV_CPTE WHERE TC = 'AJP ' AND IDCOMPROBANTE = '000100000050X'", 13, nullptr, &kAJP},
        {"credit note releases its bonus", "nc", "1", "200", "B", "0", nullptr, 15, nullptr, &kNC},
        {"invoice releases its mutual order", "FC", "1", "300", "B", "0", nullptr, 15, nullptr, &kFC},
        {"sales voucher missing: nothing deleted", "FP", "1", "99999", "A", "0", nullptr, 0, &kNada, nullptr},
        {"live sales voucher", "FP", "1", "101", "A", "0", nullptr, 0, &kVenta, nullptr},
        {"another row of the id is live", "FP", "1", "100", "A", "0",
         "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, ANULADA) VALUES ('FP  ', '000100000100A', 1, 0)", 0,
         &kVenta, nullptr},
        {"another row of the id has no value", "FP", "1", "100", "A", "0",
         "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, ANULADA) VALUES ('FP  ', '000100000100A', 2, NULL)", 0, &kVenta,
         nullptr},
        {"purchase voucher", "FCC", "2", "4567", "A", "0", nullptr, 0, &kCompra, nullptr},
        {"purchase in lower case", "fcc", "2", "4567", "A", "0", nullptr, 0, &kCompra, nullptr},
        // Injection attempts, one field at a time, the others naming a real
        // voucher: nothing but the 'E' row may change.
        {"TC as a literal", "'or'", "1", "50", "X", "0", nullptr, 0, &kNada, nullptr},
        {"TC ending the statement", "'--", "1", "50", "X", "0", nullptr, 0, &kNada, nullptr},
        {"SUC", "AJP", "'or'", "50", "X", "0", nullptr, 0, &kNada, nullptr},
        {"NRO", "AJP", "1", "'OR''='", "X", "0", nullptr, 0, &kNada, nullptr},
        {"NRO of a sales type", "FP", "1", "'OR''='", "A", "0", nullptr, 0, &kNada, nullptr},
        {"LETRA", "AJP", "1", "50", "'", "0", nullptr, 0, &kNada, nullptr},
        {"COMPLEMENTO", "AJP", "1", "51", "X", "9'", nullptr, 0, &kNada, nullptr},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Reinicia();
        Carga();
        if (c.antes)
            Ejecuta(QString::fromLatin1(c.antes));
        Prepara(c.tc, c.suc, c.nro, c.letra, c.complemento);
        const Foto antes = Fotografia();
        QMap<QString, QStringList> suyas;
        if (c.voucher) {
            const auto cond = c.voucher->Condiciones();
            for (auto it = cond.begin(); it != cond.end(); ++it) {
                suyas[it.key()] = Ordenadas(QStringLiteral("SELECT * FROM %1 WHERE %2").arg(it.key(), it.value()));
                EXPECT_TRUE(c.antes || !suyas[it.key()].isEmpty()) << it.key().toStdString();
            }
        }

        ui::ScriptedSession dlg;
        if (c.registros > 0)
            dlg.expectMsgBox(Exito(c.registros)).title("Aviso al Operador").style(ui::vbInformation);
        else
            dlg.expectMsgBox(*c.rechazo).title("Aviso al operador").style(ui::vbInformation);
        Acepta(dlg);

        const Foto despues = Fotografia();
        ASSERT_EQ(despues.keys(), antes.keys());
        const QString tc = QString::fromLatin1(c.tc).trimmed().toUpper();
        for (const QString& t : antes.keys()) {
            QStringList esperadas = antes[t];
            for (const QString& fila : suyas.value(t))
                esperadas.removeOne(fila);
            if (t == "V_MV_CPTEACCIONES")
                EXPECT_EQ(despues[t].size(), antes[t].size() + (c.registros ? 2 : 0));
            else if (t == "V_MV_BONOS_DETALLE" && tc == "NC")
                EXPECT_EQ(Ordenadas("SELECT NroBono, IDNC FROM " + t), QStringList({"B-0001|<null>", "B-0002|000100000199B"}));
            else if (t == "V_MV_MUTUALES" && tc == "FC")
                EXPECT_EQ(Ordenadas("SELECT NroOrden, FACTURA FROM " + t), QStringList({"OM-1001|<null>", "OM-1002|000100000299B"}));
            else
                EXPECT_EQ(despues[t], esperadas) << t.toStdString();
        }
        EXPECT_EQ(ventana_->txtTC->text(), QString::fromLatin1(c.tc)) << "fields are kept";
        if (c.rechazo == &kNada) {
            EXPECT_EQ(LineasLog().size(), 1) << "no second line";
            continue;
        }
        if (c.registros == 0) {
            EXPECT_FALSE(legacy::FileExists(Log()));
            EXPECT_EQ(ventana_->Comprobante(), nullptr);
            continue;
        }
        const QStringList log = LineasLog();
        ASSERT_EQ(log.size(), 2);
        EXPECT_EQ(log[1], QStringLiteral("Registros Anulados %1 Usuario Sistema: DEMO").arg(c.registros));
        if (!c.voucher)
            continue;
        const QString escrito = QString::fromLatin1(c.tc).leftJustified(4);  // the type as typed, padded
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^PC: PC1 Usuario: ana  Fecha : \\S.* TC: %1 Sucursal:%2 Numero: %3 "
                                                      "Letra: %4 Complemento: 0$")
                                           .arg(escrito, c.voucher->suc, c.voucher->nro, c.voucher->letra))
                        .match(log[0])
                        .hasMatch())
            << log[0].toStdString();
        EXPECT_EQ(Filas(QStringLiteral("SELECT Tipo_accion, TC, IdComplemento, Usuario, PC, SYSTEMUSER, Proceso, Cuenta "
                                       "FROM V_MV_CPTEACCIONES WHERE IdComprobante = '%1' ORDER BY ID")
                            .arg(c.voucher->id())),
                  QStringList({QStringLiteral("E|%1|0|DEMO|PC1|vordane|vordane |").arg(escrito),
                               QStringLiteral("B|%1|0|DEMO|PC1|Eliminado|vordane |").arg(escrito)}));
    }
}

// The complements of one number: each takes its own rows, those that name
// it in a column of their own (its applications as destination or origin,
// its reservation) included; the seats and number-control rows are shared
// and go with the last complement left in any table of complement rows.
TEST_F(Anulacion, ComplementsOfOneNumberTakeTheirOwnRowsAndTheLastTheShared)
{
    const Voucher kFP80{"FP  ", "0077", "00000080", "A"};
    const QList<const char*> todas = {"V_MV_CPTE", "V_MV_CPTEINSUMOS", "V_MV_CPTETAREAS", "V_MV_CPTE_OBSERV", "V_MV_STOCK"};
    const struct Caso {
        const char* nombre;
        const Voucher* v;
        QList<const char*> copiadas;  // FP 100: complement 1 copies complement 0's rows of these
        const char* primero, *segundo;
        int registros1, registros2;
    } casos[] = {
        {"a full copy, 1 first", &kFP100, todas, "1", "0", 8, 14},
        {"a full copy, 0 first: its applications and reservation go", &kFP100, todas, "0", "1", 11, 11},
        {"complement 1 in the stock rows only, 0 first", &kFP100, {"V_MV_STOCK"}, "0", "1", 11, 6},
        {"complement 1 in the stock rows only, 1 first", &kFP100, {"V_MV_STOCK"}, "1", "0", 3, 14},
        // Each complement: header, 2 stock rows, a line, a task, an 'OC' and
        // an 'OB' observation, 5 of order NP 0077-00000070-A applied, a
        // receipt applying it and a reservation; 2 seats, their 2
        // cost-centre rows (CC1 -6, CC2 -4) and a control row.
        {"both with their own applications", &kFP80, {}, "1", "0", 10, 15},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Reinicia();
        Carga();
        auto cond = c.v->Condiciones();
        cond["MV_ASIENTOSCCOSTO"] = cond["MV_ASIENTOS"];
        auto filas = [&](const char* t, const QString& extra = {}) {
            return Ordenadas(QStringLiteral("SELECT * FROM %1 WHERE (%2)%3").arg(t, cond[t], extra));
        };
        for (const char* t : c.copiadas) {
            QStringList columnas;
            auto rs = ModGlobal::gDB().gCnn->OpenSchema(ado::adSchemaColumns, {{}, {}, QString::fromLatin1(t)});
            for (; !rs->Eof(); rs->MoveNext())
                columnas << rs->Fields("COLUMN_NAME").Value().toString();
            columnas.removeIf([](const QString& c) { return c.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0; });
            QStringList valores = columnas;
            valores.replaceInStrings(QRegularExpression(QStringLiteral("^(?i)idcomplemento$")), QStringLiteral("1"));
            Ejecuta(QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %1 WHERE %4 AND IdComplemento = 0")
                        .arg(t, columnas.join(u','), valores.join(u','), cond[t]));
        }
        if (c.v == &kFP80) {
            const char* propias[] = {
                "V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, ANULADA) VALUES ('FP  ', '%1', %2, 1)",
                "V_MV_STOCK (TC, IdComprobante, IdComplemento, Cantidad) VALUES ('FP  ', '%1', %2, -5), ('FP  ', '%1', %2, -1)",
                "V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, Cantidad) VALUES ('FP  ', '%1', %2, 5)",
                "V_MV_CPTETAREAS (TC, IDCOMPROBANTE, IDCOMPLEMENTO) VALUES ('FP  ', '%1', %2)",
                "V_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, IDCOMPLEMENTO, TIPO_OBS) VALUES ('FP  ', '%1', %2, 'OC'), ('FP  ', '%1', %2, 'OB')",
                "MV_APLICACION (TC, SUCURSAL, NUMERO, LETRA, IdComplemento, TCO_ORIGEN, SUCURSAL_ORIGEN, NUMERO_ORIGEN, "
                "LETRA_ORIGEN, IDComprobante_Origen, IdComplemento_Origen, CANTIDAD) VALUES ('FP  ', '0077', '00000080', "
                "'A', %2, 'NP  ', '0077', '00000070', 'A', '007700000070A', 0, 5), ('RC  ', '0077', '0000060%2', 'A', 0, "
                "'FP  ', '0077', '00000080', 'A', '%1', %2, NULL)",
                "V_MV_RESERVAS (TC, IDCOMPROBANTE, IDCOMPLEMENTO) VALUES ('FP  ', '%1', %2)"};
            for (int k : {0, 1})
                for (const char* fila : propias)
                    Ejecuta(QStringLiteral("INSERT INTO ") + QString::fromLatin1(fila).arg(c.v->id()).arg(k));
            Ejecuta(QStringLiteral("INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA) VALUES ('FP  ', '0077', '00000080', "
                                   "'A'), ('FP  ', '0077', '00000080', 'A')"));
            Ejecuta(QStringLiteral("INSERT INTO V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA) VALUES ('FP  ', '0077', '00000080', 'A')"));
            Ejecuta(QStringLiteral("INSERT INTO MV_ASIENTOSCCOSTO (TC, SUCURSAL, NUMERO, LETRA, CCosto, Importe) VALUES "
                                   "('FP  ', '0077', '00000080', 'A', 'CC1', -6), ('FP  ', '0077', '00000080', 'A', "
                                   "'CC2', -4), ('FP  ', '0077', '00000081', 'A', 'CC1', -3)"));
        }
        for (const char* complemento : {c.primero, c.segundo}) {
            SCOPED_TRACE(complemento);
            const bool ultimo = complemento == c.segundo;
            // What must be left: the other complement's rows, and the shared
            // ones until the last.
            QMap<QString, QStringList> quedan;
            for (const char* t : todas)
                quedan[t] = filas(t, QStringLiteral(" AND IdComplemento <> %1").arg(complemento));
            quedan["MV_APLICACION"] = filas("MV_APLICACION", QStringLiteral(" AND NOT ((TC = 'FP  ' AND IdComplemento = %1) OR "
                                                                             "(TCO_ORIGEN = 'FP  ' AND IdComplemento_Origen = %1))")
                                                                  .arg(complemento));
            quedan["V_MV_RESERVAS"] = filas("V_MV_RESERVAS", QStringLiteral(" AND IDCOMPLEMENTO <> %1").arg(complemento));
            for (const char* t : {"MV_ASIENTOS", "MV_ASIENTOSCCOSTO", "V_MV_CTROL_CPTE"})
                quedan[t] = filas(t);
            if (ultimo)
                for (const char* t : {"MV_APLICACION", "V_MV_RESERVAS", "MV_ASIENTOS", "MV_ASIENTOSCCOSTO", "V_MV_CTROL_CPTE"})
                    quedan[t].clear();
            Prepara("FP", c.v->suc, c.v->nro, c.v->letra, complemento);
            ui::ScriptedSession dlg;
            dlg.expectMsgBox(Exito(ultimo ? c.registros2 : c.registros1));
            Acepta(dlg);
            for (auto it = quedan.begin(); it != quedan.end(); ++it)
                EXPECT_EQ(filas(it.key().toLatin1().constData()), it.value()) << it.key().toStdString();
            if (c.v == &kFP80)
                EXPECT_EQ(Filas("SELECT CCosto, Importe FROM MV_ASIENTOSCCOSTO WHERE NUMERO = '00000081'"),
                          QStringList({"CC1|-3"}))
                    << "another number's cost-centre row stays";
            if (c.v == &kFP80 && !ultimo)
                EXPECT_EQ(Filas("SELECT SUM(CANTIDAD) FROM MV_APLICACION WHERE TCO_ORIGEN = 'NP  ' AND "
                                "IDComprobante_Origen = '007700000070A'"),
                          QStringList({"5"}))
                    << "the order shows what complement 0 applied";
            EXPECT_EQ(Filas(QStringLiteral("SELECT Tipo_accion FROM V_MV_CPTEACCIONES WHERE IdComprobante = "
                                           "'%1' AND IdComplemento = %2 ORDER BY ID")
                                .arg(c.v->id(), complemento)),
                      QStringList({"E", "B"}));
        }
    }
}

// Blanks typed before the letter are dropped as they come: " X" names the
// voucher AJP 0001-00000050-X, which goes (14 rows with its 'E' row); the
// box still takes one letter.
TEST_F(Anulacion, TheLetterBoxTakesALetterTypedAfterABlank)
{
    Form1& f = Prepara("AJP", "0001", "00000050", "");
    const auto teclea = [](QLineEdit* caja, const QString& texto) {
        for (const QChar c : texto) {
            QKeyEvent tecla(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(caja, &tecla);
        }
    };
    teclea(f.txtLetra, QStringLiteral(" X"));
    EXPECT_EQ(f.txtLetra->text(), QStringLiteral("X"));
    teclea(f.txtLetra, QStringLiteral("Y"));
    EXPECT_EQ(f.txtLetra->text(), QStringLiteral("X")) << "one letter";
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(Exito(14));
    Acepta(dlg);
    EXPECT_EQ(Filas("SELECT COUNT(*) FROM V_MV_CPTE WHERE TC = 'AJP ' AND IDCOMPROBANTE = '000100000050X'"),
              QStringList({"0"}));
}

// Control characters typed or pasted into a field are not part of it.
TEST_F(Anulacion, ControlCharactersAreRemovedFromTheFields)
{
    const QChar nul(0);
    const struct Caso {
        const char* nombre;
        QString tc, suc, nro, letra, complemento;
        bool borra;  // else refused as a live sales voucher
    } casos[] = {
        {"NUL after the type of a live voucher", QStringLiteral("FP") + nul, "1", "101", "A", "0", false},
        {"tab inside the type of a live voucher", "F\tP", "1", "101", "A", "0", false},
        {"NUL and line ends in every field", QStringLiteral("FP\r"), QStringLiteral("1") + nul, "10\n0",
         QStringLiteral("A") + nul, QStringLiteral("0") + nul, true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Reinicia();
        Prepara(c.tc, c.suc, c.nro, c.letra, c.complemento);
        ASSERT_EQ(ventana_->txtTC->text(), c.tc) << "the box keeps what was typed";
        ui::ScriptedSession dlg;
        if (c.borra)
            dlg.expectMsgBox(Exito(14));
        else
            dlg.expectMsgBox(kVenta).title("Aviso al operador");
        Acepta(dlg);
        if (c.borra)
            EXPECT_TRUE(LineasLog().value(0).endsWith(
                QStringLiteral(" TC: FP   Sucursal:0001 Numero: 00000100 Letra: A Complemento: 0")))
                << LineasLog().value(0).toStdString();
        else
            EXPECT_EQ(Filas("SELECT COUNT(*) FROM V_MV_CPTE WHERE IDCOMPROBANTE = '000100000101A'"), QStringList({"1"}));
    }
}

// After a failed read the operator has seen the error box: the voucher
// stays and no further box follows, whatever the answer; only a Retry that
// reads deletes.
TEST_F(Anulacion, AFailedVoucherReadRefusesUnlessRetrySucceeds)
{
    const ado::Error falla{ado::kErrSyntax, 102, "42000", "Lectura provocada", "prueba"};
    // The read's own box is answered Abort; then the handler's box decides.
    for (int respuesta : {ui::vbIgnore, ui::vbAbort, ui::vbRetry}) {
        SCOPED_TRACE(respuesta);
        Reinicia();
        Prepara("FP", "1", "100", "A");
        const Foto antes = Fotografia();
        ui::ScriptedSession dlg;
        dlg.expectMsgBox("Lectura provocada", ui::vbAbort).title("AbrirRecordset");
        dlg.expectMsgBox("Ha ocurrido el Siguiente Error", respuesta).title("CmdAceptar");
        if (respuesta == ui::vbRetry)
            dlg.expectMsgBox(Exito(14));
        ado::testing::FailNextExecute(*ModGlobal::gDB().gCnn, falla);
        Acepta(dlg);
        if (respuesta == ui::vbRetry)
            EXPECT_NE(Fotografia(), antes);
        else
            EXPECT_EQ(Fotografia(), antes);
    }
}

TEST_F(Anulacion, ABatchFailingHalfWayLeavesEveryRowAndNoTransaction)
{
    if (enServidor_)
        GTEST_SKIP() << "the failure comes from a trigger of the embedded engine";
    auto sqlite = [&](const char* sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(carpeta_.file("DEMO.sqlite").toUtf8().constData(), &db), SQLITE_OK);
        ado::RegisterSqliteExtensions(db);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    };
    // The number-control rows, near the end of the batch, cannot be deleted.
    sqlite("CREATE TRIGGER FALLA BEFORE DELETE ON V_MV_CTROL_CPTE BEGIN SELECT RAISE(ABORT, 'impedido'); END");
    Prepara("FP", "1", "100", "A");
    const Foto antes = Fotografia();
    {
        ui::ScriptedSession dlg;
        dlg.expectMsgBox("Ha ocurrido un Error en la ejecución de la consulta, No se podrá continuar ")
            .title("Aviso al Operador")
            .style(ui::vbCritical);
        Acepta(dlg);
    }
    EXPECT_EQ(Fotografia(), antes);
    EXPECT_EQ(Filas("SELECT @@TRANCOUNT AS N"), QStringList({"0"}));
    EXPECT_EQ(LineasLog().size(), 1) << "no second line, no 'B' row";

    // Without the cause the same click deletes; the log is opened again and
    // stays Windows-1252 with CR LF.
    sqlite("DROP TRIGGER FALLA");
    ModGlobal::gUsuarioLogeado = QStringLiteral("JOSÉ");
    {
        ui::ScriptedSession dlg;
        dlg.expectMsgBox(Exito(14));
        Acepta(dlg);
    }
    QFile f(Log());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.count("\r\n"), 3);
    EXPECT_TRUE(bytes.endsWith("\r\nRegistros Anulados 14 Usuario Sistema: JOS\xC9\r\n"));
    EXPECT_EQ(Filas("SELECT Tipo_accion FROM V_MV_CPTEACCIONES WHERE IdComprobante = '000100000100A' ORDER BY ID"),
              QStringList({"E", "B"}));
}

// The database file taken away while the window is open: the voucher's
// read finds the link lost, the operator is asked and the reconnect window
// retries; the file put back is taken up and the deletion goes on.
TEST_F(Anulacion, ADatabaseFileTakenAwayIsReconnectedBeforeTheDeletion)
{
    if (enServidor_)
        GTEST_SKIP() << "a file of the embedded engine";
    struct Sesion : ui::ScriptedSession {
        std::function<void()> alEsperar;
        void wait(int ms) override
        {
            ScriptedSession::wait(ms);
            if (alEsperar) alEsperar();
        }
    } dlg;
    Prepara("FP", "1", "100", "A");
    const QString archivo = carpeta_.file("DEMO.sqlite");
    ASSERT_TRUE(QFile::rename(archivo, archivo + QStringLiteral(".fuera")));
    int esperas = 0;
    dlg.alEsperar = [&] {
        if (++esperas == 2) QFile::rename(archivo + QStringLiteral(".fuera"), archivo);
    };
    dlg.expectMsgBox("SE PERDIÓ LA CONEXION CON EL SERVIDOR. ((sqlite)) ", ui::vbYes).title("Conexión a la base de datos");
    dlg.expectMsgBox(Exito(14));
    Acepta(dlg);
    EXPECT_EQ(esperas, 2);
    EXPECT_EQ(LineasLog().size(), 2);
    EXPECT_EQ(Filas("SELECT COUNT(*) AS N FROM V_MV_CPTE WHERE TC = 'FP' AND IDCOMPROBANTE = '000100000100A'"),
              QStringList({"0"}));
}

// A deletion log that cannot be written (here a folder where the file
// should be): the error box, and no deletion is sent without its first line.
// Abort and Ignore leave with no line and nothing deleted; Retry, the folder
// replaced by a writable file meanwhile, writes the line and deletes.
TEST_F(Anulacion, WithoutTheLogNothingIsDeleted)
{
    struct Sesion : ui::ScriptedSession {
        std::function<void()> alMostrar;  // once, at the first box
        int msgBox(const QString& prompt, int style, const QString& title) override
        {
            if (alMostrar) std::exchange(alMostrar, {})();
            return ScriptedSession::msgBox(prompt, style, title);
        }
    };
    for (const int respuesta : {ui::vbAbort, ui::vbIgnore, ui::vbRetry}) {
        SCOPED_TRACE(respuesta);
        Reinicia();
        Prepara("FP", "1", "100", "A");
        const Foto antes = Fotografia();
        ASSERT_TRUE(QDir().mkdir(Log()));
        Sesion dlg;
        dlg.expectMsgBox("Ha ocurrido el Siguiente Error", respuesta).title("CmdAceptar");
        if (respuesta == ui::vbRetry) {
            dlg.alMostrar = [&] { QDir().rmdir(Log()); };
            dlg.expectMsgBox(Exito(14));
        }
        Acepta(dlg);
        if (respuesta == ui::vbRetry) {
            EXPECT_NE(Fotografia(), antes);
            EXPECT_EQ(LineasLog().size(), 2);
        } else {
            EXPECT_EQ(Fotografia(), antes);
            EXPECT_TRUE(QDir().rmdir(Log())) << "no line written";
        }
    }
}

// Another station holds the database's write lock while the operator clicks
// "&Aceptar" twice: the second click reaches a window that takes no input
// (the first deletion yields while it waits), so one deletion runs, its log
// lines in order; meanwhile the window shows the wait cursor.
TEST_F(Anulacion, TwoClicksWhileAnotherStationWritesDeleteOnce)
{
    if (enServidor_)
        GTEST_SKIP() << "the lock is taken on the embedded database file";
    Prepara("FP", "1", "100", "A");
    ventana_->show();

    std::promise<void> tomado;
    std::thread otraEstacion([&, ruta = carpeta_.file("DEMO.sqlite").toUtf8()] {
        sqlite3* db = nullptr;
        sqlite3_open(ruta.constData(), &db);
        const int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        tomado.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        if (rc == SQLITE_OK)
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
    tomado.get_future().wait();

    struct Sesion : ui::ScriptedSession {
        Form1* ventana = nullptr;
        QList<std::pair<Qt::CursorShape, bool>> durante;  // cursor, input blocked
        int msgBox(const QString& prompt, int style, const QString& title) override
        {
            durante.append({ventana->cursor().shape(), ui::InputBlocker::isBlocked(ventana->CmdAceptar)});
            return ScriptedSession::msgBox(prompt, style, title);
        }
    } dlg;
    dlg.ventana = ventana_.get();
    dlg.expectMsgBox(Exito(14));
    QElapsedTimer reloj;
    reloj.start();
    QPushButton* boton = ventana_->CmdAceptar;
    const QPointF centro(boton->width() / 2.0, boton->height() / 2.0);
    for (int i = 0; i < 2; ++i)
        for (const auto tipo : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(boton, new QMouseEvent(tipo, centro, boton->mapToGlobal(centro), Qt::LeftButton,
                                                               tipo == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                                : Qt::NoButton,
                                                               Qt::NoModifier));
    QCoreApplication::processEvents();
    otraEstacion.join();

    EXPECT_GE(reloj.elapsed(), 300) << "the deletion waited for the other station";
    EXPECT_TRUE(dlg.failures().isEmpty()) << dlg.failures().join(u'\n').toStdString();
    EXPECT_TRUE(dlg.remaining().isEmpty());
    const QStringList log = LineasLog();
    ASSERT_EQ(log.size(), 2) << log.join(u'\n').toStdString();
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("PC: ")));
    EXPECT_TRUE(log[1].startsWith(QStringLiteral("Registros Anulados 14 ")));
    ASSERT_EQ(dlg.durante.size(), 1);
    EXPECT_EQ(dlg.durante[0].first, Qt::WaitCursor);
    EXPECT_TRUE(dlg.durante[0].second);
    // Afterwards the window is itself again.
    EXPECT_NE(ventana_->cursor().shape(), Qt::WaitCursor);
    EXPECT_FALSE(ui::InputBlocker::isBlocked(boton));
}

}  // namespace
