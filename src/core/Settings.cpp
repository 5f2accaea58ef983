#include "core/Settings.h"

#include "core/IntegerText.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace quillon::core {

namespace {

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool readStartSplash(const IniFile& ini)
{
    return ini.readBool(SettingsSection, "StartSplash", Settings {}.StartSplash);
}

void readRemainingSettings(const IniFile& ini, const DateTimeText& dateTimeText, Settings& s)
{
    const Settings d;
    const auto readBool = [&ini](std::string_view key, bool def) { return ini.readBool(SettingsSection, key, def); };
    const auto readInt = [&ini](std::string_view key, int def) { return ini.readInteger(SettingsSection, key, def); };

    s.StartTNA = readBool("StartTNA", d.StartTNA);
    s.WorkTNA = readBool("WorkTNA", d.WorkTNA);
    s.SaveWindow = readBool("SaveWindow", d.SaveWindow);
    s.DDECaptureIExplore = readBool("DDECaptureIExplore", d.DDECaptureIExplore);
    s.DDECaptureNetscape = readBool("DDECaptureNetscape", d.DDECaptureNetscape);
    s.DDEVerify = readBool("DDEVerify", d.DDEVerify);
    s.AutoSave = readBool("AutoSave", d.AutoSave);
    s.AutoSaveCount = readInt("AutoSaveCount", d.AutoSaveCount);
    s.AutoVerifyHosts = readBool("AutoVerifyHosts", d.AutoVerifyHosts);
    s.AutoVerifyHostsDays = readInt("AutoVerifyHostsDays", d.AutoVerifyHostsDays);
    s.AutoVerifyHostsQQD = readBool("AutoVerifyHostsQQD", d.AutoVerifyHostsQQD);
    s.AutoVerifyHostsQQDDays = readInt("AutoVerifyHostsQQDDays", d.AutoVerifyHostsQQDDays);
    s.AutoVerifyConf = readBool("AutoVerifyConf", d.AutoVerifyConf);
    s.CheckOnLine = readBool("CheckOnLine", d.CheckOnLine);
    s.DDETimerInterval = readInt("DDETimerInterval", d.DDETimerInterval);
    s.FilesTimerInterval = readInt("FilesTimerInterval", d.FilesTimerInterval);
    s.CheckTimerInterval = readInt("CheckTimerInterval", d.CheckTimerInterval);
    s.CaptureFirefox = readBool("CaptureFirefox", d.CaptureFirefox);
    s.CaptureChromium = readBool("CaptureChromium", d.CaptureChromium);
    s.BrowserHistoryInterval = readInt("BrowserHistoryInterval", d.BrowserHistoryInterval);
    s.FileExtIEBookmarks = ini.readString(SettingsSection, "FileExtIEBookmarks").value_or(d.FileExtIEBookmarks);
    s.QQDLastVerify = ini.readDateTime(SettingsSection, "QQDLastVerify", d.QQDLastVerify, dateTimeText);
    s.WindowHeight = readInt("WindowHeight", d.WindowHeight);
    s.WindowWidth = readInt("WindowWidth", d.WindowWidth);
    s.WindowTop = readInt("WindowTop", d.WindowTop);
    s.WindowLeft = readInt("WindowLeft", d.WindowLeft);
    s.WindowMax = readBool("WindowMax", d.WindowMax);

    // An empty folder would put the hosts file in the working directory.
    const auto hostsFolder = ini.readString(SettingsSection, "HostsFolder");
    s.HostsFolder = hostsFolder && !hostsFolder->empty() ? *hostsFolder : d.HostsFolder;
    const auto updateServer = ini.readString(SettingsSection, "UpdateServer");
    s.UpdateServer = updateServer && !updateServer->empty() ? *updateServer : d.UpdateServer;
    s.LookAhead = std::clamp(readInt("LookAhead", d.LookAhead), 1, MaxLookAhead);
    s.RefreshAfterHours = std::clamp(readInt("RefreshAfterHours", d.RefreshAfterHours), 0, MaxRefreshAfterHours);
}

Settings readSettings(const IniFile& ini, const DateTimeText& dateTimeText)
{
    Settings settings;
    settings.StartSplash = readStartSplash(ini);
    readRemainingSettings(ini, dateTimeText, settings);
    return settings;
}

Outcome writeOptions(IniFile& ini, const Settings& s)
{
    const std::initializer_list<std::pair<std::string_view, bool>> switchesBeforeCount = {
        { "StartSplash", s.StartSplash },
        { "StartTNA", s.StartTNA },
        { "WorkTNA", s.WorkTNA },
        { "SaveWindow", s.SaveWindow },
        { "DDECaptureIExplore", s.DDECaptureIExplore },
        { "DDECaptureNetscape", s.DDECaptureNetscape },
        { "DDEVerify", s.DDEVerify },
        { "AutoSave", s.AutoSave },
    };
    for (const auto& [key, value] : switchesBeforeCount) {
        if (Outcome o = ini.writeBool(SettingsSection, key, value); !o)
            return o;
    }
    if (Outcome o = ini.writeInteger(SettingsSection, "AutoSaveCount", s.AutoSaveCount); !o)
        return o;
    if (Outcome o = ini.writeBool(SettingsSection, "AutoVerifyHosts", s.AutoVerifyHosts); !o)
        return o;
    if (Outcome o = ini.writeInteger(SettingsSection, "AutoVerifyHostsDays", s.AutoVerifyHostsDays); !o)
        return o;
    if (Outcome o = ini.writeBool(SettingsSection, "AutoVerifyHostsQQD", s.AutoVerifyHostsQQD); !o)
        return o;
    if (Outcome o = ini.writeInteger(SettingsSection, "AutoVerifyHostsQQDDays", s.AutoVerifyHostsQQDDays); !o)
        return o;
    if (Outcome o = ini.writeBool(SettingsSection, "CheckOnLine", s.CheckOnLine); !o)
        return o;
    // The browsers' own histories come after the keys the program always had.
    if (Outcome o = ini.writeBool(SettingsSection, "CaptureFirefox", s.CaptureFirefox); !o)
        return o;
    if (Outcome o = ini.writeBool(SettingsSection, "CaptureChromium", s.CaptureChromium); !o)
        return o;
    return ini.writeInteger(SettingsSection, "RefreshAfterHours", s.RefreshAfterHours);
}

Outcome writeQQDLastVerify(IniFile& ini, TDateTime value, const DateTimeText& dateTimeText)
{
    return ini.writeDateTime(SettingsSection, "QQDLastVerify", value, dateTimeText);
}

Outcome writeWindowPlacement(IniFile& ini, const WindowPlacement& placement)
{
    if (Outcome o = ini.writeBool(SettingsSection, "WindowMax", placement.maximized); !o || !placement.normal)
        return o;
    const std::initializer_list<std::pair<std::string_view, int>> bounds = {
        { "WindowTop", placement.top },
        { "WindowLeft", placement.left },
        { "WindowHeight", placement.height },
        { "WindowWidth", placement.width },
    };
    for (const auto& [key, value] : bounds) {
        if (Outcome o = ini.writeInteger(SettingsSection, key, value); !o)
            return o;
    }
    return Outcome::success();
}

int optionNumberFromText(std::string_view text)
{
    const int value = parseDecimalInteger(trimBlanks(text)).value_or(0);
    return value <= 0 ? 1 : value;
}

int refreshHoursFromText(std::string_view text)
{
    return std::clamp(parseDecimalInteger(trimBlanks(text)).value_or(Settings {}.RefreshAfterHours), 0,
                      MaxRefreshAfterHours);
}

std::string optionFieldText(int value)
{
    return std::to_string(std::clamp(value, 1, 999));
}

} // namespace quillon::core
