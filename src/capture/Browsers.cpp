#include "capture/Browsers.h"

namespace quillon::capture {

const BrowserEntry& browserEntry(Browser browser)
{
    static const BrowserEntry explorer { "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE",
                                         "iexplore", "Internet Explorer not found." };
    static const BrowserEntry netscape { "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe",
                                         "netscape", "Netscape Navigator not found." };
    return browser == Browser::InternetExplorer ? explorer : netscape;
}

} // namespace quillon::capture
