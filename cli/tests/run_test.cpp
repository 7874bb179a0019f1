// halvo-set's logic run in-process, where the clock can be set.

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli_cases.h"
#include "halvo/calendar.h"
#include "halvo/set_file.h"
#include "halvo/set_file_reader.h"
#include "halvo_set.h"

namespace halvo::cli::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

// A stopped clock in a time zone that is UTC, which keeps the arithmetic
// visible; counts its readings.
struct FixedClock {
    sys_seconds instant;
    int* readings;

    Clock ToClock() const {
        return Clock{[*this] {
                         ++*readings;
                         return system_clock::time_point(instant);
                     },
                     [](system_clock::time_point t) {
                         const sys_seconds s = floor<seconds>(t);
                         const sys_days day = floor<days>(s);
                         const year_month_day ymd(day);
                         const hh_mm_ss<seconds> hms(s - day);
                         return DateTime{static_cast<int>(ymd.year()),
                                              static_cast<std::int32_t>(static_cast<unsigned>(ymd.month())),
                                              static_cast<std::int32_t>(static_cast<unsigned>(ymd.day())),
                                              static_cast<std::int32_t>(hms.hours().count()),
                                              static_cast<std::int32_t>(hms.minutes().count()),
                                              static_cast<std::int32_t>(hms.seconds().count())};
                     }};
    }
};

sys_seconds Utc(int y, unsigned mo, unsigned d, int h, int mi, int s) {
    return sys_days(year{y} / month{mo} / day{d}) + hours{h} + minutes{mi} + seconds{s};
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome RunWith(const std::vector<std::string>& args, const Clock& clock) {
    std::ostringstream out, err;
    Console console{out, err, {}};
    const int status = halvo::cli::Run(args, clock, console);
    return {status, out.str(), err.str()};
}

int g_readings = 0;
const Clock kDecember = FixedClock{Utc(2026, 12, 10, 9, 15, 0), &g_readings}.ToClock();

TEST(HalvoSetInProcess, CaseTable) {
    for (const CliCase& c : CliCases()) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir("run-table");
        WriteBytes(dir.path() / "set.txt", kPreviousFile);
        std::vector<std::string> args;
        for (const std::string& a : c.args) args.push_back(Expand(a, dir.path()));

        const Outcome o = RunWith(args, kDecember);
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(o.out, Expand(c.out, dir.path()));
        EXPECT_EQ(o.err, Expand(c.err, dir.path()));
        if (c.written) {
            EXPECT_EQ(ReadBytes(dir.path() / "set.txt"), FileFor(*c.written));
        } else {
            const std::vector<std::uint8_t> previous(kPreviousFile.begin(), kPreviousFile.end());
            EXPECT_EQ(ReadBytes(dir.path() / "set.txt"), previous);
        }
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
    }
}

// Runs a write into `dir` and returns the settings set.txt then holds.
std::optional<DeviceSettings> WrittenSettings(const fs::path& dir) {
    const std::vector<std::uint8_t> bytes = ReadBytes(dir / "set.txt");
    return ParseSetFile(bytes).settings;
}

struct ClockCase {
    const char* name;
    sys_seconds clock;
    std::vector<std::string> args;
    DeviceSettings expected;  // date and time only; the rest are the defaults
};

DeviceSettings Defaults(std::int32_t y, std::int32_t mo, std::int32_t d, std::int32_t h, std::int32_t mi,
                        std::int32_t s) {
    return {y, mo, d, h, mi, s, 0, 2, 0, 0, 1, 0, 1};
}

