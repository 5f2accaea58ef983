#include "core/Options.h"

#include "core/IniFile.h"

namespace quillon::core {

OptionValues loadOptions(const Settings& settings, platform::Autostart& autostart)
{
    OptionValues v;
    v.autoStart = autostart.command().has_value();
    v.settings = settings;
    v.autoSaveCount = optionFieldText(settings.AutoSaveCount);
    v.autoVerifyHostsDays = optionFieldText(settings.AutoVerifyHostsDays);
    v.autoVerifyHostsQQDDays = optionFieldText(settings.AutoVerifyHostsQQDDays);
    v.refreshAfterHours = std::to_string(settings.RefreshAfterHours);
    return v;
}

Outcome applyOptions(ProgramState& state, platform::FileSystem& fs, platform::Autostart& autostart,
                     const std::string& program, const OptionValues& values)
{
    if (values.autoStart)
        (void)autostart.enable(program);
    else
        (void)autostart.disable();

    Settings& s = state.settings;
    const Settings& from = values.settings;
    s.StartSplash = from.StartSplash;
    s.StartTNA = from.StartTNA;
    s.WorkTNA = from.WorkTNA;
    s.SaveWindow = from.SaveWindow;
    s.DDECaptureIExplore = from.DDECaptureIExplore;
    s.DDECaptureNetscape = from.DDECaptureNetscape;
    s.DDEVerify = from.DDEVerify;
    s.AutoSave = from.AutoSave;
    s.AutoVerifyHosts = from.AutoVerifyHosts;
    s.AutoVerifyHostsQQD = from.AutoVerifyHostsQQD;
    s.CheckOnLine = from.CheckOnLine;
    s.CaptureFirefox = from.CaptureFirefox;
    s.CaptureChromium = from.CaptureChromium;
    s.AutoSaveCount = optionNumberFromText(values.autoSaveCount);
    s.AutoVerifyHostsDays = optionNumberFromText(values.autoVerifyHostsDays);
    s.AutoVerifyHostsQQDDays = optionNumberFromText(values.autoVerifyHostsQQDDays);
    s.RefreshAfterHours = refreshHoursFromText(values.refreshAfterHours);

    IniFile ini(fs, state.paths.ini);
    return writeOptions(ini, s);
}

} // namespace quillon::core
