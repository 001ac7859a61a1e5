#pragma once
// Makes the next statements or recordset openings on one connection fail as
// the server would have failed them (a lost network link, native error 11; a
// truncation warning, native error 8152; ...), so the recovery paths above
// the data-access layer can be driven without a real server. The connection
// gets an engine of the tests wrapped around its own; what is pending stays
// with the connection across reopenings.
#include "platform/ado/error.h"

#include <QList>

namespace ado {

class Connection;

namespace testing {

// The next `times` calls of Execute or Recordset::Open on `connection` fill
// its error list with `errors` and, with `raise`, fail with the first of them
// instead of running; without `raise` the call runs normally and the errors
// are left in the list afterwards (the server's warnings).
void FailNextExecute(Connection& connection, const QList<Error>& errors, int times = 1, bool raise = true);
void FailNextExecute(Connection& connection, const Error& error, int times = 1);
// Drops everything pending (on every connection).
void ClearInjectedFailures();
// How many injected failures are still pending on `connection`.
int PendingFailures(const Connection& connection);

}  // namespace testing
}  // namespace ado
