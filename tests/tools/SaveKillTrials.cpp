// Kills a saving process at random moments and checks what the next start
// finds: the hosts file is always the whole old or the whole new text,
// hosts.bak is always a whole text, no rewrite is left unfinished, no host
// is missing from every list file, the change log Quillon.d04 holds whole
// entries within its cap and one entry for each line each change of the
// hosts file changed, and no temporary file is left in either folder.
//
//   save_kill_trials [--trials N] [--seed S] [--layout normal|bind|both]
//                    [--route direct|helper|both] [--hosts FILE]...
//                    [--action save|restore] [--kill program|group|helper|all]
//
// "normal" keeps the hosts file as a plain file; "bind" bind-mounts it, as
// containers do (a private mount namespace of its own, so root only), so
// that it cannot be replaced by rename and is rewritten in place. Several
// --hosts files are joined into one blocklist, as the benchmarks join the
// GoodbyeAds and StevenBlack lists into 177,767 lines.
//
// Each trial starts a child that loads the blocklist and works in rounds,
// one round each time the parent permits it. A save round moves the last
// hundred hosts between the Hosts list and the Trash and saves; the hash of
// each hosts text is logged, synced, before it can reach the hosts file. A
// restore round ("--action restore") puts hosts.bak back, the hosts file and
// hosts.bak starting as two texts that each lack 100 hosts of the other;
// since a restore keeps the current file's system lines, a text there is
// known by its host lines. Before the trials of a kind (and again every 25
// trials), a child runs two rounds unkilled, and the longer round (and
// helper run) is timed; a trial lets 0 to 2 rounds finish, then kills at a
// moment drawn evenly from 0 to 1.1 times that, so that kills land in every
// part of a round, on a big list as on a small one. The start-up runs next
// (it completes a save cut short) and the files are checked. The change
// log is sometimes filled almost to its cap beforehand, so that the
// trimming of its oldest lines is killed too. A Hosts list set aside in
// Quillon.d05 must reach the hosts file at the next save. One line per kind
// of trial tells where the kills landed and what was found; the exit status
// is 1 when any trial failed.
//
// The "helper" route writes /etc/hosts as a person without rights over /etc
// does: through the real hosts helper, run by a stand-in for pkexec that
// announces the helper's process id, inside a private mount namespace whose
// /etc is a temporary folder (root only). "--kill" chooses what is killed:
// the program alone (the helper goes on), the program and its helper
// together, or the helper alone, the program going on: half of those
// trials late in its run (from half its timed run to a little after it),
// half as soon as the hosts file is being replaced (inotify). After the
// start-up the helper runs once more, as the next save would, and must
// leave nothing behind in /etc.

#include "core/ChangeLog.h"
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
#include "platform/linux/DdeWire.h"
#include "platform/linux/PkexecHostsWriter.h"
#include "platform/linux/PosixFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <poll.h>
#include <random>
#include <sched.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace quillon;
using platform::dde::UniqueFd;

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

struct Fnv1a {
    std::uint64_t h = 1469598103934665603ULL;
    void add(std::string_view text)
    {
        for (const char c : text) {
            h ^= static_cast<unsigned char>(c);
            h *= 1099511628211ULL;
        }
    }
};

std::uint64_t fnv1a(std::string_view text)
{
    Fnv1a f;
    f.add(text);
    return f.h;
}

// Appends the hash of a hosts text about to go into place to the intents
// log, synced; -1: no log.
void logIntent(int log, std::uint64_t hash)
{
    const std::string line = std::to_string(hash) + "\n";
    if (log >= 0
        && (::write(log, line.data(), line.size()) != static_cast<ssize_t>(line.size()) || ::fdatasync(log) != 0))
        std::_Exit(3);
}

// The real file system, logging the hash of every text written to
// hosts.tmp: the text the hosts file gets next, by rename or by a rewrite
// in place, whatever lines of its own the save keeps in it.
class IntentLoggingFileSystem final : public platform::FileSystem {
public:
    int intents = -1;
    std::string hostsTmp;

