#include "core/HostsFile.h"

#include "core/CurrentHostsLines.h"
#include "core/FileErrors.h"
#include "core/HostsFrame.h"
#include "core/ListFile.h"

#include <cerrno>
#include <optional>

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

// A copy of the current hosts file under another name (hosts.orig, or the
// staged backup where links are refused), with its attributes, through a
// temporary name so that a failed copy leaves the previous one whole.
Outcome writeCopy(platform::FileSystem& fs, const std::string& hosts, std::string_view text, const std::string& to)
{
    return writeFileReplacing(fs, to, text, hosts);
}

Outcome copyToBackup(platform::FileSystem& fs, const std::string& hosts, const std::string& to)
{
    std::string text;
    if (platform::Status s = fs.readFile(hosts, text); !s)
        return Outcome::failure(cannotOpenFile(hosts, s));
    return writeCopy(fs, hosts, text, to);
}

// The current hosts file under the staged backup's name: a second link (no
// copying; the old file stays whole because the new one arrives by rename),
// or a copy where links are refused.
Outcome stageBackup(platform::FileSystem& fs, const std::string& hosts, const std::string& staged)
{
    if (fs.fileExists(staged))
        fs.removeFile(staged);
    if (fs.linkFile(hosts, staged))
        return Outcome::success();
    return copyToBackup(fs, hosts, staged);
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

// Rewrites target in place with text. The staged backup, a copy of its own,
// holds the old text meanwhile and becomes hosts.bak once the file is whole
// again, so hosts.bak is the previous copy until then. On a failure after
// bytes changed, the old text comes back from the staged backup; if even
// that fails, the marker, hosts.tmp and the backup stay, and the rewrite is
// finished later.
Outcome rewriteHostsInPlace(platform::FileSystem& fs, const HostsFilePaths& p, const std::string& target,
                            std::string_view text)
{
    const std::string staged = stagedBackupPath(p);
    if (platform::Status s = fs.writeFile(p.redo, {}); !s) {
        fs.removeFile(p.redo);
        fs.removeFile(staged);
        fs.removeFile(p.tmp);
        return Outcome::failure(cannotCreateFile(p.redo, s));
    }
    fs.syncDirectory(p.folder);
    bool changed = false;
    const platform::Status written = fs.rewriteInPlace(target, text, changed);
    if (written) {
        // A backup that cannot be renamed now stays staged, and the next
        // start or replace puts it in place (see finishStagedBackup).
        fs.renameFile(staged, p.bak);
        endRewrite(fs, p);
        return Outcome::success();
    }
    if (changed) {
        std::string old;
        bool restored = false;
        if (fs.readFile(staged, old)) {
            bool ignored = false;
            restored = fs.rewriteInPlace(target, old, ignored).isOk();
        }
        if (!restored)
            return Outcome::failure(cannotReplaceFile(target, written));
    }
    fs.removeFile(staged);
    endRewrite(fs, p);
    return Outcome::failure(cannotReplaceFile(target, written));
}

// The size and checksum of the file at path; nullopt when it cannot be read.
std::optional<HostsFrame> frameOfFile(platform::FileSystem& fs, const std::string& path)
{
    HostsFrameMaker frame;
    if (!fs.readPieces(path, [&](std::string_view piece) { frame.add(piece); }))
        return std::nullopt;
    return frame.finish();
}

// True when the files at a and b are one file, or hold the same bytes.
bool sameFileOrBytes(platform::FileSystem& fs, const std::string& a, const std::string& b)
{
    const platform::FileStamp x = fs.stamp(a);
    const platform::FileStamp y = fs.stamp(b);
    if (!x.exists || !y.exists)
        return false;
    if (x.device == y.device && x.inode == y.inode)
        return true;
    if (x.size != y.size)
        return false;
    const std::optional<HostsFrame> fa = frameOfFile(fs, a);
    return fa && fa == frameOfFile(fs, b);
}

// A staged backup left by a replace cut short (an in-place rewrite is
// finished before this is asked). While it is the current file (a second
// link, or a copy of the same bytes) the new file never went into place, and
// it goes; otherwise it is the file replaced, and becomes hosts.bak. One this
// user (or root) did not make is never used.
Outcome finishStagedBackup(platform::FileSystem& fs, const HostsFilePaths& p)
{
    const std::string staged = stagedBackupPath(p);
    if (!fs.fileExists(staged))
        return Outcome::success();
    if (!fs.isOwnFile(staged) || sameFileOrBytes(fs, staged, fs.linkTarget(p.hosts))) {
        fs.removeFile(staged);
        return Outcome::success();
    }
    if (platform::Status s = fs.renameFile(staged, p.bak); !s)
        return Outcome::failure(cannotReplaceFile(p.bak, s));
    fs.syncDirectory(p.folder);
    return Outcome::success();
}

// Finishes an in-place rewrite marked by hosts.redo.
Outcome finishMarkedRewrite(platform::FileSystem& fs, const HostsFilePaths& p)
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
    // the old text comes back from the staged backup (or from hosts.bak,
    // where an earlier version kept it), which then has no use left.
    const std::string staged = stagedBackupPath(p);
    std::string text;
    bool fromStaged = false;
    if (!fs.readFile(p.tmp, text)) {
        fromStaged = fs.isOwnFile(staged) && fs.readFile(staged, text).isOk();
        if (!fromStaged) {
            if (platform::Status s = fs.readFile(p.bak, text); !s)
                return Outcome::failure(cannotOpenFile(p.bak, s));
        }
    }
    bool changed = false;
    if (platform::Status s = fs.rewriteInPlace(target, text, changed); !s)
        return Outcome::failure(cannotReplaceFile(target, s));
    if (fromStaged)
        fs.removeFile(staged);
    endRewrite(fs, p);
    return Outcome::success();
}

} // namespace

