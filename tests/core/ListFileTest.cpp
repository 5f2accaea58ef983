#include "core/HostLine.h"
#include "core/ListFile.h"

#include "fakes/CaseName.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/ManyHosts.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

using namespace quillon::core;
using quillon::test::FaultyFileSystem;
using quillon::test::TempDir;

namespace {

using Names = std::vector<std::string>;

Names names(const HostSequence& seq)
{
    Names out;
    for (const auto& r : seq)
        out.push_back(r->HostName);
    return out;
}

class ListFileTest : public ::testing::Test {
protected:
    TempDir dir;
    FaultyFileSystem fs;
    HostStore store;
};

} // namespace

TEST(ListLines, lineEnds_crCrLfAndLoneLfAndCtrlZ)
{
    Names lines;
    forEachLine("a\r\nb\rc\nd\r\n\r\ne\x1a"
                "f\r\ng",
                [&](std::string_view l) { lines.emplace_back(l); });
    EXPECT_EQ(lines, (Names { "a", "b", "c", "d", "", "e" }));
    lines.clear();
    forEachLine("no final newline", [&](std::string_view l) { lines.emplace_back(l); });
    EXPECT_EQ(lines, (Names { "no final newline" }));
    lines.clear();
    forEachLine("\n\r", [&](std::string_view l) { lines.emplace_back(l); });
    EXPECT_EQ(lines, (Names { "", "" }));
}

// Text handed over in pieces gives the lines of the whole text wherever the
// pieces break: inside CR LF, after a lone CR, before or after a Ctrl-Z.
TEST(ListLines, pieces_giveTheLinesOfTheWholeText)
{
    const std::vector<std::string> texts = { "a\r\nb\rc\nd\r\n\r\ne\x1a"
                                             "f\r\ng",
                                             "\r\r\n\n\r", "x\r", "\r", "one\r\ntwo", "\x1a rest", "tail\r\n\r" };
    for (const std::string& text : texts) {
        Names whole;
        forEachLine(text, [&](std::string_view l) { whole.emplace_back(l); });
        auto split = [&](const std::vector<std::size_t>& cuts) {
            Names lines;
            PieceLines pieces([&](std::string_view l) { lines.emplace_back(l); });
            std::size_t from = 0;
            for (const std::size_t cut : cuts) {
                pieces.feed(std::string_view(text).substr(from, cut - from));
                from = cut;
            }
            pieces.feed(std::string_view(text).substr(from));
            pieces.finish();
            return lines;
        };
        for (std::size_t size = 1; size <= text.size(); ++size) {
            std::vector<std::size_t> cuts;
            for (std::size_t cut = size; cut < text.size(); cut += size)
                cuts.push_back(cut);
            EXPECT_EQ(split(cuts), whole) << "pieces of " << size << " in " << testing::PrintToString(text);
        }
        for (std::size_t cut = 0; cut <= text.size(); ++cut)
            EXPECT_EQ(split({ cut }), whole) << "cut at " << cut << " in " << testing::PrintToString(text);
    }
}

// The real file system hands a file over in 64 KiB pieces: a CR LF and a
// lone CR falling on those boundaries still end their lines.
TEST_F(ListFileTest, loadActive_lineEndsAcrossReadPiecesAsInTheWholeText)
{
    std::string text;
    int n = 0;
    // Host lines up to exactly `end`, the last one's CR landing at end - 1.
    auto fillTo = [&](std::size_t end, const char* lineEnd) {
        for (;;) {
            std::string line = "10.0.0.1 h" + std::to_string(n++) + ".test";
            if (text.size() + line.size() + 2 + 60 >= end) {
                line.append(end - 1 - text.size() - line.size(), 'x');
                text += line + lineEnd;
                return;
            }
            text += line + "\r\n";
        }
    };
    fillTo(65536, "\r\n");  // the CR ends the first piece, its LF starts the second
    fillTo(131072, "\r"); // a lone CR ends the second piece
    text += "10.0.0.2 after-the-cr.test\n10.0.0.3 last.test";
    dir.write("hosts", text);

    ASSERT_TRUE(loadIntoActive(fs, dir.file("hosts"), store, StatusSaved));
    Names expected;
    for (const RecordPtr& r : parseListText(text, StatusSaved))
        expected.push_back(r->HostName);
    EXPECT_EQ(names(store.hosts()), expected);
    EXPECT_EQ(expected.size(), static_cast<std::size_t>(n) + 2);
}

