#include "halvo/platform/list_data.h"

#include "little_endian.h"

namespace halvo::platform {

std::optional<std::vector<ListDataEntry>> ParseListData(std::span<const std::byte> data) {
    using little_endian::DoubleWord;
    using little_endian::Word;
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

}  // namespace halvo::platform
