#include "halvo/device_settings.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>

#include "halvo/calendar.h"
#include "halvo/set_file_layout.h"

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

// Every range check and the days-of-the-month check fail at most once each:
// the fault list has room for all of them.
static_assert(std::count_if(kSetFileLines.begin(), kSetFileLines.end(),
                            [](const SetFileLine& line) { return line.position != nullptr; }) +
                  1 ==
              kSettingsChecks);

}  // namespace

Conversion ConvertSelection(const SettingsSelection& selection) {
    Conversion out;
    DeviceSettings& s = out.settings;
    auto check = [&out](bool ok, SettingsFault fault) {
        if (!ok) out.faults.push_back(fault);
    };

    for (const SetFileLine& line : kSetFileLines) {
        if (line.position == nullptr) continue;
        s.*line.field = Offset(selection.*line.position, line.limits.first);
        check(line.limits.Holds(s.*line.field), line.fault);
    }

    // An unknown length falls back to 3 minutes and an unknown time-lapse
    // position to "off"; neither is reported.
    constexpr std::size_t kThreeMinutes = 2;
    const bool knownLength = selection.recordLength >= 0 && selection.recordLength < std::ssize(kRecordMinutes);
    s.recordMinutes = kRecordMinutes[knownLength ? static_cast<std::size_t>(selection.recordLength) : kThreeMinutes];
    const bool timelapseOn = selection.timelapse >= 0 && selection.timelapse < kTimelapseIntervals;
    s.timelapseOn = timelapseOn ? 1 : 0;
    s.timelapseInterval = timelapseOn ? selection.timelapse : 0;

    // Days the month does not have, checked after every option and judged as
    // the device always has: February refuses any day past its 29th (there is
    // deliberately no leap-year rule), a 30-day month only its 31st; a day
    // beyond the list is left to the range check.
    const std::int32_t days = DaysInMonth(s.month);
    if (s.month == 2) {
        check(s.day <= days, SettingsFault::DateTime);
    } else if (days > 0 && days < kDayRange.last) {
        check(s.day != kDayRange.last, SettingsFault::DateTime);
    }
    return out;
}

}  // namespace halvo
