// The stand-in browser, run as a program of its own (headless) and spoken
// to as Quillon speaks to it: through SocketDdeClient.

#include "platform/linux/SocketDdeClient.h"

#include "DdeTestSupport.h"
#include "fakes/CaseName.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using namespace quillon::platform;
using namespace quillon::test;

namespace {

#ifdef QUILLON_BROWSER_SIM
const std::string BrowserSim = QUILLON_BROWSER_SIM;
#else
const std::string BrowserSim;
#endif

// A folder only its owner may enter, as a runtime folder is.
std::string privateFolder(const std::string& path)
{
    ::mkdir(path.c_str(), 0700);
    return path;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// browser-sim run by the test, killed and reaped when the test ends.
class Browser {
public:
    explicit Browser(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> owned { BrowserSim };
        owned.insert(owned.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : owned)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&m_pid, BrowserSim.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    }
    ~Browser()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // Waits until the service answers; false when the browser ended first
    // or it took more than 20 s.
    bool waitUntilServing(const std::string& service)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (m_pid <= 0 || ::waitpid(m_pid, &status, WNOHANG) != 0)
                return false;
            const std::string path = socketFolder() + "/" + service;
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address {};
            address.sun_family = AF_UNIX;
            path.copy(address.sun_path, sizeof address.sun_path - 1);
            const bool serving = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
            ::close(fd);
            if (serving)
                return true;
            ::usleep(20000);
        }
        return false;
    }

    static std::string socketFolder() { return std::string(std::getenv("XDG_RUNTIME_DIR")) + "/quillon-dde"; }

private:
    pid_t m_pid = -1;
};

class BrowserSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (BrowserSim.empty())
            GTEST_SKIP() << "browser-sim is built with the user interface only";
    }

    std::string urlCache() const { return dir.file("data") + "/quillon/url-cache"; }

    TempDir dir;
    ScopedEnv runtime { "XDG_RUNTIME_DIR", privateFolder(dir.file("runtime")) };
    ScopedEnv state { "XDG_STATE_HOME", dir.file("state") };
    ScopedEnv data { "XDG_DATA_HOME", dir.file("data") };
    ScopedEnv user { "USER", "tester" };
    ScopedEnv headless { "QT_QPA_PLATFORM", "offscreen" };
    SocketDdeClient client { 5000 };
};

