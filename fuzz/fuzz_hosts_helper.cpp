// The text the hosts helper takes from an unprivileged caller and writes, as
// root, into the system hosts file. Whatever it accepts, the system's
// resolver must read exactly the records the program reads: for every
// accepted line, the words before the first "#" (as glibc splits them, on
// blanks and tabs) are the record's address and names, and nothing else.

#include "core/HostLine.h"
#include "core/HostsHelper.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace quillon::core;

namespace {

std::vector<std::string> resolverWords(std::string_view line)
{
    line = line.substr(0, line.find('#'));
    std::vector<std::string> words;
    std::string word;
    for (const char c : line) {
        if (c == ' ' || c == '\t') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

std::vector<std::string> recordWords(const TRecHost& r)
{
    std::vector<std::string> words { r.IP.empty() ? "0" : r.IP, r.HostName };
    std::string word;
    for (const char c : r.Alias + " ") {
        if (c == ' ') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (firstRefusedHostsLine(text) != 0)
        return 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const TRecHost r = readHostLine(line, StatusSaved);
        if (!isWritableHostRecord(r) || resolverWords(line) != recordWords(r))
            std::abort();
    }
    return 0;
}
