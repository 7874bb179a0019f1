#pragma once

// Little-endian numbers inside resource data; the caller checks the bounds.

#include <cstddef>
#include <cstdint>
#include <span>

namespace halvo::platform::little_endian {

inline std::uint16_t Word(std::span<const std::byte> data, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(data[at]) |
                                      (std::to_integer<unsigned>(data[at + 1]) << 8));
}

inline std::uint32_t DoubleWord(std::span<const std::byte> data, std::size_t at) {
    return static_cast<std::uint32_t>(Word(data, at)) | (static_cast<std::uint32_t>(Word(data, at + 2)) << 16);
}

inline int SignedWord(std::span<const std::byte> data, std::size_t at) {
    return static_cast<std::int16_t>(Word(data, at));
}

}  // namespace halvo::platform::little_endian