    bool fileExists(const std::string& path) override { return m_real.fileExists(path); }
    platform::FileStamp stamp(const std::string& path) override { return m_real.stamp(path); }
    platform::Status readFile(const std::string& path, std::string& out) override { return m_real.readFile(path, out); }
    platform::Status readPieces(const std::string& path, const std::function<void(std::string_view)>& take) override
    {
        return m_real.readPieces(path, take);
    }
    platform::Status readTail(const std::string& path, std::size_t maxBytes, std::string& out, bool& whole) override
    {
        return m_real.readTail(path, maxBytes, out, whole);
    }
    platform::Status readLines(const std::string& path, const std::function<void(std::string_view)>& take) override
    {
        return m_real.readLines(path, take);
    }
    platform::Status copyFile(const std::string& from, const std::string& to) override
    {
        return m_real.copyFile(from, to);
    }
    platform::Status listFolder(const std::string& folder, std::vector<platform::FolderEntry>& out) override
    {
        return m_real.listFolder(folder, out);
    }
    platform::Status writeFile(const std::string& path, std::string_view data) override
    {
        return m_real.writeFile(path, data);
    }
    platform::Status writeFilePieces(const std::string& path, const std::function<bool(std::string&)>& next) override
    {
        if (path != hostsTmp || intents < 0)
            return m_real.writeFilePieces(path, next);
        Fnv1a text;
        platform::Status s = m_real.writeFilePieces(path, [&](std::string& piece) {
            const bool more = next(piece);
            text.add(piece);
            return more;
        });
        if (s)
            logIntent(intents, text.h);
        return s;
    }
    platform::Status createFile(const std::string& path, std::string_view data) override
    {
        return m_real.createFile(path, data);
    }
    platform::Status removeFile(const std::string& path) override { return m_real.removeFile(path); }
    platform::Status renameFile(const std::string& from, const std::string& to) override
    {
        return m_real.renameFile(from, to);
    }
    platform::Status linkFile(const std::string& from, const std::string& to) override
    {
        return m_real.linkFile(from, to);
    }
    platform::Status copyAttributes(const std::string& from, const std::string& to) override
    {
        return m_real.copyAttributes(from, to);
    }
    platform::Status setPermissions(const std::string& path, unsigned mode) override
    {
        return m_real.setPermissions(path, mode);
    }
    platform::Status rewriteInPlace(const std::string& path, std::string_view data, bool& changed) override
    {
        return m_real.rewriteInPlace(path, data, changed);
    }
    std::string linkTarget(const std::string& path) override { return m_real.linkTarget(path); }
    platform::Status syncDirectory(const std::string& dir) override { return m_real.syncDirectory(dir); }
    bool isOwnFile(const std::string& path) override { return m_real.isOwnFile(path); }
    platform::FileOwner ownerOf(const std::string& path) override { return m_real.ownerOf(path); }
    platform::FolderWriters othersMayWrite(const std::string& folder) override { return m_real.othersMayWrite(folder); }
    void waitForFolderWriters(const std::string& folder, int timeoutMs) override
    {
        m_real.waitForFolderWriters(folder, timeoutMs);
    }

private:
    platform::PosixFileSystem m_real;
};

// The helper's route, logging the hash of each text sent to the helper
// (after its frame header) before its last piece goes: the helper replaces
// the hosts file only once it has the whole text.
class IntentLoggingWriter final : public platform::PrivilegedHostsWriter {
public:
    IntentLoggingWriter(const std::string& pkexec, const std::string& helper, int intents)
        : m_real(pkexec, helper)
        , m_intents(intents)
    {
    }
    bool neededFor(const std::string& hostsFolder) const override { return m_real.neededFor(hostsFolder); }
    platform::HostsWriteResult writePieces(const std::function<bool(std::string&)>& next) override
    {
        Fnv1a text;
        bool header = true;
        return m_real.writePieces([&](std::string& piece) {
            const bool more = next(piece);
            if (!header)
                text.add(piece);
            header = false;
            if (!more)
                logIntent(m_intents, text.h);
            return more;
        });
    }
    platform::HostsWriteResult finishRewrite() override { return m_real.finishRewrite(); }
    platform::HostsWriteResult putBackKeptCopy(bool original) override { return m_real.putBackKeptCopy(original); }
    void setCancelled(bool cancelled) override { m_real.setCancelled(cancelled); }

private:
    platform::PkexecHostsWriter m_real;
    int m_intents;
};

std::string readAll(const std::string& path, bool* exists = nullptr)
{
    std::ifstream in(path, std::ios::binary);
    if (exists)
        *exists = static_cast<bool>(in);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

bool exists(const std::string& path)
{
    std::error_code e;
    return std::filesystem::exists(path, e);
}

enum class Action { Save, Restore };
enum class Kill { Program, ProgramAndHelper, HelperAlone };

// The hosts helper's route: the real helper, run by a script standing in for
// pkexec that first writes its process id (which the helper keeps, by exec)
// into a FIFO; null for the direct route.
struct HelperRoute {
    std::string pkexec;
    std::string helper = QUILLON_HOSTS_HELPER;
};

// The program's state over the given folders, with the person and the window
// played by doubles that only report. With an intents log, the hash of every
// hosts text it sets out to write goes there first.
struct Program {
    Program(const std::string& programFolder, const HelperRoute* route, int intents = -1)
    {
        dialogs.reportUnexpected = [](const std::string& what) { std::cerr << "unexpected: " << what << "\n"; };
        core::readSettingsAndPaths(fs, state, core::foldersBeside(programFolder));
        fs.intents = intents;
        fs.hostsTmp = state.paths.hostsFile.tmp;
        if (route) {
            writer = std::make_unique<IntentLoggingWriter>(route->pkexec, route->helper, intents);
            state.hostsThroughHelper = true;
            app.hostsWriter = writer.get();
        }
        core::loadLists(app);
    }
    std::unique_ptr<IntentLoggingWriter> writer;
    IntentLoggingFileSystem fs;
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    test::FakeShell shell;
    test::FakeResolver resolver;
    test::FakeConnection connection;
    core::ProgramState state;
    core::App app { state, fs, clock, dialogs, shell, resolver, connection };
};

constexpr core::StatusFilter HostsFilter { core::StatusWaiting, false };

// What every trial of a run shares: the blocklist, its names, and the two
// texts of a restore trial (each lacks 100 hosts that the other has).
struct Blocklist {
    std::string text;
    std::set<std::string> names;
    std::string previous;
    std::string current;
    std::uint64_t previousKey = 0; // their textKey
    std::uint64_t currentKey = 0;
};

// What makes a text the same text. A save's is the text itself, as the
// program wrote it. A restore puts a kept copy back with the system's lines
// of the current file, which may move them; its text is its host lines,
// in any order.
std::uint64_t textKey(Action action, std::string_view text)
{
    if (action == Action::Save)
        return fnv1a(text);
    std::vector<std::string> lines;
    for (const auto& r : core::parseListText(text, -1))
        lines.push_back(r->HostName + "\t" + r->IP + "\t" + r->Alias);
    std::sort(lines.begin(), lines.end());
    Fnv1a key;
    for (const std::string& line : lines)
        key.add(line + "\n");
    return key.h;
}

std::set<std::string> namesInText(std::string_view text)
{
    std::set<std::string> names;
    for (const auto& r : core::parseListText(text, -1))
        names.insert(r->HostName);
    return names;
}

std::set<std::string> namesIn(const std::string& path)
{
    return namesInText(readAll(path));
}

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

// The files in the hosts folder that no replace keeps there for good.
std::vector<std::string> hostsLeftovers(const std::string& folder)
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

// The temporary files of a save in the program folder: staged lists, the
// journal and its own staged copy.
std::vector<std::string> programLeftovers(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".tmp") || name.starts_with("Quillon.sav"))
            out.push_back(name);
    }
    return out;
}

