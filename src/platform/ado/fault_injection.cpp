#include "platform/ado/fault_injection.h"

#include "platform/ado/connection.h"

#include <map>

namespace ado::testing {
namespace {

struct Pending {
    QList<Error> errors;
    int times = 0;
    bool raise = true;
};

std::map<const Connection*, Pending>& pending()
{
    static std::map<const Connection*, Pending> p;
    return p;
}

// Takes one use of what is pending on `c` when it matches `raise`.
bool take(const Connection& c, bool raise, QList<Error>& errors)
{
    auto it = pending().find(&c);
    if (it == pending().end() || it->second.raise != raise || it->second.times <= 0)
        return false;
    errors = it->second.errors;
    if (--it->second.times == 0)
        pending().erase(it);
    return true;
}

}  // namespace

void FailNextExecute(Connection& connection, const QList<Error>& errors, int times, bool raise)
{
    if (times <= 0 || errors.isEmpty()) {
        pending().erase(&connection);
        return;
    }
    pending()[&connection] = Pending{errors, times, raise};
}

void FailNextExecute(Connection& connection, const Error& error, int times)
{
    FailNextExecute(connection, QList<Error>{error}, times, true);
}

void ClearInjectedFailures()
{
    pending().clear();
}

int PendingFailures(const Connection& connection)
{
    auto it = pending().find(&connection);
    return it == pending().end() ? 0 : it->second.times;
}

void BeforeExecute(Connection& connection)
{
    QList<Error> errors;
    if (!take(connection, true, errors))
        return;
    connection.Errors().Clear();
    for (const Error& e : errors)
        connection.Errors().add(e);
    connection.raiseFirstError();
}

void AfterExecute(Connection& connection)
{
    QList<Error> errors;
    if (!take(connection, false, errors))
        return;
    for (const Error& e : errors)
        connection.Errors().add(e);
}

}  // namespace ado::testing
