#include "BlocklistFixture.h"

#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quillon::bench {

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Folder {
    std::filesystem::path path;
    Folder()
    {
        path = std::filesystem::temp_directory_path() / ("quillon-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        const std::string data = QUILLON_TEST_DATA;
        std::string text = readAll(data + "/hosts/FadeMind__hosts.extras/GoodbyeAds-YouTube-Adblock-Extension/hosts");
        if (!text.empty() && text.back() != '\n')
            text.push_back('\n');
        text += readAll(data + "/hosts/StevenBlack__hosts@2.1.21/alternates/fakenews-gambling-porn-social/hosts");
        std::ofstream(path / "hosts", std::ios::binary) << text;
    }
    ~Folder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

} // namespace

const std::string& blocklistFolder()
{
    static const Folder folder;
    static const std::string text = folder.path.string();
    return text;
}

std::string blocklistPath()
{
    return blocklistFolder() + "/hosts";
}

} // namespace quillon::bench
