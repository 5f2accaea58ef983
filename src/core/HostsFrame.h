#pragma once
// The frame a hosts text travels in to the privileged helper:
//
//   QUILLON-HOSTS 1 <bytes> <sha256>\n   then exactly <bytes> bytes, then the end
//
// <bytes> is the decimal size of the text and <sha256> the lower-case
// hexadecimal SHA-256 of exactly those bytes. A text cut short, lengthened or
// changed on the way no longer matches its header, so the helper refuses it
// whole. The save journal keeps the same header line, which tells the next
// start whether /etc/hosts holds the text of a save through the helper.

#include "core/Sha256.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::core {

struct HostsFrame {
    std::uint64_t size = 0;
    std::string sha256;

    // The header line without its line end.
    std::string header() const;
    // The header of a line as header() makes it; nullopt for anything else.
    static std::optional<HostsFrame> parse(std::string_view line);
    static HostsFrame of(std::string_view text);

    bool operator==(const HostsFrame&) const = default;
};

// The longest header line, its line end included.
inline constexpr std::size_t HostsFrameMaxHeader = 128;

// The frame of a text that comes in pieces.
class HostsFrameMaker {
public:
    void add(std::string_view piece)
    {
        m_hash.add(piece);
        m_size += piece.size();
    }
    HostsFrame finish() { return { m_size, m_hash.finishHex() }; }

private:
    Sha256 m_hash;
    std::uint64_t m_size = 0;
};

} // namespace quillon::core
