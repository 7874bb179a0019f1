// The writer's file-system steps on Windows. <windows.h> declares every
// function and constant used here, so the compiler checks them all.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "file_system.h"

namespace halvo::internal {

static_assert(sizeof(HANDLE) == sizeof(FileHandle), "a HANDLE travels as a FileHandle");

const SystemError kPathTooLong = ERROR_FILENAME_EXCED_RANGE;

Failure Classify(SystemError error) {
    switch (error) {
        case ERROR_SUCCESS:
            return Failure::None;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return Failure::Exists;
        case ERROR_FILE_NOT_FOUND:
            return Failure::NotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Failure::Refused;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return Failure::Full;
        case ERROR_WRITE_PROTECT:
            return Failure::ReadOnly;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
            return Failure::NoFolder;
        default:
            return Failure::Other;
    }
}

namespace {

SystemError LastError() { return GetLastError(); }
SystemError Result(BOOL succeeded) { return succeeded ? kNoError : LastError(); }
HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// FILETIME counts 100-nanosecond steps.
long long Seconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<long long>(value.QuadPart / 10000000ULL);
}

class WindowsFileSystem final : public FileSystem {
public:
    // Opening the file (which the system does through any links) and asking
    // for its final name finds where the data really is; a name that exists
    // but cannot be opened as a file is a dangling link.
    Target Resolve(PathBuffer& path, unsigned long& attributes, SystemError& error) override {
        error = kNoError;
        const HANDLE probe = CreateFileW(path.Get(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND) return Target::Refused;
            WIN32_FIND_DATAW found;
            const HANDLE find = FindFirstFileW(path.Get(), &found);
            if (find != INVALID_HANDLE_VALUE) {
                FindClose(find);
                return Target::NotAFile;  // a link to nothing
            }
            error = kNoError;
            attributes = FILE_ATTRIBUTE_ARCHIVE;
            return Target::Missing;
        }
        PathBuffer resolved;
        const DWORD length =
            GetFinalPathNameByHandleW(probe, resolved.Room(), static_cast<DWORD>(kPathRoom),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        CloseHandle(probe);
        // Some file systems cannot name their files; then the path stays as given.
        if (length > 0 && resolved.Adopt(length)) path = resolved;
        attributes = GetFileAttributesW(path.Get());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            error = GetLastError();
            return Target::Refused;
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Target::NotAFile;
        // What opening a read-only file for writing gives.
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            error = ERROR_ACCESS_DENIED;
            return Target::Refused;
        }
        attributes &= FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
        // No attributes at all would leave the temporary file's hidden one in place.
        if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
        return Target::Present;
    }

    // Hidden from the first moment, so that a crash never leaves a visible stray file.
    SystemError CreateNew(const PathChar* path, FileHandle& file) override {
        return Opened(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_WRITE_THROUGH, nullptr),
                      file);
    }

    SystemError OpenExisting(const PathChar* path, FileHandle& file) override {
        return Opened(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_WRITE_THROUGH, nullptr),
                      file);
    }

    SystemError Write(FileHandle file, const std::uint8_t* data, std::size_t size, std::size_t& written) override {
        DWORD done = 0;
        const BOOL succeeded = WriteFile(Handle(file), data, static_cast<DWORD>(size), &done, nullptr);
        written = done;
        return Result(succeeded);
    }

    SystemError EndHere(FileHandle file) override { return Result(SetEndOfFile(Handle(file))); }
    SystemError Flush(FileHandle file) override { return Result(FlushFileBuffers(Handle(file))); }
    SystemError Close(FileHandle file) override { return Result(CloseHandle(Handle(file))); }

    SystemError SetAttributes(const PathChar* path, unsigned long attributes) override {
        return Result(SetFileAttributesW(path, attributes));
    }

    SystemError Replace(const PathChar* from, const PathChar* to) override {
        return Result(MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    }

    // The write-through flag of the replace already committed the folder entry.
    SystemError FlushFolder(const PathChar*) override { return kNoError; }

    SystemError Remove(const PathChar* path) override { return Result(DeleteFileW(path)); }

    SystemError ListFolder(const PathChar* folder, FolderVisitor& visitor) override {
        PathBuffer pattern;
        if (!pattern.Append(folder, TextLength(folder)) || !pattern.EndWithSeparator() || !pattern.AppendAscii("*")) {
            return kPathTooLong;
        }
        WIN32_FIND_DATAW found;
        const HANDLE find = FindFirstFileW(pattern.Get(), &found);
        if (find == INVALID_HANDLE_VALUE) return LastError();
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        do {
            const bool plain = (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                                          FILE_ATTRIBUTE_DEVICE)) == 0;
            visitor.Visit(FolderEntry{found.cFileName, plain, Seconds(now) - Seconds(found.ftLastWriteTime)});
        } while (FindNextFileW(find, &found));
        FindClose(find);
        return kNoError;
    }

    void Pause(unsigned long milliseconds) override { Sleep(milliseconds); }
    unsigned long ProcessId() override { return GetCurrentProcessId(); }

private:
    static SystemError Opened(HANDLE handle, FileHandle& file) {
        file = reinterpret_cast<FileHandle>(handle);
        return handle == INVALID_HANDLE_VALUE ? LastError() : kNoError;
    }
};

constinit WindowsFileSystem g_system;

}  // namespace

FileSystem& SystemFileSystem() { return g_system; }

}  // namespace halvo::internal
