// Kills a saving process at random moments and checks what the next start
// finds: the hosts file is always the whole old or the whole new text,
// hosts.bak is always a whole text, no rewrite is left unfinished, and no
// host is missing from every list file.
//
//   save_kill_trials [--trials N] [--seed S] [--layout normal|bind|both]
//                    [--route direct|helper|both] [--hosts FILE]
//                    [--action save|restore]
//
// "normal" keeps the hosts file as a plain file; "bind" bind-mounts it, as
// containers do (a private mount namespace of its own, so root only), so
// that it cannot be replaced by rename and is rewritten in place. Each trial
// starts a child that loads a real blocklist and saves in a loop, moving
// hosts between the Hosts list and the Trash between saves; the child logs
// the hash of each hosts text it is about to write, synced, before the save.
// The parent kills it with SIGKILL after a random delay, runs the start-up
// (which completes a save cut short) and checks the files. It prints
// one line per layout and route, and exits 1 when any trial failed.
//
// The "helper" route writes /etc/hosts as a person without rights over /etc
// does: through the real hosts helper, run by a stand-in for pkexec, inside
// a private mount namespace whose /etc is a temporary folder (root only).
// Half its trials kill the program alone (the helper goes on), half kill the
// program and the helper together.
//
// "--action restore" kills Restore Previous instead: the hosts file and
// hosts.bak start as two texts that each lack 100 hosts of the other, and
// the child puts hosts.bak back in a loop, so that the two swap places. After
// the next start (and, through the helper, its next run) each text must be
// whole in hosts or hosts.bak, and nothing else may be left in the folder
// (through the helper, what is left is counted until the helper's next run
// tidies it).

#include "core/HostsFile.h"
#include "core/HostsRestore.h"
#include "core/ListFile.h"
#include "core/SaveAll.h"
#include "core/Startup.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeResolver.h"
#include "fakes/FakeShell.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempDir.h"
#include "platform/linux/PkexecHostsWriter.h"
#include "platform/linux/PosixFileSystem.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <random>
#include <sched.h>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <filesystem>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace quillon;

namespace {

std::uint64_t fnv1a(std::string_view text)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    return h;
}

