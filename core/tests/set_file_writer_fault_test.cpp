// The writer's error paths, through its file-system seam: each step made to
// fail the way a card, the system or another program makes it fail, on a real
// folder. The same tables run on POSIX (errno) and on Windows (GetLastError()
// codes, under Wine), each with its own system's codes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "file_system.h"
#include "scripted_file_system.h"
#include "writer_test_support.h"

// <windows.h> (or <cerrno>) comes with scripted_file_system.h.
#ifdef _WIN32
#include "process_handles.h"
#else
#include <csignal>
#include <ctime>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace halvo {
namespace {

namespace fs = std::filesystem;

using internal::SystemError;
using internal::Target;
using test::AsBytes;
using test::Expected;
using test::kAccessDenied;
using test::kBusy;
using test::kOld;
using test::kExists;
using test::kIoError;
using test::kSettings;
using test::ReadFile;
using test::ScriptedFileSystem;
using test::Step;
using test::StepName;
using test::WriteRaw;
using test::WriterTest;

// The new bytes over the start of the old file: written but not cut to length.
std::vector<std::uint8_t> NewOverOld() {
    std::vector<std::uint8_t> bytes = AsBytes(kOld);
    const std::vector<std::uint8_t> written = Expected();
    std::copy(written.begin(), written.end(), bytes.begin());
    return bytes;
}

// What set.txt holds after the write.
enum class Left { Nothing, Old, New, NewOverOld };

std::vector<std::uint8_t> Contents(Left left) {
    switch (left) {
        case Left::Old:
            return AsBytes(kOld);
        case Left::New:
            return Expected();
        case Left::NewOverOld:
            return NewOverOld();
        default:
            return {};
    }
}

class FaultTest : public WriterTest {
protected:
    void Given(bool present) {
        if (present) WriteRaw(card_ / "set.txt", kOld);
    }
    // The folder holds set.txt as expected and nothing else: no temporary file
    // left, nothing created where there was nothing.
    void ExpectCard(Left left) {
        if (left == Left::Nothing) {
            EXPECT_TRUE(Entries(card_).empty()) << Entries(card_).size() << " entries, none expected";
            return;
        }
        EXPECT_EQ(ReadFile(card_ / "set.txt"), Contents(left));
        EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"});
    }
    // The stage alone: these tables tell opening from writing; the causes have tests of their own.
    std::optional<WriteStage> Write() {
        const std::optional<WriteFailure> failure = internal::WriteSetFile(fs_, kSettings, card_.native());
        return failure ? std::optional<WriteStage>(failure->stage) : std::nullopt;
    }
    // Every write below must close what it opened.
    void TearDown() override {
        EXPECT_EQ(fs_.openFiles, 0) << "files left open";
        WriterTest::TearDown();
    }

    ScriptedFileSystem fs_;
};

std::string Describe(const std::optional<WriteStage>& fault) {
    return fault ? std::to_string(static_cast<int>(*fault)) : "none";
}

// --- a step of the write failing ---------------------------------------------

struct StepCase {
    const char* name;
    bool inPlace;  // the folder refuses the temporary file, so set.txt is written in place
    bool present;  // set.txt is there before
    Step step;
    SystemError error;
    std::optional<WriteStage> fault;
    Left left;
};

class StepFaultTest : public FaultTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StepFaultTest, ReportsAndLeavesWhatTheReadmeSays) {
    const StepCase& c = GetParam();
    Given(c.present);
    if (c.inPlace) fs_.Fail(Step::CreateNew, kAccessDenied);
    fs_.Fail(c.step, c.error);

    EXPECT_EQ(Describe(Write()), Describe(c.fault));
    EXPECT_EQ(fs_.Count(c.step), 1) << StepName(c.step) << " not reached";
    EXPECT_EQ(fs_.Count(Step::OpenExisting), c.inPlace ? 1 : 0) << "wrong branch";
    ExpectCard(c.left);
}

