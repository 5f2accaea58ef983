#include "core/HostStore.h"

#include "fakes/RecordingObserver.h"

#include "core/HostName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace quillon::core;
using quillon::test::RecordingObserver;

namespace {

RecordPtr host(const std::string& name, int status)
{
    auto r = std::make_unique<TRecHost>();
    r->HostName = name;
    r->Status = status;
    return r;
}

std::vector<std::string> names(const HostSequence& seq)
{
    std::vector<std::string> out;
    for (const auto& r : seq)
        out.push_back(r->HostName);
    return out;
}

using Names = std::vector<std::string>;

// Hosts h0..h4 (status 1), Wait w0..w2, Trash t0..t1; no pending changes.
class HostStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordList hosts, wait, trash;
        for (int i = 0; i < 5; ++i)
            hosts.push_back(host("h" + std::to_string(i), StatusSaved));
        for (int i = 0; i < 3; ++i)
            wait.push_back(host("w" + std::to_string(i), StatusWaiting));
        trash.push_back(host("t0", StatusVisited));
        trash.push_back(host("t1", StatusWaiting));
        store.hosts().append(std::move(hosts));
        store.wait().append(std::move(wait));
        store.trash().append(std::move(trash));
        store.addObserver(&observer);
    }
    HostStore store;
    RecordingObserver observer;
};

} // namespace

TEST_F(HostStoreTest, activePositions_runThroughHostsThenWait)
{
    EXPECT_EQ(store.activeSize(), 8u);
    EXPECT_EQ(store.active(4).HostName, "h4");
    EXPECT_EQ(store.active(5).HostName, "w0");
    EXPECT_EQ(store.activeIndexOf("W1"), 6);
    EXPECT_EQ(store.activeIndexOf("H0"), 0);
    EXPECT_EQ(store.activeIndexOf("t0"), -1);
    EXPECT_EQ(store.trashIndexOf("T1"), 1);
}

// Where a name is found after the lists change: the first copy in list
// order counts (Hosts part before Wait part), and rows shift as records
// enter, leave or are put in a new order.
namespace {
struct IndexCase {
    const char* name;
    void (*change)(HostStore&);
    const char* query;
    bool inTrash;
    int expected;
};
void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.name; }

class HostStoreIndexOf : public HostStoreTest, public ::testing::WithParamInterface<IndexCase> {
protected:
    void SetUp() override
    {
        HostStoreTest::SetUp();
        // Rows are numbered at the first look-up; the changes then update
        // the numbers instead of starting afresh.
        store.activeIndexOf("h0");
        store.trashIndexOf("t0");
    }
};
} // namespace

