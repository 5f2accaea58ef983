#include "core/SaveAll.h"

#include "fakes/AppFixture.h"
#include "core/HostsWatch.h"
#include "core/FileErrors.h"
#include "core/ProgramExit.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <unistd.h>

using namespace quillon::core;
using namespace quillon::test;
using Op = FaultyFileSystem::Op;

namespace {

const std::string Foreign = "# comment\r\n\r\n10.0.0.1 alpha a1 a2\r\n10.0.0.2 beta\r\n";

RecordPtr host(const std::string& name, int status, const std::string& ip = "1.2.3.4")
{
    auto r = std::make_unique<TRecHost>();
    r->HostName = name;
    r->Status = status;
    r->IP = ip;
    return r;
}

class SaveAllTest : public AppFixture {};

} // namespace

// Saves without a change write nothing: the file a person keeps stays as it
// is (same inode, same time) until the lists change.
TEST_F(SaveAllTest, saveWithoutChange_writesNoFile)
{
    hostsDir.write("hosts", Foreign);
    programDir.write("Quillon.d01", "0 w  #Quillon|1899/12/30|00.00.00|0|0#\r\n");
    programDir.write("Quillon.d02", "");
    startAndLoad();
    const auto changes = [&] {
        return std::count_if(fs.log().begin(), fs.log().end(), [](const std::string& op) { return !op.starts_with("read"); });
    };
    const auto before = changes();
    const quillon::platform::FileStamp hosts = fs.stamp(hostsDir.file("hosts"));
    const quillon::platform::FileStamp d01 = fs.stamp(programDir.file("Quillon.d01"));
    ASSERT_TRUE(saveAll(app));
    ASSERT_TRUE(saveAll(app));
    EXPECT_EQ(fs.stamp(hostsDir.file("hosts")), hosts);
    EXPECT_EQ(fs.stamp(programDir.file("Quillon.d01")), d01);
    EXPECT_EQ(changes(), before); // not a file created, renamed or removed
    EXPECT_FALSE(hostsDir.exists("hosts.orig"));
}

