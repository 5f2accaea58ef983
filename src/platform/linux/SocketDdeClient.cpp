#include "platform/linux/SocketDdeClient.h"

#include "platform/linux/DdeWire.h"
#include "platform/linux/PosixPrograms.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quillon::platform {

namespace {

using dde::Kind;
using dde::UniqueFd;

class Deadline {
public:
    explicit Deadline(int ms) : m_end(Clock::now() + std::chrono::milliseconds(std::max(ms, 0))) {}
    // Rounded up, so that a wait for the last fraction of a millisecond does
    // not turn into a busy loop of zero-length polls.
    int remainingMs() const
    {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - Clock::now()).count();
        return static_cast<int>(std::max<decltype(left)>(left, 0));
    }
    bool passed() const { return Clock::now() >= m_end; }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_end;
};

// True when fd is ready for events (or has an error or hang-up to report)
// before the deadline.
bool waitFor(int fd, short events, const Deadline& deadline)
{
    for (;;) {
        pollfd p { fd, events, 0 };
        const int n = ::poll(&p, 1, deadline.remainingMs());
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

enum class Reach { Connected, NoServer, Unsafe, Failed };

struct Attempt {
    Reach reach = Reach::Failed;
    UniqueFd fd;
};

Attempt tryConnect(const std::string& path, const Deadline& deadline)
{
    Attempt attempt;
    if (const Status folder = dde::checkFolder(dde::socketFolder()); !folder) {
        attempt.reach = folder.code() == ENOENT ? Reach::NoServer : Reach::Unsafe;
        return attempt;
    }
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid())
        return attempt;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    for (;;) {
        if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            break;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == ENOENT || error == ECONNREFUSED) {
            attempt.reach = Reach::NoServer;
            return attempt;
        }
        if (error == EAGAIN) {
            // The server's backlog is full: it lives but is busy.
            if (deadline.passed())
                return attempt;
            sleepMs(std::min(10, deadline.remainingMs()));
            continue;
        }
        if (error != EINPROGRESS || !waitFor(fd.get(), POLLOUT, deadline))
            return attempt;
        int pending = 0;
        socklen_t size = sizeof pending;
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &pending, &size) != 0 || pending != 0) {
            attempt.reach = pending == ECONNREFUSED ? Reach::NoServer : Reach::Failed;
            return attempt;
        }
        break;
    }
    attempt.reach = Reach::Connected;
    attempt.fd = std::move(fd);
    return attempt;
}

class SocketConversation final : public DdeConversation {
public:
    SocketConversation(UniqueFd fd, int timeoutMs) : m_fd(std::move(fd)), m_timeoutMs(timeoutMs) {}

    std::string request(const std::string& item, int timeoutMs) override;
    bool changeTopic(const std::string& topic) override;

private:
    struct Answer {
        std::uint8_t kind = 0;
        bool tooLong = false;
        std::string payload;
    };
    enum class Read { Done, TimedOut, Closed };

    // Sends one frame and waits for the frame that answers it; nothing when
    // no answer came in time or the connection broke (then it is closed).
    std::optional<Answer> exchange(Kind kind, std::string_view payload, const Deadline& deadline);
    bool sendAll(const std::string& frame, const Deadline& deadline);
    std::optional<Answer> awaitAnswer(std::uint32_t id, const Deadline& deadline);
    Read readExact(char* buffer, std::size_t size, std::size_t& got, const Deadline& deadline);
    bool discard(std::size_t size, const Deadline& deadline);

    UniqueFd m_fd;
    int m_timeoutMs;
    std::uint32_t m_nextId = 1;
    bool m_hasTopic = false;
};

std::string SocketConversation::request(const std::string& item, int timeoutMs)
{
    if (!m_fd.valid() || !m_hasTopic)
        return {};
    const Deadline deadline(timeoutMs);
    const std::optional<Answer> answer = exchange(Kind::Request, item, deadline);
    if (!answer || answer->kind != static_cast<std::uint8_t>(Kind::Reply) || answer->tooLong
        || answer->payload.empty() || static_cast<std::uint8_t>(answer->payload[0]) != dde::FormatText)
        return {};
    std::string text = answer->payload.substr(1);
    // Text holds no NUL; a reply that does is data, whatever its format says.
    if (text.find('\0') != std::string::npos)
        return {};
    return text;
}

