#pragma once

// The core's words are UTF-8; Windows shows UTF-16. The dialog converts them
// at compile time into fixed buffers, so it neither allocates nor converts
// while it runs.

#include <array>
#include <cstddef>
#include <cstdint>

namespace halvo {

namespace detail {
// Not constexpr: reaching it while converting a constant stops the build.
inline void Utf16TextIsMalformedOrTooLong() {}
}  // namespace detail

/// The UTF-16 units that well-formed UTF-8 takes, with the terminating NUL: the room ToUtf16 needs for it, exactly.
constexpr std::size_t Utf16Room(const char* utf8) {
    std::size_t units = 1;
    for (std::size_t i = 0; utf8[i] != '\0'; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte & 0xc0) != 0x80) units += byte >= 0xf0 ? 2 : 1;  // a lead byte; four bytes make a surrogate pair
    }
    return units;
}

/// Converts well-formed UTF-8 into NUL-terminated UTF-16 of at most N - 1 units; in a constant, anything else stops the build.
template <class Unit, std::size_t N>
constexpr std::array<Unit, N> ToUtf16(const char* utf8) {
    static_assert(sizeof(Unit) == 2, "UTF-16 code units");
    std::array<Unit, N> out{};
    std::size_t at = 0;
    const auto put = [&out, &at](std::uint32_t unit) {
        if (at + 1 >= N) {
            detail::Utf16TextIsMalformedOrTooLong();
            return;
        }
        out[at++] = static_cast<Unit>(unit);
    };
    for (std::size_t i = 0; utf8[i] != '\0';) {
        const auto byte = [utf8](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(utf8[k])); };
        const std::uint32_t lead = byte(i);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
        if (length == 0) {
            detail::Utf16TextIsMalformedOrTooLong();
            return out;
        }
        std::uint32_t code = length == 1 ? lead : lead & (0x7fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xc0) != 0x80) {
                detail::Utf16TextIsMalformedOrTooLong();
                return out;
            }
            code = (code << 6) | (byte(i + k) & 0x3f);
        }
        i += length;
        if (code >= 0x10000) {
            put(0xd800 + ((code - 0x10000) >> 10));
            put(0xdc00 + ((code - 0x10000) & 0x3ff));
        } else {
            put(code);
        }
    }
    return out;
}

}  // namespace halvo
