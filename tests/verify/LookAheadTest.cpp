// Look-ahead resolution: a run with LookAhead 16 or 4 (questions answered by
// an asynchronous resolver in an order of its own) shows and leaves exactly
// what the same run with LookAhead 1 (one name at a time on the calling
// thread) does, over random schedules; Cancel with questions in flight loses
// no host and lets no late answer in.

#include "verify/LookAhead.h"

#include "capture/Admission.h"
#include "core/BackgroundWork.h"
#include "verify/AddressTool.h"
#include "verify/VerificationRuns.h"
#include "fakes/DelayingResolver.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeResolver.h"
#include "fakes/FakeShell.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::test;

namespace {

constexpr int Seeds = 50;

// One program state, the person, the window and the resolver played by
// doubles; "known.example" is on the Hosts list and "ignored.example" on the
// Ignore list.
struct World {
    World(int lookAhead, unsigned seed)
        : resolver(seed, std::chrono::microseconds(2000))
    {
        state.settings.LookAhead = lookAhead;
        auto known = std::make_unique<TRecHost>();
        known->HostName = "known.example";
        known->IP = "1.2.3.4";
        state.store.insertTopOfHosts(std::move(known));
        state.store.ignoreNames().push_back("Ignored.Example");
    }
    ~World() { waitForDetachedWork(); } // late lookups still call the resolver

