#include "platform/linux/CaresQuestions.h"

#include "platform/linux/DnsReply.h"

#include <arpa/nameser.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

namespace quillon::platform {

namespace {

constexpr int ReceiveBuffer = 2 * 1024 * 1024;
// Fresh answers wait two seconds twice, as the C library's res_query was set.
constexpr ResolvTimeouts NameServerTimeouts { 2000, 2 };

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

} // namespace

ResolvTimeouts resolvTimeouts(std::string_view resolvConf)
{
    ResolvTimeouts timeouts;
    std::istringstream lines { std::string(resolvConf) };
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string word;
        if (!(words >> word) || word != "options")
            continue;
        while (words >> word) {
            // The C library's own bounds: 30 s a try, 5 attempts.
            const auto number = [&word](std::size_t from, int most) {
                const int n = std::atoi(word.c_str() + from);
                return n < 1 ? 1 : n > most ? most : n;
            };
            if (word.starts_with("timeout:"))
                timeouts.timeoutMs = number(8, 30) * 1000;
            else if (word.starts_with("attempts:"))
                timeouts.tries = number(9, 5);
        }
    }
    return timeouts;
}

int caresError(int status)
{
    switch (status) {
    case ARES_ENOTFOUND:
    case ARES_EBADNAME:
        return ErrorHostNotFound;
    case ARES_ENODATA:
        return ErrorNoData;
    case ARES_ESERVFAIL:
    case ARES_ETIMEOUT:
    case ARES_ECONNREFUSED:
    case ARES_ENOMEM:
        return ErrorTryAgain;
    case ARES_EDESTRUCTION:
    case ARES_ECANCELLED:
        return ErrorInterrupted;
    default:
        return ErrorNoRecovery;
    }
}

CaresQuestions::CaresQuestions(CaresSettings settings)
    : m_settings(std::move(settings))
    , m_hosts(m_settings.hostsFile)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { ares_library_init(ARES_LIB_INIT_ALL); });
}

CaresQuestions::~CaresQuestions()
{
    close();
}

bool CaresQuestions::open()
{
    const bool system = m_settings.source == CaresSettings::Source::System;
    ares_options options {};
    int mask = ARES_OPT_SOCK_STATE_CB | ARES_OPT_RESOLVCONF | ARES_OPT_UDP_PORT | ARES_OPT_TCP_PORT
        | ARES_OPT_SOCK_RCVBUF;
    // A thousand replies may come in one burst on the one UDP socket; the
    // system's default buffer holds a few hundred, and a reply dropped there
    // is a name that waits for its time-out (the kernel caps the size).
    options.socket_receive_buffer_size = ReceiveBuffer;
    options.sock_state_cb = &CaresQuestions::socketState;
    options.sock_state_cb_data = this;
    std::string resolvConf = m_settings.resolvConf;
    options.resolvconf_path = resolvConf.data();
    options.udp_port = static_cast<unsigned short>(m_settings.port);
    options.tcp_port = static_cast<unsigned short>(m_settings.port);
    // c-ares reads neither "timeout:" nor "attempts:" (only BSD's words),
    // and would wait 5 s four times, doubling, where the C library waits
    // 5 s twice: an unanswered name would hold a run for over a minute.
    const ResolvTimeouts timeouts = system ? resolvTimeouts(readText(m_settings.resolvConf)) : NameServerTimeouts;
    mask |= ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES;
    options.timeout = timeouts.timeoutMs;
    options.tries = timeouts.tries;
    char dnsOnly[] = "b";
    if (!system) {
        mask |= ARES_OPT_LOOKUPS;
        options.lookups = dnsOnly;
    }
    if (ares_init_options(&m_channel, &options, mask) != ARES_SUCCESS) {
        m_channel = nullptr;
        return false;
    }
    // The order nsswitch.conf gives the hosts file and DNS, as c-ares read it.
    m_lookups.clear();
    ares_options saved {};
    int savedMask = 0;
    if (ares_save_options(m_channel, &saved, &savedMask) == ARES_SUCCESS) {
        for (const char* c = saved.lookups; c && *c; ++c) {
            if ((*c == 'f' && system && !m_settings.hostsFile.empty()) || *c == 'b')
                m_lookups += *c;
        }
        ares_destroy_options(&saved);
    }
    if (m_lookups.empty())
        m_lookups = system && !m_settings.hostsFile.empty() ? "fb" : "b";
    return true;
}

