#pragma once

// The clock: the date and time as typed, and how a clock reading becomes the
// written time (the lead, the camera's start-up correction, the zone).

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "failure.h"
#include "halvo/calendar.h"
#include "halvo/device_settings.h"
#include "host.h"
#include "options.h"

namespace halvo::cli {

/// How the clock reading becomes the written time: moved on by the lead and the correction, in a zone of the
/// user's choosing.
struct ClockPlan {
    std::int32_t lead = 0;
    std::int32_t correctionTenths = 0;
    std::optional<std::string> zone;  ///< none: this computer's
};

/// The date and time of --date and --time, as their groups of digits, into the settings; their values are
/// checked with the rest, only their form here.
std::optional<Failure> TakeTypedDateTime(const Given& given, DeviceSettings& settings);

/// The lead, the correction and the zone as given (the zone as this computer names it).
std::optional<Failure> TakeClockPlan(const Given& given, const Clock& clock, ClockPlan& plan);

/// One reading of the clock, as the settings took it.
struct ClockReading {
    DateTime shown;                                      ///< the reading moved on, in the zone: what was written
    std::chrono::system_clock::time_point moment;       ///< when to switch the camera on
    std::chrono::system_clock::time_point written;      ///< the instant of the second in the file
    bool corrected = false;                              ///< the correction moved the written second
};

/// Fills the date and the time the user did not type from one reading of the clock; none when both were typed.
std::optional<ClockReading> ReadClock(const Given& given, const ClockPlan& plan, const Clock& clock,
                                      DeviceSettings& settings);

/// Why a date or time value is refused: the option it was typed with, or the clock reading it came from.
Failure DateTimeRefusal(const FailedCheck& check, const Given& given, const ClockPlan& plan,
                        const std::optional<ClockReading>& reading, const DeviceSettings& settings);

/// The zone's next change of summer time after the written second, which the camera will not follow; none without.
std::optional<std::string> ZoneNote(const ClockPlan& plan, const Clock& clock,
                                    std::chrono::system_clock::time_point written);

}  // namespace halvo::cli
