#include "halvo/settings_words.h"

#include <algorithm>
#include <cstddef>

namespace halvo {

std::string EntryText(const SettingsList& list, std::int32_t at) {
    const std::string word = list.Entry(at).option;
    const bool number = std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
    return number && *list.unit.english != '\0' ? word + " " + list.unit.english : word;
}

std::string Either(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += i + 1 == items.size() ? " or " : ", ";
        out += items[i];
    }
    return out;
}

}  // namespace halvo
