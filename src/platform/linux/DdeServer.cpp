#include "platform/linux/DdeServer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quillon::platform {

namespace {

using dde::Kind;

// Beyond this many conversations a new client is turned away at once.
constexpr std::size_t MaxConnections = 256;
// How much one readable connection may hand over in one turn, so that a
// fast client does not starve the others.
constexpr std::size_t ReadChunk = 64 * 1024;

} // namespace

struct DdeServer::Connection {
    dde::UniqueFd fd;
    std::string in;
    std::string out;
    std::size_t outSent = 0;
    bool hasTopic = false;
    std::string topic;
    std::uint32_t watched = 0;
};

DdeServer::DdeServer(std::string service, Handlers handlers)
    : m_service(std::move(service)), m_handlers(std::move(handlers))
{
}

DdeServer::~DdeServer()
{
    // The lock says the socket is ours; without it the socket may already
    // be another server's.
    if (m_listener.valid())
        ::unlink(m_path.c_str());
}

Status DdeServer::listen()
{
    m_path = dde::socketPath(m_service);
    if (m_path.empty())
        return Status::error(EINVAL, "\"" + m_service + "\" cannot name a DDE service");
    const std::string folder = dde::socketFolder();
    if (::mkdir(folder.c_str(), 0700) == 0) {
        // The umask may have taken more than we asked, never less.
        ::chmod(folder.c_str(), 0700);
    } else if (errno != EEXIST) {
        return Status::fromErrno(errno);
    }
    if (Status safe = dde::checkFolder(folder); !safe)
        return safe;

    // The lock, held for the server's life, tells a live server from a
    // socket left behind by one that ended: probing the socket instead would
    // let two servers starting together remove each other's sockets.
    const std::string lockPath = folder + "/." + m_path.substr(folder.size() + 1) + ".lock";
    dde::UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid())
        return Status::fromErrno(errno);
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return Status::error(EADDRINUSE, "another server answers for " + m_service);
        return Status::fromErrno(errno);
    }
    struct stat st {};
    if (::lstat(m_path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(m_path.c_str());

    dde::UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener.valid())
        return Status::fromErrno(errno);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, m_path.c_str(), m_path.size() + 1);
    if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return Status::fromErrno(errno);
    if (::listen(listener.get(), SOMAXCONN) != 0) {
        const int error = errno;
        ::unlink(m_path.c_str());
        return Status::fromErrno(error);
    }
    dde::UniqueFd epoll(::epoll_create1(EPOLL_CLOEXEC));
    epoll_event event {};
    event.events = EPOLLIN;
    event.data.fd = listener.get();
    if (!epoll.valid() || ::epoll_ctl(epoll.get(), EPOLL_CTL_ADD, listener.get(), &event) != 0) {
        const int error = errno;
        ::unlink(m_path.c_str());
        return Status::fromErrno(error);
    }
    m_lock = std::move(lock);
    m_listener = std::move(listener);
    m_epoll = std::move(epoll);
    return Status::ok();
}

void DdeServer::handleReady()
{
    if (!m_epoll.valid())
        return;
    epoll_event events[32];
    const int n = ::epoll_wait(m_epoll.get(), events, 32, 0);
    for (int i = 0; i < n; ++i) {
        const int fd = events[i].data.fd;
        if (fd == m_listener.get()) {
            acceptConnections();
            continue;
        }
        // An earlier event of this round may have closed it.
        const auto it = m_connections.find(fd);
        if (it != m_connections.end())
            serve(*it->second, events[i].events);
    }
}

