#include "History.h"

#include "platform/linux/DdeWire.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace quillon::browsersim {

History::History(Role role, std::string urlCachePath) : m_role(role), m_urlCachePath(std::move(urlCachePath)) {}

void History::record(const std::string& url)
{
    if (std::find(m_urls.begin(), m_urls.end(), url) == m_urls.end())
        m_urls.push_back(url);
    if (m_role == Role::IExplore)
        appendToUrlCache(url);
}

std::string History::userName()
{
    if (const char* user = std::getenv("USER"); user && *user)
        return user;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return pw->pw_name;
    return std::to_string(::getuid());
}

void History::appendToUrlCache(const std::string& url) const
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(m_urlCachePath).parent_path(), ignored);
    // One write with O_APPEND puts the whole line at the end even while a
    // second browser-sim appends too, and a reader never sees half of it.
    const platform::dde::UniqueFd fd(::open(m_urlCachePath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.valid())
        return;
    const std::string line = "Visited: " + userName() + "@" + url + "\n";
    ssize_t n;
    do {
        n = ::write(fd.get(), line.data(), line.size());
    } while (n < 0 && errno == EINTR);
}

} // namespace quillon::browsersim
