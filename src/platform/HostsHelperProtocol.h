#pragma once
// What the hosts helper and the program that runs it say to each other
// besides the framed text and the one-line answer: the helper's first line,
// written once it holds the writers' lock, after which the program sends the
// text, or for a restore its go-ahead.

namespace quillon::platform {

// The line, without its line end.
inline constexpr const char* HostsHelperReady = "QUILLON-HOSTS-HELPER READY";
// The whole input of a restore, its line end included.
inline constexpr const char* HostsHelperGoAhead = "QUILLON-HOSTS-HELPER GO\n";

} // namespace quillon::platform
