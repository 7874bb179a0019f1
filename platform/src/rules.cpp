#include "halvo/platform/rules.h"

namespace halvo::platform {
namespace {

std::uint16_t Word(std::span<const std::byte> data, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(data[at]) |
                                      (std::to_integer<unsigned>(data[at + 1]) << 8));
}

std::uint32_t DoubleWord(std::span<const std::byte> data, std::size_t at) {
    return static_cast<std::uint32_t>(Word(data, at)) | (static_cast<std::uint32_t>(Word(data, at + 2)) << 16);
}

int SignedWord(std::span<const std::byte> data, std::size_t at) {
    return static_cast<std::int16_t>(Word(data, at));
}

}  // namespace

std::optional<std::vector<ListDataEntry>> ParseListData(std::span<const std::byte> data) {
    constexpr std::size_t kRecordHeader = 8;  // control id, message, length
    std::vector<ListDataEntry> entries;
    std::size_t at = 0;
    for (;;) {
        if (data.size() - at < 2) return std::nullopt;  // no end record
        const std::uint16_t controlId = Word(data, at);
        if (controlId == 0) return entries;
        if (data.size() - at < kRecordHeader) return std::nullopt;
        const std::uint16_t message = Word(data, at + 2);
        const std::uint32_t length = DoubleWord(data, at + 4);
        at += kRecordHeader;
        if (message != kListDataAddString || length > data.size() - at) return std::nullopt;

        ListDataEntry entry{controlId, {}};
        for (const std::byte b : data.subspan(at, length)) {
            if (b == std::byte{0}) break;
            entry.text.push_back(static_cast<char>(std::to_integer<unsigned char>(b)));
        }
        entries.push_back(std::move(entry));
        at += length;
    }
}

std::optional<DialogTemplateHeader> ParseDialogTemplateHeader(std::span<const std::byte> data) {
    // DLGTEMPLATEEX: dlgVer 1, signature 0xFFFF, helpID, exStyle, style, cDlgItems, x, y, cx, cy.
    constexpr std::size_t kExtendedSize = 26;
    // DLGTEMPLATE: style, dwExtendedStyle, cdit, x, y, cx, cy.
    constexpr std::size_t kClassicSize = 18;
    if (data.size() >= kExtendedSize && Word(data, 0) == 1 && Word(data, 2) == 0xFFFF) {
        return DialogTemplateHeader{DoubleWord(data, 12), SignedWord(data, 18), SignedWord(data, 20)};
    }
    if (data.size() >= kClassicSize) {
        return DialogTemplateHeader{DoubleWord(data, 0), SignedWord(data, 10), SignedWord(data, 12)};
    }
    return std::nullopt;
}

bool WantsCentring(const DialogTemplateHeader& header) {
    return header.x == 0 && header.y == 0 && (header.style & (kDsAbsAlign | kDsCenter | kDsCenterMouse)) == 0;
}

Point CentredPosition(const Rect& window, const Rect& centreOn, const Rect& workArea) {
    Point at{(centreOn.left + centreOn.right) / 2 - window.Width() / 2,
             (centreOn.top + centreOn.bottom) / 2 - window.Height() / 2};
    if (at.x + window.Width() > workArea.right) at.x = workArea.right - window.Width();
    if (at.x < workArea.left) at.x = workArea.left;
    if (at.y + window.Height() > workArea.bottom) at.y = workArea.bottom - window.Height();
    if (at.y < workArea.top) at.y = workArea.top;
    return at;
}

std::wstring BaseNameWithoutExtension(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring_view::npos) name = name.substr(0, dot);
    return std::wstring(name);
}

}  // namespace halvo::platform
