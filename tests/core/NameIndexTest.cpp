#include "core/NameIndex.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

using namespace quillon::core;

namespace {
std::unique_ptr<TRecHost> host(const std::string& name)
{
    auto r = std::make_unique<TRecHost>();
    r->HostName = name;
    return r;
}
} // namespace

TEST(NameIndex, find_ignoresLetterCaseButExactFindDoesNot)
{
    NameIndex index;
    auto a = host("Example.COM");
    index.insert(a.get());
    EXPECT_TRUE(index.containsIgnoreCase("example.com"));
    EXPECT_TRUE(index.containsIgnoreCase("EXAMPLE.com"));
    EXPECT_FALSE(index.containsIgnoreCase("example.co"));
    EXPECT_EQ(index.findExact("Example.COM"), a.get());
    EXPECT_EQ(index.findExact("example.com"), nullptr);
}

TEST(NameIndex, matches_namesDifferingOnlyInCaseAreAllFound)
{
    NameIndex index;
    auto a = host("abc");
    auto b = host("ABC");
    index.insert(a.get());
    index.insert(b.get());
    std::set<const TRecHost*> found;
    index.forEachMatch("aBc", [&](const TRecHost* r) { found.insert(r); });
    EXPECT_EQ(found, (std::set<const TRecHost*> { a.get(), b.get() }));
    index.erase(a.get());
    EXPECT_EQ(index.findExact("abc"), nullptr);
    EXPECT_EQ(index.findExact("ABC"), b.get());
}

// Against a plain model under random inserts and erases: catches probe runs
// broken by deletion and growth.
TEST(NameIndex, randomInsertsAndErases_agreeWithAPlainSet)
{
    std::mt19937 rng(7);
    std::vector<std::unique_ptr<TRecHost>> pool;
    for (int i = 0; i < 3000; ++i)
        pool.push_back(host("h" + std::to_string(rng() % 1500)));
    NameIndex index;
    std::set<const TRecHost*> live;
    for (int step = 0; step < 20000; ++step) {
        const TRecHost* r = pool[rng() % pool.size()].get();
        if (live.count(r)) {
            index.erase(r);
            live.erase(r);
        } else {
            index.insert(r);
            live.insert(r);
        }
        if (step % 997 == 0) {
            for (const auto& p : pool) {
                std::set<const TRecHost*> expected;
                for (const TRecHost* l : live)
                    if (l->HostName == p->HostName)
                        expected.insert(l);
                std::set<const TRecHost*> got;
                index.forEachMatch(p->HostName, [&](const TRecHost* m) { got.insert(m); });
                ASSERT_EQ(got, expected) << "step " << step;
            }
        }
    }
    EXPECT_EQ(index.size(), live.size());
}
