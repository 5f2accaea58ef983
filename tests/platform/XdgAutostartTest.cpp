#include "platform/linux/XdgAutostart.h"

#include "fakes/CaseName.h"
#include "fakes/TempDir.h"
#include "fakes/Unprivileged.h"
#include "platform/linux/PosixFileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

using quillon::platform::PosixFileSystem;
using quillon::platform::XdgAutostart;
using quillon::test::TempDir;

namespace {

struct ExecCase {
    const char* name;
    const char* program;
    const char* execLine;
};
void PrintTo(const ExecCase& c, std::ostream* os) { *os << c.name; }

class AutostartExec : public testing::TestWithParam<ExecCase> { };

// The Exec line a session reads back as the program's path: quoted where
// needed, with the desktop entry's two levels of escaping.
TEST_P(AutostartExec, entry_execLineStartsExactlyThatProgram)
{
    const std::string text = XdgAutostart::entryText(GetParam().program);
    EXPECT_NE(text.find(std::string("\nExec=") + GetParam().execLine + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AutostartExec,
    testing::Values(ExecCase { "plain", "/usr/local/bin/quillon", "/usr/local/bin/quillon" },
                    ExecCase { "blank", "/home/a b/quillon", "\"/home/a b/quillon\"" },
                    ExecCase { "quoteAndDollar", "/x/\"q\"$", "\"/x/\\\\\"q\\\\\"\\\\$\"" },
                    ExecCase { "backslash", "/x/a\\b", "\"/x/a\\\\\\\\b\"" },
                    ExecCase { "fieldCode", "/x/100%f", "\"/x/100%%f\"" }),
    [](const auto& info) { return quillon::test::caseName(info.index, info.param.name); });

class AutostartTest : public testing::Test {
protected:
    TempDir dir;
    PosixFileSystem fs;
    XdgAutostart autostart { fs, dir.path() + "/config/autostart/quillon.desktop" };
};

TEST_F(AutostartTest, enable_makesTheFolderAndDisableRemovesTheEntry)
{
    EXPECT_FALSE(autostart.command());
    ASSERT_TRUE(autostart.enable("/opt/quillon/quillon"));
    EXPECT_EQ(autostart.command(), "/opt/quillon/quillon");
    EXPECT_FALSE(std::filesystem::exists(autostart.path() + ".tmp"));
    ASSERT_TRUE(autostart.disable());
    EXPECT_FALSE(autostart.command());
    EXPECT_TRUE(autostart.disable()); // nothing left to remove
}

TEST_F(AutostartTest, command_onlyAnEntryThatStartsSomethingCounts)
{
    const struct {
        const char* text;
        bool starts;
    } entries[] = {
        { "[Desktop Entry]\nType=Application\nExec=/bin/q\n", true },
        { "[Desktop Entry]\r\nExec = /bin/q\r\n", true },
        { "[Desktop Entry]\nExec=\n", false },
        { "[Desktop Entry]\nExec=/bin/q\nHidden=true\n", false },
        { "[Desktop Action x]\nExec=/bin/q\n", false },
        { "", false },
    };
    for (const auto& e : entries) {
        dir.write("config/autostart/quillon.desktop", e.text);
        EXPECT_EQ(autostart.command().has_value(), e.starts) << e.text;
    }
}

TEST_F(AutostartTest, enable_inAFolderThatCannotBeWrittenFailsAndLeavesNothing)
{
    dir.write("config/autostart/other.desktop", "x");
    std::filesystem::permissions(dir.path() + "/config/autostart", std::filesystem::perms(0555));
    const std::string path = autostart.path();
    const int result = quillon::test::runUnprivileged([&] {
        PosixFileSystem real;
        XdgAutostart own(real, path);
        if (own.enable("/bin/q"))
            return 1;
        return own.command() ? 2 : 0;
    });
    std::filesystem::permissions(dir.path() + "/config/autostart", std::filesystem::perms(0755));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
