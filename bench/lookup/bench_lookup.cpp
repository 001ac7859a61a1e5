// The lookup windows as a user opens them: the list window loading a
// statement of 100,000 rows and 6 columns until it is filled and laid out,
// and the tree window building 20,000 nodes in four levels, each against
// stepping the same statement through the SQLite library into a vector of
// texts. Several rounds, alternating which goes first; prints the best
// round of each side and the ratio (target: at most 3). A second argument "list" or "tree"
// times that window alone (for profiling one of them).
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/lib_frmcons3tree.h"
#include "mkdb/mkdb.h"
#include "platform/ado/sqlite_support.h"
#include "platform/legacy/program.h"
#include "platform/ui/application.h"
#include "platform/ui/listview.h"
#include "platform/ui/scripted.h"
#include "platform/ui/treeview.h"
#include "common/banco.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

const char* kLista = "SELECT CODIGO, DESCRIPCION, RUBRO, PRECIO, CANTIDAD, OBSERVACION FROM BENCH_LISTA";
const char* kArbol = "SELECT CODIGO, DESCRIPCION FROM BENCH_ARBOL ORDER BY CODIGO";

void exec(sqlite3* db, const char* sql)
{
    char* msg = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string m = msg ? msg : "?";
        sqlite3_free(msg);
        throw std::runtime_error(m);
    }
}