// Through the temporary file, a failure before the replace leaves set.txt as
// it was and removes the temporary file; in place, the README allows a
// part-written file once writing began (here the writes themselves succeeded).
constexpr auto kWrite = WriteStage::Write;
constexpr auto kOpen = WriteStage::Open;
const StepCase kStepCases[] = {
    {"TemporaryWriteFails", false, true, Step::Write, kIoError, kWrite, Left::Old},
    {"TemporaryWriteFailsNoSetTxt", false, false, Step::Write, kIoError, kWrite, Left::Nothing},
    {"TemporaryFlushFails", false, true, Step::Flush, kIoError, kWrite, Left::Old},
    {"TemporaryFlushFailsNoSetTxt", false, false, Step::Flush, kIoError, kWrite, Left::Nothing},
    {"TemporaryCloseFails", false, true, Step::Close, kIoError, kWrite, Left::Old},
    {"TemporaryCloseFailsNoSetTxt", false, false, Step::Close, kIoError, kWrite, Left::Nothing},
    {"TemporaryAttributesFail", false, true, Step::SetAttributes, kAccessDenied, kWrite, Left::Old},
    {"TemporaryAttributesFailNoSetTxt", false, false, Step::SetAttributes, kAccessDenied, kWrite, Left::Nothing},
    // The one failure after the replace: reported, though the new file is there.
    {"FolderFlushFails", false, true, Step::FlushFolder, kIoError, kWrite, Left::New},
    {"FolderFlushFailsNoSetTxt", false, false, Step::FlushFolder, kIoError, kWrite, Left::New},
    {"InPlaceOpenRefused", true, true, Step::OpenExisting, kAccessDenied, kOpen, Left::Old},
    {"InPlaceWriteFails", true, true, Step::Write, kIoError, kWrite, Left::Old},
    {"InPlaceCutFails", true, true, Step::EndHere, kIoError, kWrite, Left::NewOverOld},
    {"InPlaceFlushFails", true, true, Step::Flush, kIoError, kWrite, Left::New},
    {"InPlaceCloseFails", true, true, Step::Close, kIoError, kWrite, Left::New},
};

INSTANTIATE_TEST_SUITE_P(Steps, StepFaultTest, ::testing::ValuesIn(kStepCases),
                         [](const auto& row) { return std::string(row.param.name); });

// --- a full card: the temporary file is made, its bytes find no room -------------

#ifdef _WIN32
constexpr SystemError kNoRoom[] = {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL};
#else
constexpr SystemError kNoRoom[] = {ENOSPC, EDQUOT};
#endif

struct FullCase {
    const char* name;
    Step step;  // the step of the temporary file that finds no room
};

class FullCardTest : public FaultTest,
                     public ::testing::WithParamInterface<std::tuple<FullCase, SystemError, bool>> {};

// With set.txt there, its own room takes the bytes in place and the temporary
// file is gone; without it, the write is an error and nothing is left.
TEST_P(FullCardTest, ExistingSetTxtIsWrittenInPlaceOtherwiseFull) {
    const auto& [c, error, present] = GetParam();
    Given(present);
    fs_.Fail(c.step, error, 1);

    const std::optional<WriteFailure> failure = internal::WriteSetFile(fs_, kSettings, card_.native());
    EXPECT_EQ(fs_.Count(Step::CreateNew), 1);
    EXPECT_GE(fs_.Count(Step::Remove), 1) << "the temporary file must be removed";
    EXPECT_EQ(fs_.Count(Step::Replace), 0);
    if (present) {
        EXPECT_FALSE(failure.has_value()) << static_cast<int>(failure->cause);
        EXPECT_EQ(fs_.Count(Step::OpenExisting), 1);
        ExpectCard(Left::New);
    } else {
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->stage, WriteStage::Write);
        EXPECT_EQ(failure->cause, WriteCause::Full);
        EXPECT_TRUE(failure->previousKept);
        EXPECT_EQ(fs_.Count(Step::OpenExisting), 0);
        ExpectCard(Left::Nothing);
    }
}

