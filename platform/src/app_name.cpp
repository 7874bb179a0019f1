#include "halvo/platform/app_name.h"

namespace halvo::platform {

std::wstring BaseNameWithoutExtension(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring_view::npos) name = name.substr(0, dot);
    return std::wstring(name);
}

}  // namespace halvo::platform
