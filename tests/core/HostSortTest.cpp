#include "core/HostSort.h"

#include "fakes/AppFixture.h"

#include <random>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {

// The quicksort written out as plainly as it is stated, on integer keys,
// recursing into both parts: the reference for where equal keys land.
void referenceSort(std::vector<std::pair<int, int>>& a, int lo, int hi)
{
    const int pivot = a[static_cast<std::size_t>((lo + hi) / 2)].first;
    int i = lo, j = hi;
    do {
        while (a[static_cast<std::size_t>(i)].first < pivot)
            ++i;
        while (pivot < a[static_cast<std::size_t>(j)].first)
            --j;
        if (i <= j) {
            std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(j)]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (lo < j)
        referenceSort(a, lo, j);
    if (i < hi)
        referenceSort(a, i, hi);
}

class HostSortTest : public AppFixture {
protected:
    void hosts(const std::vector<TRecHost>& records)
    {
        RecordList list;
        for (const TRecHost& r : records)
            list.push_back(std::make_unique<TRecHost>(r));
        state.store.hosts().append(std::move(list));
    }
    Names names(ListPage page = ListPage::Hosts) const { return AppFixture::names(page); }
    static TRecHost rec(const char* name, int freq = 0, const char* ip = "", const char* alias = "")
    {
        return TRecHost { name, ip, alias, 0, freq, StatusSaved, 0 };
    }
};

} // namespace

TEST(HostSortOrder, equalKeysLandWhereTheStatedQuicksortPutsThem)
{
    std::mt19937 rng(3);
    for (int round = 0; round < 200; ++round) {
        const int n = 2 + static_cast<int>(rng() % 300);
        std::vector<std::pair<int, int>> expected;
        std::vector<TRecHost> records;
        for (int i = 0; i < n; ++i) {
            const int key = static_cast<int>(rng() % 6); // many equal keys
            expected.emplace_back(key, i);
            records.push_back(TRecHost { "h" + std::to_string(i), "", "", 0, key, 1, 0 });
        }
        referenceSort(expected, 0, n - 1);
        std::vector<const TRecHost*> pointers;
        for (const TRecHost& r : records)
            pointers.push_back(&r);
        const auto order = quickSortOrder(pointers, SortKey::Freq);
        for (int k = 0; k < n; ++k)
            ASSERT_EQ(static_cast<int>(order[static_cast<std::size_t>(k)]), expected[static_cast<std::size_t>(k)].second)
                << "round " << round << " place " << k;
    }
}

TEST_F(HostSortTest, textKeys_byteOrder_emptyFirst_addressesByNumber)
{
    hosts({ rec("beta", 0, "10.0.0.1", "z"), rec("Zulu", 0, "9.0.0.1", ""), rec("alpha", 0, "192.168.1.1", "a") });
    sortPage(app, ListPage::Hosts, SortKey::HostName, SortDirection::Ascending);
    EXPECT_EQ(names(), (Names { "Zulu", "alpha", "beta" })); // capitals before small letters
    sortPage(app, ListPage::Hosts, SortKey::Alias, SortDirection::Ascending);
    EXPECT_EQ(names(), (Names { "Zulu", "alpha", "beta" })); // the empty alias first
    sortPage(app, ListPage::Hosts, SortKey::IP, SortDirection::Ascending);
    EXPECT_EQ(names(), (Names { "Zulu", "beta", "alpha" })); // 9.0.0.1 before 10.0.0.1
    sortPage(app, ListPage::Hosts, SortKey::IP, SortDirection::Descending);
    EXPECT_EQ(names(), (Names { "alpha", "beta", "Zulu" }));
    EXPECT_EQ(shell.lockCalls.size(), 8u);
    EXPECT_EQ(shell.busyCalls, (std::vector<bool> { true, false, true, false, true, false, true, false }));
}

TEST_F(HostSortTest, descending_isTheExactReverseEqualKeysIncluded)
{
    const std::vector<TRecHost> start = { rec("a", 1), rec("b", 1), rec("c", 0), rec("d", 1), rec("e", 1) };
    hosts(start);
    sortPage(app, ListPage::Hosts, SortKey::Freq, SortDirection::Ascending);
    const Names up = names();
    state.store.hosts().clear();
    hosts(start);
    sortPage(app, ListPage::Hosts, SortKey::Freq, SortDirection::Descending);
    Names down = names();
    std::reverse(down.begin(), down.end());
    EXPECT_EQ(down, up);
}

TEST_F(HostSortTest, headerToggle_alternatesUnlessAllKeysAreEqual)
{
    hosts({ rec("b"), rec("c"), rec("a") });
    sortPage(app, ListPage::Hosts, SortKey::HostName, SortDirection::Toggle);
    EXPECT_EQ(names(), (Names { "a", "b", "c" })); // "b" was first: ascending
    sortPage(app, ListPage::Hosts, SortKey::HostName, SortDirection::Toggle);
    EXPECT_EQ(names(), (Names { "c", "b", "a" }));
    sortPage(app, ListPage::Hosts, SortKey::HostName, SortDirection::Toggle);
    EXPECT_EQ(names(), (Names { "a", "b", "c" }));

    state.store.hosts().clear();
    hosts({ rec("x", 5), rec("y", 5), rec("z", 5) });
    sortPage(app, ListPage::Hosts, SortKey::Freq, SortDirection::Toggle);
    const Names once = names();
    sortPage(app, ListPage::Hosts, SortKey::Freq, SortDirection::Toggle);
    // Every click is descending: the reverse of the ascending result.
    state.store.hosts().clear();
    hosts({ rec("x", 5), rec("y", 5), rec("z", 5) });
    std::vector<const TRecHost*> p;
    for (const auto& r : state.store.hosts())
        p.push_back(r.get());
    const auto order = quickSortOrder(p, SortKey::Freq);
    Names expected;
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        expected.push_back(p[*it]->HostName);
    EXPECT_EQ(once, expected);
}

TEST_F(HostSortTest, sortingOnePart_leavesTheOtherAndOneRowListsAlone)
{
    hosts({ rec("h2"), rec("h1") });
    state.store.insertTopOfWait(std::make_unique<TRecHost>(TRecHost { "w2", "", "", 0, 0, 0, 0 }));
    state.store.insertTopOfWait(std::make_unique<TRecHost>(TRecHost { "w1", "", "", 0, 0, 0, 0 }));
    state.store.insertTopOfWait(std::make_unique<TRecHost>(TRecHost { "w3", "", "", 0, 0, 0, 0 }));
    sortPage(app, ListPage::Wait, SortKey::HostName, SortDirection::Ascending);
    EXPECT_EQ(names(ListPage::Wait), (Names { "w1", "w2", "w3" }));
    EXPECT_EQ(names(), (Names { "h2", "h1" }));
    EXPECT_EQ(state.store.activeIndexOf("w3"), 4); // the index still finds moved records

    state.store.insertTopOfTrash(std::make_unique<TRecHost>(TRecHost { "t", "", "", 0, 0, 1, 0 }));
    shell.lockCalls.clear();
    sortPage(app, ListPage::Trash, SortKey::HostName, SortDirection::Ascending);
    EXPECT_TRUE(shell.lockCalls.empty()); // one row: no lock, no rebuild
}

TEST_F(HostSortTest, addressKey)
{
    EXPECT_EQ(AddressSortKey("10.0.0.1"), "010000000001");
    EXPECT_EQ(AddressSortKey("192.168.1.10"), "192168001010");
    EXPECT_EQ(AddressSortKey(""), "000000000000");
    EXPECT_EQ(AddressSortKey("0"), "000000000000");
}
