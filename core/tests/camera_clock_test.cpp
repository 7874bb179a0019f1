#include "halvo/camera_clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

namespace halvo {
namespace {

constexpr std::int32_t Seconds(std::int32_t h, std::int32_t m, std::int32_t s) { return (h * 60 + m) * 60 + s; }
constexpr std::int32_t Tenths(std::int32_t h, std::int32_t m, std::int32_t s, std::int32_t t) {
    return Seconds(h, m, s) * 10 + t;
}

// Seconds since 1970 of a UTC date and time (days from the civil date, the inverse of CivilFromSeconds).
constexpr std::int64_t Utc(std::int32_t y, std::int32_t mo, std::int32_t d, std::int32_t h = 0, std::int32_t mi = 0,
                           std::int32_t s = 0) {
    const std::int64_t year = mo <= 2 ? y - 1 : y;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (mo > 2 ? mo - 3 : mo + 9) + 2) / 5 + d - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return (era * 146'097 + dayOfEra - 719'468) * kSecondsPerDay + Seconds(h, mi, s);
}
constexpr std::int64_t UtcMs(std::int32_t y, std::int32_t mo, std::int32_t d, std::int32_t h = 0, std::int32_t mi = 0,
                             std::int32_t s = 0, std::int32_t ms = 0) {
    return Utc(y, mo, d, h, mi, s) * kMsPerSecond + ms;
}

TEST(CameraOffset, IsTheStampLessTheReferenceWithinTwelveHours) {
    struct Case {
        const char* name;
        std::int32_t stamp;
        std::int32_t reference;
        std::int32_t offset;
    };
    const Case cases[] = {
        {"behind", Seconds(14, 3, 7), Tenths(14, 3, 9, 3), -23},
        {"ahead", Seconds(14, 3, 10), Tenths(14, 3, 9, 0), 10},
        {"right", Seconds(0, 0, 0), Tenths(0, 0, 0, 0), 0},
        {"camera before midnight, reference after", Seconds(23, 59, 59), Tenths(0, 0, 1, 4), -24},
        {"camera after midnight, reference before", Seconds(0, 0, 2), Tenths(23, 59, 58, 5), 35},
        {"an hour behind across midnight", Seconds(23, 30, 0), Tenths(0, 30, 0, 0), -36'000},
        {"just under 12 h ahead", Seconds(12, 0, 0), Tenths(0, 0, 0, 1), 431'999},
        {"exactly 12 h counts as behind", Seconds(12, 0, 0), Tenths(0, 0, 0, 0), -432'000},
        {"exactly 12 h the other way", Seconds(0, 0, 0), Tenths(12, 0, 0, 0), -432'000},
        {"just over 12 h ahead folds to behind", Seconds(12, 0, 1), Tenths(0, 0, 0, 0), -431'990},
        {"the day's ends", Seconds(23, 59, 59), Tenths(0, 0, 0, 0), -10},
    };
    for (const Case& c : cases) EXPECT_EQ(CameraOffsetTenths(c.stamp, c.reference), c.offset) << c.name;
}

TEST(TimeToWrite, CutsReadingLeadAndCorrectionToTheSecondAndSwitchesOnTheCorrectionEarlier) {
    struct Case {
        const char* name;
        std::int64_t reading;
        std::int32_t lead;
        std::int32_t correction;
        WrittenTime written;
    };
    const std::int64_t t = UtcMs(2026, 6, 15, 7, 41, 7, 250);
    const std::int64_t second = UtcMs(2026, 6, 15, 7, 41, 37);
    const Case cases[] = {
        {"no correction: the second the reading and lead name", t, 30, 0, {second, second, false}},
        {"1.3 s: the next second, switched on 0.3 s into this one", t, 30, 13, {second + 1000, second - 300, true}},
        {"0.7 s: still this second, switched on 0.7 s before it", t, 30, 7, {second, second - 700, false}},
        {"0.8 s carries over", t, 30, 8, {second + 1000, second + 200, true}},
        {"a negative correction writes earlier, switches on later", t, 30, -5, {second - 1000, second - 500, true}},
        {"the full 60 s", t, 30, 600, {second + 60'000, second, true}},
        {"-60 s", t, 30, -600, {second - 60'000, second, true}},
        {"a reading on the second", UtcMs(2026, 6, 15, 7, 41, 7), 0, 0, {UtcMs(2026, 6, 15, 7, 41, 7), UtcMs(2026, 6, 15, 7, 41, 7), false}},
        {"across midnight and the year", UtcMs(2026, 12, 31, 23, 59, 59, 900), 0, 2, {UtcMs(2027, 1, 1), UtcMs(2026, 12, 31, 23, 59, 59, 800), true}},
        {"before 1970 still floors", -1, 0, 0, {-1000, -1000, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(TimeToWrite(c.reading, c.lead, c.correction), c.written) << c.name;
}

TEST(MeasurementInstant, IsTheLatestStartOfTheReferencesTenthNotAfterNow) {
    struct Case {
        const char* name;
        std::int64_t now;
        std::int32_t zoneOffset;  // s east of UTC
        std::int32_t reference;   // tenth of the day on the zone's clocks
        std::int64_t at;
    };
    const Case cases[] = {
        {"two seconds ago, in UTC", UtcMs(2024, 3, 5, 6, 8, 9, 400), 0, Tenths(6, 8, 7, 3), UtcMs(2024, 3, 5, 6, 8, 7, 300)},
        {"an hour east", UtcMs(2024, 3, 5, 6, 8, 9, 400), 3600, Tenths(7, 8, 7, 3), UtcMs(2024, 3, 5, 6, 8, 7, 300)},
        {"now's own tenth, started 50 ms ago", UtcMs(2024, 3, 5, 6, 8, 9, 450), 0, Tenths(6, 8, 9, 4), UtcMs(2024, 3, 5, 6, 8, 9, 400)},
        {"later in the day than now: yesterday", UtcMs(2024, 3, 5, 6, 8, 9, 400), 3600, Tenths(23, 59, 59, 5), UtcMs(2024, 3, 4, 22, 59, 59, 500)},
        {"just after midnight on the zone's clocks", UtcMs(2024, 3, 4, 15, 0, 1), 32'400, Tenths(0, 0, 0, 0), UtcMs(2024, 3, 4, 15, 0, 0)},
        {"a zone west of UTC across its midnight", UtcMs(2024, 3, 5, 4, 30, 0), -18'000, Tenths(23, 29, 0, 0), UtcMs(2024, 3, 5, 4, 29, 0)},
    };
    for (const Case& c : cases) EXPECT_EQ(MeasurementInstantMs(c.now, c.zoneOffset, c.reference), c.at) << c.name;
}

TEST(SplitOffset, TakesAQuarterHourMultipleOfHalfAnHourOrMoreAsTheZonesPart) {
    struct Case {
        const char* name;
        std::int32_t offset;
        OffsetParts parts;
    };
    const Case cases[] = {
        {"seconds only", -23, {0, -23}},
        {"right", 0, {0, 0}},
        {"an hour behind, 0.6 s ahead apart from it", -35'994, {-36'000, 6}},
        {"an hour ahead, 2.4 s ahead apart from it", 36'024, {36'000, 24}},
        {"exactly an hour", -36'000, {-36'000, 0}},
        {"9 h behind (Tokyo against UTC), 1.1 s behind", -324'011, {-324'000, -11}},
        {"half an hour, the least taken", 18'005, {18'000, 5}},
        {"a quarter hour is too little", 9'003, {0, 9'003}},
        {"5 h 45 min (Nepal)", 207'000, {207'000, 0}},
        {"2 min off the hour, the most taken", -37'200, {-36'000, -1'200}},
        {"2 min 0.1 s off the hour: the camera's own", -37'201, {0, -37'201}},
        {"2 min short of the hour", 34'800, {36'000, -1'200}},
        {"just over 7 min off: halfway, no multiple near", 40'500, {0, 40'500}},
        {"12 h, the largest offset", -432'000, {-432'000, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitOffset(c.offset), c.parts) << c.name;
}

TEST(StartUpCorrection, IsTheSetCorrectionLessTheOffsetWithinADayOfSwitchingOn) {
    struct Case {
        const char* name;
        std::int64_t measuredAfter;  // ms after the switch-on
        std::int32_t setCorrection;
        std::int32_t offset;
        std::optional<std::int32_t> correction;
    };
    const Case cases[] = {
        {"set without correction, 1.3 s behind", 60'000, 0, -13, 13},
        {"set with 1.3 s, right: keep it", 3'600'000, 13, 0, 13},
        {"set with 1.3 s, still 0.4 s behind", 600'000, 13, -4, 17},
        {"set with 1.3 s, now 0.5 s ahead", 600'000, 13, 5, 8},
        {"ahead without correction: a negative one", 0, 0, 6, -6},
        {"the last moment of the day", kStartUpWindowMs, 0, -13, 13},
        {"a day and a millisecond later: drift, not start-up", kStartUpWindowMs + 1, 0, -13, std::nullopt},
        {"before the switch-on", -1, 0, -13, std::nullopt},
        {"60 s is the most", 60'000, 0, -600, 600},
        {"beyond 60 s: not switched on at the countdown", 60'000, 0, -601, std::nullopt},
        {"beyond -60 s", 60'000, -100, 501, std::nullopt},
        {"an hour and 1.3 s behind: summer time, not a start-up delay", 60'000, 0, -36'013, std::nullopt},
    };
    const std::int64_t on = UtcMs(2026, 6, 15, 7, 41, 36, 700);
    for (const Case& c : cases)
        EXPECT_EQ(StartUpCorrection(on, c.setCorrection, on + c.measuredAfter, c.offset), c.correction) << c.name;
}

TEST(DriftBetween, GivesTheRatePerDayAndWhenTheBoundIsReached) {
    struct Case {
        const char* name;
        ClockMeasurement first;
        ClockMeasurement last;
        std::int32_t bound;
        std::int64_t msPerDay;
        std::optional<std::int64_t> reachedMs;  // none: never
    };
    const std::int64_t day = kMsPerDay;
    const std::int64_t t0 = UtcMs(2026, 12, 10, 9, 0, 0);
    const Case cases[] = {
        {"loses 1 s in 10 days: -2 s 10 days after", {t0, 0}, {t0 + 10 * day, -10}, 20, -100, t0 + 20 * day},
        {"gains 0.7 s a week from +0.2 s", {t0, 2}, {t0 + 7 * day, 9}, 20, 100, t0 + 18 * day},
        {"a bound of 5 s", {t0, 0}, {t0 + 10 * day, -10}, 50, -100, t0 + 50 * day},
        {"minutes in half a year", {t0, -3}, {t0 + 182 * day, -1823}, 20, -1000, t0 + 182 * day},
        {"no drift: never", {t0, -4}, {t0 + 30 * day, -4}, 20, 0, std::nullopt},
        {"rounded up to the millisecond", {t0, 0}, {t0 + 3 * day, 1}, 20, 33, t0 + 60 * day},
        {"drifting back through zero to the other side", {t0, 15}, {t0 + 10 * day, 5}, 20, -100, t0 + 35 * day},
        {"exactly on the bound: not yet past it, and reached now", {t0, 10}, {t0 + 10 * day, 20}, 20, 100, t0 + 10 * day},
        {"past the bound already", {t0, 0}, {t0 + 40 * day, -24}, 20, -60, t0 + 40 * day},
        {"rate rounds to the nearest millisecond", {t0, 0}, {t0 + 2 * day + 1, 1}, 20, 50, t0 + 40 * day + 20},
    };
    for (const Case& c : cases) {
        const std::optional<Drift> drift = DriftBetween(c.first, c.last, c.bound);
        ASSERT_TRUE(drift) << c.name;
        EXPECT_EQ(drift->msPerDay, c.msPerDay) << c.name;
        EXPECT_EQ(drift->boundReachedMs, c.reachedMs) << c.name;
    }
}

TEST(DriftBetween, NeedsTwoSoundMeasurementsADayApart) {
    const std::int64_t t0 = UtcMs(2026, 12, 10, 9, 0, 0);
    const std::pair<const char*, std::optional<Drift>> cases[] = {
        {"a minute short of a day", DriftBetween({t0, 0}, {t0 + kMsPerDay - 60'000, -3}, 20)},
        {"in the wrong order", DriftBetween({t0 + 2 * kMsPerDay, 0}, {t0, -3}, 20)},
        {"an offset beyond 12 h", DriftBetween({t0, 432'001}, {t0 + 2 * kMsPerDay, 0}, 20)},
        {"a bound of 0", DriftBetween({t0, 0}, {t0 + 2 * kMsPerDay, -3}, 0)},
        {"a bound beyond 60 s", DriftBetween({t0, 0}, {t0 + 2 * kMsPerDay, -3}, 601)},
        {"centuries apart", DriftBetween({0, 0}, {INT64_C(1) << 62, -3}, 20)},
    };
    for (const auto& [name, drift] : cases) EXPECT_FALSE(drift) << name;
    EXPECT_TRUE(DriftBetween({t0, 0}, {t0 + kMsPerDay, -3}, 20)) << "exactly a day";
}

TEST(CivilFromSeconds, GivesTheGregorianDateAndTime) {
    const std::pair<std::int64_t, DateTime> cases[] = {
        {0, {1970, 1, 1, 0, 0, 0}},
        {-1, {1969, 12, 31, 23, 59, 59}},
        {951'782'400, {2000, 2, 29, 0, 0, 0}},
        {4'107'542'399, {2100, 2, 28, 23, 59, 59}},
        {4'107'542'400, {2100, 3, 1, 0, 0, 0}},
        {1'798'761'599, {2026, 12, 31, 23, 59, 59}},
        {2'556'143'999, {2050, 12, 31, 23, 59, 59}},
    };
    for (const auto& [seconds, civil] : cases) {
        EXPECT_EQ(CivilFromSeconds(seconds), civil) << seconds;
        EXPECT_EQ(Utc(civil.year, civil.month, civil.day, civil.hour, civil.minute, civil.second), seconds);
    }
}

// A zone given by its offset before the first change and each change after (at, new offset), as tzdata has them.
class RuleZone {
  public:
    RuleZone(std::int32_t initial, std::initializer_list<std::pair<std::int64_t, std::int32_t>> changes)
        : initial_(initial), changes_(changes) {}
    std::int32_t operator()(std::int64_t at) {
        ++calls;
        std::int32_t offset = initial_;
        for (const auto& [from, to] : changes_)
            if (at >= from) offset = to;
        return offset;
    }
    int calls = 0;

  private:
    std::int32_t initial_;
    std::vector<std::pair<std::int64_t, std::int32_t>> changes_;
};

RuleZone Berlin() {
    return {3600, {{Utc(2026, 3, 29, 1), 7200}, {Utc(2026, 10, 25, 1), 3600}, {Utc(2027, 3, 28, 1), 7200}, {Utc(2027, 10, 31, 1), 3600}}};
}
RuleZone Sydney() {
    return {39600, {{Utc(2026, 4, 4, 16), 36000}, {Utc(2026, 10, 3, 16), 39600}, {Utc(2027, 4, 3, 16), 36000}}};
}
RuleZone LordHowe() {
    return {39600, {{Utc(2026, 4, 4, 15), 37800}, {Utc(2026, 10, 3, 15, 30), 39600}, {Utc(2027, 4, 3, 15), 37800}}};
}
RuleZone Tokyo() { return {32400, {}}; }
RuleZone OneChange() { return {3600, {{Utc(2027, 3, 28, 1), 7200}}}; }

TEST(NextZoneChange, FindsTheNextChangeToTheSecondAndWordsIt) {
    struct Case {
        const char* name;
        RuleZone zone;
        std::int64_t from;
        std::optional<ZoneChange> change;
        DateTime wallClock;
        bool forward;
        std::int32_t hours;
        std::int32_t minutes;
    };
    Case cases[] = {
        {"north, winter: forward in March", Berlin(), Utc(2026, 12, 10, 3, 40, 50),
         ZoneChange{Utc(2027, 3, 28, 1), 3600, 7200}, {2027, 3, 28, 2, 0, 0}, true, 1, 0},
        {"north, summer: back in October", Berlin(), Utc(2026, 6, 15, 7, 41, 37),
         ZoneChange{Utc(2026, 10, 25, 1), 7200, 3600}, {2026, 10, 25, 3, 0, 0}, false, 1, 0},
        {"one second before the change", Berlin(), Utc(2027, 3, 28, 0, 59, 59),
         ZoneChange{Utc(2027, 3, 28, 1), 3600, 7200}, {2027, 3, 28, 2, 0, 0}, true, 1, 0},
        {"on the change: the one after it", Berlin(), Utc(2026, 3, 29, 1),
         ZoneChange{Utc(2026, 10, 25, 1), 7200, 3600}, {2026, 10, 25, 3, 0, 0}, false, 1, 0},
        {"south, summer: back in April", Sydney(), Utc(2026, 1, 20, 2),
         ZoneChange{Utc(2026, 4, 4, 16), 39600, 36000}, {2026, 4, 5, 3, 0, 0}, false, 1, 0},
        {"south, winter: forward in October", Sydney(), Utc(2026, 6, 1),
         ZoneChange{Utc(2026, 10, 3, 16), 36000, 39600}, {2026, 10, 4, 2, 0, 0}, true, 1, 0},
        {"half an hour back", LordHowe(), Utc(2026, 1, 20),
         ZoneChange{Utc(2026, 4, 4, 15), 39600, 37800}, {2026, 4, 5, 2, 0, 0}, false, 0, 30},
        {"half an hour forward", LordHowe(), Utc(2026, 7, 1),
         ZoneChange{Utc(2026, 10, 3, 15, 30), 37800, 39600}, {2026, 10, 4, 2, 0, 0}, true, 0, 30},
        {"none", Tokyo(), Utc(2026, 12, 10), std::nullopt, {}, false, 0, 0},
        {"12 months ahead, to the second", OneChange(), Utc(2027, 3, 28, 1) - kZoneLookAheadSeconds,
         ZoneChange{Utc(2027, 3, 28, 1), 3600, 7200}, {2027, 3, 28, 2, 0, 0}, true, 1, 0},
        {"a second beyond 12 months", OneChange(), Utc(2027, 3, 28, 1) - kZoneLookAheadSeconds - 1, std::nullopt, {}, false, 0, 0},
    };
    for (Case& c : cases) {
        const std::optional<ZoneChange> change = NextZoneChange(c.from, c.zone);
        EXPECT_EQ(change, c.change) << c.name;
        EXPECT_LE(c.zone.calls, 367 + 18) << c.name << ": a scan by days and a bisection";
        if (!change || !c.change) continue;
        const ZoneChangeWords words = DescribeZoneChange(*change);
        EXPECT_EQ(words.wallClock, c.wallClock) << c.name;
        EXPECT_EQ(words.forward, c.forward) << c.name;
        EXPECT_EQ(words.hours, c.hours) << c.name;
        EXPECT_EQ(words.minutes, c.minutes) << c.name;
    }
}

TEST(DescribeZoneChange, SplitsTheAmountIntoHoursAndMinutes) {
    const std::pair<std::int32_t, std::pair<std::int32_t, std::int32_t>> cases[] = {
        {3600, {1, 0}}, {-1800, {0, 30}}, {5400, {1, 30}}, {-7200, {2, 0}}};
    for (const auto& [step, amount] : cases) {
        const ZoneChangeWords words = DescribeZoneChange({0, 0, step});
        EXPECT_EQ(std::make_pair(words.hours, words.minutes), amount) << step;
        EXPECT_EQ(words.forward, step > 0) << step;
    }
}

}  // namespace
}  // namespace halvo
