#include "halvo/set_file.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

#ifdef _WIN32
// The core stays free of <windows.h>: the few kernel calls the writer needs
// are declared here, wide-character forms only, with the system's calling
// convention (which the x86_64 compiler ignores).
extern "C" {
__declspec(dllimport) void* __stdcall CreateFileW(const wchar_t* name, unsigned long access,
                                                  unsigned long share, void* security,
                                                  unsigned long disposition, unsigned long flags,
                                                  void* templateFile);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* data, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) int __stdcall SetEndOfFile(void* file);
__declspec(dllimport) int __stdcall FlushFileBuffers(void* file);
__declspec(dllimport) int __stdcall CloseHandle(void* handle);
__declspec(dllimport) int __stdcall MoveFileExW(const wchar_t* from, const wchar_t* to, unsigned long flags);
__declspec(dllimport) int __stdcall DeleteFileW(const wchar_t* name);
__declspec(dllimport) unsigned long __stdcall GetFileAttributesW(const wchar_t* name);
__declspec(dllimport) int __stdcall SetFileAttributesW(const wchar_t* name, unsigned long attributes);
__declspec(dllimport) unsigned long __stdcall GetFinalPathNameByHandleW(void* file, wchar_t* path,
                                                                        unsigned long size, unsigned long flags);
