#include "halvo_set.h"

#include "card.h"
#include "countdown.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "halvo/calendar.h"
#include "halvo/device_settings.h"
#include "halvo/set_file.h"
#include "halvo/set_file_writer.h"
#include "halvo/set_file_reader.h"
#include "halvo/settings_lists.h"
#include "halvo/settings_words.h"

#ifndef HALVO_VERSION
#error "HALVO_VERSION must be defined by the build"
#endif

namespace halvo::cli {
namespace {

namespace fs = std::filesystem;

constexpr char kProgram[] = "halvo-set";
// --show refuses to read more than this; set.txt is a few hundred bytes, and
// pointing it at a video by mistake should not read gigabytes.
constexpr std::size_t kMaxShowBytes = 1 << 20;

// An option that picks one entry of one of the lists, by halvo-set's word for it.
struct ChoiceOption {
    const char* name;
    SettingsListId list;
    const char* help;  // --help adds the default, the list's initial entry
};

// In the order --help lists them and they are checked.
constexpr ChoiceOption kChoiceOptions[] = {
    {"--flip", SettingsListId::ImageFlip, "Image flip"},
    {"--length", SettingsListId::RecordLength, "Length of one recording, in minutes"},
    {"--timelapse", SettingsListId::Timelapse, "Time-lapse recording: off, or its interval in seconds\n"},
    {"--audio", SettingsListId::RecordAudio, "Record sound"},
    {"--usb", SettingsListId::UsbMode, "What the device is over USB: a storage device or a video\ndevice"},
    {"--timestamp", SettingsListId::Timestamp, "Time stamp in the picture"},
};
constexpr std::size_t kChoiceCount = std::size(kChoiceOptions);

// The list's words in the order halvo-set names them.
std::string OptionWords(const SettingsList& list, const char* separator) {
    std::string out;
    for (const std::int32_t at : list.optionOrder) {
        if (!out.empty()) out += separator;
        out += list.entries[static_cast<std::size_t>(at)].option;
    }
    return out;
}

std::string ChoiceHelp(const ChoiceOption& option) {
    const SettingsList& list = ListOf(option.list);
    std::string help = option.help;
    if (!help.ends_with('\n')) help += ' ';
    return help + "[default: " + list.entries[static_cast<std::size_t>(list.initial)].option + "]";
}

std::string Pad2(std::int32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(v));
    return text;
}

std::string DateText(const DateTime& d) {
    return std::to_string(d.year) + "-" + Pad2(d.month) + "-" + Pad2(d.day);
}
std::string TimeText(const DateTime& d) {
    return Pad2(d.hour) + ":" + Pad2(d.minute) + ":" + Pad2(d.second);
}

// The entry a list of words holds in settings, as halvo-set names it: its
// option word, with the list's unit after a number ("2 min", "10 s", "off").
std::string Said(SettingsListId id, const DeviceSettings& s) {
    const SettingsList& list = ListOf(id);
    const std::optional<std::int32_t> at = PositionIn(list, s);
    return at ? EntryText(list, *at) : "?";
}

// The settings in plain words, in the order of the file.
std::string Summary(const DeviceSettings& s) {
    using L = SettingsListId;
    return DateText(DateTimeOf(s)) + " " + TimeText(DateTimeOf(s)) + ", flip " + Said(L::ImageFlip, s) + ", " +
           Said(L::RecordLength, s) + ", time-lapse " + Said(L::Timelapse, s) + ", audio " +
           Said(L::RecordAudio, s) + ", USB " + Said(L::UsbMode, s) + ", time stamp " + Said(L::Timestamp, s);
}

// A path for messages: absolute, so that the user sees which card was meant.
std::string Display(const fs::path& p) {
    std::error_code ec;
    fs::path shown = fs::absolute(p, ec);
    if (ec) shown = p;
    return shown.lexically_normal().string();
}

// What went wrong, and which exit status it earns.
struct Failure {
    int status;
    std::string message;
};

Failure Usage(std::string message) { return {kExitUsage, std::move(message)}; }

// The years in words, for the messages that refuse one.
std::string YearsText() {
    return "the years are " + std::to_string(kFirstYear) + " to " + std::to_string(kLastYear);
}

// The earliest and latest date and time the device takes, as typed.
std::string FirstDate() { return std::to_string(kFirstYear) + "-" + Pad2(kMonthRange.first) + "-" + Pad2(kDayRange.first); }
std::string LastDate() {
    return std::to_string(kLastYear) + "-" + Pad2(kMonthRange.last) + "-" + Pad2(DaysInMonth(kMonthRange.last));
}
std::string FirstTime() { return Pad2(kHourRange.first) + ":" + Pad2(kMinuteRange.first) + ":" + Pad2(kSecondRange.first); }
std::string LastTime() { return Pad2(kHourRange.last) + ":" + Pad2(kMinuteRange.last) + ":" + Pad2(kSecondRange.last); }

// A typed value for a message; an empty one would vanish otherwise.
std::string Typed(const std::string& text) { return text.empty() ? "\"\"" : text; }

// Reads exactly `widths` groups of digits separated by `separator`.
template <std::size_t N>
std::optional<std::array<std::int32_t, N>> ParseGroups(std::string_view text, char separator,
                                                      const std::array<std::size_t, N>& widths) {
    std::array<std::int32_t, N> out{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != separator) return std::nullopt;
            ++at;
        }
        std::int32_t value = 0;
        for (std::size_t d = 0; d < widths[i]; ++d, ++at) {
            if (at >= text.size() || text[at] < '0' || text[at] > '9') return std::nullopt;
            value = value * 10 + (text[at] - '0');
        }
        out[i] = value;
    }
    if (at != text.size()) return std::nullopt;
    return out;
}

