#pragma once
// The scripting runtime's Dictionary: text keys compared with letter case
// (binary), kept in the order they were added. Small dictionaries are
// searched in a row; past a few keys a hash index is built on first need, so
// adding stays cheap however many keys a parsed JSON object holds.
#include "platform/legacy/variant.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace legacy {

class Dictionary final : public Object {
public:
    QString TypeName() const override;

    int Count() const { return int(entries_.size()); }
    // Item get, as the runtime does it: a key not held is added with Empty.
    Variant Item(const QString& key);
    // Item let: replaces the item under key, or adds key at the end.
    void setItem(const QString& key, Variant value);
    bool Exists(const QString& key) const;
    // Error 457 when the key is already held; nothing changes then.
    void Add(QString key, Variant value);
    // Error 32811 when the key is not held.
    void Remove(const QString& key);
    void RemoveAll();
    QStringList Keys() const;
    VariantList Items() const;

    // Reading without adding: nullptr when the key is not held.
    const Variant* find(const QString& key) const;
    // Entries by position, 0 to Count() - 1, in the order added (no checks).
    const QString& keyAt(int i) const { return entries_[std::size_t(i)].key; }
    const Variant& itemAt(int i) const { return entries_[std::size_t(i)].value; }
    void reserve(int n) { entries_.reserve(std::size_t(n)); }

private:
    struct Entry {
        QString key;
        Variant value;
        std::uint32_t hash;
    };
    int indexOf(const QString& key, std::uint32_t hash) const;  // -1 when not held
    // Adds a key known not to be held, keeping the index (when built) current.
    void append(QString key, Variant value, std::uint32_t hash);
    void buildIndex() const;
    void indexEntry(int position) const;

    std::vector<Entry> entries_;
    // Open addressing over the entries: position + 1 per used slot, 0 for
    // free; a power of two at least twice the count once built, else empty.
    mutable std::vector<std::int32_t> slots_;
};

}  // namespace legacy