std::string stagedBackupPath(const HostsFilePaths& paths)
{
    return paths.bak + ".new";
}

Outcome finishInterruptedRewrite(platform::FileSystem& fs, const HostsFilePaths& p)
{
    // The rewrite first: until it is finished, hosts.tmp is its copy.
    if (Outcome o = finishMarkedRewrite(fs, p); !o)
        return o;
    return finishStagedBackup(fs, p);
}

Outcome removeHostsLeftovers(platform::FileSystem& fs, const HostsFilePaths& p)
{
    if (Outcome o = finishInterruptedRewrite(fs, p); !o)
        return o;
    const std::string staged = stagedBackupPath(p);
    for (const std::string& path : { p.tmp, staged + ".tmp", p.bak + ".tmp", p.orig + ".tmp" }) {
        if (fs.fileExists(path))
            fs.removeFile(path);
    }
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
    return Outcome::success();
}

Outcome commitHostsFile(platform::FileSystem& fs, const HostsFilePaths& p, platform::FileStamp& newStamp)
{
    // A backup still staged by a replace cut short is settled before the
    // current file is staged in its place.
    if (Outcome o = finishStagedBackup(fs, p); !o) {
        fs.removeFile(p.tmp);
        return o;
    }
    const std::string target = fs.linkTarget(p.hosts);
    const std::string staged = stagedBackupPath(p);
    const platform::FileStamp current = fs.stamp(target);
    // hosts.bak stays the previous copy until the new file is in place: the
    // current file is kept as the staged backup first and becomes hosts.bak
    // only then. Replaced the other way round, a kill in between would leave
    // the previous copy only in hosts.tmp, which the next start removes (and
    // Restore Previous writes that very copy).
    if (current.exists) {
        if (Outcome o = stageBackup(fs, target, staged); !o) {
            fs.removeFile(p.tmp);
            return o;
        }
        fs.syncDirectory(p.folder);
    }
    const auto fail = [&](Outcome o) {
        fs.removeFile(staged);
        fs.removeFile(p.tmp);
        return o;
    };
    platform::Status renamed = fs.renameFile(p.tmp, target);
    if (!renamed && current.exists && isMountPointRefusal(renamed)) {
        // The new text is read back from hosts.tmp, whole and synced.
        std::string text;
        if (platform::Status s = fs.readFile(p.tmp, text); !s)
            return fail(Outcome::failure(cannotOpenFile(p.tmp, s)));
        // The in-place rewrite changes the file the staged backup may share
        // (a second link): the backup gets a copy of its own first.
        const platform::FileStamp backup = fs.stamp(staged);
        if (!backup.exists || (backup.device == current.device && backup.inode == current.inode)) {
            if (Outcome o = copyToBackup(fs, target, staged); !o)
                return fail(o);
        }
        fs.syncDirectory(p.folder);
        if (Outcome o = rewriteHostsInPlace(fs, p, target, text); !o)
            return o;
    } else if (!renamed) {
        return fail(Outcome::failure(cannotReplaceFile(p.hosts, renamed)));
    } else if (current.exists) {
        // Only now, with the new file in place (see the in-place rewrite for
        // a backup that cannot be renamed).
        fs.renameFile(staged, p.bak);
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
                        std::string_view ownName, const platform::FileStamp& ownStamp, platform::FileStamp& newStamp)
{
    // hosts.bak may be the copy a rewrite cut short still needs.
    if (Outcome o = finishInterruptedRewrite(fs, p); !o)
        return o;
    std::string text;
    if (Outcome o = keptCopyText(fs, p, copy, ownName, text); !o)
        return o;
    return replaceHostsFile(fs, p, text, ownStamp, newStamp);
}

Outcome keptCopyText(platform::FileSystem& fs, const HostsFilePaths& p, KeptHostsCopy copy, std::string_view ownName,
                     std::string& text)
{
    const std::string& kept = keptCopyPath(p, copy);
    if (!fs.fileExists(kept))
        return Outcome::failure(cannotOpenFile(kept, platform::Status::fromErrno(ENOENT)));
    if (!fs.isOwnFile(kept))
        return Outcome::failure(ignoredForeignFile(kept, p.hosts));
    std::string copied;
    if (platform::Status s = fs.readFile(kept, copied); !s)
        return Outcome::failure(cannotOpenFile(kept, s));
    CurrentHostsLines current;
    if (Outcome o = readCurrentHostsLines(fs, p.hosts, ownName, current); !o)
        return o;
    text = current.withSystemLines(copied);
    return Outcome::success();
}

} // namespace quillon::core
