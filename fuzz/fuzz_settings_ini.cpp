// Quillon.ini: the INI reader and writer and the settings read through them.
// The input is NUL-separated: the file's text, then an optional write: the
// kind ('s' string, 'i' integer, 'd' date-time, 'o' the Options keys, 'p'
// the window placement), the section, the key and the value.
//
// Checked: reading never fails; every value read is the one the documented
// rules give for the text (first key in file order, comments, blanks and
// quotes); every setting is its default or what the text holds; a write the
// rules allow succeeds and reads back (in memory and from the written file)
// while every other key keeps its value; a refused write changes nothing.

#include "FuzzSupport.h"

#include "core/DateTimeText.h"
#include "core/HostName.h"
#include "core/IniFile.h"
#include "core/IntegerText.h"
#include "core/Settings.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace quillon;
using namespace quillon::core;
using fuzz::shown;

namespace {

const std::string IniPath = "/q/Quillon.ini";
// Pairs looked at before and after a write; more would only slow the run.
constexpr std::size_t MaxPairs = 24;

struct Entry {
    std::optional<std::string> section; // none before the first section line
    std::string key;
    std::string value;
};

std::vector<std::string_view> iniLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// A value as the reader gives it: blanks at both ends off, one pair of
// matching surrounding quotes off, at most MaxValueLength characters.
std::string readableValue(std::string_view value)
{
    value = fuzz::trimBlanks(value);
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, IniFile::MaxValueLength));
}

// Every key line of the text in file order, as the file format describes it.
std::vector<Entry> entriesOf(std::string_view text)
{
    std::vector<Entry> entries;
    std::optional<std::string> section;
    for (const std::string_view line : iniLines(text)) {
        const std::string_view t = fuzz::trimBlanks(line);
        if (t.empty() || t.front() == ';' || t.front() == '#')
            continue;
        if (t.front() == '[') {
            section = std::string(fuzz::trimBlanks(t.substr(1, t.find(']') - 1)));
            continue;
        }
        const auto eq = t.find('=');
        if (eq == std::string_view::npos)
            continue;
        entries.push_back({ section, std::string(fuzz::trimBlanks(t.substr(0, eq))),
                            readableValue(line.substr(line.find('=') + 1)) });
    }
    return entries;
}

std::optional<std::string> plainRead(const std::vector<Entry>& entries, std::string_view section, std::string_view key)
{
    for (const Entry& e : entries) {
        if (e.section && equalsIgnoreCase(*e.section, section) && equalsIgnoreCase(e.key, key))
            return e.value;
    }
    return std::nullopt;
}

// A settings-file integer as the format describes it.
std::optional<int> plainProfileInteger(std::string_view t)
{
    long long v = 0;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        for (const char c : t.substr(2)) {
            const int d = c >= '0' && c <= '9' ? c - '0'
                : c >= 'a' && c <= 'f'          ? c - 'a' + 10
                : c >= 'A' && c <= 'F'          ? c - 'A' + 10
                                                : -1;
            if (d < 0)
                return std::nullopt;
            v = v * 16 + d;
            if (v > INT_MAX)
                return std::nullopt;
        }
        return static_cast<int>(v);
    }
    bool negative = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    if (t.empty())
        return std::nullopt;
    for (const char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX || v < INT_MIN)
        return std::nullopt;
    return static_cast<int>(v);
}

struct Pair {
    std::string section;
    std::string key;
};

std::vector<Pair> pairsOf(const std::vector<Entry>& entries)
{
    std::vector<Pair> pairs;
    for (const Entry& e : entries) {
        if (e.section && pairs.size() < MaxPairs)
            pairs.push_back({ *e.section, e.key });
    }
    for (const char* key : { "StartSplash", "AutoSaveCount", "QQDLastVerify", "HostsFolder", "WindowTop" })
        pairs.push_back({ std::string(SettingsSection), key });
    return pairs;
}

