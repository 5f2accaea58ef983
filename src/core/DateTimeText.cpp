#include "core/DateTimeText.h"

#include <algorithm>

namespace quillon::core {

namespace {

constexpr std::string_view FallbackDate = "%Y-%m-%d";
constexpr std::string_view FallbackTime = "%H:%M:%S";
// Far longer than any date-time text; longer input is refused before it is looked at.
constexpr std::size_t MaxTextLength = 256;

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) { return lowerAscii(c); });
    return out;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (prefix.empty() || text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lowerAscii(text[i]) != lowerAscii(prefix[i]))
            return false;
    }
    return true;
}

void appendNumber(std::string& out, int value, int width, char pad)
{
    const std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        out.append(static_cast<std::size_t>(width) - digits.size(), pad);
    out += digits;
}

// Reads 1 to maxDigits decimal digits at pos.
std::optional<int> readNumber(std::string_view text, std::size_t& pos, int maxDigits, int* digitCount = nullptr)
{
    int value = 0;
    int count = 0;
    while (count < maxDigits && pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    if (digitCount != nullptr)
        *digitCount = count;
    return value;
}

} // namespace

// What parse() has read so far; -1 is "not met".
struct DateTimeText::ParsedFields {
    int day = -1;
    int month = -1;
    int year = -1;
    int hour = -1;
    int hour12 = -1;
    int pm = -1;
    int minute = -1;
    int second = -1;
};

DateTimeText::DateTimeText(const platform::DateTimeFormats& formats)
    : m_amText(formats.amText)
    , m_pmText(formats.pmText)
{
    if (!appendItems(formats.shortDate, m_dateItems) || !isUsableDate(m_dateItems)) {
        m_dateItems.clear();
        appendItems(FallbackDate, m_dateItems);
    }
    if (!appendItems(formats.longTime, m_timeItems) || !isUsableTime(m_timeItems)) {
        m_timeItems.clear();
        appendItems(FallbackTime, m_timeItems);
    }
    m_datePattern = patternText(m_dateItems);
    m_timePattern = patternText(m_timeItems);
}

bool DateTimeText::appendItems(std::string_view pattern, std::vector<Item>& items)
{
    const auto literal = [&items](std::string_view text) {
        if (items.empty() || items.back().field != Field::Literal)
            items.push_back({ Field::Literal, {} });
        items.back().literal += text;
    };
    const auto field = [&items](Field f) { items.push_back({ f, {} }); };

    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            literal(pattern.substr(i, 1));
            continue;
        }
        if (++i == pattern.size())
            return false;
        switch (pattern[i]) {
        case 'd': field(Field::Day); break;
        case 'e': field(Field::DayBlankPadded); break;
        case 'm': field(Field::Month); break;
        case 'Y':
        case 'y': field(Field::Year); break;
        case 'H': field(Field::Hour24); break;
        case 'I': field(Field::Hour12); break;
        case 'M': field(Field::Minute); break;
        case 'S': field(Field::Second); break;
        case 'p': field(Field::AmPm); break;
        case 'P': field(Field::AmPmLower); break;
        case 'n':
        case 't': field(Field::Blank); break;
        case '%': literal("%"); break;
        case 'D':
        case 'x': appendItems("%m/%d/%Y", items); break;
        case 'F': appendItems("%Y-%m-%d", items); break;
        case 'T':
        case 'X': appendItems("%H:%M:%S", items); break;
        case 'R': appendItems("%H:%M", items); break;
        case 'r': appendItems("%I:%M:%S %p", items); break;
        default: return false;
        }
    }
    return true;
}

std::string DateTimeText::patternText(const std::vector<Item>& items)
{
    std::string out;
    for (const auto& item : items) {
        switch (item.field) {
        case Field::Literal:
            for (const char c : item.literal) {
                if (c == '%')
                    out += '%';
                out += c;
            }
            break;
        case Field::Day: out += "%d"; break;
        case Field::DayBlankPadded: out += "%e"; break;
        case Field::Month: out += "%m"; break;
        case Field::Year: out += "%Y"; break;
        case Field::Hour24: out += "%H"; break;
        case Field::Hour12: out += "%I"; break;
        case Field::Minute: out += "%M"; break;
        case Field::Second: out += "%S"; break;
        case Field::AmPm: out += "%p"; break;
        case Field::AmPmLower: out += "%P"; break;
        case Field::Blank: out += "%n"; break;
        }
    }
    return out;
}

bool DateTimeText::isUsableDate(const std::vector<Item>& items) const
{
    int day = 0;
    int month = 0;
    int year = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        // A blank-padded day is read as up to two digits after its blank: a
        // number or a digit right behind it would be taken for its second
        // digit (" 2111/2001" of "%e1%m/%Y" reads as the 21st of January).
        if (item.field == Field::DayBlankPadded && i + 1 < items.size()) {
            const Item& next = items[i + 1];
            const bool digitNext = next.field == Field::Literal && !next.literal.empty()
                && next.literal.front() >= '0' && next.literal.front() <= '9';
            if (digitNext || (next.field != Field::Literal && next.field != Field::Blank))
                return false;
        }
        switch (item.field) {
        case Field::Literal:
        case Field::Blank: break;
        case Field::Day:
        case Field::DayBlankPadded: ++day; break;
        case Field::Month: ++month; break;
        case Field::Year: ++year; break;
        default: return false;
        }
    }
    return day == 1 && month == 1 && year == 1;
}

