#include "core/CurrentHostsLines.h"

#include "core/FileErrors.h"
#include "core/HostLine.h"
#include "core/HostName.h"
#include "core/ListFile.h"
#include "core/SystemHostLines.h"

#include <algorithm>

namespace quillon::core {

namespace {

bool isBlankOrComment(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == '#';
}

// The address and names of a line, as the resolver reads them.
std::string lineKey(const TRecHost& r)
{
    std::string key = r.IP + " " + r.HostName;
    if (!r.Alias.empty())
        key += " " + r.Alias;
    return key;
}

} // namespace

CurrentHostsLines::CurrentHostsLines(std::string_view ownName)
    : m_ownName(ownName)
{
}

void CurrentHostsLines::readLine(std::string_view line)
{
    if (isBlankOrComment(line)) {
        m_head.emplace_back(line);
        m_headKeys.emplace_back();
        return;
    }
    const TRecHost r = readHostLine(line, StatusSaved);
    // A line the program cannot write (an address with a zone) is not one
    // the helper keeps either.
    if (r.HostName.empty() || !isWritableHostRecord(r))
        return;
    if (isSystemHostLine(r, m_ownName)) {
        m_head.emplace_back(line);
        m_headKeys.push_back(lineKey(r));
        forEachName(r, [&](std::string_view name) { m_systemNames.insert(toLowerAscii(name)); });
        if (r.IP.starts_with("127.") && r.IP != "127.0.0.1" && !isSystemHostLine(r, ""))
            m_ownNameAddresses.insert(r.IP);
        return;
    }
    // Lines the program writes the same way need not be held: a blocklist
    // costs nothing here.
    if (line.find("#Quillon") != std::string_view::npos || line == lineKey(r))
        return;
    m_handWritten.emplace(r.HostName, line);
}

bool CurrentHostsLines::isSystemName(std::string_view name) const
{
    return m_systemNames.count(toLowerAscii(name)) != 0 || isReservedHostName(name, m_ownName);
}

bool CurrentHostsLines::isSystemRecord(const TRecHost& r) const
{
    bool system = false;
    forEachName(r, [&](std::string_view name) { system = system || isSystemName(name); });
    return system;
}

const std::string* CurrentHostsLines::handWrittenLine(const TRecHost& r) const
{
    if (r.Date != 0 || r.Freq != 0)
        return nullptr;
    const auto found = m_handWritten.find(r.HostName);
    if (found == m_handWritten.end())
        return nullptr;
    const TRecHost asRead = readHostLine(found->second, StatusSaved);
    return asRead.IP == r.IP && asRead.Alias == r.Alias ? &found->second : nullptr;
}

std::string CurrentHostsLines::withSystemLines(std::string_view copy) const
{
    // The copy's lines with their own line ends, so that what stays is kept
    // byte for byte. A system line of the copy (or one naming a system name)
    // stays only when this file has the same line (the same address and
    // names).
    struct CopyLine {
        std::string_view text;
        std::string_view end;
        bool system = false;
        bool kept = true;
    };
    std::vector<CopyLine> lines;
    std::vector<bool> used(m_head.size(), false);
    for (std::size_t pos = 0; pos < copy.size();) {
        const std::size_t stop = std::min(copy.find_first_of("\r\n", pos), copy.size());
        const std::size_t next
            = std::min(copy.size(), copy.compare(stop, 2, "\r\n") == 0 ? stop + 2 : stop + 1);
        CopyLine l { copy.substr(pos, stop - pos), copy.substr(stop, next - stop) };
        pos = next;
        if (!isBlankOrComment(l.text)) {
            const TRecHost r = readHostLine(l.text, StatusSaved);
            if (!r.HostName.empty()
                && (isSystemHostLine(r, m_ownName) || isSystemRecord(r) || m_ownNameAddresses.count(r.IP))) {
                l.system = true;
                l.kept = false;
                const std::string key = lineKey(r);
                for (std::size_t h = 0; h < m_head.size() && !l.kept; ++h) {
                    if (!used[h] && m_headKeys[h] == key)
                        used[h] = l.kept = true;
                }
            }
        }
        lines.push_back(l);
    }
    const std::string_view lineEnd = lines.empty() || lines.front().end.empty() ? "\n" : lines.front().end;
    std::string text;
    text.reserve(copy.size());
    bool restPlaced = false;
    // This file's system lines that the copy lacks stand where the copy's
    // first system line stood, or at the top.
    auto placeRest = [&] {
        restPlaced = true;
        for (std::size_t h = 0; h < m_head.size(); ++h) {
            if (!used[h] && !m_headKeys[h].empty())
                text.append(m_head[h]).append(lineEnd);
        }
    };
    if (std::none_of(lines.begin(), lines.end(), [](const CopyLine& l) { return l.system; }))
        placeRest();
    for (const CopyLine& l : lines) {
        if (l.kept)
            text.append(l.text).append(l.end.empty() && l.system && !restPlaced ? lineEnd : l.end);
        if (l.system && !restPlaced)
            placeRest();
    }
    return text;
}

Outcome readCurrentHostsLines(platform::FileSystem& fs, const std::string& path, std::string_view ownName,
                              CurrentHostsLines& lines)
{
    lines = CurrentHostsLines(ownName);
    if (!fs.stamp(path).exists)
        return Outcome::success();
    if (platform::Status s = readListFileLines(fs, path, [&](std::string_view line) { lines.readLine(line); }); !s) {
        lines = CurrentHostsLines(ownName);
        return Outcome::failure(cannotOpenFile(path, s));
    }
    return Outcome::success();
}

} // namespace quillon::core
