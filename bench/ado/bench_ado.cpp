// A voucher with 10,000 stock rows and 1,000 lines, deleted by the deletion
// batch (15 statements between BEGIN TRANSACTION and COMMIT TRANSACTION)
// through Connection.Execute, against the same statements prepared and run
// straight through the SQLite library. Several rounds, alternating which
// goes first; prints both times and the ratio (target: at most 1.2).
#include "platform/ado/ado.h"
#include "platform/ado/sqlite_support.h"
#include "platform/legacy/program.h"
#include "platform/legacy/vberror.h"

#include <sqlite3.h>

#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <stdexcept>

namespace {

const char* kSchema = R"(
CREATE TABLE V_MV_CPTE (TC CHAR(4) COLLATE SRVTEXT, IDCOMPROBANTE CHAR(13) COLLATE SRVTEXT, IdComplemento INT, Fecha DATETIME, Anulada BIT, Total DECIMAL(18,4));
CREATE INDEX IX1 ON V_MV_CPTE (TC, IDCOMPROBANTE, IdComplemento);
CREATE TABLE V_MV_STOCK (ID INTEGER PRIMARY KEY, TC CHAR(4) COLLATE SRVTEXT, IDCOMPROBANTE CHAR(13) COLLATE SRVTEXT, IdComplemento INT, IdArticulo VARCHAR(25) COLLATE SRVTEXT, IdDeposito VARCHAR(4) COLLATE SRVTEXT, NroLote VARCHAR(25) COLLATE SRVTEXT, Cantidad DECIMAL(18,4), Fecha DATETIME);
CREATE INDEX IX2 ON V_MV_STOCK (TC, IDCOMPROBANTE, IdComplemento);
CREATE INDEX IX3 ON V_MV_STOCK (IdArticulo, IdDeposito, NroLote);
CREATE TABLE V_MV_CPTEINSUMOS (ID INTEGER PRIMARY KEY, TC CHAR(4) COLLATE SRVTEXT, IDCOMPROBANTE CHAR(13) COLLATE SRVTEXT, IdComplemento INT, IdArticulo VARCHAR(25) COLLATE SRVTEXT, Descripcion VARCHAR(100) COLLATE SRVTEXT, Cantidad DECIMAL(18,4), Precio DECIMAL(18,4));
CREATE INDEX IX4 ON V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IdComplemento);
CREATE TABLE V_MV_CPTETAREAS (ID INTEGER PRIMARY KEY, TC CHAR(4) COLLATE SRVTEXT, IDCOMPROBANTE CHAR(13) COLLATE SRVTEXT, IdComplemento INT, Tarea VARCHAR(20) COLLATE SRVTEXT);
CREATE INDEX IX5 ON V_MV_CPTETAREAS (TC, IDCOMPROBANTE, IdComplemento);
CREATE TABLE V_MV_CPTE_OBSERV (ID INTEGER PRIMARY KEY, TC CHAR(4) COLLATE SRVTEXT, IDCOMPROBANTE CHAR(13) COLLATE SRVTEXT, IdComplemento INT, TIPO_OBS VARCHAR(2) COLLATE SRVTEXT, Texto VARCHAR(255) COLLATE SRVTEXT);
CREATE INDEX IX6 ON V_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, IdComplemento);
CREATE TABLE MV_APLICACION (ID INTEGER PRIMARY KEY, TC CHAR(4) COLLATE SRVTEXT, SUCURSAL CHAR(4) COLLATE SRVTEXT, NUMERO CHAR(8) COLLATE SRVTEXT, LETRA CHAR(1) COLLATE SRVTEXT, TCO_ORIGEN CHAR(4) COLLATE SRVTEXT, SUCURSAL_ORIGEN CHAR(4) COLLATE SRVTEXT, NUMERO_ORIGEN CHAR(8) COLLATE SRVTEXT, LETRA_ORIGEN CHAR(1) COLLATE SRVTEXT, Importe DECIMAL(18,4));
CREATE INDEX IX7 ON MV_APLICACION (TC, SUCURSAL, NUMERO, LETRA);
CREATE INDEX IX8 ON MV_APLICACION (TCO_ORIGEN, SUCURSAL_ORIGEN, NUMERO_ORIGEN, LETRA_ORIGEN);
CREATE TABLE MV_ASIENTOS (ID INTEGER PRIMARY KEY, TC CHAR(4) COLLATE SRVTEXT, SUCURSAL CHAR(4) COLLATE SRVTEXT, NUMERO CHAR(8) COLLATE SRVTEXT, LETRA CHAR(1) COLLATE SRVTEXT, Cuenta VARCHAR(20) COLLATE SRVTEXT, Debe DECIMAL(18,4), Haber DECIMAL(18,4));
CREATE INDEX IX9 ON MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA);
CREATE TABLE V_MV_CTROL_CPTE (TC CHAR(4) COLLATE SRVTEXT, SUCURSAL CHAR(4) COLLATE SRVTEXT, NUMERO CHAR(8) COLLATE SRVTEXT, LETRA CHAR(1) COLLATE SRVTEXT);
CREATE INDEX IX10 ON V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA);
CREATE TABLE V_MV_RESERVAS (ID INTEGER PRIMARY KEY, TC CHAR(4) COLLATE SRVTEXT, IDCOMPROBANTE CHAR(13) COLLATE SRVTEXT, IdArticulo VARCHAR(25) COLLATE SRVTEXT, Cantidad DECIMAL(18,4));
CREATE INDEX IX11 ON V_MV_RESERVAS (TC, IDCOMPROBANTE);
CREATE TABLE V_MV_BONOS_DETALLE (ID INTEGER PRIMARY KEY, IDNC CHAR(13) COLLATE SRVTEXT);
CREATE TABLE V_MV_CPTEACCIONES (ID INTEGER PRIMARY KEY, TC CHAR(4) COLLATE SRVTEXT, IdComprobante CHAR(13) COLLATE SRVTEXT, IdComplemento INT, Tipo_accion VARCHAR(2) COLLATE SRVTEXT, FECHAHORA DATETIME, Usuario VARCHAR(50) COLLATE SRVTEXT);
)";

