#pragma once

// The twelve lists every front end shows and the settings they make: what
// each list holds, in which order, which entry it starts at, what an entry
// sets on the device, and the words for it. The dialog, the page, halvo-set,
// the reader and the check of device values all take them from here.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "halvo/calendar.h"
#include "halvo/settings_types.h"
#include "halvo/texts.h"

namespace halvo {

/// One entry of a list of words.
struct ListEntry {
    std::int32_t value = 0;    ///< the device value it sets (for time-lapse the interval code)
    Words words;               ///< the entry's text
    const char* option;        ///< halvo-set's word for it
    bool switchesOff = false;  ///< in a list with a switch: the entry that turns it off, its value then 0
};

/// One of the twelve lists, and the setting it makes.
struct SettingsList {
    SettingsListId id;                                    ///< which list
    const char* key;                                      ///< the selection field's name: the page's key
    Words label;                                          ///< the field's caption (the dialog adds a colon)
    const char* name;                                     ///< the setting as halvo-set and the reader name it
    const char* option = nullptr;                         ///< halvo-set's option, without dashes; null for the date
                                                          ///< and time lists, which --date and --time set
    std::int32_t SettingsSelection::*position;            ///< where a selection holds it
    std::int32_t DeviceSettings::*field;                  ///< the device value it sets
    std::int32_t DeviceSettings::*onSwitch = nullptr;     ///< null, or the switch its entries turn on or off
    std::optional<ValueRange> numbers = std::nullopt;     ///< a list of numbers: its values, first at position 0
    std::span<const ListEntry> entries = {};              ///< a list of words: its entries by position
    std::int32_t initial = 0;                             ///< the position selected when a front end opens
    std::optional<std::int32_t> fallback = std::nullopt;  ///< the position an unknown one stands for, without a
                                                          ///< fault; none where an unknown one is a fault
    CheckKind kind = CheckKind::Option;                   ///< what a value the list does not give is reported as
    Words unit = {"", ""};                                ///< what the values count, where the front ends name it
    std::span<const std::int32_t> optionOrder = {};       ///< positions in the order halvo-set names its words

