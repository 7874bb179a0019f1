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
// int holds; the offsets are added in 64 bits and saturated back so that a
// wild position is reported as out of range instead of overflowing.
std::int32_t Offset(std::int32_t position, std::int32_t offset) {
    const std::int64_t sum = std::int64_t{position} + offset;
    if (sum > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (sum < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(sum);
}

// Every checked list and the days-of-the-month check fail at most once each:
// the fault list has room for all of them.
static_assert(std::count_if(kSettingsLists.begin(), kSettingsLists.end(),
                            [](const SettingsList& list) { return list.fallback == kChecked; }) +
                  1 ==
              kSettingsChecks);

// A checked list of words sets its position itself, so that an unknown one
// reaches the device value unchanged, as the dialog always did.
static_assert(std::all_of(kSettingsLists.begin(), kSettingsLists.end(), [](const SettingsList& list) {
    if (list.fallback != kChecked || list.entries.empty()) return true;
    for (std::int32_t at = 0; at < list.Size(); ++at)
        if (list.ValueAt(at) != at) return false;
    return true;
}));

}  // namespace

Conversion ConvertSelection(const SettingsSelection& selection) {
    Conversion out;
    DeviceSettings& s = out.settings;

    for (const SettingsList& list : kSettingsLists) {
        const std::int32_t at = selection.*list.position;
        if (list.fallback != kChecked) {
            SetListValue(list, list.ValueAt(list.Holds(at) ? at : list.fallback), s);
            continue;
        }
        s.*list.field = Offset(at, list.Offset());
        if (!list.Holds(at)) {
            out.faults.push_back({list.fault, list.id, at == -1 ? FaultReason::NoEntry : FaultReason::OutsideList});
        }
    }

    // Days the month does not have, checked after every option, on the values
    // above even where their own checks failed.
    if (!MonthHasDay(s.month, s.day)) {
        out.faults.push_back({ListOf(SettingsListId::Day).fault, SettingsListId::Day, FaultReason::NoSuchDay});
    }
    return out;
}

}  // namespace halvo
