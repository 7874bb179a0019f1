#pragma once

// The twelve lists every front end shows: what each holds, in which order,
// which entry it starts at, what a position sets on the device and the words
// for it. The dialog, the page and halvo-set all take them from here.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "halvo/calendar.h"
#include "halvo/device_settings.h"

namespace halvo {

/// A text in the front ends' two languages, UTF-8.
struct Words {
    const char* japanese;  ///< as the dialog shows it
    const char* english;   ///< as the page and halvo-set show it
};

/// The value of the time-lapse entry that switches time-lapse off.
inline constexpr std::int32_t kSwitchedOff = -1;

/// One entry of a list of words.
struct ListEntry {
    std::int32_t value;  ///< what it sets: the device value (the interval code for time-lapse; kSwitchedOff for "off")
    Words words;         ///< the entry's text
    const char* option;  ///< halvo-set's word for it
};

/// Marks a list whose every position is checked: an unknown one is a fault, not a fallback.
inline constexpr std::int32_t kChecked = -1;

/// One of the twelve lists.
struct SettingsList {
    SettingsListId id;                            ///< which list
    const char* key;                              ///< the selection field's name: the page's key
    Words label;                                  ///< the field's caption (the dialog adds a colon)
    std::int32_t SettingsSelection::*position;    ///< where a selection holds it
    std::int32_t DeviceSettings::*field;          ///< the device value it sets
    std::int32_t DeviceSettings::*onSwitch;       ///< null, or the switch an entry turns off (kSwitchedOff) or on
    ValueRange numbers;                           ///< a list of numbers: the values, first at position 0
    std::span<const ListEntry> entries;           ///< a list of words: the entries by position (no numbers then)
    std::int32_t initial;                         ///< the position selected when a front end opens
    std::int32_t fallback;                        ///< the position an unknown one stands for, without a fault; or kChecked
    SettingsFault fault;                          ///< what an unknown position is reported as, where checked
    Words unit;                                   ///< what the values count, where the front ends name it; else empty
    std::span<const std::int32_t> optionOrder;    ///< positions in the order halvo-set names its words

