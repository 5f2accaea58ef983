#include "platform/linux/PkexecHostsWriter.h"

#include "platform/linux/Spawn.h"

#include "platform/Status.h"
#include "platform/linux/DdeWire.h"
#include "platform/HostsHelperProtocol.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quillon::platform {

namespace {

using dde::UniqueFd;

// pkexec's own exit statuses.
constexpr int PkexecDismissed = 126;
constexpr int PkexecNotRun = 127;
constexpr const char* NoAgentMessage
    = "No polkit authentication agent is running, so Quillon cannot ask for the password to write /etc/hosts. "
      "Start one (for example lxpolkit) or log in to a desktop that has one.";
constexpr const char* CancelledMessage = "Writing /etc/hosts was cancelled; the hosts file was not changed.";
// The helper answers with one line; anything beyond this is not read.
constexpr std::size_t MaxAnswer = 64 * 1024;
const std::string HelperReadyLine = std::string(HostsHelperReady) + "\n";

bool isExecutableFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

HostsWriteResult result(HostsWriteResult::Kind kind, std::string message)
{
    return { kind, std::move(message) };
}

HostsWriteResult notInstalled(const std::string& what)
{
    return result(HostsWriteResult::Kind::NotInstalled,
                  "Quillon cannot write /etc/hosts: " + what
                      + " is not installed.\nTo let Quillon write the system hosts file, install it with "
                        "\"sudo make install\", or choose a folder you may write with HostsFolder in Quillon.ini.");
}

// The reason in what pkexec and the helper said: the last line that says
// something, without pkexec's boilerplate ("This incident has been
// reported.", "Error executing command as another user: ").
std::string lastLine(const std::string& text)
{
    constexpr std::string_view Reported = "This incident has been reported.";
    constexpr std::string_view AsAnotherUser = "Error executing command as another user: ";
    std::string reason;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line(text.data() + start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        if (line.starts_with(AsAnotherUser))
            line.remove_prefix(AsAnotherUser.size());
        if (!line.empty() && line != Reported)
            reason = line;
        start = end + 1;
    }
    return reason;
}

// Feeds the text to `in`, piece by piece as next makes it, and collects what
// `out` gives, at the same time: a helper that refuses early stops reading,
// and one that answers at length must not stall on a full pipe while we
// still write. Nothing is sent before the helper says it is ready: by then
// it holds the writers' lock, so that a program started after this one is
// killed waits for the end of whatever it had sent. The helper's input stays
// open until then, so that it can tell a program that went away while it
// waited for its lock. A byte on wake is Cancel: cancel() is called, the
// helper's input closed and its answer read to the end; true then.
bool exchange(UniqueFd& in, UniqueFd& out, const std::function<bool(std::string&)>& next, std::string& answer,
              int wake, const std::function<void()>& cancel)
{
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) | O_NONBLOCK);
    std::string piece;
    std::string_view text;
    bool more = true;
    bool ready = false;
    // The next piece to send once the last one is gone; false at the end.
    auto refill = [&] {
        while (text.empty() && more) {
            piece.clear();
            more = next(piece);
            text = piece;
        }
        return !text.empty();
    };
    refill();
    bool cancelled = false;
    while (out.valid()) {
        if (ready && text.empty())
            in.reset();
        const bool sending = in.valid() && ready;
        pollfd fds[3] = { { out.get(), POLLIN, 0 },
                          { sending ? in.get() : -1, POLLOUT, 0 },
                          { cancelled ? -1 : wake, POLLIN, 0 } };
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            return cancelled;
        }
        if (fds[2].revents != 0) {
            cancelled = true;
            cancel();
            in.reset();
        }
        if (sending && fds[1].revents != 0) {
            // A socket, not a pipe: MSG_NOSIGNAL turns a helper gone away into
            // EPIPE instead of a SIGPIPE that would end the program.
            const ssize_t n = ::send(in.get(), text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0)
                text.remove_prefix(static_cast<std::size_t>(n));
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || !refill())
                in.reset(); // the end of the text, or a reader gone
        }
        if (fds[0].revents != 0) {
            char buffer[4096];
            const ssize_t n = ::read(out.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                out.reset();
                break;
            }
            if (answer.size() < MaxAnswer)
                answer.append(buffer, static_cast<std::size_t>(n));
            if (!ready) {
                const std::size_t line = answer.find(HelperReadyLine);
                if (line != std::string::npos) {
                    ready = true;
                    answer.erase(line, HelperReadyLine.size());
                }
            }
        }
    }
    in.reset();
    return cancelled;
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return status;
}

} // namespace

PkexecHostsWriter::PkexecHostsWriter(std::string pkexecPath, std::string helperPath)
    : m_pkexec(std::move(pkexecPath))
    , m_helper(std::move(helperPath))
{
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_wakeRead.reset(wake[0]);
        m_wakeWrite.reset(wake[1]);
    }
}

void PkexecHostsWriter::setCancelled(bool cancelled)
{
    m_cancelled = cancelled;
    if (cancelled) {
        if (m_wakeWrite.valid())
            (void)!::write(m_wakeWrite.get(), "c", 1); // a full pipe wakes as well
        return;
    }
    char drain[64];
    while (m_wakeRead.valid() && ::read(m_wakeRead.get(), drain, sizeof drain) > 0) {
    }
}

bool PkexecHostsWriter::neededFor(const std::string& hostsFolder) const
{
    std::string folder = hostsFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder != "/etc" || ::geteuid() == 0 || ::access("/etc", W_OK) == 0)
        return false;
    return errno == EACCES || errno == EPERM;
}

