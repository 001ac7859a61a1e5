// The deletion as the operator runs it: Form1's click handler (type check and
// voucher read, log lines, the batch through the data layer, the server date
// and the 'B' action row) deleting an annulled voucher with 1,000, 10,000 and
// 100,000 stock rows (and a tenth as many lines) on the embedded engine,
// against the same statements prepared and run straight through the SQLite
// library on an identical database: the voucher read, the batch with the
// test for other complements, the server date and the 'B' row. Several
// rounds per size, alternating which goes first; prints the best round of
// each side and the ratio per size (target: at most 1.1).
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

const char* kLinea = "@server=(sqlite);@dbname=DEMO;@usuario=DEMO;@Password=DEMO;";

// What the handler runs for FP 0001 00000777 A, as one writes it for SQLite
// by hand: the voucher read, the batch (whose block runs when the test before
// it gives 1), the server date and the 'B' row. Statements that give rows are
// stepped through all of them.
const char* const kCrudo[] = {
    "SELECT * FROM V_MV_CPTE WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A'",
    "BEGIN",
    "DELETE FROM V_MV_STOCK WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000777A' AND IdComplemento = 0",
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
    "DELETE FROM V_MV_CTROL_CPTE WHERE TC = 'FP  ' AND SUCURSAL = '0001' AND NUMERO = '00000777' AND LETRA = 'A'",
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
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        for (int i = 0; i < n; ++i) {
            sqlite3_bind_int(st, 1, i + 1);
            const QByteArray art = QStringLiteral("ART%1").arg(i % 700).toUtf8();
            sqlite3_bind_text(st, 2, art.constData(), int(art.size()), SQLITE_TRANSIENT);
            sqlite3_step(st);
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

}  // namespace

int main(int argc, char** argv)
{
    banco::plataforma();
    QApplication app(argc, argv);
    const int rondas = argc > 1 ? std::atoi(argv[1]) : 6;
    try {
        QTemporaryDir dir;
        banco::programa(app, dir.path(), QString::fromLatin1(kLinea));
        const QDir carpeta(dir.path());
        banco::creaBase(carpeta.filePath(QStringLiteral("DEMO.sqlite")));
        banco::creaBase(carpeta.filePath(QStringLiteral("KD_REGISTROSVAR.sqlite")), QStringLiteral("KD_REGISTROSVAR"));
        banco::creaBase(carpeta.filePath(QStringLiteral("CRUDO.sqlite")));

        banco::Sesion dlg;
        Form1 form;
        form.Form_Load();
        form.txtPassWord->setText(Form1::ClaveAcceso());
        form.txtTC->setText(QStringLiteral("FP"));
        form.txtSUC->setText(QStringLiteral("1"));
        form.txtNRO->setText(QStringLiteral("777"));
        form.txtLetra->setText(QStringLiteral("A"));

        sqlite3* demo = banco::abre(QDir(dir.path()).filePath(QStringLiteral("DEMO.sqlite")));
        sqlite3* crudo = banco::abre(QDir(dir.path()).filePath(QStringLiteral("CRUDO.sqlite")));
        // Both sides are filled through a connection of their own, so both
        // find their page cache stale when they start deleting.
        sqlite3* llenaCrudo = banco::abre(QDir(dir.path()).filePath(QStringLiteral("CRUDO.sqlite")));

        std::printf("deletion of an annulled voucher, best of %d rounds per size (target: ratio <= 1.1)\n", rondas);
        for (const int stock : {1000, 10000, 100000}) {
            qint64 nsVentana = 0, nsCrudo = 0;
            int filasCrudo = 0;
            QString mensaje;
            // Round 0 warms both up (and creates the window's voucher object)
            // and is not counted.
            for (int ronda = 0; ronda <= rondas; ++ronda) {
                llena(demo, stock);
                llena(llenaCrudo, stock);
                auto ventana = [&] {
                    dlg.expectMsgBox(QStringLiteral("Anulado sin Errores"));
                    QElapsedTimer t;
                    t.start();
                    form.CmdAceptar_Click();
                    if (ronda > 0)
                        banco::mejor(nsVentana, t.nsecsElapsed());
                    dlg.verifyDone();
                    mensaje = dlg.shownPrompts().last();
                };
                auto directo = [&] {
                    QElapsedTimer t;
                    t.start();
                    int filas = 0;
                    for (const char* s : kCrudo) {
                        sqlite3_stmt* st = nullptr;
                        if (sqlite3_prepare_v2(crudo, s, -1, &st, nullptr) != SQLITE_OK)
                            throw std::runtime_error(sqlite3_errmsg(crudo));
                        int rc;
                        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                            (void)sqlite3_column_value(st, 0);
                        if (rc != SQLITE_DONE)
                            throw std::runtime_error(sqlite3_errmsg(crudo));
                        if (qstrncmp(s, "DELETE", 6) == 0 || (qstrncmp(s, "INSERT", 6) == 0 && std::strstr(s, "'E'")))
                            filas += sqlite3_changes(crudo);
                        sqlite3_finalize(st);
                    }
                    if (ronda > 0)
                        banco::mejor(nsCrudo, t.nsecsElapsed());
                    filasCrudo = filas;
                };
                banco::alterna(ronda, ventana, directo);
            }
            const double msVentana = nsVentana / 1e6;
            const double msCrudo = nsCrudo / 1e6;
            std::printf("%6d stock rows, %5d lines\n", stock, stock / 10);
            std::printf("  click handler (Form1, embedded engine): %8.2f ms   \"%s\"\n", msVentana,
                        mensaje.trimmed().toUtf8().constData());
            std::printf("  same statements through the SQLite library: %8.2f ms   %d rows\n", msCrudo, filasCrudo);
            std::printf("  ratio: %.3f\n", msVentana / msCrudo);
        }
        sqlite3_close(demo);
        sqlite3_close(crudo);
        sqlite3_close(llenaCrudo);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_deletion: %s\n", e.what());
    } catch (const legacy::VbError& e) {
        std::fprintf(stderr, "bench_deletion: error %ld %s\n", e.Number, qPrintable(e.Description));
    } catch (const legacy::ProgramEnd& e) {
        std::fprintf(stderr, "bench_deletion: the start-up ended the program (%d)\n", e.code);
    }
    return 1;
}
