#include "platform/linux/NameServerQuery.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        // The READY line up to its end, however many reads it takes; the
        // pipe stays open for the server's life, so no write of its fails.
        m_out = out[0];
        std::string line;
        char c;
        while (line.size() < 64 && ::read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        if (line.starts_with("READY "))
            port = std::stoi(line.substr(6));
    }
    ~FakeNameServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }
    int port = 0;

private:
    pid_t m_pid = -1;
    int m_out = -1;
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

// What the servers of resolv.conf say, never the hosts file, whatever their
// address; of a reply, only the asked name's addresses or those at the end
// of its CNAME chain, and a reply longer than UDP carries read whole over
// TCP (713 records, 11 KB).
TEST(NameServerQuery, asksTheNameServersOfResolvConf)
{
    FakeNameServer server({ "moved.example=9.9.9.9", "same.example=6.6.6.6", "big.example=1.2.3.4*713",
                            "unrel.example=bank.example:6.6.6.6", "www.example=>cdn.example",
                            "cdn.example=>edge.example", "edge.example=5.6.7.8", "loop.example=>loop.example" });
    ASSERT_GT(server.port, 0);
    TempDir dir;
    dir.write("resolv.conf", "# made by hand\nsearch example.org\nnameserver 127.0.0.1\n");
    NameServerQuery direct(dir.file("resolv.conf"), server.port);
    EXPECT_EQ(text(direct.ask("moved.example")), "9.9.9.9");
    EXPECT_EQ(text(direct.ask("same.example")), "6.6.6.6");
    EXPECT_EQ(text(direct.ask("missing.example")), "error " + std::to_string(ErrorHostNotFound));
    EXPECT_EQ(text(direct.ask("localhost")), "error " + std::to_string(ErrorHostNotFound));
    EXPECT_EQ(text(direct.ask("unrel.example")), "error " + std::to_string(ErrorNoData));
    EXPECT_EQ(text(direct.ask("www.example")), "5.6.7.8");
    EXPECT_EQ(text(direct.ask("loop.example")), "error " + std::to_string(ErrorNoData));
    const ForwardAnswer big = direct.ask("big.example");
    EXPECT_EQ(big.addresses.size(), 713u);
    EXPECT_TRUE(std::all_of(big.addresses.begin(), big.addresses.end(),
                            [](const IPv4& a) { return a == IPv4 { 1, 2, 3, 4 }; }));
}

TEST(NameServerQuery, serversToAsk)
{
    using Servers = std::vector<std::string>;
    EXPECT_EQ(nameServersToAsk("nameserver 192.0.2.53\nnameserver ::1\nnameserver 198.51.100.1\n"),
              (Servers { "192.0.2.53", "198.51.100.1" }));
    // systemd-resolved's stub is asked like any other server: where resolved
    // runs, it is asked through its own interface instead.
    EXPECT_EQ(nameServersToAsk("nameserver 127.0.0.53\noptions edns0 trust-ad\n"), (Servers { "127.0.0.53" }));
}
