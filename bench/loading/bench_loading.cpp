// A stored order of 1,000 article lines (with 10 tasks and 10 other-concept
// lines) loaded into a voucher window's grids as an invoice
// (ClsCmnCptes::AsignarDatosComprobante on the embedded engine), against the
// very statements that load runs, recorded once from the engine's own
// connection and then prepared and stepped (every row, every column read)
// straight through the SQLite library on an identical database. The same
// order is loaded on the demo-size database and on the production-size one.
// Several rounds per size, alternating which side goes first, judged on the
// median after a warm-up round; prints per size the time per line and the
// ratio against the library (target: at most 2, stretch 1.5), and the
// production time against the demo time (target: at most 1.5). Argument:
// the counted rounds (default 5).
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/ado/sqlite_support.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/scripted.h"
#include "voucher/clscmncptes.h"
#include "common/banco.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const int kLineas = 1000;
const char* const kPedido = "0001000000777";

// Statement recording: every connection opened in the process gets a trace
// that keeps the expanded text of each statement run while `grabando`.
bool grabando = false;
std::vector<std::string> grabadas;

int Traza(unsigned, void*, void* p, void*)
{
    // The engine's own schema checks and the read transactions it puts
    // around a query are not statements of the load.
    const std::string texto = sqlite3_sql(static_cast<sqlite3_stmt*>(p));
    if (grabando && texto.rfind("PRAGMA", 0) != 0 && texto != "BEGIN" && texto != "COMMIT") {
        char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(p));
        if (sql) {
            grabadas.emplace_back(sql);
            sqlite3_free(sql);
        }
    }
    return 0;
}

int AlAbrir(sqlite3* db, char**, const sqlite3_api_routines*)
{
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, Traza, nullptr);
    return SQLITE_OK;
}

using banco::abre;
using banco::exec;

// The order: 200 articles, 1,000 lines, 10 tasks, 10 other concepts; no line
// limit for the invoice.
void llena(sqlite3* db)
{
    exec(db, "BEGIN");
    exec(db, "DELETE FROM TA_CONFIG_IMP_CPTE");
    exec(db, std::string("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CUENTA, CondicionIva, Cotizacion, "
                         "IdReparto) VALUES ('NP  ', '") + kPedido + "', 0, 'C0001', '1', 1, 0)");
    for (int i = 0; i < 200; ++i)
        exec(db, "INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, Descripabrev, IDUNIDAD, Costo, TasaIVA) VALUES "
                 "(printf('%-25s', 'B" + std::to_string(i) + "'), 'Articulo', 'Art', 'UN  ', 10, 21)");
    for (int i = 0; i < kLineas; ++i)
        exec(db, std::string("INSERT INTO V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CUENTA, Secuencia, "
                             "IdArticulo, Descripcion, Cantidad, IdUnidad, IdUnidadBase, CantidadUD, Importe, "
                             "Importe_S_IVA, Total, AlicIVA, Exento, PorcDto, idLista, Costo) VALUES ('NP  ', '") +
                     kPedido + "', 0, 'C0001', " + std::to_string(i + 1) + ", printf('%-25s', 'B" +
                     std::to_string(i % 200) + "'), 'Articulo de prueba', 3, 'UN  ', 'UN  ', 3, 121, 100, 363, 21, "
                     "0, 0, '   1', 10)");
    for (int i = 0; i < 10; ++i) {
        exec(db, std::string("INSERT INTO V_MV_CPTETAREAS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, IDTAREA, Descripcion, "
                             "Horas, ValorHora, valorHora_S_Iva, Total) VALUES ('NP  ', '") +
                     kPedido + "', 0, '   1', 'Instalacion', 90, 100, 82.64, 150)");
        exec(db, std::string("INSERT INTO V_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, IDCOMPLEMENTO, TIPO_OBS, Observacion, "
                             "Importe, Importe_S_IVA) VALUES ('NP  ', '") +
                     kPedido + "', 0, 'OC', 'Flete a domicilio', 121, 100)");
    }
    exec(db, "COMMIT");
}

// Every recorded statement prepared and stepped to its end, every column of
// every row read as text; the rows read.
long long Reproduce(sqlite3* db)
{
    long long filas = 0;
    for (const std::string& s : grabadas) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, s.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + s);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const int columnas = sqlite3_column_count(st);
            for (int c = 0; c < columnas; ++c)
                sqlite3_column_text(st, c);
            ++filas;
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + s);
    }
    return filas;
}

