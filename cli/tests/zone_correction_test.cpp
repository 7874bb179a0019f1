// --zone and --correction in-process, with the clock and the zones' offsets
// given by the test; and the computer's own zone database against known rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli_cases.h"
#include "halvo/camera_clock.h"
#include "halvo/set_file_reader.h"
#include "halvo_set.h"

namespace halvo::cli::test {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

// 2026-12-10 09:15:00.400 UTC.
const system_clock::time_point kStart = sys_days(2026y / 12 / 10) + 9h + 15min + 400ms;
// When Berlin's clocks go forward in 2027: 28 March, 01:00 UTC.
constexpr std::int64_t kBerlinSpring2027 = 1'806'195'600;

// Zones as the test knows them: offsets in seconds east of UTC at an instant.
std::optional<std::int32_t> TestZones(const std::optional<std::string>& zone, std::int64_t at) {
    if (!zone || *zone == "UTC") return 0;
    if (*zone == "Asia/Tokyo") return 9 * 3600;
    if (*zone == "Europe/Berlin") return at < kBerlinSpring2027 ? 3600 : 7200;
    // A half-hour change: back from +11 to +10:30 at 02:00 on 4 April 2027 (3 April, 15:00 UTC).
    if (*zone == "Australia/Lord_Howe") return at < 1'806'764'400 ? 11 * 3600 : 10 * 3600 + 1800;
    return std::nullopt;
}

// The names TestZones knows, as a zone database spells them, found in any case.
std::optional<std::string> TestZoneNamed(const std::string& name) {
    for (const char* known : {"Asia/Tokyo", "Europe/Berlin", "Australia/Lord_Howe"}) {
        const std::string spelled = known;
        if (spelled.size() == name.size() &&
            std::equal(spelled.begin(), spelled.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return spelled;
    }
    return std::nullopt;
}

// A clock that stands still until it is waited on; the local zone is UTC.
struct TestClock {
    system_clock::time_point now = kStart;
    std::vector<system_clock::time_point> waits;
    bool zones = true;
    bool namedZones = true;  // false: as on Windows, UTC alone

    Clock ToClock() {
        Clock clock{[this] { return now; },
                    [](system_clock::time_point t) {
                        return CivilFromSeconds(floor<seconds>(t).time_since_epoch().count());
                    },
                    [this](system_clock::time_point t) {
                        waits.push_back(t);
                        now = t;
                        return true;
                    }};
        if (zones) {
            clock.offset_at = TestZones;
            clock.zone_named = TestZoneNamed;
        }
        clock.named_zones = namedZones;
        return clock;
    }
};

struct Outcome {
    int status;
    std::string out, err;
    std::optional<DateTime> written;
};

Outcome RunHalvoSet(std::vector<std::string> args, TestClock& clock) {
    ScratchFolder dir("zone");
    args.insert(args.end(), {"-o", dir.path().string()});
    std::ostringstream out, err;
    Console console{out, err, {}};
    const int status = halvo::cli::Run(args, clock.ToClock(), console);
    std::optional<DateTime> written;
    if (std::filesystem::exists(dir.path() / "set.txt")) {
        if (const auto settings = ParseSetFile(ReadBytes(dir.path() / "set.txt")).settings)
            written = DateTimeOf(*settings);
    }
    return {status, out.str(), err.str(), written};
}

TEST(HalvoSetZone, WritesTheZonesTimeAndNamesItsNextChange) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        DateTime written;
        std::string note;  // the line after "wrote …", empty for none
    };
    const Case cases[] = {
        {"this computer's", {}, {2026, 12, 10, 9, 15, 0}, ""},
        {"UTC", {"--zone", "UTC"}, {2026, 12, 10, 9, 15, 0}, ""},
        {"UTC in small letters", {"--zone", "utc"}, {2026, 12, 10, 9, 15, 0}, ""},
        {"Tokyo, without summer time", {"--zone", "Asia/Tokyo"}, {2026, 12, 10, 18, 15, 0}, ""},
        {"Berlin, forward in March", {"--zone", "Europe/Berlin"}, {2026, 12, 10, 10, 15, 0},
         "On 28 March 2027 at 02:00 the clocks go forward 1 h; the camera will not: set it again then."},
        {"Lord Howe, back half an hour", {"--zone=Australia/Lord_Howe"}, {2026, 12, 10, 20, 15, 0},
         "On 4 April 2027 at 02:00 the clocks go back 30 min; the camera will not: set it again then."},
        // A date across midnight in the zone.
        {"with a lead into the next day", {"--zone", "Asia/Tokyo", "--lead", "3600"}, {2026, 12, 10, 19, 15, 0}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestClock clock;
        const Outcome o = RunHalvoSet(c.args, clock);
        ASSERT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.written, c.written);
        const std::size_t line = o.out.find('\n');
        EXPECT_EQ(o.out.substr(line + 1), c.note.empty() ? "" : c.note + "\n");
    }
}

TEST(HalvoSetZone, RefusesWhatItCannotAsk) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool zones;
        bool named;
        std::string err;
    };
    const std::string unknown =
        " is not a time zone this computer knows (UTC, or a name of the zone database such as Europe/Berlin)\n";
    const Case cases[] = {
        {"unknown name", {"--zone", "Mars/Base"}, true, true, "halvo-set: --zone: Mars/Base" + unknown},
        {"empty name", {"--zone", ""}, true, true, "halvo-set: --zone: \"\"" + unknown},
        // A name the database holds in another case is not an unknown one.
        {"a name in the wrong case", {"--zone", "asia/tokyo"}, true, true,
         "halvo-set: --zone: asia/tokyo is written Asia/Tokyo (zone names are case-sensitive)\n"},
        {"a named zone on Windows", {"--zone", "Asia/Tokyo"}, true, false,
         "halvo-set: --zone: Asia/Tokyo: on Windows only UTC is available\n"},
        {"a system that can ask no zone", {"--zone", "UTC"}, false, true,
         "halvo-set: --zone: UTC is not a time zone this computer knows (it can ask no zone's offset)\n"},
        {"with a typed date", {"--zone", "UTC", "--date", "2030-01-01"}, true, true,
         "halvo-set: --zone: sets the zone of this computer's clock reading, so it does not go with --date\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestClock clock;
        clock.zones = c.zones;
        clock.namedZones = c.named;
        const Outcome o = RunHalvoSet(c.args, clock);
        EXPECT_EQ(o.status, kExitUsage);
        EXPECT_EQ(o.err, c.err);
        EXPECT_FALSE(o.written.has_value());
    }
}

