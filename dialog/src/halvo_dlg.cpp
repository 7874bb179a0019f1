#include "halvo/dialog/halvo_dlg.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "halvo/calendar.h"
#include "halvo/device_settings.h"
#include "halvo/platform/paint_dc.h"
#include "halvo/platform/system.h"
#include "halvo/set_file.h"
#include "resource.h"

namespace halvo {
namespace {

constexpr wchar_t kErrorText[] = L"ERROR!";
constexpr wchar_t kSuccessText[] =
    L"本体をPCと接続し、作成されたset.txtファイルに入れます。PCから取り出して電源を入れると設定完了です。";

// The six date and time lists, in the order of DatePositions' fields; the
// template's list data fills them with the values PositionsFromClock counts.
constexpr std::array<int, 6> kClockListIds{IDC_YEAR, IDC_MONTH, IDC_DAY, IDC_HOUR, IDC_MINUTE, IDC_SECOND};
static_assert(kInitialSelection.year == 0 && kInitialSelection.month == 0 && kInitialSelection.day == 0 &&
                  kInitialSelection.hour == 0 && kInitialSelection.minute == 0 && kInitialSelection.second == 0,
              "the date and time lists start at their first entry");

// The six lists that start-up fills, in filling order.
struct OptionList {
    int controlId;
    std::span<const wchar_t* const> entries;
    int initial;
};
constexpr const wchar_t* kImageFlipEntries[] = {L"いいえ", L"はい"};
constexpr const wchar_t* kRecordLengthEntries[] = {L"1", L"2", L"3", L"5"};
constexpr const wchar_t* kTimelapseEntries[] = {L"2秒", L"5秒", L"10秒", L"オフ"};
constexpr const wchar_t* kOffOnEntries[] = {L"オフ", L"オン"};
constexpr const wchar_t* kUsbModeEntries[] = {L"マスストレージ", L"録画装置"};
constexpr OptionList kOptionLists[] = {
    {IDC_IMAGE_FLIP, kImageFlipEntries, kInitialSelection.imageFlip},
    {IDC_RECORD_LENGTH, kRecordLengthEntries, kInitialSelection.recordLength},
    {IDC_TIMELAPSE, kTimelapseEntries, kInitialSelection.timelapse},
    {IDC_RECORD_AUDIO, kOffOnEntries, kInitialSelection.recordAudio},
    {IDC_USB_MODE, kUsbModeEntries, kInitialSelection.usbMode},
    {IDC_TIMESTAMP, kOffOnEntries, kInitialSelection.timestamp},
};

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

    for (const int controlId : kClockListIds) List(controlId).SetCurSel(0);

    for (const OptionList& list : kOptionLists) {
        const platform::CComboBox combo = List(list.controlId);
        for (const wchar_t* entry : list.entries) combo.AddString(entry);
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
    const SettingsSelection selection{
        .year = List(IDC_YEAR).GetCurSel(),
        .month = List(IDC_MONTH).GetCurSel(),
        .day = List(IDC_DAY).GetCurSel(),
        .hour = List(IDC_HOUR).GetCurSel(),
        .minute = List(IDC_MINUTE).GetCurSel(),
        .second = List(IDC_SECOND).GetCurSel(),
        .imageFlip = List(IDC_IMAGE_FLIP).GetCurSel(),
        .recordLength = List(IDC_RECORD_LENGTH).GetCurSel(),
        .timelapse = List(IDC_TIMELAPSE).GetCurSel(),
        .recordAudio = List(IDC_RECORD_AUDIO).GetCurSel(),
        .usbMode = List(IDC_USB_MODE).GetCurSel(),
        .timestamp = List(IDC_TIMESTAMP).GetCurSel(),
    };

    const Conversion conversion = ConvertSelection(selection);
    for (std::size_t i = 0; i < conversion.faults.size(); ++i) {
        ShowError();
        OnOK();  // the dialog ends once this handler has returned
    }
    if (!conversion.faults.empty()) return;

    // FileOpen and FileWrite alike: set.txt is as it was before.
    if (const std::optional<SettingsFault> fault = WriteSetFile(conversion.settings)) {
        ShowError();
        OnOK();
        return;
    }
    ShowMessageBox(kSuccessText);
}

void CHalvoDlg::SyncClock() {
    const platform::LocalTime now = platform::ReadLocalTime();
    const DatePositions p = PositionsFromClock({now.year, now.month, now.day, now.hour, now.minute, now.second});
    const std::array<std::int32_t, kClockListIds.size()> positions{p.year, p.month, p.day, p.hour, p.minute, p.second};
    for (std::size_t i = 0; i < kClockListIds.size(); ++i) {
        if (positions[i] < 0) {
            ShowError();  // that list keeps its selection
            continue;
        }
        List(kClockListIds[i]).SetCurSel(positions[i]);
    }
}

void CHalvoDlg::ShowError() const { ShowMessageBox(kErrorText); }

}  // namespace halvo
