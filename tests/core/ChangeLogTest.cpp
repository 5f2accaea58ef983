// The change log a save keeps of the hosts file, and putting back the copies
// the replace kept.

#include "core/ChangeLog.h"
#include "core/HostsRestore.h"
#include "core/SaveAll.h"

#include "fakes/AppFixture.h"

#include <cerrno>
#include <filesystem>

using namespace quillon::core;
using namespace quillon::test;
using Op = FaultyFileSystem::Op;

namespace {

const std::string Foreign = "# mine\r\n10.0.0.1 alpha\r\n10.0.0.2 beta\r\n10.0.0.3 gamma\r\n";
const std::string When = "2024/06/15\t12.00.00\t";

RecordPtr host(const std::string& name, const std::string& ip)
{
    auto r = std::make_unique<TRecHost>();
    r->HostName = name;
    r->Status = StatusVerified;
    r->IP = ip;
    return r;
}

class ChangeLogTest : public AppFixture {
protected:
    ChangeLogTest() { hostsDir.write("hosts", Foreign); }
    std::string log() const { return programDir.exists("Quillon.d04") ? programDir.read("Quillon.d04") : ""; }
    void removeHost(const std::string& name)
    {
        for (std::size_t i = 0; i < state.store.hosts().size(); ++i) {
            if (state.store.hosts().at(i).HostName == name)
                state.store.insertTopOfTrash(state.store.hosts().take(i));
        }
    }
};

} // namespace

// One line per change, new and changed names in list order, then those gone;
// the foreign lines the first save gives its marker are no change.
TEST_F(ChangeLogTest, save_logsEachNameAddedChangedOrRemoved)
{
    startAndLoad();
    state.store.insertTopOfHosts(host("delta", "1.2.3.4"));
    state.store.hosts().at(2).IP = "10.0.0.9"; // beta
    removeHost("gamma");
    ASSERT_TRUE(saveAll(app));
    EXPECT_EQ(log(), When + "+\tdelta\t1.2.3.4\r\n" + When + "~\tbeta\t10.0.0.9\t10.0.0.2\r\n" + When
                         + "-\tgamma\t10.0.0.3\r\n");

    // Another program wrote the hosts file since: what it added and the save
    // drops is a change of this save too.
    hostsDir.write("hosts", hostsDir.read("hosts") + "10.0.0.5 epsilon\r\n");
    clock.time.minute = 1;
    state.store.insertTopOfHosts(host("zeta", "1.2.3.5"));
    ASSERT_TRUE(saveAll(app));
    const std::string later = "2024/06/15\t12.01.00\t";
    EXPECT_TRUE(log().ends_with(later + "+\tzeta\t1.2.3.5\r\n" + later + "-\tepsilon\t10.0.0.5\r\n")) << log();
}

// The log goes into place with the hosts file or not at all.
TEST_F(ChangeLogTest, failedHostsReplace_logsNothing)
{
    startAndLoad();
    state.store.insertTopOfHosts(host("delta", "1.2.3.4"));
    fs.fail(Op::Rename, state.paths.hostsFile.hosts, EROFS);
    EXPECT_FALSE(saveAll(app));
    EXPECT_FALSE(programDir.exists("Quillon.d04"));
    EXPECT_FALSE(programDir.exists("Quillon.d04.tmp"));
}

