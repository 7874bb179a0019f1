#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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

namespace detail {

/// Fills a fixed-size byte array front to back. It counts every byte put and writes only those that fit, so a
/// layout that puts one byte too many or too few shows in the count, never as a write past the end.
template <std::size_t N>
class ByteBuilder {
public:
    constexpr explicit ByteBuilder(std::array<std::uint8_t, N>& out) : out_(out) {}

    constexpr void Put(std::uint8_t b) {
        if (put_ < N) out_[put_] = b;
        ++put_;
    }
    constexpr void Label(std::span<const std::uint8_t> label) {
        for (std::uint8_t b : label) Put(b);
    }
    // Each digit is taken modulo 10 in 64 bits, so a value the checks did not
    // pass still gives digits without arithmetic surprises.
    constexpr void Digits(std::int64_t value, std::size_t count) {
        std::int64_t scale = 1;
        for (std::size_t i = 1; i < count; ++i) scale *= 10;
        for (; scale > 0; scale /= 10) Put(static_cast<std::uint8_t>('0' + ((value / scale) % 10 + 10) % 10));
    }
    /// How many bytes were put, including any that did not fit.
    constexpr std::size_t Count() const { return put_; }

private:
    std::array<std::uint8_t, N>& out_;
    std::size_t put_ = 0;
};

/// What the encoder built, and how many bytes it put: exactly kSetRecordSize when the layout and the encoder agree.
struct EncodedRecord {
    SetRecord record{};
    std::size_t put = 0;
};

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
