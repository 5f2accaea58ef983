#include "verify/FreshOnUse.h"

#include "core/HostsWatch.h"
#include "core/Interface.h"
#include "fakes/AppFixture.h"

#include <map>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {

// Name servers that answer from a table, and note every question.
class TableDns final : public platform::DnsQuery {
public:
    std::map<std::string, std::vector<platform::IPv4>> table;
    Names asked;
    platform::ForwardAnswer ask(const std::string& name) override
    {
        asked.push_back(name);
        const auto it = table.find(name);
        if (it == table.end())
            return { {}, platform::ErrorHostNotFound };
        return { it->second, 0 };
    }
};

// The clock stands at 2024-06-15 12:00; "two days ago" is 06-13.
const std::string TwoDaysAgo = "#Quillon|2024/06/13|12.00.00|1|4#";
const std::string AnHourAgo = "#Quillon|2024/06/15|11.00.00|1|4#";

class FreshOnUseTest : public AppFixture {
protected:
    void SetUp() override
    {
        hostsDir.write("hosts", "5.5.5.5 moved.example  " + TwoDaysAgo + "\r\n6.6.6.6 same.example  " + TwoDaysAgo
                                    + "\r\n7.7.7.7 gone.example  " + TwoDaysAgo + "\r\n8.8.8.8 recent.example  "
                                    + AnHourAgo + "\r\n127.0.0.1 localhost\r\n10.9.9.9 nas\r\n203.0.113.10 public.example  "
                                    + TwoDaysAgo + "\r\n10.1.1.1 intranet.example  " + TwoDaysAgo
                                    + "\r\n5.4.3.2 blocked.example  " + TwoDaysAgo + "\r\n203.0.113.10 handpin.test\r\n");
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

    std::shared_ptr<TableDns> dns = std::make_shared<TableDns>();
    // The questions are answered at once, on this thread.
    verify::FreshOnUse fresh { dns, [](const std::function<void()>& work) { work(); } };
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
