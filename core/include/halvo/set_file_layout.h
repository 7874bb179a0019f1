#pragma once

// The thirteen lines of set.txt. The encoder and the reader walk
// kSetFileLines, so the layout and the limits are written down once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "halvo/calendar.h"
#include "halvo/device_settings.h"
#include "halvo/settings_lists.h"

namespace halvo {

// The labels of set.txt: Traditional Chinese in Big5, each ending in " = ".
// The device matches them byte for byte, whatever code page the PC uses.
inline constexpr std::uint8_t kLabelYear[] = {0xa6, 0x7e, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelMonth[] = {0xa4, 0xeb, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelDay[] = {0xa4, 0xe9, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelHour[] = {0xae, 0xc9, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelMinute[] = {0xa4, 0xc0, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelSecond[] = {0xac, 0xed, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelFlip[] = {0xc2, 0xbd, 0xc2, 0xe0, 0x28, 0x30, 0x3a, 0xc3, 0xf6,
                                     0x20, 0x31, 0x3a, 0xb6, 0x7d, 0x29, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelLength[] = {0xbf, 0xfd, 0xbc, 0x76, 0xae, 0xc9, 0xb6, 0xa1, 0x28, 0x31, 0x3a,
                                       0x31, 0xa4, 0xc0, 0xc4, 0xc1, 0x20, 0x32, 0x3a, 0x32, 0xa4, 0xc0,
                                       0xc4, 0xc1, 0x20, 0x33, 0x3a, 0x33, 0xa4, 0xc0, 0xc4, 0xc1, 0x20,
                                       0x35, 0x3a, 0x35, 0xa4, 0xc0, 0xc4, 0xc1, 0x29, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelTimelapseOn[] = {0xc1, 0x59, 0xae, 0xc9, 0xbf, 0xfd, 0xbc, 0x76, 0xb6,
                                            0x7d, 0xc3, 0xf6, 0x28, 0x30, 0x3a, 0xc3, 0xf6, 0x20,
                                            0x31, 0x3a, 0xb6, 0x7d, 0x29, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelTimelapseInterval[] = {0xc1, 0x59, 0xae, 0xc9, 0xbf, 0xfd, 0xbc, 0x76, 0xae,
                                                  0xe6, 0xa6, 0xa1, 0x28, 0x30, 0x3a, 0x32, 0xac, 0xed,
                                                  0x20, 0x31, 0x3a, 0x35, 0xac, 0xed, 0x20, 0x32, 0x3a,
                                                  0x31, 0x30, 0xac, 0xed, 0x29, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelAudio[] = {0xbf, 0xfd, 0xbc, 0x76, 0xc1, 0x6e, 0xad, 0xb5, 0x28, 0x30, 0x3a,
                                      0xc3, 0xf6, 0x20, 0x31, 0x3a, 0xb6, 0x7d, 0x29, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelUsb[] = {0x55, 0x53, 0x42, 0xbc, 0xd2, 0xa6, 0xa1, 0x28, 0x30, 0x3a, 0xc0,
                                    0x78, 0xa6, 0x73, 0xb8, 0xcb, 0xb8, 0x6d, 0x20, 0x31, 0x3a, 0xbc,
                                    0x76, 0xb9, 0xb3, 0xb8, 0xcb, 0xb8, 0x6d, 0x29, 0x20, 0x3d, 0x20};
inline constexpr std::uint8_t kLabelStamp[] = {0xae, 0xc9, 0xb6, 0xa1, 0xbc, 0xd0, 0xc5, 0xd2, 0x28, 0x30, 0x3a,
                                      0xc3, 0xf6, 0x20, 0x31, 0x3a, 0xb6, 0x7d, 0x29, 0x20, 0x3d, 0x20};

/// One line of set.txt: its label, then the value as zero-padded decimal digits.
struct SetFileLine {
    std::span<const std::uint8_t> label;         ///< Big5, ending in " = "
    std::size_t digits;                          ///< the value's width
    std::int32_t DeviceSettings::*field;         ///< the value written
    ValueRange limits;                           ///< the values the device takes (a few lines narrow them further)
    const char* name;                            ///< the line in the reader's messages
    const char* refusal;                         ///< why a value is refused, in words; null for "is not first to last"
};

/// The values of an off/on line.
inline constexpr ValueRange kOffOn{0, 1};
/// Why an off/on line refuses a value.
inline constexpr char kOffOnRefusal[] = "is neither 0 (off) nor 1 (on)";

/// The lines in file order.
inline constexpr std::array<SetFileLine, 13> kSetFileLines{{
    {kLabelYear, 4, &DeviceSettings::year, kYearRange, "year", nullptr},
    {kLabelMonth, 2, &DeviceSettings::month, kMonthRange, "month", nullptr},
    {kLabelDay, 2, &DeviceSettings::day, kDayRange, "day", nullptr},
    {kLabelHour, 2, &DeviceSettings::hour, kHourRange, "hour", nullptr},
    {kLabelMinute, 2, &DeviceSettings::minute, kMinuteRange, "minute", nullptr},
    {kLabelSecond, 2, &DeviceSettings::second, kSecondRange, "second", nullptr},
    {kLabelFlip, 1, &DeviceSettings::imageFlip, kOffOn, "flip", kOffOnRefusal},
    {kLabelLength, 1, &DeviceSettings::recordMinutes, {kRecordMinutes.front(), kRecordMinutes.back()},
     "recording length", "is not 1, 2, 3 or 5 (minutes)"},
    {kLabelTimelapseOn, 1, &DeviceSettings::timelapseOn, kOffOn, "time-lapse switch", kOffOnRefusal},
    {kLabelTimelapseInterval, 1, &DeviceSettings::timelapseInterval, {0, kTimelapseIntervals - 1},
     "time-lapse interval", "is not 0 (2 s), 1 (5 s) or 2 (10 s)"},
    {kLabelAudio, 1, &DeviceSettings::recordAudio, kOffOn, "audio", kOffOnRefusal},
    {kLabelUsb, 1, &DeviceSettings::usbMode, kOffOn, "USB mode", "is neither 0 (storage) nor 1 (video)"},
    {kLabelStamp, 1, &DeviceSettings::timestamp, kOffOn, "time stamp", kOffOnRefusal},
}};

/// Spaces after the last value; no line end follows them.
inline constexpr std::size_t kTrailingSpaces = 7;

/// Bytes of the record with bare line feeds between the lines.
constexpr std::size_t RecordSizeOf(std::span<const SetFileLine> lines) {
    std::size_t size = kTrailingSpaces + lines.size() - 1;
    for (const SetFileLine& line : lines) size += line.label.size() + line.digits;
    return size;
}

}  // namespace halvo
