#pragma once
// Runs a piece of a test without root's rights, so that permission bits
// (read-only folders) take effect also where tests run as root: the piece
// runs in a child process as "nobody". It must not use test assertions;
// its int result comes back as the return value (0 to 255).

#include <functional>

namespace quillon::test {

int runUnprivileged(const std::function<int()>& piece);

} // namespace quillon::test
