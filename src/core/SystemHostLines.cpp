#include "core/SystemHostLines.h"

#include "core/FileErrors.h"
#include "core/HostAddress.h"
#include "core/HostLine.h"
#include "core/HostName.h"
#include "core/ListFile.h"

#include <unordered_set>
#include <vector>

namespace quillon::core {

namespace {

// The address and names of a line, as the resolver reads them.
std::string lineKey(const TRecHost& r)
{
    std::string key = r.IP + " " + r.HostName;
    if (!r.Alias.empty())
        key += " " + r.Alias;
    return key;
}

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

class SystemLines {
public:
    explicit SystemLines(std::string_view ownName)
        : m_ownName(toLowerAscii(ownName))
    {
        m_reserved.insert("localhost");
        if (!m_ownName.empty())
            m_reserved.insert(m_ownName);
    }

    void readCurrent(std::string_view line)
    {
        const TRecHost r = readHostLine(line, StatusSaved);
        // A line the program cannot write (an address with a zone) is not
        // one it could keep.
        if (r.HostName.empty() || !isWritableHostRecord(r) || !isSystemLine(r))
            return;
        if (m_required.insert(lineKey(r)).second)
            m_order.push_back(lineKey(r));
        forEachName(r, [&](std::string_view name) { m_reserved.insert(toLowerAscii(name)); });
    }

    // The refusal for line number n of the new text, or empty.
    std::string readNew(std::string_view line, std::size_t n)
    {
        const TRecHost r = readHostLine(line, StatusSaved);
        if (r.HostName.empty())
            return {};
        m_anyHost = true;
        const std::string key = lineKey(r);
        if (m_required.count(key)) {
            m_found.insert(key);
            return {};
        }
        std::string refusal;
        forEachName(r, [&](std::string_view name) {
            if (refusal.empty() && m_reserved.count(toLowerAscii(name)))
                refusal = "The new hosts file was refused: line " + std::to_string(n) + " names \"" + std::string(name)
                    + "\", which only the system's own lines of /etc/hosts may name.";
        });
        return refusal;
    }

    std::string finish() const
    {
        if (!m_anyHost)
            return "The new hosts file was refused: it holds no host line.";
        for (const std::string& key : m_order) {
            if (!m_found.count(key))
                return "The new hosts file was refused: it drops or changes the system's line \"" + key + "\".";
        }
        return {};
    }

private:
    bool isSystemLine(const TRecHost& r) const
    {
        bool own = false;
        bool local = false;
        forEachName(r, [&](std::string_view name) {
            const std::string lower = toLowerAscii(name);
            own = own || (!m_ownName.empty() && lower == m_ownName);
            local = local || lower == "localhost" || lower.starts_with("localhost.") || lower.starts_with("ip6-");
        });
        return own || (local && isSystemScopeAddress(r.IP));
    }

    std::string m_ownName;
    std::unordered_set<std::string> m_reserved;
    std::unordered_set<std::string> m_required;
    std::vector<std::string> m_order;
    std::unordered_set<std::string> m_found;
    bool m_anyHost = false;
};

} // namespace

std::string systemLinesRefusal(platform::FileSystem& fs, const std::string& currentPath, std::string_view text,
                               std::string_view ownName)
{
    SystemLines lines(ownName);
    if (fs.stamp(currentPath).exists) {
        if (platform::Status s = fs.readLines(currentPath, [&](std::string_view line) { lines.readCurrent(line); });
            !s)
            return cannotOpenFile(currentPath, s);
    }
    std::string refusal;
    std::size_t n = 0;
    forEachLine(text, [&](std::string_view line) {
        ++n;
        if (refusal.empty())
            refusal = lines.readNew(line, n);
    });
    return refusal.empty() ? lines.finish() : refusal;
}

} // namespace quillon::core
