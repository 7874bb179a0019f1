// The real halvo-set program, started as a child process.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "cli_cases.h"
#include "halvo/set_file.h"
#include "halvo/set_file_reader.h"
#include "halvo_set.h"
#include "subprocess.h"

namespace halvo::cli::test {
namespace {

namespace fs = std::filesystem;

// Messages are text: on Windows each line ends in CR LF on the way out.
std::string Text(std::string s) {
#ifdef _WIN32
    for (std::size_t at = s.find("\r\n"); at != std::string::npos; at = s.find("\r\n", at)) s.erase(at, 1);
#endif
    return s;
}

const std::vector<std::uint8_t> kPrevious(kPreviousFile.begin(), kPreviousFile.end());

ProgramRun RunIn(const ScratchFolder& dir, const std::vector<std::string>& args) {
    RunOptions options;
    options.workdir = dir.path();
    return RunProgram(args, options);
}

TEST(HalvoSetProgram, CaseTable) {
    for (const CliCase& c : CliCases()) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir("program-table");
        WriteBytes(dir.path() / "set.txt", kPreviousFile);
        std::vector<std::string> args;
        for (const std::string& a : c.args) args.push_back(Expand(a, dir.path()));

        const ProgramRun r = RunIn(dir, args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(Text(r.out), Expand(c.out, dir.path()));
        EXPECT_EQ(Text(r.err), Expand(c.err, dir.path()));
        EXPECT_EQ(ReadBytes(dir.path() / "set.txt"), c.written ? FileFor(*c.written) : kPrevious);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
    }
}

TEST(HalvoSetProgram, InitialSelectionsInTheCurrentFolderGiveTheDialogsFile) {
    ScratchFolder dir("program-initial");
    const ProgramRun r = RunIn(dir, {"--date", "2021-01-01", "--time", "00:00:00"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Text(r.out), "wrote " + (dir.path() / "set.txt").string() +
                               ": 2021-01-01 00:00:00, flip off, length 2 min, time-lapse off, audio on, USB storage, "
                               "time stamp on\n");
    EXPECT_EQ(ReadBytes(dir.path() / "set.txt"), FileFor(ConvertSelection(kInitialSelection).settings));
}

TEST(HalvoSetProgram, StdoutCarriesExactlyTheFileBytes) {
    ScratchFolder dir("program-stdout");
    RunOptions options;
    options.workdir = dir.path();
    options.stdout_to = dir.path() / "piped";
    const ProgramRun r = RunProgram({"--date", "2050-12-31", "--time", "23:59:59", "--stdout"}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // On Windows a text-mode stream would have made every CR LF a CR CR LF.
    EXPECT_EQ(ReadBytes(dir.path() / "piped"), FileFor({2050, 12, 31, 23, 59, 59, 0, 2, 0, 0, 1, 0, 1}));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"piped"});
}

TEST(HalvoSetProgram, ShowPrintsTheSettingsOfAGoodFile) {
    ScratchFolder dir("program-show-good");
    const auto bytes = FileFor({2026, 12, 10, 9, 15, 0, 1, 5, 1, 1, 0, 1, 0});
    WriteBytes(dir.path() / "set.txt", std::string(bytes.begin(), bytes.end()));
    const std::string expected = (dir.path() / "set.txt").string() +
                                 ": the device reads these settings\n"
                                 "  date:        2026-12-10\n"
                                 "  time:        09:15:00\n"
                                 "  flip:        on\n"
                                 "  length:      5 min\n"
                                 "  time-lapse:  5 s\n"
                                 "  audio:       off\n"
                                 "  USB:         video\n"
                                 "  time stamp:  off\n";
    for (const std::string& path : {dir.path().string(), (dir.path() / "set.txt").string()}) {
        const ProgramRun r = RunIn(dir, {"--show", path});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Text(r.out), expected);
        EXPECT_EQ(r.err, "");
    }
}

// A golden file's bytes, as text.
std::string Golden(const char* name) {
    std::ifstream in(std::string(HALVO_GOLDEN_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(HalvoSetProgram, ShowNamesTheFirstProblemAndFails) {
    struct Case {
        const char* name;
        std::string content;
        std::string err;  // after "halvo-set: <file>: "
    };
    const auto good = FileFor(ConvertSelection(kInitialSelection).settings);
    std::string lf_only;
    for (std::uint8_t b : good)
        if (b != '\r') lf_only.push_back(static_cast<char>(b));
    std::string doubled_cr;
    for (std::uint8_t b : good) {
        if (b == '\r') doubled_cr.push_back('\r');
        doubled_cr.push_back(static_cast<char>(b));
    }
    constexpr std::size_t kMiB = 1 << 20;
    std::string bad_length(good.begin(), good.end());
    bad_length[121] = '4';
    const Case cases[] = {
        {"LF only", lf_only, "byte 9, line 1: the line ends in LF only; the device needs CR LF"},
        {"doubled CR", doubled_cr,
         "byte 9, line 1: the line ends in CR CR LF (a doubled CR, as from a text-mode copy); the device needs CR "
         "LF"},
        {"length 4", bad_length, "byte 121, line 8: length 4 is not 1, 2, 3 or 5 (min)"},
        {"BOM", "\xef\xbb\xbf" + std::string(good.begin(), good.end()),
         "byte 0, line 1: the file starts with a UTF-8 byte-order mark, which the device does not expect"},
        {"empty", "", "byte 0, line 1: the file is empty; set.txt is 282 bytes"},
        {"saved again as UTF-8", Golden("set-initial-saved-as-utf8.txt"),
         "byte 0, line 1: saved by a text editor as UTF-8; the camera reads only the file Halvo writes: write it again"},
        {"saved again as Shift_JIS", Golden("set-initial-saved-as-shift-jis.txt"),
         "byte 0, line 1: saved by a text editor as Shift_JIS; the camera reads only the file Halvo writes: write it "
         "again"},
        // Up to 1 MiB is read and judged; one byte more is not read at all.
        {"1 MiB", std::string(good.begin(), good.end()) + std::string(kMiB - good.size(), 'x'),
         "byte 282, line 13: 1048294 bytes follow the 7 spaces that end set.txt (282 bytes, no line end after the last "
         "line)"},
        {"1 MiB and a byte", std::string(good.begin(), good.end()) + std::string(kMiB + 1 - good.size(), 'x'),
         "is larger than 1 MiB; set.txt is 282 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir("program-show-bad");
        WriteBytes(dir.path() / "set.txt", c.content);
        const ProgramRun r = RunIn(dir, {"--show"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Text(r.err), "halvo-set: " + (dir.path() / "set.txt").string() + ": " + c.err + "\n");
    }
}

TEST(HalvoSetProgram, ShowOfAFileThatCannotBeReadFails) {
    ScratchFolder dir("program-show-unreadable");
    fs::create_directory(dir.path() / "card");
    fs::create_directory(dir.path() / "card" / "set.txt");
    struct Case {
        std::string path;
        std::string err;
    };
    const Case cases[] = {
        {(dir.path() / "absent.txt").string(), (dir.path() / "absent.txt").string() + ": no such file"},
        {(dir.path() / "card").string(), (dir.path() / "card" / "set.txt").string() + ": is a folder, not a file"},
        {(dir.path()).string(), (dir.path() / "set.txt").string() + ": no such file"},
    };
    for (const Case& c : cases) {
        const ProgramRun r = RunIn(dir, {"--show", c.path});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Text(r.err), "halvo-set: " + c.err + "\n");
    }
}

TEST(HalvoSetProgram, FolderNamedSetTxtIsAWriteErrorAndStays) {
    ScratchFolder dir("program-folder-set-txt");
    fs::create_directory(dir.path() / "set.txt");
    const ProgramRun r = RunIn(dir, {"--date", "2026-12-10", "--time", "09:15:00", "-o", dir.path().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Text(r.err), "halvo-set: could not write " + (dir.path() / "set.txt").string() +
                               ": it is not a plain file (a folder, or a link to nothing); rename or remove it\n");
    EXPECT_TRUE(fs::is_directory(dir.path() / "set.txt"));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
}

TEST(HalvoSetProgram, FullStandardOutputIsAWriteError) {
#ifdef _WIN32
    GTEST_SKIP() << "needs /dev/full, which Windows does not have";
#else
    ScratchFolder dir("program-dev-full");
    RunOptions options;
    options.workdir = dir.path();
    options.stdout_to = "/dev/full";
    const ProgramRun r = RunProgram({"--date", "2026-12-10", "--time", "09:15:00", "--stdout"}, options);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "halvo-set: could not write set.txt to standard output\n");
#endif
}

TEST(HalvoSetProgram, FailedWriteKeepsThePreviousFile) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a file-size limit (RLIMIT_FSIZE), which Windows does not have";
#else
    ScratchFolder dir("program-fsize");
    WriteBytes(dir.path() / "set.txt", kPreviousFile);
    RunOptions options;
    options.workdir = dir.path();
    options.file_size_limit = 200;  // below set.txt's 282 bytes, above the message's
    const ProgramRun r = RunProgram({"--date", "2026-12-10", "--time", "09:15:00"}, options);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "halvo-set: could not write " + (dir.path() / "set.txt").string() +
                         ": File too large; any earlier set.txt there is unchanged\n");
    EXPECT_EQ(ReadBytes(dir.path() / "set.txt"), kPrevious);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
#endif
}

using Stamp = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t>;

// The C library's own reading of the local time, apart from the program's clock code.
Stamp LocalStamp(std::chrono::system_clock::time_point t) {
    const std::time_t at = std::chrono::system_clock::to_time_t(t);
    std::tm l{};
#ifdef _WIN32
    localtime_s(&l, &at);
#else
    localtime_r(&at, &l);
#endif
    return {l.tm_year + 1900, l.tm_mon + 1, l.tm_mday, l.tm_hour, l.tm_min, std::min(l.tm_sec, 59)};
}

// Without --date and --time the program takes this computer's clock, moved on
// by exactly --lead: its reading lies between the test's own readings before
// and after the run, each moved on by the same lead.
TEST(HalvoSetProgram, ClockReadingMovedOnByTheLead) {
    for (const int lead : {0, 600, 3600}) {
        SCOPED_TRACE(lead);
        ScratchFolder dir("program-clock");
        std::vector<std::string> args = {"-o", dir.path().string()};
        if (lead > 0) args.insert(args.end(), {"--lead", std::to_string(lead)});
        // Whole seconds: the program's reading is truncated to them as well.
        const auto before = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
        const ProgramRun r = RunIn(dir, args);
        const auto after = std::chrono::system_clock::now();
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::uint8_t> bytes = ReadBytes(dir.path() / "set.txt");
        const SetFileReading reading = ParseSetFile(bytes);
        ASSERT_TRUE(reading.settings) << reading.problem->message;
        const DeviceSettings& s = *reading.settings;
        const Stamp written{s.year, s.month, s.day, s.hour, s.minute, s.second};
        EXPECT_LE(LocalStamp(before + std::chrono::seconds(lead)), written);
        EXPECT_GE(LocalStamp(after + std::chrono::seconds(lead)), written);
    }
}

// The settings written by a countdown's run, as the device reads them.
Stamp WrittenStamp(const ScratchFolder& dir) {
    const SetFileReading reading = ParseSetFile(ReadBytes(dir.path() / "set.txt"));
    if (!reading.settings) return {};
    const DeviceSettings& s = *reading.settings;
    return {s.year, s.month, s.day, s.hour, s.minute, s.second};
}

// Left alone, the countdown ends in the second written in the file and says so; into a file (not a
// terminal) it writes whole lines, no carriage returns.
TEST(HalvoSetProgram, CountdownLeftAloneEndsAtTheWrittenSecondInPlainLines) {
    ScratchFolder dir("program-countdown");
    const ProgramRun r = RunIn(dir, {"-o", dir.path().string(), "--lead", "2", "--countdown"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(r.signalled);
    const Stamp written = WrittenStamp(dir);
    EXPECT_LE(written, LocalStamp(r.ended));
#ifdef _WIN32
    // Under Wine a process takes a moment longer to be seen ending after its last line.
    constexpr std::chrono::seconds kEndSeen{3};
#else
    constexpr std::chrono::seconds kEndSeen{1};
#endif
    EXPECT_GE(written, LocalStamp(r.ended - kEndSeen));
    EXPECT_NE(Text(r.out).find("\nswitch the camera on now\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("switch the camera on in "), std::string::npos) << r.err;
    // Windows' text mode writes each line end as CR LF; any other CR rewrites a line.
    EXPECT_EQ(Text(r.err).find('\r'), std::string::npos) << r.err;
}

// Ctrl-C during the countdown ends it at once with 130, and set.txt stays as written.
TEST(HalvoSetProgram, CtrlCEndsTheCountdownAtOnceAndKeepsTheFile) {
#ifdef _WIN32
    GTEST_SKIP() << "sends SIGINT, which a Windows console program gets otherwise";
#else
    ScratchFolder dir("program-countdown-ctrl-c");
    RunOptions options;
    options.workdir = dir.path();
    options.interrupt_once_err_has = "switch the camera on in";
    const ProgramRun r = RunProgram({"-o", dir.path().string(), "--lead", "5", "--countdown"}, options);
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_FALSE(r.signalled) << "killed by the signal instead of ending the countdown";
    EXPECT_LT(r.after_interrupt, std::chrono::milliseconds(500));
    const std::string file = (dir.path() / "set.txt").string();
    EXPECT_NE(r.err.find("halvo-set: countdown stopped; " + file + " stays as written\n"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(dir.path() / "set.txt").size(), kSetFileSize);
    EXPECT_NE(WrittenStamp(dir), Stamp{});
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
#endif
}

// A round trip through the program itself, over settings drawn with a fixed
// seed: the file holds what ConvertSelection makes of the same choices, and
// --show accepts it.
TEST(HalvoSetProgram, WrittenFilesReadBack) {
    std::mt19937 random(11);
    auto pick = [&random](int count) { return std::uniform_int_distribution<std::int32_t>(0, count - 1)(random); };
    const char* const flips[] = {"off", "on"};
    const char* const lengths[] = {"1", "2", "3", "5"};
    const char* const timelapses[] = {"2", "5", "10", "off"};
    const char* const audios[] = {"off", "on"};
    const char* const usbs[] = {"storage", "video"};
    const char* const stamps[] = {"off", "on"};
    ScratchFolder dir("program-round-trip");
    for (int i = 0; i < 12; ++i) {
        SettingsSelection sel{pick(30), pick(12), pick(28), pick(24), pick(60), pick(60),
                              pick(2),  pick(4),  pick(4),  pick(2),  pick(2),  pick(2)};
        char date[48], time[48];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", sel.year + 2021, sel.month + 1, sel.day + 1);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", sel.hour, sel.minute, sel.second);
        SCOPED_TRACE(std::string(date) + " " + time);
        const auto at = [](const char* const* words, std::int32_t position) {
            return std::string(words[position]);
        };
        const ProgramRun w = RunIn(dir, {"--date", date, "--time", time, "--flip", at(flips, sel.imageFlip),
                                         "--length", at(lengths, sel.recordLength), "--timelapse",
                                         at(timelapses, sel.timelapse), "--audio", at(audios, sel.recordAudio),
                                         "--usb", at(usbs, sel.usbMode), "--timestamp", at(stamps, sel.timestamp)});
        ASSERT_EQ(w.status, 0) << w.err;
        EXPECT_EQ(ReadBytes(dir.path() / "set.txt"), FileFor(ConvertSelection(sel).settings));
        const ProgramRun s = RunIn(dir, {"--show"});
        EXPECT_EQ(s.status, 0) << s.err;
        EXPECT_NE(Text(s.out).find(std::string("  date:        ") + date + "\n  time:        " + time + "\n"),
                  std::string::npos)
            << s.out;
    }
}

}  // namespace
}  // namespace halvo::cli::test
