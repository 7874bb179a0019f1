#include "halvo/set_file.h"

#include <cstdint>
#include <span>

namespace halvo {
namespace {

// Fields written from a value the checks did not pass are still written
// without arithmetic surprises: each digit is taken modulo 10 in 64 bits.
std::uint8_t DigitOf(std::int64_t value) {
    const std::int64_t d = ((value % 10) + 10) % 10;
    return static_cast<std::uint8_t>('0' + d);
}

class RecordBuilder {
public:
    explicit RecordBuilder(SetRecord& record) : record_(record) {}

    void Label(std::span<const std::uint8_t> label) {
        for (std::uint8_t b : label) Put(b);
    }
    void Digits(std::int64_t value, std::size_t count) {
        std::int64_t scale = 1;
        for (std::size_t i = 1; i < count; ++i) scale *= 10;
        for (; scale > 0; scale /= 10) Put(DigitOf(value / scale));
    }
    void Put(std::uint8_t b) { record_[at_++] = b; }

private:
    SetRecord& record_;
    std::size_t at_ = 0;
};

}  // namespace

SetRecord EncodeSetRecord(const DeviceSettings& s) {
    SetRecord record{};
    RecordBuilder b(record);
    for (const SetFileLine& line : kSetFileLines) {
        if (&line != &kSetFileLines.front()) b.Put('\n');
        b.Label(line.label);
        b.Digits(s.*line.field, line.digits);
    }
    for (std::size_t i = 0; i < kTrailingSpaces; ++i) b.Put(' ');
    return record;
}

SetFileBytes ToDiskBytes(const SetRecord& record) {
    SetFileBytes out{};
    std::size_t at = 0;
    for (std::uint8_t b : record) {
        if (b == '\n') out[at++] = '\r';
        out[at++] = b;
    }
    return out;
}

}  // namespace halvo