// The entries a change log is filled with before a trial, oldest first.
std::string keptEntryName(std::size_t i)
{
    return "kept-" + std::to_string(i) + ".example";
}

std::string prefilledLog(std::size_t lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines; ++i)
        text += core::formatChangeEntry({ "2020/01/01", "00.00.00", '-', keptEntryName(i), "0.0.0.0", {} }) + "\r\n";
    return text;
}

// The folders of one trial: the program folder with its settings (and
// perhaps a change log near its cap), the hosts folder (a temporary one, or
// the private /etc of the helper route) with the hosts file, bind-mounted
// over for the "bind" layout.
struct Scene {
    Scene(const Blocklist& list, bool bind, bool helper, Action action, std::size_t logLines)
        : folder(helper ? std::string("/etc") : hostsDir.path())
        , hosts(folder + "/hosts")
        , intents(scratch.file("intents"))
        , prefilled(logLines)
    {
        // What an earlier trial left in the helper's /etc.
        for (const std::string& name : hostsLeftovers(folder))
            std::filesystem::remove(folder + "/" + name);
        for (const char* name : { "hosts.bak", "hosts.orig" })
            std::filesystem::remove(folder + "/" + name);
        programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + folder + "\r\n");
        if (logLines > 0)
            programDir.write("Quillon.d04", prefilledLog(logLines));
        const std::string& first = action == Action::Save ? list.text : list.current;
        if (action == Action::Restore)
            std::ofstream(folder + "/hosts.bak", std::ios::binary | std::ios::trunc) << list.previous;
        std::ofstream(hosts, std::ios::binary | std::ios::trunc) << (bind ? std::string() : first);
        if (bind) {
            mountSource.write("hosts", first);
            if (::mount(mountSource.file("hosts").c_str(), hosts.c_str(), nullptr, MS_BIND, nullptr) != 0)
                std::perror("mount --bind");
            else
                bound = true;
        }
    }
    ~Scene()
    {
        if (bound)
            ::umount2(hosts.c_str(), MNT_DETACH);
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    bool ready(bool bind) const { return bound == bind; }

    test::TempDir programDir;
    test::TempDir hostsDir;
    test::TempDir mountSource;
    test::TempDir scratch;
    std::string folder;
    std::string hosts;
    std::string intents; // the hashes of the hosts texts the child set out to write
    std::size_t prefilled;
    bool bound = false;
};

// What the child says after each round.
constexpr char Loaded = 'L';
constexpr char Done = 's';     // saved or restored
constexpr char SetAside = 'a'; // the hosts file not written, the Hosts list kept in Quillon.d05
constexpr char Failed = 'f';   // any other failure (the reason on stderr)

void say(int fd, char what)
{
    if (::write(fd, &what, 1) != 1)
        std::_Exit(5);
}

// The child's work: rounds of saves or restores, each when a byte comes on
// permit; it ends when permit is closed. The helper it starts runs in a
// group of its own (see PkexecHostsWriter).
[[noreturn]] void playRounds(const Scene& scene, Action action, const HelperRoute* route, bool failuresExpected,
                             int report, int permit)
{
    ::setpgid(0, 0);
    const int log = ::open(scene.intents.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    Program p(scene.programDir.folder(), route, log);
    say(report, Loaded);
    for (std::uint64_t round = 0;; ++round) {
        char go = 0;
        if (::read(permit, &go, 1) != 1)
            std::_Exit(0);
        if (action == Action::Restore) {
            p.dialogs.answers = { core::Answer::Yes };
            const bool restored = core::restoreHostsFile(p.app, core::KeptHostsCopy::Previous);
            if (!restored && !failuresExpected)
                std::cerr << "restore failed: " << (p.dialogs.asked.empty() ? "" : p.dialogs.asked.back().text) << "\n";
            say(report, restored ? Done : Failed);
            continue;
        }
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
        const core::SaveReport saved = core::writeAllLists(p.app);
        if (!saved.complete() && !failuresExpected)
            std::cerr << "save failed: " << saved.message() << "\n";
        say(report, saved.complete() ? Done : saved.setAside.empty() ? Failed : SetAside);
    }
}

// The child process of a trial, with the two pipes between us.
class Child {
public:
    explicit Child(const std::function<void(int report, int permit)>& work)
    {
        int report[2];
        int permit[2];
        if (::pipe2(report, O_CLOEXEC) != 0)
            return;
        if (::pipe2(permit, O_CLOEXEC) != 0) {
            ::close(report[0]);
            ::close(report[1]);
            return;
        }
        std::fflush(stdout);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(report[0]);
            ::close(permit[1]);
            work(report[1], permit[0]);
            std::_Exit(1);
        }
        ::close(report[1]);
        ::close(permit[0]);
        m_report.reset(report[0]);
        m_permit.reset(permit[1]);
    }
    ~Child()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(-m_pid, SIGKILL);
            ::kill(m_pid, SIGKILL);
            wait();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return m_pid; }
    int reportFd() const { return m_report.get(); }
    // The next thing the child says; 0 when it ended.
    char next()
    {
        char c = 0;
        for (;;) {
            const ssize_t n = ::read(m_report.get(), &c, 1);
            if (n == 1)
                return c;
            if (n == 0 || errno != EINTR)
                return 0;
        }
    }
    void permit(int rounds)
    {
        const std::string bytes(static_cast<std::size_t>(rounds), 'p');
        (void)!::write(m_permit.get(), bytes.data(), bytes.size());
    }
    // No more rounds: the child ends after the one it is in.
    void closePermits() { m_permit.reset(); }
    int wait()
    {
        while (::waitpid(m_pid, &m_status, 0) < 0 && errno == EINTR) {
        }
        m_reaped = true;
        return m_status;
    }

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
    UniqueFd m_report;
    UniqueFd m_permit;
};

