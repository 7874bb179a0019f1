#pragma once

#include <optional>
#include <string>

#include "halvo/device_settings.h"

namespace halvo {

/// A path in the system's own form: UTF-16 on Windows, bytes elsewhere (std::filesystem::path converts to it).
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

/// Writes set.txt into the current directory, allocating nothing (the dialog calls it); see the overload below.
std::optional<SettingsFault> WriteSetFile(const DeviceSettings& settings);

/// Writes directory/set.txt (or the file a link of that name points to) through a temporary file and an atomic
/// replace, falling back to writing the existing file in place when another program's sharing or the folder's
/// rights forbid the replace; see the README for what each fault leaves behind.
std::optional<SettingsFault> WriteSetFile(const DeviceSettings& settings, const NativePath& directory);

}  // namespace halvo
