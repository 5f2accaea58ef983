#include "platform/linux/HostsTable.h"

#include <arpa/inet.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace quillon::platform {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string_view withoutFinalDot(std::string_view name)
{
    if (name.size() > 1 && name.ends_with('.'))
        name.remove_suffix(1);
    return name;
}

bool sameStamp(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
        && a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

} // namespace

HostsTable::HostsTable(std::string path)
    : m_path(std::move(path))
{
}

std::vector<IPv4> HostsTable::lookup(std::string_view name)
{
    refresh();
    const auto it = m_names.find(lowerAscii(withoutFinalDot(name)));
    return it == m_names.end() ? std::vector<IPv4> {} : it->second;
}

void HostsTable::refresh()
{
    struct stat now {};
    if (::stat(m_path.c_str(), &now) != 0) {
        m_names.clear();
        m_read = false;
        return;
    }
    if (m_read && sameStamp(now, m_stamp))
        return;
    std::ifstream in(m_path, std::ios::binary);
    const std::string text { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    m_names = parse(text);
    m_stamp = now;
    m_read = in.is_open(); // a file that could not be opened is tried again
}

std::unordered_map<std::string, std::vector<IPv4>> HostsTable::parse(std::string_view text)
{
    std::unordered_map<std::string, std::vector<IPv4>> names;
    std::vector<std::string_view> words;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line = line.substr(0, line.find('#'));
        words.clear();
        for (std::size_t i = 0; i < line.size();) {
            while (i < line.size() && isBlank(line[i]))
                ++i;
            const std::size_t start = i;
            while (i < line.size() && !isBlank(line[i]))
                ++i;
            if (i > start)
                words.push_back(line.substr(start, i - start));
        }
        if (words.size() < 2 || words[0].size() > 15)
            continue;
        char dotted[16] = {};
        std::memcpy(dotted, words[0].data(), words[0].size());
        IPv4 address {};
        if (::inet_pton(AF_INET, dotted, address.data()) != 1)
            continue;
        for (std::size_t k = 1; k < words.size(); ++k)
            names[lowerAscii(withoutFinalDot(words[k]))].push_back(address);
    }
    return names;
}

} // namespace quillon::platform
