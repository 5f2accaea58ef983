#pragma once
// What the Windows-directory rule for the hosts-file folder asks of the
// system: the Windows directory and the platform identifier. Linux has no
// such directory; the rule is kept as a routine (core/Paths) and tested with
// doubles of this interface.

#include <optional>
#include <string>

namespace quillon::platform {

class WindowsSystem {
public:
    static constexpr int PlatformWin32Windows = 1; // Windows 95, 98, ME
    static constexpr int PlatformWin32NT = 2;      // the NT family

    virtual ~WindowsSystem() = default;
    // The Windows directory; nothing when the call fails.
    virtual std::optional<std::string> windowsDirectory() = 0;
    virtual int platformId() = 0;
};

} // namespace quillon::platform