int pidfdOpen(pid_t pid)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

bool pidfdEnded(int pidfd)
{
    pollfd p { pidfd, POLLIN, 0 };
    return ::poll(&p, 1, 0) != 0;
}

// The helpers started so far, as their stand-in for pkexec announces them
// on a FIFO, each with a pidfd that tells when it ends (whoever reaps it).
class Helpers {
public:
    explicit Helpers(const std::string& fifo)
    {
        if (::mkfifo(fifo.c_str(), 0600) == 0)
            m_fifo.reset(::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)); // never at its end
    }
    bool valid() const { return m_fifo.valid(); }

    // Takes every announcement made so far; the last is latest().
    void take()
    {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(m_fifo.get(), buffer, sizeof buffer)) > 0)
            m_text.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = m_text.find('\n')) != std::string::npos; m_text.erase(0, end + 1)) {
            const pid_t pid = static_cast<pid_t>(std::atoi(m_text.substr(0, end).c_str()));
            m_latest.reset(pid > 0 ? pidfdOpen(pid) : -1);
            m_announced = true;
        }
    }
    // Forgets what came before: a round starts.
    void startRound()
    {
        take();
        m_latest.reset();
        m_announced = false;
    }
    // Waits for the round's helper; false when the child said something
    // first (or ended): the round ran no helper.
    bool waitForHelper(int childReport)
    {
        for (take(); !m_announced; take()) {
            pollfd p[2] = { { m_fifo.get(), POLLIN, 0 }, { childReport, POLLIN, 0 } };
            if (::poll(p, 2, -1) < 0 && errno != EINTR)
                return false;
            if (p[1].revents != 0) {
                take();
                return m_announced;
            }
        }
        return true;
    }
    bool announced() const { return m_announced; }
    int latestFd() const { return m_latest.get(); }
    // The round's helper is running now.
    bool running() const { return m_latest.valid() && !pidfdEnded(m_latest.get()); }
    // SIGKILL to the round's helper; false when it had ended.
    bool killLatest() const
    {
        return running() && ::syscall(SYS_pidfd_send_signal, m_latest.get(), SIGKILL, nullptr, 0) == 0;
    }
    // Waits for the end of the round's helper.
    void waitForEnd() const
    {
        pollfd p { m_latest.get(), POLLIN, 0 };
        while (m_latest.valid() && ::poll(&p, 1, -1) < 0 && errno == EINTR) {
        }
    }

private:
    UniqueFd m_fifo;
    std::string m_text;
    UniqueFd m_latest;
    bool m_announced = false;
};

// Sees the hosts file being replaced: hosts.tmp renamed over it, or (where
// it is a mount point) its first bytes rewritten in place.
class ReplaceWatch {
public:
    explicit ReplaceWatch(const Scene& scene)
        : m_events(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK))
    {
        m_folder = ::inotify_add_watch(m_events.get(), scene.folder.c_str(), IN_MOVED_TO);
        m_file = ::inotify_add_watch(m_events.get(), scene.hosts.c_str(), IN_MODIFY);
    }
    // Waits for the replace, or for the end of the helper (or a word of the
    // child) that comes first.
    void wait(int helper, int childReport)
    {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            pollfd p[3] = { { m_events.get(), POLLIN, 0 }, { helper, POLLIN, 0 }, { childReport, POLLIN, 0 } };
            if (::poll(p, 3, -1) < 0 && errno != EINTR)
                return;
            const ssize_t n = ::read(m_events.get(), buffer, sizeof buffer);
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                if (e->wd == m_file || (e->wd == m_folder && e->len > 0 && std::strcmp(e->name, "hosts") == 0))
                    return;
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
            if (n <= 0 && (p[1].revents != 0 || p[2].revents != 0))
                return;
        }
    }

private:
    UniqueFd m_events;
    int m_folder = -1;
    int m_file = -1;
};

// Our children's process ids (the orphans of a killed program come to us,
// its subreaper).
std::vector<pid_t> ownChildren()
{
    std::vector<pid_t> out;
    const pid_t self = ::getpid();
    std::error_code e;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", e)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = readAll(entry.path().string() + "/stat");
        const std::size_t paren = stat.rfind(')');
        if (paren == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(paren + 1));
        std::string state;
        pid_t parent = 0;
        if (fields >> state >> parent && parent == self)
            out.push_back(static_cast<pid_t>(std::stoi(name)));
    }
    return out;
}

