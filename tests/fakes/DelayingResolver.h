#pragma once
// A resolver safe to call from many threads at once, for the look-ahead: each
// name's answer is fixed by the script (an address made from the name, or a
// failure number), while each lookup takes a random time from a seeded
// generator, so that workers finish in an order of their own. Lookups of
// held names wait until release(). Every lookup is recorded with its thread,
// and completions after endOfRun() count as late.
//
// As an asynchronous resolver it answers on one thread of its own, as a
// real one does: each time it takes one of the questions waiting, picked at
// random, so that answers come in an order of their own; a held name's
// question waits, without holding up the others, until release().
// Destroying it answers what is left with ErrorInterrupted.

#include "platform/AsyncResolver.h"
#include "platform/Resolver.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace quillon::test {

class DelayingResolver final : public platform::Resolver, public platform::AsyncResolver {
public:
    DelayingResolver(unsigned seed, std::chrono::microseconds longestDelay);
    ~DelayingResolver() override;

    // Script, set before any lookup: failures by name (forward) and by
    // dotted address (reverse); every other name resolves to addressOf(name),
    // every other address to nameOf(address).
    std::map<std::string, int> failing;
    std::map<std::string, int> reverseFailing;
    // Lookups of names (or dotted addresses) it accepts wait for release().
    std::function<bool(const std::string&)> held;

    static std::string addressOf(const std::string& name);
    static std::string nameOf(const std::string& dotted);

    void release();
    // Waits until every question asked so far (held ones released) is answered.
    void settle();
    void endOfRun();
    int lateCompletions() const;
    std::vector<std::string> lookups() const;
    // How many lookups ran on the given thread.
    int lookupsOn(std::thread::id thread) const;
    // The most questions it held at once, waiting or being answered.
    std::size_t mostInFlight() const;

    std::optional<platform::IPv4> numericAddress(const std::string& text) override;
    platform::ForwardAnswer lookupName(const std::string& name) override;
    platform::ReverseAnswer lookupAddress(const platform::IPv4& address) override;
    std::string localHostName() override { return "testhost"; }
    void ask(const std::string& name, Answered answered) override;

private:
    void answerQuestions();
    // Whether a waiting question may be answered now (under m_mutex).
    bool mayAnswer(const std::string& name) const { return m_open || !held || !held(name); }

    // Records the lookup and waits its time (and for release when held).
    void arrive(const std::string& key);
    void finish();

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    std::mt19937 m_random;
    std::chrono::microseconds m_longest;
    bool m_open = false;
    bool m_runOver = false;
    int m_late = 0;
    std::vector<std::string> m_lookups;
    std::vector<std::thread::id> m_threads;
    std::vector<std::pair<std::string, Answered>> m_questions; // waiting
    bool m_stopping = false;
    bool m_answeringOne = false; // looking one up
    bool m_delivering = false;   // handing its answer over
    std::size_t m_mostInFlight = 0;
    std::thread m_answering;
};

} // namespace quillon::test
