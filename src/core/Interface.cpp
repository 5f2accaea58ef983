#include "core/Interface.h"

namespace quillon::core {

void setInterfaceLock(App& app, bool unlocked)
{
    app.state.unlocked = unlocked;
    app.shell.setInterfaceUnlocked(unlocked);
}

void setActivityIndicator(App& app, int indicator)
{
    app.state.activity = indicator;
    app.shell.showActivity(indicator);
}

void reportError(App& app, const std::string& message)
{
    app.dialogs.ask(message, MessageKind::Warning);
}

} // namespace quillon::core
