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

/// Whether a year has a 29 February: every fourth year, but for the centuries not divisible by 400.
constexpr bool IsLeapYear(std::int32_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

/// The days month 1 … 12 of a year has (February 29 in a leap year, 28 otherwise); 0 for any other month.
constexpr std::int32_t DaysInMonth(std::int32_t year, std::int32_t month) {
    if (!kMonthRange.Holds(month)) return 0;
    if (month == 2) return IsLeapYear(year) ? 29 : 28;
    if (month == 4 || month == 6 || month == 9 || month == 11) return 30;
    return kDayRange.last;
}

/// Whether a month of a year lets a day stand: February refuses any day past its last (the 29th outside leap
/// years), a 30-day month only its 31st; other months, and days or months outside their lists, are left to the
/// range checks.
constexpr bool MonthHasDay(std::int32_t year, std::int32_t month, std::int32_t day) {
    if (month == 2) return day <= DaysInMonth(year, month);
    if (DaysInMonth(year, month) == kDayRange.last - 1) return day != kDayRange.last;
    return true;
}

/// The most seconds a clock reading may be moved ahead (the lead), so that the device can be switched on later.
inline constexpr std::int32_t kMaxLeadSeconds = 3600;
/// The lead offered before the owner picks one (the page's first, halvo-set's with --countdown): time to put the
/// card into the camera and switch it on.
inline constexpr std::int32_t kDefaultLeadSeconds = 30;
static_assert(kDefaultLeadSeconds >= 0 && kDefaultLeadSeconds <= kMaxLeadSeconds);

/// A date and a time of day, as six numbers: a clock reading, or the positions of the six date and time lists.
struct DateTime {
    std::int32_t year = 0;    ///< four-digit year, or its list position (0 = kFirstYear)
    std::int32_t month = 0;   ///< 1 … 12, or 0 = January
    std::int32_t day = 0;     ///< 1 … 31, or 0 = the 1st
    std::int32_t hour = 0;    ///< 0 … 23
    std::int32_t minute = 0;  ///< 0 … 59
    std::int32_t second = 0;  ///< 0 … 59

    friend constexpr bool operator==(const DateTime&, const DateTime&) = default;
};

/// The six fields in list order, each with the range of its list.
struct DateTimeField {
    std::int32_t DateTime::*field;
    ValueRange range;
};
inline constexpr DateTimeField kDateTimeFields[] = {
    {&DateTime::year, kYearRange},     {&DateTime::month, kMonthRange},   {&DateTime::day, kDayRange},
    {&DateTime::hour, kHourRange},     {&DateTime::minute, kMinuteRange}, {&DateTime::second, kSecondRange},
};

/// Each value's list position on its own, -1 where a value is outside its list; the day is judged against 1 … 31, not against its month.
constexpr DateTime PositionsFromClock(const DateTime& clock) {
    DateTime positions;
    for (const DateTimeField& f : kDateTimeFields) positions.*f.field = f.range.PositionOf(clock.*f.field);
    return positions;
}

}  // namespace halvo
