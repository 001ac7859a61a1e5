// The stock movement writer storing a stock voucher of 1,000 article lines
// with three lots each (3,000 V_MV_STOCK rows), in both modes: executing
// (each row at once) and collecting (the text then run as one batch), on the
// embedded engine; against the same 3,000 rows inserted through the SQLite
// library in one transaction, once with a prepared statement of the main
// columns and once as the writer's own statements (rewritten for SQLite
// beforehand, outside the timing). Prints the ratios against both (targets:
// collecting at most 1.5, executing at most 2.5) and the time per row.
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

#include <cstdio>
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

qint64 crudo(sqlite3* db, int ronda)
{
    QElapsedTimer t;
    t.start();
    banco::exec(db, "BEGIN");
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db,
                           "INSERT INTO V_MV_STOCK (TC, IdComprobante, IdComplemento, Secuencia, Fecha, IdDeposito, "
                           "IdArticulo, Descripcion, NroLote, IdUnidad, Cantidad, Costo) VALUES ('AJN ', ?1, 0, ?2, "
                           "'2026-11-05 00:00:00', '   1', ?3, ?4, ?5, 'UN  ', ?6, 12.5)",
                           -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    const QByteArray id = QStringLiteral("0009%1X").arg(ronda, 8, 10, QLatin1Char('0')).toUtf8();
    int secuencia = 0;
    for (int f = 1; f <= kLineas; ++f) {
        const QByteArray art = QStringLiteral("ART%1").arg(f % 700).leftJustified(25).toUtf8();
        const QByteArray desc = QStringLiteral("Articulo de prueba %1").arg(f).toUtf8();
        for (int l = 0; l < kLotes; ++l) {
            const QByteArray lote = QStringLiteral("L%1%2").arg(f).arg(QChar(u'A' + l)).leftJustified(25).toUtf8();
            sqlite3_bind_text(st, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 2, ++secuencia);
            sqlite3_bind_text(st, 3, art.constData(), int(art.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 4, desc.constData(), int(desc.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 5, lote.constData(), int(lote.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(st, 6, -(l + 1));
            if (sqlite3_step(st) != SQLITE_DONE)
                throw std::runtime_error(sqlite3_errmsg(db));
            sqlite3_reset(st);
        }
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
    const int rondas = argc > 1 ? std::atoi(argv[1]) : 3;
    try {
        QTemporaryDir dir;
        banco::programa(app, dir.path());
        banco::creaBase(QDir(dir.path()).filePath(QStringLiteral("DEMO.sqlite")));
        banco::creaBase(QDir(dir.path()).filePath(QStringLiteral("CRUDO.sqlite")));

        ui::ScriptedSession dlg;
        DB_Dll& db = banco::abrePrincipal();
        ModGlobal::gUNegocio = QStringLiteral("   1");
        ModGlobal::gCaja = QStringLiteral("1");
        ModGlobal::gUsuarioLogeado = QStringLiteral("DEMO");

        sqlite3* base = banco::abre(QDir(dir.path()).filePath(QStringLiteral("CRUDO.sqlite")));

        ui::MSFlexGrid grilla;
        llenaGrilla(grilla);
        ClsCmnCptes cls;
        Escritura escribe{cls, grilla, QString(), false};

        qint64 nsEjecuta = 0, nsColecta = 0, nsCrudo = 0, nsTextos = 0;
        QStringList textos;  // the writer's statements as SQLite runs them
        // Round 0 warms every side up and is not counted.
        for (int ronda = 0; ronda <= rondas; ++ronda) {
            QElapsedTimer t;
            t.start();
            escribe(QStringLiteral("0001%1X").arg(ronda, 8, 10, QLatin1Char('0')), false);
            const qint64 ejecuta = t.nsecsElapsed();

            t.restart();
            escribe(QStringLiteral("0002%1X").arg(ronda, 8, 10, QLatin1Char('0')), true);
            QString lote = QStringLiteral("BEGIN TRANSACTION") + escribe.sql + QStringLiteral("\rCOMMIT TRANSACTION");
            db.EjecutaConsultaSQL(lote);
            if (db.gCnn->Errors().Count() > 0)
                throw std::runtime_error(db.gCnn->Errors().Item(0).Description.toStdString());
            const qint64 colecta = t.nsecsElapsed();

            const qint64 directo = crudo(base, ronda);

            // The first round's statements, under this round's voucher id.
            if (textos.isEmpty())
                for (const QString& s : escribe.sql.split(u'\r', Qt::SkipEmptyParts))
                    textos << ado::sql::rewriteForSqlite(s).sql;
            const QString otro = QStringLiteral("0003%1X").arg(ronda, 8, 10, QLatin1Char('0'));
            std::vector<std::string> sentencias;
            for (const QString& s : textos)
                sentencias.push_back(QString(s).replace(QStringLiteral("0002%1X").arg(0, 8, 10, QLatin1Char('0')), otro)
                                     .toStdString());
            t.restart();
            banco::exec(base, "BEGIN");
            for (const std::string& s : sentencias)
                banco::exec(base, s);
            banco::exec(base, "COMMIT");
            const qint64 comoTexto = t.nsecsElapsed();

            if (ronda > 0) {
                nsEjecuta += ejecuta;
                nsColecta += colecta;
                nsCrudo += directo;
                nsTextos += comoTexto;
            }
        }
        sqlite3_close(base);

        const double filas = double(kLineas) * kLotes;
        const double msEjecuta = nsEjecuta / 1e6 / rondas, msColecta = nsColecta / 1e6 / rondas,
                     msCrudo = nsCrudo / 1e6 / rondas, msTextos = nsTextos / 1e6 / rondas;
        std::printf("stock voucher of %d lines with %d lots each (%d rows), %d rounds\n", kLineas, kLotes,
                    int(filas), rondas);
        std::printf("  executing mode (each row at once):        %8.1f ms  %6.1f us/row\n", msEjecuta,
                    msEjecuta * 1000 / filas);
        std::printf("  collecting mode, then one batch:          %8.1f ms  %6.1f us/row\n", msColecta,
                    msColecta * 1000 / filas);
        std::printf("  same rows through the SQLite library:     %8.1f ms  %6.1f us/row\n", msCrudo,
                    msCrudo * 1000 / filas);
        std::printf("  the writer's statements through SQLite:   %8.1f ms  %6.1f us/row\n", msTextos,
                    msTextos * 1000 / filas);
        std::printf("  ratio collecting: %.2f against the prepared rows, %.2f against the statements (target <= 1.5)\n",
                    msColecta / msCrudo, msColecta / msTextos);
        std::printf("  ratio executing:  %.2f against the prepared rows, %.2f against the statements (target <= 2.5)\n",
                    msEjecuta / msCrudo, msEjecuta / msTextos);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_stock: %s\n", e.what());
    } catch (const legacy::VbError& e) {
        std::fprintf(stderr, "bench_stock: error %ld %s\n", e.Number, qPrintable(e.Description));
    }
    return 1;
}
