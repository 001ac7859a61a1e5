#include "support/fault_injection.h"

#include "platform/ado/connection.h"
#include "platform/ado/engine.h"

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
bool take(const Connection* c, bool raise, QList<Error>& errors)
{
    auto it = pending().find(c);
    if (it == pending().end() || it->second.raise != raise || it->second.times <= 0)
        return false;
    errors = it->second.errors;
    if (--it->second.times == 0)
        pending().erase(it);
    return true;
}

// The connection's engine, with the pending failures of its connection put
// before its statements and queries.
class FaultEngine final : public Engine {
public:
    FaultEngine(const Connection* owner, std::unique_ptr<Engine> inner) : owner_(owner), inner_(std::move(inner)) {}

    bool execute(const QString& text, Result& result, ErrorCollection& errors) override
    {
        return faulted(errors, [&] { return inner_->execute(text, result, errors); });
    }
    bool query(const QString& text, bool updatable, Result& result, ErrorCollection& errors) override
    {
        return faulted(errors, [&] { return inner_->query(text, updatable, result, errors); });
    }
    bool run(const QString& text, const Params& params, int& affected, qint64* lastRowid, ErrorCollection& errors) override
    {
        return inner_->run(text, params, affected, lastRowid, errors);
    }
    bool begin(ErrorCollection& errors) override { return inner_->begin(errors); }
    bool commit(ErrorCollection& errors) override { return inner_->commit(errors); }
    bool rollback(ErrorCollection& errors) override { return inner_->rollback(errors); }
    bool inTransaction() const override { return inner_->inTransaction(); }
    QString defaultDatabase() override { return inner_->defaultDatabase(); }
    bool setDefaultDatabase(const QString& name, ErrorCollection& errors) override
    {
        return inner_->setDefaultDatabase(name, errors);
    }
    void setCommandTimeout(int seconds) override { inner_->setCommandTimeout(seconds); }
    bool setIsolationLevel(int level, ErrorCollection& errors) override { return inner_->setIsolationLevel(level, errors); }
    bool tables(std::vector<TableRow>& out, ErrorCollection& errors) override { return inner_->tables(out, errors); }
    bool columns(const QString& table, std::vector<ColumnRow>& out, ErrorCollection& errors) override
    {
        return inner_->columns(table, out, errors);
    }
    bool embedded() const override { return inner_->embedded(); }
    bool serverDialect() const override { return inner_->serverDialect(); }
    bool hasRowids() const override { return inner_->hasRowids(); }
    QStringList primaryKey(const QString& table) override { return inner_->primaryKey(table); }
    QString rowCondition(const RecordsetData& d, size_t row, Params& params) const override
    {
        return inner_->rowCondition(d, row, params);
    }

private:
    template <typename F>
    bool faulted(ErrorCollection& errors, F&& call)
    {
        QList<Error> injected;
        if (take(owner_, true, injected)) {
            for (const Error& e : injected)
                errors.add(e);
            return false;
        }
        if (!call())
            return false;
        if (take(owner_, false, injected))
            for (const Error& e : injected)
                errors.add(e);
        return true;
    }

    const Connection* owner_;
    std::unique_ptr<Engine> inner_;
};

}  // namespace

void FailNextExecute(Connection& connection, const QList<Error>& errors, int times, bool raise)
{
    if (times <= 0 || errors.isEmpty()) {
        pending().erase(&connection);
        return;
    }
    if (!connection.hasEngineDecorator()) {
        const Connection* owner = &connection;
        connection.setEngineDecorator(
            [owner](std::unique_ptr<Engine> inner) { return std::make_unique<FaultEngine>(owner, std::move(inner)); });
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

}  // namespace ado::testing
