#include "platform/linux/NameServerQuery.h"

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

constexpr std::string_view SystemdStub = "127.0.0.53";

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

std::vector<std::string> nameServersToAsk(std::string_view resolvConf, std::string_view stubUpstreams)
{
    std::vector<std::string> servers = serversIn(resolvConf);
    if (servers.size() == 1 && servers.front() == SystemdStub) {
        if (std::vector<std::string> upstream = serversIn(stubUpstreams); !upstream.empty())
            return upstream;
    }
    return servers;
}

NameServerQuery::NameServerQuery(std::string resolvConf, std::string stubUpstreams, int port)
    : m_resolvConf(std::move(resolvConf))
    , m_stubUpstreams(std::move(stubUpstreams))
    , m_port(port)
{
}

ForwardAnswer NameServerQuery::ask(const std::string& name)
{
    const std::vector<std::string> servers = nameServersToAsk(readText(m_resolvConf), readText(m_stubUpstreams));
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

    unsigned char reply[4096];
    const int size = res_nquery(&state, name.c_str(), ns_c_in, ns_t_a, reply, sizeof reply);
    ForwardAnswer answer;
    if (size < 0) {
        answer.error = lookupError(state.res_h_errno);
        res_nclose(&state);
        return answer;
    }
    ns_msg message;
    if (ns_initparse(reply, size, &message) == 0) {
        for (int i = 0; i < ns_msg_count(message, ns_s_an); ++i) {
            ns_rr record;
            if (ns_parserr(&message, ns_s_an, i, &record) == 0 && ns_rr_type(record) == ns_t_a
                && ns_rr_rdlen(record) == 4) {
                IPv4 a;
                std::memcpy(a.data(), ns_rr_rdata(record), 4);
                answer.addresses.push_back(a);
            }
        }
    }
    if (answer.addresses.empty())
        answer.error = ErrorNoData;
    res_nclose(&state);
    return answer;
}

} // namespace quillon::platform
