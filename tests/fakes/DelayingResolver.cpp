#include "fakes/DelayingResolver.h"

#include "platform/linux/GlibcResolver.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>

namespace quillon::test {

DelayingResolver::DelayingResolver(unsigned seed, std::chrono::microseconds longestDelay)
    : m_random(seed)
    , m_longest(longestDelay)
{
}

DelayingResolver::~DelayingResolver()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_released.notify_all();
    }
    if (m_answering.joinable())
        m_answering.join();
    for (auto& question : std::exchange(m_questions, {}))
        question.second({ {}, platform::ErrorInterrupted });
}

void DelayingResolver::ask(const std::string& name, Answered answered)
{
    std::unique_lock lock(m_mutex);
    if (m_stopping) {
        lock.unlock();
        answered({ {}, platform::ErrorInterrupted });
        return;
    }
    m_questions.emplace_back(name, std::move(answered));
    m_mostInFlight = std::max(m_mostInFlight, m_questions.size() + (m_answeringOne ? 1 : 0));
    if (!m_answering.joinable())
        m_answering = std::thread([this] { answerQuestions(); });
    m_released.notify_all();
}

void DelayingResolver::answerQuestions()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        std::vector<std::size_t> ready;
        m_released.wait(lock, [&] {
            ready.clear();
            for (std::size_t k = 0; k < m_questions.size(); ++k) {
                if (mayAnswer(m_questions[k].first))
                    ready.push_back(k);
            }
            return m_stopping || !ready.empty();
        });
        if (m_stopping)
            return;
        const std::size_t k = ready[m_random() % ready.size()];
        auto [name, answered] = std::move(m_questions[k]);
        m_questions.erase(m_questions.begin() + static_cast<std::ptrdiff_t>(k));
        m_answeringOne = true;
        lock.unlock();
        platform::ForwardAnswer answer = lookupName(name);
        lock.lock();
        // Answered: no longer on its way when the answer asks the next name.
        m_answeringOne = false;
        m_delivering = true;
        lock.unlock();
        answered(std::move(answer));
        lock.lock();
        m_delivering = false;
        m_released.notify_all();
    }
}

std::string DelayingResolver::addressOf(const std::string& name)
{
    const std::size_t h = std::hash<std::string> {}(name);
    return "10." + std::to_string(h % 256) + "." + std::to_string(h / 256 % 256) + "." + std::to_string(h / 65536 % 254 + 1);
}

std::string DelayingResolver::nameOf(const std::string& dotted)
{
    return "host-" + dotted + ".lan";
}

void DelayingResolver::release()
{
    std::lock_guard lock(m_mutex);
    m_open = true;
    m_released.notify_all();
}

void DelayingResolver::settle()
{
    std::unique_lock lock(m_mutex);
    m_released.wait(lock, [this] { return m_questions.empty() && !m_answeringOne && !m_delivering; });
}

void DelayingResolver::endOfRun()
{
    std::lock_guard lock(m_mutex);
    m_runOver = true;
}

int DelayingResolver::lateCompletions() const
{
    std::lock_guard lock(m_mutex);
    return m_late;
}

std::vector<std::string> DelayingResolver::lookups() const
{
    std::lock_guard lock(m_mutex);
    return m_lookups;
}

int DelayingResolver::lookupsOn(std::thread::id thread) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count(m_threads.begin(), m_threads.end(), thread));
}

std::size_t DelayingResolver::mostInFlight() const
{
    std::lock_guard lock(m_mutex);
    return m_mostInFlight;
}

void DelayingResolver::arrive(const std::string& key)
{
    std::unique_lock lock(m_mutex);
    m_lookups.push_back(key);
    m_threads.push_back(std::this_thread::get_id());
    const auto delay = std::chrono::microseconds(
        std::uniform_int_distribution<long long>(0, m_longest.count())(m_random));
    if (held && held(key))
        m_released.wait(lock, [this] { return m_open; });
    lock.unlock();
    std::this_thread::sleep_for(delay);
}

void DelayingResolver::finish()
{
    std::lock_guard lock(m_mutex);
    if (m_runOver)
        ++m_late;
}

std::optional<platform::IPv4> DelayingResolver::numericAddress(const std::string& text)
{
    return platform::GlibcResolver().numericAddress(text);
}

platform::ForwardAnswer DelayingResolver::lookupName(const std::string& name)
{
    arrive(name);
    platform::ForwardAnswer answer;
    if (const auto it = failing.find(name); it != failing.end())
        answer.error = it->second;
    else
        answer.addresses = { *numericAddress(addressOf(name)) };
    finish();
    return answer;
}

platform::ReverseAnswer DelayingResolver::lookupAddress(const platform::IPv4& address)
{
    const std::string dotted = std::to_string(address[0]) + "." + std::to_string(address[1]) + "."
        + std::to_string(address[2]) + "." + std::to_string(address[3]);
    arrive(dotted);
    platform::ReverseAnswer answer;
    if (const auto it = reverseFailing.find(dotted); it != reverseFailing.end())
        answer.error = it->second;
    else
        answer.name = nameOf(dotted);
    finish();
    return answer;
}

} // namespace quillon::test
