#include "platform/linux/PosixPrograms.h"

#include "platform/linux/Spawn.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quillon::platform {

bool startDetached(const std::string& path, const std::vector<std::string>& arguments)
{
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // A new session, so that the program outlives ours and our terminal; the
    // signals we block or ignore are not passed on to it.
    SpawnAttributes attributes(true);

    std::vector<std::string> strings { path };
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, path.c_str(), actions.get(), attributes.get(), argv.data(), environ) != 0)
        return false;
    try {
        std::thread([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the program runs all the same, and only its
        // exit status lingers until we end.
    }
    return true;
}

std::string PosixPrograms::find(const std::vector<std::string>& names)
{
    const char* path = std::getenv("PATH");
    const std::string folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (const std::string& name : names) {
        std::size_t from = 0;
        while (from <= folders.size()) {
            const std::size_t colon = std::min(folders.find(':', from), folders.size());
            const std::string folder = folders.substr(from, colon - from);
            from = colon + 1;
            if (folder.empty() || folder.front() != '/')
                continue; // a relative entry would depend on the working folder
            const std::string candidate = folder + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
    }
    return {};
}

bool PosixPrograms::start(const std::string& program, const std::vector<std::string>& arguments)
{
    return startDetached(program, arguments);
}

} // namespace quillon::platform
