// The asynchronous resolver over c-ares, against tests/tools/fake_dns.py on
// loopback: every question of a test is asked at once.

#include "platform/linux/CaresQuestions.h"
#include "platform/linux/CaresResolver.h"
#include "platform/linux/HostsTable.h"

#include "fakes/AnswersOf.h"
#include "fakes/ChildProcess.h"
#include "fakes/FakeResolver.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace quillon::platform;
using quillon::test::answersOf;
using quillon::test::answerText;
using quillon::test::ChildProcess;
using quillon::test::TempDir;
using Texts = std::vector<std::string>;

namespace {

std::string error(int number) { return "error " + std::to_string(number); }

// fake_dns.py on a free port of loopback, for the test's life, and a
// resolv.conf that names it.
struct NameServer {
    explicit NameServer(const std::vector<std::string>& table, const std::string& resolvConf = "nameserver 127.0.0.1\n")
    {
        std::vector<std::string> argv { "python3", QUILLON_FAKE_DNS, "127.0.0.1", "0" };
        argv.insert(argv.end(), table.begin(), table.end());
        process = std::make_unique<ChildProcess>(argv);
        const std::string ready = process->readLine().value_or("");
        if (ready.starts_with("READY "))
            port = std::stoi(ready.substr(6));
        dir.write("resolv.conf", resolvConf);
        dir.write("hosts", "");
    }
    CaresSettings settings(CaresSettings::Source source) const
    {
        CaresSettings s;
        s.source = source;
        s.resolvConf = dir.file("resolv.conf");
        s.hostsFile = dir.file("hosts");
        s.port = port;
        return s;
    }
    TempDir dir;
    std::unique_ptr<ChildProcess> process;
    int port = 0;
};

} // namespace

// Past the hosts file: what the servers of resolv.conf say, the name as it
// is (no search domain). Of a reply, only the asked name's addresses or
// those at the end of its CNAME chain; a reply longer than UDP carries is
// read whole over TCP (713 records, 11 KB).
TEST(CaresResolver, nameServers_takeOnlyTheAskedNamesRecords)
{
    NameServer server({ "moved.example=9.9.9.9", "same.example=6.6.6.6", "big.example=1.2.3.4*713",
                        "unrel.example=bank.example:6.6.6.6", "www.example=>cdn.example", "cdn.example=>edge.example",
                        "edge.example=5.6.7.8", "loop.example=>loop.example", "short.example.org=7.7.7.7" },
                      "# made by hand\nsearch example.org\nnameserver 127.0.0.1\n");
    ASSERT_GT(server.port, 0);
    server.dir.write("hosts", "192.0.2.1 moved.example\n");
    CaresResolver resolver(server.settings(CaresSettings::Source::NameServers));
    const auto answers = answersOf(resolver, { "moved.example", "same.example", "missing.example", "localhost",
                                               "unrel.example", "www.example", "loop.example", "short", "big.example" });
    const Texts texts { answerText(answers[0]), answerText(answers[1]), answerText(answers[2]), answerText(answers[3]),
                        answerText(answers[4]), answerText(answers[5]), answerText(answers[6]), answerText(answers[7]) };
    EXPECT_EQ(texts, (Texts { "9.9.9.9", "6.6.6.6", error(ErrorHostNotFound), error(ErrorHostNotFound),
                              error(ErrorNoData), "5.6.7.8", error(ErrorNoData), error(ErrorHostNotFound) }));
    const ForwardAnswer& big = answers[8];
    EXPECT_EQ(big.addresses.size(), 713u);
    EXPECT_TRUE(std::all_of(big.addresses.begin(), big.addresses.end(),
                            [](const IPv4& a) { return a == IPv4 { 1, 2, 3, 4 }; }));
}

// As the C library answers for "hosts: files dns": the hosts file first,
// read again once it changed (a run's save just before its questions), then
// the servers with resolv.conf's search domains; a name the hosts file has
// only for IPv6, or in a comment, goes to the servers.
TEST(CaresResolver, system_hostsFileFirstAsItIsNow_thenSearchDomains)
{
    NameServer server({ "both.example=198.51.100.1", "dnsonly.example=198.51.100.2", "v6only.example=198.51.100.3",
                        "commented.example=198.51.100.4", "short.example.example.org=198.51.100.5" },
                      "search example.org\nnameserver 127.0.0.1\n");
    ASSERT_GT(server.port, 0);
    server.dir.write("hosts", "192.0.2.10 both.example Alias.Example\n# 192.0.2.99 commented.example\n"
                              "::1 v6only.example\n");
    CaresResolver resolver(server.settings(CaresSettings::Source::System));
    const Texts names { "both.example", "ALIAS.example", "dnsonly.example", "v6only.example", "commented.example",
                        "short.example" };
    EXPECT_EQ(quillon::test::answerTexts(answersOf(resolver, names)),
              (Texts { "192.0.2.10", "192.0.2.10", "198.51.100.2", "198.51.100.3", "198.51.100.4", "198.51.100.5" }));

    server.dir.write("hosts", "192.0.2.20 dnsonly.example\n");
    EXPECT_EQ(quillon::test::answerTexts(answersOf(resolver, { "both.example", "dnsonly.example" })),
              (Texts { "198.51.100.1", "192.0.2.20" }));
}

