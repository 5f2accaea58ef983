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

#include "core/CurrentHostsLines.h"
#include "core/HostStore.h"
#include "core/Outcome.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <functional>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::core {

// Calls f(line) for each line of text.
template <typename F>
void forEachLine(std::string_view text, F&& f);

// Splits text that arrives in pieces into exactly the lines forEachLine
// gives for the whole text: a line end split between two pieces, and a
// Ctrl-Z, count as they do there. Only the unfinished last line is held.
template <typename F>
class PieceLines {
public:
    explicit PieceLines(F f) : m_f(std::move(f)) {}
    void feed(std::string_view piece);
    // Gives the last line when the text did not end with a line end.
    void finish();

private:
    F m_f;
    std::string m_carry;
    bool m_ended = false;
};

// Turns lines of a list file into records, skipping lines without a host
// (see parseListText).
class ListRecordReader {
public:
    ListRecordReader(std::int32_t forcedStatus, std::vector<std::uint64_t>* hashes)
        : m_forcedStatus(forcedStatus), m_hashes(hashes)
    {
    }
    void line(std::string_view line);
    RecordList take() { return std::move(m_records); }

private:
    std::int32_t m_forcedStatus;
    std::vector<std::uint64_t>* m_hashes;
    RecordList m_records;
    RecordPtr m_spare; // reused for lines without a host
};

// The records of a list file's text. forcedStatus >= 0 replaces every
// record's status; -1 keeps the status read from each line. With hashes,
// the index hash of each record's name is worked out while it is at hand.
RecordList parseListText(std::string_view text, std::int32_t forcedStatus,
                         std::vector<std::uint64_t>* hashes = nullptr);

// Calls take(line) for each line of the file at path, exactly as loading a
// list file splits it (see forEachLine), without holding the whole text.
platform::Status readListFileLines(platform::FileSystem& fs, const std::string& path,
                                   const std::function<void(std::string_view line)>& take);

// Reads a file; a missing file gives empty text and success.
Outcome readListFileText(platform::FileSystem& fs, const std::string& path, std::string& text);
// Reads the records of a list file as parseListText reads its text, without
// holding the whole text; a missing file gives none and success, a failed
// read none and the failure.
Outcome readListFileRecords(platform::FileSystem& fs, const std::string& path, std::int32_t forcedStatus,
                            RecordList& records, std::vector<std::uint64_t>* hashes = nullptr);

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
// The same text given out in pieces of whole lines, about PieceBytes each,
// for FileSystem::writeFilePieces. The records must not change until the
// last piece is given. For the hosts file, kept names what the current file
// keeps: its head first, then the records, those of the system's lines
// left out and hand-written lines as they stand.
class ListFileText {
public:
    static constexpr std::size_t PieceBytes = 1 << 20;

    ListFileText(std::vector<const HostSequence*> parts, StatusFilter filter, std::int32_t newStatus,
                 const CurrentHostsLines* kept = nullptr)
        : m_parts(std::move(parts)), m_filter(filter), m_newStatus(newStatus), m_kept(kept)
    {
    }
    // Appends the next piece; false when it appended the last one.
    bool next(std::string& piece);

private:
    std::vector<const HostSequence*> m_parts;
    StatusFilter m_filter;
    std::int32_t m_newStatus;
    const CurrentHostsLines* m_kept;
    bool m_headGiven = false;
    std::size_t m_part = 0;
    std::size_t m_row = 0;
};
// Applies what writing a list file does to the written records: their status
// becomes newStatus (when >= 0) and an empty IP becomes "0".
void markWritten(const std::vector<HostSequence*>& parts, StatusFilter filter, std::int32_t newStatus);
// Writes a host list file the person chose (writeChosenFile) and then marks
// the records written.
Outcome writeListFile(platform::FileSystem& fs, const std::string& path,
                      const std::vector<HostSequence*>& parts, StatusFilter filter, std::int32_t newStatus);
// Writes text to path through path + ".tmp" (synced) and a rename, and syncs
// the folder, so that the new file is on disk when this returns. The file is
// readable by its owner only, or, when attributesOf names a file, takes that
// file's attributes before it is renamed into place.
Outcome writeFileReplacing(platform::FileSystem& fs, const std::string& path, std::string_view text,
                           const std::string& attributesOf = {});
// The same for a file the person chose, whose folder may hold anything (and
// others may write): the temporary file gets a name no one can foresee, and
// the file keeps the attributes of the one it replaces, or is readable by all
// when new, as files a person saves are.
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

template <typename F>
void PieceLines<F>::feed(std::string_view piece)
{
    if (m_ended)
        return;
    if (const auto eof = piece.find('\x1a'); eof != std::string_view::npos) {
        piece = piece.substr(0, eof);
        m_ended = true;
    }
    // The held text has no line end in it but perhaps a final CR; only the
    // new piece is searched, so that a file of one endless line still takes
    // time in step with its size. Whole lines end at the last LF, or failing
    // one at the last CR that is not the final byte (a CR there may be the
    // first half of CR LF).
    const std::size_t held = m_carry.size();
    std::size_t whole = 0; // bytes of held text and piece that make whole lines
    if (!piece.empty()) {
        const std::size_t lf = piece.rfind('\n');
        const std::size_t cr = piece.substr(0, piece.size() - 1).rfind('\r');
        const std::size_t end = std::max(lf == std::string_view::npos ? 0 : lf + 1,
                                         cr == std::string_view::npos ? 0 : cr + 1);
        if (end > 0)
            whole = held + end;
        else if (held > 0 && m_carry.back() == '\r')
            whole = held; // the held CR is followed by something other than LF
    }
    if (held == 0) {
        if (whole > 0)
            forEachLine(piece.substr(0, whole), m_f);
        m_carry.assign(piece.substr(whole));
    } else if (whole == 0) {
        m_carry.append(piece);
    } else {
        m_carry.append(piece.substr(0, whole - held));
        forEachLine(m_carry, m_f);
        m_carry.assign(piece.substr(whole - held));
    }
    if (m_ended)
        finish();
}

template <typename F>
void PieceLines<F>::finish()
{
    if (!m_carry.empty())
        forEachLine(m_carry, m_f);
    m_carry.clear();
}

} // namespace quillon::core