// Another failure of the same steps is no reason to touch set.txt.
TEST_F(FaultTest, FailingCardIsNotTakenForAFullOne) {
    Given(true);
    fs_.Fail(Step::Write, kIoError, 1);
    EXPECT_EQ(Describe(Write()), Describe(WriteStage::Write));
    EXPECT_EQ(fs_.Count(Step::OpenExisting), 0);
    ExpectCard(Left::Old);
}

constexpr FullCase kFullCases[] = {{"Write", Step::Write}, {"Flush", Step::Flush}, {"Close", Step::Close}};

INSTANTIATE_TEST_SUITE_P(Full, FullCardTest,
                         ::testing::Combine(::testing::ValuesIn(kFullCases), ::testing::ValuesIn(kNoRoom),
                                            ::testing::Bool()),
                         [](const auto& row) {
                             return std::string(std::get<0>(row.param).name) + "Code" +
                                    std::to_string(std::get<1>(row.param)) +
                                    (std::get<2>(row.param) ? "" : "NoSetTxt");
                         });

// --- the replace refused or failing --------------------------------------------

struct ReplaceCase {
    const char* name;
    SystemError error;
    bool present;
    bool inPlace;  // the writer falls back to writing set.txt in place
    std::optional<WriteStage> fault;
    Left left;
};

class ReplaceFaultTest : public FaultTest, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceFaultTest, RefusalWritesInPlaceOtherFailuresReport) {
    const ReplaceCase& c = GetParam();
    Given(c.present);
    fs_.Fail(Step::Replace, c.error);

    EXPECT_EQ(Describe(Write()), Describe(c.fault));
    EXPECT_EQ(fs_.Count(Step::OpenExisting), c.inPlace ? 1 : 0) << "wrong branch";
    EXPECT_GE(fs_.Count(Step::Remove), 1) << "the temporary file was not removed";
    ExpectCard(c.left);
}

const ReplaceCase kReplaceCases[] = {
#ifdef _WIN32
    // Another program holds set.txt without delete sharing.
    {"SharingViolation", ERROR_SHARING_VIOLATION, true, true, std::nullopt, Left::New},
    {"SharingViolationNoSetTxt", ERROR_SHARING_VIOLATION, false, false, kWrite, Left::Nothing},
    {"LockViolation", ERROR_LOCK_VIOLATION, true, true, std::nullopt, Left::New},
    {"AccessDenied", ERROR_ACCESS_DENIED, true, true, std::nullopt, Left::New},
    {"AccessDeniedNoSetTxt", ERROR_ACCESS_DENIED, false, false, kWrite, Left::Nothing},
    {"NotSameDevice", ERROR_NOT_SAME_DEVICE, true, false, kWrite, Left::Old},
    {"NotSameDeviceNoSetTxt", ERROR_NOT_SAME_DEVICE, false, false, kWrite, Left::Nothing},
    {"DiskFull", ERROR_DISK_FULL, true, false, kWrite, Left::Old},
#else
    // set.txt in use in a way that forbids replacing it (a mount point, a busy file).
    {"Busy", EBUSY, true, true, std::nullopt, Left::New},
    {"BusyNoSetTxt", EBUSY, false, false, kWrite, Left::Nothing},
    {"TextBusy", ETXTBSY, true, true, std::nullopt, Left::New},
    {"AccessDenied", EACCES, true, true, std::nullopt, Left::New},
    {"NotPermitted", EPERM, true, true, std::nullopt, Left::New},
    {"NotPermittedNoSetTxt", EPERM, false, false, kWrite, Left::Nothing},
    // The temporary file and set.txt on different file systems.
    {"CrossDevice", EXDEV, true, false, kWrite, Left::Old},
    {"CrossDeviceNoSetTxt", EXDEV, false, false, kWrite, Left::Nothing},
    {"NoSpace", ENOSPC, true, false, kWrite, Left::Old},
#endif
};

INSTANTIATE_TEST_SUITE_P(Replace, ReplaceFaultTest, ::testing::ValuesIn(kReplaceCases),
                         [](const auto& row) { return std::string(row.param.name); });