std::string readAll(const std::string& path, bool* exists = nullptr)
{
    std::ifstream in(path, std::ios::binary);
    if (exists)
        *exists = static_cast<bool>(in);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

// The hosts helper's route: the real helper, run by a script standing in for
// pkexec; null for the direct route.
struct HelperRoute {
    std::string pkexec;
    std::string helper = QUILLON_HOSTS_HELPER;
};

// The program's state over the given folders, with the person and the window
// played by doubles that only report.
struct Program {
    Program(const std::string& programFolder, const HelperRoute* route)
    {
        dialogs.reportUnexpected = [](const std::string& what) { std::cerr << "unexpected: " << what << "\n"; };
        core::readSettingsAndPaths(fs, state, core::foldersBeside(programFolder));
        if (route) {
            writer = std::make_unique<platform::PkexecHostsWriter>(route->pkexec, route->helper);
            state.hostsThroughHelper = true;
            app.hostsWriter = writer.get();
        }
        core::loadLists(app);
    }
    std::unique_ptr<platform::PkexecHostsWriter> writer;
    platform::PosixFileSystem fs;
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    test::FakeShell shell;
    test::FakeResolver resolver;
    test::FakeConnection connection;
    core::ProgramState state;
    core::App app { state, fs, clock, dialogs, shell, resolver, connection };
};

constexpr core::StatusFilter HostsFilter { core::StatusWaiting, false };

// The child: saves forever, alternately sending the last hundred hosts to
// the Trash and restoring them.
// Runs work (which never returns) in a child that writes a byte to the fd
// it is given once its lists are loaded, then kills it (with its helper when
// killGroup) at a random moment long enough for several saves, so that the
// kill lands anywhere in one. True when the child was started and killed.
bool killAtRandom(const std::function<void(int loaded)>& work, const HelperRoute* route, bool killGroup,
                  std::mt19937& random, pid_t& child, int& status)
{
    int loaded[2];
    if (::pipe(loaded) != 0)
        return false;
    std::fflush(stdout);
    child = ::fork();
    if (child == 0) {
        ::close(loaded[0]);
        work(loaded[1]);
        ::_exit(1);
    }
    ::close(loaded[1]);
    char byte = 0;
    const bool started = ::read(loaded[0], &byte, 1) == 1;
    ::close(loaded[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (route ? 400000 : 150000)));
    ::kill(killGroup ? -child : child, SIGKILL);
    ::waitpid(child, &status, 0);
    return started && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

[[noreturn]] void saveForever(const std::string& programFolder, const std::string& intents, const HelperRoute* route,
                              int loaded)
{
    // The helper it starts is in its group, so that a kill can reach both.
    ::setpgid(0, 0);
    Program p(programFolder, route);
    if (::write(loaded, "x", 1) != 1)
        std::_Exit(5);
    const int log = ::open(intents.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    for (std::uint64_t round = 0;; ++round) {
        core::HostStore& store = p.state.store;
        if (round % 2 == 0) {
            // From the bottom: the system's own lines (localhost) at the top
            // of a blocklist stay, as the hosts helper insists.
            std::vector<int> rows(100);
            const int last = static_cast<int>(store.hosts().size()) - 1;
            for (int i = 0; i < 100; ++i)
                rows[static_cast<std::size_t>(i)] = last - 99 + i;
            store.moveRowsToTrash(core::ListPage::Hosts, rows);
        } else {
            while (!store.trash().empty())
                store.restoreMove(0);
        }
        const std::string text = core::formatListFile({ &store.hosts(), &store.wait() }, HostsFilter, core::StatusSaved);
        const std::string line = std::to_string(fnv1a(text)) + "\n";
        if (::write(log, line.data(), line.size()) != static_cast<ssize_t>(line.size()) || ::fdatasync(log) != 0)
            std::_Exit(3);
        if (const core::SaveReport saved = core::writeAllLists(p.app); !saved.complete()) {
            std::cerr << "save failed: " << saved.message() << "\n";
            std::_Exit(4);
        }
    }
}

// The child of a restore trial: puts hosts.bak back forever.
[[noreturn]] void restoreForever(const std::string& programFolder, const HelperRoute* route, int loaded)
{
    ::setpgid(0, 0);
    Program p(programFolder, route);
    if (::write(loaded, "x", 1) != 1)
        std::_Exit(5);
    for (;;) {
        p.dialogs.answers = { core::Answer::Yes };
        if (!core::restoreHostsFile(p.app, core::KeptHostsCopy::Previous)) {
            std::cerr << "restore failed: " << (p.dialogs.asked.empty() ? "" : p.dialogs.asked.back().text) << "\n";
            std::_Exit(4);
        }
    }
}

// Two texts of the blocklist for a restore trial: each lacks 100 hosts that
// the other has.
std::pair<std::string, std::string> twoTexts(const std::string& blocklist)
{
    std::vector<std::string> lines;
    std::istringstream in(blocklist);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::vector<std::size_t> hostLines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!core::parseListText(lines[i], -1).empty() && lines[i].find("localhost") == std::string::npos)
            hostLines.push_back(i);
    }
    const auto without = [&](std::size_t from) {
        std::set<std::size_t> dropped(hostLines.end() - static_cast<std::ptrdiff_t>(from),
                                      hostLines.end() - static_cast<std::ptrdiff_t>(from - 100));
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!dropped.count(i))
                text += lines[i] + "\n";
        }
        return text;
    };
    return { without(100), without(200) };
}

std::vector<std::uint64_t> readIntents(const std::string& path)
{
    std::vector<std::uint64_t> out;
    std::istringstream in(readAll(path));
    std::uint64_t h = 0;
    while (in >> h)
        out.push_back(h);
    return out;
}

std::set<std::string> namesIn(const std::string& path)
{
    std::set<std::string> names;
    for (const auto& r : core::parseListText(readAll(path), -1))
        names.insert(r->HostName);
    return names;
}

struct Tally {
    int trials = 0;
    int helperReports = 0; // saves through the helper reported as cut short at the next start
    int failures = 0;
    int hostsOld = 0;
    int hostsNew = 0;
    int finishedAtStart = 0; // a save or rewrite cut short, completed by the next start
    int hostsInNoList = 0;   // trials where some host was in no list file (a failure)
    bool restores = false;   // the trials below are restore trials
    int restored = 0;        // the hosts file is the copy put back
    int textsLost = 0;       // trials where the previous copy or the current file was lost (a failure)
    int leftovers = 0;       // trials leaving files in the hosts folder
};

