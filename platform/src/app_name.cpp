#include "halvo/platform/app_name.h"

#include <algorithm>

namespace halvo::platform {

// Views are cut with remove_prefix and remove_suffix: substr and copy check
// their position and throw, which would link the run-time's exception
// machinery into Halvo.exe.

AppNameText::AppNameText(std::wstring_view name) {
    std::copy_n(name.data(), std::min(name.size(), kMaxLength), text_.data());
}

std::wstring_view BaseNameWithoutExtension(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    if (slash != std::wstring_view::npos) path.remove_prefix(slash + 1);
    const std::size_t dot = path.find_last_of(L'.');
    if (dot != std::wstring_view::npos) path.remove_suffix(path.size() - dot);
    return path;
}

}  // namespace halvo::platform
