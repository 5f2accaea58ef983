#include "platform/linux/NameServerQuery.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillon::platform;
using quillon::test::TempDir;

namespace {

// tests/tools/fake_dns.py on a free port of loopback, for the test's life.
class FakeNameServer {
public:
    explicit FakeNameServer(const std::vector<std::string>& table)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            std::vector<std::string> args { "python3", QUILLON_FAKE_DNS, "127.0.0.1", "0" };
            args.insert(args.end(), table.begin(), table.end());
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execvp("python3", argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        char line[64] = {};
        const ssize_t n = ::read(out[0], line, sizeof line - 1);
        ::close(out[0]);
        if (n > 6 && std::string(line, 6) == "READY ")
            port = std::stoi(std::string(line + 6, static_cast<std::size_t>(n) - 6));
    }
    ~FakeNameServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    int port = 0;

private:
    pid_t m_pid = -1;
};

std::string text(const ForwardAnswer& a)
{
    std::string out;
    for (const IPv4& x : a.addresses)
        out += (out.empty() ? "" : " ") + std::to_string(x[0]) + "." + std::to_string(x[1]) + "."
            + std::to_string(x[2]) + "." + std::to_string(x[3]);
    return out.empty() ? "error " + std::to_string(a.error) : out;
}

} // namespace

// What the servers say, never the hosts file: the server of resolv.conf, or
// behind systemd-resolved's stub the upstream servers it lists.
TEST(NameServerQuery, asksTheNameServersOfResolvConf)
{
    FakeNameServer server({ "moved.example=9.9.9.9", "same.example=6.6.6.6" });
    ASSERT_GT(server.port, 0);
    TempDir dir;
    dir.write("resolv.conf", "# made by hand\nsearch example.org\nnameserver 127.0.0.1\n");
    NameServerQuery direct(dir.file("resolv.conf"), dir.file("none"), server.port);
    EXPECT_EQ(text(direct.ask("moved.example")), "9.9.9.9");
    EXPECT_EQ(text(direct.ask("same.example")), "6.6.6.6");
    EXPECT_EQ(text(direct.ask("missing.example")), "error " + std::to_string(ErrorHostNotFound));
    EXPECT_EQ(text(direct.ask("localhost")), "error " + std::to_string(ErrorHostNotFound));

    dir.write("stub.conf", "nameserver 127.0.0.53\noptions edns0 trust-ad\n");
    dir.write("upstream.conf", "nameserver 127.0.0.1\n");
    NameServerQuery stub(dir.file("stub.conf"), dir.file("upstream.conf"), server.port);
    EXPECT_EQ(text(stub.ask("moved.example")), "9.9.9.9");
}

TEST(NameServerQuery, serversToAsk)
{
    using Servers = std::vector<std::string>;
    EXPECT_EQ(nameServersToAsk("nameserver 192.0.2.53\nnameserver ::1\nnameserver 198.51.100.1\n", ""),
              (Servers { "192.0.2.53", "198.51.100.1" }));
    EXPECT_EQ(nameServersToAsk("nameserver 127.0.0.53\n", "nameserver 192.0.2.1\nnameserver 192.0.2.2\n"),
              (Servers { "192.0.2.1", "192.0.2.2" }));
    // Without the upstream list, or beside other servers, the stub stays.
    EXPECT_EQ(nameServersToAsk("nameserver 127.0.0.53\n", ""), (Servers { "127.0.0.53" }));
    EXPECT_EQ(nameServersToAsk("nameserver 127.0.0.53\nnameserver 192.0.2.9\n", "nameserver 192.0.2.1\n"),
              (Servers { "127.0.0.53", "192.0.2.9" }));
}
