#include "verify/FreshOnUse.h"

#include "core/HostsWatch.h"
#include "core/Interface.h"
#include "fakes/AppFixture.h"
#include "fakes/FakeDnsQuery.h"
#include "verify/AddressForms.h"
#include "verify/BackgroundRefresh.h"

#include <algorithm>
#include <map>
#include <set>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {

// The clock stands at 2024-06-15 12:00; "two days ago" is 06-13.
const std::string TwoDaysAgo = "#Quillon|2024/06/13|12.00.00|1|4#";
const std::string AnHourAgo = "#Quillon|2024/06/15|11.00.00|1|4#";

class FreshOnUseTest : public AppFixture {
protected:
    void SetUp() override
    {
        hostsDir.write("hosts", hostsText());
        startAndLoad();
        setInterfaceLock(app, true);
        dns->table["moved.example"] = { { 9, 9, 9, 9 }, { 9, 9, 9, 10 } };
        dns->table["same.example"] = { { 1, 1, 1, 1 }, { 6, 6, 6, 6 } };
    }
    void visitAll()
    {
        for (const char* name : { "moved.example", "SAME.example", "gone.example", "recent.example", "localhost",
                                  "nas", "unknown.example" })
            fresh.visited(app, name);
    }
    const TRecHost& host(const std::string& name) { return state.store.active(state.store.activeIndexOf(name)); }
    virtual std::string hostsText() const
    {
        return "5.5.5.5 moved.example  " + TwoDaysAgo + "\r\n6.6.6.6 same.example  " + TwoDaysAgo
            + "\r\n7.7.7.7 gone.example  " + TwoDaysAgo + "\r\n8.8.8.8 recent.example  " + AnHourAgo
            + "\r\n127.0.0.1 localhost\r\n10.9.9.9 nas\r\n203.0.113.10 public.example  " + TwoDaysAgo
            + "\r\n10.1.1.1 intranet.example  " + TwoDaysAgo + "\r\n5.4.3.2 blocked.example  " + TwoDaysAgo
            + "\r\n203.0.113.10 handpin.test\r\n";
    }
    // The questions a tick of refresh asked.
    Names tickAsked(verify::BackgroundRefresh& refresh, int* next = nullptr)
    {
        const std::size_t before = dns->asked.size();
        const int ms = refresh.tick(app);
        if (next)
            *next = ms;
        return Names(dns->asked.begin() + static_cast<std::ptrdiff_t>(before), dns->asked.end());
    }

    std::shared_ptr<FakeDnsQuery> dns = std::make_shared<FakeDnsQuery>();
    // The questions are answered at once, on this thread.
    verify::FreshOnUse fresh { dns };
    Names said;
    verify::FreshOnUse::Say say = [this](const std::string& text) { said.push_back(text); };
};

} // namespace

// Only hosts of the Hosts list verified longer ago than RefreshAfterHours
// are asked about, entries set on purpose never, each name once.
TEST_F(FreshOnUseTest, visitedHosts_areCheckedWithTheNameServersAndCorrected)
{
    visitAll();
    visitAll();
    EXPECT_EQ(dns->asked, (Names { "moved.example", "same.example", "gone.example" }));
    const double now = core::now(clock);

    state.unlocked = false; // a run works on the lists: the answers wait
    fresh.applyAnswers(app, say);
    EXPECT_EQ(host("moved.example").IP, "5.5.5.5");
    EXPECT_TRUE(fresh.pending());

    setInterfaceLock(app, true);
    fresh.applyAnswers(app, say);
    EXPECT_FALSE(fresh.pending());
    // Moved: the first address of the answer, to be saved soon.
    EXPECT_EQ(host("moved.example").IP, "9.9.9.9");
    EXPECT_EQ(host("moved.example").Status, StatusVerified);
    EXPECT_DOUBLE_EQ(host("moved.example").Date, now);
    EXPECT_EQ(said, (Names { "Address of moved.example changed: 5.5.5.5 -> 9.9.9.9" }));
    // Unchanged: only the date, no change to count.
    EXPECT_EQ(host("same.example").IP, "6.6.6.6");
    EXPECT_EQ(host("same.example").Status, StatusSaved);
    EXPECT_DOUBLE_EQ(host("same.example").Date, now);
    // No answer: as it was.
    EXPECT_EQ(host("gone.example").IP, "7.7.7.7");
    EXPECT_LT(host("gone.example").Date, now);
    EXPECT_EQ(state.store.pendingChanges(), 1);

    // The move is written at the next AutoSave tick, not after ten changes.
    autoSaveStep(app);
    EXPECT_NE(hostsDir.read("hosts").find("9.9.9.9 moved.example "), std::string::npos);
}

