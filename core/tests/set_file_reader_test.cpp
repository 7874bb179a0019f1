#include "halvo/set_file_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "halvo/device_settings.h"
#include "halvo/set_file.h"

namespace halvo {
namespace {

using File = std::vector<std::uint8_t>;

// Where the fields of the file on disk start (after the CRs of earlier lines).
constexpr std::size_t kYearAt = 5, kMonthAt = 16, kDayAt = 25, kHourAt = 34, kMinuteAt = 43, kSecondAt = 52;
constexpr std::size_t kFlipAt = 74, kLengthAt = 121, kTimelapseOnAt = 150, kIntervalAt = 188, kAudioAt = 213;
constexpr std::size_t kUsbAt = 249, kStampAt = 274, kUsbLabelAt = 216;

const DeviceSettings kInitialSettings{2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1};

File FileFor(const DeviceSettings& s) {
    const SetFileBytes b = ToDiskBytes(EncodeSetRecord(s));
    return {b.begin(), b.end()};
}

void Put(File& f, std::size_t at, const std::string& text) {
    for (char c : text) f.at(at++) = static_cast<std::uint8_t>(c);
}

TEST(ParseSetFile, ReadsTheInitialFile) {
    const SetFileReading r = ParseSetFile(FileFor(kInitialSettings));
    ASSERT_FALSE(r.problem.has_value()) << r.problem->message;
    EXPECT_EQ(r.settings, kInitialSettings);
}

TEST(ParseSetFile, ReadsBoundaryDates) {
    const DeviceSettings cases[] = {
        {2024, 2, 29, 12, 0, 0, 0, 2, 0, 0, 1, 0, 1}, {2048, 2, 29, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1}, {2050, 12, 31, 23, 59, 59, 1, 5, 1, 2, 0, 1, 0},
        {2021, 1, 31, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0},  {2030, 4, 30, 0, 0, 0, 1, 3, 1, 1, 1, 1, 1},
    };
    for (const DeviceSettings& s : cases) {
        const SetFileReading r = ParseSetFile(FileFor(s));
        ASSERT_TRUE(r.settings.has_value()) << r.problem->message;
        EXPECT_EQ(*r.settings, s);
    }
}

// Every file the writer makes from choices the dialog accepts reads back to
// the same settings. The selections are drawn from the lists' own ranges with
// a fixed seed; the option lists are walked through in full alongside.
TEST(ParseSetFile, RoundTripsEveryAcceptedSelection) {
    std::mt19937 random(20261210);
    auto pick = [&random](int count) { return std::uniform_int_distribution<std::int32_t>(0, count - 1)(random); };
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        const int options = i % 256;
        const SettingsSelection sel{pick(30),          pick(12),           pick(31),          pick(24),
                                    pick(60),          pick(60),           options & 1,       (options >> 1) & 3,
                                    (options >> 3) & 3, (options >> 5) & 1, (options >> 6) & 1, (options >> 7) & 1};
        const Conversion c = ConvertSelection(sel);
        if (!c.faults.empty()) continue;  // a day the month lacks; the dialog refuses it too
        ++accepted;
        const SetFileReading r = ParseSetFile(FileFor(c.settings));
        ASSERT_TRUE(r.settings.has_value()) << r.problem->message;
        ASSERT_EQ(*r.settings, c.settings);
    }
    EXPECT_GT(accepted, 19000);
}

// The date and time limits are the dialog's: for every two-digit value of a
// field the reader accepts the file exactly when ConvertSelection accepts
// those values, and every month/day pair is judged alike.
TEST(ParseSetFile, AcceptsTheSameDatesAndTimesAsConvertSelection) {
    auto judge = [](const SettingsSelection& sel) {
        const Conversion c = ConvertSelection(sel);
        const SetFileReading r = ParseSetFile(FileFor(c.settings));
        EXPECT_EQ(r.settings.has_value(), c.faults.empty())
            << c.settings.year << "-" << c.settings.month << "-" << c.settings.day << " " << c.settings.hour << ":"
            << c.settings.minute << ":" << c.settings.second;
        if (r.problem) {
            EXPECT_EQ(r.problem->kind, SetFileProblemKind::Value) << r.problem->message;
        }
    };
    for (std::int32_t v = 0; v < 100; ++v) {
        SettingsSelection sel = kInitialSelection;
        sel.year = v - 21;  // 2000 … 2099
        judge(sel);
        sel = kInitialSelection;
        sel.month = v - 1;
        judge(sel);
        sel = kInitialSelection;
        sel.day = v - 1;
        judge(sel);
        sel = kInitialSelection;
        sel.hour = v;
        judge(sel);
        sel = kInitialSelection;
        sel.minute = v;
        judge(sel);
        sel = kInitialSelection;
        sel.second = v;
        judge(sel);
    }
    for (std::int32_t month = 0; month < 12; ++month) {
        for (std::int32_t day = 0; day < 31; ++day) {
            SettingsSelection sel = kInitialSelection;
            sel.month = month;
            sel.day = day;
            judge(sel);
        }
    }
}

struct Damage {
    const char* name;
    std::function<void(File&)> damage;
    SetFileProblemKind kind;
    std::size_t offset;
    std::size_t line;
    const char* says;  // a part of the message
};

void EraseAt(File& f, std::size_t at) { f.erase(f.begin() + static_cast<std::ptrdiff_t>(at)); }
void InsertAt(File& f, std::size_t at, std::uint8_t b) { f.insert(f.begin() + static_cast<std::ptrdiff_t>(at), b); }

TEST(ParseSetFile, ReportsTheFirstProblemWithItsPlace) {
    using K = SetFileProblemKind;
    const Damage cases[] = {
        {"UTF-8 BOM", [](File& f) { f.insert(f.begin(), {0xef, 0xbb, 0xbf}); }, K::ByteOrderMark, 0, 1, "UTF-8"},
        {"UTF-16 BOM", [](File& f) { f.insert(f.begin(), {0xff, 0xfe}); }, K::ByteOrderMark, 0, 1, "UTF-16"},
        // Nothing but the mark: still a mark, not a file cut short.
        {"UTF-8 BOM alone", [](File& f) { f.assign({0xef, 0xbb, 0xbf}); }, K::ByteOrderMark, 0, 1, "UTF-8"},
        {"UTF-16 BOM alone", [](File& f) { f.assign({0xfe, 0xff}); }, K::ByteOrderMark, 0, 1, "UTF-16"},
        {"LF-only line ends",
         [](File& f) { std::erase(f, std::uint8_t{'\r'}); }, K::LineEnd, 9, 1, "LF only"},
        {"one LF-only line", [](File& f) { EraseAt(f, 75); }, K::LineEnd, 75, 7, "LF only"},
        {"doubled CR", [](File& f) { InsertAt(f, 9, '\r'); }, K::LineEnd, 9, 1, "CR CR LF"},
        {"CR without LF", [](File& f) { f[10] = 'x'; }, K::LineEnd, 10, 1, "CR not followed by LF"},
        {"third digit in the day", [](File& f) { InsertAt(f, 27, '5'); }, K::LineEnd, 27, 3, "'5'"},
        {"wrong first label byte", [](File& f) { f[0] = 0xa5; }, K::Label, 0, 1, "year line"},
        {"lower-case USB", [](File& f) { f[kUsbLabelAt] = 'u'; }, K::Label, kUsbLabelAt, 12, "USB line"},
        {"colon for equals", [](File& f) { f[14] = ':'; }, K::Label, 14, 2, "month line"},
        {"month and day labels swapped",
         [](File& f) {
             f[12] = 0xe9;
             f[21] = 0xeb;
         },
         K::Label, 12, 2, "month line"},
        {"letter O in the minute", [](File& f) { f[kMinuteAt + 1] = 'O'; }, K::Digit, kMinuteAt + 1, 5, "'O'"},
        {"space for a leading zero", [](File& f) { f[kMonthAt] = ' '; }, K::Digit, kMonthAt, 2, "space"},
        {"one-digit month", [](File& f) { EraseAt(f, kMonthAt); }, K::Digit, kMonthAt + 1, 2, "CR"},
        {"year 2051", [](File& f) { Put(f, kYearAt, "2051"); }, K::Value, kYearAt, 1, "year 2051"},
        {"year 2020", [](File& f) { Put(f, kYearAt, "2020"); }, K::Value, kYearAt, 1, "2021 to 2050"},
        {"year 1921", [](File& f) { Put(f, kYearAt, "1921"); }, K::Value, kYearAt, 1, "year 1921"},
        {"month 00", [](File& f) { Put(f, kMonthAt, "00"); }, K::Value, kMonthAt, 2, "month 00"},
        {"month 13", [](File& f) { Put(f, kMonthAt, "13"); }, K::Value, kMonthAt, 2, "month 13"},
        {"day 00", [](File& f) { Put(f, kDayAt, "00"); }, K::Value, kDayAt, 3, "day 00"},
        {"day 32", [](File& f) { Put(f, kDayAt, "32"); }, K::Value, kDayAt, 3, "day 32"},
        {"30 February",
         [](File& f) {
             Put(f, kMonthAt, "02");
             Put(f, kDayAt, "30");
         },
         K::Value, kDayAt, 3, "day 30 of month 02"},
        {"29 February 2021",
         [](File& f) {
             Put(f, kMonthAt, "02");
             Put(f, kDayAt, "29");
         },
         K::Value, kDayAt, 3, "day 29 of month 02, which has 28 days in 2021: 2021-02-29 does not exist"},
        {"31 April",
         [](File& f) {
             Put(f, kMonthAt, "04");
             Put(f, kDayAt, "31");
         },
         K::Value, kDayAt, 3, "month 04"},
        {"31 November",
         [](File& f) {
             Put(f, kMonthAt, "11");
             Put(f, kDayAt, "31");
         },
         K::Value, kDayAt, 3, "month 11"},
        {"hour 24", [](File& f) { Put(f, kHourAt, "24"); }, K::Value, kHourAt, 4, "hour 24"},
        {"minute 60", [](File& f) { Put(f, kMinuteAt, "60"); }, K::Value, kMinuteAt, 5, "minute 60"},
        {"second 99", [](File& f) { Put(f, kSecondAt, "99"); }, K::Value, kSecondAt, 6, "second 99"},
        {"flip 2", [](File& f) { Put(f, kFlipAt, "2"); }, K::Value, kFlipAt, 7, "flip 2"},
        {"length 4", [](File& f) { Put(f, kLengthAt, "4"); }, K::Value, kLengthAt, 8, "1, 2, 3 or 5"},
        {"length 0", [](File& f) { Put(f, kLengthAt, "0"); }, K::Value, kLengthAt, 8, "length 0"},
        {"time-lapse switch 2", [](File& f) { Put(f, kTimelapseOnAt, "2"); }, K::Value, kTimelapseOnAt, 9,
         "switch 2"},
        {"interval 3", [](File& f) { Put(f, kIntervalAt, "3"); }, K::Value, kIntervalAt, 10, "interval 3"},
        {"interval with time-lapse off", [](File& f) { Put(f, kIntervalAt, "1"); }, K::Value, kIntervalAt, 10,
         "it is 0 whenever time-lapse is off"},
        {"audio 2", [](File& f) { Put(f, kAudioAt, "2"); }, K::Value, kAudioAt, 11, "audio 2"},
        {"USB 2", [](File& f) { Put(f, kUsbAt, "2"); }, K::Value, kUsbAt, 12, "USB 2"},
        {"time stamp 9", [](File& f) { Put(f, kStampAt, "9"); }, K::Value, kStampAt, 13, "time stamp 9"},
        {"tab in the padding", [](File& f) { f[kStampAt + 1] = '\t'; }, K::Padding, kStampAt + 1, 13, "0x09"},
        {"padding cut to six spaces", [](File& f) { f.pop_back(); }, K::Length, 281, 13, "after 281 bytes"},
        {"empty file", [](File& f) { f.clear(); }, K::Length, 0, 1, "empty"},
        {"cut inside a label", [](File& f) { f.resize(100); }, K::Length, 100, 8, "inside line 8"},
        {"cut after a CR", [](File& f) { f.resize(10); }, K::Length, 10, 1, "after 10 bytes"},
        {"line end after the last line",
         [](File& f) { f.insert(f.end(), {'\r', '\n'}); },
         K::Length, 282, 13, "line end follows the last line"},
        {"one byte too many", [](File& f) { f.push_back('x'); }, K::Length, 282, 13, "1 byte follows"},
        {"first of two problems",
         [](File& f) {
             std::erase(f, std::uint8_t{'\r'});
             f[7] = 'x';
         },
         K::Digit, 7, 1, "year"},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.name);
        File f = FileFor(kInitialSettings);
        c.damage(f);
        const SetFileReading r = ParseSetFile(f);
        ASSERT_TRUE(r.problem.has_value());
        EXPECT_FALSE(r.settings.has_value());
        EXPECT_EQ(r.problem->kind, c.kind) << r.problem->message;
        EXPECT_EQ(r.problem->offset, c.offset) << r.problem->message;
        EXPECT_EQ(r.problem->line, c.line) << r.problem->message;
        EXPECT_NE(r.problem->message.find(c.says), std::string::npos) << r.problem->message;
    }
}

