// Feeds arbitrary text to the JSON reader and walks what comes back. Odd-length
// inputs are read as UTF-8, even-length ones as raw UTF-16 so that lone
// surrogates and other odd code units get in too.
#include "json/json.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Visits every node; the count keeps the walk from being optimised away.
std::size_t walk(const legacy::Variant& v, int depth)
{
    if (depth > JSON::MaxNesting + 1)
        std::abort();  // deeper than the reader may ever build
    std::size_t n = 1;
    if (auto* o = v.get<legacy::ObjectRef>()) {
        if (auto* d = dynamic_cast<const legacy::Dictionary*>(o->get())) {
            for (int i = 0; i < d->Count(); ++i) {
                if (!d->Exists(d->keyAt(i)))
                    std::abort();
                n += walk(d->itemAt(i), depth + 1);
            }
        } else if (auto* c = dynamic_cast<const legacy::Collection*>(o->get())) {
            for (int i = 1; i <= c->Count(); ++i)
                n += walk(c->Item(i), depth + 1);
        }
    } else if (v.VarType() == legacy::vbDecimal) {
        n += std::size_t(v.toString().size());
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString text = size % 2 == 1
                       ? QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size))
                       : QString(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    legacy::ObjectRef root = JSON::ParseText(text);
    const QString errors = JSON::LastErrors();
    if (!root && errors.isEmpty())
        std::abort();  // no tree must always come with a message
    if (errors.size() > JSON::MaxErrorText + 2 * text.size() + 200)
        std::abort();
    if (root)
        walk(legacy::Variant(root), 1);
    return 0;
}
