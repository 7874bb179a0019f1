#pragma once

// A combo box of a running dialog: a window handle and one SendMessage per method.

#include "halvo/platform/types.h"

namespace halvo::platform {

class CComboBox {
public:
    explicit CComboBox(WindowHandle window = nullptr) : window_(window) {}
    CComboBox(const CComboBox&) = delete;
    CComboBox& operator=(const CComboBox&) = delete;

    WindowHandle GetSafeHwnd() const { return window_; }

    // CB_ADDSTRING: appends (the lists are unsorted); the new position, or a negative error.
    int AddString(const wchar_t* text) const;
    // CB_SETCURSEL: selects a zero-based position and shows its text; the position, or -1.
    int SetCurSel(int position) const;
    // CB_GETCURSEL: the selected position, or -1 (CB_ERR) when nothing is selected.
    int GetCurSel() const;
    // CB_GETCOUNT: the number of entries.
    int GetCount() const;

private:
    WindowHandle window_;
};

}  // namespace halvo::platform
