#pragma once

// halvo-set's English words for dates, times and settings, from the lists.

#include <cstdint>
#include <string>

#include "halvo/calendar.h"
#include "halvo/camera_clock.h"
#include "halvo/device_settings.h"
#include "halvo/set_file_writer.h"
#include "halvo/settings_lists.h"

namespace halvo::cli {

/// A number in at least two digits: "07", "59", "2021".
std::string Pad2(std::int32_t v);

/// A date as typed: YYYY-MM-DD.
std::string DateText(const DateTime& d);

/// A time as typed: HH:MM:SS.
std::string TimeText(const DateTime& d);

/// The earliest date and time the device takes.
DateTime FirstDateTime();

/// The latest date and time the device takes.
DateTime LastDateTime();

/// A list's option words in the order halvo-set names them, joined by `separator`.
std::string OptionWords(const SettingsList& list, const char* separator);

/// The entry a list holds in settings, as halvo-set says it ("2 min", "10 s", "off"), or "?" for none.
std::string Said(const SettingsList& list, const DeviceSettings& settings);

/// The settings in one line, in the order of the file: "2026-12-10 04:40:50, flip off, length 5 min, …"; `afterTime`
/// follows the date and time.
std::string Summary(const DeviceSettings& settings, const std::string& afterTime = "");

/// A change of summer time that the camera will not follow: "On 28 March 2027 at 02:00 the clocks go forward 1 h;
/// the camera will not: set it again then."
std::string ZoneChangeText(const ZoneChangeWords& change);

/// The settings one a line, "  name:  value", as --show prints them.
std::string Listing(const DeviceSettings& settings);

/// Why writing `target` failed, in the card's terms, and what to do, as one line without the program's name.
std::string FailureText(const std::string& target, const WriteFailure& failure);

}  // namespace halvo::cli
