// The PC clock. Compiled twice: into Halvo.exe as it is, and with
// HALVO_TEST_CLOCK into the test build HalvoTestClock.exe, which may read the
// time from the environment instead. The shipped program has no such path.

#include "halvo/platform/system.h"

#include "win32.h"

#ifdef HALVO_TEST_CLOCK
#include <optional>
#endif

namespace halvo::platform {
namespace {

#ifdef HALVO_TEST_CLOCK
// HALVO_TEST_LOCAL_TIME as "YYYY-MM-DD HH:MM:SS"; nothing when it is unset or
// not of that form (the PC clock is read then).
std::optional<LocalTime> InjectedTime() {
    constexpr wchar_t kPattern[] = L"dddd-dd-dd dd:dd:dd";
    constexpr DWORD kLength = sizeof kPattern / sizeof kPattern[0] - 1;
    wchar_t text[kLength + 1] = {};
    if (GetEnvironmentVariableW(L"HALVO_TEST_LOCAL_TIME", text, kLength + 1) != kLength) return std::nullopt;
    for (DWORD i = 0; i < kLength; ++i) {
        const bool digit = text[i] >= L'0' && text[i] <= L'9';
        if (kPattern[i] == L'd' ? !digit : text[i] != kPattern[i]) return std::nullopt;
    }
    const auto number = [&text](int at, int digits) {
        int value = 0;
        for (int i = 0; i < digits; ++i) value = value * 10 + (text[at + i] - L'0');
        return value;
    };
    return LocalTime{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
}
#endif

}  // namespace

LocalTime ReadLocalTime() {
#ifdef HALVO_TEST_CLOCK
    if (const std::optional<LocalTime> injected = InjectedTime()) return *injected;
#endif
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace halvo::platform
