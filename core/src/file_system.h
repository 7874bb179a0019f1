#pragma once

// The file-system steps the set.txt writer takes, behind one small interface.
// Internal to the core: the writer's policy (set_file_writer.cpp) is written
// once against it; each system implements it in a file of its own
// (file_system_posix.cpp, file_system_windows.cpp, which includes <windows.h>)
// and CMake builds the one for the target. Tests put their own FileSystem in
// its place, to make a step fail, write short or end the process.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "halvo/settings_types.h"
#include "halvo/write_failure.h"
#include "path_buffer.h"

namespace halvo::internal {

/// What a step reports: 0 for success, otherwise the system's own error code
/// (errno on POSIX, GetLastError() on Windows).
using SystemError = unsigned long;
inline constexpr SystemError kNoError = 0;
/// This system's code for a path too long for the writer's buffers (or
/// holding a NUL, which no name can): ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE.
extern const SystemError kPathTooLong;

/// What an error means to the writer. Each system's implementation sorts its
/// own codes (Classify below).
enum class Failure {
    None,
    Exists,    // the name is taken
    NotFound,  // nothing by that name
    Refused,   // access rights or another program's sharing forbid it
    Full,      // no room on the card (or over a quota)
    ReadOnly,  // a write-protected card or a read-only mount
    NoFolder,  // a folder on the way is missing or not a folder
    NotAFile,  // a folder where a file was meant
    Other,
};
Failure Classify(SystemError error);

/// An open file: a descriptor on POSIX, a HANDLE on Windows.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;  // also INVALID_HANDLE_VALUE

/// What the path of set.txt names before anything is written.
enum class Target {
    Missing,   // nothing by that name: set.txt will be created
    Present,   // a file to replace; the path now names it, past any links
    NotAFile,  // a folder or anything else that is not a file, or a link to nothing
    Refused,   // the system refused looking or writing (a read-only file or mount, no such folder): see its code
};

/// One entry of a folder, as ListFolder reports it.
struct FolderEntry {
    const PathChar* name;        // the name alone, NUL-terminated
    bool plainFile;              // not a folder, a link or anything else
    long long secondsSinceWrite;  // by this computer's clock; negative when the file's time is ahead of it
};

class FolderVisitor {
public:
    virtual void Visit(const FolderEntry& entry) = 0;

protected:
    ~FolderVisitor() = default;
};

/// The steps, each one system call or a fixed few. Every path is complete and
/// NUL-terminated.
class FileSystem {
public:
    /// Finds what `path` (a folder's set.txt) names, following links; attributes
    /// receives what the written file is to carry (Windows: a hidden or system
    /// set.txt stays so; 0 elsewhere), and error the code of the call that
    /// refused it (kNoError where none did).
    virtual Target Resolve(PathBuffer& path, unsigned long& attributes, SystemError& error) = 0;
    /// Creates a file that must not exist yet, for writing; on Windows hidden
    /// and written through from the first moment.
    virtual SystemError CreateNew(const PathChar* path, FileHandle& file) = 0;
    /// Opens an existing file for writing, sharing reading and writing (not
    /// deleting) with other programs, as an editor or a preview expects.
    virtual SystemError OpenExisting(const PathChar* path, FileHandle& file) = 0;
    /// Writes at most `size` bytes at the file's position; `written` says how
    /// many it did, which may be fewer.
    virtual SystemError Write(FileHandle file, const std::uint8_t* data, std::size_t size,
                              std::size_t& written) = 0;
    /// Cuts the file at its position.
    virtual SystemError EndHere(FileHandle file) = 0;
    /// Flushes the file's data to the card (fsync, FlushFileBuffers).
    virtual SystemError Flush(FileHandle file) = 0;
    virtual SystemError Close(FileHandle file) = 0;
    /// Gives a closed file the attributes Resolve reported (Windows only).
    virtual SystemError SetAttributes(const PathChar* path, unsigned long attributes) = 0;
    /// Moves `from` over `to` in one step.
    virtual SystemError Replace(const PathChar* from, const PathChar* to) = 0;
    /// Flushes a folder's entries after a replace (Windows: the replace was
    /// written through already).
    virtual SystemError FlushFolder(const PathChar* folder) = 0;
    virtual SystemError Remove(const PathChar* path) = 0;
    /// Reports each entry of a folder to the visitor, which may remove it.
    virtual SystemError ListFolder(const PathChar* folder, FolderVisitor& visitor) = 0;
    /// Waits, the whole time even when a signal interrupts the wait.
    virtual void Pause(unsigned long milliseconds) = 0;
    virtual unsigned long ProcessId() = 0;

protected:
    ~FileSystem() = default;
};

/// The running system's file system (a static object: getting it allocates nothing).
FileSystem& SystemFileSystem();

/// The writers of halvo/set_file_writer.h, taking every file-system step
/// through `fs`: current-directory form (allocates nothing) and folder form.
std::optional<WriteFailure> WriteSetFile(FileSystem& fs, const DeviceSettings& settings);
std::optional<WriteFailure> WriteSetFile(FileSystem& fs, const DeviceSettings& settings,
                                         const NativePath& directory);

}  // namespace halvo::internal
