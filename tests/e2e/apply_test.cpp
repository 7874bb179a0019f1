// "完了" and the PC-clock button, checked by what the user sees and what lands on disk.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "driver.h"

namespace halvo::e2e {
namespace {

const std::wstring kAppCaption = L"Halvo";

void ExpectOnly(const std::vector<MessageBoxSeen>& boxes, std::size_t count, std::wstring_view text,
                const std::wstring& caption = kAppCaption) {
    ASSERT_EQ(boxes.size(), count);
    for (const MessageBoxSeen& box : boxes) {
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, caption);
        EXPECT_TRUE(box.ownedByDialog) << "the message box must be modal to the dialog";
    }
}

const std::vector<std::uint8_t> kPrevious = {'o', 'l', 'd', ' ', 's', 'e', 't', '.', 't', 'x', 't', '\r', '\n'};

TEST(Apply, InitialSelectionsWriteTheFileAndTheDialogStaysOpen) {
    TempDir dir;
    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());
    const auto expected = ExpectedFile({2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1});

    ExpectOnly(app.Click(IDC_APPLY), 1, kSuccessText);
    EXPECT_EQ(dir.Read("set.txt"), expected);
    ASSERT_TRUE(app.Running());

    // A second apply replaces whatever the file holds by then, longer or not.
    dir.Write("set.txt", std::vector<std::uint8_t>(1000, 'x'));
    ExpectOnly(app.Click(IDC_APPLY), 1, kSuccessText);
    EXPECT_EQ(dir.Read("set.txt"), expected);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
    ASSERT_TRUE(app.Running());

    // Changed choices in the same run take the file's place in turn.
    ASSERT_TRUE(app.Select(IDC_YEAR, 29));
    ASSERT_TRUE(app.Select(IDC_RECORD_LENGTH, 3));
    ExpectOnly(app.Click(IDC_APPLY), 1, kSuccessText);
    EXPECT_EQ(dir.Read("set.txt"), ExpectedFile({2050, 1, 1, 0, 0, 0, 0, 5, 0, 0, 1, 0, 1}));

    EXPECT_TRUE(app.Click(IDOK).empty());
    EXPECT_TRUE(app.WaitForExit(15000));
}

TEST(Apply, NothingIsRememberedForTheNextRun) {
    TempDir dir;
    {
        HalvoProcess first(Program::Halvo, dir.Path());
        ASSERT_TRUE(first.Started());
        first.SelectAll({29, 11, 30, 23, 59, 59, 1, 3, 2, 0, 1, 0});
        ExpectOnly(first.Click(IDC_APPLY), 1, kSuccessText);
        EXPECT_TRUE(first.Click(IDOK).empty());
        ASSERT_TRUE(first.WaitForExit(15000));
    }
    HalvoProcess second(Program::Halvo, dir.Path());
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(AsArray(second.ReadAll()), AsArray(kInitialSelection));
}

struct WriteCase {
    const char* name;
    SettingsSelection selection;
    DeviceSettings written;
};

class ApplyWritesTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ApplyWritesTest, WritesExactlyTheSelectedValues) {
    TempDir dir;
    dir.Write("set.txt", kPrevious);
    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());
    app.SelectAll(GetParam().selection);

    ExpectOnly(app.Click(IDC_APPLY), 1, kSuccessText);
    EXPECT_EQ(dir.Read("set.txt"), ExpectedFile(GetParam().written));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
    EXPECT_TRUE(app.Running());
}

// Selections are positions: year, month, day, hour, minute, second, flip,
// length, time-lapse, sound, USB, time stamp.
INSTANTIATE_TEST_SUITE_P(
    Selections, ApplyWritesTest,
    ::testing::Values(
        WriteCase{"LastOfEverything", {29, 11, 30, 23, 59, 59, 1, 3, 2, 0, 1, 0},
                  {2050, 12, 31, 23, 59, 59, 1, 5, 1, 2, 0, 1, 0}},
        WriteCase{"MidRange", {16, 6, 14, 12, 34, 56, 0, 2, 1, 1, 0, 1},
                  {2037, 7, 15, 12, 34, 56, 0, 3, 1, 1, 1, 0, 1}},
        WriteCase{"OneMinuteEveryTwoSeconds", {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1},
                  {2021, 1, 1, 0, 0, 0, 0, 1, 1, 0, 1, 0, 1}},
        WriteCase{"TwoMinutesEveryFiveSeconds", {0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 1},
                  {2021, 1, 1, 0, 0, 0, 0, 2, 1, 1, 1, 0, 1}},
        WriteCase{"ThreeMinutesEveryTenSeconds", {0, 0, 0, 0, 0, 0, 0, 2, 2, 1, 0, 1},
                  {2021, 1, 1, 0, 0, 0, 0, 3, 1, 2, 1, 0, 1}},
        WriteCase{"FiveMinutesNoTimelapse", {0, 0, 0, 0, 0, 0, 0, 3, 3, 1, 0, 1},
                  {2021, 1, 1, 0, 0, 0, 0, 5, 0, 0, 1, 0, 1}},
        // 29 February of a leap year.
        WriteCase{"TwentyNinthOfFebruary2024", {3, 1, 28, 0, 0, 0, 0, 1, 3, 1, 0, 1},
                  {2024, 2, 29, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1}},
        WriteCase{"ThirtiethOfApril", {3, 3, 29, 0, 0, 0, 0, 1, 3, 1, 0, 1},
                  {2024, 4, 30, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1}}),
    [](const auto& row) { return std::string(row.param.name); });

// --- faults: ERROR! per fault, then the program ends and nothing is written ---

struct FaultCase {
    const char* name;
    std::function<void(const TempDir&)> prepareDir;
    std::function<void(const HalvoProcess&)> choose;
    std::size_t errors;
};