struct Medidas {
    banco::Rondas carga, crudo;
    long long filasCrudo = 0;
    size_t sentencias = 0;
};

// The order loaded on the database `nombre` against its twin.
Medidas midePorTamano(const QDir& carpeta, const QString& nombre, int rondas)
{
    banco::abrePrincipal(nombre);
    sqlite3* crudo = abre(carpeta.filePath(QStringLiteral("CRUDO") + nombre + QStringLiteral(".sqlite")));
    grabadas.clear();

    QWidget forma;
    ui::MSFlexGrid* grillas[4];
    for (auto*& g : grillas) {
        g = new ui::MSFlexGrid(&forma);
        g->setWidth(12000);
    }
    QLineEdit* cajas[3];
    for (auto*& c : cajas)
        c = new QLineEdit(&forma);

    Medidas m;
    long filasGrilla = 0;
    // Round 0 records the statements and warms both sides up; it is not counted.
    for (int ronda = 0; ronda <= rondas; ++ronda) {
        ClsCmnCptes cls;
        cls.InicializaGrids(grillas[0], grillas[1], grillas[2], cajas[0], cajas[1], cajas[2], &forma,
                            QStringLiteral("FC"), grillas[3]);
        auto carga = [&] {
            QString letra;
            std::int16_t reparto = 0;
            grabando = ronda == 0;
            banco::mide(m.carga, ronda, [&] {
                cls.AsignarDatosComprobante(QStringLiteral("NP"), QString::fromLatin1(kPedido), QStringLiteral("0"),
                                            grillas[0], grillas[1], grillas[2], false, nullptr, false, {}, &reparto,
                                            false, {}, QStringLiteral("FC"), &letra);
            });
            grabando = false;
            filasGrilla = grillas[1]->Rows();
        };
        auto directo = [&] { banco::mide(m.crudo, ronda, [&] { m.filasCrudo = Reproduce(crudo); }); };
        banco::alterna(ronda, carga, directo);
    }
    sqlite3_close(crudo);
    if (qEnvironmentVariableIsSet("BENCH_LOADING_STATEMENTS"))
        for (const std::string& s : grabadas)
            std::fprintf(stderr, "%s\n", s.c_str());
    if (filasGrilla != kLineas + 2)
        throw std::runtime_error("the articles grid holds " + std::to_string(filasGrilla) + " rows");
    m.sentencias = grabadas.size();
    return m;
}

}  // namespace

int main(int argc, char** argv)
{
    banco::plataforma();
    QApplication app(argc, argv);
    const int rondas = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    return banco::corre("bench_loading", [&] {
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(AlAbrir));
        QTemporaryDir dir;
        const QDir carpeta(dir.path());
        banco::programa(app, dir.path());
        banco::creaAmbas(carpeta, QStringLiteral("CRUDO"));
        for (const char* archivo : {"DEMO", "CRUDODEMO", "PROD", "CRUDOPROD"}) {
            sqlite3* db = abre(carpeta.filePath(QLatin1String(archivo) + QStringLiteral(".sqlite")));
            llena(db);
            sqlite3_close(db);
        }

        banco::Sesion dlg;
        Medidas m[2];
        for (int t = 0; t < 2; ++t)
            m[t] = midePorTamano(carpeta, QString::fromLatin1(banco::kTamanos[t].nombre), rondas);

        std::printf("load of an order of %d lines into the grids as an invoice, median of %d rounds after a warm-up\n",
                    kLineas, rondas);
        for (int t = 0; t < 2; ++t) {
            std::printf("  %-10s AsignarDatosComprobante %8.2f ms (%.3f ms per line); its %zu statements through "
                        "SQLite %8.2f ms, %lld rows\n",
                        banco::kTamanos[t].titulo, m[t].carga.ms(), m[t].carga.ms() / kLineas, m[t].sentencias,
                        m[t].crudo.ms(), m[t].filasCrudo);
            banco::imprimeRazon(qPrintable(QStringLiteral("%1: the load against the library (stretch 1.5):")
                                               .arg(QLatin1String(banco::kTamanos[t].titulo))),
                                m[t].carga.ms() / m[t].crudo.ms(), 2.0);
        }
        banco::imprimeTamanos("voucher loaded:", m[0].carga.ms(), m[1].carga.ms());
        return 0;
    });
}
