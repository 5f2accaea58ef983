#include "capture/Admission.h"
#include "capture/BrowserCapture.h"
#include "capture/CaptureLookups.h"
#include "core/Interface.h"

#include "fakes/AppFixture.h"
#include "fakes/FakeBrowsers.h"
#include "fakes/GateResolver.h"

#include <optional>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::capture;
using namespace quillon::test;
using Lines = std::vector<std::string>;

namespace {

void writeLists(TempDir& programDir, TempDir& hostsDir)
{
    hostsDir.write("hosts", "1.1.1.1 saved.example  #Quillon|2024/06/01|10.00.00|1|4#\r\n");
    programDir.write("Quillon.d01", "0 waiting.example  #Quillon|1899/12/30|00.00.00|0|2#\r\n");
    programDir.write("Quillon.d03", "Ignored.Example\r\n");
}

// Applies the answers, every one of which is there (the doubles answer on
// the test's thread).
void settle(CaptureLookups& lookups, App& app)
{
    lookups.applyAnswers(app);
    ASSERT_FALSE(lookups.pending());
}

class CaptureLookupsTest : public AppFixture {
protected:
    void SetUp() override
    {
        clock.time = { 2024, 6, 15, 12, 0, 0, 0 };
        writeLists(programDir, hostsDir);
        startAndLoad();
        setInterfaceLock(app, true);
        browsers.windows.add("Page - Microsoft Internet Explorer");
        state.settings.DDECaptureNetscape = false;
        show("http://new.example/");
    }
    void show(const std::string& url)
    {
        browsers.dde.servers["iexplore"].reply = [url](const std::string& topic, const std::string&) {
            return topic == "WWW_GetWindowInfo" ? "\"" + url + "\",\"Page\"" : std::string();
        };
    }
    void tick() { TimerDDETimer(app, browsers.system, lookups); }

    FakeBrowsers browsers;
    std::shared_ptr<GateResolver> gate = std::make_shared<GateResolver>();
    std::optional<CaptureLookups> lookupsHolder { std::in_place, gate };
    CaptureLookups& lookups = *lookupsHolder;
};

} // namespace

TEST_F(CaptureLookupsTest, tickReturnsWhileTheLookupHangs_theSamePageAsksNoSecondLookup)
{
    gate->answer("new.example", "3.3.3.3");
    tick();
    ASSERT_TRUE(gate->waitUntilAsked(1));
    EXPECT_TRUE(lookups.pending());
    EXPECT_EQ(state.store.activeSize(), 2u); // nothing admitted yet
    EXPECT_EQ(shell.activity, std::vector<int> { ActivityVerifying });

    tick();
    tick();
    gate->open();
    settle(lookups, app);
    EXPECT_EQ(gate->asked(), Lines { "new.example" });
    ASSERT_EQ(names(ListPage::Hosts), (Lines { "new.example", "saved.example" }));
    const TRecHost& r = state.store.hosts().at(0);
    EXPECT_EQ(r.IP, "3.3.3.3");
    EXPECT_EQ(r.Status, StatusVerified);
    EXPECT_EQ(r.Freq, 1);
    EXPECT_EQ(r.Visited, 1);
    EXPECT_EQ(state.store.pendingChanges(), 1);
    EXPECT_EQ(shell.activity, (std::vector<int> { ActivityVerifying, ActivityNone }));

    // Answered and applied, the page shown still is a known host: counted once.
    tick();
    EXPECT_EQ(state.store.hosts().at(0).Freq, 1);
    EXPECT_EQ(gate->asked().size(), 1u);
}

TEST_F(CaptureLookupsTest, answersWaitWhileTheInterfaceIsLocked)
{
    tick();
    setInterfaceLock(app, false); // a verification run starts
    gate->open(); // the answer (not found) is there
    tick();
    lookups.applyAnswers(app);
    EXPECT_TRUE(lookups.pending());
    EXPECT_EQ(names(ListPage::Wait), Lines { "waiting.example" });

    setInterfaceLock(app, true);
    lookups.applyAnswers(app);
    EXPECT_FALSE(lookups.pending());
    EXPECT_EQ(names(ListPage::Wait), (Lines { "new.example", "waiting.example" }));
    EXPECT_EQ(state.activity, ActivityNone);
}

TEST_F(CaptureLookupsTest, endingWithALookupPending_itsAnswerIsNeverApplied)
{
    gate->answer("new.example", "3.3.3.3");
    tick();
    ASSERT_TRUE(gate->waitUntilAsked(1));
    state.ending = true;
    lookups.applyAnswers(app);
    lookupsHolder.reset(); // the window goes while the question is on its way
    gate->open();          // answered after its owner: on shared state only
    EXPECT_EQ(state.store.activeSize(), 2u);
    EXPECT_EQ(state.store.pendingChanges(), 0);
    EXPECT_EQ(gate.use_count(), 1); // the answer let go of the resolver
}

