#include "core/HostsHelper.h"

#include "core/HostLine.h"
#include "core/HostsFile.h"
#include "core/HostsFrame.h"
#include "core/SystemHostLines.h"
#include "core/Paths.h"
#include "platform/HostsHelperProtocol.h"

#include <algorithm>
#include <optional>

namespace quillon::core {

namespace {

std::string oneLine(std::string text)
{
    for (char& ch : text) {
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f)
            ch = ' ';
    }
    return text;
}

} // namespace

std::size_t firstRefusedHostsLine(std::string_view text)
{
    return firstResolverLineWhere(text, [](std::string_view line, std::size_t) {
        return !line.empty() && (line.size() > HostsHelperMaxLine || !isWrittenHostLine(line));
    });
}

namespace {

constexpr std::string_view Refused = "The new hosts file was refused: ";

HostsHelperAnswer frameRefused(const std::string& why)
{
    return { HelperFrameRefused, std::string(Refused) + why };
}

// Reads until size bytes are in or the input ends; false on an error.
bool readSome(const HelperInput& input, char* buffer, std::size_t size, std::size_t& got, int& error)
{
    got = 0;
    while (got < size) {
        const std::ptrdiff_t n = input(buffer + got, size - got, error);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

HostsHelperAnswer unreadable(int error)
{
    return { HelperInputUnreadable, oneLine("Cannot read the new hosts file. " + platform::Status::fromErrno(error).reason()) };
}

// A restore reads no text, only the program's go-ahead, which it sends once
// the helper holds the lock: a program ended before then (killed while the
// person was asked) sends none, and a start of it that has already looked at
// the hosts file is not overtaken by a restore nobody waits for.
HostsHelperAnswer readGoAhead(const HelperInput& input)
{
    const std::string_view expected = platform::HostsHelperGoAhead;
    std::string got(expected.size() + 1, '\0');
    std::size_t size = 0;
    int error = 0;
    if (!readSome(input, got.data(), got.size(), size, error))
        return unreadable(error);
    if (std::string_view(got.data(), size) != expected)
        return { HelperFrameRefused, "The kept hosts file was not put back: Quillon did not confirm it." };
    return {};
}

} // namespace

HostsHelperAnswer readFramedText(const HelperInput& input, std::string& text)
{
    text.clear();
    // The header, a byte at a time: nothing of the text is read before its
    // size is known.
    std::string header;
    int error = 0;
    for (;;) {
        char c = 0;
        const std::ptrdiff_t n = input(&c, 1, error);
        if (n < 0)
            return unreadable(error);
        if (n == 0 || header.size() + 1 >= HostsFrameMaxHeader)
            return frameRefused(header.empty() && n == 0 ? "no text came." : "it does not begin with its frame header.");
        if (c == '\n')
            break;
        header.push_back(c);
    }
    const std::optional<HostsFrame> frame = HostsFrame::parse(header);
    if (!frame)
        return frameRefused("it does not begin with its frame header.");
    if (frame->size > HostsHelperMaxInput)
        return { HelperInputTooLarge, std::string(Refused) + "it is larger than "
                                          + std::to_string(HostsHelperMaxInputMiB) + " MiB." };
    // Grown as the bytes come: a header that announces much and a text that
    // stops short costs only what came.
    const std::size_t size = static_cast<std::size_t>(frame->size);
    constexpr std::size_t Piece = std::size_t { 1 } << 20;
    while (text.size() < size) {
        const std::size_t before = text.size();
        text.resize(before + std::min(Piece, size - before));
        std::size_t got = 0;
        if (!readSome(input, text.data() + before, text.size() - before, got, error))
            return unreadable(error);
        text.resize(before + got);
        if (got == 0)
            return frameRefused("it ended after " + std::to_string(text.size()) + " of the "
                                + std::to_string(frame->size) + " bytes its frame announces.");
    }
    std::size_t got = 0;
    char extra = 0;
    if (!readSome(input, &extra, 1, got, error))
        return unreadable(error);
    if (got != 0)
        return frameRefused("it is longer than the " + std::to_string(frame->size) + " bytes its frame announces.");
    if (Sha256::ofText(text) != frame->sha256)
        return frameRefused("its SHA-256 checksum is not the one its frame announces.");
    return {};
}

HostsHelperAnswer runHostsHelper(const std::vector<std::string>& args, const HelperInput& input,
                                 platform::FileSystem& fs, const HelperSystem& system)
{
    // The arguments are never echoed: they could hold anything, line ends
    // included, and the answer is one line.
    const bool replace = args.size() == 1 && args.front() == HostsHelperTarget;
    const bool withOption = args.size() == 2 && args.back() == HostsHelperTarget;
    const bool finish = withOption && args.front() == HostsHelperFinish;
    const bool original = withOption && args.front() == HostsHelperRestoreOriginal;
    const bool previous = withOption && args.front() == HostsHelperRestorePrevious;
    if (!replace && !finish && !original && !previous)
        return { HelperTargetRefused, "The hosts helper writes /etc/hosts and no other file." };
    const HostsFilePaths paths = hostsFilePaths(system.folder);
    if (finish) {
        if (Outcome o = finishInterruptedRewrite(fs, paths); !o)
            return { HelperReplaceFailed, oneLine(o.message()) };
        return {};
    }
    if (original || previous) {
        if (HostsHelperAnswer a = readGoAhead(input); a.status != HelperReplaced)
            return a;
        const platform::FileStamp noOwnStamp;
        platform::FileStamp written;
        if (Outcome o = putBackKeptCopy(fs, paths, original ? KeptHostsCopy::Original : KeptHostsCopy::Previous,
                                        system.ownName, noOwnStamp, written);
            !o)
            return { HelperReplaceFailed, oneLine(o.message()) };
        return {};
    }
    std::string text;
    if (HostsHelperAnswer a = readFramedText(input, text); a.status != HelperReplaced)
        return a;
    // A rewrite cut short is finished first, so that the current lines are
    // read from the whole file.
    if (Outcome o = finishInterruptedRewrite(fs, paths); !o)
        return { HelperReplaceFailed, oneLine(o.message()) };
    if (HostsTextRefusal refusal = hostsTextRefusal(fs, paths.hosts, text, system.ownName); refusal) {
        const int status = refusal.kind == HostsTextRefusal::Kind::HostName ? HelperNameRefused : HelperTextRefused;
        return { status, oneLine(std::move(refusal.message)) };
    }
    // The helper cannot know which hosts file the program wrote last, and
    // need not: hosts.orig is made only from a file with lines the program
    // does not write, and never overwritten. With no stamp of its own, the
    // first such file met is kept, which is what hosts.orig is for.
    const platform::FileStamp noOwnStamp;
    platform::FileStamp written;
    if (Outcome o = replaceHostsFile(fs, paths, text, noOwnStamp, written); !o)
        return { HelperReplaceFailed, oneLine(o.message()) };
    return {};
}

} // namespace quillon::core
