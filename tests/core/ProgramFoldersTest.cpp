#include "core/Paths.h"
#include "core/ProgramFolders.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace quillon::core;
using quillon::platform::ProgramPlace;
using quillon::test::TempDir;

namespace {

TEST(ProgramFolders, choose_besideTheProgramOnlyForAWritableUninstalledCopy)
{
    const struct {
        const char* name;
        bool writable;
        const char* installedAssets;
        ProgramFolders expected;
    } cases[] = {
        { "buildFolder", true, "", { "/b/", "/b/", "/b/" } },
        { "readOnlyCopy", false, "", { "/c/quillon/", "/d/quillon/", "/b/" } },
        { "installed", false, "/usr/share/quillon/", { "/c/quillon/", "/d/quillon/", "/usr/share/quillon/" } },
        // root may write /usr/local/bin: still the person's own folders.
        { "installedRunByRoot", true, "/usr/share/quillon/",
          { "/c/quillon/", "/d/quillon/", "/usr/share/quillon/" } },
    };
    for (const auto& c : cases) {
        const ProgramFolders got = chooseProgramFolders(ProgramPlace { "/b/", c.writable, c.installedAssets, "/c", "/d" });
        EXPECT_EQ(got.settings, c.expected.settings) << c.name;
        EXPECT_EQ(got.data, c.expected.data) << c.name;
        EXPECT_EQ(got.assets, c.expected.assets) << c.name;
    }
}

// Every path comes from the folders: settings, the lists and what the
// program writes in the data folder, the pages and clip from the assets.
TEST(ProgramFolders, paths_eachFileInItsFolder)
{
    Paths p;
    setProgramPaths(p, ProgramFolders { "/s/", "/d/", "/a/" });
    EXPECT_EQ(p.ini, "/s/Quillon.ini");
    for (const std::string* data : { &p.d01, &p.d02, &p.d03, &p.n01, &p.ipHistory, &p.saveJournal })
        EXPECT_EQ(data->rfind("/d/", 0), 0u) << *data;
    for (const std::string* asset : { &p.help00, &p.a01, &p.n02 })
        EXPECT_EQ(asset->rfind("/a/", 0), 0u) << *asset;
}

class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// The installed layout PREFIX/bin beside PREFIX/share/quillon, and the
// person's folders from the XDG variables.
TEST(ProgramFolders, place_installedLayoutAndXdgVariables)
{
    TempDir dir;
    const ScopedVariable config("XDG_CONFIG_HOME", dir.path() + "/config");
    const ScopedVariable data("XDG_DATA_HOME", dir.path() + "/data");
    dir.write("prefix/share/quillon/Help00.htm", "<html>");
    dir.write("prefix/bin/quillon", "");
    dir.write("portable/quillon", "");

    const ProgramFolders installed
        = chooseProgramFolders(quillon::platform::programPlace(dir.path() + "/prefix/bin/"));
    EXPECT_EQ(installed.settings, dir.path() + "/config/quillon/");
    EXPECT_EQ(installed.data, dir.path() + "/data/quillon/");
    EXPECT_EQ(installed.assets, dir.path() + "/prefix/share/quillon/");

    const ProgramFolders portable = chooseProgramFolders(quillon::platform::programPlace(dir.path() + "/portable/"));
    EXPECT_EQ(portable.settings, dir.path() + "/portable/");
    EXPECT_EQ(portable.assets, dir.path() + "/portable/");
}

} // namespace
