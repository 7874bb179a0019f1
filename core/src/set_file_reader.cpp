#include "halvo/set_file_reader.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "halvo/calendar.h"
#include "halvo/set_file.h"
#include "halvo/set_file_layout.h"
#include "halvo/settings_lists.h"
#include "halvo/settings_words.h"

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

// Walks the file in the order the writer produced it, so the first mismatch
// found is the first problem in the file.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    const std::optional<SetFileProblem>& Problem() const { return problem_; }
    std::size_t At() const { return at_; }

    bool Label(std::span<const std::uint8_t> label, const std::string& line_name) {
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
    bool Digits(std::size_t count, const std::string& field, std::int32_t& value) {
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
                            Describe(bytes_[at_]) + " where the " + std::to_string(kTrailingSpaces) +
                                " spaces after the last setting belong");
            }
            ++at_;
        }
        return true;
    }

    bool End() {
        if (at_ == bytes_.size()) return true;
        const std::size_t extra = bytes_.size() - at_;
        std::string message = std::to_string(extra) + (extra == 1 ? " byte follows" : " bytes follow") +
                              " the " + std::to_string(kTrailingSpaces) + " spaces that end set.txt (" +
                              std::to_string(kSetFileSize) +
                              " bytes, no line end after the last line)";
        if (extra >= 2 && bytes_[at_] == '\r' && bytes_[at_ + 1] == '\n') {
            message = "a line end follows the last line; set.txt ends in " +
                      std::to_string(kTrailingSpaces) + " spaces without one (" +
                      std::to_string(bytes_.size()) + " bytes instead of " + std::to_string(kSetFileSize) + ")";
        }
        return Fail(SetFileProblemKind::Length, at_, message);
    }

    bool Fail(SetFileProblemKind kind, std::size_t offset, std::string message) {
        const bool inSetting = kind == SetFileProblemKind::Label || kind == SetFileProblemKind::Digit ||
                               kind == SetFileProblemKind::Value;
        problem_ = SetFileProblem{kind, offset, line_, std::move(message), inSetting ? setting_ : std::nullopt};
        return false;
    }

    // The setting whose line is being read, which a problem in its label or value names; none between lines.
    void Reading(std::optional<SettingsListId> setting) { setting_ = setting; }

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
    std::optional<SettingsListId> setting_;
};

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    if (bytes.size() < prefix.size()) return false;
    std::size_t i = 0;
    for (std::uint8_t b : prefix)
        if (bytes[i++] != b) return false;
    return true;
}

// Whether the bytes are well-formed UTF-8 holding more than ASCII: what an
// editor saves. set.txt as written never is, as each Big5 label starts with a
// byte that UTF-8 only allows inside a character.
bool IsUtf8BeyondAscii(std::span<const std::uint8_t> bytes) {
    bool beyond = false;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::uint8_t lead = bytes[at];
        if (lead < 0x80) {
            ++at;
            continue;
        }
        // The lead byte says the length and the range of the byte after it (no
        // overlong forms, no surrogates, nothing past U+10FFFF).
        std::size_t length = 0;
        std::uint8_t low = 0x80, high = 0xbf;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            if (lead == 0xe0) low = 0xa0;
            if (lead == 0xed) high = 0x9f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            if (lead == 0xf0) low = 0x90;
            if (lead == 0xf4) high = 0x8f;
        } else {
            return false;
        }
        if (bytes.size() - at < length || bytes[at + 1] < low || bytes[at + 1] > high) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((bytes[at + k] & 0xc0) != 0x80) return false;
        at += length;
        beyond = true;
    }
    return beyond;
}

// What an editor's copy of set.txt is: the whole file judged at once, in the
// owner's terms; none for anything else.
std::optional<SetFileProblem> SavedByAnEditor(std::span<const std::uint8_t> bytes) {
    constexpr char kAgain[] = "; the camera reads only the file Halvo writes: write it again";
    if (IsUtf8BeyondAscii(bytes)) {
        return SetFileProblem{SetFileProblemKind::SavedAsUtf8, 0, 1,
                              std::string("saved by a text editor as UTF-8") + kAgain, std::nullopt};
    }
    if (bytes.size() >= std::size(kLabelYearShiftJis) &&
        std::equal(std::begin(kLabelYearShiftJis), std::end(kLabelYearShiftJis), bytes.begin())) {
        return SetFileProblem{SetFileProblemKind::SavedAsShiftJis, 0, 1,
                              std::string("saved by a text editor as Shift_JIS") + kAgain, std::nullopt};
    }
    return std::nullopt;
}

std::string Padded(std::int32_t v, std::size_t digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", static_cast<int>(digits), static_cast<int>(v));
    return text;
}

// The width a field is written in, for the messages that mention it.
std::size_t DigitsOf(std::int32_t DeviceSettings::*field) {
    for (const SetFileLine& line : kSetFileLines)
        if (line.field == field) return line.digits;
    return 1;
}

// A line as the messages name it: its setting, and which value of it.
std::string NameOf(const SetFileLine& line) {
    const std::string name = ListOf(line.list).name;
    return line.part != nullptr ? name + " " + line.part : name;
}