bool makePrivateMounts()
{
    if (::unshare(CLONE_NEWNS) != 0) {
        std::perror("unshare");
        return false;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        std::perror("mount --make-rprivate /");
        return false;
    }
    return true;
}

// Reaps every child that has ended; orphaned helpers come to us (the
// parent is their subreaper).
void reapEnded()
{
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

// Waits until no process of group pgid is left: a helper the kill left alive
// finishes before the next trial touches /etc.
void waitForGroup(pid_t pgid)
{
    for (int i = 0; i < 3000 && ::kill(-pgid, 0) == 0; ++i) {
        reapEnded();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reapEnded();
}

// /etc for the helper route: a temporary folder bound over it in this
// process's own mount namespace, with what the helper's loader reads.
bool makePrivateEtc(const std::string& folder)
{
    namespace fs = std::filesystem;
    for (const char* name : { "ld.so.cache", "ld.so.conf", "ld.so.conf.d", "passwd", "group" }) {
        std::error_code e;
        if (fs::exists(std::string("/etc/") + name))
            fs::copy(std::string("/etc/") + name, folder + "/" + name, fs::copy_options::recursive, e);
    }
    std::ofstream(folder + "/quillon-kill-trials") << "";
    if (::mount(folder.c_str(), "/etc", nullptr, MS_BIND, nullptr) != 0) {
        std::perror("mount --bind /etc");
        return false;
    }
    return fs::exists("/etc/quillon-kill-trials");
}

// One trial; false when the files broke a rule (the reason on stderr).
bool trial(bool bind, const HelperRoute* route, bool killGroup, const std::string& blocklist, std::mt19937& random,
           Tally& tally)
{
    test::TempDir programDir;
    test::TempDir hostsDir;
    test::TempDir mountSource;
    const std::string folder = route ? std::string("/etc") : hostsDir.path();
    const std::string hosts = folder + "/hosts";
    const std::string initial = readAll(blocklist);
    if (route) {
        for (const char* name : { "hosts.bak", "hosts.orig", "hosts.tmp", "hosts.redo", "hosts.bak.new" })
            std::filesystem::remove(folder + "/" + name);
    }
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + folder + "\r\n");
    std::ofstream(hosts, std::ios::binary | std::ios::trunc) << (bind ? std::string() : initial);
    if (bind) {
        mountSource.write("hosts", initial);
        if (::mount(mountSource.file("hosts").c_str(), hosts.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            std::perror("mount --bind");
            return false;
        }
    }
    const std::string intents = programDir.file("intents");
    std::set<std::string> everyName = namesIn(blocklist);

    int status = 0;
    pid_t child = -1;
    const bool killed = killAtRandom([&](int loadedFd) { saveForever(programDir.folder(), intents, route, loadedFd); },
                                     route, killGroup, random, child, status);

    const bool wasRedo = std::filesystem::exists(folder + "/hosts.redo") || programDir.exists("Quillon.sav");
    bool ok = killed;
    if (!killed)
        std::cerr << "the saving child ended by itself: status " << status << "\n";
    {
        // Completes a save cut short; a helper still running is waited for.
        Program restarted(programDir.folder(), route);
        for (const auto& asked : restarted.dialogs.asked) {
            // Through the helper, a save it never finished is reported.
            if (route && asked.text.starts_with("Quillon's last save was cut short before")) {
                ++tally.helperReports;
                continue;
            }
            std::cerr << "start-up reported: " << asked.text << "\n";
            ok = false;
        }
    }
    if (route)
        waitForGroup(child);
    const std::vector<std::uint64_t> logged = readIntents(intents);
    std::vector<std::uint64_t> whole { fnv1a(initial) };
    whole.insert(whole.end(), logged.begin(), logged.end());
    const std::uint64_t now = fnv1a(readAll(hosts));
    const std::uint64_t newest = whole.back();
    const std::uint64_t older = whole.size() >= 2 ? whole[whole.size() - 2] : whole.back();
    if (now == newest) {
        ++tally.hostsNew;
    } else if (now == older) {
        ++tally.hostsOld;
    } else {
        std::cerr << "hosts is neither the old nor the new text after " << logged.size() << " saves\n";
        ok = false;
    }
    bool bakExists = false;
    const std::string bak = readAll(folder + "/hosts.bak", &bakExists);
    if (bakExists && std::find(whole.begin(), whole.end(), fnv1a(bak)) == whole.end()) {
        std::cerr << "hosts.bak is not a whole text\n";
        ok = false;
    }
    if (std::filesystem::exists(folder + "/hosts.redo")) {
        std::cerr << "a rewrite was left unfinished\n";
        ok = false;
    }
    tally.finishedAtStart += wasRedo;

    std::set<std::string> found = namesIn(hosts);
    for (const char* list : { "Quillon.d01", "Quillon.d02" }) {
        const std::set<std::string> more = namesIn(programDir.file(list));
        found.insert(more.begin(), more.end());
    }
    for (const std::string& name : everyName) {
        if (!found.count(name)) {
            std::cerr << "host " << name << " is in no list file\n";
            ++tally.hostsInNoList;
            ok = false;
            break;
        }
    }
    if (bind)
        ::umount2(hosts.c_str(), MNT_DETACH);
    ++tally.trials;
    tally.failures += !ok;
    return ok;
}

// The files in folder that no replace keeps there for good.
std::vector<std::string> leftoversIn(const std::string& folder)
{
    static const std::set<std::string> kept { "hosts", "hosts.bak", "hosts.orig", "quillon-kill-trials", "ld.so.cache",
                                              "ld.so.conf", "ld.so.conf.d", "passwd", "group" };
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!kept.count(entry.path().filename().string()))
            out.push_back(entry.path().filename().string());
    }
    return out;
}

