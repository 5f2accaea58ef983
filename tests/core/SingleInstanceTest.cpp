#include "platform/SingleInstance.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <memory>

using quillon::platform::SingleInstance;

TEST(SingleInstance, secondHolderIsRefused_untilTheFirstEnds)
{
    quillon::test::TempDir dir;
    auto first = std::make_unique<SingleInstance>("TFormMain", dir.path());
    EXPECT_TRUE(first->isFirst());
    SingleInstance second("TFormMain", dir.path());
    EXPECT_FALSE(second.isFirst());
    EXPECT_TRUE(second.failure().isOk()); // refused because another copy runs, not by a failure
    SingleInstance other("OtherWindow", dir.path());
    EXPECT_TRUE(other.isFirst());
    first.reset();
    SingleInstance third("TFormMain", dir.path());
    EXPECT_TRUE(third.isFirst());
}

TEST(SingleInstance, lockFileThatCannotBeCreated_givesTheReason)
{
    SingleInstance lock("TFormMain", "/nonexistent-folder-of-quillon-tests");
    EXPECT_FALSE(lock.isFirst());
    EXPECT_FALSE(lock.failure().isOk());
    EXPECT_EQ(lock.failure().reason(), "No such file or directory");
}

// In a shared /tmp another user could plant a link where the lock goes.
TEST(SingleInstance, plantedLink_isNotFollowed)
{
    quillon::test::TempDir dir;
    dir.write("victim", "MINE");
    std::filesystem::create_symlink(dir.file("victim"), dir.file("quillon-TFormMain.lock"));
    SingleInstance lock("TFormMain", dir.path());
    EXPECT_FALSE(lock.isFirst());
    EXPECT_EQ(lock.failure().reason(), "Too many levels of symbolic links");
    EXPECT_EQ(dir.read("victim"), "MINE");
}
