#pragma once

// The settings dialog on template IDD_SETTINGS_DIALOG.

#include "halvo/platform/combo_box.h"
#include "halvo/platform/dialog.h"
#include "halvo/platform/types.h"
#include "resource.h"

namespace halvo {

class CHalvoDlg : public platform::CDialog {
public:
    // Loads the application icon; the dialog has no parent in the program.
    explicit CHalvoDlg(platform::WindowHandle parent = nullptr);

protected:
    bool OnInitDialog() override;
    bool OnMessage(const platform::Message& message) override { return Route(kMessageMap, message); }

private:
    void OnPaint();
    platform::MessageResult OnQueryDragIcon();
    void Close();
    void ApplySettings();
    void SyncClock();

    platform::CComboBox List(int controlId) const { return platform::CComboBox(GetDlgItem(controlId)); }
    void ShowError() const;

    platform::IconHandle icon_;  // IDR_APP_ICON; the system owns it

    static constexpr platform::MessageRoute<CHalvoDlg> kMessageMap[] = {
        {platform::kWmPaint, 0, 0, &CHalvoDlg::OnPaint},
        {platform::kWmQueryDragIcon, 0, 0, &CHalvoDlg::OnQueryDragIcon},
        {platform::kWmCommand, platform::kBnClicked, platform::kIdOk, &CHalvoDlg::Close},
        {platform::kWmCommand, platform::kBnClicked, platform::kIdCancel, &CHalvoDlg::Close},
        {platform::kWmCommand, platform::kBnClicked, IDC_APPLY, &CHalvoDlg::ApplySettings},
        {platform::kWmCommand, platform::kBnClicked, IDC_SYNC_CLOCK, &CHalvoDlg::SyncClock},
    };
};

}  // namespace halvo
