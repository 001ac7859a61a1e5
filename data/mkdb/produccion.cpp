#include "mkdb/produccion.h"

#include "mkdb/mkdb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include "platform/ado/sqlite_support.h"
#include "platform/legacy/program.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace mkdb {
namespace {

// splitmix64: small, fast and the same everywhere for one seed.
class Azar {
public:
    explicit Azar(std::uint64_t semilla) : s_(semilla) {}
    std::uint64_t siguiente()
    {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int hasta(int n) { return int(siguiente() % std::uint64_t(n)); }  // 0 .. n-1
    double importe(double tope) { return double(hasta(int(tope * 100))) / 100.0; }

private:
    std::uint64_t s_;
};

std::string fmt(const char* f, long long a)
{
    char b[64];
    std::snprintf(b, sizeof b, f, a);
    return b;
}

// A text code brought to `ancho` characters as the suite's code fill does:
// a numeric code to the right, any other to the left.
std::string relleno(const std::string& codigo, size_t ancho)
{
    if (codigo.size() >= ancho) return codigo;
    const bool numerico = codigo.find_first_not_of("0123456789") == std::string::npos;
    const std::string blancos(ancho - codigo.size(), ' ');
    return numerico ? blancos + codigo : codigo + blancos;
}

// Article k (0-based): even ones numeric, odd ones alphanumeric.
std::string articulo(int k)
{
    return relleno(k % 2 == 0 ? fmt("%lld", 200000 + k) : fmt("P%06lld", k), 25);
}
std::string cliente(int k) { return fmt("C%06lld", 100000 + k); }
std::string lote(int k) { return fmt("LP%06lld", k); }

// "YYYY-MM-DD 00:00:00": day `d` counted from 2021-12-01.
std::string fecha(int d)
{
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int y = 2021, m = 12, dd = 1 + d;
    for (;;) {
        const int largo = dias[m - 1] + (m == 2 && y % 4 == 0 ? 1 : 0);
        if (dd <= largo) break;
        dd -= largo;
        if (++m > 12) { m = 1; ++y; }
    }
    char b[32];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d 00:00:00", y, m, dd);
    return b;
}

constexpr int kDias = 5 * 365;  // five years of vouchers
const char* const kTiposVenta[] = {"FC  ", "FP  ", "NC  ", "RM  ", "NP  ", "TK  "};

// One generated value: a text, a whole number, a real or NULL.
struct Valor {
    enum Tipo { Nulo, Texto, Entero, Real } tipo = Nulo;
    std::string t;
    long long e = 0;
    double r = 0;
    static Valor texto(std::string s) { Valor v; v.tipo = Texto; v.t = std::move(s); return v; }
    static Valor entero(long long n) { Valor v; v.tipo = Entero; v.e = n; return v; }
    static Valor real(double x) { Valor v; v.tipo = Real; v.r = x; return v; }
};
using Generador = std::function<Valor(long long fila)>;
using Columnas = std::vector<std::pair<const char*, Generador>>;

bool falla(sqlite3* db, QString* error, const QString& que)
{
    if (error) *error = que + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db));
    return false;
}

