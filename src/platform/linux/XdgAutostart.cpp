#include "platform/linux/XdgAutostart.h"

#include "platform/XdgFolders.h"


namespace quillon::platform {

namespace {

// An Exec argument: quoted when it holds anything but plain path characters,
// with the characters the quoting reserves escaped by a backslash. The
// backslashes are then doubled again as any string value of a desktop entry.
std::string execArgument(const std::string& argument)
{
    bool plain = !argument.empty();
    for (const char c : argument) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c == ',' || c == '@';
        plain = plain && safe;
    }
    if (plain)
        return argument;
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\"; // the quoting's backslash, itself escaped for the entry
        if (c == '\\')
            quoted += "\\\\\\\\"; // the same for a backslash, which is then escaped too
        else if (c == '%')
            quoted += "%%"; // a field code is written %%
        else
            quoted += c;
    }
    return quoted + "\"";
}

} // namespace

XdgAutostart::XdgAutostart(FileSystem& fileSystem, std::string path)
    : m_fs(fileSystem)
    , m_path(std::move(path))
{
}

std::string XdgAutostart::defaultPath()
{
    return xdgConfigHome() + "/autostart/quillon.desktop";
}

std::string XdgAutostart::entryText(const std::string& program)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quillon\n"
           "Comment=Answers host-name lookups from the hosts file for faster browsing\n"
           "Exec="
        + execArgument(program)
        + "\n"
          "Icon=quillon\n"
          "Terminal=false\n"
          "X-GNOME-Autostart-enabled=true\n";
}

std::optional<std::string> XdgAutostart::command()
{
    std::string text;
    if (!m_fs.readFile(m_path, text).isOk())
        return std::nullopt;
    // The Exec key of the [Desktop Entry] group; a session ignores an entry
    // marked Hidden, so such an entry starts nothing.
    bool inEntry = false;
    std::optional<std::string> exec;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        while (!key.empty() && key.back() == ' ')
            key.pop_back();
        std::string value = line.substr(equals + 1);
        while (!value.empty() && value.front() == ' ')
            value.erase(value.begin());
        if (key == "Hidden" && value == "true")
            return std::nullopt;
        if (key == "Exec" && !exec)
            exec = value;
    }
    if (!exec || exec->empty())
        return std::nullopt;
    return exec;
}

bool XdgAutostart::enable(const std::string& program)
{
    const auto slash = m_path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(m_path.substr(0, slash)))
        return false;
    // Written beside the entry and renamed over it, so that a session never
    // reads half an entry.
    const std::string temporary = m_path + ".tmp";
    if (!m_fs.writeFile(temporary, entryText(program)).isOk())
        return false;
    if (!m_fs.renameFile(temporary, m_path).isOk()) {
        (void)m_fs.removeFile(temporary);
        return false;
    }
    return true;
}

bool XdgAutostart::disable()
{
    return m_fs.removeFile(m_path).isOk() || !m_fs.fileExists(m_path);
}

} // namespace quillon::platform
