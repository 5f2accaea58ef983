#include "fakes/FakeResolver.h"

#include "platform/linux/GlibcResolver.h"

#include <cstdio>

namespace quillon::test {

namespace {
platform::IPv4 parseDotted(const std::string& dotted)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(dotted.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    return { static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(c),
             static_cast<std::uint8_t>(d) };
}
std::string dotted(const platform::IPv4& a)
{
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." + std::to_string(a[3]);
}
} // namespace

void FakeResolver::answer(const std::string& name, const std::string& address)
{
    names[name] = Answer { { parseDotted(address) }, 0 };
}

void FakeResolver::fail(const std::string& name, int error)
{
    names[name] = Answer { {}, error };
}

std::optional<platform::IPv4> FakeResolver::numericAddress(const std::string& text)
{
    platform::GlibcResolver real;
    return real.numericAddress(text);
}

platform::ForwardAnswer FakeResolver::lookupName(const std::string& name)
{
    std::lock_guard lock(m_mutex);
    lookups.push_back(name);
    if (duringLookup)
        duringLookup(name);
    platform::ForwardAnswer result;
    const auto it = names.find(name);
    if (it != names.end()) {
        result.addresses = it->second.addresses;
        result.error = it->second.addresses.empty() ? it->second.error : 0;
    } else if (resolveEverything) {
        result.addresses = { platform::IPv4 { 10, 9, 8, 7 } };
    } else {
        result.error = platform::ErrorHostNotFound;
    }
    return result;
}

platform::ReverseAnswer FakeResolver::lookupAddress(const platform::IPv4& address)
{
    std::lock_guard lock(m_mutex);
    platform::ReverseAnswer result;
    const std::string key = dotted(address);
    if (const auto e = reverseErrors.find(key); e != reverseErrors.end()) {
        result.error = e->second;
        return result;
    }
    if (const auto it = reverse.find(key); it != reverse.end())
        result.name = it->second;
    else
        result.error = platform::ErrorHostNotFound;
    return result;
}

} // namespace quillon::test
