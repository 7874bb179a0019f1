#include <chrono>
#include <cstdint>
#include <ctime>

#include "halvo_set.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace halvo::cli {
namespace {

#ifdef _WIN32
// The same local time GetLocalTime gives, but for any instant, so that a
// lead time that crosses a daylight-saving change still lands right.
LocalDateTime ToLocal(std::chrono::system_clock::time_point instant) {
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    constexpr std::int64_t kUnixEpochInFileTime = 116'444'736'000'000'000;
    const std::int64_t ticks =
        std::chrono::duration_cast<Ticks>(instant.time_since_epoch()).count() + kUnixEpochInFileTime;
    FILETIME file_time;
    file_time.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) & 0xffff'ffffu);
    file_time.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&file_time, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return {};  // year 0: refused like any other year the device does not take
    }
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}
#else
LocalDateTime ToLocal(std::chrono::system_clock::time_point instant) {
    const std::time_t t = std::chrono::system_clock::to_time_t(instant);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return {};
    // A leap second (tm_sec 60) is shown as :59; the device has no :60.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, second};
}
#endif

}  // namespace

Clock SystemClock() {
    return Clock{[] { return std::chrono::system_clock::now(); }, ToLocal};
}

}  // namespace halvo::cli
