#include "core/HostListFile.h"

#include "core/HostLine.h"
#include "fakes/AppFixture.h"

#include <cerrno>
#include <filesystem>
#include <set>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::test;
using Names = std::vector<std::string>;
using Op = FaultyFileSystem::Op;

namespace {
class HostListFileTest : public AppFixture {
protected:
    void SetUp() override
    {
        hostsDir.write("hosts", "10.0.0.1 alpha a1  #Quillon|2001/03/05|14.07.09|1|7#\r\n10.0.0.2 beta\r\n");
        programDir.write("Quillon.d01", "0 gamma\r\n0 delta\r\n");
        startAndLoad();
    }
};
} // namespace

TEST_F(HostListFileTest, export_dialogAndStatusesSaved_hostsFileUntouched)
{
    state.store.hosts().at(1).Status = StatusVerified;
    dialogs.fileAnswers = { programDir.file("list.hst") };
    const std::string hostsBefore = hostsDir.read("hosts");
    MenuFileExportHostsClick(app);
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(dialogs.fileDialogs[0].title, "Export");
    EXPECT_EQ(dialogs.fileDialogs[0].filter, "Hosts List file (*.hst)");
    EXPECT_EQ(dialogs.fileDialogs[0].defaultSuffix, "hst");
    EXPECT_EQ(programDir.read("list.hst"), "10.0.0.1 alpha a1 #Quillon|2001/03/05|14.07.09|1|7#\r\n"
                                          "10.0.0.2 beta  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    EXPECT_EQ(state.store.hosts().at(1).Status, StatusSaved);
    EXPECT_EQ(hostsDir.read("hosts"), hostsBefore);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(HostListFileTest, import_replacesTheHostsListAndTrimsTheWaitList)
{
    programDir.write("in.hst", "# exported elsewhere\r\n10.9.9.9 gamma\r\n10.8.8.8 epsilon #Quillon|2002/01/02|03.04.05|3|9#\r\n"
                               "10.7.7.7 gamma\r\n");
    dialogs.fileAnswers = { programDir.file("in.hst") };
    dialogs.answers = { Answer::Yes };
    shell.page = 2;
    MenuFileImportHostsClick(app);
    EXPECT_EQ(dialogs.askedTexts(), (Names { "Overwrite existing Hosts ?" }));
    EXPECT_EQ(dialogs.asked[0].kind, MessageKind::QuestionDefaultYes);
    ASSERT_EQ(state.store.hosts().size(), 2u);
    EXPECT_EQ(state.store.hosts().at(0).IP, "10.9.9.9"); // the first gamma wins
    EXPECT_EQ(state.store.hosts().at(1).Freq, 9);
    EXPECT_EQ(state.store.hosts().at(1).Status, StatusSaved);
    ASSERT_EQ(state.store.wait().size(), 1u); // gamma left the Wait list
    EXPECT_EQ(state.store.wait().at(0).HostName, "delta");
    EXPECT_EQ(programDir.read("Quillon.d01").find("gamma"), std::string::npos);
    EXPECT_NE(hostsDir.read("hosts.bak").find("alpha"), std::string::npos);
    EXPECT_EQ(state.store.pendingChanges(), 0);
    EXPECT_EQ(shell.page, 0);
    EXPECT_TRUE(state.hostsListDue); // gamma was never verified
}

TEST_F(HostListFileTest, import_cancelOrNoChangesNothing)
{
    dialogs.fileAnswers = { "" };
    MenuFileImportHostsClick(app);
    dialogs.fileAnswers = { programDir.file("Quillon.d01") };
    dialogs.answers = { Answer::No };
    MenuFileImportHostsClick(app);
    EXPECT_EQ(state.store.hosts().size(), 2u);
    EXPECT_TRUE(shell.lockCalls.empty());
}

TEST_F(HostListFileTest, import_unreadableFile_leavesTheListsAsTheyAre)
{
    programDir.write("in.hst", "10.9.9.9 new\r\n");
    fs.fail(Op::Read, programDir.file("in.hst"), EACCES);
    EXPECT_FALSE(importHostsList(app, programDir.file("in.hst")));
    EXPECT_EQ(dialogs.askedTexts(), (Names { "Cannot open file \"" + programDir.file("in.hst") + "\". Permission denied" }));
    EXPECT_EQ(state.store.hosts().size(), 2u);
    EXPECT_EQ(shell.lockCalls, (std::vector<std::string> { "lock", "unlock" }));
}

TEST_F(HostListFileTest, roundTrip_realHostsFileKeepsEveryDateAndFrequency)
{
    const std::string path = std::string(QUILLON_TEST_DATA) + "/hosts/StevenBlack__hosts@2.1.21/hosts";
    ASSERT_TRUE(importHostsList(app, path));
    const std::size_t count = state.store.hosts().size();
    EXPECT_GT(count, 60000u);
    state.store.hosts().at(5).Freq = 42;
    state.store.hosts().at(5).Date = *encodeDateTime({ 2020, 2, 29, 23, 59, 58, 0 });
    ASSERT_TRUE(exportHostsList(app, programDir.file("copy.hst")));
    std::vector<std::string> before;
    for (const auto& r : state.store.hosts())
        before.push_back(formatHostLine(*r));
    ASSERT_TRUE(importHostsList(app, programDir.file("copy.hst")));
    ASSERT_EQ(state.store.hosts().size(), count);
    for (std::size_t i = 0; i < count; ++i)
        ASSERT_EQ(formatHostLine(state.store.hosts().at(i)), before[i]) << i;
    EXPECT_EQ(state.store.hosts().at(5).Freq, 42);
}

TEST_F(HostListFileTest, import_failedSaveBefore_stopsAndKeepsUnsavedWaitHosts)
{
    programDir.write("in.hst", "10.9.9.9 new\r\n");
    state.store.insertTopOfWait(std::make_unique<TRecHost>(TRecHost { "unsaved", "", "", 0, 0, StatusWaiting, 0 }));
    fs.fail(Op::Write, programDir.file("Quillon.d01") + ".tmp", ENOSPC);
    EXPECT_FALSE(importHostsList(app, programDir.file("in.hst")));
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_NE(dialogs.asked[0].text.find("No space left on device"), std::string::npos);
    EXPECT_EQ(names(ListPage::Hosts), (Names { "alpha", "beta" }));
    EXPECT_EQ(names(ListPage::Wait), (Names { "unsaved", "gamma", "delta" }));
    EXPECT_EQ(shell.lockCalls, (std::vector<std::string> { "lock", "unlock" }));
}

TEST_F(HostListFileTest, export_leavesEveryOtherFileOfTheFolderAlone)
{
    programDir.write("list.hst.tmp", "someone's own file\r\n");
    ASSERT_TRUE(exportHostsList(app, programDir.file("list.hst")));
    EXPECT_EQ(programDir.read("list.hst.tmp"), "someone's own file\r\n");
    EXPECT_NE(programDir.read("list.hst").find("10.0.0.2 beta"), std::string::npos);
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(programDir.path()))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string> { "Quillon.ini", "Quillon.d01", "list.hst", "list.hst.tmp" }));
}