// The same capture, once through AdmitCapturedHost resolving at once and
// once through CaptureLookups on a worker, from the same lists and answers:
// the lists, counts and what the window was told end up the same.
namespace {

struct World {
    explicit World(const std::string& resolving)
    {
        programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path() + "\r\n");
        writeLists(programDir, hostsDir);
        clock.time = { 2024, 6, 15, 12, 0, 0, 0 };
        readSettingsAndPaths(fs, state, foldersBeside(programDir.folder()));
        loadLists(app);
        setInterfaceLock(app, true);
        if (!resolving.empty())
            resolver->answer(resolving, "2.2.2.2");
    }
    TempDir programDir;
    TempDir hostsDir;
    FaultyFileSystem fs;
    FakeClock clock;
    ScriptedDialogs dialogs;
    FakeShell shell;
    std::shared_ptr<FakeResolver> resolver = std::make_shared<FakeResolver>();
    FakeConnection connection;
    ProgramState state;
    App app { state, fs, clock, dialogs, shell, *resolver, connection };
};

std::vector<std::string> describe(const World& w)
{
    std::vector<std::string> out;
    for (const ListPage page : { ListPage::Hosts, ListPage::Wait, ListPage::Trash })
        for (const auto& r : w.state.store.page(page))
            out.push_back(std::to_string(static_cast<int>(page)) + " " + r->HostName + " " + r->IP + " "
                          + std::to_string(r->Status) + " " + std::to_string(r->Freq) + " "
                          + std::to_string(r->Visited) + " " + std::to_string(r->Date));
    out.push_back("changes " + std::to_string(w.state.store.pendingChanges()));
    out.push_back("counts shown " + std::to_string(w.shell.hostCountShown));
    out.push_back("activity " + std::to_string(w.state.activity));
    out.push_back("cancel " + std::to_string(w.state.cancel));
    return out;
}

struct OutcomeCase {
    const char* name;
    std::string captured;
    std::string resolving; // the name that resolves (to 2.2.2.2); none when empty
    // What the person does while the lookup runs; the synchronous capture
    // happens after it.
    std::function<void(World&)> meanwhile;
};

void PrintTo(const OutcomeCase& c, std::ostream* os) { *os << c.name; }

class CaptureOutcome : public ::testing::TestWithParam<OutcomeCase> {};

} // namespace

TEST_P(CaptureOutcome, sameAsResolvingAtOnce)
{
    const OutcomeCase& c = GetParam();
    World direct(c.resolving);
    if (c.meanwhile)
        c.meanwhile(direct);
    AdmitCapturedHost(direct.app, c.captured, true);

    World deferred(c.resolving);
    {
        CaptureLookups lookups(deferred.resolver);
        lookups.admit(deferred.app, c.captured, true);
        if (c.meanwhile)
            c.meanwhile(deferred);
        settle(lookups, deferred.app);
    }
    EXPECT_EQ(describe(deferred), describe(direct));
    if (!c.meanwhile) {
        EXPECT_EQ(deferred.resolver->lookups, direct.resolver->lookups);
        EXPECT_EQ(deferred.shell.activity, direct.shell.activity);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaptureOutcome,
    ::testing::Values(
        OutcomeCase { "newResolves", "new.example", "new.example", {} },
        OutcomeCase { "newFails", "down.example", "", {} },
        OutcomeCase { "waitingResolves", "WAITING.example", "WAITING.example", {} },
        OutcomeCase { "waitingFails", "waiting.example", "", {} },
        OutcomeCase { "numericName", "192.168.1.1", "", {} },
        OutcomeCase { "ignoredHost", "ignored.EXAMPLE", "ignored.EXAMPLE", {} },
        OutcomeCase { "savedHost", "saved.example", "saved.example", {} },
        OutcomeCase { "waitingTrashedMeanwhile", "waiting.example", "waiting.example",
                      [](World& w) { w.state.store.moveRowsToTrash(ListPage::Wait, { 0 }); } },
        OutcomeCase { "newIgnoredMeanwhile", "new.example", "new.example",
                      [](World& w) { w.state.store.ignoreNames().push_back("NEW.example"); } },
        OutcomeCase { "waitingVerifiedMeanwhile", "waiting.example", "",
                      [](World& w) {
                          RecordPtr r = w.state.store.wait().take(0);
                          r->IP = "9.9.9.9";
                          r->Status = StatusVerified;
                          w.state.store.insertTopOfHosts(std::move(r));
                      } }),
    [](const auto& info) { return std::string(info.param.name); });
