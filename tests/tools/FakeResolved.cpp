// A stand-in for systemd-resolved on a private bus, for tests: owns
// org.freedesktop.resolve1 and answers Manager.ResolveHostname from a table.
//
//   fake_resolved BUS_ADDRESS [NAME=ANSWER ...]
//
// ANSWER is a list of addresses separated by commas, IPv4 or IPv6, given
// back in that order each with its own family; or !ERROR to fail with the
// D-Bus error ERROR (org.freedesktop.resolve1.NoSuchRR, ...). Other names
// fail with DnsError.NXDOMAIN. Letter case and a final dot are ignored.
// A question that resolved could answer from /etc/hosts or a search domain
// (no NO_SYNTHESIZE or NO_SEARCH flag), or asks for another family than
// AF_INET or on one interface only, is refused with
// org.quillon.FakeResolved.Refused. Prints "READY" once it owns the name;
// ends on SIGTERM or when the bus goes away.

#include <systemd/sd-bus.h>

#include <arpa/inet.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t NoSearch = std::uint64_t { 1 } << 8;
constexpr std::uint64_t NoSynthesize = std::uint64_t { 1 } << 11;
constexpr std::uint64_t AnsweredByDns = std::uint64_t { 1 } << 0;

struct Address {
    int family = AF_INET;
    unsigned char bytes[16] = {};
    std::size_t size = 4;
};

struct Entry {
    std::vector<Address> addresses;
    std::string error; // empty: the addresses are the answer
};

using Table = std::map<std::string, Entry>;

std::string folded(std::string name)
{
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name;
}

bool parseEntry(const std::string& argument, Table& table)
{
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    Entry entry;
    std::string answer = argument.substr(equals + 1);
    if (!answer.empty() && answer.front() == '!') {
        entry.error = answer.substr(1);
    } else {
        std::size_t start = 0;
        while (start <= answer.size()) {
            const std::size_t comma = std::min(answer.find(',', start), answer.size());
            const std::string text = answer.substr(start, comma - start);
            Address a;
            if (::inet_pton(AF_INET, text.c_str(), a.bytes) == 1) {
                a.family = AF_INET;
                a.size = 4;
            } else if (::inet_pton(AF_INET6, text.c_str(), a.bytes) == 1) {
                a.family = AF_INET6;
                a.size = 16;
            } else {
                return false;
            }
            entry.addresses.push_back(a);
            start = comma + 1;
        }
    }
    table[folded(argument.substr(0, equals))] = entry;
    return true;
}

int resolveHostname(sd_bus_message* call, void* userdata, sd_bus_error* error)
{
    const Table& table = *static_cast<const Table*>(userdata);
    std::int32_t ifindex = 0;
    const char* name = nullptr;
    std::int32_t family = 0;
    std::uint64_t flags = 0;
    if (const int r = sd_bus_message_read(call, "isit", &ifindex, &name, &family, &flags); r < 0)
        return r;
    if (ifindex != 0 || family != AF_INET || (flags & (NoSynthesize | NoSearch)) != (NoSynthesize | NoSearch))
        return sd_bus_error_setf(error, "org.quillon.FakeResolved.Refused",
                                 "refused: ifindex %" PRId32 ", family %" PRId32 ", flags %#" PRIx64, ifindex, family,
                                 flags);
    const auto found = table.find(folded(name));
    if (found == table.end())
        return sd_bus_error_setf(error, "org.freedesktop.resolve1.DnsError.NXDOMAIN", "'%s' not found", name);
    if (!found->second.error.empty())
        return sd_bus_error_setf(error, found->second.error.c_str(), "'%s' failed as told", name);

    sd_bus_message* raw = nullptr;
    if (const int r = sd_bus_message_new_method_return(call, &raw); r < 0)
        return r;
    const std::unique_ptr<sd_bus_message, sd_bus_message* (*)(sd_bus_message*)> reply(raw, sd_bus_message_unref);
    int r = sd_bus_message_open_container(raw, 'a', "(iiay)");
    for (const Address& a : found->second.addresses) {
        if (r >= 0)
            r = sd_bus_message_open_container(raw, 'r', "iiay");
        if (r >= 0)
            r = sd_bus_message_append(raw, "ii", 1, a.family);
        if (r >= 0)
            r = sd_bus_message_append_array(raw, 'y', a.bytes, a.size);
        if (r >= 0)
            r = sd_bus_message_close_container(raw);
    }
    if (r >= 0)
        r = sd_bus_message_close_container(raw);
    if (r >= 0)
        r = sd_bus_message_append(raw, "st", name, AnsweredByDns);
    if (r >= 0)
        r = sd_bus_send(nullptr, raw, nullptr);
    return r;
}

const sd_bus_vtable ManagerTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("ResolveHostname", "isit", "a(iiay)st", resolveHostname, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: fake_resolved BUS_ADDRESS [NAME=ANSWER ...]\n");
        return 2;
    }
    Table table;
    for (int i = 2; i < argc; ++i) {
        if (!parseEntry(argv[i], table)) {
            std::fprintf(stderr, "fake_resolved: cannot read %s\n", argv[i]);
            return 2;
        }
    }
    sd_bus* raw = nullptr;
    if (sd_bus_new(&raw) < 0)
        return 1;
    const std::unique_ptr<sd_bus, sd_bus* (*)(sd_bus*)> bus(raw, sd_bus_flush_close_unref);
    int r = sd_bus_set_address(raw, argv[1]);
    if (r >= 0)
        r = sd_bus_set_bus_client(raw, 1);
    if (r >= 0)
        r = sd_bus_start(raw);
    if (r >= 0)
        r = sd_bus_add_object_vtable(raw, nullptr, "/org/freedesktop/resolve1", "org.freedesktop.resolve1.Manager",
                                     ManagerTable, &table);
    if (r >= 0)
        r = sd_bus_request_name(raw, "org.freedesktop.resolve1", 0);
    if (r < 0) {
        std::fprintf(stderr, "fake_resolved: cannot serve on %s: %s\n", argv[1], std::strerror(-r));
        return 1;
    }
    std::printf("READY\n");
    std::fflush(stdout);
    for (;;) {
        r = sd_bus_process(raw, nullptr);
        if (r < 0)
            break;
        if (r > 0)
            continue;
        r = sd_bus_wait(raw, UINT64_MAX);
        if (r < 0 && r != -EINTR)
            break;
    }
    return 0;
}
