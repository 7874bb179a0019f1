#pragma once

// The camera's clock against a reference: its offset read off one video frame,
// the correction that makes up for its start-up delay, its drift, and the next
// change of a time zone's offset from UTC, which the camera does not follow.
// Instants are milliseconds since 1970-01-01 UTC (seconds for zones); offsets of
// the camera are tenths of a second, + when it is ahead. All of it is integer
// arithmetic, so that the page (through WebAssembly) and halvo-set agree exactly.

#include <cstdint>
#include <optional>

#include "halvo/calendar.h"

namespace halvo {

inline constexpr std::int64_t kMsPerSecond = 1000;
inline constexpr std::int64_t kMsPerTenth = 100;
inline constexpr std::int64_t kSecondsPerDay = 86'400;
inline constexpr std::int64_t kMsPerDay = kSecondsPerDay * kMsPerSecond;
inline constexpr std::int32_t kTenthsPerDay = 864'000;

/// The most a correction may move the written time either way, in tenths of a second (60 s).
inline constexpr std::int32_t kMaxCorrectionTenths = 600;

/// A correction the written time may take: within ±60 s.
constexpr bool IsCorrection(std::int32_t tenths) {
    return tenths >= -kMaxCorrectionTenths && tenths <= kMaxCorrectionTenths;
}

/// The bounds of the offset at which a drift says to set the camera again (0.1 … 60 s), and the one offered first.
inline constexpr std::int32_t kMinBoundTenths = 1;
inline constexpr std::int32_t kMaxBoundTenths = kMaxCorrectionTenths;
inline constexpr std::int32_t kDefaultBoundTenths = 20;

/// A bound a drift may be measured against.
constexpr bool IsBound(std::int32_t tenths) { return tenths >= kMinBoundTenths && tenths <= kMaxBoundTenths; }

/// The largest offset a stamp and a reference within one day can show (12 h), either way.
inline constexpr std::int32_t kMaxOffsetTenths = kTenthsPerDay / 2;

/// How long after a switch-on a measurement still shows the start-up delay rather than drift.
inline constexpr std::int64_t kStartUpWindowMs = kMsPerDay;

/// The least time between two measurements for a drift, which is otherwise lost in a frame's uncertainty.
inline constexpr std::int64_t kMinDriftSpanMs = kMsPerDay;

/// How far ahead a zone's next change of offset is looked for (the next 12 months).
inline constexpr std::int64_t kZoneLookAheadSeconds = 365 * kSecondsPerDay;

/// The remainder of value / divisor taken towards minus infinity, so it is never negative for a positive divisor.
constexpr std::int64_t FloorMod(std::int64_t value, std::int64_t divisor) {
    const std::int64_t r = value % divisor;
    return r < 0 ? r + divisor : r;
}

/// The camera's offset in tenths (its stamp less the reference), from the stamp's second of the day (0 … 86399) and
/// the reference's tenth of the day (0 … 863999) in one frame, taken within ±12 h: exactly 12 h counts as behind.
constexpr std::int32_t CameraOffsetTenths(std::int32_t stampSecond, std::int32_t referenceTenth) {
    constexpr std::int32_t kHalfDay = kTenthsPerDay / 2;
    std::int32_t offset = (stampSecond * 10 - referenceTenth) % kTenthsPerDay;
    if (offset >= kHalfDay) offset -= kTenthsPerDay;
    if (offset < -kHalfDay) offset += kTenthsPerDay;
    return offset;
}

/// When the frame with the reference's tenth of the day was filmed: the start of the latest such tenth not after `nowMs`,
/// with the zone's clocks `zoneOffsetSeconds` east of UTC (a reading later in the day than now was filmed yesterday).
constexpr std::int64_t MeasurementInstantMs(std::int64_t nowMs, std::int32_t zoneOffsetSeconds,
                                            std::int32_t referenceTenth) {
    const std::int64_t nowTenth = nowMs - FloorMod(nowMs, kMsPerTenth);
    const std::int64_t wallTenth = FloorMod(nowTenth + zoneOffsetSeconds * kMsPerSecond, kMsPerDay) / kMsPerTenth;
    return nowTenth - FloorMod(wallTenth - referenceTenth, kTenthsPerDay) * kMsPerTenth;
}

/// Zones and summer time differ from UTC and from each other by multiples of a quarter hour.
inline constexpr std::int32_t kZoneStepTenths = 9'000;

/// An offset within this of such a multiple (2 min) is read as a zone or summer time plus the camera's own error.
inline constexpr std::int32_t kZoneSlackTenths = 1'200;

/// The least multiple read so (30 min): below it a camera may simply be that far off.
inline constexpr std::int32_t kMinZoneOffsetTenths = 18'000;

/// An offset split into the part a zone or summer time explains and the camera's own error.
struct OffsetParts {
    std::int32_t zoneTenths = 0;  ///< a multiple of 15 min, at least 30 min either way, or 0
    std::int32_t ownTenths = 0;   ///< the rest: what drift, the bound and the start-up delay count

