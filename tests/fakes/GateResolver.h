#pragma once
// A resolver whose name lookups wait at a gate until the test opens it, then
// answer from a script (an address per name; other names are not found).
// Safe to call from any thread: it stands for the system's resolver under
// lookups made off the window's thread. A gate still shut after a minute
// opens by itself and says so (gaveUp), so that a test that should not have
// waited fails rather than hangs.
//
// As an asynchronous resolver, its questions wait without a thread: open()
// answers those asked so far, on the test's thread; once it is open, every
// question is answered at once.

#include "platform/AsyncResolver.h"
#include "platform/Resolver.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace quillon::test {

class GateResolver final : public platform::Resolver, public platform::AsyncResolver {
public:
    // Scripted before the lookups start.
    void answer(const std::string& name, const std::string& dotted);

    void open();
    // Waits until count lookups have started (or returned); false when they
    // did not within the safety minute.
    bool waitUntilAsked(std::size_t count);
    bool waitUntilReturned(std::size_t count);
    std::vector<std::string> asked() const;
    bool gaveUp() const;

    std::optional<platform::IPv4> numericAddress(const std::string& text) override;
    platform::ForwardAnswer lookupName(const std::string& name) override;
    platform::ReverseAnswer lookupAddress(const platform::IPv4& address) override;
    std::string localHostName() override { return "testhost"; }
    void ask(const std::string& name, Answered answered) override;

private:
    platform::ForwardAnswer scripted(const std::string& name) const; // under m_mutex

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, platform::IPv4> m_answers;
    std::vector<std::string> m_asked;
    std::vector<std::pair<std::string, Answered>> m_waiting; // asked, the gate shut
    std::size_t m_returned = 0;
    bool m_open = false;
    bool m_gaveUp = false;
};

} // namespace quillon::test
