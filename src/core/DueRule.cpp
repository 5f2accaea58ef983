#include "core/DueRule.h"

#include "core/HostAddress.h"

#include <cmath>
#include <cstdint>

namespace quillon::core {

namespace {
// Compared in whole milliseconds: two values N days apart to the second can
// differ from N by a rounding error in the last bits.
bool atLeastDaysApart(TDateTime from, TDateTime to, int days)
{
    const auto elapsedMs = std::llround((to - from) * 86'400'000.0);
    return elapsedMs >= static_cast<std::int64_t>(days) * 86'400'000;
}
} // namespace

bool isDue(TDateTime lastVerification, TDateTime now, int days)
{
    return lastVerification == 0 || atLeastDaysApart(lastVerification, now, days);
}

bool HostsListDue(const HostStore& store, const Settings& settings, TDateTime now, std::string_view ownName)
{
    if (!settings.AutoVerifyHosts)
        return false;
    for (const auto& r : store.hosts()) {
        if (!isSetOnPurpose(*r, ownName) && isDue(r->Date, now, settings.AutoVerifyHostsDays))
            return true;
    }
    return false;
}

std::vector<int> dueHostRows(const HostStore& store, int days, TDateTime now, std::string_view ownName)
{
    std::vector<int> rows;
    int row = 0;
    for (const auto& r : store.hosts()) {
        if (!isSetOnPurpose(*r, ownName) && isDue(r->Date, now, days))
            rows.push_back(row);
        ++row;
    }
    return rows;
}

bool waitListDueAtStart(const Settings& settings, TDateTime now)
{
    return settings.AutoVerifyHostsQQD
        && atLeastDaysApart(settings.QQDLastVerify, now, settings.AutoVerifyHostsQQDDays);
}

} // namespace quillon::core
