#include "driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <cwchar>
#include <stdexcept>
#include <system_error>

#include "golden_set_file.h"

namespace halvo::e2e {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Generous: the first start of Wine in a fresh prefix is slow on a busy machine.
constexpr auto kStartTimeout = std::chrono::seconds(60);
constexpr auto kStepTimeout = std::chrono::seconds(15);
constexpr DWORD kPollMs = 5;

const char* ExecutablePath(Program program) {
    return program == Program::Halvo ? HALVO_EXE_PATH : HALVO_TEST_CLOCK_EXE_PATH;
}

struct FindState {
    DWORD processId;
    HWND exclude;
    HWND found;
    bool wantOwned;
};

BOOL CALLBACK FindDialogWindow(HWND hwnd, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != state->processId || hwnd == state->exclude) return TRUE;
    // No allocation here: nothing may throw through the system's callback.
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, static_cast<int>(std::size(className)));
    if (wcscmp(className, L"#32770") != 0) return TRUE;
    const bool owned = GetWindow(hwnd, GW_OWNER) != nullptr;
    if (state->wantOwned) {
        // A message box: any further dialog window of the process.
        state->found = hwnd;
        return FALSE;
    }
    if (!owned && IsWindowVisible(hwnd)) {
        state->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Lets the reply callbacks of SendMessageCallbackW run.
void PumpOwnMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

struct ReplyState {
    bool replied = false;
};

void CALLBACK OnReply(HWND, UINT, ULONG_PTR data, LRESULT) { reinterpret_cast<ReplyState*>(data)->replied = true; }

std::wstring Widen(std::string_view s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

}  // namespace

std::array<std::int32_t, 12> AsArray(const SettingsSelection& s) {
    return {s.year,         s.month,     s.day,         s.hour,    s.minute,  s.second,
            s.imageFlip,    s.recordLength, s.timelapse, s.recordAudio, s.usbMode, s.timestamp};
}

SettingsSelection FromArray(const std::array<std::int32_t, 12>& a) {
    return {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11]};
}

std::vector<std::uint8_t> ExpectedFile(const DeviceSettings& settings) { return golden::GoldenSetFile(settings); }

std::filesystem::path HostPath(std::string_view path) {
    if (!path.empty() && path.front() == '/') {
        // Wine maps the Unix root to drive Z:.
        std::wstring w = L"Z:" + Widen(path);
        std::replace(w.begin(), w.end(), L'/', L'\\');
        return fs::path(w);
    }
    return fs::path(Widen(path));
}

// --- TempDir ---------------------------------------------------------------

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    const fs::path base = fs::temp_directory_path();
    for (;;) {
        path_ = base / (L"halvo-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(counter++));
        std::error_code ec;
        if (fs::create_directory(path_, ec)) break;
        if (ec) throw fs::filesystem_error("cannot create a test directory", path_, ec);
    }
}

TempDir::TempDir(fs::path existing) : path_(std::move(existing)), owned_(false) {}

TempDir::~TempDir() {
    if (!owned_) return;
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::vector<std::uint8_t>> TempDir::Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void TempDir::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + name);
}

UniqueHandle::~UniqueHandle() { Reset(nullptr); }

void UniqueHandle::Reset(HANDLE h) {
    if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = h;
}

// --- HalvoProcess ----------------------------------------------------------

HalvoProcess::HalvoProcess(Program program, const fs::path& workDir, const wchar_t* localTime) {
    const fs::path exe = HostPath(ExecutablePath(program));
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";

    // The child inherits our environment: set the injected clock only for it.
    SetEnvironmentVariableW(L"HALVO_TEST_LOCAL_TIME", localTime);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL created = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        workDir.c_str(), &si, &pi);
    SetEnvironmentVariableW(L"HALVO_TEST_LOCAL_TIME", nullptr);
    if (!created) {
        ADD_FAILURE() << "cannot start " << exe.string() << ": error " << GetLastError();
        return;
    }
    process_.Reset(pi.hProcess);
    thread_.Reset(pi.hThread);
    processId_ = pi.dwProcessId;

    const auto deadline = Clock::now() + kStartTimeout;
    while (Clock::now() < deadline) {
        FindState state{processId_, nullptr, nullptr, false};
        EnumWindows(FindDialogWindow, reinterpret_cast<LPARAM>(&state));
        if (state.found != nullptr) {
            dialog_ = state.found;
            return;
        }
        if (WaitForSingleObject(process_.Get(), kPollMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process_.Get(), &code);
            ADD_FAILURE() << exe.string() << " ended with code " << code << " before showing its dialog";
            return;
        }
    }
    ADD_FAILURE() << exe.string() << " showed no dialog within " << kStartTimeout.count() << " s";
}

HalvoProcess::~HalvoProcess() {
    if (process_.Get() == nullptr) return;
    if (WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.Get(), 255);
        WaitForSingleObject(process_.Get(), 10000);
    }
}

bool HalvoProcess::Running() const {
    return process_.Get() != nullptr && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

bool HalvoProcess::WaitForExit(DWORD timeoutMs) {
    return process_.Get() != nullptr && WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> HalvoProcess::ExitCode() const {
    DWORD code = 0;
    if (Running() || process_.Get() == nullptr || !GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
    return code;
}

std::optional<DWORD> RunToExit(const fs::path& exe, DWORD timeoutMs) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << exe.string() << ": error " << GetLastError();
        return std::nullopt;
    }
    UniqueHandle process;
    process.Reset(pi.hProcess);
    UniqueHandle thread;
    thread.Reset(pi.hThread);
    if (WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 255);
        WaitForSingleObject(process.Get(), timeoutMs);
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) return std::nullopt;
    return code;
}

