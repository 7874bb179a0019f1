// The writer against what people and other programs do to a card: links,
// files held open, folders that refuse new files, attributes, clean-up and
// flushing.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "halvo/set_file_writer.h"
#include "test_files.h"
#include "writer_test_support.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif
#endif

namespace halvo {
namespace {

namespace fs = std::filesystem;

using test::AsBytes;
using test::Expected;
using test::kSettings;
using test::ReadFile;
using test::WriteRaw;
using test::WriterTest;

// --- symbolic links ----------------------------------------------------------

bool IsLink(const fs::path& p) {
#ifdef _WIN32
    // The C++ library of this tool chain does not see links on Windows.
    const DWORD attributes = GetFileAttributesW(p.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
    return fs::is_symlink(p);
#endif
}

// Makes card/set.txt a link to where; false (with the reason logged) where
// the system or the user's rights do not allow links.
bool LinkSetTxt(const fs::path& card, const fs::path& where) {
#ifdef _WIN32
    // Some systems report success and make nothing, so the link is looked for.
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    if (CreateSymbolicLinkW((card / "set.txt").c_str(), where.c_str(), kUnprivileged) != 0 &&
        IsLink(card / "set.txt")) {
        return true;
    }
    std::cout << "no symbolic link: error " << GetLastError() << "\n";
    return false;
#else
    std::error_code error;
    fs::create_symlink(where, card / "set.txt", error);
    if (error) std::cout << "no symbolic link: " << error.message() << "\n";
    return !error;
#endif
}

TEST_F(WriterTest, LinkIsFollowedAndTheFileItNamesIsReplaced) {
    fs::create_directories(dir_ / "real");
    WriteRaw(dir_ / "real" / "settings.txt", std::string(1000, 'x'));
    if (!LinkSetTxt(card_, dir_ / "real" / "settings.txt")) GTEST_SKIP() << "symbolic links unavailable";

    EXPECT_EQ(WriteSetFile(kSettings, card_.native()), std::nullopt);
    EXPECT_TRUE(IsLink(card_ / "set.txt")) << "the link itself must stay";
    EXPECT_EQ(ReadFile(dir_ / "real" / "settings.txt"), Expected());
    EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"});
    EXPECT_EQ(Entries(dir_ / "real"), std::vector<std::string>{"settings.txt"});
}

TEST_F(WriterTest, DanglingLinkFailsAtOpeningAndCreatesNothing) {
    if (!LinkSetTxt(card_, dir_ / "absent.txt")) GTEST_SKIP() << "symbolic links unavailable";

    EXPECT_EQ(WriteSetFile(kSettings, card_.native()), WriteStage::Open);
    EXPECT_TRUE(IsLink(card_ / "set.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "absent.txt"));
    EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"});
}

// --- leftovers of a crash ----------------------------------------------------

// Makes a file as a writer that crashed (or another program) left it, last
// written `age` ago.
void Leave(const fs::path& p, std::chrono::seconds age) {
    WriteRaw(p, "left over");
    fs::last_write_time(p, fs::file_time_type::clock::now() - age);
}

TEST_F(WriterTest, StaleTemporaryFilesOfTheWritersPatternAreRemovedAndNothingElse) {
    using namespace std::chrono_literals;
    WriteRaw(card_ / "set.txt", "previous");
    // Left by crashed writes, long ago: these go.
    const std::vector<std::string> stale = {".set.txt.4242.0.tmp", ".set.txt.1.17.tmp", ".set.txt.4294967295.99.tmp",
                                            // The most digits a number of the name has: a 64-bit maximum.
                                            ".set.txt.18446744073709551615.0.tmp"};
    // A write in progress right now in another process: its file is fresh and stays.
    const std::string inProgress = ".set.txt.4243.0.tmp";
    // Other people's files, however old: alike in name, but not the exact pattern.
    const std::vector<std::string> others = {
        "set.txt.bak", ".set.txt.bak", "set.txt.4242.0.tmp", ".set.txt.4242.0.tmp.bak", ".set.txt.4242.0.tmpx",
        ".set.txt.4242.tmp", ".set.txt.4242.0.1.tmp", ".set.txt.abc.0.tmp", ".set.txt.4242.0x1.tmp",
        ".set.txt..0.tmp", ".set.txt.4242..tmp", ".set.txt.-1.0.tmp", ".set.txt.+1.0.tmp", ".set.txt. 1.0.tmp",
        ".SET.TXT.5151.0.tmp", ".set.txt.5252.0.TMP", "x.set.txt.4242.0.tmp", ".set.txt.042.0.tmp",
        ".set.txt.99999999999999999999999.0.tmp"};
    for (const auto& name : stale) Leave(card_ / name, 24h);
    Leave(card_ / inProgress, 0s);
    for (const auto& name : others) Leave(card_ / name, 24h);
    // A folder of that name is not a file of ours (aged where the library can age a folder: not under Wine).
    fs::create_directory(card_ / ".set.txt.4244.0.tmp");
    std::error_code unaged;
    fs::last_write_time(card_ / ".set.txt.4244.0.tmp", fs::file_time_type::clock::now() - 24h, unaged);

#ifndef _WIN32
    // Nor a link of that name (which removing would take away, not its file).
    fs::create_symlink(card_ / "set.txt.bak", card_ / ".set.txt.4245.0.tmp");
    const timespec dayAgo[2] = {{::time(nullptr) - 86400, 0}, {::time(nullptr) - 86400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (card_ / ".set.txt.4245.0.tmp").c_str(), dayAgo, AT_SYMLINK_NOFOLLOW), 0);
#endif

    EXPECT_EQ(WriteSetFile(kSettings, card_.native()), std::nullopt);
    EXPECT_EQ(ReadFile(card_ / "set.txt"), Expected());
    for (const auto& name : stale) EXPECT_FALSE(fs::exists(card_ / name)) << name << " was left";
    EXPECT_TRUE(fs::exists(card_ / inProgress)) << "a fresh temporary file (a write in progress) was removed";
    for (const auto& name : others) EXPECT_EQ(ReadFile(card_ / name), AsBytes("left over")) << name;
    EXPECT_TRUE(fs::is_directory(card_ / ".set.txt.4244.0.tmp"));
#ifndef _WIN32
    EXPECT_TRUE(fs::is_symlink(card_ / ".set.txt.4245.0.tmp"));
    EXPECT_EQ(Entries(card_).size(), 1 + 1 + others.size() + 2);
#else
    EXPECT_EQ(Entries(card_).size(), 1 + 1 + others.size() + 1);
#endif
}

// Ten minutes is the line between another write in progress and a crash's
// leftover: a few seconds either side of it.
TEST_F(WriterTest, TemporaryFileIsStaleTenMinutesAfterItsLastWrite) {
    using namespace std::chrono_literals;
    Leave(card_ / ".set.txt.4242.0.tmp", 605s);
    Leave(card_ / ".set.txt.4243.0.tmp", 590s);
    EXPECT_EQ(WriteSetFile(kSettings, card_.native()), std::nullopt);
    EXPECT_FALSE(fs::exists(card_ / ".set.txt.4242.0.tmp")) << "a leftover of 605 s was kept";
    EXPECT_TRUE(fs::exists(card_ / ".set.txt.4243.0.tmp")) << "a write of 590 s ago was taken for a leftover";
}

#ifdef _WIN32
// --- sharing and attributes ------------------------------------------------

// The way an editor or a preview keeps a file open: reading and writing
// shared, deleting (and so replacing) not.
class HeldOpen {
public:
    explicit HeldOpen(const fs::path& p)
        : h_(CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr)) {}
    ~HeldOpen() {
        if (Held()) CloseHandle(h_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool Held() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

TEST_F(WriterTest, FileHeldOpenWithoutDeleteSharingIsWrittenInPlace) {
    WriteRaw(card_ / "set.txt", std::string(1000, 'x'));
    HeldOpen other(card_ / "set.txt");
    ASSERT_TRUE(other.Held());

    EXPECT_EQ(WriteSetFile(kSettings, card_.native()), std::nullopt);
    EXPECT_EQ(ReadFile(card_ / "set.txt"), Expected()) << "written whole and cut to length";
    EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"});
}

TEST_F(WriterTest, FileHeldWithoutWriteSharingIsRefusedUntouched) {
    WriteRaw(card_ / "set.txt", "previous");
    const HANDLE reader = CreateFileW((card_ / "set.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);

    const auto fault = WriteSetFile(kSettings, card_.native());
    CloseHandle(reader);
    EXPECT_EQ(fault, WriteStage::Open);
    EXPECT_EQ(ReadFile(card_ / "set.txt"), AsBytes("previous"));
    EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"});
}

struct AttributeCase {
    const char* name;
    DWORD before;  // 0: no set.txt yet
    DWORD after;   // the hidden and system bits set.txt must end with
};

class AttributeTest : public WriterTest, public ::testing::WithParamInterface<AttributeCase> {};

TEST_P(AttributeTest, SetTxtKeepsItsHiddenAndSystemAttributes) {
    const fs::path target = card_ / "set.txt";
    if (GetParam().before != 0) {
        WriteRaw(target, "previous");
        ASSERT_TRUE(SetFileAttributesW(target.c_str(), GetParam().before));
    }
    EXPECT_EQ(WriteSetFile(kSettings, card_.native()), std::nullopt);
    EXPECT_EQ(ReadFile(target), Expected());
    const DWORD attributes = GetFileAttributesW(target.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY),
              GetParam().after);
    EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"});
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, AttributeTest,
    ::testing::Values(AttributeCase{"NewFile", 0, 0}, AttributeCase{"Plain", FILE_ATTRIBUTE_NORMAL, 0},
                      AttributeCase{"Hidden", FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
                      AttributeCase{"System", FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_SYSTEM},
                      AttributeCase{"HiddenSystem", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(WriterTest, ReadOnlyFileIsRefusedUntouched) {
    const fs::path target = card_ / "set.txt";
    WriteRaw(target, "previous");
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    EXPECT_EQ(WriteSetFile(kSettings, card_.native()), WriteStage::Open);
    EXPECT_EQ(ReadFile(target), AsBytes("previous"));
    EXPECT_EQ(GetFileAttributesW(target.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN});
    EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"});
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif

#ifdef __linux__
// --- a folder that refuses new files ----------------------------------------

// Marks a folder immutable: nothing can be created in it or removed from it,
// root included, while the files already there stay writable.
class ImmutableFolder {
public:
    explicit ImmutableFolder(const fs::path& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY)) {
        int flags = 0;
        if (fd_ < 0 || ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) != 0) return;
        flags |= FS_IMMUTABLE_FL;
        set_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ~ImmutableFolder() {
        if (set_) {
            int flags = 0;
            ::ioctl(fd_, FS_IOC_GETFLAGS, &flags);
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd_, FS_IOC_SETFLAGS, &flags);
        }
        if (fd_ >= 0) ::close(fd_);
    }
    ImmutableFolder(const ImmutableFolder&) = delete;
    ImmutableFolder& operator=(const ImmutableFolder&) = delete;
    bool Set() const { return set_; }

private:
    int fd_;
    bool set_ = false;
};

TEST_F(WriterTest, FolderThatRefusesNewFilesGetsSetTxtWrittenInPlace) {
    WriteRaw(card_ / "set.txt", std::string(1000, 'x'));
    std::optional<WriteFailure> fault;
    {
        ImmutableFolder locked(card_);
        if (!locked.Set()) GTEST_SKIP() << "this file system or process cannot mark a folder immutable";
        fault = WriteSetFile(kSettings, card_.native());
    }
    EXPECT_EQ(fault, std::nullopt);
    EXPECT_EQ(ReadFile(card_ / "set.txt"), Expected()) << "written whole and cut to length";
    EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"});
}

TEST_F(WriterTest, FolderThatRefusesNewFilesWithoutSetTxtFailsAtOpening) {
    std::optional<WriteFailure> fault;
    {
        ImmutableFolder locked(card_);
        if (!locked.Set()) GTEST_SKIP() << "this file system or process cannot mark a folder immutable";
        fault = WriteSetFile(kSettings, card_.native());
    }
    EXPECT_EQ(fault, WriteStage::Open);
    EXPECT_TRUE(Entries(card_).empty());
}

// --- clean-up and flushing, watched at the system calls ----------------------

// The writer's unlink and fsync land here first: a test can make the next
// unlinks fail the way a scanner holding the file makes them fail, or log
// every flush together with what set.txt held at that moment.
struct SystemCallWatch {
    int unlinkFailures = 0;
    bool logFlushes = false;
    fs::path watched;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> flushes;
};
SystemCallWatch g_watch;

}  // namespace
}  // namespace halvo

extern "C" int unlink(const char* path) {
    if (halvo::g_watch.unlinkFailures > 0) {
        --halvo::g_watch.unlinkFailures;
        errno = EBUSY;
        return -1;
    }
    return ::unlinkat(AT_FDCWD, path, 0);
}

extern "C" int fsync(int fd) {
    if (halvo::g_watch.logFlushes) {
        char name[4096];
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = ::readlink(link.c_str(), name, sizeof name);
        halvo::g_watch.flushes.emplace_back(std::string(name, n > 0 ? static_cast<std::size_t>(n) : 0),
                                            halvo::test::ReadFile(halvo::g_watch.watched));
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace halvo {
namespace {

using test::FileSizeLimit;

TEST_F(WriterTest, CleanUpTriesAgainWhenTheTemporaryFileIsBusy) {
    WriteRaw(card_ / "set.txt", "previous");
    std::optional<WriteFailure> fault;
    {
        FileSizeLimit limit(100);
        g_watch.unlinkFailures = 2;
        fault = WriteSetFile(kSettings, card_.native());
    }
    const int unused = g_watch.unlinkFailures;
    g_watch.unlinkFailures = 0;
    EXPECT_EQ(unused, 0) << "the clean-up never ran";
    EXPECT_EQ(fault, WriteStage::Write);
    EXPECT_EQ(ReadFile(card_ / "set.txt"), AsBytes("previous"));
    EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"}) << "a stray temporary file was left";
}

TEST_F(WriterTest, FolderIsFlushedAfterTheReplace) {
    WriteRaw(card_ / "set.txt", "previous");
    g_watch.watched = card_ / "set.txt";
    g_watch.flushes.clear();
    g_watch.logFlushes = true;
    const auto fault = WriteSetFile(kSettings, card_.native());
    g_watch.logFlushes = false;
    EXPECT_EQ(fault, std::nullopt);

    bool folderFlushedAfterReplace = false;
    for (const auto& [path, contents] : g_watch.flushes) {
        if (fs::path(path) == fs::canonical(card_) && contents == Expected()) folderFlushedAfterReplace = true;
    }
    EXPECT_TRUE(folderFlushedAfterReplace) << g_watch.flushes.size()
                                           << " flushes, none of the folder after the replace";
}

// A program started with standard input closed hands out descriptor 0 to the
// first file it opens: the folder is flushed all the same.
TEST_F(WriterTest, FolderOpenedAsDescriptorZeroIsFlushed) {
    WriteRaw(card_ / "set.txt", "previous");
    const int savedInput = ::dup(0);
    ASSERT_GE(savedInput, 0);
    ::close(0);
    g_watch.watched = card_ / "set.txt";
    g_watch.flushes.clear();
    g_watch.logFlushes = true;
    const auto fault = WriteSetFile(kSettings, card_.native());
    g_watch.logFlushes = false;
    ::dup2(savedInput, 0);
    ::close(savedInput);
    EXPECT_EQ(fault, std::nullopt);
    ASSERT_FALSE(g_watch.flushes.empty());
    EXPECT_EQ(fs::path(g_watch.flushes.back().first), fs::canonical(card_)) << "the folder was not flushed";
}

TEST_F(WriterTest, CurrentFolderIsFlushedToo) {
    WriteRaw(card_ / "set.txt", "previous");
    const fs::path before = fs::current_path();
    fs::current_path(card_);
    g_watch.watched = card_ / "set.txt";
    g_watch.flushes.clear();
    g_watch.logFlushes = true;
    const auto fault = WriteSetFile(kSettings);
    g_watch.logFlushes = false;
    fs::current_path(before);
    EXPECT_EQ(fault, std::nullopt);
    ASSERT_FALSE(g_watch.flushes.empty());
    EXPECT_EQ(fs::path(g_watch.flushes.back().first), fs::canonical(card_));
    EXPECT_EQ(g_watch.flushes.back().second, Expected());
}
#endif

}  // namespace
}  // namespace halvo
