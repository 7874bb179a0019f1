#pragma once

#include <string>
#include <vector>

#include "host.h"

namespace halvo::cli {

/// Exit status when everything worked.
inline constexpr int kExitOk = 0;
/// Exit status when set.txt could not be written, or the file given to --show could not be read or is not valid.
inline constexpr int kExitFile = 1;
/// Exit status for a malformed command line or a value the device does not take.
inline constexpr int kExitUsage = 2;
/// Exit status when the user stopped the countdown with Ctrl-C (set.txt stays as written).
inline constexpr int kExitInterrupted = 130;

/// Runs halvo-set with its arguments (without the program name) and returns the exit status.
int Run(const std::vector<std::string>& args, const Clock& clock, Console& console,
        const Volumes& volumes = SystemVolumes());

}  // namespace halvo::cli
