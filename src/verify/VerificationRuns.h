#pragma once
// Verification runs: hosts are taken out of the Hosts or Wait list, resolved
// afresh one by one and put back by the result. A host that resolves goes to
// the top of the Hosts list (Verified, new address and date); one that does
// not goes, by the person's choice, to the Wait list or the Trash. A
// cancelled run puts every host not yet processed back: no host is lost.
// The lookups run ahead of the host the run is at (LookAhead.h); their
// answers are applied in the run's order, and those not reached are dropped.

#include "core/App.h"
#include "core/HostSequence.h"

namespace quillon::verify {

// Takes the rows of a page's view (the selected ones, or all) into a run and
// runs it. For the Hosts page the hosts file is first saved without them, so
// that their lookups reach the name servers rather than the hosts file; a
// run that ends early (Abort, Cancel) saves again at once, so that the hosts
// it put back are in the hosts file again.
void VerifyViewHosts(core::App& app, core::ListPage page, bool selectedOnly);
// The run itself over hosts already out of every list; false when it ended
// early and put the hosts not reached back.
bool ReverifyHosts(core::App& app, core::RecordList& runList);

// "&Selected Hosts" and the pop-up "&Verify": the selected rows of the
// current page.
void MenuVerifyVerifySelectionClick(core::App& app);
void MenuPopupVerifyClick(core::App& app);
// "Complete &Hosts List" and "Complete Verification &Wait List".
void MenuVerifyVerifyHostsClick(core::App& app);
void MenuVerifyVerifyHostsQQDClick(core::App& app);

} // namespace quillon::verify