// Inserts `filas` rows into `tabla`, each column from its generator; the
// columns not named take their default.
bool llena(sqlite3* db, const char* tabla, long long filas, const Columnas& cols, QString* error)
{
    std::string sql = std::string("INSERT INTO ") + tabla + " (";
    for (size_t k = 0; k < cols.size(); ++k) sql += (k ? ", " : "") + std::string(cols[k].first);
    sql += ") VALUES (";
    for (size_t k = 0; k < cols.size(); ++k) sql += k ? ", ?" : "?";
    sql += ")";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        return falla(db, error, QString::fromLatin1(tabla));
    for (long long f = 0; f < filas; ++f) {
        for (size_t k = 0; k < cols.size(); ++k) {
            const Valor v = cols[k].second(f);
            const int n = int(k) + 1;
            switch (v.tipo) {
            case Valor::Nulo: sqlite3_bind_null(st, n); break;
            case Valor::Texto: sqlite3_bind_text(st, n, v.t.data(), int(v.t.size()), SQLITE_TRANSIENT); break;
            case Valor::Entero: sqlite3_bind_int64(st, n, v.e); break;
            case Valor::Real: sqlite3_bind_double(st, n, v.r); break;
            }
        }
        if (sqlite3_step(st) != SQLITE_DONE) {
            sqlite3_finalize(st);
            return falla(db, error, QString::fromLatin1(tabla));
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    return true;
}

Generador texto(std::function<std::string(long long)> f)
{
    return [f = std::move(f)](long long i) { return Valor::texto(f(i)); };
}
Generador fijo(const char* s)
{
    return [v = Valor::texto(s)](long long) { return v; };
}
Generador entero(std::function<long long(long long)> f)
{
    return [f = std::move(f)](long long i) { return Valor::entero(f(i)); };
}
Generador real(std::function<double(long long)> f)
{
    return [f = std::move(f)](long long i) { return Valor::real(f(i)); };
}

// The voucher i of the sales vouchers: its type, its id and its date.
struct Comprobante {
    const char* tc;
    std::string id;
    int dia;
};
Comprobante comprobante(long long i, int total)
{
    const int sucursal = 100 + int(i % 100);
    const long long numero = 1 + i / 100;
    const char letra = i % 3 == 0 ? 'B' : 'A';
    char b[16];
    std::snprintf(b, sizeof b, "%04d%08lld%c", sucursal, numero, letra);
    return {kTiposVenta[(i / 100) % 6], b, int(i * kDias / total)};
}

}  // namespace

bool llenaProduccion(const QString& archivo, std::uint64_t semilla, const Volumenes& v, QString* error,
                     const std::function<void(const QString&)>& avance)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        falla(db, error, archivo);
        sqlite3_close(db);
        return false;
    }
    ado::RegisterSqliteExtensions(db);
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-1000000;", nullptr,
                 nullptr, nullptr);
    Azar azar(semilla);
    const auto paso = [&](const char* tabla) {
        if (avance) avance(QString::fromLatin1(tabla));
    };
    const int nComp = v.comprobantes;
    const long long nLineas = (long long)nComp * v.lineasPorComprobante;
    const int lotesConDespacho = std::min(v.despachos, v.lotes);

    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;

    paso("V_MA_ARTICULOS");
    ok = ok && llena(db, "V_MA_ARTICULOS", v.articulos,
                     {{"IDARTICULO", texto([](long long k) { return articulo(int(k)); })},
                      {"DESCRIPCION", texto([](long long k) { return fmt("Articulo de produccion %lld", k); })},
                      {"Descripabrev", texto([](long long k) { return fmt("Art %lld", k); })},
                      {"IDUNIDAD", fijo("UN  ")},
                      {"codigobarra", texto([](long long k) { return fmt("779%010lld", k); })},
                      {"CUENTAPROVEEDOR", fijo("P0001")},
                      {"cuentacontableC", fijo("5.1.01")},
                      {"IdFamilia", texto([](long long k) { return fmt("%02lld", 1 + k % 40); })},
                      {"Costo", real([&](long long) { return azar.importe(5000); })},
                      {"TasaIVA", real([](long long) { return 21.0; })},
                      {"USALOTE", entero([](long long k) { return k % 4 == 1 ? 1 : 0; })},
                      {"USASERIE", entero([](long long k) { return k % 20 == 3 ? 1 : 0; })},
                      {"PRECIO1", real([&](long long) { return azar.importe(9000); })},
                      {"SUSPENDIDO", entero([](long long k) { return k % 50 == 0 ? 1 : 0; })}},
                     error);

    paso("VT_CLIENTES");
    ok = ok && llena(db, "VT_CLIENTES", v.clientes,
                     {{"CODIGO", texto([](long long k) { return cliente(int(k)); })},
                      {"RAZON_SOCIAL", texto([](long long k) { return fmt("Cliente de produccion %lld", k); })},
                      {"CONTACTO", texto([](long long k) { return fmt("Contacto %lld", k); })},
                      {"Dada_De_Baja", entero([](long long k) { return k % 30 == 0 ? 1 : 0; })}},
                     error);

    paso("V_MV_CPTE");
    ok = ok && llena(db, "V_MV_CPTE", nComp,
                     {{"TC", texto([&](long long i) { return std::string(comprobante(i, nComp).tc); })},
                      {"IDCOMPROBANTE", texto([&](long long i) { return comprobante(i, nComp).id; })},
                      {"IDCOMPLEMENTO", entero([](long long) { return 0; })},
                      {"FECHA", texto([&](long long i) { return fecha(comprobante(i, nComp).dia); })},
                      {"CUENTA", texto([&](long long) { return cliente(azar.hasta(v.clientes)); })},
                      {"Nombre", fijo("Cliente de produccion")},
                      {"CondicionIva", fijo("1")},
                      {"IdMoneda", fijo("   1")},
                      {"Cotizacion", real([](long long) { return 1.0; })},
                      {"Importe", real([&](long long) { return azar.importe(200000); })},
                      {"ANULADA", entero([](long long i) { return i % 10 == 7 ? 1 : 0; })},
                      {"APROBADO", entero([](long long) { return 1; })},
                      {"FINALIZADA", entero([](long long i) { return i % 4 == 0 ? 1 : 0; })},
                      {"UNEGOCIO", fijo("   1")},
                      {"IdDeposito", fijo("   1")},
                      {"Usuario", fijo("DEMO")},
                      {"FechaHora_Grabacion", texto([&](long long i) { return fecha(comprobante(i, nComp).dia); })}},
                     error);

    // Line j belongs to voucher j / lines-per-voucher.
    const auto deLinea = [&](long long j) { return comprobante(j / v.lineasPorComprobante, nComp); };
    std::vector<int> articuloDeLinea(static_cast<size_t>(nLineas));
    for (auto& a : articuloDeLinea) a = azar.hasta(v.articulos);
    paso("V_MV_CPTEINSUMOS");
    ok = ok && llena(db, "V_MV_CPTEINSUMOS", nLineas,
                     {{"TC", texto([&](long long j) { return std::string(deLinea(j).tc); })},
                      {"IDCOMPROBANTE", texto([&](long long j) { return deLinea(j).id; })},
                      {"IDCOMPLEMENTO", entero([](long long) { return 0; })},
                      {"CUENTA", texto([&](long long) { return cliente(azar.hasta(v.clientes)); })},
                      {"Secuencia", entero([&](long long j) { return 1 + j % v.lineasPorComprobante; })},
                      {"IdArticulo", texto([&](long long j) { return articulo(articuloDeLinea[size_t(j)]); })},
                      {"Descripcion", texto([&](long long j) { return fmt("Articulo de produccion %lld", articuloDeLinea[size_t(j)]); })},
                      {"Cantidad", real([&](long long) { return 1 + azar.hasta(20); })},
                      {"IdUnidad", fijo("UN  ")},
                      {"IdUnidadBase", fijo("UN  ")},
                      {"CantidadUD", real([&](long long) { return 1 + azar.hasta(20); })},
                      {"Equiv_UDBase", real([](long long) { return 1.0; })},
                      {"Importe", real([&](long long) { return azar.importe(9000); })},
                      {"Total", real([&](long long) { return azar.importe(90000); })},
                      {"AlicIVA", real([](long long) { return 21.0; })},
                      {"IdDeposito", fijo("   1")},
                      {"Nro_Lote", texto([&](long long j) { return "|" + lote(int(j % v.lotes)) + "|"; })},
                      {"Nro_Serie", fijo("|1|")}},
                     error);

    // Each line moves stock under `movimientosPorLinea` lots.
    const int mov = v.movimientosPorLinea;
    const auto lineaDe = [&](long long m) { return m / mov; };
    paso("V_MV_STOCK");
    ok = ok && llena(db, "V_MV_STOCK", nLineas * mov,
                     {{"TC", texto([&](long long m) { return std::string(deLinea(lineaDe(m)).tc); })},
                      {"IdComprobante", texto([&](long long m) { return deLinea(lineaDe(m)).id; })},
                      {"IdComplemento", entero([](long long) { return 0; })},
                      {"Secuencia", entero([&](long long m) { return 1 + m % (v.lineasPorComprobante * mov); })},
                      {"Fecha", texto([&](long long m) { return fecha(deLinea(lineaDe(m)).dia); })},
                      {"IdCaja", fijo("   1")},
                      {"IdDeposito", fijo("   1")},
                      {"IdArticulo", texto([&](long long m) { return articulo(articuloDeLinea[size_t(lineaDe(m))]); })},
                      {"Descripcion", fijo("Articulo de produccion")},
                      {"NroLote", texto([&](long long m) { return lote(int(m % v.lotes)); })},
                      {"IdUnidad", fijo("UN  ")},
                      {"Cantidad", real([&](long long) { return -(1 + azar.hasta(10)); })},
                      {"CantidadUD", real([&](long long) { return -(1 + azar.hasta(10)); })},
                      {"IdUnidadBase", fijo("UN  ")},
                      {"Costo", real([&](long long) { return azar.importe(5000); })},
                      {"EQUIV_UDBASE", real([](long long) { return 1.0; })},
                      {"UNEGOCIO", fijo("   1")}},
                     error);

    paso("STK_SERIES_Y_LOTES");
    ok = ok && llena(db, "STK_SERIES_Y_LOTES", v.lotes,
                     {{"IdArticulo", texto([&](long long k) { return articulo(int((k * 4 + 1) % v.articulos)); })},
                      {"IdDeposito", texto([](long long k) { return k % 5 == 0 ? std::string("   2") : std::string("   1"); })},
                      {"NroLote", texto([](long long k) { return lote(int(k)); })},
                      {"NroSerie", [](long long k) { return k % 4 == 3 ? Valor::texto(fmt("S%07lld", k)) : Valor(); }},
                      {"Cantidad", real([&](long long k) { return k % 4 == 3 ? 1.0 : double(1 + azar.hasta(500)); })}},
                     error);

    // Dispatch rows, stored as typed: some with blanks around the lot.
    paso("STK_DESPACHOS");
    ok = ok && llena(db, "STK_DESPACHOS", v.despachos,
                     {{"NroLote", texto([&](long long k) {
                          const std::string l = lote(int(k % lotesConDespacho));
                          return k % 7 == 0 ? " " + l + " " : l;
                      })},
                      {"Descripcion", texto([](long long k) { return fmt("Despacho 21001IC04%06lld", k); })},
                      {"ControladoPor", fijo("ADUANA BS AS")},
                      {"IdOrigen", fijo("   1")}},
                     error);

    // Seats of the first vouchers, `asientosPorComprobante` rows each.
    const int porAsiento = v.asientosPorComprobante;
    const long long nAsientos = (long long)(nComp / 2) * porAsiento;
    const auto deAsiento = [&](long long a) { return comprobante(a / porAsiento, nComp); };
    paso("MV_ASIENTOS");
    ok = ok && llena(db, "MV_ASIENTOS", nAsientos,
                     {{"Cuenta", texto([](long long a) { return fmt("1.1.%02lld", 1 + a % 30); })},
                      {"Secuencia", entero([&](long long a) { return 1 + a % porAsiento; })},
                      {"Mes_Operativo", entero([&](long long a) { return 1 + (deAsiento(a).dia / 30) % 12; })},
                      {"[Numero Asiento]", entero([&](long long a) { return 1 + a / porAsiento; })},
                      {"Fecha", texto([&](long long a) { return fecha(deAsiento(a).dia); })},
                      {"Detalle", fijo("Asiento de produccion")},
                      {"TC", texto([&](long long a) { return std::string(deAsiento(a).tc); })},
                      {"SUCURSAL", texto([&](long long a) { return deAsiento(a).id.substr(0, 4); })},
                      {"NUMERO", texto([&](long long a) { return deAsiento(a).id.substr(4, 8); })},
                      {"LETRA", texto([&](long long a) { return deAsiento(a).id.substr(12, 1); })},
                      {"Tipo_Reg", fijo("VTA ")},
                      {"[DEBE-HABER]", texto([](long long a) { return a % 2 == 0 ? std::string("D") : std::string("H"); })},
                      {"Importe", real([&](long long) { return azar.importe(100000); })},
                      {"Moneda", fijo("   1")},
                      {"Cotizacion", real([](long long) { return 1.0; })},
                      {"Unegocio", fijo("   1")}},
                     error);

    paso("C_MV_CPTE");
    ok = ok && llena(db, "C_MV_CPTE", v.comprobantesCompra,
                     {{"TC", fijo("FCC ")},
                      {"IDCOMPROBANTE", texto([](long long i) { return fmt("0100%08lldA", 1 + i); })},
                      {"SUCURSAL", fijo("0100")},
                      {"NUMERO", texto([](long long i) { return fmt("%08lld", 1 + i); })},
                      {"LETRA", fijo("A")},
                      {"CUENTA", fijo("P0001")},
                      {"NOMBRE", fijo("Bulonera Industrial S.R.L.")},
                      {"FECHA", texto([&](long long i) { return fecha(int(i * kDias / v.comprobantesCompra)); })},
                      {"Importe", real([&](long long) { return azar.importe(500000); })},
                      {"ANULADA", entero([](long long) { return 0; })},
                      {"UNEGOCIO", fijo("   1")}},
                     error);

    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    paso("ANALYZE");
    ok = ok && sqlite3_exec(db, "ANALYZE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok && error && error->isEmpty()) falla(db, error, archivo);
    sqlite3_close(db);
    return ok;
}

