#include "core/HostStore.h"

#include "fakes/RecordingObserver.h"

#include <gtest/gtest.h>

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

TEST_F(HostStoreTest, indexOf_namesDifferingInCaseGiveTheFirstInListOrder)
{
    store.wait().pushFront(host("Dup", StatusWaiting));
    store.hosts().insert(3, host("DUP", StatusSaved));
    EXPECT_EQ(store.activeIndexOf("dup"), 3);
    store.hosts().take(3);
    EXPECT_EQ(store.activeIndexOf("dup"), 5);
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