TEST(ChangeLogText, keepsTheLastLinesAndSkipsWhatIsNoEntry)
{
    std::string old;
    for (std::size_t i = 0; i < ChangeLogMaxLines; ++i)
        old += When + "+\th" + std::to_string(i) + "\t1.1.1.1\r\n";
    const ChangeEntry added { "2024/06/16", "01.02.03", '-', "gone", "2.2.2.2", {} };
    const std::vector<ChangeEntry> entries = parseChangeLog(changeLogText(old, { added, added }));
    ASSERT_EQ(entries.size(), ChangeLogMaxLines);
    EXPECT_EQ(entries.front().name, "h2");
    EXPECT_EQ(entries.back(), added);

    const std::string good = When + "~\tx\t1.1.1.1\t2.2.2.2\r\n" + When + "=\thosts.orig\t\r\n";
    const std::string mixed = When + "~\tx\t1.1.1.1\t2.2.2.2\n" + "not an entry\n" + When + "*\ty\t1.1.1.1\n" + When
        + "+\t\t1.1.1.1\n" + "2024/6/15\t12.00.00\t+\tz\t1.1.1.1\n" + "2024/06/15\t12:00:00\t+\tz\t1.1.1.1\n"
        + When + "=\thosts.orig\t\n";
    const std::vector<ChangeEntry> parsed = parseChangeLog(mixed);
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0].oldAddress, "2.2.2.2");
    EXPECT_EQ(parsed[1].op, '=');
    EXPECT_EQ(newestFirst(parsed, "HOSTS"), (std::vector<std::size_t> { 1 }));
    // What is no entry is gone from the log at its next write.
    EXPECT_EQ(changeLogText(mixed, {}), good);
}

// The date an entry is shown with: the one its line was written with, to
// the second; none where a log edited by hand holds no real date.
TEST(ChangeLogText, entryDateTime_isTheDateTheEntryWasWrittenWith)
{
    const TDateTime when = *encodeDateTime({ 2026, 12, 8, 9, 14, 5, 0 });
    EXPECT_EQ(entryDateTime(restoreEntry(when, "hosts.orig")), when);
    EXPECT_EQ(entryDateTime(parseChangeLog(When + "+\th\t1.1.1.1\r\n").at(0)),
              encodeDateTime({ 2024, 6, 15, 12, 0, 0, 0 }));
    const std::pair<const char*, const char*> notDates[] = {
        { "2024/13/01", "10.00.00" }, { "2023/02/29", "10.00.00" }, { "2024/06/15", "24.00.00" },
        { "2024/06/15", "10.60.00" }, { "+024/06/15", "10.00.00" }, { "2024/06/15", "-1.00.00" },
        { "2024-06-15", "10.00.00" }, { "2024/06/15", "10:00:00" }, { "2024/6/15", "10.00.00" },
    };
    for (const auto& [date, time] : notDates)
        EXPECT_EQ(entryDateTime({ date, time, '+', "h", "1.1.1.1", {} }), std::nullopt) << date << ' ' << time;
}

// Fewer lines than the limit that make more than ChangeLogMaxBytes: the
// newest whole lines that fit are kept.
TEST(ChangeLogText, keepsTheNewestLinesThatFitTheSize)
{
    const std::string name(500, 'n');
    std::string old;
    std::size_t lines = 0;
    for (; old.size() <= ChangeLogMaxBytes; ++lines)
        old += When + "+\t" + std::to_string(lines) + name + "\t1.1.1.1\r\n";
    ASSERT_LT(lines, ChangeLogMaxLines);
    const std::size_t longestLine = old.size() - old.rfind('\n', old.size() - 2) - 1; // the last, most digits
    const ChangeEntry added { "2024/06/16", "01.02.03", '-', "gone", "2.2.2.2", {} };
    const std::string text = changeLogText(old, { added });
    EXPECT_LE(text.size(), ChangeLogMaxBytes);
    EXPECT_GT(text.size(), ChangeLogMaxBytes - longestLine);
    const std::vector<ChangeEntry> entries = parseChangeLog(text);
    EXPECT_EQ(entries.back(), added);
    EXPECT_EQ(entries.front().name, std::to_string(lines - entries.size() + 1) + name);
    EXPECT_TRUE(text.starts_with(When)) << "the first line is whole";
}

