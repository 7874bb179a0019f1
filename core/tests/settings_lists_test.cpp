#include "halvo/settings_lists.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "halvo/device_settings.h"
#include "halvo/utf16.h"

namespace halvo {

void PrintTo(const FailedCheck& c, std::ostream* os) {
    *os << "{kind " << int(c.kind) << ", " << ListOf(c.list).key << ", reason " << int(c.reason) << "}";
}

namespace {

using L = SettingsListId;
using R = FaultReason;
using F = CheckKind;

struct DetailCase {
    std::string name;
    void (*edit)(SettingsSelection&);
    std::vector<FailedCheck> checks;
};

void PrintTo(const DetailCase& c, std::ostream* os) { *os << c.name; }

class FailedCheckTable : public ::testing::TestWithParam<DetailCase> {};

TEST_P(FailedCheckTable, NamesTheListAndTheReason) {
    SettingsSelection s = kInitialSelection;
    GetParam().edit(s);
    const SettingsFaults faults = ConvertSelection(s).faults;
    EXPECT_EQ(std::vector<FailedCheck>(faults.begin(), faults.end()), GetParam().checks);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, FailedCheckTable,
    ::testing::Values(
        DetailCase{"NoYear", [](SettingsSelection& s) { s.year = -1; }, {{F::DateTime, L::Year, R::NoEntry}}},
        DetailCase{"YearPastTheList", [](SettingsSelection& s) { s.year = 30; },
                   {{F::DateTime, L::Year, R::OutsideList}}},
        DetailCase{"BelowTheList", [](SettingsSelection& s) { s.second = -2; },
                   {{F::DateTime, L::Second, R::OutsideList}}},
        // The first year is position 0: a day fault there is still the day's.
        DetailCase{"Feb30InTheFirstYear", [](SettingsSelection& s) { s.month = 1; s.day = 29; },
                   {{F::DateTime, L::Day, R::NoSuchDay}}},
        DetailCase{"MinutePastTheList", [](SettingsSelection& s) { s.minute = 60; },
                   {{F::DateTime, L::Minute, R::OutsideList}}},
        DetailCase{"EachOptionList",
                   [](SettingsSelection& s) { s.imageFlip = -1; s.recordAudio = 2; s.usbMode = -1; s.timestamp = 9; },
                   {{F::Option, L::ImageFlip, R::NoEntry},
                    {F::Option, L::RecordAudio, R::OutsideList},
                    {F::Option, L::UsbMode, R::NoEntry},
                    {F::Option, L::Timestamp, R::OutsideList}}},
        DetailCase{"Day32OfFebruary: the range, then the month",
                   [](SettingsSelection& s) { s.month = 1; s.day = 31; },
                   {{F::DateTime, L::Day, R::OutsideList}, {F::DateTime, L::Day, R::NoSuchDay}}},
        DetailCase{"NoMonth: no month rule", [](SettingsSelection& s) { s.month = -1; s.day = 30; },
                   {{F::DateTime, L::Month, R::NoEntry}}}),
    [](const ::testing::TestParamInfo<DetailCase>& test) { return test.param.name.substr(0, test.param.name.find(':')); });

TEST(MonthHasDay, FollowsTheDeviceRule) {
    struct Case {
        std::int32_t year, month, day;
        bool stands;
    };
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr Case kCases[] = {
        // February judges every day past its last: the 29th only in a leap year.
        {2024, 2, 29, true},  {2028, 2, 29, true},   {2023, 2, 29, false}, {2021, 2, 29, false}, {2050, 2, 29, false},
        {2024, 2, 30, false}, {2024, 2, 32, false},  {2023, 2, 28, true},  {2023, 2, 0, true},
        // 30-day months only their 31st.
        {2023, 4, 30, true},  {2023, 4, 31, false},  {2023, 11, 31, false}, {2023, 6, 32, true},
        {2023, 1, 31, true},  {2023, 12, 31, true},  {2023, 7, 31, true},   {2023, 8, 31, true},
        // Other months are the range check's.
        {2023, 0, 31, true},  {2023, 13, 31, true},  {2023, -1, kMax, true},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(MonthHasDay(c.year, c.month, c.day), c.stands) << c.year << "/" << c.month << "/" << c.day;
}

// Every entry of every list comes back as the position it was picked at.
TEST(SettingsLists, ListsOfNumbersHoldTheirWholeRange) {
    EXPECT_EQ(ListOf(SettingsListId::Year).Size(), 30);
    EXPECT_EQ(ListOf(SettingsListId::Month).Size(), 12);
    EXPECT_EQ(ListOf(SettingsListId::Day).Size(), 31);
    EXPECT_EQ(ListOf(SettingsListId::Second).Size(), 60);
}

TEST(SelectionOf, UndoesConvertSelectionForEveryEntry) {
    for (const SettingsList& list : kSettingsLists) {
        for (std::int32_t at = 0; at < list.Size(); ++at) {
            SettingsSelection s = kInitialSelection;
            s.*list.position = at;
            if (list.id == L::Day) s.month = 0;  // January has every day
            const Conversion c = ConvertSelection(s);
            ASSERT_TRUE(c.faults.empty()) << list.key << " " << at;
            EXPECT_EQ(SelectionOf(c.settings), s) << list.key << " " << at;
        }
    }
}

TEST(SelectionOf, MarksValuesNoEntryGives) {
    // At compile time, where a read past a list's last entry does not compile.
    constexpr SettingsSelection s = SelectionOf([] {
        DeviceSettings d = kInitialValues;
        d.year = 2051;
        d.recordMinutes = 4;
        d.timelapseOn = 1;
        d.timelapseInterval = 3;
        d.usbMode = 2;
        return d;
    }());
    EXPECT_EQ(s.year, -1);
    EXPECT_EQ(s.recordLength, -1);
    EXPECT_EQ(s.timelapse, -1);
    EXPECT_EQ(s.usbMode, -1);
    EXPECT_EQ(s.month, kInitialSelection.month);
}

// A list with a switch that none of its entries turns off: a switch that is off stands for no entry. At compile
// time, where a read past the entries does not compile.
TEST(PositionIn, SwitchOffWithoutAnEntryForItGivesNone) {
    static constexpr ListEntry kOnlyOn[] = {{.value = 1, .words = {"1", "1"}, .option = "1"}};
    constexpr SettingsList kList{.id = SettingsListId::Timelapse, .key = "timelapse", .label = {"", ""},
                                 .name = "time-lapse", .position = &SettingsSelection::timelapse,
                                 .field = &DeviceSettings::timelapseInterval, .onSwitch = &DeviceSettings::timelapseOn,
                                 .entries = kOnlyOn};
    constexpr std::optional<std::int32_t> kAt = PositionIn(kList, DeviceSettings{});
    EXPECT_EQ(kAt, std::nullopt);
}

TEST(SelectionOf, TakesTimelapseOffWhateverTheInterval) {
    DeviceSettings d = ConvertSelection(kInitialSelection).settings;
    d.timelapseOn = 0;
    d.timelapseInterval = 2;
    EXPECT_EQ(SelectionOf(d).timelapse, 3);
}

TEST(ToUtf16, ConvertsEachLengthOfSequence) {
    static_assert(ToUtf16<char16_t, 4>("いいえ") == std::array<char16_t, 4>{0x3044, 0x3044, 0x3048, 0});
    static_assert(ToUtf16<char16_t, 4>("A\xc3\xa9") == std::array<char16_t, 4>{0x41, 0xe9, 0, 0});
    static_assert(ToUtf16<char16_t, 3>("\xf0\x9f\x98\x80") == std::array<char16_t, 3>{0xd83d, 0xde00, 0});
    // The first code point past 16 bits, at run time.
    const char* const first = "\xf0\x90\x80\x80";
    EXPECT_EQ((ToUtf16<char16_t, 3>(first)), (std::array<char16_t, 3>{0xd800, 0xdc00, 0}));
    // At run time a text that does not fit is cut, still terminated.
    const char* const longer = "1234";
    EXPECT_EQ((ToUtf16<char16_t, 3>(longer)), (std::array<char16_t, 3>{u'1', u'2', 0}));
}

TEST(Utf16Room, CountsEachLengthOfSequenceAndTheNul) {
    static_assert(Utf16Room("") == 1);
    static_assert(Utf16Room("A\xc3\xa9") == 3);
    static_assert(Utf16Room("いいえ") == 4);
    static_assert(Utf16Room("\xf0\x9f\x98\x80") == 3);  // a surrogate pair
    // Exactly the room: one unit less cuts the text.
    constexpr auto kExact = ToUtf16<char16_t, Utf16Room("年A\xf0\x9f\x98\x80")>("年A\xf0\x9f\x98\x80");
    EXPECT_EQ(kExact, (std::array<char16_t, 5>{0x5e74, u'A', 0xd83d, 0xde00, 0}));
}

// The rules the checks walk are the lists' values: each position gives the same device values through either.
TEST(ListRules, GiveWhatTheirListsGive) {
    for (const SettingsList& list : kSettingsLists) {
        const ListRule& rule = RuleOf(list.id);
        ASSERT_EQ(rule.Size(), list.Size()) << list.key;
        EXPECT_EQ(rule.position, list.position) << list.key;
        EXPECT_EQ(rule.initial, list.initial) << list.key;
        EXPECT_EQ(rule.kind, list.kind) << list.key;
        EXPECT_EQ(rule.fallback, list.fallback) << list.key;
        for (std::int32_t at = 0; at < list.Size(); ++at) {
            DeviceSettings fromList, fromRule;
            SetPosition(list, at, fromList);
            SetPosition(rule, at, fromRule);
            EXPECT_EQ(fromRule, fromList) << list.key << " " << at;
        }
    }
}

// At run time malformed text ends the conversion before the first bad sequence (a constant of it does not
// compile: utf16_constant_test.cmake).
TEST(ToUtf16, MalformedTextAtRunTimeStopsBeforeTheBadSequence) {
    struct Case {
        const char* name;
        const char* utf8;
        std::array<char16_t, 4> utf16;
    };
    const Case cases[] = {
        {"stray continuation byte", "a\x80" "b", {u'a', 0, 0, 0}},
        {"lead byte without its continuation", "a\xc3" "b", {u'a', 0, 0, 0}},
        {"three-byte sequence cut by the end", "a\xe3\x81", {u'a', 0, 0, 0}},
        {"continuation byte after a whole sequence", "\xc3\xa9\xa9", {0xe9, 0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ((ToUtf16<char16_t, 4>(c.utf8)), c.utf16) << c.name;
}

}  // namespace
}  // namespace halvo
