#pragma once

// The values the settings are made of: the lists' positions, the device's
// values, and what a failed check says. Which values are valid is
// device_settings.h's, from the lists (settings_lists.h).

#include <array>
#include <cstddef>
#include <cstdint>

#include "halvo/calendar.h"

namespace halvo {

/// The position of a list without a selection (an editable list left with typed text, or nothing chosen yet).
inline constexpr std::int32_t kNoSelection = -1;

/// The selected position of each of the dialog's twelve lists, kNoSelection where a list has none; what each
/// position means is kSettingsLists' (settings_lists.h).
struct SettingsSelection {
    std::int32_t year = kNoSelection;
    std::int32_t month = kNoSelection;
    std::int32_t day = kNoSelection;
    std::int32_t hour = kNoSelection;
    std::int32_t minute = kNoSelection;
    std::int32_t second = kNoSelection;
    std::int32_t imageFlip = kNoSelection;
    std::int32_t recordLength = kNoSelection;
    std::int32_t timelapse = kNoSelection;
    std::int32_t recordAudio = kNoSelection;
    std::int32_t usbMode = kNoSelection;
    std::int32_t timestamp = kNoSelection;

    friend bool operator==(const SettingsSelection&, const SettingsSelection&) = default;
};

/// The thirteen values the recorder takes from set.txt.
struct DeviceSettings {
    std::int32_t year = 0;               ///< kFirstYear … kLastYear
    std::int32_t month = 0;              ///< 1 … 12
    std::int32_t day = 0;                ///< 1 … DaysInMonth(year, month)
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

/// The date and time part of a selection or of settings: list positions, or values.
template <class Fields>
constexpr DateTime DateTimeOf(const Fields& f) {
    return {f.year, f.month, f.day, f.hour, f.minute, f.second};
}

/// Puts a date and time into a selection or settings, leaving the other fields as they are.
template <class Fields>
constexpr void SetDateTime(Fields& f, const DateTime& d) {
    f.year = d.year;
    f.month = d.month;
    f.day = d.day;
    f.hour = d.hour;
    f.minute = d.minute;
    f.second = d.second;
}

/// What a failed check found wrong: a date or time value, or an option's.
enum class CheckKind : std::uint8_t {
    DateTime,  ///< a date or time field out of range, or a day the month does not have
    Option,    ///< an option whose value none of its list's entries gives (an off/on field neither 0 nor 1)
};

/// How many kinds of check there are.
inline constexpr std::size_t kCheckKinds = static_cast<std::size_t>(CheckKind::Option) + 1;

/// Each check kind's name, by its number: how the page keys its messages.
inline constexpr std::array<const char*, kCheckKinds> kCheckKindNames{"DateTime", "Option"};

/// The twelve lists, in the order of SettingsSelection's fields.
enum class SettingsListId : std::uint8_t {
    Year, Month, Day, Hour, Minute, Second, ImageFlip, RecordLength, Timelapse, RecordAudio, UsbMode, Timestamp,
};

/// How many lists there are.
inline constexpr std::size_t kSettingsListCount = static_cast<std::size_t>(SettingsListId::Timestamp) + 1;

/// Why a check failed.
enum class FaultReason : std::uint8_t {
    NoEntry,      ///< the list has no selection (kNoSelection)
    OutsideList,  ///< the position lies past either end of the list, or the value is none its list gives
    NoSuchDay,    ///< the month has no such day (the day list's fault)
};

/// How many reasons there are.
inline constexpr std::size_t kFaultReasons = static_cast<std::size_t>(FaultReason::NoSuchDay) + 1;

/// Each reason's name, by its number: how the page keys its messages.
inline constexpr std::array<const char*, kFaultReasons> kFaultReasonNames{"NoEntry", "OutsideList", "NoSuchDay"};

/// One failed check: its kind, as the dialog counts them, the list it concerns and why.
struct FailedCheck {
    CheckKind kind = CheckKind::DateTime;
    SettingsListId list = SettingsListId::Year;
    FaultReason reason = FaultReason::NoEntry;

    friend constexpr bool operator==(const FailedCheck&, const FailedCheck&) = default;
    /// Compares the kind alone, for callers that only count kinds.
    friend constexpr bool operator==(const FailedCheck& check, CheckKind expected) { return check.kind == expected; }
};

}  // namespace halvo