// The values a line may hold in ascending order, each with what it means:
// "0 (off)", "1 (on)". A switch reads as off/on; an entry whose word is its
// value needs no gloss, the list's unit going at the end instead.
std::vector<std::string> ValuesOf(const SettingsList& list, std::int32_t DeviceSettings::*field, std::string& unit) {
    std::vector<std::pair<std::int32_t, std::string>> found;
    for (std::int32_t at = 0; at < list.Size(); ++at) {
        const std::int32_t v = ValueAt(list, at, field);
        if (std::any_of(found.begin(), found.end(), [v](const auto& f) { return f.first == v; })) continue;
        const std::string value = Padded(v, DigitsOf(field));
        if (field == list.onSwitch) {
            found.emplace_back(v, value + " (" + kOffOnEntries[v == 0 ? 0 : 1].option + ")");
        } else if (value == list.Entry(at).option) {
            found.emplace_back(v, value);
            unit = list.unit.english;
        } else {
            found.emplace_back(v, value + " (" + EntryText(list, at) + ")");
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> out;
    for (auto& f : found) out.push_back(std::move(f.second));
    return out;
}

// Why the value read for a line is refused, given the lines read before it;
// empty when the device takes it. The rule is the lists' (ListTakes,
// MonthHasDay), applied line by line so that the first refused value in the
// file is the one reported.
std::string Refusal(const SetFileLine& line, std::int32_t v, const DeviceSettings& earlier) {
    const SettingsList& list = ListOf(line.list);
    const std::string shown = NameOf(line) + " " + Padded(v, line.digits);
    DeviceSettings read = earlier;
    read.*line.field = v;
    if (list.numbers) {
        if (!ListTakes(list, read)) {
            return shown + " is not " + Padded(list.numbers->first, line.digits) + " to " +
                   Padded(list.numbers->last, line.digits);
        }
        if (line.list == SettingsListId::Day && !MonthHasDay(earlier.year, earlier.month, v)) {
            const std::string year = Padded(earlier.year, DigitsOf(&DeviceSettings::year));
            const std::string month = Padded(earlier.month, DigitsOf(&DeviceSettings::month));
            return shown + " of month " + month + ", which has " +
                   std::to_string(DaysInMonth(earlier.year, earlier.month)) + " days" +
                   (earlier.month == 2 ? " in " + year : "") + ": " + year + "-" + month + "-" +
                   Padded(v, line.digits) + " does not exist";
        }
        return {};
    }

    // The entries that agree with this line alone, and with the list's switch read before it too.
    bool alone = false;
    std::vector<std::int32_t> switched;  // the entries that give the switch read before this line
    for (std::int32_t at = 0; at < list.Size(); ++at) {
        const bool afterSwitch = list.onSwitch != nullptr && line.field != list.onSwitch;
        if (afterSwitch && ValueAt(list, at, list.onSwitch) == earlier.*list.onSwitch) switched.push_back(at);
        if (ValueAt(list, at, line.field) != v) continue;
        alone = true;
        if (afterSwitch && ValueAt(list, at, list.onSwitch) != earlier.*list.onSwitch) continue;
        return {};
    }
    if (!alone) {
        std::string unit;
        const std::vector<std::string> values = ValuesOf(list, line.field, unit);
        return shown + (values.size() == 2 ? " is neither " + values[0] + " nor " + values[1]
                                           : " is not " + Either(values)) +
               (unit.empty() ? "" : " (" + unit + ")");
    }
    // The writers put what the switch's entries give, so anything else did not come from them.
    std::vector<std::string> words, values;
    for (const std::int32_t at : switched) {
        words.push_back(EntryText(list, at));
        const std::string value = Padded(ValueAt(list, at, line.field), line.digits);
        if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
    }
    const std::string state = std::string(list.name) + " " + Either(words);
    return shown + " with " + state + "; it is " + Either(values) + " whenever " + list.name + " is " + Either(words);
}

bool ReadAll(Reader& r, DeviceSettings& s) {
    for (const SetFileLine& line : kSetFileLines) {
        if (&line != &kSetFileLines.front() && !r.LineEnd()) return false;
        const std::string name = NameOf(line);
        r.Reading(line.list);
        if (!r.Label(line.label, name)) return false;
        const std::size_t value_at = r.At();
        std::int32_t value = 0;
        if (!r.Digits(line.digits, name, value)) return false;
        const std::string refusal = Refusal(line, value, s);
        if (!refusal.empty()) return r.Fail(SetFileProblemKind::Value, value_at, refusal);
        s.*line.field = value;
        r.Reading(std::nullopt);
    }
    return r.Spaces(kTrailingSpaces) && r.End();
}

}  // namespace

SetFileReading ParseSetFile(std::span<const std::uint8_t> bytes) {
    SetFileReading result;
    if (StartsWith(bytes, {0xef, 0xbb, 0xbf})) {
        result.problem = SetFileProblem{SetFileProblemKind::ByteOrderMark, 0, 1,
                                        "the file starts with a UTF-8 byte-order mark, which the device does not "
                                        "expect",
                                        std::nullopt};
        return result;
    }
    if (StartsWith(bytes, {0xff, 0xfe}) || StartsWith(bytes, {0xfe, 0xff})) {
        result.problem = SetFileProblem{SetFileProblemKind::ByteOrderMark, 0, 1,
                                        "the file starts with a UTF-16 byte-order mark; the device reads single "
                                        "bytes with Big5 labels",
                                        std::nullopt};
        return result;
    }
    if (std::optional<SetFileProblem> copy = SavedByAnEditor(bytes)) {
        result.problem = std::move(copy);
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
