#include "core/HostSequence.h"

#include "core/HostAddress.h"
#include "core/HostName.h"
#include "core/ListObserver.h"
#include "core/NameIndex.h"

#include <stdexcept>

namespace quillon::core {

HostSequence::HostSequence(ListPage page, NameIndex& index, const std::vector<ListObserver*>& observers)
    : m_page(page)
    , m_index(index)
    , m_observers(observers)
{
}

void HostSequence::insert(std::size_t row, RecordPtr record)
{
    if (row > m_items.size())
        throw std::out_of_range("HostSequence::insert");
    const int r = static_cast<int>(row);
    tellAboutToInsert(r, r);
    m_index.insert(record.get());
    if (row == 0)
        m_items.push_front(std::move(record));
    else
        m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(row), std::move(record));
    m_slots.entered(row, 1);
    tellInserted();
}

void HostSequence::insertRange(std::size_t row, RecordList records)
{
    if (records.empty())
        return;
    if (row > m_items.size())
        throw std::out_of_range("HostSequence::insertRange");
    const int first = static_cast<int>(row);
    const int last = first + static_cast<int>(records.size()) - 1;
    tellAboutToInsert(first, last);
    for (const RecordPtr& r : records)
        m_index.insert(r.get());
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(row), std::make_move_iterator(records.begin()),
                   std::make_move_iterator(records.end()));
    m_slots.entered(row, records.size());
    tellInserted();
}

std::size_t HostSequence::appendNewNames(RecordList records, const std::vector<std::uint64_t>& knownHashes)
{
    // The index learns each kept name at once, so a later duplicate in the
    // same batch is caught; the views hear of the rows in one go afterwards.
    m_index.reserve(m_index.size() + records.size());
    std::vector<std::uint64_t> computed;
    if (knownHashes.size() != records.size()) {
        computed.reserve(records.size());
        for (const RecordPtr& r : records)
            computed.push_back(hashIgnoreCase(r->HostName));
    }
    const std::vector<std::uint64_t>& hashes = computed.empty() ? knownHashes : computed;
    // Slots are prefetched some records ahead, so that the index's cache
    // misses overlap instead of coming one by one.
    constexpr std::size_t Ahead = 16;
    for (std::size_t i = 0; i < records.size() && i < Ahead; ++i)
        m_index.prefetch(hashes[i]);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i + Ahead < records.size())
            m_index.prefetch(hashes[i + Ahead]);
        RecordPtr& r = records[i];
        if (!m_index.insertUnlessNamed(r.get(), hashes[i])) {
            if (!isOtherAddressSetOnPurpose(*r)) {
                r.reset();
                continue;
            }
            m_index.insert(r.get());
        }
        records[kept++] = std::move(r);
    }
    records.resize(kept);
    if (kept == 0)
        return 0;
    const int first = static_cast<int>(m_items.size());
    tellAboutToInsert(first, first + static_cast<int>(kept) - 1);
    m_items.insert(m_items.end(), std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
    m_slots.entered(static_cast<std::size_t>(first), kept);
    tellInserted();
    return kept;
}

bool HostSequence::isOtherAddressSetOnPurpose(const TRecHost& r) const
{
    // A hosts file names localhost twice on purpose: 127.0.0.1 for IPv4 and
    // ::1 for IPv6 (Debian's own file does). Dropping the second line would
    // take the IPv6 names out of the system's hosts file.
    if (m_page != ListPage::Hosts || !isPinnedEntry(r))
        return false;
    bool sameAddress = false;
    m_index.forEachMatch(r.HostName, [&](const TRecHost* other) {
        sameAddress |= other->HostName == r.HostName && other->IP == r.IP;
    });
    return !sameAddress;
}

RecordPtr HostSequence::take(std::size_t row)
{
    if (row >= m_items.size())
        throw std::out_of_range("HostSequence::take");
    const int r = static_cast<int>(row);
    tellAboutToRemove(r, r);
    RecordPtr record = std::move(m_items[row]);
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(row));
    m_index.erase(record.get());
    m_slots.left(RowSlots::Records(&record, 1));
    tellRemoved();
    return record;
}

