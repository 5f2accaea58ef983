#include "platform/linux/SocketDdeClient.h"

#include "DdeTestSupport.h"
#include "fakes/CaseName.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>

using namespace quillon::platform;
using namespace quillon::test;

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Items the test server understands: "topic" (the open topic's name),
// "echo:X", "bytes:N" (N letters), "data:X" (X, not as text), "nul" (text
// holding a NUL), "refuse", "silent" (never answered), "late:MS:X" (X after
// MS milliseconds). Every topic but "Refused" is accepted.
DdeServer::Handlers testHandlers()
{
    return { [](const std::string& topic) { return topic != "Refused"; },
             [](const std::string& topic, const std::string& item) {
                 const auto after = [&](const std::string& prefix) { return item.substr(prefix.size()); };
                 if (item == "topic")
                     return DdeAnswer::text(topic);
                 if (item.rfind("echo:", 0) == 0)
                     return DdeAnswer::text(after("echo:"));
                 if (item.rfind("bytes:", 0) == 0)
                     return DdeAnswer::text(std::string(std::stoul(after("bytes:")), 'x'));
                 if (item.rfind("data:", 0) == 0)
                     return DdeAnswer::data(after("data:"));
                 if (item == "nul")
                     return DdeAnswer::text(std::string("a\0b", 3));
                 if (item == "silent")
                     return DdeAnswer::silent();
                 if (item.rfind("late:", 0) == 0) {
                     const std::string rest = after("late:");
                     std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(rest)));
                     return DdeAnswer::text(rest.substr(rest.find(':') + 1));
                 }
                 return DdeAnswer::refused();
             } };
}

class SocketDdeClientTest : public ::testing::Test {
protected:
    std::string folder() const { return dir.path() + "/quillon-dde"; }

    // A socket bound to the service's name; once closed it is the file a
    // server that died leaves behind.
    int bindServiceSocket(const std::string& service) const
    {
        ::mkdir(folder().c_str(), 0700);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        (folder() + "/" + service).copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        return fd;
    }
    void leaveStaleSocket(const std::string& service) const { ::close(bindServiceSocket(service)); }

    // A program that notes it ran, then becomes a server for service.
    std::string writeStarter(const std::string& service) const
    {
        dir.write("start.sh", "#!/bin/sh\n: > '" + dir.file("started") + "'\nexec '" QUILLON_DDE_TEST_SERVER "' "
                                  + service + "\n");
        ::chmod(dir.file("start.sh").c_str(), 0755);
        return dir.file("start.sh");
    }

    TempDir dir;
    ScopedEnv runtime { "XDG_RUNTIME_DIR", dir.path() };
};

} // namespace

TEST_F(SocketDdeClientTest, conversation_carriesRequestsAcrossTopicChanges)
{
    ServerThread server("iexplore", testHandlers());
    SocketDdeClient client(5000);
    const auto conversation = client.connect("IExplore", "WWW_One");
    ASSERT_TRUE(conversation);
    EXPECT_EQ(conversation->request("topic"), "WWW_One");
    EXPECT_EQ(conversation->request("echo:second"), "second");
    EXPECT_TRUE(conversation->changeTopic("WWW_Two"));
    EXPECT_EQ(conversation->request("topic"), "WWW_Two");
    EXPECT_FALSE(conversation->changeTopic("Refused"));
    EXPECT_EQ(conversation->request("topic"), ""); // the link to WWW_Two is closed
    EXPECT_TRUE(conversation->changeTopic("WWW_Three"));
    EXPECT_EQ(conversation->request("topic"), "WWW_Three");
}

