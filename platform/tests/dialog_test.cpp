// CDialog on real windows: list data, centring, routing and the end paths.
// Each test drives its dialog from inside: messages posted from OnInitDialog,
// and a CBT hook that reads and answers message boxes as they open.

#include "halvo/platform/dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../src/win32.h"
#include "halvo/platform/combo_box.h"
#include "test_dialog.h"

namespace halvo::platform {
namespace {

class TestDialog : public CDialog {
public:
    explicit TestDialog(int templateId) : CDialog(templateId) {}

    std::function<void(TestDialog&)> onInit;
    std::function<void(TestDialog&)> onAct;
    bool initialised = false;

    using CDialog::EndDialog;
    using CDialog::GetDlgItem;
    using CDialog::ShowMessageBox;

    HWND Window() const { return GetSafeHwnd(); }
    void Post(UINT message, WPARAM wParam, LPARAM lParam) const { PostMessageW(Window(), message, wParam, lParam); }
    void PostClick(int id) const { Post(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

protected:
    bool OnInitDialog() override {
        initialised = true;
        if (onInit) onInit(*this);
        return true;
    }
    bool OnMessage(const Message& message) override { return Route(kRoutes, message); }

private:
    void Act() {
        if (onAct) onAct(*this);
    }
    MessageResult DragIcon() { return {4242}; }

    static constexpr MessageRoute<TestDialog> kRoutes[] = {
        {kWmCommand, kBnClicked, IDC_TEST_ACT, &TestDialog::Act},
        {kWmQueryDragIcon, 0, 0, &TestDialog::DragIcon},
    };
};

std::wstring Text(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

std::vector<std::wstring> Items(HWND list) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t buffer[64] = {};
        SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
        items.emplace_back(buffer);
    }
    return items;
}

// Answers every message box of this thread with OK as soon as it is
// activated, noting what it showed.
class MessageBoxAnswerer {
public:
    struct Seen {
        std::wstring caption;
        std::wstring text;
        HWND owner = nullptr;
        bool ownerVisible = false;
    };

