#include "core/SaveAll.h"

#include "core/HostsFile.h"
#include "core/Interface.h"
#include "core/ListFile.h"

namespace quillon::core {

namespace {

// Hosts list records: every status but Waiting, written as Saved.
constexpr StatusFilter HostsFilter { StatusWaiting, false };
constexpr StatusFilter WaitFilter { StatusWaiting, true };
constexpr StatusFilter TrashFilter { -1, false };

Outcome writeHostsFile(App& app)
{
    ProgramState& s = app.state;
    HostStore& store = s.store;
    const std::string text = formatListFile({ &store.hosts(), &store.wait() }, HostsFilter, StatusSaved);
    platform::FileStamp written;
    if (Outcome o = replaceHostsFile(app.fs, s.paths.hostsFile, text, s.ownHostsStamp, written); !o)
        return o;
    s.ownHostsStamp = written;
    s.hostsAge = written;
    markWritten({ &store.hosts(), &store.wait() }, HostsFilter, StatusSaved);
    return Outcome::success();
}

Outcome writeAll(App& app)
{
    ProgramState& s = app.state;
    HostStore& store = s.store;
    if (!s.blocked.hosts) {
        if (Outcome o = writeHostsFile(app); !o)
            return o;
    }
    if (!s.blocked.d01) {
        if (Outcome o = writeListFile(app.fs, s.paths.d01, { &store.hosts(), &store.wait() }, WaitFilter, -1); !o)
            return o;
    }
    if (!s.blocked.d02) {
        if (Outcome o = writeListFile(app.fs, s.paths.d02, { &store.trash() }, TrashFilter, -1); !o)
            return o;
    }
    return Outcome::success();
}

} // namespace

bool saveAll(App& app)
{
    setActivityIndicator(app, ActivitySaving);
    const Outcome o = writeAll(app);
    if (o)
        app.state.store.setPendingChanges(0);
    setActivityIndicator(app, ActivityNone);
    if (!o)
        reportError(app, o.message());
    return o.ok();
}

bool saveAndRefresh(App& app)
{
    InterfaceLockGuard lock(app);
    const bool saved = saveAll(app);
    app.state.store.hosts().notifyRebuilt();
    return saved;
}

} // namespace quillon::core
