#pragma once
// How names from outside enter the lists. A captured name counts a known
// host once per run (and marks a saved one Visited) or enters as a new host;
// imported candidates enter only when new, resolved at once (mode 1) or
// arriving resolved (mode -1). Ignored names never enter; the Trash is never
// consulted.

#include "core/App.h"
#include "core/HostSequence.h"

namespace quillon::capture {

// name comes from a browser; verifyNow resolves a new or waiting host at once.
void AdmitCapturedHost(core::App& app, const std::string& name, bool verifyNow);

// AdmitCapturedHost with verifyNow, its lookup made beforehand (off the
// window's thread, see CaptureLookups): address is what verify::VerifyHost
// gave for name, empty when it did not resolve. The host's place is found
// again by name, so the admission is the one a capture at this moment makes.
void AdmitResolvedCapture(core::App& app, const std::string& name, const std::string& address);

// Whether AdmitCapturedHost with verifyNow would resolve name now: a waiting
// host, or a new one that may enter.
bool CapturedHostNeedsLookup(const core::HostStore& store, const std::string& name);

enum class ImportMode { Verify = 1, Verified = -1 };

// Admits the candidates in order and returns how many were added. Added
// records move into the lists (their places in candidates are left empty);
// the caller keeps the rest and holds the interface lock around the call.
int AdmitImportedHosts(core::App& app, core::RecordList& candidates, ImportMode mode);

// "No new Hosts to import." or "New Hosts imported: N.", followed by why
// host names were refused (characters no host name may hold) since the last
// report, when any were.
void reportImported(core::App& app, int added);

} // namespace quillon::capture
