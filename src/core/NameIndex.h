#pragma once
// An index of records by host name, letter case ignored, so that the lists
// answer "which records hold this name" without a scan. It does not own the
// records and knows nothing of their order: a list that needs the first match
// in its order asks for all matches (usually one) and picks.
//
// Open addressing with linear probing over (hash, record) slots keeps it to
// 16 bytes a record, which matters for hosts files of 150,000 lines and more.

#include "core/HostName.h"
#include "core/HostRecord.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon::core {

class NameIndex {
public:
    // Adds r under r->HostName. The name must not change while r is indexed.
    void insert(const TRecHost* r);
    // Adds r unless a record with a byte-identical name is indexed already;
    // true when r was added.
    bool insertUnlessNamed(const TRecHost* r) { return insertUnlessNamed(r, hashIgnoreCase(r->HostName)); }
    // The same with the name's hash already known; with prefetch() this
    // lets a long run of inserts overlap its memory look-ups.
    bool insertUnlessNamed(const TRecHost* r, std::uint64_t hash);
    void prefetch(std::uint64_t hash) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[home(hash)]);
    }
    // Removes r; nothing happens when r is not indexed.
    void erase(const TRecHost* r);
    void clear();
    void reserve(std::size_t count);
    std::size_t size() const { return m_count; }

    // Records whose name equals name when letter case is ignored.
    template <typename F>
    void forEachMatch(std::string_view name, F&& f) const;
    bool containsIgnoreCase(std::string_view name) const;
    // A record whose name is byte-identical to name, or nullptr.
    const TRecHost* findExact(std::string_view name) const;

private:
    struct Slot {
        std::uint64_t hash = 0;
        const TRecHost* record = nullptr;
    };
    std::size_t home(std::uint64_t hash) const { return static_cast<std::size_t>(hash) & (m_slots.size() - 1); }
    std::size_t next(std::size_t i) const { return (i + 1) & (m_slots.size() - 1); }
    void rehash(std::size_t capacity);

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

} // namespace quillon::core

#include "core/HostName.h"

namespace quillon::core {

template <typename F>
void NameIndex::forEachMatch(std::string_view name, F&& f) const
{
    if (m_count == 0)
        return;
    const std::uint64_t h = hashIgnoreCase(name);
    for (std::size_t i = home(h); m_slots[i].record; i = next(i)) {
        if (m_slots[i].hash == h && equalsIgnoreCase(m_slots[i].record->HostName, name))
            f(m_slots[i].record);
    }
}

} // namespace quillon::core