// A text of many pieces, written piece by piece, holds every record once
// and in order, as the whole text would.
TEST_F(ListFileTest, writePieces_manyPiecesHoldEveryRecordOnceInOrder)
{
    store.hosts().append(quillon::test::manyHosts(40000, 0, StatusSaved));
    quillon::platform::PosixFileSystem real;
    ListFileText text({ &store.hosts() }, { StatusWaiting, false }, -1);
    int pieces = 0;
    ASSERT_TRUE(real.writeFilePieces(dir.file("out"), [&](std::string& piece) {
        ++pieces;
        return text.next(piece);
    }));
    EXPECT_GT(pieces, 2);
    // Compared whole: a failure message holding both texts would be megabytes.
    EXPECT_TRUE(dir.read("out") == formatListFile({ &store.hosts() }, { StatusWaiting, false }, -1));
    HostStore back;
    ASSERT_TRUE(loadIntoActive(fs, dir.file("out"), back, StatusSaved));
    EXPECT_EQ(names(back.hosts()), names(store.hosts()));
}

TEST_F(ListFileTest, loadActive_forcesStatusAndDropsExactDuplicates)
{
    dir.write("hosts", "# header\r\n"
                       "10.0.0.1 alpha #Quillon|2001/03/05|14.07.09|3|4#\r\n"
                       "10.0.0.2 Beta b2\r\n"
                       "10.0.0.3 alpha\r\n"  // same name, same case: dropped
                       "10.0.0.4 ALPHA\r\n"  // other case: kept
                       "0 zero\r\n"
                       "10.0.0.5\r\n"
                       "\r\n");
    dir.write("d01", "0 gamma  #Quillon|1899/12/30|00.00.00|3|1#\r\n"
                     "0 beta\r\n" // not the same as Beta: kept
                     "0 Beta\r\n" // already in the Hosts list: dropped
                     "0 gamma\r\n");
    ASSERT_TRUE(loadIntoActive(fs, dir.file("hosts"), store, StatusSaved));
    ASSERT_TRUE(loadIntoActive(fs, dir.file("d01"), store, StatusWaiting));
    EXPECT_EQ(names(store.hosts()), (Names { "alpha", "Beta", "ALPHA", "zero" }));
    EXPECT_EQ(names(store.wait()), (Names { "gamma", "beta" }));
    EXPECT_EQ(store.hosts().at(0).Status, StatusSaved);
    EXPECT_EQ(store.hosts().at(0).Freq, 4);
    EXPECT_EQ(store.hosts().at(1).Alias, "b2");
    EXPECT_EQ(store.hosts().at(3).IP, ""); // "0" reads as no address
    EXPECT_EQ(store.wait().at(0).Status, StatusWaiting);
    EXPECT_EQ(store.activeIndexOf("alpha"), 0); // the list search finds only the first
}

TEST_F(ListFileTest, loadTrash_keepsStatusAndDuplicates_invalidStatusBecomesWaiting)
{
    dir.write("d02", "1.1.1.1 a  #Quillon|2001/03/05|14.07.09|2|1#\n"
                     "1.1.1.1 a  #Quillon|2001/03/05|14.07.09|2|1#\n"
                     "1.1.1.1 b  #Quillon|2001/03/05|14.07.09|X|1#\n"
                     "1.1.1.1 c  #Quillon|2001/03/05|14.07.09|7|1#\n"
                     "1.1.1.1 d\n");
    ASSERT_TRUE(loadIntoTrash(fs, dir.file("d02"), store));
    ASSERT_EQ(store.trash().size(), 5u);
    EXPECT_EQ(store.trash().at(0).Status, StatusVisited);
    EXPECT_EQ(store.trash().at(1).Status, StatusVisited);
    for (int i = 2; i < 5; ++i)
        EXPECT_EQ(store.trash().at(i).Status, StatusWaiting) << i;
}

