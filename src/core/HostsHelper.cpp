#include "core/HostsHelper.h"

#include "core/HostLine.h"
#include "core/HostsFile.h"
#include "core/Paths.h"

namespace quillon::core {

namespace {

bool isControl(char ch)
{
    const auto c = static_cast<unsigned char>(ch);
    return c < 0x20 || c == 0x7f;
}

// One line without its end (see firstRefusedHostsLine).
bool isAcceptedLine(std::string_view line)
{
    if (line.empty())
        return true;
    if (line.size() > HostsHelperMaxLine)
        return false;
    // A control character anywhere could end the line early for one reader
    // and not for another (CR, Ctrl-Z, NUL), or part fields (tab).
    for (const char ch : line) {
        if (isControl(ch))
            return false;
    }
    // The resolver reads up to the first "#", whatever precedes it on the
    // same token; the marker must be where that first "#" is.
    const std::size_t hash = line.find('#');
    if (hash == std::string_view::npos || hash == 0 || line[hash - 1] != ' ')
        return false;
    const TRecHost r = readHostLine(line, StatusSaved);
    if (!isWritableHostRecord(r))
        return false;
    // The marker as the program writes it for what was read; the written
    // line has no "#" before its marker, so the first one starts it.
    const std::string written = formatHostLine(r);
    const std::string_view marker = std::string_view(written).substr(written.find('#') - 1);
    return line.substr(hash - 1) == marker;
}

std::string oneLine(std::string text)
{
    for (char& ch : text) {
        if (isControl(ch))
            ch = ' ';
    }
    return text;
}

} // namespace

std::size_t firstRefusedHostsLine(std::string_view text)
{
    std::size_t number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        ++number;
        std::size_t end = text.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (end < text.size() && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!isAcceptedLine(line))
            return number;
        pos = next;
    }
    return 0;
}

HostsHelperAnswer runHostsHelper(const std::vector<std::string>& args, std::string_view input,
                                 platform::FileSystem& fs, const std::string& systemFolder)
{
    // The arguments are never echoed: they could hold anything, line ends
    // included, and the answer is one line.
    if (args.size() != 1 || args.front() != HostsHelperTarget)
        return { HelperTargetRefused, "The hosts helper writes /etc/hosts and no other file." };
    if (input.size() > HostsHelperMaxInput)
        return { HelperInputTooLarge, "The new hosts file was refused: it is larger than "
                                          + std::to_string(HostsHelperMaxInputMiB) + " MiB." };
    if (const std::size_t line = firstRefusedHostsLine(input); line != 0) {
        return { HelperTextRefused, "The new hosts file was refused: line " + std::to_string(line)
                                        + " is not a host line that Quillon writes." };
    }
    // The helper cannot know which hosts file the program wrote last, and
    // need not: hosts.orig is made only from a file with lines the program
    // does not write, and never overwritten. With no stamp of its own, the
    // first such file met is kept, which is what hosts.orig is for.
    const platform::FileStamp noOwnStamp;
    platform::FileStamp written;
    if (Outcome o = replaceHostsFile(fs, hostsFilePaths(systemFolder), input, noOwnStamp, written); !o)
        return { HelperReplaceFailed, oneLine(o.message()) };
    return { HelperReplaced, {} };
}

} // namespace quillon::core
