#include "core/SystemHostLines.h"

#include "core/FileErrors.h"
#include "core/HostAddress.h"
#include "core/HostLine.h"
#include "core/HostName.h"
#include "core/HostsHelper.h"
#include "core/ListFile.h"

#include <unordered_set>
#include <vector>

namespace quillon::core {

namespace {

constexpr std::string_view Refused = "The new hosts file was refused: ";

// The address and names of a line, as the resolver reads them.
std::string lineKey(const TRecHost& r)
{
    std::string key = r.IP + " " + r.HostName;
    if (!r.Alias.empty())
        key += " " + r.Alias;
    return key;
}

// The own name alone, with a final dot or with a domain after it; lower and
// own in lower case.
bool isOwnNameOrUnder(std::string_view lower, std::string_view own)
{
    return !own.empty() && lower.starts_with(own) && (lower.size() == own.size() || lower[own.size()] == '.');
}

// The resolver may be asked for "localhost4." as for "localhost4".
bool isLocalhostFamilyOrDotted(std::string_view name)
{
    return isLocalhostFamilyName(name)
        || (name.size() > 1 && name.back() == '.' && isLocalhostFamilyName(name.substr(0, name.size() - 1)));
}

// name and own in lower case.
bool isReservedLowerCase(std::string_view name, std::string_view own)
{
    return isLocalhostFamilyOrDotted(name) || isOwnNameOrUnder(name, own);
}

std::string lineRefused(std::size_t n)
{
    return std::string(Refused) + "line " + std::to_string(n);
}

class SystemLines {
public:
    explicit SystemLines(std::string_view ownName)
        : m_ownName(toLowerAscii(ownName))
    {
    }

    void readCurrent(std::string_view line)
    {
        const TRecHost r = readHostLine(line, StatusSaved);
        // Lines the program writes pass on their own; any other may stand
        // again as it stands now.
        if (line.find("#Quillon") == std::string_view::npos || !isWrittenHostLine(line, r))
            m_held.emplace(line);
        // A line the program cannot write (an address with a zone) is not
        // one it could keep.
        if (r.HostName.empty() || !isWritableHostRecord(r))
            return;
        if (isSystemHostLine(r, m_ownName)) {
            if (m_required.insert(lineKey(r)).second)
                m_order.push_back(lineKey(r));
            forEachName(r, [&](std::string_view name) { m_reserved.insert(toLowerAscii(name)); });
            return;
        }
        // Only lines that need the exception are held: a blocklist of
        // admissible names costs nothing here.
        bool admissible = true;
        forEachName(r, [&](std::string_view name) { admissible = admissible && isAdmissibleHostName(name); });
        if (!admissible)
            m_keptAsIs.insert(lineKey(r));
    }

    // The refusal for line number n of the new text, or none.
    HostsTextRefusal readNew(std::string_view line, std::size_t n)
    {
        if (line.empty())
            return {};
        const TRecHost r = readHostLine(line, StatusSaved);
        if ((line.size() > HostsHelperMaxLine || !isWrittenHostLine(line, r)) && !m_held.count(line))
            return { HostsTextRefusal::Kind::SystemLines, lineRefused(n) + " is not a host line that Quillon writes." };
        if (r.HostName.empty())
            return {};
        m_anyHost = true;
        const std::string key = lineKey(r);
        if (m_required.count(key)) {
            m_found.insert(key);
            return {};
        }
        const bool keptAsIs = m_keptAsIs.count(key) != 0;
        HostsTextRefusal refusal;
        forEachName(r, [&](std::string_view name) {
            if (refusal)
                return;
            const std::string lower = toLowerAscii(name);
            if (m_reserved.count(lower) || isReservedLowerCase(lower, m_ownName))
                refusal = { HostsTextRefusal::Kind::SystemLines,
                            lineRefused(n) + " names \"" + escapeInvisibleCharacters(name)
                                + "\", which only the system's own lines of /etc/hosts may name." };
            else if (!keptAsIs && !isAdmissibleHostName(name))
                refusal = { HostsTextRefusal::Kind::HostName,
                            lineRefused(n) + " holds a name that Quillon does not admit. " + hostNameRefusal(name) };
        });
        return refusal;
    }

    HostsTextRefusal finish() const
    {
        if (!m_anyHost)
            return systemRefusal("it holds no host line.");
        for (const std::string& key : m_order) {
            if (!m_found.count(key))
                return systemRefusal("it drops or changes the system's line \"" + key + "\".");
        }
        return {};
    }

private:
    static HostsTextRefusal systemRefusal(const std::string& why)
    {
        return { HostsTextRefusal::Kind::SystemLines, std::string(Refused) + why };
    }

    std::string m_ownName;
    std::unordered_set<std::string> m_reserved;
    std::unordered_set<std::string> m_required;
    std::vector<std::string> m_order;
    std::unordered_set<std::string> m_found;
    std::unordered_set<std::string> m_keptAsIs;
    // Looked up by the new text's lines without a copy of each.
    struct ViewHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view> {}(s); }
    };
    std::unordered_set<std::string, ViewHash, std::equal_to<>> m_held;
    bool m_anyHost = false;
};

} // namespace

bool isSystemHostLine(const TRecHost& r, std::string_view ownName)
{
    const std::string own = toLowerAscii(ownName);
    bool ownLine = false;
    bool local = false;
    forEachName(r, [&](std::string_view name) {
        const std::string lower = toLowerAscii(name);
        ownLine = ownLine || isOwnNameOrUnder(lower, own);
        local = local || isLocalhostFamilyOrDotted(lower) || lower.starts_with("localhost.");
    });
    return ownLine || (local && isSystemScopeAddress(r.IP));
}

bool isReservedHostName(std::string_view name, std::string_view ownName)
{
    return isReservedLowerCase(toLowerAscii(name), toLowerAscii(ownName));
}

HostsTextRefusal hostsTextRefusal(platform::FileSystem& fs, const std::string& currentPath, std::string_view text,
                                  std::string_view ownName)
{
    SystemLines lines(ownName);
    if (fs.stamp(currentPath).exists) {
        if (platform::Status s = readListFileLines(fs, currentPath, [&](std::string_view line) { lines.readCurrent(line); });
            !s)
            return { HostsTextRefusal::Kind::SystemLines, cannotOpenFile(currentPath, s) };
    }
    // A lone CR is no line end but a control character inside a line.
    HostsTextRefusal refusal;
    firstResolverLineWhere(text, [&](std::string_view line, std::size_t n) {
        refusal = lines.readNew(line, n);
        return static_cast<bool>(refusal);
    });
    if (refusal)
        return refusal;
    return lines.finish();
}

} // namespace quillon::core