bool DateTimeText::isUsableTime(const std::vector<Item>& items) const
{
    int hour24 = 0;
    int hour12 = 0;
    int ampm = 0;
    int minute = 0;
    int second = 0;
    for (const auto& item : items) {
        switch (item.field) {
        case Field::Literal:
        case Field::Blank: break;
        case Field::Hour24: ++hour24; break;
        case Field::Hour12: ++hour12; break;
        case Field::AmPm:
        case Field::AmPmLower: ++ampm; break;
        case Field::Minute: ++minute; break;
        case Field::Second: ++second; break;
        default: return false;
        }
    }
    if (minute != 1 || second != 1 || hour24 + hour12 != 1 || ampm != hour12)
        return false;
    // Without two distinct markers a 12-hour time could not be read back.
    return hour12 == 0
        || (!m_amText.empty() && !m_pmText.empty() && lowerAscii(m_amText) != lowerAscii(m_pmText));
}

void DateTimeText::render(const std::vector<Item>& items, const DateTimeFields& f, std::string& out) const
{
    for (const auto& item : items) {
        switch (item.field) {
        case Field::Literal: out += item.literal; break;
        case Field::Day: appendNumber(out, f.day, 2, '0'); break;
        case Field::DayBlankPadded: appendNumber(out, f.day, 2, ' '); break;
        case Field::Month: appendNumber(out, f.month, 2, '0'); break;
        case Field::Year: appendNumber(out, f.year, 4, '0'); break;
        case Field::Hour24: appendNumber(out, f.hour, 2, '0'); break;
        case Field::Hour12: appendNumber(out, f.hour % 12 == 0 ? 12 : f.hour % 12, 2, '0'); break;
        case Field::Minute: appendNumber(out, f.minute, 2, '0'); break;
        case Field::Second: appendNumber(out, f.second, 2, '0'); break;
        case Field::AmPm: out += f.hour < 12 ? m_amText : m_pmText; break;
        case Field::AmPmLower: out += lowerAscii(f.hour < 12 ? m_amText : m_pmText); break;
        case Field::Blank: out += ' '; break;
        }
    }
}

std::string DateTimeText::format(TDateTime value) const
{
    const DateTimeFields fields = decodeDateTime(value);
    std::string out;
    render(m_dateItems, fields, out);
    if (fields.hour != 0 || fields.minute != 0 || fields.second != 0 || fields.millisecond != 0) {
        out += ' ';
        render(m_timeItems, fields, out);
    }
    return out;
}

bool DateTimeText::read(const std::vector<Item>& items, std::string_view text, std::size_t& pos,
                        ParsedFields& p) const
{
    for (const auto& item : items) {
        switch (item.field) {
        case Field::Literal:
            if (text.substr(pos, item.literal.size()) != item.literal)
                return false;
            pos += item.literal.size();
            break;
        case Field::Blank:
            if (pos >= text.size() || (text[pos] != ' ' && text[pos] != '\t' && text[pos] != '\n'))
                return false;
            ++pos;
            break;
        case Field::AmPm:
        case Field::AmPmLower: {
            // The longer marker first, in case one begins with the other.
            const bool amFirst = m_amText.size() >= m_pmText.size();
            const std::string& first = amFirst ? m_amText : m_pmText;
            const std::string& second = amFirst ? m_pmText : m_amText;
            const std::string_view rest = text.substr(pos);
            if (startsWithIgnoringCase(rest, first)) {
                p.pm = amFirst ? 0 : 1;
                pos += first.size();
            } else if (startsWithIgnoringCase(rest, second)) {
                p.pm = amFirst ? 1 : 0;
                pos += second.size();
            } else {
                return false;
            }
            break;
        }
        case Field::Year: {
            int digits = 0;
            const auto year = readNumber(text, pos, 4, &digits);
            if (!year)
                return false;
            p.year = digits > 2 ? *year : *year < 50 ? 2000 + *year : 1900 + *year;
            break;
        }
        default: {
            if (item.field == Field::DayBlankPadded && pos < text.size() && text[pos] == ' ')
                ++pos;
            const auto number = readNumber(text, pos, 2);
            if (!number)
                return false;
            switch (item.field) {
            case Field::Day:
            case Field::DayBlankPadded: p.day = *number; break;
            case Field::Month: p.month = *number; break;
            case Field::Hour24: p.hour = *number; break;
            case Field::Hour12: p.hour12 = *number; break;
            case Field::Minute: p.minute = *number; break;
            case Field::Second: p.second = *number; break;
            default: return false;
            }
            break;
        }
        }
    }
    return true;
}

std::optional<TDateTime> DateTimeText::parse(std::string_view text) const
{
    if (text.size() > MaxTextLength)
        return std::nullopt;
    ParsedFields p;
    std::size_t pos = 0;
    if (!read(m_dateItems, text, pos, p))
        return std::nullopt;
    DateTimeFields fields { p.year, p.month, p.day, 0, 0, 0, 0 };
    if (pos < text.size()) {
        if (text[pos] != ' ')
            return std::nullopt;
        ++pos;
        if (!read(m_timeItems, text, pos, p) || pos != text.size())
            return std::nullopt;
        if (p.hour12 >= 0) {
            if (p.hour12 < 1 || p.hour12 > 12)
                return std::nullopt;
            // 12 AM is midnight, 12 PM is noon.
            p.hour = p.hour12 % 12 + (p.pm == 1 ? 12 : 0);
        }
        fields.hour = p.hour;
        fields.minute = p.minute;
        fields.second = p.second;
    }
    return encodeDateTime(fields);
}

} // namespace quillon::core
