#include "capture/BrowserHistoryImports.h"
#include "capture/ChromiumBookmarks.h"
#include "capture/HistoryFollower.h"
#include "core/Interface.h"

#include "fakes/AppFixture.h"

#include <sqlite3.h>

#include <filesystem>

#include <unistd.h>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::capture;
using namespace quillon::test;
using Lines = std::vector<std::string>;

namespace {

constexpr std::int64_t Start = 1'700'000'000'000'000; // the program's start, µs since 1970
constexpr std::int64_t From1601 = 11'644'473'600'000'000;

// A browser's history database with just the tables and columns it reads.
class HistoryDb {
public:
    HistoryDb(const std::string& path, BrowserFamily family, bool wal = false)
        : m_family(family)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_EQ(sqlite3_open(path.c_str(), &m_db), SQLITE_OK);
        if (wal)
            exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;");
        exec(family == BrowserFamily::Firefox
                 ? "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT);"
                   "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER, visit_date INTEGER);"
                   "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER);"
                 : "CREATE TABLE urls (id INTEGER PRIMARY KEY, url TEXT);"
                   "CREATE TABLE visits (id INTEGER PRIMARY KEY, url INTEGER, visit_time INTEGER);");
    }
    ~HistoryDb() { sqlite3_close(m_db); }
    void exec(const std::string& sql) { EXPECT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql; }
    // A visit of url at a time in µs since 1970.
    void visit(const std::string& url, std::int64_t unixMicros)
    {
        const bool ff = m_family == BrowserFamily::Firefox;
        exec(std::string("INSERT INTO ") + (ff ? "moz_places" : "urls") + " (url) SELECT '" + url + "' WHERE NOT EXISTS (SELECT 1 FROM "
             + (ff ? "moz_places" : "urls") + " WHERE url = '" + url + "');");
        const std::string id = std::string("(SELECT id FROM ") + (ff ? "moz_places" : "urls") + " WHERE url = '" + url + "')";
        exec(ff ? "INSERT INTO moz_historyvisits (place_id, visit_date) VALUES (" + id + ", " + std::to_string(unixMicros) + ");"
                : "INSERT INTO visits (url, visit_time) VALUES (" + id + ", " + std::to_string(unixMicros + From1601) + ");");
    }
    void bookmark(const std::string& url)
    {
        exec("INSERT INTO moz_places (url) VALUES ('" + url + "');"
             "INSERT INTO moz_bookmarks (type, fk) VALUES (1, last_insert_rowid());");
    }

private:
    sqlite3* m_db = nullptr;
    BrowserFamily m_family;
};

class BrowserHistoryTest : public AppFixture {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(copies());
        programDir.write("Quillon.d03", "ignored.example\r\n");
        startAndLoad();
        setInterfaceLock(app, true); // the ticks run while the interface is unlocked
        resolver.resolveEverything = true;
    }
    std::string home() const { return homeDir.path(); }
    std::string copies() const { return homeDir.path() + "/copies"; }
    BrowserProfile firefox(const std::string& name = "default")
    {
        return { BrowserFamily::Firefox, "Firefox", name, home() + "/.mozilla/firefox/" + name };
    }
    BrowserProfile chromium(const std::string& name = "Default")
    {
        return { BrowserFamily::Chromium, "Chromium", name, home() + "/.config/chromium/" + name };
    }
    // Fixed profiles, copied into the test's own folder.
    BrowserHistories given(std::vector<BrowserProfile> profiles) { return { std::move(profiles), copies() }; }
    // The follower's admissions, as URLs.
    Lines check(HistoryFollower& f, bool ff = true, bool chrome = true)
    {
        Lines urls;
        f.check(ff, chrome, [&](std::string_view url) { urls.emplace_back(url); });
        return urls;
    }

    // The history tick, its lookups answered and applied at once.
    void tick(HistoryFollower& follower)
    {
        TimerHistoryTimer(app, follower, lookups);
        lookups.applyAnswers(app);
    }

    TempDir homeDir;
    Lines logged;
    // The fixture's resolver answers each lookup at once.
    CaptureLookups lookups { std::shared_ptr<platform::AsyncResolver>(std::shared_ptr<void>(), &resolver) };
};

