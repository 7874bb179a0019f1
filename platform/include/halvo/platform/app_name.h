#pragma once

// What the application is called when it gives itself no name. A pure
// function, unit tested.

#include <string>
#include <string_view>

namespace halvo::platform {

// "C:\dir\Halvo.exe" gives "Halvo": no directory, nothing from the last dot on.
std::wstring BaseNameWithoutExtension(std::wstring_view path);

}  // namespace halvo::platform
