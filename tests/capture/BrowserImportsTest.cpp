#include "capture/ExplorerImports.h"
#include "capture/LinkScan.h"
#include "capture/NetscapeImports.h"

#include "fakes/AppFixture.h"
#include "fakes/CaseName.h"
#include "fakes/FakeBrowsers.h"

#include <filesystem>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::capture;
using namespace quillon::test;
using Lines = std::vector<std::string>;

namespace {

const std::string Data = QUILLON_TEST_DATA;

Lines hostNames(const RecordList& records)
{
    Lines out;
    for (const auto& r : records)
        out.push_back(r->HostName);
    return out;
}

struct LinkCase {
    const char* line;
    LinkKind kind;
    const char* address;
};

void PrintTo(const LinkCase& c, std::ostream* os)
{
    *os << c.line;
}

class LinkOnLine : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkOnLine, takesTheFirstLinkOfItsKindInExactCase)
{
    EXPECT_EQ(linkOnLine(GetParam().line, GetParam().kind), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LinkOnLine,
    ::testing::Values(
        LinkCase { R"(<DT><A HREF="http://a.example/x" ADD_DATE="1">A</A>)", LinkKind::Bookmark, "http://a.example/x" },
        LinkCase { R"(<A HREF="http://one.example/"><A HREF="http://two.example/">)", LinkKind::Bookmark,
                   "http://one.example/" },
        LinkCase { R"(<dt><a href="http://lower.example/">)", LinkKind::Bookmark, "" },
        LinkCase { R"(<A HREF='http://single.example/'>)", LinkKind::Bookmark, "" },
        LinkCase { R"(<A HREF="http://open.example/no-close)", LinkKind::Bookmark, "http://open.example/no-close" },
        LinkCase { R"(<TD><A HREF="about:http://hosta/page">http://hosta/page</A>)", LinkKind::CacheListing,
                   "http://hosta/page" },
        LinkCase { R"(<A HREF="http://hosta/page">)", LinkKind::CacheListing, "" },
        LinkCase { R"(<A HREF="about:http://hosta/page">)", LinkKind::Bookmark, "about:http://hosta/page" }),
    [](const auto& info) { return caseName(info.index, info.param.line); });

struct MaskCase {
    const char* name;
    const char* mask;
    bool matches;
};

void PrintTo(const MaskCase& c, std::ostream* os)
{
    *os << c.name << " " << c.mask;
}

class Masks : public ::testing::TestWithParam<MaskCase> {};

TEST_P(Masks, matchLikeTheDesktopFileSearch)
{
    EXPECT_EQ(matchesMask(GetParam().name, GetParam().mask), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Names, Masks,
                         ::testing::Values(MaskCase { "Bing.url", "*.url", true }, MaskCase { "BING.URL", "*.url", true },
                                           MaskCase { "a.url.txt", "*.url", false }, MaskCase { "url", "*.url", false },
                                           MaskCase { "README", "*.*", true }, MaskCase { "ab.url", "a?.url", true },
                                           MaskCase { "abc.url", "a?.url", false }, MaskCase { "x.lnk", "*", true }),
                         [](const auto& info) { return caseName(info.index, std::string(info.param.name) + "_" + info.param.mask); });

class BrowserImportsTest : public AppFixture {
protected:
    void SetUp() override
    {
        startAndLoad();
        resolver.resolveEverything = true;
    }
    void setFavorites(const std::string& folder)
    {
        browsers.registry.set(platform::RegistryRoot::CurrentUser,
                              "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Favorites",
                              folder);
    }
    std::string registerNetscape()
    {
        const std::string program = programDir.path() + "/netscape";
        programDir.write("netscape", "");
        browsers.registry.set(platform::RegistryRoot::LocalMachine,
                              "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe", "", program);
        return program;
    }

    FakeBrowsers browsers;
};

TEST_F(BrowserImportsTest, favoritesAreSearchedFolderFirstSkippingDotFolders)
{
    TempDir favorites;
    std::filesystem::create_directories(favorites.path() + "/b/deep");
    std::filesystem::create_directories(favorites.path() + "/a");
    std::filesystem::create_directories(favorites.path() + "/.hidden");
    const auto shortcut = [&](const std::string& name, const std::string& url) {
        favorites.write(name, "[InternetShortcut]\r\nURL=" + url + "\r\n");
    };
    shortcut("z-top.url", "http://top.example/");
    shortcut("a/one.url", "https://one.example:443/x");
    shortcut("b/deep/two.url", "http://two.example/");
    shortcut("b/also-one.URL", "http://ONE.example/");
    shortcut(".hidden/secret.url", "http://hidden.example/");
    shortcut("a/mail.url", "mailto:me@example.org");
    favorites.write("a/no-url.url", "[InternetShortcut]\r\n");
    favorites.write("a/notes.txt", "[InternetShortcut]\r\nURL=http://txt.example/\r\n");

    std::vector<std::string> paths;
    FindFilesRecursive(fs, favorites.path(), "*.url", paths);
    const std::string f = favorites.path() + "/";
    EXPECT_EQ(paths, (Lines { f + "z-top.url", f + "a/mail.url", f + "a/no-url.url", f + "a/one.url",
                              f + "b/also-one.URL", f + "b/deep/two.url" }));

    setFavorites(favorites.path());
    MenuImportIExplorerBookmarksClick(app, browsers.system);
    EXPECT_EQ(dialogs.workActions.front(), "Processing Favorites...");
    EXPECT_EQ(names(ListPage::Hosts), (Lines { "two.example", "one.example", "top.example" }));
    EXPECT_EQ(dialogs.askedTexts(), Lines { "New Hosts imported: 3." });

    // "*.*" takes every file; those without a URL give nothing.
    state.settings.FileExtIEBookmarks = "*.*";
    MenuImportIExplorerBookmarksClick(app, browsers.system);
    EXPECT_EQ(names(ListPage::Hosts).front(), "txt.example");
}

TEST_F(BrowserImportsTest, favoritesFromRealShortcutFiles)
{
    setFavorites(Data + "/url");
    MenuImportIExplorerBookmarksClick(app, browsers.system);
    const Lines hosts = names(ListPage::Hosts);
    EXPECT_NE(std::find(hosts.begin(), hosts.end(), "go.microsoft.com"), hosts.end());
    EXPECT_NE(std::find(hosts.begin(), hosts.end(), "www.daveeddy.com"), hosts.end());
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text, "New Hosts imported: " + std::to_string(hosts.size()) + ".");
}

TEST_F(BrowserImportsTest, withoutAFavoritesFolderNothingIsRead)
{
    MenuImportIExplorerBookmarksClick(app, browsers.system);
    setFavorites("");
    MenuImportIExplorerBookmarksClick(app, browsers.system);
    EXPECT_EQ(dialogs.askedTexts(), (Lines { "Cannot find Internet Explorer \"Favorites\" folder.",
                                             "Cannot find Internet Explorer \"Favorites\" folder." }));
    EXPECT_EQ(dialogs.workShows, 0);
}

TEST_F(BrowserImportsTest, visitedPagesGiveEachHostOnceAndSkipLocalPages)
{
    browsers.visited.entries = { "Visited: me@http://a.example/1", "Visited: me@http://a.example/2",
                                 "Visited: me@file:///C:/x.htm", "Visited: me@mk:@MSITStore:x.chm",
                                 "Visited: me@ms-its:x.chm", "Visited: me@https://b.example/" };
    RecordList candidates;
    CollectVisitedUrls(browsers.visited, candidates);
    EXPECT_EQ(hostNames(candidates), (Lines { "a.example", "a.example", "b.example" }));

    MenuImportIExplorerCacheClick(app, browsers.system);
    EXPECT_EQ(names(ListPage::Hosts), (Lines { "b.example", "a.example" }));
    EXPECT_EQ(dialogs.askedTexts(), Lines { "New Hosts imported: 2." });
    browsers.visited.entries.clear();
    MenuImportIExplorerCacheClick(app, browsers.system);
    EXPECT_EQ(dialogs.askedTexts().back(), "No new Hosts to import.");
}

TEST_F(BrowserImportsTest, bookmarkFilesImportOnceAndLowerCaseAnchorsGiveNothing)
{
    const std::string file = Data + "/bookmarks/kafene__netscape-bookmark-parser/tests/input/netscape_basic.htm";
    RecordList expected;
    ASSERT_TRUE(ScanLinks(fs, file, expected, LinkKind::Bookmark));
    ASSERT_FALSE(expected.empty());

    dialogs.fileAnswers = { file, file, "" };
    MenuImportNetscapeBookmarksClick(app, browsers.system);
    const std::size_t added = state.store.activeSize();
    EXPECT_GT(added, 0u);
    EXPECT_EQ(dialogs.asked.back().text, "New Hosts imported: " + std::to_string(added) + ".");
    MenuImportNetscapeBookmarksClick(app, browsers.system);
    EXPECT_EQ(dialogs.asked.back().text, "No new Hosts to import.");
    MenuImportNetscapeBookmarksClick(app, browsers.system); // cancelled: nothing more
    EXPECT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.fileDialogs[0].title, "Import");
    EXPECT_EQ(dialogs.fileDialogs[0].fileName, "bookmark.htm");

    TempDir lower;
    lower.write("b.htm", "<dt><a href=\"http://lower.example/\">x</a>\n");
    RecordList none;
    ASSERT_TRUE(ScanLinks(fs, lower.path() + "/b.htm", none, LinkKind::Bookmark));
    EXPECT_TRUE(none.empty());
}

// Exports written by the browsers themselves read as Netscape bookmark
// files; Firefox's own queries (place:) give no host.
TEST_F(BrowserImportsTest, exportsOfEveryBrowserGiveTheirHosts)
{
    const std::string dir = Data + "/bookmarks/kafene__netscape-bookmark-parser/tests/input/";
    const struct {
        const char* file;
        const char* host;
    } exports[] = { { "firefox_nested.htm", "xkcd.com" }, { "chromium_nested.htm", "www.jabber.org" },
                    { "internet_explorer_11_flat.htm", "www.owasp.org" } };
    for (const auto& e : exports) {
        RecordList found;
        ASSERT_TRUE(ScanLinks(fs, dir + e.file, found, LinkKind::Bookmark)) << e.file;
        const Lines hosts = hostNames(found);
        EXPECT_NE(std::find(hosts.begin(), hosts.end(), e.host), hosts.end()) << e.file;
        EXPECT_EQ(std::find(hosts.begin(), hosts.end(), "place"), hosts.end()) << e.file;
    }
}

TEST_F(BrowserImportsTest, bookmarkDialogStartsInNetscapesFolder)
{
    registerNetscape();
    browsers.registry.set(platform::RegistryRoot::LocalMachine,
                          "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe", "Path",
                          "/opt/netscape");
    dialogs.fileAnswers = { "" };
    MenuImportNetscapeBookmarksClick(app, browsers.system);
    EXPECT_EQ(dialogs.fileDialogs[0].folder, "/opt/netscape/defaults");
    EXPECT_EQ(dialogs.fileDialogs[0].fileName, "/opt/netscape/defaults/bookmark.htm");
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(BrowserImportsTest, linesEndingInAnyWayAndAnUnreadableFile)
{
    TempDir dir;
    dir.write("mac.htm", "<A HREF=\"http://cr.example/\">\r<A HREF=\"http://crlf.example/\">\r\n"
                         "<A HREF=\"http://lf.example/\">\n<A HREF=\"http://last.example/\">");
    RecordList found;
    ASSERT_TRUE(ScanLinks(fs, dir.path() + "/mac.htm", found, LinkKind::Bookmark));
    EXPECT_EQ(hostNames(found), (Lines { "cr.example", "crlf.example", "lf.example", "last.example" }));

    fs.fail(FaultyFileSystem::Op::Read, dir.path() + "/mac.htm", EACCES);
    dialogs.fileAnswers = { dir.path() + "/mac.htm" };
    MenuImportNetscapeBookmarksClick(app, browsers.system);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text.rfind("Cannot open file", 0), 0u);
    EXPECT_EQ(state.store.activeSize(), 0u);
    EXPECT_FALSE(dialogs.workPanelVisible());
}

TEST_F(BrowserImportsTest, cacheListingIsRequestedIntoTheWorkFileAndEmptiedAfter)
{
    const std::string program = registerNetscape();
    const std::string n01 = state.paths.n01;
    browsers.dde.servers["netscape"].reply = [&](const std::string& topic, const std::string& item) {
        if (topic == "WWW_OpenURL" && item.rfind("about:cache,", 0) == 0)
            programDir.write("Quillon.n01", "<TR><TD><A HREF=\"about:http://hosta/page\">x</A>\n"
                                            "<TR><TD><A HREF=\"about:file:///tmp/y\">y</A>\n");
        return std::string("0x1");
    };
    dialogs.answers = { Answer::Ok, Answer::Ok, Answer::Ok, Answer::Ok };
    MenuImportNetscapeCacheClick(app, browsers.system);
    EXPECT_EQ(browsers.dde.logged("request"),
              (Lines { "request netscape WWW_OpenURL about:cache," + n01 + ",0xFFFFFFFF,0x0,,,",
                       "request netscape WWW_OpenURL " + state.paths.n02 + ",,0xFFFFFFFF,0x0,,," }));
    EXPECT_EQ(browsers.dde.logged("connect"), Lines { "connect netscape WWW_OpenURL " + program });
    EXPECT_EQ(names(ListPage::Hosts), Lines { "hosta" });
    EXPECT_EQ(dialogs.askedTexts(),
              (Lines { "Now will start a Netscape session to process visited Hosts.", "New Hosts imported: 1." }));
    std::string listing = "unread";
    ASSERT_TRUE(fs.readFile(n01, listing));
    EXPECT_EQ(listing, "");

    // With a Netscape window open, the listing goes to window 0x0.
    browsers.windows.add("Start - Netscape");
    browsers.dde.log.clear();
    MenuImportNetscapeCacheClick(app, browsers.system);
    EXPECT_EQ(browsers.dde.logged("request").front(), "request netscape WWW_OpenURL about:cache," + n01 + ",0x0,0x0,,,");
}

TEST_F(BrowserImportsTest, cacheImportWithoutNetscape)
{
    programDir.write("Quillon.n01", "left over");
    dialogs.answers = { Answer::Ok, Answer::Ok, Answer::Ok, Answer::Ok };
    MenuImportNetscapeCacheClick(app, browsers.system);
    EXPECT_EQ(dialogs.askedTexts(),
              (Lines { "Now will start a Netscape session to process visited Hosts.", "Netscape not found." }));
    std::string listing;
    ASSERT_TRUE(fs.readFile(state.paths.n01, listing));
    EXPECT_EQ(listing, "");

    // Registered, but its server never comes up: nothing is requested.
    registerNetscape();
    browsers.dde.servers["netscape"].running = false;
    MenuImportNetscapeCacheClick(app, browsers.system);
    EXPECT_EQ(browsers.dde.logged("request"), Lines {});
    EXPECT_EQ(dialogs.askedTexts().back(), "No new Hosts to import.");
}

} // namespace
