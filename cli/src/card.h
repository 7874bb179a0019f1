#pragma once

// --card: which mounted volume is the camera's card.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"

namespace halvo::cli {

/// The mount points listed in /proc/self/mountinfo's text, with its octal escapes (\040 for a space) undone.
std::vector<std::string> MountPoints(std::string_view mountinfo);

/// Whether a mount point lies directly in one of the desktop's removable-media folders: /run/media/USER,
/// /media/USER or /media.
bool IsRemovableMount(std::string_view mountPoint, std::string_view user);

/// What the search found: the card when exactly one volume qualifies, and the volumes it weighed.
struct CardChoice {
    std::optional<std::string> card;
    std::vector<std::string> candidates;
};

/// Picks the card: of several volumes, those holding DCIM or set.txt are preferred; exactly one must remain.
CardChoice ChooseCard(const Volumes& volumes);

}  // namespace halvo::cli
