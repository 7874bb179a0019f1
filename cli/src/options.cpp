#include "options.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string_view>
#include <vector>

#include "halvo/calendar.h"
#include "halvo/camera_clock.h"
#include "halvo/set_file.h"
#include "halvo/settings_lists.h"
#include "halvo/settings_words.h"
#include "words.h"

namespace halvo::cli {
namespace {

using O = OptionId;

constexpr OptionId kTypedClock[] = {O::Date, O::Time};
constexpr OptionId kCardExcludes[] = {O::Output, O::Stdout};
constexpr OptionId kCountdownExcludes[] = {O::Date, O::Time, O::Stdout};
constexpr OptionId kStdoutExcludes[] = {O::Output};
constexpr OptionId kWriting[] = {O::Date,      O::Time,   O::Lead,   O::Correction, O::Zone,  O::Flip,
                                 O::Length,    O::Timelapse, O::Audio, O::Usb,     O::Timestamp, O::Output,
                                 O::Stdout,    O::Card,   O::Countdown};

constexpr CliOption kOptions[] = {
    {.id = O::Date, .names = "--date", .value = "YYYY-MM-DD", .help = "Date, {first-date} to {last-date}",
     .byDefault = "this computer's clock now"},
    {.id = O::Time, .names = "--time", .value = "HH:MM:SS", .help = "Time, {first-time} to {last-time}",
     .byDefault = "this computer's clock now"},
    {.id = O::Lead, .names = "--lead", .value = "SECONDS",
     .help = "0 to {max-lead} seconds added to the clock reading, so that the device can be switched on that much "
             "later and still be right",
     .byDefault = "0, or {default-lead} with --countdown", .excludes = kTypedClock,
     .why = "moves this computer's clock reading"},
    {.id = O::Correction, .names = "--correction", .value = "SECONDS",
     .help = "The camera's start-up delay, -{max-correction} to {max-correction} seconds in tenths: the time written "
             "is that much later, and a countdown ends that much before it, so that the camera's clock is right once "
             "it has started up",
     .byDefault = "0", .excludes = kTypedClock, .why = "moves this computer's clock reading"},
    {.id = O::Zone, .names = "--zone", .value = "NAME",
     .help = "The time zone of the time written: UTC or a name such as Europe/Berlin (on Windows only UTC)",
     .byDefault = "this computer's", .excludes = kTypedClock, .why = "sets the zone of this computer's clock reading"},
    {.id = O::Flip, .list = SettingsListId::ImageFlip, .help = "Image flip: record the picture upside down, for a camera mounted the other way up"},
    {.id = O::Length, .list = SettingsListId::RecordLength, .help = "Length of one recording file, in minutes"},
    {.id = O::Timelapse, .list = SettingsListId::Timelapse,
     .help = "Time-lapse recording: off, or its interval in seconds"},
    {.id = O::Audio, .list = SettingsListId::RecordAudio, .help = "Record sound with the video"},
    {.id = O::Usb, .list = SettingsListId::UsbMode,
     .help = "What the device shows itself as over USB: a storage device (to copy files) or a video device (a "
             "webcam)"},
    {.id = O::Timestamp, .list = SettingsListId::Timestamp, .help = "Draw the date and time into the picture"},
    {.id = O::Output, .names = "-o,--output", .value = "DIR",
     .help = "Folder to write {file} into, e.g. the device's card; it must exist already",
     .byDefault = "the current folder"},
    {.id = O::Card, .names = "--card", .takes = Takes::Nothing,
     .help = "Write {file} into the top folder of the camera's card: the one mounted removable volume (of several, "
             "the one holding DCIM or {file})",
     .excludes = kCardExcludes, .why = "finds the card's folder itself"},
    {.id = O::Countdown, .names = "--countdown", .takes = Takes::Nothing,
     .help = "After writing, count the seconds down to the time written and say when to switch the camera on, so "
             "that its clock starts right; Ctrl-C stops it",
     .excludes = kCountdownExcludes, .why = "counts down to this computer's clock reading in {file}"},
    {.id = O::Stdout, .names = "--stdout", .takes = Takes::Nothing,
     .help = "Write the {file-size} bytes of {file} to standard output instead of a file",
     .excludes = kStdoutExcludes, .why = "writes no file"},
    {.id = O::Show, .names = "--show", .takes = Takes::OptionalValue, .value = "[PATH]",
     .help = "Read PATH (a {file}, or a folder holding one), check it and print its settings; exit 1 if the device "
             "would not read it as written [default PATH: ./{file}]",
     .excludes = kWriting, .why = "only reads a file"},
};

// The table is in the order of the ids, so that an id finds its option.
static_assert(std::size(kOptions) == kOptionCount);
static_assert([] {
    for (std::size_t i = 0; i < kOptionCount; ++i)
        if (static_cast<std::size_t>(kOptions[i].id) != i) return false;
    return true;
}());

// The help text's width, after the column of names.
constexpr std::size_t kHelpWidth = 60;

// The help's facts, filled in from the core.
std::string Filled(std::string_view text) {
    const std::pair<std::string_view, std::string> facts[] = {
        {"{first-date}", DateText(FirstDateTime())}, {"{last-date}", DateText(LastDateTime())},
        {"{first-time}", TimeText(FirstDateTime())}, {"{last-time}", TimeText(LastDateTime())},
        {"{max-lead}", std::to_string(kMaxLeadSeconds)},
        {"{max-correction}", std::to_string(kMaxCorrectionTenths / 10)}, {"{default-lead}", std::to_string(kDefaultLeadSeconds)},
        {"{file-size}", std::to_string(kSetFileSize)}, {"{file}", kSetFileName},
    };
    std::string out(text);
    for (const auto& [mark, value] : facts) {
        for (std::size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at + value.size()))
            out.replace(at, mark.size(), value);
    }
    return out;
}

}  // namespace

