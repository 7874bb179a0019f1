// Feeds arbitrary list positions through the conversion and, when every check
// passes, asserts that the record has the device's grammar: the fixed labels,
// the values as digits at their offsets, line feeds and the trailing spaces.
// Arbitrary DeviceSettings also go straight into the encoder, which must stay
// free of undefined behaviour (the sanitizers watch). The page's C interface
// gets the same positions and must report the same failed checks, or the
// same bytes, which its reader then turns back into positions.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "halvo/device_settings.h"
#include "halvo/set_file_reader.h"
#include "halvo/set_file.h"
#include "halvo/settings_lists.h"

#include "halvo_web.h"

namespace {

struct Field {
    std::size_t labelAt;
    std::size_t labelSize;
    std::size_t digits;  // 1 or 2; the year has "20" before its two
};

constexpr Field kFields[] = {
    {0, 5, 2}, {10, 5, 2}, {18, 5, 2}, {26, 5, 2}, {34, 5, 2}, {42, 5, 2}, {50, 18, 1},
    {70, 44, 1}, {116, 26, 1}, {144, 35, 1}, {181, 22, 1}, {205, 33, 1}, {240, 22, 1},
};

void Require(bool ok) {
    if (!ok) std::abort();
}

std::int32_t ReadInt(const std::uint8_t* data, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, data + at, sizeof v);
    return static_cast<std::int32_t>(v);
}

int Number(const halvo::SetRecord& r, std::size_t at, std::size_t digits) {
    int v = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        Require(r[at + i] >= '0' && r[at + i] <= '9');
        v = v * 10 + (r[at + i] - '0');
    }
    return v;
}

void CheckGrammar(const halvo::DeviceSettings& s, const halvo::SetRecord& r) {
    static const halvo::SetRecord reference = halvo::EncodeSetRecord(
        halvo::ConvertSelection(halvo::kInitialSelection).settings);
    const std::int32_t values[] = {s.year,        s.month,         s.day,         s.hour,
                                   s.minute,      s.second,        s.imageFlip,   s.recordMinutes,
                                   s.timelapseOn, s.timelapseInterval, s.recordAudio, s.usbMode,
                                   s.timestamp};
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        const Field& f = kFields[i];
        Require(std::memcmp(&r[f.labelAt], &reference[f.labelAt], f.labelSize) == 0);
        std::size_t at = f.labelAt + f.labelSize;
        int value = 0;
        if (i == 0) {
            Require(r[at] == '2' && r[at + 1] == '0');
            value = 2000 + Number(r, at + 2, 2);
            at += 4;
        } else {
            value = Number(r, at, f.digits);
            at += f.digits;
        }
        Require(value == values[i]);
        if (i + 1 < std::size(kFields)) {
            Require(r[at] == '\n');
            Require(at + 1 == kFields[i + 1].labelAt);
        } else {
            for (std::size_t k = 0; k < 7; ++k) Require(r[at + k] == ' ');
            Require(at + 7 == r.size());
        }
    }
    const halvo::SetFileBytes disk = halvo::ToDiskBytes(r);
    std::size_t crlf = 0;
    for (std::size_t i = 0; i + 1 < disk.size(); ++i) {
        if (disk[i + 1] == '\n') {
            Require(disk[i] == '\r');
            ++crlf;
        }
    }
    Require(crlf == 12);
}

std::array<std::int32_t, halvo::kSettingsLists.size()> PositionsOf(const halvo::SettingsSelection& sel) {
    std::array<std::int32_t, halvo::kSettingsLists.size()> positions{};
    for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = sel.*halvo::kSettingsLists[i].position;
    return positions;
}

