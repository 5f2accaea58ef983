#pragma once
// Writing the system hosts file with rights the program does not have: the
// new text goes to a privileged helper that checks every line and replaces
// /etc/hosts itself, with the same sequence the program uses (on Linux,
// quillon-hosts-helper run through pkexec). The text goes as it is given
// (the caller frames it); write() returns when the helper has answered, the
// person's authorisation included. It writes no other file than the hosts
// file and the copies the replace keeps beside it.

#include <functional>
#include <string>
#include <string_view>

namespace quillon::platform {

struct HostsWriteResult {
    enum class Kind {
        Written,       // /etc/hosts holds the text
        Failed,        // the helper refused the text or could not replace the file
        NotAuthorised, // the person dismissed the authorisation
        CouldNotRun,   // the authorisation failed, or the helper could not be started
        NotInstalled,  // the helper, or the program that runs it, is missing
        Cancelled,     // the person cancelled the wait; the hosts file was not written
    };
    Kind kind = Kind::Written;
    // For every failure, one text to show as it stands, with the reason.
    std::string message;

    bool ok() const { return kind == Kind::Written; }
};

class PrivilegedHostsWriter {
public:
    virtual ~PrivilegedHostsWriter() = default;

    // True when the hosts file in hostsFolder must be written through the
    // helper: the folder is the system's own, this process is not root, and
    // it may not write into the folder for want of rights (a read-only file
    // system is no reason: the helper could not write it either).
    virtual bool neededFor(const std::string& hostsFolder) const = 0;
    // Replaces /etc/hosts with the text that next gives piece by piece (it
    // appends the following piece to the emptied buffer it is given and
    // returns false with the last one), so that a large text need not stand
    // in memory whole.
    virtual HostsWriteResult writePieces(const std::function<bool(std::string& piece)>& next) = 0;
    // Has the helper finish an in-place rewrite of /etc/hosts cut short.
    virtual HostsWriteResult finishRewrite() = 0;
    // Has the helper put /etc/hosts.orig (original) or /etc/hosts.bak back
    // as /etc/hosts.
    virtual HostsWriteResult putBackKeptCopy(bool original) = 0;
    // Cancel: a run in progress on another thread ends as soon as it can
    // (before the helper has the whole text, the hosts file stays as it
    // was), and runs started meanwhile end at once, until it is called with
    // false. May be called from any thread.
    virtual void setCancelled(bool cancelled) { (void)cancelled; }
    // The same with the whole text at hand.
    HostsWriteResult write(std::string_view text)
    {
        return writePieces([text](std::string& piece) {
            piece.assign(text);
            return false;
        });
    }
};

} // namespace quillon::platform
