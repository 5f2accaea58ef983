#pragma once
// Adding a host by hand: the name is asked for in the input dialog, cleaned
// as any incoming URL is (so a whole URL may be pasted), checked, and put at
// the top of the Hosts list resolved, or at the top of the Wait list.

#include "core/App.h"

namespace quillon::verify {

enum class AddHostMode { WithVerification, ToWaitList };

void AddHost(core::App& app, AddHostMode mode);

inline void MenuEditAddHostClick(core::App& app) { AddHost(app, AddHostMode::WithVerification); }
inline void MenuEditAddHostQQDClick(core::App& app) { AddHost(app, AddHostMode::ToWaitList); }

} // namespace quillon::verify