void CaresQuestions::close()
{
    if (!m_channel)
        return;
    ares_destroy(m_channel); // answers what it still holds (ARES_EDESTRUCTION)
    m_channel = nullptr;
    m_sockets.clear();
}

void CaresQuestions::start(PollLoop::Question question)
{
    auto pending = std::make_unique<Pending>(Pending { this, std::move(question) });
    // The order of sources is the channel's: a batch's first question opens it.
    if (!m_channel && !open()) {
        pending->question.answered({ {}, ErrorTryAgain });
        return;
    }
    next(std::move(pending));
}

void CaresQuestions::next(std::unique_ptr<Pending> pending)
{
    while (pending->source < m_lookups.size()) {
        const char source = m_lookups[pending->source++];
        if (source == 'f') {
            std::vector<IPv4> addresses = m_hosts.lookup(pending->question.name);
            if (!addresses.empty()) {
                pending->question.answered({ std::move(addresses), 0 });
                return;
            }
            pending->error = ErrorHostNotFound;
            continue;
        }
        if (!m_channel) {
            pending->error = ErrorTryAgain;
            continue;
        }
        ++m_held;
        Pending* raw = pending.release();
        const char* name = raw->question.name.c_str();
        if (m_settings.source == CaresSettings::Source::System)
            ares_search(m_channel, name, ns_c_in, ns_t_a, &CaresQuestions::replied, raw);
        else
            ares_query(m_channel, name, ns_c_in, ns_t_a, &CaresQuestions::replied, raw);
        return;
    }
    pending->question.answered({ {}, pending->error });
}

void CaresQuestions::replied(void* arg, int status, int, unsigned char* reply, int length)
{
    std::unique_ptr<Pending> pending(static_cast<Pending*>(arg));
    CaresQuestions& self = *pending->owner;
    --self.m_held;
    const int error = caresError(status);
    if (error == ErrorInterrupted) {
        pending->question.answered({ {}, ErrorInterrupted });
        return;
    }
    if (status == ARES_SUCCESS && reply && length > 0) {
        ForwardAnswer answer = addressesForQuestion(reply, static_cast<std::size_t>(length));
        if (!answer.addresses.empty()) {
            pending->question.answered(std::move(answer));
            return;
        }
        pending->error = answer.error;
    } else {
        pending->error = error;
    }
    self.next(std::move(pending));
}

void CaresQuestions::socketState(void* data, ares_socket_t fd, int readable, int writable)
{
    auto& sockets = static_cast<CaresQuestions*>(data)->m_sockets;
    if (!readable && !writable)
        sockets.erase(fd);
    else
        sockets[fd] = static_cast<short>((readable ? POLLIN : 0) | (writable ? POLLOUT : 0));
}

int CaresQuestions::watch(std::vector<pollfd>& fds)
{
    if (!m_channel)
        return -1;
    for (const auto& [fd, events] : m_sockets)
        fds.push_back({ fd, events, 0 });
    timeval longest {};
    const timeval* wait = ares_timeout(m_channel, nullptr, &longest);
    if (!wait)
        return -1;
    return static_cast<int>(wait->tv_sec * 1000 + (wait->tv_usec + 999) / 1000);
}

void CaresQuestions::handle(const pollfd* fds, std::size_t count)
{
    if (!m_channel)
        return;
    for (std::size_t i = 0; i < count; ++i) {
        const short ready = fds[i].revents;
        if (ready == 0)
            continue;
        const bool readable = (ready & (POLLIN | POLLERR | POLLHUP)) != 0;
        const bool writable = (ready & (POLLOUT | POLLERR | POLLHUP)) != 0;
        ares_process_fd(m_channel, readable ? fds[i].fd : ARES_SOCKET_BAD, writable ? fds[i].fd : ARES_SOCKET_BAD);
    }
    ares_process_fd(m_channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD); // the time-outs due
    // The batch is over: the next question reads resolv.conf again (a
    // network change rewrites it).
    if (m_held == 0)
        close();
}

void CaresQuestions::stop()
{
    close();
}

} // namespace quillon::platform
