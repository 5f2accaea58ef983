#include "platform/LineSplitter.h"

#include <algorithm>
#include <cstring>

namespace quillon::platform {

namespace {

// The first CR or LF: memchr twice is far faster than a search for either.
std::size_t lineEnd(std::string_view s)
{
    const auto* lf = static_cast<const char*>(std::memchr(s.data(), '\n', s.size()));
    const std::size_t scanned = lf ? static_cast<std::size_t>(lf - s.data()) : s.size();
    if (const auto* cr = static_cast<const char*>(std::memchr(s.data(), '\r', scanned)))
        return static_cast<std::size_t>(cr - s.data());
    return lf ? scanned : std::string_view::npos;
}

} // namespace

void LineSplitter::emit()
{
    m_take(m_line);
    m_line.clear();
    m_pending = false;
}

void LineSplitter::feed(std::string_view piece)
{
    while (!piece.empty()) {
        if (m_afterCr) {
            // The LF of a CR LF pair belongs to the line already given.
            m_afterCr = false;
            if (piece.front() == '\n') {
                piece.remove_prefix(1);
                continue;
            }
        }
        const std::size_t end = lineEnd(piece);
        const std::string_view text = piece.substr(0, end);
        if (!m_pending && end != std::string_view::npos && end <= MaxLineBytes) {
            // A whole line inside the piece goes out without a copy.
            m_afterCr = piece[end] == '\r';
            m_take(text);
            piece.remove_prefix(end + 1);
            continue;
        }
        if (m_line.size() < MaxLineBytes)
            m_line.append(text.substr(0, std::min(text.size(), MaxLineBytes - m_line.size())));
        m_pending = true;
        if (end == std::string_view::npos)
            return;
        m_afterCr = piece[end] == '\r';
        emit();
        piece.remove_prefix(end + 1);
    }
}

void LineSplitter::finish()
{
    if (m_pending)
        emit();
    m_line.clear();
    m_pending = false;
    m_afterCr = false;
}

} // namespace quillon::platform
