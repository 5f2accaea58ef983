#include "platform/linux/RegistryStore.h"

#include "fakes/TempDir.h"
#include "platform/linux/PosixFileSystem.h"

#include <gtest/gtest.h>

using namespace quillon::platform;
using quillon::test::TempDir;

namespace {

TEST(RegistryStore, readsKeysAndValuesAsTheRegistryWould)
{
    TempDir dir;
    dir.write("registry.ini",
              "; the browsers\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE]\r\n"
              "@=/opt/ie/iexplore\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe]\n"
              "Path= \"/opt/netscape\" \n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
              "Favorites=/home/me/Favorites\n"
              "Favorites=/second/is/ignored\n"
              "#Cookies=/home/me/cookies\n");
    PosixFileSystem fs;
    RegistryStore registry(fs, dir.path() + "/registry.ini");
    const auto lm = RegistryRoot::LocalMachine;
    const auto cu = RegistryRoot::CurrentUser;
    const std::string appPaths = "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    const std::string shell = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

    EXPECT_EQ(registry.readValue(lm, appPaths + "iexplore.exe", ""), "/opt/ie/iexplore");
    EXPECT_EQ(registry.readValue(lm, appPaths + "Netscape.exe", "path"), " \"/opt/netscape\" ");
    EXPECT_EQ(registry.readValue(lm, appPaths + "Netscape.exe", ""), std::nullopt);
    EXPECT_TRUE(registry.keyExists(lm, appPaths + "NETSCAPE.EXE"));
    EXPECT_EQ(registry.readValue(cu, shell, "Favorites"), "/home/me/Favorites");
    EXPECT_EQ(registry.readValue(cu, shell, "Cookies"), std::nullopt);
    // The same path under the other root is another key.
    EXPECT_FALSE(registry.keyExists(cu, appPaths + "IEXPLORE.EXE"));
    EXPECT_EQ(registry.readValue(lm, shell, "Favorites"), std::nullopt);

    RegistryStore missing(fs, dir.path() + "/none.ini");
    EXPECT_FALSE(missing.keyExists(lm, appPaths + "IEXPLORE.EXE"));
}

} // namespace