namespace {

struct ReplyCase {
    const char* name;
    std::string item;
    int timeoutMs;
    std::string expected;
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class SocketDdeClientReplies : public SocketDdeClientTest, public ::testing::WithParamInterface<ReplyCase> {};

const ReplyCase replyCases[] = {
    { "text", "echo:hello", 5000, "hello" },
    { "exactlyTheLimit", "bytes:65536", 5000, std::string(DdeConversation::MaxReplyBytes, 'x') },
    { "oneByteOverTheLimit", "bytes:65537", 5000, "" },
    { "aMegabyte", "bytes:1048576", 5000, "" },
    { "notText", "data:abc", 5000, "" },
    { "textHoldingNul", "nul", 5000, "" },
    { "refused", "refuse", 5000, "" },
    { "noReply", "silent", 300, "" },
    { "replyAfterTheTimeOut", "late:900:stale", 300, "" },
};

} // namespace

// Whatever became of a request, the next one on the same conversation gets
// its own reply: no reply read half, none taken for another's.
TEST_P(SocketDdeClientReplies, replyThenNextRequest)
{
    ServerThread server("netscape", testHandlers());
    SocketDdeClient client(5000);
    const auto conversation = client.connect("netscape", "WWW_Test");
    ASSERT_TRUE(conversation);
    EXPECT_EQ(conversation->request(GetParam().item, GetParam().timeoutMs), GetParam().expected);
    EXPECT_EQ(conversation->request("echo:after", 5000), "after");
}

INSTANTIATE_TEST_SUITE_P(Cases, SocketDdeClientReplies, ::testing::ValuesIn(replyCases),
                         [](const auto& info) { return caseName(info.index, info.param.name); });

TEST_F(SocketDdeClientTest, silentServer_givesTheEmptyReplyWithinTheTimeOut)
{
    ServerThread server("netscape", testHandlers());
    SocketDdeClient client(5000);
    const auto conversation = client.connect("netscape", "WWW_Test");
    ASSERT_TRUE(conversation);
    const auto start = Clock::now();
    EXPECT_EQ(conversation->request("silent", 1000), "");
    EXPECT_LT(msSince(start), 2000);
}

// A server that takes the connection but never answers the topic.
TEST_F(SocketDdeClientTest, hungServer_opensNothingWithinTheTimeOut)
{
    const int listener = bindServiceSocket("netscape");
    ASSERT_EQ(::listen(listener, 4), 0);

    SocketDdeClient client(1000);
    const auto start = Clock::now();
    EXPECT_FALSE(client.connect("netscape", "WWW_Test"));
    EXPECT_LT(msSince(start), 2000);
    ::close(listener);
}

TEST_F(SocketDdeClientTest, serverGone_endsTheConversation)
{
    auto server = std::make_unique<ServerThread>("netscape", testHandlers());
    SocketDdeClient client(5000);
    const auto conversation = client.connect("netscape", "WWW_Test");
    ASSERT_TRUE(conversation);
    server.reset();
    EXPECT_EQ(conversation->request("topic"), "");
    EXPECT_FALSE(conversation->changeTopic("WWW_Other"));
}

namespace {

enum class Setup { Nothing, StaleSocket, LiveServer, UnsafeFolder };

struct OpenCase {
    const char* name;
    Setup setup;
    std::string service;
    std::string topic;
    bool withProgram;
    bool opens;
    bool starts;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class SocketDdeClientOpen : public SocketDdeClientTest, public ::testing::WithParamInterface<OpenCase> {};

const OpenCase openCases[] = {
    { "noServer", Setup::Nothing, "netscape", "WWW_Test", false, false, false },
    { "staleSocket", Setup::StaleSocket, "netscape", "WWW_Test", false, false, false },
    { "refusedTopic", Setup::LiveServer, "netscape", "Refused", false, false, false },
    { "folderOthersMayWrite", Setup::UnsafeFolder, "netscape", "WWW_Test", false, false, false },
    { "serviceNotAName", Setup::LiveServer, "../netscape", "WWW_Test", false, false, false },
    { "startedWhenNoSocket", Setup::Nothing, "NetScape", "WWW_Test", true, true, true },
    { "startedWhenSocketRefuses", Setup::StaleSocket, "netscape", "WWW_Test", true, true, true },
    { "liveServerNotStartedAgain", Setup::LiveServer, "netscape", "WWW_Test", true, true, false },
    { "refusedTopicStartsNothing", Setup::LiveServer, "netscape", "Refused", true, false, false },
    { "folderOthersMayWriteStartsNothing", Setup::UnsafeFolder, "netscape", "WWW_Test", true, false, false },
};

} // namespace

// Opening with and without a program to start. A conversation that cannot
// be opened is known well before the time-out, unless a started program is
// being waited for.
TEST_P(SocketDdeClientOpen, opensAndStarts)
{
    const OpenCase& c = GetParam();
    std::unique_ptr<ServerThread> server;
    if (c.setup == Setup::StaleSocket)
        leaveStaleSocket("netscape");
    if (c.setup == Setup::LiveServer || c.setup == Setup::UnsafeFolder)
        server = std::make_unique<ServerThread>("netscape", testHandlers());
    if (c.setup == Setup::UnsafeFolder) {
        ASSERT_EQ(::chmod(folder().c_str(), 0777), 0);
    }

    SocketDdeClient client(20000);
    const auto start = Clock::now();
    const auto conversation = client.connect(c.service, c.topic, c.withProgram ? writeStarter("netscape") : "");
    const ListeningProcess started(folder() + "/netscape");
    EXPECT_EQ(conversation != nullptr, c.opens);
    EXPECT_EQ(dir.exists("started"), c.starts);
    if (conversation) {
        EXPECT_EQ(conversation->request("topic"), c.topic);
    }
    if (!c.opens) {
        EXPECT_LT(msSince(start), 10000);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SocketDdeClientOpen, ::testing::ValuesIn(openCases),
                         [](const auto& info) { return caseName(info.index, info.param.name); });

TEST_F(SocketDdeClientTest, missingProgram_opensNothingAtOnce)
{
    SocketDdeClient client(20000);
    const auto start = Clock::now();
    EXPECT_FALSE(client.connect("netscape", "WWW_Test", dir.file("no-such-browser")));
    EXPECT_LT(msSince(start), 10000);
}
