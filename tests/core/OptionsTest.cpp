#include "core/Options.h"

#include "fakes/CaseName.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace quillon::core;
using quillon::test::FaultyFileSystem;
using quillon::test::TempDir;

namespace {

// A log-on entry in memory that can refuse every change.
class MemoryAutostart final : public quillon::platform::Autostart {
public:
    std::optional<std::string> command() override { return entry; }
    bool enable(const std::string& program) override
    {
        if (!writable)
            return false;
        entry = program;
        return true;
    }
    bool disable() override
    {
        if (!writable)
            return false;
        entry.reset();
        return true;
    }
    std::optional<std::string> entry;
    bool writable = true;
};

class OptionsTest : public testing::Test {
protected:
    OptionsTest() { state.paths.ini = dir.file("Quillon.ini"); }

    TempDir dir;
    FaultyFileSystem fs;
    MemoryAutostart autostart;
    ProgramState state;
};

struct NumberCase {
    const char* name;
    const char* typed;
    int stored;
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

class OptionNumbers : public OptionsTest, public testing::WithParamInterface<NumberCase> { };

// What a three-digit field may hold, as the dialog hands it over (blank
// positions are spaces).
TEST_P(OptionNumbers, apply_storesTheNumberTheFieldStandsFor)
{
    OptionValues v = loadOptions(state.settings, autostart);
    v.autoSaveCount = v.autoVerifyHostsDays = v.autoVerifyHostsQQDDays = GetParam().typed;
    ASSERT_TRUE(applyOptions(state, fs, autostart, "/opt/q/quillon", v));
    EXPECT_EQ(state.settings.AutoSaveCount, GetParam().stored);
    EXPECT_EQ(state.settings.AutoVerifyHostsDays, GetParam().stored);
    EXPECT_EQ(state.settings.AutoVerifyHostsQQDDays, GetParam().stored);
    const std::string n = std::to_string(GetParam().stored);
    EXPECT_NE(dir.read("Quillon.ini").find("AutoSaveCount=" + n + "\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Fields, OptionNumbers,
                         testing::Values(NumberCase { "empty", "   ", 1 }, NumberCase { "zero", "0  ", 1 },
                                         NumberCase { "zeros", "000", 1 }, NumberCase { "largest", "999", 999 },
                                         NumberCase { "leadingZeros", "007", 7 },
                                         NumberCase { "trailingBlanks", "5  ", 5 },
                                         NumberCase { "blankBetweenDigits", "1 2", 1 },
                                         NumberCase { "leadingBlank", " 42", 42 }),
                         [](const auto& info) { return quillon::test::caseName(info.index, info.param.name); });

// A number set by hand outside what a field holds shows as applying makes
// it: AutoSaveCount=-5 is 1, not the "5" a three-digit field would keep.
TEST_F(OptionsTest, open_numbersSetByHandShowAsTheyWouldBeApplied)
{
    state.settings.AutoSaveCount = -5;
    state.settings.AutoVerifyHostsDays = 0;
    state.settings.AutoVerifyHostsQQDDays = 1234;
    const OptionValues v = loadOptions(state.settings, autostart);
    EXPECT_EQ(v.autoSaveCount, "1");
    EXPECT_EQ(v.autoVerifyHostsDays, "1");
    EXPECT_EQ(v.autoVerifyHostsQQDDays, "999");
    ASSERT_TRUE(applyOptions(state, fs, autostart, "/p", v));
    EXPECT_EQ(state.settings.AutoSaveCount, 1);
}

TEST_F(OptionsTest, apply_logOnEntryFollowsTheBoxWithTheProgramPath)
{
    OptionValues v = loadOptions(state.settings, autostart);
    EXPECT_FALSE(v.autoStart);
    v.autoStart = true;
    ASSERT_TRUE(applyOptions(state, fs, autostart, "/opt/q/quillon", v));
    EXPECT_EQ(autostart.entry, "/opt/q/quillon");
    EXPECT_TRUE(loadOptions(state.settings, autostart).autoStart);
    v.autoStart = false;
    ASSERT_TRUE(applyOptions(state, fs, autostart, "/opt/q/quillon", v));
    EXPECT_FALSE(autostart.entry.has_value());
}

TEST_F(OptionsTest, apply_refusedLogOnEntryIsSilentAndTheKeysAreStillWritten)
{
    autostart.writable = false;
    OptionValues v = loadOptions(state.settings, autostart);
    v.autoStart = true;
    v.settings.CheckOnLine = false;
    EXPECT_TRUE(applyOptions(state, fs, autostart, "/opt/q/quillon", v));
    EXPECT_FALSE(loadOptions(state.settings, autostart).autoStart);
    EXPECT_NE(dir.read("Quillon.ini").find("CheckOnLine=0\r\n"), std::string::npos);
}

TEST_F(OptionsTest, apply_onlyTheOptionKeysAreTakenFromTheDialog)
{
    OptionValues v = loadOptions(state.settings, autostart);
    // Changed elsewhere while the dialog was open: not the dialog's to set.
    v.settings.QQDLastVerify = 1234;
    v.settings.HostsFolder = "/elsewhere";
    v.settings.WindowWidth = 1;
    v.settings.DDEVerify = false;
    v.settings.CaptureChromium = false;
    ASSERT_TRUE(applyOptions(state, fs, autostart, "/p", v));
    EXPECT_EQ(state.settings.QQDLastVerify, 0);
    EXPECT_EQ(state.settings.HostsFolder, "/etc");
    EXPECT_EQ(state.settings.WindowWidth, 650);
    EXPECT_FALSE(state.settings.DDEVerify);
    EXPECT_FALSE(state.settings.CaptureChromium);
}

TEST_F(OptionsTest, apply_failedWriteIsReportedAndTheValuesStayInMemory)
{
    dir.write("Quillon.ini", "[Settings]\r\nAutoSave=1\r\n");
    fs.fail(FaultyFileSystem::Op::Write, "", ENOSPC);
    OptionValues v = loadOptions(state.settings, autostart);
    v.settings.AutoSave = false;
    v.autoSaveCount = "25 ";
    const Outcome o = applyOptions(state, fs, autostart, "/p", v);
    EXPECT_FALSE(o);
    EXPECT_EQ(o.message(), "Unable to write to " + state.paths.ini);
    EXPECT_FALSE(state.settings.AutoSave);
    EXPECT_EQ(state.settings.AutoSaveCount, 25);
    EXPECT_EQ(dir.read("Quillon.ini"), "[Settings]\r\nAutoSave=1\r\n");
}

} // namespace
