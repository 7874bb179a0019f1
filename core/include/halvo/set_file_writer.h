#pragma once

#include <optional>

#include "halvo/settings_types.h"
#include "halvo/write_failure.h"

namespace halvo {

/// Writes set.txt into the current directory, allocating nothing (the dialog calls it); see the overload below.
std::optional<WriteFailure> WriteSetFile(const DeviceSettings& settings);

/// Writes directory/set.txt (or the file a link of that name points to) through a temporary file and an atomic
/// replace, falling back to writing the existing file in place when another program's sharing or the folder's
/// rights forbid the replace; see the README for what each fault leaves behind.
std::optional<WriteFailure> WriteSetFile(const DeviceSettings& settings, const NativePath& directory);

}  // namespace halvo
