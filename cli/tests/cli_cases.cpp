#include "cli_cases.h"

#include <fstream>
#include <iterator>

#include "golden_set_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace halvo::cli::test {
namespace fs = std::filesystem;

namespace {

const DeviceSettings kInitial{2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1};

// The settings of the initial selections with another date and time.
DeviceSettings At(std::int32_t y, std::int32_t mo, std::int32_t d, std::int32_t h, std::int32_t mi, std::int32_t s) {
    DeviceSettings out = kInitial;
    out.year = y;
    out.month = mo;
    out.day = d;
    out.hour = h;
    out.minute = mi;
    out.second = s;
    return out;
}

std::vector<std::string> Args(std::initializer_list<std::string> typed) { return typed; }

// A refused value: exit status 2, one line on standard error, nothing written.
CliCase Refused(std::string name, std::vector<std::string> args, std::string message) {
    return {std::move(name), std::move(args), 2, "", "halvo-set: " + message + "\n", std::nullopt};
}

}  // namespace

const std::vector<CliCase>& CliCases() {
    static const std::vector<CliCase> cases = [] {
        const std::vector<std::string> when = {"--date", "2026-12-10", "--time", "09:15:00"};
        auto with = [&when](std::initializer_list<std::string> more) {
            std::vector<std::string> args = when;
            args.insert(args.end(), more);
            return args;
        };
        std::vector<CliCase> c = {
            {"initial selections",
             Args({"--date", "2021-01-01", "--time", "00:00:00", "-o", "{dir}"}),
             0,
             "wrote {file}: 2021-01-01 00:00:00, flip off, length 2 min, time-lapse off, audio on, USB storage, time stamp "
             "on\n",
             "",
             kInitial},
            {"every option away from its default",
             Args({"--date", "2050-12-31", "--time", "23:59:59", "--flip", "on", "--length", "5", "--timelapse", "10",
                   "--audio", "off", "--usb", "video", "--timestamp", "off", "--output", "{dir}"}),
             0,
             "wrote {file}: 2050-12-31 23:59:59, flip on, length 5 min, time-lapse 10 s, audio off, USB video, time stamp "
             "off\n",
             "",
             DeviceSettings{2050, 12, 31, 23, 59, 59, 1, 5, 1, 2, 0, 1, 0}},
            {"the other lengths and intervals, with = forms",
             Args({"--date=2030-06-30", "--time=12:34:56", "--length=1", "--timelapse=2", "--output={dir}"}),
             0,
             "wrote {file}: 2030-06-30 12:34:56, flip off, length 1 min, time-lapse 2 s, audio on, USB storage, time stamp "
             "on\n",
             "",
             DeviceSettings{2030, 6, 30, 12, 34, 56, 0, 1, 1, 0, 1, 0, 1}},
            {"3 min and 5 s",
             with({"--length", "3", "--timelapse", "5", "-o", "{dir}"}),
             0,
             "wrote {file}: 2026-12-10 09:15:00, flip off, length 3 min, time-lapse 5 s, audio on, USB storage, time stamp "
             "on\n",
             "",
             DeviceSettings{2026, 12, 10, 9, 15, 0, 0, 3, 1, 1, 1, 0, 1}},
            {"29 February of a leap year",
             Args({"--date", "2028-02-29", "--time", "07:00:00", "-o", "{dir}"}),
             0,
             "wrote {file}: 2028-02-29 07:00:00, flip off, length 2 min, time-lapse off, audio on, USB storage, time stamp "
             "on\n",
             "",
             At(2028, 2, 29, 7, 0, 0)},

            Refused("length 4", with({"--length", "4", "-o", "{dir}"}), "--length: 4 is not one of 1, 2, 3, 5"),
            Refused("flip yes", with({"--flip", "yes", "-o", "{dir}"}), "--flip: yes is not one of on, off"),
            Refused("time-lapse 3", with({"--timelapse", "3", "-o", "{dir}"}),
                    "--timelapse: 3 is not one of off, 2, 5, 10"),
            Refused("audio 1", with({"--audio", "1", "-o", "{dir}"}), "--audio: 1 is not one of on, off"),
            Refused("usb mtp", with({"--usb", "mtp", "-o", "{dir}"}), "--usb: mtp is not one of storage, video"),
            Refused("time stamp in capitals", with({"--timestamp", "ON", "-o", "{dir}"}),
                    "--timestamp: ON is not one of on, off"),
            Refused("empty length", with({"--length", "", "-o", "{dir}"}), "--length: \"\" is not one of 1, 2, 3, 5"),

            Refused("30 February", Args({"--date", "2023-02-30", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2023-02-30 is not a date the device accepts (day 30 of month 2)"),
            Refused("29 February of a common year", Args({"--date", "2026-02-29", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2026-02-29 is not a date the device accepts (day 29 of month 2; 2026 is not a leap year)"),
            Refused("31 April", Args({"--date", "2024-04-31", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2024-04-31 is not a date the device accepts (day 31 of month 4)"),
            Refused("year 2020", Args({"--date", "2020-12-31", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2020-12-31 is not a date the device accepts (the years are 2021 to 2050)"),
            Refused("year 2051", Args({"--date", "2051-01-01", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2051-01-01 is not a date the device accepts (the years are 2021 to 2050)"),
            Refused("month 13", Args({"--date", "2023-13-01", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2023-13-01 is not a date the device accepts (the months are 01 to 12)"),
            Refused("month 0", Args({"--date", "2023-00-10", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2023-00-10 is not a date the device accepts (the months are 01 to 12)"),
            Refused("day 32", Args({"--date", "2023-01-32", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2023-01-32 is not a date the device accepts (the days are 01 to 31)"),
            Refused("day 0", Args({"--date", "2023-01-00", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2023-01-00 is not a date the device accepts (the days are 01 to 31)"),
            Refused("one-digit month", Args({"--date", "2023-2-03", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2023-2-03 is not a date in the form YYYY-MM-DD"),
            Refused("slashes", Args({"--date", "2023/02/03", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2023/02/03 is not a date in the form YYYY-MM-DD"),
            Refused("trailing text", Args({"--date", "2023-02-03x", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2023-02-03x is not a date in the form YYYY-MM-DD"),
            Refused("empty date", Args({"--date", "", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: \"\" is not a date in the form YYYY-MM-DD"),
            // The first year and the first hour are position 0: the fault is still the day's, the minute's.
            Refused("30 February of the first year", Args({"--date", "2021-02-30", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date: 2021-02-30 is not a date the device accepts (day 30 of month 2)"),
            Refused("minute 60 of hour 0", Args({"--date", "2023-02-03", "--time", "00:60:00", "-o", "{dir}"}),
                    "--time: 00:60:00 is not a time the device accepts (the minutes are 00 to 59)"),
            Refused("hour 24", Args({"--date", "2023-02-03", "--time", "24:00:00", "-o", "{dir}"}),
                    "--time: 24:00:00 is not a time the device accepts (the hours are 00 to 23)"),
            Refused("minute 60", Args({"--date", "2023-02-03", "--time", "12:60:00", "-o", "{dir}"}),
                    "--time: 12:60:00 is not a time the device accepts (the minutes are 00 to 59)"),
            Refused("second 60", Args({"--date", "2023-02-03", "--time", "12:00:60", "-o", "{dir}"}),
                    "--time: 12:00:60 is not a time the device accepts (the seconds are 00 to 59)"),
            Refused("no seconds", Args({"--date", "2023-02-03", "--time", "09:15", "-o", "{dir}"}),
                    "--time: 09:15 is not a time in the form HH:MM:SS"),
            Refused("lead 3601", Args({"--lead", "3601", "-o", "{dir}"}),
                    "--lead: 3601 is not a whole number of seconds from 0 to 3600"),
            Refused("negative lead", Args({"--lead=-5", "-o", "{dir}"}),
                    "--lead: -5 is not a whole number of seconds from 0 to 3600"),
            Refused("fractional lead", Args({"--lead", "1.5", "-o", "{dir}"}),
                    "--lead: 1.5 is not a whole number of seconds from 0 to 3600"),
            // Ten digits: 2^32, which a 32-bit conversion would take for 0.
            Refused("lead 2^32", Args({"--lead", "4294967296", "-o", "{dir}"}),
                    "--lead: 4294967296 is not a whole number of seconds from 0 to 3600"),
            Refused("huge lead", Args({"--lead", "99999999999999999999", "-o", "{dir}"}),
                    "--lead: 99999999999999999999 is not a whole number of seconds from 0 to 3600"),
            Refused("lead with a date", Args({"--lead", "10", "--date", "2026-01-01", "-o", "{dir}"}),
                    "--lead: moves this computer's clock reading, so it does not go with --date"),
            Refused("lead with a time", Args({"--time", "10:00:00", "--lead", "10", "-o", "{dir}"}),
                    "--lead: moves this computer's clock reading, so it does not go with --time"),
            Refused("stdout and output", with({"--stdout", "-o", "{dir}"}),
                    "--stdout: writes no file, so it does not go with --output"),
            Refused("card and output", Args({"--card", "-o", "{dir}"}),
                    "--card: finds the card's folder itself, so it does not go with --output"),
            Refused("card and stdout", Args({"--stdout", "--card"}),
                    "--card: finds the card's folder itself, so it does not go with --stdout"),
            Refused("countdown with a date", Args({"--countdown", "--date", "2026-01-01", "-o", "{dir}"}),
                    "--countdown: counts down to this computer's clock reading in set.txt, so it does not go with "
                    "--date"),
            Refused("countdown with a typed date and time", with({"--countdown", "-o", "{dir}"}),
                    "--countdown: counts down to this computer's clock reading in set.txt, so it does not go with "
                    "--date"),
            Refused("countdown to standard output", Args({"--countdown", "--stdout"}),
                    "--countdown: counts down to this computer's clock reading in set.txt, so it does not go with "
                    "--stdout"),
            Refused("show and card", Args({"--show", "{dir}", "--card"}),
                    "--show: only reads a file, so it does not go with --card"),
            Refused("show with a writing option", Args({"--show", "{dir}", "--length", "3"}),
                    "--show: only reads a file, so it does not go with --length"),
            Refused("missing folder", with({"-o", "{absent}"}),
                    "--output: {absent} does not exist (the folder must be there already)"),
            Refused("a file for a folder", with({"-o", "{file}"}), "--output: {file} is not a folder"),
            Refused("unknown option", with({"--colour", "red", "-o", "{dir}"}),
                    "--colour is not an option (see halvo-set --help)"),
            Refused("a short option that is none", with({"-x", "-o", "{dir}"}), "-x is not an option (see halvo-set --help)"),
            // halvo-set's own words for what its parser refuses, each naming the option or the word it follows.
            Refused("stray word", with({"-o", "{dir}", "now"}),
                    "now is neither an option nor the value of one; it follows -o {dir} (see halvo-set --help)"),
            Refused("stray word after a flag", with({"--stdout", "now"}),
                    "now is neither an option nor the value of one; it follows --stdout, which takes none (see "
                    "halvo-set --help)"),
            Refused("stray word first", Args({"now", "-o", "{dir}"}),
                    "now is neither an option nor the value of one (see halvo-set --help)"),
            Refused("a second word for --show", Args({"--show", "{dir}", "extra"}),
                    "extra is neither an option nor the value of one; it follows --show {dir} (see halvo-set --help)"),
            Refused("value missing", Args({"-o", "{dir}", "--length"}), "--length needs a value: 1, 2, 3 or 5"),
            Refused("value missing before the next option", Args({"--date", "--time", "10:00:00", "-o", "{dir}"}),
                    "--date needs a value: a date in the form YYYY-MM-DD"),
            Refused("folder missing", Args({"--date", "2026-01-01", "--time", "10:00:00", "-o"}),
                    "--output needs a value: the folder to write set.txt into"),
            Refused("correction missing", Args({"--correction"}),
                    "--correction needs a value: a number of seconds from -60 to 60, in tenths at most"),
            Refused("option twice", with({"--length", "1", "--length", "2", "-o", "{dir}"}),
                    "--length is given twice (1, then 2); give it once"),
            Refused("folder three times", with({"-o", "{dir}", "--output", "{dir}", "-o", ""}),
                    "--output is given 3 times ({dir}, then {dir}, then \"\"); give it once"),
            Refused("a value for a flag", with({"--stdout=yes"}), "--stdout takes no value, but was given yes"),
        };
        return c;
    }();
    return cases;
}

std::string Expand(const std::string& text, const fs::path& dir) {
    const std::pair<std::string, std::string> marks[] = {
        {"{dir}", dir.string()},
        {"{file}", (dir / "set.txt").lexically_normal().string()},
        {"{absent}", (dir / "absent").lexically_normal().string()},
    };
    std::string out = text;
    for (const auto& [mark, value] : marks) {
        for (std::size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at + value.size())) {
            out.replace(at, mark.size(), value);
        }
    }
    return out;
}

std::vector<std::uint8_t> FileFor(const DeviceSettings& settings) { return golden::GoldenSetFile(settings); }

ScratchFolder::ScratchFolder(const std::string& name) {
    // The process id keeps builds that test at the same time apart.
#ifdef _WIN32
    const unsigned long id = GetCurrentProcessId();
#else
    const long id = static_cast<long>(getpid());
#endif
    path_ = fs::temp_directory_path() / ("halvo-cli-" + name + "-" + std::to_string(id));
    fs::remove_all(path_);
    fs::create_directories(path_);
    // Absolute and without a trailing separator, as the program shows it.
    path_ = fs::absolute(path_).lexically_normal();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::vector<std::string> ScratchFolder::Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
    return names;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

}  // namespace halvo::cli::test
