#include "core/IniFile.h"

#include "core/IntegerText.h"

#include <cerrno>
#include <utility>

namespace quillon::core {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

std::vector<std::string> splitLines(std::string_view data)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] != '\r' && data[i] != '\n')
            continue;
        lines.emplace_back(data.substr(start, i - start));
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < data.size())
        lines.emplace_back(data.substr(start));
    return lines;
}

// The name of a "[Name]" line; a header without its ']' runs to the line's end.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    return trimBlanks(line.substr(0, line.find(']')));
}

// The key of a "Key=Value" line.
std::optional<std::string_view> keyName(std::string_view line)
{
    const std::string_view trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() == '[' || trimmed.front() == ';' || trimmed.front() == '#')
        return std::nullopt;
    const auto eq = trimmed.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(trimmed.substr(0, eq));
}

std::string_view valueText(std::string_view line)
{
    std::string_view value = trimBlanks(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    return value.substr(0, IniFile::MaxValueLength);
}

bool holdsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Whether section, key and value would read back as written.
bool canBeWritten(std::string_view section, std::string_view key, std::string_view value)
{
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
        return false;
    // Names are read without the blanks at their ends: a name that has some
    // would be written as given and never found again by it.
    if (section.empty() || trimBlanks(section) != section || section.find(']') != std::string_view::npos)
        return false;
    return !key.empty() && trimBlanks(key) == key && key.find('=') == std::string_view::npos && key.front() != '['
        && key.front() != ';' && key.front() != '#';
}

} // namespace

IniFile::IniFile(platform::FileSystem& fileSystem, std::string path)
    : m_fileSystem(fileSystem)
    , m_path(std::move(path))
{
    std::string data;
    const platform::Status status = m_fileSystem.readFile(m_path, data);
    if (status.isOk())
        m_lines = splitLines(data);
    else if (status.code() != ENOENT && status.code() != ENOTDIR) // no such file
        m_loadStatus = status;
}

std::optional<std::size_t> IniFile::findKey(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (const auto name = sectionName(m_lines[i])) {
            inSection = equalsIgnoringCase(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        const auto k = keyName(m_lines[i]);
        if (k && equalsIgnoringCase(*k, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::insertionPoint(std::string_view section) const
{
    std::optional<std::size_t> point;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (const auto name = sectionName(m_lines[i])) {
            if (point)
                break; // the end of the first section of that name
            if (equalsIgnoringCase(*name, section))
                point = i + 1;
        } else if (point && keyName(m_lines[i])) {
            point = i + 1;
        }
    }
    return point;
}

std::vector<std::string> IniFile::sectionNames() const
{
    std::vector<std::string> names;
    for (const std::string& line : m_lines) {
        if (const auto name = sectionName(line))
            names.emplace_back(*name);
    }
    return names;
}

std::optional<std::string> IniFile::readString(std::string_view section, std::string_view key) const
{
    const auto line = findKey(section, key);
    if (!line)
        return std::nullopt;
    return std::string(valueText(m_lines[*line]));
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    const auto text = readString(section, key);
    if (!text)
        return defaultValue;
    return parseProfileInteger(*text).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

TDateTime IniFile::readDateTime(std::string_view section, std::string_view key, TDateTime defaultValue,
                                const DateTimeText& dateTimeText) const
{
    const auto text = readString(section, key);
    if (!text)
        return defaultValue;
    return dateTimeText.parse(*text).value_or(defaultValue);
}

Outcome IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    if (loadFailed() || !canBeWritten(section, key, value))
        return writeFailure();

    std::vector<std::string> lines = m_lines;
    if (const auto line = findKey(section, key)) {
        const std::string& old = lines[*line];
        lines[*line] = std::string(*keyName(old)) + "=" + std::string(value);
    } else if (const auto at = insertionPoint(section)) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*at), std::string(key) + "=" + std::string(value));
    } else {
        if (!lines.empty() && !trimBlanks(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::string(key) + "=" + std::string(value));
    }

    if (!save(lines).isOk())
        return writeFailure();
    m_lines = std::move(lines);
    return Outcome::success();
}

platform::Status IniFile::save(const std::vector<std::string>& lines) const
{
    std::string data;
    for (const auto& line : lines) {
        data += line;
        data += "\r\n";
    }
    const std::string temporary = m_path + ".tmp";
    const bool existed = m_fileSystem.fileExists(m_path);
    platform::Status status = m_fileSystem.writeFile(temporary, data);
    if (status.isOk()) {
        // The person's own permissions on the file survive the replacement;
        // when they cannot be copied, the file is still better saved than not.
        if (existed)
            m_fileSystem.copyAttributes(m_path, temporary);
        status = m_fileSystem.renameFile(temporary, m_path);
    }
    if (!status.isOk()) {
        m_fileSystem.removeFile(temporary);
        return status;
    }
    // The new file is in place whatever this says; reporting a failure here
    // would make the object and the file disagree.
    m_fileSystem.syncDirectory(platform::folderOf(m_path));
    return status;
}

Outcome IniFile::writeInteger(std::string_view section, std::string_view key, int value)
{
    return writeString(section, key, std::to_string(value));
}

Outcome IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    return writeString(section, key, value ? "1" : "0");
}

Outcome IniFile::writeDateTime(std::string_view section, std::string_view key, TDateTime value,
                               const DateTimeText& dateTimeText)
{
    return writeString(section, key, dateTimeText.format(value));
}

Outcome IniFile::writeFailure() const
{
    return Outcome::failure("Unable to write to " + m_path);
}

} // namespace quillon::core