    /// How many entries the list has.
    constexpr std::int32_t Size() const {
        return numbers ? numbers->last - numbers->first + 1 : static_cast<std::int32_t>(entries.size());
    }
    /// Whether a position names an entry.
    constexpr bool Holds(std::int32_t at) const { return at >= 0 && at < Size(); }
    /// The entry at a position of a list of words.
    constexpr const ListEntry& Entry(std::int32_t at) const { return entries[static_cast<std::size_t>(at)]; }
};

/// The words of an off/on list; a switch is off/on too.
inline constexpr ListEntry kOffOnEntries[] = {{.value = 0, .words = {"オフ", "Off"}, .option = "off"},
                                              {.value = 1, .words = {"オン", "On"}, .option = "on"}};
/// halvo-set names "on" first.
inline constexpr std::int32_t kOnFirst[] = {1, 0};
inline constexpr ListEntry kImageFlipEntries[] = {{.value = 0, .words = {"いいえ", "No"}, .option = "off"},
                                                  {.value = 1, .words = {"はい", "Yes"}, .option = "on"}};
inline constexpr ListEntry kRecordLengthEntries[] = {{.value = 1, .words = {"1", "1"}, .option = "1"},
                                                     {.value = 2, .words = {"2", "2"}, .option = "2"},
                                                     {.value = 3, .words = {"3", "3"}, .option = "3"},
                                                     {.value = 5, .words = {"5", "5"}, .option = "5"}};
inline constexpr ListEntry kTimelapseEntries[] = {{.value = 0, .words = {"2秒", "2 s"}, .option = "2"},
                                                  {.value = 1, .words = {"5秒", "5 s"}, .option = "5"},
                                                  {.value = 2, .words = {"10秒", "10 s"}, .option = "10"},
                                                  {.words = {"オフ", "Off"}, .option = "off", .switchesOff = true}};
/// halvo-set names "off" first, then the intervals.
inline constexpr std::int32_t kOffFirst[] = {3, 0, 1, 2};
inline constexpr ListEntry kUsbModeEntries[] = {{.value = 0, .words = {"マスストレージ", "Mass storage"}, .option = "storage"},
                                                {.value = 1, .words = {"録画装置", "Video device"}, .option = "video"}};
inline constexpr std::int32_t kInListOrder[] = {0, 1, 2, 3};

/// The twelve lists in selection order; the date and time lists hold the calendar's numbers.
inline constexpr std::array<SettingsList, kSettingsListCount> kSettingsLists{{
    {.id = SettingsListId::Year, .key = "year", .label = {"年", "Year"}, .name = "year",
     .position = &SettingsSelection::year, .field = &DeviceSettings::year, .numbers = kYearRange,
     .kind = CheckKind::DateTime},
    {.id = SettingsListId::Month, .key = "month", .label = {"月", "Month"}, .name = "month",
     .position = &SettingsSelection::month, .field = &DeviceSettings::month, .numbers = kMonthRange,
     .kind = CheckKind::DateTime},
    {.id = SettingsListId::Day, .key = "day", .label = {"日", "Day"}, .name = "day",
     .position = &SettingsSelection::day, .field = &DeviceSettings::day, .numbers = kDayRange,
     .kind = CheckKind::DateTime},
    {.id = SettingsListId::Hour, .key = "hour", .label = {"時", "Hour"}, .name = "hour",
     .position = &SettingsSelection::hour, .field = &DeviceSettings::hour, .numbers = kHourRange,
     .kind = CheckKind::DateTime},
    {.id = SettingsListId::Minute, .key = "minute", .label = {"分", "Minute"}, .name = "minute",
     .position = &SettingsSelection::minute, .field = &DeviceSettings::minute, .numbers = kMinuteRange,
     .kind = CheckKind::DateTime},
    {.id = SettingsListId::Second, .key = "second", .label = {"秒", "Second"}, .name = "second",
     .position = &SettingsSelection::second, .field = &DeviceSettings::second, .numbers = kSecondRange,
     .kind = CheckKind::DateTime},
    {.id = SettingsListId::ImageFlip, .key = "imageFlip", .label = {"イメージフリップ", "Image flip"},
     .name = "flip", .option = "flip", .position = &SettingsSelection::imageFlip,
     .field = &DeviceSettings::imageFlip, .entries = kImageFlipEntries, .optionOrder = kOnFirst},
    // An unknown length is taken as 3 minutes.
    {.id = SettingsListId::RecordLength, .key = "recordLength", .label = {"録画時間", "Recording length"},
     .name = "length", .option = "length", .position = &SettingsSelection::recordLength,
     .field = &DeviceSettings::recordMinutes, .entries = kRecordLengthEntries, .initial = 1, .fallback = 2,
     .unit = {"分", "min"}, .optionOrder = kInListOrder},
    // An unknown time-lapse position is taken as "off".
    {.id = SettingsListId::Timelapse, .key = "timelapse", .label = {"タイムラプス", "Time-lapse"},
     .name = "time-lapse", .option = "timelapse", .position = &SettingsSelection::timelapse,
     .field = &DeviceSettings::timelapseInterval, .onSwitch = &DeviceSettings::timelapseOn,
     .entries = kTimelapseEntries, .initial = 3, .fallback = 3, .unit = {"秒", "s"}, .optionOrder = kOffFirst},
    {.id = SettingsListId::RecordAudio, .key = "recordAudio", .label = {"録画音声", "Sound"}, .name = "audio",
     .option = "audio", .position = &SettingsSelection::recordAudio, .field = &DeviceSettings::recordAudio,
     .entries = kOffOnEntries, .initial = 1, .optionOrder = kOnFirst},
    {.id = SettingsListId::UsbMode, .key = "usbMode", .label = {"USB装置", "USB mode"}, .name = "USB",
     .option = "usb", .position = &SettingsSelection::usbMode, .field = &DeviceSettings::usbMode,
     .entries = kUsbModeEntries, .optionOrder = std::span<const std::int32_t>(kInListOrder).first(2)},
    {.id = SettingsListId::Timestamp, .key = "timestamp", .label = {"タイムスタンプ", "Time stamp"},
     .name = "time stamp", .option = "timestamp", .position = &SettingsSelection::timestamp,
     .field = &DeviceSettings::timestamp, .entries = kOffOnEntries, .initial = 1, .optionOrder = kOnFirst},
}};

/// The number of date and time lists, which come first.
inline constexpr std::size_t kDateTimeLists = 6;

/// The list of an id.
constexpr const SettingsList& ListOf(SettingsListId id) { return kSettingsLists[static_cast<std::size_t>(id)]; }

// Each list stands at its id's place, every list has either numbers or words,
// and an entry that switches off belongs to a list with a switch.
static_assert([] {
    for (std::size_t i = 0; i < kSettingsLists.size(); ++i) {
        const SettingsList& list = kSettingsLists[i];
        if (static_cast<std::size_t>(list.id) != i || list.numbers.has_value() == !list.entries.empty()) return false;
        for (const ListEntry& entry : list.entries)
            if (entry.switchesOff && list.onSwitch == nullptr) return false;
    }
    return true;
}());

/// Whether a list's optionOrder names each of its entries exactly once (and a list of numbers has none): an entry
/// left out would still be taken, but drop out of halvo-set's help, completion, man page and refusals.
constexpr bool OptionOrderIsPermutation(const SettingsList& list) {
    if (list.optionOrder.size() != list.entries.size()) return false;
    for (std::size_t at = 0; at < list.entries.size(); ++at) {
        if (std::count(list.optionOrder.begin(), list.optionOrder.end(), static_cast<std::int32_t>(at)) != 1) {
            return false;
        }
    }
    return true;
}
static_assert(std::all_of(kSettingsLists.begin(), kSettingsLists.end(), OptionOrderIsPermutation));

/// What the checks and the conversion need of a list: its values without its words. Derived from kSettingsLists
/// at compile time, so that a program that only converts and checks (the dialog) links none of the words.
struct ListRule {
    /// One entry's values.
    struct Entry {
        std::int32_t value = 0;
        bool switchesOff = false;
    };
    /// Room for the longest list of words.
    static constexpr std::size_t kRoom = [] {
        std::size_t most = 0;
        for (const SettingsList& list : kSettingsLists) most = std::max(most, list.entries.size());
        return most;
    }();

