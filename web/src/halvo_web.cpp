// The page's C interface over the core. Every list, value, check and byte
// comes from the core, so this file holds no year, range or layout of its own.

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#else
// Built natively for the fuzz targets, which call the same functions.
#define EMSCRIPTEN_KEEPALIVE
#endif

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "halvo/calendar.h"
#include "halvo/device_settings.h"
#include "halvo/set_file.h"
#include "halvo/set_file_layout.h"
#include "halvo/set_file_reader.h"
#include "halvo/settings_lists.h"

namespace halvo {
namespace {

bool ValidList(int list) { return list >= 0 && static_cast<std::size_t>(list) < kSettingsLists.size(); }
const SettingsList& At(int list) { return kSettingsLists[static_cast<std::size_t>(list)]; }

// The page's languages, as it numbers them.
const char* InLanguage(const Words& words, int language) { return language == 0 ? words.japanese : words.english; }

SettingsSelection ToSelection(const std::int32_t* positions) {
    SettingsSelection selection;
    for (std::size_t i = 0; i < kSettingsLists.size(); ++i) selection.*kSettingsLists[i].position = positions[i];
    return selection;
}

void FromSelection(const SettingsSelection& selection, std::int32_t* positions) {
    for (std::size_t i = 0; i < kSettingsLists.size(); ++i) positions[i] = selection.*kSettingsLists[i].position;
}

}  // namespace
}  // namespace halvo

using namespace halvo;

extern "C" {

/// Number of lists, in the selection's order: year, month, day, hour, minute, second, then the six options.
EMSCRIPTEN_KEEPALIVE int halvo_list_count() { return static_cast<int>(kSettingsLists.size()); }

/// Number of date and time lists, which come first.
EMSCRIPTEN_KEEPALIVE int halvo_date_time_lists() { return static_cast<int>(kDateTimeLists); }

/// Number of entries in a list, or 0 for an unknown list.
EMSCRIPTEN_KEEPALIVE int halvo_list_size(int list) { return ValidList(list) ? At(list).Size() : 0; }

/// The device value an entry sets (the number a date or time list shows, the minutes of a length, time-lapse's switch).
EMSCRIPTEN_KEEPALIVE int halvo_list_value(int list, int position) {
    if (!ValidList(list) || !At(list).Holds(position)) return 0;
    const SettingsList& l = At(list);
    DeviceSettings settings;
    SetListValue(l, l.ValueAt(position), settings);
    return settings.*(l.onSwitch != nullptr ? l.onSwitch : l.field);
}

/// The initial position of a list, as the dialog opens.
EMSCRIPTEN_KEEPALIVE int halvo_initial_position(int list) { return ValidList(list) ? At(list).initial : -1; }

/// A list's key, the name the page and the selection give it.
EMSCRIPTEN_KEEPALIVE const char* halvo_list_key(int list) { return ValidList(list) ? At(list).key : ""; }

/// A list's caption in a language (0 Japanese, 1 English).
EMSCRIPTEN_KEEPALIVE const char* halvo_list_label(int list, int language) {
    return ValidList(list) ? InLanguage(At(list).label, language) : "";
}

/// What a list's values count, in a language; empty where nothing is named.
EMSCRIPTEN_KEEPALIVE const char* halvo_list_unit(int list, int language) {
    return ValidList(list) ? InLanguage(At(list).unit, language) : "";
}

/// An entry's word in a language; empty in a list of numbers, whose entries are their values.
EMSCRIPTEN_KEEPALIVE const char* halvo_entry_word(int list, int position, int language) {
    if (!ValidList(list) || At(list).entries.empty() || !At(list).Holds(position)) return "";
    return InLanguage(At(list).entries[static_cast<std::size_t>(position)].words, language);
}

/// The texts every front end shows: 0 the failure text, 1 what to do with a written set.txt.
EMSCRIPTEN_KEEPALIVE const char* halvo_text(int text, int language) {
    switch (text) {
        case 0: return kErrorText;
        case 1: return InLanguage(kWrittenAdvice, language);
    }
    return "";
}

/// The most seconds a clock reading may be moved ahead.
EMSCRIPTEN_KEEPALIVE int halvo_max_lead() { return kMaxLeadSeconds; }

/// The lead the page offers until the owner saves with another.
EMSCRIPTEN_KEEPALIVE int halvo_default_lead() { return kDefaultLeadSeconds; }

/// Checks twelve positions; with no fault writes set.txt's bytes to `bytes` (kSetFileSize of them).
/// Returns the number of failed checks and writes up to `capacity` of them, in order, to `faults`,
/// three bytes each: the kind, the list and the reason.
EMSCRIPTEN_KEEPALIVE int halvo_convert(const std::int32_t* positions, std::uint8_t* bytes, std::uint8_t* faults,
                                       int capacity) {
    const Conversion conversion = ConvertSelection(ToSelection(positions));
    int count = 0;
    for (const FailedCheck& failed : conversion.faults) {
        if (count < capacity) {
            faults[3 * count] = static_cast<std::uint8_t>(failed.kind);
            faults[3 * count + 1] = static_cast<std::uint8_t>(failed.list);
            faults[3 * count + 2] = static_cast<std::uint8_t>(failed.reason);
        }
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

/// A failed check's reason, as the page keys its messages.
EMSCRIPTEN_KEEPALIVE const char* halvo_reason_name(int reason) {
    switch (static_cast<FaultReason>(reason)) {
        case FaultReason::NoEntry: return "NoEntry";
        case FaultReason::OutsideList: return "OutsideList";
        case FaultReason::NoSuchDay: return "NoSuchDay";
    }
    return "";
}

/// Positions of the six date and time lists for a clock reading; -1 for a value outside its list.
EMSCRIPTEN_KEEPALIVE void halvo_clock_positions(const std::int32_t* clock, std::int32_t* positions) {
    const DateTime at = PositionsFromClock({clock[0], clock[1], clock[2], clock[3], clock[4], clock[5]});
    for (std::size_t i = 0; i < kDateTimeLists; ++i) positions[i] = at.*kDateTimeFields[i].field;
}

/// Reads a file with the strict reader. A sound file gives -1 and the twelve positions in `positions`;
/// otherwise the problem's kind, with offset and line in `where` and its words (cut to `capacity`) in `message`.
EMSCRIPTEN_KEEPALIVE int halvo_read(const std::uint8_t* bytes, std::size_t size, std::int32_t* positions,
                                    std::uint32_t* where, char* message, std::size_t capacity) {
    const SetFileReading reading = ParseSetFile(std::span<const std::uint8_t>(bytes, size));
    if (reading.settings) {
        FromSelection(SelectionOf(*reading.settings), positions);
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
