// The stock movement writer storing a stock voucher of 1,000 article lines
// with three lots each (3,000 V_MV_STOCK rows of 44 columns), in both modes:
// executing (each row at once, inside the caller's transaction as the
// voucher windows save) and collecting (the text then run as one batch), on
// the embedded engine; against the same 3,000 rows inserted through the
// SQLite library in one transaction, once through one prepared statement
// with every value bound and once as the writer's own statements (rewritten
// for SQLite beforehand, outside the timing). Everything runs on the
// demo-size database and on the production-size one. Prints, per size, the
// ratios against the prepared rows (targets: collecting at most 2.5,
// executing at most 2), the time per row and the writer's own share of the
// collecting mode; then each mode's production time against its demo time
// (target: at most 1.5). Judged on the median of the rounds after a warm-up
// round. Arguments: the counted rounds (default 5), and "demo" or
// "production" to time one size alone. With BENCH_STOCK_PROFILE set, the
// time each statement text took on every connection (the engine's and the
// baseline's), summed per size, goes to stderr (the slowest first).
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
#include <map>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>
#include <stdexcept>

namespace {

constexpr int kLineas = 1000;

// The statements' time by text (as prepared, values bound apart), summed.
std::map<std::string, std::pair<qint64, long>> perfil;

int AlPerfilar(unsigned, void*, void* p, void* x)
{
    auto& e = perfil[sqlite3_sql(static_cast<sqlite3_stmt*>(p))];
    e.first += qint64(*static_cast<sqlite3_uint64*>(x));
    ++e.second;
    return 0;
}

int PerfilAlAbrir(sqlite3* db, char**, const sqlite3_api_routines*)
{
    sqlite3_trace_v2(db, SQLITE_TRACE_PROFILE, AlPerfilar, nullptr);
    return SQLITE_OK;
}

void imprimePerfil()
{
    std::vector<std::pair<qint64, std::string>> v;
    for (const auto& [texto, e] : perfil)
        v.emplace_back(e.first, QStringLiteral("%1 runs: ").arg(e.second).toStdString() + texto.substr(0, 200));
    std::sort(v.rbegin(), v.rend());
    for (size_t i = 0; i < v.size() && i < 15; ++i)
        std::fprintf(stderr, "%10.1f ms  %s\n", v[i].first / 1e6, v[i].second.c_str());
}
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

// The medians of one database size.
struct Tiempos {
    banco::Rondas ejecuta, colecta, escritor, preparado, textos;
};

Tiempos midePorTamano(const QDir& carpeta, const banco::Tamano& tam, int rondas)
{
    DB_Dll& db = banco::abrePrincipal(QString::fromLatin1(tam.nombre));
    sqlite3* base = banco::abre(carpeta.filePath(QStringLiteral("CRUDO") + QString::fromLatin1(tam.nombre) +
                                                 QStringLiteral(".sqlite")));
    ui::MSFlexGrid grilla;
    llenaGrilla(grilla);
    ClsCmnCptes cls;
    Escritura escribe{cls, grilla, QString(), false};

    Tiempos r;
    QStringList textos;  // the writer's statements as SQLite runs them
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
        if (ronda > 0) {
            r.ejecuta.agrega(ejecuta);
            r.escritor.agrega(escritor);
            r.colecta.agrega(colecta);
        }

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
        if (ronda > 0) r.preparado.agrega(directo);
        banco::mide(r.textos, ronda, [&] {
            banco::exec(base, "BEGIN");
            for (const std::string& s : sentencias)
                banco::exec(base, s);
            banco::exec(base, "COMMIT");
        });
        std::fprintf(stderr, "  %s round %d: executing %.0f ms, collecting %.0f ms\n", tam.titulo, ronda,
                     ejecuta / 1e6, colecta / 1e6);
    }
    sqlite3_close(base);
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    banco::plataforma();
    QApplication app(argc, argv);
    const int rondas = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    const QString solo = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    return banco::corre("bench_stock", [&] {
        QTemporaryDir dir;
        banco::programa(app, dir.path());
        const QDir carpeta(dir.path());
        banco::creaAmbas(carpeta, QStringLiteral("CRUDO"));
        const bool perfila = qEnvironmentVariableIsSet("BENCH_STOCK_PROFILE");
        if (perfila) sqlite3_auto_extension(reinterpret_cast<void (*)()>(PerfilAlAbrir));

        banco::Sesion dlg;
        ModGlobal::gUNegocio = QStringLiteral("   1");
        ModGlobal::gCaja = QStringLiteral("1");
        ModGlobal::gUsuarioLogeado = QStringLiteral("DEMO");

        const double filas = double(kLineas) * kLotes;
        std::printf("stock voucher of %d lines with %d lots each (%d rows), median of %d rounds after a warm-up\n",
                    kLineas, kLotes, int(filas), rondas);
        Tiempos t[2];
        for (int k = 0; k < 2; ++k) {
            const banco::Tamano& tam = banco::kTamanos[k];
            if (!solo.isEmpty() && solo != QLatin1String(tam.titulo)) continue;
            perfil.clear();
            t[k] = midePorTamano(carpeta, tam, rondas);
            if (perfila) {
                std::fprintf(stderr, "statements on the %s-size database, slowest first:\n", tam.titulo);
                imprimePerfil();
            }
            const auto linea = [&](const char* que, const banco::Rondas& r) {
                std::printf("  %-48s %8.1f ms  %6.1f us/row\n", que, r.ms(), r.ms() * 1000 / filas);
            };
            std::printf(" %s-size database:\n", tam.titulo);
            linea("executing mode (each row at once):", t[k].ejecuta);
            linea("collecting mode, then one batch:", t[k].colecta);
            linea("  of which the writer building the text:", t[k].escritor);
            linea("same rows, one prepared statement, all bound:", t[k].preparado);
            linea("same rows as the writer's statements:", t[k].textos);
            std::printf("  collecting against the writer's statements: %.2f\n", t[k].colecta.ms() / t[k].textos.ms());
            std::printf("  executing against the writer's statements:  %.2f\n", t[k].ejecuta.ms() / t[k].textos.ms());
            banco::imprimeRazon("collecting against the prepared rows:", t[k].colecta.ms() / t[k].preparado.ms(), 2.5);
            banco::imprimeRazon("executing against the prepared rows:", t[k].ejecuta.ms() / t[k].preparado.ms(), 2.0);
        }
        if (solo.isEmpty()) {
            std::printf(" production size against demo size:\n");
            banco::imprimeTamanos("executing mode:", t[0].ejecuta.ms(), t[1].ejecuta.ms());
            banco::imprimeTamanos("collecting mode:", t[0].colecta.ms(), t[1].colecta.ms());
        }
        return 0;
    });
}
