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
#include "halvo_web.h"

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

// In halvo_read's `where`: a problem between settings.
constexpr std::uint32_t kNoSetting = 0xffffffff;

// The name at an enum's number in its table of names, or "" past its end.
template <std::size_t N>
const char* NameIn(const std::array<const char*, N>& names, int at) {
    return at >= 0 && static_cast<std::size_t>(at) < N ? names[static_cast<std::size_t>(at)] : "";
}

void FromSelection(const SettingsSelection& selection, std::int32_t* positions) {
    for (std::size_t i = 0; i < kSettingsLists.size(); ++i) positions[i] = selection.*kSettingsLists[i].position;
}

}  // namespace
}  // namespace halvo

using namespace halvo;

extern "C" {

EMSCRIPTEN_KEEPALIVE int halvo_list_count() { return static_cast<int>(kSettingsLists.size()); }

EMSCRIPTEN_KEEPALIVE int halvo_date_time_lists() { return static_cast<int>(kDateTimeLists); }

EMSCRIPTEN_KEEPALIVE int halvo_list_size(int list) { return ValidList(list) ? At(list).Size() : 0; }

EMSCRIPTEN_KEEPALIVE int halvo_list_value(int list, int position) {
    if (!ValidList(list) || !At(list).Holds(position)) return 0;
    const SettingsList& l = At(list);
    return ValueAt(l, position, l.onSwitch != nullptr ? l.onSwitch : l.field);
}

EMSCRIPTEN_KEEPALIVE int halvo_initial_position(int list) { return ValidList(list) ? At(list).initial : -1; }

EMSCRIPTEN_KEEPALIVE const char* halvo_list_key(int list) { return ValidList(list) ? At(list).key : ""; }

EMSCRIPTEN_KEEPALIVE const char* halvo_list_label(int list, int language) {
    return ValidList(list) ? InLanguage(At(list).label, language) : "";
}

EMSCRIPTEN_KEEPALIVE const char* halvo_list_unit(int list, int language) {
    return ValidList(list) ? InLanguage(At(list).unit, language) : "";
}

EMSCRIPTEN_KEEPALIVE const char* halvo_entry_word(int list, int position, int language) {
    if (!ValidList(list) || At(list).entries.empty() || !At(list).Holds(position)) return "";
    return InLanguage(At(list).entries[static_cast<std::size_t>(position)].words, language);
}

EMSCRIPTEN_KEEPALIVE const char* halvo_text(int text, int language) {
    switch (text) {
        case 0: return kErrorText;
        case 1: return InLanguage(kWrittenAdvice, language);
    }
    return "";
}

EMSCRIPTEN_KEEPALIVE int halvo_max_lead() { return kMaxLeadSeconds; }

EMSCRIPTEN_KEEPALIVE int halvo_default_lead() { return kDefaultLeadSeconds; }

EMSCRIPTEN_KEEPALIVE int halvo_max_faults() { return static_cast<int>(kSettingsChecks); }

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

EMSCRIPTEN_KEEPALIVE int halvo_file_size() { return static_cast<int>(kSetFileSize); }

EMSCRIPTEN_KEEPALIVE const char* halvo_file_name() { return kSetFileName; }

EMSCRIPTEN_KEEPALIVE const char* halvo_fault_name(int fault) { return NameIn(kCheckKindNames, fault); }

EMSCRIPTEN_KEEPALIVE const char* halvo_reason_name(int reason) { return NameIn(kFaultReasonNames, reason); }

EMSCRIPTEN_KEEPALIVE void halvo_clock_positions(const std::int32_t* clock, std::int32_t* positions) {
    const DateTime at = PositionsFromClock({clock[0], clock[1], clock[2], clock[3], clock[4], clock[5]});
    for (std::size_t i = 0; i < kDateTimeLists; ++i) positions[i] = at.*kDateTimeFields[i].field;
}

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
    where[2] = problem.setting ? static_cast<std::uint32_t>(*problem.setting) : kNoSetting;
    if (capacity > 0) {
        const std::size_t length = std::min(problem.message.size(), capacity - 1);
        std::memcpy(message, problem.message.data(), length);
        message[length] = '\0';
    }
    return static_cast<int>(problem.kind);
}

EMSCRIPTEN_KEEPALIVE const char* halvo_problem_name(int kind) { return NameIn(kSetFileProblemNames, kind); }

}  // extern "C"
