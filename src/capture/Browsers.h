#pragma once
// The two browsers the program talks to: where each is registered, the name
// of its DDE service and what the person is told when it cannot be found.

#include <string>

namespace quillon::capture {

enum class Browser { InternetExplorer = 1, NetscapeNavigator = 2 };

struct BrowserEntry {
    const char* appPathsKey; // under HKEY_LOCAL_MACHINE; its default value is the program's path
    const char* service;
    const char* notFound;
};

const BrowserEntry& browserEntry(Browser browser);

// The topics and the item that names the browser's last active window.
inline constexpr const char* TopicGetWindowInfo = "WWW_GetWindowInfo";
inline constexpr const char* TopicActivate = "WWW_Activate";
inline constexpr const char* TopicOpenURL = "WWW_OpenURL";
inline constexpr const char* LastActiveWindow = "0xFFFFFFFF";

} // namespace quillon::capture
