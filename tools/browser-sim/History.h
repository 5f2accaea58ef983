#pragma once
// The pages browser-sim has shown, in the order it showed them. Netscape
// keeps them for its cache listing only; Internet Explorer also appends each
// visit to the URL-cache store ("Visited: user@URL", one line each), the
// history that Quillon's Internet Explorer cache import reads.

#include "Browsing.h"

#include <string>
#include <vector>

namespace quillon::browsersim {

class History {
public:
    // urlCachePath: the store Internet Explorer appends to; unused as Netscape.
    History(Role role, std::string urlCachePath);

    void record(const std::string& url);
    // Each URL once, in the order of its first visit.
    const std::vector<std::string>& urls() const { return m_urls; }

    // $USER, else the login name of the user id; the user part of entries.
    static std::string userName();

private:
    void appendToUrlCache(const std::string& url) const;

    Role m_role;
    std::string m_urlCachePath;
    std::vector<std::string> m_urls;
};

} // namespace quillon::browsersim
