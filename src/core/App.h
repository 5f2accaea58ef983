#pragma once
// What every routine works with: the program state and the services around
// it (file system, clock, the person, the main window, the resolvers, the
// connection watch, and the helper that writes the system hosts file).

#include "core/Dialogs.h"
#include "core/ProgramState.h"
#include "core/Shell.h"
#include "platform/AsyncResolver.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/PrivilegedHostsWriter.h"
#include "platform/Resolver.h"

#include <memory>

namespace quillon::core {

// Whether the computer has a usable network address (the connection watch).
class ConnectionStatus {
public:
    virtual ~ConnectionStatus() = default;
    virtual bool isOnline() const = 0;
};

struct App {
    ProgramState& state;
    platform::FileSystem& fs;
    platform::Clock& clock;
    Dialogs& dialogs;
    Shell& shell;
    platform::Resolver& resolver;
    const ConnectionStatus& connection;
    // Writes /etc/hosts for a person who may not; not owned. Without one the
    // hosts file is always written directly (see ProgramState::hostsThroughHelper).
    platform::PrivilegedHostsWriter* hostsWriter = nullptr;
    // Asks many names at once (a verification run's look-ahead). Without
    // one, a run resolves one name at a time through `resolver`. Shared:
    // answers still on their way when a run ends may ask it again.
    std::shared_ptr<platform::AsyncResolver> lookups {};
};

} // namespace quillon::core