TEST_F(BrowserHistoryTest, profilesOfBothFamiliesAreFoundWhereTheBrowsersKeepThem)
{
    homeDir.write(".mozilla/firefox/profiles.ini", "[General]\nStartWithLastProfile=1\n"
                                                    "[Profile1]\nName=work\nIsRelative=1\nPath=abc.work\n"
                                                    "[Profile0]\nName=default-esr\nIsRelative=0\nPath=" + home() + "/elsewhere/\n"
                                                    "[Profile2]\nName=never-used\nPath=nothing.here\n"
                                                    "[Install4F96D1932A9F858E]\nDefault=abc.work\n");
    homeDir.write(".mozilla/firefox/abc.work/places.sqlite", "x");
    homeDir.write("elsewhere/places.sqlite", "x");
    homeDir.write("snap/firefox/common/.mozilla/firefox/profiles.ini", "[Profile0]\nName=snap\nPath=s.default\n");
    homeDir.write("snap/firefox/common/.mozilla/firefox/s.default/places.sqlite", "x");
    for (const char* p : { "chromium/Default", "chromium/Profile 2", "chromium/System Profile", "chromium/Guest Profile",
                           "BraveSoftware/Brave-Browser/Default", "vivaldi/Profile 1x" })
        homeDir.write(std::string("config/") + p + "/History", "x");
    homeDir.write("config/google-chrome/Default/Bookmarks", "{}"); // no history: left out
    // Where recent releases make the first profile, one listed only by installs.ini.
    homeDir.write("config/mozilla/firefox/profiles.ini", "[Profile0]\nName=default-esr\nPath=x1.default-esr\n");
    homeDir.write("config/mozilla/firefox/x1.default-esr/places.sqlite", "x");
    homeDir.write("config/mozilla/firefox/installs.ini", "[3B6073811A6ABF12]\nDefault=y2.default-release\n");
    homeDir.write("config/mozilla/firefox/y2.default-release/places.sqlite", "x");
    // Chromium as a Snap, Brave as a Flatpak.
    homeDir.write("snap/chromium/common/chromium/Default/History", "x");
    homeDir.write(".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser/Profile 3/History", "x");

    Lines found;
    for (const BrowserProfile& p : findBrowserProfiles(fs, home(), home() + "/config"))
        found.push_back(p.title() + " " + p.historyFile().substr(home().size()));
    EXPECT_EQ(found, (Lines { "Firefox (default-esr) /config/mozilla/firefox/x1.default-esr/places.sqlite",
                              "Firefox (y2.default-release) /config/mozilla/firefox/y2.default-release/places.sqlite",
                              "Firefox (work) /.mozilla/firefox/abc.work/places.sqlite",
                              "Firefox (default-esr) /elsewhere/places.sqlite",
                              "Firefox (snap) /snap/firefox/common/.mozilla/firefox/s.default/places.sqlite",
                              "Chromium (Default) /config/chromium/Default/History",
                              "Chromium (Profile 2) /config/chromium/Profile 2/History",
                              "Chromium (Default) /snap/chromium/common/chromium/Default/History",
                              "Brave (Default) /config/BraveSoftware/Brave-Browser/Default/History",
                              "Brave (Profile 3) /.var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser/Profile 3/History" }));
}

