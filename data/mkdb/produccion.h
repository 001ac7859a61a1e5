#pragma once
// A database of a mid-sized company after several years of work: the
// schema and the demo rows, then articles, customers, vouchers with their
// lines, stock movements, lots and serials, dispatch data and seats in the
// volumes below, made by a seeded generator so that every run with the
// same seed gives the same file. Used by the benchmarks, which run every
// operation on the demo database and on this one.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace mkdb {

// Changes whenever the generator makes other rows, so that a kept copy made
// by an older generator is not taken for a current one.
constexpr int kVersionProduccion = 1;

struct Volumenes {
    int articulos = 100000;
    int clientes = 50000;
    int comprobantes = 200000;      // sales vouchers
    int lineasPorComprobante = 5;   // 1,000,000 lines
    int movimientosPorLinea = 2;    // 2,000,000 stock rows
    int lotes = 200000;             // lot and serial balances
    int despachos = 100000;         // dispatch rows of lots
    int asientosPorComprobante = 5; // over half the vouchers: 500,000 seat rows
    int comprobantesCompra = 20000; // purchase vouchers
};

// Adds the generated rows to the database file `archivo`, which already
// holds the schema (and, usually, the demo rows). The generated vouchers use
// branches 0100 to 0199 and article codes from "P" onwards, so they never
// meet the demo rows. `avance` (optional) hears each table as it is filled.
bool llenaProduccion(const QString& archivo, std::uint64_t semilla, const Volumenes& v, QString* error,
                     const std::function<void(const QString&)>& avance = {});

// The production database made afresh: `archivos` (the schema and data files
// as databaseFiles gives them) run, then the generated rows added; built under
// a temporary name of this process and renamed into place when complete, so
// that two processes making it at once never see a half-made file.
bool creaProduccion(const QString& salida, const QStringList& archivos, std::uint64_t semilla,
                    const Volumenes& v, QString* error,
                    const std::function<void(const QString&)>& avance = {});

}  // namespace mkdb