// --- creating the temporary file refused ---------------------------------------

struct CreateCase {
    const char* name;
    SystemError error;
    bool blocked;  // a refusal the writer answers by writing set.txt in place
};

class CreateFaultTest : public FaultTest,
                        public ::testing::WithParamInterface<std::tuple<CreateCase, bool>> {};

TEST_P(CreateFaultTest, RefusalWritesAnExistingFileInPlaceAndCreatesNothing) {
    const auto& [c, present] = GetParam();
    Given(present);
    fs_.Fail(Step::CreateNew, c.error);

    const auto fault = Write();
    EXPECT_EQ(fs_.Count(Step::CreateNew), 1) << "a refusal is not a name taken";
    if (present && c.blocked) {
        EXPECT_EQ(Describe(fault), Describe(std::nullopt));
        EXPECT_EQ(fs_.Count(Step::OpenExisting), 1);
        ExpectCard(Left::New);
    } else {
        EXPECT_EQ(Describe(fault), Describe(kOpen));
        EXPECT_EQ(fs_.Count(Step::OpenExisting), 0);
        ExpectCard(present ? Left::Old : Left::Nothing);
    }
}

const CreateCase kCreateCases[] = {
#ifdef _WIN32
    {"AccessDenied", ERROR_ACCESS_DENIED, true},
    {"SharingViolation", ERROR_SHARING_VIOLATION, true},
    {"LockViolation", ERROR_LOCK_VIOLATION, true},
    {"DiskFull", ERROR_DISK_FULL, true},
    {"HandleDiskFull", ERROR_HANDLE_DISK_FULL, true},
    {"WriteProtected", ERROR_WRITE_PROTECT, false},
    {"PathNotFound", ERROR_PATH_NOT_FOUND, false},
#else
    {"AccessDenied", EACCES, true},
    {"NotPermitted", EPERM, true},
    {"Busy", EBUSY, true},
    {"TextBusy", ETXTBSY, true},
    {"NoSpace", ENOSPC, true},
    {"OverQuota", EDQUOT, true},
    {"ReadOnlyFileSystem", EROFS, false},
    {"IoError", EIO, false},
#endif
};

INSTANTIATE_TEST_SUITE_P(Create, CreateFaultTest,
                         ::testing::Combine(::testing::ValuesIn(kCreateCases), ::testing::Bool()),
                         [](const auto& row) {
                             return std::string(std::get<0>(row.param).name) +
                                    (std::get<1>(row.param) ? "" : "NoSetTxt");
                         });

// --- short writes ----------------------------------------------------------------

struct ShortWriteCase {
    const char* name;
    std::size_t limit;  // the most bytes the system takes at a time
    bool inPlace;
};

class ShortWriteTest : public FaultTest, public ::testing::WithParamInterface<ShortWriteCase> {};

TEST_P(ShortWriteTest, FileStillEndsAsTheWholeBytes) {
    const ShortWriteCase& c = GetParam();
    Given(true);
    if (c.inPlace) fs_.Fail(Step::CreateNew, kAccessDenied);
    fs_.writeLimit = c.limit;

    EXPECT_EQ(Write(), std::nullopt);
    EXPECT_EQ(std::size_t(fs_.Count(Step::Write)), (kSetFileSize + c.limit - 1) / c.limit);
    ExpectCard(Left::New);
}

const ShortWriteCase kShortWriteCases[] = {
    {"OneByte", 1, false},           {"OneByteInPlace", 1, true},         {"SevenBytes", 7, false},
    {"HundredBytes", 100, false},    {"HundredBytesInPlace", 100, true},  {"AllButOne", kSetFileSize - 1, false},
    {"AllButOneInPlace", kSetFileSize - 1, true},
};

INSTANTIATE_TEST_SUITE_P(ShortWrites, ShortWriteTest, ::testing::ValuesIn(kShortWriteCases),
                         [](const auto& row) { return std::string(row.param.name); });

