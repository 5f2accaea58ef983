// Importing a host list file (*.hst) over a program that has started with
// its own lists. The input is NUL-separated: the .hst text, then optionally
// the texts of Quillon.d01, the hosts file and Quillon.d02 as found at
// start-up, then flags that make files fail: 'h' the .hst cannot be read,
// 'm' it does not exist, 'b' Quillon.d01 cannot be read from start-up on
// (so it is never written), 'w' it cannot be read during the import, 's'
// the hosts file cannot be saved.
//
// Checked: the Hosts list becomes the .hst's records (first occurrence of
// each name, and entries set on purpose of another address, all Saved, all
// writable); no name is twice in the active list but such entries;
// the Wait list keeps its own hosts but none of the imported ones; the Trash
// is untouched; the hosts file reads back as the Hosts list (written anew, or
// a file the program never wrote left as found when the list gives what it
// gave when that file was read); only
// the error box ever appears, and only when something failed.

#include "FuzzSupport.h"

#include "core/HostAddress.h"
#include "core/HostLine.h"
#include "core/HostListFile.h"
#include "core/HostName.h"
#include "core/HostsFile.h"
#include "core/ListCommands.h"
#include "core/ListFile.h"
#include "core/Startup.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace quillon;
using namespace quillon::core;
using fuzz::checkSameRecords;
using fuzz::copies;
using fuzz::plainRecords;
using fuzz::shown;

