// The writer ended at each of its file-system steps, as a crash, a killed
// process or a pulled plug ends it: the folder must then hold what a card
// would keep, the old set.txt or the new one (nothing or the new one where
// there was none), or, only while set.txt is being overwritten in place, the
// part-written file the README allows; and the following write must succeed.
//
// Natively each write runs in a forked child that ends itself with _exit()
// before step N; on Windows in a second process of this program, started
// with CreateProcess, that ends itself with TerminateProcess().

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "file_system.h"
#include "scripted_file_system.h"
#include "writer_test_support.h"

// <windows.h> (or <cerrno>) comes with scripted_file_system.h.
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace halvo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using test::AsBytes;
using test::Expected;
using test::kAccessDenied;
using test::kBusy;
using test::kOld;
using test::kSettings;
using test::ReadFile;
using test::ScriptedFileSystem;
using test::Step;
using test::StepName;
using test::WriteRaw;
using test::WriterTest;

// How a child that ended itself at the chosen step exits, and how one that
// finished its write does.
constexpr int kCrashed = 3;
constexpr int kWritten = 0;
constexpr int kFault = 1;

// Where a write starts from.
struct Start {
    const char* name;
    bool present;       // an old set.txt is there
    bool leftover;      // with a stale temporary file from an earlier crash beside it
    bool heldOpen;      // another program holds set.txt, so the replace is refused (and it is written in place)
    bool refusesFiles;  // the folder refuses new files, so set.txt is written in place at once
};

const Start kStarts[] = {
    {"NoSetTxt", false, false, false, false},
    {"OldSetTxt", true, false, false, false},
    {"OldSetTxtAndLeftover", true, true, false, false},
    {"HeldOpen", true, false, true, false},
    {"FolderRefusesNewFiles", true, false, false, true},
};

constexpr char kLeftover[] = ".set.txt.1.0.tmp";

void Age(const fs::path& p, std::chrono::hours age) {
    fs::last_write_time(p, fs::file_time_type::clock::now() - age);
}

void Arrange(const fs::path& card, const Start& start) {
    fs::remove_all(card);
    fs::create_directories(card);
    if (start.present) WriteRaw(card / "set.txt", kOld);
    if (start.leftover) {
        WriteRaw(card / kLeftover, "left over");
        Age(card / kLeftover, 1h);
    }
}

// Writes in three pieces, so that the crash can also fall between them.
void Script(ScriptedFileSystem& fs, const Start& start) {
    fs.writeLimit = 100;
    if (start.heldOpen) fs.Fail(Step::Replace, kBusy);
    if (start.refusesFiles) fs.Fail(Step::CreateNew, kAccessDenied);
}

// The write a child makes, ending the process before step crashAt.
[[noreturn]] void WriteAndEnd(const fs::path& card, const Start& start, int crashAt) {
    ScriptedFileSystem fs;
    Script(fs, start);
    fs.beforeStep = [crashAt](int step, Step) {
        if (step != crashAt) return;
#ifdef _WIN32
        TerminateProcess(GetCurrentProcess(), kCrashed);
#else
        _exit(kCrashed);
#endif
    };
    const int status = internal::WriteSetFile(fs, kSettings, card.native()) ? kFault : kWritten;
#ifdef _WIN32
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
#endif
    _exit(status);
}

#ifdef _WIN32
// A second process of this program runs WriterCrashChild.Write below with
// these variables set.
constexpr wchar_t kCardVariable[] = L"HALVO_CRASH_CARD";
constexpr wchar_t kStartVariable[] = L"HALVO_CRASH_START";
constexpr wchar_t kStepVariable[] = L"HALVO_CRASH_STEP";

std::optional<int> RunChild(const fs::path& card, std::size_t start, int crashAt) {
    wchar_t program[MAX_PATH];
    if (GetModuleFileNameW(nullptr, program, MAX_PATH) == 0) return std::nullopt;
    std::wstring command = L"\"" + std::wstring(program) + L"\" --gtest_filter=WriterCrashChild.Write";
    SetEnvironmentVariableW(kCardVariable, card.c_str());
    SetEnvironmentVariableW(kStartVariable, std::to_wstring(start).c_str());
    SetEnvironmentVariableW(kStepVariable, std::to_wstring(crashAt).c_str());
    // The child's own test output goes nowhere.
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                       OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    PROCESS_INFORMATION child{};
    // Wine on a busy machine was seen to refuse one start among hundreds: a
    // start is tried again before the test calls it a fault, and says why.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) Sleep(200);
        started =
            CreateProcessW(program, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
        if (!started) std::fprintf(stderr, "the child did not start: error %lu\n", GetLastError());
    }
    if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
    for (const wchar_t* name : {kCardVariable, kStartVariable, kStepVariable}) SetEnvironmentVariableW(name, nullptr);
    if (!started) return std::nullopt;
    DWORD status = 0;
    const DWORD waited = WaitForSingleObject(child.hProcess, 120000);
    const bool ended = waited == WAIT_OBJECT_0 && GetExitCodeProcess(child.hProcess, &status);
    if (!ended) {
        std::fprintf(stderr, "the child did not end: wait %lu, error %lu\n", waited, GetLastError());
        TerminateProcess(child.hProcess, 99);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    if (!ended) return std::nullopt;
    return static_cast<int>(status);
}

// Only ever run as the child above.
TEST(WriterCrashChild, Write) {
    wchar_t card[MAX_PATH], start[16], step[16];
    if (GetEnvironmentVariableW(kCardVariable, card, MAX_PATH) == 0 ||
        GetEnvironmentVariableW(kStartVariable, start, 16) == 0 ||
        GetEnvironmentVariableW(kStepVariable, step, 16) == 0) {
        GTEST_SKIP() << "the child process of WriterCrashTest";
    }
    WriteAndEnd(card, kStarts[std::wcstoul(start, nullptr, 10)], static_cast<int>(std::wcstol(step, nullptr, 10)));
}
#else
std::optional<int> RunChild(const fs::path& card, std::size_t start, int crashAt) {
    const pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) WriteAndEnd(card, kStarts[start], crashAt);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return std::nullopt;
    }
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}
#endif

