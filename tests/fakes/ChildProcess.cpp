#include "fakes/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quillon::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv)
{
    int out[2];
    // Close-on-exec, so that no other child holds the write end and the
    // reader still sees the end of the output when this child ends.
    if (argv.empty() || ::pipe2(out, O_CLOEXEC) != 0)
        return;
    std::vector<std::string> copy = argv;
    std::vector<char*> args;
    for (std::string& a : copy)
        args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // Nothing of the test's own input, which may be a terminal.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0)
        m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    m_output = out[0];
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    if (m_output >= 0)
        ::close(m_output);
}

std::optional<std::string> ChildProcess::readLine()
{
    if (m_output < 0)
        return std::nullopt;
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(m_output, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        if (c == '\n')
            return line;
        line += c;
    }
}

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

} // namespace quillon::test
