#include "clock_plan.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <string_view>

#include "halvo/camera_clock.h"
#include "halvo/settings_lists.h"
#include "words.h"

namespace halvo::cli {
namespace {

using O = OptionId;

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

// The date or the time as typed: three groups of digits for three lists in a row.
struct ClockPart {
    OptionId option;
    const char* what;                   // "date", "time"
    char separator;                     // between the groups
    std::array<std::size_t, 3> widths;  // the groups' digits
    SettingsListId first;               // the list of the first group
};
constexpr ClockPart kClockParts[] = {
    {O::Date, "date", '-', {4, 2, 2}, SettingsListId::Year},
    {O::Time, "time", ':', {2, 2, 2}, SettingsListId::Hour},
};
// The two parts cover the date and time lists, each list once, in order.
static_assert(static_cast<std::size_t>(kClockParts[0].first) == 0 &&
              static_cast<std::size_t>(kClockParts[1].first) == 3 && std::size(kClockParts) * 3 == kDateTimeLists);

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
        if (IsCorrection(tenths)) return std::nullopt;
    }
    const std::string most = std::to_string(kMaxCorrectionTenths / 10);
    return Usage("--correction: " + Typed(text) + " is not a number of seconds from -" + most + " to " + most +
                 ", in tenths at most");
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

// The name every system knows, in any case.
constexpr char kUtc[] = "UTC";

bool IsUtc(const std::string& name) {
    return name.size() == 3 && std::equal(name.begin(), name.end(), kUtc, [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

// The zone as this computer names it, or why it has none by that name.
std::optional<Failure> TakeZone(const std::string& typed, const Clock& clock, std::string& zone) {
    const std::string unknown = "--zone: " + Typed(typed) + " is not a time zone this computer knows";
    if (!clock.offset_at) return Usage(unknown + " (it can ask no zone's offset)");
    if (IsUtc(typed)) {
        zone = kUtc;
        return std::nullopt;
    }
    if (!clock.named_zones) return Usage("--zone: " + Typed(typed) + ": on Windows only UTC is available");
    const std::optional<std::string> named = clock.zone_named ? clock.zone_named(typed) : std::nullopt;
    if (!named) return Usage(unknown + " (UTC, or a name of the zone database such as Europe/Berlin)");
    if (*named != typed) return Usage("--zone: " + typed + " is written " + *named + " (zone names are case-sensitive)");
    zone = *named;
    return std::nullopt;
}

}  // namespace

std::optional<Failure> TakeTypedDateTime(const Given& given, DeviceSettings& settings) {
    for (const ClockPart& part : kClockParts) {
        if (!given.Has(part.option)) continue;
        const std::string& text = given.Value(part.option);
        const auto groups = ParseGroups<3>(text, part.separator, part.widths);
        if (!groups) {
            return Usage(LongName(part.option) + ": " + Typed(text) + " is not a " + part.what + " in the form " +
                         OptionOf(part.option).value);
        }
        const auto first = static_cast<std::size_t>(part.first);
        for (std::size_t i = 0; i < groups->size(); ++i) settings.*kSettingsLists[first + i].field = (*groups)[i];
    }
    return std::nullopt;
}

std::optional<Failure> TakeClockPlan(const Given& given, const Clock& clock, ClockPlan& plan) {
    // A countdown without a lead leaves time to put the card in and switch on.
    plan.lead = given.Has(O::Countdown) ? kDefaultLeadSeconds : 0;
    if (given.Has(O::Lead))
        if (auto f = TakeLead(given.Value(O::Lead), plan.lead)) return f;
    if (given.Has(O::Correction))
        if (auto f = TakeCorrection(given.Value(O::Correction), plan.correctionTenths)) return f;
    if (given.Has(O::Zone)) {
        std::string zone;
        if (auto f = TakeZone(given.Value(O::Zone), clock, zone)) return f;
        plan.zone = zone;
    }
    return std::nullopt;
}

// The date and time the user did not type come from one reading of the clock,
// moved on by the lead and the correction. `moment` is when to switch the
// camera on: its clock is right once it has started up; `written` the instant
// of the second in the file.
std::optional<ClockReading> ReadClock(const Given& given, const ClockPlan& plan, const Clock& clock,
                                      DeviceSettings& settings) {
    using std::chrono::milliseconds;
    if (given.Has(O::Date) && given.Has(O::Time)) return std::nullopt;
    const std::int64_t readingMs = std::chrono::floor<milliseconds>(clock.now()).time_since_epoch().count();
    const WrittenTime time = TimeToWrite(readingMs, plan.lead, plan.correctionTenths);
    ClockReading reading;
    reading.moment = std::chrono::system_clock::time_point(milliseconds(time.switchOnMs));
    reading.written = std::chrono::system_clock::time_point(milliseconds(time.fileSecondMs));
    reading.corrected = time.corrected;
    const std::int64_t second = time.fileSecondMs / kMsPerSecond;
    // The zone was known when it was taken; its offset is asked once, for this second.
    const std::optional<std::int32_t> offset = plan.zone ? clock.offset_at(plan.zone, second) : std::nullopt;
    reading.shown = plan.zone ? CivilFromSeconds(second + offset.value_or(0)) : clock.to_local(reading.written);
    DateTime merged = DateTimeOf(settings);
    const DateTime& now = reading.shown;
    if (!given.Has(O::Date)) merged.year = now.year, merged.month = now.month, merged.day = now.day;
    if (!given.Has(O::Time)) merged.hour = now.hour, merged.minute = now.minute, merged.second = now.second;
    SetDateTime(settings, merged);
    return reading;
}

namespace {

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

}  // namespace

Failure DateTimeRefusal(const FailedCheck& check, const Given& given, const ClockPlan& plan,
                        const std::optional<ClockReading>& reading, const DeviceSettings& settings) {
    const bool inTime = static_cast<std::size_t>(check.list) >= static_cast<std::size_t>(kClockParts[1].first);
    const ClockPart& part = kClockParts[inTime ? 1 : 0];
    if (given.Has(part.option) || !reading) {
        const std::string text = given.Has(part.option) ? given.Value(part.option) : "";
        return Usage(LongName(part.option) + ": " + text + " is not a " + part.what + " the device accepts (" +
                     Why(check, settings) + ")");
    }
    const DateTime& now = reading->shown;
    return Usage(std::string("this computer's clock") + (plan.lead > 0 ? " plus " + std::to_string(plan.lead) + " s" : "") +
                 " reads " + DateText(now) + " " + TimeText(now) + ", which the device does not accept (" +
                 Why(check, settings) + "); give --date and --time");
}

std::optional<std::string> ZoneNote(const ClockPlan& plan, const Clock& clock,
                                    std::chrono::system_clock::time_point written) {
    if (!clock.offset_at) return std::nullopt;
    const std::int64_t from = std::chrono::floor<std::chrono::seconds>(written).time_since_epoch().count();
    if (!clock.offset_at(plan.zone, from)) return std::nullopt;
    const auto change = NextZoneChange(from, [&](std::int64_t at) { return clock.offset_at(plan.zone, at).value_or(0); });
    if (!change) return std::nullopt;
    return ZoneChangeText(DescribeZoneChange(*change));
}

}  // namespace halvo::cli