// Waits for every orphan to end and reaps it: a helper left running after
// a kill finishes before anything else looks at /etc.
void reapOrphans()
{
    while (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
    }
}

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

// Where a kill landed: before the replace of the hosts file (or the helper's
// run), during it, after it. A save's new text may be staged whole in
// hosts.tmp already before the replace.
enum Phase { Before, Staged, During, After, Phases };

struct Tally {
    int trials = 0;
    int failures = 0;
    int phase[Phases] = {};
    int helperSpared = 0;    // helper alone: it had ended before the kill
    int atReplace = 0;       // helper alone: killed as soon as the hosts file was being replaced
    int hostsOld = 0;
    int hostsNew = 0;
    int finishedAtStart = 0; // a save or rewrite cut short, completed by the next start
    int helperReports = 0;   // saves through the helper reported as cut short at the next start
    int textsLost = 0;       // a host in no list file, or a text of hosts or hosts.bak lost (a failure)
    int setAside = 0;        // the Hosts list kept in Quillon.d05 ...
    int writtenLater = 0;    // ... and in the hosts file after the next save
    int logBroken = 0;       // the change log torn, over its cap, or its kept lines lost (a failure)
    int logShort = 0;        // the change log lacks the lines of a change the hosts file had (a failure)
    int leftovers = 0;       // temporary files left after the next start (a failure)
    int restored = 0;        // restore: the hosts file is the copy put back
};

// What the change log must hold after a trial.
struct LogExpectation {
    bool restores = false; // the trial's entries are those of restores ('='), else of saves ('+', '-')
    // The entries each round of an unkilled child added, in order (the first
    // save also notes lines of the blocklist that the program drops); later
    // rounds add as many as the last of these.
    const std::vector<std::size_t>* growth = nullptr;
    std::size_t changes = 0; // changes the hosts file had

    std::size_t entries(std::size_t rounds) const
    {
        std::size_t n = 0;
        for (std::size_t i = 0; i < rounds && !growth->empty(); ++i)
            n += (*growth)[std::min(i, growth->size() - 1)];
        return n;
    }
};

// Checks the change log: whole CR LF lines that are all entries, within its
// cap, the kept lines the newest of those filled in, and one entry per line
// each change of the hosts file changed. False with the reason on stderr.
bool checkChangeLog(const std::string& path, std::size_t prefilled, const LogExpectation& expected, Tally& tally)
{
    const std::string text = readAll(path);
    std::size_t lines = 0;
    bool whole = text.empty() || text.ends_with("\r\n");
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at) {
        ++lines;
        whole = whole && at > 0 && text[at - 1] == '\r';
    }
    const std::vector<core::ChangeEntry> entries = core::parseChangeLog(text);
    if (!whole || entries.size() != lines || lines > core::ChangeLogMaxLines || text.size() > core::ChangeLogMaxBytes) {
        std::cerr << "the change log is not " << lines << " whole entries within its cap (" << entries.size()
                  << " entries, " << text.size() << " bytes)\n";
        ++tally.logBroken;
        return false;
    }
    std::size_t kept = 0;
    while (kept < entries.size() && entries[kept].name.starts_with("kept-"))
        ++kept;
    const std::size_t added = entries.size() - kept;
    const std::size_t keepable = std::min(prefilled, core::ChangeLogMaxLines - std::min(added, core::ChangeLogMaxLines));
    bool keptRight = kept == keepable;
    for (std::size_t i = 0; keptRight && i < kept; ++i)
        keptRight = entries[i].name == keptEntryName(prefilled - kept + i);
    if (!keptRight) {
        std::cerr << "the change log kept " << kept << " of its " << prefilled << " earlier lines, not the newest "
                  << keepable << "\n";
        ++tally.logBroken;
        return false;
    }
    const std::size_t want = expected.entries(expected.changes);
    const bool ofTheTrial = std::all_of(entries.begin() + static_cast<std::ptrdiff_t>(kept), entries.end(),
                                        [&](const core::ChangeEntry& e) {
                                            return expected.restores ? e.op == '=' : e.op == '+' || e.op == '-';
                                        });
    if (added == want && ofTheTrial)
        return true;
    std::cerr << "the change log has " << added << " entries of this trial; " << expected.changes
              << " changes of the hosts file make " << want << "\n";
    ++tally.logShort;
    return false;
}

// The helper's next run (whatever the next save asks of it); it finishes
// what a killed run left and tidies /etc.
bool runHelperAgain(Program& restarted)
{
    if (const platform::HostsWriteResult r = restarted.writer->finishRewrite(); !r.ok()) {
        std::cerr << "the helper's next run failed: " << r.message << "\n";
        return false;
    }
    return true;
}

// The kind of trial being run.
struct Mode {
    bool bind = false;
    const HelperRoute* route = nullptr;
    Kill kill = Kill::Program;
    Action action = Action::Save;
};

// An unkilled child's rounds: the longest, the longest helper run in one,
// and the entries each added to the change log.
struct Unkilled {
    double round = 0;
    double helper = 0;
    std::vector<std::size_t> logGrowth;
};

constexpr int TimedRounds = 2;

