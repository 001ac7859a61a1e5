// The deletion as the operator runs it: Form1's click handler (type check and
// voucher read, log lines, the batch through the data layer, the server date
// and the 'B' action row) deleting an annulled voucher with 1,000, 10,000 and
// 100,000 stock rows (and a tenth as many lines) on the embedded engine,
// against the same statements prepared and run straight through the SQLite
// library on an identical database: the voucher read, the batch with its
// tests of rows to take and of other complements, the server date and the
// 'B' row. Both on the
// demo-size database and on the production-size one (the window started on
// each). Several rounds per size, alternating which side goes first, judged
// on the median after a warm-up round; prints per size and stock count the
// ratio against the library (target: at most 1.1) and the production time
// against the demo time (target: at most 1.5). Argument: the counted rounds
// (default 5).
#include "deletion/form1.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/scripted.h"
#include "common/banco.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

// What the handler runs for FP 0001 00000777 A, as one writes it for SQLite
// by hand: the voucher read, the batch (whose deletion runs when the test of
// rows to take gives 1, and whose shared rows go when the test before them
// gives 1), the server date and the 'B' row. Statements that give rows are
// stepped through all of them.
const char* const kCrudo[] = {
    "SELECT * FROM V_MV_CPTE WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A'",
    "BEGIN",
    "SELECT EXISTS (SELECT 1 FROM V_MV_STOCK WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND "
    "IdComplemento = 0 UNION ALL SELECT 1 FROM V_MV_STOCK WHERE TC = 'PE  ' AND Tc_Origen = 'FP  ' AND "
    "IdComprobante_Origen = '000100000777A' AND IdComplemento = 0 UNION ALL SELECT 1 FROM V_MV_CPTEINSUMOS WHERE "
    "TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND IdComplemento = 0 UNION ALL SELECT 1 FROM V_MV_CPTE WHERE "
    "TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND IdComplemento = 0) OR (NOT EXISTS (SELECT * FROM V_MV_CPTE "
    "WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND IdComplemento <> 0) AND EXISTS (SELECT 1 FROM "
    "MV_ASIENTOS WHERE TC = 'FP  ' AND SUCURSAL = '0001' AND NUMERO = '00000777' AND LETRA = 'A' UNION ALL SELECT 1 "
    "FROM V_MV_CTROL_CPTE WHERE TC = 'FP  ' AND SUCURSAL = '0001' AND NUMERO = '00000777' AND LETRA = 'A'))",
    "DELETE FROM V_MV_STOCK WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND IdComplemento = 0",
    "DELETE FROM V_MV_STOCK WHERE TC = 'PE  ' AND Tc_Origen = 'FP  ' AND IdComprobante_Origen = '000100000777A' "
    "AND IdComplemento = 0",
    "DELETE FROM V_MV_CPTEINSUMOS WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND IdComplemento = 0",
    "DELETE FROM V_MV_CPTETAREAS WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND IdComplemento = 0",
    "DELETE FROM V_MV_CPTE_OBSERV WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND IdComplemento = 0 "
    "AND TIPO_OBS = 'OC'",
    "DELETE FROM V_MV_CPTE WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND IdComplemento = 0",
    "SELECT NOT EXISTS (SELECT * FROM V_MV_CPTE WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' "
    "AND IdComplemento <> 0)",
    "DELETE FROM MV_APLICACION WHERE TCO_ORIGEN = 'FP  ' AND SUCURSAL_ORIGEN = '0001' AND NUMERO_ORIGEN = '00000777' "
    "AND LETRA_ORIGEN = 'A'",
    "DELETE FROM MV_APLICACION WHERE TC = 'FP  ' AND SUCURSAL = '0001' AND NUMERO = '00000777' AND LETRA = 'A'",
    "DELETE FROM MV_ASIENTOS WHERE TC = 'FP  ' AND SUCURSAL = '0001' AND NUMERO = '00000777' AND LETRA = 'A'",
    "DELETE FROM MV_ASIENTOS WHERE TC = 'CMV ' AND TC_ORIGEN = 'FP  ' AND CPTE_ORIGEN = '000100000777A'",
    "DELETE FROM MV_ASIENTOSCCOSTO WHERE TC = 'FP  ' AND SUCURSAL = '0001' AND NUMERO = '00000777' AND LETRA = 'A'",
    "DELETE FROM V_MV_CTROL_CPTE WHERE TC = IFNULL((SELECT NULLIF(TRIM(Valor), '') FROM TA_CONFIGURACION WHERE "
    "CLAVE = 'NUM_FP' LIMIT 1), 'FP  ') AND SUCURSAL = '0001' AND NUMERO = '00000777' AND LETRA = 'A'",
    "DELETE FROM V_MV_RESERVAS WHERE TC = 'FP  ' AND IDCOMPROBANTE='000100000777A'",
    "INSERT INTO V_MV_CPTEACCIONES (TC,IdComprobante,IdComplemento,Tipo_accion,FECHAHORA,Usuario,PC,SYSTEMUSER,"
    "Proceso,ProcesoLote,Cuenta) VALUES ('FP  ','000100000777A',0,'E','2026-12-09 05:00:00','DEMO','PC1','vordane',"
    "'vordane ','','')",
    "COMMIT",
    "SELECT datetime('now') AS fecha",
    "INSERT INTO V_MV_CPTEACCIONES (TC,IdComprobante,IdComplemento,Tipo_accion,FECHAHORA,Usuario,PC,SYSTEMUSER,"
    "Proceso,ProcesoLote,Cuenta) VALUES ('FP  ','000100000777A',0,'B','2026-12-09 05:00:00','DEMO','PC1','Eliminado',"
    "'vordane ','','')",
};

