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

// The permission bits of a hosts file the program creates: every user's
// resolver must be able to read it.
constexpr unsigned HostsFileMode = 0644;

// A copy of the current hosts file under another name (hosts.orig, or
// hosts.bak where links are refused), with its attributes, through a
// temporary name so that a failed copy leaves the previous one whole.
Outcome writeCopy(platform::FileSystem& fs, const std::string& hosts, std::string_view text, const std::string& to)
{
    return writeFileReplacing(fs, to, text, hosts);
}

Outcome copyToBackup(platform::FileSystem& fs, const std::string& hosts, const std::string& bak)
{
    std::string text;
    if (platform::Status s = fs.readFile(hosts, text); !s)
        return Outcome::failure(cannotOpenFile(hosts, s));
    return writeCopy(fs, hosts, text, bak);
}

// hosts.bak as a second name of the current hosts file: no copying, and the
// old file stays whole because the new one arrives by rename, never in place.
bool linkBackup(platform::FileSystem& fs, const std::string& hosts, const std::string& bak)
{
    const std::string staging = bak + ".new";
    if (fs.fileExists(staging))
        fs.removeFile(staging);
    if (!fs.linkFile(hosts, staging))
        return false;
    if (!fs.renameFile(staging, bak)) {
        fs.removeFile(staging);
        return false;
    }
    return true;
}

bool isMountPointRefusal(const platform::Status& s)
{
    return s.code() == EBUSY || s.code() == EXDEV;
}

// The end of an in-place rewrite: the marker goes first, so that a stray
// hosts.tmp without it is never taken for a redo copy.
void endRewrite(platform::FileSystem& fs, const HostsFilePaths& p)
{
    fs.removeFile(p.redo);
    fs.removeFile(p.tmp);
    fs.syncDirectory(p.folder);
}

// Rewrites target in place with text. On a failure after bytes changed, the
// old text comes back from hosts.bak; if even that fails, the marker and
// hosts.tmp stay, and the rewrite is finished later.
Outcome rewriteHostsInPlace(platform::FileSystem& fs, const HostsFilePaths& p, const std::string& target,
                            std::string_view text)
{
    if (platform::Status s = fs.writeFile(p.redo, {}); !s)
        return Outcome::failure(cannotCreateFile(p.redo, s));
    fs.syncDirectory(p.folder);
    bool changed = false;
    const platform::Status written = fs.rewriteInPlace(target, text, changed);
    if (written) {
        endRewrite(fs, p);
        return Outcome::success();
    }
    if (changed) {
        std::string old;
        bool restored = false;
        if (fs.readFile(p.bak, old)) {
            bool ignored = false;
            restored = fs.rewriteInPlace(target, old, ignored).isOk();
        }
        if (!restored)
            return Outcome::failure(cannotReplaceFile(target, written));
    }
    endRewrite(fs, p);
    return Outcome::failure(cannotReplaceFile(target, written));
}

} // namespace

Outcome finishInterruptedRewrite(platform::FileSystem& fs, const HostsFilePaths& p)
{
    if (!fs.fileExists(p.redo))
        return Outcome::success();
    // Only a copy this user (or root) made is ever copied into the hosts
    // file; anything else is taken away, so that it is not met again.
    for (const std::string* file : { &p.redo, &p.tmp }) {
        if (fs.fileExists(*file) && !fs.isOwnFile(*file)) {
            fs.removeFile(p.redo);
            fs.removeFile(p.tmp);
            return Outcome::failure(ignoredForeignFile(*file, p.hosts));
        }
    }
    const std::string target = fs.linkTarget(p.hosts);
    // hosts.tmp was whole and synced before the marker was made; without it,
    // hosts.bak holds the whole old text.
    std::string text;
    if (!fs.readFile(p.tmp, text)) {
        if (platform::Status s = fs.readFile(p.bak, text); !s)
            return Outcome::failure(cannotOpenFile(p.bak, s));
    }
    bool changed = false;
    if (platform::Status s = fs.rewriteInPlace(target, text, changed); !s)
        return Outcome::failure(cannotReplaceFile(target, s));
    endRewrite(fs, p);
    return Outcome::success();
}

bool rewriteLeftUnfinished(platform::FileSystem& fs, const HostsFilePaths& p)
{
    return fs.fileExists(p.redo);
}

Outcome prepareHostsFile(platform::FileSystem& fs, const HostsFilePaths& p, std::string_view text,
                         const platform::FileStamp& ownStamp)
{
    return prepareHostsFile(
        fs, p,
        [&](std::string& piece) {
            piece.assign(text);
            return false;
        },
        ownStamp);
}