void llena(const QString& archivo)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(archivo.toUtf8().constData(), &db) != SQLITE_OK) throw std::runtime_error("open");
    exec(db, "CREATE TABLE BENCH_LISTA (CODIGO VARCHAR(10), DESCRIPCION VARCHAR(50), RUBRO CHAR(4), PRECIO MONEY, "
             "CANTIDAD INT, OBSERVACION VARCHAR(40))");
    exec(db, "CREATE TABLE BENCH_ARBOL (CODIGO VARCHAR(10) PRIMARY KEY, DESCRIPCION VARCHAR(50))");
    exec(db, "BEGIN");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BENCH_LISTA VALUES (?1, ?2, ?3, ?4, ?5, ?6)", -1, &st, nullptr);
    for (int i = 0; i < 100000; ++i) {
        const QByteArray c = QStringLiteral("A%1").arg(i, 6, 10, QChar(u'0')).toUtf8();
        const QByteArray d = QStringLiteral("Articulo de prueba numero %1").arg(i * 7919 % 100000).toUtf8();
        const QByteArray r = QStringLiteral("R%1").arg(i % 50).toUtf8();
        const QByteArray o = QStringLiteral("Observacion %1").arg(i % 977).toUtf8();
        sqlite3_bind_text(st, 1, c.constData(), int(c.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, d.constData(), int(d.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, r.constData(), int(r.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 4, (i % 1000) * 1.25);
        sqlite3_bind_int(st, 5, i % 300);
        sqlite3_bind_text(st, 6, o.constData(), int(o.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    // Four levels: 20 codes of two digits, 10 children each, 10 again, and
    // the rest spread nine to a third-level node.
    sqlite3_prepare_v2(db, "INSERT INTO BENCH_ARBOL VALUES (?1, ?2)", -1, &st, nullptr);
    int nodos = 0;
    auto agrega = [&](const QString& codigo) {
        const QByteArray c = codigo.toUtf8();
        const QByteArray d = (QStringLiteral("Rama ") + codigo).toUtf8();
        sqlite3_bind_text(st, 1, c.constData(), int(c.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, d.constData(), int(d.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
        ++nodos;
    };
    auto dos = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')); };
    for (int a = 1; a <= 20; ++a) agrega(dos(a));
    for (int a = 1; a <= 20; ++a)
        for (int b = 1; b <= 10; ++b) agrega(dos(a) + dos(b));
    for (int a = 1; a <= 20; ++a)
        for (int b = 1; b <= 10; ++b)
            for (int c = 1; c <= 10; ++c) agrega(dos(a) + dos(b) + dos(c));
    for (int a = 1; a <= 20 && nodos < 20000; ++a)
        for (int b = 1; b <= 10 && nodos < 20000; ++b)
            for (int c = 1; c <= 10 && nodos < 20000; ++c)
                for (int d = 1; d <= 9 && nodos < 20000; ++d) agrega(dos(a) + dos(b) + dos(c) + dos(d));
    sqlite3_finalize(st);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

// The statement stepped into a vector of row texts.
qint64 directo(sqlite3* db, const char* sql, int columnas, int& filas)
{
    QElapsedTimer t;
    t.start();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
    std::vector<std::vector<QString>> v;
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<QString> fila(columnas);
        for (int i = 0; i < columnas; ++i)
            fila[i] = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
        v.push_back(std::move(fila));
    }
    sqlite3_finalize(st);
    filas = int(v.size());
    return t.nsecsElapsed();
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::PrepareApplication();
    const int rondas = std::max(1, argc > 1 ? std::atoi(argv[1]) : 7);
    const QString solo = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const bool conLista = solo != u"tree", conArbol = solo != u"list";
    try {
        QTemporaryDir dir;
        legacy::ProgramInfo info = legacy::ProgramInfo::fromProcess(app.arguments());
        info.path = dir.path();
        info.exeName = QStringLiteral("vordane");
        legacy::setApp(info);
        QString error;
        const QString archivo = QDir(dir.path()).filePath(QStringLiteral("DEMO.sqlite"));
        const QStringList archivos = mkdb::databaseFiles(QStringLiteral(VORDANE_DATA_DIR), QStringLiteral("DEMO"), true, &error);
        if (archivos.isEmpty() || !mkdb::createDatabase(archivo, archivos, true, &error))
            throw std::runtime_error(error.toStdString());
        llena(archivo);

        DB_Dll& db = ModGlobal::gDB();
        db.gServidor = QStringLiteral("(sqlite)");
        db.gDBName = db.gUsuario = db.gUserPassWord = QStringLiteral("DEMO");
        db.OpenServerADODB(false, 3, QString(), false, false);
        if (!db.gOpenFlag) throw std::runtime_error("the main connection did not open");
        sqlite3* crudo = nullptr;
        sqlite3_open(archivo.toUtf8().constData(), &crudo);
        ado::RegisterSqliteExtensions(crudo);

        banco::Sesion dlg;
        qint64 nsLista = 0, nsListaCrudo = 0, nsArbol = 0, nsArbolCrudo = 0;
        using banco::mejor;
        int filasLista = 0, filasCrudo = 0, nodos = 0, nodosCrudo = 0;
        // Round 0 warms both sides up and is not counted.
        for (int ronda = 0; ronda <= rondas; ++ronda) {
            auto lista = [&] {
                if (!conLista) return;
                QElapsedTimer t;
                t.start();
                Lib_FrmCons3& f = lookup::frmCons3().instance();
                f.sql = QString::fromLatin1(kLista);
                f.OrdenarPorLwv = true;  // no ORDER BY: the list sorts itself, as the lookup class asks
                f.Load();
                f.show();
                QApplication::processEvents();
                filasLista = f.ListView1->ListItems().Count();
                if (ronda > 0) mejor(nsLista, t.nsecsElapsed());
                lookup::frmCons3().release();
            };
            auto arbol = [&] {
                if (!conArbol) return;
                QElapsedTimer t;
                t.start();
                Lib_FrmCons3Tree& f = lookup::frmCons3Tree().instance();
                f.sql = QString::fromLatin1(kArbol);
                f.Load();
                f.show();
                QApplication::processEvents();
                nodos = f.TreeV->Nodes().Count() - 1;
                if (ronda > 0) mejor(nsArbol, t.nsecsElapsed());
                lookup::frmCons3Tree().release();
            };
            auto crudos = [&] {
                const qint64 l = directo(crudo, kLista, 6, filasCrudo);
                const qint64 a = directo(crudo, kArbol, 2, nodosCrudo);
                if (ronda > 0) {
                    mejor(nsListaCrudo, l);
                    mejor(nsArbolCrudo, a);
                }
            };
            banco::alterna(
                ronda,
                [&] {
                    lista();
                    arbol();
                },
                crudos);
            QApplication::processEvents();
        }
        sqlite3_close(crudo);
        const double l = nsLista / 1e6, lc = nsListaCrudo / 1e6;
        const double a = nsArbol / 1e6, ac = nsArbolCrudo / 1e6;
        std::printf("lookup windows, best of %d rounds\n", rondas);
        if (conLista) {
            std::printf("  list window, %d rows x 6 columns filled and laid out: %8.2f ms\n", filasLista, l);
            std::printf("  the statement stepped into a vector (%d rows):       %8.2f ms\n", filasCrudo, lc);
            std::printf("  ratio: %.2f (target <= 3)\n", l / lc);
        }
        if (conArbol) {
            std::printf("  tree window, %d nodes in four levels built and shown:  %8.2f ms\n", nodos, a);
            std::printf("  the statement stepped into a vector (%d rows):       %8.2f ms\n", nodosCrudo, ac);
            std::printf("  ratio: %.2f (target <= 3)\n", a / ac);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_lookup: %s\n", e.what());
        return 1;
    }
}