    /// How many entries the list has.
    constexpr std::int32_t Size() const {
        return entries.empty() ? numbers.last - numbers.first + 1 : static_cast<std::int32_t>(entries.size());
    }
    /// Whether a position names an entry.
    constexpr bool Holds(std::int32_t at) const { return at >= 0 && at < Size(); }
    /// What the entry at a position sets (the number itself in a list of numbers).
    constexpr std::int32_t ValueAt(std::int32_t at) const {
        return entries.empty() ? numbers.first + at : entries[static_cast<std::size_t>(at)].value;
    }
    /// What a checked list's value is for any position, the list's own or not: the position moved by the first number.
    constexpr std::int32_t Offset() const { return entries.empty() ? numbers.first : 0; }
};

/// The words of an off/on list.
inline constexpr ListEntry kOffOnEntries[] = {{0, {"オフ", "Off"}, "off"}, {1, {"オン", "On"}, "on"}};
/// halvo-set names "on" first.
inline constexpr std::int32_t kOnFirst[] = {1, 0};
inline constexpr ListEntry kImageFlipEntries[] = {{0, {"いいえ", "No"}, "off"}, {1, {"はい", "Yes"}, "on"}};
inline constexpr ListEntry kRecordLengthEntries[] = {
    {1, {"1", "1"}, "1"}, {2, {"2", "2"}, "2"}, {3, {"3", "3"}, "3"}, {5, {"5", "5"}, "5"}};
inline constexpr std::int32_t kInListOrder[] = {0, 1, 2, 3};
inline constexpr ListEntry kTimelapseEntries[] = {{0, {"2秒", "2 s"}, "2"},
                                                  {1, {"5秒", "5 s"}, "5"},
                                                  {2, {"10秒", "10 s"}, "10"},
                                                  {kSwitchedOff, {"オフ", "Off"}, "off"}};
/// halvo-set names "off" first, then the intervals.
inline constexpr std::int32_t kOffFirst[] = {3, 0, 1, 2};
inline constexpr ListEntry kUsbModeEntries[] = {{0, {"マスストレージ", "Mass storage"}, "storage"},
                                                {1, {"録画装置", "Video device"}, "video"}};

inline constexpr Words kNoUnit{"", ""};
inline constexpr ValueRange kNoNumbers{0, -1};

/// The twelve lists in selection order; the date and time lists hold the calendar's numbers.
inline constexpr std::array<SettingsList, 12> kSettingsLists{{
    {SettingsListId::Year, "year", {"年", "Year"}, &SettingsSelection::year, &DeviceSettings::year, nullptr,
     kYearRange, {}, 0, kChecked, SettingsFault::DateTime, kNoUnit, {}},
    {SettingsListId::Month, "month", {"月", "Month"}, &SettingsSelection::month, &DeviceSettings::month, nullptr,
     kMonthRange, {}, 0, kChecked, SettingsFault::DateTime, kNoUnit, {}},
    {SettingsListId::Day, "day", {"日", "Day"}, &SettingsSelection::day, &DeviceSettings::day, nullptr, kDayRange, {},
     0, kChecked, SettingsFault::DateTime, kNoUnit, {}},
    {SettingsListId::Hour, "hour", {"時", "Hour"}, &SettingsSelection::hour, &DeviceSettings::hour, nullptr,
     kHourRange, {}, 0, kChecked, SettingsFault::DateTime, kNoUnit, {}},
    {SettingsListId::Minute, "minute", {"分", "Minute"}, &SettingsSelection::minute, &DeviceSettings::minute,
     nullptr, kMinuteRange, {}, 0, kChecked, SettingsFault::DateTime, kNoUnit, {}},
    {SettingsListId::Second, "second", {"秒", "Second"}, &SettingsSelection::second, &DeviceSettings::second,
     nullptr, kSecondRange, {}, 0, kChecked, SettingsFault::DateTime, kNoUnit, {}},
    {SettingsListId::ImageFlip, "imageFlip", {"イメージフリップ", "Image flip"}, &SettingsSelection::imageFlip,
     &DeviceSettings::imageFlip, nullptr, kNoNumbers, kImageFlipEntries, 0, kChecked, SettingsFault::Option, kNoUnit,
     kOnFirst},
    // An unknown length is taken as 3 minutes.
    {SettingsListId::RecordLength, "recordLength", {"録画時間", "Recording length"}, &SettingsSelection::recordLength,
     &DeviceSettings::recordMinutes, nullptr, kNoNumbers, kRecordLengthEntries, 1, 2, SettingsFault::Option,
     {"分", "min"}, kInListOrder},
    // An unknown time-lapse position is taken as "off".
    {SettingsListId::Timelapse, "timelapse", {"タイムラプス", "Time-lapse"}, &SettingsSelection::timelapse,
     &DeviceSettings::timelapseInterval, &DeviceSettings::timelapseOn, kNoNumbers, kTimelapseEntries, 3, 3,
     SettingsFault::Option, {"秒", "s"}, kOffFirst},
    {SettingsListId::RecordAudio, "recordAudio", {"録画音声", "Sound"}, &SettingsSelection::recordAudio,
     &DeviceSettings::recordAudio, nullptr, kNoNumbers, kOffOnEntries, 1, kChecked, SettingsFault::Option, kNoUnit,
     kOnFirst},
    {SettingsListId::UsbMode, "usbMode", {"USB装置", "USB mode"}, &SettingsSelection::usbMode,
     &DeviceSettings::usbMode, nullptr, kNoNumbers, kUsbModeEntries, 0, kChecked, SettingsFault::Option, kNoUnit,
     std::span<const std::int32_t>(kInListOrder).first(2)},
    {SettingsListId::Timestamp, "timestamp", {"タイムスタンプ", "Time stamp"}, &SettingsSelection::timestamp,
     &DeviceSettings::timestamp, nullptr, kNoNumbers, kOffOnEntries, 1, kChecked, SettingsFault::Option, kNoUnit,
     kOnFirst},
}};

/// The number of date and time lists, which come first.
inline constexpr std::size_t kDateTimeLists = 6;

/// The list of an id.
constexpr const SettingsList& ListOf(SettingsListId id) { return kSettingsLists[static_cast<std::size_t>(id)]; }

/// The selections when a front end opens: 1 January of kFirstYear, 00:00:00, no flip, 2 min, no time-lapse,
/// sound on, mass storage, time stamp on.
inline constexpr SettingsSelection kInitialSelection = [] {
    SettingsSelection s;
    for (const SettingsList& list : kSettingsLists) s.*list.position = list.initial;
    return s;
}();

/// The recording lengths in minutes, by their position in the length list.
inline constexpr std::array<std::int32_t, std::size(kRecordLengthEntries)> kRecordMinutes = [] {
    std::array<std::int32_t, std::size(kRecordLengthEntries)> minutes{};
    for (std::size_t i = 0; i < minutes.size(); ++i) minutes[i] = kRecordLengthEntries[i].value;
    return minutes;
}();

/// The time-lapse intervals: the first positions of the time-lapse list, before "off".
inline constexpr std::int32_t kTimelapseIntervals = static_cast<std::int32_t>(
    std::count_if(std::begin(kTimelapseEntries), std::end(kTimelapseEntries),
                  [](const ListEntry& e) { return e.value != kSwitchedOff; }));

/// Sets the device value(s) of a list from one of its entries' values.
constexpr void SetListValue(const SettingsList& list, std::int32_t value, DeviceSettings& settings) {
    if (list.onSwitch != nullptr) {
        settings.*list.onSwitch = value == kSwitchedOff ? 0 : 1;
        settings.*list.field = value == kSwitchedOff ? 0 : value;
    } else {
        settings.*list.field = value;
    }
}

/// The value of a list that settings hold, as its entries name values.
constexpr std::int32_t ListValue(const SettingsList& list, const DeviceSettings& settings) {
    if (list.onSwitch != nullptr && settings.*list.onSwitch == 0) return kSwitchedOff;
    return settings.*list.field;
}

/// The position of the entry that stands for the list's value in settings, or -1 where none does.
constexpr std::int32_t PositionIn(const SettingsList& list, const DeviceSettings& settings) {
    const std::int32_t value = ListValue(list, settings);
    for (std::int32_t at = 0; at < list.Size(); ++at)
        if (list.ValueAt(at) == value) return at;
    return -1;
}

/// The inverse of ConvertSelection: the positions that give these settings, -1 for a list whose value none gives.
constexpr SettingsSelection SelectionOf(const DeviceSettings& settings) {
    SettingsSelection s;
    for (const SettingsList& list : kSettingsLists) s.*list.position = PositionIn(list, settings);
    return s;
}

/// The text every front end shows for a failure, as the dialog has always shown it.
inline constexpr char kErrorText[] = "ERROR!";

/// What to do with set.txt once it is written.
inline constexpr Words kWrittenAdvice{
    "本体をPCと接続し、作成されたset.txtファイルに入れます。PCから取り出して電源を入れると設定完了です。",
    "Connect the camera to the computer, put set.txt into the top folder of its storage, disconnect it and switch "
    "it on: it takes the settings at power-on."};

}  // namespace halvo
