// Many applies in one run: no handle or GDI/USER object leak, never a partial file.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>
#include <iostream>

#include "driver.h"
#include "process_handles.h"

namespace halvo::e2e {
namespace {

struct Usage {
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD windows = 0;
};

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM param) {
    auto* counter = reinterpret_cast<std::pair<DWORD, DWORD>*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == counter->first) {
        ++counter->second;
        EnumChildWindows(hwnd, CountWindow, param);
    }
    return TRUE;
}

// Windows are the USER objects that can be counted from outside everywhere.
DWORD WindowsOf(DWORD processId) {
    std::pair<DWORD, DWORD> counter{processId, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&counter));
    return counter.second;
}

Usage Measure(HANDLE process) {
    Usage u;
    u.handles = test::ProcessHandles(process);
    u.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    u.user = GetGuiResources(process, GR_USEROBJECTS);
    u.windows = WindowsOf(GetProcessId(process));
    return u;
}

// A leak of one object per apply shows as hundreds; a few of slack absorb
// whatever the system caches on its own.
constexpr DWORD kSlack = 8;
constexpr int kWarmUp = 20;
constexpr int kApplies = 500;

TEST(Robustness, FiveHundredAppliesInARow) {
    TempDir dir;
    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());
    const auto expected = ExpectedFile({2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1});

    Usage baseline;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kApplies; ++i) {
        if (i == kWarmUp) baseline = Measure(app.Process());
        const auto boxes = app.Click(IDC_APPLY);
        ASSERT_EQ(boxes.size(), 1u) << "apply #" << i + 1;
        ASSERT_EQ(boxes[0].text, kSuccessText) << "apply #" << i + 1;
        ASSERT_EQ(dir.Read("set.txt"), expected) << "apply #" << i + 1;
    }
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Usage after = Measure(app.Process());
    std::cout << kApplies << " applies in " << seconds << " s; handles " << baseline.handles << " -> "
              << after.handles << ", GDI objects " << baseline.gdi << " -> " << after.gdi
              << ", USER objects " << baseline.user << " -> " << after.user << ", windows " << baseline.windows
              << " -> " << after.windows << '\n';

    EXPECT_GT(after.handles, 0u) << "the handle count must be measurable";
    EXPECT_LE(after.handles, baseline.handles + kSlack);
    // Wine reports 0 GDI and USER objects for every process; the checks still
    // hold on Windows, where they are counted. The window count stands in
    // for USER objects under Wine.
    EXPECT_LE(after.gdi, baseline.gdi + kSlack);
    EXPECT_LE(after.user, baseline.user + kSlack);
    EXPECT_GT(after.windows, 0u);
    EXPECT_LE(after.windows, baseline.windows);

    EXPECT_TRUE(app.Running());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
    EXPECT_TRUE(app.Click(IDOK).empty());
    EXPECT_TRUE(app.WaitForExit(15000));
}

}  // namespace
}  // namespace halvo::e2e