// The annulled voucher with its stock rows and a tenth as many lines, among
// the demo data.
void llena(sqlite3* db, int stock)
{
    banco::exec(db, "BEGIN");
    banco::exec(db, "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CUENTA, ANULADA) "
             "VALUES ('FP  ', '000100000777A', 0, 'C0001', 1)");
    auto muchas = [&](const char* sql, int n) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        for (int i = 0; i < n; ++i) {
            sqlite3_bind_int(st, 1, i + 1);
            const QByteArray art = QStringLiteral("ART%1").arg(i % 700).toUtf8();
            sqlite3_bind_text(st, 2, art.constData(), int(art.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(st) != SQLITE_DONE)
                throw std::runtime_error(sqlite3_errmsg(db));
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    };
    muchas("INSERT INTO V_MV_STOCK (TC, IdComprobante, IdComplemento, Secuencia, Fecha, IdDeposito, IdArticulo, "
           "Cantidad) VALUES ('FP  ', '000100000777A', 0, ?1, '2026-12-01 00:00:00', '   1', ?2, -1.5)",
           stock);
    muchas("INSERT INTO V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CUENTA, Secuencia, IdArticulo, "
           "Descripcion, Cantidad) VALUES ('FP  ', '000100000777A', 0, 'C0001', ?1, ?2, 'Articulo de prueba', 3)",
           stock / 10);
    banco::exec(db, "COMMIT");
}

constexpr int kStocks[] = {1000, 10000, 100000};

struct Medidas {
    banco::Rondas ventana, crudo;
    QString mensaje;
    int filasCrudo = 0;
};

// Form1 started on the database `tam` (with its twin for the library side)
// deleting the voucher at every stock count.
void midePorTamano(const QDir& carpeta, const QApplication& app, const banco::Tamano& tam, int rondas,
                   banco::Sesion& dlg, Medidas (&m)[3])
{
    const QString nombre = QString::fromLatin1(tam.nombre);
    banco::programa(app, carpeta.path(),
                    QStringLiteral("@server=(sqlite);@dbname=%1;@usuario=DEMO;@Password=DEMO;").arg(nombre));
    banco::cierraPrincipal();
    Form1 form;
    form.Form_Load();
    form.txtPassWord->setText(Form1::ClaveAcceso());
    form.txtTC->setText(QStringLiteral("FP"));
    form.txtSUC->setText(QStringLiteral("1"));
    form.txtNRO->setText(QStringLiteral("777"));
    form.txtLetra->setText(QStringLiteral("A"));

    sqlite3* llenaVentana = banco::abre(carpeta.filePath(nombre + QStringLiteral(".sqlite")));
    const QString gemelo = carpeta.filePath(QStringLiteral("CRUDO") + nombre + QStringLiteral(".sqlite"));
    sqlite3* crudo = banco::abre(gemelo);
    // Both sides are filled through a connection of their own, so both
    // find their page cache stale when they start deleting.
    sqlite3* llenaCrudo = banco::abre(gemelo);

    for (int k = 0; k < 3; ++k) {
        const int stock = kStocks[k];
        // Round 0 warms both up (and creates the window's voucher object)
        // and is not counted.
        for (int ronda = 0; ronda <= rondas; ++ronda) {
            llena(llenaVentana, stock);
            llena(llenaCrudo, stock);
            auto ventana = [&] {
                dlg.expectMsgBox(QStringLiteral("Anulado sin Errores"));
                banco::mide(m[k].ventana, ronda, [&] { form.CmdAceptar_Click(); });
                dlg.verifyDone();
                m[k].mensaje = dlg.shownPrompts().last();
            };
            auto directo = [&] {
                int filas = 0;
                banco::mide(m[k].crudo, ronda, [&] {
                    for (const char* s : kCrudo) {
                        sqlite3_stmt* st = nullptr;
                        if (sqlite3_prepare_v2(crudo, s, -1, &st, nullptr) != SQLITE_OK)
                            throw std::runtime_error(sqlite3_errmsg(crudo));
                        int rc;
                        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                            (void)sqlite3_column_value(st, 0);
                        if (rc != SQLITE_DONE)
                            throw std::runtime_error(sqlite3_errmsg(crudo));
                        if (qstrncmp(s, "DELETE", 6) == 0 ||
                            (qstrncmp(s, "INSERT", 6) == 0 && std::strstr(s, "'E'")))
                            filas += sqlite3_changes(crudo);
                        sqlite3_finalize(st);
                    }
                });
                m[k].filasCrudo = filas;
            };
            banco::alterna(ronda, ventana, directo);
        }
    }
    sqlite3_close(llenaVentana);
    sqlite3_close(crudo);
    sqlite3_close(llenaCrudo);
}

}  // namespace

