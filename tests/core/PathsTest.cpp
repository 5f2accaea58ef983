#include "core/Paths.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::core;

namespace {
class WindowsDouble final : public platform::WindowsSystem {
public:
    WindowsDouble(std::optional<std::string> dir, int id)
        : m_dir(std::move(dir))
        , m_id(id)
    {
    }
    std::optional<std::string> windowsDirectory() override { return m_dir; }
    int platformId() override { return m_id; }

private:
    std::optional<std::string> m_dir;
    int m_id;
};
} // namespace

TEST(Paths, windowsRule_ntFamilyUsesDriversEtc_othersTheWindowsFolder)
{
    WindowsDouble nt("C:\\WINNT", platform::WindowsSystem::PlatformWin32NT);
    EXPECT_EQ(windowsHostsFilePaths(windowsHostsFolder(nt)).hosts, "C:\\WINNT\\system32\\drivers\\etc\\Hosts");
    WindowsDouble win98("C:\\WINDOWS", platform::WindowsSystem::PlatformWin32Windows);
    const HostsFilePaths p = windowsHostsFilePaths(windowsHostsFolder(win98));
    EXPECT_EQ(p.hosts, "C:\\WINDOWS\\Hosts");
    EXPECT_EQ(p.bak, "C:\\WINDOWS\\Hosts.bak");
    EXPECT_EQ(p.tmp, "C:\\WINDOWS\\Hosts.tmp");
    WindowsDouble failed(std::nullopt, platform::WindowsSystem::PlatformWin32NT);
    EXPECT_EQ(windowsHostsFolder(failed), "\\system32\\drivers\\etc");
    WindowsDouble failed98(std::nullopt, platform::WindowsSystem::PlatformWin32Windows);
    EXPECT_EQ(windowsHostsFilePaths(windowsHostsFolder(failed98)).hosts, "\\Hosts");
}

TEST(Paths, linuxHostsFolder_andProgramFolderFiles)
{
    EXPECT_EQ(hostsFilePaths("/etc").hosts, "/etc/hosts");
    EXPECT_EQ(hostsFilePaths("/etc/").bak, "/etc/hosts.bak");
    EXPECT_EQ(hostsFilePaths("/").tmp, "/hosts.tmp");
    Paths p;
    setProgramPaths(p, foldersBeside("/opt/quillon/"));
    EXPECT_EQ(p.ini, "/opt/quillon/Quillon.ini");
    EXPECT_EQ(p.d01, "/opt/quillon/Quillon.d01");
    EXPECT_EQ(p.d03, "/opt/quillon/Quillon.d03");
    EXPECT_EQ(p.a01, "/opt/quillon/Quillon.a01");
    EXPECT_EQ(p.ipHistory, "/opt/quillon/iphist.dat");
}
