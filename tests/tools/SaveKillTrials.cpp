// Kills a saving process at random moments and checks what the next start
// finds: the hosts file is always the whole old or the whole new text,
// hosts.bak is always a whole text, no rewrite is left unfinished, and no
// host is missing from every list file.
//
//   save_kill_trials [--trials N] [--seed S] [--layout normal|bind|both]
//
// "normal" keeps the hosts file as a plain file; "bind" bind-mounts it, as
// containers do (a private mount namespace of its own, so root only), so
// that it cannot be replaced by rename and is rewritten in place. Each trial
// starts a child that loads a real blocklist and saves in a loop, moving
// hosts between the Hosts list and the Trash between saves; the child logs
// the hash of each hosts text it is about to write, synced, before the save.
// The parent kills it with SIGKILL after a random delay, runs the start-up
// (which completes a save cut short) and checks the files. It prints
// one line per layout and exits 1 when any trial failed.

#include "core/HostsFile.h"
#include "core/ListFile.h"
#include "core/SaveAll.h"
#include "core/Startup.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeResolver.h"
#include "fakes/FakeShell.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempDir.h"
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
#include <set>
#include <sstream>
#include <string>
#include <sys/mount.h>
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

// The program's state over the given folders, with the person and the window
// played by doubles that only report.
struct Program {
    explicit Program(const std::string& programFolder)
    {
        dialogs.reportUnexpected = [](const std::string& what) { std::cerr << "unexpected: " << what << "\n"; };
        core::readSettingsAndPaths(fs, state, core::foldersBeside(programFolder));
        core::loadLists(app);
    }
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

// The child: saves forever, alternately sending the first hundred hosts to
// the Trash and restoring them.
[[noreturn]] void saveForever(const std::string& programFolder, const std::string& intents)
{
    Program p(programFolder);
    const int log = ::open(intents.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    for (std::uint64_t round = 0;; ++round) {
        core::HostStore& store = p.state.store;
        if (round % 2 == 0) {
            std::vector<int> rows(100);
            for (int i = 0; i < 100; ++i)
                rows[static_cast<std::size_t>(i)] = i;
            store.moveRowsToTrash(core::ListPage::Hosts, rows);
        } else {
            while (!store.trash().empty())
                store.restoreMove(0);
        }
        const std::string text = core::formatListFile({ &store.hosts(), &store.wait() }, HostsFilter, core::StatusSaved);
        const std::string line = std::to_string(fnv1a(text)) + "\n";
        if (::write(log, line.data(), line.size()) != static_cast<ssize_t>(line.size()) || ::fdatasync(log) != 0)
            std::_Exit(3);
        if (!core::writeAllLists(p.app).complete())
            std::_Exit(4);
    }
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
    int failures = 0;
    int hostsOld = 0;
    int hostsNew = 0;
    int finishedAtStart = 0; // a save or rewrite cut short, completed by the next start
    int hostsInNoList = 0;   // trials where some host was in no list file (a failure)
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

// One trial; false when the files broke a rule (the reason on stderr).
bool trial(bool bind, const std::string& blocklist, std::mt19937& random, Tally& tally)
{
    test::TempDir programDir;
    test::TempDir hostsDir;
    test::TempDir mountSource;
    const std::string hosts = hostsDir.file("hosts");
    const std::string initial = readAll(blocklist);
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path() + "\r\n");
    hostsDir.write("hosts", bind ? std::string() : initial);
    if (bind) {
        mountSource.write("hosts", initial);
        if (::mount(mountSource.file("hosts").c_str(), hosts.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            std::perror("mount --bind");
            return false;
        }
    }
    const std::string intents = programDir.file("intents");
    std::set<std::string> everyName = namesIn(blocklist);

    const pid_t child = ::fork();
    if (child == 0)
        saveForever(programDir.folder(), intents);
    // Long enough for several saves, so that the kill lands anywhere in one.
    std::this_thread::sleep_for(std::chrono::microseconds(5000 + random() % 150000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;

    const bool wasRedo = hostsDir.exists("hosts.redo") || programDir.exists("Quillon.sav");
    bool ok = killed;
    if (!killed)
        std::cerr << "the saving child ended by itself: status " << status << "\n";
    {
        Program restarted(programDir.folder()); // completes a save cut short
        if (!restarted.dialogs.asked.empty()) {
            std::cerr << "start-up reported: " << restarted.dialogs.asked.front().text << "\n";
            ok = false;
        }
    }
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
    const std::string bak = readAll(hostsDir.file("hosts.bak"), &bakExists);
    if (bakExists && std::find(whole.begin(), whole.end(), fnv1a(bak)) == whole.end()) {
        std::cerr << "hosts.bak is not a whole text\n";
        ok = false;
    }
    if (hostsDir.exists("hosts.redo")) {
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

void print(const char* layout, const Tally& t)
{
    std::printf("%s: %d trials, %d failed; hosts whole old %d, whole new %d; saves completed at the next start %d; "
                "trials with a host in no list file %d\n",
                layout, t.trials, t.failures, t.hostsOld, t.hostsNew, t.finishedAtStart, t.hostsInNoList);
}

} // namespace

int main(int argc, char** argv)
{
    int trials = 200;
    unsigned seed = std::random_device()();
    std::string layout = "both";
    std::string blocklist = std::string(QUILLON_TEST_DATA) + "/hosts/AdAway__adaway.github.io/hosts.txt";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--trials")
            trials = std::stoi(argv[i + 1]);
        else if (option == "--seed")
            seed = static_cast<unsigned>(std::stoul(argv[i + 1]));
        else if (option == "--layout")
            layout = argv[i + 1];
        else if (option == "--hosts")
            blocklist = argv[i + 1];
    }
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    bool allOk = true;
    if (layout == "normal" || layout == "both") {
        Tally t;
        for (int i = 0; i < trials; ++i)
            allOk &= trial(false, blocklist, random, t);
        print("normal", t);
    }
    if (layout == "bind" || layout == "both") {
        if (::geteuid() != 0 || !makePrivateMounts()) {
            std::printf("bind: skipped, it needs root for a mount namespace of its own\n");
        } else {
            Tally t;
            for (int i = 0; i < trials; ++i)
                allOk &= trial(true, blocklist, random, t);
            print("bind", t);
        }
    }
    return allOk ? 0 : 1;
}
