#pragma once

// Drives a running Halvo.exe from a second process, the way a user would:
// through its windows only. Every wait polls a condition with a deadline, so a
// hung or crashed program fails the test instead of hanging it.

#include <windows.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "halvo/device_settings.h"
#include "halvo/set_file.h"
#include "resource.h"

namespace halvo::e2e {

// The twelve lists in the field order of SettingsSelection.
inline constexpr std::array<int, 12> kListIds{IDC_YEAR,       IDC_MONTH,        IDC_DAY,          IDC_HOUR,
                                              IDC_MINUTE,     IDC_SECOND,       IDC_IMAGE_FLIP,   IDC_RECORD_LENGTH,
                                              IDC_TIMELAPSE,  IDC_RECORD_AUDIO, IDC_USB_MODE,     IDC_TIMESTAMP};

inline constexpr std::wstring_view kErrorText = L"ERROR!";
inline constexpr std::wstring_view kSuccessText =
    L"本体をPCと接続し、作成されたset.txtファイルに入れます。PCから取り出して電源を入れると設定完了です。";

std::array<std::int32_t, 12> AsArray(const SettingsSelection& s);
SettingsSelection FromArray(const std::array<std::int32_t, 12>& a);

// The bytes the device should find for these values, from the golden file rather than the encoder.
std::vector<std::uint8_t> ExpectedFile(const DeviceSettings& settings);

// A directory of its own for one run of the program, removed afterwards.
class TempDir {
public:
    TempDir();
    explicit TempDir(std::filesystem::path existing);  // not created, not removed
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Names of the entries, sorted.
    std::vector<std::string> Entries() const;
    std::optional<std::vector<std::uint8_t>> Read(const std::string& name) const;
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path path_;
    bool owned_ = true;
};

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    ~UniqueHandle();
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    HANDLE Get() const { return h_; }
    void Reset(HANDLE h);

private:
    HANDLE h_ = nullptr;
};

struct MessageBoxSeen {
    std::wstring caption;
    std::wstring text;
    bool ownedByDialog = false;
};

enum class Program { Halvo, HalvoTestClock };

class HalvoProcess {
public:
    // Starts the program with workDir as its current directory and waits for
    // its dialog. localTime is the clock the test build reads
    // ("YYYY-MM-DD HH:MM:SS"); only for Program::HalvoTestClock.
    HalvoProcess(Program program, const std::filesystem::path& workDir, const wchar_t* localTime = nullptr);
    // Ends the program if a test left it running, so Wine never hangs on it.
    ~HalvoProcess();
    HalvoProcess(const HalvoProcess&) = delete;
    HalvoProcess& operator=(const HalvoProcess&) = delete;

    // False when the program did not show its dialog in time (the reason is reported).
    bool Started() const { return dialog_ != nullptr; }
    HWND Dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    HANDLE Process() const { return process_.Get(); }
    bool Running() const;
    bool WaitForExit(DWORD timeoutMs);
    // The exit status once the program has ended; nothing while it runs.
    std::optional<DWORD> ExitCode() const;

    // Presses a button and answers every message box it raises, in order,
    // with OK, until its handler has returned or the program has ended.
    std::vector<MessageBoxSeen> Click(int id);

    // Posts a key press to the window that has the keyboard focus.
    void PressKey(WORD virtualKey) const;
    // What the close button in the title bar does.
    void CloseFromTitleBar() const;
    // The control with the keyboard focus in the program's GUI thread.
    HWND Focus() const;

    std::vector<std::wstring> Items(int id) const;
    int Selection(int id) const;
    bool Select(int id, int position) const;
    // Replaces the text in a list's edit field key by key, as a user typing.
    void Type(int id, std::wstring_view text) const;

    void SelectAll(const SettingsSelection& selection) const;
    SettingsSelection ReadAll() const;

private:
    HWND FindMessageBox() const;
    std::optional<MessageBoxSeen> Answer(HWND box) const;

    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD processId_ = 0;
    HWND dialog_ = nullptr;
};

std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);

// Turns a Unix path from the build (what CMake knows) into one the Windows side can open.
std::filesystem::path HostPath(std::string_view path);

// Runs a program that should end on its own, and gives its exit status, or
// nothing when it could not start or was still running after timeoutMs (it is
// ended then).
std::optional<DWORD> RunToExit(const std::filesystem::path& exe, DWORD timeoutMs);

}  // namespace halvo::e2e
