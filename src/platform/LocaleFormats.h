#pragma once
// The date and time patterns of the person's locale (LC_TIME), as strftime
// conversion patterns, and the texts of its 12-hour clock.

#include <string>

namespace quillon::platform {

struct DateTimeFormats {
    std::string shortDate = "%m/%d/%y"; // as the locale gives it (D_FMT)
    std::string longTime = "%H:%M:%S";  // T_FMT
    std::string amText = "AM";
    std::string pmText = "PM";
};

// The patterns of the process's current LC_TIME locale.
DateTimeFormats localeDateTimeFormats();

} // namespace quillon::platform
