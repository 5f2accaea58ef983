#pragma once
// The IPv4 lines of a hosts file as the C library's "files" source reads
// them for a lookup of IPv4 addresses: a name (or alias, letter case
// ignored) has the addresses of every line that names it, in the file's
// order; "#" starts a comment; IPv6 lines and lines whose first word is no
// dotted IPv4 address give nothing.
//
// The file is read again whenever it changed (identity, size, modification
// or change time to the nanosecond), so that a lookup right after a save
// sees the saved file; otherwise it is read once, not once per name: a
// blocklist of 177,767 lines read for each of 1,000 names would be minutes
// of parsing. Not safe for two threads at once.

#include "platform/Resolver.h"

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

namespace quillon::platform {

class HostsTable {
public:
    explicit HostsTable(std::string path);

    // The addresses of name; none when the file lacks it or cannot be read.
    std::vector<IPv4> lookup(std::string_view name);

    // The table of a hosts file's text.
    static std::unordered_map<std::string, std::vector<IPv4>> parse(std::string_view text);

private:
    void refresh();

    std::string m_path;
    bool m_read = false;
    struct stat m_stamp {};
    std::unordered_map<std::string, std::vector<IPv4>> m_names; // lower-case names
};

} // namespace quillon::platform
