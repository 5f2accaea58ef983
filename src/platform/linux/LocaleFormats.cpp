#include "platform/LocaleFormats.h"

#include <langinfo.h>

namespace quillon::platform {

namespace {

// Locales without a 12-hour clock give empty AM/PM texts; an empty pattern
// would leave nothing to format with. Either keeps the struct's default.
void takeIfSet(nl_item item, std::string& target)
{
    const char* text = ::nl_langinfo(item);
    if (text != nullptr && *text != '\0')
        target = text;
}

} // namespace

DateTimeFormats localeDateTimeFormats()
{
    DateTimeFormats formats;
    takeIfSet(D_FMT, formats.shortDate);
    takeIfSet(T_FMT, formats.longTime);
    takeIfSet(AM_STR, formats.amText);
    takeIfSet(PM_STR, formats.pmText);
    return formats;
}

} // namespace quillon::platform
