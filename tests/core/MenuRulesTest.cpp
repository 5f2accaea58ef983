#include "core/MenuRules.h"

#include <gtest/gtest.h>

using namespace quillon::core;

TEST(MenuRules, editMenu_trashItemsOnlyOnTrashPage_aliasOnlyOnListPages)
{
    for (int page = 0; page < 3; ++page) {
        const MainMenuState s = mainMenuState({ page, 5, 1, 5 });
        EXPECT_EQ(s.emptyTrashVisible, page == 2) << page;
        EXPECT_EQ(s.restoreVisible, page == 2) << page;
        EXPECT_EQ(s.aliasEnabled, page != 2) << page;
        EXPECT_EQ(s.verifySelectionEnabled, page != 2) << page;
        EXPECT_EQ(s.openHostEnabled, page != 2) << page;
    }
}

TEST(MenuRules, mainMenu_followsRowAndSelectionCounts)
{
    const MainMenuState none = mainMenuState({ 0, 0, 0, 0 });
    EXPECT_FALSE(none.rowsCommandsEnabled);
    EXPECT_FALSE(none.deleteEnabled);
    EXPECT_FALSE(none.exportEnabled);
    EXPECT_FALSE(none.aliasModifyEnabled);

    const MainMenuState two = mainMenuState({ 1, 9, 2, 0 });
    EXPECT_TRUE(two.rowsCommandsEnabled);
    EXPECT_TRUE(two.deleteEnabled);
    EXPECT_TRUE(two.aliasRemoveEnabled);
    EXPECT_FALSE(two.aliasModifyEnabled); // exactly one row
    EXPECT_FALSE(two.openHostEnabled);    // exactly one row
    EXPECT_FALSE(two.exportEnabled);      // the Hosts page has no rows, whatever the page

    const MainMenuState trash = mainMenuState({ 2, 3, 0, 1 });
    EXPECT_TRUE(trash.emptyTrashEnabled);
    EXPECT_FALSE(trash.restoreEnabled);
    EXPECT_TRUE(trash.exportEnabled);
}

TEST(MenuRules, popup_oneRowSelectedOnWaitPage)
{
    const PopupMenuState s = popupMenuState({ 1, 4, 1, 0 });
    EXPECT_TRUE(s.verifyVisible);
    EXPECT_TRUE(s.aliasVisible);
    EXPECT_TRUE(s.deleteVisible);
    EXPECT_TRUE(s.openVisible);
    EXPECT_TRUE(s.findVisible);
    EXPECT_FALSE(s.restoreVisible);
    EXPECT_FALSE(s.emptyTrashVisible);
}

TEST(MenuRules, popup_trashAndEmptyPages)
{
    const PopupMenuState trash = popupMenuState({ 2, 4, 2, 0 });
    EXPECT_TRUE(trash.restoreVisible);
    EXPECT_TRUE(trash.emptyTrashVisible);
    EXPECT_FALSE(trash.verifyVisible);
    EXPECT_FALSE(trash.aliasVisible);
    EXPECT_FALSE(trash.openVisible);

    const PopupMenuState empty = popupMenuState({ 0, 0, 0, 0 });
    EXPECT_FALSE(empty.findVisible);
    EXPECT_FALSE(empty.deleteVisible);
    EXPECT_FALSE(empty.verifyVisible);
}