bool SocketConversation::changeTopic(const std::string& topic)
{
    if (!m_fd.valid())
        return false;
    // The server closes the old link before it decides on the new one, so a
    // refusal leaves no topic open.
    m_hasTopic = false;
    const Deadline deadline(m_timeoutMs);
    const std::optional<Answer> answer = exchange(Kind::OpenTopic, topic, deadline);
    if (!answer) {
        // A server that cannot say yes or no to a topic in time is taken as
        // gone; a late yes would otherwise open a link we do not know of.
        m_fd.reset();
        return false;
    }
    m_hasTopic = answer->kind == static_cast<std::uint8_t>(Kind::Accepted);
    return m_hasTopic;
}

std::optional<SocketConversation::Answer> SocketConversation::exchange(Kind kind, std::string_view payload,
                                                                       const Deadline& deadline)
{
    const std::uint32_t id = m_nextId++;
    if (!sendAll(dde::encodeFrame(kind, id, payload), deadline)) {
        // Part of the frame may be on its way: the stream cannot be trusted.
        m_fd.reset();
        return std::nullopt;
    }
    return awaitAnswer(id, deadline);
}

bool SocketConversation::sendAll(const std::string& frame, const Deadline& deadline)
{
    std::size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = ::send(m_fd.get(), frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            if (!waitFor(m_fd.get(), POLLOUT, deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<SocketConversation::Answer> SocketConversation::awaitAnswer(std::uint32_t id,
                                                                          const Deadline& deadline)
{
    for (;;) {
        char headerBytes[dde::HeaderBytes];
        std::size_t got = 0;
        const Read header = readExact(headerBytes, sizeof headerBytes, got, deadline);
        if (header == Read::TimedOut && got == 0)
            return std::nullopt; // nothing of an answer yet; the stream is still whole
        if (header != Read::Done) {
            m_fd.reset();
            return std::nullopt;
        }
        const dde::Header h = dde::decodeHeader(headerBytes);
        if (h.kind != static_cast<std::uint8_t>(Kind::Accepted) && h.kind != static_cast<std::uint8_t>(Kind::Refused)
            && h.kind != static_cast<std::uint8_t>(Kind::Reply)) {
            m_fd.reset();
            return std::nullopt;
        }
        Answer answer;
        answer.kind = h.kind;
        // A reply over the limit is read past rather than into memory: its
        // length comes from the server and may be anything up to 4 GiB.
        if (h.length > DdeConversation::MaxReplyBytes + 1) {
            if (!discard(h.length, deadline)) {
                m_fd.reset();
                return std::nullopt;
            }
            answer.tooLong = true;
        } else {
            answer.payload.resize(h.length);
            std::size_t payloadGot = 0;
            if (readExact(answer.payload.data(), h.length, payloadGot, deadline) != Read::Done) {
                m_fd.reset();
                return std::nullopt;
            }
        }
        // A late answer to an earlier request that timed out: skip it.
        if (h.id == id)
            return answer;
    }
}

SocketConversation::Read SocketConversation::readExact(char* buffer, std::size_t size, std::size_t& got,
                                                       const Deadline& deadline)
{
    while (got < size) {
        const ssize_t n = ::recv(m_fd.get(), buffer + got, size - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n == 0) {
            return Read::Closed;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN) {
            if (!waitFor(m_fd.get(), POLLIN, deadline))
                return Read::TimedOut;
        } else {
            return Read::Closed;
        }
    }
    return Read::Done;
}

bool SocketConversation::discard(std::size_t size, const Deadline& deadline)
{
    char buffer[16 * 1024];
    while (size > 0) {
        std::size_t got = 0;
        const std::size_t chunk = std::min(size, sizeof buffer);
        if (readExact(buffer, chunk, got, deadline) != Read::Done)
            return false;
        size -= chunk;
    }
    return true;
}

} // namespace

SocketDdeClient::SocketDdeClient(int timeoutMs) : m_timeoutMs(timeoutMs) {}

std::unique_ptr<DdeConversation> SocketDdeClient::connect(const std::string& service, const std::string& topic,
                                                          const std::string& programPath)
{
    const std::string path = dde::socketPath(service);
    if (path.empty())
        return nullptr;
    const Deadline deadline(m_timeoutMs);
    Attempt attempt = tryConnect(path, deadline);
    if (attempt.reach == Reach::NoServer && !programPath.empty()) {
        if (!startDetached(programPath, {}))
            return nullptr;
        while (attempt.reach == Reach::NoServer && !deadline.passed()) {
            sleepMs(std::min(50, deadline.remainingMs()));
            attempt = tryConnect(path, deadline);
        }
    }
    if (attempt.reach != Reach::Connected)
        return nullptr;
    auto conversation = std::make_unique<SocketConversation>(std::move(attempt.fd), m_timeoutMs);
    if (!conversation->changeTopic(topic))
        return nullptr;
    return conversation;
}

} // namespace quillon::platform