TEST(HalvoSetInProcess, DateAndTimeNotTypedComeFromTheClockMovedByTheLead) {
    const ClockCase cases[] = {
        {"clock as it is", Utc(2026, 12, 10, 9, 15, 0), {}, Defaults(2026, 12, 10, 9, 15, 0)},
        {"lead 0", Utc(2026, 12, 10, 9, 15, 0), {"--lead", "0"}, Defaults(2026, 12, 10, 9, 15, 0)},
        {"lead 1", Utc(2026, 12, 10, 9, 15, 0), {"--lead", "1"}, Defaults(2026, 12, 10, 9, 15, 1)},
        {"lead 3600", Utc(2026, 12, 10, 9, 15, 0), {"--lead", "3600"}, Defaults(2026, 12, 10, 10, 15, 0)},
        {"over midnight", Utc(2026, 12, 10, 23, 59, 30), {"--lead", "45"}, Defaults(2026, 12, 11, 0, 0, 15)},
        {"over new year", Utc(2026, 12, 31, 23, 30, 0), {"--lead", "3600"}, Defaults(2027, 1, 1, 0, 30, 0)},
        {"into a leap day", Utc(2028, 2, 28, 23, 59, 59), {"--lead", "1"}, Defaults(2028, 2, 29, 0, 0, 0)},
        {"past a common February", Utc(2027, 2, 28, 23, 59, 59), {"--lead", "1"}, Defaults(2027, 3, 1, 0, 0, 0)},
        {"into the first year", Utc(2020, 12, 31, 23, 59, 59), {"--lead", "1"}, Defaults(2021, 1, 1, 0, 0, 0)},
        {"date typed, time read", Utc(2019, 5, 5, 8, 7, 6), {"--date", "2030-01-02"}, Defaults(2030, 1, 2, 8, 7, 6)},
        {"time typed, date read", Utc(2026, 3, 4, 8, 7, 6), {"--time", "22:00:01"}, Defaults(2026, 3, 4, 22, 0, 1)},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir("run-clock");
        int readings = 0;
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", dir.path().string()});
        const Outcome o = RunWith(args, FixedClock{c.clock, &readings}.ToClock());
        ASSERT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(WrittenSettings(dir.path()), c.expected);
        EXPECT_EQ(readings, 1);  // one reading, so date and time cannot straddle midnight
    }
}

TEST(HalvoSetInProcess, TypedDateAndTimeLeaveTheClockAlone) {
    ScratchFolder dir("run-no-clock");
    int readings = 0;
    const Outcome o = RunWith({"--date", "2030-01-02", "--time", "03:04:05", "-o", dir.path().string()},
                              FixedClock{Utc(2019, 1, 1, 0, 0, 0), &readings}.ToClock());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(readings, 0);
}

TEST(HalvoSetInProcess, ClockOutsideTheDeviceYearsIsRefused) {
    struct Case {
        sys_seconds clock;
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {Utc(2020, 12, 31, 23, 59, 59),
         {},
         "halvo-set: this computer's clock reads 2020-12-31 23:59:59, which the device does not accept (the years "
         "are 2021 to 2050); give --date and --time\n"},
        {Utc(2050, 12, 31, 23, 59, 30),
         {"--lead", "30"},
         "halvo-set: this computer's clock plus 30 s reads 2051-01-01 00:00:00, which the device does not accept "
         "(the years are 2021 to 2050); give --date and --time\n"},
        {Utc(1970, 1, 1, 0, 0, 0),
         {"--time", "12:00:00"},
         "halvo-set: this computer's clock reads 1970-01-01 00:00:00, which the device does not accept (the years "
         "are 2021 to 2050); give --date and --time\n"},
    };
    for (const Case& c : cases) {
        ScratchFolder dir("run-clock-range");
        WriteBytes(dir.path() / "set.txt", kPreviousFile);
        int readings = 0;
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", dir.path().string()});
        const Outcome o = RunWith(args, FixedClock{c.clock, &readings}.ToClock());
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err, c.err);
        const std::vector<std::uint8_t> previous(kPreviousFile.begin(), kPreviousFile.end());
        EXPECT_EQ(ReadBytes(dir.path() / "set.txt"), previous);
    }
}

