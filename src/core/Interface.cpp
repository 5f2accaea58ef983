#include "core/Interface.h"

namespace quillon::core {

void setInterfaceLock(App& app, bool unlocked)
{
    app.state.unlocked = unlocked;
    app.shell.setInterfaceUnlocked(unlocked);
}

bool timerMayRun(const Settings& s, Timer timer)
{
    switch (timer) {
    case Timer::DDE:
        return (s.DDECaptureIExplore || s.DDECaptureNetscape) && s.DDETimerInterval > 0;
    case Timer::Files:
        return s.FilesTimerInterval > 0;
    case Timer::Check:
        return s.CheckTimerInterval > 0;
    case Timer::History:
        return (s.CaptureFirefox || s.CaptureChromium) && s.BrowserHistoryInterval > 0;
    }
    return false;
}

void setActivityIndicator(App& app, int indicator)
{
    app.state.activity = indicator;
    app.shell.showActivity(indicator);
}

void startCancellable(App& app)
{
    app.state.cancel = app.state.ending;
}

void reportError(App& app, const std::string& message)
{
    app.dialogs.ask(message, MessageKind::Warning);
}

} // namespace quillon::core
