#pragma once

// The header of a dialog template resource. A pure function, unit tested.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace halvo::platform {

struct DialogTemplateHeader {
    std::uint32_t style = 0;
    int x = 0;
    int y = 0;
};

// The style and position of a dialog template, extended (DLGTEMPLATEEX) or
// not; nothing when the data is too short.
std::optional<DialogTemplateHeader> ParseDialogTemplateHeader(std::span<const std::byte> data);

}  // namespace halvo::platform
