#pragma once
// One ordered sequence of owned host records: the Hosts part or the Wait
// part of the active list, or the Trash. Every change is indexed by name and
// reported to the observers of its page, so views stay row for row in step
// with the sequence; every record's row is known without a scan (RowSlots).

#include "core/HostRecord.h"
#include "core/ListPage.h"
#include "core/RowSlots.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace quillon::core {

class ListObserver;
class NameIndex;

using RecordPtr = std::unique_ptr<TRecHost>;
using RecordList = std::vector<RecordPtr>;

class HostSequence {
public:
    HostSequence(ListPage page, NameIndex& index, const std::vector<ListObserver*>& observers);
    HostSequence(const HostSequence&) = delete;
    HostSequence& operator=(const HostSequence&) = delete;

    ListPage page() const { return m_page; }
    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    TRecHost& at(std::size_t row) { return *m_items.at(row); }
    const TRecHost& at(std::size_t row) const { return *m_items.at(row); }
    const TRecHost* get(std::size_t row) const { return m_items[row].get(); }

    void insert(std::size_t row, RecordPtr record);
    void pushFront(RecordPtr record) { insert(0, std::move(record)); }
    // Inserts many records before row, in their order, with one notification.
    void insertRange(std::size_t row, RecordList records);
    void append(RecordList records) { insertRange(size(), std::move(records)); }
    // Appends the records whose name no record of this sequence's index (nor
    // an earlier one of records) holds byte for byte; the others are
    // discarded. In the Hosts list an entry set on purpose (isPinnedEntry)
    // with another address than every record of its name is kept too, such
    // as "::1 localhost" after "127.0.0.1 localhost". Returns how many were
    // appended. hashes, when not empty, holds hashIgnoreCase of each record's
    // name.
    std::size_t appendNewNames(RecordList records, const std::vector<std::uint64_t>& hashes = {});
    RecordPtr take(std::size_t row);
    // Takes the given rows (ascending, no repeats) in one pass, in row order.
    RecordList takeRows(const std::vector<int>& rows);
    // Takes every record; the view is reset.
    RecordList takeAll();
    void clear() { takeAll(); }
    // Puts the same records back in a new order (sorting); the view is reset.
    // records must be exactly the records taken with takeForReorder().
    RecordList takeForReorder();
    void reorder(RecordList records);

    // Row of the record, or -1 when this sequence does not hold it; O(log n).
    int rowOf(const TRecHost* record) const { return m_slots.rowOf(record); }

    // Tells the views that records changed in place.
    void notifyChanged(std::size_t first, std::size_t last) const;
    void notifyChanged(std::size_t row) const { notifyChanged(row, row); }
    // Tells the views to rebuild themselves from the sequence.
    void notifyRebuilt() const;

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    bool isOtherAddressSetOnPurpose(const TRecHost& r) const;
    void tellAboutToInsert(int first, int last) const;
    void tellInserted() const;
    void tellAboutToRemove(int first, int last) const;
    void tellRemoved() const;
    void tellChanged(int first, int last) const;
    void tellAboutToReset() const;
    void tellReset() const;

    ListPage m_page;
    NameIndex& m_index;
    const std::vector<ListObserver*>& m_observers;
    std::deque<RecordPtr> m_items;
    RowSlots m_slots { m_items };
};

} // namespace quillon::core