// A system that takes nothing and reports no error must not keep the writer waiting.
TEST_F(FaultTest, WriteThatTakesNothingIsAFault) {
    Given(true);
    fs_.writeLimit = 0;
    EXPECT_EQ(Write(), WriteStage::Write);
    EXPECT_EQ(fs_.Count(Step::Write), 1);
    ExpectCard(Left::Old);
}

TEST_F(FaultTest, WriteThatTakesNothingInPlaceIsAFault) {
    Given(true);
    fs_.Fail(Step::CreateNew, kAccessDenied);
    fs_.writeLimit = 0;
    EXPECT_EQ(Write(), WriteStage::Write);
    EXPECT_EQ(fs_.Count(Step::Write), 1);
    ExpectCard(Left::Old);
}

// --- the temporary file's name ---------------------------------------------------

// ".set.txt.<process id>.<counter>.tmp" beside set.txt.
std::optional<unsigned long> CounterIn(const fs::path& temporary, unsigned long processId) {
    const std::string start = ".set.txt." + std::to_string(processId) + ".";
    const std::string name = temporary.filename().string();
    if (name.rfind(start, 0) != 0 || name.size() < start.size() + 5 || name.substr(name.size() - 4) != ".tmp") {
        return std::nullopt;
    }
    const std::string counter = name.substr(start.size(), name.size() - 4 - start.size());
    if (counter.empty() || counter.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::stoul(counter);
}

TEST_F(FaultTest, TemporaryNameIsHiddenSetTxtProcessIdCounterBesideSetTxt) {
    Given(true);
    EXPECT_EQ(Write(), std::nullopt);
    ASSERT_EQ(fs_.created.size(), 1u);
    // Beside set.txt; on Windows the folder is named as the system names it finally, \\?\C:\...
    std::wstring folder = fs_.created[0].parent_path().wstring();
    if (folder.rfind(L"\\\\?\\", 0) == 0) folder.erase(0, 4);
    EXPECT_EQ(fs::path(folder), card_);
    EXPECT_TRUE(CounterIn(fs_.created[0], internal::SystemFileSystem().ProcessId()).has_value())
        << fs_.created[0].string();
    ExpectCard(Left::New);
}

#ifdef _WIN32
// Hidden from the moment it exists until just before it takes set.txt's
// place, so that a crash leaves no visible stray file. (Wine shows every name
// that starts with a dot as hidden, so there this holds whatever the writer
// asks for; Windows itself tells.)
TEST_F(FaultTest, TemporaryFileIsHiddenUntilItTakesSetTxtsAttributes) {
    Given(true);
    std::vector<std::pair<Step, DWORD>> seen;
    fs_.beforeStep = [&](int, Step step) {
        if (!fs_.created.empty() && step != Step::Replace && step != Step::FlushFolder) {
            seen.emplace_back(step, GetFileAttributesW(fs_.created[0].c_str()));
        }
    };
    EXPECT_EQ(Write(), std::nullopt);
    ASSERT_FALSE(seen.empty());
    for (const auto& [step, attributes] : seen) {
        if (step == Step::CreateNew) continue;  // not made yet
        EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << StepName(step);
        EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u) << "visible before " << StepName(step);
    }
    ExpectCard(Left::New);
}
#endif

TEST_F(FaultTest, TakenNamesAreSkippedAndLeftAlone) {
    const unsigned long pid = internal::SystemFileSystem().ProcessId();
    Given(true);
    ASSERT_EQ(Write(), std::nullopt);
    ASSERT_EQ(fs_.created.size(), 1u);
    const auto last = CounterIn(fs_.created[0], pid);
    ASSERT_TRUE(last.has_value()) << fs_.created[0].string();
    // Another writer's files under the next two names, fresh: a write in progress.
    std::vector<fs::path> taken;
    for (unsigned long n = *last + 1; n <= *last + 2; ++n) {
        taken.push_back(card_ / (".set.txt." + std::to_string(pid) + "." + std::to_string(n) + ".tmp"));
        WriteRaw(taken.back(), "taken");
    }

    fs_.created.clear();
    EXPECT_EQ(Write(), std::nullopt);
    ASSERT_EQ(fs_.created.size(), 3u);
    EXPECT_EQ(fs_.created[0].filename(), taken[0].filename());
    EXPECT_EQ(fs_.created[1].filename(), taken[1].filename());
    EXPECT_EQ(CounterIn(fs_.created[2], pid), *last + 3);
    EXPECT_EQ(ReadFile(card_ / "set.txt"), Expected());
    for (const auto& p : taken) EXPECT_EQ(ReadFile(p), AsBytes("taken"));
    EXPECT_EQ(Entries(card_).size(), 3u);
}

