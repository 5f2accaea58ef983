#include "core/HostsFile.h"

#include "core/FileErrors.h"
#include "core/ListFile.h"

#include <cerrno>

namespace quillon::core {

bool isForeignHostsText(std::string_view text)
{
    bool foreign = false;
    forEachLine(text, [&](std::string_view line) {
        if (foreign || line.find_first_not_of(" \t") == std::string_view::npos)
            return;
        if (line.find(" #Quillon|") == std::string_view::npos)
            foreign = true;
    });
    return foreign;
}

namespace {

// hosts.bak as a copy of its own (not a link), through a temporary name so a
// failed copy leaves the previous backup whole.
Outcome copyToBackup(platform::FileSystem& fs, const std::string& from, const std::string& to)
{
    std::string text;
    if (platform::Status s = fs.readFile(from, text); !s)
        return Outcome::failure(cannotOpenFile(from, s));
    return writeFileReplacing(fs, to, text);
}

// hosts.bak as a second name of the current hosts file: no copying, and the
// old file stays whole because the new one arrives by rename, never in place.
bool linkBackup(platform::FileSystem& fs, const HostsFilePaths& p)
{
    const std::string staging = p.bak + ".new";
    if (fs.fileExists(staging))
        fs.removeFile(staging);
    if (!fs.linkFile(p.hosts, staging))
        return false;
    if (!fs.renameFile(staging, p.bak)) {
        fs.removeFile(staging);
        return false;
    }
    return true;
}

bool isMountPointRefusal(const platform::Status& s)
{
    return s.code() == EBUSY || s.code() == EXDEV;
}

} // namespace

Outcome replaceHostsFile(platform::FileSystem& fs, const HostsFilePaths& p, std::string_view text,
                         const platform::FileStamp& ownStamp, platform::FileStamp& newStamp)
{
    if (platform::Status s = fs.writeFile(p.tmp, text); !s) {
        fs.removeFile(p.tmp);
        return Outcome::failure(cannotCreateFile(p.tmp, s));
    }
    auto fail = [&](std::string message) {
        fs.removeFile(p.tmp);
        return Outcome::failure(std::move(message));
    };

    const platform::FileStamp current = fs.stamp(p.hosts);
    bool backupIsLink = false;
    if (current.exists) {
        // Best effort: where the owner cannot be given (not running as root),
        // the file keeps ours, which the system resolver reads just as well.
        fs.copyOwnerAndMode(p.hosts, p.tmp);

        if (!(ownStamp.exists && current == ownStamp) && !fs.fileExists(p.orig)) {
            std::string old;
            if (platform::Status s = fs.readFile(p.hosts, old); !s)
                return fail(cannotOpenFile(p.hosts, s));
            if (isForeignHostsText(old)) {
                if (Outcome o = writeFileReplacing(fs, p.orig, old); !o)
                    return fail(o.message());
            }
        }

        backupIsLink = linkBackup(fs, p);
        if (!backupIsLink) {
            if (Outcome o = copyToBackup(fs, p.hosts, p.bak); !o)
                return fail(o.message());
        }
    }

    platform::Status renamed = fs.renameFile(p.tmp, p.hosts);
    if (!renamed && current.exists && isMountPointRefusal(renamed)) {
        // The in-place write changes the file hosts.bak may share: give the
        // backup a copy of its own first.
        if (backupIsLink) {
            if (Outcome o = copyToBackup(fs, p.hosts, p.bak); !o)
                return fail(o.message());
        }
        if (platform::Status s = fs.writeFile(p.hosts, text); !s)
            return fail(cannotReplaceFile(p.hosts, s));
        fs.removeFile(p.tmp);
        renamed = platform::Status::ok();
    }
    if (!renamed)
        return fail(cannotReplaceFile(p.hosts, renamed));

    fs.syncDirectory(p.folder);
    newStamp = fs.stamp(p.hosts);
    return Outcome::success();
}

} // namespace quillon::core
