#pragma once
// Loading and writing the list files: the hosts file (the Hosts list), the
// Wait list and Trash files, host list files, and the plain Ignore list file.
//
// Reading: a line ends at CR, CR LF or a lone LF; Ctrl-Z ends the file. Lines
// without a host name are skipped, and so are names that could not stand on
// a hosts file line (see isUnsafeHostName). A file that does not exist is an
// empty list; one that exists but cannot be read is an error with the
// system's reason. Writing: CR LF line ends; the new file replaces the old one
// in one step, so a failed write leaves the old file whole.

#include "core/HostStore.h"
#include "core/Outcome.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::core {

// Calls f(line) for each line of text.
template <typename F>
void forEachLine(std::string_view text, F&& f);

// The records of a list file's text. forcedStatus >= 0 replaces every
// record's status; -1 keeps the status read from each line. With hashes,
// the index hash of each record's name is worked out while it is at hand.
RecordList parseListText(std::string_view text, std::int32_t forcedStatus,
                         std::vector<std::uint64_t>* hashes = nullptr);

// Reads a file; a missing file gives empty text and success.
Outcome readListFileText(platform::FileSystem& fs, const std::string& path, std::string& text);

// Loads path into the active list with the given forced status (1: the Hosts
// list, 0: the Wait list), dropping lines whose name the active list already
// holds byte for byte: the first occurrence wins.
Outcome loadIntoActive(platform::FileSystem& fs, const std::string& path, HostStore& store, std::int32_t forcedStatus);
// Loads path into the Trash keeping each line's status, without a duplicate
// check. A status that is not a valid code becomes Waiting, so that every
// record has a row and a restore sends it to the Wait list.
Outcome loadIntoTrash(platform::FileSystem& fs, const std::string& path, HostStore& store);

// The text of a list file: the host lines of the records that pass filter, in
// order, each with newStatus (>= 0) or its own status (-1).
std::string formatListFile(const std::vector<const HostSequence*>& parts, StatusFilter filter,
                           std::int32_t newStatus);
// Applies what writing a list file does to the written records: their status
// becomes newStatus (when >= 0) and an empty IP becomes "0".
void markWritten(const std::vector<HostSequence*>& parts, StatusFilter filter, std::int32_t newStatus);
// Writes a host list file the person chose (writeChosenFile) and then marks
// the records written.
Outcome writeListFile(platform::FileSystem& fs, const std::string& path,
                      const std::vector<HostSequence*>& parts, StatusFilter filter, std::int32_t newStatus);
// Writes text to path through path + ".tmp" (synced) and a rename, and syncs
// the folder, so that the new file is on disk when this returns.
Outcome writeFileReplacing(platform::FileSystem& fs, const std::string& path, std::string_view text);
// The same for a file the person chose, whose folder may hold anything: the
// temporary file gets a name of its own that no file there has.
Outcome writeChosenFile(platform::FileSystem& fs, const std::string& path, std::string_view text);

// The Ignore list file: one name per line; blank lines are skipped.
Outcome loadIgnoreFile(platform::FileSystem& fs, const std::string& path, std::vector<std::string>& names);
Outcome writeIgnoreFile(platform::FileSystem& fs, const std::string& path, const std::vector<std::string>& names);

template <typename F>
void forEachLine(std::string_view text, F&& f)
{
    if (const auto eof = text.find('\x1a'); eof != std::string_view::npos)
        text = text.substr(0, eof);
    const std::size_t n = text.size();
    // The next CR and the next LF, each found with a fast search and only
    // searched again once the scan has passed it.
    std::size_t cr = text.find('\r');
    std::size_t lf = text.find('\n');
    std::size_t pos = 0;
    while (pos < n) {
        if (cr < pos)
            cr = text.find('\r', pos);
        if (lf < pos)
            lf = text.find('\n', pos);
        std::size_t end = cr < lf ? cr : lf;
        if (end == std::string_view::npos)
            end = n;
        f(text.substr(pos, end - pos));
        if (end < n && text[end] == '\r' && end + 1 < n && text[end + 1] == '\n')
            ++end;
        pos = end + 1;
    }
}

} // namespace quillon::core
