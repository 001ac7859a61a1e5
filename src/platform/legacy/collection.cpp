#include "platform/legacy/collection.h"

#include "platform/legacy/vberror.h"

namespace legacy {

QString Collection::TypeName() const
{
    return QStringLiteral("Collection");
}

const Variant& Collection::Item(int index) const
{
    if (index < 1 || index > Count())
        throw VbError(9);
    return items_[std::size_t(index - 1)];
}

void Collection::Remove(int index)
{
    if (index < 1 || index > Count())
        throw VbError(9);
    items_.erase(items_.begin() + (index - 1));
}

}  // namespace legacy
