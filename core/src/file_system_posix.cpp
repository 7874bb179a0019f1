// The writer's file-system steps on POSIX systems (Linux, macOS, the browser
// build's emulated file system).

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_system.h"

namespace halvo::internal {

static_assert(kPathRoom >= PATH_MAX, "realpath needs PATH_MAX characters of room");

const SystemError kPathTooLong = ENAMETOOLONG;

Failure Classify(SystemError error) {
    switch (error) {
        case kNoError:
            return Failure::None;
        case EEXIST:
            return Failure::Exists;
        case ENOENT:
            return Failure::NotFound;
        case EACCES:
        case EPERM:
        case EBUSY:
        case ETXTBSY:
            return Failure::Refused;
        case ENOSPC:
        case EDQUOT:
            return Failure::Full;
        case EROFS:
            return Failure::ReadOnly;
        case ENOTDIR:
            return Failure::NoFolder;
        case EISDIR:
            return Failure::NotAFile;
        default:
            return Failure::Other;
    }
}

namespace {

SystemError LastError() { return static_cast<SystemError>(errno); }
SystemError Result(int status) { return status == 0 ? kNoError : LastError(); }
int Descriptor(FileHandle file) { return static_cast<int>(file); }

class PosixFileSystem final : public FileSystem {
public:
    Target Resolve(PathBuffer& path, unsigned long& attributes, SystemError& error) override {
        attributes = 0;
        error = kNoError;
        struct stat status {};
        if (::lstat(path.Get(), &status) != 0) return errno == ENOENT ? Target::Missing : Refused(error);
        if (S_ISLNK(status.st_mode)) {
            PathBuffer resolved;
            if (::realpath(path.Get(), resolved.Room()) == nullptr) {
                // ENOENT past an existing link: it points to nothing.
                return errno == ENOENT ? NotAFile(error) : Refused(error);
            }
            if (!resolved.Adopt(TextLength(resolved.Get()))) {
                error = kPathTooLong;
                return Target::Refused;
            }
            path = resolved;
            if (::stat(path.Get(), &status) != 0) return Refused(error);
        }
        if (S_ISDIR(status.st_mode)) {
            error = EISDIR;
            return Target::NotAFile;
        }
        if (!S_ISREG(status.st_mode)) return Target::NotAFile;
        // A file the user may not write (or on a read-only mount) is refused
        // before anything is created.
        const int probe = ::open(path.Get(), O_WRONLY | O_CLOEXEC);
        if (probe < 0) return Refused(error);
        ::close(probe);
        return Target::Present;
    }

    SystemError CreateNew(const PathChar* path, FileHandle& file) override {
        return Opened(::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644), file);
    }

    SystemError OpenExisting(const PathChar* path, FileHandle& file) override {
        return Opened(::open(path, O_WRONLY | O_CLOEXEC), file);
    }

    SystemError Write(FileHandle file, const std::uint8_t* data, std::size_t size, std::size_t& written) override {
        written = 0;
        ssize_t n = 0;
        do {
            n = ::write(Descriptor(file), data, size);
        } while (n < 0 && errno == EINTR);
        if (n < 0) return LastError();
        written = static_cast<std::size_t>(n);
        return kNoError;
    }

    SystemError EndHere(FileHandle file) override {
        const off_t at = ::lseek(Descriptor(file), 0, SEEK_CUR);
        if (at < 0) return LastError();
        return Result(::ftruncate(Descriptor(file), at));
    }

    SystemError Flush(FileHandle file) override { return Result(::fsync(Descriptor(file))); }
    SystemError Close(FileHandle file) override { return Result(::close(Descriptor(file))); }
    SystemError SetAttributes(const PathChar*, unsigned long) override { return kNoError; }
    SystemError Replace(const PathChar* from, const PathChar* to) override { return Result(::rename(from, to)); }

    // A replace lives in the folder entry: without flushing the folder too, a
    // card pulled right after the success message may come back with the old file.
    SystemError FlushFolder(const PathChar* folder) override {
        const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // Without read access to the folder there is nothing more the writer can do.
        if (fd < 0) return kNoError;
        SystemError error = Result(::fsync(fd));
        // EINVAL: a file system that has no notion of flushing a folder.
        if (error == EINVAL) error = kNoError;
        ::close(fd);
        return error;
    }

    SystemError Remove(const PathChar* path) override { return Result(::unlink(path)); }

    SystemError ListFolder(const PathChar* folder, FolderVisitor& visitor) override {
        DIR* listing = ::opendir(folder);
        if (listing == nullptr) return LastError();
        const std::time_t now = std::time(nullptr);
        while (const dirent* entry = ::readdir(listing)) {
            struct stat status {};
            const bool known = ::fstatat(::dirfd(listing), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0;
            visitor.Visit(FolderEntry{entry->d_name, known && S_ISREG(status.st_mode),
                                      known ? static_cast<long long>(now - status.st_mtime) : 0});
        }
        ::closedir(listing);
        return kNoError;
    }

    void Pause(unsigned long milliseconds) override {
        timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
        // An interrupted wait goes on for the time that was left.
        while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
        }
    }

    unsigned long ProcessId() override { return static_cast<unsigned long>(::getpid()); }

private:
    static Target Refused(SystemError& error) {
        error = LastError();
        return Target::Refused;
    }
    static Target NotAFile(SystemError& error) {
        error = LastError();
        return Target::NotAFile;
    }
    static SystemError Opened(int fd, FileHandle& file) {
        file = fd < 0 ? kNoFile : FileHandle{fd};
        return fd < 0 ? LastError() : kNoError;
    }
};

constinit PosixFileSystem g_system;

}  // namespace

FileSystem& SystemFileSystem() { return g_system; }

}  // namespace halvo::internal
