#pragma once

// When a dialog is centred on the screen, and where it goes then. Pure
// functions, unit tested.

#include <cstdint>

#include "halvo/platform/dialog_template.h"
#include "halvo/platform/types.h"

namespace halvo::platform {

// Dialog styles that decide the placement.
inline constexpr std::uint32_t kDsAbsAlign = 0x0001;
inline constexpr std::uint32_t kDsCenter = 0x0800;
inline constexpr std::uint32_t kDsCenterMouse = 0x1000;

// The framework's rule: a template at position 0, 0 that neither centres nor
// aligns itself is centred on the screen when the dialog opens.
bool WantsCentring(const DialogTemplateHeader& header);

// Where a window goes to be centred on centreOn, moved back inside workArea
// where it would stick out (its left and top edges win).
Point CentredPosition(const Rect& window, const Rect& centreOn, const Rect& workArea);

}  // namespace halvo::platform
