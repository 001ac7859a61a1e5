// The voucher picker as the voucher windows open it: the window loaded for
// type FC on a database with 100,000 FC vouchers, timed until its list is
// filled (the query, one yield to the real event loop after every row, the
// list items), against the same statement stepped straight through the
// SQLite library with the same six texts per row copied into a vector.
// Several rounds, alternating which goes first; prints the best round of
// each (the machine is shared, so the best is the least disturbed) and their
// ratio (target: at most 3).
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/ado/sql_text.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sqlite_support.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/listview.h"
#include "voucher/lookup/frmconscomprobantes.h"
#include "voucher/lookup/sentencias.h"
#include "common/banco.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kVales = 100000;

// The demo database with 100,000 FC vouchers besides its own rows.
void llena(const QString& archivo)
{
    sqlite3* db = banco::abre(archivo);
    banco::exec(db, "BEGIN");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, FECHA, CUENTA, Nombre, Importe, "
                       "ANULADA, APROBADO, COMENTARIOS, FechaHora_Grabacion) VALUES ('FC  ', ?1, ?2, ?3, 'C0001', ?4, "
                       "?5, ?6, 1, ?7, ?8)",
                       -1, &st, nullptr);
    for (int i = 0; i < kVales; ++i) {
        const QByteArray id = QStringLiteral("0001%1A").arg(i + 1, 8, 10, QLatin1Char('0')).toUtf8();
        const QByteArray fecha = QStringLiteral("2026-%1-%2 00:00:00")
                                     .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                     .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                     .toUtf8();
        const QByteArray grabado = QByteArray(fecha).replace(" 00:00:00", " 10:15:30");
        const QByteArray nombre = QStringLiteral("Cliente %1").arg(i % 997).toUtf8();
        const QByteArray nota = QStringLiteral("Factura %1").arg(i).toUtf8();
        sqlite3_bind_text(st, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 2, i % 3);
        sqlite3_bind_text(st, 3, fecha.constData(), int(fecha.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, nombre.constData(), int(nombre.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 5, 100.0 + i % 5000);
        sqlite3_bind_int(st, 6, i % 50 == 0);
        sqlite3_bind_text(st, 7, nota.constData(), int(nota.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 8, grabado.constData(), int(grabado.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    banco::exec(db, "COMMIT");
    sqlite3_close(db);
}

QString texto(sqlite3_stmt* st, int columna)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, columna)),
                             sqlite3_column_bytes(st, columna));
}

}  // namespace

int main(int argc, char** argv)
{
    banco::plataforma();
    QApplication app(argc, argv);
    const int rondas = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    try {
        QTemporaryDir dir;
        banco::programa(app, dir.path());
        const QString base = QDir(dir.path()).filePath(QStringLiteral("DEMO.sqlite"));
        banco::creaBase(base);
        llena(base);
        DB_Dll& db = banco::abrePrincipal();

        // The statement the window runs, as the embedded engine runs it.
        const QString sql = vlookup::SqlOtrosTipos(QStringLiteral("FC"), QStringLiteral("FC  "), {}, {}, false);
        const QByteArray crudo = ado::sql::rewriteForSqlite(sql).sql.toUtf8();
        sqlite3* directa = banco::abre(base);

        qint64 nsVentana = 0, nsCrudo = 0;
        int filasVentana = 0, filasCrudo = 0;
        for (int ronda = 0; ronda <= rondas; ++ronda) {  // round 0 warms up and is not counted
            auto ventana = [&] {
                auto* f = new FrmConsComprobantes;
                f->TC = QStringLiteral("FC");
                QElapsedTimer t;
                t.start();
                f->Load();
                if (ronda > 0) banco::mejor(nsVentana, t.nsecsElapsed());
                filasVentana = f->ListView1->ListItems().Count();
                f->Release();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            };
            auto directo = [&] {
                QElapsedTimer t;
                t.start();
                std::vector<QString> celdas;
                sqlite3_stmt* st = nullptr;
                if (sqlite3_prepare_v2(directa, crudo.constData(), -1, &st, nullptr) != SQLITE_OK)
                    throw std::runtime_error(sqlite3_errmsg(directa));
                const int columnas = sqlite3_column_count(st);
                auto indice = [&](const char* nombre) {
                    for (int i = 0; i < columnas; ++i)
                        if (qstricmp(sqlite3_column_name(st, i), nombre) == 0) return i;
                    throw std::runtime_error(nombre);
                };
                const int cols[] = {indice("FechaHora_Grabacion"), indice("IDCOMPROBANTE"), indice("IDCOMPLEMENTO"),
                                    indice("Nombre"), indice("COMENTARIOS"), indice("Importe")};
                int filas = 0;
                while (sqlite3_step(st) == SQLITE_ROW) {
                    for (int c : cols) celdas.push_back(texto(st, c));
                    ++filas;
                }
                sqlite3_finalize(st);
                if (ronda > 0) banco::mejor(nsCrudo, t.nsecsElapsed());
                filasCrudo = filas;
            };
            banco::alterna(ronda, ventana, directo);
        }
        sqlite3_close(directa);
        // What the data layer alone takes to open that result (it reads
        // every column of every row at once), for the share of the window.
        qint64 nsApertura = 0;
        for (int k = 0; k < 3; ++k) {
            QElapsedTimer t;
            t.start();
            std::shared_ptr<ado::Recordset> rs;
            db.AbrirRecordset(sql, rs, nullptr, 0, 1, -1, true);
            banco::mejor(nsApertura, t.nsecsElapsed());
            db.CierraRecordset(rs);
        }

        const double msVentana = nsVentana / 1e6;
        const double msCrudo = nsCrudo / 1e6;
        std::printf("voucher picker on %d FC vouchers, best of %d rounds\n", kVales, rondas);
        std::printf("  window load until the list is filled: %9.2f ms   %d rows\n", msVentana, filasVentana);
        std::printf("  of which the data layer's opening:    %9.2f ms\n", nsApertura / 1e6);
        std::printf("  same statement through SQLite:        %9.2f ms   %d rows\n", msCrudo, filasCrudo);
        std::printf("  ratio: %.3f (target <= 3)\n", msVentana / msCrudo);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_vlookup: %s\n", e.what());
    } catch (const legacy::VbError& e) {
        std::fprintf(stderr, "bench_vlookup: error %ld %s\n", e.Number, qPrintable(e.Description));
    }
    return 1;
}
