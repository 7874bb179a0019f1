#pragma once

#include <chrono>

#include "host.h"

namespace halvo::cli {

/// Shows the whole seconds left until `moment` on the console's error stream, then prints
/// "switch the camera on now" at that second; false when the user interrupted the wait.
bool CountDown(std::chrono::system_clock::time_point moment, const Clock& clock, Console& console);

}  // namespace halvo::cli
