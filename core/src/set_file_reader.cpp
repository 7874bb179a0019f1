#include "halvo/set_file_reader.h"

#include <cstdio>
#include <string>

#include "halvo/set_file.h"
#include "set_file_labels.h"

namespace halvo {
namespace {

std::string Hex(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(b));
    return text;
}

// A byte as a person would recognise it: printable ASCII gets its character too.
std::string Describe(std::uint8_t b) {
    if (b >= 0x21 && b <= 0x7e) return Hex(b) + " '" + std::string(1, static_cast<char>(b)) + "'";
    if (b == ' ') return "a space (0x20)";
    if (b == '\r') return "CR (0x0d)";
    if (b == '\n') return "LF (0x0a)";
    return Hex(b);
}

std::string TwoDigitText(std::int32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(v));
    return text;
}

// Walks the file in the order the writer produced it, so the first mismatch
// found is the first problem in the file.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    const std::optional<SetFileProblem>& Problem() const { return problem_; }
    std::size_t At() const { return at_; }

    bool Label(const Bytes& label, const char* line_name) {
        for (std::uint8_t expected : label) {
            if (!Available()) return false;
            if (bytes_[at_] != expected) {
                return Fail(SetFileProblemKind::Label, at_,
                            std::string("wrong label for the ") + line_name + " line: " + Describe(bytes_[at_]) +
                                " where " + Hex(expected) + " belongs");
            }
            ++at_;
        }
        return true;
    }

    // Reads `count` ASCII digits as a number.
    bool Digits(std::size_t count, const char* field, std::int32_t& value) {
        value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (!Available()) return false;
            const std::uint8_t b = bytes_[at_];
            if (b < '0' || b > '9') {
                return Fail(SetFileProblemKind::Digit, at_,
                            Describe(b) + " where a digit of the " + field + " belongs");
            }
            value = value * 10 + (b - '0');
            ++at_;
        }
        return true;
    }

    bool LineEnd() {
        if (!Available()) return false;
        const std::uint8_t b = bytes_[at_];
        if (b == '\n') {
            return Fail(SetFileProblemKind::LineEnd, at_, "the line ends in LF only; the device needs CR LF");
        }
        if (b != '\r') {
            return Fail(SetFileProblemKind::LineEnd, at_, Describe(b) + " where the line's CR LF belongs");
        }
        ++at_;
        if (!Available()) return false;
        const std::uint8_t next = bytes_[at_];
        if (next == '\r') {
            return Fail(SetFileProblemKind::LineEnd, at_ - 1,
                        "the line ends in CR CR LF (a doubled CR, as from a text-mode copy); the device needs CR LF");
        }
        if (next != '\n') {
            return Fail(SetFileProblemKind::LineEnd, at_, "CR not followed by LF; the device needs CR LF");
        }
        ++at_;
        ++line_;
        return true;
    }

    bool Spaces(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!Available()) return false;
            if (bytes_[at_] != ' ') {
                return Fail(SetFileProblemKind::Padding, at_,
                            Describe(bytes_[at_]) + " where the seven spaces after the last setting belong");
            }
            ++at_;
        }
        return true;
    }

    bool End() {
        if (at_ == bytes_.size()) return true;
        const std::size_t extra = bytes_.size() - at_;
        std::string message = std::to_string(extra) + (extra == 1 ? " byte follows" : " bytes follow") +
                              " the seven spaces that end set.txt (" + std::to_string(kSetFileSize) +
                              " bytes, no line end after the last line)";
        if (extra >= 2 && bytes_[at_] == '\r' && bytes_[at_ + 1] == '\n') {
            message = "a line end follows the last line; set.txt ends in seven spaces without one (" +
                      std::to_string(bytes_.size()) + " bytes instead of " + std::to_string(kSetFileSize) + ")";
        }
        return Fail(SetFileProblemKind::Length, at_, message);
    }

    bool Fail(SetFileProblemKind kind, std::size_t offset, std::string message) {
        problem_ = SetFileProblem{kind, offset, line_, std::move(message)};
        return false;
    }

private:
    bool Available() {
        if (at_ < bytes_.size()) return true;
        if (bytes_.empty()) {
            return Fail(SetFileProblemKind::Length, 0,
                        "the file is empty; set.txt is " + std::to_string(kSetFileSize) + " bytes");
        }
        return Fail(SetFileProblemKind::Length, at_,
                    "the file ends after " + std::to_string(bytes_.size()) + " bytes, inside line " +
                        std::to_string(line_) + "; set.txt is " + std::to_string(kSetFileSize) + " bytes");
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    std::optional<SetFileProblem> problem_;
};

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    if (bytes.size() < prefix.size()) return false;
    std::size_t i = 0;
    for (std::uint8_t b : prefix)
        if (bytes[i++] != b) return false;
    return true;
}

// One labelled line with a numeric value: reads label and digits, then lets
// `check` judge the value (returning an empty string when it is acceptable).
template <typename Check>
bool Field(Reader& r, const Bytes& label, const char* line_name, std::size_t digits, std::int32_t& value,
           Check check) {
    if (!r.Label(label, line_name)) return false;
    const std::size_t value_at = r.At();
    if (!r.Digits(digits, line_name, value)) return false;
    const std::string fault = check(value);
    if (!fault.empty()) return r.Fail(SetFileProblemKind::Value, value_at, fault);
    return true;
}

std::string OffOn(const char* name, std::int32_t v) {
    if (v == 0 || v == 1) return {};
    return std::string(name) + " " + std::to_string(v) + " is neither 0 (off) nor 1 (on)";
}

