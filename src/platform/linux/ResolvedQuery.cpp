#include "platform/linux/ResolvedQuery.h"

#include <systemd/sd-bus.h>

#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

namespace quillon::platform {

namespace {

constexpr const char* ResolvedName = "org.freedesktop.resolve1";

struct BusClose {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
using Bus = std::unique_ptr<sd_bus, BusClose>;

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

class BusError {
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&m_error); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* get() { return &m_error; }
    std::string_view name() const { return m_error.name ? m_error.name : ""; }

private:
    sd_bus_error m_error {}; // SD_BUS_ERROR_NULL: all empty
};

Bus openBus(const std::string& address)
{
    sd_bus* raw = nullptr;
    if (address.empty())
        return Bus(sd_bus_open_system(&raw) >= 0 ? raw : nullptr);
    if (sd_bus_new(&raw) < 0)
        return {};
    Bus bus(raw);
    if (sd_bus_set_address(raw, address.c_str()) < 0 || sd_bus_set_bus_client(raw, 1) < 0 || sd_bus_start(raw) < 0)
        return {};
    return bus;
}

bool nameHasOwner(sd_bus* bus)
{
    BusError error;
    sd_bus_message* raw = nullptr;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", error.get(), &raw, "s", ResolvedName)
        < 0)
        return false;
    Message reply(raw);
    int owned = 0;
    return sd_bus_message_read(raw, "b", &owned) >= 0 && owned != 0;
}

// The classic number for a failed call: resolved's own errors, and the
// bus's when resolved did not answer at all.
int errorNumber(std::string_view name, int result)
{
    constexpr std::string_view TryAgain[] = {
        "org.freedesktop.resolve1.DnsError.SERVFAIL",
        "org.freedesktop.resolve1.NoNameServers",
        "org.freedesktop.resolve1.NetworkDown",
        "org.freedesktop.resolve1.Aborted",
        "org.freedesktop.DBus.Error.Timeout",
        "org.freedesktop.DBus.Error.NoReply",
        "org.freedesktop.DBus.Error.Disconnected",
        // Resolved stopped between the check and the question.
        "org.freedesktop.DBus.Error.ServiceUnknown",
        "org.freedesktop.DBus.Error.NameHasNoOwner",
    };
    if (name == "org.freedesktop.resolve1.DnsError.NXDOMAIN")
        return ErrorHostNotFound;
    if (name == "org.freedesktop.resolve1.NoSuchRR")
        return ErrorNoData;
    for (std::string_view transient : TryAgain) {
        if (name == transient)
            return ErrorTryAgain;
    }
    if (name.empty() && (result == -ETIMEDOUT || result == -ECONNRESET || result == -ENOTCONN))
        return ErrorTryAgain;
    return ErrorNoRecovery;
}

ForwardAnswer resolveHostname(sd_bus* bus, const std::string& name)
{
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus, &raw, ResolvedName, "/org/freedesktop/resolve1",
                                       "org.freedesktop.resolve1.Manager", "ResolveHostname")
        < 0)
        return { {}, ErrorNoRecovery };
    Message call(raw);
    // Only a running resolved answers: a question must not start it.
    if (sd_bus_message_set_auto_start(raw, 0) < 0
        || sd_bus_message_append(raw, "isit", 0, name.c_str(), AF_INET, ResolvedNoSynthesize | ResolvedNoSearch) < 0)
        return { {}, ErrorNoRecovery };

    BusError error;
    sd_bus_message* rawReply = nullptr;
    // The default time-out (25 s) outlasts resolved's own attempts, which
    // end in an answer of their own.
    const int called = sd_bus_call(bus, raw, 0, error.get(), &rawReply);
    if (called < 0)
        return { {}, errorNumber(error.name(), called) };
    Message reply(rawReply);

    ForwardAnswer answer;
    if (sd_bus_message_enter_container(rawReply, 'a', "(iiay)") < 0)
        return { {}, ErrorNoRecovery };
    int entered = 0;
    while ((entered = sd_bus_message_enter_container(rawReply, 'r', "iiay")) > 0) {
        std::int32_t ifindex = 0;
        std::int32_t family = 0;
        const void* bytes = nullptr;
        std::size_t size = 0;
        if (sd_bus_message_read(rawReply, "ii", &ifindex, &family) < 0
            || sd_bus_message_read_array(rawReply, 'y', &bytes, &size) < 0
            || sd_bus_message_exit_container(rawReply) < 0)
            return { {}, ErrorNoRecovery };
        if (family == AF_INET && size == 4) {
            IPv4 address;
            std::memcpy(address.data(), bytes, 4);
            answer.addresses.push_back(address);
        }
    }
    if (entered < 0)
        return { {}, ErrorNoRecovery };
    if (answer.addresses.empty())
        answer.error = ErrorNoData;
    return answer;
}

} // namespace

bool resolvedIsRunning(const std::string& busAddress)
{
    const Bus bus = openBus(busAddress);
    return bus && nameHasOwner(bus.get());
}

ResolvedQuery::ResolvedQuery(std::string busAddress) : m_busAddress(std::move(busAddress)) { }

ForwardAnswer ResolvedQuery::ask(const std::string& name)
{
    const Bus bus = openBus(m_busAddress);
    if (!bus)
        return { {}, ErrorTryAgain };
    return resolveHostname(bus.get(), name);
}

std::optional<ForwardAnswer> ResolvedQuery::askIfRunning(const std::string& name)
{
    const Bus bus = openBus(m_busAddress);
    if (!bus || !nameHasOwner(bus.get()))
        return std::nullopt;
    return resolveHostname(bus.get(), name);
}

} // namespace quillon::platform
