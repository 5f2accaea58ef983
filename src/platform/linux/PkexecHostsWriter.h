#pragma once
// The hosts-file helper run through pkexec (polkit): `pkexec HELPER
// /etc/hosts`, started with posix_spawn (no shell), the text on its standard
// input and its one-line answer read from its standard output. The answer
// maps by exit status: 0 written; the helper's own statuses (see
// core/HostsHelper.h) failed, with its message; pkexec's 126 (the person
// dismissed the authorisation) not authorised; pkexec's 127 (not authorised,
// or the helper could not be run) could not run. A missing pkexec or helper
// is found before anything starts.
//
// pkexec runs in a process group of its own. Cancel ends that group (pkexec
// still asking for the password, or a stand-in) and closes the helper's
// input: a helper already running as root, which we may not signal, then
// stops waiting for its lock, or refuses the text cut short.
//
// Both paths are given, so that tests can stand a script in for pkexec.

#include "platform/PrivilegedHostsWriter.h"
#include "platform/linux/DdeWire.h"

#include <atomic>
#include <string>
#include <vector>

namespace quillon::platform {

class PkexecHostsWriter final : public PrivilegedHostsWriter {
public:
    static constexpr const char* SystemPkexec = "/usr/bin/pkexec";

    PkexecHostsWriter(std::string pkexecPath, std::string helperPath);

    // The folder is /etc and this process may not write into it.
    bool neededFor(const std::string& hostsFolder) const override;
    HostsWriteResult writePieces(const std::function<bool(std::string& piece)>& next) override;
    HostsWriteResult finishRewrite() override;
    HostsWriteResult putBackKeptCopy(bool original) override;
    void setCancelled(bool cancelled) override;

private:
    HostsWriteResult run(std::vector<std::string> helperArgs, const std::function<bool(std::string& piece)>& next);

    std::string m_pkexec;
    std::string m_helper;
    std::atomic<bool> m_cancelled { false };
    // A byte in this pipe wakes a run waiting for the helper, so that it
    // sees m_cancelled.
    dde::UniqueFd m_wakeRead;
    dde::UniqueFd m_wakeWrite;
};

// Where the helper is: where it is installed (LIBEXECDIR/quillon) for an
// installed program; beside the program in executableFolder for a build
// folder that has one.
std::string hostsHelperPath(const std::string& executableFolder, bool installed);

} // namespace quillon::platform
