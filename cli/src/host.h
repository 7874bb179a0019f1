#pragma once

// What halvo-set takes from the computer it runs on: the clock, the console
// and the mounted volumes. Tests give their own.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "halvo/calendar.h"

namespace halvo::cli {

/// Where the time comes from; tests give a fixed instant and a time zone of their own.
struct Clock {
    std::function<std::chrono::system_clock::time_point()> now;               ///< the current instant
    std::function<DateTime(std::chrono::system_clock::time_point)> to_local;  ///< an instant as local time
    /// Waits until an instant; false when the user interrupted the wait (Ctrl-C). Only --countdown waits.
    std::function<bool(std::chrono::system_clock::time_point)> wait_until = {};
    /// A zone's offset from UTC, in seconds east, at an instant (seconds since 1970): the zone by name ("UTC", or an
    /// IANA name such as "Europe/Berlin"), or this computer's for none; nothing for a name this computer does not
    /// know. Empty where no zone can be asked: --zone is refused then, and no change of summer time is named.
    std::function<std::optional<std::int32_t>(const std::optional<std::string>& zone, std::int64_t seconds)>
        offset_at = {};
    /// A zone name typed in any case as the zone database spells it ("asia/tokyo" gives "Asia/Tokyo"); nothing for
    /// a name it does not hold. UTC is every system's and not asked here.
    std::function<std::optional<std::string>(const std::string& name)> zone_named = {};
    /// Whether zones besides UTC have names here; false on Windows, which has no zone database.
    bool named_zones = true;
};

/// The computer's own clock and time zone.
Clock SystemClock();

/// The program's standard streams, and how to switch standard output to raw bytes where that matters.
struct Console {
    std::ostream& out;                 ///< standard output
    std::ostream& err;                 ///< standard error
    std::function<void()> binary_out;  ///< makes `out` pass bytes unchanged (Windows text mode); may be empty
    bool err_is_terminal = false;      ///< whether `err` shows on a terminal, where a countdown rewrites its line
};

/// The mounted volumes that may be the camera's card, and what their top folders hold; tests give their own.
struct Volumes {
    std::function<std::vector<std::string>()> removable;                     ///< the candidates' top folders
    std::function<bool(const std::string& folder, const std::string& name)> holds;  ///< whether a folder has that entry
};

/// This computer's removable volumes: on Linux the mounts directly in /run/media/USER, /media/USER or /media;
/// on macOS those in /Volumes but the start-up disk; on Windows the drives of removable type.
Volumes SystemVolumes();

}  // namespace halvo::cli
