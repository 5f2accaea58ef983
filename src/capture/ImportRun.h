#pragma once
// The two phases every browser import shares: collecting candidate names
// while the work panel says what is read (no progress, no Cancel), then the
// admission run under the interface lock.

#include "core/App.h"
#include "core/HostSequence.h"

#include <string>

namespace quillon::capture {

// Shows the work panel for the collection phase and paints it now.
void showCollectionPanel(core::App& app, const std::string& action);

// Hides the collection panel, admits the candidates (each resolved) under
// the interface lock and empties the list; gives the number added.
int admitCollected(core::App& app, core::RecordList& candidates);

} // namespace quillon::capture
