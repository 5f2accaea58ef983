#include "core/ChangeLog.h"

#include "core/FileErrors.h"
#include "core/HostLine.h"
#include "core/HostName.h"
#include "core/ListFile.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <optional>
#include <unordered_map>

namespace quillon::core {

namespace {

std::uint64_t hashText(std::string_view text)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ULL;
    }
    return h;
}

// The address as a hosts file line holds it.
std::string_view writtenAddress(const TRecHost& r)
{
    return r.IP.empty() ? std::string_view("0") : std::string_view(r.IP);
}

HostsSnapshot::Line lineOf(const TRecHost& r)
{
    return { hashIgnoreCase(r.HostName), hashText(writtenAddress(r)) };
}

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return out;
        start = tab + 1;
    }
}

// A name or address read from the hosts file as the log can hold it: a
// control character (a Ctrl-Z, a lone CR) would end or break its line.
std::string logField(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    return out;
}

// The records a save writes into the hosts file, in its order: both active
// lists but their waiting hosts, as the hosts text takes them; until fn
// returns false.
template<typename Fn>
void forEachHostsFileRecord(const HostStore& store, Fn&& fn)
{
    for (const HostSequence* list : { &store.hosts(), &store.wait() }) {
        for (const auto& r : *list) {
            if (r->Status != StatusWaiting && isWritableHostRecord(*r) && !fn(*r))
                return;
        }
    }
}

// A sorted multiset of lines from which each line can be taken once, in
// logarithmic time (a vector's erase would make a large save quadratic).
class LinePool {
public:
    explicit LinePool(std::vector<HostsSnapshot::Line> lines)
        : m_lines(std::move(lines))
        , m_next(m_lines.size())
        , m_left(m_lines.size())
    {
        // m_next[i]: the first untaken line from i on among those equal to
        // line i (path halving keeps the chains short).
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            m_next[i] = i;
    }
    bool empty() const { return m_lines.empty(); }
    std::size_t left() const { return m_left; }
    bool take(const HostsSnapshot::Line& l)
    {
        const auto it = std::lower_bound(m_lines.begin(), m_lines.end(), l);
        if (it == m_lines.end() || !(*it == l))
            return false;
        std::size_t i = find(static_cast<std::size_t>(it - m_lines.begin()));
        if (i == m_lines.size() || !(m_lines[i] == l))
            return false;
        m_next[i] = i + 1;
        --m_left;
        return true;
    }

private:
    std::size_t find(std::size_t i)
    {
        while (i < m_lines.size() && m_next[i] != i) {
            const std::size_t n = m_next[i];
            m_next[i] = n < m_lines.size() ? m_next[n] : n;
            i = n;
        }
        return i;
    }

    std::vector<HostsSnapshot::Line> m_lines;
    std::vector<std::size_t> m_next;
    std::size_t m_left;
};

bool isAllowedOp(std::string_view op)
{
    return op == "+" || op == "-" || op == "~" || op == "=";
}

// True when text has the shape of pattern, each "N" a digit ("NNNN/NN/NN").
bool hasShape(std::string_view text, std::string_view pattern)
{
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == 'N' ? !digit : text[i] != pattern[i])
            return false;
    }
    return true;
}

// The fields of a line that is an entry of the log, or nothing.
std::optional<std::vector<std::string_view>> entryFields(std::string_view line)
{
    std::vector<std::string_view> f = fields(line);
    if (f.size() < 5 || f.size() > 6 || !hasShape(f[0], "NNNN/NN/NN") || !hasShape(f[1], "NN.NN.NN")
        || !isAllowedOp(f[2]) || f[3].empty())
        return std::nullopt;
    return f;
}

} // namespace

std::vector<ChangeEntry> parseChangeLog(std::string_view text)
{
    std::vector<ChangeEntry> entries;
    forEachLine(text, [&](std::string_view line) {
        const auto f = entryFields(line);
        if (!f)
            return;
        ChangeEntry e { std::string((*f)[0]), std::string((*f)[1]), (*f)[2].front(), std::string((*f)[3]),
                        std::string((*f)[4]), {} };
        if (f->size() == 6)
            e.oldAddress = std::string((*f)[5]);
        entries.push_back(std::move(e));
    });
    return entries;
}