    FaultyFileSystem fs;
    FakeClock clock;
    ScriptedDialogs dialogs;
    FakeShell shell;
    DelayingResolver resolver;
    FakeConnection connection;
    ProgramState state;
    App app { state, fs, clock, dialogs, shell, resolver, connection, nullptr,
              std::shared_ptr<platform::AsyncResolver>(std::shared_ptr<void>(), &resolver) };
};

// Names in run order with duplicates, numeric names and LOCALHOST among them;
// a third of the names fail (one interrupted now and then); the person's
// answers, Abort and "same for all" included.
struct Script {
    std::vector<std::string> names;
    std::map<std::string, int> failing;
    std::deque<PromptStep> prompts;
    std::deque<Answer> answers;
};

Script makeScript(unsigned seed)
{
    std::mt19937 random(seed);
    const auto chance = [&random](int percent) { return static_cast<int>(random() % 100) < percent; };
    std::vector<std::string> pool { "10.0.0.7", "0x0a000001", "LOCALHOST", "localhost", "known.example",
                                    "ignored.example" };
    for (int k = 0; k < 16; ++k)
        pool.push_back("h" + std::to_string(k) + ".example");
    Script s;
    for (int k = 0; k < 40; ++k)
        s.names.push_back(pool[random() % pool.size()]);
    const int errors[] = { platform::ErrorHostNotFound, platform::ErrorTryAgain, platform::ErrorNoRecovery,
                           platform::ErrorNoData };
    for (const std::string& name : pool) {
        if (chance(33))
            s.failing[name] = errors[random() % 4];
    }
    if (seed % 5 == 0)
        s.failing[s.names[random() % s.names.size()]] = platform::ErrorInterrupted;
    for (int k = 0; k < 80; ++k) {
        s.prompts.push_back({ static_cast<int>(random() % 10 < 2 ? 3 : 1 + random() % 2), chance(15) });
        s.answers.push_back(chance(25) ? Answer::Yes : Answer::No);
    }
    return s;
}

// Everything the person and the window saw, and the lists as they stand.
std::string observed(const World& w)
{
    std::ostringstream out;
    for (const ListPage page : { ListPage::Hosts, ListPage::Wait, ListPage::Trash }) {
        out << "\nlist " << pageIndex(page) << ':';
        for (const auto& r : w.state.store.page(page))
            out << ' ' << r->HostName << '=' << r->IP << '/' << r->Status << '/' << r->Date;
    }
    const auto line = [&out](const char* what, const auto& items) {
        out << '\n' << what << ':';
        for (const auto& item : items)
            out << ' ' << item;
    };
    line("prompts", w.dialogs.promptedHosts);
    line("asked", w.dialogs.askedTexts());
    line("actions", w.dialogs.workActions);
    line("urls", w.dialogs.workUrls);
    line("progress", w.dialogs.workProgressSteps);
    line("activity", w.shell.activity);
    out << "\ncancel " << w.state.cancel << " panel " << w.dialogs.workShows << '/' << w.dialogs.workHides;
    return out.str();
}

// Without look-ahead every lookup runs on the calling thread; with it none
// does (the resolver answers on its own), never more than LookAhead are on
// their way at once, and no name is looked up twice.
void expectLookupsWhereTheyBelong(const World& w, int lookAhead)
{
    const std::vector<std::string> lookups = w.resolver.lookups();
    const int here = w.resolver.lookupsOn(std::this_thread::get_id());
    if (lookAhead == 1) {
        EXPECT_EQ(here, static_cast<int>(lookups.size()));
        return;
    }
    EXPECT_EQ(here, 0);
    EXPECT_LE(w.resolver.mostInFlight(), static_cast<std::size_t>(lookAhead));
    EXPECT_EQ(std::set<std::string>(lookups.begin(), lookups.end()).size(), lookups.size());
}

RecordList recordsOf(const std::vector<std::string>& names)
{
    RecordList list;
    for (std::size_t k = 0; k < names.size(); ++k) {
        auto r = std::make_unique<TRecHost>();
        r->HostName = names[k];
        r->IP = "9.9.9." + std::to_string(k);
        r->Status = k % 3 == 0 ? StatusWaiting : StatusSaved;
        list.push_back(std::move(r));
    }
    return list;
}

std::string verificationRun(unsigned seed, int lookAhead)
{
    const Script script = makeScript(seed);
    World w(lookAhead, seed * 7 + static_cast<unsigned>(lookAhead));
    w.resolver.failing = script.failing;
    w.dialogs.promptSteps = script.prompts;
    w.dialogs.answers = script.answers;
    RecordList run = recordsOf(script.names);
    verify::ReverifyHosts(w.app, run);
    expectLookupsWhereTheyBelong(w, lookAhead);
    return observed(w);
}

std::string importRun(unsigned seed, int lookAhead)
{
    const Script script = makeScript(seed);
    World w(lookAhead, seed * 7 + static_cast<unsigned>(lookAhead));
    w.resolver.failing = script.failing;
    w.dialogs.promptSteps = script.prompts;
    w.dialogs.answers = script.answers;
    RecordList candidates = recordsOf(script.names);
    candidates[5].reset();
    candidates[9]->HostName = "no#host";
    const int added = capture::AdmitImportedHosts(w.app, candidates, capture::ImportMode::Verify);
    expectLookupsWhereTheyBelong(w, lookAhead);
    std::ostringstream left;
    for (const RecordPtr& c : candidates)
        left << ' ' << (c ? c->HostName : "-");
    return observed(w) + "\nadded " + std::to_string(added) + "\nleft" + left.str();
}

// The address tool's window: its status lines, and "&Cancel" answered Yes
// while the address cancelAt is being verified.
class CancellingView final : public verify::AddressToolView {
public:
    CancellingView(verify::AddressTool& tool, ScriptedDialogs& dialogs, int cancelAt)
        : m_tool(tool)
        , m_dialogs(dialogs)
        , m_mark("(" + std::to_string(cancelAt) + " of ")
    {
    }
    std::vector<std::string> statuses;
    void showStatus(const std::string& text) override { statuses.push_back(text); }
    void showBusy(bool) override {}
    void showIntervalRunning(bool) override {}
    void processEvents() override
    {
        if (statuses.back().find(m_mark) != std::string::npos && !m_tool.cancelled()) {
            m_dialogs.answers.push_back(Answer::Yes);
            m_tool.ButtonCancelClick();
        }
    }
    void showHostName(const std::string&) override {}
    void rowsAboutToBeInserted(int, int) override {}
    void rowsInserted() override {}
    void rowsAboutToBeRemoved(int, int) override {}
    void rowsRemoved() override {}

private:
    verify::AddressTool& m_tool;
    ScriptedDialogs& m_dialogs;
    std::string m_mark;
};

std::string intervalWalk(unsigned seed, int lookAhead)
{
    std::mt19937 random(seed);
    World w(lookAhead, seed * 7 + static_cast<unsigned>(lookAhead));
    for (int k = 1; k <= 40; ++k) {
        if (random() % 3 == 0)
            w.resolver.reverseFailing["10.1.2." + std::to_string(k)] = platform::ErrorNoData;
    }
    verify::AddressTool tool(w.app);
    CancellingView view(tool, w.dialogs, static_cast<int>(random() % 50));
    tool.setView(&view);
    tool.verifyInterval("10  1  2  1", "40 ");
    std::ostringstream out;
    for (const verify::VerifiedRow& row : tool.rows())
        out << ' ' << row.host << '=' << row.ip;
    for (const std::string& status : view.statuses)
        out << '\n' << status;
    for (const std::string& text : w.dialogs.askedTexts())
        out << '\n' << text;
    return out.str();
}

} // namespace

