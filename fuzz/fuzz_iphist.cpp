// iphist.dat, the connection watch's history of earlier addresses. Input:
// the file's text, then optionally (after a NUL) a script of polls, one
// character each: 'o' or 'x' offline (no default route), 'l' a loopback
// address, any other byte b the address 10.0.b.b.
//
// Checked: the history holds at most 25 addresses, none empty, no loopback
// address of the watch's own making; it is the last lines of the file; the
// file written at the end reads back to the history the watch had.

#include "FuzzSupport.h"

#include "core/ListFile.h"
#include "verify/TWinshoeIPWatch.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using namespace quillon;
using namespace quillon::verify;
using fuzz::shown;

namespace {

const std::string HistoryPath = "/q/iphist.dat";
constexpr std::size_t MaxPolls = 64;

void checkHistory(const std::vector<std::string>& history, const std::vector<std::string>& fromFile)
{
    FUZZ_CHECK(history.size() <= TWinshoeIPWatch::MaxHistory, std::to_string(history.size()) + " addresses kept");
    for (const std::string& a : history) {
        FUZZ_CHECK(!a.empty(), "an empty entry");
        FUZZ_CHECK(a.find_first_of(std::string_view("\r\n\x1a", 3)) == std::string::npos, shown(a));
        bool known = false;
        for (const std::string& f : fromFile)
            known = known || f == a;
        FUZZ_CHECK(known || !isLoopbackOrNone(a), "loopback address added: " + shown(a));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> parts = fuzz::splitParts(fuzz::asText(data, size), '\0', 2);
    const std::string_view script = parts.size() > 1 ? parts[1].substr(0, MaxPolls) : std::string_view();

    fuzz::MemoryFileSystem fs;
    fs.put(HistoryPath, parts[0]);
    fuzz::ScriptRouteAddress route;

    // The history as the file gives it: its last 25 non-empty lines.
    std::vector<std::string> fromFile;
    for (const std::string_view line : fuzz::plainLines(parts[0])) {
        if (!line.empty())
            fromFile.emplace_back(line);
    }
    std::vector<std::string> expected(
        fromFile.end() - static_cast<std::ptrdiff_t>(std::min(fromFile.size(), TWinshoeIPWatch::MaxHistory)),
        fromFile.end());

    std::vector<std::string> last;
    {
        auto watch = std::make_unique<TWinshoeIPWatch>(route, fs, HistoryPath);
        FUZZ_CHECK(watch->history() == expected,
                   std::to_string(watch->history().size()) + " addresses read, expected " + std::to_string(expected.size()));
        FUZZ_CHECK(watch->PreviousIP() == (expected.empty() ? std::string() : expected.back()), shown(watch->PreviousIP()));
        for (const char step : script) {
            const std::string b = std::to_string(static_cast<unsigned char>(step));
            route.address = step == 'o' || step == 'x' ? "" : step == 'l' ? "127.0.0.1" : "10.0." + b + "." + b;
            watch->poll();
            FUZZ_CHECK(!watch->reading(), "still reading after a poll");
            FUZZ_CHECK(watch->IsOnline() == !isLoopbackOrNone(watch->CurrentIP()), shown(watch->CurrentIP()));
            checkHistory(watch->history(), fromFile);
        }
        // What the watch adds when it ends, then writes.
        last = watch->history();
        if (watch->IsOnline() && (last.empty() || last.back() != watch->CurrentIP())) {
            last.push_back(watch->CurrentIP());
            if (last.size() > TWinshoeIPWatch::MaxHistory)
                last.erase(last.begin());
        }
    }

    const std::string* saved = fs.contents(HistoryPath);
    FUZZ_CHECK(saved != nullptr, "history file gone");
    FUZZ_CHECK(saved->empty() || saved->ends_with("\r\n"), shown(*saved));
    TWinshoeIPWatch reread(route, fs, HistoryPath);
    checkHistory(reread.history(), fromFile);
    FUZZ_CHECK(reread.history() == last, "the saved history reads back differently: " + shown(*saved));
    return 0;
}