TEST_F(ListFileTest, load_missingFileIsEmpty_unreadableIsAnErrorWithReason)
{
    EXPECT_TRUE(loadIntoActive(fs, dir.file("nothing"), store, StatusSaved));
    EXPECT_EQ(store.activeSize(), 0u);

    std::filesystem::create_directory(dir.file("adir"));
    const Outcome asDir = loadIntoActive(fs, dir.file("adir"), store, StatusSaved);
    ASSERT_FALSE(asDir);
    EXPECT_EQ(asDir.message(), "Cannot open file \"" + dir.file("adir") + "\". Is a directory");

    dir.write("locked", "1.2.3.4 a\r\n");
    fs.fail(FaultyFileSystem::Op::Read, dir.file("locked"), EACCES);
    const Outcome denied = loadIntoActive(fs, dir.file("locked"), store, StatusSaved);
    ASSERT_FALSE(denied);
    EXPECT_EQ(denied.message(), "Cannot open file \"" + dir.file("locked") + "\". Permission denied");
    EXPECT_EQ(store.activeSize(), 0u);
}

TEST_F(ListFileTest, load_unsafeNamesAreNoNames)
{
    dir.write("hosts", std::string("1.1.1.1 ok\r\n1.1.1.1 bad\x01name\r\n1.1.1.1 has#hash\r\n1.1.1.1 nul\0l\r\n", 53));
    ASSERT_TRUE(loadIntoActive(fs, dir.file("hosts"), store, StatusSaved));
    EXPECT_EQ(names(store.hosts()), (Names { "ok" }));
}

TEST_F(ListFileTest, load_binaryGarbageDoesNotCrash)
{
    std::string garbage;
    for (int i = 0; i < 200000; ++i)
        garbage.push_back(static_cast<char>((i * 7919) % 256));
    dir.write("hosts", garbage);
    EXPECT_TRUE(loadIntoActive(fs, dir.file("hosts"), store, StatusSaved));
    for (const auto& r : store.hosts())
        EXPECT_FALSE(r->HostName.empty());
}