TEST(LookAheadTest, verificationRuns_sameAsOneAtATime_overRandomSchedules)
{
    for (unsigned seed = 1; seed <= Seeds; ++seed)
        EXPECT_EQ(verificationRun(seed, 16), verificationRun(seed, 1)) << "seed " << seed;
}

TEST(LookAheadTest, importAdmission_sameAsOneAtATime_overRandomSchedules)
{
    for (unsigned seed = 1; seed <= Seeds; ++seed)
        EXPECT_EQ(importRun(seed, 4), importRun(seed, 1)) << "seed " << seed; // fewer than its names
}

TEST(LookAheadTest, addressToolInterval_sameAsOneWorker_overRandomSchedules)
{
    for (unsigned seed = 1; seed <= Seeds; ++seed)
        EXPECT_EQ(intervalWalk(seed, 16), intervalWalk(seed, 1)) << "seed " << seed;
}

// Cancel pressed while the run waits for a host whose lookup hangs, with the
// lookups after it in flight: every host is back or verified, and the answers
// that come after the run change nothing.
TEST(LookAheadTest, cancelWithLookupsInFlight_losesNoHostAndLetsNoLateAnswerIn)
{
    std::mt19937 random(11);
    for (int trial = 0; trial < 10; ++trial) {
        const std::size_t cancelAt = 1 + random() % 30;
        std::vector<std::string> names;
        for (int k = 0; k < 40; ++k)
            names.push_back("h" + std::to_string(k) + ".example");
        World w(16, static_cast<unsigned>(trial));
        const std::set<std::string> hanging(names.begin() + static_cast<long>(cancelAt), names.end());
        w.resolver.held = [&hanging](const std::string& name) { return hanging.count(name) > 0; };
        int eventsAtCancelHost = 0;
        w.shell.onProcessEvents = [&] {
            // The first call is the host's own, before its lookup; the next
            // ones come from the wait.
            if (w.dialogs.workUrls.back() == names[cancelAt] && ++eventsAtCancelHost == 2)
                w.state.cancel = true;
        };
        RecordList run = recordsOf(names);
        verify::ReverifyHosts(w.app, run);
        w.resolver.endOfRun();
        const std::string atTheEnd = observed(w);
        w.resolver.release();
        w.resolver.settle();

        EXPECT_GT(w.resolver.lateCompletions(), 0) << "trial " << trial;
        EXPECT_EQ(observed(w), atTheEnd) << "trial " << trial;
        // Hosts before the cancelled one verified, that one and the rest as
        // they were: each exactly once.
        std::map<std::string, const TRecHost*> placed;
        for (const ListPage page : { ListPage::Hosts, ListPage::Wait, ListPage::Trash }) {
            for (const auto& r : w.state.store.page(page))
                EXPECT_TRUE(placed.emplace(r->HostName, r.get()).second) << r->HostName;
        }
        EXPECT_EQ(placed.size(), names.size() + 1);
        for (std::size_t k = 0; k < names.size(); ++k) {
            ASSERT_TRUE(placed.count(names[k])) << names[k];
            const std::string ip = k < cancelAt ? DelayingResolver::addressOf(names[k]) : "9.9.9." + std::to_string(k);
            EXPECT_EQ(placed[names[k]]->IP, ip) << names[k];
        }
    }
}