// A profile folder is followed when it lies in its browser's own folder or
// is the person's: a Flatpak's installs.ini naming another user's folder in
// /tmp gives none of its visits, and the person is told once.
TEST_F(BrowserHistoryTest, profileFoldersOfAnotherUserOutsideTheBrowsersFolder_areLeftOutWithANote)
{
    const std::string place = home() + "/.var/app/org.mozilla.firefox/.mozilla/firefox";
    TempDir otherUser;
    const std::string foreign = otherUser.path() + "/planted";
    const std::string linked = otherUser.path() + "/linked";
    HistoryDb relative(place + "/rel.default/places.sqlite", BrowserFamily::Firefox);
    HistoryDb inside(place + "/abs.inside/places.sqlite", BrowserFamily::Firefox);
    HistoryDb planted(foreign + "/places.sqlite", BrowserFamily::Firefox);
    HistoryDb behindLink(linked + "/places.sqlite", BrowserFamily::Firefox);
    std::filesystem::create_directory_symlink(linked, place + "/lnk.default");
    homeDir.write(".var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini",
                  "[Profile0]\nName=relative\nPath=rel.default\n"
                  "[Profile1]\nName=inside\nIsRelative=0\nPath=" + place + "/../firefox/abs.inside\n"
                  "[Profile2]\nName=linked\nPath=lnk.default\n");
    homeDir.write(".var/app/org.mozilla.firefox/.mozilla/firefox/installs.ini", "[6AFDA46A1A8AD48]\nDefault=" + foreign + "\n");
    fs.ownedByOther(place + "/abs.inside"); // inside the browser's folder: followed whoever owns it
    fs.ownedByOther(foreign);
    fs.ownedByOther(linked);
    // The same for real, where a folder can be given to another user.
    TempDir nobodys;
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        HistoryDb real(nobodys.path() + "/p/places.sqlite", BrowserFamily::Firefox);
        real.visit("http://nobodys.example/", Start + 1);
        ASSERT_EQ(::chown((nobodys.path() + "/p").c_str(), 65534, 65534), 0);
        homeDir.write(".mozilla/firefox/profiles.ini", "[Profile0]\nName=nobodys\nIsRelative=0\nPath=" + nobodys.path() + "/p\n");
    }
    for (HistoryDb* db : { &relative, &inside, &planted, &behindLink })
        db->visit(db == &relative ? "http://relative.example/" : db == &inside ? "http://inside.example/"
                                                                               : "http://planted.example/",
                  Start + 1);

    std::vector<BrowserProfile> left;
    Lines found;
    for (const BrowserProfile& p : findBrowserProfiles(fs, home(), home() + "/.config", nullptr, &left))
        found.push_back(p.title());
    EXPECT_EQ(found, (Lines { "Firefox (relative)", "Firefox (inside)" }));
    Lines leftOut;
    for (const BrowserProfile& p : left)
        leftOut.push_back(p.title() + " " + p.folder);
    Lines expectedLeftOut { "Firefox (linked) " + place + "/lnk.default", "Firefox (planted) " + foreign };
    if (asRoot)
        expectedLeftOut.insert(expectedLeftOut.begin(), "Firefox (nobodys) " + nobodys.path() + "/p");
    EXPECT_EQ(leftOut, expectedLeftOut);

    const BrowserHistories histories { {}, copies(), home(), home() + "/.config" };
    HistoryFollower follower(fs, histories, Start, [&](const std::string& line) { logged.push_back(line); });
    EXPECT_EQ(check(follower), (Lines { "http://relative.example/", "http://inside.example/" }));
    EXPECT_EQ(check(follower), Lines {});
    ASSERT_EQ(logged.size(), expectedLeftOut.size());
    EXPECT_EQ(logged.back(), "quillon: Firefox (planted): " + foreign + "/places.sqlite: " + ForeignProfileFolder);

    RecordList candidates;
    Lines errors;
    collectBrowserHosts(fs, histories, BrowserFamily::Firefox, BrowserImport::History, candidates, errors);
    EXPECT_EQ(candidates.size(), 2u);
    ASSERT_EQ(errors.size(), expectedLeftOut.size());
    EXPECT_EQ(errors.back(), "Cannot read the history \"" + foreign + "/places.sqlite\" of Firefox (planted): Its folder "
                             "belongs to another user, outside the browser's own folder");
}