TEST_F(FaultTest, EveryNameTakenFailsAtOpening) {
    Given(true);
    fs_.Fail(Step::CreateNew, kExists);
    EXPECT_EQ(Write(), WriteStage::Open);
    EXPECT_EQ(fs_.Count(Step::CreateNew), 100);
    EXPECT_EQ(fs_.Count(Step::OpenExisting), 0);
    ExpectCard(Left::Old);
}

TEST_F(FaultTest, FolderPathHoldingANulFailsAtOpeningBeforeAnyStep) {
    NativePath folder = card_.native();
    folder.insert(folder.begin() + 2, NativePath::value_type(0));
    EXPECT_EQ(internal::WriteSetFile(fs_, kSettings, folder), WriteStage::Open);
    EXPECT_TRUE(fs_.steps.empty());
}

// A folder whose path leaves room for "set.txt" but not for the temporary
// name: a failure to open, with or without set.txt, and nothing written.
TEST_F(FaultTest, FolderPathTooLongForTheTemporaryNameFailsAtOpening) {
    const std::size_t setTxt = 1 + sizeof(kSetFileName) - 1;  // separator and name
    for (Target found : {Target::Present, Target::Missing}) {
        for (std::size_t spare : {std::size_t{1}, std::size_t{10}}) {
            ScriptedFileSystem fs;
            fs.resolveAs = found;
            const NativePath folder(internal::kPathRoom - 1 - setTxt - spare, NativePath::value_type('d'));
            const auto failure = internal::WriteSetFile(fs, kSettings, folder);
            EXPECT_EQ(failure, WriteStage::Open) << spare;
            if (failure) {
                EXPECT_EQ(failure->error, internal::kPathTooLong) << "the system's code for a long path";
            }
            EXPECT_EQ(fs.Count(Step::Resolve), 1) << "set.txt's own path fits";
            EXPECT_EQ(fs.Count(Step::CreateNew), 0);
            EXPECT_EQ(fs.Count(Step::OpenExisting), 0);
        }
    }
    // One character more and set.txt's own path does not fit either.
    const NativePath folder(internal::kPathRoom - setTxt, NativePath::value_type('d'));
    EXPECT_EQ(internal::WriteSetFile(fs_, kSettings, folder), WriteStage::Open);
    EXPECT_TRUE(fs_.steps.empty());
}

// --- clean-up tries again --------------------------------------------------------

class CleanUpTest : public FaultTest, public ::testing::WithParamInterface<int> {};

TEST_P(CleanUpTest, BusyTemporaryFileIsTriedAgainAfterGrowingWaits) {
    const int busy = GetParam();  // how many removals fail before one succeeds
    Given(true);
    fs_.Fail(Step::Flush, kIoError);
    for (int n = 1; n <= busy; ++n) fs_.Fail(Step::Remove, kBusy, n);

    EXPECT_EQ(Write(), WriteStage::Write);
    const std::vector<unsigned long> waits = {10, 50, 100, 200};
    const std::size_t tries = std::min<std::size_t>(std::size_t(busy), waits.size());
    EXPECT_EQ(fs_.pauses, std::vector<unsigned long>(waits.begin(), waits.begin() + std::ptrdiff_t(tries)));
    EXPECT_EQ(fs_.Count(Step::Remove), std::min(busy + 1, 5));
    EXPECT_EQ(ReadFile(card_ / "set.txt"), AsBytes(kOld));
    if (busy <= 4) {
        ExpectCard(Left::Old);
    } else {
        EXPECT_EQ(Entries(card_).size(), 2u) << "given up after four waits";
    }
}

