#include "halvo_set.h"

#include "card.h"
#include "countdown.h"
#include "options.h"
#include "words.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
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
#include "halvo/camera_clock.h"
#include "halvo/device_settings.h"
#include "halvo/set_file.h"
#include "halvo/set_file_reader.h"
#include "halvo/set_file_writer.h"
#include "halvo/settings_lists.h"

#ifndef HALVO_VERSION
#error "HALVO_VERSION must be defined by the build"
#endif

namespace halvo::cli {
namespace {

namespace fs = std::filesystem;
using O = OptionId;

constexpr char kProgram[] = "halvo-set";
// Where every refused command line points to.
constexpr char kHelpHint[] = " (see halvo-set --help)";
// --show refuses to read more than this; set.txt is a few hundred bytes, and
// pointing it at a video by mistake should not read gigabytes.
constexpr std::size_t kMaxShowBytes = 1 << 20;

// What each exit status means, for --help.
struct ExitMeaning {
    int status;
    const char* meaning;
};
constexpr ExitMeaning kExitMeanings[] = {
    {kExitOk, "done"},
    {kExitFile, "set.txt could not be written, or the file given to --show could not be read or is not valid"},
    {kExitUsage, "a malformed command line or a refused value (a missing --output folder counts as one)"},
    {kExitInterrupted, "the countdown was stopped with Ctrl-C (set.txt is written)"},
};

// What went wrong, and which exit status it earns.
struct Failure {
    int status;
    std::string message;
};

Failure Usage(std::string message) { return {kExitUsage, std::move(message)}; }

// A path for messages: absolute, so that the user sees which card was meant.
std::string Display(const fs::path& p) {
    std::error_code ec;
    fs::path shown = fs::absolute(p, ec);
    if (ec) shown = p;
    return shown.lexically_normal().string();
}

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

// The first failed check of settings among the lists first … last.
std::optional<FailedCheck> FirstFault(const DeviceSettings& settings, SettingsListId first, SettingsListId last) {
    for (const FailedCheck& check : CheckSettings(settings))
        if (check.list >= first && check.list <= last) return check;
    return std::nullopt;
}

// Why a date or time value is refused, in words: "the months are 01 to 12", "day 31 of month 4".
std::string Why(const FailedCheck& check, const DeviceSettings& settings) {
    if (check.reason == FaultReason::NoSuchDay) {
        return "day " + std::to_string(settings.day) + " of month " + std::to_string(settings.month) +
               (settings.month == 2 && settings.day == 29 ? "; " + std::to_string(settings.year) + " is not a leap year"
                                                          : "");
    }
    const SettingsList& list = ListOf(check.list);
    return std::string("the ") + list.name + "s are " + Pad2(list.numbers->first) + " to " + Pad2(list.numbers->last);
}

// The date or the time as typed: three groups of digits for three lists in a row.
struct ClockPart {
    OptionId option;
    const char* what;                   // "date", "time"
    char separator;                     // between the groups
    std::array<std::size_t, 3> widths;  // the groups' digits
    SettingsListId first;               // the list of the first group
};
constexpr ClockPart kDate{O::Date, "date", '-', {4, 2, 2}, SettingsListId::Year};
constexpr ClockPart kTime{O::Time, "time", ':', {2, 2, 2}, SettingsListId::Hour};

std::optional<Failure> TakeClockPart(const ClockPart& part, const std::string& text, DeviceSettings& settings) {
    const std::string name = LongName(part.option);
    const auto groups = ParseGroups<3>(text, part.separator, part.widths);
    if (!groups) return Usage(name + ": " + Typed(text) + " is not a " + part.what + " in the form " + OptionOf(part.option).value);
    DeviceSettings typed = settings;
    const auto first = static_cast<std::size_t>(part.first);
    for (std::size_t i = 0; i < groups->size(); ++i) typed.*kSettingsLists[first + i].field = (*groups)[i];
    const auto last = static_cast<SettingsListId>(first + groups->size() - 1);
    if (const auto failed = FirstFault(typed, part.first, last)) {
        return Usage(name + ": " + text + " is not a " + part.what + " the device accepts (" + Why(*failed, typed) +
                     ")");
    }
    settings = typed;
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

// Sets the entry of a list that halvo-set's word names.
std::optional<Failure> TakeChoice(OptionId option, const std::string& text, DeviceSettings& settings) {
    const SettingsList& list = ListOf(*OptionOf(option).list);
    for (std::int32_t at = 0; at < list.Size(); ++at) {
        if (text == list.Entry(at).option) {
            SetPosition(list, at, settings);
            return std::nullopt;
        }
    }
    return Usage(LongName(option) + ": " + Typed(text) + " is not one of " + OptionWords(list, ", "));
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

// How the clock reading becomes the written time: moved on by the lead and the
// camera's start-up correction, in a zone of the user's choosing.
struct ClockPlan {
    std::int32_t lead = 0;
    std::int32_t correctionTenths = 0;
    std::optional<std::string> zone;  // none: this computer's
};

// "-1.5", "2", "+0.3": seconds in tenths at most, within the correction's bounds.
std::optional<Failure> TakeCorrection(const std::string& text, std::int32_t& tenths) {
    std::size_t at = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
    const std::string tenth = dot == std::string::npos ? "0" : text.substr(dot + 1);
    const auto digits = [](const std::string& d, std::size_t most) {
        return !d.empty() && d.size() <= most && std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (digits(whole, 2) && digits(tenth, 1)) {
        tenths = (std::stoi(whole) * 10 + std::stoi(tenth)) * (text[0] == '-' ? -1 : 1);
        if (tenths >= -kMaxCorrectionTenths && tenths <= kMaxCorrectionTenths) return std::nullopt;
    }
    const std::string most = std::to_string(kMaxCorrectionTenths / 10);
    return Usage("--correction: " + Typed(text) + " is not a number of seconds from -" + most + " to " + most +
                 ", in tenths at most");
}

std::optional<Failure> TakeZone(const std::string& name, const Clock& clock, std::int64_t at) {
    if (clock.offset_at && clock.offset_at(name, at)) return std::nullopt;
    return Usage("--zone: " + Typed(name) + " is not a time zone this computer knows (UTC, or a name such as "
                 "Europe/Berlin; on Windows only UTC)");
}

// The date and time the user did not type come from one reading of the clock,
// moved on by the lead and the correction. `moment` is when to switch the
// camera on: its clock is right once it has started up; `written` the instant
// of the second in the file.
std::optional<Failure> TakeClock(const Given& given, const ClockPlan& plan, const Clock& clock,
                                 DeviceSettings& settings, std::chrono::system_clock::time_point& moment,
                                 std::chrono::system_clock::time_point& written) {
    using std::chrono::milliseconds;
    if (given.Has(O::Date) && given.Has(O::Time)) return std::nullopt;
    const std::int64_t readingMs =
        std::chrono::floor<milliseconds>(clock.now()).time_since_epoch().count();
    const WrittenTime time = TimeToWrite(readingMs, plan.lead, plan.correctionTenths);
    moment = std::chrono::system_clock::time_point(milliseconds(time.switchOnMs));
    written = std::chrono::system_clock::time_point(milliseconds(time.fileSecondMs));
    const std::int64_t second = time.fileSecondMs / kMsPerSecond;
    if (plan.zone)
        if (auto f = TakeZone(*plan.zone, clock, second)) return f;
    const DateTime now = plan.zone ? CivilFromSeconds(second + *clock.offset_at(plan.zone, second))
                                   : clock.to_local(written);
    DeviceSettings read = settings;
    DateTime merged = DateTimeOf(read);
    if (!given.Has(O::Date)) merged.year = now.year, merged.month = now.month, merged.day = now.day;
    if (!given.Has(O::Time)) merged.hour = now.hour, merged.minute = now.minute, merged.second = now.second;
    SetDateTime(read, merged);
    if (const auto failed = FirstFault(read, SettingsListId::Year, SettingsListId::Second)) {
        return Usage(std::string("this computer's clock") +
                     (plan.lead > 0 ? " plus " + std::to_string(plan.lead) + " s" : "") + " reads " + DateText(now) +
                     " " + TimeText(now) + ", which the device does not accept (" + Why(*failed, read) +
                     "); give --date and --time");
    }
    settings = read;
    return std::nullopt;
}

// The zone's next change of summer time after the written second, which the camera will not follow; none without.
std::optional<std::string> ZoneNote(const ClockPlan& plan, const Clock& clock,
                                    std::chrono::system_clock::time_point written) {
    if (!clock.offset_at) return std::nullopt;
    const std::int64_t from = std::chrono::floor<std::chrono::seconds>(written).time_since_epoch().count();
    if (!clock.offset_at(plan.zone, from)) return std::nullopt;
    const auto change = NextZoneChange(from, [&](std::int64_t at) { return clock.offset_at(plan.zone, at).value_or(0); });
    if (!change) return std::nullopt;
    return ZoneChangeText(DescribeZoneChange(*change));
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

std::optional<Failure> Write(const Given& given, const Clock& clock, Console& console, const Volumes& volumes) {
    DeviceSettings settings = kInitialValues;
    ClockPlan plan;
    // A countdown without a lead leaves time to put the card in and switch on.
    plan.lead = given.Has(O::Countdown) ? kDefaultLeadSeconds : 0;
    for (const ClockPart& part : {kDate, kTime}) {
        if (given.Has(part.option))
            if (auto f = TakeClockPart(part, given.Value(part.option), settings)) return f;
    }
    if (given.Has(O::Lead))
        if (auto f = TakeLead(given.Value(O::Lead), plan.lead)) return f;
    if (given.Has(O::Correction))
        if (auto f = TakeCorrection(given.Value(O::Correction), plan.correctionTenths)) return f;
    if (given.Has(O::Zone)) plan.zone = given.Value(O::Zone);
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        const auto option = static_cast<OptionId>(i);
        if (OptionOf(option).list && given.Has(option))
            if (auto f = TakeChoice(option, given.Value(option), settings)) return f;
    }

    fs::path folder = given.Has(O::Output) ? fs::path(given.Value(O::Output)) : fs::path(".");
    if (given.Has(O::Output))
        if (auto f = CheckOutputFolder(folder)) return f;
    std::chrono::system_clock::time_point moment, written;
    if (auto f = TakeClock(given, plan, clock, settings, moment, written)) return f;
    const bool fromClock = !(given.Has(O::Date) && given.Has(O::Time));
    const std::optional<std::string> note = fromClock ? ZoneNote(plan, clock, written) : std::nullopt;
    if (given.Has(O::Card))
        if (auto f = FindCard(volumes, folder)) return f;

    // Each part passed on its own; the whole goes through the checks once more, as the dialog's does.
    if (!CheckSettings(settings).empty()) return Usage("the settings do not pass the device's checks");

    if (given.Has(O::Stdout)) {
        const SetFileBytes bytes = ToDiskBytes(EncodeSetRecord(settings));
        if (console.binary_out) console.binary_out();
        console.out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        console.out.flush();
        if (!console.out) return Failure{kExitFile, std::string("could not write ") + kSetFileName + " to standard output"};
        if (note) console.err << *note << '\n';
        return std::nullopt;
    }

    const std::string target = Display(folder / kSetFileName);
    if (const std::optional<WriteFailure> failure = WriteSetFile(settings, folder)) {
        return Failure{kExitFile, FailureText(target, *failure)};
    }
    console.out << "wrote " << target << ": " << Summary(settings) << '\n';
    if (note) console.out << *note << '\n';
    if (given.Has(O::Countdown) && !CountDown(moment, clock, console)) {
        return Failure{kExitInterrupted, "countdown stopped; " + target + " stays as written"};
    }
    return std::nullopt;
}

// The most bytes --show reads, in words.
std::string MaxShowText() { return std::to_string(kMaxShowBytes >> 20) + " MiB"; }
static_assert(kMaxShowBytes % (1 << 20) == 0);

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
        return Failure{kExitFile, shown + ": is larger than " + MaxShowText() + "; " + kSetFileName + " is " +
                                      std::to_string(kSetFileSize) + " bytes"};
    }

    const SetFileReading reading = ParseSetFile(bytes);
    if (reading.problem) {
        const SetFileProblem& p = *reading.problem;
        return Failure{kExitFile, shown + ": byte " + std::to_string(p.offset) + ", line " +
                                      std::to_string(p.line) + ": " + p.message};
    }
    console.out << shown << ": the device reads these settings\n" << Listing(*reading.settings);
    return std::nullopt;
}

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

std::string Footer() {
    constexpr std::size_t kWidth = 76;
    std::string exits = "Exit status:";
    for (const ExitMeaning& exit : kExitMeanings) {
        exits += std::string(&exit == kExitMeanings ? " " : "; ") + std::to_string(exit.status) + " " + exit.meaning;
    }
    return Wrapped("Each value, and a clock reading, is checked as the settings dialog checks it (the years are " +
                       std::to_string(FirstDateTime().year) + " to " + std::to_string(LastDateTime().year) +
                       "); nothing is written when one is refused.",
                   kWidth) +
           "\n\n" + Wrapped(exits + ".", kWidth);
}

// Words CLI11 left over: the first is named, as typed.
std::string Unexpected(const std::string& first) {
    return first.size() > 1 && first[0] == '-' && first != "--" ? first + " is not an option"
                                                                : "unexpected argument " + first;
}

}  // namespace

int Run(const std::vector<std::string>& args, const Clock& clock, Console& console, const Volumes& volumes) {
    CLI::App app("Writes set.txt, the settings file of the video recorder, or checks an existing one.", kProgram);
    app.formatter(std::make_shared<HelpFormatter>());
    app.set_help_flag("-h,--help", "Show this help and exit");
    app.set_version_flag("--version", std::string(kProgram) + " " + HALVO_VERSION, "Show the version and exit");
    app.footer(Footer());
    Given given;
    AddOptions(app, given);
    // Unknown words are reported below, in the order typed.
    app.allow_extras();

    std::optional<Failure> failure;
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
        TakeBareOptions(app, given);
        if (!app.remaining().empty()) {
            failure = Usage(Unexpected(app.remaining().front()) + kHelpHint);
        } else if (const std::optional<std::string> conflict = Conflict(given)) {
            failure = Usage(*conflict);
        } else {
            failure = given.Has(O::Show) ? Show(given.Value(O::Show), console) : Write(given, clock, console, volumes);
        }
    } catch (const CLI::CallForHelp&) {
        const std::string help = app.help();
        console.out << help << (help.ends_with('\n') ? "" : "\n");
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        console.out << e.what() << '\n';
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        failure = Usage(e.what() + std::string(kHelpHint));
    } catch (const std::exception& e) {
        // A path the system cannot represent, memory: still one clear line.
        failure = Failure{kExitFile, e.what()};
    }
    if (!failure) return kExitOk;
    console.err << kProgram << ": " << failure->message << '\n';
    return failure->status;
}

}  // namespace halvo::cli
