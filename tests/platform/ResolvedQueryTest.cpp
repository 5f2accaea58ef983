#include "platform/linux/CaresResolver.h"
#include "platform/linux/FreshAnswerQuery.h"
#include "platform/linux/ResolvedQuery.h"

#include "fakes/AnswersOf.h"
#include "fakes/ChildProcess.h"
#include "fakes/PrivateBus.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

using namespace quillon::platform;
using quillon::test::answersOf;
using quillon::test::answerText;
using quillon::test::ChildProcess;
using quillon::test::PrivateBus;
using quillon::test::TempDir;

namespace {

std::string error(int number) { return "error " + std::to_string(number); }

// One question's answer, waited for.
std::string text(AsyncResolver& resolver, const std::string& name)
{
    return answerText(answersOf(resolver, { name }).front());
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

    std::shared_ptr<AsyncResolver> nameServers() const
    {
        CaresSettings settings;
        settings.source = CaresSettings::Source::NameServers;
        settings.resolvConf = dir.file("resolv.conf");
        settings.port = nameServerPort;
        return std::make_shared<CaresResolver>(settings);
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
    FreshAnswerQuery query(services().bus.address(), services().nameServers());
    EXPECT_EQ(text(query, "moved.example"), "192.0.2.7");
    EXPECT_EQ(text(query, "many.example"), "192.0.2.3 192.0.2.1");
}

// Every question on one connection at once: each reply goes to its own
// question, however they interleave.
TEST_F(ResolvedQueryTest, answersManyQuestionsAtOnce)
{
    FreshAnswerQuery query(services().bus.address(), services().nameServers());
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i)
        names.push_back(i % 3 == 0 ? "missing.example" : i % 3 == 1 ? "moved.example" : "many.example");
    const std::vector<ForwardAnswer> answers = answersOf(query, names);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(answerText(answers[i]), i % 3 == 0 ? error(ErrorHostNotFound)
                                              : i % 3 == 1 ? "192.0.2.7"
                                                           : "192.0.2.3 192.0.2.1")
            << "question " << i;
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
    FreshAnswerQuery query(services().bus.address(), services().nameServers());
    EXPECT_EQ(text(query, GetParam().name), error(GetParam().expected));
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
    FreshAnswerQuery query(services().bus.address(), services().nameServers());
    EXPECT_EQ(text(query, "both.example"), "192.0.2.50");
    EXPECT_EQ(text(query, "dnsonly.example"), error(ErrorHostNotFound));
}

// Without resolved on the bus, or without a bus, the name servers answer.
TEST_F(FreshAnswerQueryTest, asksTheNameServersWithoutResolved)
{
    FreshAnswerQuery withoutResolved(services().emptyBus.address(), services().nameServers());
    EXPECT_EQ(text(withoutResolved, "both.example"), "198.51.100.50");
    FreshAnswerQuery withoutBus(services().noBus(), services().nameServers());
    EXPECT_EQ(text(withoutBus, "dnsonly.example"), "198.51.100.51");
}
