// The dialog as it opens, and every way of closing it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "driver.h"
#include "halvo/calendar.h"
#include "halvo/settings_lists.h"
#include "halvo/utf16.h"

namespace halvo::e2e {
namespace {

struct ControlRow {
    int id;
    const wchar_t* className;
    const wchar_t* caption;  // nullptr: not checked (a list's edit text)
};

// The 29 controls in template order, which is also the tab order.
const ControlRow kControls[] = {
    {IDOK, L"Button", L"閉じる"},
    {-1, L"Static", L"日付時間設定:"},
    {IDC_YEAR, L"ComboBox", nullptr},
    {-1, L"Static", L"年:"},
    {-1, L"Static", L"月:"},
    {IDC_MONTH, L"ComboBox", nullptr},
    {-1, L"Static", L"日:"},
    {IDC_DAY, L"ComboBox", nullptr},
    {-1, L"Static", L"時:"},
    {IDC_HOUR, L"ComboBox", nullptr},
    {-1, L"Static", L"分:"},
    {-1, L"Static", L"秒:"},
    {IDC_MINUTE, L"ComboBox", nullptr},
    {IDC_SECOND, L"ComboBox", nullptr},
    {-1, L"Static", L"イメージフリップ:"},
    {IDC_IMAGE_FLIP, L"ComboBox", nullptr},
    {-1, L"Static", L"録画時間:"},
    {IDC_RECORD_LENGTH, L"ComboBox", nullptr},
    {-1, L"Static", L"分"},
    {IDC_APPLY, L"Button", L"完了"},
    {IDC_SYNC_CLOCK, L"Button", L"自動的にPCの時間に合わせる"},
    {-1, L"Static", L"タイムラプス:"},
    {-1, L"Static", L"USB装置:"},
    {-1, L"Static", L"録画音声:"},
    {IDC_TIMELAPSE, L"ComboBox", nullptr},
    {IDC_RECORD_AUDIO, L"ComboBox", nullptr},
    {IDC_USB_MODE, L"ComboBox", nullptr},
    {-1, L"Static", L"タイムスタンプ:"},
    {IDC_TIMESTAMP, L"ComboBox", nullptr},
};

// A date or time list as the calendar has it: the template's list data must agree.
std::vector<std::wstring> Numbers(ValueRange range) {
    std::vector<std::wstring> out;
    for (std::int32_t i = range.first; i <= range.last; ++i) out.push_back(std::to_wstring(i));
    return out;
}

struct ListRow {
    int id;
    std::vector<std::wstring> entries;
    int initial;
};

const std::vector<ListRow>& Lists() {
    static const std::vector<ListRow> lists = {
        {IDC_YEAR, Numbers(kYearRange), 0},
        {IDC_MONTH, Numbers(kMonthRange), 0},
        {IDC_DAY, Numbers(kDayRange), 0},
        {IDC_HOUR, Numbers(kHourRange), 0},
        {IDC_MINUTE, Numbers(kMinuteRange), 0},
        {IDC_SECOND, Numbers(kSecondRange), 0},
        {IDC_IMAGE_FLIP, {L"いいえ", L"はい"}, 0},
        {IDC_RECORD_LENGTH, {L"1", L"2", L"3", L"5"}, 1},
        // Unsorted: "10秒" stays third.
        {IDC_TIMELAPSE, {L"2秒", L"5秒", L"10秒", L"オフ"}, 3},
        {IDC_RECORD_AUDIO, {L"オフ", L"オン"}, 1},
        {IDC_USB_MODE, {L"マスストレージ", L"録画装置"}, 0},
        {IDC_TIMESTAMP, {L"オフ", L"オン"}, 1},
    };
    return lists;
}

class DialogTest : public ::testing::Test {
protected:
    TempDir dir_;
    HalvoProcess app_{Program::Halvo, dir_.Path()};
};

TEST_F(DialogTest, ShowsItsControlsInTemplateOrder) {
    ASSERT_TRUE(app_.Started());
    EXPECT_EQ(WindowText(app_.Dialog()), L"Mesk (JPN)");

    std::vector<HWND> children;
    for (HWND c = GetWindow(app_.Dialog(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    ASSERT_EQ(children.size(), std::size(kControls));

    for (std::size_t i = 0; i < children.size(); ++i) {
        const HWND c = children[i];
        const ControlRow& want = kControls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        EXPECT_EQ(GetDlgCtrlID(c), want.id);
        EXPECT_EQ(ClassName(c), want.className);
        if (want.caption != nullptr) {
            EXPECT_EQ(WindowText(c), want.caption);
        }
        const auto style = static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE));
        EXPECT_TRUE(style & WS_VISIBLE);
        if (std::wstring(want.className) == L"ComboBox") {
            // Editable drop-downs, so a user can type into every list.
            EXPECT_EQ(style & 0x3u, static_cast<DWORD>(CBS_DROPDOWN));
            EXPECT_FALSE(style & CBS_SORT);
            EXPECT_TRUE(style & WS_TABSTOP);
            EXPECT_NE(FindWindowExW(c, nullptr, L"Edit", nullptr), nullptr);
        }
        if (std::wstring(want.className) == L"Button") {
            EXPECT_TRUE(style & WS_TABSTOP);
        }
    }
}

TEST_F(DialogTest, OpensCentredWithoutMinimiseOrMaximiseBox) {
    ASSERT_TRUE(app_.Started());
    const HWND dlg = app_.Dialog();
    const auto style = static_cast<DWORD>(GetWindowLongW(dlg, GWL_STYLE));
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(static_cast<DWORD>(GetWindowLongW(dlg, GWL_EXSTYLE)) & WS_EX_APPWINDOW);

    // The template asks for position 0, 0, which means the middle of the screen.
    RECT window{};
    ASSERT_TRUE(GetWindowRect(dlg, &window));
    const HMONITOR monitor = MonitorFromWindow(dlg, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
    const RECT& work = info.rcWork;
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 2);

}

TEST_F(DialogTest, ListsHoldTheirEntriesAndInitialSelections) {
    ASSERT_TRUE(app_.Started());
    for (const ListRow& list : Lists()) {
        SCOPED_TRACE("list " + std::to_string(list.id));
        EXPECT_EQ(app_.Items(list.id), list.entries);
        EXPECT_EQ(app_.Selection(list.id), list.initial);
    }
}

// The template's captions and the other front ends' field names are one set of words.
TEST_F(DialogTest, EachListIsCaptionedWithItsNameFromTheCore) {
    ASSERT_TRUE(app_.Started());
    std::vector<std::wstring> captions;
    for (HWND c = GetWindow(app_.Dialog(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassName(c) == L"Static") captions.push_back(WindowText(c));
    for (const SettingsList& list : kSettingsLists) {
        const auto caption = ToUtf16<wchar_t, 16>(list.label.japanese);
        const std::wstring wanted = std::wstring(caption.data()) + L":";
        EXPECT_NE(std::find(captions.begin(), captions.end(), wanted), captions.end()) << list.key;
    }
}

TEST_F(DialogTest, CloseButtonHasTheFocusAndIsTheDefault) {
    ASSERT_TRUE(app_.Started());
    const HWND close = app_.Control(IDOK);
    ASSERT_NE(close, nullptr);
    const LRESULT def = SendMessageW(app_.Dialog(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(def), DC_HASDEFID);
    EXPECT_EQ(LOWORD(def), IDOK);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(close, GWL_STYLE)) & BS_TYPEMASK,
              static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(app_.Focus(), close);
}

enum class CloseBy { CloseButton, Enter, Escape, TitleBar };

struct CloseCase {
    const char* name;
    CloseBy how;
};

class CloseTest : public ::testing::TestWithParam<CloseCase> {};

// Straight after start, each way of closing ends the program and writes nothing.
TEST_P(CloseTest, EndsTheProgramWithoutWriting) {
    TempDir dir;
    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());
    switch (GetParam().how) {
        case CloseBy::CloseButton:
            EXPECT_TRUE(app.Click(IDOK).empty()) << "closing must not show a message";
            break;
        case CloseBy::Enter:
            app.PressKey(VK_RETURN);
            break;
        case CloseBy::Escape:
            app.PressKey(VK_ESCAPE);
            break;
        case CloseBy::TitleBar:
            app.CloseFromTitleBar();
            break;
    }
    EXPECT_TRUE(app.WaitForExit(15000)) << "the program is still running";
    EXPECT_EQ(app.ExitCode(), DWORD{0});
    EXPECT_TRUE(dir.Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(AllPaths, CloseTest,
                         ::testing::Values(CloseCase{"CloseButton", CloseBy::CloseButton},
                                           CloseCase{"Enter", CloseBy::Enter},
                                           CloseCase{"Escape", CloseBy::Escape},
                                           CloseCase{"TitleBar", CloseBy::TitleBar}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace halvo::e2e
