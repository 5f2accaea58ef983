#pragma once
// Other programs: finding an installed one by name and starting it on its
// own, without waiting for it.

#include <string>
#include <vector>

namespace quillon::platform {

class Programs {
public:
    virtual ~Programs() = default;
    // The full path of the first of names found on the search path; empty
    // when none is installed.
    virtual std::string find(const std::vector<std::string>& names) = 0;
    // Starts program with arguments in a session of its own; false when it
    // could not be started.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

} // namespace quillon::platform