// The written second moves on by the correction; the countdown ends the correction before it.
TEST(HalvoSetCorrection, MovesTheWrittenSecondAndTheCountdownsEnd) {
    struct Case {
        const char* correction;
        DateTime written;
        system_clock::time_point switchOn;
        const char* said;  // after the written time, where the correction moved its second
    };
    const sys_seconds base = sys_days(2026y / 12 / 10) + 9h + 15min;
    const Case cases[] = {
        // 09:15:00.4 + 20 s lead + 2 s = 09:15:22.4: second 22, switched on at 20.
        {"2", {2026, 12, 10, 9, 15, 22}, base + 20s, " (with the +2.0 s correction)"},
        // 20.9: the same second as without it, so nothing to say.
        {"+0.5", {2026, 12, 10, 9, 15, 20}, base + 19500ms, ""},
        // 20.4 + 0.6 = 21.0 exactly: the carry reaches the next second.
        {"0.6", {2026, 12, 10, 9, 15, 21}, base + 20400ms, " (with the +0.6 s correction)"},
        {"-1.5", {2026, 12, 10, 9, 15, 18}, base + 19500ms, " (with the -1.5 s correction)"},
        {"60", {2026, 12, 10, 9, 16, 20}, base + 20s, " (with the +60.0 s correction)"},
        {"-60.0", {2026, 12, 10, 9, 14, 20}, base + 20s, " (with the -60.0 s correction)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.correction);
        TestClock clock;
        const Outcome o = RunHalvoSet({"--lead", "20", "--correction", c.correction, "--countdown"}, clock);
        ASSERT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.written, c.written);
        ASSERT_FALSE(clock.waits.empty());
        EXPECT_EQ(clock.waits.back(), c.switchOn);
        EXPECT_TRUE(o.out.ends_with("switch the camera on now\n")) << o.out;
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", c.written.hour, c.written.minute, c.written.second);
        EXPECT_NE(o.out.find(std::string(time) + c.said + ", flip off"), std::string::npos) << o.out;
    }
}

