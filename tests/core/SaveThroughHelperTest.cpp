// Saves that write the hosts file through the privileged helper, with real
// processes: a script stands in for pkexec, and one for the helper where the
// real one would need /etc (tests/tools/hosts_helper_namespace.sh runs it).

#include "core/ChangeLog.h"
#include "core/HostsRestore.h"
#include "core/ListFile.h"
#include "core/Interface.h"
#include "core/SaveAll.h"
#include "core/Startup.h"

#include "fakes/AppFixture.h"
#include "fakes/ManyHosts.h"
#include "platform/linux/PkexecHostsWriter.h"

#include <algorithm>
#include <filesystem>

using namespace quillon::core;
using namespace quillon::test;

namespace {

const std::string WaitLine = "0 moving  #Quillon|1899/12/30|00.00.00|0|0#\r\n";
const std::string OldHosts = "10.0.0.1 kept  #Quillon|1899/12/30|00.00.00|1|0#\r\n";

class SaveThroughHelperTest : public AppFixture {
protected:
    SaveThroughHelperTest()
    {
        hostsDir.write("hosts", OldHosts);
        programDir.write("Quillon.d01", WaitLine);
    }
    std::string script(const std::string& name, const std::string& body)
    {
        tools.write(name, "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(tools.file(name), std::filesystem::perms::owner_all);
        return tools.file(name);
    }
    // Loads the lists and routes the hosts file through a writer whose pkexec
    // notes each run, then does `pkexecBody`; the helper writes the text it
    // is given, after its frame header, into the hosts folder, or puts
    // hosts.bak back.
    void startWith(const std::string& pkexecBody)
    {
        const std::string hosts = "'" + hostsDir.file("hosts") + "'";
        const std::string helper = script("helper", "echo 'QUILLON-HOSTS-HELPER READY'\ncase \"$1\" in\n"
                                                    "--restore-previous) cp " + hosts + ".bak " + hosts + " ;;\n"
                                                    "*) { IFS= read -r header; cat; } > " + hosts + " ;;\nesac");
        const std::string pkexec = script("pkexec", "echo run >> '" + tools.file("runs") + "'\n" + pkexecBody);
        writer = std::make_unique<quillon::platform::PkexecHostsWriter>(pkexec, helper);
        startAndLoad();
        state.hostsThroughHelper = true;
        app.hostsWriter = writer.get();
        // A host moves from the Wait list to the Hosts list: it must stay in
        // one of the two files whatever happens to the save.
        RecordPtr moving = state.store.wait().take(0);
        moving->IP = "5.6.7.8";
        moving->Status = StatusVerified;
        state.store.insertTopOfHosts(std::move(moving));
    }
    std::size_t pkexecRuns() const
    {
        const std::string runs = tools.exists("runs") ? tools.read("runs") : "";
        return static_cast<std::size_t>(std::count(runs.begin(), runs.end(), '\n'));
    }
    bool movingIsInHostsFile() const { return hostsDir.read("hosts").find(" moving ") != std::string::npos; }
    bool movingIsInWaitFile() const { return programDir.read("Quillon.d01").find(" moving ") != std::string::npos; }
    void expectNothingStaged() const
    {
        EXPECT_FALSE(programDir.exists("Quillon.sav"));
        EXPECT_FALSE(programDir.exists("Quillon.d01.tmp"));
        EXPECT_FALSE(hostsDir.exists("hosts.tmp"));
    }

    TempDir tools;
    std::unique_ptr<quillon::platform::PkexecHostsWriter> writer;
};

} // namespace

// A save with nothing to change asks no one: no helper, no password prompt
// (at every exit, say), and the files stay as they are.
TEST_F(SaveThroughHelperTest, nothingChanged_runsNoHelper)
{
    startWith("exec \"$@\"");
    ASSERT_TRUE(saveAndRefresh(app));
    ASSERT_EQ(pkexecRuns(), 1u);
    const quillon::platform::FileStamp hosts = fs.stamp(hostsDir.file("hosts"));
    const quillon::platform::FileStamp d01 = fs.stamp(programDir.file("Quillon.d01"));
    ASSERT_TRUE(saveAndRefresh(app));
    autoSaveAndRefresh(app);
    EXPECT_EQ(pkexecRuns(), 1u);
    EXPECT_EQ(fs.stamp(hostsDir.file("hosts")), hosts);
    EXPECT_EQ(fs.stamp(programDir.file("Quillon.d01")), d01);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(SaveThroughHelperTest, written_commitsListsAndTakesTheNewStamp)
{
    startWith("exec \"$@\"");
    ASSERT_TRUE(saveAndRefresh(app));
    EXPECT_TRUE(movingIsInHostsFile());
    EXPECT_FALSE(movingIsInWaitFile());
    EXPECT_EQ(state.store.hosts().at(0).Status, StatusSaved);
    EXPECT_EQ(state.store.pendingChanges(), 0);
    EXPECT_EQ(state.ownHostsStamp, fs.stamp(hostsDir.file("hosts")));
    EXPECT_EQ(state.hostsAge, state.ownHostsStamp);
    EXPECT_FALSE(hostsDir.exists("hosts.bak")); // the helper's work, not the program's
    expectNothingStaged();
}

// A save the helper could not do keeps the Hosts list in a file of the
// program's own, with the other lists, and the next start writes it; no
// series of password prompts meanwhile.
TEST_F(SaveThroughHelperTest, notAuthorised_setsTheListAside_andAutoSaveAsksAgainOnlyAfterAChange)
{
    startWith("exit 126");
    const int pending = state.store.pendingChanges();
    autoSaveAndRefresh(app);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    const std::string kept = "\n\nNothing is lost: the Hosts list is kept in \"" + programDir.file("Quillon.d05")
        + "\", and Quillon writes it to the hosts file at the next save that can.";
    EXPECT_EQ(dialogs.asked[0].text, "Quillon was not allowed to write /etc/hosts: the authorisation was dismissed."
                                         + kept
                                         + "\nAutoSave will not ask again until the Hosts list changes or you save "
                                           "with File > Save.");
    EXPECT_EQ(state.store.hosts().at(0).Status, StatusVerified);
    EXPECT_EQ(state.store.pendingChanges(), pending);
    EXPECT_EQ(hostsDir.read("hosts"), OldHosts);
    EXPECT_FALSE(movingIsInWaitFile());
    EXPECT_NE(programDir.read("Quillon.d05").find(" moving "), std::string::npos);
    expectNothingStaged();

    autoSaveAndRefresh(app);
    autoSaveAndRefresh(app);
    EXPECT_EQ(pkexecRuns(), 1u);
    state.store.addPendingChange(); // the Hosts list changed
    autoSaveAndRefresh(app);
    EXPECT_EQ(pkexecRuns(), 2u);
    EXPECT_EQ(dialogs.asked.size(), 1u); // the same failure is not shown again

    // By hand, the box says what happened and nothing of AutoSave.
    EXPECT_FALSE(saveAndRefresh(app));
    EXPECT_EQ(pkexecRuns(), 3u);
    EXPECT_EQ(dialogs.asked.back().text,
              "Quillon was not allowed to write /etc/hosts: the authorisation was dismissed." + kept);

    // The next start reads the list set aside; the first save that can
    // writes it, and the copy set aside goes.
    script("pkexec", "echo run >> '" + tools.file("runs") + "'\nexec \"$@\"");
    loadLists(app);
    ASSERT_GE(state.store.activeIndexOf("moving"), 0);
    EXPECT_TRUE(state.saveSoon);
    ASSERT_TRUE(saveAndRefresh(app));
    EXPECT_TRUE(movingIsInHostsFile());
    EXPECT_FALSE(programDir.exists("Quillon.d05"));
    expectNothingStaged();
}

// Without a polkit agent pkexec cannot ask for the password: the person is
// told what is needed. A helper ended after its replace, before its answer,
// wrote the text all the same: the save counts as done.
TEST_F(SaveThroughHelperTest, noAgent_saysWhatIsNeeded_helperKilledAfterItsReplace_counts)
{
    startWith("echo 'Error executing command as another user: No authentication agent found.'\nexit 127");
    EXPECT_FALSE(saveAll(app));
    EXPECT_EQ(dialogs.asked.back().text.substr(0, dialogs.asked.back().text.find('\n')),
              "No polkit authentication agent is running, so Quillon cannot ask for the password to write /etc/hosts. "
              "Start one (for example lxpolkit) or log in to a desktop that has one.");

    script("pkexec", "\"$@\"\nkill -9 $$");
    ASSERT_TRUE(saveAll(app));
    EXPECT_TRUE(movingIsInHostsFile());
    EXPECT_FALSE(programDir.exists("Quillon.d05"));
    expectNothingStaged();
}

// While the person decides, the window handles its events under the lock,
// and the work panel says what it waits for.
TEST_F(SaveThroughHelperTest, waitingForPermission_keepsTheWindowAliveAndLocked)
{
    startWith("sleep 0.3\nexec \"$@\"");
    setInterfaceLock(app, true); // the window runs, unlocked
    int eventsHandled = 0;
    bool lockedMeanwhile = true;
    shell.onProcessEvents = [&] {
        ++eventsHandled;
        lockedMeanwhile &= !state.unlocked;
        lockedMeanwhile &= dialogs.workPanelVisible();
    };
    ASSERT_TRUE(saveAll(app));
    EXPECT_GE(eventsHandled, 3);
    EXPECT_TRUE(lockedMeanwhile);
    EXPECT_EQ(dialogs.workActions.back(), "Waiting for permission to write the system hosts file...");
    EXPECT_FALSE(dialogs.workPanelVisible());
    EXPECT_TRUE(state.unlocked);
}

// Cancel on the work panel while the person is asked: the run ends, the
// person hears that the save was cancelled, and the Hosts list is kept in
// the program's own file, nothing lost.
TEST_F(SaveThroughHelperTest, cancelWhileWaiting_endsTheRun_andKeepsTheChanges)
{
    startWith("touch '" + tools.file("asking") + "'\nsleep 60\nexec \"$@\"");
    bool cancelOffered = false;
    shell.onProcessEvents = [&] {
        cancelOffered |= dialogs.workCancelEnabled;
        if (tools.exists("asking"))
            state.cancel = true; // what "Yes" to "Abort operation ?" does
    };
    EXPECT_FALSE(saveAll(app));
    EXPECT_TRUE(cancelOffered);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text.substr(0, dialogs.asked[0].text.find('\n')),
              "Writing /etc/hosts was cancelled; the hosts file was not changed.");
    EXPECT_EQ(hostsDir.read("hosts"), OldHosts);
    EXPECT_FALSE(movingIsInWaitFile());
    EXPECT_NE(programDir.read("Quillon.d05").find(" moving "), std::string::npos);
    expectNothingStaged();
}

// The exit save of a program asked to end runs with the cancel flag set:
// it must still reach the helper, and offers no Cancel.
TEST_F(SaveThroughHelperTest, endingProgram_savesThroughTheHelperAllTheSame)
{
    // pkexec goes on only once the window has handled its events at least
    // once, with the flag set.
    const std::string go = tools.file("go");
    startWith("while [ ! -e '" + go + "' ]; do sleep 0.05; done\nexec \"$@\"");
    state.ending = state.cancel = true;
    bool cancelOffered = false;
    shell.onProcessEvents = [&] {
        cancelOffered |= dialogs.workCancelEnabled;
        tools.write("go", "");
    };
    ASSERT_TRUE(saveAll(app));
    EXPECT_FALSE(cancelOffered);
    EXPECT_TRUE(movingIsInHostsFile());
    EXPECT_TRUE(state.cancel);
}

TEST_F(SaveThroughHelperTest, helperNotInstalled_isShownByAutoSaveOnce)
{
    startWith("exec \"$@\"");
    std::filesystem::remove(tools.file("helper"));
    autoSaveAndRefresh(app);
    autoSaveAndRefresh(app);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_NE(dialogs.asked[0].text.find("sudo make install"), std::string::npos);
    EXPECT_EQ(pkexecRuns(), 0u);
    EXPECT_NE(programDir.read("Quillon.d05").find(" moving "), std::string::npos);
    EXPECT_FALSE(movingIsInWaitFile());
    expectNothingStaged();
}

namespace {

struct KillCase {
    const char* name;
    bool helperWrote; // the helper had replaced the hosts file when the program died
};

void PrintTo(const KillCase& c, std::ostream* os) { *os << c.name; }

class KilledWhileHelperRuns : public SaveThroughHelperTest, public ::testing::WithParamInterface<KillCase> {};

} // namespace

// The program killed while the helper ran: pkexec's stand-in keeps what the
// program folder held at that moment, and a new start finds it. The moving
// host is in exactly one of the two files either way.
TEST_P(KilledWhileHelperRuns, nextStartKeepsHostsFileAndListsTogether)
{
    TempDir moment;
    const std::string keep = "cp '" + programDir.file("Quillon.sav") + "' '" + programDir.file("Quillon.d01.tmp")
        + "' '" + programDir.file("Quillon.d02.tmp") + "' '" + moment.path() + "/'\n";
    startWith(keep + (GetParam().helperWrote ? "exec \"$@\"" : "exit 126"));
    saveAndRefresh(app);
    for (const char* name : { "Quillon.sav", "Quillon.d01.tmp", "Quillon.d02.tmp" })
        std::filesystem::copy_file(moment.file(name), programDir.file(name),
                                   std::filesystem::copy_options::overwrite_existing);
    // The lists as they were before the save: the program died before it
    // heard from the helper.
    programDir.write("Quillon.d01", WaitLine);
    std::filesystem::remove(programDir.file("Quillon.d05"));

    // A save the helper never finished is reported, with what was kept.
    const Outcome finished = finishInterruptedSave(app);
    EXPECT_EQ(finished.ok(), GetParam().helperWrote);
    if (!GetParam().helperWrote) {
        EXPECT_EQ(finished.message(), "Quillon's last save was cut short before \"" + hostsDir.file("hosts")
                                          + "\" received its new text.\nThe hosts file, \""
                                          + programDir.file("Quillon.d01") + "\" and \"" + programDir.file("Quillon.d02")
                                          + "\" were kept as they were before that save; the changes it would have "
                                            "saved are lost.");
    }
    EXPECT_EQ(movingIsInHostsFile(), GetParam().helperWrote);
    EXPECT_EQ(movingIsInWaitFile(), !GetParam().helperWrote);
    expectNothingStaged();
}

INSTANTIATE_TEST_SUITE_P(Moments, KilledWhileHelperRuns,
                         ::testing::Values(KillCase { "helperWrote", true }, KillCase { "helperNeverRan", false }),
                         [](const ::testing::TestParamInfo<KillCase>& info) { return std::string(info.param.name); });

// A Hosts list whose text takes many pieces reaches the helper whole, and the
// journal's checksum of it (made in a pass of its own) matches what the
// helper wrote: a start after a kill at that moment commits the lists.
TEST_F(SaveThroughHelperTest, manyPieces_reachTheHelperWholeAndMatchTheJournal)
{
    TempDir moment;
    startWith("cp '" + programDir.file("Quillon.sav") + "' '" + moment.path() + "/'\nexec \"$@\"");
    state.store.hosts().append(manyHosts(40000, 1, StatusVerified));
    ASSERT_TRUE(saveAndRefresh(app));
    const std::string written = hostsDir.read("hosts");
    EXPECT_GT(written.size(), 2 * ListFileText::PieceBytes);
    // Compared whole: a failure message holding both texts would be megabytes.
    EXPECT_TRUE(written == formatListFile({ &state.store.hosts(), &state.store.wait() }, { StatusWaiting, false }, -1));

    std::filesystem::copy_file(moment.file("Quillon.sav"), programDir.file("Quillon.sav"));
    std::filesystem::copy_file(programDir.file("Quillon.d01"), programDir.file("Quillon.d01.tmp"));
    programDir.write("Quillon.d01", WaitLine);
    ASSERT_TRUE(finishInterruptedSave(app));
    EXPECT_FALSE(movingIsInWaitFile()); // the helper's text was recognised: the lists went into place
    expectNothingStaged();
}

// A restore whose helper was ended after its put-back, before its answer,
// put the copy back all the same: it counts, lists and change log included.
// Had the program been killed there instead, the next start writes the
// entry from the restore's journal, once.
TEST_F(SaveThroughHelperTest, restoreHelperKilledAfterItsPutBack_countsAndIsLogged)
{
    const std::string previous = "10.0.0.9 previous  #Quillon|1899/12/30|00.00.00|1|0#\r\n";
    hostsDir.write("hosts.bak", previous);
    TempDir moment;
    // pkexec's stand-in keeps the journal and the change log (a link: the
    // same file, stamp and all) as they were while the helper ran.
    const std::string journal = programDir.file("Quillon.sav");
    const std::string log = programDir.file("Quillon.d04");
    startWith("cp '" + journal + "' '" + moment.path() + "/'\nrm -f '" + moment.file("log") + "'\nln '" + log + "' '"
              + moment.file("log") + "'\n\"$@\"\nkill -9 $$");
    dialogs.answers = { Answer::Yes };
    ASSERT_TRUE(restoreHostsFile(app, KeptHostsCopy::Previous));
    EXPECT_EQ(hostsDir.read("hosts"), previous);
    ASSERT_EQ(state.store.hosts().size(), 1u);
    EXPECT_EQ(state.store.hosts().at(0).HostName, "previous");
    const std::vector<ChangeEntry> logged = parseChangeLog(programDir.read("Quillon.d04"));
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back().op, '=');
    EXPECT_EQ(logged.back().name, "hosts.bak");
    EXPECT_FALSE(programDir.exists("Quillon.sav"));

    std::filesystem::rename(moment.file("log"), log);
    for (int start = 0; start < 2; ++start) {
        std::filesystem::copy_file(moment.file("Quillon.sav"), journal);
        ASSERT_TRUE(finishInterruptedSave(app));
        EXPECT_EQ(parseChangeLog(programDir.read("Quillon.d04")), logged);
    }
    EXPECT_FALSE(programDir.exists("Quillon.sav"));
}
