// CHalvoDlg's window icons, its drag icon and its painting while minimised,
// checked inside the process that runs the dialog: Wine does not carry the
// results of WM_GETICON and WM_QUERYDRAGICON to another process, so the
// end-to-end suite cannot see them. Each test runs the real dialog modally
// and drives it through a message posted once it is up; a watchdog thread
// ends a run that stalls.

#include "halvo/dialog/halvo_dlg.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "resource.h"

namespace halvo {
namespace {

HICON AppIcon() { return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_APP_ICON)); }

// What the dialog's window received, or called, while the test watched.
struct Event {
    enum class Kind { IconEraseBkgnd, DrawIcon };
    Kind kind;
    HDC dc = nullptr;
    int x = 0;
    int y = 0;
    HICON icon = nullptr;
    bool drawn = false;       // DrawIcon's result
    HWND dcWindow = nullptr;  // WindowFromDC while the DC was in use
};

// One WM_PAINT: the window's state when it arrived and what happened inside it.
struct Paint {
    bool iconic = false;
    RECT client{};
    std::vector<Event> inside;
};

struct Log {
    std::vector<Paint> paints;
    std::vector<Event> outsidePaint;
    std::optional<std::size_t> current;  // the WM_PAINT being handled

    void Add(const Event& event) {
        if (current) {
            paints[*current].inside.push_back(event);
        } else {
            outsidePaint.push_back(event);
        }
    }
};

Log* g_log = nullptr;

// The dialog code is linked into this program, so its DrawIcon goes through
// this executable's import of USER32!DrawIcon. For as long as it lives, this
// points that import at a recorder that calls the real function.
class DrawIconRecorder {
public:
    DrawIconRecorder() : slot_(FindImport("user32.dll", "DrawIcon")) {
        if (slot_ == nullptr) return;
        original_ = *slot_;
        Write(reinterpret_cast<ULONG_PTR>(&Record));
    }
    ~DrawIconRecorder() {
        if (slot_ != nullptr) Write(original_);
    }
    DrawIconRecorder(const DrawIconRecorder&) = delete;
    DrawIconRecorder& operator=(const DrawIconRecorder&) = delete;

    bool Installed() const { return slot_ != nullptr; }

private:
    using DrawIconFunction = BOOL(WINAPI*)(HDC, int, int, HICON);

    static ULONG_PTR* FindImport(const char* dll, const char* function) {
        auto* const base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             module->Name != 0; ++module) {
            if (lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), dll) != 0) continue;
            const auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
            auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
            for (; name->u1.AddressOfData != 0; ++name, ++slot) {
                if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                    return reinterpret_cast<ULONG_PTR*>(&slot->u1.Function);
                }
            }
        }
        return nullptr;
    }

    void Write(ULONG_PTR value) {
        DWORD protection = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = value;
        VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }

    static BOOL WINAPI Record(HDC dc, int x, int y, HICON icon) noexcept {
        const BOOL drawn = reinterpret_cast<DrawIconFunction>(original_)(dc, x, y, icon);
        if (g_log != nullptr) {
            g_log->Add({.kind = Event::Kind::DrawIcon,
                        .dc = dc,
                        .x = x,
                        .y = y,
                        .icon = icon,
                        .drawn = drawn != FALSE,
                        .dcWindow = WindowFromDC(dc)});
        }
        return drawn;
    }

    static inline ULONG_PTR original_ = 0;
    ULONG_PTR* slot_;
};

// Ends the dialog with a posted Cancel click unless it is disarmed (destroyed)
// first. A posted message also overtakes a WM_PAINT that never stops coming,
// which a timer message would not.
class Watchdog {
public:
    explicit Watchdog(HWND dialog)
        : thread_([this, dialog] {
              std::unique_lock lock(mutex_);
              if (!disarmed_.wait_for(lock, std::chrono::seconds(30), [this] { return done_; })) {
                  fired_ = true;
                  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
              }
          }) {}
    ~Watchdog() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        disarmed_.notify_one();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    bool Fired() const { return fired_; }

private:
    std::mutex mutex_;
    std::condition_variable disarmed_;
    bool done_ = false;
    std::atomic<bool> fired_ = false;
    std::thread thread_;  // last: starts once the members it uses exist
};

constexpr UINT kRunStep = WM_APP + 1;

// The real dialog, with a look inside: once its own start-up is done, the
// window is subclassed to log WM_PAINT and WM_ICONERASEBKGND, and `step` runs
// from a posted message once the dialog is up; then the dialog is cancelled.
class ProbedHalvoDlg : public CHalvoDlg {
public:
    std::function<void(HWND)> step;
    Log log;
    std::optional<Watchdog> watchdog;

protected:
    bool OnInitDialog() override {
        const bool result = CHalvoDlg::OnInitDialog();
        const HWND window = GetSafeHwnd();
        instance_ = this;
        dialogProcedure_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass)));
        watchdog.emplace(window);
        PostMessageW(window, kRunStep, 0, 0);
        return result;
    }

private:
    // noexcept, as CDialog's procedure: no exception unwinds through the system's frames.
    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        ProbedHalvoDlg& self = *instance_;
        switch (message) {
            case kRunStep:
                if (self.step) self.step(window);
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                return 0;
            case WM_PAINT: {
                Paint paint;
                paint.iconic = ::IsIconic(window) != FALSE;
                ::GetClientRect(window, &paint.client);
                self.log.paints.push_back(paint);
                const std::optional<std::size_t> outer = self.log.current;
                self.log.current = self.log.paints.size() - 1;
                const LRESULT result = CallWindowProcW(dialogProcedure_, window, message, wParam, lParam);
                self.log.current = outer;
                return result;
            }
            case WM_ICONERASEBKGND:
                self.log.Add({.kind = Event::Kind::IconEraseBkgnd,
                              .dc = reinterpret_cast<HDC>(wParam),
                              .dcWindow = WindowFromDC(reinterpret_cast<HDC>(wParam))});
                break;
            default:
                break;
        }
        return CallWindowProcW(dialogProcedure_, window, message, wParam, lParam);
    }

    static inline ProbedHalvoDlg* instance_ = nullptr;
    static inline WNDPROC dialogProcedure_ = nullptr;
};

