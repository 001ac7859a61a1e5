// The lookup windows as a user opens them: the list window loading a
// statement of 100,000 rows and 6 columns until it is filled and laid out,
// and the tree window building 20,000 nodes in four levels, each against
// stepping the same statement through the SQLite library into a vector of
// texts. The same tables are added to the demo-size database and to the
// production-size one. Several rounds per size, alternating which side goes
// first, judged on the median after a warm-up round; prints per size the
// ratio against the library (target: at most 3) and the production time per
// row listed against the demo one (target: at most 1.5). Arguments: the
// counted rounds (default 7), and "list" or "tree" to time that window alone
// (for profiling one of them).
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/lib_frmcons3tree.h"
#include "platform/ado/sqlite_support.h"
#include "platform/ui/listview.h"
#include "platform/ui/scripted.h"
#include "platform/legacy/vberror.h"
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

using banco::exec;

void llena(const QString& archivo)
{
    sqlite3* db = banco::abre(archivo);
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

struct Medidas {
    banco::Rondas lista, listaCruda, arbol, arbolCrudo;
    int filasLista = 0, filasCrudo = 0, nodos = 0, nodosCrudo = 0;
};

Medidas midePorTamano(const QString& archivo, const QString& nombre, int rondas, bool conLista, bool conArbol)
{
    banco::abrePrincipal(nombre);
    sqlite3* crudo = banco::abre(archivo);
    Medidas m;
    // Round 0 warms both sides up and is not counted.
    for (int ronda = 0; ronda <= rondas; ++ronda) {
        auto lista = [&] {
            if (!conLista) return;
            banco::mide(m.lista, ronda, [&] {
                Lib_FrmCons3& f = lookup::frmCons3().instance();
                f.sql = QString::fromLatin1(kLista);
                f.OrdenarPorLwv = true;  // no ORDER BY: the list sorts itself, as the lookup class asks
                f.Load();
                f.show();
                QApplication::processEvents();
                m.filasLista = f.ListView1->ListItems().Count();
            });
            lookup::frmCons3().release();
        };
        auto arbol = [&] {
            if (!conArbol) return;
            banco::mide(m.arbol, ronda, [&] {
                Lib_FrmCons3Tree& f = lookup::frmCons3Tree().instance();
                f.sql = QString::fromLatin1(kArbol);
                f.Load();
                f.show();
                QApplication::processEvents();
                m.nodos = f.TreeV->Nodes().Count() - 1;
            });
            lookup::frmCons3Tree().release();
        };
        auto crudos = [&] {
            const qint64 l = directo(crudo, kLista, 6, m.filasCrudo);
            const qint64 a = directo(crudo, kArbol, 2, m.nodosCrudo);
            if (ronda > 0) {
                m.listaCruda.agrega(l);
                m.arbolCrudo.agrega(a);
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
    return m;
}

}  // namespace

int main(int argc, char** argv)
{
    banco::plataforma();
    QApplication app(argc, argv);
    const int rondas = std::max(1, argc > 1 ? std::atoi(argv[1]) : 7);
    const QString solo = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const bool conLista = solo != u"tree", conArbol = solo != u"list";
    return banco::corre("bench_lookup", [&] {
        QTemporaryDir dir;
        const QDir carpeta(dir.path());
        banco::programa(app, dir.path());
        banco::creaAmbas(carpeta);

        banco::Sesion dlg;
        Medidas m[2];
        for (int t = 0; t < 2; ++t) {
            const QString nombre = QString::fromLatin1(banco::kTamanos[t].nombre);
            const QString archivo = carpeta.filePath(nombre + QStringLiteral(".sqlite"));
            llena(archivo);
            m[t] = midePorTamano(archivo, nombre, rondas, conLista, conArbol);
        }
        std::printf("lookup windows, median of %d rounds after a warm-up\n", rondas);
        for (int t = 0; t < 2; ++t) {
            const char* tam = banco::kTamanos[t].titulo;
            if (conLista) {
                std::printf("  %-10s list window, %d rows x 6 columns filled and laid out %8.2f ms; the statement "
                            "stepped into a vector (%d rows) %8.2f ms\n",
                            tam, m[t].filasLista, m[t].lista.ms(), m[t].filasCrudo, m[t].listaCruda.ms());
                banco::imprimeRazon(qPrintable(QStringLiteral("%1: list window against the library:").arg(QLatin1String(tam))),
                                    m[t].lista.ms() / m[t].listaCruda.ms(), 3.0);
            }
            if (conArbol) {
                std::printf("  %-10s tree window, %d nodes in four levels built and shown %8.2f ms; the statement "
                            "stepped into a vector (%d rows) %8.2f ms\n",
                            tam, m[t].nodos, m[t].arbol.ms(), m[t].nodosCrudo, m[t].arbolCrudo.ms());
                banco::imprimeRazon(qPrintable(QStringLiteral("%1: tree window against the library:").arg(QLatin1String(tam))),
                                    m[t].arbol.ms() / m[t].arbolCrudo.ms(), 3.0);
            }
        }
        if (conLista)
            banco::imprimeTamanos("list window, per row listed:", m[0].lista.ms(), m[1].lista.ms(), banco::kMetaTamano,
                                  m[0].filasLista, m[1].filasLista);
        if (conArbol)
            banco::imprimeTamanos("tree window, per node listed:", m[0].arbol.ms(), m[1].arbol.ms(),
                                  banco::kMetaTamano, m[0].nodos, m[1].nodos);
        return 0;
    });
}