// The new bytes written over the start of the old file and not yet cut to
// length: what the README allows while set.txt is being written in place.
bool PartWritten(const std::vector<std::uint8_t>& contents) {
    const std::vector<std::uint8_t> old = AsBytes(kOld), written = Expected();
    if (contents.size() != old.size()) return false;
    std::size_t n = 0;
    while (n < written.size() && contents[n] == written[n]) ++n;
    return std::equal(contents.begin() + std::ptrdiff_t(n), contents.end(), old.begin() + std::ptrdiff_t(n));
}

bool OfOurPattern(const std::string& name) {
    return name.rfind(".set.txt.", 0) == 0 && name.size() > 13 && name.substr(name.size() - 4) == ".tmp";
}

class WriterCrashTest : public WriterTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(WriterCrashTest, CardKeepsTheOldFileOrTheNewOneAndTheNextWriteSucceeds) {
    const Start& start = kStarts[GetParam()];
    const fs::path card = card_;

    // The steps of an uninterrupted write from this start.
    Arrange(card, start);
    ScriptedFileSystem dry;
    Script(dry, start);
    ASSERT_EQ(internal::WriteSetFile(dry, kSettings, card.native()), std::nullopt);
    const std::vector<Step> steps = dry.steps;
    ASSERT_FALSE(steps.empty());

    for (int crashAt = 1; crashAt <= int(steps.size()); ++crashAt) {
        SCOPED_TRACE(std::string("ended before step ") + std::to_string(crashAt) + ", " +
                     StepName(steps[std::size_t(crashAt) - 1]));
        Arrange(card, start);
        ASSERT_EQ(RunChild(card, GetParam(), crashAt), kCrashed);

        // In place, from the first piece written until the file is cut to length.
        bool opened = false, wroteInPlace = false, cut = false;
        for (int i = 0; i + 1 < crashAt; ++i) {
            opened = opened || steps[std::size_t(i)] == Step::OpenExisting;
            wroteInPlace = wroteInPlace || (opened && steps[std::size_t(i)] == Step::Write);
            cut = cut || steps[std::size_t(i)] == Step::EndHere;
        }
        const bool exists = fs::exists(card / "set.txt");
        const std::vector<std::uint8_t> contents = exists ? ReadFile(card / "set.txt") : std::vector<std::uint8_t>{};
        if (!start.present) {
            EXPECT_TRUE(!exists || contents == Expected()) << contents.size() << " bytes";
        } else if (wroteInPlace && !cut) {
            EXPECT_TRUE(exists && (contents == AsBytes(kOld) || contents == Expected() || PartWritten(contents)))
                << contents.size() << " bytes";
        } else {
            EXPECT_TRUE(exists && (contents == AsBytes(kOld) || contents == Expected())) << contents.size()
                                                                                           << " bytes";
        }
        // Beside it at most temporary files of the writer's own pattern.
        for (const auto& name : Entries(card)) {
            EXPECT_TRUE(name == "set.txt" || OfOurPattern(name)) << name;
        }

        // The next write succeeds, and once the leftovers are stale the one
        // after it clears them.
        EXPECT_EQ(WriteSetFile(kSettings, card.native()), std::nullopt);
        EXPECT_EQ(ReadFile(card / "set.txt"), Expected());
        for (const auto& name : Entries(card)) {
            if (name != "set.txt") Age(card / name, 1h);
        }
        EXPECT_EQ(WriteSetFile(kSettings, card.native()), std::nullopt);
        EXPECT_EQ(Entries(card), std::vector<std::string>{"set.txt"});
    }

    // And the uninterrupted write really is the last one of the series.
    Arrange(card, start);
    EXPECT_EQ(RunChild(card, GetParam(), int(steps.size()) + 1), kWritten);
    EXPECT_EQ(ReadFile(card / "set.txt"), Expected());
}

INSTANTIATE_TEST_SUITE_P(Starts, WriterCrashTest, ::testing::Range(std::size_t{0}, std::size(kStarts)),
                         [](const auto& row) { return std::string(kStarts[row.param].name); });

// Together the starts cross every file-system step of both paths.
TEST(WriterCrashSteps, StartsCoverEveryStepOfBothPaths) {
    std::set<Step> crossed;
    const fs::path card = fs::temp_directory_path() / "halvo-writer-crash-steps";
    for (const Start& start : kStarts) {
        Arrange(card, start);
        ScriptedFileSystem fs;
        Script(fs, start);
        EXPECT_EQ(internal::WriteSetFile(fs, kSettings, card.native()), std::nullopt);
        crossed.insert(fs.steps.begin(), fs.steps.end());
    }
    fs::remove_all(card);
    for (Step step : {Step::Resolve, Step::ListFolder, Step::Remove, Step::CreateNew, Step::Write, Step::Flush,
                      Step::Close, Step::SetAttributes, Step::Replace, Step::FlushFolder, Step::OpenExisting,
                      Step::EndHere}) {
        EXPECT_EQ(crossed.count(step), 1u) << StepName(step);
    }
}

}  // namespace
}  // namespace halvo