TEST_F(SaveAllTest, firstSave_keepsTheFilesCommentsAtTheTop_oneLinePerHost_keepsBackupAndOriginal)
{
    hostsDir.write("hosts", Foreign);
    startAndLoad();
    state.store.hosts().at(1).Alias = "b1"; // a change
    ASSERT_TRUE(saveAll(app));
    EXPECT_EQ(hostsDir.read("hosts"), "# comment\r\n\r\n"
                                      "10.0.0.1 alpha a1 a2 #Quillon|1899/12/30|00.00.00|1|0#\r\n"
                                      "10.0.0.2 beta b1 #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    EXPECT_EQ(hostsDir.read("hosts.bak"), Foreign);
    EXPECT_EQ(hostsDir.read("hosts.orig"), Foreign);
    EXPECT_EQ(shell.activity, (std::vector<int> { ActivitySaving, ActivityNone }));
    EXPECT_TRUE(programDir.exists("Quillon.d01"));
    EXPECT_TRUE(programDir.exists("Quillon.d02"));
}

TEST_F(SaveAllTest, save_writesEachListToItsFileAndMarksHostsSaved)
{
    startAndLoad();
    state.store.insertTopOfHosts(host("verified", StatusVerified));
    state.store.insertTopOfHosts(host("visited", StatusVisited, ""));
    state.store.insertTopOfWait(host("waiting", StatusWaiting, ""));
    state.store.insertTopOfTrash(host("trashed", StatusVisited));
    ASSERT_EQ(state.store.pendingChanges(), 2);

    ASSERT_TRUE(saveAll(app));
    EXPECT_EQ(hostsDir.read("hosts"), "0 visited  #Quillon|1899/12/30|00.00.00|1|0#\r\n"
                                      "1.2.3.4 verified  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    EXPECT_EQ(programDir.read("Quillon.d01"), "0 waiting  #Quillon|1899/12/30|00.00.00|0|0#\r\n");
    EXPECT_EQ(programDir.read("Quillon.d02"), "1.2.3.4 trashed  #Quillon|1899/12/30|00.00.00|2|0#\r\n");
    EXPECT_EQ(state.store.hosts().at(0).Status, StatusSaved);
    EXPECT_EQ(state.store.hosts().at(0).IP, "0");
    EXPECT_EQ(state.store.trash().at(0).Status, StatusVisited);
    EXPECT_EQ(state.store.pendingChanges(), 0);
    EXPECT_FALSE(hostsDir.exists("hosts.orig")); // there was no foreign file
}

// The hosts file refused: the Hosts list is kept in a file of the
// program's own with the other lists, and nothing counts as written to the
// hosts file. The same when hosts.tmp cannot even be written (a full disk).
TEST_F(SaveAllTest, failedHostsReplace_setsTheListAside_keepsStatusesAndCount)
{
    hostsDir.write("hosts", Foreign);
    startAndLoad();
    state.store.insertTopOfHosts(host("new", StatusVerified));
    fs.fail(Op::Rename, state.paths.hostsFile.hosts, EROFS);

    EXPECT_FALSE(saveAll(app));
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text, "Cannot replace file \"" + state.paths.hostsFile.hosts
                                         + "\". Read-only file system\n\nNothing is lost: the Hosts list is kept in \""
                                         + state.paths.d05
                                         + "\", and Quillon writes it to the hosts file at the next save that can.");
    EXPECT_EQ(dialogs.asked[0].kind, MessageKind::Warning);
    EXPECT_EQ(hostsDir.read("hosts"), Foreign);
    EXPECT_NE(programDir.read("Quillon.d05").find("1.2.3.4 new "), std::string::npos);
    EXPECT_TRUE(programDir.exists("Quillon.d01"));
    EXPECT_FALSE(programDir.exists("Quillon.d04")); // the hosts file did not change
    EXPECT_EQ(state.store.hosts().at(0).Status, StatusVerified);
    EXPECT_EQ(state.store.pendingChanges(), 1);
    EXPECT_EQ(state.activity, ActivityNone);

    fs.fail(Op::Write, state.paths.hostsFile.tmp, ENOSPC);
    state.store.insertTopOfHosts(host("newer", StatusVerified));
    EXPECT_FALSE(saveAll(app));
    EXPECT_NE(programDir.read("Quillon.d05").find("1.2.3.4 newer "), std::string::npos);
    EXPECT_FALSE(hostsDir.exists("hosts.tmp"));
}

TEST_F(SaveAllTest, saveAndRefresh_unlocksAfterAFailure)
{
    startAndLoad();
    fs.fail(Op::Write, state.paths.hostsFile.tmp, ENOSPC);
    EXPECT_FALSE(saveAndRefresh(app));
    EXPECT_EQ(shell.lockCalls, (std::vector<std::string> { "lock", "unlock" }));
    EXPECT_TRUE(shell.unlocked);
    EXPECT_EQ(dialogs.asked.size(), 1u);
}

TEST_F(SaveAllTest, hostsPathIsADirectory_startupReportsAndSaveNeverTouchesIt)
{
    std::filesystem::create_directory(hostsDir.file("hosts"));
    startAndLoad();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_NE(dialogs.asked[0].text.find("Is a directory"), std::string::npos);
    state.store.insertTopOfHosts(host("new", StatusVerified));
    EXPECT_FALSE(saveAll(app));
    EXPECT_EQ(dialogs.asked.back().text, notSavedUnreadable(hostsDir.file("hosts")));
    EXPECT_TRUE(std::filesystem::is_directory(hostsDir.file("hosts")));
    EXPECT_TRUE(programDir.exists("Quillon.d01"));
}

TEST_F(SaveAllTest, unreadableHostsFile_isNeverSavedOverFromAPartialList)
{
    hostsDir.write("hosts", Foreign);
    fs.fail(Op::Read, hostsDir.file("hosts"), EIO);
    startAndLoad();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text.rfind("Cannot open file \"" + hostsDir.file("hosts") + "\". Input/output error", 0), 0u);
    EXPECT_TRUE(state.blocked.hosts);

    state.store.insertTopOfHosts(host("new", StatusVerified));
    fs.clearFailures();
    EXPECT_FALSE(saveAll(app));
    EXPECT_EQ(dialogs.asked.back().text, notSavedUnreadable(hostsDir.file("hosts")));
    EXPECT_EQ(hostsDir.read("hosts"), Foreign);
    EXPECT_FALSE(hostsDir.exists("hosts.tmp"));
}

