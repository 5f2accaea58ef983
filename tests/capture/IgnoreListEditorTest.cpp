#include "capture/IgnoreListEditor.h"

#include "fakes/AppFixture.h"

using namespace quillon;
using namespace quillon::core;
using namespace quillon::capture;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {
class IgnoreListEditorTest : public AppFixture {
protected:
    void SetUp() override
    {
        hostsDir.write("hosts", "1.1.1.1 hosta\r\n1.1.1.2 other\r\n");
        programDir.write("Quillon.d02", "0 twice\r\n0 other2\r\n0 twice\r\n");
        programDir.write("Quillon.d03", "zeta\r\nAlpha\r\nmid\r\n");
        startAndLoad();
    }
};
} // namespace

TEST_F(IgnoreListEditorTest, rowsSorted_addCleansTheUrl_closeWritesInRowOrder)
{
    IgnoreListEditor editor(app);
    EXPECT_EQ(editor.rows(), (Names { "Alpha", "mid", "zeta" }));
    dialogs.inputSteps = { { true, "  HTTP://New.Example/index.html " } };
    EXPECT_EQ(editor.add(), 2);
    EXPECT_EQ(editor.rows(), (Names { "Alpha", "mid", "new.example", "zeta" }));
    editor.close();
    EXPECT_EQ(programDir.read("Quillon.d03"), "Alpha\r\nmid\r\nnew.example\r\nzeta\r\n");
    EXPECT_EQ(state.store.ignoreNames(), editor.rows());
}

TEST_F(IgnoreListEditorTest, add_refusalsAndTheExactCaseDuplicateRule)
{
    IgnoreListEditor editor(app);
    dialogs.inputSteps = { { true, "mailto:x@y" }, { true, "MID" }, { true, "alpha" } };
    // "MID" is folded to "mid", already a row; "alpha" differs from "Alpha" in case: added.
    EXPECT_GE(editor.add(), 0);
    EXPECT_EQ(dialogs.askedTexts(), (Names { "Invalid Host name.", "Host already in list." }));
    EXPECT_EQ(editor.rows().size(), 4u);
}

TEST_F(IgnoreListEditorTest, add_hostInOtherLists_yesRemovesItEverywhere)
{
    IgnoreListEditor editor(app);
    dialogs.inputSteps = { { true, "hosta" }, { true, "twice" } };
    dialogs.answers = { Answer::Yes, Answer::Yes };
    editor.add();
    editor.add();
    EXPECT_EQ(dialogs.asked[0].text, "Host already in other lists: if added to Ignore List, this Host will be "
                                     "removed from other lists. Add to Ignore List ? ");
    EXPECT_EQ(state.store.activeIndexOf("hosta"), -1);
    EXPECT_EQ(state.store.trashIndexOf("twice"), -1); // both copies
    EXPECT_EQ(state.store.trash().size(), 1u);
    EXPECT_EQ(state.store.pendingChanges(), 1);
    EXPECT_TRUE(editor.listsChanged());
}

TEST_F(IgnoreListEditorTest, add_answerNo_addsNothing)
{
    IgnoreListEditor editor(app);
    dialogs.inputSteps = { { true, "other" } };
    dialogs.answers = { Answer::No };
    EXPECT_EQ(editor.add(), -1);
    EXPECT_EQ(editor.rows().size(), 3u);
    EXPECT_FALSE(editor.listsChanged());
    EXPECT_EQ(state.store.activeIndexOf("other"), 1);
}

TEST_F(IgnoreListEditorTest, remove_needsASelectionAndAsks)
{
    IgnoreListEditor editor(app);
    editor.remove({});
    dialogs.answers = { Answer::No, Answer::Yes };
    editor.remove({ 0, 2 });
    EXPECT_EQ(editor.rows().size(), 3u);
    editor.remove({ 0, 2 });
    EXPECT_EQ(editor.rows(), (Names { "mid" }));
    EXPECT_EQ(dialogs.askedTexts(), (Names { "No Hosts selected", "Remove the 2 selected Hosts ?",
                                             "Remove the 2 selected Hosts ?" }));
}

TEST_F(IgnoreListEditorTest, windowClosedWithoutClose_keepsRemovalsFromTheListsAndSaves)
{
    dialogs.inputSteps = { { true, "hosta" } };
    dialogs.answers = { Answer::Yes };
    MenuToolsIgnoreListClick(app, [](IgnoreListEditor& editor) { editor.add(); }); // no close()
    EXPECT_EQ(state.store.ignoreNames(), (Names { "zeta", "Alpha", "mid" })); // unchanged
    EXPECT_EQ(hostsDir.read("hosts").find("hosta"), std::string::npos);      // saved without it
    EXPECT_EQ(shell.lockCalls, (std::vector<std::string> { "lock", "unlock" }));
}

TEST_F(IgnoreListEditorTest, close_saysWhenQuillonD03CouldNotBeReadAtStartup)
{
    state.blocked.d03 = true;
    IgnoreListEditor editor(app);
    editor.close();
    EXPECT_EQ(dialogs.askedTexts(),
              (Names { "File \"" + programDir.file("Quillon.d03") + "\" not saved: it could not be read when Quillon started." }));
    EXPECT_EQ(programDir.read("Quillon.d03"), "zeta\r\nAlpha\r\nmid\r\n");
}
