#pragma once
// What the DDE tests share: an environment variable set for one test, a
// DdeServer served on a thread of its own, and a hold on the program that a
// client started on demand, so that the test can end it.

#include "platform/linux/DdeServer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/syscall.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace quillon::test {

// Sets a variable for the life of the object, then puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value) : m_name(std::move(name))
    {
        if (const char* old = std::getenv(m_name.c_str()))
            m_old = old;
        ::setenv(m_name.c_str(), value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// A DdeServer listening from construction on, served on a thread of its own
// until destroyed. The handlers run on that thread.
class ServerThread {
public:
    ServerThread(const std::string& service, platform::DdeServer::Handlers handlers)
        : m_server(service, std::move(handlers))
    {
        const platform::Status listening = m_server.listen();
        EXPECT_TRUE(listening.isOk()) << listening.reason();
        EXPECT_EQ(::pipe(m_stop), 0);
        if (listening)
            m_thread = std::thread([this] { run(); });
    }
    ~ServerThread()
    {
        const char byte = 1;
        EXPECT_EQ(::write(m_stop[1], &byte, 1), 1);
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_stop[0]);
        ::close(m_stop[1]);
    }
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

private:
    void run()
    {
        for (;;) {
            pollfd ready[2] = { { m_server.fd(), POLLIN, 0 }, { m_stop[0], POLLIN, 0 } };
            if (::poll(ready, 2, -1) < 0)
                continue;
            if (ready[1].revents != 0)
                return;
            m_server.handleReady();
        }
    }

    platform::DdeServer m_server;
    int m_stop[2] = { -1, -1 };
    std::thread m_thread;
};

// The process that listens on a socket, as the system tells its peers, when
// it is not this one (a server on a thread of the test).
// Held by a pidfd from the moment it is found, so that ending it can never
// reach another process that took its number; ended with SIGKILL, and
// waited for, when this goes.
class ListeningProcess {
public:
    explicit ListeningProcess(const std::string& socketPath)
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
        ucred credentials {};
        socklen_t size = sizeof credentials;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
            && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0
            && credentials.pid != ::getpid())
            // Called directly: glibc 2.36 declares its wrappers without C linkage.
            m_pidfd = static_cast<int>(::syscall(SYS_pidfd_open, credentials.pid, 0));
        ::close(fd);
    }
    ~ListeningProcess()
    {
        if (m_pidfd < 0)
            return;
        ::syscall(SYS_pidfd_send_signal, m_pidfd, SIGKILL, nullptr, 0);
        // Readable once the process has ended.
        pollfd ended { m_pidfd, POLLIN, 0 };
        ::poll(&ended, 1, 10000);
        ::close(m_pidfd);
    }
    ListeningProcess(const ListeningProcess&) = delete;
    ListeningProcess& operator=(const ListeningProcess&) = delete;

    bool found() const { return m_pidfd >= 0; }

private:
    int m_pidfd = -1;
};

} // namespace quillon::test
