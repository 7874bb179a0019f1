// The page's C interface over the core. Every list, value, check and byte
// comes from the core: the lists are the positions ConvertSelection accepts,
// so this file holds no year, range or layout of its own.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "halvo/device_settings.h"
#include "halvo/set_file.h"
#include "halvo/set_file_reader.h"

namespace halvo {
namespace {

// One of the twelve lists: its position in the selection and the device value(s) it sets.
struct ListField {
    std::int32_t SettingsSelection::*position;
    std::int32_t DeviceSettings::*value;
    std::int32_t DeviceSettings::*second_value;  // time-lapse sets a switch and an interval
};

constexpr std::array<ListField, 12> kLists{{
    {&SettingsSelection::year, &DeviceSettings::year, nullptr},
    {&SettingsSelection::month, &DeviceSettings::month, nullptr},
    {&SettingsSelection::day, &DeviceSettings::day, nullptr},
    {&SettingsSelection::hour, &DeviceSettings::hour, nullptr},
    {&SettingsSelection::minute, &DeviceSettings::minute, nullptr},
    {&SettingsSelection::second, &DeviceSettings::second, nullptr},
    {&SettingsSelection::imageFlip, &DeviceSettings::imageFlip, nullptr},
    {&SettingsSelection::recordLength, &DeviceSettings::recordMinutes, nullptr},
    {&SettingsSelection::timelapse, &DeviceSettings::timelapseOn, &DeviceSettings::timelapseInterval},
    {&SettingsSelection::recordAudio, &DeviceSettings::recordAudio, nullptr},
    {&SettingsSelection::usbMode, &DeviceSettings::usbMode, nullptr},
    {&SettingsSelection::timestamp, &DeviceSettings::timestamp, nullptr},
}};
constexpr std::size_t kDateTimeLists = 6;

// What one entry of a list gives, with every other list at its initial position.
struct Entry {
    DeviceSettings settings;
    bool accepted = false;
};

Entry EntryAt(const ListField& list, std::int32_t position) {
    SettingsSelection selection = kInitialSelection;
    selection.*list.position = position;
    const Conversion conversion = ConvertSelection(selection);
    return {conversion.settings, conversion.faults.empty()};
}

bool SameValue(const ListField& list, const DeviceSettings& a, const DeviceSettings& b) {
    if (a.*list.value != b.*list.value) return false;
    return list.second_value == nullptr || a.*list.second_value == b.*list.second_value;
}

// A list's entries are the leading positions that the core accepts and that
// give a value no earlier position gave (past the end, the length and the
// time-lapse lists fall back to an earlier entry's value).
std::int32_t ListSize(const ListField& list) {
    std::int32_t size = 0;
    for (;; ++size) {
        const Entry entry = EntryAt(list, size);
        if (!entry.accepted) return size;
        for (std::int32_t earlier = 0; earlier < size; ++earlier) {
            if (SameValue(list, EntryAt(list, earlier).settings, entry.settings)) return size;
        }
    }
}

// The position whose entry gives the list's value in `settings`, or -1 where no entry does.
std::int32_t PositionOf(const ListField& list, const DeviceSettings& settings) {
    const std::int32_t size = ListSize(list);
    for (std::int32_t position = 0; position < size; ++position) {
        if (SameValue(list, EntryAt(list, position).settings, settings)) return position;
    }
    return -1;
}

// A clock reading (year, month, day, hour, minute, second) as positions of the six date and time lists.
std::array<std::int32_t, kDateTimeLists> ClockPositions(std::span<const std::int32_t, kDateTimeLists> clock) {
    DeviceSettings settings;
    for (std::size_t i = 0; i < kDateTimeLists; ++i) settings.*kLists[i].value = clock[i];
    std::array<std::int32_t, kDateTimeLists> positions{};
    for (std::size_t i = 0; i < kDateTimeLists; ++i) positions[i] = PositionOf(kLists[i], settings);
    return positions;
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
    return ValidList(list) ? ListSize(kLists[static_cast<std::size_t>(list)]) : 0;
}

/// The device value an entry stands for (the number a date or time list shows, the minutes of a length).
EMSCRIPTEN_KEEPALIVE int halvo_list_value(int list, int position) {
    if (!ValidList(list)) return 0;
    const ListField& field = kLists[static_cast<std::size_t>(list)];
    return EntryAt(field, position).settings.*field.value;
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
    const std::array<std::int32_t, kDateTimeLists> out =
        ClockPositions(std::span<const std::int32_t, kDateTimeLists>(clock, kDateTimeLists));
    std::copy(out.begin(), out.end(), positions);
}

/// Reads a file with the strict reader. A sound file gives -1 and the twelve positions in `positions`;
/// otherwise the problem's kind, with offset and line in `where` and its words (cut to `capacity`) in `message`.
EMSCRIPTEN_KEEPALIVE int halvo_read(const std::uint8_t* bytes, std::size_t size, std::int32_t* positions,
                                    std::uint32_t* where, char* message, std::size_t capacity) {
    const SetFileReading reading = ParseSetFile(std::span<const std::uint8_t>(bytes, size));
    if (reading.settings) {
        for (std::size_t i = 0; i < kLists.size(); ++i) positions[i] = PositionOf(kLists[i], *reading.settings);
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