    SettingsListId id = SettingsListId::Year;
    CheckKind kind = CheckKind::Option;
    std::int32_t SettingsSelection::*position = nullptr;
    std::int32_t DeviceSettings::*field = nullptr;
    std::int32_t DeviceSettings::*onSwitch = nullptr;
    std::optional<ValueRange> numbers = std::nullopt;
    std::array<Entry, kRoom> entries{};
    std::int32_t count = 0;  ///< the entries of a list of words
    std::int32_t initial = 0;
    std::optional<std::int32_t> fallback = std::nullopt;

    constexpr std::int32_t Size() const { return numbers ? numbers->last - numbers->first + 1 : count; }
    constexpr bool Holds(std::int32_t at) const { return at >= 0 && at < Size(); }
    constexpr const Entry& EntryAt(std::int32_t at) const { return entries[static_cast<std::size_t>(at)]; }
};

/// Each list's rule, by SettingsListId.
inline constexpr std::array<ListRule, kSettingsLists.size()> kListRules = [] {
    std::array<ListRule, kSettingsLists.size()> rules{};
    for (std::size_t i = 0; i < kSettingsLists.size(); ++i) {
        const SettingsList& list = kSettingsLists[i];
        ListRule& rule = rules[i];
        rule.id = list.id;
        rule.kind = list.kind;
        rule.position = list.position;
        rule.field = list.field;
        rule.onSwitch = list.onSwitch;
        rule.numbers = list.numbers;
        rule.count = static_cast<std::int32_t>(list.entries.size());
        for (std::size_t at = 0; at < list.entries.size(); ++at)
            rule.entries[at] = {list.entries[at].value, list.entries[at].switchesOff};
        rule.initial = list.initial;
        rule.fallback = list.fallback;
    }
    return rules;
}();

/// A list's rule by its id.
constexpr const ListRule& RuleOf(SettingsListId id) { return kListRules[static_cast<std::size_t>(id)]; }

namespace detail {
constexpr const ListEntry& EntryOf(const SettingsList& list, std::int32_t at) { return list.Entry(at); }
constexpr const ListRule::Entry& EntryOf(const ListRule& rule, std::int32_t at) { return rule.EntryAt(at); }
}  // namespace detail

// The functions below take a SettingsList or its ListRule alike: one rule, whichever table a caller holds.

/// Sets the device value(s) the entry at a position gives.
template <class List>
constexpr void SetPosition(const List& list, std::int32_t at, DeviceSettings& settings) {
    if (list.numbers) {
        settings.*list.field = list.numbers->first + at;
        return;
    }
    const auto& entry = detail::EntryOf(list, at);
    if (list.onSwitch != nullptr) settings.*list.onSwitch = entry.switchesOff ? 0 : 1;
    settings.*list.field = entry.switchesOff ? 0 : entry.value;
}

/// What the entry at a position gives one device value: the list's field or its switch.
template <class List>
constexpr std::int32_t ValueAt(const List& list, std::int32_t at, std::int32_t DeviceSettings::*field) {
    DeviceSettings probe;
    SetPosition(list, at, probe);
    return probe.*field;
}

/// Whether the entry at a position gives exactly the values settings hold for the list.
template <class List>
constexpr bool GivesValues(const List& list, std::int32_t at, const DeviceSettings& settings) {
    DeviceSettings probe = settings;
    SetPosition(list, at, probe);
    return probe == settings;
}

/// Whether the values settings hold for a list are ones it gives: a number in its range, or an entry's values.
template <class List>
constexpr bool ListTakes(const List& list, const DeviceSettings& settings) {
    if (list.numbers) return list.numbers->Holds(settings.*list.field);
    for (std::int32_t at = 0; at < list.Size(); ++at)
        if (GivesValues(list, at, settings)) return true;
    return false;
}

/// The position that stands for the list's values in settings; a switch that is off stands for the entry that
/// switches off, whatever the value beside it. None where no entry does.
template <class List>
constexpr std::optional<std::int32_t> PositionIn(const List& list, const DeviceSettings& settings) {
    if (list.numbers) {
        const std::int32_t at = list.numbers->PositionOf(settings.*list.field);
        return at < 0 ? std::nullopt : std::optional<std::int32_t>(at);
    }
    for (std::int32_t at = 0; at < list.Size(); ++at)
        if (GivesValues(list, at, settings)) return at;
    if (list.onSwitch != nullptr && settings.*list.onSwitch == 0) {
        for (std::int32_t at = 0; at < list.Size(); ++at)
            if (detail::EntryOf(list, at).switchesOff) return at;
    }
    return std::nullopt;
}

/// The inverse of ConvertSelection: the positions that give these settings, kNoSelection for a list whose values
/// no entry gives.
constexpr SettingsSelection SelectionOf(const DeviceSettings& settings) {
    SettingsSelection s;
    for (const SettingsList& list : kSettingsLists) s.*list.position = PositionIn(list, settings).value_or(kNoSelection);
    return s;
}

/// The selections when a front end opens: 1 January of kFirstYear, 00:00:00, no flip, 2 min, no time-lapse,
/// sound on, mass storage, time stamp on.
inline constexpr SettingsSelection kInitialSelection = [] {
    SettingsSelection s;
    for (const SettingsList& list : kSettingsLists) s.*list.position = list.initial;
    return s;
}();

/// The device values of the initial selections, where halvo-set starts from.
inline constexpr DeviceSettings kInitialValues = [] {
    DeviceSettings s;
    for (const SettingsList& list : kSettingsLists) SetPosition(list, list.initial, s);
    return s;
}();

}  // namespace halvo
