#pragma once
// The runtime's Collection: items kept in the order added, numbered from 1.
#include "platform/legacy/variant.h"

#include <QString>

#include <vector>

namespace legacy {

class Collection final : public Object {
public:
    QString TypeName() const override;

    int Count() const { return int(items_.size()); }
    // Error 9 when index is not between 1 and Count().
    const Variant& Item(int index) const;
    void Add(Variant value) { items_.push_back(std::move(value)); }
    // Error 9 when index is not between 1 and Count().
    void Remove(int index);
    void reserve(int n) { items_.reserve(std::size_t(n)); }

private:
    std::vector<Variant> items_;
};

}  // namespace legacy