__declspec(dllimport) void* __stdcall FindFirstFileW(const wchar_t* name, void* found);
__declspec(dllimport) int __stdcall FindClose(void* find);
__declspec(dllimport) unsigned long __stdcall GetLastError();
__declspec(dllimport) unsigned long __stdcall GetCurrentProcessId();
__declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);
}
#else
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace halvo {
namespace {

// The dialog writes from its message handler, where nothing may allocate or
// throw: paths live in fixed buffers, long enough for any path the system
// itself accepts, and a longer one is refused like an unopenable file.
constexpr std::size_t kPathRoom = 4096;

#ifdef _WIN32
using PathChar = wchar_t;
constexpr PathChar kSeparator = L'\\';
#else
using PathChar = char;
constexpr PathChar kSeparator = '/';
static_assert(kPathRoom >= PATH_MAX, "realpath needs PATH_MAX characters of room");
#endif

bool IsSeparator(PathChar c) { return c == PathChar('/') || c == PathChar('\\'); }

class PathBuffer {
public:
    // False when the text does not fit or holds a NUL, which no file name can.
    bool Append(const PathChar* text, std::size_t length) {
        if (length >= kPathRoom - length_) return false;
        for (std::size_t i = 0; i < length; ++i) {
            if (text[i] == PathChar(0)) return false;
            text_[length_++] = text[i];
        }
        text_[length_] = PathChar(0);
        return true;
    }
    bool AppendAscii(const char* ascii) {
        for (; *ascii != '\0'; ++ascii) {
            const PathChar c = PathChar(*ascii);
            if (!Append(&c, 1)) return false;
        }
        return true;
    }
    bool AppendNumber(unsigned long value) {
        char digits[24];
        std::size_t n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        char reversed[24];
        for (std::size_t i = 0; i < n; ++i) reversed[i] = digits[n - 1 - i];
        reversed[n] = '\0';
        return AppendAscii(reversed);
    }
    // Makes a non-empty path end in a separator, so that a name can follow.
    bool EndWithSeparator() {
        if (length_ == 0 || IsSeparator(text_[length_ - 1])) return true;
        return Append(&kSeparator, 1);
    }
    void Truncate(std::size_t length) {
        length_ = length;
        text_[length_] = PathChar(0);
    }
    // The length of the folder part, up to and including the last separator.
    std::size_t FolderLength() const {
        std::size_t n = length_;
        while (n > 0 && !IsSeparator(text_[n - 1])) --n;
        return n;
    }
    const PathChar* Get() const { return text_; }
    std::size_t Length() const { return length_; }
    PathChar* Room() { return text_; }
    // Takes over text written into Room() by a system call.
    bool Adopt(std::size_t length) {
        if (length >= kPathRoom) return false;
        Truncate(length);
        return true;
    }

private:
    PathChar text_[kPathRoom] = {PathChar(0)};
    std::size_t length_ = 0;
};

// What the path set.txt names before anything is written.
enum class Target {
    Missing,  // nothing by that name: set.txt will be created
    Present,  // a file to replace; the path now names it, past any links
    Refused,  // a folder, a read-only file, a dangling link, or no such folder
};

// How a creation or a replace went; Blocked is a refusal for access or
// sharing reasons (or a full folder), where writing into the existing file
// may still work.
enum class Outcome { Done, Blocked, Exists, Failed };

#ifdef _WIN32
using File = void*;
File const kNoFile = reinterpret_cast<File>(static_cast<std::intptr_t>(-1));

constexpr unsigned long kGenericWrite = 0x40000000;
constexpr unsigned long kShareAll = 0x1 | 0x2 | 0x4;  // read, write, delete
constexpr unsigned long kShareReadWrite = 0x1 | 0x2;
constexpr unsigned long kCreateNew = 1;
constexpr unsigned long kOpenExisting = 3;
constexpr unsigned long kAttributeReadOnly = 0x1;
constexpr unsigned long kAttributeHidden = 0x2;
constexpr unsigned long kAttributeSystem = 0x4;
constexpr unsigned long kAttributeDirectory = 0x10;
constexpr unsigned long kAttributeArchive = 0x20;
constexpr unsigned long kAttributeNormal = 0x80;
constexpr unsigned long kInvalidAttributes = 0xFFFFFFFF;
constexpr unsigned long kFlagWriteThrough = 0x80000000;
constexpr unsigned long kFlagBackupSemantics = 0x02000000;
constexpr unsigned long kMoveReplaceExisting = 0x1;
constexpr unsigned long kMoveWriteThrough = 0x8;
constexpr unsigned long kErrorFileNotFound = 2;
constexpr unsigned long kErrorAccessDenied = 5;
constexpr unsigned long kErrorSharingViolation = 32;
constexpr unsigned long kErrorLockViolation = 33;
constexpr unsigned long kErrorHandleDiskFull = 39;
constexpr unsigned long kErrorFileExists = 80;
constexpr unsigned long kErrorDiskFull = 112;
constexpr unsigned long kErrorAlreadyExists = 183;

// The found-file record of FindFirstFileW, only ever written by the system.
struct FindData {
    unsigned long attributes;
    unsigned long times[6];
    unsigned long sizeHigh, sizeLow, reserved0, reserved1;
    wchar_t name[260];
    wchar_t shortName[14];
};

bool AccessOrSharing(unsigned long error) {
    return error == kErrorAccessDenied || error == kErrorSharingViolation || error == kErrorLockViolation;
}

// Opening the file (which the system does through any links) and asking for
// its final name finds where the data really is; a name that exists but
// cannot be opened as a file is a dangling link. attributes receives what the
// written file is to have: a hidden or system set.txt stays so.
Target Resolve(PathBuffer& target, unsigned long& attributes) {
    File probe = CreateFileW(target.Get(), 0, kShareAll, nullptr, kOpenExisting, kFlagBackupSemantics, nullptr);
    if (probe == kNoFile) {
        if (GetLastError() != kErrorFileNotFound) return Target::Refused;
        FindData found;
        void* find = FindFirstFileW(target.Get(), &found);
        if (find != kNoFile) {
            FindClose(find);
            return Target::Refused;
        }
        attributes = kAttributeArchive;
        return Target::Missing;
    }
    PathBuffer resolved;
    const unsigned long length =
        GetFinalPathNameByHandleW(probe, resolved.Room(), static_cast<unsigned long>(kPathRoom), 0);
    CloseHandle(probe);
    // Some file systems cannot name their files; then the path stays as given.
    if (length > 0 && resolved.Adopt(length)) target = resolved;
    attributes = GetFileAttributesW(target.Get());
    if (attributes == kInvalidAttributes) return Target::Refused;
    if ((attributes & (kAttributeDirectory | kAttributeReadOnly)) != 0) return Target::Refused;
    attributes &= kAttributeHidden | kAttributeSystem | kAttributeArchive;
    // No attributes at all would leave the temporary file's hidden one in place.
    if (attributes == 0) attributes = kAttributeNormal;
    return Target::Present;
}

// Hidden from the first moment, so that a crash never leaves a visible stray file.
File CreateTemporaryFile(const PathBuffer& path, Outcome& outcome) {
    File f = CreateFileW(path.Get(), kGenericWrite, 0, nullptr, kCreateNew,
                         kAttributeHidden | kFlagWriteThrough, nullptr);
    if (f != kNoFile) {
        outcome = Outcome::Done;
        return f;
    }
    const unsigned long error = GetLastError();
    if (error == kErrorFileExists || error == kErrorAlreadyExists) {
        outcome = Outcome::Exists;
    } else if (AccessOrSharing(error) || error == kErrorDiskFull || error == kErrorHandleDiskFull) {
        outcome = Outcome::Blocked;
    } else {
        outcome = Outcome::Failed;
    }
    return kNoFile;
}

File OpenInPlace(const PathBuffer& path) {
    return CreateFileW(path.Get(), kGenericWrite, kShareReadWrite, nullptr, kOpenExisting, kFlagWriteThrough,
                       nullptr);
}

bool WriteAll(File f, const std::uint8_t* data, std::size_t size) {
    unsigned long written = 0;
    return WriteFile(f, data, static_cast<unsigned long>(size), &written, nullptr) != 0 && written == size;
}
bool EndFileHere(File f) { return SetEndOfFile(f) != 0; }
bool Flush(File f) { return FlushFileBuffers(f) != 0; }
bool Close(File f) { return CloseHandle(f) != 0; }
bool Remove(const PathBuffer& path) { return DeleteFileW(path.Get()) != 0 || GetLastError() == kErrorFileNotFound; }
void Pause(unsigned long milliseconds) { Sleep(milliseconds); }
unsigned long ProcessId() { return GetCurrentProcessId(); }

// The temporary file takes the attributes set.txt should end with just before
// it takes set.txt's place.
bool GiveFinalAttributes(const PathBuffer& temporary, unsigned long attributes) {
    return SetFileAttributesW(temporary.Get(), attributes) != 0;
}

Outcome Replace(const PathBuffer& from, const PathBuffer& to) {
    if (MoveFileExW(from.Get(), to.Get(), kMoveReplaceExisting | kMoveWriteThrough) != 0) return Outcome::Done;
    return AccessOrSharing(GetLastError()) ? Outcome::Blocked : Outcome::Failed;
}

// The write-through flag of the replace already committed the folder entry.
bool SyncFolder(const PathBuffer&) { return true; }
#else
using File = int;
constexpr File kNoFile = -1;

bool AccessOrSharing(int error) { return error == EACCES || error == EPERM || error == EBUSY || error == ETXTBSY; }

Target Resolve(PathBuffer& target, unsigned long& attributes) {
    attributes = 0;
    struct stat status {};
    if (::lstat(target.Get(), &status) != 0) return errno == ENOENT ? Target::Missing : Target::Refused;
    if (S_ISLNK(status.st_mode)) {
        PathBuffer resolved;
        if (::realpath(target.Get(), resolved.Room()) == nullptr) return Target::Refused;
        std::size_t length = 0;
        while (resolved.Get()[length] != '\0') ++length;
        if (!resolved.Adopt(length)) return Target::Refused;
        target = resolved;
        if (::stat(target.Get(), &status) != 0) return Target::Refused;
    }
    if (!S_ISREG(status.st_mode)) return Target::Refused;
    // A file the user may not write (or on a read-only mount) is refused
    // before anything is created.
    const int probe = ::open(target.Get(), O_WRONLY | O_CLOEXEC);
    if (probe < 0) return Target::Refused;
    ::close(probe);
    return Target::Present;
}

File CreateTemporaryFile(const PathBuffer& path, Outcome& outcome) {
    const File f = ::open(path.Get(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (f >= 0) {
        outcome = Outcome::Done;
    } else if (errno == EEXIST) {
        outcome = Outcome::Exists;
    } else if (AccessOrSharing(errno) || errno == ENOSPC || errno == EDQUOT) {
        outcome = Outcome::Blocked;
    } else {
        outcome = Outcome::Failed;
    }
    return f;
}

File OpenInPlace(const PathBuffer& path) { return ::open(path.Get(), O_WRONLY | O_CLOEXEC); }

bool WriteAll(File f, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(f, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}
bool EndFileHere(File f) {
    const off_t at = ::lseek(f, 0, SEEK_CUR);
    return at >= 0 && ::ftruncate(f, at) == 0;
}
bool Flush(File f) { return ::fsync(f) == 0; }
bool Close(File f) { return ::close(f) == 0; }
bool Remove(const PathBuffer& path) { return ::unlink(path.Get()) == 0 || errno == ENOENT; }
void Pause(unsigned long milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}
unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }
bool GiveFinalAttributes(const PathBuffer&, unsigned long) { return true; }

Outcome Replace(const PathBuffer& from, const PathBuffer& to) {
    if (::rename(from.Get(), to.Get()) == 0) return Outcome::Done;
    return AccessOrSharing(errno) ? Outcome::Blocked : Outcome::Failed;
}

// A replace lives in the folder entry: without flushing the folder too, a
// card pulled right after the success message may come back with the old file.
bool SyncFolder(const PathBuffer& target) {
    PathBuffer folder;
    const std::size_t length = target.FolderLength();
    if (!(length == 0 ? folder.AppendAscii(".") : folder.Append(target.Get(), length))) return false;
    const int fd = ::open(folder.Get(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Without read access to the folder there is nothing more the writer can do.
    if (fd < 0) return true;
    // EINVAL: a file system that has no notion of flushing a folder.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}
#endif

// A scanner or indexer may hold a fresh file for a moment; the clean-up tries
// again before it gives up rather than leave a stray file on the card.
void RemoveTemporary(const PathBuffer& temporary) {
    constexpr unsigned long kWaits[] = {10, 50, 100, 200};
    if (Remove(temporary)) return;
    for (unsigned long wait : kWaits) {
        Pause(wait);
        if (Remove(temporary)) return;
    }
}

// Creates a fresh temporary file beside the target; the name carries the
// process id and a counter so that concurrent writers never share one.
File CreateTemporary(const PathBuffer& target, PathBuffer& temporary, Outcome& outcome) {
    static std::atomic<unsigned long> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary.Truncate(0);
        if (!temporary.Append(target.Get(), target.FolderLength()) || !temporary.AppendAscii(".") ||
            !temporary.AppendAscii(kSetFileName) || !temporary.AppendAscii(".") ||
            !temporary.AppendNumber(ProcessId()) || !temporary.AppendAscii(".") ||
            !temporary.AppendNumber(counter++) || !temporary.AppendAscii(".tmp")) {
            outcome = Outcome::Failed;
            return kNoFile;
        }
        const File f = CreateTemporaryFile(temporary, outcome);
        if (outcome != Outcome::Exists) return f;
    }
    outcome = Outcome::Failed;
    return kNoFile;
}

// The fallback where no replace is possible: the existing file, opened with
// the sharing other programs expect, is overwritten and cut to length. Only a
// failure after it opened (a failing card) can leave it part-written.
std::optional<SettingsFault> WriteInPlace(const PathBuffer& target, const SetFileBytes& bytes) {
    const File f = OpenInPlace(target);
    if (f == kNoFile) return SettingsFault::FileOpen;
    bool ok = WriteAll(f, bytes.data(), bytes.size());
    ok = ok && EndFileHere(f);
    ok = ok && Flush(f);
    ok = Close(f) && ok;
    if (!ok) return SettingsFault::FileWrite;
    return std::nullopt;
}

std::optional<SettingsFault> WriteInto(const DeviceSettings& settings, const PathChar* directory,
                                       std::size_t length) {
    PathBuffer target;
    if (!target.Append(directory, length) || !target.EndWithSeparator() || !target.AppendAscii(kSetFileName)) {
        return SettingsFault::FileOpen;
    }
    unsigned long attributes = 0;
    const Target found = Resolve(target, attributes);
    if (found == Target::Refused) return SettingsFault::FileOpen;

    const SetFileBytes bytes = ToDiskBytes(EncodeSetRecord(settings));
    PathBuffer temporary;
    Outcome created = Outcome::Failed;
    const File f = CreateTemporary(target, temporary, created);
    if (f == kNoFile) {
        if (created == Outcome::Blocked && found == Target::Present) {
            return WriteInPlace(target, bytes);
        }
        return SettingsFault::FileOpen;
    }

    bool ok = WriteAll(f, bytes.data(), bytes.size());
    ok = ok && Flush(f);
    ok = Close(f) && ok;
    ok = ok && GiveFinalAttributes(temporary, attributes);
    if (!ok) {
        RemoveTemporary(temporary);
        return SettingsFault::FileWrite;
    }
    switch (Replace(temporary, target)) {
        case Outcome::Done:
            if (!SyncFolder(target)) return SettingsFault::FileWrite;
            return std::nullopt;
        case Outcome::Blocked:
            RemoveTemporary(temporary);
            if (found == Target::Present) return WriteInPlace(target, bytes);
            return SettingsFault::FileWrite;
        default:
            RemoveTemporary(temporary);
            return SettingsFault::FileWrite;
    }
}

}  // namespace

std::optional<SettingsFault> WriteSetFile(const DeviceSettings& settings) {
    return WriteInto(settings, nullptr, 0);
}

std::optional<SettingsFault> WriteSetFile(const DeviceSettings& settings, const NativePath& directory) {
    return WriteInto(settings, directory.data(), directory.size());
}

}  // namespace halvo
