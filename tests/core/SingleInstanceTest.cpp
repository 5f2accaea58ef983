#include "platform/SingleInstance.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

using quillon::platform::SingleInstance;

TEST(SingleInstance, secondHolderIsRefused_untilTheFirstEnds)
{
    quillon::test::TempDir dir;
    auto first = std::make_unique<SingleInstance>("TFormMain", dir.path());
    EXPECT_TRUE(first->isFirst());
    SingleInstance second("TFormMain", dir.path());
    EXPECT_FALSE(second.isFirst());
    SingleInstance other("OtherWindow", dir.path());
    EXPECT_TRUE(other.isFirst());
    first.reset();
    SingleInstance third("TFormMain", dir.path());
    EXPECT_TRUE(third.isFirst());
}
