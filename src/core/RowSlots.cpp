#include "core/RowSlots.h"

#include <algorithm>
#include <bit>

namespace quillon::core {

namespace {
// Free slots left at each end when the rows are numbered afresh: a quarter
// of the rows, so that renumbering happens once per n/4 entries at one end.
std::size_t roomAtEachEnd(std::size_t rows)
{
    return std::max<std::size_t>(rows / 4, 16);
}

constexpr std::uint32_t In = 1;
constexpr std::uint32_t Out = ~std::uint32_t { 0 }; // -1 in unsigned sums
} // namespace

void RowSlots::entered(std::size_t first, std::size_t count)
{
    if (count == 0 || !m_numbered)
        return; // numbered with the others at the next question
    const std::size_t end = first + count;
    // Every slot strictly between those of the neighbouring rows is free.
    const std::int64_t below = first == 0 ? -1 : std::int64_t { m_rows[first - 1]->ListSlot };
    const std::int64_t above
        = end == m_rows.size() ? static_cast<std::int64_t>(capacity()) : std::int64_t { m_rows[end]->ListSlot };
    const std::int64_t room = above - below - 1;
    const auto n = static_cast<std::int64_t>(count);
    if (room < n) {
        numberAfresh();
        return;
    }
    std::int64_t base = 0;
    if (first == 0) {
        base = above - n; // close to the old top: the rest stays for later entries there
    } else if (end == m_rows.size()) {
        base = below + 1;
    } else {
        // A record put back in its own place (a run that did not start) takes
        // its old slot again, so a row-by-row return renumbers nobody.
        const std::int64_t own = m_rows[first]->ListSlot;
        base = count == 1 && below < own && own < above ? own : below + 1 + (room - n) / 2;
    }
    for (std::size_t i = 0; i < count; ++i)
        m_rows[first + i]->ListSlot = static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(i);
    recount(count, In, [&](auto&& f) {
        for (std::size_t i = 0; i < count; ++i)
            f(m_rows[first + i]->ListSlot);
    });
}

void RowSlots::left(Records records)
{
    if (m_rows.empty()) {
        numberAfresh(); // an emptied sequence gives its slots back
        return;
    }
    if (!m_numbered)
        return;
    recount(records.size(), Out, [&](auto&& f) {
        for (const auto& r : records)
            f(r->ListSlot);
    });
}

void RowSlots::numberAfresh()
{
    m_numbered = false;
    std::vector<std::uint32_t>().swap(m_tree);
}

void RowSlots::number() const
{
    m_numbered = true;
    const std::size_t n = m_rows.size();
    if (n == 0)
        return;
    const std::size_t room = roomAtEachEnd(n);
    for (std::size_t i = 0; i < n; ++i)
        m_rows[i]->ListSlot = static_cast<std::uint32_t>(room + i);
    // The slots in use are one run: the tree is built from it without
    // reading the records again.
    m_tree.assign(room + n + room + 1, 0);
    std::fill(m_tree.begin() + static_cast<std::ptrdiff_t>(room + 1),
              m_tree.begin() + static_cast<std::ptrdiff_t>(room + n + 1), 1);
    build();
}

int RowSlots::rowOf(const TRecHost* record) const
{
    if (!m_numbered)
        number();
    if (!record || record->ListSlot >= capacity())
        return -1;
    // A record of another sequence may hold any slot: the row found must
    // hold this very record.
    const std::size_t row = countBelow(record->ListSlot);
    return row < m_rows.size() && m_rows[row].get() == record ? static_cast<int>(row) : -1;
}

template <typename ForEachSlot>
void RowSlots::recount(std::size_t count, std::uint32_t delta, ForEachSlot forEachSlot)
{
    // One by one costs count * log(slots); taking the tree apart and
    // building it again costs 2 * slots. Neither reads the other records.
    const std::size_t slots = capacity();
    if (count * static_cast<std::size_t>(std::bit_width(slots)) <= 2 * slots) {
        forEachSlot([&](std::uint32_t s) { add(s, delta); });
        return;
    }
    unbuild();
    forEachSlot([&](std::uint32_t s) { m_tree[s + 1] += delta; });
    build();
}

void RowSlots::add(std::uint32_t slot, std::uint32_t delta)
{
    const std::size_t slots = capacity();
    for (std::size_t i = std::size_t { slot } + 1; i <= slots; i += i & (~i + 1))
        m_tree[i] += delta;
}

std::uint32_t RowSlots::countBelow(std::uint32_t slot) const
{
    std::uint32_t sum = 0;
    for (std::size_t i = slot; i > 0; i &= i - 1)
        sum += m_tree[i];
    return sum;
}

void RowSlots::build() const
{
    const std::size_t slots = capacity();
    for (std::size_t i = 1; i <= slots; ++i) {
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= slots)
            m_tree[parent] += m_tree[i];
    }
}

void RowSlots::unbuild()
{
    const std::size_t slots = capacity();
    for (std::size_t i = slots; i > 0; --i) {
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= slots)
            m_tree[parent] -= m_tree[i];
    }
}

} // namespace quillon::core