// One restore trial; false when a text was lost or (direct) something left.
bool restoreTrial(bool bind, const HelperRoute* route, bool killGroup, const std::string& blocklist,
                  std::mt19937& random, Tally& tally)
{
    test::TempDir programDir;
    test::TempDir hostsDir;
    test::TempDir mountSource;
    const std::string folder = route ? std::string("/etc") : hostsDir.path();
    const std::string hosts = folder + "/hosts";
    const auto [previous, current] = twoTexts(readAll(blocklist));
    for (const char* name : { "hosts.bak", "hosts.orig", "hosts.tmp", "hosts.redo", "hosts.bak.new" })
        std::filesystem::remove(folder + "/" + name);
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + folder + "\r\n");
    std::ofstream(folder + "/hosts.bak", std::ios::binary | std::ios::trunc) << previous;
    std::ofstream(hosts, std::ios::binary | std::ios::trunc) << (bind ? std::string() : current);
    if (bind) {
        mountSource.write("hosts", current);
        if (::mount(mountSource.file("hosts").c_str(), hosts.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            std::perror("mount --bind");
            return false;
        }
    }

    int status = 0;
    pid_t child = -1;
    bool ok = killAtRandom([&](int loadedFd) { restoreForever(programDir.folder(), route, loadedFd); }, route,
                           killGroup, random, child, status);
    if (!ok)
        std::cerr << "the restoring child ended by itself: status " << status << "\n";
    {
        Program restarted(programDir.folder(), route);
        for (const auto& asked : restarted.dialogs.asked) {
            std::cerr << "start-up reported: " << asked.text << "\n";
            ok = false;
        }
        if (route) {
            // The helper's next run, whatever it is asked to do.
            waitForGroup(child);
            if (const platform::HostsWriteResult r = restarted.writer->finishRewrite(); !r.ok()) {
                std::cerr << "the helper's next run failed: " << r.message << "\n";
                ok = false;
            }
        }
    }
    const std::uint64_t hostsNow = fnv1a(readAll(hosts));
    const std::uint64_t bakNow = fnv1a(readAll(folder + "/hosts.bak"));
    const std::uint64_t p = fnv1a(previous);
    const std::uint64_t c = fnv1a(current);
    if (hostsNow == p && bakNow == c) {
        ++tally.restored;
    } else if (!(hostsNow == c && bakNow == p)) {
        std::cerr << "hosts and hosts.bak are not the two texts: the previous copy is "
                  << (hostsNow == p || bakNow == p ? "kept" : "lost") << ", the current file "
                  << (hostsNow == c || bakNow == c ? "kept" : "lost") << "\n";
        ++tally.textsLost;
        ok = false;
    }
    if (const std::vector<std::string> left = leftoversIn(folder); !left.empty()) {
        ++tally.leftovers;
        if (!route) {
            std::cerr << "left in the hosts folder: " << left.front() << "\n";
            ok = false;
        }
    }
    if (bind)
        ::umount2(hosts.c_str(), MNT_DETACH);
    tally.restores = true;
    ++tally.trials;
    tally.failures += !ok;
    return ok;
}

