#include "core/IniFile.h"
#include "core/IntegerText.h"

#include "fakes/CaseName.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/TempDir.h"
#include "platform/linux/PosixFileSystem.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <filesystem>

using namespace quillon::core;
using namespace std::string_literals;
using quillon::platform::PosixFileSystem;
using quillon::test::FaultyFileSystem;
using quillon::test::TempDir;

namespace {

class IniFileTest : public testing::Test {
protected:
    std::string path() const { return m_dir.file("Quillon.ini"); }
    IniFile load(const std::string& content)
    {
        m_dir.write("Quillon.ini", content);
        return IniFile(m_fs, path());
    }
    std::string onDisk() const { return m_dir.read("Quillon.ini"); }

    TempDir m_dir;
    PosixFileSystem m_fs;
};

// ---- reading ----

struct ReadCase {
    const char* name;
    std::string content;
    std::optional<std::string> expected; // of [Settings] Key
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class IniFileRead : public IniFileTest, public testing::WithParamInterface<ReadCase> {};

TEST_P(IniFileRead, readString_findsValue)
{
    const IniFile ini = load(GetParam().content);
    EXPECT_EQ(ini.readString("Settings", "Key"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, IniFileRead,
    testing::Values(
        ReadCase { "plain", "[Settings]\r\nKey=value\r\n", "value" },
        ReadCase { "namesIgnoreCase", "[sETTINGS]\r\nkEY=value\r\n", "value" },
        ReadCase { "blanksAroundEverything", "  [ Settings ]  \n\t Key \t=  some value \t\n", "some value" },
        ReadCase { "doubleQuotesRemoved", "[Settings]\nKey=\" padded \"\n", " padded " },
        ReadCase { "onlyOnePairRemoved", "[Settings]\nKey=\"\"x\"\"\n", "\"x\"" },
        ReadCase { "unmatchedQuotesKept", "[Settings]\nKey=\"x'\n", "\"x'" },
        ReadCase { "equalsInValue", "[Settings]\nKey=a=b\n", "a=b" },
        ReadCase { "loneCrLineEnds", "[Other]\rKey=no\r[Settings]\rKey=yes\r", "yes" },
        ReadCase { "firstOfDuplicateKeys", "[Settings]\nKey=1\nKey=2\n", "1" },
        ReadCase { "duplicateSectionsSearched", "[Settings]\nA=1\n[Other]\nKey=0\n[Settings]\nKey=2\n", "2" },
        ReadCase { "otherSectionOnly", "[Other]\nKey=1\n", std::nullopt },
        ReadCase { "beforeAnySection", "Key=1\n[Settings]\n", std::nullopt },
        ReadCase { "commentedOut", "[Settings]\n;Key=1\n# Key=2\n", std::nullopt },
        ReadCase { "lineWithoutEquals", "[Settings]\nKey\n", std::nullopt },
        ReadCase { "emptyFile", "", std::nullopt }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniFileTest, readString_longValueIsCutTo2047)
{
    const IniFile ini = load("[Settings]\r\nKey=\"" + std::string(3000, 'v') + "\"\r\n");
    EXPECT_EQ(ini.readString("Settings", "Key"), std::string(2047, 'v'));
}

TEST_F(IniFileTest, garbage_readsWithoutCrashAndLinesSurviveAWrite)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>(i * 37 % 256);
    const std::string huge = "Big=" + std::string(10'000'000, 'x');
    IniFile ini = load(garbage + "\r\n[Settings]\r\nN=\0\0 1\r\n"s + huge + "\r\n");
    EXPECT_EQ(ini.readInteger("Settings", "N", 42), 42);
    EXPECT_EQ(ini.readString("Settings", "Big")->size(), IniFile::MaxValueLength);

    ASSERT_TRUE(ini.writeString("Settings", "Key", "v"));
    const std::string file = onDisk();
    EXPECT_NE(file.find(huge + "\r\nKey=v\r\n"), std::string::npos);
    EXPECT_EQ(IniFile(m_fs, path()).readString("Settings", "Key"), "v");
}

// ---- writing ----

TEST_F(IniFileTest, write_updatesInPlaceAndKeepsEveryOtherLine)
{
    const std::string before = "; my settings\r\n"
                               "[Other]\r\n"
                               "key=other\r\n"
                               "\r\n"
                               "[SETTINGS]\r\n"
                               "  autosave = 0   \r\n"
                               "Unknown=keep me\r\n"
                               "\r\n";
    IniFile ini = load(before);
    ASSERT_TRUE(ini.writeString("Settings", "AutoSave", "1"));
    EXPECT_EQ(onDisk(), "; my settings\r\n"
                        "[Other]\r\n"
                        "key=other\r\n"
                        "\r\n"
                        "[SETTINGS]\r\n"
                        "autosave=1\r\n"
                        "Unknown=keep me\r\n"
                        "\r\n");
}

TEST_F(IniFileTest, write_newKeyGoesAfterLastKeyOfItsSection)
{
    IniFile ini = load("[Settings]\nA=1\n; about Other\n\n[Other]\nB=2\n");
    ASSERT_TRUE(ini.writeString("Settings", "C", "3"));
    EXPECT_EQ(onDisk(), "[Settings]\r\nA=1\r\nC=3\r\n; about Other\r\n\r\n[Other]\r\nB=2\r\n");
}

TEST_F(IniFileTest, write_newSectionAppendedAfterBlankLine)
{
    IniFile ini = load("[Other]\nB=2");
    ASSERT_TRUE(ini.writeString("Settings", "A", "1"));
    EXPECT_EQ(onDisk(), "[Other]\r\nB=2\r\n\r\n[Settings]\r\nA=1\r\n");
}

TEST_F(IniFileTest, write_missingFileIsCreatedInWriteOrder)
{
    IniFile ini(m_fs, path());
    ASSERT_TRUE(ini.writeString("Settings", "B", "2"));
    ASSERT_TRUE(ini.writeString("Settings", "A", "1"));
    ASSERT_TRUE(ini.writeString("Settings", "B", "3"));
    EXPECT_EQ(onDisk(), "[Settings]\r\nB=3\r\nA=1\r\n");
    EXPECT_FALSE(m_dir.exists("Quillon.ini.tmp"));
}

// ---- write failures ----

void expectFailedWrite(IniFile& ini, const std::string& path, const std::string& fileBefore)
{
    const Outcome o = ini.writeString("Settings", "Key", "new");
    EXPECT_FALSE(o);
    EXPECT_EQ(o.message(), "Unable to write to " + path);
    EXPECT_EQ(ini.readString("Settings", "Key"), "old");
    EXPECT_EQ(TempDir::readFile(path), fileBefore);
}

TEST_F(IniFileTest, writeFailure_temporaryPathIsAFolder)
{
    IniFile ini = load("[Settings]\nKey=old\n");
    std::filesystem::create_directory(path() + ".tmp");
    expectFailedWrite(ini, path(), "[Settings]\nKey=old\n");
}

TEST_F(IniFileTest, writeFailure_parentIsARegularFile)
{
    m_dir.write("notAFolder", "x");
    const std::string impossible = m_dir.file("notAFolder") + "/Quillon.ini";
    IniFile ini(m_fs, impossible);
    EXPECT_FALSE(ini.loadFailed()); // no file can be there: it reads as missing
    const Outcome o = ini.writeString("Settings", "Key", "new");
    EXPECT_EQ(o.message(), "Unable to write to " + impossible);
    EXPECT_EQ(ini.readString("Settings", "Key"), std::nullopt);
}

TEST_F(IniFileTest, writeFailure_renameFails_temporaryRemovedAndStateKept)
{
    m_dir.write("Quillon.ini", "[Settings]\nKey=old\n");
    FaultyFileSystem fs;
    fs.fail(FaultyFileSystem::Op::Rename, "", EIO);
    IniFile ini(fs, path());
    expectFailedWrite(ini, path(), "[Settings]\nKey=old\n");
    EXPECT_FALSE(m_dir.exists("Quillon.ini.tmp"));
}

TEST_F(IniFileTest, writeFailure_unreadableFileIsNeverReplaced)
{
    m_dir.write("Quillon.ini", "[Settings]\nKey=old\nPrecious=1\n");
    FaultyFileSystem fs;
    fs.fail(FaultyFileSystem::Op::Read, "", EIO);
    IniFile ini(fs, path());
    EXPECT_TRUE(ini.loadFailed());
    const Outcome o = ini.writeString("Settings", "Key", "new");
    EXPECT_EQ(o.message(), "Unable to write to " + path());
    EXPECT_EQ(m_dir.read("Quillon.ini"), "[Settings]\nKey=old\nPrecious=1\n");
}

TEST_F(IniFileTest, writeRefused_textThatWouldNotReadBack)
{
    IniFile ini = load("[Settings]\r\nKey=old\r\n");
    const std::pair<std::string, std::string> names[] = {
        { "Settings", "Key\r\nX" }, { "Set\ntings", "Key" }, { "", "Key" }, { "Set]", "Key" },
        { "Settings", "" },         { "Settings", "A=B" },   { "Settings", "[Key" }, { "Settings", ";Key" },
        { "Settings", "Key " },     { " Settings", "Key" },  { "Settings", "\tKey" },
    };
    for (const auto& [section, key] : names)
        EXPECT_FALSE(ini.writeString(section, key, "v")) << section << "/" << key;
    EXPECT_FALSE(ini.writeString("Settings", "Key", "two\rlines"));
    EXPECT_FALSE(ini.writeString("Settings", "Key", "two\nlines"));
    EXPECT_EQ(onDisk(), "[Settings]\r\nKey=old\r\n");
}

// ---- integer encodings ----

struct IntegerCase {
    const char* text;
    std::optional<int> expected;
};

void PrintTo(const IntegerCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ProfileInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(ProfileInteger, parseProfileInteger_readsDecimalOrHex)
{
    EXPECT_EQ(parseProfileInteger(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ProfileInteger,
    testing::Values(IntegerCase { "+7", 7 }, IntegerCase { "007", 7 }, IntegerCase { "0X1f4", 500 },
                    IntegerCase { "0x7FFFFFFF", 2147483647 }, IntegerCase { "-2147483648", -2147483647 - 1 },
                    IntegerCase { "0x", std::nullopt }, IntegerCase { "0x80000000", std::nullopt },
                    IntegerCase { "-0x10", std::nullopt }, IntegerCase { "2147483648", std::nullopt },
                    IntegerCase { "-2147483649", std::nullopt }, IntegerCase { "-", std::nullopt },
                    IntegerCase { "99999999999999999999999", std::nullopt }, IntegerCase { "1 2", std::nullopt }),
    [](const auto& info) { return quillon::test::caseName(info.index, info.param.text); });

} // namespace