std::vector<std::uint8_t> Golden(const char* name) {
    std::ifstream in(std::string(HALVO_GOLDEN_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// set.txt opened in a text editor and saved again: the labels are the same
// words in another encoding, which the reader names as such rather than as a
// wrong byte. A mark in front still counts as the mark.
TEST(ParseSetFile, NamesTheEncodingAnEditorSavedTheFileIn) {
    using K = SetFileProblemKind;
    struct Case {
        const char* name;
        File bytes;
        K kind;
        const char* says;
    };
    const File utf8 = Golden("set-initial-saved-as-utf8.txt");
    const File shiftJis = Golden("set-initial-saved-as-shift-jis.txt");
    ASSERT_EQ(utf8.size(), 343u);
    ASSERT_EQ(shiftJis.size(), 278u);
    File utf8WithMark = {0xef, 0xbb, 0xbf};
    utf8WithMark.insert(utf8WithMark.end(), utf8.begin(), utf8.end());
    // Only the year line, as an editor that cut the rest would leave it.
    const File utf8YearLine(utf8.begin(), utf8.begin() + 12);
    const Case cases[] = {
        {"UTF-8", utf8, K::SavedAsUtf8,
         "saved by a text editor as UTF-8; the camera reads only the file Halvo writes: write it again"},
        {"UTF-8, year line only", utf8YearLine, K::SavedAsUtf8, "as UTF-8"},
        {"Shift_JIS", shiftJis, K::SavedAsShiftJis,
         "saved by a text editor as Shift_JIS; the camera reads only the file Halvo writes: write it again"},
        {"UTF-8 with a mark", utf8WithMark, K::ByteOrderMark, "UTF-8 byte-order mark"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SetFileReading r = ParseSetFile(c.bytes);
        ASSERT_TRUE(r.problem.has_value());
        EXPECT_EQ(r.problem->kind, c.kind) << r.problem->message;
        EXPECT_EQ(r.problem->offset, 0u);
        EXPECT_EQ(r.problem->setting, std::nullopt);
        EXPECT_NE(r.problem->message.find(c.says), std::string::npos) << r.problem->message;
    }
}

// Damage that is no editor's encoding stays a wrong byte in its place: a lone
// byte past ASCII, a cut UTF-8 character, an overlong form, a surrogate.
TEST(ParseSetFile, TellsAWrongByteFromAnEditorsEncoding) {
    const File cases[] = {
        {0xe5, 0xb9},                    // 年 cut short
        {0xc0, 0xa6, ' ', '=', ' '},     // an overlong form
        {0xed, 0xa0, 0x80, ' ', '=', ' '},  // a surrogate
        {0x94, 0x4f, ' ', '=', ' '},     // Shift_JIS, but not 年
        {'Y', 'e', 'a', 'r', ' ', '=', ' '},
    };
    for (const File& bytes : cases) {
        const SetFileReading r = ParseSetFile(bytes);
        ASSERT_TRUE(r.problem.has_value());
        EXPECT_EQ(r.problem->kind, SetFileProblemKind::Label) << r.problem->message;
    }
    // Every valid file is Big5, so never taken for UTF-8.
    EXPECT_TRUE(ParseSetFile(FileFor(kInitialSettings)).settings.has_value());
}

// A problem in a label or a value names its setting, for front ends that word
// it in their own language; one between lines names none.
TEST(ParseSetFile, NamesTheSettingOfAWrongLabelOrValue) {
    struct Case {
        const char* name;
        void (*damage)(File&);
        std::optional<SettingsListId> setting;
    };
    const Case cases[] = {
        {"label", [](File& f) { f[kUsbLabelAt] = 'u'; }, SettingsListId::UsbMode},
        {"digit", [](File& f) { f[7] = 'x'; }, SettingsListId::Year},
        {"value", [](File& f) { Put(f, kLengthAt, "4"); }, SettingsListId::RecordLength},
        {"interval's value", [](File& f) { Put(f, kIntervalAt, "1"); }, SettingsListId::Timelapse},
        {"line end", [](File& f) { EraseAt(f, 75); }, std::nullopt},
        {"cut short", [](File& f) { f.resize(100); }, std::nullopt},
    };
    for (const Case& c : cases) {
        File f = FileFor(kInitialSettings);
        c.damage(f);
        const SetFileReading r = ParseSetFile(f);
        ASSERT_TRUE(r.problem.has_value()) << c.name;
        EXPECT_EQ(r.problem->setting, c.setting) << c.name << ": " << r.problem->message;
    }
}

// With time-lapse on, the interval is 0, 1 or 2; the files whose interval
// is refused are refused for the limit itself, not for time-lapse being off.
TEST(ParseSetFile, TimelapseIntervalWithTimelapseOn) {
    const DeviceSettings on{2030, 6, 15, 12, 34, 56, 0, 2, 1, 1, 1, 0, 1};
    struct Case {
        char digit;
        const char* refusal;  // null when the file is valid
    };
    const Case cases[] = {
        {'0', nullptr},
        {'1', nullptr},
        {'2', nullptr},
        {'3', "time-lapse interval 3 is not 0 (2 s), 1 (5 s) or 2 (10 s)"},
        {'9', "time-lapse interval 9 is not 0 (2 s), 1 (5 s) or 2 (10 s)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.digit);
        File f = FileFor(on);
        f.at(kIntervalAt) = static_cast<std::uint8_t>(c.digit);
        const SetFileReading r = ParseSetFile(f);
        if (c.refusal == nullptr) {
            ASSERT_TRUE(r.settings.has_value()) << r.problem->message;
            DeviceSettings expected = on;
            expected.timelapseInterval = c.digit - '0';
            EXPECT_EQ(*r.settings, expected);
            continue;
        }
        ASSERT_TRUE(r.problem.has_value());
        EXPECT_FALSE(r.settings.has_value());
        EXPECT_EQ(*r.problem,
                  (SetFileProblem{SetFileProblemKind::Value, kIntervalAt, 10, c.refusal, SettingsListId::Timelapse}));
    }
}

// An unexpected byte is named by its hex value; a printable one also shows
// its character, and the bytes a person cannot see are named in words.
TEST(ParseSetFile, DescribesAnUnexpectedByte) {
    struct Case {
        std::uint8_t byte;
        const char* described;
    };
    const Case cases[] = {
        {'!', "0x21 '!'"},         {'~', "0x7e '~'"},      {'A', "0x41 'A'"},   {0x7f, "0x7f"},
        {0x1f, "0x1f"},            {0x00, "0x00"},         {0xa4, "0xa4"},      {' ', "a space (0x20)"},
        {'\r', "CR (0x0d)"},       {'\n', "LF (0x0a)"},    {'\t', "0x09"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.described);
        File f = FileFor(kInitialSettings);
        f.at(kMinuteAt + 1) = c.byte;
        const SetFileReading r = ParseSetFile(f);
        ASSERT_TRUE(r.problem.has_value());
        EXPECT_EQ(r.problem->message, std::string(c.described) + " where a digit of the minute belongs");
    }
    // The same words in the other places that name a byte.
    File f = FileFor(kInitialSettings);
    f.at(kMonthAt - 4) = '!';
    EXPECT_EQ(ParseSetFile(f).problem->message, "wrong label for the month line: 0x21 '!' where 0xeb belongs");
    f = FileFor(kInitialSettings);
    f.at(kStampAt + 3) = '!';
    EXPECT_EQ(ParseSetFile(f).problem->message, "0x21 '!' where the 7 spaces after the last setting belong");
    f = FileFor(kInitialSettings);
    f.at(kMonthAt - 7) = '!';
    EXPECT_EQ(ParseSetFile(f).problem->message, "0x21 '!' where the line's CR LF belongs");
}

// Strictness: no one-byte change to a good file is accepted unless the file
// is then exactly what the writer makes for the settings read from it.
TEST(ParseSetFile, AcceptsOnlyFilesTheWriterWouldWrite) {
    const DeviceSettings bases[] = {kInitialSettings, {2049, 11, 30, 22, 58, 58, 1, 5, 1, 2, 0, 1, 0}};
    const std::uint8_t replacements[] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9',
                                         ' ', '\r', '\n', 0x00, 0xa4, 0x1a, '='};
    for (const DeviceSettings& base : bases) {
        const File good = FileFor(base);
        for (std::size_t at = 0; at < good.size(); ++at) {
            for (std::uint8_t b : replacements) {
                File f = good;
                f[at] = b;
                const SetFileReading r = ParseSetFile(f);
                if (!r.settings) continue;
                SCOPED_TRACE(at);
                EXPECT_EQ(FileFor(*r.settings), f);
            }
        }
    }
}

}  // namespace
}  // namespace halvo
