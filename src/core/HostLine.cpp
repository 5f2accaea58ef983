#include "core/HostLine.h"

#include "core/HostAddress.h"
#include "core/HostName.h"

#include <algorithm>
#include <charconv>

namespace quillon::core {

namespace {

constexpr std::string_view MarkerWord = "Quillon";

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Copy(s, first, count) with 1-based first, clipped to the text as the marker
// positions are defined.
std::string_view field(std::string_view s, std::size_t first, std::size_t count)
{
    if (first < 1 || first > s.size())
        return {};
    return s.substr(first - 1, count);
}

void readMarker(std::string_view m, TRecHost& r)
{
    std::int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const bool fieldsRead = parseInt32(field(m, 2, 4), year) && parseInt32(field(m, 7, 2), month)
        && parseInt32(field(m, 10, 2), day) && parseInt32(field(m, 13, 2), hour)
        && parseInt32(field(m, 16, 2), minute) && parseInt32(field(m, 19, 2), second);
    r.Date = 0;
    if (fieldsRead) {
        if (const auto v = encodeDateTime({ year, month, day, hour, minute, second, 0 }))
            r.Date = *v;
    }

    const std::string_view status = field(m, 22, 1);
    if (status.size() == 1 && status[0] >= '0' && status[0] <= '9')
        r.Status = status[0] - '0';

    std::int32_t freq = 0;
    if (m.size() >= 25 && parseInt32(m.substr(23, m.size() - 24), freq))
        r.Freq = freq;
    else
        r.Freq = 0;
}

// Writes value with at least width digits (zero-padded) at p; returns the end.
char* writePadded(char* p, int value, int width)
{
    char digits[16];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    for (auto n = end - digits; n < width; ++n)
        *p++ = '0';
    for (const char* d = digits; d < end; ++d)
        *p++ = *d;
    return p;
}

char* writeTwoDigits(char* p, int value)
{
    *p++ = static_cast<char>('0' + value / 10);
    *p++ = static_cast<char>('0' + value % 10);
    return p;
}

// YYYY/MM/DD, between, hh.mm.ss of a date that is not 0.
char* writeDateTime(char* p, TDateTime date, char between)
{
    const DateTimeFields f = decodeDateTime(date);
    p = writePadded(p, f.year, 4);
    *p++ = '/';
    p = writeTwoDigits(p, f.month);
    *p++ = '/';
    p = writeTwoDigits(p, f.day);
    *p++ = between;
    p = writeTwoDigits(p, f.hour);
    *p++ = '.';
    p = writeTwoDigits(p, f.minute);
    *p++ = '.';
    return writeTwoDigits(p, f.second);
}

// The record marker, written into buffer (at least 64 bytes); returns its end.
char* writeMarker(char* p, TDateTime date, std::int32_t status, std::int32_t freq)
{
    static constexpr std::string_view NeverVerified = " #Quillon|1899/12/30|00.00.00|";
    if (date == 0) {
        p = std::copy(NeverVerified.begin(), NeverVerified.end(), p);
    } else {
        static constexpr std::string_view Head = " #Quillon|";
        p = std::copy(Head.begin(), Head.end(), p);
        p = writeDateTime(p, date, '|');
        *p++ = '|';
    }
    p = std::to_chars(p, p + 12, status).ptr;
    *p++ = '|';
    p = std::to_chars(p, p + 12, freq).ptr;
    *p++ = '#';
    return p;
}

} // namespace

std::string listFileDateTime(TDateTime date, char between)
{
    if (date == 0)
        return std::string("1899/12/30") + between + "00.00.00";
    char text[32];
    return std::string(text, writeDateTime(text, date, between));
}

bool parseInt32(std::string_view text, std::int32_t& value)
{
    if (text.empty())
        return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') {
        ++first;
        if (first == last || *first == '-')
            return false;
    }
    std::int32_t v = 0;
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last)
        return false;
    value = v;
    return true;
}

TRecHost readHostLine(std::string_view line, std::int32_t defaultStatus)
{
    TRecHost r;
    readHostLine(line, defaultStatus, r);
    return r;
}

void readHostLine(std::string_view line, std::int32_t defaultStatus, TRecHost& r)
{
    r.Status = defaultStatus;
    int state = 1;
    std::size_t pos = 0;
    const std::size_t n = line.size();
    for (;;) {
        while (pos < n && isBlank(line[pos]))
            ++pos;
        if (pos >= n)
            break;
        std::size_t end = pos;
        while (end < n && !isBlank(line[end]))
            ++end;
        const std::string_view token = line.substr(pos, end - pos);
        pos = end;

        if (token[0] == '#') {
            state = 0;
            if (token.substr(1, MarkerWord.size()) == MarkerWord)
                readMarker(token.substr(1 + MarkerWord.size()), r);
            continue;
        }
        switch (state) {
        case 1:
            r.IP.assign(token);
            state = 2;
            break;
        case 2:
            r.HostName.assign(token);
            state = 3;
            break;
        case 3:
            // An alias word that holds "#" or a control character would change
            // what the system reads from the written line: leave it out.
            if (isUnsafeHostName(token))
                break;
            if (!r.Alias.empty())
                r.Alias.push_back(' ');
            r.Alias.append(token);
            break;
        default:
            break;
        }
    }
}

bool isWritableHostRecord(const TRecHost& r)
{
    return !r.HostName.empty() && !isUnsafeHostName(r.HostName) && (r.IP.empty() || isHostLineAddress(r.IP))
        && !isUnsafeAlias(r.Alias);
}

bool appendHostLine(std::string& out, const TRecHost& r, std::int32_t status)
{
    if (!isWritableHostRecord(r))
        return false;
    if (r.IP.empty())
        out.push_back('0');
    else
        out.append(r.IP);
    out.push_back(' ');
    out.append(r.HostName);
    out.push_back(' ');
    out.append(r.Alias);
    char marker[64];
    out.append(marker, writeMarker(marker, r.Date, status, r.Freq));
    return true;
}

std::string formatHostLine(const TRecHost& r)
{
    std::string out;
    appendHostLine(out, r);
    return out;
}

bool isWrittenHostLine(std::string_view line)
{
    return isWrittenHostLine(line, readHostLine(line, StatusSaved));
}

bool isWrittenHostLine(std::string_view line, const TRecHost& r)
{
    // A control character anywhere could end the line early for one reader
    // and not for another (CR, Ctrl-Z, NUL), or part fields (tab).
    for (const char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f)
            return false;
    }
    // The resolver reads up to the first "#", whatever precedes it on the
    // same token; the marker must be where that first "#" is.
    const std::size_t hash = line.find('#');
    if (hash == std::string_view::npos || hash == 0 || line[hash - 1] != ' ')
        return false;
    if (!isWritableHostRecord(r))
        return false;
    // The marker as the program writes it for what was read; the written
    // line has no "#" before its marker, so the first one starts it.
    const std::string written = formatHostLine(r);
    const std::string_view marker = std::string_view(written).substr(written.find('#') - 1);
    return line.substr(hash - 1) == marker;
}

} // namespace quillon::core
