// The text the hosts helper takes from an unprivileged caller and writes, as
// root, into the system hosts file. Whatever it accepts, the system's
// resolver must read exactly the records the program reads: for every
// accepted line, the words before the first "#" (as glibc splits them, on
// blanks and tabs) are the record's address and names, and nothing else.
// The same bytes, read as standard input in reads of any size, either come
// whole in their frame or are refused; never more than the frame announced.
// And read as the current hosts file, the text the program would write from
// the list it loads from them is one the helper takes: the program never
// sends a text that the helper refuses.

#include "core/CurrentHostsLines.h"
#include "core/HostLine.h"
#include "core/HostsFrame.h"
#include "core/HostsHelper.h"
#include "core/ListFile.h"
#include "core/SystemHostLines.h"
#include "FuzzSupport.h"

#include <cstdint>
#include <algorithm>
#include <cstdio>
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

void checkFrameReader(std::string_view bytes)
{
    // The first byte sets the size of the reads.
    const std::size_t chunk = bytes.empty() ? 1 : 1 + static_cast<unsigned char>(bytes.front()) % 64;
    std::size_t read = 0;
    const HelperInput input = [&](char* buffer, std::size_t size, int&) -> std::ptrdiff_t {
        const std::size_t n = std::min({ size, chunk, bytes.size() - read });
        bytes.copy(buffer, n, read);
        read += n;
        return static_cast<std::ptrdiff_t>(n);
    };
    std::string text;
    const HostsHelperAnswer a = readFramedText(input, text);
    if (a.status == HelperReplaced) {
        const std::size_t header = bytes.find('\n') + 1;
        if (read != bytes.size() || text != bytes.substr(header) || HostsFrame::of(text).header() + "\n" != bytes.substr(0, header))
            std::abort();
    } else if (a.message.empty() || a.message.find('\n') != std::string::npos) {
        std::abort();
    }
}

// The bytes as the current hosts file of a machine named "mybox".
void checkProgramText(std::string_view current)
{
    const std::string path = "/etc/hosts";
    quillon::fuzz::MemoryFileSystem fs;
    fs.put(path, current);
    HostStore store;
    CurrentHostsLines kept;
    if (!loadIntoActive(fs, path, store, StatusSaved) || !readCurrentHostsLines(fs, path, "mybox", kept))
        return;
    std::string written;
    ListFileText pieces({ &store.hosts() }, { StatusWaiting, false }, StatusSaved, &kept);
    while (pieces.next(written)) {
    }
    const HostsTextRefusal refusal = hostsTextRefusal(fs, path, written, "mybox");
    // Only a file without any host line to keep may be refused.
    if (refusal && refusal.message.find("it holds no host line.") == std::string::npos) {
        std::fprintf(stderr, "REFUSED: %s\nTEXT: [%s]\n", refusal.message.c_str(), written.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkFrameReader(text);
    checkProgramText(text);
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