// The typed values become list positions and pass through the same checks
// as the dialog's; the first failed check says what to tell the user.
std::optional<FailedCheck> CheckDateTime(SettingsSelection& sel, const DateTime& values, bool date, bool time) {
    const DateTime at = PositionsFromClock(values);
    SettingsSelection probe = sel;
    DateTime merged = DateTimeOf(probe);
    if (date) merged.year = at.year, merged.month = at.month, merged.day = at.day;
    if (time) merged.hour = at.hour, merged.minute = at.minute, merged.second = at.second;
    SetDateTime(probe, merged);
    const Conversion conversion = ConvertSelection(probe);
    if (!conversion.faults.empty()) return conversion.faults[0];
    sel = probe;
    return std::nullopt;
}

std::optional<Failure> TakeDate(const std::string& text, SettingsSelection& sel) {
    const auto parts = ParseGroups<3>(text, '-', {4, 2, 2});
    if (!parts) return Usage("--date: " + Typed(text) + " is not a date in the form YYYY-MM-DD");
    const auto [year, month, day] = *parts;
    const std::optional<FailedCheck> failed = CheckDateTime(sel, {year, month, day, 0, 0, 0}, true, false);
    if (!failed) return std::nullopt;
    std::string why;
    switch (failed->list) {
        case SettingsListId::Year: why = YearsText(); break;
        case SettingsListId::Month: why = "there is no month " + std::to_string(month); break;
        default:
            why = failed->reason == FaultReason::NoSuchDay
                      ? "day " + std::to_string(day) + " of month " + std::to_string(month)
                      : "there is no day " + std::to_string(day);
    }
    return Usage("--date: " + text + " is not a date the device accepts (" + why + ")");
}

std::optional<Failure> TakeTime(const std::string& text, SettingsSelection& sel) {
    const auto parts = ParseGroups<3>(text, ':', {2, 2, 2});
    if (!parts) return Usage("--time: " + Typed(text) + " is not a time in the form HH:MM:SS");
    const auto [hour, minute, second] = *parts;
    const std::optional<FailedCheck> failed = CheckDateTime(sel, {0, 0, 0, hour, minute, second}, false, true);
    if (!failed) return std::nullopt;
    const auto range = [](const char* unit, const ValueRange& r) {
        return std::string(unit) + " are " + Pad2(r.first) + " to " + Pad2(r.last);
    };
    const std::string why = failed->list == SettingsListId::Hour     ? range("hours", kHourRange)
                            : failed->list == SettingsListId::Minute ? range("minutes", kMinuteRange)
                                                                     : range("seconds", kSecondRange);
    return Usage("--time: " + text + " is not a time the device accepts (" + why + ")");
}

std::optional<Failure> TakeLead(const std::string& text, std::int32_t& lead) {
    const bool digits = !text.empty() && text.size() <= 9 &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits) lead = static_cast<std::int32_t>(std::stol(text));
    if (!digits || lead > kMaxLeadSeconds) {
        return Usage("--lead: " + Typed(text) + " is not a whole number of seconds from 0 to " +
                     std::to_string(kMaxLeadSeconds));
    }
    return std::nullopt;
}

