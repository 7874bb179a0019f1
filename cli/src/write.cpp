#include "write.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "card.h"
#include "clock_plan.h"
#include "countdown.h"
#include "halvo/device_settings.h"
#include "halvo/set_file.h"
#include "halvo/set_file_writer.h"
#include "halvo/settings_lists.h"
#include "words.h"

namespace halvo::cli {
namespace {

namespace fs = std::filesystem;
using O = OptionId;

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

// The option that picks a list's entry.
std::optional<OptionId> OptionOfList(SettingsListId list) {
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        const auto option = static_cast<OptionId>(i);
        if (OptionOf(option).list == list) return option;
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

// The one check of the settings: the first failed check, named by the option
// that set its value (the day's own list first where the month lacks it).
std::optional<Failure> Check(const DeviceSettings& settings, const Given& given, const ClockPlan& plan,
                             const std::optional<ClockReading>& reading) {
    const SettingsFaults faults = CheckSettings(settings);
    if (faults.empty()) return std::nullopt;
    const FailedCheck& first = *std::min_element(faults.begin(), faults.end(), [](const FailedCheck& a, const FailedCheck& b) {
        return a.list < b.list;
    });
    if (first.kind == CheckKind::DateTime) return DateTimeRefusal(first, given, plan, reading, settings);
    const SettingsList& list = ListOf(first.list);
    const std::optional<OptionId> option = OptionOfList(first.list);
    return Usage((option ? LongName(*option) + ": " : std::string()) + "the " + list.name + " is " +
                 Said(list, settings) + ", which the device does not accept");
}

// The correction that moved the written second, for the line that says what was written.
std::string CorrectionNote(const ClockPlan& plan, const std::optional<ClockReading>& reading) {
    if (!reading || !reading->corrected) return "";
    const std::int32_t tenths = plan.correctionTenths;
    const std::int32_t size = tenths < 0 ? -tenths : tenths;
    return std::string(" (with the ") + (tenths < 0 ? "-" : "+") + std::to_string(size / 10) + "." +
           std::to_string(size % 10) + " s correction)";
}

}  // namespace

std::optional<Failure> Write(const Given& given, const Clock& clock, Console& console, const Volumes& volumes) {
    // Every option first, each in its form; the values then go through the checks once, together.
    DeviceSettings settings = kInitialValues;
    if (auto f = TakeTypedDateTime(given, settings)) return f;
    ClockPlan plan;
    if (auto f = TakeClockPlan(given, clock, plan)) return f;
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        const auto option = static_cast<OptionId>(i);
        if (OptionOf(option).list && given.Has(option))
            if (auto f = TakeChoice(option, given.Value(option), settings)) return f;
    }
    fs::path folder = given.Has(O::Output) ? fs::path(given.Value(O::Output)) : fs::path(".");
    if (given.Has(O::Output))
        if (auto f = CheckOutputFolder(folder)) return f;

    const std::optional<ClockReading> reading = ReadClock(given, plan, clock, settings);
    if (auto f = Check(settings, given, plan, reading)) return f;
    const std::optional<std::string> note = reading ? ZoneNote(plan, clock, reading->written) : std::nullopt;
    if (given.Has(O::Card))
        if (auto f = FindCard(volumes, folder)) return f;

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
    console.out << "wrote " << target << ": " << Summary(settings, CorrectionNote(plan, reading)) << '\n';
    if (note) console.out << *note << '\n';
    if (given.Has(O::Countdown) && reading && !CountDown(reading->moment, clock, console)) {
        return Failure{kExitInterrupted, "countdown stopped; " + target + " stays as written"};
    }
    return std::nullopt;
}

}  // namespace halvo::cli
