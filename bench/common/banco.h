#pragma once
// What the benchmarks share: the program set-up (offscreen Qt, a program
// folder of their own), the demo database made from data/, and the raw
// side's SQLite calls. Header only; a benchmark that makes databases
// defines VORDANE_DATA_DIR.
#include "platform/ado/sqlite_support.h"
#include "platform/legacy/program.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/application.h"
#include "platform/ui/scripted.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef VORDANE_DATA_DIR
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/ado/connection.h"
#include "mkdb/mkdb.h"
#include "mkdb/produccion.h"

#include <QFileInfo>
#include <cstdio>
#endif

namespace banco {

// Before the QApplication: offscreen unless a platform was asked for.
inline void plataforma()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// After it: the program's application settings, and the program pointed at
// `carpeta` as its folder (with `linea` as its command line).
inline void programa(const QApplication& app, const QString& carpeta, const QString& linea = {})
{
    ui::PrepareApplication();
    legacy::ProgramInfo info = legacy::ProgramInfo::fromProcess(app.arguments());
    info.path = carpeta;
    info.exeName = QStringLiteral("vordane");
    info.commandLine = linea;
    legacy::setApp(info);
}

inline void exec(sqlite3* db, const char* sql)
{
    char* msg = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string m = msg ? msg : "?";
        sqlite3_free(msg);
        throw std::runtime_error(m);
    }
}

inline void exec(sqlite3* db, const std::string& sql)
{
    exec(db, sql.c_str());
}

// A database file opened straight through the SQLite library, with the
// server's functions and collation the schema uses.
inline sqlite3* abre(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot open " + path.toStdString());
    ado::RegisterSqliteExtensions(db);
    return db;
}

#ifdef VORDANE_DATA_DIR
// The database `nombre` (schema and demo rows) made afresh as `archivo`.
inline void creaBase(const QString& archivo, const QString& nombre = QStringLiteral("DEMO"))
{
    QString error;
    const QStringList archivos = mkdb::databaseFiles(QStringLiteral(VORDANE_DATA_DIR), nombre, true, &error);
    if (archivos.isEmpty() || !mkdb::createDatabase(archivo, archivos, true, &error))
        throw std::runtime_error(error.toStdString());
}

// The production-size database (the demo rows and the generated volumes of
// a mid-sized company after several years) copied as `archivo`. The
// generator runs once per build folder and seed (about two minutes); later
// runs copy the kept file.
inline void creaProduccion(const QString& archivo, quint64 semilla = 1)
{
    const QString guardada = QStringLiteral(VORDANE_BENCH_CACHE "/PROD-%1-v%2.sqlite")
                                 .arg(semilla)
                                 .arg(mkdb::kVersionProduccion);
    if (!QFileInfo::exists(guardada)) {
        std::fprintf(stderr, "making the production-size database once (%s)...\n", qPrintable(guardada));
        QDir().mkpath(QStringLiteral(VORDANE_BENCH_CACHE));
        QString error;
        const QStringList archivos = mkdb::databaseFiles(QStringLiteral(VORDANE_DATA_DIR), QStringLiteral("DEMO"), true, &error);
        if (archivos.isEmpty() || !mkdb::creaProduccion(guardada, archivos, semilla, mkdb::Volumenes{}, &error))
            throw std::runtime_error(error.toStdString());
    }
    QFile::remove(archivo);
    if (!QFile::copy(guardada, archivo))
        throw std::runtime_error("cannot copy " + guardada.toStdString());
}

// The two databases every benchmark runs on, by the names the program
// opens them under in its folder: the demo-size one and the production-size one.
struct Tamano {
    const char* nombre;  // the database's name: <folder>/<name>.sqlite
    const char* titulo;
};
constexpr Tamano kTamanos[] = {{"DEMO", "demo"}, {"PROD", "production"}};

// Both databases made in `carpeta` under the names of kTamanos, each with a
// twin named with `gemelo` before it (the baseline side's copy) when given.
inline void creaAmbas(const QDir& carpeta, const QString& gemelo = {})
{
    for (const QString& prefijo : gemelo.isEmpty() ? QStringList{QString()} : QStringList{QString(), gemelo}) {
        creaBase(carpeta.filePath(prefijo + QStringLiteral("DEMO.sqlite")));
        creaProduccion(carpeta.filePath(prefijo + QStringLiteral("PROD.sqlite")));
    }
}

