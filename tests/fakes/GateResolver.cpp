#include "fakes/GateResolver.h"

#include "platform/linux/GlibcResolver.h"

#include <chrono>
#include <cstdio>

namespace quillon::test {

namespace {
constexpr std::chrono::minutes SafetyWait { 1 };
}

void GateResolver::answer(const std::string& name, const std::string& dotted)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(dotted.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    const std::lock_guard lock(m_mutex);
    m_answers[name] = { static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(c),
                        static_cast<std::uint8_t>(d) };
}

void GateResolver::open()
{
    std::vector<std::pair<std::string, Answered>> waiting;
    std::vector<platform::ForwardAnswer> answers;
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        waiting.swap(m_waiting);
        for (const auto& [name, answered] : waiting)
            answers.push_back(scripted(name));
        m_returned += waiting.size();
        m_changed.notify_all();
    }
    for (std::size_t k = 0; k < waiting.size(); ++k)
        waiting[k].second(answers[k]);
}

void GateResolver::ask(const std::string& name, Answered answered)
{
    platform::ForwardAnswer answer;
    {
        const std::lock_guard lock(m_mutex);
        m_asked.push_back(name);
        m_changed.notify_all();
        if (!m_open) {
            m_waiting.emplace_back(name, std::move(answered));
            return;
        }
        answer = scripted(name);
        ++m_returned;
    }
    answered(std::move(answer));
}

platform::ForwardAnswer GateResolver::scripted(const std::string& name) const
{
    platform::ForwardAnswer result;
    if (const auto it = m_answers.find(name); it != m_answers.end())
        result.addresses = { it->second };
    else
        result.error = platform::ErrorHostNotFound;
    return result;
}

bool GateResolver::waitUntilAsked(std::size_t count)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, SafetyWait, [&] { return m_asked.size() >= count; });
}

bool GateResolver::waitUntilReturned(std::size_t count)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, SafetyWait, [&] { return m_returned >= count; });
}

std::vector<std::string> GateResolver::asked() const
{
    const std::lock_guard lock(m_mutex);
    return m_asked;
}

bool GateResolver::gaveUp() const
{
    const std::lock_guard lock(m_mutex);
    return m_gaveUp;
}

std::optional<platform::IPv4> GateResolver::numericAddress(const std::string& text)
{
    return platform::GlibcResolver().numericAddress(text);
}

platform::ForwardAnswer GateResolver::lookupName(const std::string& name)
{
    std::unique_lock lock(m_mutex);
    m_asked.push_back(name);
    m_changed.notify_all();
    if (!m_changed.wait_for(lock, SafetyWait, [&] { return m_open; }))
        m_gaveUp = true;
    const platform::ForwardAnswer result = scripted(name);
    ++m_returned;
    m_changed.notify_all();
    return result;
}

platform::ReverseAnswer GateResolver::lookupAddress(const platform::IPv4&)
{
    return { std::nullopt, platform::ErrorHostNotFound };
}

} // namespace quillon::test
