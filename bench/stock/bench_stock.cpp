// The stock movement writer storing a stock voucher of 1,000 article lines
// with three lots each (3,000 V_MV_STOCK rows of 44 columns), in both modes:
// executing (each row at once, inside the caller's transaction as the
// voucher windows save) and collecting (the text then run as one batch), on
// the embedded engine; against the same 3,000 rows inserted through the
// SQLite library in one transaction, once through one prepared statement
// with every value bound and once as the writer's own statements (rewritten
// for SQLite beforehand, outside the timing). Prints the ratios against both
// (targets: collecting at most 1.5, executing at most 2.5), the time per row,
// and the writer's own share of the collecting mode.
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "core/cargaconfiguracion.h"
#include "core/modglobal.h"
#include "platform/ado/sql_text.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/scripted.h"
#include "voucher/clscmncptes.h"
#include "common/banco.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>
#include <stdexcept>

namespace {

constexpr int kLineas = 1000;
constexpr int kLotes = 3;

// The voucher's articles grid: 1,000 lines of three lots each.
void llenaGrilla(ui::MSFlexGrid& g)
{
    g.setCols(120);
    g.setRows(kLineas + 2);
    for (int f = 1; f <= kLineas; ++f) {
        g.setTextMatrix(f, 0, QStringLiteral("ART%1").arg(f % 700));
        g.setTextMatrix(f, 1, QStringLiteral("Articulo de prueba %1").arg(f));
        g.setTextMatrix(f, 5, QStringLiteral("UN"));
        g.setTextMatrix(f, 8, QStringLiteral("6"));
        g.setTextMatrix(f, 24, QStringLiteral("|L%1A|L%1B|L%1C|").arg(f));
        g.setTextMatrix(f, 25, QStringLiteral("|1|2|3|"));
        g.setTextMatrix(f, 41, QStringLiteral("12.5"));
    }
}

struct Escritura {
    ClsCmnCptes& cls;
    ui::MSFlexGrid& g;
    QString sql;
    bool hayError = false;
    void operator()(const QString& id, bool colecta)
    {
        QString fecha = QStringLiteral("05/11/2026"), dep = QStringLiteral("1"), dest, motivo, tcOrigen, origen, cta,
                tecnico = QStringLiteral("NULL"), loteFijo, aduana, loteOrigen, vendedor, moneda = QStringLiteral("1");
        sql.clear();
        cls.ActualizaStock(g, QStringLiteral("AJN"), id, QStringLiteral("0"), fecha, dep, dest, motivo, tcOrigen,
                           origen, false, cta, colecta, sql, hayError, tecnico, loteFijo, aduana, loteOrigen, 0, false,
                           vendedor, 0, moneda, legacy::Currency(1));
        if (hayError)
            throw std::runtime_error("the writer reported an error");
    }
};

// One row of the writer's statements as values to bind: the columns and
// the literals of "INSERT INTO t(c, ...) VALUES (v, ...)" as rewritten.
struct Fila {
    QByteArray columnas;
    std::vector<std::optional<QByteArray>> textos;  // nullopt: NULL
    std::vector<int> tipos;                         // SQLITE_TEXT, SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_NULL
};

Fila valores(const QString& sentencia)
{
    const auto t = ado::sql::tokenize(sentencia);
    Fila f;
    size_t i = 0;
    while (i < t.size() && !t[i].isPunct('(')) ++i;
    for (++i; i < t.size() && !t[i].isPunct(')'); ++i)
        if (t[i].kind == ado::sql::TokKind::Word) f.columnas += (f.columnas.isEmpty() ? "" : ",") + t[i].text.toUtf8();
    while (i < t.size() && !t[i].isWord("VALUES")) ++i;
    bool negativo = false;
    for (; i < t.size(); ++i) {
        const auto& k = t[i];
        if (k.isPunct('-')) { negativo = true; continue; }
        if (k.kind == ado::sql::TokKind::String) {
            f.textos.push_back(k.text.mid(1, k.text.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'")).toUtf8());
            f.tipos.push_back(SQLITE_TEXT);
        } else if (k.kind == ado::sql::TokKind::Number) {
            f.textos.push_back((negativo ? "-" : "") + k.text.toUtf8());
            f.tipos.push_back(k.text.contains(u'.') ? SQLITE_FLOAT : SQLITE_INTEGER);
        } else if (k.isWord("NULL")) {
            f.textos.push_back(std::nullopt);
            f.tipos.push_back(SQLITE_NULL);
        }
        negativo = false;
    }
    return f;
}

qint64 preparado(sqlite3* db, const std::vector<Fila>& filas)
{
    QElapsedTimer t;
    t.start();
    banco::exec(db, "BEGIN");
    const Fila& p = filas.front();
    QByteArray sql = "INSERT INTO V_MV_STOCK(" + p.columnas + ") VALUES (";
    for (size_t k = 0; k < p.tipos.size(); ++k) sql += (k ? ",?" : "?");
    sql += ")";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    for (const Fila& f : filas) {
        for (size_t k = 0; k < f.tipos.size(); ++k) {
            const int n = int(k) + 1;
            switch (f.tipos[k]) {
            case SQLITE_NULL: sqlite3_bind_null(st, n); break;
            case SQLITE_INTEGER: sqlite3_bind_int64(st, n, f.textos[k]->toLongLong()); break;
            case SQLITE_FLOAT: sqlite3_bind_double(st, n, f.textos[k]->toDouble()); break;
            default: sqlite3_bind_text(st, n, f.textos[k]->constData(), int(f.textos[k]->size()), SQLITE_STATIC);
            }
        }
        if (sqlite3_step(st) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    banco::exec(db, "COMMIT");
    return t.nsecsElapsed();
}

}  // namespace

int main(int argc, char** argv)
{
    banco::plataforma();
    QApplication app(argc, argv);
    const int rondas = argc > 1 ? std::atoi(argv[1]) : 7;
    try {
        QTemporaryDir dir;
        banco::programa(app, dir.path());
        banco::creaBase(QDir(dir.path()).filePath(QStringLiteral("DEMO.sqlite")));
        banco::creaBase(QDir(dir.path()).filePath(QStringLiteral("CRUDO.sqlite")));

        banco::Sesion dlg;
        DB_Dll& db = banco::abrePrincipal();
        ModGlobal::gUNegocio = QStringLiteral("   1");
        ModGlobal::gCaja = QStringLiteral("1");
        ModGlobal::gUsuarioLogeado = QStringLiteral("DEMO");

        sqlite3* base = banco::abre(QDir(dir.path()).filePath(QStringLiteral("CRUDO.sqlite")));

        ui::MSFlexGrid grilla;
        llenaGrilla(grilla);
        ClsCmnCptes cls;
        Escritura escribe{cls, grilla, QString(), false};

        qint64 nsEjecuta = 0, nsColecta = 0, nsEscritor = 0, nsPreparado = 0, nsTextos = 0;
        QStringList textos;  // the writer's statements as SQLite runs them
        // Round 0 warms every side up and is not counted.
        for (int ronda = 0; ronda <= rondas; ++ronda) {
            const auto id = [&](int serie) {
                return QStringLiteral("000%1%2X").arg(serie).arg(ronda, 8, 10, QLatin1Char('0'));
            };
            QElapsedTimer t;
            t.start();
            db.gCnn->BeginTrans();
            escribe(id(1), false);
            db.gCnn->CommitTrans();
            const qint64 ejecuta = t.nsecsElapsed();

            t.restart();
            escribe(id(2), true);
            const qint64 escritor = t.nsecsElapsed();
            const QString lote = QStringLiteral("BEGIN TRANSACTION") + escribe.sql + QStringLiteral("\rCOMMIT TRANSACTION");
            db.EjecutaConsultaSQL(lote);
            if (db.gCnn->Errors().Count() > 0)
                throw std::runtime_error(db.gCnn->Errors().Item(0).Description.toStdString());
            const qint64 colecta = t.nsecsElapsed();

            // The first round's statements under other voucher ids, the same
            // rows as values for the prepared statement.
            if (textos.isEmpty())
                for (const QString& s : escribe.sql.split(u'\r', Qt::SkipEmptyParts))
                    textos << ado::sql::rewriteForSqlite(s).sql;
            std::vector<std::string> sentencias;
            std::vector<Fila> filas;
            for (const QString& s : textos) {
                QString otro = s;
                otro.replace(QStringLiteral("0002%1X").arg(0, 8, 10, QLatin1Char('0')), id(3));
                sentencias.push_back(otro.toStdString());
                filas.push_back(valores(QString(s).replace(QStringLiteral("0002%1X").arg(0, 8, 10, QLatin1Char('0')), id(4))));
            }
            const qint64 directo = preparado(base, filas);
            t.restart();
            banco::exec(base, "BEGIN");
            for (const std::string& s : sentencias)
                banco::exec(base, s);
            banco::exec(base, "COMMIT");
            const qint64 comoTexto = t.nsecsElapsed();

            if (ronda > 0) {
                banco::mejor(nsEjecuta, ejecuta);
                banco::mejor(nsColecta, colecta);
                banco::mejor(nsEscritor, escritor);
                banco::mejor(nsPreparado, directo);
                banco::mejor(nsTextos, comoTexto);
            }
        }
        sqlite3_close(base);

        const double filas = double(kLineas) * kLotes;
        const auto ms = [&](qint64 ns) { return ns / 1e6; };
        const double msEjecuta = ms(nsEjecuta), msColecta = ms(nsColecta), msEscritor = ms(nsEscritor),
                     msPreparado = ms(nsPreparado), msTextos = ms(nsTextos);
        const auto linea = [&](const char* que, double m) {
            std::printf("  %-48s %8.1f ms  %6.1f us/row\n", que, m, m * 1000 / filas);
        };
        std::printf("stock voucher of %d lines with %d lots each (%d rows), best of %d rounds\n", kLineas, kLotes,
                    int(filas), rondas);
        linea("executing mode (each row at once):", msEjecuta);
        linea("collecting mode, then one batch:", msColecta);
        linea("  of which the writer building the text:", msEscritor);
        linea("same rows, one prepared statement, all bound:", msPreparado);
        linea("same rows as the writer's statements:", msTextos);
        std::printf("  ratio collecting: %.2f against the statements, %.2f against the prepared rows (target <= 1.5)\n",
                    msColecta / msTextos, msColecta / msPreparado);
        std::printf("  ratio executing:  %.2f against the statements, %.2f against the prepared rows (target <= 2.5)\n",
                    msEjecuta / msTextos, msEjecuta / msPreparado);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_stock: %s\n", e.what());
    } catch (const legacy::VbError& e) {
        std::fprintf(stderr, "bench_stock: error %ld %s\n", e.Number, qPrintable(e.Description));
    }
    return 1;
}