HostsWriteResult PkexecHostsWriter::writePieces(const std::function<bool(std::string& piece)>& next)
{
    return run({ "/etc/hosts" }, next);
}

HostsWriteResult PkexecHostsWriter::finishRewrite()
{
    return run({ "--finish", "/etc/hosts" }, [](std::string&) { return false; });
}

HostsWriteResult PkexecHostsWriter::putBackKeptCopy(bool original)
{
    return run({ original ? "--restore-original" : "--restore-previous", "/etc/hosts" }, [](std::string& piece) {
        piece = HostsHelperGoAhead;
        return false;
    });
}

HostsWriteResult PkexecHostsWriter::run(std::vector<std::string> helperArgs,
                                        const std::function<bool(std::string& piece)>& next)
{
    // pkexec would only say "cannot run" for a missing helper; the person
    // needs to know that something is not installed, and which.
    if (!isExecutableFile(m_pkexec))
        return notInstalled("pkexec (polkit, \"" + m_pkexec + "\")");
    if (!isExecutableFile(m_helper))
        return notInstalled("its helper \"" + m_helper + "\"");

    if (m_cancelled)
        return result(HostsWriteResult::Kind::Cancelled, CancelledMessage);

    int input[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0)
        return result(HostsWriteResult::Kind::CouldNotRun,
                      "Cannot run \"" + m_pkexec + "\". " + Status::fromErrno(errno).reason());
    UniqueFd ourInput(input[0]);
    UniqueFd theirInput(input[1]);
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return result(HostsWriteResult::Kind::CouldNotRun,
                      "Cannot run \"" + m_pkexec + "\". " + Status::fromErrno(errno).reason());
    UniqueFd ourOutput(output[0]);
    UniqueFd theirOutput(output[1]);

    SpawnActions actions;
    posix_spawn_file_actions_adddup2(actions.get(), theirInput.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), theirOutput.get(), STDOUT_FILENO);
    // pkexec says why it could not run the helper on its error output.
    posix_spawn_file_actions_adddup2(actions.get(), theirOutput.get(), STDERR_FILENO);
    // The signals the program blocks or ignores are not the helper's. A
    // group of its own, so that Cancel ends pkexec and whatever it started
    // as this user, and nothing else.
    SpawnAttributes attributes;
    short flags = 0;
    posix_spawnattr_getflags(attributes.get(), &flags);
    posix_spawnattr_setflags(attributes.get(), static_cast<short>(flags | POSIX_SPAWN_SETPGROUP));
    posix_spawnattr_setpgroup(attributes.get(), 0);

    std::string pkexec = m_pkexec;
    std::string helper = m_helper;
    std::vector<char*> argv { pkexec.data(), helper.data() };
    for (std::string& arg : helperArgs)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (const int e = ::posix_spawn(&pid, m_pkexec.c_str(), actions.get(), attributes.get(), argv.data(), environ);
        e != 0)
        return result(HostsWriteResult::Kind::CouldNotRun,
                      "Cannot run \"" + m_pkexec + "\". " + Status::fromErrno(e).reason());
    theirInput.reset();
    theirOutput.reset();

    std::string answer;
    const bool cancelled = exchange(ourInput, ourOutput, next, answer, m_wakeRead.get(), [pid] {
        // A helper already running as root is not ours to signal: it ends on
        // its own once its input is closed.
        ::kill(-pid, SIGTERM);
    });
    const int status = waitFor(pid);
    const std::string message = lastLine(answer);
    if (cancelled && !(status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0))
        return result(HostsWriteResult::Kind::Cancelled, CancelledMessage);

    if (status >= 0 && WIFEXITED(status)) {
        const int code = WEXITSTATUS(status);
        if (code == 0)
            return {};
        if (code == PkexecDismissed)
            return result(HostsWriteResult::Kind::NotAuthorised,
                          "Quillon was not allowed to write /etc/hosts: the authorisation was dismissed."
                              + (message.empty() ? std::string() : "\n" + message));
        // pkexec cannot ask for the password without an agent (window
        // managers such as openbox or i3 start none); its own words would
        // not say what to do about it.
        if (code == PkexecNotRun && answer.find("No authentication agent found") != std::string::npos)
            return result(HostsWriteResult::Kind::CouldNotRun, NoAgentMessage);
        if (code == PkexecNotRun)
            return result(HostsWriteResult::Kind::CouldNotRun,
                          "Quillon could not write /etc/hosts: the authorisation failed, or its helper could "
                          "not be run."
                              + (message.empty() ? std::string() : "\n" + message));
        return result(HostsWriteResult::Kind::Failed,
                      message.empty() ? "The hosts helper failed (exit status " + std::to_string(code) + ")."
                                      : message);
    }
    if (status >= 0 && WIFSIGNALED(status))
        return result(HostsWriteResult::Kind::Failed,
                      "The hosts helper was ended by signal " + std::to_string(WTERMSIG(status)) + ".");
    return result(HostsWriteResult::Kind::Failed, "The hosts helper could not be waited for.");
}

std::string hostsHelperPath(const std::string& executableFolder, bool installed)
{
    // An installed program never runs a helper that merely stands beside it:
    // only the installed one is the one the polkit action names.
    const std::string beside = executableFolder + "quillon-hosts-helper";
    if (!installed && isExecutableFile(beside))
        return beside;
    return QUILLON_HOSTS_HELPER_INSTALLED;
}

} // namespace quillon::platform
