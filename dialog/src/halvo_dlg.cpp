#include "halvo/dialog/halvo_dlg.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>

#include "halvo/calendar.h"
#include "halvo/device_settings.h"
#include "halvo/platform/paint_dc.h"
#include "halvo/platform/system.h"
#include "halvo/set_file_writer.h"
#include "halvo/settings_lists.h"
#include "halvo/utf16.h"
#include "resource.h"

namespace halvo {
namespace {

// Room for the longest word, in UTF-16 units with the terminating NUL.
constexpr std::size_t kWordRoom = 8;
using Word = std::array<wchar_t, kWordRoom>;

constexpr auto kErrorBox = ToUtf16<wchar_t, Utf16Room(kErrorText)>(kErrorText);
constexpr auto kSuccessBox = ToUtf16<wchar_t, Utf16Room(kWrittenAdvice.japanese)>(kWrittenAdvice.japanese);

// The control that shows each list.
struct ListControl {
    SettingsListId list;
    int control;
};
constexpr ListControl kListControlTable[] = {
    {SettingsListId::Year, IDC_YEAR},
    {SettingsListId::Month, IDC_MONTH},
    {SettingsListId::Day, IDC_DAY},
    {SettingsListId::Hour, IDC_HOUR},
    {SettingsListId::Minute, IDC_MINUTE},
    {SettingsListId::Second, IDC_SECOND},
    {SettingsListId::ImageFlip, IDC_IMAGE_FLIP},
    {SettingsListId::RecordLength, IDC_RECORD_LENGTH},
    {SettingsListId::Timelapse, IDC_TIMELAPSE},
    {SettingsListId::RecordAudio, IDC_RECORD_AUDIO},
    {SettingsListId::UsbMode, IDC_USB_MODE},
    {SettingsListId::Timestamp, IDC_TIMESTAMP},
};

// The controls by list.
constexpr std::array<int, kSettingsLists.size()> kListControls = [] {
    std::array<int, kSettingsLists.size()> controls{};
    for (const ListControl& entry : kListControlTable) controls[static_cast<std::size_t>(entry.list)] = entry.control;
    return controls;
}();

// Each list has a control of its own: a list left out, or two lists sharing
// one, stops the build instead of reading control 0.
static_assert(std::size(kListControlTable) == kSettingsLists.size());
static_assert([] {
    for (std::size_t i = 0; i < kListControls.size(); ++i) {
        if (kListControls[i] == 0) return false;
        for (std::size_t j = 0; j < i; ++j)
            if (kListControls[i] == kListControls[j]) return false;
    }
    return true;
}());

// The template's list data fills the date and time lists, which start at
// their first entry; start-up fills the lists of words.
static_assert(std::all_of(kSettingsLists.begin(), kSettingsLists.begin() + kDateTimeLists,
                          [](const SettingsList& list) { return list.entries.empty() && list.initial == 0; }));
static_assert(std::all_of(kSettingsLists.begin() + kDateTimeLists, kSettingsLists.end(),
                          [](const SettingsList& list) { return !list.entries.empty(); }));

// The Japanese words of the lists of words (those after the date and time
// lists), by list and position.
constexpr auto kListWords = [] {
    std::array<std::array<Word, ListRule::kRoom>, kSettingsLists.size() - kDateTimeLists> words{};
    for (std::size_t list = kDateTimeLists; list < kSettingsLists.size(); ++list) {
        const auto entries = kSettingsLists[list].entries;
        for (std::size_t at = 0; at < entries.size(); ++at)
            words[list - kDateTimeLists][at] = ToUtf16<wchar_t, kWordRoom>(entries[at].words.japanese);
    }
    return words;
}();

}  // namespace

constinit const platform::MessageRoute<CHalvoDlg> CHalvoDlg::kMessageMap[] = {
    {platform::kWmPaint, 0, 0, &CHalvoDlg::OnPaint},
    {platform::kWmQueryDragIcon, 0, 0, &CHalvoDlg::OnQueryDragIcon},
    {platform::kWmCommand, platform::kBnClicked, platform::kIdOk, &CHalvoDlg::Close},
    {platform::kWmCommand, platform::kBnClicked, platform::kIdCancel, &CHalvoDlg::Close},
    {platform::kWmCommand, platform::kBnClicked, IDC_APPLY, &CHalvoDlg::ApplySettings},
    {platform::kWmCommand, platform::kBnClicked, IDC_SYNC_CLOCK, &CHalvoDlg::SyncClock},
};

CHalvoDlg::CHalvoDlg(platform::WindowHandle parent)
    : CDialog(IDD_SETTINGS_DIALOG, parent), icon_(platform::LoadAppIcon(IDR_APP_ICON)) {}

bool CHalvoDlg::OnMessage(const platform::Message& message) { return Route(kMessageMap, message); }

bool CHalvoDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SetIcon(icon_, true);
    SetIcon(icon_, false);

    // The rules, not the lists: the dialog links none of the other front ends' words.
    for (std::size_t i = 0; i < kListRules.size(); ++i) {
        const ListRule& list = kListRules[i];
        const platform::CComboBox combo = List(kListControls[i]);
        for (std::int32_t at = 0; at < list.count; ++at)
            combo.AddString(kListWords[i - kDateTimeLists][static_cast<std::size_t>(at)].data());
        combo.SetCurSel(list.initial);
    }

    return true;  // the focus goes to the first control with a tab stop: the close button
}

void CHalvoDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    platform::CPaintDC dc(*this);
    Send(platform::kWmIconEraseBkgnd, reinterpret_cast<platform::WParam>(dc.GetSafeHdc()), 0);

    const int cxIcon = platform::SystemMetric(platform::kSmCxIcon);
    const int cyIcon = platform::SystemMetric(platform::kSmCyIcon);
    const platform::Rect rect = GetClientRect();
    const int x = (rect.Width() - cxIcon + 1) / 2;
    const int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, icon_);
}

platform::MessageResult CHalvoDlg::OnQueryDragIcon() { return platform::MessageResult::Of(icon_); }

void CHalvoDlg::Close() { OnCancel(); }

void CHalvoDlg::ApplySettings() {
    SettingsSelection selection;
    for (std::size_t i = 0; i < kListRules.size(); ++i)
        selection.*kListRules[i].position = List(kListControls[i]).GetCurSel();

    const Conversion conversion = ConvertSelection(selection);
    for (std::size_t i = 0; i < conversion.faults.size(); ++i) {
        ShowError();
        OnOK();  // the dialog ends once this handler has returned
    }
    if (!conversion.faults.empty()) return;

    // A failure to open or to write alike: one "ERROR!", as for a failed check.
    if (WriteSetFile(conversion.settings)) {
        ShowError();
        OnOK();
        return;
    }
    ShowMessageBox(kSuccessBox.data());
}

void CHalvoDlg::SyncClock() {
    const DateTime positions = PositionsFromClock(platform::ReadLocalTime());
    for (std::size_t i = 0; i < kDateTimeLists; ++i) {
        const std::int32_t at = positions.*kDateTimeFields[i].field;
        if (at < 0) {
            ShowError();  // that list keeps its selection
            continue;
        }
        List(kListControls[i]).SetCurSel(at);
    }
}

void CHalvoDlg::ShowError() const { ShowMessageBox(kErrorBox.data()); }

}  // namespace halvo
