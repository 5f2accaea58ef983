#pragma once
// What the fuzz targets share: a check that stops the fuzzer with a message
// when an invariant breaks, small text helpers, an in-memory file system and
// quiet doubles of the services a core::App needs.

#include "core/App.h"
#include "platform/DefaultRouteAddress.h"
#include "core/HostRecord.h"
#include "core/HostSequence.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::fuzz {

// Prints where and why, then traps, so libFuzzer saves the input.
[[noreturn]] void failCheck(const char* file, int line, const char* condition, const std::string& detail);

#define FUZZ_CHECK(cond, detail)                                                                                   \
    do {                                                                                                           \
        if (!(cond))                                                                                               \
            ::quillon::fuzz::failCheck(__FILE__, __LINE__, #cond, (detail));                                     \
    } while (0)

// The text with control and non-ASCII bytes escaped, for messages.
std::string shown(std::string_view text);
// A record as one line of text, for messages.
std::string shown(const core::TRecHost& r);

inline std::string_view asText(const std::uint8_t* data, std::size_t size)
{
    return { reinterpret_cast<const char*>(data), size };
}

// Splits text at each sep into at most maxParts parts; the last part keeps
// any further separators.
std::vector<std::string_view> splitParts(std::string_view text, char sep, std::size_t maxParts);

// The lines of a list file as its format describes them, worked out the
// plain way: Ctrl-Z ends the text; a line ends at CR LF, a lone CR or a lone
// LF; text after the last line end is a line too.
std::vector<std::string_view> plainLines(std::string_view text);

// Trims spaces and tabs at both ends.
std::string_view trimBlanks(std::string_view text);

// Field-by-field equality of two records as the list files keep them: the
// address "0" and no address are the same, Visited is never stored.
bool sameStoredRecord(const core::TRecHost& a, const core::TRecHost& b);
// The records of a list text as the format describes them (an address of
// "0" read as none), each with forcedStatus when that is 0 or more.
std::vector<core::TRecHost> plainRecords(std::string_view text, std::int32_t forcedStatus);
// The lists a loader keeps, as the format describes them. Hosts list: the
// first record of each name, and besides it an entry set on purpose whose
// name and address no kept record has (localhost on ::1 after 127.0.0.1).
// Wait list: the first record of each name not yet kept. Both add to names.
std::vector<core::TRecHost> hostsListOf(const std::vector<core::TRecHost>& records, std::set<std::string>& names);
std::vector<core::TRecHost> waitListOf(const std::vector<core::TRecHost>& records, std::set<std::string>& names);
// What no active list may hold: one name twice in the Wait list or in both
// lists, or one name and address twice. Checks each record in turn.
class ActiveListRule {
public:
    void check(const core::TRecHost& r, bool inHostsList);

private:
    std::set<std::string> m_hostsNames;
    std::set<std::string> m_waitNames;
    std::set<std::pair<std::string, std::string>> m_hostsEntries;
};
// Copies of a list's records, to compare with later.
std::vector<core::TRecHost> copies(const core::HostSequence& seq);
// The same records in the same order (sameStoredRecord), or a trap naming
// the first difference.
void checkSameRecords(const std::vector<core::TRecHost>& got, const std::vector<core::TRecHost>& expected,
                      const char* what);

// A file system in memory. Paths are plain keys (no folders); a hard link
// makes two names share one file, and writing a file that exists rewrites
// it in place, as on POSIX. There are no symbolic links. Reads or writes of chosen paths can be made to
// fail, to reach the error paths of the callers.
class MemoryFileSystem final : public platform::FileSystem {
public:
    void put(const std::string& path, std::string_view data);
    // The file's text, or nullptr when there is none.
    const std::string* contents(const std::string& path) const;

    std::set<std::string> unreadable; // readFile fails with EACCES
    std::set<std::string> unwritable; // writeFile and rewriteInPlace fail with ENOSPC

    bool fileExists(const std::string& path) override;
    platform::FileStamp stamp(const std::string& path) override;
    platform::Status readFile(const std::string& path, std::string& out) override;
    platform::Status readLines(const std::string& path,
                               const std::function<void(std::string_view line)>& take) override;
    // There are no folders: ENOTDIR.
    platform::Status listFolder(const std::string& folder, std::vector<platform::FolderEntry>& out) override;
    platform::Status copyFile(const std::string& from, const std::string& to) override;
    platform::Status writeFile(const std::string& path, std::string_view data) override;
    platform::Status createFile(const std::string& path, std::string_view data) override;
    platform::Status removeFile(const std::string& path) override;
    platform::Status renameFile(const std::string& from, const std::string& to) override;
    platform::Status linkFile(const std::string& from, const std::string& to) override;
    platform::Status copyAttributes(const std::string& from, const std::string& to) override;
    platform::Status setPermissions(const std::string& path, unsigned mode) override;
    platform::Status rewriteInPlace(const std::string& path, std::string_view data, bool& changed) override;
    std::string linkTarget(const std::string& path) override { return path; }
    platform::Status syncDirectory(const std::string& dir) override;
    // Every file is this process's own, and no one else writes here.
    bool isOwnFile(const std::string& path) override { return fileExists(path); }
    platform::FileOwner ownerOf(const std::string& path) override
    {
        return fileExists(path) ? platform::FileOwner { true, true, path } : platform::FileOwner {};
    }
    platform::FolderWriters othersMayWrite(const std::string&) override { return {}; }

private:
    struct Node {
        std::string data;
        std::int64_t mtimeNs = 0;
        std::uint64_t inode = 0;
        unsigned mode = 0644;
    };
    std::shared_ptr<Node> newNode(std::string_view data);

    std::map<std::string, std::shared_ptr<Node>> m_files;
    std::int64_t m_time = 0;
    std::uint64_t m_nextInode = 1;
};

// A clock that stands still at a fixed date.
class FixedClock final : public platform::Clock {
public:
    platform::LocalTime time { 2024, 6, 15, 12, 0, 0, 0 };
    platform::LocalTime now() override { return time; }
    std::uint64_t tickCountMs() override { return 0; }
};

// The main window's side, doing nothing but keeping the page and the lock.
class QuietShell final : public core::Shell {
public:
    bool unlocked = true;
    int locks = 0;
    int unlocks = 0;
    int page = 0;

    void setInterfaceUnlocked(bool on) override;
    void setTimerEnabled(core::Timer, bool) override {}
    void showActivity(int) override {}
    void showHostCount() override {}
    int currentPage() const override { return page; }
    void setCurrentPage(int p) override { page = p; }
    void processEvents() override {}
    void setStatusPanelText(int, const std::string&) override {}
    std::vector<int> selectedRows(int) const override { return {}; }
    void selectRows(int, const std::vector<int>&) override {}
    void selectCurrentRow(int, int) override {}
    void scrollRowToTop(int, int) override {}
    void setBusyCursor(bool) override {}
};

// The person: only the error box (a warning) may appear; any question,
// prompt, input or file dialog is a failure of the harness's invariant.
class ErrorBoxOnlyDialogs final : public core::Dialogs {
public:
    std::vector<std::string> errors;

    core::Answer ask(const std::string& text, core::MessageKind kind) override;
    std::unique_ptr<core::UnverifiablePrompt> unverifiablePrompt(const std::string& host,
                                                                 core::PromptVariant variant) override;
    std::unique_ptr<core::InputDialog> inputDialog(const std::string& caption, const std::string& text) override;
    std::optional<std::string> openFile(const core::FileDialogOptions& options) override;
    std::optional<std::string> saveFile(const core::FileDialogOptions& options) override;

    void showWorkPanel(const core::WorkPanelSetup&) override { m_work = true; }
    void hideWorkPanel() override { m_work = false; }
    bool workPanelVisible() const override { return m_work; }
    void setWorkAction(const std::string&) override {}
    void setWorkUrl(const std::string&) override {}
    void setWorkProgress(int percent) override { m_progress = percent; }
    int workProgress() const override { return m_progress; }
    void setWorkCancelEnabled(bool) override {}
    void repaintWorkPanel() override {}

private:
    bool m_work = false;
    int m_progress = 0;
};

// The computer's address as the connection watch reads it; empty: offline.
class ScriptRouteAddress final : public platform::DefaultRouteAddress {
public:
    std::string address;
    std::string sourceAddress() override { return address; }
};

// A resolver that knows no names; the computer's own name is hostName and
// resolves to `own` (no address: a failed lookup).
class ScriptResolver final : public platform::Resolver {
public:
    std::string hostName;
    std::vector<platform::IPv4> own;

    std::optional<platform::IPv4> numericAddress(const std::string&) override { return std::nullopt; }
    platform::ForwardAnswer lookupName(const std::string& name) override;
    platform::ReverseAnswer lookupAddress(const platform::IPv4&) override { return { std::nullopt, platform::ErrorHostNotFound }; }
    std::string localHostName() override { return hostName; }
};

class FixedConnection final : public core::ConnectionStatus {
public:
    bool online = true;
    bool isOnline() const override { return online; }
};

} // namespace quillon::fuzz
