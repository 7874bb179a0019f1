#pragma once

// The thirteen lines of set.txt. The encoder and the reader walk
// kSetFileLines, so the layout is written down once; what each value may be
// is its list's (settings_lists.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "halvo/calendar.h"
#include "halvo/settings_types.h"
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

// The year label as a text editor writes it when it saves the file as
// Shift_JIS (年 is 0x94 0x4e there): how the reader tells such a copy. A copy
// saved as UTF-8 needs no table, as the Big5 labels are never valid UTF-8.
inline constexpr std::uint8_t kLabelYearShiftJis[] = {0x94, 0x4e, 0x20, 0x3d, 0x20};

/// One line of set.txt: its label, then the value as zero-padded decimal digits.
struct SetFileLine {
    std::span<const std::uint8_t> label;  ///< Big5, ending in " = "
    std::size_t digits;                   ///< the value's width
    std::int32_t DeviceSettings::*field;  ///< the value written
    SettingsListId list;                  ///< the setting it belongs to, which says what the device takes
    const char* part = nullptr;           ///< which of the setting's values, for a setting on two lines
};

/// The lines in file order.
inline constexpr std::array<SetFileLine, 13> kSetFileLines{{
    {kLabelYear, 4, &DeviceSettings::year, SettingsListId::Year},
    {kLabelMonth, 2, &DeviceSettings::month, SettingsListId::Month},
    {kLabelDay, 2, &DeviceSettings::day, SettingsListId::Day},
    {kLabelHour, 2, &DeviceSettings::hour, SettingsListId::Hour},
    {kLabelMinute, 2, &DeviceSettings::minute, SettingsListId::Minute},
    {kLabelSecond, 2, &DeviceSettings::second, SettingsListId::Second},
    {kLabelFlip, 1, &DeviceSettings::imageFlip, SettingsListId::ImageFlip},
    {kLabelLength, 1, &DeviceSettings::recordMinutes, SettingsListId::RecordLength},
    {kLabelTimelapseOn, 1, &DeviceSettings::timelapseOn, SettingsListId::Timelapse, "switch"},
    {kLabelTimelapseInterval, 1, &DeviceSettings::timelapseInterval, SettingsListId::Timelapse, "interval"},
    {kLabelAudio, 1, &DeviceSettings::recordAudio, SettingsListId::RecordAudio},
    {kLabelUsb, 1, &DeviceSettings::usbMode, SettingsListId::UsbMode},
    {kLabelStamp, 1, &DeviceSettings::timestamp, SettingsListId::Timestamp},
}};

// Every value a list sets has its line, in the list's own order.
static_assert([] {
    std::size_t at = 0;
    for (const SettingsList& list : kSettingsLists) {
        if (list.onSwitch != nullptr) {
            if (kSetFileLines[at].list != list.id || kSetFileLines[at].field != list.onSwitch) return false;
            ++at;
        }
        if (kSetFileLines[at].list != list.id || kSetFileLines[at].field != list.field) return false;
        ++at;
    }
    return at == kSetFileLines.size();
}());

/// Spaces after the last value; no line end follows them.
inline constexpr std::size_t kTrailingSpaces = 7;

/// Bytes of the record with bare line feeds between the lines.
constexpr std::size_t RecordSizeOf(std::span<const SetFileLine> lines) {
    std::size_t size = kTrailingSpaces + lines.size() - 1;
    for (const SetFileLine& line : lines) size += line.label.size() + line.digits;
    return size;
}

}  // namespace halvo