void print(const std::string& what, const Tally& t)
{
    if (t.restores) {
        std::printf("%s, restore: %d trials, %d failed; copy put back %d; a text lost %d; trials leaving files in "
                    "the hosts folder %d\n",
                    what.c_str(), t.trials, t.failures, t.restored, t.textsLost, t.leftovers);
        return;
    }
    std::printf("%s: %d trials, %d failed; hosts whole old %d, whole new %d; saves completed at the next start %d; "
                "helper saves reported unfinished %d; trials with a host in no list file %d\n",
                what.c_str(), t.trials, t.failures, t.hostsOld, t.hostsNew, t.finishedAtStart, t.helperReports,
                t.hostsInNoList);
}

} // namespace

int main(int argc, char** argv)
{
    int trials = 200;
    unsigned seed = std::random_device()();
    std::string layout = "both";
    std::string route = "direct";
    std::string blocklist = std::string(QUILLON_TEST_DATA) + "/hosts/AdAway__adaway.github.io/hosts.txt";
    bool restore = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--trials")
            trials = std::stoi(argv[i + 1]);
        else if (option == "--seed")
            seed = static_cast<unsigned>(std::stoul(argv[i + 1]));
        else if (option == "--layout")
            layout = argv[i + 1];
        else if (option == "--route")
            route = argv[i + 1];
        else if (option == "--hosts")
            blocklist = argv[i + 1];
        else if (option == "--action")
            restore = std::string(argv[i + 1]) == "restore";
    }
    const auto run = restore ? restoreTrial : trial;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    bool allOk = true;
    const bool root = ::geteuid() == 0;
    // Mounts of our own, for the bind layout and the helper's /etc.
    const bool privateMounts = root && makePrivateMounts();
    // Helpers orphaned by a kill come to this process, which reaps them.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);

    std::vector<bool> layouts;
    if (layout == "normal" || layout == "both")
        layouts.push_back(false);
    if (layout == "bind" || layout == "both")
        layouts.push_back(true);
    if (route == "direct" || route == "both") {
        for (const bool bind : layouts) {
            if (bind && !privateMounts) {
                std::printf("bind: skipped, it needs root for a mount namespace of its own\n");
                continue;
            }
            Tally t;
            for (int i = 0; i < trials; ++i)
                allOk &= run(bind, nullptr, false, blocklist, random, t);
            print(bind ? "bind" : "normal", t);
        }
    }
    if (route == "helper" || route == "both") {
        test::TempDir etc;
        test::TempDir tools;
        if (!privateMounts || !makePrivateEtc(etc.path())) {
            std::printf("helper: skipped, it needs root for a mount namespace with an /etc of its own\n");
        } else {
            HelperRoute helper;
            tools.write("pkexec", "#!/bin/sh\nexec \"$@\"\n");
            std::filesystem::permissions(tools.file("pkexec"), std::filesystem::perms::owner_all);
            helper.pkexec = tools.file("pkexec");
            // A copy of its own, which a build meanwhile does not replace.
            std::filesystem::copy_file(helper.helper, tools.file("quillon-hosts-helper"));
            helper.helper = tools.file("quillon-hosts-helper");
            for (const bool bind : layouts) {
                for (const bool group : { false, true }) {
                    Tally t;
                    for (int i = 0; i < trials; ++i)
                        allOk &= run(bind, &helper, group, blocklist, random, t);
                    print(std::string("helper, ") + (bind ? "bind" : "normal")
                              + (group ? ", program and helper killed" : ", program killed"),
                          t);
                }
            }
        }
    }
    return allOk ? 0 : 1;
}