// The reader agrees with the format's rules on every pair of the text.
void checkReads(const IniFile& ini, std::string_view text, const std::vector<Pair>& pairs)
{
    const std::vector<Entry> entries = entriesOf(text);
    for (const Pair& p : pairs) {
        const auto got = ini.readString(p.section, p.key);
        const auto expected = plainRead(entries, p.section, p.key);
        FUZZ_CHECK(got == expected, "[" + shown(p.section) + "] " + shown(p.key) + " reads "
                                        + (got ? shown(*got) : "nothing") + ", expected "
                                        + (expected ? shown(*expected) : "nothing"));
        if (got) {
            FUZZ_CHECK(got->size() <= IniFile::MaxValueLength, shown(p.key));
            FUZZ_CHECK(got->find_first_of("\r\n") == std::string::npos, shown(*got));
            FUZZ_CHECK(parseProfileInteger(*got) == plainProfileInteger(*got), "integer of " + shown(*got));
        }
    }
}

// Every setting is its default or what the text holds for its key.
void checkSettings(const IniFile& ini, std::string_view text, const DateTimeText& dates)
{
    const std::vector<Entry> entries = entriesOf(text);
    const Settings s = readSettings(ini, dates);
    const Settings d;
    const auto value = [&](const char* key) { return plainRead(entries, SettingsSection, key); };
    const auto integer = [&](const char* key, int def) {
        const auto v = value(key);
        return v ? plainProfileInteger(*v).value_or(def) : def;
    };
    const auto boolean = [&](const char* key, bool def) { return integer(key, def ? 1 : 0) != 0; };
#define SETTING_BOOL(name) FUZZ_CHECK(s.name == boolean(#name, d.name), #name)
#define SETTING_INT(name) FUZZ_CHECK(s.name == integer(#name, d.name), #name " = " + std::to_string(s.name))
    SETTING_BOOL(StartSplash);
    SETTING_BOOL(StartTNA);
    SETTING_BOOL(WorkTNA);
    SETTING_BOOL(SaveWindow);
    SETTING_BOOL(DDECaptureIExplore);
    SETTING_BOOL(DDECaptureNetscape);
    SETTING_BOOL(DDEVerify);
    SETTING_BOOL(AutoSave);
    SETTING_INT(AutoSaveCount);
    SETTING_BOOL(AutoVerifyHosts);
    SETTING_INT(AutoVerifyHostsDays);
    SETTING_BOOL(AutoVerifyHostsQQD);
    SETTING_INT(AutoVerifyHostsQQDDays);
    SETTING_BOOL(AutoVerifyConf);
    SETTING_BOOL(CheckOnLine);
    SETTING_INT(DDETimerInterval);
    SETTING_INT(FilesTimerInterval);
    SETTING_INT(CheckTimerInterval);
    SETTING_INT(WindowHeight);
    SETTING_INT(WindowWidth);
    SETTING_INT(WindowTop);
    SETTING_INT(WindowLeft);
    SETTING_BOOL(WindowMax);
#undef SETTING_BOOL
#undef SETTING_INT
    FUZZ_CHECK(s.FileExtIEBookmarks == value("FileExtIEBookmarks").value_or(d.FileExtIEBookmarks),
               shown(s.FileExtIEBookmarks));
    const auto folder = value("HostsFolder");
    FUZZ_CHECK(s.HostsFolder == (folder && !folder->empty() ? *folder : d.HostsFolder), shown(s.HostsFolder));
    FUZZ_CHECK(!s.HostsFolder.empty(), "empty hosts folder");
    const auto date = value("QQDLastVerify");
    FUZZ_CHECK(s.QQDLastVerify == (date ? dates.parse(*date).value_or(0) : 0), "QQDLastVerify");
    FUZZ_CHECK(readStartSplash(ini) == s.StartSplash, "StartSplash");
}

bool holdsLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Names the format can hold as given: no line break, no blanks at the ends,
// not empty; a section without "]", a key without "=" that does not begin
// like a section or a comment.
bool plainSection(std::string_view s)
{
    return !s.empty() && !holdsLineBreak(s) && fuzz::trimBlanks(s) == s && s.find(']') == std::string_view::npos;
}

