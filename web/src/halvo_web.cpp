// The page's C interface over the core. Every list, value, check and byte
// comes from the core, so this file holds no year, range or layout of its own.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>

#include "halvo/calendar.h"
#include "halvo/device_settings.h"
#include "halvo/set_file.h"
#include "halvo/set_file_layout.h"
#include "halvo/set_file_reader.h"

namespace halvo {
namespace {

// One of the twelve lists: its position in the selection, its length and the device value(s) it sets.
struct ListField {
    std::int32_t SettingsSelection::*position;
    std::int32_t size;
    std::int32_t DeviceSettings::*value;
    std::int32_t DeviceSettings::*second_value;  // time-lapse sets a switch and an interval
};

constexpr std::int32_t SizeOf(ValueRange range) { return range.last - range.first + 1; }

constexpr std::array<ListField, 12> kLists{{
    {&SettingsSelection::year, SizeOf(kYearRange), &DeviceSettings::year, nullptr},
    {&SettingsSelection::month, SizeOf(kMonthRange), &DeviceSettings::month, nullptr},
    {&SettingsSelection::day, SizeOf(kDayRange), &DeviceSettings::day, nullptr},
    {&SettingsSelection::hour, SizeOf(kHourRange), &DeviceSettings::hour, nullptr},
    {&SettingsSelection::minute, SizeOf(kMinuteRange), &DeviceSettings::minute, nullptr},
    {&SettingsSelection::second, SizeOf(kSecondRange), &DeviceSettings::second, nullptr},
    {&SettingsSelection::imageFlip, SizeOf(kOffOn), &DeviceSettings::imageFlip, nullptr},
    {&SettingsSelection::recordLength, static_cast<std::int32_t>(std::size(kRecordMinutes)),
     &DeviceSettings::recordMinutes, nullptr},
    {&SettingsSelection::timelapse, kTimelapseIntervals + 1, &DeviceSettings::timelapseOn,
     &DeviceSettings::timelapseInterval},  // the intervals, then "off"
    {&SettingsSelection::recordAudio, SizeOf(kOffOn), &DeviceSettings::recordAudio, nullptr},
    {&SettingsSelection::usbMode, SizeOf(kOffOn), &DeviceSettings::usbMode, nullptr},
    {&SettingsSelection::timestamp, SizeOf(kOffOn), &DeviceSettings::timestamp, nullptr},
}};
constexpr std::size_t kDateTimeLists = 6;

// The device values of one entry, with every other list at its initial position.
DeviceSettings EntryAt(const ListField& list, std::int32_t position) {
    SettingsSelection selection = kInitialSelection;
    selection.*list.position = position;
    return ConvertSelection(selection).settings;
}

// The entry whose conversion gives the list's value in `settings`, or -1 where none does.
std::int32_t PositionOf(const ListField& list, const DeviceSettings& settings) {
    for (std::int32_t position = 0; position < list.size; ++position) {
        const DeviceSettings entry = EntryAt(list, position);
        if (entry.*list.value == settings.*list.value &&
            (list.second_value == nullptr || entry.*list.second_value == settings.*list.second_value))
            return position;
    }
    return -1;
}

// A clock reading (year, month, day, hour, minute, second) as positions of the six date and time lists.
std::array<std::int32_t, kDateTimeLists> ClockPositions(const LocalClock& clock) {
    const DatePositions p = PositionsFromClock(clock);
    return {p.year, p.month, p.day, p.hour, p.minute, p.second};
}

SettingsSelection ToSelection(const std::int32_t* positions) {
    SettingsSelection selection;
    for (std::size_t i = 0; i < kLists.size(); ++i) selection.*kLists[i].position = positions[i];
    return selection;
}

bool ValidList(int list) { return list >= 0 && static_cast<std::size_t>(list) < kLists.size(); }

}  // namespace
}  // namespace halvo

using namespace halvo;

