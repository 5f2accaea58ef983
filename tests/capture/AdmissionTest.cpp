#include "capture/Admission.h"

#include "fakes/AppFixture.h"

#include <gmock/gmock.h>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::capture;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {

class AdmissionTest : public AppFixture {
protected:
    void SetUp() override
    {
        clock.time = { 2024, 6, 15, 12, 0, 0, 0 };
        hostsDir.write("hosts", "1.1.1.1 saved.example  #Quillon|2024/06/01|10.00.00|1|4#\r\n");
        programDir.write("Quillon.d01", "0 waiting.example  #Quillon|1899/12/30|00.00.00|0|2#\r\n");
        programDir.write("Quillon.d02", "0 trashed.example\r\n");
        programDir.write("Quillon.d03", "Ignored.Example\r\n");
        startAndLoad();
    }
    static RecordList candidates(std::initializer_list<const char*> names)
    {
        RecordList list;
        for (const char* n : names) {
            auto r = std::make_unique<TRecHost>();
            r->HostName = n;
            r->IP = "5.5.5.5";
            r->Alias = "dropped";
            list.push_back(std::move(r));
        }
        return list;
    }
};

} // namespace

TEST_F(AdmissionTest, capturedSavedHost_countsOncePerRunAndBecomesVisited)
{
    AdmitCapturedHost(app, "SAVED.example", true);
    const TRecHost& r = state.store.hosts().at(0);
    EXPECT_EQ(r.Freq, 5);
    EXPECT_EQ(r.Status, StatusVisited);
    EXPECT_EQ(state.store.pendingChanges(), 1);
    AdmitCapturedHost(app, "saved.example", true);
    EXPECT_EQ(r.Freq, 5);
    EXPECT_EQ(state.store.pendingChanges(), 1);
    EXPECT_TRUE(resolver.lookups.empty()); // Hosts-list entries are never resolved here
}

TEST_F(AdmissionTest, capturedWaitingHost_resolvedMovesToTheHostsList)
{
    resolver.answer("waiting.example", "2.2.2.2");
    AdmitCapturedHost(app, "waiting.example", true);
    ASSERT_EQ(state.store.hosts().size(), 2u);
    const TRecHost& r = state.store.hosts().at(0);
    EXPECT_EQ(r.HostName, "waiting.example");
    EXPECT_EQ(r.IP, "2.2.2.2");
    EXPECT_EQ(r.Status, StatusVerified);
    EXPECT_EQ(r.Freq, 3);
    EXPECT_TRUE(state.store.wait().empty());
    EXPECT_EQ(state.store.pendingChanges(), 1);
}

TEST_F(AdmissionTest, capturedWaitingHost_withoutVerify_countsOnceAndStays)
{
    AdmitCapturedHost(app, "waiting.example", false);
    AdmitCapturedHost(app, "waiting.example", false);
    EXPECT_EQ(state.store.wait().at(0).Freq, 3);
    EXPECT_EQ(state.store.wait().at(0).Status, StatusWaiting);
    EXPECT_EQ(state.store.pendingChanges(), 0);
}

TEST_F(AdmissionTest, capturedNewHost_entersVisitedWithFrequencyOne)
{
    resolver.answer("new.example", "3.3.3.3");
    AdmitCapturedHost(app, "new.example", true);
    const TRecHost& r = state.store.hosts().at(0);
    EXPECT_EQ(r.HostName, "new.example");
    EXPECT_EQ(r.Freq, 1);
    EXPECT_EQ(r.Visited, 1);
    EXPECT_EQ(r.Status, StatusVerified);
    AdmitCapturedHost(app, "down.example", true); // does not resolve
    EXPECT_EQ(state.store.wait().at(0).HostName, "down.example");
    EXPECT_EQ(state.store.wait().at(0).Status, StatusWaiting);
    AdmitCapturedHost(app, "trashed.example", false); // the Trash is not consulted
    EXPECT_EQ(state.store.wait().at(0).HostName, "trashed.example");
    EXPECT_EQ(state.store.trash().size(), 1u);
}

TEST_F(AdmissionTest, capturedNumericAddress_droppedWhenVerified_keptOtherwise)
{
    AdmitCapturedHost(app, "192.168.1.1", true);
    EXPECT_EQ(state.store.activeIndexOf("192.168.1.1"), -1);
    AdmitCapturedHost(app, "192.168.1.1", false);
    EXPECT_EQ(state.store.wait().at(0).HostName, "192.168.1.1");
}

TEST_F(AdmissionTest, ignoredAndUnsafeNames_neverEnter)
{
    AdmitCapturedHost(app, "IGNORED.example", true);
    AdmitCapturedHost(app, "bad name", false);
    AdmitCapturedHost(app, "bad#name", false);
    AdmitCapturedHost(app, "paypal\xE2\x80\x8B.example", false);
    EXPECT_EQ(state.store.activeSize(), 2u);
}

