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

// Appends the host line of r, without a line end, writing `status` in the
// marker in place of r.Status.
void appendHostLine(std::string& out, const TRecHost& r, std::int32_t status);
inline void appendHostLine(std::string& out, const TRecHost& r) { appendHostLine(out, r, r.Status); }
std::string formatHostLine(const TRecHost& r);

// A strict decimal integer with an optional sign that fits 32 bits.
bool parseInt32(std::string_view text, std::int32_t& value);

} // namespace quillon::core
