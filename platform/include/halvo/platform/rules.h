#pragma once

// The decisions of the platform layer that need no window: reading the list
// data and the template header, where a centred window goes, and what the
// application is called. Pure functions, unit tested.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "halvo/platform/types.h"

namespace halvo::platform {

// The resource type of a template's list data (the framework's RT_DLGINIT).
inline constexpr int kListDataResourceType = 240;
// The one message a list data record may carry: add a string (CB_ADDSTRING in
// its 16-bit numbering).
inline constexpr std::uint16_t kListDataAddString = 0x0403;

struct ListDataEntry {
    int controlId = 0;
    std::string text;  // ANSI
    friend bool operator==(const ListDataEntry&, const ListDataEntry&) = default;
};

// Reads list data: records of WORD control id, WORD message, DWORD length and
// that many bytes of text, packed without padding, ended by a zero control id.
// A text ends at its first zero byte or at its length. Nothing when the data is
// cut short, has no end record, or holds a message other than add-string.
std::optional<std::vector<ListDataEntry>> ParseListData(std::span<const std::byte> data);

// Dialog styles that decide the placement.
inline constexpr std::uint32_t kDsAbsAlign = 0x0001;
inline constexpr std::uint32_t kDsCenter = 0x0800;
inline constexpr std::uint32_t kDsCenterMouse = 0x1000;

struct DialogTemplateHeader {
    std::uint32_t style = 0;
    int x = 0;
    int y = 0;
};

// The style and position of a dialog template, extended (DLGTEMPLATEEX) or
// not; nothing when the data is too short.
std::optional<DialogTemplateHeader> ParseDialogTemplateHeader(std::span<const std::byte> data);

// The framework's rule: a template at position 0, 0 that neither centres nor
// aligns itself is centred on the screen when the dialog opens.
bool WantsCentring(const DialogTemplateHeader& header);

// Where a window goes to be centred on centreOn, moved back inside workArea
// where it would stick out (its left and top edges win).
Point CentredPosition(const Rect& window, const Rect& centreOn, const Rect& workArea);

// "C:\dir\Halvo.exe" gives "Halvo": no directory, nothing from the last dot on.
std::wstring BaseNameWithoutExtension(std::wstring_view path);

}  // namespace halvo::platform
