#pragma once

// --show: a set.txt read, checked and its settings printed.

#include <optional>
#include <string>

#include "failure.h"
#include "host.h"

namespace halvo::cli {

/// The most bytes --show reads: set.txt is a few hundred bytes, and a video given by mistake is not read whole.
inline constexpr std::size_t kMaxShowBytes = 1 << 20;

/// Reads the set.txt at `given` (a file, a folder holding one, or the current folder for ""), and prints its
/// settings, or fails naming its first problem.
std::optional<Failure> Show(const std::string& given, Console& console);

}  // namespace halvo::cli
