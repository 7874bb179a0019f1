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
// --show refuses to read more than this; set.txt is 282 bytes, and pointing
// it at a video by mistake should not read gigabytes.
constexpr std::size_t kMaxShowBytes = 1 << 20;

struct Choice {
    std::string_view word;
    std::int32_t position;  // in the dialog's list
};

// The words of each option, in the order --help and the error messages list
// them, with the dialog list position each one selects.
constexpr Choice kFlip[] = {{"on", 1}, {"off", 0}};
constexpr Choice kLength[] = {{"1", 0}, {"2", 1}, {"3", 2}, {"5", 3}};
constexpr Choice kTimelapse[] = {{"off", 3}, {"2", 0}, {"5", 1}, {"10", 2}};
constexpr Choice kAudio[] = {{"on", 1}, {"off", 0}};
constexpr Choice kUsb[] = {{"storage", 0}, {"video", 1}};
constexpr Choice kTimestamp[] = {{"on", 1}, {"off", 0}};

std::string Words(std::span<const Choice> choices) {
    std::string out;
    for (const Choice& c : choices) {
        if (!out.empty()) out += ", ";
        out += c.word;
    }
    return out;
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
    static constexpr const char* kSeconds[] = {"2 s", "5 s", "10 s"};
    return kSeconds[std::clamp(s.timelapseInterval, 0, 2)];
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
    SettingsSelection probe = kInitialSelection;
    probe.year = year - 2021;
    probe.month = month - 1;
    probe.day = day - 1;
    if (!ConvertSelection(probe).faults.empty()) {
        std::string why;
        if (year < 2021 || year > 2050) {
            why = "the years are 2021 to 2050";
        } else if (month < 1 || month > 12) {
            why = "there is no month " + std::to_string(month);
        } else if (day < 1 || day > 31) {
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
    SettingsSelection probe = kInitialSelection;
    probe.hour = hour;
    probe.minute = minute;
    probe.second = second;
    if (!ConvertSelection(probe).faults.empty()) {
        const char* why = hour > 23     ? "hours are 00 to 23"
                          : minute > 59 ? "minutes are 00 to 59"
                                        : "seconds are 00 to 59";
        return Usage("--time: " + text + " is not a time the device accepts (" + why + ")");
    }
    sel.hour = hour;
    sel.minute = minute;
    sel.second = second;
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
    return Usage(std::string(option) + ": " + Typed(text) + " is not one of " + Words(choices));
}

// Every option of the command line as typed; empty optionals were not given.
struct Options {
    std::optional<std::string> date, time, lead, flip, length, timelapse, audio, usb, timestamp, output, show;
    bool to_stdout = false;
};

std::optional<Failure> CheckCombinations(const Options& t) {
    if (t.show) {
        const std::pair<const char*, bool> writing[] = {
            {"--date", t.date.has_value()},     {"--time", t.time.has_value()},
            {"--lead", t.lead.has_value()},     {"--flip", t.flip.has_value()},
            {"--length", t.length.has_value()}, {"--timelapse", t.timelapse.has_value()},
            {"--audio", t.audio.has_value()},   {"--usb", t.usb.has_value()},
            {"--timestamp", t.timestamp.has_value()}, {"--output", t.output.has_value()},
            {"--stdout", t.to_stdout},
        };
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
    const LocalDateTime now = clock.to_local(clock.now() + std::chrono::seconds(lead));
    SettingsSelection probe = kInitialSelection;
    if (!t.date) {
        probe.year = now.year - 2021;
        probe.month = now.month - 1;
        probe.day = now.day - 1;
    }
    if (!t.time) {
        probe.hour = now.hour;
        probe.minute = now.minute;
        probe.second = now.second;
    }
    if (!ConvertSelection(probe).faults.empty()) {
        const DeviceSettings reading{now.year, now.month, now.day, now.hour, now.minute, now.second};
        return Usage(std::string("this computer's clock") + (lead > 0 ? " plus --lead" : "") + " reads " +
                     DateText(reading) + " " + TimeText(reading) +
                     ", which the device does not accept (the years are 2021 to 2050); give --date and --time");
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
    if (t.flip)
        if (auto f = TakeChoice("--flip", *t.flip, kFlip, sel.imageFlip)) return f;
    if (t.length)
        if (auto f = TakeChoice("--length", *t.length, kLength, sel.recordLength)) return f;
    if (t.timelapse)
        if (auto f = TakeChoice("--timelapse", *t.timelapse, kTimelapse, sel.timelapse)) return f;
    if (t.audio)
        if (auto f = TakeChoice("--audio", *t.audio, kAudio, sel.recordAudio)) return f;
    if (t.usb)
        if (auto f = TakeChoice("--usb", *t.usb, kUsb, sel.usbMode)) return f;
    if (t.timestamp)
        if (auto f = TakeChoice("--timestamp", *t.timestamp, kTimestamp, sel.timestamp)) return f;

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

CLI::Option* AddValue(CLI::App& app, const char* name, std::optional<std::string>& target, const char* type,
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
        "it (the years are 2021 to 2050); nothing is written when one is refused.\n"
        "\n"
        "Exit status: 0 done; 1 set.txt could not be written, or the file given to\n"
        "--show could not be read or is not sound; 2 a malformed command line or a\n"
        "refused value (a missing --output folder counts as one).");

    Options t;
    AddValue(app, "--date", t.date, "YYYY-MM-DD",
             "Date, 2021-01-01 to 2050-12-31\n[default: this computer's clock now]");
    AddValue(app, "--time", t.time, "HH:MM:SS", "Time, 00:00:00 to 23:59:59\n[default: this computer's clock now]");
    AddValue(app, "--lead", t.lead, "SECONDS",
             "0 to 3600 seconds added to the clock reading, so that the\n"
             "device can be switched on that much later and still be right;\n"
             "not with --date or --time [default: 0]");
    AddValue(app, "--flip", t.flip, "on|off", "Image flip [default: off]");
    AddValue(app, "--length", t.length, "1|2|3|5", "Length of one recording, in minutes [default: 2]");
    AddValue(app, "--timelapse", t.timelapse, "off|2|5|10",
             "Time-lapse recording: off, or its interval in seconds\n[default: off]");
    AddValue(app, "--audio", t.audio, "on|off", "Record sound [default: on]");
    AddValue(app, "--usb", t.usb, "storage|video",
             "What the device is over USB: a storage device or a video\ndevice [default: storage]");
    AddValue(app, "--timestamp", t.timestamp, "on|off", "Time stamp in the picture [default: on]");
    AddValue(app, "-o,--output", t.output, "DIR",
             "Folder to write set.txt into, e.g. the device's card; it\n"
             "must exist already [default: the current folder]");
    app.add_flag("--stdout", t.to_stdout, "Write the 282 bytes of set.txt to standard output\ninstead of a file");
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
