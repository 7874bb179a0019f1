#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace halvo::detail {

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
    // Each digit is taken modulo 10 and made non-negative, so a value the checks
    // did not pass still gives digits without arithmetic surprises; 32 bits hold
    // the scale of the widest line (4 digits) with room to spare, and keep the
    // 64-bit division helpers out of the dialog.
    constexpr void Digits(std::int32_t value, std::size_t count) {
        std::int32_t scale = 1;
        for (std::size_t i = 1; i < count; ++i) scale *= 10;
        for (; scale > 0; scale /= 10) Put(static_cast<std::uint8_t>('0' + ((value / scale) % 10 + 10) % 10));
    }
    /// How many bytes were put, including any that did not fit.
    constexpr std::size_t Count() const { return put_; }

private:
    std::array<std::uint8_t, N>& out_;
    std::size_t put_ = 0;
};

}  // namespace halvo::detail
