#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "halvo/device_settings.h"
#include "halvo/set_file_layout.h"

namespace halvo {

/// Size of the record in memory, with bare line feeds.
inline constexpr std::size_t kSetRecordSize = RecordSizeOf(kSetFileLines);

/// Size of set.txt on disk, where each of the twelve line feeds is preceded by a carriage return.
inline constexpr std::size_t kSetFileSize = kSetRecordSize + kSetFileLines.size() - 1;

/// The name the device looks for.
inline constexpr char kSetFileName[] = "set.txt";

/// The image of set.txt before line ends become CR LF.
using SetRecord = std::array<std::uint8_t, kSetRecordSize>;

/// The bytes of set.txt exactly as they stand on disk.
using SetFileBytes = std::array<std::uint8_t, kSetFileSize>;

/// Builds the record for settings that passed every check; other values give some record, never undefined behaviour.
SetRecord EncodeSetRecord(const DeviceSettings& settings);

/// Turns the record's line feeds into CR LF, giving the bytes the device reads.
SetFileBytes ToDiskBytes(const SetRecord& record);

/// A path in the system's own form: UTF-16 on Windows, bytes elsewhere (std::filesystem::path converts to it).
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

/// Writes set.txt into the current directory; see the overload for what happens on failure.
std::optional<SettingsFault> WriteSetFile(const DeviceSettings& settings);

/// Writes directory/set.txt through a temporary file and an atomic replace; on any fault set.txt is as it was before.
std::optional<SettingsFault> WriteSetFile(const DeviceSettings& settings, const NativePath& directory);

}  // namespace halvo