// A log grown to one endless line: only its tail is read, the whole last
// line there is kept, and the save leaves a log of a sensible size.
TEST_F(ChangeLogTest, hugeLog_isReadOnlyAtItsTailAndShrinksAtTheNextSave)
{
    const std::string kept = When + "+\tkept\t1.1.1.1\r\n";
    programDir.write("Quillon.d04", std::string(3 * ChangeLogMaxBytes, 'x') + "\r\n" + kept);
    startAndLoad();
    state.store.insertTopOfHosts(host("delta", "1.2.3.4"));
    ASSERT_TRUE(saveAll(app));
    EXPECT_EQ(log(), kept + When + "+\tdelta\t1.2.3.4\r\n");
    EXPECT_LE(fs.bytesRead(state.paths.d04), ChangeLogMaxBytes + 1);

    std::vector<ChangeEntry> entries;
    ASSERT_TRUE(readChangeLog(fs, state.paths.d04, entries));
    EXPECT_EQ(entries.size(), 2u);
}

// A log that cannot be read says why: to the Changes window, and to the save,
// which leaves it alone and saves the rest.
TEST_F(ChangeLogTest, unreadableLog_saysWhy)
{
    std::filesystem::create_directory(programDir.file("Quillon.d04"));
    startAndLoad();
    const std::string why = "Cannot open file \"" + state.paths.d04 + "\". Is a directory";
    std::vector<ChangeEntry> entries;
    const Outcome read = readChangeLog(fs, state.paths.d04, entries);
    EXPECT_FALSE(read);
    EXPECT_EQ(read.message(), why);

    state.store.insertTopOfHosts(host("delta", "1.2.3.4"));
    EXPECT_FALSE(saveAll(app));
    EXPECT_EQ(dialogs.askedTexts().back(), why);
    EXPECT_NE(hostsDir.read("hosts").find("delta"), std::string::npos);
}

// Restore Original: after a Yes, hosts.orig byte for byte, the lists read
// again from it, the restore in the log; unsaved changes are saved first.
TEST_F(ChangeLogTest, restoreOriginal_putsBackTheFileAndReloads)
{
    startAndLoad();
    state.store.insertTopOfHosts(host("delta", "1.2.3.4"));
    ASSERT_TRUE(saveAll(app));
    state.store.insertTopOfTrash(state.store.hosts().take(0));
    state.store.setPendingChanges(1);

    dialogs.answers = { Answer::No };
    EXPECT_FALSE(restoreHostsFile(app, KeptHostsCopy::Original));
    EXPECT_NE(hostsDir.read("hosts"), Foreign);

    dialogs.answers = { Answer::Yes };
    ASSERT_TRUE(restoreHostsFile(app, KeptHostsCopy::Original));
    EXPECT_EQ(dialogs.asked.back().text, RestoreOriginalQuestion);
    EXPECT_EQ(dialogs.asked.back().kind, MessageKind::QuestionDefaultNo);
    EXPECT_EQ(hostsDir.read("hosts"), Foreign);
    EXPECT_EQ(names(ListPage::Hosts), (std::vector<std::string> { "alpha", "beta", "gamma" }));
    EXPECT_EQ(names(ListPage::Trash), (std::vector<std::string> { "delta" }));
    EXPECT_EQ(parseChangeLog(log()).back(), (ChangeEntry { "2024/06/15", "12.00.00", '=', "hosts.orig", {}, {} }));

    // The next save logs against the file put back.
    state.store.insertTopOfHosts(host("zeta", "1.2.3.5"));
    ASSERT_TRUE(saveAll(app));
    EXPECT_TRUE(log().ends_with(When + "+\tzeta\t1.2.3.5\r\n")) << log();
}

TEST_F(ChangeLogTest, restore_refusedWhileARunGoesOn)
{
    startAndLoad();
    state.store.insertTopOfHosts(host("delta", "1.2.3.4"));
    ASSERT_TRUE(saveAll(app));
    const std::string saved = hostsDir.read("hosts");
    dialogs.showWorkPanel({});
    EXPECT_FALSE(restoreHostsFile(app, KeptHostsCopy::Previous));
    EXPECT_EQ(dialogs.askedTexts(), (std::vector<std::string> { RestoreRefusedWhileRunning }));
    EXPECT_EQ(hostsDir.read("hosts"), saved);
}