TEST_F(BrowserHistoryTest, followsNewVisitsOnlyAndReadsNothingWhileNothingChanged)
{
    HistoryDb ff(firefox().historyFile(), BrowserFamily::Firefox);
    HistoryDb cr(chromium().historyFile(), BrowserFamily::Chromium);
    ff.visit("http://before.example/", Start - 1);
    cr.visit("http://chrome-before.example/", Start - 5);
    ff.visit("http://since-start.example/", Start + 1);
    cr.visit("https://chrome-since.example/x", Start);

    HistoryFollower follower(fs, given({ firefox(), chromium() }), Start,
                             [&](const std::string& line) { logged.push_back(line); });
    EXPECT_EQ(check(follower), (Lines { "http://since-start.example/", "https://chrome-since.example/x" }));

    const int copiesMade = static_cast<int>(std::count_if(fs.log().begin(), fs.log().end(),
                                                         [](const std::string& l) { return l.rfind("copy from", 0) == 0; }));
    EXPECT_EQ(check(follower), Lines {});
    EXPECT_EQ(std::count_if(fs.log().begin(), fs.log().end(), [](const std::string& l) { return l.rfind("copy from", 0) == 0; }),
              copiesMade);

    // Times that make no sense do not hide the visits that follow them; a
    // visit written late (Chromium writes some seconds after the page
    // loaded) that was made before the start stays out.
    ff.visit("http://from-the-future.example/", Start + 100'000'000'000'000);
    ff.visit("http://before-1970.example/", -5);
    ff.visit("http://now.example/", Start + 10);
    cr.visit("http://chrome-written-late.example/", Start - 3);
    cr.visit("http://chrome-now.example/", Start + 10);
    EXPECT_EQ(check(follower, true, false), (Lines { "http://from-the-future.example/", "http://now.example/" }));
    EXPECT_EQ(check(follower), Lines { "http://chrome-now.example/" });
    EXPECT_TRUE(logged.empty());
    EXPECT_TRUE(std::filesystem::is_empty(copies())); // every copy removed after use
}

TEST_F(BrowserHistoryTest, readsALockedHistoryWithItsWriteAheadLogAndAnEmptiedOneFromItsStart)
{
    auto db = std::make_unique<HistoryDb>(firefox().historyFile(), BrowserFamily::Firefox, true);
    HistoryFollower follower(fs, given({ firefox() }), Start);
    EXPECT_EQ(check(follower), Lines {});
    // The browser holds its database locked and its new visits sit in the log.
    db->exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;");
    db->visit("http://in-the-log.example/", Start + 1);
    ASSERT_TRUE(std::filesystem::exists(firefox().historyFile() + "-wal"));
    EXPECT_EQ(check(follower), Lines { "http://in-the-log.example/" });

    // History cleared: visits are numbered anew from 1.
    db->exec("DELETE FROM moz_historyvisits;");
    db->visit("http://after-clearing.example/", Start + 2);
    EXPECT_EQ(check(follower), Lines { "http://after-clearing.example/" });
}

// "Forget About This Site" and "Clear recent history" delete the newest
// visits: what was visited before the start stays out, and so does what was
// taken already.
TEST_F(BrowserHistoryTest, deletedNewestVisit_readsAgainOnlyWhatIsNew)
{
    HistoryDb db(firefox().historyFile(), BrowserFamily::Firefox);
    for (int i = 0; i < 50; ++i)
        db.visit("http://old" + std::to_string(i) + ".example/", Start - 1000 + i);
    HistoryFollower follower(fs, given({ firefox() }), Start);
    db.visit("http://taken.example/", Start + 5);
    db.visit("http://forgotten.example/", Start + 6);
    EXPECT_EQ(check(follower), (Lines { "http://taken.example/", "http://forgotten.example/" }));
    db.exec("DELETE FROM moz_historyvisits WHERE place_id = (SELECT id FROM moz_places WHERE url LIKE '%forgotten%');");
    EXPECT_EQ(check(follower), Lines {});
    db.visit("http://next.example/", Start + 7);
    EXPECT_EQ(check(follower), Lines { "http://next.example/" });
}