std::optional<Failure> TakeChoice(const ChoiceOption& option, const std::string& text, SettingsSelection& sel) {
    const SettingsList& list = ListOf(option.list);
    for (std::int32_t at = 0; at < list.Size(); ++at) {
        if (text == list.entries[static_cast<std::size_t>(at)].option) {
            sel.*list.position = at;
            return std::nullopt;
        }
    }
    return Usage(std::string(option.name) + ": " + Typed(text) + " is not one of " + OptionWords(list, ", "));
}

// Every option of the command line as typed; empty optionals were not given.
struct Options {
    std::optional<std::string> date, time, lead, output, show;
    std::array<std::optional<std::string>, kChoiceCount> choices;  // as kChoiceOptions
    bool to_stdout = false;
    bool card = false;
    bool countdown = false;
};

std::optional<Failure> CheckCombinations(const Options& t) {
    if (t.show) {
        std::vector<std::pair<const char*, bool>> writing = {
            {"--date", t.date.has_value()}, {"--time", t.time.has_value()}, {"--lead", t.lead.has_value()}};
        for (std::size_t i = 0; i < kChoiceCount; ++i)
            writing.emplace_back(kChoiceOptions[i].name, t.choices[i].has_value());
        writing.emplace_back("--output", t.output.has_value());
        writing.emplace_back("--stdout", t.to_stdout);
        writing.emplace_back("--card", t.card);
        writing.emplace_back("--countdown", t.countdown);
        for (const auto& [name, given] : writing) {
            if (given) return Usage(std::string("--show: only reads a file; it does not go with ") + name);
        }
    }
    if (t.to_stdout && t.output) return Usage("--stdout: writes no file, so it does not go with --output");
    if (t.card && (t.output || t.to_stdout)) {
        return Usage(std::string("--card: finds the card's folder itself, so it does not go with ") +
                     (t.output ? "--output" : "--stdout"));
    }
    if (t.countdown && (t.date || t.time || t.to_stdout)) {
        return Usage(std::string("--countdown: counts down to this computer's clock reading in set.txt, so it does "
                                 "not go with ") +
                     (t.date ? "--date" : t.time ? "--time" : "--stdout"));
    }
    if (t.lead && (t.date || t.time)) {
        return Usage(std::string("--lead: moves this computer's clock reading, so it does not go with ") +
                     (t.date ? "--date" : "--time"));
    }
    return std::nullopt;
}

std::optional<Failure> CheckOutputFolder(const fs::path& folder) {
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    if (status.type() == fs::file_type::not_found) {
        return Usage("--output: " + Display(folder) + " does not exist (the folder must be there already)");
    }
    if (ec) return Usage("--output: " + Display(folder) + " cannot be examined: " + ec.message());
    if (status.type() != fs::file_type::directory) return Usage("--output: " + Display(folder) + " is not a folder");
    return std::nullopt;
}

// The date and time the user did not type come from one reading of the clock,
// moved on by the lead time.
// `moment` is the instant the written date and time stand for: the camera's
// clock is right when it is switched on then.
std::optional<Failure> TakeClock(const Options& t, std::int32_t lead, const Clock& clock, SettingsSelection& sel,
                                 std::chrono::system_clock::time_point& moment) {
    if (t.date && t.time) return std::nullopt;
    const std::chrono::system_clock::time_point reading = clock.now() + std::chrono::seconds(lead);
    moment = std::chrono::floor<std::chrono::seconds>(reading);
    const DateTime now = clock.to_local(reading);
    if (CheckDateTime(sel, now, !t.date, !t.time)) {
        return Usage(std::string("this computer's clock") + (lead > 0 ? " plus --lead" : "") + " reads " +
                     DateText(now) + " " + TimeText(now) + ", which the device does not accept (" + YearsText() +
                     "); give --date and --time");
    }
    return std::nullopt;
}

// The card's top folder, or why there is none to write to.
std::optional<Failure> FindCard(const Volumes& volumes, fs::path& folder) {
    const CardChoice choice = ChooseCard(volumes);
    if (choice.card) {
        folder = *choice.card;
        return std::nullopt;
    }
    if (choice.candidates.empty()) {
        return Failure{kExitFile, "--card: found no mounted camera card; give the card's folder with -o"};
    }
    std::string found;
    for (const std::string& volume : choice.candidates) found += (found.empty() ? "" : ", ") + Display(volume);
    return Failure{kExitFile, "--card: found " + std::to_string(choice.candidates.size()) +
                                  " cards and wrote nothing (" + found + "); give the card's folder with -o"};
}

