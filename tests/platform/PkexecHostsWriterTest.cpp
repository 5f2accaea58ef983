#include "platform/linux/PkexecHostsWriter.h"

#include "fakes/TempDir.h"
#include "fakes/Unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include <unistd.h>

using quillon::platform::HostsWriteResult;
using quillon::platform::PkexecHostsWriter;
using quillon::test::TempDir;
using Kind = HostsWriteResult::Kind;

namespace {

// Writes an executable shell script into dir and gives its path.
std::string script(const TempDir& dir, const std::string& name, const std::string& body)
{
    dir.write(name, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(dir.file(name), std::filesystem::perms::owner_all);
    return dir.file(name);
}

// A helper as tests stand it in: says it is ready, as the real one does
// once it holds the lock on /etc, then does body.
std::string helperScript(const TempDir& dir, const std::string& body, const std::string& name = "helper")
{
    return script(dir, name, "echo 'QUILLON-HOSTS-HELPER READY'\n" + body);
}

// pkexec as tests stand it in: runs its arguments, after noting them.
std::string passThrough(const TempDir& dir)
{
    return script(dir, "pkexec", "printf '%s\\n' \"$@\" > '" + dir.file("args") + "'\nexec \"$@\"");
}

struct AnswerCase {
    const char* name;
    std::string pkexec; // the stand-in's body; empty: run the helper
    std::string helper; // the helper's body
    Kind kind;
    std::string message;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class PkexecAnswer : public ::testing::TestWithParam<AnswerCase> {};

} // namespace

TEST_P(PkexecAnswer, mapsTheExitStatus)
{
    TempDir dir;
    const AnswerCase& c = GetParam();
    const std::string pkexec = c.pkexec.empty() ? passThrough(dir) : script(dir, "pkexec", c.pkexec);
    PkexecHostsWriter writer(pkexec, helperScript(dir, c.helper));
    const HostsWriteResult r = writer.write("1.2.3.4 a  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.message, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, PkexecAnswer,
    ::testing::Values(
        AnswerCase { "written", "", "cat >/dev/null", Kind::Written, "" },
        AnswerCase { "dismissed", "exit 126", "", Kind::NotAuthorised,
                     "Quillon was not allowed to write /etc/hosts: the authorisation was dismissed." },
        AnswerCase { "notRun", "exit 127", "", Kind::CouldNotRun,
                     "Quillon could not write /etc/hosts: the authorisation failed, or its helper could not be run." },
        // pkexec's own reason, from its error output, comes with the box.
        AnswerCase { "notRunWithReason", "echo 'Error getting authority: Could not connect' >&2\nexit 127", "",
                     Kind::CouldNotRun,
                     "Quillon could not write /etc/hosts: the authorisation failed, or its helper could not be run.\n"
                     "Error getting authority: Could not connect" },
        // pkexec's boilerplate around its reason is left out.
        AnswerCase { "refusedWithBoilerplate",
                     "echo 'Error executing command as another user: Not authorized' >&2\necho >&2\n"
                     "echo 'This incident has been reported.' >&2\nexit 127",
                     "", Kind::CouldNotRun,
                     "Quillon could not write /etc/hosts: the authorisation failed, or its helper could not be run.\n"
                     "Not authorized" },
        AnswerCase { "helperMessage", "",
                     "cat >/dev/null\necho 'Cannot create file \"/etc/hosts.tmp\". No space left on device'\nexit 5",
                     Kind::Failed, "Cannot create file \"/etc/hosts.tmp\". No space left on device" },
        AnswerCase { "helperSilent", "", "exit 5", Kind::Failed, "The hosts helper failed (exit status 5)." },
        AnswerCase { "helperKilled", "", "kill -9 $$", Kind::Failed, "The hosts helper was ended by signal 9." }),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

// Far more than a pipe holds: the text arrives whole, and the helper is run
// for /etc/hosts only.
TEST(PkexecHostsWriter, givesTheWholeTextOnStandardInput)
{
    TempDir dir;
    std::string text;
    for (int i = 0; text.size() < 3'000'000; ++i)
        text += "10.0." + std::to_string(i % 250) + ".1 host" + std::to_string(i) + "  #Quillon|1899/12/30|00.00.00|1|0#\r\n";
    const std::string helper = helperScript(dir, "cat > '" + dir.file("received") + "'");
    PkexecHostsWriter writer(passThrough(dir), helper);
    EXPECT_TRUE(writer.write(text).ok());
    EXPECT_EQ(dir.read("received"), text);
    EXPECT_EQ(dir.read("args"), helper + "\n/etc/hosts\n");
}

// The text waits for the helper's word that it holds the lock on /etc.
TEST(PkexecHostsWriter, sendsNothingBeforeTheHelperIsReady)
{
    TempDir dir;
    const std::string helper = script(dir, "helper",
                                      "timeout 0.3 head -c 1 > '" + dir.file("early") + "'\n"
                                      "echo 'QUILLON-HOSTS-HELPER READY'\ncat > '" + dir.file("received") + "'");
    PkexecHostsWriter writer(passThrough(dir), helper);
    EXPECT_TRUE(writer.write("1.2.3.4 a  #Quillon|1899/12/30|00.00.00|1|0#\r\n").ok());
    EXPECT_EQ(dir.read("early"), "");
    EXPECT_EQ(dir.read("received"), "1.2.3.4 a  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
}

// A helper that refuses before reading everything: no hang, no SIGPIPE.
TEST(PkexecHostsWriter, helperThatStopsReading_givesItsAnswer)
{
    TempDir dir;
    PkexecHostsWriter writer(passThrough(dir),
                             helperScript(dir, "head -c 10 >/dev/null\necho 'Too large.'\nexit 4"));
    const HostsWriteResult r = writer.write(std::string(8'000'000, 'x'));
    EXPECT_EQ(r.kind, Kind::Failed);
    EXPECT_EQ(r.message, "Too large.");
}

namespace {

struct MissingCase {
    const char* name;
    bool pkexecMissing;
    const char* helperState; // "missing", "notExecutable", "folder" or "ok"
    const char* named;       // what the message names
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.name; }

class MissingPart : public ::testing::TestWithParam<MissingCase> {};

} // namespace

TEST_P(MissingPart, isNotInstalled_andNothingRuns)
{
    TempDir dir;
    const MissingCase& c = GetParam();
    std::string pkexec = script(dir, "pkexec", "touch '" + dir.file("ran") + "'\nexec \"$@\"");
    if (c.pkexecMissing)
        dir.remove("pkexec");
    std::string helper = dir.file("helper");
    if (std::string(c.helperState) == "ok")
        helperScript(dir, "cat >/dev/null");
    else if (std::string(c.helperState) == "notExecutable")
        dir.write("helper", "#!/bin/sh\n");
    else if (std::string(c.helperState) == "folder")
        std::filesystem::create_directory(helper);
    PkexecHostsWriter writer(pkexec, helper);
    const HostsWriteResult r = writer.write("text");
    EXPECT_EQ(r.kind, Kind::NotInstalled);
    const std::string named = std::string(c.named) == "helper" ? "its helper \"" + helper + "\""
                                                                : "pkexec (polkit, \"" + pkexec + "\")";
    EXPECT_EQ(r.message, "Quillon cannot write /etc/hosts: " + named
                             + " is not installed.\nTo let Quillon write the system hosts file, install it with "
                               "\"sudo make install\", or choose a folder you may write with HostsFolder in "
                               "Quillon.ini.");
    EXPECT_FALSE(dir.exists("ran"));
}

INSTANTIATE_TEST_SUITE_P(Parts, MissingPart,
                         ::testing::Values(MissingCase { "helperMissing", false, "missing", "helper" },
                                           MissingCase { "helperNotExecutable", false, "notExecutable", "helper" },
                                           MissingCase { "helperIsAFolder", false, "folder", "helper" },
                                           MissingCase { "pkexecMissing", true, "ok", "pkexec" }),
                         [](const ::testing::TestParamInfo<MissingCase>& info) { return std::string(info.param.name); });

TEST(PkexecHostsWriter, finishRewrite_runsTheHelpersFinishWithoutInput)
{
    TempDir dir;
    PkexecHostsWriter writer(passThrough(dir), helperScript(dir, "cat > '" + dir.file("received") + "'"));
    EXPECT_TRUE(writer.finishRewrite().ok());
    EXPECT_EQ(dir.read("args"), dir.file("helper") + "\n--finish\n/etc/hosts\n");
    EXPECT_EQ(dir.read("received"), "");
}

TEST(PkexecHostsWriter, neededOnlyForASystemFolderThatMayNotBeWritten)
{
    TempDir dir;
    const PkexecHostsWriter writer("/usr/bin/pkexec", "/nonexistent");
    EXPECT_FALSE(writer.neededFor(dir.path()));
    // Root writes /etc itself, and a read-only /etc gives its own reason.
    if (::geteuid() == 0) {
        EXPECT_FALSE(writer.neededFor("/etc"));
    }
    // As a user without rights over /etc (nobody, where tests run as root).
    EXPECT_EQ(quillon::test::runUnprivileged([&] { return writer.neededFor("/etc") && writer.neededFor("/etc/") ? 1 : 0; }),
              1);
}

TEST(PkexecHostsWriter, helperBesideTheProgram_isUsedOnlyForABuildFolder)
{
    TempDir dir;
    const std::string installed = quillon::platform::hostsHelperPath(dir.folder(), false);
    EXPECT_TRUE(installed.ends_with("/quillon/quillon-hosts-helper")) << installed;
    EXPECT_NE(installed, dir.file("quillon-hosts-helper"));
    script(dir, "quillon-hosts-helper", "exit 0");
    EXPECT_EQ(quillon::platform::hostsHelperPath(dir.folder(), false), dir.file("quillon-hosts-helper"));
    EXPECT_EQ(quillon::platform::hostsHelperPath(dir.folder(), true), installed);
}

namespace {

// Waits, with a generous bound, until dir holds name.
bool appears(const TempDir& dir, const std::string& name)
{
    for (int i = 0; i < 6000 && !dir.exists(name); ++i)
        ::usleep(10'000);
    return dir.exists(name);
}

} // namespace

// Cancel while pkexec asks for the password: pkexec and whatever it started
// end (its whole process group), and the helper never runs.
TEST(PkexecHostsWriter, cancelWhilePkexecAsks_endsItsGroup_andSaysSo)
{
    TempDir dir;
    const std::string pkexec
        = script(dir, "pkexec", "touch '" + dir.file("asking") + "'\nsleep 60\nexec \"$@\"");
    PkexecHostsWriter writer(pkexec, helperScript(dir, "cat > '" + dir.file("received") + "'"));
    std::thread canceller([&] {
        EXPECT_TRUE(appears(dir, "asking"));
        writer.setCancelled(true);
    });
    const HostsWriteResult r = writer.write("1.2.3.4 a  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    canceller.join();
    EXPECT_EQ(r.kind, Kind::Cancelled);
    EXPECT_EQ(r.message, "Writing /etc/hosts was cancelled; the hosts file was not changed.");
    EXPECT_FALSE(dir.exists("received"));
}

// A helper running as root cannot be signalled: Cancel closes its input,
// which ends its wait for the lock (here a helper that ignores SIGTERM and
// waits for the end of its input, as the real one does).
TEST(PkexecHostsWriter, cancelWhileTheHelperWaits_closesItsInput)
{
    TempDir dir;
    const std::string helper = script(dir, "helper",
                                      "trap '' TERM\ntouch '" + dir.file("waiting") + "'\n"
                                      "timeout -s KILL 60 cat >/dev/null\necho 'Gave up.'\nexit 9");
    PkexecHostsWriter writer(passThrough(dir), helper);
    std::thread canceller([&] {
        EXPECT_TRUE(appears(dir, "waiting"));
        writer.setCancelled(true);
    });
    const HostsWriteResult r = writer.write("1.2.3.4 a  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    canceller.join();
    EXPECT_EQ(r.kind, Kind::Cancelled);

    // Until told otherwise, nothing more runs; then runs go as before.
    EXPECT_EQ(writer.finishRewrite().kind, Kind::Cancelled);
    writer.setCancelled(false);
    PkexecHostsWriter next(passThrough(dir), helperScript(dir, "cat >/dev/null", "helper2"));
    next.setCancelled(true);
    next.setCancelled(false);
    EXPECT_TRUE(next.write("text").ok());
}
