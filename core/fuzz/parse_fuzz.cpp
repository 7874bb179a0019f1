// Feeds arbitrary bytes to the set.txt reader: it must never misbehave, and
// whatever it accepts must be exactly what the writer makes of the settings
// it read back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "halvo/set_file.h"
#include "halvo/set_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const halvo::SetFileReading reading = halvo::ParseSetFile(std::span<const std::uint8_t>(data, size));
    if (reading.settings.has_value() == reading.problem.has_value()) std::abort();
    if (reading.settings) {
        const halvo::SetFileBytes again = halvo::ToDiskBytes(halvo::EncodeSetRecord(*reading.settings));
        if (size != again.size() || std::memcmp(data, again.data(), size) != 0) std::abort();
    } else if (reading.problem->offset > size) {
        std::abort();
    }
    return 0;
}
