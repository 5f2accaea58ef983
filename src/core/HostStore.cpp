#include "core/HostStore.h"

#include "core/HostName.h"

#include <algorithm>
#include <stdexcept>

namespace quillon::core {

HostStore::HostStore()
    : m_hosts(ListPage::Hosts, m_activeIndex, m_observers)
    , m_wait(ListPage::Wait, m_activeIndex, m_observers)
    , m_trash(ListPage::Trash, m_trashIndex, m_observers)
{
}

void HostStore::addObserver(ListObserver* observer)
{
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void HostStore::removeObserver(ListObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

HostSequence& HostStore::page(ListPage p)
{
    return p == ListPage::Hosts ? m_hosts : p == ListPage::Wait ? m_wait : m_trash;
}

const HostSequence& HostStore::page(ListPage p) const
{
    return p == ListPage::Hosts ? m_hosts : p == ListPage::Wait ? m_wait : m_trash;
}

TRecHost& HostStore::active(std::size_t x)
{
    return x < m_hosts.size() ? m_hosts.at(x) : m_wait.at(x - m_hosts.size());
}

const TRecHost& HostStore::active(std::size_t x) const
{
    return x < m_hosts.size() ? m_hosts.at(x) : m_wait.at(x - m_hosts.size());
}

int HostStore::firstInOrder(const HostSequence& seq, const NameIndex& index, std::string_view name)
{
    // Names differing only in letter case are rare (hand-edited files), and
    // the Hosts and Wait parts share one index: the smallest row among the
    // matches that this sequence holds is the one a scan meets first.
    int first = -1;
    index.forEachMatch(name, [&](const TRecHost* r) {
        const int row = seq.rowOf(r);
        if (row >= 0 && (first < 0 || row < first))
            first = row;
    });
    return first;
}

int HostStore::activeIndexOf(std::string_view name) const
{
    const int inHosts = firstInOrder(m_hosts, m_activeIndex, name);
    if (inHosts >= 0)
        return inHosts;
    const int inWait = firstInOrder(m_wait, m_activeIndex, name);
    return inWait < 0 ? -1 : static_cast<int>(m_hosts.size()) + inWait;
}

bool HostStore::activeAliasesHold(std::string_view name) const
{
    const auto holds = [name](const RecordPtr& r) {
        std::string_view alias = r->Alias;
        while (!alias.empty()) {
            const auto space = alias.find(' ');
            if (equalsIgnoreCase(alias.substr(0, space), name))
                return true;
            alias = space == std::string_view::npos ? std::string_view() : alias.substr(space + 1);
        }
        return false;
    };
    return std::any_of(m_hosts.begin(), m_hosts.end(), holds) || std::any_of(m_wait.begin(), m_wait.end(), holds);
}

int HostStore::trashIndexOf(std::string_view name) const
{
    return firstInOrder(m_trash, m_trashIndex, name);
}

void HostStore::insertTopOfHosts(RecordPtr record)
{
    m_hosts.pushFront(std::move(record));
    ++m_pendingChanges;
}

void HostStore::insertTopOfWait(RecordPtr record)
{
    m_wait.pushFront(std::move(record));
}

void HostStore::insertTopOfTrash(RecordPtr record)
{
    m_trash.pushFront(std::move(record));
}

void HostStore::moveRowsToTrash(ListPage source, std::vector<int> rows)
{
    if (source == ListPage::Trash)
        throw std::invalid_argument("moveRowsToTrash: the Trash is not a source");
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    RecordList moved = page(source).takeRows(rows);
    if (moved.empty())
        return;
    if (source == ListPage::Hosts)
        m_pendingChanges += static_cast<int>(moved.size());
    // Each row in turn goes to the top of the Trash: the last one ends on top.
    std::reverse(moved.begin(), moved.end());
    m_trash.insertRange(0, std::move(moved));
}

void HostStore::deleteTrashRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    m_trash.takeRows(rows);
}

void HostStore::emptyTrash()
{
    m_trash.clear();
}

void HostStore::removeActiveRecord(std::size_t x)
{
    const std::size_t h = m_hosts.size();
    if (x < h) {
        m_hosts.take(x);
        ++m_pendingChanges;
    } else {
        m_wait.take(x - h);
    }
}

void HostStore::restoreMove(std::size_t r)
{
    RecordPtr t = m_trash.take(r);
    if (t->Status != StatusWaiting) {
        t->Status = StatusVerified;
        insertTopOfHosts(std::move(t));
    } else {
        insertTopOfWait(std::move(t));
    }
}

void HostStore::setAlias(ListPage p, std::size_t r, const std::string& text)
{
    HostSequence& seq = page(p);
    seq.at(r).Alias = text;
    seq.notifyChanged(r);
    if (p == ListPage::Hosts)
        ++m_pendingChanges;
}

void HostStore::clearActive()
{
    // The smaller part first, so that the larger one empties the shared
    // index in one step.
    HostSequence& first = m_hosts.size() < m_wait.size() ? m_hosts : m_wait;
    HostSequence& second = &first == &m_hosts ? m_wait : m_hosts;
    first.clear();
    second.clear();
}

std::string HostStore::hostCountText(ListPage p) const
{
    const std::size_t n = page(p).size();
    return n > 0 ? "Hosts: " + std::to_string(n) : "No Hosts";
}

} // namespace quillon::core
