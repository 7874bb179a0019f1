#pragma once

// The device's calendar: which dates and times it takes, and where each value
// stands in the dialog's six date and time lists.

#include <cstdint>

namespace halvo {

/// The first year the device takes.
inline constexpr std::int32_t kFirstYear = 2021;
/// The last year the device takes.
inline constexpr std::int32_t kLastYear = 2050;

/// The first and last value a field may take.
struct ValueRange {
    std::int32_t first;
    std::int32_t last;

    /// Whether value lies in first … last.
    constexpr bool Holds(std::int64_t value) const { return value >= first && value <= last; }
    /// The value's position in a list of first … last, or -1 for a value outside it.
    constexpr std::int32_t PositionOf(std::int32_t value) const { return Holds(value) ? value - first : -1; }
};

inline constexpr ValueRange kYearRange{kFirstYear, kLastYear};
inline constexpr ValueRange kMonthRange{1, 12};
inline constexpr ValueRange kDayRange{1, 31};
inline constexpr ValueRange kHourRange{0, 23};
inline constexpr ValueRange kMinuteRange{0, 59};
inline constexpr ValueRange kSecondRange{0, 59};

/// The days month 1 … 12 has under the device's rule (29 for February in every year, no leap years); 0 for any other month.
constexpr std::int32_t DaysInMonth(std::int32_t month) {
    if (!kMonthRange.Holds(month)) return 0;
    if (month == 2) return 29;
    if (month == 4 || month == 6 || month == 9 || month == 11) return 30;
    return kDayRange.last;
}

/// A reading of a wall clock in local time, as the PC gives it.
struct LocalClock {
    std::int32_t year = 0;    ///< four-digit year
    std::int32_t month = 0;   ///< 1 … 12
    std::int32_t day = 0;     ///< 1 … 31
    std::int32_t hour = 0;    ///< 0 … 23
    std::int32_t minute = 0;  ///< 0 … 59
    std::int32_t second = 0;  ///< 0 … 59

    friend constexpr bool operator==(const LocalClock&, const LocalClock&) = default;
};

/// The position of each clock value in its date or time list, -1 where the value is outside that list.
struct DatePositions {
    std::int32_t year = -1;    ///< 0 = kFirstYear
    std::int32_t month = -1;   ///< 0 = January
    std::int32_t day = -1;     ///< 0 = the 1st
    std::int32_t hour = -1;    ///< 0 = midnight
    std::int32_t minute = -1;  ///< 0 … 59
    std::int32_t second = -1;  ///< 0 … 59

    friend constexpr bool operator==(const DatePositions&, const DatePositions&) = default;
};

/// Each value's list position on its own; the day is judged against 1 … 31, not against its month.
constexpr DatePositions PositionsFromClock(const LocalClock& clock) {
    return DatePositions{kYearRange.PositionOf(clock.year),   kMonthRange.PositionOf(clock.month),
                         kDayRange.PositionOf(clock.day),     kHourRange.PositionOf(clock.hour),
                         kMinuteRange.PositionOf(clock.minute), kSecondRange.PositionOf(clock.second)};
}

}  // namespace halvo
