#pragma once
// A fresh temporary folder for one test, removed with everything in it when
// the test ends. Paths it hands out end without a slash; file() joins a name.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace quillon::test {

class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            m_path = base / ("quillon-test-" + std::to_string(rd()));
            if (std::filesystem::create_directory(m_path))
                break;
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        // Folders made read-only by a test must be writable again to be removed.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        }
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path() const { return m_path.string(); }
    // The folder with a trailing slash, as the program folder is kept.
    std::string folder() const { return m_path.string() + "/"; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

    // Writes a file, making the folders on its path.
    void write(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::create_directories((m_path / name).parent_path());
        std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string read(const std::string& name) const { return readFile(file(name)); }
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }
    void remove(const std::string& name) const { std::filesystem::remove(file(name)); }

    static std::string readFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path m_path;
};

// Root ignores permission bits, so tests of read-only folders skip under it.
bool runningAsRoot();

} // namespace quillon::test
