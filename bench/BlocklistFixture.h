#pragma once
// The benchmark hosts files, each written once into a temporary folder:
// - the blocklist: the GoodbyeAds YouTube list (no final newline, so joined
//   with one) followed by StevenBlack's fakenews-gambling-porn-social list,
//   177,767 lines in all;
// - the million-line file: the blocklist, then StevenBlack's main list,
//   anudeepND's ad servers and AdAway's list as they stand, then lines
//   "0.0.0.0 vK.NAME" built from the names of those lists (K counting the
//   passes over those names, each taken once) up to exactly 1,000,000 lines.

#include <string>

namespace quillon::bench {

// The folder holding the file "hosts"; made on first use, removed at exit.
const std::string& blocklistFolder();
std::string blocklistPath();

const std::string& millionLineFolder();
std::string millionLinePath();

} // namespace quillon::bench