INSTANTIATE_TEST_SUITE_P(Busy, CleanUpTest, ::testing::Range(0, 7));

// --- no file left open --------------------------------------------------------------

#ifdef _WIN32
std::size_t OpenFileCount() { return test::ProcessHandles(GetCurrentProcess()); }
#else
std::size_t OpenFileCount() {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
        static_cast<void>(e);
        ++n;
    }
    return n;
}
#endif

// The system's own count of open descriptors (handles), before and after
// writes down every path: success, in place, each kind of failure.
TEST_F(FaultTest, NoFileIsLeftOpenOnAnyPath) {
#ifdef _WIN32
    if (OpenFileCount() == 0) GTEST_SKIP() << "this system does not count a process's handles";
#else
    if (!fs::exists("/proc/self/fd")) GTEST_SKIP() << "no /proc/self/fd";
#endif
    const std::size_t before = OpenFileCount();
    auto write = [&](auto&& arrange) {
        ScriptedFileSystem fs;
        arrange(fs);
        internal::WriteSetFile(fs, kSettings, card_.native());
        EXPECT_EQ(fs.openFiles, 0);
    };
    write([](ScriptedFileSystem&) {});
    write([](ScriptedFileSystem&) {});
    write([](ScriptedFileSystem& fs) { fs.Fail(Step::CreateNew, kAccessDenied); });
    for (Step step : {Step::Write, Step::Flush, Step::Close, Step::SetAttributes, Step::FlushFolder}) {
        write([step](ScriptedFileSystem& fs) { fs.Fail(step, kIoError); });
    }
    for (Step step : {Step::OpenExisting, Step::Write, Step::EndHere, Step::Flush, Step::Close}) {
        write([step](ScriptedFileSystem& fs) { fs.Fail(Step::CreateNew, kAccessDenied).Fail(step, kIoError); });
    }
    write([](ScriptedFileSystem& fs) { fs.Fail(Step::Replace, kBusy); });
    write([](ScriptedFileSystem& fs) { fs.Fail(Step::Remove, kBusy).Fail(Step::Flush, kIoError); });
    EXPECT_EQ(WriteSetFile(kSettings, (card_ / "absent").native()), WriteStage::Open);
    EXPECT_EQ(OpenFileCount(), before);
}

#ifndef _WIN32
// --- a wait interrupted by a signal --------------------------------------------------

// The clean-up's wait, interrupted over and over by a timer's signal, still
// ends, and not before its time. Run in a child process, so that a wait that
// never ends fails the test instead of hanging it.
TEST(PauseTest, WaitInterruptedBySignalsEndsAfterItsTime) {
    constexpr unsigned long kWait = 200;  // milliseconds
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigaction(SIGALRM, &action, nullptr);  // no SA_RESTART: the wait is interrupted
        const itimerval every2ms{{0, 2000}, {0, 2000}};
        setitimer(ITIMER_REAL, &every2ms, nullptr);
        timespec start{}, end{};
        clock_gettime(CLOCK_MONOTONIC, &start);
        internal::SystemFileSystem().Pause(kWait);
        clock_gettime(CLOCK_MONOTONIC, &end);
        const long long waited = (end.tv_sec - start.tv_sec) * 1000LL + (end.tv_nsec - start.tv_nsec) / 1000000;
        _exit(waited >= static_cast<long long>(kWait) ? 0 : 1);
    }
    int status = 0;
    pid_t ended = 0;
    for (int tenths = 0; tenths < 100 && ended == 0; ++tenths) {
        ended = waitpid(child, &status, WNOHANG);
        if (ended == 0) usleep(100000);
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the interrupted wait did not end within 10 s";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the interrupted wait ended before its time";
}
#endif

}  // namespace
}  // namespace halvo
