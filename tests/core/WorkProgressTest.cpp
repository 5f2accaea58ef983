#include "core/WorkProgress.h"

#include "fakes/AppFixture.h"

using namespace quillon::core;
using namespace quillon::test;

namespace {
class WorkProgressTest : public AppFixture {};
} // namespace

TEST_F(WorkProgressTest, manyItems_countInTheActionAndPercentOnlyWhenItChanges)
{
    WorkProgress progress(app, 300);
    progress.show("Verifying Host:");
    EXPECT_EQ(dialogs.workShows, 1);
    EXPECT_TRUE(dialogs.workCancelEnabled);
    for (int i = 1; i <= 300; ++i) {
        progress.beginItem(i, "host" + std::to_string(i));
        progress.endItem(i);
    }
    EXPECT_EQ(dialogs.workActions[1], "Verifying Host (1 of 300):");
    EXPECT_EQ(dialogs.workActions.back(), "Verifying Host (300 of 300):");
    ASSERT_EQ(dialogs.workProgressSteps.size(), 100u); // 1% to 100%, once each
    EXPECT_EQ(dialogs.workProgressSteps.front(), 1);
    EXPECT_EQ(dialogs.workProgressSteps.back(), 100);
    EXPECT_EQ(shell.eventsProcessed, 300);
    progress.hide();
    EXPECT_FALSE(dialogs.workPanelVisible());
}

TEST_F(WorkProgressTest, oneItem_keepsTheActionAndJumpsToHundred)
{
    WorkProgress progress(app, 1);
    progress.show("Verifying Host:");
    progress.beginItem(1, "only");
    progress.endItem(1);
    EXPECT_EQ(dialogs.workActions, (std::vector<std::string> { "Verifying Host:" }));
    EXPECT_EQ(dialogs.workProgressSteps, (std::vector<int> { 100 }));
}