RecordList HostSequence::takeRows(const std::vector<int>& rows)
{
    RecordList taken;
    if (rows.empty())
        return taken;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] < 0 || static_cast<std::size_t>(rows[i]) >= m_items.size() || (i > 0 && rows[i] <= rows[i - 1]))
            throw std::invalid_argument("HostSequence::takeRows: rows must ascend within the list");
    }
    // Many scattered rows are cheaper for a view to rebuild than to remove
    // range by range.
    constexpr std::size_t MaxRangeNotifications = 64;
    std::vector<std::pair<int, int>> ranges;
    for (const int r : rows) {
        if (!ranges.empty() && ranges.back().second + 1 == r)
            ranges.back().second = r;
        else
            ranges.emplace_back(r, r);
    }
    const bool asReset = ranges.size() > MaxRangeNotifications;
    if (asReset) {
        tellAboutToReset();
    }

    taken.reserve(rows.size());
    for (const int r : rows)
        taken.push_back(std::move(m_items[static_cast<std::size_t>(r)]));
    for (const RecordPtr& r : taken)
        m_index.erase(r.get());

    if (asReset) {
        std::size_t write = 0;
        for (std::size_t read = 0; read < m_items.size(); ++read) {
            if (m_items[read])
                m_items[write++] = std::move(m_items[read]);
        }
        m_items.resize(write);
        m_slots.left(taken);
        tellReset();
        return taken;
    }
    // Remove from the bottom up so that the row numbers of the ranges still
    // to come stay valid, and the rows stay known at every step.
    std::size_t end = taken.size();
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        tellAboutToRemove(it->first, it->second);
        m_items.erase(m_items.begin() + it->first, m_items.begin() + it->second + 1);
        const auto count = static_cast<std::size_t>(it->second - it->first + 1);
        end -= count;
        m_slots.left(RowSlots::Records(taken).subspan(end, count));
        tellRemoved();
    }
    return taken;
}

RecordList HostSequence::takeAll()
{
    tellAboutToReset();
    // An index holding nothing but this sequence's records is emptied in one
    // step; erasing a million names one by one takes a noticeable while.
    if (m_index.size() == m_items.size())
        m_index.clear();
    else
        for (const RecordPtr& r : m_items)
            m_index.erase(r.get());
    RecordList taken(std::make_move_iterator(m_items.begin()), std::make_move_iterator(m_items.end()));
    m_items.clear();
    m_slots.numberAfresh();
    tellReset();
    return taken;
}

RecordList HostSequence::takeForReorder()
{
    // The records stay indexed: they come back through reorder(), in an
    // order that is numbered afresh.
    tellAboutToReset();
    RecordList taken(std::make_move_iterator(m_items.begin()), std::make_move_iterator(m_items.end()));
    m_items.clear();
    return taken;
}

void HostSequence::reorder(RecordList records)
{
    m_items.assign(std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
    m_slots.numberAfresh();
    tellReset();
}

void HostSequence::notifyChanged(std::size_t first, std::size_t last) const
{
    if (m_items.empty() || first > last || last >= m_items.size())
        return;
    tellChanged(static_cast<int>(first), static_cast<int>(last));
}

void HostSequence::tellAboutToInsert(int first, int last) const
{
    for (ListObserver* o : m_observers)
        o->rowsAboutToBeInserted(m_page, first, last);
}

void HostSequence::tellInserted() const
{
    for (ListObserver* o : m_observers)
        o->rowsInserted(m_page);
}

void HostSequence::tellAboutToRemove(int first, int last) const
{
    for (ListObserver* o : m_observers)
        o->rowsAboutToBeRemoved(m_page, first, last);
}

void HostSequence::tellRemoved() const
{
    for (ListObserver* o : m_observers)
        o->rowsRemoved(m_page);
}

void HostSequence::tellChanged(int first, int last) const
{
    for (ListObserver* o : m_observers)
        o->rowsChanged(m_page, first, last);
}

void HostSequence::tellAboutToReset() const
{
    for (ListObserver* o : m_observers)
        o->aboutToReset(m_page);
}

void HostSequence::tellReset() const
{
    for (ListObserver* o : m_observers)
        o->reset(m_page);
}

void HostSequence::notifyRebuilt() const
{
    tellAboutToReset();
    tellReset();
}

} // namespace quillon::core
