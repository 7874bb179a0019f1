// The page's C interface to the camera's clock (halvo/camera_clock.h). Instants
// cross as doubles (whole milliseconds or seconds, exact below 2^53); a time
// zone's offset comes from the page, which knows the zones through Intl.

#include <emscripten/emscripten.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>

#include "halvo/calendar.h"
#include "halvo/camera_clock.h"

// The chosen zone's offset from UTC, in seconds east, at an instant in seconds (zoneOffsetAt, set by core_api.js).
EM_JS(double, halvo_zone_offset_at, (double seconds), { return zoneOffsetAt(seconds); });

namespace halvo {
namespace {

/// What a call returns for "no answer".
constexpr std::int32_t kNone = std::numeric_limits<std::int32_t>::min();

// A double that holds a whole number of safe size, as an instant.
std::optional<std::int64_t> Instant(double value) {
    constexpr double kLimit = 9007199254740991.0;  // 2^53 - 1
    if (!std::isfinite(value) || std::fabs(value) > kLimit || std::trunc(value) != value) return std::nullopt;
    return static_cast<std::int64_t>(value);
}

}  // namespace
}  // namespace halvo

using namespace halvo;

extern "C" {

/// The most tenths of a second a correction may move the written time either way.
EMSCRIPTEN_KEEPALIVE int halvo_max_correction() { return kMaxCorrectionTenths; }

/// The least and the most tenths a drift's bound may be, and the one offered first.
EMSCRIPTEN_KEEPALIVE int halvo_min_bound() { return kMinBoundTenths; }
EMSCRIPTEN_KEEPALIVE int halvo_max_bound() { return kMaxBoundTenths; }
EMSCRIPTEN_KEEPALIVE int halvo_default_bound() { return kDefaultBoundTenths; }

/// The largest offset either way, in tenths.
EMSCRIPTEN_KEEPALIVE int halvo_max_offset() { return kMaxOffsetTenths; }

/// 1 for a correction (tenths) the written time may take, else 0.
EMSCRIPTEN_KEEPALIVE int halvo_is_correction(int tenths) { return IsCorrection(tenths) ? 1 : 0; }

/// 1 for a bound (tenths) a drift may be measured against, else 0.
EMSCRIPTEN_KEEPALIVE int halvo_is_bound(int tenths) { return IsBound(tenths) ? 1 : 0; }

/// When a frame was filmed (ms): the reference's tenth of the day on the zone's clocks, `zoneOffset` s east of UTC
/// now; NaN for a value out of range.
EMSCRIPTEN_KEEPALIVE double halvo_measurement_instant(double nowMs, int zoneOffset, int referenceTenth) {
    const std::optional<std::int64_t> now = Instant(nowMs);
    if (!now || referenceTenth < 0 || referenceTenth >= kTenthsPerDay || zoneOffset < -kSecondsPerDay ||
        zoneOffset > kSecondsPerDay)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(MeasurementInstantMs(*now, zoneOffset, referenceTenth));
}

/// An offset's zone part (tenths) into `parts[0]` and the camera's own into `parts[1]`.
EMSCRIPTEN_KEEPALIVE void halvo_split_offset(int offset, std::int32_t* parts) {
    const OffsetParts split = SplitOffset(offset);
    parts[0] = split.zoneTenths;
    parts[1] = split.ownTenths;
}

/// Where a measurement stands against the last switch-on: 0 before it, 1 within the start-up day, 2 later; -1 for
/// an instant out of range.
EMSCRIPTEN_KEEPALIVE int halvo_since_switch_on(double switchOnMs, double measuredMs) {
    const std::optional<std::int64_t> on = Instant(switchOnMs);
    const std::optional<std::int64_t> measured = Instant(measuredMs);
    if (!on || !measured) return -1;
    return static_cast<int>(StandingOf(*on, *measured));
}

/// The camera's offset in tenths from the stamp's second of the day and the reference's tenth of the day; kNone for a
/// value outside the day.
EMSCRIPTEN_KEEPALIVE int halvo_camera_offset(int stampSecond, int referenceTenth) {
    if (stampSecond < 0 || stampSecond >= kSecondsPerDay || referenceTenth < 0 || referenceTenth >= kTenthsPerDay)
        return kNone;
    return CameraOffsetTenths(stampSecond, referenceTenth);
}

/// The written second and the switch-on (ms) for a clock reading (ms), a lead (s) and a correction (tenths), and 1
/// where the correction moved the written second (0 otherwise), into `out`; 0 for a value out of range.
EMSCRIPTEN_KEEPALIVE int halvo_time_to_write(double readingMs, int lead, int correction, double* out) {
    const std::optional<std::int64_t> reading = Instant(readingMs);
    if (!reading || lead < 0 || lead > kMaxLeadSeconds || !IsCorrection(correction)) return 0;
    const WrittenTime written = TimeToWrite(*reading, lead, correction);
    out[0] = static_cast<double>(written.fileSecondMs);
    out[1] = static_cast<double>(written.switchOnMs);
    out[2] = written.corrected ? 1 : 0;
    return 1;
}

/// The correction a measurement offers (tenths), from the last switch-on and the correction set then; kNone if it
/// offers none.
EMSCRIPTEN_KEEPALIVE int halvo_start_up_correction(double switchOnMs, int setCorrection, double measuredMs, int offset) {
    const std::optional<std::int64_t> on = Instant(switchOnMs);
    const std::optional<std::int64_t> measured = Instant(measuredMs);
    if (!on || !measured || !IsCorrection(setCorrection)) return kNone;
    return StartUpCorrection(*on, setCorrection, *measured, offset).value_or(kNone);
}

/// The drift of two measurements into `out`: ms per day, then when the bound is reached (ms). Returns 0 for no
/// drift (less than a day apart, or unsound), 1 for a drift that never reaches the bound, 2 for one that does.
EMSCRIPTEN_KEEPALIVE int halvo_drift(double firstMs, int firstOffset, double lastMs, int lastOffset, int bound,
                                     double* out) {
    const std::optional<std::int64_t> first = Instant(firstMs);
    const std::optional<std::int64_t> last = Instant(lastMs);
    if (!first || !last) return 0;
    const std::optional<Drift> drift = DriftBetween({*first, firstOffset}, {*last, lastOffset}, bound);
    if (!drift) return 0;
    out[0] = static_cast<double>(drift->msPerDay);
    if (!drift->boundReachedMs) return 1;
    out[1] = static_cast<double>(*drift->boundReachedMs);
    return 2;
}

/// The chosen zone's next change of offset in the 12 months after `fromSeconds`: 1 with its instant (s) in `at` and
/// in `parts` the offsets before and after (s), the wall clock as it changes (year, month, day, hour, minute),
/// forward (1) or back (0), hours and minutes; 0 for none.
EMSCRIPTEN_KEEPALIVE int halvo_next_zone_change(double fromSeconds, double* at, std::int32_t* parts) {
    const std::optional<std::int64_t> from = Instant(fromSeconds);
    if (!from) return 0;
    const std::optional<ZoneChange> change = NextZoneChange(*from, [](std::int64_t seconds) {
        const double offset = halvo_zone_offset_at(static_cast<double>(seconds));
        return std::isfinite(offset) && std::fabs(offset) <= kSecondsPerDay ? static_cast<std::int32_t>(offset) : 0;
    });
    if (!change) return 0;
    const ZoneChangeWords words = DescribeZoneChange(*change);
    at[0] = static_cast<double>(change->at);
    const std::int32_t values[] = {change->offsetBefore, change->offsetAfter, words.wallClock.year,
                                   words.wallClock.month, words.wallClock.day, words.wallClock.hour,
                                   words.wallClock.minute, words.forward ? 1 : 0, words.hours, words.minutes};
    for (std::size_t i = 0; i < std::size(values); ++i) parts[i] = values[i];
    return 1;
}

}  // extern "C"