Outcome prepareHostsFile(platform::FileSystem& fs, const HostsFilePaths& p,
                         const std::function<bool(std::string& piece)>& text, const platform::FileStamp& ownStamp)
{
    // A rewrite cut short left the hosts file torn: it is finished before
    // anything is copied from it.
    if (Outcome o = finishInterruptedRewrite(fs, p); !o)
        return o;

    if (platform::Status s = fs.writeFilePieces(p.tmp, text); !s) {
        fs.removeFile(p.tmp);
        return Outcome::failure(cannotCreateFile(p.tmp, s));
    }
    auto fail = [&](std::string message) {
        fs.removeFile(p.tmp);
        return Outcome::failure(std::move(message));
    };

    // A symbolic link stays a link: the file it points at is replaced.
    const std::string target = fs.linkTarget(p.hosts);
    if (!fs.stamp(target).exists) {
        fs.setPermissions(p.tmp, HostsFileMode);
        return Outcome::success();
    }
    // Best effort: where the owner cannot be given (not running as root),
    // the file keeps ours, which the system resolver reads just as well.
    fs.copyAttributes(target, p.tmp);

    const platform::FileStamp current = fs.stamp(target);
    if (!(ownStamp.exists && current == ownStamp) && !fs.fileExists(p.orig)) {
        std::string old;
        if (platform::Status s = fs.readFile(target, old); !s)
            return fail(cannotOpenFile(target, s));
        if (isForeignHostsText(old)) {
            if (Outcome o = writeCopy(fs, target, old, p.orig); !o)
                return fail(o.message());
        }
    }
    if (!linkBackup(fs, target, p.bak)) {
        if (Outcome o = copyToBackup(fs, target, p.bak); !o)
            return fail(o.message());
    }
    return Outcome::success();
}

Outcome commitHostsFile(platform::FileSystem& fs, const HostsFilePaths& p, platform::FileStamp& newStamp)
{
    const std::string target = fs.linkTarget(p.hosts);
    const platform::FileStamp current = fs.stamp(target);
    platform::Status renamed = fs.renameFile(p.tmp, target);
    if (!renamed && current.exists && isMountPointRefusal(renamed)) {
        // The new text is read back from hosts.tmp, whole and synced.
        std::string text;
        if (platform::Status s = fs.readFile(p.tmp, text); !s) {
            fs.removeFile(p.tmp);
            return Outcome::failure(cannotOpenFile(p.tmp, s));
        }
        // The in-place rewrite changes the file hosts.bak may share (a
        // second link): the backup gets a copy of its own first.
        const platform::FileStamp bak = fs.stamp(p.bak);
        if (!bak.exists || (bak.device == current.device && bak.inode == current.inode)) {
            if (Outcome o = copyToBackup(fs, target, p.bak); !o) {
                fs.removeFile(p.tmp);
                return o;
            }
        }
        fs.syncDirectory(p.folder);
        if (Outcome o = rewriteHostsInPlace(fs, p, target, text); !o)
            return o;
        renamed = platform::Status::ok();
    }
    if (!renamed) {
        fs.removeFile(p.tmp);
        return Outcome::failure(cannotReplaceFile(p.hosts, renamed));
    }
    fs.syncDirectory(p.folder);
    if (const std::string targetFolder = platform::folderOf(target); targetFolder != p.folder)
        fs.syncDirectory(targetFolder);
    newStamp = fs.stamp(p.hosts);
    return Outcome::success();
}

Outcome replaceHostsFile(platform::FileSystem& fs, const HostsFilePaths& p, std::string_view text,
                         const platform::FileStamp& ownStamp, platform::FileStamp& newStamp)
{
    if (Outcome o = prepareHostsFile(fs, p, text, ownStamp); !o)
        return o;
    return commitHostsFile(fs, p, newStamp);
}

const std::string& keptCopyPath(const HostsFilePaths& paths, KeptHostsCopy copy)
{
    return copy == KeptHostsCopy::Original ? paths.orig : paths.bak;
}

Outcome putBackKeptCopy(platform::FileSystem& fs, const HostsFilePaths& p, KeptHostsCopy copy,
                        const platform::FileStamp& ownStamp, platform::FileStamp& newStamp)
{
    // hosts.bak may be the copy a rewrite cut short still needs.
    if (Outcome o = finishInterruptedRewrite(fs, p); !o)
        return o;
    const std::string& kept = keptCopyPath(p, copy);
    if (!fs.fileExists(kept))
        return Outcome::failure(cannotOpenFile(kept, platform::Status::fromErrno(ENOENT)));
    if (!fs.isOwnFile(kept))
        return Outcome::failure(ignoredForeignFile(kept, p.hosts));
    std::string text;
    if (platform::Status s = fs.readFile(kept, text); !s)
        return Outcome::failure(cannotOpenFile(kept, s));
    return replaceHostsFile(fs, p, text, ownStamp, newStamp);
}

} // namespace quillon::core