void DdeServer::acceptConnections()
{
    for (int taken = 0; taken < 64; ++taken) {
        dde::UniqueFd fd(::accept4(m_listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.valid())
            return; // EAGAIN: none left; anything else: the client gave up first
        if (m_connections.size() >= MaxConnections)
            continue;
        auto connection = std::make_unique<Connection>();
        connection->fd = std::move(fd);
        const int key = connection->fd.get();
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.fd = key;
        if (::epoll_ctl(m_epoll.get(), EPOLL_CTL_ADD, key, &event) != 0)
            continue;
        connection->watched = EPOLLIN;
        m_connections[key] = std::move(connection);
    }
}

void DdeServer::serve(Connection& connection, std::uint32_t events)
{
    const int key = connection.fd.get();
    if ((events & EPOLLOUT) != 0 && !flush(connection))
        return close(key);
    if ((events & (EPOLLIN | EPOLLHUP | EPOLLERR)) != 0 && connection.out.empty()) {
        char buffer[ReadChunk];
        const ssize_t n = ::recv(key, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            return close(key);
        if (n > 0)
            connection.in.append(buffer, static_cast<std::size_t>(n));
    }
    if (!answerFrames(connection))
        return close(key);
    watch(connection);
}

bool DdeServer::answerFrames(Connection& connection)
{
    std::size_t used = 0;
    while (connection.out.empty() && connection.in.size() - used >= dde::HeaderBytes) {
        const dde::Header h = dde::decodeHeader(connection.in.data() + used);
        if (h.length > dde::MaxClientPayload)
            return false;
        if (connection.in.size() - used - dde::HeaderBytes < h.length)
            break;
        const std::string payload = connection.in.substr(used + dde::HeaderBytes, h.length);
        used += dde::HeaderBytes + h.length;

        if (h.kind == static_cast<std::uint8_t>(Kind::OpenTopic)) {
            // The old link is closed before the new topic is looked at.
            connection.hasTopic = false;
            connection.topic.clear();
            const bool accepted = m_handlers.acceptTopic && m_handlers.acceptTopic(payload);
            if (accepted) {
                connection.hasTopic = true;
                connection.topic = payload;
            }
            connection.out = dde::encodeFrame(accepted ? Kind::Accepted : Kind::Refused, h.id, {});
        } else if (h.kind == static_cast<std::uint8_t>(Kind::Request)) {
            const DdeAnswer answer = connection.hasTopic && m_handlers.request
                                         ? m_handlers.request(connection.topic, payload)
                                         : DdeAnswer::refused();
            switch (answer.kind) {
            case DdeAnswer::Kind::Text:
                connection.out = dde::encodeReply(h.id, dde::FormatText, answer.bytes);
                break;
            case DdeAnswer::Kind::Data:
                connection.out = dde::encodeReply(h.id, dde::FormatBinary, answer.bytes);
                break;
            case DdeAnswer::Kind::Refused:
                connection.out = dde::encodeFrame(Kind::Refused, h.id, {});
                break;
            case DdeAnswer::Kind::Silent:
                break;
            }
        } else {
            return false; // not our protocol
        }
        connection.outSent = 0;
        if (!flush(connection))
            return false;
    }
    connection.in.erase(0, used);
    return true;
}

bool DdeServer::flush(Connection& connection)
{
    while (connection.outSent < connection.out.size()) {
        const ssize_t n = ::send(connection.fd.get(), connection.out.data() + connection.outSent,
                                 connection.out.size() - connection.outSent, MSG_NOSIGNAL);
        if (n > 0) {
            connection.outSent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            return true; // the rest goes when the client reads
        } else {
            return false;
        }
    }
    connection.out.clear();
    connection.outSent = 0;
    return true;
}

void DdeServer::watch(Connection& connection)
{
    // Reading waits while a reply is pending: a client that does not read
    // cannot pile up requests in our memory.
    const std::uint32_t wanted = connection.out.empty() ? EPOLLIN : EPOLLOUT;
    if (wanted == connection.watched)
        return;
    epoll_event event {};
    event.events = wanted;
    event.data.fd = connection.fd.get();
    if (::epoll_ctl(m_epoll.get(), EPOLL_CTL_MOD, connection.fd.get(), &event) == 0)
        connection.watched = wanted;
}

void DdeServer::close(int fd)
{
    ::epoll_ctl(m_epoll.get(), EPOLL_CTL_DEL, fd, nullptr);
    m_connections.erase(fd);
}

} // namespace quillon::platform