bool plainKey(std::string_view k)
{
    return !k.empty() && !holdsLineBreak(k) && fuzz::trimBlanks(k) == k && k.find('=') == std::string_view::npos
        && k.front() != '[' && k.front() != ';' && k.front() != '#';
}

// Values of the other pairs before a write.
std::vector<std::optional<std::string>> valuesOf(const IniFile& ini, const std::vector<Pair>& pairs)
{
    std::vector<std::optional<std::string>> values;
    for (const Pair& p : pairs)
        values.push_back(ini.readString(p.section, p.key));
    return values;
}

// Every pair but the written one (or, after the Options or placement
// writes, every pair outside [Settings]) keeps the value it had.
void checkOthersKept(const IniFile& ini, const std::vector<Pair>& pairs,
                     const std::vector<std::optional<std::string>>& before, const Pair& written, bool wholeSettings)
{
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const Pair& p = pairs[i];
        if (wholeSettings ? equalsIgnoreCase(p.section, SettingsSection)
                          : equalsIgnoreCase(p.section, written.section) && equalsIgnoreCase(p.key, written.key))
            continue;
        FUZZ_CHECK(ini.readString(p.section, p.key) == before[i],
                   "[" + shown(p.section) + "] " + shown(p.key) + " changed by a write");
    }
}

// The written file reads as the object in memory does, and as the format's
// rules read its text.
void checkFileMatches(fuzz::MemoryFileSystem& fs, const IniFile& ini, const std::vector<Pair>& pairs)
{
    const std::string* text = fs.contents(IniPath);
    FUZZ_CHECK(text != nullptr, "no settings file after a write");
    FUZZ_CHECK(text->empty() || text->ends_with("\r\n"), shown(*text));
    const IniFile again(fs, IniPath);
    const std::vector<Entry> entries = entriesOf(*text);
    for (const Pair& p : pairs) {
        const auto fromFile = again.readString(p.section, p.key);
        FUZZ_CHECK(fromFile == ini.readString(p.section, p.key), "file and memory differ on " + shown(p.key));
        FUZZ_CHECK(fromFile == plainRead(entries, p.section, p.key), "the written file reads otherwise on " + shown(p.key));
    }
}

