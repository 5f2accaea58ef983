#include "core/ListCommands.h"

#include "core/HostName.h"
#include "fakes/AppFixture.h"

using namespace quillon;
using namespace quillon::core;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {

class ListCommandsTest : public AppFixture {
protected:
    void SetUp() override
    {
        hostsDir.write("hosts", "10.0.0.1 alpha a1\r\n10.0.0.2 beta\r\n10.0.0.3 gamma g1\r\n10.0.0.4 delta\r\n");
        programDir.write("Quillon.d01", "0 wait1\r\n");
        programDir.write("Quillon.d02", "1.1.1.1 beta  #Quillon|2001/03/05|14.07.09|2|0#\r\n"
                                        "0 fresh  #Quillon|1899/12/30|00.00.00|0|0#\r\n"
                                        "1.1.1.3 wait1  #Quillon|2001/03/05|14.07.09|1|0#\r\n");
        startAndLoad();
    }
};

} // namespace

TEST_F(ListCommandsTest, questions_builtFromTheirPieces)
{
    EXPECT_EQ(deleteQuestion(0, 4), "Send the 4 selected Hosts to Trash ?");
    EXPECT_EQ(deleteQuestion(1, 1), "Send the selected Host to Trash ?");
    EXPECT_EQ(deleteQuestion(2, 1), "Delete the selected Host ?");
    EXPECT_EQ(deleteQuestion(2, 3), "Delete the 3 selected Hosts ?");
    EXPECT_EQ(removeAliasQuestion(1), "Remove Alias from the selected Host ?");
    EXPECT_EQ(removeAliasQuestion(2), "Remove Alias from the 2 selected Hosts ?");
}

TEST_F(ListCommandsTest, find_wholeFieldIgnoringCase_topRowScrolled)
{
    shell.page = 0;
    dialogs.inputSteps = { { true, "  " }, { true, "GAM" }, { true, " \tGAMMA\n" } };
    findRow(app, FindField::HostName);
    EXPECT_EQ(dialogs.askedTexts(), (Names { "Null field not permitted.", "Item not found." }));
    EXPECT_EQ(dialogs.asked[1].kind, MessageKind::Information);
    EXPECT_EQ(dialogs.inputShownWith[2], "GAM"); // the dialog keeps the text
    EXPECT_EQ(shell.selections[0], (std::vector<int> { 2 }));
    EXPECT_EQ(shell.scrolledTo, (std::pair<int, int> { 0, 2 }));
    EXPECT_EQ(dialogs.inputCaptions, (Names { "Find Host name" }));

    dialogs.inputSteps = { { true, "10.0.0.4" } };
    findRow(app, FindField::IPAddress);
    EXPECT_EQ(shell.selections[0], (std::vector<int> { 3 }));
    EXPECT_EQ(dialogs.inputCaptions.back(), "Find IP address");
}

TEST_F(ListCommandsTest, selectAllAndInvert)
{
    shell.page = 0;
    selectAllRows(app);
    EXPECT_EQ(shell.selections[0], (std::vector<int> { 0, 1, 2, 3 }));
    shell.selections[0] = { 1, 2 };
    invertSelection(app);
    EXPECT_EQ(shell.selections[0], (std::vector<int> { 0, 3 }));
}

// What the hosts helper would refuse is refused in the dialog: "#", line
// breaks, the system's own names and names the program does not admit.
TEST_F(ListCommandsTest, modifyAlias_refusesWhatTheHostsFileMayNotHold_cancelKeeps_changeCounts)
{
    state.ownHostName = "mybox";
    select(0, { 0 });
    const std::string umlaut = "b\xC3\xBC" "cher";
    dialogs.inputSteps = { { true, "x#y" },          { true, "x\n6.6.6.6 evil.test" }, { true, "tab\tname" },
                           { true, "www localhost." }, { true, "MyBox.lan" },            { true, "ok " + umlaut },
                           { true, "  new alias" } };
    modifyAlias(app);
    const std::string controls = "Line breaks and control characters not permitted in the Alias field.";
    const std::string system = "\" not permitted in the Alias field: only the system's own lines name it.";
    EXPECT_EQ(dialogs.askedTexts(), (Names { "\"#\" not permitted in the Alias field.", controls, controls,
                                             "\"localhost." + system, "\"MyBox.lan" + system,
                                             hostNameRefusal(umlaut) }));
    EXPECT_EQ(dialogs.inputShownWith, (Names { "a1", "x#y", "x\n6.6.6.6 evil.test", "tab\tname", "www localhost.",
                                               "MyBox.lan", "ok " + umlaut }));
    EXPECT_EQ(state.store.hosts().at(0).Alias, "  new alias"); // as typed, blanks kept
    EXPECT_EQ(state.store.pendingChanges(), 1);

    dialogs.inputSteps = { { false, "" } };
    modifyAlias(app);
    dialogs.inputSteps = { { true, "  new alias" } }; // the same: nothing changes
    modifyAlias(app);
    EXPECT_EQ(state.store.pendingChanges(), 1);
}