// The same limits ConvertSelection applies to the dialog's choices.
bool ReadAll(Reader& r, DeviceSettings& s) {
    std::int32_t year = 0;
    if (!Field(r, kLabelYear, "year", 4, year, [](std::int32_t v) -> std::string {
            if (v >= 2021 && v <= 2050) return {};
            return "year " + std::to_string(v) + " is outside 2021 to 2050";
        }))
        return false;
    s.year = year;
    if (!r.LineEnd()) return false;

    if (!Field(r, kLabelMonth, "month", 2, s.month, [](std::int32_t v) -> std::string {
            if (v >= 1 && v <= 12) return {};
            return "month " + TwoDigitText(v) + " is not 01 to 12";
        }))
        return false;
    if (!r.LineEnd()) return false;

    const std::int32_t month = s.month;
    if (!Field(r, kLabelDay, "day", 2, s.day, [month](std::int32_t v) -> std::string {
            if (v < 1 || v > 31) return "day " + TwoDigitText(v) + " is not 01 to 31";
            // No leap-year rule: 29 February is taken in every year.
            if (month == 2 && v > 29) return "day " + TwoDigitText(v) + " of month 02, which has at most 29";
            if ((month == 4 || month == 6 || month == 9 || month == 11) && v == 31)
                return "day 31 of month " + TwoDigitText(month) + ", which has 30";
            return {};
        }))
        return false;
    if (!r.LineEnd()) return false;

    auto clock_field = [&r](const Bytes& label, const char* name, std::int32_t high, std::int32_t& value) {
        return Field(r, label, name, 2, value, [name, high](std::int32_t v) -> std::string {
            if (v <= high) return {};
            return std::string(name) + " " + TwoDigitText(v) + " is not 00 to " + TwoDigitText(high);
        });
    };
    if (!clock_field(kLabelHour, "hour", 23, s.hour) || !r.LineEnd()) return false;
    if (!clock_field(kLabelMinute, "minute", 59, s.minute) || !r.LineEnd()) return false;
    if (!clock_field(kLabelSecond, "second", 59, s.second) || !r.LineEnd()) return false;

    if (!Field(r, kLabelFlip, "flip", 1, s.imageFlip, [](std::int32_t v) { return OffOn("flip", v); }) ||
        !r.LineEnd())
        return false;
    if (!Field(r, kLabelLength, "recording length", 1, s.recordMinutes, [](std::int32_t v) -> std::string {
            if (v == 1 || v == 2 || v == 3 || v == 5) return {};
            return "recording length " + std::to_string(v) + " is not 1, 2, 3 or 5 (minutes)";
        }) ||
        !r.LineEnd())
        return false;
    if (!Field(r, kLabelTimelapseOn, "time-lapse switch", 1, s.timelapseOn,
               [](std::int32_t v) { return OffOn("time-lapse switch", v); }) ||
        !r.LineEnd())
        return false;
    const std::int32_t timelapse_on = s.timelapseOn;
    if (!Field(r, kLabelTimelapseInterval, "time-lapse interval", 1, s.timelapseInterval,
               [timelapse_on](std::int32_t v) -> std::string {
                   if (v > 2) {
                       return "time-lapse interval " + std::to_string(v) +
                              " is not 0 (2 s), 1 (5 s) or 2 (10 s)";
                   }
                   // The writers always put 0 here when time-lapse is off, so
                   // anything else did not come from them.
                   if (timelapse_on == 0 && v != 0) {
                       return "time-lapse interval " + std::to_string(v) +
                              " with time-lapse off; it is 0 whenever time-lapse is off";
                   }
                   return {};
               }) ||
        !r.LineEnd())
        return false;
    if (!Field(r, kLabelAudio, "audio", 1, s.recordAudio, [](std::int32_t v) { return OffOn("audio", v); }) ||
        !r.LineEnd())
        return false;
    if (!Field(r, kLabelUsb, "USB mode", 1, s.usbMode, [](std::int32_t v) -> std::string {
            if (v == 0 || v == 1) return {};
            return "USB mode " + std::to_string(v) + " is neither 0 (storage) nor 1 (video)";
        }) ||
        !r.LineEnd())
        return false;
    if (!Field(r, kLabelStamp, "time stamp", 1, s.timestamp,
               [](std::int32_t v) { return OffOn("time stamp", v); }))
        return false;
    return r.Spaces(7) && r.End();
}

}  // namespace

SetFileReading ParseSetFile(std::span<const std::uint8_t> bytes) {
    SetFileReading result;
    if (StartsWith(bytes, {0xef, 0xbb, 0xbf})) {
        result.problem = SetFileProblem{SetFileProblemKind::ByteOrderMark, 0, 1,
                                        "the file starts with a UTF-8 byte-order mark, which the device does not "
                                        "expect"};
        return result;
    }
    if (StartsWith(bytes, {0xff, 0xfe}) || StartsWith(bytes, {0xfe, 0xff})) {
        result.problem = SetFileProblem{SetFileProblemKind::ByteOrderMark, 0, 1,
                                        "the file starts with a UTF-16 byte-order mark; the device reads single "
                                        "bytes with Big5 labels"};
        return result;
    }
    Reader reader(bytes);
    DeviceSettings settings;
    if (ReadAll(reader, settings)) {
        result.settings = settings;
    } else {
        result.problem = reader.Problem();
    }
    return result;
}

}  // namespace halvo
