#pragma once
// Programs over posix_spawn and $PATH.

#include "platform/Programs.h"

namespace quillon::platform {

// Starts path with arguments, stdin and outputs on /dev/null, in a new
// session, without waiting; its exit status is collected by a thread of its
// own, so that no zombie is left.
bool startDetached(const std::string& path, const std::vector<std::string>& arguments);

class PosixPrograms final : public Programs {
public:
    std::string find(const std::vector<std::string>& names) override;
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;
};

} // namespace quillon::platform
