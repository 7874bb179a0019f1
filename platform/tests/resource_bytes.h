#pragma once

// Resource data for the parser tests, written out field by field.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "halvo/platform/list_data.h"

namespace halvo::platform::test_support {

// Little-endian bytes built from words, double words and text.
class Bytes {
public:
    Bytes& Word(std::uint16_t v) {
        Byte(v & 0xFF);
        return Byte(v >> 8);
    }
    Bytes& DoubleWord(std::uint32_t v) {
        Word(static_cast<std::uint16_t>(v & 0xFFFF));
        return Word(static_cast<std::uint16_t>(v >> 16));
    }
    Bytes& Text(const char* s, bool withZero = true) {
        for (; *s != '\0'; ++s) Byte(static_cast<unsigned char>(*s));
        if (withZero) Byte(0);
        return *this;
    }
    Bytes& Byte(unsigned v) {
        bytes_.push_back(static_cast<std::byte>(v));
        return *this;
    }
    // One add-string record with the text and its zero, as the resource compiler writes it.
    Bytes& Entry(std::uint16_t id, const char* text) {
        Word(id).Word(kListDataAddString).DoubleWord(static_cast<std::uint32_t>(std::char_traits<char>::length(text) + 1));
        return Text(text);
    }
    std::span<const std::byte> Span() const { return bytes_; }
    std::vector<std::byte> Cut(std::size_t size) const { return {bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(size)}; }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::vector<std::byte> bytes_;
};

}  // namespace halvo::platform::test_support
