#pragma once
// What a new hosts text keeps of the current file, whatever the Hosts list
// holds:
//
//  - its comment and blank lines and the system's own lines (see
//    isSystemHostLine), byte for byte and in their order, at the top: the
//    list may have dropped a second line of the own name at loading, or its
//    localhost row, and the helper refuses any text without them;
//  - a host line the person wrote by hand (tabs, several blanks, a comment
//    after the names), as written, for as long as the list holds its host as
//    the line reads: never verified, never visited, same address and names.
//
// A line the program wrote (with the record marker), or one it writes the
// same way, needs nothing kept: the list holds it whole.

#include "core/HostRecord.h"
#include "core/Outcome.h"
#include "platform/FileSystem.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quillon::core {

class CurrentHostsLines {
public:
    CurrentHostsLines() = default;
    // ownName: the machine's host name, empty when unknown.
    explicit CurrentHostsLines(std::string_view ownName);

    // Reads the file's lines one after the other.
    void readLine(std::string_view line);

    // The comment, blank and system lines, without line ends.
    const std::vector<std::string>& head() const { return m_head; }
    // True when a name of r is one only the system's lines may carry: a
    // name on one of them, or a reserved name (isReservedHostName). Such a
    // record is never written as a line of its own.
    bool isSystemRecord(const TRecHost& r) const;
    // The line as the file holds it when r is still what that hand-written
    // line says; nullptr when r is written as the program writes it.
    const std::string* handWrittenLine(const TRecHost& r) const;
    // The text of a kept copy (hosts.orig, hosts.bak) with the system lines
    // of this file in place of its own: a copy made before the machine was
    // renamed, or before its IPv6 lines changed, would otherwise put the old
    // ones back, or be refused. The copy's line at the loopback address the
    // own name stands on here (127.0.1.1 on Debian) counts as its own-name
    // line. The copy's other lines stay as they are, byte for byte.
    std::string withSystemLines(std::string_view copy) const;

    const std::string& ownName() const { return m_ownName; }

private:
    bool isSystemName(std::string_view name) const;

    std::string m_ownName;
    std::vector<std::string> m_head;
    std::vector<std::string> m_headKeys; // address and names of a system line, empty for the others
    std::unordered_set<std::string> m_systemNames; // lower case
    std::unordered_set<std::string> m_ownNameAddresses; // loopback ones but 127.0.0.1
    std::unordered_map<std::string, std::string> m_handWritten; // host name -> its line
};

// The kept lines of the hosts file at path; a missing file keeps none.
Outcome readCurrentHostsLines(platform::FileSystem& fs, const std::string& path, std::string_view ownName,
                              CurrentHostsLines& lines);

} // namespace quillon::core
