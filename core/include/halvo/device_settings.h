#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "halvo/bounded_list.h"

namespace halvo {

/// The selected position of each of the dialog's twelve lists, -1 where a list has no selection.
struct SettingsSelection {
    std::int32_t year = -1;          ///< 0 = kFirstYear … kLastYear - kFirstYear
    std::int32_t month = -1;         ///< 0 = January … 11 = December
    std::int32_t day = -1;           ///< 0 = the 1st … 30 = the 31st
    std::int32_t hour = -1;          ///< 0 … 23
    std::int32_t minute = -1;        ///< 0 … 59
    std::int32_t second = -1;        ///< 0 … 59
    std::int32_t imageFlip = -1;     ///< 0 = no, 1 = yes
    std::int32_t recordLength = -1;  ///< 0 = 1 min, 1 = 2 min, 2 = 3 min, 3 = 5 min
    std::int32_t timelapse = -1;     ///< 0 = 2 s, 1 = 5 s, 2 = 10 s, 3 = off
    std::int32_t recordAudio = -1;   ///< 0 = off, 1 = on
    std::int32_t usbMode = -1;       ///< 0 = mass storage, 1 = recording device
    std::int32_t timestamp = -1;     ///< 0 = off, 1 = on

    friend bool operator==(const SettingsSelection&, const SettingsSelection&) = default;
};

/// The dialog's selections when it opens: 1 January of kFirstYear, 00:00:00, no flip, 2 min, no time-lapse, sound on, mass storage, time stamp on.
inline constexpr SettingsSelection kInitialSelection{0, 0, 0, 0, 0, 0, 0, 1, 3, 1, 0, 1};

/// The recording lengths in minutes, by their position in the length list.
inline constexpr std::array<std::int32_t, 4> kRecordMinutes{1, 2, 3, 5};

/// Positions 0 … kTimelapseIntervals - 1 of the time-lapse list are intervals (2, 5 and 10 s); the next is "off".
inline constexpr std::int32_t kTimelapseIntervals = 3;

/// The thirteen values the recorder takes from set.txt.
struct DeviceSettings {
    std::int32_t year = 0;               ///< kFirstYear … kLastYear
    std::int32_t month = 0;              ///< 1 … 12
    std::int32_t day = 0;                ///< 1 … DaysInMonth(month)
    std::int32_t hour = 0;               ///< 0 … 23
    std::int32_t minute = 0;             ///< 0 … 59
    std::int32_t second = 0;             ///< 0 … 59
    std::int32_t imageFlip = 0;          ///< 0 off, 1 on
    std::int32_t recordMinutes = 0;      ///< 1, 2, 3 or 5
    std::int32_t timelapseOn = 0;        ///< 0 off, 1 on
    std::int32_t timelapseInterval = 0;  ///< 0 = 2 s, 1 = 5 s, 2 = 10 s
    std::int32_t recordAudio = 0;        ///< 0 off, 1 on
    std::int32_t usbMode = 0;            ///< 0 mass-storage device, 1 video device
    std::int32_t timestamp = 0;          ///< 0 off, 1 on

    friend bool operator==(const DeviceSettings&, const DeviceSettings&) = default;
};

/// The kind of one failed check.
enum class SettingsFault : std::uint8_t {
    DateTime,   ///< a date or time field out of range, or a day the month does not have
    Option,     ///< an off/on or no/yes field that is neither 0 nor 1
    FileOpen,   ///< set.txt (or its temporary neighbour) could not be opened for writing
    FileWrite,  ///< writing, flushing, closing or replacing set.txt failed; the old file is kept but for two rare cases (README)
};

/// How many checks ConvertSelection runs (ten ranges and the days of the month); each fails at most once.
inline constexpr std::size_t kSettingsChecks = 11;

/// The failed checks of one conversion, in order.
using SettingsFaults = BoundedList<SettingsFault, kSettingsChecks>;

/// What ConvertSelection gives back: the values, always filled in, and the failed checks in order.
struct Conversion {
    DeviceSettings settings;
    SettingsFaults faults;
};

/// Turns list positions into device values and runs every check, never stopping at the first fault.
Conversion ConvertSelection(const SettingsSelection& selection);

}  // namespace halvo
