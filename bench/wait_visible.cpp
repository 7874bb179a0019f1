// Measures how long programs take from being started until their dialog is
// on screen, launching them in turn so that both see the same machine state.
//
//   wait_visible [--runs N] [--warmup W] [--title TITLE] PROGRAM...
//
// Each launch is timed with QueryPerformanceCounter from just before
// CreateProcessW until a visible top-level window of that process carries
// TITLE; the window is then sent WM_CLOSE. Prints one line per launch:
//   sample <index> <milliseconds> <program>   (warm-ups say "warmup")
// where index is the program's position among the PROGRAM arguments, from 0.
// Exits non-zero if any launch fails to show its window or to end.

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kShowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

struct Search {
  DWORD process_id;
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id || !IsWindowVisible(window)) return TRUE;
  wchar_t text[128] = {};
  GetWindowTextW(window, text, static_cast<int>(sizeof text / sizeof text[0]));
  if (*search->title != text) return TRUE;
  search->found = window;
  return FALSE;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// One launch; returns the time to a visible window in ms, or a negative value
// after printing why it failed.
double TimeLaunch(const std::wstring& program, const std::wstring& title) {
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);

  std::wstring command = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    std::fwprintf(stderr, L"wait_visible: cannot start %ls (error %lu)\n", program.c_str(), GetLastError());
    return -1.0;
  }
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);

  // Poll rather than hook: a 1 ms sleep keeps the measured process and the
  // wineserver from competing with a busy loop on a small machine.
  Search search{info.dwProcessId, &title, nullptr};
  for (;;) {
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    QueryPerformanceCounter(&now);
    if (search.found != nullptr) break;
    if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
      std::fwprintf(stderr, L"wait_visible: %ls ended without showing \"%ls\"\n", program.c_str(), title.c_str());
      return -1.0;
    }
    if (Milliseconds(start, now, frequency) > kShowTimeoutMs) {
      std::fwprintf(stderr, L"wait_visible: %ls showed no \"%ls\" window in time\n", program.c_str(),
                    title.c_str());
      TerminateProcess(process.get(), 1);
      return -1.0;
    }
    Sleep(1);
  }
  const double elapsed = Milliseconds(start, now, frequency);

  PostMessageW(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.get(), kExitTimeoutMs) != WAIT_OBJECT_0) {
    std::fwprintf(stderr, L"wait_visible: %ls did not end after WM_CLOSE\n", program.c_str());
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), kExitTimeoutMs);
    return -1.0;
  }
  return elapsed;
}

bool ParseCount(const wchar_t* text, int& out) {
  wchar_t* end = nullptr;
  const long value = std::wcstol(text, &end, 10);
  if (end == text || *end != L'\0' || value < 0 || value > 10000) return false;
  out = static_cast<int>(value);
  return true;
}

int Usage() {
  std::fwprintf(stderr, L"usage: wait_visible [--runs N] [--warmup W] [--title TITLE] PROGRAM...\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 10;
  int warmup = 1;
  std::wstring title = L"Mesk (JPN)";
  std::vector<std::wstring> programs;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == L"--runs" && has_value) {
      if (!ParseCount(argv[++i], runs)) return Usage();
    } else if (arg == L"--warmup" && has_value) {
      if (!ParseCount(argv[++i], warmup)) return Usage();
    } else if (arg == L"--title" && has_value) {
      title = argv[++i];
    } else if (arg.starts_with(L"--")) {
      return Usage();
    } else {
      programs.push_back(arg);
    }
  }
  if (programs.empty()) return Usage();

  // Alternate the programs within each round, so drift in the machine's load
  // affects all of them alike.
  bool failed = false;
  for (int round = 0; round < warmup + runs; ++round) {
    for (std::size_t index = 0; index < programs.size(); ++index) {
      const double ms = TimeLaunch(programs[index], title);
      if (ms < 0) {
        failed = true;
        continue;
      }
      std::wprintf(L"%ls %zu %.2f %ls\n", round < warmup ? L"warmup" : L"sample", index, ms,
                   programs[index].c_str());
      std::fflush(stdout);
    }
  }
  return failed ? 1 : 0;
}