void KeepPrevious(const TempDir& dir) { dir.Write("set.txt", kPrevious); }

std::function<void(const HalvoProcess&)> Date(int month, int day, int year = kFirstYear) {
    return [month, day, year](const HalvoProcess& app) {
        ASSERT_TRUE(app.Select(IDC_YEAR, year - kFirstYear));
        ASSERT_TRUE(app.Select(IDC_MONTH, month - 1));
        ASSERT_TRUE(app.Select(IDC_DAY, day - 1));
    };
}

class ApplyFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ApplyFaultTest, ShowsOneErrorPerFaultThenEnds) {
    const FaultCase& c = GetParam();
    TempDir dir;
    c.prepareDir(dir);
    const auto before = dir.Read("set.txt");
    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());
    c.choose(app);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());

    ExpectOnly(app.Click(IDC_APPLY), c.errors, kErrorText);
    EXPECT_TRUE(app.WaitForExit(15000)) << "the program must end after its error messages";
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"}) << "nothing may be left behind";
    EXPECT_EQ(dir.Read("set.txt"), before) << "set.txt must be left as it was";
    const auto target = dir.Path() / "set.txt";
    if (std::filesystem::is_directory(target)) {
        EXPECT_TRUE(std::filesystem::is_empty(target));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ApplyFaultTest,
    ::testing::Values(
        FaultCase{"ThirtiethOfFebruary", KeepPrevious, Date(2, 30), 1},
        // A date that does not exist: 2023 is no leap year.
        FaultCase{"TwentyNinthOfFebruary2023", KeepPrevious, Date(2, 29, 2023), 1},
        FaultCase{"ThirtyFirstOfApril", KeepPrevious, Date(4, 31), 1},
        FaultCase{"ThirtyFirstOfJune", KeepPrevious, Date(6, 31), 1},
        FaultCase{"ThirtyFirstOfSeptember", KeepPrevious, Date(9, 31), 1},
        FaultCase{"ThirtyFirstOfNovember", KeepPrevious, Date(11, 31), 1},
        // Text typed into a list leaves it without a selection, even when the
        // text matches an entry: one fault for the year, one for the flip.
        FaultCase{"TextTypedIntoYearAndFlip", KeepPrevious,
                  [](const HalvoProcess& app) {
                      app.Type(IDC_YEAR, L"2030");
                      app.Type(IDC_IMAGE_FLIP, L"はい");
                      ASSERT_EQ(app.Selection(IDC_YEAR), -1);
                      ASSERT_EQ(app.Selection(IDC_IMAGE_FLIP), -1);
                  },
                  2},
        // set.txt cannot be created: a directory has its name.
        FaultCase{"SetTxtIsADirectory",
                  [](const TempDir& dir) { std::filesystem::create_directory(dir.Path() / "set.txt"); },
                  [](const HalvoProcess&) {}, 1}),
    [](const auto& row) { return std::string(row.param.name); });

// --- the PC-clock button -----------------------------------------------------

// Every list moved away from its initial position, so that both a change and a
// kept selection show.
constexpr SettingsSelection kBeforeClock{7, 6, 5, 4, 3, 2, 1, 3, 0, 0, 1, 0};

struct ClockCase {
    const char* name;
    const wchar_t* localTime;
    std::size_t errors;
    std::array<std::int32_t, 6> dateTime;  // positions after the click
};

class ClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockTest, SetsTheDateAndTimeListsOnly) {
    const ClockCase& c = GetParam();
    TempDir dir;
    HalvoProcess app(Program::HalvoTestClock, dir.Path(), c.localTime);
    ASSERT_TRUE(app.Started());
    app.SelectAll(kBeforeClock);

    ExpectOnly(app.Click(IDC_SYNC_CLOCK), c.errors, kErrorText, L"HalvoTestClock");

    auto expected = AsArray(kBeforeClock);
    std::copy(c.dateTime.begin(), c.dateTime.end(), expected.begin());
    EXPECT_EQ(AsArray(app.ReadAll()), expected);
    EXPECT_TRUE(app.Running()) << "the dialog must stay open";
    EXPECT_TRUE(dir.Entries().empty()) << "the clock button writes nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Times, ClockTest,
    ::testing::Values(ClockCase{"InRange", L"2024-03-05 07:08:09", 0, {3, 2, 4, 7, 8, 9}},
                      ClockCase{"FirstListedMoment", L"2021-01-01 00:00:00", 0, {0, 0, 0, 0, 0, 0}},
                      ClockCase{"LastListedMoment", L"2050-12-31 23:59:59", 0, {29, 11, 30, 23, 59, 59}},
                      // The year list keeps its selection; the other five are set.
                      ClockCase{"YearBeforeTheList", L"2020-12-31 23:59:59", 1, {7, 11, 30, 23, 59, 59}},
                      ClockCase{"YearAfterTheList", L"2051-01-02 03:04:05", 1, {7, 0, 1, 3, 4, 5}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Clock, TimeTakenFromTheClockIsWhatApplyWrites) {
    TempDir dir;
    HalvoProcess app(Program::HalvoTestClock, dir.Path(), L"2024-03-05 07:08:09");
    ASSERT_TRUE(app.Started());
    EXPECT_TRUE(app.Click(IDC_SYNC_CLOCK).empty());
    ExpectOnly(app.Click(IDC_APPLY), 1, kSuccessText, L"HalvoTestClock");
    EXPECT_EQ(dir.Read("set.txt"), ExpectedFile({2024, 3, 5, 7, 8, 9, 0, 2, 0, 0, 1, 0, 1}));
}

}  // namespace
}  // namespace halvo::e2e