struct OpenCase {
    const char* name;
    const char* role;
    std::string item;
    std::string windowInfo;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class BrowserSimOpen : public BrowserSimTest, public ::testing::WithParamInterface<OpenCase> {};

const OpenCase openCases[] = {
    { "iexploreWebAddress", "iexplore", "http://hosta.example/page,,0xFFFFFFFF,0x0,,,",
      R"("http://hosta.example/page","hosta.example - Microsoft Internet Explorer")" },
    { "netscapeBareHost", "netscape", "hostb.example,,0xFFFFFFFF,0x3,,,",
      R"("http://hostb.example/","hostb.example - Netscape")" },
    { "netscapeLocalFile", "netscape", "/srv/pages/Quillon.n02,,0xFFFFFFFF,0x0,,,",
      R"("file:///srv/pages/Quillon.n02","file:///srv/pages/Quillon.n02 - Netscape")" },
};

} // namespace

// What WWW_OpenURL opens, WWW_GetWindowInfo reports for the last active
// window and for the window's own id; WWW_Activate names that window.
TEST_P(BrowserSimOpen, openUrl_thenWindowInfo)
{
    const OpenCase& c = GetParam();
    Browser browser({ "--as", c.role });
    ASSERT_TRUE(browser.waitUntilServing(c.role));
    const auto conversation = client.connect(c.role, "WWW_OpenURL");
    ASSERT_TRUE(conversation);
    EXPECT_EQ(conversation->request(c.item), "0x1");
    ASSERT_TRUE(conversation->changeTopic("WWW_GetWindowInfo"));
    EXPECT_EQ(conversation->request("0xFFFFFFFF"), c.windowInfo);
    EXPECT_EQ(conversation->request("0x1"), c.windowInfo);
    EXPECT_EQ(conversation->request("0x2"), "");
    ASSERT_TRUE(conversation->changeTopic("WWW_Activate"));
    EXPECT_EQ(conversation->request("0xFFFFFFFF"), "0x1");
}

INSTANTIATE_TEST_SUITE_P(Cases, BrowserSimOpen, ::testing::ValuesIn(openCases),
                         [](const auto& info) { return caseName(info.index, info.param.name); });

// The listing Quillon's Netscape cache import reads: each visited URL once,
// in visit order, on a line of its own with one anchor.
TEST_F(BrowserSimTest, netscape_savesItsCacheListing)
{
    Browser browser({ "--as", "netscape", "--url", "http://start.example/" });
    ASSERT_TRUE(browser.waitUntilServing("netscape"));
    const auto conversation = client.connect("Netscape", "WWW_OpenURL");
    ASSERT_TRUE(conversation);
    for (const char* url : { "http://a.example/x", "b.example", "http://a.example/x" })
        EXPECT_EQ(conversation->request(std::string(url) + ",,0xFFFFFFFF,0x0,,,"), "0x1");
    EXPECT_EQ(conversation->request("about:cache," + dir.file("Quillon.n01") + ",0x0,0x0,,,"), "0x1");

    std::vector<std::string> addresses;
    const std::string pattern = " HREF=\"about:";
    for (const std::string& line : lines(dir.read("Quillon.n01"))) {
        const auto at = line.find(pattern);
        if (at == std::string::npos)
            continue;
        EXPECT_EQ(line.find("<A "), line.rfind("<A ")) << line;
        const auto start = at + pattern.size();
        addresses.push_back(line.substr(start, line.find('"', start) - start));
    }
    EXPECT_EQ(addresses,
              (std::vector<std::string> { "http://start.example/", "http://a.example/x", "http://b.example/" }));
    EXPECT_FALSE(std::filesystem::exists(urlCache())); // Netscape keeps no URL cache
}

TEST_F(BrowserSimTest, iexplore_appendsVisitsToTheUrlCache)
{
    Browser browser({ "--as", "iexplore" });
    ASSERT_TRUE(browser.waitUntilServing("iexplore"));
    const auto conversation = client.connect("iexplore", "WWW_OpenURL");
    ASSERT_TRUE(conversation);
    EXPECT_EQ(conversation->request("http://a.example/,,0xFFFFFFFF,0x0,,,"), "0x1");
    EXPECT_EQ(conversation->request("http://a.example/,,0xFFFFFFFF,0x0,,,"), "0x1");
    EXPECT_EQ(lines(TempDir::readFile(urlCache())),
              (std::vector<std::string> { "Visited: tester@about:blank", "Visited: tester@http://a.example/",
                                          "Visited: tester@http://a.example/" }));
}

TEST_F(BrowserSimTest, log_holdsEveryConversationAndRequest)
{
    Browser browser({ "--as", "netscape" });
    ASSERT_TRUE(browser.waitUntilServing("netscape"));
    const auto conversation = client.connect("netscape", "WWW_GetWindowInfo");
    ASSERT_TRUE(conversation);
    conversation->request("0xFFFFFFFF");
    EXPECT_FALSE(conversation->changeTopic("WWW_Bogus"));
    ASSERT_TRUE(conversation->changeTopic("WWW_OpenURL"));
    conversation->request("host\tname,,0xFFFFFFFF,0x3,,,");
    EXPECT_EQ(lines(TempDir::readFile(dir.file("state") + "/browser-sim/netscape.log")),
              (std::vector<std::string> { "conversation\tWWW_GetWindowInfo\taccepted", "WWW_GetWindowInfo\t0xFFFFFFFF",
                                          "conversation\tWWW_Bogus\trefused", "conversation\tWWW_OpenURL\taccepted",
                                          "WWW_OpenURL\thost\\tname,,0xFFFFFFFF,0x3,,," }));
}

namespace {

struct ReplyCase {
    const char* name;
    std::vector<std::string> arguments;
    std::size_t replySize;
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class BrowserSimReplies : public BrowserSimTest, public ::testing::WithParamInterface<ReplyCase> {};

const ReplyCase replyCases[] = {
    { "mute", { "--mute" }, 0 },
    { "replyAtTheLimit", { "--reply-bytes", "65536" }, 65536 },
    { "replyOverTheLimit", { "--reply-bytes", "65537" }, 0 },
};

} // namespace

TEST_P(BrowserSimReplies, windowInfoReplySize)
{
    std::vector<std::string> arguments { "--as", "iexplore" };
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    Browser browser(arguments);
    ASSERT_TRUE(browser.waitUntilServing("iexplore"));
    const auto conversation = client.connect("iexplore", "WWW_GetWindowInfo");
    ASSERT_TRUE(conversation);
    EXPECT_EQ(conversation->request("0xFFFFFFFF", 1000).size(), GetParam().replySize);
}

INSTANTIATE_TEST_SUITE_P(Cases, BrowserSimReplies, ::testing::ValuesIn(replyCases),
                         [](const auto& info) { return caseName(info.index, info.param.name); });

namespace {

struct StartCase {
    const char* name;
    const char* link;
    std::string windowInfo;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class BrowserSimStart : public BrowserSimTest, public ::testing::WithParamInterface<StartCase> {};

const StartCase startCases[] = {
    { "iexplore", "iexplore", R"("about:blank","about:blank - Microsoft Internet Explorer")" },
    { "netscape", "netscape", R"("about:blank","about:blank - Netscape")" },
};

} // namespace

// Started on demand by path, without arguments: the name of the link says
// which browser to play.
TEST_P(BrowserSimStart, startedOnDemandThroughItsLink)
{
    const std::string link = std::filesystem::path(BrowserSim).parent_path() / GetParam().link;
    SocketDdeClient starting(20000);
    const auto conversation = starting.connect(GetParam().link, "WWW_GetWindowInfo", link);
    const ListeningProcess started(Browser::socketFolder() + "/" + GetParam().link);
    ASSERT_TRUE(conversation);
    EXPECT_TRUE(started.found());
    EXPECT_EQ(conversation->request("0xFFFFFFFF"), GetParam().windowInfo);
}

INSTANTIATE_TEST_SUITE_P(Cases, BrowserSimStart, ::testing::ValuesIn(startCases),
                         [](const auto& info) { return caseName(info.index, info.param.name); });
