#include "BlocklistFixture.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <unordered_set>
#include <vector>

namespace quillon::bench {

namespace {

const std::string Data = QUILLON_TEST_DATA "/hosts/";

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Joins the texts with a line break after each that lacks one.
void appendText(std::string& text, const std::string& more)
{
    text += more;
    if (!text.empty() && text.back() != '\n')
        text.push_back('\n');
}

std::string blocklistText()
{
    std::string text;
    appendText(text, readAll(Data + "FadeMind__hosts.extras/GoodbyeAds-YouTube-Adblock-Extension/hosts"));
    appendText(text, readAll(Data + "StevenBlack__hosts@2.1.21/alternates/fakenews-gambling-porn-social/hosts"));
    return text;
}

constexpr std::size_t MillionLines = 1'000'000;

std::string millionLineText()
{
    std::string text = blocklistText();
    for (const char* list : { "StevenBlack__hosts@2.1.21/hosts", "anudeepND__blacklist/adservers.txt",
                              "AdAway__adaway.github.io/hosts.txt" })
        appendText(text, readAll(Data + list));
    // The second word of every address line of the real lists, each once.
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string address, name;
        if (words >> address >> name && address[0] != '#' && name[0] != '#' && seen.insert(name).second)
            names.push_back(name);
    }
    std::size_t count = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    for (std::size_t pass = 1; count < MillionLines; ++pass)
        for (std::size_t i = 0; i < names.size() && count < MillionLines; ++i, ++count)
            text += "0.0.0.0 v" + std::to_string(pass) + "." + names[i] + "\n";
    return text;
}

struct Folder {
    std::filesystem::path path;
    explicit Folder(const std::string& name, const std::function<std::string()>& text)
    {
        path = std::filesystem::temp_directory_path() / ("quillon-bench-" + name + "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        std::ofstream(path / "hosts", std::ios::binary) << text();
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
    static const Folder folder("blocklist", blocklistText);
    static const std::string text = folder.path.string();
    return text;
}

std::string blocklistPath()
{
    return blocklistFolder() + "/hosts";
}

const std::string& millionLineFolder()
{
    static const Folder folder("million", millionLineText);
    static const std::string text = folder.path.string();
    return text;
}

std::string millionLinePath()
{
    return millionLineFolder() + "/hosts";
}

} // namespace quillon::bench
