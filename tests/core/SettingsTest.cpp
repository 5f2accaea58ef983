#include "core/Settings.h"

#include "fakes/FaultyFileSystem.h"
#include "fakes/TempDir.h"
#include "platform/linux/PosixFileSystem.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <functional>

using namespace quillon::core;
using quillon::platform::DateTimeFormats;
using quillon::platform::PosixFileSystem;
using quillon::test::FaultyFileSystem;
using quillon::test::TempDir;

namespace {

const DateTimeText CDateTimeText(DateTimeFormats { "%m/%d/%y", "%H:%M:%S", "AM", "PM" });

class SettingsTest : public testing::Test {
protected:
    std::string path() const { return m_dir.file("Quillon.ini"); }
    Settings readFile(const std::string& content)
    {
        m_dir.write("Quillon.ini", content);
        return readSettings(IniFile(m_fs, path()), CDateTimeText);
    }
    std::string onDisk() const { return m_dir.read("Quillon.ini"); }

    TempDir m_dir;
    PosixFileSystem m_fs;
};

TEST_F(SettingsTest, read_missingFileGivesDefaults)
{
    EXPECT_EQ(readSettings(IniFile(m_fs, path()), CDateTimeText), Settings {});
}

TEST_F(SettingsTest, read_handEditedFileSetsEveryKey)
{
    const Settings s = readFile("[settings]\r\n"
                                "StartSplash=0\r\nStartTNA=1\r\nWorkTNA=0\r\nSaveWindow=1\r\n"
                                "DDECaptureIExplore=0\r\nDDECaptureNetscape=0\r\nDDEVerify=0\r\nAutoSave=0\r\n"
                                "AutoSaveCount=0\r\nAutoVerifyHosts=0\r\nAutoVerifyHostsDays=30\r\n"
                                "AutoVerifyHostsQQD=0\r\nAutoVerifyHostsQQDDays=14\r\nAutoVerifyConf=0\r\n"
                                "CheckOnLine=0\r\nDDETimerInterval=0x1F4\r\nFilesTimerInterval=2000\r\n"
                                "CheckTimerInterval=60000\r\nFileExtIEBookmarks=*.URL\r\n"
                                "QQDLastVerify=03/05/2001 14:07:09\r\nWindowHeight=600\r\nWindowWidth=800\r\n"
                                "WindowTop=-10000\r\nWindowLeft=-10000\r\nWindowMax=1\r\nHostsFolder=/tmp/h\r\n"
                                "UpdateServer=127.0.0.1:2121\r\nLookAhead=32\r\n");
    Settings expected;
    expected.StartSplash = false;
    expected.StartTNA = true;
    expected.WorkTNA = false;
    expected.SaveWindow = true;
    expected.DDECaptureIExplore = false;
    expected.DDECaptureNetscape = false;
    expected.DDEVerify = false;
    expected.AutoSave = false;
    expected.AutoSaveCount = 0; // used as it stands
    expected.AutoVerifyHosts = false;
    expected.AutoVerifyHostsDays = 30;
    expected.AutoVerifyHostsQQD = false;
    expected.AutoVerifyHostsQQDDays = 14;
    expected.AutoVerifyConf = false;
    expected.CheckOnLine = false;
    expected.DDETimerInterval = 500;
    expected.FilesTimerInterval = 2000;
    expected.CheckTimerInterval = 60000;
    expected.FileExtIEBookmarks = "*.URL";
    expected.QQDLastVerify = *encodeDateTime({ 2001, 3, 5, 14, 7, 9, 0 });
    expected.WindowHeight = 600;
    expected.WindowWidth = 800;
    expected.WindowMax = true;
    expected.HostsFolder = "/tmp/h";
    expected.UpdateServer = "127.0.0.1:2121";
    expected.LookAhead = 32;
    EXPECT_EQ(s, expected);
}

struct EncodingCase {
    const char* name;
    const char* line;
    std::function<bool(const Settings&)> check;
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.line; }

class SettingsEncoding : public SettingsTest, public testing::WithParamInterface<EncodingCase> {};

TEST_P(SettingsEncoding, read_valueGivesSetting)
{
    const Settings s = readFile(std::string("[Settings]\r\n") + GetParam().line + "\r\n");
    EXPECT_TRUE(GetParam().check(s)) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsEncoding,
    testing::Values(
        EncodingCase { "boolTwoIsTrue", "StartTNA=2", [](const Settings& s) { return s.StartTNA; } },
        EncodingCase { "boolWordGivesDefaultTrue", "AutoSave=no", [](const Settings& s) { return s.AutoSave; } },
        EncodingCase { "boolWordGivesDefaultFalse", "WindowMax=yes", [](const Settings& s) { return !s.WindowMax; } },
        EncodingCase { "hex", "CheckTimerInterval=0x1F4",
                       [](const Settings& s) { return s.CheckTimerInterval == 500; } },
        EncodingCase { "zeroXAloneGivesDefault", "AutoSaveCount=0x",
                       [](const Settings& s) { return s.AutoSaveCount == 10; } },
        EncodingCase { "overflowGivesDefault", "WindowWidth=2147483648",
                       [](const Settings& s) { return s.WindowWidth == 650; } },
        EncodingCase { "oneOfTopLeftOnly", "WindowTop=20",
                       [](const Settings& s) { return s.WindowTop == 20 && s.WindowLeft == -10000; } },
        EncodingCase { "unreadableDateIsZero", "QQDLastVerify=last tuesday",
                       [](const Settings& s) { return s.QQDLastVerify == 0; } },
        EncodingCase { "emptyHostsFolderGivesDefault", "HostsFolder=",
                       [](const Settings& s) { return s.HostsFolder == "/etc"; } },
        EncodingCase { "lookAheadZeroIsOne", "LookAhead=0", [](const Settings& s) { return s.LookAhead == 1; } },
        EncodingCase { "lookAheadAboveTheMostIsTheMost", "LookAhead=100000",
                       [](const Settings& s) { return s.LookAhead == 1024; } },
        EncodingCase { "lookAheadTheMostIsKept", "LookAhead=1024",
                       [](const Settings& s) { return s.LookAhead == 1024; } },
        EncodingCase { "lookAheadWordGivesDefault", "LookAhead=many",
                       [](const Settings& s) { return s.LookAhead == 256; } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, writeOptions_writesItsKeysInOrder)
{
    IniFile ini(m_fs, path());
    Settings s;
    s.StartTNA = true;
    s.AutoSaveCount = 25;
    s.AutoVerifyHostsQQDDays = 999;
    s.AutoVerifyConf = false; // never written
    s.CaptureChromium = false;
    s.BrowserHistoryInterval = 900; // never written
    ASSERT_TRUE(writeOptions(ini, s));
    EXPECT_EQ(onDisk(), "[Settings]\r\n"
                        "StartSplash=1\r\nStartTNA=1\r\nWorkTNA=1\r\nSaveWindow=0\r\n"
                        "DDECaptureIExplore=1\r\nDDECaptureNetscape=1\r\nDDEVerify=1\r\nAutoSave=1\r\n"
                        "AutoSaveCount=25\r\nAutoVerifyHosts=1\r\nAutoVerifyHostsDays=7\r\n"
                        "AutoVerifyHostsQQD=1\r\nAutoVerifyHostsQQDDays=999\r\nCheckOnLine=1\r\n"
                        "CaptureFirefox=1\r\nCaptureChromium=0\r\nRefreshAfterHours=24\r\n");
}

TEST_F(SettingsTest, writeOptions_stopsAtFirstFailedWrite)
{
    FaultyFileSystem fs;
    fs.fail(FaultyFileSystem::Op::Write, "", ENOSPC, -1, 3);
    IniFile ini(fs, path());
    const Outcome o = writeOptions(ini, Settings {});
    EXPECT_EQ(o.message(), "Unable to write to " + path());
    EXPECT_EQ(fs.calls(FaultyFileSystem::Op::Write), 4);
    EXPECT_EQ(onDisk(), "[Settings]\r\nStartSplash=1\r\nStartTNA=0\r\nWorkTNA=1\r\n");
}

TEST_F(SettingsTest, writeWindowPlacement_maximizedKeepsPreviousBounds)
{
    m_dir.write("Quillon.ini", "[Settings]\r\nWindowHeight=600\r\nWindowWidth=800\r\nWindowTop=10\r\n"
                               "WindowLeft=20\r\nWindowMax=0\r\n");
    IniFile ini(m_fs, path());
    ASSERT_TRUE(writeWindowPlacement(ini, { true, false, 0, 0, 1080, 1920 }));
    EXPECT_EQ(onDisk(), "[Settings]\r\nWindowHeight=600\r\nWindowWidth=800\r\nWindowTop=10\r\n"
                        "WindowLeft=20\r\nWindowMax=1\r\n");
}

TEST_F(SettingsTest, writeWindowPlacement_normalWritesBoundsInOrder)
{
    IniFile ini(m_fs, path());
    ASSERT_TRUE(writeWindowPlacement(ini, { false, true, -5, 30, 500, 700 }));
    EXPECT_EQ(onDisk(), "[Settings]\r\nWindowMax=0\r\nWindowTop=-5\r\nWindowLeft=30\r\nWindowHeight=500\r\n"
                        "WindowWidth=700\r\n");
}

TEST_F(SettingsTest, qqdLastVerify_roundTripsThroughTextToTheSecond)
{
    const TDateTime when = *encodeDateTime({ 2001, 3, 5, 14, 7, 9, 750 });
    {
        IniFile ini(m_fs, path());
        ASSERT_TRUE(writeQQDLastVerify(ini, when, CDateTimeText));
    }
    EXPECT_EQ(onDisk(), "[Settings]\r\nQQDLastVerify=03/05/2001 14:07:09\r\n");
    const Settings s = readSettings(IniFile(m_fs, path()), CDateTimeText);
    EXPECT_DOUBLE_EQ(s.QQDLastVerify, *encodeDateTime({ 2001, 3, 5, 14, 7, 9, 0 }));

    IniFile ini(m_fs, path());
    ASSERT_TRUE(writeQQDLastVerify(ini, 0, CDateTimeText));
    EXPECT_EQ(onDisk(), "[Settings]\r\nQQDLastVerify=12/30/1899\r\n");
    EXPECT_EQ(readSettings(IniFile(m_fs, path()), CDateTimeText).QQDLastVerify, 0);
}

TEST(Settings, optionNumberFromText_followsNumberFieldRule)
{
    const std::pair<const char*, int> cases[] = {
        { "", 1 }, { "0", 1 }, { "-3", 1 }, { "abc", 1 }, { "12x", 1 }, { "99999999999", 1 },
        { "7", 7 }, { "999", 999 }, { " 12 ", 12 }, { "007", 7 },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(optionNumberFromText(text), expected) << '"' << text << '"';
}

} // namespace
