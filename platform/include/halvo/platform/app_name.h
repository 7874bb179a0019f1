#pragma once

// What the application is called: its own name or, without one, the
// executable's. Held in place, without allocating; pure functions, unit tested.

#include <array>
#include <cstddef>
#include <string_view>

namespace halvo::platform {

// An application name of at most a file name's length, ending in a zero.
class AppNameText {
public:
    // The longest file name Windows allows, in UTF-16 units.
    static constexpr std::size_t kMaxLength = 255;

    AppNameText() = default;
    // A longer name is cut to kMaxLength.
    explicit AppNameText(std::wstring_view name);

    const wchar_t* c_str() const { return text_.data(); }
    std::wstring_view view() const { return text_.data(); }

private:
    std::array<wchar_t, kMaxLength + 1> text_{};
};

// "C:\dir\Halvo.exe" gives "Halvo": no directory, nothing from the last dot on.
std::wstring_view BaseNameWithoutExtension(std::wstring_view path);

}  // namespace halvo::platform
