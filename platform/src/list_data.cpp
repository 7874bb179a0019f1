#include "halvo/platform/list_data.h"

#include "little_endian.h"

namespace halvo::platform {
namespace {

using little_endian::DoubleWord;
using little_endian::Word;

constexpr std::size_t kRecordHeader = 8;  // control id, message, length

// The text of the record at `at`, which ParseListData has checked.
std::string_view TextAt(std::span<const std::byte> records, std::size_t at) {
    const std::span<const std::byte> bytes = records.subspan(at + kRecordHeader, DoubleWord(records, at + 4));
    const auto zero = std::ranges::find(bytes, std::byte{0});
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<std::size_t>(zero - bytes.begin())};
}

}  // namespace

ListDataEntry ListData::Iterator::operator*() const { return {Word(records_, at_), TextAt(records_, at_)}; }

ListData::Iterator& ListData::Iterator::operator++() {
    at_ += kRecordHeader + DoubleWord(records_, at_ + 4);
    return *this;
}

std::optional<ListData> ParseListData(std::span<const std::byte> data) {
    std::size_t at = 0;
    for (;;) {
        if (data.size() - at < 2) return std::nullopt;  // no end record
        if (Word(data, at) == 0) return ListData(data.first(at));
        if (data.size() - at < kRecordHeader) return std::nullopt;
        const std::uint16_t message = Word(data, at + 2);
        const std::uint32_t length = DoubleWord(data, at + 4);
        if (message != kListDataAddString || length > data.size() - at - kRecordHeader) return std::nullopt;
        if (TextAt(data, at).size() > kListDataMaxText) return std::nullopt;
        at += kRecordHeader + length;
    }
}

}  // namespace halvo::platform