TEST_F(ListFileTest, write_crLfFilteredAndMarksRecordsWritten)
{
    dir.write("hosts", "10.0.0.1 a\n0 b\n");
    ASSERT_TRUE(loadIntoActive(fs, dir.file("hosts"), store, StatusSaved));
    store.hosts().at(0).Status = StatusVerified;
    auto w = std::make_unique<TRecHost>();
    w->HostName = "w";
    store.insertTopOfWait(std::move(w));

    ASSERT_TRUE(writeListFile(fs, dir.file("out"), { &store.hosts(), &store.wait() }, { 0, false }, StatusSaved));
    EXPECT_EQ(dir.read("out"), "10.0.0.1 a  #Quillon|1899/12/30|00.00.00|1|0#\r\n"
                               "0 b  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    EXPECT_EQ(store.hosts().at(0).Status, StatusSaved);
    EXPECT_EQ(store.hosts().at(1).IP, "0");  // stored as written
    EXPECT_EQ(store.wait().at(0).IP, "");    // not written, not touched
    EXPECT_FALSE(dir.exists("out.tmp"));
}

TEST_F(ListFileTest, write_failureLeavesOldFileAndRecordsAlone)
{
    dir.write("d01", "old text\r\n");
    auto r = std::make_unique<TRecHost>();
    r->HostName = "x";
    store.insertTopOfWait(std::move(r));
    fs.fail(FaultyFileSystem::Op::Write, "", ENOSPC);
    const Outcome o = writeListFile(fs, dir.file("d01"), { &store.hosts(), &store.wait() }, { 0, true }, -1);
    ASSERT_FALSE(o);
    EXPECT_EQ(o.message(), "Cannot create file \"" + dir.file("d01") + "\". No space left on device");
    EXPECT_EQ(dir.read("d01"), "old text\r\n");
    EXPECT_EQ(store.wait().at(0).IP, "");
}

TEST_F(ListFileTest, ignoreFile_roundTripSkipsBlankLines)
{
    dir.write("d03", "Alpha\r\n\r\nbeta\ngamma");
    std::vector<std::string> ignore;
    ASSERT_TRUE(loadIgnoreFile(fs, dir.file("d03"), ignore));
    EXPECT_EQ(ignore, (Names { "Alpha", "beta", "gamma" }));
    ASSERT_TRUE(writeIgnoreFile(fs, dir.file("d03"), ignore));
    EXPECT_EQ(dir.read("d03"), "Alpha\r\nbeta\r\ngamma\r\n");
}

// The loader over real public hosts files, its counts checked against a
// separate, simple reading of the same lines.
namespace {

std::size_t independentCount(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    // Each name once, except that a line of another address set on purpose
    // (IPv6, 0/8, 127/8, 224/4 and up) is a record of its own.
    std::set<std::pair<std::string, std::string>> records;
    std::set<std::string> names;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string ip, name;
        if (!(words >> ip >> name) || ip[0] == '#' || name[0] == '#')
            continue;
        // The system's own reading of the address field; "0" is the list
        // files' record without an address.
        // Four dotted numbers, leading zeros allowed (inet_pton refuses them;
        // the system's hosts reader does not).
        unsigned char bytes[16];
        in_addr v4Address {};
        const bool v4 = std::count(ip.begin(), ip.end(), '.') == 3
            && ip.find_first_not_of("0123456789.") == std::string::npos && ::inet_aton(ip.c_str(), &v4Address) != 0;
        std::memcpy(bytes, &v4Address, 4);
        if (ip != "0" && !v4 && ::inet_pton(AF_INET6, ip.c_str(), bytes) != 1)
            continue;
        bool unsafe = false;
        for (unsigned char c : name)
            unsafe |= c < 32 || c == 127 || c == '#';
        if (unsafe)
            continue;
        const bool setOnPurpose = ip != "0" && (!v4 || bytes[0] == 0 || bytes[0] == 127 || bytes[0] >= 224);
        if (names.insert(name).second || (setOnPurpose && !records.count({ name, ip })))
            records.insert({ name, ip });
    }
    return records.size();
}

class RealHostsFiles : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(RealHostsFiles, load_countsMatchAnIndependentReading)
{
    const std::string path = std::string(QUILLON_TEST_DATA) + "/hosts/" + GetParam();
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    FaultyFileSystem fs;
    HostStore store;
    ASSERT_TRUE(loadIntoActive(fs, path, store, StatusSaved));
    EXPECT_EQ(store.hosts().size(), independentCount(path));
    EXPECT_GT(store.hosts().size(), 0u);

    // Written and read again, the list is the same.
    TempDir dir;
    ASSERT_TRUE(writeListFile(fs, dir.file("copy"), { &store.hosts(), &store.wait() }, { 0, false }, StatusSaved));
    HostStore again;
    ASSERT_TRUE(loadIntoActive(fs, dir.file("copy"), again, StatusSaved));
    ASSERT_EQ(again.hosts().size(), store.hosts().size());
    for (std::size_t i = 0; i < store.hosts().size(); ++i) {
        ASSERT_EQ(formatHostLine(again.hosts().at(i)), formatHostLine(store.hosts().at(i))) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Data, RealHostsFiles,
                         ::testing::Values("386bsd__386bsd@0.1/etc/hosts", "AdAway__adaway.github.io/hosts.txt",
                                           "StevenBlack__hosts@2.1.21/hosts", "golang__go/src/net/testdata/hosts",
                                           "golang__go/src/net/testdata/hosts_singleline",
                                           "golang__go/src/net/testdata/ipv4-hosts",
                                           "golang__go/src/net/testdata/ipv6-hosts",
                                           "jonhadfield__python-hosts/test_files/hosts2",
                                           "jonhadfield__python-hosts/test_files/hosts_invalid",
                                           "openbsd__src/etc/hosts",
                                           "FadeMind__hosts.extras/GoodbyeAds-YouTube-Adblock-Extension/hosts"),
                         [](const auto& info) { return quillon::test::caseName(info.index, info.param); });

TEST(RealHostsFilesKnownCounts, goodbyeAds_everyEntryIsOneRecord)
{
    // 97,615 address-and-name lines, no final newline; localhost stands three
    // times: 127.0.0.1 and ::1 load, fe80::1%lo0 is no address.
    FaultyFileSystem fs;
    HostStore store;
    ASSERT_TRUE(loadIntoActive(
        fs, std::string(QUILLON_TEST_DATA) + "/hosts/FadeMind__hosts.extras/GoodbyeAds-YouTube-Adblock-Extension/hosts",
        store, StatusSaved));
    EXPECT_EQ(store.hosts().size(), 97614u);
}
