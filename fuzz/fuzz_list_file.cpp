// The list files: the hosts file (Hosts list), Quillon.d01 (Wait list),
// Quillon.d02 (Trash) and Quillon.d03 (Ignore list). The input is the text of
// the four files separated by NUL bytes (a single text serves for all four).
//
// Checked: the line splitter (on the whole text and in pieces) and the list
// reader against their plain definitions; every loaded record is writable;
// the Hosts and Wait lists hold each name once (but for entries set on
// purpose with another address), with their statuses; what the writer makes
// of the lists reads back to the same records in the same order, is written
// again byte for byte, and a save followed by a fresh load gives the same
// lists. The change log: the hosts file as saved holds what the log takes
// the list to hold (else every save would log changes that never were); the
// changes from the file as read to the list as loaded, written and read
// back, are the same; a log text kept as it is reads the same.

#include "FuzzSupport.h"

#include "core/ChangeLog.h"
#include "core/DateTime.h"
#include "core/HostAddress.h"
#include "core/HostLine.h"
#include "core/HostName.h"
#include "core/HostStore.h"
#include "core/HostsFile.h"
#include "core/ListFile.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace quillon;
using namespace quillon::core;
using fuzz::MemoryFileSystem;
using fuzz::sameStoredRecord;
using fuzz::checkSameRecords;
using fuzz::copies;
using fuzz::plainRecords;
using fuzz::shown;

namespace {

constexpr StatusFilter HostsFilter { StatusWaiting, false };
constexpr StatusFilter WaitFilter { StatusWaiting, true };
constexpr StatusFilter TrashFilter { -1, false };

const std::string HostsPath = "/etc/hosts";
const std::string WaitPath = "/q/Quillon.d01";
const std::string TrashPath = "/q/Quillon.d02";
const std::string IgnorePath = "/q/Quillon.d03";

void checkSplitter(std::string_view text)
{
    std::vector<std::string_view> lines;
    forEachLine(text, [&](std::string_view line) { lines.push_back(line); });
    const std::vector<std::string_view> expected = fuzz::plainLines(text);
    FUZZ_CHECK(lines.size() == expected.size(),
               std::to_string(lines.size()) + " lines, expected " + std::to_string(expected.size()));
    for (std::size_t i = 0; i < lines.size(); ++i)
        FUZZ_CHECK(lines[i] == expected[i], "line " + std::to_string(i) + ": " + shown(lines[i]));

    // Handed over in pieces (the text's length picks their size), the text
    // gives the same lines.
    const std::size_t size = 1 + text.size() % 7;
    std::vector<std::string> pieceLines;
    PieceLines pieces([&](std::string_view line) { pieceLines.emplace_back(line); });
    for (std::size_t from = 0; from < text.size(); from += size)
        pieces.feed(text.substr(from, size));
    pieces.finish();
    FUZZ_CHECK(pieceLines.size() == lines.size(), "in pieces of " + std::to_string(size) + ": "
                   + std::to_string(pieceLines.size()) + " lines, expected " + std::to_string(lines.size()));
    for (std::size_t i = 0; i < pieceLines.size(); ++i)
        FUZZ_CHECK(pieceLines[i] == lines[i], "in pieces, line " + std::to_string(i) + ": " + shown(pieceLines[i]));
}

void checkRecord(const TRecHost& r, const char* where)
{
    FUZZ_CHECK(isWritableHostRecord(r), std::string(where) + ": " + shown(r));
    FUZZ_CHECK(!isUnsafeHostName(r.HostName), std::string(where) + ": " + shown(r));
    FUZZ_CHECK(r.IP.empty() || isHostLineAddress(r.IP), std::string(where) + ": " + shown(r));
}

void checkParse(std::string_view text)
{
    std::vector<std::uint64_t> hashes;
    const RecordList records = parseListText(text, -1, &hashes);
    const std::vector<TRecHost> expected = plainRecords(text, -1);
    FUZZ_CHECK(records.size() == expected.size() && hashes.size() == records.size(),
               std::to_string(records.size()) + " records, expected " + std::to_string(expected.size()));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TRecHost& r = *records[i];
        FUZZ_CHECK(sameStoredRecord(r, expected[i]) && r.IP != "0",
                   "record " + std::to_string(i) + " " + shown(r) + " expected " + shown(expected[i]));
        FUZZ_CHECK(hashes[i] == hashIgnoreCase(r.HostName), shown(r));
        checkRecord(r, "parsed");
    }
}

