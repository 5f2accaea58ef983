#include "core/ProgramExit.h"

#include "core/IniFile.h"
#include "core/Interface.h"
#include "core/SaveAll.h"
#include "core/Settings.h"

namespace quillon::core {

bool programExitSave(App& app, const WindowPlacement& placement)
{
    ProgramState& s = app.state;
    setInterfaceLock(app, false);
    app.shell.processEvents();
    if (!saveAll(app) && !s.ending
        && app.dialogs.ask(ExitAnywayQuestion, MessageKind::QuestionDefaultNo) != Answer::Yes && !s.ending) {
        setInterfaceLock(app, true);
        return false;
    }
    s.store.clearActive();
    s.store.emptyTrash();
    s.store.ignoreNames().clear();
    if (s.settings.SaveWindow) {
        IniFile ini(app.fs, s.paths.ini);
        if (Outcome o = writeWindowPlacement(ini, placement); !o)
            reportError(app, o.message());
    }
    return true;
}

} // namespace quillon::core
