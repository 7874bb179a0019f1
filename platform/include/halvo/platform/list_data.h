#pragma once

// The list data of a dialog template: the entries the framework adds to its
// lists before the dialog's own start-up code runs. Read in place, without
// allocating; a pure function, unit tested.

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <ranges>
#include <span>
#include <string_view>

namespace halvo::platform {

// The resource type of a template's list data (the framework's RT_DLGINIT).
inline constexpr int kListDataResourceType = 240;
// The one message a list data record may carry: add a string (CB_ADDSTRING in
// its 16-bit numbering).
inline constexpr std::uint16_t kListDataAddString = 0x0403;
// The longest text an entry may have, in bytes: a line of a list, with room
// to spare; the loader copies each text into a buffer of this size.
inline constexpr std::size_t kListDataMaxText = 255;

struct ListDataEntry {
    int controlId = 0;
    std::string_view text;  // ANSI, pointing into the data; not followed by a zero
    friend bool operator==(const ListDataEntry&, const ListDataEntry&) = default;
};

// List data that has been checked whole: its entries in order, read from the
// bytes each time they are walked.
class ListData {
public:
    class Iterator {
    public:
        using value_type = ListDataEntry;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        ListDataEntry operator*() const;
        Iterator& operator++();
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.at_ == b.at_; }

    private:
        friend class ListData;
        Iterator(std::span<const std::byte> records, std::size_t at) : records_(records), at_(at) {}
        std::span<const std::byte> records_;
        std::size_t at_ = 0;
    };
    using iterator = Iterator;
    using const_iterator = Iterator;

    Iterator begin() const { return {records_, 0}; }
    Iterator end() const { return {records_, records_.size()}; }
    bool empty() const { return records_.empty(); }

    // Equal to any range of the same entries in the same order (a std::vector in tests, say).
    template <std::ranges::input_range R>
        requires std::equality_comparable_with<const ListDataEntry&, std::ranges::range_reference_t<const R>>
    friend bool operator==(const ListData& a, const R& b) {
        return std::ranges::equal(a, b);
    }

private:
    friend std::optional<ListData> ParseListData(std::span<const std::byte> data);
    explicit ListData(std::span<const std::byte> records) : records_(records) {}
    std::span<const std::byte> records_;  // the records before the end record
};
static_assert(std::forward_iterator<ListData::Iterator>);

// Reads list data: records of WORD control id, WORD message, DWORD length and
// that many bytes of text, packed without padding, ended by a zero control id.
// A text ends at its first zero byte or at its length. Nothing when the data is
// cut short, has no end record, holds a message other than add-string, or a
// text longer than kListDataMaxText.
std::optional<ListData> ParseListData(std::span<const std::byte> data);

}  // namespace halvo::platform
