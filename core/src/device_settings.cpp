#include "halvo/device_settings.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "halvo/calendar.h"
#include "halvo/settings_lists.h"

namespace halvo {
namespace {

// List positions come straight from the window and may be anything a 32-bit
// int holds; the first number is added in 64 bits and saturated back so that
// a wild position is reported as out of range instead of overflowing.
std::int32_t SaturatedSum(std::int32_t position, std::int32_t first) {
    const std::int64_t sum = std::int64_t{position} + first;
    if (sum > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (sum < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(sum);
}

// A checked list of words lets an unknown position through as the value
// itself, as the dialog always did, so its entries must set their positions.
static_assert(std::all_of(kSettingsLists.begin(), kSettingsLists.end(), [](const SettingsList& list) {
    if (list.fallback || list.numbers) return true;
    for (std::int32_t at = 0; at < list.Size(); ++at)
        if (ValueAt(list, at, list.field) != at) return false;
    return true;
}));

}  // namespace

SettingsFaults CheckSettings(const DeviceSettings& settings) {
    SettingsFaults faults;
    for (const ListRule& list : kListRules) {
        if (!ListTakes(list, settings)) faults.push_back({list.kind, list.id, FaultReason::OutsideList});
    }
    // Days the month does not have, checked after every list, also where the
    // month's or the day's own check failed.
    if (!MonthHasDay(settings.year, settings.month, settings.day)) {
        faults.push_back({RuleOf(SettingsListId::Day).kind, SettingsListId::Day, FaultReason::NoSuchDay});
    }
    return faults;
}

Conversion ConvertSelection(const SettingsSelection& selection) {
    Conversion out;
    for (const ListRule& list : kListRules) {
        const std::int32_t at = selection.*list.position;
        if (list.Holds(at)) {
            SetPosition(list, at, out.settings);
        } else if (list.fallback) {
            SetPosition(list, *list.fallback, out.settings);
        } else {
            out.settings.*list.field = SaturatedSum(at, list.numbers ? list.numbers->first : 0);
        }
    }
    // The values say what is wrong; only the positions know a list had none.
    for (FailedCheck check : CheckSettings(out.settings)) {
        if (check.reason == FaultReason::OutsideList && selection.*RuleOf(check.list).position == kNoSelection) {
            check.reason = FaultReason::NoEntry;
        }
        out.faults.push_back(check);
    }
    return out;
}

}  // namespace halvo
