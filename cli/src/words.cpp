#include "words.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "halvo/settings_words.h"

namespace halvo::cli {
namespace {

std::string Pad2(std::int32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(v));
    return text;
}

// The options' lines of the settings, after the date and the time: each list's name and its entry.
std::vector<std::pair<std::string, std::string>> Lines(const DeviceSettings& s) {
    std::vector<std::pair<std::string, std::string>> lines = {{"date", DateText(DateTimeOf(s))},
                                                              {"time", TimeText(DateTimeOf(s))}};
    for (std::size_t i = kDateTimeLists; i < kSettingsLists.size(); ++i)
        lines.emplace_back(kSettingsLists[i].name, Said(kSettingsLists[i], s));
    return lines;
}

}  // namespace

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
    d.day = DaysInMonth(d.month);
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

std::string Summary(const DeviceSettings& settings) {
    const auto lines = Lines(settings);
    std::string out = lines[0].second + " " + lines[1].second;
    for (std::size_t i = 2; i < lines.size(); ++i) out += ", " + lines[i].first + " " + lines[i].second;
    return out;
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

}  // namespace halvo::cli