int main(int argc, char** argv)
{
    banco::plataforma();
    QApplication app(argc, argv);
    const int rondas = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    return banco::corre("bench_deletion", [&] {
        QTemporaryDir dir;
        const QDir carpeta(dir.path());
        banco::programa(app, dir.path());
        banco::creaAmbas(carpeta, QStringLiteral("CRUDO"));
        banco::creaBase(carpeta.filePath(QStringLiteral("KD_REGISTROSVAR.sqlite")), QStringLiteral("KD_REGISTROSVAR"));

        banco::Sesion dlg;
        Medidas m[2][3];
        for (int t = 0; t < 2; ++t)
            midePorTamano(carpeta, app, banco::kTamanos[t], rondas, dlg, m[t]);

        std::printf("deletion of an annulled voucher, median of %d rounds after a warm-up\n", rondas);
        for (int k = 0; k < 3; ++k) {
            std::printf("%6d stock rows, %5d lines\n", kStocks[k], kStocks[k] / 10);
            for (int t = 0; t < 2; ++t) {
                const Medidas& x = m[t][k];
                std::printf("  %-10s click handler %8.2f ms \"%s\"; same statements through SQLite %8.2f ms, %d rows\n",
                            banco::kTamanos[t].titulo, x.ventana.ms(), x.mensaje.trimmed().toUtf8().constData(),
                            x.crudo.ms(), x.filasCrudo);
                banco::imprimeRazon(qPrintable(QStringLiteral("%1: click handler against the library:")
                                                   .arg(QLatin1String(banco::kTamanos[t].titulo))),
                                    x.ventana.ms() / x.crudo.ms(), 1.1);
            }
            banco::imprimeTamanos("click handler:", m[0][k].ventana.ms(), m[1][k].ventana.ms());
        }
        return 0;
    });
}
