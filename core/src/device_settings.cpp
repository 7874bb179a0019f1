#include "halvo/device_settings.h"

#include <cstdint>
#include <limits>

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

bool InRange(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

}  // namespace

Conversion ConvertSelection(const SettingsSelection& selection) {
    Conversion out;
    DeviceSettings& s = out.settings;
    auto check = [&out](bool ok, SettingsFault fault) {
        if (!ok) out.faults.push_back(fault);
    };

    s.year = Offset(selection.year, 2021);
    check(InRange(s.year, 2021, 2050), SettingsFault::DateTime);
    s.month = Offset(selection.month, 1);
    check(InRange(s.month, 1, 12), SettingsFault::DateTime);
    s.day = Offset(selection.day, 1);
    check(InRange(s.day, 1, 31), SettingsFault::DateTime);
    s.hour = selection.hour;
    check(InRange(s.hour, 0, 23), SettingsFault::DateTime);
    s.minute = selection.minute;
    check(InRange(s.minute, 0, 59), SettingsFault::DateTime);
    s.second = selection.second;
    check(InRange(s.second, 0, 59), SettingsFault::DateTime);
    s.imageFlip = selection.imageFlip;
    check(InRange(s.imageFlip, 0, 1), SettingsFault::Option);

    // An unknown length falls back to 3 minutes and an unknown time-lapse
    // position to "off"; neither is reported.
    switch (selection.recordLength) {
        case 0: s.recordMinutes = 1; break;
        case 1: s.recordMinutes = 2; break;
        case 3: s.recordMinutes = 5; break;
        default: s.recordMinutes = 3; break;
    }
    if (InRange(selection.timelapse, 0, 2)) {
        s.timelapseOn = 1;
        s.timelapseInterval = selection.timelapse;
    } else {
        s.timelapseOn = 0;
        s.timelapseInterval = 0;
    }

    s.recordAudio = selection.recordAudio;
    check(InRange(s.recordAudio, 0, 1), SettingsFault::Option);
    s.usbMode = selection.usbMode;
    check(InRange(s.usbMode, 0, 1), SettingsFault::Option);
    s.timestamp = selection.timestamp;
    check(InRange(s.timestamp, 0, 1), SettingsFault::Option);

    // Days the month does not have. There is deliberately no leap-year rule:
    // the device accepts 29 February in every year.
    if (s.month == 2) {
        check(s.day <= 29, SettingsFault::DateTime);
    } else if (s.month == 4 || s.month == 6 || s.month == 9 || s.month == 11) {
        check(s.day != 31, SettingsFault::DateTime);
    }
    return out;
}

}  // namespace halvo