// Imported names with characters no host name holds stay out, and the
// report says why once.
TEST_F(AdmissionTest, importedNamesWithOtherCharacters_refusedWithTheReason)
{
    RecordList list = candidates({ "b\xE2\x80\xAE" "moc.example", "fine.example", "b\xC3\xBC" "cher.example" });
    EXPECT_EQ(AdmitImportedHosts(app, list, ImportMode::Verified), 1);
    reportImported(app, 1);
    EXPECT_EQ(dialogs.askedTexts().back(), "New Hosts imported: 1.\n\nThe host name \"b\\u202Emoc.example\" was "
                                           "refused: it holds an invisible or direction-changing character. Host names "
                                           "refused in all: 2.");
    reportImported(app, 0);
    EXPECT_EQ(dialogs.askedTexts().back(), "No new Hosts to import.");
}

TEST_F(AdmissionTest, importVerified_addsNewOnesAsVerifiedWithoutAlias)
{
    RecordList list = candidates({ "a.example", "saved.example", "ignored.example", "a.example", "10.0.0.1" });
    list[4]->IP = "10.0.0.1";
    const int added = AdmitImportedHosts(app, list, ImportMode::Verified);
    EXPECT_EQ(added, 1);
    const TRecHost& r = state.store.hosts().at(0);
    EXPECT_EQ(r.HostName, "a.example");
    EXPECT_EQ(r.IP, "5.5.5.5");
    EXPECT_EQ(r.Alias, "");
    EXPECT_EQ(r.Freq, 0);
    EXPECT_EQ(r.Status, StatusVerified);
    EXPECT_DOUBLE_EQ(r.Date, now(clock));
    EXPECT_FALSE(list[0]);   // now owned by the lists
    EXPECT_TRUE(list[1]);    // skipped ones stay with the caller
    EXPECT_TRUE(resolver.lookups.empty());
}

TEST_F(AdmissionTest, importVerify_promptDecidesUnresolved_ignoreThenTheSameNameAsksAgain)
{
    resolver.answer("ok.example", "7.7.7.7");
    RecordList list = candidates({ "ok.example", "x.example", "x.example", "y.example" });
    dialogs.promptSteps = { { 1 }, { 2 }, { 2 } }; // x: Ignore, x again: Wait, y: Wait
    const int added = AdmitImportedHosts(app, list, ImportMode::Verify);
    EXPECT_EQ(added, 3);
    EXPECT_EQ(dialogs.promptedHosts, (Names { "x.example", "x.example", "y.example" }));
    EXPECT_EQ(dialogs.promptVariants.front(), PromptVariant::AddOrImport);
    EXPECT_EQ(state.store.hosts().at(0).IP, "7.7.7.7");
    EXPECT_EQ(state.store.wait().at(0).HostName, "y.example");
    EXPECT_EQ(state.store.wait().at(0).IP, "");
    reportImported(app, added);
    EXPECT_EQ(dialogs.askedTexts().back(), "New Hosts imported: 3.");
    reportImported(app, 0);
    EXPECT_EQ(dialogs.askedTexts().back(), "No new Hosts to import.");
}

TEST_F(AdmissionTest, importVerify_cancelKeepsWhatWasAdded)
{
    resolver.resolveEverything = true;
    RecordList list = candidates({ "c1", "c2", "c3", "c4" });
    int repaints = 0;
    dialogs.onRepaint = [&] {
        if (++repaints == 5) // before the third candidate
            state.cancel = true;
    };
    EXPECT_EQ(AdmitImportedHosts(app, list, ImportMode::Verify), 2);
    EXPECT_THAT(resolver.lookups, testing::IsSupersetOf({ "c1", "c2" }));
    EXPECT_EQ(names(ListPage::Hosts), (Names { "c2", "c1", "saved.example" }));
    EXPECT_FALSE(dialogs.workPanelVisible());
}

TEST_F(AdmissionTest, importVerify_noConnectionAnsweredNo_addsNothing)
{
    connection.online = false;
    dialogs.answers = { Answer::No };
    RecordList list = candidates({ "c1" });
    EXPECT_EQ(AdmitImportedHosts(app, list, ImportMode::Verify), 0);
    EXPECT_EQ(dialogs.workShows, 0);
}

TEST_F(AdmissionTest, importVerify_abortSkipsTheCandidateAndStops)
{
    RecordList list = candidates({ "x1", "x2" });
    dialogs.promptSteps = { { 3 } };
    dialogs.answers = { Answer::Yes };
    EXPECT_EQ(AdmitImportedHosts(app, list, ImportMode::Verify), 0);
    EXPECT_THAT(resolver.lookups, testing::Contains("x1"));
    EXPECT_EQ(names(ListPage::Wait), (Names { "waiting.example" }));
}
