#pragma once

// Writing set.txt from the options: every value taken, checked once, and
// written into a folder, onto the card or to standard output.

#include <optional>

#include "failure.h"
#include "host.h"
#include "options.h"

namespace halvo::cli {

/// Writes set.txt as the options say, or fails naming the option (or the clock reading) at fault.
std::optional<Failure> Write(const Given& given, const Clock& clock, Console& console, const Volumes& volumes);

}  // namespace halvo::cli
