#include "platform/linux/FreshAnswerQuery.h"
#include "platform/linux/NameServerQuery.h"
#include "platform/linux/ResolvedQuery.h"

#include "fakes/ChildProcess.h"
#include "fakes/PrivateBus.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

using namespace quillon::platform;
using quillon::test::ChildProcess;
using quillon::test::PrivateBus;
using quillon::test::TempDir;

namespace {

std::string error(int number) { return "error " + std::to_string(number); }

std::string text(const ForwardAnswer& a)
{
    std::string out;
    for (const IPv4& x : a.addresses)
        out += (out.empty() ? "" : " ") + std::to_string(x[0]) + "." + std::to_string(x[1]) + "."
            + std::to_string(x[2]) + "." + std::to_string(x[3]);
    return out.empty() ? error(a.error) : out;
}

// What the tests run beside them: two private buses, the stand-in resolved
// on the first only, and a name server for the case without resolved. The
// same name has another address there than in resolved, so an answer tells
// who gave it.
struct Services {
    TempDir dir;
    PrivateBus bus;      // resolved is on it
    PrivateBus emptyBus; // nothing is
    std::unique_ptr<ChildProcess> resolved;
    std::unique_ptr<ChildProcess> nameServer;
    int nameServerPort = 0;
    std::string failure; // why they did not all start

    Services()
    {
        if (bus.address().empty() || emptyBus.address().empty()) {
            failure = "dbus-daemon printed no address";
            return;
        }
        resolved = std::make_unique<ChildProcess>(std::vector<std::string> {
            QUILLON_FAKE_RESOLVED, bus.address(), "moved.example=192.0.2.7",
            "many.example=192.0.2.3,2001:db8::5,192.0.2.1", "both.example=192.0.2.50",
            "nodata.example=!org.freedesktop.resolve1.NoSuchRR",
            "servfail.example=!org.freedesktop.resolve1.DnsError.SERVFAIL",
            "timeout.example=!org.freedesktop.DBus.Error.Timeout",
            "nameservers.example=!org.freedesktop.resolve1.NoNameServers",
            "dnssec.example=!org.freedesktop.resolve1.DnssecFailed" });
        if (resolved->readLine() != "READY") {
            failure = "fake_resolved did not come onto the bus";
            return;
        }
        nameServer = std::make_unique<ChildProcess>(std::vector<std::string> {
            "python3", QUILLON_FAKE_DNS, "127.0.0.1", "0", "both.example=198.51.100.50", "dnsonly.example=198.51.100.51" });
        const std::string ready = nameServer->readLine().value_or("");
        if (ready.rfind("READY ", 0) != 0) {
            failure = "fake_dns.py did not start";
            return;
        }
        nameServerPort = std::stoi(ready.substr(6));
        dir.write("resolv.conf", "nameserver 127.0.0.1\n");
    }

    std::unique_ptr<DnsQuery> nameServerQuery() const
    {
        return std::make_unique<NameServerQuery>(dir.file("resolv.conf"), nameServerPort);
    }
    std::string noBus() const { return "unix:path=" + dir.file("no-bus.socket"); }
};

class OnPrivateBus : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        if (PrivateBus::available())
            s_services = std::make_unique<Services>();
    }
    static void TearDownTestSuite() { s_services.reset(); }

protected:
    void SetUp() override
    {
        if (!s_services)
            GTEST_SKIP() << "dbus-daemon is not installed (Debian package dbus-daemon): no private bus to test on";
        ASSERT_EQ(s_services->failure, "");
    }
    static Services& services() { return *s_services; }

private:
    static inline std::unique_ptr<Services> s_services;
};

using ResolvedQueryTest = OnPrivateBus;

} // namespace

