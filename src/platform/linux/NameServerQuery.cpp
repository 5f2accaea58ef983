#include "platform/linux/NameServerQuery.h"

#include "platform/linux/DnsReply.h"
#include "platform/linux/GlibcResolver.h"

#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <netdb.h>
#include <netinet/in.h>
#include <resolv.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quillon::platform {

namespace {

// The largest DNS message, as TCP's two-byte length allows it.
constexpr std::size_t LargestReply = 65536;

std::vector<std::string> serversIn(std::string_view text)
{
    std::vector<std::string> servers;
    std::istringstream lines { std::string(text) };
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string keyword;
        std::string address;
        in_addr ignored {};
        if (words >> keyword >> address && keyword == "nameserver" && ::inet_pton(AF_INET, address.c_str(), &ignored) == 1)
            servers.push_back(address);
    }
    return servers;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

} // namespace

std::vector<std::string> nameServersToAsk(std::string_view resolvConf)
{
    return serversIn(resolvConf);
}

NameServerQuery::NameServerQuery(std::string resolvConf, int port)
    : m_resolvConf(std::move(resolvConf))
    , m_port(port)
{
}

ForwardAnswer NameServerQuery::ask(const std::string& name)
{
    const std::vector<std::string> servers = nameServersToAsk(readText(m_resolvConf));
    if (servers.empty())
        return { {}, ErrorNoRecovery };
    // A state of this question's own: res_nquery is safe on any thread with
    // it, and its servers are ours, not those res_ninit read.
    struct __res_state state;
    std::memset(&state, 0, sizeof state);
    if (res_ninit(&state) != 0)
        return { {}, ErrorNoRecovery };
    state.nscount = 0;
    for (const std::string& server : servers) {
        if (state.nscount == MAXNS)
            break;
        sockaddr_in& address = state.nsaddr_list[state.nscount];
        address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(m_port));
        ::inet_pton(AF_INET, server.c_str(), &address.sin_addr);
        ++state.nscount;
    }
    state.retrans = 2;
    state.retry = 2;
    state.options &= ~static_cast<unsigned long>(RES_DNSRCH | RES_DEFNAMES); // the name as it is

    // res_nquery gives the whole reply's length, even where that is more
    // than the buffer holds (a long answer over TCP); a buffer of the
    // largest message keeps it whole, and a length past it is refused.
    std::vector<unsigned char> reply(LargestReply);
    const int size = res_nquery(&state, name.c_str(), ns_c_in, ns_t_a, reply.data(), static_cast<int>(reply.size()));
    ForwardAnswer answer;
    if (size < 0)
        answer.error = lookupError(state.res_h_errno);
    else if (static_cast<std::size_t>(size) > reply.size())
        answer.error = ErrorTryAgain;
    else
        answer = addressesInReply(reply.data(), static_cast<std::size_t>(size), name);
    res_nclose(&state);
    return answer;
}

} // namespace quillon::platform
