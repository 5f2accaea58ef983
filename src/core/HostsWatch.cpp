#include "core/HostsWatch.h"

#include "core/Interface.h"
#include "core/SaveAll.h"
#include "core/Startup.h"

namespace quillon::core {

void TimerFilesTick(App& app)
{
    ProgramState& s = app.state;
    app.shell.setTimerEnabled(Timer::Files, false);
    // A hosts folder others may write is never read, not even its times.
    const platform::FileStamp age
        = s.hostsFolderUnsafe.empty() ? app.fs.stamp(s.paths.hostsFile.hosts) : platform::FileStamp {};
    if (age == s.hostsAge) {
        app.shell.setTimerEnabled(Timer::Files, true);
    } else if (!age.exists) {
        // The Hosts list stays as it is whatever the answer; the next save
        // writes the file again in any case.
        s.hostsAge = age;
        if (app.dialogs.ask(RewriteDeletedQuestion, MessageKind::QuestionDefaultYes) == Answer::Yes)
            saveAndRefresh(app);
        setInterfaceLock(app, true);
    } else {
        if (app.dialogs.ask(ReloadQuestion, MessageKind::QuestionDefaultNo) == Answer::Yes) {
            setInterfaceLock(app, false);
            reloadHostsAndWaitLists(app);
        }
        s.hostsAge = age;
        setInterfaceLock(app, true);
    }
    autoSaveStep(app);
}

void autoSaveStep(App& app)
{
    ProgramState& s = app.state;
    // A count of 0 or less (possible only by hand in the settings file) saves
    // at every tick; a save that changes nothing writes nothing.
    if (!s.settings.AutoSave)
        s.store.setPendingChanges(0);
    else if (s.store.pendingChanges() >= s.settings.AutoSaveCount || s.saveSoon)
        autoSaveAndRefresh(app);
}

} // namespace quillon::core
