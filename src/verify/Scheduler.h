#pragma once
// Re-verification by age: Hosts-list entries verified AutoVerifyHostsDays or
// more days ago (or never), and the whole Wait list every
// AutoVerifyHostsQQDDays days. TimerCheck's tick asks first (unless
// AutoVerifyConf is off) and runs the ordinary verification of the
// selected rows.

#include "core/App.h"

#include <string>

namespace quillon::verify {

// "1 Host" / "N Hosts" ... " not verified since D or more days: verify now ?"
std::string dueHostsQuestion(int count, int days);

void TimerCheckTimer(core::App& app);
void MenuVerifyAutoVerifyHostsClick(core::App& app);

} // namespace quillon::verify