// The stand-in refuses a question without NO_SYNTHESIZE and NO_SEARCH, for
// another family than IPv4, or on one interface: an answer at all shows the
// question was asked as it must be.
TEST_F(ResolvedQueryTest, takesResolvedsIPv4AnswersInItsOrder)
{
    ResolvedQuery query(services().bus.address());
    EXPECT_EQ(text(query.ask("moved.example")), "192.0.2.7");
    EXPECT_EQ(text(query.ask("many.example")), "192.0.2.3 192.0.2.1");
}

TEST_F(ResolvedQueryTest, isRunningOnlyWhereItsNameHasAnOwner)
{
    EXPECT_TRUE(resolvedIsRunning(services().bus.address()));
    EXPECT_FALSE(resolvedIsRunning(services().emptyBus.address()));
    EXPECT_FALSE(resolvedIsRunning(services().noBus()));
    EXPECT_EQ(text(ResolvedQuery(services().noBus()).ask("moved.example")), error(ErrorTryAgain));
}

// The program asks from several worker threads at once; a connection
// shared between them would mix up or lose replies.
TEST_F(ResolvedQueryTest, answersQuestionsFromManyThreadsAtOnce)
{
    ResolvedQuery query(services().bus.address());
    constexpr int Threads = 4;
    constexpr int Questions = 25;
    std::vector<std::vector<std::string>> answers(Threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t) {
        workers.emplace_back([&query, &mine = answers[t], t] {
            for (int i = 0; i < Questions; ++i)
                mine.push_back(text(query.ask((i + t) % 2 == 0 ? "moved.example" : "missing.example")));
        });
    }
    for (std::thread& w : workers)
        w.join();
    for (int t = 0; t < Threads; ++t) {
        for (int i = 0; i < Questions; ++i)
            EXPECT_EQ(answers[t][i], (i + t) % 2 == 0 ? "192.0.2.7" : error(ErrorHostNotFound))
                << "thread " << t << ", question " << i;
    }
}

namespace {

struct ErrorCase {
    std::string label;
    std::string name;
    int expected;
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.label; }

class ResolvedQueryErrors : public OnPrivateBus, public ::testing::WithParamInterface<ErrorCase> {};

} // namespace

TEST_P(ResolvedQueryErrors, mapsResolvedsErrorToTheClassicNumber)
{
    EXPECT_EQ(text(ResolvedQuery(services().bus.address()).ask(GetParam().name)), error(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    ResolvedErrors, ResolvedQueryErrors,
    ::testing::Values(ErrorCase { "nxdomain_hostNotFound", "missing.example", ErrorHostNotFound },
                      ErrorCase { "noSuchRR_noData", "nodata.example", ErrorNoData },
                      ErrorCase { "servfail_tryAgain", "servfail.example", ErrorTryAgain },
                      ErrorCase { "timeout_tryAgain", "timeout.example", ErrorTryAgain },
                      ErrorCase { "noNameServers_tryAgain", "nameservers.example", ErrorTryAgain },
                      ErrorCase { "dnssecFailed_noRecovery", "dnssec.example", ErrorNoRecovery }),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return info.param.label; });

using FreshAnswerQueryTest = OnPrivateBus;

// Behind resolved its answer stands, a failure too: the name servers are
// never asked past it.
TEST_F(FreshAnswerQueryTest, asksResolvedWhenItIsOnTheBus)
{
    FreshAnswerQuery query(services().bus.address(), services().nameServerQuery());
    EXPECT_EQ(text(query.ask("both.example")), "192.0.2.50");
    EXPECT_EQ(text(query.ask("dnsonly.example")), error(ErrorHostNotFound));
}

TEST_F(FreshAnswerQueryTest, asksTheNameServersWithoutResolved)
{
    FreshAnswerQuery withoutResolved(services().emptyBus.address(), services().nameServerQuery());
    EXPECT_EQ(text(withoutResolved.ask("both.example")), "198.51.100.50");
    FreshAnswerQuery withoutBus(services().noBus(), services().nameServerQuery());
    EXPECT_EQ(text(withoutBus.ask("dnsonly.example")), "198.51.100.51");
}