// The batch as the deletion window builds it (carriage returns, no line feeds).
QStringList serverStatements() {
    const QString cond = QStringLiteral(" WHERE TC = 'NC  ' AND IDCOMPROBANTE = '000100000123A' AND IdComplemento = 0");
    const QString cond8 = QStringLiteral(" WHERE TC = 'NC  ' AND SUCURSAL = '0001' AND NUMERO = '00000123' AND LETRA = 'A'");
    return {
        QStringLiteral("BEGIN TRANSACTION"),
        QStringLiteral("DELETE V_MV_STOCK") + cond,
        QStringLiteral("DELETE V_MV_CPTEINSUMOS") + cond,
        QStringLiteral("DELETE V_MV_CPTETAREAS") + cond,
        QStringLiteral("DELETE V_MV_CPTE_OBSERV") + cond + QStringLiteral(" AND TIPO_OBS = 'OC'"),
        QStringLiteral("DELETE V_MV_CPTE") + cond,
        QStringLiteral("DELETE MV_APLICACION WHERE TCO_ORIGEN = 'NC  ' AND SUCURSAL_ORIGEN = '0001' AND NUMERO_ORIGEN = '00000123' AND LETRA_ORIGEN = 'A'"),
        QStringLiteral("DELETE MV_APLICACION") + cond8,
        QStringLiteral("DELETE MV_ASIENTOS") + cond8,
        QStringLiteral("DELETE V_MV_CTROL_CPTE") + cond8,
        QStringLiteral("DELETE V_MV_RESERVAS WHERE TC = 'NC  ' AND IDCOMPROBANTE='000100000123A'"),
        QStringLiteral("UPDATE V_MV_BONOS_DETALLE SET IDNC=NULL WHERE IDNC = '000100000123A'"),
        QStringLiteral("INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, Usuario) "
                       "VALUES ('NC  ', '000100000123A', 0, 'E', '09/12/2026 04:50', 'DEMO')"),
        QStringLiteral("COMMIT TRANSACTION"),
    };
}

