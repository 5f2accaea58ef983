#pragma once
// The person's settings: the keys of section "Settings" of Quillon.ini, read
// once at start-up into memory, and the routines that write them back.
// Members are named like their keys and declared in the order start-up reads
// them. A missing key, or a value that cannot be read as its type, gives the
// default below; an unreadable date gives 0 ("never").
//
// AutoVerifyConf, the timer intervals, FileExtIEBookmarks, HostsFolder,
// UpdateServer and LookAhead are only ever set by hand in the file; nothing
// here writes them.

#include "core/DateTime.h"
#include "core/DateTimeText.h"
#include "core/IniFile.h"
#include "core/Outcome.h"
#include "core/ProductInfo.h"
#include "core/WindowPlacement.h"

#include <string>
#include <string_view>

namespace quillon::core {

inline constexpr std::string_view SettingsSection = "Settings";
// The most questions a run keeps on their way to the name servers at once.
inline constexpr int MaxLookAhead = 1024;
// The most hours RefreshAfterHours may say (the four digits of its field).
inline constexpr int MaxRefreshAfterHours = 9999;

struct Settings {
    bool StartSplash = true;
    bool StartTNA = false;
    bool WorkTNA = true;
    bool SaveWindow = false;
    bool DDECaptureIExplore = true;
    bool DDECaptureNetscape = true;
    bool DDEVerify = true;
    bool AutoSave = true;
    int AutoSaveCount = 10;
    bool AutoVerifyHosts = true;
    int AutoVerifyHostsDays = 7;
    bool AutoVerifyHostsQQD = true;
    int AutoVerifyHostsQQDDays = 7;
    bool AutoVerifyConf = true;
    bool CheckOnLine = true;
    int DDETimerInterval = 500;
    int FilesTimerInterval = 1500;
    int CheckTimerInterval = 5000;
    // Capture from the browsers' own histories (Firefox, the Chromium
    // family), checked every BrowserHistoryInterval ms.
    bool CaptureFirefox = true;
    bool CaptureChromium = true;
    int BrowserHistoryInterval = 2000;
    std::string FileExtIEBookmarks = "*.url";
    TDateTime QQDLastVerify = 0;
    int WindowHeight = 480;
    int WindowWidth = 650;
    int WindowTop = -10000;
    int WindowLeft = -10000;
    bool WindowMax = false;
    // The folder of the system hosts file (read at start-up, never written);
    // an empty value gives the default.
    std::string HostsFolder = "/etc";
    // The update check's FTP server, "host" or "host:port" (read at
    // start-up, never written); an empty value gives the default.
    std::string UpdateServer { ProductUpdateServer };
    // How many questions of a run may be on their way at once, ahead of the
    // host the run is at (read at start-up, never written); 1 resolves one
    // name at a time on the window's thread. Held to 1 to MaxLookAhead.
    // 256: 1,000 names whose servers answer in 50 ms take four rounds
    // (0.2 s), and where one in five is never answered the run ends soon
    // after the first time-out, since the questions behind an unanswered
    // one keep going; the questions cost no thread each.
    int LookAhead = 256;
    // A visited host verified longer ago than this many hours has its
    // address checked again in the background (the Options dialog's
    // Advanced page); 0 never. Held to 0 to MaxRefreshAfterHours.
    int RefreshAfterHours = 24;

    bool operator==(const Settings&) const = default;
};

// Start-up reads StartSplash alone first, to show the splash window early.
bool readStartSplash(const IniFile& ini);
// StartTNA through WindowMax in member order, then HostsFolder,
// UpdateServer, LookAhead and RefreshAfterHours.
void readRemainingSettings(const IniFile& ini, const DateTimeText& dateTimeText, Settings& settings);
Settings readSettings(const IniFile& ini, const DateTimeText& dateTimeText);

// The fourteen keys of the Options dialog, from StartSplash to CheckOnLine,
// then those it has beside them (CaptureFirefox, CaptureChromium,
// RefreshAfterHours); stops at the first failed write and returns it.
Outcome writeOptions(IniFile& ini, const Settings& settings);
Outcome writeQQDLastVerify(IniFile& ini, TDateTime value, const DateTimeText& dateTimeText);
// WindowMax always; the bounds (WindowTop, WindowLeft, WindowHeight,
// WindowWidth) only for a normal window, so that the bounds a maximized
// window will return to are kept.
Outcome writeWindowPlacement(IniFile& ini, const WindowPlacement& placement);

// An Options dialog number field: the text (blanks at both ends ignored) as
// a decimal integer, 0 when it is not one; 0 or less becomes 1.
int optionNumberFromText(std::string_view text);
// The text an Options number field (three digits) shows for a setting: the
// value as the field gives it back, so that a number set by hand outside
// 1 to 999 (AutoSaveCount=-5) shows what applying the dialog makes of it.
std::string optionFieldText(int value);
// The RefreshAfterHours field (four digits, 0 switches it off): the text as a
// decimal integer, the default when it is not one.
int refreshHoursFromText(std::string_view text);

} // namespace quillon::core
