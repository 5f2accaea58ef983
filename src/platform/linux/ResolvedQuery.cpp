#include "platform/linux/ResolvedQuery.h"

#include <sys/socket.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

namespace quillon::platform {

namespace {

constexpr const char* ResolvedName = "org.freedesktop.resolve1";

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

sd_bus* openBus(const std::string& address)
{
    sd_bus* bus = nullptr;
    if (address.empty())
        return sd_bus_open_system(&bus) >= 0 ? bus : nullptr;
    if (sd_bus_new(&bus) < 0)
        return nullptr;
    if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
        sd_bus_close_unref(bus);
        return nullptr;
    }
    return bus;
}

// Whether the bus said that resolved is not on it: with bus activation off,
// it says so at once.
bool notOnTheBus(std::string_view name)
{
    return name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.NameHasNoOwner";
}

ForwardAnswer addressesOf(sd_bus_message* reply)
{
    ForwardAnswer answer;
    if (sd_bus_message_enter_container(reply, 'a', "(iiay)") < 0)
        return { {}, ErrorNoRecovery };
    int entered = 0;
    while ((entered = sd_bus_message_enter_container(reply, 'r', "iiay")) > 0) {
        std::int32_t ifindex = 0;
        std::int32_t family = 0;
        const void* bytes = nullptr;
        std::size_t size = 0;
        if (sd_bus_message_read(reply, "ii", &ifindex, &family) < 0
            || sd_bus_message_read_array(reply, 'y', &bytes, &size) < 0 || sd_bus_message_exit_container(reply) < 0)
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

int resolvedErrorNumber(std::string_view name)
{
    constexpr std::string_view TryAgain[] = {
        "org.freedesktop.resolve1.DnsError.SERVFAIL",
        "org.freedesktop.resolve1.NoNameServers",
        "org.freedesktop.resolve1.NetworkDown",
        "org.freedesktop.resolve1.Aborted",
        "org.freedesktop.DBus.Error.Timeout",
        "org.freedesktop.DBus.Error.NoReply",
        "org.freedesktop.DBus.Error.Disconnected",
    };
    if (name == "org.freedesktop.resolve1.DnsError.NXDOMAIN")
        return ErrorHostNotFound;
    if (name == "org.freedesktop.resolve1.NoSuchRR")
        return ErrorNoData;
    for (std::string_view transient : TryAgain) {
        if (name == transient)
            return ErrorTryAgain;
    }
    return ErrorNoRecovery;
}

ResolvedQuery::ResolvedQuery(std::string busAddress, std::shared_ptr<AsyncResolver> withoutResolved)
    : m_busAddress(std::move(busAddress))
    , m_withoutResolved(std::move(withoutResolved))
{
}

ResolvedQuery::~ResolvedQuery()
{
    closeBus(ErrorInterrupted);
}

void ResolvedQuery::start(PollLoop::Question question)
{
    if (!m_bus)
        m_bus = openBus(m_busAddress);
    if (!m_bus) {
        m_withoutResolved->ask(question.name, std::move(question.answered));
        return;
    }
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(m_bus, &raw, ResolvedName, "/org/freedesktop/resolve1",
                                       "org.freedesktop.resolve1.Manager", "ResolveHostname")
        < 0) {
        question.answered({ {}, ErrorNoRecovery });
        return;
    }
    const Message call(raw);
    // Only a running resolved answers: a question must not start it.
    if (sd_bus_message_set_auto_start(raw, 0) < 0
        || sd_bus_message_append(raw, "isit", 0, question.name.c_str(), AF_INET,
                                 ResolvedNoSynthesize | ResolvedNoSearch)
            < 0) {
        question.answered({ {}, ErrorNoRecovery });
        return;
    }
    auto pending = std::make_unique<Pending>(Pending { this, std::move(question) });
    // The default time-out (25 s) outlasts resolved's own attempts, which
    // end in an answer of their own.
    if (sd_bus_call_async(m_bus, nullptr, raw, &ResolvedQuery::replied, pending.get(), 0) < 0) {
        pending->question.answered({ {}, ErrorTryAgain });
        closeBus(ErrorTryAgain); // a connection that cannot send is gone
        return;
    }
    m_pending.insert(pending.release());
}

int ResolvedQuery::replied(sd_bus_message* reply, void* userdata, sd_bus_error*)
{
    std::unique_ptr<Pending> pending(static_cast<Pending*>(userdata));
    ResolvedQuery& self = *pending->owner;
    self.m_pending.erase(pending.get());
    PollLoop::Question& question = pending->question;
    if (sd_bus_message_is_method_error(reply, nullptr)) {
        const sd_bus_error* error = sd_bus_message_get_error(reply);
        const std::string_view name = error && error->name ? error->name : "";
        if (notOnTheBus(name))
            self.m_withoutResolved->ask(question.name, std::move(question.answered));
        else
            question.answered({ {}, resolvedErrorNumber(name) });
        return 0;
    }
    question.answered(addressesOf(reply));
    return 0;
}

int ResolvedQuery::watch(std::vector<pollfd>& fds)
{
    if (!m_bus)
        return -1;
    const int fd = sd_bus_get_fd(m_bus);
    const int events = sd_bus_get_events(m_bus);
    if (fd < 0 || events < 0)
        return 0; // broken: handle() finds out and closes it
    fds.push_back({ fd, static_cast<short>(events), 0 });
    std::uint64_t until = 0;
    if (sd_bus_get_timeout(m_bus, &until) < 0 || until == UINT64_MAX)
        return -1;
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowUs = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000;
    if (until <= nowUs)
        return 0;
    const std::uint64_t ms = (until - nowUs + 999) / 1000;
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

void ResolvedQuery::handle(const pollfd*, std::size_t)
{
    // Processed whatever the descriptor said: the calls' time-outs are due
    // on the clock, not on the socket.
    while (m_bus) {
        const int processed = sd_bus_process(m_bus, nullptr);
        if (processed < 0) {
            closeBus(ErrorTryAgain);
            return;
        }
        if (processed == 0)
            return;
    }
}

void ResolvedQuery::stop()
{
    closeBus(ErrorInterrupted);
}

void ResolvedQuery::closeBus(int error)
{
    // Answered first: closing the bus drops the calls' callbacks unrun.
    for (Pending* raw : std::set<Pending*>(std::move(m_pending))) {
        std::unique_ptr<Pending> pending(raw);
        pending->question.answered({ {}, error });
    }
    m_pending.clear();
    if (m_bus)
        sd_bus_close_unref(m_bus);
    m_bus = nullptr;
}

} // namespace quillon::platform