std::string formatChangeEntry(const ChangeEntry& e)
{
    std::string line = e.date + '\t' + e.time + '\t' + e.op + '\t' + e.name + '\t' + e.address;
    if (e.op == '~')
        line += '\t' + e.oldAddress;
    return line;
}

std::string changeLogText(std::string_view oldText, const std::vector<ChangeEntry>& added)
{
    std::vector<std::string_view> oldLines;
    forEachLine(oldText, [&](std::string_view line) {
        if (entryFields(line))
            oldLines.push_back(line);
    });
    // From the newest line back, as many as both limits let in.
    constexpr std::size_t LineEnd = 2;
    std::size_t lines = 0;
    std::size_t bytes = 0;
    const auto fits = [&](std::size_t size) {
        if (lines == ChangeLogMaxLines || size + LineEnd > ChangeLogMaxBytes - bytes)
            return false;
        ++lines;
        bytes += size + LineEnd;
        return true;
    };
    std::vector<std::string> newest; // of added, newest first
    for (std::size_t i = added.size(); i-- > 0;) {
        std::string line = formatChangeEntry(added[i]);
        if (!fits(line.size()))
            break;
        newest.push_back(std::move(line));
    }
    std::size_t firstOld = oldLines.size();
    if (newest.size() == added.size()) {
        while (firstOld > 0 && fits(oldLines[firstOld - 1].size()))
            --firstOld;
    }
    std::string text;
    text.reserve(bytes);
    for (std::size_t i = firstOld; i < oldLines.size(); ++i) {
        text += oldLines[i];
        text += "\r\n";
    }
    for (auto it = newest.rbegin(); it != newest.rend(); ++it) {
        text += *it;
        text += "\r\n";
    }
    return text;
}

platform::Status readChangeLogTail(platform::FileSystem& fs, const std::string& path, std::string& text)
{
    // One byte more than is kept: when the byte before the kept bytes ends a
    // line, the first kept line is whole.
    bool whole = true;
    platform::Status s = fs.readTail(path, ChangeLogMaxBytes + 1, text, whole);
    if (!s) {
        text.clear();
        return s.code() == ENOENT ? platform::Status::ok() : s;
    }
    if (!whole) {
        const std::size_t end = text.find_first_of("\r\n");
        text.erase(0, end == std::string::npos ? text.size() : end + 1);
    }
    return s;
}

ChangeEntry restoreEntry(TDateTime when, const std::string& keptCopy)
{
    const std::string stamp = listFileDateTime(when, '\t');
    const std::size_t tab = stamp.find('\t');
    return { stamp.substr(0, tab), stamp.substr(tab + 1), '=', keptCopy, {}, {} };
}

std::optional<TDateTime> entryDateTime(const ChangeEntry& entry)
{
    // YYYY/MM/DD and hh.mm.ss, as listFileDateTime writes them.
    const std::string_view d = entry.date;
    const std::string_view t = entry.time;
    if (d.size() != 10 || d[4] != '/' || d[7] != '/' || t.size() != 8 || t[2] != '.' || t[5] != '.')
        return std::nullopt;
    const auto number = [](std::string_view digits, std::int32_t& value) {
        return digits.find_first_not_of("0123456789") == std::string_view::npos && parseInt32(digits, value);
    };
    std::int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!number(d.substr(0, 4), year) || !number(d.substr(5, 2), month) || !number(d.substr(8, 2), day)
        || !number(t.substr(0, 2), hour) || !number(t.substr(3, 2), minute) || !number(t.substr(6, 2), second))
        return std::nullopt;
    return encodeDateTime({ year, month, day, hour, minute, second, 0 });
}

std::vector<std::size_t> newestFirst(const std::vector<ChangeEntry>& entries, std::string_view filter)
{
    const std::string wanted = toLowerAscii(filter);
    std::vector<std::size_t> rows;
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (wanted.empty() || toLowerAscii(entries[i].name).find(wanted) != std::string::npos)
            rows.push_back(i);
    }
    return rows;
}

HostsSnapshot HostsSnapshot::ofHostsList(const HostStore& store)
{
    HostsSnapshot s;
    s.m_lines.reserve(store.hosts().size());
    forEachHostsFileRecord(store, [&](const TRecHost& r) {
        s.m_lines.push_back(lineOf(r));
        return true;
    });
    std::sort(s.m_lines.begin(), s.m_lines.end());
    return s;
}

