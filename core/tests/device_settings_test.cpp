#include "halvo/device_settings.h"
#include "halvo/settings_lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace halvo {
namespace {

using F = CheckKind;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(ConvertSelection, InitialSelectionGivesTheDefaultSettings) {
    const Conversion c = ConvertSelection(kInitialSelection);
    EXPECT_TRUE(c.faults.empty());
    const DeviceSettings expected{2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1};
    EXPECT_EQ(c.settings, expected);
}

TEST(ConvertSelection, EveryListAtItsLastEntry) {
    const SettingsSelection last{29, 11, 30, 23, 59, 59, 1, 3, 2, 1, 1, 1};
    const Conversion c = ConvertSelection(last);
    EXPECT_TRUE(c.faults.empty());
    const DeviceSettings expected{2050, 12, 31, 23, 59, 59, 1, 5, 1, 2, 1, 1, 1};
    EXPECT_EQ(c.settings, expected);
}

struct FaultCase {
    std::string name;
    SettingsSelection selection;
    std::vector<F> faults;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

SettingsSelection With(void (*edit)(SettingsSelection&)) {
    SettingsSelection s = kInitialSelection;
    edit(s);
    return s;
}

std::string CaseName(const ::testing::TestParamInfo<FaultCase>& test) { return test.param.name; }

class FaultTable : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTable, GivesTheFaultsInOrder) {
    EXPECT_EQ(ConvertSelection(GetParam().selection).faults, GetParam().faults);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, FaultTable,
    ::testing::Values(
        FaultCase{"Feb30", With([](SettingsSelection& s) { s.month = 1; s.day = 29; }), {F::DateTime}},
        FaultCase{"Feb31", With([](SettingsSelection& s) { s.month = 1; s.day = 30; }), {F::DateTime}},
        FaultCase{"Feb29NonLeapYear", With([](SettingsSelection& s) { s.year = 2; s.month = 1; s.day = 28; }),
                  {F::DateTime}},
        FaultCase{"Feb29In2024", With([](SettingsSelection& s) { s.year = 3; s.month = 1; s.day = 28; }), {}},
        FaultCase{"Feb29In2048", With([](SettingsSelection& s) { s.year = 27; s.month = 1; s.day = 28; }), {}},
        FaultCase{"Apr31", With([](SettingsSelection& s) { s.month = 3; s.day = 30; }), {F::DateTime}},
        FaultCase{"Jun31", With([](SettingsSelection& s) { s.month = 5; s.day = 30; }), {F::DateTime}},
        FaultCase{"Sep31", With([](SettingsSelection& s) { s.month = 8; s.day = 30; }), {F::DateTime}},
        FaultCase{"Nov31", With([](SettingsSelection& s) { s.month = 10; s.day = 30; }), {F::DateTime}},
        FaultCase{"Apr30", With([](SettingsSelection& s) { s.month = 3; s.day = 29; }), {}},
        FaultCase{"Jan31", With([](SettingsSelection& s) { s.month = 0; s.day = 30; }), {}},
        FaultCase{"Dec31", With([](SettingsSelection& s) { s.month = 11; s.day = 30; }), {}},
        FaultCase{"Year2051", With([](SettingsSelection& s) { s.year = 30; }), {F::DateTime}},
        FaultCase{"Day32", With([](SettingsSelection& s) { s.day = 31; }), {F::DateTime}},
        FaultCase{"Hour24", With([](SettingsSelection& s) { s.hour = 24; }), {F::DateTime}},
        FaultCase{"Minute60", With([](SettingsSelection& s) { s.minute = 60; }), {F::DateTime}},
        FaultCase{"Second60", With([](SettingsSelection& s) { s.second = 60; }), {F::DateTime}},
        // Without a month the day cannot be judged against it: only the range fault.
        FaultCase{"NoMonthDay31", With([](SettingsSelection& s) { s.month = -1; s.day = 30; }), {F::DateTime}},
        // A month beyond December is not checked against the day either.
        FaultCase{"Month13Day31", With([](SettingsSelection& s) { s.month = 12; s.day = 30; }), {F::DateTime}},
        // Both the range check and the month check fail for 32 February.
        FaultCase{"Feb32", With([](SettingsSelection& s) { s.month = 1; s.day = 31; }), {F::DateTime, F::DateTime}}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    NoSelection, FaultTable,
    ::testing::Values(
        FaultCase{"Year", With([](SettingsSelection& s) { s.year = -1; }), {F::DateTime}},
        FaultCase{"YearAndMonth", With([](SettingsSelection& s) { s.year = -1; s.month = -1; }),
                  {F::DateTime, F::DateTime}},
        FaultCase{"ImageFlip", With([](SettingsSelection& s) { s.imageFlip = -1; }), {F::Option}},
        FaultCase{"RecordAudio", With([](SettingsSelection& s) { s.recordAudio = -1; }), {F::Option}},
        FaultCase{"UsbMode", With([](SettingsSelection& s) { s.usbMode = -1; }), {F::Option}},
        FaultCase{"Timestamp", With([](SettingsSelection& s) { s.timestamp = -1; }), {F::Option}},
        FaultCase{"RecordLengthIsNoFault", With([](SettingsSelection& s) { s.recordLength = -1; }), {}},
        FaultCase{"TimelapseIsNoFault", With([](SettingsSelection& s) { s.timelapse = -1; }), {}},
        // The month check runs last, after every option check.
        FaultCase{"FlipThenFeb30",
                  With([](SettingsSelection& s) { s.imageFlip = -1; s.month = 1; s.day = 29; }),
                  {F::Option, F::DateTime}},
        FaultCase{"YearThenFlip", With([](SettingsSelection& s) { s.year = -1; s.imageFlip = -1; }),
                  {F::DateTime, F::Option}},
        FaultCase{"Everything", SettingsSelection{}, {F::DateTime, F::DateTime, F::DateTime, F::DateTime,
                                                      F::DateTime, F::DateTime, F::Option, F::Option,
                                                      F::Option, F::Option}}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    ExtremePositions, FaultTable,
    ::testing::Values(
        FaultCase{"AllMax", SettingsSelection{kMax, kMax, kMax, kMax, kMax, kMax, kMax, kMax, kMax, kMax, kMax, kMax},
                  {F::DateTime, F::DateTime, F::DateTime, F::DateTime, F::DateTime, F::DateTime, F::Option,
                   F::Option, F::Option, F::Option}},
        FaultCase{"AllMin", SettingsSelection{kMin, kMin, kMin, kMin, kMin, kMin, kMin, kMin, kMin, kMin, kMin, kMin},
                  {F::DateTime, F::DateTime, F::DateTime, F::DateTime, F::DateTime, F::DateTime, F::Option,
                   F::Option, F::Option, F::Option}},
        // As many checks failing at once as can: a day February lacks beside every other range.
        FaultCase{"FebruaryAndEveryOtherRange",
                  SettingsSelection{kMin, 1, kMax, kMin, kMin, kMin, kMin, 0, 0, kMin, kMin, kMin},
                  {F::DateTime, F::DateTime, F::DateTime, F::DateTime, F::DateTime, F::Option, F::Option, F::Option,
                   F::Option, F::DateTime}},
        // INT32_MAX + 1 must not wrap around into February.
        FaultCase{"MonthMaxDay30", With([](SettingsSelection& s) { s.month = kMax; s.day = 29; }), {F::DateTime}}),
    CaseName);

// A default-built selection is "nothing chosen" in every list, not the first entry of any: each list is named
// with no entry, and the length and time-lapse take their fallbacks.
TEST(ConvertSelection, DefaultSelectionChoosesNothingInAnyList) {
    const SettingsSelection none{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(SettingsSelection{}, none);
    const Conversion c = ConvertSelection(SettingsSelection{});
    EXPECT_EQ(c.settings, ConvertSelection(none).settings);
    EXPECT_EQ(c.settings.recordMinutes, 3);
    EXPECT_EQ(c.settings.timelapseOn, 0);
    using L = SettingsListId;
    const L lists[] = {L::Year, L::Month, L::Day, L::Hour, L::Minute, L::Second,
                       L::ImageFlip, L::RecordAudio, L::UsbMode, L::Timestamp};
    ASSERT_EQ(c.faults.size(), std::size(lists));
    for (std::size_t i = 0; i < std::size(lists); ++i) {
        EXPECT_EQ(c.faults[i].list, lists[i]) << i;
        EXPECT_EQ(c.faults[i].reason, FaultReason::NoEntry) << i;
    }
}

TEST(ConvertSelection, FillsValuesEvenWhenChecksFail) {
    const Conversion c = ConvertSelection(With([](SettingsSelection& s) {
        s.year = -1;
        s.month = -1;
        s.imageFlip = 7;
    }));
    EXPECT_EQ(c.settings.year, 2020);
    EXPECT_EQ(c.settings.month, 0);
    EXPECT_EQ(c.settings.imageFlip, 7);
    EXPECT_EQ(c.settings.day, 1);
}

TEST(ConvertSelection, ExtremePositionsSaturateInsteadOfWrapping) {
    const Conversion hi = ConvertSelection(SettingsSelection{kMax, kMax, kMax, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(hi.settings.year, kMax);
    EXPECT_EQ(hi.settings.month, kMax);
    EXPECT_EQ(hi.settings.day, kMax);
    const Conversion lo = ConvertSelection(SettingsSelection{kMin, kMin, kMin, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(lo.settings.year, kMin + 2021);
    EXPECT_EQ(lo.settings.month, kMin + 1);
}

struct ListCase {
    std::int32_t position;
    std::int32_t recordMinutes;
    std::int32_t timelapseOn;
    std::int32_t timelapseInterval;
};

TEST(ConvertSelection, LengthAndTimelapsePositions) {
    const ListCase cases[] = {
        {0, 1, 1, 0}, {1, 2, 1, 1}, {2, 3, 1, 2}, {3, 5, 0, 0}, {4, 3, 0, 0}, {-1, 3, 0, 0}, {kMax, 3, 0, 0}, {kMin, 3, 0, 0},
    };
    for (const ListCase& c : cases) {
        SettingsSelection s = kInitialSelection;
        s.recordLength = c.position;
        s.timelapse = c.position;
        const Conversion out = ConvertSelection(s);
        SCOPED_TRACE(c.position);
        EXPECT_TRUE(out.faults.empty());
        EXPECT_EQ(out.settings.recordMinutes, c.recordMinutes);
        EXPECT_EQ(out.settings.timelapseOn, c.timelapseOn);
        EXPECT_EQ(out.settings.timelapseInterval, c.timelapseInterval);
    }
}

// The same rule over device values, as the reader and halvo-set apply it: here
// the lists that never fail by position (length, time-lapse) can fail too.
struct ValueCase {
    std::string name;
    void (*edit)(DeviceSettings&);
    std::vector<FailedCheck> checks;
};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.name; }

class CheckSettingsTable : public ::testing::TestWithParam<ValueCase> {};

TEST_P(CheckSettingsTable, NamesEachValueNoListGives) {
    DeviceSettings d = ConvertSelection(kInitialSelection).settings;
    GetParam().edit(d);
    const SettingsFaults faults = CheckSettings(d);
    EXPECT_EQ(std::vector<FailedCheck>(faults.begin(), faults.end()), GetParam().checks);
}

using L = SettingsListId;
constexpr FaultReason kOutside = FaultReason::OutsideList;

INSTANTIATE_TEST_SUITE_P(
    Values, CheckSettingsTable,
    ::testing::Values(
        ValueCase{"Initial", [](DeviceSettings&) {}, {}},
        ValueCase{"EveryLengthAndInterval",
                  [](DeviceSettings& d) { d.recordMinutes = 5; d.timelapseOn = 1; d.timelapseInterval = 2; }, {}},
        ValueCase{"Feb29In2024", [](DeviceSettings& d) { d.year = 2024; d.month = 2; d.day = 29; }, {}},
        ValueCase{"Feb29In2023", [](DeviceSettings& d) { d.year = 2023; d.month = 2; d.day = 29; },
                  {{F::DateTime, L::Day, FaultReason::NoSuchDay}}},
        ValueCase{"Length4", [](DeviceSettings& d) { d.recordMinutes = 4; }, {{F::Option, L::RecordLength, kOutside}}},
        ValueCase{"Length0", [](DeviceSettings& d) { d.recordMinutes = 0; }, {{F::Option, L::RecordLength, kOutside}}},
        ValueCase{"Interval3", [](DeviceSettings& d) { d.timelapseOn = 1; d.timelapseInterval = 3; },
                  {{F::Option, L::Timelapse, kOutside}}},
        // Off always writes interval 0: any other interval is no pair an entry gives.
        ValueCase{"IntervalWhileOff", [](DeviceSettings& d) { d.timelapseInterval = 1; },
                  {{F::Option, L::Timelapse, kOutside}}},
        ValueCase{"Switch2", [](DeviceSettings& d) { d.timelapseOn = 2; }, {{F::Option, L::Timelapse, kOutside}}},
        ValueCase{"Year2020", [](DeviceSettings& d) { d.year = 2020; }, {{F::DateTime, L::Year, kOutside}}},
        ValueCase{"Usb2ThenApril31",
                  [](DeviceSettings& d) { d.usbMode = 2; d.month = 4; d.day = 31; },
                  {{F::Option, L::UsbMode, kOutside}, {F::DateTime, L::Day, FaultReason::NoSuchDay}}},
        // As many checks as can fail at once: every list but the month, whose February lacks the day.
        ValueCase{"AllButTheMonth",
                  [](DeviceSettings& d) { d = {kMin, 2, 32, -1, 60, 60, 2, 4, 0, 1, 2, 2, 2}; },
                  {{F::DateTime, L::Year, kOutside}, {F::DateTime, L::Day, kOutside}, {F::DateTime, L::Hour, kOutside},
                   {F::DateTime, L::Minute, kOutside}, {F::DateTime, L::Second, kOutside},
                   {F::Option, L::ImageFlip, kOutside}, {F::Option, L::RecordLength, kOutside},
                   {F::Option, L::Timelapse, kOutside}, {F::Option, L::RecordAudio, kOutside},
                   {F::Option, L::UsbMode, kOutside}, {F::Option, L::Timestamp, kOutside},
                   {F::DateTime, L::Day, FaultReason::NoSuchDay}}}),
    [](const ::testing::TestParamInfo<ValueCase>& test) { return test.param.name; });

// Every value an entry of any list gives passes; the positions' checks are the values' checks.
TEST(CheckSettings, TakesEveryEntryOfEveryList) {
    for (const SettingsList& list : kSettingsLists) {
        for (std::int32_t at = 0; at < list.Size(); ++at) {
            SettingsSelection s = kInitialSelection;
            s.*list.position = at;
            const Conversion c = ConvertSelection(s);
            ASSERT_TRUE(c.faults.empty()) << list.key << " " << at;
            EXPECT_TRUE(CheckSettings(c.settings).empty()) << list.key << " " << at;
        }
    }
}

}  // namespace
}  // namespace halvo