// The same statements as one writes them for SQLite by hand.
QStringList sqliteStatements() {
    QStringList s = serverStatements();
    for (QString& x : s) {
        if (x.startsWith(QStringLiteral("DELETE "))) x.insert(7, QStringLiteral("FROM "));
        x.replace(QStringLiteral("'09/12/2026 04:50'"), QStringLiteral("'2026-12-09 04:50:00'"));
    }
    s.first() = QStringLiteral("BEGIN");
    s.last() = QStringLiteral("COMMIT");
    return s;
}

void exec(sqlite3* db, const char* sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string m = msg ? msg : "?";
        sqlite3_free(msg);
        throw std::runtime_error(m);
    }
}

sqlite3* openRaw(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) throw std::runtime_error("open");
    ado::RegisterSqliteExtensions(db);
    return db;
}

// The voucher and its rows, plus other vouchers' rows around them.
void fill(sqlite3* db) {
    exec(db, "BEGIN");
    auto many = [&](const char* sql, int n, auto bindRow) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        for (int i = 0; i < n; ++i) {
            bindRow(st, i);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    };
    auto text = [](sqlite3_stmt* st, int k, const QString& s) {
        const QByteArray u = s.toUtf8();
        sqlite3_bind_text(st, k, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    };
    // 10,000 stock rows of the voucher and 20,000 of others
    many("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, IdComplemento, IdArticulo, IdDeposito, NroLote, Cantidad, Fecha) "
         "VALUES (?1, ?2, 0, ?3, '0001', ?4, 1.5, '2026-12-01 00:00:00')",
         30000, [&](sqlite3_stmt* st, int i) {
             const bool mine = i % 3 == 0;
             text(st, 1, mine ? QStringLiteral("NC  ") : QStringLiteral("FC  "));
             text(st, 2, mine ? QStringLiteral("000100000123A") : QStringLiteral("0001%1A").arg(i % 500, 8, 10, QLatin1Char('0')));
             text(st, 3, QStringLiteral("ART%1").arg(i % 700));
             text(st, 4, QStringLiteral("L%1").arg(i % 50));
         });
    many("INSERT INTO V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IdComplemento, IdArticulo, Descripcion, Cantidad, Precio) "
         "VALUES (?1, ?2, 0, ?3, 'Articulo de prueba', 3, 12.3456)",
         3000, [&](sqlite3_stmt* st, int i) {
             const bool mine = i % 3 == 0;
             text(st, 1, mine ? QStringLiteral("NC  ") : QStringLiteral("FC  "));
             text(st, 2, mine ? QStringLiteral("000100000123A") : QStringLiteral("0001%1A").arg(i % 500, 8, 10, QLatin1Char('0')));
             text(st, 3, QStringLiteral("ART%1").arg(i % 700));
         });
    exec(db,
         "INSERT INTO V_MV_CPTE VALUES ('NC  ', '000100000123A', 0, '2026-12-01 00:00:00', 1, 100);"
         "INSERT INTO V_MV_CPTE VALUES ('FC  ', '000100000124A', 0, '2026-12-01 00:00:00', 0, 100);"
         "INSERT INTO V_MV_CPTETAREAS (TC, IDCOMPROBANTE, IdComplemento, Tarea) VALUES ('NC  ', '000100000123A', 0, 'T1');"
         "INSERT INTO V_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, IdComplemento, TIPO_OBS, Texto) VALUES ('NC  ', '000100000123A', 0, 'OC', 'x');"
         "INSERT INTO MV_APLICACION (TC, SUCURSAL, NUMERO, LETRA, TCO_ORIGEN, SUCURSAL_ORIGEN, NUMERO_ORIGEN, LETRA_ORIGEN, Importe) "
         "  VALUES ('NC  ', '0001', '00000123', 'A', 'FC  ', '0001', '00000100', 'A', 10);"
         "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, Cuenta, Debe, Haber) VALUES ('NC  ', '0001', '00000123', 'A', '1.1', 10, 0);"
         "INSERT INTO V_MV_CTROL_CPTE VALUES ('NC  ', '0001', '00000123', 'A');"
         "INSERT INTO V_MV_RESERVAS (TC, IDCOMPROBANTE, IdArticulo, Cantidad) VALUES ('NC  ', '000100000123A', 'ART1', 1);"
         "INSERT INTO V_MV_BONOS_DETALLE (IDNC) VALUES ('000100000123A');");
    exec(db, "COMMIT");
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 6;
    QTemporaryDir dir;
    legacy::ProgramInfo info = legacy::App();
    info.path = dir.path();
    legacy::setApp(info);
    const QString adoPath = QDir(dir.path()).filePath(QStringLiteral("BENCH.sqlite"));
    const QString rawPath = QDir(dir.path()).filePath(QStringLiteral("RAW.sqlite"));
    for (const QString& p : {adoPath, rawPath}) {
        sqlite3* db = openRaw(p);
        exec(db, kSchema);
        sqlite3_close(db);
    }
    const QString batch = serverStatements().join(QLatin1Char('\r'));
    QList<QByteArray> raw;
    for (const QString& s : sqliteStatements()) raw << s.toUtf8();

    auto cnn = std::make_shared<ado::Connection>();
    cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database =BENCH;UId=BENCH;Pwd=BENCH;Connect Timeout=5;"));
    sqlite3* rawDb = openRaw(rawPath);
    // both files are refilled through a second handle, so both sides start
    // each round with a page cache the other handle made stale
    sqlite3* filler = openRaw(adoPath);
    sqlite3* rawFiller = openRaw(rawPath);

    qint64 adoNs = 0, rawNs = 0;
    int adoRows = 0, rawRows = 0;
    for (int round = 0; round < rounds; ++round) {
        fill(filler);
        fill(rawFiller);
        auto runAdo = [&] {
            QElapsedTimer t;
            t.start();
            int affected = 0;
            cnn->Execute(batch, affected, -1);
            adoNs += t.nsecsElapsed();
            adoRows = affected;
        };
        auto runRaw = [&] {
            QElapsedTimer t;
            t.start();
            int affected = 0;
            for (const QByteArray& s : raw) {
                sqlite3_stmt* st = nullptr;
                if (sqlite3_prepare_v2(rawDb, s.constData(), int(s.size()), &st, nullptr) != SQLITE_OK)
                    throw std::runtime_error(sqlite3_errmsg(rawDb));
                if (sqlite3_step(st) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(rawDb));
                if (!s.startsWith("BEGIN") && !s.startsWith("COMMIT")) affected += sqlite3_changes(rawDb);
                sqlite3_finalize(st);
            }
            rawNs += t.nsecsElapsed();
            rawRows = affected;
        };
        if (round % 2 == 0) { runAdo(); runRaw(); } else { runRaw(); runAdo(); }
    }
    sqlite3_close(filler);
    sqlite3_close(rawFiller);
    sqlite3_close(rawDb);
    if (adoRows != rawRows) {
        std::printf("rows affected differ: Execute %d, SQLite %d\n", adoRows, rawRows);
        return 1;
    }
    const double a = double(adoNs) / 1e6 / rounds;
    const double r = double(rawNs) / 1e6 / rounds;
    std::printf("voucher deletion batch (%d rows, %d rounds)\n", adoRows, rounds);
    std::printf("  Connection.Execute : %8.3f ms per batch\n", a);
    std::printf("  SQLite directly    : %8.3f ms per batch\n", r);
    std::printf("  ratio              : %8.3f (target <= 1.2)\n", a / r);
    return 0;
}