TEST(HalvoSetInProcess, StdoutGetsTheFileBytesAndNothingElse) {
    bool switched = false;
    std::ostringstream out, err;
    Console console{out, err, [&switched] { switched = true; }};
    const int status = halvo::cli::Run({"--date", "2021-01-01", "--time", "00:00:00", "--stdout"}, kDecember, console);
    EXPECT_EQ(status, 0);
    const std::string bytes = out.str();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
              FileFor(ConvertSelection(kInitialSelection).settings));
    EXPECT_EQ(err.str(), "");
    EXPECT_TRUE(switched);
}

// A lead of nine digits is still a number of seconds; ten are refused (the case table).
TEST(HalvoSetInProcess, LeadOfNineDigitsIsTaken) {
    const Outcome o = RunWith({"--lead", "000000030", "--stdout"}, kDecember);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.size(), kSetFileSize);
    const SetFileReading r = ParseSetFile(std::vector<std::uint8_t>(o.out.begin(), o.out.end()));
    ASSERT_TRUE(r.settings.has_value());
    EXPECT_EQ(DateTimeOf(*r.settings), (DateTime{2026, 12, 10, 9, 15, 30}));
}

TEST(HalvoSetInProcess, StdoutThatFailsIsAFileError) {
    std::ostringstream out, err;
    out.setstate(std::ios::badbit);
    Console console{out, err, {}};
    EXPECT_EQ(halvo::cli::Run({"--date", "2021-01-01", "--time", "00:00:00", "--stdout"}, kDecember, console), 1);
    EXPECT_EQ(err.str(), "halvo-set: could not write set.txt to standard output\n");
}

// A card found and then gone (unmounted, pulled), or a file where its folder
// was: the folder passes no check before the write, so the writer names it.
TEST(HalvoSetInProcess, CardFolderGoneBeforeTheWriteIsNamedAsTheCause) {
    ScratchFolder dir("run-card-gone");
    WriteBytes(dir.path() / "file", "not a folder");
    for (const char* name : {"gone", "file"}) {
        SCOPED_TRACE(name);
        const fs::path card = dir.path() / name;
        const Volumes volumes{[&card] { return std::vector<std::string>{card.string()}; },
                              [](const std::string&, const std::string&) { return false; }};
        std::ostringstream out, err;
        Console console{out, err, {}};
        const int status =
            halvo::cli::Run({"--card", "--date", "2030-01-02", "--time", "03:04:05"}, kDecember, console, volumes);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(out.str(), "");
        const std::string start =
            "halvo-set: could not write " + (card / "set.txt").string() + ": its folder is missing or is not a folder (";
        const std::string end = "); check that the card is still in place\n";
        EXPECT_EQ(err.str().substr(0, start.size()), start);
        ASSERT_GE(err.str().size(), start.size() + end.size());
        EXPECT_EQ(err.str().substr(err.str().size() - end.size()), end);
#ifndef _WIN32
        EXPECT_EQ(err.str().substr(start.size(), err.str().size() - start.size() - end.size()),
                  std::string(name) == "gone" ? "No such file or directory" : "Not a directory");
#endif
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"file"});
}

TEST(HalvoSetInProcess, HelpNamesEveryOptionWithItsValuesAndDefault) {
    const Outcome o = RunWith({"--help"}, kDecember);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    const char* const expected[] = {
        "--show [PATH]",           "[default PATH: ./set.txt]",
        "--date YYYY-MM-DD",       "--time HH:MM:SS",
        "this computer's clock now", "--lead SECONDS",
        "0 to 3600",               "--flip on|off",
        "the other way up [default: off]", "--length 1|2|3|5",
        "[default: 2]",            "--timelapse off|2|5|10",
        "--audio on|off",          "Record sound with the video [default: on]",
        "--usb storage|video",     "[default: storage]",
        "--timestamp on|off",      "into the picture [default: on]",
        "-o,--output DIR",         "[default: the current folder]",
        "--stdout",                "--version",
        "Exit status: 0",          "missing --output folder",
    };
    for (const char* text : expected) EXPECT_NE(o.out.find(text), std::string::npos) << text;
    // Facts from the core and the table, wherever the help's lines break them.
    std::string joined;
    for (std::size_t at = 0; at < o.out.size(); ++at) {
        if (o.out[at] == '\n') {
            while (at + 1 < o.out.size() && o.out[at + 1] == ' ') ++at;
            joined += ' ';
        } else {
            joined += o.out[at];
        }
    }
    for (const char* text : {"The camera's start-up delay, -60 to 60 seconds in tenths",
                             "Ctrl-C stops it; not with --date, --time or --stdout",
                             "not with --output or --stdout", "as written; goes with no other option"})
        EXPECT_NE(joined.find(text), std::string::npos) << text;
    // The time-lapse help runs over two lines; its default ends the second.
    const std::size_t interval = o.out.find("interval in seconds\n");
    ASSERT_NE(interval, std::string::npos);
    const std::size_t next = interval + std::string("interval in seconds\n").size();
    EXPECT_NE(o.out.substr(next, o.out.find('\n', next) - next).find("[default: off]"), std::string::npos);
    EXPECT_EQ(RunWith({"-h"}, kDecember).out, o.out);
}

