#pragma once
// The program's lists: the active list (the Hosts list followed by the Wait
// list), the Trash and the ignore names, with the pending-change count and
// the list primitives every command builds on.
//
// Active-list position x is row x of the Hosts page when x < H (H the number
// of Hosts-list records) and row x - H of the Wait page otherwise. Every
// Hosts-list record has a status other than Waiting and every Wait-list
// record has status Waiting; the primitives keep it so.
//
// Primitives take the row numbers of a page's view and ask nothing; the
// questions around them belong to the commands.

#include "core/HostSequence.h"
#include "core/ListObserver.h"
#include "core/NameIndex.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::core {

class HostStore {
public:
    HostStore();
    HostStore(const HostStore&) = delete;
    HostStore& operator=(const HostStore&) = delete;

    void addObserver(ListObserver* observer);
    void removeObserver(ListObserver* observer);

    HostSequence& hosts() { return m_hosts; }
    HostSequence& wait() { return m_wait; }
    HostSequence& trash() { return m_trash; }
    const HostSequence& hosts() const { return m_hosts; }
    const HostSequence& wait() const { return m_wait; }
    const HostSequence& trash() const { return m_trash; }
    // The sequence a page shows.
    HostSequence& page(ListPage p);
    const HostSequence& page(ListPage p) const;

    std::size_t activeSize() const { return m_hosts.size() + m_wait.size(); }
    std::size_t hostsCount() const { return m_hosts.size(); }
    TRecHost& active(std::size_t x);
    const TRecHost& active(std::size_t x) const;

    // First active-list position whose host name equals name with letter
    // case ignored, as a scan from position 0 finds it; -1 when none does.
    // From the name index and the rows' slots, without a scan: O(log n).
    int activeIndexOf(std::string_view name) const;
    int trashIndexOf(std::string_view name) const;
    bool activeContains(std::string_view name) const { return m_activeIndex.containsIgnoreCase(name); }
    // True when an active-list record holds name among its alias words,
    // letter case ignored. A linear scan: for the commands, not for loading.
    bool activeAliasesHold(std::string_view name) const;

    // Entering the lists at their top: the front of the Hosts list (counts a
    // pending change), the front of the Wait list, the front of the Trash.
    void insertTopOfHosts(RecordPtr record);
    void insertTopOfWait(RecordPtr record);
    void insertTopOfTrash(RecordPtr record);

    // Moves the given rows of the Hosts or Wait page to the Trash. Each row in
    // turn, topmost first, goes to the top of the Trash, so they arrive in
    // reverse order. Rows from the Hosts page count as pending changes.
    void moveRowsToTrash(ListPage source, std::vector<int> rows);
    // Deletes the given Trash rows for good.
    void deleteTrashRows(std::vector<int> rows);
    // Empties the Trash.
    void emptyTrash();
    // Removes active-list position x for good; a Hosts-list record counts as
    // a pending change.
    void removeActiveRecord(std::size_t x);
    // Restores Trash row r: a record of any status but Waiting goes to the
    // top of the Hosts list as Verified (a pending change), a Waiting one to
    // the top of the Wait list.
    void restoreMove(std::size_t r);
    // Sets the alias of row r of a page; on the Hosts page it counts as a
    // pending change even when the text is the same.
    void setAlias(ListPage p, std::size_t r, const std::string& text);

    // Empties the active list; its records are discarded.
    void clearActive();

    // "Hosts: N", or "No Hosts" for an empty page.
    std::string hostCountText(ListPage p) const;

    int pendingChanges() const { return m_pendingChanges; }
    void setPendingChanges(int count) { m_pendingChanges = count; }
    void addPendingChange() { ++m_pendingChanges; }

    std::vector<std::string>& ignoreNames() { return m_ignoreNames; }
    const std::vector<std::string>& ignoreNames() const { return m_ignoreNames; }

private:
    // Row in seq of the first record indexed under name, or -1.
    static int firstInOrder(const HostSequence& seq, const NameIndex& index, std::string_view name);

    std::vector<ListObserver*> m_observers;
    NameIndex m_activeIndex;
    NameIndex m_trashIndex;
    HostSequence m_hosts;
    HostSequence m_wait;
    HostSequence m_trash;
    std::vector<std::string> m_ignoreNames;
    int m_pendingChanges = 0;
};

// The filter of the list-file writer and of the views: records whose status
// equals key (match set) or differs from it (match clear).
struct StatusFilter {
    int key = 0;
    bool match = false;
    bool accepts(const TRecHost& r) const { return (r.Status == key) == match; }
};

} // namespace quillon::core