bool creaProduccion(const QString& salida, const QStringList& archivos, std::uint64_t semilla,
                    const Volumenes& v, QString* error, const std::function<void(const QString&)>& avance)
{
    const QString parcial = salida + QStringLiteral(".gen%1").arg(QCoreApplication::applicationPid());
    // What a generation interrupted on the way left beside its file (the
    // partial file and its journal): removed once its process is gone. A
    // generation still running elsewhere keeps its own.
    const QFileInfo destino(salida);
    for (const QFileInfo& f : destino.dir().entryInfoList({QStringLiteral("*.gen*")}, QDir::Files)) {
        const QString nombre = f.fileName();
        bool esNumero = false;
        const qint64 pid = nombre.mid(nombre.lastIndexOf(QStringLiteral(".gen")) + 4).section(u'-', 0, 0).toLongLong(&esNumero);
        if (esNumero && legacy::ProcessGone(pid)) QFile::remove(f.filePath());
    }
    if (!createDatabase(parcial, archivos, true, error)) return false;
    if (!llenaProduccion(parcial, semilla, v, error, avance)) {
        QFile::remove(parcial);
        return false;
    }
    if (std::rename(QFile::encodeName(parcial).constData(), QFile::encodeName(salida).constData()) != 0) {
        QFile::remove(parcial);
        if (error) *error = QStringLiteral("cannot write %1").arg(salida);
        return false;
    }
    return true;
}

}  // namespace mkdb