// Single labels and ".local" are the C library's (myhostname, LLMNR, mDNS):
// the servers never see them.
TEST(CaresResolver, system_namesSentElsewhere_askTheCLibrary)
{
    NameServer server({ "nas=198.51.100.9", "printer.local=198.51.100.9", "www.example=198.51.100.8" });
    ASSERT_GT(server.port, 0);
    auto glibc = std::make_shared<quillon::test::FakeResolver>();
    glibc->answer("nas", "10.0.0.5");
    glibc->answer("printer.local", "10.0.0.6");
    CaresSettings settings = server.settings(CaresSettings::Source::System);
    settings.elsewhere = glibc;
    CaresResolver resolver(settings);
    EXPECT_EQ(quillon::test::answerTexts(answersOf(resolver, { "nas", "printer.local", "www.example" })),
              (Texts { "10.0.0.5", "10.0.0.6", "198.51.100.8" }));
    std::vector<std::string> asked = glibc->lookups;
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (Texts { "nas", "printer.local" }));
}

// A name whose servers never answer ends in its time-out (resolv.conf's
// one second, one attempt) as "try again"; the names asked beside it are
// answered all the same.
TEST(CaresResolver, unansweredName_triesAgainLater_othersAnswered)
{
    NameServer server({ "down.example=!", "up.example=198.51.100.7" }, "nameserver 127.0.0.1\noptions timeout:1 attempts:1\n");
    ASSERT_GT(server.port, 0);
    CaresResolver resolver(server.settings(CaresSettings::Source::System));
    EXPECT_EQ(quillon::test::answerTexts(answersOf(resolver, { "down.example", "up.example" })),
              (Texts { error(ErrorTryAgain), "198.51.100.7" }));
}

// The program ending does not wait for a name server: the resolver's end
// answers what it still holds as interrupted.
TEST(CaresResolver, destroyed_answersItsQuestionsAsInterrupted)
{
    NameServer server({ "down.example=!" }, "nameserver 127.0.0.1\noptions timeout:30 attempts:5\n");
    ASSERT_GT(server.port, 0);
    auto resolver = std::make_unique<CaresResolver>(server.settings(CaresSettings::Source::System));
    std::vector<int> errors;
    for (int k = 0; k < 3; ++k)
        resolver->ask("down.example", [&errors](ForwardAnswer answer) { errors.push_back(answer.error); });
    resolver.reset();
    EXPECT_EQ(errors, (std::vector<int>(3, ErrorInterrupted)));
}

// c-ares 1.18 reads neither word: the resolver takes them as the C library
// does, within its bounds.
TEST(CaresResolver, resolvTimeouts_asTheCLibraryReadsThem)
{
    const auto read = [](const char* text) {
        const ResolvTimeouts t = resolvTimeouts(text);
        return std::to_string(t.timeoutMs) + "/" + std::to_string(t.tries);
    };
    EXPECT_EQ(read("nameserver 192.0.2.53\n"), "5000/2");
    EXPECT_EQ(read("options timeout:1 attempts:1\n"), "1000/1");
    EXPECT_EQ(read("options rotate timeout:60 attempts:9 edns0\n"), "30000/5");
    EXPECT_EQ(read("options timeout:0\noptions attempts:3\n"), "1000/3");
    EXPECT_EQ(read("# options timeout:1\n"), "5000/2");
}

TEST(CaresResolver, sentElsewhere_singleLabelsLocalAndLocalhost)
{
    for (const char* name : { "nas", "nas.", "printer.local", "Printer.LOCAL.", "web.localhost", "localhost" })
        EXPECT_TRUE(sentElsewhere(name)) << name;
    for (const char* name : { "www.example", "www.example.", "local.example", "localhost.example", "example.locale" })
        EXPECT_FALSE(sentElsewhere(name)) << name;
}

// The hosts file as the C library's "files" source reads it for IPv4.
TEST(HostsTable, parse_namesAndAliasesOfIPv4Lines)
{
    const auto table = HostsTable::parse("127.0.0.1\tlocalhost\r\n"
                                         "192.0.2.1 Web.Example www.example # 192.0.2.9 hidden.example\n"
                                         "  192.0.2.2   web.example.\n"
                                         "::1 localhost ip6-localhost\n"
                                         "192.0.2 short.example\n"
                                         "192.0.2.3\n"
                                         "#192.0.2.4 commented.example\n"
                                         "999.0.2.5 wrong.example");
    const auto at = [&table](const std::string& name) {
        const auto it = table.find(name);
        return it == table.end() ? std::string("none") : answerText({ it->second, 0 });
    };
    EXPECT_EQ(at("localhost"), "127.0.0.1");
    EXPECT_EQ(at("web.example"), "192.0.2.1 192.0.2.2");
    EXPECT_EQ(at("www.example"), "192.0.2.1");
    EXPECT_EQ(at("hidden.example"), "none");
    EXPECT_EQ(at("ip6-localhost"), "none");
    EXPECT_EQ(at("short.example"), "none");
    EXPECT_EQ(at("commented.example"), "none");
    EXPECT_EQ(at("wrong.example"), "none");
    EXPECT_EQ(table.size(), 3u);
}