// The program's main connection closed, as at a fresh start: the start-up
// connects only when it finds it closed.
inline void cierraPrincipal()
{
    DB_Dll& db = ModGlobal::gDB();
    if (db.gCnn && db.gCnn->State() != 0) db.gCnn->Close();
    db.gOpenFlag = false;
}

// The program's main database object on the embedded database `nombre` of
// the program folder, as the start-up leaves it (user DEMO); an open one
// is closed and opened again on `nombre`.
inline DB_Dll& abrePrincipal(const QString& nombre = QStringLiteral("DEMO"))
{
    DB_Dll& db = ModGlobal::gDB();
    db.gServidor = QStringLiteral("(sqlite)");
    db.gDBName = nombre;
    db.gUsuario = db.gUserPassWord = QStringLiteral("DEMO");
    db.OpenServerADODB(false, 3, QString(), false, false);
    if (!db.gOpenFlag)
        throw std::runtime_error("cannot open the database " + nombre.toStdString());
    return db;
}
#endif

// The rounds of one side after the warm-up round; judged on their median,
// which a busy machine moves less than any single round.
class Rondas {
public:
    void agrega(qint64 ns) { ns_.push_back(ns); }
    qint64 mediana() const
    {
        if (ns_.empty()) return 0;
        std::vector<qint64> v = ns_;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    }
    double ms() const { return mediana() / 1e6; }
    int cuenta() const { return int(ns_.size()); }

private:
    std::vector<qint64> ns_;
};

// The round timer: `ronda` 0 is the warm-up and is not counted.
template <class F>
void mide(Rondas& r, int ronda, F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    const qint64 ns = t.nsecsElapsed();
    if (ronda > 0) r.agrega(ns);
}

inline const char* veredicto(double razon, double meta)
{
    return razon <= meta ? "met" : "NOT MET";
}

// A ratio against the benchmark's own baseline, with its target.
inline void imprimeRazon(const char* que, double razon, double meta)
{
    std::printf("  %-52s ratio %6.2f (target <= %.1f) %s\n", que, razon, meta, veredicto(razon, meta));
}

// The target of the production-size time against the demo-size one.
constexpr double kMetaTamano = 1.5;

// One operation timed on both databases: the demo-size one and the
// production-size one, with their ratio against `meta`. `filasDemo` and
// `filasProduccion` (windows that list a whole table) turn both times into
// time per row listed before the ratio is taken.
inline void imprimeTamanos(const char* que, double msDemo, double msProduccion, double meta = kMetaTamano,
                           long long filasDemo = 0, long long filasProduccion = 0)
{
    const bool porFila = filasDemo > 0 && filasProduccion > 0;
    const double d = porFila ? msDemo * 1000 / filasDemo : msDemo;
    const double p = porFila ? msProduccion * 1000 / filasProduccion : msProduccion;
    const double razon = d > 0 ? p / d : 0.0;
    if (porFila)
        std::printf("  %-44s demo %9.3f us/row  production %9.3f us/row  ratio %.2f (target <= %.1f) %s\n", que,
                    d, p, razon, meta, veredicto(razon, meta));
    else
        std::printf("  %-44s demo %9.3f ms  production %9.3f ms  ratio %.2f (target <= %.1f) %s\n", que, d, p,
                    razon, meta, veredicto(razon, meta));
}

// A benchmark's body with its failures printed under the benchmark's name:
// what the body returns, or 1 when it failed.
template <class F>
int corre(const char* nombre, F&& cuerpo)
{
    try {
        return cuerpo();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", nombre, e.what());
    } catch (const legacy::VbError& e) {
        std::fprintf(stderr, "%s: error %ld %s\n", nombre, long(e.Number), qPrintable(e.Description));
    } catch (const legacy::ProgramEnd& e) {
        std::fprintf(stderr, "%s: the start-up ended the program (%d)\n", nombre, e.code);
    }
    return 1;
}

// Both sides of a round, the other one first every second round.
template <class A, class B>
void alterna(int ronda, A&& a, B&& b)
{
    if (ronda % 2 == 0) {
        a();
        b();
    } else {
        b();
        a();
    }
}

// Scripted boxes (a benchmark that shows one reports it as a failure) with
// the program's own yields, so that what is timed is what the program does.
class Sesion : public ui::ScriptedDialogs {
public:
    Sesion() : programa_(ui::dialogs()), antes_(ui::setDialogs(this)) {}
    ~Sesion() override { ui::setDialogs(antes_); }
    void doEvents() override { programa_.doEvents(); }

private:
    ui::Dialogs& programa_;
    ui::Dialogs* antes_;
};

}  // namespace banco