TEST_F(FreshOnUseTest, offlineOrSwitchedOff_asksNothing)
{
    connection.online = false;
    visitAll();
    state.settings.CheckOnLine = false; // no connection test: as connected
    state.settings.RefreshAfterHours = 0;
    visitAll();
    EXPECT_TRUE(dns->asked.empty());
    state.settings.RefreshAfterHours = 72; // verified two days ago: not due
    visitAll();
    EXPECT_TRUE(dns->asked.empty());
    state.settings.RefreshAfterHours = 1;
    visitAll();
    EXPECT_EQ(dns->asked, (Names { "moved.example", "same.example", "gone.example", "recent.example" }));
}

// What a hostile or blocking name server answers never moves a host: no
// address a name may not have, no public host onto the local network, no
// line the person wrote (never verified by the program). Within the local
// network a host may move, and an honest address beside a refused one counts.
TEST_F(FreshOnUseTest, hostileAnswers_moveNothing)
{
    dns->table["public.example"] = { { 192, 168, 1, 1 }, { 100, 64, 0, 1 } };
    dns->table["intranet.example"] = { { 10, 1, 1, 2 } };
    dns->table["blocked.example"] = { { 0, 0, 0, 0 } };
    dns->table["handpin.test"] = { { 6, 6, 6, 6 } };
    dns->table["moved.example"] = { { 127, 0, 0, 1 }, { 198, 51, 100, 9 } };
    for (const char* name : { "public.example", "intranet.example", "blocked.example", "handpin.test", "moved.example" })
        fresh.visited(app, name);
    EXPECT_EQ(dns->asked, (Names { "public.example", "intranet.example", "blocked.example", "moved.example" }));
    const double before = host("public.example").Date;
    fresh.applyAnswers(app, say);
    EXPECT_EQ(host("public.example").IP, "203.0.113.10");
    EXPECT_DOUBLE_EQ(host("public.example").Date, before);
    EXPECT_EQ(host("blocked.example").IP, "5.4.3.2");
    EXPECT_EQ(host("handpin.test").IP, "203.0.113.10");
    EXPECT_EQ(host("intranet.example").IP, "10.1.1.2");
    EXPECT_EQ(host("moved.example").IP, "198.51.100.9");
    EXPECT_EQ(said, (Names { "Address of intranet.example changed: 10.1.1.1 -> 10.1.1.2",
                             "Address of moved.example changed: 5.5.5.5 -> 198.51.100.9" }));
}

// A run or a dialog (the interface locked), the program ending, offline or
// RefreshAfterHours 0: the sweep asks nothing and waits where it stands.
TEST_F(FreshOnUseTest, backgroundSweep_waitsWhileLockedEndingOfflineOrSwitchedOff)
{
    verify::BackgroundRefresh refresh(fresh, { .rowsPerTick = 1 });
    EXPECT_EQ(tickAsked(refresh), (Names { "moved.example" }));
    int next = 0;
    state.unlocked = false;
    EXPECT_EQ(tickAsked(refresh, &next), Names {});
    EXPECT_EQ(next, 1000);
    state.unlocked = true;
    state.ending = true;
    EXPECT_EQ(tickAsked(refresh), Names {});
    state.ending = false;
    connection.online = false;
    EXPECT_EQ(tickAsked(refresh), Names {});
    connection.online = true;
    state.settings.RefreshAfterHours = 0;
    EXPECT_EQ(tickAsked(refresh), Names {});
    state.settings.RefreshAfterHours = 24;
    clock.ticks += 100;
    EXPECT_EQ(tickAsked(refresh), (Names { "same.example" }));
}