TEST_P(HostStoreIndexOf, findsTheFirstCopyInListOrder)
{
    GetParam().change(store);
    const int found = GetParam().inTrash ? store.trashIndexOf(GetParam().query) : store.activeIndexOf(GetParam().query);
    EXPECT_EQ(found, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, HostStoreIndexOf,
    ::testing::Values(
        IndexCase { "copiesInBothParts_hostsCopyCounts",
                    [](HostStore& s) {
                        s.wait().pushFront(host("Dup", StatusWaiting));
                        s.hosts().insert(3, host("DUP", StatusSaved));
                    },
                    "dup", false, 3 },
        IndexCase { "hostsCopyRemoved_waitCopyCounts",
                    [](HostStore& s) {
                        s.wait().insert(1, host("Dup", StatusWaiting));
                        s.hosts().insert(3, host("DUP", StatusSaved));
                        s.hosts().take(3);
                    },
                    "dup", false, 6 },
        IndexCase { "insertAtTop_newCopyComesFirst",
                    [](HostStore& s) {
                        s.hosts().insert(3, host("dup", StatusSaved));
                        s.insertTopOfHosts(host("DUP", StatusVerified));
                    },
                    "Dup", false, 0 },
        IndexCase { "insertsAtTop_shiftTheRowsBelow",
                    [](HostStore& s) {
                        for (int i = 0; i < 40; ++i)
                            s.insertTopOfHosts(host("n" + std::to_string(i), StatusVerified));
                    },
                    "h4", false, 44 },
        IndexCase { "firstOfTwoRemoved_secondCounts",
                    [](HostStore& s) {
                        s.hosts().insert(1, host("dup", StatusSaved));
                        s.hosts().insert(4, host("Dup", StatusSaved));
                        s.hosts().take(1);
                    },
                    "DUP", false, 3 },
        IndexCase { "hostsRowRemoved_waitRowsMoveUp", [](HostStore& s) { s.removeActiveRecord(0); }, "w1", false, 5 },
        IndexCase { "waitEntryAtTop_hostsUnmoved", [](HostStore& s) { s.insertTopOfWait(host("w9", StatusWaiting)); },
                    "w2", false, 8 },
        IndexCase { "sortedBackwards_lastCopyNowFirst",
                    [](HostStore& s) {
                        s.hosts().pushFront(host("dup", StatusSaved));
                        RecordList tail;
                        tail.push_back(host("DUP", StatusSaved));
                        s.hosts().append(std::move(tail));
                        RecordList all = s.hosts().takeForReorder();
                        std::reverse(all.begin(), all.end());
                        s.hosts().reorder(std::move(all));
                        s.hosts().take(s.hosts().size() - 1); // "dup", now last
                    },
                    "dup", false, 0 },
        IndexCase { "rowsTakenAndPutBack_samePlaces",
                    [](HostStore& s) {
                        RecordList taken = s.hosts().takeRows({ 1, 3 });
                        s.hosts().insert(1, std::move(taken[0]));
                        s.hosts().insert(3, std::move(taken[1]));
                    },
                    "h3", false, 3 },
        IndexCase { "movedToTrash_lastMovedOnTop",
                    [](HostStore& s) {
                        s.hosts().insert(2, host("T1", StatusSaved));
                        s.moveRowsToTrash(ListPage::Hosts, { 0, 2 });
                    },
                    "t1", true, 0 }),
    [](const ::testing::TestParamInfo<IndexCase>& info) { return std::string(info.param.name); });

// Many random changes, checked against a scan of the lists: entries at both
// ends and in between, single and scattered removals, put-backs, new orders.
TEST_F(HostStoreTest, randomChanges_positionsAgreeWithAScan)
{
    std::mt19937 rng(11);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    const auto newRecord = [&] {
        std::string name = "n" + std::to_string(pick(150));
        if (pick(4) == 0)
            name[0] = 'N'; // a copy differing in letter case
        return host(name, StatusSaved);
    };
    const auto scan = [](const HostSequence& seq, const std::string& name) {
        for (std::size_t i = 0; i < seq.size(); ++i)
            if (equalsIgnoreCase(seq.at(i).HostName, name))
                return static_cast<int>(i);
        return -1;
    };
    for (int step = 0; step < 3000; ++step) {
        HostSequence& seq = store.page(static_cast<ListPage>(pick(3)));
        const std::size_t n = seq.size();
        switch (pick(8)) {
        case 0:
            seq.pushFront(newRecord());
            break;
        case 1:
            seq.insert(pick(n + 1), newRecord());
            break;
        case 2: {
            RecordList more;
            for (std::size_t k = pick(120); k > 0; --k)
                more.push_back(newRecord());
            seq.insertRange(pick(n + 1), std::move(more));
            break;
        }
        case 3:
            if (n > 0)
                seq.take(pick(n));
            break;
        case 4:
        case 5: { // scattered rows out, half the time put back where they were
            std::vector<int> rows;
            const std::size_t every = 1 + pick(5);
            for (std::size_t r = pick(every); r < n; r += every)
                rows.push_back(static_cast<int>(r));
            RecordList taken = seq.takeRows(rows);
            for (std::size_t k = 0; pick(2) == 0 && k < rows.size(); ++k)
                seq.insert(static_cast<std::size_t>(rows[k]), std::move(taken[k]));
            break;
        }
        case 6: {
            RecordList all = seq.takeForReorder();
            std::shuffle(all.begin(), all.end(), rng);
            seq.reorder(std::move(all));
            break;
        }
        default:
            if (pick(20) == 0)
                seq.clear();
            break;
        }
        for (int i = 0; i < 150; i += 7) {
            const std::string name = "n" + std::to_string(i);
            const int inHosts = scan(store.hosts(), name);
            const int inWait = scan(store.wait(), name);
            const int active = inHosts >= 0 ? inHosts : inWait >= 0 ? static_cast<int>(store.hostsCount()) + inWait : -1;
            ASSERT_EQ(store.activeIndexOf(name), active) << name << " at step " << step;
            ASSERT_EQ(store.trashIndexOf(name), scan(store.trash(), name)) << name << " at step " << step;
        }
    }
}

TEST_F(HostStoreTest, moveToTrash_fromHosts_reverseOrderOnTopAndCounted)
{
    store.moveRowsToTrash(ListPage::Hosts, { 4, 2, 3 });
    EXPECT_EQ(names(store.hosts()), (Names { "h0", "h1" }));
    EXPECT_EQ(names(store.trash()), (Names { "h4", "h3", "h2", "t0", "t1" }));
    EXPECT_EQ(store.pendingChanges(), 3);
    EXPECT_EQ(store.trash().at(0).Status, StatusSaved); // records keep their status
    EXPECT_EQ(observer.log, (Names { "rem Hosts 2-4", "ins Trash 0-2" }));
    EXPECT_FALSE(observer.unpaired);
    EXPECT_EQ(store.activeIndexOf("h3"), -1);
    EXPECT_EQ(store.trashIndexOf("h3"), 1);
}

TEST_F(HostStoreTest, moveToTrash_fromWait_notCounted)
{
    store.moveRowsToTrash(ListPage::Wait, { 0, 2 });
    EXPECT_EQ(names(store.wait()), (Names { "w1" }));
    EXPECT_EQ(names(store.trash()), (Names { "w2", "w0", "t0", "t1" }));
    EXPECT_EQ(store.pendingChanges(), 0);
    EXPECT_EQ(observer.log, (Names { "rem Wait 2-2", "rem Wait 0-0", "ins Trash 0-1" }));
}

TEST_F(HostStoreTest, moveToTrash_manyScatteredRowsResetTheView)
{
    RecordList many;
    for (int i = 0; i < 400; ++i)
        many.push_back(host("m" + std::to_string(i), StatusSaved));
    store.hosts().append(std::move(many));
    observer.log.clear();
    std::vector<int> every3rd;
    for (int r = 0; r < 405; r += 3)
        every3rd.push_back(r);
    store.moveRowsToTrash(ListPage::Hosts, every3rd);
    EXPECT_EQ(store.hosts().size(), 405u - every3rd.size());
    EXPECT_EQ(store.trash().at(0).HostName, "m397"); // row 402, the last moved, ends on top
    EXPECT_EQ(observer.log.front(), "reset Hosts");
    EXPECT_FALSE(observer.unpaired);
}

TEST_F(HostStoreTest, deleteTrashRows_discardsThem)
{
    store.deleteTrashRows({ 1 });
    EXPECT_EQ(names(store.trash()), (Names { "t0" }));
    EXPECT_EQ(store.trashIndexOf("t1"), -1);
    store.emptyTrash();
    EXPECT_TRUE(store.trash().empty());
    EXPECT_EQ(store.pendingChanges(), 0);
}

TEST_F(HostStoreTest, restore_visitedGoesToHostsAsVerified_waitingToWait)
{
    store.restoreMove(0); // t0, status 2
    EXPECT_EQ(store.hosts().at(0).HostName, "t0");
    EXPECT_EQ(store.hosts().at(0).Status, StatusVerified);
    EXPECT_EQ(store.pendingChanges(), 1);
    store.restoreMove(0); // t1, status 0
    EXPECT_EQ(store.wait().at(0).HostName, "t1");
    EXPECT_EQ(store.wait().at(0).Status, StatusWaiting);
    EXPECT_EQ(store.pendingChanges(), 1);
    EXPECT_TRUE(store.trash().empty());
    EXPECT_EQ(store.activeIndexOf("t1"), 6);
}

TEST_F(HostStoreTest, removeActiveRecord_countsOnlyHostsList)
{
    store.removeActiveRecord(4); // last of the Hosts list
    EXPECT_EQ(store.pendingChanges(), 1);
    store.removeActiveRecord(4); // now w0
    EXPECT_EQ(store.pendingChanges(), 1);
    EXPECT_EQ(names(store.wait()), (Names { "w1", "w2" }));
}

TEST_F(HostStoreTest, setAlias_countsOnHostsEvenWhenUnchanged)
{
    store.setAlias(ListPage::Hosts, 1, "");
    store.setAlias(ListPage::Hosts, 1, "");
    EXPECT_EQ(store.pendingChanges(), 2);
    store.setAlias(ListPage::Wait, 1, "other");
    EXPECT_EQ(store.active(6).Alias, "other");
    EXPECT_EQ(store.pendingChanges(), 2);
    EXPECT_EQ(observer.log.back(), "chg Wait 1-1");
}

TEST_F(HostStoreTest, hostCountText)
{
    EXPECT_EQ(store.hostCountText(ListPage::Hosts), "Hosts: 5");
    store.clearActive();
    EXPECT_EQ(store.hostCountText(ListPage::Wait), "No Hosts");
    EXPECT_EQ(store.hostCountText(ListPage::Trash), "Hosts: 2");
    store.emptyTrash();
    store.insertTopOfTrash(host("x", 1));
    EXPECT_EQ(store.hostCountText(ListPage::Trash), "Hosts: 1");
}

TEST_F(HostStoreTest, insertTop_placesAtTheFrontOfEachList)
{
    store.insertTopOfHosts(host("n1", StatusVerified));
    store.insertTopOfWait(host("n2", StatusWaiting));
    EXPECT_EQ(store.active(0).HostName, "n1");
    EXPECT_EQ(store.active(6).HostName, "n2");
    EXPECT_EQ(store.pendingChanges(), 1);
    EXPECT_EQ(observer.log, (Names { "ins Hosts 0-0", "ins Wait 0-0" }));
}

// Emptying one part of the active list leaves the other part's names in the
// shared index; emptying both leaves none, and the index works on.
TEST_F(HostStoreTest, clearingParts_keepsTheNameIndexInStep)
{
    store.hosts().clear();
    for (const char* name : { "h0", "h4" })
        EXPECT_FALSE(store.activeContains(name)) << name;
    for (const char* name : { "w0", "w1", "w2" })
        EXPECT_TRUE(store.activeContains(name)) << name;

    store.insertTopOfHosts(host("h9", StatusVerified));
    store.clearActive();
    for (const char* name : { "h9", "w0", "w2" })
        EXPECT_FALSE(store.activeContains(name)) << name;
    EXPECT_EQ(store.activeSize(), 0u);
    EXPECT_TRUE(store.trashIndexOf("t1") == 1);

    store.insertTopOfWait(host("w0", StatusWaiting));
    EXPECT_EQ(store.activeIndexOf("W0"), 0);
}
