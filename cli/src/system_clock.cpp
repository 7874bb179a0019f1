#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <thread>

#ifndef _WIN32
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#endif

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

// The name every system knows, with or without a zone database.
constexpr char kUtc[] = "UTC";

#ifdef _WIN32
// Windows has no database of zones by name: only UTC and this computer's own.
std::optional<std::string> ZoneNamed(const std::string&) { return std::nullopt; }

std::optional<std::int32_t> OffsetAt(const std::optional<std::string>& zone, std::int64_t seconds) {
    if (zone) return *zone == kUtc ? std::optional<std::int32_t>(0) : std::nullopt;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_s(&local, &t) != 0) return std::nullopt;
    return static_cast<std::int32_t>(_mkgmtime(&local) - t);
}
#else
// The zone database: TZDIR, or /usr/share/zoneinfo.
std::string ZoneDirectory() {
    const char* dir = std::getenv("TZDIR");
    return dir != nullptr && *dir != '\0' ? dir : "/usr/share/zoneinfo";
}

// A name the zone database holds: a file under its folder, never outside it.
bool KnownZone(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.find("..") != std::string::npos) return false;
    const std::string path = ZoneDirectory() + "/" + name;
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Each part of the name matched in any case against the database's folders, as it spells them.
std::optional<std::string> ZoneNamed(const std::string& name) {
    if (KnownZone(name)) return name;
    if (name.empty() || name.front() == '/' || name.find("..") != std::string::npos) return std::nullopt;
    std::string spelled;
    std::error_code ec;
    for (std::size_t at = 0; at <= name.size();) {
        const std::size_t end = std::min(name.find('/', at), name.size());
        const std::string part = name.substr(at, end - at);
        std::optional<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(ZoneDirectory() + "/" + spelled, ec)) {
            const std::string entryName = entry.path().filename().string();
            if (SameIgnoringCase(entryName, part)) found = entryName;
        }
        if (!found) return std::nullopt;
        spelled += (spelled.empty() ? "" : "/") + *found;
        at = end + 1;
    }
    return KnownZone(spelled) ? std::optional<std::string>(spelled) : std::nullopt;
}

// The C library knows one zone at a time, TZ's: it is set for the question and put back after.
std::optional<std::int32_t> OffsetAt(const std::optional<std::string>& zone, std::int64_t seconds) {
    if (zone && *zone == kUtc) return 0;
    if (zone && !KnownZone(*zone)) return std::nullopt;
    std::optional<std::string> saved;
    if (zone) {
        if (const char* tz = std::getenv("TZ")) saved = tz;
        ::setenv("TZ", (":" + *zone).c_str(), 1);
        ::tzset();
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    const bool known = ::localtime_r(&t, &local) != nullptr;
    if (zone) {
        if (saved) {
            ::setenv("TZ", saved->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    if (!known) return std::nullopt;
    return static_cast<std::int32_t>(local.tm_gmtoff);
}
#endif

}  // namespace

Clock SystemClock() {
    Clock clock{[] { return std::chrono::system_clock::now(); }, ToLocal, WaitUntil, OffsetAt, ZoneNamed};
#ifdef _WIN32
    clock.named_zones = false;
#endif
    return clock;
}

}  // namespace halvo::cli
