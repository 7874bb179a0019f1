// Feeds arbitrary bytes to the set.txt reader: it must never misbehave, and
// whatever it accepts must be exactly what the writer makes of the settings
// it read back, and what it accepts passes CheckSettings. The page's C interface gets the same bytes and must agree
// with the core: the same problem in the same place, or positions that its
// own conversion turns back into the very same bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "halvo/device_settings.h"
#include "halvo/set_file.h"
#include "halvo/set_file_reader.h"
#include "halvo/settings_lists.h"

#include "halvo_web.h"

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

// Short enough that long problem texts are cut, as a small page buffer would cut them.
constexpr std::size_t kMessageCapacity = 72;

void CheckWebRead(const std::uint8_t* data, std::size_t size, const halvo::SetFileReading& reading) {
    std::array<std::int32_t, halvo::kSettingsLists.size()> positions;
    positions.fill(-7);
    std::array<std::uint32_t, 3> where{0xdeadbeef, 0xdeadbeef, 0xdeadbeef};
    // Exactly the capacity on the heap, so that a write past it is an overflow the sanitizer sees.
    const auto message = std::make_unique<char[]>(kMessageCapacity);
    const int kind = halvo_read(data, size, positions.data(), where.data(), message.get(), kMessageCapacity);

    if (reading.settings) {
        Require(kind == -1);
        const halvo::SettingsSelection expected = halvo::SelectionOf(*reading.settings);
        for (std::size_t i = 0; i < positions.size(); ++i)
            Require(positions[i] == expected.*halvo::kSettingsLists[i].position);
        // The page saves what it opened: the positions must give back the file.
        const auto bytes = std::make_unique<std::uint8_t[]>(halvo::kSetFileSize);
        std::array<std::uint8_t, 3 * halvo::kSettingsChecks> faults{};
        const int failed = halvo_convert(positions.data(), bytes.get(), faults.data(),
                                         static_cast<int>(halvo::kSettingsChecks));
        Require(failed == 0);
        Require(size == halvo::kSetFileSize && std::memcmp(bytes.get(), data, size) == 0);
        return;
    }
    const halvo::SetFileProblem& problem = *reading.problem;
    Require(kind == static_cast<int>(problem.kind));
    Require(where[0] == problem.offset && where[1] == problem.line);
    Require(problem.setting ? where[2] == static_cast<std::uint32_t>(*problem.setting) : where[2] == 0xffffffff);
    Require(std::string(message.get()) == problem.message.substr(0, kMessageCapacity - 1));
    for (std::int32_t p : positions) Require(p == -7);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const halvo::SetFileReading reading = halvo::ParseSetFile(std::span<const std::uint8_t>(data, size));
    Require(reading.settings.has_value() != reading.problem.has_value());
    if (reading.settings) {
        // The reader's verdict, line by line, is the one rule over device values.
        Require(halvo::CheckSettings(*reading.settings).empty());
        const halvo::SetFileBytes again = halvo::ToDiskBytes(halvo::EncodeSetRecord(*reading.settings));
        Require(size == again.size() && std::memcmp(data, again.data(), size) == 0);
    } else {
        Require(reading.problem->offset <= size);
    }
    CheckWebRead(data, size, reading);
    return 0;
}
