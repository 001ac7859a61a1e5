#pragma once
// A test seam: makes the next statements or recordset openings on one
// connection fail as the server would have failed them (a lost network link,
// native error 11; a truncation warning, native error 8152; ...), so the
// recovery paths above this layer can be driven without a real server.
// Nothing is pending unless a test asks for it.
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

// --- for the connection and the recordset ---------------------------------
// At the top of Execute / Recordset::Open: raises a pending failure.
void BeforeExecute(Connection& connection);
// At the end of a successful Execute / Recordset::Open: leaves pending
// warnings in the error list.
void AfterExecute(Connection& connection);

}  // namespace testing
}  // namespace ado
