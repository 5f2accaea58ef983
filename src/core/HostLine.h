#pragma once
// The host line: the one text line format shared by the hosts file, the list
// files and host list files. As written:
//
//   IP SP HostName SP Alias SP #Quillon|YYYY/MM/DD|hh.mm.ss|S|F#
//
// with "0" for an empty IP and two spaces before the marker when the alias is
// empty. As read, any hosts-file line works: address, name, further names (the
// alias), and a "#" comment; only a comment token beginning "#Quillon" is read
// as the record marker.

#include "core/HostRecord.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::core {

// Reads one line (without its line end) into a new record with the given
// default status. The host name is empty when the line has none.
TRecHost readHostLine(std::string_view line, std::int32_t defaultStatus);
// The same into r, which must be a fresh record.
void readHostLine(std::string_view line, std::int32_t defaultStatus, TRecHost& r);

// True when r can stand on one host line that the system reads as its
// address and names and nothing else: a name without blanks, control
// characters or "#", an address a host line may carry (or none), and an
// alias without control characters or "#".
bool isWritableHostRecord(const TRecHost& r);

// Appends the host line of r, without a line end, writing `status` in the
// marker in place of r.Status. A record that is not writable (see above) is
// never written, wherever it came from: nothing is appended and the answer
// is false.
bool appendHostLine(std::string& out, const TRecHost& r, std::int32_t status);
inline bool appendHostLine(std::string& out, const TRecHost& r) { return appendHostLine(out, r, r.Status); }
// The line of r; empty for a record that is not writable.
std::string formatHostLine(const TRecHost& r);

// True when line (without its line end) is one the program writes: no
// control character, and the record marker, exactly as appendHostLine
// writes it for what the line reads as, where the resolver's comment
// begins.
bool isWrittenHostLine(std::string_view line);
// The same when the line has been read already: asRead is
// readHostLine(line, ...).
bool isWrittenHostLine(std::string_view line, const TRecHost& asRead);

// Calls f(name) for the host name of r and each name of its alias.
template <typename F>
void forEachName(const TRecHost& r, F&& f)
{
    f(std::string_view(r.HostName));
    std::string_view rest = r.Alias;
    while (!rest.empty()) {
        const std::size_t blank = rest.find(' ');
        f(rest.substr(0, blank));
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
}

// Calls f(line, number) for each line of a hosts text as the system's
// resolver splits it (LF or CR LF ends a line; a lone CR is part of the
// line), numbered from 1, until f returns true; returns that line's number,
// or 0 when f never did.
template <typename F>
std::size_t firstResolverLineWhere(std::string_view text, F&& f)
{
    std::size_t number = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        ++number;
        std::size_t end = text.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (end < text.size() && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (f(line, number))
            return number;
        pos = next;
    }
    return 0;
}

// A date and time as the record marker writes them: YYYY/MM/DD, then
// between, then hh.mm.ss.
std::string listFileDateTime(TDateTime date, char between);

// A strict decimal integer with an optional sign that fits 32 bits.
bool parseInt32(std::string_view text, std::int32_t& value);

} // namespace quillon::core
