#pragma once
// The change log Quillon.d04: what each save did to the hosts file, one line
// per change, beside the other list files:
//
//   DATE TAB TIME TAB OP TAB NAME TAB ADDRESS [TAB OLD ADDRESS]
//
// with the date and time as the record marker writes them (YYYY/MM/DD,
// hh.mm.ss) and OP "+" (a name added), "-" (removed), "~" (its address
// changed: OLD ADDRESS is the one before), or "=" (the hosts file put back
// from the kept copy NAME, hosts.orig or hosts.bak; no address). Only its
// newest lines are kept, at most ChangeLogMaxLines and ChangeLogMaxBytes, and
// only the last ChangeLogMaxBytes of the file are ever read: a log grown
// huge by hand or by another program costs no more than that, and the next
// write drops the rest and every line that is no entry.
//
// The lines of a save are found by comparing what the hosts file held with
// what the save writes, name and address by name and address (letter case
// of names ignored). What it held is kept as a snapshot of hashes, 16 bytes
// a line, so that a million-line hosts file costs little; the names and
// addresses of lines gone are read back from the file before it is
// replaced, only when there are such lines.

#include "core/DateTime.h"
#include "core/HostStore.h"
#include "core/Outcome.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::core {

inline constexpr std::size_t ChangeLogMaxLines = 10000;
inline constexpr std::size_t ChangeLogMaxBytes = std::size_t { 4 } << 20;

struct ChangeEntry {
    std::string date; // YYYY/MM/DD
    std::string time; // hh.mm.ss
    char op = '+';
    std::string name;
    std::string address;
    std::string oldAddress; // "~" only

    bool operator==(const ChangeEntry&) const = default;
};

// The entries of a log text, oldest first; a line that is no entry is left
// out.
std::vector<ChangeEntry> parseChangeLog(std::string_view text);
// One line, without its line end.
std::string formatChangeEntry(const ChangeEntry& entry);
// The log as it is to be written: the entries of oldText as they stand, then
// added; the newest whole lines of those, at most ChangeLogMaxLines lines and
// ChangeLogMaxBytes bytes, each ending with CR LF.
std::string changeLogText(std::string_view oldText, const std::vector<ChangeEntry>& added);
// The text of the log at path as far as it is ever read: its last
// ChangeLogMaxBytes, from the first line that begins there. No log is an
// empty text; a log that cannot be read fails with the system's reason.
platform::Status readChangeLogTail(platform::FileSystem& fs, const std::string& path, std::string& text);
// The entry that notes a kept copy put back (keptCopy: "hosts.orig").
ChangeEntry restoreEntry(TDateTime when, const std::string& keptCopy);

// The date and time of an entry as a date-time value, to be shown in the
// lists' form; nothing when the log does not hold a valid one there (a log
// edited by hand).
std::optional<TDateTime> entryDateTime(const ChangeEntry& entry);

// The indexes of entries, newest first, whose name holds filter (letter
// case ignored; every entry for an empty filter).
std::vector<std::size_t> newestFirst(const std::vector<ChangeEntry>& entries, std::string_view filter);

// What a hosts file holds, name and address by name and address, hashed.
class HostsSnapshot {
public:
    struct Line {
        std::uint64_t name = 0;    // hashIgnoreCase of the name
        std::uint64_t address = 0; // of the address as written ("0" for none)
        bool operator<(const Line& o) const { return name != o.name ? name < o.name : address < o.address; }
        bool operator==(const Line&) const = default;
    };

    // The lists as a save writes them into the hosts file.
    static HostsSnapshot ofHostsList(const HostStore& store);
    // A hosts file as the program reads it (lines without a name left out).
    static platform::Status ofFile(platform::FileSystem& fs, const std::string& path, HostsSnapshot& out);

    const std::vector<Line>& lines() const { return m_lines; } // sorted

private:
    std::vector<Line> m_lines;
};

// The changes from the hosts file at hostsPath (whose snapshot is before) to
// the lists of store (whose snapshot is after), dated when: at most the last
// ChangeLogMaxLines of them, as only those are kept. The file is read only
// for the names and addresses of lines it loses or changes.
std::vector<ChangeEntry> hostsChanges(const HostsSnapshot& before, const HostsSnapshot& after, const HostStore& store,
                                      platform::FileSystem& fs, const std::string& hostsPath, TDateTime when);

// The entries of the log at path (of its tail, see readChangeLogTail),
// oldest first; none when there is no log. A log that cannot be read is a
// failure that says why.
Outcome readChangeLog(platform::FileSystem& fs, const std::string& path, std::vector<ChangeEntry>& entries);

// Appends entries to the log at path, through a temporary file and a rename;
// a log that exists but cannot be read is left as it is, with the reason.
Outcome appendChangeLog(platform::FileSystem& fs, const std::string& path, const std::vector<ChangeEntry>& entries);

} // namespace quillon::core
