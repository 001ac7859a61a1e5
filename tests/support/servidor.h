#pragma once
// The SQL Server the tests may reach. Nothing here runs unless the
// environment names one:
//   VORDANE_TEST_MSSQL="@server=host,1433;@dbname=PRUEBAS;@usuario=u;@Password=p;"
// (the program's own parameter string). The tests that need it are skipped
// with the reason below when it is not set.
#include <QString>

#include <memory>
#include <optional>

namespace ado {
class Connection;
}

namespace testdb {

struct Servidor {
    QString parametros;  // the variable as given
    QString servidor, base, usuario, clave;
};

// The server of VORDANE_TEST_MSSQL; nullopt when the variable is not set.
// Throws std::runtime_error when it is set but names no server or database.
std::optional<Servidor> servidorDePrueba();

// Why a test that needs a server does not run.
QString sinServidor();

// The data layer's connection string for `base` on the server (its own
// database when `base` is empty).
QString cadenaConexion(const Servidor& s, const QString& base = {});

// An open connection to `base` on the server (its own database when empty);
// throws std::runtime_error with the server's message when it cannot open.
std::shared_ptr<ado::Connection> conectaServidor(const Servidor& s, const QString& base = {});

// Makes the open database of `cnn` (a SQL Server) hold the schema of the
// database `name` and, with `withDemoData`, its demo rows, from the same
// files as the embedded databases: every user table and view of it is
// dropped first. The embedded schema's text collation gives way to the
// server's, its row ids to identity columns. Throws std::runtime_error
// naming the statement that failed.
void creaEnServidor(ado::Connection& cnn, const QString& name, bool withDemoData);

}  // namespace testdb
