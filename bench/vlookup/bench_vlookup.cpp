// The voucher picker as the voucher windows open it: the window loaded for
// type FC, timed until its list is filled (the query, one yield to the real
// event loop after every row, the list items), against the same statement
// stepped straight through the SQLite library with the same six texts per row
// copied into a vector. The same 100,000 FC vouchers are added to the
// demo-size database and to the production-size one (which lists its own FC
// vouchers besides). Several rounds per size, alternating which side goes
// first, judged on the median after a warm-up round; prints per size the
// ratio against the library (target: at most 3) and the production time per
// row listed against the demo one (target: at most 1.5). Argument: the
// counted rounds (default 5).
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

// The 100,000 FC vouchers added to a database besides its own rows.
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

struct Medidas {
    banco::Rondas ventana, crudo;
    qint64 nsApertura = 0;
    int filasVentana = 0, filasCrudo = 0;
};

Medidas midePorTamano(const QString& archivo, const QString& nombre, int rondas)
{
    DB_Dll& db = banco::abrePrincipal(nombre);
    // The statement the window runs, as the embedded engine runs it.
    const QString sql = vlookup::SqlOtrosTipos(QStringLiteral("FC"), QStringLiteral("FC  "), {}, {}, false);
    const QByteArray crudo = ado::sql::rewriteForSqlite(sql).sql.toUtf8();
    sqlite3* directa = banco::abre(archivo);

    Medidas m;
    for (int ronda = 0; ronda <= rondas; ++ronda) {  // round 0 warms up and is not counted
        auto ventana = [&] {
            auto* f = new FrmConsComprobantes;
            f->TC = QStringLiteral("FC");
            banco::mide(m.ventana, ronda, [&] { f->Load(); });
            m.filasVentana = f->ListView1->ListItems().Count();
            f->Release();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        auto directo = [&] {
            banco::mide(m.crudo, ronda, [&] {
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
                m.filasCrudo = filas;
            });
        };
        banco::alterna(ronda, ventana, directo);
    }
    sqlite3_close(directa);
    // What the data layer alone takes to open that result (it reads every
    // column of every row at once), for the share of the window.
    banco::Rondas apertura;
    for (int k = 0; k <= 3; ++k)
        banco::mide(apertura, k, [&] {
            std::shared_ptr<ado::Recordset> rs;
            db.AbrirRecordset(sql, rs, nullptr, 0, 1, -1, true);
            db.CierraRecordset(rs);
        });
    m.nsApertura = apertura.mediana();
    return m;
}

}  // namespace

int main(int argc, char** argv)
{
    banco::plataforma();
    QApplication app(argc, argv);
    const int rondas = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    return banco::corre("bench_vlookup", [&] {
        QTemporaryDir dir;
        const QDir carpeta(dir.path());
        banco::programa(app, dir.path());
        banco::creaAmbas(carpeta);
        Medidas m[2];
        for (int t = 0; t < 2; ++t) {
            const QString nombre = QString::fromLatin1(banco::kTamanos[t].nombre);
            const QString archivo = carpeta.filePath(nombre + QStringLiteral(".sqlite"));
            llena(archivo);
            m[t] = midePorTamano(archivo, nombre, rondas);
        }

        std::printf("voucher picker on type FC (%d vouchers added), median of %d rounds after a warm-up\n", kVales,
                    rondas);
        for (int t = 0; t < 2; ++t) {
            std::printf("  %-10s window load until the list is filled %9.2f ms, %d rows (the data layer's opening "
                        "%.2f ms); same statement through SQLite %9.2f ms, %d rows\n",
                        banco::kTamanos[t].titulo, m[t].ventana.ms(), m[t].filasVentana, m[t].nsApertura / 1e6,
                        m[t].crudo.ms(), m[t].filasCrudo);
            banco::imprimeRazon(qPrintable(QStringLiteral("%1: the window against the library:")
                                               .arg(QLatin1String(banco::kTamanos[t].titulo))),
                                m[t].ventana.ms() / m[t].crudo.ms(), 3.0);
        }
        banco::imprimeTamanos("voucher picker, per row listed:", m[0].ventana.ms(), m[1].ventana.ms(),
                              banco::kMetaTamano, m[0].filasVentana, m[1].filasVentana);
        return 0;
    });
}
