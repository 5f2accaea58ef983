#pragma once
// One INI (profile) file, read and written the way the program's settings
// have always been kept: "[Section]" lines and "Key=Value" lines, section and
// key names compared without regard to ASCII letter case.
//
// Reading. The file is loaded once, at construction; a missing file reads as
// empty. Lines end at CR LF, a lone LF or a lone CR. Lines whose first
// non-blank character is ';' or '#' are comments; a line without '=' is not
// a key. A value is the text after the first '=', without the blanks at both
// ends and without one pair of matching surrounding double or single quotes,
// cut to 2047 characters. Where a section or a key appears twice, the first
// key found in file order wins, for reading and for writing.
//
// Writing. Each write updates the key's line in place (keeping its position
// and the key's spelling from the file), or adds the key after the last key
// line of the section, or adds the section at the end of the file. Every
// other line is kept byte for byte. The whole file is then written with CR LF
// line ends to PATH.tmp and renamed over PATH, so a failure never leaves a
// half-written settings file behind. Any failure gives the message
// "Unable to write to PATH" and leaves the object as it was.
//
// A write is refused (with the same message) when:
// - the file exists but could not be loaded: writing would replace the
//   person's settings with only the keys written since;
// - a name or the value holds a line break, a name is empty or has blanks
//   at either end, the section name holds ']', or the key holds '=' or
//   begins with '[', ';' or '#': such a line would not read back as the same
//   key and value.
//
// Not thread-safe; the file system must outlive the object.

#include "core/DateTime.h"
#include "core/DateTimeText.h"
#include "core/Outcome.h"
#include "platform/FileSystem.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::core {

class IniFile {
public:
    static constexpr std::size_t MaxValueLength = 2047;

    IniFile(platform::FileSystem& fileSystem, std::string path);

    const std::string& path() const { return m_path; }
    // True when the file exists but could not be read; loadStatus() says why.
    bool loadFailed() const { return !m_loadStatus.isOk(); }
    const platform::Status& loadStatus() const { return m_loadStatus; }

    std::optional<std::string> readString(std::string_view section, std::string_view key) const;
    // The names of the sections, in file order.
    std::vector<std::string> sectionNames() const;
    // The value as parseProfileInteger reads it; defaultValue when missing or unreadable.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    // An integer: 0 is false, any other true; defaultValue when missing or unreadable.
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;
    TDateTime readDateTime(std::string_view section, std::string_view key, TDateTime defaultValue,
                           const DateTimeText& dateTimeText) const;

    Outcome writeString(std::string_view section, std::string_view key, std::string_view value);
    Outcome writeInteger(std::string_view section, std::string_view key, int value);
    // "1" or "0".
    Outcome writeBool(std::string_view section, std::string_view key, bool value);
    Outcome writeDateTime(std::string_view section, std::string_view key, TDateTime value,
                          const DateTimeText& dateTimeText);

private:
    std::optional<std::size_t> findKey(std::string_view section, std::string_view key) const;
    // Where a new key of section goes; nothing when the file has no such section.
    std::optional<std::size_t> insertionPoint(std::string_view section) const;
    platform::Status save(const std::vector<std::string>& lines) const;
    Outcome writeFailure() const;

    platform::FileSystem& m_fileSystem;
    std::string m_path;
    platform::Status m_loadStatus;
    std::vector<std::string> m_lines; // without their line ends
};

} // namespace quillon::core
