#pragma once
// The benchmark hosts file: the GoodbyeAds YouTube list (no final newline,
// so joined with one) followed by StevenBlack's fakenews-gambling-porn-social
// list, 177,767 lines in all, written once into a temporary folder.

#include <string>

namespace quillon::bench {

// The folder holding the file "hosts"; made on first use, removed at exit.
const std::string& blocklistFolder();
std::string blocklistPath();

} // namespace quillon::bench
