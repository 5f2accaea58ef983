#pragma once
// The desktop's handler for pages and addresses (a web page, a help file, a
// "mailto:" address): the program hands them over and does not wait.

#include <string>

namespace quillon::platform {

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // A URL ("https://...", "mailto:...") or the full path of a local file.
    virtual void open(const std::string& urlOrPath) = 0;
};

} // namespace quillon::platform
