#include "halvo_set.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "halvo/calendar.h"
#include "halvo/device_settings.h"
#include "halvo/set_file.h"
#include "halvo/set_file_reader.h"

#ifndef HALVO_VERSION
#error "HALVO_VERSION must be defined by the build"
#endif

namespace halvo::cli {
namespace {

namespace fs = std::filesystem;

constexpr char kProgram[] = "halvo-set";
constexpr std::int32_t kMaxLeadSeconds = 3600;
// --show refuses to read more than this; set.txt is a few hundred bytes, and
// pointing it at a video by mistake should not read gigabytes.
constexpr std::size_t kMaxShowBytes = 1 << 20;

struct Choice {
    std::string_view word;
    std::int32_t position;  // in the dialog's list
};

// The words of each option, in the order --help and the error messages list
// them, with the dialog list position each one selects.
constexpr Choice kOnOff[] = {{"on", 1}, {"off", 0}};
constexpr Choice kLength[] = {{"1", 0}, {"2", 1}, {"3", 2}, {"5", 3}};
constexpr Choice kTimelapse[] = {{"off", 3}, {"2", 0}, {"5", 1}, {"10", 2}};
constexpr Choice kUsb[] = {{"storage", 0}, {"video", 1}};

// An option that picks one entry of one of the dialog's lists.
struct ChoiceOption {
    const char* name;
    std::span<const Choice> values;
    const char* help;  // --help adds the default, taken from the dialog's initial selection
    std::int32_t SettingsSelection::*field;
};

// In the order --help lists them and they are checked.
constexpr ChoiceOption kChoiceOptions[] = {
    {"--flip", kOnOff, "Image flip", &SettingsSelection::imageFlip},
    {"--length", kLength, "Length of one recording, in minutes", &SettingsSelection::recordLength},
    {"--timelapse", kTimelapse, "Time-lapse recording: off, or its interval in seconds\n",
     &SettingsSelection::timelapse},
    {"--audio", kOnOff, "Record sound", &SettingsSelection::recordAudio},
    {"--usb", kUsb, "What the device is over USB: a storage device or a video\ndevice", &SettingsSelection::usbMode},
    {"--timestamp", kOnOff, "Time stamp in the picture", &SettingsSelection::timestamp},
};
constexpr std::size_t kChoiceCount = std::size(kChoiceOptions);

std::string Words(std::span<const Choice> choices, const char* separator) {
    std::string out;
    for (const Choice& c : choices) {
        if (!out.empty()) out += separator;
        out += c.word;
    }
    return out;
}

std::string ChoiceHelp(const ChoiceOption& option) {
    std::string help = option.help;
    if (!help.ends_with('\n')) help += ' ';
    for (const Choice& c : option.values)
        if (c.position == kInitialSelection.*option.field) help += "[default: " + std::string(c.word) + "]";
    return help;
}

std::string Pad2(std::int32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(v));
    return text;
}

std::string DateText(const DeviceSettings& s) {
    return std::to_string(s.year) + "-" + Pad2(s.month) + "-" + Pad2(s.day);
}
std::string TimeText(const DeviceSettings& s) {
    return Pad2(s.hour) + ":" + Pad2(s.minute) + ":" + Pad2(s.second);
}
std::string OnOff(std::int32_t v) { return v != 0 ? "on" : "off"; }
std::string TimelapseText(const DeviceSettings& s) {
    if (s.timelapseOn == 0) return "off";
    static constexpr const char* kSeconds[kTimelapseIntervals] = {"2 s", "5 s", "10 s"};
    return kSeconds[std::clamp(s.timelapseInterval, 0, kTimelapseIntervals - 1)];
}
std::string UsbText(const DeviceSettings& s) { return s.usbMode != 0 ? "video" : "storage"; }

// The settings in plain words, in the order of the file.
std::string Summary(const DeviceSettings& s) {
    return DateText(s) + " " + TimeText(s) + ", flip " + OnOff(s.imageFlip) + ", " +
           std::to_string(s.recordMinutes) + " min, time-lapse " + TimelapseText(s) + ", audio " +
           OnOff(s.recordAudio) + ", USB " + UsbText(s) + ", time stamp " + OnOff(s.timestamp);
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

// The user's typed values become list positions and pass through the same
// ConvertSelection the dialog uses; the explanation only says why.
std::optional<Failure> TakeDate(const std::string& text, SettingsSelection& sel) {
    const auto parts = ParseGroups<3>(text, '-', {4, 2, 2});
    if (!parts) return Usage("--date: " + Typed(text) + " is not a date in the form YYYY-MM-DD");
    const auto [year, month, day] = *parts;
    const DatePositions at = PositionsFromClock({year, month, day, 0, 0, 0});
    SettingsSelection probe = kInitialSelection;
    probe.year = at.year;
    probe.month = at.month;
    probe.day = at.day;
    if (!ConvertSelection(probe).faults.empty()) {
        std::string why;
        if (at.year < 0) {
            why = YearsText();
        } else if (at.month < 0) {
            why = "there is no month " + std::to_string(month);
        } else if (at.day < 0) {
            why = "there is no day " + std::to_string(day);
        } else {
            why = "day " + std::to_string(day) + " of month " + std::to_string(month);
        }
        return Usage("--date: " + text + " is not a date the device accepts (" + why + ")");
    }
    sel.year = probe.year;
    sel.month = probe.month;
    sel.day = probe.day;
    return std::nullopt;
}

std::optional<Failure> TakeTime(const std::string& text, SettingsSelection& sel) {
    const auto parts = ParseGroups<3>(text, ':', {2, 2, 2});
    if (!parts) return Usage("--time: " + Typed(text) + " is not a time in the form HH:MM:SS");
    const auto [hour, minute, second] = *parts;
    const DatePositions at = PositionsFromClock({kFirstYear, kMonthRange.first, kDayRange.first, hour, minute, second});
    SettingsSelection probe = kInitialSelection;
    probe.hour = at.hour;
    probe.minute = at.minute;
    probe.second = at.second;
    if (!ConvertSelection(probe).faults.empty()) {
        const auto range = [](const char* unit, const ValueRange& r) {
            return std::string(unit) + " are " + Pad2(r.first) + " to " + Pad2(r.last);
        };
        const std::string why = at.hour < 0     ? range("hours", kHourRange)
                                : at.minute < 0 ? range("minutes", kMinuteRange)
                                                : range("seconds", kSecondRange);
        return Usage("--time: " + text + " is not a time the device accepts (" + why + ")");
    }
    sel.hour = probe.hour;
    sel.minute = probe.minute;
    sel.second = probe.second;
    return std::nullopt;
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

std::optional<Failure> TakeChoice(const char* option, const std::string& text, std::span<const Choice> choices,
                                  std::int32_t& position) {
    for (const Choice& c : choices) {
        if (text == c.word) {
            position = c.position;
            return std::nullopt;
        }
    }
    return Usage(std::string(option) + ": " + Typed(text) + " is not one of " + Words(choices, ", "));
}

// Every option of the command line as typed; empty optionals were not given.
struct Options {
    std::optional<std::string> date, time, lead, output, show;
    std::array<std::optional<std::string>, kChoiceCount> choices;  // as kChoiceOptions
    bool to_stdout = false;
};

std::optional<Failure> CheckCombinations(const Options& t) {
    if (t.show) {
        std::vector<std::pair<const char*, bool>> writing = {
            {"--date", t.date.has_value()}, {"--time", t.time.has_value()}, {"--lead", t.lead.has_value()}};
        for (std::size_t i = 0; i < kChoiceCount; ++i)
            writing.emplace_back(kChoiceOptions[i].name, t.choices[i].has_value());
        writing.emplace_back("--output", t.output.has_value());
        writing.emplace_back("--stdout", t.to_stdout);
        for (const auto& [name, given] : writing) {
            if (given) return Usage(std::string("--show: only reads a file; it does not go with ") + name);
        }
    }
    if (t.to_stdout && t.output) return Usage("--stdout: writes no file, so it does not go with --output");
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
std::optional<Failure> TakeClock(const Options& t, std::int32_t lead, const Clock& clock, SettingsSelection& sel) {
    if (t.date && t.time) return std::nullopt;
    const LocalClock now = clock.to_local(clock.now() + std::chrono::seconds(lead));
    const DatePositions at = PositionsFromClock(now);
    SettingsSelection probe = kInitialSelection;
    if (!t.date) {
        probe.year = at.year;
        probe.month = at.month;
        probe.day = at.day;
    }
    if (!t.time) {
        probe.hour = at.hour;
        probe.minute = at.minute;
        probe.second = at.second;
    }
    if (!ConvertSelection(probe).faults.empty()) {
        const DeviceSettings reading{now.year, now.month, now.day, now.hour, now.minute, now.second};
        return Usage(std::string("this computer's clock") + (lead > 0 ? " plus --lead" : "") + " reads " +
                     DateText(reading) + " " + TimeText(reading) +
                     ", which the device does not accept (" + YearsText() + "); give --date and --time");
    }
    if (!t.date) {
        sel.year = probe.year;
        sel.month = probe.month;
        sel.day = probe.day;
    }
    if (!t.time) {
        sel.hour = probe.hour;
        sel.minute = probe.minute;
        sel.second = probe.second;
    }
    return std::nullopt;
}

std::optional<Failure> Write(const Options& t, const Clock& clock, Console& console) {
    SettingsSelection sel = kInitialSelection;
    std::int32_t lead = 0;
    if (t.date)
        if (auto f = TakeDate(*t.date, sel)) return f;
    if (t.time)
        if (auto f = TakeTime(*t.time, sel)) return f;
    if (t.lead)
        if (auto f = TakeLead(*t.lead, lead)) return f;
    for (std::size_t i = 0; i < kChoiceCount; ++i) {
        const ChoiceOption& option = kChoiceOptions[i];
        if (t.choices[i])
            if (auto f = TakeChoice(option.name, *t.choices[i], option.values, sel.*option.field)) return f;
    }

    const fs::path folder = t.output ? fs::path(*t.output) : fs::path(".");
    if (t.output)
        if (auto f = CheckOutputFolder(folder)) return f;
    if (auto f = TakeClock(t, lead, clock, sel)) return f;

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
                << "  date:        " << DateText(s) << '\n'
                << "  time:        " << TimeText(s) << '\n'
                << "  flip:        " << OnOff(s.imageFlip) << '\n'
                << "  length:      " << s.recordMinutes << " min\n"
                << "  time-lapse:  " << TimelapseText(s) << '\n'
                << "  audio:       " << OnOff(s.recordAudio) << '\n'
                << "  USB:         " << UsbText(s) << '\n'
                << "  time stamp:  " << OnOff(s.timestamp) << '\n';
    return std::nullopt;
}

CLI::Option* AddValue(CLI::App& app, const char* name, std::optional<std::string>& target, const std::string& type,
                      const std::string& help) {
    return app.add_option_function<std::string>(
                  name, [&target](const std::string& v) { target = v; }, help)
        ->type_name(type);
}

}  // namespace

int Run(const std::vector<std::string>& args, const Clock& clock, Console& console) {
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
        "refused value (a missing --output folder counts as one).");

    Options t;
    AddValue(app, "--date", t.date, "YYYY-MM-DD",
             "Date, " + FirstDate() + " to " + LastDate() + "\n[default: this computer's clock now]");
    AddValue(app, "--time", t.time, "HH:MM:SS",
             "Time, " + FirstTime() + " to " + LastTime() + "\n[default: this computer's clock now]");
    AddValue(app, "--lead", t.lead, "SECONDS",
             "0 to 3600 seconds added to the clock reading, so that the\n"
             "device can be switched on that much later and still be right;\n"
             "not with --date or --time [default: 0]");
    for (std::size_t i = 0; i < kChoiceCount; ++i) {
        const ChoiceOption& option = kChoiceOptions[i];
        AddValue(app, option.name, t.choices[i], Words(option.values, "|"), ChoiceHelp(option));
    }
    AddValue(app, "-o,--output", t.output, "DIR",
             "Folder to write set.txt into, e.g. the device's card; it\n"
             "must exist already [default: the current folder]");
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
        if (!failure) failure = t.show ? Show(*t.show, console) : Write(t, clock, console);
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