std::optional<Failure> Write(const Options& t, const Clock& clock, Console& console, const Volumes& volumes) {
    SettingsSelection sel = kInitialSelection;
    std::int32_t lead = 0;
    if (t.date)
        if (auto f = TakeDate(*t.date, sel)) return f;
    if (t.time)
        if (auto f = TakeTime(*t.time, sel)) return f;
    if (t.lead)
        if (auto f = TakeLead(*t.lead, lead)) return f;
    for (std::size_t i = 0; i < kChoiceCount; ++i) {
        if (t.choices[i])
            if (auto f = TakeChoice(kChoiceOptions[i], *t.choices[i], sel)) return f;
    }

    fs::path folder = t.output ? fs::path(*t.output) : fs::path(".");
    if (t.output)
        if (auto f = CheckOutputFolder(folder)) return f;
    std::chrono::system_clock::time_point moment;
    if (auto f = TakeClock(t, lead, clock, sel, moment)) return f;
    if (t.card)
        if (auto f = FindCard(volumes, folder)) return f;

    // Each part passed on its own; the whole selection goes through the same
    // checks once more, as the dialog's does.
    const Conversion conversion = ConvertSelection(sel);
    if (!conversion.faults.empty()) return Usage("the settings do not pass the device's checks");
    const DeviceSettings& settings = conversion.settings;

    if (t.to_stdout) {
        const SetFileBytes bytes = ToDiskBytes(EncodeSetRecord(settings));
        if (console.binary_out) console.binary_out();
        console.out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        console.out.flush();
        if (!console.out) return Failure{kExitFile, "could not write set.txt to standard output"};
        return std::nullopt;
    }

    const std::string target = Display(folder / kSetFileName);
    if (const std::optional<SettingsFault> fault = WriteSetFile(settings, folder)) {
        if (*fault == SettingsFault::FileWrite) {
            return Failure{kExitFile, "could not write " + target + "; any earlier set.txt there is unchanged"};
        }
        return Failure{kExitFile, "cannot create " + target + " (the folder or the file refuses writing)"};
    }
    console.out << "wrote " << target << ": " << Summary(settings) << '\n';
    if (t.countdown && !CountDown(moment, clock, console)) {
        return Failure{kExitInterrupted, "countdown stopped; " + target + " stays as written"};
    }
    return std::nullopt;
}

std::optional<Failure> Show(const std::string& given, Console& console) {
    fs::path file = given.empty() ? fs::path(".") : fs::path(given);
    std::error_code ec;
    if (fs::is_directory(file, ec)) file /= kSetFileName;
    const std::string shown = Display(file);

    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) return Failure{kExitFile, shown + ": no such file"};
    if (status.type() == fs::file_type::directory) return Failure{kExitFile, shown + ": is a folder, not a file"};
    std::ifstream in(file, std::ios::binary);
    if (!in) return Failure{kExitFile, shown + ": cannot be opened for reading"};
    std::vector<std::uint8_t> bytes(kMaxShowBytes + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return Failure{kExitFile, shown + ": could not be read"};
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxShowBytes) {
        return Failure{kExitFile, shown + ": is larger than 1 MiB; set.txt is " + std::to_string(kSetFileSize) +
                                      " bytes"};
    }

    const SetFileReading reading = ParseSetFile(bytes);
    if (reading.problem) {
        const SetFileProblem& p = *reading.problem;
        return Failure{kExitFile, shown + ": byte " + std::to_string(p.offset) + ", line " +
                                      std::to_string(p.line) + ": " + p.message};
    }
    const DeviceSettings& s = *reading.settings;
    console.out << shown << ": the device reads these settings\n"
                << "  date:        " << DateText(DateTimeOf(s)) << '\n'
                << "  time:        " << TimeText(DateTimeOf(s)) << '\n'
                << "  flip:        " << Said(SettingsListId::ImageFlip, s) << '\n'
                << "  length:      " << Said(SettingsListId::RecordLength, s) << '\n'
                << "  time-lapse:  " << Said(SettingsListId::Timelapse, s) << '\n'
                << "  audio:       " << Said(SettingsListId::RecordAudio, s) << '\n'
                << "  USB:         " << Said(SettingsListId::UsbMode, s) << '\n'
                << "  time stamp:  " << Said(SettingsListId::Timestamp, s) << '\n';
    return std::nullopt;
}

CLI::Option* AddValue(CLI::App& app, const char* name, std::optional<std::string>& target, const std::string& type,
                      const std::string& help) {
    return app.add_option_function<std::string>(
                  name, [&target](const std::string& v) { target = v; }, help)
        ->type_name(type);
}

}  // namespace