TEST_F(SaveAllTest, unreadableWaitFile_goesOnWithTheRestAndKeepsTheFile)
{
    programDir.write("Quillon.d01", "0 w  #Quillon|1899/12/30|00.00.00|0|0#\r\n");
    programDir.write("Quillon.d02", "0 t  #Quillon|1899/12/30|00.00.00|2|0#\r\n");
    hostsDir.write("hosts", "1.1.1.1 h\r\n");
    fs.fail(Op::Read, programDir.file("Quillon.d01"), EACCES);
    startAndLoad();
    EXPECT_EQ(state.store.hosts().size(), 1u);
    EXPECT_EQ(state.store.trash().size(), 1u);
    dialogs.asked.clear();
    // Nothing changed: nothing to say.
    EXPECT_TRUE(saveAll(app));
    state.store.hosts().at(0).Freq = 2;
    state.store.insertTopOfWait(host("waiting", StatusWaiting));
    // The rest is written; the save says which file it left alone.
    EXPECT_FALSE(saveAll(app));
    EXPECT_EQ(dialogs.askedTexts(), (std::vector<std::string> { notSavedUnreadable(programDir.file("Quillon.d01")) }));
    EXPECT_EQ(programDir.read("Quillon.d01"), "0 w  #Quillon|1899/12/30|00.00.00|0|0#\r\n");
    EXPECT_NE(hostsDir.read("hosts").find("#Quillon|"), std::string::npos);
}

