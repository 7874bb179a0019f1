#pragma once

// The list data of a dialog template: the entries the framework adds to its
// lists before the dialog's own start-up code runs. A pure function, unit tested.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

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

}  // namespace halvo::platform
