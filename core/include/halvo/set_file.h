#pragma once

// set.txt as bytes: its size, its name and the encoder. Writing it is
// set_file_writer.h's.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "halvo/byte_builder.h"
#include "halvo/settings_types.h"
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

namespace detail {

/// What the encoder built, and how many bytes it put: exactly kSetRecordSize when the layout and the encoder agree.
struct EncodedRecord {
    SetRecord record{};
    std::size_t put = 0;
};

// The digits of a line are made in 32 bits: no line may be wider than its scale allows.
static_assert(std::all_of(kSetFileLines.begin(), kSetFileLines.end(),
                          [](const SetFileLine& line) { return line.digits >= 1 && line.digits <= 9; }));

constexpr EncodedRecord Encode(const DeviceSettings& s) {
    EncodedRecord result;
    ByteBuilder<kSetRecordSize> b(result.record);
    for (const SetFileLine& line : kSetFileLines) {
        if (&line != &kSetFileLines.front()) b.Put('\n');
        b.Label(line.label);
        b.Digits(s.*line.field, line.digits);
    }
    for (std::size_t i = 0; i < kTrailingSpaces; ++i) b.Put(' ');
    result.put = b.Count();
    return result;
}

/// What ToDiskBytes built, and how many bytes it put: exactly kSetFileSize for a record with twelve line feeds.
struct DiskImage {
    SetFileBytes bytes{};
    std::size_t put = 0;
};

constexpr DiskImage ToDisk(const SetRecord& record) {
    DiskImage result;
    ByteBuilder<kSetFileSize> b(result.bytes);
    for (std::uint8_t c : record) {
        if (c == '\n') b.Put('\r');
        b.Put(c);
    }
    result.put = b.Count();
    return result;
}

}  // namespace detail

/// Builds the record for settings that passed every check; other values give some record, never undefined behaviour.
constexpr SetRecord EncodeSetRecord(const DeviceSettings& settings) { return detail::Encode(settings).record; }

/// Turns the record's line feeds into CR LF, giving the bytes the device reads. A record that is not the encoder's,
/// with more line feeds than lines, gives its first kSetFileSize bytes on disk, never a write past the end.
constexpr SetFileBytes ToDiskBytes(const SetRecord& record) { return detail::ToDisk(record).bytes; }

}  // namespace halvo