HWND HalvoProcess::FindMessageBox() const {
    FindState state{processId_, dialog_, nullptr, true};
    EnumWindows(FindDialogWindow, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::optional<MessageBoxSeen> HalvoProcess::Answer(HWND box) const {
    MessageBoxSeen seen;
    seen.ownedByDialog = GetWindow(box, GW_OWNER) == dialog_;
    // The text can still be empty right after the box appears.
    const auto deadline = Clock::now() + kStepTimeout;
    while (Clock::now() < deadline && IsWindow(box)) {
        seen.text = WindowText(GetDlgItem(box, 0xFFFF));
        if (!seen.text.empty() && IsWindowVisible(box)) break;
        Sleep(kPollMs);
    }
    seen.caption = WindowText(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    while (Clock::now() < deadline && IsWindow(box)) Sleep(kPollMs);
    if (IsWindow(box)) {
        ADD_FAILURE() << "a message box did not close on OK";
        return std::nullopt;
    }
    return seen;
}

std::vector<MessageBoxSeen> HalvoProcess::Click(int id) {
    std::vector<MessageBoxSeen> seen;
    if (!Started()) return seen;
    // Sent rather than posted, with a callback, so we learn when the handler
    // has returned without blocking behind the message boxes it shows.
    ReplyState reply;
    const WPARAM command = MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED);
    if (!SendMessageCallbackW(dialog_, WM_COMMAND, command, reinterpret_cast<LPARAM>(Control(id)), OnReply,
                              reinterpret_cast<ULONG_PTR>(&reply))) {
        ADD_FAILURE() << "cannot send the click on control " << id << ": error " << GetLastError();
        return seen;
    }
    auto deadline = Clock::now() + kStepTimeout;
    for (;;) {
        PumpOwnMessages();
        if (reply.replied) break;
        if (const HWND box = FindMessageBox()) {
            auto answered = Answer(box);
            if (!answered) break;
            seen.push_back(*answered);
            deadline = Clock::now() + kStepTimeout;
            continue;
        }
        if (!Running()) break;  // the dialog ended before the reply could come back
        if (Clock::now() >= deadline) {
            ADD_FAILURE() << "the click on control " << id << " did not finish within " << kStepTimeout.count()
                          << " s";
            break;
        }
        const HANDLE process = process_.Get();
        MsgWaitForMultipleObjects(1, &process, FALSE, kPollMs, QS_ALLINPUT);
    }
    return seen;
}

HWND HalvoProcess::Focus() const {
    const DWORD thread = GetWindowThreadProcessId(dialog_, nullptr);
    const auto deadline = Clock::now() + kStepTimeout;
    for (;;) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr) return info.hwndFocus;
        if (Clock::now() >= deadline) return nullptr;
        // Another program that runs at the same time (ctest -j) may have
        // taken the activation, and a thread without it has no focus. The
        // dialog gets its remembered focus back when it is activated again.
        SetForegroundWindow(dialog_);
        Sleep(kPollMs);
    }
}

void HalvoProcess::PressKey(WORD virtualKey) const {
    const HWND target = Focus();
    if (target == nullptr) {
        ADD_FAILURE() << "no control has the keyboard focus";
        return;
    }
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = static_cast<LPARAM>(1u | (scan << 16));
    const LPARAM up = static_cast<LPARAM>(1u | (scan << 16) | 0xC0000000u);
    PostMessageW(target, WM_KEYDOWN, virtualKey, down);
    PostMessageW(target, WM_KEYUP, virtualKey, up);
}

void HalvoProcess::CloseFromTitleBar() const { PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0); }

std::vector<std::wstring> HalvoProcess::Items(int id) const {
    const HWND combo = Control(id);
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) break;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT got =
            SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        items.push_back(std::move(text));
    }
    return items;
}

int HalvoProcess::Selection(int id) const {
    return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
}

bool HalvoProcess::Select(int id, int position) const {
    return SendMessageW(Control(id), CB_SETCURSEL, static_cast<WPARAM>(position), 0) == position;
}

void HalvoProcess::Type(int id, std::wstring_view text) const {
    const HWND edit = FindWindowExW(Control(id), nullptr, L"Edit", nullptr);
    if (edit == nullptr) {
        ADD_FAILURE() << "list " << id << " has no edit field";
        return;
    }
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

void HalvoProcess::SelectAll(const SettingsSelection& selection) const {
    const auto positions = AsArray(selection);
    for (std::size_t i = 0; i < kListIds.size(); ++i) {
        EXPECT_TRUE(Select(kListIds[i], positions[i])) << "cannot select " << positions[i] << " in " << kListIds[i];
    }
}

SettingsSelection HalvoProcess::ReadAll() const {
    std::array<std::int32_t, 12> positions{};
    for (std::size_t i = 0; i < kListIds.size(); ++i) positions[i] = Selection(kListIds[i]);
    return FromArray(positions);
}

std::wstring WindowText(HWND hwnd) {
    if (hwnd == nullptr) return {};
    wchar_t buffer[1024] = {};
    const int n = GetWindowTextW(hwnd, buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, n < 0 ? 0 : static_cast<std::size_t>(n));
}

std::wstring ClassName(HWND hwnd) {
    wchar_t buffer[256] = {};
    const int n = GetClassNameW(hwnd, buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, n < 0 ? 0 : static_cast<std::size_t>(n));
}

}  // namespace halvo::e2e
