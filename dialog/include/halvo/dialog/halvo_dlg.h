#pragma once

// The settings dialog on template IDD_SETTINGS_DIALOG.

#include "halvo/platform/combo_box.h"
#include "halvo/platform/dialog.h"
#include "halvo/platform/types.h"

namespace halvo {

class CHalvoDlg : public platform::CDialog {
public:
    // Loads the application icon; the dialog has no parent in the program.
    explicit CHalvoDlg(platform::WindowHandle parent = nullptr);

protected:
    bool OnInitDialog() override;
    bool OnMessage(const platform::Message& message) override;

private:
    void OnPaint();
    platform::MessageResult OnQueryDragIcon();
    void Close();
    void ApplySettings();
    void SyncClock();

    platform::CComboBox List(int controlId) const { return platform::CComboBox(GetDlgItem(controlId)); }
    void ShowError() const;

    platform::IconHandle icon_;  // IDR_APP_ICON; the system owns it

    // Defined beside the control ids, which stay out of this header.
    static const platform::MessageRoute<CHalvoDlg> kMessageMap[];
};

}  // namespace halvo