int Run(const std::vector<std::string>& args, const Clock& clock, Console& console, const Volumes& volumes) {
    CLI::App app(
        "Writes set.txt, the settings file of the video recorder, or checks an existing one.\n"
        "  halvo-set [OPTIONS]          write set.txt\n"
        "  halvo-set --show [PATH]      read a set.txt, check it, print its settings\n"
        "  halvo-set --help | --version",
        kProgram);
    app.set_help_flag("-h,--help", "Show this help and exit");
    app.set_version_flag("--version", std::string(kProgram) + " " + HALVO_VERSION, "Show the version and exit");
    app.footer(
        "Each value, and a clock reading, is checked as the settings dialog checks\n"
        "it (" + YearsText() + "); nothing is written when one is refused.\n"
        "\n"
        "Exit status: 0 done; 1 set.txt could not be written, or the file given to\n"
        "--show could not be read or is not sound; 2 a malformed command line or a\n"
        "refused value (a missing --output folder counts as one); 130 the countdown\n"
        "was stopped with Ctrl-C (set.txt is written).");

    Options t;
    AddValue(app, "--date", t.date, "YYYY-MM-DD",
             "Date, " + FirstDate() + " to " + LastDate() + "\n[default: this computer's clock now]");
    AddValue(app, "--time", t.time, "HH:MM:SS",
             "Time, " + FirstTime() + " to " + LastTime() + "\n[default: this computer's clock now]");
    AddValue(app, "--lead", t.lead, "SECONDS",
             "0 to " + std::to_string(kMaxLeadSeconds) + " seconds added to the clock reading, so that the\n"
             "device can be switched on that much later and still be right;\n"
             "not with --date or --time [default: 0]");
    for (std::size_t i = 0; i < kChoiceCount; ++i) {
        const ChoiceOption& option = kChoiceOptions[i];
        AddValue(app, option.name, t.choices[i], OptionWords(ListOf(option.list), "|"), ChoiceHelp(option));
    }
    AddValue(app, "-o,--output", t.output, "DIR",
             "Folder to write set.txt into, e.g. the device's card; it\n"
             "must exist already [default: the current folder]");
    app.add_flag("--card", t.card,
                 "Write set.txt into the top folder of the camera's card: the\n"
                 "one mounted removable volume (of several, the one holding\n"
                 "DCIM or set.txt); not with --output or --stdout");
    app.add_flag("--countdown", t.countdown,
                 "After writing, count the seconds down to the time written\n"
                 "and say when to switch the camera on, so that its clock\n"
                 "starts right; Ctrl-C stops it. Not with --date or --time");
    app.add_flag("--stdout", t.to_stdout,
                 "Write the " + std::to_string(kSetFileSize) + " bytes of set.txt to standard output\ninstead of a file");
    app.add_option_function<std::string>(
           "--show", [&t](const std::string& v) { t.show = v; },
           "Read PATH (a set.txt, or a folder holding one), check it\n"
           "and print its settings; exit 1 if the device would not\n"
           "read it as written [default PATH: ./set.txt]")
        ->expected(0, 1)
        ->type_name("[PATH]");
    // Unknown words are reported by the code below, in the order typed.
    app.allow_extras();

    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
        // A bare --show calls no function; its count still tells.
        if (!t.show && app.count("--show") > 0) t.show = std::string();
        const std::vector<std::string> extras = app.remaining();
        if (!extras.empty()) {
            const std::string& first = extras.front();
            console.err << kProgram << ": "
                        << (first.size() > 1 && first[0] == '-' && first != "--" ? first + " is not an option"
                                                                : "unexpected argument " + first)
                        << " (see halvo-set --help)\n";
            return kExitUsage;
        }

        std::optional<Failure> failure = CheckCombinations(t);
        if (!failure) failure = t.show ? Show(*t.show, console) : Write(t, clock, console, volumes);
        if (failure) {
            console.err << kProgram << ": " << failure->message << '\n';
            return failure->status;
        }
        return kExitOk;
    } catch (const CLI::CallForHelp&) {
        const std::string help = app.help();
        console.out << help << (help.ends_with('\n') ? "" : "\n");
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        console.out << e.what() << '\n';
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        console.err << kProgram << ": " << e.what() << " (see halvo-set --help)\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        // A path the system cannot represent, memory: still one clear line.
        console.err << kProgram << ": " << e.what() << '\n';
        return kExitFile;
    }
}

}  // namespace halvo::cli