std::string Wrapped(const std::string& text, std::size_t width, const std::string& tail) {
    std::string out;
    std::size_t line = 0;
    const auto put = [&](std::string_view word) {
        if (line > 0 && line + 1 + word.size() > width) {
            out += '\n';
            line = 0;
        } else if (line > 0) {
            out += ' ';
            ++line;
        }
        out += word;
        line += word.size();
    };
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        put(std::string_view(text).substr(at, end - at));
        at = end + 1;
    }
    if (!tail.empty()) put(tail);
    return out;
}

namespace {

// The help of an option: what it does, what it does not go with (where that
// is short to say) and its default.
std::string HelpOf(const CliOption& option) {
    std::string help = option.help;
    if (!option.excludes.empty() && option.excludes.size() <= 3) {
        std::vector<std::string> names;
        for (const OptionId other : option.excludes) names.push_back(LongName(other));
        help += "; not with " + Either(names);
    }
    // The default stays on one line, where a reader (and the man page) finds it whole.
    std::string byDefault;
    if (option.byDefault != nullptr) {
        byDefault = std::string("[default: ") + option.byDefault + "]";
    } else if (option.list) {
        const SettingsList& list = ListOf(*option.list);
        byDefault = std::string("[default: ") + list.Entry(list.initial).option + "]";
    }
    return Wrapped(Filled(help), kHelpWidth, Filled(byDefault));
}

// The names CLI11 takes: a list's option word, or the table's.
std::string NamesOf(const CliOption& option) {
    return option.list ? std::string("--") + ListOf(*option.list).option : std::string(option.names);
}

}  // namespace

const CliOption& OptionOf(OptionId id) { return kOptions[static_cast<std::size_t>(id)]; }

std::string LongName(OptionId id) {
    const std::string names = NamesOf(OptionOf(id));
    return names.substr(names.find("--"));
}

void AddOptions(CLI::App& app, Given& given) {
    for (const CliOption& option : kOptions) {
        std::optional<std::string>& slot = given.values[static_cast<std::size_t>(option.id)];
        if (option.takes == Takes::Nothing) {
            app.add_flag_function(NamesOf(option), [&slot](std::int64_t) { slot = std::string(); }, HelpOf(option));
            continue;
        }
        CLI::Option* added = app.add_option_function<std::string>(
            NamesOf(option), [&slot](const std::string& v) { slot = v; }, HelpOf(option));
        added->type_name(option.list ? OptionWords(ListOf(*option.list), "|") : std::string(option.value));
        if (option.takes == Takes::OptionalValue) added->expected(0, 1);
    }
}

void TakeBareOptions(const CLI::App& app, Given& given) {
    for (const CliOption& option : kOptions) {
        std::optional<std::string>& slot = given.values[static_cast<std::size_t>(option.id)];
        if (option.takes == Takes::OptionalValue && !slot && app.count(LongName(option.id)) > 0) slot = std::string();
    }
}

std::optional<std::string> Conflict(const Given& given) {
    // The later an option stands in the table, the more it changes what
    // halvo-set does (--show most of all), so its conflicts are named first.
    for (std::size_t i = kOptionCount; i-- > 0;) {
        const CliOption& option = kOptions[i];
        if (!given.Has(option.id)) continue;
        for (const OptionId other : option.excludes) {
            if (given.Has(other)) {
                return LongName(option.id) + ": " + Filled(option.why) + ", so it does not go with " + LongName(other);
            }
        }
    }
    return std::nullopt;
}

}  // namespace halvo::cli