// The text the writer makes of parts reads back to the records it took, in
// order, and writing those again gives the same text.
void checkWrittenText(const std::vector<const HostSequence*>& parts, StatusFilter filter, std::int32_t newStatus,
                      const char* what)
{
    const std::string text = formatListFile(parts, filter, newStatus);
    std::vector<TRecHost> written;
    for (const HostSequence* seq : parts) {
        for (const RecordPtr& r : *seq) {
            if (!filter.accepts(*r))
                continue;
            TRecHost w = *r;
            if (newStatus >= 0)
                w.Status = newStatus;
            written.push_back(std::move(w));
        }
    }
    FUZZ_CHECK(!isForeignHostsText(text), std::string(what) + ": " + shown(text));
    FUZZ_CHECK(text.empty() || text.ends_with("\r\n"), std::string(what) + ": " + shown(text));
    FUZZ_CHECK(fuzz::plainLines(text).size() == written.size(), std::string(what) + ": " + shown(text));

    RecordList back = parseListText(text, -1);
    std::vector<TRecHost> backCopies;
    for (const RecordPtr& r : back)
        backCopies.push_back(*r);
    checkSameRecords(backCopies, written, what);

    HostStore again;
    again.trash().append(std::move(back));
    const std::string rewritten = formatListFile({ &again.trash() }, TrashFilter, -1);
    FUZZ_CHECK(rewritten == text, std::string(what) + ": " + shown(text) + " rewritten as " + shown(rewritten));
}

void checkChangeLog(MemoryFileSystem& fs, const HostStore& store, std::string_view logText)
{
    HostsSnapshot before;
    FUZZ_CHECK(HostsSnapshot::ofFile(fs, HostsPath, before).ok(), "hosts snapshot failed");
    const HostsSnapshot after = HostsSnapshot::ofHostsList(store);
    const std::vector<ChangeEntry> changes
        = hostsChanges(before, after, store, fs, HostsPath, *encodeDate(2024, 6, 15));
    for (const ChangeEntry& e : changes)
        FUZZ_CHECK(e.op == '+' || e.op == '-' || e.op == '~', formatChangeEntry(e));
    FUZZ_CHECK(parseChangeLog(changeLogText("", changes)) == changes, shown(changeLogText("", changes)));

    std::size_t lines = 0;
    forEachLine(logText, [&](std::string_view line) { lines += line.empty() ? 0 : 1; });
    // Within both limits (a kept line may gain a byte: CR LF for its end).
    if (lines <= ChangeLogMaxLines && logText.size() <= ChangeLogMaxBytes / 2)
        FUZZ_CHECK(parseChangeLog(changeLogText(logText, {})) == parseChangeLog(logText), shown(logText));
}

