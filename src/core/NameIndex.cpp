#include "core/NameIndex.h"

namespace quillon::core {

namespace {
constexpr std::size_t MinCapacity = 16;
} // namespace

void NameIndex::rehash(std::size_t capacity)
{
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.assign(capacity, Slot {});
    for (const Slot& s : old) {
        if (!s.record)
            continue;
        std::size_t i = home(s.hash);
        while (m_slots[i].record)
            i = next(i);
        m_slots[i] = s;
    }
}

void NameIndex::reserve(std::size_t count)
{
    if (count * 10 <= m_slots.size() * 7)
        return;
    std::size_t capacity = MinCapacity;
    while (capacity * 7 < count * 10) // load factor at most 0.7
        capacity *= 2;
    if (capacity > m_slots.size())
        rehash(capacity);
}

void NameIndex::insert(const TRecHost* r)
{
    reserve(m_count + 1);
    const std::uint64_t h = hashIgnoreCase(r->HostName);
    std::size_t i = home(h);
    while (m_slots[i].record)
        i = next(i);
    m_slots[i] = { h, r };
    ++m_count;
}

bool NameIndex::insertUnlessNamed(const TRecHost* r, std::uint64_t h)
{
    reserve(m_count + 1);
    std::size_t i = home(h);
    for (; m_slots[i].record; i = next(i)) {
        if (m_slots[i].hash == h && m_slots[i].record->HostName == r->HostName)
            return false;
    }
    m_slots[i] = { h, r };
    ++m_count;
    return true;
}

void NameIndex::erase(const TRecHost* r)
{
    if (m_count == 0)
        return;
    std::size_t i = home(hashIgnoreCase(r->HostName));
    while (m_slots[i].record && m_slots[i].record != r)
        i = next(i);
    if (!m_slots[i].record)
        return;
    // Backward-shift deletion: move later members of the probe run into the
    // gap when their home slot allows it, so lookups never need tombstones.
    std::size_t gap = i;
    for (std::size_t j = next(gap); m_slots[j].record; j = next(j)) {
        const std::size_t h = home(m_slots[j].hash);
        // Slot j may fill the gap unless its home lies cyclically in (gap, j].
        const bool homeBetween = gap <= j ? (gap < h && h <= j) : (gap < h || h <= j);
        if (!homeBetween) {
            m_slots[gap] = m_slots[j];
            gap = j;
        }
    }
    m_slots[gap] = Slot {};
    --m_count;
}

void NameIndex::clear()
{
    m_slots.clear();
    m_count = 0;
}

bool NameIndex::containsIgnoreCase(std::string_view name) const
{
    bool found = false;
    forEachMatch(name, [&](const TRecHost*) { found = true; });
    return found;
}

const TRecHost* NameIndex::findExact(std::string_view name) const
{
    const TRecHost* found = nullptr;
    forEachMatch(name, [&](const TRecHost* r) {
        if (!found && r->HostName == name)
            found = r;
    });
    return found;
}

} // namespace quillon::core
