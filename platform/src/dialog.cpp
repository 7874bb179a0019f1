#include "halvo/platform/dialog.h"

#include <optional>
#include <span>

#include "halvo/platform/centring.h"
#include "halvo/platform/dialog_template.h"
#include "halvo/platform/list_data.h"
#include "halvo/platform/win_app.h"
#include "win32.h"

namespace halvo::platform {
namespace {

// The bytes of a resource of the executable; empty when it has none.
std::span<const std::byte> ResourceBytes(int id, int type) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    if (found == nullptr) return {};
    const HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
    if (bytes == nullptr) return {};
    return {static_cast<const std::byte*>(bytes), SizeofResource(module, found)};
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The messages whose result a dialog procedure returns itself instead of
// through DWLP_MSGRESULT.
bool ResultReturnedDirectly(unsigned message) {
    switch (message) {
        case WM_CHARTOITEM:
        case WM_COMPAREITEM:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_VKEYTOITEM:
            return true;
        default:
            return false;
    }
}

}  // namespace

struct CDialog::Dispatch {
    Dispatch* outer = nullptr;
    bool useDefault = false;
    std::optional<std::intptr_t> result;
};

struct CDialog::Procedure {
    // The dialog object travels in WM_INITDIALOG's lParam and is kept in the
    // window's DWLP_USER. noexcept: an exception never unwinds through the
    // system's frames; it ends the process where it was thrown.
    static INT_PTR CALLBACK Run(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        CDialog* dialog = nullptr;
        if (message == WM_INITDIALOG) {
            dialog = reinterpret_cast<CDialog*>(lParam);
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            dialog->window_ = window;
        } else {
            dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
        }
        if (dialog == nullptr) return FALSE;  // the messages before WM_INITDIALOG
        return static_cast<INT_PTR>(dialog->Handle(message, wParam, lParam));
    }
};

CDialog::CDialog(int templateId, WindowHandle parent)
    : templateId_(templateId), parent_(parent), caption_(ApplicationName()) {}

std::intptr_t CDialog::DoModal() {
    endRequested_ = false;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent_,
                                           &Procedure::Run, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return result;
}

std::intptr_t CDialog::Handle(unsigned message, WParam wParam, LParam lParam) {
    Dispatch dispatch;
    dispatch.outer = current_;
    current_ = &dispatch;
    bool handled = false;
    if (message == WM_INITDIALOG) {
        handled = InitDialog();
    } else {
        const Message received{message, wParam, lParam};
        handled = OnMessage(received) || HandleUnrouted(received);
    }
    current_ = dispatch.outer;

    // The outermost handler has returned: now the dialog may end.
    if (current_ == nullptr && endRequested_) {
        endRequested_ = false;
        ::EndDialog(window_, endResult_);
    }

    if (message == WM_INITDIALOG) return handled ? TRUE : FALSE;
    if (!handled || dispatch.useDefault) return FALSE;
    if (dispatch.result) {
        if (ResultReturnedDirectly(message)) return *dispatch.result;
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, *dispatch.result);
    }
    return TRUE;
}

bool CDialog::InitDialog() {
    if (!LoadListData()) {
        EndDialog(-1);
        return false;
    }
    CentreIfAsked();
    return OnInitDialog();
}

bool CDialog::LoadListData() const {
    const std::span<const std::byte> data = ResourceBytes(templateId_, kListDataResourceType);
    if (data.empty()) return true;  // a template without list data
    const std::optional<ListData> entries = ParseListData(data);
    if (!entries) return false;
    char text[kListDataMaxText + 1];  // the data's texts need not end in a zero; the copies do
    for (const ListDataEntry entry : *entries) {
        const HWND list = ::GetDlgItem(window_, entry.controlId);
        if (list == nullptr) return false;
        text[entry.text.copy(text, kListDataMaxText)] = '\0';
        if (SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)) < 0) return false;
    }
    return true;
}

void CDialog::CentreIfAsked() const {
    const std::optional<DialogTemplateHeader> header =
        ParseDialogTemplateHeader(ResourceBytes(templateId_, 5 /* RT_DIALOG */));
    if (!header || !WantsCentring(*header)) return;
    RECT window{};
    GetWindowRect(window_, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(parent_ != nullptr ? parent_ : window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const Point at = CentredPosition(ToRect(window), ToRect(monitor.rcWork), ToRect(monitor.rcWork));
    SetWindowPos(window_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDialog::OnMessage(const Message&) { return false; }

bool CDialog::HandleUnrouted(const Message& message) {
    if (message.id != WM_COMMAND || HIWORD(message.wParam) != BN_CLICKED) return false;
    switch (LOWORD(message.wParam)) {
        case IDOK:
            OnOK();
            return true;
        case IDCANCEL:
            OnCancel();
            return true;
        default:
            return false;
    }
}

void CDialog::EndDialog(int result) {
    endResult_ = result;
    endRequested_ = true;
    if (current_ == nullptr && window_ != nullptr) {  // asked from outside any handler: end now
        endRequested_ = false;
        ::EndDialog(window_, result);
    }
}

void CDialog::Default() {
    if (current_ != nullptr) current_->useDefault = true;
}

void CDialog::SetResult(std::intptr_t value) {
    if (current_ != nullptr) current_->result = value;
}

WindowHandle CDialog::GetDlgItem(int controlId) const { return ::GetDlgItem(window_, controlId); }

int CDialog::ShowMessageBox(const wchar_t* text) const {
    return MessageBoxW(window_, text, caption_.c_str(), MB_OK);
}

void CDialog::SetIcon(IconHandle icon, bool bigIcon) const {
    SendMessageW(window_, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool CDialog::IsIconic() const { return ::IsIconic(window_) != FALSE; }

Rect CDialog::GetClientRect() const {
    RECT client{};
    ::GetClientRect(window_, &client);
    return ToRect(client);
}

std::intptr_t CDialog::Send(unsigned message, WParam wParam, LParam lParam) const {
    return SendMessageW(window_, message, wParam, lParam);
}

}  // namespace halvo::platform