    friend constexpr bool operator==(const OffsetParts&, const OffsetParts&) = default;
};

/// The nearest multiple of 15 min as the zone's part when it is at least 30 min and the offset within 2 min of it;
/// otherwise the whole offset is the camera's own.
constexpr OffsetParts SplitOffset(std::int32_t offsetTenths) {
    const std::int32_t size = offsetTenths < 0 ? -offsetTenths : offsetTenths;
    const std::int32_t steps = (size + kZoneStepTenths / 2) / kZoneStepTenths;
    const std::int32_t zone = steps * kZoneStepTenths;
    if (zone < kMinZoneOffsetTenths || size - zone > kZoneSlackTenths || zone - size > kZoneSlackTenths)
        return {0, offsetTenths};
    const std::int32_t signedZone = offsetTenths < 0 ? -zone : zone;
    return {signedZone, offsetTenths - signedZone};
}

/// Where a measurement stands against the camera's last switch-on.
enum class SinceSwitchOn : std::uint8_t {
    Before,   ///< made before it: it belongs to an earlier setting
    StartUp,  ///< within a day after it: it shows the start-up delay
    Later,    ///< more than a day after it: drift has mixed in
};

/// Where a measurement at `measuredMs` stands against a switch-on at `switchOnMs`.
constexpr SinceSwitchOn StandingOf(std::int64_t switchOnMs, std::int64_t measuredMs) {
    if (measuredMs < switchOnMs) return SinceSwitchOn::Before;
    return measuredMs - switchOnMs > kStartUpWindowMs ? SinceSwitchOn::Later : SinceSwitchOn::StartUp;
}

/// What a save from a clock reading writes, and when the camera is to be switched on.
struct WrittenTime {
    std::int64_t fileSecondMs;  ///< the start of the second written in the file
    std::int64_t switchOnMs;    ///< the countdown's end: the written second less the correction
    bool corrected = false;     ///< the correction moved the written second: what a save's message names

    friend constexpr bool operator==(const WrittenTime&, const WrittenTime&) = default;
};

/// The written second is the reading moved on by the lead and the correction, cut to its second; the camera is
/// switched on the correction earlier, so that its clock is right once it has started up.
constexpr WrittenTime TimeToWrite(std::int64_t readingMs, std::int32_t leadSeconds, std::int32_t correctionTenths) {
    const std::int64_t correction = correctionTenths * kMsPerTenth;
    const std::int64_t plain = readingMs + leadSeconds * kMsPerSecond;
    const std::int64_t moved = plain + correction;
    const std::int64_t second = moved - FloorMod(moved, kMsPerSecond);
    return {second, second - correction, second != plain - FloorMod(plain, kMsPerSecond)};
}

/// The start-up delay a measurement shows, as the correction for later saves: the correction the camera was set with
/// less the offset measured; none when measured outside the day after the switch-on, with a zone's part in the
/// offset, or beyond ±60 s.
constexpr std::optional<std::int32_t> StartUpCorrection(std::int64_t switchOnMs, std::int32_t setCorrectionTenths,
                                                        std::int64_t measuredMs, std::int32_t offsetTenths) {
    if (StandingOf(switchOnMs, measuredMs) != SinceSwitchOn::StartUp) return std::nullopt;
    if (SplitOffset(offsetTenths).zoneTenths != 0) return std::nullopt;
    const std::int64_t delay = std::int64_t{setCorrectionTenths} - offsetTenths;
    if (delay < -kMaxCorrectionTenths || delay > kMaxCorrectionTenths) return std::nullopt;
    return static_cast<std::int32_t>(delay);
}

/// One reading of the camera's offset, and when it was made.
struct ClockMeasurement {
    std::int64_t atMs = 0;
    std::int32_t offsetTenths = 0;
};

/// How the offset moves between two measurements, and when it will pass a bound.
struct Drift {
    std::int64_t msPerDay = 0;                  ///< + the camera gains, − it loses; rounded to the nearest ms
    std::optional<std::int64_t> boundReachedMs;  ///< when |offset| reaches the bound; none while it never will
};

/// The drift from a measurement after the camera was set and a later one, and when the offset reaches `boundTenths`
/// (IsBound) either way (the later measurement's instant when it already has); none for measurements less than a
/// day apart.
std::optional<Drift> DriftBetween(const ClockMeasurement& first, const ClockMeasurement& last, std::int32_t boundTenths);

/// A change of a zone's offset from UTC.
struct ZoneChange {
    std::int64_t at = 0;              ///< the first second (since 1970 UTC) of the new offset
    std::int32_t offsetBefore = 0;    ///< seconds east of UTC until then
    std::int32_t offsetAfter = 0;     ///< seconds east of UTC from then on

