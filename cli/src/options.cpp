#include "options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "halvo/calendar.h"
#include "halvo/camera_clock.h"
#include "halvo/set_file.h"
#include "halvo/settings_lists.h"
#include "halvo/settings_words.h"
#include "failure.h"
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
     .byDefault = "this computer's clock now", .needs = "a date in the form YYYY-MM-DD"},
    {.id = O::Time, .names = "--time", .value = "HH:MM:SS", .help = "Time, {first-time} to {last-time}",
     .byDefault = "this computer's clock now", .needs = "a time in the form HH:MM:SS"},
    {.id = O::Lead, .names = "--lead", .value = "SECONDS",
     .help = "0 to {max-lead} seconds added to the clock reading, so that the device can be switched on that much "
             "later and still be right",
     .byDefault = "0, or {default-lead} with --countdown", .excludes = kTypedClock,
     .why = "moves this computer's clock reading", .needs = "a whole number of seconds from 0 to {max-lead}"},
    {.id = O::Correction, .names = "--correction", .value = "SECONDS",
     .help = "The camera's start-up delay, -{max-correction} to {max-correction} seconds in tenths: the time written "
             "is that much later, and a countdown ends that much before it, so that the camera's clock is right once "
             "it has started up",
     .byDefault = "0", .excludes = kTypedClock, .why = "moves this computer's clock reading",
     .needs = "a number of seconds from -{max-correction} to {max-correction}, in tenths at most"},
    {.id = O::Zone, .names = "--zone", .value = "NAME",
     .help = "The time zone of the time written: UTC or a name such as Europe/Berlin (on Windows only UTC)",
     .byDefault = "this computer's", .excludes = kTypedClock, .why = "sets the zone of this computer's clock reading",
     .needs = "UTC or a zone name such as Europe/Berlin"},
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
     .byDefault = "the current folder", .needs = "the folder to write {file} into"},
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
             "would not read it as written",
     .byDefault = "./{file}", .excludes = kWriting, .why = "only reads a file"},
};

// The table is in the order of the ids, so that an id finds its option;
// every option that takes a value says what it is, a list's from its words;
// only an optional value may be left out.
static_assert(std::size(kOptions) == kOptionCount);
static_assert([] {
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        const CliOption& option = kOptions[i];
        if (static_cast<std::size_t>(option.id) != i) return false;
        if (option.takes == Takes::Value && (option.needs == nullptr) == !option.list.has_value()) return false;
        if (option.takes != Takes::Value && option.needs != nullptr) return false;
    }
    return true;
}());

// A CLI11 result that stands for a value left out: a byte nobody types.
constexpr char kLeftOut[] = "\x1f";

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
    if (option.excludes.size() + 1 == kOptionCount) {
        help += "; goes with no other option";
    } else if (!option.excludes.empty() && option.excludes.size() <= 3) {
        std::vector<std::string> names;
        for (const OptionId other : option.excludes) names.push_back(LongName(other));
        help += "; not with " + Either(names);
    }
    // The default stays on one line, where a reader (and the man page) finds it whole; an optional value's default
    // names the value ("[default PATH: ./set.txt]").
    std::string byDefault;
    std::string label = "[default: ";
    if (option.takes == Takes::OptionalValue) {
        const std::string value = option.value;  // "[PATH]"
        label = "[default " + value.substr(1, value.size() - 2) + ": ";
    }
    if (option.byDefault != nullptr) {
        byDefault = label + option.byDefault + "]";
    } else if (option.list) {
        const SettingsList& list = ListOf(*option.list);
        byDefault = label + list.Entry(list.initial).option + "]";
    }
    return Wrapped(Filled(help), kHelpWidth, Filled(byDefault));
}

// The names CLI11 takes: a list's option word, or the table's.
std::string NamesOf(const CliOption& option) {
    return option.list ? std::string("--") + ListOf(*option.list).option : std::string(option.names);
}

// What an option's value is, for one left out: a list's words, or the table's.
std::string NeedsOf(const CliOption& option) {
    if (!option.list) return Filled(option.needs);
    const SettingsList& list = ListOf(*option.list);
    std::vector<std::string> words;
    for (const std::int32_t at : list.optionOrder) words.push_back(list.Entry(at).option);
    return Either(words);
}

// Whether a word stands for an option rather than a value: a dash, then not a number ("-1.5" is a value).
bool LooksLikeOption(const std::string& word) {
    if (word.size() < 2 || word[0] != '-') return false;
    const char next = word[1] == '.' && word.size() > 2 ? word[2] : word[1];
    return !(next >= '0' && next <= '9');
}

// The option a word names exactly, without a value joined to it ("--length", "-o").
const CliOption* Named(const std::string& word) {
    for (const CliOption& option : kOptions) {
        const std::string names = NamesOf(option);
        for (std::size_t at = 0; at <= names.size();) {
            const std::size_t end = std::min(names.find(',', at), names.size());
            if (names.compare(at, end - at, word) == 0 && end - at == word.size()) return &option;
            at = end + 1;
        }
    }
    return nullptr;
}