std::optional<Unkilled> timeRounds(const Blocklist& list, const Mode& mode, Helpers* helpers)
{
    Scene scene(list, mode.bind, mode.route != nullptr, mode.action, 0);
    if (!scene.ready(mode.bind))
        return std::nullopt;
    Child child([&](int report, int permit) { playRounds(scene, mode.action, mode.route, false, report, permit); });
    if (child.next() != Loaded)
        return std::nullopt;
    Unkilled d;
    std::size_t logged = 0;
    for (int i = 0; i < TimedRounds; ++i) {
        if (helpers)
            helpers->startRound();
        const auto start = Clock::now();
        child.permit(1);
        if (helpers) {
            if (!helpers->waitForHelper(child.reportFd()))
                return std::nullopt;
            const auto helperStart = Clock::now();
            helpers->waitForEnd();
            d.helper = std::max(d.helper, Seconds(Clock::now() - helperStart).count());
        }
        if (child.next() != Done)
            return std::nullopt;
        d.round = std::max(d.round, Seconds(Clock::now() - start).count());
        const std::size_t now = core::parseChangeLog(readAll(scene.programDir.file("Quillon.d04"))).size();
        d.logGrowth.push_back(now - logged);
        logged = now;
    }
    child.closePermits();
    child.wait();
    return d;
}

void sleepFor(double seconds)
{
    std::this_thread::sleep_for(Seconds(seconds));
}