TEST(HalvoSetCorrection, RefusesAnythingButSecondsInTenthsWithinAMinute) {
    for (const char* text : {"60.1", "-61", "1.25", "", "-", ".5", "1.", "abc", "1e1", "--1", "100"}) {
        SCOPED_TRACE(text);
        TestClock clock;
        // A value that starts with two dashes goes after "=", where it cannot be taken for an option.
        const bool dashes = std::string(text).starts_with("--");
        const Outcome o = RunHalvoSet(dashes ? std::vector<std::string>{std::string("--correction=") + text}
                                             : std::vector<std::string>{"--correction", text},
                                      clock);
        EXPECT_EQ(o.status, kExitUsage);
        EXPECT_EQ(o.err, std::string("halvo-set: --correction: ") + (*text == '\0' ? "\"\"" : text) +
                             " is not a number of seconds from -60 to 60, in tenths at most\n");
        EXPECT_FALSE(o.written.has_value());
    }
}

#ifndef _WIN32
// The computer's own database, where it has one: rules halvo-set did not write.
TEST(SystemZones, FollowTheZoneDatabase) {
    if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin")) GTEST_SKIP() << "no zone database here";
    const Clock clock = SystemClock();
    ASSERT_TRUE(clock.offset_at);
    EXPECT_EQ(clock.offset_at("Europe/Berlin", kBerlinSpring2027 - 1), 3600);
    EXPECT_EQ(clock.offset_at("Europe/Berlin", kBerlinSpring2027), 7200);
    EXPECT_EQ(clock.offset_at("Asia/Tokyo", kBerlinSpring2027), 9 * 3600);
    EXPECT_EQ(clock.offset_at("UTC", kBerlinSpring2027), 0);
    EXPECT_EQ(clock.offset_at("Mars/Base", kBerlinSpring2027), std::nullopt);
    EXPECT_EQ(clock.offset_at("../../etc/passwd", kBerlinSpring2027), std::nullopt);
    // A name in another case is found as the database spells it; an unknown one is not.
    ASSERT_TRUE(clock.zone_named);
    EXPECT_TRUE(clock.named_zones);
    EXPECT_EQ(clock.zone_named("Europe/Berlin"), "Europe/Berlin");
    EXPECT_EQ(clock.zone_named("europe/BERLIN"), "Europe/Berlin");
    EXPECT_EQ(clock.zone_named("Mars/Base"), std::nullopt);
    EXPECT_EQ(clock.zone_named("europe"), std::nullopt);  // a folder of zones, not one
    EXPECT_EQ(clock.zone_named("../../etc/passwd"), std::nullopt);
    // Sydney, in the south, goes back at 03:00 on 4 April 2027 (3 April, 16:00 UTC); Lord Howe half an hour.
    EXPECT_EQ(clock.offset_at("Australia/Sydney", 1'806'768'000 - 1), 11 * 3600);
    EXPECT_EQ(clock.offset_at("Australia/Sydney", 1'806'768'000), 10 * 3600);
    EXPECT_EQ(clock.offset_at("Australia/Lord_Howe", 1'806'764'400), 10 * 3600 + 1800);
    // Asking of a named zone leaves this computer's own, and TZ, as they were.
    const char* tz = std::getenv("TZ");
    const std::optional<std::string> tzBefore = tz ? std::optional<std::string>(tz) : std::nullopt;
    const std::optional<std::int32_t> before = clock.offset_at(std::nullopt, kBerlinSpring2027);
    (void)clock.offset_at("Asia/Tokyo", kBerlinSpring2027);
    EXPECT_EQ(clock.offset_at(std::nullopt, kBerlinSpring2027), before);
    tz = std::getenv("TZ");
    EXPECT_EQ(tz ? std::optional<std::string>(tz) : std::nullopt, tzBefore);
}
#endif

}  // namespace
}  // namespace halvo::cli::test