TEST(HalvoSetInProcess, VersionIsTheProjectVersion) {
    const Outcome o = RunWith({"--version"}, kDecember);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, std::string("halvo-set ") + HALVO_VERSION + "\n");
}

// What the user typed comes back from --show in the same words, for many
// settings drawn with a fixed seed.
TEST(HalvoSetInProcess, ShowReadsBackWhatWasWritten) {
    std::mt19937 random(3);
    auto pick = [&random](int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); };
    const char* const on_off[] = {"on", "off"};
    const char* const lengths[] = {"1", "2", "3", "5"};
    const char* const timelapses[] = {"off", "2", "5", "10"};
    const char* const usbs[] = {"storage", "video"};

    ScratchFolder dir("run-show-round-trip");
    for (int i = 0; i < 300; ++i) {
        char date[48], time[48];
        const int year = 2021 + pick(30), month = 1 + pick(12);
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, 1 + pick(DaysInMonth(year, month)));
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", pick(24), pick(60), pick(60));
        const std::string flip = on_off[pick(2)], length = lengths[pick(4)], timelapse = timelapses[pick(4)];
        const std::string audio = on_off[pick(2)], usb = usbs[pick(2)], stamp = on_off[pick(2)];
        SCOPED_TRACE(std::string(date) + " " + time);

        const Outcome w = RunWith({"--date", date, "--time", time, "--flip", flip, "--length", length, "--timelapse",
                                   timelapse, "--audio", audio, "--usb", usb, "--timestamp", stamp, "-o",
                                   dir.path().string()},
                                  kDecember);
        ASSERT_EQ(w.status, 0) << w.err;
        const Outcome s = RunWith({"--show", dir.path().string()}, kDecember);
        ASSERT_EQ(s.status, 0) << s.err;
        const std::string shown_file = (dir.path() / "set.txt").string();
        EXPECT_EQ(s.out, shown_file + ": the device reads these settings\n" +
                             "  date:        " + date + "\n" +
                             "  time:        " + time + "\n" +
                             "  flip:        " + flip + "\n" +
                             "  length:      " + length + " min\n" +
                             "  time-lapse:  " + (timelapse == "off" ? "off" : timelapse + " s") + "\n" +
                             "  audio:       " + audio + "\n" +
                             "  USB:         " + usb + "\n" +
                             "  time stamp:  " + stamp + "\n");
    }
}

TEST(HalvoSetInProcess, ShowWithoutPathReadsTheCurrentFolder) {
    ScratchFolder dir("run-show-cwd");
    WriteBytes(dir.path() / "set.txt", std::string(10, 'x'));
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const Outcome o = RunWith({"--show"}, kDecember);
    fs::current_path(before);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "halvo-set: " + (dir.path() / "set.txt").string() +
                         ": byte 0, line 1: wrong label for the year line: 0x78 'x' where 0xa6 belongs\n");
}

}  // namespace
}  // namespace halvo::cli::test