// The background sweep over the whole Hosts list asks what a visit would,
// without the visit: every due entry once, in list order, one slice of rows
// per tick; then it rests. The next sweep, SweepEveryMs after the last,
// finds the entries that aged past RefreshAfterHours meanwhile; a name asked
// without an answer (gone, public) is not asked again within
// RefreshAfterHours, and hosts whose date the answers renewed are not due.
TEST_F(FreshOnUseTest, sweeps_askEveryDueEntryBySlices_andNoNameTwiceWithinTheHours)
{
    state.settings.RefreshAfterHours = 2;
    verify::BackgroundRefresh refresh(fresh, { .questionsPerSecond = 1000, .rowsPerTick = 3 });
    int next = 0;
    // Rows 0-2, 3-5 (recent, localhost, nas), 6-8, then handpin.test.
    EXPECT_EQ(tickAsked(refresh), (Names { "moved.example", "same.example", "gone.example" }));
    EXPECT_EQ(tickAsked(refresh, &next), Names {});
    EXPECT_EQ(next, 100);
    EXPECT_EQ(tickAsked(refresh), (Names { "public.example", "intranet.example", "blocked.example" }));
    EXPECT_EQ(tickAsked(refresh, &next), Names {});
    EXPECT_EQ(next, 10 * 60 * 1000);
    fresh.applyAnswers(app, say);

    clock.time.hour = 13;
    clock.time.minute = 30; // recent.example is 2.5 hours old now
    clock.ticks += 10 * 60 * 1000 - 1;
    EXPECT_EQ(tickAsked(refresh, &next), Names {});
    EXPECT_EQ(next, 1);
    clock.ticks += 1;
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(tickAsked(refresh), (k == 1 ? Names { "recent.example" } : Names {})) << k;
}

namespace {

// 300 hosts verified two days ago, every third of which moved since (and
// every third has no answer), and 20 verified an hour ago.
class AgedHostsTest : public FreshOnUseTest {
protected:
    static std::string name(int i) { return "h" + std::to_string(i) + ".example"; }
    // Host i's address, at 203.0.x.y before, at 198.51.x.y once moved.
    static platform::IPv4 address(int i, bool moved)
    {
        return { static_cast<std::uint8_t>(moved ? 198 : 203), static_cast<std::uint8_t>(moved ? 51 : 0),
                 static_cast<std::uint8_t>(i / 200), static_cast<std::uint8_t>(i % 200 + 1) };
    }
    static std::string oldAddress(int i) { return verify::formatAddress(address(i, false)); }
    std::string hostsText() const override
    {
        std::string text;
        for (int i = 0; i < 300; ++i)
            text += oldAddress(i) + " " + name(i) + "  " + TwoDaysAgo + "\r\n";
        for (int i = 0; i < 20; ++i)
            text += "192.0.2." + std::to_string(i + 1) + " recent" + std::to_string(i) + ".example  " + AnHourAgo + "\r\n";
        return text;
    }
};

} // namespace

// Nobody visits. The window's timers as they run: the sweep's ticks when it
// asks for them, answers applied every 50 ms, AutoSave every 1.5 s. Within
// 90 s every moved host is in the hosts file at its new address, the others
// keep theirs (those answered with their date renewed), the recent hosts are
// never asked, and no second sees more than 50 questions.
TEST_F(AgedHostsTest, nobodyVisits_movedHostsReachTheHostsFileWithin90Seconds)
{
    for (int i = 0; i < 300; ++i) {
        if (i % 3 != 2) // the others have no answer
            dns->table[name(i)] = { address(i, i % 3 == 0) };
    }
    verify::BackgroundRefresh refresh(fresh);
    std::map<std::uint64_t, int> perSecond;
    std::uint64_t nextTick = 0;
    for (clock.ticks = 0; clock.ticks <= 90'000; clock.ticks += 50) {
        if (clock.ticks >= nextTick) {
            int next = 0;
            perSecond[clock.ticks / 1000] += static_cast<int>(tickAsked(refresh, &next).size());
            nextTick = clock.ticks + static_cast<std::uint64_t>(next);
        }
        fresh.applyAnswers(app, say);
        if (clock.ticks % 1500 == 0)
            autoSaveStep(app);
    }
    EXPECT_LE(std::max_element(perSecond.begin(), perSecond.end(),
                               [](const auto& a, const auto& b) { return a.second < b.second; })
                  ->second,
              50);
    EXPECT_EQ(std::set<std::string>(dns->asked.begin(), dns->asked.end()).size(), 300u);
    EXPECT_EQ(dns->asked.size(), 300u);
    for (const std::string& n : dns->asked)
        EXPECT_EQ(n.rfind("recent", 0), std::string::npos) << n;
    const std::string written = hostsDir.read("hosts");
    const double now = core::now(clock);
    for (int i = 0; i < 300; ++i) {
        const std::string line = verify::formatAddress(address(i, i % 3 == 0)) + " " + name(i) + " ";
        EXPECT_NE(written.find(line), std::string::npos) << line;
        if (i % 3 == 1) {
            EXPECT_DOUBLE_EQ(host(name(i)).Date, now) << name(i);
        }
    }
    EXPECT_EQ(said.size(), 100u);
}
