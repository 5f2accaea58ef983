#pragma once
// Cuts text that arrives in pieces into lines: LF, CR LF and a lone CR end a
// line, and the last line needs no end. A line longer than MaxLineBytes is
// given cut to that length (the rest of it is dropped), so memory stays
// bounded whatever the input.

#include <functional>
#include <string>
#include <string_view>

namespace quillon::platform {

class LineSplitter {
public:
    static constexpr std::size_t MaxLineBytes = 1 << 20;

    explicit LineSplitter(std::function<void(std::string_view line)> take)
        : m_take(std::move(take))
    {
    }

    void feed(std::string_view piece);
    // Gives the last line when the text did not end with a line end.
    void finish();

private:
    void emit();

    std::function<void(std::string_view)> m_take;
    std::string m_line;
    bool m_afterCr = false;
    bool m_pending = false; // m_line holds a started line (possibly empty so far)
};

} // namespace quillon::platform
