#include "words.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "halvo/set_file.h"
#include "halvo/settings_words.h"

namespace halvo::cli {
namespace {

// The options' lines of the settings, after the date and the time: each list's name and its entry.
std::vector<std::pair<std::string, std::string>> Lines(const DeviceSettings& s) {
    std::vector<std::pair<std::string, std::string>> lines = {{"date", DateText(DateTimeOf(s))},
                                                              {"time", TimeText(DateTimeOf(s))}};
    for (std::size_t i = kDateTimeLists; i < kSettingsLists.size(); ++i)
        lines.emplace_back(kSettingsLists[i].name, Said(kSettingsLists[i], s));
    return lines;
}

}  // namespace

std::string Pad2(std::int32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(v));
    return text;
}

std::string DateText(const DateTime& d) { return std::to_string(d.year) + "-" + Pad2(d.month) + "-" + Pad2(d.day); }

std::string TimeText(const DateTime& d) { return Pad2(d.hour) + ":" + Pad2(d.minute) + ":" + Pad2(d.second); }

DateTime FirstDateTime() {
    DateTime d;
    for (const DateTimeField& f : kDateTimeFields) d.*f.field = f.range.first;
    return d;
}

DateTime LastDateTime() {
    DateTime d;
    for (const DateTimeField& f : kDateTimeFields) d.*f.field = f.range.last;
    d.day = DaysInMonth(d.year, d.month);
    return d;
}

std::string OptionWords(const SettingsList& list, const char* separator) {
    std::string out;
    for (const std::int32_t at : list.optionOrder) {
        if (!out.empty()) out += separator;
        out += list.Entry(at).option;
    }
    return out;
}

std::string Said(const SettingsList& list, const DeviceSettings& settings) {
    const std::optional<std::int32_t> at = PositionIn(list, settings);
    return at ? EntryText(list, *at) : "?";
}

std::string Summary(const DeviceSettings& settings, const std::string& afterTime) {
    const auto lines = Lines(settings);
    std::string out = lines[0].second + " " + lines[1].second + afterTime;
    for (std::size_t i = 2; i < lines.size(); ++i) out += ", " + lines[i].first + " " + lines[i].second;
    return out;
}

std::string ZoneChangeText(const ZoneChangeWords& change) {
    constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
    const DateTime& at = change.wallClock;
    std::string amount;
    if (change.hours > 0) amount = std::to_string(change.hours) + " h";
    if (change.minutes > 0) amount += (amount.empty() ? "" : " ") + std::to_string(change.minutes) + " min";
    return "On " + std::to_string(at.day) + " " + kMonths[(at.month - 1) % 12] + " " + std::to_string(at.year) +
           " at " + Pad2(at.hour) + ":" + Pad2(at.minute) + " the clocks go " + (change.forward ? "forward " : "back ") +
           amount + "; the camera will not: set it again then.";
}

std::string Listing(const DeviceSettings& settings) {
    const auto lines = Lines(settings);
    std::size_t width = 0;
    for (const auto& line : lines) width = std::max(width, line.first.size());
    std::string out;
    for (const auto& [name, value] : lines)
        out += "  " + name + ":" + std::string(width - name.size() + 2, ' ') + value + "\n";
    return out;
}

namespace {

// Each cause of a failed write in the card's terms, and what the user can do about it.
struct CauseWords {
    WriteCause cause;
    const char* why;     // empty: the system's own text says it
    const char* todo;    // may be empty
    bool systemText;     // the system's own text adds to `why`
};
// By cause: every cause has its words at its own place.
constexpr std::array<CauseWords, kWriteCauses> kCauseWords{{
    {WriteCause::Full, "the card is full", "make room on it", false},
    {WriteCause::ReadOnly, "the card is read-only", "check its lock switch, or mount it for writing", false},
    {WriteCause::Refused, "the folder or the file refuses writing",
     "check their permissions, and close any program that holds the file open", true},
    {WriteCause::NoFolder, "its folder is missing or is not a folder", "check that the card is still in place",
     true},
    {WriteCause::NotAFile, "it is not a plain file (a folder, or a link to nothing)", "rename or remove it", false},
    {WriteCause::Other, "", "", true},
}};
static_assert([] {
    for (std::size_t i = 0; i < kCauseWords.size(); ++i)
        if (static_cast<std::size_t>(kCauseWords[i].cause) != i) return false;
    return true;
}());

// The system's own words for a code, without the full stop or line end some systems add.
std::string SystemText(unsigned long error) {
    std::string text = std::system_category().message(static_cast<int>(error));
    while (!text.empty() && (text.back() == '.' || text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

std::string FailureText(const std::string& target, const WriteFailure& failure) {
    const CauseWords* words = &kCauseWords[static_cast<std::size_t>(failure.cause)];
    const std::string system = failure.error != 0 && words->systemText ? SystemText(failure.error) : "";
    std::string text = "could not write " + target;
    if (*words->why != '\0') {
        text += std::string(": ") + words->why + (system.empty() ? "" : " (" + system + ")");
    } else if (!system.empty()) {
        text += ": " + system;
    }
    if (*words->todo != '\0') text += std::string("; ") + words->todo;
    if (!failure.previousKept) {
        text += std::string("; the ") + kSetFileName + " there may be incomplete: write it again";
    } else if (failure.cause != WriteCause::NoFolder && failure.cause != WriteCause::NotAFile) {
        // (Without the folder, or with a folder in its place, there is no earlier file to speak of.)
        text += std::string("; any earlier ") + kSetFileName + " there is unchanged";
    }
    return text;
}

}  // namespace halvo::cli
