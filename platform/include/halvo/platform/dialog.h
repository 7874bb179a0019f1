#pragma once

// A modal dialog from a template resource, with a per-class routing table.

#include <cstddef>
#include <cstdint>

#include "halvo/platform/app_name.h"
#include "halvo/platform/types.h"

namespace halvo::platform {

// One window message as the dialog procedure received it.
struct Message {
    unsigned id = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

// What a handler that answers a query returns (WM_QUERYDRAGICON: an icon).
struct MessageResult {
    std::intptr_t value = 0;

    static MessageResult Of(IconHandle icon) { return {reinterpret_cast<std::intptr_t>(icon)}; }
};

// One row of a dialog class's routing table: a message (for kWmCommand also
// the notification and the control it comes from) and the member function
// that handles it. Handlers take nothing; a handler that answers a query
// returns a MessageResult.
template <class Dialog>
struct MessageRoute {
    using Action = void (Dialog::*)();
    using Query = MessageResult (Dialog::*)();

    unsigned message;
    unsigned notification;  // kWmCommand only: the notification code (high word of wParam)
    int controlId;          // kWmCommand only: the control id (low word of wParam)
    Action action = nullptr;
    Query query = nullptr;

    constexpr MessageRoute(unsigned m, unsigned n, int id, Action a)
        : message(m), notification(n), controlId(id), action(a) {}
    constexpr MessageRoute(unsigned m, unsigned n, int id, Query q)
        : message(m), notification(n), controlId(id), query(q) {}

    constexpr bool Matches(const Message& received) const {
        if (received.id != message) return false;
        if (message != kWmCommand) return true;
        return ((received.wParam >> 16) & 0xFFFFu) == notification &&
               (received.wParam & 0xFFFFu) == (static_cast<unsigned>(controlId) & 0xFFFFu);
    }
};

class CDialog {
public:
    // templateId: the dialog template resource of the executable; also the id
    // of its list data (resource type 240), if it has any.
    explicit CDialog(int templateId, WindowHandle parent = nullptr);
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally (DialogBoxParamW) and returns once it has ended:
    // the result of the last EndDialog, or -1 when the dialog could not be
    // created or its list data could not be loaded.
    std::intptr_t DoModal();

    // The running dialog's window; null outside DoModal.
    WindowHandle GetSafeHwnd() const { return window_; }

protected:
    // The dialog's own start-up. Before it runs, the platform has appended the
    // entries of the template's list data to their combo boxes and, when the
    // template asks for position 0, 0, centred the dialog on the screen.
    // Returning true lets the platform give the focus to the first control
    // with a tab stop.
    virtual bool OnInitDialog() { return true; }

    // The routing hook: a derived class answers with Route(its table, message).
    // A message that no route takes: a click of IDOK or IDCANCEL calls OnOK or
    // OnCancel; everything else gets the default dialog processing.
    virtual bool OnMessage(const Message& message);

    // The OK path: ends the dialog with kIdOk (this layer has no data exchange).
    virtual void OnOK() { EndDialog(kIdOk); }
    // The Cancel path: ends the dialog with kIdCancel.
    virtual void OnCancel() { EndDialog(kIdCancel); }
    // Painting left to the default dialog processing.
    void OnPaint() { Default(); }

    // Asks the dialog to end with this result. The handler that asks keeps
    // running (further message boxes included); the dialog ends when the
    // outermost handler returns, with the result of the last request.
    void EndDialog(int result);
    // Leaves the message being handled to the default dialog processing.
    void Default();

    // GetDlgItem.
    WindowHandle GetDlgItem(int controlId) const;
    // MessageBoxW owned by the dialog, one OK button, the application name
    // (taken once, when the dialog object is made) as caption.
    int ShowMessageBox(const wchar_t* text) const;
    // WM_SETICON, large (bigIcon) or small.
    void SetIcon(IconHandle icon, bool bigIcon) const;
    // IsIconic: whether the dialog is minimised.
    bool IsIconic() const;
    // GetClientRect.
    Rect GetClientRect() const;
    // SendMessageW to the dialog.
    std::intptr_t Send(unsigned message, WParam wParam, LParam lParam) const;

    // Hands the message to the first route that matches it.
    template <class Dialog, std::size_t N>
    bool Route(const MessageRoute<Dialog> (&table)[N], const Message& message) {
        for (const MessageRoute<Dialog>& route : table) {
            if (!route.Matches(message)) continue;
            Dialog& self = static_cast<Dialog&>(*this);
            if (route.action != nullptr) {
                (self.*route.action)();
            } else {
                SetResult((self.*route.query)().value);
            }
            return true;
        }
        return false;
    }

private:
    struct Procedure;  // the dialog procedure, in dialog.cpp
    struct Dispatch;   // the state of one message being handled

    std::intptr_t Handle(unsigned message, WParam wParam, LParam lParam);
    bool InitDialog();
    bool LoadListData() const;
    void CentreIfAsked() const;
    bool HandleUnrouted(const Message& message);
    void SetResult(std::intptr_t value);

    int templateId_;
    WindowHandle parent_;
    AppNameText caption_;
    WindowHandle window_ = nullptr;
    Dispatch* current_ = nullptr;  // the innermost message being handled, null between messages
    bool endRequested_ = false;
    int endResult_ = 0;
};

}  // namespace halvo::platform
