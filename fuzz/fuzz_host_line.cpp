// One host line from outside (a hosts file, a list file, a host list file).
// Each line is read with every default status the list loaders pass; a
// record the loaders accept must be writable, and its written line must read
// back to the same record and be written again byte for byte. The name and
// alias rules are checked against their plain byte-by-byte definitions.

#include "FuzzSupport.h"

#include "core/HostAddress.h"
#include "core/HostLine.h"
#include "core/HostName.h"
#include "core/ListFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

using namespace quillon;
using namespace quillon::core;
using quillon::fuzz::sameStoredRecord;
using quillon::fuzz::shown;

namespace {

bool plainUnsafeName(std::string_view s)
{
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x21 || c == 0x7f || c == '#')
            return true;
    }
    return false;
}

bool plainUnsafeAlias(std::string_view s)
{
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f || c == '#')
            return true;
    }
    return false;
}

std::string plainLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// The name rules on any text: the word-at-a-time versions must agree with
// the plain definitions.
void checkNameRules(std::string_view s)
{
    FUZZ_CHECK(isUnsafeHostName(s) == plainUnsafeName(s), shown(s));
    FUZZ_CHECK(isUnsafeAlias(s) == plainUnsafeAlias(s), shown(s));
    const std::string lower = plainLower(s);
    FUZZ_CHECK(toLowerAscii(s) == lower, shown(s));
    FUZZ_CHECK(equalsIgnoreCase(s, lower), shown(s));
    FUZZ_CHECK(hashIgnoreCase(s) == hashIgnoreCase(lower), shown(s));
    FUZZ_CHECK(isHostLineAddress(s) == (s == "0" || isDottedIPv4(s) || isIPv6Text(s)), shown(s));
}

void checkReadsBack(const TRecHost& r, std::int32_t defaultStatus)
{
    const std::string line = formatHostLine(r);
    FUZZ_CHECK(!line.empty(), "accepted record not written: " + shown(r));
    FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\x1a", 3)) == std::string::npos,
               "written line breaks: " + shown(line));
    FUZZ_CHECK(line.find(" #Quillon|") != std::string::npos, shown(line));

    const TRecHost back = readHostLine(line, defaultStatus);
    FUZZ_CHECK(sameStoredRecord(back, r) && back.IP == (r.IP.empty() ? "0" : r.IP),
               "read back " + shown(back) + " from " + shown(line) + " of " + shown(r));
    const std::string again = formatHostLine(back);
    FUZZ_CHECK(again == line, shown(line) + " then " + shown(again));

    // The status written in place of the record's own.
    for (const std::int32_t status : { 0, 1, 2, 3 }) {
        std::string out = "x";
        FUZZ_CHECK(appendHostLine(out, r, status), shown(r));
        const TRecHost withStatus = readHostLine(std::string_view(out).substr(1), -1);
        TRecHost expected = r;
        expected.Status = status;
        FUZZ_CHECK(sameStoredRecord(withStatus, expected), shown(out) + " from " + shown(r));
    }
}

void checkLine(std::string_view line)
{
    // -1: the Trash keeps each line's status; 0: the Wait list; 1: the Hosts list.
    for (const std::int32_t defaultStatus : { -1, 0, 1 }) {
        TRecHost r = readHostLine(line, defaultStatus);
        FUZZ_CHECK(r.HostName.find_first_of(" \t") == std::string::npos, shown(r));
        FUZZ_CHECK(r.IP.find_first_of(" \t") == std::string::npos, shown(r));
        FUZZ_CHECK(r.HostName.empty() || !r.IP.empty(), shown(r));
        FUZZ_CHECK(r.Status == defaultStatus || (r.Status >= 0 && r.Status <= 9), shown(r));
        // The alias: safe words joined by single spaces.
        FUZZ_CHECK(!isUnsafeAlias(r.Alias), shown(r));
        FUZZ_CHECK(r.Alias.empty() || (r.Alias.front() != ' ' && r.Alias.back() != ' '), shown(r));
        FUZZ_CHECK(r.Alias.find("  ") == std::string::npos && r.Alias.find('\t') == std::string::npos, shown(r));

        const bool accepted = !r.HostName.empty() && !isUnsafeHostName(r.HostName) && isHostLineAddress(r.IP);
        FUZZ_CHECK(isWritableHostRecord(r) == accepted, shown(r) + " from " + shown(line));
        if (!accepted) {
            std::string out = "x";
            FUZZ_CHECK(!appendHostLine(out, r) && out == "x", "unwritable record written: " + shown(r));
            FUZZ_CHECK(formatHostLine(r).empty(), shown(r));
            continue;
        }
        FUZZ_CHECK(!r.IP.empty() && isHostLineAddress(r.IP), shown(r));
        FUZZ_CHECK(!isUnsafeHostName(r.HostName), shown(r));
        // The Trash load turns a status that is not a valid code into Waiting.
        if (defaultStatus < 0 && !isValidStatus(r.Status))
            r.Status = StatusWaiting;
        checkReadsBack(r, defaultStatus);
        // A list file drops the "0" placeholder; such a record is written the same.
        if (r.IP == "0") {
            TRecHost noAddress = r;
            noAddress.IP.clear();
            FUZZ_CHECK(formatHostLine(noAddress) == formatHostLine(r), shown(r));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    checkNameRules(text);
    // The whole input as one line (line breaks and all), then line by line.
    checkLine(text);
    forEachLine(text, [](std::string_view line) {
        checkLine(line);
        std::size_t pos = 0;
        while (pos < line.size()) {
            const std::size_t end = std::min(line.find_first_of(" \t", pos), line.size());
            if (end > pos)
                checkNameRules(line.substr(pos, end - pos));
            pos = end + 1;
        }
    });
    return 0;
}
