#include "verify/AddHost.h"

#include "fakes/AppFixture.h"

using namespace quillon;
using namespace quillon::core;
using namespace quillon::verify;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {
class AddHostTest : public AppFixture {
protected:
    void SetUp() override
    {
        programDir.write("Quillon.d01", "0 waiting.example\r\n");
        programDir.write("Quillon.d02", "0 trashed.example\r\n");
        programDir.write("Quillon.d03", "ignored.example\r\n");
        startAndLoad();
    }
};
} // namespace

TEST_F(AddHostTest, wholeUrl_addsTheBareLowerCaseName)
{
    resolver.answer("hosta.example", "10.0.0.1");
    dialogs.inputSteps = { { true, "  HTTP://User:Pw@HostA.Example:8080/Path/x.html  " } };
    MenuEditAddHostClick(app);
    ASSERT_EQ(state.store.hosts().size(), 1u);
    const TRecHost& r = state.store.hosts().at(0);
    EXPECT_EQ(r.HostName, "hosta.example");
    EXPECT_EQ(r.IP, "10.0.0.1");
    EXPECT_EQ(r.Status, StatusVerified);
    EXPECT_EQ(r.Freq, 0);
    EXPECT_DOUBLE_EQ(r.Date, now(clock));
    EXPECT_EQ(state.store.pendingChanges(), 1);
    EXPECT_EQ(dialogs.inputCaptions, (Names { "Add Host" }));
}

TEST_F(AddHostTest, refusals_showTheDialogAgainWithTheCleanedName)
{
    dialogs.inputSteps = { { true, "mailto:someone@example.com" }, { true, "about:blank" },
                           { true, "Waiting.Example" }, { true, "http://IGNORED.example/" },
                           { true, "bad#name" }, { true, "bank\xE2\x80\xAE" "moc.test" }, { false, "" } };
    MenuEditAddHostQQDClick(app);
    // Characters no host name holds are named, an invisible one written out.
    const std::string invalid = "Invalid Host name.\n\nThe host name \"";
    EXPECT_EQ(dialogs.askedTexts(),
              (Names { "Invalid Host name.", "Invalid Host name.", "Host already in list.", "Host to be ignored.",
                       invalid + "bad#name\" was refused: a host name holds only ASCII letters, digits, \"-\", \"_\" and \".\".",
                       invalid + "bank\\u202Emoc.test\" was refused: it holds an invisible or direction-changing character." }));
    for (const auto& q : dialogs.asked)
        EXPECT_EQ(q.kind, MessageKind::Warning);
    // Each showing after the first holds what the previous OK left in Edit1.
    EXPECT_EQ(dialogs.inputShownWith[3], "waiting.example");
    EXPECT_EQ(dialogs.inputShownWith[4], "ignored.example");
    EXPECT_EQ(state.store.wait().size(), 1u);
}

TEST_F(AddHostTest, nameOnlyInTheTrash_isAddedAndTheTrashEntryStays)
{
    dialogs.inputSteps = { { true, "trashed.example" } };
    MenuEditAddHostQQDClick(app);
    EXPECT_EQ(state.store.wait().at(0).HostName, "trashed.example");
    EXPECT_EQ(state.store.trash().size(), 1u);
    EXPECT_TRUE(resolver.lookups.empty()); // the Wait mode never resolves
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(AddHostTest, localhostAndNumericNames_enterWithoutALookup)
{
    dialogs.inputSteps = { { true, "localhost" } };
    MenuEditAddHostClick(app);
    dialogs.inputSteps = { { true, "10.1.2.3" } };
    MenuEditAddHostClick(app);
    EXPECT_EQ(state.store.hosts().at(1).IP, "127.0.0.1");
    EXPECT_EQ(state.store.hosts().at(0).HostName, "10.1.2.3");
    EXPECT_EQ(state.store.hosts().at(0).IP, "10.1.2.3");
    EXPECT_TRUE(resolver.lookups.empty());
}

TEST_F(AddHostTest, noConnection_noEndsWithoutAdding_yesGoesOnToTheWaitQuestion)
{
    connection.online = false;
    dialogs.inputSteps = { { true, "new.example" } };
    dialogs.answers = { Answer::No };
    MenuEditAddHostClick(app);
    EXPECT_EQ(state.store.activeSize(), 1u);

    dialogs.inputSteps = { { true, "new.example" } };
    dialogs.answers = { Answer::Yes, Answer::Yes };
    MenuEditAddHostClick(app);
    EXPECT_EQ(dialogs.asked[2].text, "Can't verify Host: add to Wait List ?");
    EXPECT_EQ(dialogs.asked[2].kind, MessageKind::QuestionDefaultYes);
    EXPECT_EQ(state.store.wait().at(0).HostName, "new.example");
    EXPECT_EQ(state.store.wait().at(0).Status, StatusWaiting);
}

TEST_F(AddHostTest, cannotVerify_noShowsTheDialogAgain)
{
    dialogs.inputSteps = { { true, "down.example" }, { false, "" } };
    dialogs.answers = { Answer::No };
    MenuEditAddHostClick(app);
    EXPECT_EQ(dialogs.inputShownWith, (Names { "", "down.example" }));
    EXPECT_EQ(state.store.activeSize(), 1u);
    EXPECT_EQ(dialogs.workShows, 1);
    EXPECT_FALSE(dialogs.workCancelEnabled); // a single lookup cannot be cancelled
    EXPECT_FALSE(dialogs.workPanelVisible());
}

// A further name of a listed entry stands on its hosts file line: the
// resolver would answer from that very line.
TEST_F(AddHostTest, aliasOfAListedEntry_isAlreadyInTheList)
{
    hostsDir.write("hosts", "10.0.0.5 files fileserver PRINTER\r\n");
    startAndLoad();
    dialogs.inputSteps = { { true, "fileserver" }, { true, "printer" }, { false, "" } };
    MenuEditAddHostClick(app);
    EXPECT_EQ(dialogs.askedTexts(), (Names { "Host already in list.", "Host already in list." }));
    EXPECT_TRUE(resolver.lookups.empty());
    EXPECT_EQ(state.store.hosts().size(), 1u);
}
