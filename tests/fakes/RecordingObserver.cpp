#include "fakes/RecordingObserver.h"

namespace quillon::test {

namespace {
const char* name(core::ListPage page)
{
    switch (page) {
    case core::ListPage::Hosts:
        return "Hosts";
    case core::ListPage::Wait:
        return "Wait";
    case core::ListPage::Trash:
        return "Trash";
    }
    return "?";
}
std::string range(int first, int last) { return std::to_string(first) + "-" + std::to_string(last); }
} // namespace

void RecordingObserver::rowsAboutToBeInserted(core::ListPage page, int first, int last)
{
    unpaired |= !m_open.empty();
    m_open = std::string("ins ") + name(page);
    log.push_back(m_open + " " + range(first, last));
}

void RecordingObserver::rowsInserted(core::ListPage page)
{
    unpaired |= m_open != std::string("ins ") + name(page);
    m_open.clear();
}

void RecordingObserver::rowsAboutToBeRemoved(core::ListPage page, int first, int last)
{
    unpaired |= !m_open.empty();
    m_open = std::string("rem ") + name(page);
    log.push_back(m_open + " " + range(first, last));
}

void RecordingObserver::rowsRemoved(core::ListPage page)
{
    unpaired |= m_open != std::string("rem ") + name(page);
    m_open.clear();
}

void RecordingObserver::rowsChanged(core::ListPage page, int first, int last)
{
    log.push_back(std::string("chg ") + name(page) + " " + range(first, last));
}

void RecordingObserver::aboutToReset(core::ListPage page)
{
    unpaired |= !m_open.empty();
    m_open = std::string("reset ") + name(page);
    log.push_back(m_open);
}

void RecordingObserver::reset(core::ListPage page)
{
    unpaired |= m_open != std::string("reset ") + name(page);
    m_open.clear();
}

} // namespace quillon::test
