#include "core/SaveAll.h"

#include "core/FileErrors.h"
#include "core/HostsFile.h"
#include "core/HostsFrame.h"
#include "core/HelperWait.h"
#include "core/Interface.h"
#include "core/ListFile.h"
#include "core/SystemHostLines.h"
#include "platform/HostsCaches.h"

#include <algorithm>
#include <optional>

namespace quillon::core {

namespace {

// Hosts list records: every status but Waiting, written as Saved.
constexpr StatusFilter HostsFilter { StatusWaiting, false };
constexpr StatusFilter WaitFilter { StatusWaiting, true };
constexpr StatusFilter TrashFilter { -1, false };

// The files one save replaces: their new texts written beside them and
// synced, not yet in place.
struct Staged {
    std::string hostsPath; // written into hosts.tmp; empty: not part of the save
    // The hosts text when it is part of the save, or unchanged (nothing to write).
    std::optional<HostsFrame> hostsFrame;
    bool hostsUnchanged = false;
    // What the hosts file will hold, once written.
    std::optional<HostsSnapshot> hostsAfter;
    // The hosts text goes to the helper instead, in this frame.
    std::optional<HostsFrame> helperFrame;
    // hosts.tmp could not be written (a full or read-only disk): the Hosts
    // list is set aside instead (see setAside).
    std::optional<Outcome> hostsStageFailure;
    std::vector<std::string> lists;
};

std::string stagedName(const std::string& path)
{
    return path + ".tmp";
}

// The first line of a restore's journal, then the frame header of the text
// the hosts file is to hold, then the change-log entry that notes it.
constexpr std::string_view RestoreJournalWord = "QUILLON-RESTORE";

// And the stamp the change log had then, which tells the next start whether
// the entry was written.
constexpr std::string_view LogStampWord = "QUILLON-LOG ";

std::string stampLine(const platform::FileStamp& stamp)
{
    if (!stamp.exists)
        return std::string(LogStampWord) + "none";
    return std::string(LogStampWord) + std::to_string(stamp.size) + " " + std::to_string(stamp.mtimeNs) + " "
        + std::to_string(stamp.device) + " " + std::to_string(stamp.inode);
}

// The journal's line for a hosts text given to the helper is its frame
// header (see core/HostsFrame.h): the size and SHA-256 that tell the next
// start whether /etc/hosts holds it.
constexpr std::string_view HelperJournalWord = "QUILLON-HOSTS ";
// The line an earlier version wrote there, with another checksum.
constexpr std::string_view OldHelperJournalWord = "helper ";

// The hosts folder is checked at every save, not only at start-up: a link
// on its way that another user owns could have been pointed at another
// folder since, or a folder above it opened to others. The folder is then
// not used any more this run, and the Hosts list is set aside.
Outcome checkHostsFolderAgain(App& app)
{
    ProgramState& s = app.state;
    const platform::FolderWriters writers = app.fs.othersMayWrite(s.paths.hostsFile.folder);
    if (!writers.any())
        return Outcome::success();
    s.hostsFolderUnsafe = hostsFolderRefusal(s.paths.hostsFile.folder, writers);
    return Outcome::failure(s.hostsFolderUnsafe);
}

// What the hosts file keeps of itself, read again when another program
// (or this one) changed it since. A hosts folder not used is not read.
Outcome readKeptHostsLines(App& app)
{
    ProgramState& s = app.state;
    const std::string& hosts = s.paths.hostsFile.hosts;
    if (!s.hostsFolderUnsafe.empty()) {
        s.keptHostsLines.emplace(s.ownHostName);
        return Outcome::success();
    }
    const platform::FileStamp stamp = app.fs.stamp(hosts);
    if (s.keptHostsLines && stamp == s.keptHostsLinesStamp && s.keptHostsLines->ownName() == s.ownHostName)
        return Outcome::success();
    CurrentHostsLines lines;
    Outcome o = readCurrentHostsLines(app.fs, hosts, s.ownHostName, lines);
    s.keptHostsLines = std::move(lines);
    s.keptHostsLinesStamp = o ? stamp : platform::FileStamp {};
    return o;
}

// The hosts text, made afresh in pieces each time it is needed: the records
// do not change during a save. The lines it keeps of the hosts file are
// those last read (see readKeptHostsLines).
ListFileText hostsText(App& app)
{
    ProgramState& s = app.state;
    if (!s.keptHostsLines)
        s.keptHostsLines.emplace(s.ownHostName);
    return ListFileText({ &s.store.hosts(), &s.store.wait() }, HostsFilter, StatusSaved, &*s.keptHostsLines);
}

HostsFrame frameOf(ListFileText text)
{
    HostsFrameMaker frame;
    std::string piece;
    for (bool more = true; more;) {
        piece.clear();
        more = text.next(piece);
        frame.add(piece);
    }
    return frame.finish();
}

// How long a start waits for a helper still writing the hosts file.
constexpr int HelperWaitMs = 10000;

bool throughHelper(const App& app)
{
    return app.state.hostsThroughHelper && app.hostsWriter != nullptr;
}

// Once the hosts file holds the Hosts list, the copy set aside for it is
// not needed any more.
void forgetSetAside(App& app)
{
    ProgramState& s = app.state;
    s.hostsListAside = false;
    if (app.fs.fileExists(s.paths.d05))
        app.fs.removeFile(s.paths.d05);
}

// Takes every staged text back; the files stay as they were.
void discard(App& app, const Staged& staged)
{
    if (!staged.hostsPath.empty())
        app.fs.removeFile(app.state.paths.hostsFile.tmp);
    for (const std::string& list : staged.lists)
        app.fs.removeFile(stagedName(list));
}

// True when the file at path holds exactly text (of that frame).
bool fileHolds(App& app, const std::string& path, const HostsFrame& text)
{
    const platform::FileStamp stamp = app.fs.stamp(path);
    if (!stamp.exists || static_cast<std::uint64_t>(stamp.size) != text.size)
        return false;
    HostsFrameMaker frame;
    if (!app.fs.readPieces(path, [&](std::string_view piece) { frame.add(piece); }))
        return false;
    return frame.finish() == text;
}

// True when the hosts file needs no writing: it holds the new text, or it is
// still the file read at start-up (or last written) and the Hosts list
// gives the text it gave then. So a hosts file the program never wrote
// (Debian's own, with its comments) stays as it is until the list changes.
// A file that does not exist is always written.
bool hostsUnchanged(App& app, const HostsFrame& text)
{
    const ProgramState& s = app.state;
    const KnownText& known = s.knownHosts;
    if (known.frame && *known.frame == text && known.stamp.exists && app.fs.stamp(s.paths.hostsFile.hosts) == known.stamp)
        return true;
    return fileHolds(app, s.paths.hostsFile.hosts, text);
}

// A list whose file is left alone this run (see ProgramState::blocked) and
// that holds what was loaded: nothing of it is lost, nothing to say.
bool sameAsLoaded(const KnownText& known, const HostsFrame& text)
{
    return known.frame && *known.frame == text;
}

// A list file is written unless it holds its new text already: what it
// holds is read back by imports and reloads, so it must be exactly that.
Outcome stageList(App& app, const std::string& path, const std::vector<const HostSequence*>& parts,
                  StatusFilter filter, Staged& staged)
{
    const HostsFrame frame = frameOf(ListFileText(parts, filter, -1));
    if (fileHolds(app, path, frame))
        return Outcome::success();
    ListFileText text(parts, filter, -1);
    if (platform::Status s = app.fs.writeFilePieces(stagedName(path), [&](std::string& piece) { return text.next(piece); });
        !s) {
        app.fs.removeFile(stagedName(path));
        return Outcome::failure(cannotCreateFile(path, s));
    }
    staged.lists.push_back(path);
    return Outcome::success();
}

// The change log's new text beside it, when the hosts file the save writes
// changes any line: what the file held (read from it the first time) against
// what the save writes. A log that cannot be written holds back no other
// file: it is reported as left alone.
void stageChangeLog(App& app, SaveReport& report, Staged& staged)
{
    ProgramState& s = app.state;
    const std::string& hosts = s.paths.hostsFile.hosts;
    const std::string& log = s.paths.d04;
    staged.hostsAfter = HostsSnapshot::ofHostsList(s.store);
    // Read again when another program wrote the file since.
    if (!s.hostsSnapshot || app.fs.stamp(hosts) != s.hostsSnapshotStamp) {
        s.hostsSnapshot.reset();
        s.hostsSnapshotStamp = app.fs.stamp(hosts);
        HostsSnapshot before;
        if (platform::Status st = HostsSnapshot::ofFile(app.fs, hosts, before); !st)
            return report.skip(log, cannotOpenFile(hosts, st));
        s.hostsSnapshot = std::move(before);
    }
    const std::vector<ChangeEntry> changes
        = hostsChanges(*s.hostsSnapshot, *staged.hostsAfter, s.store, app.fs, hosts, now(app.clock));
    if (changes.empty())
        return;
    // Only the log's tail: a log grown huge is neither read whole nor kept.
    std::string old;
    if (platform::Status st = readChangeLogTail(app.fs, log, old); !st)
        return report.skip(log, cannotOpenFile(log, st));
    if (platform::Status st = app.fs.writeFile(stagedName(log), changeLogText(old, changes)); !st) {
        app.fs.removeFile(stagedName(log));
        return report.skip(log, cannotCreateFile(log, st));
    }
    staged.lists.push_back(log);
}

// Every new text, beside its file.
Outcome stage(App& app, SaveReport& report, Staged& staged)
{
    ProgramState& s = app.state;
    HostStore& store = s.store;
    if (s.blocked.hosts) {
        if (!sameAsLoaded(s.knownHosts, frameOf(hostsText(app))))
            report.skip(s.paths.hostsFile.hosts, s.hostsFolderUnsafe.empty()
                                                     ? notSavedUnreadable(s.paths.hostsFile.hosts)
                                                     : s.hostsFolderUnsafe);
    } else if (Outcome o = checkHostsFolderAgain(app); !o) {
        staged.hostsStageFailure = o;
    } else if (Outcome o = readKeptHostsLines(app); !o) {
        // Without the file's own lines no text can keep them.
        staged.hostsStageFailure = o;
    } else if (staged.hostsFrame = frameOf(hostsText(app)); hostsUnchanged(app, *staged.hostsFrame)) {
        // Compared before anyone is asked for a password.
        staged.hostsUnchanged = true;
    } else if (throughHelper(app)) {
        staged.helperFrame = staged.hostsFrame;
    } else {
        // Written as it is made: a million-line text need not stand in memory.
        ListFileText text = hostsText(app);
        if (Outcome o = prepareHostsFile(
                app.fs, s.paths.hostsFile, [&](std::string& piece) { return text.next(piece); }, s.ownHostsStamp);
            !o)
            staged.hostsStageFailure = o;
        else
            staged.hostsPath = s.paths.hostsFile.hosts;
    }
    if (!staged.hostsPath.empty() || staged.helperFrame)
        stageChangeLog(app, report, staged);
    if (s.blocked.d01) {
        if (!sameAsLoaded(s.knownD01, frameOf(ListFileText({ &store.hosts(), &store.wait() }, WaitFilter, -1))))
            report.skip(s.paths.d01, notSavedUnreadable(s.paths.d01));
    } else if (Outcome o = stageList(app, s.paths.d01, { &store.hosts(), &store.wait() }, WaitFilter, staged); !o) {
        return o;
    }
    if (s.blocked.d02) {
        if (!sameAsLoaded(s.knownD02, frameOf(ListFileText({ &store.trash() }, TrashFilter, -1))))
            report.skip(s.paths.d02, notSavedUnreadable(s.paths.d02));
    } else if (Outcome o = stageList(app, s.paths.d02, { &store.trash() }, TrashFilter, staged); !o) {
        return o;
    }
    return Outcome::success();
}

// The journal names every file the save replaces. It is written beside its
// place and renamed there, so that a journal written again (setAside) is
// never found half written.
Outcome writeJournalText(App& app, const std::string& text)
{
    const std::string& journal = app.state.paths.saveJournal;
    const std::string staging = stagedName(journal);
    platform::Status s = app.fs.writeFile(staging, text);
    if (s)
        s = app.fs.renameFile(staging, journal);
    if (!s) {
        app.fs.removeFile(staging);
        return Outcome::failure(cannotCreateFile(journal, s));
    }
    app.fs.syncDirectory(platform::folderOf(journal));
    return Outcome::success();
}

Outcome writeJournal(App& app, const Staged& staged)
{
    std::string text;
    if (!staged.hostsPath.empty())
        text += staged.hostsPath + "\r\n";
    if (staged.helperFrame)
        text += staged.helperFrame->header() + "\r\n";
    for (const std::string& list : staged.lists)
        text += list + "\r\n";
    return writeJournalText(app, text);
}

// The hosts file could not be written (no authorisation, a refused text, a
// full disk): the Hosts list goes into Quillon.d05 instead, in the same
// journalled save as the other lists, and the next start reads it from
// there. So nothing the person or the capture added is lost because root's
// file could not be written. The change log is not written: the hosts file
// did not change. False when even that file could not be written; the
// lists then stay as they were.
bool setAside(App& app, Staged& staged)
{
    ProgramState& s = app.state;
    const std::string& aside = s.paths.d05;
    if (const auto log = std::find(staged.lists.begin(), staged.lists.end(), s.paths.d04); log != staged.lists.end()) {
        app.fs.removeFile(stagedName(*log));
        staged.lists.erase(log);
    }
    // The list alone, as the next start reads it back.
    ListFileText text({ &s.store.hosts(), &s.store.wait() }, HostsFilter, StatusSaved);
    if (platform::Status st = app.fs.writeFilePieces(stagedName(aside), [&](std::string& piece) { return text.next(piece); });
        !st) {
        app.fs.removeFile(stagedName(aside));
        return false;
    }
    staged.lists.push_back(aside);
    staged.hostsPath.clear();
    staged.helperFrame.reset();
    if (!writeJournal(app, staged)) {
        app.fs.removeFile(stagedName(aside));
        staged.lists.pop_back();
        return false;
    }
    return true;
}

Outcome commitList(App& app, const std::string& path)
{
    if (platform::Status s = app.fs.renameFile(stagedName(path), path); !s) {
        app.fs.removeFile(stagedName(path));
        return Outcome::failure(cannotCreateFile(path, s));
    }
    return Outcome::success();
}

// Through the helper: /etc/hosts is replaced by another process, after the
// person authorised it, in one step. The journal is written first and holds
// the size and checksum of that text beside the lists. A start that finds
// the journal compares them with /etc/hosts: the same text means the helper
// finished, and the lists go into place; any other means it never did
// (dismissed, failed, or the program killed while it waited), and the staged
// lists are dropped. Either way the hosts file and the lists stay together,
// wherever the process is killed. The other orders lose a host: lists
// committed by the journal while the helper never ran drop a host just moved
// from the Wait list; the helper run before the journal is written drops a
// host just moved from the Hosts list to the Trash when the program is killed
// between the two.
Outcome writeThroughHelper(App& app, const HostsFrame& frame, SaveReport& report)
{
    ProgramState& s = app.state;
    // The helper's own check, made here first: a text it would refuse is
    // never sent, and the person is never asked for a password for it.
    std::string text;
    {
        ListFileText pieces = hostsText(app);
        while (pieces.next(text)) {
        }
    }
    if (HostsTextRefusal refusal = hostsTextRefusal(app.fs, s.paths.hostsFile.hosts, text, s.ownHostName)) {
        report.notAuthorised = true;
        return Outcome::failure(refusal.message);
    }
    bool headerSent = false;
    std::size_t sent = 0;
    std::function<bool(std::string&)> next = [&](std::string& piece) {
        if (!headerSent) {
            headerSent = true;
            piece = frame.header() + "\n";
            return true;
        }
        const std::size_t size = std::min(ListFileText::PieceBytes, text.size() - sent);
        piece.append(text, sent, size);
        sent += size;
        return sent < text.size();
    };
    const platform::HostsWriteResult written
        = waitForHelper(app, [&app, &next] { return app.hostsWriter->writePieces(next); });
    // A helper ended in the middle of an in-place rewrite leaves it for the
    // next run of the helper to finish from the whole new text; finished
    // now, the save is whole now, change log included.
    if (!written.ok())
        (void)finishHelperRewrite(app);
    // A helper ended after its replace but before its answer has written the
    // text all the same: what /etc/hosts holds decides, not what it said.
    if (written.ok() || fileHolds(app, s.paths.hostsFile.hosts, frame)) {
        // /etc/hosts is readable by all: its new stamp is ours.
        s.ownHostsStamp = app.fs.stamp(s.paths.hostsFile.hosts);
        s.hostsAge = s.ownHostsStamp;
        s.knownHosts = { s.ownHostsStamp, frame };
        markWritten({ &s.store.hosts(), &s.store.wait() }, HostsFilter, StatusSaved);
        return Outcome::success();
    }
    // Asking again would ask for the password again, for the same answer.
    report.notAuthorised = true;
    return Outcome::failure(written.message);
}

// Every staged text into its place, the hosts file first. Should it fail,
// the Hosts list is set aside in Quillon.d05 and the other lists go into
// place with it; only when even that cannot be written do they all stay as
// they were.
Outcome commit(App& app, Staged& staged, SaveReport& report, SetAside aside)
{
    ProgramState& s = app.state;
    HostStore& store = s.store;
    // The text the hosts file holds already: its records count as written.
    if (staged.hostsUnchanged)
        markWritten({ &store.hosts(), &store.wait() }, HostsFilter, StatusSaved);
    const bool nothingToWrite = staged.hostsPath.empty() && !staged.helperFrame && staged.lists.empty()
        && !staged.hostsStageFailure;
    if (nothingToWrite) {
        markWritten({ &store.hosts(), &store.wait() }, WaitFilter, -1);
        markWritten({ &store.trash() }, TrashFilter, -1);
        forgetSetAside(app);
        return Outcome::success();
    }
    if (Outcome o = writeJournal(app, staged); !o) {
        discard(app, staged);
        return o;
    }
    Outcome hostsResult = staged.hostsStageFailure.value_or(Outcome::success());
    if (staged.helperFrame) {
        if (Outcome o = writeThroughHelper(app, *staged.helperFrame, report); !o) {
            hostsResult = o;
        } else {
            s.hostsSnapshot = staged.hostsAfter;
            s.hostsSnapshotStamp = s.ownHostsStamp;
        }
    }
    if (!staged.hostsPath.empty()) {
        platform::FileStamp written;
        if (Outcome o = commitHostsFile(app.fs, s.paths.hostsFile, written); !o) {
            // A rewrite that could not even put the old text back is
            // finished at the next start, and the lists with it.
            if (rewriteLeftUnfinished(app.fs, s.paths.hostsFile))
                return o;
            hostsResult = o;
        } else {
            s.ownHostsStamp = written;
            s.hostsAge = written;
            s.knownHosts = { written, staged.hostsFrame };
            s.hostsSnapshot = staged.hostsAfter;
            s.hostsSnapshotStamp = written;
            markWritten({ &store.hosts(), &store.wait() }, HostsFilter, StatusSaved);
            // Caches of the system's hosts file are told to read it again.
            if (s.paths.hostsFile.folder == "/etc")
                platform::refreshHostsCaches();
        }
    }
    if (!hostsResult) {
        if (aside == SetAside::Never || !setAside(app, staged)) {
            discard(app, staged);
            removeJournal(app);
            return hostsResult;
        }
        report.setAside = s.paths.d05;
    }
    Outcome result = Outcome::success();
    for (const std::string& list : staged.lists) {
        if (Outcome o = commitList(app, list); !o && result)
            result = o;
    }
    app.fs.syncDirectory(platform::folderOf(s.paths.d01));
    removeJournal(app);
    if (result) {
        markWritten({ &store.hosts(), &store.wait() }, WaitFilter, -1);
        markWritten({ &store.trash() }, TrashFilter, -1);
    }
    if (!hostsResult)
        return hostsResult;
    // The hosts file holds the Hosts list now: nothing waits aside.
    forgetSetAside(app);
    return result;
}

void writeLists(App& app, SaveReport& report, SetAside aside)
{
    Staged staged;
    if (report.outcome = stage(app, report, staged); !report.outcome) {
        discard(app, staged);
        return;
    }
    report.outcome = commit(app, staged, report, aside);
}

// The files a journal may name: a journal edited by hand renames nothing
// else.
bool isJournalFile(const Paths& paths, const std::string& path)
{
    return path == paths.hostsFile.hosts || path == paths.d01 || path == paths.d02 || path == paths.d04
        || path == paths.d05;
}

} // namespace

bool SaveReport::skippedFile(const std::string& path) const
{
    return std::find(skipped.begin(), skipped.end(), path) != skipped.end();
}

std::string SaveReport::message() const
{
    if (!outcome) {
        if (setAside.empty())
            return outcome.message();
        return outcome.message() + "\n\nNothing is lost: the Hosts list is kept in \"" + setAside
            + "\", and Quillon writes it to the hosts file at the next save that can.";
    }
    std::string text;
    for (const std::string& why : skippedWhy) {
        if (!text.empty())
            text += "\n";
        text += why;
    }
    return text;
}

SaveReport writeAllLists(App& app, SetAside aside)
{
    SaveReport report;
    setActivityIndicator(app, ActivitySaving);
    writeLists(app, report, aside);
    if (report.outcome) {
        app.state.store.setPendingChanges(0);
        app.state.saveSoon = false;
    }
    if (report.complete())
        app.state.shownAutoSaveFailure.clear();
    // Only AutoSave holds back after a refusal; any other save asks again and
    // says anew whether it was allowed.
    app.state.helperNotAuthorised = report.notAuthorised;
    app.state.refusedAtChanges = app.state.store.pendingChanges();
    setActivityIndicator(app, ActivityNone);
    return report;
}

bool saveAll(App& app)
{
    const SaveReport report = writeAllLists(app);
    if (!report.complete())
        reportError(app, report.message());
    return report.complete();
}

bool saveAndRefresh(App& app)
{
    InterfaceLockGuard lock(app);
    const bool saved = saveAll(app);
    app.state.store.hosts().notifyRebuilt();
    return saved;
}

std::optional<HostsFrame> hostsFileFrame(App& app)
{
    HostsFrameMaker frame;
    if (!app.fs.readPieces(app.state.paths.hostsFile.hosts, [&](std::string_view piece) { frame.add(piece); }))
        return std::nullopt;
    return frame.finish();
}

Outcome writeRestoreJournal(App& app, const HostsFrame& text, const ChangeEntry& entry)
{
    return writeJournalText(app, std::string(RestoreJournalWord) + "\r\n" + text.header() + "\r\n"
                                + formatChangeEntry(entry) + "\r\n" + stampLine(app.fs.stamp(app.state.paths.d04))
                                + "\r\n");
}

void removeJournal(App& app)
{
    const std::string& journal = app.state.paths.saveJournal;
    app.fs.removeFile(journal);
    app.fs.syncDirectory(platform::folderOf(journal));
}

namespace {

// A restore cut short after its journal was written: when the hosts file
// holds the text put back, the change log gets the entry the restore did not
// live to write.
Outcome finishInterruptedRestore(App& app, const std::string& journal)
{
    ProgramState& s = app.state;
    std::optional<HostsFrame> restored;
    std::optional<std::string> logStamp;
    forEachLine(journal, [&](std::string_view line) {
        if (line.starts_with(HelperJournalWord))
            restored = HostsFrame::parse(line);
        else if (line.starts_with(LogStampWord))
            logStamp = std::string(line);
    });
    const std::vector<ChangeEntry> entry = parseChangeLog(journal);
    if (!restored || entry.size() != 1)
        return Outcome::success();
    if (s.hostsThroughHelper)
        app.fs.waitForFolderWriters(s.paths.hostsFile.folder, HelperWaitMs);
    if (hostsFileFrame(app) != restored)
        return Outcome::success();
    // A log changed since the journal was written has the entry already:
    // the restore was killed after writing it, before removing the journal.
    if (!logStamp || *logStamp != stampLine(app.fs.stamp(s.paths.d04)))
        return Outcome::success();
    return appendChangeLog(app.fs, s.paths.d04, entry);
}

std::string helperSaveUnfinished(const Paths& paths)
{
    return "Quillon's last save was cut short before \"" + paths.hostsFile.hosts
        + "\" received its new text.\nThe hosts file, \"" + paths.d01 + "\" and \"" + paths.d02
        + "\" were kept as they were before that save; the changes it would have saved are lost.";
}

} // namespace

Outcome finishInterruptedSave(App& app)
{
    ProgramState& s = app.state;
    const bool hostsFolderUsable = s.hostsFolderUnsafe.empty();
    // A rewrite of /etc/hosts cut short is the helper's to finish, since
    // this user may not write the file; see finishHelperRewrite.
    Outcome result = s.hostsThroughHelper || !hostsFolderUsable ? Outcome::success()
                                                                : finishInterruptedRewrite(app.fs, s.paths.hostsFile);
    std::string journal;
    if (!app.fs.readFile(s.paths.saveJournal, journal))
        return result;
    if (journal.starts_with(RestoreJournalWord)) {
        if (hostsFolderUsable) {
            if (Outcome o = finishInterruptedRestore(app, journal); !o && result)
                result = o;
        }
        removeJournal(app);
        return result;
    }
    // A save through the helper: the lists go into place only if the helper
    // wrote the hosts text (see writeThroughHelper). A helper still at work
    // is waited for, so that its file is read whole. A hosts folder that is
    // not used any more is not touched, and the lists stay with it.
    bool keepOld = false;
    forEachLine(journal, [&](std::string_view line) {
        if (line == s.paths.hostsFile.hosts && !hostsFolderUsable) {
            keepOld = true;
            return;
        }
        if (!line.starts_with(HelperJournalWord) && !line.starts_with(OldHelperJournalWord))
            return;
        app.fs.waitForFolderWriters(s.paths.hostsFile.folder, HelperWaitMs);
        const std::optional<HostsFrame> sent = HostsFrame::parse(line);
        if (!sent || hostsFileFrame(app) != sent) {
            keepOld = true;
            if (result)
                result = Outcome::failure(helperSaveUnfinished(s.paths));
        }
    });
    // Every text the journal names was whole and synced before it was
    // written: what is still beside its file goes into place.
    forEachLine(journal, [&](std::string_view line) {
        const std::string path(line);
        if (!isJournalFile(s.paths, path) || (path == s.paths.hostsFile.hosts && !hostsFolderUsable)
            || !app.fs.fileExists(stagedName(path)))
            return;
        if (keepOld) {
            app.fs.removeFile(stagedName(path));
            return;
        }
        Outcome o = Outcome::success();
        if (!app.fs.isOwnFile(stagedName(path))) {
            o = Outcome::failure(ignoredForeignFile(stagedName(path), path));
            app.fs.removeFile(stagedName(path));
        } else if (path == s.paths.hostsFile.hosts) {
            o = commitHostsFile(app.fs, s.paths.hostsFile, s.ownHostsStamp);
        } else {
            o = commitList(app, path);
        }
        if (!o && result)
            result = o;
    });
    app.fs.syncDirectory(platform::folderOf(s.paths.d01));
    removeJournal(app);
    return result;
}

void rememberListTexts(App& app, bool hostsAndWait, bool trash)
{
    ProgramState& s = app.state;
    const HostStore& store = s.store;
    if (hostsAndWait) {
        // A hosts folder others may write is not even looked at.
        readKeptHostsLines(app);
        s.knownHosts = { s.hostsFolderUnsafe.empty() ? app.fs.stamp(s.paths.hostsFile.hosts) : platform::FileStamp {},
                         frameOf(hostsText(app)) };
        s.knownD01 = { app.fs.stamp(s.paths.d01), frameOf(ListFileText({ &store.hosts(), &store.wait() }, WaitFilter, -1)) };
    }
    if (trash)
        s.knownD02 = { app.fs.stamp(s.paths.d02), frameOf(ListFileText({ &store.trash() }, TrashFilter, -1)) };
}

Outcome finishHelperRewrite(App& app)
{
    ProgramState& s = app.state;
    if (!throughHelper(app))
        return Outcome::success();
    app.fs.waitForFolderWriters(s.paths.hostsFile.folder, HelperWaitMs);
    if (!rewriteLeftUnfinished(app.fs, s.paths.hostsFile))
        return Outcome::success();
    const platform::HostsWriteResult finished = app.hostsWriter->finishRewrite();
    if (finished.ok())
        return Outcome::success();
    return Outcome::failure("\"" + s.paths.hostsFile.hosts
                            + "\" is not whole: a rewrite of it was cut short and could not be finished.\n"
                            + finished.message);
}

void autoSaveAndRefresh(App& app)
{
    ProgramState& s = app.state;
    // No authorisation prompt at every tick after a refusal: only a change
    // to the Hosts list (or a save by hand) is reason to ask again.
    if (s.helperNotAuthorised && s.store.pendingChanges() <= s.refusedAtChanges)
        return;
    InterfaceLockGuard lock(app);
    const SaveReport report = writeAllLists(app);
    s.store.hosts().notifyRebuilt();
    if (report.complete())
        return;
    // A folder that refuses every save would otherwise raise the same box at
    // every tick of the file timer.
    std::string message = report.message();
    if (message == s.shownAutoSaveFailure)
        return;
    s.shownAutoSaveFailure = message;
    if (report.notAuthorised)
        message += "\nAutoSave will not ask again until the Hosts list changes or you save with File > Save.";
    reportError(app, message);
}

} // namespace quillon::core
