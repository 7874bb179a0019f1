#pragma once

// The settings in halvo-set's and the reader's English words, from the lists.

#include <cstdint>
#include <string>
#include <vector>

#include "halvo/settings_lists.h"

namespace halvo {

/// The entry at a position as halvo-set and the reader say it: its option word, with the list's unit after a
/// number ("2 s", "5 min", "off").
std::string EntryText(const SettingsList& list, std::int32_t at);

/// Items joined as a sentence lists alternatives: "A", "A or B", "A, B or C".
std::string Either(const std::vector<std::string>& items);

}  // namespace halvo
