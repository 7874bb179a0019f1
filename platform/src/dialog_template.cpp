#include "halvo/platform/dialog_template.h"

#include "little_endian.h"

namespace halvo::platform {

std::optional<DialogTemplateHeader> ParseDialogTemplateHeader(std::span<const std::byte> data) {
    using little_endian::DoubleWord;
    using little_endian::SignedWord;
    using little_endian::Word;
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

}  // namespace halvo::platform