TEST_F(BrowserHistoryTest, unreadableProfilesGiveNothingAndAreLoggedOnce)
{
    homeDir.write(".mozilla/firefox/default/places.sqlite", "this is not a database, and never was one.");
    homeDir.write(".config/chromium/Default/History", "");
    { HistoryDb other(home() + "/.config/chromium/Profile 1/History", BrowserFamily::Firefox); } // another schema
    const BrowserProfile gone = firefox("gone");
    HistoryFollower follower(fs, given({ firefox(), chromium(), chromium("Profile 1"), gone }), Start,
                             [&](const std::string& line) { logged.push_back(line); });
    const auto copiesMade = [&] {
        return std::count_if(fs.log().begin(), fs.log().end(), [](const std::string& l) { return l.rfind("copy from", 0) == 0; });
    };
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(check(follower), Lines {});
    ASSERT_EQ(logged.size(), 4u);
    EXPECT_EQ(logged[0].rfind("quillon: Firefox (default): " + firefox().historyFile() + ": ", 0), 0u);
    EXPECT_EQ(logged[3], "quillon: Firefox (gone): its history is gone");
    // Each failed once; a failure is tried again only when its files change.
    EXPECT_EQ(copiesMade(), 3);
    { HistoryDb mended(firefox("mended").historyFile(), BrowserFamily::Firefox); }
    std::filesystem::copy_file(firefox("mended").historyFile(), firefox().historyFile(),
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(check(follower), Lines {});
    EXPECT_EQ(copiesMade(), 4);
}

// A browser's first run after the start makes its profile, wherever it
// makes it: it is followed from then on, never with what came before the
// start. Profiles found at the start keep what was read of them.
TEST_F(BrowserHistoryTest, profilesThatAppearWhileRunningAreFollowedFromTheStart)
{
    HistoryDb known(firefox().historyFile(), BrowserFamily::Firefox);
    homeDir.write(".mozilla/firefox/profiles.ini", "[Profile0]\nName=default\nPath=default\n");
    HistoryFollower follower(fs, BrowserHistories { {}, copies(), home(), home() + "/.config" }, Start);
    EXPECT_EQ(follower.profiles().size(), 1u);
    known.visit("http://known.example/", Start + 1);
    EXPECT_EQ(check(follower), Lines { "http://known.example/" });

    // Firefox's first run: its profile in the configuration folder.
    homeDir.write(".config/mozilla/firefox/profiles.ini", "[Profile0]\nName=default-esr\nPath=a1b2.default-esr\n");
    homeDir.write(".config/mozilla/firefox/installs.ini", "[46F89A3C]\nDefault=a1b2.default-esr\n");
    EXPECT_EQ(check(follower), Lines {});
    HistoryDb esr(home() + "/.config/mozilla/firefox/a1b2.default-esr/places.sqlite", BrowserFamily::Firefox);
    esr.visit("http://synced-before.example/", Start - 1);
    esr.visit("http://first-run.example/", Start + 2);
    // Chromium's first run: its Default profile.
    HistoryDb cr(home() + "/.config/chromium/Default/History", BrowserFamily::Chromium);
    cr.visit("http://chromium-first.example/", Start + 3);
    EXPECT_EQ(check(follower), (Lines { "http://first-run.example/", "http://chromium-first.example/" }));
    Lines titles;
    for (const BrowserProfile& p : follower.profiles())
        titles.push_back(p.title());
    EXPECT_EQ(titles, (Lines { "Firefox (default-esr)", "Firefox (default)", "Chromium (Default)" }));
    EXPECT_EQ(check(follower), Lines {});
}

TEST_F(BrowserHistoryTest, theTickAdmitsVisitsAsCapturedHosts)
{
    HistoryDb ff(firefox().historyFile(), BrowserFamily::Firefox);
    HistoryFollower follower(fs, given({ firefox() }), Start);
    tick(follower);
    for (const char* url : { "http://a.example/1", "http://a.example/2", "http://ignored.example/", "file:///etc/x",
                             "http://two words.example/" })
        ff.visit(url, Start + 1);
    tick(follower);
    EXPECT_EQ(names(ListPage::Hosts), Lines { "a.example" });
    EXPECT_EQ(state.store.hosts().at(0).Freq, 1);

    state.settings.CaptureFirefox = false;
    ff.visit("http://off.example/", Start + 2);
    tick(follower);
    EXPECT_EQ(state.store.activeSize(), 1u);
}

TEST_F(BrowserHistoryTest, importsTakeEveryProfileOfTheFamilyEachHostOnce)
{
    HistoryDb one(firefox("one").historyFile(), BrowserFamily::Firefox);
    HistoryDb two(firefox("two").historyFile(), BrowserFamily::Firefox);
    HistoryDb cr(chromium().historyFile(), BrowserFamily::Chromium);
    one.visit("http://A.example/1", -1);
    one.visit("http://a.example/2", Start);
    two.visit("http://b.example/", Start);
    two.bookmark("https://marked.example/page");
    cr.visit("http://chrome.example/", 0);
    homeDir.write(".config/chromium/Default/Bookmarks",
                  R"j({"roots":{"bookmark_bar":{"type":"folder","children":[{"type":"url","url":"http://bar.example/"},)j"
                  R"j({"type":"folder","children":[{"type":"url","url":"https://deep.example/x"}]}]},)j"
                  R"j("other":{"type":"folder","children":[{"type":"url","url":"javascript:void(0)"}]}},"version":1})j");
    const BrowserHistories histories { { firefox("one"), firefox("two"), chromium() }, copies() };

    RecordList candidates;
    Lines errors;
    collectBrowserHosts(fs, histories, BrowserFamily::Firefox, BrowserImport::History, candidates, errors);
    EXPECT_TRUE(errors.empty());
    Lines hosts;
    for (const auto& c : candidates)
        hosts.push_back(c->HostName);
    EXPECT_EQ(hosts, (Lines { "a.example", "b.example" })); // as a URL parser reads them

    importFromBrowsers(app, histories, BrowserFamily::Chromium, BrowserImport::Bookmarks);
    EXPECT_EQ(names(ListPage::Hosts), (Lines { "deep.example", "bar.example" }));
    importFromBrowsers(app, histories, BrowserFamily::Firefox, BrowserImport::Bookmarks);
    importFromBrowsers(app, histories, BrowserFamily::Chromium, BrowserImport::History);
    EXPECT_EQ(dialogs.askedTexts(),
              (Lines { "New Hosts imported: 2.", "New Hosts imported: 1.", "New Hosts imported: 1." }));
    EXPECT_TRUE(std::filesystem::is_empty(copies()));
}

// A history that cannot be read is an error naming the file and why, not
// "No new Hosts to import."; so is a missing folder for the copies.
TEST_F(BrowserHistoryTest, importOfAnUnreadableHistory_saysWhichFileAndWhy)
{
    homeDir.write(".mozilla/firefox/default/places.sqlite", std::string(4096, 'x'));
    importFromBrowsers(app, given({ firefox() }), BrowserFamily::Firefox, BrowserImport::History);
    EXPECT_EQ(dialogs.askedTexts(), Lines { "Cannot read the history \"" + firefox().historyFile()
                                            + "\" of Firefox (default): File is not a database" });
    EXPECT_EQ(dialogs.asked.back().kind, MessageKind::Warning);

    importFromBrowsers(app, BrowserHistories { { firefox() }, "" }, BrowserFamily::Firefox, BrowserImport::Bookmarks);
    EXPECT_EQ(dialogs.askedTexts().back(), NoCopyFolder);
}

TEST(ChromiumBookmarks, refusesWhatIsNoBookmarkFile)
{
    int urls = 0;
    const auto count = [&](std::string_view) { ++urls; };
    for (const char* text : { "", "[]", "{\"roots\":[]}", "{\"roots\":{", "not json" })
        EXPECT_FALSE(forEachChromiumBookmark(text, count)) << text;
    // Deep folders are walked without recursion.
    std::string deep = "{\"roots\":{\"r\":";
    for (int i = 0; i < 5000; ++i)
        deep += "{\"type\":\"folder\",\"children\":[";
    deep += "{\"type\":\"url\",\"url\":\"http://bottom.example/\"}";
    for (int i = 0; i < 5000; ++i)
        deep += "]}";
    deep += "}}";
    EXPECT_TRUE(forEachChromiumBookmark(deep, count));
    EXPECT_EQ(urls, 1);
}

} // namespace