void load(MemoryFileSystem& fs, HostStore& store, std::vector<std::string>* ignore)
{
    FUZZ_CHECK(loadIntoActive(fs, HostsPath, store, StatusSaved).ok(), "hosts load failed");
    FUZZ_CHECK(loadIntoActive(fs, WaitPath, store, StatusWaiting).ok(), "wait load failed");
    FUZZ_CHECK(loadIntoTrash(fs, TrashPath, store).ok(), "trash load failed");
    if (ignore)
        FUZZ_CHECK(loadIgnoreFile(fs, IgnorePath, *ignore).ok(), "ignore load failed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::asText(data, size);
    std::vector<std::string_view> parts = fuzz::splitParts(input, '\0', 4);
    while (parts.size() < 4)
        parts.push_back(parts.size() == 1 ? parts[0] : std::string_view());

    std::set<std::string_view> seen;
    for (const std::string_view part : parts) {
        if (!seen.insert(part).second)
            continue;
        checkSplitter(part);
        checkParse(part);
    }

    MemoryFileSystem fs;
    fs.put(HostsPath, parts[0]);
    fs.put(WaitPath, parts[1]);
    fs.put(TrashPath, parts[2]);
    fs.put(IgnorePath, parts[3]);
    HostStore store;
    std::vector<std::string> ignore;
    load(fs, store, &ignore);

    // What the loaders must have made of the files.
    std::set<std::string> names;
    const std::vector<TRecHost> expectedHosts = fuzz::hostsListOf(plainRecords(parts[0], StatusSaved), names);
    const std::vector<TRecHost> expectedWait = fuzz::waitListOf(plainRecords(parts[1], StatusWaiting), names);
    std::vector<TRecHost> expectedTrash = plainRecords(parts[2], -1);
    for (TRecHost& r : expectedTrash) {
        if (!isValidStatus(r.Status))
            r.Status = StatusWaiting;
    }
    checkSameRecords(copies(store.hosts()), expectedHosts, "Hosts list");
    checkSameRecords(copies(store.wait()), expectedWait, "Wait list");
    checkSameRecords(copies(store.trash()), expectedTrash, "Trash");
    fuzz::ActiveListRule active;
    for (const HostSequence* seq : { &store.hosts(), &store.wait() }) {
        for (const RecordPtr& r : *seq) {
            checkRecord(*r, "active list");
            active.check(*r, seq == &store.hosts());
            FUZZ_CHECK(r->Status == (seq == &store.hosts() ? StatusSaved : StatusWaiting), shown(*r));
        }
    }
    for (const RecordPtr& r : store.trash()) {
        checkRecord(*r, "Trash");
        FUZZ_CHECK(isValidStatus(r->Status), shown(*r));
    }
    std::vector<std::string_view> expectedIgnore;
    for (const std::string_view line : fuzz::plainLines(parts[3])) {
        if (!line.empty())
            expectedIgnore.push_back(line);
    }
    FUZZ_CHECK(ignore.size() == expectedIgnore.size(), std::to_string(ignore.size()) + " ignore names");
    for (std::size_t i = 0; i < ignore.size(); ++i)
        FUZZ_CHECK(ignore[i] == expectedIgnore[i], shown(ignore[i]));

    checkChangeLog(fs, store, parts[3]);

    // The texts of the writer, as the save writes each file.
    checkWrittenText({ &store.hosts(), &store.wait() }, HostsFilter, StatusSaved, "hosts file");
    checkWrittenText({ &store.hosts(), &store.wait() }, WaitFilter, -1, "Wait list file");
    checkWrittenText({ &store.trash() }, TrashFilter, -1, "Trash file");

    // Save and load again: the same lists.
    FUZZ_CHECK(writeListFile(fs, HostsPath, { &store.hosts(), &store.wait() }, HostsFilter, StatusSaved).ok(),
               "hosts write failed");
    FUZZ_CHECK(writeListFile(fs, WaitPath, { &store.hosts(), &store.wait() }, WaitFilter, -1).ok(),
               "wait write failed");
    FUZZ_CHECK(writeListFile(fs, TrashPath, { &store.trash() }, TrashFilter, -1).ok(), "trash write failed");
    FUZZ_CHECK(writeIgnoreFile(fs, IgnorePath, ignore).ok(), "ignore write failed");
    for (const HostSequence* seq : { &store.hosts(), &store.wait(), &store.trash() }) {
        for (const RecordPtr& r : *seq)
            FUZZ_CHECK(!r->IP.empty(), "written record keeps no address: " + shown(*r));
    }
    HostsSnapshot saved;
    FUZZ_CHECK(HostsSnapshot::ofFile(fs, HostsPath, saved).ok(), "saved hosts snapshot failed");
    FUZZ_CHECK(saved.lines() == HostsSnapshot::ofHostsList(store).lines(), "the saved hosts file is not the list");
    HostStore reloaded;
    std::vector<std::string> ignoreReloaded;
    load(fs, reloaded, &ignoreReloaded);
    checkSameRecords(copies(reloaded.hosts()), copies(store.hosts()), "Hosts list after saving");
    checkSameRecords(copies(reloaded.wait()), copies(store.wait()), "Wait list after saving");
    checkSameRecords(copies(reloaded.trash()), copies(store.trash()), "Trash after saving");
    FUZZ_CHECK(ignoreReloaded == ignore, "Ignore list after saving");
    return 0;
}