// A hosts folder others may write, with a link to the person's key planted
// as its hosts file: nothing is read or written there, and every save says
// why the hosts file was left alone.
TEST_F(SaveAllTest, sharedHostsFolder_isNeverReadNorWritten)
{
    programDir.write("id_rsa", "SECRET");
    std::filesystem::permissions(programDir.file("id_rsa"),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::permissions(hostsDir.path(), std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    std::filesystem::create_symlink(programDir.file("id_rsa"), hostsDir.file("hosts"));
    std::filesystem::create_symlink(programDir.file("id_rsa"), hostsDir.file("hosts.orig.tmp"));
    startAndLoad();
    const std::string why = "Quillon does not use the hosts folder \"" + hostsDir.path()
        + "\": other users may write into it (mode 1777), so they could read or replace the files Quillon writes "
          "there. Choose a folder only you may write with HostsFolder in Quillon.ini.";
    EXPECT_EQ(dialogs.askedTexts(), (std::vector<std::string> { why }));
    EXPECT_TRUE(state.store.hosts().empty());

    state.store.insertTopOfWait(host("waiting", StatusWaiting));
    state.store.insertTopOfHosts(host("captured", StatusVerified));
    EXPECT_FALSE(saveAll(app));
    EXPECT_EQ(dialogs.asked.back().text, why);
    EXPECT_TRUE(programDir.exists("Quillon.d01"));
    TimerFilesTick(app);
    EXPECT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(programDir.read("id_rsa"), "SECRET");
    EXPECT_EQ(std::filesystem::status(programDir.file("id_rsa")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(hostsDir.path()), {}), 2);
}

// A link on the way to the hosts folder that another user owns could be
// pointed anywhere after the check at start-up: every save looks again, and
// the Hosts list is set aside instead.
TEST_F(SaveAllTest, hostsFolderLinkGivenToAnotherUser_isRefusedAtTheNextSave_listSetAside)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a link to another user";
    TempDir victim;
    victim.write("hosts", "VICTIM\n");
    const std::string link = programDir.file("hostsLink");
    std::filesystem::create_directory_symlink(hostsDir.path(), link);
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + link + "\r\n");
    hostsDir.write("hosts", Foreign);
    startAndLoad();
    ASSERT_TRUE(dialogs.asked.empty());
    std::filesystem::remove(link);
    std::filesystem::create_directory_symlink(victim.path(), link);
    ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    state.store.insertTopOfHosts(host("captured", StatusVerified));
    EXPECT_FALSE(saveAll(app));
    EXPECT_EQ(victim.read("hosts"), "VICTIM\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(victim.path()), {}), 1);
    EXPECT_NE(dialogs.asked.back().text.find("\"" + link + "\": it belongs to another user"), std::string::npos)
        << dialogs.asked.back().text;
    EXPECT_NE(programDir.read("Quillon.d05").find(" captured "), std::string::npos);
}

// What a killed save left beside the files goes at the next start; links
// planted under the temporaries' names are replaced, never written through.
TEST_F(SaveAllTest, staleAndPlantedTemporaries_areRemovedAndNeverFollowed)
{
    hostsDir.write("hosts", Foreign);
    hostsDir.write("hosts.tmp", std::string(4096, 'x'));
    programDir.write("Quillon.d02.tmp", "0 stale  #Quillon|1899/12/30|00.00.00|2|0#\r\n");
    startAndLoad();
    EXPECT_FALSE(hostsDir.exists("hosts.tmp"));
    EXPECT_FALSE(programDir.exists("Quillon.d02.tmp"));

    programDir.write("victim", "MINE");
    for (const std::string& planted : { hostsDir.file("hosts.tmp"), hostsDir.file("hosts.orig.tmp"),
                                        hostsDir.file("hosts.bak.new"), programDir.file("Quillon.d01.tmp") })
        std::filesystem::create_symlink(programDir.file("victim"), planted);
    state.store.insertTopOfWait(host("waiting", StatusWaiting));
    state.store.hosts().at(0).Freq = 7;
    ASSERT_TRUE(saveAll(app));
    EXPECT_EQ(programDir.read("victim"), "MINE");
    EXPECT_EQ(hostsDir.read("hosts.orig"), Foreign);
    EXPECT_EQ(std::filesystem::status(programDir.file("Quillon.d01")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// Copies that another user left for the hosts file are never copied into it.
TEST_F(SaveAllTest, foreignRedoCopy_isIgnoredAndReported)
{
    if (!runningAsRoot())
        GTEST_SKIP() << "giving a file to another user needs root";
    hostsDir.write("hosts", Foreign);
    hostsDir.write("hosts.tmp", "6.6.6.6 bank.example  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    hostsDir.write("hosts.redo", "");
    ASSERT_EQ(::chown(hostsDir.file("hosts.tmp").c_str(), 65534, 65534), 0);
    startAndLoad();
    EXPECT_EQ(dialogs.askedTexts(), (std::vector<std::string> { ignoredForeignFile(hostsDir.file("hosts.tmp"),
                                                                                   hostsDir.file("hosts")) }));
    EXPECT_EQ(hostsDir.read("hosts"), Foreign);
    EXPECT_FALSE(hostsDir.exists("hosts.tmp"));
    EXPECT_FALSE(hostsDir.exists("hosts.redo"));
}

TEST_F(SaveAllTest, startup_loadsListsWithForcedStatusesAndDuplicateRules)
{
    hostsDir.write("hosts", "1.1.1.1 a  #Quillon|2001/03/05|14.07.09|3|2#\r\n1.1.1.2 a\r\n1.1.1.3 B\r\n");
    programDir.write("Quillon.d01", "0 b  #Quillon|1899/12/30|00.00.00|1|0#\r\n0 A\r\n0 c\r\n0 c\r\n");
    programDir.write("Quillon.d02", "0 a  #Quillon|1899/12/30|00.00.00|2|0#\r\n0 a  #Quillon|1899/12/30|00.00.00|3|0#\r\n");
    programDir.write("Quillon.d03", "Ignored.Example\r\n");
    startAndLoad();
    const HostStore& st = state.store;
    ASSERT_EQ(st.hosts().size(), 2u);
    EXPECT_EQ(st.hosts().at(0).Status, StatusSaved); // forced, whatever the marker says
    EXPECT_EQ(st.hosts().at(0).Freq, 2);
    ASSERT_EQ(st.wait().size(), 3u);                 // b, A, c: other letter case is another name
    EXPECT_EQ(st.wait().at(0).Status, StatusWaiting);
    ASSERT_EQ(st.trash().size(), 2u);                // no duplicate check, statuses kept
    EXPECT_EQ(st.trash().at(1).Status, StatusVerified);
    EXPECT_EQ(st.ignoreNames(), (std::vector<std::string> { "Ignored.Example" }));
    EXPECT_EQ(st.pendingChanges(), 0);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(SaveAllTest, startup_dueFlagsFollowTheDaysRule)
{
    clock.time = { 2024, 6, 15, 12, 0, 0, 0 };
    hostsDir.write("hosts", "1.1.1.1 a  #Quillon|2024/06/08|12.00.01|1|0#\r\n");
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path()
                                        + "\r\nQQDLastVerify=06/08/2024 12:00:00\r\n");
    startAndLoad();
    EXPECT_FALSE(state.hostsListDue); // a second short of seven days
    EXPECT_TRUE(state.waitListDue);   // exactly seven days

    hostsDir.write("hosts", "1.1.1.1 a  #Quillon|2024/06/08|12.00.00|1|0#\r\n");
    loadLists(app);
    EXPECT_TRUE(state.hostsListDue);

    hostsDir.write("hosts", "1.1.1.1 a\r\n"); // never verified
    state.settings.AutoVerifyHostsDays = 999;
    loadLists(app);
    EXPECT_TRUE(state.hostsListDue);
    state.settings.AutoVerifyHosts = false;
    loadLists(app);
    EXPECT_FALSE(state.hostsListDue);
}

TEST_F(SaveAllTest, programExit_savesAndKeepsWindowPlacement)
{
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path()
                                        + "\r\nSaveWindow=1\r\nWindowTop=5\r\n");
    startAndLoad();
    state.store.insertTopOfHosts(host("kept", StatusVerified));
    programExitSave(app, WindowPlacement { true, false, 1, 2, 3, 4 });
    EXPECT_NE(hostsDir.read("hosts").find("kept"), std::string::npos);
    EXPECT_EQ(state.store.activeSize(), 0u);
    EXPECT_EQ(shell.lockCalls, (std::vector<std::string> { "lock" }));
    const std::string ini = programDir.read("Quillon.ini");
    EXPECT_NE(ini.find("WindowMax=1"), std::string::npos);
    EXPECT_NE(ini.find("WindowTop=5"), std::string::npos); // maximized: bounds kept as they were
    EXPECT_EQ(ini.find("WindowWidth"), std::string::npos);
}

TEST_F(SaveAllTest, programExit_withoutSaveWindow_writesNoWindowKeys)
{
    startAndLoad();
    programExitSave(app, WindowPlacement { false, true, 1, 2, 3, 4 });
    EXPECT_EQ(programDir.read("Quillon.ini").find("Window"), std::string::npos);
}

// The TimerFiles tick.
namespace {
class HostsWatchTest : public AppFixture {};
} // namespace

TEST_F(HostsWatchTest, unchangedFile_noQuestion)
{
    hostsDir.write("hosts", "1.1.1.1 a\r\n");
    startAndLoad();
    TimerFilesTick(app);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_TRUE(shell.timers[Timer::Files]);
}

TEST_F(HostsWatchTest, sameSizeTouchInTheSameSecond_isNoticed_reloadReadsTheNewFile)
{
    hostsDir.write("hosts", "1.1.1.1 a\r\n");
    startAndLoad();
    state.store.insertTopOfWait(host("unsaved-wait", StatusWaiting));
    hostsDir.write("hosts", "1.1.1.1 b\r\n"); // same size, at once
    dialogs.answers = { Answer::Yes };
    shell.page = 2;
    TimerFilesTick(app);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text, ReloadQuestion);
    EXPECT_EQ(dialogs.asked[0].kind, MessageKind::QuestionDefaultNo);
    ASSERT_EQ(state.store.hosts().size(), 1u);
    EXPECT_EQ(state.store.hosts().at(0).HostName, "b");
    EXPECT_TRUE(state.store.wait().empty()); // Wait list as last saved
    EXPECT_EQ(shell.page, 0);
    EXPECT_EQ(shell.lockCalls, (std::vector<std::string> { "lock", "unlock" }));

    TimerFilesTick(app); // remembered: no second question
    EXPECT_EQ(dialogs.asked.size(), 1u);
}

TEST_F(HostsWatchTest, answerNo_keepsListsAndAsksOnlyAfterTheNextChange)
{
    hostsDir.write("hosts", "1.1.1.1 a\r\n");
    startAndLoad();
    hostsDir.write("hosts", "1.1.1.1 a\r\n1.1.1.2 c\r\n");
    dialogs.answers = { Answer::No };
    TimerFilesTick(app);
    TimerFilesTick(app);
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(state.store.hosts().size(), 1u);
    EXPECT_TRUE(shell.unlocked);

}

// A hosts file deleted by another program is not a modified one: the Hosts
// list is never emptied for it, and Yes writes the file again from the list.
TEST_F(HostsWatchTest, deletedHostsFile_isWrittenAgainFromTheList)
{
    hostsDir.write("hosts", "1.1.1.1 a\r\n1.1.1.2 c\r\n");
    startAndLoad();
    std::filesystem::remove(hostsDir.file("hosts"));
    dialogs.answers = { Answer::No };
    TimerFilesTick(app);
    TimerFilesTick(app);
    ASSERT_EQ(dialogs.askedTexts(), (std::vector<std::string> { RewriteDeletedQuestion }));
    EXPECT_EQ(dialogs.asked[0].kind, MessageKind::QuestionDefaultYes);
    EXPECT_EQ(names(ListPage::Hosts), (std::vector<std::string> { "a", "c" }));
    EXPECT_FALSE(hostsDir.exists("hosts"));

    hostsDir.write("hosts", "9.9.9.9 other\r\n"); // back, then gone again
    dialogs.answers = { Answer::No, Answer::Yes };
    TimerFilesTick(app);
    std::filesystem::remove(hostsDir.file("hosts"));
    TimerFilesTick(app);
    EXPECT_EQ(dialogs.askedTexts(),
              (std::vector<std::string> { RewriteDeletedQuestion, ReloadQuestion, RewriteDeletedQuestion }));
    EXPECT_EQ(names(ListPage::Hosts), (std::vector<std::string> { "a", "c" }));
    EXPECT_EQ(hostsDir.read("hosts"), "1.1.1.1 a  #Quillon|1899/12/30|00.00.00|1|0#\r\n"
                                      "1.1.1.2 c  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    EXPECT_TRUE(shell.unlocked);
}

TEST_F(HostsWatchTest, ourOwnSave_isNotAChangeByAnotherProgram)
{
    hostsDir.write("hosts", "1.1.1.1 a\r\n");
    startAndLoad();
    ASSERT_TRUE(saveAll(app));
    TimerFilesTick(app);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(HostsWatchTest, autoSave_atTheCount_everyTickWhenCountIsZeroOrLess_neverWhenOff)
{
    startAndLoad();
    state.settings.AutoSaveCount = 2;
    state.store.insertTopOfHosts(host("a", StatusVerified));
    TimerFilesTick(app);
    EXPECT_FALSE(hostsDir.exists("hosts"));
    state.store.insertTopOfHosts(host("b", StatusVerified));
    TimerFilesTick(app);
    EXPECT_TRUE(hostsDir.exists("hosts"));
    EXPECT_EQ(state.store.pendingChanges(), 0);

    for (const std::string name : { "zero.example", "minus.example" }) {
        // Set by hand in the settings file: every tick saves, a single
        // change included.
        state.settings.AutoSaveCount = name == "zero.example" ? 0 : -3;
        state.store.insertTopOfHosts(host(name, StatusVerified));
        TimerFilesTick(app);
        EXPECT_EQ(state.store.pendingChanges(), 0);
        EXPECT_NE(hostsDir.read("hosts").find(name), std::string::npos);
    }

    std::filesystem::remove(hostsDir.file("hosts"));
    state.hostsAge = fs.stamp(hostsDir.file("hosts"));
    state.settings.AutoSave = false;
    state.store.insertTopOfHosts(host("c", StatusVerified));
    TimerFilesTick(app);
    EXPECT_FALSE(hostsDir.exists("hosts"));
    EXPECT_EQ(state.store.pendingChanges(), 0);
}

TEST_F(HostsWatchTest, autoSave_repeatedFailureIsShownOnce_againWhenTheReasonChangesOrAfterASave)
{
    startAndLoad();
    state.settings.AutoSaveCount = 1;
    state.store.insertTopOfHosts(host("a", StatusVerified));
    fs.fail(Op::Write, state.paths.hostsFile.tmp, EACCES);
    for (int tick = 0; tick < 3; ++tick)
        TimerFilesTick(app);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_NE(dialogs.asked[0].text.find("Permission denied"), std::string::npos);

    fs.clearFailures();
    fs.fail(Op::Write, state.paths.hostsFile.tmp, ENOSPC);
    TimerFilesTick(app);
    TimerFilesTick(app);
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_NE(dialogs.asked[1].text.find("No space left on device"), std::string::npos);

    fs.clearFailures();
    TimerFilesTick(app); // saved
    state.store.insertTopOfHosts(host("b", StatusVerified));
    fs.fail(Op::Write, state.paths.hostsFile.tmp, ENOSPC);
    TimerFilesTick(app);
    EXPECT_EQ(dialogs.asked.size(), 3u);
    EXPECT_EQ(state.store.pendingChanges(), 1);
}

// The exit chosen by the person, when its save fails.
TEST_F(SaveAllTest, programExit_failedSave_asksBeforeLosingChanges)
{
    startAndLoad();
    state.store.insertTopOfHosts(host("unsaved", StatusVerified));
    fs.fail(Op::Write, state.paths.hostsFile.tmp, EACCES);

    dialogs.answers = { Answer::No };
    EXPECT_FALSE(programExitSave(app, WindowPlacement {}));
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_NE(dialogs.asked[0].text.find("Permission denied"), std::string::npos);
    EXPECT_EQ(dialogs.asked[1].text, ExitAnywayQuestion);
    EXPECT_EQ(dialogs.asked[1].kind, MessageKind::QuestionDefaultNo);
    EXPECT_EQ(state.store.hosts().size(), 1u); // the program stays with its lists
    EXPECT_TRUE(shell.unlocked);

    dialogs.answers = { Answer::Yes };
    EXPECT_TRUE(programExitSave(app, WindowPlacement {}));
    EXPECT_EQ(state.store.activeSize(), 0u);

    // Asked to end from outside: nothing is asked, it ends.
    startAndLoad();
    state.ending = true;
    dialogs.asked.clear();
    EXPECT_TRUE(programExitSave(app, WindowPlacement {}));
    EXPECT_EQ(dialogs.askedTexts().size(), 1u);
}

// The files change together or not at all: a host moved between lists is
// never in none of their files.
TEST_F(SaveAllTest, failureWhileStaging_changesNoFile)
{
    hostsDir.write("hosts", "1.1.1.1 moved\r\n1.1.1.2 stays\r\n");
    startAndLoad();
    ASSERT_TRUE(saveAll(app));
    const std::string hostsBefore = hostsDir.read("hosts");
    const std::string trashBefore = programDir.read("Quillon.d02");
    state.store.moveRowsToTrash(ListPage::Hosts, { 0 });
    fs.fail(Op::Write, state.paths.d02 + ".tmp", ENOSPC);
    EXPECT_FALSE(saveAll(app));
    EXPECT_EQ(hostsDir.read("hosts"), hostsBefore); // "moved" is still there
    EXPECT_EQ(programDir.read("Quillon.d02"), trashBefore);
    for (const char* name : { "Quillon.d01.tmp", "Quillon.d02.tmp", "Quillon.sav" })
        EXPECT_FALSE(programDir.exists(name)) << name;
    EXPECT_FALSE(hostsDir.exists("hosts.tmp"));
    EXPECT_EQ(state.store.pendingChanges(), 1);
}

TEST_F(SaveAllTest, commit_isDurableBeforeItsJournalGoes)
{
    startAndLoad();
    state.store.insertTopOfTrash(host("trashed", StatusSaved));
    ASSERT_TRUE(saveAll(app));
    const std::vector<std::string>& log = fs.log();
    const auto at = [&](const std::string& entry) { return std::find(log.begin(), log.end(), entry) - log.begin(); };
    const auto journalWritten = at("rename " + state.paths.saveJournal);
    const auto hostsRenamed = at("rename " + state.paths.hostsFile.hosts);
    const auto trashRenamed = at("rename " + state.paths.d02);
    const auto journalRemoved = at("remove " + state.paths.saveJournal);
    ASSERT_LT(journalRemoved, static_cast<long>(log.size()));
    EXPECT_LT(at("write " + state.paths.d02 + ".tmp"), journalWritten);
    EXPECT_LT(journalWritten, hostsRenamed);
    EXPECT_LT(hostsRenamed, trashRenamed);
    const auto synced = std::find(log.begin() + trashRenamed, log.end(), "syncdir " + programDir.path()) - log.begin();
    EXPECT_LT(synced, journalRemoved);
    EXPECT_FALSE(programDir.exists("Quillon.sav"));
}

// The process killed after the journal was written: the next start puts
// every new text into place; a staged text the journal does not name stays
// out.
TEST_F(SaveAllTest, startup_completesASaveCutShortAfterItsJournal)
{
    hostsDir.write("hosts", "1.1.1.1 moved\r\n1.1.1.2 stays\r\n");
    hostsDir.write("hosts.tmp", "1.1.1.2 stays  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    programDir.write("Quillon.d02.tmp", "1.1.1.1 moved  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    programDir.write("Quillon.d01.tmp", "0 stale  #Quillon|1899/12/30|00.00.00|0|0#\r\n");
    programDir.write("Quillon.sav", hostsDir.file("hosts") + "\r\n" + programDir.file("Quillon.d02") + "\r\n/etc/passwd\r\n");
    startAndLoad();
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(names(ListPage::Hosts), (std::vector<std::string> { "stays" }));
    EXPECT_EQ(names(ListPage::Trash), (std::vector<std::string> { "moved" }));
    EXPECT_TRUE(state.store.wait().empty());
    EXPECT_FALSE(programDir.exists("Quillon.sav"));
    EXPECT_FALSE(hostsDir.exists("hosts.tmp"));
}

// A rewrite of the hosts file cut short by the last run is finished before
// the Hosts list is read.
TEST_F(SaveAllTest, startup_finishesAnInterruptedHostsRewrite)
{
    const std::string whole = "1.2.3.4 alpha  #Quillon|1899/12/30|00.00.00|1|0#\r\n"
                              "5.6.7.8 beta  #Quillon|1899/12/30|00.00.00|1|0#\r\n";
    hostsDir.write("hosts", whole.substr(0, 30) + "garbage\r\n");
    hostsDir.write("hosts.tmp", whole);
    hostsDir.write("hosts.redo", "");
    startAndLoad();
    EXPECT_EQ(hostsDir.read("hosts"), whole);
    EXPECT_EQ(names(ListPage::Hosts), (std::vector<std::string> { "alpha", "beta" }));
    EXPECT_FALSE(hostsDir.exists("hosts.redo"));
}

// Debian's own hosts file names localhost for IPv4 and for IPv6: both lines
// stay as written, in their order, while a line repeating an earlier one's
// name goes.
TEST_F(SaveAllTest, firstSave_keepsTheSystemsLocalhostLinesForBothAddresses)
{
    resolver.hostName = "mybox";
    hostsDir.write("hosts", "127.0.0.1\tlocalhost\n127.0.1.1\tmybox\n\n"
                            "::1     localhost ip6-localhost ip6-loopback\nff02::1 ip6-allnodes\n"
                            "0.0.0.0 ads.example\n0.0.0.0 ads.example\n");
    startAndLoad();
    state.store.insertTopOfWait(host("waiting", StatusWaiting)); // a change, though not to this file
    state.store.hosts().at(4).Freq = 1;                            // and one to it
    ASSERT_TRUE(saveAll(app));
    EXPECT_EQ(hostsDir.read("hosts"), "127.0.0.1\tlocalhost\r\n127.0.1.1\tmybox\r\n\r\n"
                                      "::1     localhost ip6-localhost ip6-loopback\r\nff02::1 ip6-allnodes\r\n"
                                      "0.0.0.0 ads.example  #Quillon|1899/12/30|00.00.00|1|1#\r\n");
}