extern "C" {

/// Number of lists, in the selection's order: year, month, day, hour, minute, second, then the six options.
EMSCRIPTEN_KEEPALIVE int halvo_list_count() { return static_cast<int>(kLists.size()); }

/// Number of entries in a list, or 0 for an unknown list.
EMSCRIPTEN_KEEPALIVE int halvo_list_size(int list) {
    return ValidList(list) ? kLists[static_cast<std::size_t>(list)].size : 0;
}

/// The device value an entry stands for (the number a date or time list shows, the minutes of a length).
EMSCRIPTEN_KEEPALIVE int halvo_list_value(int list, int position) {
    if (!ValidList(list)) return 0;
    const ListField& field = kLists[static_cast<std::size_t>(list)];
    return EntryAt(field, position).*field.value;
}

/// The initial position of a list, as the dialog opens.
EMSCRIPTEN_KEEPALIVE int halvo_initial_position(int list) {
    return ValidList(list) ? kInitialSelection.*kLists[static_cast<std::size_t>(list)].position : -1;
}

/// Whether the core takes this day of this month (both as list positions).
EMSCRIPTEN_KEEPALIVE int halvo_day_exists(int month, int day) {
    SettingsSelection selection = kInitialSelection;
    selection.month = month;
    selection.day = day;
    return ConvertSelection(selection).faults.empty() ? 1 : 0;
}

/// Checks twelve positions; with no fault writes set.txt's bytes to `bytes` (kSetFileSize of them).
/// Returns the number of faults and writes up to `capacity` of them, in order, to `faults`.
EMSCRIPTEN_KEEPALIVE int halvo_convert(const std::int32_t* positions, std::uint8_t* bytes, std::uint8_t* faults,
                                       int capacity) {
    const Conversion conversion = ConvertSelection(ToSelection(positions));
    int count = 0;
    for (const SettingsFault fault : conversion.faults) {
        if (count < capacity) faults[count] = static_cast<std::uint8_t>(fault);
        ++count;
    }
    if (count == 0) {
        const SetFileBytes file = ToDiskBytes(EncodeSetRecord(conversion.settings));
        std::memcpy(bytes, file.data(), file.size());
    }
    return count;
}

/// The size of set.txt, for the caller's buffer.
EMSCRIPTEN_KEEPALIVE int halvo_file_size() { return static_cast<int>(kSetFileSize); }

/// A fault kind's name, as the page keys its messages.
EMSCRIPTEN_KEEPALIVE const char* halvo_fault_name(int fault) {
    switch (static_cast<SettingsFault>(fault)) {
        case SettingsFault::DateTime: return "DateTime";
        case SettingsFault::Option: return "Option";
        case SettingsFault::FileOpen: return "FileOpen";
        case SettingsFault::FileWrite: return "FileWrite";
    }
    return "";
}

/// Positions of the six date and time lists for a clock reading; -1 for a value outside its list.
EMSCRIPTEN_KEEPALIVE void halvo_clock_positions(const std::int32_t* clock, std::int32_t* positions) {
    const auto out = ClockPositions({clock[0], clock[1], clock[2], clock[3], clock[4], clock[5]});
    std::copy(out.begin(), out.end(), positions);
}

/// Reads a file with the strict reader. A sound file gives -1 and the twelve positions in `positions`;
/// otherwise the problem's kind, with offset and line in `where` and its words (cut to `capacity`) in `message`.
EMSCRIPTEN_KEEPALIVE int halvo_read(const std::uint8_t* bytes, std::size_t size, std::int32_t* positions,
                                    std::uint32_t* where, char* message, std::size_t capacity) {
    const SetFileReading reading = ParseSetFile(std::span<const std::uint8_t>(bytes, size));
    if (reading.settings) {
        const DeviceSettings& s = *reading.settings;
        const auto date = ClockPositions({s.year, s.month, s.day, s.hour, s.minute, s.second});
        std::copy(date.begin(), date.end(), positions);
        for (std::size_t i = kDateTimeLists; i < kLists.size(); ++i) positions[i] = PositionOf(kLists[i], s);
        return -1;
    }
    const SetFileProblem& problem = *reading.problem;
    where[0] = static_cast<std::uint32_t>(problem.offset);
    where[1] = static_cast<std::uint32_t>(problem.line);
    if (capacity > 0) {
        const std::size_t length = std::min(problem.message.size(), capacity - 1);
        std::memcpy(message, problem.message.data(), length);
        message[length] = '\0';
    }
    return static_cast<int>(problem.kind);
}

/// A reader problem kind's name, as the page keys its messages.
EMSCRIPTEN_KEEPALIVE const char* halvo_problem_name(int kind) {
    switch (static_cast<SetFileProblemKind>(kind)) {
        case SetFileProblemKind::ByteOrderMark: return "ByteOrderMark";
        case SetFileProblemKind::Label: return "Label";
        case SetFileProblemKind::Digit: return "Digit";
        case SetFileProblemKind::LineEnd: return "LineEnd";
        case SetFileProblemKind::Padding: return "Padding";
        case SetFileProblemKind::Length: return "Length";
        case SetFileProblemKind::Value: return "Value";
    }
    return "";
}

}  // extern "C"
