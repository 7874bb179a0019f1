// Each way the system refuses a write, through the writer's file-system seam
// on a real folder: the cause the writer reports, and halvo-set's line for it.
// The tables hold each system's own codes (errno; GetLastError() under Wine).

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "cli_cases.h"
#include "file_system.h"
#include "halvo/set_file_writer.h"
#include "scripted_file_system.h"
#include "words.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace halvo::cli::test {
namespace {

namespace fs = std::filesystem;
using halvo::test::ScriptedFileSystem;
using halvo::test::Step;
using internal::SystemError;

// What the folder holds before the write.
enum class Before { Nothing, SetTxt, FolderSetTxt, LinkToNothing };

struct CauseCase {
    const char* name;
    Before before;
    bool inPlace;              // the folder refuses the temporary file, so set.txt is written in place
    std::optional<Step> step;  // the step made to fail with error; none: the folder's content refuses
    SystemError error;
    WriteCause cause;
    bool kept;          // set.txt as it was
    const char* words;  // halvo-set's line after "could not write <file>"; {sys}: the system's own text
};

using C = WriteCause;
const CauseCase kCases[] = {
#ifdef _WIN32
    {"SetTxtIsAFolder", Before::FolderSetTxt, false, std::nullopt, 0, C::NotAFile, true,
     ": it is not a plain file (a folder, or a link to nothing); rename or remove it"},
    {"DiskFullOnCreateNoSetTxt", Before::Nothing, false, Step::CreateNew, ERROR_DISK_FULL, C::Full, true,
     ": the card is full; make room on it; any earlier set.txt there is unchanged"},
    {"HandleDiskFullOnWrite", Before::SetTxt, false, Step::Write, ERROR_HANDLE_DISK_FULL, C::Full, true,
     ": the card is full; make room on it; any earlier set.txt there is unchanged"},
    {"DiskFullCuttingInPlace", Before::SetTxt, true, Step::EndHere, ERROR_DISK_FULL, C::Full, false,
     ": the card is full; make room on it; the set.txt there may be incomplete: write it again"},
    {"WriteProtectedOnCreate", Before::SetTxt, false, Step::CreateNew, ERROR_WRITE_PROTECT, C::ReadOnly, true,
     ": the card is read-only; check its lock switch, or mount it for writing; any earlier set.txt there is "
     "unchanged"},
    {"AccessDeniedLooking", Before::SetTxt, false, Step::Resolve, ERROR_ACCESS_DENIED, C::Refused, true,
     ": the folder or the file refuses writing ({sys}); check their permissions, and close any program that holds "
     "the file open; any earlier set.txt there is unchanged"},
    {"SharingViolationInPlace", Before::SetTxt, true, Step::OpenExisting, ERROR_SHARING_VIOLATION, C::Refused, true,
     ": the folder or the file refuses writing ({sys}); check their permissions, and close any program that holds "
     "the file open; any earlier set.txt there is unchanged"},
    {"PathNotFoundOnCreate", Before::Nothing, false, Step::CreateNew, ERROR_PATH_NOT_FOUND, C::NoFolder, true,
     ": its folder is missing or is not a folder ({sys}); check that the card is still in place"},
    {"DirectoryNameInvalid", Before::SetTxt, false, Step::Resolve, ERROR_DIRECTORY, C::NoFolder, true,
     ": its folder is missing or is not a folder ({sys}); check that the card is still in place"},
    {"CardFailsOnFlush", Before::SetTxt, false, Step::Flush, ERROR_GEN_FAILURE, C::Other, true,
     ": {sys}; any earlier set.txt there is unchanged"},
    {"CardFailsWritingInPlace", Before::SetTxt, true, Step::Write, ERROR_GEN_FAILURE, C::Other, false,
     ": {sys}; the set.txt there may be incomplete: write it again"},
#else
    {"SetTxtIsAFolder", Before::FolderSetTxt, false, std::nullopt, EISDIR, C::NotAFile, true,
     ": it is not a plain file (a folder, or a link to nothing); rename or remove it"},
    {"SetTxtLinksToNothing", Before::LinkToNothing, false, std::nullopt, ENOENT, C::NotAFile, true,
     ": it is not a plain file (a folder, or a link to nothing); rename or remove it"},
    {"NoSpaceOnCreateNoSetTxt", Before::Nothing, false, Step::CreateNew, ENOSPC, C::Full, true,
     ": the card is full; make room on it; any earlier set.txt there is unchanged"},
    {"OverQuotaOnFlushNoSetTxt", Before::Nothing, false, Step::Flush, EDQUOT, C::Full, true,
     ": the card is full; make room on it; any earlier set.txt there is unchanged"},
    // No room for the temporary file nor for a byte in set.txt's own (an empty set.txt has none): it stays whole.
    {"NoSpaceOnWriteEvenInPlace", Before::SetTxt, false, Step::Write, ENOSPC, C::Full, true,
     ": the card is full; make room on it; any earlier set.txt there is unchanged"},
    {"NoSpaceCuttingInPlace", Before::SetTxt, true, Step::EndHere, ENOSPC, C::Full, false,
     ": the card is full; make room on it; the set.txt there may be incomplete: write it again"},
    {"ReadOnlyLooking", Before::SetTxt, false, Step::Resolve, EROFS, C::ReadOnly, true,
     ": the card is read-only; check its lock switch, or mount it for writing; any earlier set.txt there is "
     "unchanged"},
    {"ReadOnlyOnCreateNoSetTxt", Before::Nothing, false, Step::CreateNew, EROFS, C::ReadOnly, true,
     ": the card is read-only; check its lock switch, or mount it for writing; any earlier set.txt there is "
     "unchanged"},
    {"AccessDeniedLooking", Before::SetTxt, false, Step::Resolve, EACCES, C::Refused, true,
     ": the folder or the file refuses writing (Permission denied); check their permissions, and close any program "
     "that holds the file open; any earlier set.txt there is unchanged"},
    {"BusyInPlace", Before::SetTxt, true, Step::OpenExisting, EBUSY, C::Refused, true,
     ": the folder or the file refuses writing ({sys}); check their permissions, and close any program that holds "
     "the file open; any earlier set.txt there is unchanged"},
    {"FolderGoneOnCreate", Before::Nothing, false, Step::CreateNew, ENOENT, C::NoFolder, true,
     ": its folder is missing or is not a folder (No such file or directory); check that the card is still in "
     "place"},
    {"FolderIsAFile", Before::SetTxt, false, Step::Resolve, ENOTDIR, C::NoFolder, true,
     ": its folder is missing or is not a folder (Not a directory); check that the card is still in place"},
    {"CardFailsOnFlush", Before::SetTxt, false, Step::Flush, EIO, C::Other, true,
     ": Input/output error; any earlier set.txt there is unchanged"},
    {"CardFailsWritingInPlace", Before::SetTxt, true, Step::Write, EIO, C::Other, false,
     ": Input/output error; the set.txt there may be incomplete: write it again"},
    // After the replace the new file is there, but perhaps not on the card yet.
    {"CardFailsFlushingTheFolder", Before::SetTxt, false, Step::FlushFolder, EIO, C::Other, false,
     ": Input/output error; the set.txt there may be incomplete: write it again"},
    {"CrossDeviceOnReplace", Before::SetTxt, false, Step::Replace, EXDEV, C::Other, true,
     ": {sys}; any earlier set.txt there is unchanged"},
#endif
};

void PrintTo(const CauseCase& c, std::ostream* os) { *os << c.name; }

// The system's own text for a code, as halvo-set shows it: without a closing full stop or line end.
std::string SystemText(SystemError error) {
    std::string text = std::system_category().message(static_cast<int>(error));
    while (!text.empty() && std::string(".\r\n ").find(text.back()) != std::string::npos) text.pop_back();
    return text;
}

class CauseTest : public ::testing::TestWithParam<CauseCase> {};

TEST_P(CauseTest, WriterNamesTheCauseAndHalvoSetWordsIt) {
    const CauseCase& c = GetParam();
    ScratchFolder dir(std::string("cause-") + c.name);
    const fs::path file = dir.path() / "set.txt";
    switch (c.before) {
        case Before::SetTxt: WriteBytes(file, kPreviousFile); break;
        case Before::FolderSetTxt: fs::create_directory(file); break;
        case Before::LinkToNothing: fs::create_symlink(dir.path() / "nowhere", file); break;
        case Before::Nothing: break;
    }
    ScriptedFileSystem scripted;
    if (c.inPlace) scripted.Fail(Step::CreateNew, halvo::test::kAccessDenied);
    if (c.step) scripted.Fail(*c.step, c.error);

    const std::optional<WriteFailure> failure =
        internal::WriteSetFile(scripted, ConvertSelection(kInitialSelection).settings, file.parent_path().native());
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(static_cast<int>(failure->cause), static_cast<int>(c.cause));
    EXPECT_EQ(failure->error, c.error);
    EXPECT_EQ(failure->previousKept, c.kept);
    EXPECT_EQ(scripted.openFiles, 0);
    if (c.before == Before::SetTxt && c.kept) {
        EXPECT_EQ(ReadBytes(file), std::vector<std::uint8_t>(kPreviousFile.begin(), kPreviousFile.end()));
    }

    std::string expected = "could not write " + file.string() + c.words;
    if (const std::size_t at = expected.find("{sys}"); at != std::string::npos) {
        expected.replace(at, 5, SystemText(c.error));
    }
    EXPECT_EQ(FailureText(file.string(), *failure), expected);
}

// A write the system takes nothing of, without saying why: no text to add.
TEST(CauseTest, WriteThatTakesNothingHasNoSystemText) {
    ScratchFolder dir("cause-takes-nothing");
    const fs::path file = dir.path() / "set.txt";
    WriteBytes(file, kPreviousFile);
    ScriptedFileSystem scripted;
    scripted.writeLimit = 0;
    const auto failure = internal::WriteSetFile(scripted, ConvertSelection(kInitialSelection).settings,
                                                dir.path().native());
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(static_cast<int>(failure->cause), static_cast<int>(C::Other));
    EXPECT_EQ(failure->error, 0u);
    EXPECT_EQ(FailureText(file.string(), *failure),
              "could not write " + file.string() + "; any earlier set.txt there is unchanged");
}

INSTANTIATE_TEST_SUITE_P(Codes, CauseTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace halvo::cli::test