platform::Status HostsSnapshot::ofFile(platform::FileSystem& fs, const std::string& path, HostsSnapshot& out)
{
    out.m_lines.clear();
    if (!fs.stamp(path).exists)
        return platform::Status::ok();
    const platform::Status s = fs.readLines(path, [&](std::string_view line) {
        const TRecHost r = readHostLine(line, StatusSaved);
        if (!r.HostName.empty())
            out.m_lines.push_back(lineOf(r));
    });
    std::sort(out.m_lines.begin(), out.m_lines.end());
    return s;
}

std::vector<ChangeEntry> hostsChanges(const HostsSnapshot& before, const HostsSnapshot& after, const HostStore& store,
                                      platform::FileSystem& fs, const std::string& hostsPath, TDateTime when)
{
    std::vector<HostsSnapshot::Line> goneSet;
    std::vector<HostsSnapshot::Line> comeSet;
    std::set_difference(before.lines().begin(), before.lines().end(), after.lines().begin(), after.lines().end(),
                        std::back_inserter(goneSet));
    std::set_difference(after.lines().begin(), after.lines().end(), before.lines().begin(), before.lines().end(),
                        std::back_inserter(comeSet));
    LinePool gone(std::move(goneSet));
    LinePool come(std::move(comeSet));
    if (gone.empty() && come.empty())
        return {};

    // The names and addresses of the lines gone, from the file as it is,
    // in its order.
    struct Gone {
        std::string name;
        std::string address;
        bool changed = false; // taken as the old address of a "~"
    };
    std::vector<Gone> goneLines;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> goneByName;
    if (!gone.empty()) {
        fs.readLines(hostsPath, [&](std::string_view line) {
            const TRecHost r = readHostLine(line, StatusSaved);
            if (r.HostName.empty())
                return;
            const HostsSnapshot::Line l = lineOf(r);
            if (gone.take(l)) {
                goneByName[l.name].push_back(goneLines.size());
                goneLines.push_back({ logField(r.HostName), logField(writtenAddress(r)) });
            }
        });
    }

    const std::string stamp = listFileDateTime(when, '\t');
    const std::string date = stamp.substr(0, stamp.find('\t'));
    const std::string time = stamp.substr(stamp.find('\t') + 1);
    // Only the last lines stay in the log: a save of a million new names
    // keeps no more entries than those at hand.
    std::deque<ChangeEntry> entries;
    const auto add = [&entries](ChangeEntry e) {
        entries.push_back(std::move(e));
        if (entries.size() > ChangeLogMaxLines)
            entries.pop_front();
    };
    // New and changed lines in the order of the hosts file, top first (new
    // hosts stand at the top: the walk ends with the last of them).
    forEachHostsFileRecord(store, [&](const TRecHost& r) {
        if (come.left() == 0)
            return false;
        const HostsSnapshot::Line l = lineOf(r);
        if (!come.take(l))
            return true;
        ChangeEntry e { date, time, '+', logField(r.HostName), logField(writtenAddress(r)), {} };
        if (auto g = goneByName.find(l.name); g != goneByName.end() && !g->second.empty()) {
            Gone& old = goneLines[g->second.front()];
            g->second.erase(g->second.begin());
            old.changed = true;
            e.op = '~';
            e.oldAddress = old.address;
        }
        add(std::move(e));
        return true;
    });
    for (const Gone& g : goneLines) {
        if (!g.changed)
            add({ date, time, '-', g.name, g.address, {} });
    }
    return { std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()) };
}

Outcome readChangeLog(platform::FileSystem& fs, const std::string& path, std::vector<ChangeEntry>& entries)
{
    entries.clear();
    std::string text;
    if (platform::Status s = readChangeLogTail(fs, path, text); !s)
        return Outcome::failure(cannotOpenFile(path, s));
    entries = parseChangeLog(text);
    return Outcome::success();
}

Outcome appendChangeLog(platform::FileSystem& fs, const std::string& path, const std::vector<ChangeEntry>& entries)
{
    std::string old;
    if (platform::Status s = readChangeLogTail(fs, path, old); !s)
        return Outcome::failure(cannotOpenFile(path, s));
    return writeFileReplacing(fs, path, changeLogText(old, entries));
}

} // namespace quillon::core
