#include "platform/legacy/dictionary.h"

#include "platform/legacy/vberror.h"

#include <cstring>

namespace legacy {

namespace {

// Up to this many keys a straight search (hashes compared first) is cheaper
// than keeping an index.
constexpr std::size_t LinearLimit = 16;

// A quick hash of the key's UTF-16 code units, eight bytes at a time.
std::uint32_t hashKey(const QString& key)
{
    const char* p = reinterpret_cast<const char*>(key.constData());
    std::size_t n = std::size_t(key.size()) * 2;
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    while (n >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, n);
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
    }
    h ^= h >> 29;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 32;
    return std::uint32_t(h);
}

}  // namespace

QString Dictionary::TypeName() const
{
    return QStringLiteral("Dictionary");
}

void Dictionary::indexEntry(int position) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = entries_[std::size_t(position)].hash & mask;
    while (slots_[slot] != 0)
        slot = (slot + 1) & mask;
    slots_[slot] = position + 1;
}

void Dictionary::buildIndex() const
{
    std::size_t size = 32;
    while (size < entries_.size() * 2)
        size *= 2;
    slots_.assign(size, 0);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        indexEntry(int(i));
}

int Dictionary::indexOf(const QString& key, std::uint32_t hash) const
{
    if (entries_.size() <= LinearLimit) {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const Entry& e = entries_[i];
            if (e.hash == hash && e.key == key)
                return int(i);
        }
        return -1;
    }
    if (slots_.empty())
        buildIndex();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        const Entry& e = entries_[std::size_t(slots_[slot] - 1)];
        if (e.hash == hash && e.key == key)
            return slots_[slot] - 1;
    }
    return -1;
}

const Variant* Dictionary::find(const QString& key) const
{
    int i = indexOf(key, hashKey(key));
    return i < 0 ? nullptr : &entries_[std::size_t(i)].value;
}

bool Dictionary::Exists(const QString& key) const
{
    return indexOf(key, hashKey(key)) >= 0;
}

Variant Dictionary::Item(const QString& key)
{
    const std::uint32_t hash = hashKey(key);
    int i = indexOf(key, hash);
    if (i >= 0)
        return entries_[std::size_t(i)].value;
    append(key, Variant(), hash);
    return Variant();
}

void Dictionary::setItem(const QString& key, Variant value)
{
    const std::uint32_t hash = hashKey(key);
    int i = indexOf(key, hash);
    if (i >= 0)
        entries_[std::size_t(i)].value = std::move(value);
    else
        append(key, std::move(value), hash);
}

void Dictionary::Add(QString key, Variant value)
{
    const std::uint32_t hash = hashKey(key);
    if (indexOf(key, hash) >= 0)
        throw VbError(457, QStringLiteral("Esta clave ya está asociada a un elemento de esta colección"));
    append(std::move(key), std::move(value), hash);
}

void Dictionary::append(QString key, Variant value, std::uint32_t hash)
{
    entries_.push_back(Entry{std::move(key), std::move(value), hash});
    if (!slots_.empty()) {
        if (entries_.size() * 2 > slots_.size())
            buildIndex();
        else
            indexEntry(int(entries_.size() - 1));
    }
}

void Dictionary::Remove(const QString& key)
{
    int i = indexOf(key, hashKey(key));
    if (i < 0)
        throw VbError(32811, QStringLiteral("Elemento no encontrado"));
    entries_.erase(entries_.begin() + i);
    // Positions after the removed key moved; rebuild the index when next needed.
    slots_.clear();
}

void Dictionary::RemoveAll()
{
    entries_.clear();
    slots_.clear();
}

QStringList Dictionary::Keys() const
{
    QStringList keys;
    keys.reserve(qsizetype(entries_.size()));
    for (const Entry& e : entries_)
        keys.append(e.key);
    return keys;
}

VariantList Dictionary::Items() const
{
    VariantList items;
    items.reserve(qsizetype(entries_.size()));
    for (const Entry& e : entries_)
        items.append(e.value);
    return items;
}

}  // namespace legacy