namespace {

const std::string ProgramFolder = "/q/";
const std::string HstPath = "/import/list.hst";

// The hosts-file text of records, as a save writes it.
std::string asWritten(const std::vector<TRecHost>& records)
{
    std::string text;
    for (const TRecHost& r : records) {
        if (appendHostLine(text, r, StatusSaved))
            text += "\r\n";
    }
    return text;
}

std::string fileText(const fuzz::MemoryFileSystem& fs, const std::string& path)
{
    const std::string* text = fs.contents(path);
    return text ? *text : std::string("<none>");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> parts = fuzz::splitParts(fuzz::asText(data, size), '\0', 5);
    const std::string_view hst = parts[0];
    const std::string_view flags = parts.size() > 4 ? parts[4] : std::string_view();
    const auto flag = [&](char c) { return flags.find(c) != std::string_view::npos; };
    const bool hstMissing = flag('m');
    const bool hstUnreadable = !hstMissing && flag('h');
    const bool waitUnreadable = flag('w');
    const bool hostsUnsaved = flag('s');
    const bool waitBlocked = flag('b');

    fuzz::MemoryFileSystem fs;
    fs.put(ProgramFolder + "Quillon.ini", "[Settings]\r\nHostsFolder=/etc\r\n");
    if (!hstMissing)
        fs.put(HstPath, hst);
    fuzz::FixedClock clock;
    fuzz::QuietShell shell;
    fuzz::ErrorBoxOnlyDialogs dialogs;
    fuzz::ScriptResolver resolver;
    fuzz::FixedConnection connection;
    ProgramState state;
    App app { state, fs, clock, dialogs, shell, resolver, connection };
    readSettingsAndPaths(fs, state, foldersBeside(ProgramFolder));
    const Paths& paths = state.paths;
    FUZZ_CHECK(paths.hostsFile.hosts == "/etc/hosts", shown(paths.hostsFile.hosts));
    if (parts.size() > 1)
        fs.put(paths.d01, parts[1]);
    if (parts.size() > 2)
        fs.put(paths.hostsFile.hosts, parts[2]);
    if (parts.size() > 3)
        fs.put(paths.d02, parts[3]);
    if (waitBlocked)
        fs.unreadable.insert(paths.d01);
    loadLists(app);
    FUZZ_CHECK(dialogs.errors.empty() == !(waitBlocked && fs.contents(paths.d01)), "start-up error boxes");
    dialogs.errors.clear();

    const std::vector<TRecHost> hostsBefore = copies(state.store.hosts());
    const std::vector<TRecHost> waitBefore = copies(state.store.wait());
    const std::vector<TRecHost> trashBefore = copies(state.store.trash());
    const std::string hostsFileBefore = fileText(fs, paths.hostsFile.hosts);
    if (hstUnreadable)
        fs.unreadable.insert(HstPath);
    if (waitUnreadable)
        fs.unreadable.insert(paths.d01);
    if (hostsUnsaved)
        fs.unwritable.insert(paths.hostsFile.tmp);

    const bool imported = importHostsList(app, HstPath);

    FUZZ_CHECK(shell.unlocked && state.unlocked && shell.locks == shell.unlocks, "the interface stays locked");
    checkSameRecords(copies(state.store.trash()), trashBefore, "Trash");
    if (!hstMissing)
        FUZZ_CHECK(fileText(fs, HstPath) == hst, "the .hst file changed");

    if (!imported) {
        // Refused: the .hst could not be read, or the save before the import
        // failed. Nothing changes and the person is told.
        FUZZ_CHECK(hstUnreadable || hostsUnsaved || waitBlocked, "import refused");
        FUZZ_CHECK(!dialogs.errors.empty(), "a refused import went unreported");
        checkSameRecords(copies(state.store.hosts()), hostsBefore, "Hosts list after a refused import");
        checkSameRecords(copies(state.store.wait()), waitBefore, "Wait list after a refused import");
        FUZZ_CHECK(fileText(fs, paths.hostsFile.hosts) == hostsFileBefore, "hosts file changed");
        return 0;
    }
    FUZZ_CHECK(!hstUnreadable, "an unreadable file was imported");
    // A save writes only what changed: a file that cannot be written fails
    // only a save that changes it (checked below); Quillon.d01 unreadable
    // fails the reading back.
    if (!waitUnreadable && !hostsUnsaved && !waitBlocked)
        FUZZ_CHECK(dialogs.errors.empty(), "error box: " + shown(dialogs.errors.front()));
    else if (waitUnreadable && fs.contents(paths.d01))
        FUZZ_CHECK(!dialogs.errors.empty(), "a failure went unreported");
    FUZZ_CHECK(!state.blocked.hosts, "hosts file still blocked");
    FUZZ_CHECK(shell.page == pageIndex(ListPage::Hosts), "page " + std::to_string(shell.page));

    // The Hosts list is the rows of the system's own lines it held, then the
    // .hst's other records as the loader keeps them, all Saved.
    const auto isSystemRow = [&](const TRecHost& r) { return !systemRowRefusal(state, r, "").empty(); };
    const auto withoutSystemRows = [&](std::vector<TRecHost> records) {
        std::erase_if(records, isSystemRow);
        return records;
    };
    std::vector<TRecHost> expected;
    for (const TRecHost& r : hostsBefore) {
        if (isSystemRow(r))
            expected.push_back(r);
    }
    for (TRecHost& r : withoutSystemRows(plainRecords(hstMissing ? "" : hst, 1)))
        expected.push_back(std::move(r));
    std::set<std::string> taken;
    const std::vector<TRecHost> expectedHosts = fuzz::hostsListOf(expected, taken);
    checkSameRecords(copies(state.store.hosts()), expectedHosts, "Hosts list");
    // The Wait list: read back from Quillon.d01 as the first save left it
    // (the previous Wait list; a save that failed refuses the import), or the
    // Wait list in memory when the file cannot be read.
    checkSameRecords(copies(state.store.wait()), fuzz::waitListOf(waitBefore, taken), "Wait list");

    fuzz::ActiveListRule active;
    for (const HostSequence* seq : { &state.store.hosts(), &state.store.wait() }) {
        const bool hosts = seq == &state.store.hosts();
        for (const RecordPtr& r : *seq) {
            active.check(*r, hosts);
            FUZZ_CHECK(r->Status == (hosts ? StatusSaved : StatusWaiting), shown(*r));
            FUZZ_CHECK(isWritableHostRecord(*r), shown(*r));
            FUZZ_CHECK(!isUnsafeHostName(r->HostName), shown(*r));
            FUZZ_CHECK(r->IP.empty() || isHostLineAddress(r->IP), shown(*r));
        }
    }

    // The hosts file: the Hosts list, as the program writes it; the first
    // foreign hosts file is kept.
    const std::string hostsFile = fileText(fs, paths.hostsFile.hosts);
    if (hostsUnsaved) {
        FUZZ_CHECK(hostsFile == hostsFileBefore, "hosts file changed by a failed save");
        // A Hosts list other than the file holds is a change the save could
        // not write: the person was told.
        std::set<std::string> read;
        const bool same = asWritten(withoutSystemRows(fuzz::hostsListOf(plainRecords(hostsFile, 1), read)))
            == asWritten(withoutSystemRows(copies(state.store.hosts())));
        FUZZ_CHECK(same || !dialogs.errors.empty(), "a change the save could not write went unreported");
        return 0;
    }
    // The file reads as the Hosts list (the system's own lines aside, which
    // stay as the file had them): written anew in the program's form, or
    // left as found when the Hosts list gives the text it gave then.
    std::set<std::string> read;
    FUZZ_CHECK(asWritten(withoutSystemRows(fuzz::hostsListOf(plainRecords(hostsFile, 1), read)))
                   == asWritten(withoutSystemRows(copies(state.store.hosts()))),
               "the hosts file is not the Hosts list: " + shown(hostsFile));
    // Every line of a new file is one the program writes, or one the file
    // before held as it stands.
    std::set<std::string, std::less<>> linesBefore;
    forEachLine(hostsFileBefore, [&](std::string_view line) { linesBefore.emplace(line); });
    forEachLine(hostsFile, [&](std::string_view line) {
        FUZZ_CHECK(line.empty() || isWrittenHostLine(line) || linesBefore.count(line), shown(std::string(line)));
    });
    if (hostsFile != hostsFileBefore && parts.size() > 2 && isForeignHostsText(parts[2]))
        FUZZ_CHECK(fileText(fs, paths.hostsFile.orig) == parts[2], "hosts.orig is not the first hosts file");
    else if (hostsFile == hostsFileBefore)
        FUZZ_CHECK(!fs.contents(paths.hostsFile.orig), "hosts.orig without a save of the hosts file");
    else
        FUZZ_CHECK(!fs.contents(paths.hostsFile.orig), "hosts.orig of the program's own file");
    return 0;
}
