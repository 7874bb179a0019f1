// --card and --countdown in-process: mount layouts and a clock the test moves.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "card.h"
#include "cli_cases.h"
#include "halvo/set_file_reader.h"
#include "halvo_set.h"

namespace halvo::cli::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

TEST(MountPoints, TakesTheFifthFieldAndUndoesItsEscapes) {
    const std::string mountinfo =
        "22 1 254:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
        "98 22 8:17 / /media/ann/MY\\040CAM rw,nosuid shared:50 - vfat /dev/sdb1 rw\n"
        "99 22 8:18 / /media/ann/tab\\011and\\134slash rw - vfat /dev/sdc1 rw\n"
        "\n"
        "100 22 0:5 / /run/media/ann/X rw - tmpfs none rw";
    EXPECT_EQ(MountPoints(mountinfo),
              (std::vector<std::string>{"/", "/media/ann/MY CAM", "/media/ann/tab\tand\\slash", "/run/media/ann/X"}));
}

// A backslash not followed by three octal digits (the first 0 to 3) is no escape: it stays as written.
TEST(MountPoints, KeepsMalformedEscapesAsWritten) {
    const std::string mountinfo =
        "101 22 0:6 / /media/ann/a\\1!7 rw - tmpfs none rw\n"
        "102 22 0:7 / /media/ann/b\\400 rw - tmpfs none rw\n"
        "103 22 0:8 / /media/ann/c\\129 rw - tmpfs none rw\n"
        "104 22 0:9 / /media/ann/d\\1x0 rw - tmpfs none rw\n"
        "105 22 0:10 / /media/ann/e\\12 rw - tmpfs none rw\n";
    EXPECT_EQ(MountPoints(mountinfo), (std::vector<std::string>{"/media/ann/a\\1!7", "/media/ann/b\\400",
                                                                "/media/ann/c\\129", "/media/ann/d\\1x0",
                                                                "/media/ann/e\\12"}));
}

