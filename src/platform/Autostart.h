#pragma once
// The entry that starts the program when the person logs on. On Linux it is
// the person's XDG autostart entry; its presence with a non-empty command is
// what "starts at log-on" means.

#include <optional>
#include <string>

namespace quillon::platform {

class Autostart {
public:
    virtual ~Autostart() = default;
    // The entry's command; nothing when there is no entry or it cannot be read.
    virtual std::optional<std::string> command() = 0;
    // Creates or replaces the entry so that it starts program (a full path).
    virtual bool enable(const std::string& program) = 0;
    // Removes the entry; true when none is left.
    virtual bool disable() = 0;
};

} // namespace quillon::platform
