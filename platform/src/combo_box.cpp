#include "halvo/platform/combo_box.h"

#include "win32.h"

namespace halvo::platform {

int CComboBox::AddString(const wchar_t* text) const {
    return static_cast<int>(SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CComboBox::SetCurSel(int position) const {
    return static_cast<int>(SendMessageW(window_, CB_SETCURSEL, static_cast<WPARAM>(position), 0));
}

int CComboBox::GetCurSel() const { return static_cast<int>(SendMessageW(window_, CB_GETCURSEL, 0, 0)); }

int CComboBox::GetCount() const { return static_cast<int>(SendMessageW(window_, CB_GETCOUNT, 0, 0)); }

}  // namespace halvo::platform
