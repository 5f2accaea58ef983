#include "core/HostsFrame.h"

#include <charconv>

namespace quillon::core {

namespace {

constexpr std::string_view Word = "QUILLON-HOSTS 1 ";

bool isLowerHex(std::string_view text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

} // namespace

std::string HostsFrame::header() const
{
    return std::string(Word) + std::to_string(size) + " " + sha256;
}

std::optional<HostsFrame> HostsFrame::parse(std::string_view line)
{
    if (!line.starts_with(Word))
        return std::nullopt;
    line.remove_prefix(Word.size());
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    const std::string_view digits = line.substr(0, blank);
    const std::string_view hash = line.substr(blank + 1);
    // One spelling per size: no sign, no leading zeros.
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0') || hash.size() != 64 || !isLowerHex(hash))
        return std::nullopt;
    HostsFrame frame;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), frame.size);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    frame.sha256 = std::string(hash);
    return frame;
}

HostsFrame HostsFrame::of(std::string_view text)
{
    HostsFrameMaker maker;
    maker.add(text);
    return maker.finish();
}

} // namespace quillon::core
