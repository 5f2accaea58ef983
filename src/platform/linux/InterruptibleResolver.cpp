#include "platform/linux/InterruptibleResolver.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace quillon::platform {

namespace {

// One lookup in flight: its answer, and the descriptor its thread signals
// when the answer is there. Shared by the caller and the thread, so that a
// lookup given up can still finish safely.
template <typename Answer>
struct Pending {
    Answer answer;
    int doneFd = -1;
    ~Pending()
    {
        if (doneFd >= 0)
            ::close(doneFd);
    }
};

template <typename Answer, typename Lookup>
Answer waitFor(int interruptFd, Lookup lookup, Answer interrupted)
{
    auto pending = std::make_shared<Pending<Answer>>();
    pending->doneFd = ::eventfd(0, EFD_CLOEXEC);
    if (pending->doneFd < 0)
        return lookup(); // no way to wait for a thread: ask on this one
    std::thread worker;
    try {
        worker = std::thread([pending, lookup] {
            pending->answer = lookup();
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto n = ::write(pending->doneFd, &one, sizeof one);
        });
    } catch (const std::system_error&) {
        return lookup();
    }
    pollfd fds[2] = { { pending->doneFd, POLLIN, 0 }, { interruptFd, POLLIN, 0 } };
    const nfds_t count = interruptFd >= 0 ? 2 : 1;
    for (;;) {
        const int ready = ::poll(fds, count, -1);
        if (ready < 0 && errno == EINTR)
            continue; // the signal itself; its descriptor says the rest
        if (ready > 0 && fds[0].revents == 0 && count == 2 && fds[1].revents != 0) {
            worker.detach();
            return interrupted;
        }
        break; // the answer is there (or poll failed: wait for it plainly)
    }
    worker.join();
    return pending->answer;
}

} // namespace

InterruptibleResolver::InterruptibleResolver(std::shared_ptr<Resolver> inner, int interruptFd)
    : m_inner(std::move(inner))
    , m_interruptFd(interruptFd)
{
}

std::optional<IPv4> InterruptibleResolver::numericAddress(const std::string& text)
{
    return m_inner->numericAddress(text);
}

ForwardAnswer InterruptibleResolver::lookupName(const std::string& name)
{
    return waitFor(
        m_interruptFd, [inner = m_inner, name] { return inner->lookupName(name); },
        ForwardAnswer { {}, ErrorInterrupted });
}

ReverseAnswer InterruptibleResolver::lookupAddress(const IPv4& address)
{
    return waitFor(
        m_interruptFd, [inner = m_inner, address] { return inner->lookupAddress(address); },
        ReverseAnswer { std::nullopt, ErrorInterrupted });
}

std::string InterruptibleResolver::localHostName()
{
    return m_inner->localHostName();
}

} // namespace quillon::platform
