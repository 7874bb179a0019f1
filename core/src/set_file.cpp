#include "halvo/set_file.h"

#include <cstdint>

#include "set_file_labels.h"

namespace halvo {
namespace {

// Fields written from a value the checks did not pass are still written
// without arithmetic surprises: the value is taken modulo 10 / 100 in 64 bits.
std::uint8_t DigitOf(std::int64_t value) {
    const std::int64_t d = ((value % 10) + 10) % 10;
    return static_cast<std::uint8_t>('0' + d);
}

class RecordBuilder {
public:
    explicit RecordBuilder(SetRecord& record) : record_(record) {}

    void Label(const Bytes& label) {
        for (std::uint8_t b : label) Put(b);
    }
    void OneDigit(std::int32_t value) { Put(DigitOf(value)); }
    void TwoDigits(std::int64_t value) {
        Put(DigitOf(value / 10));
        Put(DigitOf(value));
    }
    void Put(std::uint8_t b) { record_[at_++] = b; }
    std::size_t Written() const { return at_; }

private:
    SetRecord& record_;
    std::size_t at_ = 0;
};

}  // namespace

SetRecord EncodeSetRecord(const DeviceSettings& s) {
    SetRecord record{};
    RecordBuilder b(record);
    b.Label(kLabelYear);
    b.Put('2');
    b.Put('0');
    b.TwoDigits(std::int64_t{s.year} - 2000);
    b.Put('\n');
    b.Label(kLabelMonth);
    b.TwoDigits(s.month);
    b.Put('\n');
    b.Label(kLabelDay);
    b.TwoDigits(s.day);
    b.Put('\n');
    b.Label(kLabelHour);
    b.TwoDigits(s.hour);
    b.Put('\n');
    b.Label(kLabelMinute);
    b.TwoDigits(s.minute);
    b.Put('\n');
    b.Label(kLabelSecond);
    b.TwoDigits(s.second);
    b.Put('\n');
    b.Label(kLabelFlip);
    b.OneDigit(s.imageFlip);
    b.Put('\n');
    b.Label(kLabelLength);
    b.OneDigit(s.recordMinutes);
    b.Put('\n');
    b.Label(kLabelTimelapseOn);
    b.OneDigit(s.timelapseOn);
    b.Put('\n');
    b.Label(kLabelTimelapseInterval);
    b.OneDigit(s.timelapseInterval);
    b.Put('\n');
    b.Label(kLabelAudio);
    b.OneDigit(s.recordAudio);
    b.Put('\n');
    b.Label(kLabelUsb);
    b.OneDigit(s.usbMode);
    b.Put('\n');
    b.Label(kLabelStamp);
    b.OneDigit(s.timestamp);
    for (int i = 0; i < 7; ++i) b.Put(' ');
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
