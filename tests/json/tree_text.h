#pragma once
// A compact text of a parsed tree, so that expectations read like the input:
// {a:1,b:"x"}  [1,true,null,empty]  numbers as their decimal text with ".".
#include "json/json.h"

#include <QString>

#include "support/testutil.h"

inline QString treeText(const legacy::Variant& v)
{
    using namespace legacy;
    if (v.IsEmpty())
        return QStringLiteral("empty");
    if (v.IsNull())
        return QStringLiteral("null");
    if (const bool* b = v.get<bool>())
        return *b ? QStringLiteral("true") : QStringLiteral("false");
    if (const Decimal* d = v.get<Decimal>())
        return d->toString(u'.');
    if (const QString* s = v.get<QString>())
        return u'"' + *s + u'"';
    if (const ObjectRef* o = v.get<ObjectRef>()) {
        QString out;
        if (auto* d = dynamic_cast<const Dictionary*>(o->get())) {
            out = u'{';
            for (int i = 0; i < d->Count(); ++i)
                out += (i ? QStringLiteral(",") : QString()) + d->keyAt(i) + u':' + treeText(d->itemAt(i));
            return out + u'}';
        }
        if (auto* c = dynamic_cast<const Collection*>(o->get())) {
            out = u'[';
            for (int i = 1; i <= c->Count(); ++i)
                out += (i > 1 ? QStringLiteral(",") : QString()) + treeText(c->Item(i));
            return out + u']';
        }
    }
    return QStringLiteral("?") + v.TypeName();
}

inline QString parsedText(const QString& json)
{
    legacy::ObjectRef root = JSON::ParseText(json);
    return root ? treeText(legacy::Variant(root)) : QStringLiteral("none");
}
