#pragma once
// What the hosts helper and the program that runs it say to each other
// besides the framed text and the one-line answer: the helper's first line,
// written once it holds the writers' lock, after which the program sends the
// text.

namespace quillon::platform {

// The line, without its line end.
inline constexpr const char* HostsHelperReady = "QUILLON-HOSTS-HELPER READY";

} // namespace quillon::platform