std::int32_t numberFrom(std::string_view bytes)
{
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data(), std::min<std::size_t>(bytes.size(), sizeof v));
    return static_cast<std::int32_t>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> parts = fuzz::splitParts(fuzz::asText(data, size), '\0', 5);
    const std::string_view text = parts[0];
    const char kind = parts.size() > 1 && !parts[1].empty() ? parts[1][0] : 's';
    const std::string section(parts.size() > 2 ? parts[2] : SettingsSection);
    const std::string key(parts.size() > 3 ? parts[3] : std::string_view("AutoSaveCount"));
    const std::string value(parts.size() > 4 ? parts[4] : std::string_view("42"));

    fuzz::MemoryFileSystem fs;
    fs.put(IniPath, text);
    const DateTimeText dates(platform::DateTimeFormats {});
    IniFile ini(fs, IniPath);
    FUZZ_CHECK(!ini.loadFailed(), "load failed");

    std::vector<Pair> pairs = pairsOf(entriesOf(text));
    checkReads(ini, text, pairs);
    checkSettings(ini, text, dates);

    pairs.push_back({ section, key });
    const std::vector<std::optional<std::string>> before = valuesOf(ini, pairs);
    // Exactly the names that read back as written may be written.
    const bool plainNames = plainSection(section) && plainKey(key);

    switch (kind) {
    case 'i': {
        const int n = numberFrom(value);
        const Outcome o = ini.writeInteger(section, key, n);
        FUZZ_CHECK(o.ok() == plainNames, (o.ok() ? "written: " : "refused: ") + shown(section) + " " + shown(key));
        if (!o.ok()) {
            FUZZ_CHECK(valuesOf(ini, pairs) == before, "a refused write changed the settings");
            return 0;
        }
        FUZZ_CHECK(ini.readInteger(section, key, n ^ 1) == n, std::to_string(n) + " for " + shown(key));
        break;
    }
    case 'd': {
        // A date-time from the value's bytes, in the years the format holds.
        const std::int32_t n = numberFrom(value);
        const DateTimeFields f { 1 + static_cast<int>(static_cast<std::uint32_t>(n) % 9999), 1 + (n >> 4 & 7),
                                 1 + (n >> 7 & 15), n >> 11 & 15, n >> 15 & 31, n >> 20 & 31, 0 };
        const TDateTime v = encodeDateTime(f).value_or(0);
        const Outcome o = ini.writeDateTime(section, key, v, dates);
        FUZZ_CHECK(o.ok() == plainNames, (o.ok() ? "written: " : "refused: ") + shown(section) + " " + shown(key));
        if (!o.ok()) {
            FUZZ_CHECK(valuesOf(ini, pairs) == before, "a refused write changed the settings");
            return 0;
        }
        FUZZ_CHECK(ini.readDateTime(section, key, -1, dates) == v, dates.format(v) + " for " + shown(key));
        break;
    }
    case 'o': {
        Settings s = readSettings(ini, dates);
        const std::int32_t n = numberFrom(value);
        s.StartSplash = n & 1;
        s.StartTNA = n & 2;
        s.WorkTNA = n & 4;
        s.SaveWindow = n & 8;
        s.DDECaptureIExplore = n & 16;
        s.DDECaptureNetscape = n & 32;
        s.DDEVerify = n & 64;
        s.AutoSave = n & 128;
        s.AutoVerifyHosts = n & 256;
        s.AutoVerifyHostsQQD = n & 512;
        s.CheckOnLine = n & 1024;
        s.AutoSaveCount = n >> 3;
        s.AutoVerifyHostsDays = n >> 5;
        s.AutoVerifyHostsQQDDays = static_cast<int>(0u - static_cast<unsigned>(n));
        FUZZ_CHECK(writeOptions(ini, s).ok(), "Options not written");
        FUZZ_CHECK(readSettings(ini, dates) == s, "Options read back differently");
        break;
    }
    case 'p': {
        Settings s = readSettings(ini, dates);
        const std::int32_t n = numberFrom(value);
        const WindowPlacement w { (n & 1) != 0, (n & 2) != 0, n >> 2, static_cast<int>(0u - static_cast<unsigned>(n)), n >> 8, n >> 16 };
        FUZZ_CHECK(writeWindowPlacement(ini, w).ok(), "placement not written");
        s.WindowMax = w.maximized;
        if (w.normal) {
            s.WindowTop = w.top;
            s.WindowLeft = w.left;
            s.WindowHeight = w.height;
            s.WindowWidth = w.width;
        }
        FUZZ_CHECK(readSettings(ini, dates) == s, "placement read back differently");
        break;
    }
    default: {
        const Outcome o = ini.writeString(section, key, value);
        FUZZ_CHECK(o.ok() == (plainNames && !holdsLineBreak(value)),
                   (o.ok() ? "written: [" : "refused: [") + shown(section) + "] " + shown(key) + "=" + shown(value));
        if (o.ok()) {
            const auto got = ini.readString(section, key);
            FUZZ_CHECK(got == readableValue(value), "[" + shown(section) + "] " + shown(key) + "=" + shown(value)
                                                        + " reads back as " + (got ? shown(*got) : "nothing"));
        } else if (!o.ok()) {
            FUZZ_CHECK(valuesOf(ini, pairs) == before, "a refused write changed the settings");
            return 0;
        }
        break;
    }
    }

    // The other keys keep their values, in memory and in the file.
    checkOthersKept(ini, pairs, before, { section, key },
                    kind == 'o' || kind == 'p');
    checkFileMatches(fs, ini, pairs);
    return 0;
}
