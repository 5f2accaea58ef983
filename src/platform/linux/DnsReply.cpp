#include "platform/linux/DnsReply.h"

#include <arpa/nameser.h>
#include <resolv.h>

#include <cstring>
#include <string>

namespace quillon::platform {

namespace {

constexpr int MaxChainLinks = 16;

// Names as the reply spells them, compared without letter case and without
// a final dot.
bool sameName(std::string_view a, std::string_view b)
{
    if (a.ends_with('.'))
        a.remove_suffix(1);
    if (b.ends_with('.'))
        b.remove_suffix(1);
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x >= 'A' && x <= 'Z' ? x + 32 : x) != (y >= 'A' && y <= 'Z' ? y + 32 : y))
            return false;
    }
    return true;
}

} // namespace

ForwardAnswer addressesInReply(const unsigned char* reply, std::size_t size, std::string_view name)
{
    ForwardAnswer answer;
    answer.error = ErrorNoData;
    if (size > NS_MAXMSG)
        return answer;
    ns_msg message;
    if (ns_initparse(reply, static_cast<int>(size), &message) != 0)
        return answer;
    const int count = ns_msg_count(message, ns_s_an);
    // Follow the CNAME chain from the asked name to its end; the records may
    // stand in any order.
    std::string owner(name);
    for (int link = 0; link < MaxChainLinks; ++link) {
        bool followed = false;
        for (int i = 0; i < count && !followed; ++i) {
            ns_rr record;
            if (ns_parserr(&message, ns_s_an, i, &record) != 0)
                return answer;
            if (ns_rr_type(record) != ns_t_cname || !sameName(ns_rr_name(record), owner))
                continue;
            char target[NS_MAXDNAME];
            if (ns_name_uncompress(ns_msg_base(message), ns_msg_end(message), ns_rr_rdata(record), target,
                                   sizeof target)
                < 0)
                return answer;
            owner = target;
            followed = true;
        }
        if (!followed)
            break;
    }
    for (int i = 0; i < count; ++i) {
        ns_rr record;
        if (ns_parserr(&message, ns_s_an, i, &record) != 0)
            return { {}, ErrorNoData };
        if (ns_rr_type(record) == ns_t_a && ns_rr_class(record) == ns_c_in && ns_rr_rdlen(record) == 4
            && sameName(ns_rr_name(record), owner)) {
            IPv4 a;
            std::memcpy(a.data(), ns_rr_rdata(record), 4);
            answer.addresses.push_back(a);
        }
    }
    if (!answer.addresses.empty())
        answer.error = 0;
    return answer;
}

ForwardAnswer addressesForQuestion(const unsigned char* reply, std::size_t size)
{
    ns_msg message;
    ns_rr question;
    if (size > NS_MAXMSG || ns_initparse(reply, static_cast<int>(size), &message) != 0
        || ns_msg_count(message, ns_s_qd) < 1 || ns_parserr(&message, ns_s_qd, 0, &question) != 0)
        return { {}, ErrorNoData };
    return addressesInReply(reply, size, ns_rr_name(question));
}

} // namespace quillon::platform