void CheckWebConvert(const halvo::SettingsSelection& sel, const halvo::Conversion& c, int capacity) {
    const auto positions = PositionsOf(sel);
    constexpr std::uint8_t kUntouched = 0xee;
    // Exactly the sizes the page allocates, on the heap, so that a write past either is an overflow the sanitizer sees.
    const auto bytes = std::make_unique<std::uint8_t[]>(halvo::kSetFileSize);
    std::memset(bytes.get(), kUntouched, halvo::kSetFileSize);
    const auto faults = std::make_unique<std::uint8_t[]>(3 * static_cast<std::size_t>(capacity));
    const int count = halvo_convert(positions.data(), bytes.get(), faults.get(), capacity);

    Require(count == static_cast<int>(c.faults.size()));
    for (int i = 0; i < count && i < capacity; ++i) {
        const halvo::FailedCheck& f = c.faults[static_cast<std::size_t>(i)];
        const std::size_t at = 3 * static_cast<std::size_t>(i);
        Require(faults[at] == static_cast<std::uint8_t>(f.kind));
        Require(faults[at + 1] == static_cast<std::uint8_t>(f.list));
        Require(faults[at + 2] == static_cast<std::uint8_t>(f.reason));
    }
    if (count != 0) {
        // Nothing is saved for a selection that failed a check.
        for (std::size_t i = 0; i < halvo::kSetFileSize; ++i) Require(bytes[i] == kUntouched);
        return;
    }
    const halvo::SetFileBytes expected = halvo::ToDiskBytes(halvo::EncodeSetRecord(c.settings));
    Require(std::memcmp(bytes.get(), expected.data(), expected.size()) == 0);

    // Opened again on the page, the saved file gives the positions that stand for its settings.
    std::array<std::int32_t, halvo::kSettingsLists.size()> read{};
    std::array<std::uint32_t, 2> where{};
    char message[1] = {'x'};
    Require(halvo_read(bytes.get(), halvo::kSetFileSize, read.data(), where.data(), message, sizeof message) == -1);
    Require(read == PositionsOf(halvo::SelectionOf(c.settings)));
}

// Whether every value fits its line's width, so that the file holds the values themselves.
bool EncodesExactly(const halvo::DeviceSettings& s) {
    for (const halvo::SetFileLine& line : halvo::kSetFileLines) {
        const std::int32_t v = s.*line.field;
        std::int32_t limit = 1;
        for (std::size_t i = 0; i < line.digits; ++i) limit *= 10;
        if (v < 0 || v >= limit) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kNeeded = 13 * sizeof(std::int32_t);
    if (size < kNeeded) return 0;

    halvo::SettingsSelection sel;
    std::int32_t* fields[] = {&sel.year,      &sel.month,        &sel.day,       &sel.hour,
                              &sel.minute,    &sel.second,       &sel.imageFlip, &sel.recordLength,
                              &sel.timelapse, &sel.recordAudio,  &sel.usbMode,   &sel.timestamp};
    // Small positions are where the interesting boundaries are; let one flag
    // byte fold most fields into a narrow range so valid selections are common.
    const bool narrow = (data[kNeeded - 1] & 1) != 0;
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        std::int32_t v = ReadInt(data, i * 4);
        if (narrow) v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v) % 64u) - 2;
        *fields[i] = v;
    }

    const halvo::Conversion c = halvo::ConvertSelection(sel);
    const halvo::SetRecord record = halvo::EncodeSetRecord(c.settings);
    if (c.faults.empty()) CheckGrammar(c.settings, record);
    // The flag byte's other bits choose how many failed checks the page has room for.
    CheckWebConvert(sel, c, (data[kNeeded - 1] >> 1) % static_cast<int>(halvo::kSettingsChecks + 1));

    halvo::DeviceSettings raw;
    std::int32_t* rawFields[] = {&raw.year,        &raw.month,     &raw.day,      &raw.hour,
                                 &raw.minute,      &raw.second,    &raw.imageFlip, &raw.recordMinutes,
                                 &raw.timelapseOn, &raw.timelapseInterval, &raw.recordAudio, &raw.usbMode,
                                 &raw.timestamp};
    for (std::size_t i = 0; i < std::size(rawFields); ++i) {
        std::int32_t v = ReadInt(data, i * 4);
        // Narrowed, the values sit around what each line holds, where the check and the reader could part.
        if (narrow) {
            const std::uint32_t u = static_cast<std::uint32_t>(v);
            const std::size_t digits = halvo::kSetFileLines[i].digits;
            v = static_cast<std::int32_t>(digits == 4 ? 2019 + u % 34 : digits == 2 ? u % 64 : u % 7);
        }
        *rawFields[i] = v;
    }
    (void)halvo::EncodeSetRecord(raw);
    // Values the check accepts are exactly those whose file the reader accepts.
    const halvo::SetFileBytes rawFile = halvo::ToDiskBytes(halvo::EncodeSetRecord(raw));
    const bool read = halvo::ParseSetFile(rawFile).settings.has_value();
    Require(read == halvo::CheckSettings(raw).empty() || !EncodesExactly(raw));
    return 0;
}
