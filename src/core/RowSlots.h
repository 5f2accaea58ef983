#pragma once
// The row of a sequence's record without a scan of the sequence, so that a
// look-up by name stays quick in a list of a million hosts.
//
// Every record of the sequence holds a slot number (TRecHost::ListSlot).
// Slots rise with the row, and free slots are kept between them and at both
// ends. A record entering at the top or at the bottom, or into a gap that
// has room (a record put back where it was finds its own slot free), takes a
// free slot and renumbers nobody; a record leaving frees its slot. A Fenwick
// tree counts the slots in use, so a record's row is the count below its
// slot: O(log n). Only an entry where no slot is free, and a new order
// (sorting), renumber the whole sequence, with room at both ends again; the
// room grows with the sequence, so entries at one end cost O(1) amortised.
// Renumbering waits for the next question about a row: loading a long list
// or sorting it twice costs no pass over scattered records until a look-up
// needs one.
//
// It reads the sequence's rows and does not own them. The sequence tells it
// of every change as soon as its rows have changed, before its observers
// hear of it, so that a view may ask for rows while it updates. One thread,
// as the lists.

#include "core/HostRecord.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <vector>

namespace quillon::core {

class RowSlots {
public:
    using Rows = std::deque<std::unique_ptr<TRecHost>>;
    using Records = std::span<const std::unique_ptr<TRecHost>>;

    explicit RowSlots(const Rows& rows)
        : m_rows(rows)
    {
    }
    RowSlots(const RowSlots&) = delete;
    RowSlots& operator=(const RowSlots&) = delete;

    // Rows [first, first + count) were just inserted; every other row holds
    // its slot.
    void entered(std::size_t first, std::size_t count);
    // These records were just taken out of the rows.
    void left(Records records);
    // The rows stand in a new order, or were emptied: every row is numbered
    // afresh before the next question.
    void numberAfresh();

    // Row of the record in the rows, or -1 when it is not one of them.
    // O(log n), or O(n) once after the rows were numbered afresh.
    int rowOf(const TRecHost* record) const;

private:
    std::size_t capacity() const { return m_tree.empty() ? 0 : m_tree.size() - 1; }
    // Counts count slots in (delta 1) or out (delta -1); forEachSlot(f)
    // calls f with each of them.
    template <typename ForEachSlot>
    void recount(std::size_t count, std::uint32_t delta, ForEachSlot forEachSlot);
    void add(std::uint32_t slot, std::uint32_t delta);
    // Number of slots in use below slot.
    std::uint32_t countBelow(std::uint32_t slot) const;
    // Gives every row its slot, with room at both ends, and builds the tree.
    void number() const;
    // Between the tree and plain per-slot counts, in place, O(slots).
    void build() const;
    void unbuild();

    const Rows& m_rows;
    // 1-based: m_tree[s + 1] covers slot s. Unsigned sums wrap correctly on
    // the way down (delta -1 is added as its two's complement).
    // Both change in a question (rowOf) that finds the rows to be numbered.
    mutable std::vector<std::uint32_t> m_tree;
    mutable bool m_numbered = true;
};

} // namespace quillon::core