TEST(IsRemovableMount, OnlyDirectlyInTheDesktopsMediaFolders) {
    struct Case {
        const char* mountPoint;
        bool card;
    };
    const Case cases[] = {
        {"/media/ann/CAM", true},   {"/run/media/ann/CAM", true}, {"/media/CAM", true},
        {"/media/ann", true},  // directly in /media, as Debian's own automounter puts volumes
        {"/media/bob/CAM", false},  // another user's desktop
        {"/run/media/bob/CAM", false}, {"/media/ann/CAM/inner", false}, {"/mnt/CAM", false},
        {"/", false},               {"/media", false},             {"/media/", false},
        {"/run/media/ann", false},  {"/home/ann/media/ann/CAM", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsRemovableMount(c.mountPoint, "ann"), c.card) << c.mountPoint;
    EXPECT_FALSE(IsRemovableMount("/media//CAM", ""));  // no user name: only /media itself
    EXPECT_TRUE(IsRemovableMount("/media/CAM", ""));
}

// Volumes with their top folders' entries.
Volumes Layout(std::map<std::string, std::set<std::string>> volumes) {
    return Volumes{[volumes] {
                       std::vector<std::string> out;
                       for (const auto& [folder, entries] : volumes) out.push_back(folder);
                       return out;
                   },
                   [volumes](const std::string& folder, const std::string& name) {
                       const auto v = volumes.find(folder);
                       return v != volumes.end() && v->second.count(name) > 0;
                   }};
}

TEST(ChooseCard, PrefersVolumesThatLookLikeTheCamerasAndNeedsExactlyOne) {
    struct Case {
        const char* name;
        std::map<std::string, std::set<std::string>> volumes;
        std::optional<std::string> card;
        std::vector<std::string> candidates;
    };
    const Case cases[] = {
        {"none", {}, std::nullopt, {}},
        {"one, even empty", {{"/media/a/CAM", {}}}, "/media/a/CAM", {"/media/a/CAM"}},
        {"the one with DCIM", {{"/media/a/CAM", {"DCIM"}}, {"/media/a/STICK", {"music"}}}, "/media/a/CAM",
         {"/media/a/CAM"}},
        {"the one with set.txt", {{"/media/a/CAM", {"set.txt"}}, {"/media/a/STICK", {}}}, "/media/a/CAM",
         {"/media/a/CAM"}},
        {"two cameras", {{"/media/a/A", {"DCIM"}}, {"/media/a/B", {"set.txt"}}}, std::nullopt,
         {"/media/a/A", "/media/a/B"}},
        {"two plain volumes", {{"/media/a/A", {}}, {"/media/a/B", {}}}, std::nullopt, {"/media/a/A", "/media/a/B"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CardChoice choice = ChooseCard(Layout(c.volumes));
        EXPECT_EQ(choice.card, c.card);
        EXPECT_EQ(choice.candidates, c.candidates);
    }
}

// A clock that stands still until the program waits, and then moves to the instant it waits for.
struct SteppingClock {
    system_clock::time_point now;
    std::vector<system_clock::time_point> waits;
    int interruptAt = -1;  // the wait (0-based) at which the user presses Ctrl-C

    Clock ToClock() {
        return Clock{[this] { return now; },
                     [](system_clock::time_point t) {
                         const sys_seconds s = floor<seconds>(t);
                         const sys_days d = floor<days>(s);
                         const year_month_day ymd(d);
                         const hh_mm_ss<seconds> hms(s - d);
                         return DateTime{static_cast<int>(ymd.year()), static_cast<int>(unsigned(ymd.month())),
                                         static_cast<int>(unsigned(ymd.day())), static_cast<int>(hms.hours().count()),
                                         static_cast<int>(hms.minutes().count()),
                                         static_cast<int>(hms.seconds().count())};
                     },
                     [this](system_clock::time_point t) {
                         if (static_cast<int>(waits.size()) == interruptAt) return false;
                         waits.push_back(t);
                         now = t;
                         return true;
                     }};
    }
};

struct Result {
    int status;
    std::string out, err;
};

Result RunCli(const std::vector<std::string>& args, SteppingClock& clock, bool terminal,
           const Volumes& volumes = Volumes{[] { return std::vector<std::string>{}; },
                                            [](const std::string&, const std::string&) { return false; }}) {
    std::ostringstream out, err;
    Console console{out, err, {}, terminal};
    const int status = halvo::cli::Run(args, clock.ToClock(), console, volumes);
    return {status, out.str(), err.str()};
}

const system_clock::time_point kStart = sys_days(2026y / 12 / 10) + 9h + 15min + 400ms;

TEST(Countdown, EndsAtTheSecondWrittenInTheFile) {
    for (const bool terminal : {false, true}) {
        SCOPED_TRACE(terminal ? "terminal" : "log");
        ScratchFolder dir("countdown");
        SteppingClock clock{kStart, {}, -1};
        const Result r = RunCli({"--lead", "20", "--countdown", "-o", dir.path().string()}, clock, terminal);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto written = ParseSetFile(ReadBytes(dir.path() / "set.txt")).settings;
        ASSERT_TRUE(written);
        EXPECT_EQ(DateTimeOf(*written), (DateTime{2026, 12, 10, 9, 15, 20}));
        // The wait ends exactly at the written second, stepping once a second.
        ASSERT_EQ(clock.waits.size(), 20u);
        EXPECT_EQ(clock.waits.back(), sys_days(2026y / 12 / 10) + 9h + 15min + 20s);
        EXPECT_EQ(clock.waits.front(), sys_days(2026y / 12 / 10) + 9h + 15min + 1s);
        EXPECT_TRUE(r.out.ends_with("\nswitch the camera on now\n")) << r.out;
        if (terminal) {
            EXPECT_TRUE(r.err.starts_with("\rswitch the camera on in 20 s\rswitch the camera on in 19 s")) << r.err;
            EXPECT_NE(r.err.find("\rswitch the camera on in 9 s \r"), std::string::npos) << r.err;  // "10" wiped
            EXPECT_EQ(r.err.find('\n'), std::string::npos);
        } else {
            EXPECT_EQ(r.err, "switch the camera on in 20 s\nswitch the camera on in 10 s\n");
        }
    }
}

// Without --lead a countdown leaves time to put the card in and switch on; --lead 0 means now.
TEST(Countdown, WithoutLeadCountsDownTheDefaultLead) {
    ScratchFolder dir("countdown-default");
    SteppingClock clock{kStart, {}, -1};
    const Result r = RunCli({"--countdown", "-o", dir.path().string()}, clock, false);
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(clock.waits.size(), 30u);
    EXPECT_EQ(clock.waits.back(), sys_days(2026y / 12 / 10) + 9h + 15min + 30s);
    const auto written = ParseSetFile(ReadBytes(dir.path() / "set.txt")).settings;
    ASSERT_TRUE(written);
    EXPECT_EQ(DateTimeOf(*written), (DateTime{2026, 12, 10, 9, 15, 30}));
    EXPECT_EQ(r.err, "switch the camera on in 30 s\nswitch the camera on in 20 s\nswitch the camera on in 10 s\n");
}

TEST(Countdown, LeadZeroMeansNow) {
    ScratchFolder dir("countdown-now");
    SteppingClock clock{kStart, {}, -1};
    const Result r = RunCli({"--countdown", "--lead", "0", "-o", dir.path().string()}, clock, false);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out.ends_with("\nswitch the camera on now\n"));
}

TEST(Countdown, CtrlCLeavesTheWrittenFile) {
    ScratchFolder dir("countdown-stop");
    SteppingClock clock{kStart, {}, 3};
    const Result r = RunCli({"--lead", "30", "--countdown", "-o", dir.path().string()}, clock, true);
    EXPECT_EQ(r.status, kExitInterrupted);
    EXPECT_EQ(r.out.find("switch the camera on now"), std::string::npos);
    EXPECT_TRUE(r.err.ends_with("\nhalvo-set: countdown stopped; " + (dir.path() / "set.txt").lexically_normal().string() +
                                " stays as written\n"))
        << r.err;
    EXPECT_EQ(DateTimeOf(*ParseSetFile(ReadBytes(dir.path() / "set.txt")).settings),
              (DateTime{2026, 12, 10, 9, 15, 30}));
}

TEST(Countdown, AFailedWriteCountsNothingDown) {
    ScratchFolder dir("countdown-fail");
    fs::create_directory(dir.path() / "set.txt");  // a folder where the file belongs refuses even root
    SteppingClock clock{kStart, {}, -1};
    const Result r = RunCli({"--lead", "20", "--countdown", "-o", dir.path().string()}, clock, false);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_EQ(r.err.find("switch the camera on"), std::string::npos) << r.err;
}

TEST(Card, WritesIntoTheOneCardOrNothing) {
    ScratchFolder dir("card");
    const fs::path cam = dir.path() / "CAM", stick = dir.path() / "STICK";
    fs::create_directories(cam / "DCIM");
    fs::create_directory(stick);
    const std::string shownCam = cam.lexically_normal().string(), shownStick = stick.lexically_normal().string();
    struct Case {
        const char* name;
        std::map<std::string, std::set<std::string>> volumes;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"the camera's among two", {{cam.string(), {"DCIM"}}, {stick.string(), {}}}, 0, ""},
        {"none", {}, 1, "halvo-set: --card: found no mounted camera card; give the card's folder with -o\n"},
        {"two alike", {{cam.string(), {}}, {stick.string(), {}}}, 1,
         "halvo-set: --card: found 2 cards and wrote nothing (" + shownCam + ", " + shownStick +
             "); give the card's folder with -o\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(cam / "set.txt");
        SteppingClock clock{kStart, {}, -1};
        const Result r = RunCli({"--card"}, clock, false, Layout(c.volumes));
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(fs::exists(cam / "set.txt"), c.status == 0);
        EXPECT_FALSE(fs::exists(stick / "set.txt"));
        if (c.status == 0) {
            EXPECT_TRUE(r.out.starts_with("wrote " + (cam / "set.txt").lexically_normal().string()));
        }
    }
}

}  // namespace
}  // namespace halvo::cli::test