class HalvoDlgTest : public ::testing::Test {
protected:
    HalvoDlgTest() { g_log = &dialog.log; }
    ~HalvoDlgTest() override { g_log = nullptr; }

    // Runs the dialog with this step; true when it ended through the step's
    // Cancel and not through the watchdog.
    ::testing::AssertionResult RunWith(std::function<void(HWND)> step) {
        dialog.step = std::move(step);
        const std::intptr_t result = dialog.DoModal();
        if (result != IDCANCEL) return ::testing::AssertionFailure() << "DoModal returned " << result;
        if (!dialog.watchdog) return ::testing::AssertionFailure() << "the dialog never started";
        const bool stalled = dialog.watchdog->Fired();
        dialog.watchdog.reset();
        if (stalled) return ::testing::AssertionFailure() << "the watchdog had to end the dialog";
        return ::testing::AssertionSuccess();
    }

    ProbedHalvoDlg dialog;
};

TEST_F(HalvoDlgTest, WindowIconsAreTheAppIcon) {
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    ASSERT_TRUE(RunWith([&](HWND window) {
        bigIcon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
        smallIcon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    }));
    ASSERT_NE(AppIcon(), nullptr);
    EXPECT_EQ(bigIcon, AppIcon());
    EXPECT_EQ(smallIcon, AppIcon());
}

TEST_F(HalvoDlgTest, DragIconIsTheAppIcon) {
    LRESULT dragIcon = 0;
    ASSERT_TRUE(RunWith([&](HWND window) { dragIcon = SendMessageW(window, WM_QUERYDRAGICON, 0, 0); }));
    ASSERT_NE(AppIcon(), nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(dragIcon), AppIcon());
}

// Minimised, each WM_PAINT erases the icon background on its paint DC and then
// draws the icon centred in the client area on that DC; painting validates the
// window, so no WM_PAINT is left to come round again.
TEST_F(HalvoDlgTest, MinimisedPaintErasesTheBackgroundAndDrawsTheIconCentred) {
    const DrawIconRecorder recorder;
    ASSERT_TRUE(recorder.Installed()) << "nothing in this program calls DrawIcon";
    HWND dialogWindow = nullptr;
    bool iconic = false;
    bool paintOwed = true;
    ASSERT_TRUE(RunWith([&](HWND window) {
        dialogWindow = window;
        ShowWindow(window, SW_MINIMIZE);
        iconic = IsIconic(window) != FALSE;
        dialog.log = {};
        // A minimised window's client area is empty under Wine: INTERNALPAINT
        // brings the WM_PAINT all the same, and one still owed shows in the
        // queue state, not in the (empty) update region.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_UPDATENOW);
        paintOwed = (HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) != 0;
    }));
    ASSERT_TRUE(iconic);
    EXPECT_FALSE(paintOwed);
    EXPECT_TRUE(dialog.log.outsidePaint.empty()) << "WM_ICONERASEBKGND or DrawIcon outside WM_PAINT";

    const std::vector<Paint>& paints = dialog.log.paints;
    ASSERT_FALSE(paints.empty());
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    for (std::size_t i = 0; i < paints.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "WM_PAINT #" << i);
        const Paint& paint = paints[i];
        EXPECT_TRUE(paint.iconic);
        ASSERT_EQ(paint.inside.size(), 2u);
        const Event& erase = paint.inside[0];
        const Event& draw = paint.inside[1];
        ASSERT_EQ(erase.kind, Event::Kind::IconEraseBkgnd);
        ASSERT_EQ(draw.kind, Event::Kind::DrawIcon);
        EXPECT_NE(erase.dc, nullptr);
        EXPECT_EQ(erase.dcWindow, dialogWindow);
        EXPECT_EQ(draw.dc, erase.dc);
        EXPECT_EQ(draw.dcWindow, dialogWindow);
        EXPECT_EQ(draw.icon, AppIcon());
        EXPECT_TRUE(draw.drawn);
        const int width = paint.client.right - paint.client.left;
        const int height = paint.client.bottom - paint.client.top;
        EXPECT_EQ(draw.x, (width - cxIcon + 1) / 2) << "client width " << width << ", icon width " << cxIcon;
        EXPECT_EQ(draw.y, (height - cyIcon + 1) / 2) << "client height " << height << ", icon height " << cyIcon;
    }
}

// Not minimised, painting is the dialog's default: no icon background, no icon.
TEST_F(HalvoDlgTest, NormalPaintIsLeftToTheDialog) {
    // Not installed only when nothing in this program calls DrawIcon, which
    // then cannot draw the icon either.
    const DrawIconRecorder recorder;
    bool leftInvalid = true;
    ASSERT_TRUE(RunWith([&](HWND window) {
        dialog.log = {};
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        leftInvalid = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    }));
    EXPECT_FALSE(leftInvalid);
    ASSERT_FALSE(dialog.log.paints.empty());
    for (const Paint& paint : dialog.log.paints) {
        EXPECT_FALSE(paint.iconic);
        EXPECT_TRUE(paint.inside.empty());
    }
    EXPECT_TRUE(dialog.log.outsidePaint.empty());
}

}  // namespace
}  // namespace halvo
