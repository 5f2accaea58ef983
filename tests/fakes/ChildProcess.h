#pragma once
// A helper program a test runs beside itself (a bus daemon, a stand-in
// server): started with its standard output on a pipe, so that the test can
// read the line it prints once it is ready, and ended (SIGTERM, then waited
// for) when the object goes. The pipe stays open for the child's life, so
// that a later line never meets a closed pipe. Its input is /dev/null, its
// standard error the test's own.

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillon::test {

class ChildProcess {
public:
    // argv[0] is looked for on the search path. started() tells whether it ran.
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    // The next line of its output without the line end; nothing at the end
    // of the output (the child ended, or could not be run). Waits as long as
    // the child takes.
    std::optional<std::string> readLine();

private:
    pid_t m_pid = -1;
    int m_output = -1;
};

// The full path of a program on the search path; empty when there is none.
std::string findProgram(const std::string& name);

} // namespace quillon::test
