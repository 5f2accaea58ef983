#pragma once
// Peak memory of one piece of work, measured in a child process that does
// nothing else, so that what the benchmark itself holds does not count.

#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon::bench {

inline long peakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The child's peak resident size after work, in MB; with growthOnly, only
// what work added to the peak the child started with.
inline double childPeakMegabytes(const std::function<void()>& work, bool growthOnly)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const long before = growthOnly ? peakKilobytes() : 0;
        work();
        const long peak = peakKilobytes() - before;
        [[maybe_unused]] const auto n = write(fds[1], &peak, sizeof peak);
        _exit(0);
    }
    close(fds[1]);
    long peak = -1024;
    [[maybe_unused]] const auto n = read(fds[0], &peak, sizeof peak);
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return static_cast<double>(peak) / 1024.0;
}

} // namespace quillon::bench
