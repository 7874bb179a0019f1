#include <chrono>
#include <cstdint>
#include <csignal>
#include <ctime>
#include <thread>
#include <algorithm>

#include "host.h"

namespace halvo::cli {
namespace {

// Converts the instant itself (not "now"), so that a lead time that crosses
// a daylight-saving change still lands right.
DateTime ToLocal(std::chrono::system_clock::time_point instant) {
    const std::time_t t = std::chrono::system_clock::to_time_t(instant);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return {};  // year 0: refused like any other year the device does not take
#else
    if (localtime_r(&t, &local) == nullptr) return {};
#endif
    // A leap second (tm_sec 60) is shown as :59; the device has no :60.
    const int second = local.tm_sec > kSecondRange.last ? kSecondRange.last : local.tm_sec;
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, second};
}

// Set by Ctrl-C during a countdown; a signal handler can reach nothing but a global.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

// Sleeps in short steps, so that Ctrl-C ends the wait at once on every system;
// the last step ends exactly at the instant.
bool WaitUntil(std::chrono::system_clock::time_point instant) {
    static const bool caught = std::signal(SIGINT, OnInterrupt) != SIG_ERR;
    (void)caught;
    constexpr std::chrono::milliseconds kStep{100};
    while (interrupted == 0) {
        const auto now = std::chrono::system_clock::now();
        if (now >= instant) return true;
        std::this_thread::sleep_for(std::min<std::chrono::system_clock::duration>(instant - now, kStep));
    }
    return false;
}

}  // namespace

Clock SystemClock() {
    return Clock{[] { return std::chrono::system_clock::now(); }, ToLocal, WaitUntil};
}

}  // namespace halvo::cli