// Where a kill of the program landed, from the files right after it: the
// hosts file still the text before the round, being replaced (a rewrite or
// a staged backup pending), or the round's new text.
Phase phaseByFiles(const Scene& scene, Action action, std::uint64_t before, std::uint64_t after)
{
    const std::uint64_t now = textKey(action, readAll(scene.hosts));
    if (exists(scene.folder + "/hosts.redo") || exists(scene.folder + "/hosts.bak.new") || (now != before && now != after))
        return During;
    return now == after ? After : Before;
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

// The hash of the hosts text after n rounds of a trial (n from 0).
std::uint64_t hostsTextAfter(const Scene& scene, const Blocklist& list, Action action, std::size_t n)
{
    if (action == Action::Restore)
        return n % 2 == 1 ? list.previousKey : list.currentKey;
    if (n == 0)
        return fnv1a(list.text);
    const std::vector<std::uint64_t> logged = readIntents(scene.intents);
    return n <= logged.size() ? logged[n - 1] : 0;
}

// One trial; false when the files broke a rule (the reason on stderr).
bool trial(const Blocklist& list, const Mode& mode, const Unkilled& took, Helpers* helpers, std::mt19937& random,
           Tally& tally)
{
    const bool restore = mode.action == Action::Restore;
    const bool helperAlone = mode.kill == Kill::HelperAlone;
    // Sometimes a change log one change short of its cap, so that the save
    // that is killed also drops its oldest lines.
    const std::size_t logLines = random() % 2 == 0 ? 0 : core::ChangeLogMaxLines - (restore ? 1 : 50);
    Scene scene(list, mode.bind, mode.route != nullptr, mode.action, logLines);
    if (!scene.ready(mode.bind))
        return false;
    bool ok = true;
    std::size_t rounds = 0; // rounds done before the kill, or in it
    {
        Child child([&](int report, int permit) {
            playRounds(scene, mode.action, mode.route, helperAlone, report, permit);
        });
        if (child.next() != Loaded) {
            std::cerr << "the child did not load its lists\n";
            return false;
        }
        for (const unsigned warmUp = random() % 3; rounds < warmUp; ++rounds) {
            child.permit(1);
            if (child.next() != Done) {
                std::cerr << "a round before the kill failed\n";
                return false;
            }
        }
        std::uniform_real_distribution<double> moment(0, 1.1 * took.round);
        if (helperAlone) {
            // The helper alone, late in its run or as soon as the hosts
            // file is being replaced; the program goes on and ends after
            // the round.
            std::optional<ReplaceWatch> replaced;
            if (random() % 2 == 0)
                replaced.emplace(scene);
            helpers->startRound();
            child.permit(1);
            if (!helpers->waitForHelper(child.reportFd())) {
                std::cerr << "the round ran no helper\n";
                return false;
            }
            if (!replaced)
                sleepFor(std::uniform_real_distribution<double>(0.5 * took.helper, 1.1 * took.helper)(random));
            else
                replaced->wait(helpers->latestFd(), child.reportFd());
            const bool killed = helpers->killLatest();
            tally.atReplace += killed && replaced;
            const char said = child.next();
            child.closePermits();
            const int status = child.wait();
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || said == 0) {
                std::cerr << "the child ended with status " << status << " after its helper was killed\n";
                ok = false;
            }
            if (!killed)
                ++tally.helperSpared;
            else
                ++tally.phase[phaseByFiles(scene, mode.action, hostsTextAfter(scene, list, mode.action, rounds),
                                           hostsTextAfter(scene, list, mode.action, rounds + 1))];
            // A round that failed counts as not done; the files tell whether
            // its put back happened all the same.
            rounds += said == Done;
            if (!killed && said != Done) {
                std::cerr << "the round failed though its helper was not killed\n";
                ok = false;
            }
        } else {
            if (helpers)
                helpers->startRound();
            child.permit(2); // the kill may land in the next round
            sleepFor(moment(random));
            if (helpers) {
                helpers->take();
                tally.phase[!helpers->announced() ? Before : helpers->running() ? During : After] += 1;
            }
            ::kill(-child.pid(), SIGKILL);
            if (mode.kill == Kill::ProgramAndHelper)
                helpers->killLatest();
            const int status = child.wait();
            // A stand-in started but not yet announced is ours now.
            if (mode.kill == Kill::ProgramAndHelper) {
                for (const pid_t orphan : ownChildren())
                    ::kill(orphan, SIGKILL);
            }
            if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) {
                std::cerr << "the child ended by itself: status " << status << "\n";
                ok = false;
            }
            for (char c; (c = child.next()) != 0; ++rounds) {
                if (c != Done) {
                    std::cerr << "a round failed before the kill\n";
                    ok = false;
                }
            }
            // The round killed is the one after those done.
            if (!mode.route) {
                const std::uint64_t after = hostsTextAfter(scene, list, mode.action, rounds + 1);
                Phase phase = phaseByFiles(scene, mode.action, hostsTextAfter(scene, list, mode.action, rounds), after);
                if (phase == Before && !restore && after != 0)
                    phase = Staged;
                ++tally.phase[phase];
            }
        }
    }

    const bool wasRedo = exists(scene.folder + "/hosts.redo") || scene.programDir.exists("Quillon.sav");
    // The next start, while a helper left running may still be at work; it
    // completes a save cut short.
    Program restarted(scene.programDir.folder(), mode.route);
    for (const auto& asked : restarted.dialogs.asked) {
        if (mode.route && asked.text.starts_with("Quillon's last save was cut short before")) {
            ++tally.helperReports;
            continue;
        }
        std::cerr << "start-up reported: " << asked.text << "\n";
        ok = false;
    }
    if (mode.route) {
        reapOrphans();
        ok &= runHelperAgain(restarted);
    }
    tally.finishedAtStart += wasRedo;

    const std::uint64_t hostsNow = textKey(mode.action, readAll(scene.hosts));
    bool bakExists = false;
    const std::uint64_t bakNow = textKey(mode.action, readAll(scene.folder + "/hosts.bak", &bakExists));
    LogExpectation log;
    bool lost = false;
    if (restore) {
        const std::uint64_t p = list.previousKey;
        const std::uint64_t c = list.currentKey;
        // The put backs done: the rounds that said so, and perhaps the one
        // killed after its put back, whose entry the next start wrote.
        log = { true, &took.logGrowth, rounds };
        if ((hostsNow == p) != (rounds % 2 == 1))
            log.changes = rounds + 1;
        tally.restored += hostsNow == p;
        if (!((hostsNow == p && bakNow == c) || (hostsNow == c && bakNow == p))) {
            std::cerr << "hosts and hosts.bak are not the two texts: the previous copy is "
                      << (hostsNow == p || bakNow == p ? "kept" : "lost") << ", the current file "
                      << (hostsNow == c || bakNow == c ? "kept" : "lost") << "\n";
            lost = true;
        }
    } else {
        const std::vector<std::uint64_t> logged = readIntents(scene.intents);
        std::vector<std::uint64_t> whole { fnv1a(list.text) };
        whole.insert(whole.end(), logged.begin(), logged.end());
        const std::uint64_t newest = whole.back();
        const std::uint64_t older = whole.size() >= 2 ? whole[whole.size() - 2] : whole.back();
        log = { false, &took.logGrowth, logged.size() };
        if (hostsNow == newest) {
            ++tally.hostsNew;
        } else if (hostsNow == older) {
            ++tally.hostsOld;
            log.changes = logged.empty() ? 0 : logged.size() - 1;
        } else {
            std::cerr << "hosts is neither the old nor the new text after " << logged.size() << " saves\n";
            lost = true;
        }
        if (bakExists && std::find(whole.begin(), whole.end(), bakNow) == whole.end()) {
            std::cerr << "hosts.bak is not a whole text\n";
            lost = true;
        }
        std::set<std::string> found = namesIn(scene.hosts);
        for (const char* file : { "Quillon.d01", "Quillon.d02", "Quillon.d05" }) {
            const std::set<std::string> more = namesIn(scene.programDir.file(file));
            found.insert(more.begin(), more.end());
        }
        for (const std::string& name : list.names) {
            if (!found.count(name)) {
                std::cerr << "host " << name << " is in no list file\n";
                lost = true;
                break;
            }
        }
    }
    if (exists(scene.folder + "/hosts.redo")) {
        std::cerr << "a rewrite was left unfinished\n";
        ok = false;
    }
    tally.textsLost += lost;
    ok &= !lost;
    if (!lost)
        ok &= checkChangeLog(scene.programDir.file("Quillon.d04"), scene.prefilled, log, tally);
    std::vector<std::string> left = hostsLeftovers(scene.folder);
    for (const std::string& name : programLeftovers(scene.programDir.path()))
        left.push_back(name);
    if (!left.empty()) {
        std::cerr << "left after the next start: " << left.front() << "\n";
        ++tally.leftovers;
        ok = false;
    }

    // A Hosts list set aside reaches the hosts file at the next save.
    if (scene.programDir.exists("Quillon.d05")) {
        ++tally.setAside;
        const core::SaveReport saved = core::writeAllLists(restarted.app);
        std::set<std::string> inHosts = namesIn(scene.hosts);
        const std::set<std::string> inList = namesInText(
            core::formatListFile({ &restarted.state.store.hosts() }, HostsFilter, core::StatusSaved));
        const bool reached = saved.complete() && !scene.programDir.exists("Quillon.d05")
            && std::includes(inHosts.begin(), inHosts.end(), inList.begin(), inList.end());
        tally.writtenLater += reached;
        if (!reached) {
            std::cerr << "the Hosts list set aside did not reach the hosts file: " << saved.message() << "\n";
            ok = false;
        }
    }
    ++tally.trials;
    tally.failures += !ok;
    return ok;
}

std::string modeName(const Mode& m)
{
    std::string name = m.route ? "helper, " : "";
    name += m.bind ? "bind" : "normal";
    if (m.route)
        name += m.kill == Kill::Program ? ", program killed"
            : m.kill == Kill::ProgramAndHelper ? ", program and helper killed"
                                               : ", helper killed alone";
    return name + (m.action == Action::Restore ? ", restore" : "");
}

