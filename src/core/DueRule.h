#pragma once
// When stored addresses are due for verification again: a Hosts-list entry
// never verified, or verified the configured number of days ago or longer
// (to the millisecond: exactly N days is due); the Wait list when as many
// days have passed since its last automatic verification. An entry someone
// set on purpose (see isSetOnPurpose; ownName is the machine's own name) is
// never due.

#include "core/HostStore.h"
#include "core/Settings.h"

#include <string_view>
#include <vector>

namespace quillon::core {

bool isDue(TDateTime lastVerification, TDateTime now, int days);
// Yes when AutoVerifyHosts is on and some Hosts-list entry is due.
bool HostsListDue(const HostStore& store, const Settings& settings, TDateTime now, std::string_view ownName);
// Rows of the Hosts page that are due (AutoVerifyHosts not looked at).
std::vector<int> dueHostRows(const HostStore& store, int days, TDateTime now, std::string_view ownName);
// The Wait list flag at start-up.
bool waitListDueAtStart(const Settings& settings, TDateTime now);

} // namespace quillon::core