// Words CLI11 left over: the first is named, as typed, with the words it follows.
std::string Unexpected(const std::vector<std::string>& args, const std::string& first) {
    if (first.size() > 1 && first[0] == '-' && first != "--") return first + " is not an option";
    // Find the word where the command line has it: not an option, nor the value right after one.
    std::size_t at = 0;
    bool valueNext = false;
    for (; at < args.size(); ++at) {
        if (!valueNext && args[at] == first) break;
        const CliOption* named = Named(args[at]);
        valueNext = !valueNext && named != nullptr && named->takes != Takes::Nothing && at + 1 < args.size() &&
                    !LooksLikeOption(args[at + 1]);
    }
    std::string text = first + " is neither an option nor the value of one";
    if (at == 0 || at >= args.size()) return text;
    const CliOption* before = Named(args[at - 1]);
    if (before != nullptr && before->takes == Takes::Nothing) return text + "; it follows " + args[at - 1] + ", which takes none";
    const CliOption* option = at >= 2 ? Named(args[at - 2]) : nullptr;
    const bool afterValue = option != nullptr && option->takes != Takes::Nothing && !LooksLikeOption(args[at - 1]);
    return text + "; it follows " + (afterValue ? args[at - 2] + " " + Typed(args[at - 1]) : args[at - 1]);
}

}  // namespace

const CliOption& OptionOf(OptionId id) { return kOptions[static_cast<std::size_t>(id)]; }

std::string LongName(OptionId id) {
    const std::string names = NamesOf(OptionOf(id));
    return names.substr(names.find("--"));
}

namespace {

// The ways halvo-set is run, in place of CLI11's one usage line.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App*, std::string) const override {
        return std::string("Usage:\n") +
               "  halvo-set [OPTIONS]          write set.txt\n"
               "  halvo-set --show [PATH]      read a set.txt, check it, print its settings\n"
               "  halvo-set --help | --version\n";
    }
};

// Adds every option of the table to the app, each to be read back by TakeCommandLine.
void AddOptions(CLI::App& app) {
    for (const CliOption& option : kOptions) {
        if (option.takes == Takes::Nothing) {
            app.add_flag(NamesOf(option))->description(HelpOf(option));
            continue;
        }
        // Every value may be left out as far as CLI11 is concerned, and may come
        // more than once, so that halvo-set can say in its own words what is wrong.
        CLI::Option* added = app.add_option(NamesOf(option))->description(HelpOf(option));
        added->expected(0, 1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)->default_str(kLeftOut);
        // The default above is no default to show: --help shows the value's form alone.
        added->option_text(option.list ? OptionWords(ListOf(*option.list), "|") : std::string(option.value));
    }
}

// Once the app has parsed `args`: every option given, into `given`; or what is wrong with the command line.
std::optional<std::string> TakeCommandLine(const CLI::App& app, const std::vector<std::string>& args, Given& given) {
    for (const CliOption& option : kOptions) {
        const CLI::Option* parsed = app.get_option(LongName(option.id));
        if (parsed->count() == 0) continue;
        const std::string name = LongName(option.id);
        const std::vector<std::string>& results = parsed->results();
        if (option.takes == Takes::Nothing) {
            // CLI11 takes "--card=yes" for a flag's value; a flag has none.
            for (const std::string& result : results)
                if (result != "true") return name + " takes no value, but was given " + Typed(result);
            given.values[static_cast<std::size_t>(option.id)] = std::string();
            continue;
        }
        if (results.size() > 1) {
            std::vector<std::string> typed;
            for (const std::string& result : results) typed.push_back(result == kLeftOut ? "nothing" : Typed(result));
            std::string all = typed.front();
            for (std::size_t i = 1; i < typed.size(); ++i) all += ", then " + typed[i];
            return name + " is given " + (results.size() == 2 ? "twice" : std::to_string(results.size()) + " times") +
                   " (" + all + "); give it once";
        }
        const bool leftOut = results.empty() || results.front() == kLeftOut;
        if (leftOut && option.takes == Takes::Value) return name + " needs a value: " + NeedsOf(option);
        given.values[static_cast<std::size_t>(option.id)] = leftOut ? std::string() : results.front();
    }
    if (!app.remaining().empty()) return Unexpected(args, app.remaining().front()) + kHelpHint;
    return std::nullopt;
}

}  // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& args, const std::string& footer,
                            const std::string& version) {
    CLI::App app("Writes set.txt, the settings file of the video recorder, or checks an existing one.", kProgram);
    app.formatter(std::make_shared<HelpFormatter>());
    app.set_help_flag("-h,--help", "Show this help and exit");
    app.set_version_flag("--version", version, "Show the version and exit");
    app.footer(footer);
    AddOptions(app);
    // Unknown words are reported by TakeCommandLine, in the order typed.
    app.allow_extras();

    CommandLine read;
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::CallForHelp&) {
        read.asks = CommandLine::Asks::Help;
        read.text = app.help();
        return read;
    } catch (const CLI::CallForVersion& e) {
        read.asks = CommandLine::Asks::Version;
        read.text = e.what();
        return read;
    } catch (const CLI::ParseError&) {
        // Every mistake halvo-set knows of is worded in TakeCommandLine; this is the parser's own.
        read.asks = CommandLine::Asks::Wrong;
        read.text = std::string("the command line cannot be read") + kHelpHint;
        return read;
    }
    if (std::optional<std::string> wrong = TakeCommandLine(app, args, read.given)) {
        read.asks = CommandLine::Asks::Wrong;
        read.text = std::move(*wrong);
    }
    return read;
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