void print(const Mode& m, const Unkilled& took, const Tally& t)
{
    std::printf("%s: %d trials, %d failed; a round took %.2f s", modeName(m).c_str(), t.trials, t.failures,
                took.round);
    if (m.route)
        std::printf(" (its helper %.2f s)", took.helper);
    if (m.kill == Kill::HelperAlone)
        std::printf("; helper killed before its replace %d, during it %d, after it %d (%d of them as the replace "
                    "began), ended before the kill %d",
                    t.phase[Before], t.phase[During], t.phase[After], t.atReplace, t.helperSpared);
    else if (m.route)
        std::printf("; killed before the helper ran %d, while it ran %d, after it %d", t.phase[Before],
                    t.phase[During], t.phase[After]);
    else
        std::printf("; killed before the replace %d (%d with the new text staged), during it %d, after it %d",
                    t.phase[Before] + t.phase[Staged], t.phase[Staged], t.phase[During], t.phase[After]);
    if (m.action == Action::Restore)
        std::printf("; copy put back %d", t.restored);
    else
        std::printf("; hosts whole old %d, whole new %d; saves completed at the next start %d; helper saves "
                    "reported unfinished %d; Hosts list set aside %d, in the hosts file after the next save %d",
                    t.hostsOld, t.hostsNew, t.finishedAtStart, t.helperReports, t.setAside, t.writtenLater);
    std::printf("; texts lost %d; change log broken %d, not agreeing with the hosts file %d", t.textsLost,
                t.logBroken, t.logShort);
    std::printf("; temporaries left %d\n", t.leftovers);
    std::fflush(stdout);
}

// Joins the texts with a line break after each that lacks one.
void appendText(std::string& text, const std::string& more)
{
    text += more;
    if (!text.empty() && text.back() != '\n')
        text.push_back('\n');
}

} // namespace

int main(int argc, char** argv)
{
    int trials = 200;
    unsigned seed = std::random_device()();
    std::string layout = "both";
    std::string route = "direct";
    std::string killWhat = "all";
    std::vector<std::string> files;
    Action action = Action::Save;
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
            files.push_back(argv[i + 1]);
        else if (option == "--action")
            action = std::string(argv[i + 1]) == "restore" ? Action::Restore : Action::Save;
        else if (option == "--kill")
            killWhat = argv[i + 1];
    }
    if (files.empty())
        files.push_back(std::string(QUILLON_TEST_DATA) + "/hosts/AdAway__adaway.github.io/hosts.txt");
    Blocklist list;
    for (const std::string& file : files)
        appendText(list.text, readAll(file));
    list.names = namesInText(list.text);
    std::tie(list.previous, list.current) = twoTexts(list.text);
    list.previousKey = textKey(Action::Restore, list.previous);
    list.currentKey = textKey(Action::Restore, list.current);

    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    bool allOk = true;
    const bool root = ::geteuid() == 0;
    // Mounts of our own, for the bind layout and the helper's /etc.
    const bool privateMounts = root && makePrivateMounts();
    // Helpers orphaned by a kill come to this process, which reaps them.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    // A permit for a child that has died is an error, not the end of us.
    ::signal(SIGPIPE, SIG_IGN);

    // Timed again every so many trials: a long run outlasts the load of
    // the machine it was timed under.
    constexpr int RetimeEvery = 25;
    const auto runMode = [&](const Mode& mode, Helpers* helpers, std::optional<Unkilled>& took) {
        Tally t;
        for (int i = 0; i < trials; ++i) {
            if (!took || (i > 0 && i % RetimeEvery == 0))
                took = timeRounds(list, mode, helpers);
            if (!took) {
                std::printf("%s: the unkilled rounds failed\n", modeName(mode).c_str());
                allOk = false;
                return;
            }
            allOk &= trial(list, mode, *took, helpers, random, t);
        }
        if (took)
            print(mode, *took, t);
    };

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
            std::optional<Unkilled> took;
            runMode({ bind, nullptr, Kill::Program, action }, nullptr, took);
        }
    }
    if (route == "helper" || route == "both") {
        test::TempDir etc;
        test::TempDir tools;
        Helpers helpers(tools.file("helpers"));
        if (!privateMounts || !makePrivateEtc(etc.path()) || !helpers.valid()) {
            std::printf("helper: skipped, it needs root for a mount namespace with an /etc of its own\n");
        } else {
            HelperRoute helper;
            tools.write("pkexec", "#!/bin/sh\necho $$ >'" + tools.file("helpers") + "'\nexec \"$@\"\n");
            std::filesystem::permissions(tools.file("pkexec"), std::filesystem::perms::owner_all);
            helper.pkexec = tools.file("pkexec");
            // A copy of its own, which a build meanwhile does not replace.
            std::filesystem::copy_file(helper.helper, tools.file("quillon-hosts-helper"));
            helper.helper = tools.file("quillon-hosts-helper");
            std::vector<Kill> kills;
            if (killWhat == "program" || killWhat == "all")
                kills.push_back(Kill::Program);
            if (killWhat == "group" || killWhat == "all")
                kills.push_back(Kill::ProgramAndHelper);
            if (killWhat == "helper" || killWhat == "all")
                kills.push_back(Kill::HelperAlone);
            for (const bool bind : layouts) {
                std::optional<Unkilled> took;
                for (const Kill k : kills)
                    runMode({ bind, &helper, k, action }, &helpers, took);
            }
        }
    }
    return allOk ? 0 : 1;
}
