#include "halvo/camera_clock.h"

namespace halvo {
namespace {

// Beyond a century apart, or offsets outside ±12 h, are no measurements of a camera (and would overflow).
constexpr std::int64_t kMaxDriftSpanMs = 100 * 366 * kMsPerDay;
constexpr bool IsOffset(std::int32_t tenths) { return tenths >= -kMaxOffsetTenths && tenths <= kMaxOffsetTenths; }

// numerator / denominator rounded half up, for a positive denominator.
constexpr std::int64_t RoundedDivision(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t twice = 2 * numerator + denominator;
    return (twice - FloorMod(twice, 2 * denominator)) / (2 * denominator);
}

}  // namespace

std::optional<Drift> DriftBetween(const ClockMeasurement& first, const ClockMeasurement& last, std::int32_t boundTenths) {
    const std::int64_t span = last.atMs - first.atMs;
    if (span < kMinDriftSpanMs || span > kMaxDriftSpanMs || !IsOffset(first.offsetTenths) ||
        !IsOffset(last.offsetTenths) || !IsBound(boundTenths))
        return std::nullopt;
    const std::int64_t moved = std::int64_t{last.offsetTenths} - first.offsetTenths;
    Drift drift{RoundedDivision(moved * kMsPerTenth * kMsPerDay, span), std::nullopt};
    const std::int64_t now = last.offsetTenths;
    if (now > boundTenths || now < -boundTenths) {
        drift.boundReachedMs = last.atMs;
    } else if (moved != 0) {
        // Straight on from the later measurement to the bound on the side the offset moves to, rounded up.
        const std::int64_t toGo = (moved > 0 ? boundTenths - now : now + boundTenths) * span;
        const std::int64_t rate = moved > 0 ? moved : -moved;
        drift.boundReachedMs = last.atMs + (toGo + rate - 1) / rate;
    }
    return drift;
}

}  // namespace halvo
