#pragma once
// The links of an HTML file read line by line: the first link of the wanted
// kind on each line, compared in exact letter case, gives a candidate host.
// Memory stays bounded whatever the file's size.

#include "core/HostSequence.h"
#include "platform/FileSystem.h"

#include <string>
#include <string_view>

namespace quillon::capture {

enum class LinkKind {
    Bookmark = 1,     // <A HREF="URL"
    CacheListing = 2, //  HREF="about:URL"
};

// The address of the first link of kind on line; empty when there is none.
std::string_view linkOnLine(std::string_view line, LinkKind kind);

// Appends a candidate for each line whose link gives a host name.
platform::Status ScanLinks(platform::FileSystem& fs, const std::string& path, core::RecordList& candidates,
                           LinkKind kind);

// A new candidate carrying only its host name.
core::RecordPtr candidateFor(std::string host);

} // namespace quillon::capture