TEST_F(ListCommandsTest, removeAlias_countsEachRowEvenWhenEmpty)
{
    select(0, { 1, 2 });
    dialogs.answers = { Answer::Yes };
    removeAlias(app);
    EXPECT_EQ(dialogs.asked[0].kind, MessageKind::QuestionDefaultYes);
    EXPECT_EQ(state.store.hosts().at(2).Alias, "");
    EXPECT_EQ(state.store.pendingChanges(), 2);
    EXPECT_TRUE(shell.selections[0].empty());
}

TEST_F(ListCommandsTest, delete_hostsToTrashReversed_trashForGood)
{
    select(0, { 1, 2 });
    dialogs.answers = { Answer::Yes };
    deleteSelectedRows(app);
    EXPECT_EQ(dialogs.askedTexts(), (Names { "Send the 2 selected Hosts to Trash ?" }));
    EXPECT_EQ(names(ListPage::Trash)[0], "gamma");
    EXPECT_EQ(names(ListPage::Trash)[1], "beta");
    EXPECT_EQ(state.store.pendingChanges(), 2);

    select(2, { 0 });
    dialogs.answers = { Answer::Yes };
    deleteSelectedRows(app);
    EXPECT_EQ(dialogs.askedTexts().back(), "Delete the selected Host ?");
    EXPECT_EQ(names(ListPage::Trash)[0], "beta");

    select(2, { 0 });
    dialogs.answers = { Answer::No };
    deleteSelectedRows(app);
    EXPECT_EQ(names(ListPage::Trash)[0], "beta");
}

// A Trash whose file could not be read is not saved this run: hosts sent
// there would be lost, so the move is refused and says why.
TEST_F(ListCommandsTest, delete_intoATrashThatIsNotSaved_isRefused)
{
    state.blocked.d02 = true;
    const std::size_t trashed = state.store.trash().size();
    select(0, { 1 });
    deleteSelectedRows(app);
    EXPECT_EQ(dialogs.askedTexts(), (Names { "Hosts cannot be moved into the Trash: \"" + state.paths.d02
                                             + "\" could not be read when Quillon started and is not written while "
                                               "it runs, so they would be lost." }));
    EXPECT_EQ(state.store.trash().size(), trashed);
    EXPECT_EQ(state.store.pendingChanges(), 0);
}

TEST_F(ListCommandsTest, restore_yesOverwrites_noKeepsDeselected_cancelStops)
{
    // Trash: beta (in the Hosts list), fresh (new), wait1 (in the Wait list).
    select(2, { 0, 1, 2 });
    dialogs.answers = { Answer::No, Answer::Yes };
    restoreSelectedRows(app);
    EXPECT_EQ(dialogs.askedTexts(),
              (Names { "beta already in list: overwrite ?", "wait1 already in list: overwrite ?" }));
    EXPECT_EQ(dialogs.asked[0].kind, MessageKind::ThreeWayDefaultNo);
    EXPECT_EQ(names(ListPage::Trash), (Names { "beta" }));        // No: stays
    EXPECT_EQ(names(ListPage::Wait), (Names { "fresh" }));        // wait1 replaced, status 1: to Hosts
    EXPECT_EQ(state.store.hosts().at(0).HostName, "wait1");
    EXPECT_EQ(state.store.hosts().at(0).Status, StatusVerified);
    EXPECT_TRUE(shell.selections[2].empty());
}

TEST_F(ListCommandsTest, restore_cancelLeavesTheRestSelected)
{
    select(2, { 0, 1 });
    dialogs.answers = { Answer::Cancel };
    restoreSelectedRows(app);
    EXPECT_EQ(state.store.trash().size(), 3u);
    EXPECT_EQ(shell.selections[2], (std::vector<int> { 0, 1 }));
}

TEST_F(ListCommandsTest, emptyTrash_asksFirst)
{
    dialogs.answers = { Answer::No, Answer::Yes };
    emptyTrashCommand(app);
    EXPECT_EQ(state.store.trash().size(), 3u);
    emptyTrashCommand(app);
    EXPECT_TRUE(state.store.trash().empty());
    EXPECT_EQ(dialogs.askedTexts()[0], "Remove all Hosts from Trash ?");
}