    MessageBoxAnswerer() {
        instance_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxAnswerer() {
        UnhookWindowsHookEx(hook_);
        instance_ = nullptr;
    }
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    std::vector<Seen> seen;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && instance_ != nullptr) {
            const HWND window = reinterpret_cast<HWND>(wParam);
            const HWND owner = GetWindow(window, GW_OWNER);
            if (owner != nullptr) {  // a message box: the test dialogs have no owner
                instance_->seen.push_back(
                    {Text(window), Text(GetDlgItem(window, 0xFFFF)), owner, IsWindowVisible(owner) != FALSE});
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline MessageBoxAnswerer* instance_ = nullptr;
    HHOOK hook_ = nullptr;
};

TEST(CDialog, ListDataIsInTheListsBeforeOnInitDialog) {
    TestDialog dialog(IDD_TEST_CENTRED);
    std::vector<std::wstring> a;
    std::vector<std::wstring> b;
    dialog.onInit = [&](TestDialog& d) {
        a = Items(d.GetDlgItem(IDC_TEST_LIST_A));
        b = Items(d.GetDlgItem(IDC_TEST_LIST_B));
        d.EndDialog(5);
    };
    EXPECT_EQ(dialog.DoModal(), 5);
    EXPECT_EQ(a, (std::vector<std::wstring>{L"a", L"bb", L"ccc"}));
    EXPECT_EQ(b, (std::vector<std::wstring>{L"7"}));
}

TEST(CDialog, ComboBoxAppendsSelectsAndReads) {
    TestDialog dialog(IDD_TEST_CENTRED);
    std::vector<int> results;
    std::vector<std::wstring> items;
    dialog.onInit = [&](TestDialog& d) {
        const CComboBox list(d.GetDlgItem(IDC_TEST_LIST_B));
        results.push_back(list.GetCurSel());
        results.push_back(list.AddString(L"オン"));
        results.push_back(list.AddString(L"10秒"));
        results.push_back(list.GetCount());
        results.push_back(list.SetCurSel(2));
        results.push_back(list.GetCurSel());
        results.push_back(list.SetCurSel(-1));
        results.push_back(list.GetCurSel());
        items = Items(d.GetDlgItem(IDC_TEST_LIST_B));
        d.EndDialog(0);
    };
    dialog.DoModal();
    EXPECT_EQ(results, (std::vector<int>{-1, 1, 2, 3, 2, 2, -1, -1}));
    EXPECT_EQ(items, (std::vector<std::wstring>{L"7", L"オン", L"10秒"}));  // appended, not sorted
}

TEST(CDialog, TemplateAtOriginIsCentredOnTheWorkArea) {
    TestDialog dialog(IDD_TEST_CENTRED);
    RECT window{};
    RECT work{};
    dialog.onInit = [&](TestDialog& d) {
        GetWindowRect(d.Window(), &window);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        d.EndDialog(0);
    };
    dialog.DoModal();
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    EXPECT_EQ(window.left, (work.left + work.right) / 2 - width / 2);
    EXPECT_EQ(window.top, (work.top + work.bottom) / 2 - height / 2);
}

TEST(CDialog, TemplateWithAPositionIsNotMoved) {
    TestDialog dialog(IDD_TEST_PLACED);
    RECT window{};
    RECT work{};
    dialog.onInit = [&](TestDialog& d) {
        GetWindowRect(d.Window(), &window);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        d.EndDialog(0);
    };
    dialog.DoModal();
    // The system puts it near the top left corner (10, 10 dialog units for its client area).
    const int width = window.right - window.left;
    EXPECT_NE(window.left, (work.left + work.right) / 2 - width / 2);
    EXPECT_LT(window.left, work.left + 40);
}

TEST(CDialog, HandlerRunsOnAfterEndDialogAndTheLastRequestWins) {
    TestDialog dialog(IDD_TEST_CENTRED);
    bool visibleAfterRequest = false;
    bool reachedEnd = false;
    dialog.onInit = [](TestDialog& d) { d.PostClick(IDC_TEST_ACT); };
    dialog.onAct = [&](TestDialog& d) {
        d.EndDialog(IDOK);
        visibleAfterRequest = IsWindowVisible(d.Window()) != FALSE;
        d.EndDialog(IDCANCEL);
        d.EndDialog(7);
        reachedEnd = true;
    };
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_TRUE(visibleAfterRequest);
    EXPECT_TRUE(reachedEnd);
}

TEST(CDialog, MessageBoxesAfterEndDialogStillShowOwnedByTheVisibleDialog) {
    MessageBoxAnswerer answerer;
    TestDialog dialog(IDD_TEST_CENTRED);
    std::vector<int> answers;
    HWND window = nullptr;
    dialog.onInit = [](TestDialog& d) { d.PostClick(IDC_TEST_ACT); };
    dialog.onAct = [&](TestDialog& d) {
        window = d.Window();
        answers.push_back(d.ShowMessageBox(L"ERROR!"));
        d.EndDialog(IDOK);
        answers.push_back(d.ShowMessageBox(L"ERROR!"));
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(answers, (std::vector<int>{IDOK, IDOK}));
    ASSERT_EQ(answerer.seen.size(), 2u);
    for (const auto& seen : answerer.seen) {
        EXPECT_EQ(seen.caption, L"halvo_platform_dialog_tests");  // the executable's base name
        EXPECT_EQ(seen.text, L"ERROR!");
        EXPECT_EQ(seen.owner, window);
        EXPECT_TRUE(seen.ownerVisible);
    }
}

TEST(CDialog, RequestFromANestedMessageWaitsForTheOuterHandler) {
    MessageBoxAnswerer answerer;
    TestDialog dialog(IDD_TEST_CENTRED);
    bool visibleAfterBox = false;
    dialog.onInit = [](TestDialog& d) { d.PostClick(IDC_TEST_ACT); };
    dialog.onAct = [&](TestDialog& d) {
        // Handled inside the message box's loop: the Cancel path, unrouted.
        d.PostClick(IDCANCEL);
        d.ShowMessageBox(L"wait");
        visibleAfterBox = IsWindowVisible(d.Window()) != FALSE;
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(answerer.seen.size(), 1u);
    EXPECT_TRUE(visibleAfterBox);
}

TEST(CDialog, UnroutedOkAndCancelEndTheDialog) {
    for (const int id : {IDOK, IDCANCEL}) {
        TestDialog dialog(IDD_TEST_CENTRED);
        dialog.onInit = [id](TestDialog& d) { d.PostClick(id); };
        EXPECT_EQ(dialog.DoModal(), id);
    }
}

TEST(CDialog, CloseFromTheSystemMenuTakesTheCancelPath) {
    TestDialog dialog(IDD_TEST_CENTRED);
    dialog.onInit = [](TestDialog& d) { d.Post(WM_SYSCOMMAND, SC_CLOSE, 0); };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(CDialog, QueryRouteReturnsItsValue) {
    TestDialog dialog(IDD_TEST_CENTRED);
    LRESULT answer = 0;
    dialog.onInit = [](TestDialog& d) { d.PostClick(IDC_TEST_ACT); };
    dialog.onAct = [&](TestDialog& d) {
        answer = SendMessageW(d.Window(), WM_QUERYDRAGICON, 0, 0);
        d.EndDialog(0);
    };
    dialog.DoModal();
    EXPECT_EQ(answer, 4242);
}

TEST(CDialog, BadListDataEndsTheRunBeforeOnInitDialog) {
    for (const int id : {IDD_TEST_TRUNCATED_LIST_DATA, IDD_TEST_UNKNOWN_LIST}) {
        TestDialog dialog(id);
        EXPECT_EQ(dialog.DoModal(), -1) << "template " << id;
        EXPECT_FALSE(dialog.initialised) << "template " << id;
    }
}

TEST(CDialog, MissingTemplateGivesMinusOne) {
    TestDialog dialog(999);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(dialog.initialised);
}

}  // namespace
}  // namespace halvo::platform
