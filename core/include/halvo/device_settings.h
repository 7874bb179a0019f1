#pragma once

// The one rule of what the device takes, over its values, and the dialog's
// conversion of list positions into values under it.

#include <cstddef>

#include "halvo/bounded_list.h"
#include "halvo/settings_lists.h"
#include "halvo/settings_types.h"

namespace halvo {

/// How many checks CheckSettings runs (one per list and the days of the month); each fails at most once.
inline constexpr std::size_t kSettingsChecks = kSettingsListCount + 1;

/// The failed checks of one conversion, in order.
using SettingsFaults = BoundedList<FailedCheck, kSettingsChecks>;

/// What ConvertSelection gives back: the values, always filled in, and the failed checks in order.
struct Conversion {
    DeviceSettings settings;
    SettingsFaults faults;
};

/// Runs every check on device values, never stopping at the first fault: each value must be one its list gives
/// (time-lapse's switch and interval as a pair its entries give), and the month must have the day.
SettingsFaults CheckSettings(const DeviceSettings& settings);

/// Turns list positions into device values and checks them as CheckSettings does; a list without a selection is
/// reported as NoEntry.
Conversion ConvertSelection(const SettingsSelection& selection);

}  // namespace halvo
