#pragma once
// A connection's error list: the errors of its last Open, Execute or
// recordset Open, nothing else (no warnings, no informational messages), so
// a clean call leaves it empty.
#include "platform/ado/constants.h"

#include <QList>
#include <QString>

namespace ado {

struct Error {
    int Number = 0;        // kErrProvider, kErrSyntax, ... (see constants.h)
    int NativeError = 0;   // the server's own number (2627, 547, 8152, 11, ...)
    QString SQLState;      // five characters ("42S02"), or "3024" for a missing local file
    QString Description;
    QString Source;
};

class ErrorCollection {
public:
    int Count() const { return int(items_.size()); }
    // Errors(i), 0-based; error 3265 when out of range.
    const Error& Item(int index) const;
    const Error& operator()(int index) const { return Item(index); }
    void Clear() { items_.clear(); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    // For the engines.
    void add(Error e) { items_.push_back(std::move(e)); }
    bool empty() const { return items_.isEmpty(); }

private:
    QList<Error> items_;
};

}  // namespace ado
