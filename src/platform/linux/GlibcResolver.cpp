#include "platform/linux/GlibcResolver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <vector>

namespace quillon::platform {

int lookupError(int herr)
{
    switch (herr) {
    case HOST_NOT_FOUND:
        return ErrorHostNotFound;
    case TRY_AGAIN:
        return ErrorTryAgain;
    case NO_DATA:
        return ErrorNoData;
    default:
        return ErrorNoRecovery;
    }
}

int reverseLookupError(int herr)
{
    // An address without a name record: glibc says the host was not found,
    // where the classic interface says the name is valid but has no data.
    return herr == HOST_NOT_FOUND ? ErrorNoData : lookupError(herr);
}

namespace {

// Runs one of the reentrant lookups, growing its buffer while it asks for
// more room. lookup(buffer, size, result, herr) returns the call's result.
template <typename Lookup>
hostent* callGrowingBuffer(std::vector<char>& buffer, hostent*& result, int& herr, Lookup&& lookup)
{
    buffer.resize(8192);
    for (;;) {
        const int rc = lookup(buffer.data(), buffer.size(), &result, &herr);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return result;
    }
}

IPv4 toIPv4(const void* bytes)
{
    IPv4 a {};
    std::memcpy(a.data(), bytes, 4);
    return a;
}

} // namespace

std::optional<IPv4> GlibcResolver::numericAddress(const std::string& text)
{
    // inet_addr's own rule, its all-ones failure value included.
    if (text.find('\0') != std::string::npos)
        return std::nullopt;
    const in_addr_t a = ::inet_addr(text.c_str());
    if (a == INADDR_NONE)
        return std::nullopt;
    return toIPv4(&a);
}

ForwardAnswer GlibcResolver::lookupName(const std::string& name)
{
    ForwardAnswer answer;
    if (name.find('\0') != std::string::npos) {
        answer.error = ErrorHostNotFound;
        return answer;
    }
    hostent entry {};
    hostent* result = nullptr;
    std::vector<char> buffer;
    int herr = 0;
    callGrowingBuffer(buffer, result, herr, [&](char* b, std::size_t size, hostent** r, int* e) {
        return ::gethostbyname_r(name.c_str(), &entry, b, size, r, e);
    });
    if (!result || result->h_addrtype != AF_INET || result->h_length != 4) {
        answer.error = result ? ErrorNoData : lookupError(herr);
        return answer;
    }
    for (char** p = result->h_addr_list; p && *p; ++p)
        answer.addresses.push_back(toIPv4(*p));
    if (answer.addresses.empty())
        answer.error = ErrorNoData;
    return answer;
}

ReverseAnswer GlibcResolver::lookupAddress(const IPv4& address)
{
    ReverseAnswer answer;
    hostent entry {};
    hostent* result = nullptr;
    std::vector<char> buffer;
    int herr = 0;
    callGrowingBuffer(buffer, result, herr, [&](char* b, std::size_t size, hostent** r, int* e) {
        return ::gethostbyaddr_r(address.data(), 4, AF_INET, &entry, b, size, r, e);
    });
    if (!result || !result->h_name) {
        answer.error = reverseLookupError(herr);
        return answer;
    }
    answer.name = result->h_name;
    return answer;
}

std::string GlibcResolver::localHostName()
{
    char buffer[64] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    return buffer;
}

} // namespace quillon::platform