    friend constexpr bool operator==(const ZoneChange&, const ZoneChange&) = default;
};

/// The zone's next change of offset in the 12 months after `from` (seconds since 1970 UTC), given its offset at an
/// instant (`offsetAt(seconds)` → seconds east of UTC): a scan by days, then a bisection to the second.
template <class OffsetAt>
std::optional<ZoneChange> NextZoneChange(std::int64_t from, OffsetAt&& offsetAt) {
    const std::int32_t before = offsetAt(from);
    const std::int64_t end = from + kZoneLookAheadSeconds;
    for (std::int64_t lo = from; lo < end;) {
        std::int64_t hi = lo + kSecondsPerDay < end ? lo + kSecondsPerDay : end;
        if (offsetAt(hi) == before) {
            lo = hi;
            continue;
        }
        // offsetAt(lo) is `before`, offsetAt(hi) is not: close in on the first second that differs.
        while (hi - lo > 1) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            (offsetAt(mid) == before ? lo : hi) = mid;
        }
        return ZoneChange{hi, before, offsetAt(hi)};
    }
    return std::nullopt;
}

/// The date and time of day, proleptic Gregorian, of seconds since 1970 (add a zone's offset for its wall clock).
constexpr DateTime CivilFromSeconds(std::int64_t seconds) {
    const std::int64_t days = (seconds - FloorMod(seconds, kSecondsPerDay)) / kSecondsPerDay;
    const std::int64_t daySecond = FloorMod(seconds, kSecondsPerDay);
    // Days since 1 March of year 0, in eras of 400 years (146097 days).
    const std::int64_t z = days + 719'468;
    const std::int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
    const std::int64_t dayOfEra = z - era * 146'097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 = March
    const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return DateTime{
        static_cast<std::int32_t>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0)),
        static_cast<std::int32_t>(month),
        static_cast<std::int32_t>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1),
        static_cast<std::int32_t>(daySecond / 3600),
        static_cast<std::int32_t>(daySecond / 60 % 60),
        static_cast<std::int32_t>(daySecond % 60),
    };
}

/// What a sentence about a zone change says: when by the clocks before it, which way, and how much.
struct ZoneChangeWords {
    DateTime wallClock;        ///< the date and time the clocks show as they change
    bool forward = false;      ///< the clocks go forward (else back)
    std::int32_t hours = 0;    ///< the whole hours of the change
    std::int32_t minutes = 0;  ///< and its minutes beyond them (30 for a half-hour change)
};

/// The parts of "On 28 March 2027 at 02:00 the clocks go forward 1 h".
constexpr ZoneChangeWords DescribeZoneChange(const ZoneChange& change) {
    const std::int32_t step = change.offsetAfter - change.offsetBefore;
    const std::int32_t size = step < 0 ? -step : step;
    return {CivilFromSeconds(change.at + change.offsetBefore), step > 0, size / 3600, size / 60 % 60};
}

}  // namespace halvo
