#include "platform/linux/RegistryStore.h"

#include "platform/XdgFolders.h"

#include <strings.h>

namespace quillon::platform {

namespace {

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// "ROOT\key\path", without separators at the ends of the key path.
std::string sectionName(RegistryRoot root, std::string_view keyPath)
{
    while (!keyPath.empty() && keyPath.front() == '\\')
        keyPath.remove_prefix(1);
    while (!keyPath.empty() && keyPath.back() == '\\')
        keyPath.remove_suffix(1);
    std::string name = root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    if (!keyPath.empty())
        name.append("\\").append(keyPath);
    return name;
}

} // namespace

RegistryStore::RegistryStore(FileSystem& fileSystem, std::string path)
    : m_fs(fileSystem)
    , m_path(std::move(path))
{
}

std::string RegistryStore::defaultPath()
{
    return xdgConfigHome() + "/quillon/registry.ini";
}

bool RegistryStore::find(RegistryRoot root, const std::string& keyPath, const std::string* valueName,
                         std::optional<std::string>& value)
{
    const std::string wanted = sectionName(root, keyPath);
    const std::string_view wantedValue = valueName && !valueName->empty() ? std::string_view(*valueName) : "@";
    bool inKey = false;
    bool keyFound = false;
    m_fs.readLines(m_path, [&](std::string_view line) {
        if (value)
            return; // the first value found wins
        const std::string_view text = trimBlanks(line);
        if (text.empty() || text.front() == ';' || text.front() == '#')
            return;
        if (text.front() == '[') {
            const auto close = text.rfind(']');
            inKey = close != std::string_view::npos && sameIgnoringCase(trimBlanks(text.substr(1, close - 1)), wanted);
            keyFound = keyFound || inKey;
            return;
        }
        if (!inKey || !valueName)
            return;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            return;
        // A value is kept as written, blanks and quotes included.
        if (sameIgnoringCase(trimBlanks(line.substr(0, equals)), wantedValue))
            value = std::string(line.substr(equals + 1));
    });
    return keyFound;
}

bool RegistryStore::keyExists(RegistryRoot root, const std::string& keyPath)
{
    std::optional<std::string> unused;
    return find(root, keyPath, nullptr, unused);
}

std::optional<std::string> RegistryStore::readValue(RegistryRoot root, const std::string& keyPath,
                                                    const std::string& valueName)
{
    std::optional<std::string> value;
    find(root, keyPath, &valueName, value);
    return value;
}

} // namespace quillon::platform
